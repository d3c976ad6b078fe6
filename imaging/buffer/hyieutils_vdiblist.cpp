// The virtual DIB list: many small device-independent bitmaps in one growing
// memory-mapped file, at most a few of them mapped at a time.
#include <algorithm>
#include <vector>

#include "imaging/buffer/hyieutils.h"
#include "platform/Graphics.h"

namespace {
constexpr uint64_t kGranule = 65536;

// Colour entries after the 40-byte header: a full table for 4- and 8-bit
// blocks (their pixels are palette indexes), else the two entries black and
// white, so that 1- and 24-bit rows start at offset 48.
Integer ColourEntries(Integer bits) { return bits == 4 || bits == 8 ? 1 << bits : 2; }
size_t RowsOffset(Integer bits) { return 40 + 4 * static_cast<size_t>(ColourEntries(bits)); }
// 15-bit pixels take 16 bits of storage.
Cardinal BlockRowLength(Integer w, Integer bits) { return AlignedRowLength(w, bits == 15 ? 16 : bits); }

void WriteHeader(Byte* view, Integer w, Integer h, Integer bits) {
  const size_t offset = RowsOffset(bits);
  std::memset(view, 0, offset);
  auto* hdr = reinterpret_cast<BITMAPINFOHEADER*>(view);
  hdr->biSize = 40;
  hdr->biWidth = w;
  hdr->biHeight = h;
  hdr->biPlanes = 1;
  hdr->biBitCount = static_cast<WORD>(bits);
  hdr->biCompression = BI_RGB;
  const Integer n = ColourEntries(bits);
  if (n > 2) {
    // A grey ramp until a bitmap's own palette is written.
    hdr->biClrUsed = static_cast<DWORD>(n);
    for (Integer i = 0; i < n; ++i) {
      const Byte v = static_cast<Byte>(i * 255 / (n - 1));
      view[40 + 4 * i] = view[41 + 4 * i] = view[42 + 4 * i] = v;
    }
  } else {
    view[44] = view[45] = view[46] = 255;  // colour entry 1: white
  }
}

TPixelFormat FormatOfBits(Integer bits) {
  switch (bits) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 15: return pf15bit;
    case 16: return pf16bit;
    case 32: return pf32bit;
    default: return pf24bit;
  }
}
}  // namespace

TIEVirtualDIBList::TIEVirtualDIBList() : file_(std::make_unique<TIEMemoryMapped>()) {
  scratch_.Header.biSize = 40;
  scratch_.Header.biPlanes = 1;
  scratch_.Header.biCompression = BI_RGB;
  scratch_.Colors[1] = RGBQUAD{255, 255, 255, 0};
  ResetFile();
}

TIEVirtualDIBList::~TIEVirtualDIBList() { ClearList(); }

void TIEVirtualDIBList::UnmapRecord(TIEVirtualImage* Image) {
  if (!Image->View) return;
  file_->UnmapView(Image->View);
  Image->View = nullptr;
  auto it = std::find(mapped_.begin(), mapped_.end(), Image);
  if (it != mapped_.end()) mapped_.erase(it);
  --viewCount_;
}

void TIEVirtualDIBList::SetMaxMappedViews(Integer N) {
  maxViews_ = N < 1 ? 1 : N;
  while (viewCount_ > maxViews_ && !mapped_.empty()) UnmapRecord(mapped_.front());
}

void TIEVirtualDIBList::MapRecord(TIEVirtualImage* Image) {
  if (Image->View) {
    auto it = std::find(mapped_.begin(), mapped_.end(), Image);
    if (it != mapped_.end()) mapped_.erase(it);
    mapped_.push_back(Image);
    return;
  }
  while (viewCount_ + 1 > maxViews_ && !mapped_.empty()) UnmapRecord(mapped_.front());
  Image->View = static_cast<Byte*>(file_->MapView(Image->Offset, Image->BlockSize));
  if (!Image->View) return;
  ++viewCount_;
  mapped_.push_back(Image);
}

bool TIEVirtualDIBList::ResetFile() {
  free_.clear();
  if (file_->IsOpen()) {
    for (TIEVirtualImage* im : images_) UnmapRecord(im);
    return file_->ResizeMappedFile(fileSize_);
  }
  ClearList();
  return file_->CreateMappedTempFile(std::string(), fileSize_);
}

