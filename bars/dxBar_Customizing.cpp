// Run-time customizing: switching the mode, the toolbar list entries, the
// drag of commands and links onto, between and off bars with its insertion
// mark, the customizing selection, and the designed layout read again from
// the owner form's resource (bar reset, usage-data reset).
#include <algorithm>
#include <cctype>

#include "bars/dxBar.h"
#include "platform/Dialogs.h"
#include "platform/FormReader.h"
#include "platform/SysUtils.h"

// --- The customizing dialog's calls ----------------------------------------------------------------
TdxBarCustomizingDialogCalls& dxBarCustomizingDialogCalls() {
  static TdxBarCustomizingDialogCalls calls;
  return calls;
}

TCustomForm* dxBarCustomizingDialog() {
  auto& c = dxBarCustomizingDialogCalls();
  return c.Current ? c.Current() : nullptr;
}

// --- Drag cursors --------------------------------------------------------------------------------
namespace {
// An arrow with a small page below it (move), plus a cross (copy).
HCURSOR MakeDragCursor(bool Copy) {
  const int w = GetSystemMetrics(SM_CXCURSOR), h = GetSystemMetrics(SM_CYCURSOR);
  const int stride = ((w + 15) / 16) * 2;
  std::vector<BYTE> andMask(static_cast<size_t>(stride * h), 0xFF), xorMask(static_cast<size_t>(stride * h), 0);
  auto set = [&](int x, int y, bool white) {
    if (x < 0 || y < 0 || x >= w || y >= h) return;
    size_t i = static_cast<size_t>(y * stride + x / 8);
    BYTE bit = static_cast<BYTE>(0x80 >> (x % 8));
    andMask[i] = static_cast<BYTE>(andMask[i] & ~bit);
    if (white) xorMask[i] = static_cast<BYTE>(xorMask[i] | bit);
  };
  for (int y = 0; y <= 12; ++y)
    for (int x = 0; x <= y; ++x) set(x, y, !(x == 0 || x == y || y == 12));
  for (int y = 16; y <= 26; ++y)
    for (int x = 8; x <= 20; ++x) set(x, y, !(x == 8 || x == 20 || y == 16 || y == 26));
  if (Copy)
    for (int k = -3; k <= 3; ++k) {
      set(25 + k, 24, false);
      set(25, 24 + k, false);
    }
  return CreateCursor(GetModuleHandleW(nullptr), 0, 0, w, h, andMask.data(), xorMask.data());
}
}  // namespace

TCursor dxBarDragCursor(Integer Number) {
  static bool made = false;
  if (!made && Screen) {
    made = true;
    Screen->SetCursors(crdxBarDragMove, MakeDragCursor(false));
    Screen->SetCursors(crdxBarDragCopy, MakeDragCursor(true));
    Screen->SetCursors(crdxBarDragNoDrop, CopyCursor(LoadCursorW(nullptr, IDC_NO)));
  }
  return static_cast<TCursor>(Number);
}

// --- Customizing mode ----------------------------------------------------------------------------
namespace {
// Every link collection of a manager that a window may show.
std::vector<TdxBarItemLinks*> CollectionsOf(TdxBarManager* M) {
  std::vector<TdxBarItemLinks*> v;
  for (Integer i = 0; i < M->Bars()->Count(); ++i) v.push_back(M->Bars()->Items(i)->ItemLinks());
  for (Integer i = 0; i < M->ItemCount(); ++i)
    if (auto* s = dynamic_cast<TCustomdxBarSubItem*>(M->Items(i))) v.push_back(s->ItemLinks());
  return v;
}

std::vector<TdxBarControl*> BarWindowsOf(TdxBarManager* M) {
  std::vector<TdxBarControl*> v;
  for (Integer i = 0; i < M->Bars()->Count(); ++i)
    if (TdxBarControl* w = M->Bars()->Items(i)->Control()) v.push_back(w);
  return v;
}
}  // namespace

