#include "controls/RzLabel.h"

#include <cmath>
#include <numbers>
#include <shellapi.h>

#include "platform/FormReader.h"
#include "platform/Forms.h"
#include "platform/SysUtils.h"
#include "platform/TypInfo.h"

void RegisterRzLabelClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterRzCommonClasses();
  RegisterEnum<TRzCondenseCaption>("TRzCondenseCaption", {"ccNone", "ccAtEnd", "ccWithinPath"});
  RegisterEnum<TCenterPoint>("TCenterPoint", {"cpUpperLeft", "cpUpperCenter", "cpUpperRight", "cpLeftCenter",
                                              "cpCenter", "cpRightCenter", "cpLowerLeft", "cpLowerCenter",
                                              "cpLowerRight"});
  RegisterEnum<TRotation>("TRotation", {"roNone", "roFlat", "roCurve"});
  using L = TRzLabel;
  RegisterClassInfo<L, TLabel>("TRzLabel")
      .Int("Angle", &L::Angle, &L::SetAngle, 0)
      .Bool("Blinking", &L::Blinking, &L::SetBlinking, false)
      .Color("BlinkColor", &L::BlinkColor, &L::SetBlinkColor, clHighlight)
      .Int("BlinkIntervalOff", &L::BlinkIntervalOff, &L::SetBlinkIntervalOff, 500)
      .Int("BlinkIntervalOn", &L::BlinkIntervalOn, &L::SetBlinkIntervalOn, 500)
      .Int("BevelWidth", &L::BevelWidth, &L::SetBevelWidth, 1)
      .Enum("BorderInner", &L::BorderInner, &L::SetBorderInner, fsNone)
      .Enum("BorderOuter", &L::BorderOuter, &L::SetBorderOuter, fsNone)
      .Set<TSide>("BorderSides", &L::BorderSides, &L::SetBorderSides, sdAllSides)
      .Color("BorderColor", &L::BorderColor, &L::SetBorderColor, clBtnFace)
      .Color("BorderHighlight", &L::BorderHighlight, &L::SetBorderHighlight, clBtnHighlight)
      .Color("BorderShadow", &L::BorderShadow, &L::SetBorderShadow, clBtnShadow)
      .Int("BorderWidth", &L::BorderWidth, &L::SetBorderWidth, 0)
      .Enum("CondenseCaption", &L::CondenseCaption, &L::SetCondenseCaption, ccNone)
      .Color("FlatColor", &L::FlatColor, &L::SetFlatColor, clBtnShadow)
      .Int("FlatColorAdjustment", &L::FlatColorAdjustment, &L::SetFlatColorAdjustment, 30)
      .Ref("FrameController", &L::FrameController, &L::SetFrameController)
      .Enum("CenterPoint", &L::CenterPoint, &L::SetCenterPoint, cpCenter)
      .Color("FlyByColor", &L::FlyByColor, &L::SetFlyByColor, clHighlight)
      .Bool("FlyByEnabled", &L::FlyByEnabled, &L::SetFlyByEnabled, false)
      .Bool("LightTextStyle", &L::LightTextStyle, &L::SetLightTextStyle, false)
      .Enum("Rotation", &L::Rotation, &L::SetRotation, roNone)
      .Color("HighlightColor", &L::HighlightColor, &L::SetHighlightColor, clBtnHighlight)
      .Color("ShadowColor", &L::ShadowColor, &L::SetShadowColor, clBtnShadow)
      .Int("ShadowDepth", &L::ShadowDepth, &L::SetShadowDepth, 2)
      .Enum("TextStyle", &L::TextStyle, &L::SetTextStyle, tsNormal)
      .Color("Color", &TControl::Color, &TControl::SetColor, clBtnFace)
      .Enum("Layout", &TCustomLabel::Layout, &TCustomLabel::SetLayout, tlTop)
      .Event("OnMouseEnter", &L::OnMouseEnter)
      .Event("OnMouseLeave", &L::OnMouseLeave);
  using U = TRzURLLabel;
  RegisterClassInfo<U, L>("TRzURLLabel")
      .Str("URL", &U::URL, &U::SetURL)
      .Bool("Visited", &U::Visited, &U::SetVisited, false)
      .Color("UnvisitedColor", &U::UnvisitedColor, &U::SetUnvisitedColor, clHighlight)
      .Color("VisitedColor", &U::VisitedColor, &U::SetVisitedColor, 0x800080)
      .Enum("TextStyle", &L::TextStyle, &L::SetTextStyle, tsNormal);
}

