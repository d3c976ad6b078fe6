// The strip's two child buttons: the scroll-arrow pair and the close button.
#include "controls/RzThemeSrv.h"
#include "controls/RzTabs.h"

namespace {

void FrameRect1(TCanvas* C, const TRect& R, TColor Color) {
  C->Pen()->SetColor(Color);
  C->Pen()->SetStyle(psSolid);
  C->Brush()->SetStyle(bsClear);
  C->Rectangle(R);
  C->Brush()->SetStyle(bsSolid);
}

bool TabsThemed() { return SharedThemeServices()->VisualStylesOn(); }

}  // namespace

// ---------------------------------------------------------------------------
TRzTabScroller::TRzTabScroller(TComponent* AOwner)
    : TCustomControl(AOwner), owner_(dynamic_cast<TRzCustomTabControl*>(AOwner)) {
  controlStyle_.Include(csNoDesignVisible);
  SetBounds(0, 0, 31, 16);
}

void TRzTabScroller::SetFrameColor(TColor Value) {
  if (Value == frameColor_) return;
  frameColor_ = Value;
  Invalidate();
}

void TRzTabScroller::SetOrientation(TOrientation Value) {
  if (Value == orientation_) return;
  orientation_ = Value;
  Invalidate();
}

void TRzTabScroller::DoDownLeftClick() {
  if (OnDownLeftClick) OnDownLeftClick(this);
}
void TRzTabScroller::DoUpRightClick() {
  if (OnUpRightClick) OnUpRightClick(this);
}

Integer TRzTabScroller::HalfAt(Integer X, Integer Y) const {
  if (orientation_ == orHorizontal) return X >= Width() / 2 ? 1 : 0;
  return Y <= Height() / 2 ? 1 : 0;
}

bool TRzTabScroller::HalfEnabled(Integer Half) const {
  if (!owner_) return true;
  bool forward = (Half == 1) == owner_->UpRightScrollsForward();
  if (forward) return !owner_->IsTabShown(owner_->LastVisibleTab());
  return owner_->FirstShownTab() > 0;
}

void TRzTabScroller::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  pressedHalf_ = HalfAt(X, Y);
  tracking_ = true;
  inside_ = true;
  Invalidate();
  SetMouseCapture(true);
}

void TRzTabScroller::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  if (!tracking_) return;
  bool in = X >= 0 && Y >= 0 && X < Width() && Y < Height() && HalfAt(X, Y) == pressedHalf_;
  if (in == inside_) return;
  inside_ = in;
  Invalidate();
}

void TRzTabScroller::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (!tracking_) return;
  SetMouseCapture(false);
  tracking_ = false;
  if (inside_) {
    inside_ = false;
    if (pressedHalf_ == 0)
      DoDownLeftClick();
    else
      DoUpRightClick();
  }
  Invalidate();
}

void TRzTabScroller::Paint() {
  TCanvas* c = Canvas();
  Integer w = Width(), h = Height();
  bool horz = orientation_ == orHorizontal;
  for (Integer half = 0; half < 2; ++half) {
    bool enabled = HalfEnabled(half);
    bool pressed = tracking_ && inside_ && pressedHalf_ == half;
    if (TabsThemed()) {
      TRect r = Rect(0, 0, w, h);
      TThemedSpin base;
      if (horz) {
        if (half == 0) r.Right = r.Left + w / 2; else r.Left = r.Right - w / 2;
        base = half == 0 ? tsDownHorzNormal : tsUpHorzNormal;
      } else {
        if (half == 0) r.Top = r.Bottom - h / 2; else r.Bottom = r.Top + h / 2;
        base = half == 0 ? tsDownNormal : tsUpNormal;
      }
      Integer state = !enabled ? 3 : (pressed ? 2 : 0);
      SharedThemeServices()->PaintElement(c->Handle(), TThemeServices::DetailsFor(static_cast<TThemedSpin>(base + state)),
                                          r);
    } else {
      // The halves share the middle line.
      TRect r = horz ? (half == 0 ? Rect(0, 0, w / 2 + 1, h) : Rect(w - w / 2 - 1, 0, w, h))
                     : (half == 0 ? Rect(0, h - h / 2 - 1, w, h) : Rect(0, 0, w, h / 2 + 1));
      c->Brush()->SetStyle(bsSolid);
      c->Brush()->SetColor(clBtnFace);
      c->FillRect(r);
      TArrowDirection dir = horz ? (half == 0 ? adLeft : adRight) : (half == 0 ? adDown : adUp);
      PaintDirectionArrow(c, r, 0, dir, pressed, enabled);
      FrameRect1(c, r, frameColor_);
    }
  }
}

// ---------------------------------------------------------------------------
TRzTabCloseButton::TRzTabCloseButton(TComponent* AOwner)
    : TCustomControl(AOwner), owner_(dynamic_cast<TRzCustomTabControl*>(AOwner)) {
  controlStyle_.Include(csNoDesignVisible);
  SetBounds(0, 0, 16, 16);
}

void TRzTabCloseButton::SetFrameColor(TColor Value) {
  if (Value == frameColor_) return;
  frameColor_ = Value;
  Invalidate();
}

void TRzTabCloseButton::ClickClose() {
  if (OnClose) OnClose(this);
}

void TRzTabCloseButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  tracking_ = true;
  inside_ = true;
  Invalidate();
  SetMouseCapture(true);
}

void TRzTabCloseButton::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  if (!tracking_) return;
  bool in = X >= 0 && Y >= 0 && X < Width() && Y < Height();
  if (in == inside_) return;
  inside_ = in;
  Invalidate();
}

void TRzTabCloseButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (!tracking_) return;
  SetMouseCapture(false);
  tracking_ = false;
  if (inside_) {
    inside_ = false;
    ClickClose();
  }
  // The owner may have gone with its page; this button is still alive (it
  // belongs to the tab control, not the page).
  Invalidate();
}

void TRzTabCloseButton::Paint() {
  TCanvas* c = Canvas();
  TRect r = Rect(0, 0, Width(), Height());
  bool none = owner_ && owner_->TabIndex() < 0;
  bool pressed = tracking_ && inside_;
  if (TabsThemed()) {
    // The small close button's states follow the normal one: hot, pushed, disabled.
    Integer state = none ? 3 : (pressed ? 2 : 0);
    SharedThemeServices()->PaintElement(
        c->Handle(), TThemeServices::DetailsFor(static_cast<TThemedWindow>(twSmallCloseButtonNormal + state)), r);
  } else {
    RECT rr{r.Left, r.Top, r.Right, r.Bottom};
    UINT state = DFCS_CAPTIONCLOSE | DFCS_FLAT;
    if (pressed) state |= DFCS_PUSHED;
    if (none) state |= DFCS_INACTIVE;
    ::DrawFrameControl(c->Handle(), &rr, DFC_CAPTION, state);
    FrameRect1(c, r, frameColor_);
  }
}
