// TApplication (message loop, exceptions, hints, help, the hidden application
// window) and TScreen (cursors, forms, metrics, fonts).
#include <algorithm>

#include "platform/ActnList.h"
#include "platform/Dialogs.h"
#include "platform/Forms.h"

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {

constexpr UINT_PTR HintTimerId = 1;

// The application and the screen exist from program start; they are never
// freed, since windows of a process go with it and static destruction order
// would be unsafe.
struct TGlobalsInit {
  TGlobalsInit() {
    Screen = new TScreen(nullptr);
    Application = new TApplication(nullptr);
  }
} globalsInit;

}  // namespace

TWinControl* FindOwningWinControl(HWND Wnd) {
  while (Wnd) {
    if (TWinControl* c = TWinControl::FindControl(Wnd)) return c;
    Wnd = GetParent(Wnd);
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p(path, n);
  auto slash = p.find_last_of(L"\\/");
  std::wstring name = slash == std::wstring::npos ? p : p.substr(slash + 1);
  auto dot = name.find_last_of(L'.');
  if (dot != std::wstring::npos) name.resize(dot);
  title_ = WideToUtf8(name);
}

TApplication::~TApplication() {
  if (handle_) DestroyWindow(handle_);
}

HWND TApplication::Handle() {
  if (handle_) return handle_;
  static const wchar_t* className = L"TApplication";
  WNDCLASSW wc{};
  HINSTANCE inst = GetModuleHandleW(nullptr);
  if (!GetClassInfoW(inst, className, &wc)) {
    wc = WNDCLASSW{};
    wc.lpfnWndProc = AppWndProc;
    wc.hInstance = inst;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = className;
    RegisterClassW(&wc);
  }
  handle_ = CreateWindowExW(0, className, Utf8ToWide(title_).c_str(),
                            WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0,
                            nullptr, nullptr, inst, nullptr);
  // A worker that queues a synchronized call wakes the loop through the window.
  if (GetCurrentThreadId() == MainThreadID)
    WakeMainThread = [](TObject*) {
      if (Application && Application->handle_) PostMessageW(Application->handle_, WM_NULL, 0, 0);
    };
  return handle_;
}

LRESULT CALLBACK TApplication::AppWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  TApplication* app = Application;
  if (!app || (app->handle_ && Wnd != app->handle_)) return DefWindowProcW(Wnd, Msg, WParam, LParam);
  try {
    switch (Msg) {
      case WM_TIMER:
        if (WParam == HintTimerId) {
          app->HintTimerExpired();
          return 0;
        }
        break;
      case WM_ACTIVATEAPP:
        app->active_ = WParam != 0;
        if (app->active_)
          app->OnActivate(app);
        else
          app->OnDeactivate(app);
        return 0;
      case WM_CLOSE:
        if (app->mainForm_) app->mainForm_->Close();
        return 0;
      case WM_ENDSESSION:
        if (WParam) app->Terminate();
        return 0;
      case WM_QUERYENDSESSION:
        return 1;
      case CM_RELEASE:
        delete reinterpret_cast<TCustomForm*>(LParam);
        return 0;
      case WM_NULL:
        CheckSynchronize();
        return 0;
      default:
        break;
    }
  } catch (...) {
    app->HandleException(app);
    return 0;
  }
  return DefWindowProcW(Wnd, Msg, WParam, LParam);
}

void TApplication::SetTitle(const std::string& Value) {
  title_ = Value;
  if (handle_) SetWindowTextW(handle_, Utf8ToWide(Value).c_str());
}

std::string TApplication::ExeName() const {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  return WideToUtf8(std::wstring(path, n));
}

void TApplication::SetMainFormOnce(TCustomForm* Form) {
  if (!mainForm_) mainForm_ = Form;
}

void TApplication::FormDestroyed(TCustomForm* Form) {
  if (mainForm_ == Form) mainForm_ = nullptr;
  ControlDestroyed(Form);
}

void TApplication::ControlDestroyed(TControl* Control) {
  if (hintControl_ == Control) {
    hintControl_ = nullptr;
    StopHintTimer();
  }
  if (hintWindow_ == Control) hintWindow_ = nullptr;
  if (Screen) Screen->ControlDestroyed(Control);
}

