// TControl: bounds, alignment requests, colours and fonts inherited from the
// parent, visibility, mouse events and the CM_ notifications.
#include <algorithm>
#include <cstdlib>

#include "platform/Controls.h"
#include "platform/Forms.h"

// The drag in progress (one at a time, on the user-interface thread).
namespace {
struct TDragState_ {
  TControl* Source = nullptr;
  TControl* Target = nullptr;
  TPoint Start;
  TPoint Last;  // screen position of the last mouse message of the drag
  Integer Threshold = 5;
  bool Active = false;
  bool Accepted = false;
} drag;
}  // namespace

// ---------------------------------------------------------------------------
// Shift states.
TShiftState KeyboardStateToShiftState() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

TShiftState KeyDataToShiftState(LPARAM KeyData) {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) s.Include(ssCtrl);
  if (KeyData & 0x20000000) s.Include(ssAlt);
  return s;
}

TShiftState MouseKeysToShiftState(WPARAM Keys) {
  TShiftState s;
  if (Keys & MK_SHIFT) s.Include(ssShift);
  if (Keys & MK_CONTROL) s.Include(ssCtrl);
  if (Keys & MK_LBUTTON) s.Include(ssLeft);
  if (Keys & MK_RBUTTON) s.Include(ssRight);
  if (Keys & MK_MBUTTON) s.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) s.Include(ssAlt);
  return s;
}

// ---------------------------------------------------------------------------
// TSizeConstraints.
void TSizeConstraints::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TSizeConstraints*>(Source)) {
    maxHeight_ = s->maxHeight_;
    maxWidth_ = s->maxWidth_;
    minHeight_ = s->minHeight_;
    minWidth_ = s->minWidth_;
    Change();
    return;
  }
  TPersistent::Assign(Source);
}

void TSizeConstraints::SetMaxHeight(Integer Value) {
  if (Value == maxHeight_) return;
  maxHeight_ = Value;
  if (Value > 0 && Value < minHeight_) minHeight_ = Value;
  Change();
}
void TSizeConstraints::SetMaxWidth(Integer Value) {
  if (Value == maxWidth_) return;
  maxWidth_ = Value;
  if (Value > 0 && Value < minWidth_) minWidth_ = Value;
  Change();
}
void TSizeConstraints::SetMinHeight(Integer Value) {
  if (Value == minHeight_) return;
  minHeight_ = Value;
  if (maxHeight_ > 0 && Value > maxHeight_) maxHeight_ = Value;
  Change();
}
void TSizeConstraints::SetMinWidth(Integer Value) {
  if (Value == minWidth_) return;
  minWidth_ = Value;
  if (maxWidth_ > 0 && Value > maxWidth_) maxWidth_ = Value;
  Change();
}
void TSizeConstraints::Change() { OnChange(this); }

// ---------------------------------------------------------------------------
// TControl.
TControl::TControl(TComponent* AOwner) : TComponent(AOwner) {
  font_ = std::make_unique<TFont>();
  font_->OnChange = TNotifyEvent(this, &TControl::FontChanged);
  constraints_ = std::make_unique<TSizeConstraints>(this);
  constraints_->OnChange = TNotifyEvent(this, &TControl::ConstraintsChanged);
}

TControl::~TControl() {
  DockDestroying();
  if (drag.Source == this) drag = {};
  if (drag.Target == this) drag.Target = nullptr;
  if (GetCaptureControl() == this) SetCaptureControl(nullptr);
  if (MouseControl() == this) TWinControl::SetMouseControl(nullptr);
  if (parent_) parent_->RemoveControl(this);
  if (Application) Application->ControlDestroyed(this);
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam) {
  TMessage m = MakeMessage(Msg, WParam, LParam);
  if (WindowProc)
    WindowProc(m);
  else
    WndProc(m);
  return m.Result;
}

// ---------------------------------------------------------------------------
// Drag and drop.

bool TControl::Dragging() const { return drag.Source == this || DockDragSource() == this; }

void TControl::BeginDrag(bool Immediate, Integer Threshold) {
  if (dragKind_ == dkDock) {
    if (!drag.Source) BeginDockDrag(Immediate, Threshold);
    return;
  }
  if (drag.Source || DockDragSource()) return;
  POINT p;
  GetCursorPos(&p);
  drag = TDragState_{};
  drag.Source = this;
  drag.Start = Point(p.x, p.y);
  drag.Last = drag.Start;
  drag.Threshold = Threshold < 0 ? 5 : Threshold;
  drag.Active = Immediate;
  controlState_.Exclude(csClicked);
  TObject* dragObject = nullptr;
  DoStartDrag(dragObject);
  SetMouseCapture(true);
}

