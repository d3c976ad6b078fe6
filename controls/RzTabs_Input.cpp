// Tab control input: the selection writer, hit testing, clicks, hot tracking
// with its timer and tab hints, keys and accelerators, scrolling a single-line
// strip, dragging a tab with an arrow marker, and the close request.
#include <algorithm>

#include "controls/RzTabs.h"
#include "platform/Forms.h"
#include "platform/SysUtils.h"

namespace {

constexpr UINT_PTR kHotTimerId = 1;
constexpr UINT kHotTimerMs = 60;

bool PtIn(const TRect& R, Integer X, Integer Y) {  // inclusive rectangle
  return X >= R.Left && X <= R.Right && Y >= R.Top && Y <= R.Bottom;
}

}  // namespace

// ---------------------------------------------------------------------------
// Selection.
bool TRzCustomTabControl::CanSelectTab(Integer I) {
  if (tabs_->Count() == 0 || I < 0 || I >= tabs_->Count()) return false;
  TRzTabData* t = tabs_->Items(I);
  if (!t->Visible || !t->Enabled) return false;
  if (I == tabIndex_) return true;
  bool allow = true;
  DoChanging(I, allow);
  return allow;
}

void TRzCustomTabControl::SetTabIndex(Integer Value) {
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csReading)) {
    tabIndex_ = Value;
    return;
  }
  if (Value < 0 || Value >= tabs_->Count()) {
    tabIndex_ = -1;
    FullRepaint();
    if (showCloseButton_ && closeButton_) closeButton_->Invalidate();
    return;
  }
  Integer old = tabIndex_;
  bool allowed = Value == old || selectionGuard_ || CanSelectTab(Value);
  bool scrolled = false;
  if (allowed) {
    tabIndex_ = Value;
    // The scroll state must be current before the selected tab is brought into view.
    if (layoutDirty_ && !multiLine_) UpdateLayout();
    if (!scrollerNeeded_) {
      if (multiLine_ && !layoutDirty_) RotateRows();
    } else if (Value < firstShown_) {
      firstShown_ = Value;
      scrolled = true;
    } else {
      while (firstShown_ < Value && !IsTabShown(Value)) {
        ++firstShown_;
        scrolled = true;
      }
    }
  }
  if (scrolled || tabIndex_ != old) {
    FullRepaint();
    if (scroller_) scroller_->Invalidate();
    if (tabIndex_ != old) NotifyChange();
  }
  if (showCloseButton_ && closeButton_) closeButton_->Invalidate();
}

void TRzCustomTabControl::DoTabClick() {
  if (OnTabClick) OnTabClick(this);
}

bool TRzCustomTabControl::QueryClose() {
  bool allowClose = false;
  if (OnClose) OnClose(this, allowClose);
  return allowClose;
}

void TRzCustomTabControl::CloseRequested() {
  if (tabIndex_ != -1 && QueryClose()) CloseActiveTab();
}

// ---------------------------------------------------------------------------
// Hit testing: the selected tab lies over the others; then every shown tab
// from the first shown one round to it again.
Integer TRzCustomTabControl::TabAtPos(Integer X, Integer Y) {
  UpdateLayout();
  Integer n = tabs_->Count();
  if (n == 0 || firstShown_ < 0 || firstShown_ >= n) return -1;
  auto hit = [&](Integer i) {
    if (!IsTabShown(i)) return false;
    TRect r = TabRectToClient(TabRect(i));
    if (!PtIn(r, X, Y)) return false;
    HRGN region = TabRegion(i, r);
    return region && ::PtInRegion(region, X, Y);
  };
  if (tabIndex_ >= 0 && tabIndex_ < n && hit(tabIndex_)) return tabIndex_;
  Integer i = firstShown_;
  do {
    if (i != tabIndex_ && hit(i)) return i;
    i = i + 1 >= n ? 0 : i + 1;
  } while (i != firstShown_);
  return -1;
}

// ---------------------------------------------------------------------------
// Mouse.
void TRzCustomTabControl::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  Integer i = TabAtPos(X, Y);
  if (i < 0 || !tabs_->Items(i)->Enabled) return;
  if (i == tabIndex_ && TabStop()) {
    if (CanFocus()) SetFocus();
    if (!Focused()) return;
  }
  SetTabIndex(i);
  if (tabIndex_ == i) DoTabClick();
}

