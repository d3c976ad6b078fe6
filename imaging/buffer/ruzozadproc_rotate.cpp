// Flips, quarter turns, rotation by any angle and nearest-neighbour stretch.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <memory>

#include "imaging/buffer/ruzozadproc.h"
#include "imaging/buffer/ruzozadproc_rowcache.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

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


// A picture held in memory as samples: C channels of type S per pixel.
template <typename S>
struct TPlane {
  Integer W = 0, H = 0, C = 0;
  std::vector<S> Data;
  TPlane(Integer Width, Integer Height, Integer Channels)
      : W(Width), H(Height), C(Channels), Data(size_t(IntMax(Width, 0)) * Channels * IntMax(Height, 0)) {}
  S* Row(Integer Y) { return &Data[size_t(Y) * W * C]; }
  S* At(Integer X, Integer Y) { return &Data[(size_t(Y) * W + X) * C]; }
  void FillRow(Integer Y, const S* Value) {
    S* p = Row(Y);
    for (Integer x = 0; x < W; ++x, p += C) std::copy(Value, Value + C, p);
  }
};

template <typename S>
inline S BlendSample(Integer F, Integer G, S Prev, S Cur) {
  const double v = (double(F) * Prev + double(G) * Cur + 2048) / 4096;
  return static_cast<S>(std::clamp<int64_t>(Round(v), 0, std::numeric_limits<S>::max()));
}

template <typename S>
inline void Blend(S* Out, Integer C, Integer F, Integer G, const S* Prev, const S* Cur) {
  for (Integer c = 0; c < C; ++c) Out[c] = BlendSample<S>(F, G, Prev[c], Cur[c]);
}

