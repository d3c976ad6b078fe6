// Quick customizing: the toolbar's mark opens a small window that shows the
// links that did not fit and an "Add or Remove Buttons" menu with a check
// entry per link of the toolbar, its reset and the manager's customize entry.
#include <algorithm>

#include "bars/dxBar.h"
#include "platform/TypInfo.h"

namespace {
TdxBarQuickControl* quickWindow = nullptr;
UINT_PTR quickCloseTimer = 0;
// Set when a press on the owner's mark closed the window (the press must not
// open it again).
TdxBarControl* markPressClosed = nullptr;

TdxBar* NewQuickBar(TdxBarManager* M, TdxBarControl* Owner) {
  FreeUnusedTempItems();
  TdxBar* b = M->Bars()->Add();
  b->SetAllowQuickCustomizing(false);
  b->SetHidden(true);
  b->SetFont(Owner->Bar()->Font());
  b->SetUseOwnFont(Owner->Bar()->UseOwnFont());
  return b;
}

TdxBarItemLink* BarLinkOf(const TdxBarItemLink* Link) {
  return Link ? static_cast<TdxBarItemLink*>(Link->Data) : nullptr;
}

void CALLBACK QuickCloseTimerProc(HWND, UINT, UINT_PTR, DWORD) {
  if (quickCloseTimer) KillTimer(nullptr, quickCloseTimer);
  quickCloseTimer = 0;
  try {
    TdxBarQuickControl* q = quickWindow;
    if (!q || !IsLiveBarControl(q)) return;
    TdxBarItemControl* sel = q->BarManager()->SelectedItemControl();
    if (sel && RootToolbarOfView(sel) != q && IsLiveBarControl(q->OwnerWindow)) q->OwnerWindow->SetMarkState(0);
  } catch (...) {
    // A failure of the delayed close never reaches the message loop.
  }
}
}  // namespace

// --- Items and views -----------------------------------------------------------------------------
void TdxBarQuickCustItem::InvokeOnClick() {
  TdxBarButton::InvokeOnClick();
  if (TdxBarItemLink* l = BarLinkOf(ClickItemLink())) l->SetVisible(!l->Visible());
}

TdxBarItemLink* TdxBarQuickCustItemControl::BarLink() const { return BarLinkOf(link_); }
std::string TdxBarQuickCustItemControl::GetCaption() const {
  TdxBarItemLink* l = BarLink();
  return l ? l->EffectiveCaption() : std::string();
}
TBitmap* TdxBarQuickCustItemControl::Glyph() const {
  TdxBarItemLink* l = BarLink();
  return l ? l->EffectiveGlyph() : nullptr;
}
Integer TdxBarQuickCustItemControl::ImageIndex() const {
  TdxBarItemLink* l = BarLink();
  return l && l->Item() ? l->Item()->ImageIndex() : -1;
}
TCustomImageList* TdxBarQuickCustItemControl::Images() const { return BarManager() ? BarManager()->Images() : nullptr; }
std::string TdxBarQuickCustItemControl::GetHint() const {
  TdxBarItemLink* l = BarLink();
  return l && l->Item() ? l->Item()->Hint() : std::string();
}
TShortCut TdxBarQuickCustItemControl::ShortCut() const {
  TdxBarItemLink* l = BarLink();
  return l && l->Item() ? l->Item()->ShortCut() : 0;
}
void TdxBarQuickCustItemControl::ExecuteClick(bool ByMouse) {
  TdxBarButtonControl::ExecuteClick(ByMouse);
  RedrawView();
}
Integer TdxBarQuickCustItemControl::GetLength() const { return TdxBarButtonControl::GetLength() + GetThickness(); }

