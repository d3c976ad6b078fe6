// TBitmap: pixel formats, scan lines, BMP streams, palettes, transparency.
#include <gtest/gtest.h>

#include <vector>

#include "platform/Classes.h"
#include "platform/Graphics.h"

namespace {

// A palette of N distinct colours.
HPALETTE MakePalette(int n) {
  std::vector<PALETTEENTRY> e;
  for (int i = 0; i < n; ++i)
    e.push_back(PALETTEENTRY{Byte(i * 37 + 5), Byte(255 - i * 11), Byte(i * 73 % 256), 0});
  return CreatePaletteFromEntries(e);
}

std::vector<PALETTEENTRY> EntriesOf(HPALETTE p) {
  std::vector<PALETTEENTRY> e(static_cast<size_t>(PaletteEntryCount(p)));
  if (!e.empty()) GetPaletteEntries(p, 0, static_cast<UINT>(e.size()), e.data());
  return e;
}

bool SameEntries(const std::vector<PALETTEENTRY>& a, const std::vector<PALETTEENTRY>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].peRed != b[i].peRed || a[i].peGreen != b[i].peGreen || a[i].peBlue != b[i].peBlue) return false;
  return true;
}

int BitsOf(TPixelFormat pf) {
  switch (pf) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit: case pf16bit: return 16;
    case pf24bit: return 24;
    case pf32bit: return 32;
    default: return 0;
  }
}

// Fills a palettised bitmap with index (x + 3y) mod colours, or an RGB bitmap
// with a gradient, through ScanLine.
void FillPattern(TBitmap& b) {
  const int bits = BitsOf(b.PixelFormat());
  for (int y = 0; y < b.Height(); ++y) {
    Byte* row = static_cast<Byte*>(b.ScanLine(y));
    for (int x = 0; x < b.Width(); ++x) {
      if (bits <= 8) {
        const int colours = std::min(1 << bits, PaletteEntryCount(b.Palette()));
        const int v = (x + 3 * y) % colours;
        if (bits == 1) row[x / 8] = Byte((row[x / 8] & ~(0x80 >> (x % 8))) | (v ? (0x80 >> (x % 8)) : 0));
        else if (bits == 4) row[x / 2] = Byte(x % 2 ? (row[x / 2] & 0xF0) | v : (row[x / 2] & 0x0F) | (v << 4));
        else row[x] = Byte(v);
      } else {
        const int bpp = bits / 8;
        for (int k = 0; k < bpp; ++k) row[x * bpp + k] = Byte(x * 16 + y * 5 + k * 40);
        if (b.PixelFormat() == pf15bit) row[x * 2 + 1] &= 0x7F;  // the unused top bit stays clear
      }
    }
  }
}

std::vector<TColor> PixelsOf(TBitmap& b) {
  std::vector<TColor> out;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x) out.push_back(b.Canvas()->Pixels(x, y));
  return out;
}

std::vector<Byte> RowsOf(TBitmap& b) {
  std::vector<Byte> out;
  const int bytes = (b.Width() * BitsOf(b.PixelFormat()) + 7) / 8;
  for (int y = 0; y < b.Height(); ++y) {
    const Byte* row = static_cast<const Byte*>(b.ScanLine(y));
    out.insert(out.end(), row, row + bytes);
  }
  return out;
}

TBitmap* NewBitmap(TPixelFormat pf, int w, int h, int paletteSize = 0) {
  auto* b = new TBitmap;
  b->SetPixelFormat(pf);
  if (paletteSize > 0) {
    HPALETTE p = MakePalette(paletteSize);
    b->SetPalette(p);
    DeleteObject(p);
  }
  b->SetSize(w, h);
  return b;
}

}  // namespace

TEST(Bitmap, NewBitmapIsEmptyDeviceBitmap) {
  TBitmap b;
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.PixelFormat(), pfDevice);
  EXPECT_EQ(b.HandleType(), bmDDB);
  EXPECT_EQ(b.Handle(), nullptr);
  b.SetSize(5, 4);
  EXPECT_NE(b.Handle(), nullptr);
  b.Canvas()->Brush()->SetColor(clRed);
  b.Canvas()->FillRect(Rect(0, 0, 5, 4));
  EXPECT_EQ(b.Canvas()->Pixels(2, 2), clRed);
  // Scan lines turn it into a DIB of the device depth, keeping the pixels.
  b.ScanLine(0);
  EXPECT_EQ(b.HandleType(), bmDIB);
  EXPECT_EQ(b.PixelFormat(), pf32bit);
  EXPECT_EQ(b.Canvas()->Pixels(4, 3), clRed);
}

