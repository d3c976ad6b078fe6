// The spin buttons and the spin edit: value rules, stepping by buttons, keys
// and wheel, and the key filter.
#include "controls/RzSpnEdt.h"

#include "controls/RzThemeSrv.h"
#include "platform/Clipbrd.h"
#include "platform/FormReader.h"
#include "platform/SysUtils.h"
#include "platform/TypInfo.h"

// ---------------------------------------------------------------------------
// TRzSpinButtons

TRzSpinButtons::TRzSpinButtons(TComponent* AOwner) : TWinControl(AOwner) {
  controlStyle_.Exclude(csAcceptsControls);
  controlStyle_.Exclude(csSetCaption);
  width_ = 16;
  height_ = 25;
  tabStop_ = false;
  upRight_ = CreateSpinButton();
  downLeft_ = CreateSpinButton();
  upRight_->SetStyle(cbsUp);
  downLeft_->SetStyle(cbsDown);
  AdjustButtonBounds(width_, height_);
}

TRzControlButton* TRzSpinButtons::CreateSpinButton() {
  auto* b = new TRzControlButton(this);
  b->SetParent(this);
  b->OnClick = TNotifyEvent(this, &TRzSpinButtons::ButtonClick);
  b->OnMouseDown = TMouseEvent(this, &TRzSpinButtons::ButtonMouseDown);
  b->SetVisible(true);
  b->SetEnabled(true);
  b->SetRepeatClicks(true);
  b->OnGlyphChange = TNotifyEvent(this, &TRzSpinButtons::GlyphChanged);
  b->SetNumGlyphs(2);
  return b;
}

TRzControlButtonStyle TRzSpinButtons::ArrowOf(TRzControlButton* Button) const {
  if (Button == upRight_) return direction_ == sdUpDown ? cbsUp : cbsRight;
  return direction_ == sdUpDown ? cbsDown : cbsLeft;
}

void TRzSpinButtons::ShowGlyphOrArrow(TRzControlButton* Button) {
  bool custom = !Button->Glyph()->Empty();
  Button->SetStyle(custom ? cbsNone : ArrowOf(Button));
  (Button == upRight_ ? customUpRight_ : customDownLeft_) = custom;
}

void TRzSpinButtons::GlyphChanged(TObject* Sender) {
  if (auto* b = dynamic_cast<TRzControlButton*>(Sender)) ShowGlyphOrArrow(b);
}

void TRzSpinButtons::SetGlyphUpRight(TBitmap* Value) {
  if (Value)
    upRight_->SetGlyph(Value);
  else
    upRight_->SetGlyph(nullptr);
  ShowGlyphOrArrow(upRight_);
}

void TRzSpinButtons::SetGlyphDownLeft(TBitmap* Value) {
  downLeft_->SetGlyph(Value);
  ShowGlyphOrArrow(downLeft_);
}

void TRzSpinButtons::SetDirection(TSpinDirection Value) {
  if (direction_ == Value) return;
  direction_ = Value;
  upRight_->SetGlyph(nullptr);
  downLeft_->SetGlyph(nullptr);
  ShowGlyphOrArrow(upRight_);
  ShowGlyphOrArrow(downLeft_);
  Invalidate();
}

void TRzSpinButtons::SetOrientation(TOrientation Value) {
  if (orientation_ == Value) return;
  orientation_ = Value;
  if (!ComponentState().Contains(csLoading))
    SetWidth(Value == orVertical ? Width() / 2 : Width() * 2);
  AdjustButtonBounds(Width(), Height());
  Invalidate();
}

void TRzSpinButtons::SetFlat(bool Value) {
  if (flat_ == Value) return;
  flat_ = Value;
  upRight_->SetFlat(Value);
  downLeft_->SetFlat(Value);
}

void TRzSpinButtons::SetEnabled(bool Value) {
  if (Value == Enabled()) return;
  TWinControl::SetEnabled(Value);
  upRight_->SetEnabled(Value);
  downLeft_->SetEnabled(Value);
}

void TRzSpinButtons::SetColor(TColor Value) {
  TWinControl::SetColor(Value);
  upRight_->SetColor(Value);
  downLeft_->SetColor(Value);
}

void TRzSpinButtons::SetFocusControl(TWinControl* Value) {
  focusControl_ = Value;
  if (Value) Value->FreeNotification(this);
}

void TRzSpinButtons::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == focusControl_) focusControl_ = nullptr;
}