void TdxBarQuickCustItemControl::PaintView(const TRect& R, Integer Kind) {
  if (Kind != 1) {
    TdxBarButtonControl::PaintView(R, Kind);
    return;
  }
  HDC dc = window_->Canvas()->Handle();
  bool selected = IsDrawnSelected();
  TRect row = R;
  TRect cell = Rect(R.Left, R.Top, R.Left + R.Height(), R.Bottom);
  if (IsFlat()) {
    if (!selected) FrameRect(dc, cell.AsRECT(), BarManager()->FlatBackgroundBrush());
    row = Rect(R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1);
    cell = Rect(row.Left, row.Top, row.Left + row.Height(), row.Bottom);
  }
  TdxBarItemLink* l = BarLink();
  DrawGlyphCell(dc, cell, Kind, false, l && l->Visible(), selected, !HasGlyph());
  TRect rest = Rect(cell.Right + (IsFlat() ? 1 : 0), row.Top, row.Right, row.Bottom);
  TdxBarButtonControl::PaintView(rest, Kind);
  if (IsFlat() && selected) {
    FrameHighlightRect(dc, R);
    RECT strip{cell.Right, row.Top, cell.Right + 2, row.Bottom};
    FillRect(dc, &strip, window_->HotBrush());
  }
}

Integer TdxBarQuickCustExtButtonControl::MenuGlyphColumnWidth() const {
  return TdxBarButtonControl::MenuGlyphColumnWidth() + GetThickness();
}
Integer TdxBarQuickCustExtButtonControl::GetLength() const {
  return TdxBarButtonControl::GetLength() + GetThickness();
}

void TdxBarQuickCustExtButtonControl::PaintView(const TRect& R, Integer Kind) {
  if (Kind != 1) {
    TdxBarButtonControl::PaintView(R, Kind);
    return;
  }
  HDC dc = window_->Canvas()->Handle();
  bool selected = IsDrawnSelected();
  bool flat = IsFlat();
  TRect row = flat && selected ? Rect(R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1) : R;
  TRect cell = Rect(row.Left, row.Top, row.Left + row.Height() + (flat && selected ? 1 : 0), row.Bottom);
  HBRUSH b = selected ? window_->HotBrush()
                      : (flat ? BarManager()->FlatBackgroundBrush() : GetSysColorBrush(COLOR_BTNFACE));
  FillRect(dc, cell.AsRECT(), b);
  TdxBarButtonControl::PaintView(Rect(cell.Right, row.Top, row.Right, row.Bottom), Kind);
  if (flat && selected) {
    FrameHighlightRect(dc, R);
    RECT strip{cell.Right, row.Top, cell.Right + 1, row.Bottom};
    FillRect(dc, &strip, window_->HotBrush());
  }
}

void dxBarRegisterQuickCustomizeClasses() {
  RegisterClassInfo<TdxBarQuickCustItem, TdxBarButton>("TdxBarQuickCustItem");
  RegisterClassInfo<TdxBarQuickCustExtButton, TdxBarButton>("TdxBarQuickCustExtButton");
  RegisterBarItemClass<TdxBarQuickCustItem, TdxBarQuickCustItemControl>("TdxBarQuickCustItem", false);
  RegisterBarItemClass<TdxBarQuickCustExtButton, TdxBarQuickCustExtButtonControl>("TdxBarQuickCustExtButton", false);
}

// --- The toolbar's side: the mark ----------------------------------------------------------------
bool TdxBarControl::AllowsCustomizing() const { return TCustomdxBarControl::AllowsCustomizing() || bar_->AllowCustomizing(); }

void TdxBarControl::SetMarkState(Byte State) {
  if (InCustomizing() || State == markState_) return;
  markState_ = State;
  if (HandleAllocated()) {
    if (dockingStyle_ != dsNone) {
      TRect m = MarkRect();
      InvalidateRect(Handle(), m.AsRECT(), FALSE);
    } else {
      RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE);
    }
  }
  if (State == 2) {
    PlayMenuSound(0);
    auto* q = new TdxBarQuickControl(manager_, this);
    QuickCustomizingWindow = q;
    TRect m = MarkRect();
    TPoint a = ClientToScreen(Point(m.Left, m.Top)), b = ClientToScreen(Point(m.Right, m.Bottom));
    q->ShowAt(Rect(a.X, a.Y, b.X, b.Y));
    return;
  }
  if (TdxBarQuickControl* q = QuickCustomizingWindow) {
    QuickCustomizingWindow = nullptr;
    q->Dismiss();
  }
  if (State == 1)
    manager_->UpdateHint(true, dxBarStrings::MoreButtons);
  else if (!selectedControl_)
    manager_->UpdateHint(false);
}