TEST(Bitmap, ScanLineRowsAreBottomUp) {
  std::unique_ptr<TBitmap> b(NewBitmap(pf24bit, 7, 5));
  const int stride = ((7 * 24 + 31) / 32) * 4;
  for (int y = 1; y < 5; ++y)
    EXPECT_EQ(static_cast<Byte*>(b->ScanLine(y - 1)) - static_cast<Byte*>(b->ScanLine(y)), stride);
  // Row 0 is the top row as the canvas sees it.
  b->Canvas()->SetPixels(3, 0, clBlue);
  b->Canvas()->SetPixels(3, 4, clLime);
  const Byte* top = static_cast<const Byte*>(b->ScanLine(0));
  const Byte* bottom = static_cast<const Byte*>(b->ScanLine(4));
  EXPECT_EQ(top[9], 255);      // blue byte of pixel 3
  EXPECT_EQ(bottom[10], 255);  // green byte
  EXPECT_EQ(b->ScanLine(4), static_cast<const void*>(bottom));
  EXPECT_THROW(b->ScanLine(5), EInvalidGraphicOperation);
  EXPECT_THROW(b->ScanLine(-1), EInvalidGraphicOperation);
  try {
    b->ScanLine(5);
  } catch (const EInvalidGraphicOperation& e) {
    EXPECT_STREQ(e.what(), "Scan line index out of range");
  }
}

TEST(Bitmap, SizeChangesKeepContent) {
  std::unique_ptr<TBitmap> b(NewBitmap(pf24bit, 4, 4));
  b->Canvas()->SetPixels(1, 1, clRed);
  b->Canvas()->SetPixels(3, 3, clBlue);
  b->SetWidth(6);
  b->SetHeight(2);
  EXPECT_EQ(b->Width(), 6);
  EXPECT_EQ(b->Height(), 2);
  EXPECT_EQ(b->Canvas()->Pixels(1, 1), clRed);
  EXPECT_EQ(b->Canvas()->Pixels(5, 0), clWhite);  // new area takes the brush colour
  b->SetHeight(4);
  EXPECT_EQ(b->Canvas()->Pixels(1, 1), clRed);
  EXPECT_EQ(b->Canvas()->Pixels(3, 3), clWhite);  // was cut off before
  // Rows with padding (3 pixels of 24 bits) widened: the new pixels get the brush colour.
  for (TPixelFormat pf : {pf24bit, pf16bit, pf8bit, pf4bit, pf1bit}) {
    SCOPED_TRACE(pf);
    std::unique_ptr<TBitmap> n(NewBitmap(pf, 3, 2));
    n->Canvas()->Brush()->SetColor(clBlack);
    n->Canvas()->FillRect(Rect(0, 0, 3, 2));
    n->Canvas()->Brush()->SetColor(clWhite);
    n->SetWidth(9);
    EXPECT_EQ(n->Canvas()->Pixels(2, 1), clBlack);
    for (int x = 3; x < 9; ++x) EXPECT_EQ(n->Canvas()->Pixels(x, 1), clWhite) << x;
  }
}

TEST(Bitmap, PalettisedResizeKeepsPaletteAndIndices) {
  std::unique_ptr<TBitmap> b(NewBitmap(pf4bit, 5, 3, 9));
  FillPattern(*b);
  const std::vector<PALETTEENTRY> pal = EntriesOf(b->Palette());
  const Byte first = static_cast<Byte*>(b->ScanLine(2))[1];
  b->SetSize(8, 6);
  EXPECT_EQ(b->PixelFormat(), pf4bit);
  EXPECT_TRUE(SameEntries(EntriesOf(b->Palette()), pal));
  EXPECT_EQ(static_cast<Byte*>(b->ScanLine(2))[1], first);
}

