// The bar manager: one per form; its list, creation and destruction, loading
// from a form resource, docking rules, redraw lock and its look (metrics,
// flat brushes, fonts).
#include <algorithm>

#include "bars/dxBar.h"
#include "platform/FormReader.h"
#include "platform/SysUtils.h"

void dxBarInstallHooks();
void dxBarRemoveHooks();

namespace {
std::vector<TdxBarManager*>& ManagerList() {
  static std::vector<TdxBarManager*> list;
  return list;
}
}  // namespace

Integer TdxBarManager::ManagerCount() { return static_cast<Integer>(ManagerList().size()); }
TdxBarManager* TdxBarManager::Managers(Integer Index) {
  auto& l = ManagerList();
  return Index >= 0 && Index < static_cast<Integer>(l.size()) ? l[static_cast<size_t>(Index)] : nullptr;
}

TdxBarManager::TdxBarManager(TComponent* AOwner) : TComponent(AOwner) {
  // Owner checks come first: a refused manager leaves the constructor before
  // it touches anything shared (the manager list, the hooks, the form's other manager).
  TComponent* owner = AOwner;
  if (!owner && Application) owner = Application->MainForm();
  auto* form = dynamic_cast<TCustomForm*>(owner);
  if (!form) throw Exception(dxBarStrings::OwnerMustBeForm);
  if (FindBarManagerOfForm(form)) throw Exception(dxBarStrings::OnlyOneManager);
  if (!AOwner) form->InsertComponent(this);
  ownerForm_ = form;
  constructionFailed_ = false;
  // Registration: the manager list and the thread hooks.
  auto& list = ManagerList();
  if (std::find(list.begin(), list.end(), this) == list.end()) list.push_back(this);
  dxBarInstallHooks();

  designing_ = ComponentState().Contains(csDesigning);
  categories_ = std::make_unique<TdxBarManagerCategories>(this);
  categories_->Add(dxBarStrings::DefaultCategory);
  bars_ = std::make_unique<TdxBars>(this);
  popupMenuLinks_ = std::make_unique<TdxBarPopupMenuLinks>(this);
  font_ = std::make_unique<TFont>();
  font_->OnChange = TNotifyEvent(this, &TdxBarManager::FontChanged);
  helpButtonGlyph_ = std::make_unique<TBitmap>();
  imagesLink_ = std::make_unique<TChangeLink>();
  imagesLink_->OnChange = TNotifyEvent(this, &TdxBarManager::ImagesChanged);
  largeImagesLink_ = std::make_unique<TChangeLink>();
  largeImagesLink_->OnChange = TNotifyEvent(this, &TdxBarManager::LargeImagesChanged);
  hotImagesLink_ = std::make_unique<TChangeLink>();
  hotImagesLink_->OnChange = TNotifyEvent(this, &TdxBarManager::HotImagesChanged);
  UpdateRecentThreshold();
  shadowBrush_ = CreateSolidBrush(RGB(0x80, 0x80, 0x80));
  UpdateGlyphMetrics();
  SetStyle(bmsEnhanced);
  SetUseSystemFont(true);
  CreateFlatBrushes();
}

TdxBarManager::~TdxBarManager() {
  if (constructionFailed_) return;
  Destroying();
  dxBarHintManagerDestroying(this);
  if (customizing_) {
    // The customizing dialog and popup do not outlive the manager.
    customizing_ = false;
    FreeCustomizingPopup();
    if (auto& calls = dxBarCustomizingDialogCalls(); calls.Show) calls.Show(this, false);
  }
  DeleteFlatBrushes();
  while (!popupMenus_.empty()) delete popupMenus_.back();
  popupMenuLinks_.reset();
  if (shadowBrush_) DeleteObject(shadowBrush_);
  shadowBrush_ = nullptr;
  SetImages(nullptr);
  SetLargeImages(nullptr);
  SetHotImages(nullptr);
  while (!groups_.empty()) delete groups_.back();
  if (barFont_) DeleteObject(barFont_);
  barFont_ = nullptr;
  bars_.reset();
  dockControls_.clear();
  while (!items_.empty()) delete items_.back();
  auto& list = ManagerList();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
  if (list.empty()) dxBarRemoveHooks();
  categories_.reset();
}

// --- Properties --------------------------------------------------------------------
void TdxBarManager::SetAutoDockColor(bool V) {
  if (autoDockColor_ == V) return;
  autoDockColor_ = V;
  for (TdxDockControl* d : dockControls_) d->ApplyDockColor();
}

TColor TdxBarManager::DockColor() const {
  if (autoDockColor_ && ownerForm_) return ownerForm_->Color();
  return dockColor_;
}

void TdxBarManager::SetDockColor(TColor V) {
  dockColor_ = V;
  autoDockColor_ = false;
  for (TdxDockControl* d : dockControls_) d->ApplyDockColor();
}