void TdxBarManager::SetCustomizing(bool Value) {
  if (customizing_ == Value) return;
  if (Value && dxBarCustomizingDialog()) return;
  // An open quick-customizing window goes first (its mark cannot change while customizing).
  if (TdxBarQuickControl* q = TdxBarQuickControl::Current(); q && q->BarManager() == this)
    if (IsLiveBarControl(q->OwnerWindow)) q->OwnerWindow->SetMarkState(0);
  CloseActiveMenus();
  for (TdxBarControl* w : BarWindowsOf(this)) {
    w->CloseChain();
    if (IsLiveBarControl(w)) w->DropItemControls();
  }
  customizing_ = Value;
  // Customizing shows every link; leaving it shows the recent ones again.
  for (TdxBarItemLinks* l : CollectionsOf(this)) l->RebuildShownLists();
  for (TdxBarPopupMenu* p : popupMenus_) p->ItemLinks()->RebuildShownLists();
  for (TdxBarControl* w : BarWindowsOf(this))
    if (w->HandleAllocated()) w->BuildItemControls();
  if (!Value) selectedItemControl_ = nullptr;
  auto& calls = dxBarCustomizingDialogCalls();
  if (Value) {
    if (calls.Show)
      calls.Show(this, true);
    else
      OnShowCustomizingForm(this);
  } else {
    FreeCustomizingPopup();
    if (calls.Show)
      calls.Show(this, false);
    else
      OnHideCustomizingForm(this);
  }
  for (TdxBarControl* w : BarWindowsOf(this)) {
    // Double clicks reach the views only while customizing in the standard style.
    TControlStyle cs = w->ControlStyle();
    if (style_ != bmsStandard || IsCustomizing()) cs.Include(csDoubleClicks); else cs.Exclude(csDoubleClicks);
    w->SetControlStyle(cs);
    w->RebuildLayout();
    w->Invalidate();
  }
}

// --- The toolbar list ----------------------------------------------------------------------------
void TdxBarManager::FillToolbarsPopup(TdxBarItemLinks* Links) {
  for (Integer i = 0; i < bars_->Count(); ++i) {
    TdxBar* b = bars_->Items(i);
    if (!b->InToolbarsList() || b->Hidden()) continue;
    auto* button = new TdxBarButton(ownerForm_);
    AddTempItem(button);
    button->SetCaption(b->Caption());
    button->SetTag(i);
    button->SetButtonStyle(bsChecked);
    button->SetDown(b->Visible());
    button->OnClick = TNotifyEvent(this, &TdxBarManager::ToolbarsPopupClick);
    Links->Add()->SetItem(button);
  }
  DoShowToolbarsPopup(Links);
  AddCustomizeEntry(Links, true);
}

void TdxBarManager::AddCustomizeEntry(TdxBarItemLinks* Links, bool BeginGroup,
                                      const std::function<TdxBarItem*()>& MakeItem) {
  if (!canCustomize_) return;
  TdxBarItem* item = MakeItem ? MakeItem() : new TdxBarButton(ownerForm_);
  AddTempItem(item);
  item->SetCaption(dxBarStrings::Customize);
  item->SetEnabled(dxBarCustomizingDialog() == nullptr);
  item->SetTag(1000);
  item->OnClick = TNotifyEvent(this, &TdxBarManager::ToolbarsPopupClick);
  TdxBarItemLink* l = Links->Add();
  l->SetItem(item);
  l->SetBeginGroup(BeginGroup);
}

void TdxBarManager::ToolbarsPopupClick(TObject* Sender) {
  auto* item = dynamic_cast<TComponent*>(Sender);
  if (!item) return;
  if (item->Tag() == 1000) {
    SetCustomizing(true);
    return;
  }
  if (item->Tag() >= 0 && item->Tag() < bars_->Count()) {
    TdxBar* b = bars_->Items(static_cast<Integer>(item->Tag()));
    b->SetVisible(!b->Visible());
  }
}

