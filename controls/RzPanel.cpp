#include "controls/RzPanel.h"

#include <algorithm>

#include "controls/RzGrafx.h"
#include "controls/RzThemeSrv.h"
#include "platform/FormReader.h"
#include "platform/Forms.h"
#include "platform/TypInfo.h"

void RegisterRzPanelClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterRzCommonClasses();
  RegisterEnum<TRzGridStyle>("TRzGridStyle", {"gsDots", "gsDottedLines", "gsSolidLines"});
  RegisterEnum<TRzGroupBoxStyle>("TRzGroupBoxStyle", {"gsStandard", "gsCustom", "gsTopLine", "gsFlat"});
  using P = TRzCustomPanel;
  RegisterClassInfo<P, TCustomPanel>("TRzCustomPanel")
      .Enum("BorderInner", &P::BorderInner, &P::SetBorderInner, fsNone)
      .Enum("BorderOuter", &P::BorderOuter, &P::SetBorderOuter, fsRaised)
      .Set<TSide>("BorderSides", &P::BorderSides, &P::SetBorderSides, sdAllSides)
      .Color("BorderColor", &P::BorderColor, &P::SetBorderColor, clBtnFace)
      .Color("BorderHighlight", &P::BorderHighlight, &P::SetBorderHighlight, clBtnHighlight)
      .Color("BorderShadow", &P::BorderShadow, &P::SetBorderShadow, clBtnShadow)
      .Int("BorderWidth", &TWinControl::BorderWidth, &TWinControl::SetBorderWidth, 0)
      .Color("Color", &TControl::Color, &TControl::SetColor, clBtnFace)
      .Bool("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, false)
      .Color("FlatColor", &P::FlatColor, &P::SetFlatColor, clBtnShadow)
      .Int("FlatColorAdjustment", &P::FlatColorAdjustment, &P::SetFlatColorAdjustment, 30)
      .Ref("FrameController", &P::FrameController, &P::SetFrameController)
      .Bool("ShowDockClientCaptions", &P::ShowDockClientCaptions, &P::SetShowDockClientCaptions, true)
      .Bool("Transparent", &P::Transparent, &P::SetTransparent, false)
      .Event("OnMouseEnter", &P::OnMouseEnter)
      .Event("OnMouseLeave", &P::OnMouseLeave)
      .Event("OnPaint", &P::OnPaint);
  RegisterClassInfo<TRzPanel, P>("TRzPanel")
      .Enum("AlignmentVertical", &P::AlignmentVertical, &P::SetAlignmentVertical, avCenter)
      .Color("GridColor", &P::GridColor, &P::SetGridColor, clBtnShadow)
      .Enum("GridStyle", &P::GridStyle, &P::SetGridStyle, gsDots)
      .Int("GridXSize", &P::GridXSize, &P::SetGridXSize, 8)
      .Int("GridYSize", &P::GridYSize, &P::SetGridYSize, 8)
      .Bool("ShowGrid", &P::ShowGrid, &P::SetShowGrid, false);
  using G = TRzCustomGroupBox;
  RegisterClassInfo<G, P>("TRzCustomGroupBox")
      .Enum("Alignment", &TCustomPanel::Alignment, &TCustomPanel::SetAlignment, taLeftJustify)
      .Enum("BorderOuter", &P::BorderOuter, &P::SetBorderOuter, fsNone)
      .Int("Height", &TControl::Height, &TControl::SetHeight, 105)
      .Enum("GroupStyle", &G::GroupStyle, &G::SetGroupStyle, gsFlat)
      .Bool("ThemeAware", &P::ThemeAware, &P::SetThemeAware, true);
  RegisterClassInfo<TRzGroupBox, G>("TRzGroupBox");
}

// ---------------------------------------------------------------------------
TRzCustomPanel::TRzCustomPanel(TComponent* AOwner) : TCustomPanel(AOwner) {
  RegisterRzPanelClasses();
  controlStyle_.Exclude(csSetCaption);
  bevelOuter_ = bvNone;  // the frame styles replace the platform's bevels
  parentColor_ = false;
}

