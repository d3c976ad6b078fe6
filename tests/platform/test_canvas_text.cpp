// Fonts and GDI work headless: a window is created and text drawn with TCanvas
// into a TBitmap changes its pixels.
#include <gtest/gtest.h>

#include "platform/Graphics.h"
#include "tests/support/png_writer.h"

namespace {

int CountNonWhite(TBitmap& b) {
  int n = 0;
  for (int y = 0; y < b.Height(); ++y) {
    const Byte* row = static_cast<const Byte*>(b.ScanLine(y));
    for (int x = 0; x < b.Width(); ++x)
      if (row[3 * x] != 255 || row[3 * x + 1] != 255 || row[3 * x + 2] != 255) ++n;
  }
  return n;
}

}  // namespace

TEST(CanvasText, TextChangesPixelsInHeadlessPrefix) {
  HWND wnd = CreateWindowExW(0, L"STATIC", L"canvas text", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(wnd, nullptr);

  TBitmap b;
  b.SetPixelFormat(pf24bit);
  b.SetSize(160, 40);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clWhite);
  c->FillRect(Rect(0, 0, 160, 40));
  ASSERT_EQ(CountNonWhite(b), 0);
  c->Font()->SetName("Tahoma");
  c->Font()->SetSize(12);
  c->Font()->SetColor(clBlack);
  const TSize extent = c->TextExtent("Hello, GDI");
  EXPECT_GT(extent.cx, 40);
  EXPECT_GT(extent.cy, 8);
  EXPECT_EQ(c->TextWidth("Hello, GDI"), extent.cx);
  EXPECT_EQ(c->TextHeight("Hello, GDI"), extent.cy);
  c->TextOut(4, 4, "Hello, GDI");
  const int inked = CountNonWhite(b);
  EXPECT_GT(inked, 50);
  // Ink stays inside the text's extent.
  for (int y = 0; y < 40; ++y)
    for (int x = 4 + extent.cx + 2; x < 160; ++x) ASSERT_EQ(b.Canvas()->Pixels(x, y), clWhite) << x << "," << y;
  // Bold text is wider, and the font's face is the one asked for.
  c->Font()->SetStyle({fsBold});
  EXPECT_GT(c->TextWidth("Hello, GDI"), extent.cx);
  wchar_t face[LF_FACESIZE] = {};
  GetTextFaceW(c->Handle(), LF_FACESIZE, face);
  EXPECT_EQ(WideToUtf8(face), "Tahoma");
  // TextRect clips to its rectangle.
  TBitmap clip;
  clip.SetPixelFormat(pf24bit);
  clip.SetSize(160, 40);
  clip.Canvas()->Brush()->SetColor(clWhite);
  clip.Canvas()->FillRect(Rect(0, 0, 160, 40));
  clip.Canvas()->Font()->SetSize(12);
  clip.Canvas()->TextRect(Rect(0, 0, 20, 40), 4, 4, "Hello, GDI");
  EXPECT_GT(CountNonWhite(clip), 0);
  for (int y = 0; y < 40; ++y)
    for (int x = 20; x < 160; ++x) ASSERT_EQ(clip.Canvas()->Pixels(x, y), clWhite);

  // The picture can be kept for a person to look at.
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  const std::string png = WideToUtf8(dir) + "canvas_text.png";
  EXPECT_TRUE(SaveBitmapAsPng(&b, png));
  DestroyWindow(wnd);
}
