// Colours, fonts, pens, brushes, the canvas over a device context and the
// picture classes: TGraphic and its bitmap, icon and metafile kinds, and
// TPicture with its registry of file and clipboard formats.
#pragma once

#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "platform/Classes.h"
#include "platform/System.h"

// ---------------------------------------------------------------------------
// Colours. A TColor is 0x00BBGGRR, or a system colour (COLOR_xxx | 0x80000000,
// a negative value), or one of the special values clNone and clDefault.
using TColor = Integer;

constexpr TColor SysColor(Integer index) { return static_cast<TColor>(0x80000000u | static_cast<Cardinal>(index)); }

constexpr TColor clScrollBar = SysColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = SysColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SysColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SysColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SysColor(COLOR_MENU);
constexpr TColor clWindow = SysColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SysColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SysColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SysColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SysColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = SysColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SysColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = SysColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = SysColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SysColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SysColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SysColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SysColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SysColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SysColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SysColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SysColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SysColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SysColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SysColor(COLOR_INFOBK);
constexpr TColor clHotLight = SysColor(COLOR_HOTLIGHT);
constexpr TColor clGradientActiveCaption = SysColor(COLOR_GRADIENTACTIVECAPTION);
constexpr TColor clGradientInactiveCaption = SysColor(COLOR_GRADIENTINACTIVECAPTION);
constexpr TColor clMenuHighlight = SysColor(COLOR_MENUHILIGHT);
constexpr TColor clMenuBar = SysColor(COLOR_MENUBAR);

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clMoneyGreen = 0xC0DCC0;
constexpr TColor clSkyBlue = 0xF0CAA6;
constexpr TColor clCream = 0xF0FBFF;
constexpr TColor clMedGray = 0xA4A0A0;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// The RGB value of a colour: system colours are looked up, everything else
// keeps its low 24 bits.
Integer ColorToRGB(TColor Color);
// "clRed" for named colours, "$00BBGGRR" for the rest.
std::string ColorToString(TColor Color);
// A colour name ("clRed", case-insensitive) or a number ("$FF", "255",
// "-2147483633"); raises EConvertError otherwise.
TColor StringToColor(const std::string& S);
// A colour name only; false for anything else.
bool IdentToColor(const std::string& Ident, TColor& Color);
bool ColorToIdent(TColor Color, std::string& Ident);

// ---------------------------------------------------------------------------
// Small set type over an enumeration with at most 32 members.
template <typename E>
class TEnumSet {
 public:
  constexpr TEnumSet() = default;
  constexpr TEnumSet(std::initializer_list<E> items) {
    for (E e : items) bits_ |= Bit(e);
  }
  constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
  constexpr TEnumSet& Include(E e) { bits_ |= Bit(e); return *this; }
  constexpr TEnumSet& Exclude(E e) { bits_ &= ~Bit(e); return *this; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr Cardinal Bits() const { return bits_; }
  static constexpr TEnumSet FromBits(Cardinal b) { TEnumSet s; s.bits_ = b; return s; }
  constexpr TEnumSet operator+(TEnumSet o) const { return FromBits(bits_ | o.bits_); }
  constexpr TEnumSet operator-(TEnumSet o) const { return FromBits(bits_ & ~o.bits_); }
  constexpr TEnumSet operator*(TEnumSet o) const { return FromBits(bits_ & o.bits_); }
  constexpr bool operator==(const TEnumSet&) const = default;

 private:
  static constexpr Cardinal Bit(E e) { return 1u << static_cast<unsigned>(e); }
  Cardinal bits_ = 0;
};

// ---------------------------------------------------------------------------
// Graphics objects: font, pen, brush. Each fires OnChange when a property
// changes and creates its GDI handle on first use after a change.
class TGraphicsObject : public TPersistent {
 public:
  T_CLASSNAME(TGraphicsObject)
  TNotifyEvent OnChange;
  // Critical section shared by the objects of one canvas (set by the canvas),
  // so a painter thread and the main thread do not rebuild a handle at once.
  void SetOwnerCriticalSection(CRITICAL_SECTION* cs) { ownerLock_ = cs; }