TRzCustomPanel::~TRzCustomPanel() {
  if (frameController_) frameController_->UnregisterControl(this);
}

void TRzCustomPanel::BordersChanged() {
  Realign();
  Invalidate();
}

#define RZ_PANEL_WRITER(Setter, Type, Field, After) \
  void TRzCustomPanel::Setter(Type Value) {         \
    if (Value == Field) return;                     \
    Field = Value;                                  \
    After;                                          \
  }

RZ_PANEL_WRITER(SetAlignmentVertical, TAlignmentVertical, alignmentVertical_, Invalidate())
RZ_PANEL_WRITER(SetBorderInner, TFrameStyleEx, borderInner_, BordersChanged())
RZ_PANEL_WRITER(SetBorderOuter, TFrameStyleEx, borderOuter_, BordersChanged())
RZ_PANEL_WRITER(SetBorderSides, TSides, borderSides_, BordersChanged())
RZ_PANEL_WRITER(SetBorderColor, TColor, borderColor_, Invalidate())
RZ_PANEL_WRITER(SetBorderHighlight, TColor, borderHighlight_, Invalidate())
RZ_PANEL_WRITER(SetBorderShadow, TColor, borderShadow_, Invalidate())
RZ_PANEL_WRITER(SetFlatColor, TColor, flatColor_, Invalidate())
RZ_PANEL_WRITER(SetFlatColorAdjustment, Integer, flatColorAdjustment_, Invalidate())
RZ_PANEL_WRITER(SetGridColor, TColor, gridColor_, Invalidate())
RZ_PANEL_WRITER(SetGridStyle, TRzGridStyle, gridStyle_, Invalidate())
RZ_PANEL_WRITER(SetGridXSize, Word, gridXSize_, Invalidate())
RZ_PANEL_WRITER(SetGridYSize, Word, gridYSize_, Invalidate())
RZ_PANEL_WRITER(SetShowGrid, bool, showGrid_, Invalidate())
RZ_PANEL_WRITER(SetThemeAware, bool, themeAware_, Invalidate())
RZ_PANEL_WRITER(SetShowDockClientCaptions, bool, showDockClientCaptions_, Invalidate())
#undef RZ_PANEL_WRITER

void TRzCustomPanel::SetTransparent(bool Value) {
  if (Value == transparent_) return;
  transparent_ = Value;
  if (Value)
    controlStyle_.Exclude(csOpaque);
  else
    controlStyle_.Include(csOpaque);
  Invalidate();
  for (Integer i = 0; i < ControlCount(); ++i) Controls(i)->Invalidate();
}

void TRzCustomPanel::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomPanel::Notification(AComponent, Operation);
  FrameControllerNotification(AComponent, Operation);
}

void TRzCustomPanel::ApplyFrameLook() {
  ApplyLayeredFrameLook(borderOuter_, borderSides_, flatColor_, flatColorAdjustment_, borderHighlight_, borderShadow_);
}

void TRzCustomPanel::DefineProperties(TFiler* Filer) {
  TCustomPanel::DefineProperties(Filer);
  Filer->DefineProperty("FrameSides", &TRzOldPropReader::SkipSet, nullptr, false);
}

namespace {
Integer StyleWidth(TFrameStyleEx Style, Integer BevelWidth) {
  switch (Style) {
    case fsNone: return 0;
    case fsFlat: return 1;
    case fsStatus:
    case fsPopup: return BevelWidth;
    default: return 2;
  }
}
}  // namespace

