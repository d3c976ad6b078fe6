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
  if (m)
    for (Integer i = 0; i < m->ItemCount(); ++i) m->Items(i)->BarChanged(0, this);
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
  if (V && V->BarManager() != BarManager() && !(BarManager() && BarManager()->IsLoading())) return;
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
    if (site) {
      Integer r = site->RowOf(w);
      if (r >= 0) {
        row_ = r;
        oneOnRow_ = site->Rows(r).Cols.size() == 1;
      }
    }
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
    // Locked, the window takes the bar's stored row and place.
    site->InsertBar(w, site->ClientToScreen(Point(dockedLeft_, dockedTop_)));
    w->EndLock();
    w->RebuildLayout();
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
  // While the form is read, a placed site may get its manager only later:
  // it is checked when loading completes.
  if (m && m->IsLoading()) {
    pendingDockControl_ = V;
    return;
  }
  if (V && V->BarManager() != m) return;
  if (dockControl_ == V) return;
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
  if (dockedDockControl_ && dockedDockControl_->BarManager() != BarManager()) dockedDockControl_ = nullptr;
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
    if (!it->AcceptsDirectClick()) {
      // A sub item is never clicked by a shortcut; its menu's items are.
      if (auto* sub = dynamic_cast<TCustomdxBarSubItem*>(it))
        if (ClickShortCutInLinks(sub->ItemLinks(), ShortCut)) return true;
      continue;
    }
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
    : TCustomControl(nullptr), manager_(Manager) {
  SetParentColor(true);
  TCustomForm* f = Manager->OwnerForm();
  switch (Style) {
    case dsLeft: side_ = 1; SetAlign(alLeft); break;
    case dsTop: side_ = 2; SetAlign(alTop); break;
    case dsRight: side_ = 3; SetAlign(alRight); break;
    default: side_ = 4; SetAlign(alBottom); break;
  }
  SetSize(0);
  if (f) SetParent(f);
}

TdxDockControl::TdxDockControl(TComponent* AOwner) : TCustomControl(AOwner) { SetParentColor(true); }

TdxDockControl::~TdxDockControl() {
  Destroying();
  // A site can go before its manager (the form frees its child controls
  // before its components): the manager forgets it now, hiding the bars
  // docked in it, so nothing keeps a pointer to it. The manager outlives
  // every site, since its bar collection frees those still alive.
  if (manager_) manager_->RemoveDockControl(this);
  // The toolbar windows belong to their bars: let any still here go before
  // the control library frees this window's children.
  std::vector<TdxDockRow> rows;
  rows.swap(rows_);
  for (TdxDockRow& r : rows)
    for (TdxDockCol& c : r.Cols) {
      c.Window->SetDockSite(nullptr);
      c.Window->SetParent(nullptr);
    }
}

TdxBarDockingStyle TdxDockControl::DockingStyle() const {
  switch (Align()) {
    case alLeft: return dsLeft;
    case alRight: return dsRight;
    case alBottom: return dsBottom;
    default: return dsTop;
  }
}

void TdxDockControl::SetManager(TdxBarManager* Manager) {
  if (manager_ == Manager) return;
  if (manager_) manager_->RemoveDockControl(this);
  manager_ = Manager;
  if (manager_) manager_->AddDockControl(this);
}

bool TdxDockControl::CanDocking(TdxBar*) const { return allowDocking_; }

void TdxDockControl::ApplyDockColor() {
  if (!manager_ || manager_->AutoDockColor())
    SetParentColor(true);
  else
    SetColor(manager_->DockColor());
}

void TdxDockControl::SetSize(Integer Value) {
  size_ = Value;
  if (IsVertical())
    SetWidth(Value);
  else
    SetHeight(Value);
}

Integer TdxDockControl::BarCount() const {
  Integer n = 0;
  for (const TdxDockRow& r : rows_) n += static_cast<Integer>(r.Cols.size());
  return n;
}

Integer TdxDockControl::RowOf(const TdxBarControl* Window) const {
  for (size_t i = 0; i < rows_.size(); ++i)
    for (const TdxDockCol& c : rows_[i].Cols)
      if (c.Window == Window) return static_cast<Integer>(i);
  return -1;
}

Integer TdxDockControl::RowThickness(Integer Row) const {
  Integer t = 0;
  if (Row < 0 || Row >= RowCount()) return 0;
  for (const TdxDockCol& c : rows_[static_cast<size_t>(Row)].Cols)
    t = std::max(t, IsVertical() ? c.Window->Width() : c.Window->Height());
  return t;
}

