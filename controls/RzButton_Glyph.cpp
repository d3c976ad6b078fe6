// The glyph push button (bitmap or image-list glyph, standard kinds) and the
// small windowless control button with its auto-repeat.
#include <array>

#include "controls/RzButton.h"
#include "controls/RzGrafx.h"
#include "controls/RzRectOps.h"
#include "controls/RzThemeSrv.h"
#include "platform/ActnList.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"

namespace {

struct TKindPreset {
  bool Default, Cancel;
  TModalResult Result;
  const char* Resource;
  const char* Caption;
};

const TKindPreset& Preset(TBitBtnKind Kind) {
  static const TKindPreset presets[] = {
      {false, false, mrNone, "", ""},
      {true, false, mrOk, "RZCOMMON_OK", "OK"},
      {false, true, mrCancel, "RZCOMMON_CANCEL", "Cancel"},
      {false, false, mrNone, "RZCOMMON_HELP", "&Help"},
      {true, false, mrYes, "RZCOMMON_YES", "&Yes"},
      {false, true, mrNo, "RZCOMMON_NO", "&No"},
      {false, false, mrNone, "RZCOMMON_CLOSE", "&Close"},
      {false, false, mrAbort, "RZCOMMON_ABORT", "Abort"},
      {false, false, mrRetry, "RZCOMMON_RETRY", "&Retry"},
      {false, false, mrIgnore, "RZCOMMON_IGNORE", "&Ignore"},
      {false, false, mrAll, "RZCOMMON_ALL", "&All"},
  };
  return presets[static_cast<int>(Kind)];
}

// One glyph per kind for the whole process, freed at exit.
std::array<std::unique_ptr<TBitmap>, 11>& KindGlyphCache() {
  static std::array<std::unique_ptr<TBitmap>, 11> cache;
  return cache;
}

// Glyph and button sizes: the cells of a strip are square when the strip is a
// whole number (below 5) of its height wide.
void CountCells(TBitmap* Glyph, TNumGlyphs& NumGlyphs) {
  Integer h = Glyph->Height(), w = Glyph->Width();
  if (h != 0 && w % h == 0) {
    Integer n = w / h;
    NumGlyphs = n < 5 ? n : 1;
  }
}

}  // namespace

void DrawButtonGlyph(TCanvas* Canvas, TBitmap* Glyph, TNumGlyphs NumGlyphs, bool Enabled, TColor Color,
                     const TRect& Rect) {
  Integer w = Rect.Width(), h = Rect.Height();
  if (w <= 0 || h <= 0 || Glyph->Empty()) return;
  TRect source = (NumGlyphs > 1 && !Enabled) ? ::Rect(w, 0, 2 * w, h) : ::Rect(0, 0, w, h);
  TBitmap cell;
  cell.SetSize(w, h);
  cell.Canvas()->Brush()->SetColor(Color);
  cell.Canvas()->CopyRect(::Rect(0, 0, w, h), Canvas, Rect);
  TColor transparent = Glyph->Canvas()->Pixels(0, h - 1);
  if (!Enabled && NumGlyphs <= 1) {
    // No disabled cell of its own: the embossed grey of the one cell, so a
    // disabled button does not look like an enabled one. Its ground is a key
    // colour that neither of the emboss colours can be.
    TColor key = clFuchsia;
    for (TColor k : {clFuchsia, clLime, clAqua})
      if (ColorToRGB(k) != ColorToRGB(clBtnShadow) && ColorToRGB(k) != ColorToRGB(clBtnHighlight)) {
        key = k;
        break;
      }
    TBitmap embossed;
    embossed.SetPixelFormat(pf24bit);
    embossed.SetSize(w, h);
    EmbossCell(Glyph, 0, w, h, transparent, embossed.Canvas(), 0, 0, key);
    DrawBitmapSkippingColor(cell.Canvas(), &embossed, ::Rect(0, 0, w, h), ::Rect(0, 0, w, h), key);
  } else {
    DrawBitmapSkippingColor(cell.Canvas(), Glyph, ::Rect(0, 0, w, h), source, transparent);
  }
  Canvas->Draw(Rect.Left, Rect.Top, &cell);
}

// ---------------------------------------------------------------------------
// TRzBitBtn

TRzBitBtn::TRzBitBtn(TComponent* AOwner) : TRzButton(AOwner) {
  glyph_ = std::make_unique<TBitmap>();
  glyph_->OnChange = TNotifyEvent(this, &TRzBitBtn::GlyphChanged);
  imageChangeLink_ = std::make_unique<TChangeLink>();
  imageChangeLink_->OnChange = TNotifyEvent(this, &TRzBitBtn::ImageListChange);
}

