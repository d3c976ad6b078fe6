// Animated GIF documents: the document graphic TGIFImage, its header, frames,
// extension blocks and colour maps, the GIF reader and writer, and the LZW and
// run-length coders.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "platform/Classes.h"
#include "platform/Graphics.h"
#include "platform/System.h"

T_DECLARE_EXCEPTION(GIFException, EInvalidGraphic)

class TGIFImage;
class TGIFSubImage;
class TGIFHeader;
class TGIFExtension;
class TGIFGraphicControlExtension;
class TGIFColorMap;
class TGIFPainter;

// ---------------------------------------------------------------------------
// Enumerations shared by the library.

using TGIFPaintFlags = Word;
constexpr TGIFPaintFlags pfThreaded = 0x1;
constexpr TGIFPaintFlags pfTransparent = 0x2;
constexpr TGIFPaintFlags pfAnimate = 0x4;
constexpr TGIFPaintFlags pfRepeat = 0x8;
constexpr TGIFPaintFlags pfRepeatForever = 0x10;
constexpr TGIFPaintFlags pfValidateCanvas = 0x20;
constexpr TGIFPaintFlags pfPaintDirect = 0x40;
constexpr TGIFPaintFlags pfResetOnLoop = 0x80;
constexpr TGIFPaintFlags pfTile = 0x100;
constexpr TGIFPaintFlags pfDither = 0x200;
constexpr TGIFPaintFlags pfAutoDither = 0x400;

enum TGIFColorReduction : Byte {
  rdNone = 0, rdWindows20, rdWindows256, rdWindowsGray, rdMonochrome, rdGrayScale, rdNetscape,
  rdQuantize, rdQuantizeWindows, rdCustom
};
enum TGIFDitherKind : Byte {
  dkNearest = 0, dkFloydSteinberg, dkStucki, dkSierra, dkJaJuNi, dkSteveArche, dkBurkes
};
enum TGIFCompressionKind : Byte { ckLZW = 0, ckRLE = 1 };
enum TGIFDisposal : Byte { dpUnspecified = 0, dpKeep = 1, dpBackground = 2, dpPrevious = 3 };
enum TGIFFormatVersion : Byte { fvUnknown = 0, fv87a = 1, fv89a = 2 };

// Library-wide defaults. A document copies the ones its constructor reads;
// the painter, the reader and the writer read the others when they run.
struct TGIFDefaults {
  Integer MillisecondsPerDelay = 12;
  Integer DefaultDelay = 10;
  Integer MinimumDelay = 3;
  Integer MaximumDelay = 1000;
  std::string VersionSignatures[3] = {"", "87a", "89a"};
  TGIFPaintFlags PaintFlags = 0x060F;
  TGIFColorReduction ColorReduction = rdNetscape;
  Integer ColorDepthLimit = 8;
  TGIFDitherKind DitherKind = dkNearest;
  TGIFCompressionKind CompressionKind = ckLZW;
  TThreadPriority PainterPriority = tpNormal;
  Integer AnimationSpeed = 100;
  bool RenderWhileLoading = false;
  bool CompactBeforeEmbeddedWrite = false;
};
extern TGIFDefaults GIFDefaults;
// True when the screen shows at most 256 colours (set at start-up).
extern bool GIFPaletteDisplay;

// Colour the painter clears with when none is set.
constexpr TColor GIFNoPaintBackground = 0x1FFFFFFF;

// ---------------------------------------------------------------------------
// File records, kept byte for byte as they stand in the file.
#pragma pack(push, 1)
struct TGIFScreenRecord {
  Word Width;
  Word Height;
  Byte Packed;
  Byte BackgroundIndex;
  Byte AspectRatio;
};
struct TGIFDescriptorRecord {
  Byte Separator;
  Word Left;
  Word Top;
  Word Width;
  Word Height;
  Byte Packed;
};
struct TGIFControlRecord {
  Byte BlockSize;
  Byte Packed;
  Word Delay;
  Byte TransparentIndex;
  Byte Terminator;
};
struct TGIFPlainTextRecord {
  Byte BlockSize;
  Word Left;
  Word Top;
  Word Width;
  Word Height;
  Byte CellWidth;
  Byte CellHeight;
  Byte ForegroundIndex;
  Byte BackgroundIndex;
};
struct TGIFAppIdent {
  Byte Identifier[8];
  Byte Authentication[3];
};
struct TGIFColor {
  Byte Red;
  Byte Green;
  Byte Blue;
};
#pragma pack(pop)
static_assert(sizeof(TGIFScreenRecord) == 7 && sizeof(TGIFDescriptorRecord) == 10 &&
              sizeof(TGIFControlRecord) == 6 && sizeof(TGIFPlainTextRecord) == 13 &&
              sizeof(TGIFAppIdent) == 11 && sizeof(TGIFColor) == 3);

// One byte of LZW data stands for at most 4097 values in a code of 12 bits,
// about 2,730 pixels; a load may allocate that many per byte of its data, and
// a fixed allowance besides (what a small damaged file may still show).
constexpr Int64 GIFMaxPixelsPerDataByte = 2731;
constexpr Int64 GIFFreePixelAllowance = Int64(1) << 20;
// A frame's pixel buffer is addressed with 32-bit sizes.
constexpr Int64 GIFMaxFramePixels = 0x7FFFFFFF;

