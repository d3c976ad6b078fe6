// TIFF pixel decoding: strip and tile walks, row decompression (none, fax,
// PackBits, the LZW hook, JPEG), the horizontal predictor, sample unpacking
// and the conversion of each photometric kind into buffer pixels.
#include <algorithm>
#include <cstring>
#include <vector>

#include "imaging/buffer/iecolors.h"
#include "imaging/formats/iefmtutil.h"
#include "imaging/formats/jpegfilt.h"
#include "imaging/formats/tifccitt.h"
#include "imaging/formats/tiffilt.h"

void TiffCmykToBgr(const Byte* Cmyk, Byte* Bgr) {
  const Integer k = 255 - Cmyk[3];
  Bgr[0] = Byte((255 - Cmyk[2]) * k / 255);
  Bgr[1] = Byte((255 - Cmyk[1]) * k / 255);
  Bgr[2] = Byte((255 - Cmyk[0]) * k / 255);
}

namespace {

bool IsFax(Integer C) { return C == 2 || C == 3 || C == 4; }

// Samples of one row as the conversions take them: whole bytes from 8 bits
// up, one byte per sample below 8 bits, except bilevel rows (packed).
bool UnpacksSamples(const TTIFFVars& V) {
  return V.BitsPerSample < 8 && !(V.BitsPerSample == 1 && V.Photometric != 3) && !IsFax(V.Compression);
}

// One strip, tile or plane of compressed bytes and the state that carries
// from row to row.
class TRowSource {
 public:
  TRowSource(const TTIFFVars& V, const Byte* Data, Int64 Size, Integer Width, Integer SamplesInRow)
      : v_(V), data_(Data), size_(Size), width_(Width) {
    samples_ = Int64(SamplesInRow) * Width;
    rowLen_ = Integer((samples_ * V.BitsPerSample + 7) / 8);
    // Room for unpacked samples and for a PackBits packet running past the row.
    row_.assign(size_t(std::max<Int64>(rowLen_, samples_)) + 256, 0);
    if (IsFax(V.Compression)) ref_.assign(size_t(rowLen_) + 8, 255);
  }
  ~TRowSource() { Close(); }
  TRowSource(const TRowSource&) = delete;
  TRowSource& operator=(const TRowSource&) = delete;

  Integer RowLength() const { return rowLen_; }
  // True once the data ran out inside a row: the rows after it are not decoded.
  bool Exhausted() const { return exhausted_; }

  // One decompressed row, or nil when the LZW hook failed.
  const Byte* Next() {
    const Byte* r = Decompress();
    if (!r) return nullptr;
    if (UnpacksSamples(v_)) {
      Byte* w = row_.data();
      if (r != w) std::memcpy(w, r, size_t(rowLen_)), r = w;
      Unpack(w);
    }
    if (v_.Compression == 5 && v_.Predictor == 2) {
      Byte* w = row_.data();
      if (r != w) std::memcpy(w, r, size_t(rowLen_)), r = w;
      UndoPredictor(w);
    }
    if (v_.BitsPerSample == 4 && (v_.Photometric == 0 || v_.Photometric == 1)) {
      // 0..15 spread over 0..255 so that white stays white.
      Byte* w = row_.data();
      for (Int64 i = 0; i < samples_; ++i) w[i] = Byte(w[i] * 17);
    }
    return r;
  }

  void Close() {
    if (lzwOpen_ && v_.LzwDecoder) v_.LzwDecoder(nullptr, 0, 0, lzwState_);
    lzwOpen_ = false;
  }

