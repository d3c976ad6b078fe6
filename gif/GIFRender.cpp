// Frames into 8-bit bitmaps with transparency masks, drawing frames on
// canvases, the composite bitmap, copying into bitmaps and the clipboard.
#include <cstring>
#include <memory>
#include <vector>

#include "gif/GIFColorLookup.h"
#include "gif/GIFDIB.h"
#include "gif/GIFImage.h"
#include "platform/Clipbrd.h"

namespace {

constexpr Integer kLargeBitmapPixels = 500000;

// A bitmap for a renderer; very large ones are made small first so that the
// 8-bit DIB load does not briefly hold a second deep copy.
std::unique_ptr<TBitmap> NewRenderTarget(Integer Width, Integer Height) {
  auto bmp = std::make_unique<TBitmap>();
  if (Int64(Width) * Height > kLargeBitmapPixels) bmp->SetPixelFormat(pf1bit);
  return bmp;
}

Integer MaskRowBytes(Integer Width) { return (Width + 15) / 16 * 2; }

// The mask as a monochrome bitmap (rows padded to 16 bits, 1 = transparent).
HBITMAP MakeMaskHandle(Integer Width, Integer Height, const std::vector<Byte>& Bits) {
  return CheckGDIHandle(::CreateBitmap(Width, Height, 1, 1, Bits.data()));
}

}  // namespace

TBitmap* TGIFSubImage::RenderedBitmap() {
  if (bitmap_) return bitmap_.get();
  if (IsEmpty()) return nullptr;
  try {
    image_->DoProgressFrom(this, psStarting, 0, false, "Rendering...");
    try {
      bitmap_ = image_->UsesDither() ? RenderDithered() : RenderPlain();
    } catch (...) {
      image_->DoProgressFrom(this, psEnding, 0, image_->PaletteModified(), "Rendering...");
      if (image_->PaletteModified()) image_->NotifyChangedFrom(this);
      throw;
    }
    image_->DoProgressFrom(this, psEnding, 100, image_->PaletteModified(), "Rendering...");
    if (image_->PaletteModified()) image_->NotifyChangedFrom(this);
  } catch (const EAbort&) {
    // A progress handler cancelled: the frame stays without a bitmap.
    bitmap_.reset();
    return nullptr;
  }
  return bitmap_.get();
}

std::unique_ptr<TBitmap> TGIFSubImage::RenderPlain() {
  const Integer w = Width(), h = Height();
  auto bmp = NewRenderTarget(w, h);
  TDIBWriter writer(bmp.get(), pf8bit, w, h, PaletteHandle());
  const bool masking = needMask_ && transparent_;
  needMask_ = false;
  const Byte transparentIndex = (masking && graphicControl_) ? graphicControl_->TransparentIndex() : 0;
  const Integer maskRow = MaskRowBytes(w);
  std::vector<Byte> mask;
  if (masking) mask.assign(size_t(maskRow) * h, 0);
  bool anyTransparent = false;
  for (Integer y = 0; y < h; ++y) {
    if (y % 32 == 0) image_->DoProgressFrom(this, psRunning, Byte(::MulDiv(y, 100, h)), false, "Rendering...");
    const Byte* src = data_.get() + size_t(y) * w;
    std::memcpy(writer.RowAddress(y), src, size_t(w));
    if (masking) {
      Byte* m = mask.data() + size_t(y) * maskRow;
      Byte bits = 0, bit = 0x80;
      for (Integer x = 0; x < w; ++x) {
        if (src[x] == transparentIndex) bits |= bit;
        bit >>= 1;
        if (bit == 0) {
          *m++ = bits;
          if (bits) anyTransparent = true;
          bits = 0;
          bit = 0x80;
        }
      }
      if (bits) {
        *m = bits;
        anyTransparent = true;
      }
    }
  }
  writer.StoreIntoBitmap();
  if (masking && anyTransparent) mask_ = MakeMaskHandle(w, h, mask);
  return bmp;
}

