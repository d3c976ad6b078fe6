#include "controls/RzListVw.h"

#include <algorithm>
#include <cstdlib>

#include "platform/Win.h"

#include <commctrl.h>

#include "controls/RzRectOps.h"
#include "controls/RzThemeSrv.h"
#include "platform/FormReader.h"
#include "platform/Forms.h"
#include "platform/SysUtils.h"
#include "platform/TypInfo.h"

namespace {

// Posted to itself by CreateWnd: the header formats once the window is complete.
constexpr UINT kUpdateHeaderMsg = 0x0464;
constexpr wchar_t kHeaderOwnerProp[] = L"RzListViewHeaderOwner";

bool Themed() { return SharedThemeServices()->VisualStylesOn(); }

UINT StateImage(UINT State) { return State & LVIS_STATEIMAGEMASK; }

TPoint CentreOf(const TRect& R) { return Point((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2); }

}  // namespace

LRESULT CALLBACK RzListViewHeaderProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto* lv = static_cast<TRzCustomListView*>(::GetPropW(Wnd, kHeaderOwnerProp));
  if (!lv || !lv->oldHeaderProc_) return ::DefWindowProcW(Wnd, Msg, WParam, LParam);
  return lv->HeaderWindowProc(Wnd, Msg, WParam, LParam);
}

// ---------------------------------------------------------------------------
TRzCustomListView::TRzCustomListView(TComponent* AOwner) : TCustomListView(AOwner) {
  RegisterRzListViewClasses();
  headerCanvas_ = std::make_unique<TCanvas>();
}

TRzCustomListView::~TRzCustomListView() {
  UnsubclassHeader();
  if (frameController_) frameController_->UnregisterControl(this);
}

// ---------------------------------------------------------------------------
// Colours and frame.
void TRzCustomListView::UpdateColors() {
  if (ComponentState().Contains(csLoading)) return;
  colorGuard_ = true;
  try {
    SetColor(!Enabled() ? disabledColor_ : focused_ ? focusColor_ : normalColor_);
  } catch (...) {
    colorGuard_ = false;
    throw;
  }
  colorGuard_ = false;
}

void TRzCustomListView::SetColor(TColor Value) {
  if (Value != Color()) TCustomListView::SetColor(Value);
  if (!colorGuard_) {
    if (focusColor_ == normalColor_) focusColor_ = Value;
    normalColor_ = Value;
  }
  if (frameVisible_ && !UseThemedFrame()) RepaintFrame();
}

bool TRzCustomListView::UseThemedFrame() { return framingPreference_ == fpXPThemes && Themed(); }

void TRzCustomListView::RepaintFrame() {
  if (ComponentState().Contains(csLoading) || !HandleAllocated()) return;
  ::RedrawWindow(Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
}

void TRzCustomListView::UpdateFrameState(bool SetInside, bool Inside) {
  if (SetInside) mouseInside_ = Inside;
  if (frameHotTrack_) RepaintFrame();
  UpdateColors();
}

void TRzCustomListView::RenderFrame(TMessage& Message) {
  TCustomListView::Dispatch(Message);
  if (frameVisible_ && !UseThemedFrame()) {
    HDC dc = ::GetWindowDC(Handle());
    try {
      TCanvas canvas;
      canvas.SetHandle(dc);
      bool hot = frameHotTrack_ && (focused_ || mouseInside_);
      PaintControlFrame(&canvas, Width(), Height(), frameSides_, hot ? frameHotColor_ : frameColor_, Color(),
                        hot ? frameHotStyle_ : frameStyle_);
      canvas.SetHandle(nullptr);
    } catch (...) {
      ::ReleaseDC(Handle(), dc);
      throw;
    }
    ::ReleaseDC(Handle(), dc);
  }
  Message.Result = 0;
}

void TRzCustomListView::SetFrameHotTrack(bool Value) {
  frameHotTrack_ = Value;
  if (Value) {
    frameVisible_ = true;
    if (!ComponentState().Contains(csLoading)) frameSides_ = sdAllSides;
  }
  RepaintFrame();
  Invalidate();
}

void TRzCustomListView::SetFrameVisible(bool Value) {
  frameVisible_ = Value;
  if (!controllerGuard_ && HandleAllocated()) RecreateWnd();
}

void TRzCustomListView::SetFramingPreference(TFramingPreference Value) {
  framingPreference_ = Value;
  if (Value == fpCustomFraming) RepaintFrame();
}

void TRzCustomListView::SetDisabledColor(TColor Value) {
  disabledColor_ = Value;
  if (!Enabled()) UpdateColors();
}

void TRzCustomListView::SetFocusColor(TColor Value) {
  focusColor_ = Value;
  if (focused_) UpdateColors();
}

void TRzCustomListView::SetFrameController(TRzFrameController* Value) {
  controllerGuard_ = true;
  try {
    TRzFrameController::Link(this, frameController_, Value);
  } catch (...) {
    controllerGuard_ = false;
    throw;
  }
  controllerGuard_ = false;
  // The pushed look shows at once, the window is not recreated for it.
  RepaintFrame();
}

void TRzCustomListView::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomListView::Notification(AComponent, Operation);
  FrameControllerNotification(AComponent, Operation);
}

