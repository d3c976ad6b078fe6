// Command items: data, refresh fan-out to the views, visibility, the click
// road, the action binding; buttons with check groups and drop-downs; the
// popup menu a drop-down button opens.
#include <algorithm>

#include "bars/dxBar.h"

// --- TdxBarItem ----------------------------------------------------------------------
TdxBarItem::TdxBarItem(TComponent* AOwner) : TComponent(AOwner) {
  TdxBarManager* m = FindBarManagerOfForm(dynamic_cast<TCustomForm*>(AOwner));
  if (!m && TdxBarManager::ManagerCount() > 0) m = TdxBarManager::Managers(0);
  SetManagerDirect(m);
  glyph_ = std::make_unique<TBitmap>();
  glyph_->OnChange = [this](TObject*) { RefreshLinksGlyph(); };
}

TdxBarItem::~TdxBarItem() {
  Destroying();
  OnDestroy(this);
  RemoveTempItem(this);
  while (!links_.empty()) delete links_.back();
  SetManagerDirect(nullptr);
  actionLink_.reset();
}

void TdxBarItem::SetManagerDirect(TdxBarManager* M) {
  if (manager_ == M) return;
  if (manager_) {
    auto& v = manager_->items_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
  manager_ = M;
  if (manager_) manager_->items_.push_back(this);
}

bool TdxBarItem::IsLoading() const {
  if (manager_) return manager_->IsLoading();
  return ComponentState().Contains(csLoading);
}

TComponent* TdxBarItem::GetParentComponent() const { return category_ >= 0 ? manager_ : nullptr; }

void TdxBarItem::SetParentComponent(TComponent* Value) {
  auto* m = dynamic_cast<TdxBarManager*>(Value);
  if (!m) return;
  SetManagerDirect(m);
  AfterManagerSet();
}

bool TdxBarItem::ReadEnabled() const {
  if (manager_ && manager_->customizing_ && !manager_->designing_ && category_ >= 0) return true;
  return enabled_;
}

void TdxBarItem::WriteEnabled(bool Value) {
  if (enabled_ == Value) return;
  enabled_ = Value;
  if (!IsLoading()) RefreshLinksEnabled();
}

void TdxBarItem::WriteVisible(TdxBarItemVisible Value) {
  if (IsLoading()) {
    pendingVisible_ = Value;
    return;
  }
  if (visible_ == Value) return;
  visible_ = Value;
  pendingVisible_ = Value;
  ApplyVisibility();
}

bool TdxBarItem::IsVisibleNow() const {
  return visible_ == ivAlways || (visible_ == ivInCustomizing && manager_ && manager_->IsCustomizing());
}

void TdxBarItem::WriteCaption(const std::string& Value) {
  if (caption_ == Value) return;
  bool hintFollows = false;
  if (HintFollowsCaption()) {
    size_t bar = hint_.find('|');
    hintFollows = hint_.empty() || hint_.substr(0, bar) == PlainCaption();
  }
  caption_ = Value;
  if (IsLoading()) return;
  if (hintFollows) {
    size_t bar = hint_.find('|');
    std::string plain = PlainCaption();
    hint_ = bar == std::string::npos ? plain : plain + hint_.substr(bar);
  }
  RefreshLinksCaption();
}

void TdxBarItem::WriteCategory(Integer Value) {
  if (IsLoading()) {
    category_ = Value;
    return;
  }
  if (!manager_ || Value < 0 || Value >= manager_->Categories()->Count()) return;
  category_ = Value;
  manager_->DesignerModified();
}

void TdxBarItem::WriteShortCut(TShortCut Value) {
  if (shortCut_ == Value) return;
  shortCut_ = Value;
  if (!IsLoading()) RefreshLinksShortCut();
}

void TdxBarItem::SetImageIndex(Integer Value) {
  if (imageIndex_ == Value) return;
  imageIndex_ = Value;
  RefreshLinksGlyph();
}

void TdxBarItem::SetAlign(TdxBarItemAlign Value) {
  if (align_ == Value) return;
  align_ = Value;
  AlignChanged();
}

void TdxBarItem::AlignChanged() {
  if (IsLoading()) return;
  for (TdxBarItemLink* l : links_)
    if (l->Control()) l->Control()->RelayoutWindow();
}

TdxBarItemLink* TdxBarItem::ActiveLink() const {
  for (TdxBarItemLink* l : links_)
    if (l->Control() && l->Control()->Active) return l;
  return nullptr;
}

TdxBarItemLink* TdxBarItem::Links(Integer I) const {
  return I >= 0 && I < LinkCount() ? links_[static_cast<size_t>(I)] : nullptr;
}

bool TdxBarItem::HasViews() const {
  return std::any_of(links_.begin(), links_.end(), [](TdxBarItemLink* l) { return l->Control() != nullptr; });
}

Integer TdxBarItem::IndexInManager() const { return manager_ ? manager_->IndexOfItem(this) : -1; }

std::string TdxBarItem::PlainCaption() const {
  std::string s = caption_;
  size_t a = s.find('&');
  if (a != std::string::npos) s.erase(a, 1);
  size_t d = s.find("...");
  if (d != std::string::npos) s.erase(d, 3);
  return s;
}

bool TdxBarItem::ImageIndexValid() const {
  return manager_ && manager_->Images() && imageIndex_ >= 0 && imageIndex_ < manager_->Images()->Count();
}

// Refresh fan-out: each view whose link does not define the value itself.
void TdxBarItem::RefreshLinksCaption() {
  for (TdxBarItemLink* l : std::vector<TdxBarItemLink*>(links_))
    if (l->Control() && !l->UserDefine().Contains(udCaption)) l->Control()->CaptionChanged();
  ItemChanged();
}

void TdxBarItem::RefreshLinksEnabled() {
  for (TdxBarItemLink* l : std::vector<TdxBarItemLink*>(links_))
    if (l->Control()) l->Control()->EnabledChanged();
}

void TdxBarItem::RefreshLinksGlyph() {
  for (TdxBarItemLink* l : std::vector<TdxBarItemLink*>(links_))
    if (l->Control() && !l->UserDefine().Contains(udGlyph)) l->Control()->GlyphChanged();
  ItemChanged();
}

void TdxBarItem::RefreshLinksShortCut() {
  for (TdxBarItemLink* l : std::vector<TdxBarItemLink*>(links_))
    if (l->Control()) l->Control()->ShortCutChanged();
  ItemChanged();
}

namespace {
bool IsMenuModeSelection(TdxBarItemControl* v) {
  TCustomdxBarControl* w = v->Window();
  return w && w->Active() && w->SelectedControl() == v;
}
}  // namespace

void TdxBarItem::RepaintLinks() {
  for (TdxBarItemLink* l : links_)
    if (l->Control() && !IsMenuModeSelection(l->Control())) l->Control()->RedrawView();
}

void TdxBarItem::RelayoutLinks() {
  for (TdxBarItemLink* l : links_)
    if (l->Control() && !IsMenuModeSelection(l->Control())) l->Control()->RelayoutWindow();
}

bool TdxBarItem::AcceleratorUsable(TdxBarItemLink*) const { return ReadEnabled(); }

void TdxBarItem::ApplyVisibility() {
  if (manager_ && manager_->Designing()) return;
  bool saved = manager_ ? manager_->RedrawSuspended() : false;
  if (manager_) manager_->SuspendRedraw(true);
  try {
    for (TdxBarItemLink* l : std::vector<TdxBarItemLink*>(links_)) {
      TdxBarItemLinks* links = l->Links();
      if (!links) continue;
      links->RebuildShownLists();
      if (IsVisibleNow()) {
        if (l->Visible()) l->BringToFront();
        if (!l->Control() && links->BarControl()) l->CreateItemControl();
        if (l->Control()) l->Control()->RelayoutWindow();
      } else {
        l->SendToBack();
        if (TdxBarItemControl* v = l->Control()) {
          TCustomdxBarControl* w = v->Window();
          l->FreeItemControl();
          if (w) w->RebuildLayout();
        }
      }
    }
  } catch (...) {
    if (manager_) manager_->SuspendRedraw(saved);
    throw;
  }
  if (manager_) manager_->SuspendRedraw(saved);
  ItemChanged();
}

// --- Clicks ----------------------------------------------------------------------------------
void TdxBarItem::TryClick() {
  if (AcceptsDirectClick()) RunClick();
}

void TdxBarItem::RunClick() {
  if (!ReadEnabled()) return;
  try {
    if (manager_) manager_->NotifyClickItem(this);
    InvokeOnClick();
  } catch (...) {
    // A command's failure is reported once and never ends the click road.
    if (Application) Application->HandleException(this);
  }
}

void TdxBarItem::InvokeOnClick() {
  if (OnClick && !(actionLink_ && actionLink_->IsActionHandler(OnClick))) {
    OnClick(this);
    return;
  }
  if (actionLink_ && !(manager_ && manager_->Designing())) actionLink_->Execute(nullptr);
}

// --- Actions -------------------------------------------------------------------------------
TBasicAction* TdxBarItem::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

void TdxBarItem::SetAction(TBasicAction* Value) {
  if (!Value) {
    actionLink_.reset();
    return;
  }
  if (!actionLink_) actionLink_ = std::make_unique<TdxBarItemActionLink>(this);
  actionLink_->SetAction(Value);
  actionLink_->OnChange = [this](TObject* Sender) {
    if (Sender == Action()) ActionChange(Sender, false);
  };
  ActionChange(Value, Value->ComponentState().Contains(csLoading));
  Value->FreeNotification(this);
}

void TdxBarItem::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  if (!a) return;
  if (!CheckDefaults || caption_.empty()) WriteCaption(a->Caption());
  if (auto* b = dynamic_cast<TdxBarButton*>(this))
    if (!CheckDefaults || !b->Down()) b->WriteDown(a->Checked());
  if (!CheckDefaults || ReadEnabled()) WriteEnabled(a->Enabled());
  if (!CheckDefaults || helpContext_ == 0) helpContext_ = a->HelpContext();
  if (!CheckDefaults || hint_.empty()) hint_ = a->Hint();
  if (!CheckDefaults || imageIndex_ == -1) SetImageIndex(a->ImageIndex());
  if (!CheckDefaults || shortCut_ == 0) WriteShortCut(a->ShortCut());
  if (!CheckDefaults || visible_ == ivAlways) WriteVisible(a->Visible() ? ivAlways : ivNever);
  if (!CheckDefaults || !OnClick) {
    OnClick = a->OnExecute;
    actionLink_->SetCopiedOnExecute(a->OnExecute);
  }
}

