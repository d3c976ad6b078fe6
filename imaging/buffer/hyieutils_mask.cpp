// Selection mask: pixel and fill operations, the scanline polygon fill,
// moving the selection and masked copies. Drawing is in hyieutils_maskpaint.cpp.
#include <algorithm>
#include <cstdlib>
#include <map>
#include <vector>

#include "imaging/buffer/hyieutils.h"

namespace {
constexpr Integer kEmpty = 2147483647;
}

TIEMask::TIEMask() {
  drawInfo_.Header.biSize = sizeof(BITMAPINFOHEADER);
  drawInfo_.Header.biPlanes = 1;
  drawInfo_.Header.biBitCount = 1;
  drawInfo_.Header.biCompression = BI_RGB;
  drawInfo_.Colors[1] = RGBQUAD{255, 255, 255, 0};
}

TIEMask::~TIEMask() { FreeMask(); }

void TIEMask::AllocateMask(Integer Width, Integer Height, Integer Bits) {
  FreeMask();
  width_ = Width;
  height_ = Height;
  bits_ = Bits;
  rowLength_ = static_cast<Integer>(AlignedRowLength(Width, Bits));
  const size_t size = static_cast<size_t>(rowLength_) * static_cast<size_t>(Height > 0 ? Height : 0);
  if (size > 0) {
    data_ = static_cast<Byte*>(std::calloc(size, 1));
    if (!data_) {
      width_ = height_ = bits_ = rowLength_ = 0;
      throw EOutOfMemory("Out of memory");
    }
  }
  SetEmptyBox();
  full_ = false;
}

void TIEMask::FreeMask() {
  std::free(data_);
  data_ = nullptr;
  width_ = height_ = bits_ = rowLength_ = 0;
}

void TIEMask::CopyMaskFrom(TIEMask* Mask) {
  if (!Mask || Mask == this) return;
  AllocateMask(Mask->width_, Mask->height_, Mask->bits_);
  if (data_ && Mask->data_) std::memcpy(data_, Mask->data_, static_cast<size_t>(rowLength_) * height_);
  SetBox(Mask->left_, Mask->top_, Mask->right_, Mask->bottom_);
  full_ = Mask->full_;
}

void TIEMask::GrowBox(Integer X, Integer Y) {
  left_ = std::min(left_, X);
  top_ = std::min(top_, Y);
  right_ = std::max(right_, X);
  bottom_ = std::max(bottom_, Y);
  ClampBox();
}

void TIEMask::ClampBox() {
  if (left_ < 0) left_ = 0;
  if (top_ < 0) top_ = 0;
  if (right_ > width_ - 1) right_ = width_ - 1;
  if (bottom_ > height_ - 1) bottom_ = height_ - 1;
}

void TIEMask::UpdateFullAfterWrite(Integer Value) {
  if (bits_ == 1 ? Value == 0 : (Value & 0xFF) != 255) full_ = false;
}

void TIEMask::SetPixelValue(Integer X, Integer Y, Integer Value) {
  if (X < 0 || Y < 0 || X >= width_ || Y >= height_) return;
  if (Value != 0) GrowBox(X, Y);
  UpdateFullAfterWrite(Value);
  Byte* row = RowAddress(Y);
  if (bits_ == 1)
    PutBit(row, X, Value);
  else if (bits_ == 8)
    row[X] = static_cast<Byte>(Value);
}

Integer TIEMask::GetPixelValue(Integer X, Integer Y) const {
  if (X < 0 || Y < 0 || X >= width_ || Y >= height_) return 0;
  const Byte* row = RowAddress(Y);
  if (bits_ == 8) return row[X];
  if (bits_ == 1) return row[X >> 3] & IEBitMask[X & 7];
  return 0;
}

Integer TIEMask::FillRow(Integer Value, Integer X1, Integer X2, Integer Y) {
  if (!data_) return 0;
  if (X1 < 0) X1 = 0;
  if (X2 > width_ - 1) X2 = width_ - 1;
  Y = ClampInt(Y, 0, height_ - 1);
  if (X1 > X2) return 0;  // the run lies wholly outside
  UpdateFullAfterWrite(Value);
  Byte* row = RowAddress(Y);
  if (bits_ == 1) {
    for (Integer x = X1; x <= X2; ++x) row[x >> 3] |= IEBitMask[x & 7];
  } else if (bits_ == 8) {
    std::memset(row + X1, Value & 0xFF, static_cast<size_t>(X2 - X1 + 1));
  }
  return X2 - X1 + 1;
}