// --- Selection while customizing -------------------------------------------------------------------
void TdxBarManager::SetSelectedItemControl(TdxBarItemControl* View) {
  if (selectedItemControl_ == View) return;
  if (!(customizing_ || designing_) || IsDestroying()) {
    selectedItemControl_ = View;
    return;
  }
  TdxBarItemControl* old = selectedItemControl_;
  TCustomdxBarControl* oldWindow = old ? old->Window() : nullptr;
  auto oldAlive = [&] {
    return oldWindow && IsLiveBarControl(oldWindow) && !oldWindow->BeingFreed && oldWindow->OwnsItemControl(old);
  };
  if (oldAlive()) {
    TCustomdxBarControl* oldRoot = RootToolbarOfView(old);
    TCustomdxBarControl* newRoot = View ? RootToolbarOfView(View) : nullptr;
    // Leaving a toolbar's menus closes them (they belong to the old selection).
    if ((!View || newRoot != oldRoot) && oldRoot && IsLiveBarControl(oldRoot) && !oldRoot->BeingFreed)
      oldRoot->HotTrackTo(nullptr);
  }
  if (selectedItemControl_ != old) {
    // A nested change already moved the selection on.
    if (selectedItemControl_ == View) return;
  }
  selectedItemControl_ = View;
  if (!dragging_ && oldAlive() && oldWindow->HandleAllocated() && old != View) old->RedrawView();
}

// --- The drag ------------------------------------------------------------------------------------
HWND TdxBarManager::DragCaptureWindow() const {
  if (IsCustomizing())
    if (TCustomForm* d = dxBarCustomizingDialog()) return d->Handle();
  if (Application && Application->MainForm() && Application->MainForm()->Visible())
    return Application->MainForm()->Handle();
  return ownerForm_ ? ownerForm_->Handle() : nullptr;
}

namespace {
bool InRect(const TRect& R, TPoint P) { return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom; }

// The shown link before / after a link in its collection, or none.
TdxBarItemLink* ShownNeighbour(TdxBarItemLink* L, Integer Step) {
  const auto& shown = L->Links()->ShownLinks();
  auto it = std::find(shown.begin(), shown.end(), L);
  if (it == shown.end()) return nullptr;
  Integer i = static_cast<Integer>(it - shown.begin()) + Step;
  return i >= 0 && i < static_cast<Integer>(shown.size()) ? shown[static_cast<size_t>(i)] : nullptr;
}

// Whether dropping Link (moved, not copied) on View with these placement
// flags would change anything.
bool DropChanges(TdxBarItemLink* Link, bool Ctrl, TdxBarItemControl* View, bool InSeparator, bool Before) {
  if (!View) return false;
  if (!Link || Ctrl) return true;
  TdxBarItemLink* target = View->Link();
  if (!target || target->Links() != Link->Links()) return true;
  if (target == Link) return InSeparator && Before;
  if (target == ShownNeighbour(Link, -1) && !Link->BeginGroup() && !InSeparator && !Before) return false;
  TdxBarItemLink* next = ShownNeighbour(Link, 1);
  if (!next) return true;
  if (target == next && ((InSeparator && Before) || (Before && !next->BeginGroup()))) return false;
  return true;
}

// The bar window under a screen point: the window itself or its nearest
// bar-window ancestor.
TCustomdxBarControl* BarWindowAt(TPoint Screen) {
  for (HWND w = DeepWindowFromPoint(POINT{Screen.X, Screen.Y}); w; w = GetParent(w))
    if (auto* c = dynamic_cast<TCustomdxBarControl*>(ControlOfWindow(w))) return c;
  return nullptr;
}

// Takes a link out of its collection so that the grouping around it stays.
void DeleteDraggedLink(TdxBarItemLink* L) {
  TdxBarItemLinks* links = L->Links();
  const auto& visible = links->VisibleLinks();
  auto it = std::find(visible.begin(), visible.end(), L);
  if (it != visible.end() && it + 1 != visible.end()) {
    TdxBarItemLink* next = *(it + 1);
    if (L->BeginGroup() && !next->BeginGroup() && it != visible.begin())
      next->SetBeginGroup(true);
    else if (it == visible.begin() && next->BeginGroup())
      next->SetBeginGroup(false);
  }
  delete L;
}
}  // namespace

