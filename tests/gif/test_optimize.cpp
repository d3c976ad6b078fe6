// Frame optimisation: small documents per flag with the exact frames
// expected, and corpus animations that must look the same afterwards.
#include <dirent.h>

#include <iostream>
#include <map>
#include <random>
#include <sstream>

#include "tests/gif/anim_test_util.h"

using namespace giftest;
using namespace animtest;

namespace {


// One line per frame: placement, pixels, transparency, disposal, delay, extension labels.
std::string Describe(TGIFImage& img) {
  std::ostringstream out;
  for (int i = 0; i < img.Frames()->ItemCount(); ++i) {
    TGIFSubImage* f = img.Frames()->FrameAt(i);
    out << f->Left() << "," << f->Top() << " " << f->Width() << "x" << f->Height() << " [";
    for (int p = 0; p < f->DataSize(); ++p) out << (p ? " " : "") << int(f->Data()[p]);
    out << "]";
    if (auto* g = f->GraphicControl()) {
      if (f->Transparent()) out << " t" << int(g->TransparentIndex());
      out << " d" << int(g->DisposalMethod()) << " w" << g->FrameDelay();
    }
    out << " {";
    for (int e = 0; e < f->Extensions()->ItemCount(); ++e) {
      TGIFExtension* x = f->Extensions()->ExtensionAt(e);
      out << (e ? " " : "") << (dynamic_cast<TGIFAppExtNSLoop*>(x) ? std::string("loop") : x->ClassName());
    }
    out << "}\n";
  }
  return out.str();
}

void AddComment(TGIFImage& img, int frame) {
  TGIFSubImage* f = img.Frames()->FrameAt(frame);
  auto c = std::make_unique<TGIFCommentExtension>(f);
  c->SetText("note");
  f->Extensions()->Append(std::move(c));
}

}  // namespace

