// Popup menus: a menu window of the form's bar items shown at a screen point
// with its own modal loop (the caller regains control once the menu closed),
// and the links that attach popup menus to controls of the manager's form.
#include <algorithm>

#include "bars/dxBar.h"

namespace {
constexpr const char* kNoManagers = "There are no TdxBarManagers available";
constexpr UINT kCMCancelMode = 0xB004;
}  // namespace

TdxBarPopupMenu::TdxBarPopupMenu(TComponent* AOwner) : TComponent(AOwner) {
  if (TdxBarManager::ManagerCount() == 0) throw Exception(kNoManagers);
  TdxBarManager* m = FindBarManagerOfForm(dynamic_cast<TCustomForm*>(AOwner));
  if (!m) m = TdxBarManager::Managers(0);
  font_ = std::make_unique<TFont>();
  if (m) font_->Assign(m->Font());
  font_->OnChange = TNotifyEvent(this, &TdxBarPopupMenu::FontChangedHandler);
  itemLinks_ = std::make_unique<TdxBarItemLinks>(m, this);
  SetBarManager(m);
}

TdxBarPopupMenu::~TdxBarPopupMenu() {
  Destroying();
  if (freedFlag_) *freedFlag_ = true;
  running_ = false;
  if (TdxBarSubMenuControl* w = itemLinks_ ? Window() : nullptr) {
    w->OnCloseUp = nullptr;
    w->OnPopup = nullptr;
  }
  Close();
  itemLinks_.reset();
  if (manager_) manager_->RemovePopupMenu(this);
  if (ownFont_) DeleteObject(ownFont_);
  ownFont_ = nullptr;
}

void TdxBarPopupMenu::SetBarManager(TdxBarManager* Value) {
  if (manager_ == Value) return;
  // A popup menu always belongs to a manager while it lives.
  if (!Value && !ComponentState().Contains(csDestroying) && manager_) return;
  if (manager_) manager_->RemovePopupMenu(this);
  manager_ = Value;
  if (manager_) manager_->AddPopupMenu(this);
  itemLinks_->SetBarManager(Value);
}

void TdxBarPopupMenu::SetItemLinks(TdxBarItemLinks* Value) { itemLinks_->Assign(Value); }

void TdxBarPopupMenu::SetUseRecentItems(bool V) {
  useRecentItems_ = V;
  itemLinks_->SetUseRecentItems(V);
}

void TdxBarPopupMenu::FontChangedHandler(TObject*) {
  if (fontCopying_) return;
  useOwnFont_ = true;
  CreateBarFont(font_.get(), ownFont_, false);
}

void TdxBarPopupMenu::SetUseOwnFont(bool V) {
  if (V) {
    if (!useOwnFont_) FontChangedHandler(nullptr);
    return;
  }
  fontCopying_ = true;
  if (manager_) font_->Assign(manager_->Font());
  fontCopying_ = false;
  if (ownFont_) DeleteObject(ownFont_);
  ownFont_ = nullptr;
  useOwnFont_ = false;
}

void TdxBarPopupMenu::ManagerFontChanged() {
  if (useOwnFont_)
    CreateBarFont(font_.get(), ownFont_, false);
  else
    SetUseOwnFont(false);
}

void TdxBarPopupMenu::Loaded() {
  TComponent::Loaded();
  if (!(manager_ && manager_->IsLoading())) itemLinks_->ApplyLoadedState(true);
}

TdxBarSubMenuControl* TdxBarPopupMenu::Window() const {
  return dynamic_cast<TdxBarSubMenuControl*>(itemLinks_->BarControl());
}

