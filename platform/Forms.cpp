// TCustomForm: window styles, showing and placing, modal loop, closing,
// activation and the focus bookkeeping of its controls, the main menu (bar,
// commands, popups, hints, shortcuts), the wheel's start and F1 help.
#include <algorithm>

#include "platform/FormReader.h"
#include "platform/Forms.h"
#include "platform/Menus.h"

namespace {

// Window style bits of a form's border settings.
void BorderStyleBits(TFormBorderStyle Border, TBorderIcons Icons, TFormStyle Style, bool TopLevel, DWORD& WinStyle,
                     DWORD& ExStyle) {
  switch (Border) {
    case bsNone:
      if (TopLevel) WinStyle |= WS_POPUP;
      Icons = TBorderIcons{};
      break;
    case bsSingle:
    case bsToolWindow:
      WinStyle |= WS_CAPTION | WS_BORDER;
      break;
    case bsSizeable:
    case bsSizeToolWin:
      WinStyle |= WS_CAPTION | WS_THICKFRAME;
      break;
    case bsDialog:
      WinStyle |= WS_POPUP | WS_CAPTION;
      ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      Icons.Exclude(biMinimize).Exclude(biMaximize);
      break;
  }
  if (Border == bsToolWindow || Border == bsSizeToolWin) {
    ExStyle |= WS_EX_TOOLWINDOW;
    Icons.Exclude(biMinimize).Exclude(biMaximize);
  }
  if (Icons.Contains(biSystemMenu)) WinStyle |= WS_SYSMENU;
  if (Icons.Contains(biSystemMenu) && Icons.Contains(biMinimize)) WinStyle |= WS_MINIMIZEBOX;
  if (Icons.Contains(biSystemMenu) && Icons.Contains(biMaximize)) WinStyle |= WS_MAXIMIZEBOX;
  if (Icons.Contains(biHelp) && !(WinStyle & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX))) ExStyle |= WS_EX_CONTEXTHELP;
  if (Style == fsStayOnTop) ExStyle |= WS_EX_TOPMOST;
}

// The windows of this thread that a modal form disables while it runs.
struct TTaskWindows {
  HWND Active;
  std::vector<HWND> Windows;
};

BOOL CALLBACK DisableTaskWindowProc(HWND Wnd, LPARAM Data) {
  auto* list = reinterpret_cast<TTaskWindows*>(Data);
  if (Wnd != list->Active && IsWindowVisible(Wnd) && IsWindowEnabled(Wnd)) {
    list->Windows.push_back(Wnd);
    EnableWindow(Wnd, FALSE);
  }
  return TRUE;
}

}  // namespace

// ---------------------------------------------------------------------------
TCustomForm::TCustomForm(TComponent* AOwner) : TCustomControl(AOwner) {
  visible_ = false;
  controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  width_ = 320;
  height_ = 240;
  parentColor_ = false;
  parentFont_ = false;
  color_ = clBtnFace;
  brush_->SetColor(clBtnFace);
  icon_ = std::make_unique<TIcon>();
  // A form read without PixelsPerInch was designed at this resolution.
  if (Screen) pixelsPerInch_ = Screen->PixelsPerInch();
  if (Screen) Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
  if (!formState_.Contains(fsCreating) && constructed_) {
    try {
      DoDestroy();
    } catch (...) {
      if (Application) Application->HandleException(this);
    }
  }
  Destroying();
  if (Screen) Screen->RemoveForm(this);
  if (Application) Application->FormDestroyed(this);
  if (handle_) {
    // The form's window goes first and takes the child windows with it:
    // WM_DESTROY reaches the form while its children's windows still exist.
    try {
      DestroyWindowHandle();
    } catch (...) {
    }
  }
}

void TCustomForm::AfterConstruction() {
  if (constructed_) return;
  constructed_ = true;
  formState_.Include(fsCreating);
  try {
    ReadFormResource();
  } catch (...) {
    formState_.Exclude(fsCreating);
    throw;
  }
  formState_.Exclude(fsCreating);
  DoCreate();
}

void TCustomForm::ReadFormResource() {
  // A form without a resource (one built in code) is fine.
  InitInheritedComponent(this);
}

void TCustomForm::Loaded() {
  TCustomControl::Loaded();
  if (pendingClientWidth_ >= 0) {
    Integer w = pendingClientWidth_, h = pendingClientHeight_;
    pendingClientWidth_ = pendingClientHeight_ = -1;
    SetClientSize(w, h);
  }
  // A form designed at another screen resolution is scaled to this one.
  if (scaled_ && Screen && pixelsPerInch_ > 0 && pixelsPerInch_ != Screen->PixelsPerInch()) {
    ChangeScale(Screen->PixelsPerInch(), pixelsPerInch_);
    pixelsPerInch_ = Screen->PixelsPerInch();
  }
}

void TCustomForm::ChangeScale(Integer M, Integer D) {
  if (M == D || D == 0) return;
  Integer w = ClientWidth(), h = ClientHeight();
  DisableAlign();
  try {
    for (TControl* c : std::vector<TControl*>(controls_)) c->ChangeScale(M, D);
    if (!parentFont_) font_->SetSize(MulDiv(font_->Size(), M, D));
    SetClientSize(MulDiv(w, M, D), MulDiv(h, M, D));
  } catch (...) {
    EnableAlign();
    throw;
  }
  EnableAlign();
}

void TCustomForm::SetFormVisible(bool Value) {
  if (ComponentState().Contains(csLoading) || formState_.Contains(fsCreating)) {
    if (Value)
      formState_.Include(fsVisible);
    else
      formState_.Exclude(fsVisible);
    return;
  }
  SetVisible(Value);
}

void TCustomForm::DoCreate() {
  try {
    OnCreate(this);
  } catch (...) {
    if (Application) Application->HandleException(this);
  }
  if (formState_.Contains(fsVisible)) SetVisible(true);
}

