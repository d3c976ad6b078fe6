// TRuzozAdView: the image library's single-image view. It shows one picture
// (or a stack of layers) zoomed, scrolled and centred over a chosen background,
// renders it off screen through fixed-point mapping tables and copies the
// result to the window. Sources by topic: ruzozadview.cpp (construction,
// properties, zoom, scrolling, scroll bars, wheel, the layout pass),
// ruzozadview_render.cpp (source rectangle, tables, mapping, background,
// rendering, painting), ruzozadview_layers.cpp (layers, legacy bitmap, alpha).
#pragma once

#include <memory>
#include <vector>

#include "imaging/buffer/hyieutils.h"
#include "imaging/buffer/zezivori.h"
#include "imaging/views/ieview.h"
#include "platform/Graphics.h"
#include "platform/StdCtrls.h"

class TRuzozAdIO;
class TRuzozAdProc;
class TTimer;

enum TIEBackgroundStyle : Byte {
  iebsSolid,
  iebsHorizontal,
  iebsVertical,
  iebsFDiagonal,
  iebsBDiagonal,
  iebsCross,
  iebsDiagCross,
  iebsChessboard,
  iebsDiagonals,
  iebsCropped,
  iebsCropShadow
};

// (sender, kind): 0 after a scroll, 1 after a zoom change.
using TViewChangeEvent = TEvent<TObject*, Integer>;

// The screen cursors the view registers (loaded from the cursor resources of
// the same names when the program carries them, else a system cursor).
constexpr TCursor crIEZoomOut = 1778;
constexpr TCursor crIEZoomIn = 1779;
constexpr TCursor crIECross = 1780;
constexpr TCursor crIEErase = 1781;
constexpr TCursor crIEHand = 1782;
constexpr TCursor crIEPen = 1783;
constexpr TCursor crIECross1 = 1784;
constexpr TCursor crIEViewDefault = 1785;
constexpr TCursor crIEMove2 = 1786;
constexpr TCursor crIEMoveY = 1787;
constexpr TCursor crIEMove1 = 1788;
constexpr TCursor crIEMoveX = 1789;
constexpr TCursor crIEMove = 1790;
constexpr TCursor crIEViewDefaultAdd = 1791;
constexpr TCursor crIEViewDefaultSub = 1792;
constexpr TCursor crIECross2 = 1793;
constexpr TCursor crIECross2Add = 1794;
constexpr TCursor crIECross2Sub = 1795;
// Registers the 18 cursors with the screen (once; later calls do nothing).
void RegisterViewCursors();

// The screen's dots per inch and edge metrics, read once (they also become
// the image readers' default resolution).
struct TIEScreenMetrics {
  Integer DpiX = 96, DpiY = 96;
  Integer EdgeX = 2, EdgeY = 2;
};
const TIEScreenMetrics& IEScreenMetrics();

// One picture of the view's layer stack.
class TIELayer : public TObject {
 public:
  T_CLASSNAME(TIELayer)
  // Wrap: take Bitmap itself; else a new buffer of its size and kind (a new
  // platform bitmap of the same format when Bitmap wraps one).
  TIELayer(TIEBitmap* Bitmap, bool Wrap);
  ~TIELayer() override;
  bool OwnsBitmap = true;
  TIEBitmap* Bitmap = nullptr;
  // The platform bitmap this layer made for its buffer (wrap False), or nil.
  std::unique_ptr<TBitmap> PlatformBitmap;
  bool Visible = true;
  Integer Opacity = 255;  // 0..255
};

class TRuzozAdView : public TIEView {
 public:
  T_CLASSNAME(TRuzozAdView)
  explicit TRuzozAdView(TComponent* AOwner);
  ~TRuzozAdView() override;

  // --- TIEView --------------------------------------------------------------
  void SetBackground(TColor Value) override;
  TBitmap* CurrentBitmap() override { return legacyBitmap_ ? legacy_ : nullptr; }
  TIEBitmap* CurrentIEBitmap() override { return current_; }
  TIEBitmap* AlphaBitmap() override;
  bool AlphaBitmapPresent() override;
  void FlattenAlpha(bool Value) override;
  void SuspendRefresh() override;
  Integer ResumeRefresh() override;
  Integer ResumeRefreshQuiet() override;
  void NotifyImageChanged() override;
  Integer RefreshLockCount() const { return lockCount_; }

