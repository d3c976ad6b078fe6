// The image library's image buffer (TIEBitmap) and its companions: memory-
// mapped temporary storage, selection masks, DIB-section and scratch bitmaps,
// the virtual DIB list, small containers, the progress record and the basic
// helpers shared by everything above the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/Classes.h"
#include "platform/System.h"

class TBitmap;
class TCanvas;

// Filters of the resampler, defined in imaging/buffer/zezivori.h as
// `enum TResampleFilter : Byte { rfNone, ... }` (the underlying type must stay Byte).
enum TResampleFilter : Byte;

// ---------------------------------------------------------------------------
// Pixel kinds and storage places.

enum TIEPixelKind : Byte { ipkNone = 0, ipkBW1 = 1, ipkPal8 = 2, ipkGray8 = 3, ipkGray16 = 4, ipkRGB24 = 5 };

enum TIEStorageLocation : Byte { islMemory = 0, islMappedFile = 1, islVCLBitmap = 2 };

// Bits per pixel of each kind, indexed by TIEPixelKind.
extern const Integer IEPixelKindBits[6];

#pragma pack(push, 1)
// Blue, green, red: the layout of a 24-bit pixel and of a palette entry.
struct TIEColorTriple {
  Byte Blue = 0;
  Byte Green = 0;
  Byte Red = 0;
  bool operator==(const TIEColorTriple&) const = default;
};
#pragma pack(pop)
static_assert(sizeof(TIEColorTriple) == 3);

// ---------------------------------------------------------------------------
// Progress record and abort convention.
//
// The entry point fills Callback, Sender and Abort; the receiver owns the rest:
// Start(units) before its loop, Step() after each unit. Step reports the
// percentage when a callback is assigned and returns true when the shared
// abort flag is set (the receiver then stops and returns).

using TIEProgressEvent = TEvent<TObject* /*Sender*/, Integer /*per*/>;

struct TIEProgressRecord {
  TIEProgressEvent Callback;
  TObject* Sender = nullptr;
  Integer Done = 0;
  Byte Scratch[8] = {};
  double PerUnit = 0;
  double PerUnit2 = 0;
  bool* Abort = nullptr;

  // Done := 0, PerUnit := 100 / units (floating point).
  void Start(double Units) {
    Done = 0;
    PerUnit = Units != 0 ? 100.0 / Units : 0.0;
  }
  // Calls the callback, when assigned, with Trunc(Done * PerUnit).
  void Report() const {
    if (Callback) Callback(Sender, static_cast<Integer>(Trunc(static_cast<Extended>(Done) * PerUnit)));
  }
  bool Aborted() const { return Abort != nullptr && *Abort; }
  void SetAborted() const {
    if (Abort) *Abort = true;
  }
  // After a unit: count it, report, test the abort flag.
  bool Step(Integer Units = 1) {
    Done += Units;
    Report();
    return Aborted();
  }
};

// ---------------------------------------------------------------------------
// Basic helpers.

// Folder for the library's temporary files; empty means the system's temporary folder.
extern std::string ImageTempFolder;

// ((Width * Bits + 31) div 32) * 4.
Cardinal AlignedRowLength(Integer Width, Integer Bits);
// The bits of a platform pixel format (TPixelFormat ordinal): 1, 4, 8, 15, 16, 24, 32 or 0.
Integer VclPixelFormatBits(Integer PixelFormat);
Cardinal AlignedRowLengthOfFormat(Integer Width, Integer PixelFormat);

Integer MaskBitWidth(Cardinal Mask);
Integer HighestBitIndex(Cardinal Mask);
void ReverseBitsInByte(Byte& B);
void ReverseBits32(Cardinal& W);
Word SwapWordBytes(Word W);
Cardinal SwapDWordBytes(Cardinal W);
Cardinal ColorCountFromSamples(Integer BitsPerSample, Integer Samples);
Extended IntegerPower(Integer Exponent, Extended Base);
Extended RealPower(Extended Exponent, Extended Base);
Extended TolerantStrToFloat(const std::string& Text, Extended Default = 0);

