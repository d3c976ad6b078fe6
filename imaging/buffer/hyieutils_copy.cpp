// Image buffer copies, resizing, block moves, blits, fills, single pixels and
// the exchange with selection masks.
#include <algorithm>
#include <vector>

#include "imaging/buffer/hyieutils.h"
#include "platform/Graphics.h"

namespace {
Integer BytesPerPixel(TIEPixelKind k) {
  switch (k) {
    case ipkPal8:
    case ipkGray8: return 1;
    case ipkGray16: return 2;
    case ipkRGB24: return 3;
    default: return 0;
  }
}

void CopyRow(Byte* dst, const Byte* src, TIEPixelKind dstKind, TIEPixelKind srcKind, Integer width, size_t bytes) {
  if (srcKind == ipkGray16 && dstKind == ipkGray8) {
    for (Integer x = 0; x < width; ++x) dst[x] = src[2 * x + 1];  // the platform bitmap keeps 8-bit grey
  } else {
    std::memcpy(dst, src, bytes);
  }
}
}  // namespace

void TIEBitmap::CopyFromObject(TObject* Source) {
  if (auto* b = dynamic_cast<TIEBitmap*>(Source))
    CopyBitmapContent(b, true);
  else if (auto* v = dynamic_cast<TBitmap*>(Source))
    ImportFromTBitmap(v);
}

void TIEBitmap::CopyPixelsFrom(TIEBitmap* Source) { CopyBitmapContent(Source, false); }

void TIEBitmap::CopyBitmapContent(TIEBitmap* Source, bool WithAlpha) {
  if (!Source || Source == this) return;
  if (location_ == islVCLBitmap) {
    alpha_.reset();
    palette_.reset();
    paletteCount_ = 0;
    width_ = Source->width_;
    height_ = Source->height_;
    kind_ = Source->kind_;
    if (kind_ == ipkPal8) {
      palette_ = std::make_unique<TIEColorTriple[]>(256);
      paletteCount_ = 256;
    }
    AllocateVclStorage();
  } else {
    FreeImage();
    width_ = Source->width_;
    height_ = Source->height_;
    kind_ = Source->kind_;
    AllocateStorage();
  }
  if (kind_ != ipkNone && width_ > 0 && height_ > 0 && Source->height_ > 0) {
    const uint64_t total = static_cast<uint64_t>(static_cast<uint32_t>(rowLength_)) * static_cast<uint32_t>(height_);
    if (location_ == islMappedFile && Source->location_ == islMappedFile && rowLength_ == Source->rowLength_) {
      Source->mapped_->CopyMappedRange(mapped_.get(), 0, total);
    } else {
      const size_t bytes = static_cast<size_t>(std::min(rowLength_, Source->rowLength_));
      for (Integer r = 0; r < height_; ++r) {
        const Byte* src = static_cast<const Byte*>(Source->GetRowPointer(r));
        CopyRow(static_cast<Byte*>(GetRowPointer(r)), src, kind_, Source->kind_, width_, bytes);
      }
    }
  }
  if (WithAlpha && !isAlpha_ && Source->alpha_) GetAlphaChannel()->CopyFromObject(Source->alpha_.get());
  for (Integer i = 0; i < std::min(paletteCount_, Source->paletteCount_); ++i) palette_[i] = Source->palette_[i];
  SyncVCLPalette();
  if (WithAlpha) {
    alphaFull_ = Source->alphaFull_;
    bilevelMethod_ = Source->bilevelMethod_;
  } else {
    alphaFull_ = false;
  }
}

void TIEBitmap::ResizeWidth(Integer NewWidth) { ResizeAxis(NewWidth, true); }

void TIEBitmap::ResizeHeight(Integer NewHeight) { ResizeAxis(NewHeight, false); }