void TdxBarManager::SetAutoHideEmptyBars(bool V) {
  if (autoHideEmptyBars_ == V) return;
  autoHideEmptyBars_ = V;
  if (!V)
    for (Integer i = 0; i < bars_->Count(); ++i) bars_->Items(i)->SetAutoHidden(false);
}

void TdxBarManager::SetScaled(bool V) {
  if (scaled_ == V) return;
  scaled_ = V;
  if (V && !useSystemFont_) ApplySystemFont();
}

void TdxBarManager::SetBars(TdxBars* V) { bars_->Assign(V); }

void TdxBarManager::SetButtonArrowWidth(Integer V) {
  if (V < 2 || V == buttonArrowWidth_) return;
  buttonArrowWidth_ = V;
  UpdateGlyphMetrics();
  RelayoutBars();
}

void TdxBarManager::SetLargeButtonArrowWidth(Integer V) {
  if (V < 2 || V == largeButtonArrowWidth_) return;
  largeButtonArrowWidth_ = V;
  RelayoutBars();
}

void TdxBarManager::SetLargeIcons(bool V) {
  if (largeIcons_ == V) return;
  largeIcons_ = V;
  UpdateGlyphMetrics();
  RelayoutBars();
}

TStrings* TdxBarManager::Categories() const { return categories_.get(); }
void TdxBarManager::SetCategories(TStrings* V) { categories_->Assign(V); }

void TdxBarManager::SetFlatCloseButton(bool V) {
  if (flatCloseButton_ == V) return;
  flatCloseButton_ = V;
  if (mainMenuBar_ && mainMenuBar_->Control()) mainMenuBar_->Control()->RebuildLayout();
}

void TdxBarManager::SetShowCloseButton(bool V) {
  if (showCloseButton_ == V) return;
  showCloseButton_ = V;
  if (mainMenuBar_ && mainMenuBar_->Control()) mainMenuBar_->Control()->RebuildLayout();
}

void TdxBarManager::SetImageListBkColor(TColor V) {
  if (imageListBkColor_ == V) return;
  imageListBkColor_ = V;
  RepaintBars();
}

void TdxBarManager::SetMostRecentItemsPercents(Byte V) {
  if (V > 100) V = 100;
  if (mostRecentItemsPercents_ == V) return;
  mostRecentItemsPercents_ = V;
  UpdateRecentThreshold();
}

void TdxBarManager::UpdateRecentThreshold() {
  Integer p = mostRecentItemsPercents_;
  if (p >= 100) {
    recentThreshold_ = 0;
    return;
  }
  Integer n = 1;
  while (n * (100 - p) / 100 <= 0) ++n;
  recentThreshold_ = n;
}

void TdxBarManager::SetWaitForDockingTime(Integer V) {
  if (V < 0) return;
  waitForDockingTime_ = V;
}

// Image lists: change links keep the glyphs of the items that use them fresh.
void TdxBarManager::SetImageList(TCustomImageList*& Slot, TChangeLink* Link, TCustomImageList* Value, int Which) {
  if (Slot == Value) return;
  if (Slot) {
    Slot->UnRegisterChanges(Link);
    Slot->RemoveFreeNotification(this);
  }
  Slot = Value;
  if (Slot) {
    Slot->RegisterChanges(Link);
    Slot->FreeNotification(this);
  }
  RefreshImages(Which);
}
void TdxBarManager::SetImages(TCustomImageList* V) { SetImageList(images_, imagesLink_.get(), V, 0); }
void TdxBarManager::SetLargeImages(TCustomImageList* V) { SetImageList(largeImages_, largeImagesLink_.get(), V, 1); }
void TdxBarManager::SetHotImages(TCustomImageList* V) { SetImageList(hotImages_, hotImagesLink_.get(), V, 2); }
void TdxBarManager::ImagesChanged(TObject*) {
  if (!IsLoading()) RefreshImages(0);
}
void TdxBarManager::LargeImagesChanged(TObject*) { RefreshImages(1); }
void TdxBarManager::HotImagesChanged(TObject*) { RefreshImages(2); }

void TdxBarManager::RefreshImages(int Which) {
  if (IsLoading() || IsDestroying()) return;
  bool saved = updateLock_;
  SuspendRedraw(true);
  try {
    for (TdxBarItem* it : std::vector<TdxBarItem*>(items_)) {
      if (Which == 0 && it->ImageIndex() >= 0) it->RefreshLinksGlyph();
      if (Which == 1 && it->UsesLargeImages()) it->RefreshLargeGlyph();
      if (Which == 2 && it->UsesHotImages()) it->RefreshHotGlyph();
    }
  } catch (...) {
    SuspendRedraw(saved);
    throw;
  }
  SuspendRedraw(saved);
}