void TControl::EndDrag(bool Drop) {
  if (DockDragSource() == this) EndDockDrag(Drop);
  if (drag.Source != this) return;
  TControl* target = drag.Active && drag.Accepted ? drag.Target : nullptr;
  TControl* over = drag.Target;
  POINT sp{drag.Last.X, drag.Last.Y};
  drag = TDragState_{};
  if (GetCaptureControl() == this) SetMouseCapture(false);
  TPoint tp;
  if (over && !(Drop && target)) {
    bool accept = false;
    tp = over->ScreenToClient(Point(sp.x, sp.y));
    over->DragOver(this, tp.X, tp.Y, dsDragLeave, accept);
  }
  if (Drop && target) {
    tp = target->ScreenToClient(Point(sp.x, sp.y));
    target->DragDrop(this, tp.X, tp.Y);
  } else {
    target = nullptr;
  }
  DoEndDrag(target, target ? tp.X : 0, target ? tp.Y : 0);
}

void TControl::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) {
  Accept = false;
  if (OnDragOver) {
    Accept = true;
    OnDragOver(this, Source, X, Y, State, Accept);
  }
}

void TControl::DragDrop(TObject* Source, Integer X, Integer Y) { OnDragDrop(this, Source, X, Y); }

bool TControl::DragMouseMessage(TMessage& Message) {
  if (drag.Source != this) return false;
  TPoint sp = ClientToScreen(MessagePoint(Message.LParam));
  drag.Last = sp;
  switch (Message.Msg) {
    case WM_MOUSEMOVE: {
      if (!drag.Active) {
        if (std::abs(sp.X - drag.Start.X) < drag.Threshold && std::abs(sp.Y - drag.Start.Y) < drag.Threshold)
          return false;
        drag.Active = true;
      }
      TControl* target = FindDragTarget(sp, false);
      bool accept = false;
      if (target != drag.Target) {
        if (drag.Target) {
          TPoint lp = drag.Target->ScreenToClient(sp);
          drag.Target->DragOver(this, lp.X, lp.Y, dsDragLeave, accept);
        }
        drag.Target = target;
        accept = false;
        if (target) {
          TPoint lp = target->ScreenToClient(sp);
          target->DragOver(this, lp.X, lp.Y, dsDragEnter, accept);
        }
      } else if (target) {
        TPoint lp = target->ScreenToClient(sp);
        target->DragOver(this, lp.X, lp.Y, dsDragMove, accept);
      }
      drag.Accepted = accept;
      if (Screen) ::SetCursor(Screen->Cursors(accept ? dragCursor_ : crNoDrop));
      return true;
    }
    case WM_LBUTTONUP:
      if (!drag.Active) {
        EndDrag(false);
        return false;  // an ordinary click
      }
      EndDrag(true);
      return true;
    case WM_RBUTTONDOWN:
      EndDrag(false);
      return true;
    default:
      return false;
  }
}

void TControl::SetAutoSize(bool Value) {
  if (Value == autoSize_) return;
  autoSize_ = Value;
  if (Value) AdjustSize();
}