void TIEBitmap::ResizeAxis(Integer NewSize, bool Horizontal) {
  if (NewSize == (Horizontal ? width_ : height_)) return;
  if (alpha_) {
    if (Horizontal)
      alpha_->ResizeWidth(NewSize);
    else
      alpha_->ResizeHeight(NewSize);
  }
  if (location_ != islVCLBitmap) {
    const Integer other = Horizontal ? height_ : width_;
    if (kind_ != ipkNone && other > 0 && (Horizontal ? width_ : height_) > 0) {
      TIEBitmap tmp;
      MoveContentTo(&tmp);
      AllocateImage(Horizontal ? NewSize : tmp.width_, Horizontal ? tmp.height_ : NewSize, tmp.kind_);
      if (width_ > 0 && height_ > 0) {
        const Integer rows = std::min(height_, tmp.height_);
        const size_t bytes = static_cast<size_t>(std::min(rowLength_, tmp.rowLength_));
        for (Integer r = 0; r < rows; ++r) {
          const Byte* src = static_cast<const Byte*>(tmp.GetRowPointer(r));
          std::memcpy(GetRowPointer(r), src, bytes);
        }
        for (Integer i = 0; i < std::min(paletteCount_, tmp.paletteCount_); ++i) palette_[i] = tmp.palette_[i];
      }
      if (tmp.alpha_) GetAlphaChannel()->CopyFromObject(tmp.alpha_.get());
      alphaFull_ = false;
    } else {
      (Horizontal ? width_ : height_) = NewSize;
    }
    return;
  }
  if (!vclBitmap_) {
    vclBitmap_ = new TBitmap;
    borrowed_ = false;
  }
  // Keep the old rows aside: the platform bitmap is reshaped, then refilled.
  const Integer oldH = height_, oldRow = rowLength_;
  std::vector<Byte> saved(static_cast<size_t>(std::max(oldRow, 0)) * std::max(oldH, 0));
  for (Integer r = 0; r < oldH && oldRow > 0 && r < static_cast<Integer>(rowPointers_.size()); ++r)
    std::memcpy(saved.data() + static_cast<size_t>(r) * oldRow, rowPointers_[r], static_cast<size_t>(oldRow));
  if (Horizontal)
    vclBitmap_->SetWidth(NewSize);
  else
    vclBitmap_->SetHeight(NewSize);
  width_ = vclBitmap_->Width();
  height_ = vclBitmap_->Height();
  rowLength_ = static_cast<Integer>(AlignedRowLength(width_, bitsPerPixel_));
  BuildRowPointers();
  const Integer rows = std::min(oldH, height_);
  const size_t bytes = static_cast<size_t>(std::min(oldRow, rowLength_));
  for (Integer r = 0; r < rows && bytes > 0; ++r)
    std::memcpy(rowPointers_[r], saved.data() + static_cast<size_t>(r) * oldRow, bytes);
  SyncVCLPalette();
}

void TIEBitmap::ResizeCanvas(Integer NewWidth, Integer NewHeight, Integer Fill, Integer AlphaFill, Integer HPlace,
                             Integer VPlace) {
  const Integer w = width_, h = height_;
  auto each = [&](auto&& step) {
    step(this, Fill);
    if (alpha_) step(alpha_.get(), AlphaFill);
  };
  // Shrinking: bring the kept part to the top-left first.
  each([&](TIEBitmap* b, Integer f) {
    if (NewWidth < w) {
      if (HPlace == 1) {
        const Integer c = (w - NewWidth) / 2;
        b->MoveBlock(c, 0, c + NewWidth - 1, h - 1, 0, 0, f);
      } else if (HPlace == 2) {
        b->MoveBlock(w - NewWidth, 0, w - 1, h - 1, 0, 0, f);
      }
    }
    if (NewHeight < h) {
      if (VPlace == 1) {
        const Integer c = (h - NewHeight) / 2;
        b->MoveBlock(0, c, w - 1, c + NewHeight - 1, 0, 0, f);
      } else if (VPlace == 2) {
        b->MoveBlock(0, h - NewHeight, w - 1, h - 1, 0, 0, f);
      }
    }
  });
  ResizeWidth(NewWidth);
  ResizeHeight(NewHeight);
  // Growing: fill the new area, then move the picture into place.
  each([&](TIEBitmap* b, Integer f) {
    if (w < NewWidth) {
      b->FillRect(w, 0, NewWidth - 1, NewHeight - 1, f);
      if (HPlace == 1)
        b->MoveBlock(0, 0, w - 1, std::min(h, NewHeight) - 1, (NewWidth - w) / 2, 0, f);
      else if (HPlace == 2)
        b->MoveBlock(0, 0, w - 1, std::min(h, NewHeight) - 1, NewWidth - w, 0, f);
    }
    if (h < NewHeight) {
      b->FillRect(0, h, NewWidth - 1, NewHeight - 1, f);
      if (VPlace == 1)
        b->MoveBlock(0, 0, NewWidth - 1, h - 1, 0, (NewHeight - h) / 2, f);
      else if (VPlace == 2)
        b->MoveBlock(0, 0, NewWidth - 1, h - 1, 0, NewHeight - h, f);
    }
  });
}