// ---------------------------------------------------------------------------
// Helpers.
[[noreturn]] void RaiseGIFError(const std::string& Message);
// Reads exactly Count bytes or raises "Premature end of data".
void ReadExact(TStream* Stream, void* Buffer, Integer Count);
// Reads one byte without a check: false at the end of the stream.
bool StreamReadByte(TStream* Stream, Byte& Value);
void StreamWriteByte(TStream* Stream, Byte Value);
void ReadTextSubBlocks(TStream* Stream, TStringList* Lines);
void WriteTextSubBlocks(TStream* Stream, TStringList* Lines);
// Raises EOutOfResources for a zero handle; returns any other value.
template <class H>
H CheckGDIHandle(H Value);
void* CheckGDIHandleValue(void* Value);
template <class H>
H CheckGDIHandle(H Value) {
  return static_cast<H>(CheckGDIHandleValue(static_cast<void*>(Value)));
}
// 0 for 0; else the smallest b >= 1 with 2^b >= Count.
Integer BitsForColorCount(Integer Count);
Integer AlignedRowBytes(Integer Pixels, Integer BitsPerPixel, Integer AlignmentBits);
TPixelFormat BitmapPixelFormat(TBitmap* Bitmap);
void SetBitmapPixelFormat(TBitmap* Bitmap, TPixelFormat Format);
// The fixed 216-colour palette: entry r*36 + g*6 + b is (r*51, g*51, b*51).
HPALETTE MakeNetscapePalette();
bool ScanForByte(const Byte* Buffer, Byte Value, Integer Count);

// ---------------------------------------------------------------------------
// Colour maps.

struct TGIFUsage {
  Integer Count;
  Integer Index;
};
using TGIFUsageTable = std::array<TGIFUsage, 256>;
using TGIFIndexMap = std::array<Byte, 256>;

class TGIFColorMap : public TPersistent {
 public:
  T_CLASSNAME(TGIFColorMap)
  TGIFColorMap() = default;
  ~TGIFColorMap() override;

  // CopyFrom: takes another map's entries.
  void Assign(TPersistent* Source) override;

  virtual void ReportWarning(const std::string& Message) = 0;
  virtual void CountUsage(TGIFUsageTable& Usage) = 0;
  virtual void ApplyIndexMap(const TGIFIndexMap& Map) = 0;
  virtual bool Compact() = 0;
  virtual void NotifyChanged() = 0;

  void Clear();
  void EnsureCapacity(Integer Count);
  Integer BitsPerEntry() const { return BitsForColorCount(count_); }
  Integer FindColor(TColor Color) const;
  Integer AppendColor(TColor Color);
  Integer AddUniqueColor(TColor Color);
  void RemoveEntry(Integer Index);
  TColor ColorAt(Integer Index);
  void ReplaceColor(Integer Index, TColor Color);
  // Clears the map, then reads Count RGB triples.
  void ReadEntries(TStream* Stream, Integer Count);
  // The entries padded with zero triples to a power of two (to 2^MinBits
  // entries at least).
  void WriteEntries(TStream* Stream, Integer MinBits = 0) const;
  void LoadFromPaletteHandle(HPALETTE Palette);
  void LoadFromEntries(const TGIFColor* Entries, Integer Count);
  void LoadFromRGBQuads(const RGBQUAD* Quads, Integer Count);
  void LoadFromDIBColors(HDC DC);
  HPALETTE CreatePaletteHandle() const;
  bool CompactEntries();

  static void SplitColor(TColor Color, TGIFColor& Entry);
  static TColor JoinColor(const TGIFColor& Entry);

  Integer Count() const { return count_; }
  Integer Capacity() const { return static_cast<Integer>(entries_.size()); }
  bool Sorted() const { return sorted_; }
  void SetSorted(bool Value) { sorted_ = Value; }
  const TGIFColor* Entries() const { return entries_.data(); }
  TGIFColor* Entries() { return entries_.data(); }

 protected:
  // Counts and remaps the pixels of one frame that uses this map.
  static void CountFramePixels(TGIFSubImage* Frame, TGIFUsageTable& Usage);
  static void RemapFramePixels(TGIFSubImage* Frame, const TGIFIndexMap& Map);

 private:
  std::vector<TGIFColor> entries_;  // size() is the capacity
  Integer count_ = 0;
  bool sorted_ = false;
};

class TGIFGlobalColorMap : public TGIFColorMap {
 public:
  T_CLASSNAME(TGIFGlobalColorMap)
  explicit TGIFGlobalColorMap(TGIFHeader* Header) : header_(Header) {}
  ~TGIFGlobalColorMap() override;
  void ReportWarning(const std::string& Message) override;
  void CountUsage(TGIFUsageTable& Usage) override;
  void ApplyIndexMap(const TGIFIndexMap& Map) override;
  bool Compact() override;
  void NotifyChanged() override;
  TGIFHeader* Header() const { return header_; }

 private:
  TGIFHeader* header_;
};

class TGIFLocalColorMap : public TGIFColorMap {
 public:
  T_CLASSNAME(TGIFLocalColorMap)
  explicit TGIFLocalColorMap(TGIFSubImage* Frame) : frame_(Frame) {}
  ~TGIFLocalColorMap() override;
  void ReportWarning(const std::string& Message) override;
  void CountUsage(TGIFUsageTable& Usage) override;
  void ApplyIndexMap(const TGIFIndexMap& Map) override;
  bool Compact() override;
  void NotifyChanged() override;
  TGIFSubImage* Frame() const { return frame_; }