 private:
  const Byte* Decompress() {
    Byte* out = row_.data();
    const Int64 left = std::max<Int64>(size_ - pos_, 0);
    switch (v_.Compression) {
      case 1: {
        if (v_.BitsPerSample >= 8 && left >= rowLen_) {
          const Byte* p = data_ + pos_;
          pos_ += rowLen_;
          return p;
        }
        const Int64 n = std::min<Int64>(left, rowLen_);
        if (n > 0) std::memcpy(out, data_ + pos_, size_t(n));
        std::memset(out + n, 0, size_t(rowLen_ - n));
        if (n < rowLen_) exhausted_ = true;
        pos_ += rowLen_;
        return out;
      }
      case 2: {
        if (left <= 0) return Exhaust(out);
        const Integer used = FaxDecodeMHRow(out, data_ + pos_, width_, v_.FillOrder, Integer(left));
        pos_ += std::max(used, 1);
        if (pos_ > size_) exhausted_ = true;
        return out;
      }
      case 3:
      case 4: {
        if (bitPos_ >= size_ * 8) return Exhaust(out);
        if (v_.Compression == 3 && !(v_.T4Options & 1)) {
          bitPos_ = FaxDecode1DRow(out, data_, width_, v_.FillOrder, Integer(bitPos_), Integer(size_));
          std::memcpy(ref_.data(), out, size_t(rowLen_));
        } else {
          bitPos_ = FaxDecode2DRow(out, data_, Integer(size_), (v_.T4Options & 4) != 0, v_.FillOrder,
                                   Integer(bitPos_), ref_.data(), width_, &refChanges_);
        }
        if (bitPos_ > size_ * 8) exhausted_ = true;
        return out;
      }
      case 5: {
        lzwOpen_ = true;
        Byte* r = v_.LzwDecoder(data_, Integer(size_), rowLen_, lzwState_);
        if (!r) return nullptr;
        std::memcpy(out, r, size_t(rowLen_));
        return out;
      }
      case 32773: {
        Int64 o = 0;
        while (o < rowLen_) {
          if (pos_ >= size_) {
            exhausted_ = true;
            break;
          }
          const signed char n = static_cast<signed char>(data_[pos_++]);
          if (n >= 0) {
            const Int64 k = std::min<Int64>(n + 1, size_ - pos_);
            std::memcpy(out + o, data_ + pos_, size_t(k));
            pos_ += k;
            o += k;
            if (k < n + 1) exhausted_ = true;
          } else if (n != -128) {
            if (pos_ >= size_) {
              exhausted_ = true;
              break;
            }
            std::memset(out + o, data_[pos_++], size_t(1 - n));
            o += 1 - n;
          }
        }
        if (o < rowLen_) std::memset(out + o, 0, size_t(rowLen_ - o));
        return out;
      }
      default:
        return Exhaust(out);
    }
  }

  Byte* Exhaust(Byte* Out) {
    exhausted_ = true;
    std::memset(Out, IsFax(v_.Compression) ? 255 : 0, size_t(rowLen_));
    return Out;
  }

  // In place from the end: one byte per sample, most significant bits first.
  void Unpack(Byte* W) {
    const Integer bits = v_.BitsPerSample;
    const Integer mask = (1 << bits) - 1;
    for (Int64 i = samples_ - 1; i >= 0; --i) {
      const Int64 bit = i * bits;
      const Integer word = (Integer(W[bit >> 3]) << 8) | (((bit >> 3) + 1 < rowLen_) ? W[(bit >> 3) + 1] : 0);
      W[i] = Byte((word >> (16 - bits - Integer(bit & 7))) & mask);
    }
  }

  void UndoPredictor(Byte* W) {
    const Integer spp = Integer(samples_ / std::max(width_, 1));
    if (v_.BitsPerSample == 8) {
      for (Int64 i = spp; i < samples_; ++i) W[i] = Byte(W[i] + W[i - spp]);
    } else if (v_.BitsPerSample == 16) {
      const bool le = v_.LittleEndian;
      auto get = [&](Int64 i) { return le ? Word(W[2 * i] | (W[2 * i + 1] << 8)) : Word((W[2 * i] << 8) | W[2 * i + 1]); };
      for (Int64 i = spp; i < samples_; ++i) {
        const Word s = Word(get(i) + get(i - spp));
        W[2 * i] = Byte(le ? s : s >> 8);
        W[2 * i + 1] = Byte(le ? s >> 8 : s);
      }
    }
  }

