// Bars and the bar collection: captions and names, visibility (which makes
// and frees the toolbar window), docking places, main-menu bar, fonts,
// shortcut search; and the built-in dock sites at the form's edges.
#include <algorithm>

#include "bars/dxBar.h"

// --- TdxBar ---------------------------------------------------------------------------------
TdxBar::TdxBar(TCollection* Collection) : TCollectionItem(Collection) {
  TdxBarManager* m = BarManager();
  font_ = std::make_unique<TFont>();
  if (m) font_->Assign(m->Font());
  font_->OnChange = TNotifyEvent(this, &TdxBar::FontChanged);
  itemLinks_ = std::make_unique<TdxBarItemLinks>(m, this);
  if (m && !m->IsLoading()) {
    m->OnBarAdd(m, this);
    m->DesignerModified();
  }
}

TdxBar::~TdxBar() {
  TdxBarManager* m = BarManager();
  if (m && !m->IsDestroying()) {
    m->DesignerModified();
    m->OnBarDelete(m, this);
  }
  visible_ = true;
  if (Control()) {
    itemLinks_->FreeBarWindow();
  }
  visible_ = false;
  if (m && m->mainMenuBar_ == this) m->mainMenuBar_ = nullptr;
  itemLinks_.reset();
  if (fontHandle_) DeleteObject(fontHandle_);
}

TdxBars* TdxBar::Bars() const { return static_cast<TdxBars*>(Collection()); }
TdxBarManager* TdxBar::BarManager() const { return Bars() ? Bars()->BarManager() : nullptr; }
TdxBarControl* TdxBar::Control() const {
  return itemLinks_ ? dynamic_cast<TdxBarControl*>(itemLinks_->BarControl()) : nullptr;
}

void TdxBar::SetAllowQuickCustomizing(bool V) {
  if (allowQuickCustomizing_ == V) return;
  allowQuickCustomizing_ = V;
  if (Control() && BarManager()->Style() != bmsStandard) Control()->RebuildLayout();
}

void TdxBar::SetBorderStyle(TdxBarBorderStyle V) {
  if (borderStyle_ == V) return;
  borderStyle_ = V;
  if (Control()) Control()->RebuildLayout();
}

void TdxBar::WriteCaption(const std::string& V) {
  if (caption_ == V) return;
  TdxBarManager* m = BarManager();
  if (m && m->BarByCaption(V)) return;
  caption_ = V;
  if (Control() && Control()->HandleAllocated()) Control()->SetCaption(V);
  if (name_.empty() && m && !m->IsLoading()) name_ = m->BarByName(V) ? Bars()->UniqueBarName(V) : V;
  if (m) m->DesignerModified();
}

void TdxBar::SetDockedDockControl(TdxDockControl* V) {
  if (V && V->BarManager() != BarManager()) return;
  dockedDockControl_ = V;
  if (BarManager()) BarManager()->DesignerModified();
}

void TdxBar::SetMultiLine(bool V) {
  if (isMainMenu_ && !V) return;
  if (multiLine_ == V) return;
  multiLine_ = V;
  if (Control() && ReadDockingStyle() != dsNone) Control()->RebuildLayout();
}

void TdxBar::SetRotateWhenVertical(bool V) {
  if (rotateWhenVertical_ == V) return;
  rotateWhenVertical_ = V;
  if (Control()) Control()->Perform(CM_DXBAR_FONTCHANGED);
}

void TdxBar::SetShowMark(bool V) {
  if (showMark_ == V) return;
  showMark_ = V;
  if (Control()) Control()->RebuildLayout();
}

void TdxBar::SetUseOwnFont(bool V) {
  if (V) {
    useOwnFont_ = true;
    return;
  }
  if (BarManager()) {
    fontCopying_ = true;
    font_->Assign(BarManager()->Font());
    fontCopying_ = false;
  }
  if (fontHandle_) DeleteObject(fontHandle_);
  fontHandle_ = nullptr;
  useOwnFont_ = false;
}

void TdxBar::SetUseRecentItems(bool V) {
  if (useRecentItems_ == V) return;
  useRecentItems_ = V;
  itemLinks_->SetUseRecentItems(V);
  if (Control()) Control()->RebuildLayout();
}