void TRzCustomPanel::ShrinkByBorders(TRect& R, bool WithBorderWidth) {
  if (WithBorderWidth) InflateRect(R.AsRECT(), -BorderWidth(), -BorderWidth());
  for (TFrameStyleEx style : {borderOuter_, borderInner_}) {
    Integer w = StyleWidth(style, BevelWidth());
    if (borderSides_.Contains(sdLeft)) R.Left += w;
    if (borderSides_.Contains(sdTop)) R.Top += w;
    if (borderSides_.Contains(sdRight)) R.Right -= w;
    if (borderSides_.Contains(sdBottom)) R.Bottom -= w;
  }
}

TPoint TRzCustomPanel::GetCursorClientPos() {
  POINT p;
  ::GetCursorPos(&p);
  return ScreenToClient(Point(p.x, p.y));
}

void TRzCustomPanel::AlignControls(TControl* AControl, TRect& Rect) {
  ShrinkByBorders(Rect, false);
  TCustomPanel::AlignControls(AControl, Rect);
}

void TRzCustomPanel::AdjustClientRect(TRect& Rect) {
  TCustomPanel::AdjustClientRect(Rect);
  if (DockSite()) ShrinkByBorders(Rect, false);
}

void TRzCustomPanel::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  // Bottom- and right-aligned panels grow away from their edge.
  if (Align() == alBottom && AHeight != Height()) ATop = Top() + Height() - AHeight;
  if (Align() == alRight && AWidth != Width()) ALeft = Left() + Width() - AWidth;
  TCustomPanel::SetBounds(ALeft, ATop, AWidth, AHeight);
}

std::unique_ptr<IDockManager> TRzCustomPanel::CreateDockManager() {
  if (DockSite() && UseDockManager()) {
    SetDoubleBuffered(true);
    return std::make_unique<TRzPanelDockManager>(this);
  }
  return TCustomPanel::CreateDockManager();
}

void TRzCustomPanel::WMEraseBkgnd(TMessage& Message) {
  if (transparent_) {
    CopyParentBackground(this, reinterpret_cast<HDC>(Message.WParam), false);
    Message.Result = 1;
    return;
  }
  TCustomPanel::WMEraseBkgnd(Message);
}

void TRzCustomPanel::WMWindowPosChanged(TMessage& Message) {
  const auto* pos = reinterpret_cast<const WINDOWPOS*>(Message.LParam);
  if (HandleAllocated() && pos && !(pos->flags & SWP_NOSIZE)) {
    if (FullRepaint() || !Caption().empty()) {
      Invalidate();
    } else {
      // Only the strips where the borders move need painting again.
      TRect r = GetFullRect();
      ShrinkByBorders(r, true);
      if (pos->cx != Width()) {
        RECT strip{r.Right - 1, 0, Width(), Height()};
        ::InvalidateRect(Handle(), &strip, TRUE);
      }
      if (pos->cy != Height()) {
        RECT strip{0, r.Bottom - 1, Width(), Height()};
        ::InvalidateRect(Handle(), &strip, TRUE);
      }
    }
  }
  TCustomPanel::WMWindowPosChanged(Message);
}

void TRzCustomPanel::CMMouseEnter(TMessage& Message) {
  TCustomPanel::CMMouseEnter(Message);
  OnMouseEnter(this);
}

void TRzCustomPanel::CMMouseLeave(TMessage& Message) {
  TCustomPanel::CMMouseLeave(Message);
  OnMouseLeave(this);
}

void TRzCustomPanel::CMEnabledChanged(TMessage& Message) {
  TCustomPanel::CMEnabledChanged(Message);
  Repaint();
  if (!Enabled()) {
    savedChildStates_.clear();
    for (Integer i = 0; i < ControlCount(); ++i) savedChildStates_.emplace_back(Controls(i), Controls(i)->Enabled());
    for (Integer i = 0; i < ControlCount(); ++i) Controls(i)->SetEnabled(false);
  } else {
    for (Integer i = 0; i < ControlCount(); ++i) {
      TControl* c = Controls(i);
      auto it = std::find_if(savedChildStates_.begin(), savedChildStates_.end(),
                             [c](const auto& e) { return e.first == c; });
      if (it == savedChildStates_.end() || it->second) c->SetEnabled(true);
    }
  }
}

