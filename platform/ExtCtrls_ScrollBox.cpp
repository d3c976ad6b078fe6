// Scrolling containers: TControlScrollBar, TScrollingWinControl, TScrollBox.
//
// The content is laid out in an area of Range pixels per direction, of which
// the client area shows the part starting at Position. Children sit at their
// place in that area less the positions; scrolling moves them. With AutoScroll
// the ranges are the extent of the children (those aligned or anchored to the
// left and top edges, plus the widths of right- and bottom-aligned ones) plus
// each bar's Margin.
#include <algorithm>

#include "platform/ExtCtrls.h"

// ---------------------------------------------------------------------------
// TControlScrollBar

void TControlScrollBar::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TControlScrollBar*>(Source)) {
    SetVisible(s->visible_);
    SetRange(s->range_);
    SetPosition(s->position_);
    SetIncrement(s->increment_);
    margin_ = s->margin_;
    tracking_ = s->tracking_;
    return;
  }
  TPersistent::Assign(Source);
}

void TControlScrollBar::SetIncrement(TScrollBarInc Value) { increment_ = std::clamp<Integer>(Value, 1, 32767); }

void TControlScrollBar::SetMargin(Integer Value) {
  margin_ = std::max<Integer>(Value, 0);
  if (visible_) control_->CalcAutoRange();
}

void TControlScrollBar::SetVisible(bool Value) {
  visible_ = Value;
  control_->UpdateScrollBars();
}

void TControlScrollBar::SetRange(Integer Value) {
  control_->autoScroll_ = false;
  DoSetRange(Value);
}

void TControlScrollBar::DoSetRange(Integer Value) {
  range_ = std::max<Integer>(Value, 0);
  control_->UpdateScrollBars();
}

bool TControlScrollBar::IsScrollBarVisible() const {
  if (!control_->HandleAllocated()) return false;
  const LONG style = GetWindowLongW(control_->Handle(), GWL_STYLE);
  return visible_ && (style & (kind_ == sbHorizontal ? WS_HSCROLL : WS_VSCROLL)) != 0;
}

Integer TControlScrollBar::ControlSize(bool ControlSB, bool AssumeSB) const {
  const LONG style = control_->HandleAllocated() ? GetWindowLongW(control_->Handle(), GWL_STYLE) : 0;
  // The other bar takes room from this direction when it shows.
  auto adjustment = [&](LONG Bit, int Metric) {
    if (ControlSB) return 0;
    const bool shown = (style & Bit) != 0;
    if (AssumeSB && !shown) return -GetSystemMetrics(Metric);
    if (!AssumeSB && shown) return GetSystemMetrics(Metric);
    return 0;
  };
  if (kind_ == sbVertical) return control_->ClientHeight() + adjustment(WS_HSCROLL, SM_CYHSCROLL);
  return control_->ClientWidth() + adjustment(WS_VSCROLL, SM_CXVSCROLL);
}

void TControlScrollBar::Update(bool ControlSB, bool AssumeSB) {
  const Integer size = ControlSize(ControlSB, AssumeSB);
  calcRange_ = visible_ ? std::max<Integer>(range_ - size, 0) : 0;
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  si.nMin = 0;
  // A page larger than the range hides the bar.
  si.nMax = calcRange_ > 0 ? range_ : 0;
  si.nPage = static_cast<UINT>(std::max<Integer>(size, 0) + 1);
  si.nPos = position_;
  si.nTrackPos = position_;
  SetScrollInfo(control_->Handle(), kind_ == sbHorizontal ? SB_HORZ : SB_VERT, &si, TRUE);
  SetPosition(position_);
}

void TControlScrollBar::SetPosition(Integer Value) {
  // Read from a form file: the children were stored where this position puts them.
  if (control_->ComponentState().Contains(csLoading)) {
    position_ = Value;
    return;
  }
  Value = std::clamp<Integer>(Value, 0, calcRange_);
  if (Value != position_) {
    const Integer old = position_;
    position_ = Value;
    if (kind_ == sbHorizontal)
      control_->ScrollBy(old - Value, 0);
    else
      control_->ScrollBy(0, old - Value);
  }
  if (control_->HandleAllocated()) {
    const int bar = kind_ == sbHorizontal ? SB_HORZ : SB_VERT;
    if (GetScrollPos(control_->Handle(), bar) != position_) SetScrollPos(control_->Handle(), bar, position_, TRUE);
  }
}