void TdxBar::SetUseRestSpace(bool V) {
  if (useRestSpace_ == V) return;
  useRestSpace_ = V;
  if (Control()) Control()->RebuildLayout();
}

void TdxBar::SetWholeRow(bool V) {
  if (wholeRow_ == V) return;
  wholeRow_ = V;
  if (visible_ && Control() && ReadDockingStyle() != dsNone) {
    WriteVisible(false);
    WriteVisible(true);
  }
}

void TdxBar::FontChanged(TObject*) {
  if (fontCopying_) return;
  useOwnFont_ = true;
  if (BarManager()) CreateBarFont(font_.get(), fontHandle_, BarManager()->Scaled());
  if (Control()) {
    Control()->ApplyFont();
    Control()->Perform(CM_DXBAR_FONTCHANGED);
  }
}

void TdxBar::ManagerFontChanged() {
  if (useOwnFont_) {
    if (BarManager()) CreateBarFont(font_.get(), fontHandle_, BarManager()->Scaled());
  } else if (BarManager()) {
    fontCopying_ = true;
    font_->Assign(BarManager()->Font());
    fontCopying_ = false;
  }
  if (Control()) {
    Control()->ApplyFont();
    Control()->RebuildLayout();
  }
}

TdxBarDockingStyle TdxBar::ReadDockingStyle() const { return dockControl_ ? dockControl_->DockingStyle() : dockingStyle_; }
TdxBarDockingStyle TdxBar::ReadDockedDockingStyle() const {
  return dockedDockControl_ ? dockedDockControl_->DockingStyle() : dockedDockingStyle_;
}

TdxDockControl* TdxBar::EffectiveDockControl() const {
  if (dockControl_) return dockControl_;
  if (dockingStyle_ == dsNone || !Bars()) return nullptr;
  return Bars()->DockControl(dockingStyle_);
}

void TdxBar::StorePosition() {
  TdxBarControl* w = Control();
  if (!w) return;
  if (w->DockingStyleOfWindow() == dsNone) {
    floatLeft_ = w->Left();
    floatTop_ = w->Top();
    floatClientWidth_ = w->ClientWidth();
    floatClientHeight_ = w->ClientHeight();
  } else {
    dockedDockingStyle_ = w->DockingStyleOfWindow();
    TdxDockControl* site = w->DockSite();
    bool builtIn = site && Bars() && Bars()->DockControl(site->DockingStyle()) == site;
    dockedDockControl_ = builtIn ? nullptr : site;
    dockedLeft_ = w->Left();
    dockedTop_ = w->Top();
  }
}

void TdxBar::ShowWindow() {
  TdxBarManager* m = BarManager();
  auto* w = static_cast<TdxBarControl*>(itemLinks_->CreateBarWindow());
  TdxBarDockingStyle style = ReadDockingStyle();
  TdxDockControl* site = EffectiveDockControl();
  w->BeginLock();
  if (style != dsNone && site) {
    w->MoveToDockSite(style, site);
    w->EndLock();
    site->InsertBar(w, site->ClientToScreen(Point(dockedLeft_, dockedTop_)));
  } else {
    w->MoveToDockSite(dsNone, nullptr);
    TPoint size = w->CalcDockedSize(dsNone);
    w->SetBounds(floatLeft_, floatTop_, size.X, size.Y);
    w->EndLock();
    TCustomForm* f = m ? m->OwnerForm() : nullptr;
    if (f && f->Visible() && (f->Active() || m->IsCustomizing()))
      ::ShowWindow(w->Handle(), SW_SHOWNOACTIVATE);
    return;
  }
  w->HandleNeeded();
  ::ShowWindow(w->Handle(), SW_SHOWNOACTIVATE);
}