bool TIEVirtualDIBList::AllocateBlock(TIEVirtualImage* Image, Integer Width, Integer Height, Integer Bits) {
  if (Width < 0 || Height < 0) return false;
  const uint64_t data = RowsOffset(Bits) + static_cast<uint64_t>(BlockRowLength(Width, Bits)) * static_cast<uint32_t>(Height);
  const uint64_t need = (data + kGranule - 1) & ~(kGranule - 1);
  if (need > 0xFFFFFFFFull) return false;  // a block size is held in 32 bits
  if (!file_->IsOpen() && !ResetFile()) return false;  // after ClearList the file is made again

  const TIEVirtualImage before = *Image;
  const uint64_t savedEnd = endOffset_;
  bool fromFree = false;
  FreeBlock taken{};
  uint64_t newEnd = 0;
  auto fit = std::find_if(free_.begin(), free_.end(), [&](const FreeBlock& f) { return f.Size >= need; });
  if (fit != free_.end()) {
    taken = *fit;
    free_.erase(fit);
    endOffset_ = taken.Offset;
    fromFree = true;
  } else {
    if (growth_ < need) growth_ = lastBlockSize_ + need;
    lastBlockSize_ = need;
    newEnd = endOffset_ + need;
    if (newEnd < endOffset_) return false;  // 64-bit overflow
    if (newEnd > fileSize_) {
      const uint64_t oldSize = fileSize_;
      fileSize_ += growth_;
      if (!ResetFile()) {
        fileSize_ = oldSize;
        file_->ResizeMappedFile(fileSize_);
        return false;
      }
    }
  }
  Image->Offset = endOffset_;
  Image->DataSize = static_cast<Cardinal>(data);
  Image->BlockSize = static_cast<Cardinal>(need);
  Image->View = nullptr;
  Image->CheckedOut = false;
  Image->SourceWidth = Width;
  Image->SourceHeight = Height;
  MapRecord(Image);
  if (!Image->View) {
    // Without a view nothing is written and nothing is given out, so no two
    // blocks can ever overlap.
    if (fromFree) free_.push_back(taken);
    endOffset_ = savedEnd;
    *Image = before;
    Image->View = nullptr;
    return false;
  }
  WriteHeader(Image->View, Width, Height, Bits);
  endOffset_ = fromFree ? savedEnd : newEnd;
  return true;
}

TIEVirtualImage* TIEVirtualDIBList::AddBlank(Integer Width, Integer Height, Integer Bits) {
  auto* im = new TIEVirtualImage;
  if (!AllocateBlock(im, Width, Height, Bits)) {
    delete im;
    return nullptr;
  }
  images_.push_back(im);
  return im;
}

TIEVirtualImage* TIEVirtualDIBList::AddImage(TIEBitmap* Bitmap) {
  if (!Bitmap) return nullptr;
  TIEBitmap converted;
  if (Bitmap->PixelKind() != ipkBW1 && Bitmap->PixelKind() != ipkRGB24) {
    // Blocks hold 1- or 24-bit DIBs; other kinds are stored as 24 bits.
    converted.SetLocation(islMemory);
    converted.CopyPixelsFrom(Bitmap);
    converted.ConvertToKind(ipkRGB24);
    Bitmap = &converted;
  }
  TIEVirtualImage* im = AddBlank(Bitmap->Width(), Bitmap->Height(), Bitmap->BitsPerPixel());
  if (!im || !im->View) return im;
  const Integer h = Bitmap->Height();
  const size_t rl = static_cast<size_t>(Bitmap->RowLength());
  for (Integer k = 0; k < h; ++k) {
    const void* src = Bitmap->GetRowPointer(h - 1 - k);
    std::memcpy(im->View + RowsOffset(Bitmap->BitsPerPixel()) + rl * k, src, rl);
  }
  return im;
}

TIEVirtualDIBList::CheckedOut* TIEVirtualDIBList::FindEntry(TIEVirtualImage* Image) {
  for (auto& e : checkedOut_)
    if (e.Image == Image) return &e;
  return nullptr;
}