void TCustomForm::DoDestroy() {
  TNotifyEvent e = OnDestroy;
  OnDestroy = nullptr;  // once
  e(this);
}

void TCustomForm::DoShow() { OnShow(this); }
void TCustomForm::DoHide() { OnHide(this); }
void TCustomForm::DoClose(TCloseAction& Action) { OnClose(this, Action); }
void TCustomForm::Activate() { OnActivate(this); }
void TCustomForm::Deactivate() { OnDeactivate(this); }
void TCustomForm::Paint() { OnPaint(this); }

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == opRemove) {
    if (AComponent == menu_) {
      // The menu detached itself from the window when it went.
      menu_ = nullptr;
    }
    if (AComponent == activeControl_) activeControl_ = nullptr;
    if (AComponent == focusedControl_) focusedControl_ = nullptr;
  }
}

// Properties -----------------------------------------------------------------------
void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (Value == borderStyle_) return;
  borderStyle_ = Value;
  RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
  if (Value == borderIcons_) return;
  borderIcons_ = Value;
  RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
  if (Value == formStyle_) return;
  TFormStyle old = formStyle_;
  formStyle_ = Value;
  if (!handle_) return;
  if ((old == fsStayOnTop || Value == fsStayOnTop) && old != fsMDIChild && old != fsMDIForm &&
      Value != fsMDIChild && Value != fsMDIForm) {
    SetWindowPos(handle_, Value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  } else {
    RecreateWnd();
  }
}

TWindowState TCustomForm::WindowState() const {
  if (handle_) {
    if (IsIconic(handle_)) return wsMinimized;
    if (IsZoomed(handle_)) return wsMaximized;
    return wsNormal;
  }
  return windowState_;
}

void TCustomForm::SetWindowState(TWindowState Value) {
  windowState_ = Value;
  if (handle_ && showing_) {
    static const int cmd[] = {SW_SHOWNORMAL, SW_MINIMIZE, SW_SHOWMAXIMIZED};
    ShowWindow(handle_, cmd[Value]);
  }
}

void TCustomForm::SetIcon(TIcon* Value) {
  icon_->Assign(Value);
  if (handle_ && !icon_->Empty())
    ::SendMessageW(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_->Handle()));
}

void TCustomForm::SetMenu(TMainMenu* Value) {
  if (Value && Screen)
    for (Integer i = 0; i < Screen->FormCount(); ++i)
      if (Screen->Forms(i) != this && Screen->Forms(i)->menu_ == Value)
        throw EInvalidOperation("Menu '" + Value->Name() + "' is already being used by another form");
  if (ComponentState().Contains(csDestroying) || (Value && Value->ComponentState().Contains(csDestroying)))
    Value = nullptr;
  if (Value == menu_) return;
  if (menu_) {
    if (handle_ && menu_->WindowHandle() == handle_) menu_->SetWindowHandle(nullptr);
    menu_->RemoveFreeNotification(this);
  }
  menu_ = Value;
  if (Value) Value->FreeNotification(this);
  UpdateMenuBar();
}

bool TCustomForm::MenuBarAllowed() const {
  return borderStyle_ != bsDialog && formStyle_ != fsMDIChild && !parent_ && !parentWindow_;
}

void TCustomForm::UpdateMenuBar() {
  if (!handle_ || !MenuBarAllowed() || (GetWindowLongW(handle_, GWL_STYLE) & WS_CHILD)) return;
  if (menu_) {
    menu_->SetWindowHandle(handle_);
  } else if (GetMenu(handle_)) {
    ::SetMenu(handle_, nullptr);
    DrawMenuBar(handle_);
  }
}

// Geometry ---------------------------------------------------------------------------
TRect TCustomForm::GetClientRect() {
  if (pendingClientWidth_ >= 0 && pendingClientHeight_ >= 0) return Rect(0, 0, pendingClientWidth_, pendingClientHeight_);
  if (handle_) return TWinControl::GetClientRect();
  DWORD style = 0, ex = 0;
  BorderStyleBits(borderStyle_, borderIcons_, formStyle_, !parent_, style, ex);
  RECT r{0, 0, 0, 0};
  AdjustWindowRectEx(&r, style, menu_ && MenuBarAllowed(), ex);
  return Rect(0, 0, std::max(0L, width_ - (r.right - r.left) - 2L * borderWidth_),
              std::max(0L, height_ - (r.bottom - r.top) - 2L * borderWidth_));
}

TPoint TCustomForm::ClientOrigin() {
  if (handle_ || parent_) return TWinControl::ClientOrigin();
  DWORD style = 0, ex = 0;
  BorderStyleBits(borderStyle_, borderIcons_, formStyle_, true, style, ex);
  RECT r{0, 0, 0, 0};
  AdjustWindowRectEx(&r, style, menu_ && MenuBarAllowed(), ex);
  return Point(left_ - r.left + borderWidth_, top_ - r.top + borderWidth_);
}

void TCustomForm::SetClientSize(Integer W, Integer H) {
  if (ComponentState().Contains(csLoading)) {
    pendingClientWidth_ = W;
    pendingClientHeight_ = H;
    return;
  }
  TRect r = GetClientRect();
  SetBounds(left_, top_, width_ - r.Width() + W, height_ - r.Height() + H);
}

void TCustomForm::SetBorderWidth(Integer Value) {
  if (Value < 0) Value = 0;
  if (Value == borderWidth_) return;
  borderWidth_ = Value;
  // The window keeps its size; its client area grows or shrinks.
  if (handle_)
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                 SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE | SWP_FRAMECHANGED);
  Realign();
}

