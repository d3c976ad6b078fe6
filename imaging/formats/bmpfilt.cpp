// BMP reader and writer, with the RLE4 and RLE8 codings.
#include "imaging/formats/bmpfilt.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "imaging/buffer/neurquant.h"
#include "imaging/buffer/ruzozadproc.h"
#include "imaging/formats/iefmtutil.h"

using namespace iefmt;

namespace {

// The colours of up to 256 indices; indices past the file's table are black.
struct TIndexColors {
  TIEColorTriple Entry[256] = {};
  explicit TIndexColors(const TIOParamsVals& P) {
    const Integer n = std::min<Integer>(P.PaletteCount, 256);
    if (P.Palette && n > 0) std::memcpy(Entry, P.Palette.get(), size_t(n) * 3);
  }
};

inline void PutColor(Byte* Row, Integer X, const TIEColorTriple& C) {
  Byte* p = Row + 3 * X;
  p[0] = C.Blue;
  p[1] = C.Green;
  p[2] = C.Red;
}

// Shifts right by N, or left by -N, keeping 8 bits.
inline Byte ShiftTo8(Cardinal V, Integer N) {
  if (N >= 32 || N <= -32) return 0;
  return Byte((N >= 0 ? V >> N : V << -N) & 0xFF);
}

struct TRleCursor {
  TIEBitmap* Bitmap;
  Integer Width, Height;
  Integer X = 0, Y = 0;  // Y: bitmap row (starts at the bottom)
  Byte* Row = nullptr;
  const TIEColorTriple* Palette;