// ---------------------------------------------------------------------------
// State changes.
void TRzCustomListView::CMEnter(TMessage& Message) {
  focused_ = true;
  UpdateFrameState(false, false);
  TCustomListView::CMEnter(Message);
}

void TRzCustomListView::CMExit(TMessage& Message) {
  TCustomListView::CMExit(Message);
  focused_ = false;
  UpdateFrameState(false, false);
}

void TRzCustomListView::CMEnabledChanged(TMessage& Message) {
  TCustomListView::CMEnabledChanged(Message);
  UpdateColors();
}

void TRzCustomListView::CMParentColorChanged(TMessage& Message) {
  TCustomListView::CMParentColorChanged(Message);
  if (frameVisible_) RepaintFrame();
}

void TRzCustomListView::WMSize(TMessage& Message) {
  TCustomListView::WMSize(Message);
  if (frameVisible_ && !UseThemedFrame()) RepaintFrame();
}

void TRzCustomListView::CMMouseEnter(TMessage& Message) {
  TCustomListView::CMMouseEnter(Message);
  UpdateFrameState(true, true);
  DoMouseEnter();
}

void TRzCustomListView::CMMouseLeave(TMessage& Message) {
  TCustomListView::CMMouseLeave(Message);
  if (Themed() && ViewStyle() == vsReport) {
    hotHeaderItem_ = -1;
    InvalidateHeader(false);
  }
  UpdateFrameState(true, false);
  DoMouseLeave();
}

void TRzCustomListView::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TCustomListView::MouseMove(Shift, X, Y);
  if (Themed() && ViewStyle() == vsReport && hotHeaderItem_ != -1) {
    hotHeaderItem_ = -1;
    InvalidateHeader(false);
  }
}

void TRzCustomListView::DoMouseEnter() {
  if (OnMouseEnter) OnMouseEnter(this);
}
void TRzCustomListView::DoMouseLeave() {
  if (OnMouseLeave) OnMouseLeave(this);
}

void TRzCustomListView::CMColorChanged(TMessage& Message) {
  TCustomListView::CMColorChanged(Message);
  if (HandleAllocated()) {
    auto rgb = static_cast<LPARAM>(ColorToRGB(Color()));
    ::SendMessageW(Handle(), LVM_SETBKCOLOR, 0, rgb);
    ::SendMessageW(Handle(), LVM_SETTEXTBKCOLOR, 0, rgb);
  }
}

void TRzCustomListView::CMSysColorChange(TMessage& Message) {
  TCustomListView::CMSysColorChange(Message);
  if ((Color() & 0xFF000000) != 0) Perform(CM_COLORCHANGED, Message.WParam, Message.LParam);
}

void TRzCustomListView::CreateWnd() {
  TCustomListView::CreateWnd();
  auto rgb = static_cast<LPARAM>(ColorToRGB(Color()));
  ::SendMessageW(Handle(), LVM_SETTEXTBKCOLOR, 0, rgb);
  ::SendMessageW(Handle(), LVM_SETBKCOLOR, 0, rgb);
  // The header may have been made before the window procedure was ours.
  SubclassHeader();
  UpdateHeaderFormats();
  ::PostMessageW(Handle(), kUpdateHeaderMsg, 0, 0);
  // Before the window existed the client width was the whole width; the
  // borders take their part only now.
  if (!ComponentState().Contains(csLoading)) ResizeLastColumn();
}

void TRzCustomListView::DestroyWnd() {
  UnsubclassHeader();
  TCustomListView::DestroyWnd();
}

void TRzCustomListView::Loaded() {
  TCustomListView::Loaded();
  UpdateColors();
  UpdateFrameState(false, false);
  if (fillLastColumn_) {
    loadingResize_ = true;
    try {
      ResizeLastColumn();
    } catch (...) {
      loadingResize_ = false;
      throw;
    }
    loadingResize_ = false;
  }
}

bool TRzCustomListView::IsCustomDrawn(TCustomDrawTarget Target, TCustomDrawStage Stage) {
  if (!Enabled() && Stage == cdPrePaint && Target != dtSubItem) return true;
  return TCustomListView::IsCustomDrawn(Target, Stage);
}

bool TRzCustomListView::CustomDrawItem(TListItem* Item, TCustomDrawState State, TCustomDrawStage Stage) {
  bool result = TCustomListView::CustomDrawItem(Item, State, Stage);
  if (!Enabled() && Stage == cdPrePaint) {
    // Through clNone first, so the brush is rebuilt whatever it held.
    Canvas()->Brush()->SetColor(clNone);
    Canvas()->Brush()->SetColor(disabledColor_);
  }
  return result;
}