// Masks 128, 64, ..., 1 of bit x mod 8 within its byte.
extern const Byte IEBitMask[8];
inline bool TestBit(const void* Row, Integer X) {
  return (static_cast<const Byte*>(Row)[X >> 3] & IEBitMask[X & 7]) != 0;
}
inline void PutBit(void* Row, Integer X, Integer Value) {
  Byte* p = static_cast<Byte*>(Row) + (X >> 3);
  if (Value != 0)
    *p |= IEBitMask[X & 7];
  else
    *p &= static_cast<Byte>(~IEBitMask[X & 7]);
}
// Copies BitCount bits from source bit SrcOffset to destination bit DstOffset;
// destination bits outside the run keep their values. SrcByteLimit bounds the
// bytes read from Source.
void CopyBitRun(void* Dest, const void* Source, Integer DstOffset, Integer SrcOffset, Integer BitCount,
                Integer SrcByteLimit);
// Inverts every bit of every row, padding included.
class TIEBitmap;
void InvertBitmapBits(TIEBitmap* Bitmap);
void SwapRowRedBlue(void* Row, Integer PixelCount);
void SwapPaletteRedBlue(void* Palette, Integer EntryCount);

// A new bitmap with the source's size, pixel format and pixel memory (no palette).
TBitmap* CloneTBitmap(TBitmap* Bitmap);
void CopyTBitmap(TBitmap* Source, TBitmap* Dest);

Integer RoundUpToInt(Extended X);
Integer RoundDownToInt(Extended X);
double FloatMin(double A, double B);
inline Integer IntMax(Integer A, Integer B) { return A > B ? A : B; }
inline Integer IntMin(Integer A, Integer B) { return A < B ? A : B; }
inline Integer ClampInt(Integer V, Integer Low, Integer High) { return V <= Low ? Low : (V >= High ? High : V); }
inline Integer ClampToByte(Integer V) { return V < 0 ? 0 : (V > 255 ? 255 : V); }
inline void SwapIntegers(Integer& A, Integer& B) { std::swap(A, B); }
inline void SwapByteValues(Byte& A, Byte& B) { std::swap(A, B); }
void OrderRectCorners(Integer& X1, Integer& Y1, Integer& X2, Integer& Y2);
inline TIEColorTriple MakeColorTriple(Byte Red, Byte Green, Byte Blue) { return TIEColorTriple{Blue, Green, Red}; }
// (21 R + 71 G + 8 B) div 100.
inline Integer TripleLuminance(const TIEColorTriple& T) { return (21 * T.Red + 71 * T.Green + 8 * T.Blue) / 100; }
// Platform colour red + green * 256 + blue * 65536.
inline Integer TripleToColor(const TIEColorTriple& T) { return T.Red | (T.Green << 8) | (T.Blue << 16); }
// A platform colour (system colours resolved) as a triple.
TIEColorTriple ColorToTriple(Integer Color);
inline bool SameTriple(const TIEColorTriple& A, const TIEColorTriple& B) { return A == B; }
// Packed as blue + green * 256 + red * 65536.
inline Cardinal TripleToCardinal(const TIEColorTriple& T) { return T.Blue | (T.Green << 8) | (T.Red << 16); }

bool DirectoryExistsCheck(const std::string& Path);
// Creates the folder and every missing parent; raises for an empty path.
void ForceDirectoryChain(const std::string& Path);
bool CPUHasMMX();
bool IsWindowsXP();

// ---------------------------------------------------------------------------
// Memory-mapped temporary storage.

// Available physical memory in bytes (64-bit: a 32-bit value cannot describe
// the memory of today's machines).
uint64_t AvailablePhysicalMemory();

// The default threshold of new buffers: pixel data larger than it goes to a
// mapped file. 0 (the default) means half the available physical memory (32 MB
// when that reads 0); tests set a small value to exercise the mapped place.
void SetIEDefaultFileThreshold(uint64_t Threshold);
uint64_t IEDefaultFileThreshold();

// Row views of mapped buffers. Normally a view spans a window of rows and a
// request inside it maps nothing; in strict mode (tests) every request maps a
// new view at another address and unmaps the previous one, so code that keeps
// an earlier row address of the same buffer fails at once.
void SetIEStrictRowViews(bool Strict);
bool IEStrictRowViews();