std::unique_ptr<TBitmap> TGIFSubImage::RenderDithered() {
  const Integer w = Width(), h = Height();
  auto bmp = NewRenderTarget(w, h);
  TNetscapeColorLookup lookup;
  auto ditherer = CreateDitherer(dkFloydSteinberg, w, &lookup);
  TDIBWriter writer(bmp.get(), pf8bit, w, h, PaletteHandle());
  const bool masking = needMask_ && transparent_;
  needMask_ = false;
  TGIFColorMap* map = EffectiveColorMap();
  const Byte transparentIndex = (masking && graphicControl_) ? graphicControl_->TransparentIndex() : 0;
  Byte fill = 0;
  if (masking) {
    TGIFColor c{};
    TGIFColorMap::SplitColor(map->ColorAt(transparentIndex), c);
    fill = Byte(::MulDiv(36, c.Red, 51) + ::MulDiv(6, c.Green, 51) + c.Blue / 51 + 1);
  }
  const Integer maskRow = MaskRowBytes(w);
  std::vector<Byte> mask;
  if (masking) mask.assign(size_t(maskRow) * h, 0);
  bool anyTransparent = false;
  for (Integer y = 0; y < h; ++y) {
    if (y % 32 == 0) image_->DoProgressFrom(this, psRunning, Byte(::MulDiv(y, 100, h)), false, "Rendering...");
    Byte* dst = static_cast<Byte*>(writer.RowAddress(y));
    const Byte* src = data_.get() + size_t(y) * w;
    const Integer dir = ditherer->Direction();
    Byte* mrow = masking ? mask.data() + size_t(y) * maskRow : nullptr;
    Integer mbyte = 0;
    Byte mbit = 0x80;
    if (masking) {
      std::memset(dst, fill, size_t(w));
      if (dir < 0) {
        mbyte = (w + 7) / 8 - 1;
        mbit = Byte(1u << ((8 - (w & 7)) & 7));
      }
    }
    while (ditherer->Column() >= 0 && ditherer->Column() < w) {
      const Integer x = ditherer->Column();
      const Byte index = src[x];
      if (masking && index == transparentIndex) {
        mrow[mbyte] |= mbit;
        anyTransparent = true;
        ditherer->AdvanceColumn();
      } else {
        TGIFColor c{};
        TGIFColorMap::SplitColor(map->ColorAt(index), c);
        Byte r, g, b;
        dst[x] = ditherer->QuantizePixel(c.Red, c.Green, c.Blue, r, g, b);
      }
      if (masking) {
        if (dir > 0) {
          mbit >>= 1;
          if (mbit == 0) {
            mbit = 0x80;
            ++mbyte;
          }
        } else {
          mbit = Byte(mbit << 1);
          if (mbit == 0) {
            mbit = 1;
            --mbyte;
          }
        }
      }
    }
    ditherer->AdvanceRow();
  }
  writer.StoreIntoBitmap();
  if (masking && anyTransparent) mask_ = MakeMaskHandle(w, h, mask);
  return bmp;
}

void TGIFSubImage::SetPlacementValue(Integer Selector, Word Value) {
  switch (Selector) {
    case 1: SetPlacement(Value, Top(), Height(), Width()); break;
    case 2: SetPlacement(Left(), Value, Height(), Width()); break;
    case 3: SetPlacement(Left(), Top(), Height(), Value); break;
    case 4: SetPlacement(Left(), Top(), Value, Width()); break;
    default: break;
  }
}

TRect TGIFSubImage::ScaledBounds(const TRect& R) const {
  const Integer lw = image_ ? image_->LogicalWidth() : Width();
  const Integer lh = image_ ? image_->LogicalHeight() : Height();
  const Integer rw = R.Right - R.Left, rh = R.Bottom - R.Top;
  return Rect(R.Left + ::MulDiv(Left(), rw, lw), R.Top + ::MulDiv(Top(), rh, lh),
              R.Left + ::MulDiv(Left() + Width(), rw, lw), R.Top + ::MulDiv(Top() + Height(), rh, lh));
}

