// The bar window base: one view per visible link, selection, hot tracking,
// menu mode with the chain of active windows, the flat drop shadow, and the
// routing of keys and mouse messages to the views.
#include <algorithm>

#include "bars/dxBar.h"

namespace {
TCustomdxBarControl* activeTop = nullptr;
bool menusExpanded = false;
}  // namespace

TCustomdxBarControl* ActiveBarControl() { return activeTop; }
bool MenusExpanded() { return menusExpanded; }
void SetMenusExpanded(bool V) { menusExpanded = V; }

TCustomdxBarControl::TCustomdxBarControl(TdxBarManager* AOwner) : TCustomControl(AOwner), manager_(AOwner) {
  AddLiveBarControl(this);
  TControlStyle cs = ControlStyle();
  cs.Exclude(csCaptureMouse);
  if (manager_->Style() != bmsStandard || manager_->IsCustomizing()) cs.Include(csDoubleClicks);
  SetControlStyle(cs);
  SetColor(clBtnFace);
  SetVisible(false);
  SetBounds(100, 100, 50, 30);
}

TCustomdxBarControl::~TCustomdxBarControl() {
  BeingFreed = true;
  Destroying();
  if (IsToolbarWindow())
    CloseChain();
  else
    SetActive(false);
  if (activeTop == this) activeTop = nullptr;
  if (manager_->SelectedItemControl() && manager_->SelectedItemControl()->Window() == this)
    manager_->ClearSelectedItemControl();
  if (HandleAllocated()) {
    for (TdxBarItemLink* l : itemLinks_ ? itemLinks_->VisibleLinks() : std::vector<TdxBarItemLink*>())
      if (l->Control()) l->Control()->WindowHandleDestroying();
  }
  DropItemControls();
  if (itemLinks_) {
    // Views of links that are not visible any more may still exist.
    for (Integer i = 0; i < itemLinks_->Count(); ++i)
      if (itemLinks_->Items(i)->Control() && itemLinks_->Items(i)->Control()->Window() == this)
        itemLinks_->Items(i)->FreeItemControl();
    if (itemLinks_->BarControl() == this) itemLinks_->SetBarControl(nullptr);
  }
  if (parentWindow_ && IsLiveBarControl(parentWindow_) && parentWindow_->ChildWindow() == this)
    parentWindow_->SetChildWindow(nullptr);
  RemoveLiveBarControl(this);
}

bool TCustomdxBarControl::IsFlat() const { return manager_->IsFlat(); }
bool TCustomdxBarControl::HasShadow() const { return IsFlat() && dockingStyle_ == dsNone && IsMenuWindow(); }

void TCustomdxBarControl::CreateWnd() {
  TCustomControl::CreateWnd();
  BuildItemControls();
  ApplyFont();
  MeasureFontMetrics();
  RebuildLayout();
  if (HasShadow()) UpdateShadowRegion();
}

void TCustomdxBarControl::DestroyWnd() {
  if (itemLinks_)
    for (TdxBarItemLink* l : itemLinks_->VisibleLinks())
      if (l->Control()) l->Control()->WindowHandleDestroying();
  DropItemControls();
  TCustomControl::DestroyWnd();
}

void TCustomdxBarControl::BuildItemControls() {
  if (!itemLinks_) return;
  for (TdxBarItemLink* l : std::vector<TdxBarItemLink*>(itemLinks_->VisibleLinks())) l->CreateItemControl();
}

void TCustomdxBarControl::DropItemControls() {
  if (!itemLinks_) return;
  bool saved = paintLocked_;
  paintLocked_ = true;
  for (TdxBarItemLink* l : std::vector<TdxBarItemLink*>(itemLinks_->VisibleLinks())) l->FreeItemControl();
  paintLocked_ = saved;
}

