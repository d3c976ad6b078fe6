#include "controls/RzRadChk.h"

#include <algorithm>
#include <vector>

#include "controls/RzGrafx.h"
#include "controls/RzThemeSrv.h"
#include "platform/FormReader.h"
#include "platform/Forms.h"
#include "platform/SysUtils.h"
#include "platform/TypInfo.h"

void RegisterRzRadChkClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterRzButtonClasses();
  RegisterRzCommonClasses();
  using G = TRzCustomGlyphButton;
  RegisterClassInfo<G, TRzCustomButton>("TRzCustomGlyphButton")
      .Str("Caption", &TControl::Caption, &TControl::SetCaption)
      .Stored([](G* c) { return c->IsCaptionStored(); })
      .Enum("Alignment", &G::Alignment, &G::SetAlignment, taRightJustify)
      .Enum("AlignmentVertical", &G::AlignmentVertical, &G::SetAlignmentVertical, avTop)
      .Color("Color", &TControl::Color, &TControl::SetColor, clWindow)
      .Stored([](G* c) { return !c->ParentColor(); })
      .Bool("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, true)
      .Object("CustomGlyphs", &G::CustomGlyphs, &G::SetCustomGlyphs)
      .Bool("UseCustomGlyphs", &G::UseCustomGlyphs, &G::SetUseCustomGlyphs, false)
      .Color("DisabledColor", &G::DisabledColor, &G::SetDisabledColor, clBtnFace)
      .Color("FrameColor", &G::FrameColor, &G::SetFrameColor, clBtnShadow)
      .Ref("FrameController", &G::FrameController, &G::SetFrameController)
      .Bool("TabOnEnter", &G::TabOnEnter, &G::SetTabOnEnter, false)
      .Bool("Transparent", &G::Transparent, &G::SetTransparent, false)
      .Color("TransparentColor", &G::TransparentColor, &G::SetTransparentColor, clOlive)
      .Color("WinMaskColor", &G::WinMaskColor, &G::SetWinMaskColor, clLime)
      .Bool("HotTrack", &G::HotTrack, &G::SetHotTrack, false)
      .Color("HotTrackColor", &G::HotTrackColor, &G::SetHotTrackColor, clHighlight)
      .Enum("HotTrackColorType", &G::HotTrackColorType, &G::SetHotTrackColorType, htctComplement)
      .Color("HighlightColor", &G::HighlightColor, &G::SetHighlightColor, clHighlight)
      .Bool("LightTextStyle", &G::LightTextStyle, &G::SetLightTextStyle, false)
      .Color("TextHighlightColor", &G::TextHighlightColor, &G::SetTextHighlightColor, clBtnHighlight)
      .Color("TextShadowColor", &G::TextShadowColor, &G::SetTextShadowColor, clBtnShadow)
      .Int("TextShadowDepth", &G::TextShadowDepth, &G::SetTextShadowDepth, 2)
      .Enum("TextStyle", &G::TextStyle, &G::SetTextStyle, tsNormal)
      .Event("OnMouseEnter", &G::OnMouseEnter)
      .Event("OnMouseLeave", &G::OnMouseLeave);
  RegisterClassInfo<TRzRadioButton, G>("TRzRadioButton")
      .Bool("Checked", &G::Checked, &G::SetChecked, false)
      .Stored([](G* c) { return c->IsCheckedStored(); })
      .Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, false);
  using C = TRzCustomCheckBox;
  RegisterClassInfo<C, G>("TRzCustomCheckBox")
      .Bool("AllowGrayed", &C::AllowGrayed, &C::SetAllowGrayed, false)
      .Bool("Checked", &G::Checked, &G::SetChecked, false)
      .Stored([](C*) { return false; })  // State says it
      .Enum("State", &C::State, &C::SetState)
      .Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, true);
  RegisterClassInfo<TRzCheckBox, C>("TRzCheckBox");
}

