// Shared pieces of the styled controls: the frame and text enumerations,
// colour arithmetic on hue/saturation/lightness bytes, the border, frame and
// arrow painters (each returns the rectangle left inside what it drew, so
// borders stack), font helpers, and the frame controller with the blink list
// (RzCommon_Frame.cpp).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Classes.h"
#include "platform/Controls.h"
#include "platform/Graphics.h"
#include "platform/System.h"

// ---------------------------------------------------------------------------
// Shared enumerations.
enum TFrameStyleEx {
  fsNone, fsFlat, fsGroove, fsBump, fsLowered, fsButtonDown, fsRaised, fsButtonUp, fsStatus, fsPopup,
  fsFlatBold, fsFlatRounded
};
// fsNone..fsFlatBold; the painters treat fsFlatRounded through PaintLayeredBorders.
using TFrameStyle = TFrameStyleEx;

enum TSide { sdLeft, sdTop, sdRight, sdBottom };
using TSides = TEnumSet<TSide>;
constexpr TSides sdAllSides{sdLeft, sdTop, sdRight, sdBottom};

enum TFramingPreference { fpCustomFraming, fpXPThemes };
enum TTextStyle { tsNormal, tsRaised, tsRecessed, tsShadow };
enum TAlignmentVertical { avTop, avCenter, avBottom };
enum TArrowDirection { adUp, adDown, adLeft, adRight };

// Enters the names of the enumerations above for the property tables (idempotent).
void RegisterRzCommonTypes();
// Enters the frame controller and the settings store in the class registry
// with their published properties (idempotent; their constructors call it too).
void RegisterRzCommonClasses();

// ---------------------------------------------------------------------------
// Colour arithmetic. Hue, saturation and lightness are bytes on a 0..240 scale.
void ColorToHslBytes(TColor Color, Byte& H, Byte& S, Byte& L);
Byte HueOfColor(TColor Color);
TColor ColorFromHslBytes(Byte H, Byte S, Byte L);
TColor ColorDarkenedBy(TColor Color, Byte N);
TColor ColorLightenedBy(TColor Color, Byte N);
// N < 0 darkens, N > 0 lightens, 0 returns the colour as given (even a system colour).
TColor ColorAdjustedBy(TColor Color, Integer N);
// Per channel round(A·w + B·(1 − w)), w = Weight / 255.
TColor MixColors(TColor A, TColor B, Byte Weight);
bool ColorsHardToTell(TColor A, TColor B);
bool ScreenHasFullColor();

// ---------------------------------------------------------------------------
// Rectangles, sides and frames.
TRect RectCenteredIn(const TRect& Outer, Integer Width, Integer Height);
// Lines on the chosen sides (clNone leaves a colour's lines out); the result
// is the bounds moved in by 1 on each chosen side.
TRect PaintSideLines(TCanvas* Canvas, const TRect& Bounds, TColor ULColor, TSides Sides, TColor LRColor);
TRect PaintBevelRings(TCanvas* Canvas, const TRect& Bounds, TColor ULColor, TSides Sides, Integer Count,
                      TColor LRColor);
TRect PaintCtl3DFrame(TCanvas* Canvas, const TRect& Bounds, bool Lowered, TSides Sides);
TRect PaintButtonFrame(TCanvas* Canvas, const TRect& Bounds, bool Down, TSides Sides = sdAllSides);
TRect PaintTintedButtonFrame(TCanvas* Canvas, const TRect& Bounds, TColor FaceColor, TSides Sides, bool Down);
TRect PaintStyledFrame(TCanvas* Canvas, const TRect& Bounds, TFrameStyle Style, TSides Sides = sdAllSides);
TRect PaintTintedStyledFrame(TCanvas* Canvas, const TRect& Bounds, TColor FaceColor, TSides Sides,
                             TFrameStyle Style);
