// Selection by colour: colour range, seed fill into a mask, outline tracing.
#include <algorithm>
#include <cstdlib>

#include "imaging/buffer/ruzozadproc.h"

namespace {

struct TSegment {
  Integer Row, Left, Right, Step;
};

bool Matches(const Byte* P, const Byte* Seed, Integer Tolerance) {
  const Integer d = std::max({std::abs(P[0] - Seed[0]), std::abs(P[1] - Seed[1]), std::abs(P[2] - Seed[2])});
  return d <= Tolerance;
}

// Scanline seed fill with a stack of row segments (4-connected).
class TRegionFill {
 public:
  TRegionFill(TIEBitmap* Bitmap, Integer X, Integer Y, Integer Tolerance)
      : bitmap_(Bitmap), w_(Bitmap->Width()), h_(Bitmap->Height()), tol_(Tolerance) {
    rowBytes_ = static_cast<size_t>(w_ / 8 + 1);
    visited_.assign(rowBytes_ * h_, 0);
    std::memcpy(seed_, static_cast<const Byte*>(Bitmap->GetRowPointer(Y)) + 3 * X, 3);
    Run(X, Y);
  }
  bool Visited(Integer X, Integer Y) const { return TestBit(&visited_[rowBytes_ * Y], X); }
  Integer MinX = 2147483647, MinY = 2147483647, MaxX = -1, MaxY = -1;

 private:
  void Fill(Integer X, Integer Y) {
    PutBit(&visited_[rowBytes_ * Y], X, 1);
    MinX = IntMin(MinX, X);
    MaxX = IntMax(MaxX, X);
    MinY = IntMin(MinY, Y);
    MaxY = IntMax(MaxY, Y);
  }
  bool Open(const Byte* Row, Integer X, Integer Y) const {
    return !Visited(X, Y) && Matches(Row + 3 * X, seed_, tol_);
  }
  void Push(Integer Row, Integer Left, Integer Right, Integer Step) {
    // Only segments whose next row lies inside the picture are worth keeping.
    if (Row + Step < 0 || Row + Step >= h_) return;
    stack_.push_back({Row, Left, Right, Step});
  }
  void Run(Integer X, Integer Y) {
    Push(Y, X, X, 1);
    Push(Y + 1, X, X, -1);
    while (!stack_.empty()) {
      const TSegment s = stack_.back();
      stack_.pop_back();
      const Integer y = s.Row + s.Step, x1 = s.Left, x2 = s.Right, dy = s.Step;
      const Byte* row = static_cast<const Byte*>(bitmap_->GetRowPointer(y));
      Integer x = x1;
      for (; x >= 0 && Open(row, x, y); --x) Fill(x, y);
      Integer l;
      if (x >= x1) goto skip;
      l = x + 1;
      if (l < x1) Push(y, l, x1 - 1, -dy);
      x = x1 + 1;
      do {
        for (; x < w_ && Open(row, x, y); ++x) Fill(x, y);
        Push(y, l, x - 1, dy);
        if (x > x2 + 1) Push(y, x2 + 1, x - 1, -dy);
      skip:
        for (++x; x <= x2 && x < w_ && !Open(row, x, y); ++x) {
        }
        l = x;
      } while (x <= x2 && x < w_);
    }
  }

  TIEBitmap* bitmap_;
  Integer w_, h_, tol_;
  size_t rowBytes_;
  std::vector<Byte> visited_;
  std::vector<TSegment> stack_;
  Byte seed_[3];
};

bool SeedUsable(TIEBitmap* Bitmap, Integer X, Integer Y) {
  return Bitmap != nullptr && Bitmap->PixelKind() == ipkRGB24 && X >= 0 && Y >= 0 && X < Bitmap->Width() &&
         Y < Bitmap->Height();
}

}  // namespace

void SelectColorRangeMask(TIEBitmap* Bitmap, Integer X, Integer Y, TIEMask* Mask, Integer Tolerance) {
  if (!SeedUsable(Bitmap, X, Y) || Mask == nullptr) return;
  Byte seed[3];
  std::memcpy(seed, static_cast<const Byte*>(Bitmap->GetRowPointer(Y)) + 3 * X, 3);
  const Integer w = Bitmap->Width(), h = Bitmap->Height();
  for (Integer y = 0; y < h; ++y) {
    const Byte* p = static_cast<const Byte*>(Bitmap->GetRowPointer(y));
    for (Integer x = 0; x < w; ++x, p += 3)
      if (Matches(p, seed, Tolerance)) Mask->SetPixelValue(x, y, 1);
  }
}

void FloodFillMaskByColor(TIEBitmap* Bitmap, Integer X, Integer Y, TIEMask* Mask, Integer Tolerance, bool Expand) {
  if (!SeedUsable(Bitmap, X, Y) || Mask == nullptr) return;
  TRegionFill fill(Bitmap, X, Y, Tolerance);
  const Integer w = Bitmap->Width(), h = Bitmap->Height();
  for (Integer y = fill.MinY; y <= fill.MaxY; ++y)
    for (Integer x = fill.MinX; x <= fill.MaxX; ++x) {
      if (!fill.Visited(x, y)) continue;
      if (!Expand) {
        Mask->SetPixelValue(x, y, 1);
        continue;
      }
      for (Integer v = IntMax(y - 1, 0); v <= IntMin(y + 1, h - 1); ++v)
        for (Integer u = IntMax(x - 1, 0); u <= IntMin(x + 1, w - 1); ++u) Mask->SetPixelValue(u, v, 1);
    }
}

