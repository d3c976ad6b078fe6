#include "platform/Buttons.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/Forms.h"
#include "platform/StdCtrls.h"

namespace {
// Where the glyph and the caption go inside Client (shared by the speed and bitmap buttons).
void CalcButtonLayout(const TRect& Client, TPoint GlyphSize, TPoint TextSize, TButtonLayout Layout,
                      Integer Margin, Integer Spacing, TPoint& GlyphPos, TPoint& TextPos);
}  // namespace

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner), glyph_(std::make_unique<TBitmap>()) {
  controlStyle_ = TControlStyle{csCaptureMouse, csDoubleClicks};
  width_ = 23;
  height_ = 22;
  glyph_->OnChange = TNotifyEvent(this, &TSpeedButton::GlyphChanged);
}

TSpeedButton::~TSpeedButton() { glyph_->OnChange = TNotifyEvent(); }

void TSpeedButton::GlyphChanged(TObject*) {
  // A strip of equal square cells gives the number of glyphs.
  Integer w = glyph_->Width(), h = glyph_->Height();
  if (h > 0 && w > h && w % h == 0) numGlyphs_ = std::clamp<Integer>(w / h, 1, 4);
  Invalidate();
}

void TSpeedButton::SetGlyph(TBitmap* Value) { glyph_->Assign(Value); }

void TSpeedButton::SetNumGlyphs(TNumGlyphs Value) {
  numGlyphs_ = std::clamp<Integer>(Value, 1, 4);
  Invalidate();
}

void TSpeedButton::SetGroupIndex(Integer Value) {
  groupIndex_ = Value;
  UpdateExclusive();
}

void TSpeedButton::SetDown(bool Value) {
  if (groupIndex_ == 0) Value = false;
  if (down_ == Value) return;
  // The pressed button of a group without AllowAllUp stays down.
  if (down_ && !allowAllUp_) return;
  down_ = Value;
  if (Value) {
    if (state_ == bsUp) Invalidate();
    state_ = bsExclusive;
  } else {
    state_ = bsUp;
    Repaint();
  }
  if (Value) UpdateExclusive();
  Invalidate();
}

void TSpeedButton::SetAllowAllUp(bool Value) {
  allowAllUp_ = Value;
  UpdateExclusive();
}

void TSpeedButton::SetFlat(bool Value) {
  flat_ = Value;
  Invalidate();
}
void TSpeedButton::SetLayout(TButtonLayout Value) {
  layout_ = Value;
  Invalidate();
}
void TSpeedButton::SetMargin(Integer Value) {
  margin_ = Value;
  Invalidate();
}
void TSpeedButton::SetSpacing(Integer Value) {
  spacing_ = Value;
  Invalidate();
}

void TSpeedButton::UpdateExclusive() {
  if (groupIndex_ == 0 || !parent_) return;
  for (Integer i = 0; i < parent_->ControlCount(); ++i) {
    auto* b = dynamic_cast<TSpeedButton*>(parent_->Controls(i));
    if (!b || b == this || b->groupIndex_ != groupIndex_) continue;
    if (down_ && b->down_) {
      b->down_ = false;
      b->state_ = bsUp;
      b->Invalidate();
    }
    b->allowAllUp_ = allowAllUp_;
  }
}

void TSpeedButton::Click() { TGraphicControl::Click(); }

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button == mbLeft && enabled_) {
    if (!down_) {
      state_ = bsDown;
      Invalidate();
    }
    dragging_ = true;
  }
}

void TSpeedButton::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (!dragging_) return;
  bool inside = X >= 0 && X < width_ && Y >= 0 && Y < height_;
  TButtonState s = inside ? bsDown : (down_ ? bsExclusive : bsUp);
  if (s != state_) {
    state_ = s;
    Invalidate();
  }
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (!dragging_) return;
  dragging_ = false;
  bool inside = X >= 0 && X < width_ && Y >= 0 && Y < height_;
  if (groupIndex_ == 0) {
    state_ = bsUp;
  } else if (inside) {
    SetDown(!down_);
    state_ = down_ ? bsExclusive : bsUp;
  } else {
    state_ = down_ ? bsExclusive : bsUp;
  }
  Invalidate();
  if (inside) Click();
}

void TSpeedButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_MOUSEENTER:
      mouseInControl_ = true;
      if (flat_) Invalidate();
      break;
    case CM_MOUSELEAVE:
      mouseInControl_ = false;
      if (flat_) Invalidate();
      break;
    case CM_ENABLEDCHANGED:
      state_ = enabled_ ? (down_ ? bsExclusive : bsUp) : bsDisabled;
      Invalidate();
      break;
    default: break;
  }
  TGraphicControl::Dispatch(Message);
}

void TSpeedButton::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  bool pressed = state_ == bsDown || state_ == bsExclusive;
  c->Brush()->SetColor(state_ == bsExclusive ? clBtnHighlight : clBtnFace);
  c->Brush()->SetStyle(bsSolid);
  c->FillRect(r);
  if (!flat_)
    DrawEdge(c->Handle(), r.AsRECT(), pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  else if (pressed || (mouseInControl_ && enabled_))
    DrawEdge(c->Handle(), r.AsRECT(), pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  Integer offset = pressed ? 1 : 0;

  // Glyph cell: 0 up, 1 disabled, 2 down, 3 exclusive (when present).
  Integer gw = numGlyphs_ > 0 ? glyph_->Width() / numGlyphs_ : 0, gh = glyph_->Height();
  Integer cell = 0;
  if (state_ == bsDisabled && numGlyphs_ > 1) cell = 1;
  else if (state_ == bsDown && numGlyphs_ > 2) cell = 2;
  else if (state_ == bsExclusive && numGlyphs_ > 3) cell = 3;
  std::string caption = GetText();
  TRect textRect = Rect(0, 0, 0, 0);
  if (!caption.empty()) {
    c->SetFont(Font());
    CanvasDrawText(c, caption, textRect, DT_CALCRECT | DT_SINGLELINE);
  }
  Integer tw = textRect.Width(), th = textRect.Height();
  TPoint gp, tp;
  CalcButtonLayout(r, Point(gw, gh), Point(tw, th), layout_, margin_, spacing_, gp, tp);
  if (gw > 0 && gh > 0) {
    // The glyph's bottom-left pixel is its transparent colour.
    TColor transparent = glyph_->Canvas()->Pixels(0, gh - 1);
    UINT key = static_cast<UINT>(ColorToRGB(transparent));
    if (state_ == bsDisabled && numGlyphs_ <= 1) {
      // No disabled cell of its own: the one cell embossed in grey.
      TBitmap disabled;
      disabled.SetPixelFormat(pf24bit);
      disabled.SetSize(gw, gh);
      EmbossCell(glyph_.get(), 0, gw, gh, transparent, disabled.Canvas(), 0, 0, transparent);
      TransparentBlt(c->Handle(), gp.X + offset, gp.Y + offset, gw, gh, disabled.Canvas()->Handle(), 0, 0, gw, gh,
                     key);
    } else {
      TransparentBlt(c->Handle(), gp.X + offset, gp.Y + offset, gw, gh, glyph_->Canvas()->Handle(), cell * gw, 0,
                     gw, gh, key);
    }
  }
  if (!caption.empty()) {
    TRect tr = Bounds(tp.X + offset, tp.Y + offset, tw, th);
    c->Brush()->SetStyle(bsClear);
    if (!enabled_) c->Font()->SetColor(clGrayText);
    CanvasDrawText(c, caption, tr, DT_SINGLELINE);
  }
}

// ---------------------------------------------------------------------------
// TBitBtn

void EmbossCell(TBitmap* Src, Integer SrcX, Integer W, Integer H, TColor Transparent, TCanvas* Dst, Integer DstX,
                Integer DstY, TColor Back) {
  TCanvas* s = Src->Canvas();
  std::vector<bool> ink(static_cast<size_t>(W * H));
  for (Integer y = 0; y < H; ++y)
    for (Integer x = 0; x < W; ++x) ink[static_cast<size_t>(y * W + x)] = s->Pixels(SrcX + x, y) != Transparent;
  auto at = [&](Integer x, Integer y) {
    return x >= 0 && y >= 0 && x < W && y < H && ink[static_cast<size_t>(y * W + x)];
  };
  for (Integer y = 0; y < H; ++y)
    for (Integer x = 0; x < W; ++x) {
      TColor c = Back;
      if (at(x, y))
        c = clBtnShadow;
      else if (at(x - 1, y - 1))
        c = clBtnHighlight;
      Dst->SetPixels(DstX + x, DstY + y, c);
    }
}

namespace {

struct TKindPreset {
  const char* Caption;
  TModalResult Result;
};
const TKindPreset KindPresets[] = {
    {"", mrNone},       {"OK", mrOk},         {"Cancel", mrCancel}, {"&Help", mrNone},
    {"&Yes", mrYes},    {"&No", mrNo},        {"&Close", mrNone},   {"Abort", mrAbort},
    {"&Retry", mrRetry}, {"&Ignore", mrIgnore}, {"&All", mrAll},
};

constexpr Integer KindGlyphSize = 18;
constexpr TColor KindGlyphBack = clOlive;

void Line(TCanvas* C, std::initializer_list<TPoint> Points) {
  C->Polyline(std::vector<TPoint>(Points));
}

// The up cell of a stock glyph, drawn into an 18x18 cell at the origin.
void DrawKindGlyph(TCanvas* C, TBitBtnKind Kind) {
  C->Pen()->SetWidth(3);
  C->Brush()->SetStyle(bsSolid);
  switch (Kind) {
    case bkOK:
    case bkYes:
      C->Pen()->SetColor(clGreen);
      Line(C, {Point(3, 9), Point(7, 13), Point(15, 4)});
      break;
    case bkAll:
      C->Pen()->SetWidth(2);
      C->Pen()->SetColor(clGreen);
      Line(C, {Point(1, 8), Point(4, 11), Point(10, 4)});
      Line(C, {Point(6, 11), Point(9, 14), Point(16, 6)});
      break;
    case bkCancel:
      C->Pen()->SetColor(clRed);
      Line(C, {Point(4, 4), Point(14, 14)});
      Line(C, {Point(14, 4), Point(4, 14)});
      break;
    case bkNo:
      C->Pen()->SetWidth(2);
      C->Pen()->SetColor(clRed);
      C->Brush()->SetStyle(bsClear);
      C->Ellipse(2, 2, 16, 16);
      Line(C, {Point(5, 5), Point(13, 13)});
      break;
    case bkAbort:
      C->Pen()->SetWidth(1);
      C->Pen()->SetColor(clMaroon);
      C->Brush()->SetColor(clRed);
      C->Ellipse(1, 1, 17, 17);
      C->Pen()->SetWidth(2);
      C->Pen()->SetColor(clWhite);
      Line(C, {Point(6, 6), Point(12, 12)});
      Line(C, {Point(12, 6), Point(6, 12)});
      break;
    case bkHelp:
      C->Pen()->SetWidth(1);
      C->Pen()->SetColor(clNavy);
      C->Brush()->SetColor(clBlue);
      C->Ellipse(1, 1, 17, 17);
      C->Pen()->SetWidth(2);
      C->Pen()->SetColor(clWhite);
      Line(C, {Point(6, 6), Point(7, 4), Point(11, 4), Point(12, 6), Point(9, 9), Point(9, 11)});
      C->Brush()->SetColor(clWhite);
      C->FillRect(Rect(8, 12, 11, 15));
      break;
    case bkClose:
      // A door standing open in its frame.
      C->Pen()->SetWidth(1);
      C->Pen()->SetColor(clBlack);
      C->Brush()->SetColor(clTeal);
      C->Rectangle(3, 1, 15, 17);
      C->Brush()->SetColor(clYellow);
      C->Polygon(std::vector<TPoint>{Point(3, 1), Point(10, 3), Point(10, 17), Point(3, 16)});
      C->SetPixels(8, 9, clBlack);
      break;
    case bkRetry: {
      // Three quarters of a circle, ending in an arrow head at the top.
      std::vector<TPoint> arc;
      for (Integer deg = 100; deg <= 360; deg += 20) {
        double a = deg * 3.14159265358979 / 180.0;
        arc.push_back(Point(9 + static_cast<Integer>(std::lround(6 * std::cos(a))),
                            9 + static_cast<Integer>(std::lround(6 * std::sin(a)))));
      }
      C->Pen()->SetWidth(2);
      C->Pen()->SetColor(clGreen);
      C->Polyline(arc);
      C->Brush()->SetColor(clGreen);
      C->Pen()->SetWidth(1);
      C->Polygon(std::vector<TPoint>{Point(9, 0), Point(13, 3), Point(9, 6)});
      break;
    }
    case bkIgnore:
      C->Pen()->SetWidth(2);
      C->Pen()->SetColor(clGray);
      Line(C, {Point(9, 2), Point(9, 16)});
      C->Pen()->SetColor(clBlue);
      Line(C, {Point(2, 12), Point(5, 5), Point(13, 5), Point(16, 12)});
      Line(C, {Point(13, 10), Point(16, 12), Point(17, 9)});
      break;
    case bkCustom: break;
  }
  C->Pen()->SetWidth(1);
}

void CalcButtonLayout(const TRect& Client, TPoint GlyphSize, TPoint TextSize, TButtonLayout Layout,
                      Integer Margin, Integer Spacing, TPoint& GlyphPos, TPoint& TextPos) {
  TPoint size = Point(Client.Width(), Client.Height());
  bool horizontal = Layout == blGlyphLeft || Layout == blGlyphRight;
  if (horizontal) {
    GlyphPos.Y = (size.Y - GlyphSize.Y + 1) / 2;
    TextPos.Y = (size.Y - TextSize.Y + 1) / 2;
  } else {
    GlyphPos.X = (size.X - GlyphSize.X + 1) / 2;
    TextPos.X = (size.X - TextSize.X + 1) / 2;
  }
  if (TextSize.X == 0 || GlyphSize.X == 0) Spacing = 0;
  Integer extent = horizontal ? size.X : size.Y;
  Integer glyph = horizontal ? GlyphSize.X : GlyphSize.Y;
  Integer text = horizontal ? TextSize.X : TextSize.Y;
  if (Margin == -1) {
    if (Spacing == -1) {
      Margin = (extent - glyph - text) / 3;
      Spacing = Margin;
    } else {
      Margin = (extent - glyph - text - Spacing + 1) / 2;
    }
  } else if (Spacing == -1) {
    Spacing = (extent - Margin - glyph - text) / 2;
  }
  switch (Layout) {
    case blGlyphLeft:
      GlyphPos.X = Margin;
      TextPos.X = GlyphPos.X + GlyphSize.X + Spacing;
      break;
    case blGlyphRight:
      GlyphPos.X = size.X - Margin - GlyphSize.X;
      TextPos.X = GlyphPos.X - Spacing - TextSize.X;
      break;
    case blGlyphTop:
      GlyphPos.Y = Margin;
      TextPos.Y = GlyphPos.Y + GlyphSize.Y + Spacing;
      break;
    case blGlyphBottom:
      GlyphPos.Y = size.Y - Margin - GlyphSize.Y;
      TextPos.Y = GlyphPos.Y - Spacing - TextSize.Y;
      break;
  }
  GlyphPos = Point(GlyphPos.X + Client.Left, GlyphPos.Y + Client.Top);
  TextPos = Point(TextPos.X + Client.Left, TextPos.Y + Client.Top);
}

}  // namespace

std::string TBitBtn::KindCaption(TBitBtnKind Kind) { return KindPresets[Kind].Caption; }
TModalResult TBitBtn::KindModalResult(TBitBtnKind Kind) { return KindPresets[Kind].Result; }

TBitmap* TBitBtn::KindGlyph(TBitBtnKind Kind) {
  static std::unique_ptr<TBitmap> glyphs[bkAll + 1];
  if (Kind == bkCustom) return nullptr;
  std::unique_ptr<TBitmap>& g = glyphs[Kind];
  if (!g) {
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf24bit);
    b->SetSize(2 * KindGlyphSize, KindGlyphSize);
    TCanvas* c = b->Canvas();
    c->Brush()->SetColor(KindGlyphBack);
    c->FillRect(Rect(0, 0, 2 * KindGlyphSize, KindGlyphSize));
    DrawKindGlyph(c, Kind);
    EmbossCell(b.get(), 0, KindGlyphSize, KindGlyphSize, KindGlyphBack, c, KindGlyphSize, 0, KindGlyphBack);
    g = std::move(b);
  }
  return g.get();
}

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner), glyph_(std::make_unique<TBitmap>()) {
  glyph_->OnChange = TNotifyEvent(this, &TBitBtn::GlyphChanged);
}

