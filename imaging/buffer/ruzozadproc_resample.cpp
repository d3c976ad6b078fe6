// Resampling with filter kernels, fast linear interpolation and area
// interpolation; 1-bit and mask companions.
#include <algorithm>
#include <cmath>
#include <functional>

#include "imaging/buffer/ruzozadproc.h"
#include "imaging/buffer/ruzozadproc_rowcache.h"

using ieproc::TRowCache;
using ieproc::TScratchPlane;

namespace {

constexpr double Pi = 3.14159265358979323846;
// Sums of piece areas and cubic weights miss their exact values by rounding
// error; without this slack a uniform 200 could truncate to 199.
constexpr double TruncSlack = 1e-7;

double TriangleKernel(double x) {
  const double a = std::fabs(x);
  return a < 1 ? 1 - a : 0;
}
double HermiteKernel(double x) {
  const double a = std::fabs(x);
  return a < 1 ? (2 * a - 3) * a * a + 1 : 0;
}
double BellKernel(double x) {
  const double a = std::fabs(x);
  if (a < 0.5) return 0.75 - x * x;
  if (a < 1.5) return 0.5 * (a - 1.5) * (a - 1.5);
  return 0;
}
double BSplineKernel(double x) {
  const double a = std::fabs(x);
  if (a < 1) return 0.5 * a * a * a - x * x + 2.0 / 3.0;
  if (a < 2) return (2 - a) * (2 - a) * (2 - a) / 6;
  return 0;
}
double Sinc(double x) {
  if (x == 0) return 1;
  const double px = Pi * x;
  return std::sin(px) / px;
}
double Lanczos3Kernel(double x) { return std::fabs(x) < 3 ? Sinc(x) * Sinc(x / 3) : 0; }
double MitchellKernel(double x) {
  const double a = std::fabs(x);
  if (a < 1) return (7 * a * a * a - 12 * x * x + 16.0 / 3.0) / 6;
  if (a < 2) return (-7.0 / 3.0 * a * a * a + 12 * x * x - 20 * a + 32.0 / 3.0) / 6;
  return 0;
}
double NearestKernel(double x) { return (x > -0.5 && x <= 0.5) ? 1 : 0; }
double LinearKernel(double x) {
  if (x >= -1 && x < 0) return x + 1;
  if (x >= 0 && x < 1) return 1 - x;
  return 0;
}

// Cubic convolution kernel with a = -1, at the four offsets of a fraction.
double CubicKernel(double d) {
  d = std::fabs(d);
  if (d <= 1) return d * d * d - 2 * d * d + 1;
  if (d <= 2) return -d * d * d + 5 * d * d - 8 * d + 4;
  return 0.0;
}
void CubicWeights(double T, double* W) {
  W[0] = CubicKernel(T + 1);
  W[1] = CubicKernel(T);
  W[2] = CubicKernel(1 - T);
  W[3] = CubicKernel(2 - T);
}
inline double CubicSum(double Sm1, double S0, double S1, double S2, const double* W) {
  return std::clamp(Sm1 * W[0] + S0 * W[1] + S1 * W[2] + S2 * W[3], 0.0, 255.0);
}

struct TContributor {
  Integer Index;
  Integer Weight;
};
using TContributorList = std::vector<TContributor>;

std::vector<TContributorList> BuildContributors(Integer SrcSize, Integer DstSize, double Scale,
                                                const TResampleFilterEntry& Filter) {
  std::vector<TContributorList> lists(static_cast<size_t>(DstSize));
  const double support = Filter.Support;
  for (Integer i = 0; i < DstSize; ++i) {
    const double center = i / Scale;
    const double reach = Scale >= 1 ? support : support / Scale;
    TContributorList& list = lists[i];
    list.reserve(static_cast<size_t>(2 * reach + 1) + 2);
    const int64_t from = static_cast<int64_t>(std::floor(center - reach));
    const int64_t to = static_cast<int64_t>(std::ceil(center + reach));
    for (int64_t j = from; j <= to; ++j) {
      const double k = Scale >= 1 ? Filter.Kernel(center - j) : Filter.Kernel((center - j) * Scale) * Scale;
      const Integer weight = static_cast<Integer>(Round(k * 256));
      if (weight == 0) continue;
      int64_t n = j;
      if (n < 0) n = -n;
      if (n >= SrcSize) n = 2 * int64_t(SrcSize) - 1 - n;
      // Still outside after mirroring (tiny sources): the nearest edge.
      n = std::clamp<int64_t>(n, 0, SrcSize - 1);
      list.push_back({static_cast<Integer>(n), weight});
    }
  }
  return lists;
}

inline Byte Settle(int64_t Sum, int64_t WeightSum) {
  int64_t v;
  if (WeightSum != 0)
    v = Sum / WeightSum;
  else
    v = static_cast<uint32_t>(static_cast<int32_t>(Sum)) >> 8;
  return static_cast<Byte>(std::clamp<int64_t>(v, 0, 255));
}

double AxisScale(Integer Src, Integer Dst) {
  if (Src == 1 || Dst == 1) return double(Dst) / Src;
  return double(Dst - 1) / (Src - 1);
}

using TRowReader = std::function<void(Integer Row, Byte* Out)>;   // Width x Channels bytes
using TRowWriter = std::function<void(Integer Row, const Byte* In)>;
using TStepReport = std::function<void(Integer Pass, Integer Index)>;

// Separable kernel filter: rows into a scratch plane, then columns (computed
// one destination row at a time, which gives the same values).
void KernelResample(Integer W, Integer H, Integer W2, Integer H2, Integer C, const TResampleFilterEntry& Filter,
                    const TRowReader& Read, const TRowWriter& Write, const TStepReport& Report) {
  if (W == 0 || H == 0 || (W < 2 && H < 2) || W2 <= 0 || H2 <= 0 || Filter.Kernel == nullptr) return;
  const double sx = AxisScale(W, W2), sy = AxisScale(H, H2);
  const auto columns = BuildContributors(W, W2, sx, Filter);
  const auto rows = BuildContributors(H, H2, sy, Filter);
  size_t maxRows = 1;
  for (const auto& l : rows) maxRows = std::max(maxRows, l.size());
  TScratchPlane scratch(W2, H, C, static_cast<Integer>(maxRows) + 2);

  std::vector<Byte> line(static_cast<size_t>(W) * C);
  for (Integer y = 0; y < H; ++y) {
    Read(y, line.data());
    Byte* out = scratch.RowForWrite(y);
    for (Integer i = 0; i < W2; ++i) {
      int64_t sum[3] = {0, 0, 0}, wsum = 0;
      for (const TContributor& c : columns[i]) {
        const Byte* p = &line[static_cast<size_t>(c.Index) * C];
        for (Integer ch = 0; ch < C; ++ch) sum[ch] += int64_t(c.Weight) * p[ch];
        wsum += c.Weight;
      }
      for (Integer ch = 0; ch < C; ++ch) out[i * C + ch] = Settle(sum[ch], wsum);
    }
    if (Report) Report(0, y);
  }

  std::vector<int64_t> acc(static_cast<size_t>(W2) * C);
  std::vector<Byte> result(static_cast<size_t>(W2) * C);
  for (Integer j = 0; j < H2; ++j) {
    std::fill(acc.begin(), acc.end(), 0);
    int64_t wsum = 0;
    for (const TContributor& c : rows[j]) {
      const Byte* p = scratch.RowForRead(c.Index);
      for (size_t k = 0; k < acc.size(); ++k) acc[k] += int64_t(c.Weight) * p[k];
      wsum += c.Weight;
    }
    for (size_t k = 0; k < acc.size(); ++k) result[k] = Settle(acc[k], wsum);
    Write(j, result.data());
    if (Report) Report(1, j);
  }
}

// Source pixels first..last under destination pixel I when N pixels shrink to
// N2: those meeting [I N / N2, (I + 1) N / N2), at least one.
std::pair<Integer, Integer> BoxOf(Integer I, Integer N, Integer N2) {
  const Integer first = static_cast<Integer>(int64_t(I) * N / N2);
  const Integer last = static_cast<Integer>((int64_t(I + 1) * N + N2 - 1) / N2) - 1;
  return {std::min(first, N - 1), std::clamp(last, std::min(first, N - 1), N - 1)};
}

// Fast linear: interpolation along an axis that grows, box average along one
// that shrinks (unless Interpolate forces interpolation on both).
void FastLinearCore(Integer W, Integer H, Integer W2, Integer H2, Integer C, bool AlwaysInterpolate,
                    const TRowReader& Read, const TRowWriter& Write, const TStepReport& Report) {
  if (W <= 0 || H <= 0 || W2 <= 0 || H2 <= 0) return;
  const double sx = double(W2) / W, sy = double(H2) / H;
  struct Col {
    Integer Left, Last, Frac;
  };
  std::vector<Col> cols(static_cast<size_t>(W2));
  for (Integer i = 0; i < W2; ++i) {
    const double x = i / sx;
    const Integer left = static_cast<Integer>(Trunc(x));
    const Integer frac = static_cast<Integer>(Trunc((x - left) * 131072));
    // A shrinking column averages the source pixels its footprint
    // [i W / W2, (i + 1) W / W2) touches, so the last column ends at the last
    // source pixel and boxes never reach past their own footprint.
    const auto box = BoxOf(i, W, W2);
    cols[i] = {sx > 1 || AlwaysInterpolate ? std::min(left, W - 1) : box.first, box.second, frac};
  }
  const bool growX = sx > 1 || AlwaysInterpolate, growY = sy > 1 || AlwaysInterpolate;
  // An axis whose size does not change is copied, not filtered.
  const bool sameX = W == W2, sameY = H == H2;
  TScratchPlane scratch(W2, H, C, 4);
  std::vector<Byte> line(static_cast<size_t>(W) * C);
  for (Integer y = 0; y < H; ++y) {
    Byte* out = scratch.RowForWrite(y);
    if (sameX) {
      Read(y, out);
      if (Report) Report(0, y);
      continue;
    }
    Read(y, line.data());
    for (Integer i = 0; i < W2; ++i) {
      const Col& c = cols[i];
      for (Integer ch = 0; ch < C; ++ch) {
        if (growX) {
          const Integer a = line[size_t(c.Left) * C + ch];
          const Integer b = line[size_t(std::min(c.Left + 1, W - 1)) * C + ch];
          out[i * C + ch] = static_cast<Byte>(a + (((b - a) * c.Frac) >> 17));
        } else {
          Integer sum = 0;
          for (Integer k = c.Left; k <= c.Last; ++k) sum += line[size_t(k) * C + ch];
          out[i * C + ch] = static_cast<Byte>(sum / (c.Last - c.Left + 1));
        }
      }
    }
    if (Report) Report(0, y);
  }
  std::vector<Byte> result(static_cast<size_t>(W2) * C);
  std::vector<Byte> upper(result.size());
  std::vector<Integer> sums(result.size());
  for (Integer j = 0; j < H2; ++j) {
    if (sameY) {
      Write(j, scratch.RowForRead(j));
      if (Report) Report(1, j);
      continue;
    }
    if (growY) {
      const double y = j / sy;
      const Integer top = std::min(static_cast<Integer>(Trunc(y)), H - 1);
      const Integer frac = static_cast<Integer>(Trunc((y - top) * 131072));
      std::memcpy(upper.data(), scratch.RowForRead(top), upper.size());
      const Byte* lower = scratch.RowForRead(top + 1 < H ? top + 1 : top);
      for (size_t k = 0; k < result.size(); ++k) {
        const Integer a = upper[k], b = lower[k];
        result[k] = static_cast<Byte>(a + (((b - a) * frac) >> 17));
      }
    } else {
      const auto box = BoxOf(j, H, H2);
      const Integer from = box.first, to = box.second;
      std::fill(sums.begin(), sums.end(), 0);
      for (Integer r = from; r <= to; ++r) {
        const Byte* p = scratch.RowForRead(r);
        for (size_t k = 0; k < sums.size(); ++k) sums[k] += p[k];
      }
      for (size_t k = 0; k < sums.size(); ++k) result[k] = static_cast<Byte>(sums[k] / (to - from + 1));
    }
    Write(j, result.data());
    if (Report) Report(1, j);
  }
}

// Pieces of one destination pixel's footprint along an axis.
struct TPiece {
  Integer Pixel;    // source pixel
  double Length;    // piece length in source units
  double Fraction;  // end position inside the source pixel (1 at its far edge)
};

std::vector<std::vector<TPiece>> CutAxis(Integer Src, Integer Dst, double Step) {
  std::vector<std::vector<TPiece>> pieces(static_cast<size_t>(Dst));
  double pos = 0;
  for (Integer i = 0; i < Dst; ++i) {
    const double end = (i + 1) * Step;
    while (pos < end - 1e-12) {
      Integer pixel = static_cast<Integer>(std::floor(pos + 1e-12));
      const double sourceEdge = pixel + 1;
      double pieceEnd, fraction;
      if (std::fabs(end - sourceEdge) <= 1e-4 || end > sourceEdge) {
        pieceEnd = std::fabs(end - sourceEdge) <= 1e-4 ? end : sourceEdge;
        fraction = 1;
      } else {
        pieceEnd = end;
        fraction = end - pixel;
      }
      const double length = pieceEnd - pos;
      if (length > 0) pieces[i].push_back({std::min(pixel, Src - 1), length, fraction});
      pos = pieceEnd;
      if (std::fabs(pos - sourceEdge) <= 1e-4) pos = std::max(pos, double(sourceEdge));
    }
  }
  return pieces;
}

void AreaInterpolationResample(TIEBitmap* Source, TIEBitmap* Dest, bool Cubic, const TIEProgressEvent& OnProgress,
                               TObject* Sender) {
  const Integer W = Source->Width(), H = Source->Height(), W2 = Dest->Width(), H2 = Dest->Height();
  if (W <= 0 || H <= 0 || W2 <= 0 || H2 <= 0) return;
  const double hx = double(W) / W2, hy = double(H) / H2;
  const bool interpX = hx < 1, interpY = hy < 1;
  const auto xs = CutAxis(W, W2, hx);
  const auto ys = CutAxis(H, H2, hy);
  TRowCache cache(Source, 8);
  const double area = hx * hy;
  std::vector<double> sums(static_cast<size_t>(W2) * 3);
  std::vector<Byte> out(static_cast<size_t>(W2) * 3);
  const Byte* rows[4];  // source rows v - 1 .. v + 2, edge rows repeated
  for (Integer j = 0; j < H2; ++j) {
    std::fill(sums.begin(), sums.end(), 0.0);
    for (const TPiece& vp : ys[j]) {
      for (Integer k = 0; k < 4; ++k) rows[k] = cache.Get(ClampInt(vp.Pixel - 1 + k, 0, H - 1));
      const double fy = vp.Fraction;
      double wy[4];
      CubicWeights(fy, wy);
      for (Integer i = 0; i < W2; ++i) {
        for (const TPiece& hp : xs[i]) {
          const double weight = hp.Length * vp.Length, fx = hp.Fraction;
          double wx[4];
          if (Cubic) CubicWeights(fx, wx);
          Integer cols[4];
          for (Integer k = 0; k < 4; ++k) cols[k] = 3 * ClampInt(hp.Pixel - 1 + k, 0, W - 1);
          for (Integer ch = 0; ch < 3; ++ch) {
            // Value at fraction fx along row r (r indexes rows[]).
            auto rowValue = [&](Integer r) -> double {
              const Byte* p = rows[r] + ch;
              if (!interpX) return p[cols[1]];
              if (Cubic) return CubicSum(p[cols[0]], p[cols[1]], p[cols[2]], p[cols[3]], wx);
              return (1 - fx) * p[cols[1]] + fx * p[cols[2]];
            };
            double v;
            if (!interpY) {
              v = rowValue(1);
            } else if (Cubic) {
              double h[4];
              for (Integer r = 0; r < 4; ++r)
                h[r] = interpX ? std::trunc(rowValue(r) + TruncSlack) : rows[r][cols[1] + ch];
              v = CubicSum(h[0], h[1], h[2], h[3], wy);
            } else {
              v = (1 - fy) * rowValue(1) + fy * rowValue(2);
            }
            sums[3 * size_t(i) + ch] += weight * v;
          }
        }
      }
    }
    for (size_t k = 0; k < sums.size(); ++k)
      out[k] = static_cast<Byte>(std::clamp<int64_t>(Trunc(sums[k] / area + TruncSlack), 0, 255));
    std::memcpy(Dest->GetRowPointer(j), out.data(), out.size());
    if (OnProgress) OnProgress(Sender, static_cast<Integer>(Trunc((j + 1) / double(H2) * 100)));
  }
}

TRowReader RGBReader(TIEBitmap* Bitmap) {
  return [Bitmap](Integer Row, Byte* Out) {
    std::memcpy(Out, Bitmap->GetRowPointer(Row), static_cast<size_t>(Bitmap->Width()) * 3);
  };
}
TRowWriter RGBWriter(TIEBitmap* Bitmap) {
  return [Bitmap](Integer Row, const Byte* In) {
    std::memcpy(Bitmap->GetRowPointer(Row), In, static_cast<size_t>(Bitmap->Width()) * 3);
  };
}
TRowReader BitsReader(TIEBitmap* Bitmap) {
  return [Bitmap](Integer Row, Byte* Out) {
    const Byte* p = static_cast<const Byte*>(Bitmap->GetRowPointer(Row));
    for (Integer x = 0; x < Bitmap->Width(); ++x) Out[x] = TestBit(p, x) ? 255 : 0;
  };
}
TRowWriter GreyWriter(TIEBitmap* Bitmap) {
  return [Bitmap](Integer Row, const Byte* In) {
    Byte* p = static_cast<Byte*>(Bitmap->GetRowPointer(Row));
    for (Integer x = 0; x < Bitmap->Width(); ++x, p += 3) p[0] = p[1] = p[2] = In[x];
  };
}
TRowReader MaskReader(TIEMask* Mask) {
  return [Mask](Integer Row, Byte* Out) { std::memcpy(Out, Mask->RowAddress(Row), static_cast<size_t>(Mask->Width())); };
}
TRowWriter MaskWriter(TIEMask* Mask) {
  return [Mask](Integer Row, const Byte* In) { std::memcpy(Mask->RowAddress(Row), In, static_cast<size_t>(Mask->Width())); };
}

bool IsFastFamily(TResampleFilter Filter) { return Filter == rfFastLinear || Filter == rfBilinear || Filter == rfBicubic; }

}  // namespace

