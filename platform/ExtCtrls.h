// Panels, bevels, images, shapes, paint boxes and the scroll box.
#pragma once

#include <memory>

#include "platform/Controls.h"
#include "platform/StdCtrls.h"

enum TPanelBevel { bvNone, bvLowered, bvRaised, bvSpace };
enum TBevelStyle { bsLowered, bsRaised };
enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TShapeType { stRectangle, stSquare, stRoundRect, stRoundSquare, stEllipse, stCircle };
using TBevelWidth = Integer;

// Draws a raised or lowered 3D frame of Width pixels inside Rect and shrinks Rect by it.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, Integer Width);

// ---------------------------------------------------------------------------
class TCustomPanel : public TCustomControl {
 public:
  T_CLASSNAME(TCustomPanel)
  explicit TCustomPanel(TComponent* AOwner);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  TPanelBevel BevelInner() const { return bevelInner_; }
  void SetBevelInner(TPanelBevel Value);
  TPanelBevel BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TPanelBevel Value);
  TBevelWidth BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(TBevelWidth Value);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  bool FullRepaint() const { return fullRepaint_; }
  void SetFullRepaint(bool Value) { fullRepaint_ = Value; }
  // Kept for form files; an in-place container would keep the panel then.
  bool Locked() const { return locked_; }
  void SetLocked(bool Value) { locked_ = Value; }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void AdjustClientRect(TRect& Rect) override;
  void CMTextChanged(TMessage& Message) override;

  TAlignment alignment_ = taCenter;
  TPanelBevel bevelInner_ = bvNone;
  TPanelBevel bevelOuter_ = bvRaised;
  TBevelWidth bevelWidth_ = 1;
  TBorderStyle borderStyle_ = bsNone;
  bool fullRepaint_ = true;
  bool locked_ = false;
};

class TPanel : public TCustomPanel {
 public:
  T_CLASSNAME(TPanel)
  using TCustomPanel::TCustomPanel;
};

// ---------------------------------------------------------------------------
class TBevel : public TGraphicControl {
 public:
  T_CLASSNAME(TBevel)
  explicit TBevel(TComponent* AOwner);
  TBevelShape Shape() const { return shape_; }
  void SetShape(TBevelShape Value);
  TBevelStyle Style() const { return style_; }
  void SetStyle(TBevelStyle Value);

 protected:
  void Paint() override;

 private:
  TBevelShape shape_ = bsBox;
  TBevelStyle style_ = bsLowered;
};

// ---------------------------------------------------------------------------
// Shows a picture. A change of the picture (also from another thread, such as
// an animation's painter) invalidates the image's area of its parent.
class TImage : public TGraphicControl {
 public:
  T_CLASSNAME(TImage)
  explicit TImage(TComponent* AOwner);
  ~TImage() override;
  TPicture* Picture() const { return picture_.get(); }
  void SetPicture(TPicture* Value) { picture_->Assign(Value); }
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool Value);
  bool Center() const { return center_; }
  void SetCenter(bool Value);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool Value);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool Value);
  bool IncrementalDisplay() const { return incrementalDisplay_; }
  void SetIncrementalDisplay(bool Value) { incrementalDisplay_ = Value; }
  // The canvas of the picture's bitmap (the picture becomes a bitmap).
  TCanvas* Canvas();
  // Where the picture is drawn, in client coordinates.
  TRect DestRect();

  // The picture's graphic reports its progress (loading, rendering) here. It may
  // come from another thread when the graphic works in one.
  TProgressEvent OnProgress;

 protected:
  void Paint() override;
  virtual void PictureChanged(TObject* Sender);
  virtual void Progress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow, const TRect& R,
                        const std::string& Msg);

 private:
  std::unique_ptr<TPicture> picture_;
  bool autoSize_ = false;
  bool center_ = false;
  bool stretch_ = false;
  bool transparent_ = false;
  bool incrementalDisplay_ = false;
};

// ---------------------------------------------------------------------------
class TShape : public TGraphicControl {
 public:
  T_CLASSNAME(TShape)
  explicit TShape(TComponent* AOwner);
  ~TShape() override;
  TBrush* Brush() const { return brush_.get(); }
  void SetBrush(TBrush* Value) { brush_->Assign(Value); }
  TPen* Pen() const { return pen_.get(); }
  void SetPen(TPen* Value) { pen_->Assign(Value); }
  TShapeType Shape() const { return shape_; }
  void SetShape(TShapeType Value);

 protected:
  void Paint() override;
  void StyleChanged(TObject* Sender);

 private:
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TBrush> brush_;
  TShapeType shape_ = stRectangle;
};

// ---------------------------------------------------------------------------
class TPaintBox : public TGraphicControl {
 public:
  T_CLASSNAME(TPaintBox)
  explicit TPaintBox(TComponent* AOwner);
  TNotifyEvent OnPaint;
  using TGraphicControl::Canvas;

