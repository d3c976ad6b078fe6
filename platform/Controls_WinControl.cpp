// TWinControl: the window, its procedure and message dispatch, children and
// z-order, alignment, focus and tab order, keyboard routing, painting and the
// reflection of child notifications.
#include <algorithm>
#include <map>
#include <memory>

#include "platform/Controls.h"
#include "platform/Forms.h"

namespace {

const wchar_t* ControlProp() { return L"ClassLibraryControl"; }

thread_local TWinControl* creationControl = nullptr;
TControl* captureControl = nullptr;  // windowless control holding its parent's capture
TControl* mouseControl = nullptr;
Integer wndProcDepth = 0;
Word nextChildId = 100;

// Window classes registered so far: name -> the default procedure they wrap.
std::map<std::wstring, WNDPROC>& RegisteredClasses() {
  static std::map<std::wstring, WNDPROC> m;
  return m;
}

}  // namespace

// The window property that binds a window to its control (Controls_Handles.cpp).
const wchar_t* ControlWindowProp() { return ControlProp(); }

void FreeControlCanvasDCs();  // Controls_Custom.cpp

// ---------------------------------------------------------------------------
// Capture and mouse tracking.
TControl* GetCaptureControl() {
  TControl* r = TWinControl::FindControl(GetCapture());
  if (r && captureControl && captureControl->Parent() == r) r = captureControl;
  return r;
}

void SetCaptureControl(TControl* Control) {
  captureControl = nullptr;
  ReleaseCapture();
  if (!Control) return;
  auto* w = dynamic_cast<TWinControl*>(Control);
  if (!w) {
    if (!Control->Parent()) return;
    captureControl = Control;
    w = Control->Parent();
  }
  SetCapture(w->Handle());
}

TControl* MouseControl() { return mouseControl; }

void TWinControl::SetMouseControl(TControl* Control) {
  if (Control == mouseControl) return;
  TControl* old = mouseControl;
  mouseControl = Control;
  if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
  if (Control && mouseControl == Control) Control->Perform(CM_MOUSEENTER, 0, 0);
}

void CheckMouseControl() {
  static bool started = false;
  static POINT last{};
  POINT p;
  if (!GetCursorPos(&p)) return;
  // Only a real pointer movement decides; messages sent by code leave the state alone.
  if (!started) {
    started = true;
    last = p;
    return;
  }
  if (p.x == last.x && p.y == last.y) return;
  last = p;
  TControl* target = FindDragTarget(Point(p.x, p.y), false);
  TWinControl::SetMouseControl(target);
}

TCustomForm* GetParentForm(TControl* Control) {
  if (!Control) return nullptr;
  while (Control->Parent()) Control = Control->Parent();
  return dynamic_cast<TCustomForm*>(Control);
}

TCustomForm* ValidParentForm(TControl* Control) {
  TCustomForm* f = GetParentForm(Control);
  if (!f) throw EInvalidOperation("Control '" + (Control ? Control->Name() : std::string()) + "' has no parent window");
  return f;
}

TWinControl* TWinControl::FindControl(HWND Wnd) {
  if (!Wnd) return nullptr;
  // A window of another process (a second copy of the program, or any other
  // program of ours under the mouse) carries the same property, holding an
  // address that means nothing here.
  DWORD process = 0;
  ::GetWindowThreadProcessId(Wnd, &process);
  if (process != ::GetCurrentProcessId()) return nullptr;
  return static_cast<TWinControl*>(GetPropW(Wnd, ControlProp()));
}

// The control of ours that a window belongs to: itself or its nearest parent of ours.
static TWinControl* FindOwningControl(HWND Wnd) {
  while (Wnd) {
    if (TWinControl* c = TWinControl::FindControl(Wnd)) return c;
    Wnd = GetParent(Wnd);
  }
  return nullptr;
}

TControl* FindDragTarget(const TPoint& Pos, bool AllowDisabled) {
  POINT p{Pos.X, Pos.Y};
  TWinControl* w = FindOwningControl(WindowFromPoint(p));
  if (!w) return nullptr;
  if (TControl* c = w->ControlAtPos(w->ScreenToClient(Pos), AllowDisabled)) return c;
  return w;
}

TControl* FindVCLWindow(const TPoint& Pos) {
  POINT p{Pos.X, Pos.Y};
  return FindOwningControl(WindowFromPoint(p));
}

// ---------------------------------------------------------------------------
// The window procedure of every window of ours.
LRESULT CALLBACK TWinControl::StdWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* control = FindControl(Wnd);
  if (!control) {
    // Only a window being created (its first messages) is the creating
    // control's; any other window without a control (one let go by
    // DetachHandle, say) is not adopted by whatever is being created now.
    control = creationControl;
    if (!control || (Msg != WM_NCCREATE && Msg != WM_GETMINMAXINFO)) return DefWindowProcW(Wnd, Msg, WParam, LParam);
    creationControl = nullptr;
    control->handle_ = Wnd;
    SetPropW(Wnd, ControlProp(), control);
  }
  TMessage m = MakeMessage(Msg, WParam, LParam);
  ++wndProcDepth;
  try {
    if (control->WindowProc)
      control->WindowProc(m);
    else
      control->WndProc(m);
  } catch (...) {
    // Nothing may cross the callback: the application reports it.
    if (Application)
      Application->HandleException(control);
  }
  --wndProcDepth;
  if (Msg == WM_NCDESTROY) {
    RemovePropW(Wnd, ControlProp());
    if (control->handle_ == Wnd) {
      control->handle_ = nullptr;
      control->showing_ = false;
    }
  }
  if (wndProcDepth == 0) FreeControlCanvasDCs();
  return m.Result;
}

// ---------------------------------------------------------------------------
TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {
  brush_ = std::make_unique<TBrush>();
  brush_->SetColor(color_);
}

TWinControl::~TWinControl() {
  Destroying();
  ReleaseDocking();
  if (mouseControl == this) mouseControl = nullptr;
  if (handle_) {
    // The window goes first and takes the child windows with it, so its
    // WM_DESTROY comes while the children's windows still exist.
    try {
      if (parent_) RemoveFocus(true);
      DestroyWindowHandle();
    } catch (...) {
    }
  }
  if (parent_) parent_->RemoveControl(this);
  // Child controls go with their parent.
  while (!controls_.empty()) {
    TControl* c = controls_.back();
    RemoveControl(c);
    delete c;
  }
}

void TWinControl::SetParentWindow(HWND Value) {
  if (parent_ || parentWindow_ == Value) return;
  if (handle_ && Value) {
    ::SetParent(handle_, Value);
    parentWindow_ = Value;
    return;
  }
  if (handle_) DestroyHandle();
  parentWindow_ = Value;
  UpdateControlState();
}