// ---------------------------------------------------------------------------
TRzLabel::TRzLabel(TComponent* AOwner) : TLabel(AOwner) {
  RegisterRzLabelClasses();
  controlStyle_.Include(csOpaque);
  ignoreParentColor_ = true;
  SetColor(clBtnFace);
  SetParentColor(true);
  ignoreParentColor_ = false;
  normalColor_ = currentColor_ = savedColor_ = Font()->Color();
  NeedBlinkingControlsList()->Enlist(this);
}

TRzLabel::~TRzLabel() {
  if (frameController_) frameController_->UnregisterControl(this);
  if (TRzBlinkingControlsList* list = BlinkingControlsList()) list->Delist(this);
  ReleaseBlinkListWhenEmpty();
}

#define RZ_LABEL_WRITER(Setter, Type, Field) \
  void TRzLabel::Setter(Type Value) {        \
    if (Value == Field) return;              \
    Field = Value;                           \
    Invalidate();                            \
  }

RZ_LABEL_WRITER(SetBlinkColor, TColor, blinkColor_)
RZ_LABEL_WRITER(SetBevelWidth, Integer, bevelWidth_)
RZ_LABEL_WRITER(SetBorderColor, TColor, borderColor_)
RZ_LABEL_WRITER(SetBorderInner, TFrameStyleEx, borderInner_)
RZ_LABEL_WRITER(SetBorderOuter, TFrameStyleEx, borderOuter_)
RZ_LABEL_WRITER(SetBorderSides, TSides, borderSides_)
RZ_LABEL_WRITER(SetBorderHighlight, TColor, borderHighlight_)
RZ_LABEL_WRITER(SetBorderShadow, TColor, borderShadow_)
RZ_LABEL_WRITER(SetBorderWidth, Integer, borderWidth_)
RZ_LABEL_WRITER(SetFlatColor, TColor, flatColor_)
RZ_LABEL_WRITER(SetFlatColorAdjustment, Integer, flatColorAdjustment_)
RZ_LABEL_WRITER(SetCenterPoint, TCenterPoint, centerPoint_)
RZ_LABEL_WRITER(SetFlyByColor, TColor, flyByColor_)
RZ_LABEL_WRITER(SetLightTextStyle, bool, lightTextStyle_)
RZ_LABEL_WRITER(SetTextStyle, TTextStyle, textStyle_)
RZ_LABEL_WRITER(SetHighlightColor, TColor, highlightColor_)
RZ_LABEL_WRITER(SetShadowColor, TColor, shadowColor_)
RZ_LABEL_WRITER(SetShadowDepth, Integer, shadowDepth_)
#undef RZ_LABEL_WRITER

void TRzLabel::UseVerdanaUnlessTrueType() {
  if (!FontIsTrueType(Font())) Font()->SetName("Verdana");
}

void TRzLabel::SetAngle(Integer Value) {
  // Any angle, also below -360, comes to 0..359.
  Integer a = ((Value % 360) + 360) % 360;
  if (a == angle_) return;
  angle_ = a;
  if (!Loading() && angle_ != 0) UseVerdanaUnlessTrueType();
  if (angle_ != 0 && rotation_ == roNone) rotation_ = roFlat;
  AdjustBounds();
  Repaint();
}