 protected:
  virtual void Changed();
  void Lock();
  void Unlock();

 private:
  CRITICAL_SECTION* ownerLock_ = nullptr;
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TEnumSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = Byte;

class TFont : public TGraphicsObject {
 public:
  T_CLASSNAME(TFont)
  TFont();
  ~TFont() override;
  void Assign(TPersistent* Source) override;

  HFONT Handle();
  // Takes over a font handle (the font owns it afterwards) and reads its attributes.
  void SetHandle(HFONT Value);

  const std::string& Name() const { return name_; }
  void SetName(const std::string& Value);
  // Point size; Height is the cell height in pixels (negative: character height).
  Integer Size() const;
  void SetSize(Integer Value);
  Integer Height() const { return height_; }
  void SetHeight(Integer Value);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles Value);
  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  TFontCharset Charset() const { return charset_; }
  void SetCharset(TFontCharset Value);
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch Value);
  Integer PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(Integer Value) { pixelsPerInch_ = Value; }

 protected:
  void Changed() override;

 private:
  void FreeHandle();
  std::string name_;
  Integer height_;
  TFontStyles style_;
  TColor color_ = clWindowText;
  TFontCharset charset_ = DEFAULT_CHARSET;
  TFontPitch pitch_ = fpDefault;
  Integer pixelsPerInch_;
  HFONT handle_ = nullptr;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
  pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};

class TPen : public TGraphicsObject {
 public:
  T_CLASSNAME(TPen)
  TPen() = default;
  ~TPen() override;
  void Assign(TPersistent* Source) override;
  HPEN Handle();
  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  Integer Width() const { return width_; }
  void SetWidth(Integer Value);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle Value);
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode Value);

 protected:
  void Changed() override;

 private:
  void FreeHandle();
  TColor color_ = clBlack;
  Integer width_ = 1;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
  HPEN handle_ = nullptr;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBitmap;

class TBrush : public TGraphicsObject {
 public:
  T_CLASSNAME(TBrush)
  TBrush() = default;
  ~TBrush() override;
  void Assign(TPersistent* Source) override;
  HBRUSH Handle();
  TColor Color() const { return color_; }
  void SetColor(TColor Value);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle Value);
  // A pattern bitmap, not owned; nil for a colour or hatch brush.
  TBitmap* Bitmap() const { return bitmap_; }
  void SetBitmap(TBitmap* Value);

 protected:
  void Changed() override;

 private:
  void FreeHandle();
  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
  TBitmap* bitmap_ = nullptr;
  HBRUSH handle_ = nullptr;
};

using TSize = SIZE;

// ---------------------------------------------------------------------------
// Canvas.
enum TCanvasStates { csHandleValid, csFontValid, csPenValid, csBrushValid };
using TCanvasState = TEnumSet<TCanvasStates>;
enum TFillStyle { fsSurface, fsBorder };

using TCopyMode = Integer;
constexpr TCopyMode cmBlackness = BLACKNESS;
constexpr TCopyMode cmDstInvert = DSTINVERT;
constexpr TCopyMode cmMergeCopy = MERGECOPY;
constexpr TCopyMode cmMergePaint = MERGEPAINT;
constexpr TCopyMode cmNotSrcCopy = NOTSRCCOPY;
constexpr TCopyMode cmNotSrcErase = NOTSRCERASE;
constexpr TCopyMode cmPatCopy = PATCOPY;
constexpr TCopyMode cmPatInvert = PATINVERT;
constexpr TCopyMode cmPatPaint = PATPAINT;
constexpr TCopyMode cmSrcAnd = SRCAND;
constexpr TCopyMode cmSrcCopy = SRCCOPY;
constexpr TCopyMode cmSrcErase = SRCERASE;
constexpr TCopyMode cmSrcInvert = SRCINVERT;
constexpr TCopyMode cmSrcPaint = SRCPAINT;
constexpr TCopyMode cmWhiteness = WHITENESS;

class TGraphic;

class TCanvas : public TPersistent {
 public:
  T_CLASSNAME(TCanvas)
  TCanvas();
  ~TCanvas() override;