// --- Clicks, docking, redraw ---------------------------------------------------------------
void TdxBarManager::NotifyClickItem(TdxBarItem* Item) { OnClickItem(this, Item); }

bool TdxBarManager::CanDock(TdxBar* Bar, TdxBarDockingStyle Style, TdxDockControl* DockControl) {
  bool answer;
  if (Bar->NotDocking().Contains(Style)) {
    answer = false;
  } else if (!DockControl || std::find(std::begin(bars_->docks_), std::end(bars_->docks_), DockControl) !=
                                 std::end(bars_->docks_)) {
    answer = !notDocking_.Contains(Style);
  } else {
    answer = DockControl->CanDocking(Bar);
  }
  OnDocking(Bar, Style, DockControl, answer);
  return answer;
}

void TdxBarManager::DoBarDockingStyleChange(TdxBar* Bar) {
  if (bars_ && bars_->Loading()) return;
  OnBarDockingStyleChange(this, Bar);
}

void TdxBarManager::SuspendRedraw(bool Lock) {
  if (updateLock_ == Lock) return;
  updateLock_ = Lock;
  for (TdxDockControl* d : dockControls_)
    if (d->HandleAllocated() && d->Visible()) SendMessageW(d->Handle(), WM_SETREDRAW, Lock ? FALSE : TRUE, 0);
  if (!Lock) {
    for (TdxDockControl* d : dockControls_)
      if (d->Visible()) {
        d->UpdateLayout();
        if (d->HandleAllocated()) SendMessageW(d->Handle(), WM_NCPAINT, 1, 0);
      }
    RelayoutBars();
  }
}

void TdxBarManager::RepaintBars() {
  if (!bars_) return;
  for (Integer i = 0; i < bars_->Count(); ++i)
    if (TdxBarControl* c = bars_->Items(i)->Control())
      if (c->HandleAllocated()) InvalidateRect(c->Handle(), nullptr, TRUE);
}

void TdxBarManager::RelayoutBars() {
  if (!bars_ || updateLock_) return;
  for (Integer i = 0; i < bars_->Count(); ++i)
    if (TdxBarControl* c = bars_->Items(i)->Control()) c->RebuildLayout();
}

Integer TdxBarManager::FloatFrameWidth() const { return IsFlat() ? 3 : GetSystemMetrics(SM_CXSIZEFRAME); }
Integer TdxBarManager::FloatFrameHeight() const { return IsFlat() ? 3 : GetSystemMetrics(SM_CYSIZEFRAME); }

TdxBar* TdxBarManager::BarByCaption(const std::string& Caption) const {
  for (Integer i = 0; i < bars_->Count(); ++i)
    if (bars_->Items(i)->Caption() == Caption) return bars_->Items(i);
  return nullptr;
}

TdxBar* TdxBarManager::BarByName(const std::string& Name) const {
  for (Integer i = 0; i < bars_->Count(); ++i)
    if (bars_->Items(i)->Name() == Name) return bars_->Items(i);
  return nullptr;
}

TdxBarItem* TdxBarManager::ItemByName(const std::string& Name) const {
  for (TdxBarItem* it : items_)
    if (SameText(it->Name(), Name)) return it;
  return nullptr;
}

Integer TdxBarManager::GetItemsOfCategory(Integer Index, std::vector<TdxBarItem*>& List) const {
  List.clear();
  if (Index < 0 || Index >= categories_->Count()) return 0;
  for (TdxBarItem* it : items_)
    if (it->Category() == Index) List.push_back(it);
  return static_cast<Integer>(List.size());
}

Integer TdxBarManager::GetVisibleItemsOfCategory(Integer Index, std::vector<TdxBarItem*>& List) const {
  GetItemsOfCategory(Index, List);
  if (designing_) return static_cast<Integer>(List.size());
  std::vector<TdxBarItem*> out;
  for (TdxBarItem* it : List)
    if (it->IsVisibleNow() && !it->HiddenInCommandList()) out.push_back(it);
  List = out;
  return static_cast<Integer>(List.size());
}

void TdxBarManager::MoveItem(Integer CurIndex, Integer NewIndex) {
  Integer n = ItemCount();
  if (CurIndex < 0 || CurIndex >= n || NewIndex < 0 || NewIndex >= n) return;
  TdxBarItem* it = items_[static_cast<size_t>(CurIndex)];
  items_.erase(items_.begin() + CurIndex);
  items_.insert(items_.begin() + NewIndex, it);
  DesignerModified();
}

void TdxBarManager::ExchangeItems(Integer I1, Integer I2) {
  Integer n = ItemCount();
  if (I1 < 0 || I1 >= n || I2 < 0 || I2 >= n) return;
  std::swap(items_[static_cast<size_t>(I1)], items_[static_cast<size_t>(I2)]);
  DesignerModified();
}

