// The selection of the single-image view: a polygon (what the user draws,
// what the outline and grips follow) and a 1-bit mask (what processing
// uses) kept side by side, the operations that build, resize and move them,
// their hit tests, their stored form and the painting of outline and grips.
// Coordinates are image pixels unless a name says client; the view maps
// client positions before calling and paints through IIESelectionMapping.
#pragma once

#include <memory>
#include <vector>

#include "imaging/buffer/hyieutils.h"
#include "platform/Graphics.h"

class TStream;
class TMemoryStream;

// The point that separates sub-polygons.
constexpr Integer IESelSeparator = 0xFFFFF;

enum TIESelectionOption {
  iesoAnimated,
  iesoSizeable,
  iesoMoveable,
  iesoFilled,
  iesoCutBorders,
  iesoMarkOuter,
  iesoCanScroll
};
using TIESelectionOptions = TEnumSet<TIESelectionOption>;
enum TIESelectionBase { iesbClientArea, iesbBitmap };

inline constexpr TIESelectionOptions IEDefaultSelectionOptions{iesoAnimated, iesoSizeable, iesoMoveable,
                                                                iesoCanScroll};

struct TIESelectionPolygon {
  std::vector<TPoint> Points;  // capacity grows by count + 64
  TColor ColorA = clBlack;
  TColor ColorB = clWhite;
  bool Animated = true;
  Integer Phase = 0;        // marching phase 0..9
  Integer DashCounter = 0;  // position in the dash pattern while a line is drawn
  TCanvas* Canvas = nullptr;
  Integer Left = 0, Top = 0, Right = 0, Bottom = 0;  // right and bottom exclusive for rectangles
  bool Visible = true;
  bool Sizeable = true;

  Integer Count() const { return static_cast<Integer>(Points.size()); }
  bool Empty() const { return Points.empty(); }
  void Append(TPoint P);
};

// Client-to-image mapping and back, as the view computes it.
class IIESelectionMapping {
 public:
  virtual ~IIESelectionMapping() = default;
  virtual Integer ClientToBitmapX(Integer X) = 0;
  virtual Integer ClientToBitmapY(Integer Y) = 0;
  virtual Integer BitmapToClientX(Integer X) = 0;
  virtual Integer BitmapToClientY(Integer Y) = 0;
};

// Flags of the mouse gestures; the selection reads them to know whether one
// is in progress.
struct TIEGestureState {
  bool Polygon = false;  // drawing a polygon (or lasso)
  bool Lasso = false;
  bool RectDrag = false;
  bool EllipseDrag = false;
  bool AutoScroll = false;
  Integer Grip = -1;  // grip being dragged
  Integer Move = -1;  // selection being moved
  bool InProgress() const { return Polygon || Lasso || RectDrag || EllipseDrag || Grip >= 0 || Move >= 0 || AutoScroll; }
  void Reset() { *this = TIEGestureState{}; }
};

// What the outline painter needs of the view at one call.
struct TIESelectionPaint {
  TCanvas* Canvas = nullptr;
  IIESelectionMapping* Map = nullptr;
  bool FromTimer = false;
  bool UpdateLocked = false;     // the view's update lock is held
  bool Scrolled = false;         // the view's scrolled counter is above 0
  // The shown part of the image and where it lies (for the mask outline).
  Integer SrcX = 0, SrcY = 0, SrcW = 0, SrcH = 0;
  Integer DstX = 0, DstY = 0, DispW = 0, DispH = 0;
};

class TIESelection {
 public:
  TIESelection();
  ~TIESelection();

  // Image size; the mask is re-allocated (empty) when it changes.
  void SetImageSize(Integer Width, Integer Height);
  Integer ImageWidth() const { return width_; }
  Integer ImageHeight() const { return height_; }

  TIESelectionOptions Options() const { return options_; }
  void SetOptions(TIESelectionOptions Value);
  TIESelectionBase Base() const { return base_; }
  void SetBase(TIESelectionBase Value) { base_ = Value; }

  TIESelectionPolygon& Polygon() { return *polygons_[current_]; }
  const TIESelectionPolygon& Polygon() const { return *polygons_[current_]; }
  TIEMask* Mask() { return &mask_; }
  TPoint* Points() { return Polygon().Points.data(); }
  Integer PointCount() const { return Polygon().Count(); }

  bool Exists() const { return exists_; }
  void SetExists(bool V) { exists_ = V; }
  bool RectMove() const { return rectMove_; }
  void SetRectMove(bool V) { rectMove_ = V; }
  bool Visible() const { return Polygon().Visible; }
  void SetVisible(bool V) { Polygon().Visible = V; }

