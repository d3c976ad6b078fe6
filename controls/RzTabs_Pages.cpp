// Page control and tab sheets: pages bound to tabs (the tab list is rebuilt
// from the pages on every change), one page shown, streaming in page order.
#include <algorithm>

#include "controls/RzTabs.h"
#include "platform/Forms.h"
#include "platform/SysUtils.h"

// ---------------------------------------------------------------------------
// Tab sheet.
TRzTabSheet::TRzTabSheet(TComponent* AOwner) : TCustomControl(AOwner) {
  RegisterRzTabsClasses();
  TControl::SetVisible(false);
  controlStyle_.Include(csAcceptsControls);
  controlStyle_.Include(csOpaque);
  controlStyle_.Include(csNoDesignVisible);
  SetAlign(alClient);
}

TRzTabSheet::~TRzTabSheet() {
  if (pageControl_) pageControl_->DetachPage(this);
}

void TRzTabSheet::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TRzTabSheet::Changed() {
  if (pageControl_) pageControl_->RequestLayout();
}

void TRzTabSheet::SetColor(TColor Value) {
  if (Value == Color()) return;
  if (pageControl_ && !pageControl_->UseColoredTabs() && Value != pageControl_->TControl::Color())
    pageControl_->SetUseColoredTabs(true);
  TControl::SetColor(Value);
  Changed();
}

void TRzTabSheet::SetDisabledIndex(Integer Value) {
  if (Value == disabledIndex_) return;
  disabledIndex_ = Value;
  Changed();
}

void TRzTabSheet::SetImageIndex(Integer Value) {
  if (Value == imageIndex_) return;
  imageIndex_ = Value;
  Changed();
}

void TRzTabSheet::SetTabEnabled(bool Value) {
  if (Value == tabEnabled_) return;
  tabEnabled_ = Value;
  Changed();
}

void TRzTabSheet::SetTabVisible(bool Value) {
  if (Value == tabVisible_) return;
  tabVisible_ = Value;
  Changed();
}

void TRzTabSheet::SetVisible(bool /*Value*/) { throw Exception("You cannot change the Visible property of a page"); }

void TRzTabSheet::SetPageControl(TRzPageControl* Value) {
  if (Value == pageControl_) return;
  if (pageControl_) pageControl_->DetachPage(this);
  SetParent(Value);
  if (Value) Value->AttachPage(this);
}