class TIEMemoryMapped : public TObject {
 public:
  T_CLASSNAME(TIEMemoryMapped)
  TIEMemoryMapped() = default;
  ~TIEMemoryMapped() override;
  bool IsOpen() const { return mapping_ != nullptr; }
  // Makes the file (a unique "ruzozad" name in ImageTempFolder or the system's
  // temporary folder when Name is empty) and maps it whole; false leaves nothing behind.
  bool CreateMappedTempFile(const std::string& Name, uint64_t Size);
  // Only when open; the caller unmaps every view first.
  bool ResizeMappedFile(uint64_t Size);
  // A read/write view; Offset must be a multiple of 65,536. Nil when refused.
  void* MapView(uint64_t Offset, size_t Length);
  void UnmapView(void* Address);
  void UnmapAllViews();
  // Unmaps every view, closes the mapping and deletes the file.
  void Close();
  // Copies a byte range of this file into the same range of Dest's file, 1 MB at a time.
  void CopyMappedRange(TIEMemoryMapped* Dest, uint64_t Offset, uint64_t Size);
  // Reads or writes a byte range of the file with file calls, past the views
  // (which see the same bytes): a pass over much of a large file then costs no
  // page mapping, which on some systems costs more per page than copying it.
  // False when the file refused (nothing read, or what was written so far stays).
  bool ReadRange(uint64_t Offset, void* Buffer, size_t Length);
  bool WriteRange(uint64_t Offset, const void* Buffer, size_t Length);
  const std::string& FileName() const { return fileName_; }
  Integer ViewCount() const { return static_cast<Integer>(views_.size()); }

 private:
  HANDLE file_ = INVALID_HANDLE_VALUE;
  HANDLE mapping_ = nullptr;
  std::string fileName_;
  std::vector<void*> views_;
};

// ---------------------------------------------------------------------------
// Selection mask.

class TIEMask : public TObject {
 public:
  T_CLASSNAME(TIEMask)
  TIEMask();
  ~TIEMask() override;

  void AllocateMask(Integer Width, Integer Height, Integer Bits);
  void FreeMask();
  void CopyMaskFrom(TIEMask* Mask);
  void SetPixelValue(Integer X, Integer Y, Integer Value);
  Integer GetPixelValue(Integer X, Integer Y) const;
  bool IsPixelSet(Integer X, Integer Y) const { return GetPixelValue(X, Y) != 0; }
  Byte* RowAddress(Integer Y) const { return data_ + static_cast<size_t>(rowLength_) * (height_ - 1 - Y); }
  Integer FillRow(Integer Value, Integer X1, Integer X2, Integer Y);
  void FillMask(Integer Value);
  void ClearMask();
  bool IsEmpty() const { return left_ == 2147483647; }
  // Polygons separated by a point whose X is 0xFFFFF.
  void FillPolygons(Integer Value, const TPoint* Points, Integer Count);
  // Even-odd scanline fill, half-open: right edges and the bottom row are not filled.
  void FillPolygon(Integer Value, const TPoint* Points, Integer Count);
  void MoveContent(Integer& DX, Integer& DY, bool Cut);
  // Copies Source pixels into Dest where the mask is set (see the kinds handled).
  void CopyMaskedPixels(TIEBitmap* Dest, TIEBitmap* Source, bool DestCropped, bool SourceCropped);

  // Drawing (1-bit masks). The mapping: mask rectangle (SrcX, SrcY, SrcW, SrcH)
  // shown in DispW x DispH pixels at (DstX, DstY).
  void PaintInverted(TCanvas* Canvas, Integer SrcX, Integer SrcY, Integer SrcW, Integer SrcH, Integer DstX,
                     Integer DstY, Integer DispW, Integer DispH);
  void BuildScaledMask(Integer SrcX, Integer SrcY, Integer SrcW, Integer SrcH, Integer DispW, Integer DispH);
  void PaintOutline(TCanvas* Canvas, Integer SrcX, Integer SrcY, Integer SrcW, Integer SrcH, Integer DstX,
                    Integer DstY, Integer DispW, Integer DispH, Integer Color1, Integer Color2, Integer Phase);
  void PaintOuterDots(TBitmap* Bitmap, Integer SrcX, Integer SrcY, Integer SrcW, Integer SrcH, Integer DstX,
                      Integer DstY, Integer DispW, Integer DispH);

