// Check boxes and radio buttons: sibling unchecking and checking by click,
// keyboard focus and keys, the check box's cycle, glyph sources (custom
// strip, hot-track resources, classic frame control, visual style) in
// pixels per look, the frame controller, actions and form resource names.
#include <gtest/gtest.h>

#include "controls/RzPanel.h"
#include "controls/RzRadChk.h"
#include "platform/ActnList.h"
#include "platform/FormReader.h"
#include "platform/Forms.h"
#include "tests/controls/rz_pixels.h"
#include "tests/controls/shots.h"
#include "tests/controls/theme_look.h"
#include "tests/support/ui.h"

using rzpix::NewBitmap;
using rzpix::PxRgb;
using rzpix::Rgb;
using rzpix::Snapshot;

namespace {

void ClickInside(TWinControl* C, Integer X, Integer Y) {
  testshots::PointAt(C, X, Y);
  ::PostMessageW(C->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(X, Y));
  ::PostMessageW(C->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(X, Y));
  testui::PumpUntil([] { return false; }, 30);
}

struct RzRadChkTest : ::testing::Test {
  std::unique_ptr<TForm> form{testui::NewForm(400, 300)};
  void SetUp() override {
    testlook::ApplyLook(TLook::Classic);
    form->SetColor(RGB(236, 233, 216));
  }
  template <class T>
  T* Add(TWinControl* Parent, const std::string& Caption, Integer L, Integer Top) {
    auto* c = new T(form.get());
    c->SetParent(Parent);
    c->SetBounds(L, Top, 120, 17);
    c->SetCaption(Caption);
    c->Font()->SetName("Tahoma");
    c->Font()->SetHeight(-11);
    return c;
  }
};

}  // namespace

TEST_F(RzRadChkTest, CheckingARadioUnchecksItsSiblingsOnly) {
  auto* a = Add<TRzRadioButton>(form.get(), "A", 10, 10);
  auto* b = Add<TRzRadioButton>(form.get(), "B", 10, 30);
  auto* c = Add<TRzRadioButton>(form.get(), "C", 10, 50);
  auto* panel = new TRzPanel(form.get());
  panel->SetParent(form.get());
  panel->SetBounds(200, 10, 150, 100);
  auto* other = Add<TRzRadioButton>(panel, "Other", 5, 5);
  std::vector<std::string> clicks;
  for (auto* r : {a, b, c, other}) r->OnClick = [&clicks, r](TObject*) { clicks.push_back(r->Caption()); };
  other->SetChecked(true);
  a->SetChecked(true);
  EXPECT_EQ(clicks, (std::vector<std::string>{"Other", "A"}));
  b->SetChecked(true);
  EXPECT_FALSE(a->Checked());
  EXPECT_TRUE(b->Checked());
  EXPECT_FALSE(c->Checked());
  EXPECT_TRUE(other->Checked());  // another parent: another group
  EXPECT_EQ(clicks.back(), "B");
  EXPECT_EQ(clicks.size(), 3u);  // unchecking fires nothing
  b->SetChecked(true);
  EXPECT_EQ(clicks.size(), 3u);  // already checked: nothing
  EXPECT_TRUE(b->TabStop());
  EXPECT_FALSE(a->TabStop());
}

