// Frame import: frames, bitmaps, icons, metafiles and pictures into a frame.
#include "gif/GIFImport.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "gif/GIFReduce.h"

namespace {

const char* const kConverting = "Converting...";

void Report(TGIFSubImage* Frame, TProgressStage Stage, Byte Percent, bool Redraw) {
  if (TGIFImage* image = Frame->Image()) image->DoProgress(Stage, Percent, Redraw, kConverting);
}

// Progress every 32nd row.
void ReportRow(TGIFSubImage* Frame, Integer Row) {
  if (Row % 32 == 0) Report(Frame, psRunning, Byte(::MulDiv(Row, 100, Frame->Height())), false);
}

void CopyFromFrame(TGIFSubImage* Frame, TGIFSubImage* Source) {
  Frame->Clear();
  if (Source->IsEmpty()) return;
  Frame->Descriptor = Source->Descriptor;
  Frame->SetTransparent(Source->Transparent());
  Frame->NewPixels();
  if (Frame->Data() && Source->Data())
    std::memcpy(Frame->Data(), Source->Data(), size_t(std::min(Frame->DataSize(), Source->DataSize())));
  Frame->ColorMap()->Assign(Source->ColorMap());
  if (Source->Extensions()->ItemCount() > 0) {
    TMemoryStream stream;
    Source->Extensions()->WriteAll(&stream);
    stream.SetPosition(0);
    Frame->Extensions()->ReadAll(&stream, Frame);
  }
  // The copy gets a bitmap of its own.
  if (Source->HasBitmap()) Frame->NewBitmap()->Assign(Source->RenderedBitmap());
}

void CopyFromBitmap(TGIFSubImage* Frame, TBitmap* Source) {
  Frame->Clear();
  // A palette cached for the old content would make every colour-map change
  // below drop the working bitmap.
  Frame->SetPaletteHandle(nullptr);
  if (Source->Empty()) return;
  // A frame's size is 16 bits; a larger picture cannot be a frame at all.
  if (Source->Width() > 0xFFFF || Source->Height() > 0xFFFF) RaiseGIFError("Invalid image dimensions");
  Frame->SetWidth(Source->Width());
  Frame->SetHeight(Source->Height());

  TBitmap* working;
  const TPixelFormat format = Source->PixelFormat();
  if (format == pf1bit || format == pf4bit || format == pf8bit) {
    working = Frame->NewBitmap();
    working->Assign(Source);
  } else {
    TGIFImage* image = Frame->Image();
    std::unique_ptr<TBitmap> reduced =
        ReduceToPalette(Source, image ? image->ColorReduction() : GIFDefaults.ColorReduction,
                        image ? image->DitherKind() : GIFDefaults.DitherKind,
                        image ? image->ColorDepthLimit() : GIFDefaults.ColorDepthLimit, nullptr);
    working = Frame->NewBitmap();
    working->Assign(reduced.get());
  }
  Frame->NewPixels();

  Report(Frame, psStarting, 0, false);
  try {
    switch (working->PixelFormat()) {
      case pf1bit: {
        TDIBReader reader(working, pf1bit);
        ImportRows1Bit(Frame, &reader);
        break;
      }
      case pf4bit: {
        TDIBReader reader(working, pf4bit);
        ImportRows4Bit(Frame, &reader);
        break;
      }
      case pf8bit: {
        TDIBReader reader(working, pf8bit);
        ImportRows8Bit(Frame, &reader);
        break;
      }
      default: {
        TDIBReader reader(working, pf24bit);
        ImportRows24Bit(Frame, &reader);
        break;
      }
    }
    if (Source->Transparent()) ApplyMaskHandle(Frame, Source->MaskHandle());
  } catch (...) {
    Report(Frame, psEnding, 0, Frame->Image() && Frame->Image()->PaletteModified());
    throw;
  }
  Report(Frame, psEnding, 100, Frame->Image() && Frame->Image()->PaletteModified());
}

void CopyFromGraphic(TGIFSubImage* Frame, TGraphic* Source) {
  Frame->Clear();
  if (Source->Empty()) return;
  auto* icon = dynamic_cast<TIcon*>(Source);
  auto* metafile = dynamic_cast<TMetafile*>(Source);
  TBitmap bitmap;
  if (icon || metafile) {
    try {
      DrawGraphicOnBitmap(&bitmap, Source);
    } catch (const Exception&) {
      bitmap.Assign(Source);
    }
  } else {
    try {
      bitmap.Assign(Source);
    } catch (const Exception&) {
      DrawGraphicOnBitmap(&bitmap, Source);
    }
  }
  CopyFromBitmap(Frame, &bitmap);
  if (icon) ApplyIconMask(Frame, icon);
  if (metafile) ApplyMetafileMask(Frame, metafile);
}

}  // namespace