void TIEBitmap::MoveBlock(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer DstX, Integer DstY, Integer Fill) {
  if (X2 < X1 || Y2 < Y1 || kind_ == ipkNone) return;
  const Integer w = X2 - X1 + 1, h = Y2 - Y1 + 1;
  TIEBitmap tmp;
  tmp.fileThreshold_ = fileThreshold_;
  tmp.AllocateImage(w, h, kind_);
  BlitTo(&tmp, X1, Y1, 0, 0, w, h);
  FillRect(X1, Y1, X2, Y2, Fill);
  tmp.BlitTo(this, 0, 0, DstX, DstY, w, h);
}

void TIEBitmap::BlitTo(TIEBitmap* Dest, Integer SrcX, Integer SrcY, Integer DstX, Integer DstY, Integer W,
                       Integer H) {
  if (!Dest || Dest->kind_ != kind_ || kind_ == ipkNone) return;
  if (DstX < 0) {
    SrcX -= DstX;
    W += DstX;
    DstX = 0;
  }
  if (DstY < 0) {
    SrcY -= DstY;
    H += DstY;
    DstY = 0;
  }
  SrcX = std::max(SrcX, 0);
  SrcY = std::max(SrcY, 0);
  W = std::min({W, width_ - SrcX, Dest->width_ - DstX});
  H = std::min({H, height_ - SrcY, Dest->height_ - DstY});
  if (W <= 0 || H <= 0) return;
  // A scratch row lets source and destination each hold one mapped row (or be one buffer).
  std::vector<Byte> row(static_cast<size_t>(rowLength_));
  const Integer bpp = BytesPerPixel(kind_);
  for (Integer y = 0; y < H; ++y) {
    std::memcpy(row.data(), GetRowPointer(SrcY + y), row.size());
    Byte* d = static_cast<Byte*>(Dest->GetRowPointer(DstY + y));
    if (kind_ == ipkBW1)
      CopyBitRun(d, row.data(), DstX, SrcX, W, rowLength_);
    else
      std::memcpy(d + static_cast<size_t>(DstX) * bpp, row.data() + static_cast<size_t>(SrcX) * bpp,
                  static_cast<size_t>(W) * bpp);
  }
}

void TIEBitmap::FillWith(Integer Value) {
  if (kind_ == ipkNone) return;
  if (width_ > 0 && height_ > 0) {
    const TIEColorTriple t = kind_ == ipkRGB24 ? ColorToTriple(Value) : TIEColorTriple();
    for (Integer r = 0; r < height_; ++r) {
      Byte* row = static_cast<Byte*>(GetRowPointer(r));
      switch (kind_) {
        case ipkBW1: std::memset(row, Value > 0 ? 255 : (Value & 0xFF), static_cast<size_t>(rowLength_)); break;
        case ipkPal8:
        case ipkGray8: std::memset(row, Value & 0xFF, static_cast<size_t>(rowLength_)); break;
        case ipkGray16:
          for (Integer x = 0; x < width_; ++x) {
            row[2 * x] = static_cast<Byte>(Value & 0xFF);
            row[2 * x + 1] = static_cast<Byte>((Value >> 8) & 0xFF);
          }
          break;
        case ipkRGB24:
          for (Integer x = 0; x < width_; ++x) std::memcpy(row + 3 * x, &t, 3);
          break;
        default: break;
      }
    }
  }
  switch (kind_) {
    case ipkBW1: alphaFull_ = Value != 0; break;
    case ipkPal8:
    case ipkGray8: alphaFull_ = Value == 255; break;
    case ipkGray16: alphaFull_ = Value == 65535; break;
    case ipkRGB24: alphaFull_ = ColorToTriple(Value) == TIEColorTriple{255, 255, 255}; break;
    default: break;
  }
}

