// Platform bitmaps, DIB sections and scratch bitmaps: attaching, importing
// and exporting platform bitmaps, palette synchronisation, TIEDibbitmap and
// TIEWorkBitmap.
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "imaging/buffer/hyieutils.h"
#include "platform/Graphics.h"

namespace {
std::vector<PALETTEENTRY> ReadPalette(TBitmap* Bitmap, Integer Count) {
  std::vector<PALETTEENTRY> entries(static_cast<size_t>(Count), PALETTEENTRY{0, 0, 0, 0});
  if (HPALETTE pal = Bitmap->Palette()) {
    const Integer n = std::min(Count, PaletteEntryCount(pal));
    if (n > 0) ::GetPaletteEntries(pal, 0, static_cast<UINT>(n), entries.data());
  }
  return entries;
}

void SetBitmapPalette(TBitmap* Bitmap, const std::vector<PALETTEENTRY>& Entries) {
  Bitmap->SetPalette(CreatePaletteFromEntries(Entries));
}

std::vector<PALETTEENTRY> GreyRamp() {
  std::vector<PALETTEENTRY> e(256);
  for (int i = 0; i < 256; ++i) e[i] = PALETTEENTRY{Byte(i), Byte(i), Byte(i), 0};
  return e;
}

TIEPixelKind KindOfFormat(TPixelFormat F) {
  switch (F) {
    case pf1bit: return ipkBW1;
    case pf8bit: return ipkPal8;
    default: return ipkRGB24;
  }
}
}  // namespace

void TIEBitmap::BuildRowPointers() {
  rowPointers_.assign(static_cast<size_t>(std::max(height_, 0)), nullptr);
  if (!vclBitmap_) return;
  for (Integer r = 0; r < height_; ++r) rowPointers_[r] = static_cast<Byte*>(vclBitmap_->ScanLine(r));
}

void TIEBitmap::AllocateVclStorage() {
  if (!vclBitmap_) {
    vclBitmap_ = new TBitmap;
    borrowed_ = false;
  }
  if (kind_ == ipkGray16) kind_ = ipkGray8;  // the platform bitmap has no 16-bit grey
  if (kind_ == ipkNone || width_ <= 0 || height_ <= 0) {
    bitsPerPixel_ = rowLength_ = 0;
    rowPointers_.clear();
    return;
  }
  bitsPerPixel_ = IEPixelKindBits[kind_];
  rowLength_ = static_cast<Integer>(AlignedRowLength(width_, bitsPerPixel_));
  vclBitmap_->SetSize(1, 1);
  switch (kind_) {
    case ipkBW1: vclBitmap_->SetPixelFormat(pf1bit); break;
    case ipkPal8:
    case ipkGray8: vclBitmap_->SetPixelFormat(pf8bit); break;
    default: vclBitmap_->SetPixelFormat(pf24bit); break;
  }
  if (kind_ == ipkGray8) SetBitmapPalette(vclBitmap_, GreyRamp());  // so the platform bitmap shows grey
  vclBitmap_->SetSize(width_, height_);
  if (kind_ == ipkPal8 && !palette_) {
    palette_ = std::make_unique<TIEColorTriple[]>(256);
    paletteCount_ = 256;
  }
  BuildRowPointers();
}

