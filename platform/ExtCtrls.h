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

 protected:
  void Paint() override;
  virtual void PictureChanged(TObject* Sender);

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
// A container whose scroll bars follow the extent of its children: scrolling
// moves the children.
class TScrollBox : public TWinControl {
 public:
  T_CLASSNAME(TScrollBox)
  explicit TScrollBox(TComponent* AOwner);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  Integer HorzPosition() const { return pos_.X; }
  Integer VertPosition() const { return pos_.Y; }
  // Scrolls to (X, Y), clamped to the range.
  void ScrollTo(Integer X, Integer Y);
  // The children's extent plus the current position: the range of the bars.
  TPoint ContentSize();
  void UpdateScrollBars();

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void AlignControls(TControl* AControl, TRect& Rect) override;
  void WMHScroll(TMessage& Message) override;
  void WMVScroll(TMessage& Message) override;
  void WMSize(TMessage& Message) override;

 private:
  void Scroll(Integer Bar, Word Code);
  TBorderStyle borderStyle_ = bsSingle;
  TPoint pos_;
  bool updating_ = false;
};
