// Item hints: the manager's hint timing (thread timers, one set for all
// managers) and the shared hint window.
#include <algorithm>

#include "bars/dxBar.h"
#include "platform/Forms.h"
#include "platform/Menus.h"

namespace {

struct THintState {
  TdxBarHintWindow* window = nullptr;
  UINT_PTR hintTimer = 0;      // the pending show timer or the running hide timer
  UINT_PTR reshowTimer = 0;
  bool reshow = false;         // set: the next hint shows without delay
  std::string customText;
  TdxBarManager* manager = nullptr;  // whose hint is pending or shown
  bool shown = false;
  TdxBarHintTimings timings;
};

THintState& HintState() {
  static THintState s;
  return s;
}

bool ManagerUsable(TdxBarManager* M) { return M && !M->IsDestroying(); }

void CALLBACK ShowTimerProc(HWND, UINT, UINT_PTR, DWORD) {
  TdxBarManager* m = HintState().manager;
  KillHintTimer();
  if (ManagerUsable(m)) m->ShowHintNow();
}

void CALLBACK HideTimerProc(HWND, UINT, UINT_PTR, DWORD) {
  TdxBarManager* m = HintState().manager;
  KillHintTimer();
  if (ManagerUsable(m)) m->UpdateHint(false);
}

void CALLBACK ReshowTimerProc(HWND, UINT, UINT_PTR, DWORD) { KillReshowTimer(); }

std::string ShortHint(const std::string& Hint) { return Hint.substr(0, Hint.find('|')); }

// The selected view when it lies on a toolbar that is not in menu mode:
// hints belong to toolbars, not to open menus.
TdxBarItemControl* HintView(TdxBarManager* M) {
  TdxBarItemControl* c = M->SelectedItemControl();
  if (!c || !c->Window()) return nullptr;
  TCustomdxBarControl* w = c->Window();
  if (!w->IsToolbarWindow() || w->Active()) return nullptr;
  return c;
}

}  // namespace

TdxBarHintTimings& dxBarHintTimings() { return HintState().timings; }
TdxBarHintWindow* dxBarHintWindow() { return HintState().window; }

bool dxBarHintVisible() {
  TdxBarHintWindow* w = HintState().window;
  return w && w->HandleAllocated() && IsWindowVisible(w->Handle());
}

void KillHintTimer() {
  if (HintState().hintTimer) KillTimer(nullptr, HintState().hintTimer);
  HintState().hintTimer = 0;
}

void KillReshowTimer() {
  if (HintState().reshowTimer) KillTimer(nullptr, HintState().reshowTimer);
  HintState().reshowTimer = 0;
  HintState().reshow = false;
}

// --- Manager side -----------------------------------------------------------------
void TdxBarManager::UpdateHint(bool Show, const std::string& Text) {
  THintState& s = HintState();
  if (IsCustomizing() || !ShowHint()) return;
  s.customText = Text;
  s.shown = false;
  bool wanted = Show && (HintView(this) || !Text.empty());
  KillHintTimer();
  if (wanted) {
    if (dxBarHintVisible() || s.reshow) {
      ShowHintNow();
    } else {
      s.manager = this;
      s.hintTimer = SetTimer(nullptr, 0, s.timings.Show, ShowTimerProc);
    }
  } else if (dxBarHintVisible()) {
    s.window->HideHint();
    if (Show) {
      KillReshowTimer();
      s.reshow = true;
      s.reshowTimer = SetTimer(nullptr, 0, s.timings.Reshow, ReshowTimerProc);
    }
  }
}

void TdxBarManager::ShowHintNow() {
  THintState& s = HintState();
  TdxBarItemControl* view = HintView(this);
  bool custom = !s.customText.empty();
  if (!view && !custom) return;
  POINT cp;
  GetCursorPos(&cp);
  if (!custom) {
    TCustomdxBarControl* w = view->Window();
    if (!w->HandleAllocated()) return;
    POINT local = cp;
    ScreenToClient(w->Handle(), &local);
    if (w->ItemControlAtPoint(Point(local.x, local.y)) != view) return;
  }
  TPoint anchor = Point(cp.x, cp.y + 20);
  std::string text = custom ? s.customText : ShortHint(view->GetHint());
  if (text.empty() || !(custom || view->ItemEnabled() || ShowHintForDisabledItems())) {
    UpdateHint(false);
    return;
  }
  if (!custom && (ShowShortCutInHint() || (Application && Application->HintShortCuts()))) {
    std::string keys = ShortCutToText(view->ShortCut());
    if (!keys.empty()) text += " (" + keys + ")";
  }
  if (!s.window) s.window = new TdxBarHintWindow(Application);
  s.window->ActivateHint(anchor, text, this);
  s.shown = true;
  s.manager = this;
  s.hintTimer = SetTimer(nullptr, 0, s.timings.Hide, HideTimerProc);
}

