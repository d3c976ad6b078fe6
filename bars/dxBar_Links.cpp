// Item links: placements of items in a bar or menu, with group separators,
// user settings, visibility and the recent-use order; and their collection
// with its derived lists (available, visible, shown) and accelerator lookup.
#include <algorithm>

#include "bars/dxBar.h"

namespace {
bool Contains(const std::vector<TdxBarItemLink*>& v, const TdxBarItemLink* l) {
  return std::find(v.begin(), v.end(), l) != v.end();
}
Integer IndexIn(const std::vector<TdxBarItemLink*>& v, const TdxBarItemLink* l) {
  auto it = std::find(v.begin(), v.end(), l);
  return it == v.end() ? -1 : static_cast<Integer>(it - v.begin());
}
// Links fully constructed (the collection's base class announces items
// before their own constructor ran and after their destructor ran).
std::vector<TdxBarItemLink*>& Constructed() {
  static std::vector<TdxBarItemLink*> v;
  return v;
}
bool IsConstructed(TCollectionItem* c) {
  auto& v = Constructed();
  return std::find(v.begin(), v.end(), c) != v.end();
}
}  // namespace

// --- TdxBarItemLink --------------------------------------------------------------------
TdxBarItemLink::TdxBarItemLink(TCollection* Collection) : TCollectionItem(Collection) {
  userGlyph_ = std::make_unique<TBitmap>();
  TdxBarManager* m = BarManager();
  UseCount = m ? m->RecentThreshold() : 0;
  Constructed().push_back(this);
  if (TdxBarItemLinks* l = Links()) {
    l->recent_.push_back(this);
    l->RebuildShownLists();
  }
  if (m && !m->IsLoading()) m->OnItemLinkAdd(m, this);
}

TdxBarItemLink::~TdxBarItemLink() {
  CustomizingPopupLinkFreed(this);
  TdxBarItemLinks* links = Links();
  TdxBarManager* m = BarManager();
  if (m && !m->IsDestroying()) m->OnItemLinkDelete(m, this);
  if (control_) {
    TCustomdxBarControl* w = control_->Window();
    if (w && w->SelectedControl() == control_) {
      w->selectedControl_ = nullptr;
      if (m && m->SelectedItemControl() == control_) m->ClearSelectedItemControl();
    }
    FreeItemControl();
  }
  if (item_) {
    auto& v = item_->links_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    item_ = nullptr;
  }
  auto& c = Constructed();
  c.erase(std::remove(c.begin(), c.end(), this), c.end());
  if (links) {
    auto& r = links->recent_;
    r.erase(std::remove(r.begin(), r.end(), this), r.end());
    if (!links->destroying_) {
      links->RebuildShownLists();
      if (links->BarControl()) links->BarControl()->RebuildLayout();
    }
  }
}

TdxBarItemLinks* TdxBarItemLink::Links() const { return static_cast<TdxBarItemLinks*>(Collection()); }
TdxBarManager* TdxBarItemLink::BarManager() const { return Links() ? Links()->BarManager() : nullptr; }

void TdxBarItemLink::SetBeginGroup(bool Value) {
  if (beginGroup_ == Value) return;
  beginGroup_ = Value;
  if (control_) control_->BeginGroupChanged();
  Changed();
}

void TdxBarItemLink::SetMostRecentlyUsed(bool Value) {
  if (mostRecentlyUsed_ == Value) return;
  mostRecentlyUsed_ = Value;
  ResetUseCount();
  if (Links() && Links()->BarControl()) Links()->BarControl()->RebuildLayout();
  Changed();
}

void TdxBarItemLink::SetUserCaption(const std::string& Value) {
  userCaption_ = Value;
  userDefine_.Include(udCaption);
  if (control_) control_->CaptionChanged();
  Changed();
}

void TdxBarItemLink::SetUserDefine(TdxBarUserDefines Value) {
  userDefine_ = Value;
  if (!Value.Contains(udCaption)) userCaption_.clear();
  if (!Value.Contains(udGlyph)) userGlyph_->Assign(nullptr);
  if (!Value.Contains(udPaintStyle)) userPaintStyle_ = psStandard;
  if (!Value.Contains(udWidth)) userWidth_ = 0;
  if (control_) {
    control_->CaptionChanged();
    if (control_) control_->GlyphChanged();
  }
  Changed();
}