  // --- The platform control -------------------------------------------------
  // The layout pass.
  void Update() override;
  void Assign(TPersistent* Source) override;
  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;

  // --- Zoom, fitting, scrolling ---------------------------------------------
  double Zoom() const { return zoom_; }
  void SetZoom(double Value);
  void ZoomAtPoint(Integer X, Integer Y, double Value);
  void FitToClient();
  // The zoom that fits the picture into the control (its outer size).
  double FitZoom();
  Integer ScrollX() const { return scrollX_; }
  Integer ScrollY() const { return scrollY_; }
  void SetScrollX(Integer Value);
  void SetScrollY(Integer Value);
  void SetScrollXY(Integer X, Integer Y);
  void MaxScroll(Integer& MaxX, Integer& MaxY);
  bool CanScroll();
  void ClearToBackground();

  // Layout results of the last Update.
  Integer ImageWidth() const { return imageWidth_; }
  Integer ImageHeight() const { return imageHeight_; }
  Integer ZoomedWidth() const { return zoomedW_; }
  Integer ZoomedHeight() const { return zoomedH_; }
  Integer OriginX() const { return originX_; }
  Integer OriginY() const { return originY_; }
  Integer ExtentWidth() const { return extentW_; }
  Integer ExtentHeight() const { return extentH_; }
  double HScrollRatio() const { return hRatio_; }
  double VScrollRatio() const { return vRatio_; }

  // --- Coordinate mapping (after a render) ----------------------------------
  Integer ClientToBitmapX(Integer X);
  Integer ClientToBitmapY(Integer Y);
  Integer BitmapToClientX(Integer X);
  Integer BitmapToClientY(Integer Y);
  // What the last render drew.
  TRect SourceRect() const { return Rect(srcX_, srcY_, srcX_ + srcW_, srcY_ + srcH_); }
  Integer DestWidth() const { return dstW_; }
  Integer DestHeight() const { return dstH_; }
  const std::vector<Integer>& ClientToBitmapColumns() const { return xMap_; }
  const std::vector<Integer>& ClientToBitmapRows() const { return yMap_; }
  const std::vector<Integer>& BitmapToClientColumns() const { return xInv_; }
  const std::vector<Integer>& BitmapToClientRows() const { return yInv_; }

  // --- Owned components -----------------------------------------------------
  TRuzozAdIO* OwnIO();
  TRuzozAdProc* OwnProc();
  bool HasOwnIO() const { return io_ != nullptr; }
  bool HasOwnProc() const { return proc_ != nullptr; }

  // --- Layers, legacy bitmap, rendering -------------------------------------
  // The layer stack, drawn in order; entry CurrentLayer holds the current image.
  std::vector<std::unique_ptr<TIELayer>>& Layers() { return layers_; }
  Integer LayerCount() const { return static_cast<Integer>(layers_.size()); }
  TIELayer* Layer(Integer Index) const { return layers_.at(static_cast<size_t>(Index)).get(); }
  Integer CurrentLayer() const { return layerIndex_; }
  virtual void SelectLayer(Integer Index);
  bool LegacyBitmap() const { return legacyBitmap_; }
  virtual void SetLegacyBitmap(bool Value);
  void SyncLayers();
  virtual void BuildLookupTables();
  // Renders into Dest (a 24-bit platform bitmap) with its row addresses, within Clip.
  virtual void RenderLayers(TBitmap* Dest, Byte** Rows, const TRect& Clip);
  void PaintBuffer(const TRect& Rect);
  // The background painter: Canvas area Area around the picture at ImageRect.
  void PaintBackground(TCanvas* Canvas, const TRect& Area, const TRect& ImageRect);
  // The display buffer (the client size after the first paint).
  TBitmap* DisplayBuffer() const { return buffer_.get(); }
  // Renders into the display buffer now (as a paint would) without drawing on
  // the window; for callers that need the picture without a shown window.
  void RenderToBuffer();

