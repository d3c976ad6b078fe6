// Flips, quarter turns, rotation by any angle and nearest-neighbour stretch.
#include <algorithm>
#include <cmath>

#include "imaging/buffer/ruzozadproc.h"
#include "imaging/buffer/ruzozadproc_rowcache.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

// Bytes per pixel of the byte-aligned kinds; 0 for 1-bit and none.
Integer PixelBytes(TIEPixelKind Kind) {
  switch (Kind) {
    case ipkPal8:
    case ipkGray8: return 1;
    case ipkGray16: return 2;
    case ipkRGB24: return 3;
    default: return 0;
  }
}

void CopyPalette(TIEBitmap* Source, TIEBitmap* Dest) {
  const Integer n = IntMin(Source->PaletteCount(), Dest->PaletteCount());
  for (Integer i = 0; i < n; ++i) Dest->SetPaletteEntry(i, Source->PaletteEntry(i));
}

// Quarter turn in bands of source rows held in memory, so that each buffer is
// asked for one row at a time whatever its storage place.
void QuarterTurn(TIEBitmap* Source, TIEBitmap* Dest, bool Clockwise) {
  if (Source == nullptr || Dest == nullptr || Source == Dest) return;
  const TIEPixelKind kind = Source->PixelKind();
  const Integer W = Source->Width(), H = Source->Height();
  const Integer bpp = PixelBytes(kind);
  if (kind == ipkNone || W <= 0 || H <= 0) return;
  Dest->AllocateImage(H, W, kind);
  CopyPalette(Source, Dest);
  const size_t rowLen = static_cast<size_t>(Source->RowLength());
  const Integer band = IntMax(1, IntMin(H, static_cast<Integer>((size_t(32) << 20) / IntMax(1, static_cast<Integer>(rowLen)))));
  std::vector<Byte> rows(rowLen * band);
  for (Integer r0 = 0; r0 < H; r0 += band) {
    const Integer r1 = IntMin(H, r0 + band);
    for (Integer r = r0; r < r1; ++r) std::memcpy(&rows[rowLen * (r - r0)], Source->GetRowPointer(r), rowLen);
    // Destination row y holds source column (Clockwise ? y : W - 1 - y); source
    // row r lands in destination column (Clockwise ? H - 1 - r : r).
    for (Integer y = 0; y < W; ++y) {
      const Integer sx = Clockwise ? y : W - 1 - y;
      Byte* dst = static_cast<Byte*>(Dest->GetRowPointer(y));
      for (Integer r = r0; r < r1; ++r) {
        const Byte* src = &rows[rowLen * (r - r0)];
        const Integer dx = Clockwise ? H - 1 - r : r;
        if (bpp == 0)
          PutBit(dst, dx, TestBit(src, sx) ? 1 : 0);
        else
          std::memcpy(dst + size_t(dx) * bpp, src + size_t(sx) * bpp, bpp);
      }
    }
  }
}


inline Byte BlendChannel(Integer F, Integer G, Integer Prev, Integer Cur) {
  const double v = (double(F) * Prev + double(G) * Cur + 2048) / 4096;
  return static_cast<Byte>(std::clamp<int64_t>(Round(v), 0, 255));
}

inline void Blend(Byte* Out, Integer F, Integer G, const Byte* Prev, const Byte* Cur) {
  for (int c = 0; c < 3; ++c) Out[c] = BlendChannel(F, G, Prev[c], Cur[c]);
}

void FillTriples(Byte* Row, Integer Count, const TIEColorTriple& Color) {
  for (Integer i = 0; i < Count; ++i, Row += 3) {
    Row[0] = Color.Blue;
    Row[1] = Color.Green;
    Row[2] = Color.Red;
  }
}