void TdxBarManager::DragItem(TdxBarItem* Item, TdxBarItemLink* Link) {
  if (!Item || dragging_) return;
  HWND capture = DragCaptureWindow();
  if (!capture) return;
  dragItem_ = Item;
  dragLink_ = Link;
  dragging_ = true;
  // A link is held where it was pressed (the drag starts a few pixels later).
  POINT held;
  GetCursorPos(&held);
  if (Link && Link == PendingDragLink) held = POINT{PendingDragPoint.X, PendingDragPoint.Y};
  PendingDragItem = nullptr;
  PendingDragLink = nullptr;
  TPoint grab{0, 0};
  TCustomdxBarControl* grabWindow = Link && Link->Control() ? Link->Control()->Window() : nullptr;
  if (grabWindow && grabWindow->HandleAllocated()) {
    TPoint c = grabWindow->ScreenToClient(Point(held.x, held.y));
    grab = Point(c.X - Link->ItemRect.Left, c.Y - Link->ItemRect.Top);
  }
  TCustomdxBarControl* target = nullptr;
  TdxBarItemControl* view = nullptr;
  bool inSeparator = false, vertical = false, before = false;
  bool markShown = false;
  TdxBarItemControl* markView = nullptr;
  bool markInSeparator = false, markVertical = false, markBefore = false;
  bool ctrl = GetKeyState(VK_CONTROL) < 0;
  bool moved = false, dropped = false;
  TCursor savedCursor = Screen ? Screen->Cursor() : crDefault;
  dxBarDragCursor(crdxBarDragMove);

  auto eraseMark = [&] {
    if (!markShown) return;
    markShown = false;
    if (markView && markView->Window() && IsLiveBarControl(markView->Window()) &&
        markView->Window()->OwnsItemControl(markView))
      DrawInsertMark(markView, markInSeparator, markVertical, markBefore);
    markView = nullptr;
  };
  auto drawMark = [&] {
    DrawInsertMark(view, inSeparator, vertical, before);
    markShown = true;
    markView = view;
    markInSeparator = inSeparator;
    markVertical = vertical;
    markBefore = before;
  };
  auto track = [&](bool CtrlChanged) {
    moved = true;
    POINT sp;
    GetCursorPos(&sp);
    TPoint screen = Point(sp.x, sp.y);
    TCustomdxBarControl* w = BarWindowAt(screen);
    if (w && w->BarManager() != this) w = nullptr;
    if (!w) {
      HWND dialog = dxBarCustomizingDialog() ? dxBarCustomizingDialog()->Handle() : nullptr;
      HWND under = DeepWindowFromPoint(sp);
      if (dialog && under && IsAncestorWindow(under, dialog)) w = nullptr;
    }
    if (w && !w->AllowsCustomizing()) w = nullptr;
    TdxBarItemControl* v = nullptr;
    bool s = false, vert = false, b = false;
    if (w && w->HandleAllocated()) v = w->ItemControlAtPointEx(w->ScreenToClient(screen), s, vert, b);
    bool hasLinks = w && w->ItemLinks() && !w->ItemLinks()->ShownLinks().empty();
    TCursor cur = (!w || (!v && hasLinks)) ? crdxBarDragNoDrop
                                            : ((Link && !ctrl) ? crdxBarDragMove : crdxBarDragCopy);
    if (Screen) Screen->SetCursor(cur);
    bool changed = v != view || s != inSeparator || b != before || vert != vertical || CtrlChanged || w != target;
    auto* menu = dynamic_cast<TdxBarSubMenuControl*>(w);
    if (changed && !(menu && menu->ClosingMenu())) {
      eraseMark();
      if (v != view && v && w) {
        auto* sub = dynamic_cast<TdxBarSubItemControl*>(v);
        if (sub || dynamic_cast<TdxBarSubItemControl*>(w->SelectedControl())) {
          w->HotTrackTo(v);
        } else {
          w->SetSelectedControl(v);
          SetSelectedItemControl(v);
        }
        if (!IsLiveBarControl(w)) w = nullptr, v = nullptr;
      }
      target = w;
      view = v;
      inSeparator = s;
      vertical = vert;
      before = b;
      if (view && DropChanges(Link, ctrl, view, inSeparator, before)) drawMark();
    }
    if (menu && IsLiveBarControl(menu) && menu->HandleAllocated()) {
      TPoint c = menu->ScreenToClient(screen);
      SendMessageW(menu->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(c.X, c.Y));
    }
    if (!w) {
      eraseMark();
      target = nullptr;
      view = nullptr;
    }
  };

  try {
    PumpPaintMessages();
    SetCapture(capture);
    MSG msg;
    while (GetCapture() == capture) {
      BOOL got = GetMessageW(&msg, nullptr, 0, 0);
      if (got == -1) break;
      if (got == 0) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
        if (msg.wParam == VK_CONTROL && (msg.message == WM_KEYDOWN || msg.message == WM_KEYUP)) {
          bool now = msg.message == WM_KEYDOWN;
          bool changedCtrl = now != ctrl;
          ctrl = now;
          track(changedCtrl);
        } else if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
          break;
        }
        continue;
      }
      if (msg.message == WM_MOUSEMOVE) {
        track(false);
        continue;
      }
      if (msg.message == WM_LBUTTONUP) {
        dropped = true;
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  } catch (...) {
    eraseMark();
    if (GetCapture() == capture) ReleaseCapture();
    if (Screen) Screen->SetCursor(savedCursor);
    dragging_ = false;
    dragItem_ = nullptr;
    dragLink_ = nullptr;
    throw;
  }
  eraseMark();
  if (GetCapture() == capture) ReleaseCapture();
  if (Screen) Screen->SetCursor(savedCursor);
  dragging_ = false;

  if (target && !IsLiveBarControl(target)) target = nullptr, view = nullptr;
  if (view && target && !target->OwnsItemControl(view)) view = nullptr;
  try {
    if (dropped && moved) {
      if (!target) {
        // Dragged off every bar: the link goes (a copy drag keeps it).
        if (Link && !ctrl) {
          DeleteDraggedLink(Link);
          Link = nullptr;
          DesignerModified();
        }
        if (TdxBarItemControl* sel = selectedItemControl_) {
          TCustomdxBarControl* w = sel->Window();
          SetSelectedItemControl(nullptr);
          if (w && IsLiveBarControl(w)) {
            w->SetSelectedControl(nullptr);
            w->RebuildLayout();
          }
        }
      } else {
        bool changes = DropChanges(Link, ctrl, view, inSeparator, before);
        TPoint client = target->HandleAllocated() ? target->ScreenToClient(Mouse->CursorPos()) : Point(-1, -1);
        bool empty = !target->ItemLinks() || target->ItemLinks()->ShownLinks().empty();
        bool place = changes || !view || !Link || ctrl || (inSeparator && before);
        if (place && (view || (InRect(target->ClientRect(), client) && empty)) && target->ItemLinks()) {
          TdxBarItemLinks* links = target->ItemLinks();
          TdxBarItemLink* viewLink = view ? view->Link() : nullptr;
          TdxBarItemLink* added = links->Add();
          try {
            if (Link)
              added->Assign(Link);
            else
              added->SetItem(Item);
          } catch (...) {
            delete added;
            throw;
          }
          if (viewLink) {
            added->SetIndex(viewLink->Index() + ((inSeparator || before) ? 0 : 1));
            if ((inSeparator && !before) || (!inSeparator && before && viewLink->BeginGroup())) {
              added->SetBeginGroup(true);
              viewLink->SetBeginGroup(false);
            }
          }
          if (Link && !ctrl) {
            DeleteDraggedLink(Link);
            Link = nullptr;
          }
          if (IsLiveBarControl(target)) {
            if (!added->Control() && target->HandleAllocated()) added->CreateItemControl();
            target->RebuildLayout();
            if (TdxBarItemControl* c = added->Control()) {
              target->SetSelectedControl(c);
              SetSelectedItemControl(c);
            }
          }
          DesignerModified();
          TCustomdxBarControl* top = ActiveBarControl();
          auto* toolbar = dynamic_cast<TdxBarControl*>(target);
          if (top && top != target && toolbar && IsLiveBarControl(toolbar)) {
            top->CloseChain();
            if (IsLiveBarControl(toolbar) && added->Control()) toolbar->EnterMenuMode(added->Control());
          }
        } else if (Link && !changes && view) {
          // Dropped in place: a sideways move of more than 3 pixels sets or
          // clears the link's group separator.
          TCustomdxBarControl* w = view->Window();
          TPoint c = w->ScreenToClient(Mouse->CursorPos());
          bool vert = IsVerticalToolbar(w) || w->IsMenuWindow();
          Integer offset = vert ? (c.Y - Link->ItemRect.Top) - grab.Y : (c.X - Link->ItemRect.Left) - grab.X;
          if (std::abs(offset) > 3 && Link->BeginGroup() != (offset > 0)) {
            Link->SetBeginGroup(offset > 0);
            if (IsLiveBarControl(w)) {
              w->RebuildLayout();
              if (TdxBarItemControl* lc = Link->Control()) {
                w->SetSelectedControl(lc);
                SetSelectedItemControl(lc);
              }
            }
          } else if (IsLiveBarControl(w) && Link->Control()) {
            w->SetSelectedControl(Link->Control());
            SetSelectedItemControl(Link->Control());
          }
        } else if (TdxBarItemControl* sel = selectedItemControl_) {
          TCustomdxBarControl* w = sel->Window();
          SetSelectedItemControl(nullptr);
          if (w && IsLiveBarControl(w)) w->SetSelectedControl(nullptr);
        }
      }
    }
  } catch (...) {
    dragItem_ = nullptr;
    dragLink_ = nullptr;
    throw;
  }
  dragItem_ = nullptr;
  dragLink_ = nullptr;
  if (Link && Link->Control()) Link->Control()->RedrawView();
}

