#include "app/AVI.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

#include "app/GifRoutines.h"
#include "app/Progress.h"
#include "gif/GIFImage.h"
#include "platform/Classes.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "platform/SysUtils.h"
#include "platform/Win.h"

#include <vfw.h>

namespace {

// The largest side a GIF frame can have.
constexpr Integer kAviMaxSide = 65535;
// Bounds of one picture and of all frames together, in pixels: a few bytes of
// compressed sample can stand for a whole picture, so a small file can
// describe more frames than memory holds.
constexpr int64_t kAviMaxPicturePixels = int64_t{4096} * 4096;
constexpr int64_t kAviMaxFramePixels = int64_t{1} << 28;

template <typename T>
T AviRead(const Byte* P) {
  T value;
  std::memcpy(&value, P, sizeof(T));
  return value;
}

// What the AVIFile interface handed out, released in reverse order of
// acquisition however the import ends.
struct TAviHandles {
  bool initialised = false;
  PAVIFILE file = nullptr;
  PAVISTREAM stream = nullptr;
  std::vector<Byte> format;
  bool streaming = false;
  PGETFRAME decoder = nullptr;

  ~TAviHandles() {
    if (decoder) AVIStreamGetFrameClose(decoder);
    if (streaming) AVIStreamEndStreaming(stream);
    format.clear();
    if (stream) AVIStreamRelease(stream);
    if (file) AVIFileRelease(file);
    if (initialised) AVIFileExit();
  }
};

}  // namespace

Integer AviFrameDelay(Cardinal Rate, Cardinal Scale) {
  // Rounded to the nearest hundredth, halves up, in 64 bits: a large scale
  // must not wrap.
  const uint64_t delay = Rate != 0 ? (uint64_t{Scale} * 100 + Rate / 2) / Rate : Scale / 100;
  return static_cast<Integer>(std::min<uint64_t>(delay, 65535));
}

bool WriteAviSampleAsBmp(const void* Sample, const void* Format, Integer FormatSize, TStream* Stream) {
  const auto* src = static_cast<const Byte*>(Sample);
  BITMAPINFOHEADER info;
  std::memcpy(&info, src, sizeof(info));
  if (info.biSize < sizeof(BITMAPINFOHEADER) || info.biSize > 4096) return false;
  const Integer bits = info.biBitCount;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  const bool bitFields = info.biCompression == BI_BITFIELDS;
  if (info.biCompression != BI_RGB && !(bitFields && (bits == 16 || bits == 32))) return false;
  const Integer width = info.biWidth;
  const Integer height = info.biHeight < 0 ? -info.biHeight : info.biHeight;
  if (width < 1 || width > kAviMaxSide || height < 1 || height > kAviMaxSide) return false;
  if (info.biClrUsed > 256) return false;

  // Where the sample's parts lie: the header's own size, then the masks
  // (inside a larger header, after a 40-byte one), then the colours it
  // declares, then the rows.
  const Byte* masks = nullptr;
  size_t offset = info.biSize;
  if (bitFields) {
    masks = src + sizeof(BITMAPINFOHEADER);
    if (info.biSize < sizeof(BITMAPINFOHEADER) + 12) offset = sizeof(BITMAPINFOHEADER) + 12;
  }
  const Cardinal tableMax = bits <= 8 ? (Cardinal{1} << bits) : 0;
  const Cardinal declared = info.biClrUsed != 0 ? info.biClrUsed : tableMax;
  const Byte* table = src + offset;
  offset += size_t{declared} * 4;
  const Byte* rows = src + offset;

  const Cardinal colors = std::min(declared, tableMax);
  std::vector<RGBQUAD> palette(colors);
  if (colors) std::memcpy(palette.data(), table, colors * sizeof(RGBQUAD));
  // The stream's palette, as far as its format holds it, replaces the
  // decoder's colours; a sample without a colour table has none to replace.
  if (colors && Format && FormatSize >= static_cast<Integer>(sizeof(BITMAPINFOHEADER))) {
    const auto* fmt = static_cast<const Byte*>(Format);
    const Cardinal fmtSize = AviRead<DWORD>(fmt);
    const Cardinal fmtUsed = AviRead<DWORD>(fmt + offsetof(BITMAPINFOHEADER, biClrUsed));
    if (fmtSize >= sizeof(BITMAPINFOHEADER) && fmtSize <= static_cast<Cardinal>(FormatSize)) {
      const Cardinal available = (static_cast<Cardinal>(FormatSize) - fmtSize) / 4;
      const Cardinal n = std::min({fmtUsed, available, colors});
      if (n) std::memcpy(palette.data(), fmt + fmtSize, n * sizeof(RGBQUAD));
    }
  }

  const size_t stride = ((size_t{static_cast<Cardinal>(width)} * bits + 31) / 32) * 4;
  const size_t pixelBytes = stride * static_cast<size_t>(height);
  const size_t tableBytes = (bitFields ? 12 : 0) + palette.size() * sizeof(RGBQUAD);
  if (pixelBytes > 0x7FFFFFFF - 14 - 40 - tableBytes) return false;
  // The image size is what the decoder put behind the header (for an
  // uncompressed stream: the bytes read from the file). A picture that needs
  // more rows than that would be read from beyond the sample.
  if (pixelBytes > info.biSizeImage) return false;

  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = static_cast<DWORD>(14 + 40 + tableBytes);
  BITMAPINFOHEADER out = info;
  out.biSize = sizeof(BITMAPINFOHEADER);
  out.biHeight = height;
  out.biClrUsed = static_cast<DWORD>(palette.size());
  out.biClrImportant = 0;
  out.biSizeImage = static_cast<DWORD>(pixelBytes);
  Stream->WriteBuffer(&file, 14);
  Stream->WriteBuffer(&out, sizeof(out));
  if (bitFields) Stream->WriteBuffer(masks, 12);
  if (!palette.empty()) Stream->WriteBuffer(palette.data(), static_cast<Integer>(palette.size() * sizeof(RGBQUAD)));
  if (info.biHeight > 0) {
    Stream->WriteBuffer(rows, static_cast<Integer>(pixelBytes));
  } else {
    // Top-down rows are written bottom-up, as the file header says.
    for (Integer y = height - 1; y >= 0; --y)
      Stream->WriteBuffer(rows + stride * static_cast<size_t>(y), static_cast<Integer>(stride));
  }
  return true;
}