void TCustomdxBarControl::MeasureFontMetrics() {
  SIZE sz{};
  HDC dc = Canvas()->Handle();
  GetTextExtentPoint32W(dc, L"0", 1, &sz);
  textRowHeight_ = sz.cy + 6;
  separatorStep_ = std::max<Integer>(textRowHeight_ / 5, 4);
  HDC screen = GetDC(nullptr);
  HGDIOBJ old = SelectObject(screen, FontHandle());
  GetTextExtentPoint32W(screen, L"0", 1, &sz);
  SelectObject(screen, old);
  ReleaseDC(nullptr, screen);
  menuRowHeight_ = sz.cy + 6 + (IsFlat() ? 1 : 0);
  smallButtonWidth_ = 2 * sz.cx - 1;
}

bool TCustomdxBarControl::AllowsCustomizing() const { return manager_->Designing(); }
HFONT TCustomdxBarControl::FontHandle() const { return manager_->BarFontHandle(); }

void TCustomdxBarControl::GetItemRect(TdxBarItemControl* C, TRect& R) const {
  R = C && C->Link() ? C->Link()->ItemRect : TRect{};
}
bool TCustomdxBarControl::InCustomizing() const { return manager_->IsCustomizing(); }
void TCustomdxBarControl::GetItemRectEx(TdxBarItemControl* C, bool, TRect& R) const { GetItemRect(C, R); }
HRGN TCustomdxBarControl::CreateItemRegion(TdxBarItemControl* C) const {
  TRect r;
  GetItemRectEx(C, true, r);
  return CreateRectRgn(r.Left, r.Top, r.Right, r.Bottom);
}

HBRUSH TCustomdxBarControl::BackgroundBrush() const {
  return IsFlat() ? manager_->FlatBackgroundBrush() : GetSysColorBrush(COLOR_BTNFACE);
}
HBRUSH TCustomdxBarControl::CheckedBrush() const { return IsFlat() ? manager_->FlatCheckedBrush() : CheckerBrush(); }
HBRUSH TCustomdxBarControl::CheckedHotBrush() const {
  return IsFlat() ? manager_->FlatCheckedHotBrush() : GetSysColorBrush(COLOR_BTNFACE);
}
HBRUSH TCustomdxBarControl::HotBrush() const {
  return IsFlat() ? manager_->FlatHotBrush() : GetSysColorBrush(COLOR_HIGHLIGHT);
}

bool TCustomdxBarControl::IsAncestorOf(TCustomdxBarControl* W) const {
  for (TCustomdxBarControl* p = W; p; p = p->ParentBarWindow())
    if (p->ParentBarWindow() == this) return true;
  return false;
}

TdxBarItemControl* TCustomdxBarControl::ItemControlAtPoint(TPoint P) const {
  if (!itemLinks_) return nullptr;
  if (InCustomizing() && !AllowsCustomizing()) return nullptr;
  for (TdxBarItemLink* l : itemLinks_->ShownLinks()) {
    const TRect& r = l->ItemRect;
    if (P.X >= r.Left && P.X < r.Right && P.Y >= r.Top && P.Y < r.Bottom) return l->Control();
  }
  return nullptr;
}

TdxBarItemControl* TCustomdxBarControl::ItemControlAtPointEx(TPoint P, bool& InSeparator, bool& Vertical,
                                                              bool& Before) const {
  InSeparator = false;
  Before = false;
  Vertical = IsVerticalToolbar(const_cast<TCustomdxBarControl*>(this)) || IsMenuWindow();
  if (!itemLinks_) return nullptr;
  for (TdxBarItemLink* l : itemLinks_->ShownLinks()) {
    TdxBarItemControl* c = l->Control();
    if (!c || !c->SameManager()) continue;
    HRGN rgn = CreateItemRegion(c);
    bool inside = PtInRegion(rgn, P.X, P.Y);
    DeleteObject(rgn);
    if (!inside) continue;
    TRect r;
    GetItemRect(c, r);
    InSeparator = !(P.X >= r.Left && P.X < r.Right && P.Y >= r.Top && P.Y < r.Bottom);
    bool vertical = Vertical;
    if (InSeparator) {
      if (P.Y < r.Top) vertical = true;
      r = c->GroupSeparatorRect;
    }
    Before = vertical ? (P.Y - r.Top < r.Bottom - P.Y) : (P.X - r.Left < r.Right - P.X);
    return c;
  }
  return nullptr;
}

