// The button base (caption painter, pressed-look tracking, hot tracking) and
// the push button with its three looks and grouped down states.
#include "controls/RzButton.h"

#include <algorithm>

#include "controls/RzGrafx.h"
#include "controls/RzRectOps.h"
#include "controls/RzThemeSrv.h"
#include "platform/Forms.h"
#include "platform/FormReader.h"
#include "platform/StdCtrls.h"
#include "platform/TypInfo.h"

namespace {

bool PointInClient(TControl* C, Integer X, Integer Y) { return RectContains(C->ClientRect(), X, Y); }

void Line(TCanvas* C, Integer X1, Integer Y1, Integer X2, Integer Y2) {
  C->MoveTo(X1, Y1);
  C->LineTo(X2, Y2);
}

}  // namespace

// ---------------------------------------------------------------------------
// TRzCustomButton

TRzCustomButton::TRzCustomButton(TComponent* AOwner) : TCustomControl(AOwner) {
  // Not opaque: the window background is erased before painting.
  controlStyle_ = TControlStyle{csCaptureMouse, csSetCaption, csDoubleClicks, csReplicatable, csReflector};
  height_ = 17;
  width_ = 115;
  tabStop_ = true;
}

bool TRzCustomButton::Themed() const { return themeAware_ && SharedThemeServices()->VisualStylesOn(); }

void TRzCustomButton::SetAlignmentVertical(TAlignmentVertical Value) {
  if (alignmentVertical_ == Value) return;
  alignmentVertical_ = Value;
  Invalidate();
}

void TRzCustomButton::SetHotTrack(bool Value) {
  if (hotTrack_ == Value) return;
  hotTrack_ = Value;
  Invalidate();
}

void TRzCustomButton::SetHighlightColor(TColor Value) {
  if (highlightColor_ == Value) return;
  highlightColor_ = Value;
  Invalidate();
}

void TRzCustomButton::SetLightTextStyle(bool Value) {
  if (lightTextStyle_ == Value) return;
  lightTextStyle_ = Value;
  Invalidate();
}

void TRzCustomButton::SetTextStyle(TTextStyle Value) {
  if (textStyle_ == Value) return;
  textStyle_ = Value;
  Invalidate();
}

void TRzCustomButton::SetTextHighlightColor(TColor Value) {
  if (textHighlightColor_ == Value) return;
  textHighlightColor_ = Value;
  Invalidate();
}

void TRzCustomButton::SetTextShadowColor(TColor Value) {
  if (textShadowColor_ == Value) return;
  textShadowColor_ = Value;
  Invalidate();
}

void TRzCustomButton::SetTextShadowDepth(Integer Value) {
  if (textShadowDepth_ == Value) return;
  textShadowDepth_ = Value;
  Invalidate();
}

void TRzCustomButton::SetThemeAware(bool Value) {
  if (themeAware_ == Value) return;
  themeAware_ = Value;
  Invalidate();
}

void TRzCustomButton::SetTransparent(bool Value) {
  if (transparent_ == Value) return;
  transparent_ = Value;
  Invalidate();
}