void TdxBar::WriteVisible(bool V) {
  TdxBarManager* m = BarManager();
  if (V && m && m->IsDestroying()) return;
  if (m && m->IsLoading()) {
    autoHidden_ = false;
    pendingVisible_ = V;
    return;
  }
  if (visible_ == V) return;
  autoHidden_ = false;
  if (!V && Control()) StorePosition();
  visible_ = V;
  if (V)
    ShowWindow();
  else {
    if (TdxBarControl* w = Control())
      if (w->DockSite()) w->DockSite()->RemoveBar(w);
    itemLinks_->FreeBarWindow();
  }
  if (m && !m->IsDestroying()) m->OnBarVisibleChange(m, this);
  if (m && Bars() && !Bars()->Restoring()) m->DesignerModified();
}

void TdxBar::WriteDockControl(TdxDockControl* V) {
  TdxBarManager* m = BarManager();
  if (V && V->BarManager() != m) return;
  if (dockControl_ == V) return;
  if (m && m->IsLoading()) {
    pendingDockControl_ = V;
    return;
  }
  bool hide = Control() && !dockingWriterRunning_;
  bool wasVisible = visible_;
  if (hide && wasVisible) WriteVisible(false);
  TdxBarDockingStyle before = ReadDockingStyle();
  dockControl_ = V;
  itemLinks_->SetShownRecentCount(-1);
  bool nested = dockingWriterRunning_;
  if (!dockingWriterRunning_) {
    dockingWriterRunning_ = true;
    dockingStyle_ = V ? V->DockingStyle() : before;
    dockingWriterRunning_ = false;
  }
  if (hide && wasVisible) WriteVisible(true);
  if (!nested && m) m->DoBarDockingStyleChange(this);
}

void TdxBar::WriteDockingStyle(TdxBarDockingStyle V) {
  TdxBarManager* m = BarManager();
  if (dockingStyle_ == V && !dockControl_) return;
  if (m && m->IsLoading()) {
    pendingDockingStyle_ = V;
    return;
  }
  bool hide = Control() && !dockingWriterRunning_ && Control()->DockingStyleOfWindow() != V;
  bool wasVisible = visible_;
  if (hide && wasVisible) WriteVisible(false);
  dockingStyle_ = V;
  bool nested = dockingWriterRunning_;
  if (!dockingWriterRunning_) {
    dockingWriterRunning_ = true;
    dockControl_ = nullptr;
    dockingWriterRunning_ = false;
  }
  itemLinks_->SetShownRecentCount(-1);
  if (hide && wasVisible) WriteVisible(true);
  if (!nested && m) m->DoBarDockingStyleChange(this);
}

void TdxBar::SetDocking(TdxBarDockingStyle Style, TdxDockControl* Site) {
  if (Site && Bars() && Bars()->DockControl(Site->DockingStyle()) == Site) Site = nullptr;
  if (Style == ReadDockingStyle() || (Site && Site != dockControl_))
    WriteDockControl(Site);
  else
    WriteDockingStyle(Style);
}

void TdxBar::WriteIsMainMenu(bool V) {
  if (isMainMenu_ == V) return;
  TdxBarManager* m = BarManager();
  bool saved = m ? m->RedrawSuspended() : false;
  if (m) m->SuspendRedraw(true);
  if (V && m && m->mainMenuBar_ && m->mainMenuBar_ != this) m->mainMenuBar_->WriteIsMainMenu(false);
  isMainMenu_ = V;
  if (V) {
    if (m) m->mainMenuBar_ = this;
    wholeRow_ = true;
    multiLine_ = true;
  } else {
    if (m && m->mainMenuBar_ == this) m->mainMenuBar_ = nullptr;
    multiLine_ = false;
    wholeRow_ = false;
  }
  if (m && !m->IsLoading() && Control()) Control()->RebuildLayout();
  if (m) m->SuspendRedraw(saved);
}

void TdxBar::ApplyLoaded() {
  fromForm_ = true;
  itemLinks_->ApplyLoadedState(true);
  if (pendingDockControl_) WriteDockControl(pendingDockControl_);
  else if (pendingDockingStyle_ != dockingStyle_) WriteDockingStyle(pendingDockingStyle_);
  WriteVisible(pendingVisible_);
}