void TControl::WndProc(TMessage& Message) {
  if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST) {
    // Without double clicks the second press is an ordinary one, for every
    // handler of the control.
    if (!controlStyle_.Contains(csDoubleClicks) &&
        (Message.Msg == WM_LBUTTONDBLCLK || Message.Msg == WM_RBUTTONDBLCLK || Message.Msg == WM_MBUTTONDBLCLK))
      Message.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
    if (drag.Source == this && DragMouseMessage(Message)) return;
    if (DockDragSource() == this && DockDragMouseMessage(Message)) return;
    switch (Message.Msg) {
      case WM_MOUSEMOVE: {
        if (Application) Application->HintMouseMessage(this, Message);
        TPoint p = MessagePoint(Message.LParam);
        TRect r = ClientRect();
        bool inside = p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
        if (inside)
          TWinControl::SetMouseControl(this);
        else if (MouseControl() == this)
          TWinControl::SetMouseControl(nullptr);
        break;
      }
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK:
        controlState_.Include(csLButtonDown);
        break;
      case WM_LBUTTONUP:
        controlState_.Exclude(csLButtonDown);
        break;
      default:
        break;
    }
  }
  Dispatch(Message);
  // The host dock site hears of a docked client's caption and visibility.
  if (hostDockSite_ && (Message.Msg == CM_TEXTCHANGED || Message.Msg == CM_VISIBLECHANGED)) {
    if (Message.Msg == CM_VISIBLECHANGED) {
      SendDockNotification(CM_VISIBLECHANGED, visible_ ? 1 : 0, 0);
    } else {
      std::string text = GetText();
      SendDockNotification(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
  }
}

void TControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_LBUTTONDOWN: WMLButtonDown(Message); break;
    case WM_RBUTTONDOWN: WMRButtonDown(Message); break;
    case WM_MBUTTONDOWN: WMMButtonDown(Message); break;
    case WM_LBUTTONDBLCLK: WMLButtonDblClk(Message); break;
    case WM_RBUTTONDBLCLK: WMRButtonDblClk(Message); break;
    case WM_MBUTTONDBLCLK: WMMButtonDblClk(Message); break;
    case WM_MOUSEMOVE: WMMouseMove(Message); break;
    case WM_LBUTTONUP: WMLButtonUp(Message); break;
    case WM_RBUTTONUP: WMRButtonUp(Message); break;
    case WM_MBUTTONUP: WMMButtonUp(Message); break;
    case WM_MOUSEWHEEL: WMMouseWheel(Message); break;
    case CM_MOUSEWHEEL: CMMouseWheel(Message); break;
    case WM_CANCELMODE: WMCancelMode(Message); break;
    case WM_WINDOWPOSCHANGED: WMWindowPosChanged(Message); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(Message); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(Message); break;
    case CM_FONTCHANGED: CMFontChanged(Message); break;
    case CM_COLORCHANGED: CMColorChanged(Message); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(Message); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(Message); break;
    case CM_PARENTSHOWHINTCHANGED: CMParentShowHintChanged(Message); break;
    case CM_TEXTCHANGED: CMTextChanged(Message); break;
    case CM_MOUSEENTER: CMMouseEnter(Message); break;
    case CM_MOUSELEAVE: CMMouseLeave(Message); break;
    case CM_HINTSHOW: CMHintShow(Message); break;
    case CM_SYSCOLORCHANGE: CMSysColorChange(Message); break;
    case CM_CURSORCHANGED: CMCursorChanged(Message); break;
    case CM_CANCELMODE: CMCancelMode(Message); break;
    default: DefaultHandler(Message); break;
  }
}

void TControl::DefaultHandler(TMessage& Message) {
  // A windowless control answers the text messages from its own text.
  switch (Message.Msg) {
    case WM_GETTEXTLENGTH: {
      Message.Result = static_cast<LRESULT>(Utf8ToWide(GetText()).size());
      break;
    }
    case WM_GETTEXT: {
      std::wstring w = Utf8ToWide(GetText());
      auto* buf = reinterpret_cast<wchar_t*>(Message.LParam);
      size_t cap = static_cast<size_t>(Message.WParam);
      if (buf && cap > 0) {
        size_t n = std::min(cap - 1, w.size());
        std::copy_n(w.data(), n, buf);
        buf[n] = 0;
        Message.Result = static_cast<LRESULT>(n);
      }
      break;
    }
    case WM_SETTEXT: {
      const auto* s = reinterpret_cast<const wchar_t*>(Message.LParam);
      SetTextBuf(s ? WideToUtf8(s) : std::string());
      Message.Result = 1;
      break;
    }
    default:
      break;
  }
}