void TdxBarManager::CloseActiveMenus() {
  if (TCustomdxBarControl* a = ActiveBarControl()) a->CloseChain();
}

void TdxBarManager::AddDockControl(TdxDockControl* D) {
  dockControls_.push_back(D);
  D->FreeNotification(this);
}

void TdxBarManager::RemoveDockControl(TdxDockControl* D) {
  auto it = std::find(dockControls_.begin(), dockControls_.end(), D);
  if (it == dockControls_.end()) return;
  if (bars_)
    for (Integer i = 0; i < bars_->Count(); ++i) {
      TdxBar* b = bars_->Items(i);
      if (b->dockControl_ == D) b->dockControl_ = nullptr;
      if (b->dockedDockControl_ == D) b->dockedDockControl_ = nullptr;
      if (b->Control() && b->Control()->DockSite() == D) b->SetVisible(false);
    }
  dockControls_.erase(std::find(dockControls_.begin(), dockControls_.end(), D));
  if (bars_) bars_->ClearDockControl(D);
  D->RemoveFreeNotification(this);
  if (!D->ComponentState().Contains(csDestroying)) D->SetParentColor(true);
}

TdxDockControl* TdxBarManager::DockControls(Integer I) const {
  return I >= 0 && I < DockControlCount() ? dockControls_[static_cast<size_t>(I)] : nullptr;
}
TdxBarItem* TdxBarManager::Items(Integer I) const {
  return I >= 0 && I < ItemCount() ? items_[static_cast<size_t>(I)] : nullptr;
}
Integer TdxBarManager::IndexOfItem(const TdxBarItem* Item) const {
  auto it = std::find(items_.begin(), items_.end(), Item);
  return it == items_.end() ? -1 : static_cast<Integer>(it - items_.begin());
}
TdxBarGroup* TdxBarManager::Groups(Integer I) const {
  return I >= 0 && I < GroupCount() ? groups_[static_cast<size_t>(I)] : nullptr;
}
void TdxBarManager::AddGroup(TdxBarGroup* G) {
  if (std::find(groups_.begin(), groups_.end(), G) == groups_.end()) groups_.push_back(G);
  G->manager_ = this;
}
void TdxBarManager::RemoveGroup(TdxBarGroup* G) {
  groups_.erase(std::remove(groups_.begin(), groups_.end(), G), groups_.end());
  if (G->manager_ == this) G->manager_ = nullptr;
}
TdxBarGroup* TdxBarManager::CreateGroup() {
  auto* g = new TdxBarGroup(ownerForm_);
  AddGroup(g);
  return g;
}

void TdxBarManager::AddPopupMenu(TdxBarPopupMenu* M) {
  if (std::find(popupMenus_.begin(), popupMenus_.end(), M) == popupMenus_.end()) popupMenus_.push_back(M);
}
void TdxBarManager::RemovePopupMenu(TdxBarPopupMenu* M) {
  popupMenus_.erase(std::remove(popupMenus_.begin(), popupMenus_.end(), M), popupMenus_.end());
}

// --- Categories (manager side) -------------------------------------------------------------
TdxBarItemVisible TdxBarManager::GetCategoryItemsVisible(Integer Index) const {
  if (Index < 0 || Index >= categories_->Count()) return ivNever;
  auto* r = categories_->Record(Index);
  return r ? static_cast<TdxBarItemVisible>(r->ItemsVisible) : ivAlways;
}

bool TdxBarManager::GetCategoryVisible(Integer Index) const {
  if (Index < 0 || Index >= categories_->Count()) return false;
  auto* r = categories_->Record(Index);
  return r ? r->Visible : true;
}

void TdxBarManager::SetCategoryVisible(Integer Index, bool Value) {
  if (Index < 0 || Index >= categories_->Count() || GetCategoryVisible(Index) == Value) return;
  categories_->EnsureRecord(Index)->Visible = Value;
  DesignerModified();
}

Integer TdxBarManager::VisibleCategoryIndex(Integer N) const {
  if (designing_) return N;
  for (Integer i = 0; i < categories_->Count(); ++i)
    if (GetCategoryVisible(i) && N-- == 0) return i;
  return -1;
}