void TRzLabel::SetRotation(TRotation Value) {
  if (Value == rotation_) return;
  if (!Loading() && Value != roNone) UseVerdanaUnlessTrueType();
  rotation_ = Value;
  if (Value == roNone) angle_ = 0;
  if (Value == roFlat) {
    angle_ = 0;
    centerPoint_ = cpCenter;
  }
  Invalidate();
}

void TRzLabel::SetCondenseCaption(TRzCondenseCaption Value) {
  if (Value == condenseCaption_) return;
  condenseCaption_ = Value;
  if (Value != ccNone) SetAutoSize(false);
  Invalidate();
}

void TRzLabel::SetBlinking(bool Value) {
  if (Value == blinking_) return;
  blinking_ = Value;
  if (!Value) {
    shownNormal_ = true;
    currentColor_ = normalColor_;
    Repaint();
  }
}

Word TRzLabel::BlinkIntervalOff() const { return NeedBlinkingControlsList()->OffInterval(); }
void TRzLabel::SetBlinkIntervalOff(Word Value) { NeedBlinkingControlsList()->SetOffInterval(Value); }
Word TRzLabel::BlinkIntervalOn() const { return NeedBlinkingControlsList()->OnInterval(); }
void TRzLabel::SetBlinkIntervalOn(Word Value) { NeedBlinkingControlsList()->SetOnInterval(Value); }

void TRzLabel::SetFlyByEnabled(bool Value) {
  if (Value == flyByEnabled_) return;
  flyByEnabled_ = Value;
  if (!Value) Font()->SetColor(savedColor_);
  Invalidate();
}

void TRzLabel::Notification(TComponent* AComponent, TOperation Operation) {
  TLabel::Notification(AComponent, Operation);
  FrameControllerNotification(AComponent, Operation);
}

void TRzLabel::ApplyFrameLook() {
  ApplyLayeredFrameLook(borderOuter_, borderSides_, flatColor_, flatColorAdjustment_, borderHighlight_, borderShadow_);
}

void TRzLabel::SetBlinkPhase(Byte Phase) {
  if (Phase == 1) {
    shownNormal_ = false;
    currentColor_ = blinkColor_;
  } else {
    shownNormal_ = true;
    currentColor_ = normalColor_;
  }
  Refresh();
}

void TRzLabel::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_BLINKQUERY) {
    TLabel::Dispatch(Message);
    Message.Result = blinking_ ? 1 : 0;
    return;
  }
  if (Message.Msg == CM_BLINKPHASE) {
    TLabel::Dispatch(Message);
    if (blinking_) SetBlinkPhase(static_cast<Byte>(Message.WParam & 0xFF));
    return;
  }
  TLabel::Dispatch(Message);
}

void TRzLabel::CMFontChanged(TMessage& Message) {
  TLabel::CMFontChanged(Message);
  if (Loading()) return;
  if (!blinking_) normalColor_ = currentColor_ = Font()->Color();
  if (angle_ != 0 && !FontIsTrueType(Font())) angle_ = 0;
}

void TRzLabel::CMTextChanged(TMessage& Message) {
  TLabel::CMTextChanged(Message);
  Repaint();
}

void TRzLabel::CMMouseEnter(TMessage& Message) {
  TLabel::CMMouseEnter(Message);
  if (flyByEnabled_) {
    savedColor_ = Font()->Color();
    Font()->SetColor(flyByColor_);
  }
  OnMouseEnter(this);
}

void TRzLabel::CMMouseLeave(TMessage& Message) {
  TLabel::CMMouseLeave(Message);
  if (flyByEnabled_) Font()->SetColor(savedColor_);
  OnMouseLeave(this);
}

void TRzLabel::CMParentColorChanged(TMessage& Message) {
  if (ignoreParentColor_) return;
  TLabel::CMParentColorChanged(Message);
}

void TRzLabel::Loaded() {
  TLabel::Loaded();
  if (rotation_ == roNone && angle_ != 0) rotation_ = roFlat;
  if (rotation_ != roNone) UseVerdanaUnlessTrueType();
  normalColor_ = currentColor_ = Font()->Color();
}