void TIEBitmap::AttachTBitmap(TBitmap* Bitmap, bool ReleaseFirst) {
  if (ReleaseFirst) FreeImage();
  if (!Bitmap) return;
  const TPixelFormat f = Bitmap->PixelFormat();
  if (f == pf1bit || f == pf24bit || Bitmap->Empty()) {
    // Rows the kinds describe: the bitmap itself is the storage.
    if (vclBitmap_ && vclBitmap_ != Bitmap && !borrowed_) delete vclBitmap_;  // an owned bitmap would leak
    vclBitmap_ = Bitmap;
    borrowed_ = true;
  } else if (vclBitmap_ == Bitmap && !borrowed_) {
    vclBitmap_->SetPixelFormat(pf24bit);  // our own bitmap
  } else {
    // Rows of another depth: work on a 24-bit copy of our own. The caller's
    // bitmap keeps its format and pixels; whoever changes the picture and
    // wants it back there writes it back (the processing component does).
    if (!vclBitmap_ || borrowed_) vclBitmap_ = new TBitmap;
    borrowed_ = false;
    CopyTBitmap(Bitmap, vclBitmap_);
    if (f == pf4bit || f == pf8bit) {
      const Integer n = f == pf4bit ? 16 : 256;
      vclBitmap_->SetPalette(CreatePaletteFromEntries(ReadPalette(Bitmap, n)));
    }
    vclBitmap_->SetPixelFormat(pf24bit);
  }
  location_ = islVCLBitmap;
  width_ = vclBitmap_->Width();
  height_ = vclBitmap_->Height();
  kind_ = vclBitmap_->PixelFormat() == pf1bit ? ipkBW1 : ipkRGB24;
  palette_.reset();
  paletteCount_ = 0;
  bitsPerPixel_ = IEPixelKindBits[kind_];
  rowLength_ = static_cast<Integer>(AlignedRowLength(width_, bitsPerPixel_));
  BuildRowPointers();
}