  // The device context; asks CreateHandle for one when there is none.
  HDC Handle();
  // Binds the canvas to a device context it does not own (nullptr unbinds).
  void SetHandle(HDC Value);
  bool HandleAllocated() const { return handle_ != nullptr; }

  TFont* Font() const { return font_.get(); }
  void SetFont(TFont* Value) { font_->Assign(Value); }
  TPen* Pen() const { return pen_.get(); }
  void SetPen(TPen* Value) { pen_->Assign(Value); }
  TBrush* Brush() const { return brush_.get(); }
  void SetBrush(TBrush* Value) { brush_->Assign(Value); }
  TCopyMode CopyMode() const { return copyMode_; }
  void SetCopyMode(TCopyMode Value) { copyMode_ = Value; }
  TPoint PenPos();
  void SetPenPos(TPoint Value) { MoveTo(Value.X, Value.Y); }
  TRect ClipRect();
  TColor Pixels(Integer X, Integer Y);
  void SetPixels(Integer X, Integer Y, TColor Value);
  void SetPixel(Integer X, Integer Y, TColor Value) { SetPixels(X, Y, Value); }

  void MoveTo(Integer X, Integer Y);
  void LineTo(Integer X, Integer Y);
  void Polyline(const TPoint* Points, Integer Count);
  void Polyline(const std::vector<TPoint>& Points) { Polyline(Points.data(), static_cast<Integer>(Points.size())); }
  void Polygon(const TPoint* Points, Integer Count);
  void Polygon(const std::vector<TPoint>& Points) { Polygon(Points.data(), static_cast<Integer>(Points.size())); }
  void Rectangle(Integer X1, Integer Y1, Integer X2, Integer Y2);
  void Rectangle(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
  void RoundRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3);
  void Ellipse(Integer X1, Integer Y1, Integer X2, Integer Y2);
  void Ellipse(const TRect& R) { Ellipse(R.Left, R.Top, R.Right, R.Bottom); }
  void Arc(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4);
  void Pie(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer X3, Integer Y3, Integer X4, Integer Y4);
  void FillRect(const TRect& Rect);
  void FrameRect(const TRect& Rect);
  void DrawFocusRect(const TRect& Rect);
  void FloodFill(Integer X, Integer Y, TColor Color, TFillStyle FillStyle);

  void TextOut(Integer X, Integer Y, const std::string& Text);
  void TextRect(const TRect& Rect, Integer X, Integer Y, const std::string& Text);
  TSize TextExtent(const std::string& Text);
  Integer TextWidth(const std::string& Text) { return TextExtent(Text).cx; }
  Integer TextHeight(const std::string& Text) { return TextExtent(Text).cy; }

  void Draw(Integer X, Integer Y, TGraphic* Graphic);
  void StretchDraw(const TRect& Rect, TGraphic* Graphic);
  // Copies Source's SrcRect into DestRect of this canvas using CopyMode.
  void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);
  // Copies Source's rectangle, painting the pixels of colour Color with the brush.
  void BrushCopy(const TRect& Dest, TBitmap* Bitmap, const TRect& Source, TColor Color);

  // A canvas may be used from a painter thread: drawing there happens between Lock and Unlock.
  void Lock();
  void Unlock();
  bool TryLock();
  Integer LockCount() const { return lockCount_; }
  // Forgets the selected objects, so they are selected again on the next use.
  void Refresh();

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  virtual void CreateHandle() {}
  virtual void Changing();
  virtual void Changed();
  void RequiredState(TCanvasState ReqState);
  // Selects the stock objects back and forgets the handle (the owner frees it).
  void DeselectHandles();

 private:
  void CreateFont();
  void CreatePen();
  void CreateBrush();
  void FontChanged(TObject* Sender);
  void PenChanged(TObject* Sender);
  void BrushChanged(TObject* Sender);

  HDC handle_ = nullptr;
  TCanvasState state_;
  std::unique_ptr<TFont> font_;
  std::unique_ptr<TPen> pen_;
  std::unique_ptr<TBrush> brush_;
  TPoint penPos_;
  TCopyMode copyMode_ = cmSrcCopy;
  CRITICAL_SECTION lock_;
  Integer lockCount_ = 0;
};