// Parent ---------------------------------------------------------------------
void TControl::SetParent(TWinControl* AParent) {
  if (AParent == parent_) return;
  if (AParent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (parent_) parent_->RemoveControl(this);
  if (AParent) AParent->InsertControl(this);
}

bool TControl::HasParent() const { return true; }
TComponent* TControl::GetParentComponent() const { return parent_; }
void TControl::SetParentComponent(TComponent* Value) {
  if (auto* w = dynamic_cast<TWinControl*>(Value)) SetParent(w);
}

// Bounds ---------------------------------------------------------------------
void TControl::ConstrainedResize(Integer&, Integer&, Integer&, Integer&) {}

void TControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  Integer minW = constraints_->MinWidth(), minH = constraints_->MinHeight();
  Integer maxW = constraints_->MaxWidth(), maxH = constraints_->MaxHeight();
  ConstrainedResize(minW, minH, maxW, maxH);
  if (maxW > 0 && AWidth > maxW) AWidth = maxW;
  if (maxH > 0 && AHeight > maxH) AHeight = maxH;
  if (minW > 0 && AWidth < minW) AWidth = minW;
  if (minH > 0 && AHeight < minH) AHeight = minH;
  if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
  InvalidateControl(visible_, false);
  left_ = ALeft;
  top_ = ATop;
  width_ = AWidth;
  height_ = AHeight;
  UpdateAnchorRules();
  Invalidate();
  Perform(WM_WINDOWPOSCHANGED, 0, 0);
  RequestAlign();
  if (!ComponentState().Contains(csLoading)) Resize();
}

TRect TControl::GetClientRect() { return Rect(0, 0, width_, height_); }

void TControl::SetClientWidth(Integer Value) { SetClientSize(Value, ClientHeight()); }
void TControl::SetClientHeight(Integer Value) { SetClientSize(ClientWidth(), Value); }
void TControl::SetClientSize(Integer W, Integer H) {
  TRect r = ClientRect();
  SetBounds(left_, top_, width_ - r.Width() + W, height_ - r.Height() + H);
}

TPoint TControl::ClientOrigin() {
  if (!parent_) throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  TPoint p = parent_->ClientOrigin();
  return Point(p.X + left_, p.Y + top_);
}

TPoint TControl::ClientToScreen(const TPoint& P) {
  TPoint o = ClientOrigin();
  return Point(P.X + o.X, P.Y + o.Y);
}

TPoint TControl::ScreenToClient(const TPoint& P) {
  TPoint o = ClientOrigin();
  return Point(P.X - o.X, P.Y - o.Y);
}

void TControl::ConstraintsChanged(TObject*) { SetBounds(left_, top_, width_, height_); }

void TControl::Resize() { OnResize(this); }

void TControl::SetAlign(TAlign Value) {
  if (Value == align_) return;
  TAlign old = align_;
  align_ = Value;
  anchors_ = [Value] {
    switch (Value) {
      case alTop: return TAnchors{akLeft, akTop, akRight};
      case alBottom: return TAnchors{akLeft, akRight, akBottom};
      case alLeft: return TAnchors{akLeft, akTop, akBottom};
      case alRight: return TAnchors{akRight, akTop, akBottom};
      case alClient: return TAnchors{akLeft, akTop, akRight, akBottom};
      default: return TAnchors{akLeft, akTop};
    }
  }();
  if (old != alNone && Value == alNone) anchors_ = TAnchors{akLeft, akTop};
  RequestAlign();
}

void TControl::SetAnchors(TAnchors Value) {
  if (Value == anchors_) return;
  anchors_ = Value;
  UpdateAnchorRules();
}

void TControl::UpdateAnchorRules() {
  if (ComponentState().Contains(csLoading)) return;
  if (anchors_ == TAnchors{akLeft, akTop} || !parent_) {
    originalParentSize_ = Point(0, 0);
    anchorsValid_ = false;
    return;
  }
  if (anchors_.Contains(akRight))
    anchorRules_.X = anchors_.Contains(akLeft) ? width_ : left_;
  else
    anchorRules_.X = left_ + width_ / 2;
  if (anchors_.Contains(akBottom))
    anchorRules_.Y = anchors_.Contains(akTop) ? height_ : top_;
  else
    anchorRules_.Y = top_ + height_ / 2;
  TRect pr = parent_->ClientRect();
  originalParentSize_ = Point(pr.Width(), pr.Height());
  anchorsValid_ = true;
}

void TControl::RequestAlign() {
  if (parent_) parent_->AlignControl(this);
}

// Visibility and state ---------------------------------------------------------
void TControl::SetVisible(bool Value) {
  if (Value == visible_) return;
  VisibleChanging();
  visible_ = Value;
  Perform(CM_VISIBLECHANGED, Value ? 1 : 0, 0);
  RequestAlign();
}

void TControl::Show() {
  if (parent_) parent_->ShowControl(this);
  SetVisible(true);
}

void TControl::Hide() { SetVisible(false); }

bool TControl::IsVisibleOnScreen() const {
  const TControl* c = this;
  while (c) {
    if (!c->visible_) return false;
    c = c->parent_;
  }
  return true;
}

