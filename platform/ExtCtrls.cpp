#include "platform/ExtCtrls.h"

#include <algorithm>

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, Integer Width) {
  Canvas->Pen()->SetWidth(1);
  Canvas->Pen()->SetStyle(psSolid);
  --Rect.Bottom;
  --Rect.Right;
  for (Integer i = 0; i < Width; ++i) {
    Canvas->Pen()->SetColor(TopColor);
    TPoint top[] = {{Rect.Left, Rect.Bottom}, {Rect.Left, Rect.Top}, {Rect.Right, Rect.Top}};
    Canvas->Polyline(top, 3);
    Canvas->Pen()->SetColor(BottomColor);
    TPoint bottom[] = {{Rect.Right, Rect.Top}, {Rect.Right, Rect.Bottom}, {Rect.Left - 1, Rect.Bottom}};
    Canvas->Polyline(bottom, 3);
    InflateRect(Rect.AsRECT(), -1, -1);
  }
  ++Rect.Bottom;
  ++Rect.Right;
}

// ---------------------------------------------------------------------------
// TCustomPanel

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  controlStyle_ = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque,
                                csDoubleClicks, csReplicatable};
  width_ = 185;
  height_ = 41;
  color_ = clBtnFace;
  brush_->SetColor(clBtnFace);
}

void TCustomPanel::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  if (borderStyle_ == bsSingle) {
    if (NewStyleControls && Ctl3D())
      Params.ExStyle |= WS_EX_CLIENTEDGE;
    else
      Params.Style |= WS_BORDER;
  }
  Params.WindowClass.style &= ~static_cast<UINT>(CS_HREDRAW | CS_VREDRAW);
}

void TCustomPanel::SetAlignment(TAlignment Value) {
  alignment_ = Value;
  Invalidate();
}

void TCustomPanel::SetBevelInner(TPanelBevel Value) {
  bevelInner_ = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelOuter(TPanelBevel Value) {
  bevelOuter_ = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelWidth(TBevelWidth Value) {
  bevelWidth_ = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle Value) {
  if (borderStyle_ == Value) return;
  borderStyle_ = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomPanel::AdjustClientRect(TRect& Rect) {
  // The base already takes BorderWidth off; the bevels lie outside and inside it.
  TCustomControl::AdjustClientRect(Rect);
  Integer bevel = 0;
  if (bevelOuter_ != bvNone) bevel += bevelWidth_;
  if (bevelInner_ != bvNone) bevel += bevelWidth_;
  InflateRect(Rect.AsRECT(), -bevel, -bevel);
}

void TCustomPanel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  auto colors = [](TPanelBevel b, TColor& top, TColor& bottom) {
    top = b == bvLowered ? clBtnShadow : clBtnHighlight;
    bottom = b == bvLowered ? clBtnHighlight : clBtnShadow;
  };
  TColor top, bottom;
  if (bevelOuter_ != bvNone) {
    colors(bevelOuter_, top, bottom);
    if (bevelOuter_ == bvSpace) top = bottom = Color();
    Frame3D(c, r, top, bottom, bevelWidth_);
  }
  Frame3D(c, r, Color(), Color(), borderWidth_);
  if (bevelInner_ != bvNone) {
    colors(bevelInner_, top, bottom);
    if (bevelInner_ == bvSpace) top = bottom = Color();
    Frame3D(c, r, top, bottom, bevelWidth_);
  }
  c->Brush()->SetColor(Color());
  c->Brush()->SetStyle(bsSolid);
  c->FillRect(r);
  std::string text = GetText();
  if (!text.empty()) {
    c->SetFont(Font());
    c->Brush()->SetStyle(bsClear);
    static const UINT Align[] = {DT_LEFT, DT_RIGHT, DT_CENTER};
    CanvasDrawText(c, text, r, DT_EXPANDTABS | DT_VCENTER | DT_SINGLELINE | Align[alignment_]);
  }
}

void TCustomPanel::CMTextChanged(TMessage& Message) {
  TCustomControl::CMTextChanged(Message);
  Invalidate();
}

// ---------------------------------------------------------------------------
// TBevel

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
  controlStyle_.Include(csReplicatable);
  width_ = 50;
  height_ = 50;
}

void TBevel::SetShape(TBevelShape Value) {
  if (shape_ == Value) return;
  shape_ = Value;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle Value) {
  if (style_ == Value) return;
  style_ = Value;
  Invalidate();
}

void TBevel::Paint() {
  TCanvas* c = Canvas();
  c->Pen()->SetWidth(1);
  TColor color1 = style_ == bsLowered ? clBtnShadow : clBtnHighlight;
  TColor color2 = style_ == bsLowered ? clBtnHighlight : clBtnShadow;
  auto line = [&](TColor color, Integer x1, Integer y1, Integer x2, Integer y2) {
    c->Pen()->SetColor(color);
    c->MoveTo(x1, y1);
    c->LineTo(x2, y2);
  };
  Integer w = width_, h = height_;
  TRect r = Rect(0, 0, w, h);
  switch (shape_) {
    case bsBox: Frame3D(c, r, color1, color2, 1); break;
    case bsFrame:
      r.Right--;
      r.Bottom--;
      Frame3D(c, r, color1, color1, 1);
      r = Rect(1, 1, w, h);
      Frame3D(c, r, color2, color2, 1);
      break;
    case bsTopLine:
      line(color1, 0, 0, w, 0);
      line(color2, 0, 1, w, 1);
      break;
    case bsBottomLine:
      line(color1, 0, h - 2, w, h - 2);
      line(color2, 0, h - 1, w, h - 1);
      break;
    case bsLeftLine:
      line(color1, 0, 0, 0, h);
      line(color2, 1, 0, 1, h);
      break;
    case bsRightLine:
      line(color1, w - 2, 0, w - 2, h);
      line(color2, w - 1, 0, w - 1, h);
      break;
    case bsSpacer: break;
  }
}

// ---------------------------------------------------------------------------
// TImage

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), picture_(std::make_unique<TPicture>()) {
  controlStyle_.Include(csReplicatable);
  picture_->OnChange = TNotifyEvent(this, &TImage::PictureChanged);
  picture_->OnProgress = TProgressEvent(this, &TImage::Progress);
  width_ = 105;
  height_ = 105;
}