void TdxBarItem::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && actionLink_ && AComponent == actionLink_->Action()) actionLink_.reset();
}

void TdxBarItem::Loaded() { TComponent::Loaded(); }

void TdxBarItem::Assign(TPersistent* Source) { TComponent::Assign(Source); }

void TdxBarItem::AssignTo(TPersistent* Dest) {
  auto* a = dynamic_cast<TCustomAction*>(Dest);
  if (!a) {
    TComponent::AssignTo(Dest);
    return;
  }
  a->SetCaption(caption_);
  if (auto* b = dynamic_cast<TdxBarButton*>(this)) a->SetChecked(b->Down());
  a->SetEnabled(ReadEnabled());
  a->SetHelpContext(helpContext_);
  a->SetHint(hint_);
  a->SetImageIndex(imageIndex_);
  a->SetShortCut(shortCut_);
  if (visible_ != ivInCustomizing) a->SetVisible(visible_ == ivAlways);
  a->OnExecute = OnClick;
}

bool TdxBarItem::IsCaptionStored() const { return !actionLink_ || !actionLink_->IsCaptionLinked(); }
bool TdxBarItem::IsEnabledStored() const { return !actionLink_ || !actionLink_->IsEnabledLinked(); }
bool TdxBarItem::IsHelpContextStored() const { return !actionLink_ || !actionLink_->IsHelpContextLinked(); }
bool TdxBarItem::IsHintStored() const { return !actionLink_ || !actionLink_->IsHintLinked(); }
bool TdxBarItem::IsVisibleStored() const { return !actionLink_ || !actionLink_->IsVisibleLinked(); }
bool TdxBarItem::IsImageIndexStored() const { return !actionLink_ || !actionLink_->IsImageIndexLinked(); }
bool TdxBarItem::IsShortCutStored() const { return !actionLink_ || !actionLink_->IsShortCutLinked(); }
bool TdxBarItem::IsOnClickStored() const { return !actionLink_ || !actionLink_->IsOnExecuteLinked(); }

