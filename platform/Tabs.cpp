#include "platform/Tabs.h"

#include <algorithm>

#include <commctrl.h>

void InitCommonControlClasses();  // ComCtrls.cpp

// ---------------------------------------------------------------------------
// Tab control

TCustomTabControl::TCustomTabControl(TComponent* AOwner)
    : TWinControl(AOwner), tabs_(std::make_unique<TStringList>()) {
  width_ = 289;
  height_ = 193;
  tabStop_ = true;
  tabs_->OnChange = [this](TObject*) { UpdateTabs(); };
}

TCustomTabControl::~TCustomTabControl() { tabs_->OnChange = TNotifyEvent(); }

void TCustomTabControl::CreateParams(TCreateParams& Params) {
  InitCommonControlClasses();
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, WC_TABCONTROLW);
  Params.Style |= WS_CLIPCHILDREN;
  // Vertical tabs only come in rows.
  static const DWORD Positions[] = {0, TCS_BOTTOM, TCS_VERTICAL | TCS_MULTILINE,
                                    TCS_VERTICAL | TCS_RIGHT | TCS_MULTILINE};
  Params.Style |= Positions[tabPosition_];
  if (hotTrack_) Params.Style |= TCS_HOTTRACK;
}

void TCustomTabControl::SetTabPosition(TTabPosition Value) {
  if (tabPosition_ == Value) return;
  tabPosition_ = Value;
  if (handle_) {
    RecreateWnd();
    // The pages move to where the tabs left room.
    Realign();
  }
}

void TCustomTabControl::SetHotTrack(bool Value) {
  if (hotTrack_ == Value) return;
  hotTrack_ = Value;
  if (handle_) RecreateWnd();
}

void TCustomTabControl::CreateWnd() {
  creating_ = true;
  try {
    TWinControl::CreateWnd();
  } catch (...) {
    creating_ = false;
    throw;
  }
  creating_ = false;
  UpdateTabs();
}