// Creation -------------------------------------------------------------------
void TWinControl::CreateParams(TCreateParams& Params) {
  Params = TCreateParams{};
  Params.Caption = Utf8ToWide(text_);
  Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (controlStyle_.Contains(csAcceptsControls)) {
    Params.Style |= WS_CLIPCHILDREN;
    Params.ExStyle |= WS_EX_CONTROLPARENT;
  }
  if (!enabled_) Params.Style |= WS_DISABLED;
  if (tabStop_) Params.Style |= WS_TABSTOP;
  Params.X = left_;
  Params.Y = top_;
  Params.Width = width_;
  Params.Height = height_;
  Params.WndParent = parent_ ? parent_->Handle() : parentWindow_;
  Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  Params.WindowClass.lpfnWndProc = DefWindowProcW;
  Params.WindowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  Params.WindowClass.hbrBackground = nullptr;
  Params.WindowClass.hInstance = GetModuleHandleW(nullptr);
  Params.WinClassName = Utf8ToWide(ClassName());
}

void TWinControl::CreateSubClass(TCreateParams& Params, const wchar_t* ClassName) {
  WNDCLASSW wc{};
  if (!GetClassInfoW(nullptr, ClassName, &wc) && !GetClassInfoW(GetModuleHandleW(nullptr), ClassName, &wc))
    throw EOutOfResources("Window class " + WideToUtf8(ClassName) + " is not registered");
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.style &= ~static_cast<UINT>(CS_GLOBALCLASS);
  wc.lpszClassName = nullptr;
  wc.lpszMenuName = nullptr;
  Params.WindowClass = wc;
}

void TWinControl::CreateWindowHandle(const TCreateParams& Params) {
  HMENU id = nullptr;
  if ((Params.Style & WS_CHILD) && !(Params.ExStyle & WS_EX_MDICHILD)) {
    // A unique id, so notifications that name the child only by id find it.
    if (++nextChildId < 100) nextChildId = 100;
    id = reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nextChildId));
  }
  HWND h = CreateWindowExW(Params.ExStyle, Params.WinClassName.c_str(), Params.Caption.c_str(), Params.Style,
                           Params.X, Params.Y, Params.Width, Params.Height, Params.WndParent, id,
                           Params.WindowClass.hInstance, Params.Param);
  if (h) handle_ = h;
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if (!params.WndParent && (params.Style & WS_CHILD))
    throw EInvalidOperation("Control '" + Name() + "' has no parent window");
  defWndProc_ = params.WindowClass.lpfnWndProc;
  // One registered class per (name, wrapped procedure).
  auto& classes = RegisteredClasses();
  std::wstring name = params.WinClassName;
  auto it = classes.find(name);
  if (it != classes.end() && it->second != defWndProc_) {
    wchar_t suffix[32];
    swprintf(suffix, 32, L".%p", reinterpret_cast<void*>(defWndProc_));
    name += suffix;
    it = classes.find(name);
  }
  if (it == classes.end()) {
    WNDCLASSW wc = params.WindowClass;
    wc.lpfnWndProc = StdWndProc;
    wc.lpszClassName = name.c_str();
    if (!RegisterClassW(&wc)) {
      DWORD err = GetLastError();
      if (err != ERROR_CLASS_ALREADY_EXISTS) throw EOutOfResources(SysErrorMessage(err));
    }
    classes[name] = defWndProc_;
  }
  params.WinClassName = name;
  creationControl = this;
  try {
    CreateWindowHandle(params);
  } catch (...) {
    creationControl = nullptr;
    throw;
  }
  creationControl = nullptr;
  if (!handle_) throw EOutOfResources("Error creating window: " + SysErrorMessage(GetLastError()));
  if (!GetPropW(handle_, ControlProp())) SetPropW(handle_, ControlProp(), this);
  UpdateBoundsFromWindow();
  ::SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_->Handle()), 0);
}