 private:
  TGIFSubImage* frame_;
};

// ---------------------------------------------------------------------------
// Blocks.

class TGIFItem : public TPersistent {
 public:
  T_CLASSNAME(TGIFItem)
  explicit TGIFItem(TGIFImage* Image) : image_(Image) {}
  virtual TGIFFormatVersion RequiredVersion() { return fv87a; }
  virtual void ReportWarning(const std::string& Message);
  virtual void SaveToStream(TStream* Stream) = 0;
  virtual void LoadFromStream(TStream* Stream) = 0;
  virtual void WriteToFile(const std::string& FileName);
  virtual void ReadFromFile(const std::string& FileName);
  TGIFImage* Image() const { return image_; }

 protected:
  TGIFImage* image_;
};

class TGIFHeader : public TGIFItem {
 public:
  T_CLASSNAME(TGIFHeader)
  explicit TGIFHeader(TGIFImage* Image);
  ~TGIFHeader() override;
  // CopyFrom: another header or a colour map.
  void Assign(TPersistent* Source) override;
  TGIFFormatVersion RequiredVersion() override { return fv87a; }
  void SaveToStream(TStream* Stream) override;
  void LoadFromStream(TStream* Stream) override;

  void Clear();
  void PreparePacked();
  Integer BitsPerPixel() const { return colorMap_->BitsPerEntry(); }
  Integer ColorResolution() const { return BitsPerPixel() - 1; }
  TColor BackgroundColor() { return colorMap_->ColorAt(Screen.BackgroundIndex); }
  Byte BackgroundIndex() const { return Screen.BackgroundIndex; }
  void SetBackgroundIndex(Integer Index);
  void SetBackgroundFromColor(TColor Color);
  TGIFGlobalColorMap* ColorMap() const { return colorMap_.get(); }
  // What a loaded header said: the version (fvUnknown for a document that was
  // not read) and the colour resolution (-1: computed when writing).
  TGIFFormatVersion ReadVersion() const { return readVersion_; }
  Integer ReadResolution() const { return readResolution_; }
  // While a document is written: the bits of its widest colour table as
  // written (maps padded to their pixel values); 0 otherwise.
  Integer WritingBits() const { return writingBits_; }
  void EndWriting() { writingBits_ = 0; }
  void ForgetReadFields() {
    readVersion_ = fvUnknown;
    readResolution_ = -1;
  }

  TGIFScreenRecord Screen{};

 private:
  std::unique_ptr<TGIFGlobalColorMap> colorMap_;
  TGIFFormatVersion readVersion_ = fvUnknown;
  Integer readResolution_ = -1;
  Integer writingBits_ = 0;
};

class TGIFTrailer : public TGIFItem {
 public:
  T_CLASSNAME(TGIFTrailer)
  using TGIFItem::TGIFItem;
  void SaveToStream(TStream* Stream) override;
  void LoadFromStream(TStream* Stream) override;
};

// Ordered list of blocks; owns them. An item destroyed by other means leaves
// its list by itself (Detach).
class TGIFList : public TPersistent {
 public:
  T_CLASSNAME(TGIFList)
  explicit TGIFList(TGIFImage* Image) : image_(Image) {}
  ~TGIFList() override;
  virtual void ReportWarning(const std::string& Message);
  virtual void WriteAll(TStream* Stream);
  virtual void ReadAll(TStream* Stream, TPersistent* Owner) = 0;

  TGIFItem* ItemAt(Integer Index) const;
  Integer ItemCount() const { return static_cast<Integer>(items_.size()); }
  Integer Append(std::unique_ptr<TGIFItem> Item);
  void InsertAt(Integer Index, std::unique_ptr<TGIFItem> Item);
  void MoveItem(Integer From, Integer To);
  Integer IndexOf(const TGIFItem* Item) const;
  // Takes the item out of the list; the caller owns it.
  std::unique_ptr<TGIFItem> RemoveItem(TGIFItem* Item);
  void RemoveAndFree(TGIFItem* Item);
  void Clear();
  // Forgets an item that is being destroyed without freeing it.
  void Detach(TGIFItem* Item);
  TGIFImage* Image() const { return image_; }

 protected:
  TGIFImage* image_;
  std::vector<std::unique_ptr<TGIFItem>> items_;
};

class TGIFImageList : public TGIFList {
 public:
  T_CLASSNAME(TGIFImageList)
  using TGIFList::TGIFList;
  void WriteAll(TStream* Stream) override;
  void ReadAll(TStream* Stream, TPersistent* Owner) override;
  TGIFSubImage* FrameAt(Integer Index) const;
};

class TGIFExtensionList : public TGIFList {
 public:
  T_CLASSNAME(TGIFExtensionList)
  using TGIFList::TGIFList;
  void ReadAll(TStream* Stream, TPersistent* Owner) override;
  TGIFExtension* ExtensionAt(Integer Index) const;
};

