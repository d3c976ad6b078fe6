// Input of the drop-down menu window: keys beyond the bar window base,
// the mouse over the scroll bands and the expand mark, auto-scrolling of
// menus taller than the screen, keeping the selection in view, and the
// expansion from recently used items to all items (by key, click or time).
#include <algorithm>

#include "bars/dxBar.h"

namespace {
bool PtIn(const TRect& R, TPoint P) {
  return R.Width() > 0 && R.Height() > 0 && P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom;
}
constexpr UINT_PTR ScrollTimerId = 1, MarkHotTimerId = 2, MarkExpandTimerId = 3;
}  // namespace

// --- Keys ------------------------------------------------------------------------------------------
void TdxBarSubMenuControl::WMKeyDownBar(TMessage& M) {
  WaitForAnimation();
  if (!IsLiveBarControl(this) || closing_) return;
  Word key = static_cast<Word>(M.WParam);
  bool ctrl = GetKeyState(VK_CONTROL) < 0, shift = GetKeyState(VK_SHIFT) < 0, alt = GetKeyState(VK_MENU) < 0;
  if (HasMark() && (key == VK_DOWN || key == VK_TAB)) {
    if (key == VK_DOWN && ctrl && !shift && !alt) {
      SetMarkState(2);
      return;
    }
    if (!ctrl && !shift && !alt && itemLinks_) {
      const auto& shown = itemLinks_->ShownLinks();
      if (selectedControl_ && !shown.empty() && selectedControl_->Link() == shown.back()) {
        SetMarkState(2);
        // The same key again, now that the rows below it are shown.
        if (IsLiveBarControl(this) && HandleAllocated()) SendMessageW(Handle(), WM_KEYDOWN, key, 1);
        return;
      }
    }
  }
  if (ActiveBarControl() && ForwardKeyToSelected(key)) return;
  TCustomdxBarControl::WMKeyDownBar(M);
  if (!IsLiveBarControl(this) || closing_ || !ActiveBarControl()) return;
  switch (key) {
    case VK_RETURN:
      if (selectedControl_) selectedControl_->PerformClick(false);
      break;
    case VK_ESCAPE:
      if (parentWindow_ && IsLiveBarControl(parentWindow_) && parentWindow_->SelectedControl()) {
        if (auto* tb = dynamic_cast<TdxBarControl*>(parentWindow_)) tb->KeyboardDropDown = false;
        parentWindow_->SelectedControl()->LeaveActive(true);
      } else {
        CloseMenu();
      }
      break;
    case VK_LEFT: {
      TCustomdxBarControl* target = parentWindow_ ? parentWindow_ : (ownerView_ ? ownerView_->Window() : nullptr);
      if (!target || !IsLiveBarControl(target) || !target->SelectedControl()) break;
      if (target->IsMenuWindow()) {
        target->SelectedControl()->LeaveActive(true);
      } else if (TCustomdxBarControl* root = RootToolbarWindow(this)) {
        if (root->HandleAllocated()) SendMessageW(root->Handle(), WM_KEYDOWN, VK_LEFT, 1);
      }
      break;
    }
    case VK_RIGHT:
      if (TCustomdxBarControl* root = RootToolbarWindow(this))
        if (root->HandleAllocated()) SendMessageW(root->Handle(), WM_KEYDOWN, VK_RIGHT, 1);
      break;
    default:
      break;
  }
}

// --- Mouse ---------------------------------------------------------------------------------------
void TdxBarSubMenuControl::WMLButtonDownBar(TMessage& M) {
  WaitForAnimation();
  if (!IsLiveBarControl(this) || closing_ || scrollTimer_) return;
  TPoint p = MessagePoint(M.LParam);
  TCustomdxBarControl::WMLButtonDownBar(M);
  if (!IsLiveBarControl(this) || closing_ || !HandleAllocated()) return;
  if (dragBarHot_) {
    DetachByDragBar();
    return;
  }
  if (HasMark() && PtIn(MarkRect(), p)) {
    if (markState_ == 1 || markState_ == 2) {
      SetMarkState(2);
    } else {
      SelectItem(nullptr);
      SetMarkState(1);
    }
  }
}