void TWinControl::CreateHandle() {
  if (handle_) return;
  CreateWnd();
  if (parent_)
    SetWindowPos(handle_, parent_->PrecedingWindow(this), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TWinControl::HandleNeeded() {
  if (handle_) return;
  if (parent_) parent_->HandleNeeded();
  CreateHandle();
}

HWND TWinControl::Handle() {
  HandleNeeded();
  return handle_;
}

void TWinControl::DestroyWindowHandle() {
  controlState_.Include(csDestroyingHandle);
  HWND h = handle_;
  if (h) DestroyWindow(h);
  controlState_.Exclude(csDestroyingHandle);
  if (handle_ == h) {
    RemovePropW(h, ControlProp());
    handle_ = nullptr;
  }
  showing_ = false;
}

void TWinControl::DestroyWnd() {
  text_ = GetText();
  DestroyWindowHandle();
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  for (TControl* c : std::vector<TControl*>(controls_))
    if (auto* w = dynamic_cast<TWinControl*>(c)) w->DestroyHandle();
  DestroyWnd();
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  DestroyHandle();
  UpdateControlState();
}

void TWinControl::UpdateShowing() {
  bool show = visible_ && !controlState_.Contains(csReadingState);
  if (show) {
    if (!handle_) CreateHandle();
    for (TControl* c : std::vector<TControl*>(controls_))
      if (auto* w = dynamic_cast<TWinControl*>(c)) w->UpdateShowing();
  }
  if (handle_ && showing_ != show) {
    showing_ = show;
    try {
      Perform(CM_SHOWINGCHANGED, 0, 0);
    } catch (...) {
      showing_ = !show;
      throw;
    }
  }
}

void TWinControl::UpdateControlState() {
  TWinControl* c = this;
  while (c->parent_) {
    c = c->parent_;
    if (!c->showing_) return;
  }
  if (dynamic_cast<TCustomForm*>(c) || c->parentWindow_) UpdateShowing();
}

void TWinControl::UpdateBoundsFromWindow() {
  if (!handle_) return;
  RECT r;
  GetWindowRect(handle_, &r);
  if (GetWindowLongW(handle_, GWL_STYLE) & WS_CHILD) {
    HWND p = GetParent(handle_);
    if (p) MapWindowPoints(nullptr, p, reinterpret_cast<POINT*>(&r), 2);
  }
  if (IsIconic(handle_)) return;
  bool changed = r.left != left_ || r.top != top_ || r.right - r.left != width_ || r.bottom - r.top != height_;
  left_ = r.left;
  top_ = r.top;
  width_ = r.right - r.left;
  height_ = r.bottom - r.top;
  if (changed) UpdateAnchorRules();
}

// Text -------------------------------------------------------------------------
std::string TWinControl::GetText() const {
  if (!handle_) return text_;
  int n = GetWindowTextLengthW(handle_);
  std::wstring w(static_cast<size_t>(n) + 1, L'\0');
  n = GetWindowTextW(handle_, w.data(), n + 1);
  w.resize(static_cast<size_t>(std::max(n, 0)));
  return WideToUtf8(w);
}

void TWinControl::SetTextBuf(const std::string& Value) {
  if (handle_)
    SetWindowTextW(handle_, Utf8ToWide(Value).c_str());
  else
    text_ = Value;
  Perform(CM_TEXTCHANGED, 0, 0);
}

// Bounds -------------------------------------------------------------------------
void TWinControl::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  Integer minW = constraints_->MinWidth(), minH = constraints_->MinHeight();
  Integer maxW = constraints_->MaxWidth(), maxH = constraints_->MaxHeight();
  ConstrainedResize(minW, minH, maxW, maxH);
  if (maxW > 0 && AWidth > maxW) AWidth = maxW;
  if (maxH > 0 && AHeight > maxH) AHeight = maxH;
  if (minW > 0 && AWidth < minW) AWidth = minW;
  if (minH > 0 && AHeight < minH) AHeight = minH;
  if (ALeft == left_ && ATop == top_ && AWidth == width_ && AHeight == height_) return;
  if (handle_ && !IsIconic(handle_)) {
    // The window reports the new bounds back (WM_WINDOWPOSCHANGED, WM_SIZE).
    SetWindowPos(handle_, nullptr, ALeft, ATop, AWidth, AHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    if (left_ != ALeft || top_ != ATop || width_ != AWidth || height_ != AHeight) {
      // The window refused part of it (a top-level window larger than the screen, say).
    }
  } else {
    left_ = ALeft;
    top_ = ATop;
    width_ = AWidth;
    height_ = AHeight;
    UpdateAnchorRules();
    if (!ComponentState().Contains(csLoading)) {
      Realign();
      Resize();
    }
  }
  RequestAlign();
}

TRect TWinControl::GetClientRect() {
  if (handle_) {
    RECT r;
    ::GetClientRect(handle_, &r);
    return Rect(r.left, r.top, r.right, r.bottom);
  }
  return TControl::GetClientRect();
}

TPoint TWinControl::ClientOrigin() {
  if (!handle_ && parent_) {
    TPoint p = parent_->ClientOrigin();
    return Point(p.X + left_, p.Y + top_);
  }
  POINT p{0, 0};
  ::ClientToScreen(Handle(), &p);
  return Point(p.x, p.y);
}

void TWinControl::WMWindowPosChanged(TMessage& Message) {
  UpdateBoundsFromWindow();
  DefaultHandler(Message);
}

void TWinControl::WMSize(TMessage& Message) {
  UpdateBoundsFromWindow();
  DefaultHandler(Message);
  Realign();
  if (!ComponentState().Contains(csLoading)) Resize();
}

void TWinControl::WMMove(TMessage& Message) {
  UpdateBoundsFromWindow();
  DefaultHandler(Message);
}

// Children and z-order -----------------------------------------------------------
void TWinControl::InsertControl(TControl* AControl) {
  if (!AControl || AControl->parent_ == this) return;
  if (auto* w = dynamic_cast<TWinControl*>(AControl)) {
    if (w == this || w->ContainsControl(this)) throw EInvalidOperation("A control cannot contain its own parent");
  }
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
  controls_.push_back(AControl);
  auto* win = dynamic_cast<TWinControl*>(AControl);
  if (win) tabList_.push_back(win);
  AControl->parent_ = this;
  if (!AControl->ComponentState().Contains(csReading)) {
    AControl->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    AControl->Perform(CM_PARENTFONTCHANGED, 0, 0);
    AControl->Perform(CM_PARENTSHOWHINTCHANGED, 0, 0);
    if (win) {
      win->Perform(CM_PARENTCTL3DCHANGED, 0, 0);
      if (win->handle_ && handle_) ::SetParent(win->handle_, handle_);
      else if (win->handle_) win->DestroyHandle();
      UpdateControlState();
    } else if (handle_) {
      AControl->Invalidate();
    }
    AControl->UpdateAnchorRules();
    AlignControl(AControl);
  }
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 1);
}

void TWinControl::RemoveControl(TControl* AControl) {
  auto it = std::find(controls_.begin(), controls_.end(), AControl);
  if (it == controls_.end()) return;
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
  auto* win = dynamic_cast<TWinControl*>(AControl);
  if (win) {
    win->RemoveFocus(true);
    win->DestroyHandle();
  } else if (handle_) {
    AControl->InvalidateControl(AControl->visible_, false);
  }
  if (captureControl == AControl) captureControl = nullptr;
  if (mouseControl == AControl) mouseControl = nullptr;
  it = std::find(controls_.begin(), controls_.end(), AControl);
  if (it != controls_.end()) controls_.erase(it);
  auto t = std::find(tabList_.begin(), tabList_.end(), static_cast<TWinControl*>(win));
  if (win && t != tabList_.end()) tabList_.erase(t);
  AControl->parent_ = nullptr;
  Perform(CM_CONTROLLISTCHANGE, reinterpret_cast<WPARAM>(AControl), 0);
  Realign();
}

bool TWinControl::ContainsControl(TControl* Control) const {
  while (Control && Control != this) Control = Control->parent_;
  return Control == this;
}

TControl* TWinControl::ControlAtPos(const TPoint& Pos, bool AllowDisabled, bool AllowWinControls) {
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (!AllowWinControls && dynamic_cast<TWinControl*>(c)) continue;
    if (!c->visible_ || (!AllowDisabled && !c->enabled_)) continue;
    if (PointInRect(c->BoundsRect(), Pos)) return c;
  }
  return nullptr;
}

HWND TWinControl::PrecedingWindow(TWinControl* Control) {
  auto it = std::find(controls_.begin(), controls_.end(), Control);
  if (it != controls_.end()) {
    for (++it; it != controls_.end(); ++it)
      if (auto* w = dynamic_cast<TWinControl*>(*it); w && w->handle_) return w->handle_;
  }
  return HWND_TOP;
}

