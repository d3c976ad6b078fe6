// TJPEGImage: round trips through libjpeg, options, and corrupt data.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/Classes.h"
#include "platform/Jpeg.h"

namespace {

// A 40x30 picture: four coloured quadrants, smooth enough for JPEG.
std::unique_ptr<TBitmap> Quadrants() {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(40, 30);
  const TColor colours[4] = {clRed, clLime, clBlue, TColor(RGB(200, 180, 40))};
  for (int q = 0; q < 4; ++q) {
    b->Canvas()->Brush()->SetColor(colours[q]);
    b->Canvas()->FillRect(Bounds((q % 2) * 20, (q / 2) * 15, 20, 15));
  }
  return b;
}

int MaxDifference(TBitmap* a, TBitmap* b, int x0, int y0, int x1, int y1) {
  int worst = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const TColor p = a->Canvas()->Pixels(x, y), q = b->Canvas()->Pixels(x, y);
      for (int s = 0; s < 24; s += 8) worst = std::max(worst, std::abs(int((p >> s) & 255) - int((q >> s) & 255)));
    }
  return worst;
}

double MeanDifference(TBitmap* a, TBitmap* b, int x0, int y0, int x1, int y1) {
  double sum = 0;
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const TColor p = a->Canvas()->Pixels(x, y), q = b->Canvas()->Pixels(x, y);
      for (int s = 0; s < 24; s += 8, ++n) sum += std::abs(int((p >> s) & 255) - int((q >> s) & 255));
    }
  return sum / n;
}

std::vector<Byte> Saved(TGraphic* g) {
  TMemoryStream s;
  g->SaveToStream(&s);
  return std::vector<Byte>(static_cast<Byte*>(s.Memory()), static_cast<Byte*>(s.Memory()) + s.Size());
}

void LoadBytes(TGraphic* g, const std::vector<Byte>& data) {
  TMemoryStream s;
  if (!data.empty()) s.WriteBuffer(data.data(), Integer(data.size()));
  s.SetPosition(0);
  g->LoadFromStream(&s);
}

}  // namespace

TEST(Jpeg, DefaultsAndRegistration) {
  TJPEGImage j;
  EXPECT_EQ(j.CompressionQuality(), 90);
  EXPECT_EQ(j.Performance(), jpBestQuality);
  EXPECT_EQ(j.PixelFormat(), jf24Bit);
  EXPECT_EQ(j.Scale(), jsFullSize);
  EXPECT_TRUE(j.Empty());
  j.SetCompressionQuality(0);
  EXPECT_EQ(j.CompressionQuality(), 1);
  j.SetCompressionQuality(500);
  EXPECT_EQ(j.CompressionQuality(), 100);
  EXPECT_EQ(TPicture::FileFormatClass("JPG"), GraphicClassOf<TJPEGImage>());
  EXPECT_EQ(TPicture::FileFormatClass("jpeg"), GraphicClassOf<TJPEGImage>());
}

TEST(Jpeg, RoundTripWithinTolerance) {
  auto src = Quadrants();
  for (bool progressive : {false, true}) {
    SCOPED_TRACE(progressive ? "progressive" : "baseline");
    TJPEGImage j;
    j.Assign(src.get());
    j.SetProgressiveEncoding(progressive);
    const std::vector<Byte> data = Saved(&j);
    ASSERT_GT(data.size(), 100u);
    EXPECT_EQ(data[0], 0xFF);
    EXPECT_EQ(data[1], 0xD8);
    TJPEGImage r;
    LoadBytes(&r, data);
    EXPECT_EQ(r.Width(), 40);
    EXPECT_EQ(r.Height(), 30);
    TBitmap out;
    out.Assign(&r);
    EXPECT_EQ(out.Width(), 40);
    EXPECT_EQ(out.PixelFormat(), pf24bit);
    // Away from the quadrant edges the colours come back closely.
    EXPECT_LE(MaxDifference(&out, src.get(), 2, 2, 16, 12), 12);
    EXPECT_LE(MaxDifference(&out, src.get(), 24, 18, 38, 28), 12);
    // Saving unchanged data writes the same bytes again.
    EXPECT_EQ(Saved(&r), data);
  }
}

TEST(Jpeg, QualityAffectsSize) {
  auto src = Quadrants();
  src->Canvas()->Font()->SetSize(14);
  src->Canvas()->Brush()->SetStyle(bsClear);
  src->Canvas()->TextOut(2, 2, "Quality");
  TJPEGImage lo, hi;
  lo.SetCompressionQuality(10);
  lo.Assign(src.get());
  hi.SetCompressionQuality(100);
  hi.Assign(src.get());
  EXPECT_LT(Saved(&lo).size(), Saved(&hi).size());
}

