// The framed edit on a shown form: colours for the normal, focused and
// disabled states, the frame in the non-client area with hot tracking by
// mouse and focus (pixels, classic and themed), Enter-as-Tab, alignment and
// the validation error hook.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "controls/RzEdit.h"
#include "controls/RzThemeSrv.h"
#include "platform/StdCtrls.h"
#include "tests/controls/shots.h"
#include "tests/controls/theme_look.h"
#include "tests/support/ui.h"

namespace {

using testshots::Px;
using testshots::Shot;

using testshots::Pump;

struct TEditForm {
  TForm* form;
  TRzCustomEdit* edit;
  TEdit* other;
  TEditForm() {
    RegisterRzEditClasses();
    form = testui::NewForm(300, 120);
    testshots::ShowActive(form);
    edit = new TRzCustomEdit(form);
    edit->SetParent(form);
    edit->SetBounds(10, 10, 80, 22);
    other = new TEdit(form);
    other->SetParent(form);
    other->SetBounds(10, 60, 80, 22);
  }
  ~TEditForm() { delete form; }
  void MouseOverEdit() {
    PostMessageW(edit->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    Pump();
  }
  void MouseAway() {
    PostMessageW(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(250, 100));
    Pump();
  }
};

// ---------------------------------------------------------------------------
TEST(ControlsEditColors, EachStateShowsItsColour) {
  TEditForm f;
  TRzCustomEdit* e = f.edit;
  struct Step {
    const char* What;
    std::function<void()> Do;
    TColor Shown, Focus;
  };
  const Step steps[] = {
      {"start", [] {}, clWindow, clWindow},
      {"a colour set while the two are equal moves both", [&] { e->SetColor(clAqua); }, clAqua, clAqua},
      {"focus colour", [&] { e->SetFocusColor(clYellow); }, clAqua, clYellow},
      {"focused", [&] { e->SetFocus(); }, clYellow, clYellow},
      {"a new colour shows at once...", [&] { e->SetColor(clLime); }, clLime, clYellow},
      {"...until the next state change", [&] { f.MouseOverEdit(); }, clYellow, clYellow},
      {"leaving shows the new normal colour", [&] { f.other->SetFocus(); }, clLime, clYellow},
      {"disabled", [&] {
         e->SetDisabledColor(clSilver);
         e->SetEnabled(false);
       },
       clSilver, clYellow},
      {"enabled again", [&] { e->SetEnabled(true); }, clLime, clYellow},
  };
  for (const Step& s : steps) {
    s.Do();
    Pump();
    EXPECT_EQ(e->Color(), s.Shown) << s.What;
    EXPECT_EQ(e->FocusColor(), s.Focus) << s.What;
  }
}

// ---------------------------------------------------------------------------
class ControlsEditFrame : public ThemeLookTest {};

TEST_P(ControlsEditFrame, HotFrameWhileFocusedOrUnderTheMouse) {
  TEditForm f;
  TRzCustomEdit* e = f.edit;
  e->SetText("text");
  e->SetFrameColor(clRed);
  e->SetFrameHotColor(clBlue);
  e->SetFrameHotTrack(true);  // turns the frame on, flat bold while hot
  ASSERT_TRUE(e->FrameVisible());
  auto styled = Shot(e);
  // With visual styles the styled border is preferred to the custom frame.
  if (Themed()) {
    EXPECT_NE(Px(styled.get(), 0, 0), clRed);
  }
  e->SetFramingPreference(fpCustomFraming);
  auto idle = Shot(e);
  f.MouseOverEdit();
  EXPECT_TRUE(e->OverControl());
  auto over = Shot(e);
  f.MouseAway();
  auto away = Shot(e);
  e->SetFocus();
  Pump();
  auto focused = Shot(e);
  f.other->SetFocus();
  Pump();
  e->SetFrameHotTrack(false);
  e->SetFrameSides(TSides{sdLeft, sdTop});
  auto sides = Shot(e);
  e->SetFrameSides(sdAllSides);
  e->SetFrameStyle(fsLowered);
  auto lowered = Shot(e);
  e->SetColor(clYellow);
  auto tinted = Shot(e);

  testshots::TSheet sheet;
  for (auto& [label, pic] : std::vector<std::pair<const char*, TBitmap*>>{
           {"styled pref.", styled.get()}, {"idle", idle.get()}, {"mouse over", over.get()},
           {"mouse left", away.get()}, {"focused", focused.get()}, {"left+top", sides.get()},
           {"lowered", lowered.get()}, {"tinted", tinted.get()}})
    sheet.Add(label, pic);
  sheet.Save(std::string("controls_edit_") + LookName(GetParam()) + ".png");

  const TColor window = ColorToRGB(clWindow);
  EXPECT_EQ(Px(idle.get(), 0, 0), clRed);
  EXPECT_EQ(Px(idle.get(), 79, 21), clRed);
  EXPECT_EQ(Px(idle.get(), 1, 1), window) << "the rest of the border takes the control's colour";
  for (TBitmap* hot : {over.get(), focused.get()}) {
    EXPECT_EQ(Px(hot, 0, 0), clBlue);
    EXPECT_EQ(Px(hot, 1, 1), clBlue);
    EXPECT_EQ(Px(hot, 78, 20), clBlue);
    EXPECT_EQ(Px(hot, 2, 2), window);
  }
  EXPECT_EQ(Px(away.get(), 1, 1), window);
  EXPECT_EQ(Px(sides.get(), 0, 10), clRed);
  EXPECT_EQ(Px(sides.get(), 40, 0), clRed);
  EXPECT_EQ(Px(sides.get(), 79, 10), window) << "no right side";
  EXPECT_EQ(Px(sides.get(), 40, 21), window) << "no bottom side";
  EXPECT_EQ(Px(lowered.get(), 0, 0), ColorToRGB(clBtnShadow));
  EXPECT_EQ(Px(lowered.get(), 79, 21), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(Px(tinted.get(), 0, 0), ColorDarkenedBy(clYellow, 50)) << "shades of a colour that is not clWindow";
}

INSTANTIATE_LOOKS(ControlsEditFrame);

// ---------------------------------------------------------------------------
TEST(ControlsEditKeys, EnterMovesOnAndTextAlignsRight) {
  TEditForm f;
  f.edit->SetTabOnEnter(true);
  f.edit->SetFocus();
  Pump();
  PostMessageW(f.edit->Handle(), WM_CHAR, VK_RETURN, 1);
  ASSERT_TRUE(testui::PumpUntil([&] { return f.other->Focused(); }, 1000));
  EXPECT_EQ(f.edit->Text(), "");

  EXPECT_FALSE(GetWindowLongW(f.edit->Handle(), GWL_STYLE) & ES_RIGHT);
  f.edit->SetAlignment(taRightJustify);
  EXPECT_TRUE(GetWindowLongW(f.edit->Handle(), GWL_STYLE) & ES_RIGHT);
  EXPECT_EQ(f.edit->GetControlsAlignment(), taRightJustify);
}

TEST(ControlsEditKeys, ValidateErrorHookGivesItsMessageOrLeavesThePlatformOne) {
  struct Case {
    const char* Given;
    const char* Want;
  };
  for (Case c : {Case{"Three digits, please", "Three digits, please"},
                 Case{"", "Invalid input value.  Use escape key to abandon changes"}}) {
    TRzCustomEdit e(nullptr);
    e.SetEditMask("000");
    e.SetText("1");
    e.SetModified(true);
    std::string given = c.Given;
    e.OnValidateError = [&](TObject*, std::string& Message) { Message = given; };
    try {
      e.ValidateEdit();
      ADD_FAILURE() << "no error";
    } catch (const EDBEditError& err) {
      EXPECT_STREQ(err.what(), c.Want);
    }
  }
}

TEST(ControlsEditKeys, EmbeddedDropButtonTakesClicksAndAltDown) {
  TEditForm f;
  TRzCustomEdit* e = f.edit;
  RECT before;
  GetClientRect(e->Handle(), &before);
  e->SetDropButtonVisible(true);
  RECT after;
  GetClientRect(e->Handle(), &after);
  Integer strip = GetSystemMetrics(SM_CXVSCROLL) - (SharedThemeServices()->VisualStylesOn() ? 1 : 0);
  EXPECT_EQ(after.right, before.right - strip) << "the button takes a strip of the client area";
  std::vector<std::string> log;
  e->OnDropDown = [&](TObject*) { log.push_back("drop down"); };
  e->OnCloseUp = [&](TObject*) { log.push_back("close up"); };
  // A press on the strip (outside the client area) drops down and focuses.
  POINT p{e->Width() - 4, e->Height() / 2};
  ClientToScreen(f.form->Handle(), &p);
  p.x += e->Left();
  p.y += e->Top();
  LRESULT hit = SendMessageW(e->Handle(), WM_NCHITTEST, 0, MAKELPARAM(p.x, p.y));
  EXPECT_EQ(hit, HTCLIENT) << "the button answers as client area";
  PostMessageW(e->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(e->Width() - 4, 5));
  PostMessageW(e->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(e->Width() - 4, 5));
  Pump();
  EXPECT_TRUE(e->Focused());
  EXPECT_EQ(log, (std::vector<std::string>{"drop down", "close up"}));
  EXPECT_EQ(e->ButtonState(), bsUp);
  // Alt+Down drops down from the keyboard.
  log.clear();
  std::vector<INPUT> in;
  for (auto [vk, up] : std::vector<std::pair<WORD, bool>>{{VK_MENU, false}, {VK_DOWN, false}, {VK_DOWN, true},
                                                           {VK_MENU, true}}) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = vk;
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    in.push_back(i);
  }
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
  testui::PumpUntil([&] { return log.size() >= 2; }, 1000);
  testshots::SettleInput();
  EXPECT_EQ(log, (std::vector<std::string>{"drop down", "close up"}));
}

}  // namespace