void TRzLabel::DefineProperties(TFiler* Filer) {
  TLabel::DefineProperties(Filer);
  Filer->DefineProperty("FrameSides", &TRzOldPropReader::SkipSet, nullptr, false);
}

// ---------------------------------------------------------------------------
// Borders and sizes.

namespace {
Integer BorderAmount(TFrameStyleEx Style, Integer BevelWidth) {
  switch (Style) {
    case fsFlat: return 1;
    case fsStatus:
    case fsPopup: return BevelWidth;
    case fsGroove:
    case fsBump:
    case fsLowered:
    case fsButtonDown:
    case fsRaised:
    case fsButtonUp: return 2;
    default: return 0;  // fsNone, fsFlatBold and fsFlatRounded take no room
  }
}
}  // namespace

void TRzLabel::ShrinkForBorders(TRect& R, bool WithBorderWidth) {
  if (WithBorderWidth) InflateRect(R.AsRECT(), -borderWidth_, -borderWidth_);
  for (TFrameStyleEx s : {borderOuter_, borderInner_}) {
    Integer a = BorderAmount(s, bevelWidth_);
    if (borderSides_.Contains(sdLeft)) R.Left += a;
    if (borderSides_.Contains(sdTop)) R.Top += a;
    if (borderSides_.Contains(sdRight)) R.Right -= a;
    if (borderSides_.Contains(sdBottom)) R.Bottom -= a;
  }
}

void TRzLabel::GrowForBorders(TRect& Size) {
  for (Integer a : {BorderAmount(borderOuter_, bevelWidth_), borderWidth_, BorderAmount(borderInner_, bevelWidth_)}) {
    if (borderSides_.Contains(sdLeft)) Size.Right += a;
    if (borderSides_.Contains(sdRight)) Size.Right += a;
    if (borderSides_.Contains(sdTop)) Size.Bottom += a;
    if (borderSides_.Contains(sdBottom)) Size.Bottom += a;
  }
  if (rotation_ == roNone && textStyle_ == tsShadow) {
    Size.Right += shadowDepth_;
    Size.Bottom += shadowDepth_;
  }
  if (rotation_ == roFlat && angle_ != 0 && angle_ != 180) {
    if (textStyle_ == tsShadow) {
      Size.Right += shadowDepth_ / 2;
      Size.Bottom += shadowDepth_ / 2;
    }
    double a = (angle_ % 90) * std::numbers::pi / 180;
    if (angle_ == 90 || angle_ == 270) a += std::numbers::pi / 2;
    double w = Size.Right, h = Size.Bottom;
    Size.Right = static_cast<Integer>(Round(std::cos(a) * w + std::sin(a) * h));
    Size.Bottom = static_cast<Integer>(Round(std::sin(a) * w + std::cos(a) * h));
  }
}

UINT TRzLabel::CondenseFlag() const {
  switch (condenseCaption_) {
    case ccAtEnd: return DT_END_ELLIPSIS;
    case ccWithinPath: return DT_PATH_ELLIPSIS;
    default: return 0;
  }
}

UINT TRzLabel::CaptionFlags() const {
  UINT f = DT_EXPANDTABS | CondenseFlag();
  switch (const_cast<TRzLabel*>(this)->GetControlsAlignment()) {
    case taRightJustify: f |= DT_RIGHT; break;
    case taCenter: f |= DT_CENTER; break;
    default: f |= DT_LEFT; break;
  }
  if (UseRightToLeftReading()) f |= DT_RIGHT | DT_RTLREADING;
  if (WordWrap()) f |= DT_WORDBREAK;
  if (!ShowAccelChar()) f |= DT_NOPREFIX;
  return f;
}