  // --- Published properties -------------------------------------------------
  bool DoubleBuffer() const { return doubleBuffer_; }
  void SetDoubleBuffer(bool Value) { doubleBuffer_ = Value; }
  TResampleFilter ZoomFilter() const { return zoomFilter_; }
  void SetZoomFilter(TResampleFilter Value);
  TScrollStyle ScrollBars() const { return scrollBars_; }
  virtual void SetScrollBars(TScrollStyle Value);
  bool Center() const { return center_; }
  void SetCenter(bool Value);
  bool AutoFit() const { return autoFit_; }
  void SetAutoFit(bool Value) { autoFit_ = Value; }
  bool AutoStretch() const { return autoStretch_; }
  void SetAutoStretch(bool Value) { autoStretch_ = Value; }
  bool AutoShrink() const { return autoShrink_; }
  void SetAutoShrink(bool Value) { autoShrink_ = Value; }
  TIEBackgroundStyle BackgroundStyle() const { return backgroundStyle_; }
  void SetBackgroundStyle(TIEBackgroundStyle Value);
  bool DelayZoomFilter() const { return delayZoomFilter_; }
  void SetDelayZoomFilter(bool Value) { delayZoomFilter_ = Value; }
  bool EnableAlphaChannel() const { return enableAlpha_; }
  void SetEnableAlphaChannel(bool Value);
  // The view's default cursor (also the control's cursor).
  TCursor ViewCursor() const { return viewCursor_; }
  void SetViewCursor(TCursor Value);
  TIEProgressEvent OnProgress() const { return onProgress_; }
  virtual void SetOnProgress(const TIEProgressEvent& Value);
  // The field itself, for the form reader (Loaded passes it on to the components).
  TIEProgressEvent& OnProgressField() { return onProgress_; }

  TViewChangeEvent OnViewChange;
  TNotifyEvent OnImageChange;
  TNotifyEvent OnPaint;

  // --- Public options -------------------------------------------------------
  bool DisplayGrid = false;           // the pixel grid at zoom 400 or more
  bool ScrollBarsAlwaysVisible = false;
  bool AutoInvalidate = true;         // Update ends with Invalidate
  bool InvalidateSuppressed = false;
  Integer ChessboardSize = 16;
  TBrushStyle ChessboardBrushStyle = bsSolid;
  TIEScrollBarParams* HScrollBarParams() const { return hParams_.get(); }
  TIEScrollBarParams* VScrollBarParams() const { return vParams_.get(); }
  TIEMouseWheelParams* MouseWheelParams() const { return wheelParams_.get(); }
  // The delayed-filter and scrolled counters (lowered by the outline timer).
  Integer DelayedFilterCount() const { return delayedFilter_; }
  Integer ScrolledCount() const { return scrolled_; }

  // --- Virtual operations of the view ---------------------------------------
  virtual void DoViewChange(Integer Kind);
  virtual Integer ViewClientWidth();
  virtual Integer ViewClientHeight();
  virtual bool HasHostWindow();
  virtual bool IsImageEmpty();

  // Selection
  // The selection model fills this block. The render, the layout pass and
  // scrolling call ClearSelection and DrawSelections; the outline timer's tick
  // calls DrawSelections(timer, true), which ends with TickDelayCounters().
  // ruzozadview_layers.cpp holds stand-in bodies of the two until then.
  virtual void ClearSelection();
  virtual void DrawSelections(TObject* Sender, bool FromTimer);
  bool HasSelection() const { return selectionExists_; }
  TIEMask* SelMask() const { return selMask_.get(); }
  // Overlay choices of the render (iesoFilled, iesoMarkOuter): the mask
  // painted inverted, the outside dotted.
  bool SelectionFilled = false;
  bool SelectionMarkOuter = false;
  // end of Selection

  // Mouse and keyboard interaction
  // The interaction fills this block. Painting reads the gesture flags below
  // and redraws the rubber band while a polygon is being drawn.
  bool RectangleMoving() const { return rectMoving_; }
  bool PolygonDrawing() const { return polygonDrawing_; }
  virtual void DrawRubberBand() {}
  // end of Mouse and keyboard interaction