void TdxBarItemLink::SetUserGlyph(TBitmap* Value) {
  userGlyph_->Assign(Value);
  userDefine_.Include(udGlyph);
  if (control_) control_->GlyphChanged();
  Changed();
}

void TdxBarItemLink::SetUserPaintStyle(TdxBarPaintStyle Value) {
  if (Value == EffectivePaintStyle()) return;
  userPaintStyle_ = Value;
  userDefine_.Include(udPaintStyle);
  if (auto* v = dynamic_cast<TdxBarButtonControl*>(control_)) v->PaintStyleChanged();
  Changed();
}

void TdxBarItemLink::SetUserWidth(Integer Value) {
  ClampItemWidth(Value);
  if (Value == EffectiveWidth()) return;
  userWidth_ = Value;
  userDefine_.Include(udWidth);
  Changed();
}

void TdxBarItemLink::SetVisible(bool Value) {
  TdxBarItemLinks* links = Links();
  TdxBarManager* m = BarManager();
  if ((m && m->IsLoading()) || (links && links->Assigning())) {
    PendingVisible = Value;
    return;
  }
  if (visible_ == Value) return;
  visible_ = Value;
  PendingVisible = Value;
  if (!(m && m->Designing()) && links) {
    links->RebuildShownLists();
    if (Value) {
      CountUse(false);
      if (links->BarControl()) {
        CreateItemControl();
        links->BarControl()->RebuildLayout();
      }
    } else {
      SendToBack();
      if (control_) {
        TCustomdxBarControl* w = control_->Window();
        FreeItemControl();
        if (w) w->RebuildLayout();
      }
    }
  }
  Changed();
}

void TdxBarItemLink::WriteItem(TdxBarItem* Value) {
  if (item_ == Value) return;
  if (Value && Links() && !TCustomdxBarSubItem::AcceptsLink(Links()->Owner(), Value))
    throw Exception(dxBarStrings::RecursiveSubItems);
  if (item_) {
    if (control_) FreeItemControl();
    auto& v = item_->links_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
  item_ = Value;
  if (!Value) {
    delete this;
    return;
  }
  item_->links_.push_back(this);
  TdxBarItemLinks* links = Links();
  if (links) {
    links->RebuildShownLists();
    auto* owner = dynamic_cast<TComponent*>(links->Owner());
    TdxBarManager* m = BarManager();
    bool loading = (owner && owner->ComponentState().Contains(csLoading)) || (m && m->IsLoading());
    if (!loading) ResetUseCount();
    if (links->BarControl() && IsVisibleNow() && !control_) {
      CreateItemControl();
      links->BarControl()->RebuildLayout();
    }
  }
  Changed();
}

Integer TdxBarItemLink::AvailableIndex() const { return Links() ? IndexIn(Links()->AvailableLinks(), this) : -1; }
Integer TdxBarItemLink::VisibleIndex() const { return Links() ? IndexIn(Links()->VisibleLinks(), this) : -1; }
Integer TdxBarItemLink::ShownIndex() const { return Links() ? IndexIn(Links()->ShownLinks(), this) : -1; }

std::string TdxBarItemLink::EffectiveCaption() const {
  return userDefine_.Contains(udCaption) || !item_ ? userCaption_ : item_->Caption();
}
TBitmap* TdxBarItemLink::EffectiveGlyph() const {
  return userDefine_.Contains(udGlyph) || !item_ ? userGlyph_.get() : item_->Glyph();
}
TdxBarPaintStyle TdxBarItemLink::EffectivePaintStyle() const {
  if (userDefine_.Contains(udPaintStyle) || !item_) return userPaintStyle_;
  if (auto* b = dynamic_cast<TdxBarButton*>(item_)) return b->PaintStyle();
  return psStandard;
}
Integer TdxBarItemLink::EffectiveWidth() const {
  if (userDefine_.Contains(udWidth)) return userWidth_;
  auto* edit = dynamic_cast<TdxBarEdit*>(item_);
  return edit ? edit->Width() : 0;
}

bool TdxBarItemLink::ReadBeginGroup() const {
  TdxBarItemLinks* links = Links();
  if (!links) return beginGroup_;
  const auto& shown = links->ShownLinks();
  Integer si = IndexIn(shown, this);
  if (si < 0) return beginGroup_;
  if (si == 0) return false;
  if (beginGroup_) return true;
  const auto& avail = links->AvailableLinks();
  Integer from = IndexIn(avail, shown[static_cast<size_t>(si - 1)]);
  Integer to = IndexIn(avail, this);
  for (Integer i = from + 1; i >= 0 && i < to; ++i)
    if (avail[static_cast<size_t>(i)]->beginGroup_) return true;
  return false;
}

bool TdxBarItemLink::IsVisibleNow() const { return item_ && item_->IsVisibleNow() && visible_; }

bool TdxBarItemLink::ContainsItem(TdxBarItem* AItem) const { return item_ && item_ == AItem; }

void TdxBarItemLink::CreateItemControl() {
  TdxBarItemLinks* links = Links();
  if (control_ || !links || !links->BarControl() || !item_) return;
  // A turned toolbar shows edit and combo items as plain buttons.
  if (dynamic_cast<TdxBarWindowItem*>(item_) && RotatesWindowItems(links->BarControl())) {
    new TdxBarButtonControl(this);
    return;
  }
  const TdxBarItemClassEntry* e = FindBarItemClass(typeid(*item_));
  if (!e) return;
  e->MakeView(this);  // the view registers itself with the link
}

void TdxBarItemLink::FreeItemControl() {
  TdxBarItemControl* v = control_;
  control_ = nullptr;
  delete v;
}

void TdxBarItemLink::Changed() {
  TdxBarItemLinks* links = Links();
  TdxBarManager* m = BarManager();
  if (links && links->BarControl() && links->BarControl()->InCustomizing() && m) m->DesignerModified();
  if (m && !m->IsLoading()) m->OnItemLinkChange(m, this);
}

void TdxBarItemLink::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TdxBarItemLink*>(Source);
  if (!s) {
    TCollectionItem::Assign(Source);
    return;
  }
  Data = s->Data;
  userCaption_ = s->userCaption_;
  userGlyph_->Assign(s->userGlyph_.get());
  userPaintStyle_ = s->userPaintStyle_;
  userWidth_ = s->userWidth_;
  TdxBarItem* item = s->item_;
  if (item && BarManager() && BarManager() != s->BarManager()) {
    if (TdxBarItem* same = BarManager()->ItemByName(item->Name())) item = same;
  }
  WriteItem(item);
  if (!item) return;  // the link removed itself
  SetUserDefine(s->userDefine_);
  userCaption_ = s->userCaption_;
  userGlyph_->Assign(s->userGlyph_.get());
  userPaintStyle_ = s->userPaintStyle_;
  userWidth_ = s->userWidth_;
  SetBeginGroup(s->ReadBeginGroup());
  SetVisible(s->visible_);
}

