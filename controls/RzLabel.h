// Styled labels: raised, recessed or shadowed text, rotated by any angle or
// bent along an arc, inside layered borders; condensed captions, a fly-by
// colour and blinking. TRzURLLabel opens its address through the shell.
#pragma once

#include <functional>
#include <string>

#include "controls/RzCommon.h"
#include "platform/StdCtrls.h"

enum TRzCondenseCaption { ccNone, ccAtEnd, ccWithinPath };
enum TCenterPoint {
  cpUpperLeft, cpUpperCenter, cpUpperRight, cpLeftCenter, cpCenter, cpRightCenter, cpLowerLeft, cpLowerCenter,
  cpLowerRight
};
enum TRotation { roNone, roFlat, roCurve };

class TRzLabel : public TLabel, public IRzFrameClient, public TRzFrameControllerLink<TRzLabel> {
 public:
  T_CLASSNAME(TRzLabel)
  explicit TRzLabel(TComponent* AOwner);
  ~TRzLabel() override;

  Integer Angle() const { return angle_; }
  virtual void SetAngle(Integer Value);
  bool Blinking() const { return blinking_; }
  virtual void SetBlinking(bool Value);
  TColor BlinkColor() const { return blinkColor_; }
  virtual void SetBlinkColor(TColor Value);
  // The shared blink list's intervals (every label has the same).
  virtual Word BlinkIntervalOff() const;
  virtual void SetBlinkIntervalOff(Word Value);
  virtual Word BlinkIntervalOn() const;
  virtual void SetBlinkIntervalOn(Word Value);
  Integer BevelWidth() const { return bevelWidth_; }
  virtual void SetBevelWidth(Integer Value);
  TColor BorderColor() const { return borderColor_; }
  virtual void SetBorderColor(TColor Value);
  TFrameStyleEx BorderInner() const { return borderInner_; }
  virtual void SetBorderInner(TFrameStyleEx Value);
  TFrameStyleEx BorderOuter() const { return borderOuter_; }
  virtual void SetBorderOuter(TFrameStyleEx Value);
  TSides BorderSides() const { return borderSides_; }
  virtual void SetBorderSides(TSides Value);
  TColor BorderHighlight() const { return borderHighlight_; }
  virtual void SetBorderHighlight(TColor Value);
  TColor BorderShadow() const { return borderShadow_; }
  virtual void SetBorderShadow(TColor Value);
  Integer BorderWidth() const { return borderWidth_; }
  virtual void SetBorderWidth(Integer Value);
  TRzCondenseCaption CondenseCaption() const { return condenseCaption_; }
  virtual void SetCondenseCaption(TRzCondenseCaption Value);
  TColor FlatColor() const { return flatColor_; }
  virtual void SetFlatColor(TColor Value);
  Integer FlatColorAdjustment() const { return flatColorAdjustment_; }
  virtual void SetFlatColorAdjustment(Integer Value);
  TCenterPoint CenterPoint() const { return centerPoint_; }
  virtual void SetCenterPoint(TCenterPoint Value);
  TColor FlyByColor() const { return flyByColor_; }
  virtual void SetFlyByColor(TColor Value);
  bool FlyByEnabled() const { return flyByEnabled_; }
  virtual void SetFlyByEnabled(bool Value);
  bool LightTextStyle() const { return lightTextStyle_; }
  virtual void SetLightTextStyle(bool Value);
  TRotation Rotation() const { return rotation_; }
  virtual void SetRotation(TRotation Value);
  TTextStyle TextStyle() const { return textStyle_; }
  virtual void SetTextStyle(TTextStyle Value);
  TColor HighlightColor() const { return highlightColor_; }
  virtual void SetHighlightColor(TColor Value);
  TColor ShadowColor() const { return shadowColor_; }
  virtual void SetShadowColor(TColor Value);
  Integer ShadowDepth() const { return shadowDepth_; }
  virtual void SetShadowDepth(Integer Value);
  // The colour the caption is painted in now (the blink colour in the on phase).
  TColor CurrentCaptionColor() const { return currentColor_; }

  void ApplyFrameLook() override;
  virtual void SetBlinkPhase(Byte Phase);
  virtual void GrowForBorders(TRect& Size);
  virtual void ShrinkForBorders(TRect& R, bool WithBorderWidth);

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

 protected:
  void Paint() override;
  void AdjustBounds() override;
  void Dispatch(TMessage& Message) override;
  void DefineProperties(TFiler* Filer) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CMFontChanged(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void CMParentColorChanged(TMessage& Message) override;
  UINT CaptionFlags() const;
  UINT CondenseFlag() const;
  bool Loading() const { return ComponentState().Contains(csLoading); }

 private:
  void PaintStraight(const std::string& Text);
  void PaintArc(const std::string& Text);
  void LayoutOffset(TRect& R, UINT Flags, const std::string& Text);
  void TextAt(const TRect& R, UINT Flags, const std::string& Text, TColor Color);
  void UseVerdanaUnlessTrueType();

  Integer angle_ = 0;
  bool blinking_ = false;
  TColor blinkColor_ = clHighlight;
  Integer bevelWidth_ = 1;
  TFrameStyleEx borderInner_ = fsNone;
  TFrameStyleEx borderOuter_ = fsNone;
  TSides borderSides_ = sdAllSides;
  TColor borderColor_ = clBtnFace;
  TColor borderHighlight_ = clBtnHighlight;
  TColor borderShadow_ = clBtnShadow;
  Integer borderWidth_ = 0;
  TRzCondenseCaption condenseCaption_ = ccNone;
  TColor flatColor_ = clBtnShadow;
  Integer flatColorAdjustment_ = 30;
  TCenterPoint centerPoint_ = cpCenter;
  TColor flyByColor_ = clHighlight;
  bool flyByEnabled_ = false;
  bool lightTextStyle_ = false;
  TRotation rotation_ = roNone;
  TColor highlightColor_ = clBtnHighlight;
  TColor shadowColor_ = clBtnShadow;
  Integer shadowDepth_ = 2;
  TTextStyle textStyle_ = tsNormal;
  TColor normalColor_;
  TColor currentColor_;
  bool shownNormal_ = true;
  TColor savedColor_;
  bool ignoreParentColor_ = false;
};

class TRzURLLabel : public TRzLabel {
 public:
  T_CLASSNAME(TRzURLLabel)
  explicit TRzURLLabel(TComponent* AOwner);

  const std::string& URL() const { return url_; }
  void SetURL(const std::string& Value) { url_ = Value; }
  bool Visited() const { return visited_; }
  virtual void SetVisited(bool Value);
  TColor UnvisitedColor() const { return unvisitedColor_; }
  virtual void SetUnvisitedColor(TColor Value);
  TColor VisitedColor() const { return visitedColor_; }
  virtual void SetVisitedColor(TColor Value);
  void Click() override;

  // The shell's open of a target (true on success) and the system's
  // open-with choice for web pages; replaceable so that tests launch nothing.
  static std::function<bool(const std::string& Target)> ShellOpen;
  static std::function<void(const std::string& CommandLine)> RunCommand;

 protected:
  virtual void UpdateUrlColor();

 private:
  std::string url_;
  bool visited_ = false;
  TColor unvisitedColor_ = clHighlight;
  TColor visitedColor_ = 0x800080;
};

constexpr TCursor crRzHandPoint = 26000;

// Enters the label classes in the class registry (idempotent).
void RegisterRzLabelClasses();