// --- Drop targets on a toolbar ----------------------------------------------------------------------
HRGN TdxBarControl::CreateItemRegion(TdxBarItemControl* C) const {
  HRGN rgn = TCustomdxBarControl::CreateItemRegion(C);
  if (C && C->GroupSeparatorRect.Width() > 0 && C->GroupSeparatorRect.Height() > 0) {
    const TRect& s = C->GroupSeparatorRect;
    HRGN band = CreateRectRgn(s.Left, s.Top, s.Right, s.Bottom);
    CombineRgn(rgn, rgn, band, RGN_OR);
    DeleteObject(band);
  }
  return rgn;
}

TdxBarItemControl* TdxBarControl::ItemControlAtPointEx(TPoint P, bool& InSeparator, bool& Vertical,
                                                       bool& Before) const {
  TdxBarItemControl* c = TCustomdxBarControl::ItemControlAtPointEx(P, InSeparator, Vertical, Before);
  if (c || !itemLinks_ || !InRect(const_cast<TdxBarControl*>(this)->ClientRect(), P)) return c;
  InSeparator = Before = false;
  bool vertical = IsVerticalStyle(dockingStyle_);
  auto rowStart = [&](TdxBarItemLink* L, Integer& Thick) {
    const TRect& r = L->ItemRect;
    Integer own = vertical ? r.Width() : r.Height();
    Thick = std::max(L->RowThickness, own);
    return (vertical ? r.Left : r.Top) - (Thick - own) / 2;
  };
  const auto& shown = itemLinks_->ShownLinks();
  for (TdxBarItemLink* l : shown) {
    TdxBarItemControl* v = l->Control();
    if (!v || !v->LastShown || !v->SameManager()) continue;
    Integer thick = 0, start = rowStart(l, thick), across = vertical ? P.X : P.Y;
    if (across < start || across >= start + thick) continue;
    Integer along = vertical ? P.Y : P.X;
    if (along >= (vertical ? l->ItemRect.Top : l->ItemRect.Left)) return v;  // after the row's end
    // Empty space inside the row: the first view of the row past the point.
    Before = true;
    for (TdxBarItemLink* m : shown) {
      Integer t = 0;
      if (!m->Control() || rowStart(m, t) != start) continue;
      if ((vertical ? m->ItemRect.Top : m->ItemRect.Left) > along) return m->Control();
    }
    return v;
  }
  return nullptr;
}