// Rotation of a plane by -45..45 degrees with three shears; Bg holds C samples.
template <typename S>
TPlane<S> ShearRotate(TPlane<S>& Work, double Degrees, bool Antialias, const S* Bg,
                      const TIEProgressEvent& OnProgress, TObject* Sender) {
  const Integer W = Work.W, H = Work.H, C = Work.C;
  const double theta = Degrees * kPi / 180;
  const double T = std::fabs(std::tan(theta / 2)), S_ = std::fabs(std::sin(theta));
  auto R = [](double v) { return static_cast<Integer>(Round(v)); };
  const Integer W1 = R(H * T + W + 1);
  const Integer U = R((W1 - W) * S_);
  const Integer H2 = R(W1 * S_ + H + 1);
  const Integer V = R((H2 - H - U) * T);
  const Integer H3 = H2 - 2 * U;
  const Integer W3 = R(H3 * T + W1 + 1 - 2 * V);
  const double factor = 100.0 / (double(H) + W1 + H3);
  auto report = [&](double done) {
    if (OnProgress) OnProgress(Sender, static_cast<Integer>(Trunc(factor * done)));
  };

  // Shear 1: rows of the work picture into W1-wide rows.
  TPlane<S> buf1(W1, H, C);
  for (Integer y = 0; y < H; ++y) {
    buf1.FillRow(y, Bg);
    S* out = buf1.Row(y);
    const S* src = Work.Row(y);
    const double I = theta > 0 ? T * y : T * (H - y);
    const Integer B = R(I);
    if (!Antialias) {
      for (Integer x = 0; x < W; ++x)
        if (B + x >= 0 && B + x < W1) std::copy(src + C * x, src + C * (x + 1), out + C * (B + x));
    } else {
      const Integer F = static_cast<Integer>(Trunc((I - B) * 4096)), G = 4096 - F;
      const S* prev = Bg;
      for (Integer x = 0; x < W; ++x) {
        if (B + x >= 0 && B + x < W1) Blend<S>(out + C * (B + x), C, F, G, prev, src + C * x);
        prev = src + C * x;
      }
      if (F > 0 && W + B < W1 && W > 0 && W + B >= 0) Blend<S>(out + C * (B + W), C, F, G, src + C * (W - 1), Bg);
    }
    report(y);
  }

  // Shear 2: columns into H3 rows.
  TPlane<S> buf2(W1, IntMax(H3, 0), C);
  for (Integer y = 0; y < H3; ++y) buf2.FillRow(y, Bg);
  for (Integer x = 0; x < W1; ++x) {
    const double K = theta > 0 ? S_ * (W1 - x) : S_ * x;
    const Integer P = R(K);
    const Integer F = R((K - P) * 4096), G = 4096 - F;
    const Integer offset = P - U;
    const S* prev = Bg;
    for (Integer y = 0; y < H; ++y) {
      const Integer ty = offset + y;
      if (ty < 0 || ty >= H3) continue;
      const S* cur = buf1.At(x, y);
      S* out = buf2.At(x, ty);
      if (Antialias)
        Blend<S>(out, C, F, G, prev, cur);
      else
        std::copy(cur, cur + C, out);
      prev = cur;
    }
    if (Antialias && F > 0 && H > 0) {
      const Integer ty = offset + H;
      if (ty >= 0 && ty < H3) Blend<S>(buf2.At(x, ty), C, F, G, buf1.At(x, H - 1), Bg);
    }
    report(double(H) + x);
  }

  // Shear 3: rows into the result, W3 x H3.
  TPlane<S> result(IntMax(W3, 0), IntMax(H3, 0), C);
  for (Integer y = 0; y < H3; ++y) {
    result.FillRow(y, Bg);
    S* line = result.Row(y);
    const S* src = buf2.Row(y);
    const double O = theta > 0 ? T * y : T * (H3 - y);
    const Integer J = R(O) - V;
    const Integer I = R((O - R(O)) * 4096), G = 4096 - I;
    const S* prev = Bg;
    for (Integer x = 0; x < W1; ++x) {
      const Integer tx = J + x;
      if (tx < 0 || tx >= W3) continue;
      if (Antialias)
        Blend<S>(line + C * tx, C, I, G, prev, src + C * x);
      else
        std::copy(src + C * x, src + C * (x + 1), line + C * tx);
      prev = src + C * x;
    }
    if (Antialias && I > 0 && W1 > 0 && J + W1 >= 0 && J + W1 < W3)
      Blend<S>(line + C * (J + W1), C, I, G, src + C * (W1 - 1), Bg);
    report(double(H) + W1 + y);
  }
  return result;
}

// Channels and sample type of the kinds turned without a change of kind.
template <typename S>
TPlane<S> ReadPlane(TIEBitmap* Bitmap, Integer C) {
  TPlane<S> p(Bitmap->Width(), Bitmap->Height(), C);
  const size_t bytes = size_t(p.W) * C * sizeof(S);
  for (Integer y = 0; y < p.H; ++y) std::memcpy(p.Row(y), Bitmap->GetRowPointer(y), bytes);
  return p;
}

template <typename S>
void WritePlane(TPlane<S>& P, TIEBitmap* Bitmap, TIEPixelKind Kind) {
  Bitmap->AllocateImage(P.W, P.H, Kind);
  const size_t bytes = size_t(P.W) * P.C * sizeof(S);
  for (Integer y = 0; y < P.H; ++y) std::memcpy(Bitmap->GetRowPointer(y), P.Row(y), bytes);
}