void TRzSpinButtons::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  AdjustButtonBounds(AWidth, AHeight);
  TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TRzSpinButtons::AdjustButtonBounds(Integer W, Integer H) {
  if (ComponentState().Contains(csLoading) || !upRight_ || !downLeft_) return;
  if (orientation_ == orVertical) {
    Integer h = H / 2;
    upRight_->SetBounds(0, 0, W, h);
    downLeft_->SetBounds(0, h, W, H - h - 1);
  } else {
    Integer w = W / 2;
    upRight_->SetBounds(w, 0, W - w, H - 1);
    downLeft_->SetBounds(0, 0, w, H - 1);
  }
}

void TRzSpinButtons::Loaded() {
  TWinControl::Loaded();
  AdjustButtonBounds(Width(), Height());
}

void TRzSpinButtons::ButtonClick(TObject* Sender) {
  if (Sender == upRight_)
    OnUpRightClick(this);
  else
    OnDownLeftClick(this);
}

void TRzSpinButtons::ButtonMouseDown(TObject*, TMouseButton Button, TShiftState, Integer, Integer) {
  if (Button != mbLeft) return;
  if (focusControl_ && focusControl_->TabStop() && focusControl_->CanFocus() && !focusControl_->Focused()) {
    focusControl_->SetFocus();
    if (focusControl_->Focused()) return;
    throw EAbort("");  // the press is dropped
  }
  if (TabStop() && !Focused() && CanFocus()) {
    SetFocus();
    if (!Focused()) throw EAbort("");
  }
}

void TRzSpinButtons::KeyDown(Word& Key, TShiftState Shift) {
  if (Key == VK_UP)
    upRight_->Click();
  else if (Key == VK_DOWN)
    downLeft_->Click();
  TWinControl::KeyDown(Key, Shift);
}

void TRzSpinButtons::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE: Message.Result = DLGC_WANTARROWS; return;
    case WM_SIZE:
      TWinControl::Dispatch(Message);
      AdjustButtonBounds(Width(), Height());
      return;
    default: TWinControl::Dispatch(Message);
  }
}

// ---------------------------------------------------------------------------
// TRzSpinEdit

TRzSpinEdit::TRzSpinEdit(TComponent* AOwner) : TRzCustomEdit(AOwner) {
  buttons_ = new TRzSpinButtons(this);
  buttons_->SetParent(this);
  buttons_->SetBounds(0, 0, 17, 17);
  buttons_->SetVisible(true);
  buttons_->SetFocusControl(this);
  buttons_->OnUpRightClick = TNotifyEvent(this, &TRzSpinEdit::UpClick);
  buttons_->OnDownLeftClick = TNotifyEvent(this, &TRzSpinEdit::DownClick);
  controlStyle_.Exclude(csSetCaption);
  SetWidth(47);
  alignment_ = taRightJustify;
  SetValue(0);
}

TRzControlButton* TRzSpinEdit::GetSpinButton(TSpinButtonType Button) const {
  return Button == sbUp ? buttons_->UpRightButton() : buttons_->DownLeftButton();
}

Extended TRzSpinEdit::ClampToRange(Extended X) const {
  if (max_ != min_ || checkRange_) {
    if (X < min_) return min_;
    if (X > max_) return max_;
  }
  return X;
}

Extended TRzSpinEdit::Value() {
  std::string text = Text();
  if (text.empty()) {
    if (allowBlank_) return blankValue_;
    SetText(FloatToStr(min_));
    text = Text();
  }
  Extended v = 0;
  if (TryStrToFloat(text, v)) return v;
  // Not a number: outside an edit in progress the control shows the value it reports.
  if (!inControl_) SetValue(min_);
  return min_;
}

void TRzSpinEdit::SetValue(Extended Value) {
  std::string text = FloatToStrF(ClampToRange(Value), ffFixed, 18, decimals_);
  if (text != Text()) SetText(text);
}

Integer TRzSpinEdit::RoundedValue() { return static_cast<Integer>(Round(Value())); }

void TRzSpinEdit::SetRoundedValue(Integer Value) { SetValue(Value); }

void TRzSpinEdit::SetMin(Extended Value) {
  if (Value == min_) return;
  min_ = Value;
  if (min_ > max_) max_ = min_;
  SetValue(this->Value());
  Invalidate();
}

void TRzSpinEdit::SetMax(Extended Value) {
  if (Value == max_) return;
  max_ = Value;
  if (max_ < min_) min_ = max_;
  SetValue(this->Value());
  Invalidate();
}

void TRzSpinEdit::SetDecimals(Byte Value) {
  if (decimals_ == Value) return;
  decimals_ = Value;
  SetValue(this->Value());
}