// ---------------------------------------------------------------------------
TRzCustomGlyphButton::TRzCustomGlyphButton(TComponent* AOwner)
    : TRzCustomButton(AOwner), customGlyphs_(std::make_unique<TBitmap>()), background_(std::make_unique<TBitmap>()) {
  RegisterRzRadChkClasses();
  controlStyle_.Include(csSetCaption);
  controlStyle_.Include(csReplicatable);
  color_ = clWindow;
  parentColor_ = true;
  customGlyphs_->OnChange = TNotifyEvent(this, &TRzCustomGlyphButton::CustomGlyphsChanged);
}

TRzCustomGlyphButton::~TRzCustomGlyphButton() {
  if (frameController_) frameController_->UnregisterControl(this);
}

#define RZ_GLYPH_WRITER(Setter, Type, Field) \
  void TRzCustomGlyphButton::Setter(Type Value) { \
    if (Value == Field) return;                \
    Field = Value;                             \
    Invalidate();                              \
  }
RZ_GLYPH_WRITER(SetAlignment, TAlignment, alignment_)
RZ_GLYPH_WRITER(SetFrameColor, TColor, frameColor_)
RZ_GLYPH_WRITER(SetDisabledColor, TColor, disabledColor_)
RZ_GLYPH_WRITER(SetTransparentColor, TColor, transparentColor_)
RZ_GLYPH_WRITER(SetWinMaskColor, TColor, winMaskColor_)
#undef RZ_GLYPH_WRITER

void TRzCustomGlyphButton::SetCustomGlyphs(TBitmap* Value) { customGlyphs_->Assign(Value); }

void TRzCustomGlyphButton::CustomGlyphsChanged(TObject* /*Sender*/) {
  SetUseCustomGlyphs(!customGlyphs_->Empty());
  backgroundDirty_ = true;
  Invalidate();
}

void TRzCustomGlyphButton::SetUseCustomGlyphs(bool Value) {
  if (Value == useCustomGlyphs_) return;
  useCustomGlyphs_ = Value;
  if (Value) {
    glyphWidth_ = customGlyphs_->Width() / std::max<Integer>(numGlyphs_, 1);
    glyphHeight_ = customGlyphs_->Height();
  } else {
    glyphWidth_ = glyphHeight_ = 13;
  }
  Invalidate();
}

void TRzCustomGlyphButton::SetTransparent(bool Value) {
  backgroundDirty_ = true;
  TRzCustomButton::SetTransparent(Value);
}

void TRzCustomGlyphButton::SetFrameController(TRzFrameController* Value) {
  TRzFrameController::Link(this, frameController_, Value);
}

void TRzCustomGlyphButton::Notification(TComponent* AComponent, TOperation Operation) {
  TRzCustomButton::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == frameController_) frameController_ = nullptr;
}

void TRzCustomGlyphButton::ApplyFrameLook() {
  if (!frameController_ || !frameController_->FrameVisible()) return;
  frameColor_ = frameController_->FrameColor();
  disabledColor_ = frameController_->DisabledColor();
  Invalidate();
}

void TRzCustomGlyphButton::DefineProperties(TFiler* Filer) {
  TRzCustomButton::DefineProperties(Filer);
  // An older name of HotTrack.
  Filer->DefineProperty("Flat", [this](TReader* R) { SetHotTrack(R->ReadBoolean()); }, nullptr, false);
}

TAlignment TRzCustomGlyphButton::GetControlsAlignment() {
  if (!UseRightToLeftAlignment()) return taRightJustify;
  return alignment_ == taRightJustify ? taLeftJustify : taRightJustify;
}

TColor TRzCustomGlyphButton::NudgeColor(TColor Color) {
  Integer rgb = ColorToRGB(Color) & 0xFFFFFF;
  if (rgb == (ColorToRGB(transparentColor_) & 0xFFFFFF) || rgb == (ColorToRGB(winMaskColor_) & 0xFFFFFF) ||
      rgb == 0x808080)
    return rgb + 1;
  return Color;
}

