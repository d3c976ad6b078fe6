// Rendering frames into bitmaps and masks, drawing them, the composite
// bitmap, the document palette and the clipboard.
#include "tests/gif/anim_test_util.h"

using namespace giftest;
using namespace animtest;

namespace {


std::vector<Byte> MaskBytes(HBITMAP mask, int rowBytes, int height) {
  std::vector<Byte> out(size_t(rowBytes * height));
  ::GetBitmapBits(mask, LONG(out.size()), out.data());
  return out;
}

}  // namespace

TEST(Render, EmptyFramesHaveNoBitmapAndReportNothing) {
  TGIFImage img;
  auto f = std::make_unique<TGIFSubImage>(&img);
  int reports = 0;
  img.OnProgress = [&](TObject*, TProgressStage, Byte, bool, const TRect&, const std::string&) { ++reports; };
  EXPECT_EQ(f->RenderedBitmap(), nullptr);
  EXPECT_EQ(reports, 0);
}

TEST(Render, PlainBitmapHoldsTheFrameColoursAndReportsProgress) {
  auto img = MakeImage(3, 2, kColors, {{0, 0, 3, 2, {0, 1, 2, 3, 2, 1}, -1}});
  std::vector<std::string> log;
  img->OnProgress = [&](TObject* sender, TProgressStage stage, Byte pct, bool, const TRect&, const std::string& m) {
    EXPECT_EQ(sender, img->Frames()->FrameAt(0));
    log.push_back(std::to_string(int(stage)) + ":" + std::to_string(pct) + ":" + m);
  };
  TBitmap* bmp = img->Frames()->FrameAt(0)->RenderedBitmap();
  ASSERT_NE(bmp, nullptr);
  EXPECT_EQ(log, (std::vector<std::string>{"0:0:Rendering...", "1:0:Rendering...", "2:100:Rendering..."}));
  EXPECT_EQ(bmp->PixelFormat(), pf8bit);
  EXPECT_EQ(PixelsOf(*bmp), (std::vector<TColor>{0x000000, 0x0000FF, 0x00FF00, 0xFF0000, 0x00FF00, 0x0000FF}));
  EXPECT_EQ(img->Frames()->FrameAt(0)->RenderedBitmap(), bmp);  // cached
  // A progress handler that cancels leaves the frame without a bitmap.
  img->Frames()->FrameAt(0)->FreeBitmap();
  img->OnProgress = [](TObject*, TProgressStage, Byte, bool, const TRect&, const std::string&) { throw EAbort(""); };
  EXPECT_EQ(img->Frames()->FrameAt(0)->RenderedBitmap(), nullptr);
  EXPECT_FALSE(img->Frames()->FrameAt(0)->HasBitmap());
}

TEST(Render, MasksMarkTransparentPixelsPlainAndDithered) {
  // 9 pixels wide: mask rows of 2 bytes; pixel 8 is bit 0x80 of the second byte.
  const std::vector<Byte> pixels = {3, 0, 0, 0, 0, 0, 0, 0, 3,  //
                                    0, 3, 0, 0, 0, 0, 0, 3, 0};
  for (TGIFPaintFlags flags : {TGIFPaintFlags(0), TGIFPaintFlags(pfDither)}) {
    SCOPED_TRACE(flags ? "dithered (second row right to left)" : "plain");
    auto img = MakeImage(9, 2, kColors, {{0, 0, 9, 2, pixels, 5, 0, 3}});
    img->SetPaintFlags(flags);
    TGIFSubImage* f = img->Frames()->FrameAt(0);
    ASSERT_NE(f->RenderedBitmap(), nullptr);
    ASSERT_NE(f->Mask(), nullptr);
    EXPECT_FALSE(f->NeedMask());
    EXPECT_EQ(MaskBytes(f->Mask(), 2, 2), (std::vector<Byte>{0x80, 0x80, 0x41, 0x00}));
  }
  // A transparent frame that never uses its index gets no mask.
  auto img = MakeImage(2, 1, kColors, {{0, 0, 2, 1, {1, 2}, 5, 0, 3}});
  TGIFSubImage* f = img->Frames()->FrameAt(0);
  ASSERT_NE(f->RenderedBitmap(), nullptr);
  EXPECT_EQ(f->Mask(), nullptr);
  EXPECT_FALSE(f->NeedMask());
}