UINT TRzCustomPanel::AlignmentFlag() const {
  switch (Alignment()) {
    case taLeftJustify: return DT_LEFT;
    case taRightJustify: return DT_RIGHT;
    default: return DT_CENTER;
  }
}

void TRzCustomPanel::Paint() {
  TCanvas* c = Canvas();
  TColor parentColor = Parent() ? Parent()->Color() : Color();
  TRect r = PaintLayeredBorders(c, GetFullRect(), borderOuter_, transparent_, parentColor, Color(),
                                flatColorAdjustment_, flatColor_, borderShadow_, borderHighlight_, borderColor_,
                                BevelWidth(), borderSides_, BorderWidth(), borderInner_);
  if (!transparent_) {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(r);
  }
  if (showGrid_) DrawGrid(r);
  c->Brush()->SetStyle(bsClear);
  DrawCaption(r);
  c->Brush()->SetStyle(bsSolid);
  OnPaint(this);
}

void TRzCustomPanel::DrawCaption(TRect R) {
  std::string caption = Caption();
  if (caption.empty()) return;
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  std::wstring text = Utf8ToWide(caption);
  HDC dc = c->Handle();
  R.Left += 1;
  UINT flags = AlignmentFlag() | DT_EXPANDTABS | DT_WORDBREAK | DT_VCENTER;
  TRect m = R;
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), m.AsRECT(), flags | DT_CALCRECT);
  Integer h = m.Height();
  if (alignmentVertical_ == avCenter) {
    R.Top = (R.Top + R.Bottom - h) / 2;
    R.Bottom = R.Top + h;
  } else if (alignmentVertical_ == avBottom) {
    R.Top = R.Bottom - h - 1;
  }
  c->Brush()->SetStyle(bsClear);
  if (!Enabled()) {
    TRect shifted = R;
    OffsetRect(shifted.AsRECT(), 1, 1);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ColorToRGB(clBtnHighlight));
    ::SelectObject(dc, c->Font()->Handle());
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), shifted.AsRECT(), flags);
    ::SetTextColor(dc, ColorToRGB(clBtnShadow));
  } else {
    ::SetBkMode(dc, TRANSPARENT);
    ::SelectObject(dc, c->Font()->Handle());
    ::SetTextColor(dc, ColorToRGB(Font()->Color()));
  }
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), R.AsRECT(), flags);
}

void TRzCustomPanel::DrawGrid(const TRect& R) {
  TCanvas* c = Canvas();
  c->Pen()->SetColor(gridColor_);
  c->Pen()->SetStyle(psSolid);
  Integer nx = gridXSize_ ? R.Width() / gridXSize_ : 0;
  Integer ny = gridYSize_ ? R.Height() / gridYSize_ : 0;
  if (gridStyle_ == gsDots) {
    for (Integer i = 1; i <= nx; ++i)
      for (Integer j = 1; j <= ny; ++j)
        c->SetPixels(R.Left + i * gridXSize_ - 1, R.Top + j * gridYSize_ - 1, gridColor_);
    return;
  }
  bool dotted = gridStyle_ == gsDottedLines;
  for (Integer i = 1; i <= nx; ++i) {
    Integer x = R.Left + i * gridXSize_ - 1;
    if (dotted) {
      for (Integer y = R.Top + 1; y < R.Bottom; y += 2) c->SetPixels(x, y, gridColor_);
    } else {
      c->MoveTo(x, R.Top);
      c->LineTo(x, R.Bottom);
    }
  }
  for (Integer j = 1; j <= ny; ++j) {
    Integer y = R.Top + j * gridYSize_ - 1;
    if (dotted) {
      for (Integer x = R.Left + 1; x < R.Right; x += 2) c->SetPixels(x, y, gridColor_);
    } else {
      c->MoveTo(R.Left, y);
      c->LineTo(R.Right, y);
    }
  }
}