void TRzSpinEdit::SetIntegersOnly(bool Value) {
  if (integersOnly_ == Value) return;
  integersOnly_ = Value;
  if (Value) {
    SetDecimals(0);
    SetValue(static_cast<Extended>(Round(this->Value())));
  }
}

void TRzSpinEdit::SetCheckRange(bool Value) {
  if (checkRange_ == Value) return;
  checkRange_ = Value;
  SetValue(this->Value());
}

void TRzSpinEdit::SetButtonWidth(Integer Value) {
  if (Value < 0) Value = 0;
  if (buttonWidth_ == Value) return;
  buttonWidth_ = Value;
  buttons_->SetWidth(buttons_->Orientation() == orVertical ? Value : 2 * Value);
  PlaceSpinButtons();
  Invalidate();
}

void TRzSpinEdit::SetDirection(TSpinDirection Value) { buttons_->SetDirection(Value); }

void TRzSpinEdit::SetOrientation(TOrientation Value) {
  buttons_->SetOrientation(Value);
  PlaceSpinButtons();
  Invalidate();
}

void TRzSpinEdit::SetFlatButtons(bool Value) {
  TRzCustomEdit::SetFlatButtons(Value);
  buttons_->SetFlat(Value);
  PlaceSpinButtons();
}

void TRzSpinEdit::SetFrameStyle(TFrameStyle Value) {
  TRzCustomEdit::SetFrameStyle(Value);
  PlaceSpinButtons();
}

void TRzSpinEdit::Step(Extended Delta, TSpinButtonType Button) {
  if (ReadOnly()) {
    ::MessageBeep(0);
    return;
  }
  bool allow = true;
  OnChanging(this, allow);
  if (!allow) return;
  SetValue(Value() + Delta);
  OnButtonClick(this, Button);
}

void TRzSpinEdit::IncreaseBy(Extended X) { Step(X, sbUp); }

void TRzSpinEdit::DecreaseBy(Extended X) { Step(-X, sbDown); }

void TRzSpinEdit::PlaceSpinButtons() {
  if (ComponentState().Contains(csLoading)) return;
  Integer line = FontLineHeight(Font());
  if (Height() < line) {
    SetHeight(line);  // the resize comes back here
    return;
  }
  Integer w = buttons_->Width();
  if (UseRightToLeftAlignment())
    buttons_->SetBounds(0, 0, w, Height() - 3);
  else if (frameVisible_ || Ctl3D()) {
    if (SharedThemeServices()->VisualStylesOn())
      buttons_->SetBounds(Width() - w - 3, -1, w, Height() - 1);
    else
      buttons_->SetBounds(Width() - w - 4, 0, w, Height() - 3);
  } else {
    buttons_->SetBounds(Width() - w - 1, 1, w, Height() - 3);
  }
  UpdateMargins();
}

void TRzSpinEdit::UpdateMargins() {
  if (ComponentState().Contains(csLoading) || !HandleAllocated()) return;
  Integer m = buttons_->Width() + 2;
  LPARAM margins = UseRightToLeftAlignment() ? MAKELONG(m, 0) : MAKELONG(0, m);
  ::SendMessageW(handle_, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, margins);
}

void TRzSpinEdit::GetFrameClientRect(TRect& Rect) {
  Rect = ClientRect();
  Rect.Right -= buttons_->Width() + 2;
}

void TRzSpinEdit::UpdateFrameState(Integer Which, bool Value) {
  TRzCustomEdit::UpdateFrameState(Which, Value);
  if (!flatButtons_) return;
  bool hot = Value || Focused();
  if (SharedThemeServices()->VisualStylesOn()) {
    buttons_->SetFlat(!hot);
    buttons_->SetColor(Color());
  } else {
    buttons_->SetColor(hot ? flatButtonColor_ : Color());
  }
}

void TRzSpinEdit::CreateWnd() {
  TRzCustomEdit::CreateWnd();
  UpdateMargins();
}

void TRzSpinEdit::Loaded() {
  TRzCustomEdit::Loaded();
  PlaceSpinButtons();
}

void TRzSpinEdit::WMSize(TMessage& Message) {
  TRzCustomEdit::WMSize(Message);
  PlaceSpinButtons();
}

void TRzSpinEdit::CMFontChanged(TMessage& Message) {
  TRzCustomEdit::CMFontChanged(Message);
  if (HandleAllocated()) UpdateMargins();
}