void TdxBarManager::DrawInsertMark(TdxBarItemControl* View, bool InSeparator, bool Vertical, bool Before) {
  if (!View || !View->Window() || !View->Link()) return;
  TCustomdxBarControl* w = View->Window();
  if (!w->HandleAllocated()) return;
  TdxBarItemLink* link = View->Link();
  TRect r = link->ItemRect;
  bool atEnd = false;
  if (InSeparator) {
    if (Before) {
      if (TdxBarItemLink* prev = ShownNeighbour(link, -1)) {
        r = prev->ItemRect;
        atEnd = true;
      }
    }
  } else if (!Before) {
    TdxBarItemLink* next = ShownNeighbour(link, 1);
    bool lastOfRow = !next || (Vertical ? next->ItemRect.Left != r.Left : next->ItemRect.Top != r.Top) ||
                     View->LastShown;
    if (lastOfRow || next->ReadBeginGroup()) {
      atEnd = true;
    } else {
      r = next->ItemRect;
    }
  }
  HDC dc = GetDC(w->Handle());
  int oldRop = SetROP2(dc, R2_NOT);
  auto line = [&](Integer X1, Integer Y1, Integer X2, Integer Y2) {
    MoveToEx(dc, X1, Y1, nullptr);
    LineTo(dc, X2, Y2);
  };
  if (Vertical) {
    Integer y = atEnd ? r.Bottom - 6 : r.Top;
    line(r.Left, y, r.Left, y + 6);
    line(r.Left + 1, y + 1, r.Left + 1, y + 5);
    line(r.Left + 2, y + 2, r.Right - 2, y + 2);
    line(r.Left + 2, y + 3, r.Right - 2, y + 3);
    line(r.Right - 2, y + 1, r.Right - 2, y + 5);
    line(r.Right - 1, y, r.Right - 1, y + 6);
  } else {
    Integer x = atEnd ? r.Right - 6 : r.Left;
    line(x, r.Top, x + 6, r.Top);
    line(x + 1, r.Top + 1, x + 5, r.Top + 1);
    line(x + 2, r.Top + 2, x + 2, r.Bottom - 2);
    line(x + 3, r.Top + 2, x + 3, r.Bottom - 2);
    line(x + 1, r.Bottom - 2, x + 5, r.Bottom - 2);
    line(x, r.Bottom - 1, x + 6, r.Bottom - 1);
  }
  SetROP2(dc, oldRop);
  ReleaseDC(w->Handle(), dc);
}