void TCustomForm::AdjustClientRect(TRect& Rect) {
  TCustomControl::AdjustClientRect(Rect);
  // The base takes the border width off; here it lies outside the client area.
  Rect.Left -= borderWidth_;
  Rect.Top -= borderWidth_;
  Rect.Right += borderWidth_;
  Rect.Bottom += borderWidth_;
}

void TCustomForm::WMNCCalcSize(TMessage& Message) {
  DefaultHandler(Message);
  if (borderWidth_ <= 0 || !Message.LParam) return;
  // Either form of the message starts with the client rectangle to adjust.
  RECT* r = reinterpret_cast<RECT*>(Message.LParam);
  r->left += borderWidth_;
  r->top += borderWidth_;
  r->right = std::max(r->left, r->right - borderWidth_);
  r->bottom = std::max(r->top, r->bottom - borderWidth_);
}

void TCustomForm::WMNCPaint(TMessage& Message) {
  DefaultHandler(Message);
  if (borderWidth_ <= 0 || !handle_ || IsIconic(handle_)) return;
  RECT wr, cr;
  GetWindowRect(handle_, &wr);
  ::GetClientRect(handle_, &cr);
  POINT origin{0, 0};
  ::ClientToScreen(handle_, &origin);
  OffsetRect(&cr, origin.x - wr.left, origin.y - wr.top);
  RECT band = cr;
  InflateRect(&band, borderWidth_, borderWidth_);
  HDC dc = GetWindowDC(handle_);
  if (!dc) return;
  ExcludeClipRect(dc, cr.left, cr.top, cr.right, cr.bottom);
  FillRect(dc, &band, brush_->Handle());
  ReleaseDC(handle_, dc);
}

void TCustomForm::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  TCustomControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

// Window -------------------------------------------------------------------------------
void TCustomForm::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  bool topLevel = !parent_ && !parentWindow_;
  Params.Style &= ~static_cast<DWORD>(WS_CHILD | WS_GROUP | WS_TABSTOP);
  if (!topLevel) Params.Style |= WS_CHILD;
  if (topLevel && Application) Params.WndParent = Application->Handle();
  Params.ExStyle &= ~static_cast<DWORD>(WS_EX_CONTROLPARENT);
  Params.WindowClass.style = CS_DBLCLKS;
  BorderStyleBits(borderStyle_, borderIcons_, formStyle_, topLevel, Params.Style, Params.ExStyle);
  if (borderStyle_ == bsDialog) Params.WindowClass.style |= CS_SAVEBITS;
  if (formStyle_ == fsMDIChild) {
    Params.ExStyle |= WS_EX_MDICHILD;
    Params.Style &= ~static_cast<DWORD>(WS_POPUP);
  }
  if (windowState_ == wsMinimized) Params.Style |= WS_MINIMIZE;
  if (windowState_ == wsMaximized) Params.Style |= WS_MAXIMIZE;
  if (position_ == poDefault || position_ == poDefaultPosOnly) {
    Params.X = static_cast<Integer>(CW_USEDEFAULT);
    Params.Y = static_cast<Integer>(CW_USEDEFAULT);
  }
}

void TCustomForm::CreateWindowHandle(const TCreateParams& Params) {
  if (formStyle_ == fsMDIChild) {
    TCustomForm* frame = Application ? Application->MainForm() : nullptr;
    if (!frame || frame->formStyle_ != fsMDIForm || !frame->Handle() || !frame->clientHandle_)
      throw EInvalidOperation("Cannot create form. No MDI forms are currently active");
    HWND h = CreateMDIWindowW(Params.WinClassName.c_str(), Params.Caption.c_str(),
                              Params.Style & ~static_cast<DWORD>(WS_VISIBLE), Params.X, Params.Y, Params.Width,
                              Params.Height, frame->clientHandle_, Params.WindowClass.hInstance,
                              reinterpret_cast<LPARAM>(Params.Param));
    if (h) handle_ = h;
    formState_.Include(fsCreatedMDIChild);
    return;
  }
  TCustomControl::CreateWindowHandle(Params);
}

void TCustomForm::CreateWnd() {
  TCustomControl::CreateWnd();
  UpdateMenuBar();
  if (!icon_->Empty())
    ::SendMessageW(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_->Handle()));
  if (formStyle_ == fsMDIForm && !clientHandle_) {
    CLIENTCREATESTRUCT ccs{};
    ccs.idFirstChild = 0xFF00;
    RECT r;
    ::GetClientRect(handle_, &r);
    clientHandle_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                                    WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL,
                                    0, 0, r.right, r.bottom, handle_, nullptr, GetModuleHandleW(nullptr), &ccs);
  }
}

void TCustomForm::DestroyWindowHandle() {
  // Destroying a window destroys its menu: the main menu keeps its own.
  if (menu_ && handle_ && menu_->WindowHandle() == handle_) {
    menu_->SetTracking(false);
    menu_->SetWindowHandle(nullptr);
  }
  if (clientHandle_) {
    DestroyWindow(clientHandle_);
    clientHandle_ = nullptr;
  }
  if (formState_.Contains(fsCreatedMDIChild) && handle_) {
    HWND client = GetParent(handle_);
    formState_.Exclude(fsCreatedMDIChild);
    HWND h = handle_;
    if (client) ::SendMessageW(client, WM_MDIDESTROY, reinterpret_cast<WPARAM>(h), 0);
    if (handle_ == h && IsWindow(h)) TCustomControl::DestroyWindowHandle();
    handle_ = nullptr;
    showing_ = false;
    return;
  }
  TCustomControl::DestroyWindowHandle();
}