TRect TRzCustomGlyphButton::GlyphRect() {
  Integer x = alignment_ == taRightJustify ? 0 : Width() - glyphWidth_;
  Integer y = 2;
  if (alignmentVertical_ == avCenter) y = (Height() - glyphHeight_) / 2;
  if (alignmentVertical_ == avBottom) y = Height() - glyphHeight_ - 2;
  return Bounds(x, y, glyphWidth_, glyphHeight_);
}

void TRzCustomGlyphButton::CutCell(Integer Index, TBitmap* Bitmap, Integer Height, Integer Width, TBitmap* Strip) {
  Bitmap->SetSize(Width, Height);
  Bitmap->Canvas()->CopyRect(Rect(0, 0, Width, Height), Strip->Canvas(),
                             Rect(Width * Index, 0, Width * (Index + 1), Height));
}

namespace {

std::unique_ptr<TBitmap> NewCell(Integer W, Integer H) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(W, H);
  return b;
}

// A copy of Source with every pixel of Color painted in Replacement.
std::unique_ptr<TBitmap> Replaced(TBitmap* Source, TColor Color, TColor Replacement) {
  auto b = NewCell(Source->Width(), Source->Height());
  TRect r = Rect(0, 0, Source->Width(), Source->Height());
  b->Canvas()->Brush()->SetStyle(bsSolid);
  b->Canvas()->Brush()->SetColor(Replacement);
  b->Canvas()->BrushCopy(r, Source, r, Color);
  return b;
}

}  // namespace

void TRzCustomGlyphButton::DrawGlyph(TCanvas* ACanvas) {
  if (!ACanvas) ACanvas = Canvas();
  TRect gr = GlyphRect();
  auto glyph = NewCell(glyphWidth_, glyphHeight_);
  BuildGlyph(glyph.get());
  TRect cell = Rect(0, 0, glyphWidth_, glyphHeight_);
  std::unique_ptr<TBitmap> layer1;
  if (Transparent()) {
    layer1 = NewCell(glyphWidth_, glyphHeight_);
    layer1->Canvas()->CopyRect(cell, ACanvas, gr);
    TColor skip = SharedThemeServices()->VisualStylesOn() ? clBtnFace : transparentColor_;
    DrawBitmapSkippingColor(layer1->Canvas(), glyph.get(), cell, cell, skip);
  } else {
    layer1 = Replaced(glyph.get(), transparentColor_, Color());
  }
  auto layer2 = Replaced(layer1.get(), winMaskColor_, clWindow);
  auto layer3 = Replaced(layer2.get(), clGreen, MixColors(frameColor_, ACanvas->Pixels(0, 0), 128));
  ACanvas->Draw(gr.Left, gr.Top, layer3.get());
}

void TRzCustomGlyphButton::Paint() {
  Integer W = Width(), H = Height();
  if (W <= 0 || H <= 0) return;
  auto b = NewCell(W, H);
  TCanvas* bc = b->Canvas();
  bc->Font()->Assign(Font());
  bc->Brush()->SetColor(Color());
  if (backgroundDirty_ || background_->Width() != W || background_->Height() != H) {
    background_->SetPixelFormat(pf24bit);
    background_->SetSize(W, H);
    if (Transparent()) {
      // The erase handler has just drawn the parent's image into the client area.
      background_->Canvas()->CopyRect(Rect(0, 0, W, H), Canvas(), Rect(0, 0, W, H));
    } else {
      background_->Canvas()->Brush()->SetStyle(bsSolid);
      background_->Canvas()->Brush()->SetColor(Color());
      background_->Canvas()->FillRect(Rect(0, 0, W, H));
    }
    backgroundDirty_ = false;
  }
  bc->Draw(0, 0, background_.get());
  DrawGlyph(bc);
  TRect r = Rect(1, 1, W - 1, H - 1);
  if (alignment_ == taRightJustify)
    r.Left += glyphWidth_ + 4;
  else
    r.Right -= glyphWidth_ + 4;
  DrawCaption(bc, r, DT_EXPANDTABS | DT_WORDBREAK);
  if (Focused() && !Caption().empty()) {
    InflateRect(r.AsRECT(), 1, 1);
    bc->Font()->Assign(Font());
    Integer w = std::min(r.Width(), bc->TextWidth(Trim(Caption())) + 3);
    if (UseRightToLeftAlignment())
      r.Left = r.Right - w;
    else
      r.Right = r.Left + w;
    PaintDottedFocusFrame(bc, r);
  }
  Canvas()->SetCopyMode(SRCCOPY);
  Canvas()->Draw(0, 0, b.get());
}

