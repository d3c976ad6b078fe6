// The single-image view's selection model: polygon and mask, builders, grips,
// moving, hit tests, stored form and outline painting.
#include "imaging/views/ieselection.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>

#include "imaging/buffer/ruzozadproc.h"
#include "platform/Classes.h"

namespace {

bool IsSeparator(const TPoint& P) { return P.X == IESelSeparator && P.Y == IESelSeparator; }

// Nearest integer, halves to even.
Integer Nearest(double V) { return static_cast<Integer>(Round(V)); }

void WriteInt(TStream* S, Integer V) { S->WriteBuffer(&V, 4); }
void WriteBool(TStream* S, bool V) {
  const Byte b = V ? 1 : 0;
  S->WriteBuffer(&b, 1);
}

// Reads without raising: false at the end of the stream.
bool ReadInt(TStream* S, Integer& V) { return S->Read(&V, 4) == 4; }
bool ReadBool(TStream* S, bool& V) {
  Byte b = 0;
  if (S->Read(&b, 1) != 1) return false;
  V = b != 0;
  return true;
}

// Walks a line as LineDDA does (the end point excluded).
template <typename F>
void WalkLine(Integer X1, Integer Y1, Integer X2, Integer Y2, F&& Visit) {
  struct Ctx {
    F* Fn;
  } ctx{&Visit};
  ::LineDDA(X1, Y1, X2, Y2,
            [](int X, int Y, LPARAM Data) { (*reinterpret_cast<Ctx*>(Data)->Fn)(X, Y); },
            reinterpret_cast<LPARAM>(&ctx));
}

}  // namespace

void TIESelectionPolygon::Append(TPoint P) {
  if (Points.size() == Points.capacity()) Points.reserve(Points.size() + 64);
  Points.push_back(P);
}

TIESelection::TIESelection() {
  auto polygon = std::make_unique<TIESelectionPolygon>();
  polygon->Visible = false;  // made visible by the first selection
  polygons_.push_back(std::move(polygon));
}

TIESelection::~TIESelection() = default;

void TIESelection::SetImageSize(Integer Width, Integer Height) {
  if (Width == width_ && Height == height_ && mask_.Width() == Width && mask_.Height() == Height) return;
  width_ = std::max(Width, 0);
  height_ = std::max(Height, 0);
  mask_.AllocateMask(width_, height_, 1);
}

void TIESelection::SetOptions(TIESelectionOptions Value) {
  options_ = Value;
  Polygon().Animated = Value.Contains(iesoAnimated);
  Polygon().Sizeable = Value.Contains(iesoSizeable);
}

void TIESelection::SetColorA(TColor V) {
  colorA_ = V;
  Polygon().ColorA = V;
}

void TIESelection::SetColorB(TColor V) {
  colorB_ = V;
  Polygon().ColorB = V;
}

// ---------------------------------------------------------------------------
// Polygon primitives.

void TIESelection::AddPolygonPoint(Integer X, Integer Y) {
  TIESelectionPolygon& p = Polygon();
  p.Append(TPoint{X, Y});
  if (p.Count() == 1) {
    p.Left = p.Right = X;
    p.Top = p.Bottom = Y;
  } else if (p.Count() == 2 && !IsSeparator(p.Points[0])) {
    p.Left = std::min(p.Points[0].X, X);
    p.Right = std::max(p.Points[0].X, X);
    p.Top = std::min(p.Points[0].Y, Y);
    p.Bottom = std::max(p.Points[0].Y, Y);
  } else {
    p.Left = std::min(p.Left, X);
    p.Right = std::max(p.Right, X);
    p.Top = std::min(p.Top, Y);
    p.Bottom = std::max(p.Bottom, Y);
  }
  exists_ = true;
}

void TIESelection::AddPolygonSeparator() {
  TIESelectionPolygon& p = Polygon();
  if (!p.Empty() && IsSeparator(p.Points.back())) return;
  p.Append(TPoint{IESelSeparator, IESelSeparator});
}

void TIESelection::StartNewPolygon() {
  if (!Polygon().Empty()) AddPolygonSeparator();
}

void TIESelection::ClearPolygon() { Polygon().Points.clear(); }

bool TIESelection::RemoveLastPolygon() {
  auto& pts = Polygon().Points;
  auto it = std::find_if(pts.rbegin(), pts.rend(), IsSeparator);
  if (it == pts.rend())
    pts.clear();
  else
    pts.erase(std::prev(it.base()), pts.end());
  if (pts.empty()) ClearPolygon();
  return !pts.empty();
}