void TControlScrollBar::ScrollMessage(TMessage& Message) {
  // The 16-bit position of the message is not enough for long content: then ask the bar.
  auto trackPos = [&] {
    if (calcRange_ <= 32767) return static_cast<Integer>(Message.WParamHi());
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_TRACKPOS;
    GetScrollInfo(control_->Handle(), kind_ == sbHorizontal ? SB_HORZ : SB_VERT, &si);
    return static_cast<Integer>(si.nTrackPos);
  };
  switch (Message.WParamLo()) {
    case SB_LINEUP: SetPosition(position_ - increment_); break;
    case SB_LINEDOWN: SetPosition(position_ + increment_); break;
    case SB_PAGEUP: SetPosition(position_ - ControlSize(true, false)); break;
    case SB_PAGEDOWN: SetPosition(position_ + ControlSize(true, false)); break;
    case SB_THUMBPOSITION: SetPosition(trackPos()); break;
    case SB_THUMBTRACK:
      if (tracking_) SetPosition(trackPos());
      break;
    case SB_TOP: SetPosition(0); break;
    case SB_BOTTOM: SetPosition(calcRange_); break;
    default: break;
  }
  Message.Result = 0;
}

// ---------------------------------------------------------------------------
// TScrollingWinControl

TScrollingWinControl::TScrollingWinControl(TComponent* AOwner)
    : TWinControl(AOwner),
      horzScrollBar_(std::make_unique<TControlScrollBar>(this, sbHorizontal)),
      vertScrollBar_(std::make_unique<TControlScrollBar>(this, sbVertical)) {}

TScrollingWinControl::~TScrollingWinControl() = default;

void TScrollingWinControl::SetAutoScroll(bool Value) {
  if (autoScroll_ == Value) return;
  autoScroll_ = Value;
  if (Value) {
    CalcAutoRange();
  } else {
    horzScrollBar_->DoSetRange(0);
    vertScrollBar_->DoSetRange(0);
  }
}

void TScrollingWinControl::CalcAutoRange() {
  if (autoRangeCount_ > 0 || !autoScroll_) return;
  Integer right = 0, rightAligned = 0, bottom = 0, bottomAligned = 0;
  const Integer hpos = horzScrollBar_->position_, vpos = vertScrollBar_->position_;
  for (Integer i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (!c->Visible()) continue;
    // Children that follow the right or bottom edge grow with the client area
    // and do not make content of their own in that direction.
    const TAnchors a = c->Anchors();
    switch (c->Align()) {
      case alLeft: right = std::max(right, hpos + c->Left() + c->Width()); break;
      case alRight: rightAligned += c->Width(); break;
      case alNone:
        if (a.Contains(akLeft) && !a.Contains(akRight)) right = std::max(right, hpos + c->Left() + c->Width());
        break;
      default: break;
    }
    switch (c->Align()) {
      case alTop: bottom = std::max(bottom, vpos + c->Top() + c->Height()); break;
      case alBottom: bottomAligned += c->Height(); break;
      case alNone:
        if (a.Contains(akTop) && !a.Contains(akBottom)) bottom = std::max(bottom, vpos + c->Top() + c->Height());
        break;
      default: break;
    }
  }
  horzScrollBar_->DoSetRange(right + rightAligned + horzScrollBar_->margin_);
  vertScrollBar_->DoSetRange(bottom + bottomAligned + vertScrollBar_->margin_);
}