void TdxBarItemLink::ResetUseCount() {
  TdxBarManager* m = BarManager();
  if (mostRecentlyUsed_) {
    UseCount = m ? m->RecentThreshold() : 0;
    CountUse(false);
  } else {
    UseCount = 0;
    SendToBack();
  }
}

Integer TdxBarItemLink::RecentIndex() const { return Links() ? IndexIn(Links()->recent_, this) : -1; }

void TdxBarItemLink::MoveInRecent(Integer Position) {
  TdxBarItemLinks* links = Links();
  if (!links) {
    pendingRecentPos_ = Position;
    return;
  }
  auto& r = links->recent_;
  auto it = std::find(r.begin(), r.end(), this);
  if (it != r.end()) r.erase(it);
  if (Position < 0) Position = 0;
  if (Position > static_cast<Integer>(r.size())) Position = static_cast<Integer>(r.size());
  r.insert(r.begin() + Position, this);
  links->RebuildShownLists();
}

void TdxBarItemLink::BringToFront() { MoveInRecent(0); }

void TdxBarItemLink::SendToBack() {
  TdxBarItemLinks* links = Links();
  bool wasShown = ShownIndex() >= 0;
  MoveInRecent(links ? static_cast<Integer>(links->recent_.size()) : 0);
  TdxBarManager* m = BarManager();
  if (links && wasShown && m && m->Style() != bmsStandard && links->BarControl() &&
      links->BarControl()->IsToolbarWindow() && links->BarControl()->HandleAllocated())
    PostMessageW(links->BarControl()->Handle(), WM_DXBAR_REBUILDLAYOUT, 0, 0);
}