// Message loop ------------------------------------------------------------------------
bool TApplication::IsKeyMsg(MSG& Msg) {
  if (Msg.message < WM_KEYFIRST || Msg.message > WM_KEYLAST) return false;
  HWND wnd = GetCapture();
  if (!wnd) wnd = Msg.hwnd;
  TWinControl* c = FindOwningWinControl(wnd);
  if (!c || !c->HandleAllocated()) return false;
  return ::SendMessageW(c->Handle(), CN_BASE + Msg.message, Msg.wParam, Msg.lParam) != 0;
}

bool TApplication::IsHintMsg(MSG& Msg) {
  if (hintWindow_ && hintWindow_->HandleAllocated() && IsWindowVisible(hintWindow_->Handle())) {
    switch (Msg.message) {
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
      case WM_NCLBUTTONDOWN:
      case WM_NCRBUTTONDOWN:
      case WM_ACTIVATE:
      case WM_ACTIVATEAPP:
        CancelHint();
        break;
      default:
        break;
    }
  }
  return false;
}

bool TApplication::ProcessMessage(MSG& Msg) {
  if (!PeekMessageW(&Msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (Msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  bool handled = IsHintMsg(Msg);
  if (!handled) {
    try {
      handled = IsKeyMsg(Msg);
    } catch (...) {
      HandleException(this);
      handled = true;
    }
  }
  if (!handled) {
    TranslateMessage(&Msg);
    DispatchMessageW(&Msg);
  }
  return true;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
  // Calls queued by worker threads run here too.
  CheckSynchronize();
}

void TApplication::Idle(const MSG&) {
  CheckMouseControl();
  bool done = true;
  try {
    OnIdle(this, done);
    if (done) DoActionIdle();
  } catch (...) {
    HandleException(this);
  }
  bool ran = false;
  try {
    ran = CheckSynchronize();
  } catch (...) {
    HandleException(this);
  }
  if (ran) done = false;
  if (done) WaitMessage();
}

void TApplication::DoActionIdle() {
  if (!Screen) return;
  // An update may create or free forms: each is looked up again by index.
  for (Integer i = 0; i < Screen->FormCount(); ++i) {
    TCustomForm* form = Screen->Forms(i);
    if (form->HandleAllocated() && IsWindowVisible(form->Handle()) && IsWindowEnabled(form->Handle()))
      UpdateFormActions(form);
  }
}

void TApplication::HandleMessage() {
  Handle();  // the window that wakes the loop for queued synchronized calls
  MSG msg;
  if (!ProcessMessage(msg)) Idle(msg);
}

void TApplication::Run() {
  Handle();
  if (mainForm_ && showMainForm_) {
    try {
      if (mainForm_->WindowState() == wsMinimized) Minimize();
      mainForm_->SetVisible(true);
    } catch (...) {
      HandleException(this);
    }
  }
  do {
    try {
      HandleMessage();
    } catch (...) {
      HandleException(this);
    }
  } while (!terminated_);
  // The forms go with the application, main form last.
  while (ComponentCount() > 0) {
    TComponent* c = Components(ComponentCount() - 1);
    delete c;
  }
}

void TApplication::Terminate() {
  terminated_ = true;
  PostQuitMessage(0);
}

// Exceptions -------------------------------------------------------------------------
void TApplication::HandleException(TObject* Sender) {
  std::exception_ptr ep = std::current_exception();
  if (!ep) return;
  if (HWND cap = GetCapture()) ::SendMessageW(cap, WM_CANCELMODE, 0, 0);
  if (handlingException_) return;  // a handler that fails again is not reported twice
  handlingException_ = true;
  try {
    try {
      std::rethrow_exception(ep);
    } catch (const EAbort&) {
    } catch (const Exception& e) {
      if (OnException)
        OnException(Sender, e);
      else
        ShowException(e);
    } catch (const std::exception& e) {
      Exception ex(e.what());
      if (OnException)
        OnException(Sender, ex);
      else
        ShowException(ex);
    } catch (...) {
      Exception ex("Unknown exception");
      if (OnException)
        OnException(Sender, ex);
      else
        ShowException(ex);
    }
  } catch (...) {
    // Nothing leaves the handler.
  }
  handlingException_ = false;
}

void TApplication::ShowException(const Exception& E) {
  std::string msg = E.Message();
  if (!msg.empty() && static_cast<unsigned char>(msg.back()) > '.') msg += '.';
  MessageBox(msg, title_, MB_OK | MB_ICONSTOP);
}

Integer TApplication::MessageBox(const std::string& Text, const std::string& Caption, UINT Flags) {
  HWND owner = GetActiveWindow();
  if (!owner && mainForm_ && mainForm_->HandleAllocated()) owner = mainForm_->Handle();
  if (!owner) owner = Handle();
  return ::MessageBox(owner, Text, Caption, Flags);
}

// Window state ---------------------------------------------------------------------------
void TApplication::Minimize() {
  if (mainForm_ && mainForm_->HandleAllocated())
    ShowWindow(mainForm_->Handle(), SW_MINIMIZE);
  OnMinimize(this);
}

void TApplication::Restore() {
  if (mainForm_ && mainForm_->HandleAllocated() && IsIconic(mainForm_->Handle()))
    ShowWindow(mainForm_->Handle(), SW_RESTORE);
  OnRestore(this);
}

void TApplication::BringToFront() {
  if (mainForm_ && mainForm_->HandleAllocated()) SetForegroundWindow(mainForm_->Handle());
}

// Help ------------------------------------------------------------------------------------
bool TApplication::InvokeHelp(Word Command, LONG_PTR Data) {
  bool callHelp = true;
  bool result = false;
  TCustomForm* form = Screen ? Screen->ActiveCustomForm() : nullptr;
  if (form && form->OnHelp) {
    form->OnHelp(Command, Data, callHelp);
    result = !callHelp;
  } else if (OnHelp) {
    OnHelp(Command, Data, callHelp);
    result = !callHelp;
  }
  if (!callHelp) return result;
  std::string file = form && form->HandleAllocated() && !form->HelpFile().empty() ? form->HelpFile() : helpFile_;
  if (file.empty()) return false;  // no help for this program
  // Closing help or placing a popup needs no help system.
  if (Command == HELP_QUIT || Command == HELP_SETPOPUP_POS) return false;
  // The system's help viewers (WinHelp, HTML Help) are not available here:
  // tell the user rather than let the request vanish.
  throw EHelpSystemException("Unable to show help from \"" + file + "\": no help viewer is installed.");
}

bool TApplication::HelpCommand(Integer Command, LONG_PTR Data) { return InvokeHelp(static_cast<Word>(Command), Data); }

bool TApplication::HelpContext(THelpContext Context) { return InvokeHelp(HELP_CONTEXT, Context); }

bool TApplication::HelpJump(const std::string& JumpID) {
  // The help system's jump macro, as a nul-terminated ANSI text.
  std::string command = "JumpID(\"\",\"" + JumpID + "\")";
  return InvokeHelp(HELP_COMMAND, reinterpret_cast<LONG_PTR>(command.c_str()));
}

// Hints -----------------------------------------------------------------------------------
void TApplication::SetShowHint(bool Value) {
  if (Value == showHint_) return;
  showHint_ = Value;
  if (!Value) {
    CancelHint();
    if (hintWindow_) {
      delete hintWindow_;
      hintWindow_ = nullptr;
    }
  }
}

void TApplication::SetHint(const std::string& Value) {
  if (Value == hint_) return;
  hint_ = Value;
  OnHint(this);
}

void TApplication::SetHintColor(TColor Value) {
  hintColor_ = Value;
  if (hintWindow_) hintWindow_->SetColor(Value);
}

void TApplication::StartHintTimer(Integer Value, Integer Kind) {
  StopHintTimer();
  hintTimerKind_ = Kind;
  hintTimer_ = SetTimer(Handle(), HintTimerId, static_cast<UINT>(std::max(Value, 1)), nullptr);
}

void TApplication::StopHintTimer() {
  if (hintTimer_) {
    KillTimer(handle_, HintTimerId);
    hintTimer_ = 0;
  }
  hintTimerKind_ = 0;
}

// The control whose hint shows for Control: itself or the nearest parent with a
// hint, when its show-hint flag (taken from the parents with ParentShowHint) is on.
static TControl* GetHintControl(TControl* Control) {
  TControl* c = Control;
  while (c) {
    const TControl* d = c;
    while (d->ParentShowHint() && d->Parent()) d = d->Parent();
    if (d->ShowHint() && !c->Hint().empty()) return c;
    c = c->Parent();
  }
  return nullptr;
}

void TApplication::HintMouseMessage(TControl* Control, TMessage& Message) {
  TControl* hc = GetHintControl(Control);
  SetHint(hc ? GetLongHint(hc->Hint()) : std::string());
  if (!showHint_) return;
  TPoint p = MessagePoint(Message.LParam);
  if (hc != hintControl_) {
    bool wasActive = hintWindow_ && hintWindow_->HandleAllocated() && IsWindowVisible(hintWindow_->Handle());
    if (wasActive) {
      ShowWindow(hintWindow_->Handle(), SW_HIDE);
    }
    hintControl_ = hc;
    if (hc)
      StartHintTimer(wasActive || hintActive_ ? hintShortPause_ : hintPause_, 1);
    else {
      StopHintTimer();
      hintActive_ = false;
    }
  } else if (hc && hintActive_) {
    TPoint sp = Control->ClientToScreen(p);
    TRect r = hintCursorRect_;
    if (!(sp.X >= r.Left && sp.X < r.Right && sp.Y >= r.Top && sp.Y < r.Bottom)) StartHintTimer(hintShortPause_, 1);
  }
}

void TApplication::HintTimerExpired() {
  Integer kind = hintTimerKind_;
  StopHintTimer();
  if (kind == 1) {
    POINT p;
    GetCursorPos(&p);
    ActivateHint(Point(p.x, p.y));
  } else if (kind == 2) {
    if (hintWindow_ && hintWindow_->HandleAllocated()) ShowWindow(hintWindow_->Handle(), SW_HIDE);
  }
}

void TApplication::ActivateHint(const TPoint& CursorPos) {
  TControl* c = hintControl_;
  if (!c) c = GetHintControl(FindDragTarget(CursorPos, false));
  if (!c || (!c->Parent() && !dynamic_cast<TWinControl*>(c))) return;
  hintControl_ = c;
  THintInfo info;
  info.HintControl = c;
  info.HintPos = Point(CursorPos.X, CursorPos.Y + GetSystemMetrics(SM_CYCURSOR) / 2 + 4);
  info.HintMaxWidth = Screen ? Screen->Width() : 1024;
  info.HintColor = hintColor_;
  info.CursorRect = c->ClientRect();
  info.CursorPos = c->ScreenToClient(CursorPos);
  info.HintStr = GetShortHint(c->Hint());
  info.HideTimeout = hintHidePause_;
  bool canShow = c->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) == 0;
  if (!canShow || info.HintStr.empty()) {
    hintActive_ = false;
    return;
  }
  if (!hintWindow_) hintWindow_ = new THintWindow(this);
  hintWindow_->SetColor(info.HintColor);
  TRect r = hintWindow_->CalcHintRect(info.HintMaxWidth, info.HintStr, info.HintData);
  r = Bounds(info.HintPos.X, info.HintPos.Y, r.Width(), r.Height());
  hintWindow_->ActivateHintData(r, info.HintStr, info.HintData);
  hintActive_ = true;
  TPoint tl = c->ClientToScreen(Point(info.CursorRect.Left, info.CursorRect.Top));
  TPoint br = c->ClientToScreen(Point(info.CursorRect.Right, info.CursorRect.Bottom));
  hintCursorRect_ = Rect(tl.X, tl.Y, br.X, br.Y);
  if (info.HideTimeout > 0) StartHintTimer(info.HideTimeout, 2);
}

void TApplication::CancelHint() {
  StopHintTimer();
  if (hintWindow_ && hintWindow_->HandleAllocated()) ShowWindow(hintWindow_->Handle(), SW_HIDE);
  hintActive_ = false;
  hintControl_ = nullptr;
}

// ---------------------------------------------------------------------------
TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {
  HDC dc = GetDC(nullptr);
  pixelsPerInch_ = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(nullptr, dc);
  struct TStd {
    TCursor Id;
    const wchar_t* Res;
  };
  static const TStd std[] = {
      {crDefault, IDC_ARROW},      {crArrow, IDC_ARROW},      {crCross, IDC_CROSS},       {crIBeam, IDC_IBEAM},
      {crSizeNESW, IDC_SIZENESW},  {crSizeNS, IDC_SIZENS},    {crSizeNWSE, IDC_SIZENWSE}, {crSizeWE, IDC_SIZEWE},
      {crUpArrow, IDC_UPARROW},    {crHourGlass, IDC_WAIT},   {crNo, IDC_NO},             {crAppStart, IDC_APPSTARTING},
      {crHelp, IDC_HELP},          {crHandPoint, IDC_HAND},   {crSizeAll, IDC_SIZEALL},   {crDrag, IDC_ARROW},
      {crNoDrop, IDC_NO},          {crHSplit, IDC_SIZEWE},    {crVSplit, IDC_SIZENS},     {crMultiDrag, IDC_ARROW},
      {crSQLWait, IDC_WAIT},
  };
  for (const TStd& s : std) cursors_.emplace_back(s.Id, LoadCursorW(nullptr, s.Res));
}

TScreen::~TScreen() = default;

void TScreen::InitFonts() {
  if (hintFont_) return;
  hintFont_ = std::make_unique<TFont>();
  menuFont_ = std::make_unique<TFont>();
  iconFont_ = std::make_unique<TFont>();
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof(ncm);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0)) {
    if (HFONT f = CreateFontIndirectW(&ncm.lfStatusFont)) hintFont_->SetHandle(f);
    if (HFONT f = CreateFontIndirectW(&ncm.lfMenuFont)) menuFont_->SetHandle(f);
  }
  LOGFONTW lf{};
  if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(lf), &lf, 0))
    if (HFONT f = CreateFontIndirectW(&lf)) iconFont_->SetHandle(f);
  hintFont_->SetColor(clInfoText);
  menuFont_->SetColor(clMenuText);
}