TImage::~TImage() {
  picture_->OnChange = TNotifyEvent();
  picture_->OnProgress = TProgressEvent();
}

void TImage::Progress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow, const TRect& R,
                      const std::string& Msg) {
  // Showing the part done so far: painting only on the thread that owns the window.
  if (incrementalDisplay_ && RedrawNow) {
    if (GetCurrentThreadId() == MainThreadID)
      Repaint();
    else
      Invalidate();
  }
  OnProgress(Sender, Stage, PercentDone, RedrawNow, R, Msg);
}

TRect TImage::DestRect() {
  Integer w = picture_->Width(), h = picture_->Height();
  Integer cw = ClientWidth(), ch = ClientHeight();
  TRect r;
  if (stretch_)
    r = Rect(0, 0, cw, ch);
  else
    r = Rect(0, 0, w, h);
  if (center_ && !stretch_) OffsetRect(r.AsRECT(), (cw - w) / 2, (ch - h) / 2);
  return r;
}

void TImage::Paint() {
  // Our own canvas, not the picture's (which Canvas() gives).
  TCanvas* c = TGraphicControl::Canvas();
  TGraphic* g = picture_->Graphic();
  if (g && !g->Empty()) {
    bool save = g->Transparent();
    if (transparent_ != save) g->SetTransparent(transparent_);
    c->StretchDraw(DestRect(), g);
    if (g->Transparent() != save) g->SetTransparent(save);
  }
}

void TImage::PictureChanged(TObject*) {
  // A painter thread reaches us here too: it may only invalidate the area.
  if (GetCurrentThreadId() == MainThreadID) {
    if (autoSize_ && picture_->Width() > 0 && picture_->Height() > 0)
      SetBounds(left_, top_, picture_->Width(), picture_->Height());
    TGraphic* g = picture_->Graphic();
    if (g && !(g->Transparent() || transparent_) && (stretch_ || (g->Width() >= width_ && g->Height() >= height_)))
      controlStyle_.Include(csOpaque);
    else
      controlStyle_.Exclude(csOpaque);
  }
  Invalidate();
}

TCanvas* TImage::Canvas() {
  TBitmap* b = picture_->Bitmap();
  return b->Canvas();
}

void TImage::SetAutoSize(bool Value) {
  autoSize_ = Value;
  if (Value) PictureChanged(this);
}

void TImage::SetCenter(bool Value) {
  if (center_ == Value) return;
  center_ = Value;
  PictureChanged(this);
}

void TImage::SetStretch(bool Value) {
  if (stretch_ == Value) return;
  stretch_ = Value;
  PictureChanged(this);
}

void TImage::SetTransparent(bool Value) {
  if (transparent_ == Value) return;
  transparent_ = Value;
  PictureChanged(this);
}

// ---------------------------------------------------------------------------
// TShape

TShape::TShape(TComponent* AOwner)
    : TGraphicControl(AOwner), pen_(std::make_unique<TPen>()), brush_(std::make_unique<TBrush>()) {
  controlStyle_.Include(csReplicatable);
  width_ = 65;
  height_ = 65;
  pen_->OnChange = TNotifyEvent(this, &TShape::StyleChanged);
  brush_->OnChange = TNotifyEvent(this, &TShape::StyleChanged);
}

TShape::~TShape() {
  pen_->OnChange = TNotifyEvent();
  brush_->OnChange = TNotifyEvent();
}

void TShape::SetShape(TShapeType Value) {
  if (shape_ == Value) return;
  shape_ = Value;
  Invalidate();
}

void TShape::StyleChanged(TObject*) { Invalidate(); }

void TShape::Paint() {
  TCanvas* c = Canvas();
  c->SetPen(pen_.get());
  c->SetBrush(brush_.get());
  Integer pw = pen_->Width();
  Integer s = pw / 2;
  Integer x = s, y = s, w = width_ - pw + 1, h = height_ - pw + 1;
  if (pw == 0) {
    --w;
    --h;
  }
  if (w < h) s = w; else s = h;
  if (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle) {
    x += (w - s) / 2;
    y += (h - s) / 2;
    w = h = s;
  }
  switch (shape_) {
    case stRectangle:
    case stSquare: c->Rectangle(x, y, x + w, y + h); break;
    case stRoundRect:
    case stRoundSquare: c->RoundRect(x, y, x + w, y + h, s / 4, s / 4); break;
    case stCircle:
    case stEllipse: c->Ellipse(x, y, x + w, y + h); break;
  }
}

// ---------------------------------------------------------------------------
// TPaintBox

TPaintBox::TPaintBox(TComponent* AOwner) : TGraphicControl(AOwner) {
  controlStyle_.Include(csReplicatable);
  width_ = 105;
  height_ = 105;
}

void TPaintBox::Paint() {
  Canvas()->SetFont(Font());
  Canvas()->Brush()->SetColor(Color());
  OnPaint(this);
}