void TRzCustomGlyphButton::UpdateDisplay() {
  // Painted at once without an erase, so hover and press repaints reuse the
  // cached background.
  if (!HandleAllocated() || !::IsWindowVisible(Handle())) return;
  Paint();
  if (auto* cc = dynamic_cast<TControlCanvas*>(Canvas())) cc->FreeHandle();
}

void TRzCustomGlyphButton::KeyPress(char& Key) {
  if (tabOnEnter_ && Key == '\r') {
    Key = 0;
    ::PostMessageW(Handle(), WM_KEYDOWN, VK_TAB, 0);
    return;
  }
  TRzCustomButton::KeyPress(Key);
}

void TRzCustomGlyphButton::WMEraseBkgnd(TMessage& Message) {
  TRzCustomButton::WMEraseBkgnd(Message);
  backgroundDirty_ = true;
}

void TRzCustomGlyphButton::WMSize(TMessage& Message) {
  TRzCustomButton::WMSize(Message);
  backgroundDirty_ = true;
}

void TRzCustomGlyphButton::CMEnabledChanged(TMessage& Message) {
  TRzCustomButton::CMEnabledChanged(Message);
  backgroundDirty_ = true;
  Invalidate();
}

void TRzCustomGlyphButton::CMParentColorChanged(TMessage& Message) {
  TRzCustomButton::CMParentColorChanged(Message);
  backgroundDirty_ = true;
  Invalidate();
}

void TRzCustomGlyphButton::ActionChange(TObject* Sender, bool CheckDefaults) {
  TRzCustomButton::ActionChange(Sender, CheckDefaults);
  if (auto* a = dynamic_cast<TCustomAction*>(Sender))
    if (!CheckDefaults || !Checked()) SetChecked(a->Checked());
}

std::unique_ptr<TControlActionLink> TRzCustomGlyphButton::CreateActionLink() {
  return std::make_unique<TRzCheckedActionLink>(this);
}

bool TRzCheckedActionLink::IsCheckedLinked() const {
  TCustomAction* a = CustomAction();
  return TWinControlActionLink::IsCheckedLinked() && a && glyphClient_->Checked() == a->Checked();
}

void TRzCheckedActionLink::SetChecked(bool Value) {
  if (IsCheckedLinked()) glyphClient_->SetChecked(Value);
}

// ---------------------------------------------------------------------------
// Hot-track glyphs: a resource picture in source colours, mapped to the
// control's colours for its state.

namespace {

enum TGlyphState { gsNormalLook, gsPressedLook, gsOverLook, gsDisabledLook };

}  // namespace