TEST(Jpeg, GrayscaleScaleAndEightBit) {
  auto src = Quadrants();
  TJPEGImage j;
  j.Assign(src.get());
  const std::vector<Byte> data = Saved(&j);

  TJPEGImage g;
  LoadBytes(&g, data);
  g.SetGrayscale(true);
  TBitmap* gb = g.Bitmap();
  EXPECT_EQ(gb->PixelFormat(), pf8bit);
  const TColor p = gb->Canvas()->Pixels(5, 5);
  EXPECT_EQ(p & 0xFF, (p >> 8) & 0xFF);
  EXPECT_EQ(p & 0xFF, (p >> 16) & 0xFF);

  TJPEGImage s;
  LoadBytes(&s, data);
  s.SetScale(jsQuarter);
  EXPECT_EQ(s.Width(), 10);
  EXPECT_EQ(s.Height(), 8);
  EXPECT_EQ(s.Bitmap()->Width(), 10);

  TJPEGImage e;
  LoadBytes(&e, data);
  e.SetPixelFormat(jf8Bit);
  e.SetPerformance(jpBestSpeed);
  EXPECT_EQ(e.Bitmap()->PixelFormat(), pf8bit);
  EXPECT_NE(e.Palette(), nullptr);
  TBitmap out;
  out.Assign(&e);
  // Ordered dithering over a fixed colour map: close on average.
  EXPECT_LE(MeanDifference(&out, src.get(), 4, 4, 16, 12), 24);
}

TEST(Jpeg, CorruptDataRaisesEJPEG) {
  auto src = Quadrants();
  TJPEGImage j;
  j.Assign(src.get());
  const std::vector<Byte> data = Saved(&j);
  struct Case {
    const char* Name;
    std::vector<Byte> Data;
  };
  std::vector<Byte> badMarker = data;
  badMarker[1] = 0x00;
  std::vector<Byte> hugeSize = data;
  // The SOF0 marker's height and width fields.
  for (size_t i = 2; i + 8 < hugeSize.size(); ++i)
    if (hugeSize[i] == 0xFF && (hugeSize[i + 1] == 0xC0 || hugeSize[i + 1] == 0xC2)) {
      hugeSize[i + 5] = 0xFF; hugeSize[i + 6] = 0xF0; hugeSize[i + 7] = 0xFF; hugeSize[i + 8] = 0xF0;
      break;
    }
  const Case cases[] = {
      {"not a JPEG", std::vector<Byte>{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}},
      {"bad start marker", badMarker},
      {"header cut", std::vector<Byte>(data.begin(), data.begin() + 20)},
      {"huge dimensions", hugeSize},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TJPEGImage r;
    try {
      LoadBytes(&r, c.Data);
      r.DIBNeeded();
      ADD_FAILURE() << "no exception";
    } catch (const EJPEG& e) {
      EXPECT_GT(std::string(e.what()).size(), 0u);
    }
    EXPECT_TRUE(r.Empty());
  }
  // EJPEG is an EInvalidGraphic, so picture loaders can treat it as one.
  TJPEGImage r;
  EXPECT_THROW(LoadBytes(&r, {'x', 'y', 'z', 'w'}), EInvalidGraphic);
  // Data cut in the middle of the scan still decodes (libjpeg pads it) without a crash.
  size_t sos = 0;
  for (size_t i = 0; i + 1 < data.size() && sos == 0; ++i)
    if (data[i] == 0xFF && data[i + 1] == 0xDA) sos = i;
  ASSERT_GT(sos, 0u);
  TJPEGImage cut;
  LoadBytes(&cut, std::vector<Byte>(data.begin(), data.begin() + static_cast<ptrdiff_t>(sos + (data.size() - sos) / 2)));
  EXPECT_EQ(cut.Bitmap()->Width(), 40);
}

TEST(Jpeg, DrawOnCanvas) {
  auto src = Quadrants();
  TJPEGImage j;
  j.Assign(src.get());
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(80, 60);
  target.Canvas()->StretchDraw(Rect(0, 0, 80, 60), &j);
  const TColor c = target.Canvas()->Pixels(70, 50);
  EXPECT_NEAR(int(c & 0xFF), 200, 15);
  EXPECT_NEAR(int((c >> 8) & 0xFF), 180, 15);
}