void TWinControl::SetZOrderPosition(TControl* Control, Integer Position) {
  auto it = std::find(controls_.begin(), controls_.end(), Control);
  if (it == controls_.end()) return;
  controls_.erase(it);
  Position = std::clamp<Integer>(Position, 0, ControlCount());
  controls_.insert(controls_.begin() + Position, Control);
  if (auto* w = dynamic_cast<TWinControl*>(Control); w && w->handle_)
    SetWindowPos(w->handle_, PrecedingWindow(w), 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  else
    Control->InvalidateControl(Control->visible_, true);
}

void TControl::SetZOrder(bool TopMost) {
  if (parent_) {
    parent_->SetZOrderPosition(this, TopMost ? parent_->ControlCount() - 1 : 0);
  } else if (auto* w = dynamic_cast<TWinControl*>(this); w && w->HandleAllocated()) {
    SetWindowPos(w->Handle(), TopMost ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

void TWinControl::Broadcast(TMessage& Message) {
  for (TControl* c : std::vector<TControl*>(controls_)) {
    if (c->WindowProc)
      c->WindowProc(Message);
    else
      c->WndProc(Message);
    if (Message.Result != 0) return;
  }
}

void TWinControl::NotifyControls(UINT Msg) {
  TMessage m = MakeMessage(Msg);
  Broadcast(m);
}

// Alignment --------------------------------------------------------------------
void TWinControl::DisableAlign() { ++alignLevel_; }

void TWinControl::EnableAlign() {
  if (--alignLevel_ == 0 && controlState_.Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() { AlignControl(nullptr); }

void TWinControl::RequestAlign() { TControl::RequestAlign(); }

void TWinControl::SetBorderWidth(Integer Value) {
  if (Value == borderWidth_) return;
  borderWidth_ = Value;
  Realign();
  Invalidate();
}

void TWinControl::AlignControl(TControl* AControl) {
  if (ComponentState().Contains(csDestroying)) return;
  if (alignLevel_ != 0) {
    controlState_.Include(csAlignmentNeeded);
    return;
  }
  DisableAlign();
  try {
    TRect r = GetClientRect();
    AlignControls(AControl, r);
  } catch (...) {
    controlState_.Exclude(csAlignmentNeeded);
    --alignLevel_;
    throw;
  }
  controlState_.Exclude(csAlignmentNeeded);
  --alignLevel_;
  if (autoSize_) AdjustSize();
}

void TWinControl::ChangeScale(Integer M, Integer D) {
  if (M == D || D == 0) return;
  DisableAlign();
  try {
    for (TControl* c : std::vector<TControl*>(controls_)) c->ChangeScale(M, D);
    TControl::ChangeScale(M, D);
  } catch (...) {
    EnableAlign();
    throw;
  }
  EnableAlign();
}

void TWinControl::AdjustClientRect(TRect& Rect) {
  Rect.Left += borderWidth_;
  Rect.Top += borderWidth_;
  Rect.Right -= borderWidth_;
  Rect.Bottom -= borderWidth_;
}

void TWinControl::AlignControls(TControl* AControl, TRect& Rect) {
  AdjustClientRect(Rect);
  TRect client = Rect;
  static const TAlign order[] = {alTop, alBottom, alLeft, alRight, alClient};
  for (TAlign a : order) {
    std::vector<TControl*> list;
    for (TControl* c : controls_)
      if (c->align_ == a && c->visible_) list.push_back(c);
    auto key = [a](TControl* c) {
      switch (a) {
        case alTop: return c->top_;
        case alBottom: return -(c->top_ + c->height_);
        case alLeft: return c->left_;
        case alRight: return -(c->left_ + c->width_);
        default: return 0;
      }
    };
    std::stable_sort(list.begin(), list.end(), [&](TControl* x, TControl* y) {
      Integer kx = key(x), ky = key(y);
      if (kx != ky) return kx < ky;
      return x == AControl && y != AControl;
    });
    for (TControl* c : list) {
      Integer w = c->width_, h = c->height_;
      switch (a) {
        case alTop:
          c->SetBounds(Rect.Left, Rect.Top, Rect.Width(), h);
          Rect.Top += c->height_;
          break;
        case alBottom:
          c->SetBounds(Rect.Left, Rect.Bottom - h, Rect.Width(), h);
          Rect.Bottom -= c->height_;
          break;
        case alLeft:
          c->SetBounds(Rect.Left, Rect.Top, w, Rect.Height());
          Rect.Left += c->width_;
          break;
        case alRight:
          c->SetBounds(Rect.Right - w, Rect.Top, w, Rect.Height());
          Rect.Right -= c->width_;
          break;
        case alClient:
          c->SetBounds(Rect.Left, Rect.Top, Rect.Width(), Rect.Height());
          break;
        default:
          break;
      }
    }
  }
  // Anchored controls keep their distances to the anchored edges.
  TRect pr = GetClientRect();
  for (TControl* c : controls_) {
    if (c->align_ != alNone || !c->anchorsValid_) continue;
    if (c->originalParentSize_.X == 0 || c->originalParentSize_.Y == 0) continue;
    Integer l = c->left_, t = c->top_, w = c->width_, h = c->height_;
    TAnchors an = c->anchors_;
    if (an.Contains(akRight)) {
      if (an.Contains(akLeft))
        w = pr.Width() - (c->originalParentSize_.X - c->anchorRules_.X);
      else
        l = pr.Width() - (c->originalParentSize_.X - c->anchorRules_.X);
    } else if (!an.Contains(akLeft)) {
      l = MulDiv(c->anchorRules_.X, pr.Width(), c->originalParentSize_.X) - w / 2;
    }
    if (an.Contains(akBottom)) {
      if (an.Contains(akTop))
        h = pr.Height() - (c->originalParentSize_.Y - c->anchorRules_.Y);
      else
        t = pr.Height() - (c->originalParentSize_.Y - c->anchorRules_.Y);
    } else if (!an.Contains(akTop)) {
      t = MulDiv(c->anchorRules_.Y, pr.Height(), c->originalParentSize_.Y) - h / 2;
    }
    // Keep the rules as they are while moving: they describe the original layout.
    TPoint rules = c->anchorRules_, orig = c->originalParentSize_;
    c->SetBounds(l, t, w, h);
    c->anchorRules_ = rules;
    c->originalParentSize_ = orig;
    c->anchorsValid_ = true;
  }
  (void)client;
  // The dock manager places the docked clients.
  if (dockSite_ && useDockManager_ && dockManager_) dockManager_->ResetBounds(false);
}

// Focus and tab order --------------------------------------------------------------
Integer TWinControl::TabOrder() const {
  if (!parent_) return -1;
  auto& l = parent_->tabList_;
  auto it = std::find(l.begin(), l.end(), this);
  return it == l.end() ? -1 : static_cast<Integer>(it - l.begin());
}

void TWinControl::SetTabOrder(Integer Value) {
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csReading)) {
    // Siblings are read one after another: keep the list sorted by the values read.
    tabOrderWanted_ = Value;
    if (!parent_) return;
    auto key = [](TWinControl* c) { return c->tabOrderWanted_ < 0 ? INT32_MAX : c->tabOrderWanted_; };
    std::stable_sort(parent_->tabList_.begin(), parent_->tabList_.end(),
                     [&](TWinControl* a, TWinControl* b) { return key(a) < key(b); });
    return;
  }
  if (!parent_) return;
  auto& l = parent_->tabList_;
  auto it = std::find(l.begin(), l.end(), this);
  if (it == l.end()) return;
  l.erase(it);
  Value = std::clamp<Integer>(Value, 0, static_cast<Integer>(l.size()));
  l.insert(l.begin() + Value, this);
}

void TWinControl::SetTabStop(bool Value) {
  if (Value == tabStop_) return;
  tabStop_ = Value;
  if (handle_) {
    LONG s = GetWindowLongW(handle_, GWL_STYLE);
    SetWindowLongW(handle_, GWL_STYLE, Value ? (s | WS_TABSTOP) : (s & ~WS_TABSTOP));
  }
  Perform(CM_TABSTOPCHANGED, 0, 0);
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& List) {
  for (TWinControl* c : tabList_) {
    List.push_back(c);
    c->GetTabOrderList(List);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop,
                                          bool CheckParent) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  if (list.empty()) return nullptr;
  Integer n = static_cast<Integer>(list.size());
  auto it = std::find(list.begin(), list.end(), CurControl);
  Integer start = it == list.end() ? (GoForward ? n - 1 : 0) : static_cast<Integer>(it - list.begin());
  Integer i = start;
  do {
    if (GoForward) {
      if (++i == n) i = 0;
    } else {
      if (i == 0) i = n;
      --i;
    }
    TWinControl* c = list[static_cast<size_t>(i)];
    if (c->CanFocus() && (!CheckTabStop || c->tabStop_) && (!CheckParent || c->parent_ == this)) return c;
  } while (i != start);
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop) {
  TWinControl* c = FindNextControl(CurControl, GoForward, CheckTabStop, !CheckTabStop);
  if (c) c->SetFocus();
}

void TWinControl::SelectFirst() {
  TCustomForm* form = GetParentForm(this);
  if (!form) return;
  TWinControl* c = form->FindNextControl(nullptr, true, true, false);
  if (!c) c = form->FindNextControl(nullptr, true, false, false);
  if (c) c->SetFocus();
}

bool TWinControl::CanFocus() {
  TCustomForm* form = GetParentForm(this);
  if (!form) return false;
  TControl* c = this;
  while (c && c != form) {
    if (!c->visible_ || !c->enabled_) return false;
    c = c->parent_;
  }
  return true;
}

bool TWinControl::Focused() { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus() {
  if (TCustomForm* form = GetParentForm(this)) {
    form->FocusControl(this);
  } else if (parentWindow_) {
    ::SetFocus(Handle());
  } else {
    ValidParentForm(this);
  }
}

void TWinControl::RemoveFocus(bool Removing) {
  if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, Removing);
}

void TWinControl::SetEnabled(bool Value) { TControl::SetEnabled(Value); }

void TWinControl::DoEnter() { OnEnter(this); }
void TWinControl::DoExit() { OnExit(this); }

// Painting -------------------------------------------------------------------------
void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, !controlStyle_.Contains(csOpaque));
}
void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_);
}
void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::PaintWindow(HDC DC) {
  TMessage m = MakeMessage(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
  DefaultHandler(m);
}

void TWinControl::PaintControls(HDC DC, TControl* First) {
  size_t i = 0;
  if (First) {
    auto it = std::find(controls_.begin(), controls_.end(), First);
    i = it == controls_.end() ? 0 : static_cast<size_t>(it - controls_.begin());
  }
  for (; i < controls_.size(); ++i) {
    TControl* c = controls_[i];
    if (dynamic_cast<TWinControl*>(c) || !c->visible_) continue;
    TRect r = c->BoundsRect();
    if (!RectVisible(DC, r.AsRECT())) continue;
    int save = SaveDC(DC);
    POINT org;
    GetViewportOrgEx(DC, &org);
    SetViewportOrgEx(DC, org.x + c->left_, org.y + c->top_, nullptr);
    IntersectClipRect(DC, 0, 0, c->width_, c->height_);
    c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(DC), 0);
    RestoreDC(DC, save);
  }
}