// ---------------------------------------------------------------------------
// Graphics.
enum TProgressStage { psStarting, psRunning, psEnding };
using TProgressEvent = TEvent<TObject*, TProgressStage, Byte, bool, const TRect&, const std::string&>;

class TGraphic;
// A graphic class as a value: its name and a factory making an empty instance.
// Each concrete graphic class declares one with T_GRAPHIC_CLASS(Name); nil
// stands for TGraphic itself (any graphic).
struct TGraphicClassInfo {
  std::string Name;
  std::unique_ptr<TGraphic> (*Create)();
  // True when the graphic is an instance of this class or of a descendant.
  bool (*IsInstance)(const TGraphic*);
};
using TGraphicClass = const TGraphicClassInfo*;

// The class value of T.
template <class T>
TGraphicClass GraphicClassOf() { return T::StaticGraphicClass(); }
// True when class C is Base or descends from it (nil Base: any graphic class).
bool InheritsFromGraphicClass(TGraphicClass C, TGraphicClass Base);

class TGraphic : public TPersistent {
  friend class TCanvas;
  friend class TPicture;

 public:
  T_CLASSNAME(TGraphic)
  TGraphic() = default;
  ~TGraphic() override = default;

  virtual bool Empty() const = 0;
  virtual Integer Width() const = 0;
  virtual void SetWidth(Integer Value) = 0;
  virtual Integer Height() const = 0;
  virtual void SetHeight(Integer Value) = 0;
  virtual HPALETTE Palette() { return nullptr; }
  virtual void SetPalette(HPALETTE /*Value*/) {}
  virtual bool Transparent() const { return transparent_; }
  virtual void SetTransparent(bool Value);
  bool Modified() const { return modified_; }
  void SetModified(bool Value);
  bool PaletteModified() const { return paletteModified_; }
  void SetPaletteModified(bool Value) { paletteModified_ = Value; }

  virtual void LoadFromStream(TStream* Stream) = 0;
  virtual void SaveToStream(TStream* Stream) = 0;
  virtual void LoadFromFile(const std::string& FileName);
  virtual void SaveToFile(const std::string& FileName);
  // Clipboard data of a format; Data may be 0 for "fetch from the open clipboard".
  virtual void LoadFromClipboardFormat(Word AFormat, HANDLE AData, HPALETTE APalette);
  virtual void SaveToClipboardFormat(Word& AFormat, HANDLE& AData, HPALETTE& APalette);
  // Same class and same saved stream.
  virtual bool Equals(TGraphic* Graphic);
  // The class value this object was made from (for TPicture.Assign and the registry).
  virtual TGraphicClass GraphicClass() const = 0;
  // Form-resource data of the graphic (the picture adds the class name in front).
  // The default is the stream format; TBitmap puts its size in front.
  virtual void ReadData(TStream* Stream);
  virtual void WriteData(TStream* Stream);

  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

 protected:
  virtual void Changed(TObject* Sender);
  virtual void Progress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow,
                        const TRect& R, const std::string& Msg);
  virtual void Draw(TCanvas* ACanvas, const TRect& Rect) = 0;

  bool transparent_ = false;

 private:
  bool modified_ = false;
  bool paletteModified_ = false;
};