void TRzCustomButton::DrawCaption(TCanvas* ACanvas, TRect Rect, UINT Flags) {
  ACanvas->Brush()->SetStyle(bsClear);
  // The name change forces a new font handle even when Font looks the same.
  ACanvas->Font()->SetName("System");
  ACanvas->SetFont(Font());
  std::string caption = Caption();

  TRect measure = Rect;
  CanvasDrawText(ACanvas, caption, measure, DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK | DT_VCENTER | DT_CENTER);
  Integer h = measure.Height();
  switch (alignmentVertical_) {
    case avCenter:
      Rect.Top = (Rect.Top + Rect.Bottom - h) / 2;
      Rect.Bottom = Rect.Top + h;
      break;
    case avBottom: Rect.Top = Rect.Bottom - h - 1; break;
    case avTop: break;
  }
  if (UseRightToLeftAlignment()) Flags |= DT_RIGHT | DT_RTLREADING;

  if (Enabled()) {
    TRect r2 = Rect;
    if (textStyle_ == tsRaised || textStyle_ == tsRecessed) {
      bool raised = textStyle_ == tsRaised;
      TColor a = raised ? textHighlightColor_ : textShadowColor_;
      TColor b = raised ? textShadowColor_ : textHighlightColor_;
      if (!raised || !lightTextStyle_) {
        OffsetBy(r2, 1, 1);
        ACanvas->Font()->SetColor(b);
        CanvasDrawText(ACanvas, caption, r2, Flags);
      }
      if (raised || !lightTextStyle_) {
        r2 = Rect;
        OffsetBy(r2, -1, -1);
        ACanvas->Font()->SetColor(a);
        CanvasDrawText(ACanvas, caption, r2, Flags);
      }
    } else if (textStyle_ == tsShadow) {
      if (Flags & DT_RIGHT)
        OffsetBy(r2, 0, textShadowDepth_);
      else
        OffsetBy(r2, textShadowDepth_, textShadowDepth_);
      ACanvas->Font()->SetColor(textShadowColor_);
      CanvasDrawText(ACanvas, caption, r2, Flags);
    }
    if (Flags & DT_RIGHT) OffsetBy(Rect, -textShadowDepth_, 0);
    ACanvas->Font()->SetColor(Font()->Color());
    CanvasDrawText(ACanvas, caption, Rect, Flags);
  } else {
    TRect r2 = Rect;
    OffsetBy(r2, 1, 1);
    ACanvas->Font()->SetColor(clBtnHighlight);
    CanvasDrawText(ACanvas, caption, r2, Flags);
    ACanvas->Font()->SetColor(clBtnShadow);
    CanvasDrawText(ACanvas, caption, Rect, Flags);
  }
  ACanvas->Brush()->SetStyle(bsSolid);
}

void TRzCustomButton::DoMouseEnter() {
  mouseOver_ = true;
  OnMouseEnter(this);
}

void TRzCustomButton::DoMouseLeave() {
  mouseOver_ = false;
  OnMouseLeave(this);
}

void TRzCustomButton::WMSetFocus(TMessage& Message) {
  TCustomControl::WMSetFocus(Message);
  RefreshFocusLook();
}

void TRzCustomButton::WMKillFocus(TMessage& Message) {
  TCustomControl::WMKillFocus(Message);
  RefreshFocusLook();
}

void TRzCustomButton::WMEraseBkgnd(TMessage& Message) {
  if (transparent_) {
    CopyParentBackground(this, reinterpret_cast<HDC>(Message.WParam), false);
    Message.Result = 1;
    return;
  }
  TCustomControl::WMEraseBkgnd(Message);
}

void TRzCustomButton::CMEnabledChanged(TMessage& Message) {
  TCustomControl::CMEnabledChanged(Message);
  if (HandleAllocated() && !ComponentState().Contains(csDesigning)) ::EnableWindow(handle_, Enabled());
  Invalidate();
}

void TRzCustomButton::CMTextChanged(TMessage& Message) {
  TCustomControl::CMTextChanged(Message);
  Repaint();
}

void TRzCustomButton::CMMouseEnter(TMessage& Message) {
  TCustomControl::CMMouseEnter(Message);
  DoMouseEnter();
  if ((hotTrack_ || Themed()) && HandleAllocated()) {
    TRect r;
    GetHotTrackRect(r);
    ::InvalidateRect(handle_, r.AsRECT(), FALSE);
  }
}

void TRzCustomButton::CMMouseLeave(TMessage& Message) {
  TCustomControl::CMMouseLeave(Message);
  DoMouseLeave();
  if ((hotTrack_ || Themed()) && HandleAllocated()) {
    TRect r;
    GetHotTrackRect(r);
    ::InvalidateRect(handle_, r.AsRECT(), FALSE);
  }
}

void TRzCustomButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  SetFocus();
  if (Focused()) {
    pressedLook_ = true;
    UpdateDisplay();
    dragging_ = true;
  }
}

void TRzCustomButton::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  if (!dragging_) return;
  bool inside = PointInClient(this, X, Y);
  if (inside != pressedLook_) {
    pressedLook_ = inside;
    UpdateDisplay();
  }
}

void TRzCustomButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (!dragging_) return;
  dragging_ = false;
  pressedLook_ = false;
  if (PointInClient(this, X, Y)) CycleState();
  UpdateDisplay();
}

// ---------------------------------------------------------------------------
// TRzButton

TRzButton::TRzButton(TComponent* AOwner) : TRzCustomButton(AOwner) {
  height_ = 25;
  width_ = 75;
  parentColor_ = false;
  SetColor(clBtnFace);
}

void TRzButton::SetHotTrack(bool Value) {
  if (hotTrack_ == Value) return;
  hotTrack_ = Value;
  // The open corners of the hot-track outline show the parent's image.
  SetTransparent(Value);
  Invalidate();
}

void TRzButton::SetAlignment(TAlignment Value) {
  if (alignment_ == Value) return;
  alignment_ = Value;
  Invalidate();
}

void TRzButton::SetDefault(bool Value) {
  default_ = Value;
  if (HandleAllocated())
    if (TCustomForm* f = GetParentForm(this))
      f->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(f->ActiveControl()));
}

void TRzButton::SetAllowAllUp(bool Value) {
  if (allowAllUp_ == Value) return;
  allowAllUp_ = Value;
  NotifyGroup();
}

void TRzButton::SetGroupIndex(Integer Value) {
  if (groupIndex_ == Value) return;
  groupIndex_ = Value;
  NotifyGroup();
}

void TRzButton::SetDown(bool Value) {
  if (groupIndex_ == 0) Value = false;
  if (Value == down_) return;
  // The down button of an exclusive group cannot be released by itself.
  if (down_ && !allowAllUp_ && groupIndex_ != 0) return;
  down_ = Value;
  downState_ = Value ? 3 : 0;
  Invalidate();
  if (Value) NotifyGroup();
}

void TRzButton::SetShowDownPattern(bool Value) {
  if (showDownPattern_ == Value) return;
  showDownPattern_ = Value;
  Invalidate();
}

void TRzButton::SetShowFocusRect(bool Value) {
  if (showFocusRect_ == Value) return;
  showFocusRect_ = Value;
  Invalidate();
}

void TRzButton::NotifyGroup() {
  if (groupIndex_ == 0 || !Parent()) return;
  TMessage m = MakeMessage(GroupButtonMessage, static_cast<WPARAM>(groupIndex_), reinterpret_cast<LPARAM>(this));
  Parent()->Broadcast(m);
}

void TRzButton::GroupButtonNotice(TMessage& Message) {
  auto* sender = reinterpret_cast<TRzButton*>(Message.LParam);
  if (static_cast<Integer>(Message.WParam) != groupIndex_ || sender == this || !sender) return;
  if (sender->Down() && down_) {
    down_ = false;
    downState_ = 0;
    Invalidate();
  }
  allowAllUp_ = sender->AllowAllUp();
}

void TRzButton::Click() {
  if (TCustomForm* f = GetParentForm(this)) f->SetModalResult(modalResult_);
  TRzCustomButton::Click();
}

void TRzButton::CycleState() {
  if (groupIndex_ != 0)
    SetDown(!down_);
  else
    UpdateDisplay();
  clicking_ = true;
  try {
    Click();
  } catch (...) {
    clicking_ = false;
    throw;
  }
  clicking_ = false;
}

void TRzButton::CreateWnd() {
  TRzCustomButton::CreateWnd();
  active_ = default_;
}

void TRzButton::Dispatch(TMessage& Message) {
  if (Message.Msg == GroupButtonMessage) {
    GroupButtonNotice(Message);
    return;
  }
  TRzCustomButton::Dispatch(Message);
}

void TRzButton::KeyDown(Word& Key, TShiftState Shift) {
  if (Key == VK_SPACE && !Shift.Contains(ssAlt)) {
    keyClickPending_ = true;
    pressedLook_ = true;
    UpdateDisplay();
  }
  TRzCustomButton::KeyDown(Key, Shift);
}