void TWinControl::PaintHandler(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  PAINTSTRUCT ps{};
  if (!dc) dc = BeginPaint(handle_, &ps);
  try {
    PaintWindow(dc);
    PaintControls(dc, nullptr);
    if (dockSite_ && useDockManager_ && dockManager_) dockManager_->PaintSite(dc);
  } catch (...) {
    if (!Message.WParam) EndPaint(handle_, &ps);
    throw;
  }
  if (!Message.WParam) EndPaint(handle_, &ps);
}

void TWinControl::WMPaint(TMessage& Message) {
  if (doubleBuffered_ && !Message.WParam && handle_) {
    PaintBuffered(Message);
    return;
  }
  bool hasGraphic = std::any_of(controls_.begin(), controls_.end(),
                                [](TControl* c) { return !dynamic_cast<TWinControl*>(c); });
  bool dockFrames = dockSite_ && useDockManager_ && dockManager_;
  if (!controlState_.Contains(csCustomPaint) && !hasGraphic && !dockFrames)
    DefaultHandler(Message);
  else
    PaintHandler(Message);
}

// Double buffering: the background and the content go into an off-screen
// bitmap first, which is then copied in one go, so nothing flickers.
void TWinControl::PaintBuffered(TMessage& Message) {
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(handle_, &ps);
  struct TPaintEnd {
    HWND Wnd;
    PAINTSTRUCT* Ps;
    ~TPaintEnd() { EndPaint(Wnd, Ps); }
  } paintEnd{handle_, &ps};
  RECT cr;
  ::GetClientRect(handle_, &cr);
  if (cr.right <= 0 || cr.bottom <= 0) return;
  HDC memDC = CreateCompatibleDC(dc);
  HBITMAP bmp = CreateCompatibleBitmap(dc, cr.right, cr.bottom);
  if (!memDC || !bmp) {
    if (memDC) DeleteDC(memDC);
    if (bmp) DeleteObject(bmp);
    throw EOutOfResources("Cannot create the paint buffer");
  }
  HGDIOBJ old = SelectObject(memDC, bmp);
  struct TBufferFree {
    HDC Dc;
    HBITMAP Bmp;
    HGDIOBJ Old;
    ~TBufferFree() {
      SelectObject(Dc, Old);
      DeleteDC(Dc);
      DeleteObject(Bmp);
    }
  } bufferFree{memDC, bmp, old};
  // WParam equal to LParam tells WMEraseBkgnd to paint into the buffer.
  Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memDC), reinterpret_cast<LPARAM>(memDC));
  TMessage m = MakeMessage(WM_PAINT, reinterpret_cast<WPARAM>(memDC), 0);
  WMPaint(m);
  BitBlt(dc, 0, 0, cr.right, cr.bottom, memDC, 0, 0, SRCCOPY);
  Message.Result = 0;
}