void TIESelection::DropTrailingPoint() {
  auto& pts = Polygon().Points;
  if (pts.empty()) return;
  pts.pop_back();
  while (!pts.empty() && IsSeparator(pts.back())) pts.pop_back();
}

void TIESelection::TruncatePolygon(Integer Count) {
  auto& pts = Polygon().Points;
  if (Count >= 0 && Count < static_cast<Integer>(pts.size())) pts.resize(static_cast<size_t>(Count));
}

void TIESelection::MovePolygon(Integer DX, Integer DY, bool Cut) {
  TIESelectionPolygon& p = Polygon();
  if (!Cut) {
    if (p.Left + DX < 0) DX = -p.Left;
    if (p.Right + DX > width_) DX = width_ - p.Right;
    if (p.Top + DY < 0) DY = -p.Top;
    if (p.Bottom + DY > height_) DY = height_ - p.Bottom;
  }
  // A box moved wholly off the picture would leave nothing to select.
  if (p.Right + DX < 0 || p.Left + DX > width_ || p.Bottom + DY < 0 || p.Top + DY > height_) return;
  p.Left = ClampInt(p.Left + DX, 0, width_);
  p.Right = ClampInt(p.Right + DX, 0, width_);
  p.Top = ClampInt(p.Top + DY, 0, height_);
  p.Bottom = ClampInt(p.Bottom + DY, 0, height_);
  for (TPoint& pt : p.Points) {
    if (IsSeparator(pt)) continue;
    pt.X = ClampInt(pt.X + DX, 0, width_);
    pt.Y = ClampInt(pt.Y + DY, 0, height_);
  }
}

bool TIESelection::IsRectanglePolygon(const TPoint* Points, Integer Count) {
  if (Count != 4 || Points == nullptr) return false;
  // 1: vertical, 2: horizontal, 0: neither.
  auto kind = [](const TPoint& A, const TPoint& B) {
    if (A.X == B.X && A.Y != B.Y) return 1;
    if (A.Y == B.Y && A.X != B.X) return 2;
    return 0;
  };
  Integer previous = kind(Points[3], Points[0]);
  for (Integer i = 0; i < 4; ++i) {
    const Integer k = kind(Points[i], Points[(i + 1) % 4]);
    if (k == 0 || k == previous) return false;
    previous = k;
  }
  return true;
}

// ---------------------------------------------------------------------------
// Builders.

bool TIESelection::BuildRect(Integer X1, Integer Y1, Integer X2, Integer Y2, bool Add, bool Square) {
  if (X1 == X2 || Y1 == Y2 || width_ <= 0 || height_ <= 0) return false;
  exists_ = true;
  if (Add && !Polygon().Empty())
    AddPolygonSeparator();
  else
    ClearPolygon();
  if (!Add) mask_.ClearMask();
  if (Square) Y2 = X2 + Y1 - X1;
  X1 = ClampInt(X1, 0, width_ - 1);
  X2 = ClampInt(X2, 0, width_ - 1);
  Y1 = ClampInt(Y1, 0, height_ - 1);
  Y2 = ClampInt(Y2, 0, height_ - 1);
  if (X1 > X2) std::swap(X1, X2);
  if (Y1 > Y2) std::swap(Y1, Y2);
  ++X2;
  ++Y2;
  AddPolygonPoint(X1, Y1);
  AddPolygonPoint(X2, Y1);
  AddPolygonPoint(X2, Y2);
  AddPolygonPoint(X1, Y2);
  SetVisible(true);
  return true;
}

void TIESelection::AddPoint(Integer X, Integer Y, bool Clamp) {
  if (Clamp) {
    X = ClampInt(X, 0, width_);
    Y = ClampInt(Y, 0, height_);
  }
  AddPolygonPoint(X, Y);
  SetVisible(true);
}

void TIESelection::BuildEllipse(Integer CX, Integer CY, Integer RX, Integer RY, bool Add, Integer KeepCount) {
  if (Add) {
    TruncatePolygon(KeepCount);
    StartNewPolygon();
  } else {
    ClearPolygon();
  }
  const double twoPi = 2 * std::numbers::pi;
  const Integer n = std::max(static_cast<Integer>(Trunc(std::min(RX, RY) * twoPi)) / 4, 3);
  for (Integer k = 0; k < n; ++k) {
    const double a = twoPi * k / n;
    const Integer x = static_cast<Integer>(Trunc(CX + std::cos(a) * RX));
    const Integer y = static_cast<Integer>(Trunc(CY + std::sin(a) * RY));
    AddPolygonPoint(ClampInt(x, 0, width_), ClampInt(y, 0, height_));
  }
  SetVisible(true);
}