  const TTIFFVars& v_;
  const Byte* data_;
  Int64 size_;
  Integer width_;
  Int64 samples_ = 0;
  Integer rowLen_ = 0;
  Int64 pos_ = 0;
  Int64 bitPos_ = 0;
  std::vector<Byte> row_;
  std::vector<Byte> ref_;
  std::vector<Integer> refChanges_;  // the reference row's changes as coded
  void* lzwState_ = nullptr;
  bool lzwOpen_ = false;
  bool exhausted_ = false;
};

Word Sample16(const Byte* P, bool LittleEndian) {
  return LittleEndian ? Word(P[0] | (P[1] << 8)) : Word((P[0] << 8) | P[1]);
}

// Converts one decompressed chunky row of W pixels into D (B, G, R triples,
// or packed bits for bilevel images); alpha samples go to the mask at (X0, Y).
void ConvertRow(const TTIFFVars& V, const Byte* S, Byte* D, Integer W, Integer X0, Integer Y) {
  const Integer spp = V.SamplesPerPixel, bits = V.BitsPerSample;
  auto put = [&](Integer x, const TIEColorTriple& c) {
    D[3 * x] = c.Blue;
    D[3 * x + 1] = c.Green;
    D[3 * x + 2] = c.Red;
  };
  auto paletteAt = [&](Integer i) {
    return size_t(i) < V.ColorMap.size() ? V.ColorMap[size_t(i)] : TIEColorTriple{0, 0, 0};
  };
  TIEMask* mask = V.IgnoreAlpha ? nullptr : V.Alpha;
  switch (V.Photometric) {
    case 2:
      if (spp == 1) {  // 5-5-5
        for (Integer x = 0; x < W; ++x) {
          const Word p = Sample16(S + 2 * x, V.LittleEndian);
          put(x, TIEColorTriple{Byte((p & 31) * 8), Byte(((p >> 5) & 31) * 8), Byte(((p >> 10) & 31) * 8)});
        }
      } else if (bits == 8) {
        for (Integer x = 0; x < W; ++x) {
          const Byte* p = S + spp * x;
          D[3 * x] = p[2];
          D[3 * x + 1] = p[1];
          D[3 * x + 2] = p[0];
        }
        if (spp == 4 && mask) {
          mask->SetFull(false);
          for (Integer x = 0; x < W; ++x) mask->SetPixelValue(X0 + x, Y, S[4 * x + 3]);
        }
      } else {  // 16
        const Integer hi = V.LittleEndian ? 1 : 0;
        for (Integer x = 0; x < W; ++x) {
          const Byte* p = S + 2 * spp * x;
          D[3 * x] = p[4 + hi];
          D[3 * x + 1] = p[2 + hi];
          D[3 * x + 2] = p[hi];
        }
      }
      break;
    case 0:
    case 1: {
      const bool invert = V.Photometric == 0;
      if (bits == 16) {
        for (Integer x = 0; x < W; ++x) {
          Word g = Sample16(S + 2 * x, V.LittleEndian);
          if (invert) g = Word(65535 - g);
          const Byte b = Byte(g >> 8);
          D[3 * x] = D[3 * x + 1] = D[3 * x + 2] = b;
        }
      } else {
        for (Integer x = 0; x < W; ++x) {
          const Byte b = invert ? Byte(255 - S[x]) : S[x];
          D[3 * x] = D[3 * x + 1] = D[3 * x + 2] = b;
        }
      }
      break;
    }
    case 3:
      if (spp == 1) {
        for (Integer x = 0; x < W; ++x) put(x, paletteAt(S[x]));
      } else {
        for (Integer x = 0; x < W; ++x) put(x, paletteAt(S[2 * x]));
        if (mask) {
          mask->SetFull(false);
          for (Integer x = 0; x < W; ++x) mask->SetPixelValue(X0 + x, Y, S[2 * x + 1]);
        }
      }
      break;
    case 5:
      for (Integer x = 0; x < W; ++x) TiffCmykToBgr(S + 4 * x, D + 3 * x);
      break;
    case 8:
      for (Integer x = 0; x < W; ++x) {
        TIEColorTriple c;
        CIELabToRGB(Cardinal(S[3 * x]) | (Cardinal(S[3 * x + 1]) << 8) | (Cardinal(S[3 * x + 2]) << 16), c);
        put(x, c);
      }
      break;
    default:
      break;
  }
}

bool InvertsBilevel(const TTIFFVars& V) {
  if (V.Photometric == 0) return V.Compression == 1 || V.Compression >= 5;
  return IsFax(V.Compression);
}

// Bytes of a strip or tile: its byte count, or the rest of the stream when
// there is none; never past the end of the stream.
std::vector<Byte> ReadChunk(TTiffDirReader& Dir, const std::vector<Cardinal>& Offsets,
                            const std::vector<Cardinal>& Counts, size_t I) {
  std::vector<Byte> out;
  const Int64 at = Dir.Base() + Offsets[I];
  const Int64 size = Dir.StreamSize();
  if (at < 0 || at >= size) return out;
  Int64 n = size - at;
  if (I < Counts.size() && Counts[I] != 0) n = std::min<Int64>(n, Counts[I]);
  out.resize(size_t(n));
  Dir.Stream()->SetPosition(at);
  const Integer got = Dir.Stream()->Read(out.data(), Integer(n));
  out.resize(size_t(std::max(got, 0)));
  return out;
}

// JPEG-compressed strip or tile: decoded whole, then placed at (X0, FirstRow).
void DecodeJpegChunk(const TTIFFVars& V, TIEBitmap* Bitmap, const std::vector<Byte>& Data, Integer X0,
                     Integer FirstRow, Integer Width, Integer Rows, bool Single, TIEProgressRecord& Progress) {
  TMemoryStream data;
  if (!Data.empty()) data.Write(Data.data(), Integer(Data.size()));
  data.SetPosition(0);
  TMemoryStream tables;
  if (!V.JpegTables.empty()) {
    tables.Write(V.JpegTables.data(), Integer(V.JpegTables.size()));
    tables.SetPosition(0);
  }
  TIEBitmap tmp;
  tmp.SetLocation(islMemory);
  TIOParamsVals fresh;
  TIEProgressRecord quiet;
  quiet.Abort = Progress.Abort;
  bool raw = V.Photometric == 2;
  try {
    if (raw) {
      // RGB data without colour conversion; a stream that says itself that
      // it holds RGB is converted by the codec anyway (it has no raw road).
      TIOParamsVals head;
      ReadJpegStream(&data, V.JpegTables.empty() ? nullptr : &tables, &tmp, false, true, quiet, head);
      if (Progress.Aborted()) return;
      raw = head.JpegColorSpace != 0;
      data.SetPosition(0);
      tables.SetPosition(0);
    }
    ReadJpegStream(&data, V.JpegTables.empty() ? nullptr : &tables, &tmp, raw, false, Single ? Progress : quiet,
                   fresh);
  } catch (const EIEJpegException&) {
    IEFilterFail(Progress, "Damaged TIFF JPEG tables");
    return;
  }
  if (Progress.Aborted() || tmp.PixelKind() != ipkRGB24) return;
  if (raw)
    for (Integer y = 0; y < tmp.Height(); ++y) SwapRowRedBlue(tmp.GetRowPointer(y), tmp.Width());
  tmp.BlitTo(Bitmap, 0, 0, X0, FirstRow, std::min(Width, tmp.Width()), std::min(Rows, tmp.Height()));
}

// One strip or tile of chunky data: Rows rows of Width pixels placed at
// column X0 from FirstRow, cut at the image's edges.
void DecodeTiffRows(const TTIFFVars& V, TIEBitmap* Bitmap, Integer FirstRow, TIEProgressRecord& Progress,
                    bool RowProgress, Integer Rows, Integer Width, const std::vector<Byte>& Data, Integer X0) {
  TRowSource src(V, Data.data(), Int64(Data.size()), Width, V.SamplesPerPixel);
  const Integer visible = std::min(Width, V.ImageWidth - X0);
  const bool bilevel = Bitmap->PixelKind() == ipkBW1;
  const bool invert = bilevel && InvertsBilevel(V);
  const bool direct = !bilevel && X0 == 0;
  std::vector<Byte> scratch(bilevel ? size_t(src.RowLength()) + 4 : size_t(Width) * 3 + 4);
  for (Integer r = 0; r < Rows; ++r) {
    const Integer y = FirstRow + r;
    if (y >= V.ImageLength || visible <= 0) break;
    const Byte* row = src.Next();
    if (!row) {
      IEFilterFail(Progress, "TIFF LZW data could not be decoded");
      return;
    }
    Byte* dst = static_cast<Byte*>(Bitmap->GetRowPointer(y));
    if (bilevel) {
      const Byte* s = row;
      if (invert) {
        for (Integer i = 0; i < src.RowLength(); ++i) scratch[size_t(i)] = Byte(~row[i]);
        s = scratch.data();
      }
      CopyBitRun(dst, s, X0, 0, visible, src.RowLength());
    } else if (direct) {
      ConvertRow(V, row, dst, visible, X0, y);
    } else {
      ConvertRow(V, row, scratch.data(), visible, X0, y);
      std::memcpy(dst + 3 * size_t(X0), scratch.data(), size_t(visible) * 3);
    }
    if (RowProgress && Progress.Step()) return;
    if (src.Exhausted()) break;
  }
}

// Three planes (red, green, blue) of the same rows.
void DecodeTiffPlanes(const TTIFFVars& V, TIEBitmap* Bitmap, Integer FirstRow, TIEProgressRecord& Progress,
                      Integer Rows, Integer Width, const std::vector<Byte>* Planes) {
  TRowSource r(V, Planes[0].data(), Int64(Planes[0].size()), Width, 1);
  TRowSource g(V, Planes[1].data(), Int64(Planes[1].size()), Width, 1);
  TRowSource b(V, Planes[2].data(), Int64(Planes[2].size()), Width, 1);
  for (Integer k = 0; k < Rows; ++k) {
    const Integer y = FirstRow + k;
    if (y >= V.ImageLength) break;
    const Byte* pr = r.Next();
    const Byte* pg = pr ? g.Next() : nullptr;
    const Byte* pb = pg ? b.Next() : nullptr;
    if (!pb) {
      IEFilterFail(Progress, "TIFF LZW data could not be decoded");
      return;
    }
    Byte* d = static_cast<Byte*>(Bitmap->GetRowPointer(y));
    for (Integer x = 0; x < Width; ++x) {
      d[3 * x] = pb[x];
      d[3 * x + 1] = pg[x];
      d[3 * x + 2] = pr[x];
    }
    if (Progress.Step()) return;
    if (r.Exhausted() && g.Exhausted() && b.Exhausted()) break;
  }
}

}  // namespace