void TControl::SetEnabled(bool Value) {
  if (Value == enabled_) return;
  enabled_ = Value;
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::SetText(const std::string& Value) {
  if (GetText() == Value) return;
  SetTextBuf(Value);
}

void TControl::SetTextBuf(const std::string& Value) {
  text_ = Value;
  Perform(CM_TEXTCHANGED, 0, 0);
}

// Colour and font --------------------------------------------------------------
void TControl::SetColor(TColor Value) {
  if (Value == color_ && !parentColor_) return;
  color_ = Value;
  if (!applyingColorFromParent_) parentColor_ = false;
  Perform(CM_COLORCHANGED, 0, 0);
}

void TControl::SetColorFromParent(TColor Value) {
  applyingColorFromParent_ = true;
  if (Value != color_) {
    color_ = Value;
    Perform(CM_COLORCHANGED, 0, 0);
  }
  applyingColorFromParent_ = false;
}

TColor TControl::GetParentColorValue() const { return parent_ ? parent_->Color() : color_; }

void TControl::SetParentColor(bool Value) {
  if (Value == parentColor_) return;
  parentColor_ = Value;
  if (parent_ && !ComponentState().Contains(csReading)) Perform(CM_PARENTCOLORCHANGED, 0, 0);
}

void TControl::FontChanged(TObject*) {
  if (!applyingColorFromParent_) parentFont_ = false;
  Perform(CM_FONTCHANGED, 0, 0);
}

void TControl::SetParentFont(bool Value) {
  if (Value == parentFont_) return;
  parentFont_ = Value;
  if (parent_ && !ComponentState().Contains(csReading)) Perform(CM_PARENTFONTCHANGED, 0, 0);
}

void TControl::SetShowHint(bool Value) {
  if (Value == showHint_ && !parentShowHint_) return;
  showHint_ = Value;
  parentShowHint_ = false;
  Perform(CM_SHOWHINTCHANGED, 0, 0);
}

void TControl::SetParentShowHint(bool Value) {
  if (Value == parentShowHint_) return;
  parentShowHint_ = Value;
  if (parent_) Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
}

bool TControl::EffectiveShowHint() const {
  const TControl* c = this;
  while (c && c->parentShowHint_ && c->parent_) c = c->parent_;
  return c ? c->showHint_ : false;
}

void TControl::SetCursor(TCursor Value) {
  if (Value == cursor_) return;
  cursor_ = Value;
  Perform(CM_CURSORCHANGED, 0, 0);
}

void TControl::SetPopupMenu(TComponent* Value) {
  if (Value == popupMenu_) return;
  if (popupMenu_) popupMenu_->RemoveFreeNotification(this);
  popupMenu_ = Value;
  if (Value) Value->FreeNotification(this);
}

void TControl::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == popupMenu_) popupMenu_ = nullptr;
}

void TControl::Loaded() {
  TComponent::Loaded();
  if (parent_) {
    if (parentColor_) Perform(CM_PARENTCOLORCHANGED, 0, 0);
    if (parentFont_) Perform(CM_PARENTFONTCHANGED, 0, 0);
    Perform(CM_PARENTCTL3DCHANGED, 0, 0);
  }
  UpdateAnchorRules();
  RequestAlign();
}

// Capture ----------------------------------------------------------------------
bool TControl::MouseCapture() const { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool Value) {
  if (MouseCapture() == Value) return;
  SetCaptureControl(Value ? this : nullptr);
}

// Painting ---------------------------------------------------------------------
void TControl::InvalidateControl(bool IsVisible, bool IsOpaque) {
  if (!IsVisible || !parent_ || !parent_->HandleAllocated()) return;
  TRect r = BoundsRect();
  InvalidateRect(parent_->Handle(), r.AsRECT(), !IsOpaque);
}

void TControl::Invalidate() { InvalidateControl(visible_, controlStyle_.Contains(csOpaque)); }
void TControl::Update() {
  if (parent_) parent_->Update();
}
void TControl::Repaint() {
  if (!visible_ || !parent_ || !parent_->HandleAllocated()) return;
  Invalidate();
  parent_->Update();
}

void TControl::BringToFront() { SetZOrder(true); }
void TControl::SendToBack() { SetZOrder(false); }