void TRzCustomTabControl::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (hotTrack_ || tabHints_) {
    Integer i = TabAtPos(X, Y);
    TRect strip = TabStripRect();
    bool inStrip = PtIn(strip, X, Y);
    if (i < 0) {
      if (tabHints_ && (hotTab_ != -1 || inStrip)) Application->CancelHint();
      if (hotTab_ != -1 || hotTimer_ != 0) ClearHotTab();
      if (tabHints_ && inStrip) {
        if (!hintReplaced_) {
          savedHint_ = Hint();
          hintReplaced_ = true;
        }
        SetHint("");
      }
    } else if (i != hotTab_) {
      hotTab_ = i;
      if (hotTrack_ && HandleAllocated()) {
        hotOnlyRepaint_ = true;
        RECT r{strip.Left, strip.Top, strip.Right + 1, strip.Bottom + 1};
        ::InvalidateRect(Handle(), &r, FALSE);
      }
      if (tabHints_) {
        Application->CancelHint();
        const std::string& tip = tabs_->Items(i)->Hint;
        if (!tip.empty()) {
          if (!hintReplaced_) {
            savedHint_ = Hint();
            hintReplaced_ = true;
          }
          SetHint(tip);
        }
      }
      if (hotTimer_ == 0 && HandleAllocated()) hotTimer_ = ::SetTimer(Handle(), kHotTimerId, kHotTimerMs, nullptr);
    }
  }
  TCustomControl::MouseMove(Shift, X, Y);
  if (allowTabDragging_ && Shift.Contains(ssLeft) && TabAtPos(X, Y) >= 0 && !Dragging()) BeginDrag(false);
}

void TRzCustomTabControl::StopHotTimer() {
  if (hotTimer_ != 0 && HandleAllocated()) ::KillTimer(Handle(), hotTimer_);
  hotTimer_ = 0;
}

void TRzCustomTabControl::ClearHotTab() {
  StopHotTimer();
  hotTab_ = -1;
  if (HandleAllocated()) {
    TRect strip = TabStripRect();
    RECT r{strip.Left, strip.Top, strip.Right + 1, strip.Bottom + 1};
    ::InvalidateRect(Handle(), &r, FALSE);
  }
  // Only a hint the tabs replaced is put back; one set since stays.
  if (hintReplaced_) {
    SetHint(savedHint_);
    hintReplaced_ = false;
  }
}

// ---------------------------------------------------------------------------
// Keys.
void TRzCustomTabControl::KeyDown(Word& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  Integer n = tabs_->Count();
  if (n == 0) return;
  Integer result = tabIndex_;
  switch (Key) {
    case VK_HOME:
    case VK_END: {
      bool home = Key == VK_HOME;
      for (Integer i = home ? 0 : n - 1; i >= 0 && i < n && i != tabIndex_; i += home ? 1 : -1)
        if (CanSelectTab(i)) {
          result = i;
          break;
        }
      break;
    }
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: {
      bool ahead = Key == VK_RIGHT || Key == VK_DOWN;
      if (tabSequence_ == tsReverse) ahead = !ahead;
      Integer i = tabIndex_;
      // At most one round, also when nothing was selected to come back to.
      for (Integer step = 0; step < n; ++step) {
        i = ahead ? (i + 1 >= n ? 0 : i + 1) : (i <= 0 ? n - 1 : i - 1);
        if (i == tabIndex_) break;
        if (CanSelectTab(i)) {
          result = i;
          break;
        }
      }
      break;
    }
    default: return;
  }
  if (result == tabIndex_) return;
  SetTabIndexGuarded(result);
  DoTabClick();
}

void TRzCustomTabControl::SetTabIndexGuarded(Integer Value) {
  bool saved = selectionGuard_;
  selectionGuard_ = true;
  try {
    SetTabIndex(Value);
  } catch (...) {
    selectionGuard_ = saved;
    throw;
  }
  selectionGuard_ = saved;
}

void TRzCustomTabControl::CMDialogChar(TMessage& Message) {
  if (CanFocus()) {
    for (Integer i = 0; i < tabs_->Count(); ++i) {
      TRzTabData* t = tabs_->Items(i);
      if (!t->Enabled || !t->Visible || !IsAccel(static_cast<Word>(Message.WParam), t->Caption)) continue;
      Message.Result = 1;
      SetFocus();
      if (Focused()) {
        SetTabIndex(i);
        if (tabIndex_ == i) DoTabClick();
      }
      return;
    }
  }
  TCustomControl::CMDialogChar(Message);
}