TBitBtn::~TBitBtn() { glyph_->OnChange = TNotifyEvent(); }

void TBitBtn::CreateParams(TCreateParams& Params) {
  TButton::CreateParams(Params);
  Params.Style = (Params.Style & ~static_cast<DWORD>(BS_TYPEMASK)) | BS_OWNERDRAW;
}

void TBitBtn::SetButtonStyle(bool ADefault) {
  // The window keeps its owner-draw style; only the look changes.
  if (ADefault == active_) return;
  active_ = ADefault;
  Invalidate();
}

void TBitBtn::GlyphChanged(TObject*) {
  if (!settingKind_) {
    modifiedGlyph_ = true;
    // A strip of equal square cells gives the number of glyphs.
    Integer w = glyph_->Width(), h = glyph_->Height();
    if (h > 0 && w % h == 0) {
      Integer n = w / h;
      numGlyphs_ = n >= 1 && n <= 4 ? n : 1;
    }
  }
  Invalidate();
}

void TBitBtn::SetGlyph(TBitmap* Value) {
  glyph_->Assign(Value);
  modifiedGlyph_ = true;
}

TBitBtnKind TBitBtn::Kind() const {
  if (kind_ != bkCustom) {
    bool isDefault = kind_ == bkOK || kind_ == bkYes;
    bool isCancel = kind_ == bkCancel || kind_ == bkNo;
    if (isDefault != default_ || isCancel != cancel_ || modalResult_ != KindModalResult(kind_) || modifiedGlyph_)
      kind_ = bkCustom;
  }
  return kind_;
}