bool TiffPixelFormatSupported(const TTIFFVars& V) {
  const Integer spp = V.SamplesPerPixel, bits = V.BitsPerSample, ph = V.Photometric, c = V.Compression;
  const bool planar = V.PlanarConfig == 2 && spp > 1;
  if (!(c == 1 || c == 5 || c == 7 || c == 32773 || IsFax(c))) return false;
  if (V.Predictor != 1 && !(c == 5 && V.Predictor == 2)) return false;
  // Bit order within bytes matters only to the fax decoders.
  if (V.FillOrder != 1 && !IsFax(c)) return false;
  if (c == 7)
    return !planar && bits == 8 && ((ph == 1 && spp == 1) || ((ph == 2 || ph == 6) && spp == 3));
  if (IsFax(c)) return spp == 1 && bits == 1 && (ph == 0 || ph == 1);
  if (c == 5 && V.Predictor == 2) {
    const bool ok8 = bits == 8 && (spp == 1 || spp == 3 || spp == 4);
    const bool ok16 = bits == 16 && spp == 3;
    if (!ok8 && !ok16) return false;
  }
  if (planar) return ph == 2 && spp == 3 && bits == 8 && V.TileWidth <= 0 && V.TileLength <= 0;
  switch (ph) {
    case 2:
      return ((spp == 3 || spp == 4) && (bits == 8 || bits == 16)) || (spp == 1 && bits == 16);
    case 0:
    case 1:
      return spp == 1 && (bits == 1 || bits == 4 || bits == 8 || (bits == 16 && c == 1));
    case 3:
      return (spp == 1 && bits >= 1 && bits <= 8) || (spp == 2 && bits == 8);
    case 5:
      return spp == 4 && bits == 8;
    case 8:
      return spp == 3 && bits == 8;
    default:
      return false;
  }
}