void CopyFrameFrom(TGIFSubImage* Frame, TPersistent* Source) {
  if (Source == Frame) return;
  if (!Source) {
    Frame->Clear();
    return;
  }
  try {
    if (auto* frame = dynamic_cast<TGIFSubImage*>(Source))
      CopyFromFrame(Frame, frame);
    else if (auto* bitmap = dynamic_cast<TBitmap*>(Source)) {
      if (Frame->HasBitmap() && bitmap == Frame->RenderedBitmap()) {
        // The frame's own cached bitmap goes away when the frame is cleared.
        TBitmap copy;
        copy.Assign(bitmap);
        CopyFromBitmap(Frame, &copy);
      } else {
        CopyFromBitmap(Frame, bitmap);
      }
    }
    else if (auto* graphic = dynamic_cast<TGraphic*>(Source))
      CopyFromGraphic(Frame, graphic);
    else if (auto* picture = dynamic_cast<TPicture*>(Source))
      CopyFrameFrom(Frame, picture->Graphic());
    else
      Frame->TGIFItem::Assign(Source);  // the platform's refusal
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory("Out of memory");
  }
}

// ---------------------------------------------------------------------------
// Row imports.
void ImportRows1Bit(TGIFSubImage* Frame, TDIBReader* Reader) {
  Frame->ColorMap()->LoadFromPaletteHandle(Reader->Bitmap()->Palette());
  const Integer w = Frame->Width(), h = Frame->Height();
  for (Integer y = 0; y < h; ++y) {
    ReportRow(Frame, y);
    const Byte* src = static_cast<const Byte*>(Reader->RowAddress(y));
    Byte* dst = Frame->Scanline(y);
    for (Integer x = 0; x < w; ++x) dst[x] = (src[x >> 3] >> (7 - (x & 7))) & 1;
  }
}

void ImportRows4Bit(TGIFSubImage* Frame, TDIBReader* Reader) {
  Frame->ColorMap()->LoadFromPaletteHandle(Reader->Bitmap()->Palette());
  const Integer w = Frame->Width(), h = Frame->Height();
  for (Integer y = 0; y < h; ++y) {
    ReportRow(Frame, y);
    const Byte* src = static_cast<const Byte*>(Reader->RowAddress(y));
    Byte* dst = Frame->Scanline(y);
    for (Integer x = 0; x < w; ++x) dst[x] = (x & 1) ? (src[x >> 1] & 0x0F) : (src[x >> 1] >> 4);
  }
}

void ImportRows8Bit(TGIFSubImage* Frame, TDIBReader* Reader) {
  TBitmap* bitmap = Reader->Bitmap();
  if (bitmap->HandleType() == bmDIB)
    Frame->ColorMap()->LoadFromDIBColors(bitmap->Canvas()->Handle());
  else
    Frame->ColorMap()->LoadFromPaletteHandle(bitmap->Palette());
  const Integer w = Frame->Width(), h = Frame->Height();
  for (Integer y = 0; y < h; ++y) {
    ReportRow(Frame, y);
    std::memcpy(Frame->Scanline(y), Reader->RowAddress(y), size_t(w));
  }
}

void ImportRows24Bit(TGIFSubImage* Frame, TDIBReader* Reader) {
  // Recent colours: runs of one colour skip the colour-map search.
  struct Slot {
    Cardinal Key = 0;
    Integer Index = -1;
  } slots[8];
  Integer last = 0;
  TGIFColorMap* map = Frame->ColorMap();
  const Integer w = Frame->Width(), h = Frame->Height();
  for (Integer y = 0; y < h; ++y) {
    ReportRow(Frame, y);
    const Byte* src = static_cast<const Byte*>(Reader->RowAddress(y));
    Byte* dst = Frame->Scanline(y);
    for (Integer x = 0; x < w; ++x, src += 3) {
      const Cardinal key = Cardinal(src[0]) | (Cardinal(src[1]) << 8) | (Cardinal(src[2]) << 16);
      Integer index = -1;
      Integer i = last;
      do {
        if (slots[i].Index < 0) break;
        if (slots[i].Key == key) {
          index = slots[i].Index;
          last = i;
          break;
        }
        i = (i + 7) & 7;
      } while (i != last);
      if (index < 0) {
        // The key's bytes go in as red, green, blue; swapped once at the end.
        index = map->AddUniqueColor(TColor(key));
        last = (last + 1) & 7;
        slots[last] = {key, index};
      }
      dst[x] = Byte(index);
    }
  }
  TGIFColor* e = map->Entries();
  for (Integer i = 0; i < map->Count(); ++i) std::swap(e[i].Red, e[i].Blue);
}