void TGIFSubImage::DrawScaled(TCanvas* Canvas, const TRect& R, bool ATransparent, bool Tile) {
  DrawInRect(Canvas, Tile ? R : ScaledBounds(R), ATransparent, Tile);
}

void TGIFSubImage::DrawInRect(TCanvas* Canvas, const TRect& R, bool ATransparent, bool Tile) {
  TBitmap* bmp = RenderedBitmap();
  if (!bmp) return;
  const Integer w = Width(), h = Height();
  const Integer lw = image_ ? image_->LogicalWidth() : w;
  const Integer lh = image_ ? image_->LogicalHeight() : h;
  auto forEachTile = [&](auto&& Fn) {
    if (lw <= 0 || lh <= 0) return;
    for (Integer x = R.Left + Left(); x < R.Right; x += lw)
      for (Integer y = R.Top + Top(); y < R.Bottom; y += lh) Fn(Rect(x, y, x + w, y + h));
  };
  if (ATransparent && transparent_ && HasMask()) {
    bmp = RenderedBitmap();  // HasMask may have rendered it again
    HDC maskDC = CheckGDIHandle(::CreateCompatibleDC(nullptr));
    HGDIOBJ old = ::SelectObject(maskDC, mask_);
    try {
      HDC src = bmp->Canvas()->Handle();
      HDC dst = Canvas->Handle();
      if (!Tile)
        TransparentStretchBlit(dst, R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top, src, 0, 0, w, h, maskDC, 0, 0);
      else
        forEachTile([&](const TRect& t) {
          TransparentStretchBlit(dst, t.Left, t.Top, w, h, src, 0, 0, w, h, maskDC, 0, 0);
        });
    } catch (...) {
      ::SelectObject(maskDC, old);
      ::DeleteDC(maskDC);
      throw;
    }
    ::SelectObject(maskDC, old);
    ::DeleteDC(maskDC);
    if (Canvas->OnChange) Canvas->OnChange(Canvas);
    return;
  }
  if (!Tile)
    Canvas->StretchDraw(R, bmp);
  else
    forEachTile([&](const TRect& t) { Canvas->StretchDraw(t, bmp); });
}

void TransparentStretchBlit(HDC DstDC, Integer DstX, Integer DstY, Integer DstW, Integer DstH, HDC SrcDC,
                            Integer SrcX, Integer SrcY, Integer SrcW, Integer SrcH, HDC MaskDC, Integer MaskX,
                            Integer MaskY) {
  // Source where the mask is 0, destination where it is 1: the source is
  // blackened under the mask, the destination blackened outside it, then ORed.
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = SrcW;
  bi.bmiHeader.biHeight = SrcH;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC memDC = CheckGDIHandle(::CreateCompatibleDC(DstDC));
  HBITMAP prepared = ::CreateDIBSection(memDC, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!prepared) {
    ::DeleteDC(memDC);
    CheckGDIHandle(prepared);
  }
  HGDIOBJ oldBmp = ::SelectObject(memDC, prepared);
  HPALETTE srcPal = static_cast<HPALETTE>(::GetCurrentObject(SrcDC, OBJ_PAL));
  if (!srcPal) srcPal = static_cast<HPALETTE>(::GetStockObject(DEFAULT_PALETTE));
  HPALETTE oldPal = ::SelectPalette(memDC, srcPal, FALSE);
  ::RealizePalette(memDC);
  ::SetTextColor(memDC, RGB(0, 0, 0));
  ::SetBkColor(memDC, RGB(255, 255, 255));
  ::BitBlt(memDC, 0, 0, SrcW, SrcH, MaskDC, MaskX, MaskY, NOTSRCCOPY);
  ::BitBlt(memDC, 0, 0, SrcW, SrcH, SrcDC, SrcX, SrcY, SRCAND);
  const COLORREF oldText = ::SetTextColor(DstDC, RGB(0, 0, 0));
  const COLORREF oldBk = ::SetBkColor(DstDC, RGB(255, 255, 255));
  const int oldMode = ::SetStretchBltMode(DstDC, COLORONCOLOR);
  ::StretchBlt(DstDC, DstX, DstY, DstW, DstH, MaskDC, MaskX, MaskY, SrcW, SrcH, SRCAND);
  ::StretchBlt(DstDC, DstX, DstY, DstW, DstH, memDC, 0, 0, SrcW, SrcH, SRCPAINT);
  ::SetStretchBltMode(DstDC, oldMode);
  ::SetTextColor(DstDC, oldText);
  ::SetBkColor(DstDC, oldBk);
  ::SelectPalette(memDC, oldPal, FALSE);
  ::SelectObject(memDC, oldBmp);
  ::DeleteObject(prepared);
  ::DeleteDC(memDC);
}