void TdxBarItemLink::CountUse(bool Count) {
  if (!IsVisibleNow()) return;
  TdxBarItemLinks* links = Links();
  bool wasShown = ShownIndex() >= 0;
  BringToFront();
  if (Count) ++UseCount;
  if (!links || !Contains(links->VisibleLinks(), this)) return;
  TdxBarManager* m = BarManager();
  TCustomdxBarControl* w = links->BarControl();
  if (w && w->IsToolbarWindow() && w->DockingStyleOfWindow() != dsNone && !wasShown && m &&
      m->Style() != bmsStandard && w->HandleAllocated())
    PostMessageW(w->Handle(), WM_DXBAR_REBUILDLAYOUT, 0, 0);
  // The menu above counts the click too.
  if (auto* sub = dynamic_cast<TCustomdxBarSubItem*>(links->Owner())) {
    if (TdxBarItemLink* al = sub->ActiveLink()) al->OwnerLink()->CountUse(Count);
  } else if (TdxBarPopupMenu* pm = links->OwnerPopupMenu())
    if (pm->OwnerView() && pm->OwnerView()->Item())
      if (TdxBarItemLink* al = pm->OwnerView()->Item()->ActiveLink()) al->OwnerLink()->CountUse(Count);
}

bool TdxBarItemLink::MatchesAccelerator(Word Key, TShiftState Shift) const {
  std::string cap = EffectiveCaption();
  // The character after the last single "&".
  char ch = 0;
  for (size_t i = 0; i < cap.size(); ++i) {
    if (cap[i] != '&') continue;
    if (i + 1 < cap.size() && cap[i + 1] == '&') {
      ++i;
      continue;
    }
    if (i + 1 < cap.size()) ch = cap[i + 1];
  }
  if (!ch) return false;
  Shift.Exclude(ssAlt);
  if (ch >= 'A' && ch <= 'Z') {
    ch = static_cast<char>(ch - 'A' + 'a');
    Shift.Exclude(ssShift);
  }
  SHORT vk = VkKeyScanA(ch);
  if (vk == -1) return false;
  bool needShift = (vk & 0x100) != 0, needCtrl = (vk & 0x200) != 0;
  return (vk & 0xFF) == Key && needShift == Shift.Contains(ssShift) && needCtrl == Shift.Contains(ssCtrl);
}

// --- TdxBarItemLinks ------------------------------------------------------------------------
TdxBarItemLinks::TdxBarItemLinks(TdxBarManager* Manager, TPersistent* Owner)
    : TCollection(CollectionItemClass<TdxBarItemLink>()), manager_(Manager), owner_(Owner) {}

TdxBarItemLinks::~TdxBarItemLinks() {
  destroying_ = true;
  FreeBarWindow();
  BeginUpdate();
  while (Count() > 0) delete TCollection::Items(Count() - 1);
}

TdxBar* TdxBarItemLinks::OwnerBar() const { return dynamic_cast<TdxBar*>(owner_); }
TdxBarPopupMenu* TdxBarItemLinks::OwnerPopupMenu() const { return dynamic_cast<TdxBarPopupMenu*>(owner_); }
bool TdxBarItemLinks::IsInToolbar() const { return OwnerBar() != nullptr; }

TCustomdxBarControl* TdxBarItemLinks::CreateBarWindow() {
  if (barControl_) return barControl_;
  TCustomdxBarControl* w;
  if (TdxBar* b = OwnerBar())
    w = new TdxBarControl(manager_, b);
  else
    w = new TdxBarSubMenuControl(manager_);
  w->SetItemLinks(this);
  barControl_ = w;
  return w;
}

void TdxBarItemLinks::FreeBarWindow() {
  TCustomdxBarControl* w = barControl_;
  if (!w || w->BeingFreed) return;
  barControl_ = nullptr;
  delete w;
}

void TdxBarItemLinks::Notify(TCollectionItem*, TCollectionNotification) {}

void TdxBarItemLinks::Update(TCollectionItem*) {
  if (destroying_) return;
  RebuildShownLists();
  if (manager_) manager_->DesignerModified();
  OnChange(this);
}