 protected:
  void Paint() override;
};

// ---------------------------------------------------------------------------
// Scrolling containers (ExtCtrls_ScrollBox.cpp).
enum TScrollBarKind { sbHorizontal, sbVertical };
using TScrollBarInc = Integer;  // 1..32767

class TScrollingWinControl;

// One scroll bar of a scrolling container. Range is the extent of the content
// (with AutoScroll: the children's extent plus Margin); Position how far the
// content is scrolled, from 0 to Range less the client size. Changing Position
// moves the children.
class TControlScrollBar : public TPersistent {
  friend class TScrollingWinControl;

 public:
  T_CLASSNAME(TControlScrollBar)
  TControlScrollBar(TScrollingWinControl* Control, TScrollBarKind Kind) : control_(Control), kind_(Kind) {}
  void Assign(TPersistent* Source) override;
  TScrollingWinControl* Control() const { return control_; }
  TScrollBarKind Kind() const { return kind_; }
  TScrollBarInc Increment() const { return increment_; }
  void SetIncrement(TScrollBarInc Value);
  // Room kept beyond the farthest child when the range is automatic.
  Integer Margin() const { return margin_; }
  void SetMargin(Integer Value);
  Integer Position() const { return position_; }
  void SetPosition(Integer Value);
  Integer Range() const { return range_; }
  // Setting the range by code ends the automatic range (AutoScroll off).
  void SetRange(Integer Value);
  // The thumb scrolls the content while dragged (not only when dropped).
  bool Tracking() const { return tracking_; }
  void SetTracking(bool Value) { tracking_ = Value; }
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  // Whether the bar shows now (the content is larger than the client area).
  bool IsScrollBarVisible() const;
  // The client extent in the bar's direction, as it would be with or without
  // the other bar (ControlSB: as it is now).
  Integer ControlSize(bool ControlSB, bool AssumeSB) const;
  // Scrolls so that Position moves by Delta.
  void ScrollBy(Integer Delta) { SetPosition(position_ + Delta); }

 private:
  void DoSetRange(Integer Value);
  bool NeedsScrollBarVisible() const { return range_ > ControlSize(false, false); }
  void Update(bool ControlSB, bool AssumeSB);
  void ScrollMessage(TMessage& Message);
  TScrollingWinControl* control_;
  TScrollBarKind kind_;
  TScrollBarInc increment_ = 8;
  Integer margin_ = 0;
  Integer position_ = 0;
  Integer range_ = 0;
  Integer calcRange_ = 0;  // the largest position: Range less the client size
  bool tracking_ = false;
  bool visible_ = true;
};

// A windowed control whose content scrolls: its children are placed at their
// unscrolled positions less the scroll positions.
class TScrollingWinControl : public TWinControl {
  friend class TControlScrollBar;

 public:
  T_CLASSNAME(TScrollingWinControl)
  explicit TScrollingWinControl(TComponent* AOwner);
  ~TScrollingWinControl() override;
  TControlScrollBar* HorzScrollBar() const { return horzScrollBar_.get(); }
  void SetHorzScrollBar(TControlScrollBar* Value) { horzScrollBar_->Assign(Value); }
  TControlScrollBar* VertScrollBar() const { return vertScrollBar_.get(); }
  void SetVertScrollBar(TControlScrollBar* Value) { vertScrollBar_->Assign(Value); }
  // The ranges follow the children (and their margins).
  bool AutoScroll() const { return autoScroll_; }
  void SetAutoScroll(bool Value);
  // Moves every child by (DeltaX, DeltaY).
  void ScrollBy(Integer DeltaX, Integer DeltaY);
  void UpdateScrollBars();
  // Both positions at once, each clamped to its bar's range.
  void ScrollTo(Integer X, Integer Y) {
    horzScrollBar_->SetPosition(X);
    vertScrollBar_->SetPosition(Y);
  }
  Integer HorzPosition() const { return horzScrollBar_->Position(); }
  Integer VertPosition() const { return vertScrollBar_->Position(); }

 protected:
  void CreateWnd() override;
  void AdjustClientRect(TRect& Rect) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void WMHScroll(TMessage& Message) override;
  void WMVScroll(TMessage& Message) override;
  void WMSize(TMessage& Message) override;
  void CMControlListChange(TMessage& Message) override;
  virtual void CalcAutoRange();

 private:
  std::unique_ptr<TControlScrollBar> horzScrollBar_;
  std::unique_ptr<TControlScrollBar> vertScrollBar_;
  bool autoScroll_ = true;
  bool updatingScrollBars_ = false;
  Integer autoRangeCount_ = 0;
};

class TScrollBox : public TScrollingWinControl {
 public:
  T_CLASSNAME(TScrollBox)
  explicit TScrollBox(TComponent* AOwner);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);

 protected:
  void CreateParams(TCreateParams& Params) override;

 private:
  TBorderStyle borderStyle_ = bsSingle;
};