TFont* TScreen::HintFont() const {
  const_cast<TScreen*>(this)->InitFonts();
  return hintFont_.get();
}
TFont* TScreen::MenuFont() const {
  const_cast<TScreen*>(this)->InitFonts();
  return menuFont_.get();
}
TFont* TScreen::IconFont() const {
  const_cast<TScreen*>(this)->InitFonts();
  return iconFont_.get();
}

HCURSOR TScreen::Cursors(Integer Index) {
  for (auto& c : cursors_)
    if (c.first == Index) return c.second;
  for (auto& c : cursors_)
    if (c.first == crDefault) return c.second;
  return LoadCursorW(nullptr, IDC_ARROW);
}

void TScreen::SetCursors(Integer Index, HCURSOR Handle) {
  auto it = std::find_if(cursors_.begin(), cursors_.end(), [Index](auto& c) { return c.first == Index; });
  if (it != cursors_.end()) {
    if (Index > 0 && it->second && it->second != Handle) DestroyCursor(it->second);
    if (!Handle && Index != crDefault) {
      cursors_.erase(it);
      return;
    }
    it->second = Handle ? Handle : LoadCursorW(nullptr, IDC_ARROW);
    return;
  }
  if (Handle) cursors_.emplace_back(static_cast<TCursor>(Index), Handle);
}