const TResampleFilterEntry ResampleFilterTable[9] = {
    {nullptr, 0},         {TriangleKernel, 1.0}, {HermiteKernel, 1.0}, {BellKernel, 1.5},    {BSplineKernel, 2.0},
    {Lanczos3Kernel, 3.0}, {MitchellKernel, 2.0}, {NearestKernel, 1.0}, {LinearKernel, 1.0},
};

double CubicConvolutionValue(double Sm1, double S0, double S1, double S2, double T) {
  double w[4];
  CubicWeights(T, w);
  return CubicSum(Sm1, S0, S1, S2, w);
}

void ResampleImage(TIEBitmap* Source, TIEBitmap* Dest, TResampleFilter Filter, const TIEProgressEvent& OnProgress,
                   TObject* Sender) {
  if (Source == nullptr || Dest == nullptr || Source->PixelKind() != ipkRGB24 || Dest->PixelKind() != ipkRGB24) return;
  const Integer W = Source->Width(), H = Source->Height(), W2 = Dest->Width(), H2 = Dest->Height();
  if (W <= 0 || H <= 0 || W2 <= 0 || H2 <= 0) return;
  if (Filter == rfBilinear || Filter == rfBicubic) {
    AreaInterpolationResample(Source, Dest, Filter == rfBicubic, OnProgress, Sender);
    return;
  }
  if (Filter == rfFastLinear) {
    if (W == W2 && H == H2) {
      Dest->CopyFromObject(Source);
      return;
    }
    const double f = 100.0 / (H + H2 + 0.5);
    FastLinearCore(W, H, W2, H2, 3, false, RGBReader(Source), RGBWriter(Dest), [&](Integer pass, Integer i) {
      if (OnProgress) OnProgress(Sender, static_cast<Integer>(Trunc((pass == 0 ? i : H + i) * f)));
    });
    return;
  }
  if (Filter == rfNone || Filter > rfLinear) return;
  const double f = 100.0 / (H + W2 + 0.5);
  KernelResample(W, H, W2, H2, 3, ResampleFilterTable[Filter], RGBReader(Source), RGBWriter(Dest),
                 [&](Integer pass, Integer i) {
                   if (!OnProgress) return;
                   // The second pass runs by destination rows; its share is reported in columns.
                   const int64_t done = pass == 0 ? i + 1 : H + (int64_t(i) + 1) * W2 / H2;
                   OnProgress(Sender, static_cast<Integer>(Trunc(done * f)));
                 });
}