// A manager going away takes its pending or shown hint along.
void dxBarHintManagerDestroying(TdxBarManager* M) {
  THintState& s = HintState();
  if (s.manager != M) return;
  KillHintTimer();
  if (dxBarHintVisible()) s.window->HideHint();
  KillReshowTimer();
  s.manager = nullptr;
  s.customText.clear();
  s.shown = false;
}

// --- Hint window -------------------------------------------------------------------
TdxBarHintWindow::TdxBarHintWindow(TComponent* AOwner) : TCustomControl(AOwner) {
  SetColor(clInfoBk);
  Canvas()->Brush()->SetStyle(bsClear);
  SetVisible(false);
}

TdxBarHintWindow::~TdxBarHintWindow() {
  if (HintState().window == this) HintState().window = nullptr;
  if (font_) DeleteObject(font_);
}

void TdxBarHintWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = WS_POPUP | WS_DISABLED;
  Params.ExStyle = WS_EX_TOPMOST | WS_EX_TOOLWINDOW;
  Params.WindowClass.style |= CS_SAVEBITS;
  Params.WndParent = nullptr;
}

void TdxBarHintWindow::SelectFont(TdxBarManager* Manager) {
  if (font_) DeleteObject(font_);
  font_ = nullptr;
  LOGFONTW lf{};
  if (Manager && Manager->UseSystemFont()) {
    NONCLIENTMETRICSW ncm{};
    ncm.cbSize = sizeof(ncm);
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0)) {
      lf = ncm.lfStatusFont;
    } else {
      // Keep the face at size 8.
      GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
      HDC dc = GetDC(nullptr);
      lf.lfHeight = -MulDiv(8, GetDeviceCaps(dc, LOGPIXELSY), 72);
      ReleaseDC(nullptr, dc);
    }
  } else if (Manager) {
    GetObjectW(Manager->Font()->Handle(), sizeof(lf), &lf);
  } else {
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof(lf), &lf);
  }
  font_ = CreateFontIndirectW(&lf);
}

void TdxBarHintWindow::ActivateHint(TPoint P, const std::string& Text, TdxBarManager* Manager) {
  SetCaption(Text);
  SelectFont(Manager);
  HandleNeeded();
  TRect wa = GetWorkAreaAt(POINT{P.X, P.Y});
  std::wstring w = Utf8ToWide(Text);
  RECT r{0, 0, wa.Right - wa.Left, 0};
  HDC dc = GetDC(Handle());
  HGDIOBJ old = SelectObject(dc, font_);
  DrawTextW(dc, w.c_str(), static_cast<int>(w.size()), &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(Handle(), dc);
  Integer width = r.right - r.left + 6, height = r.bottom - r.top + 6;
  Integer x = P.X, y = P.Y;
  if (x + width > wa.Right) x = wa.Right - width;
  if (y + height > wa.Bottom) y = P.Y - 50;
  x = std::max(x, wa.Left);
  y = std::max(y, wa.Top);
  SetWindowPos(Handle(), nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  InvalidateRect(Handle(), nullptr, TRUE);
  SetWindowPos(Handle(), HWND_TOPMOST, x, y, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void TdxBarHintWindow::HideHint() {
  if (HandleAllocated()) ::ShowWindow(Handle(), SW_HIDE);
}

void TdxBarHintWindow::Paint() {
  HDC dc = Canvas()->Handle();
  RECT r;
  ::GetClientRect(Handle(), &r);
  HBRUSH bk = CreateSolidBrush(ColorToRGB(clInfoBk));
  FillRect(dc, &r, bk);
  DeleteObject(bk);
  DrawEdge(dc, &r, BDR_RAISEDOUTER, BF_RECT);
  InflateRect(&r, -1, -1);
  r.left += 2;
  r.top += 2;
  HGDIOBJ old = SelectObject(dc, font_ ? static_cast<HGDIOBJ>(font_) : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, ColorToRGB(clInfoText));
  std::wstring w = Utf8ToWide(Caption());
  DrawTextW(dc, w.c_str(), static_cast<int>(w.size()), &r, DT_WORDBREAK | DT_NOCLIP | DT_NOPREFIX);
  SelectObject(dc, old);
}