  Integer Width() const { return width_; }
  Integer Height() const { return height_; }
  Integer BitsPerPixel() const { return bits_; }
  Integer RowLength() const { return rowLength_; }
  Byte* Data() const { return data_; }
  Integer Left() const { return left_; }
  Integer Top() const { return top_; }
  Integer Right() const { return right_; }
  Integer Bottom() const { return bottom_; }
  void SetBox(Integer L, Integer T, Integer R, Integer B) {
    left_ = L;
    top_ = T;
    right_ = R;
    bottom_ = B;
  }
  void SetEmptyBox() { SetBox(2147483647, 2147483647, 0, 0); }
  bool Full() const { return full_; }
  void SetFull(bool V) { full_ = V; }
  // Display buffer of the last BuildScaledMask (for the view and tests).
  const Byte* DisplayBuffer() const { return display_.data(); }
  Integer DisplayWidth() const { return dispWidth_; }
  Integer DisplayHeight() const { return dispHeight_; }
  Byte* DisplayRow(Integer I) const { return dispRows_[I]; }

 private:
  void GrowBox(Integer X, Integer Y);
  void ClampBox();
  void UpdateFullAfterWrite(Integer Value);
  void EnsureDisplayBuffer(Integer DispW, Integer DispH);

  Integer width_ = 0, height_ = 0, bits_ = 0, rowLength_ = 0;
  Byte* data_ = nullptr;
  Integer left_ = 2147483647, top_ = 2147483647, right_ = 0, bottom_ = 0;
  struct {
    BITMAPINFOHEADER Header;
    RGBQUAD Colors[2];
  } drawInfo_{};
  std::vector<Byte> display_;
  Integer dispWidth_ = 0, dispHeight_ = 0;
  std::vector<Byte*> dispRows_;
  bool full_ = false;
};

// ---------------------------------------------------------------------------
// The abstract buffer.

class TIEBaseBitmap : public TObject {
 public:
  T_CLASSNAME(TIEBaseBitmap)
  virtual void* GetRowPointer(Integer Row) = 0;
  virtual Integer GetBitsPerPixel() const = 0;
  virtual Integer GetHeight() const = 0;
  virtual Integer GetWidth() const = 0;
  virtual TIEPixelKind GetPixelKind() const = 0;
  virtual Integer GetRowLength() const = 0;
  virtual void AllocateImage(Integer Width, Integer Height, TIEPixelKind Kind) = 0;
  virtual void CopyFromObject(TObject* Source) = 0;
};

class TIEDibbitmap;

// ---------------------------------------------------------------------------
// The image buffer.
//
// Row r of the picture is reached through GetRowPointer(r). At islMappedFile a
// returned address is valid only until the next GetRowPointer on the same
// buffer: code that needs two rows of one picture at once uses a second buffer.

class TIEBitmap : public TIEBaseBitmap {
 public:
  T_CLASSNAME(TIEBitmap)
  TIEBitmap();
  ~TIEBitmap() override;
  // An alpha channel: ipkGray8 filled with 255 (islVCLBitmap becomes islMemory).
  // Threshold 0: the default threshold of new buffers.
  static std::unique_ptr<TIEBitmap> CreateAlphaChannel(Integer Width, Integer Height, TIEStorageLocation Place,
                                                       uint64_t Threshold = 0);

  // The eight slots.
  void* GetRowPointer(Integer Row) override;
  Integer GetBitsPerPixel() const override { return bitsPerPixel_; }
  Integer GetHeight() const override { return height_; }
  Integer GetWidth() const override { return width_; }
  TIEPixelKind GetPixelKind() const override { return kind_; }
  Integer GetRowLength() const override { return rowLength_; }
  void AllocateImage(Integer Width, Integer Height, TIEPixelKind Kind) override;
  void CopyFromObject(TObject* Source) override;

  Integer Width() const { return width_; }
  Integer Height() const { return height_; }
  TIEPixelKind PixelKind() const { return kind_; }
  Integer BitsPerPixel() const { return bitsPerPixel_; }
  Integer RowLength() const { return rowLength_; }
  void* Scanline(Integer Row) { return GetRowPointer(Row); }