TEST(Optimize, EachFlagGivesTheExpectedFrames) {
  struct Case {
    const char* name;
    std::function<std::unique_ptr<TGIFImage>()> make;
    TGIFOptimizeFlags flags;
    std::string expected;
    int globalCount = -1;  // -1: unchecked
  } cases[] = {
      {"strip: a single opaque frame loses loop, comment and control",
       [] {
         auto img = MakeImage(2, 1, kColors, {{0, 0, 2, 1, {1, 2}, 50, 2}});
         AddLoop(*img, 0, 0);
         AddComment(*img, 0);
         return img;
       },
       ofStripInvisible, "0,0 2x1 [1 2] {}\n"},
      {"strip: the loop stays on frame 0 only; a delay keeps the control",
       [] {
         auto img = MakeImage(2, 1, kColors, {{0, 0, 2, 1, {1, 2}, 10, 1}, {0, 0, 2, 1, {2, 1}, 0, 1}});
         AddLoop(*img, 0, 3);
         AddLoop(*img, 1, 3);
         AddComment(*img, 1);
         return img;
       },
       ofStripInvisible, "0,0 2x1 [1 2] d1 w10 {loop TGIFGraphicControlExtension}\n0,0 2x1 [2 1] {}\n"},
      {"strip: transparency no pixel uses is dropped",
       [] { return MakeImage(2, 1, kColors, {{0, 0, 2, 1, {1, 2}, 5, 0, 3}, {0, 0, 2, 1, {3, 2}, 5, 0, 3}}); },
       ofStripInvisible, "0,0 2x1 [1 2] d0 w5 {TGIFGraphicControlExtension}\n0,0 2x1 [3 2] t3 d0 w5 {TGIFGraphicControlExtension}\n"},
      {"strip: a restore frame inside the next opaque frame keeps nothing to restore",
       [] {
         return MakeImage(4, 2, kColors,
                          {{1, 0, 1, 1, {1}, 5, 2}, {0, 0, 4, 2, {}, 5, 0}, {0, 0, 4, 2, {}, 5, 3}, {2, 1, 3, 1, {}, 5, 0}});
       },
       ofStripInvisible,
       "1,0 1x1 [1] d0 w5 {TGIFGraphicControlExtension}\n0,0 4x2 [0 0 0 0 0 0 0 0] d0 w5 "
       "{TGIFGraphicControlExtension}\n0,0 4x2 [0 0 0 0 0 0 0 0] d3 w5 {TGIFGraphicControlExtension}\n"
       "2,1 3x1 [0 0 0] d0 w5 {TGIFGraphicControlExtension}\n"},
      {"trim: transparent borders go; an all-transparent frame goes and gives its delay",
       [] {
         return MakeImage(4, 3, kColors,
                          {{0, 0, 4, 3, {3, 3, 3, 3, 3, 1, 2, 3, 3, 3, 3, 3}, 10, 1, 3},
                           {0, 0, 4, 3, std::vector<Byte>(12, 3), 7, 1, 3}});
       },
       ofTrimFrames, "1,1 2x1 [1 2] t3 d1 w17 {TGIFGraphicControlExtension}\n"},
      {"trim: an opaque frame is left alone",
       [] { return MakeImage(2, 1, kColors, {{0, 0, 2, 1, {0, 0}, 10, 1}}); }, ofTrimFrames,
       "0,0 2x1 [0 0] d1 w10 {TGIFGraphicControlExtension}\n"},
      {"merge: repeated pixels become a new transparent entry",
       [] { return MakeImage(3, 1, kColors, {{0, 0, 3, 1, {1, 2, 3}, 5, 1}, {0, 0, 3, 1, {1, 0, 3}, 5, 1}}); },
       ofMergeDuplicates,
       "0,0 3x1 [1 2 3] d1 w5 {TGIFGraphicControlExtension}\n0,0 3x1 [4 0 4] t4 d1 w5 {TGIFGraphicControlExtension}\n",
       5},
      {"merge: a transparent frame reuses its own index and skips the previous one's holes",
       [] {
         return MakeImage(3, 1, kColors,
                          {{0, 0, 3, 1, {1, 0, 3}, 5, 1, 0}, {0, 0, 3, 1, {1, 0, 3}, 5, 1, 2}});
       },
       ofMergeDuplicates,
       "0,0 3x1 [1 0 3] t0 d1 w5 {TGIFGraphicControlExtension}\n0,0 3x1 [2 0 2] t2 d1 w5 {TGIFGraphicControlExtension}\n",
       4},
      {"merge: nothing against a frame that restores; frame 0 stops the walk back",
       [] {
         return MakeImage(2, 1, kColors,
                          {{0, 0, 2, 1, {1, 2}, 5, 3}, {0, 0, 2, 1, {1, 2}, 5, 3}, {0, 0, 2, 1, {1, 2}, 5, 1}});
       },
       ofMergeDuplicates,
       "0,0 2x1 [1 2] d3 w5 {TGIFGraphicControlExtension}\n0,0 2x1 [1 2] d3 w5 {TGIFGraphicControlExtension}\n"
       "0,0 2x1 [1 2] d1 w5 {TGIFGraphicControlExtension}\n",
       4},
      {"merge: an opaque frame with a full map is left alone",
       [] {
         std::vector<TColor> full;
         for (int i = 0; i < 256; ++i) full.push_back(TColor(i));
         return MakeImage(2, 1, full, {{0, 0, 2, 1, {1, 2}, 5, 1}, {0, 0, 2, 1, {1, 2}, 5, 1}});
       },
       ofMergeDuplicates,
       "0,0 2x1 [1 2] d1 w5 {TGIFGraphicControlExtension}\n0,0 2x1 [1 2] d1 w5 {TGIFGraphicControlExtension}\n", 256},
      {"compact: unused entries go, the rest sorted by use",
       [] { return MakeImage(4, 1, kColors, {{0, 0, 4, 1, {3, 3, 3, 1}, -1}}); }, ofCompactColorMaps,
       "0,0 4x1 [0 0 0 1] {}\n", 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto img = c.make();
    std::vector<std::string> progress;
    img->OnProgress = [&](TObject*, TProgressStage stage, Byte, bool, const TRect&, const std::string& msg) {
      if (stage != psRunning) progress.push_back(std::to_string(int(stage)) + msg);
    };
    img->OptimizeFrames(c.flags, rdNone, 8, dkNearest);
    EXPECT_EQ(Describe(*img), c.expected);
    if (c.globalCount >= 0) {
      EXPECT_EQ(img->GlobalColorMap()->Count(), c.globalCount);
    }
    EXPECT_EQ(progress, (std::vector<std::string>{"0Optimizing...", "2Optimizing..."}));
  }
}

TEST(Optimize, CustomReductionIsRefusedOnlyWithoutStripping) {
  auto img = MakeImage(2, 1, kColors, {{0, 0, 2, 1, {1, 2}, 5, 1}});
  EXPECT_EQ(GIFErrorOf([&] { img->OptimizeFrames(ofReduceColors, rdCustom, 8, dkNearest); }),
            "Invalid reduction method");
  EXPECT_EQ(GIFErrorOf([&] { img->OptimizeFrames(ofReduceColors | ofStripInvisible, rdCustom, 8, dkNearest); }), "");
  EXPECT_EQ(GIFErrorOf([&] { img->OptimizeFrames(ofReduceColors, rdQuantize, 8, dkNearest); }), "");
  TGIFImage empty;
  empty.OptimizeFrames(ofReduceColors, rdCustom, 8, dkNearest);  // nothing happens without frames
}

// Sizes `gifsicle -O2 <file> -o out` gives for the corpus files (gifsicle 1.93).
const std::map<std::string, size_t> kGifsicleO2 = {
    {"anim_disposals.gif", 250},  {"anim_local_maps.gif", 1027}, {"anim_transparent.gif", 345},
    {"big_frame.gif", 4120},      {"bw1_17x13.gif", 87},         {"c3_23x11.gif", 140},
    {"c4_interlaced_40x29.gif", 570}, {"c5_interlaced_3x37.gif", 206}, {"c8_64x48.gif", 4120},
    {"comments_app.gif", 139},    {"gray2_31x7.gif", 101},       {"gs_87a_64x48.gif", 4120},
    {"gs_interlaced_offset.gif", 570}, {"noise8_100x80.gif", 8492}, {"one_1x1.gif", 35},
    {"plaintext.gif", 176},       {"coalesce/mixed_previous.gif", 209},
};

namespace {

// What the animation shows and for how long: composed frames with their
// delays, neighbours that look the same folded into one.
std::vector<std::pair<std::vector<TColor>, int>> Timeline(TGIFImage& img, TColor Fill = 0xFF00FF) {
  auto frames = ComposeFrames(img, Fill);
  std::vector<std::pair<std::vector<TColor>, int>> out;
  for (size_t i = 0; i < frames.size(); ++i) {
    // For as long as the player shows it: no delay stands for the default
    // one, a short one for the shortest it waits.
    TGIFGraphicControlExtension* g = img.Frames()->FrameAt(int(i))->GraphicControl();
    const int delay = g && g->FrameDelay() != 0 ? std::max<int>(g->FrameDelay(), GIFDefaults.MinimumDelay)
                                                : GIFDefaults.DefaultDelay;
    if (!out.empty() && out.back().first == frames[i])
      out.back().second += delay;
    else
      out.push_back({frames[i], delay});
  }
  return out;
}

}  // namespace

// Every file: composed the same, never larger than written plainly; all of
// them together: no larger than gifsicle -O2 makes them.
TEST(Optimize, CorpusLooksTheSameAfterwards) {
  std::vector<std::string> names;
  for (const char* dir : {"", "coalesce/"}) {
    const std::string path = DataPath(dir);
    if (DIR* d = opendir(path.c_str())) {
      while (dirent* e = readdir(d)) {
        const std::string n = e->d_name;
        if (n.size() > 4 && n.substr(n.size() - 4) == ".gif") names.push_back(dir + n);
      }
      closedir(d);
    }
  }
  std::sort(names.begin(), names.end());
  ASSERT_GE(names.size(), 4u);
  size_t before = 0, after = 0, gifsicle = 0;
  for (const std::string& name : names) {
    SCOPED_TRACE(name);
    TGIFImage original;
    original.LoadFromFile(DataPath(name));
    TGIFImage optimized;
    optimized.Assign(&original);
    optimized.OptimizeFrames(ofTrimFrames | ofMergeDuplicates | ofStripInvisible | ofCompactColorMaps, rdNone, 8,
                             dkNearest);
    const size_t a = SaveBytes(original).size(), b = SaveBytes(optimized).size();
    before += a;
    after += b;
    EXPECT_LE(b, a) << "larger than a plain re-save";
    ASSERT_EQ(kGifsicleO2.count(name), 1u) << "add the file's gifsicle -O2 size to the table";
    gifsicle += kGifsicleO2.at(name);
    std::cout << "  " << name << ": " << a << " -> " << b << (b > a ? "  (grew)" : "") << "\n";
    // Same background for both: the original's. Each moment shows the same
    // picture for the same time (frames that show nothing new may fold).
    const TColor fill = original.GlobalColorMap()->Count() > 0 ? original.BackgroundColor() : 0xFF00FF;
    auto x = Timeline(original, fill);
    auto y = Timeline(optimized, fill);
    ASSERT_FALSE(x.empty());
    EXPECT_TRUE(x == y);
  }
  std::cout << "  total: " << before << " -> " << after << " bytes; gifsicle -O2: " << gifsicle << "\n";
  EXPECT_LE(after, gifsicle);
}

namespace {

// Independent noise in both frames: a quarter of the pixels repeat the
// previous frame at random places, and making them transparent adds a fifth
// value that the coder pays for everywhere. The frame stays as it was.
TEST(Optimize, MergingThatWouldGrowAFrameIsNotKept) {
  std::mt19937 rng(11);
  std::vector<Byte> a(64 * 64), b(64 * 64);
  for (auto& p : a) p = Byte(rng() % 4);
  for (auto& p : b) p = Byte(rng() % 4);
  auto img = MakeImage(64, 64, kColors, {{0, 0, 64, 64, a, 10}, {0, 0, 64, 64, b, 10}});
  const size_t plain = SaveBytes(*img).size();
  TGIFImage optimized;
  optimized.Assign(img.get());
  optimized.OptimizeFrames(ofMergeDuplicates, rdNone, 8, dkNearest);
  EXPECT_LE(SaveBytes(optimized).size(), plain);
  EXPECT_FALSE(optimized.Frames()->FrameAt(1)->Transparent());
  EXPECT_EQ(optimized.GlobalColorMap()->Count(), 4);
  EXPECT_TRUE(ComposeFrames(*img, 0xFF00FF) == ComposeFrames(optimized, 0xFF00FF));
}

}  // namespace

namespace {

// Trimming must leave what each moment of the animation shows: an area that
// is restored to the background keeps its size, and a frame that shows
// nothing goes only when its time can go to a frame that shows the same.
TEST(Optimize, TrimmingKeepsWhatTheAnimationShowsAndForHowLong) {
  const std::vector<Byte> bg(16, 1);
  struct Case {
    const char* name;
    std::vector<FrameSpec> frames;
    std::string expected;
  } cases[] = {
      {"a frame that restores the background keeps its whole area",
       {{0, 0, 4, 4, bg, 10, 1}, {0, 0, 4, 4, {3, 3, 3, 3, 3, 2, 3, 3, 3, 3, 3, 3, 3, 3, 3, 3}, 10, 2, 3},
        {3, 3, 1, 1, {0}, 10, 1}},
       "0,0 4x4 [1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1] d1 w10 {TGIFGraphicControlExtension}\n"
       "0,0 4x4 [3 3 3 3 3 2 3 3 3 3 3 3 3 3 3 3] t3 d2 w10 {TGIFGraphicControlExtension}\n"
       "3,3 1x1 [0] d1 w10 {TGIFGraphicControlExtension}\n"},
      {"an empty frame after a restoring frame shows the cleared screen: it stays, one pixel large",
       {{0, 0, 4, 4, bg, 10, 2}, {0, 0, 4, 4, std::vector<Byte>(16, 3), 25, 1, 3}, {1, 1, 1, 1, {2}, 10, 1}},
       "0,0 4x4 [1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1] d2 w10 {TGIFGraphicControlExtension}\n"
       "0,0 1x1 [3] t3 d1 w25 {TGIFGraphicControlExtension}\n"
       "1,1 1x1 [2] d1 w10 {TGIFGraphicControlExtension}\n"},
      {"an empty frame after an opaque frame gives its time to it",
       {{0, 0, 4, 4, bg, 10, 1}, {0, 0, 4, 4, std::vector<Byte>(16, 3), 25, 1, 3}, {1, 1, 1, 1, {2}, 10, 1}},
       "0,0 4x4 [1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1] d1 w35 {TGIFGraphicControlExtension}\n"
       "1,1 1x1 [2] d1 w10 {TGIFGraphicControlExtension}\n"},
      {"an empty frame without a delay is shown for the default time: it stays, one pixel large",
       {{0, 0, 4, 4, bg, 10, 1}, {0, 0, 4, 4, std::vector<Byte>(16, 3), 0, 1, 3}, {1, 1, 1, 1, {2}, 10, 1}},
       "0,0 4x4 [1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1] d1 w10 {TGIFGraphicControlExtension}\n"
       "0,0 1x1 [3] t3 d1 w0 {TGIFGraphicControlExtension}\n"
       "1,1 1x1 [2] d1 w10 {TGIFGraphicControlExtension}\n"},
      {"after a frame without a delay, an empty frame's time cannot be added to it",
       {{0, 0, 4, 4, bg, 0, 1}, {0, 0, 4, 4, std::vector<Byte>(16, 3), 25, 1, 3}, {1, 1, 1, 1, {2}, 10, 1}},
       "0,0 4x4 [1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1] d1 w0 {TGIFGraphicControlExtension}\n"
       "0,0 1x1 [3] t3 d1 w25 {TGIFGraphicControlExtension}\n"
       "1,1 1x1 [2] d1 w10 {TGIFGraphicControlExtension}\n"},
      {"short delays are shown longer than they say: an empty frame of 2 stays",
       {{0, 0, 4, 4, bg, 2, 1}, {0, 0, 4, 4, std::vector<Byte>(16, 3), 2, 1, 3}, {1, 1, 1, 1, {2}, 10, 1}},
       "0,0 4x4 [1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1] d1 w2 {TGIFGraphicControlExtension}\n"
       "0,0 1x1 [3] t3 d1 w2 {TGIFGraphicControlExtension}\n"
       "1,1 1x1 [2] d1 w10 {TGIFGraphicControlExtension}\n"},
      {"an empty first frame shows the empty screen: it stays",
       {{0, 0, 4, 4, std::vector<Byte>(16, 3), 20, 1, 3}, {0, 0, 4, 4, bg, 10, 1}},
       "0,0 1x1 [3] t3 d1 w20 {TGIFGraphicControlExtension}\n"
       "0,0 4x4 [1 1 1 1 1 1 1 1 1 1 1 1 1 1 1 1] d1 w10 {TGIFGraphicControlExtension}\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto img = MakeImage(4, 4, kColors, c.frames);
    TGIFImage optimized;
    optimized.Assign(img.get());
    optimized.OptimizeFrames(ofTrimFrames, rdNone, 8, dkNearest);
    EXPECT_EQ(Describe(optimized), c.expected);
    EXPECT_TRUE(Timeline(*img) == Timeline(optimized));
  }
}

}  // namespace