void TRzCustomTabControl::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE: Message.Result = DLGC_WANTARROWS; return;
    case WM_TIMER:
      if (hotTimer_ != 0 && Message.WParam == hotTimer_) {
        POINT p;
        ::GetCursorPos(&p);
        TPoint c = ScreenToClient(Point(p.x, p.y));
        if (TabAtPos(c.X, c.Y) < 0) ClearHotTab();
        return;
      }
      break;
    default: break;
  }
  TCustomControl::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// Scrolling.
bool TRzCustomTabControl::UpRightScrollsForward() const {
  return (tabOrientation_ != toRight) == (tabSequence_ == tsStandard);
}

void TRzCustomTabControl::ScrollUpRight() { ScrollTabs(UpRightScrollsForward()); }
void TRzCustomTabControl::ScrollDownLeft() { ScrollTabs(!UpRightScrollsForward()); }

void TRzCustomTabControl::ScrollTabs(bool Forward) {
  UpdateLayout();
  Integer n = tabs_->Count();
  if (n == 0) return;
  Integer old = firstShown_;
  if (Forward) {
    if (firstShown_ >= n - 1 || IsTabShown(LastVisibleTab())) return;
    do ++firstShown_;
    while (firstShown_ < n && !IsTabShown(firstShown_));
    if (firstShown_ >= n) {
      firstShown_ = old;
      return;
    }
  } else {
    if (firstShown_ <= 0 || IsTabShown(FirstVisibleTab())) return;
    do --firstShown_;
    while (firstShown_ >= 0 && !IsTabShown(firstShown_));
    if (firstShown_ < 0) {
      firstShown_ = old;
      return;
    }
  }
  FullRepaint();
  if (scroller_) scroller_->Invalidate();
}

// ---------------------------------------------------------------------------
// Dragging a tab.
TRect TRzCustomTabControl::DragMarkerRectFor(Integer Target) {
  TRect r = TabRectToClient(TabRect(Target));
  Integer b = fixedDimension_, h = b / 2;
  bool before = tabSequence_ == tsStandard ? Target < tabIndex_ : Target > tabIndex_;
  bool slant = tabStyle_ == tsSingleSlant || tabStyle_ == tsDoubleSlant;
  bool dbl = tabStyle_ == tsDoubleSlant;
  TRect m{0, 0, 0, 0};
  auto along = [&](Integer& A, Integer& B, Integer Lo, Integer Hi, Integer Shift) {
    A = Lo + Shift;
    B = Hi + Shift;
  };
  switch (tabOrientation_) {
    case toTop:
    case toBottom:
      if (tabOrientation_ == toTop)
        m.Top = r.Top - 2, m.Bottom = r.Top + 6;
      else
        m.Top = r.Bottom - 6, m.Bottom = r.Bottom + 2;
      if (before)
        along(m.Left, m.Right, r.Left - 8, r.Left + 7, dbl ? h : 0);
      else
        along(m.Left, m.Right, r.Right - 7, r.Right + 8, slant ? -h : 1);
      break;
    case toLeft:
      m.Left = r.Left - 2, m.Right = r.Left + 6;
      if (before)
        along(m.Top, m.Bottom, r.Bottom - 7, r.Bottom + 8, dbl ? -h : (slant ? 0 : 1));
      else
        along(m.Top, m.Bottom, r.Top - 8, r.Top + 7, slant ? h : 0);
      break;
    case toRight:
      m.Left = r.Right - 5, m.Right = r.Right + 3;
      if (before)
        along(m.Top, m.Bottom, r.Top - 8, r.Top + 7, dbl ? h + 1 : 0);
      else
        along(m.Top, m.Bottom, r.Bottom - 7, r.Bottom + 8, slant ? -h : 1);
      break;
  }
  return m;
}

