// Sub items (items that open a menu of their own links), container items
// that put generated entries in their place inside a menu (string lists,
// inlined link collections), and the views of both with the hover delay that
// opens and closes cascading menus.
#include <algorithm>

#include "bars/dxBar.h"

// --- TCustomdxBarSubItem --------------------------------------------------------------------
TCustomdxBarSubItem::TCustomdxBarSubItem(TComponent* AOwner) : TdxBarItem(AOwner) {
  itemLinks_ = std::make_unique<TdxBarItemLinks>(manager_, this);
}

TCustomdxBarSubItem::~TCustomdxBarSubItem() {
  Destroying();
  detachingBar_ = nullptr;
  // The menu goes before its links; the views showing this item go with the links (base destructor).
  itemLinks_.reset();
}

void TCustomdxBarSubItem::AfterManagerSet() { itemLinks_->SetBarManager(manager_); }

void TCustomdxBarSubItem::SetBarSize(Integer V) {
  if (V < 0) V = 0;
  barSize_ = V;
}

void TCustomdxBarSubItem::SetShowCaption(bool V) {
  if (showCaption_ == V) return;
  showCaption_ = V;
  if (!IsLoading()) RelayoutLinks();
}

Integer TCustomdxBarSubItem::DetachingBar() const { return detachingBar_ ? detachingBar_->Index() : -1; }

void TCustomdxBarSubItem::WriteDetachingBar(Integer Index) {
  TdxBars* bars = manager_ ? manager_->Bars() : nullptr;
  if (!bars || Index < -1 || Index >= bars->Count()) Index = -1;
  if (Index == DetachingBar()) return;
  detachingBar_ = Index < 0 ? nullptr : bars->Items(Index);
}

void TCustomdxBarSubItem::BarChanged(Integer, TdxBar* Bar) {
  if (Bar && Bar == detachingBar_) detachingBar_ = nullptr;
}

TdxBarSubMenuControl* TCustomdxBarSubItem::MenuWindow() const {
  return dynamic_cast<TdxBarSubMenuControl*>(itemLinks_->BarControl());
}

namespace {
bool LinksContain(TdxBarItemLinks* Links, TCustomdxBarSubItem* Target, int Depth) {
  if (!Links || Depth > 64) return false;
  for (Integer i = 0; i < Links->Count(); ++i) {
    auto* sub = dynamic_cast<TCustomdxBarSubItem*>(Links->Items(i)->Item());
    if (!sub) continue;
    if (sub == Target || LinksContain(sub->ItemLinks(), Target, Depth + 1)) return true;
  }
  return false;
}
}  // namespace

bool TCustomdxBarSubItem::AcceptsLink(TPersistent* Owner, TdxBarItem* Item) {
  auto* owner = dynamic_cast<TCustomdxBarSubItem*>(Owner);
  auto* sub = dynamic_cast<TCustomdxBarSubItem*>(Item);
  if (!owner || !sub) return true;
  return sub != owner && !LinksContain(sub->ItemLinks(), owner, 0);
}

// --- Container items --------------------------------------------------------------------------
void dxBarForgetContainer(TCustomdxBarContainerItem* Item);  // dxBar_SubMenu.cpp

TCustomdxBarContainerItem::~TCustomdxBarContainerItem() {
  // Menus that expanded it give its place back before its links go.
  dxBarForgetContainer(this);
  if (stale_) ClearData();
}

void TCustomdxBarContainerItem::InsertLinks(TdxBarItemLinks*, Integer, TdxBarItemLink*, bool First) {
  if (stale_) ClearData();
  if (First) OnGetData(this);
}

TdxBarListItem::TdxBarListItem(TComponent* AOwner) : TCustomdxBarContainerItem(AOwner) {
  items_ = std::make_unique<TStringList>();
}

TdxBarListItem::~TdxBarListItem() {
  dxBarForgetContainer(this);
  stale_ = false;
  FreeButtons();
}

Integer TdxBarListItem::DataIndex() const {
  if (itemIndex_ < 0) return -1;
  Integer n = 0;
  for (Integer i = 0; i <= itemIndex_ && i < items_->Count(); ++i)
    if (items_->Strings(i) != "-") ++n;
  return n - 1;
}