// ---------------------------------------------------------------------------
// Last column.
void TRzCustomListView::SetFillLastColumn(bool Value) {
  if (Value == fillLastColumn_) return;
  fillLastColumn_ = Value;
  if (Value) ResizeLastColumn();
}

void TRzCustomListView::ResizeLastColumn() {
  if (!fillLastColumn_ || ViewStyle() != vsReport || ComponentState().Contains(csDestroying)) return;
  Integer n = Columns()->Count();
  if (n == 0) return;
  Items()->BeginUpdate();
  try {
    Integer s = 0;
    for (Integer i = 0; i < n - 1; ++i) s += Columns()->Items(i)->Width();
    Integer w = ClientWidth();
    if (Items()->Count() == 0 || loadingResize_) w -= ::GetSystemMetrics(SM_CXVSCROLL);
    if (s < w) Columns()->Items(n - 1)->SetWidth(w - s <= 4 ? 5 : w - s);
  } catch (...) {
    Items()->EndUpdate();
    throw;
  }
  Items()->EndUpdate();
}

void TRzCustomListView::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  bool changed = ALeft != Left() || ATop != Top() || AWidth != Width() || AHeight != Height();
  TCustomListView::SetBounds(ALeft, ATop, AWidth, AHeight);
  if (changed) ResizeLastColumn();
}

void TRzCustomListView::SetViewStyle(TViewStyle Value) {
  TCustomListView::SetViewStyle(Value);
  SubclassHeader();
  if (Value == vsReport) UpdateHeaderFormats();
}

// ---------------------------------------------------------------------------
// Header.
void TRzCustomListView::SubclassHeader(HWND Header) {
  if (oldHeaderProc_ || !HandleAllocated()) return;
  HWND h = Header ? Header : HeaderHandle();
  if (!h) return;
  headerWnd_ = h;
  ::SetPropW(h, kHeaderOwnerProp, this);
  oldHeaderProc_ = reinterpret_cast<WNDPROC>(
      ::SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RzListViewHeaderProc)));
}

void TRzCustomListView::UnsubclassHeader() {
  if (!oldHeaderProc_) return;
  if (headerWnd_ && ::IsWindow(headerWnd_)) {
    ::SetWindowLongPtrW(headerWnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(oldHeaderProc_));
    ::RemovePropW(headerWnd_, kHeaderOwnerProp);
  }
  oldHeaderProc_ = nullptr;
  headerWnd_ = nullptr;
}

LRESULT TRzCustomListView::HeaderWindowProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  WNDPROC old = oldHeaderProc_;
  if (Msg == WM_NCDESTROY) {
    oldHeaderProc_ = nullptr;
    headerWnd_ = nullptr;
    ::RemovePropW(Wnd, kHeaderOwnerProp);
    return ::CallWindowProcW(old, Wnd, Msg, WParam, LParam);
  }
  try {
    switch (Msg) {
      case WM_MOUSEMOVE:
        if (Themed() && !headerPressed_) {
          HDHITTESTINFO hit{};
          hit.pt = POINT{static_cast<short>(LOWORD(LParam)), static_cast<short>(HIWORD(LParam))};
          hotHeaderItem_ = static_cast<Integer>(::CallWindowProcW(old, Wnd, HDM_HITTEST, 0,
                                                                   reinterpret_cast<LPARAM>(&hit)));
          ::InvalidateRect(Wnd, nullptr, FALSE);
        }
        break;
      case WM_LBUTTONDOWN: headerPressed_ = true; break;
      case WM_LBUTTONUP: headerPressed_ = false; break;
      default: break;
    }
    return ::CallWindowProcW(old, Wnd, Msg, WParam, LParam);
  } catch (...) {
    if (Application) Application->HandleException(this);
    return 0;
  }
}

void TRzCustomListView::InvalidateHeader(bool Erase) {
  if (HWND h = HandleAllocated() ? HeaderHandle() : nullptr) ::InvalidateRect(h, nullptr, Erase ? TRUE : FALSE);
}

void TRzCustomListView::InvalidateHeaderItem(Integer I) {
  HWND h = HandleAllocated() ? HeaderHandle() : nullptr;
  if (!h || I < 0) return;
  RECT r;
  if (::SendMessageW(h, HDM_GETITEMRECT, static_cast<WPARAM>(I), reinterpret_cast<LPARAM>(&r)))
    ::InvalidateRect(h, &r, TRUE);
}

