// The drop-down menu window: rows for the shown links with group separators,
// a side bar, scroll bands and the expand mark; its frame; its placement on
// the monitor (flipping at the edges); container expansion; and its life
// from opening (active, placed, sound, animation) to closing.
#include <algorithm>

#include "bars/dxBar.h"

namespace {
// Menu windows whose handle exists (container items ask them to give their place back).
std::vector<TdxBarSubMenuControl*>& OpenMenus() {
  static std::vector<TdxBarSubMenuControl*> v;
  return v;
}
}  // namespace

TdxBarSubMenuControl::TdxBarSubMenuControl(TdxBarManager* AOwner) : TCustomdxBarControl(AOwner) {
  SetBounds(Left(), Top(), 0, Height());
}

TdxBarSubMenuControl::~TdxBarSubMenuControl() {
  BeingFreed = true;
  closing_ = true;
  // The animation worker stops before anything of the window goes.
  WaitForAnimation();
  Destroying();
  if (HandleAllocated()) DestroyHandle();
  DeleteRareRowBrush();
  auto& open = OpenMenus();
  open.erase(std::remove(open.begin(), open.end(), this), open.end());
  if (itemLinks_ && itemLinks_->BarControl() == this) itemLinks_->SetBarControl(nullptr);
}

void TdxBarSubMenuControl::CreateParams(TCreateParams& Params) {
  TCustomdxBarControl::CreateParams(Params);
  Params.Style = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
  Params.ExStyle |= WS_EX_TOPMOST;
  // No class DC: the animation worker takes its own DC of the window while
  // the menu's thread may hold one.
  Params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS | CS_SAVEBITS;
  if (OwnerWindow)
    Params.WndParent = OwnerWindow;
  else if (manager_->OwnerForm() && manager_->OwnerForm()->HandleAllocated())
    Params.WndParent = manager_->OwnerForm()->Handle();
}

// --- Metrics and fonts -------------------------------------------------------------------------
void TdxBarSubMenuControl::MeasureFontMetrics() {
  TCustomdxBarControl::MeasureFontMetrics();
  if (IsFlat()) ++textRowHeight_;
  arrowColumnWidth_ = textRowHeight_ / 4 * 3 + 1;
  SIZE sz{};
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, FontHandle());
  GetTextExtentPoint32W(dc, L"0", 1, &sz);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  markHeight_ = sz.cy + 1;
  if (((markHeight_ - 6) / 2) % 2 != 0) markHeight_ = 2 * ((markHeight_ - 6) / 2 - 1) + 6;
}

HFONT TdxBarSubMenuControl::FontHandle() const {
  if (parentWindow_ && IsLiveBarControl(parentWindow_)) return parentWindow_->FontHandle();
  if (TdxBarPopupMenu* p = itemLinks_ ? itemLinks_->OwnerPopupMenu() : nullptr)
    if (p->UseOwnFont() && p->OwnFontHandle()) return p->OwnFontHandle();
  return TCustomdxBarControl::FontHandle();
}

void TdxBarSubMenuControl::ApplyFont() { Canvas()->Font()->SetHandle(CopyFont(FontHandle())); }

bool TdxBarSubMenuControl::AllowsCustomizing() const {
  if (TCustomdxBarControl::AllowsCustomizing()) return true;
  TPersistent* owner = itemLinks_ ? itemLinks_->Owner() : nullptr;
  if (auto* s = dynamic_cast<TdxBarSubItem*>(owner)) return s->AllowCustomizing();
  return dynamic_cast<TdxBarPopupMenu*>(owner) != nullptr;
}

Integer TdxBarSubMenuControl::BarSize() const {
  TPersistent* owner = itemLinks_ ? itemLinks_->Owner() : nullptr;
  if (auto* s = dynamic_cast<TCustomdxBarSubItem*>(owner)) return s->BarSize();
  if (auto* p = dynamic_cast<TdxBarPopupMenu*>(owner)) return p->BarSize();
  return 0;
}

bool TdxBarSubMenuControl::HasDragBar() const {
  TPersistent* owner = itemLinks_ ? itemLinks_->Owner() : nullptr;
  auto* s = dynamic_cast<TCustomdxBarSubItem*>(owner);
  return s && s->Detachable();
}

bool TdxBarSubMenuControl::HasMark() const {
  if (!itemLinks_ || !manager_->UsesRecentItems()) return false;
  return itemLinks_->ShownLinks().size() < itemLinks_->VisibleLinks().size();
}

void TdxBarSubMenuControl::GetItemRectEx(TdxBarItemControl* C, bool Whole, TRect& R) const {
  GetItemRect(C, R);
  if (!C || R.Width() <= 0) return;
  if (C->GroupEdge && !IsFlat()) R.Top -= 1;
  if (Whole && C->GroupSeparatorRect.Height() > 0) R.Top = std::min(R.Top, C->GroupSeparatorRect.Top);
}

// --- Shown links and container expansion ---------------------------------------------------------
void TdxBarSubMenuControl::ApplyShownCount() {
  if (!itemLinks_) return;
  if (manager_->UsesRecentItems() && !MenusExpanded())
    itemLinks_->SetShownRecentCount(itemLinks_->RecentCutIndex());
  else
    itemLinks_->SetShownRecentCount(-1);
}