void TdxBarListItem::SetDataIndex(Integer V) {
  if (items_->Count() == 0) {
    itemIndex_ = -1;
    return;
  }
  Integer count = -1;
  for (Integer i = 0; i < items_->Count(); ++i) {
    if (items_->Strings(i) == "-") continue;
    if (++count == V) {
      itemIndex_ = i;
      return;
    }
  }
  itemIndex_ = items_->Count();
}

void TdxBarListItem::RunClick() {
  // Opening the list's own menu is no choice; choosing an entry is.
  for (Integer i = 0; i < LinkCount(); ++i)
    if (Links(i)->Control() && Links(i)->Control()->Active) return;
  TCustomdxBarContainerItem::RunClick();
}

void TdxBarListItem::EntryClick(TObject* Sender) {
  itemIndex_ = static_cast<Integer>(static_cast<TComponent*>(Sender)->Tag());
  RunClick();
}

void TdxBarListItem::InsertLinks(TdxBarItemLinks* Links, Integer Position, TdxBarItemLink* Link, bool First) {
  TCustomdxBarContainerItem::InsertLinks(Links, Position, Link, First);
  bool make = buttons_.empty();
  TComponent* form = manager_ ? static_cast<TComponent*>(manager_->OwnerForm()) : Owner();
  Integer n = 0;
  bool group = false;
  for (Integer i = 0; i < items_->Count(); ++i) {
    const std::string& s = items_->Strings(i);
    if (s == "-") {
      group = true;
      continue;
    }
    if (make) {
      auto* b = new TdxBarButton(form);
      if (showCheck_ && i == itemIndex_) {
        b->SetButtonStyle(bsChecked);
        b->SetDown(true);
      }
      std::string caption;
      if (showNumbers_) caption = std::string("&") + (n < 9 ? static_cast<char>('1' + n) : static_cast<char>(n + 56)) + " ";
      b->SetHint("-");  // keeps the hint from following the caption
      b->SetCaption(caption + GetEntryCaption(s));
      b->SetHint("");
      b->SetTag(i);
      b->OnClick = TNotifyEvent(this, &TdxBarListItem::EntryClick);
      b->SetEnabled(ReadEnabled());
      // The form owns the buttons and may free them first (it frees its components last to first).
      b->FreeNotification(this);
      buttons_.push_back(b);
    }
    if (n >= static_cast<Integer>(buttons_.size())) break;
    TdxBarItemLink* l = Links->Add();
    l->ownerLink_ = Link;
    l->SetIndex(Position + n);
    l->SetItem(buttons_[static_cast<size_t>(n)]);
    l->SetBeginGroup(n == 0 || group);
    l->UseCount = Link->UseCount;
    l->MoveInRecent(Link->SavedRecentPosition >= 0 ? Link->SavedRecentPosition : Link->RecentIndex());
    group = false;
    ++n;
  }
}

void TdxBarListItem::RemoveLinks(TdxBarItemLinks* Links, Integer Position) {
  for (Integer i = 0; i < items_->Count(); ++i)
    if (items_->Strings(i) != "-" && Position < Links->Count()) delete Links->Items(Position);
}

void TdxBarListItem::FreeButtons() {
  while (!buttons_.empty()) {
    TdxBarButton* b = buttons_.back();
    buttons_.pop_back();
    b->RemoveFreeNotification(this);
    delete b;
  }
}

void TdxBarListItem::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomdxBarContainerItem::Notification(AComponent, Operation);
  if (Operation == opRemove)
    buttons_.erase(std::remove(buttons_.begin(), buttons_.end(), AComponent), buttons_.end());
}

void TdxBarListItem::ClearData() {
  if (!buttons_.empty() && buttons_.front()->LinkCount() == 0) FreeButtons();
  TCustomdxBarContainerItem::ClearData();
}