void TRzCustomListView::UpdateHeaderFormats() {
  if (!HandleAllocated() || ViewStyle() != vsReport || headerUpdateDepth_ > 0) return;
  HWND h = HeaderHandle();
  if (!h) return;
  ++headerUpdateDepth_;
  try {
    for (Integer i = Columns()->Count() - 1; i >= 0; --i) {
      HDITEMW item{};
      item.mask = HDI_FORMAT;
      if (!::SendMessageW(h, HDM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item))) continue;
      int fmt = item.fmt & HDF_JUSTIFYMASK;
      if (headerSortDisplayMode_ != hsdmNone)
        fmt |= HDF_OWNERDRAW;
      else
        fmt |= HDF_STRING | (Columns()->Items(i)->ImageIndex() != -1 && SmallImages() ? HDF_IMAGE : 0);
      item.fmt = fmt;
      ::SendMessageW(h, HDM_SETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
  } catch (...) {
    --headerUpdateDepth_;
    throw;
  }
  --headerUpdateDepth_;
  ::InvalidateRect(h, nullptr, TRUE);
}

void TRzCustomListView::SetHeaderSortDisplayMode(TRzLVHeaderSortDisplayMode Value) {
  if (Value == headerSortDisplayMode_) return;
  const TFileVersionWords& v = CommonControlsVersion();
  // The owner-drawn header needs common controls 4.70.
  headerSortDisplayMode_ = v.MS < ((4u << 16) | 70u) ? hsdmNone : Value;
  UpdateHeaderFormats();
  InvalidateHeader(true);
}

void TRzCustomListView::SetHeaderDefaultDrawing(bool Value) {
  if (Value == headerDefaultDrawing_) return;
  headerDefaultDrawing_ = Value;
  InvalidateHeader(true);
}

void TRzCustomListView::MarkSortColumn(Integer Column) {
  if (Column == sortColumn_) return;
  InvalidateHeaderItem(sortColumn_);
  InvalidateHeaderItem(Column);
  sortColumn_ = Column;
  if (CommonControlsVersion().MS >= (6u << 16)) UpdateHeaderFormats();
}

void TRzCustomListView::SetSortDirection(bool Descending) {
  if (Descending == sortDescending_) return;
  InvalidateHeaderItem(sortColumn_);
  sortDescending_ = Descending;
  if (CommonControlsVersion().MS >= (6u << 16)) UpdateHeaderFormats();
  if (HandleAllocated()) Update();
}

void TRzCustomListView::HeaderNotify(TMessage& Message) {
  auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
  // The header speaks in the list view's character set; both are heard.
  UINT code = hdr->code;
  if (code == HDN_ITEMCLICKW || code == HDN_ITEMCLICKA) InvalidateHeader(true);
  TCustomListView::Dispatch(Message);
  switch (code) {
    case HDN_ITEMCHANGEDA:
    case HDN_ITEMCHANGEDW:
    case HDN_BEGINTRACKA:
    case HDN_BEGINTRACKW:
    case HDN_ENDTRACKA:
    case HDN_ENDTRACKW:
      UpdateHeaderFormats();
      if (frameVisible_) Invalidate();
      break;
    default: break;
  }
  switch (code) {
    case HDN_ENDTRACKA:
    case HDN_ENDTRACKW:
    case HDN_DIVIDERDBLCLICKA:
    case HDN_DIVIDERDBLCLICKW: ResizeLastColumn(); break;
    default: break;
  }
}

void TRzCustomListView::PaintHeaderItem(Integer I, TRect R) {
  TCanvas* c = headerCanvas_.get();
  c->Font()->Assign(Font());
  c->Brush()->SetColor(clBtnFace);
  if (!Themed()) {
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(R);
    InflateBy(R, -2, -2);
  }
  if (headerDefaultDrawing_) PaintHeaderContent(I, R);
}

void TRzCustomListView::PaintHeaderContent(Integer I, TRect R) {
  TCanvas* c = headerCanvas_.get();
  HDC dc = c->Handle();
  Integer saved = ::SaveDC(dc);
  ::IntersectClipRect(dc, R.Left, R.Top, R.Right, R.Bottom);
  TRect t = R;
  if (Themed()) {
    TThemedHeader part = hotHeaderItem_ == I ? (headerPressed_ ? thHeaderItemPressed : thHeaderItemHot)
                                             : thHeaderItemNormal;
    SharedThemeServices()->PaintElement(dc, TThemeServices::DetailsFor(part), R);
    InflateBy(t, -2, -2);
  }
  t.Left += 4;
  t.Right -= 4;
  auto arrowBox = [](const TRect& A) {
    Integer s = (A.Top + A.Bottom) / 2 - 1;
    Integer y = (A.Top + A.Bottom - s) / 2 - 1;
    return Rect(A.Left, y, A.Left + s + 1, y + s);
  };
  auto moveTo = [](TRect B, Integer Right) {
    Integer w = B.Right - B.Left;
    B.Right = Right;
    B.Left = Right - w;
    return B;
  };
  TListColumn* col = I >= 0 && I < Columns()->Count() ? Columns()->Items(I) : nullptr;
  TAlignment just = col ? col->Alignment() : taLeftJustify;
  bool sorted = I == sortColumn_;
  UINT justFlag = just == taRightJustify ? DT_RIGHT : just == taCenter ? DT_CENTER : DT_LEFT;

  // The caption as the list view holds it.
  wchar_t buf[256] = {};
  LVCOLUMNW lvc{};
  lvc.mask = LVCF_TEXT;
  lvc.pszText = buf;
  lvc.cchTextMax = 255;
  ::SendMessageW(Handle(), LVM_GETCOLUMNW, static_cast<WPARAM>(I), reinterpret_cast<LPARAM>(&lvc));
  std::wstring text = buf;
  auto measure = [&](const TRect& Area) {
    RECT m{Area.Left, Area.Top, Area.Right, Area.Bottom};
    ::DrawTextW(dc, text.c_str(), -1, &m, DT_CALCRECT | DT_SINGLELINE | DT_RIGHT | DT_END_ELLIPSIS);
    return Rect(m.left, m.top, m.right, m.bottom);
  };
  auto drawText = [&](TRect Area) {
    if (col && col->ImageIndex() != -1 && SmallImages()) {
      SmallImages()->Draw(c, Area.Left, Area.Top, col->ImageIndex(), true);
      Area.Left += SmallImages()->Width() + 4;
    }
    c->Brush()->SetStyle(Themed() ? bsClear : bsSolid);
    c->Brush()->SetColor(clBtnFace);
    ::SelectObject(dc, c->Font()->Handle());
    ::SetTextColor(dc, static_cast<COLORREF>(ColorToRGB(c->Font()->Color())));
    ::SetBkMode(dc, Themed() ? TRANSPARENT : OPAQUE);
    ::SetBkColor(dc, static_cast<COLORREF>(ColorToRGB(clBtnFace)));
    RECT r{Area.Left, Area.Top, Area.Right, Area.Bottom};
    ::DrawTextW(dc, text.c_str(), -1, &r, justFlag | DT_SINGLELINE | DT_END_ELLIPSIS | DT_VCENTER);
  };
  ::SelectObject(dc, c->Font()->Handle());

  switch (headerSortDisplayMode_) {
    case hsdmLeftAlign:
      if (sorted && col && col->Width() > 15) {
        TRect box = arrowBox(t);
        PaintSortArrow(I, box);
        t.Left = box.Right + 5;
      }
      drawText(t);
      break;
    case hsdmRightOfText:
      if (just == taLeftJustify) {
        drawText(t);
        TRect m = measure(t);
        Integer w = m.Right - m.Left;
        m.Left += w + 5;
        m.Right += w + 5;
        PaintSortArrow(I, arrowBox(m));
      } else {
        if (sorted) {
          TRect m = measure(t);
          TRect lim = t;
          lim.Bottom = lim.Top + (m.Bottom - m.Top);
          TRect box = moveTo(arrowBox(lim), t.Right - 5);
          PaintSortArrow(I, box);
          Integer bw = box.Right - box.Left;
          if (just == taRightJustify) {
            t.Right = box.Left - 5;
          } else {
            t.Left += bw + 5;
            t.Right -= bw + 5;
          }
        }
        drawText(t);
      }
      break;
    case hsdmRightAlign:
      if (sorted) {
        TRect box = moveTo(arrowBox(t), t.Right - 5);
        PaintSortArrow(I, box);
        t.Right = box.Left - 5;
      }
      drawText(t);
      break;
    case hsdmNone: drawText(t); break;
  }
  ::RestoreDC(dc, saved);
}

void TRzCustomListView::PaintSortArrow(Integer I, const TRect& Box) {
  if (I != sortColumn_ || I < 0 || I >= Columns()->Count()) return;
  Integer bw = Box.Right - Box.Left;
  if (2 * bw >= Columns()->Items(I)->Width()) return;
  Integer a = ((Box.Bottom - Box.Top) * 3) / 4, w = 2 * a - 1, L = Box.Left, y0 = Box.Bottom - a;
  std::vector<TPoint> p;
  if (sortDescending_)
    p = {Point(L + w / 2, y0 + a - 1), Point(L, y0), Point(L + w - 1, y0)};
  else
    p = {Point(L + w / 2, y0), Point(L, y0 + a - 1), Point(L + w - 1, y0 + a - 1)};
  TCanvas* c = headerCanvas_.get();
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetColor(clBtnShadow);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(clBtnShadow);
  c->Polygon(p);
}

// ---------------------------------------------------------------------------
// Sorting.
Integer TRzCustomListView::CompareItemTexts(TListItem* Item1, TListItem* Item2, Integer Column) {
  if (!Item1 || !Item2) return 0;
  auto text = [Column](TListItem* It) -> std::string {
    if (Column == 0) return It->Caption();
    Integer k = Column - 1;
    return k < It->SubItems()->Count() ? It->SubItems()->Strings(k) : std::string();
  };
  std::string a = text(Item1), b = text(Item2);
  if (a.empty() != b.empty()) return a.empty() ? 1 : -1;
  return AnsiCompareText(a, b);
}

void TRzCustomListView::ColumnClicked(Integer Column) {
  if (!alphaSortAll_) return;
  if (Column == lastSortedColumn_) {
    MarkSortColumn(Column);
    SetSortDirection(true);
    CustomSort([Column](TListItem* A, TListItem* B, LPARAM) { return -CompareItemTexts(A, B, Column); }, 0);
    lastSortedColumn_ = -1;
  } else {
    MarkSortColumn(Column);
    SetSortDirection(false);
    CustomSort([Column](TListItem* A, TListItem* B, LPARAM) { return CompareItemTexts(A, B, Column); }, 0);
    lastSortedColumn_ = Column;
  }
}

// ---------------------------------------------------------------------------
// Check boxes and the item menu.
void TRzCustomListView::DoCheckStateChange(TListItem* Item) {
  if (OnCheckStateChange) OnCheckStateChange(this, Item);
}

bool TRzCustomListView::DoCheckStateChanging(TListItem* Item, bool ToBeChecked) {
  bool allow = true;
  if (OnCheckStateChanging) OnCheckStateChanging(this, Item, ToBeChecked, allow);
  return allow;
}

void TRzCustomListView::DoItemContextMenu(TListItem* Item, TPoint& P, TPopupMenu*& Menu) {
  if (OnItemContextMenu) OnItemContextMenu(this, Item, P, Menu);
}

void TRzCustomListView::PopupAtItem(TPoint P) {
  TPopupMenu* menu = PopupMenu();
  DoItemContextMenu(ItemFocused(), P, menu);
  menuShown_ = true;
  if (menu) {
    TPoint s = ClientToScreen(P);
    menu->SetPopupComponent(this);
    menu->Popup(s.X, s.Y);
  }
}

void TRzCustomListView::ShowItemMenu(TPoint P) {
  TListItem* focused = ItemFocused();
  auto plainMenu = [&] {
    if (TPopupMenu* menu = PopupMenu()) {
      // The point is the control's; the menu wants the screen's.
      TPoint s = ClientToScreen(P);
      menu->SetPopupComponent(this);
      menu->Popup(s.X, s.Y);
      menuShown_ = true;
    }
  };
  if (!focused || rightClick_) {
    if (rightClick_)
      PopupAtItem(P);
    else
      plainMenu();
    return;
  }
  if (focused->Focused()) {
    PopupAtItem(CentreOf(focused->DisplayRect(drIcon)));
  } else if (TListItem* sel = Selected()) {
    PopupAtItem(CentreOf(sel->DisplayRect(drIcon)));
  } else {
    plainMenu();
  }
}

void TRzCustomListView::KeyDown(Word& Key, TShiftState Shift) {
  bool noShift = !Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt);
  bool shiftOnly = Shift.Contains(ssShift) && !Shift.Contains(ssCtrl) && !Shift.Contains(ssAlt);
  if ((Key == VK_APPS && noShift) || (Key == VK_F10 && shiftOnly)) {
    Key = 0;
    menuShown_ = false;
    ShowItemMenu(Point(0, 0));
  }
  TCustomListView::KeyDown(Key, Shift);
}