// ---------------------------------------------------------------------------
// Group box.

TRzCustomGroupBox::TRzCustomGroupBox(TComponent* AOwner) : TRzCustomPanel(AOwner) {
  controlStyle_.Include(csSetCaption);
  controlStyle_.Include(csDoubleClicks);
  borderOuter_ = fsNone;
  borderInner_ = fsNone;
  alignment_ = taLeftJustify;
  alignmentVertical_ = avTop;
  height_ = 105;
  groupStyle_ = gsFlat;
}

void TRzCustomGroupBox::SetGroupStyle(TRzGroupBoxStyle Value) {
  if (Value == groupStyle_) return;
  groupStyle_ = Value;
  if (Value == gsCustom || Value == gsTopLine) themeAware_ = false;
  Realign();
  Invalidate();
}

void TRzCustomGroupBox::ApplyFrameLook() {
  if (groupStyle_ == gsCustom) TRzCustomPanel::ApplyFrameLook();
}

namespace {
Integer FontTextHeight(TFont* Font, const wchar_t* Text) {
  HDC dc = ::GetDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, Font->Handle());
  SIZE s{};
  ::GetTextExtentPoint32W(dc, Text, static_cast<int>(wcslen(Text)), &s);
  ::SelectObject(dc, old);
  ::ReleaseDC(nullptr, dc);
  return s.cy;
}
}  // namespace

void TRzCustomGroupBox::AdjustClientRect(TRect& Rect) {
  TRzCustomPanel::AdjustClientRect(Rect);
  Integer h = FontTextHeight(Font(), L"Yy");
  if (groupStyle_ == gsCustom) {
    Rect.Top += h;
    InflateRect(Rect.AsRECT(), -2, -2);
    return;
  }
  Integer d = h / 2 - 1;
  Rect.Top += d < BorderWidth() ? d : h - BorderWidth();
  Integer shrink = groupStyle_ == gsStandard ? 2 : 1;
  InflateRect(Rect.AsRECT(), -shrink, -shrink);
}

void TRzCustomGroupBox::CMDialogChar(TMessage& Message) {
  if (IsAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
    // The accelerator moves the focus into the box.
    std::vector<TWinControl*> list;
    GetTabOrderList(list);
    for (TWinControl* w : list)
      if (w->CanFocus()) {
        w->SetFocus();
        break;
      }
    Message.Result = 1;
    return;
  }
  TRzCustomPanel::CMDialogChar(Message);
}

void TRzCustomGroupBox::CMFontChanged(TMessage& Message) {
  TRzCustomPanel::CMFontChanged(Message);
  Invalidate();
}

TRect TRzCustomGroupBox::CaptionRect() {
  std::string caption = Caption();
  if (groupStyle_ == gsCustom || caption.empty()) return TRect{};
  Canvas()->Font()->Assign(Font());
  TSize s = Canvas()->TextExtent(caption);
  Integer x = groupStyle_ == gsTopLine ? 0 : 8;
  if (UseRightToLeftAlignment()) x = Width() - x - s.cx;
  return Bounds(x, 0, s.cx, s.cy);
}