Integer TRzTabSheet::PageIndex() const {
  if (!pageControl_) return -1;
  auto& pages = pageControl_->pages_;
  return static_cast<Integer>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TRzTabSheet::SetPageIndex(Integer Value) {
  if (!pageControl_) return;
  Integer last = pageControl_->PageCount() - 1;
  if (Value > last)
    throw Exception(Format("%d is an invalid PageIndex value. PageIndex must be between 0 and %d", {Value, last}));
  if (Value < 0) throw EListError("List index out of bounds (" + std::to_string(Value) + ")");
  auto& pages = pageControl_->pages_;
  pages.erase(std::find(pages.begin(), pages.end(), this));
  pages.insert(pages.begin() + Value, this);
  pageControl_->RequestLayout();
}

Integer TRzTabSheet::TabIndex() const {
  if (!pageControl_ || !tabVisible_) return -1;
  Integer n = 0;
  for (TRzTabSheet* p : pageControl_->pages_) {
    if (p == this) return n;
    if (p->tabVisible_) ++n;
  }
  return -1;
}

void TRzTabSheet::AssignTo(TRzTabData* Tab) const {
  Tab->Caption = Caption();
  Tab->Color = Color();
  Tab->Enabled = tabEnabled_;
  Tab->Visible = tabVisible_;
  Tab->Hint = Hint();
  Tab->ImageIndex = imageIndex_;
  Tab->DisabledIndex = disabledIndex_;
}

TComponent* TRzTabSheet::GetParentComponent() const {
  return pageControl_ ? pageControl_ : TCustomControl::GetParentComponent();
}

void TRzTabSheet::SetParentComponent(TComponent* Value) {
  if (auto* pc = dynamic_cast<TRzPageControl*>(Value))
    SetPageControl(pc);
  else
    TCustomControl::SetParentComponent(Value);
}

void TRzTabSheet::Paint() { RenderPage(); }

void TRzTabSheet::RenderPage() {
  TRect r = Rect(0, 0, Width(), Height());
  bool handled = false;
  if (OnPaintBackground) OnPaintBackground(this, Canvas(), r, handled);
  if (handled) return;
  Canvas()->Brush()->SetStyle(bsSolid);
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(r);
}

void TRzTabSheet::WMEraseBkgnd(TMessage& Message) { Message.Result = 1; }

void TRzTabSheet::CMTextChanged(TMessage& Message) {
  TCustomControl::CMTextChanged(Message);
  Changed();
}

// ---------------------------------------------------------------------------
// Page control.
TRzPageControl::TRzPageControl(TComponent* AOwner) : TRzCustomTabControl(AOwner) {
  RegisterRzTabsClasses();
  controlStyle_.Exclude(csAcceptsControls);
  controlStyle_.Include(csOpaque);
  SetHeight(150);
  SetUseColoredTabs(false);
}

TRzPageControl::~TRzPageControl() {
  // The sheets go with the children; they must not call back.
  for (TRzTabSheet* p : pages_) p->pageControl_ = nullptr;
  pages_.clear();
  activePage_ = nullptr;
}

void TRzPageControl::CreateParams(TCreateParams& Params) {
  TRzCustomTabControl::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
}

TRzTabSheet* TRzPageControl::Pages(Integer Index) const {
  if (Index < 0 || Index >= PageCount()) throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return pages_[static_cast<size_t>(Index)];
}

void TRzPageControl::AttachPage(TRzTabSheet* Page) {
  if (Parent()) HandleNeeded();
  pages_.push_back(Page);
  Page->pageControl_ = this;
  RequestLayout();
}

void TRzPageControl::DetachPage(TRzTabSheet* Page) {
  if (Page == activePage_) SetActivePage(nullptr);
  auto it = std::find(pages_.begin(), pages_.end(), Page);
  if (it != pages_.end()) pages_.erase(it);
  if (Page == activePageDefault_) activePageDefault_ = nullptr;
  if (Page == undockingPage_) undockingPage_ = nullptr;
  RequestLayout();
  Page->pageControl_ = nullptr;
}

TRzTabSheet* TRzPageControl::PageForTab(Integer I) const {
  if (I < 0) return nullptr;
  for (TRzTabSheet* p : pages_)
    if (p->TabIndex() == I) return p;
  return nullptr;
}

void TRzPageControl::RequestLayout() {
  TRzTabDataList* list = Tabs();
  list->Clear();
  for (TRzTabSheet* p : pages_) {
    if (!p->tabVisible_) continue;
    auto* t = new TRzTabData;
    p->AssignTo(t);
    list->Add(t);
  }
  if (activePage_) {
    // A renumbering, not a choice of the user: nothing to ask.
    Integer t = activePage_->TabIndex();
    if (activePage_->tabVisible_) {
      if (t != TabIndex()) SetTabIndexGuarded(t);
    } else {
      SetTabIndex(-1);
    }
  }
  TRzCustomTabControl::RequestLayout();
}

void TRzPageControl::ShowPage(TRzTabSheet* Page) {
  if (Page == activePage_) return;
  TRzTabSheet* old = activePage_;
  TCustomForm* form = GetParentForm(this);
  if (form && old && form->ActiveControl() && old->ContainsControl(form->ActiveControl()))
    form->SetActiveControl(old);
  if (Page) {
    Page->BringToFront();
    Page->TControl::SetVisible(true);
    if (form && old && form->ActiveControl() == old)
      form->SetActiveControl(Page->CanFocus() ? static_cast<TWinControl*>(Page) : this);
  }
  if (old) {
    old->TControl::SetVisible(false);
    if (saveResources_ && !ComponentState().Contains(csDesigning) && old->HandleAllocated()) old->DestroyHandle();
  }
  activePage_ = Page;
  if (form && Page && form->ActiveControl() == Page)
    if (TWinControl* first = Page->FindNextControl(nullptr, true, true, false)) first->SetFocus();
}

void TRzPageControl::SetActivePage(TRzTabSheet* Page) {
  if (Page && Page->pageControl_ != this) return;
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csReading)) {
    activePage_ = Page;
    return;
  }
  // The page shows once its tab is selected: a refused selection must leave
  // the pages as they were, so nothing is shown beforehand.
  Integer t = Page ? Page->TabIndex() : -1;
  if (t < 0 || t == TabIndex()) ShowPage(Page);
  SetTabIndex(t);
}

Integer TRzPageControl::ActivePageIndex() const { return activePage_ ? activePage_->PageIndex() : -1; }

void TRzPageControl::SetActivePageIndex(Integer Value) { SetActivePage(Pages(Value)); }

void TRzPageControl::SetSaveResources(bool Value) {
  if (Value == saveResources_) return;
  saveResources_ = Value;
  if (!Value || ComponentState().Contains(csLoading) || ComponentState().Contains(csDesigning)) return;
  for (TRzTabSheet* p : pages_)
    if (p != activePage_ && p->HandleAllocated()) p->DestroyHandle();
}

void TRzPageControl::DoChanging(Integer NewIndex, bool& AllowChange) {
  if (!completingLoad_) TRzCustomTabControl::DoChanging(NewIndex, AllowChange);
  if (AllowChange) ShowPage(PageForTab(NewIndex));
}