  // Storage.
  void FreeImage();
  void MoveContentTo(TIEBitmap* Dest);
  TIEStorageLocation Location() const { return location_; }
  // Sets the place used by the next allocation (the content is not moved).
  void SetLocation(TIEStorageLocation Place) { location_ = Place; }
  void MoveToLocation(TIEStorageLocation Place);
  TCanvas* CanvasForDrawing();
  uint64_t FileThreshold() const { return fileThreshold_; }
  void SetFileThreshold(uint64_t Threshold) { fileThreshold_ = Threshold; }
  TIEMemoryMapped* MappedFile() const { return mapped_.get(); }
  // The platform bitmap at islVCLBitmap (owned or borrowed), else nil.
  TBitmap* VclBitmap() const { return vclBitmap_; }
  bool Borrowed() const { return borrowed_; }

  // Palette (ipkPal8: 256 entries).
  TIEColorTriple* Palette() const { return palette_.get(); }
  Integer PaletteCount() const { return paletteCount_; }
  TIEColorTriple PaletteEntry(Integer Index, TIEColorTriple Default = TIEColorTriple()) const;
  void SetPaletteEntry(Integer Index, const TIEColorTriple& Color) {
    if (Index >= 0 && Index < paletteCount_) palette_[Index] = Color;
  }

  // Alpha channel.
  TIEBitmap* GetAlphaChannel();
  TIEBitmap* AlphaChannel() { return GetAlphaChannel(); }
  bool HasAlphaChannel() const { return alpha_ != nullptr; }
  void FreeAlphaChannel();
  bool IsAlphaChannel() const { return isAlpha_; }
  bool AlphaFull() const { return alphaFull_; }
  void SetAlphaFull(bool V) { alphaFull_ = V; }

  // 0: ordered 8 x 8 dither, 1 (default): threshold at the average luminance.
  Byte BilevelMethod() const { return bilevelMethod_; }
  void SetBilevelMethod(Byte M) { bilevelMethod_ = M; }

  // Pixel kinds.
  void ConvertToKind(TIEPixelKind Kind);
  void ConvertPixels(TIEPixelKind Kind);

  // Copies, resizing, filling.
  void CopyPixelsFrom(TIEBitmap* Source);
  void ResizeWidth(Integer NewWidth);
  void ResizeHeight(Integer NewHeight);
  void ResizeCanvas(Integer NewWidth, Integer NewHeight, Integer Fill, Integer AlphaFill, Integer HPlace,
                    Integer VPlace);
  void MoveBlock(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer DstX, Integer DstY, Integer Fill);
  void BlitTo(TIEBitmap* Dest, Integer SrcX, Integer SrcY, Integer DstX, Integer DstY, Integer W, Integer H);
  void FillWith(Integer Value);
  void FillRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer Value);
  TIEColorTriple PixelAsTriple(Integer X, Integer Y);
  void CopyFromMask(TIEMask* Mask);
  void CopyToMask(TIEMask* Mask);

  // Platform bitmaps and DIB sections.
  void AttachTBitmap(TBitmap* Bitmap, bool ReleaseFirst);
  void ImportFromTBitmap(TBitmap* Bitmap);
  void ExportToTBitmap(TBitmap* Bitmap);
  void SyncVCLPalette();
  void CopyFromDibbitmap(TIEDibbitmap* Dib);

  // Paints the source rectangle zoomed into a pf24bit bitmap (see hyieutils_render.cpp).
  // DestRows, ColumnMap, RowMap and Clip may be nil.
  void RenderZoomed(TBitmap* Dest, Byte** DestRows, const Integer* ColumnMap, const Integer* RowMap,
                    const TRect* Clip, Integer DstX, Integer DstY, Integer DstW, Integer DstH, Integer SrcX,
                    Integer SrcY, Integer SrcW, Integer SrcH, bool UseAlpha, bool RepeatRows, Integer Opacity,
                    TResampleFilter Filter);

 private:
  void AllocateStorage();
  void AllocateVclStorage();
  void BuildRowPointers();
  void ReleaseRowView();
  void CopyBitmapContent(TIEBitmap* Source, bool WithAlpha);
  void ResizeAxis(Integer NewSize, bool Horizontal);

  std::unique_ptr<TIEMemoryMapped> mapped_;
  Integer width_ = 0;
  Integer height_ = 0;
  Integer bitsPerPixel_ = 0;
  void* rowView_ = nullptr;
  uint64_t viewStart_ = 0;  // file offset and length of the current row view
  size_t viewLength_ = 0;
  Integer rowLength_ = 0;
  TIEPixelKind kind_ = ipkNone;
  std::unique_ptr<TIEColorTriple[]> palette_;
  Integer paletteCount_ = 0;
  std::unique_ptr<TIEBitmap> alpha_;
  bool isAlpha_ = false;
  Byte* memory_ = nullptr;     // owned (malloc), islMemory
  TBitmap* vclBitmap_ = nullptr;  // owned unless borrowed_
  std::vector<Byte*> rowPointers_;
  TIEStorageLocation location_ = islMappedFile;
  bool alphaFull_ = false;
  bool borrowed_ = false;
  uint64_t fileThreshold_ = 0;
  Byte bilevelMethod_ = 1;
};

