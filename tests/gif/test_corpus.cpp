// Files written by other tools decode to the pixels another decoder found, and
// survive a write (LZW and run-length) and a read unchanged.
#include "tests/gif/gif_test_util.h"

using namespace giftest;

namespace {

const char* const kCorpus[] = {
    "bw1_17x13",          "gray2_31x7",        "c3_23x11",           "c4_interlaced_40x29",
    "c5_interlaced_3x37", "c8_64x48",          "noise8_100x80",      "one_1x1",
    "anim_local_maps",    "anim_disposals",    "anim_transparent",   "gs_interlaced_offset",
    "gs_87a_64x48",       "comments_app",      "plaintext",          "big_frame",
};

struct RefFrame {
  unsigned w = 0, h = 0;
  Bytes indices;
  Bytes rgb;
};

std::vector<RefFrame> ReadRef(const std::string& name) {
  const Bytes b = ReadFileBytes(DataPath(name + ".ref"));
  std::vector<RefFrame> frames;
  size_t p = 0;
  while (p + 4 <= b.size()) {
    RefFrame f;
    f.w = b[p] | (b[p + 1] << 8);
    f.h = b[p + 2] | (b[p + 3] << 8);
    p += 4;
    const size_t n = size_t(f.w) * f.h;
    f.indices.assign(b.begin() + p, b.begin() + p + n);
    p += n;
    f.rgb.assign(b.begin() + p, b.begin() + p + 3 * n);
    p += 3 * n;
    frames.push_back(std::move(f));
  }
  return frames;
}

std::vector<TGIFSubImage*> ImageFrames(TGIFImage& img) {
  std::vector<TGIFSubImage*> v;
  for (Integer i = 0; i < img.Frames()->ItemCount(); ++i)
    if (!img.Frames()->FrameAt(i)->IsEmpty()) v.push_back(img.Frames()->FrameAt(i));
  return v;
}

// A printable summary of a frame's extensions, enough to tell any change.
std::string ExtensionSummary(TGIFSubImage* f) {
  std::string s;
  for (Integer i = 0; i < f->Extensions()->ItemCount(); ++i) {
    TGIFExtension* e = f->Extensions()->ExtensionAt(i);
    s += e->ClassName() + "{";
    if (auto* g = dynamic_cast<TGIFGraphicControlExtension*>(e))
      s += std::string(reinterpret_cast<const char*>(&g->Control), sizeof(g->Control));
    if (auto* t = dynamic_cast<TGIFTextExtension*>(e)) {
      s += std::string(reinterpret_cast<const char*>(&t->PlainText), sizeof(t->PlainText));
      for (Integer k = 0; k < t->Lines()->Count(); ++k) s += t->Lines()->Strings(k) + "|";
    }
    if (auto* c = dynamic_cast<TGIFCommentExtension*>(e))
      for (Integer k = 0; k < c->Lines()->Count(); ++k) s += c->Lines()->Strings(k) + "|";
    if (auto* a = dynamic_cast<TGIFApplicationExtension*>(e)) s += a->IdentText();
    if (auto* l = dynamic_cast<TGIFAppExtNSLoop*>(e))
      s += std::to_string(l->Loops()) + "/" + std::to_string(l->BufferSize());
    if (auto* u = dynamic_cast<TGIFUnknownAppExtension*>(e))
      for (auto& blk : u->Blocks()) s += std::string(reinterpret_cast<const char*>(blk->Bytes()), blk->Size()) + "|";
    s += "}";
  }
  return s;
}

std::string MapSummary(TGIFColorMap* m) {
  return std::to_string(m->Count()) + ":" +
         std::string(reinterpret_cast<const char*>(m->Entries()), size_t(m->Count()) * 3);
}

class CorpusTest : public ::testing::TestWithParam<const char*> {};

TEST_P(CorpusTest, DecodesToTheReferencePixels) {
  const std::string name = GetParam();
  const std::vector<RefFrame> ref = ReadRef(name);
  ASSERT_FALSE(ref.empty());
  TGIFImage img;
  Warnings warnings;
  warnings.Attach(img);
  img.LoadFromFile(DataPath(name + ".gif"));
  EXPECT_TRUE(warnings.list.empty()) << warnings.list.front();
  const auto frames = ImageFrames(img);
  ASSERT_EQ(frames.size(), ref.size());
  for (size_t i = 0; i < ref.size(); ++i) {
    SCOPED_TRACE("frame " + std::to_string(i));
    TGIFSubImage* f = frames[i];
    ASSERT_EQ(unsigned(f->Width()), ref[i].w);
    ASSERT_EQ(unsigned(f->Height()), ref[i].h);
    ASSERT_EQ(f->DataSize(), Integer(ref[i].indices.size()));
    EXPECT_TRUE(std::equal(ref[i].indices.begin(), ref[i].indices.end(), f->Data()));
    TGIFColorMap* map = f->EffectiveColorMap();
    size_t colourMismatches = 0;
    for (size_t p = 0; p < ref[i].indices.size(); ++p) {
      const Byte idx = f->Data()[p];
      ASSERT_LT(idx, map->Count());
      const TGIFColor& c = map->Entries()[idx];
      if (c.Red != ref[i].rgb[3 * p] || c.Green != ref[i].rgb[3 * p + 1] || c.Blue != ref[i].rgb[3 * p + 2])
        ++colourMismatches;
    }
    EXPECT_EQ(colourMismatches, 0u);
  }
}

TEST_P(CorpusTest, RoundTripKeepsFramesAndExtensions) {
  const std::string name = GetParam();
  TGIFImage original;
  original.LoadFromFile(DataPath(name + ".gif"));
  for (TGIFCompressionKind kind : {ckLZW, ckRLE}) {
    SCOPED_TRACE(kind == ckLZW ? "LZW" : "RLE");
    original.SetCompressionKind(kind);
    const Bytes written = SaveBytes(original);
    TGIFImage copy;
    Warnings warnings;
    warnings.Attach(copy);
    LoadBytes(copy, written);
    EXPECT_TRUE(warnings.list.empty());
    EXPECT_EQ(copy.LogicalWidth(), original.LogicalWidth());
    EXPECT_EQ(copy.LogicalHeight(), original.LogicalHeight());
    EXPECT_EQ(copy.Header()->Screen.BackgroundIndex, original.Header()->Screen.BackgroundIndex);
    EXPECT_EQ(MapSummary(copy.GlobalColorMap()), MapSummary(original.GlobalColorMap()));
    ASSERT_EQ(copy.Frames()->ItemCount(), original.Frames()->ItemCount());
    for (Integer i = 0; i < original.Frames()->ItemCount(); ++i) {
      SCOPED_TRACE("frame " + std::to_string(i));
      TGIFSubImage* a = original.Frames()->FrameAt(i);
      TGIFSubImage* b = copy.Frames()->FrameAt(i);
      EXPECT_EQ(ExtensionSummary(b), ExtensionSummary(a));
      EXPECT_EQ(b->BoundsRect(), a->BoundsRect());
      EXPECT_EQ(b->IsEmpty(), a->IsEmpty());
      EXPECT_EQ(MapSummary(b->ColorMap()), MapSummary(a->ColorMap()));
      // Frames with a local map are written row by row; the others keep their interlacing.
      if (a->ColorMap()->Count() == 0) {
        EXPECT_EQ(b->Interlaced(), a->Interlaced());
      }
      ASSERT_EQ(b->DataSize(), a->DataSize());
      if (a->DataSize() > 0) {
        EXPECT_EQ(0, std::memcmp(a->Data(), b->Data(), size_t(a->DataSize())));
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Files, CorpusTest, ::testing::ValuesIn(kCorpus));

// What the reader makes of the blocks around the images in these files.
TEST(CorpusBlocks, ExtensionsLandOnTheirFrames) {
  TGIFImage img;
  img.LoadFromFile(DataPath("anim_transparent.gif"));
  ASSERT_EQ(img.Frames()->ItemCount(), 2);
  auto* first = img.Frames()->FrameAt(0);
  auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(first->Extensions()->ExtensionAt(0));
  ASSERT_NE(loop, nullptr);
  EXPECT_EQ(loop->Loops(), 5);
  ASSERT_NE(first->GraphicControl(), nullptr);
  EXPECT_TRUE(first->Transparent());
  EXPECT_EQ(first->GraphicControl()->DisposalMethod(), dpBackground);
  EXPECT_EQ(first->GraphicControl()->FrameDelay(), 20);
  EXPECT_EQ(first->GraphicControl()->TransparentIndex(), 2);

  TGIFImage disp;
  disp.LoadFromFile(DataPath("anim_disposals.gif"));
  std::vector<int> disposals;
  for (Integer i = 0; i < disp.Frames()->ItemCount(); ++i) {
    auto* f = disp.Frames()->FrameAt(i);
    disposals.push_back(f->GraphicControl() ? f->GraphicControl()->DisposalMethod() : -1);
  }
  EXPECT_EQ(disposals, (std::vector<int>{1, 2, 3, 0}));
  EXPECT_EQ(disp.Frames()->FrameAt(1)->BoundsRect(), Rect(20, 3, 33, 20));

  TGIFImage text;
  text.LoadFromFile(DataPath("plaintext.gif"));
  ASSERT_EQ(text.Frames()->ItemCount(), 2);
  EXPECT_TRUE(text.Frames()->FrameAt(1)->IsEmpty());
  auto* pt = dynamic_cast<TGIFTextExtension*>(text.Frames()->FrameAt(1)->Extensions()->ExtensionAt(0));
  ASSERT_NE(pt, nullptr);
  EXPECT_EQ(pt->Lines()->Strings(0), "after the last image");
  EXPECT_EQ(pt->PlainText.Left, 2);

  TGIFImage app;
  app.LoadFromFile(DataPath("comments_app.gif"));
  std::string all = ExtensionSummary(app.Frames()->FrameAt(0));
  // gifsicle pads the 10-character identifier with a zero byte.
  EXPECT_NE(all.find(std::string("TGIFUnknownAppExtension{TESTAPP1.0\0opaque bytes|}", 49)), std::string::npos)
      << all;
  EXPECT_NE(all.find("TGIFCommentExtension{second comment from gifsicle|}"), std::string::npos) << all;

  // The picture class finds the document class by the file's extension.
  TPicture picture;
  picture.LoadFromFile(DataPath("anim_local_maps.gif"));
  auto* viaPicture = dynamic_cast<TGIFImage*>(picture.Graphic());
  ASSERT_NE(viaPicture, nullptr);
  EXPECT_EQ(viaPicture->Frames()->ItemCount(), 3);
  EXPECT_EQ(picture.Width(), 20);

  TGIFImage old;
  old.LoadFromFile(DataPath("gs_87a_64x48.gif"));
  EXPECT_EQ(old.RequiredVersion(), fv87a);
  EXPECT_EQ(SaveBytes(old)[4], '7');
}

}  // namespace