void TdxBarSubMenuControl::BuildItemControls() {
  if (itemLinks_ && !InCustomizing() && !containerExpanding_) ExpandContainers();
  TCustomdxBarControl::BuildItemControls();
}

void TdxBarSubMenuControl::DropItemControls() {
  TCustomdxBarControl::DropItemControls();
  if (itemLinks_ && !containerExpanding_) CollapseContainers();
}

void TdxBarSubMenuControl::ExpandContainers() {
  if (!containerLinks_.empty()) return;
  containerExpanding_ = true;
  try {
    std::vector<TdxBarItemLink*> vis = itemLinks_->VisibleLinks();
    std::vector<TCustomdxBarContainerItem*> met;
    for (auto it = vis.rbegin(); it != vis.rend(); ++it) {
      TdxBarItemLink* l = *it;
      auto* ci = dynamic_cast<TCustomdxBarContainerItem*>(l->Item());
      if (!ci) continue;
      Integer index = l->Index();
      bool first = std::find(met.begin(), met.end(), ci) == met.end();
      if (first) met.push_back(ci);
      bool replaced = ci->ReplacesOwnLink();
      if (replaced) l->SavedRecentPosition = l->RecentIndex();
      containerLinks_.push_back({l, index, replaced});
      ci->InsertLinks(itemLinks_, index + 1, l, first);
      if (replaced) {
        l->SendToBack();
        itemLinks_->ForgetRecent(l);
        l->SetCollection(nullptr);
      }
    }
  } catch (...) {
    containerExpanding_ = false;
    itemLinks_->RebuildShownLists();
    throw;
  }
  containerExpanding_ = false;
  itemLinks_->RebuildShownLists();
}

void TdxBarSubMenuControl::CollapseContainers() {
  if (containerLinks_.empty()) return;
  containerExpanding_ = true;
  std::vector<TContainerEntry> entries = containerLinks_;
  containerLinks_.clear();
  std::sort(entries.begin(), entries.end(), [](const TContainerEntry& a, const TContainerEntry& b) {
    return a.Index < b.Index;
  });
  std::vector<TCustomdxBarContainerItem*> items;
  for (const TContainerEntry& e : entries) {
    auto* ci = dynamic_cast<TCustomdxBarContainerItem*>(e.Link->Item());
    if (!ci) continue;
    ci->RemoveLinks(itemLinks_, e.Replaced ? e.Index : e.Index + 1);
    if (e.Replaced) {
      e.Link->SetCollection(itemLinks_);
      e.Link->SetIndex(std::min(e.Index, itemLinks_->Count() - 1));
      e.Link->MoveInRecent(e.Link->SavedRecentPosition);
    }
    items.push_back(ci);
  }
  for (TCustomdxBarContainerItem* ci : items) ci->MarkStale();
  containerExpanding_ = false;
  itemLinks_->RebuildShownLists();
}

bool TdxBarSubMenuControl::ExpandsContainer(TCustomdxBarContainerItem* Item) const {
  for (const TContainerEntry& e : containerLinks_)
    if (e.Link->Item() == Item) return true;
  auto* own = dynamic_cast<const TContainerItemSubMenuControl*>(this);
  return own && own->Container() == Item;
}

void dxBarForgetContainer(TCustomdxBarContainerItem* Item) {
  // A menu showing the container's entries closes; its collapse gives the place back.
  for (TdxBarSubMenuControl* m : std::vector<TdxBarSubMenuControl*>(OpenMenus()))
    if (IsLiveBarControl(m) && !m->ClosingMenu() && m->ExpandsContainer(Item)) m->CloseMenu();
}

// --- Layout ---------------------------------------------------------------------------------------
void TdxBarSubMenuControl::LayoutRows() {
  if (!itemLinks_) return;
  itemLinks_->ClearRects();
  const auto& shown = itemLinks_->ShownLinks();
  bool flat = IsFlat();
  Integer bar = BarSize();
  Integer cw = ClientWidth(), ch = ClientHeight();
  Integer left = bar + (flat ? 1 : 2), right = cw - (flat ? 1 : 2);
  Integer y = flat ? 1 : (HasDragBar() ? 0 : 2);
  Integer limit = ch - 1 - (flat ? 0 : 1) - (HasMark() ? textRowHeight_ : 0);
  bool marking = manager_->UsesRecentItems() && MenusExpanded() && itemLinks_->EffectiveUseRecentItems();
  Integer cut = itemLinks_->RecentCutIndex();
  if (cut < 0) cut = static_cast<Integer>(itemLinks_->VisibleLinks().size());
  if (topIndex_ >= static_cast<Integer>(shown.size())) topIndex_ = std::max<Integer>(0, static_cast<Integer>(shown.size()) - 1);
  Integer laid = 0;
  bool prevRare = false;
  moreBelow_ = false;
  for (Integer i = topIndex_; i < static_cast<Integer>(shown.size()); ++i) {
    TdxBarItemLink* l = shown[static_cast<size_t>(i)];
    TdxBarItemControl* c = l->Control();
    if (!c) continue;
    bool rare = marking && l->RecentIndex() >= cut;
    c->RarelyUsed = rare;
    c->GroupEdge = i == topIndex_ ? (rare && HasDragBar()) : rare != prevRare;
    prevRare = rare;
    Integer top = y;
    if (!flat && c->GroupEdge) top += 1;
    if (l->ReadBeginGroup() && i != topIndex_ && !(topIndex_ > 0 && i == topIndex_ + 1)) top += BeginGroupSize();
    Integer bottom = top + c->Height();
    if (bottom > limit && laid > 0) {
      moreBelow_ = true;
      break;
    }
    l->ItemRect = Rect(left, top, right, bottom);
    y = bottom;
    ++laid;
  }
  fittingRows_ = std::max<Integer>(laid, 1);
}