bool TCustomdxBarControl::OwnsItemControl(const TdxBarItemControl* C) const {
  if (!C || !itemLinks_) return false;
  for (Integer i = 0; i < itemLinks_->Count(); ++i)
    if (itemLinks_->Items(i)->Control() == C) return true;
  return false;
}

bool TCustomdxBarControl::MouseUnmoved(TPoint P) const {
  if (InCustomizing()) return true;
  TPoint s = const_cast<TCustomdxBarControl*>(this)->ClientToScreen(P);
  return s == lastMousePos_;
}

bool TCustomdxBarControl::ForwardKeyToSelected(Word Key) {
  TdxBarItemControl* c = selectedControl_;
  if (c && c->ItemEnabled() && c->WantsKey(Key)) {
    c->KeyDown(Key);
    return true;
  }
  return false;
}

void TCustomdxBarControl::PaintItemControl(TdxBarItemControl* C) {
  itemBackgroundBrush_ = BackgroundBrush();
  if (!C || !HandleAllocated() || !C->Link()) return;
  TRect r = C->Link()->ItemRect;
  if (r.Width() <= 0 || r.Height() <= 0) return;
  HDC dc = GetDC(Handle());
  HGDIOBJ oldFont = SelectObject(dc, FontHandle());
  Canvas()->SetHandle(dc);
  Integer kind = IsMenuWindow() ? 1 : (RotatesWindowItems(this) ? 2 : 0);
  try {
    C->PaintView(r, kind);
  } catch (...) {
    Canvas()->SetHandle(nullptr);
    SelectObject(dc, oldFont);
    ReleaseDC(Handle(), dc);
    throw;
  }
  Canvas()->SetHandle(nullptr);
  SelectObject(dc, oldFont);
  ReleaseDC(Handle(), dc);
}

void TCustomdxBarControl::RepaintSelection(TdxBarItemControl* Old) {
  if (paintLocked_) return;
  if (Old && OwnsItemControl(Old) && Old->Item() && !Old->Item()->ComponentState().Contains(csDestroying))
    PaintItemControl(Old);
  if (selectedControl_) PaintItemControl(selectedControl_);
}

void TCustomdxBarControl::SetDockingStyle(TdxBarDockingStyle Style) {
  if (dockingStyle_ == Style) return;
  dockingStyle_ = Style;
  Perform(CM_DXBAR_FONTCHANGED);
}

void TCustomdxBarControl::SetActive(bool Value) {
  if (active_ == Value) return;
  if (Value) {
    if (!activeTop) menusExpanded = InCustomizing();
    previousActive_ = activeTop;
    activeTop = this;
    active_ = true;
    if (!InCustomizing() && itemLinks_) itemLinks_->UpdateActions();
  } else {
    if (InCustomizing())
      selectedControl_ = nullptr;
    else
      SelectItem(nullptr);
    active_ = false;
    if (activeTop == this) activeTop = previousActive_;
    if (activeTop && (!IsLiveBarControl(activeTop) || !activeTop->Active())) activeTop = nullptr;
  }
}

void TCustomdxBarControl::SelectItem(TdxBarItemControl* C) {
  if (selectedControl_ == C) return;
  if (selectedControl_ && selectedControl_->Active) selectedControl_->LeaveActive(true);
  if (!IsLiveBarControl(this)) return;
  if (auto* sub = dynamic_cast<TdxBarSubItemControl*>(C)) sub->OpenedByMouse = false;
  if (C) C->SelectedByMouse = false;
  SetSelectedControl(C);
}