// Rotation of a 24-bit picture by -45..45 degrees with three shears.
void ShearRotate(TIEBitmap* Work, TIEBitmap* Picture, double Degrees, bool Antialias, const TIEColorTriple& Background,
                 const TIEProgressEvent& OnProgress, TObject* Sender) {
  const Integer W = Work->Width(), H = Work->Height();
  const double theta = Degrees * Pi / 180;
  const double T = std::fabs(std::tan(theta / 2)), S = std::fabs(std::sin(theta));
  auto R = [](double v) { return static_cast<Integer>(Round(v)); };
  const Integer W1 = R(H * T + W + 1);
  const Integer U = R((W1 - W) * S);
  const Integer H2 = R(W1 * S + H + 1);
  const Integer V = R((H2 - H - U) * T);
  const Integer H3 = H2 - 2 * U;
  const Integer W3 = R(H3 * T + W1 + 1 - 2 * V);
  const double factor = 100.0 / (double(H) + W1 + H3);
  auto report = [&](double done) {
    if (OnProgress) OnProgress(Sender, static_cast<Integer>(Trunc(factor * done)));
  };
  const Byte bg[3] = {Background.Blue, Background.Green, Background.Red};

  // Shear 1: rows of the work picture into W1-wide rows.
  std::vector<Byte> buf1(size_t(W1) * 3 * H);
  for (Integer y = 0; y < H; ++y) {
    Byte* out = &buf1[size_t(W1) * 3 * y];
    FillTriples(out, W1, Background);
    const Byte* src = static_cast<const Byte*>(Work->GetRowPointer(y));
    const double I = theta > 0 ? T * y : T * (H - y);
    const Integer B = R(I);
    if (!Antialias) {
      for (Integer x = 0; x < W; ++x)
        if (B + x >= 0 && B + x < W1) std::memcpy(out + 3 * (B + x), src + 3 * x, 3);
    } else {
      const Integer F = static_cast<Integer>(Trunc((I - B) * 4096)), G = 4096 - F;
      const Byte* prev = bg;
      for (Integer x = 0; x < W; ++x) {
        if (B + x >= 0 && B + x < W1) Blend(out + 3 * (B + x), F, G, prev, src + 3 * x);
        prev = src + 3 * x;
      }
      if (F > 0 && W + B < W1 && W > 0 && W + B >= 0) Blend(out + 3 * (B + W), F, G, src + 3 * (W - 1), bg);
    }
    report(y);
  }

  // Shear 2: columns into H3 rows.
  std::vector<Byte> buf2(size_t(W1) * 3 * IntMax(H3, 0));
  for (Integer y = 0; y < H3; ++y) FillTriples(&buf2[size_t(W1) * 3 * y], W1, Background);
  for (Integer x = 0; x < W1; ++x) {
    const double K = theta > 0 ? S * (W1 - x) : S * x;
    const Integer P = R(K);
    const Integer F = R((K - P) * 4096), G = 4096 - F;
    const Integer offset = P - U;
    const Byte* prev = bg;
    for (Integer y = 0; y < H; ++y) {
      const Integer ty = offset + y;
      if (ty < 0 || ty >= H3) continue;
      const Byte* cur = &buf1[(size_t(W1) * y + x) * 3];
      Byte* out = &buf2[(size_t(W1) * ty + x) * 3];
      if (Antialias)
        Blend(out, F, G, prev, cur);
      else
        std::memcpy(out, cur, 3);
      prev = cur;
    }
    if (Antialias && F > 0 && H > 0) {
      const Integer ty = offset + H;
      if (ty >= 0 && ty < H3) Blend(&buf2[(size_t(W1) * ty + x) * 3], F, G, &buf1[(size_t(W1) * (H - 1) + x) * 3], bg);
    }
    report(double(H) + x);
  }

  // Shear 3: rows into the picture, resized to W3 x H3.
  Picture->AllocateImage(IntMax(W3, 0), IntMax(H3, 0), ipkRGB24);
  std::vector<Byte> line(size_t(IntMax(W3, 0)) * 3);
  for (Integer y = 0; y < H3; ++y) {
    FillTriples(line.data(), W3, Background);
    const Byte* src = &buf2[size_t(W1) * 3 * y];
    const double O = theta > 0 ? T * y : T * (H3 - y);
    const Integer J = R(O) - V;
    const Integer I = R((O - R(O)) * 4096), G = 4096 - I;
    const Byte* prev = bg;
    for (Integer x = 0; x < W1; ++x) {
      const Integer tx = J + x;
      if (tx < 0 || tx >= W3) continue;
      if (Antialias)
        Blend(&line[3 * tx], I, G, prev, src + 3 * x);
      else
        std::memcpy(&line[3 * tx], src + 3 * x, 3);
      prev = src + 3 * x;
    }
    if (Antialias && I > 0 && W1 > 0 && J + W1 >= 0 && J + W1 < W3) Blend(&line[3 * (J + W1)], I, G, src + 3 * (W1 - 1), bg);
    std::memcpy(Picture->GetRowPointer(y), line.data(), line.size());
    report(double(H) + W1 + y);
  }
}

}  // namespace

