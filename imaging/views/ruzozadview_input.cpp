// TRuzozAdView: mouse and keyboard interaction: the MouseInteract rules,
// click-zoom, drag-scroll, the selection gestures, auto-scroll, the rubber
// band of a polygon being drawn, cursors and keys.
#include <algorithm>

#include "imaging/buffer/iecolors.h"
#include "imaging/views/ruzozadview.h"
#include "platform/Forms.h"
#include "platform/Messages.h"

namespace {

constexpr TIEMouseInteract kSelecting{miSelect, miSelectPolygon, miSelectCircle, miSelectMagicWand, miSelectLasso};

bool AltHeld() { return (::GetKeyState(VK_MENU) & 0x8000) != 0; }

TCursor GripCursor(Integer Grip) {
  switch (Grip) {
    case 0:
    case 2: return crIEMove2;
    case 6:
    case 7: return crIEMoveY;
    case 1:
    case 3: return crIEMove1;
    case 4:
    case 5: return crIEMoveX;
    default: return crDefault;
  }
}

}  // namespace

// ---------------------------------------------------------------------------
// The set of allowed interactions.

void TRuzozAdView::SetMouseInteract(TIEMouseInteract Value) {
  if (Value == mouseInteract_) return;
  if (sel_->Gesture.Polygon && mouseInteract_.Contains(miSelectPolygon)) {
    // The polygon being drawn is finished as it stands.
    sel_->DropTrailingPoint();
    sel_->Mask()->ClearMask();
    PolygonToMask();
    sel_->Gesture.Polygon = false;
    Invalidate();
  }
  struct Rule {
    TIEMouseInteractItems Added;
    TIEMouseInteract Keeps;
  };
  static const Rule rules[] = {
      {miScroll, {miZoom, miScroll}},
      {miSelect, {miZoom, miSelect}},
      {miSelectPolygon, {miSelectPolygon}},
      {miSelectCircle, {miZoom, miSelectCircle}},
      {miSelectLasso, {miZoom, miSelectLasso}},
      {miSelectZoom, {miZoom, miSelectZoom}},
      {miZoom, TIEMouseInteract::FromBits(0xFF) - TIEMouseInteract{miSelectPolygon, miSelectMagicWand}},
      {miSelectMagicWand, {miSelectMagicWand}},
  };
  for (const Rule& r : rules)
    if (Value.Contains(r.Added) && !mouseInteract_.Contains(r.Added)) {
      Value = Value * r.Keeps;
      break;
    }
  mouseInteract_ = Value;
}

// ---------------------------------------------------------------------------
// Helpers of the gestures.

TPoint TRuzozAdView::ClampToExtent(Integer X, Integer Y) const {
  if (extentW_ > 0) X = std::clamp(X, originX_, originX_ + extentW_ - 1);
  if (extentH_ > 0) Y = std::clamp(Y, originY_, originY_ + extentH_ - 1);
  return TPoint{X, Y};
}

void TRuzozAdView::ShiftSelectionAnchors(Integer DX, Integer DY) {
  lastPos_.X -= DX;
  lastPos_.Y -= DY;
  prevPos_.X -= DX;
  prevPos_.Y -= DY;
}

bool TRuzozAdView::AutoScrollToCursor() {
  if (!HandleAllocated()) return false;
  bool any = false;
  sel_->Gesture.AutoScroll = true;
  // Bounded: each pass scrolls by the distance outside, so a few suffice.
  for (int pass = 0; pass < 64; ++pass) {
    POINT p;
    if (!::GetCursorPos(&p)) break;
    ::ScreenToClient(Handle(), &p);
    Integer dx = 0, dy = 0;
    if (p.x < originX_) dx = p.x - originX_;
    else if (p.x >= originX_ + extentW_) dx = p.x - (originX_ + extentW_ - 1);
    if (p.y < originY_) dy = p.y - originY_;
    else if (p.y >= originY_ + extentH_) dy = p.y - (originY_ + extentH_ - 1);
    if (dx == 0 && dy == 0) break;
    const Integer oldX = scrollX_, oldY = scrollY_;
    SetScrollXY(scrollX_ + dx, scrollY_ + dy);
    const Integer sx = scrollX_ - oldX, sy = scrollY_ - oldY;
    if (sx == 0 && sy == 0) break;
    downPos_.X -= sx;
    downPos_.Y -= sy;
    ShiftSelectionAnchors(sx, sy);
    any = true;
  }
  sel_->Gesture.AutoScroll = false;
  return any;
}