// ---------------------------------------------------------------------------
// Drawing and masks.
void DrawGraphicOnBitmap(TBitmap* Bitmap, TGraphic* Graphic) {
  Bitmap->SetPixelFormat(pf24bit);
  Bitmap->SetSize(Graphic->Width(), Graphic->Height());
  Bitmap->Canvas()->Draw(0, 0, Graphic);
}

void RenderMetafileOnColor(TBitmap* Bitmap, TMetafile* Metafile, TColor Color) {
  Bitmap->SetPixelFormat(pf24bit);
  Bitmap->SetSize(Metafile->Width(), Metafile->Height());
  TCanvas* canvas = Bitmap->Canvas();
  canvas->Brush()->SetColor(Color);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->FillRect(canvas->ClipRect());
  canvas->Draw(0, 0, Metafile);
}

void ApplyTransparencyMask(TGIFSubImage* Frame, TBitmap* Mask) {
  TGIFColorMap* map = Frame->ColorMap();
  map->Compact();
  if (map->Count() == 0 || map->Count() == 256) return;
  const Integer transparent = map->AppendColor(0);
  // Read as 24 bits: any colour but black marks the pixel, whatever the
  // mask's own colour table.
  TDIBReader reader(Mask, pf24bit);
  const Integer w = std::min(Frame->Width(), Mask->Width());
  const Integer h = std::min(Frame->Height(), Mask->Height());
  bool changed = false;
  for (Integer y = 0; y < h; ++y) {
    const Byte* src = static_cast<const Byte*>(reader.RowAddress(y));
    Byte* dst = Frame->Scanline(y);
    for (Integer x = 0; x < w; ++x)
      if (src[3 * x] | src[3 * x + 1] | src[3 * x + 2]) {
        dst[x] = Byte(transparent);
        changed = true;
      }
  }
  if (!changed) {
    map->RemoveEntry(transparent);
    return;
  }
  auto control = std::make_unique<TGIFGraphicControlExtension>(Frame);
  control->SetUsesTransparentIndex(true);
  control->SetTransparentIndex(transparent);
  Frame->Extensions()->Append(std::move(control));
}

void ApplyMaskHandle(TGIFSubImage* Frame, HBITMAP Mask) {
  if (!Mask) return;
  BITMAP bm{};
  if (::GetObjectW(Mask, sizeof(bm), &bm) == 0 || bm.bmWidth <= 0 || bm.bmHeight == 0) return;
  // Work on a copy: the handle stays the caller's, unchanged.
  TBitmap copy;
  copy.SetPixelFormat(pf24bit);
  copy.SetSize(bm.bmWidth, bm.bmHeight < 0 ? -bm.bmHeight : bm.bmHeight);
  HDC source = ::CreateCompatibleDC(nullptr);
  HGDIOBJ old = ::SelectObject(source, Mask);
  if (old) {
    HDC dest = copy.Canvas()->Handle();
    // Monochrome sources: 0 bits take the text colour, 1 bits the background.
    ::SetTextColor(dest, RGB(0, 0, 0));
    ::SetBkColor(dest, RGB(255, 255, 255));
    ::BitBlt(dest, 0, 0, copy.Width(), copy.Height(), source, 0, 0, SRCCOPY);
    ::SelectObject(source, old);
  }
  ::DeleteDC(source);
  if (!old) return;
  ::GdiFlush();
  ApplyTransparencyMask(Frame, &copy);
}

void ApplyIconMask(TGIFSubImage* Frame, TIcon* Icon) {
  ICONINFO info{};
  if (!::GetIconInfo(Icon->Handle(), &info)) return;
  struct Release {
    ICONINFO& i;
    ~Release() {
      if (i.hbmMask) ::DeleteObject(i.hbmMask);
      if (i.hbmColor) ::DeleteObject(i.hbmColor);
    }
  } release{info};
  ApplyMaskHandle(Frame, info.hbmMask);
}

void ApplyMetafileMask(TGIFSubImage* Frame, TMetafile* Metafile) {
  TBitmap onWhite, onBlack;
  RenderMetafileOnColor(&onWhite, Metafile, TColor(0xFFFFFF));
  RenderMetafileOnColor(&onBlack, Metafile, TColor(0));
  // Where the metafile painted, both renderings agree and the XOR is black.
  ::BitBlt(onWhite.Canvas()->Handle(), 0, 0, onWhite.Width(), onWhite.Height(), onBlack.Canvas()->Handle(), 0, 0,
           SRCINVERT);
  ::GdiFlush();
  ApplyTransparencyMask(Frame, &onWhite);
}