TRzBitBtn::~TRzBitBtn() {
  if (images_) images_->UnRegisterChanges(imageChangeLink_.get());
}

std::string TRzBitBtn::KindCaption(TBitBtnKind Kind) { return Preset(Kind).Caption; }

TModalResult TRzBitBtn::KindModalResult(TBitBtnKind Kind) { return Preset(Kind).Result; }

TBitmap* TRzBitBtn::KindGlyph(TBitBtnKind Kind) {
  if (Kind == bkCustom) return nullptr;
  auto& slot = KindGlyphCache()[static_cast<size_t>(Kind)];
  if (!slot) {
    auto b = std::make_unique<TBitmap>();
    HINSTANCE module = ::GetModuleHandleW(nullptr);
    std::wstring name = Utf8ToWide(Preset(Kind).Resource);
    if (::FindResourceW(module, name.c_str(), MAKEINTRESOURCEW(2) /* RT_BITMAP */)) {
      b->LoadFromResourceName(module, Preset(Kind).Resource);
    } else if (TBitmap* stock = TBitBtn::KindGlyph(Kind)) {
      // A program without the kind bitmaps still shows a glyph: the platform's stock one.
      b->Assign(stock);
    }
    slot = std::move(b);
  }
  return slot.get();
}

void TRzBitBtn::GlyphChanged(TObject*) {
  CountCells(glyph_.get(), numGlyphs_);
  Invalidate();
}

void TRzBitBtn::ImageListChange(TObject*) { Invalidate(); }

void TRzBitBtn::SetGlyph(TBitmap* Value) {
  glyph_->Assign(Value);
  glyphModified_ = true;
}

TBitBtnKind TRzBitBtn::Kind() {
  if (kind_ != bkCustom) {
    const TKindPreset& p = Preset(kind_);
    if (Default() != p.Default || Cancel() != p.Cancel || ModalResult() != p.Result || glyphModified_)
      kind_ = bkCustom;
  }
  return kind_;
}

void TRzBitBtn::SetKind(TBitBtnKind Value) {
  if (Value == kind_) return;
  if (Value == bkCustom) {
    kind_ = Value;
    Invalidate();
    return;
  }
  const TKindPreset& p = Preset(Value);
  SetDefault(p.Default);
  SetCancel(p.Cancel);
  if (!ComponentState().Contains(csLoading) || Caption().empty()) SetCaption(p.Caption);
  SetModalResult(p.Result);
  if (TBitmap* g = KindGlyph(Value)) glyph_->Assign(g);
  numGlyphs_ = 2;
  glyphModified_ = false;
  kind_ = Value;
  Invalidate();
}

void TRzBitBtn::SetLayout(TButtonLayout Value) {
  if (layout_ == Value) return;
  layout_ = Value;
  Invalidate();
}

void TRzBitBtn::SetMargin(Integer Value) {
  if (Value == margin_ || Value < -1) return;
  margin_ = Value;
  Invalidate();
}

void TRzBitBtn::SetNumGlyphs(TNumGlyphs Value) {
  if (Value == numGlyphs_) return;
  numGlyphs_ = Value;
  Invalidate();
}

void TRzBitBtn::SetSpacing(Integer Value) {
  if (Value == spacing_) return;
  spacing_ = Value;
  Invalidate();
}

void TRzBitBtn::SetImageIndex(Integer Value) {
  if (Value == imageIndex_) return;
  imageIndex_ = Value;
  Invalidate();
}

void TRzBitBtn::SetDisabledIndex(Integer Value) {
  if (Value == disabledIndex_) return;
  disabledIndex_ = Value;
  Invalidate();
}

void TRzBitBtn::SetImages(TCustomImageList* Value) {
  if (images_) images_->UnRegisterChanges(imageChangeLink_.get());
  images_ = Value;
  if (images_) {
    images_->RegisterChanges(imageChangeLink_.get());
    images_->FreeNotification(this);
  }
  Invalidate();
}

void TRzBitBtn::Notification(TComponent* AComponent, TOperation Operation) {
  TRzButton::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == images_) SetImages(nullptr);
}

void TRzBitBtn::ActionChange(TObject* Sender, bool CheckDefaults) {
  TRzButton::ActionChange(Sender, CheckDefaults);
  if (auto* a = dynamic_cast<TCustomAction*>(Sender))
    if (!CheckDefaults || imageIndex_ == -1) SetImageIndex(a->ImageIndex());
}

