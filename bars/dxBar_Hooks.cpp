// The three thread hooks that exist while any manager lives: the keyboard
// hook (shortcuts, keys for an open menu, Alt/F10 into the main menu,
// Alt+letter, the context key), the mouse hook (clicks outside close open
// menus, a right-button release opens a control's popup menu) and the
// call-window-procedure hook (the owner form's look messages to its manager).
#include <algorithm>
#include <deque>
#include <functional>

#include "bars/dxBar.h"

namespace {

struct THookState {
  HHOOK keyboard = nullptr, mouse = nullptr, callWnd = nullptr;
  bool altAlone = false;
  bool swallowKeyUp = false;
  WPARAM swallowKey = 0;
  bool reentry = false;
  bool mouseGuard = false;
  // The keystroke being handled. A loop run while handling it (a popup
  // menu, a dialog opened by a shortcut) retrieves the same message again
  // before it left the queue; seen again it is discarded, not handled twice.
  bool busy = false;
  WPARAM busyKey = 0;
  LPARAM busyData = 0;
};

THookState& H() {
  static THookState h;
  return h;
}

bool OtherThanAltDown();

bool KeyDownNow(int Vk) { return (GetAsyncKeyState(Vk) & 0x8000) != 0; }

TCustomForm* FormOfWindow(HWND Wnd) { return dynamic_cast<TCustomForm*>(ControlOfWindow(Wnd)); }

// The control owning a window: the window itself or its nearest parent that
// belongs to a control.
TWinControl* OwningControl(HWND Wnd) {
  for (HWND w = Wnd; w; w = GetParent(w))
    if (TWinControl* c = TWinControl::FindControl(w)) return c;
  return nullptr;
}

// Asks the manager of the control's form to show the control's popup menu.
bool ShowControlPopup(HWND Wnd, TPoint Point) {
  TWinControl* c = OwningControl(Wnd);
  if (!c) return false;
  TdxBarManager* m = FindBarManagerOfForm(GetParentForm(c));
  if (!m || !m->PopupMenuLinks()) return false;
  return m->PopupMenuLinks()->ShowForControl(c, Wnd, Point);
}

// Whether the top active bar window is busy editing in place.
bool EditingInPlace(TCustomdxBarControl* Top) {
  TdxBarItemControl* sel = Top->SelectedControl();
  if (!sel || !sel->HasEditWindow || !Top->HandleAllocated()) return false;
  HWND focus = GetFocus();
  return focus && IsAncestorWindow(focus, Top->Handle());
}

// Returns true when the keystroke is consumed.
bool KeyboardHookBody(int Code, WPARAM Key, LPARAM Data) {
  auto& h = H();
  if (CaptionPressActive) return true;
  if (Key == VK_PROCESSKEY || Code != HC_ACTION) return false;
  bool release = (static_cast<DWORD>(Data) & 0x80000000u) != 0;
  if (release && h.swallowKeyUp && Key == h.swallowKey) {
    h.swallowKeyUp = false;
    return true;
  }
  if (TCustomdxBarControl* top = ActiveBarControl()) {
    // A menu being dragged off by its drag bar reads the keys in its own loop.
    if (top->BarManager()->SubMenuDetaching) return false;
    if (!top->InCustomizing() && !EditingInPlace(top)) {
      MSG pending;
      if (HWND focus = GetFocus()) PeekMessageW(&pending, focus, WM_CONTEXTMENU, WM_CONTEXTMENU, PM_REMOVE);
      if (!release) {
        h.swallowKeyUp = true;
        h.swallowKey = Key;
      }
      if (top->HandleAllocated()) SendMessageW(top->Handle(), release ? WM_KEYUP : WM_KEYDOWN, Key, Data);
      // The release of a key that closed the menu is not the application's.
      if (ActiveBarControl() || !KeyDownNow(static_cast<int>(Key))) h.swallowKeyUp = false;
      return true;
    }
    if (top->InCustomizing() && Key == VK_ESCAPE && top->HandleAllocated() && GetCapture() == top->Handle()) {
      ReleaseCapture();
      return true;
    }
  }
  if (GetCapture()) return false;
  Integer shift = CurrentShiftBits();
  if ((release && Key == VK_APPS) || (!release && Key == VK_F10 && shift == 1)) {
    if (HWND focus = GetFocus())
      if (ShowControlPopup(focus, Point(-1, -1))) return true;
  }
  TdxBarManager* m = HookTargetManager();
  if (!m || m->IsCustomizing() || KeyboardMenuWindow(m)) return false;
  if (!release) {
    if (Key == VK_MENU) {
      h.altAlone = true;
      return false;
    }
    h.altAlone = false;
    return HandleShortCutKey(m, static_cast<Word>(Key));
  }
  TdxBar* mainBar = m->MainMenuBar();
  TdxBarControl* mainWindow = mainBar ? mainBar->Control() : nullptr;
  if (mainWindow && mainWindow->HandleAllocated()) {
    bool alt = Key == VK_MENU && h.altAlone && !OtherThanAltDown();
    bool f10 = m->UseF10ForMenu() && Key == VK_F10 && shift == 0;
    h.altAlone = false;
    if (alt || f10) {
      mainWindow->EnterMenuMode(nullptr);
      return true;
    }
    return false;
  }
  h.altAlone = false;
  return false;
}

LRESULT CALLBACK BarKeyboardHook(int Code, WPARAM Key, LPARAM Data) {
  auto& h = H();
  bool consumed = false;
  if (h.busy && Code == HC_ACTION && Key == h.busyKey && Data == h.busyData) {
    // Nor does the context menu the platform would make of it appear.
    MSG pending;
    if (HWND focus = GetFocus()) PeekMessageW(&pending, focus, WM_CONTEXTMENU, WM_CONTEXTMENU, PM_REMOVE);
    consumed = true;
  } else {
    bool savedBusy = h.busy;
    WPARAM savedKey = h.busyKey;
    LPARAM savedData = h.busyData;
    if (Code == HC_ACTION) {
      h.busy = true;
      h.busyKey = Key;
      h.busyData = Data;
    }
    try {
      consumed = KeyboardHookBody(Code, Key, Data);
    } catch (...) {
      if (Application) Application->HandleException(nullptr);
    }
    h.busy = savedBusy;
    h.busyKey = savedKey;
    h.busyData = savedData;
  }
  if (h.reentry) return consumed ? 1 : 0;
  LRESULT next = CallNextHookEx(h.keyboard, Code, Key, Data);
  return consumed ? 1 : next;
}

// --- Mouse -------------------------------------------------------------------------------
bool IsButtonPress(UINT Msg) {
  switch (Msg) {
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN: case WM_MBUTTONDBLCLK: case WM_NCLBUTTONDOWN: case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN: case WM_NCRBUTTONDBLCLK: case WM_NCMBUTTONDOWN: case WM_NCMBUTTONDBLCLK:
      return true;
    default: return false;
  }
}

bool WindowOfChain(HWND Wnd) {
  if (!Wnd) return false;
  for (TCustomdxBarControl* w = ActiveBarControl(); w; w = w->ParentBarWindow())
    if (IsLiveBarControl(w) && w->HandleAllocated() && w->Handle() == Wnd) return true;
  return false;
}

// The point lies inside the open menus: the message's window or its parent
// belongs to the chain of active bar windows.
bool InActiveChain(const MOUSEHOOKSTRUCT& R) {
  return WindowOfChain(R.hwnd) || WindowOfChain(GetParent(R.hwnd)) || IsOpenDropDownWindow(R.hwnd);
}

// The press is on the sub-menu editor whose menu is the root of the open
// chain: that menu belongs to the editor and moves with it, so pressing the
// editor (its caption, to drag it) must not close it.
bool OnEditorOfChain(const MOUSEHOOKSTRUCT& R) {
  TdxBarSubMenuEditor* e = dxBarSubMenuEditor();
  if (!R.hwnd || !e || !e->HandleAllocated() || e->Handle() != R.hwnd) return false;
  TCustomdxBarControl* menu = e->MenuWindow();
  TCustomdxBarControl* root = ActiveBarControl();
  while (root && IsLiveBarControl(root) && root->ParentBarWindow()) root = root->ParentBarWindow();
  return menu && root == menu;
}

TdxBarItemControl* ItemViewUnderMouse(const MOUSEHOOKSTRUCT& R) {
  auto* w = dynamic_cast<TCustomdxBarControl*>(ControlOfWindow(R.hwnd));
  if (w && IsLiveBarControl(w) && w->HandleAllocated() && w->Handle() == R.hwnd) return w->SelectedControl();
  TCustomdxBarControl* top = ActiveBarControl();
  if (GetCapture() && top && top->HandleAllocated() && DeepWindowFromPoint(R.pt) == top->Handle())
    return top->SelectedControl();
  return nullptr;
}

// Returns true when the message is discarded.
bool MouseHookBody(int Code, UINT Msg, const MOUSEHOOKSTRUCT& R) {
  auto& h = H();
  if (Code >= 0) dxBarQuickControlMouseMessage(Msg, R.hwnd, R.pt);
  if (!h.mouseGuard && Code >= 0 && ActiveBarControl()) {
    h.mouseGuard = true;
    bool relevant = true;
    TdxBarItemControl* under = nullptr;
    try {
      under = ItemViewUnderMouse(R);
      if (Msg == WM_RBUTTONUP || Msg == WM_NCRBUTTONUP || Msg == WM_MBUTTONUP || Msg == WM_NCMBUTTONUP)
        relevant = under || InActiveChain(R);
      if (relevant) {
        while (TCustomdxBarControl* top = ActiveBarControl()) {
          bool test = false;
          if ((Msg == WM_LBUTTONUP || Msg == WM_NCLBUTTONUP) && !under && !top->InCustomizing()) {
            if (!top->IsToolbarWindow() && !top->ParentBarWindow()) break;
            test = true;
          } else if (IsButtonPress(Msg)) {
            test = true;
          }
          if (!test || InActiveChain(R) || OnEditorOfChain(R)) break;
          top->CloseChain();
        }
      }
    } catch (...) {
      h.mouseGuard = false;
      throw;
    }
    h.mouseGuard = false;
    if (!relevant || !IsWindowVisible(R.hwnd)) return true;
  }
  if (Code >= 0 && (Msg == WM_RBUTTONUP || Msg == WM_NCRBUTTONUP))
    return ShowControlPopup(R.hwnd, Point(R.pt.x, R.pt.y));
  return false;
}

LRESULT CALLBACK BarMouseHook(int Code, WPARAM Msg, LPARAM Data) {
  bool discard = false;
  try {
    if (Data) discard = MouseHookBody(Code, static_cast<UINT>(Msg), *reinterpret_cast<MOUSEHOOKSTRUCT*>(Data));
  } catch (...) {
    if (Application) Application->HandleException(nullptr);
  }
  LRESULT next = CallNextHookEx(H().mouse, Code, Msg, Data);
  return discard ? 1 : next;
}

// --- Call-window procedure -------------------------------------------------------------------
// An MDI child was sized, activated or destroyed: once the message is
// handled, its frame's manager looks whether the active child is maximized.
void NoteMDIChildChange(HWND Child) {
  HWND client = GetParent(Child);
  HWND frame = client ? GetParent(client) : nullptr;
  TCustomForm* f = frame ? FormOfWindow(frame) : nullptr;
  TdxBarManager* m = f ? FindBarManagerOfForm(f) : nullptr;
  if (!m) return;
  dxBarDeferred([m] {
    for (Integer i = 0; i < TdxBarManager::ManagerCount(); ++i)
      if (TdxBarManager::Managers(i) == m) {
        m->HandleMDIChildChange();
        return;
      }
  });
}

LRESULT CALLBACK BarCallWndProcHook(int Code, WPARAM Flag, LPARAM Data) {
  try {
    auto* cw = reinterpret_cast<CWPSTRUCT*>(Data);
    if (Code == HC_ACTION && cw &&
        (cw->message == WM_SIZE || cw->message == WM_MDIACTIVATE || cw->message == WM_CHILDACTIVATE ||
         cw->message == WM_DESTROY) &&
        (GetWindowLongW(cw->hwnd, GWL_EXSTYLE) & WS_EX_MDICHILD))
      NoteMDIChildChange(cw->hwnd);
    // Messages to a manager's owner form reach the manager first.
    if (Code == HC_ACTION && cw)
      for (Integer i = 0; i < TdxBarManager::ManagerCount(); ++i) {
        TdxBarManager* m = TdxBarManager::Managers(i);
        TCustomForm* f = m->OwnerForm();
        if (f && f->HandleAllocated() && f->Handle() == cw->hwnd) {
          m->HandleOwnerMessage(cw->message, cw->wParam, cw->lParam);
          break;
        }
      }
  } catch (...) {
    if (Application) Application->HandleException(nullptr);
  }
  return CallNextHookEx(H().callWnd, Code, Flag, Data);
}

}  // namespace