void TCustomForm::DefaultHandler(TMessage& Message) {
  if (handle_ && clientHandle_) {
    Message.Result = DefFrameProcW(handle_, clientHandle_, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  if (handle_ && formStyle_ == fsMDIChild && formState_.Contains(fsCreatedMDIChild)) {
    Message.Result = DefMDIChildProcW(handle_, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  TCustomControl::DefaultHandler(Message);
}

TCustomForm* TCustomForm::ActiveMDIChild() {
  if (!clientHandle_) return nullptr;
  HWND h = reinterpret_cast<HWND>(::SendMessageW(clientHandle_, WM_MDIGETACTIVE, 0, 0));
  return dynamic_cast<TCustomForm*>(FindControl(h));
}

Integer TCustomForm::MDIChildCount() {
  Integer n = 0;
  if (!clientHandle_ || !Screen) return 0;
  for (Integer i = 0; i < Screen->FormCount(); ++i) {
    TCustomForm* f = Screen->Forms(i);
    if (f->formStyle_ == fsMDIChild && f->handle_ && GetParent(f->handle_) == clientHandle_) ++n;
  }
  return n;
}

TCustomForm* TCustomForm::MDIChildren(Integer I) {
  if (!clientHandle_ || !Screen) return nullptr;
  for (Integer i = 0; i < Screen->FormCount(); ++i) {
    TCustomForm* f = Screen->Forms(i);
    if (f->formStyle_ == fsMDIChild && f->handle_ && GetParent(f->handle_) == clientHandle_) {
      if (I == 0) return f;
      --I;
    }
  }
  return nullptr;
}

// Showing ------------------------------------------------------------------------------
void TCustomForm::Show() {
  AfterConstruction();
  SetVisible(true);
  BringToFront();
}

void TCustomForm::PlaceForm() {
  if (parent_ || formStyle_ == fsMDIChild) return;
  TRect area = Screen ? Screen->WorkAreaRect() : Rect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
  TCustomForm* center = nullptr;
  switch (position_) {
    case poScreenCenter:
    case poDesktopCenter:
      SetBounds(area.Left + (area.Width() - width_) / 2, area.Top + (area.Height() - height_) / 2, width_, height_);
      return;
    case poMainFormCenter:
      center = Application ? Application->MainForm() : nullptr;
      break;
    case poOwnerFormCenter:
      center = dynamic_cast<TCustomForm*>(Owner());
      if (!center && Application) center = Application->MainForm();
      break;
    default:
      return;
  }
  if (center && center != this && center->handle_) {
    Integer x = center->left_ + (center->width_ - width_) / 2;
    Integer y = center->top_ + (center->height_ - height_) / 2;
    x = std::max(area.Left, std::min(x, area.Right - width_));
    y = std::max(area.Top, std::min(y, area.Bottom - height_));
    SetBounds(x, y, width_, height_);
  } else {
    SetBounds(area.Left + (area.Width() - width_) / 2, area.Top + (area.Height() - height_) / 2, width_, height_);
  }
}

void TCustomForm::CMShowingChanged(TMessage&) {
  if (showing_) {
    formState_.Include(fsShowing);
    try {
      DoShow();
    } catch (...) {
      formState_.Exclude(fsShowing);
      throw;
    }
    formState_.Exclude(fsShowing);
    PlaceForm();
    // Placed once: shown again later, the form stays where it was left.
    position_ = poDesigned;
    static const int cmd[] = {SW_SHOWNORMAL, SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED};
    if (formStyle_ == fsMDIChild && windowState_ == wsNormal) {
      ShowWindow(handle_, SW_SHOW);
      if (HWND client = GetParent(handle_)) ::SendMessageW(client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(handle_), 0);
    } else
      ShowWindow(handle_, cmd[windowState_]);
    if (formStyle_ == fsStayOnTop)
      SetWindowPos(handle_, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    if (!active_ && GetActiveWindow() == handle_) SetActive(true);
  } else {
    try {
      DoHide();
    } catch (...) {
      if (Application) Application->HandleException(this);
    }
    if (Screen && Screen->FocusedForm() == this) Screen->SetFocusedForm(nullptr);
    ShowWindow(handle_, SW_HIDE);
    if (active_) SetActive(false);
  }
}

TModalResult TCustomForm::ShowModal() {
  AfterConstruction();
  if (visible_ || !enabled_ || formState_.Contains(fsModal) || formStyle_ == fsMDIChild)
    throw EInvalidOperation("Cannot make a visible window modal");
  if (HWND cap = GetCapture()) ::SendMessageW(cap, WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  formState_.Include(fsModal);
  HWND activeWindow = GetActiveWindow();
  TCustomForm* savedFocusedForm = Screen ? Screen->FocusedForm() : nullptr;
  TCursor saveCursor = Screen ? Screen->Cursor() : crDefault;
  if (Screen) Screen->SetCursor(crDefault);
  TTaskWindows task{Handle(), {}};
  EnumThreadWindows(GetCurrentThreadId(), DisableTaskWindowProc, reinterpret_cast<LPARAM>(&task));
  auto restore = [&] {
    for (HWND w : task.Windows)
      if (IsWindow(w)) EnableWindow(w, TRUE);
    if (Screen) {
      Screen->SetFocusedForm(savedFocusedForm);
      Screen->SetCursor(saveCursor);
    }
    if (activeWindow && IsWindow(activeWindow)) SetActiveWindow(activeWindow);
    formState_.Exclude(fsModal);
  };
  TModalResult result = mrNone;
  try {
    Show();
    try {
      modalResult_ = mrNone;
      do {
        Application->HandleMessage();
        if (Application->Terminated())
          modalResult_ = mrCancel;
        else if (modalResult_ != mrNone)
          CloseModal();
      } while (modalResult_ == mrNone);
      result = modalResult_;
    } catch (...) {
      Hide();
      throw;
    }
    Hide();
  } catch (...) {
    restore();
    throw;
  }
  restore();
  return result;
}

void TCustomForm::CloseModal() {
  TCloseAction action = caNone;
  try {
    if (CloseQuery()) {
      action = caHide;
      DoClose(action);
    }
  } catch (...) {
    modalResult_ = mrNone;
    if (Application) Application->HandleException(this);
    return;
  }
  switch (action) {
    case caNone: modalResult_ = mrNone; break;
    case caFree: Release(); break;
    default: break;
  }
}

bool TCustomForm::CloseQuery() {
  if (formStyle_ == fsMDIForm) {
    for (Integer i = 0; i < MDIChildCount(); ++i)
      if (!MDIChildren(i)->CloseQuery()) return false;
  }
  bool canClose = true;
  OnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::Close() {
  if (formState_.Contains(fsModal)) {
    modalResult_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = formStyle_ == fsMDIChild ? (borderIcons_.Contains(biMinimize) ? caMinimize : caNone) : caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application && Application->MainForm() == this) {
    Application->Terminate();
  } else if (action == caHide) {
    Hide();
  } else if (action == caMinimize) {
    SetWindowState(wsMinimized);
  } else {
    Release();
  }
}

void TCustomForm::Release() {
  if (handle_)
    PostMessageW(handle_, CM_RELEASE, 0, 0);
  else if (Application)
    PostMessageW(Application->Handle(), CM_RELEASE, 0, reinterpret_cast<LPARAM>(this));
}

void TCustomForm::CMRelease(TMessage&) { delete this; }

void TCustomForm::WMClose(TMessage&) { Close(); }

void TCustomForm::WMQueryEndSession(TMessage& Message) { Message.Result = CloseQuery() ? 1 : 0; }

void TCustomForm::WMGetMinMaxInfo(TMessage& Message) {
  DefaultHandler(Message);
  auto* mmi = reinterpret_cast<MINMAXINFO*>(Message.LParam);
  if (!mmi) return;
  if (constraints_->MinWidth() > 0) mmi->ptMinTrackSize.x = constraints_->MinWidth();
  if (constraints_->MinHeight() > 0) mmi->ptMinTrackSize.y = constraints_->MinHeight();
  if (constraints_->MaxWidth() > 0) mmi->ptMaxTrackSize.x = constraints_->MaxWidth();
  if (constraints_->MaxHeight() > 0) mmi->ptMaxTrackSize.y = constraints_->MaxHeight();
}

// Activation and focus --------------------------------------------------------------
void TCustomForm::WMActivate(TMessage& Message) {
  // No default handling: it would move the focus to the form itself.
  if (formStyle_ != fsMDIForm) SetActive(LOWORD(Message.WParam) != WA_INACTIVE);
  if (formStyle_ == fsMDIChild) DefaultHandler(Message);
}

void TCustomForm::SetActive(bool Value) {
  active_ = Value;
  if (Value) {
    if (!activeControl_) activeControl_ = FindNextControl(nullptr, true, true, false);
    SetWindowFocus();
  }
}

void TCustomForm::SetWindowFocus() {
  HWND h = activeControl_ ? activeControl_->Handle() : handle_;
  if (h) ::SetFocus(h);
}

void TCustomForm::SetFocus() {
  if (!active_) {
    if (!visible_ || !enabled_) throw EInvalidOperation("Cannot focus a disabled or invisible window");
    SetWindowFocus();
  }
}

void TCustomForm::WMSetFocus(TMessage& Message) {
  DefaultHandler(Message);
  if (activeControl_ && activeControl_->HandleAllocated() && activeControl_->Showing() &&
      !activeControl_->controlState_.Contains(csFocusing))
    ::SetFocus(activeControl_->handle_);
}

void TCustomForm::CMActivate(TMessage&) { Activate(); }
void TCustomForm::CMDeactivate(TMessage&) { Deactivate(); }

void TCustomForm::SetActiveControl(TWinControl* Control) {
  if (activeControl_ == Control) return;
  bool loading = ComponentState().Contains(csLoading);
  if (Control && !(Control != this && GetParentForm(Control) == this && (loading || Control->CanFocus())))
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  activeControl_ = Control;
  if (!loading && active_) SetWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* Control) {
  bool wasActive = active_;
  SetActiveControl(Control);
  if (!wasActive || !Control->Focused()) SetWindowFocus();
}

void TCustomForm::DefocusControl(TWinControl* Control, bool Removing) {
  if (Removing && Control->ContainsControl(focusedControl_)) focusedControl_ = Control->Parent();
  if (Control->ContainsControl(activeControl_)) {
    activeControl_ = nullptr;
    if (active_ && handle_ && !ComponentState().Contains(csDestroying) && Control->Focused()) ::SetFocus(handle_);
  }
}

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
  // Windows move the focus around while a form's windows are destroyed.
  if (ComponentState().Contains(csDestroying) || Control->ComponentState().Contains(csDestroying)) return true;
  ++focusCount_;
  activeControl_ = Control != this ? Control : nullptr;
  if (Screen) Screen->SetActiveControl(Control, this);
  if (Control->controlState_.Contains(csFocusing)) return true;
  Control->controlState_.Include(csFocusing);
  auto send = [this](TWinControl* c, UINT msg) {
    Integer count = focusCount_;
    if (c->HandleAllocated())
      ::SendMessageW(c->handle_, msg, 0, 0);
    else
      c->Perform(msg, 0, 0);
    return count == focusCount_;
  };
  bool ok = true;
  try {
    if (Screen && Screen->FocusedForm() != this) {
      if (TCustomForm* previous = Screen->FocusedForm()) {
        Screen->SetFocusedForm(nullptr);
        ok = send(previous, CM_DEACTIVATE);
      }
      if (ok) {
        Screen->SetFocusedForm(this);
        ok = send(this, CM_ACTIVATE);
      }
    }
    if (ok) {
      if (!focusedControl_) focusedControl_ = this;
      if (focusedControl_ != Control) {
        while (ok && focusedControl_ && !focusedControl_->ContainsControl(Control)) {
          TWinControl* leaving = focusedControl_;
          focusedControl_ = focusedControl_->Parent();
          ok = send(leaving, CM_EXIT);
        }
        while (ok && focusedControl_ != Control) {
          TWinControl* c = Control;
          while (c->Parent() != focusedControl_ && c->Parent()) c = c->Parent();
          focusedControl_ = c;
          ok = send(c, CM_ENTER);
        }
        if (ok) Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(Control));
      }
    }
  } catch (...) {
    Control->controlState_.Exclude(csFocusing);
    throw;
  }
  Control->controlState_.Exclude(csFocusing);
  return ok;
}

// Main menu ---------------------------------------------------------------------------
namespace {

// Watches a component across a handler that may free it.
class TFreeGuard : public TComponent {
 public:
  T_CLASSNAME(TFreeGuard)
  explicit TFreeGuard(TComponent* Watched) : TComponent(nullptr), watched_(Watched) {
    if (Watched) Watched->FreeNotification(this);
  }
  ~TFreeGuard() override {
    if (watched_) watched_->RemoveFreeNotification(this);
  }
  TComponent* Watched() const { return watched_; }
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == watched_) watched_ = nullptr;
  }

 private:
  TComponent* watched_;
};

// The item whose sub-menu is Target, walking the platform menu built from
// Parent's visible items (one entry each); nullptr when the menu does not
// match the items (they changed since it was built).
TMenuItem* FindPopupItem(HMENU Menu, TMenuItem* Parent, HMENU Target) {
  if (!Menu || !Target) return nullptr;
  std::vector<TMenuItem*> shown;
  for (Integer i = 0; i < Parent->Count(); ++i)
    if (Parent->Items(i)->Visible()) shown.push_back(Parent->Items(i));
  if (GetMenuItemCount(Menu) != static_cast<int>(shown.size())) return nullptr;
  for (size_t i = 0; i < shown.size(); ++i) {
    HMENU sub = GetSubMenu(Menu, static_cast<int>(i));
    if (!sub) continue;
    if (sub == Target) return shown[i];
    if (TMenuItem* found = FindPopupItem(sub, shown[i], Target)) return found;
  }
  return nullptr;
}

// Any item with the shortcut, enabled or not, shown or not.
TMenuItem* FindShortCutItem(TMenuItem* Parent, TShortCut AShortCut) {
  for (Integer i = 0; i < Parent->Count(); ++i) {
    TMenuItem* item = Parent->Items(i);
    if (item->ShortCut() == AShortCut) return item;
    if (TMenuItem* found = FindShortCutItem(item, AShortCut)) return found;
  }
  return nullptr;
}

// Brings the sub-items up to date with their actions.
void InitiateActions(TMenuItem* Item) {
  for (Integer i = 0; i < Item->Count(); ++i) Item->Items(i)->InitiateAction();
}

enum class TClickResult { Disabled, Clicked, ShortCutMoved, Gone };

// Clicks the parents first, as opening the menus would (their OnClick and
// the actions' updates may bring the item up to date), then the item when it
// is enabled. A parent's OnClick may rebuild its sub-items, so the item is
// looked up again under it afterwards; on return Item is nullptr when a
// click freed it.
TClickResult ClickShortCutItem(TMenuItem*& Item, TMenuItem* Root, TShortCut AShortCut) {
  TMenuItem* parent = Item->Parent();
  if (parent == Root) {
    InitiateActions(Root);
  } else if (parent) {
    TClickResult result = ClickShortCutItem(parent, Root, AShortCut);
    if (result == TClickResult::Disabled || result == TClickResult::Gone) return result;
    Item = parent ? FindShortCutItem(parent, AShortCut) : nullptr;
    if (!Item) return TClickResult::Gone;
  }
  if (!Item->Enabled()) return TClickResult::Disabled;
  InitiateActions(Item);
  TFreeGuard guard(Item);
  Item->Click();
  Item = static_cast<TMenuItem*>(guard.Watched());
  if (Item && Item->ShortCut() != 0 && Item->ShortCut() != AShortCut) return TClickResult::ShortCutMoved;
  return TClickResult::Clicked;
}

}  // namespace

void TCustomForm::WMCommand(TMessage& Message) {
  // A menu command (or an accelerator) names no control.
  if (Message.LParam == 0 && HIWORD(Message.WParam) <= 1 && menu_ &&
      menu_->DispatchCommand(LOWORD(Message.WParam))) {
    Message.Result = 0;
    return;
  }
  TCustomControl::WMCommand(Message);
}

void TCustomForm::WMInitMenuPopup(TMessage& Message) {
  auto popup = reinterpret_cast<HMENU>(Message.WParam);
  if (menu_ && handle_ && menu_->WindowHandle() == handle_ && HIWORD(Message.LParam) == 0) {
    if (TMenuItem* item = FindPopupItem(GetMenu(handle_), menu_->Items(), popup)) {
      // The item's OnClick can update its sub-items; the sub-menu about to
      // show is then filled again from them (the bar itself waits for the
      // end of the tracking, see TMainMenu::SetTracking).
      // A tracking always starts with WM_ENTERMENULOOP; a message sent
      // outside one holds the rebuild only while the sub-menu is refilled.
      // The OnClick may free the item or the menu, or give the form another
      // menu: the item is looked up again, and the tracking ends on the menu
      // it was set on.
      TFreeGuard menu(menu_);
      bool inLoop = menu_->Tracking();
      menu_->SetTracking(true);
      auto endTracking = [&] {
        if (!inLoop && menu.Watched()) static_cast<TMainMenu*>(menu.Watched())->SetTracking(false);
      };
      try {
        InitiateActions(item);
        item->Click();
        item = menu_ && handle_ ? FindPopupItem(GetMenu(handle_), menu_->Items(), popup) : nullptr;
        if (item) {
          while (GetMenuItemCount(popup) > 0) DeleteMenu(popup, 0, MF_BYPOSITION);
          item->AppendTo(popup);
        }
      } catch (...) {
        endTracking();
        throw;
      }
      endTracking();
    }
  }
  DefaultHandler(Message);
}

void TCustomForm::WMMenuSelect(TMessage& Message) {
  if (menu_ && handle_) {
    UINT id = LOWORD(Message.WParam), flags = HIWORD(Message.WParam);
    auto menu = reinterpret_cast<HMENU>(Message.LParam);
    TMenuItem* item = nullptr;
    menuSelected_ = false;
    if ((flags != 0xFFFF || menu) && !(flags & MF_SYSMENU)) {
      menuSelected_ = true;
      menuSelectedCommand_ = id;
      menuSelectedPopup_ = (flags & MF_POPUP) ? GetSubMenu(menu, static_cast<int>(id)) : nullptr;
      item = SelectedMenuItem();
    }
    if (Application) Application->SetHint(item ? GetLongHint(item->Hint()) : std::string());
  }
  DefaultHandler(Message);
}

TMenuItem* TCustomForm::SelectedMenuItem() {
  if (!menuSelected_ || !menu_ || !handle_) return nullptr;
  if (menuSelectedPopup_) return FindPopupItem(GetMenu(handle_), menu_->Items(), menuSelectedPopup_);
  TMenuItem* found = menu_->Items()->Find(menuSelectedCommand_);
  return found != menu_->Items() ? found : nullptr;
}

// Help ---------------------------------------------------------------------------------
void TCustomForm::WMHelp(TMessage& Message) {
  auto* info = reinterpret_cast<HELPINFO*>(Message.LParam);
  Message.Result = 1;
  if (!info || !Application) return;
  if (info->iContextType == HELPINFO_MENUITEM) {
    // F1 in the open main menu. The menu's own loop names the highlighted
    // item by its identifier (the sub-menu's handle for an item that opens
    // one); a second request for the item under the mouse may follow, which
    // names none or a position: only the highlighted item answers while a
    // highlight is known. An item without a context takes its parents'.
    TMenuItem* item = nullptr;
    auto id = static_cast<UINT>(info->iCtrlId);
    if (menuSelected_) {
      UINT expected = menuSelectedPopup_ ? static_cast<UINT>(reinterpret_cast<UINT_PTR>(menuSelectedPopup_))
                                         : menuSelectedCommand_;
      if (id == expected) item = SelectedMenuItem();
    } else if (menu_ && info->iCtrlId > 0) {
      TMenuItem* found = menu_->Items()->Find(id);
      if (found != menu_->Items()) item = found;
    }
    while (item && item->HelpContext() == 0) item = item->Parent();
    if (item) Application->HelpContext(item->HelpContext());
    return;
  }
  if (info->iContextType != HELPINFO_WINDOW) return;
  // The control's own context, else the nearest parent's (the form's last).
  TControl* c = FindOwningWinControl(static_cast<HWND>(info->hItemHandle));
  while (c && c->HelpContext() == 0) c = c->Parent();
  if (!c) return;
  THelpContext context = c->HelpContext();
  if (borderIcons_.Contains(biHelp)) {
    TPoint p = c->ClientToScreen(Point(0, 0));
    Application->HelpCommand(HELP_SETPOPUP_POS, MAKELONG(p.X, p.Y));
    Application->HelpCommand(HELP_CONTEXTPOPUP, context);
  } else {
    Application->HelpContext(context);
  }
}

// Keys ------------------------------------------------------------------------------
bool TCustomForm::IsShortCut(TMessage& Message) {
  bool handled = false;
  OnShortCut(Message, handled);
  if (handled || !menu_ || !handle_ || menu_->WindowHandle() != handle_) return handled;
  // The main menu's shortcuts work while it shows in the window. An item
  // found takes the key even when it is disabled.
  TShiftState shift;
  if (GetKeyState(VK_SHIFT) < 0) shift.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) shift.Include(ssCtrl);
  if (Message.LParam & 0x20000000) shift.Include(ssAlt);
  TShortCut sc = ShortCut(static_cast<Word>(Message.WParam & 0xFF), shift);
  if (!sc) return false;
  TMenuItem* item = nullptr;
  // A click that hands the shortcut to another item clicks that one (bounded:
  // handlers that keep passing it on must not hang the key).
  // A handler may also free or detach the menu.
  bool found = false;
  for (int round = 0; round < 8 && menu_; ++round) {
    item = FindShortCutItem(menu_->Items(), sc);
    found = item != nullptr;
    if (!item || ClickShortCutItem(item, menu_->Items(), sc) != TClickResult::ShortCutMoved) break;
  }
  return found;
}

// The wheel goes to the control with the focus first; from there it climbs the
// parents back to the form.
void TCustomForm::MouseWheelHandler(TMessage& Message) {
  if (focusedControl_ && focusedControl_ != this)
    Message.Result = focusedControl_->Perform(CM_MOUSEWHEEL, Message.WParam, Message.LParam);
  else
    TCustomControl::MouseWheelHandler(Message);
}

void TCustomForm::CMDialogKey(TMessage& Message) {
  if (GetKeyState(VK_MENU) >= 0) {
    switch (Message.WParam) {
      case VK_TAB:
        if (GetKeyState(VK_CONTROL) >= 0) {
          SelectNext(activeControl_, GetKeyState(VK_SHIFT) >= 0, true);
          Message.Result = 1;
          return;
        }
        break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        if (activeControl_ && activeControl_->Parent()) {
          activeControl_->Parent()->SelectNext(activeControl_, Message.WParam == VK_RIGHT || Message.WParam == VK_DOWN,
                                               false);
          Message.Result = 1;
        }
        return;
      default:
        break;
    }
  }
  TCustomControl::CMDialogKey(Message);
}

void TCustomForm::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CLOSE: WMClose(Message); break;
    case WM_ACTIVATE: WMActivate(Message); break;
    case WM_QUERYENDSESSION: WMQueryEndSession(Message); break;
    case WM_GETMINMAXINFO: WMGetMinMaxInfo(Message); break;
    case CM_ACTIVATE: CMActivate(Message); break;
    case CM_DEACTIVATE: CMDeactivate(Message); break;
    case CM_RELEASE: CMRelease(Message); break;
    case WM_INITMENUPOPUP: WMInitMenuPopup(Message); break;
    case WM_MENUSELECT: WMMenuSelect(Message); break;
    case WM_HELP: WMHelp(Message); break;
    case WM_NCCALCSIZE: WMNCCalcSize(Message); break;
    case WM_NCPAINT: WMNCPaint(Message); break;
    case WM_QUERYNEWPALETTE: WMQueryNewPalette(Message); break;
    case WM_PALETTECHANGED: WMPaletteChanged(Message); break;
    case WM_ENTERMENULOOP:
    case WM_INITMENU:
      // Until WM_EXITMENULOOP the platform menus in use must not be rebuilt.
      if (menu_ && handle_ && menu_->WindowHandle() == handle_) menu_->SetTracking(true);
      DefaultHandler(Message);
      break;
    case WM_EXITMENULOOP:
      menuSelected_ = false;
      if (menu_) menu_->SetTracking(false);
      DefaultHandler(Message);
      break;
    case WM_SIZE:
      if (clientHandle_) {
        // The MDI client fills the client area left by the aligned controls.
        TCustomControl::Dispatch(Message);
        TRect r = GetClientRect();
        AdjustClientRect(r);
        for (TControl* c : controls_)
          if (c->Visible()) {
            if (c->Align() == alTop) r.Top = std::max(r.Top, c->Top() + c->Height());
            if (c->Align() == alBottom) r.Bottom = std::min(r.Bottom, c->Top());
            if (c->Align() == alLeft) r.Left = std::max(r.Left, c->Left() + c->Width());
            if (c->Align() == alRight) r.Right = std::min(r.Right, c->Left());
          }
        MoveWindow(clientHandle_, r.Left, r.Top, r.Width(), r.Height(), TRUE);
        return;
      }
      TCustomControl::Dispatch(Message);
      break;
    default: TCustomControl::Dispatch(Message); break;
  }
}