void TScrollingWinControl::UpdateScrollBars() {
  if (updatingScrollBars_ || !HandleAllocated()) return;
  updatingScrollBars_ = true;
  try {
    // A bar that is needed in any case narrows the other direction first.
    if (vertScrollBar_->NeedsScrollBarVisible()) {
      horzScrollBar_->Update(false, true);
      vertScrollBar_->Update(true, false);
    } else if (horzScrollBar_->NeedsScrollBarVisible()) {
      vertScrollBar_->Update(false, true);
      horzScrollBar_->Update(true, false);
    } else {
      vertScrollBar_->Update(false, false);
      horzScrollBar_->Update(true, false);
    }
  } catch (...) {
    updatingScrollBars_ = false;
    throw;
  }
  updatingScrollBars_ = false;
}

void TScrollingWinControl::ScrollBy(Integer DeltaX, Integer DeltaY) {
  if (DeltaX == 0 && DeltaY == 0) return;
  DisableAlign();
  try {
    for (Integer i = 0; i < ControlCount(); ++i) {
      TControl* c = Controls(i);
      c->SetBounds(c->Left() + DeltaX, c->Top() + DeltaY, c->Width(), c->Height());
    }
  } catch (...) {
    EnableAlign();
    throw;
  }
  EnableAlign();
  if (HandleAllocated()) InvalidateRect(Handle(), nullptr, TRUE);
}

void TScrollingWinControl::CreateWnd() {
  TWinControl::CreateWnd();
  UpdateScrollBars();
}

void TScrollingWinControl::AdjustClientRect(TRect& Rect) {
  // Aligned children fill the whole content area, scrolled with it.
  Rect = Bounds(-horzScrollBar_->position_, -vertScrollBar_->position_,
                std::max(horzScrollBar_->range_, ClientWidth()), std::max(ClientHeight(), vertScrollBar_->range_));
  TWinControl::AdjustClientRect(Rect);
}

void TScrollingWinControl::AlignControls(TControl* AControl, TRect& Rect) {
  CalcAutoRange();
  TWinControl::AlignControls(AControl, Rect);
}

void TScrollingWinControl::WMHScroll(TMessage& Message) {
  // A scroll bar control among the children reports through its own window.
  if (Message.LParam == 0 && horzScrollBar_->visible_)
    horzScrollBar_->ScrollMessage(Message);
  else
    TWinControl::WMHScroll(Message);
}

void TScrollingWinControl::WMVScroll(TMessage& Message) {
  if (Message.LParam == 0 && vertScrollBar_->visible_)
    vertScrollBar_->ScrollMessage(Message);
  else
    TWinControl::WMVScroll(Message);
}

void TScrollingWinControl::WMSize(TMessage& Message) {
  ++autoRangeCount_;
  try {
    TWinControl::WMSize(Message);
  } catch (...) {
    --autoRangeCount_;
    throw;
  }
  --autoRangeCount_;
  // A bar shown by UpdateScrollBars resizes the client area: that update goes on
  // by itself and must not be run again from within.
  const bool updating = updatingScrollBars_;
  updatingScrollBars_ = true;
  try {
    CalcAutoRange();
  } catch (...) {
    updatingScrollBars_ = updating;
    throw;
  }
  updatingScrollBars_ = updating;
  if (horzScrollBar_->visible_ || vertScrollBar_->visible_) UpdateScrollBars();
}

void TScrollingWinControl::CMControlListChange(TMessage& Message) {
  TWinControl::CMControlListChange(Message);
  // A child that left no longer counts (one arriving is aligned, which counts it).
  if (Message.LParam == 0) CalcAutoRange();
}

// ---------------------------------------------------------------------------
// TScrollBox

TScrollBox::TScrollBox(TComponent* AOwner) : TScrollingWinControl(AOwner) {
  controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  width_ = 185;
  height_ = 41;
  color_ = clBtnFace;
  brush_->SetColor(clBtnFace);
}

void TScrollBox::CreateParams(TCreateParams& Params) {
  TScrollingWinControl::CreateParams(Params);
  Params.WindowClass.hbrBackground = nullptr;
  if (borderStyle_ == bsSingle) {
    if (NewStyleControls && Ctl3D())
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
}

void TScrollBox::SetBorderStyle(TBorderStyle Value) {
  if (borderStyle_ == Value) return;
  borderStyle_ = Value;
  if (HandleAllocated()) RecreateWnd();
}
