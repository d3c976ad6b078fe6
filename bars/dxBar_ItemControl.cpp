// Item views: the per-link drawing and input objects inside a bar window, the
// click sequence that ends in the item's click, the shared painting
// primitives (glyph cell, check mark, item text, menu row), and the button view.
#include <algorithm>

#include "bars/dxBar.h"

// --- TdxBarItemControl ----------------------------------------------------------------------
TdxBarItemControl::TdxBarItemControl(TdxBarItemLink* Link)
    : link_(Link), window_(Link && Link->Links() ? Link->Links()->BarControl() : nullptr) {
  if (link_) link_->control_ = this;
}

TdxBarItemControl::~TdxBarItemControl() {
  TdxBarManager* m = BarManager();
  if (m && m->SelectedItemControl() == this) m->ClearSelectedItemControl();
  if (link_ && link_->control_ == this) link_->control_ = nullptr;
  if (window_ && IsLiveBarControl(window_) && window_->SelectedControl() == this) {
    bool destroying = m && m->IsDestroying();
    if (!destroying && !window_->InCustomizing()) {
      bool shown = link_ && link_->Links() &&
                   std::find(link_->Links()->ShownLinks().begin(), link_->Links()->ShownLinks().end(), link_) !=
                       link_->Links()->ShownLinks().end();
      if (!shown || window_->IsDestroying())
        window_->SetSelectedControl(nullptr);
      else
        window_->HotTrackTo(nullptr);
    }
    if (window_->SelectedControl() == this) window_->SetSelectedControl(nullptr);
  }
}

TdxBarItem* TdxBarItemControl::Item() const { return link_ ? link_->Item() : nullptr; }
TdxBarManager* TdxBarItemControl::BarManager() const { return link_ ? link_->BarManager() : nullptr; }
bool TdxBarItemControl::IsFlat() const { return window_ && window_->IsFlat(); }
TdxBarItemAlign TdxBarItemControl::EffectiveAlign() const {
  return window_ && window_->AllowsItemAlign() && Item() ? Item()->Align() : iaLeft;
}
TRect TdxBarItemControl::ViewRect() const { return link_ ? link_->ItemRect : TRect{}; }

void TdxBarItemControl::BeginGroupChanged() { RelayoutWindow(); }
void TdxBarItemControl::CaptionChanged() { RelayoutWindow(); }
void TdxBarItemControl::EnabledChanged() {
  if (!ItemEnabled() && window_ && window_->SelectedControl() == this) window_->selectedControl_ = nullptr;
  RedrawView();
}
void TdxBarItemControl::GlyphChanged() { RedrawView(); }
void TdxBarItemControl::PressedChanged() {
  if (!Pressed) RedrawView();
}
void TdxBarItemControl::ShortCutChanged() {
  if (IsMenu()) RelayoutWindow();
}
void TdxBarItemControl::LayoutChanged() { RelayoutWindow(); }
void TdxBarItemControl::RelayoutWindow() {
  if (window_) window_->RebuildLayout();
}

bool TdxBarItemControl::SameManager() const {
  TdxBarManager* lm = BarManager();
  return Item() && (lm == Item()->BarManager() || (lm && lm->ComponentState().Contains(csAncestor)));
}

bool TdxBarItemControl::AllowedWhileCustomizing() const {
  return !(window_ && window_->InCustomizing()) || SameManager();
}

void TdxBarItemControl::PerformClick(bool ByMouse) {
  if (!ItemEnabled()) return;
  TCustomdxBarControl* w = window_;
  PrepareClick(ByMouse);
  if (IsLiveBarControl(w) && w->OwnsItemControl(this)) ExecuteClick(ByMouse);
}

void TdxBarItemControl::EnterActive(bool) { Active = true; }
void TdxBarItemControl::LeaveActive(bool) { Active = false; }

void TdxBarItemControl::SetPressed(bool V) {
  if (Pressed == V) return;
  Pressed = V;
  PressedChanged();
}