Integer TdxDockControl::RowsExtent() const {
  Integer t = 0;
  for (Integer i = 0; i < RowCount(); ++i) t += RowThickness(i);
  return t;
}

void TdxDockControl::RowRect(Integer Row, TRect& R) {
  R = TRect{};
  if (Row < 0 || Row >= RowCount()) return;
  Integer start = 0;
  for (Integer i = 0; i < Row; ++i) start += RowThickness(i);
  Integer t = RowThickness(Row);
  if (IsVertical())
    R = Rect(start, 0, start + t, ClientHeight());
  else
    R = Rect(0, start, ClientWidth(), start + t);
}

void TdxDockControl::Band(Integer Boundary, Integer Part, Integer& From, Integer& To) {
  Integer q, p;
  Integer S = IsVertical() ? ClientWidth() : ClientHeight();
  if (Boundary < 0) {
    q = IsNear() ? -RowSize() : S - RowsExtent() - RowSize();
    p = q + RowSize();
  } else if (Boundary >= RowCount()) {
    q = IsNear() ? RowsExtent() : S;
    p = q + RowSize();
  } else {
    TRect r;
    RowRect(Boundary, r);
    q = IsVertical() ? r.Left : r.Top;
    p = IsVertical() ? r.Right : r.Bottom;
  }
  Integer c = IsNear() ? q + (RowSize() - 5) / 2 : p - (RowSize() - 5) / 2 - 5;
  switch (Part) {
    case 0: From = q; To = c; break;
    case 1: From = c; To = c + 5; break;
    default: From = c + 5; To = p; break;
  }
}

Integer TdxDockControl::RowAtPoint(TPoint ScreenPoint, bool& NewRow) {
  NewRow = true;
  if (rows_.empty()) return 0;
  TPoint p = ScreenToClient(ScreenPoint);
  Integer a = IsVertical() ? p.X : p.Y;
  for (Integer b = -1; b < RowCount(); ++b)
    for (Integer part = 0; part < 3; ++part) {
      Integer from, to;
      Band(b, part, from, to);
      if (a < from || a >= to) continue;
      if (part == 0 && b < 0) continue;
      NewRow = part == 1;
      Integer row = part == 0 ? b : b + 1;
      if (row >= RowCount()) NewRow = true;
      return row;
    }
  NewRow = true;
  return a < RowsExtent() ? 0 : RowCount();
}

Integer TdxDockControl::ColumnIndexAt(Integer Row, TPoint ScreenPoint) {
  if (Row < 0 || Row >= RowCount()) return 0;
  TPoint p = ScreenToClient(ScreenPoint);
  const auto& cols = rows_[static_cast<size_t>(Row)].Cols;
  for (size_t i = 0; i < cols.size(); ++i) {
    TdxBar* b = cols[i].Window->Bar();
    if ((IsVertical() ? b->DockedTop() : b->DockedLeft()) >= (IsVertical() ? p.Y : p.X))
      return static_cast<Integer>(i);
  }
  return static_cast<Integer>(cols.size());
}

TRect TdxDockControl::DockingZone() {
  TPoint o = ClientToScreen(Point(0, 0));
  TRect r = Bounds(o.X, o.Y, Width(), Height());
  r.Left -= RowSize();
  r.Right += RowSize();
  if (!IsVertical()) {
    r.Top -= RowSize();
    r.Bottom += RowSize();
  }
  return r;
}

void TdxDockControl::RemoveFromRows(TdxBarControl* Window) {
  for (size_t i = 0; i < rows_.size(); ++i) {
    auto& cols = rows_[i].Cols;
    auto it = std::find_if(cols.begin(), cols.end(), [&](const TdxDockCol& c) { return c.Window == Window; });
    if (it == cols.end()) continue;
    cols.erase(it);
    if (cols.empty()) rows_.erase(rows_.begin() + static_cast<long>(i));
    return;
  }
}