void TCustomdxBarControl::HotTrackTo(TdxBarItemControl* C) {
  if (!HandleAllocated() || selectedControl_ == C) return;
  if (selectedControl_ && selectedControl_->Active) selectedControl_->LeaveActive(false);
  if (C) C->SelectedByMouse = true;
  SetSelectedControl(C);
  // A hovered sub item opens (after its delay in menus).
  if (auto* sub = dynamic_cast<TdxBarSubItemControl*>(C); sub && IsLiveBarControl(this) && selectedControl_ == C) {
    sub->OpenedByMouse = true;
    sub->EnterActive(false);
  }
}

void TCustomdxBarControl::SetSelectedControl(TdxBarItemControl* C) {
  if (selectedControl_ == C) return;
  // A selection in another window closes the quick-customizing window soon.
  if (TdxBarQuickControl* q = TdxBarQuickControl::Current(); q && C && q != this && !q->Active()) q->ScheduleClose();
  TdxBarItemControl* old = selectedControl_;
  selectedControl_ = C;
  manager_->SetSelectedItemControl(C);
  if (!IsLiveBarControl(this)) return;
  RepaintSelection(old);
  POINT p;
  GetCursorPos(&p);
  lastMousePos_ = Point(p.x, p.y);
  if (!C) SetCursor(crDefault);
  std::string hint;
  if (C && (C->ItemEnabled() || manager_->ShowHintForDisabledItems())) {
    hint = C->GetHint();
    size_t bar = hint.find('|');
    if (bar != std::string::npos) hint = hint.substr(bar + 1);
  }
  SetHint(hint);
  manager_->UpdateHint(true);
}

void TCustomdxBarControl::CloseChain() {
  SetActive(false);
  if (IsLiveBarControl(this) && parentWindow_) parentWindow_->CloseChain();
}

void TCustomdxBarControl::DoubleClickItem(TdxBarItemControl* C) {
  if (manager_->Designing()) return;
  if (C && !C->DoubleClickExpands()) C->DoubleClick();
}

void TCustomdxBarControl::DrawCustomizingFrame(TdxBarItemControl* C) {
  if (!InCustomizing() || !C || manager_->SelectedItemControl() != C || selectedControl_ != C) return;
  HDC dc = Canvas()->Handle();
  TRect r = C->Link()->ItemRect;
  HBRUSH b = GetSysColorBrush(COLOR_WINDOWTEXT);
  FrameRect(dc, r.AsRECT(), b);
  TRect inner = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  FrameRect(dc, inner.AsRECT(), b);
}

// --- Messages ---------------------------------------------------------------------------------
namespace {
bool InOpenChain(TCustomdxBarControl* W) {
  for (TCustomdxBarControl* p = activeTop; p; p = p->ParentBarWindow())
    if (p == W) return true;
  return false;
}
}  // namespace

void TCustomdxBarControl::WndProc(TMessage& M) {
  switch (M.Msg) {
    case WM_CTLCOLOREDIT:
      SetTextColor(reinterpret_cast<HDC>(M.WParam), GetSysColor(COLOR_WINDOWTEXT));
      SetBkColor(reinterpret_cast<HDC>(M.WParam), GetSysColor(COLOR_WINDOW));
      M.Result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      return;
    case WM_KILLFOCUS:
      TCustomControl::WndProc(M);
      if (M.WParam == 0) CloseChain();
      return;
    case WM_NCACTIVATE:
      if (M.WParam && !manager_->IsCustomizing() && GetParent(Handle()))
        SendMessageW(GetParent(Handle()), WM_NCACTIVATE, 1, 0);
      M.WParam = 1;
      break;
    case WM_SETFOCUS: {
      // The focus stays while an in-place editor's view is selected.
      if (dynamic_cast<TdxBarWinControl*>(selectedControl_)) break;
      TCustomForm* f = manager_->OwnerForm();
      if (f && f->Visible() && f->HandleAllocated())
        ::SetFocus(f->Handle());
      else if (f && f->HandleAllocated())
        ::SetFocus(GetWindow(f->Handle(), GW_HWNDNEXT));
      return;
    }
    default:
      break;
  }
  if (activeTop && !InOpenChain(this) &&
      ((M.Msg >= WM_MOUSEMOVE && M.Msg <= WM_MOUSEWHEEL) || (M.Msg >= WM_NCMOUSEMOVE && M.Msg <= WM_NCMBUTTONDBLCLK)))
    return;
  TCustomControl::WndProc(M);
  if (M.Msg == WM_COMMAND && M.Result == 0 && HIWORD(M.WParam) == EN_CHANGE && M.LParam)
    SendMessageW(reinterpret_cast<HWND>(M.LParam), WM_COMMAND, M.WParam, M.LParam);
}