// One frame.
class TGIFSubImage : public TGIFItem {
 public:
  T_CLASSNAME(TGIFSubImage)
  explicit TGIFSubImage(TGIFImage* Image);
  ~TGIFSubImage() override;
  // CopyFrom: importing pictures into a frame (not available in this build).
  void Assign(TPersistent* Source) override;
  TGIFFormatVersion RequiredVersion() override;
  void SaveToStream(TStream* Stream) override;
  void LoadFromStream(TStream* Stream) override;

  void Clear();
  Integer PlacementValue(Integer Selector) const;
  TRect BoundsRect() const;
  void SetPlacement(Integer Left, Integer Top, Integer Height, Integer Width);
  Integer Left() const { return Descriptor.Left; }
  Integer Top() const { return Descriptor.Top; }
  Integer Width() const { return Descriptor.Width; }
  Integer Height() const { return Descriptor.Height; }
  void SetLeft(Integer Value) { SetPlacement(Value, Top(), Height(), Width()); }
  void SetTop(Integer Value) { SetPlacement(Left(), Value, Height(), Width()); }
  void SetWidth(Integer Value) { SetPlacement(Left(), Top(), Height(), Value); }
  void SetHeight(Integer Value) { SetPlacement(Left(), Top(), Value, Width()); }

  void NewPixels();
  void FreePixels();
  void NeedPixels();
  Byte* Scanline(Integer Y);
  Byte PixelAt(Integer X, Integer Y);
  bool IsEmpty() const;
  bool Interlaced() const { return (Descriptor.Packed & 0x40) != 0; }
  void SetInterlaced(bool Value);
  TGIFColorMap* EffectiveColorMap() const;
  Integer BitsPerPixel() const { return colorMap_->BitsPerEntry(); }
  Integer ColorResolution() const { return BitsPerPixel() - 1; }
  void PreparePacked();

  // Reads the image data at the stream's position into the pixel buffer.
  void DecodePixels(TStream* Stream);
  // Writes the pixel buffer as image data.
  void WriteImageData(TStream* Stream);
  // Bits that the largest pixel value needs (0 without pixels).
  Integer PixelBits() const;

  // Rendering caches.
  void FreeBitmap();
  TBitmap* NewBitmap();
  bool HasBitmap() const { return bitmap_ != nullptr; }
  void SetHasBitmap(bool Value);
  bool HasMask();
  void FreeMask();
  void SetBitmap(TBitmap* Value);
  TBitmap* RenderedBitmap();
  HPALETTE PaletteHandle();
  void SetPaletteHandle(HPALETTE Value);

  Byte* Data() const { return data_.get(); }
  Integer DataSize() const { return dataSize_; }
  TGIFLocalColorMap* ColorMap() const { return colorMap_.get(); }
  TGIFExtensionList* Extensions() const { return extensions_.get(); }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool Value) { transparent_ = Value; }
  TGIFGraphicControlExtension* GraphicControl() const { return graphicControl_; }
  void SetGraphicControl(TGIFGraphicControlExtension* Value) { graphicControl_ = Value; }
  HBITMAP Mask() const { return mask_; }
  bool NeedMask() const { return needMask_; }

  TGIFDescriptorRecord Descriptor{};

 protected:
  void AssignTo(TPersistent* Dest) override;

 private:
  std::unique_ptr<TBitmap> bitmap_;
  HBITMAP mask_ = nullptr;
  bool needMask_ = true;
  HPALETTE paletteCache_ = nullptr;
  std::unique_ptr<Byte[]> data_;
  Integer dataSize_ = 0;
  std::unique_ptr<TGIFLocalColorMap> colorMap_;
  std::unique_ptr<TGIFExtensionList> extensions_;
  bool transparent_ = false;
  TGIFGraphicControlExtension* graphicControl_ = nullptr;

  // --- Rendering, drawing and frame optimisation (GIFRender.cpp, GIFOptimize.cpp) ---
 public:
  std::unique_ptr<TBitmap> RenderPlain();
  std::unique_ptr<TBitmap> RenderDithered();
  // Selector 1 left, 2 top, 3 width, 4 height; others do nothing.
  void SetPlacementValue(Integer Selector, Word Value);
  // The frame's rectangle mapped into R, which stands for the logical screen.
  TRect ScaledBounds(const TRect& R) const;
  void DrawScaled(TCanvas* Canvas, const TRect& R, bool Transparent, bool Tile);
  void DrawInRect(TCanvas* Canvas, const TRect& R, bool Transparent, bool Tile);
  void TrimToContent();
  void MergeWithPrevious(TGIFSubImage* Previous);
  bool CanAddTransparentEntry() const;
  Integer SharedTransparentIndex();
  // --- end ---
};

// ---------------------------------------------------------------------------
// Extensions. A class value (TGIFExtensionClass) stands for an extension class
// in the registries and in the reader's class lookup.

class TGIFExtensionClassInfo;
using TGIFExtensionClass = const TGIFExtensionClassInfo*;

class TGIFExtensionClassInfo {
 public:
  std::string Name;
  std::unique_ptr<TGIFExtension> (*Create)(TGIFSubImage* Frame);
  // Given the stream after the label, a more specific class (or itself, or none).
  TGIFExtensionClass (*RefineClass)(TGIFExtensionClass Self, TStream* Stream);
};