void TdxDockControl::InsertBar(TdxBarControl* Window, TPoint ScreenPoint) {
  if (!manager_) return;
  RemoveFromRows(Window);
  Window->SetDockSite(this);
  if (Window->Parent() != this) Window->SetParent(this);
  TdxBar* bar = Window->Bar();
  bool newRow = false;
  Integer row;
  if (Window->Locked()) {
    // Placed from the bar's stored place.
    row = bar->Row();
    newRow = bar->OneOnRow();
  } else {
    row = RowAtPoint(ScreenPoint, newRow);
  }
  if (bar->WholeRow()) newRow = true;
  row = std::max<Integer>(0, std::min(row, newRow ? RowCount() : RowCount() - 1));
  if (row >= RowCount()) newRow = true;
  if (!newRow)
    for (const TdxDockCol& c : rows_[static_cast<size_t>(row)].Cols)
      if (c.Window->Bar()->WholeRow()) newRow = true;
  TPoint p = ScreenToClient(ScreenPoint);
  if (IsVertical())
    p.Y = std::max<Integer>(p.Y, 0);
  else
    p.X = std::max<Integer>(p.X, 0);
  TdxDockCol col{Window, p};
  if (newRow) {
    rows_.insert(rows_.begin() + row, TdxDockRow{});
    rows_[static_cast<size_t>(row)].Cols.push_back(col);
  } else {
    Integer at = ColumnIndexAt(row, ScreenPoint);
    auto& cols = rows_[static_cast<size_t>(row)].Cols;
    cols.insert(cols.begin() + at, col);
  }
  if (!Window->Locked()) Window->SetBounds(p.X, p.Y, Window->Width(), Window->Height());
  UpdateLayout();
  for (TdxDockRow& r : rows_)
    for (TdxDockCol& c : r.Cols)
      if (c.Window == Window) c.Pos = Point(Window->Left(), Window->Top());
}

void TdxDockControl::RemoveBar(TdxBarControl* Window) {
  RemoveFromRows(Window);
  if (Window->DockSite() == this) Window->SetDockSite(nullptr);
  UpdateLayout();
}

void TdxDockControl::MoveBarInSite(TdxBarControl* Window, TPoint ScreenPoint) {
  RemoveFromRows(Window);
  InsertBar(Window, ScreenPoint);
}

void TdxDockControl::UpdateLayout() {
  // A site on its way out lays nothing out: its window may be gone already.
  if (!manager_ || ComponentState().Contains(csDestroying) || arranging_ || layoutHeld_) return;
  arranging_ = true;
  try {
    ArrangeRows();
  } catch (...) {
    arranging_ = false;
    throw;
  }
  arranging_ = false;
  // The site takes the sum of its rows.
  Integer t = RowsExtent();
  if (t != size_ || (IsVertical() ? Width() : Height()) != t) SetSize(t);
}

