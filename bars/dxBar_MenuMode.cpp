// Keyboard menu mode of a toolbar window and its input on top of the base
// routing: entering and leaving menu mode (focus taken and given back), the
// keys that open sub items or run buttons, and clicks that start menu mode.
#include <algorithm>
#include <map>

#include "bars/dxBar.h"

bool CaptionPressActive = false;
Byte CaptionPressIndex = 0;
bool CaptionPressUnderMouse = false;

namespace {
// The toolbar window of each manager that is in keyboard menu mode.
std::map<TdxBarManager*, TdxBarControl*>& MenuModeWindows() {
  static std::map<TdxBarManager*, TdxBarControl*> m;
  return m;
}

// A view that drops down a menu of its own rather than running a command.
bool OpensMenu(TdxBarItemControl* C) { return dynamic_cast<TdxBarSubItemControl*>(C) != nullptr; }

TCustomdxBarControl* BarWindowUnderCursor() {
  POINT p;
  GetCursorPos(&p);
  HWND w = WindowFromPoint(p);
  auto* c = dynamic_cast<TCustomdxBarControl*>(ControlOfWindow(w));
  return c && IsLiveBarControl(c) && c->HandleAllocated() && c->Handle() == w ? c : nullptr;
}
}  // namespace

TdxBarControl* KeyboardMenuWindow(TdxBarManager* Manager) {
  auto& m = MenuModeWindows();
  auto it = m.find(Manager);
  return it == m.end() ? nullptr : it->second;
}

bool TdxBarControl::InMenuMode() const { return KeyboardMenuWindow(manager_) == this; }