TPoint TdxBarSubMenuControl::MeasureSize() {
  bool flat = IsFlat();
  Integer bar = BarSize();
  Integer widest = 0, y = flat ? 1 : (HasDragBar() ? 0 : 2);
  bool any = false;
  if (itemLinks_) {
    const auto& shown = itemLinks_->ShownLinks();
    bool prevRare = false;
    bool marking = manager_->UsesRecentItems() && MenusExpanded() && itemLinks_->EffectiveUseRecentItems();
    Integer cut = itemLinks_->RecentCutIndex();
    if (cut < 0) cut = static_cast<Integer>(itemLinks_->VisibleLinks().size());
    for (size_t i = 0; i < shown.size(); ++i) {
      TdxBarItemControl* c = shown[i]->Control();
      if (!c) continue;
      bool rare = marking && shown[i]->RecentIndex() >= cut;
      bool edge = i == 0 ? (rare && HasDragBar()) : rare != prevRare;
      prevRare = rare;
      if (!flat && edge) y += 1;
      if (i > 0 && shown[i]->ReadBeginGroup()) y += BeginGroupSize();
      y += c->Height();
      widest = std::max(widest, c->Width());
      any = true;
    }
  }
  Integer w = any ? widest + bar + 6 : 100;
  Integer h = y;
  if (h <= 2 || HasMark()) h += textRowHeight_;
  h += flat ? 5 : 4;
  if (HasDragBar()) h += flat ? 8 : 10;
  return Point(w, h);
}

void TdxBarSubMenuControl::PlaceOnScreen() {
  TPoint sz = MeasureSize();
  Integer w = sz.X, h = sz.Y;
  Integer L = Left(), T = Top();
  TRect wa = GetWorkAreaAt(POINT{L, T});
  flippedLeft_ = flippedUp_ = false;
  if (L + w > wa.Right) {
    if (ExclusionWidth == 0) {
      L = wa.Right - w;
    } else if (L - ExclusionWidth - wa.Left > wa.Right - L) {
      L = L - ExclusionWidth - w;
      flippedLeft_ = true;
    }
  }
  if (L < wa.Left && ExclusionWidth == 0) L = wa.Left;
  if (L + w > wa.Right) L = wa.Right - w;
  if (L < wa.Left) L = wa.Left;
  if (T + h > wa.Bottom) {
    if (ExclusionHeight > 0) {
      if (T - ExclusionHeight - wa.Top > wa.Bottom - T) {
        T = T - ExclusionHeight - h;
        flippedUp_ = true;
      } else {
        h = wa.Bottom - T;
      }
    } else if (ExclusionWidth > 0) {
      T = wa.Bottom - h;
    } else if (T - h >= wa.Top) {
      T -= h;
      flippedUp_ = true;
    } else {
      T = wa.Bottom - h;
    }
  }
  if (T < wa.Top) {
    if (flippedUp_ && ExclusionHeight > 0) {
      h -= wa.Top - T;
      T = wa.Top;
    } else {
      T = wa.Top;
      if (T + h > wa.Bottom) h = wa.Bottom - T;
    }
  }
  SetBounds(L, T, w, h);
  LayoutRows();
}

void TdxBarSubMenuControl::SetTopIndex(Integer N) {
  if (N < 0) N = 0;
  if (N == topIndex_) return;
  topIndex_ = N;
  LayoutRows();
  if (HandleAllocated() && !Animate) Invalidate();
}

TRect TdxBarSubMenuControl::UpBandRect() const {
  if (topIndex_ <= 0 || !itemLinks_ || topIndex_ >= static_cast<Integer>(itemLinks_->ShownLinks().size())) return TRect{};
  return itemLinks_->ShownLinks()[static_cast<size_t>(topIndex_)]->ItemRect;
}

TRect TdxBarSubMenuControl::DownBandRect() const {
  if (!moreBelow_ || !itemLinks_) return TRect{};
  Integer last = topIndex_ + fittingRows_ - 1;
  if (last < 0 || last >= static_cast<Integer>(itemLinks_->ShownLinks().size())) return TRect{};
  TRect r = itemLinks_->ShownLinks()[static_cast<size_t>(last)]->ItemRect;
  Integer ch = const_cast<TdxBarSubMenuControl*>(this)->ClientHeight();
  r.Bottom = ch - 1 - (IsFlat() ? 0 : 1) - (HasMark() ? textRowHeight_ : 0);
  return r;
}