  TRleCursor(TIEBitmap* B, const TIEColorTriple* Pal)
      : Bitmap(B), Width(B->Width()), Height(B->Height()), Y(B->Height() - 1), Palette(Pal) {
    Fetch();
  }
  void Fetch() { Row = (Y >= 0 && Y < Height) ? static_cast<Byte*>(Bitmap->GetRowPointer(Y)) : nullptr; }
  // Writes one index at the position; pixels past the row's end are dropped.
  void Put(Byte Index) {
    if (Row && X < Width) PutColor(Row, X, Palette[Index]);
    ++X;
  }
};

// Shared by both run-length kinds; Nibbles selects RLE4.
void DecodeBmpRle(TIEBitmap* Bitmap, const Byte* Data, Integer Length, TIEProgressRecord& Progress,
                  const TIEColorTriple* Palette, bool Nibbles) {
  if (!Bitmap || Bitmap->Width() <= 0 || Bitmap->Height() <= 0 || !Data || Length <= 0) return;
  TRleCursor c(Bitmap, Palette);
  const Integer h = c.Height;
  Progress.PerUnit = 100.0 / h;
  Integer i = 0;
  while (i + 1 < Length) {
    const Byte n = Data[i], v = Data[i + 1];
    i += 2;
    if (n != 0) {
      if (Nibbles) {
        const Byte hi = v >> 4, lo = v & 15;
        for (Integer k = 0; k < n && c.X < c.Width; ++k) c.Put((k & 1) ? lo : hi);
      } else {
        for (Integer k = 0; k < n && c.X < c.Width; ++k) c.Put(v);
      }
      continue;
    }
    if (v == 0) {  // end of line
      --c.Y;
      c.X = 0;
      if (c.Y < 0) return;
      c.Fetch();
      if (Progress.Callback) Progress.Callback(Progress.Sender, Integer(Trunc(Extended(h - c.Y) * Progress.PerUnit)));
      if (Progress.Aborted()) return;
    } else if (v == 1) {  // end of bitmap
      return;
    } else if (v == 2) {  // delta
      if (i + 1 >= Length) return;
      const Byte dx = Data[i], dy = Data[i + 1];
      i += 2;
      c.X += dx;
      if (dy != 0) {
        c.Y -= dy;
        if (c.Y < 0) return;
        c.Fetch();
      }
    } else {  // absolute run of v pixels
      const Integer bytes = Nibbles ? (v + 1) / 2 : v;
      const Integer avail = std::min(bytes, Length - i);
      for (Integer k = 0; k < v; ++k) {
        const Integer b = Nibbles ? k / 2 : k;
        if (b >= avail) break;
        const Byte idx = Nibbles ? ((k & 1) ? (Data[i + b] & 15) : (Data[i + b] >> 4)) : Data[i + b];
        c.Put(idx);
      }
      i += bytes + (bytes & 1);
    }
  }
}

// Chunks of at most 255 literal pixels.
Integer FlushRle8Literals(const Byte* P, Integer From, Integer To, Byte* Out) {
  Integer o = 0;
  while (From < To) {
    const Integer n = std::min(To - From, 255);
    if (n == 1) {
      Out[o++] = 1;
      Out[o++] = P[From];
    } else if (n == 2) {
      Out[o++] = 1;
      Out[o++] = P[From];
      Out[o++] = 1;
      Out[o++] = P[From + 1];
    } else {
      Out[o++] = 0;
      Out[o++] = Byte(n);
      std::memcpy(Out + o, P + From, size_t(n));
      o += n;
      if (n & 1) Out[o++] = 0;
    }
    From += n;
  }
  return o;
}

Integer FlushRle4Literals(const Byte* P, Integer From, Integer To, Byte* Out) {
  Integer o = 0;
  while (From < To) {
    const Integer n = std::min(To - From, 255);
    if (n == 1) {
      Out[o++] = 1;
      Out[o++] = Byte((P[From] & 15) << 4);
    } else if (n == 2) {
      Out[o++] = 2;
      Out[o++] = Byte(((P[From] & 15) << 4) | (P[From + 1] & 15));
    } else {
      Out[o++] = 0;
      Out[o++] = Byte(n);
      const Integer bytes = (n + 1) / 2;
      for (Integer b = 0; b < bytes; ++b) {
        const Byte hi = P[From + 2 * b] & 15;
        const Byte lo = (2 * b + 1 < n) ? (P[From + 2 * b + 1] & 15) : 0;
        Out[o++] = Byte((hi << 4) | lo);
      }
      if (bytes & 1) Out[o++] = 0;
    }
    From += n;
  }
  return o;
}

Integer EncodeBmpRleRow(const Byte* P, Integer W, Byte* Out, bool Nibbles) {
  Integer o = 0, s = 0, i = 0;
  auto flush = [&](Integer from, Integer to) {
    o += Nibbles ? FlushRle4Literals(P, from, to, Out + o) : FlushRle8Literals(P, from, to, Out + o);
  };
  while (i < W) {
    if (i - s > 255) {
      flush(s, i);
      s = i;
    }
    if (i + 1 < W && P[i + 1] == P[i]) {
      flush(s, i);
      Integer j = i + 1;
      while (j < W && P[j] == P[i] && j - i < 255) ++j;
      Out[o++] = Byte(j - i);
      Out[o++] = Nibbles ? Byte(((P[i] & 15) << 4) | (P[i] & 15)) : P[i];
      s = i = j;
    } else {
      ++i;
    }
  }
  flush(s, W);
  Out[o++] = 0;
  Out[o++] = 0;
  return o;
}

void ReadRows(TStream* S, TIEBitmap* B, Integer FileRowLength, bool TopDown, TIEProgressRecord& Progress,
              const std::function<void(const Byte* FileRow, Byte* Row)>& Convert) {
  const Integer h = B->Height();
  std::vector<Byte> line(size_t(FileRowLength) + 4);
  Progress.Done = 0;
  for (Integer k = 0; k < h; ++k) {
    if (Progress.Callback) Progress.Callback(Progress.Sender, Integer(Trunc(Extended(k) * Progress.PerUnit)));
    if (Progress.Aborted()) return;
    if (ReadZeroFilled(S, line.data(), FileRowLength) == 0) return;  // nothing more in the file
    Convert(line.data(), static_cast<Byte*>(B->GetRowPointer(TopDown ? k : h - 1 - k)));
    ++Progress.Done;
  }
}

}  // namespace

void DecodeBmpRle4(TIEBitmap* Bitmap, const Byte* Data, Integer Length, TIEProgressRecord& Progress,
                   const TIEColorTriple* Palette) {
  DecodeBmpRle(Bitmap, Data, Length, Progress, Palette, true);
}