void TdxBarContainerItem::InsertLinks(TdxBarItemLinks* Links, Integer Position, TdxBarItemLink* Link, bool First) {
  TCustomdxBarContainerItem::InsertLinks(Links, Position, Link, First);
  if (Links == ItemLinks()) return;
  std::vector<TdxBarItemLink*> own = ItemLinks()->VisibleLinks();
  for (size_t i = 0; i < own.size(); ++i) {
    TdxBarItemLink* l = Links->Add();
    l->ownerLink_ = Link;
    l->Assign(own[i]);
    l->SetIndex(Position + static_cast<Integer>(i));
    if (i == 0) l->SetBeginGroup(true);
    l->UseCount = Link->UseCount;
    l->MoveInRecent(Link->SavedRecentPosition >= 0 ? Link->SavedRecentPosition : Link->RecentIndex());
  }
}

void TdxBarContainerItem::RemoveLinks(TdxBarItemLinks* Links, Integer Position) {
  if (Links == ItemLinks()) return;
  size_t n = ItemLinks()->VisibleLinks().size();
  for (size_t i = 0; i < n && Position < Links->Count(); ++i) delete Links->Items(Position);
}

// --- Hover delay ------------------------------------------------------------------------------
namespace {
TdxBarSubItemControl* pendingView = nullptr;
bool pendingOpen = false;
UINT_PTR pendingTimer = 0;

void KillPending() {
  if (pendingTimer) KillTimer(nullptr, pendingTimer);
  pendingTimer = 0;
  pendingView = nullptr;
}

void CALLBACK PendingTimerProc(HWND, UINT, UINT_PTR, DWORD) {
  TdxBarSubItemControl* v = pendingView;
  bool open = pendingOpen;
  KillPending();
  if (!v) return;
  try {
    if (open)
      v->EnterActive(true);
    else
      v->LeaveActive(true);
  } catch (...) {
    if (Application) Application->HandleException(nullptr);
  }
}

void StartPending(TdxBarSubItemControl* V, bool Open) {
  KillPending();
  pendingView = V;
  pendingOpen = Open;
  pendingTimer = SetTimer(nullptr, 0, SubItemHoverDelay, PendingTimerProc);
}

bool ManagerBusy(TdxBarManager* M) { return M && (M->Designing() || M->IsCustomizing()); }
}  // namespace

TdxBarSubItemControl* PendingSubItem() { return pendingView; }

// --- TdxBarSubItemControl ---------------------------------------------------------------------
TdxBarSubItemControl::~TdxBarSubItemControl() {
  if (pendingView == this) KillPending();
  TCustomdxBarSubItem* sub = SubItem();
  if (sub && !sub->ComponentState().Contains(csDestroying) && Active)
    if (TdxBarSubMenuControl* m = SubMenuWindow()) {
      if (m->ParentSubItem() == this) m->SetParentSubItem(nullptr);
      m->CloseMenu();
    }
  Active = false;
}

TdxBarSubMenuControl* TdxBarSubItemControl::SubMenuWindow() const {
  TCustomdxBarSubItem* sub = SubItem();
  return sub ? sub->MenuWindow() : nullptr;
}

TdxBarSubMenuControl* TdxBarSubItemControl::CreateSubMenuWindow() {
  TCustomdxBarSubItem* sub = SubItem();
  return sub ? dynamic_cast<TdxBarSubMenuControl*>(sub->ItemLinks()->CreateBarWindow()) : nullptr;
}