// Converting from each format to each other and back keeps the colours
// wherever the intermediate format can hold them.
TEST(Bitmap, PixelFormatConversionsRoundTrip) {
  struct Case {
    TPixelFormat From, To;
  };
  const Case cases[] = {
      {pf8bit, pf24bit}, {pf8bit, pf32bit}, {pf4bit, pf24bit}, {pf4bit, pf8bit}, {pf1bit, pf24bit},
      {pf1bit, pf8bit},  {pf24bit, pf32bit}, {pf15bit, pf24bit}, {pf16bit, pf32bit}, {pf1bit, pf4bit},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "from " << c.From << " to " << c.To);
    const int fromBits = BitsOf(c.From);
    std::unique_ptr<TBitmap> b(NewBitmap(c.From, 9, 6, fromBits <= 8 ? std::min(1 << fromBits, 200) : 0));
    FillPattern(*b);
    const std::vector<TColor> before = PixelsOf(*b);
    const std::vector<Byte> rows = RowsOf(*b);
    const std::vector<PALETTEENTRY> pal = EntriesOf(b->Palette());
    b->SetPixelFormat(c.To);
    EXPECT_EQ(b->PixelFormat(), c.To);
    EXPECT_EQ(PixelsOf(*b), before);
    b->SetPixelFormat(c.From);
    EXPECT_EQ(b->PixelFormat(), c.From);
    EXPECT_EQ(PixelsOf(*b), before);
    EXPECT_EQ(RowsOf(*b), rows);
    // The palette survives the trip through the RGB format.
    EXPECT_TRUE(SameEntries(EntriesOf(b->Palette()), pal));
  }
}

TEST(Bitmap, ConvertingToPalettisedBuildsDefaultPalette) {
  std::unique_ptr<TBitmap> b(NewBitmap(pf24bit, 4, 1));
  b->Canvas()->SetPixels(0, 0, clRed);
  b->Canvas()->SetPixels(1, 0, clBlack);
  b->Canvas()->SetPixels(2, 0, clWhite);
  b->Canvas()->SetPixels(3, 0, clNavy);
  EXPECT_EQ(b->Palette(), nullptr);
  b->SetPixelFormat(pf8bit);
  EXPECT_EQ(PaletteEntryCount(b->Palette()), 256);
  EXPECT_EQ(b->Canvas()->Pixels(0, 0), clRed);
  EXPECT_EQ(b->Canvas()->Pixels(3, 0), clNavy);
  b->SetPixelFormat(pf4bit);
  EXPECT_EQ(PaletteEntryCount(b->Palette()), 16);
  EXPECT_EQ(b->Canvas()->Pixels(3, 0), clNavy);
  b->SetPixelFormat(pf1bit);
  EXPECT_TRUE(b->Monochrome());
  EXPECT_EQ(b->Canvas()->Pixels(1, 0), clBlack);
  EXPECT_EQ(b->Canvas()->Pixels(2, 0), clWhite);
}

TEST(Bitmap, SetPaletteReplacesColourTableKeepingIndices) {
  std::unique_ptr<TBitmap> b(NewBitmap(pf8bit, 3, 1, 4));
  static_cast<Byte*>(b->ScanLine(0))[1] = 2;
  HPALETTE p = CreatePaletteFromEntries({{1, 2, 3, 0}, {4, 5, 6, 0}, {200, 100, 50, 0}, {7, 8, 9, 0}});
  b->SetPalette(p);
  DeleteObject(p);
  EXPECT_TRUE(b->PaletteModified());
  EXPECT_EQ(b->Canvas()->Pixels(1, 0), TColor(RGB(200, 100, 50)));
  EXPECT_EQ(static_cast<Byte*>(b->ScanLine(0))[1], 2);
  // The palette handed out is the bitmap's; copies stay valid after it goes.
  HPALETTE copy = CopyPalette(b->Palette());
  b.reset();
  EXPECT_EQ(PaletteEntryCount(copy), 4);
  DeleteObject(copy);
}

// A 1-, 4-, 8-, 16- and 24-bit BMP written and read back: same pixel bytes, palette and format.
TEST(Bitmap, BmpStreamRoundTrip) {
  const struct {
    TPixelFormat Format;
    int Palette;
  } cases[] = {{pf1bit, 2}, {pf4bit, 16}, {pf4bit, 5}, {pf8bit, 256}, {pf8bit, 20},
               {pf15bit, 0}, {pf16bit, 0}, {pf24bit, 0}, {pf32bit, 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "format " << c.Format << " palette " << c.Palette);
    std::unique_ptr<TBitmap> b(NewBitmap(c.Format, 13, 7, c.Palette));
    FillPattern(*b);
    TMemoryStream s;
    b->SaveToStream(&s);
    const int stride = ((13 * BitsOf(c.Format) + 31) / 32) * 4;
    EXPECT_EQ(s.Size(), 14 + 40 + (c.Format == pf16bit ? 12 : 0) + 4 * c.Palette + stride * 7);
    s.SetPosition(0);
    TBitmap r;
    r.LoadFromStream(&s);
    EXPECT_EQ(r.PixelFormat(), c.Format);
    EXPECT_EQ(r.Width(), 13);
    EXPECT_EQ(r.Height(), 7);
    EXPECT_EQ(RowsOf(r), RowsOf(*b));
    EXPECT_TRUE(SameEntries(EntriesOf(r.Palette()), EntriesOf(b->Palette())));
    EXPECT_EQ(PixelsOf(r), PixelsOf(*b));
  }
}