void TRzLabel::AdjustBounds() {
  if (ComponentState().Contains(csReading) || Loading() || !AutoSize()) return;
  TRect r = ClientRect();
  ShrinkForBorders(r, true);
  OffsetRect(r.AsRECT(), -r.Left, -r.Top);
  std::wstring text = Utf8ToWide(GetLabelText());
  if (text.empty()) text = L" ";
  HDC dc = ::GetDC(nullptr);
  HGDIOBJ old = ::SelectObject(dc, Font()->Handle());
  UINT flags = DT_CALCRECT | DT_EXPANDTABS | (WordWrap() ? DT_WORDBREAK : 0) | CondenseFlag() |
               (ShowAccelChar() ? 0 : DT_NOPREFIX);
  ::DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), r.AsRECT(), flags);
  ::SelectObject(dc, old);
  ::ReleaseDC(nullptr, dc);
  GrowForBorders(r);
  Integer x = Left();
  if (GetControlsAlignment() == taRightJustify) x += Width() - r.Right;
  SetBounds(x, Top(), r.Right, r.Bottom);
}

// ---------------------------------------------------------------------------
// Painting.

void TRzLabel::TextAt(const TRect& R, UINT Flags, const std::string& Text, TColor Color) {
  TCanvas* c = Canvas();
  c->Font()->SetColor(Color);
  TRect r = R;
  CanvasDrawText(c, Text, r, Flags);
}

void TRzLabel::LayoutOffset(TRect& R, UINT Flags, const std::string& Text) {
  if (Layout() != tlTop) {
    TRect m = R;
    CanvasDrawText(Canvas(), Text.empty() ? " " : Text, m, Flags | DT_CALCRECT);
    Integer dy = Height() - borderWidth_ - m.Bottom;
    if (Layout() == tlCenter) dy /= 2;
    OffsetRect(R.AsRECT(), 0, dy);
  }
  if (textStyle_ == tsShadow) {
    if (Flags & DT_RIGHT) OffsetRect(R.AsRECT(), -shadowDepth_, 0);
    if (Layout() == tlBottom) OffsetRect(R.AsRECT(), 0, -shadowDepth_);
  }
}

void TRzLabel::Paint() {
  TCanvas* c = Canvas();
  TColor parentColor = Parent() ? Parent()->Color() : Color();
  TRect inner = PaintLayeredBorders(c, Rect(0, 0, Width(), Height()), borderOuter_, Transparent(), parentColor,
                                    Color(), flatColorAdjustment_, flatColor_, borderShadow_, borderHighlight_,
                                    borderColor_, bevelWidth_, borderSides_, borderWidth_, borderInner_);
  if (!Transparent()) {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(inner);
  }
  c->Brush()->SetStyle(bsClear);
  std::string text = GetLabelText();
  if (rotation_ == roCurve)
    PaintArc(text);
  else
    PaintStraight(text);
}

