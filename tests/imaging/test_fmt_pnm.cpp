// PBM, PGM and PPM: tokens and comments, the six kinds, scaling by maxval,
// the writer's three kinds, and headers that do not hold.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fmt_test_util.h"
#include "imaging/formats/iepnm.h"

using fmtt::Pixel;

namespace {

std::vector<Byte> Text(const std::string& S) { return std::vector<Byte>(S.begin(), S.end()); }

struct PnmLoaded {
  std::unique_ptr<TIEBitmap> Bitmap = fmtt::NewBuffer();
  TIOParamsVals Params;
  fmtt::TProgressBox Progress;
};

void LoadPnm(PnmLoaded& L, const std::vector<Byte>& F, bool HeaderOnly = false) {
  auto s = fmtt::StreamOf(F);
  ReadPnmStream(s.get(), L.Bitmap.get(), L.Params, L.Progress.Record, HeaderOnly);
}

std::string SavePnm(TIEBitmap& B, TIOParamsVals& P) {
  TMemoryStream s;
  fmtt::TProgressBox pr;
  WritePnmStream(&s, &B, P, pr.Record);
  EXPECT_FALSE(pr.Abort);
  const std::vector<Byte> b = fmtt::BytesOf(s);
  return std::string(b.begin(), b.end());
}

}  // namespace

TEST(FmtPnmRead, KindsAndValues) {
  struct Case {
    const char* What;
    std::string File;
    Integer W, H, Bits, Samples;
    std::vector<uint32_t> Want;  // row by row
  } cases[] = {
      {"P1 with blanks", "P1 2 2\n1 0\n0 1\n", 2, 2, 1, 1, {0, 0xFFFFFF, 0xFFFFFF, 0}},
      {"P1 digits run together", "P1\n3 1\n101", 3, 1, 1, 1, {0, 0xFFFFFF, 0}},
      {"P2 maxval 255", "P2 2 1 255 255 0", 2, 1, 8, 1, {0xFFFFFF, 0}},
      {"P2 maxval 100", "P2 1 1 100 50", 1, 1, 8, 1, {0x7F7F7F}},
      {"P2 value past maxval", "P2 1 1 100 150", 1, 1, 8, 1, {0xFFFFFF}},
      {"P3", "P3 2 1 255\n255 0 0  0 0 255\n", 2, 1, 8, 3, {0xFF0000, 0x0000FF}},
      {"P4", std::string("P4 10 1\n") + char(0x80) + char(0x40), 10, 1, 1, 1,
       {0, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0}},
      {"P5 maxval 127", std::string("P5\n# made by hand\n3 1\n127\n") + char(0) + char(127) + char(127), 3, 1, 8, 1,
       {0, 0xFFFFFF, 0xFFFFFF}},
      {"P6", std::string("P6 2 1 255\n") + "\x10\x20\x30\x40\x50\x60", 2, 1, 8, 3, {0x102030, 0x405060}},
      {"P6 two bytes per sample", std::string("P6 1 1 65535\n") + std::string("\xFF\xFF\x80\x00\x00\x00", 6), 1, 1, 8, 3,
       {0xFF7F00}},
      {"width token 0 leaves the width open", std::string("P5 0 2 1 255\n") + "\x01\x02", 2, 1, 8, 1,
       {0x010101, 0x020202}},
  };
  for (const Case& c : cases) {
    PnmLoaded l;
    LoadPnm(l, Text(c.File));
    ASSERT_FALSE(l.Progress.Abort) << c.What << ": " << IELastFilterError();
    ASSERT_EQ(l.Bitmap->Width(), c.W) << c.What;
    ASSERT_EQ(l.Bitmap->Height(), c.H) << c.What;
    EXPECT_EQ(l.Params.BitsPerSample, c.Bits) << c.What;
    EXPECT_EQ(l.Params.SamplesPerPixel, c.Samples) << c.What;
    for (Integer i = 0; i < c.W * c.H; ++i) EXPECT_EQ(Pixel(*l.Bitmap, i % c.W, i / c.W), c.Want[i]) << c.What << " " << i;
  }
}

TEST(FmtPnmRead, CommentsAndHeaderOnly) {
  PnmLoaded l;
  LoadPnm(l, Text("P5\n# made by hand  \n#second\n3 # inside\n1\n255\nabc"), true);
  ASSERT_FALSE(l.Progress.Abort);
  ASSERT_EQ(l.Params.PnmComments.Count(), 3);
  EXPECT_EQ(l.Params.PnmComments.Strings(0), "made by hand");
  EXPECT_EQ(l.Params.PnmComments.Strings(1), "second");
  EXPECT_EQ(l.Params.PnmComments.Strings(2), "inside");
  EXPECT_EQ(l.Params.Width, 3);
  EXPECT_EQ(l.Bitmap->Width(), 0);
  // A second load starts with no comments.
  LoadPnm(l, Text("P5 1 1 255 a"));
  EXPECT_EQ(l.Params.PnmComments.Count(), 0);
}