void ShrinkBilevelToRGB(TIEBitmap* Source, Integer X1, Integer Y1, Integer X2, Integer Y2, TIEBitmap* Dest) {
  if (Source == nullptr || Dest == nullptr) return;
  const Integer W = Source->Width(), H = Source->Height(), W2 = Dest->Width(), H2 = Dest->Height();
  if (W <= 0 || H <= 0 || W2 <= 0 || H2 <= 0) return;
  const double fx = double(X2 - X1 + 1) / W2, fy = double(Y2 - Y1 + 1) / H2;
  std::vector<Integer> setCount(static_cast<size_t>(W2)), bitCount(static_cast<size_t>(W2));
  std::vector<Byte> out(static_cast<size_t>(W2) * 3);
  for (Integer i = 0; i < H2; ++i) {
    const Integer r0 = ClampInt(static_cast<Integer>(Trunc(fy * i - fy / 2)), 0, H - 1 - Y1 < 0 ? 0 : H - 1 - Y1);
    const Integer r1 = ClampInt(static_cast<Integer>(Trunc(fy * i + Trunc(fy) / 2.0)), 0, H - 1 - Y1 < 0 ? 0 : H - 1 - Y1);
    std::fill(setCount.begin(), setCount.end(), 0);
    std::fill(bitCount.begin(), bitCount.end(), 0);
    for (Integer r = r0; r <= r1; ++r) {
      const Integer row = ClampInt(Y1 + r, 0, H - 1);
      const Byte* p = static_cast<const Byte*>(Source->GetRowPointer(row));
      for (Integer j = 0; j < W2; ++j) {
        const Integer c0 = ClampInt(X1 + static_cast<Integer>(Trunc(fx * j - fx / 2)), 0, W - 1);
        const Integer c1 = ClampInt(X1 + static_cast<Integer>(Trunc(fx * j + fx / 2)), 0, W - 1);
        for (Integer c = c0; c <= c1; ++c) {
          setCount[j] += TestBit(p, c) ? 1 : 0;
          ++bitCount[j];
        }
      }
    }
    for (Integer j = 0; j < W2; ++j) {
      const Byte v = bitCount[j] > 0 ? static_cast<Byte>(255 * setCount[j] / bitCount[j]) : 0;
      out[3 * j] = out[3 * j + 1] = out[3 * j + 2] = v;
    }
    std::memcpy(Dest->GetRowPointer(i), out.data(), out.size());
  }
}