void TdxBarItemControl::ExecuteClick(bool) {
  if (dynamic_cast<TdxBarButtonControl*>(this) && IsMenu()) PlayMenuSound(1);
  TdxBarItemLink* clicked = link_->OwnerLink();
  TdxBarItem* item = Item();
  bool runs = ClickRunsItem();
  bool closes = ClickClosesMenus();
  TCustomdxBarControl* w = window_;
  if (closes) {
    try {
      clicked->CountUse(true);
      if (link_ != clicked) link_->CountUse(true);
    } catch (...) {
    }
  }
  auto* button = dynamic_cast<TdxBarButton*>(item);
  bool showPressed = (!button || button->UnclickAfterDoing()) && (!closes || !w->IsPopupWindow());
  TdxBarItemControl* self = this;
  if (showPressed) SetPressed(true);
  try {
    if (closes) w->CloseChain();
    if (runs && item) {
      item->SetClickItemLink(clicked);
      try {
        item->RunClick();
      } catch (...) {
        item->SetClickItemLink(nullptr);
        throw;
      }
      item->SetClickItemLink(nullptr);
    }
  } catch (...) {
    if (showPressed && IsLiveBarControl(w) && w->OwnsItemControl(self)) {
      try {
        self->SetPressed(false);
      } catch (...) {
      }
    }
    throw;
  }
  // The click may have freed this view (its window closed, the bars changed).
  if (showPressed && IsLiveBarControl(w) && w->OwnsItemControl(self)) {
    try {
      self->SetPressed(false);
    } catch (...) {
    }
  }
}

bool TdxBarItemControl::IsDrawnSelected() const {
  return window_ && window_->SelectedControl() == this && (ItemEnabled() || !SelectedByMouse);
}

std::string TdxBarItemControl::GetCaption() const { return link_ ? link_->EffectiveCaption() : std::string(); }
bool TdxBarItemControl::ItemEnabled() const { return Item() && Item()->ReadEnabled(); }
TBitmap* TdxBarItemControl::Glyph() const { return link_ ? link_->EffectiveGlyph() : nullptr; }
Integer TdxBarItemControl::ImageIndex() const { return Item() ? Item()->ImageIndex() : -1; }
TCustomImageList* TdxBarItemControl::Images() const { return BarManager() ? BarManager()->Images() : nullptr; }
std::string TdxBarItemControl::GetHint() const { return Item() ? Item()->Hint() : std::string(); }
TCustomImageList* TdxBarItemControl::HotImages() const { return BarManager() ? BarManager()->HotImages() : nullptr; }
TCustomImageList* TdxBarItemControl::LargeImages() const {
  return BarManager() ? BarManager()->LargeImages() : nullptr;
}
TShortCut TdxBarItemControl::ShortCut() const { return Item() ? Item()->ShortCut() : 0; }

Integer TdxBarItemControl::MenuGlyphColumnWidth() const {
  if (!IsMenu()) return 0;
  return window_->TextRowHeight() + (IsFlat() ? 3 : 1);
}

bool TdxBarItemControl::HasHint() const { return !GetHint().empty() && window_ && window_->IsToolbarWindow(); }

void TdxBarItemControl::RedrawView() {
  if (window_ && IsLiveBarControl(window_) && !window_->IsDestroying()) window_->PaintItemControl(this);
}

bool TdxBarItemControl::OpensItemEditorOnDoubleClick() const {
  return (BarManager() && BarManager()->Designing()) || DoubleClickExpands();
}

Integer TdxBarItemControl::Height() const {
  if (EffectiveAlign() == iaClient && IsVerticalToolbar(window_))
    return RotatesWindowItems(window_) ? GetMinWidth() : GetMinHeight();
  return GetHeight();
}

Integer TdxBarItemControl::Width() const {
  if (EffectiveAlign() == iaClient && !IsVerticalToolbar(window_)) return GetMinWidth();
  return GetWidth();
}

bool TdxBarItemControl::MouseDownOnView() const {
  if (!window_ || !window_->HandleAllocated() || !ItemEnabled()) return false;
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(window_->Handle(), &p);
  TRect r = ViewRect();
  if (!(p.x >= r.Left && p.x < r.Right && p.y >= r.Top && p.y < r.Bottom)) return false;
  return GetKeyState(VK_LBUTTON) < 0 || LogicalLeftButtonDown();
}