void TBitBtn::SetKind(TBitBtnKind Value) {
  if (Value == kind_) return;
  if (Value != bkCustom) {
    SetDefault(Value == bkOK || Value == bkYes);
    SetCancel(Value == bkCancel || Value == bkNo);
    // A form being read that gives a caption of its own keeps it.
    if (!ComponentState().Contains(csLoading) || Caption().empty()) SetCaption(KindCaption(Value));
    SetModalResult(KindModalResult(Value));
    settingKind_ = true;
    try {
      glyph_->Assign(KindGlyph(Value));
    } catch (...) {
      settingKind_ = false;
      throw;
    }
    settingKind_ = false;
    numGlyphs_ = 2;
    modifiedGlyph_ = false;
  }
  kind_ = Value;
  Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout Value) {
  if (layout_ == Value) return;
  layout_ = Value;
  Invalidate();
}

void TBitBtn::SetMargin(Integer Value) {
  if (margin_ == Value || Value < -1) return;
  margin_ = Value;
  Invalidate();
}

void TBitBtn::SetSpacing(Integer Value) {
  if (spacing_ == Value) return;
  spacing_ = Value;
  Invalidate();
}

void TBitBtn::SetNumGlyphs(TNumGlyphs Value) {
  Value = std::clamp<Integer>(Value, 1, 4);
  if (numGlyphs_ == Value) return;
  numGlyphs_ = Value;
  Invalidate();
}