class TGIFExtension : public TGIFItem {
 public:
  T_CLASSNAME(TGIFExtension)
  explicit TGIFExtension(TGIFSubImage* Frame);
  ~TGIFExtension() override;
  TGIFFormatVersion RequiredVersion() override { return fv89a; }
  void SaveToStream(TStream* Stream) override;
  void LoadFromStream(TStream* Stream) override;
  virtual Byte LabelByte() const = 0;
  virtual TGIFExtensionClass ExtensionClass() const = 0;
  // Reads the introducer and the label; returns the label.
  Byte ReadIntroducer(TStream* Stream);
  TGIFSubImage* Frame() const { return frame_; }
  // The base refinement: the class itself.
  static TGIFExtensionClass RefineClass(TGIFExtensionClass Self, TStream* Stream);

 protected:
  TGIFSubImage* frame_;
};

class TGIFGraphicControlExtension : public TGIFExtension {
 public:
  T_CLASSNAME(TGIFGraphicControlExtension)
  explicit TGIFGraphicControlExtension(TGIFSubImage* Frame);
  ~TGIFGraphicControlExtension() override;
  void SaveToStream(TStream* Stream) override;
  void LoadFromStream(TStream* Stream) override;
  Byte LabelByte() const override { return 0xF9; }
  TGIFExtensionClass ExtensionClass() const override { return StaticClass(); }
  static TGIFExtensionClass StaticClass();

  bool UsesTransparentIndex() const { return (Control.Packed & 0x01) != 0; }
  void SetUsesTransparentIndex(bool Value);
  Byte TransparentIndex() const { return Control.TransparentIndex; }
  void SetTransparentIndex(Integer Index);
  TColor TransparentColorValue();
  void SetTransparentColorValue(TColor Color);
  Word FrameDelay() const { return Control.Delay; }
  void SetFrameDelay(Word Value) { Control.Delay = Value; }
  bool UserInputFlag() const { return (Control.Packed & 0x02) != 0; }
  void SetUserInputFlag(bool Value);
  Byte DisposalMethod() const { return (Control.Packed >> 2) & 7; }
  void SetDisposalMethod(Integer Value);

  TGIFControlRecord Control{};
};

class TGIFTextExtension : public TGIFExtension {
 public:
  T_CLASSNAME(TGIFTextExtension)
  explicit TGIFTextExtension(TGIFSubImage* Frame);
  ~TGIFTextExtension() override;
  void SaveToStream(TStream* Stream) override;
  void LoadFromStream(TStream* Stream) override;
  Byte LabelByte() const override { return 0x01; }
  TGIFExtensionClass ExtensionClass() const override { return StaticClass(); }
  static TGIFExtensionClass StaticClass();
  TStringList* Lines() const { return lines_.get(); }
  // Replaces the lines by a text split at its line breaks.
  void SetText(const std::string& Text);

  TGIFPlainTextRecord PlainText{};

 private:
  std::unique_ptr<TStringList> lines_;
};

class TGIFCommentExtension : public TGIFExtension {
 public:
  T_CLASSNAME(TGIFCommentExtension)
  explicit TGIFCommentExtension(TGIFSubImage* Frame);
  ~TGIFCommentExtension() override;
  void SaveToStream(TStream* Stream) override;
  void LoadFromStream(TStream* Stream) override;
  Byte LabelByte() const override { return 0xFE; }
  TGIFExtensionClass ExtensionClass() const override { return StaticClass(); }
  static TGIFExtensionClass StaticClass();
  TStringList* Lines() const { return lines_.get(); }
  void SetText(const std::string& Text);

 private:
  std::unique_ptr<TStringList> lines_;
};

class TGIFApplicationExtension : public TGIFExtension {
 public:
  T_CLASSNAME(TGIFApplicationExtension)
  explicit TGIFApplicationExtension(TGIFSubImage* Frame);
  void SaveToStream(TStream* Stream) override;
  void LoadFromStream(TStream* Stream) override;
  Byte LabelByte() const override { return 0xFF; }
  TGIFExtensionClass ExtensionClass() const override { return StaticClass(); }
  static TGIFExtensionClass StaticClass();
  static TGIFExtensionClass RefineClass(TGIFExtensionClass Self, TStream* Stream);
  virtual void WriteAppData(TStream* Stream) = 0;
  virtual void ReadAppData(TStream* Stream) = 0;
  // The identifier and authentication code as an 11-character string.
  std::string IdentText() const;
  void SetIdentText(const std::string& Text);

  TGIFAppIdent Ident{};
  // Bytes of an identification block longer than 11, kept to be written back.
  std::vector<Byte> IdentExtra;
};

// A raw data sub-block.
class TGIFBlock : public TObject {
 public:
  T_CLASSNAME(TGIFBlock)
  explicit TGIFBlock(Byte ASize);
  void ReadData(TStream* Stream);
  void WriteBlock(TStream* Stream) const;
  Byte Size() const { return size_; }
  Byte* Bytes() const { return bytes_.get(); }

 private:
  Byte size_;
  std::unique_ptr<Byte[]> bytes_;
};

class TGIFUnknownAppExtension : public TGIFApplicationExtension {
 public:
  T_CLASSNAME(TGIFUnknownAppExtension)
  explicit TGIFUnknownAppExtension(TGIFSubImage* Frame);
  ~TGIFUnknownAppExtension() override;
  TGIFExtensionClass ExtensionClass() const override { return StaticClass(); }
  static TGIFExtensionClass StaticClass();
  void WriteAppData(TStream* Stream) override;
  void ReadAppData(TStream* Stream) override;
  std::vector<std::unique_ptr<TGIFBlock>>& Blocks() { return blocks_; }