void TRzBitBtn::ChangeScale(Integer M, Integer D) {
  margin_ = ::MulDiv(margin_, M, D);
  spacing_ = ::MulDiv(spacing_, M, D);
  TRzButton::ChangeScale(M, D);
}

HPALETTE TRzBitBtn::GetPalette() { return glyph_->Palette(); }

TPoint TRzBitBtn::GetGlyphSize() {
  if (images_ && imageIndex_ != -1) return Point(images_->Width(), images_->Height());
  if (!glyph_) return Point(0, 0);
  return Point(glyph_->Width() / std::max<Integer>(numGlyphs_, 1), glyph_->Height());
}

void TRzBitBtn::CentredMetrics(const TRect& R, Integer& TextHeight, Integer& Offset) {
  TPoint g = GetGlyphSize();
  TRect measure = R;
  Canvas()->SetFont(Font());
  Canvas()->Brush()->SetStyle(bsClear);
  CanvasDrawText(Canvas(), Caption(), measure, DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK | DT_VCENTER | DT_CENTER);
  Canvas()->Brush()->SetStyle(bsSolid);
  TextHeight = measure.Height();
  Offset = (Height() - (g.Y + TextHeight + spacing_)) / 2;
}

void TRzBitBtn::GetCaptionRect(TRect& Rect) {
  TRzButton::GetCaptionRect(Rect);
  if ((!images_ || imageIndex_ == -1) && glyph_->Empty()) return;
  TPoint g = GetGlyphSize();
  if (margin_ >= 0) {
    switch (layout_) {
      case blGlyphLeft: Rect.Left += margin_ + g.X + spacing_; break;
      case blGlyphRight: Rect.Right -= margin_ + g.X + spacing_; break;
      case blGlyphTop: Rect.Top += margin_ + g.Y + spacing_; break;
      case blGlyphBottom: Rect.Bottom -= margin_ + g.Y + spacing_; break;
    }
    return;
  }
  Integer t, d;
  CentredMetrics(Rect, t, d);
  switch (layout_) {
    case blGlyphLeft: Rect.Left += margin_ + g.X + spacing_; break;
    case blGlyphRight: Rect.Right -= margin_ + g.X + spacing_; break;
    case blGlyphTop:
      Rect.Top += d + g.Y;
      Rect.Bottom = Rect.Top + t;
      break;
    case blGlyphBottom:
      Rect.Top += d;
      Rect.Bottom = Rect.Top + t;
      break;
  }
}

void TRzBitBtn::GetGlyphRect(TRect& Rect) {
  TRzButton::GetCaptionRect(Rect);
  bool themed = Themed();
  if (pressedLook_) OffsetBy(Rect, -1, themed ? 0 : -1);
  TPoint g = GetGlyphSize();
  if (margin_ >= 0) {
    switch (layout_) {
      case blGlyphLeft: Rect.Left += margin_; break;
      case blGlyphRight: Rect.Left = Rect.Right - margin_ - g.X; break;
      case blGlyphTop: Rect.Top += margin_; break;
      case blGlyphBottom: Rect.Top = Rect.Bottom - margin_ - g.Y; break;
    }
  } else {
    Integer t, d;
    CentredMetrics(Rect, t, d);
    switch (layout_) {
      case blGlyphLeft: break;
      case blGlyphRight: Rect.Left = Rect.Right - g.X; break;
      case blGlyphTop: Rect.Top = d; break;
      case blGlyphBottom: Rect.Top += t + d; break;
    }
  }
  if (layout_ == blGlyphLeft || layout_ == blGlyphRight)
    Rect.Top += (Rect.Bottom - Rect.Top - g.Y + 1) / 2;
  else
    Rect.Left += (Rect.Right - Rect.Left - g.X + 1) / 2;
  Rect.Right = Rect.Left + g.X;
  Rect.Bottom = Rect.Top + g.Y;
  if (pressedLook_) OffsetBy(Rect, themed ? 2 : 1, themed ? 0 : 1);
}

void TRzBitBtn::DrawButtonContent() {
  TRzButton::DrawButtonContent();
  TRect r;
  GetGlyphRect(r);
  if (Kind() != bkCustom || !images_ || imageIndex_ == -1) {
    if (!glyph_->Empty()) DrawGlyphBitmap(r);
  } else {
    DrawImageListGlyph(r);
  }
}

void TRzBitBtn::DrawImageListGlyph(const TRect& Rect) {
  if (!images_) return;
  if (disabledIndex_ == -1) {
    if (imageIndex_ != -1) images_->Draw(Canvas(), Rect.Left, Rect.Top, imageIndex_, Enabled());
  } else if (Enabled()) {
    if (imageIndex_ != -1) images_->Draw(Canvas(), Rect.Left, Rect.Top, imageIndex_, true);
  } else {
    images_->Draw(Canvas(), Rect.Left, Rect.Top, disabledIndex_, true);
  }
}