TEST(FmtPnmRead, ContentTest) {
  struct Case {
    std::string File;
    bool Want;
  } cases[] = {
      {"P6 3 2 255\n", true},    {"# c\nP4 8 8\n", true}, {"P7 3 2 255\n", false}, {"XX 3 2\n", false},
      {"P5 x 2 255\n", false},   {"P5 3\n", false},       {"", false},             {"P1 1 1", true},
  };
  for (const Case& c : cases) {
    auto s = fmtt::StreamOf(Text(c.File));
    EXPECT_EQ(IsPnmStream(s.get()), c.Want) << c.File;
    EXPECT_EQ(s->Position(), 0) << c.File;
  }
}

TEST(FmtPnmRead, RefusesBadHeaders) {
  struct Case {
    const char* What;
    std::string File;
  } cases[] = {
      {"bad magic", "P9 1 1 255 x"},
      {"no size", "P6"},
      {"width not a number", "P6 x 1 255 abc"},
      {"maxval 0", "P5 1 1 0 a"},
      {"maxval too large", "P5 1 1 70000 aa"},
      {"size far beyond the data", "P6 100000 100000 255 abc"},
      {"P4 size beyond the data", "P4 99999 99999 ab"},
  };
  for (const Case& c : cases) {
    PnmLoaded l;
    l.Bitmap->AllocateImage(2, 2, ipkRGB24);
    LoadPnm(l, Text(c.File));
    EXPECT_TRUE(l.Progress.Abort) << c.What;
    EXPECT_FALSE(IELastFilterError().empty()) << c.What;
    EXPECT_EQ(l.Bitmap->Width(), 2) << c.What;
  }
  // Short pixel data is no error: the rest keeps what it held.
  PnmLoaded s;
  LoadPnm(s, Text("P5 2 2 255 \x09\x09\x09"));
  EXPECT_FALSE(s.Progress.Abort);
  EXPECT_EQ(Pixel(*s.Bitmap, 0, 1), 0x090909u);
}

TEST(FmtPnmWrite, KindsHeadersAndRoundTrips) {
  auto rgb = fmtt::MakeRGB(3, 1, [](Integer x, Integer) { return x == 0 ? 0xFF0000u : x == 1 ? 0x00FF00u : 0x0000FFu; });
  TIOParamsVals p;
  p.BitsPerSample = 8;
  p.SamplesPerPixel = 1;
  p.PnmComments.Add("one");
  p.PnmComments.Add("two");
  EXPECT_EQ(SavePnm(*rgb, p), std::string("P5 \n# one\n\n# two\n3 1 255\n") + char(53) + char(181) + char(20));

  p.PnmComments.Clear();
  p.SamplesPerPixel = 3;
  const std::string p6 = SavePnm(*rgb, p);
  EXPECT_EQ(p6, std::string("P6 3 1 255\n") + std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF", 9));

  auto bw = fmtt::MakeBW(13, 3, [](Integer x, Integer y) { return (x + y) % 3 == 0; });
  const std::string p4 = SavePnm(*bw, p);
  EXPECT_EQ(p4.substr(0, 8), "P4 13 3\n");
  PnmLoaded l;
  LoadPnm(l, Text(p4));
  EXPECT_EQ(fmtt::DifferentPixels(*bw, *l.Bitmap), 0);

  auto photo = fmtt::MakeRGB(17, 5, [](Integer x, Integer y) { return uint32_t(x * 15) << 16 | uint32_t(y * 50) << 8 | 9; });
  PnmLoaded r;
  LoadPnm(r, Text(SavePnm(*photo, p)));
  EXPECT_EQ(fmtt::DifferentPixels(*photo, *r.Bitmap), 0);

  // Bits 1 with one sample writes a 1-bit picture of a colour image.
  p.BitsPerSample = 1;
  p.SamplesPerPixel = 1;
  auto twoTone = fmtt::MakeRGB(4, 1, [](Integer x, Integer) { return x < 2 ? 0u : 0xFFFFFFu; });
  PnmLoaded t;
  LoadPnm(t, Text(SavePnm(*twoTone, p)));
  EXPECT_EQ(t.Bitmap->PixelKind(), ipkBW1);
  EXPECT_EQ(fmtt::DifferentPixels(*twoTone, *t.Bitmap), 0);

  // A kind it cannot write writes nothing.
  p.BitsPerSample = 16;
  p.SamplesPerPixel = 1;
  auto grey = fmtt::NewBuffer();
  grey->AllocateImage(2, 2, ipkGray8);
  EXPECT_EQ(SavePnm(*grey, p), "");
}