bool TdxBarControl::PressMark(TPoint ClientPoint) {
  if (InCustomizing() || dockingStyle_ == dsNone || !HasMark()) return false;
  TRect m = MarkRect();
  if (ClientPoint.X < m.Left || ClientPoint.X >= m.Right || ClientPoint.Y < m.Top || ClientPoint.Y >= m.Bottom)
    return false;
  if (markPressClosed == this) {
    markPressClosed = nullptr;
    return true;
  }
  if (active_) CloseChain();
  if (IsLiveBarControl(this)) SetMarkState(markState_ == 2 ? 0 : 2);
  return true;
}

void TdxBarControl::IgnoreNextButtonUp() { ignoreNextButtonUp_ = true; }

// --- The quick-customizing window ----------------------------------------------------------------
TdxBarQuickControl::TdxBarQuickControl(TdxBarManager* AOwner, TdxBarControl* Owner)
    : TdxBarControl(AOwner, NewQuickBar(AOwner, Owner)), OwnerWindow(Owner) {
  quickWindow = this;
  TdxBarItemLinks* links = Bar()->ItemLinks();
  SetItemLinks(links);
  links->SetBarControl(this);
  AddRemoveItem = new TdxBarSubItem(AOwner->OwnerForm());
  AddTempItem(AddRemoveItem);
  AddRemoveItem->SetCaption(dxBarStrings::AddRemoveButtons);
  AddRemoveItem->SetEnabled(Owner->Bar()->AllowQuickCustomizing());
  if (AddRemoveItem->Enabled()) AddRemoveItem->OnPopup = TNotifyEvent(this, &TdxBarQuickControl::FillAddRemoveMenu);
  // The owner's links that got no place.
  if (TdxBarItemLinks* own = Owner->ItemLinks()) {
    const auto& shown = own->ShownLinks();
    for (TdxBarItemLink* l : own->VisibleLinks()) {
      bool placed = std::find(shown.begin(), shown.end(), l) != shown.end() &&
                    !(l->Control() && l->ItemRect.Width() <= 0);
      if (placed) continue;
      TdxBarItemLink* copy = links->Add();
      copy->Assign(l);
      copy->Data = l;
    }
  }
  TdxBarItemLink* last = links->Add();
  last->SetItem(AddRemoveItem);
  last->SetBeginGroup(true);
}

TdxBarQuickControl::~TdxBarQuickControl() {
  BeingFreed = true;
  dismissed_ = true;
  if (quickCloseTimer) KillTimer(nullptr, quickCloseTimer);
  quickCloseTimer = 0;
  if (quickWindow == this) quickWindow = nullptr;
  if (IsLiveBarControl(OwnerWindow) && OwnerWindow->QuickCustomizingWindow == this)
    OwnerWindow->QuickCustomizingWindow = nullptr;
  LeaveMenuMode();
  CloseChain();
  if (HandleAllocated()) DestroyHandle();
  DropItemControls();
  // The bar goes with the window, unless the bar (freed with its manager) is
  // what frees the window.
  TdxBar* bar = Bar();
  bool ownsBar = bar->ItemLinks()->BarControl() == this;
  bar->ItemLinks()->SetBarControl(nullptr);
  SetItemLinks(nullptr);
  if (ownsBar) delete bar;
}

TdxBarQuickControl* TdxBarQuickControl::Current() { return quickWindow; }

