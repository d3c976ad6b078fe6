#include "platform/Buttons.h"

#include <algorithm>

#include "platform/StdCtrls.h"

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
  bool horizontal = layout_ == blGlyphLeft || layout_ == blGlyphRight;
  Integer space = (gw > 0 && tw > 0) ? spacing_ : 0;
  Integer total = horizontal ? gw + space + tw : gh + space + th;
  Integer extent = horizontal ? width_ : height_;
  Integer start = margin_ >= 0 ? margin_ : (extent - total) / 2;
  TPoint gp, tp;
  if (horizontal) {
    gp.Y = (height_ - gh) / 2;
    tp.Y = (height_ - th) / 2;
    if (layout_ == blGlyphLeft) {
      gp.X = start;
      tp.X = start + gw + space;
    } else {
      gp.X = width_ - start - gw;
      tp.X = gp.X - space - tw;
    }
  } else {
    gp.X = (width_ - gw) / 2;
    tp.X = (width_ - tw) / 2;
    if (layout_ == blGlyphTop) {
      gp.Y = start;
      tp.Y = start + gh + space;
    } else {
      gp.Y = height_ - start - gh;
      tp.Y = gp.Y - space - th;
    }
  }
  if (gw > 0 && gh > 0) {
    // The glyph's bottom-left pixel is its transparent colour.
    TColor transparent = glyph_->Canvas()->Pixels(0, gh - 1);
    TransparentBlt(c->Handle(), gp.X + offset, gp.Y + offset, gw, gh, glyph_->Canvas()->Handle(), cell * gw, 0, gw,
                   gh, static_cast<UINT>(ColorToRGB(transparent)));
  }
  if (!caption.empty()) {
    TRect tr = Bounds(tp.X + offset, tp.Y + offset, tw, th);
    c->Brush()->SetStyle(bsClear);
    if (!enabled_) c->Font()->SetColor(clGrayText);
    CanvasDrawText(c, caption, tr, DT_SINGLELINE);
  }
}