// --- Installation (the manager list calls these) ----------------------------------------------
void dxBarInstallHooks() {
  auto& h = H();
  DWORD tid = GetCurrentThreadId();
  if (!h.keyboard) h.keyboard = SetWindowsHookExW(WH_KEYBOARD, BarKeyboardHook, nullptr, tid);
  if (!h.mouse) h.mouse = SetWindowsHookExW(WH_MOUSE, BarMouseHook, nullptr, tid);
  if (!h.callWnd) h.callWnd = SetWindowsHookExW(WH_CALLWNDPROC, BarCallWndProcHook, nullptr, tid);
}

void dxBarRemoveHooks() {
  auto& h = H();
  if (h.callWnd) UnhookWindowsHookEx(h.callWnd);
  if (h.mouse) UnhookWindowsHookEx(h.mouse);
  if (h.keyboard) UnhookWindowsHookEx(h.keyboard);
  h.callWnd = h.mouse = h.keyboard = nullptr;
  h.altAlone = h.swallowKeyUp = h.mouseGuard = false;
}

bool dxBarHooksInstalled() {
  auto& h = H();
  return h.callWnd && h.mouse && h.keyboard;
}

LRESULT CallBarKeyboardHook(WPARAM Key, LPARAM KeyData) {
  auto& h = H();
  bool saved = h.reentry;
  h.reentry = true;
  LRESULT r = BarKeyboardHook(HC_ACTION, Key, KeyData);
  h.reentry = saved;
  return r;
}