// --- Action link ---------------------------------------------------------------------------------
TdxBarItemActionLink::TdxBarItemActionLink(TObject* Client) : client_(dynamic_cast<TdxBarItem*>(Client)) {
  if (!client_) throw EInvalidCast("Invalid class typecast");
}

bool TdxBarItemActionLink::IsCaptionLinked() const {
  return TActionLink::IsCaptionLinked() && client_->Caption() == CustomAction()->Caption();
}
bool TdxBarItemActionLink::IsCheckedLinked() const {
  auto* b = dynamic_cast<TdxBarButton*>(client_);
  return TActionLink::IsCheckedLinked() && b && b->Down() == CustomAction()->Checked();
}
bool TdxBarItemActionLink::IsEnabledLinked() const {
  return TActionLink::IsEnabledLinked() && client_->ReadEnabled() == CustomAction()->Enabled();
}
bool TdxBarItemActionLink::IsHelpContextLinked() const {
  return TActionLink::IsHelpContextLinked() && client_->HelpContext() == CustomAction()->HelpContext();
}
bool TdxBarItemActionLink::IsHintLinked() const {
  return TActionLink::IsHintLinked() && client_->Hint() == CustomAction()->Hint();
}
bool TdxBarItemActionLink::IsImageIndexLinked() const {
  return TActionLink::IsImageIndexLinked() && client_->ImageIndex() == CustomAction()->ImageIndex();
}
bool TdxBarItemActionLink::IsShortCutLinked() const {
  return TActionLink::IsShortCutLinked() && client_->ShortCut() == CustomAction()->ShortCut();
}
bool TdxBarItemActionLink::IsVisibleLinked() const {
  return TActionLink::IsVisibleLinked() &&
         client_->Visible() == (CustomAction()->Visible() ? ivAlways : ivNever);
}
bool TdxBarItemActionLink::IsOnExecuteLinked() const {
  return TActionLink::IsOnExecuteLinked() && action_ && client_->OnClick == action_->OnExecute;
}
void TdxBarItemActionLink::SetCaption(const std::string& V) { client_->WriteCaption(V); }
void TdxBarItemActionLink::SetChecked(bool V) {
  if (auto* b = dynamic_cast<TdxBarButton*>(client_)) b->WriteDown(V);
}
void TdxBarItemActionLink::SetEnabled(bool V) { client_->WriteEnabled(V); }
void TdxBarItemActionLink::SetHelpContext(Integer V) { client_->SetHelpContext(V); }
void TdxBarItemActionLink::SetHint(const std::string& V) { client_->SetHint(V); }
void TdxBarItemActionLink::SetImageIndex(Integer V) { client_->SetImageIndex(V); }
void TdxBarItemActionLink::SetShortCut(TShortCut V) { client_->WriteShortCut(V); }
void TdxBarItemActionLink::SetVisible(bool V) { client_->WriteVisible(V ? ivAlways : ivNever); }
void TdxBarItemActionLink::SetOnExecute(const TNotifyEvent& V) {
  client_->OnClick = V;
  copiedOnExecute_ = V;
}
void TdxBarItemActionLink::ActionDestroyed() {}