void TBitBtn::Click() {
  switch (kind_) {
    case bkClose:
      if (TCustomForm* form = GetParentForm(this)) {
        form->Close();
        return;
      }
      break;
    case bkHelp: {
      TControl* c = this;
      while (c && c->HelpContext() == 0) c = c->Parent();
      if (c && Application) {
        Application->HelpContext(c->HelpContext());
        return;
      }
      break;
    }
    default: break;
  }
  TButton::Click();
}

void TBitBtn::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CN_DRAWITEM: CNDrawItem(Message); break;
    case WM_LBUTTONDBLCLK:
      // A quick second click is another click, not a double click.
      Message.Result = Perform(WM_LBUTTONDOWN, Message.WParam, Message.LParam);
      break;
    case CM_ENABLEDCHANGED:
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
      TButton::Dispatch(Message);
      Invalidate();
      break;
    default: TButton::Dispatch(Message); break;
  }
}

void TBitBtn::CNDrawItem(TMessage& Message) {
  auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(Message.LParam);
  Message.Result = 1;
  if (!dis) return;
  TRect r = Rect(0, 0, width_, height_);
  if (handle_) {
    RECT cr;
    ::GetClientRect(handle_, &cr);
    r = Rect(cr.left, cr.top, cr.right, cr.bottom);
  }
  int saved = SaveDC(dis->hDC);
  DrawButton(dis->hDC, r, (dis->itemState & ODS_SELECTED) != 0, (dis->itemState & ODS_FOCUS) != 0);
  RestoreDC(dis->hDC, saved);
}