// --- Shortcuts and accelerators --------------------------------------------------------------
Integer CurrentShiftBits() {
  Integer bits = 0;
  if (KeyDownNow(VK_SHIFT)) bits |= 1;
  if (KeyDownNow(VK_MENU)) bits |= 2;
  if (KeyDownNow(VK_CONTROL)) bits |= 4;
  return bits;
}

TShortCut ShortCutOfKey(Word Key) {
  Word v = Key & 0xFF;
  if (KeyDownNow(VK_SHIFT)) v |= 0x2000;
  if (KeyDownNow(VK_CONTROL)) v |= 0x4000;
  if (KeyDownNow(VK_MENU)) v |= 0x8000;
  return v;
}

bool AnyKeyDown() {
  BYTE state[256];
  if (!GetKeyboardState(state)) return false;
  for (BYTE b : state)
    if (b & 0x80) return true;
  return false;
}

namespace {
// The thread's key state still holds the Alt being released while its hook
// runs: any key down other than Alt itself.
bool OtherThanAltDown() {
  BYTE state[256];
  if (!GetKeyboardState(state)) return false;
  for (int k = 0; k < 256; ++k)
    if ((state[k] & 0x80) && k != VK_MENU && k != VK_LMENU && k != VK_RMENU) return true;
  return false;
}
}  // namespace