void DecodeTiffStrips(TTiffDirReader& Dir, TTIFFVars& V, TIEBitmap* Bitmap, TIEProgressRecord& Progress) {
  const size_t strips = V.StripOffsets.size();
  Progress.Done = 0;
  Progress.PerUnit = 100.0 / V.ImageLength;
  Progress.PerUnit2 = 100.0 / double(strips);
  const Int64 rps = std::max<Int64>(V.RowsPerStrip, 1);
  const bool planar = V.PlanarConfig == 2 && V.SamplesPerPixel > 1;
  if (!planar) {
    const bool single = strips == 1;
    for (size_t i = 0; i < strips; ++i) {
      const Int64 first = Int64(i) * rps;
      if (first >= V.ImageLength) break;
      const Integer rows = Integer(std::min<Int64>(rps, V.ImageLength - first));
      const std::vector<Byte> data = ReadChunk(Dir, V.StripOffsets, V.StripByteCounts, i);
      if (V.Compression == 7) {
        DecodeJpegChunk(V, Bitmap, data, 0, Integer(first), V.ImageWidth, rows, single, Progress);
        if (!single && !Progress.Aborted()) {
          ++Progress.Done;
          if (Progress.Callback)
            Progress.Callback(Progress.Sender, Integer(Trunc(Extended(Progress.Done) * Progress.PerUnit2)));
        }
      } else {
        DecodeTiffRows(V, Bitmap, Integer(first), Progress, true, rows, V.ImageWidth, data, 0);
      }
      if (Progress.Aborted()) return;
    }
    return;
  }
  const size_t n = strips / 3;
  for (size_t i = 0; i < n; ++i) {
    const Int64 first = Int64(i) * rps;
    if (first >= V.ImageLength) break;
    const Integer rows = Integer(std::min<Int64>(rps, V.ImageLength - first));
    const std::vector<Byte> planes[3] = {ReadChunk(Dir, V.StripOffsets, V.StripByteCounts, i),
                                         ReadChunk(Dir, V.StripOffsets, V.StripByteCounts, n + i),
                                         ReadChunk(Dir, V.StripOffsets, V.StripByteCounts, 2 * n + i)};
    DecodeTiffPlanes(V, Bitmap, Integer(first), Progress, rows, V.ImageWidth, planes);
    if (Progress.Aborted()) return;
  }
}