void TRuzozAdView::PushScreenCursor(TCursor Cursor) {
  if (!screenCursorPushed_) savedScreenCursor_ = Screen->Cursor();
  screenCursorPushed_ = true;
  Screen->SetCursor(Cursor);
}

void TRuzozAdView::PopScreenCursor() {
  if (!screenCursorPushed_) return;
  screenCursorPushed_ = false;
  Screen->SetCursor(savedScreenCursor_);
}

void TRuzozAdView::DrawRubberBand() {
  if (!sel_->Gesture.Polygon || !HandleAllocated()) return;
  const TPoint* pts = sel_->Points();
  const Integer n = sel_->PointCount();
  if (n == 0 || pts[n - 1].X == IESelSeparator) return;
  TCanvas* c = Canvas();
  c->Pen()->SetMode(pmNot);
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetWidth(1);
  c->MoveTo(BitmapToClientX(pts[n - 1].X), BitmapToClientY(pts[n - 1].Y));
  c->LineTo(bandEnd_.X, bandEnd_.Y);
  c->Pen()->SetMode(pmCopy);
}

// The last polygon point's client position, for snapping (false without one).
bool TRuzozAdView::LastPointClient(TPoint& P) {
  const Integer n = sel_->PointCount();
  if (n == 0) return false;
  const TPoint last = sel_->Points()[n - 1];
  if (last.X == IESelSeparator) return false;
  P = TPoint{BitmapToClientX(last.X), BitmapToClientY(last.Y)};
  return true;
}

// ---------------------------------------------------------------------------
// Mouse.

void TRuzozAdView::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TIEView::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft && !mouseInteract_.Contains(miZoom)) return;
  if (CanFocus()) SetFocus();
  // The second press of a double click belongs to DblClick.
  if (Shift.Contains(ssDouble) && sel_->Gesture.Polygon == false && mouseInteract_.Contains(miSelectPolygon)) return;
  savedZoomFilter_ = ZoomFilter();
  if (!mouseInteract_.Contains(miScroll) && DelayZoomFilter() && ZoomFilter() != rfNone) {
    zoomFilter_ = rfNone;
    filterSwitchedOff_ = true;
  }
  const TPoint p = ClampToExtent(X, Y);
  downPos_ = lastPos_ = prevPos_ = p;
  scrollAtDown_ = TPoint{scrollX_, scrollY_};
  countAtDown_ = sel_->PointCount();
  mouseDown_ = Button == mbLeft;
  const bool shift = Shift.Contains(ssShift), alt = Shift.Contains(ssAlt) || AltHeld() || ConstrainSelection;
  TIEGestureState& g = sel_->Gesture;
  // Selection gestures start with the left button only; a right or middle
  // press serves click-zoom.
  if (Button == mbLeft) {
    if (mouseInteract_.Contains(miSelectPolygon) || mouseInteract_.Contains(miSelectLasso)) {
      OnBeforeSelectionChange(this);
      g.Move = HitSelection(p.X, p.Y, shift);
      if (g.Move < 0) {
        Integer x = p.X, y = p.Y;
        TPoint last;
        if (alt && g.Polygon && LastPointClient(last)) SnapTo45Degrees(last.X, last.Y, x, y);
        if (!g.Polygon) {
          if (shift)
            sel_->StartNewPolygon();
          else
            ClearSelection();
        }
        AddClientPoint(x, y);
        bandEnd_ = TPoint{x, y};
        g.Polygon = true;
        g.Lasso = mouseInteract_.Contains(miSelectLasso);
        OnSelectionChanging(this);
      }
    } else if (mouseInteract_.Contains(miSelect)) {
      OnBeforeSelectionChange(this);
      g.Grip = HitGrip(p.X, p.Y, shift);
      if (g.Grip < 0) g.Move = HitSelection(p.X, p.Y, shift);
      if (g.Grip < 0 && g.Move < 0) {
        g.RectDrag = true;
        OnSelectionChanging(this);
      }
      if (g.Grip >= 0) {
        const TIESelectionPolygon& poly = sel_->Polygon();
        sel_->GripStartBox = TRect{poly.Left, poly.Top, poly.Right, poly.Bottom};
      }
    } else if (mouseInteract_.Contains(miSelectZoom)) {
      g.RectDrag = true;
      OnSelectionChanging(this);
      PushSelectionState();
    } else if (mouseInteract_.Contains(miSelectCircle)) {
      OnBeforeSelectionChange(this);
      g.Move = HitSelection(p.X, p.Y, shift);
      if (g.Move < 0) {
        g.EllipseDrag = true;
        sel_->SetVisible(true);
        OnSelectionChanging(this);
      }
    } else if (mouseInteract_.Contains(miSelectMagicWand)) {
      OnBeforeSelectionChange(this);
      g.Move = HitSelection(p.X, p.Y, shift);
    }
    if (mouseInteract_.Contains(miScroll) && CanScroll()) PushScreenCursor(crIEHand);
  }
}