TRect TdxBarSubMenuControl::MarkRect() const {
  auto* self = const_cast<TdxBarSubMenuControl*>(this);
  TRect r = Rect(BarSize() + 2, 0, self->ClientWidth() - 2, self->ClientHeight() - 2);
  r.Top = r.Bottom - markHeight_;
  return r;
}

TdxBarItemControl* TdxBarSubMenuControl::ItemControlAtPoint(TPoint P) const {
  auto in = [&](const TRect& r) { return r.Width() > 0 && P.X >= r.Left && P.X < r.Right && P.Y >= r.Top && P.Y < r.Bottom; };
  if (in(UpBandRect()) || in(DownBandRect())) return nullptr;
  if (HasMark() && in(MarkRect())) return nullptr;
  return TCustomdxBarControl::ItemControlAtPoint(P);
}

TdxBarItemControl* TdxBarSubMenuControl::ItemControlAtPointEx(TPoint P, bool& InSeparator, bool& Vertical,
                                                             bool& Before) const {
  auto in = [&](const TRect& r) { return r.Width() > 0 && P.X >= r.Left && P.X < r.Right && P.Y >= r.Top && P.Y < r.Bottom; };
  if (in(UpBandRect()) || in(DownBandRect()) || (HasMark() && in(MarkRect()))) {
    InSeparator = Before = false;
    Vertical = true;
    return nullptr;
  }
  return TCustomdxBarControl::ItemControlAtPointEx(P, InSeparator, Vertical, Before);
}

// --- Opening and closing ---------------------------------------------------------------------------
void TdxBarSubMenuControl::ShowSubMenuWindow() {
  DoPopup();
  if (!IsLiveBarControl(this) || closing_) return;
  TCustomdxBarControl* root = RootToolbarWindow(this);
  TdxBarManager* m = root ? root->BarManager() : manager_;
  animationKind_ = m->MenuAnimations();
  Animate = Animate && animationKind_ != maNone && itemLinks_ && !itemLinks_->VisibleLinks().empty() &&
            !manager_->IsCustomizing();
  if (HandleAllocated() && !Animating()) Animate = false;  // only a new window animates
  HWND h = Handle();  // creates the window (CreateWnd) the first time
  if (closing_ || !IsLiveBarControl(this)) return;
  if (!Animate)
    SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  PumpPaintMessages();
}

void TdxBarSubMenuControl::ShowAt(Integer X, Integer Y) {
  SetBounds(X, Y, Width(), Height());
  ShowSubMenuWindow();
}

void TdxBarSubMenuControl::CreateWnd() {
  PumpPaintMessages();
  CreateRareRowBrush();
  creating_ = true;
  try {
    TCustomdxBarControl::CreateWnd();
  } catch (...) {
    creating_ = false;
    throw;
  }
  creating_ = false;
  OpenMenus().push_back(this);
  savedLeft_ = Left();
  savedTop_ = Top();
  SetActive(true);
  ApplyShownCount();
  topIndex_ = 0;
  markState_ = 0;
  PlaceOnScreen();
  PlayMenuSound(0);
  if (Animate) PrepareMenuAnimation(this, flippedLeft_, flippedUp_);
}

void TdxBarSubMenuControl::DestroyWnd() {
  WaitForAnimation();
  if (scrollTimer_) KillTimer(Handle(), scrollTimer_);
  if (markTimer_) KillTimer(Handle(), markTimer_);
  scrollTimer_ = markTimer_ = 0;
  if (auto* child = dynamic_cast<TdxBarSubMenuControl*>(childWindow_))
    if (IsLiveBarControl(child) && child->HandleAllocated() && !child->closing_) child->CloseMenu();
  if (!recreating_) {
    SetActive(false);
    if (auto* b = dynamic_cast<TdxBarButtonControl*>(ownerView_)) {
      TCustomdxBarControl* bw = b->Window();
      if (bw && IsLiveBarControl(bw) && bw->HandleAllocated()) {
        b->DropDownClosed();
        if (!(GetKeyState(VK_ESCAPE) < 0 || GetKeyState(VK_LEFT) < 0 || GetKeyState(VK_RIGHT) < 0) &&
            !b->MouseDownOnView())
          bw->CloseChain();
      }
    }
    if (itemLinks_ && itemLinks_->OwnerPopupMenu() && itemLinks_->OwnerPopupMenu()->OwnerView() == ownerView_)
      itemLinks_->OwnerPopupMenu()->SetOwnerView(nullptr);
    ownerView_ = nullptr;
  }
  TCustomdxBarControl::DestroyWnd();
  auto& open = OpenMenus();
  open.erase(std::remove(open.begin(), open.end(), this), open.end());
  if (!recreating_) DoCloseUp();
  DeleteRareRowBrush();
}

void TdxBarSubMenuControl::CloseMenu() {
  if (closing_) return;
  closing_ = true;
  WaitForAnimation();
  if (parentWindow_ && IsLiveBarControl(parentWindow_) && parentWindow_->ChildWindow() == this)
    parentWindow_->SetChildWindow(nullptr);
  if (HandleAllocated()) DestroyHandle();
  if (itemLinks_ && itemLinks_->BarControl() == this) itemLinks_->SetBarControl(nullptr);
  if (wndProcDepth_ > 0)
    freePending_ = true;
  else
    delete this;
}