std::unique_ptr<Byte[]> StretchDIBToBuffer(const Byte* Bits, Integer Width, Integer Height, Integer NewWidth,
                                           Integer NewHeight, Integer X1, Integer Y1, Integer X2, Integer Y2) {
  if (NewWidth < 1 || NewHeight < 1 || Bits == nullptr || Width < 1 || Height < 1) return nullptr;
  const size_t srcStride = AlignedRowLength(Width, 1), dstStride = AlignedRowLength(NewWidth, 24);
  std::unique_ptr<Byte[]> block(new Byte[dstStride * NewHeight]());
  const double fx = double(X2 - X1 + 1) / NewWidth, fy = double(Y2 - Y1 + 1) / NewHeight;
  for (Integer i = 0; i < NewHeight; ++i) {
    const Integer r0 = ClampInt(Y1 + static_cast<Integer>(Trunc(fy * i - fy / 2)), 0, Height - 1);
    const Integer r1 = ClampInt(Y1 + static_cast<Integer>(Trunc(fy * i + Trunc(fy) / 2.0)), 0, Height - 1);
    Byte* dst = block.get() + dstStride * (NewHeight - 1 - i);  // bottom-up
    for (Integer j = 0; j < NewWidth; ++j) {
      const Integer c0 = ClampInt(X1 + static_cast<Integer>(Trunc(fx * j - fx / 2)), 0, Width - 1);
      const Integer c1 = ClampInt(X1 + static_cast<Integer>(Trunc(fx * j + fx / 2)), 0, Width - 1);
      Integer set = 0, count = 0;
      for (Integer r = r0; r <= r1; ++r) {
        const Byte* src = Bits + srcStride * (Height - 1 - r);
        for (Integer c = c0; c <= c1; ++c) {
          set += TestBit(src, c) ? 1 : 0;
          ++count;
        }
      }
      const Byte v = count > 0 ? static_cast<Byte>(255 * set / count) : 0;
      dst[3 * j] = dst[3 * j + 1] = dst[3 * j + 2] = v;
    }
  }
  return block;
}