void DecodeTiffTiles(TTiffDirReader& Dir, TTIFFVars& V, TIEBitmap* Bitmap, TIEProgressRecord& Progress) {
  if (V.PlanarConfig == 2 && V.SamplesPerPixel > 1) {
    IEFilterFail(Progress, "Unsupported TIFF tiles of separate planes");
    return;
  }
  const Integer tw = Integer(V.TileWidth), tl = Integer(V.TileLength);
  const Int64 across = (Int64(V.ImageWidth) + tw - 1) / tw, down = (Int64(V.ImageLength) + tl - 1) / tl;
  const size_t tiles = size_t(std::min<Int64>(across * down, Int64(V.TileOffsets.size())));
  Progress.Done = 0;
  Progress.PerUnit = 100.0 / V.ImageLength;
  Progress.PerUnit2 = 100.0 / double(std::max<size_t>(tiles, 1));
  for (size_t t = 0; t < tiles; ++t) {
    const Integer x0 = Integer(Int64(t % size_t(across)) * tw);
    const Integer y0 = Integer(Int64(t / size_t(across)) * tl);
    const std::vector<Byte> data = ReadChunk(Dir, V.TileOffsets, V.TileByteCounts, t);
    if (V.Compression == 7)
      DecodeJpegChunk(V, Bitmap, data, x0, y0, tw, tl, tiles == 1, Progress);
    else
      DecodeTiffRows(V, Bitmap, y0, Progress, false, tl, tw, data, x0);
    if (Progress.Aborted()) return;
    // Per tile: a row count would pass 100 with more than one tile across.
    if (tiles > 1 || V.Compression != 7) {
      ++Progress.Done;
      if (Progress.Callback)
        Progress.Callback(Progress.Sender, Integer(Trunc(Extended(Progress.Done) * Progress.PerUnit2)));
    }
  }
}