void TIEBitmap::FillRect(Integer X1, Integer Y1, Integer X2, Integer Y2, Integer Value) {
  // Clipped to the picture: a rectangle reaching outside must not write outside.
  X1 = std::max(X1, 0);
  Y1 = std::max(Y1, 0);
  X2 = std::min(X2, width_ - 1);
  Y2 = std::min(Y2, height_ - 1);
  if (X2 < X1 || Y2 < Y1 || kind_ == ipkNone) return;
  const TIEColorTriple t = kind_ == ipkRGB24 ? ColorToTriple(Value) : TIEColorTriple();
  for (Integer y = Y1; y <= Y2; ++y) {
    Byte* row = static_cast<Byte*>(GetRowPointer(y));
    switch (kind_) {
      case ipkBW1:
        for (Integer x = X1; x <= X2; ++x) PutBit(row, x, Value != 0);
        break;
      case ipkPal8:
      case ipkGray8: std::memset(row + X1, Value & 0xFF, static_cast<size_t>(X2 - X1 + 1)); break;
      case ipkGray16:
        for (Integer x = X1; x <= X2; ++x) {
          row[2 * x] = static_cast<Byte>(Value & 0xFF);
          row[2 * x + 1] = static_cast<Byte>((Value >> 8) & 0xFF);
        }
        break;
      case ipkRGB24:
        for (Integer x = X1; x <= X2; ++x) std::memcpy(row + 3 * x, &t, 3);
        break;
      default: break;
    }
  }
}

TIEColorTriple TIEBitmap::PixelAsTriple(Integer X, Integer Y) {
  if (X < 0 || Y < 0 || X >= width_ || Y >= height_ || kind_ == ipkNone) return TIEColorTriple();
  const Byte* row = static_cast<const Byte*>(GetRowPointer(Y));
  switch (kind_) {
    case ipkBW1: {
      const Byte v = TestBit(row, X) ? 255 : 0;
      return TIEColorTriple{v, v, v};
    }
    case ipkPal8: return PaletteEntry(row[X]);
    case ipkGray8: return TIEColorTriple{row[X], row[X], row[X]};
    case ipkGray16: return TIEColorTriple{row[2 * X + 1], row[2 * X + 1], row[2 * X + 1]};
    case ipkRGB24: return TIEColorTriple{row[3 * X], row[3 * X + 1], row[3 * X + 2]};
    default: return TIEColorTriple();
  }
}

void TIEBitmap::CopyFromMask(TIEMask* Mask) {
  if (!Mask) {
    FillWith(255);
    return;
  }
  const Integer bits = Mask->BitsPerPixel();
  if (bits != 1 && bits != 8) return;
  AllocateImage(Mask->Width(), Mask->Height(), bits == 1 ? ipkBW1 : ipkGray8);
  if (width_ > 0 && height_ > 0) {
    const size_t bytes = static_cast<size_t>(std::min(rowLength_, Mask->RowLength()));
    for (Integer y = 0; y < height_; ++y) std::memcpy(GetRowPointer(y), Mask->RowAddress(y), bytes);
  }
  alphaFull_ = Mask->Full();
}

void TIEBitmap::CopyToMask(TIEMask* Mask) {
  if (!Mask) return;
  if (kind_ == ipkBW1)
    Mask->AllocateMask(width_, height_, 1);
  else if (kind_ == ipkGray8)
    Mask->AllocateMask(width_, height_, 8);
  else
    return;
  if (Mask->Data()) {
    const size_t bytes = static_cast<size_t>(std::min(rowLength_, Mask->RowLength()));
    for (Integer y = 0; y < height_; ++y) std::memcpy(Mask->RowAddress(y), GetRowPointer(y), bytes);
  }
  Mask->SetFull(alphaFull_);
}