void DecodeBmpRle8(TIEBitmap* Bitmap, const Byte* Data, Integer Length, TIEProgressRecord& Progress,
                   const TIEColorTriple* Palette) {
  DecodeBmpRle(Bitmap, Data, Length, Progress, Palette, false);
}

Integer EncodeBmpRle4Row(const Byte* Indices, Integer Width, Byte* Output) {
  return EncodeBmpRleRow(Indices, Width, Output, true);
}

Integer EncodeBmpRle8Row(const Byte* Indices, Integer Width, Byte* Output) {
  return EncodeBmpRleRow(Indices, Width, Output, false);
}

// ---------------------------------------------------------------------------
// Reading.

void ReadBmpStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress,
                   bool HeaderOnly, Int64 TotalSize) {
  const Int64 start = Stream->Position();
  const Int64 streamEnd = Stream->Size();
  Byte fh[14];
  if (Stream->Read(fh, 14) != 14 || fh[0] != 'B' || fh[1] != 'M') {
    IEFilterFail(Progress, "Not a BMP file");
    return;
  }
  const Cardinal fileSize = Le32(fh + 2);
  const Cardinal dataOffset = Le32(fh + 10);
  if (TotalSize <= 0 && fileSize != 0) TotalSize = fileSize;

  Byte sizeBytes[4];
  if (Stream->Read(sizeBytes, 4) != 4) {
    IEFilterFail(Progress, "Truncated BMP header");
    return;
  }
  Stream->Seek(-4, soCurrent);
  const Cardinal headerSize = Le32(sizeBytes);
  // A header must hold at least the fields up to the bit count, and be in the file.
  if (headerSize != 12 && (headerSize < 16 || Int64(headerSize) > Remaining(Stream))) {
    IEFilterFail(Progress, "Invalid BMP header size");
    return;
  }
  FreeParamsPalette(Params);

  Integer width, height, bits, compression;
  Cardinal dataSize = 0;
  Cardinal masks[3] = {0x7C00, 0x03E0, 0x001F};
  if (headerSize == 12) {
    Byte ch[12];
    ReadZeroFilled(Stream, ch, 12);
    Params.BmpVersion = 2;
    width = Le16(ch + 4);
    height = Le16(ch + 6);
    bits = Le16(ch + 10);
    compression = 0;
    Params.DpiX = IEDefaultDpiX;
    Params.DpiY = IEDefaultDpiY;
    if (bits <= 8) {
      const Integer count = 1 << bits;
      TIEColorTriple* pal = SetParamsPalette(Params, nullptr, count);
      ReadZeroFilled(Stream, pal, count * 3);
    }
  } else {
    Byte ih[64] = {};
    ReadZeroFilled(Stream, ih, Integer(std::min<Cardinal>(64, headerSize)));
    if (headerSize > 64) Stream->Seek(Int64(headerSize) - 64, soCurrent);
    Params.BmpVersion = headerSize == 64 ? 3 : headerSize == 40 ? 1 : 0;
    width = Integer(Le32(ih + 4));
    height = Integer(Le32(ih + 8));
    bits = Le16(ih + 14);
    compression = Integer(Le32(ih + 16));
    dataSize = Le32(ih + 20);
    Params.DpiX = PpmToDpi(Integer(Le32(ih + 24)));
    Params.DpiY = PpmToDpi(Integer(Le32(ih + 28)));
    if (Params.DpiX == 0) Params.DpiX = IEDefaultDpiX;
    if (Params.DpiY == 0) Params.DpiY = IEDefaultDpiY;
    Cardinal used = Le32(ih + 32);
    if (used > 256) used = 0;
    if (used == 0 && bits <= 8) used = Cardinal(1) << bits;
    if (used != 0) {
      TIEColorTriple* pal = SetParamsPalette(Params, nullptr, Integer(used));
      Byte quad[4];
      for (Cardinal k = 0; k < used; ++k) {
        ReadZeroFilled(Stream, quad, 4);
        pal[k] = TIEColorTriple{quad[0], quad[1], quad[2]};
      }
    }
    if (compression == 3) {
      // Headers of 52 bytes and more carry the masks themselves; shorter
      // ones are followed by them.
      Byte mb[12];
      if (headerSize >= 52)
        std::memcpy(mb, ih + 40, 12);
      else
        ReadZeroFilled(Stream, mb, 12);
      for (int k = 0; k < 3; ++k) masks[k] = Le32(mb + 4 * k);
    }
  }
  Params.BmpCompression = (compression == 1 || compression == 2) ? 1 : 0;

  if (dataOffset != 0) {
    if (Int64(dataOffset) > streamEnd - start) {
      IEFilterFail(Progress, "BMP pixel data offset past the end of the file");
      return;
    }
    Stream->SetPosition(start + dataOffset);
  }
  Int64 dataLength = TotalSize > 0 ? TotalSize - (Stream->Position() - start) : Int64(dataSize);
  dataLength = std::clamp<Int64>(dataLength, 0, Remaining(Stream));

  // Top-down files (negative height) keep their rows in reading order;
  // run-length data has no top-down form.
  const bool topDown = height < 0 && height != INT32_MIN;
  if (topDown) height = -height;

  Params.Width = width;
  Params.Height = height;
  switch (bits) {
    case 1: case 4: case 8: Params.BitsPerSample = bits; Params.SamplesPerPixel = 1; break;
    case 16: Params.BitsPerSample = 5; Params.SamplesPerPixel = 3; break;
    case 24: case 32: Params.BitsPerSample = 8; Params.SamplesPerPixel = 3; break;
    default: break;
  }
  if (HeaderOnly) return;

  const bool rle8 = bits == 8 && compression == 1;
  const bool rle4 = bits == 4 && compression == 2;
  const bool plain = compression == 0 || (compression == 3 && (bits == 16 || bits == 32)) || bits == 24;
  if (!(rle4 || rle8 || (plain && (bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 ||
                                    bits == 32))) ||
      (topDown && (rle4 || rle8))) {
    IEFilterFail(Progress, "Unsupported BMP bit count or compression");
    return;
  }
  const double pixelsPerByte = (rle4 || rle8) ? 127.5 : 8.0 / bits;
  if (!PictureFitsData(width, height, dataLength, pixelsPerByte)) {
    IEFilterFail(Progress, "BMP image size does not fit its data");
    return;
  }

  Bitmap->AllocateImage(width, height, bits == 1 ? ipkBW1 : ipkRGB24);
  Progress.Done = 0;
  Progress.PerUnit = 100.0 / height;
  const Integer fileRow = Integer(AlignedRowLength(width, bits));
  const TIndexColors colors(Params);
  const TIEColorTriple* pal = colors.Entry;

  if (rle4 || rle8) {
    std::vector<Byte> data(static_cast<size_t>(dataLength));
    const Integer got = ReadZeroFilled(Stream, data.data(), Integer(dataLength));
    if (rle4)
      DecodeBmpRle4(Bitmap, data.data(), got, Progress, pal);
    else
      DecodeBmpRle8(Bitmap, data.data(), got, Progress, pal);
    return;
  }

  switch (bits) {
    case 1: {
      const size_t n = size_t((width + 7) / 8);
      ReadRows(Stream, Bitmap, fileRow, topDown, Progress, [&](const Byte* f, Byte* row) { std::memcpy(row, f, n); });
      if (Params.PaletteCount == 2 && Params.Palette[0] == TIEColorTriple{255, 255, 255} &&
          Params.Palette[1] == TIEColorTriple{0, 0, 0})
        InvertBitmapBits(Bitmap);
      break;
    }
    case 4:
      ReadRows(Stream, Bitmap, fileRow, topDown, Progress, [&](const Byte* f, Byte* row) {
        for (Integer x = 0; x < width; ++x) PutColor(row, x, pal[(x & 1) ? (f[x >> 1] & 15) : (f[x >> 1] >> 4)]);
      });
      break;
    case 8:
      ReadRows(Stream, Bitmap, fileRow, topDown, Progress, [&](const Byte* f, Byte* row) {
        for (Integer x = 0; x < width; ++x) PutColor(row, x, pal[f[x]]);
      });
      break;
    case 16: {
      const Integer r = MaskBitWidth(masks[0]), g = MaskBitWidth(masks[1]), b = MaskBitWidth(masks[2]);
      ReadRows(Stream, Bitmap, fileRow, topDown, Progress, [&](const Byte* f, Byte* row) {
        for (Integer x = 0; x < width; ++x) {
          const Cardinal px = Le16(f + 2 * x);
          Byte* p = row + 3 * x;
          p[2] = ShiftTo8(px & masks[0], r + g + b - 8);
          p[1] = ShiftTo8(px & masks[1], g + b - 8);
          p[0] = ShiftTo8((px & 0xFF) & (masks[2] & 0xFF), b - 8);
        }
      });
      break;
    }
    case 24:
      ReadRows(Stream, Bitmap, fileRow, topDown, Progress,
               [&](const Byte* f, Byte* row) { std::memcpy(row, f, size_t(width) * 3); });
      break;
    case 32:
      ReadRows(Stream, Bitmap, fileRow, topDown, Progress, [&](const Byte* f, Byte* row) {
        for (Integer x = 0; x < width; ++x) {
          row[3 * x] = f[4 * x];
          row[3 * x + 1] = f[4 * x + 1];
          row[3 * x + 2] = f[4 * x + 2];
        }
      });
      break;
  }
}

