// Frame import: bitmaps of every depth, icons, metafiles, pictures and frames.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "gif/GIFDIB.h"
#include "gif/GIFImage.h"
#include "gif/GIFImport.h"
#include "tests/gif/gif_test_util.h"

using giftest::MessageOf;

namespace {

TColor FrameColor(TGIFSubImage& f, Integer x, Integer y) {
  const TGIFColor& c = f.EffectiveColorMap()->Entries()[f.PixelAt(x, y)];
  return TColor(c.Red | (c.Green << 8) | (c.Blue << 16));
}

// An 8-bit bitmap over a palette of Count distinct colours, pixel i = i mod Count.
std::unique_ptr<TBitmap> Indexed8(Integer w, Integer h, Integer count) {
  std::vector<Byte> mem(sizeof(LOGPALETTE) + 256 * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(mem.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = WORD(count);
  for (Integer i = 0; i < count; ++i) lp->palPalEntry[i] = {Byte(i), Byte(255 - i), Byte(i * 7), 0};
  HPALETTE pal = ::CreatePalette(lp);
  auto bmp = std::make_unique<TBitmap>();
  {
    TDIBWriter writer(bmp.get(), pf8bit, w, h, pal);
    for (Integer y = 0; y < h; ++y) {
      auto* row = static_cast<Byte*>(writer.RowAddress(y));
      for (Integer x = 0; x < w; ++x) row[x] = Byte((y * w + x) % count);
    }
    writer.StoreIntoBitmap();
  }
  ::DeleteObject(pal);
  return bmp;
}

struct ProgressLog {
  std::vector<std::tuple<TProgressStage, Integer, std::string>> calls;
  void Attach(TGIFImage& image) {
    image.OnProgress = [this](TObject*, TProgressStage s, Byte p, bool, const TRect&, const std::string& m) {
      calls.emplace_back(s, p, m);
    };
  }
};

}  // namespace

// Every pixel format: the frame shows what the source shows (deeper sources
// through an exact octree palette, since they hold few colours).
TEST(Import, BitmapsOfEveryPixelFormat) {
  const TPixelFormat formats[] = {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfDevice};
  const TColor colors[] = {clBlack, clWhite, clRed, clBlue, clLime, clGray, clYellow};
  for (TPixelFormat pf : formats) {
    TGIFImage image;
    image.SetColorReduction(rdQuantize);
    image.SetColorDepthLimit(8);
    TBitmap src;
    src.SetPixelFormat(pf);
    src.SetSize(7, 5);
    for (Integer y = 0; y < 5; ++y)
      for (Integer x = 0; x < 7; ++x) src.Canvas()->SetPixels(x, y, colors[(x + y) % 7]);
    TGIFSubImage frame(&image);
    CopyFrameFrom(&frame, &src);
    ASSERT_EQ(frame.Width(), 7) << int(pf);
    ASSERT_EQ(frame.Height(), 5) << int(pf);
    EXPECT_TRUE(frame.HasBitmap()) << int(pf);
    for (Integer y = 0; y < 5; ++y)
      for (Integer x = 0; x < 7; ++x)
        EXPECT_EQ(FrameColor(frame, x, y), src.Canvas()->Pixels(x, y) & 0xFFFFFF)
            << "format " << int(pf) << " at " << x << "," << y;
    // The logical screen grows to hold the frame.
    EXPECT_EQ(image.LogicalWidth(), 7);
  }
}

TEST(Import, PackedRowsUnpackMostSignificantFirst) {
  TGIFImage image;
  TBitmap four;
  four.SetPixelFormat(pf4bit);
  four.SetSize(3, 1);
  auto* row4 = static_cast<Byte*>(four.ScanLine(0));
  row4[0] = 0x5A;
  row4[1] = 0xC0;
  TGIFSubImage f4(&image);
  CopyFrameFrom(&f4, &four);
  EXPECT_EQ((std::vector<Byte>{f4.PixelAt(0, 0), f4.PixelAt(1, 0), f4.PixelAt(2, 0)}), (std::vector<Byte>{5, 10, 12}));
  EXPECT_EQ(f4.ColorMap()->Count(), 16);

  TBitmap one;
  one.SetPixelFormat(pf1bit);
  one.SetSize(10, 1);
  auto* row1 = static_cast<Byte*>(one.ScanLine(0));
  row1[0] = 0xA1;  // 1010 0001
  row1[1] = 0x80;  // 1
  TGIFSubImage f1(&image);
  CopyFrameFrom(&f1, &one);
  std::vector<Byte> bits;
  for (Integer x = 0; x < 10; ++x) bits.push_back(f1.PixelAt(x, 0));
  EXPECT_EQ(bits, (std::vector<Byte>{1, 0, 1, 0, 0, 0, 0, 1, 1, 0}));
  EXPECT_EQ(f1.ColorMap()->Count(), 2);
}

TEST(Import, EightBitKeepsIndicesAndTheColourTable) {
  TGIFImage image;
  auto src = Indexed8(9, 4, 30);
  TGIFSubImage frame(&image);
  CopyFrameFrom(&frame, src.get());
  for (Integer i = 0; i < 36; ++i) ASSERT_EQ(frame.PixelAt(i % 9, i / 9), i % 30);
  ASSERT_GE(frame.ColorMap()->Count(), 30);
  EXPECT_EQ(frame.ColorMap()->Entries()[29].Red, 29);
  EXPECT_EQ(frame.ColorMap()->Entries()[29].Green, 226);
  EXPECT_EQ(frame.ColorMap()->Entries()[29].Blue, 203);
}

TEST(Import, TrueColourWithoutReductionGetsAnExactMapOrOverflows) {
  TGIFImage image;
  image.SetColorReduction(rdNone);
  auto make = [](Integer colors) {
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf24bit);
    b->SetSize(colors, 2);
    for (Integer y = 0; y < 2; ++y) {
      auto* row = static_cast<Byte*>(b->ScanLine(y));
      // Row 0 holds colours colors-1 .. 0 in runs; row 1 repeats them reversed.
      for (Integer x = 0; x < colors; ++x) {
        Integer c = y == 0 ? colors - 1 - x : x;
        row[3 * x] = Byte(c);           // blue
        row[3 * x + 1] = Byte(c >> 8);  // green
        row[3 * x + 2] = 100;           // red
      }
    }
    return b;
  };
  auto ok = make(256);
  TGIFSubImage frame(&image);
  CopyFrameFrom(&frame, ok.get());
  ASSERT_EQ(frame.ColorMap()->Count(), 256);
  // Order of first appearance; true red, green, blue.
  EXPECT_EQ(frame.ColorMap()->Entries()[0].Red, 100);
  EXPECT_EQ(frame.ColorMap()->Entries()[0].Blue, 255);
  EXPECT_EQ(frame.ColorMap()->Entries()[255].Blue, 0);
  for (Integer x = 0; x < 256; ++x) {
    ASSERT_EQ(frame.PixelAt(x, 0), x);
    ASSERT_EQ(frame.PixelAt(x, 1), 255 - x);
  }
  auto over = make(257);
  TGIFSubImage frame2(&image);
  EXPECT_EQ(MessageOf<GIFException>([&] { CopyFrameFrom(&frame2, over.get()); }), "Color table overflow");
}

TEST(Import, ReportsProgressWhileConverting) {
  TGIFImage image;
  image.SetColorReduction(rdNone);
  ProgressLog log;
  log.Attach(image);
  TBitmap src;
  src.SetPixelFormat(pf24bit);
  src.SetSize(4, 70);
  TGIFSubImage frame(&image);
  CopyFrameFrom(&frame, &src);
  using C = std::tuple<TProgressStage, Integer, std::string>;
  EXPECT_EQ(log.calls, (std::vector<C>{{psStarting, 0, "Converting..."},
                                       {psRunning, 0, "Converting..."},
                                       {psRunning, 46, "Converting..."},
                                       {psRunning, 91, "Converting..."},
                                       {psEnding, 100, "Converting..."}}));

  // A failing import still ends its progress, with 0.
  log.calls.clear();
  image.SetColorReduction(rdCustom);
  EXPECT_EQ(MessageOf<EInvalidGraphicOperation>([&] { CopyFrameFrom(&frame, &src); }),
            "Scan line index out of range");
  ASSERT_FALSE(log.calls.empty());
  EXPECT_EQ(log.calls.back(), (C{psEnding, 0, "Converting..."}));
}

TEST(Import, EmptyHugeAndUnusableSources) {
  TGIFImage image;
  TGIFSubImage frame(&image);
  for (TPixelFormat pf : {pf1bit, pf4bit, pf8bit, pf16bit, pf24bit, pf32bit, pfDevice})
    for (auto [w, h] : {std::pair{0, 0}, std::pair{0, 5}, std::pair{5, 0}}) {
      TBitmap empty;
      empty.SetPixelFormat(pf);
      empty.SetSize(w, h);
      CopyFrameFrom(&frame, &empty);
      EXPECT_TRUE(frame.IsEmpty());
      EXPECT_EQ(frame.Width(), 0);
      EXPECT_FALSE(frame.HasBitmap());
    }
  // A side beyond 16 bits cannot be a frame: the platform refuses such a
  // bitmap, or, where it makes one, the import does.
  auto oversized = [&](Integer w, Integer h, TPixelFormat pf) {
    TBitmap b;
    b.SetPixelFormat(pf);
    try {
      b.SetSize(w, h);
    } catch (const Exception&) {
      return std::string("refused by the platform");
    }
    return MessageOf<GIFException>([&] { CopyFrameFrom(&frame, &b); });
  };
  for (auto [w, h, pf] : {std::tuple{70000, 1, pf1bit}, std::tuple{1, 65536, pf8bit}}) {
    const std::string r = oversized(w, h, pf);
    EXPECT_TRUE(r == "refused by the platform" || r == "Invalid image dimensions") << r;
  }
  // The largest frame side still imports.
  TBitmap edge;
  edge.SetPixelFormat(pf1bit);
  edge.SetSize(65535, 2);
  CopyFrameFrom(&frame, &edge);
  EXPECT_EQ(frame.Width(), 65535);

  // Unknown reduction settings leave the reduced bitmap without rows.
  image.SetColorReduction(TGIFColorReduction(10));
  TBitmap rgb;
  rgb.SetPixelFormat(pf24bit);
  rgb.SetSize(3, 3);
  EXPECT_EQ(MessageOf<EInvalidGraphicOperation>([&] { CopyFrameFrom(&frame, &rgb); }), "Scan line index out of range");

  TFont font;
  EXPECT_EQ(MessageOf<EConvertError>([&] { CopyFrameFrom(&frame, &font); }), "Cannot assign a TFont to a TGIFSubImage");
}

TEST(Import, TransparentBitmapGetsATransparentIndex) {
  struct Case {
    const char* name;
    Integer colors;
    TColor transparent;
    bool expectTransparency;
  };
  // Palette entry i is (i, 255 - i, 7i); 10 colours used below.
  const Case cases[] = {
      {"marked pixels", 10, TColor(3 | (252 << 8) | (21 << 16)), true},
      {"nothing marked", 10, TColor(0x123456), false},
      {"full map", 256, TColor(3 | (252 << 8) | (21 << 16)), false},
  };
  for (const Case& c : cases) {
    TGIFImage image;
    auto src = Indexed8(16, 16, c.colors);
    src->SetTransparentColor(c.transparent);
    src->SetTransparent(true);
    TGIFSubImage frame(&image);
    CopyFrameFrom(&frame, src.get());
    EXPECT_EQ(frame.Transparent(), c.expectTransparency) << c.name;
    if (c.expectTransparency) {
      ASSERT_NE(frame.GraphicControl(), nullptr) << c.name;
      ASSERT_EQ(frame.Extensions()->ItemCount(), 1) << c.name;
      const Integer t = frame.GraphicControl()->TransparentIndex();
      EXPECT_EQ(t, frame.ColorMap()->Count() - 1) << c.name;
      EXPECT_EQ(frame.ColorMap()->Count(), c.colors + 1) << c.name;
      for (Integer i = 0; i < 256; ++i) {
        const bool marked = i % c.colors == 3;
        EXPECT_EQ(frame.PixelAt(i % 16, i / 16) == t, marked) << c.name << " pixel " << i;
        if (!marked) {
          EXPECT_EQ(FrameColor(frame, i % 16, i / 16), src->Canvas()->Pixels(i % 16, i / 16) & 0xFFFFFF);
        }
      }
    } else {
      EXPECT_EQ(frame.Extensions()->ItemCount(), 0) << c.name;
      // The map was compacted: only the colours in use, most used first.
      EXPECT_EQ(frame.ColorMap()->Count(), c.colors) << c.name;
    }
  }
}

TEST(Import, IconAndMetafileMasksBecomeTransparency) {
  // A 16 x 16 icon whose AND mask hides the left half.
  {
    TBitmap color;
    color.SetPixelFormat(pf24bit);
    color.SetSize(16, 16);
    color.Canvas()->Brush()->SetColor(clRed);
    color.Canvas()->FillRect(Rect(0, 0, 16, 16));
    std::vector<Byte> andBits(16 * 2);
    for (Integer y = 0; y < 16; ++y) andBits[y * 2] = 0xFF;  // columns 0..7
    HBITMAP mask = ::CreateBitmap(16, 16, 1, 1, andBits.data());
    ICONINFO ii{TRUE, 0, 0, mask, color.Handle()};
    TIcon icon;
    icon.SetHandle(::CreateIconIndirect(&ii));
    ::DeleteObject(mask);

    TGIFImage image;
    image.SetColorReduction(rdNone);
    TGIFSubImage frame(&image);
    CopyFrameFrom(&frame, &icon);
    ASSERT_EQ(frame.Width(), 16);
    ASSERT_TRUE(frame.Transparent());
    const Integer t = frame.GraphicControl()->TransparentIndex();
    for (Integer y = 0; y < 16; ++y)
      for (Integer x = 0; x < 16; ++x) {
        ASSERT_EQ(frame.PixelAt(x, y) == t, x < 8) << x << "," << y;
        if (x >= 8) {
          ASSERT_EQ(FrameColor(frame, x, y), clRed);
        }
      }
  }
  // A metafile that paints only its left part.
  {
    TMetafile mf;
    mf.SetWidth(40);
    mf.SetHeight(20);
    {
      TMetafileCanvas canvas(&mf, nullptr);
      canvas.Brush()->SetColor(clBlue);
      canvas.Pen()->SetColor(clBlue);
      canvas.Rectangle(0, 0, 20, 20);
    }
    TGIFImage image;
    image.SetColorReduction(rdNone);
    TGIFSubImage frame(&image);
    CopyFrameFrom(&frame, &mf);
    ASSERT_GT(frame.Width(), 30);
    ASSERT_TRUE(frame.Transparent());
    const Integer t = frame.GraphicControl()->TransparentIndex();
    const Integer w = frame.Width(), h = frame.Height();
    EXPECT_NE(frame.PixelAt(w / 4, h / 2), t);
    EXPECT_EQ(FrameColor(frame, w / 4, h / 2), clBlue);
    EXPECT_EQ(frame.PixelAt(w - 3, h / 2), t);
  }
}

TEST(Import, CopyingFramesAndPictures) {
  TGIFImage image;
  auto src = Indexed8(8, 8, 12);
  src->SetTransparentColor(TColor(5 | (250 << 8) | (35 << 16)));
  src->SetTransparent(true);
  TGIFSubImage original(&image);
  CopyFrameFrom(&original, src.get());
  ASSERT_TRUE(original.HasBitmap());

  TGIFImage other;
  TGIFSubImage copy(&other);
  CopyFrameFrom(&copy, &original);
  EXPECT_EQ(copy.Width(), 8);
  EXPECT_EQ(copy.ColorMap()->Count(), original.ColorMap()->Count());
  EXPECT_TRUE(copy.Transparent());
  ASSERT_EQ(copy.Extensions()->ItemCount(), 1);
  EXPECT_EQ(copy.GraphicControl()->TransparentIndex(), original.GraphicControl()->TransparentIndex());
  for (Integer i = 0; i < 64; ++i) ASSERT_EQ(copy.PixelAt(i % 8, i / 8), original.PixelAt(i % 8, i / 8));
  // Its own copy of the cached bitmap.
  ASSERT_TRUE(copy.HasBitmap());
  EXPECT_NE(copy.RenderedBitmap(), original.RenderedBitmap());
  EXPECT_EQ(copy.RenderedBitmap()->Width(), 8);

  // A picture hands over its graphic; nil clears; the frame itself is a no-op.
  TPicture picture;
  picture.SetBitmap(src.get());
  TGIFSubImage fromPicture(&image);
  CopyFrameFrom(&fromPicture, &picture);
  EXPECT_EQ(fromPicture.Height(), 8);
  CopyFrameFrom(&fromPicture, &fromPicture);
  EXPECT_EQ(fromPicture.Height(), 8);
  // Its own cached bitmap imports again without being lost on the way.
  CopyFrameFrom(&fromPicture, fromPicture.RenderedBitmap());
  EXPECT_EQ(fromPicture.Height(), 8);
  EXPECT_EQ(fromPicture.PixelAt(7, 7), original.PixelAt(7, 7));
  CopyFrameFrom(&fromPicture, nullptr);
  EXPECT_TRUE(fromPicture.IsEmpty());
}

// True-colour pictures go through the document's reduction settings.
TEST(Import, TrueColourFollowsTheDocumentsReductionSettings) {
  struct Case {
    TGIFColorReduction method;
    TGIFDitherKind kind;
    Integer depth;
  };
  const Case cases[] = {{rdNetscape, dkNearest, 8}, {rdQuantize, dkFloydSteinberg, 8}, {rdGrayScale, dkStucki, 8},
                        {rdQuantize, dkBurkes, 3}};
  for (const Case& c : cases) {
    TGIFImage image;
    image.SetColorReduction(c.method);
    image.SetDitherKind(c.kind);
    image.SetColorDepthLimit(c.depth);
    TBitmap src;
    src.SetPixelFormat(pf24bit);
    src.SetSize(48, 40);
    for (Integer y = 0; y < 40; ++y) {
      auto* row = static_cast<Byte*>(src.ScanLine(y));
      for (Integer x = 0; x < 48; ++x) {
        row[3 * x] = Byte(x * 5);
        row[3 * x + 1] = Byte(y * 6);
        row[3 * x + 2] = Byte(200 - x - y);
      }
    }
    TGIFSubImage frame(&image);
    CopyFrameFrom(&frame, &src);
    ASSERT_EQ(frame.Width(), 48);
    double error = 0;
    std::set<Byte> used;
    for (Integer y = 0; y < 40; ++y) {
      auto* row = static_cast<Byte*>(src.ScanLine(y));
      for (Integer x = 0; x < 48; ++x) {
        used.insert(frame.PixelAt(x, y));
        const TColor col = FrameColor(frame, x, y);
        const Integer r = col & 0xFF, g = (col >> 8) & 0xFF, b = (col >> 16) & 0xFF;
        if (c.method == rdNetscape) {
          ASSERT_TRUE(r % 51 == 0 && g % 51 == 0 && b % 51 == 0);
        }
        if (c.method == rdGrayScale) {
          ASSERT_TRUE(r == g && g == b);
        }
        error += std::abs(r - row[3 * x + 2]) + std::abs(g - row[3 * x + 1]) + std::abs(b - row[3 * x]);
      }
    }
    EXPECT_LE(Integer(used.size()), 1 << c.depth) << int(c.method);
    if (c.method == rdQuantize && c.depth == 8) {
      EXPECT_LT(error / (48 * 40 * 3), 4.0);
    }
  }
}