// --- The designed layout --------------------------------------------------------------------------
namespace {
// An event handler binding: "On" and a capital (OneOnRow is a plain setting).
bool IsEventBinding(const std::string& Name) {
  return Name.size() > 2 && Name[0] == 'O' && Name[1] == 'n' && std::isupper(static_cast<unsigned char>(Name[2]));
}

void DropEventBindings(TFormObject& O) {
  auto& p = O.Props;
  p.erase(std::remove_if(p.begin(), p.end(), [](const TFormProp& X) { return IsEventBinding(X.Name); }), p.end());
  for (TFormObject& c : O.Children) DropEventBindings(c);
}

const TFormObject* FindObject(const TFormObject& O, const std::string& Name, const std::string& ClassName) {
  for (const TFormObject& c : O.Children) {
    if (c.Name == Name && c.ClassName == ClassName) return &c;
    if (const TFormObject* f = FindObject(c, Name, ClassName)) return f;
  }
  return nullptr;
}

TdxBarManager* SameNamedManager(TCustomForm* Form, const std::string& Name) {
  TdxBarManager* m = Form ? FindBarManagerOfForm(Form) : nullptr;
  return m && m->Name() == Name ? m : nullptr;
}
}  // namespace

TCustomForm* TdxBarManager::ReloadDesignedLayout() {
  if (!ownerForm_) return nullptr;
  std::string text;
  if (!FindFormResourceText(ownerForm_->ClassName(), text)) return nullptr;
  TCursor saved = Screen ? Screen->Cursor() : crDefault;
  if (Screen) Screen->SetCursor(crHourGlass);
  std::unique_ptr<TForm> form;
  try {
    TFormObject designed = ParseFormText(text);
    const TFormObject* mine = FindObject(designed, Name(), ClassName());
    if (mine) {
      TFormObject temp;
      temp.Name = "TempForm";
      temp.ClassName = "TdxBarTempForm";
      for (const TFormProp& p : designed.Props) {
        if (temp.Props.size() == 2) break;
        if (SameText(p.Name, "Width") || SameText(p.Name, "Height") || SameText(p.Name, "ClientWidth") ||
            SameText(p.Name, "ClientHeight"))
          temp.Props.push_back(p);
      }
      TFormObject copy = *mine;
      DropEventBindings(copy);
      // The copy never restores (nor later stores) the user's layout.
      auto& p = copy.Props;
      p.erase(std::remove_if(p.begin(), p.end(),
                             [](const TFormProp& X) {
                               return SameText(X.Name, "StoreInRegistry") || SameText(X.Name, "StoreInIniFile");
                             }),
              p.end());
      temp.Children.push_back(std::move(copy));
      form = std::make_unique<TForm>(nullptr);
      TReader reader;
      reader.ReadRootComponent(temp, form.get());
      if (TdxBarManager* m = SameNamedManager(form.get(), Name())) {
        m->SetStoreInIniFile(false);
        m->SetStoreInRegistry(false);
      }
    }
  } catch (...) {
    if (Screen) Screen->SetCursor(saved);
    throw;
  }
  if (Screen) Screen->SetCursor(saved);
  return form.release();
}