void TdxBarManager::SetCategoryItemsVisible(Integer Index, TdxBarItemVisible Value) {
  if (Index < 0 || Index >= categories_->Count()) return;
  TdxBarItemVisible old = GetCategoryItemsVisible(Index);
  auto* rec = categories_->EnsureRecord(Index);
  if (IsLoading()) {
    rec->PendingItemsVisible = static_cast<Byte>(Value);
    return;
  }
  rec->ItemsVisible = static_cast<Byte>(Value);
  std::vector<bool> wasEmpty;
  bool autoHide = !designing_ && autoHideEmptyBars_;
  if (autoHide)
    for (Integer i = 0; i < bars_->Count(); ++i) wasEmpty.push_back(bars_->Items(i)->ItemLinks()->ShownLinks().empty());
  bool saved = updateLock_;
  if (!designing_) SuspendRedraw(true);
  try {
    std::vector<TdxBarItem*> list;
    GetItemsOfCategory(Index, list);
    if (Value == ivAlways) std::reverse(list.begin(), list.end());
    for (TdxBarItem* it : list)
      if (it->Visible() == old) it->SetVisible(Value);
    if (autoHide)
      for (Integer i = 0; i < bars_->Count(); ++i) {
        TdxBar* b = bars_->Items(i);
        bool empty = b->ItemLinks()->ShownLinks().empty();
        if (Value == ivNever && empty && !wasEmpty[static_cast<size_t>(i)] && b->Visible()) {
          b->SetVisible(false);
          b->SetAutoHidden(true);
        } else if (Value == ivAlways && !empty && b->AutoHidden()) {
          b->SetVisible(true);
          b->SetAutoHidden(false);
        }
      }
  } catch (...) {
    if (!designing_) SuspendRedraw(saved);
    throw;
  }
  if (!designing_) SuspendRedraw(saved);
  if (old != Value) DesignerModified();
}

// --- Streaming ------------------------------------------------------------------------------
void TdxBarManager::ReadState(TReader* Reader) {
  ++readCount_;
  TComponent::ReadState(Reader);
}

void TdxBarManager::Loaded() {
  TComponent::Loaded();
  if (!updateLock_) CompleteLoading();
}

void TdxBarManager::CompleteLoading() {
  bars_->loading_ = true;
  bars_->restoring_ = true;
  try {
    for (TdxBarItem* it : std::vector<TdxBarItem*>(items_)) {
      it->WriteVisible(it->pendingVisible_);
      if (it->Action()) it->ActionChange(it->Action(), true);
    }
    for (Integer i = 0; i < bars_->Count(); ++i) bars_->Items(i)->ApplyLoaded();
    for (TdxBarPopupMenu* m : popupMenus_) m->ItemLinks()->ApplyLoadedState(true);
  } catch (...) {
    bars_->loading_ = false;
    bars_->restoring_ = false;
    throw;
  }
  bars_->loading_ = false;
  bars_->restoring_ = false;
  for (Integer i = 0; i < categories_->Count(); ++i)
    if (auto* r = categories_->Record(i)) {
      TdxBarItemVisible pending = static_cast<TdxBarItemVisible>(r->PendingItemsVisible);
      // The stored value is what the items already carry; apply only a change.
      if (pending != static_cast<TdxBarItemVisible>(r->ItemsVisible)) SetCategoryItemsVisible(i, pending);
    }
  for (TdxDockControl* d : dockControls_) d->UpdateLayout();
  RestoreLayout();
}

void TdxBarManager::DefineProperties(TFiler* Filer) {
  TComponent::DefineProperties(Filer);
  Filer->DefineProperty(
      "DockControlHeights",
      [this](TReader* R) {
        R->ReadListBegin();
        Integer v[4] = {0, 0, 0, 0};
        for (int i = 0; i < 4 && !R->EndOfList(); ++i) v[i] = R->ReadInteger();
        while (!R->EndOfList()) R->SkipValue();
        R->ReadListEnd();
        const TdxBarDockingStyle order[4] = {dsLeft, dsRight, dsTop, dsBottom};
        for (int i = 0; i < 4; ++i)
          if (TdxDockControl* d = bars_->DockControl(order[i])) d->SetSize(v[i]);
      },
      [this](TWriter* W) {
        W->WriteListBegin();
        const TdxBarDockingStyle order[4] = {dsLeft, dsRight, dsTop, dsBottom};
        for (auto s : order) {
          TdxDockControl* d = bars_->DockControl(s);
          W->WriteInteger(d ? d->Size() : 0);
        }
        W->WriteListEnd();
      },
      true);
}

void TdxBarManager::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (TdxBarGroup* g : groups_)
    if (g->Owner() == Root) Proc(g);
  for (TdxBarItem* it : items_)
    if (it->Owner() == Root && it->Category() >= 0) Proc(it);
}

void TdxBarManager::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == images_) images_ = nullptr;
  if (AComponent == largeImages_) largeImages_ = nullptr;
  if (AComponent == hotImages_) hotImages_ = nullptr;
  if (auto* d = dynamic_cast<TdxDockControl*>(AComponent)) RemoveDockControl(d);
  if (popupMenuLinks_) popupMenuLinks_->ComponentRemoved(AComponent);
}

void TdxBarManager::SetName(const std::string& NewName) {
  std::string old = Name();
  TComponent::SetName(NewName);
  if (!designing_ || old.empty()) return;
  for (TdxBarItem* it : items_) {
    const std::string& n = it->Name();
    if (it->Owner() == Owner() && n.size() > old.size() && SameText(n.substr(0, old.size()), old)) {
      try {
        it->SetName(NewName + n.substr(old.size()));
      } catch (const EComponentError&) {
      }
    }
  }
}