void FlipImage(TIEBitmap* Bitmap, Integer Direction) {
  if (Bitmap == nullptr) return;
  const TIEPixelKind kind = Bitmap->PixelKind();
  if (kind != ipkRGB24 && kind != ipkBW1) return;
  const Integer W = Bitmap->Width(), H = Bitmap->Height();
  if (W <= 0 || H <= 0) return;
  const size_t len = static_cast<size_t>(Bitmap->RowLength());
  // In place, one row (or one pair of rows) in memory at a time.
  std::vector<Byte> a(len), b(len);
  if (Direction == 0) {
    for (Integer y = 0; y < H; ++y) {
      Byte* row = static_cast<Byte*>(Bitmap->GetRowPointer(y));
      std::memcpy(a.data(), row, len);
      if (kind == ipkRGB24) {
        for (Integer x = 0; x < W; ++x) std::memcpy(row + 3 * x, &a[3 * size_t(W - 1 - x)], 3);
      } else {
        for (Integer x = 0; x < W; ++x) PutBit(row, x, TestBit(a.data(), W - 1 - x) ? 1 : 0);
      }
    }
  } else if (Direction == 1) {
    const size_t used = kind == ipkRGB24 ? size_t(3) * W : len;
    for (Integer y = 0; y < H / 2; ++y) {
      std::memcpy(a.data(), Bitmap->GetRowPointer(y), used);
      std::memcpy(b.data(), Bitmap->GetRowPointer(H - 1 - y), used);
      std::memcpy(Bitmap->GetRowPointer(H - 1 - y), a.data(), used);
      std::memcpy(Bitmap->GetRowPointer(y), b.data(), used);
    }
  }
}

void Rotate90Clockwise(TIEBitmap* Source, TIEBitmap* Dest) { QuarterTurn(Source, Dest, true); }

void Rotate90CounterClockwise(TIEBitmap* Source, TIEBitmap* Dest) { QuarterTurn(Source, Dest, false); }

void RotateImage(TIEBitmap* Bitmap, bool Antialias, double Angle, TIEColorTriple Background,
                 const TIEProgressEvent& OnProgress, TObject* Sender) {
  if (Bitmap == nullptr || Angle == 0) return;
  const TIEPixelKind kind = Bitmap->PixelKind();
  if (kind == ipkNone || Bitmap->Width() <= 0 || Bitmap->Height() <= 0) return;
  if (kind == ipkBW1) {
    TIEProgressRecord progress;
    progress.Callback = OnProgress;
    progress.Sender = Sender;
    RotateBilevel(Bitmap, Background.Red != 0 && Background.Green != 0 && Background.Blue != 0, Angle, progress);
    return;
  }
  if (kind != ipkRGB24) {
    // Grey and palette pictures turn through 24 bits rather than being read as bits.
    Bitmap->ConvertToKind(ipkRGB24);
    RotateImage(Bitmap, Antialias, Angle, Background, OnProgress, Sender);
    Bitmap->ConvertToKind(kind);
    return;
  }
  double d = static_cast<double>(Trunc(Angle * 1000) % 360000) / 1000;
  TIEBitmap work;
  if (d >= -45 && d <= 45) work.CopyFromObject(Bitmap);
  while (d > 45) {
    Rotate90CounterClockwise(Bitmap, &work);
    d -= 90;
    if (d > 45) Bitmap->CopyPixelsFrom(&work);
  }
  while (d < -45) {
    Rotate90Clockwise(Bitmap, &work);
    d += 90;
    if (d < -45) Bitmap->CopyPixelsFrom(&work);
  }
  if (d == 0) {
    Bitmap->CopyPixelsFrom(&work);
    return;
  }
  ShearRotate(&work, Bitmap, d, Antialias, Background, OnProgress, Sender);
}

