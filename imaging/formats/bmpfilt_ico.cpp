// Icon and cursor readers: one image of the directory, its colour bitmap and
// its AND mask (transparent pixels painted with the background colour).
#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/formats/bmpfilt.h"
#include "imaging/formats/iefmtutil.h"

using namespace iefmt;

namespace {

bool IsIconDirectory(TStream* Stream, Word Type) {
  const Int64 start = Stream->Position();
  const Int64 size = Stream->Size() - start;
  if (size <= 22) return false;
  bool ok = false;
  Byte h[6];
  if (Stream->Read(h, 6) == 6 && Le16(h) == 0 && Le16(h + 2) == Type && Le16(h + 4) > 0) {
    ok = true;
    const Integer count = Le16(h + 4);
    Byte e[16];
    for (Integer k = 0; k < count && ok; ++k) {
      if (Stream->Read(e, 16) != 16) {
        ok = false;
        break;
      }
      const Int64 reached = Stream->Position() - start;
      ok = e[3] == 0 && Le32(e + 8) > 0 && Int64(Le32(e + 12)) >= reached && Int64(Le32(e + 12)) < size;
    }
  }
  Stream->SetPosition(start);
  return ok;
}

Integer BitsForColors(Integer Count) {
  Integer b = 0;
  while ((1 << b) < Count && b < 8) ++b;
  return b;
}

void ReadIconImage(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress,
                   bool HeaderOnly, bool NoAlpha, std::unique_ptr<TIEMask>& Alpha, bool Cursor) {
  const Int64 start = Stream->Position();
  const Int64 size = Stream->Size() - start;
  Byte dh[6];
  if (Stream->Read(dh, 6) != 6) {
    IEFilterFail(Progress, "Truncated icon header");
    return;
  }
  if (!Cursor && dh[0] == 'B' && dh[1] == 'M') {
    Stream->SetPosition(start);
    ReadBmpStream(Stream, Bitmap, Params, Progress, HeaderOnly, size);
    return;
  }
  const Integer count = Le16(dh + 4);
  const Integer index = Cursor ? Params.CurImageIndex : Params.IcoImageIndex;
  if (index < 0 || index >= count) return;
  Byte e[16] = {};
  for (Integer k = 0; k <= index; ++k) {
    if (Stream->Read(e, 16) != 16) {
      IEFilterFail(Progress, "Truncated icon directory");
      return;
    }
  }
  if (Cursor) {
    Params.CurHotSpotX = Le16(e + 4);
    Params.CurHotSpotY = Le16(e + 6);
  }
  const Int64 offset = Le32(e + 12);
  Byte ih[40];
  if (offset + 40 > size) {
    IEFilterFail(Progress, "Icon image offset past the end of the file");
    return;
  }
  Stream->SetPosition(start + offset);
  if (Stream->Read(ih, 40) != 40 || Le32(ih) < 40) {
    IEFilterFail(Progress, "Invalid icon image header");
    return;
  }
  const Integer ppmX = Integer(Le32(ih + 24)), ppmY = Integer(Le32(ih + 28));
  Params.DpiX = ppmX < 1 ? IEDefaultDpiX : PpmToDpi(ppmX);
  Params.DpiY = ppmY < 1 ? IEDefaultDpiY : PpmToDpi(ppmY);
  // Headers longer than 40 bytes put the colour table after themselves.
  if (Le32(ih) > 40) Stream->SetPosition(start + offset + Le32(ih));

  Integer bits = Le16(ih + 14);
  if (bits == 0 && !Cursor) bits = Le16(e + 6);
  if (bits == 0) {
    if (e[2] == 0) {
      IEFilterFail(Progress, "Icon without a bit count");
      return;
    }
    bits = BitsForColors(e[2]);
  }
  Integer colors;
  if (Cursor) {
    Params.BitsPerSample = bits;
    Params.SamplesPerPixel = 1;
    colors = e[2] == 0 ? (bits <= 8 ? 1 << bits : 0) : (e[2] == 255 ? 256 : e[2]);
  } else {
    colors = bits <= 8 ? 1 << bits : 0;
    if (bits > 8) {
      Params.BitsPerSample = 8;
      Params.SamplesPerPixel = 3;
    } else {
      Params.BitsPerSample = bits;
      Params.SamplesPerPixel = 1;
    }
  }

  const Integer hw = Integer(Le32(ih + 4)), hh = Integer(Le32(ih + 8));
  Integer width = e[0] != 0 ? e[0] : hw;
  Integer height = e[1] != 0 ? e[1] : hh / 2;
  if (!Cursor && e[0] != 0 && e[0] != hw && hw != 0 && hw < 2048 && hh < 2048) {
    width = hw;
    height = hh / 2;
  }

  FreeParamsPalette(Params);
  TIEColorTriple table[256] = {};
  if (colors > 0) {
    TIEColorTriple* pal = SetParamsPalette(Params, nullptr, colors);
    Byte quad[4];
    for (Integer k = 0; k < colors; ++k) {
      ReadZeroFilled(Stream, quad, 4);
      pal[k] = TIEColorTriple{quad[0], quad[1], quad[2]};
      if (k < 256) table[k] = pal[k];
    }
  }
  Params.Width = width;
  Params.Height = height;
  if (HeaderOnly) return;

  const bool decodable = bits == 1 || bits == 4 || bits == 8 || (!Cursor && (bits == 24 || bits == 32));
  const Int64 colorRow = AlignedRowLength(width, bits), maskRow = AlignedRowLength(width, 1);
  if (!decodable || !PictureFitsData(width, height, Remaining(Stream), 8.0 / (bits + 1))) {
    IEFilterFail(Progress, "Unsupported icon bit count or size");
    return;
  }
  // The colour rows, then (below 32 bits) the AND mask; missing bytes read as 0.
  std::vector<Byte> colorData(size_t(colorRow * height)), maskData;
  ReadZeroFilled(Stream, colorData.data(), Integer(colorData.size()));
  if (bits != 24 && bits != 32) {
    maskData.resize(size_t(maskRow * height));
    ReadZeroFilled(Stream, maskData.data(), Integer(maskData.size()));
  }

  Bitmap->AllocateImage(width, height, bits == 1 ? ipkBW1 : ipkRGB24);
  TIEMask* mask = nullptr;
  if (!NoAlpha) {
    if (!Alpha) Alpha = std::make_unique<TIEMask>();
    Alpha->AllocateMask(width, height, 8);
    Alpha->FillMask(255);
    Alpha->SetFull(false);
    mask = Alpha.get();
  }
  const TIEColorTriple bg = Cursor ? Params.CurBackground : Params.IcoBackground;
  const bool whiteBg = bg == TIEColorTriple{255, 255, 255};
  for (Integer k = 0; k < height; ++k) {
    const Integer y = height - 1 - k;
    const Byte* src = colorData.data() + colorRow * k;
    const Byte* andRow = maskData.empty() ? nullptr : maskData.data() + maskRow * k;
    Byte* row = static_cast<Byte*>(Bitmap->GetRowPointer(y));
    Byte* alphaRow = mask ? mask->RowAddress(y) : nullptr;
    for (Integer x = 0; x < width; ++x) {
      const bool transparent = andRow && TestBit(andRow, x);
      switch (bits) {
        case 1:
          if (x == 0) std::memcpy(row, src, size_t((width + 7) / 8));
          if (transparent && whiteBg) PutBit(row, x, TestBit(row, x) ? 0 : 1);
          break;
        case 4:
        case 8: {
          const Byte idx = bits == 8 ? src[x] : ((x & 1) ? (src[x >> 1] & 15) : (src[x >> 1] >> 4));
          const TIEColorTriple c = transparent ? bg : table[idx];
          row[3 * x] = c.Blue;
          row[3 * x + 1] = c.Green;
          row[3 * x + 2] = c.Red;
          break;
        }
        case 24:
          std::memcpy(row + 3 * x, src + 3 * x, 3);
          break;
        case 32: {
          // Colour and alpha: the colour shows over the background by its alpha.
          const Byte* p = src + 4 * x;
          const Integer a = p[3];
          row[3 * x] = Byte((p[0] * a + bg.Blue * (255 - a) + 127) / 255);
          row[3 * x + 1] = Byte((p[1] * a + bg.Green * (255 - a) + 127) / 255);
          row[3 * x + 2] = Byte((p[2] * a + bg.Red * (255 - a) + 127) / 255);
          if (alphaRow) alphaRow[x] = Byte(a);
          break;
        }
      }
      if (transparent && alphaRow) alphaRow[x] = 0;
    }
  }
}

}  // namespace

bool IsIcoStream(TStream* Stream) { return IsIconDirectory(Stream, 1); }
bool IsCurStream(TStream* Stream) { return IsIconDirectory(Stream, 2); }

void ReadIcoStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress,
                   bool HeaderOnly, bool NoAlpha, std::unique_ptr<TIEMask>& Alpha) {
  ReadIconImage(Stream, Bitmap, Params, Progress, HeaderOnly, NoAlpha, Alpha, false);
}

void ReadCurStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress,
                   bool HeaderOnly, bool NoAlpha, std::unique_ptr<TIEMask>& Alpha) {
  ReadIconImage(Stream, Bitmap, Params, Progress, HeaderOnly, NoAlpha, Alpha, true);
}
