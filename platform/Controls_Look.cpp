// The 3-D look (Ctl3D), palettes, auto-sizing to the children, and the
// request to show a control that passes up its parents.
#include <algorithm>

#include "platform/Controls.h"

bool NewStyleControls = true;

// Ctl3D ------------------------------------------------------------------------
void TWinControl::SetCtl3D(bool Value) {
  if (Value == ctl3D_) return;
  ctl3D_ = Value;
  parentCtl3D_ = false;
  Perform(CM_CTL3DCHANGED, 0, 0);
}

void TWinControl::SetParentCtl3D(bool Value) {
  if (Value == parentCtl3D_) return;
  parentCtl3D_ = Value;
  if (parent_ && !ComponentState().Contains(csReading)) Perform(CM_PARENTCTL3DCHANGED, 0, 0);
}

void TWinControl::CMParentCtl3DChanged(TMessage& Message) {
  if (!parentCtl3D_) return;
  // WParam non-zero: LParam carries the value; otherwise the parent's.
  bool value = Message.WParam != 0 ? Message.LParam != 0 : (parent_ ? parent_->ctl3D_ : ctl3D_);
  SetCtl3D(value);
  parentCtl3D_ = true;
}

void TWinControl::CMCtl3DChanged(TMessage&) {
  NotifyControls(CM_PARENTCTL3DCHANGED);
  if (!handle_ || ComponentState().Contains(csDestroying)) return;
  // A class whose border follows Ctl3D gets a window with the new border.
  TCreateParams params;
  CreateParams(params);
  DWORD style = static_cast<DWORD>(GetWindowLongW(handle_, GWL_STYLE));
  DWORD exStyle = static_cast<DWORD>(GetWindowLongW(handle_, GWL_EXSTYLE));
  if (((style ^ params.Style) & WS_BORDER) != 0 || ((exStyle ^ params.ExStyle) & WS_EX_CLIENTEDGE) != 0)
    RecreateWnd();
}

// Palettes -----------------------------------------------------------------------
bool TControl::PaletteChanged(bool Foreground) {
  if (!visible_) return false;
  HPALETTE palette = GetPalette();
  if (!palette) return false;
  auto* self = dynamic_cast<TWinControl*>(this);
  TWinControl* host = self ? self : parent_;
  if (!host || !host->HandleAllocated()) return false;
  HWND wnd = host->Handle();
  HDC dc = GetDC(wnd);
  if (!dc) return false;
  HPALETTE old = SelectPalette(dc, palette, Foreground ? FALSE : TRUE);
  if (RealizePalette(dc) != 0) Invalidate();
  SelectPalette(dc, old, TRUE);
  ReleaseDC(wnd, dc);
  return true;
}

bool TWinControl::PaletteChanged(bool Foreground) {
  if (!visible_) return false;
  bool result = false;
  // The list may change under a handler: walk a copy, and ask only the
  // controls still here.
  const std::vector<TControl*> snapshot(controls_);
  for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it) {
    if (Foreground && result) return true;
    if (std::find(controls_.begin(), controls_.end(), *it) == controls_.end()) continue;
    result = (*it)->PaletteChanged(Foreground) || result;
  }
  if (Foreground && result) return true;
  return TControl::PaletteChanged(Foreground) || result;
}

// Auto-size ----------------------------------------------------------------------
void TWinControl::AdjustSize() {
  if (!autoSize_ || ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
  bool any = false;
  Integer left = 0, top = 0, right = 0, bottom = 0;
  for (TControl* c : controls_) {
    if (!c->visible_) continue;
    any = true;
    left = std::min(left, c->left_);
    top = std::min(top, c->top_);
    right = std::max(right, c->left_ + c->width_);
    bottom = std::max(bottom, c->top_ + c->height_);
  }
  if (!any) return;
  // The client area keeps the margins its layout takes off (BorderWidth).
  TRect client = GetClientRect();
  TRect inner = client;
  AdjustClientRect(inner);
  Integer clientW = right - left + (client.Right - inner.Right);
  Integer clientH = bottom - top + (client.Bottom - inner.Bottom);
  Integer w = width_, h = height_;
  // An aligned control keeps the size its alignment gives it.
  if (align_ == alNone || align_ == alLeft || align_ == alRight) w = width_ - client.Width() + clientW;
  if (align_ == alNone || align_ == alTop || align_ == alBottom) h = height_ - client.Height() + clientH;
  if (w != width_ || h != height_) SetBounds(left_, top_, w, h);
}

// Showing --------------------------------------------------------------------------
void TWinControl::ShowControl(TControl*) {
  if (parent_) parent_->ShowControl(this);
}