// ---------------------------------------------------------------------------
// Wheel.
void TRzCustomListView::WheelScroll(Integer Delta) {
  wheelRest_ += Delta;
  Integer notches = wheelRest_ / WHEEL_DELTA;
  wheelRest_ -= notches * WHEEL_DELTA;
  if (notches == 0 || !HandleAllocated()) return;
  UINT lines = 3;
  ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  Integer step = static_cast<Integer>(lines) * (ViewStyle() == vsIcon ? 32 : 16);
  // Notch by notch: the report view rounds every scroll to whole rows, so
  // one scroll of several notches would not move as far as they do one by one.
  for (Integer i = 0; i < std::abs(notches); ++i)
    ::SendMessageW(Handle(), LVM_SCROLL, 0, static_cast<LPARAM>(notches > 0 ? -step : step));
}

// ---------------------------------------------------------------------------
// Messages.
void TRzCustomListView::CNNotify(TMessage& Message) {
  auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
  switch (hdr->code) {
    case LVN_COLUMNCLICK: {
      auto* nm = reinterpret_cast<NMLISTVIEW*>(Message.LParam);
      ColumnClicked(nm->iSubItem);
      TCustomListView::CNNotify(Message);
      return;
    }
    case LVN_ITEMCHANGING:
    case LVN_ITEMCHANGED: {
      TCustomListView::CNNotify(Message);
      auto* nm = reinterpret_cast<NMLISTVIEW*>(Message.LParam);
      // A tick put on or taken off; a first state image given to a new item is no change.
      UINT now = StateImage(nm->uNewState), was = StateImage(nm->uOldState);
      if (!Checkboxes() || !(nm->uChanged & LVIF_STATE) || now == was) return;
      if ((now != 0x2000 && now != 0x1000) || (was != 0x2000 && was != 0x1000)) return;
      if (nm->iItem < 0 || nm->iItem >= Items()->Count()) return;
      TListItem* item = Items()->Item(nm->iItem);
      if (hdr->code == LVN_ITEMCHANGING) {
        if (Message.Result == 0 && !DoCheckStateChanging(item, now == 0x2000)) Message.Result = 1;
      } else {
        DoCheckStateChange(item);
      }
      return;
    }
    case NM_RCLICK: {
      POINT p;
      ::GetCursorPos(&p);
      TPoint c = ScreenToClient(Point(p.x, p.y));
      rightClick_ = true;
      try {
        ShowItemMenu(c);
      } catch (...) {
        rightClick_ = false;
        throw;
      }
      rightClick_ = false;
      TCustomListView::CNNotify(Message);
      return;
    }
    case LVN_BEGINLABELEDITW:
    case LVN_BEGINLABELEDITA: {
      auto* di = reinterpret_cast<NMLVDISPINFOW*>(Message.LParam);
      if (ViewStyle() == vsReport && RowSelect() && !editOnRowClick_ && di->item.iItem >= 0 &&
          di->item.iItem < Items()->Count()) {
        POINT p;
        ::GetCursorPos(&p);
        TPoint c = ScreenToClient(Point(p.x, p.y));
        TRect label = Items()->Item(di->item.iItem)->DisplayRect(drLabel);
        bool inLabel = c.X >= label.Left && c.X < label.Right && c.Y >= label.Top && c.Y < label.Bottom;
        if (!inLabel) {
          Message.Result = 1;
          return;
        }
      }
      TCustomListView::CNNotify(Message);
      return;
    }
    default: break;
  }
  TCustomListView::CNNotify(Message);
}