Integer TIESelection::ResizeByGrip(Integer Grip, Integer C, Integer D, bool KeepAspect) {
  if (!IsRectangle() || Grip < 0 || Grip > 7) return Grip;
  if (KeepAspect) {
    const double L = GripStartBox.Left, T = GripStartBox.Top, R = GripStartBox.Right, B = GripStartBox.Bottom;
    if (GripStartBox.Bottom == GripStartBox.Top - 1) return Grip;
    const double m = (R - L + 1) / (B - T + 1);
    const double c = C, d = D;
    switch (Grip) {
      case 0:
      case 4:
        D = Nearest((m + m * B + c - R - 1) / m);
        Grip = 0;
        break;
      case 1:
        D = Nearest((m * B + L - c - 1) / m);
        break;
      case 2:
      case 5:
        D = Nearest((m * T + c - L + 1 - m) / m);
        Grip = 2;
        break;
      case 3:
        D = Nearest((m + m * T + R - c + 1) / m);
        break;
      case 6:
        C = Nearest(m * d - m * B - m + R + 1);
        Grip = 0;
        break;
      case 7:
        C = Nearest(m + m * d - m * T + L - 1);
        Grip = 2;
        break;
    }
  }
  const bool right = Grip == 1 || Grip == 2 || Grip == 5;
  const bool bottom = Grip == 2 || Grip == 3 || Grip == 7;
  if (right) ++C;
  if (bottom) ++D;
  TIESelectionPolygon& p = Polygon();
  Integer l = p.Left, t = p.Top, r = p.Right, b = p.Bottom;
  if (Grip == 0 || Grip == 3 || Grip == 4) l = C == r ? C - 1 : C;
  if (right) r = C == l ? C + 1 : C;
  if (Grip == 0 || Grip == 1 || Grip == 6) t = D == b ? D - 1 : D;
  if (bottom) b = D == t ? D + 1 : D;
  if (r < l) {
    static const Integer swapH[8] = {1, 0, 3, 2, 5, 4, 6, 7};
    Grip = swapH[Grip];
  }
  if (b < t) {
    static const Integer swapV[8] = {3, 2, 1, 0, 4, 5, 7, 6};
    Grip = swapV[Grip];
  }
  ClearPolygon();
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  l = ClampInt(l, 0, width_);
  r = ClampInt(r, 0, width_);
  t = ClampInt(t, 0, height_);
  b = ClampInt(b, 0, height_);
  if (l > r) std::swap(l, r);
  if (t > b) std::swap(t, b);
  AddPolygonPoint(l, t);
  AddPolygonPoint(r, t);
  AddPolygonPoint(r, b);
  AddPolygonPoint(l, b);
  SetVisible(true);
  return Grip;
}

void TIESelection::MoveSelection(Integer DX, Integer DY) {
  rectMove_ = IsRectangle();
  if (!rectMove_) mask_.MoveContent(DX, DY, options_.Contains(iesoCutBorders));
  if (DX != 0 || DY != 0) MovePolygon(DX, DY, options_.Contains(iesoCutBorders));
}

void TIESelection::PolygonToMask() {
  TIESelectionPolygon& p = Polygon();
  if (!p.Empty()) mask_.FillPolygons(1, p.Points.data(), p.Count());
  if (mask_.IsEmpty()) {
    exists_ = false;
    ClearPolygon();
  }
}