void TRzPageControl::NotifyChange() {
  if (!completingLoad_) TRzCustomTabControl::NotifyChange();
}

TRzTabSheet* TRzPageControl::NextPage(TRzTabSheet* From, bool Forward, bool TabVisibleOnly) const {
  Integer n = PageCount();
  if (n == 0) return nullptr;
  auto it = std::find(pages_.begin(), pages_.end(), From);
  Integer start = it != pages_.end() ? static_cast<Integer>(it - pages_.begin()) : (Forward ? n - 1 : 0);
  Integer i = start;
  do {
    i = Forward ? (i + 1 == n ? 0 : i + 1) : (i == 0 ? n - 1 : i - 1);
    TRzTabSheet* p = pages_[static_cast<size_t>(i)];
    if (!TabVisibleOnly || p->tabVisible_) return p;
  } while (i != start);
  return nullptr;
}

void TRzPageControl::SelectAdjacentPage(bool Forward) {
  if (TRzTabSheet* p = NextPage(activePage_, Forward, true)) SetActivePage(p);
}

void TRzPageControl::CMDialogKey(TMessage& Message) {
  TRzCustomTabControl::CMDialogKey(Message);
  if (Message.Result != 0) return;
  TCustomForm* form = GetParentForm(this);
  if (form && form->ActiveControl() && ContainsControl(form->ActiveControl()) && Message.WParam == VK_TAB &&
      ::GetKeyState(VK_CONTROL) < 0) {
    SelectAdjacentPage(::GetKeyState(VK_SHIFT) >= 0);
    Message.Result = 1;
  }
}

void TRzPageControl::ShowControl(TControl* AControl) {
  auto* page = dynamic_cast<TRzTabSheet*>(AControl);
  if (page && page->pageControl_ == this) SetActivePage(page);
  TRzCustomTabControl::ShowControl(AControl);
}

void TRzPageControl::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (TRzTabSheet* p : pages_) Proc(p);
  TRzCustomTabControl::GetChildren(Proc, Root);
}

void TRzPageControl::CloseActiveTab() {
  if (!activePage_) return;
  Integer t = TabIndex();
  delete activePage_;
  SetTabIndex(t > 0 ? t - 1 : 0);
}

void TRzPageControl::MoveActiveTab(Integer AIndex) {
  // The tab's page gives the place in the page order; pages with hidden tabs
  // make the two differ.
  if (!activePage_) return;
  TRzTabSheet* target = PageForTab(AIndex);
  if (target) activePage_->SetPageIndex(target->PageIndex());
}

void TRzPageControl::HideAllTabs() {
  for (TRzTabSheet* p : std::vector<TRzTabSheet*>(pages_)) p->SetTabVisible(false);
}

void TRzPageControl::ShowAllTabs() {
  for (TRzTabSheet* p : std::vector<TRzTabSheet*>(pages_)) p->SetTabVisible(true);
}

void TRzPageControl::DoPaintCardBackground(TCanvas* ACanvas, Integer ARow, const TRect& ARect, bool& Handled) {
  TRzCustomTabControl::DoPaintCardBackground(ACanvas, ARow, ARect, Handled);
  if (Handled || ARow != 0 || TabIndex() < 0 || !activePage_) return;
  ACanvas->Brush()->SetStyle(bsSolid);
  ACanvas->Brush()->SetColor(activePage_->Color());
  ACanvas->FillRect(ARect);
  Handled = true;
}

void TRzPageControl::CMColorChanged(TMessage& Message) {
  if (!UseColoredTabs())
    for (TRzTabSheet* p : pages_) p->SetColor(TControl::Color());
  TRzCustomTabControl::CMColorChanged(Message);
}

void TRzPageControl::SetUseColoredTabs(bool Value) {
  TRzCustomTabControl::SetUseColoredTabs(Value);
  if (Parent() && !Value) Perform(CM_COLORCHANGED, 0, 0);
}

void TRzPageControl::Notification(TComponent* AComponent, TOperation Operation) {
  TRzCustomTabControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == activePageDefault_) activePageDefault_ = nullptr;
}

void TRzPageControl::Loaded() {
  // Nothing the form set up is a change the application should hear of.
  completingLoad_ = true;
  try {
    TRzCustomTabControl::Loaded();
    LayoutTabs();
    SetTabIndex(-1);
    TRzTabSheet* page = activePage_;
    if (activePageDefault_ && activePageDefault_ != page) {
      if (page) page->TControl::SetVisible(false);
      page = activePageDefault_;
    }
    // Selecting during the read may have shown another page.
    for (TRzTabSheet* p : pages_)
      if (p != page) p->TControl::SetVisible(false);
    activePage_ = nullptr;
    RequestLayout();
    SetActivePage(page);
  } catch (...) {
    completingLoad_ = false;
    throw;
  }
  completingLoad_ = false;
}