void TRzSpinEdit::CMEnabledChanged(TMessage& Message) {
  TRzCustomEdit::CMEnabledChanged(Message);
  UpdateMargins();
  buttons_->SetEnabled(Enabled());
  if (flatButtons_) buttons_->SetColor(Color());
}

void TRzSpinEdit::CMEnter(TMessage& Message) {
  TRzCustomEdit::CMEnter(Message);
  UpdateMargins();
  if (AutoSelect() && !(::GetKeyState(VK_LBUTTON) & 0x8000)) SelectAll();
}

void TRzSpinEdit::CMExit(TMessage& Message) {
  TRzCustomEdit::CMExit(Message);
  UpdateMargins();
  std::string text = Text();
  if (allowBlank_ && text.empty()) return;
  // What was typed is clamped into the range and reformatted; what is no
  // number is refused (the text becomes Min).
  Extended v = 0;
  if (!TryStrToFloat(text, v)) v = min_;
  SetValue(v);
}

void TRzSpinEdit::KeyDown(Word& Key, TShiftState Shift) {
  TRzCustomEdit::KeyDown(Key, Shift);
  if (!allowKeyEdit_ && Key == VK_DELETE) {
    Key = 0;
    ::MessageBeep(0);
  }
  switch (Key) {
    case VK_PRIOR: IncreaseBy(pageSize_); break;
    case VK_NEXT: DecreaseBy(pageSize_); break;
    case VK_UP: IncreaseBy(increment_); break;
    case VK_DOWN: DecreaseBy(increment_); break;
    default: break;
  }
}

void TRzSpinEdit::KeyPress(char& Key) {
  TRzCustomEdit::KeyPress(Key);
  if (Key != 0 && !KeyAllowed(Key)) {
    Key = 0;
    ::MessageBeep(0);
  }
}

bool TRzSpinEdit::KeyAllowed(char Key) {
  const char sep = FormatSettings.DecimalSeparator;
  auto k = static_cast<unsigned char>(Key);
  bool result = Key == '+' || Key == '-' || (Key >= '0' && Key <= '9') || (!integersOnly_ && Key == sep) ||
                (k < 32 && Key != '\r');
  std::string text = Text();
  if (Key == sep && result) {
    bool hasSep = text.find(sep) != std::string::npos;
    if (SelLength() > 0)
      result = !hasSep || SelText().find(sep) != std::string::npos;
    else
      result = !hasSep;
  }
  if (Key == '+' || Key == '-') {
    bool hasSign = text.find_first_of("+-") != std::string::npos;
    bool wholeSelected = !text.empty() && SelLength() == static_cast<Integer>(Utf8ToWide(text).size());
    result = (SelStart() == 0 && !hasSign) || wholeSelected;
  }
  if (!allowKeyEdit_ && (k >= 32 || Key == '\b')) result = false;
  return result;
}

bool TRzSpinEdit::IsNumberInProgress(const std::string& Text) const {
  const char sep = FormatSettings.DecimalSeparator;
  size_t i = 0;
  if (i < Text.size() && (Text[i] == '+' || Text[i] == '-')) ++i;
  bool seenSep = false;
  for (; i < Text.size(); ++i) {
    char c = Text[i];
    if (c >= '0' && c <= '9') continue;
    if (c == sep && !seenSep && !integersOnly_) {
      seenSep = true;
      continue;
    }
    return false;
  }
  return true;
}

bool TRzSpinEdit::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  TRzCustomEdit::DoMouseWheel(Shift, WheelDelta, MousePos);
  Extended step = Shift.Contains(ssCtrl) ? pageSize_ : increment_;
  if (WheelDelta > 0)
    IncreaseBy(step);
  else if (WheelDelta < 0)
    DecreaseBy(step);
  return true;
}

void TRzSpinEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_PASTE: {
      if (!allowKeyEdit_ || ReadOnly()) return;
      // A paste that leaves no number (nor the start of one) is refused.
      std::wstring text = Utf8ToWide(Text());
      Integer start = SelStart(), len = SelLength();
      std::wstring pasted = Utf8ToWide(Clipboard()->AsText());
      if (start >= 0 && start <= static_cast<Integer>(text.size()))
        text.replace(static_cast<size_t>(start), static_cast<size_t>(len), pasted);
      if (!IsNumberInProgress(WideToUtf8(text))) {
        ::MessageBeep(0);
        return;
      }
      TRzCustomEdit::Dispatch(Message);
      return;
    }
    case WM_CUT:
      if (!allowKeyEdit_ || ReadOnly()) return;
      TRzCustomEdit::Dispatch(Message);
      return;
    default: TRzCustomEdit::Dispatch(Message);
  }
}