void TRuzozAdView::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TIEView::MouseMove(Shift, X, Y);
  const TPoint p = ClampToExtent(X, Y);
  const bool shift = Shift.Contains(ssShift), alt = Shift.Contains(ssAlt) || AltHeld() || ConstrainSelection;
  TIEGestureState& g = sel_->Gesture;
  const bool held = mouseDown_ && Shift.Contains(ssLeft);
  if (held) {
    if (mouseInteract_.Contains(miScroll)) {
      SetScrollXY(scrollAtDown_.X + downPos_.X - X, scrollAtDown_.Y + downPos_.Y - Y);
    } else if (g.Grip >= 0) {
      AutoScrollToCursor();
      g.Grip = ResizeByGrip(g.Grip, p.X, p.Y, alt);
      OnSelectionChanging(this);
    } else if (g.Move >= 0) {
      if (sel_->Options().Contains(iesoCanScroll)) AutoScrollToCursor();
      MoveSelection(ClientToBitmapX(p.X) - ClientToBitmapX(prevPos_.X), ClientToBitmapY(p.Y) - ClientToBitmapY(prevPos_.Y));
      OnSelectionChanging(this);
    } else if (g.RectDrag) {
      AutoScrollToCursor();
      if (shift) {
        if (sel_->PointCount() != countAtDown_) sel_->RemoveLastPolygon();
        BuildRectSelection(downPos_.X, downPos_.Y, p.X, p.Y, true, alt);
      } else {
        BuildRectSelection(downPos_.X, downPos_.Y, p.X, p.Y, false, alt);
      }
      Paint();
      OnSelectionChanging(this);
    } else if (g.Polygon) {
      AutoScrollToCursor();
      Paint();
      bandEnd_ = p;
      DrawRubberBand();
      AddClientPoint(p.X, p.Y);
      DrawSelections(this, false);
      OnSelectionChanging(this);
    } else if (g.EllipseDrag) {
      EllipseSelection(downPos_, p, alt, shift, countAtDown_);
      OnSelectionChanging(this);
    }
  } else if (!g.Polygon || g.Lasso) {
    if (!(mouseInteract_ * kSelecting).Empty()) {
      const Integer grip = HitGrip(p.X, p.Y, shift);
      OnMouseInResizingGrip(this, grip);
      if (grip < 0)
        SetCursor(HitSelection(p.X, p.Y, shift) == 0 ? crIEMove : ViewCursor());
      else
        SetCursor(GripCursor(grip));
    }
  } else {
    DrawRubberBand();  // erase
    Integer x = p.X, y = p.Y;
    TPoint last;
    if (alt && LastPointClient(last)) SnapTo45Degrees(last.X, last.Y, x, y);
    bandEnd_ = TPoint{x, y};
    DrawRubberBand();
    OnSelectionChanging(this);
  }
  if (sel_->Mask()->IsPixelSet(ClientToBitmapX(p.X), ClientToBitmapY(p.Y))) OnMouseInSel(this);
  lastPos_ = prevPos_ = p;
}