// --- TdxBarButton ---------------------------------------------------------------------------------
TdxBarButton::TdxBarButton(TComponent* AOwner) : TdxBarItem(AOwner) { unclickAfterDoing_ = true; }

TdxBarButton::~TdxBarButton() {
  if (dropDownMenu_) dropDownMenu_->RemoveFreeNotification(this);
}

namespace {
template <class F>
void ForEachButtonView(TdxBarItem* Item, F f) {
  for (Integer i = 0; i < Item->LinkCount(); ++i)
    if (auto* v = dynamic_cast<TdxBarButtonControl*>(Item->Links(i)->Control())) f(v, Item->Links(i));
}
}  // namespace

TdxBarButton* TdxBarButton::FindDownInGroup() const {
  if (!manager_) return nullptr;
  for (Integer i = 0; i < manager_->ItemCount(); ++i)
    if (auto* b = dynamic_cast<TdxBarButton*>(manager_->Items(i)))
      if (b->buttonStyle_ == bsChecked && b->groupIndex_ == groupIndex_ && b->down_) return b;
  return nullptr;
}

bool TdxBarButton::OtherDownInGroup() const {
  if (!manager_) return false;
  for (Integer i = 0; i < manager_->ItemCount(); ++i)
    if (auto* b = dynamic_cast<TdxBarButton*>(manager_->Items(i)))
      if (b != this && b->buttonStyle_ == bsChecked && b->groupIndex_ == groupIndex_ && b->down_) return true;
  return false;
}

void TdxBarButton::WriteDown(bool Value) {
  if (down_ == Value) return;
  if (Value && buttonStyle_ != bsChecked) return;
  bool loading = IsLoading();
  TdxBarButton* previous = nullptr;
  if (!loading && buttonStyle_ == bsChecked && groupIndex_ != 0) {
    if (Value)
      previous = FindDownInGroup();
    else if (!allowAllUp_ && !OtherDownInGroup())
      return;
  }
  down_ = Value;
  if (loading) return;
  DownChanged();
  if (previous && previous != this) previous->WriteDown(false);
}

void TdxBarButton::WriteGroupIndex(Integer Value) {
  if (groupIndex_ == Value) return;
  groupIndex_ = buttonStyle_ == bsChecked ? Value : 0;
  // Released under the new group's rules: a button alone in it stays down.
  WriteDown(false);
}