void TIESelection::MagicWand(TIEBitmap* Bitmap, Integer X, Integer Y, bool Add) {
  // The seed must be a pixel of the picture the mask was made for.
  if (Bitmap == nullptr || Bitmap->Width() != width_ || Bitmap->Height() != height_) return;
  if (X < 0 || Y < 0 || X >= width_ || Y >= height_) return;
  if (WandMode == 0) {
    Integer count = 0;
    std::unique_ptr<TPoint[]> outline = TraceColorRegionOutline(Bitmap, X, Y, count, WandTolerance, WandDilate);
    if (count > 0) {
      exists_ = true;
      if (Add && !Polygon().Empty()) {
        AddPolygonSeparator();
      } else {
        ClearPolygon();
        mask_.ClearMask();
      }
      for (Integer i = 0; i < count; ++i)
        AddPolygonPoint(ClampInt(outline[i].X, 0, width_), ClampInt(outline[i].Y, 0, height_));
      if (!Add) mask_.ClearMask();
      PolygonToMask();
      SetVisible(true);
    }
  } else if (WandMode == 1 || WandMode == 2) {
    if (!Add) {
      ClearPolygon();
      mask_.ClearMask();
    }
    if (WandMode == 1)
      FloodFillMaskByColor(Bitmap, X, Y, &mask_, WandTolerance, WandDilate);
    else
      SelectColorRangeMask(Bitmap, X, Y, &mask_, WandTolerance);
    exists_ = !mask_.IsEmpty();
    SetVisible(true);
  }
}

void TIESelection::Clear() {
  ClearPolygon();
  mask_.ClearMask();
  exists_ = false;
  rectMove_ = false;
  Gesture.Reset();
}

// ---------------------------------------------------------------------------
// Box and hit tests.

Integer TIESelection::SelectionLeft() const { return Gesture.InProgress() ? Polygon().Left : mask_.Left(); }
Integer TIESelection::SelectionTop() const { return Gesture.InProgress() ? Polygon().Top : mask_.Top(); }
Integer TIESelection::SelectionRight() const {
  return Gesture.InProgress() ? Polygon().Right - 1 : mask_.Right();
}
Integer TIESelection::SelectionBottom() const {
  return Gesture.InProgress() ? Polygon().Bottom - 1 : mask_.Bottom();
}

Integer TIESelection::HitGrip(Integer X, Integer Y, bool Shift, IIESelectionMapping& Map) {
  const TIESelectionPolygon& p = Polygon();
  if (Shift || !p.Visible || !p.Sizeable || !IsRectangle() || Gesture.RectDrag) return -1;
  for (Integer i = 0; i < p.Count(); ++i) {
    if (IsSeparator(p.Points[i])) continue;
    const Integer cx = Map.BitmapToClientX(p.Points[i].X), cy = Map.BitmapToClientY(p.Points[i].Y);
    if (X >= cx - GripSize && X <= cx + GripSize && Y >= cy - GripSize && Y <= cy + GripSize) return i;
  }
  const Integer l = Map.BitmapToClientX(p.Left), r = Map.BitmapToClientX(p.Right);
  const Integer t = Map.BitmapToClientY(p.Top), b = Map.BitmapToClientY(p.Bottom);
  const bool inRows = Y >= t && Y <= b, inCols = X >= l && X <= r;
  if (inRows && std::abs(X - l) < 3) return 4;
  if (inRows && std::abs(X - r) < 3) return 5;
  if (inCols && std::abs(Y - t) < 3) return 6;
  if (inCols && std::abs(Y - b) < 3) return 7;
  return -1;
}

Integer TIESelection::HitSelection(Integer X, Integer Y, bool Shift) {
  if (Shift || mask_.IsEmpty() || Gesture.RectDrag || Gesture.Polygon || Gesture.EllipseDrag) return -1;
  if (!mask_.IsPixelSet(X, Y)) return -1;
  return options_.Contains(iesoMoveable) ? 0 : -1;
}

// ---------------------------------------------------------------------------
// Stored form.

void TIESelection::WriteState(TStream* Stream) {
  const TIESelectionPolygon& p = Polygon();
  WriteInt(Stream, mask_.Width());
  WriteInt(Stream, mask_.Height());
  WriteInt(Stream, p.Count());
  if (p.Count() > 0) Stream->WriteBuffer(p.Points.data(), 8 * p.Count());
  WriteInt(Stream, p.Left);
  WriteInt(Stream, p.Top);
  WriteInt(Stream, p.Right);
  WriteInt(Stream, p.Bottom);
  WriteBool(Stream, exists_);
  WriteInt(Stream, mask_.BitsPerPixel());
  WriteInt(Stream, mask_.Left());
  WriteInt(Stream, mask_.Top());
  WriteInt(Stream, mask_.Right());
  WriteInt(Stream, mask_.Bottom());
  WriteBool(Stream, mask_.Full());
  const size_t rows = static_cast<size_t>(mask_.RowLength()) * static_cast<size_t>(mask_.Height());
  if (rows > 0 && mask_.Data() != nullptr) Stream->WriteBuffer(mask_.Data(), static_cast<Integer>(rows));
}