// --- Look ------------------------------------------------------------------------------------
void TdxBarManager::SetStyleMetrics() {
  switch (style_) {
    case bmsStandard: gripThickness_ = 2; gripArea_ = 9; menuSeparatorIndent_ = 2; break;
    case bmsEnhanced: gripThickness_ = 1; gripArea_ = 6; menuSeparatorIndent_ = 12; break;
    case bmsFlat: gripThickness_ = 1; gripArea_ = 6; menuSeparatorIndent_ = 8; break;
  }
}

void TdxBarManager::SetStyle(TdxBarManagerStyle V) {
  if (style_ == V) return;
  styleChanging_ = true;
  style_ = V;
  SetStyleMetrics();
  UpdateGlyphMetrics();
  if (bars_)
    for (Integer i = 0; i < bars_->Count(); ++i)
      if (TdxBarControl* c = bars_->Items(i)->Control()) {
        TControlStyle cs = c->ControlStyle();
        if (V != bmsStandard || IsCustomizing()) cs.Include(csDoubleClicks); else cs.Exclude(csDoubleClicks);
        c->SetControlStyle(cs);
        c->RebuildLayout();
      }
  styleChanging_ = false;
}

void TdxBarManager::UpdateGlyphMetrics() {
  Integer k = largeIcons_ ? 2 : 1;
  glyphSize_ = 16 * k;
  defaultItemWidth_ = 16 * k + 7;
  defaultItemHeight_ = 16 * k + 6;
  Integer a = k * buttonArrowWidth_;
  if (a % 2 == 0) ++a;
  if (style_ == bmsFlat) --a;
  dropDownArrowWidth_ = a;
}

void TdxBarManager::DeleteFlatBrushes() {
  for (HBRUSH& b : flatBrushes_) {
    if (b) DeleteObject(b);
    b = nullptr;
  }
}

void TdxBarManager::CreateFlatBrushes() {
  DeleteFlatBrushes();
  flatBrushes_[0] = CreateSolidBrush(static_cast<COLORREF>(NearestColor(ShadeSysColor(COLOR_BTNFACE, 10, 10, 10))));
  flatBrushes_[1] = CreateSolidBrush(static_cast<COLORREF>(NearestColor(ShadeSysColor(COLOR_BTNFACE, 0, 0, 16))));
  flatBrushes_[2] =
      CreateSolidBrush(static_cast<COLORREF>(NearestColor(ShadeSysColor(COLOR_BTNFACE, -79, -62, -18))));
  flatBrushes_[3] =
      CreateSolidBrush(static_cast<COLORREF>(NearestColor(ShadeSysColor(COLOR_HIGHLIGHT, 172, 153, 104))));
}

void TdxBarManager::SysColorChanged() {
  CreateCheckerBrush();
  CreateFlatBrushes();
  RepaintBars();
}

void TdxBarManager::SettingChanged(UINT Setting) {
  if (Setting == SPI_SETNONCLIENTMETRICS && useSystemFont_) ApplySystemFont();
}

void TdxBarManager::SetUseSystemFont(bool V) {
  if (useSystemFont_ == V) return;
  useSystemFont_ = V;
  if (V) ApplySystemFont();
}

void TdxBarManager::ApplySystemFont() {
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof(ncm);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0);
  if (useSystemFont_) {
    font_->SetHandle(CreateFontIndirectW(&ncm.lfMenuFont));
    useSystemFont_ = true;
  } else if (scaled_) {
    font_->SetHeight(ncm.lfMenuFont.lfHeight);
  }
}

void TdxBarManager::FontChanged(TObject*) {
  if (fontChanging_) return;
  fontChanging_ = true;
  try {
    useSystemFont_ = false;
    if (scaled_) {
      NONCLIENTMETRICSW ncm{};
      ncm.cbSize = sizeof(ncm);
      SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0);
      if (font_->Height() != ncm.lfMenuFont.lfHeight) font_->SetHeight(ncm.lfMenuFont.lfHeight);
    }
    CreateBarFont(font_.get(), barFont_, scaled_);
    if (bars_)
      for (Integer i = 0; i < bars_->Count(); ++i) bars_->Items(i)->ManagerFontChanged();
    for (TdxBarPopupMenu* p : std::vector<TdxBarPopupMenu*>(popupMenus_)) p->ManagerFontChanged();
  } catch (...) {
    fontChanging_ = false;
    throw;
  }
  fontChanging_ = false;
}

// --- Categories list ---------------------------------------------------------------------------
TdxBarManagerCategories::TdxBarManagerCategories(TdxBarManager* Manager) : manager_(Manager) {}
TdxBarManagerCategories::~TdxBarManagerCategories() = default;