bool FireShortCutItem(TdxBarManager* M, Word Key) {
  TShortCut sc = ShortCutOfKey(Key);
  if (!M || !M->Bars()) return false;
  TdxBar* mainBar = M->MainMenuBar();
  if (mainBar && mainBar->ClickShortCut(sc)) return true;
  for (Integer i = 0; i < M->Bars()->Count(); ++i) {
    TdxBar* b = M->Bars()->Items(i);
    if (b == mainBar || !b->Visible()) continue;
    if (b->ClickShortCut(sc)) return true;
  }
  return false;
}

TdxBarItemLink* FindAcceleratorLink(TdxBarManager* M, Word Key, Integer ShiftBits) {
  if (!M || !M->Bars()) return nullptr;
  TShiftState shift;
  if (ShiftBits & 1) shift.Include(ssShift);
  if (ShiftBits & 4) shift.Include(ssCtrl);
  TdxBar* mainBar = M->MainMenuBar();
  if (mainBar && mainBar->Control())
    if (TdxBarItemLink* l = mainBar->ItemLinks()->FindByAccelerator(Key, shift, nullptr)) return l;
  for (Integer i = 0; i < M->Bars()->Count(); ++i) {
    TdxBar* b = M->Bars()->Items(i);
    if (b == mainBar || !b->Visible()) continue;
    if (TdxBarItemLink* l = b->ItemLinks()->FindByAccelerator(Key, shift, nullptr)) return l;
  }
  return nullptr;
}