void TdxBarQuickControl::Dismiss() {
  if (dismissed_) return;
  dismissed_ = true;
  if (HandleAllocated()) ::ShowWindow(Handle(), SW_HIDE);
  // The window may be handling one of its own messages: it goes afterwards.
  TdxBarQuickControl* self = this;
  dxBarDeferred([self] {
    if (IsLiveBarControl(self)) delete self;
  });
}

void TdxBarQuickControl::ShowAt(const TRect& Mark) {
  HandleNeeded();
  ArrangeItems();
  TPoint s = CalcSizeForWidth(dsNone, 0);
  Integer w = s.X + 2 * manager_->FloatFrameWidth(), h = s.Y + 2 * manager_->FloatFrameHeight();
  bool vertical = IsVerticalStyle(OwnerWindow->DockingStyleOfWindow());
  Integer x, y;
  if (vertical) {
    x = Mark.Right;
    y = Mark.Top;
  } else if (OwnerWindow->DockingStyleOfWindow() == dsNone && manager_->IsFlat()) {
    x = Mark.Left;
    y = Mark.Bottom;
  } else {
    x = Mark.Right - w;
    y = Mark.Bottom;
  }
  TRect wa = GetWorkAreaAt(POINT{x, y});
  if (vertical) {
    if (x + w > wa.Right) x = Mark.Left - w;
    y = std::max(wa.Top, std::min(y, wa.Bottom - h));
  } else {
    x = std::max(wa.Left, std::min(x, wa.Right - w));
    if (y + h > wa.Bottom) y = Mark.Top - h;
  }
  SetBounds(x, y, w, h);
  SetWindowPos(Handle(), HWND_TOP, x, y, w, h, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  ArrangeItems();
  Invalidate();
}

void TdxBarQuickControl::ScheduleClose() {
  if (!quickCloseTimer) quickCloseTimer = SetTimer(nullptr, 0, 200, QuickCloseTimerProc);
}

HBRUSH TdxBarQuickControl::BackgroundBrush() const {
  return manager_->IsFlat() ? GetSysColorBrush(COLOR_WINDOW) : TdxBarControl::BackgroundBrush();
}

void TdxBarQuickControl::RebuildLayout() {
  if (!HandleAllocated()) return;
  ArrangeItems();
  Invalidate();
}

void TdxBarQuickControl::CloseChain() {
  TdxBarControl* keyboard = KeyboardMenuWindow(manager_);
  TdxBarControl::CloseChain();
  if (!IsLiveBarControl(this) || dismissed_) return;
  TdxBarControl* owner = OwnerWindow;
  if (!IsLiveBarControl(owner)) return;
  if (keyboard == this && LogicalLeftButtonDown() && owner->HandleAllocated()) {
    POINT p;
    GetCursorPos(&p);
    TRect m = owner->MarkRect();
    TPoint c = owner->ScreenToClient(Point(p.x, p.y));
    if (c.X >= m.Left && c.X < m.Right && c.Y >= m.Top && c.Y < m.Bottom) markPressClosed = owner;
  }
  owner->SetMarkState(0);
}

void TdxBarQuickControl::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_NCCALCSIZE: {
      RECT* r = M.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(M.LParam)->rgrc[0] : reinterpret_cast<RECT*>(M.LParam);
      InflateRect(r, -manager_->FloatFrameWidth(), -manager_->FloatFrameHeight());
      if (r->right < r->left) r->right = r->left;
      if (r->bottom < r->top) r->bottom = r->top;
      M.Result = 0;
      return;
    }
    case WM_NCPAINT:
    case WM_NCACTIVATE: {
      HDC dc = GetWindowDC(Handle());
      RECT wr;
      GetWindowRect(Handle(), &wr);
      RECT r{0, 0, wr.right - wr.left, wr.bottom - wr.top};
      if (manager_->IsFlat()) {
        FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
        InflateRect(&r, -1, -1);
        for (Integer i = 1; i < manager_->FloatFrameWidth(); ++i) {
          FrameRect(dc, &r, BackgroundBrush());
          InflateRect(&r, -1, -1);
        }
      } else {
        DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_ADJUST);
        while (r.right - r.left > ClientWidth() && r.bottom - r.top > ClientHeight()) {
          FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
          InflateRect(&r, -1, -1);
        }
      }
      ReleaseDC(Handle(), dc);
      M.Result = M.Msg == WM_NCACTIVATE ? 1 : 0;
      return;
    }
    case WM_NCHITTEST:
      TdxBarControl::Dispatch(M);
      // Neither dragged nor sized.
      if (M.Result != HTCLIENT) M.Result = HTBORDER;
      HitCode = HTCLIENT;
      return;
    case WM_RBUTTONDOWN:
      DefWindowProcW(Handle(), M.Msg, M.WParam, M.LParam);
      return;
    case WM_WINDOWPOSCHANGED: {
      TdxBarControl::Dispatch(M);
      auto* wp = reinterpret_cast<WINDOWPOS*>(M.LParam);
      if (wp && (wp->flags & SWP_HIDEWINDOW) && !dismissed_ && !BeingFreed && IsLiveBarControl(OwnerWindow))
        OwnerWindow->SetMarkState(0);
      return;
    }
    default: break;
  }
  TdxBarControl::Dispatch(M);
}