// Ordered-dither matrix, indexed [x mod 8][y mod 8].
extern const Byte IEDitherMatrix[8][8];

// ---------------------------------------------------------------------------
// DIB section and scratch bitmaps.

class TIEDibbitmap : public TIEBaseBitmap {
 public:
  T_CLASSNAME(TIEDibbitmap)
  TIEDibbitmap();
  ~TIEDibbitmap() override;
  void AllocateDIB(Integer Width, Integer Height, Integer Bits);
  void FreeDIB();
  HDC DC() const { return dc_; }
  HBITMAP Handle() const { return section_; }
  Byte* Bits() const { return bits_; }

  void* GetRowPointer(Integer Row) override;
  Integer GetBitsPerPixel() const override { return bitCount_; }
  Integer GetHeight() const override { return height_; }
  Integer GetWidth() const override { return width_; }
  TIEPixelKind GetPixelKind() const override;
  Integer GetRowLength() const override { return rowLength_; }
  void AllocateImage(Integer Width, Integer Height, TIEPixelKind Kind) override;
  void CopyFromObject(TObject* Source) override;

 private:
  Integer width_ = 0, height_ = 0, bitCount_ = 0, rowLength_ = 0;
  HDC dc_ = nullptr;
  HBITMAP section_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  struct {
    BITMAPINFOHEADER Header;
    RGBQUAD Colors[2];
  } info_{};
  Byte* bits_ = nullptr;
};

class TIEWorkBitmap : public TObject {
 public:
  T_CLASSNAME(TIEWorkBitmap)
  TIEWorkBitmap(Integer Width, Integer Height, Integer Bits);
  ~TIEWorkBitmap() override { FreeWorkBitmap(); }
  void AllocateWorkBitmap(Integer Width, Integer Height, Integer Bits);
  Byte* WorkRowAddress(Integer Row) const { return block_ + static_cast<size_t>(rowLength_) * (height_ - 1 - Row); }
  void FreeWorkBitmap();
  Integer Width() const { return width_; }
  Integer Height() const { return height_; }
  Integer BitsPerPixel() const { return bits_; }
  Integer RowLength() const { return rowLength_; }

 private:
  Integer width_ = 0, height_ = 0, bits_ = 0, rowLength_ = 0;
  Byte* block_ = nullptr;
};

// ---------------------------------------------------------------------------
// Virtual DIB list: many small DIBs in one growing mapped file.

struct TIEVirtualImage {
  uint64_t Offset = 0;
  Cardinal DataSize = 0;
  Cardinal BlockSize = 0;
  Byte* View = nullptr;
  bool CheckedOut = false;
  Integer SourceWidth = 0;
  Integer SourceHeight = 0;
};