void TRzBitBtn::DrawGlyphBitmap(const TRect& Rect) {
  DrawButtonGlyph(Canvas(), glyph_.get(), numGlyphs_, Enabled(), Color(), Rect);
}

// ---------------------------------------------------------------------------
// TRzControlButton

TRzControlButton::TRzControlButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  controlStyle_ = TControlStyle{csCaptureMouse};
  width_ = 17;
  height_ = 21;
  parentColor_ = false;
  SetColor(clBtnFace);
  SetDragMode(dmManual);
  glyph_ = std::make_unique<TBitmap>();
  glyph_->OnChange = TNotifyEvent(this, &TRzControlButton::GlyphChanged);
}

TRzControlButton::~TRzControlButton() = default;

void TRzControlButton::GlyphChanged(TObject*) {
  CountCells(glyph_.get(), numGlyphs_);
  Invalidate();
  OnGlyphChange(this);
}

void TRzControlButton::SetFlat(bool Value) {
  if (flat_ == Value) return;
  flat_ = Value;
  Repaint();
}

void TRzControlButton::SetGlyph(TBitmap* Value) { glyph_->Assign(Value); }

void TRzControlButton::SetNumGlyphs(TNumGlyphs Value) {
  if (numGlyphs_ == Value) return;
  numGlyphs_ = Value;
  Invalidate();
}

void TRzControlButton::SetStyle(TRzControlButtonStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  Invalidate();
}

HPALETTE TRzControlButton::GetPalette() { return glyph_->Palette(); }

TPoint TRzControlButton::GetGlyphSize() {
  if (!glyph_) return Point(0, 0);
  return Point(glyph_->Width() / std::max<Integer>(numGlyphs_, 1), glyph_->Height());
}

void TRzControlButton::Paint() {
  TRect r = ClientRect();
  switch (style_) {
    case cbsNone: {
      DrawGlyphFace(r);
      if (!glyph_->Empty()) {
        InflateBy(r, -1, -1);
        TPoint g = GetGlyphSize();
        TRect gr = RectCenteredIn(r, g.X, g.Y);
        if (down_) OffsetBy(gr, 1, SharedThemeServices()->VisualStylesOn() ? 0 : 1);
        DrawGlyphBitmap(gr);
      }
      break;
    }
    case cbsLeft:
    case cbsUp:
    case cbsRight:
    case cbsDown: DrawArrowFace(r); break;
    case cbsDropDown: DrawDropDownFace(r); break;
  }
}

namespace {

// The classic face shared by the three kinds; R becomes the inside.
void ClassicFace(TCanvas* C, TRect& R, bool Flat, bool Hot, bool Down, TColor Color) {
  C->Brush()->SetStyle(bsSolid);
  if (Flat) {
    if (Hot) R = PaintStyledFrame(C, R, Down ? fsStatus : fsPopup, sdAllSides);
    C->Brush()->SetColor(Color);
  } else {
    R = Down ? PaintBevelRings(C, R, clBtnShadow, sdAllSides, 1, clBtnShadow)
             : PaintStyledFrame(C, R, fsButtonUp, sdAllSides);
    C->Brush()->SetColor(clBtnFace);
  }
  C->FillRect(R);
}

// Theme part state offset: 0 normal, 1 hot, 2 pressed, 3 disabled.
int StateOffset(bool Down, bool Hot, bool Enabled) {
  if (Down) return 2;
  if (Hot) return 1;
  return Enabled ? 0 : 3;
}

TArrowDirection DirectionOf(TRzControlButtonStyle Style) {
  switch (Style) {
    case cbsUp: return adUp;
    case cbsDown: return adDown;
    case cbsLeft: return adLeft;
    default: return adRight;
  }
}

}  // namespace

void TRzControlButton::DrawGlyphFace(TRect& R) {
  TCanvas* c = Canvas();
  bool hot = Hot();
  if (SharedThemeServices()->VisualStylesOn()) {
    if (flat_ && !hot) {
      c->Brush()->SetColor(Color());
      c->FillRect(R);
    } else {
      auto state = static_cast<TThemedScrollBar>(tsbThumbBtnHorzNormal + StateOffset(down_, hot, Enabled()));
      TBitmap face;
      face.SetSize(R.Width(), R.Height());
      // The part's own outer edge falls outside the bitmap.
      TRect part = Rect(-1, -2, R.Width() + 2, R.Height() + 2);
      SharedThemeServices()->PaintElement(face.Canvas()->Handle(), TThemeServices::DetailsFor(state), part);
      c->Draw(0, 0, &face);
    }
    InflateBy(R, -2, -2);
    return;
  }
  ClassicFace(c, R, flat_, hot, down_, Color());
}