void TIEBitmap::ImportFromTBitmap(TBitmap* Bitmap) {
  if (!Bitmap) return;
  if (location_ == islVCLBitmap) {
    if (!vclBitmap_) {
      vclBitmap_ = new TBitmap;
      borrowed_ = false;
    }
    alpha_.reset();
    CopyTBitmap(Bitmap, vclBitmap_);
    const TPixelFormat f = vclBitmap_->PixelFormat();
    // Kinds describe 1-, 8- and 24-bit rows; other formats are widened to 24 bits.
    if (f != pf1bit && f != pf8bit && f != pf24bit && !vclBitmap_->Empty()) vclBitmap_->SetPixelFormat(pf24bit);
    width_ = vclBitmap_->Width();
    height_ = vclBitmap_->Height();
    kind_ = KindOfFormat(vclBitmap_->PixelFormat());
    palette_.reset();
    paletteCount_ = 0;
    if (kind_ == ipkPal8) {
      palette_ = std::make_unique<TIEColorTriple[]>(256);
      paletteCount_ = 256;
      const auto entries = ReadPalette(Bitmap, 256);
      for (int i = 0; i < 256; ++i) palette_[i] = MakeColorTriple(entries[i].peRed, entries[i].peGreen, entries[i].peBlue);
      SyncVCLPalette();
    }
    bitsPerPixel_ = IEPixelKindBits[kind_];
    rowLength_ = static_cast<Integer>(AlignedRowLength(width_, bitsPerPixel_));
    BuildRowPointers();
    alphaFull_ = false;
    return;
  }
  const TPixelFormat f = Bitmap->PixelFormat();
  const Integer w = Bitmap->Width(), h = Bitmap->Height();
  auto readPalette = [&](Integer n) {
    const auto entries = ReadPalette(Bitmap, n);
    for (Integer i = 0; i < n; ++i) palette_[i] = MakeColorTriple(entries[i].peRed, entries[i].peGreen, entries[i].peBlue);
  };
  switch (f) {
    case pf1bit:
      if (Bitmap->Monochrome()) {
        AllocateImage(w, h, ipkBW1);
        for (Integer r = 0; r < height_; ++r)
          std::memcpy(GetRowPointer(r), Bitmap->ScanLine(r), static_cast<size_t>(rowLength_));
      } else {
        AllocateImage(w, h, ipkPal8);
        if (palette_) readPalette(2);
        for (Integer r = 0; r < height_; ++r) {
          const Byte* s = static_cast<const Byte*>(Bitmap->ScanLine(r));
          Byte* d = static_cast<Byte*>(GetRowPointer(r));
          for (Integer x = 0; x < width_; ++x) d[x] = TestBit(s, x) ? 1 : 0;
        }
      }
      break;
    case pf4bit:
      AllocateImage(w, h, ipkPal8);
      if (palette_) readPalette(16);
      for (Integer r = 0; r < height_; ++r) {
        const Byte* s = static_cast<const Byte*>(Bitmap->ScanLine(r));
        Byte* d = static_cast<Byte*>(GetRowPointer(r));
        for (Integer x = 0; x < width_; ++x) d[x] = (x & 1) ? (s[x >> 1] & 0x0F) : (s[x >> 1] >> 4);
      }
      break;
    case pf8bit:
      AllocateImage(w, h, ipkPal8);
      if (palette_) readPalette(256);
      for (Integer r = 0; r < height_; ++r)
        std::memcpy(GetRowPointer(r), Bitmap->ScanLine(r), static_cast<size_t>(rowLength_));
      break;
    case pf15bit:
    case pf16bit:
      AllocateImage(w, h, ipkRGB24);
      for (Integer r = 0; r < height_; ++r) {
        const Byte* s = static_cast<const Byte*>(Bitmap->ScanLine(r));
        Byte* d = static_cast<Byte*>(GetRowPointer(r));
        for (Integer x = 0; x < width_; ++x) {
          const Word v = static_cast<Word>(s[2 * x] | (s[2 * x + 1] << 8));
          Byte red, green, blue;
          if (f == pf15bit) {
            red = static_cast<Byte>(((v >> 10) & 31) << 3);
            green = static_cast<Byte>(((v >> 5) & 31) << 3);
          } else {
            red = static_cast<Byte>((v >> 11) << 3);
            green = static_cast<Byte>(((v >> 5) & 63) << 2);
          }
          blue = static_cast<Byte>((v & 31) << 3);
          d[3 * x] = blue;
          d[3 * x + 1] = green;
          d[3 * x + 2] = red;
        }
      }
      break;
    case pf24bit:
      AllocateImage(w, h, ipkRGB24);
      for (Integer r = 0; r < height_; ++r)
        std::memcpy(GetRowPointer(r), Bitmap->ScanLine(r), static_cast<size_t>(rowLength_));
      break;
    case pf32bit:
      AllocateImage(w, h, ipkRGB24);
      for (Integer r = 0; r < height_; ++r) {
        const Byte* s = static_cast<const Byte*>(Bitmap->ScanLine(r));
        Byte* d = static_cast<Byte*>(GetRowPointer(r));
        for (Integer x = 0; x < width_; ++x) std::memcpy(d + 3 * x, s + 4 * x, 3);
      }
      break;
    default:
      break;
  }
  alphaFull_ = false;
}

void TIEBitmap::ExportToTBitmap(TBitmap* Bitmap) {
  if (!Bitmap) return;
  Bitmap->SetSize(1, 1);
  switch (kind_) {
    case ipkBW1: {
      Bitmap->SetPixelFormat(pf1bit);
      std::vector<PALETTEENTRY> e{{0, 0, 0, 0}, {255, 255, 255, 0}};
      SetBitmapPalette(Bitmap, e);
      Bitmap->SetMonochrome(true);
      break;
    }
    case ipkPal8: {
      Bitmap->SetPixelFormat(pf8bit);
      std::vector<PALETTEENTRY> e(256);
      for (int i = 0; i < 256; ++i) {
        const TIEColorTriple t = PaletteEntry(i);
        e[i] = PALETTEENTRY{t.Red, t.Green, t.Blue, 0};
      }
      SetBitmapPalette(Bitmap, e);
      break;
    }
    case ipkGray8:
      Bitmap->SetPixelFormat(pf8bit);
      SetBitmapPalette(Bitmap, GreyRamp());
      break;
    case ipkGray16:
      Bitmap->SetPixelFormat(pf8bit);
      SetBitmapPalette(Bitmap, GreyRamp());
      Bitmap->SetSize(width_, height_);
      for (Integer r = 0; r < height_; ++r) {
        const Byte* s = static_cast<const Byte*>(GetRowPointer(r));
        Byte* d = static_cast<Byte*>(Bitmap->ScanLine(r));
        for (Integer x = 0; x < width_; ++x) d[x] = s[2 * x + 1];
      }
      return;
    case ipkRGB24: Bitmap->SetPixelFormat(pf24bit); break;
    default: break;
  }
  Bitmap->SetSize(width_, height_);
  if (kind_ == ipkNone) return;
  for (Integer r = 0; r < height_; ++r) {
    const void* s = GetRowPointer(r);
    std::memcpy(Bitmap->ScanLine(r), s, static_cast<size_t>(rowLength_));
  }
}