void TIEMask::FillMask(Integer Value) {
  if (data_) std::memset(data_, Value & 0xFF, static_cast<size_t>(rowLength_) * height_);
  full_ = (Value & 0xFF) == 255;
}

void TIEMask::ClearMask() {
  FillMask(0);
  SetEmptyBox();
}

void TIEMask::FillPolygons(Integer Value, const TPoint* Points, Integer Count) {
  Integer start = 0;
  for (Integer i = 0; i <= Count; ++i) {
    if (i == Count || Points[i].X == 0xFFFFF) {
      if (i > start) FillPolygon(Value, Points + start, i - start);
      start = i + 1;
    }
  }
}

namespace {
struct Edge {
  Integer X;
  Integer YMax;
  Integer DX;
  Integer DY;
  Integer Error;
};
}  // namespace

void TIEMask::FillPolygon(Integer Value, const TPoint* Points, Integer Count) {
  Integer ymin = kEmpty, ymax = -kEmpty;
  for (Integer i = 0; i < Count; ++i) {
    const Integer x = Points[i].X, y = Points[i].Y;
    ymin = std::min(ymin, y);
    ymax = std::max(ymax, y);
    if (Value != 0) {
      left_ = std::min(left_, x);
      top_ = std::min(top_, y);
      right_ = std::max(right_, x - 1);
      bottom_ = std::max(bottom_, y - 1);
    }
  }
  ClampBox();

  // Edge table: each non-horizontal edge in the bucket of its upper end.
  std::map<Integer, std::vector<Edge>> buckets;
  for (Integer i = 0; i < Count; ++i) {
    TPoint a = Points[i], b = Points[(i + 1) % Count];
    if (a.Y == b.Y) continue;
    if (b.Y < a.Y) std::swap(a, b);
    buckets[a.Y].push_back(Edge{a.X, b.Y, b.X - a.X, b.Y - a.Y, 0});
  }

  int64_t total = 0;
  std::vector<Edge> active;
  // Rows below the mask cannot be filled; rows above it are walked (edges
  // advance) but not filled, so a polygon reaching outside never paints a
  // clamped border row.
  const Integer lastRow = std::min(ymax, height_ - 1);
  for (Integer y = ymin; Count > 0 && y <= lastRow; ++y) {
    for (size_t k = 0; k < active.size();) {
      Edge& e = active[k];
      if (e.YMax == y) {
        active.erase(active.begin() + static_cast<std::ptrdiff_t>(k));
        continue;
      }
      if (e.DX != 0) {
        const Integer q = e.DX / e.DY;
        e.X += q;
        e.Error += 2 * (e.DX - q * e.DY);
        if (e.Error > e.DY || e.Error < -e.DY) {
          if (e.DX <= 0) {
            e.Error += 2 * e.DY;
            e.X -= 1;
          } else {
            e.Error -= 2 * e.DY;
            e.X += 1;
          }
        }
      }
      ++k;
    }
    if (auto it = buckets.find(y); it != buckets.end()) {
      for (const Edge& ne : it->second) {
        size_t pos = active.size();
        for (size_t k = 0; k < active.size(); ++k) {
          const Edge& o = active[k];
          if (o.X > ne.X ||
              (o.X == ne.X && static_cast<int64_t>(ne.DY) * o.DX >= static_cast<int64_t>(ne.DX) * o.DY)) {
            pos = k;
            break;
          }
        }
        active.insert(active.begin() + static_cast<std::ptrdiff_t>(pos), ne);
      }
    }
    if (y < 0) continue;
    for (size_t k = 0; k + 1 < active.size(); k += 2) {
      const Integer x1 = active[k].X, x2 = active[k + 1].X;
      if (x1 <= x2 - 1) total += FillRow(Value, x1, x2 - 1, y);
    }
  }
  if (total == 0) SetEmptyBox();
}