// Mouse ------------------------------------------------------------------------
// TControl::Click is with the action code (Controls_Action.cpp).
void TControl::DblClick() { OnDblClick(this); }

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  OnMouseDown(this, Button, Shift, X, Y);
}
void TControl::MouseMove(TShiftState Shift, Integer X, Integer Y) { OnMouseMove(this, Shift, X, Y); }
void TControl::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Shift) {
  if (controlStyle_.Contains(csNoStdEvents)) return;
  TPoint p = MessagePoint(Message.LParam);
  MouseDown(Button, Shift + MouseKeysToShiftState(Message.WParam), p.X, p.Y);
}

void TControl::DoMouseUp(TMessage& Message, TMouseButton Button) {
  if (controlStyle_.Contains(csNoStdEvents)) return;
  TPoint p = MessagePoint(Message.LParam);
  MouseUp(Button, MouseKeysToShiftState(Message.WParam), p.X, p.Y);
}

// The window class handles the message first (a wrapped button needs its own
// capture), then capture, click state and the events.
void TControl::WMLButtonDown(TMessage& Message) {
  DefaultHandler(Message);
  if (controlStyle_.Contains(csCaptureMouse)) SetMouseCapture(true);
  if (controlStyle_.Contains(csClickEvents)) controlState_.Include(csClicked);
  if (dragMode_ == dmAutomatic) BeginDrag(false);
  DoMouseDown(Message, mbLeft, TShiftState{});
}
void TControl::WMRButtonDown(TMessage& Message) {
  DefaultHandler(Message);
  DoMouseDown(Message, mbRight, TShiftState{});
}
void TControl::WMMButtonDown(TMessage& Message) {
  DefaultHandler(Message);
  DoMouseDown(Message, mbMiddle, TShiftState{});
}
void TControl::WMLButtonDblClk(TMessage& Message) {
  DefaultHandler(Message);
  if (controlStyle_.Contains(csCaptureMouse)) SetMouseCapture(true);
  if (controlStyle_.Contains(csDoubleClicks)) {
    if (controlStyle_.Contains(csClickEvents)) DblClick();
    DoMouseDown(Message, mbLeft, TShiftState{ssDouble});
  } else {
    // Without double clicks the second press is an ordinary one.
    if (controlStyle_.Contains(csClickEvents)) controlState_.Include(csClicked);
    DoMouseDown(Message, mbLeft, TShiftState{});
  }
}
void TControl::WMRButtonDblClk(TMessage& Message) {
  DefaultHandler(Message);
  DoMouseDown(Message, mbRight, TShiftState{ssDouble});
}
void TControl::WMMButtonDblClk(TMessage& Message) {
  DefaultHandler(Message);
  DoMouseDown(Message, mbMiddle, TShiftState{ssDouble});
}
void TControl::WMMouseMove(TMessage& Message) {
  DefaultHandler(Message);
  if (!controlStyle_.Contains(csNoStdEvents)) {
    TPoint p = MessagePoint(Message.LParam);
    MouseMove(MouseKeysToShiftState(Message.WParam), p.X, p.Y);
  }
}
void TControl::WMLButtonUp(TMessage& Message) {
  DefaultHandler(Message);
  if (controlStyle_.Contains(csCaptureMouse) && GetCaptureControl() == this) SetMouseCapture(false);
  if (controlState_.Contains(csClicked)) {
    controlState_.Exclude(csClicked);
    TPoint p = MessagePoint(Message.LParam);
    TRect r = ClientRect();
    if (p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom) Click();
  }
  DoMouseUp(Message, mbLeft);
}
void TControl::WMRButtonUp(TMessage& Message) {
  DefaultHandler(Message);
  DoMouseUp(Message, mbRight);
}
void TControl::WMMButtonUp(TMessage& Message) {
  DefaultHandler(Message);
  DoMouseUp(Message, mbMiddle);
}

bool TControl::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  bool handled = false;
  OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
  if (!handled) {
    // One OnMouseWheelDown/Up per whole notch; finer deltas (smooth wheels)
    // add up until they make one.
    wheelAccumulator_ += WheelDelta;
    while (std::abs(wheelAccumulator_) >= WHEEL_DELTA) {
      bool down = wheelAccumulator_ < 0;
      wheelAccumulator_ += down ? WHEEL_DELTA : -WHEEL_DELTA;
      bool notch = false;
      if (down)
        OnMouseWheelDown(this, Shift, MousePos, notch);
      else
        OnMouseWheelUp(this, Shift, MousePos, notch);
      handled = handled || notch;
    }
  }
  return handled;
}