void TdxBarPopupMenu::ShowAt(Integer X, Integer Y) {
  auto* w = dynamic_cast<TdxBarSubMenuControl*>(itemLinks_->CreateBarWindow());
  if (!w) return;
  w->SetBounds(X, Y, w->Width(), w->Height());
  w->ExclusionWidth = exclusionWidth_;
  w->ExclusionHeight = exclusionHeight_;
  auto* ownerControl = dynamic_cast<TWinControl*>(Owner());
  w->OwnerWindow = ownerControl && ownerControl->HandleAllocated() ? ownerControl->Handle() : nullptr;
  w->Animate = animate_;
  w->OnCloseUp = [this](TObject*) { HandleCloseUp(); };
  w->OnPopup = [this](TObject*) { HandlePopup(); };
  closeUpFired_ = false;
  w->ShowSubMenuWindow();
}

void TdxBarPopupMenu::Close() {
  if (TdxBarSubMenuControl* w = itemLinks_ ? Window() : nullptr)
    w->CloseMenu();
  else if (itemLinks_)
    itemLinks_->FreeBarWindow();
}

void TdxBarPopupMenu::HandleCloseUp() {
  running_ = false;
  if (closeUpFired_) return;
  closeUpFired_ = true;
  OnCloseUp(this);
}

void TdxBarPopupMenu::ShowAtCursor() {
  POINT p;
  GetCursorPos(&p);
  ShowAtPoint(p.x, p.y);
}

void TdxBarPopupMenu::ShowAtPointEx(Integer X, Integer Y, bool Animate, Integer ExclusionHeight,
                                    Integer ExclusionWidth) {
  exclusionWidth_ = ExclusionWidth;
  exclusionHeight_ = ExclusionHeight;
  animate_ = Animate;
  try {
    ShowAtPoint(X, Y);
  } catch (...) {
    exclusionWidth_ = exclusionHeight_ = 0;
    animate_ = true;
    throw;
  }
  exclusionWidth_ = exclusionHeight_ = 0;
  animate_ = true;
}

void TdxBarPopupMenu::ShowAtPoint(Integer X, Integer Y) {
  if (!manager_ || itemLinks_->BarControl()) return;
  TCustomForm* form = dynamic_cast<TCustomForm*>(Owner());
  if (!form) form = manager_->OwnerForm();
  if (form) form->SendCancelMode(nullptr);
  if (HWND capture = GetCapture()) {
    SendMessageW(capture, kCMCancelMode, 0, 0);
    ReleaseCapture();
  }
  ShowAt(X, Y);
  TdxBarSubMenuControl* w = Window();
  if (!w || shownAsDropDown_) return;

  // The menu is closed when its window went or stopped being active (a
  // command was chosen, Esc, a click outside).
  auto closed = [this, w] { return !IsLiveBarControl(w) || Window() != w || !w->HandleAllocated(); };
  running_ = true;
  bool quit = false, freed = false;
  WPARAM quitCode = 0;
  bool* outerFlag = freedFlag_;
  freedFlag_ = &freed;
  while (!freed && running_) {
    if (closed()) {
      HandleCloseUp();
      break;
    }
    MSG msg;
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == -1) break;
    if (!got) {
      quit = true;
      quitCode = msg.wParam;
      break;
    }
    if (freed || !running_) {
      // Retrieved after the menu closed: handled after the loop.
      PostMessageW(msg.hwnd, msg.message, msg.wParam, msg.lParam);
      break;
    }
    if (msg.message == WM_COMMAND) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // The form owning the menu may have been freed while the loop ran (a
  // handler closed it): nothing of the menu is touched then.
  if (!freed) {
    freedFlag_ = outerFlag;
    running_ = false;
    if (IsLiveBarControl(w) && Window() == w) Close();
    if (!closeUpFired_) HandleCloseUp();
  } else if (outerFlag) {
    *outerFlag = true;
  }
  if (quit) PostQuitMessage(static_cast<int>(quitCode));
}

// --- Links to controls ---------------------------------------------------------------------------
TdxBarPopupMenuLinks::TdxBarPopupMenuLinks(TdxBarManager* Manager)
    : TOwnedCollection(Manager, CollectionItemClass<TdxBarPopupMenuLink>()), manager_(Manager) {}