void TdxBarQuickControl::FillAddRemoveMenu(TObject*) {
  FreeUnusedTempItems();
  AddRemoveItem->ItemLinks()->Clear();
  EntryItem = new TdxBarQuickCustItem(manager_->OwnerForm());
  AddTempItem(EntryItem);
  TdxBarItemLinks* menu = AddRemoveItem->ItemLinks();
  if (TdxBarItemLinks* own = IsLiveBarControl(OwnerWindow) ? OwnerWindow->ItemLinks() : nullptr)
    for (TdxBarItemLink* l : own->AvailableLinks()) {
      if (l->Control() && !l->Control()->SameManager()) continue;
      TdxBarItemLink* entry = menu->Add();
      entry->SetItem(EntryItem);
      entry->Data = l;
    }
  bool reset = false;
  if (manager_->CanReset() && OwnerWindow->Bar()->CanReset()) {
    auto* b = new TdxBarQuickCustExtButton(manager_->OwnerForm());
    AddTempItem(b);
    b->SetCaption(dxBarStrings::ResetToolbar);
    TdxBar* bar = OwnerWindow->Bar();
    b->OnClick = [bar](TObject*) { bar->ResetWithConfirm(); };
    TdxBarItemLink* l = menu->Add();
    l->SetItem(b);
    l->SetBeginGroup(true);
    reset = true;
  }
  manager_->AddCustomizeEntry(menu, !reset, [this] { return new TdxBarQuickCustExtButton(manager_->OwnerForm()); });
}

// A button press elsewhere closes the quick window (unless it lands on the
// window or on the mark that opened it).
void dxBarQuickControlMouseMessage(UINT Msg, HWND Wnd, POINT Screen) {
  TdxBarQuickControl* q = quickWindow;
  if (!q || !IsLiveBarControl(q) || q->InMenuMode() || !q->HandleAllocated()) return;
  bool button = (Msg >= WM_LBUTTONDOWN && Msg <= WM_MOUSEWHEEL) || (Msg >= WM_NCLBUTTONDOWN && Msg <= WM_NCMBUTTONDBLCLK);
  if (!button) return;
  if (Wnd == q->Handle() || IsAncestorWindow(Wnd, q->Handle())) return;
  TdxBarControl* owner = q->OwnerWindow;
  if (IsLiveBarControl(owner) && owner->HandleAllocated() && Wnd == owner->Handle() && Msg != WM_RBUTTONDOWN) {
    TRect m = owner->MarkRect();
    TPoint c = owner->ScreenToClient(Point(Screen.x, Screen.y));
    if (c.X >= m.Left && c.X < m.Right && c.Y >= m.Top && c.Y < m.Bottom) return;
  }
  if (IsLiveBarControl(owner)) owner->SetMarkState(0);
}