void RotateBilevel(TIEBitmap* Bitmap, bool WhiteBackground, double Angle, TIEProgressRecord& Progress) {
  if (Bitmap == nullptr || Bitmap->PixelKind() != ipkBW1) return;
  const Integer W = Bitmap->Width(), H = Bitmap->Height();
  if (W <= 0 || H <= 0) return;
  // The source is read one row at a time into memory.
  const size_t len = static_cast<size_t>(Bitmap->RowLength());
  std::vector<Byte> src(len * H);
  for (Integer y = 0; y < H; ++y) std::memcpy(&src[len * y], Bitmap->GetRowPointer(y), len);
  auto bit = [&](Integer x, Integer y) { return TestBit(&src[len * y], x); };

  TIEBitmap result;
  result.SetLocation(islMemory);
  if (Angle == 90 || Angle == -90 || Angle == 270 || Angle == 180 || Angle == -180) {
    const bool half = Angle == 180 || Angle == -180;
    const Integer RW = half ? W : H, RH = half ? H : W;
    result.AllocateImage(RW, RH, ipkBW1);
    for (Integer y = 0; y < RH; ++y) {
      Byte* out = static_cast<Byte*>(result.GetRowPointer(y));
      for (Integer x = 0; x < RW; ++x) {
        bool v;
        if (Angle == 90)
          v = bit(W - 1 - y, x);
        else if (half)
          v = bit(W - 1 - x, H - 1 - y);
        else
          v = bit(y, H - 1 - x);
        PutBit(out, x, v ? 1 : 0);
      }
    }
  } else {
    const double theta = -Angle / 57.29577951308232;
    const double c = Trunc(std::cos(theta) * 10000) / 10000.0, s = Trunc(std::sin(theta) * 10000) / 10000.0;
    const Integer RW = static_cast<Integer>(Trunc(std::fabs(W * c) + std::fabs(H * s)));
    const Integer RH = static_cast<Integer>(Trunc(std::fabs(W * s) + std::fabs(H * c)));
    result.AllocateImage(RW, RH, ipkBW1);
    for (Integer o = 0; o < RH; ++o) {
      Byte* out = static_cast<Byte*>(result.GetRowPointer(o));
      const double dy = o - (RH / 2.0 - 0.5);
      for (Integer k = 0; k < RW; ++k) {
        const double dx = k - (RW / 2.0 - 0.5);
        const int64_t sx = Trunc(W / 2.0 - 0.5 + s * dy) + Trunc(c * dx);
        const int64_t sy = Trunc(H / 2.0 - 0.5 + c * dy) + Trunc(-s * dx);
        bool v;
        if (sx < 0 || sy < 0 || sx >= W || sy >= H)
          v = WhiteBackground;
        else
          v = bit(static_cast<Integer>(sx), static_cast<Integer>(sy));
        PutBit(out, k, v ? 1 : 0);
      }
      if (Progress.Callback) Progress.Callback(Progress.Sender, static_cast<Integer>(Trunc(o * 100.0 / RH)));
    }
  }
  Bitmap->CopyFromObject(&result);
}

void StretchNearest(TIEBitmap* Source, TIEBitmap* Dest) {
  if (Source == nullptr || Dest == nullptr) return;
  const TIEPixelKind kind = Source->PixelKind();
  const Integer W = Source->Width(), H = Source->Height(), W2 = Dest->Width(), H2 = Dest->Height();
  if (kind == ipkNone || W <= 0 || H <= 0 || W2 <= 0 || H2 <= 0) return;
  const double rx = double(W) / W2, ry = double(H) / H2;
  const Integer bpp = PixelBytes(kind);
  std::vector<Integer> cols(static_cast<size_t>(W2));
  for (Integer i = 0; i < W2; ++i) cols[i] = IntMin(static_cast<Integer>(Trunc(rx * i)), W - 1);
  const size_t len = static_cast<size_t>(Source->RowLength());
  std::vector<Byte> line(len);
  Integer cached = -1;
  for (Integer j = 0; j < H2; ++j) {
    const Integer sy = IntMin(static_cast<Integer>(Trunc(ry * j)), H - 1);
    if (sy != cached) {
      std::memcpy(line.data(), Source->GetRowPointer(sy), len);
      cached = sy;
    }
    Byte* dst = static_cast<Byte*>(Dest->GetRowPointer(j));
    if (bpp == 0) {
      for (Integer i = 0; i < W2; ++i) PutBit(dst, i, TestBit(line.data(), cols[i]) ? 1 : 0);
    } else {
      for (Integer i = 0; i < W2; ++i) std::memcpy(dst + size_t(i) * bpp, &line[size_t(cols[i]) * bpp], bpp);
    }
  }
}