// RotateImage for the kinds whose samples can be blended as they are
// (ipkRGB24, ipkGray8, ipkGray16). Bg: the background as samples of the kind.
void RotateSamples(TIEBitmap* Bitmap, bool Antialias, double Angle, const uint16_t* Bg,
                   const TIEProgressEvent& OnProgress, TObject* Sender) {
  const TIEPixelKind kind = Bitmap->PixelKind();
  double d = static_cast<double>(Trunc(Angle * 1000) % 360000) / 1000;
  TIEBitmap work;
  work.SetLocation(islMemory);
  if (d >= -45 && d <= 45) work.CopyPixelsFrom(Bitmap);
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
  if (kind == ipkGray16) {
    auto plane = ReadPlane<uint16_t>(&work, 1);
    work.FreeImage();
    auto out = ShearRotate<uint16_t>(plane, d, Antialias, Bg, OnProgress, Sender);
    WritePlane(out, Bitmap, kind);
  } else {
    const Integer c = kind == ipkRGB24 ? 3 : 1;
    const Byte bg[3] = {static_cast<Byte>(Bg[0]), static_cast<Byte>(Bg[c > 1 ? 1 : 0]), static_cast<Byte>(Bg[c > 1 ? 2 : 0])};
    auto plane = ReadPlane<Byte>(&work, c);
    work.FreeImage();
    auto out = ShearRotate<Byte>(plane, d, Antialias, bg, OnProgress, Sender);
    WritePlane(out, Bitmap, kind);
  }
}

// The mapping of the 1-bit rotation: Visit(x, y, source x, source y) for every
// result pixel of the RW x RH result, row by row; Row(y) after each row.
template <typename Visit, typename RowDone>
void BilevelMapping(Integer W, Integer H, double Angle, Integer& RW, Integer& RH, Visit&& V, RowDone&& Done) {
  if (Angle == 90 || Angle == -90 || Angle == 270 || Angle == 180 || Angle == -180) {
    const bool half = Angle == 180 || Angle == -180;
    RW = half ? W : H;
    RH = half ? H : W;
    for (Integer y = 0; y < RH; ++y)
      for (Integer x = 0; x < RW; ++x) {
        if (Angle == 90)
          V(x, y, int64_t(W - 1 - y), int64_t(x));
        else if (half)
          V(x, y, int64_t(W - 1 - x), int64_t(H - 1 - y));
        else
          V(x, y, int64_t(y), int64_t(H - 1 - x));
      }
    return;
  }
  const double theta = -Angle / 57.29577951308232;
  const double c = Trunc(std::cos(theta) * 10000) / 10000.0, s = Trunc(std::sin(theta) * 10000) / 10000.0;
  RW = static_cast<Integer>(Trunc(std::fabs(W * c) + std::fabs(H * s)));
  RH = static_cast<Integer>(Trunc(std::fabs(W * s) + std::fabs(H * c)));
  for (Integer o = 0; o < RH; ++o) {
    const double dy = o - (RH / 2.0 - 0.5);
    for (Integer k = 0; k < RW; ++k) {
      const double dx = k - (RW / 2.0 - 0.5);
      V(k, o, Trunc(W / 2.0 - 0.5 + s * dy) + Trunc(c * dx), Trunc(H / 2.0 - 0.5 + c * dy) + Trunc(-s * dx));
    }
    Done(o, RH);
  }
}

// Result size of BilevelMapping without visiting anything.
void BilevelResultSize(Integer W, Integer H, double Angle, Integer& RW, Integer& RH) {
  if (Angle == 90 || Angle == -90 || Angle == 270 || Angle == 180 || Angle == -180) {
    const bool half = Angle == 180 || Angle == -180;
    RW = half ? W : H;
    RH = half ? H : W;
    return;
  }
  const double theta = -Angle / 57.29577951308232;
  const double c = Trunc(std::cos(theta) * 10000) / 10000.0, s = Trunc(std::sin(theta) * 10000) / 10000.0;
  RW = static_cast<Integer>(Trunc(std::fabs(W * c) + std::fabs(H * s)));
  RH = static_cast<Integer>(Trunc(std::fabs(W * s) + std::fabs(H * c)));
}