void TIEBitmap::SyncVCLPalette() {
  if (location_ != islVCLBitmap || paletteCount_ < 1 || !vclBitmap_ || !palette_) return;
  std::vector<PALETTEENTRY> e(static_cast<size_t>(paletteCount_));
  for (Integer i = 0; i < paletteCount_; ++i) e[i] = PALETTEENTRY{palette_[i].Red, palette_[i].Green, palette_[i].Blue, 0};
  SetBitmapPalette(vclBitmap_, e);
  // Palette changes may replace the pixel memory.
  BuildRowPointers();
}

void TIEBitmap::CopyFromDibbitmap(TIEDibbitmap* Dib) {
  if (!Dib) return;
  const TIEPixelKind k = Dib->GetBitsPerPixel() == 1 ? ipkBW1 : ipkRGB24;
  if (location_ == islVCLBitmap) {
    alpha_.reset();
    palette_.reset();
    paletteCount_ = 0;
    width_ = Dib->GetWidth();
    height_ = Dib->GetHeight();
    kind_ = k;
    AllocateVclStorage();
  } else {
    AllocateImage(Dib->GetWidth(), Dib->GetHeight(), k);
  }
  if (!Dib->Bits() || kind_ == ipkNone) return;
  const size_t bytes = static_cast<size_t>(std::min(rowLength_, Dib->GetRowLength()));
  for (Integer r = 0; r < height_; ++r) std::memcpy(GetRowPointer(r), Dib->GetRowPointer(r), bytes);
}

// ---------------------------------------------------------------------------

void CopyTBitmap(TBitmap* Source, TBitmap* Dest) {
  if (!Source || !Dest || Source == Dest) return;
  const TPixelFormat f = Source->PixelFormat();
  if (f == pfDevice || f == pfCustom) {
    Dest->Assign(Source);  // no rows to copy
    return;
  }
  Dest->SetSize(1, 1);
  Dest->SetPixelFormat(f);
  if (Source->Width() > 0 && Source->Height() > 0) {
    Dest->SetSize(Source->Width(), Source->Height());
    // Row by row, with the storage's own bit count (15-bit pixels take 16 bits).
    const size_t bytes = AlignedRowLength(Source->Width(), f == pf15bit ? 16 : VclPixelFormatBits(f));
    for (Integer r = 0; r < Source->Height(); ++r) std::memcpy(Dest->ScanLine(r), Source->ScanLine(r), bytes);
  }
}

TBitmap* CloneTBitmap(TBitmap* Bitmap) {
  auto* b = new TBitmap;
  try {
    CopyTBitmap(Bitmap, b);
  } catch (...) {
    delete b;
    throw;
  }
  return b;
}

// ---------------------------------------------------------------------------
// TIEDibbitmap

TIEDibbitmap::TIEDibbitmap() {
  info_.Header.biSize = sizeof(BITMAPINFOHEADER);
  info_.Header.biPlanes = 1;
  info_.Header.biCompression = BI_RGB;
  info_.Colors[1] = RGBQUAD{255, 255, 255, 0};
}