// Declares ClassName(), the class value StaticGraphicClass() and GraphicClass()
// for a concrete TGraphic descendant; put it in the class body.
#define T_GRAPHIC_CLASS(Name)                                                               \
  std::string ClassName() const override { return #Name; }                                  \
  static TGraphicClass StaticGraphicClass() {                                               \
    static const TGraphicClassInfo info{                                                    \
        #Name, []() -> std::unique_ptr<TGraphic> { return std::make_unique<Name>(); },      \
        [](const TGraphic* g) { return dynamic_cast<const Name*>(g) != nullptr; }};         \
    return &info;                                                                           \
  }                                                                                         \
  TGraphicClass GraphicClass() const override { return StaticGraphicClass(); }

// ---------------------------------------------------------------------------
// Bitmap.
enum TBitmapHandleType { bmDIB, bmDDB };
enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode { tmAuto, tmFixed };

class TBitmapCanvas;

class TBitmap : public TGraphic {
  friend class TBitmapCanvas;

 public:
  T_GRAPHIC_CLASS(TBitmap)
  TBitmap();
  ~TBitmap() override;

  // From a TBitmap: a deep copy. From another graphic: the graphic's own
  // conversion if it has one, else the graphic drawn on a white bitmap of its size.
  void Assign(TPersistent* Source) override;
  bool Empty() const override { return width_ == 0 || height_ == 0; }
  Integer Width() const override { return width_; }
  void SetWidth(Integer Value) override;
  Integer Height() const override { return height_; }
  void SetHeight(Integer Value) override;
  // Sets both at once; the pixels that remain keep their values, new ones get the canvas brush colour.
  void SetSize(Integer AWidth, Integer AHeight);
  // A copy of the palette stays with the bitmap: the colour table of a
  // palettised DIB, or the palette kept for an RGB bitmap (nullptr if none).
  HPALETTE Palette() override;
  // Copies the entries in: for palettised bitmaps they become the colour table
  // (pixel indices unchanged).
  void SetPalette(HPALETTE Value) override;

  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  void LoadFromClipboardFormat(Word AFormat, HANDLE AData, HPALETTE APalette) override;
  void SaveToClipboardFormat(Word& AFormat, HANDLE& AData, HPALETTE& APalette) override;
  // Loads a bitmap resource (RT_BITMAP) of a module.
  void LoadFromResourceName(HINSTANCE Instance, const std::string& ResName);
  void LoadFromResourceID(HINSTANCE Instance, Integer ResID);
  // Form-resource data: a 32-bit size, then the BMP stream.
  void ReadData(TStream* Stream) override;
  void WriteData(TStream* Stream) override;

  TCanvas* Canvas();
  // The bitmap handle (a DIB section for bmDIB, a device bitmap for bmDDB); nullptr when empty.
  HBITMAP Handle();
  // Takes over a bitmap handle (DIB section or DDB); the bitmap owns it afterwards.
  void SetHandle(HBITMAP Value);
  bool HandleAllocated() const { return handle_ != nullptr; }
  // Gives up the handle: the caller owns it, the bitmap becomes empty.
  HBITMAP ReleaseHandle();
  TBitmapHandleType HandleType() const { return handleType_; }
  void SetHandleType(TBitmapHandleType Value);
  // pfDevice for device bitmaps; for DIBs the format of the bits.
  TPixelFormat PixelFormat() const;
  // Converts the pixels. Palettised targets keep the current palette (or the
  // one kept from an earlier palettised format) when it fits, else get a default one.
  void SetPixelFormat(TPixelFormat Value);
  bool Monochrome() const;
  void SetMonochrome(bool Value);
  bool IgnorePalette() const { return ignorePalette_; }
  void SetIgnorePalette(bool Value) { ignorePalette_ = Value; }

  // Address of row Row (0 = top; rows lie bottom-up in memory). Turns a device bitmap into a DIB.
  void* ScanLine(Integer Row);

  // tmAuto: the bottom-left pixel's colour (white for monochrome bitmaps); both
  // modes return the value with the 0x02000000 flag set.
  TColor TransparentColor();
  void SetTransparentColor(TColor Value);
  TTransparentMode TransparentMode() const { return transparentMode_; }
  void SetTransparentMode(TTransparentMode Value);
  // A 1-bit DIB with 1 where the pixel has the transparent colour; owned by the bitmap,
  // rebuilt after the picture changes.
  HBITMAP MaskHandle();
  HBITMAP ReleaseMaskHandle();
  // Turns the bitmap itself into such a mask for TransparentColor.
  void Mask(TColor TransparentColor);

  // Nothing to release: the pixels live in the DIB section.
  void Dormant() {}
  void FreeImage() {}
  HPALETTE ReleasePalette();

 protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;
  void Changed(TObject* Sender) override;

 private:
  void NewImage(Integer W, Integer H, Integer Bpp, bool Is565, const std::vector<RGBQUAD>& Table, bool Keep);
  void AdoptDIB(HBITMAP H);
  void DIBNeeded();
  void FreeContext();
  void FreeMask();
  void FreePaletteHandle();
  void ClearImage();
  void CopyFrom(TBitmap* Source);
  Byte* Row(Integer Y) const;
  Integer Stride() const;
  void ReadRowRGB(Integer Y, RGBQUAD* Out);
  void CanvasChanging(TObject* Sender);
  void CanvasChanged(TObject* Sender);

  HBITMAP handle_ = nullptr;
  Byte* bits_ = nullptr;  // DIB section memory (bmDIB)
  Integer width_ = 0;
  Integer height_ = 0;
  Integer bitCount_ = 32;
  bool is565_ = false;
  bool topDown_ = false;
  TBitmapHandleType handleType_ = bmDDB;
  std::vector<RGBQUAD> table_;       // colour table of palettised DIBs
  std::vector<RGBQUAD> keptTable_;   // palette of an RGB bitmap, kept for going back to a palettised format
  HPALETTE palette_ = nullptr;       // owned; made from the tables on demand
  HBITMAP mask_ = nullptr;
  TColor transparentColor_ = clDefault;
  TTransparentMode transparentMode_ = tmAuto;
  bool ignorePalette_ = false;
  std::unique_ptr<TBitmapCanvas> canvas_;
};

// ---------------------------------------------------------------------------
// Icon.
class TIcon : public TGraphic {
 public:
  T_GRAPHIC_CLASS(TIcon)
  TIcon();
  ~TIcon() override;
  void Assign(TPersistent* Source) override;
  bool Empty() const override { return handle_ == nullptr && data_.empty(); }
  Integer Width() const override { return width_; }
  void SetWidth(Integer Value) override;
  Integer Height() const override { return height_; }
  void SetHeight(Integer Value) override;
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  void LoadFromClipboardFormat(Word AFormat, HANDLE AData, HPALETTE APalette) override;
  void SaveToClipboardFormat(Word& AFormat, HANDLE& AData, HPALETTE& APalette) override;

  HICON Handle();
  // Takes over an icon handle.
  void SetHandle(HICON Value);
  bool HandleAllocated() const { return handle_ != nullptr; }
  HICON ReleaseHandle();

 protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

 private:
  void FreeHandle();
  HICON handle_ = nullptr;
  std::vector<Byte> data_;  // the .ico stream it was loaded from
  Integer width_ = 0;
  Integer height_ = 0;
};

// ---------------------------------------------------------------------------
// Metafile (enhanced; Windows metafiles are converted on load and back on save).
class TMetafile : public TGraphic {
 public:
  T_GRAPHIC_CLASS(TMetafile)
  TMetafile() = default;
  ~TMetafile() override;
  void Assign(TPersistent* Source) override;
  bool Empty() const override { return handle_ == nullptr; }
  Integer Width() const override;
  void SetWidth(Integer Value) override;
  Integer Height() const override;
  void SetHeight(Integer Value) override;
  void LoadFromStream(TStream* Stream) override;
  void SaveToStream(TStream* Stream) override;
  void LoadFromClipboardFormat(Word AFormat, HANDLE AData, HPALETTE APalette) override;
  void SaveToClipboardFormat(Word& AFormat, HANDLE& AData, HPALETTE& APalette) override;
  bool Transparent() const override { return true; }

  HENHMETAFILE Handle() const { return handle_; }
  // Takes over an enhanced metafile handle.
  void SetHandle(HENHMETAFILE Value);
  HENHMETAFILE ReleaseHandle();
  // Enhanced: saved as EMF; otherwise as a placeable WMF.
  bool Enhanced() const { return enhanced_; }
  void SetEnhanced(bool Value) { enhanced_ = Value; }
  // Size in 0.01 mm.
  Integer MMWidth() const;
  void SetMMWidth(Integer Value);
  Integer MMHeight() const;
  void SetMMHeight(Integer Value);
  // Units per inch of a placeable WMF.
  Word Inch() const { return inch_; }
  void SetInch(Word Value) { inch_ = Value; }
  void Clear();

 protected:
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;

 private:
  void ReadEMF(const std::vector<Byte>& Data);
  void ReadWMF(const std::vector<Byte>& Data);
  HENHMETAFILE handle_ = nullptr;
  bool enhanced_ = true;
  Integer mmWidth_ = 0;
  Integer mmHeight_ = 0;
  Word inch_ = 0;
};

// A canvas recording into a new enhanced metafile; the metafile receives it when the canvas is freed.
class TMetafileCanvas : public TCanvas {
 public:
  T_CLASSNAME(TMetafileCanvas)
  TMetafileCanvas(TMetafile* AMetafile, HDC ReferenceDevice);
  ~TMetafileCanvas() override;

 private:
  TMetafile* metafile_;
};

// ---------------------------------------------------------------------------
// Picture: holds one graphic of any registered class.
class TPicture : public TPersistent {
 public:
  T_CLASSNAME(TPicture)
  TPicture();
  ~TPicture() override;
  void Assign(TPersistent* Source) override;

  TGraphic* Graphic() const { return graphic_.get(); }
  // Copies Value into a new graphic of the same class (nil clears).
  void SetGraphic(TGraphic* Value);
  // The graphic as a bitmap, icon or metafile; a new empty one replaces a graphic of another class.
  TBitmap* Bitmap();
  void SetBitmap(TBitmap* Value) { SetGraphic(Value); }
  TIcon* Icon();
  void SetIcon(TIcon* Value) { SetGraphic(Value); }
  TMetafile* Metafile();
  void SetMetafile(TMetafile* Value) { SetGraphic(Value); }
  Integer Width() const { return graphic_ ? graphic_->Width() : 0; }
  Integer Height() const { return graphic_ ? graphic_->Height() : 0; }

  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName);
  void LoadFromClipboardFormat(Word AFormat, HANDLE AData, HPALETTE APalette);
  void SaveToClipboardFormat(Word& AFormat, HANDLE& AData, HPALETTE& APalette);

  static void RegisterFileFormat(const std::string& AExtension, const std::string& ADescription,
                                 TGraphicClass AGraphicClass);
  static void RegisterClipboardFormat(Word AFormat, TGraphicClass AGraphicClass);
  static void UnregisterGraphicClass(TGraphicClass AClass);
  static bool SupportsClipboardFormat(Word AFormat);
  // Form-resource data: the graphic's class name (a length byte and the name), then its data.
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);
  // The class registered for an extension (without dot, any case), or nil.
  static TGraphicClass FileFormatClass(const std::string& AExtension);

  TNotifyEvent OnChange;
  TProgressEvent OnProgress;

 protected:
  virtual void Changed(TObject* Sender);
  virtual void Progress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow,
                        const TRect& R, const std::string& Msg);
  void AssignTo(TPersistent* Dest) override;

 private:
  void SetOwnedGraphic(std::unique_ptr<TGraphic> G);
  template <class T>
  T* ForceGraphic();
  std::unique_ptr<TGraphic> graphic_;
};