bool TIESelection::ReadState(TStream* Stream) {
  Integer w = 0, h = 0;
  if (!ReadInt(Stream, w) || !ReadInt(Stream, h)) return false;
  if (w != width_ || h != height_) return false;
  // Everything is read and checked before anything changes.
  const Int64 left = Stream->Size() - Stream->Position();
  Integer n = 0;
  if (!ReadInt(Stream, n) || n < 0 || static_cast<Int64>(n) * 8 > left) return false;
  std::vector<TPoint> points(static_cast<size_t>(n));
  if (n > 0 && Stream->Read(points.data(), 8 * n) != 8 * n) return false;
  Integer box[4], maskBox[4], bits = 0;
  bool exists = false, full = false;
  for (Integer& v : box)
    if (!ReadInt(Stream, v)) return false;
  if (!ReadBool(Stream, exists) || !ReadInt(Stream, bits)) return false;
  if (bits != 1 && bits != 8) return false;
  for (Integer& v : maskBox)
    if (!ReadInt(Stream, v)) return false;
  if (!ReadBool(Stream, full)) return false;
  const Int64 rowLength = static_cast<Int64>(AlignedRowLength(w, bits));
  const Int64 size = rowLength * h;
  if (size > Stream->Size() - Stream->Position()) return false;
  std::vector<Byte> rows(static_cast<size_t>(size));
  if (size > 0 && Stream->Read(rows.data(), static_cast<Integer>(size)) != size) return false;

  TIESelectionPolygon& p = Polygon();
  p.Points.clear();
  p.Points.reserve(points.size() + 64);
  p.Points.assign(points.begin(), points.end());
  p.Left = box[0];
  p.Top = box[1];
  p.Right = box[2];
  p.Bottom = box[3];
  exists_ = exists;
  mask_.AllocateMask(w, h, bits);
  if (size > 0) std::memcpy(mask_.Data(), rows.data(), rows.size());
  // A box outside the mask would send the painters off its rows.
  if (maskBox[0] == 2147483647 || maskBox[0] > maskBox[2] || maskBox[1] > maskBox[3])
    mask_.SetEmptyBox();
  else
    mask_.SetBox(ClampInt(maskBox[0], 0, w - 1), ClampInt(maskBox[1], 0, h - 1), ClampInt(maskBox[2], 0, w - 1),
                 ClampInt(maskBox[3], 0, h - 1));
  mask_.SetFull(full);
  SetVisible(true);
  return true;
}

void TIESelection::PushState() {
  auto stream = std::make_unique<TMemoryStream>();
  WriteState(stream.get());
  saved_.push_back(std::move(stream));
}

bool TIESelection::PopState() {
  if (saved_.empty()) return false;
  std::unique_ptr<TMemoryStream> stream = std::move(saved_.back());
  saved_.pop_back();
  stream->SetPosition(0);
  return ReadState(stream.get());
}

// ---------------------------------------------------------------------------
// Painting.

bool TIESelection::AnyAnimated() const {
  return std::any_of(polygons_.begin(), polygons_.end(), [](const auto& p) { return p->Animated; });
}

void TIESelection::DashLine(TCanvas* Canvas, Integer X1, Integer Y1, Integer X2, Integer Y2) {
  TIESelectionPolygon& p = Polygon();
  const HDC dc = Canvas->Handle();
  const TIEColorTriple a = ColorToTriple(p.ColorA), b = ColorToTriple(p.ColorB);
  const COLORREF ca = RGB(a.Red, a.Green, a.Blue), cb = RGB(b.Red, b.Green, b.Blue);
  WalkLine(X1, Y1, X2, Y2, [&](int X, int Y) {
    ::SetPixel(dc, X, Y, (p.DashCounter & 7) < 4 ? ca : cb);
    ++p.DashCounter;
  });
}

std::vector<TRect> TIESelection::GripRects(IIESelectionMapping& Map) {
  std::vector<TRect> rects;
  const TIESelectionPolygon& p = Polygon();
  if (!p.Sizeable || !IsRectangle() || Gesture.RectDrag || Gesture.Move >= 0 || rectMove_) return rects;
  auto add = [&](Integer X, Integer Y) {
    rects.push_back(TRect{X - GripSize, Y - GripSize, X + GripSize, Y + GripSize});
  };
  for (const TPoint& pt : p.Points) add(Map.BitmapToClientX(pt.X), Map.BitmapToClientY(pt.Y));
  if (EdgeGrips) {
    const Integer l = Map.BitmapToClientX(p.Left), r = Map.BitmapToClientX(p.Right);
    const Integer t = Map.BitmapToClientY(p.Top), b = Map.BitmapToClientY(p.Bottom);
    add(l, (t + b) / 2);
    add(r, (t + b) / 2);
    add((l + r) / 2, t);
    add((l + r) / 2, b);
  }
  return rects;
}

