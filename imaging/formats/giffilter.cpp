// GIF container reader and writer of the image library.
#include "imaging/formats/giffilter.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/buffer/neurquant.h"
#include "imaging/buffer/ruzozadproc.h"
#include "imaging/formats/iefmtutil.h"

using namespace iefmt;

namespace {

// Pixels one byte of LZW data can stand for at most (12-bit codes, strings
// of up to 4096 values); the bound's usual slack of 4 is not needed on top.
constexpr double kLzwPixelsPerByte = 2730.0 / 4;

inline void ReportStage(TIEProgressRecord& P, Integer Percent) {
  if (P.Callback) P.Callback(P.Sender, Percent);
}

inline int ReadByte(TStream* S) {
  Byte b;
  return S->Read(&b, 1) == 1 ? b : -1;
}

// Skips data sub-blocks up to and including the zero-length one.
void SkipSubBlocks(TStream* S) {
  for (;;) {
    const int n = ReadByte(S);
    if (n <= 0) return;
    if (Remaining(S) < n) {
      S->Seek(0, soEnd);
      return;
    }
    S->Seek(n, soCurrent);
  }
}

void ReadTable(TStream* S, TIEColorTriple* Table, Integer Count) {
  Byte rgb[768];
  ReadZeroFilled(S, rgb, Count * 3);
  for (Integer k = 0; k < Count; ++k) Table[k] = TIEColorTriple{rgb[3 * k + 2], rgb[3 * k + 1], rgb[3 * k]};
}

}  // namespace