void TdxBarSubItemControl::EnterActive(bool ByMouse) {
  if (!CanOpen()) return;
  TCustomdxBarSubItem* sub = SubItem();
  if (!sub || !window_) return;
  TdxBarManager* m = BarManager();
  if (SubMenuWindow()) {
    TdxBarItemLink* al = sub->ActiveLink();
    if (!al || al->Control() == this) {
      if (pendingView == this) KillPending();
      return;
    }
    al->Control()->LeaveActive(true);
    if (!IsLiveBarControl(window_) || !window_->OwnsItemControl(this)) return;
  }
  TdxBarItemControl::EnterActive(ByMouse);
  if (!ItemEnabled() && !(m && m->Designing())) return;
  if (!IsMenu()) {
    auto* tb = dynamic_cast<TdxBarControl*>(window_);
    bool shows = window_->InCustomizing() ||
                 (window_->Active() && ((tb && tb->KeyboardDropDown) || window_->ChildWindow() != nullptr));
    if (!shows) return;
    ByMouse = true;
  }
  if (!ByMouse && !ManagerBusy(m)) {
    if (pendingView && pendingView != this) {
      // The other view's wait ends; unless it is the row this menu was opened
      // from, it leaves now (a sibling's open menu closes).
      TdxBarSubItemControl* other = pendingView;
      KillPending();
      if (other->Window() != window_->ParentBarWindow()) {
        try {
          other->LeaveActive(true);
        } catch (...) {
        }
      }
    }
    StartPending(this, true);
    return;
  }
  if (pendingView == this) KillPending();
  TCustomdxBarControl* w = window_;
  sub->DoPopup();
  sub->RunClick();
  if (!IsLiveBarControl(w) || !w->OwnsItemControl(this) || !Active) return;
  TdxBarSubMenuControl* menu = CreateSubMenuWindow();
  if (!menu) return;
  TRect r;
  w->GetItemRect(this, r);
  TPoint anchor;
  if (IsMenu()) {
    anchor = Point(r.Right, r.Top - (IsFlat() ? 2 : 3));
    menu->ExclusionWidth = r.Width();
  } else if (IsVerticalToolbar(w)) {
    anchor = Point(r.Right, r.Top);
    menu->ExclusionWidth = r.Width();
  } else {
    anchor = Point(r.Left, r.Bottom);
    menu->ExclusionHeight = r.Height();
  }
  menu->SetParentSubItem(this);
  anchor = w->ClientToScreen(anchor);
  menu->SetBounds(anchor.X, anchor.Y, menu->Width(), menu->Height());
  w->SetChildWindow(menu);
  menu->SetParentBarWindow(w);
  if (!IsMenu()) RedrawView();
  menu->Animate = OpenedByMouse;
  OpenedByMouse = false;
  menu->ShowSubMenuWindow();
}

void TdxBarSubItemControl::LeaveActive(bool ByMouse) {
  if (!CanOpen()) return;
  TdxBarManager* m = BarManager();
  if (IsMenu() && !ByMouse && !pendingView && window_ && !window_->IsDestroying() && !ManagerBusy(m) &&
      SubMenuWindow()) {
    StartPending(this, false);
    return;
  }
  TdxBarSubMenuControl* menu = SubMenuWindow();
  if (menu && menu->ParentSubItem() == this) menu->SetParentSubItem(nullptr);
  TdxBarItemControl::LeaveActive(ByMouse);
  if (pendingView == this) KillPending();
  if (menu) {
    if (window_ && window_->ChildWindow() == menu) window_->SetChildWindow(nullptr);
    menu->CloseMenu();
  }
  if (!IsMenu()) RedrawView();
  if (TCustomdxBarSubItem* sub = SubItem())
    if (menu) sub->DoCloseUp();
}

void TdxBarSubItemControl::PrepareClick(bool ByMouse) {
  if (SubMenuWindow() && Active) {
    TdxBarManager* m = BarManager();
    if (window_->InCustomizing() || (m && m->Style() == bmsStandard)) LeaveActive(true);
    return;
  }
  TCustomdxBarControl* w = window_;
  EnterActive(true);
  if (ByMouse || !IsLiveBarControl(w)) return;
  if (TdxBarSubMenuControl* menu = SubMenuWindow())
    if (TdxBarItemLink* first = menu->ItemLinks()->FirstSelectable()) menu->SelectItem(first->Control());
}

void TdxBarSubItemControl::KeyDown(Word Key) {
  if (Key == VK_RIGHT) PerformClick(false);
}

bool TdxBarSubItemControl::OpensItemEditorOnDoubleClick() const {
  return TdxBarItemControl::OpensItemEditorOnDoubleClick() && !(BarManager() && BarManager()->Designing());
}