void TdxBar::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TdxBar*>(Source);
  if (!s) {
    TCollectionItem::Assign(Source);
    return;
  }
  allowClose_ = s->allowClose_;
  allowCustomizing_ = s->allowCustomizing_;
  SetAllowQuickCustomizing(s->allowQuickCustomizing_);
  allowReset_ = s->allowReset_;
  WriteCaption(s->caption_);
  SetDockedDockControl(s->dockedDockControl_);
  dockedDockingStyle_ = s->ReadDockedDockingStyle();
  SetDockedLeft(s->dockedLeft_);
  SetDockedTop(s->dockedTop_);
  floatLeft_ = s->floatLeft_;
  floatTop_ = s->floatTop_;
  floatClientWidth_ = s->floatClientWidth_;
  floatClientHeight_ = s->floatClientHeight_;
  hidden_ = s->hidden_;
  WriteIsMainMenu(s->isMainMenu_);
  itemLinks_->Assign(s->itemLinks_.get());
  notDocking_ = s->notDocking_;
  oneOnRow_ = s->oneOnRow_;
  SetRotateWhenVertical(s->rotateWhenVertical_);
  SetRow(s->row_);
  SetWholeRow(s->wholeRow_);
  SetDocking(s->ReadDockingStyle(), s->dockControl_);
  SetUseRecentItems(s->useRecentItems_);
  SetUseRestSpace(s->useRestSpace_);
  if (s->useOwnFont_) font_->Assign(s->font_.get());
  SetUseOwnFont(s->useOwnFont_);
  WriteVisible(s->visible_);
}

namespace {
bool ClickShortCutInLinks(TdxBarItemLinks* Links, TShortCut ShortCut) {
  Links->UpdateActions();
  for (TdxBarItemLink* l : std::vector<TdxBarItemLink*>(Links->AvailableLinks())) {
    TdxBarItem* it = l->Item();
    if (!it || !it->ReadEnabled()) continue;
    if (!it->AcceptsDirectClick()) continue;
    if (it->ShortCut() == ShortCut) {
      it->TryClick();
      return true;
    }
    if (auto* b = dynamic_cast<TdxBarButton*>(it))
      if (b->ButtonStyle() == bsDropDown && b->DropDownMenu())
        if (ClickShortCutInLinks(b->DropDownMenu()->ItemLinks(), ShortCut)) return true;
  }
  return false;
}
}  // namespace

bool TdxBar::ClickShortCut(TShortCut ShortCut) {
  if (ShortCut == 0) return false;
  return ClickShortCutInLinks(itemLinks_.get(), ShortCut);
}

bool TdxBar::InToolbarsList() const { return allowClose_ && !isMainMenu_; }

bool TdxBar::IsStatusBarStyle() const { return borderStyle_ == bbsNone && ReadDockingStyle() == dsBottom; }

Integer TdxBar::FrameWidth(TdxBarDockingStyle Style) const {
  TdxBarManager* m = BarManager();
  Integer F = m ? m->FloatFrameWidth() : 3, G = m ? m->GripArea() : 6;
  bool flat = m && m->IsFlat();
  if (Style == dsNone) return flat ? 2 * F + 2 : 2 * F + 8;
  if (borderStyle_ == bbsSingle) return (Style == dsTop || Style == dsBottom) ? G + 4 : 4;
  return 0;
}

Integer TdxBar::FrameHeight(TdxBarDockingStyle Style) const {
  TdxBarManager* m = BarManager();
  Integer F = m ? m->FloatFrameHeight() : 3, G = m ? m->GripArea() : 6;
  bool flat = m && m->IsFlat();
  if (Style == dsNone) return SmallCaptionHeight() + (flat ? 2 * F + 2 : 2 * F + 3);
  if (borderStyle_ == bbsSingle) return (Style == dsLeft || Style == dsRight) ? G + 4 : 4;
  return IsStatusBarStyle() ? 2 : 0;
}

// --- TdxBars -------------------------------------------------------------------------------
TdxBars::TdxBars(TdxBarManager* Manager) : TCollection(CollectionItemClass<TdxBar>()), manager_(Manager) {
  const TdxBarDockingStyle styles[4] = {dsLeft, dsTop, dsRight, dsBottom};
  for (int i = 0; i < 4; ++i) {
    docks_[i] = new TdxDockControl(Manager, styles[i]);
    Manager->AddDockControl(docks_[i]);
  }
}