void TRzLabel::PaintStraight(const std::string& Text) {
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  TRect R = ClientRect();
  ShrinkForBorders(R, true);
  UINT flags = CaptionFlags();
  bool rotated = rotation_ == roFlat;
  Integer d = 0, X = 0, Y = 0;
  HFONT angled = nullptr;
  if (rotated) {
    d = textStyle_ == tsShadow ? shadowDepth_ / 2 : 0;
    Integer pp = c->TextHeight("Pp");
    double q = pp / 4.0;
    Integer w = c->TextWidth(Text);
    Integer e = w + d, h = pp + d;
    double theta = angle_ * std::numbers::pi / 180 + std::numbers::pi / 2;
    X = Width() / 2;
    Y = Height() / 2;
    TAlignment al = GetControlsAlignment();
    UINT ta = TA_BASELINE;
    if (angle_ == 0) {
      ta = TA_TOP;
      if (al == taCenter)
        ta |= TA_CENTER;
      else if (al == taRightJustify)
        X = R.Right - w - 2 * d;
      else
        X = R.Left + d;
      Y -= h / 2;
    } else if (angle_ == 90) {
      X -= static_cast<Integer>(Round(std::cos(theta) * q));
      Y = al == taCenter ? R.Bottom - (R.Bottom - e) / 2 : al == taRightJustify ? R.Top + e + d : R.Bottom - d;
    } else if (angle_ == 180) {
      X = al == taCenter ? R.Right - (R.Right - e) / 2 : al == taRightJustify ? R.Left + e : R.Right - d;
      Y -= h / 4;
    } else if (angle_ == 270) {
      X -= static_cast<Integer>(Round(std::cos(theta) * q));
      Y = al == taCenter ? (R.Bottom - e) / 2 : al == taRightJustify ? R.Bottom - e - d : R.Top + d;
    } else {
      X -= static_cast<Integer>(Round(std::cos(theta) * q));
      Y += static_cast<Integer>(Round(std::sin(theta) * q));
      ta = TA_BASELINE | TA_CENTER;
    }
    angled = CreateAngledFont(Font(), angle_);
    ::SetTextAlign(c->Handle(), ta);
  }
  auto draw = [&](Integer dx, Integer dy, TColor color, bool layout) {
    if (rotated) {
      HDC dc = c->Handle();
      HGDIOBJ old = ::SelectObject(dc, angled);
      ::SetBkMode(dc, TRANSPARENT);
      ::SetTextColor(dc, ColorToRGB(color));
      std::wstring t = Utf8ToWide(Text);
      ::ExtTextOutW(dc, X + dx, Y + dy, ETO_CLIPPED, R.AsRECT(), t.c_str(), static_cast<UINT>(t.size()), nullptr);
      ::SelectObject(dc, old);
    } else {
      TRect r = R;
      if (layout) LayoutOffset(r, flags, Text);
      OffsetRect(r.AsRECT(), dx, dy);
      TextAt(r, flags, Text, color);
    }
  };
  if (Enabled()) {
    if (textStyle_ == tsRaised || textStyle_ == tsRecessed) {
      bool raised = textStyle_ == tsRaised;
      if (!raised || !lightTextStyle_) draw(1, 1, raised ? shadowColor_ : highlightColor_, true);
      if (raised || !lightTextStyle_) draw(-1, -1, raised ? highlightColor_ : shadowColor_, true);
    } else if (textStyle_ == tsShadow) {
      if (rotated)
        draw(d, d, shadowColor_, false);
      else
        draw(shadowDepth_, shadowDepth_, shadowColor_, true);
    }
    if (rotated && textStyle_ == tsShadow)
      draw(-d, -d, currentColor_, false);
    else
      draw(0, 0, currentColor_, true);
  } else {
    draw(1, 1, clBtnHighlight, true);
    draw(0, 0, clBtnShadow, true);
  }
  if (angled) {
    ::SetTextAlign(c->Handle(), TA_TOP | TA_LEFT);
    ::DeleteObject(angled);
  }
}

void TRzLabel::PaintArc(const std::string& Text) {
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  Integer bw = borderWidth_, W = Width(), H = Height();
  Integer col = centerPoint_ % 3, row = centerPoint_ / 3;
  Integer zx = col == 0 ? bw : col == 1 ? W / 2 : W - bw;
  if (centerPoint_ == cpUpperRight) zx = W;
  Integer zy = row == 0 ? bw : row == 1 ? H / 2 : H - bw;
  double rx = col == 1 ? W / 2 - 2 * bw : W - 2 * bw;
  double ry = row == 1 ? H / 2 - 2 * bw : H - 2 * bw;
  if (rx <= 0) rx = 1;
  HDC dc = c->Handle();
  ::SetTextAlign(dc, TA_BASELINE | TA_CENTER);
  ::SetBkMode(dc, TRANSPARENT);
  double theta = angle_ * std::numbers::pi / 180;
  Integer t = c->TextHeight("Yy");
  Integer step = c->TextWidth("w") + 2;
  std::wstring wide = Utf8ToWide(Text);
  for (wchar_t ch : wide) {
    Integer x = zx - static_cast<Integer>(Round(std::sin(theta) * (rx - t)));
    Integer y = zy - static_cast<Integer>(Round(std::cos(theta) * (ry - t)));
    LOGFONTW lf{};
    ::GetObjectW(c->Font()->Handle(), sizeof lf, &lf);
    lf.lfEscapement = static_cast<LONG>(Round(theta * 1800 / std::numbers::pi));
    lf.lfOrientation = lf.lfEscapement;
    HFONT f = ::CreateFontIndirectW(&lf);
    HGDIOBJ old = ::SelectObject(dc, f);
    auto out = [&](Integer dx, Integer dy, TColor color) {
      ::SetTextColor(dc, ColorToRGB(color));
      ::TextOutW(dc, x + dx, y + dy, &ch, 1);
    };
    if (Enabled()) {
      if (textStyle_ == tsRaised || textStyle_ == tsRecessed) {
        bool raised = textStyle_ == tsRaised;
        if (!raised || !lightTextStyle_) out(1, 1, raised ? shadowColor_ : highlightColor_);
        if (raised || !lightTextStyle_) out(-1, -1, raised ? highlightColor_ : shadowColor_);
      } else if (textStyle_ == tsShadow) {
        out(shadowDepth_, shadowDepth_, shadowColor_);
      }
      out(0, 0, currentColor_);
    } else {
      out(1, 1, clBtnHighlight);
      out(0, 0, clBtnShadow);
    }
    ::SelectObject(dc, old);
    ::DeleteObject(f);
    theta -= step / rx;
  }
  ::SetTextAlign(dc, TA_TOP | TA_LEFT);
}