TdxBarManagerCategories::TRecord* TdxBarManagerCategories::Record(Integer Index) const {
  if (Index < 0 || Index >= static_cast<Integer>(records_.size())) return nullptr;
  return records_[static_cast<size_t>(Index)].get();
}

TdxBarManagerCategories::TRecord* TdxBarManagerCategories::EnsureRecord(Integer Index) {
  if (records_.size() < static_cast<size_t>(Count())) records_.resize(static_cast<size_t>(Count()));
  auto& r = records_[static_cast<size_t>(Index)];
  if (!r) r = std::make_unique<TRecord>();
  return r.get();
}

void TdxBarManagerCategories::PutObject(Integer, TObject*) {}

void TdxBarManagerCategories::Changed() {
  TStringList::Changed();
  if (records_.size() < static_cast<size_t>(Count())) records_.resize(static_cast<size_t>(Count()));
  if (manager_) manager_->DesignerModified();
}

void TdxBarManagerCategories::SetItemsCategory(Integer From, Integer To) {
  if (From < 0 || From >= Count() || To < 0 || !manager_) return;
  for (TdxBarItem* it : manager_->items_)
    if (it->category_ == From) it->category_ = To;
}

void TdxBarManagerCategories::Delete(Integer Index) {
  if (!moving_ && manager_ && Index >= 0 && Index < Count()) {
    std::vector<TdxBarItem*> doomed;
    for (TdxBarItem* it : manager_->items_)
      if (it->category_ == Index) doomed.push_back(it);
    for (TdxBarItem* it : doomed) delete it;
    for (Integer i = Index; i + 1 < Count(); ++i) SetItemsCategory(i + 1, i);
  }
  if (Index >= 0 && Index < static_cast<Integer>(records_.size())) records_.erase(records_.begin() + Index);
  TStringList::Delete(Index);
  if (!moving_ && Count() == 0) Add(dxBarStrings::DefaultCategory);
}

void TdxBarManagerCategories::Insert(Integer Index, const std::string& S) {
  if (!moving_ && manager_ && Index >= 0 && Index < Count())
    for (TdxBarItem* it : manager_->items_)
      if (it->category_ >= Index) ++it->category_;
  if (Index >= 0 && Index <= static_cast<Integer>(records_.size()))
    records_.insert(records_.begin() + Index, nullptr);
  TStringList::Insert(Index, S);
}

void TdxBarManagerCategories::Exchange(Integer I1, Integer I2) {
  if (I1 < 0 || I1 >= Count() || I2 < 0 || I2 >= Count()) return;
  if (manager_)
    for (TdxBarItem* it : manager_->items_) {
      if (it->category_ == I1) it->category_ = I2;
      else if (it->category_ == I2) it->category_ = I1;
    }
  if (records_.size() < static_cast<size_t>(Count())) records_.resize(static_cast<size_t>(Count()));
  std::swap(records_[static_cast<size_t>(I1)], records_[static_cast<size_t>(I2)]);
  TStringList::Exchange(I1, I2);
}

void TdxBarManagerCategories::Move(Integer Cur, Integer New) {
  if (Cur == New || Cur < 0 || Cur >= Count() || New < 0 || New >= Count()) return;
  if (manager_) {
    for (TdxBarItem* it : manager_->items_)
      if (it->category_ == Cur) it->category_ = -1000;
    if (Cur < New) {
      for (Integer i = Cur + 1; i <= New; ++i) SetItemsCategory(i, i - 1);
    } else {
      for (Integer i = Cur - 1; i >= New; --i) SetItemsCategory(i, i + 1);
    }
    for (TdxBarItem* it : manager_->items_)
      if (it->category_ == -1000) it->category_ = New;
  }
  if (records_.size() < static_cast<size_t>(Count())) records_.resize(static_cast<size_t>(Count()));
  auto rec = std::move(records_[static_cast<size_t>(Cur)]);
  records_.erase(records_.begin() + Cur);
  records_.insert(records_.begin() + New, std::move(rec));
  auto saved = std::move(records_);
  moving_ = true;
  try {
    TStringList::Move(Cur, New);
  } catch (...) {
    moving_ = false;
    records_ = std::move(saved);
    throw;
  }
  moving_ = false;
  records_ = std::move(saved);
}

void TdxBarManagerCategories::Clear() {
  records_.clear();
  TStringList::Clear();
}

// --- Groups -------------------------------------------------------------------------------------
TdxBarGroup::TdxBarGroup(TComponent* AOwner) : TComponent(AOwner) {}

TdxBarGroup::~TdxBarGroup() {
  Destroying();
  if (manager_) manager_->RemoveGroup(this);
  for (TComponent* c : members_) c->RemoveFreeNotification(this);
  members_.clear();
}