namespace {

// Whether Path survives the conversion to the ANSI code page unchanged.
bool AviAnsiPath(const std::wstring& Path) {
  BOOL lossy = FALSE;
  ::WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, Path.c_str(), -1, nullptr, 0, nullptr, &lossy);
  return !lossy;
}

// The AVIFile interface hands the path to a file layer that takes ANSI names
// only: a name outside the code page is opened by its short form, which is.
HRESULT AviOpenFile(PAVIFILE* File, const std::wstring& Path) {
  const HRESULT result = AVIFileOpenW(File, Path.c_str(), OF_READ | OF_SHARE_DENY_WRITE, nullptr);
  if (result == 0 || AviAnsiPath(Path)) return result;
  std::wstring shortPath(MAX_PATH, L'\0');
  DWORD n = ::GetShortPathNameW(Path.c_str(), shortPath.data(), MAX_PATH);
  if (n >= MAX_PATH) {
    shortPath.resize(n);
    n = ::GetShortPathNameW(Path.c_str(), shortPath.data(), n);
  }
  if (n == 0 || n >= shortPath.size()) return result;
  shortPath.resize(n);
  if (!AviAnsiPath(shortPath)) return result;
  return AVIFileOpenW(File, shortPath.c_str(), OF_READ | OF_SHARE_DENY_WRITE, nullptr);
}

// Every sample becomes a frame of the stream's picture size, whatever its
// bytes: the pictures must stay within the bounds above.
bool AviPicturesWithinBounds(const std::vector<Byte>& Format, const AVISTREAMINFOA& Info) {
  BITMAPINFOHEADER h;
  std::memcpy(&h, Format.data(), sizeof(h));
  const int64_t area = std::abs(int64_t{h.biWidth}) * std::abs(int64_t{h.biHeight});
  const int64_t samples = std::max<int64_t>(int64_t{Info.dwLength} - Info.dwStart, 1);
  return area <= kAviMaxPicturePixels && area * samples <= kAviMaxFramePixels;
}

// An uncompressed stream is handed out as its own format followed by the
// rows read from the file: the format must hold the whole header and the
// colour table it declares, or the rows are looked for in the wrong place.
bool AviFormatHoldsItsTable(const std::vector<Byte>& Format, LONG Size) {
  if (Size < static_cast<LONG>(sizeof(BITMAPINFOHEADER))) return false;
  BITMAPINFOHEADER h;
  std::memcpy(&h, Format.data(), sizeof(h));
  if (h.biCompression != BI_RGB) return true;
  const uint64_t colors = h.biClrUsed != 0 ? h.biClrUsed : h.biBitCount <= 8 ? uint64_t{1} << h.biBitCount : 0;
  return h.biSize >= sizeof(BITMAPINFOHEADER) && uint64_t{h.biSize} + colors * 4 <= static_cast<uint64_t>(Size);
}