namespace {
// Set while a wheel message that already went through the controls gets its
// default handling, which passes it on to the parent windows: they must not
// run the controls' chain again.
Integer wheelDefaultDepth = 0;
}  // namespace

void TControl::WMMouseWheel(TMessage& Message) {
  if (wheelDefaultDepth == 0) {
    // The fields of CM_MOUSEWHEEL: the shift state in place of the key flags.
    TShiftState shift = MouseKeysToShiftState(LOWORD(Message.WParam));
    TMessage m = MakeMessage(CM_MOUSEWHEEL, MAKEWPARAM(shift.Bits() & 0xFF, HIWORD(Message.WParam)), Message.LParam);
    MouseWheelHandler(m);
    if (m.Result != 0) {
      Message.Result = m.Result;
      return;
    }
  }
  ++wheelDefaultDepth;
  try {
    DefaultHandler(Message);
  } catch (...) {
    --wheelDefaultDepth;
    throw;
  }
  --wheelDefaultDepth;
}

void TControl::MouseWheelHandler(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this)
    form->MouseWheelHandler(Message);
  else
    Message.Result = Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

void TControl::CMMouseWheel(TMessage& Message) {
  TShiftState shift = TShiftState::FromBits(LOWORD(Message.WParam) & 0xFF);
  auto delta = static_cast<int16_t>(HIWORD(Message.WParam));
  Message.Result = 0;
  if (DoMouseWheel(shift, delta, MessagePoint(Message.LParam)))
    Message.Result = 1;
  else if (parent_)
    Message.Result = parent_->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
}

void TControl::WMCancelMode(TMessage& Message) {
  if (drag.Source == this || DockDragSource() == this) EndDrag(false);
  if (MouseCapture()) {
    SetMouseCapture(false);
    if (controlState_.Contains(csLButtonDown)) {
      controlState_.Exclude(csLButtonDown);
      controlState_.Exclude(csClicked);
    }
  }
  DefaultHandler(Message);
}

void TControl::DoContextPopup(TPoint MousePos, bool& Handled) { OnContextPopup(this, MousePos, Handled); }

void TControl::WMWindowPosChanged(TMessage& Message) { DefaultHandler(Message); }

// Notifications ------------------------------------------------------------------
void TControl::CMVisibleChanged(TMessage&) { InvalidateControl(true, visible_ && controlStyle_.Contains(csOpaque)); }
void TControl::CMEnabledChanged(TMessage&) { Invalidate(); }
void TControl::CMFontChanged(TMessage&) { Invalidate(); }
void TControl::CMColorChanged(TMessage&) { Invalidate(); }
void TControl::CMTextChanged(TMessage&) { Invalidate(); }
void TControl::CMSysColorChange(TMessage&) {}

void TControl::CMParentColorChanged(TMessage& Message) {
  if (!parentColor_) return;
  TColor c = Message.WParam != 0 ? static_cast<TColor>(Message.LParam) : GetParentColorValue();
  SetColorFromParent(c);
}

void TControl::CMParentFontChanged(TMessage&) {
  if (!parentFont_ || !parent_) return;
  applyingColorFromParent_ = true;
  try {
    font_->Assign(parent_->Font());
  } catch (...) {
    applyingColorFromParent_ = false;
    throw;
  }
  applyingColorFromParent_ = false;
}

void TControl::CMParentShowHintChanged(TMessage&) {
  if (parentShowHint_ && parent_) showHint_ = parent_->ShowHint();
}

void TControl::CMMouseEnter(TMessage& Message) {
  DefaultHandler(Message);
  if (Message.LParam == 0) MouseEnter();
}

void TControl::CMMouseLeave(TMessage& Message) {
  DefaultHandler(Message);
  if (Message.LParam == 0) MouseLeave();
}

void TControl::ChangeScale(Integer M, Integer D) {
  if (M == D || D == 0) return;
  // Edges scale, so neighbours that touched still touch.
  Integer l = MulDiv(left_, M, D), t = MulDiv(top_, M, D);
  SetBounds(l, t, MulDiv(left_ + width_, M, D) - l, MulDiv(top_ + height_, M, D) - t);
  if (!parentFont_) font_->SetSize(MulDiv(font_->Size(), M, D));
}
void TControl::CMHintShow(TMessage& Message) { DefaultHandler(Message); }