// ---------------------------------------------------------------------------
// Web-address label.

std::function<bool(const std::string&)> TRzURLLabel::ShellOpen = [](const std::string& Target) {
  std::wstring file = Utf8ToWide(Target);
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI;
  info.lpVerb = L"Open";
  info.lpFile = file.c_str();
  info.nShow = SW_SHOWNORMAL;
  bool ok = ::ShellExecuteExW(&info) != FALSE;
  if (info.hProcess) ::CloseHandle(info.hProcess);
  return ok;
};

std::function<void(const std::string&)> TRzURLLabel::RunCommand = [](const std::string& CommandLine) {
  ::WinExec(CommandLine.c_str(), SW_SHOWNORMAL);
};

TRzURLLabel::TRzURLLabel(TComponent* AOwner) : TRzLabel(AOwner) {
  SetTextStyle(tsNormal);
  Font()->SetColor(clHighlight);
  TFontStyles s = Font()->Style();
  s.Include(fsUnderline);
  Font()->SetStyle(s);
  HCURSOR hand = nullptr;
  if (RunningWindowsRelease(0) || RunningWindowsRelease(1))
    hand = ::LoadCursorW(::GetModuleHandleW(nullptr), L"RZCOMMON_HANDCURSOR");
  if (!hand) hand = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND));
  if (Screen) Screen->SetCursors(crRzHandPoint, hand);
  SetCursor(crRzHandPoint);
}

void TRzURLLabel::UpdateUrlColor() { Font()->SetColor(visited_ ? visitedColor_ : unvisitedColor_); }

void TRzURLLabel::SetVisited(bool Value) {
  if (Value == visited_) return;
  visited_ = Value;
  UpdateUrlColor();
  Invalidate();
}

void TRzURLLabel::SetUnvisitedColor(TColor Value) {
  if (Value == unvisitedColor_) return;
  unvisitedColor_ = Value;
  UpdateUrlColor();
  Invalidate();
}

void TRzURLLabel::SetVisitedColor(TColor Value) {
  if (Value == visitedColor_) return;
  visitedColor_ = Value;
  UpdateUrlColor();
  Invalidate();
}

void TRzURLLabel::Click() {
  TRzLabel::Click();
  std::string target = Trim(url_).empty() ? Caption() : url_;
  target = Trim(target);
  if (target.empty()) return;
  if (ShellOpen && ShellOpen(target)) {
    SetVisited(true);
  } else if (UpperCase(ExtractFileExt(target)) == ".HTM") {
    if (RunCommand) RunCommand("RunDLL32.exe Shell32.dll,OpenAs_RunDLL *.htm");
  }
}