class TIEVirtualDIBList : public TObject {
 public:
  T_CLASSNAME(TIEVirtualDIBList)
  TIEVirtualDIBList();
  ~TIEVirtualDIBList() override;
  TIEVirtualImage* AddImage(TIEBitmap* Bitmap);
  TIEVirtualImage* AddBlank(Integer Width, Integer Height, Integer Bits);
  void DeleteImage(TIEVirtualImage* Image);
  TBitmap* CheckOutBitmap(TIEVirtualImage* Image);
  void ReleaseBitmap(TBitmap* Bitmap, bool WriteBack);
  void ReleaseBitmapOf(TIEVirtualImage* Image, bool WriteBack);
  void ReadIntoBitmap(TIEVirtualImage* Image, TBitmap* Bitmap);
  void WriteFromBitmap(TIEVirtualImage* Image, TBitmap* Bitmap);
  Integer ImageWidth(TIEVirtualImage* Image);
  Integer ImageHeight(TIEVirtualImage* Image);
  Integer ImageBitCount(TIEVirtualImage* Image);
  void* ImageBits(TIEVirtualImage* Image);
  BITMAPINFOHEADER* ImageHeader(TIEVirtualImage* Image);
  void SetSourceWidth(TIEVirtualImage* Image, Integer Value) { Image->SourceWidth = Value; }
  void SetSourceHeight(TIEVirtualImage* Image, Integer Value) { Image->SourceHeight = Value; }
  void SetOriginalWidth(TIEVirtualImage* Image, Integer Value) { Image->SourceWidth = Value; }
  void SetOriginalHeight(TIEVirtualImage* Image, Integer Value) { Image->SourceHeight = Value; }
  void ClearList();

  Integer MaxMappedViews() const { return maxViews_; }
  // Lowering the limit unmaps the least recently used views at once.
  void SetMaxMappedViews(Integer N);
  Integer MappedViewCount() const { return viewCount_; }
  Integer ImageCount() const { return static_cast<Integer>(images_.size()); }
  uint64_t FileSize() const { return fileSize_; }
  uint64_t EndOffset() const { return endOffset_; }
  TIEMemoryMapped* MappedFile() const { return file_.get(); }

 private:
  struct CheckedOut {
    TIEVirtualImage* Image;
    TBitmap* Bitmap;
    Integer Count;
  };
  struct FreeBlock {
    uint64_t Offset;
    Cardinal Size;
  };
  void MapRecord(TIEVirtualImage* Image);
  void UnmapRecord(TIEVirtualImage* Image);
  bool AllocateBlock(TIEVirtualImage* Image, Integer Width, Integer Height, Integer Bits);
  bool ResetFile();
  CheckedOut* FindEntry(TIEVirtualImage* Image);
  void DropRecord(TIEVirtualImage* Image);

  std::unique_ptr<TIEMemoryMapped> file_;
  uint64_t fileSize_ = 65536;
  std::vector<TIEVirtualImage*> images_;  // owned
  std::vector<TIEVirtualImage*> mapped_;  // oldest first
  std::vector<FreeBlock> free_;
  uint64_t endOffset_ = 0;
  uint64_t growth_ = 65536;
  Integer maxViews_ = 10;
  Integer viewCount_ = 0;
  std::vector<CheckedOut> checkedOut_;
  uint64_t lastBlockSize_ = 0;
  struct {
    BITMAPINFOHEADER Header;
    RGBQUAD Colors[2];
  } scratch_{};
};

// ---------------------------------------------------------------------------
// Lists, byte buffer, key set, null stream, view option objects.

class TIEList : public TObject {
 public:
  T_CLASSNAME(TIEList)
  TIEList();
  ~TIEList() override;
  virtual void SetItemCount(Integer N);
  virtual void DeleteItem(Integer Index);
  virtual void ClearItems();
  virtual void CopyItemsFrom(TIEList* List);
  Integer AppendItem(const void* Item);
  void* ItemAddress(Integer Index) const { return data_ + static_cast<size_t>(Index) * itemSize_; }
  Integer Count() const { return count_; }
  Integer ItemSize() const { return itemSize_; }
  bool Changed() const { return changed_; }
  void SetChanged(bool V) { changed_ = V; }

 protected:
  Integer count_ = 0;
  Integer itemSize_ = 0;
  Byte* data_ = nullptr;
  bool changed_ = false;
};