void TIESelection::PaintPolygonLines(TCanvas* Canvas, IIESelectionMapping& Map) {
  TIESelectionPolygon& p = Polygon();
  if (p.Empty()) return;
  if (IsRectangle()) {
    const Integer x1 = Map.BitmapToClientX(p.Points[0].X), y1 = Map.BitmapToClientY(p.Points[0].Y);
    const Integer x2 = Map.BitmapToClientX(p.Points[2].X) - 1, y2 = Map.BitmapToClientY(p.Points[2].Y) - 1;
    const Integer l = std::min(x1, x2), r = std::max(x1, x2), t = std::min(y1, y2), b = std::max(y1, y2);
    // LineDDA leaves each side's end to the next side; the last side closes on the first corner.
    const TPoint corners[5] = {{l, t}, {r, t}, {r, b}, {l, b}, {l, t}};
    for (int i = 0; i < 4; ++i) {
      p.DashCounter = 0;
      DashLine(Canvas, corners[i].X, corners[i].Y, corners[i + 1].X, corners[i + 1].Y);
    }
    return;
  }
  p.DashCounter = p.Phase;
  Integer start = 0;
  const Integer n = p.Count();
  for (Integer i = 0; i <= n; ++i) {
    if (i < n && !IsSeparator(p.Points[i])) continue;
    // Sub-polygon start..i-1; the last one stays open while it is being drawn.
    if (i - start >= 1) {
      TPoint prev{Map.BitmapToClientX(p.Points[start].X), Map.BitmapToClientY(p.Points[start].Y)};
      for (Integer k = start + 1; k < i; ++k) {
        const TPoint cur{Map.BitmapToClientX(p.Points[k].X), Map.BitmapToClientY(p.Points[k].Y)};
        DashLine(Canvas, prev.X, prev.Y, cur.X, cur.Y);
        prev = cur;
      }
      const bool open = i == n && Gesture.Polygon;
      if (!open && i - start > 1)
        DashLine(Canvas, prev.X, prev.Y, Map.BitmapToClientX(p.Points[start].X),
                 Map.BitmapToClientY(p.Points[start].Y));
    }
    start = i + 1;
  }
}

void TIESelection::Paint(const TIESelectionPaint& Ctx) {
  if (Ctx.Canvas == nullptr || Ctx.Map == nullptr) return;
  for (size_t i = 0; i < polygons_.size(); ++i) {
    TIESelectionPolygon& p = *polygons_[i];
    if (!p.Visible) continue;
    if (p.Animated && !Gesture.InProgress() && Ctx.FromTimer) {
      p.Phase = (p.Phase + 1) % 10;
      ++OutlinePhase;
    }
    if (Ctx.UpdateLocked || Gesture.AutoScroll) continue;
    if (Ctx.FromTimer && p.Canvas != nullptr && p.Canvas->LockCount() > 0) continue;
    if (i != current_) continue;
    p.Canvas = Ctx.Canvas;
    TCanvas* c = Ctx.Canvas;
    const std::vector<TRect> grips = GripRects(*Ctx.Map);
    if (!grips.empty()) {
      c->Pen()->SetMode(pmCopy);
      c->Pen()->SetColor(GripPenColor);
      c->Pen()->SetStyle(psSolid);
      c->Brush()->SetColor(GripBrushColor);
      c->Brush()->SetStyle(GripBrushStyle);
      for (const TRect& r : grips) c->Rectangle(r);
    }
    if (!mask_.IsEmpty() && !Gesture.InProgress()) {
      if (!(HideOutlineWhileScrolling && Ctx.Scrolled))
        mask_.PaintOutline(c, Ctx.SrcX, Ctx.SrcY, Ctx.SrcW, Ctx.SrcH, Ctx.DstX, Ctx.DstY, Ctx.DispW, Ctx.DispH,
                           p.ColorA, p.ColorB, OutlinePhase);
    } else {
      PaintPolygonLines(c, *Ctx.Map);
    }
  }
}
