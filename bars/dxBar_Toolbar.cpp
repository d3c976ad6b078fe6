// The toolbar window: laying its views out in rows, the sizes it asks for
// docked and floating, the mark, its frame (border and grip docked, frame and
// caption floating) and the drag that moves it between docked and floating.
#include <algorithm>

#include "bars/dxBar.h"

namespace {
constexpr Integer kMarkSize = 11;
// The window whose caption button is being pressed (one press at a time).
TdxBarControl* captionPressWindow = nullptr;
void InvalidateCaptionButton(TdxBarControl* W, Integer Index);

bool HorizontalStyle(TdxBarDockingStyle S) { return S == dsTop || S == dsBottom; }
}  // namespace

TdxBarControl::TdxBarControl(TdxBarManager* AOwner, TdxBar* Bar) : TCustomdxBarControl(AOwner), bar_(Bar) {
  SetCaption(Bar->Caption());
}

TdxBarControl::~TdxBarControl() {
  BeingFreed = true;
  Destroying();
  // The base destructor closes the chain as a base window; menu mode ends here.
  LeaveMenuMode();
  if (dockSite_) dockSite_->RemoveBar(this);
  for (HWND* kept : {&FloatingHandle, &DockedHandle})
    if (*kept) {
      if (IsWindow(*kept)) DestroyWindow(*kept);
      *kept = nullptr;
    }
  if (rotatedFont_) DeleteObject(rotatedFont_);
}

void TdxBarControl::CreateParams(TCreateParams& Params) {
  TCustomdxBarControl::CreateParams(Params);
  Params.WindowClass.style |= CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  if (!Parent()) {
    // The frame and caption are our own non-client area (see NCCalcSize).
    Params.Style = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    Params.ExStyle |= WS_EX_TOOLWINDOW;
    if (manager_->OwnerForm() && manager_->OwnerForm()->HandleAllocated())
      Params.WndParent = manager_->OwnerForm()->Handle();
  }
}

Integer TdxBarControl::BeginGroupSize() const { return manager_->IsFlat() ? 5 : 6; }

// --- Fonts -----------------------------------------------------------------------------------------
bool TdxBarControl::Rotates() const { return IsVerticalStyle(dockingStyle_) && bar_->RotateWhenVertical(); }

HFONT TdxBarControl::FontHandle() const {
  if (Rotates() && rotatedFont_) return rotatedFont_;
  return bar_->UseOwnFont() && bar_->FontHandle() ? bar_->FontHandle() : manager_->BarFontHandle();
}

void TdxBarControl::ApplyFont() {
  if (rotatedFont_) DeleteObject(rotatedFont_);
  rotatedFont_ = nullptr;
  HFONT base = bar_->UseOwnFont() && bar_->FontHandle() ? bar_->FontHandle() : manager_->BarFontHandle();
  if (Rotates() && base) {
    // Text running top to bottom; only outline fonts turn reliably.
    LOGFONTW lf{};
    GetObjectW(base, sizeof(lf), &lf);
    lf.lfEscapement = lf.lfOrientation = -900;
    lf.lfOutPrecision = OUT_TT_ONLY_PRECIS;
    rotatedFont_ = CreateFontIndirectW(&lf);
  }
  Canvas()->Font()->SetHandle(CopyFont(rotatedFont_ ? rotatedFont_ : base));
}

// The font follows the docking style: a bar docked on a side gets the turned copy.
void TdxBarControl::FontChanged() {
  if (fontReentry_) return;
  fontReentry_ = true;
  try {
    ApplyFont();
    MeasureFontMetrics();
    if (lock_ == 0) {
      HotTrackTo(nullptr);
      RebuildLayout();
    }
  } catch (...) {
    fontReentry_ = false;
    throw;
  }
  fontReentry_ = false;
}

void TdxBarControl::MeasureFontMetrics() {
  TCustomdxBarControl::MeasureFontMetrics();
  MDIButtonWidth = GetSystemMetrics(SM_CXMENUSIZE) - 2;
  MDIButtonHeight = GetSystemMetrics(SM_CYMENUSIZE) - 4;
}