Integer ReadGifStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress,
                      bool HeaderOnly, bool NoAlpha, std::unique_ptr<TIEMask>& Alpha) {
  ReportStage(Progress, 0);
  if (Progress.Aborted()) return 0;
  Byte gce[4] = {};  // packed fields, delay (2), transparent index
  Byte head[13];
  if (Stream->Read(head, 13) != 13 || std::memcmp(head, "GIF", 3) != 0) {
    IEFilterFail(Progress, "Not a GIF file");
    return 0;
  }
  Params.GifVersion.assign(reinterpret_cast<const char*>(head), 6);
  Params.GifScreenWidth = Le16(head + 6);
  Params.GifScreenHeight = Le16(head + 8);
  Params.GifAspectRatio = head[12];
  Params.DpiX = IEDefaultDpiX;
  Params.DpiY = IEDefaultDpiY;
  Params.SamplesPerPixel = 1;
  const bool hasGlobal = (head[10] & 0x80) != 0;
  const Integer globalBits = (head[10] & 7) + 1;
  TIEColorTriple global[256] = {};
  if (hasGlobal) {
    ReadTable(Stream, global, 1 << globalBits);
    Params.GifBackgroundColor = global[head[11]];
  }
  if (Remaining(Stream) == 0) IEFilterFail(Progress, "GIF file without images");

  Integer counter = 0;
  while (!Progress.Aborted()) {
    const int block = ReadByte(Stream);
    if (block < 0 || block == 0x3B) break;
    if (block == 0x21) {
      const int label = ReadByte(Stream);
      if (label < 0) break;
      if (label == 0xF9 && counter == Params.GifImageIndex) {
        const int size = ReadByte(Stream);
        Byte data[4] = {};
        if (size > 0) {
          ReadZeroFilled(Stream, data, std::min(size, 4));
          if (size > 4) Stream->Seek(std::min<Int64>(size - 4, Remaining(Stream)), soCurrent);
        }
        std::memcpy(gce, data, 4);
        SkipSubBlocks(Stream);
      } else if (label == 0xFE) {
        for (;;) {
          const int n = ReadByte(Stream);
          if (n <= 0) break;
          std::string text(size_t(n), '\0');
          const Integer got = Stream->Read(text.data(), n);
          text.resize(size_t(got > 0 ? got : 0));
          if (!text.empty()) Params.GifComments.Add(text);
          if (got < n) break;
        }
      } else {
        SkipSubBlocks(Stream);
      }
      continue;
    }
    if (block != 0x2C) continue;  // a byte that starts no block

    Byte d[9];
    if (Stream->Read(d, 9) != 9) break;
    const bool hasLocal = (d[8] & 0x80) != 0;
    const Integer localBits = (d[8] & 7) + 1;
    TIEColorTriple local[256] = {};
    if (hasLocal) ReadTable(Stream, local, 1 << localBits);
    if (counter != Params.GifImageIndex) {
      ReadByte(Stream);  // code size
      SkipSubBlocks(Stream);
      ++counter;
      continue;
    }
    ReportStage(Progress, 30);
    if (Progress.Aborted()) break;
    const TIEColorTriple* table = hasLocal ? local : global;
    const Integer width = Le16(d + 4), height = Le16(d + 6);
    const bool interlaced = (d[8] & 0x40) != 0;
    Params.GifTransparentColor = table[gce[3]];
    Params.GifXPosition = Le16(d);
    Params.GifYPosition = Le16(d + 2);
    Params.Width = width;
    Params.Height = height;
    Params.GifDelay = Le16(gce + 1);
    Params.GifHasTransparency = (gce[0] & 1) != 0;
    Params.GifInterlaced = interlaced;
    Params.BitsPerSample = hasLocal ? localBits : globalBits;
    const Integer colors = 1 << Params.BitsPerSample;
    SetParamsPalette(Params, table, colors);
    if (HeaderOnly) {
      ReadByte(Stream);
      SkipSubBlocks(Stream);
      ++counter;
      continue;
    }

    const TGifLzwDecoder decoder = Params.GifLzwDecoder ? Params.GifLzwDecoder : DefaultGifLzwDecoder;
    if (!decoder) {
      IEFilterFail(Progress, "No GIF decoder");
      break;
    }
    if (!PictureFitsData(width, height, Remaining(Stream), kLzwPixelsPerByte)) {
      IEFilterFail(Progress, "GIF image size does not fit its data");
      break;
    }
    std::vector<Byte> indices(size_t(width) * height);
    const Int64 before = Stream->Position();
    try {
      decoder(Stream, height, width, indices.data(), interlaced);
    } catch (const std::exception& e) {
      IEFilterFail(Progress, std::string("GIF image data: ") + e.what());
      break;
    }
    if (Stream->Position() == before) {
      IEFilterFail(Progress, "GIF image data missing");
      break;
    }
    ReportStage(Progress, 70);
    if (Progress.Aborted()) break;

    const bool bilevel = Params.BitsPerSample == 1 && table[0] == TIEColorTriple{0, 0, 0} &&
                         table[1] == TIEColorTriple{255, 255, 255};
    Bitmap->AllocateImage(width, height, bilevel ? ipkBW1 : ipkRGB24);
    TIEMask* mask = nullptr;
    if (!NoAlpha) {
      if (!Alpha) Alpha = std::make_unique<TIEMask>();
      Alpha->AllocateMask(width, height, 8);
      Alpha->FillMask(255);
      mask = Alpha.get();
    }
    for (Integer y = 0; y < height; ++y) {
      const Byte* src = indices.data() + size_t(y) * width;
      Byte* row = static_cast<Byte*>(Bitmap->GetRowPointer(y));
      if (bilevel) {
        std::memset(row, 0, size_t((width + 7) / 8));
        for (Integer x = 0; x < width; ++x)
          if (src[x] & 1) row[x >> 3] |= IEBitMask[x & 7];
      } else {
        for (Integer x = 0; x < width; ++x) {
          const TIEColorTriple& c = src[x] < colors ? table[src[x]] : table[0];
          row[3 * x] = c.Blue;
          row[3 * x + 1] = c.Green;
          row[3 * x + 2] = c.Red;
        }
      }
      if (mask && Params.GifHasTransparency) {
        Byte* a = mask->RowAddress(y);
        for (Integer x = 0; x < width; ++x)
          if (src[x] == gce[3]) a[x] = 0;
      }
    }
    ++counter;
  }
  Params.GifImageCount = counter;
  if (!Progress.Aborted()) ReportStage(Progress, 100);
  return counter;
}

Integer ReadGifFile(const std::string& FileName, TIEBitmap* Bitmap, TIOParamsVals& Params,
                    TIEProgressRecord& Progress, bool NoAlpha, std::unique_ptr<TIEMask>& Alpha) {
  TFileStream fs(FileName, fmOpenRead | fmShareDenyWrite);
  return ReadGifStream(&fs, Bitmap, Params, Progress, false, NoAlpha, Alpha);
}

void WriteGifStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress) {
  TAbortFlagScope abortScope(Progress);
  bool& aborting = abortScope.Flag();
  ReportStage(Progress, 0);
  if (aborting) return;
  const Integer bits = std::clamp(Params.BitsPerSample, 1, 8);
  const Integer colors = 1 << bits;
  const Integer width = Bitmap->Width(), height = Bitmap->Height();

  std::unique_ptr<TIEBitmap> copy;
  TIEBitmap* work = Bitmap;
  TIEColorTriple pal[256] = {};
  std::unique_ptr<TIEQuantizer> quantizer;
  std::vector<Byte> indices(size_t(width) * height);
  if (bits == 1) {
    if (work->PixelKind() != ipkBW1) {
      TIEColorTriple first, second;
      copy = ReduceToTwoColors(work, first, second);
      if (!copy) {
        copy = std::make_unique<TIEBitmap>();
        copy->SetLocation(islMemory);
        copy->CopyFromObject(Bitmap);
        copy->ConvertToKind(ipkBW1);
      }
      work = copy.get();
    }
    pal[1] = TIEColorTriple{255, 255, 255};
    for (Integer y = 0; y < height; ++y) {
      const Byte* row = static_cast<const Byte*>(work->GetRowPointer(y));
      for (Integer x = 0; x < width; ++x) indices[size_t(y) * width + x] = TestBit(row, x) ? 1 : 0;
    }
  } else {
    if (work->PixelKind() != ipkRGB24) {
      copy = std::make_unique<TIEBitmap>();
      copy->SetLocation(islMemory);
      copy->CopyFromObject(Bitmap);
      copy->ConvertToKind(ipkRGB24);
      work = copy.get();
    }
    quantizer = std::make_unique<TIEQuantizer>(work, pal, colors, -1);
    for (Integer y = 0; y < height; ++y) {
      const Byte* row = static_cast<const Byte*>(work->GetRowPointer(y));
      for (Integer x = 0; x < width; ++x)
        indices[size_t(y) * width + x] = Byte(quantizer->ColorIndex(row[3 * x], row[3 * x + 1], row[3 * x + 2]));
    }
  }
  ReportStage(Progress, 30);
  if (aborting) return;

  // The index of a colour: the quantiser's, or the nearer of black and white.
  auto indexOf = [&](const TIEColorTriple& c) -> Byte {
    if (quantizer) return Byte(quantizer->ColorIndex(c));
    const Integer toBlack = c.Red + c.Green + c.Blue;
    const Integer toWhite = 3 * 255 - toBlack;
    return toWhite < toBlack ? 1 : 0;
  };
  Byte head[13] = {};
  std::string version = Params.GifVersion.substr(0, 6);
  version.resize(6, ' ');
  std::memcpy(head, version.data(), 6);
  PutLe16(head + 6, Cardinal(width));
  PutLe16(head + 8, Cardinal(height));
  head[10] = Byte(0x80 + (bits - 1) * 16 + (bits - 1));
  head[11] = indexOf(Params.GifBackgroundColor);
  StreamWriteChecked(Stream, aborting, head, 13);
  std::vector<Byte> table(size_t(colors) * 3);
  for (Integer k = 0; k < colors; ++k) {
    table[3 * k] = pal[k].Red;
    table[3 * k + 1] = pal[k].Green;
    table[3 * k + 2] = pal[k].Blue;
  }
  StreamWriteChecked(Stream, aborting, table.data(), Integer(table.size()));
  Byte gce[8] = {0x21, 0xF9, 4, Byte(8 + (Params.GifHasTransparency ? 1 : 0)), 0, 0, 0, 0};
  PutLe16(gce + 4, Cardinal(Params.GifDelay));
  gce[6] = indexOf(Params.GifTransparentColor);
  StreamWriteChecked(Stream, aborting, gce, 8);
  Byte d[10] = {0x2C};
  PutLe16(d + 1, Cardinal(Params.GifXPosition));
  PutLe16(d + 3, Cardinal(Params.GifYPosition));
  PutLe16(d + 5, Cardinal(width));
  PutLe16(d + 7, Cardinal(height));
  d[9] = Params.GifInterlaced ? 0x40 : 0;
  StreamWriteChecked(Stream, aborting, d, 10);

  ReportStage(Progress, 70);
  if (aborting) return;
  const TGifLzwEncoder encoder = Params.GifLzwEncoder ? Params.GifLzwEncoder : DefaultGifLzwEncoder;
  if (!encoder) {
    IEFilterFail(Progress, "No GIF encoder");
    return;
  }
  encoder(Stream, height, width, bits, indices.data(), Params.GifInterlaced);

  // Comments: each line in sub-blocks of at most 255 bytes.
  std::vector<Byte> ext = {0x21, 0xFE};
  for (Integer k = 0; k < Params.GifComments.Count(); ++k) {
    const std::string line = Params.GifComments.Strings(k);
    for (size_t p = 0; p < line.size(); p += 255) {
      const size_t n = std::min<size_t>(255, line.size() - p);
      ext.push_back(Byte(n));
      ext.insert(ext.end(), line.begin() + std::ptrdiff_t(p), line.begin() + std::ptrdiff_t(p + n));
    }
  }
  ext.push_back(0);
  ext.push_back(0x3B);
  StreamWriteChecked(Stream, aborting, ext.data(), Integer(ext.size()));
  ReportStage(Progress, 100);
}

void WriteGifFile(const std::string& FileName, TIEBitmap* Bitmap, TIOParamsVals& Params,
                  TIEProgressRecord& Progress) {
  TFileStream fs(FileName, fmCreate);
  fs.SetSize(0);
  WriteGifStream(&fs, Bitmap, Params, Progress);
}