// ---------------------------------------------------------------------------
// Writing.

void WriteBmpStream(TStream* Stream, TIEBitmap* Bitmap, TIOParamsVals& Params, TIEProgressRecord& Progress) {
  TAbortFlagScope abortScope(Progress);
  bool& aborting = abortScope.Flag();
  const Integer bits = (Params.BitsPerSample == 1 || Params.BitsPerSample == 4) ? Params.BitsPerSample
                       : Params.SamplesPerPixel == 1                            ? 8
                                                                                : 24;
  const Integer width = Bitmap->Width(), height = Bitmap->Height();
  const Int64 start = Stream->Position();
  const bool core = Params.BmpVersion == 2;
  const Integer infoSize = core ? 12 : Params.BmpVersion == 3 ? 64 : 40;
  const bool rle = !core && Params.BmpCompression == 1 && (bits == 4 || bits == 8);

  Byte fh[14] = {'B', 'M'};
  StreamWriteChecked(Stream, aborting, fh, 14);
  Byte ih[64] = {};
  PutLe32(ih, Cardinal(infoSize));
  if (core) {
    PutLe16(ih + 4, Cardinal(width));
    PutLe16(ih + 6, Cardinal(height));
    PutLe16(ih + 8, 1);
  } else {
    PutLe32(ih + 4, Cardinal(width));
    PutLe32(ih + 8, Cardinal(height));
    PutLe16(ih + 12, 1);
    PutLe32(ih + 16, rle ? (bits == 4 ? 2 : 1) : 0);
    PutLe32(ih + 24, Cardinal(DpiToPpm(Params.DpiX)));
    PutLe32(ih + 28, Cardinal(DpiToPpm(Params.DpiY)));
    PutLe32(ih + 32, bits <= 8 ? Cardinal(1) << bits : 0);
    PutLe32(ih + 36, Cardinal(1) << bits);
  }
  StreamWriteChecked(Stream, aborting, ih, infoSize);

  // The picture as written: ipkBW1 for 1 bit, else ipkRGB24.
  std::unique_ptr<TIEBitmap> copy;
  TIEBitmap* work = Bitmap;
  auto convertedCopy = [&](TIEPixelKind kind) {
    copy = std::make_unique<TIEBitmap>();
    copy->SetLocation(islMemory);
    copy->CopyFromObject(Bitmap);
    copy->ConvertToKind(kind);
    work = copy.get();
  };

  auto writePalette = [&](const TIEColorTriple* pal, Integer count) {
    for (Integer k = 0; k < count; ++k) {
      const Byte q[4] = {pal[k].Blue, pal[k].Green, pal[k].Red, 0};
      if (core)
        StreamWriteChecked(Stream, aborting, q, 3);
      else
        Stream->Write(q, 4);  // as the palette records are written: a short write is not noticed here
    }
  };

  const Integer rowLength = Integer(AlignedRowLength(width, bits));
  std::vector<Byte> line(size_t(rowLength) + 4, 0);
  Int64 pixelStart = 0;
  Progress.Done = 0;
  Progress.PerUnit = height > 0 ? 100.0 / height : 0;
  auto rowLoop = [&](const std::function<void(Integer Row)>& WriteRow) {
    for (Integer y = height - 1; y >= 0; --y) {
      if (Progress.Callback)
        Progress.Callback(Progress.Sender, Integer(Trunc(Extended(height - 1 - y) * Progress.PerUnit)));
      if (aborting) break;
      WriteRow(y);
    }
  };

  if (bits == 4 || bits == 8) {
    if (work->PixelKind() != ipkRGB24) convertedCopy(ipkRGB24);
    const Integer colors = 1 << bits;
    TIEColorTriple* pal = SetParamsPalette(Params, nullptr, colors);
    TIEQuantizer quantizer(work, pal, colors, -1);
    writePalette(pal, colors);
    pixelStart = Stream->Position();
    std::vector<Byte> indices(size_t(width) + 1);
    std::vector<Byte> coded(size_t(width) * 10 + 8);
    rowLoop([&](Integer y) {
      const Byte* src = static_cast<const Byte*>(work->GetRowPointer(y));
      for (Integer x = 0; x < width; ++x)
        indices[x] = Byte(quantizer.ColorIndex(src[3 * x], src[3 * x + 1], src[3 * x + 2]));
      if (rle) {
        const Integer n = bits == 4 ? EncodeBmpRle4Row(indices.data(), width, coded.data())
                                    : EncodeBmpRle8Row(indices.data(), width, coded.data());
        StreamWriteChecked(Stream, aborting, coded.data(), n);
        return;
      }
      std::fill(line.begin(), line.end(), 0);
      if (bits == 8) {
        std::memcpy(line.data(), indices.data(), size_t(width));
      } else {
        for (Integer x = 0; x < width; ++x) line[x >> 1] |= Byte((x & 1) ? (indices[x] & 15) : (indices[x] << 4));
      }
      StreamWriteChecked(Stream, aborting, line.data(), rowLength);
    });
    if (rle && !aborting) {
      const Byte eob[2] = {0, 1};
      StreamWriteChecked(Stream, aborting, eob, 2);
    }
  } else if (bits == 1) {
    TIEColorTriple pal[2] = {{0, 0, 0}, {255, 255, 255}};
    if (work->PixelKind() != ipkBW1) {
      TIEColorTriple first, second;
      std::unique_ptr<TIEBitmap> two = ReduceToTwoColors(work, first, second);
      if (two) {
        copy = std::move(two);
        work = copy.get();
        pal[0] = first;
        pal[1] = second;
      } else {
        convertedCopy(ipkBW1);
      }
    }
    SetParamsPalette(Params, pal, 2);
    writePalette(pal, 2);
    pixelStart = Stream->Position();
    const size_t n = size_t((width + 7) / 8);
    rowLoop([&](Integer y) {
      std::fill(line.begin(), line.end(), 0);
      std::memcpy(line.data(), work->GetRowPointer(y), n);
      StreamWriteChecked(Stream, aborting, line.data(), rowLength);
    });
  } else {
    if (work->PixelKind() != ipkRGB24) convertedCopy(ipkRGB24);
    pixelStart = Stream->Position();
    rowLoop([&](Integer y) {
      std::memcpy(line.data(), work->GetRowPointer(y), size_t(width) * 3);
      StreamWriteChecked(Stream, aborting, line.data(), rowLength);
    });
  }

  if (aborting) return;
  const Int64 end = Stream->Position();
  PutLe32(fh + 2, Cardinal(end - start));
  PutLe32(fh + 10, Cardinal(pixelStart - start));
  Stream->SetPosition(start);
  StreamWriteChecked(Stream, aborting, fh, 14);
  if (core) {
    PutLe16(ih + 10, Cardinal(bits));
  } else {
    PutLe16(ih + 14, Cardinal(bits));
    PutLe32(ih + 20, Cardinal(end - pixelStart));
  }
  StreamWriteChecked(Stream, aborting, ih, infoSize);
  Stream->SetPosition(end);
}
