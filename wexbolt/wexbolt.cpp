// gif2swf: reads the GIF with our GIF library, has the library's painter
// compose every frame as the editor's playback shows it, and writes the
// movie of those pictures beside the target before putting it in place.
#include "wexbolt/wexbolt.h"

#include <algorithm>
#include <exception>
#include <mutex>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "gif/GIFPainter.h"
#include "wexbolt/SwfMovie.h"

namespace {

// Bounds that keep hostile files from taking the caller's memory.
constexpr Int64 kMaxGifBytes = Int64(256) << 20;
constexpr Int64 kMaxScreenPixels = Int64(4096) * 4096;
constexpr size_t kMaxMovieBytes = size_t(512) << 20;
// The pixels of all frames together, and the pixels composed (every frame
// paints the whole screen once): a small file can describe far more of both.
constexpr Int64 kMaxFramePixels = Int64(1) << 28;
constexpr Int64 kMaxComposedPixels = Int64(1) << 30;
// Each GIF frame takes at least one movie frame: more cannot become a movie.
constexpr Int64 kMaxFrames = 65535;
// Where the logical screen has no colour table to name a background.
constexpr uint32_t kDefaultBackground = 0xFFFFFF;

std::wstring WexWidePath(const char* Utf8) {
  if (!Utf8 || !*Utf8) return std::wstring();
  const int n = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, Utf8, -1, nullptr, 0);
  if (n <= 1) return std::wstring();
  std::wstring w(size_t(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, Utf8, -1, w.data(), n);
  w.resize(size_t(n - 1));
  return w;
}

struct TWexHandle {
  HANDLE h = INVALID_HANDLE_VALUE;
  ~TWexHandle() {
    if (h != INVALID_HANDLE_VALUE) ::CloseHandle(h);
  }
};

// The whole file into Stream; false for a missing, unreadable or oversized one.
bool WexReadFile(const std::wstring& Path, TMemoryStream& Stream) {
  TWexHandle f;
  f.h = ::CreateFileW(Path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f.h == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(f.h, &size) || size.QuadPart <= 0 || size.QuadPart > kMaxGifBytes) return false;
  Stream.SetSize(size.QuadPart);
  auto* p = static_cast<Byte*>(Stream.Memory());
  Int64 done = 0;
  while (done < size.QuadPart) {
    DWORD got = 0;
    const DWORD want = DWORD(std::min<Int64>(size.QuadPart - done, 1 << 20));
    if (!::ReadFile(f.h, p + done, want, &got, nullptr) || got == 0) return false;
    done += got;
  }
  Stream.SetPosition(0);
  return true;
}

// Writes Data to a new file in the target's folder and moves it over the
// target only when it is complete; on any failure nothing is left behind.
bool WexWriteReplacing(const std::wstring& Target, const std::vector<uint8_t>& Data) {
  const DWORD attrs = ::GetFileAttributesW(Target.c_str());
  if (attrs != INVALID_FILE_ATTRIBUTES && (attrs & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)))
    return false;
  std::wstring folder = Target;
  const size_t slash = folder.find_last_of(L"\\/");
  folder = slash == std::wstring::npos ? std::wstring(L".") : folder.substr(0, slash + 1);
  wchar_t temp[MAX_PATH + 16];
  if (folder.size() > MAX_PATH - 14 || !::GetTempFileNameW(folder.c_str(), L"swf", 0, temp)) return false;
  bool ok = false;
  {
    TWexHandle f;
    f.h = ::CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f.h != INVALID_HANDLE_VALUE) {
      ok = true;
      size_t done = 0;
      while (ok && done < Data.size()) {
        DWORD wrote = 0;
        const DWORD want = DWORD(std::min<size_t>(Data.size() - done, 1 << 20));
        ok = ::WriteFile(f.h, Data.data() + done, want, &wrote, nullptr) && wrote == want;
        done += wrote;
      }
      ok = ok && ::FlushFileBuffers(f.h);
    }
  }
  if (ok) ok = ::MoveFileExW(temp, Target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!ok) ::DeleteFileW(temp);
  return ok;
}