 private:
  std::vector<std::unique_ptr<TGIFBlock>> blocks_;
};

class TGIFAppExtNSLoop : public TGIFApplicationExtension {
 public:
  T_CLASSNAME(TGIFAppExtNSLoop)
  explicit TGIFAppExtNSLoop(TGIFSubImage* Frame);
  TGIFExtensionClass ExtensionClass() const override { return StaticClass(); }
  static TGIFExtensionClass StaticClass();
  void WriteAppData(TStream* Stream) override;
  void ReadAppData(TStream* Stream) override;
  // True when a loop or buffer sub-block was too short to hold its value.
  bool Malformed() const { return malformed_; }
  Word Loops() const { return loops_; }
  void SetLoops(Word Value) { loops_ = Value; }
  Cardinal BufferSize() const { return bufferSize_; }
  void SetBufferSize(Cardinal Value) { bufferSize_ = Value; }

 private:
  Word loops_ = 0;
  Cardinal bufferSize_ = 0;
  bool malformed_ = false;
};

// Registry: label byte to extension class.
class TExtensionList : public TObject {
 public:
  T_CLASSNAME(TExtensionList)
  void Register(Byte Label, TGIFExtensionClass Class);
  // Searches from the last registration to the first; nullptr when none.
  TGIFExtensionClass FindClass(Byte Label) const;

 private:
  struct Entry {
    Byte Label;
    TGIFExtensionClass Class;
  };
  std::vector<std::unique_ptr<Entry>> entries_;
};

// Registry: 11-byte application identifier to class.
class TAppExtensionList : public TObject {
 public:
  T_CLASSNAME(TAppExtensionList)
  void Register(const TGIFAppIdent& Ident, TGIFExtensionClass Class);
  void Register(const std::string& Ident, TGIFExtensionClass Class);
  TGIFExtensionClass FindClass(const TGIFAppIdent& Ident) const;

 private:
  struct Entry {
    TGIFAppIdent Ident;
    TGIFExtensionClass Class;
  };
  std::vector<std::unique_ptr<Entry>> entries_;
};

// Both built on first use.
TExtensionList* ExtensionRegistry();
TAppExtensionList* AppExtensionRegistry();
// The extension class for the block at the stream (just after an introducer), or none.
TGIFExtensionClass ResolveExtensionClass(TStream* Stream);

// ---------------------------------------------------------------------------
// Writing: a stream that frames what is written to it as data sub-blocks.

class TGIFStream : public TStream {
 public:
  T_CLASSNAME(TGIFStream)
  explicit TGIFStream(TStream* Target) : target_(Target) {}
  Integer Read(void* Buffer, Integer Count) override;
  Integer Write(const void* Buffer, Integer Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;

 protected:
  TStream* target_;
  Integer held_ = 0;
};

class TGIFWriter : public TGIFStream {
 public:
  T_CLASSNAME(TGIFWriter)
  explicit TGIFWriter(TStream* Target) : TGIFStream(Target) { held_ = 1; }
  ~TGIFWriter() override;
  Integer Write(const void* Buffer, Integer Count) override;
  void WriteByte(Byte Value) {
    dirty_ = true;
    buffer_[held_++] = Value;
    if (held_ > 255) FlushBlock();
  }
  void FlushBlock();

 private:
  Byte buffer_[256];
  bool dirty_ = false;
};

// ---------------------------------------------------------------------------
// Encoders.

class THashTable : public TObject {
 public:
  T_CLASSNAME(THashTable)
  static constexpr Integer Slots = 8009;
  THashTable();
  void Reset();
  void Store(Cardinal Key, Integer Code);
  // The code stored for Key, or -1.
  Integer Find(Cardinal Key) const;

 private:
  std::unique_ptr<Cardinal[]> slots_;
};

class TGIFEncoder : public TObject {
 public:
  T_CLASSNAME(TGIFEncoder)
  void Encode(TStream* Stream, Integer BitsPerPixel, Integer ColorCount, const Byte* Pixels, bool Interlaced,
              Integer Height, Integer Width);

 protected:
  virtual void EmitCode(Integer Code);
  virtual void EmitClear();
  virtual void EncodePixels() = 0;
  // Calls Fn(row address, count) for each run of pixels that lie together in
  // memory, in the order they are coded (rows in interlace order when interlaced).
  template <class F>
  void WalkPixels(F&& Fn);
  [[noreturn]] static void ColorNotInTable();

  TStream* stream_ = nullptr;
  Integer minCodeSize_ = 0;
  Integer colorCount_ = 0;
  Integer width_ = 0;
  Integer height_ = 0;
  bool interlaced_ = false;
  const Byte* pixels_ = nullptr;
  Cardinal bucket_ = 0;
  Integer bitCount_ = 0;
  bool clearFlag_ = false;
  Integer codeSize_ = 0;
  Integer initCodeSize_ = 0;
  Integer maxCode_ = 0;
  Word clearCode_ = 0;
  Word endCode_ = 0;
  Word baseCode_ = 0;
  TGIFWriter* writer_ = nullptr;