void TdxBarSubMenuControl::WMMouseMoveBar(TMessage& M) {
  TPoint p = MessagePoint(M.LParam);
  if (MouseUnmoved(p)) {
    if (Animating()) return;
  } else {
    WaitForAnimation();
    if (!IsLiveBarControl(this) || closing_) return;
  }
  POINT sp;
  GetCursorPos(&sp);
  if (parentSubItem_ && parentWindow_ && IsLiveBarControl(parentWindow_) && WindowFromPoint(sp) == Handle() &&
      parentWindow_->OwnsItemControl(parentSubItem_))
    parentWindow_->HotTrackTo(parentSubItem_);
  if (!IsLiveBarControl(this) || closing_) return;
  if (HasDragBar()) {
    RECT wr;
    GetWindowRect(Handle(), &wr);
    TRect d = DragBarRect();
    UpdateDragBarHot(PtIn(d, Point(sp.x - wr.left, sp.y - wr.top)));
  }
  if (HasMark()) SetMarkState(PtIn(MarkRect(), p) ? 1 : 0);
  if (!IsLiveBarControl(this) || closing_ || !HandleAllocated()) return;
  TPoint s = ClientToScreen(p);
  bool overBand = (topIndex_ > 0 && PtIn(UpBandRect(), p)) || (moreBelow_ && PtIn(DownBandRect(), p));
  if (overBand) {
    if (!scrollTimer_ && s != lastMousePos_) {
      if (selectedControl_ && manager_->SelectedItemControl() == selectedControl_) manager_->ClearSelectedItemControl();
      SelectItem(nullptr);
      if (!IsLiveBarControl(this) || !HandleAllocated()) return;
      scrollTimer_ = SetTimer(Handle(), ScrollTimerId, 80, nullptr);
    }
    lastMousePos_ = s;
    return;
  }
  if (scrollTimer_) KillTimer(Handle(), scrollTimer_);
  scrollTimer_ = 0;
  lastMousePos_ = Point(-1, -1);
  TCustomdxBarControl::WMMouseMoveBar(M);
}

void TdxBarSubMenuControl::WMMouseLeaveBar(TMessage& M) {
  UpdateDragBarHot(false);
  TCustomdxBarControl::WMMouseLeaveBar(M);
}