 protected:
  void Paint() override;
  void Loaded() override;
  void WndProc(TMessage& Message) override;
  void WMSize(TMessage& Message) override;
  void WMEraseBkgnd(TMessage& Message) override;
  void WMHScroll(TMessage& Message) override;
  void WMVScroll(TMessage& Message) override;
  void WMMouseWheel(TMessage& Message) override;
  void WMSetFocus(TMessage& Message) override;
  void WMKillFocus(TMessage& Message) override;
  bool PaletteChanged(bool Foreground) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // The outline timer's tick: draws the outline, lowers the counters.
  void OutlineTimerTick(TObject* Sender);
  // Lowers the delayed-filter and scrolled counters (the filtered render
  // follows when the first reaches 0) and keeps the timer running while needed.
  void TickDelayCounters();
  void StartDelayCounters(bool ForZoom);
  TTimer* OutlineTimer() const { return timer_; }

  // Selection and gesture state read by the render and the layout pass.
  bool rectMoving_ = false;
  bool polygonDrawing_ = false;
  bool selectionExists_ = false;
  std::unique_ptr<TIEMask> selMask_;

 private:
  void ApplyZoom(double Value);
  double AutoFitZoom();
  void FitMargins(Integer& MX, Integer& MY) const;
  void UpdateScrollBar(Integer Bar, Integer Max, Integer ClientSize, Integer Offset, double& Ratio);
  void ScrollMessage(TMessage& Message, bool Vertical);
  void ComputeSourceRect();
  void ResizeBuffer();
  bool Designing() const { return ComponentState().Contains(csDesigning); }
  bool InLayoutState() const;
  void AfterScroll(bool Horizontal, bool Vertical);

  // Storage. The legacy bitmap is ownLegacy_ or a layer's platform bitmap.
  std::unique_ptr<TBitmap> ownLegacy_;
  TBitmap* legacy_ = nullptr;
  bool legacyBitmap_ = true;
  TIEBitmap* current_ = nullptr;  // owned by its layer
  std::vector<std::unique_ptr<TIELayer>> layers_;
  Integer layerIndex_ = 0;
  Integer imageWidth_ = 0, imageHeight_ = 0;
  Integer lastWidth_ = -1, lastHeight_ = -1;

  // Zoom and position.
  double zoom_ = 100.0;
  double factor_ = 1.0;
  double invFactor_ = 1.0;
  Integer scrollX_ = 0, scrollY_ = 0;
  Integer zoomedW_ = 0, zoomedH_ = 0;
  Integer extentW_ = 0, extentH_ = 0;
  Integer originX_ = 0, originY_ = 0;
  double hRatio_ = 1.0, vRatio_ = 1.0;
  double extraHalf_ = 0.5;
  Integer lockCount_ = 0;
  Integer delayedFilter_ = 0;
  Integer scrolled_ = 0;
  bool inUpdate_ = false;

  // Rendering.
  Integer srcX_ = 0, srcY_ = 0, srcW_ = 0, srcH_ = 0;
  Integer dstW_ = 0, dstH_ = 0;
  std::vector<Integer> xMap_, yMap_, xInv_, yInv_;
  std::unique_ptr<TBitmap> buffer_;
  std::vector<Byte*> bufferRows_;
  bool reRender_ = true;
  bool fullRepaint_ = true;
  HANDLE drawDib_ = nullptr;
  BITMAPINFOHEADER drawHeader_{};

  // Properties.
  bool doubleBuffer_ = true;
  TResampleFilter zoomFilter_ = rfNone;
  TResampleFilter savedFilter_ = rfNone;
  TScrollStyle scrollBars_ = ssBoth;
  bool center_ = true;
  bool autoFit_ = false, autoStretch_ = false, autoShrink_ = false;
  TIEBackgroundStyle backgroundStyle_ = iebsSolid;
  bool delayZoomFilter_ = false;
  bool enableAlpha_ = false;
  TCursor viewCursor_ = crIEViewDefault;
  TIEProgressEvent onProgress_;

  std::unique_ptr<TIEScrollBarParams> hParams_, vParams_;
  std::unique_ptr<TIEMouseWheelParams> wheelParams_;
  TTimer* timer_ = nullptr;  // owned (component owner: the view)
  TRuzozAdIO* io_ = nullptr;     // owned (component owner: the view)
  TRuzozAdProc* proc_ = nullptr;  // owned (component owner: the view)
};