namespace {
Integer CaptionWidth(TCustomdxBarControl* W, const std::string& Text) { return BarTextWidth(W, Text); }
Integer FontPixelHeight(TCustomdxBarControl* W) {
  LOGFONTW lf{};
  GetObjectW(W->FontHandle(), sizeof(lf), &lf);
  return lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
}
bool IsMainMenuWindow(TCustomdxBarControl* W) {
  auto* tb = dynamic_cast<TdxBarControl*>(W);
  return tb && tb->Bar() && tb->Bar()->IsMainMenu();
}
}  // namespace

Integer TdxBarSubItemControl::GetThickness() const {
  Integer rowHeight = window_->TextRowHeight();
  if (IsMenu()) return rowHeight + (IsFlat() ? 2 : 0);
  TdxBarManager* m = BarManager();
  TCustomdxBarSubItem* sub = SubItem();
  bool showCaption = !sub || sub->ShowCaption();
  bool rotated = RotatesWindowItems(window_);
  Integer t = (HasGlyph() || !showCaption) ? (rotated ? m->DefaultItemWidth() : m->DefaultItemHeight()) : 0;
  if (t == 0 || (showCaption && t < rowHeight)) t = rowHeight;
  return t;
}

Integer TdxBarSubItemControl::GetLength() const {
  Integer rowHeight = window_->TextRowHeight();
  std::string caption = GetCaption();
  caption.erase(std::remove(caption.begin(), caption.end(), '&'), caption.end());
  if (IsMenu()) return CaptionWidth(window_, caption) + 2 * rowHeight + 3 + (IsFlat() ? 9 : 0);
  TdxBarManager* m = BarManager();
  TCustomdxBarSubItem* sub = SubItem();
  bool showCaption = !sub || sub->ShowCaption();
  bool rotated = RotatesWindowItems(window_);
  Integer len = showCaption ? CaptionWidth(window_, caption) : 0;
  if (HasGlyph() || !showCaption) {
    len += rotated ? m->DefaultItemHeight() : m->DefaultItemWidth();
    if (showCaption) len += 4;
  } else {
    Integer fh = FontPixelHeight(window_);
    len += fh - (fh & 1);
  }
  if (!IsMainMenuWindow(window_)) len += rowHeight / 2;
  return len;
}

Integer TdxBarSubItemControl::GetHeight() const {
  return RotatesWindowItems(window_) ? GetLength() : GetThickness();
}
Integer TdxBarSubItemControl::GetWidth() const { return RotatesWindowItems(window_) ? GetThickness() : GetLength(); }

void TdxBarSubItemControl::DrawSubMenuArrow(HDC DC, const TRect& R, Integer Kind, bool Selected) {
  Integer rowHeight = window_->TextRowHeight();
  Integer size = window_->SeparatorStep() - (Kind == 1 ? 0 : 1);
  bool enabled = ItemEnabled();
  Integer fh = FontPixelHeight(window_);
  TRect ar;
  bool down = false;
  if (Kind == 1) {
    ar = Rect(R.Right - rowHeight + size, R.Top, R.Right, R.Bottom);
    // DrawArrow sizes a right-pointing arrow by the rect's height.
    Integer h = 2 * size + 5;
    Integer cy = (R.Top + R.Bottom) / 2;
    ar = Rect(ar.Left, cy - h / 2, ar.Left + size, cy - h / 2 + h);
  } else if (!IsVerticalToolbar(window_)) {
    down = true;
    Integer left = R.Right - rowHeight / 2 + (-fh / 2);
    ar = Rect(left, R.Top, R.Right, R.Bottom);
    Integer w = 2 * size + 7;
    Integer cx = (ar.Left + ar.Right) / 2;
    ar = Rect(cx - w / 2, R.Top, cx - w / 2 + w, R.Bottom);
  } else {
    Integer top = R.Bottom - rowHeight / 2 + (-fh / 2);
    Integer h = 2 * size + 5;
    Integer cy = (top + R.Bottom) / 2;
    ar = Rect(R.Left, cy - h / 2, R.Right, cy - h / 2 + h);
  }
  DrawArrow(DC, ar, down, IsFlat(), Kind == 1 && Selected && !IsFlat(), enabled);
}