// The alpha channel of a 1-bit picture turned like its bits; uncovered pixels opaque.
void RotateAlphaLikeBilevel(TIEBitmap* Alpha, double Angle) {
  const Integer W = Alpha->Width(), H = Alpha->Height();
  auto src = ReadPlane<Byte>(Alpha, 1);
  Integer RW = 0, RH = 0;
  BilevelResultSize(W, H, Angle, RW, RH);
  TPlane<Byte> out(RW, RH, 1);
  BilevelMapping(
      W, H, Angle, RW, RH,
      [&](Integer x, Integer y, int64_t sx, int64_t sy) {
        *out.At(x, y) = (sx < 0 || sy < 0 || sx >= W || sy >= H) ? 255 : *src.At(Integer(sx), Integer(sy));
      },
      [](Integer, Integer) {});
  WritePlane(out, Alpha, ipkGray8);
}

}  // namespace

namespace {
// A buffer in a mapped file is flipped in bands of rows read and written with
// file calls: touching the pages of a large file through a view costs a
// mapping (and often a fault) per page, several times the copying itself.
// Bands of about 1 MB: each file call costs more than its copy below that, and
// above it the bands no longer stay in the processor's cache while they are
// reversed. False when the file refused the first read (nothing has changed then).
bool FlipMappedFile(TIEBitmap* Bitmap, Integer Direction, const std::function<void(Byte*)>& FlipRow) {
  TIEMemoryMapped* file = Bitmap->MappedFile();
  if (file == nullptr || !file->IsOpen()) return false;
  const Integer H = Bitmap->Height();
  const size_t len = static_cast<size_t>(Bitmap->RowLength());
  const Integer rows = Direction == 0 ? H : H / 2;
  if (rows <= 0) return true;
  const Integer band = IntMax(1, IntMin(rows, static_cast<Integer>((size_t(1) << 20) / len)));
  std::vector<Byte> top(len * band), bottom(Direction == 0 ? 0 : len * band), row(Direction == 0 ? 0 : len);
  auto fail = [] { throw EInOutError("Cannot read or write the image's temporary file"); };
  // Puts the N rows at Rows in reverse order, in place.
  auto reverse = [&](Byte* Rows, Integer N) {
    for (Integer i = 0; i < N / 2; ++i) {
      Byte* a = Rows + len * i;
      Byte* b = Rows + len * (N - 1 - i);
      std::memcpy(row.data(), a, len);
      std::memcpy(a, b, len);
      std::memcpy(b, row.data(), len);
    }
  };
  for (Integer y0 = 0; y0 < rows; y0 += band) {
    const Integer n = IntMin(band, rows - y0);
    const uint64_t at = uint64_t(y0) * len;
    if (!file->ReadRange(at, top.data(), len * n)) {
      if (y0 == 0) return false;
      fail();
    }
    if (Direction == 0) {
      for (Integer i = 0; i < n; ++i) FlipRow(&top[len * i]);
      if (!file->WriteRange(at, top.data(), len * n)) fail();
      continue;
    }
    // Rows y0 .. y0 + n - 1 trade places with rows H - y0 - n .. H - 1 - y0, each band reversed.
    const uint64_t lowAt = uint64_t(H - y0 - n) * len;
    if (!file->ReadRange(lowAt, bottom.data(), len * n)) {
      if (y0 == 0) return false;
      fail();
    }
    reverse(bottom.data(), n);
    reverse(top.data(), n);
    if (!file->WriteRange(at, bottom.data(), len * n) || !file->WriteRange(lowAt, top.data(), len * n)) fail();
  }
  return true;
}
}  // namespace