  TColor ColorA() const { return colorA_; }
  TColor ColorB() const { return colorB_; }
  void SetColorA(TColor V);
  void SetColorB(TColor V);

  TColor GripPenColor = clBlack;
  TColor GripBrushColor = clWhite;
  TBrushStyle GripBrushStyle = bsSolid;
  Integer GripSize = 5;  // half-size
  bool EdgeGrips = true;
  Integer WandMode = 0;
  Integer WandTolerance = 15;
  bool WandDilate = false;
  bool HideOutlineWhileScrolling = true;
  Integer OutlinePhase = 0;
  TRect GripStartBox{};
  TIEGestureState Gesture;

  // Polygon primitives.
  void AddPolygonPoint(Integer X, Integer Y);
  void AddPolygonSeparator();
  void StartNewPolygon();
  void ClearPolygon();
  // Cuts at the last separator; true when something is left.
  bool RemoveLastPolygon();
  void DropTrailingPoint();
  // Drops the points after the first Count.
  void TruncatePolygon(Integer Count);
  void MovePolygon(Integer DX, Integer DY, bool Cut);
  static bool IsRectanglePolygon(const TPoint* Points, Integer Count);
  bool IsRectangle() const { return IsRectanglePolygon(Polygon().Points.data(), Polygon().Count()); }

  // Builders. Rect: image corners (inclusive); false when it has no width or height.
  bool BuildRect(Integer X1, Integer Y1, Integer X2, Integer Y2, bool Add, bool Square);
  // Appends a point, clamped to 0..width, 0..height when Clamp.
  void AddPoint(Integer X, Integer Y, bool Clamp);
  // Centre and radii in image pixels; with Add the points replace what the
  // polygon gained after its first KeepCount points, as a new sub-polygon.
  void BuildEllipse(Integer CX, Integer CY, Integer RX, Integer RY, bool Add, Integer KeepCount);
  // Grip drag to image position (C, D); returns the grip to use from now on.
  Integer ResizeByGrip(Integer Grip, Integer C, Integer D, bool KeepAspect);
  void MoveSelection(Integer DX, Integer DY);
  // Fills the mask from the polygon; an empty result removes the selection.
  void PolygonToMask();
  // Magic wand at an image position of Bitmap (the shown 24-bit picture).
  void MagicWand(TIEBitmap* Bitmap, Integer X, Integer Y, bool Add);
  // Empties polygon and mask and ends every gesture (the caller hides and repaints).
  void Clear();

  // The selection box: the polygon's during a gesture, else the mask's.
  Integer SelectionLeft() const;
  Integer SelectionTop() const;
  Integer SelectionRight() const;
  Integer SelectionBottom() const;

  // Hit tests at a client position (grips) or an image position (selection).
  Integer HitGrip(Integer X, Integer Y, bool Shift, IIESelectionMapping& Map);
  Integer HitSelection(Integer X, Integer Y, bool Shift);

  // Stored form (little-endian, no header).
  void WriteState(TStream* Stream);
  // False, with nothing changed, for another image size or a short or
  // malformed stream.
  bool ReadState(TStream* Stream);
  void PushState();
  bool PopState();
  Integer SavedStateCount() const { return static_cast<Integer>(saved_.size()); }

  // Outline and grips (steps of the view's outline drawing). Advances the
  // phases on a timer call; true when anything is animated.
  void Paint(const TIESelectionPaint& Ctx);
  bool AnyAnimated() const;
  // The dash painter: one line with the polygon's dash counter.
  void DashLine(TCanvas* Canvas, Integer X1, Integer Y1, Integer X2, Integer Y2);
  // Client rectangles of the grips that would be painted now.
  std::vector<TRect> GripRects(IIESelectionMapping& Map);

 private:
  void PaintPolygonLines(TCanvas* Canvas, IIESelectionMapping& Map);

  std::vector<std::unique_ptr<TIESelectionPolygon>> polygons_;
  size_t current_ = 0;
  TIEMask mask_;
  Integer width_ = 0, height_ = 0;
  TIESelectionOptions options_ = IEDefaultSelectionOptions;
  TIESelectionBase base_ = iesbClientArea;
  bool exists_ = false;
  bool rectMove_ = false;
  TColor colorA_ = clBlack, colorB_ = clWhite;
  std::vector<std::unique_ptr<TMemoryStream>> saved_;
};