void TdxBarItemLinks::RebuildShownLists() {
  available_.clear();
  visibleLinks_.clear();
  shown_.clear();
  // Customizing (like designing) shows every link that has an item.
  bool designing = manager_ && manager_->IsCustomizing();
  for (Integer i = 0; i < Count(); ++i) {
    TCollectionItem* ci = TCollection::Items(i);
    if (!IsConstructed(ci)) continue;
    auto* l = static_cast<TdxBarItemLink*>(ci);
    if (!l->item_) continue;
    if (designing || l->item_->IsVisibleNow()) available_.push_back(l);
  }
  for (TdxBarItemLink* l : available_)
    if (designing || l->visible_) visibleLinks_.push_back(l);
  if (designing || shownRecentCount_ == -1) {
    shown_ = visibleLinks_;
  } else if (shownRecentCount_ > 0) {
    std::vector<TdxBarItemLink*> pick;
    for (TdxBarItemLink* l : recent_) {
      if (static_cast<Integer>(pick.size()) >= shownRecentCount_) break;
      if (Contains(visibleLinks_, l)) pick.push_back(l);
    }
    for (TdxBarItemLink* l : visibleLinks_)
      if (Contains(pick, l)) shown_.push_back(l);
  }
}

Integer TdxBarItemLinks::FittingCount() const {
  Integer n = static_cast<Integer>(shown_.size());
  if (!OwnerBar()) return n;
  if (!barControl_) return 0;
  TRect client = barControl_->ClientRect();
  Integer k = 0;
  for (TdxBarItemLink* l : shown_) {
    const TRect& r = l->ItemRect;
    if (r.Width() <= 0 || r.Height() <= 0) break;
    if (r.Left < client.Left || r.Top < client.Top || r.Right > client.Right || r.Bottom > client.Bottom) break;
    ++k;
  }
  return k;
}

bool TdxBarItemLinks::Selectable(TdxBarItemLink* L) const { return L && L->control_ && L->control_->Selectable(); }

TdxBarItemLink* TdxBarItemLinks::FirstSelectable() const {
  Integer n = FittingCount();
  for (Integer i = 0; i < n; ++i)
    if (Selectable(shown_[static_cast<size_t>(i)])) return shown_[static_cast<size_t>(i)];
  return nullptr;
}

TdxBarItemLink* TdxBarItemLinks::LastSelectable() const {
  for (Integer i = FittingCount() - 1; i >= 0; --i)
    if (Selectable(shown_[static_cast<size_t>(i)])) return shown_[static_cast<size_t>(i)];
  return nullptr;
}

TdxBarItemLink* TdxBarItemLinks::NextSelectable(TdxBarItemLink* L) const {
  Integer n = FittingCount();
  if (n == 0) return nullptr;
  Integer start = IndexIn(shown_, L);
  if (start < 0 || start >= n) return FirstSelectable();
  for (Integer k = 1; k <= n; ++k) {
    TdxBarItemLink* c = shown_[static_cast<size_t>((start + k) % n)];
    if (Selectable(c)) return c;
  }
  return nullptr;
}

TdxBarItemLink* TdxBarItemLinks::PrevSelectable(TdxBarItemLink* L) const {
  Integer n = FittingCount();
  if (n == 0) return nullptr;
  Integer start = IndexIn(shown_, L);
  if (start < 0 || start >= n) return LastSelectable();
  for (Integer k = 1; k <= n; ++k) {
    TdxBarItemLink* c = shown_[static_cast<size_t>(((start - k) % n + n) % n)];
    if (Selectable(c)) return c;
  }
  return nullptr;
}

TdxBarItemLink* TdxBarItemLinks::FindByAccelerator(Word Key, TShiftState Shift, TdxBarItemLink* After) const {
  Shift.Exclude(ssAlt);
  auto usable = [&](TdxBarItemLink* l) {
    return l && l->item_ && l->item_->AcceleratorUsable(l) && l->MatchesAccelerator(Key, Shift);
  };
  if (IsInToolbar()) {
    TdxBarItemLink* begin = After ? NextSelectable(After) : FirstSelectable();
    TdxBarItemLink* l = begin;
    while (l) {
      if (usable(l)) return l;
      l = NextSelectable(l);
      if (l == begin) break;
    }
    return nullptr;
  }
  Integer n = static_cast<Integer>(visibleLinks_.size());
  if (n == 0) return nullptr;
  Integer start = After ? IndexIn(visibleLinks_, After) : 0;
  if (start < 0) start = 0;
  for (Integer k = 1; k <= n; ++k) {
    TdxBarItemLink* l = visibleLinks_[static_cast<size_t>((start + k) % n)];
    if (usable(l)) return l;
  }
  return nullptr;
}

bool TdxBarItemLinks::ContainsItem(TdxBarItem* Item) const {
  for (Integer i = 0; i < Count(); ++i)
    if (IsConstructed(TCollection::Items(i)) && Items(i)->ContainsItem(Item)) return true;
  return false;
}