void TCustomdxBarControl::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_CAPTURECHANGED: WMCaptureChangedBar(M); return;
    case WM_DESTROY:
      if (HandleAllocated()) EndMouseLeaveTracking(Handle());
      SetMarkState(0);
      TCustomControl::Dispatch(M);
      return;
    case WM_ERASEBKGND: {
      if (!itemLinks_ || itemLinks_->VisibleLinks().empty()) {
        TRect r = ClientRect();
        FillRect(reinterpret_cast<HDC>(M.WParam), r.AsRECT(), BackgroundBrush());
      }
      M.Result = 1;
      return;
    }
    case WM_KEYDOWN: WMKeyDownBar(M); return;
    case WM_LBUTTONDOWN: WMLButtonDownBar(M); return;
    case WM_LBUTTONUP: WMLButtonUpBar(M); return;
    case WM_LBUTTONDBLCLK: WMLButtonDblClkBar(M); return;
    case WM_MOUSEMOVE: WMMouseMoveBar(M); return;
    case WM_RBUTTONDOWN: WMRButtonDownBar(M); return;
    case WM_MOUSEACTIVATE:
      M.Result = MA_NOACTIVATE;
      return;
    case WM_MOUSELEAVE: WMMouseLeaveBar(M); return;
    case WM_NCCALCSIZE:
      TCustomControl::Dispatch(M);
      if (HasShadow() && M.WParam) {
        auto* p = reinterpret_cast<NCCALCSIZE_PARAMS*>(M.LParam);
        p->rgrc[0].right -= 2;
        p->rgrc[0].bottom -= 2;
      } else if (HasShadow()) {
        auto* r = reinterpret_cast<RECT*>(M.LParam);
        r->right -= 2;
        r->bottom -= 2;
      }
      return;
    case WM_NCHITTEST:
      TCustomControl::Dispatch(M);
      if (LeavesClientArea(M.Result) && HandleAllocated()) EndMouseLeaveTracking(Handle());
      return;
    case WM_NCPAINT:
      TCustomControl::Dispatch(M);
      if (HasShadow()) WMNCPaintShadow(M);
      return;
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(M.WParam) == Handle() && LOWORD(M.LParam) == HTCLIENT) {
        ::SetCursor(LoadCursorW(nullptr, Cursor() == crIBeam ? IDC_IBEAM : IDC_ARROW));
        M.Result = 1;
        return;
      }
      break;
    case WM_SIZE:
      TCustomControl::Dispatch(M);
      if (HasShadow() && !regionLocked_) UpdateShadowRegion();
      return;
    case WM_DXBAR_REBUILDLAYOUT:
      RebuildLayout();
      return;
    default:
      break;
  }
  TCustomControl::Dispatch(M);
}

void TCustomdxBarControl::WMNCPaintShadow(TMessage&) {
  RECT wr;
  GetWindowRect(Handle(), &wr);
  TRect r = Rect(0, 0, wr.right - wr.left - 2, wr.bottom - wr.top - 2);
  HDC dc = GetWindowDC(Handle());
  RECT a{r.Right, r.Top + 2, r.Right + 2, r.Bottom + 2};
  RECT b{r.Left + 2, r.Bottom, r.Right, r.Bottom + 2};
  FillRect(dc, &a, manager_->ShadowBrush());
  FillRect(dc, &b, manager_->ShadowBrush());
  ReleaseDC(Handle(), dc);
}