// Exclusive-or onto the screen: drawing the same marker twice removes it.
void TRzCustomTabControl::DrawDragMarker(const TRect& ARect) {
  Integer w = ARect.Right - ARect.Left, h = ARect.Bottom - ARect.Top;
  if (w <= 0 || h <= 0) return;
  TBitmap arrow;
  arrow.SetPixelFormat(pf24bit);
  arrow.SetSize(w, h);
  TCanvas* c = arrow.Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clBtnShadow);
  c->FillRect(Rect(0, 0, w, h));
  std::vector<POINT> a, b;
  switch (tabOrientation_) {
    case toTop: a = {{0, 0}, {8, 8}, {0, 8}}, b = {{7, 8}, {15, 0}, {15, 8}}; break;
    case toLeft: a = {{1, 0}, {8, 0}, {8, 8}}, b = {{-1, 15}, {8, 7}, {8, 15}}; break;
    case toBottom: a = {{-1, 8}, {-1, -1}, {8, -1}}, b = {{7, -1}, {15, 0}, {15, 8}}; break;
    case toRight: a = {{0, 0}, {7, 0}, {0, 7}}, b = {{0, 7}, {8, 15}, {0, 15}}; break;
  }
  HDC dc = c->Handle();
  HGDIOBJ oldPen = ::SelectObject(dc, ::GetStockObject(NULL_PEN));
  HGDIOBJ oldBrush = ::SelectObject(dc, ::GetStockObject(BLACK_BRUSH));
  // A null pen leaves out the right and bottom edge; one pixel more covers it.
  for (auto* tri : {&a, &b}) {
    ::Polygon(dc, tri->data(), 3);
    ::SelectObject(dc, ::GetStockObject(BLACK_PEN));
    ::Polygon(dc, tri->data(), 3);
    ::SelectObject(dc, ::GetStockObject(NULL_PEN));
  }
  ::SelectObject(dc, oldPen);
  ::SelectObject(dc, oldBrush);
  TPoint s = ClientToScreen(Point(ARect.Left, ARect.Top));
  HDC screen = ::GetDC(nullptr);
  ::BitBlt(screen, s.X, s.Y, w, h, dc, 0, 0, SRCINVERT);
  ::ReleaseDC(nullptr, screen);
}

void TRzCustomTabControl::DragOver(TObject* Source, Integer X, Integer Y, TDragState State, bool& Accept) {
  TCustomControl::DragOver(Source, X, Y, State, Accept);
  Integer i = TabAtPos(X, Y);
  Accept = i != -1 && i != tabIndex_;
  if (i != dragTarget_) {
    dragTarget_ = i;
    if (markerShown_) DrawDragMarker(markerRect_);
    markerShown_ = false;
    if (Accept) {
      markerRect_ = DragMarkerRectFor(i);
      DrawDragMarker(markerRect_);
      markerShown_ = true;
    }
  }
  if (State == dsDragLeave && markerShown_) {
    DrawDragMarker(markerRect_);
    markerShown_ = false;
    dragTarget_ = -1;
  }
}

void TRzCustomTabControl::DragDrop(TObject* Source, Integer X, Integer Y) {
  TCustomControl::DragDrop(Source, X, Y);
  if (markerShown_) DrawDragMarker(markerRect_);
  markerShown_ = false;
  dragTarget_ = -1;
  Integer i = TabAtPos(X, Y);
  if (i >= 0) MoveActiveTab(i);
}

// ---------------------------------------------------------------------------
// The two child buttons.
void TRzCustomTabControl::EnsureScroller() {
  if (scroller_) return;
  scroller_ = new TRzTabScroller(this);
  scroller_->SetParent(this);
  scroller_->SetFrameColor(OutlineColor());
  scroller_->OnUpRightClick = [this](TObject*) { ScrollUpRight(); };
  scroller_->OnDownLeftClick = [this](TObject*) { ScrollDownLeft(); };
}

void TRzCustomTabControl::EnsureCloseButton() {
  if (closeButton_) return;
  closeButton_ = new TRzTabCloseButton(this);
  closeButton_->SetVisible(showCloseButton_);
  closeButton_->SetParent(this);
  closeButton_->SetFrameColor(OutlineColor());
  closeButton_->OnClose = [this](TObject*) { CloseRequested(); };
}

void TRzCustomTabControl::PushFrameColor() {
  if (scroller_) scroller_->SetFrameColor(OutlineColor());
  if (closeButton_) closeButton_->SetFrameColor(OutlineColor());
}

void TRzCustomTabControl::PlaceButtons() {
  if (ComponentState().Contains(csLoading) || ComponentState().Contains(csDestroying)) return;
  if (scrollerNeeded_) EnsureScroller();
  if (scroller_) {
    scroller_->SetOrientation(SideStrip() ? orVertical : orHorizontal);
    TRect r = ScrollerRect();
    scroller_->SetBounds(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
  }
  if (closeButton_) {
    TRect r = CloseButtonRect();
    bool show = showCloseButton_ && r.Right > r.Left;
    if (show) closeButton_->SetBounds(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
    closeButton_->SetVisible(show);
  }
}