void TScreen::SetCursor(TCursor Value) {
  if (Value == cursor_) return;
  cursor_ = Value;
  if (Value == crDefault) {
    // Let the window under the mouse choose its own cursor again.
    POINT p;
    GetCursorPos(&p);
    HWND w = WindowFromPoint(p);
    if (w && GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId()) {
      LRESULT hit = ::SendMessageW(w, WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
      ::SendMessageW(w, WM_SETCURSOR, reinterpret_cast<WPARAM>(w), MAKELPARAM(hit, WM_MOUSEMOVE));
    }
  } else {
    ::SetCursor(Cursors(Value));
  }
}

TRect TScreen::WorkAreaRect() const {
  RECT r;
  if (!SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0)) return Rect(0, 0, Width(), Height());
  return Rect(r.left, r.top, r.right, r.bottom);
}

void TScreen::AddForm(TCustomForm* Form) { forms_.push_back(Form); }

void TScreen::RemoveForm(TCustomForm* Form) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), Form), forms_.end());
  if (activeForm_ == Form) {
    activeForm_ = nullptr;
    OnActiveFormChange(this);
  }
  if (focusedForm_ == Form) focusedForm_ = nullptr;
  if (activeControl_ && GetParentForm(activeControl_) == Form) activeControl_ = nullptr;
}

void TScreen::SetActiveControl(TWinControl* Control, TCustomForm* Form) {
  if (activeForm_ != Form) {
    activeForm_ = Form;
    // Most recently active first.
    auto it = std::find(forms_.begin(), forms_.end(), Form);
    if (it != forms_.end()) std::rotate(forms_.begin(), it, it + 1);
    OnActiveFormChange(this);
  }
  if (activeControl_ != Control) {
    activeControl_ = Control;
    OnActiveControlChange(this);
  }
}

void TScreen::ControlDestroyed(TControl* Control) {
  if (activeControl_ == Control) activeControl_ = nullptr;
}