void TdxBarManager::ResetUsageData() {
  bool saved = updateLock_;
  SuspendRedraw(true);
  try {
    std::unique_ptr<TCustomForm> form(ReloadDesignedLayout());
    if (TdxBarManager* designed = SameNamedManager(form.get(), Name())) {
      for (TdxBarItem* it : std::vector<TdxBarItem*>(items_)) {
        auto* sub = dynamic_cast<TCustomdxBarSubItem*>(it);
        auto* other = sub ? dynamic_cast<TCustomdxBarSubItem*>(designed->ItemByName(sub->Name())) : nullptr;
        if (other) sub->ItemLinks()->TakeRecentFlags(other->ItemLinks());
      }
      for (Integer i = 0; i < bars_->Count() && i < designed->Bars()->Count(); ++i)
        bars_->Items(i)->ItemLinks()->TakeRecentFlags(designed->Bars()->Items(i)->ItemLinks());
    }
  } catch (...) {
    SuspendRedraw(saved);
    throw;
  }
  SuspendRedraw(saved);
}

void TdxBarManager::ConfirmResetUsageData() {
  if (Application->MessageBox(dxBarStrings::ResetUsageData, Application->Title(),
                              MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) == IDYES)
    ResetUsageData();
}

// --- Bar reset -----------------------------------------------------------------------------------
namespace {
void ResetSubItems(TdxBarItemLinks* Links, TdxBarManager* Designed, std::vector<TCustomdxBarSubItem*>& Done) {
  for (Integer i = 0; i < Links->Count(); ++i) {
    auto* sub = dynamic_cast<TCustomdxBarSubItem*>(Links->Items(i)->Item());
    if (!sub || std::find(Done.begin(), Done.end(), sub) != Done.end()) continue;
    auto* other = dynamic_cast<TCustomdxBarSubItem*>(Designed->ItemByName(sub->Name()));
    if (!other) continue;
    Done.push_back(sub);
    sub->ItemLinks()->Assign(other->ItemLinks());
    sub->ItemLinks()->TakeRecentFlags(other->ItemLinks());
    ResetSubItems(sub->ItemLinks(), Designed, Done);
  }
}
}  // namespace

void TdxBar::Reset() {
  TdxBarManager* m = BarManager();
  if (!m) return;
  std::unique_ptr<TCustomForm> form(m->ReloadDesignedLayout());
  TdxBarManager* designed = SameNamedManager(form.get(), m->Name());
  if (!designed || designed->Bars()->Count() <= Index()) return;
  TdxBar* source = designed->Bars()->Items(Index());
  m->DoBarBeforeReset(this);
  std::vector<TCustomdxBarSubItem*> done;
  if (m->UseFullReset()) {
    bool saved = m->RedrawSuspended();
    m->SuspendRedraw(true);
    bool visible = Visible();
    try {
      SetVisible(false);
      Assign(source);
      ResetSubItems(itemLinks_.get(), designed, done);
    } catch (...) {
      SetVisible(visible);
      m->SuspendRedraw(saved);
      throw;
    }
    SetVisible(visible);
    m->SuspendRedraw(saved);
  } else {
    layoutHold_ = true;
    try {
      itemLinks_->Assign(source->ItemLinks());
      ResetSubItems(itemLinks_.get(), designed, done);
    } catch (...) {
      layoutHold_ = false;
      throw;
    }
    layoutHold_ = false;
    if (TdxBarControl* w = Control()) {
      w->DropItemControls();
      if (w->HandleAllocated()) w->BuildItemControls();
      w->RebuildLayout();
      w->Invalidate();
    }
  }
  m->DoBarAfterReset(this);
}

void TdxBar::ResetWithConfirm() {
  if (Application->MessageBox(Format(dxBarStrings::ResetBar, caption_), Application->Title(),
                              MB_OKCANCEL | MB_ICONWARNING) == IDOK)
    Reset();
}