void TRzCustomGroupBox::Paint() {
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  Integer h = c->TextHeight("Pp") / 2 - 1;
  TRect cr = CaptionRect();
  HDC dc = c->Handle();
  std::wstring text = Utf8ToWide(Caption());
  TThemeServices* theme = SharedThemeServices();
  if (themeAware_ && theme->VisualStylesOn()) {
    if (!transparent_) CopyParentBackground(this, dc, false);
    int saved = ::SaveDC(dc);
    if (cr.Width() > 0) ::ExcludeClipRect(dc, cr.Left, cr.Top, cr.Right, cr.Bottom);
    theme->PaintElement(dc, TThemeServices::DetailsFor(Enabled() ? tbGroupBoxNormal : tbGroupBoxDisabled),
                        Rect(0, h, Width(), Height()));
    ::RestoreDC(dc, saved);
    if (cr.Width() > 0) {
      ::SelectObject(dc, c->Font()->Handle());
      theme->PaintElementText(dc, TThemeServices::DetailsFor(Enabled() ? tbGroupBoxNormal : tbGroupBoxDisabled),
                              text, cr, DT_SINGLELINE, 0);
    }
    OnPaint(this);
    return;
  }
  if (groupStyle_ == gsCustom) {
    TRzCustomPanel::Paint();
    return;
  }
  int saved = ::SaveDC(dc);
  if (transparent_) {
    if (cr.Width() > 0) ::ExcludeClipRect(dc, cr.Left, cr.Top, cr.Right, cr.Bottom);
  } else {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(Rect(0, 0, Width(), Height()));
  }
  TRect b = Rect(0, h, Width(), Height());
  TColor f = ColorAdjustedBy(flatColor_, flatColorAdjustment_);
  switch (groupStyle_) {
    case gsStandard:
      if (borderOuter_ == fsNone)
        PaintStyledFrame(c, b, fsGroove, sdAllSides);
      else if (borderOuter_ == fsFlat)
        PaintBevelRings(c, b, f, sdAllSides, 1, f);
      else if (borderOuter_ == fsFlatBold)
        PaintBevelRings(c, b, f, sdAllSides, 2, f);
      else
        PaintStyledFrame(c, b, borderOuter_, sdAllSides);
      break;
    case gsTopLine:
      if (borderOuter_ == fsNone) {
        PaintStyledFrame(c, b, fsGroove, TSides{sdTop});
      } else if (borderOuter_ == fsFlat || borderOuter_ == fsFlatBold) {
        c->Pen()->SetColor(f);
        c->MoveTo(b.Left + 2, b.Top);
        c->LineTo(b.Right - 2, b.Top);
        if (borderOuter_ == fsFlatBold) {
          c->MoveTo(b.Left + 2, b.Top + 1);
          c->LineTo(b.Right - 2, b.Top + 1);
        }
      } else {
        PaintStyledFrame(c, b, borderOuter_, TSides{sdTop});
      }
      break;
    default:  // gsFlat: a rectangle with cut corners
      c->Pen()->SetColor(f);
      c->MoveTo(b.Left, b.Top + 2);
      c->LineTo(b.Left, b.Bottom - 2);
      c->MoveTo(b.Left + 2, b.Top);
      c->LineTo(b.Right - 2, b.Top);
      c->MoveTo(b.Right - 1, b.Top + 2);
      c->LineTo(b.Right - 1, b.Bottom - 2);
      c->MoveTo(b.Left + 2, b.Bottom - 1);
      c->LineTo(b.Right - 2, b.Bottom - 1);
      c->SetPixels(b.Left + 1, b.Top + 1, f);
      c->SetPixels(b.Right - 2, b.Top + 1, f);
      c->SetPixels(b.Right - 2, b.Bottom - 2, f);
      c->SetPixels(b.Left + 1, b.Bottom - 2, f);
      break;
  }
  ::RestoreDC(dc, saved);
  c->Refresh();
  if (cr.Width() > 0) {
    if (!transparent_) {
      c->Brush()->SetStyle(bsSolid);
      c->Brush()->SetColor(Color());
      c->FillRect(cr);
    }
    dc = c->Handle();
    ::SelectObject(dc, c->Font()->Handle());
    ::SetBkMode(dc, TRANSPARENT);
    UINT flags = DT_SINGLELINE | DT_LEFT;
    if (!Enabled()) {
      TRect shifted = cr;
      OffsetRect(shifted.AsRECT(), 1, 1);
      ::SetTextColor(dc, ColorToRGB(clBtnHighlight));
      ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), shifted.AsRECT(), flags);
      ::SetTextColor(dc, ColorToRGB(clBtnShadow));
    } else {
      ::SetTextColor(dc, ColorToRGB(Font()->Color()));
    }
    ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), cr.AsRECT(), flags);
  }
  OnPaint(this);
}