TIEDibbitmap::~TIEDibbitmap() { FreeDIB(); }

void TIEDibbitmap::AllocateDIB(Integer Width, Integer Height, Integer Bits) {
  if (Width == 0 || Height == 0 || (Bits != 1 && Bits != 24)) return;
  FreeDIB();
  width_ = Width;
  height_ = Height;
  bitCount_ = Bits;
  rowLength_ = static_cast<Integer>(AlignedRowLength(Width, Bits));
  dc_ = ::CreateCompatibleDC(nullptr);
  info_.Header.biWidth = Width;
  info_.Header.biHeight = Height;
  info_.Header.biBitCount = static_cast<WORD>(Bits);
  info_.Header.biSizeImage = static_cast<DWORD>(rowLength_) * static_cast<DWORD>(Height);
  void* bits = nullptr;
  section_ = ::CreateDIBSection(dc_, reinterpret_cast<BITMAPINFO*>(&info_), DIB_RGB_COLORS, &bits, nullptr, 0);
  bits_ = static_cast<Byte*>(bits);
  if (section_ && dc_) oldBitmap_ = ::SelectObject(dc_, section_);
}

void TIEDibbitmap::FreeDIB() {
  if (dc_ && oldBitmap_) ::SelectObject(dc_, oldBitmap_);
  oldBitmap_ = nullptr;
  if (section_) ::DeleteObject(section_);
  section_ = nullptr;
  if (dc_) ::DeleteDC(dc_);
  dc_ = nullptr;
  bits_ = nullptr;
  width_ = height_ = bitCount_ = rowLength_ = 0;
}

void* TIEDibbitmap::GetRowPointer(Integer Row) {
  if (!bits_) return nullptr;
  return bits_ + static_cast<size_t>(rowLength_) * static_cast<size_t>(height_ - 1 - Row);
}

TIEPixelKind TIEDibbitmap::GetPixelKind() const {
  return bitCount_ == 1 ? ipkBW1 : (bitCount_ == 24 ? ipkRGB24 : ipkNone);
}

void TIEDibbitmap::AllocateImage(Integer Width, Integer Height, TIEPixelKind Kind) {
  if (Kind == ipkBW1)
    AllocateDIB(Width, Height, 1);
  else if (Kind == ipkRGB24)
    AllocateDIB(Width, Height, 24);
}

void TIEDibbitmap::CopyFromObject(TObject* Source) {
  auto* d = dynamic_cast<TIEDibbitmap*>(Source);
  if (!d || d == this) return;
  AllocateDIB(d->width_, d->height_, d->bitCount_);
  if (bits_ && d->bits_) std::memcpy(bits_, d->bits_, static_cast<size_t>(rowLength_) * static_cast<size_t>(height_));
}

// ---------------------------------------------------------------------------
// TIEWorkBitmap

TIEWorkBitmap::TIEWorkBitmap(Integer Width, Integer Height, Integer Bits) {
  if (Width > 0 && Height > 0) AllocateWorkBitmap(Width, Height, Bits);
}

void TIEWorkBitmap::AllocateWorkBitmap(Integer Width, Integer Height, Integer Bits) {
  if (Width == width_ && Height == height_ && Bits == bits_ && block_) return;
  FreeWorkBitmap();
  width_ = Width;
  height_ = Height;
  bits_ = Bits;
  rowLength_ = static_cast<Integer>(AlignedRowLength(Width, Bits));
  const size_t size = static_cast<size_t>(rowLength_) * static_cast<size_t>(std::max(Height, 0));
  if (size > 0) {
    block_ = static_cast<Byte*>(std::malloc(size));
    if (!block_) {
      width_ = height_ = bits_ = rowLength_ = 0;
      throw EOutOfMemory("Out of memory");
    }
  }
}

void TIEWorkBitmap::FreeWorkBitmap() {
  std::free(block_);
  block_ = nullptr;
  width_ = height_ = bits_ = rowLength_ = 0;
}