void TdxBarSubMenuControl::CloseChain() {
  if (parentWindow_) {
    TCustomdxBarControl::CloseChain();
    return;
  }
  CloseMenu();
  PumpPaintMessages();
}

void TdxBarSubMenuControl::WndProc(TMessage& M) {
  ++wndProcDepth_;
  try {
    TCustomdxBarControl::WndProc(M);
  } catch (...) {
    if (IsLiveBarControl(this) && --wndProcDepth_ == 0 && freePending_) delete this;
    throw;
  }
  if (!IsLiveBarControl(this)) return;
  if (--wndProcDepth_ == 0 && freePending_) delete this;
}

void TdxBarSubMenuControl::RebuildLayout() {
  if (closing_ || containerExpanding_ || creating_ || !HandleAllocated()) return;
  WaitForAnimation();
  bool visible = IsWindowVisible(Handle());
  TdxBarItemLink* keep = nullptr;
  if (InCustomizing() && manager_->SelectedItemControl() && OwnsItemControl(manager_->SelectedItemControl())) {
    keep = manager_->SelectedItemControl()->Link();
    manager_->ClearSelectedItemControl();
  }
  selectedControl_ = nullptr;
  if (manager_->SelectedItemControl() && OwnsItemControl(manager_->SelectedItemControl()))
    manager_->ClearSelectedItemControl();
  DropItemControls();
  BuildItemControls();
  ApplyShownCount();
  if (Left() != savedLeft_ || Top() != savedTop_) {
    if (visible) ::ShowWindow(Handle(), SW_HIDE);
    SetBounds(savedLeft_, savedTop_, Width(), Height());
  }
  Integer oldTop = topIndex_;
  PlaceOnScreen();
  if (topIndex_ > 0 && !moreBelow_) {
    while (topIndex_ > 0 && !moreBelow_) {
      --topIndex_;
      LayoutRows();
    }
    if (moreBelow_) {
      ++topIndex_;
      LayoutRows();
    }
  }
  if (visible && !IsWindowVisible(Handle()))
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_SHOWWINDOW);
  (void)oldTop;
  Invalidate();
  if (keep && keep->Control()) SelectItem(keep->Control());
}

void TdxBarSubMenuControl::PaintSideBar(const TRect& R) {
  if (R.Width() <= 0) return;
  if (manager_->Designing()) {
    FillVerticalGradient(Canvas(), R, clBlack, static_cast<TColor>(RGB(0, 0, 255)));
    return;
  }
  TPersistent* owner = itemLinks_ ? itemLinks_->Owner() : nullptr;
  if (auto* s = dynamic_cast<TCustomdxBarSubItem*>(owner)) s->PaintBar(Canvas(), R);
  if (auto* p = dynamic_cast<TdxBarPopupMenu*>(owner)) p->DoPaintBar(Canvas(), R);
}

// --- Brushes -------------------------------------------------------------------------------------
void TdxBarSubMenuControl::CreateRareRowBrush() {
  DeleteRareRowBrush();
  COLORREF f = GetSysColor(COLOR_BTNFACE);
  COLORREF c = RGB(std::min(GetRValue(f) + 20, 255), std::min(GetGValue(f) + 20, 255), std::min(GetBValue(f) + 20, 255));
  HDC screen = GetDC(nullptr);
  bool palette = GetDeviceCaps(screen, BITSPIXEL) <= 8 && manager_->UsesRecentItems();
  ReleaseDC(nullptr, screen);
  if (palette) {
    struct {
      WORD version, count;
      PALETTEENTRY e[1];
    } lp{0x300, 1, {{GetRValue(c), GetGValue(c), GetBValue(c), 0}}};
    rareRowPalette_ = CreatePalette(reinterpret_cast<LOGPALETTE*>(&lp));
    rareRowBrush_ = CreateSolidBrush(PALETTEINDEX(0));
  } else {
    rareRowBrush_ = CreateSolidBrush(c);
  }
}

void TdxBarSubMenuControl::DeleteRareRowBrush() {
  if (rareRowBrush_) DeleteObject(rareRowBrush_);
  if (rareRowPalette_) DeleteObject(rareRowPalette_);
  rareRowBrush_ = nullptr;
  rareRowPalette_ = nullptr;
}

// --- Frame ----------------------------------------------------------------------------------------
TRect TdxBarSubMenuControl::DragBarRect() const {
  RECT wr;
  GetWindowRect(const_cast<TdxBarSubMenuControl*>(this)->Handle(), &wr);
  Integer inset = IsFlat() ? 2 : 3;
  Integer w = wr.right - wr.left - (HasShadow() ? 2 : 0);
  return Rect(inset, inset, w - inset, inset + 7);
}

void TdxBarSubMenuControl::NCCalcSize(TMessage& M) {
  TCustomdxBarControl::Dispatch(M);  // the default and the flat shadow
  RECT* r = M.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(M.LParam)->rgrc[0] : reinterpret_cast<RECT*>(M.LParam);
  InflateRect(r, -1, -1);
  if (HasDragBar()) r->top += IsFlat() ? 8 : 10;
}