void TdxBarSubMenuControl::UpdateDragBarHot(bool Hot) {
  if (InCustomizing() || GetCapture() || dragBarHot_ == Hot || !HandleAllocated()) return;
  if (Hot) EndMouseLeaveTracking(Handle());
  dragBarHot_ = Hot;
  SetWindowPos(Handle(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  if (Hot) BeginMouseLeaveTracking(Handle());
}

void TdxBarSubMenuControl::OnScrollTimer() {
  POINT sp;
  GetCursorPos(&sp);
  TPoint p = ScreenToClient(Point(sp.x, sp.y));
  if (topIndex_ > 0 && PtIn(UpBandRect(), p)) {
    SetTopIndex(topIndex_ - 1);
    return;
  }
  if (moreBelow_ && PtIn(DownBandRect(), p)) {
    SetTopIndex(topIndex_ + 1);
    return;
  }
  if (scrollTimer_) KillTimer(Handle(), scrollTimer_);
  scrollTimer_ = 0;
  lastMousePos_ = Point(-1, -1);
  // Hot tracking resumes where the cursor is.
  SendMessageW(Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(p.X, p.Y));
}

// --- Selection, activation and the expand mark -------------------------------------------------
void TdxBarSubMenuControl::SetSelectedControl(TdxBarItemControl* C) {
  if (C == selectedControl_) return;
  bool usesRecent = itemLinks_ && itemLinks_->EffectiveUseRecentItems();
  if (markState_ == 0 && HandleAllocated() && !closing_) {
    if (markTimer_) KillTimer(Handle(), markTimer_);
    markTimer_ = 0;
    if (active_ && usesRecent && !MenusExpanded() && manager_->ShowFullMenusAfterDelay() && HasMark())
      markTimer_ = SetTimer(Handle(), MarkHotTimerId, 4000, nullptr);
  }
  if (C && C->Link() && itemLinks_ && HandleAllocated() && !closing_) {
    Integer a = C->Link()->ShownIndex();
    Integer before = topIndex_;
    if (a >= 0) {
      if (topIndex_ > 0 && a <= topIndex_) {
        topIndex_ = std::max<Integer>(a - 1, 0);
        LayoutRows();
      }
      if (moreBelow_ && a >= fittingRows_ + topIndex_ - 1) {
        while (topIndex_ < a && a >= topIndex_ + fittingRows_ - (moreBelow_ ? 1 : 0)) {
          ++topIndex_;
          LayoutRows();
        }
      }
    }
    if (topIndex_ != before && !Animate) Invalidate();
  }
  TCustomdxBarControl::SetSelectedControl(C);
}

void TdxBarSubMenuControl::SetActive(bool Value) {
  bool was = active_;
  TCustomdxBarControl::SetActive(Value);
  if (!IsLiveBarControl(this) || closing_ || !Value || was || !HandleAllocated()) return;
  if (itemLinks_ && itemLinks_->EffectiveUseRecentItems() && !MenusExpanded() && manager_->ShowFullMenusAfterDelay()) {
    if (markTimer_) KillTimer(Handle(), markTimer_);
    markTimer_ = SetTimer(Handle(), MarkExpandTimerId, 4000, nullptr);
  }
}

void TdxBarSubMenuControl::OnMarkTimer(UINT_PTR Id) {
  if (markTimer_) KillTimer(Handle(), markTimer_);
  markTimer_ = 0;
  if (Id == MarkHotTimerId) {
    if (!childWindow_) SetMarkState(1);
  } else {
    SetMarkState(2);
  }
}

void TdxBarSubMenuControl::SetMarkState(Byte S) {
  if (InCustomizing() || !itemLinks_ || !itemLinks_->EffectiveUseRecentItems() || !HandleAllocated() || closing_) {
    markState_ = 0;
    return;
  }
  if (S != markState_) {
    markState_ = S;
    if (S == 2) {
      Expand();
      return;
    }
    if (HasMark()) {
      TRect r = MarkRect();
      r.Top = r.Bottom - textRowHeight_;
      InvalidateRect(Handle(), r.AsRECT(), FALSE);
    }
  }
  if (manager_->ShowFullMenusAfterDelay()) {
    if (markTimer_) KillTimer(Handle(), markTimer_);
    markTimer_ = 0;
    POINT sp;
    GetCursorPos(&sp);
    if (markState_ == 1 && HasMark() && PtIn(MarkRect(), ScreenToClient(Point(sp.x, sp.y))))
      markTimer_ = SetTimer(Handle(), MarkExpandTimerId, 1000, nullptr);
  }
}

void TdxBarSubMenuControl::Expand() {
  if (!HasMark() || closing_) return;
  TdxBarItemLink* selected = selectedControl_ ? selectedControl_->Link() : nullptr;
  SetMenusExpanded(true);
  Animate = true;
  recreating_ = true;
  try {
    DestroyHandle();
  } catch (...) {
    recreating_ = false;
    throw;
  }
  recreating_ = false;
  SetBounds(savedLeft_, savedTop_, Width(), Height());
  ShowSubMenuWindow();
  // The keyboard goes on from the row it was on.
  if (IsLiveBarControl(this) && !closing_ && selected && selected->Links() == itemLinks_ && selected->Control())
    SelectItem(selected->Control());
}

// --- Detaching -------------------------------------------------------------------------------------
void TdxBarSubMenuControl::DetachByDragBar() {
  TdxBarSubItemControl* view = parentSubItem_;
  auto* sub = view ? view->SubItem() : nullptr;
  if (!sub) return;
  sub->DoDetaching();
  if (!IsLiveBarControl(this) || closing_) return;
  TdxBar* bar = sub->DetachingBarObject();
  TCustomdxBarControl* root = RootToolbarWindow(this);
  if (!HasDragBar() || !bar || (bar->Control() && bar->Control() == root)) return;
  TCustomdxBarControl* parent = parentWindow_;
  if (!parent || !IsLiveBarControl(parent) || !parent->HandleAllocated()) return;
  // Everything below runs on locals: the menu closes (and goes) on the way.
  RECT wr;
  GetWindowRect(Handle(), &wr);
  TRect d = DragBarRect();
  TRect area = Rect(wr.left + d.Left - 15, wr.top + d.Top - 15, wr.left + d.Right + 15, wr.top + d.Bottom + 15);
  TdxBarManager* manager = manager_;
  HWND capture = parent->Handle();
  manager->SubMenuDetaching = true;
  SetCapture(capture);
  bool dragging = false, dropped = false;
  POINT last{-1, -1};
  auto viewAlive = [&] { return IsLiveBarControl(parent) && parent->OwnsItemControl(view); };
  while (GetCapture() == capture) {
    MSG msg;
    if (!GetMessageW(&msg, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP) {
      if (msg.wParam == VK_ESCAPE) {
        if (dragging) bar->SetVisible(false);
        dragging = false;
        ReleaseCapture();
        if (viewAlive() && !sub->MenuWindow()) view->EnterActive(true);
        break;
      }
      continue;
    }
    if (msg.message == WM_MOUSEMOVE) {
      POINT c;
      GetCursorPos(&c);
      if (c.x == last.x && c.y == last.y) continue;
      last = c;
      bool inside = c.x >= area.Left && c.x < area.Right && c.y >= area.Top && c.y < area.Bottom;
      if (!dragging) {
        if (inside) continue;
        if (viewAlive()) view->LeaveActive(true);
        if (bar->DockingStyle() != dsNone) {
          bar->SetVisible(false);
          bar->SetDockingStyle(dsNone);
        }
        if (!bar->Visible()) {
          bar->SetFloatLeft(c.x - 100);
          bar->SetFloatTop(c.y - SmallCaptionHeight() / 2);
          bar->SetVisible(true);
        }
        dragging = true;
        if (GetCapture() != capture && IsLiveBarControl(parent)) SetCapture(capture);
        continue;
      }
      if (inside) {
        bar->SetVisible(false);
        dragging = false;
        ReleaseCapture();
        if (viewAlive()) view->EnterActive(true);
        break;
      }
      if (TdxBarControl* w = bar->Control())
        if (w->HandleAllocated())
          SetWindowPos(w->Handle(), nullptr, c.x - w->Width() / 2, c.y - SmallCaptionHeight() / 2, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      continue;
    }
    if (msg.message == WM_LBUTTONUP) {
      dropped = dragging;
      break;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (GetCapture() == capture) ReleaseCapture();
  manager->SubMenuDetaching = false;
  if (dropped) {
    if (TdxBarControl* w = bar->Control()) {
      RECT br;
      GetWindowRect(w->Handle(), &br);
      bar->SetFloatLeft(br.left);
      bar->SetFloatTop(br.top);
    }
    manager->CloseActiveMenus();
  } else if (dragging) {
    bar->SetVisible(false);
  }
}