// Walks the GIF's blocks as the library reads them, without decoding, and
// tells whether its frames stay within the bounds above. Where the walk
// cannot follow the data it stops: the library's reading judges the rest.
bool WexFramesWithinBounds(TMemoryStream& Gif) {
  const auto* p = static_cast<const Byte*>(Gif.Memory());
  const size_t size = size_t(Gif.Size());
  auto word = [p](size_t At) { return Int64(p[At]) | (Int64(p[At + 1]) << 8); };
  auto skipSubBlocks = [&](size_t& At) {
    while (At < size && p[At] != 0) At += size_t(p[At]) + 1;
    ++At;
    return At <= size;
  };
  if (size < 13) return true;
  const Int64 screenW = word(6), screenH = word(8);
  Int64 right = screenW, bottom = screenH, framePixels = 0, frames = 0;
  size_t at = 13 + ((p[10] & 0x80) ? size_t(3) << ((p[10] & 7) + 1) : 0);
  while (at < size) {
    const Byte b = p[at];
    if (b == 0x00) {
      ++at;
    } else if (b == 0x21) {
      at += 2;
      if (!skipSubBlocks(at)) break;
    } else if (b == 0x2C) {
      if (at + 10 > size) break;
      Int64 w = word(at + 5), h = word(at + 7);
      // The library gives a frame without a size the screen's.
      if (w == 0 || h == 0) w = screenW, h = screenH;
      right = std::max(right, word(at + 1) + w);
      bottom = std::max(bottom, word(at + 3) + h);
      framePixels += w * h;
      ++frames;
      const Byte packed = p[at + 9];
      at += 10 + ((packed & 0x80) ? size_t(3) << ((packed & 7) + 1) : 0) + 1;
      if (frames > kMaxFrames || right * bottom > kMaxScreenPixels || framePixels > kMaxFramePixels ||
          frames * right * bottom > kMaxComposedPixels)
        return false;
      if (!skipSubBlocks(at)) break;
    } else {
      break;
    }
  }
  return true;
}

// The painter composes here instead of playing: its waits take no time.
void WexSkipPainterWaits() {
  static std::once_flag once;
  std::call_once(once, [] {
    auto clock = std::make_shared<DWORD>(0);
    GIFPainterClock.Now = [clock] { return *clock += 0x10000; };
    GIFPainterClock.Sleep = [](DWORD) {};
    GIFPainterClock.WaitWake = [](HANDLE, DWORD) { return false; };
  });
}