void TdxBarSubMenuControl::NCPaint() {
  RECT wr;
  GetWindowRect(Handle(), &wr);
  TRect r = Rect(0, 0, wr.right - wr.left, wr.bottom - wr.top);
  if (HasShadow()) {
    r.Right -= 2;
    r.Bottom -= 2;
  }
  HDC dc = GetWindowDC(Handle());
  if (IsFlat()) {
    FrameRect(dc, r.AsRECT(), GetSysColorBrush(COLOR_BTNTEXT));
  } else {
    HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
    RECT left{r.Left, r.Top, r.Left + 1, r.Bottom - 1};
    RECT top{r.Left + 1, r.Top, r.Right - 1, r.Top + 1};
    FillRect(dc, &left, face);
    FillRect(dc, &top, face);
    DrawEdge(dc, r.AsRECT(), BDR_RAISEDOUTER, BF_RIGHT | BF_BOTTOM);
  }
  if (HasDragBar()) {
    TRect inner = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    TRect d = DragBarRect();
    if (IsFlat()) {
      RECT top{inner.Left, inner.Top, inner.Right, inner.Top + 1};
      FillRect(dc, &top, GetSysColorBrush(COLOR_WINDOW));
      RECT ls{inner.Left, inner.Top, inner.Left + 1, inner.Top + 8};
      RECT rs{inner.Right - 1, inner.Top, inner.Right, inner.Top + 8};
      FillRect(dc, &ls, GetSysColorBrush(COLOR_WINDOW));
      FillRect(dc, &rs, GetSysColorBrush(COLOR_WINDOW));
      FillRect(dc, d.AsRECT(), dragBarHot_ ? HotBrush() : manager_->FlatFaceBrush());
      Integer cx = (d.Left + d.Right) / 2;
      HBRUSH cap = GetSysColorBrush(COLOR_ACTIVECAPTION);
      for (Integer y = 0; y < 7; y += 2) {
        RECT line{cx - 16, d.Top + y, cx + 17, d.Top + y + 1};
        FillRect(dc, &line, cap);
      }
    } else {
      TRect edge = Rect(inner.Left, inner.Top, inner.Right, inner.Top + 10);
      DrawEdge(dc, edge.AsRECT(), BDR_RAISEDINNER, BF_LEFT | BF_TOP | BF_RIGHT);
      TRect area = Rect(inner.Left + 1, inner.Top + 1, inner.Right - 1, inner.Top + 10);
      FrameRect(dc, area.AsRECT(), GetSysColorBrush(COLOR_BTNFACE));
      FillRect(dc, d.AsRECT(), GetSysColorBrush(dragBarHot_ ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
    }
  }
  ReleaseDC(Handle(), dc);
}

void TdxBarSubMenuControl::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_NCCALCSIZE:
      NCCalcSize(M);
      return;
    case WM_NCPAINT:
      TCustomdxBarControl::Dispatch(M);
      NCPaint();
      return;
    case WM_NCHITTEST:
      if (HasDragBar() && HandleAllocated()) {
        RECT wr;
        GetWindowRect(Handle(), &wr);
        POINT p{static_cast<short>(LOWORD(M.LParam)) - wr.left, static_cast<short>(HIWORD(M.LParam)) - wr.top};
        TRect d = DragBarRect();
        if (p.x >= d.Left && p.x < d.Right && p.y >= d.Top && p.y < d.Bottom) {
          // The drag bar answers as client area (the pointer has not left the menu).
          M.Result = HTCLIENT;
          return;
        }
      }
      TCustomdxBarControl::Dispatch(M);
      return;
    case WM_GETDLGCODE:
      M.Result = DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS;
      return;
    case WM_TIMER:
      if (M.WParam == 1) {
        OnScrollTimer();
        return;
      }
      if (M.WParam == 2 || M.WParam == 3) {
        OnMarkTimer(M.WParam);
        return;
      }
      break;
    case WM_ERASEBKGND:
      M.Result = 1;
      return;
    case WM_DESTROY:
      // (also when the system destroys the window with its owner)
      WaitForAnimation();
      break;
    case WM_USER + 0x61:  // the animation worker has finished
      WaitForAnimation();
      return;
    default:
      break;
  }
  TCustomdxBarControl::Dispatch(M);
}

// --- Painting -------------------------------------------------------------------------------------
void TdxBarSubMenuControl::Paint() {
  if (Animate || closing_) return;
  PaintClientTo(Canvas()->Handle());
}

void TdxBarSubMenuControl::PaintScrollArrow(HDC DC, const TRect& Band, bool Up) {
  Integer b = textRowHeight_ / 3;
  Integer bar = BarSize();
  Integer cx = bar + (ClientWidth() - bar) / 2;
  Integer off = (textRowHeight_ - b + 1) / 2 + b - 2;
  POINT p[3];
  if (Up) {
    Integer base = Band.Top + off;
    p[0] = {cx - b + 2, base};
    p[1] = {cx + b - 2, base};
    p[2] = {cx, base - (b - 2)};
  } else {
    Integer bottom = Band.Bottom;
    Integer base = bottom - 1 - off;
    p[0] = {cx - b + 2, base};
    p[1] = {cx + b - 2, base};
    p[2] = {cx, base + (b - 2)};
  }
  COLORREF c = GetSysColor(COLOR_BTNTEXT);
  HPEN pen = CreatePen(PS_SOLID, 1, c);
  HBRUSH br = CreateSolidBrush(c);
  HGDIOBJ op = SelectObject(DC, pen), ob = SelectObject(DC, br);
  Polygon(DC, p, 3);
  SelectObject(DC, op);
  SelectObject(DC, ob);
  DeleteObject(pen);
  DeleteObject(br);
}