void TIEMask::MoveContent(Integer& DX, Integer& DY, bool Cut) {
  if (!data_ || IsEmpty()) return;
  const Integer oldTop = top_, oldBottom = bottom_;
  if (Cut) {
    if (left_ + DX < 0) left_ = -DX;
    if (right_ + DX >= width_) right_ = width_ - DX - 1;
    if (top_ + DY < 0) top_ = -DY;
    if (bottom_ + DY >= height_) bottom_ = height_ - DY - 1;
  } else {
    if (left_ + DX < 0) DX = -left_;
    if (right_ + DX >= width_) DX = width_ - right_ - 1;
    if (top_ + DY < 0) DY = -top_;
    if (bottom_ + DY >= height_) DY = height_ - bottom_ - 1;
  }
  if (DX == 0 && DY == 0) return;
  // Some values are left behind as zeros (or dropped at the edge).
  full_ = false;
  if (right_ < left_ || bottom_ < top_) {
    // The whole selection went past the edge: nothing is left of it.
    for (Integer y = std::max(oldTop, 0); y <= std::min(oldBottom, height_ - 1); ++y)
      std::memset(RowAddress(y), 0, static_cast<size_t>(rowLength_));
    SetEmptyBox();
    return;
  }
  if (bits_ == 1) {
    const Integer count = right_ - left_ + 1;
    const Integer rows = bottom_ - top_ + 1;
    std::vector<std::vector<Byte>> scratch;
    if (count > 0 && rows > 0) {
      scratch.assign(static_cast<size_t>(rows), std::vector<Byte>(static_cast<size_t>(rowLength_), 0));
      for (Integer y = top_; y <= bottom_; ++y)
        CopyBitRun(scratch[y - top_].data(), RowAddress(y), 0, left_, count, rowLength_);
    }
    // Clear every row of the original box, so that a part cut off at the
    // edge does not stay selected at its old place.
    for (Integer y = std::max(oldTop, 0); y <= std::min(oldBottom, height_ - 1); ++y)
      std::memset(RowAddress(y), 0, static_cast<size_t>(rowLength_));
    if (count > 0 && rows > 0)
      for (Integer y = top_; y <= bottom_; ++y)
        CopyBitRun(RowAddress(y + DY), scratch[y - top_].data(), left_ + DX, 0, count, rowLength_);
  } else if (bits_ == 8) {
    const size_t size = static_cast<size_t>(rowLength_) * height_;
    std::vector<Byte> copy(data_, data_ + size);
    std::memset(data_, 0, size);
    auto at = [&](Integer x, Integer y) -> Byte {
      return copy[static_cast<size_t>(rowLength_) * (height_ - 1 - y) + x];
    };
    for (Integer y = top_; y <= bottom_; ++y)
      for (Integer x = left_; x <= right_; ++x) {
        const Integer tx = x + DX, ty = y + DY;
        if (tx >= 0 && ty >= 0 && tx < width_ && ty < height_) RowAddress(ty)[tx] = at(x, y);
      }
  }
  left_ += DX;
  right_ += DX;
  top_ += DY;
  bottom_ += DY;
  ClampBox();
}

void TIEMask::CopyMaskedPixels(TIEBitmap* Dest, TIEBitmap* Source, bool DestCropped, bool SourceCropped) {
  if (IsEmpty() || !Dest || !Source || !data_) return;
  const TIEPixelKind dk = Dest->PixelKind(), sk = Source->PixelKind();
  if (dk != sk || (dk != ipkRGB24 && dk != ipkBW1) || (bits_ != 1 && bits_ != 8)) return;
  // A source row is read into a scratch row first, so the two buffers may
  // each hold a single mapped row (or even be the same buffer).
  std::vector<Byte> srcRow(static_cast<size_t>(Source->RowLength()));
  for (Integer y = top_; y <= bottom_; ++y) {
    const Integer sy = SourceCropped ? y - top_ : y;
    const Integer dy = DestCropped ? y - top_ : y;
    std::memcpy(srcRow.data(), Source->GetRowPointer(sy), srcRow.size());
    Byte* d = static_cast<Byte*>(Dest->GetRowPointer(dy));
    const Byte* s = srcRow.data();
    const Byte* m = RowAddress(y);
    for (Integer x = left_; x <= right_; ++x) {
      const Integer sx = SourceCropped ? x - left_ : x;
      const Integer dx = DestCropped ? x - left_ : x;
      const Integer v = bits_ == 1 ? ((m[x >> 3] & IEBitMask[x & 7]) ? 255 : 0) : m[x];
      if (v == 0) continue;
      if (dk == ipkBW1) {
        PutBit(d, dx, TestBit(s, sx));
      } else if (bits_ == 1) {
        std::memcpy(d + 3 * dx, s + 3 * sx, 3);
      } else {
        for (int c = 0; c < 3; ++c) {
          const Integer dv = d[3 * dx + c], sv = s[3 * sx + c];
          d[3 * dx + c] = static_cast<Byte>(dv + ((sv - dv) * v >> 8));  // floor, also for negatives
        }
      }
    }
  }
}
