// DIB row access: reader over a bitmap's scan lines, writer building a packed DIB.
#include "gif/GIFDIB.h"

#include <cstring>
#include <new>

#include "gif/GIFImage.h"

TDIBReader::TDIBReader(TBitmap* Bitmap, TPixelFormat PixelFormat) : TDIB(Bitmap, PixelFormat) {
  bitmap_->SetPixelFormat(PixelFormat);
}

void* TDIBReader::RowAddress(Integer Row) { return bitmap_->ScanLine(Row); }

void PaletteEntriesToQuads(void* Entries, Integer Count) {
  Byte* p = static_cast<Byte*>(Entries);
  for (Integer i = 0; i < Count; ++i, p += 4) {
    Byte red = p[0];
    p[0] = p[2];
    p[2] = red;
    p[3] = 0;
  }
}

TDIBWriter::TDIBWriter(TBitmap* Bitmap, TPixelFormat PixelFormat, Integer Width, Integer Height, HPALETTE Palette)
    : TDIB(Bitmap, PixelFormat), palette_(Palette), height_(Height), width_(Width) {
  if (PixelFormat != pf8bit && PixelFormat != pf24bit) RaiseGIFError("Unsupported PixelFormat");
  // A negative width has no meaning in a DIB header; a negative height would
  // be a top-down DIB.
  if (Width <= 0 || Height == 0) RaiseGIFError("Invalid image dimensions");
}

TDIBWriter::~TDIBWriter() {
  // Destructors must not throw: an explicit StoreIntoBitmap reports failures.
  try {
    StoreIntoBitmap();
  } catch (...) {
  }
  ReleaseBits();
}

void TDIBWriter::ReleaseBits() {
  header_.reset();
  bits_.reset();
  headerSize_ = 0;
  bitsSize_ = 0;
}

void TDIBWriter::EnsureBits() {
  if (!bits_) AllocateBits();
}

void TDIBWriter::AllocateBits() {
  ReleaseBits();
  try {
    const Integer bitCount = pixelFormat_ == pf8bit ? 8 : 24;
    const Integer headerSize = bitCount == 8 ? Integer(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD))
                                             : Integer(sizeof(BITMAPINFOHEADER));
    const Int64 stride = RowStride(width_, bitCount);
    const Int64 rows = height_ < 0 ? -Int64(height_) : Int64(height_);
    const Int64 size = stride * rows;
    // The stored bitmap file carries its size in 32 bits.
    if (size > Int64(0x7FFFFFFF) - 14 - headerSize) throw EOutOfMemory("Failed to allocate memory for GIF DIB");

    header_.reset(new (std::nothrow) Byte[headerSize]());
    if (!header_) throw EOutOfMemory("Failed to allocate memory for GIF DIB");
    headerSize_ = headerSize;
    auto* bih = reinterpret_cast<BITMAPINFOHEADER*>(header_.get());
    bih->biSize = sizeof(BITMAPINFOHEADER);
    bih->biWidth = width_;
    bih->biHeight = height_;
    bih->biPlanes = 1;
    bih->biBitCount = WORD(bitCount);
    bih->biCompression = BI_RGB;
    bih->biSizeImage = 0;
    if (bitCount == 8) {
      WORD entries = 0;
      if (palette_ && ::GetObjectW(palette_, sizeof(entries), &entries) == 0) entries = 0;
      UINT fetched = 0;
      if (entries > 0) {
        fetched = ::GetPaletteEntries(palette_, 0, entries > 256 ? 256 : entries,
                                      reinterpret_cast<PALETTEENTRY*>(header_.get() + sizeof(BITMAPINFOHEADER)));
        PaletteEntriesToQuads(header_.get() + sizeof(BITMAPINFOHEADER), Integer(fetched));
      }
      bih->biClrUsed = 256;
      bih->biClrImportant = fetched;
    }

    bits_.reset(new (std::nothrow) Byte[size_t(size)]);
    if (!bits_) throw EOutOfMemory("Failed to allocate memory for GIF DIB");
    std::memset(bits_.get(), 0, size_t(size));
    bitsSize_ = Integer(size);
  } catch (...) {
    ReleaseBits();
    throw;
  }
}

void* TDIBWriter::RowAddress(Integer Row) {
  EnsureBits();
  if (!bits_) RaiseGIFError("Image has no DIB");
  if (Row < 0 || Row >= height_) throw EInvalidGraphicOperation("Scan line index out of range");
  ::GdiFlush();
  const Int64 stride = RowStride(width_, pixelFormat_ == pf8bit ? 8 : 24);
  const Int64 stored = height_ < 1 ? Row : Int64(height_) - Row - 1;  // rows are kept bottom-up
  return bits_.get() + stride * stored;
}

void TDIBWriter::StoreIntoBitmap() {
  if (!bits_) return;
  TMemoryStream stream;
  BITMAPFILEHEADER bfh{};
  bfh.bfType = 0x4D42;
  bfh.bfSize = DWORD(sizeof(bfh) + headerSize_ + bitsSize_);
  bfh.bfOffBits = DWORD(sizeof(bfh) + headerSize_);
  stream.WriteBuffer(&bfh, sizeof(bfh));
  stream.WriteBuffer(header_.get(), headerSize_);
  stream.WriteBuffer(bits_.get(), bitsSize_);
  stream.SetPosition(0);
  bitmap_->LoadFromStream(&stream);
  // Stored once: later calls (and the destructor) do nothing.
  ReleaseBits();
}
