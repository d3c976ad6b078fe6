// The image library's GIF container: choosing an image, graphic control and
// comment blocks, 1-bit pictures, transparency, the LZW hooks, and writing.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fmt_test_util.h"
#include "gif/GIFLZWHooks.h"
#include "imaging/formats/giffilter.h"

using fmtt::Pixel;

namespace {

struct Frame {
  Integer Left, Top, Width, Height;
  Integer Delay;
  bool TransparentFlag;
  Byte TransparentIndex;
  std::vector<Byte> Indices;
  std::vector<uint32_t> LocalTable;  // empty: none
  bool Interlaced = false;
};

void Add16(std::vector<Byte>& F, uint32_t V) {
  F.push_back(Byte(V));
  F.push_back(Byte(V >> 8));
}

void AddTable(std::vector<Byte>& F, const std::vector<uint32_t>& T) {
  for (uint32_t c : T) {
    F.push_back(Byte(c >> 16));
    F.push_back(Byte(c >> 8));
    F.push_back(Byte(c));
  }
}

void AddComment(std::vector<Byte>& F, const std::vector<std::string>& Lines) {
  F.push_back(0x21);
  F.push_back(0xFE);
  for (const std::string& l : Lines) {
    F.push_back(Byte(l.size()));
    F.insert(F.end(), l.begin(), l.end());
  }
  F.push_back(0);
}

// A GIF89a of 4 global colours (black, white, red, blue) with the frames,
// each with a graphic control block, and a comment before each frame.
std::vector<Byte> MakeGif(const std::vector<Frame>& Frames, bool WithControl = true) {
  std::vector<Byte> f = {'G', 'I', 'F', '8', '9', 'a'};
  Add16(f, 20);
  Add16(f, 10);
  f.push_back(0x81);
  f.push_back(2);  // background: red
  f.push_back(49);
  AddTable(f, {0x000000, 0xFFFFFF, 0xFF0000, 0x0000FF});
  Integer n = 0;
  for (const Frame& fr : Frames) {
    AddComment(f, {"frame " + std::to_string(n++)});
    if (WithControl) {
      f.insert(f.end(), {0x21, 0xF9, 4, Byte(fr.TransparentFlag ? 1 : 0)});
      Add16(f, uint32_t(fr.Delay));
      f.push_back(fr.TransparentIndex);
      f.push_back(0);
    }
    f.push_back(0x2C);
    Add16(f, uint32_t(fr.Left));
    Add16(f, uint32_t(fr.Top));
    Add16(f, uint32_t(fr.Width));
    Add16(f, uint32_t(fr.Height));
    Byte packed = fr.Interlaced ? 0x40 : 0;
    if (!fr.LocalTable.empty()) packed |= 0x80 | 0x00;  // 2 entries
    f.push_back(packed);
    AddTable(f, fr.LocalTable);
    TMemoryStream data;
    GIFLZWEncodeIndices(&data, fr.Height, fr.Width, 2, fr.Indices.data(), fr.Interlaced);
    const std::vector<Byte> d = fmtt::BytesOf(data);
    f.insert(f.end(), d.begin(), d.end());
  }
  f.push_back(0x3B);
  return f;
}

std::vector<Frame> FiveFrames() {
  std::vector<Frame> v;
  for (Integer i = 0; i < 5; ++i) {
    Frame f{i, 2 * i, 3 + i, 2, 10 * (i + 1), i == 2, Byte(i == 2 ? 3 : 1), {}, {}};
    for (Integer k = 0; k < f.Width * f.Height; ++k) f.Indices.push_back(Byte((k + i) % 4));
    v.push_back(f);
  }
  return v;
}

struct GifLoaded {
  std::unique_ptr<TIEBitmap> Bitmap = fmtt::NewBuffer();
  TIOParamsVals Params;
  fmtt::TProgressBox Progress;
  std::unique_ptr<TIEMask> Alpha;
  Integer Count = -1;
};

void LoadGif(GifLoaded& L, const std::vector<Byte>& F, bool HeaderOnly = false) {
  auto s = fmtt::StreamOf(F);
  L.Count = ReadGifStream(s.get(), L.Bitmap.get(), L.Params, L.Progress.Record, HeaderOnly, HeaderOnly, L.Alpha);
}

std::vector<Byte> SaveGif(TIEBitmap& B, TIOParamsVals& P, fmtt::TProgressBox* Pr = nullptr) {
  TMemoryStream s;
  fmtt::TProgressBox own;
  WriteGifStream(&s, &B, P, (Pr ? Pr : &own)->Record);
  return fmtt::BytesOf(s);
}

}  // namespace