// Filter text for open/save dialogs: "All (*.a;*.b)|*.a;*.b|Desc (*.a)|*.a|..."
// for the formats of GraphicClass and its descendants (nil or TGraphic: all).
std::string GraphicFilter(TGraphicClass GraphicClass);
std::string GraphicExtension(TGraphicClass GraphicClass);
std::string GraphicFileMask(TGraphicClass GraphicClass);

// Bitmaps with colours replaced (Graphics_Mapped.cpp): every pixel of OldColors[i]
// becomes NewColors[i]; in a bitmap of 8 bits or fewer the colour table is mapped.
// The result is a new DIB section the caller owns (for TBitmap::SetHandle);
// nullptr when the bitmap or the resource does not exist.
HBITMAP CreateMappedBmp(HBITMAP Handle, const std::vector<TColor>& OldColors, const std::vector<TColor>& NewColors);
// The bitmap resource ResName ("#n" for a number) of a module, mapped as above.
HBITMAP CreateMappedRes(HINSTANCE Instance, const std::string& ResName, const std::vector<TColor>& OldColors,
                        const std::vector<TColor>& NewColors);

// Palette helpers.
HPALETTE CopyPalette(HPALETTE Palette);
// Number of entries of a palette (0 for nullptr).
Integer PaletteEntryCount(HPALETTE Palette);
// A palette with the given entries (empty: nullptr).
HPALETTE CreatePaletteFromEntries(const std::vector<PALETTEENTRY>& Entries);