// ---------------------------------------------------------------------------
// Hint window.
THintWindow::THintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  color_ = clInfoBk;
  parentColor_ = false;
  brush_->SetColor(clInfoBk);
  parentFont_ = false;
  if (Screen) font_->Assign(Screen->HintFont());
  visible_ = false;
}

void THintWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = WS_POPUP | WS_BORDER;
  Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  Params.WindowClass.style |= CS_SAVEBITS;
  if (Application) Params.WndParent = Application->Handle();
}

TRect THintWindow::CalcHintRect(Integer MaxWidth, const std::string& AHint, void*) {
  TRect r = Rect(0, 0, MaxWidth, 0);
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font_->Handle());
  std::wstring w = Utf8ToWide(AHint);
  DrawTextW(dc, w.c_str(), -1, r.AsRECT(), DT_CALCRECT | DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  r.Right += 6;
  r.Bottom += 2;
  return r;
}

void THintWindow::ActivateHint(TRect Rect, const std::string& AHint) {
  SetCaption(AHint);
  TRect area = Screen ? Screen->WorkAreaRect() : Rect;
  if (Rect.Right > area.Right) {
    Integer w = Rect.Width();
    Rect.Right = area.Right;
    Rect.Left = Rect.Right - w;
  }
  if (Rect.Left < area.Left) {
    Integer w = Rect.Width();
    Rect.Left = area.Left;
    Rect.Right = Rect.Left + w;
  }
  if (Rect.Bottom > area.Bottom) {
    Integer h = Rect.Height();
    Rect.Bottom = area.Bottom;
    Rect.Top = Rect.Bottom - h;
  }
  SetBounds(Rect.Left, Rect.Top, Rect.Width() + 2, Rect.Height() + 2);
  SetWindowPos(Handle(), HWND_TOPMOST, Rect.Left, Rect.Top, Rect.Width() + 2, Rect.Height() + 2,
               SWP_SHOWWINDOW | SWP_NOACTIVATE);
  visible_ = true;
  Invalidate();
}