TEST(FmtGifRead, HeaderOnlyReadOfAnAnimation) {
  GifLoaded l;
  l.Params.GifImageIndex = 3;
  LoadGif(l, MakeGif(FiveFrames()), true);
  ASSERT_FALSE(l.Progress.Abort);
  EXPECT_EQ(l.Count, 5);
  EXPECT_EQ(l.Params.GifImageCount, 5);
  EXPECT_EQ(l.Params.GifXPosition, 3);
  EXPECT_EQ(l.Params.GifYPosition, 6);
  EXPECT_EQ(l.Params.Width, 6);
  EXPECT_EQ(l.Params.Height, 2);
  EXPECT_EQ(l.Params.GifDelay, 40);
  EXPECT_FALSE(l.Params.GifHasTransparency);
  EXPECT_EQ(l.Params.GifComments.Count(), 5);
  EXPECT_EQ(l.Params.GifComments.Strings(4), "frame 4");
  EXPECT_EQ(l.Params.GifScreenWidth, 20);
  EXPECT_EQ(l.Params.GifScreenHeight, 10);
  EXPECT_EQ(l.Params.GifAspectRatio, 49);
  EXPECT_EQ(l.Params.GifBackgroundColor, (TIEColorTriple{0, 0, 255}));
  EXPECT_EQ(l.Params.GifVersion, "GIF89a");
  EXPECT_EQ(l.Params.BitsPerSample, 2);
  EXPECT_EQ(l.Params.PaletteCount, 4);
  EXPECT_EQ(l.Bitmap->Width(), 0);
}

TEST(FmtGifRead, ChosenImageTakesItsOwnControlBlock) {
  const std::vector<Frame> frames = FiveFrames();
  GifLoaded l;
  l.Params.GifImageIndex = 2;
  LoadGif(l, MakeGif(frames));
  ASSERT_FALSE(l.Progress.Abort) << IELastFilterError();
  EXPECT_EQ(l.Params.GifDelay, 30);
  EXPECT_TRUE(l.Params.GifHasTransparency);
  EXPECT_EQ(l.Params.GifTransparentColor, (TIEColorTriple{255, 0, 0}));
  ASSERT_EQ(l.Bitmap->Width(), 5);
  const uint32_t colors[4] = {0x000000, 0xFFFFFF, 0xFF0000, 0x0000FF};
  for (Integer k = 0; k < 10; ++k) {
    const Byte idx = frames[2].Indices[size_t(k)];
    EXPECT_EQ(Pixel(*l.Bitmap, k % 5, k / 5), colors[idx]) << k;
    EXPECT_EQ(l.Alpha->GetPixelValue(k % 5, k / 5), idx == 3 ? 0 : 255) << k;
  }
}

TEST(FmtGifRead, TransparencyNeedsTheFlag) {
  // An index without the flag, or no control block at all: nothing transparent.
  std::vector<Frame> frames = {{0, 0, 4, 1, 0, false, 1, {0, 1, 2, 1}, {}}};
  for (bool control : {true, false}) {
    GifLoaded l;
    LoadGif(l, MakeGif(frames, control));
    ASSERT_FALSE(l.Progress.Abort);
    EXPECT_FALSE(l.Params.GifHasTransparency);
    for (Integer x = 0; x < 4; ++x) EXPECT_EQ(l.Alpha->GetPixelValue(x, 0), 255);
  }
}

TEST(FmtGifRead, BlackAndWhiteLoadsAsOneBit) {
  Frame f{0, 0, 9, 2, 0, false, 0, {}, {0x000000, 0xFFFFFF}};
  for (Integer k = 0; k < 18; ++k) f.Indices.push_back(Byte((k / 2 + k / 9) % 2));
  GifLoaded l;
  LoadGif(l, MakeGif({f}));
  ASSERT_FALSE(l.Progress.Abort);
  ASSERT_EQ(l.Bitmap->PixelKind(), ipkBW1);
  for (Integer k = 0; k < 18; ++k) EXPECT_EQ(Pixel(*l.Bitmap, k % 9, k / 9), f.Indices[size_t(k)] ? 0xFFFFFFu : 0u) << k;
  // Other two colours: 24 bits.
  f.LocalTable = {0xFF0000, 0xFFFFFF};
  GifLoaded c;
  LoadGif(c, MakeGif({f}));
  EXPECT_EQ(c.Bitmap->PixelKind(), ipkRGB24);
  EXPECT_EQ(Pixel(*c.Bitmap, 0, 0), 0xFF0000u);
}

TEST(FmtGifRead, InterlacedAndProgressStages) {
  Frame f{0, 0, 3, 11, 0, false, 0, {}, {}, true};
  for (Integer k = 0; k < 33; ++k) f.Indices.push_back(Byte(k / 3 % 4));
  GifLoaded l;
  l.Progress.Track();
  LoadGif(l, MakeGif({f}));
  ASSERT_FALSE(l.Progress.Abort);
  EXPECT_TRUE(l.Params.GifInterlaced);
  const uint32_t colors[4] = {0x000000, 0xFFFFFF, 0xFF0000, 0x0000FF};
  for (Integer y = 0; y < 11; ++y) EXPECT_EQ(Pixel(*l.Bitmap, 1, y), colors[y % 4]) << y;
  EXPECT_EQ(l.Progress.Reports, (std::vector<Integer>{0, 30, 70, 100}));
}