TComponent* TdxBarGroup::Items(Integer I) const {
  return I >= 0 && I < Count() ? members_[static_cast<size_t>(I)] : nullptr;
}
Integer TdxBarGroup::IndexOf(TComponent* C) const {
  auto it = std::find(members_.begin(), members_.end(), C);
  return it == members_.end() ? -1 : static_cast<Integer>(it - members_.begin());
}

bool TdxBarGroup::Contains(TComponent* C) const {
  for (TComponent* m : members_) {
    if (m == C) return true;
    if (auto* g = dynamic_cast<TdxBarGroup*>(m))
      if (g->Contains(C)) return true;
  }
  return false;
}

void TdxBarGroup::Add(TComponent* C) {
  if (!C || IndexOf(C) >= 0) return;
  auto* g = dynamic_cast<TdxBarGroup*>(C);
  if (!g && !dynamic_cast<TdxBarItem*>(C)) return;
  if (g && (g == this || g->Contains(this))) throw Exception(dxBarStrings::RecursiveGroups);
  members_.push_back(C);
  C->FreeNotification(this);
}

void TdxBarGroup::Remove(TComponent* C) {
  Integer i = IndexOf(C);
  if (i < 0) return;
  members_.erase(members_.begin() + i);
  C->RemoveFreeNotification(this);
}

void TdxBarGroup::MoveMember(Integer Cur, Integer New) {
  if (Cur < 0 || Cur >= Count() || New < 0 || New >= Count()) return;
  TComponent* c = members_[static_cast<size_t>(Cur)];
  members_.erase(members_.begin() + Cur);
  members_.insert(members_.begin() + New, c);
}

Integer TdxBarGroup::Index() const {
  if (!manager_) return -1;
  for (Integer i = 0; i < manager_->GroupCount(); ++i)
    if (manager_->Groups(i) == this) return i;
  return -1;
}

void TdxBarGroup::SetIndex(Integer Value) {
  Integer cur = Index();
  if (cur < 0 || Value < 0 || Value >= manager_->GroupCount()) return;
  auto& g = manager_->groups_;
  g.erase(g.begin() + cur);
  g.insert(g.begin() + Value, this);
}

void TdxBarGroup::SetEnabled(bool Value) {
  if (enabled_ == Value) return;
  enabled_ = Value;
  bool quiet = ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying);
  bool saved = manager_ ? manager_->RedrawSuspended() : false;
  if (manager_ && !quiet) manager_->SuspendRedraw(true);
  for (TComponent* m : std::vector<TComponent*>(members_)) {
    if (auto* it = dynamic_cast<TdxBarItem*>(m)) it->SetEnabled(Value);
    else if (auto* g = dynamic_cast<TdxBarGroup*>(m)) g->SetEnabled(Value);
  }
  if (manager_ && !quiet) manager_->SuspendRedraw(saved);
}

void TdxBarGroup::SetVisible(TdxBarItemVisible Value) {
  if (visible_ == Value) return;
  visible_ = Value;
  bool quiet = ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying);
  bool saved = manager_ ? manager_->RedrawSuspended() : false;
  if (manager_ && !quiet) manager_->SuspendRedraw(true);
  for (TComponent* m : std::vector<TComponent*>(members_)) {
    if (auto* it = dynamic_cast<TdxBarItem*>(m)) it->SetVisible(Value);
    else if (auto* g = dynamic_cast<TdxBarGroup*>(m)) g->SetVisible(Value);
  }
  if (manager_ && !quiet) manager_->SuspendRedraw(saved);
}

TComponent* TdxBarGroup::GetParentComponent() const { return manager_; }

void TdxBarGroup::SetParentComponent(TComponent* Value) {
  if (auto* m = dynamic_cast<TdxBarManager*>(Value)) m->AddGroup(this);
}

void TdxBarGroup::Loaded() {
  TComponent::Loaded();
  TComponent* root = manager_ && manager_->OwnerForm() ? static_cast<TComponent*>(manager_->OwnerForm()) : Owner();
  for (const std::string& n : memberNames_)
    if (TComponent* c = root ? root->FindComponent(n) : nullptr) Add(c);
  memberNames_.clear();
}

void TdxBarGroup::DefineProperties(TFiler* Filer) {
  TComponent::DefineProperties(Filer);
  Filer->DefineProperty(
      "Items",
      [this](TReader* R) {
        R->ReadListBegin();
        while (!R->EndOfList()) memberNames_.push_back(R->ReadString());
        R->ReadListEnd();
      },
      [this](TWriter* W) {
        W->WriteListBegin();
        for (TComponent* m : members_) W->WriteString(m->Name());
        W->WriteListEnd();
      },
      !members_.empty());
}

void TdxBarGroup::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove) {
    auto it = std::find(members_.begin(), members_.end(), AComponent);
    if (it != members_.end()) members_.erase(it);
  }
}
