// Framed panels: outer and inner borders in any frame style on chosen sides,
// a grid, an aligned caption, transparency, the look of a frame controller,
// children's enabled states kept while disabled, and a dock manager with
// caption bars. The group box is a panel drawn in four group styles.
#pragma once

#include <utility>
#include <vector>

#include "controls/RzCommon.h"
#include "platform/DockTree.h"
#include "platform/ExtCtrls.h"

enum TRzGridStyle { gsDots, gsDottedLines, gsSolidLines };
enum TRzGroupBoxStyle { gsStandard, gsCustom, gsTopLine, gsFlat };

class TRzCustomPanel : public TCustomPanel, public IRzFrameClient, public TRzFrameControllerLink<TRzCustomPanel> {
 public:
  T_CLASSNAME(TRzCustomPanel)
  explicit TRzCustomPanel(TComponent* AOwner);
  ~TRzCustomPanel() override;

  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

  TAlignmentVertical AlignmentVertical() const { return alignmentVertical_; }
  virtual void SetAlignmentVertical(TAlignmentVertical Value);
  TFrameStyleEx BorderInner() const { return borderInner_; }
  virtual void SetBorderInner(TFrameStyleEx Value);
  TFrameStyleEx BorderOuter() const { return borderOuter_; }
  virtual void SetBorderOuter(TFrameStyleEx Value);
  TSides BorderSides() const { return borderSides_; }
  virtual void SetBorderSides(TSides Value);
  TColor BorderColor() const { return borderColor_; }
  virtual void SetBorderColor(TColor Value);
  TColor BorderHighlight() const { return borderHighlight_; }
  virtual void SetBorderHighlight(TColor Value);
  TColor BorderShadow() const { return borderShadow_; }
  virtual void SetBorderShadow(TColor Value);
  TColor FlatColor() const { return flatColor_; }
  virtual void SetFlatColor(TColor Value);
  Integer FlatColorAdjustment() const { return flatColorAdjustment_; }
  virtual void SetFlatColorAdjustment(Integer Value);
  TColor GridColor() const { return gridColor_; }
  virtual void SetGridColor(TColor Value);
  TRzGridStyle GridStyle() const { return gridStyle_; }
  virtual void SetGridStyle(TRzGridStyle Value);
  Word GridXSize() const { return gridXSize_; }
  virtual void SetGridXSize(Word Value);
  Word GridYSize() const { return gridYSize_; }
  virtual void SetGridYSize(Word Value);
  bool ShowGrid() const { return showGrid_; }
  virtual void SetShowGrid(bool Value);
  bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool Value);
  bool ShowDockClientCaptions() const { return showDockClientCaptions_; }
  void SetShowDockClientCaptions(bool Value);
  bool ThemeAware() const { return themeAware_; }
  virtual void SetThemeAware(bool Value);
  // The platform's bevel width, used by fsStatus and fsPopup borders.
  Integer BevelWidth() const { return TCustomPanel::BevelWidth(); }

  void ApplyFrameLook() override;
  // Shrinks Rect by the borders on the chosen sides (and first by BorderWidth when asked).
  virtual void ShrinkByBorders(TRect& Rect, bool WithBorderWidth);
  virtual TRect GetFullRect() { return Rect(0, 0, Width(), Height()); }
  virtual TPoint GetCursorClientPos();

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnPaint;

 protected:
  void Paint() override;
  virtual void DrawCaption(TRect R);
  virtual void DrawGrid(const TRect& R);
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void AdjustClientRect(TRect& Rect) override;
  std::unique_ptr<IDockManager> CreateDockManager() override;
  void DefineProperties(TFiler* Filer) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void WMEraseBkgnd(TMessage& Message) override;
  void WMWindowPosChanged(TMessage& Message) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  UINT AlignmentFlag() const;
  void BordersChanged();

  TAlignmentVertical alignmentVertical_ = avCenter;
  TFrameStyleEx borderInner_ = fsNone;
  TFrameStyleEx borderOuter_ = fsRaised;
  TSides borderSides_ = sdAllSides;
  TColor borderColor_ = clBtnFace;
  TColor borderHighlight_ = clBtnHighlight;
  TColor borderShadow_ = clBtnShadow;
  TColor flatColor_ = clBtnShadow;
  Integer flatColorAdjustment_ = 30;
  TColor gridColor_ = clBtnShadow;
  TRzGridStyle gridStyle_ = gsDots;
  Word gridXSize_ = 8;
  Word gridYSize_ = 8;
  bool showGrid_ = false;
  bool transparent_ = false;
  bool showDockClientCaptions_ = true;
  // Enabled state of each child when the panel was last disabled.
  std::vector<std::pair<TControl*, bool>> savedChildStates_;
  bool themeAware_ = true;
};

class TRzPanel : public TRzCustomPanel {
 public:
  T_CLASSNAME(TRzPanel)
  explicit TRzPanel(TComponent* AOwner) : TRzCustomPanel(AOwner) {}
};

class TRzCustomGroupBox : public TRzCustomPanel {
 public:
  T_CLASSNAME(TRzCustomGroupBox)
  explicit TRzCustomGroupBox(TComponent* AOwner);
  TRzGroupBoxStyle GroupStyle() const { return groupStyle_; }
  virtual void SetGroupStyle(TRzGroupBoxStyle Value);
  void ApplyFrameLook() override;
  // The caption's rectangle (empty for gsCustom or no caption).
  TRect CaptionRect();

 protected:
  void Paint() override;
  void AdjustClientRect(TRect& Rect) override;
  void CMDialogChar(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;

 private:
  TRzGroupBoxStyle groupStyle_ = gsFlat;
};

class TRzGroupBox : public TRzCustomGroupBox {
 public:
  T_CLASSNAME(TRzGroupBox)
  explicit TRzGroupBox(TComponent* AOwner) : TRzCustomGroupBox(AOwner) {}
};

// The panel's dock manager: caption bars 14 pixels wide with a close glyph.
class TRzPanelDockManager : public TDockTree {
 public:
  T_CLASSNAME(TRzPanelDockManager)
  explicit TRzPanelDockManager(TRzCustomPanel* Panel);
  ~TRzPanelDockManager() override;

 protected:
  void AdjustDockRect(TControl* Control, TRect& ARect) override;
  void PaintDockFrame(TCanvas* Canvas, TControl* Control, const TRect& ARect) override;
  TRect CloseButtonRect(const TRect& FrameRect) override;
  void WndProc(TMessage& Message) override;

 private:
  TRzCustomPanel* panel_;
  std::unique_ptr<TFont> captionFont_;
  std::unique_ptr<TFont> closeFont_;
};

// Enters the panel and group box classes in the class registry (idempotent).
void RegisterRzPanelClasses();