// --- Window handles ----------------------------------------------------------------------------
void TdxBarControl::CreateWnd() {
  // In the drag state a move between docked and floating takes back the
  // window kept for that form instead of making one.
  HWND kept = nullptr;
  if (TwoHandleMode && lock_ > 0) {
    HWND& slot = Parent() ? DockedHandle : FloatingHandle;
    kept = slot;
    slot = nullptr;
    if (kept && !IsWindow(kept)) kept = nullptr;
  }
  if (!kept) {
    TCustomdxBarControl::CreateWnd();
    return;
  }
  AttachHandle(kept);
  if (Parent() && GetParent(kept) != Parent()->Handle()) ::SetParent(kept, Parent()->Handle());
  BuildItemControls();
  ApplyFont();
  MeasureFontMetrics();
  SetWindowPos(kept, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Lets the current window go (hidden, kept for its form) so that a window of
// the other form can take its place.
void TdxBarControl::SwitchHandle(bool Docked) {
  if (!HandleAllocated()) return;
  ::ShowWindow(Handle(), SW_HIDE);
  DropItemControls();
  HWND h = DetachHandle();
  HWND& slot = Docked ? DockedHandle : FloatingHandle;
  if (slot && slot != h && IsWindow(slot)) DestroyWindow(slot);
  slot = h;
}

void TdxBarControl::SetDragState(bool On) {
  if (TwoHandleMode == On) return;
  TwoHandleMode = On;
  if (!On) {
    // The window of the form not in use goes.
    for (HWND* kept : {&FloatingHandle, &DockedHandle}) {
      if (*kept && *kept != (HandleAllocated() ? Handle() : nullptr) && IsWindow(*kept)) DestroyWindow(*kept);
      *kept = nullptr;
    }
    if (bar_->Visible()) bar_->StorePosition();
  }
  // In-place editors live in one handle: they go for the drag and come back after it.
  if (itemLinks_)
    for (TdxBarItemLink* l : itemLinks_->VisibleLinks())
      if (auto* v = dynamic_cast<TdxBarWinControl*>(l->Control())) {
        if (On)
          v->ReleaseEditWindow();
        else
          v->CreateEditWindow();
      }
  if (HandleAllocated()) {
    Perform(WM_SIZE, 0, 0);
    RebuildLayout();
  }
}

void TdxBarControl::MoveToDockSite(TdxBarDockingStyle Style, TdxDockControl* Site) {
  bool newForm = Site ? Parent() != Site : Parent() != nullptr;
  // The style first: measuring the new font needs a window, still the old one.
  SetDockingStyle(Style);
  if (TwoHandleMode && newForm) SwitchHandle(Parent() != nullptr);
  if (dockSite_ && dockSite_ != Site) dockSite_->RemoveBar(this);
  dockSite_ = Site;
  // Docked windows are children of their site, floating ones pop-ups owned
  // by the form: a parent change makes the window again in its new form.
  if (Site && Parent() != Site) {
    // A pop-up handle is not re-parented: it goes, the child comes with the parent.
    if (!Parent() && HandleAllocated()) DestroyHandle();
    SetParent(Site);
  }
  else if (!Site && Parent())
    SetParent(nullptr);
  if (TwoHandleMode && newForm) {
    BeginLock();
    try {
      HandleNeeded();
    } catch (...) {
      EndLock();
      throw;
    }
    EndLock();
  }
  if (HandleAllocated())
    SetWindowPos(Handle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- Layout --------------------------------------------------------------------------------------
bool TdxBarControl::HasMarkFor(TdxBarDockingStyle) const {
  return bar_->ShowMark() && (Truncated || (manager_->Style() != bmsStandard && bar_->AllowQuickCustomizing()));
}

std::vector<TdxBarLayoutItem> TdxBarControl::CollectItems(std::vector<TdxBarItemLink*>& Links, bool AllLinks) const {
  std::vector<TdxBarLayoutItem> items;
  Links.clear();
  if (!itemLinks_) return items;
  const auto& src = AllLinks ? itemLinks_->VisibleLinks() : itemLinks_->ShownLinks();
  bool vertical = IsVerticalStyle(dockingStyle_);
  for (TdxBarItemLink* l : src) {
    TdxBarItemControl* c = l->Control();
    if (!c) continue;
    TdxBarLayoutItem i;
    i.Width = c->Width();
    i.Height = c->Height();
    i.BeginGroup = l->ReadBeginGroup();
    i.Align = c->EffectiveAlign();
    i.MinLen = vertical ? c->GetMinHeight() : c->GetMinWidth();
    i.RowBreak = c->RowBreak;
    items.push_back(i);
    Links.push_back(l);
  }
  return items;
}

void TdxBarControl::ArrangeItems() {
  if (itemLinks_)
    for (TdxBarItemLink* l : itemLinks_->VisibleLinks()) l->ItemRect = TRect{};
  std::vector<TdxBarItemLink*> links;
  auto items = CollectItems(links, false);
  TdxBarLayoutParams p;
  p.Vertical = IsVerticalStyle(dockingStyle_);
  p.Wraps = Wraps(dockingStyle_);
  p.BeginGroupSize = BeginGroupSize();
  Integer mark = HasMark() ? kMarkSize : 0;
  if (p.Wraps) {
    p.MaxLen = (p.Vertical ? ClientHeight() : ClientWidth()) - (dockingStyle_ != dsNone ? mark : 0);
    p.CrossExtent = ClientWidth();
  } else {
    Integer area = CaptionButtonsShown() ? (p.Vertical ? ButtonAreaHeight() : ButtonAreaWidth()) : 0;
    p.MaxLen = (p.Vertical ? ClientHeight() : ClientWidth()) - mark - area;
    p.RowThickness = p.Vertical ? ClientWidth() : ClientHeight();
  }
  if (dxBarArrangeItems(items, p)) Truncated = true;
  for (size_t i = 0; i < items.size(); ++i) {
    TdxBarItemControl* c = links[i]->Control();
    links[i]->ItemRect = items[i].Placed ? items[i].Rect : TRect{};
    links[i]->RowThickness = items[i].RowThickness;
    c->LastShown = items[i].LastShown;
    c->GroupSeparatorRect = items[i].SeparatorRect;
  }
}

// The widest (or tallest) view, or the default item size without links.
static Integer LargestView(TCustomdxBarControl* W, bool Widths) {
  Integer best = 0;
  bool any = false;
  if (W->ItemLinks())
    for (TdxBarItemLink* l : W->ItemLinks()->VisibleLinks())
      if (TdxBarItemControl* c = l->Control()) {
        best = std::max(best, Widths ? c->Width() : c->Height());
        any = true;
      }
  if (!any) return Widths ? W->BarManager()->DefaultItemWidth() : W->BarManager()->DefaultItemHeight();
  return best;
}

Integer TdxBarControl::MinBarWidth(TdxBarDockingStyle Style) {
  Integer w;
  if (IsVerticalStyle(Style) || Wraps(Style)) {
    w = LargestView(this, true);
  } else {
    TdxBarItemControl* first = nullptr;
    if (itemLinks_)
      for (TdxBarItemLink* l : itemLinks_->VisibleLinks())
        if ((first = l->Control())) break;
    w = first ? first->Width() : manager_->DefaultItemWidth();
  }
  if (CaptionButtonsShown()) {
    if (IsVerticalStyle(Style) || Wraps(Style))
      w = std::max(w, ButtonAreaWidth());
    else
      w += ButtonAreaWidth();
  }
  if (HorizontalStyle(Style) && HasMarkFor(Style)) w += kMarkSize;
  return w;
}

Integer TdxBarControl::MinBarHeight(TdxBarDockingStyle Style) {
  Integer h;
  if (!IsVerticalStyle(Style) || Wraps(Style)) {
    h = LargestView(this, false);
  } else {
    TdxBarItemControl* first = nullptr;
    if (itemLinks_)
      for (TdxBarItemLink* l : itemLinks_->VisibleLinks())
        if ((first = l->Control())) break;
    h = first ? first->Height() : manager_->DefaultItemHeight();
  }
  if (CaptionButtonsShown()) {
    if (!IsVerticalStyle(Style) || Wraps(Style))
      h = std::max(h, ButtonAreaHeight());
    else
      h += ButtonAreaHeight();
  }
  if (IsVerticalStyle(Style) && HasMarkFor(Style)) h += kMarkSize;
  return h;
}

// The length of every view in one row (separators between), or the largest
// view across.
static Integer SumAlong(TCustomdxBarControl* W, bool Widths, Integer GroupSize) {
  Integer sum = 0;
  if (W->ItemLinks())
    for (TdxBarItemLink* l : W->ItemLinks()->VisibleLinks())
      if (TdxBarItemControl* c = l->Control()) {
        if (sum > 0 && l->ReadBeginGroup()) sum += GroupSize;
        sum += Widths ? c->Width() : c->Height();
      }
  return sum;
}

Integer TdxBarControl::FullBarWidth(TdxBarDockingStyle Style) {
  Integer w;
  if (!IsVerticalStyle(Style) || Wraps(Style)) {
    w = SumAlong(this, true, BeginGroupSize()) + (CaptionButtonsShown() ? ButtonAreaWidth() : 0);
    if (HorizontalStyle(Style) && HasMarkFor(Style)) w += kMarkSize;
  } else {
    w = std::max(LargestView(this, true), CaptionButtonsShown() ? ButtonAreaWidth() : 0);
  }
  return std::max(w, MinBarWidth(Style));
}

Integer TdxBarControl::FullBarHeight(TdxBarDockingStyle Style) {
  Integer h;
  Integer area = CaptionButtonsShown() ? ButtonAreaHeight() : 0;
  if (IsVerticalStyle(Style) && !Wraps(Style)) {
    h = SumAlong(this, false, BeginGroupSize()) + area;
    if (HasMarkFor(Style)) h += kMarkSize;
  } else if (IsVerticalStyle(Style)) {
    h = SumAlong(this, false, BeginGroupSize()) + area;
  } else {
    h = std::max(LargestView(this, false), area);
  }
  return std::max(h, MinBarHeight(Style));
}

// Wrapping bars: rows broken for a length along their row direction.
TPoint TdxBarControl::MeasureRows(TdxBarDockingStyle Style, Integer Length) {
  bool vertical = IsVerticalStyle(Style);
  Integer along = vertical ? MinBarHeight(Style) : MinBarWidth(Style);
  Integer across = vertical ? MinBarWidth(Style) : MinBarHeight(Style);
  std::vector<TdxBarItemLink*> links;
  auto items = CollectItems(links, false);
  Integer limit = Length;
  if (Style != dsNone && HasMarkFor(Style)) limit -= kMarkSize;
  Integer areaAlong = 0, areaAcross = 0;
  if (CaptionButtonsShown()) {
    areaAlong = vertical ? ButtonAreaHeight() : ButtonAreaWidth();
    areaAcross = vertical ? ButtonAreaWidth() : ButtonAreaHeight();
  }
  dxBarCalcRowBreaks(items, vertical, limit, BeginGroupSize(), along, across, areaAlong, areaAcross);
  for (size_t i = 0; i < items.size(); ++i) links[i]->Control()->RowBreak = items[i].RowBreak;
  return vertical ? Point(across, along) : Point(along, across);
}

// Single-row bars: the views that fit the length, the first always.
TPoint TdxBarControl::MeasureSingleRow(TdxBarDockingStyle Style, Integer Length) {
  bool vertical = IsVerticalStyle(Style);
  Integer minAlong = vertical ? MinBarHeight(Style) : MinBarWidth(Style);
  Integer minAcross = vertical ? MinBarWidth(Style) : MinBarHeight(Style);
  Integer mark = HasMarkFor(Style) ? kMarkSize : 0;
  Integer areaAlong = 0, areaAcross = 0;
  if (CaptionButtonsShown()) {
    areaAlong = vertical ? ButtonAreaHeight() : ButtonAreaWidth();
    areaAcross = vertical ? ButtonAreaWidth() : ButtonAreaHeight();
  }
  Integer limit = std::max(Length, minAlong) - mark - areaAlong;
  Integer rowLen = 0, rowThick = 0;
  bool first = true;
  if (itemLinks_)
    for (TdxBarItemLink* l : itemLinks_->ShownLinks()) {
      TdxBarItemControl* c = l->Control();
      if (!c) continue;
      Integer len = (vertical ? c->Height() : c->Width()) + (!first && l->ReadBeginGroup() ? BeginGroupSize() : 0);
      if (!first && rowLen + len > limit) break;
      rowLen += len;
      rowThick = std::max(rowThick, vertical ? c->Width() : c->Height());
      first = false;
    }
  if (first) rowThick = minAcross;
  rowThick = std::max(rowThick, areaAcross);
  Integer along = std::max(minAlong, rowLen + mark + areaAlong);
  return vertical ? Point(rowThick, along) : Point(along, rowThick);
}

TPoint TdxBarControl::CalcSizeForWidth(TdxBarDockingStyle Style, Integer Width) {
  if (!Wraps(Style)) {
    if (IsVerticalStyle(Style)) return Point(MinBarWidth(Style), FullBarHeight(Style));
    return MeasureSingleRow(Style, Width);
  }
  if (!IsVerticalStyle(Style)) return MeasureRows(Style, Width);
  // Vertical rows: shorten the columns until the bar is as wide as asked.
  TPoint s = MeasureRows(Style, FullBarHeight(Style));
  for (int guard = 0; s.X < Width && guard < 4096; ++guard) {
    TPoint t = MeasureRows(Style, s.Y - 1);
    if (t.Y == s.Y) break;
    s = t;
  }
  return s;
}

TPoint TdxBarControl::CalcSizeForHeight(TdxBarDockingStyle Style, Integer Height) {
  if (!Wraps(Style)) {
    if (!IsVerticalStyle(Style)) return Point(FullBarWidth(Style), MinBarHeight(Style));
    return MeasureSingleRow(Style, Height);
  }
  if (IsVerticalStyle(Style)) return MeasureRows(Style, Height);
  TPoint s = MeasureRows(Style, FullBarWidth(Style));
  for (int guard = 0; s.Y < Height && guard < 4096; ++guard) {
    TPoint t = MeasureRows(Style, s.X - 1);
    if (t.X == s.X) break;
    s = t;
  }
  return s;
}

TPoint TdxBarControl::CalcDockedSize(TdxBarDockingStyle Style) {
  if (!HandleAllocated()) HandleNeeded();
  Integer fw = bar_->FrameWidth(Style), fh = bar_->FrameHeight(Style);
  TdxDockControl* site = dockSite_;
  if (Style == dsNone) {
    // A bar never floated shows its links in one row.
    Integer w = bar_->FloatClientWidth() > 0 ? bar_->FloatClientWidth() : FullBarWidth(dsNone);
    TPoint s = CalcSizeForWidth(dsNone, w);
    return Point(s.X + fw, s.Y + fh);
  }
  if (IsVerticalStyle(Style)) {
    bool whole = bar_->WholeRow() && site;
    Integer h = whole ? site->ClientHeight() - fh : FullBarHeight(Style);
    TPoint s = CalcSizeForHeight(Style, h);
    return Point(s.X + fw, whole ? site->ClientHeight() : s.Y + fh);
  }
  bool whole = bar_->WholeRow() && site;
  Integer w = whole ? site->ClientWidth() - fw : FullBarWidth(Style);
  TPoint s = CalcSizeForWidth(Style, w);
  return Point(whole ? site->ClientWidth() : s.X + fw, s.Y + fh);
}

TRect TdxBarControl::MarkRect() {
  TRect c = ClientRect();
  bool standard = manager_->Style() == bmsStandard;
  if (IsVerticalStyle(dockingStyle_)) {
    TRect r = Rect(c.Left, c.Bottom - kMarkSize, c.Right, c.Bottom);
    if (standard) r.Left = r.Right - 9;
    return r;
  }
  if (dockingStyle_ == dsNone) {
    // In the caption: its window coordinates, left end of the caption.
    Integer f = bar_->FrameWidth(dsNone) / 2;
    return Rect(f, f, f + 13, f + SmallCaptionHeight());
  }
  TRect r = Rect(c.Right - kMarkSize, c.Top, c.Right, c.Bottom);
  if (standard) r.Bottom = r.Top + 9;
  return r;
}

void TdxBarControl::RebuildLayout() {
  if (lock_ > 0 || !HandleAllocated() || paintLocked_) return;
  if (dockSite_) {
    dockSite_->UpdateLayout();
  } else {
    TPoint s = CalcDockedSize(dsNone);
    SetBounds(Left(), Top(), s.X, s.Y);
  }
  ArrangeItems();
  Invalidate();
}

// --- Painting -----------------------------------------------------------------------------------
namespace {
void FillSolid(HDC Dc, const TRect& R, int SysColor) {
  RECT r = *R.AsRECT();
  FillRect(Dc, &r, GetSysColorBrush(SysColor));
}

void PaintMarkGlyph(HDC Dc, const TRect& M, bool Vertical, bool Truncated, bool Standard) {
  HBRUSH text = GetSysColorBrush(COLOR_BTNTEXT);
  if (!Standard) {
    // A small arrow: down near the bottom (left-pointing near the top in vertical bars).
    for (int k = 0; k < 3; ++k) {
      RECT line = Vertical ? RECT{M.Left + 5 + k, M.Top + 3 + k, M.Left + 6 + k, M.Top + 8 - k}
                           : RECT{M.Left + 3 + k, M.Bottom - 7 + k, M.Left + 8 - k, M.Bottom - 6 + k};
      FillRect(Dc, &line, text);
    }
  }
  if (!Truncated) return;
  HBRUSH a = Standard ? GetSysColorBrush(COLOR_BTNHIGHLIGHT) : text;
  HBRUSH b = Standard ? GetSysColorBrush(COLOR_BTNSHADOW) : text;
  // Two chevrons (">>" or "v v"), each two short strokes.
  for (int n = 0; n < 2; ++n) {
    for (int k = 0; k < 3; ++k) {
      RECT s1, s2;
      if (Vertical) {
        Integer y = M.Bottom - 9 + n * 4;
        s1 = RECT{M.Left + 2 + k, y + k, M.Left + 3 + k, y + k + 1};
        s2 = RECT{M.Left + 6 - k, y + k, M.Left + 7 - k, y + k + 1};
      } else {
        Integer x = M.Left + 2 + n * 4;
        s1 = RECT{x + k, M.Top + 2 + k, x + k + 1, M.Top + 3 + k};
        s2 = RECT{x + k, M.Top + 6 - k, x + k + 1, M.Top + 7 - k};
      }
      FillRect(Dc, &s1, a);
      FillRect(Dc, &s2, b);
    }
  }
}
}  // namespace

void TdxBarControl::Paint() {
  if (paintLocked_) return;
  HDC dc = Canvas()->Handle();
  ArrangeItems();
  HBRUSH bg = BackgroundBrush();
  HRGN rest = CreateRectRgn(0, 0, ClientWidth(), ClientHeight());
  HGDIOBJ oldFont = SelectObject(dc, FontHandle());
  bool flat = manager_->IsFlat();
  if (itemLinks_)
    for (TdxBarItemLink* l : itemLinks_->ShownLinks()) {
      TdxBarItemControl* c = l->Control();
      if (!c || l->ItemRect.Width() <= 0) continue;
      TRect s = c->GroupSeparatorRect;
      if (s.Width() > 0 && s.Height() > 0) {
        RECT sr0 = *s.AsRECT();
        FillRect(dc, &sr0, bg);
        bool across = s.Width() > s.Height();  // vertical bars: a horizontal line
        if (across) {
          Integer mid = (s.Top + s.Bottom) / 2 - 1;
          RECT line{s.Left + 2, mid, s.Right - 2, mid + 2};
          if (flat) {
            line.bottom = line.top + 1;
            FillRect(dc, &line, GetSysColorBrush(COLOR_BTNSHADOW));
          } else {
            DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
          }
        } else {
          Integer mid = (s.Left + s.Right) / 2 - 1;
          RECT line{mid, s.Top + 2, mid + 2, s.Bottom - 2};
          if (flat) {
            line.right = line.left + 1;
            FillRect(dc, &line, GetSysColorBrush(COLOR_BTNSHADOW));
          } else {
            DrawEdge(dc, &line, EDGE_ETCHED, BF_LEFT);
          }
        }
        HRGN sr = CreateRectRgn(s.Left, s.Top, s.Right, s.Bottom);
        CombineRgn(rest, rest, sr, RGN_DIFF);
        DeleteObject(sr);
      }
      itemBackgroundBrush_ = bg;
      c->PaintView(l->ItemRect, RotatesWindowItems(this) ? 2 : 0);
      DrawCustomizingFrame(c);
      TRect whole;
      GetItemRect(c, whole);
      HRGN ir = CreateRectRgn(whole.Left, whole.Top, whole.Right, whole.Bottom);
      CombineRgn(rest, rest, ir, RGN_DIFF);
      DeleteObject(ir);
    }
  SelectObject(dc, oldFont);
  PaintCaptionButtons(dc, rest);
  if (dockingStyle_ != dsNone && HasMark()) {
    TRect m = MarkRect();
    RECT mr = *m.AsRECT();
    FillRect(dc, &mr, bg);
    PaintMarkGlyph(dc, m, IsVerticalStyle(dockingStyle_), Truncated, manager_->Style() == bmsStandard);
    HRGN r = CreateRectRgn(m.Left, m.Top, m.Right, m.Bottom);
    CombineRgn(rest, rest, r, RGN_DIFF);
    DeleteObject(r);
  }
  FillRgn(dc, rest, bg);
  DeleteObject(rest);
}

// --- Frame -------------------------------------------------------------------------------------
void TdxBarControl::NCCalcSize(RECT& R) {
  bool flat = manager_->IsFlat();
  if (dockingStyle_ == dsNone) {
    Integer f = manager_->FloatFrameWidth(), g = manager_->FloatFrameHeight();
    R.left += f;
    R.right -= f;
    R.top += g;
    R.bottom -= g;
    if (flat) {
      // The flat look's 2-pixel shadow at the right and bottom.
      R.right -= 2;
      R.bottom -= 2;
    }
    R.top += SmallCaptionHeight();
    if (!flat) {
      R.left += 4;
      R.right -= 4;
      R.top += 2;
      R.bottom -= 1;
    }
  } else if (bar_->BorderStyle() == bbsSingle) {
    InflateRect(&R, -2, -2);
    if (IsVerticalStyle(dockingStyle_))
      R.top += manager_->GripArea();
    else
      R.left += manager_->GripArea();
  } else if (bar_->IsStatusBarStyle()) {
    R.top += 2;
  }
  if (R.right < R.left) R.right = R.left;
  if (R.bottom < R.top) R.bottom = R.top;
}

void TdxBarControl::NCPaint() {
  HDC dc = GetWindowDC(Handle());
  RECT wr;
  GetWindowRect(Handle(), &wr);
  POINT origin{0, 0};
  ::ClientToScreen(Handle(), &origin);
  Integer cx = origin.x - wr.left, cy = origin.y - wr.top;
  ExcludeClipRect(dc, cx, cy, cx + ClientWidth(), cy + ClientHeight());
  PaintFrame(dc);
  ReleaseDC(Handle(), dc);
}

void TdxBarControl::PaintWindowTo(HDC Dc) {
  RECT wr;
  GetWindowRect(Handle(), &wr);
  POINT origin{0, 0};
  ::ClientToScreen(Handle(), &origin);
  Integer cx = origin.x - wr.left, cy = origin.y - wr.top;
  PaintFrame(Dc);
  OffsetViewportOrgEx(Dc, cx, cy, nullptr);
  Perform(WM_PAINT, reinterpret_cast<WPARAM>(Dc), 0);
  OffsetViewportOrgEx(Dc, -cx, -cy, nullptr);
}

void TdxBarControl::PaintFrame(HDC dc) {
  RECT wr;
  GetWindowRect(Handle(), &wr);
  TRect W = Rect(0, 0, wr.right - wr.left, wr.bottom - wr.top);
  POINT origin{0, 0};
  ::ClientToScreen(Handle(), &origin);
  TRect C = Bounds(origin.x - wr.left, origin.y - wr.top, ClientWidth(), ClientHeight());
  HBRUSH B = BackgroundBrush();
  bool flat = manager_->IsFlat();
  bool standard = manager_->Style() == bmsStandard;
  if (dockingStyle_ != dsNone) {
    if (bar_->BorderStyle() == bbsNone) {
      if (bar_->IsStatusBarStyle()) FillSolid(dc, Rect(0, 0, W.Right, 2), COLOR_BTNFACE);
    } else {
      RECT all = *W.AsRECT();
      FillRect(dc, &all, B);
      if (flat) {
        FrameRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
        const POINT corners[4] = {{1, 1}, {W.Right - 2, 1}, {1, W.Bottom - 2}, {W.Right - 2, W.Bottom - 2}};
        for (const POINT& p : corners) FillSolid(dc, Rect(p.x, p.y, p.x + 1, p.y + 1), COLOR_BTNFACE);
      } else {
        DrawEdge(dc, &all, BDR_RAISEDINNER, BF_RECT);
      }
      // The grip: 3 pixels thick, across the bar, inside the grip area.
      bool vertical = IsVerticalStyle(dockingStyle_);
      Integer off = 2 + manager_->GripThickness();
      Integer from = 2, to = (vertical ? W.Right : W.Bottom) - 2;
      if (flat) {
        from += 3;
        to -= 3;
        for (Integer k = from; k < to; ++k) {
          if ((k - from) % 2) continue;
          TRect line = vertical ? Rect(k, off, k + 1, off + 3) : Rect(off, k, off + 3, k + 1);
          FillSolid(dc, line, COLOR_BTNSHADOW);
        }
      } else {
        if (!standard) {
          ++from;
          --to;
        }
        for (int n = 0; n < (standard ? 2 : 1); ++n) {
          Integer o = off + n * 3;
          RECT g = vertical ? RECT{from, o, to, o + 3} : RECT{o, from, o + 3, to};
          if (!standard) FillRect(dc, &g, GetSysColorBrush(COLOR_BTNFACE));
          DrawEdge(dc, &g, BDR_RAISEDINNER, BF_RECT);
          if (standard) {
            RECT px = vertical ? RECT{to - 1, o, to, o + 1} : RECT{o, to - 1, o + 1, to};
            FillRect(dc, &px, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
          }
        }
      }
    }
    return;
  }
  // Floating: the frame, the margin ring, then the caption.
  Integer f = manager_->FloatFrameWidth(), g = manager_->FloatFrameHeight();
  TRect frame = W;
  if (flat) {
    frame.Right -= 2;
    frame.Bottom -= 2;
    RECT sh1{frame.Right, 2, W.Right, W.Bottom}, sh2{2, frame.Bottom, frame.Right, W.Bottom};
    FillRect(dc, &sh1, manager_->ShadowBrush());
    FillRect(dc, &sh2, manager_->ShadowBrush());
    RECT r = *frame.AsRECT();
    FillRect(dc, &r, B);
    FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(&r, -1, -1);
    FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNHIGHLIGHT));
  } else {
    RECT r = *frame.AsRECT();
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
    TRect margin = Rect(C.Left - 4, C.Top - 2, C.Right + 4, C.Bottom + 1);
    RECT m = *margin.AsRECT();
    FillRect(dc, &m, B);
  }
  TRect cap = Rect(frame.Left + f, frame.Top + g, frame.Right - f, frame.Top + g + SmallCaptionHeight());
  int capColor = flat ? COLOR_INACTIVECAPTION : COLOR_ACTIVECAPTION;
  FillSolid(dc, cap, capColor);
  {
    RECT below{cap.Left, cap.Bottom, cap.Right, cap.Bottom + 1};
    FillRect(dc, &below, B);
  }
  if (bar_->InToolbarsList()) {
    Integer s = cap.Height();
    TRect btn = Rect(cap.Right - s, cap.Top, cap.Right, cap.Bottom);
    cap.Right = btn.Left;
    if (flat) {
      FillSolid(dc, btn, capColor);
      if (CloseButtonState != 0) {
        RECT hb = *btn.AsRECT();
        FrameRect(dc, &hb, GetSysColorBrush(COLOR_HIGHLIGHT));
        InflateRect(&hb, -1, -1);
        FillRect(dc, &hb, HotBrush());
      }
      HPEN pen = CreatePen(PS_SOLID, 2, GetSysColor(CloseButtonState == 1 ? COLOR_BTNTEXT : COLOR_CAPTIONTEXT));
      HGDIOBJ old = SelectObject(dc, pen);
      Integer d = std::min(btn.Width(), btn.Height()) - 8;
      d -= d % 2;
      MoveToEx(dc, btn.Left + 4, btn.Top + 4, nullptr);
      LineTo(dc, btn.Left + 4 + d, btn.Top + 4 + d);
      MoveToEx(dc, btn.Left + 4 + d, btn.Top + 4, nullptr);
      LineTo(dc, btn.Left + 4, btn.Top + 4 + d);
      SelectObject(dc, old);
      DeleteObject(pen);
    } else {
      RECT br = *btn.AsRECT();
      FrameRect(dc, &br, GetSysColorBrush(capColor));
      InflateRect(&br, -1, -1);
      DrawFrameControl(dc, &br, DFC_CAPTION, DFCS_CAPTIONCLOSE | (CloseButtonState == 2 ? DFCS_PUSHED : 0));
    }
  }
  NONCLIENTMETRICSW ncm{};
  ncm.cbSize = sizeof(ncm);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(ncm), &ncm, 0);
  if (ncm.lfSmCaptionFont.lfHeight >= -10) ncm.lfSmCaptionFont.lfHeight = -11;
  HFONT font = CreateFontIndirectW(&ncm.lfSmCaptionFont);
  HGDIOBJ oldFont = SelectObject(dc, font);
  SetTextColor(dc, GetSysColor(COLOR_CAPTIONTEXT));
  SetBkColor(dc, GetSysColor(capColor));
  std::wstring text = Utf8ToWide(bar_->Caption());
  TEXTMETRICW tm;
  GetTextMetricsW(dc, &tm);
  RECT tr = *cap.AsRECT();
  ExtTextOutW(dc, cap.Left + 2, cap.Top + (cap.Height() - tm.tmHeight) / 2, ETO_CLIPPED | ETO_OPAQUE, &tr,
              text.c_str(), static_cast<UINT>(text.size()), nullptr);
  SelectObject(dc, oldFont);
  DeleteObject(font);
}

LRESULT TdxBarControl::NCHitTest(TPoint Screen) {
  RECT wr;
  GetWindowRect(Handle(), &wr);
  if (Screen.X < wr.left || Screen.X >= wr.right || Screen.Y < wr.top || Screen.Y >= wr.bottom) return HTNOWHERE;
  if (dockingStyle_ == dsNone) {
    Integer f = manager_->FloatFrameWidth(), g = manager_->FloatFrameHeight();
    Integer x = Screen.X - wr.left, y = Screen.Y - wr.top;
    Integer w = wr.right - wr.left - (manager_->IsFlat() ? 2 : 0), h = wr.bottom - wr.top - (manager_->IsFlat() ? 2 : 0);
    LRESULT edge = 0;
    if (y < g)
      edge = HTTOP;
    else if (y >= h - g)
      edge = HTBOTTOM;
    else if (x < f)
      edge = HTLEFT;
    else if (x >= w - f)
      edge = HTRIGHT;
    if (edge) {
      HitCode = edge;
      return edge;
    }
  }
  TRect close = CloseButtonRect();
  if (close.Width() > 0) {
    Integer x = Screen.X - wr.left, y = Screen.Y - wr.top;
    if (x >= close.Left && x < close.Right && y >= close.Top && y < close.Bottom) {
      // Flat bars track the button themselves through client messages.
      if (manager_->IsFlat()) {
        HitCode = HTCLOSE;
        return HTCLIENT;
      }
      HitCode = HTCLIENT;
      return HTCLOSE;
    }
  }
  TPoint p = ScreenToClient(Screen);
  bool inClient = p.X >= 0 && p.Y >= 0 && p.X < ClientWidth() && p.Y < ClientHeight();
  HitCode = 0;
  if (inClient) {
    TdxBarItemControl* c = ItemControlAtPoint(p);
    if (c && (InCustomizing() || c->Selectable())) return HTCLIENT;
    if (CaptionButtonAt(p) >= 0) return HTCLIENT;
    if (dockingStyle_ != dsNone && HasMark()) {
      TRect m = MarkRect();
      if (p.X >= m.Left && p.X < m.Right && p.Y >= m.Top && p.Y < m.Bottom) return HTCLIENT;
    }
  }
  // The grip, the caption and empty bar space are drag handles.
  HitCode = HTCAPTION;
  return HTCLIENT;
}

void TdxBarControl::Dispatch(TMessage& M) {
  switch (M.Msg) {
    case WM_NCCALCSIZE: {
      RECT* r = M.WParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(M.LParam)->rgrc[0] : reinterpret_cast<RECT*>(M.LParam);
      NCCalcSize(*r);
      M.Result = 0;
      return;
    }
    case WM_NCPAINT:
      NCPaint();
      M.Result = 0;
      return;
    case WM_NCACTIVATE:
      // Keep the frame as we paint it; the platform would draw its own caption.
      NCPaint();
      M.Result = 1;
      return;
    case WM_NCHITTEST:
      M.Result = NCHitTest(MessagePoint(M.LParam));
      return;
    case WM_SIZING:
      if (dockingStyle_ == dsNone) {
        SizeFloating(static_cast<UINT>(M.WParam), *reinterpret_cast<RECT*>(M.LParam));
        M.Result = 1;
        return;
      }
      break;
    case WM_WINDOWPOSCHANGED:
      TCustomdxBarControl::Dispatch(M);
      // A floating bar's place and size live in its bar between shows.
      if (dockingStyle_ == dsNone && !Locked() && !BeingFreed && bar_->Visible()) bar_->StorePosition();
      return;
    case WM_GETDLGCODE:
      M.Result = DLGC_WANTARROWS | DLGC_WANTTAB | DLGC_WANTALLKEYS;
      return;
    case CM_DXBAR_FONTCHANGED:
      FontChanged();
      return;
    case WM_CANCELMODE:
      if (CaptionPressActive && captionPressWindow == this) {
        CaptionPressActive = false;
        captionPressWindow = nullptr;
        if (HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
        RebuildLayout();
      }
      break;
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:  // a quick second click on the button presses it again
      if (M.WParam == HTCLOSE && !InCustomizing()) {
        CloseButtonLoop();
        M.Result = 0;
        return;
      }
      break;
    case WM_GETMINMAXINFO: {
      auto* mm = reinterpret_cast<MINMAXINFO*>(M.LParam);
      mm->ptMinTrackSize = POINT{10, 10};
      mm->ptMaxTrackSize = mm->ptMaxSize = POINT{30000, 30000};
      M.Result = 0;
      return;
    }
    default: break;
  }
  TCustomdxBarControl::Dispatch(M);
}

// --- Dragging ----------------------------------------------------------------------------------
void TdxBarControl::WMLButtonDownBar(TMessage& M) {
  if (!ignoreNextButtonUp_ && !InCustomizing() && CaptionButtonsShown()) {
    Integer i = CaptionButtonAt(MessagePoint(M.LParam));
    if (i >= 0 && CaptionButtonEnabled(i)) {
      if (active_) SetActive(false);
      if (!IsLiveBarControl(this)) return;
      CaptionPressActive = CaptionPressUnderMouse = true;
      CaptionPressIndex = static_cast<Byte>(i);
      captionPressWindow = this;
      InvalidateCaptionButton(this, i);
      SetCapture(Handle());
      return;
    }
  }
  if (!ignoreNextButtonUp_ && PressMark(MessagePoint(M.LParam))) return;
  if (HitCode == HTCAPTION && !InCustomizing() && !manager_->ComponentState().Contains(csDesigning)) {
    CloseChain();
    DragLoop(ClientToScreen(MessagePoint(M.LParam)));
    return;
  }
  if (HitCode == HTCLOSE && !InCustomizing()) {
    CloseButtonLoop();
    return;
  }
  if (ignoreNextButtonUp_) return;
  // A press on a usable view puts the bar in menu mode (so a sub item's menu
  // opens and the keyboard works on); a press on nothing deactivates it.
  TdxBarItemControl* c = ItemControlAtPoint(MessagePoint(M.LParam));
  bool usable = c && ((c->ItemEnabled() && c->Selectable()) || manager_->Designing());
  if (usable) {
    if (InCustomizing()) {
      if (!active_) EnterMenuMode(c);
    } else {
      if (active_ && (c != selectedControl_ || (c->HasEditWindow && !IsEditingView(c)))) {
        KeyboardDropDown = false;
        SelectItem(c);
      } else if (active_ && IsEditingView(selectedControl_)) {
        // A press beside the editor (a combo's button) is the editor's.
        TPoint p = MessagePoint(M.LParam);
        if (!PointInEditRect(selectedControl_, p))
          ForwardMouseToEditWindow(selectedControl_, WM_LBUTTONDOWN, M.WParam, p, false);
        return;
      } else if (!active_) {
        // A plain toolbar button runs on release without menu mode: its
        // drop-down menu is not part of the bar's chain.
        if (bar_->IsMainMenu() || !c->ClickRunsItem()) EnterMenuMode(c);
      } else if (KeyboardDropDown && !dynamic_cast<TdxBarButtonControl*>(c)) {
        LeaveMenuMode();
      }
      if (active_ && !c->HasEditWindow) KeyboardDropDown = true;
    }
  } else if (!InCustomizing()) {
    SetActive(false);
  }
  if (!IsLiveBarControl(this)) return;
  TCustomdxBarControl::WMLButtonDownBar(M);
}

// Follows the mouse until the button goes up: over a site's docking zone the
// bar docks there (in the row and place under the cursor), elsewhere it
// floats with the cursor holding it where it was grabbed.
void TdxBarControl::DragLoop(TPoint Start) {
  RECT wr;
  GetWindowRect(Handle(), &wr);
  GrabX = Start.X - wr.left;
  GrabY = Start.Y - wr.top;
  FloatWidth = std::max<Integer>(1, wr.right - wr.left);
  FloatHeight = std::max<Integer>(1, wr.bottom - wr.top);
  TdxBars* bars = bar_->Bars();
  if (!bars) return;
  SetDragState(true);
  SetCapture(Handle());
  bool moved = false, done = false;
  try {
  Integer dx = GetSystemMetrics(SM_CXDRAG), dy = GetSystemMetrics(SM_CYDRAG);
  while (!done && IsLiveBarControl(this)) {
    MSG msg;
    if (!GetMessageW(&msg, nullptr, 0, 0)) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    switch (msg.message) {
      case WM_MOUSEMOVE: {
        POINT c;
        GetCursorPos(&c);
        if (!moved && std::abs(c.x - Start.X) <= dx && std::abs(c.y - Start.Y) <= dy) break;
        moved = true;
        MoveBarTo(Point(c.x, c.y));
        if (HandleAllocated() && GetCapture() != Handle()) SetCapture(Handle());
        break;
      }
      case WM_LBUTTONUP:
      case WM_RBUTTONDOWN:
      case WM_CANCELMODE: done = true; break;
      case WM_KEYDOWN:
        if (msg.wParam == VK_ESCAPE) done = true;
        break;
      default:
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
        break;
    }
  }
  } catch (...) {
    if (IsLiveBarControl(this)) {
      if (HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
      SetDragState(false);
    }
    throw;
  }
  if (!IsLiveBarControl(this)) return;
  if (HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
  SetDragState(false);
  bar_->StorePosition();
}

TPoint TdxBarControl::GrabOffset(TdxBarDockingStyle Style) {
  TPoint s = CalcDockedSize(Style);
  return Point(MulDiv(GrabX, s.X, FloatWidth), MulDiv(GrabY, s.Y, FloatHeight));
}

void TdxBarControl::MoveBarTo(TPoint Cursor) {
  TdxDockControl* target = nullptr;
  // Every site of the manager, built in or placed, by style; a site counts
  // while it and its parents are shown and enabled.
  for (TdxBarDockingStyle s : {dsLeft, dsRight, dsTop, dsBottom}) {
    for (Integer i = 0; i < manager_->DockControlCount() && !target; ++i) {
      TdxDockControl* d = manager_->DockControls(i);
      if (!d || d->DockingStyle() != s || !d->HandleAllocated() || bar_->NotDocking().Contains(s)) continue;
      if (!IsWindowVisible(d->Handle()) || !IsWindowEnabled(d->Handle())) continue;
      bool enabled = true;
      for (HWND p = d->Handle(); enabled && (GetWindowLongW(p, GWL_STYLE) & WS_CHILD) && (p = GetParent(p));)
        if (!IsWindowEnabled(p)) enabled = false;
      if (!enabled) continue;
      TRect z = d->DockingZone();
      if (Cursor.X < z.Left || Cursor.X >= z.Right || Cursor.Y < z.Top || Cursor.Y >= z.Bottom) continue;
      if (!manager_->CanDock(bar_, s, d)) continue;
      target = d;
    }
    if (target) break;
  }
  if (target) {
    TdxBarDockingStyle style = target->DockingStyle();
    TPoint g = GrabOffset(style);
    // The point of the window's leading edge picks the row and the place.
    TPoint at = Point(Cursor.X - g.X, Cursor.Y - g.Y);
    if (dockSite_ == target) {
      target->MoveBarInSite(this, at);
    } else {
      if (dockSite_) dockSite_->RemoveBar(this);
      BeginLock();
      MoveToDockSite(style, target);
      EndLock();
      target->InsertBar(this, at);
    }
    // The bar's place follows the window (the docking writers would re-show it).
    bar_->dockingStyle_ = style;
    bar_->dockControl_ = target->BuiltIn() ? nullptr : target;
    ::ShowWindow(Handle(), SW_SHOWNOACTIVATE);
    return;
  }
  TPoint g = GrabOffset(dsNone);
  if (dockingStyle_ != dsNone) {
    TdxDockControl* old = dockSite_;
    BeginLock();
    MoveToDockSite(dsNone, nullptr);
    EndLock();
    if (old) old->UpdateLayout();
    bar_->dockingStyle_ = dsNone;
    bar_->dockControl_ = nullptr;
  }
  TPoint s = CalcDockedSize(dsNone);
  SetBounds(Cursor.X - g.X, Cursor.Y - g.Y, s.X, s.Y);
  ArrangeItems();
  ::ShowWindow(Handle(), SW_SHOWNOACTIVATE);
  Invalidate();
}

// A floating bar sized by an edge takes the nearest layout that fits the new
// length; a corner changes nothing; the caption stays reachable at the top.
void TdxBarControl::SizeFloating(UINT Edge, RECT& R) {
  Integer fw = bar_->FrameWidth(dsNone), fh = bar_->FrameHeight(dsNone);
  switch (Edge) {
    case WMSZ_LEFT:
    case WMSZ_RIGHT: {
      TPoint s = CalcSizeForWidth(dsNone, R.right - R.left - fw);
      if (Edge == WMSZ_LEFT)
        R.left = R.right - (s.X + fw);
      else
        R.right = R.left + s.X + fw;
      R.bottom = R.top + fh + s.Y;
      break;
    }
    case WMSZ_TOP:
    case WMSZ_BOTTOM: {
      TPoint s = CalcSizeForHeight(dsNone, R.bottom - R.top - fh);
      R.right = R.left + fw + s.X;
      if (Edge == WMSZ_TOP)
        R.top = R.bottom - (s.Y + fh);
      else
        R.bottom = R.top + s.Y + fh;
      break;
    }
    default: GetWindowRect(Handle(), &R); break;
  }
  if (R.top < -15) {
    R.bottom += -15 - R.top;
    R.top = -15;
  }
}

// --- Caption close button ------------------------------------------------------------------------
TRect TdxBarControl::CloseButtonRect() {
  if (dockingStyle_ != dsNone || !bar_->InToolbarsList() || !HandleAllocated()) return TRect{};
  RECT wr;
  GetWindowRect(Handle(), &wr);
  Integer w = wr.right - wr.left, extra = manager_->IsFlat() ? 2 : 0;
  Integer f = manager_->FloatFrameWidth(), g = manager_->FloatFrameHeight(), s = SmallCaptionHeight();
  Integer right = w - extra - f;
  return Rect(right - s, g, right, g + s);
}

// Tracks the pressed close button until the button goes up: pressed while the
// cursor is on it, hot elsewhere; released on it, the bar closes.
void TdxBarControl::CloseButtonLoop() {
  CloseChain();
  if (!IsLiveBarControl(this) || CloseButtonRect().Width() <= 0) return;
  auto onButton = [this] {
    POINT c;
    GetCursorPos(&c);
    RECT wr;
    GetWindowRect(Handle(), &wr);
    TRect r = CloseButtonRect();
    Integer x = c.x - wr.left, y = c.y - wr.top;
    return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
  };
  CloseButtonState = 2;
  NCPaint();
  SetCapture(Handle());
  bool close = false;
  try {
    while (IsLiveBarControl(this) && HandleAllocated() && GetCapture() == Handle()) {
      MSG msg;
      if (!GetMessageW(&msg, nullptr, 0, 0)) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      if (msg.message == WM_MOUSEMOVE) {
        Byte state = onButton() ? 2 : 1;
        if (state != CloseButtonState) {
          CloseButtonState = state;
          NCPaint();
        }
        continue;
      }
      if (msg.message == WM_LBUTTONUP) {
        close = onButton();
        break;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  } catch (...) {
    if (IsLiveBarControl(this)) {
      if (HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
      CloseButtonState = 0;
      NCPaint();
    }
    throw;
  }
  if (!IsLiveBarControl(this)) return;
  if (HandleAllocated() && GetCapture() == Handle()) ReleaseCapture();
  CloseButtonState = 0;
  NCPaint();
  if (!close) return;
  // Hiding frees this window: that runs after its own message has returned.
  TdxBar* bar = bar_;
  TdxBarManager* manager = manager_;
  ::ShowWindow(Handle(), SW_HIDE);
  dxBarDeferred([bar, manager] {
    for (Integer i = 0; i < TdxBarManager::ManagerCount(); ++i) {
      if (TdxBarManager::Managers(i) != manager || !manager->Bars()) continue;
      for (Integer j = 0; j < manager->Bars()->Count(); ++j)
        if (manager->Bars()->Items(j) == bar) {
          bar->SetVisible(false);
          manager->DoBarClose(bar);
          return;
        }
    }
  });
}

// --- Caption buttons of a main-menu bar ----------------------------------------------------------
HWND TdxBarControl::MaximizedMDIChild() const {
  TCustomForm* f = manager_->OwnerForm();
  if (!bar_->IsMainMenu() || !f || f->FormStyle() != fsMDIForm || !f->ClientHandle()) return nullptr;
  BOOL maximized = FALSE;
  auto child = reinterpret_cast<HWND>(
      SendMessageW(f->ClientHandle(), WM_MDIGETACTIVE, 0, reinterpret_cast<LPARAM>(&maximized)));
  if (!child || !maximized || !GetSystemMenu(child, FALSE)) return nullptr;
  return child;
}

bool TdxBarControl::MDIButtonsShown() const { return MaximizedMDIChild() != nullptr; }

bool TdxBarControl::CaptionButtonsShown() const {
  return bar_->IsMainMenu() && (manager_->ShowCloseButton() || MDIButtonsShown());
}

Integer TdxBarControl::ButtonAreaWidth() const {
  return MDIButtonsShown() && !IsVerticalStyle(dockingStyle_) ? 3 * MDIButtonWidth + 2 : MDIButtonWidth;
}

Integer TdxBarControl::ButtonAreaHeight() const {
  return MDIButtonsShown() && IsVerticalStyle(dockingStyle_) ? 3 * MDIButtonHeight + 2 : MDIButtonHeight;
}

TRect TdxBarControl::CaptionButtonRect(Integer Index) {
  if (Index < 0 || Index > 2 || !CaptionButtonsShown()) return TRect{};
  bool mdi = MDIButtonsShown();
  if (!mdi && Index != 2) return TRect{};
  // Worked out as in a horizontal bar; a vertical one turns the result.
  bool vertical = IsVerticalStyle(dockingStyle_);
  Integer W = ClientWidth();
  Integer L = vertical ? ClientHeight() : W, T = vertical ? W : ClientHeight();
  if (dockingStyle_ != dsNone && HasMark()) L -= kMarkSize;
  Integer bw = vertical ? MDIButtonHeight : MDIButtonWidth, bh = vertical ? MDIButtonWidth : MDIButtonHeight;
  Integer area = mdi ? 3 * bw + 2 : bw;
  Integer top = (T - bh) / 2;
  if (Wraps(dockingStyle_) && itemLinks_) {
    // The last row: the buttons close it, or sit in a row of their own at the far edge.
    Integer lastEnd = -1, lastThick = 0;
    for (TdxBarItemLink* l : itemLinks_->ShownLinks()) {
      const TRect& r = l->ItemRect;
      if (r.Width() <= 0 || r.Height() <= 0) continue;
      Integer crossEnd = vertical ? W - r.Left : r.Bottom;
      if (crossEnd >= lastEnd) {
        lastEnd = crossEnd;
        lastThick = l->RowThickness;
      }
    }
    if (lastEnd >= 0) top = lastEnd <= T - bh ? T - bh : T - (lastThick - bh) / 2 - bh;
  }
  Integer left = mdi ? L - area + Index * bw + (Index == 2 ? 2 : 0) : L - bw;
  TRect r = Rect(left, top, left + bw, top + bh);
  if (vertical) r = Rect(W - r.Bottom, r.Left, W - r.Top, r.Right);
  return r;
}

bool TdxBarControl::CaptionButtonEnabled(Integer Index) const {
  HWND child = MaximizedMDIChild();
  if (!child || Index == 1) return true;
  static const UINT commands[3] = {SC_MINIMIZE, SC_RESTORE, SC_CLOSE};
  UINT state = GetMenuState(GetSystemMenu(child, FALSE), commands[Index], MF_BYCOMMAND);
  return state == static_cast<UINT>(-1) || !(state & (MF_GRAYED | MF_DISABLED));
}

Integer TdxBarControl::CaptionButtonAt(TPoint P) {
  if (!CaptionButtonsShown()) return -1;
  for (Integer i = 0; i < 3; ++i) {
    TRect r = CaptionButtonRect(i);
    if (r.Width() > 0 && P.X >= r.Left && P.X < r.Right && P.Y >= r.Top && P.Y < r.Bottom) return i;
  }
  return -1;
}

namespace {
void InvalidateCaptionButton(TdxBarControl* W, Integer Index) {
  if (!W->HandleAllocated()) return;
  TRect r = W->CaptionButtonRect(Index);
  InvalidateRect(W->Handle(), r.AsRECT(), FALSE);
}
}  // namespace

void TdxBarControl::PaintCaptionButtons(HDC Dc, HRGN Rest) {
  if (!CaptionButtonsShown()) return;
  bool flat = manager_->IsFlat();
  bool mdi = MDIButtonsShown();
  static const UINT kinds[3] = {DFCS_CAPTIONMIN, DFCS_CAPTIONRESTORE, DFCS_CAPTIONCLOSE};
  for (Integer i = mdi ? 0 : 2; i < 3; ++i) {
    TRect r = CaptionButtonRect(i);
    if (r.Width() <= 0) continue;
    bool pressed = CaptionPressActive && captionPressWindow == this && CaptionPressIndex == i && CaptionPressUnderMouse;
    UINT state = kinds[i];
    if (!CaptionButtonEnabled(i)) state |= DFCS_INACTIVE;
    if (pressed && !flat) state |= DFCS_PUSHED;
    bool flatButton = flat || (!mdi && manager_->FlatCloseButton());
    RECT rc = *r.AsRECT();
    if (flatButton) {
      // Drawn flat a pixel inside, then framed.
      RECT inner = rc;
      InflateRect(&inner, -1, -1);
      int saved = SaveDC(Dc);
      IntersectClipRect(Dc, inner.left, inner.top, inner.right, inner.bottom);
      DrawFrameControl(Dc, &rc, DFC_CAPTION, state | DFCS_FLAT);
      RestoreDC(Dc, saved);
      if (flat)
        FrameRect(Dc, &rc, BackgroundBrush());
      else
        DrawEdge(Dc, &rc, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
    } else {
      DrawFrameControl(Dc, &rc, DFC_CAPTION, state);
    }
    HRGN b = CreateRectRgn(rc.left, rc.top, rc.right, rc.bottom);
    CombineRgn(Rest, Rest, b, RGN_DIFF);
    DeleteObject(b);
  }
}

void TdxBarControl::WMLButtonUpBar(TMessage& M) {
  if (CaptionPressActive && captionPressWindow == this) {
    CaptionPressActive = false;
    captionPressWindow = nullptr;
    if (GetCapture() == Handle()) ReleaseCapture();
    Integer pressed = CaptionPressIndex;
    Integer under = CaptionButtonAt(MessagePoint(M.LParam));
    InvalidateCaptionButton(this, pressed);
    // Released on the pressed button only: elsewhere the press just ends.
    if (under == pressed) {
      if (HWND child = MaximizedMDIChild()) {
        static const WPARAM commands[3] = {SC_MINIMIZE, SC_RESTORE, SC_CLOSE};
        SendMessageW(child, WM_SYSCOMMAND, commands[pressed], 0);
      } else if (pressed == 2) {
        manager_->DoCloseButtonClick();
      }
    }
    if (!IsLiveBarControl(this)) return;
  }
  TCustomdxBarControl::WMLButtonUpBar(M);
}

void TdxBarControl::WMMouseMoveBar(TMessage& M) {
  if (CaptionPressActive && captionPressWindow == this) {
    bool under = CaptionButtonAt(MessagePoint(M.LParam)) == CaptionPressIndex;
    if (under != CaptionPressUnderMouse) {
      CaptionPressUnderMouse = under;
      InvalidateCaptionButton(this, CaptionPressIndex);
    }
    return;
  }
  TCustomdxBarControl::WMMouseMoveBar(M);
}