// A BMP written by another program: top-down rows, an OS/2 core header, a V5 header.
TEST(Bitmap, ReadsTopDownCoreAndV5Headers) {
  auto put = [](std::vector<Byte>& v, uint32_t x, int n) {
    for (int i = 0; i < n; ++i) v.push_back(Byte(x >> (8 * i)));
  };
  // 2x2 24-bit, top-down: top row red, blue; bottom row green, white.
  std::vector<Byte> td;
  put(td, 0x4D42, 2); put(td, 0, 4); put(td, 0, 4); put(td, 54, 4);
  put(td, 40, 4); put(td, 2, 4); put(td, uint32_t(-2), 4); put(td, 1, 2); put(td, 24, 2);
  for (int i = 0; i < 6; ++i) put(td, 0, 4);
  const Byte pix[] = {0, 0, 255, 255, 0, 0, 0, 0, 0, 255, 0, 255, 255, 255, 0, 0};
  td.insert(td.end(), pix, pix + sizeof pix);
  TBitmap a;
  TMemoryStream s1;
  s1.WriteBuffer(td.data(), Integer(td.size()));
  s1.SetPosition(0);
  a.LoadFromStream(&s1);
  EXPECT_EQ(a.Canvas()->Pixels(0, 0), clRed);
  EXPECT_EQ(a.Canvas()->Pixels(1, 0), clBlue);
  EXPECT_EQ(a.Canvas()->Pixels(0, 1), clLime);
  EXPECT_EQ(a.Canvas()->Pixels(1, 1), clWhite);
  EXPECT_EQ(static_cast<Byte*>(a.ScanLine(0))[2], 255);

  // Core header, 1 bit, 3-byte palette entries (black, yellow), 8x1 pixels 10100000.
  std::vector<Byte> core;
  put(core, 0x4D42, 2); put(core, 0, 4); put(core, 0, 4); put(core, 14 + 12 + 6, 4);
  put(core, 12, 4); put(core, 8, 2); put(core, 1, 2); put(core, 1, 2); put(core, 1, 2);
  put(core, 0, 3); core.push_back(0); core.push_back(255); core.push_back(255);
  put(core, 0xA0, 4);
  TBitmap c;
  TMemoryStream s2;
  s2.WriteBuffer(core.data(), Integer(core.size()));
  s2.SetPosition(0);
  c.LoadFromStream(&s2);
  EXPECT_EQ(c.PixelFormat(), pf1bit);
  EXPECT_EQ(c.Canvas()->Pixels(0, 0), clYellow);
  EXPECT_EQ(c.Canvas()->Pixels(1, 0), clBlack);
  EXPECT_EQ(c.Canvas()->Pixels(2, 0), clYellow);

  // V5 header (124 bytes), 32 bits with bit fields in the header.
  std::vector<Byte> v5;
  put(v5, 0x4D42, 2); put(v5, 0, 4); put(v5, 0, 4); put(v5, 14 + 124, 4);
  put(v5, 124, 4); put(v5, 1, 4); put(v5, 1, 4); put(v5, 1, 2); put(v5, 32, 2); put(v5, BI_BITFIELDS, 4);
  for (int i = 0; i < 5; ++i) put(v5, 0, 4);
  put(v5, 0xFF0000, 4); put(v5, 0xFF00, 4); put(v5, 0xFF, 4); put(v5, 0xFF000000, 4);
  while (v5.size() < 14 + 124) v5.push_back(0);
  put(v5, 0x00102030, 4);
  TBitmap v;
  TMemoryStream s3;
  s3.WriteBuffer(v5.data(), Integer(v5.size()));
  s3.SetPosition(0);
  v.LoadFromStream(&s3);
  EXPECT_EQ(v.PixelFormat(), pf32bit);
  EXPECT_EQ(v.Canvas()->Pixels(0, 0), TColor(RGB(0x10, 0x20, 0x30)));
}