TEST(Render, DitheredFramesUseTheColourCube) {
  // Colours on the cube come out exactly.
  auto img = MakeImage(2, 2, {0x000000, 0x3366CC, 0xFFFFFF}, {{0, 0, 2, 2, {0, 1, 2, 1}, -1}});
  img->SetPaintFlags(pfDither);
  ASSERT_TRUE(img->UsesDither());
  TBitmap* bmp = img->Frames()->FrameAt(0)->RenderedBitmap();
  ASSERT_NE(bmp, nullptr);
  EXPECT_EQ(PixelsOf(*bmp), (std::vector<TColor>{0x000000, 0x3366CC, 0xFFFFFF, 0x3366CC}));
  img->SetPaintFlags(pfDither | pfAutoDither);
  EXPECT_EQ(img->UsesDither(), GIFPaletteDisplay);
  img->SetPaintFlags(pfAutoDither);
  EXPECT_FALSE(img->UsesDither());
}

TEST(Render, ScaledBoundsAndPlacementValues) {
  auto img = MakeImage(100, 100, kColors, {{10, 10, 20, 20, {}, -1}});
  TGIFSubImage* f = img->Frames()->FrameAt(0);
  EXPECT_EQ(f->ScaledBounds(Rect(0, 0, 200, 200)), Rect(20, 20, 60, 60));
  EXPECT_EQ(f->ScaledBounds(Rect(5, 5, 105, 105)), Rect(15, 15, 35, 35));
  f->SetPlacementValue(1, 30);
  f->SetPlacementValue(4, 5);
  f->SetPlacementValue(7, 99);
  EXPECT_EQ(f->BoundsRect(), Rect(30, 10, 50, 15));
  EXPECT_EQ(f->DataSize(), 100);
}

TEST(Render, DrawingTransparentScaledAndTiled) {
  auto img = MakeImage(4, 2, kColors, {{1, 0, 2, 2, {1, 3, 3, 2}, 5, 0, 3}});
  TGIFSubImage* f = img->Frames()->FrameAt(0);
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(8, 4);
  target.Canvas()->Brush()->SetColor(0x808080);
  target.Canvas()->FillRect(Rect(0, 0, 8, 4));
  f->DrawScaled(target.Canvas(), Rect(0, 0, 8, 4), true, false);
  const TColor G = 0x808080, R = 0x0000FF, Gr = 0x00FF00;
  EXPECT_EQ(PixelsOf(target), (std::vector<TColor>{G, G, R, R, G, G, G, G,  //
                                                   G, G, R, R, G, G, G, G,  //
                                                   G, G, G, G, Gr, Gr, G, G, //
                                                   G, G, G, G, Gr, Gr, G, G}));
  // Not transparent: the transparent index shows its colour.
  f->DrawScaled(target.Canvas(), Rect(0, 0, 4, 2), false, false);
  EXPECT_EQ(target.Canvas()->Pixels(2, 0) & 0xFFFFFF, 0xFF0000u);
  // Tiled: the frame repeats every logical screen width from its own offset.
  target.Canvas()->FillRect(Rect(0, 0, 8, 4));
  f->DrawScaled(target.Canvas(), Rect(0, 0, 8, 2), true, true);
  EXPECT_EQ(target.Canvas()->Pixels(1, 0) & 0xFFFFFF, R);
  EXPECT_EQ(target.Canvas()->Pixels(5, 0) & 0xFFFFFF, R);
  EXPECT_EQ(target.Canvas()->Pixels(6, 1) & 0xFFFFFF, Gr);
  EXPECT_EQ(target.Canvas()->Pixels(0, 0) & 0xFFFFFF, G);
}