std::unique_ptr<TPoint[]> TraceColorRegionOutline(TIEBitmap* Bitmap, Integer X, Integer Y, Integer& Count,
                                                  Integer Tolerance, bool Expand) {
  Count = 0;
  if (!SeedUsable(Bitmap, X, Y)) return nullptr;
  TRegionFill fill(Bitmap, X, Y, Tolerance);
  if (fill.MaxX < fill.MinX) return nullptr;
  const Integer bw = fill.MaxX - fill.MinX + 1, bh = fill.MaxY - fill.MinY + 1;

  // Region grid of the filled bounding box.
  std::vector<Byte> region(size_t(bw) * bh, 0);
  for (Integer v = 0; v < bh; ++v)
    for (Integer u = 0; u < bw; ++u) {
      if (!fill.Visited(fill.MinX + u, fill.MinY + v)) continue;
      if (!Expand) {
        region[size_t(v) * bw + u] = 1;
        continue;
      }
      for (Integer b = IntMax(v - 1, 0); b <= IntMin(v + 1, bh - 1); ++b)
        for (Integer a = IntMax(u - 1, 0); a <= IntMin(u + 1, bw - 1); ++a) region[size_t(b) * bw + a] = 1;
    }

  // Magnified by 4 with a border, so that the outline runs between pixels.
  const Integer gw = 4 * bw + 4, gh = 4 * bh + 4;
  std::vector<Byte> g(size_t(gw) * gh, 0);
  auto at = [&](Integer x, Integer y) -> Byte& { return g[size_t(y) * gw + x]; };
  for (Integer v = 0; v < bh; ++v)
    for (Integer u = 0; u < bw; ++u)
      if (region[size_t(v) * bw + u])
        for (Integer r = 4 * v + 2; r <= 4 * v + 5; ++r)
          for (Integer c = 4 * u + 2; c <= 4 * u + 5; ++c) at(c, r) = 1;

  for (Integer y = 0; y < gh; ++y) {
    for (Integer x = 1; x < gw; ++x)
      if (at(x, y) == 1 && at(x - 1, y) != 1) at(x - 1, y) = 3;
    for (Integer x = gw - 2; x >= 0; --x)
      if (at(x, y) == 1 && at(x + 1, y) != 1) at(x + 1, y) = 3;
  }
  for (Integer x = 0; x < gw; ++x) {
    for (Integer y = 1; y < gh; ++y)
      if (at(x, y) == 1 && at(x, y - 1) != 1) at(x, y - 1) = 3;
    for (Integer y = gh - 2; y >= 0; --y)
      if (at(x, y) == 1 && at(x, y + 1) != 1) at(x, y + 1) = 3;
  }

  // Start: the outline cell nearest the corner of the outline's bounding box.
  Integer ox0 = gw, oy0 = gh;
  for (Integer y = 0; y < gh; ++y)
    for (Integer x = 0; x < gw; ++x)
      if (at(x, y) == 3) {
        ox0 = IntMin(ox0, x);
        oy0 = IntMin(oy0, y);
      }
  Integer sx = -1, sy = -1;
  int64_t best = INT64_MAX;
  for (Integer y = 0; y < gh; ++y)
    for (Integer x = 0; x < gw; ++x)
      if (at(x, y) == 3) {
        const int64_t d = int64_t(x - ox0) * (x - ox0) + int64_t(y - oy0) * (y - oy0);
        if (d < best) {
          best = d;
          sx = x;
          sy = y;
        }
      }
  if (sx < 0) return nullptr;
  at(sx, sy) = 2;

  static const Integer dirX[8] = {1, 0, -1, 0, 1, -1, -1, 1};
  static const Integer dirY[8] = {0, -1, 0, 1, -1, -1, 1, 1};
  static const Integer code[8] = {0, 2, 4, 6, 1, 3, 5, 7};
  auto holds3 = [&](Integer x, Integer y) { return x >= 0 && y >= 0 && x < gw && y < gh && at(x, y) == 3; };
  std::vector<Integer> codes;
  Integer cx = sx, cy = sy, dir = 4;  // (1, -1)
  for (;;) {
    if (holds3(cx + dirX[dir], cy + dirY[dir])) {
      cx += dirX[dir];
      cy += dirY[dir];
      at(cx, cy) = 2;
      codes.push_back(code[dir]);
    }
    Integer next = -1;
    for (Integer k = 0; k < 8; ++k)
      if (holds3(cx + dirX[k], cy + dirY[k])) {
        next = k;
        break;
      }
    if (next < 0) break;
    cx += dirX[next];
    cy += dirY[next];
    at(cx, cy) = 2;
    codes.push_back(code[next]);
    dir = next;
  }
  for (Integer k = 0; k < 8; ++k)
    if (cx + dirX[k] == sx && cy + dirY[k] == sy && !(cx == sx && cy == sy)) {
      codes.push_back(code[k]);
      break;
    }

  static const Integer stepX[8] = {1, 1, 0, -1, -1, -1, 0, 1};
  static const Integer stepY[8] = {0, -1, -1, -1, 0, 1, 1, 1};
  std::vector<TPoint> points;
  TPoint cur{sx + 4 * fill.MinX - 1, sy + 4 * fill.MinY - 1};
  points.push_back(cur);
  Integer previous = codes.empty() ? -1 : codes[0];
  for (Integer c : codes) {
    if (c != previous) {
      points.push_back(cur);
      previous = c;
    }
    cur.X += stepX[c];
    cur.Y += stepY[c];
  }
  auto result = std::make_unique<TPoint[]>(points.size());
  for (size_t i = 0; i < points.size(); ++i) result[i] = TPoint{points[i].X / 4, points[i].Y / 4};
  Count = static_cast<Integer>(points.size());
  return result;
}