  inline void EmitBits(Integer Code);
};

class TLZWEncoder : public TGIFEncoder {
 public:
  T_CLASSNAME(TLZWEncoder)
  TLZWEncoder();
  ~TLZWEncoder() override;

 protected:
  void EmitCode(Integer Code) override;
  void EmitClear() override;
  void EncodePixels() override;

 private:
  inline void Put(Integer Code);

  Integer nextFree_ = 0;
  // Strings of the table: (prefix code, pixel) to code, found with one
  // lookup in a table indexed by both (GIFLZW.cpp).
  struct TCodeTable;
  std::unique_ptr<TCodeTable> table_;
};

class TRLEEncoder : public TGIFEncoder {
 public:
  T_CLASSNAME(TRLEEncoder)
  static Integer TriangleCost(Integer Count, Integer N);

 protected:
  void EmitClear() override;
  void EncodePixels() override;

 private:
  void EmitPlain(Integer Code);
  void OpenClearLimit();
  void RestoreClearLimit();
  void RunsAfterClear(Integer Count);
  void RepeatOrRestart(Integer Count);
  void RunsFromTable(Integer Count);
  void FlushRun(Integer Count);

  Integer outCount_ = 0;
  Integer bumpThreshold_ = 0;
  Integer bumpInit_ = 0;
  Integer clearThreshold_ = 0;
  Integer clearInit_ = 0;
  Integer runTableMax_ = 0;
  Integer runTablePixel_ = 0;
  Integer maxCodes_ = 0;
  Integer runPixel_ = -1;
};

Integer IntSqrt(Integer X);

// ---------------------------------------------------------------------------
// The document.

// --- Frame optimisation flags and masked drawing (GIFOptimize.cpp, GIFRender.cpp) ---
using TGIFOptimizeFlags = Byte;
constexpr TGIFOptimizeFlags ofTrimFrames = 0x1;
constexpr TGIFOptimizeFlags ofMergeDuplicates = 0x2;
constexpr TGIFOptimizeFlags ofStripInvisible = 0x4;
constexpr TGIFOptimizeFlags ofCompactColorMaps = 0x8;
constexpr TGIFOptimizeFlags ofReduceColors = 0x10;
// Masked, stretched copy; mask bit 1 keeps the destination.
void TransparentStretchBlit(HDC DstDC, Integer DstX, Integer DstY, Integer DstW, Integer DstH, HDC SrcDC,
                            Integer SrcX, Integer SrcY, Integer SrcW, Integer SrcH, HDC MaskDC, Integer MaskX,
                            Integer MaskY);
// --- end ---

using TGIFWarning = TEvent<TObject*, Integer, const std::string&>;
using TGIFPainterEvent = TNotifyEvent;

class TGIFImage : public TGraphic {
 public:
  T_GRAPHIC_CLASS(TGIFImage)
  TGIFImage();
  ~TGIFImage() override;

  // CopyFrom / CopyInto.
  void Assign(TPersistent* Source) override;

  // TGraphic.
  bool Empty() const override { return IsEmpty(); }
  Integer Width() const override { return LogicalWidth(); }
  void SetWidth(Integer Value) override { SetLogicalWidth(Value); }
  Integer Height() const override { return LogicalHeight(); }
  void SetHeight(Integer Value) override { SetLogicalHeight(Value); }
  HPALETTE Palette() override { return PaletteHandle(); }
  void SetPalette(HPALETTE Value) override { SetPaletteHandle(Value); }
  void LoadFromStream(TStream* Stream) override { LoadGIFStream(Stream); }
  void SaveToStream(TStream* Stream) override { SaveGIFStream(Stream); }
  void LoadFromClipboardFormat(Word AFormat, HANDLE AData, HPALETTE APalette) override {
    PasteClipboardData(AFormat, AData, APalette);
  }
  void SaveToClipboardFormat(Word& AFormat, HANDLE& AData, HPALETTE& APalette) override {
    PutClipboardData(AFormat, AData, APalette);
  }
  bool Equals(TGraphic* Graphic) override { return SameAs(Graphic); }

  bool IsEmpty() const { return frames_->ItemCount() == 0; }
  bool SameAs(TGraphic* Graphic) const { return Graphic == this; }
  Integer LogicalWidth() const { return header_->Screen.Width; }
  Integer LogicalHeight() const { return header_->Screen.Height; }
  void SetLogicalWidth(Integer Value);
  void SetLogicalHeight(Integer Value);
  HPALETTE PaletteHandle();
  void SetPaletteHandle(HPALETTE Value);

  void LoadGIFStream(TStream* Stream);
  void SaveGIFStream(TStream* Stream);
  // While a stream loads: takes a frame's pixels from what the data can
  // encode, or raises when they exceed it. Outside a load it does nothing.
  void ChargePixels(Int64 Pixels);
  bool Loading() const { return pixelBudget_ >= 0; }
  void PasteClipboardData(Word AFormat, HANDLE AData, HPALETTE APalette);
  void PutClipboardData(Word& AFormat, HANDLE& AData, HPALETTE& APalette);