void TWinControl::WMEraseBkgnd(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  // A double-buffered control paints its background into the buffer instead.
  if (!doubleBuffered_ || Message.WParam == static_cast<WPARAM>(Message.LParam)) {
    TRect r = GetClientRect();
    FillRect(dc, r.AsRECT(), brush_->Handle());
  }
  Message.Result = 1;
}

void TWinControl::PaintTo(HDC DC, Integer X, Integer Y) {
  HandleNeeded();
  controlState_.Include(csPaintCopy);
  int save = SaveDC(DC);
  POINT org;
  GetViewportOrgEx(DC, &org);
  SetViewportOrgEx(DC, org.x + X, org.y + Y, nullptr);
  TRect cr = GetClientRect();
  Integer offX = 0, offY = 0;
  LONG style = GetWindowLongW(handle_, GWL_STYLE);
  LONG exStyle = GetWindowLongW(handle_, GWL_EXSTYLE);
  if (style & WS_CHILD) {
    RECT r{0, 0, width_, height_};
    IntersectClipRect(DC, 0, 0, width_, height_);
    if (exStyle & WS_EX_CLIENTEDGE)
      DrawEdge(DC, &r, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    else if (style & WS_BORDER)
      DrawEdge(DC, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST | BF_MONO);
    // Whatever frame is left (scroll bars, wider borders) is skipped.
    POINT client{0, 0};
    MapWindowPoints(handle_, GetParent(handle_), &client, 1);
    offX = client.x - left_;
    offY = client.y - top_;
  }
  // The client area is painted at the origin of a bitmap and copied into
  // place: some window classes (the button class without visual styles) clip
  // to their client rectangle taken as device coordinates, which cuts them
  // off wherever the target's origin is moved.
  Integer cw = cr.Width(), ch = cr.Height();
  HDC mem = nullptr;
  HBITMAP bmp = nullptr;
  HGDIOBJ oldBmp = nullptr;
  if (cw > 0 && ch > 0) {
    mem = CreateCompatibleDC(DC);
    bmp = mem ? CreateCompatibleBitmap(DC, cw, ch) : nullptr;
    if (bmp) oldBmp = SelectObject(mem, bmp);
  }
  auto release = [&] {
    if (oldBmp) SelectObject(mem, oldBmp);
    if (bmp) DeleteObject(bmp);
    if (mem) DeleteDC(mem);
    RestoreDC(DC, save);
    controlState_.Exclude(csPaintCopy);
  };
  try {
    if (bmp) {
      // What lies beneath shows where a class leaves pixels unpainted.
      BitBlt(mem, 0, 0, cw, ch, DC, offX, offY, SRCCOPY);
      Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(mem), reinterpret_cast<LPARAM>(mem));
      Perform(WM_PAINT, reinterpret_cast<WPARAM>(mem), 0);
      BitBlt(DC, offX, offY, cw, ch, mem, 0, 0, SRCCOPY);
    }
    // The child windows, each clipped to this client area as on the screen.
    IntersectClipRect(DC, offX, offY, offX + cw, offY + ch);
    for (TControl* c : std::vector<TControl*>(controls_)) {
      auto* w = dynamic_cast<TWinControl*>(c);
      if (w && w->visible_ && ContainsControl(w)) w->PaintTo(DC, offX + w->left_, offY + w->top_);
    }
  } catch (...) {
    release();
    throw;
  }
  release();
}

// Message dispatch -----------------------------------------------------------------
void TWinControl::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETFOCUS: {
      TCustomForm* form = GetParentForm(this);
      if (form && !form->SetFocusedControl(this)) return;
      break;
    }
    case WM_KILLFOCUS:
      if (controlState_.Contains(csFocusing)) return;
      break;
    case WM_NCHITTEST:
      break;
    default:
      if (Message.Msg >= WM_MOUSEFIRST && Message.Msg <= WM_MOUSELAST && Message.Msg != WM_MOUSEWHEEL) {
        if (IsControlMouseMsg(Message)) return;
      }
      break;
  }
  TControl::WndProc(Message);
}

bool TWinControl::IsControlMouseMsg(TMessage& Message) {
  TControl* c = nullptr;
  if (handle_ && GetCapture() == handle_) {
    if (captureControl && captureControl->parent_ == this) c = captureControl;
  } else {
    c = ControlAtPos(MessagePoint(Message.LParam), false);
  }
  if (!c) return false;
  TPoint p = MessagePoint(Message.LParam);
  TMessage m = Message;
  m.LParam = PointToLParam(Point(p.X - c->left_, p.Y - c->top_));
  if (c->WindowProc)
    c->WindowProc(m);
  else
    c->WndProc(m);
  Message.Result = m.Result;
  return true;
}

void TWinControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PAINT: WMPaint(Message); break;
    case WM_ERASEBKGND: WMEraseBkgnd(Message); break;
    case WM_SIZE: WMSize(Message); break;
    case WM_MOVE: WMMove(Message); break;
    case WM_SETFOCUS: WMSetFocus(Message); break;
    case WM_KILLFOCUS: WMKillFocus(Message); break;
    case WM_KEYDOWN: WMKeyDown(Message); break;
    case WM_KEYUP: WMKeyUp(Message); break;
    case WM_CHAR: WMChar(Message); break;
    case WM_SYSKEYDOWN: WMSysKeyDown(Message); break;
    case WM_SYSKEYUP: WMSysKeyUp(Message); break;
    case WM_SETCURSOR: WMSetCursor(Message); break;
    case WM_CONTEXTMENU: WMContextMenu(Message); break;
    case WM_COMMAND: WMCommand(Message); break;
    case WM_NOTIFY: WMNotify(Message); break;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC: WMCtlColor(Message); break;
    case WM_DRAWITEM: WMDrawItem(Message); break;
    case WM_MEASUREITEM: WMMeasureItem(Message); break;
    case WM_COMPAREITEM: WMCompareItem(Message); break;
    case WM_DELETEITEM: WMDeleteItem(Message); break;
    case WM_HSCROLL: WMHScroll(Message); break;
    case WM_VSCROLL: WMVScroll(Message); break;
    case WM_MOUSELEAVE: WMMouseLeave(Message); break;
    case WM_NCDESTROY: WMNCDestroy(Message); break;
    case CN_KEYDOWN: CNKeyDown(Message); break;
    case CN_KEYUP: CNKeyUp(Message); break;
    case CN_CHAR: CNChar(Message); break;
    case CN_SYSKEYDOWN: CNSysKeyDown(Message); break;
    case CN_SYSCHAR: CNSysChar(Message); break;
    case CN_CTLCOLORMSGBOX:
    case CN_CTLCOLOREDIT:
    case CN_CTLCOLORLISTBOX:
    case CN_CTLCOLORBTN:
    case CN_CTLCOLORDLG:
    case CN_CTLCOLORSCROLLBAR:
    case CN_CTLCOLORSTATIC: CNCtlColor(Message); break;
    case CM_DIALOGKEY: CMDialogKey(Message); break;
    case CM_DIALOGCHAR: CMDialogChar(Message); break;
    case CM_FOCUSCHANGED: CMFocusChanged(Message); break;
    case CM_ENTER: CMEnter(Message); break;
    case CM_EXIT: CMExit(Message); break;
    case CM_SHOWINGCHANGED: CMShowingChanged(Message); break;
    case CM_CONTROLCHANGE: CMControlChange(Message); break;
    case CM_CONTROLLISTCHANGE: CMControlListChange(Message); break;
    case CM_DOCKCLIENT: CMDockClient(Message); break;
    case CM_UNDOCKCLIENT: CMUndockClient(Message); break;
    case CM_DOCKNOTIFICATION: CMDockNotification(Message); break;
    case CM_SHOWHINTCHANGED: NotifyControls(CM_PARENTSHOWHINTCHANGED); break;
    case CM_CTL3DCHANGED: CMCtl3DChanged(Message); break;
    case CM_PARENTCTL3DCHANGED: CMParentCtl3DChanged(Message); break;
    default: TControl::Dispatch(Message); break;
  }
}