// Steps from opening the file to the last frame; returns early when the user
// cancels. What it acquired is released when it leaves, however it leaves.
void AviReadFrames(TGIFImage* Image, const std::string& Path, TfrmProgress* Progress,
                   const std::function<bool()>& Cancelled, const std::function<void(const std::string&)>& Report) {
  TAviHandles avi;
  AVIFileInit();
  avi.initialised = true;

  Report("Opening AVI file...");
  if (AviOpenFile(&avi.file, Utf8ToWide(Path)) != 0) {
    avi.file = nullptr;
    throw Exception("Failed to open AVI file");
  }
  if (Cancelled()) return;

  Report("Opening AVI data stream...");
  if (AVIFileGetStream(avi.file, &avi.stream, streamtypeVIDEO, 0) != 0) {
    avi.stream = nullptr;
    throw Exception("Failed to open AVI stream");
  }
  if (Cancelled()) return;

  Report("Scanning AVI data stream info...");
  AVISTREAMINFOA info{};
  if (AVIStreamInfoA(avi.stream, &info, sizeof(info)) != 0) throw Exception("Failed to get AVI stream info");
  const Integer delay = AviFrameDelay(info.dwRate, info.dwScale);
  LONG formatSize = 0;
  if (AVIStreamReadFormat(avi.stream, 0, nullptr, &formatSize) != 0)
    throw Exception("Failed to get AVI stream format size");
  if (formatSize > 0) avi.format.resize(static_cast<size_t>(formatSize));
  if (Cancelled()) return;

  Report("Getting AVI data stream format...");
  if (AVIStreamReadFormat(avi.stream, 0, avi.format.empty() ? nullptr : avi.format.data(), &formatSize) != 0)
    throw Exception("Failed to get AVI stream format");
  // The size read back may be smaller than the one announced, never larger.
  formatSize = std::clamp<LONG>(formatSize, 0, static_cast<LONG>(avi.format.size()));
  if (!AviFormatHoldsItsTable(avi.format, formatSize) || !AviPicturesWithinBounds(avi.format, info))
    throw Exception("Failed to get AVI stream format");
  Report("Reading AVI start stream...");
  if (AVIStreamBeginStreaming(avi.stream, 0, 0, 1000) != 0) throw Exception("Failed to start AVI stream");
  avi.streaming = true;
  if (Cancelled()) return;

  Report("Reading AVI frames...");
  avi.decoder = AVIStreamGetFrameOpen(avi.stream, nullptr);
  if (!avi.decoder) throw Exception("Failed to start AVI decompression");
  if (Cancelled()) return;

  TMemoryStream memory;
  TBitmap bitmap;
  Image->SetColorReduction(rdNetscape);
  Image->SetDitherKind(dkFloydSteinberg);
  const Integer length = static_cast<Integer>(std::min<DWORD>(info.dwLength, 0x7FFFFFFF));
  Progress->prgBar->SetMax(length - 1);
  Report(Format("Decompressing AVI frames (Total %d)...", length - 1));
  for (LONG s = static_cast<LONG>(std::min<DWORD>(info.dwStart, 0x7FFFFFFF)); s < length && !Cancelled(); ++s) {
    const void* sample = AVIStreamGetFrame(avi.decoder, s);
    if (!sample) throw Exception("Failed to decompress AVI frame");
    Report("Reading frame palette...");
    Report(Format("Creating GIF frame %d...", static_cast<Integer>(s)));
    Progress->prgBar->StepBy(1);
    Application->ProcessMessages();
    // The decoder's buffer stays valid until its next frame.
    memory.Clear();
    if (!WriteAviSampleAsBmp(sample, avi.format.empty() ? nullptr : avi.format.data(), formatSize, &memory))
      throw Exception("Failed to decompress AVI frame");
    memory.SetPosition(0);
    bitmap.LoadFromStream(&memory);
    const Integer index = Image->AddFrame(&bitmap);
    TGIFSubImage* frame = Image->Frames()->FrameAt(index);
    if (index == 0) {
      auto loop = std::make_unique<TGIFAppExtNSLoop>(frame);
      loop->SetLoops(0);
      frame->Extensions()->Append(std::move(loop));
    }
    auto control = std::make_unique<TGIFGraphicControlExtension>(frame);
    control->SetFrameDelay(static_cast<Word>(delay));
    frame->SetGraphicControl(control.get());
    frame->Extensions()->Append(std::move(control));
  }
}

}  // namespace

void ImportAviToGif(TGIFImage* Image, const std::string& Path, TfrmProgress* Progress) {
  auto cancelled = [Progress] { return Progress->ModalResult() == mrCancel; };
  auto report = [Progress](const std::string& Text) {
    Progress->lblFileName->SetCaption(Text);
    Progress->lblFileName->Repaint();
  };
  Screen->SetCursor(crAppStart);
  Progress->prgBar->SetMin(0);
  Progress->prgBar->SetPosition(0);
  AviReadFrames(Image, ChangeFileExt(Path, ".avi"), Progress, cancelled, report);
  if (!cancelled() && !Image->IsEmpty()) {
    report("Optimizing GIF color palette...");
    Image->MergeColorMaps();
    AddCommentExtension(Image->Frames()->FrameAt(0), "");
  }
  Screen->SetCursor(crDefault);
}