void TdxBarControl::EnterMenuMode(TdxBarItemControl* Control) {
  if (!HandleAllocated()) return;
  if (TCustomdxBarControl* under = BarWindowUnderCursor())
    if (under != this) SendMessageW(under->Handle(), WM_MOUSELEAVE, 0, 0);
  TCustomForm* form = manager_->OwnerForm();
  if (form) form->SendCancelMode(nullptr);
  FocusBeforeMenuMode = GetFocus();
  if (!InCustomizing() && form && form->HandleAllocated())
    SetWindowPos(form->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (!Control && itemLinks_) {
    for (TdxBarItemLink* l = itemLinks_->FirstSelectable(); l; l = itemLinks_->NextSelectable(l)) {
      if (l->Control() && l->Control()->SameManager()) {
        Control = l->Control();
        break;
      }
      if (itemLinks_->NextSelectable(l) == itemLinks_->FirstSelectable()) break;
    }
  }
  SelectItem(Control);
  SetActive(true);
  MenuModeWindows()[manager_] = this;
}

void TdxBarControl::LeaveMenuMode() {
  auto& m = MenuModeWindows();
  auto it = m.find(manager_);
  if (it == m.end() || it->second != this) return;
  m.erase(it);
  SelectItem(nullptr);
  SetActive(false);
  if (TCustomdxBarControl* under = BarWindowUnderCursor()) {
    // Hot tracking resumes at once where the cursor is.
    POINT p;
    GetCursorPos(&p);
    ::ScreenToClient(under->Handle(), &p);
    under->ForgetMousePos();
    PostMessageW(under->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(p.x, p.y));
  }
  TCustomForm* form = manager_->OwnerForm();
  HWND focus = FocusBeforeMenuMode;
  FocusBeforeMenuMode = nullptr;
  if (Application && Application->Active() && form && form->HandleAllocated() &&
      GetActiveWindow() == form->Handle() && focus && IsWindowVisible(focus))
    ::SetFocus(focus);
}

void TdxBarControl::SetActive(bool Value) {
  if (!Value && active_) {
    if (InCustomizing()) HotTrackTo(nullptr);
    auto* b = dynamic_cast<TdxBarButtonControl*>(selectedControl_);
    if (b && b->DropDownOpen) b->LeaveActive(true);
    if (KeyboardDropDown) {
      KeyboardDropDown = false;
      if (!InCustomizing()) LeaveMenuMode();
    }
  }
  TCustomdxBarControl::SetActive(Value);
}

void TdxBarControl::CloseChain() {
  LeaveMenuMode();
  TCustomdxBarControl::CloseChain();
}

void TdxBarControl::SelectItem(TdxBarItemControl* Control) {
  TdxBarItemControl* old = selectedControl_;
  TCustomdxBarControl::SelectItem(Control);
  if (InCustomizing() || !IsLiveBarControl(this)) return;
  TdxBarItemControl* now = selectedControl_;
  if (now && now != old && !now->Active) {
    if (OpensMenu(now))
      now->PrepareClick(false);
    else
      now->EnterActive(true);
  }
}

bool TdxBarControl::MouseUnmoved(TPoint P) const {
  if (TCustomdxBarControl::MouseUnmoved(P)) return true;
  if (dockingStyle_ == dsNone) return false;
  TCustomForm* form = manager_->OwnerForm();
  if (!form) return false;
  bool appActive = !Application || Application->Active();
  if (form->FormStyle() == fsMDIForm) return !appActive;
  if (form->HandleAllocated() && GetActiveWindow() == form->Handle()) return false;
  auto* activeBar = dynamic_cast<TCustomdxBarControl*>(ControlOfWindow(GetActiveWindow()));
  return !(activeBar && activeBar->BarManager() == manager_);
}

void TdxBarControl::WMKeyDownBar(TMessage& M) {
  Word key = static_cast<Word>(M.WParam);
  // Keys an open drop-down or an in-place editor wants go to the view first.
  if (active_ && ForwardKeyToSelected(key)) return;
  TCustomdxBarControl::WMKeyDownBar(M);
  if (!active_ || !IsLiveBarControl(this)) return;
  TdxBarItemControl* sel = selectedControl_;
  switch (key) {
    case VK_RETURN:
    case VK_UP:
    case VK_DOWN:
      if (!sel) return;
      if (!KeyboardDropDown && OpensMenu(sel) && sel->ItemEnabled()) KeyboardDropDown = true;
      if (OpensMenu(sel) || key == VK_RETURN) sel->PerformClick(false);
      return;
    case VK_ESCAPE:
      M.WParam = 0;
      CloseChain();
      return;
    default: return;
  }
}

void TdxBarControl::WMLButtonDblClkBar(TMessage& M) {
  // A double click on the drag handle floats a docked bar at its last
  // floating place and docks a floating one where it was last docked. The
  // window moves as in a drag (it is not re-created under its own message).
  if (HitCode == HTCLOSE && !InCustomizing()) {
    CloseButtonLoop();
    return;
  }
  // A quick second click on a caption button of the main menu presses it again.
  if (!InCustomizing() && CaptionButtonAt(MessagePoint(M.LParam)) >= 0) {
    WMLButtonDownBar(M);
    return;
  }
  if (HitCode == HTCAPTION && !InCustomizing() && !manager_->Designing()) {
    CloseChain();
    TdxBars* bars = bar_->Bars();
    if (!bars) return;
    if (dockingStyle_ != dsNone) {
      if (!manager_->CanDock(bar_, dsNone, nullptr)) return;
      TdxDockControl* old = dockSite_;
      BeginLock();
      MoveToDockSite(dsNone, nullptr);
      TPoint s = CalcDockedSize(dsNone);
      SetBounds(bar_->FloatLeft(), bar_->FloatTop(), s.X, s.Y);
      EndLock();
      if (old) old->UpdateLayout();
      bar_->dockingStyle_ = dsNone;
      bar_->dockControl_ = nullptr;
      ArrangeItems();
    } else {
      TdxBarDockingStyle to = bar_->DockedDockingStyle();
      TdxDockControl* site = bar_->DockedDockControl();
      if (to == dsNone) to = dsTop;
      if (!site) site = bars->DockControl(to);
      if (!site || !site->HandleAllocated() || !manager_->CanDock(bar_, to, site)) return;
      BeginLock();
      MoveToDockSite(to, site);
      site->InsertBar(this, site->ClientToScreen(Point(bar_->DockedLeft(), bar_->DockedTop())));
      EndLock();
      RebuildLayout();
      bar_->dockingStyle_ = to;
      bar_->dockControl_ = site == bars->DockControl(to) ? nullptr : site;
    }
    ::ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    Invalidate();
    bar_->StorePosition();
    manager_->DoBarDockingStyleChange(bar_);
    return;
  }
  TCustomdxBarControl::WMLButtonDblClkBar(M);
}