void FlipImage(TIEBitmap* Bitmap, Integer Direction) {
  if (Bitmap == nullptr || (Direction != 0 && Direction != 1)) return;
  const TIEPixelKind kind = Bitmap->PixelKind();
  if (kind != ipkRGB24 && kind != ipkBW1) return;
  const Integer W = Bitmap->Width(), H = Bitmap->Height();
  if (W <= 0 || H <= 0) return;
  const size_t len = static_cast<size_t>(Bitmap->RowLength());
  std::vector<Byte> a(len);
  // Mirrors one row in place.
  auto flipRow = [&](Byte* row) {
    std::memcpy(a.data(), row, len);
    if (kind == ipkRGB24) {
      for (Integer x = 0; x < W; ++x) std::memcpy(row + 3 * x, &a[3 * size_t(W - 1 - x)], 3);
    } else {
      for (Integer x = 0; x < W; ++x) PutBit(row, x, TestBit(a.data(), W - 1 - x) ? 1 : 0);
    }
  };
  if (Bitmap->Location() == islMappedFile && FlipMappedFile(Bitmap, Direction, flipRow))
    return;
  if (Direction == 0) {
    for (Integer y = 0; y < H; ++y) flipRow(static_cast<Byte*>(Bitmap->GetRowPointer(y)));
    return;
  }
  const size_t used = kind == ipkRGB24 ? size_t(3) * W : len;
  if (ieproc::StableRows(Bitmap)) {
    for (Integer y = 0; y < H / 2; ++y) {
      Byte* upper = static_cast<Byte*>(Bitmap->GetRowPointer(y));
      Byte* lower = static_cast<Byte*>(Bitmap->GetRowPointer(H - 1 - y));
      std::memcpy(a.data(), upper, used);
      std::memcpy(upper, lower, used);
      std::memcpy(lower, a.data(), used);
    }
    return;
  }
  // Rows one at a time (a row address of a mapped buffer lasts until the
  // next request): bands of rows from the top and from the bottom, each read
  // and written in row order.
  const Integer band = IntMax(1, IntMin(H / 2, static_cast<Integer>((size_t(8) << 20) / IntMax(1, static_cast<Integer>(used)))));
  std::vector<Byte> top(used * band), bottom(used * band);
  for (Integer y0 = 0; y0 < H / 2; y0 += band) {
    const Integer n = IntMin(band, H / 2 - y0);
    const Integer b0 = H - y0 - n;  // the bottom band: rows b0 .. H - 1 - y0
    for (Integer i = 0; i < n; ++i) std::memcpy(&top[used * i], Bitmap->GetRowPointer(y0 + i), used);
    for (Integer i = 0; i < n; ++i) std::memcpy(&bottom[used * i], Bitmap->GetRowPointer(b0 + i), used);
    // Row y0 + i takes row H - 1 - y0 - i = b0 + n - 1 - i, and the other way round.
    for (Integer i = 0; i < n; ++i) std::memcpy(Bitmap->GetRowPointer(y0 + i), &bottom[used * (n - 1 - i)], used);
    for (Integer i = 0; i < n; ++i) std::memcpy(Bitmap->GetRowPointer(b0 + i), &top[used * (n - 1 - i)], used);
  }
}

void Rotate90Clockwise(TIEBitmap* Source, TIEBitmap* Dest) { QuarterTurn(Source, Dest, true); }

void Rotate90CounterClockwise(TIEBitmap* Source, TIEBitmap* Dest) { QuarterTurn(Source, Dest, false); }