void TdxBarSubMenuControl::PaintMark(HDC DC, const TRect& Band) {
  TRect mark = Rect(Band.Left, Band.Bottom - markHeight_, Band.Right, Band.Bottom);
  TRect upper = Rect(Band.Left, Band.Top, Band.Right, mark.Top);
  if (upper.Height() > 0) FillRect(DC, upper.AsRECT(), BackgroundBrush());
  if (markState_ == 1) {
    DrawEdge(DC, mark.AsRECT(), BDR_RAISEDINNER, BF_RECT);
    TRect in = Rect(mark.Left + 1, mark.Top + 1, mark.Right - 1, mark.Bottom - 1);
    FillRect(DC, in.AsRECT(), rareRowBrush_ ? rareRowBrush_ : BackgroundBrush());
  } else {
    FillRect(DC, mark.AsRECT(), BackgroundBrush());
  }
  Integer k = (markHeight_ - 6) / 2;
  if (k <= 0) return;
  Integer x0 = (mark.Left + mark.Right - k - 1) / 2;
  Integer y0 = mark.Top + (markHeight_ - 2 * k) / 2;
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNTEXT));
  HGDIOBJ op = SelectObject(DC, pen);
  for (Integer i = 0; i < k; ++i) {
    Integer y = i < k / 2 ? y0 + i : y0 + i + k / 2;
    POINT p[3] = {{x0, y}, {x0 + k / 2, y + k / 2}, {x0 + k + 1, y - 1}};
    Polyline(DC, p, 3);
  }
  SelectObject(DC, op);
  DeleteObject(pen);
}

void TdxBarSubMenuControl::PaintClientTo(HDC DC) {
  HDC savedCanvas = nullptr;
  bool own = Canvas()->HandleAllocated() ? Canvas()->Handle() != DC : true;
  if (own) {
    savedCanvas = Canvas()->HandleAllocated() ? Canvas()->Handle() : nullptr;
    Canvas()->SetHandle(DC);
  }
  HGDIOBJ oldFont = SelectObject(DC, FontHandle());
  inPaint_ = true;
  bool flat = IsFlat();
  TRect r = ClientRect();
  HBRUSH bg = BackgroundBrush();
  Integer bar = BarSize();
  try {
    if (flat) {
      FrameRect(DC, r.AsRECT(), GetSysColorBrush(COLOR_WINDOW));
    } else {
      TRect e = r;
      if (HasDragBar()) e.Top -= 2;
      DrawEdge(DC, e.AsRECT(), BDR_RAISEDINNER, BF_RECT);
      r = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
      FrameRect(DC, r.AsRECT(), bg);
    }
    r = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    const auto& shown = itemLinks_ ? itemLinks_->ShownLinks() : std::vector<TdxBarItemLink*>();
    Integer areaBottom = ClientHeight() - (flat ? 0 : 1) - (HasMark() ? textRowHeight_ : 0);
    if (shown.empty()) {
      TRect a = Rect(r.Left + bar, r.Top, r.Right, areaBottom);
      FillRect(DC, a.AsRECT(), bg);
    } else {
      LayoutRows();
      Integer lastBottom = r.Top;
      if (topIndex_ > 0) {
        TRect band = UpBandRect();
        TRect fill = band;
        if (flat) fill.Left -= 1;
        FillRect(DC, fill.AsRECT(), bg);
        PaintScrollArrow(DC, band, true);
      }
      if (moreBelow_) {
        TRect band = DownBandRect();
        TRect fill = band;
        if (flat) fill.Left -= 1;
        FillRect(DC, fill.AsRECT(), bg);
        PaintScrollArrow(DC, band, false);
        lastBottom = band.Bottom;
      }
      Integer first = topIndex_ + (topIndex_ > 0 ? 1 : 0);
      Integer last = topIndex_ + fittingRows_ - 1 - (moreBelow_ ? 1 : 0);
      TdxBarItemControl* lastPainted = nullptr;
      for (Integer i = first; i <= last && i < static_cast<Integer>(shown.size()); ++i) {
        TdxBarItemControl* c = shown[static_cast<size_t>(i)]->Control();
        if (!c) continue;
        c->LastShown = false;
        PaintItemControl(c);
        lastPainted = c;
        if (!moreBelow_) lastBottom = std::max(lastBottom, shown[static_cast<size_t>(i)]->ItemRect.Bottom);
      }
      if (!moreBelow_ && topIndex_ > 0) lastBottom = std::max(lastBottom, UpBandRect().Bottom);
      if (lastPainted) lastPainted->LastShown = true;
      TRect below = Rect(r.Left + bar, lastBottom, r.Right, areaBottom);
      if (below.Height() > 0) FillRect(DC, below.AsRECT(), bg);
    }
    if (HasMark()) {
      TRect band = Rect(r.Left + bar, areaBottom, r.Right, areaBottom + textRowHeight_);
      TRect m = MarkRect();
      band.Bottom = m.Bottom;
      band.Top = m.Bottom - textRowHeight_;
      band.Left = m.Left;
      band.Right = m.Right;
      PaintMark(DC, band);
    }
  } catch (...) {
    inPaint_ = false;
    PaintSideBar(Rect(r.Left, r.Top, r.Left + bar, r.Bottom));
    SelectObject(DC, oldFont);
    if (own) Canvas()->SetHandle(savedCanvas);
    throw;
  }
  inPaint_ = false;
  PaintSideBar(Rect(r.Left, r.Top, r.Left + bar, r.Bottom));
  SelectObject(DC, oldFont);
  if (own) Canvas()->SetHandle(savedCanvas);
}