// The GIF as a movie; false for a damaged or empty GIF or one too large.
bool WexConvert(TMemoryStream& Gif, std::vector<uint8_t>& Movie) {
  if (!WexFramesWithinBounds(Gif)) return false;
  TGIFImage image;
  bool damaged = false;
  image.OnGIFWarning = TGIFWarning([&damaged](TObject*, Integer, const std::string& Message) {
    // Data that ends early: the library keeps what it could read.
    if (Message == "Premature end of data" || Message == "Decoder bit buffer under-run") damaged = true;
  });
  image.LoadGIFStream(&Gif);
  // A complete file ends with the trailer, which the reader has just taken.
  const Int64 end = Gif.Position();
  if (damaged || end <= 0 || static_cast<const Byte*>(Gif.Memory())[end - 1] != 0x3B) return false;

  const Integer width = image.LogicalWidth(), height = image.LogicalHeight();
  if (width <= 0 || height <= 0 || Int64(width) * height > kMaxScreenPixels) return false;

  // The frames the painter shows: those up to the first without pixels.
  TGIFImageList* frames = image.Frames();
  Integer shown = 0;
  while (shown < frames->ItemCount() && !frames->FrameAt(shown)->IsEmpty()) ++shown;
  if (shown == 0) return false;

  // Delays and loop as the editor's playback takes them.
  std::vector<uint32_t> delays;
  uint32_t passes = 1;  // without a loop block the animation plays once
  size_t loopStart = 0;
  bool loopSeen = false;
  for (Integer i = 0; i < shown; ++i) {
    TGIFSubImage* f = frames->FrameAt(i);
    Integer d = GIFDefaults.DefaultDelay;
    if (TGIFGraphicControlExtension* gce = f->GraphicControl(); gce && gce->FrameDelay() != 0)
      d = std::max<Integer>(gce->FrameDelay(), GIFDefaults.MinimumDelay);
    delays.push_back(uint32_t(std::max<Integer>(d, 1)));
    for (Integer e = 0; e < f->Extensions()->ItemCount() && !loopSeen; ++e)
      if (auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(f->Extensions()->ExtensionAt(e))) {
        loopSeen = true;
        passes = loop->Loops();
        loopStart = size_t(i);
      }
  }
  const wexbolt::TMovieTiming timing = wexbolt::ChooseTiming(delays);

  uint32_t background = kDefaultBackground;
  if (image.GlobalColorMap()->Count() > 0) {
    const TColor c = ColorToRGB(image.BackgroundColor());
    background = ((uint32_t(c) & 0xFF) << 16) | (uint32_t(c) & 0xFF00) | ((uint32_t(c) >> 16) & 0xFF);
  }
  wexbolt::TSwfMovieWriter writer(width, height, background, timing.RateFixed, kMaxMovieBytes);

  // The painter draws onto a picture of the logical screen, cleared to the
  // background, and reports each frame it has shown.
  TBitmap canvas;
  canvas.SetPixelFormat(pf24bit);
  canvas.SetSize(width, height);
  canvas.Canvas()->Brush()->SetColor(TColor(((background >> 16) & 0xFF) | (background & 0xFF00) |
                                            ((background & 0xFF) << 16)));
  canvas.Canvas()->Brush()->SetStyle(bsSolid);
  canvas.Canvas()->FillRect(Rect(0, 0, width, height));
  std::vector<uint32_t> pixels(size_t(width) * size_t(height));
  Integer composed = 0;
  image.OnFrameShown = TNotifyEvent([&](TObject* Sender) {
    const Integer index = static_cast<TGIFPainter*>(Sender)->ActiveFrame();
    if (index != composed) throw wexbolt::EMovieError("frames out of order");
    ::GdiFlush();
    for (Integer y = 0; y < height; ++y) {
      const auto* row = static_cast<const Byte*>(canvas.ScanLine(y));
      uint32_t* out = pixels.data() + size_t(y) * size_t(width);
      for (Integer x = 0; x < width; ++x, row += 3)
        out[x] = (uint32_t(row[2]) << 16) | (uint32_t(row[1]) << 8) | row[0];
    }
    writer.AddPicture(pixels.data(), timing.Ticks[size_t(index)]);
    ++composed;
  });
  WexSkipPainterWaits();
  image.CreatePainter(nullptr, canvas.Canvas(), pfTransparent | pfAnimate, Rect(0, 0, width, height));
  if (composed != shown) return false;
  Movie = writer.Finish(passes, loopStart);
  return true;
}

struct TWexJob {
  std::wstring gif, swf;
  int result = 0;
};

// The whole conversion runs on a thread of its own: the painter pumps the
// messages of the thread it runs on, and the caller's must stay untouched.
DWORD WINAPI WexJobThread(void* Param) {
  auto* job = static_cast<TWexJob*>(Param);
  try {
    TMemoryStream gif;
    if (!WexReadFile(job->gif, gif)) return 0;
    std::vector<uint8_t> movie;
    if (!WexConvert(gif, movie)) return 0;
    job->result = WexWriteReplacing(job->swf, movie) ? 1 : 0;
  } catch (...) {
    job->result = 0;
  }
  return 0;
}

}  // namespace

extern "C" WEXBOLT_API int __stdcall gif2swf(const char* GifPath, const char* SwfPath, HWND /*Owner*/) {
  try {
    TWexJob job;
    job.gif = WexWidePath(GifPath);
    job.swf = WexWidePath(SwfPath);
    if (job.gif.empty() || job.swf.empty()) return 0;
    HANDLE thread = ::CreateThread(nullptr, 0, &WexJobThread, &job, 0, nullptr);
    if (!thread) return 0;
    ::WaitForSingleObject(thread, INFINITE);
    ::CloseHandle(thread);
    return job.result;
  } catch (...) {
    return 0;
  }
}