// Corrupt and truncated streams raise EInvalidGraphic; none allocates from the header's claims.
TEST(Bitmap, CorruptStreamsRaiseInvalidGraphic) {
  std::unique_ptr<TBitmap> good(NewBitmap(pf8bit, 10, 10, 16));
  FillPattern(*good);
  TMemoryStream gs;
  good->SaveToStream(&gs);
  const std::vector<Byte> valid(static_cast<Byte*>(gs.Memory()), static_cast<Byte*>(gs.Memory()) + gs.Size());
  auto patch32 = [](std::vector<Byte> v, size_t at, uint32_t x) {
    for (int i = 0; i < 4; ++i) v[at + i] = Byte(x >> (8 * i));
    return v;
  };
  auto patch16 = [](std::vector<Byte> v, size_t at, uint16_t x) {
    v[at] = Byte(x);
    v[at + 1] = Byte(x >> 8);
    return v;
  };
  struct Case {
    const char* Name;
    std::vector<Byte> Data;
  };
  const Case cases[] = {
      {"too short for a file header", std::vector<Byte>(valid.begin(), valid.begin() + 10)},
      {"not BM", patch16(valid, 0, 0x4D43)},
      {"header cut", std::vector<Byte>(valid.begin(), valid.begin() + 30)},
      {"colour table cut", std::vector<Byte>(valid.begin(), valid.begin() + 70)},
      {"pixels cut", std::vector<Byte>(valid.begin(), valid.end() - 1)},
      {"huge width", patch32(valid, 18, 0x7FFFFFFF)},
      {"huge height", patch32(valid, 22, 0x40000000)},
      {"plausible but unbacked size", patch32(patch32(valid, 18, 30000), 22, 30000)},
      {"height INT_MIN", patch32(valid, 22, 0x80000000)},
      {"zero width", patch32(valid, 18, 0)},
      {"negative width", patch32(valid, 18, uint32_t(-5))},
      {"bad planes", patch16(valid, 26, 3)},
      {"bad bit count", patch16(valid, 28, 7)},
      {"unknown header size", patch32(valid, 14, 20)},
      {"huge header size", patch32(valid, 14, 0x7FFFFFF0)},
      {"colour count beyond 256", patch32(valid, 46, 100000)},
      {"compression unknown", patch32(valid, 30, 9)},
      {"RLE4 on 8 bits", patch32(valid, 30, BI_RLE4)},
      {"RLE8 with a size far beyond its data", patch32(patch32(patch32(valid, 30, BI_RLE8), 18, 60000), 22, 60000)},
      {"bits offset past the end", patch32(valid, 10, 0x7FFFFFF0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TMemoryStream s;
    s.WriteBuffer(c.Data.data(), Integer(c.Data.size()));
    s.SetPosition(0);
    TBitmap b;
    try {
      b.LoadFromStream(&s);
      ADD_FAILURE() << "no exception";
    } catch (const EInvalidGraphic& e) {
      EXPECT_STREQ(e.what(), "Bitmap image is not valid");
    }
  }
}

TEST(Bitmap, EmptyStreamGivesEmptyBitmapAndEmptyBitmapWritesNothing) {
  TBitmap b;
  TMemoryStream s;
  b.SaveToStream(&s);
  EXPECT_EQ(s.Size(), 0);
  b.SetSize(3, 3);
  b.LoadFromStream(&s);
  EXPECT_TRUE(b.Empty());
}

TEST(Bitmap, DeviceBitmapSavesAsDib) {
  TBitmap b;
  b.SetSize(3, 2);
  b.Canvas()->Brush()->SetColor(clFuchsia);
  b.Canvas()->FillRect(Rect(0, 0, 3, 2));
  TMemoryStream s;
  b.SaveToStream(&s);
  EXPECT_EQ(b.HandleType(), bmDDB);  // saving does not change the bitmap
  s.SetPosition(0);
  TBitmap r;
  r.LoadFromStream(&s);
  EXPECT_EQ(r.Canvas()->Pixels(2, 1), clFuchsia);
}

TEST(Bitmap, AssignMakesDeepCopy) {
  std::unique_ptr<TBitmap> a(NewBitmap(pf8bit, 5, 5, 8));
  FillPattern(*a);
  a->SetTransparent(true);
  a->SetTransparentColor(clRed);
  TBitmap b;
  b.Assign(a.get());
  EXPECT_NE(b.Handle(), a->Handle());
  EXPECT_EQ(b.PixelFormat(), pf8bit);
  EXPECT_EQ(RowsOf(b), RowsOf(*a));
  EXPECT_TRUE(b.Transparent());
  EXPECT_EQ(b.TransparentMode(), tmFixed);
  EXPECT_EQ(b.TransparentColor() & 0xFFFFFF, clRed);
  static_cast<Byte*>(a->ScanLine(0))[0] = 7;
  EXPECT_NE(static_cast<Byte*>(b.ScanLine(0))[0], 7);
  // Assigning nil empties.
  b.Assign(nullptr);
  EXPECT_TRUE(b.Empty());
}

TEST(Bitmap, ChangeNotification) {
  TBitmap b;
  int changes = 0;
  b.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &b);
    ++changes;
  };
  b.SetSize(4, 4);
  EXPECT_EQ(changes, 1);
  b.Canvas()->Rectangle(0, 0, 2, 2);
  EXPECT_EQ(changes, 2);
  EXPECT_TRUE(b.Modified());
  b.SetModified(false);
  EXPECT_FALSE(b.Modified());
  b.SetPixelFormat(pf8bit);
  EXPECT_EQ(changes, 3);
}