void TCustomdxBarControl::UpdateShadowRegion() {
  if (!HandleAllocated()) return;
  Integer w = Width(), h = Height();
  HRGN rgn = CreateRectRgn(0, 0, w, h);
  HRGN a = CreateRectRgn(w - 2, 0, w, 2), b = CreateRectRgn(0, h - 2, 2, h);
  CombineRgn(rgn, rgn, a, RGN_DIFF);
  CombineRgn(rgn, rgn, b, RGN_DIFF);
  DeleteObject(a);
  DeleteObject(b);
  SetWindowRgn(Handle(), rgn, TRUE);
}

// --- Routing ------------------------------------------------------------------------------------
void TCustomdxBarControl::WMKeyDownBar(TMessage& M) {
  TCustomControl::Dispatch(M);
  if (!activeTop) return;
  Word key = static_cast<Word>(M.WParam);
  if (IsMenuWindow()) {
    if (key == VK_LEFT || key == VK_RIGHT) return;
    if (key == VK_UP) key = VK_LEFT;
    else if (key == VK_DOWN) key = VK_RIGHT;
  }
  bool wasTab = key == VK_TAB;
  if (key == VK_TAB) key = GetKeyState(VK_SHIFT) < 0 ? VK_LEFT : VK_RIGHT;
  TdxBarItemLink* selLink = selectedControl_ ? selectedControl_->Link() : nullptr;
  switch (key) {
    case VK_LEFT:
    case VK_RIGHT: {
      TdxBarItemLink* l = key == VK_LEFT ? (selLink ? itemLinks_->PrevSelectable(selLink) : itemLinks_->LastSelectable())
                                         : (selLink ? itemLinks_->NextSelectable(selLink) : itemLinks_->FirstSelectable());
      if (l) {
        SelectItem(l->Control());
        if (wasTab && l->Control() && l->Control()->HasEditWindow) l->Control()->PerformClick(false);
      }
      return;
    }
    case VK_HOME:
      if (TdxBarItemLink* l = itemLinks_->FirstSelectable()) SelectItem(l->Control());
      return;
    case VK_END:
      if (TdxBarItemLink* l = itemLinks_->LastSelectable()) SelectItem(l->Control());
      return;
    case VK_MENU:
      M.WParam = 0;
      CloseChain();
      return;
    case VK_F10:
      if (manager_->UseF10ForMenu()) {
        M.WParam = 0;
        CloseChain();
      }
      return;
    default:
      break;
  }
  UINT ch = MapVirtualKeyW(key, MAPVK_VK_TO_CHAR) & 0xFFFF;
  if (!((ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9'))) return;
  TShiftState shift = KeyboardStateToShiftState();
  TdxBarItemLink* first = itemLinks_->FindByAccelerator(key, shift, selLink);
  if (!first || !first->Item() || !first->Item()->ReadEnabled()) return;
  bool unique = true;
  TdxBarItemLink* next = itemLinks_->FindByAccelerator(key, shift, first);
  if (next && next != first) unique = false;
  SelectItem(first->Control());
  if (unique && IsLiveBarControl(this)) SendMessageW(Handle(), WM_KEYDOWN, VK_RETURN, 0);
}

void TCustomdxBarControl::WMLButtonDownBar(TMessage& M) {
  if (ignoreNextButtonUp_ || !itemLinks_ || itemLinks_->ShownLinks().empty()) return;
  TCustomControl::Dispatch(M);
  TPoint p = MessagePoint(M.LParam);
  TRect client = ClientRect();
  bool inClient = p.X >= client.Left && p.X < client.Right && p.Y >= client.Top && p.Y < client.Bottom;
  TdxBarItemControl* c = inClient ? ItemControlAtPoint(p) : nullptr;
  if (InCustomizing()) {
    if (c && !c->SameManager()) return;
    if (c || !inClient) {
      if (c && c == selectedControl_) {
        if (c->Active) c->LeaveActive(true); else c->EnterActive(true);
        manager_->SetSelectedItemControl(c);
        c->RedrawView();
      }
      HotTrackTo(c);
    }
    if (c) {
      dragStartX_ = p.X;
      dragStartY_ = p.Y;
      dragPending_ = true;
      manager_->PendingDragItem = c->Item();
      manager_->PendingDragLink = c->Link();
      manager_->PendingDragPoint = ClientToScreen(p);
      SetCapture(Handle());
    }
    return;
  }
  if (!c || !c->ItemEnabled() || !c->Selectable()) return;
  SelectItem(c);
  c->PrepareClick(true);
  if (!IsLiveBarControl(this) || !OwnsItemControl(c)) return;
  if (IsToolbarWindow() && selectedControl_ && selectedControl_->CapturesMouse()) {
    pressedControl_ = c;
    pressedUnderMouse_ = true;
    SetCapture(Handle());
    c->RedrawView();
  }
  if (c->HasEditWindow && IsLiveBarControl(this) && OwnsItemControl(c))
    ForwardMouseToEditWindow(c, WM_LBUTTONDOWN, M.WParam, p, true);
}

void TCustomdxBarControl::WMLButtonUpBar(TMessage& M) {
  if (ignoreNextButtonUp_) {
    ignoreNextButtonUp_ = false;
    return;
  }
  TCustomControl::Dispatch(M);
  if (dragPending_) {
    dragPending_ = false;
    ReleaseCapture();
  }
  bool hadPressed = pressedControl_ != nullptr;
  TdxBarItemControl* pressed = pressedControl_;
  if (hadPressed) {
    pressedControl_ = nullptr;
    ReleaseCapture();
    if (IsLiveBarControl(this) && OwnsItemControl(pressed)) pressed->RedrawView();
  }
  if (!IsLiveBarControl(this)) return;
  TPoint p = MessagePoint(M.LParam);
  TRect client = ClientRect();
  bool inClient = p.X >= client.Left && p.X < client.Right && p.Y >= client.Top && p.Y < client.Bottom;
  // A press on a toolbar button clicks it on release, menu mode or not.
  if (inClient && (active_ || hadPressed) && !InCustomizing()) {
    TdxBarItemControl* c = ItemControlAtPoint(p);
    if (c && c->Selectable()) {
      if (c->ItemEnabled() && c == selectedControl_ && (!hadPressed || c == pressed)) {
        ForwardMouseToEditWindow(c, WM_LBUTTONUP, M.WParam, p, false);
        if (!IsLiveBarControl(this) || !OwnsItemControl(c)) return;
        c->ExecuteClick(true);
      } else if (!c->ItemEnabled() && c != selectedControl_ && IsToolbarWindow()) {
        auto* b = dynamic_cast<TdxBarButtonControl*>(selectedControl_);
        if (!(b && b->DropDownOpen)) CloseChain();
      }
    }
  }
  if (hadPressed && IsLiveBarControl(this)) CloseChain();
}

void TCustomdxBarControl::WMLButtonDblClkBar(TMessage& M) {
  TCustomControl::Dispatch(M);
  TPoint p = MessagePoint(M.LParam);
  TdxBarItemControl* c = ItemControlAtPoint(p);
  if (!c || c != selectedControl_) return;
  ForwardMouseToEditWindow(c, WM_LBUTTONDBLCLK, M.WParam, p, true);
  if (!IsLiveBarControl(this) || !OwnsItemControl(c)) return;
  if (c->OpensItemEditorOnDoubleClick())
    DoubleClickItem(c);
  else
    SendMessageW(Handle(), WM_LBUTTONDOWN, M.WParam, M.LParam);
}

void TCustomdxBarControl::WMMouseMoveBar(TMessage& M) {
  if (paintLocked_) return;
  TPoint p = MessagePoint(M.LParam);
  if (pressedControl_) {
    bool under = ItemControlAtPoint(p) == pressedControl_;
    if (under != pressedUnderMouse_) {
      pressedUnderMouse_ = under;
      pressedControl_->RedrawView();
    }
  }
  if (dragPending_) {
    Integer w = GetSystemMetrics(SM_CXDRAG), h = GetSystemMetrics(SM_CYDRAG);
    TRect r = Bounds(dragStartX_ - w / 2, dragStartY_ - h / 2, w, h);
    if (p.X < r.Left || p.X >= r.Right || p.Y < r.Top || p.Y >= r.Bottom) {
      dragPending_ = false;
      ReleaseCapture();
      TdxBarItem* item = manager_->PendingDragItem;
      TdxBarItemLink* link = manager_->PendingDragLink;
      if (link && link->Control() && link->Control()->Active) link->Control()->LeaveActive(true);
      if (item) manager_->DragItem(item, link);
    }
    return;
  }
  TRect client = ClientRect();
  if (p.X < client.Left || p.X >= client.Right || p.Y < client.Top || p.Y >= client.Bottom) return;
  TCustomControl::Dispatch(M);
  if (MouseUnmoved(p)) return;
  lastMousePos_ = ClientToScreen(p);
  TdxBarItemControl* c = ItemControlAtPoint(p);
  // An editor in use keeps the selection where it is.
  bool editing = IsEditingView(manager_->SelectedItemControl());
  if (!activeTop || activeTop == this)
    SetCursor(c && c->HasEditWindow && PointInEditRect(c, p) && (!editing || c == manager_->SelectedItemControl())
                  ? crIBeam
                  : crDefault);
  if (editing) return;
  if (!IsMouseLeaveTracked(Handle())) BeginMouseLeaveTracking(Handle());
  if (c && !c->Selectable()) c = nullptr;
  if ((IsToolbarWindow() && active_ && !c) || pressedControl_) return;
  HotTrackTo(c);
}

void TCustomdxBarControl::WMRButtonDownBar(TMessage& M) {
  TCustomControl::Dispatch(M);
  if (!InCustomizing()) return;
  if (selectedControl_ && selectedControl_->Active) selectedControl_->LeaveActive(true);
  TPoint p = MessagePoint(M.LParam);
  TRect client = ClientRect();
  if (p.X < client.Left || p.X >= client.Right || p.Y < client.Top || p.Y >= client.Bottom) return;
  TdxBarItemControl* c = ItemControlAtPoint(p);
  if (!c) return;
  if (c == selectedControl_) {
    manager_->SetSelectedItemControl(c);
    c->RedrawView();
  }
  SelectItem(c);
  if (IsLiveBarControl(this) && OwnsItemControl(c)) ShowCustomizingPopup(c, ClientToScreen(p));
}

void TCustomdxBarControl::WMMouseLeaveBar(TMessage& M) {
  if (markState_ == 1) SetMarkState(0);
  TCustomControl::Dispatch(M);
  if (childWindow_ || InCustomizing()) return;
  auto* b = dynamic_cast<TdxBarButtonControl*>(selectedControl_);
  if (b && b->DropDownOpen) return;
  // The mouse entering the in-place editor leaves the bar window's client
  // area; the editor keeps its view.
  if (IsEditingView(selectedControl_)) return;
  if (pressedControl_) return;
  HotTrackTo(nullptr);
  manager_->UpdateHint(false);
}

void TCustomdxBarControl::WMCaptureChangedBar(TMessage& M) {
  TCustomControl::Dispatch(M);
  if (dragPending_) {
    dragPending_ = false;
    manager_->PendingDragItem = nullptr;
    manager_->PendingDragLink = nullptr;
  }
  pressedControl_ = nullptr;
}