void TIEVirtualDIBList::DropRecord(TIEVirtualImage* Image) {
  for (auto it = checkedOut_.begin(); it != checkedOut_.end(); ++it)
    if (it->Image == Image) {
      delete it->Bitmap;
      checkedOut_.erase(it);
      break;
    }
  UnmapRecord(Image);
  auto it = std::find(images_.begin(), images_.end(), Image);
  if (it != images_.end()) images_.erase(it);
  delete Image;
}

void TIEVirtualDIBList::DeleteImage(TIEVirtualImage* Image) {
  if (!Image || std::find(images_.begin(), images_.end(), Image) == images_.end()) return;
  free_.push_back(FreeBlock{Image->Offset, Image->BlockSize});
  DropRecord(Image);
  if (images_.empty()) {
    fileSize_ = growth_;
    endOffset_ = 0;
    ResetFile();
  }
}

void TIEVirtualDIBList::ReadIntoBitmap(TIEVirtualImage* Image, TBitmap* Bitmap) {
  if (!Image || !Bitmap) return;
  MapRecord(Image);
  if (!Image->View) return;
  const auto* hdr = reinterpret_cast<const BITMAPINFOHEADER*>(Image->View);
  const Integer w = hdr->biWidth, h = hdr->biHeight, bits = hdr->biBitCount;
  // The bitmap takes the block's own depth: rows of another depth read as
  // 24-bit pixels would be garbage.
  const TPixelFormat pf = FormatOfBits(bits);
  if (Bitmap->PixelFormat() != pf || Bitmap->Width() != w || Bitmap->Height() != h) {
    Bitmap->SetSize(1, 1);
    Bitmap->SetPixelFormat(pf);
    Bitmap->SetSize(w, h);
  }
  const Integer colours = ColourEntries(bits);
  if (colours > 2) {
    std::vector<PALETTEENTRY> entries(static_cast<size_t>(colours));
    const Byte* table = Image->View + 40;
    for (Integer i = 0; i < colours; ++i)
      entries[i] = PALETTEENTRY{table[4 * i + 2], table[4 * i + 1], table[4 * i], 0};
    Bitmap->SetPalette(CreatePaletteFromEntries(entries));
  }
  const size_t rl = BlockRowLength(w, bits);
  const Byte* rows = Image->View + RowsOffset(bits);
  for (Integer k = 0; k < h; ++k) std::memcpy(Bitmap->ScanLine(h - 1 - k), rows + rl * k, rl);
}

void TIEVirtualDIBList::WriteFromBitmap(TIEVirtualImage* Image, TBitmap* Bitmap) {
  if (!Image || !Bitmap) return;
  MapRecord(Image);
  if (!Image->View) return;
  const auto* hdr = reinterpret_cast<const BITMAPINFOHEADER*>(Image->View);
  const Integer w = Bitmap->Width(), h = Bitmap->Height();
  const Integer bits = VclPixelFormatBits(Bitmap->PixelFormat());
  if (w != hdr->biWidth || h != hdr->biHeight || bits != hdr->biBitCount) {
    UnmapRecord(Image);
    const TIEVirtualImage keep = *Image;
    if (!AllocateBlock(Image, w, h, bits)) return;  // the old block stays the image's
    Image->SourceWidth = keep.SourceWidth;
    Image->SourceHeight = keep.SourceHeight;
  }
  const Integer colours = ColourEntries(bits);
  if (colours > 2) {
    std::vector<PALETTEENTRY> entries(static_cast<size_t>(colours), PALETTEENTRY{0, 0, 0, 0});
    if (HPALETTE pal = Bitmap->Palette()) {
      const Integer n = std::min(colours, PaletteEntryCount(pal));
      if (n > 0) ::GetPaletteEntries(pal, 0, static_cast<UINT>(n), entries.data());
    }
    Byte* table = Image->View + 40;
    for (Integer i = 0; i < colours; ++i) {
      table[4 * i] = entries[i].peBlue;
      table[4 * i + 1] = entries[i].peGreen;
      table[4 * i + 2] = entries[i].peRed;
      table[4 * i + 3] = 0;
    }
  }
  const size_t rl = BlockRowLength(w, bits);
  Byte* rows = Image->View + RowsOffset(bits);
  for (Integer k = 0; k < h; ++k) std::memcpy(rows + rl * k, Bitmap->ScanLine(h - 1 - k), rl);
}