bool TRzCustomGlyphButton::BuildHotTrackGlyph(TBitmap* Bitmap, const char* ResName, bool Radio) {
  const TColor W = clWindow;
  bool full = ScreenHasFullColor();
  TColor light = W, dark = W, back = W;
  if (full) {
    if (hotTrackColorType_ == htctActual) {
      light = ColorLightenedBy(hotTrackColor_, 30);
      dark = ColorDarkenedBy(hotTrackColor_, 30);
    } else {
      Byte h = HueOfColor(hotTrackColor_);
      light = ColorFromHslBytes(static_cast<Byte>(h >= 120 ? h - 120 : h + 120), 220, 180);
      dark = ColorDarkenedBy(light, 30);
    }
    back = ColorDarkenedBy(W, 20);
  }
  TGlyphState st = !Enabled() ? gsDisabledLook : pressedLook_ ? gsPressedLook : mouseOver_ ? gsOverLook : gsNormalLook;
  auto blend = [](TColor a, TColor b, Byte n) { return MixColors(a, b, n); };
  // The face a state shows under the frame blends.
  TColor face = st == gsDisabledLook ? disabledColor_ : st == gsPressedLook ? back : W;
  std::vector<TColor> from, to;
  auto map = [&](TColor src, TColor dst) {
    from.push_back(src);
    to.push_back(dst);
  };
  if (Radio) {
    map(0xFFFFFF, face);
    map(0x000000, NudgeColor(frameColor_));
    map(0x008000, full ? ColorLightenedBy(frameColor_, 10) : NudgeColor(frameColor_));
    bool stateful = full || st == gsDisabledLook;
    auto shaded = [&](Byte n, TColor over) {
      if (!stateful) return W;
      switch (st) {
        case gsDisabledLook: return blend(frameColor_, disabledColor_, n);
        case gsPressedLook: return blend(frameColor_, back, n);
        case gsOverLook: return blend(frameColor_, over, n);
        default: return blend(frameColor_, W, n);
      }
    };
    map(0x808080, shaded(128, dark));
    map(0x800080, shaded(128, light));
    map(0x000080, shaded(80, dark));
    map(0x00FF00, shaded(80, light));
    auto accent = [&](TColor over) {
      if (st == gsDisabledLook) return disabledColor_;
      if (!full) return W;
      return st == gsPressedLook ? back : st == gsOverLook ? over : W;
    };
    map(0x0000FF, accent(dark));
    map(0xFF00FF, accent(light));
    map(0x00FFFF, accent(blend(light, W, 128)));
    map(0x800000, st == gsDisabledLook ? clBtnShadow : NudgeColor(highlightColor_));
    TColor blue;
    if (st == gsDisabledLook)
      blue = blend(highlightColor_, disabledColor_, 128);
    else if (!full)
      blue = NudgeColor(highlightColor_);
    else
      blue = blend(highlightColor_, st == gsPressedLook ? back : W, 153);
    map(0xFF0000, blue);
    map(0xFFFF00, full ? static_cast<TColor>(0x008000) : NudgeColor(frameColor_));
  } else {
    map(0xFFFFFF, face);
    map(0x808080, frameColor_);
    auto accent = [&](TColor over) {
      if (st == gsDisabledLook) return disabledColor_;
      return st == gsPressedLook ? back : st == gsOverLook ? over : W;
    };
    map(0x0000FF, accent(dark));
    map(0xFF00FF, accent(light));
    map(0xFF0000, st == gsDisabledLook ? clBtnShadow : NudgeColor(highlightColor_));
  }
  HBITMAP h = CreateMappedRes(::GetModuleHandleW(nullptr), ResName, from, to);
  if (!h) return false;
  Bitmap->SetHandle(h);
  return true;
}

namespace {

void FillCell(TBitmap* B, TColor Color) {
  B->Canvas()->Brush()->SetStyle(bsSolid);
  B->Canvas()->Brush()->SetColor(Color);
  B->Canvas()->FillRect(Rect(0, 0, B->Width(), B->Height()));
}

}  // namespace

// ---------------------------------------------------------------------------
TRzRadioButton::TRzRadioButton(TComponent* AOwner) : TRzCustomGlyphButton(AOwner) {
  alignmentVertical_ = avTop;
  numGlyphs_ = 6;
  tabStop_ = false;
}