TRect PaintRoundedFlatFrame(TCanvas* Canvas, const TRect& Bounds, TColor Color, TSides Sides);
TRect PaintDottedFocusFrame(TCanvas* Canvas, const TRect& Bounds);
// The layered border of a label or panel: outer style, border band, inner style.
TRect PaintLayeredBorders(TCanvas* Canvas, const TRect& Bounds, TFrameStyleEx OuterStyle, bool Transparent,
                          TColor ParentColor, TColor ControlColor, Integer FlatColorAdjustment, TColor FlatColor,
                          TColor ShadowColor, TColor HighlightColor, TColor BorderColor, Integer BevelWidth,
                          TSides Sides, Integer BorderWidth, TFrameStyleEx InnerStyle);
// The frame of an edit or list view in its non-client area of Width x Height.
void PaintControlFrame(TCanvas* Canvas, Integer Width, Integer Height, TSides Sides, TColor FrameColor,
                       TColor ControlColor, TFrameStyle Style);

// ---------------------------------------------------------------------------
// Glyphs and fonts. ThemedLook is 0 (classic) or 1 (visual styles).
void PaintDropArrow(TCanvas* Canvas, const TRect& R, Integer ThemedLook, bool Down, bool Enabled);
void PaintDirectionArrow(TCanvas* Canvas, const TRect& R, Integer ThemedLook, TArrowDirection Direction,
                         bool Down, bool Enabled);
// A new font handle turned by Angle degrees; the caller deletes it.
HFONT CreateAngledFont(TFont* Font, Integer Angle);
bool FontIsTrueType(TFont* Font);
Integer FontLineHeight(TFont* Font);
// 0 Windows 95, 1 NT 4 or older, 2 Windows 98, 3 Me, 4 2000, 5 XP, 6 Server 2003.
bool RunningWindowsRelease(Integer Release);
// Tells a form designer that the control changed; nothing outside a designer.
void TellDesignerModified(TControl* Control);

// ---------------------------------------------------------------------------
// Frame controller: one component whose frame and colour settings every
// control that names it as its FrameController takes, at registration and
// again whenever a setting changes.

class TRzRegIniFile;
class TReader;
class TTimer;

// A control that copies what it needs from its controller itself.
class IRzFrameClient {
 public:
  virtual ~IRzFrameClient() = default;
  virtual void ApplyFrameLook() = 0;
};

// Codes of ApplyToControl and PushSettings: 0 all, else the one setting.
enum TRzFrameSetting {
  fcAll, fcColor, fcFocusColor, fcDisabledColor, fcParentColor, fcFlatButtonColor, fcFlatButtons, fcFrameColor,
  fcFrameHotColor, fcFrameHotTrack, fcFrameHotStyle, fcFrameSides, fcFrameStyle, fcFrameVisible,
  fcFramingPreference
};

// The frame settings that the framed controls (edit, combo box, list view) and
// the frame controller publish under the same names: the values, their
// readers, and the writers that store a changed value and then call
// FrameSettingChanged (a control repaints, the controller pushes). The
// writers of FrameHotTrack, FrameVisible and FramingPreference differ from
// class to class and stay with each.
class TRzFrameSettings {
 public:
  virtual ~TRzFrameSettings() = default;
  TColor FrameColor() const { return frameColor_; }
  virtual void SetFrameColor(TColor Value) { WriteFrameSetting(frameColor_, Value, fcFrameColor); }
  TColor FrameHotColor() const { return frameHotColor_; }
  virtual void SetFrameHotColor(TColor Value) { WriteFrameSetting(frameHotColor_, Value, fcFrameHotColor); }
  bool FrameHotTrack() const { return frameHotTrack_; }
  TFrameStyle FrameHotStyle() const { return frameHotStyle_; }
  virtual void SetFrameHotStyle(TFrameStyle Value) { WriteFrameSetting(frameHotStyle_, Value, fcFrameHotStyle); }
  TSides FrameSides() const { return frameSides_; }
  virtual void SetFrameSides(TSides Value) { WriteFrameSetting(frameSides_, Value, fcFrameSides); }
  TFrameStyle FrameStyle() const { return frameStyle_; }
  virtual void SetFrameStyle(TFrameStyle Value) { WriteFrameSetting(frameStyle_, Value, fcFrameStyle); }
  bool FrameVisible() const { return frameVisible_; }
  TFramingPreference FramingPreference() const { return framingPreference_; }