TEST(Bitmap, TransparencyMask) {
  std::unique_ptr<TBitmap> b(NewBitmap(pf24bit, 4, 3));
  TCanvas* c = b->Canvas();
  c->Brush()->SetColor(clLime);
  c->FillRect(Rect(0, 0, 4, 3));
  c->SetPixels(1, 0, clRed);
  c->SetPixels(2, 2, clBlue);  // bottom row: (0,2) stays lime
  EXPECT_EQ(b->TransparentMode(), tmAuto);
  EXPECT_EQ(b->TransparentColor(), clLime | 0x02000000);

  auto maskBits = [](HBITMAP mask) {
    TBitmap m;
    m.SetHandle(mask);
    std::vector<int> bits;
    for (int y = 0; y < m.Height(); ++y)
      for (int x = 0; x < m.Width(); ++x) bits.push_back(m.Canvas()->Pixels(x, y) == clWhite ? 1 : 0);
    m.ReleaseHandle();
    return bits;
  };
  EXPECT_EQ(maskBits(b->MaskHandle()), (std::vector<int>{1, 0, 1, 1, 1, 1, 1, 1, 1, 1, 0, 1}));
  // A fixed colour, and a mask rebuilt after the picture changes.
  b->SetTransparentColor(clRed);
  EXPECT_EQ(b->TransparentMode(), tmFixed);
  EXPECT_EQ(maskBits(b->MaskHandle()), (std::vector<int>{0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  c->SetPixels(3, 1, clRed);
  EXPECT_EQ(maskBits(b->MaskHandle()), (std::vector<int>{0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0}));
  b->SetTransparentMode(tmAuto);
  EXPECT_EQ(b->TransparentColor(), clLime | 0x02000000);

  // A palettised bitmap compares colours, not indices.
  TBitmap p;
  p.Assign(b.get());
  p.SetPixelFormat(pf8bit);
  EXPECT_EQ(maskBits(p.MaskHandle()), (std::vector<int>{1, 0, 1, 1, 1, 1, 1, 0, 1, 1, 0, 1}));

  // Mask() turns the bitmap into its mask.
  b->Mask(clRed);
  EXPECT_TRUE(b->Monochrome());
  EXPECT_EQ(b->Canvas()->Pixels(1, 0), clWhite);
  EXPECT_EQ(b->Canvas()->Pixels(0, 0), clBlack);
}

TEST(Bitmap, TransparentDrawLeavesBackground) {
  std::unique_ptr<TBitmap> sprite(NewBitmap(pf24bit, 2, 2));
  sprite->Canvas()->Brush()->SetColor(clLime);
  sprite->Canvas()->FillRect(Rect(0, 0, 2, 2));
  sprite->Canvas()->SetPixels(1, 0, clRed);
  sprite->SetTransparent(true);
  std::unique_ptr<TBitmap> back(NewBitmap(pf24bit, 4, 4));
  back->Canvas()->Brush()->SetColor(clBlue);
  back->Canvas()->FillRect(Rect(0, 0, 4, 4));
  back->Canvas()->Draw(1, 1, sprite.get());
  EXPECT_EQ(back->Canvas()->Pixels(1, 1), clBlue);
  EXPECT_EQ(back->Canvas()->Pixels(2, 1), clRed);
  EXPECT_EQ(back->Canvas()->Pixels(2, 2), clBlue);
  sprite->SetTransparent(false);
  back->Canvas()->StretchDraw(Rect(0, 0, 4, 4), sprite.get());
  EXPECT_EQ(back->Canvas()->Pixels(0, 3), clLime);
  EXPECT_EQ(back->Canvas()->Pixels(3, 0), clRed);
}

TEST(Bitmap, HandleOwnershipAndRelease) {
  std::unique_ptr<TBitmap> a(NewBitmap(pf24bit, 3, 3));
  a->Canvas()->SetPixels(0, 0, clRed);
  HBITMAP h = a->ReleaseHandle();
  EXPECT_TRUE(a->Empty());
  ASSERT_NE(h, nullptr);
  TBitmap b;
  b.SetHandle(h);
  EXPECT_EQ(b.Handle(), h);
  EXPECT_EQ(b.PixelFormat(), pf24bit);
  EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed);
  // A device bitmap handle.
  HDC screen = GetDC(nullptr);
  HBITMAP ddb = CreateCompatibleBitmap(screen, 6, 2);
  ReleaseDC(nullptr, screen);
  TBitmap d;
  d.SetHandle(ddb);
  EXPECT_EQ(d.HandleType(), bmDDB);
  EXPECT_EQ(d.Width(), 6);
  d.Canvas()->SetPixels(5, 1, clAqua);
  EXPECT_EQ(d.Canvas()->Pixels(5, 1), clAqua);
  d.SetHandleType(bmDIB);
  EXPECT_EQ(d.Canvas()->Pixels(5, 1), clAqua);
  d.SetPixelFormat(pfDevice);
  EXPECT_EQ(d.HandleType(), bmDDB);
  EXPECT_EQ(d.Canvas()->Pixels(5, 1), clAqua);
}

TEST(Bitmap, ClipboardFormats) {
  std::unique_ptr<TBitmap> a(NewBitmap(pf24bit, 3, 2));
  a->Canvas()->SetPixels(2, 1, clYellow);
  Word fmt = 0;
  HANDLE data = nullptr;
  HPALETTE pal = nullptr;
  a->SaveToClipboardFormat(fmt, data, pal);
  EXPECT_EQ(fmt, CF_BITMAP);
  ASSERT_NE(data, nullptr);
  TBitmap b;
  b.LoadFromClipboardFormat(fmt, data, pal);
  EXPECT_EQ(b.Width(), 3);
  EXPECT_EQ(b.Canvas()->Pixels(2, 1), clYellow);
  DeleteObject(data);
  // A packed DIB in global memory.
  TMemoryStream s;
  a->SaveToStream(&s);
  HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, SIZE_T(s.Size() - 14));
  std::memcpy(GlobalLock(g), static_cast<Byte*>(s.Memory()) + 14, SIZE_T(s.Size() - 14));
  GlobalUnlock(g);
  TBitmap c;
  c.LoadFromClipboardFormat(CF_DIB, g, nullptr);
  EXPECT_EQ(c.Canvas()->Pixels(2, 1), clYellow);
  GlobalFree(g);
}

TEST(Bitmap, MonochromeSwitch) {
  std::unique_ptr<TBitmap> b(NewBitmap(pf24bit, 2, 1));
  b->Canvas()->SetPixels(0, 0, clBlack);
  b->Canvas()->SetPixels(1, 0, clWhite);
  b->SetMonochrome(true);
  EXPECT_TRUE(b->Monochrome());
  EXPECT_EQ(b->PixelFormat(), pf1bit);
  b->SetMonochrome(false);
  EXPECT_FALSE(b->Monochrome());
  EXPECT_EQ(b->Canvas()->Pixels(0, 0), clBlack);
  EXPECT_EQ(b->Canvas()->Pixels(1, 0), clWhite);
}

// Run-length encoded BMPs: runs, literals, deltas, line and bitmap ends; data
// running past the picture or ending early does no harm.
TEST(Bitmap, ReadsRunLengthEncoded) {
  auto bmp = [](int bpp, int w, int h, const std::vector<Byte>& rle) {
    std::vector<Byte> v;
    auto put = [&](uint32_t x, int n) {
      for (int i = 0; i < n; ++i) v.push_back(Byte(x >> (8 * i)));
    };
    const int colours = 1 << bpp;
    put(0x4D42, 2); put(0, 4); put(0, 4); put(14 + 40 + 4 * colours, 4);
    put(40, 4); put(w, 4); put(h, 4); put(1, 2); put(bpp, 2); put(bpp == 8 ? BI_RLE8 : BI_RLE4, 4);
    put(uint32_t(rle.size()), 4); put(0, 4); put(0, 4); put(0, 4); put(0, 4);
    for (int i = 0; i < colours; ++i) put(uint32_t(i * 0x010101), 4);  // grey level i
    v.insert(v.end(), rle.begin(), rle.end());
    auto b = std::make_unique<TBitmap>();
    TMemoryStream s;
    s.WriteBuffer(v.data(), Integer(v.size()));
    s.SetPosition(0);
    b->LoadFromStream(&s);
    return b;
  };
  auto index = [](TBitmap& b, int x, int y) { return Byte(b.Canvas()->Pixels(x, y) & 0xFF); };

  // 4x3, 8 bits. Bottom row: runs 5 5 5 7, end of line; middle: end of line;
  // top: move right by one, literal 9 8 7 (padded), end of bitmap.
  auto b8 = bmp(8, 4, 3, {3, 5, 1, 7, 0, 0, 0, 0, 0, 2, 1, 0, 0, 3, 9, 8, 7, 0, 0, 1});
  EXPECT_EQ(b8->PixelFormat(), pf8bit);
  EXPECT_EQ(index(*b8, 0, 2), 5);
  EXPECT_EQ(index(*b8, 2, 2), 5);
  EXPECT_EQ(index(*b8, 3, 2), 7);
  EXPECT_EQ(index(*b8, 0, 1), 0);  // a line that only ended
  EXPECT_EQ(index(*b8, 0, 0), 0);  // skipped by the delta
  EXPECT_EQ(index(*b8, 1, 0), 9);
  EXPECT_EQ(index(*b8, 3, 0), 7);

  // 7x1, 4 bits: a run of 3 alternating 2/A, a literal of 3 nibbles 3 4 5.
  auto b4 = bmp(4, 7, 1, {3, 0x2A, 0, 3, 0x34, 0x50, 0, 1});
  EXPECT_EQ(b4->PixelFormat(), pf4bit);
  const Byte expected[7] = {0x2, 0xA, 0x2, 0x3, 0x4, 0x5, 0};
  for (int x = 0; x < 7; ++x) EXPECT_EQ(index(*b4, x, 0), expected[x]) << x;

  // Runs past the right edge, deltas past the top and data cut in a literal are ignored.
  auto wild = bmp(8, 2, 2, {200, 1, 0, 2, 100, 100, 0, 50, 1});
  EXPECT_EQ(index(*wild, 0, 1), 1);
  EXPECT_EQ(index(*wild, 1, 1), 1);
  auto cut = bmp(8, 2, 2, {1, 3, 0, 50, 1});
  EXPECT_EQ(index(*cut, 0, 1), 3);
  EXPECT_EQ(index(*cut, 1, 1), 0);
}

// A bitmap deletes the GDI objects it made: DIB, memory DC, palette, mask, and
// its canvas's font, pen and brush; a replaced image's objects go at once.
TEST(Bitmap, FreesItsGdiObjects) {
  std::vector<HGDIOBJ> made;
  {
    std::unique_ptr<TBitmap> b(NewBitmap(pf8bit, 16, 16, 32));
    b->SetTransparent(true);
    made = {b->Handle(), b->Palette(), b->MaskHandle(), b->Canvas()->Handle(), b->Canvas()->Font()->Handle(),
            b->Canvas()->Pen()->Handle(), b->Canvas()->Brush()->Handle()};
    for (HGDIOBJ h : made) ASSERT_NE(GetObjectType(h), 0u);
    // Converting replaces the DIB, the DC and the palette handle.
    const HGDIOBJ oldDib = b->Handle(), oldDc = b->Canvas()->Handle(), oldMask = b->MaskHandle();
    b->SetPixelFormat(pf24bit);
    EXPECT_EQ(GetObjectType(oldDib), 0u);
    EXPECT_EQ(GetObjectType(oldDc), 0u);
    EXPECT_EQ(GetObjectType(oldMask), 0u);
    made = {b->Handle(), b->Palette(), b->MaskHandle(), b->Canvas()->Handle(), b->Canvas()->Font()->Handle()};
  }
  for (HGDIOBJ h : made) EXPECT_EQ(GetObjectType(h), 0u) << h;
}