void TdxBarItemLinks::UpdateActions() {
  for (Integer i = 0; i < Count(); ++i)
    if (IsConstructed(TCollection::Items(i)))
      if (TdxBarItem* it = Items(i)->Item())
        if (it->ActionLink()) it->ActionLink()->Update();
}

void TdxBarItemLinks::ClearRects() {
  for (Integer i = 0; i < Count(); ++i) Items(i)->ItemRect = TRect{};
}

void TdxBarItemLinks::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TdxBarItemLinks*>(Source);
  if (!src) {
    TCollection::Assign(Source);
    return;
  }
  if (src == this) return;
  assigning_ = true;
  try {
    BeginUpdate();
    Clear();
    for (Integer i = 0; i < src->Count(); ++i) {
      TdxBarItemLink* l = Add();
      l->Assign(src->Items(i));
    }
    EndUpdate();
  } catch (...) {
    assigning_ = false;
    throw;
  }
  assigning_ = false;
  for (Integer i = 0; i < Count(); ++i) Items(i)->SetVisible(Items(i)->PendingVisible);
}

void TdxBarItemLinks::ApplyLoadedState(bool ApplyVisible) {
  for (Integer i = Count() - 1; i >= 0; --i)
    if (Items(i)->Item()) Items(i)->ResetUseCount();
  if (ApplyVisible)
    for (Integer i = Count() - 1; i >= 0; --i) Items(i)->SetVisible(Items(i)->PendingVisible);
  for (Integer pos = 0; pos < Count(); ++pos)
    for (Integer i = 0; i < Count(); ++i) {
      TdxBarItemLink* l = Items(i);
      if (l->StoredRecentIndex == pos) {
        l->UseCount = l->StoredUseCount;
        l->MoveInRecent(pos);
        l->StoredRecentIndex = -1;
      }
    }
}

bool TdxBarItemLinks::EffectiveUseRecentItems() const {
  if (!manager_ || !manager_->UsesRecentItems()) return false;
  return useRecentItems_;
}

void TdxBarItemLinks::SetShownRecentCount(Integer N) {
  savedShownRecentCount_ = shownRecentCount_;
  shownRecentCount_ = EffectiveUseRecentItems() ? N : -1;
  RebuildShownLists();
}

void TdxBarItemLinks::RestoreShownRecentCount() {
  shownRecentCount_ = savedShownRecentCount_;
  RebuildShownLists();
}

Integer TdxBarItemLinks::RecentCutIndex() const {
  if (!EffectiveUseRecentItems() || visibleLinks_.empty()) return -1;
  Integer m = visibleLinks_.front()->UseCount, M = m;
  for (TdxBarItemLink* l : visibleLinks_) {
    m = std::min(m, l->UseCount);
    M = std::max(M, l->UseCount);
  }
  Integer P = manager_->MostRecentItemsPercents();
  Integer T = m + MulDiv(M - m, 100 - P, 100);
  Integer nVisible = static_cast<Integer>(visibleLinks_.size());
  Integer result = 0;
  for (Integer k = std::min(nVisible, static_cast<Integer>(recent_.size())) - 1; k >= 0; --k) {
    TdxBarItemLink* l = recent_[static_cast<size_t>(k)];
    if (l->UseCount >= T && l->Links() == this) {
      result = k + 1;
      break;
    }
  }
  return result == nVisible ? -1 : result;
}

void TdxBarItemLinks::CompactRecentOrder() {
  std::vector<TdxBarItemLink*> vis, rest;
  for (TdxBarItemLink* l : recent_) (l->IsVisibleNow() ? vis : rest).push_back(l);
  recent_ = vis;
  recent_.insert(recent_.end(), rest.begin(), rest.end());
  RebuildShownLists();
}

void TdxBarItemLinks::ForgetRecent(TdxBarItemLink* L) {
  recent_.erase(std::remove(recent_.begin(), recent_.end(), L), recent_.end());
}

void TdxBarItemLinks::TakeRecentFlags(TdxBarItemLinks* Other) {
  for (Integer i = 0; i < std::min(Count(), Other->Count()); ++i)
    Items(i)->mostRecentlyUsed_ = Other->Items(i)->mostRecentlyUsed_;
  ApplyLoadedState(false);
  CompactRecentOrder();
}