void TCustomTabControl::UpdateTabs() {
  if (!handle_) return;
  ::SendMessageW(handle_, TCM_DELETEALLITEMS, 0, 0);
  for (Integer i = 0; i < tabs_->Count(); ++i) {
    std::wstring text = Utf8ToWide(tabs_->Strings(i));
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text.data();
    ::SendMessageW(handle_, TCM_INSERTITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
  }
  ::SendMessageW(handle_, TCM_SETCURSEL, static_cast<WPARAM>(tabIndex_), 0);
  // The tab rows may have changed, and with them the display rectangle.
  Realign();
}

void TCustomTabControl::SetTabIndex(Integer Value) {
  tabIndex_ = Value;
  if (handle_) ::SendMessageW(handle_, TCM_SETCURSEL, static_cast<WPARAM>(Value), 0);
}

TRect TCustomTabControl::DisplayRect() {
  TRect r = GetClientRect();
  AdjustClientRect(r);
  return r;
}

void TCustomTabControl::AdjustClientRect(TRect& Rect) {
  TWinControl::AdjustClientRect(Rect);
  // Only the window knows the room its tabs take: make it once there is a parent
  // window (not from within its own creation).
  if (!handle_ && !creating_ && (Parent() || ParentWindow())) HandleNeeded();
  if (!handle_) return;
  RECT r{Rect.Left, Rect.Top, Rect.Right, Rect.Bottom};
  ::SendMessageW(handle_, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
  Rect = TRect(r.left, r.top, std::max(r.left, r.right), std::max(r.top, r.bottom));
}

bool TCustomTabControl::CanChange() {
  bool allow = true;
  OnChanging(this, allow);
  return allow;
}

void TCustomTabControl::Change() { OnChange(this); }

void TCustomTabControl::Dispatch(TMessage& Message) {
  if (Message.Msg == CN_NOTIFY) {
    auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
    if (hdr->code == static_cast<UINT>(TCN_SELCHANGING)) {
      Message.Result = CanChange() ? 0 : 1;
      return;
    }
    if (hdr->code == static_cast<UINT>(TCN_SELCHANGE)) {
      tabIndex_ = static_cast<Integer>(::SendMessageW(handle_, TCM_GETCURSEL, 0, 0));
      Change();
      return;
    }
  }
  TWinControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// Tab sheet

TTabSheet::TTabSheet(TComponent* AOwner) : TWinControl(AOwner) {
  SetAlign(alClient);
  SetVisible(false);
}

TTabSheet::~TTabSheet() {
  if (pageControl_) pageControl_->RemovePage(this);
  pageControl_ = nullptr;
}

void TTabSheet::SetPageControl(TPageControl* Value) {
  if (pageControl_ == Value) return;
  if (pageControl_) pageControl_->RemovePage(this);
  pageControl_ = nullptr;
  SetParent(Value);
  pageControl_ = Value;
  if (Value) Value->InsertPage(this);
}

Integer TTabSheet::PageIndex() const {
  if (!pageControl_) return -1;
  auto& pages = pageControl_->pages_;
  return static_cast<Integer>(std::find(pages.begin(), pages.end(), this) - pages.begin());
}

void TTabSheet::SetPageIndex(Integer Value) {
  if (pageControl_) pageControl_->MovePage(this, Value);
}

Integer TTabSheet::TabIndex() const {
  if (!pageControl_ || !tabVisible_) return -1;
  Integer n = 0;
  for (TTabSheet* p : pageControl_->pages_) {
    if (p == this) return n;
    if (p->tabVisible_) ++n;
  }
  return -1;
}

void TTabSheet::SetTabVisible(bool Value) {
  if (tabVisible_ == Value) return;
  tabVisible_ = Value;
  if (pageControl_) pageControl_->SyncTabs();
}

TComponent* TTabSheet::GetParentComponent() const {
  return pageControl_ ? pageControl_ : TWinControl::GetParentComponent();
}

void TTabSheet::SetParentComponent(TComponent* Value) {
  if (auto* pc = dynamic_cast<TPageControl*>(Value))
    SetPageControl(pc);
  else
    TWinControl::SetParentComponent(Value);
}

void TTabSheet::Dispatch(TMessage& Message) {
  TWinControl::Dispatch(Message);
  if (Message.Msg == CM_TEXTCHANGED && pageControl_) pageControl_->SyncTabs();
}

// ---------------------------------------------------------------------------
// Page control

TPageControl::TPageControl(TComponent* AOwner) : TCustomTabControl(AOwner) {}

TPageControl::~TPageControl() {
  // The sheets are freed with the children; they must not call back into us.
  for (TTabSheet* p : pages_) p->pageControl_ = nullptr;
  pages_.clear();
  activePage_ = nullptr;
}

TTabSheet* TPageControl::Pages(Integer Index) const {
  if (Index < 0 || Index >= PageCount())
    throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
  return pages_[static_cast<size_t>(Index)];
}

void TPageControl::InsertPage(TTabSheet* Page) {
  pages_.push_back(Page);
  if (!activePage_ && Page->tabVisible_) activePage_ = Page;
  SyncTabs();
}

void TPageControl::RemovePage(TTabSheet* Page) {
  auto it = std::find(pages_.begin(), pages_.end(), Page);
  if (it == pages_.end()) return;
  size_t at = static_cast<size_t>(it - pages_.begin());
  pages_.erase(it);
  if (activePage_ == Page) {
    // The page that took its place, else the one before it.
    activePage_ = nullptr;
    for (size_t i = at; i < pages_.size() && !activePage_; ++i)
      if (pages_[i]->tabVisible_) activePage_ = pages_[i];
    for (size_t i = at; i > 0 && !activePage_; --i)
      if (pages_[i - 1]->tabVisible_) activePage_ = pages_[i - 1];
  }
  SyncTabs();
}

void TPageControl::MovePage(TTabSheet* Page, Integer Index) {
  auto it = std::find(pages_.begin(), pages_.end(), Page);
  if (it == pages_.end()) return;
  pages_.erase(it);
  Index = std::clamp<Integer>(Index, 0, PageCount());
  pages_.insert(pages_.begin() + Index, Page);
  SyncTabs();
}

TTabSheet* TPageControl::VisiblePage(Integer TabIndex) const {
  if (TabIndex < 0) return nullptr;
  for (TTabSheet* p : pages_)
    if (p->tabVisible_ && TabIndex-- == 0) return p;
  return nullptr;
}

void TPageControl::SyncTabs() {
  if (activePage_ && !activePage_->tabVisible_) activePage_ = VisiblePage(0);
  Tabs()->BeginUpdate();
  Tabs()->Clear();
  for (TTabSheet* p : pages_)
    if (p->tabVisible_) Tabs()->Add(p->Caption());
  TCustomTabControl::SetTabIndex(activePage_ ? activePage_->TabIndex() : -1);
  Tabs()->EndUpdate();
  ShowOnly(activePage_);
}

void TPageControl::ShowOnly(TTabSheet* Page) {
  activePage_ = Page;
  if (Page) {
    Page->BringToFront();
    Page->SetVisible(true);
  }
  for (TTabSheet* p : pages_)
    if (p != Page) p->SetVisible(false);
}

void TPageControl::SetActivePage(TTabSheet* Page) {
  if (Page && Page->pageControl_ != this) return;
  ShowOnly(Page);
  TCustomTabControl::SetTabIndex(Page ? Page->TabIndex() : -1);
}

void TPageControl::SelectNextPage(bool GoForward) {
  Integer count = 0;
  for (TTabSheet* p : pages_)
    if (p->tabVisible_) ++count;
  if (count == 0) return;
  Integer cur = activePage_ ? activePage_->TabIndex() : -1;
  Integer next = cur < 0 ? (GoForward ? 0 : count - 1) : (cur + (GoForward ? 1 : count - 1)) % count;
  if (next == cur || !CanChange()) return;
  TCustomTabControl::SetTabIndex(next);
  Change();
}

void TPageControl::Change() {
  if (TTabSheet* p = VisiblePage(TabIndex())) ShowOnly(p);
  TCustomTabControl::Change();
}