void RotateImage(TIEBitmap* Bitmap, bool Antialias, double Angle, TIEColorTriple Background,
                 const TIEProgressEvent& OnProgress, TObject* Sender) {
  if (Bitmap == nullptr || Angle == 0) return;
  const TIEPixelKind kind = Bitmap->PixelKind();
  if (kind == ipkNone || Bitmap->Width() <= 0 || Bitmap->Height() <= 0) return;
  // The alpha channel turns with the picture (the changes of kind and size
  // below would drop it); the area the turn uncovers is opaque, showing the
  // background colour asked for.
  std::unique_ptr<TIEBitmap> alpha;
  if (Bitmap->HasAlphaChannel()) {
    alpha = std::make_unique<TIEBitmap>();
    alpha->SetLocation(islMemory);
    alpha->CopyPixelsFrom(Bitmap->GetAlphaChannel());
    Bitmap->FreeAlphaChannel();
  }
  const uint16_t opaque[1] = {255};
  if (kind == ipkBW1) {
    TIEProgressRecord progress;
    progress.Callback = OnProgress;
    progress.Sender = Sender;
    RotateBilevel(Bitmap, Background.Red != 0 && Background.Green != 0 && Background.Blue != 0, Angle, progress);
    if (alpha) RotateAlphaLikeBilevel(alpha.get(), Angle);
  } else {
    const Integer r = Background.Red, g = Background.Green, b = Background.Blue;
    if (kind == ipkRGB24 || kind == ipkPal8) {
      // Palette pictures turn through 24 bits (antialiased edges blend colours)
      // and are mapped to a palette again.
      if (kind == ipkPal8) Bitmap->ConvertToKind(ipkRGB24);
      const uint16_t bg[3] = {Background.Blue, Background.Green, Background.Red};
      RotateSamples(Bitmap, Antialias, Angle, bg, OnProgress, Sender);
      if (kind == ipkPal8) Bitmap->ConvertToKind(ipkPal8);
    } else {
      // Grey pictures turn as grey, 16-bit values whole.
      const uint16_t bg[1] = {static_cast<uint16_t>(kind == ipkGray16 ? (212 * r + 713 * g + 75 * b) * 256 / 1000
                                                                       : (21 * r + 71 * g + 8 * b) / 100)};
      RotateSamples(Bitmap, Antialias, Angle, bg, OnProgress, Sender);
    }
    if (alpha) RotateSamples(alpha.get(), Antialias, Angle, opaque, nullptr, nullptr);
  }
  if (alpha && alpha->Width() == Bitmap->Width() && alpha->Height() == Bitmap->Height()) {
    TIEBitmap* a = Bitmap->GetAlphaChannel();
    bool full = true;
    for (Integer y = 0; y < a->Height(); ++y) {
      const Byte* src = static_cast<const Byte*>(alpha->GetRowPointer(y));
      std::memcpy(a->GetRowPointer(y), src, static_cast<size_t>(a->Width()));
      for (Integer x = 0; x < a->Width() && full; ++x) full = src[x] == 255;
    }
    a->SetAlphaFull(full);
  }
}

void RotateBilevel(TIEBitmap* Bitmap, bool WhiteBackground, double Angle, TIEProgressRecord& Progress) {
  if (Bitmap == nullptr || Bitmap->PixelKind() != ipkBW1) return;
  const Integer W = Bitmap->Width(), H = Bitmap->Height();
  if (W <= 0 || H <= 0) return;
  // The source is read one row at a time into memory.
  const size_t len = static_cast<size_t>(Bitmap->RowLength());
  std::vector<Byte> src(len * H);
  for (Integer y = 0; y < H; ++y) std::memcpy(&src[len * y], Bitmap->GetRowPointer(y), len);

  TIEBitmap result;
  result.SetLocation(islMemory);
  Integer RW = 0, RH = 0;
  BilevelResultSize(W, H, Angle, RW, RH);
  result.AllocateImage(RW, RH, ipkBW1);
  Byte* out = nullptr;
  Integer outRow = -1;
  BilevelMapping(
      W, H, Angle, RW, RH,
      [&](Integer x, Integer y, int64_t sx, int64_t sy) {
        if (y != outRow) {
          out = static_cast<Byte*>(result.GetRowPointer(y));
          outRow = y;
        }
        bool v;
        if (sx < 0 || sy < 0 || sx >= W || sy >= H)
          v = WhiteBackground;
        else
          v = TestBit(&src[len * size_t(sy)], static_cast<Integer>(sx));
        PutBit(out, x, v ? 1 : 0);
      },
      [&](Integer o, Integer rh) {
        if (Progress.Callback) Progress.Callback(Progress.Sender, static_cast<Integer>(Trunc(o * 100.0 / rh)));
      });
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