// Published properties -----------------------------------------------------

void RegisterRzSpinEditClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterRzEditClasses();
  RegisterRzButtonClasses();
  RegisterEnum<TSpinDirection>("TSpinDirection", {"sdUpDown", "sdLeftRight"});
  RegisterEnum<TOrientation>("TOrientation", {"orHorizontal", "orVertical"});

  using B = TRzSpinButtons;
  RegisterClassInfo<B, TWinControl>("TRzSpinButtons")
      .Color("Color", &B::Color, &B::SetColor, clBtnFace)
      .Stored([](B* b) { return !b->ParentColor(); })
      .Enum("Direction", &B::Direction, &B::SetDirection, sdUpDown)
      .Bool("Flat", &B::Flat, &B::SetFlat, false)
      .Ref("FocusControl", &B::FocusControl, &B::SetFocusControl)
      .Object("GlyphUpRight", &B::GlyphUpRight, &B::SetGlyphUpRight)
      .Stored([](B* b) { return b->CustomGlyphUpRight(); })
      .Object("GlyphDownLeft", &B::GlyphDownLeft, &B::SetGlyphDownLeft)
      .Stored([](B* b) { return b->CustomGlyphDownLeft(); })
      .Int("NumGlyphsUpRight", &B::NumGlyphsUpRight, &B::SetNumGlyphsUpRight, 2)
      .Int("NumGlyphsDownLeft", &B::NumGlyphsDownLeft, &B::SetNumGlyphsDownLeft, 2)
      .Enum("Orientation", &B::Orientation, &B::SetOrientation, orVertical)
      .Event("OnUpRightClick", &B::OnUpRightClick)
      .Event("OnDownLeftClick", &B::OnDownLeftClick);

  using S = TRzSpinEdit;
  auto upCustom = [](S* s) { return s->SpinButtons()->CustomGlyphUpRight(); };
  auto downCustom = [](S* s) { return s->SpinButtons()->CustomGlyphDownLeft(); };
  RegisterClassInfo<S, TRzCustomEdit>("TRzSpinEdit")
      // The value stands for the text.
      .Str("Text", &TControl::Text, &TControl::SetText)
      .Stored([](S*) { return false; })
      .Bool("AllowBlank", &S::AllowBlank, &S::SetAllowBlank, false)
      .Bool("AllowKeyEdit", &S::AllowKeyEdit, &S::SetAllowKeyEdit, false)
      .Float("BlankValue", &S::BlankValue, &S::SetBlankValue)
      .Stored([](S*) { return true; })
      .Object("ButtonDownGlyph", &S::ButtonDownGlyph, &S::SetButtonDownGlyph)
      .Stored(downCustom)
      .Int("ButtonDownNumGlyphs", &S::ButtonDownNumGlyphs, &S::SetButtonDownNumGlyphs)
      .Stored(downCustom)
      .Object("ButtonUpGlyph", &S::ButtonUpGlyph, &S::SetButtonUpGlyph)
      .Stored(upCustom)
      .Int("ButtonUpNumGlyphs", &S::ButtonUpNumGlyphs, &S::SetButtonUpNumGlyphs)
      .Stored(upCustom)
      .Int("ButtonWidth", &S::ButtonWidth, &S::SetButtonWidth, 17)
      .Bool("CheckRange", &S::CheckRange, &S::SetCheckRange, false)
      .Int("Decimals", &S::Decimals, &S::SetDecimals, 0)
      .Enum("Direction", &S::Direction, &S::SetDirection, sdUpDown)
      .Float("Increment", &S::Increment, &S::SetIncrement, 1.0L)
      .Bool("IntegersOnly", &S::IntegersOnly, &S::SetIntegersOnly, true)
      .Float("Max", &S::Max, &S::SetMax, 100.0L)
      .Float("Min", &S::Min, &S::SetMin, 0.0L)
      .Enum("Orientation", &S::Orientation, &S::SetOrientation, orVertical)
      .Float("PageSize", &S::PageSize, &S::SetPageSize, 10.0L)
      .Float("Value", &S::Value, &S::SetValue)
      .Stored([](S*) { return true; })
      .Event("OnChanging", &S::OnChanging)
      .Event("OnButtonClick", &S::OnButtonClick)
      .Define([](S*, TFiler* filer) {
        filer->DefineProperty(
            "FlatButtonParentColor", [](TReader* r) { r->ReadBoolean(); }, nullptr, false);
      });
}