void TRzRadioButton::SetChecked(bool Value) {
  if (Value == checked_) return;
  checked_ = Value;
  SetTabStop(Value);
  UpdateDisplay();
  if (!Value) return;
  if (TWinControl* p = Parent()) {
    // Every radio button of the same parent is one group.
    for (Integer i = 0; i < p->ControlCount(); ++i)
      if (auto* r = dynamic_cast<TRzRadioButton*>(p->Controls(i)); r && r != this) r->SetChecked(false);
  }
  Click();
}

void TRzRadioButton::CycleState() {
  if (!checked_) SetChecked(true);
}

void TRzRadioButton::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  usingMouse_ = true;
  TRzCustomGlyphButton::MouseDown(Button, Shift, X, Y);
}

void TRzRadioButton::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TRzCustomGlyphButton::MouseUp(Button, Shift, X, Y);
  usingMouse_ = false;
}

void TRzRadioButton::WMSetFocus(TMessage& Message) {
  TRzCustomGlyphButton::WMSetFocus(Message);
  // Focus moved by the keyboard checks the button; a mouse press checks it on release.
  if (!usingMouse_) SetChecked(true);
}

void TRzRadioButton::WMLButtonDblClk(TMessage& Message) {
  TRzCustomGlyphButton::WMLButtonDblClk(Message);
  DblClick();
}

void TRzRadioButton::CMDialogChar(TMessage& Message) {
  if (IsAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
    SetFocus();
    Message.Result = 1;
    return;
  }
  TRzCustomGlyphButton::CMDialogChar(Message);
}

void TRzRadioButton::CMDialogKey(TMessage& Message) {
  TShiftState s = KeyboardStateToShiftState();
  if (Message.WParam == VK_DOWN && !s.Contains(ssShift) && !s.Contains(ssAlt) && !s.Contains(ssCtrl) &&
      CanFocus()) {
    Click();
    Message.Result = 1;
    return;
  }
  TRzCustomGlyphButton::CMDialogKey(Message);
}

void TRzRadioButton::BuildGlyph(TBitmap* B) {
  if (useCustomGlyphs_) {
    Integer index = (checked_ ? 1 : 0) + (!Enabled() ? 4 : pressedLook_ ? 2 : 0);
    CutCell(index, B, glyphHeight_, glyphWidth_, customGlyphs_.get());
    return;
  }
  TThemeServices* theme = SharedThemeServices();
  TRect cell = Rect(0, 0, B->Width(), B->Height());
  if (theme->VisualStylesOn()) {
    FillCell(B, Color());
    Integer base = checked_ ? tbRadioButtonCheckedNormal : tbRadioButtonUncheckedNormal;
    Integer off = !Enabled() ? 3 : pressedLook_ ? 2 : mouseOver_ ? 1 : 0;
    theme->PaintElement(B->Canvas()->Handle(), TThemeServices::DetailsFor(static_cast<TThemedButton>(base + off)),
                        cell);
    return;
  }
  if (hotTrack_ &&
      BuildHotTrackGlyph(B, checked_ ? "RZCOMMON_RADIOBUTTON_CHECKED" : "RZCOMMON_RADIOBUTTON_UNCHECKED", true))
    return;
  FillCell(B, transparentColor_);
  UINT state = DFCS_BUTTONRADIO | DFCS_TRANSPARENT | (checked_ ? DFCS_CHECKED : 0) |
               (pressedLook_ ? DFCS_PUSHED : 0) | (!Enabled() ? DFCS_INACTIVE : 0);
  ::DrawFrameControl(B->Canvas()->Handle(), cell.AsRECT(), DFC_BUTTON, state);
}

// ---------------------------------------------------------------------------
TRzCustomCheckBox::TRzCustomCheckBox(TComponent* AOwner) : TRzCustomGlyphButton(AOwner) {
  alignmentVertical_ = avTop;
  numGlyphs_ = 9;
  tabStop_ = true;
}