bool TdxBarItemControl::HasGlyph() const {
  TBitmap* g = Glyph();
  if (g && !g->Empty()) return true;
  TCustomImageList* il = Images();
  return il && ImageIndex() >= 0 && ImageIndex() < il->Count();
}

// --- Painting primitives ---------------------------------------------------------------------
namespace {
// The background under a menu row: what the window chose for the row being
// painted (rarely used rows have their own).
HBRUSH MenuRowBrush(TCustomdxBarControl* W) {
  return W->ItemBackgroundBrush() ? W->ItemBackgroundBrush() : W->BackgroundBrush();
}
}  // namespace

void TdxBarItemControl::DrawLoweredFrame(HDC DC, TRect& R) const {
  if (IsFlat())
    FrameRect(DC, R.AsRECT(), GetSysColorBrush(COLOR_BTNSHADOW));
  else
    DrawEdge(DC, R.AsRECT(), BDR_SUNKENOUTER, BF_RECT);
  R = Rect(R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1);
}

void TdxBarItemControl::DrawGlyphCell(HDC DC, const TRect& R, Integer Kind, bool PressedLook, bool Down,
                                      bool Selected, bool NoGlyph) {
  TdxBarManager* m = BarManager();
  TRect cell = R;
  if (Kind == 0) cell.Right = cell.Left + m->DefaultItemWidth();
  if (Kind == 2) cell.Bottom = cell.Top + m->DefaultItemHeight();
  Integer cw = cell.Width(), ch = cell.Height();
  bool glyph = !NoGlyph && HasGlyph();
  Integer gw = 0, gh = 0;
  TBitmap* bmp = Glyph();
  bool useBitmap = bmp && !bmp->Empty();
  if (glyph) {
    gw = useBitmap ? bmp->Width() : Images()->Width();
    gh = useBitmap ? bmp->Height() : Images()->Height();
    if (Kind == 1 && m->StretchGlyphs()) {
      Integer box = IsFlat() ? 20 : 19;
      gw = MulDiv(gw, cw, box);
      gh = MulDiv(gh, ch, box);
    } else if (Kind != 1 && m->LargeIcons()) {
      gw *= 2;
      gh *= 2;
    }
  }
  TRect gr = Bounds(cell.Left + (cw - gw) / 2, cell.Top + (ch - gh) / 2, gw, gh);
  if (!IsFlat()) {
    if (Down) gr = Rect(gr.Left + 1, gr.Top + 1, gr.Right + 1, gr.Bottom + 1);
    if (PressedLook) gr = Rect(gr.Left + 1, gr.Top + 1, gr.Right + 1, gr.Bottom + 1);
  }
  bool enabled = ItemEnabled();
  HBRUSH brush;
  if (Down && enabled)
    brush = Selected ? window_->CheckedHotBrush() : window_->CheckedBrush();
  else if (Selected && (IsFlat() || (Kind == 1 && !glyph && !Down)))
    brush = window_->HotBrush();
  else if (IsFlat() && Kind == 1)
    brush = m->FlatFaceBrush();
  else
    brush = (Kind == 1 ? MenuRowBrush(window_) : window_->BackgroundBrush());
  Integer need = glyph ? std::max(gw, gh) : m->GlyphSize();
  bool fits = (glyph ? gw : need) + 2 <= cw && (glyph ? gh : need) + 2 <= ch;
  TRect fill = fits ? Rect(cell.Left + 1, cell.Top + 1, cell.Right - 1, cell.Bottom - 1) : cell;
  if (!glyph || NoGlyph) {
    FillRect(DC, fill.AsRECT(), brush);
    if (NoGlyph && Kind == 1 && Down) DrawCheckMark(DC, cell, enabled);
  } else {
    // With the unstretched bitmap drawn at its own size the glyph rect is
    // the bitmap's; stretched menu glyphs keep the cell's look.
    TRect drawRect = Bounds(gr.Left, gr.Top, useBitmap ? bmp->Width() : Images()->Width(),
                            useBitmap ? bmp->Height() : Images()->Height());
    if (drawRect.Width() != gw) drawRect = Bounds(cell.Left + (cw - drawRect.Width()) / 2 + (gr.Left - (cell.Left + (cw - gw) / 2)),
                                                  cell.Top + (ch - drawRect.Height()) / 2 + (gr.Top - (cell.Top + (ch - gh) / 2)),
                                                  drawRect.Width(), drawRect.Height());
    DrawBarGlyph(DC, brush, fill, m->ImageListBkColor(), PressedLook, Selected, IsFlat(), false, enabled,
                 ImageIndex(), Images(), useBitmap ? bmp : nullptr, drawRect);
  }
  bool framed = Down || (Selected && (Kind != 1 || (glyph && !IsFlat())));
  if (framed) {
    if (IsFlat())
      FrameRect(DC, cell.AsRECT(), GetSysColorBrush(COLOR_HIGHLIGHT));
    else
      DrawEdge(DC, cell.AsRECT(), (Down || PressedLook) ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  } else if (fits) {
    FrameRect(DC, cell.AsRECT(), brush);
  }
}

void TdxBarItemControl::DrawCheckMark(HDC DC, const TRect& Cell, bool Enabled) const {
  LOGFONTW lf{};
  GetObjectW(window_->FontHandle(), sizeof(lf), &lf);
  HDC screen = GetDC(nullptr);
  Integer points = MulDiv(lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight, 72, GetDeviceCaps(screen, LOGPIXELSY));
  ReleaseDC(nullptr, screen);
  Integer u = points < 16 ? 1 : 2;
  Integer x = (Cell.Left + Cell.Right - 9 * u) / 2, y = (Cell.Top + Cell.Bottom - 7 * u) / 2;
  bool blackFace = (GetSysColor(COLOR_BTNFACE) & 0xFFFFFF) == 0;
  COLORREF mark = blackFace ? RGB(255, 255, 255) : RGB(0, 0, 0);
  COLORREF opposite = blackFace ? RGB(0, 0, 0) : RGB(255, 255, 255);
  auto stroke = [&](Integer k, COLORREF c) {
    HPEN p = CreatePen(PS_SOLID, 1, c);
    HGDIOBJ o = SelectObject(DC, p);
    POINT pts[3] = {{x + u, y + 2 * u + k}, {x + 3 * u, y + 4 * u + k}, {x + 8 * u, y - u + k}};
    Polyline(DC, pts, 3);
    SelectObject(DC, o);
    DeleteObject(p);
  };
  auto line = [&](Integer x1, Integer y1, Integer x2, Integer y2, COLORREF c) {
    HPEN p = CreatePen(PS_SOLID, 1, c);
    HGDIOBJ o = SelectObject(DC, p);
    MoveToEx(DC, x1, y1, nullptr);
    LineTo(DC, x2, y2);
    SelectObject(DC, o);
    DeleteObject(p);
  };
  if (Enabled && IsFlat()) {
    for (Integer k = 0; k < 2 * u; ++k) stroke(k, mark);
  } else if (Enabled) {
    for (Integer k = 0; k < u; ++k) stroke(k, RGB(0xC0, 0xC0, 0xC0));
    for (Integer k = u; k < 3 * u; ++k) stroke(k, mark);
    for (Integer k = 3 * u; k < 4 * u; ++k) stroke(k, opposite);
    line(x + u - 1, y + 2 * u + 1, x + u - 1, y + 6 * u - 1, opposite);
    line(x + 8 * u, y - u + 2, x + 8 * u, y + 3 * u, opposite);
  } else {
    for (Integer k = 1; k <= 2 * u; ++k) stroke(k, GetSysColor(COLOR_BTNSHADOW));
    if (!IsFlat())
      for (Integer c = 0; c < u; ++c) {
        line(x + 3 * u + 1, y + 7 * u - c - 1, x + 9 * u, y + u - c, GetSysColor(COLOR_BTNHIGHLIGHT));
        line(x + 4 * u, y + 7 * u - c, x + 9 * u, y + 2 * u - c, GetSysColor(COLOR_BTNHIGHLIGHT));
      }
  }
}

void TdxBarItemControl::DrawItemText(HDC DC, const std::string& Text, TRect R, bool Rotated, bool ClipToRect,
                                     bool Selected, bool Enabled, Integer Alignment) const {
  SetBkMode(DC, TRANSPARENT);
  UINT flags = DT_SINGLELINE;
  if (!(ClipToRect && !Rotated)) flags |= DT_NOCLIP;
  std::wstring w = Utf8ToWide(Rotated ? StripAccelerators(Text) : Text);
  if (Rotated) flags |= DT_NOPREFIX;
  flags |= (Alignment == 1 ? DT_CENTER : Alignment == 2 ? DT_RIGHT : DT_LEFT) | DT_VCENTER;
  auto draw = [&](TRect r, int colorIndex) {
    SetTextColor(DC, GetSysColor(colorIndex));
    if (!Rotated) {
      DrawTextW(DC, w.c_str(), static_cast<int>(w.size()), r.AsRECT(), flags);
      return;
    }
    // The turned font runs top to bottom with the glyph tops to the right:
    // its cell hangs left of the reference point.
    SIZE sz{};
    GetTextExtentPoint32W(DC, w.c_str(), static_cast<int>(w.size()), &sz);
    Integer x = r.Left + (r.Width() + sz.cy) / 2;
    Integer y = Alignment == 1 ? r.Top + (r.Height() - sz.cx) / 2 : Alignment == 2 ? r.Bottom - sz.cx : r.Top;
    UINT align = SetTextAlign(DC, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    ExtTextOutW(DC, x, y, 0, nullptr, w.c_str(), static_cast<UINT>(w.size()), nullptr);
    SetTextAlign(DC, align);
  };
  if (Enabled) {
    draw(R, Selected && !IsFlat() ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
  } else if (Selected || IsFlat()) {
    draw(R, COLOR_GRAYTEXT);
  } else {
    draw(Rect(R.Left + 1, R.Top + 1, R.Right + 1, R.Bottom + 1), COLOR_BTNHIGHLIGHT);
    draw(R, COLOR_BTNSHADOW);
  }
  SetBkMode(DC, OPAQUE);
}

void TdxBarItemControl::DrawMenuRow(HDC DC, TRect R, bool Selected, bool ShowGlyph, bool Down) {
  TdxBarManager* m = BarManager();
  if (IsFlat()) {
    if (Selected) {
      FrameRect(DC, R.AsRECT(), GetSysColorBrush(COLOR_HIGHLIGHT));
    } else {
      TRect glyphPart = Rect(R.Left, R.Top, R.Left + R.Height() + 1, R.Bottom);
      FrameRect(DC, glyphPart.AsRECT(), m->FlatFaceBrush());
      TRect rest = Rect(glyphPart.Right - 1, R.Top, R.Right, R.Bottom);
      FrameRect(DC, rest.AsRECT(), MenuRowBrush(window_));
    }
    R = Rect(R.Left + 1, R.Top + 1, R.Right - 1, R.Bottom - 1);
  }
  bool noGlyph = !(ShowGlyph && HasGlyph());
  TRect cell = Rect(R.Left, R.Top, R.Left + R.Height(), R.Bottom);
  DrawGlyphCell(DC, cell, 1, false, Down, Selected, noGlyph);
  Integer gap = IsFlat() ? 2 : 1;
  TRect gapRect = Rect(cell.Right, R.Top, cell.Right + gap, R.Bottom);
  HBRUSH gapBrush = Selected && (IsFlat() || (noGlyph && !Down)) ? window_->HotBrush()
                    : IsFlat()                                  ? m->FlatFaceBrush()
                                                                : MenuRowBrush(window_);
  FillRect(DC, gapRect.AsRECT(), gapBrush);
  TRect text = Rect(gapRect.Right, R.Top, R.Right, R.Bottom);
  FillRect(DC, text.AsRECT(), Selected ? window_->HotBrush() : MenuRowBrush(window_));
  text.Left += IsFlat() ? 8 : 2;
  DrawItemText(DC, GetCaption(), text, false, false, Selected, ItemEnabled(), 0);
}

void TdxBarItemControl::GetArrowPartColors(bool Selected, bool Open, HBRUSH& Brush, TColor& ArrowColor) const {
  Brush = window_->BackgroundBrush();
  ArrowColor = static_cast<TColor>(GetSysColor(COLOR_BTNTEXT));
  if (IsFlat()) {
    if (Selected) Brush = window_->HotBrush();
    if (Open) {
      Brush = window_->CheckedHotBrush();
      ArrowColor = static_cast<TColor>(GetSysColor(COLOR_HIGHLIGHTTEXT));
    }
  }
}

// --- Button view ------------------------------------------------------------------------------
TdxBarButtonControl::~TdxBarButtonControl() {
  if (DropDownOpen)
    if (TdxBarButton* b = Button())
      if (b->DropDownMenu()) b->DropDownMenu()->Close();
}

TdxBarButton* TdxBarButtonControl::Button() const { return dynamic_cast<TdxBarButton*>(Item()); }
TdxBarButtonStyle TdxBarButtonControl::ButtonStyle() const { return Button() ? Button()->ButtonStyle() : bsDefault; }
bool TdxBarButtonControl::Down() const { return Button() && Button()->Down(); }
bool TdxBarButtonControl::Rotated() const { return RotatesWindowItems(window_); }

TdxBarPaintStyle TdxBarButtonControl::PaintStyleNow() const {
  TdxBarPaintStyle ps = link_ ? link_->EffectivePaintStyle() : psStandard;
  if (!IsMenu() && ps == psStandard && !HasGlyph()) ps = psCaption;
  return ps;
}

Integer TdxBarButtonControl::ArrowPartWidth() const {
  if (IsMenu()) return window_->ArrowColumnWidth();
  return BarManager() ? BarManager()->DropDownArrowWidth() : 9;
}

namespace {
Integer TextWidthIn(TCustomdxBarControl* W, const std::string& Text) { return BarTextWidth(W, Text); }
Integer FontPointSize(TCustomdxBarControl* W) {
  LOGFONTW lf{};
  GetObjectW(W->FontHandle(), sizeof(lf), &lf);
  HDC screen = GetDC(nullptr);
  Integer pts = MulDiv(lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight, 72, GetDeviceCaps(screen, LOGPIXELSY));
  ReleaseDC(nullptr, screen);
  return pts;
}
std::string NoAmpersands(std::string s) {
  s.erase(std::remove(s.begin(), s.end(), '&'), s.end());
  return s;
}
}  // namespace

Integer TdxBarButtonControl::GetThickness() const {
  TdxBarManager* m = BarManager();
  Integer rowHeight = window_->TextRowHeight();
  Integer t;
  TdxBarPaintStyle ps = PaintStyleNow();
  if (IsMenu())
    t = rowHeight + (IsFlat() ? 2 : 0);
  else if (ps == psStandard || ps == psCaptionInMenu)
    t = m->DefaultItemHeight();
  else
    t = std::max(rowHeight, Rotated() ? m->DefaultItemWidth() : m->DefaultItemHeight());
  if (Button() && Button()->Lowered()) t += 2;
  return t;
}

Integer TdxBarButtonControl::GetLength() const {
  TdxBarManager* m = BarManager();
  Integer rowHeight = window_->TextRowHeight();
  std::string caption = NoAmpersands(GetCaption());
  Integer len;
  TdxBarPaintStyle ps = PaintStyleNow();
  if (IsMenu()) {
    len = TextWidthIn(window_, caption) + 2 * rowHeight + 6;
    if (ShortCut() != 0) len += TextWidthIn(window_, ShortCutToText(ShortCut())) + rowHeight - 6;
    if (IsFlat()) len += 9;
  } else if (ps == psStandard || ps == psCaptionInMenu) {
    len = m->DefaultItemWidth();
  } else {
    len = TextWidthIn(window_, caption) +
          (ps == psCaption ? FontPointSize(window_) : (Rotated() ? m->DefaultItemHeight() : m->DefaultItemWidth()) + 4);
  }
  if (Button() && Button()->Lowered()) len += 2;
  return len;
}

Integer TdxBarButtonControl::GetHeight() const {
  TdxBarPaintStyle ps = PaintStyleNow();
  return Rotated() && (ps == psCaption || ps == psCaptionGlyph) ? GetLength() : GetThickness();
}

Integer TdxBarButtonControl::GetWidth() const {
  TdxBarPaintStyle ps = PaintStyleNow();
  Integer w = Rotated() && (ps == psCaption || ps == psCaptionGlyph) ? GetThickness() : GetLength();
  if (!IsMenu() && ButtonStyle() == bsDropDown && BarManager()) w += BarManager()->DropDownArrowWidth();
  return w;
}

void TdxBarButtonControl::GlyphChanged() {
  if (link_ && link_->EffectivePaintStyle() == psStandard)
    RelayoutWindow();
  else
    RedrawView();
}

void TdxBarButtonControl::LeaveActive(bool ByMouse) {
  TdxBarItemControl::LeaveActive(ByMouse);
  if (ButtonStyle() == bsDropDown && DropDownOpen && Button() && Button()->DropDownMenu())
    Button()->DropDownMenu()->Close();
}

bool TdxBarButtonControl::MouseOnArrowPart() const {
  if (!window_ || !window_->HandleAllocated()) return false;
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(window_->Handle(), &p);
  TRect r = ViewRect();
  return p.x >= r.Right - ArrowPartWidth() && p.x < r.Right;
}

void TdxBarButtonControl::PrepareClick(bool ByMouse) {
  if (ButtonStyle() == bsDropDown && MouseDownOnView() && MouseOnArrowPart()) {
    DropDown(true);
    return;
  }
  (void)ByMouse;
  if (!IsMenu() || ButtonStyle() == bsDropDown) RedrawView();
}

void TdxBarButtonControl::ExecuteClick(bool ByMouse) {
  if (DropDownOpen) return;
  if (ButtonStyle() == bsChecked && Button() && Button()->ReadEnabled()) Button()->WriteDown(!Button()->Down());
  LeaveActive(true);
  TdxBarItemControl::ExecuteClick(ByMouse);
}

bool TdxBarButtonControl::IsDrawnSelected() const {
  if (TdxBarItemControl::IsDrawnSelected() && !(window_ && window_->InCustomizing())) return true;
  return Pressed;
}

bool TdxBarButtonControl::WantsKey(Word Key) const {
  if (ButtonStyle() != bsDropDown) return false;
  if (IsMenu()) return Key == VK_RIGHT;
  return Key == VK_UP || Key == VK_DOWN;
}

void TdxBarButtonControl::KeyDown(Word Key) {
  if (Key == VK_UP || Key == VK_RIGHT || Key == VK_DOWN) DropDown(false);
}

bool TdxBarButtonControl::ClickClosesMenus() const {
  if (!IsMenu()) return true;
  return !Button() || Button()->CloseSubMenuOnClick();
}

void TdxBarButtonControl::DropDown(bool ByMouse) {
  TdxBarButton* b = Button();
  if (DropDownOpen || !b || !ItemEnabled() || !b->DropDownEnabled() || !b->DropDownMenu()) return;
  DropDownOpen = true;
  if (!Active) EnterActive(true);
  RedrawView();
  TRect r = ViewRect();
  TPoint anchor;
  if (IsMenu() || IsVerticalToolbar(window_))
    anchor = Point(r.Right, r.Top - (IsFlat() ? 2 : 3));
  else
    anchor = Point(r.Left, r.Bottom);
  anchor = window_->ClientToScreen(anchor);
  b->DropDown(anchor.X, anchor.Y, ByMouse);
}

void TdxBarButtonControl::DropDownClosed() {
  if (!DropDownOpen) return;
  DropDownOpen = false;
  Active = false;
  RedrawView();
}

void TdxBarButtonControl::PaintView(const TRect& Rect_, Integer Kind) {
  TRect r = Rect_;
  if (r.Width() <= 0 || r.Height() <= 0) return;
  HDC dc = window_->Canvas()->Handle();
  TdxBarButton* b = Button();
  if (b && b->Lowered()) DrawLoweredFrame(dc, r);
  bool selected = IsDrawnSelected();
  TdxBarPaintStyle ps = PaintStyleNow();
  TdxBarManager* m = BarManager();
  Integer arrowW = ButtonStyle() == bsDropDown ? ArrowPartWidth() : 0;
  if (Kind == 1) {
    DrawMenuRow(dc, r, selected, ps == psStandard || ps == psCaptionGlyph, Down());
    if (ShortCut() != 0) {
      TRect sr = Rect(r.Left, r.Top, r.Right - (r.Height() + 5), r.Bottom);
      DrawItemText(dc, ShortCutToText(ShortCut()), sr, false, false, selected, ItemEnabled(), 2);
    }
  } else {
    TRect main = r;
    main.Right -= arrowW;
    bool pressedLook =
        (selected && window_->Active() && MouseDownOnView() && !MouseOnArrowPart() && !DropDownOpen) ||
        (Pressed && ButtonStyle() != bsChecked);
    // A pressed toolbar button held under the mouse shows pressed as well.
    if (window_->PressedControl() == this) pressedLook = true;
    DrawGlyphCell(dc, main, Kind, pressedLook, Down(), selected, ps == psCaption);
    if (ps == psCaption || ps == psCaptionGlyph) {
      TRect tr = main;
      // A turned caption runs down the button, after the glyph cell.
      Integer offset = ps == psCaption ? FontPointSize(window_) / 2
                                       : (Kind == 2 ? m->DefaultItemHeight() : m->DefaultItemWidth());
      if (Kind == 2)
        tr.Top += offset;
      else
        tr.Left += offset;
      if (ps == psCaption) {
        // The caption sits on the cell's background; fill the rest of the button.
        TRect rest = Kind == 2 ? Rect(main.Left, main.Top + m->DefaultItemHeight(), main.Right, main.Bottom)
                               : Rect(main.Left + m->DefaultItemWidth(), main.Top, main.Right, main.Bottom);
        if (rest.Width() > 0 && rest.Height() > 0) FillRect(dc, rest.AsRECT(), window_->BackgroundBrush());
      }
      if (!IsFlat()) {
        if (Down()) tr = Rect(tr.Left + 1, tr.Top + 1, tr.Right + 1, tr.Bottom + 1);
        if (pressedLook) tr = Rect(tr.Left + 1, tr.Top + 1, tr.Right + 1, tr.Bottom + 1);
      }
      DrawItemText(dc, GetCaption(), tr, Kind == 2, false, selected && IsFlat() ? false : false, ItemEnabled(), 0);
    }
  }
  if (ButtonStyle() == bsDropDown) {
    TRect part = Rect(r.Right - arrowW, r.Top, r.Right, r.Bottom);
    HBRUSH brush;
    TColor arrowColor;
    GetArrowPartColors(selected, DropDownOpen, brush, arrowColor);
    bool menu = Kind == 1;
    if (IsFlat()) {
      if (!menu) part.Left -= 1;
      HBRUSH frame = selected ? GetSysColorBrush(COLOR_HIGHLIGHT)
                     : menu   ? GetSysColorBrush(COLOR_BTNSHADOW)
                              : window_->BackgroundBrush();
      FrameRect(dc, part.AsRECT(), frame);
      TRect in = Rect(part.Left + 1, part.Top + 1, part.Right - 1, part.Bottom - 1);
      FillRect(dc, in.AsRECT(), brush);
    } else {
      FillRect(dc, part.AsRECT(), brush);
      if (selected)
        DrawEdge(dc, part.AsRECT(), DropDownOpen ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
      else if (menu) {
        TRect e = Rect(part.Left, part.Top, part.Left + 2, part.Bottom);
        DrawEdge(dc, e.AsRECT(), EDGE_ETCHED, BF_LEFT | BF_RIGHT);
      }
    }
    bool enabled = ItemEnabled() && b && b->DropDownEnabled();
    TRect ar = part;
    if (menu) {
      if (DropDownOpen && !IsFlat()) ar = Rect(ar.Left + 1, ar.Top + 1, ar.Right + 1, ar.Bottom + 1);
      DrawArrow(dc, ar, false, IsFlat(), false, enabled);
    } else {
      ar = Rect(ar.Left - 2, ar.Top, ar.Right + 2, ar.Bottom);
      if (DropDownOpen && !IsFlat() && part.Width() > 9) ar = Rect(ar.Left + 1, ar.Top + 1, ar.Right + 1, ar.Bottom + 1);
      DrawArrow(dc, ar, true, IsFlat(), IsFlat() && DropDownOpen, enabled);
    }
  }
}