void TWinControl::DefaultHandler(TMessage& Message) {
  if (handle_) {
    Message.Result = CallWindowProcW(defWndProc_ ? defWndProc_ : DefWindowProcW, handle_, Message.Msg,
                                     Message.WParam, Message.LParam);
    return;
  }
  TControl::DefaultHandler(Message);
}

// Focus messages -----------------------------------------------------------------
void TWinControl::WMSetFocus(TMessage& Message) { DefaultHandler(Message); }
void TWinControl::WMKillFocus(TMessage& Message) { DefaultHandler(Message); }

void TWinControl::CMEnter(TMessage&) { DoEnter(); }
void TWinControl::CMExit(TMessage&) { DoExit(); }
void TWinControl::CMFocusChanged(TMessage& Message) { Broadcast(Message); }
void TWinControl::CMDialogKey(TMessage& Message) { Broadcast(Message); }
void TWinControl::CMDialogChar(TMessage& Message) { Broadcast(Message); }

void TWinControl::CMShowingChanged(TMessage&) {
  SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
               SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE |
                   (showing_ ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
}

void TWinControl::CMControlChange(TMessage&) {}
void TWinControl::CMControlListChange(TMessage&) {}
// CMDockClient, CMUndockClient, CMDockNotification: Controls_Dock.cpp.

void TWinControl::CMVisibleChanged(TMessage&) {
  if (!visible_ && parent_) RemoveFocus(false);
  UpdateControlState();
}

void TWinControl::CMEnabledChanged(TMessage&) {
  if (!enabled_ && parent_) RemoveFocus(false);
  if (handle_) EnableWindow(handle_, enabled_);
}

void TWinControl::CMFontChanged(TMessage& Message) {
  TControl::CMFontChanged(Message);
  if (handle_) ::SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_->Handle()), 0);
  NotifyControls(CM_PARENTFONTCHANGED);
}

void TWinControl::CMColorChanged(TMessage& Message) {
  TControl::CMColorChanged(Message);
  brush_->SetColor(color_);
  NotifyControls(CM_PARENTCOLORCHANGED);
}

void TWinControl::CMTextChanged(TMessage& Message) { TControl::CMTextChanged(Message); }

void TWinControl::CMSysColorChange(TMessage& Message) {
  TControl::CMSysColorChange(Message);
  NotifyControls(CM_SYSCOLORCHANGE);
}

// Keyboard ------------------------------------------------------------------------
bool TWinControl::DoKeyDown(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyDown(Message))
    return true;
  if (!controlStyle_.Contains(csNoStdEvents)) {
    Word key = static_cast<Word>(Message.WParam);
    KeyDown(key, KeyDataToShiftState(Message.LParam));
    Message.WParam = key;
    if (key == 0) return true;
  }
  return false;
}

bool TWinControl::DoKeyUp(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyUp(Message))
    return true;
  if (!controlStyle_.Contains(csNoStdEvents)) {
    Word key = static_cast<Word>(Message.WParam);
    KeyUp(key, KeyDataToShiftState(Message.LParam));
    Message.WParam = key;
    if (key == 0) return true;
  }
  return false;
}

bool TWinControl::DoKeyPress(TMessage& Message) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && static_cast<TWinControl*>(form)->DoKeyPress(Message))
    return true;
  if (!controlStyle_.Contains(csNoStdEvents)) {
    // KeyPress sees the character in the ANSI code page (KeyPressChar).
    WPARAM original = Message.WParam;
    char ch = KeyPressChar(original);
    const char given = ch;
    KeyPress(ch);
    if (ch == 0) return true;
    if (ch != given) Message.WParam = KeyPressCharToWide(ch);
  }
  return false;
}

void TWinControl::KeyDown(Word& Key, TShiftState Shift) { OnKeyDown(this, Key, Shift); }
void TWinControl::KeyUp(Word& Key, TShiftState Shift) { OnKeyUp(this, Key, Shift); }
void TWinControl::KeyPress(char& Key) { OnKeyPress(this, Key); }

void TWinControl::WMKeyDown(TMessage& Message) {
  if (!DoKeyDown(Message)) DefaultHandler(Message);
}
void TWinControl::WMSysKeyDown(TMessage& Message) {
  if (!DoKeyDown(Message)) DefaultHandler(Message);
}
void TWinControl::WMKeyUp(TMessage& Message) {
  if (!DoKeyUp(Message)) DefaultHandler(Message);
}
void TWinControl::WMSysKeyUp(TMessage& Message) {
  if (!DoKeyUp(Message)) DefaultHandler(Message);
}
void TWinControl::WMChar(TMessage& Message) {
  if (!DoKeyPress(Message)) DefaultHandler(Message);
}

// Shortcuts of the popup menus up the parent chain are the menus' business
// (their own hooks); the form answers its own shortcuts here.
static bool IsFormShortCut(TWinControl* Control, TMessage& Message) {
  TCustomForm* form = GetParentForm(Control);
  return form && form->IsShortCut(Message);
}

