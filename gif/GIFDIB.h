// Row access to platform bitmaps for the GIF library: TDIBReader converts a
// bitmap to a pixel format and hands out its scan lines; TDIBWriter collects
// 8- or 24-bit rows in memory of its own and stores them into the bitmap in
// one load.
#pragma once

#include <memory>

#include "platform/Graphics.h"
#include "platform/System.h"

class TDIB : public TObject {
 public:
  T_CLASSNAME(TDIB)
  TDIB(TBitmap* Bitmap, TPixelFormat PixelFormat) : bitmap_(Bitmap), pixelFormat_(PixelFormat) {}
  // Address of the first byte of pixel row Row (0 = top row).
  virtual void* RowAddress(Integer Row) = 0;
  TBitmap* Bitmap() const { return bitmap_; }
  TPixelFormat PixelFormat() const { return pixelFormat_; }

 protected:
  TBitmap* bitmap_;  // not owned
  TPixelFormat pixelFormat_;
};

// Reads the bitmap's own scan lines; constructing it converts the bitmap to
// the pixel format in place.
class TDIBReader : public TDIB {
 public:
  T_CLASSNAME(TDIBReader)
  TDIBReader(TBitmap* Bitmap, TPixelFormat PixelFormat);
  void* RowAddress(Integer Row) override;
};

// Builds an 8-bit (with the palette's colour table) or 24-bit packed DIB and
// loads it into the bitmap. StoreIntoBitmap does that explicitly so that its
// errors reach the caller; the destructor stores whatever was not stored yet.
class TDIBWriter : public TDIB {
 public:
  T_CLASSNAME(TDIBWriter)
  // Raises GIFException "Unsupported PixelFormat" for anything but pf8bit and
  // pf24bit, and "Invalid image dimensions" for a zero size.
  TDIBWriter(TBitmap* Bitmap, TPixelFormat PixelFormat, Integer Width, Integer Height, HPALETTE Palette);
  ~TDIBWriter() override;
  void* RowAddress(Integer Row) override;
  void StoreIntoBitmap();

  static Int64 RowStride(Int64 Width, Integer BitCount) { return ((Width * BitCount + 31) & ~Int64(31)) / 8; }
  // The header block: BITMAPINFOHEADER, then (8 bits) 256 colour quads. Nil
  // until the first row is asked for.
  const BITMAPINFOHEADER* Header() const { return reinterpret_cast<const BITMAPINFOHEADER*>(header_.get()); }
  const RGBQUAD* ColorTable() const {
    return header_ ? reinterpret_cast<const RGBQUAD*>(header_.get() + sizeof(BITMAPINFOHEADER)) : nullptr;
  }

 private:
  void EnsureBits();
  void AllocateBits();
  void ReleaseBits();

  std::unique_ptr<Byte[]> header_;
  std::unique_ptr<Byte[]> bits_;
  Integer headerSize_ = 0;
  Integer bitsSize_ = 0;
  HPALETTE palette_;  // not owned
  Integer height_;
  Integer width_;
};

// Turns palette entries (red, green, blue, flags) into DIB colour quads
// (blue, green, red, 0) in place.
void PaletteEntriesToQuads(void* Entries, Integer Count);