void TdxBarSubMenuControl::PaintItemControl(TdxBarItemControl* C) {
  itemBackgroundBrush_ = BackgroundBrush();
  if (closing_ || !C || !C->Link() || !HandleAllocated()) return;
  if (!inPaint_ && Animate) return;
  TdxBarItemLink* link = C->Link();
  TRect r = link->ItemRect;
  if (r.Width() <= 0 || r.Height() <= 0) {
    C->GroupSeparatorRect = TRect{};
    return;
  }
  Integer idx = link->ShownIndex();
  // A row under a scroll band is not drawn.
  if ((topIndex_ > 0 && idx == topIndex_) || (moreBelow_ && idx == topIndex_ + fittingRows_ - 1)) return;
  HDC dc;
  HGDIOBJ oldFont = nullptr;
  bool own = !inPaint_;
  if (own) {
    dc = GetDC(Handle());
    oldFont = SelectObject(dc, FontHandle());
    Canvas()->SetHandle(dc);
  } else {
    dc = Canvas()->Handle();
  }
  bool flat = IsFlat();
  Integer bar = BarSize();
  HBRUSH bg = C->RarelyUsed ? rareRowBrush_ : (flat ? GetSysColorBrush(COLOR_WINDOW) : BackgroundBrush());
  itemBackgroundBrush_ = bg;
  HPALETTE oldPal = nullptr;
  if (C->RarelyUsed && rareRowPalette_) {
    oldPal = SelectPalette(dc, rareRowPalette_, FALSE);
    RealizePalette(dc);
  }
  try {
    bool sep = link->ReadBeginGroup() && idx != topIndex_ && !(topIndex_ > 0 && idx == topIndex_ + 1);
    if (sep) {
      Integer gs = BeginGroupSize();
      TRect band = Rect(r.Left, r.Top - gs, r.Right, r.Top);
      if (!flat && C->GroupEdge) band = Rect(r.Left, r.Top - gs - 1, r.Right, r.Top - 1);
      C->GroupSeparatorRect = band;
      Integer indent = manager_->MenuSeparatorIndent();
      if (flat) {
        Integer split = band.Left + C->MenuGlyphColumnWidth();
        TRect g = Rect(band.Left, band.Top, split, band.Bottom);
        TRect rest = Rect(split, band.Top, band.Right, band.Bottom);
        FillRect(dc, g.AsRECT(), manager_->FlatFaceBrush());
        FillRect(dc, rest.AsRECT(), C->RarelyUsed && C->GroupEdge ? GetSysColorBrush(COLOR_WINDOW) : bg);
        Integer mid = (band.Top + band.Bottom) / 2;
        RECT line{split + indent, mid, band.Right + 1, mid + 1};
        FillRect(dc, &line, GetSysColorBrush(COLOR_BTNSHADOW));
      } else {
        FillRect(dc, band.AsRECT(), C->RarelyUsed && C->GroupEdge ? BackgroundBrush() : bg);
        TRect line = Rect(band.Left + indent, band.Top + 4, band.Right - indent, band.Bottom - 4);
        DrawEdge(dc, line.AsRECT(), EDGE_ETCHED, BF_TOP);
      }
    } else {
      C->GroupSeparatorRect = TRect{};
    }
    if (!flat) {
      if (C->GroupEdge) {
        Integer y = r.Top - 1;
        RECT line{r.Left - (bar ? 0 : 1), y, r.Right + 1, y + 1};
        FillRect(dc, &line, GetSysColorBrush(C->RarelyUsed ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT));
      }
      if (C->RarelyUsed) {
        if (!bar) {
          RECT lm{r.Left - 1, r.Top, r.Left, r.Bottom};
          FillRect(dc, &lm, rareRowBrush_);
        }
        RECT rm{r.Right, r.Top, r.Right + 1, r.Bottom};
        FillRect(dc, &rm, rareRowBrush_);
      }
    }
    C->PaintView(r, 1);
    DrawCustomizingFrame(C);
  } catch (...) {
    if (oldPal) SelectPalette(dc, oldPal, FALSE);
    if (own) {
      Canvas()->SetHandle(nullptr);
      SelectObject(dc, oldFont);
      ReleaseDC(Handle(), dc);
    }
    throw;
  }
  if (oldPal) SelectPalette(dc, oldPal, FALSE);
  if (own) {
    Canvas()->SetHandle(nullptr);
    SelectObject(dc, oldFont);
    ReleaseDC(Handle(), dc);
  }
}
