// Colour-map merging: one global map, most used colours first.
#include "tests/gif/anim_test_util.h"

using namespace giftest;
using namespace animtest;

namespace {

TColor C(int r, int g, int b) { return TColor(r | (g << 8) | (b << 16)); }

TGIFSubImage* AddLocalFrame(TGIFImage& img, const std::vector<TColor>& colors, const std::vector<Byte>& pixels,
                            int transparent = -1) {
  auto f = std::make_unique<TGIFSubImage>(&img);
  f->SetPlacement(0, 0, 1, Integer(pixels.size()));
  std::copy(pixels.begin(), pixels.end(), f->Data());
  for (TColor c : colors) f->ColorMap()->AppendColor(c);
  if (transparent >= 0) {
    auto g = std::make_unique<TGIFGraphicControlExtension>(f.get());
    g->Control.TransparentIndex = Byte(transparent);
    g->SetUsesTransparentIndex(true);
    f->Extensions()->Append(std::move(g));
  }
  TGIFSubImage* p = f.get();
  img.AddFrame(std::move(f));
  return p;
}

std::vector<Byte> PixelsOf(TGIFSubImage* f) { return std::vector<Byte>(f->Data(), f->Data() + f->DataSize()); }

std::vector<TColor> MapOf(TGIFColorMap* m) {
  std::vector<TColor> out;
  for (int i = 0; i < m->Count(); ++i) out.push_back(m->ColorAt(i));
  return out;
}

}  // namespace

TEST(MergeColorMaps, SharedLocalColorsBecomeOneSortedGlobalMap) {
  TGIFImage img;
  auto* f0 = AddLocalFrame(img, {C(255, 0, 0), C(0, 255, 0), C(0, 0, 255)}, {0, 0, 0, 1, 2});
  auto* f1 = AddLocalFrame(img, {C(0, 0, 255), C(255, 0, 0)}, {0, 0, 1});
  f0->RenderedBitmap();
  img.MergeColorMaps();
  EXPECT_EQ(MapOf(img.GlobalColorMap()), (std::vector<TColor>{C(255, 0, 0), C(0, 0, 255), C(0, 255, 0)}));
  EXPECT_TRUE(img.GlobalColorMap()->Sorted());
  EXPECT_EQ(f0->ColorMap()->Count(), 0);
  EXPECT_EQ(f1->ColorMap()->Count(), 0);
  EXPECT_EQ(PixelsOf(f0), (std::vector<Byte>{0, 0, 0, 2, 1}));
  EXPECT_EQ(PixelsOf(f1), (std::vector<Byte>{1, 1, 0}));
  EXPECT_FALSE(f0->HasBitmap());
}

TEST(MergeColorMaps, MoreThan256ColoursKeepTheMostUsed) {
  TGIFImage img;
  // Frame 0: blue ten times, 199 greys three times each.
  std::vector<TColor> c0{C(0, 0, 255)};
  std::vector<Byte> p0(10, 0);
  for (int k = 1; k <= 199; ++k) {
    c0.push_back(C(k, k, k));
    p0.insert(p0.end(), 3, Byte(k));
  }
  // Frame 1: 56 greens twice each (kept), then 44 colours once each (mapped), red last.
  std::vector<TColor> c1;
  std::vector<Byte> p1;
  for (int k = 1; k <= 56; ++k) {
    c1.push_back(C(0, k, 0));
    p1.insert(p1.end(), 2, Byte(k - 1));
  }
  for (int k = 1; k <= 43; ++k) {
    c1.push_back(C(0, 0, k));
    p1.push_back(Byte(c1.size() - 1));
  }
  c1.push_back(C(255, 0, 0));
  p1.push_back(Byte(c1.size() - 1));
  AddLocalFrame(img, c0, p0);
  auto* f1 = AddLocalFrame(img, c1, p1);
  img.MergeColorMaps();
  ASSERT_EQ(img.GlobalColorMap()->Count(), 256);
  EXPECT_EQ(img.GlobalColorMap()->ColorAt(0), C(0, 0, 255));
  // Red has a summed difference of 0 from the kept blue at position 0.
  EXPECT_EQ(f1->Data()[f1->DataSize() - 1], 0);
  // A dropped (0, 0, 7) goes to the first kept colour whose components sum to 7: (0, 7, 0).
  const Byte mapped = f1->Data()[112 + 6];
  EXPECT_EQ(img.GlobalColorMap()->ColorAt(mapped), C(0, 7, 0));
}

TEST(MergeColorMaps, TransparentFramesShareABlackEntryAfterTheColours) {
  TGIFImage img;
  auto* f0 = AddLocalFrame(img, {C(10, 10, 10), C(20, 20, 20)}, {0, 1, 1}, 1);
  auto* f1 = AddLocalFrame(img, {C(20, 20, 20), C(30, 30, 30), C(40, 40, 40)}, {2, 0, 2}, 2);
  auto* f2 = AddLocalFrame(img, {C(10, 10, 10), C(50, 50, 50)}, {0, 0}, 1);  // transparent but no such pixel
  img.MergeColorMaps();
  // Used: (10,10,10) three times, (20,20,20) once; then black.
  EXPECT_EQ(MapOf(img.GlobalColorMap()), (std::vector<TColor>{C(10, 10, 10), C(20, 20, 20), C(0, 0, 0)}));
  EXPECT_EQ(PixelsOf(f0), (std::vector<Byte>{0, 2, 2}));
  EXPECT_EQ(f0->GraphicControl()->TransparentIndex(), 2);
  EXPECT_EQ(PixelsOf(f1), (std::vector<Byte>{2, 1, 2}));
  EXPECT_EQ(f1->GraphicControl()->TransparentIndex(), 2);
  EXPECT_FALSE(f2->Transparent());
  EXPECT_FALSE(f2->GraphicControl()->UsesTransparentIndex());
  EXPECT_EQ(f2->GraphicControl()->TransparentIndex(), 0);
  EXPECT_EQ(PixelsOf(f2), (std::vector<Byte>{0, 0}));
}

TEST(MergeColorMaps, PixelsOutsideTheMapAreRepairedWithAWarningEach) {
  TGIFImage img;
  Warnings w;
  w.Attach(img);
  std::vector<TColor> sixteen;
  for (int i = 0; i < 16; ++i) sixteen.push_back(C(i * 16, 0, 0));
  auto* f = AddLocalFrame(img, sixteen, {20, 5, 20, 5, 5});
  img.MergeColorMaps();
  EXPECT_EQ(w.Count("Color not in color table"), 2u);
  EXPECT_EQ(MapOf(img.GlobalColorMap()), (std::vector<TColor>{C(80, 0, 0), C(0, 0, 0)}));
  EXPECT_EQ(PixelsOf(f), (std::vector<Byte>{1, 0, 1, 0, 0}));
}

TEST(MergeColorMaps, CorpusAnimationsLookTheSame) {
  for (const char* name : {"anim_local_maps.gif", "anim_transparent.gif", "anim_disposals.gif"}) {
    SCOPED_TRACE(name);
    TGIFImage img;
    img.LoadFromFile(DataPath(name));
    const TColor fill = 0xFF00FF;
    auto before = ComposeFrames(img, fill);
    img.MergeColorMaps();
    for (int i = 0; i < img.Frames()->ItemCount(); ++i) EXPECT_EQ(img.Frames()->FrameAt(i)->ColorMap()->Count(), 0);
    auto after = ComposeFrames(img, fill);
    EXPECT_TRUE(before == after);
  }
}