TEST(FmtGifRead, WithoutHooksAndWithBadData) {
  const std::vector<Byte> file = MakeGif(FiveFrames());
  const TGifLzwDecoder saved = DefaultGifLzwDecoder;
  DefaultGifLzwDecoder = nullptr;
  GifLoaded l;
  l.Params.GifLzwDecoder = nullptr;
  l.Params.GifImageIndex = 3;
  LoadGif(l, file);
  DefaultGifLzwDecoder = saved;
  EXPECT_TRUE(l.Progress.Abort);
  EXPECT_EQ(l.Count, 3);
  EXPECT_EQ(l.Params.GifDelay, 40);

  struct Case {
    const char* What;
    std::vector<Byte> File;
  } cases[] = {
      {"not a GIF", {'J', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0}},
      {"header only", std::vector<Byte>(file.begin(), file.begin() + 13 + 12)},
      {"huge image with no data", [] {
         std::vector<Byte> f = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, 0x2C, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 2, 1, 0x44, 0};
         return f;
       }()},
  };
  for (const Case& c : cases) {
    GifLoaded b;
    LoadGif(b, c.File);
    EXPECT_TRUE(b.Progress.Abort) << c.What;
    EXPECT_FALSE(IELastFilterError().empty()) << c.What;
  }
  // Data cut inside the image: the decoder fills what is missing, as the GIF
  // library does for a truncated frame.
  GifLoaded cut;
  LoadGif(cut, std::vector<Byte>(file.begin(), file.begin() + 60));
  EXPECT_FALSE(cut.Progress.Abort);
  EXPECT_EQ(cut.Bitmap->Width(), 3);
  EXPECT_EQ(cut.Count, 1);
}

TEST(FmtGifWrite, BlocksAndRoundTrips) {
  auto colors = fmtt::MakeRGB(13, 7, [](Integer x, Integer y) { return uint32_t((x + y) % 5) * 0x333333 ^ 0x00FF00; });
  auto bw = fmtt::MakeBW(9, 4, [](Integer x, Integer y) { return (x * y) % 3 == 1; });
  struct Case {
    const char* What;
    TIEBitmap* Image;
    Integer Bits;
    bool Interlaced;
  } cases[] = {
      {"8 bits", colors.get(), 8, false}, {"3 bits interlaced", colors.get(), 3, true}, {"1 bit", bw.get(), 1, false},
  };
  for (const Case& c : cases) {
    TIOParamsVals p;
    p.BitsPerSample = c.Bits;
    p.GifInterlaced = c.Interlaced;
    p.GifDelay = 25;
    p.GifXPosition = 4;
    p.GifComments.Add("hello");
    const std::vector<Byte> f = SaveGif(*c.Image, p);
    ASSERT_GT(f.size(), 30u) << c.What;
    EXPECT_EQ(std::string(f.begin(), f.begin() + 6), "GIF89a") << c.What;
    EXPECT_EQ(f[10], 0x80 + (c.Bits - 1) * 17) << c.What;
    EXPECT_EQ(f.back(), 0x3B) << c.What;
    GifLoaded l;
    LoadGif(l, f);
    ASSERT_FALSE(l.Progress.Abort) << c.What << ": " << IELastFilterError();
    EXPECT_EQ(fmtt::DifferentPixels(*c.Image, *l.Bitmap), 0) << c.What;
    EXPECT_EQ(l.Params.GifDelay, 25) << c.What;
    EXPECT_EQ(l.Params.GifXPosition, 4) << c.What;
    EXPECT_EQ(l.Params.GifInterlaced, c.Interlaced) << c.What;
    ASSERT_EQ(l.Params.GifComments.Count(), 1) << c.What;
    EXPECT_EQ(l.Params.GifComments.Strings(0), "hello") << c.What;
  }

  // No comments: the comment block is there all the same; transparency is written.
  TIOParamsVals p;
  p.BitsPerSample = 1;
  p.GifHasTransparency = true;
  p.GifTransparentColor = TIEColorTriple{255, 255, 255};
  const std::vector<Byte> f = SaveGif(*bw, p);
  const std::vector<Byte> tail = {0x21, 0xFE, 0, 0x3B};
  EXPECT_TRUE(std::equal(tail.begin(), tail.end(), f.end() - 4));
  GifLoaded l;
  LoadGif(l, f);
  EXPECT_TRUE(l.Params.GifHasTransparency);
  EXPECT_EQ(l.Alpha->GetPixelValue(1, 1), 0);
  EXPECT_EQ(l.Alpha->GetPixelValue(0, 0), 255);

  // Without an encoder the stream ends after the image descriptor.
  const TGifLzwEncoder saved = DefaultGifLzwEncoder;
  DefaultGifLzwEncoder = nullptr;
  p.GifLzwEncoder = nullptr;
  fmtt::TProgressBox pr;
  const std::vector<Byte> cut = SaveGif(*bw, p, &pr);
  DefaultGifLzwEncoder = saved;
  EXPECT_TRUE(pr.Abort);
  EXPECT_EQ(cut.size(), 13u + 6 + 8 + 10);
}