void TRzControlButton::DrawArrowFace(TRect& R) {
  TCanvas* c = Canvas();
  bool hot = Hot();
  TArrowDirection dir = DirectionOf(style_);
  if (SharedThemeServices()->VisualStylesOn()) {
    if (flat_ && !hot) {
      c->Brush()->SetColor(Color());
      c->FillRect(R);
      PaintDirectionArrow(c, R, 1, dir, down_, Enabled());
      return;
    }
    TThemedSpin first = style_ == cbsUp     ? tsUpNormal
                        : style_ == cbsDown ? tsDownNormal
                        : style_ == cbsRight ? tsUpHorzNormal
                                             : tsDownHorzNormal;
    auto state = static_cast<TThemedSpin>(first + StateOffset(down_, hot, Enabled()));
    SharedThemeServices()->PaintElement(c->Handle(), TThemeServices::DetailsFor(state), R);
    return;
  }
  TRect inner = R;
  ClassicFace(c, inner, flat_, hot, down_, Color());
  PaintDirectionArrow(c, R, 0, dir, down_, Enabled());
}

void TRzControlButton::DrawDropDownFace(TRect& R) {
  TCanvas* c = Canvas();
  bool hot = Hot();
  if (SharedThemeServices()->VisualStylesOn()) {
    if (flat_ && !hot) {
      c->Brush()->SetColor(Color());
      c->FillRect(R);
      PaintDropArrow(c, R, 1, down_, Enabled());
      return;
    }
    InflateBy(R, 1, 1);
    auto state = static_cast<TThemedComboBox>(tcDropDownButtonNormal + StateOffset(down_, hot, Enabled()));
    SharedThemeServices()->PaintElement(c->Handle(), TThemeServices::DetailsFor(state), R);
    return;
  }
  TRect inner = R;
  ClassicFace(c, inner, flat_, hot, down_, Color());
  PaintDropArrow(c, R, 0, down_, Enabled());
}

void TRzControlButton::DrawGlyphBitmap(const TRect& Rect) {
  DrawButtonGlyph(Canvas(), glyph_.get(), numGlyphs_, Enabled(), Color(), Rect);
}

void TRzControlButton::DoMouseEnter() {
  mouseOver_ = true;
  OnMouseEnter(this);
  if (flat_ || SharedThemeServices()->VisualStylesOn()) Repaint();
}

void TRzControlButton::DoMouseLeave() {
  mouseOver_ = false;
  OnMouseLeave(this);
  if (flat_ || SharedThemeServices()->VisualStylesOn()) Repaint();
}

void TRzControlButton::CMMouseEnter(TMessage& Message) {
  TGraphicControl::CMMouseEnter(Message);
  DoMouseEnter();
}

void TRzControlButton::CMMouseLeave(TMessage& Message) {
  TGraphicControl::CMMouseLeave(Message);
  DoMouseLeave();
}

void TRzControlButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button == mbLeft && Enabled()) {
    if (!down_) {
      down_ = true;
      Invalidate();
    }
    dragging_ = true;
  }
  if (repeatClicks_) {
    if (!timer_) {
      timer_ = std::make_unique<TTimer>(nullptr);
      timer_->OnTimer = TNotifyEvent(this, &TRzControlButton::TimerExpired);
    }
    timer_->SetEnabled(false);
    timer_->SetInterval(initialDelay_);
    timer_->SetEnabled(true);
  }
}

void TRzControlButton::TimerExpired(TObject*) {
  timer_->SetInterval(delay_);
  if (down_ && MouseCapture()) {
    try {
      Click();
    } catch (...) {
      timer_->SetEnabled(false);
      throw;
    }
  }
}

void TRzControlButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (dragging_) {
    dragging_ = false;
    bool inside = RectContains(ClientRect(), X, Y);
    down_ = false;
    mouseOver_ = false;
    Repaint();
    if (inside) Click();
    if ((flat_ || SharedThemeServices()->VisualStylesOn()) && Enabled()) {
      if (FindDragTarget(Mouse->CursorPos(), false) == this)
        Perform(CM_MOUSEENTER, 0, 0);
      else
        Perform(CM_MOUSELEAVE, 0, 0);
    }
  }
  if (timer_) timer_->SetEnabled(false);
}