void TBitBtn::DrawButton(HDC DC, const TRect& ClientR, bool IsDown, bool HasFocus) {
  TCanvas c;
  c.SetHandle(DC);
  TRect r = ClientR;
  // The default button has a dark outer frame.
  if (active_ || HasFocus) {
    c.Pen()->SetColor(clWindowFrame);
    c.Pen()->SetWidth(1);
    c.Brush()->SetStyle(bsClear);
    c.Rectangle(r);
    r = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  }
  if (IsDown) {
    c.Pen()->SetColor(clBtnShadow);
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(clBtnFace);
    c.Rectangle(r);
  } else {
    RECT fr = *r.AsRECT();
    DrawFrameControl(DC, &fr, DFC_BUTTON, DFCS_BUTTONPUSH | (enabled_ ? 0 : DFCS_INACTIVE));
  }

  // Glyph cell: up, disabled, down, exclusive; a missing disabled cell is embossed from the up cell.
  Integer cells = std::max<Integer>(numGlyphs_, 1);
  Integer gw = glyph_->Empty() ? 0 : glyph_->Width() / cells, gh = glyph_->Empty() ? 0 : glyph_->Height();
  Integer cell = 0;
  if (!enabled_ && cells > 1)
    cell = 1;
  else if (IsDown && cells > 2)
    cell = 2;
  std::string caption = GetText();
  c.SetFont(Font());
  TRect textRect = Rect(0, 0, 0, 0);
  if (!caption.empty()) CanvasDrawText(&c, caption, textRect, DT_CALCRECT | DT_SINGLELINE);
  TPoint glyphPos, textPos;
  TRect area = Rect(ClientR.Left + 2, ClientR.Top + 2, ClientR.Right - 2, ClientR.Bottom - 2);
  CalcButtonLayout(area, Point(gw, gh), Point(textRect.Width(), textRect.Height()), layout_, margin_, spacing_,
                   glyphPos, textPos);
  Integer offset = IsDown ? 1 : 0;
  if (gw > 0 && gh > 0) {
    TColor transparent = glyph_->Canvas()->Pixels(0, glyph_->Height() - 1);
    UINT key = static_cast<UINT>(ColorToRGB(transparent));
    if (!enabled_ && cells == 1) {
      TBitmap disabled;
      disabled.SetPixelFormat(pf24bit);
      disabled.SetSize(gw, gh);
      EmbossCell(glyph_.get(), 0, gw, gh, transparent, disabled.Canvas(), 0, 0, transparent);
      TransparentBlt(DC, glyphPos.X + offset, glyphPos.Y + offset, gw, gh, disabled.Canvas()->Handle(), 0, 0, gw, gh,
                     key);
    } else {
      TransparentBlt(DC, glyphPos.X + offset, glyphPos.Y + offset, gw, gh, glyph_->Canvas()->Handle(), cell * gw, 0,
                     gw, gh, key);
    }
  }
  if (!caption.empty()) {
    TRect tr = Bounds(textPos.X + offset, textPos.Y + offset, textRect.Width(), textRect.Height());
    c.Brush()->SetStyle(bsClear);
    UINT flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
    if (!enabled_) {
      // Disabled: engraved, a highlight copy one pixel down and right under a shadow copy.
      TRect hr = Bounds(tr.Left + 1, tr.Top + 1, tr.Width(), tr.Height());
      c.Font()->SetColor(clBtnHighlight);
      CanvasDrawText(&c, caption, hr, flags);
      c.Font()->SetColor(clBtnShadow);
    }
    CanvasDrawText(&c, caption, tr, flags);
  }
  if (HasFocus) {
    TRect f = Rect(ClientR.Left + 4, ClientR.Top + 4, ClientR.Right - 4, ClientR.Bottom - 4);
    c.Brush()->SetStyle(bsSolid);
    c.Brush()->SetColor(clBtnFace);
    c.Font()->SetColor(clBlack);
    ::SetTextColor(DC, RGB(0, 0, 0));
    ::SetBkColor(DC, static_cast<COLORREF>(ColorToRGB(clBtnFace)));
    ::DrawFocusRect(DC, f.AsRECT());
  }
  c.SetHandle(nullptr);
}
