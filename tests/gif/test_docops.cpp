// Document operations: adding frames, copying documents, logical size, paint
// flags and the renderings they drop, colour depth and the embedded form.
#include "tests/gif/anim_test_util.h"

using namespace giftest;
using namespace animtest;

namespace {
}

TEST(DocumentOps, AddFrameTakesFramesAndPicturesOnly) {
  TGIFImage img;
  int changes = 0;
  img.OnChange = [&](TObject*) { ++changes; };
  TBitmap bmp;
  bmp.SetPixelFormat(pf8bit);
  bmp.SetSize(5, 3);
  bmp.Canvas()->Brush()->SetColor(0x0000FF);
  bmp.Canvas()->FillRect(Rect(0, 0, 5, 3));
  EXPECT_EQ(img.AddFrame(static_cast<TPersistent*>(&bmp)), 0);
  EXPECT_EQ(img.Frames()->ItemCount(), 1);
  EXPECT_EQ(img.LogicalWidth(), 5);
  TGIFSubImage* f = img.Frames()->FrameAt(0);
  EXPECT_EQ(f->EffectiveColorMap()->ColorAt(f->PixelAt(4, 2)), 0x0000FFu);
  EXPECT_GT(changes, 0);
  TStringList list;
  EXPECT_EQ(GIFErrorOf([&] { img.AddFrame(static_cast<TPersistent*>(&list)); }),
            "Object type not supported for operation");
  EXPECT_EQ(img.Frames()->ItemCount(), 1);
}

TEST(DocumentOps, CopyTakesFramesFlagsAndEventsButNotSpeedOrCompression) {
  auto src = MakeImage(4, 3, kColors, {{0, 0, 4, 3, {}, 5, 1}, {1, 1, 2, 2, {1, 2, 3, 0}, 7, 2, 0}});
  src->SetPaintFlags(pfAnimate | pfTile);
  src->SetCompressionKind(ckRLE);
  src->SetAnimationSpeed(300);
  src->SetPaintBackground(0x123456);
  int started = 0;
  src->OnAnimationStart = [&](TObject*) { ++started; };
  std::vector<std::string> progress;
  src->OnProgress = [&](TObject*, TProgressStage s, Byte pct, bool, const TRect&, const std::string& m) {
    progress.push_back(std::to_string(int(s)) + ":" + std::to_string(pct) + ":" + m);
  };
  TGIFImage dst;
  int targetWarnings = 0;
  dst.OnGIFWarning = [&](TObject*, Integer, const std::string&) { ++targetWarnings; };
  dst.Assign(src.get());
  src->OnProgress = {};
  EXPECT_EQ(SaveBytes(dst), SaveBytes(*src));
  EXPECT_EQ(dst.PaintFlags(), pfAnimate | pfTile);
  EXPECT_EQ(dst.PaintBackground(), 0x123456u);
  EXPECT_EQ(dst.CompressionKind(), ckLZW);
  EXPECT_EQ(dst.AnimationSpeed(), 100);
  EXPECT_TRUE(bool(dst.OnAnimationStart));
  EXPECT_FALSE(bool(dst.OnGIFWarning));  // cleared after the copy
  EXPECT_FALSE(bool(dst.OnProgress));
  EXPECT_EQ(progress, (std::vector<std::string>{"0:0:Copying...", "1:50:Copying...", "1:100:Copying...",
                                                "2:100:Copying..."}));
  // The copy is independent of the source.
  src->Frames()->FrameAt(1)->Data()[0] = 3;
  EXPECT_EQ(dst.Frames()->FrameAt(1)->Data()[0], 1);
  // Copying itself does nothing; copying nothing clears.
  dst.Assign(&dst);
  EXPECT_EQ(dst.Frames()->ItemCount(), 2);
  dst.Assign(nullptr);
  EXPECT_TRUE(dst.IsEmpty());
  // A bitmap becomes one frame; something else is refused as the platform refuses.
  TBitmap bmp;
  bmp.SetSize(2, 2);
  dst.Assign(&bmp);
  EXPECT_EQ(dst.Frames()->ItemCount(), 1);
  TStringList list;
  EXPECT_THROW(dst.Assign(&list), EConvertError);
}

TEST(DocumentOps, LogicalSizeCannotCutFrames) {
  auto img = MakeImage(10, 10, kColors, {{0, 0, 10, 10, {}, -1}});
  EXPECT_EQ(GIFErrorOf([&] { img->SetLogicalWidth(9); }), "Image width too small for contained frames");
  EXPECT_EQ(GIFErrorOf([&] { img->SetLogicalHeight(9); }), "Image height too small for contained frames");
  EXPECT_EQ(img->LogicalWidth(), 10);
  img->CompositeBitmap();
  img->SetLogicalWidth(10);
  EXPECT_NE(img->Composite(), nullptr);  // unchanged size keeps the composite
  img->SetLogicalWidth(12);
  EXPECT_EQ(img->LogicalWidth(), 12);
  EXPECT_EQ(img->Composite(), nullptr);
}

TEST(DocumentOps, PaintFlagsFlushRenderingsAndMoveASingleFramesColours) {
  TGIFImage img;
  auto f = std::make_unique<TGIFSubImage>(&img);
  f->SetPlacement(0, 0, 1, 2);
  f->ColorMap()->AppendColor(0x0000FF);
  f->ColorMap()->AppendColor(0x00FF00);
  TGIFSubImage* frame = f.get();
  img.AddFrame(std::move(f));
  frame->RenderedBitmap();
  int changes = 0;
  img.OnChange = [&](TObject*) { ++changes; };
  img.SetPaintFlags(img.PaintFlags());
  EXPECT_EQ(changes, 0);
  EXPECT_TRUE(frame->HasBitmap());
  img.SetPaintFlags(pfAnimate);
  EXPECT_EQ(changes, 1);
  EXPECT_FALSE(frame->HasBitmap());
  EXPECT_EQ(frame->ColorMap()->Count(), 0);
  ASSERT_EQ(img.GlobalColorMap()->Count(), 2);
  EXPECT_EQ(img.GlobalColorMap()->ColorAt(1), 0x00FF00u);
}

TEST(DocumentOps, ColorDepthLimitAndEmbeddedForm) {
  TGIFImage img;
  EXPECT_EQ(GIFErrorOf([&] { img.SetColorDepthLimit(2); }), "Invalid Bits Per Pixel value");
  EXPECT_EQ(GIFErrorOf([&] { img.SetColorDepthLimit(9); }), "Invalid Bits Per Pixel value");
  img.SetColorDepthLimit(3);
  EXPECT_EQ(img.ColorDepthLimit(), 3);

  auto anim = MakeImage(2, 1, kColors, {{0, 0, 2, 1, {1, 2}, 0, 1}});
  TMemoryStream plain;
  static_cast<TGraphic*>(anim.get())->WriteData(&plain);
  const Bytes gif = SaveBytes(*anim);
  ASSERT_EQ(plain.Size(), Int64(gif.size() + 4));
  Integer length = 0;
  std::memcpy(&length, plain.Memory(), 4);
  EXPECT_EQ(size_t(length), gif.size());
  // With the compact-before-write default the document is optimised first.
  GIFDefaults.CompactBeforeEmbeddedWrite = true;
  TMemoryStream compact;
  static_cast<TGraphic*>(anim.get())->WriteData(&compact);
  GIFDefaults.CompactBeforeEmbeddedWrite = false;
  EXPECT_LT(compact.Size(), plain.Size());
  EXPECT_EQ(anim->Frames()->FrameAt(0)->GraphicControl(), nullptr);
}