void TdxBarButton::WriteAllowAllUp(bool Value) {
  if (allowAllUp_ == Value) return;
  allowAllUp_ = Value;
  if (groupIndex_ != 0 && manager_)
    for (Integer i = 0; i < manager_->ItemCount(); ++i)
      if (auto* b = dynamic_cast<TdxBarButton*>(manager_->Items(i)))
        if (b->groupIndex_ == groupIndex_) b->allowAllUp_ = Value;
}

void TdxBarButton::WriteButtonStyle(TdxBarButtonStyle Value) {
  if (buttonStyle_ == Value) return;
  buttonStyle_ = Value;
  // A style change always leaves the button up, group rules or not.
  if (down_) {
    down_ = false;
    if (!IsLoading()) DownChanged();
  }
  if (!IsLoading()) ButtonStyleChanged();
  ItemChanged();
}

void TdxBarButton::SetDropDownEnabled(bool V) {
  if (dropDownEnabled_ == V) return;
  dropDownEnabled_ = V;
  if (!IsLoading()) DropDownEnabledChanged();
}

void TdxBarButton::SetDropDownMenu(TdxBarPopupMenu* V) {
  if (dropDownMenu_ == V) return;
  if (dropDownMenu_) dropDownMenu_->RemoveFreeNotification(this);
  dropDownMenu_ = V;
  if (V) V->FreeNotification(this);
}

void TdxBarButton::SetLowered(bool V) {
  if (lowered_ == V) return;
  lowered_ = V;
  if (!IsLoading()) RelayoutLinks();
}

void TdxBarButton::SetPaintStyle(TdxBarPaintStyle V) {
  if (paintStyle_ == V) return;
  paintStyle_ = V;
  if (!IsLoading()) PaintStyleChanged();
}

void TdxBarButton::ButtonStyleChanged() {
  ForEachButtonView(this, [](TdxBarButtonControl* v, TdxBarItemLink*) { v->ButtonStyleChanged(); });
}
void TdxBarButton::DownChanged() {
  ForEachButtonView(this, [](TdxBarButtonControl* v, TdxBarItemLink*) { v->DownChanged(); });
}
void TdxBarButton::DropDownEnabledChanged() {
  ForEachButtonView(this, [](TdxBarButtonControl* v, TdxBarItemLink*) { v->DropDownEnabledChanged(); });
}
void TdxBarButton::PaintStyleChanged() {
  ForEachButtonView(this, [](TdxBarButtonControl* v, TdxBarItemLink* l) {
    if (!l->UserDefine().Contains(udPaintStyle)) v->PaintStyleChanged();
  });
}

bool TdxBarButton::AcceleratorUsable(TdxBarItemLink* Link) const {
  if (!ReadEnabled()) return false;
  if (!Link || !Link->Links() || !Link->Links()->OwnerBar()) return true;
  TdxBarPaintStyle ps = Link->EffectivePaintStyle();
  if (ps == psCaption || ps == psCaptionGlyph) return true;
  // A standard button without a glyph shows its caption on a toolbar too.
  if (auto* v = dynamic_cast<TdxBarButtonControl*>(Link->Control())) return v->PaintStyleNow() != psStandard;
  return false;
}

void TdxBarButton::TryClick() {
  if (buttonStyle_ == bsChecked && ReadEnabled()) WriteDown(!down_);
  TdxBarItem::TryClick();
}

void TdxBarButton::DropDown(Integer X, Integer Y, bool ByMouse) {
  if (!dropDownMenu_) return;
  dropDownMenu_->SetShownAsDropDown(true);
  dropDownMenu_->ShowAt(X, Y);
  dropDownMenu_->SetShownAsDropDown(false);
  TdxBarItemLink* active = ActiveLink();
  TdxBarItemControl* view = active ? active->Control() : nullptr;
  dropDownMenu_->SetOwnerView(view);
  if (TdxBarSubMenuControl* w = dropDownMenu_->Window()) {
    w->SetOwnerView(view);
    if (!ByMouse)
      if (TdxBarItemLink* first = dropDownMenu_->ItemLinks()->FirstSelectable()) w->SelectItem(first->Control());
  }
}

void TdxBarButton::Notification(TComponent* AComponent, TOperation Operation) {
  TdxBarItem::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == dropDownMenu_) dropDownMenu_ = nullptr;
}

bool TdxBarButton::IsDownStored() const {
  return down_ && (!actionLink_ || !actionLink_->IsCheckedLinked());
}

