// Item hints on a shown toolbar driven by the real mouse, with short hint
// timings: the delay, the hide timeout, the re-show period, disabled items,
// the shortcut text; and the hint window's own placement and look.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "bars/dxBar.h"
#include "platform/Menus.h"
#include "tests/bars/bar_input.h"
#include "tests/support/png_writer.h"

namespace {

struct THintForm {
  std::unique_ptr<TForm> form;
  TdxBarManager* manager = nullptr;
  TdxBar* bar = nullptr;
  TdxBarButton* open = nullptr;
  TdxBarButton* saveAs = nullptr;
  TdxBarButton* play = nullptr;
  TdxBarHintTimings saved = dxBarHintTimings();
  bool appShortCuts = Application->HintShortCuts();

  THintForm() {
    dxBarHintTimings() = {150, 700, 400};
    Application->SetHintShortCuts(false);
    form.reset(testui::NewForm(420, 200, 40, 40));
    manager = new TdxBarManager(form.get());
    bar = manager->Bars()->Add();
    bar->SetCaption("Tools");
    open = AddButton("Open", "Open|Opens an animation", ShortCut('O', TShiftState{ssCtrl}));
    saveAs = AddButton("Save As", "Save As", 0);
    play = AddButton("Play", "Play Animation", 0);
    play->SetEnabled(false);
    bar->SetDockingStyle(dsTop);
    bar->SetVisible(true);
    barinput::Activate(form.get());
  }
  ~THintForm() {
    barinput::MoveTo(Point(5, 5));
    form.reset();
    dxBarHintTimings() = saved;
    Application->SetHintShortCuts(appShortCuts);
  }
  TdxBarButton* AddButton(const char* Caption, const char* Hint, TShortCut Keys) {
    auto* b = new TdxBarButton(form.get());
    b->SetCaption(Caption);
    b->SetHint(Hint);
    b->SetShortCut(Keys);
    b->SetPaintStyle(psCaption);
    TdxBarItemLink* l = bar->ItemLinks()->Add();
    l->SetItem(b);
    // A gap between buttons: the mouse passes over no button on its way.
    if (bar->ItemLinks()->Count() > 1) l->SetBeginGroup(true);
    return b;
  }
  TPoint Centre(Integer Index) {
    TdxBarControl* w = bar->Control();
    TRect r = bar->ItemLinks()->Items(Index)->ItemRect;
    POINT p{(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
    ClientToScreen(w->Handle(), &p);
    return Point(p.x, p.y);
  }
  TPoint Gap(Integer Index) {  // the separator before the link
    TdxBarControl* w = bar->Control();
    TRect r = bar->ItemLinks()->Items(Index)->ItemRect;
    POINT p{r.Left - 3, (r.Top + r.Bottom) / 2};
    ClientToScreen(w->Handle(), &p);
    return Point(p.x, p.y);
  }
  static bool Shown() { return dxBarHintVisible(); }
  static std::string Text() { return dxBarHintWindow() ? dxBarHintWindow()->Caption() : std::string(); }
  static bool WaitShown(int Ms) { return testui::PumpUntil([] { return Shown(); }, Ms); }
  static bool WaitHidden(int Ms) { return testui::PumpUntil([] { return !Shown(); }, Ms); }
};

TEST(ItemHints, ShowAfterTheDelayBelowTheCursorAndHideAfterTheTimeout) {
  THintForm f;
  TPoint at = f.Centre(0);
  barinput::MoveTo(at);
  barinput::Settle(60);
  EXPECT_FALSE(THintForm::Shown()) << "nothing before the delay";
  ASSERT_TRUE(THintForm::WaitShown(1500));
  EXPECT_EQ(THintForm::Text(), "Open") << "the short part of the hint, no shortcut by default";
  RECT r;
  GetWindowRect(dxBarHintWindow()->Handle(), &r);
  EXPECT_EQ(r.left, at.X);
  EXPECT_EQ(r.top, at.Y + 20);
  EXPECT_TRUE(THintForm::WaitHidden(2000)) << "hidden after the timeout";
}

TEST(ItemHints, ShortcutIsAddedOnlyWhenAsked) {
  struct Case {
    bool managerFlag, appFlag;
    const char* text;
  } cases[] = {{false, false, "Open"}, {true, false, "Open (Ctrl+O)"}, {false, true, "Open (Ctrl+O)"}};
  for (const Case& c : cases) {
    THintForm f;
    f.manager->SetShowShortCutInHint(c.managerFlag);
    Application->SetHintShortCuts(c.appFlag);
    barinput::MoveTo(f.Centre(0));
    EXPECT_TRUE(THintForm::WaitShown(1500)) << c.text;
    EXPECT_EQ(THintForm::Text(), c.text);
  }
}

TEST(ItemHints, TheNextButtonShowsAtOnceWithinTheReshowPeriodOnly) {
  THintForm f;
  barinput::MoveTo(f.Centre(0));
  ASSERT_TRUE(THintForm::WaitShown(1500));
  barinput::MoveTo(f.Gap(1));  // off the button: the hint closes
  ASSERT_TRUE(THintForm::WaitHidden(300));
  barinput::MoveTo(f.Centre(1));
  barinput::Settle(40);  // well below the show delay
  EXPECT_TRUE(THintForm::Shown()) << "shown at once";
  EXPECT_EQ(THintForm::Text(), "Save As");

  barinput::MoveTo(f.Gap(1));
  ASSERT_TRUE(THintForm::WaitHidden(300));
  barinput::Settle(600);  // the re-show period ran out
  barinput::MoveTo(f.Centre(0));
  barinput::Settle(40);
  EXPECT_FALSE(THintForm::Shown()) << "the delay applies again";
  EXPECT_TRUE(THintForm::WaitShown(1500));
}

TEST(ItemHints, DisabledItemsFollowTheirOptionAndNoHintsWhileCustomizing) {
  for (bool forDisabled : {true, false}) {
    THintForm f;
    f.manager->SetShowHintForDisabledItems(forDisabled);
    barinput::MoveTo(f.Centre(2));
    EXPECT_EQ(THintForm::WaitShown(500), forDisabled);
    if (forDisabled) {
      EXPECT_EQ(THintForm::Text(), "Play Animation");
    }
  }
  THintForm f;
  f.manager->SetCustomizing(true);
  barinput::MoveTo(f.Centre(0));
  EXPECT_FALSE(THintForm::WaitShown(500));
  f.manager->SetCustomizing(false);
  f.manager->SetShowHint(false);
  barinput::MoveTo(f.Centre(1));
  EXPECT_FALSE(THintForm::WaitShown(500)) << "ShowHint off";
}

TEST(ItemHints, FreeingTheManagerTakesItsPendingHintAlong) {
  auto f = std::make_unique<THintForm>();
  barinput::MoveTo(f->Centre(0));
  barinput::Settle(30);
  f.reset();  // the show timer was pending
  EXPECT_FALSE(THintForm::WaitShown(400));
}

TEST(HintWindow, StaysInTheWorkAreaWrapsAndNeverTakesInput) {
  THintForm f;
  TRect wa = GetWorkAreaAt(POINT{100, 100});
  TdxBarHintWindow* w = dxBarHintWindow();
  if (!w) {
    barinput::MoveTo(f.Centre(0));
    ASSERT_TRUE(THintForm::WaitShown(1500));
    w = dxBarHintWindow();
  }
  LONG style = GetWindowLongW(w->Handle(), GWL_STYLE), ex = GetWindowLongW(w->Handle(), GWL_EXSTYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_TRUE(style & WS_DISABLED);
  EXPECT_TRUE(ex & WS_EX_TOPMOST);
  EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);

  RECT r;
  w->ActivateHint(Point(wa.Left + 100, wa.Bottom - 5), "Near the bottom", f.manager);
  GetWindowRect(w->Handle(), &r);
  EXPECT_EQ(r.top, wa.Bottom - 5 - 50) << "50 pixels above the point";
  w->ActivateHint(Point(wa.Right - 3, wa.Top + 100), "Near the right edge", f.manager);
  GetWindowRect(w->Handle(), &r);
  EXPECT_EQ(r.right, wa.Right);
  std::string longText;
  for (int i = 0; i < 400; ++i) longText += "word ";
  w->ActivateHint(Point(wa.Left, wa.Top + 10), longText, f.manager);
  GetWindowRect(w->Handle(), &r);
  EXPECT_LE(r.right - r.left, wa.Width() + 6);
  EXPECT_GT(r.bottom - r.top, 3 * 20) << "wrapped onto several lines";
  EXPECT_EQ(GetForegroundWindow(), f.form->Handle()) << "shown without activation";

  w->ActivateHint(Point(120, 120), "Open (Ctrl+O)", f.manager);
  barinput::Settle(60);
  GetWindowRect(w->Handle(), &r);
  barinput::Click(Point((r.left + r.right) / 2, (r.top + r.bottom) / 2));
  EXPECT_EQ(GetForegroundWindow(), f.form->Handle()) << "a click does not activate it";
  EXPECT_NE(GetFocus(), w->Handle());
  Integer ww = r.right - r.left, wh = r.bottom - r.top;
  TBitmap bmp;  // three times the size, so the picture can be looked at
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(ww * 3, wh * 3);
  TBitmap plain;
  plain.SetPixelFormat(pf24bit);
  plain.SetSize(ww, wh);
  w->PaintTo(plain.Canvas()->Handle(), 0, 0);
  StretchBlt(bmp.Canvas()->Handle(), 0, 0, ww * 3, wh * 3, plain.Canvas()->Handle(), 0, 0, ww, wh, SRCCOPY);
  SaveBitmapAsPng(&bmp, "bars_hint_window.png");
  EXPECT_EQ(ColorToRGB(bmp.Canvas()->Pixels(ww * 3 - 9, 9)), ColorToRGB(clInfoBk)) << "info background";
  int ink = 0;
  for (Integer y = 3; y < wh - 1; ++y)
    for (Integer x = 3; x < ww - 1; ++x)
      if (ColorToRGB(bmp.Canvas()->Pixels(x * 3, y * 3)) == ColorToRGB(clInfoText)) ++ink;
  EXPECT_GT(ink, 20) << "the text is drawn";
  w->HideHint();
}

}  // namespace