// Places the windows of every row: all at full length when they fit, else
// from the last to the first, each shortened (down to its minimum) to what is
// left after the windows before it; every window of a row is as thick as the row.
void TdxDockControl::ArrangeRows() {
  const TdxBarDockingStyle dockingStyle_ = DockingStyle();
  bool vertical = IsVertical();
  Integer length = vertical ? ClientHeight() : ClientWidth();
  bool standard = manager_->Style() == bmsStandard;
  Integer start = 0;
  for (TdxDockRow& row : rows_) {
    size_t n = row.Cols.size();
    if (n == 0) continue;
    std::vector<Integer> minLen(n), fullLen(n), x(n), len(n);
    Integer sumFull = 0;
    for (size_t i = 0; i < n; ++i) {
      TdxBarControl* w = row.Cols[i].Window;
      w->Truncated = false;
      if (w->ItemLinks()) w->ItemLinks()->SetShownRecentCount(-1);
      TdxBar* b = w->Bar();
      Integer frame = vertical ? b->FrameHeight(dockingStyle_) : b->FrameWidth(dockingStyle_);
      minLen[i] = (vertical ? w->MinBarHeight(dockingStyle_) : w->MinBarWidth(dockingStyle_)) + frame;
      fullLen[i] = (vertical ? w->FullBarHeight(dockingStyle_) : w->FullBarWidth(dockingStyle_)) + frame;
      if (!w->HasMark() && minLen[i] != fullLen[i]) minLen[i] += 11;
      w->MinLength = minLen[i];
      w->FullLength = fullLen[i];
      sumFull += fullLen[i];
    }
    auto sumBefore = [&](const std::vector<Integer>& v, size_t i) {
      Integer s = 0;
      for (size_t k = 0; k < i; ++k) s += v[k];
      return s;
    };
    auto along = [&](const TdxDockCol& c) { return vertical ? c.Pos.Y : c.Pos.X; };
    TdxBarControl* first = row.Cols[0].Window;
    if (first->Bar()->WholeRow()) {
      x[0] = 0;
      len[0] = std::max(length, minLen[0]);
      first->Truncated = !first->Wraps(dockingStyle_) && len[0] < fullLen[0];
    } else if (length < sumFull) {
      Integer avail = length;
      for (size_t k = n; k-- > 0;) {
        TdxBarControl* w = row.Cols[k].Window;
        Integer lo = sumBefore(minLen, k), hi = sumBefore(fullLen, k);
        Integer pos = std::min(std::max(along(row.Cols[k]), lo), hi);
        Integer space = avail - pos;
        if (space < fullLen[k]) {
          w->Truncated = !w->Wraps(dockingStyle_) && minLen[k] != fullLen[k];
          len[k] = std::max(minLen[k], space);
        } else {
          len[k] = fullLen[k];
        }
        if (k == 0) len[k] = std::max(len[k], avail);
        x[k] = std::min(std::max(avail - len[k], lo), hi);
        avail -= len[k];
      }
    } else {
      Integer right = length;
      for (size_t k = n; k-- > 0;) {
        len[k] = fullLen[k];
        Integer pos = along(row.Cols[k]);
        x[k] = pos + len[k] <= right ? pos : right - len[k];
        x[k] = std::max(x[k], sumBefore(fullLen, k));
        right = x[k];
      }
    }
    for (size_t k = 0; k < n; ++k)
      if (row.Cols[k].Window->Bar()->UseRestSpace()) {
        Integer from = k == 0 ? 0 : x[k - 1] + len[k - 1];
        Integer to = k + 1 < n ? x[k + 1] : length;
        x[k] = from;
        len[k] = std::max(to - from, minLen[k]);
      }
    // Thickness of each window for its length; the row takes the largest.
    std::vector<Integer> sizeAcross(n);
    Integer thick = 0;
    for (size_t k = 0; k < n; ++k) {
      TdxBarControl* w = row.Cols[k].Window;
      if (w->Truncated && k + 1 == n) len[k] = std::max(length - x[k], minLen[k]);
      TdxBar* b = w->Bar();
      Integer frameAlong = vertical ? b->FrameHeight(dockingStyle_) : b->FrameWidth(dockingStyle_);
      Integer frameAcross = vertical ? b->FrameWidth(dockingStyle_) : b->FrameHeight(dockingStyle_);
      Integer l = len[k] - frameAlong - (w->Truncated && standard ? 11 : 0);
      TPoint s = vertical ? w->CalcSizeForHeight(dockingStyle_, l) : w->CalcSizeForWidth(dockingStyle_, l);
      sizeAcross[k] = (vertical ? s.X : s.Y) + frameAcross;
      thick = std::max(thick, sizeAcross[k]);
    }
    for (size_t k = 0; k < n; ++k) {
      TdxBarControl* w = row.Cols[k].Window;
      TRect r = vertical ? Bounds(start, x[k], thick, len[k]) : Bounds(x[k], start, len[k], thick);
      if (w->Left() != r.Left || w->Top() != r.Top || w->Width() != r.Width() || w->Height() != r.Height())
        w->SetBounds(r.Left, r.Top, r.Width(), r.Height());
      if (w->HandleAllocated()) {
        w->ArrangeItems();
        w->Invalidate();
      }
    }
    start += thick;
  }
}

void TdxDockControl::Paint() {
  HBRUSH b = CreateSolidBrush(static_cast<COLORREF>(ColorToRGB(Color())));
  TRect r = ClientRect();
  FillRect(Canvas()->Handle(), r.AsRECT(), b);
  DeleteObject(b);
}

void TdxDockControl::Dispatch(TMessage& M) {
  // A right click lists the toolbars; a double click starts customizing.
  if (M.Msg == WM_RBUTTONDOWN && manager_ && !manager_->IsCustomizing()) {
    TCustomControl::Dispatch(M);
    ToolbarListPopup(this, manager_, ClientToScreen(MessagePoint(M.LParam)));
    return;
  }
  if (M.Msg == WM_LBUTTONDBLCLK && manager_ && manager_->CanCustomize() && !manager_->Designing()) {
    manager_->SetCustomizing(true);
    return;
  }
  TCustomControl::Dispatch(M);
  // A longer or shorter site lays its rows out again (bars get their mark or
  // their cut-off items back).
  if (M.Msg == WM_SIZE) {
    Integer along = IsVertical() ? ClientHeight() : ClientWidth();
    if (along != lastLength_) {
      lastLength_ = along;
      UpdateLayout();
    }
  }
}