void THintWindow::ReleaseHandle() {
  visible_ = false;
  DestroyHandle();
}

void THintWindow::Paint() {
  TRect r = ClientRect();
  Canvas()->Brush()->SetColor(color_);
  Canvas()->FillRect(r);
  r.Left += 2;
  r.Top += 2;
  Canvas()->Font()->Assign(font_.get());
  Canvas()->Brush()->SetStyle(bsClear);
  std::wstring w = Utf8ToWide(Caption());
  HDC dc = Canvas()->Handle();
  DrawTextW(dc, w.c_str(), -1, r.AsRECT(), DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
}

void THintWindow::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_NCHITTEST) {
    Message.Result = HTTRANSPARENT;
    return;
  }
  TCustomControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------
std::string GetShortHint(const std::string& Hint) {
  auto p = Hint.find('|');
  return p == std::string::npos ? Hint : Hint.substr(0, p);
}

std::string GetLongHint(const std::string& Hint) {
  auto p = Hint.find('|');
  return p == std::string::npos ? Hint : Hint.substr(p + 1);
}

bool IsAccel(Word Key, const std::string& Text) {
  for (size_t i = 0; i + 1 < Text.size(); ++i) {
    if (Text[i] != '&') continue;
    if (Text[i + 1] == '&') {
      ++i;
      continue;
    }
    return std::toupper(static_cast<unsigned char>(Text[i + 1])) == std::toupper(Key & 0xFF);
  }
  return false;
}