void TdxBarSubItemControl::PaintView(const TRect& R, Integer Kind) {
  if (R.Width() <= 0 || R.Height() <= 0) return;
  HDC dc = window_->Canvas()->Handle();
  bool selected = IsDrawnSelected();
  bool open = Active && SubMenuWindow() != nullptr;
  if (Kind == 1) {
    DrawMenuRow(dc, R, selected, true, false);
    DrawSubMenuArrow(dc, R, Kind, selected);
    return;
  }
  TdxBarManager* m = BarManager();
  DrawGlyphCell(dc, R, Kind, false, open && !IsFlat(), selected, false);
  TCustomdxBarSubItem* sub = SubItem();
  bool showCaption = !sub || sub->ShowCaption();
  TRect tr = R;
  if (HasGlyph() || !showCaption) {
    if (Kind == 2)
      tr.Top += m->DefaultItemHeight();
    else
      tr.Left += m->DefaultItemWidth();
  } else {
    // The caption sits on the bar's background beside the (empty) glyph cell.
    TRect rest = Rect(R.Left + m->DefaultItemWidth(), R.Top, R.Right, R.Bottom);
    if (Kind == 2) rest = Rect(R.Left, R.Top + m->DefaultItemHeight(), R.Right, R.Bottom);
    if (rest.Width() > 0 && rest.Height() > 0 && !(selected || open))
      FillRect(dc, rest.AsRECT(), window_->BackgroundBrush());
    if (Kind == 2)
      tr.Top += FontPixelHeight(window_) / 2;
    else
      tr.Left += FontPixelHeight(window_) / 2;
  }
  if (open && !IsFlat()) tr = Rect(tr.Left + 1, tr.Top + 1, tr.Right + 1, tr.Bottom + 1);
  if (showCaption) DrawItemText(dc, GetCaption(), tr, Kind == 2, false, false, ItemEnabled(), 0);
  if (!IsMainMenuWindow(window_)) DrawSubMenuArrow(dc, R, Kind, selected);
}

// --- TdxBarContainerItemControl ---------------------------------------------------------------
TdxBarSubMenuControl* TdxBarContainerItemControl::CreateSubMenuWindow() {
  TdxBarManager* m = BarManager();
  auto* ci = dynamic_cast<TCustomdxBarContainerItem*>(Item());
  if (!ci || ManagerBusy(m)) return nullptr;
  TdxBarItemLinks* links = ci->ItemLinks();
  if (links->BarControl()) return dynamic_cast<TdxBarSubMenuControl*>(links->BarControl());
  auto* w = new TContainerItemSubMenuControl(m, ci);
  w->SetItemLinks(links);
  links->SetBarControl(w);
  ci->InsertLinks(links, 0, link_, true);
  return w;
}

std::string TdxBarContainerItemControl::GetCaption() const {
  std::string c = TdxBarSubItemControl::GetCaption();
  auto* ci = dynamic_cast<TCustomdxBarContainerItem*>(Item());
  if (IsMenu() && ci && ci->ReplacesOwnLink()) return "(" + c + ")";
  return c;
}

bool TdxBarContainerItemControl::DoubleClickExpands() const { return !ManagerBusy(BarManager()); }

void TdxBarContainerItemControl::PaintView(const TRect& R, Integer Kind) {
  if (Kind != 1) {
    TdxBarSubItemControl::PaintView(R, Kind);
    return;
  }
  if (R.Width() <= 0 || R.Height() <= 0) return;
  DrawMenuRow(window_->Canvas()->Handle(), R, false, true, false);
}

TContainerItemSubMenuControl::~TContainerItemSubMenuControl() {
  // The generated links go while this class's close-up can still run.
  BeingFreed = true;
  closing_ = true;
  WaitForAnimation();
  if (HandleAllocated()) DestroyHandle();
  if (container_) container_->MarkStale();
}

void TContainerItemSubMenuControl::DoCloseUp() {
  if (container_) container_->RemoveLinks(ItemLinks(), 0);
  TdxBarSubMenuControl::DoCloseUp();
}