  void ClearDocument();
  TGIFFormatVersion RequiredVersion();
  Integer BitsPerPixel() const;
  Integer ColorResolution() const { return BitsPerPixel() - 1; }
  TColor BackgroundColor() { return header_->BackgroundColor(); }
  virtual void ReportWarning(TObject* Sender, Integer Severity, const std::string& Message);
  // A frame passed here becomes the document's (either form); a picture is copied into a new frame.
  Integer AddFrame(std::unique_ptr<TGIFSubImage> Frame);
  Integer AddFrame(TPersistent* Object);
  // The dither rule: whether frames render dithered to the 216-colour palette.
  bool UsesDither() const;
  bool AnyFrameTransparent() const;
  void StopAllPainters();
  void DropComposite();

  TGIFImageList* Frames() const { return frames_.get(); }
  TGIFHeader* Header() const { return header_.get(); }
  TGIFGlobalColorMap* GlobalColorMap() const { return header_->ColorMap(); }
  TGIFPaintFlags PaintFlags() const { return paintFlags_; }
  void SetPaintFlags(TGIFPaintFlags Value);
  TGIFColorReduction ColorReduction() const { return colorReduction_; }
  void SetColorReduction(TGIFColorReduction Value) { colorReduction_ = Value; }
  Integer ColorDepthLimit() const { return colorDepthLimit_; }
  void SetColorDepthLimit(Integer Value);
  TGIFDitherKind DitherKind() const { return ditherKind_; }
  void SetDitherKind(TGIFDitherKind Value) { ditherKind_ = Value; }
  TGIFCompressionKind CompressionKind() const { return compressionKind_; }
  void SetCompressionKind(TGIFCompressionKind Value) { compressionKind_ = Value; }
  TThreadPriority PainterPriority() const { return painterPriority_; }
  void SetPainterPriority(TThreadPriority Value) { painterPriority_ = Value; }
  Integer AnimationSpeed() const { return animationSpeed_; }
  void SetAnimationSpeed(Integer Value) { animationSpeed_ = Value; }
  TColor PaintBackground() const { return paintBackground_; }
  void SetPaintBackground(TColor Value) { paintBackground_ = Value; }
  TGIFPainter* ActivePainter() const { return activePainter_; }
  TThreadList* Painters() const { return painters_.get(); }
  TBitmap* Composite() const { return composite_.get(); }

  // The graphic's change notification and progress, for the library's blocks.
  void NotifyChanged() { Changed(this); }
  void DoProgress(TProgressStage Stage, Byte PercentDone, bool RedrawNow, const std::string& Msg) {
    Progress(this, Stage, PercentDone, RedrawNow, TRect{}, Msg);
  }

  bool Painting = false;
  bool BuildingPalette = false;
  TGIFWarning OnGIFWarning;
  TGIFPainterEvent OnAnimationStart;
  TGIFPainterEvent OnFrameShow;
  TGIFPainterEvent OnFrameShown;
  TGIFPainterEvent OnAnimationLoop;
  TGIFPainterEvent OnAnimationEnd;

 protected:
  void AssignTo(TPersistent* Dest) override;
  void Draw(TCanvas* ACanvas, const TRect& Rect) override;
  void WriteData(TStream* Stream) override;

 private:
  std::unique_ptr<TGIFImageList> frames_;
  std::unique_ptr<TGIFHeader> header_;
  HPALETTE globalPalette_ = nullptr;
  std::unique_ptr<TThreadList> painters_;  // running painters, not owned: each leaves the list itself
  TGIFPaintFlags paintFlags_;
  TGIFColorReduction colorReduction_;
  Integer colorDepthLimit_;
  TGIFDitherKind ditherKind_;
  TGIFCompressionKind compressionKind_;
  std::unique_ptr<TBitmap> composite_;
  TGIFPainter* activePainter_ = nullptr;
  TThreadPriority painterPriority_;
  Integer animationSpeed_;
  TColor paintBackground_ = GIFNoPaintBackground;
  Int64 pixelBudget_ = -1;  // pixels a load may still allocate; -1 outside a load

  void ReadDocument(TStream* Stream);

  // --- Document operations, rendering, painting, optimisation, colour-map merging
  // (GIFDocument.cpp, GIFRender.cpp, GIFPainter.cpp, GIFOptimize.cpp, GIFMerge.cpp) ---
 public:
  void FlushRenderings();
  TBitmap* NewComposite();
  TBitmap* CompositeBitmap();
  void PaintOnCanvas(TCanvas* Canvas, const TRect& R);
  // Creates and registers a painter; nil for an empty image or rectangle, and
  // always nil for one that is not threaded (it has run and gone by then).
  TGIFPainter* CreatePainter(TGIFPainter** Reference, TCanvas* Canvas, TGIFPaintFlags Flags, const TRect& R);
  void StopPainting();
  void OptimizeFrames(TGIFOptimizeFlags Flags, TGIFColorReduction Method, Integer ColorBits, TGIFDitherKind Dither);
  void MergeColorMaps();
  TGIFPainter** ActivePainterRef() { return &activePainter_; }
  // Painters still listed (stopped, but not yet gone) forget the document.
  void DetachPainters();
  void DoProgressFrom(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow,
                      const std::string& Msg) {
    Progress(Sender, Stage, PercentDone, RedrawNow, TRect{}, Msg);
  }
  void NotifyChangedFrom(TObject* Sender) { Changed(Sender); }
  // --- end ---
};

// The clipboard format "GIF Image" (0 until registered at start-up).
extern Word CF_GIF;