void TRzButton::KeyUp(Word& Key, TShiftState Shift) {
  if (Key == VK_SPACE) {
    pressedLook_ = false;
    // Only a Space pressed on this button clicks it: a release whose press went
    // to another control must not.
    bool pending = keyClickPending_;
    keyClickPending_ = false;
    if (pending) CycleState();
    UpdateDisplay();
  }
  TRzCustomButton::KeyUp(Key, Shift);
}

void TRzButton::CMDialogKey(TMessage& Message) {
  Word key = static_cast<Word>(Message.WParam);
  if (((key == VK_RETURN && active_) || (key == VK_ESCAPE && cancel_)) &&
      KeyDataToShiftState(Message.LParam).Empty() && CanFocus()) {
    if (!dropDownOnEnter_) enterClick_ = true;
    try {
      Click();
    } catch (...) {
      enterClick_ = false;
      throw;
    }
    enterClick_ = false;
    Message.Result = 1;
    return;
  }
  TRzCustomButton::CMDialogKey(Message);
}

void TRzButton::CMDialogChar(TMessage& Message) {
  if (IsAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
    Click();
    Message.Result = 1;
    return;
  }
  TRzCustomButton::CMDialogChar(Message);
}

void TRzButton::CMFocusChanged(TMessage& Message) {
  auto* focused = reinterpret_cast<TWinControl*>(Message.LParam);
  bool active = (dynamic_cast<TRzButton*>(focused) || dynamic_cast<TButton*>(focused)) ? focused == this : default_;
  if (active != active_) {
    active_ = active;
    Repaint();
  }
  TRzCustomButton::CMFocusChanged(Message);
}

void TRzButton::GetCaptionRect(TRect& Rect) {
  Rect = ClientRect();
  InflateBy(Rect, -5, -5);
  if (!hotTrack_ && !Themed() && ShowsPressed()) OffsetBy(Rect, 1, 1);
}

void TRzButton::DrawButtonContent() {
  TRect r;
  GetCaptionRect(r);
  UINT flags = DT_EXPANDTABS | DT_WORDBREAK;
  switch (alignment_) {
    case taLeftJustify: flags |= DT_LEFT; break;
    case taRightJustify: flags |= DT_RIGHT; break;
    case taCenter: flags |= DT_CENTER; break;
  }
  DrawCaption(Canvas(), r, flags);
}

void TRzButton::MakeDownPattern(TBitmap* Bitmap) {
  Bitmap->SetSize(8, 8);
  TCanvas* c = Bitmap->Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(Rect(0, 0, 8, 8));
  TColor dot = ColorToRGB(Color()) == static_cast<TColor>(clSilver) ? clGray : clSilver;
  for (Integer y = 0; y < 8; ++y)
    for (Integer x = 0; x < 8; ++x)
      if ((x & 1) == (y & 1)) c->SetPixels(x, y, dot);
}

void TRzButton::Paint() { RenderButton(); }