void TdxBarPopupMenuLinks::ComponentRemoved(TComponent* C) {
  for (Integer i = 0; i < Count(); ++i) {
    TdxBarPopupMenuLink* l = Items(i);
    if (l->control_ == C) l->control_ = nullptr;
    if (l->popupMenu_ == C) l->popupMenu_ = nullptr;
  }
}

bool TdxBarPopupMenuLinks::ShowForControl(TWinControl* Control, HWND Window, TPoint Point) {
  if (!Control || (manager_ && manager_->Designing())) return false;
  for (Integer i = 0; i < Count(); ++i) {
    TdxBarPopupMenuLink* l = Items(i);
    if (l->Control() == Control && l->ShowContextMenu(Window, Point)) return true;
  }
  return false;
}

void TdxBarManager::SetPopupMenuLinks(TdxBarPopupMenuLinks* V) {
  if (!V || V == popupMenuLinks_.get()) return;
  popupMenuLinks_->Clear();
  for (Integer i = 0; i < V->Count(); ++i) popupMenuLinks_->Add()->Assign(V->Items(i));
}

TdxBarManager* TdxBarPopupMenuLink::BarManager() const {
  auto* links = static_cast<TdxBarPopupMenuLinks*>(Collection());
  return links ? links->BarManager() : nullptr;
}

void TdxBarPopupMenuLink::SetControl(TWinControl* Value) {
  TdxBarManager* m = BarManager();
  // Only controls of the manager's own form can carry its popup menus.
  if (Value && (!m || GetParentForm(Value) != m->OwnerForm())) Value = nullptr;
  control_ = Value;
  if (Value && m) Value->FreeNotification(m);
}

void TdxBarPopupMenuLink::SetPopupMenu(TdxBarPopupMenu* Value) {
  popupMenu_ = Value;
  if (Value && BarManager()) Value->FreeNotification(BarManager());
}

void TdxBarPopupMenuLink::Assign(TPersistent* Source) {
  if (auto* l = dynamic_cast<TdxBarPopupMenuLink*>(Source)) {
    SetControl(l->Control());
    SetPopupMenu(l->PopupMenu());
    return;
  }
  TCollectionItem::Assign(Source);
}

bool TdxBarPopupMenuLink::ShowContextMenu(HWND Window, TPoint P) {
  if (!control_ || !Window) return false;
  MSG pending;
  PeekMessageW(&pending, Window, WM_CONTEXTMENU, WM_CONTEXTMENU, PM_REMOVE);
  bool byMouse = P.X != -1;
  POINT menuPt{0, 0};
  TPoint told = Point(-1, -1);
  if (!byMouse) {
    if (HideCaret(Window)) {
      GetCaretPos(&menuPt);
      ShowCaret(Window);
    }
  } else {
    menuPt = POINT{P.X, P.Y};
    ScreenToClient(Window, &menuPt);
    POINT c{P.X, P.Y};
    ScreenToClient(control_->Handle(), &c);
    told = Point(c.x, c.y);
  }
  bool handled = false;
  control_->DoContextPopup(told, handled);
  if (handled) return true;
  bool allow = popupMenu_ != nullptr;
  if (OnAction) {
    // The handler sees and may move the point in the control's coordinates.
    POINT c = menuPt;
    MapWindowPoints(Window, control_->Handle(), &c, 1);
    Integer x = c.x, y = c.y;
    OnAction(this, x, y, byMouse, allow);
    c = POINT{x, y};
    MapWindowPoints(control_->Handle(), Window, &c, 1);
    menuPt = c;
  }
  if (!allow || !popupMenu_) return allow;
  if (IsWindowEnabled(Window)) ::SetFocus(Window);
  ClientToScreen(Window, &menuPt);
  popupMenu_->ShowAtPoint(menuPt.x, menuPt.y);
  return true;
}