TBitmap* TIEVirtualDIBList::CheckOutBitmap(TIEVirtualImage* Image) {
  if (!Image) return nullptr;
  MapRecord(Image);
  if (!Image->View) return nullptr;
  TBitmap* bmp;
  if (CheckedOut* e = FindEntry(Image)) {
    ++e->Count;
    bmp = e->Bitmap;
  } else {
    bmp = new TBitmap;
    checkedOut_.push_back(CheckedOut{Image, bmp, 1});
    ReadIntoBitmap(Image, bmp);
  }
  Image->CheckedOut = true;
  return bmp;
}

void TIEVirtualDIBList::ReleaseBitmap(TBitmap* Bitmap, bool WriteBack) {
  if (!Bitmap) return;
  auto it = std::find_if(checkedOut_.begin(), checkedOut_.end(), [&](const CheckedOut& e) { return e.Bitmap == Bitmap; });
  if (it == checkedOut_.end()) return;
  TIEVirtualImage* im = it->Image;
  --it->Count;
  if (WriteBack) WriteFromBitmap(im, Bitmap);
  // WriteFromBitmap does not touch the entry list, so the iterator still holds.
  if (it->Count <= 0) {
    im->CheckedOut = false;
    delete it->Bitmap;
    checkedOut_.erase(it);
  }
}

void TIEVirtualDIBList::ReleaseBitmapOf(TIEVirtualImage* Image, bool WriteBack) {
  if (CheckedOut* e = FindEntry(Image)) ReleaseBitmap(e->Bitmap, WriteBack);
}

Integer TIEVirtualDIBList::ImageWidth(TIEVirtualImage* Image) {
  if (!Image) return 0;
  if (CheckedOut* e = FindEntry(Image)) return e->Bitmap->Width();
  MapRecord(Image);
  return Image->View ? reinterpret_cast<BITMAPINFOHEADER*>(Image->View)->biWidth : 0;
}

Integer TIEVirtualDIBList::ImageHeight(TIEVirtualImage* Image) {
  if (!Image) return 0;
  if (CheckedOut* e = FindEntry(Image)) return e->Bitmap->Height();
  MapRecord(Image);
  return Image->View ? reinterpret_cast<BITMAPINFOHEADER*>(Image->View)->biHeight : 0;
}

Integer TIEVirtualDIBList::ImageBitCount(TIEVirtualImage* Image) {
  if (!Image) return 0;
  if (CheckedOut* e = FindEntry(Image)) return VclPixelFormatBits(e->Bitmap->PixelFormat());
  MapRecord(Image);
  return Image->View ? reinterpret_cast<BITMAPINFOHEADER*>(Image->View)->biBitCount : 0;
}

void* TIEVirtualDIBList::ImageBits(TIEVirtualImage* Image) {
  if (!Image) return nullptr;
  if (CheckedOut* e = FindEntry(Image))
    return e->Bitmap->Height() > 0 ? e->Bitmap->ScanLine(e->Bitmap->Height() - 1) : nullptr;
  MapRecord(Image);
  return Image->View ? Image->View + RowsOffset(reinterpret_cast<BITMAPINFOHEADER*>(Image->View)->biBitCount) : nullptr;
}

BITMAPINFOHEADER* TIEVirtualDIBList::ImageHeader(TIEVirtualImage* Image) {
  if (!Image) return nullptr;
  if (CheckedOut* e = FindEntry(Image)) {
    scratch_.Header.biSize = 40;
    scratch_.Header.biWidth = e->Bitmap->Width();
    scratch_.Header.biHeight = e->Bitmap->Height();
    scratch_.Header.biPlanes = 1;
    scratch_.Header.biBitCount = static_cast<WORD>(VclPixelFormatBits(e->Bitmap->PixelFormat()));
    scratch_.Header.biCompression = BI_RGB;
    scratch_.Colors[1] = RGBQUAD{255, 255, 255, 0};
    return &scratch_.Header;
  }
  MapRecord(Image);
  return reinterpret_cast<BITMAPINFOHEADER*>(Image->View);
}

void TIEVirtualDIBList::ClearList() {
  for (auto& e : checkedOut_) delete e.Bitmap;
  checkedOut_.clear();
  for (TIEVirtualImage* im : images_) delete im;
  images_.clear();
  mapped_.clear();
  free_.clear();
  viewCount_ = 0;
  file_->Close();
  endOffset_ = 0;
}