TEST_F(RzRadChkTest, MouseChecksOnReleaseKeyboardFocusChecksAtOnce) {
  form->Show();
  auto* a = Add<TRzRadioButton>(form.get(), "A", 10, 10);
  auto* b = Add<TRzRadioButton>(form.get(), "B", 10, 30);
  auto* edit = Add<TRzCheckBox>(form.get(), "Box", 10, 60);
  a->SetChecked(true);
  edit->SetFocus();
  ASSERT_TRUE(testui::PumpUntil([&] { return edit->Focused(); }));
  // Press on B: focused by the mouse, not yet checked; the release checks it.
  testshots::PointAt(b, 5, 5);
  ::PostMessageW(b->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ASSERT_TRUE(testui::PumpUntil([&] { return b->Focused(); }));
  EXPECT_FALSE(b->Checked());
  EXPECT_TRUE(b->PressedLook());
  ::PostMessageW(b->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  ASSERT_TRUE(testui::PumpUntil([&] { return b->Checked(); }));
  EXPECT_FALSE(a->Checked());
  // A press dragged off before release checks nothing.
  testshots::PointAt(a, 5, 5);
  ::PostMessageW(a->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ::PostMessageW(a->Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(300, 5));
  ::PostMessageW(a->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(300, 5));
  testui::PumpUntil([] { return false; }, 50);
  EXPECT_FALSE(a->Checked());
  // The keyboard moves the focus: the button it lands on becomes checked.
  edit->SetFocus();
  testui::PumpUntil([&] { return edit->Focused(); });
  a->SetFocus();
  ASSERT_TRUE(testui::PumpUntil([&] { return a->Focused(); }));
  EXPECT_TRUE(a->Checked());
  EXPECT_FALSE(b->Checked());
  // Down arrow clicks; the accelerator focuses (and so checks).
  Integer clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  EXPECT_EQ(b->Perform(CM_DIALOGKEY, VK_DOWN, 0), 1);
  EXPECT_EQ(clicks, 1);
  b->SetCaption("&Bravo");
  EXPECT_EQ(b->Perform(CM_DIALOGCHAR, 'b', 0), 1);
  ASSERT_TRUE(testui::PumpUntil([&] { return b->Focused(); }));
  EXPECT_TRUE(b->Checked());
  EXPECT_EQ(b->Perform(CM_DIALOGCHAR, 'x', 0), 0);
}

TEST_F(RzRadChkTest, CheckBoxCyclesAndSpaceTogglesOnRelease) {
  form->Show();
  auto* box = Add<TRzCheckBox>(form.get(), "&Transparent", 10, 10);
  Integer clicks = 0;
  box->OnClick = [&](TObject*) { ++clicks; };
  struct Case {
    bool Grayed;
    std::vector<TCheckBoxState> States;
  } cases[] = {{false, {cbChecked, cbUnchecked, cbChecked}}, {true, {cbGrayed, cbChecked, cbUnchecked, cbGrayed}}};
  for (const Case& c : cases) {
    box->SetState(cbUnchecked);
    box->SetAllowGrayed(c.Grayed);
    for (TCheckBoxState want : c.States) {
      ClickInside(box, 5, 5);
      EXPECT_EQ(box->State(), want) << "grayed " << c.Grayed;
    }
  }
  box->SetState(cbGrayed);
  clicks = 0;
  box->SetChecked(false);
  EXPECT_EQ(box->State(), cbUnchecked);
  EXPECT_EQ(clicks, 1);
  box->SetChecked(false);
  EXPECT_EQ(clicks, 1);
  box->SetChecked(true);
  EXPECT_EQ(box->State(), cbChecked);

  // Space: pressed look on key-down, toggle on key-up; Escape between cancels.
  box->SetFocus();
  ASSERT_TRUE(testui::PumpUntil([&] { return box->Focused(); }));
  box->SetAllowGrayed(false);
  ::PostMessageW(box->Handle(), WM_KEYDOWN, VK_SPACE, 1);
  testui::PumpUntil([&] { return box->PressedLook(); });
  EXPECT_TRUE(box->PressedLook());
  EXPECT_EQ(box->State(), cbChecked);
  ::PostMessageW(box->Handle(), WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0000001u));
  ASSERT_TRUE(testui::PumpUntil([&] { return box->State() == cbUnchecked; }));
  EXPECT_FALSE(box->PressedLook());
  ::PostMessageW(box->Handle(), WM_KEYDOWN, VK_SPACE, 1);
  ::PostMessageW(box->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
  ::PostMessageW(box->Handle(), WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0000001u));
  testui::PumpUntil([] { return false; }, 50);
  EXPECT_EQ(box->State(), cbUnchecked);
  // The accelerator cycles the box.
  EXPECT_EQ(box->Perform(CM_DIALOGCHAR, 't', 0), 1);
  EXPECT_EQ(box->State(), cbChecked);
}

TEST_F(RzRadChkTest, EnterMovesOnWithTabOnEnter) {
  form->Show();
  auto* a = Add<TRzCheckBox>(form.get(), "A", 10, 10);
  auto* b = Add<TRzCheckBox>(form.get(), "B", 10, 30);
  a->SetTabOnEnter(true);
  a->SetFocus();
  ASSERT_TRUE(testui::PumpUntil([&] { return a->Focused(); }));
  testui::PressKey(a->Handle(), VK_RETURN);
  ::PostMessageW(a->Handle(), WM_CHAR, '\r', 1);
  EXPECT_TRUE(testui::PumpUntil([&] { return b->Focused(); }));
  EXPECT_EQ(a->State(), cbUnchecked);
}

TEST_F(RzRadChkTest, FrameControllerCustomGlyphsAndActions) {
  TRzFrameController fc(form.get());
  fc.SetFrameColor(RGB(1, 2, 3));
  fc.SetDisabledColor(RGB(4, 5, 6));
  auto* box = Add<TRzCheckBox>(form.get(), "A", 10, 10);
  box->SetFrameController(&fc);
  EXPECT_EQ(box->FrameColor(), clBtnShadow);  // the controller's frame is not visible
  fc.SetFrameVisible(true);
  EXPECT_EQ(box->FrameColor(), RGB(1, 2, 3));
  EXPECT_EQ(box->DisabledColor(), RGB(4, 5, 6));

  // A strip of 6 cells of 13 x 13 in distinct colours.
  auto* radio = Add<TRzRadioButton>(form.get(), "", 10, 40);
  radio->SetColor(clWhite);
  auto strip = NewBitmap(78, 13, clBlack);
  const TColor cells[6] = {RGB(200, 0, 0), RGB(0, 200, 0), RGB(0, 0, 200), RGB(200, 200, 0), RGB(0, 200, 200),
                           RGB(200, 0, 200)};
  for (Integer i = 0; i < 6; ++i) {
    strip->Canvas()->Brush()->SetColor(cells[i]);
    strip->Canvas()->FillRect(Rect(13 * i, 0, 13 * i + 13, 13));
  }
  radio->SetCustomGlyphs(strip.get());
  EXPECT_TRUE(radio->UseCustomGlyphs());
  EXPECT_EQ(radio->GlyphWidth(), 13);
  EXPECT_EQ(radio->GlyphHeight(), 13);
  struct Case {
    bool Checked, Enabled;
    Integer Cell;
  } cases[] = {{false, true, 0}, {true, true, 1}, {false, false, 4}, {true, false, 5}};
  for (const Case& c : cases) {
    radio->SetChecked(c.Checked);
    radio->SetEnabled(c.Enabled);
    auto b = Snapshot(radio);
    TRect g = radio->GlyphRect();
    EXPECT_EQ(g, Rect(0, 2, 13, 15));
    EXPECT_EQ(PxRgb(b.get(), g.Left + 6, g.Top + 6), cells[c.Cell]) << c.Checked << c.Enabled;
  }
  radio->SetAlignment(taLeftJustify);
  EXPECT_EQ(radio->GlyphRect().Left, 120 - 13);

  // Actions: Checked follows the action.
  TActionList list(form.get());
  TAction action(form.get());
  action.SetActionList(&list);
  action.SetChecked(true);
  box->SetAction(&action);
  EXPECT_TRUE(box->Checked());
  action.SetChecked(false);
  EXPECT_FALSE(box->Checked());
}

TEST_F(RzRadChkTest, HotTrackGlyphMapsTheResourceColours) {
  form->Show();
  const TColor frame = 0x80511C, high = 0x21A121, hot = 0x3CC7FF;
  auto* radio = Add<TRzRadioButton>(form.get(), "Loop forever", 10, 10);
  radio->SetHotTrack(true);
  radio->SetHotTrackColorType(htctActual);
  radio->SetHotTrackColor(hot);
  radio->SetHighlightColor(high);
  radio->SetFrameColor(frame);
  radio->SetChecked(true);
  auto b = Snapshot(radio);
  TRect g = radio->GlyphRect();
  TColor face = Rgb(radio->Color());
  EXPECT_EQ(PxRgb(b.get(), g.Left + 0, g.Top + 0), face);                 // olive corner: the face
  EXPECT_EQ(PxRgb(b.get(), g.Left + 6, g.Top + 0), frame);                // the outline
  EXPECT_EQ(PxRgb(b.get(), g.Left + 6, g.Top + 6), high);                 // the dot
  EXPECT_EQ(PxRgb(b.get(), g.Left + 4, g.Top + 0), Rgb(MixColors(frame, face, 128)));  // soft edge
  EXPECT_EQ(PxRgb(b.get(), g.Left + 5, g.Top + 3), Rgb(clWindow));        // red accent at rest: the window colour
  ASSERT_TRUE(ScreenHasFullColor());
  // The mouse over the glyph: the accents take the hot-track shades.
  // The pointer comes over the button, as the window sees it.
  ::PostMessageW(radio->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  ASSERT_TRUE(testui::PumpUntil([&] { return radio->MouseOver(); }));
  auto over = Snapshot(radio);
  EXPECT_EQ(PxRgb(over.get(), g.Left + 5, g.Top + 3), Rgb(ColorDarkenedBy(hot, 30)));
  EXPECT_EQ(PxRgb(over.get(), g.Left + 9, g.Top + 5), Rgb(ColorLightenedBy(hot, 30)));
  ::PostMessageW(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(300, 250));
  ASSERT_TRUE(testui::PumpUntil([&] { return !radio->MouseOver(); }));
  auto left = Snapshot(radio);
  EXPECT_EQ(PxRgb(left.get(), g.Left + 5, g.Top + 3), Rgb(clWindow));
  radio->SetEnabled(false);
  auto off = Snapshot(radio);
  EXPECT_EQ(PxRgb(off.get(), g.Left + 6, g.Top + 6), Rgb(clBtnShadow));
  EXPECT_EQ(PxRgb(off.get(), g.Left + 5, g.Top + 3), Rgb(radio->DisabledColor()));

  auto* box = Add<TRzCheckBox>(form.get(), "Frame transparency", 10, 40);
  box->SetHotTrack(true);
  box->SetFrameColor(frame);
  box->SetHighlightColor(high);
  box->SetState(cbChecked);
  auto cb = Snapshot(box);
  TRect bg = box->GlyphRect();
  EXPECT_EQ(PxRgb(cb.get(), bg.Left, bg.Top + 6), frame);
  EXPECT_EQ(PxRgb(cb.get(), bg.Left + 5, bg.Top + 8), high);
  EXPECT_EQ(PxRgb(cb.get(), bg.Left + 9, bg.Top + 9), Rgb(clWindow));
}

TEST_F(RzRadChkTest, TransparentAndFocusedLook) {
  form->Show();
  auto* back = new TRzPanel(form.get());
  back->SetParent(form.get());
  back->SetBounds(0, 0, 300, 100);
  back->SetBorderOuter(fsNone);
  back->SetColor(RGB(0, 90, 0));
  auto* box = Add<TRzRadioButton>(back, "Seen through", 10, 10);
  box->SetHotTrack(true);
  box->SetTransparent(true);
  auto b = Snapshot(box);
  EXPECT_EQ(PxRgb(b.get(), 0, 2), RGB(0, 90, 0));  // olive corner of the glyph
  EXPECT_EQ(PxRgb(b.get(), 100, 1), RGB(0, 90, 0));  // the background beside the caption

  // Focused with a caption: a dotted frame around the caption's text only.
  box->SetTransparent(false);
  box->SetColor(clWhite);
  box->SetFocus();
  ASSERT_TRUE(testui::PumpUntil([&] { return box->Focused(); }));
  auto f = Snapshot(box);
  Integer dots = 0;
  for (Integer x = 0; x < 120; ++x) dots += PxRgb(f.get(), x, 0) == 0;
  EXPECT_GT(dots, 10);
  EXPECT_EQ(PxRgb(f.get(), 118, 0), 0xFFFFFF);  // the frame ends after the text
}

TEST_F(RzRadChkTest, FormResourceReadsFlatWritesHotTrack) {
  const std::string text =
      "object Form1: TForm\n"
      "  object optLoopForever: TRzRadioButton\n"
      "    Caption = 'Loop forever'\n"
      "    Flat = True\n"
      "    HotTrackColorType = htctActual\n"
      "    HotTrackColor = 3983359\n"
      "    HighlightColor = 2187553\n"
      "    Height = 17\n"
      "    Checked = True\n"
      "    TabStop = True\n"
      "  end\n"
      "  object chkFrameTrans: TRzCheckBox\n"
      "    Caption = 'Transparent'\n"
      "    HotTrack = True\n"
      "    FrameColor = 8409372\n"
      "    State = cbUnchecked\n"
      "  end\n"
      "end\n";
  ReadComponentFromText(text, form.get());
  auto* opt = dynamic_cast<TRzRadioButton*>(form->FindComponent("optLoopForever"));
  auto* chk = dynamic_cast<TRzCheckBox*>(form->FindComponent("chkFrameTrans"));
  ASSERT_TRUE(opt && chk);
  EXPECT_TRUE(opt->HotTrack());
  EXPECT_TRUE(opt->Checked());
  EXPECT_EQ(opt->HotTrackColor(), 0x3CC7FF);
  EXPECT_EQ(chk->FrameColor(), 0x80511C);
  std::string out = WriteComponentToText(form.get());
  EXPECT_EQ(out.find("Flat"), std::string::npos) << out;
  EXPECT_NE(out.find("HotTrack = True"), std::string::npos) << out;
  EXPECT_NE(out.find("Checked = True"), std::string::npos) << out;
  EXPECT_NE(out.find("State = cbUnchecked"), std::string::npos) << out;
}

// ---------------------------------------------------------------------------
class RzRadChkLook : public ThemeLookTest {};

TEST_P(RzRadChkLook, GlyphsPerStateSheet) {
  std::unique_ptr<TForm> form(testui::NewForm(400, 300));
  form->SetColor(clBtnFace);
  form->Show();
  auto* radio = new TRzRadioButton(form.get());
  radio->SetParent(form.get());
  radio->SetBounds(10, 10, 110, 17);
  radio->SetCaption("Radio");
  auto* box = new TRzCheckBox(form.get());
  box->SetParent(form.get());
  box->SetBounds(10, 40, 110, 17);
  box->SetCaption("Check");
  box->SetAllowGrayed(true);
  rzpix::TSheet sheet(110, 17, 4, 24);
  Integer i = 0;
  std::vector<TColor> middles;
  for (bool hot : {false, true}) {
    radio->SetHotTrack(hot);
    box->SetHotTrack(hot);
    for (bool enabled : {true, false}) {
      radio->SetEnabled(enabled);
      box->SetEnabled(enabled);
      for (bool checked : {false, true}) {
        radio->SetChecked(checked);
        auto pic = Snapshot(radio);
        middles.push_back(PxRgb(pic.get(), 6, 8));
        sheet.Put(i++, std::string(hot ? "hot " : "") + (enabled ? "" : "off ") + (checked ? "on" : "off"),
                  pic.get());
      }
      for (TCheckBoxState s : {cbUnchecked, cbChecked, cbGrayed}) {
        box->SetState(s);
        auto pic = Snapshot(box);
        sheet.Put(i++, std::string(hot ? "hot " : "") + (enabled ? "" : "off ") + std::to_string(s), pic.get());
      }
    }
  }
  EXPECT_TRUE(sheet.Save(std::string("rzradchk_") + LookName(GetParam()) + ".png"));
  // The checked glyph's middle differs from the unchecked one's.
  EXPECT_NE(middles[0], middles[1]);
  // With visual styles the theme draws the glyph whatever HotTrack says.
  if (Themed()) EXPECT_EQ(middles[1], middles[5]);
  else EXPECT_NE(middles[1], middles[5]);
}

INSTANTIATE_LOOKS(RzRadChkLook);