void TRzButton::RenderButton() {
  TCustomControl::Paint();
  TCanvas* c = Canvas();
  bool themed = Themed();
  bool pressed = ShowsPressed();
  bool focused = Focused();
  TRect focusRect = ClientRect();
  InflateBy(focusRect, (hotTrack_ || themed) ? -3 : -4, (hotTrack_ || themed) ? -3 : -4);
  if (groupIndex_ != 0 && pressed) OffsetBy(focusRect, 1, 1);
  TRect face = ClientRect();

  if (themed) {
    TThemedButton state;
    if (!Enabled())
      state = tbPushButtonDisabled;
    else if (pressed)
      state = tbPushButtonPressed;
    else if (mouseOver_)
      state = tbPushButtonHot;
    else if (groupIndex_ == 0 && (active_ || focused) && !pressedLook_)
      state = tbPushButtonDefaulted;
    else
      state = tbPushButtonNormal;
    TThemedElementDetails d = TThemeServices::DetailsFor(state);
    SharedThemeServices()->PaintParentBackground(Handle(), c->Handle(), &face, true, &d);
    SharedThemeServices()->PaintElement(c->Handle(), d, face);
  } else if (hotTrack_ && Enabled()) {
    TColor dk = ColorDarkenedBy(clBtnFace, 20), lt = ColorLightenedBy(clBtnFace, 20);
    c->Pen()->SetColor(dk);
    Line(c, face.Left, face.Top + 2, face.Left, face.Bottom - 2);
    Line(c, face.Left + 2, face.Top, face.Right - 2, face.Top);
    c->Pen()->SetColor(lt);
    Line(c, face.Right - 1, face.Top + 2, face.Right - 1, face.Bottom - 2);
    Line(c, face.Left + 2, face.Bottom - 1, face.Right - 2, face.Bottom - 1);
    c->SetPixels(face.Left + 1, face.Top + 1, dk);
    c->SetPixels(face.Right - 2, face.Top + 1, dk);
    c->SetPixels(face.Right - 2, face.Bottom - 2, lt);
    c->SetPixels(face.Left + 1, face.Bottom - 2, dk);

    InflateBy(face, -1, -1);
    c->Pen()->SetColor(Color() == clBtnFace ? static_cast<TColor>(cl3DDkShadow) : ColorDarkenedBy(Color(), 150));
    Line(c, face.Left, face.Top + 1, face.Left, face.Bottom - 1);
    Line(c, face.Left + 1, face.Top, face.Right - 1, face.Top);
    Line(c, face.Right - 1, face.Top + 1, face.Right - 1, face.Bottom - 1);
    Line(c, face.Left + 1, face.Bottom - 1, face.Right - 1, face.Bottom - 1);
    InflateBy(face, -1, -1);

    c->Brush()->SetStyle(bsSolid);
    if (pressed) {
      c->Brush()->SetColor(ColorDarkenedBy(Color(), 10));
      c->FillRect(face);
    } else {
      bool rings = false;
      TColor c1 = clNone, c2 = clNone;
      if (mouseOver_) {
        if (hotTrackColorType_ == htctComplement) {
          Byte h = HueOfColor(hotTrackColor_);
          Byte opposite = static_cast<Byte>(h >= 120 ? h - 120 : h + 120);
          c1 = ColorFromHslBytes(opposite, 220, 180);
          c2 = ColorDarkenedBy(c1, 30);
        } else {
          c1 = ColorLightenedBy(hotTrackColor_, 30);
          c2 = ColorDarkenedBy(hotTrackColor_, 30);
        }
        rings = true;
      } else if (groupIndex_ == 0 && (active_ || focused) && !pressedLook_) {
        c1 = ColorFromHslBytes(HueOfColor(highlightColor_), 220, 220);
        c2 = ColorDarkenedBy(c1, 30);
        rings = true;
      }
      if (rings) {
        TRect inner = PaintBevelRings(c, face, c1, sdAllSides, 1, c2);
        inner = PaintBevelRings(c, inner, ColorDarkenedBy(c1, 10), sdAllSides, 1, ColorLightenedBy(c2, 10));
        c->Brush()->SetColor(Color());
        c->FillRect(inner);
        face = inner;
      } else {
        // A soft gradient edge.
        c->Pen()->SetColor(ColorLightenedBy(Color(), 20));
        Line(c, face.Left, face.Top, face.Right, face.Top);
        c->Pen()->SetColor(ColorLightenedBy(Color(), 15));
        Line(c, face.Left, face.Top + 1, face.Right, face.Top + 1);
        c->Pen()->SetColor(ColorLightenedBy(Color(), 10));
        Line(c, face.Left, face.Top + 2, face.Right, face.Top + 2);
        c->Pen()->SetColor(ColorDarkenedBy(Color(), 10));
        c->MoveTo(face.Left, face.Bottom - 3);
        c->LineTo(face.Right - 2, face.Bottom - 3);
        c->LineTo(face.Right - 2, face.Top + 2);
        c->Pen()->SetColor(ColorDarkenedBy(Color(), 20));
        c->MoveTo(face.Left, face.Bottom - 2);
        c->LineTo(face.Right - 1, face.Bottom - 2);
        c->LineTo(face.Right - 1, face.Top + 2);
        c->Pen()->SetColor(ColorDarkenedBy(Color(), 30));
        Line(c, face.Left, face.Bottom - 1, face.Right, face.Bottom - 1);
        c->Brush()->SetColor(Color());
        c->FillRect(Rect(face.Left, face.Top + 3, face.Right - 2, face.Bottom - 3));
      }
    }
  } else if (hotTrack_) {
    InflateBy(face, -1, -1);
    c->Pen()->SetColor(Color() == clBtnFace ? ColorLightenedBy(clBtnShadow, 30) : ColorDarkenedBy(Color(), 80));
    Line(c, face.Left, face.Top + 1, face.Left, face.Bottom - 1);
    Line(c, face.Left + 1, face.Top, face.Right - 1, face.Top);
    Line(c, face.Right - 1, face.Top + 1, face.Right - 1, face.Bottom - 1);
    Line(c, face.Left + 1, face.Bottom - 1, face.Right - 1, face.Bottom - 1);
    InflateBy(face, -1, -1);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(face);
  } else {
    if (groupIndex_ == 0 && (((active_ || focused) && !pressedLook_) || clicking_))
      face = PaintSideLines(c, face, clWindowFrame, sdAllSides, clWindowFrame);
    if (Color() == clBtnFace) {
      if (groupIndex_ == 0)
        face = PaintButtonFrame(c, face, pressedLook_, sdAllSides);
      else
        face = PaintStyledFrame(c, face, pressed ? fsLowered : fsButtonUp, sdAllSides);
    } else if (groupIndex_ == 0) {
      face = PaintTintedButtonFrame(c, face, Color(), sdAllSides, pressedLook_);
    } else if (pressed) {
      face = PaintTintedStyledFrame(c, face, Color(), sdAllSides, fsLowered);
    } else {
      face = PaintTintedButtonFrame(c, face, Color(), sdAllSides, false);
    }
  }

  if (groupIndex_ != 0 && downState_ == 3 && showDownPattern_) {
    TBitmap pattern;
    MakeDownPattern(&pattern);
    c->Brush()->SetBitmap(&pattern);
    c->FillRect(face);
    c->Brush()->SetBitmap(nullptr);
  }

  c->SetFont(Font());
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  DrawButtonContent();
  if (focused && showFocusRect_) PaintDottedFocusFrame(c, focusRect);
}