// ---------------------------------------------------------------------------
// Dock manager.

TRzPanelDockManager::TRzPanelDockManager(TRzCustomPanel* Panel)
    : TDockTree(Panel), panel_(Panel), captionFont_(std::make_unique<TFont>()), closeFont_(std::make_unique<TFont>()) {
  SetGrabberSize(14);
  captionFont_->SetName("Verdana");
  captionFont_->SetSize(8);
  closeFont_->SetName("Marlett");
  closeFont_->SetSize(8);
}

TRzPanelDockManager::~TRzPanelDockManager() = default;

void TRzPanelDockManager::WndProc(TMessage& Message) {
  if (Message.Msg == WM_COMMAND || Message.Msg == WM_MOUSEACTIVATE) panel_->Invalidate();
  TDockTree::WndProc(Message);
}

void TRzPanelDockManager::AdjustDockRect(TControl* /*Control*/, TRect& ARect) {
  if (panel_->Align() == alTop || panel_->Align() == alBottom)
    ARect.Left += 14;
  else
    ARect.Top += 14;
}

TRect TRzPanelDockManager::CloseButtonRect(const TRect& R) {
  if (panel_->Align() == alTop || panel_->Align() == alBottom) return Rect(R.Left + 1, R.Top + 1, R.Left + 12, R.Top + 12);
  return Rect(R.Right - 15, R.Top + 1, R.Right - 2, R.Top + 12);
}

void TRzPanelDockManager::PaintDockFrame(TCanvas* Canvas, TControl* Control, const TRect& ARect) {
  if (!panel_->ShowDockClientCaptions()) {
    TDockTree::PaintDockFrame(Canvas, Control, ARect);
    return;
  }
  Canvas->Font()->Assign(captionFont_.get());
  auto* win = dynamic_cast<TWinControl*>(Control);
  bool active = !win || (win->HandleAllocated() && ::IsChild(win->Handle(), ::GetFocus())) ||
                (win->HandleAllocated() && win->Handle() == ::GetFocus());
  Canvas->Brush()->SetColor(active ? clActiveCaption : clInactiveCaption);
  Canvas->Font()->SetColor(active ? clCaptionText : clInactiveCaptionText);
  std::string caption = Control->Caption();
  TRect close = CloseButtonRect(ARect);
  if (panel_->Align() == alTop || panel_->Align() == alBottom) {
    TRect bar = Rect(ARect.Left, ARect.Top, ARect.Left + 14, ARect.Bottom);
    Canvas->FillRect(bar);
    HDC dc = Canvas->Handle();
    HFONT angled = CreateAngledFont(captionFont_.get(), 90);
    HGDIOBJ old = ::SelectObject(dc, angled);
    UINT oldAlign = ::SetTextAlign(dc, TA_BASELINE);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ColorToRGB(clCaptionText));
    std::wstring text = Utf8ToWide(caption);
    ::ExtTextOutW(dc, bar.Right - 2, bar.Bottom - 3, ETO_CLIPPED, bar.AsRECT(), text.c_str(),
                  static_cast<UINT>(text.size()), nullptr);
    ::SetTextAlign(dc, oldAlign);
    ::SelectObject(dc, old);
    ::DeleteObject(angled);
  } else {
    TRect bar = Rect(ARect.Left, ARect.Top, ARect.Right, ARect.Top + 14);
    Canvas->FillRect(bar);
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->TextRect(bar, ARect.Left + 2, ARect.Top, caption);
    Canvas->Brush()->SetStyle(bsSolid);
  }
  Canvas->Font()->Assign(closeFont_.get());
  Canvas->Brush()->SetStyle(bsClear);
  Canvas->TextRect(close, close.Left, close.Top, "r");
  Canvas->Brush()->SetStyle(bsSolid);
}