 protected:
  virtual void FrameSettingChanged(TRzFrameSetting Which) = 0;
  template <class T>
  void WriteFrameSetting(T& Field, T Value, TRzFrameSetting Which) {
    if (Field == Value) return;
    Field = Value;
    FrameSettingChanged(Which);
  }

  TColor frameColor_ = clBtnShadow;
  TColor frameHotColor_ = clBtnShadow;
  bool frameHotTrack_ = false;
  TFrameStyle frameHotStyle_ = fsFlatBold;
  TSides frameSides_ = sdAllSides;
  TFrameStyle frameStyle_ = fsFlat;
  bool frameVisible_ = false;
  TFramingPreference framingPreference_ = fpXPThemes;
};

class TRzFrameController : public TComponent, public TRzFrameSettings {
 public:
  T_CLASSNAME(TRzFrameController)
  explicit TRzFrameController(TComponent* AOwner);
  ~TRzFrameController() override;
  void Assign(TPersistent* Source) override;

  // Points a control's controller slot at Value: leaves the old controller,
  // joins the new one (which pushes its settings) and hears of its freeing.
  static void Link(TComponent* Control, TRzFrameController*& Slot, TRzFrameController* Value);
  // Adds a control (once) and pushes all settings to it.
  void RegisterControl(TComponent* Control);
  void UnregisterControl(TComponent* Control);
  Integer ControlCount() const { return controls_ ? static_cast<Integer>(controls_->size()) : 0; }
  bool HasControlList() const { return controls_ != nullptr; }
  // Pushes are held while above 0; the last resume pushes everything.
  void HoldUpdates() { ++updates_; }
  void ResumeUpdates();
  void RefreshAll() { PushSettings(fcAll); }
  virtual void ApplyToControl(TComponent* Control, Integer Code);
  virtual void PushSettings(Integer Code);

  TColor Color() const { return color_; }
  virtual void SetColor(TColor Value);
  bool ParentColor() const { return parentColor_; }
  virtual void SetParentColor(bool Value);
  TColor FlatButtonColor() const { return flatButtonColor_; }
  virtual void SetFlatButtonColor(TColor Value);
  bool FlatButtons() const { return flatButtons_; }
  virtual void SetFlatButtons(bool Value);
  TColor DisabledColor() const { return disabledColor_; }
  virtual void SetDisabledColor(TColor Value);
  TColor FocusColor() const { return focusColor_; }
  virtual void SetFocusColor(TColor Value);
  virtual void SetFrameHotTrack(bool Value);
  virtual void SetFrameVisible(bool Value);
  virtual void SetFramingPreference(TFramingPreference Value);
  TRzRegIniFile* RegIniFile() const { return regIniFile_; }
  virtual void SetRegIniFile(TRzRegIniFile* Value);

 protected:
  void DefineProperties(TFiler* Filer) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void FrameSettingChanged(TRzFrameSetting Which) override { PushSettings(Which); }

 private:
  TColor color_ = clWindow;
  bool parentColor_ = false;
  std::unique_ptr<std::vector<TComponent*>> controls_;
  TColor flatButtonColor_ = clBtnFace;
  bool flatButtons_ = true;
  TColor disabledColor_ = clBtnFace;
  TColor focusColor_ = clWindow;
  Integer updates_ = 0;
  TRzRegIniFile* regIniFile_ = nullptr;
};

// The FrameController property of a control (Self): the link through
// TRzFrameController::Link, and forgetting a controller that is freed
// (Self's Notification calls FrameControllerNotification).
template <class Self>
class TRzFrameControllerLink {
 public:
  virtual ~TRzFrameControllerLink() = default;
  TRzFrameController* FrameController() const { return frameController_; }
  virtual void SetFrameController(TRzFrameController* Value) {
    TRzFrameController::Link(static_cast<Self*>(this), frameController_, Value);
  }

