// What a tab shows inside its outline: the embossed caption of a disabled
// tab, the accelerator's underline, two-line captions (side by side with
// vertical text), caption colours from OnGetTextColor, a tab face left to
// OnPaintTabBackground, and transparency; and the font switch for turned text.
#include <gtest/gtest.h>

#include <memory>

#include "controls/RzTabs.h"
#include "platform/Forms.h"
#include "tests/controls/shots.h"
#include "tests/support/ui.h"

namespace {

constexpr TColor kFace = static_cast<TColor>(0xC8D8E8);
constexpr TColor kTabsBack = static_cast<TColor>(0x30B030);

struct TTabInk {
  Integer Count = 0, MinX = 1 << 20, MinY = 1 << 20, MaxX = -1, MaxY = -1;
};

struct TabsContentTest : ::testing::Test {
  std::unique_ptr<TForm> form{testui::NewForm(340, 240)};
  TRzCustomTabControl* tabs = nullptr;
  void SetUp() override {
    form->SetColor(kTabsBack);
    testshots::ShowActive(form.get());
    tabs = new TRzCustomTabControl(form.get());
    tabs->SetParent(form.get());
    tabs->SetBounds(10, 10, 300, 200);
    tabs->Font()->SetName("Tahoma");
    tabs->Font()->SetHeight(-11);
    tabs->SetColor(kFace);
    tabs->SetUseGradients(false);
    tabs->SetTabStyle(tsCutCorner);  // tabs stand apart: each tab's ink stays in its rectangle
    tabs->TabColors()->SetUnselected(clWhite);
  }
  TRect Client(Integer I) { return tabs->TabRectToClient(tabs->TabRect(I)); }
  // Pixels of Color inside the client rectangle R of the picture.
  TTabInk InkOf(TBitmap* B, TColor Color, const TRect& R) {
    TTabInk k;
    for (Integer y = std::max<Integer>(R.Top, 0); y < R.Bottom; ++y)
      for (Integer x = std::max<Integer>(R.Left, 0); x < R.Right; ++x)
        if ((testshots::Px(B, x, y) & 0xFFFFFF) == (Color & 0xFFFFFF)) {
          ++k.Count;
          k.MinX = std::min(k.MinX, x), k.MaxX = std::max(k.MaxX, x);
          k.MinY = std::min(k.MinY, y), k.MaxY = std::max(k.MaxY, y);
        }
    return k;
  }
};

TEST_F(TabsContentTest, DisabledCaptionIsEmbossed) {
  tabs->AddTab("Enabled");
  tabs->AddTab("Disabled");
  tabs->Tabs()->Items(1)->Enabled = false;
  tabs->TextColors()->SetDisabledHighlight(static_cast<TColor>(0x0000FF));
  tabs->TextColors()->SetDisabledShadow(static_cast<TColor>(0xFF0000));
  auto shot = testshots::Shot(tabs);
  TTabInk light = InkOf(shot.get(), 0x0000FF, Client(1)), dark = InkOf(shot.get(), 0xFF0000, Client(1));
  ASSERT_GT(dark.Count, 10);
  ASSERT_GT(light.Count, 0);
  // the light copy lies one pixel down and right of the caption
  EXPECT_EQ(light.MaxX, dark.MaxX + 1);
  EXPECT_EQ(light.MaxY, dark.MaxY + 1);
  EXPECT_EQ(InkOf(shot.get(), 0xFF0000, Client(0)).Count, 0);
}

TEST_F(TabsContentTest, CaptionColoursFromTheEventAndAccelerators) {
  // A caption per case; its colour comes from OnGetTextColor, so its ink can be counted.
  struct TCase {
    const char* Caption;
    const char* Plain;  // the same text without marks, for comparison
    bool Underlined;
  } cases[] = {
      {"&Save", "Save", true},
      {"Save &&", "Save", false},  // a doubled ampersand shows once, underlines nothing
  };
  for (const TCase& c : cases) {
    tabs->Tabs()->Clear();
    tabs->AddTab(c.Caption);
    tabs->AddTab(c.Plain);
    tabs->SetTabWidth(80);
    tabs->RequestLayout();
    Integer styles[2] = {-1, -1};
    tabs->OnGetTextColor = [&](TObject*, Integer I, Integer Style, TColor& Color, bool& Handled) {
      styles[I] = Style;
      Color = static_cast<TColor>(0x0000C0);
      Handled = true;
    };
    tabs->SetTabIndex(0);
    auto shot = testshots::Shot(tabs);
    SCOPED_TRACE(c.Caption);
    EXPECT_EQ(styles[0], 1);  // selected
    EXPECT_EQ(styles[1], 2);  // unselected
    TTabInk marked = InkOf(shot.get(), 0x0000C0, Client(0)), plain = InkOf(shot.get(), 0x0000C0, Client(1));
    ASSERT_GT(plain.Count, 10);
    if (c.Underlined) {
      EXPECT_GT(marked.Count, plain.Count);
      EXPECT_GT(marked.MaxY - marked.MinY, plain.MaxY - plain.MinY);
    } else {
      EXPECT_GT(marked.MaxX - marked.MinX, plain.MaxX - plain.MinX + 4);  // the ampersand shows
      EXPECT_EQ(marked.MaxY, plain.MaxY);                                 // nothing below the line
    }
  }
}

TEST_F(TabsContentTest, TwoLineCaptionsStackOrStandSideBySide) {
  tabs->TextColors()->SetUnselected(static_cast<TColor>(0x0000C0));
  tabs->AddTab("One");
  tabs->AddTab("Line\r\nTwo");
  auto shot = testshots::Shot(tabs);
  TTabInk one = InkOf(shot.get(), 0x0000C0, Client(0)), two = InkOf(shot.get(), 0x0000C0, Client(1));
  EXPECT_GT(two.MaxY - two.MinY, 2 * (one.MaxY - one.MinY) - 2);  // lines one above the other

  tabs->SetTextOrientation(orVertical);
  tabs->SetTabOrientation(toLeft);
  shot = testshots::Shot(tabs);
  one = InkOf(shot.get(), 0x0000C0, Client(0));
  two = InkOf(shot.get(), 0x0000C0, Client(1));
  ASSERT_GT(one.Count, 5);
  EXPECT_GT(one.MaxY - one.MinY, one.MaxX - one.MinX);  // the text runs upward
  EXPECT_GT(two.MaxX - two.MinX, 2 * (one.MaxX - one.MinX) - 2);  // lines side by side
}

TEST_F(TabsContentTest, HandledTabBackgroundKeepsCaptionAndOutline) {
  tabs->SetBackgroundColor(static_cast<TColor>(0x808080));
  tabs->SetFlatColor(static_cast<TColor>(0x203080));
  tabs->TextColors()->SetUnselected(static_cast<TColor>(0x0000C0));
  tabs->AddTab("First");
  tabs->AddTab("Second");
  tabs->SetTabIndex(1);
  Integer calls = 0;
  tabs->OnPaintTabBackground = [&](TObject*, TCanvas*, Integer I, const TRect&, bool& Handled) {
    ++calls;
    Handled = I == 0;
  };
  auto shot = testshots::Shot(tabs);
  EXPECT_GE(calls, 2);
  TRect r = Client(0);
  TTabInk face = InkOf(shot.get(), clWhite, r);
  EXPECT_EQ(face.Count, 0);  // the face was left to the handler
  EXPECT_GT(InkOf(shot.get(), 0x0000C0, r).Count, 10);
  EXPECT_GT(InkOf(shot.get(), 0x203080, r).Count, 10);
  EXPECT_GT(InkOf(shot.get(), 0x808080, Rect(r.Left + 4, r.Top + 4, r.Right - 12, r.Bottom - 2)).Count, 0);
}

TEST_F(TabsContentTest, TransparentShowsTheParentOutsideTabsAndCard) {
  tabs->AddTab("First");
  tabs->SetTabIndex(0);
  tabs->SetBackgroundColor(static_cast<TColor>(0x808080));
  auto shot = testshots::Shot(tabs);
  EXPECT_EQ(testshots::Px(shot.get(), 250, 5) & 0xFFFFFF, 0x808080u);
  tabs->SetTransparent(true);
  shot = testshots::Shot(tabs);
  EXPECT_EQ(testshots::Px(shot.get(), 250, 5) & 0xFFFFFF, kTabsBack & 0xFFFFFF);
  EXPECT_EQ(testshots::Px(shot.get(), 150, 100) & 0xFFFFFF, kFace & 0xFFFFFF);
}

TEST_F(TabsContentTest, TurnedTextNeedsAnOutlineFont) {
  tabs->Font()->SetName("System");  // a bitmap font: it does not turn
  ASSERT_FALSE(FontIsTrueType(tabs->Font()));
  tabs->SetTextOrientation(orVertical);
  EXPECT_EQ(tabs->Font()->Name(), "Verdana");
  tabs->SetTextOrientation(orHorizontal);
  tabs->Font()->SetName("Tahoma");
  tabs->SetTextOrientation(orVertical);
  EXPECT_EQ(tabs->Font()->Name(), "Tahoma");
}

}  // namespace