// ---------------------------------------------------------------------------
// Published properties.

namespace {

template <class C>
void AddButtonProps(TClassBuilder<C>& b) {
  b.Str("Caption", &TControl::Caption, &TControl::SetCaption)
      .Stored([](C* c) { return c->IsCaptionStored(); })
      .Color("Color", &TControl::Color, &TControl::SetColor, clBtnFace)
      .Stored([](C* c) { return !c->ParentColor(); });
  AddRzButtonLookProps(b);
}

}  // namespace

void RegisterRzButtonClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterRzCommonTypes();
  RegisterEnum<TRzHotTrackColorType>("TRzHotTrackColorType", {"htctComplement", "htctActual"});
  RegisterEnum<TRzControlButtonStyle>("TRzControlButtonStyle",
                                      {"cbsNone", "cbsLeft", "cbsUp", "cbsRight", "cbsDown", "cbsDropDown"});

  RegisterClassInfo<TRzCustomButton, TCustomControl>("TRzCustomButton");
  {
    auto b = RegisterClassInfo<TRzButton, TRzCustomButton>("TRzButton");
    AddButtonProps(b);
    b.Enum("Alignment", &TRzButton::Alignment, &TRzButton::SetAlignment, taCenter)
        .Bool("AllowAllUp", &TRzButton::AllowAllUp, &TRzButton::SetAllowAllUp, false)
        .Bool("Cancel", &TRzButton::Cancel, &TRzButton::SetCancel, false)
        .Bool("Default", &TRzButton::Default, &TRzButton::SetDefault, false)
        .Bool("DropDownOnEnter", &TRzButton::DropDownOnEnter, &TRzButton::SetDropDownOnEnter, true)
        .Bool("Down", &TRzButton::Down, &TRzButton::SetDown, false)
        .Int("GroupIndex", &TRzButton::GroupIndex, &TRzButton::SetGroupIndex, 0)
        .Int("ModalResult", &TRzButton::ModalResult, &TRzButton::SetModalResult, mrNone)
        .Bool("ShowDownPattern", &TRzButton::ShowDownPattern, &TRzButton::SetShowDownPattern, true)
        .Bool("ShowFocusRect", &TRzButton::ShowFocusRect, &TRzButton::SetShowFocusRect, true)
        // Older form files: a flat button was a hot-tracking one.
        .Define([](TRzButton* btn, TFiler* filer) {
          filer->DefineProperty(
              "FrameFlat", [btn](TReader* r) { btn->SetHotTrack(r->ReadBoolean()); }, nullptr, false);
        });
  }
  {
    // What a kind presets is stored only for a custom button.
    auto custom = [](TRzBitBtn* b) { return b->Kind() == bkCustom; };
    auto b = RegisterClassInfo<TRzBitBtn, TRzButton>("TRzBitBtn");
    b.Str("Caption", &TControl::Caption, &TControl::SetCaption)
        .Stored([](TRzBitBtn* b) {
          return b->IsCaptionStored() && (b->Kind() == bkCustom || b->Caption() != TRzBitBtn::KindCaption(b->Kind()));
        })
        .Bool("Cancel", &TRzButton::Cancel, &TRzButton::SetCancel, false)
        .Stored(custom)
        .Bool("Default", &TRzButton::Default, &TRzButton::SetDefault, false)
        .Stored(custom)
        .Int("ModalResult", &TRzButton::ModalResult, &TRzButton::SetModalResult, mrNone)
        .Stored(custom)
        .Object("Glyph", &TRzBitBtn::Glyph, &TRzBitBtn::SetGlyph)
        .Stored(custom)
        .Enum("Kind", &TRzBitBtn::Kind, &TRzBitBtn::SetKind, bkCustom)
        .Enum("Layout", &TRzBitBtn::Layout, &TRzBitBtn::SetLayout, blGlyphLeft)
        .Int("Margin", &TRzBitBtn::Margin, &TRzBitBtn::SetMargin, 2)
        .Int("NumGlyphs", &TRzBitBtn::NumGlyphs, &TRzBitBtn::SetNumGlyphs, 1)
        .Stored(custom)
        .Int("Spacing", &TRzBitBtn::Spacing, &TRzBitBtn::SetSpacing, 4)
        .Int("ImageIndex", &TRzBitBtn::ImageIndex, &TRzBitBtn::SetImageIndex, -1)
        .Int("DisabledIndex", &TRzBitBtn::DisabledIndex, &TRzBitBtn::SetDisabledIndex, -1)
        .Ref("Images", &TRzBitBtn::Images, &TRzBitBtn::SetImages);
  }
  RegisterClassInfo<TRzControlButton, TGraphicControl>("TRzControlButton")
      .Str("Caption", &TControl::Caption, &TControl::SetCaption)
      .Stored([](TRzControlButton* c) { return c->IsCaptionStored(); })
      .Color("Color", &TControl::Color, &TControl::SetColor, clBtnFace)
      .Stored([](TRzControlButton* c) { return !c->ParentColor(); })
      .Bool("Flat", &TRzControlButton::Flat, &TRzControlButton::SetFlat, false)
      .Object("Glyph", &TRzControlButton::Glyph, &TRzControlButton::SetGlyph)
      .Int("NumGlyphs", &TRzControlButton::NumGlyphs, &TRzControlButton::SetNumGlyphs, 1)
      .Int("Delay", &TRzControlButton::Delay, &TRzControlButton::SetDelay, 100)
      .Int("InitialDelay", &TRzControlButton::InitialDelay, &TRzControlButton::SetInitialDelay, 400)
      .Bool("RepeatClicks", &TRzControlButton::RepeatClicks, &TRzControlButton::SetRepeatClicks, false)
      .Enum("Style", &TRzControlButton::Style, &TRzControlButton::SetStyle, cbsNone)
      .Event("OnMouseEnter", &TRzControlButton::OnMouseEnter)
      .Event("OnMouseLeave", &TRzControlButton::OnMouseLeave);
}