TdxBars::~TdxBars() {
  BeginUpdate();
  while (Count() > 0) delete TCollection::Items(Count() - 1);
  for (TdxDockControl*& d : docks_) {
    TdxDockControl* x = d;
    d = nullptr;
    if (x) {
      manager_->RemoveDockControl(x);
      delete x;
    }
  }
}

TPersistent* TdxBars::GetOwner() const { return manager_; }

TdxDockControl* TdxBars::DockControl(TdxBarDockingStyle Style) const {
  switch (Style) {
    case dsLeft: return docks_[0];
    case dsTop: return docks_[1];
    case dsRight: return docks_[2];
    case dsBottom: return docks_[3];
    default: return nullptr;
  }
}

void TdxBars::ClearDockControl(TdxDockControl* D) {
  for (TdxDockControl*& d : docks_)
    if (d == D) d = nullptr;
}

std::string TdxBars::UniqueBarName(const std::string& Caption) const {
  for (Integer n = 1;; ++n) {
    std::string name = Caption + std::to_string(n);
    if (!manager_->BarByName(name)) return name;
  }
}

void TdxBars::Assign(TPersistent* Source) { TCollection::Assign(Source); }

// --- TdxDockControl (built-in sites) -------------------------------------------------------------
TdxDockControl::TdxDockControl(TdxBarManager* Manager, TdxBarDockingStyle Style)
    : TCustomControl(nullptr), manager_(Manager), dockingStyle_(Style) {
  SetParentColor(true);
  TCustomForm* f = Manager->OwnerForm();
  switch (Style) {
    case dsLeft: SetAlign(alLeft); break;
    case dsTop: SetAlign(alTop); break;
    case dsRight: SetAlign(alRight); break;
    default: SetAlign(alBottom); break;
  }
  SetSize(0);
  if (f) SetParent(f);
}

TdxDockControl::~TdxDockControl() {
  Destroying();
  // The toolbar windows belong to their bars: let them go before the
  // control library frees this window's children.
  for (TdxBarControl* w : std::vector<TdxBarControl*>(bars_)) {
    w->SetDockSite(nullptr);
    w->SetParent(nullptr);
  }
  bars_.clear();
  if (manager_ && !manager_->IsDestroying()) manager_->RemoveDockControl(this);
}

void TdxDockControl::SetSize(Integer Value) {
  size_ = Value;
  if (IsVertical())
    SetWidth(Value);
  else
    SetHeight(Value);
}

void TdxDockControl::InsertBar(TdxBarControl* Window, TPoint) {
  if (std::find(bars_.begin(), bars_.end(), Window) == bars_.end()) bars_.push_back(Window);
  std::stable_sort(bars_.begin(), bars_.end(),
                   [](TdxBarControl* a, TdxBarControl* b) { return a->Bar()->Row() < b->Bar()->Row(); });
  Window->SetDockSite(this);
  Window->SetParent(this);
  UpdateLayout();
}

void TdxDockControl::RemoveBar(TdxBarControl* Window) {
  bars_.erase(std::remove(bars_.begin(), bars_.end(), Window), bars_.end());
  if (Window->DockSite() == this) Window->SetDockSite(nullptr);
  UpdateLayout();
}

// One bar per row, rows in Row order; the site takes the sum of the rows.
void TdxDockControl::UpdateLayout() {
  if (bars_.empty()) return;
  Integer pos = 0;
  for (TdxBarControl* w : bars_) {
    TPoint size = w->CalcDockedSize(dockingStyle_);
    if (IsVertical())
      w->SetBounds(pos, 0, size.X, size.Y);
    else
      w->SetBounds(0, pos, size.X, size.Y);
    pos += IsVertical() ? size.X : size.Y;
  }
  size_ = pos;
  if (IsVertical())
    SetWidth(pos);
  else
    SetHeight(pos);
}

void TdxDockControl::Paint() {
  HBRUSH b = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(Color())));
  TRect r = ClientRect();
  FillRect(Canvas()->Handle(), r.AsRECT(), b);
  DeleteObject(b);
}