bool HandleShortCutKey(TdxBarManager* M, Word Key) {
  if (FireShortCutItem(M, Key)) return true;
  if (!KeyDownNow(VK_MENU)) return false;
  TdxBarItemLink* link = FindAcceleratorLink(M, Key, CurrentShiftBits() & ~2);
  if (!link || !link->Item() || !link->Item()->ReadEnabled()) return false;
  TdxBarItemControl* view = link->Control();
  auto* window = view ? dynamic_cast<TdxBarControl*>(view->Window()) : nullptr;
  if (!window || !IsLiveBarControl(window)) return false;
  TShiftState shift;
  if (CurrentShiftBits() & 1) shift.Include(ssShift);
  TdxBarItemLink* next = link->Links()->FindByAccelerator(Key, shift, link);
  // An ambiguous letter, or a view that neither runs nor opens anything on a
  // click, only selects; a unique one clicks (a sub item drops its menu down).
  bool opensMenu = dynamic_cast<TdxBarSubItemControl*>(view) != nullptr;
  if ((!view->ClickClosesMenus() && !opensMenu) || (next && next != link)) {
    window->EnterMenuMode(view);
  } else {
    window->EnterMenuMode(view);
    if (opensMenu) window->KeyboardDropDown = true;
    if (IsLiveBarControl(window) && window->OwnsItemControl(view)) view->PerformClick(false);
  }
  return true;
}

TdxBarManager* HookTargetManager() {
  HWND active = GetActiveWindow();
  TCustomForm* form = FormOfWindow(active);
  if (!form || form->ComponentState().Contains(csDesigning) || !form->HandleAllocated() || form->Handle() != active)
    return nullptr;
  if (form->FormStyle() == fsMDIForm)
    if (TCustomForm* child = form->ActiveMDIChild()) form = child;
  TdxBarManager* m = FindBarManagerOfForm(form);
  TCustomForm* mainForm = Application ? Application->MainForm() : nullptr;
  TdxBarManager* mainManager = mainForm ? FindBarManagerOfForm(mainForm) : nullptr;
  if (form->FormStyle() == fsMDIChild && (!m || !m->MainMenuBar())) return mainManager;
  if (!m && (form->FormStyle() == fsNormal || form->FormStyle() == fsStayOnTop)) {
    if (mainManager && mainManager->AllowCallFromAnotherForm() && mainForm->HandleAllocated() &&
        IsWindowEnabled(mainForm->Handle()))
      return mainManager;
    return nullptr;
  }
  return m;
}

// --- Deferred calls ----------------------------------------------------------------------------------
namespace {
constexpr UINT kRunDeferred = WM_USER + 0x51;
std::deque<std::function<void()>>& Deferred() {
  static std::deque<std::function<void()>> q;
  return q;
}
LRESULT CALLBACK DeferredProc(HWND W, UINT Msg, WPARAM Wp, LPARAM Lp) {
  if (Msg != kRunDeferred) return DefWindowProcW(W, Msg, Wp, Lp);
  while (!Deferred().empty()) {
    std::function<void()> f = std::move(Deferred().front());
    Deferred().pop_front();
    try {
      f();
    } catch (...) {
      if (Application) Application->HandleException(nullptr);
    }
  }
  return 0;
}
HWND DeferredWindow() {
  static HWND w = nullptr;
  if (w && IsWindow(w)) return w;
  WNDCLASSW wc = {};
  wc.lpfnWndProc = DeferredProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"dxBarDeferred";
  RegisterClassW(&wc);
  w = CreateWindowW(L"dxBarDeferred", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  return w;
}
}  // namespace

void dxBarDeferred(std::function<void()> Call) {
  Deferred().push_back(std::move(Call));
  PostMessageW(DeferredWindow(), kRunDeferred, 0, 0);
}