void TWinControl::CNKeyDown(TMessage& Message) {
  Message.Result = 1;
  if (IsFormShortCut(this, Message)) return;
  if (Perform(CM_CHILDKEY, Message.WParam, reinterpret_cast<LPARAM>(this)) != 0) return;
  UINT mask = 0;
  switch (Message.WParam) {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
    default: break;
  }
  if (mask != 0 && Perform(CM_WANTSPECIALKEY, Message.WParam, 0) == 0 &&
      (static_cast<UINT>(Perform(WM_GETDLGCODE, 0, 0)) & mask) == 0) {
    if (TCustomForm* form = GetParentForm(this))
      if (form->Perform(CM_DIALOGKEY, Message.WParam, Message.LParam) != 0) return;
  }
  Message.Result = 0;
}

void TWinControl::CNKeyUp(TMessage& Message) { Message.Result = 0; }

void TWinControl::CNChar(TMessage& Message) {
  Message.Result = 1;
  if ((static_cast<UINT>(Perform(WM_GETDLGCODE, 0, 0)) & DLGC_WANTCHARS) == 0) {
    if (TCustomForm* form = GetParentForm(this))
      if (form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) return;
  }
  Message.Result = 0;
}

void TWinControl::CNSysKeyDown(TMessage& Message) {
  Message.Result = IsFormShortCut(this, Message) ? 1 : 0;
}

void TWinControl::CNSysChar(TMessage& Message) {
  Message.Result = 1;
  if (Message.WParam != VK_SPACE) {
    if (TCustomForm* form = GetParentForm(this))
      if (form->Perform(CM_DIALOGCHAR, Message.WParam, Message.LParam) != 0) return;
  }
  Message.Result = 0;
}

// Cursor and context menu ------------------------------------------------------------
void TWinControl::WMSetCursor(TMessage& Message) {
  if (reinterpret_cast<HWND>(Message.WParam) == handle_ && LOWORD(Message.LParam) == HTCLIENT && Screen) {
    TCursor cursor = Screen->Cursor();
    if (cursor == crDefault) {
      POINT p;
      GetCursorPos(&p);
      TControl* c = ControlAtPos(ScreenToClient(Point(p.x, p.y)), false);
      if (c) cursor = c->cursor_;
      if (cursor == crDefault) cursor = cursor_;
    }
    if (cursor != crDefault) {
      ::SetCursor(Screen->Cursors(cursor));
      Message.Result = 1;
      return;
    }
  }
  DefaultHandler(Message);
}

void TWinControl::WMContextMenu(TMessage& Message) {
  TPoint sp = MessagePoint(Message.LParam);
  bool keyboard = sp.X == -1 && sp.Y == -1;
  TControl* target = this;
  TPoint cp = keyboard ? Point(-1, -1) : ScreenToClient(sp);
  if (!keyboard) {
    if (TControl* c = ControlAtPos(cp, false)) {
      target = c;
      cp = Point(cp.X - c->left_, cp.Y - c->top_);
    }
  }
  bool handled = false;
  target->DoContextPopup(cp, handled);
  if (handled) {
    Message.Result = 1;
    return;
  }
  for (TControl* c = target; c; c = c->parent_) {
    if (!c->popupMenu_) continue;
    if (auto* menu = dynamic_cast<IPopupMenu*>(c->popupMenu_); menu && menu->AutoPopup()) {
      if (keyboard) sp = ClientToScreen(Point(0, 0));
      menu->SetPopupComponent(c);
      menu->Popup(sp.X, sp.Y);
      Message.Result = 1;
      return;
    }
    break;
  }
  DefaultHandler(Message);
}

// Reflection of child notifications ---------------------------------------------------
bool TWinControl::ReflectToChild(HWND Child, TMessage& Message) {
  TWinControl* c = FindControl(Child);
  if (!c || c == this) return false;
  Message.Result = c->Perform(CN_BASE + Message.Msg, Message.WParam, Message.LParam);
  return true;
}

void TWinControl::WMCommand(TMessage& Message) {
  if (Message.LParam && ReflectToChild(reinterpret_cast<HWND>(Message.LParam), Message)) return;
  DefaultHandler(Message);
}

void TWinControl::WMNotify(TMessage& Message) {
  auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
  if (hdr && ReflectToChild(hdr->hwndFrom, Message)) return;
  DefaultHandler(Message);
}

void TWinControl::WMCtlColor(TMessage& Message) {
  if (ReflectToChild(reinterpret_cast<HWND>(Message.LParam), Message)) return;
  DefaultHandler(Message);
}

void TWinControl::CNCtlColor(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(font_->Color())));
  SetBkColor(dc, static_cast<COLORREF>(ColorToRGB(brush_->Color())));
  Message.Result = reinterpret_cast<LRESULT>(brush_->Handle());
}

void TWinControl::WMDrawItem(TMessage& Message) {
  auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  if (dis && dis->CtlType != ODT_MENU && ReflectToChild(dis->hwndItem, Message)) return;
  DefaultHandler(Message);
}

void TWinControl::WMMeasureItem(TMessage& Message) {
  auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(Message.LParam);
  if (mis && mis->CtlType != ODT_MENU) {
    HWND child = GetDlgItem(handle_, static_cast<int>(mis->CtlID));
    // The item may be measured while the child's window is still being created.
    if (!child && creationControl && creationControl->parent_ == this) {
      Message.Result = creationControl->Perform(CN_MEASUREITEM, Message.WParam, Message.LParam);
      return;
    }
    if (child && ReflectToChild(child, Message)) return;
  }
  DefaultHandler(Message);
}

void TWinControl::WMCompareItem(TMessage& Message) {
  auto* cis = reinterpret_cast<COMPAREITEMSTRUCT*>(Message.LParam);
  if (cis && ReflectToChild(cis->hwndItem, Message)) return;
  DefaultHandler(Message);
}

void TWinControl::WMDeleteItem(TMessage& Message) {
  auto* dis = reinterpret_cast<DELETEITEMSTRUCT*>(Message.LParam);
  if (dis && ReflectToChild(dis->hwndItem, Message)) return;
  DefaultHandler(Message);
}

void TWinControl::WMHScroll(TMessage& Message) {
  if (Message.LParam && ReflectToChild(reinterpret_cast<HWND>(Message.LParam), Message)) return;
  DefaultHandler(Message);
}

void TWinControl::WMVScroll(TMessage& Message) {
  if (Message.LParam && ReflectToChild(reinterpret_cast<HWND>(Message.LParam), Message)) return;
  DefaultHandler(Message);
}

void TWinControl::WMMouseLeave(TMessage& Message) {
  trackingMouse_ = false;
  if (mouseControl == this || (mouseControl && mouseControl->parent_ == this &&
                               !dynamic_cast<TWinControl*>(mouseControl)))
    SetMouseControl(nullptr);
  DefaultHandler(Message);
}

void TWinControl::WMNCDestroy(TMessage& Message) { DefaultHandler(Message); }