void TRzCustomCheckBox::SetState(TCheckBoxState Value) {
  if (Value == state_) return;
  state_ = Value;
  UpdateDisplay();
  Click();
}

void TRzCustomCheckBox::CycleState() {
  switch (state_) {
    case cbUnchecked: SetState(allowGrayed_ ? cbGrayed : cbChecked); break;
    case cbChecked: SetState(cbUnchecked); break;
    case cbGrayed: SetState(cbChecked); break;
  }
}

void TRzCustomCheckBox::KeyDown(Word& Key, TShiftState Shift) {
  TRzCustomGlyphButton::KeyDown(Key, Shift);
  if (Key == VK_ESCAPE) {
    keyToggle_ = false;
    pressedLook_ = false;
    UpdateDisplay();
  } else if (Key == VK_SPACE) {
    keyToggle_ = true;
    pressedLook_ = true;
    UpdateDisplay();
  }
}

void TRzCustomCheckBox::KeyUp(Word& Key, TShiftState Shift) {
  TRzCustomGlyphButton::KeyUp(Key, Shift);
  if (Key == VK_SPACE) {
    pressedLook_ = false;
    if (keyToggle_) {
      keyToggle_ = false;
      CycleState();
    }
    UpdateDisplay();
  }
}

void TRzCustomCheckBox::DoExit() {
  TRzCustomGlyphButton::DoExit();
  pressedLook_ = false;
  UpdateDisplay();
}

void TRzCustomCheckBox::CMDialogChar(TMessage& Message) {
  if (IsAccel(static_cast<Word>(Message.WParam), Caption()) && CanFocus()) {
    SetFocus();
    if (Focused()) {
      CycleState();
      UpdateDisplay();
    }
    Message.Result = 1;
    return;
  }
  TRzCustomGlyphButton::CMDialogChar(Message);
}

void TRzCustomCheckBox::BuildGlyph(TBitmap* B) {
  Integer s = state_ == cbChecked ? 1 : state_ == cbGrayed ? 2 : 0;
  if (useCustomGlyphs_) {
    CutCell(s + (!Enabled() ? 6 : pressedLook_ ? 3 : 0), B, glyphHeight_, glyphWidth_, customGlyphs_.get());
    return;
  }
  TThemeServices* theme = SharedThemeServices();
  TRect cell = Rect(0, 0, B->Width(), B->Height());
  if (theme->VisualStylesOn()) {
    FillCell(B, Color());
    Integer off = !Enabled() ? 3 : pressedLook_ ? 2 : mouseOver_ ? 1 : 0;
    TThemedElementDetails d = TThemeServices::DetailsFor(static_cast<TThemedButton>(tbCheckBoxUncheckedNormal + s * 4 + off));
    theme->PaintParentBackground(HandleAllocated() ? Handle() : nullptr, B->Canvas()->Handle(), &cell, true, &d);
    theme->PaintElement(B->Canvas()->Handle(), d, cell);
    return;
  }
  static const char* const names[] = {"RZCOMMON_CHECKBOX_UNCHECKED", "RZCOMMON_CHECKBOX_CHECKED",
                                      "RZCOMMON_CHECKBOX_GRAYED"};
  if (hotTrack_ && BuildHotTrackGlyph(B, names[s], false)) return;
  FillCell(B, transparentColor_);
  UINT state = DFCS_BUTTONCHECK | (state_ == cbChecked ? DFCS_CHECKED : 0) |
               (state_ == cbGrayed ? DFCS_CHECKED | DFCS_BUTTON3STATE : 0) | (pressedLook_ ? DFCS_PUSHED : 0) |
               (!Enabled() ? DFCS_INACTIVE : 0);
  ::DrawFrameControl(B->Canvas()->Handle(), cell.AsRECT(), DFC_BUTTON, state);
}