class TIEDoubleList : public TIEList {
 public:
  T_CLASSNAME(TIEDoubleList)
  TIEDoubleList();
  void ClearItems() override;
  void CopyItemsFrom(TIEList* List) override;  // raises EInvalidCast for another class
  double Item(Integer I) const { return reinterpret_cast<const double*>(data_)[I]; }
  void SetItem(Integer I, double V) { reinterpret_cast<double*>(data_)[I] = V; }
  double Extra[4] = {0, 0, 0, 0};
};

class TIEIntegerList : public TIEList {
 public:
  T_CLASSNAME(TIEIntegerList)
  TIEIntegerList();
  void ClearItems() override;
  void CopyItemsFrom(TIEList* List) override;  // raises EInvalidCast for another class
  Integer Item(Integer I) const { return reinterpret_cast<const Integer*>(data_)[I]; }
  void SetItem(Integer I, Integer V) { reinterpret_cast<Integer*>(data_)[I] = V; }
  Integer Extra[4] = {0, 0, 0, 0};
};

class TIERecordList : public TIEList {
 public:
  T_CLASSNAME(TIERecordList)
  explicit TIERecordList(Integer ItemSize);
};

class TIEByteArray : public TObject {
 public:
  T_CLASSNAME(TIEByteArray)
  TIEByteArray();
  ~TIEByteArray() override;
  void AppendByte(Byte B);
  Integer Size() const { return size_; }
  Integer Capacity() const { return capacity_; }
  Byte* Data() const { return data_; }
  void Clear() { size_ = 0; }

 private:
  Integer size_ = 0;
  Integer capacity_ = 0;
  Integer growth_ = 8192;
  Byte* data_ = nullptr;
};

// A set of 32-bit keys in 2^n buckets with chains.
class THash1 : public TObject {
 public:
  T_CLASSNAME(THash1)
  explicit THash1(Integer N);
  ~THash1() override;
  // True when the key was new and has been added.
  bool InsertKey(Cardinal Key);
  Integer KeyCount() const { return keyCount_; }
  Integer BucketCount() const { return static_cast<Integer>(buckets_); }
  Byte BucketState(Integer I) const { return states_[I]; }

 private:
  struct Node {
    Cardinal Key;
    Node* Next;
  };
  std::vector<uintptr_t> slots_;
  std::vector<Byte> states_;
  Integer bits_ = 0;
  Cardinal buckets_ = 0;
  Integer keyCount_ = 0;
};

// A stream that keeps nothing: it only counts position and size.
class TNulStream : public TStream {
 public:
  T_CLASSNAME(TNulStream)
  Integer Read(void* Buffer, Integer Count) override;
  Integer Write(const void* Buffer, Integer Count) override;
  Int64 Seek(Int64 Offset, TSeekOrigin Origin) override;
  Int64 Size() override { return size_; }
  void SetSize(Int64 NewSize) override { size_ = static_cast<Integer>(NewSize); }

 private:
  Integer position_ = 0;
  Integer size_ = 0;
};

// Writes Count bytes; a short write sets Aborting (it is never cleared here).
void StreamWriteChecked(TStream* Stream, bool& Aborting, const void* Buffer, Integer Count);

class TIEScrollBarParams : public TObject {
 public:
  T_CLASSNAME(TIEScrollBarParams)
  Integer LineStep = -1;
  Integer PageStep = -1;
  bool Tracking = true;
};

class TIEMouseWheelParams : public TObject {
 public:
  T_CLASSNAME(TIEMouseWheelParams)
  bool Reverse = false;
  Byte Action = 2;    // 0 standard, 1 scroll, 2 zoom
  Byte StepKind = 1;  // 0 absolute, 1 percentage
  Integer Step = 8;
  Integer ZoomAtMouse = 0;
};

// ---------------------------------------------------------------------------
// DrawDib wrappers (Video for Windows drawing library).
HANDLE DrawDibOpenHandle();
bool DrawDibCloseHandle(HANDLE Hdd);
bool DrawDibDrawRect(HANDLE Hdd, HDC Dc, Integer XDst, Integer YDst, Integer DxDst, Integer DyDst,
                     BITMAPINFOHEADER* Header, void* Bits, Integer XSrc, Integer YSrc, Integer DxSrc, Integer DySrc,
                     UINT Flags);
UINT DrawDibRealizePalette(HANDLE Hdd, HDC Dc, bool Background);