TEST(Render, CompositeBitmapAndCopyIntoBitmap) {
  // Frame 0 covers the screen: the composite is its rendering.
  auto full = MakeImage(2, 1, kColors, {{0, 0, 2, 1, {1, 2}, -1}, {0, 0, 1, 1, {3}, -1}});
  TBitmap* c = full->CompositeBitmap();
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(PixelsOf(*c), (std::vector<TColor>{0x0000FF, 0x00FF00}));
  // Otherwise frame 0 is drawn at its offset; only frame 0.
  auto offset = MakeImage(3, 1, kColors, {{1, 0, 1, 1, {3}, -1}, {0, 0, 3, 1, {1, 1, 1}, -1}});
  TBitmap copy;
  copy.Assign(offset.get());
  ASSERT_EQ(copy.Width(), 3);
  EXPECT_EQ(copy.Canvas()->Pixels(1, 0) & 0xFFFFFF, 0xFF0000u);
  EXPECT_NE(copy.Canvas()->Pixels(0, 0) & 0xFFFFFF, 0x0000FFu);
  TGIFImage empty;
  EXPECT_EQ(empty.CompositeBitmap(), nullptr);
}

TEST(Render, PaletteNeedsSomeColourMap) {
  auto img = MakeImage(2, 1, {}, {{0, 0, 2, 1, {0, 0}, -1}});
  img->SetPaintFlags(0);
  EXPECT_EQ(GIFErrorOf([&] { img->PaletteHandle(); }), "No global or local color table defined");
  EXPECT_FALSE(img->BuildingPalette);
  img->GlobalColorMap()->AppendColor(0x123456);
  EXPECT_NE(img->PaletteHandle(), nullptr);
}

TEST(Render, ClipboardRoundTrip) {
  auto img = MakeImage(3, 2, kColors, {{0, 0, 3, 2, {0, 1, 2, 3, 2, 1}, 7}, {1, 1, 2, 1, {3, 3}, 9}});
  ASSERT_TRUE(::OpenClipboard(nullptr));
  ::EmptyClipboard();
  Word format = 0;
  HANDLE data = nullptr;
  HPALETTE palette = nullptr;
  img->PutClipboardData(format, data, palette);
  EXPECT_EQ(format, CF_BITMAP);
  ASSERT_NE(data, nullptr);
  ::SetClipboardData(format, data);
  ::CloseClipboard();

  ASSERT_TRUE(::OpenClipboard(nullptr));
  TGIFImage fromGif;
  fromGif.PasteClipboardData(CF_GIF, nullptr, nullptr);
  EXPECT_EQ(fromGif.Frames()->ItemCount(), 2);
  EXPECT_EQ(SaveBytes(fromGif), SaveBytes(*img));
  TGIFImage fromBitmap;
  fromBitmap.PasteClipboardData(CF_BITMAP, nullptr, nullptr);
  EXPECT_EQ(fromBitmap.Frames()->ItemCount(), 1);
  EXPECT_EQ(fromBitmap.LogicalWidth(), 3);
  EXPECT_EQ(GIFErrorOf([&] { fromBitmap.PasteClipboardData(CF_TEXT, nullptr, nullptr); }),
            "Unsupported clipboard format");
  ::CloseClipboard();
  // Nothing for an empty image.
  TGIFImage empty;
  format = 0;
  data = nullptr;
  empty.PutClipboardData(format, data, palette);
  EXPECT_EQ(data, nullptr);
}

TEST(Render, DocumentPaletteFromTheCompositeThenFrameZero) {
  // The composite bitmap's palette comes first.
  auto img = MakeImage(2, 1, kColors, {{0, 0, 1, 1, {1}, -1}});
  const HPALETTE cached = img->PaletteHandle();
  ASSERT_NE(cached, nullptr);
  TBitmap* composite = img->NewComposite();
  ASSERT_NE(composite->Palette(), nullptr);
  EXPECT_EQ(img->PaletteHandle(), composite->Palette());
  // Without any map, frame 0's own palette handle serves the document.
  TGIFImage bare;
  auto f = std::make_unique<TGIFSubImage>(&bare);
  f->SetPlacement(0, 0, 1, 2);
  TGIFSubImage* frame = f.get();
  bare.AddFrame(std::move(f));
  EXPECT_EQ(GIFErrorOf([&] { bare.PaletteHandle(); }), "No global or local color table defined");
  EXPECT_FALSE(bare.BuildingPalette);
  const HPALETTE own = MakeNetscapePalette();
  frame->SetPaletteHandle(own);
  HPALETTE got = nullptr;
  EXPECT_EQ(GIFErrorOf([&] { got = bare.PaletteHandle(); }), "");
  EXPECT_EQ(got, own);
}