void TRuzozAdView::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TIEView::MouseUp(Button, Shift, X, Y);
  const TPoint p = ClampToExtent(X, Y);
  const bool left = Button == mbLeft, shift = Shift.Contains(ssShift);
  TIEGestureState& g = sel_->Gesture;
  const bool click = p == downPos_;
  if (mouseInteract_.Contains(miZoom) && click && (left || Button == mbRight)) {
    static const double steps[] = {2, 5, 10, 25, 33, 50, 75, 100};
    double z = zoom_;
    if (left) {
      if (screenCursorPushed_) PopScreenCursor();
      if (zoom_ >= 100) {
        z = zoom_ + 100;
      } else {
        for (double s : steps)
          if (s > zoom_) {
            z = s;
            break;
          }
      }
      OnZoomIn(this, z);
    } else {
      if (zoom_ >= 200) {
        z = zoom_ - 100;
      } else {
        z = 2;
        for (int i = 7; i >= 0; --i)
          if (steps[i] < zoom_) {
            z = steps[i];
            break;
          }
      }
      OnZoomOut(this, z);
    }
    if (z != zoom_) ZoomAtPoint(p.X, p.Y, z);
    g.Polygon = false;
  } else if (left && mouseInteract_.Contains(miScroll) && CanScroll()) {
    SetScrollXY(scrollAtDown_.X + downPos_.X - X, scrollAtDown_.Y + downPos_.Y - Y);
    PopScreenCursor();
  } else if (left && mouseInteract_.Contains(miSelectZoom)) {
    ZoomToSelection();
    g.RectDrag = false;
    PopSelectionState();
  } else if (left && (mouseInteract_.Contains(miSelect) || mouseInteract_.Contains(miSelectCircle))) {
    const bool drag = mouseInteract_.Contains(miSelect) ? g.RectDrag : g.EllipseDrag;
    if (click && g.Grip < 0 && g.Move < 0) {
      ClearSelection();
    } else if (drag || g.Grip >= 0) {
      if (!shift) sel_->Mask()->ClearMask();
      PolygonToMask();
    }
    g.RectDrag = g.EllipseDrag = false;
    g.Grip = g.Move = -1;
    OnSelectionChange(this);
    Update();
  } else if (!left || !mouseInteract_.Contains(miSelectLasso)) {
    if (left && mouseInteract_.Contains(miSelectPolygon)) {
      if (g.Move >= 0) {
        g.Move = -1;
        OnSelectionChange(this);
      }
      Update();
    } else if (left && mouseInteract_.Contains(miSelectMagicWand)) {
      if (g.Move < 0) {
        SetCursor(crHourGlass);
        MagicWandSelect(p.X, p.Y, shift);
        SetCursor(ViewCursor());
      } else {
        g.Move = -1;
      }
      OnSelectionChange(this);
      Update();
    }
  } else {
    if (click && g.Move < 0) {
      ClearSelection();
    } else if (g.Lasso) {
      if (!shift) sel_->Mask()->ClearMask();
      PolygonToMask();
    }
    g.Lasso = g.Polygon = false;
    OnSelectionChange(this);
    Update();
  }
  if (sel_->RectMove()) {
    sel_->Mask()->ClearMask();
    PolygonToMask();
    sel_->SetRectMove(false);
    Update();
  }
  if (filterSwitchedOff_) {
    zoomFilter_ = savedZoomFilter_;
    filterSwitchedOff_ = false;
    Update();
  }
  if (left) {
    // A polygon stays open between clicks; every other gesture ends here.
    const bool polygon = g.Polygon && !g.Lasso;
    g.Reset();
    g.Polygon = polygon;
    mouseDown_ = false;
  }
}

void TRuzozAdView::DblClick() {
  TIEView::DblClick();
  TIEGestureState& g = sel_->Gesture;
  if (!g.Polygon || g.Lasso) return;
  const bool shift = (::GetKeyState(VK_SHIFT) & 0x8000) != 0;
  sel_->DropTrailingPoint();
  if (!shift) sel_->Mask()->ClearMask();
  g.Polygon = false;
  PolygonToMask();
  Update();
  OnSelectionChange(this);
}

// ---------------------------------------------------------------------------
// Keys.

void TRuzozAdView::KeyDown(Word& Key, TShiftState Shift) {
  TIEView::KeyDown(Key, Shift);
  if (Shift.Contains(ssShift)) {
    if (ViewCursor() == crIEViewDefault) SetViewCursor(crIEViewDefaultAdd);
    else if (ViewCursor() == crIECross2) SetViewCursor(crIECross2Add);
  }
}

void TRuzozAdView::KeyUp(Word& Key, TShiftState Shift) {
  TIEView::KeyUp(Key, Shift);
  if (!Shift.Contains(ssShift)) {
    if (ViewCursor() == crIEViewDefaultAdd) SetViewCursor(crIEViewDefault);
    else if (ViewCursor() == crIECross2Add) SetViewCursor(crIECross2);
  }
}

void TRuzozAdView::CMWantSpecialKey(TMessage& Message) {
  const WPARAM key = Message.WParam;
  if (key >= VK_PRIOR && key <= VK_DOWN) {
    Message.Result = 1;
  } else {
    Message.Result = 0;
  }
}