TBitmap* TGIFImage::CompositeBitmap() {
  if (IsEmpty()) return nullptr;
  if (composite_) return composite_.get();
  composite_ = std::make_unique<TBitmap>();
  composite_->OnChange = TNotifyEvent([this](TObject*) { NotifyChanged(); });
  try {
    TGIFSubImage* f = frames_->FrameAt(0);
    if (f->Width() == LogicalWidth() && f->Height() == LogicalHeight()) {
      composite_->Assign(f->RenderedBitmap());
    } else {
      if (HPALETTE p = PaletteHandle()) composite_->SetPalette(CopyPalette(p));
      composite_->SetSize(LogicalWidth(), LogicalHeight());
      f->DrawScaled(composite_->Canvas(), composite_->Canvas()->ClipRect(), false, false);
    }
  } catch (...) {
    composite_.reset();
    throw;
  }
  return composite_.get();
}

void TGIFImage::AssignTo(TPersistent* Dest) {
  if (auto* bmp = dynamic_cast<TBitmap*>(Dest)) {
    bmp->Assign(CompositeBitmap());
    return;
  }
  TGraphic::AssignTo(Dest);
}

void TGIFImage::PasteClipboardData(Word AFormat, HANDLE AData, HPALETTE APalette) {
  if (!AData && AFormat) AData = ::GetClipboardData(AFormat);
  if (AData && CF_GIF != 0 && AFormat == CF_GIF) {
    const SIZE_T size = ::GlobalSize(AData);
    const void* p = ::GlobalLock(AData);
    if (!p) RaiseGIFError("Unsupported clipboard format");
    TMemoryStream stream;
    try {
      stream.WriteBuffer(p, Integer(size));
    } catch (...) {
      ::GlobalUnlock(AData);
      throw;
    }
    ::GlobalUnlock(AData);
    stream.SetPosition(0);
    LoadGIFStream(&stream);
    return;
  }
  if (AData && AFormat == CF_BITMAP) {
    TBitmap bmp;
    bmp.LoadFromClipboardFormat(AFormat, AData, APalette);
    Assign(&bmp);
    return;
  }
  RaiseGIFError("Unsupported clipboard format");
}

void TGIFImage::PutClipboardData(Word& AFormat, HANDLE& AData, HPALETTE& APalette) {
  if (IsEmpty()) return;
  CompositeBitmap()->SaveToClipboardFormat(AFormat, AData, APalette);
  TMemoryStream stream;
  SaveGIFStream(&stream);
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, SIZE_T(stream.Size()));
  if (!block) return;
  if (void* p = ::GlobalLock(block)) {
    std::memcpy(p, stream.Memory(), size_t(stream.Size()));
    ::GlobalUnlock(block);
  }
  if (!::SetClipboardData(CF_GIF, block)) {
    ::GlobalFree(block);
    RaiseGIFError("Failed to store GIF on clipboard");
  }
}