void ResampleBilevel(TIEBitmap* Source, TIEBitmap* Dest, TResampleFilter Filter) {
  if (Source == nullptr || Dest == nullptr || Source->PixelKind() != ipkBW1 || Dest->PixelKind() != ipkRGB24) return;
  const Integer W = Source->Width(), H = Source->Height(), W2 = Dest->Width(), H2 = Dest->Height();
  if (W <= 0 || H <= 0 || W2 <= 0 || H2 <= 0) return;
  if (IsFastFamily(Filter)) {
    const double sx = double(W2) / W, sy = double(H2) / H;
    if (sx < 1 && sy < 1) {
      ShrinkBilevelToRGB(Source, 0, 0, W - 1, H - 1, Dest);
      return;
    }
    FastLinearCore(W, H, W2, H2, 1, true, BitsReader(Source), GreyWriter(Dest), nullptr);
    return;
  }
  if (Filter == rfNone || Filter > rfLinear) return;
  KernelResample(W, H, W2, H2, 1, ResampleFilterTable[Filter], BitsReader(Source), GreyWriter(Dest), nullptr);
}

void ResampleMask(TIEMask* Source, TIEMask* Dest, TResampleFilter Filter) {
  if (Source == nullptr || Dest == nullptr || Source->BitsPerPixel() != 8 || Dest->BitsPerPixel() != 8) return;
  const Integer W = Source->Width(), H = Source->Height(), W2 = Dest->Width(), H2 = Dest->Height();
  if (W <= 0 || H <= 0 || W2 <= 0 || H2 <= 0) return;
  if (IsFastFamily(Filter)) {
    if (W == W2 && H == H2) {
      Dest->CopyMaskFrom(Source);
      return;
    }
    FastLinearCore(W, H, W2, H2, 1, false, MaskReader(Source), MaskWriter(Dest), nullptr);
    return;
  }
  if (Filter == rfNone || Filter > rfLinear) return;
  KernelResample(W, H, W2, H2, 1, ResampleFilterTable[Filter], MaskReader(Source), MaskWriter(Dest), nullptr);
}

void ResampleAlphaChannel(TIEBitmap* Source, TIEBitmap* Dest, TResampleFilter Filter) {
  if (Source == nullptr || Dest == nullptr) return;
  TIEMask from, to;
  Source->CopyToMask(&from);
  to.AllocateMask(Dest->Width(), Dest->Height(), 8);
  ResampleMask(&from, &to, Filter);
  Dest->CopyFromMask(&to);
}