 protected:
  void FrameControllerNotification(TComponent* AComponent, TOperation Operation) {
    if (Operation == opRemove && AComponent == frameController_) frameController_ = nullptr;
  }
  // Takes a visible controller frame into layered-border settings (labels and
  // panels draw their frame as layered borders), then repaints.
  void ApplyLayeredFrameLook(TFrameStyle& Outer, TSides& Sides, TColor& Flat, Integer& FlatAdjustment,
                             TColor& Highlight, TColor& Shadow) {
    TRzFrameController* c = frameController_;
    if (!c || !c->FrameVisible()) return;
    Self* self = static_cast<Self*>(this);
    Outer = c->FrameStyle();
    Sides = c->FrameSides();
    Flat = c->FrameColor();
    FlatAdjustment = 0;
    self->SetColor(c->Color());
    self->SetParentColor(c->ParentColor());
    Highlight = ColorLightenedBy(self->Color(), 100);
    Shadow = ColorDarkenedBy(self->Color(), 50);
    self->Invalidate();
  }
  TRzFrameController* frameController_ = nullptr;
};

// Read-and-discard readers for obsolete properties of old form resources.
class TRzOldPropReader {
 public:
  static void SkipBoolean(TReader* Reader);
  static void SkipIdentifier(TReader* Reader);
  static void SkipSet(TReader* Reader);
};

// The process-wide list of controls that may blink, and its phase timer.
constexpr UINT CM_BLINKQUERY = 0xB3E8;  // answer 1 when blinking
constexpr UINT CM_BLINKPHASE = 0xB3E9;  // WParam: the new phase (0 or 1)

class TRzBlinkingControlsList : public TObject {
 public:
  T_CLASSNAME(TRzBlinkingControlsList)
  TRzBlinkingControlsList();
  ~TRzBlinkingControlsList() override;
  void Enlist(TControl* Control);
  void Delist(TControl* Control);
  virtual Integer Size() const { return static_cast<Integer>(controls_.size()); }
  Byte Phase() const { return phase_; }
  Word OffInterval() const { return offInterval_; }
  void SetOffInterval(Word Value) { offInterval_ = Value; }
  Word OnInterval() const { return onInterval_; }
  void SetOnInterval(Word Value) { onInterval_ = Value; }
  TTimer* Timer() const { return timer_.get(); }
  // The timer's handler: switches the phase and tells the blinking controls.
  void BlinkTick(TObject* Sender);

 private:
  Byte phase_ = 1;
  std::vector<TControl*> controls_;
  std::unique_ptr<TTimer> timer_;
  Word offInterval_ = 500;
  Word onInterval_ = 500;
};

// The list, nil until the first label makes it.
TRzBlinkingControlsList* BlinkingControlsList();
TRzBlinkingControlsList* NeedBlinkingControlsList();
void ReleaseBlinkListWhenEmpty();

// A settings store component no form of the program uses: its published
// properties only.
enum TRzPathType { ptIniFile, ptRegistry };
enum TRzRegKey {
  hkeyClassesRoot, hkeyCurrentUser, hkeyLocalMachine, hkeyUsers, hkeyPerformanceData, hkeyCurrentConfig,
  hkeyDynData
};
enum TRzRegAccessKey {
  keyQueryValue, keySetValue, keyCreateSubKey, keyEnumerateSubKeys, keyNotify, keyCreateLink, keyRead, keyWrite,
  keyExecute, keyAllAccess
};
using TRzRegAccess = TEnumSet<TRzRegAccessKey>;

class TRzRegIniFile : public TComponent {
 public:
  T_CLASSNAME(TRzRegIniFile)
  explicit TRzRegIniFile(TComponent* AOwner) : TComponent(AOwner) {}
  const std::string& Path() const { return path_; }
  void SetPath(const std::string& Value);
  TRzPathType PathType() const { return pathType_; }
  void SetPathType(TRzPathType Value);
  TRzRegKey RegKey() const { return regKey_; }
  void SetRegKey(TRzRegKey Value);
  TRzRegAccess RegAccess() const { return regAccess_; }
  void SetRegAccess(TRzRegAccess Value);
  bool RefreshNeeded() const { return refreshNeeded_; }

 private:
  std::string path_;
  TRzPathType pathType_ = ptIniFile;
  TRzRegKey regKey_ = hkeyCurrentUser;
  TRzRegAccess regAccess_{keyAllAccess};
  bool refreshNeeded_ = false;
};