void TRzCustomListView::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCPAINT: RenderFrame(Message); return;
    case WM_NOTIFY: {
      auto* hdr = reinterpret_cast<NMHDR*>(Message.LParam);
      if (hdr && HandleAllocated() && hdr->hwndFrom == HeaderHandle()) {
        HeaderNotify(Message);
        return;
      }
      break;
    }
    case WM_DRAWITEM: {
      auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
      if (di && HandleAllocated() && di->hwndItem == HeaderHandle()) {
        Integer saved = ::SaveDC(di->hDC);
        headerCanvas_->SetHandle(di->hDC);
        try {
          PaintHeaderItem(static_cast<Integer>(di->itemID),
                          Rect(di->rcItem.left, di->rcItem.top, di->rcItem.right, di->rcItem.bottom));
        } catch (...) {
          headerCanvas_->SetHandle(nullptr);
          ::RestoreDC(di->hDC, saved);
          throw;
        }
        headerCanvas_->SetHandle(nullptr);
        ::RestoreDC(di->hDC, saved);
        Message.Result = 1;
        return;
      }
      break;
    }
    case WM_PARENTNOTIFY:
      TCustomListView::Dispatch(Message);
      if (LOWORD(Message.WParam) == WM_CREATE) {
        // The list view learns its header's handle only after this; the
        // message names the new child.
        auto child = reinterpret_cast<HWND>(Message.LParam);
        wchar_t cls[32] = {};
        ::GetClassNameW(child, cls, 32);
        if (lstrcmpiW(cls, WC_HEADERW) == 0) SubclassHeader(child);
        UpdateHeaderFormats();
      }
      return;
    case kUpdateHeaderMsg: UpdateHeaderFormats(); return;
    case LVM_INSERTCOLUMNW:
    case LVM_INSERTCOLUMNA:
    case LVM_SETCOLUMNW:
    case LVM_SETCOLUMNA:
      // A column made or rewritten anew gets the header format of the list's own.
      TCustomListView::Dispatch(Message);
      UpdateHeaderFormats();
      return;
    case WM_MOUSEWHEEL: WheelScroll(static_cast<short>(HIWORD(Message.WParam))); Message.Result = 0; return;
    case WM_CONTEXTMENU: {
      if (menuShown_ || SelCount() == 0 || !ItemFocused()) return;
      if (Message.LParam == -1) {
        ShowItemMenu(Point(0, 0));
      } else {
        TPoint c = ScreenToClient(Point(static_cast<short>(LOWORD(Message.LParam)),
                                         static_cast<short>(HIWORD(Message.LParam))));
        PopupAtItem(c);
      }
      return;
    }
    case WM_RBUTTONDOWN:
      // A new right click: whatever was shown before is not this click's menu.
      menuShown_ = false;
      break;
    case WM_RBUTTONUP: {
      TComponent* menu = PopupMenuComponent();
      if (menuShown_ && menu) {
        SetPopupMenu(nullptr);
        try {
          TCustomListView::Dispatch(Message);
        } catch (...) {
          SetPopupMenu(menu);
          menuShown_ = false;
          throw;
        }
        SetPopupMenu(menu);
      } else {
        TCustomListView::Dispatch(Message);
      }
      menuShown_ = false;
      return;
    }
    default: break;
  }
  TCustomListView::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// Published properties.
void RegisterRzListViewClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterRzCommonTypes();
  RegisterEnum<TRzLVHeaderSortDisplayMode>("TRzLVHeaderSortDisplayMode",
                                           {"hsdmNone", "hsdmLeftAlign", "hsdmRightOfText", "hsdmRightAlign"});
  using L = TRzCustomListView;
  auto own = [](L* l) { return l->FrameController() == nullptr; };
  RegisterClassInfo<L, TCustomListView>("TRzCustomListView");
  RegisterClassInfo<TRzListView, L>("TRzListView")
      .Bool("AlphaSortAll", &L::AlphaSortAll, &L::SetAlphaSortAll, false)
      // The colour set by the application, stored only while enabled.
      .Color("Color", &L::NormalColor, &L::SetColor, clWindow)
      .Stored([](L* l) { return !l->FrameController() && l->Enabled() && !l->ParentColor(); })
      .Color("DisabledColor", &L::DisabledColor, &L::SetDisabledColor, clBtnFace)
      .Stored(own)
      .Bool("EditOnRowClick", &L::EditOnRowClick, &L::SetEditOnRowClick, false)
      .Bool("FillLastColumn", &L::FillLastColumn, &L::SetFillLastColumn, true)
      .Color("FocusColor", &L::FocusColor, &L::SetFocusColor, clWindow)
      .Stored([](L* l) { return !l->FrameController() && ColorToRGB(l->FocusColor()) != ColorToRGB(l->Color()); })
      .Color("FrameColor", &L::FrameColor, &L::SetFrameColor, clBtnShadow)
      .Stored(own)
      .Ref("FrameController", &L::FrameController, &L::SetFrameController)
      .Color("FrameHotColor", &L::FrameHotColor, &L::SetFrameHotColor, clBtnShadow)
      .Stored(own)
      .Bool("FrameHotTrack", &L::FrameHotTrack, &L::SetFrameHotTrack, false)
      .Stored(own)
      .Enum("FrameHotStyle", &L::FrameHotStyle, &L::SetFrameHotStyle, fsFlatBold)
      .Stored(own)
      .Set<TSide>("FrameSides", &L::FrameSides, &L::SetFrameSides, sdAllSides)
      .Stored(own)
      .Enum("FrameStyle", &L::FrameStyle, &L::SetFrameStyle, fsFlat)
      .Stored(own)
      .Bool("FrameVisible", &L::FrameVisible, &L::SetFrameVisible, false)
      .Stored(own)
      .Enum("FramingPreference", &L::FramingPreference, &L::SetFramingPreference, fpXPThemes)
      .Bool("HeaderDefaultDrawing", &L::HeaderDefaultDrawing, &L::SetHeaderDefaultDrawing, true)
      .Enum("HeaderSortDisplayMode", &L::HeaderSortDisplayMode, &L::SetHeaderSortDisplayMode, hsdmRightOfText)
      .Event("OnCheckStateChange", &L::OnCheckStateChange)
      .Event("OnCheckStateChanging", &L::OnCheckStateChanging)
      .Event("OnItemContextMenu", &L::OnItemContextMenu)
      .Event("OnMouseEnter", &L::OnMouseEnter)
      .Event("OnMouseLeave", &L::OnMouseLeave)
      // Names of older form files: read, never written.
      .Define([](L* l, TFiler* filer) {
        filer->DefineProperty(
            "FrameFlat",
            [l](TReader* r) {
              bool flat = r->ReadBoolean();
              l->SetFrameHotTrack(flat);
              if (flat) {
                l->SetFrameStyle(fsStatus);
                l->SetFrameHotStyle(fsLowered);
              }
            },
            nullptr, false);
        filer->DefineProperty(
            "FrameFocusStyle",
            [l](TReader* r) {
              std::string ident = r->ReadIdent();
              if (const TEnumInfo* info = FindEnumInfo(typeid(TFrameStyle))) {
                Integer v = info->ValueOf(ident);
                if (v >= fsNone && v <= fsFlatBold) l->SetFrameHotStyle(static_cast<TFrameStyle>(v));
              }
            },
            nullptr, false);
        filer->DefineProperty("FrameFlatStyle", &TRzOldPropReader::SkipIdentifier, nullptr, false);
      });
}
