// The spin edit on a shown form: value rules (range, decimals, blank and
// broken texts), stepping by keys, wheel and its buttons (auto-repeat on
// short timers), the key filter, paste, clamping when the focus leaves, and
// its look classic and themed.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/RzSpnEdt.h"
#include "controls/RzThemeSrv.h"
#include "platform/Clipbrd.h"
#include "platform/StdCtrls.h"
#include "tests/controls/shots.h"
#include "tests/controls/theme_look.h"
#include "tests/support/ui.h"

namespace {

using testshots::Px;
using testshots::Shot;

using testshots::Pump;

struct TSpinForm {
  TForm* form;
  TRzSpinEdit* spin;
  TEdit* other;
  TSpinForm() {
    RegisterRzSpinEditClasses();
    form = testui::NewForm(300, 120);
    testshots::ShowActive(form);
    spin = new TRzSpinEdit(form);
    spin->SetParent(form);
    spin->SetBounds(10, 10, 80, 21);
    other = new TEdit(form);
    other->SetParent(form);
    other->SetBounds(10, 60, 80, 21);
  }
  ~TSpinForm() { delete form; }
  void Key(Word K) {
    PostMessageW(spin->Handle(), WM_KEYDOWN, K, 1);
    PostMessageW(spin->Handle(), WM_KEYUP, K, static_cast<LPARAM>(0xC0000001u));
    Pump();
  }
  void Type(const std::wstring& Chars) {
    for (wchar_t c : Chars) PostMessageW(spin->Handle(), WM_CHAR, c, 1);
    Pump();
  }
  void Wheel(int Notches, bool Ctrl) {
    WPARAM keys = Ctrl ? MK_CONTROL : 0;
    PostMessageW(spin->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(keys, static_cast<WORD>(Notches * WHEEL_DELTA)),
                 MAKELPARAM(20, 20));
    Pump();
  }
};

// ---------------------------------------------------------------------------
TEST(ControlsSpinValue, WrittenValuesAreClampedAndFormatted) {
  struct Case {
    Extended Min, Max;
    bool CheckRange;
    Byte Decimals;
    Extended Value;
    const char* Text;
  };
  const Case cases[] = {
      {0, 100, false, 0, 150, "100"},  // the default range clamps without CheckRange
      {0, 100, false, 0, -3, "0"},
      {0, 0, false, 0, 150, "150"},  // an empty range clamps nothing...
      {0, 0, true, 0, 150, "0"},     // ...unless CheckRange
      {0, 100, false, 2, 1, "1.00"},
      {-5, 5, false, 1, -7.25, "-5.0"},
      {0, 10000, false, 2, 12.345, "12.35"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    TRzSpinEdit s(nullptr);
    s.SetIntegersOnly(c.Decimals == 0);
    s.SetMax(c.Max);
    s.SetMin(c.Min);
    s.SetCheckRange(c.CheckRange);
    s.SetDecimals(c.Decimals);
    s.SetValue(c.Value);
    EXPECT_EQ(s.Text(), c.Text);
  }
}

TEST(ControlsSpinValue, ReadingTakesTheTextAsShown) {
  TSpinForm f;
  TRzSpinEdit* s = f.spin;
  s->SetMax(10);
  s->SetMin(2);
  EXPECT_EQ(s->Text(), "2") << "the start value 0 moved into the range";
  // A typed number outside the range reads as typed while it is being edited.
  s->SetFocus();
  s->SetText("500");
  EXPECT_EQ(s->Value(), 500);
  // An empty text reads as Min and then shows it.
  s->SetText("");
  EXPECT_EQ(s->Value(), 2);
  EXPECT_EQ(s->Text(), "2");
  // ...or as BlankValue, staying empty, with AllowBlank.
  s->SetAllowBlank(true);
  s->SetBlankValue(7);
  s->SetText("");
  EXPECT_EQ(s->Value(), 7);
  EXPECT_EQ(s->Text(), "");
  f.other->SetFocus();
  Pump();
  EXPECT_EQ(s->Text(), "") << "a blank text may stay when it is allowed";
  // Not a number: outside editing the control shows the Min it reports.
  s->SetText("abc");
  EXPECT_EQ(s->Value(), 2);
  EXPECT_EQ(s->Text(), "2");

  struct Round {
    Extended Value;
    Integer Want;
  };
  s->SetMax(100);
  s->SetMin(0);
  s->SetIntegersOnly(false);
  s->SetDecimals(1);
  for (Round r : {Round{2.5, 2}, Round{3.5, 4}, Round{2.4, 2}, Round{7.6, 8}}) {
    s->SetValue(r.Value);
    EXPECT_EQ(s->RoundedValue(), r.Want) << r.Value;
  }
}

TEST(ControlsSpinValue, RangeWritersKeepMinBelowMax) {
  TRzSpinEdit s(nullptr);
  s.SetValue(50);
  s.SetMin(200);
  EXPECT_EQ(s.Max(), 200);
  EXPECT_EQ(s.Text(), "50") << "equal bounds clamp nothing";
  s.SetMax(300);
  EXPECT_EQ(s.Text(), "200");
  s.SetMax(-10);
  EXPECT_EQ(s.Min(), -10);
  s.SetMax(100);
  EXPECT_EQ(s.Text(), "100");
  s.SetIntegersOnly(false);
  s.SetDecimals(2);
  s.SetValue(12.75);
  EXPECT_EQ(s.Text(), "12.75");
  s.SetIntegersOnly(true);
  EXPECT_EQ(s.Decimals(), 0);
  EXPECT_EQ(s.Text(), "13");
}

// ---------------------------------------------------------------------------
TEST(ControlsSpinStep, KeysAndWheelStepWithinTheRange) {
  TSpinForm f;
  TRzSpinEdit* s = f.spin;
  s->SetMax(40);
  s->SetValue(20);
  s->SetIncrement(2);
  s->SetPageSize(15);
  std::vector<TSpinButtonType> reported;
  s->OnButtonClick = [&](TObject*, TSpinButtonType b) { reported.push_back(b); };
  s->SetFocus();
  Pump();
  struct Step {
    const char* What;
    std::function<void()> Do;
    const char* Text;
  };
  const Step steps[] = {
      {"Up", [&] { f.Key(VK_UP); }, "22"},
      {"Down", [&] { f.Key(VK_DOWN); }, "20"},
      {"Page Up", [&] { f.Key(VK_PRIOR); }, "35"},
      {"Page Up again, clamped", [&] { f.Key(VK_PRIOR); }, "40"},
      {"Page Down", [&] { f.Key(VK_NEXT); }, "25"},
      {"wheel up", [&] { f.Wheel(1, false); }, "27"},
      {"wheel down", [&] { f.Wheel(-1, false); }, "25"},
      {"Ctrl+wheel down", [&] { f.Wheel(-1, true); }, "10"},
      {"Ctrl+wheel down, clamped", [&] { f.Wheel(-1, true); }, "0"},
  };
  for (const Step& st : steps) {
    f.spin->SetFocus();
    st.Do();
    EXPECT_EQ(s->Text(), st.Text) << st.What;
  }
  EXPECT_EQ(reported, (std::vector<TSpinButtonType>{sbUp, sbDown, sbUp, sbUp, sbDown, sbUp, sbDown, sbDown, sbDown}));

  // A veto leaves the value and reports no step; a read-only box only beeps.
  reported.clear();
  s->OnChanging = [](TObject*, bool& Allow) { Allow = false; };
  f.Key(VK_UP);
  EXPECT_EQ(s->Text(), "0");
  s->OnChanging = nullptr;
  s->SetReadOnly(true);
  f.Key(VK_UP);
  f.Wheel(1, false);
  EXPECT_EQ(s->Text(), "0");
  EXPECT_TRUE(reported.empty());
}

TEST(ControlsSpinStep, SpinButtonsStepOnClickAndRepeatWhileHeld) {
  TSpinForm f;
  TRzSpinEdit* s = f.spin;
  s->SetValue(10);
  for (TSpinButtonType t : {sbUp, sbDown}) {
    s->GetSpinButton(t)->SetInitialDelay(120);
    s->GetSpinButton(t)->SetDelay(25);
  }
  f.other->SetFocus();
  Pump();
  TRzSpinButtons* buttons = s->SpinButtons();
  TRzControlButton* up = s->GetSpinButton(sbUp);
  TRzControlButton* down = s->GetSpinButton(sbDown);
  ASSERT_GT(up->Height(), 3);
  LPARAM upAt = MAKELPARAM(up->Left() + 4, up->Top() + 3), downAt = MAKELPARAM(down->Left() + 4, down->Top() + 3);
  HWND w = buttons->Handle();

  // A click on the up button focuses the edit and steps once, at the release.
  testshots::PointAt(buttons, up->Left() + 4, up->Top() + 3);
  PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, upAt);
  Pump();
  EXPECT_TRUE(s->Focused());
  EXPECT_EQ(s->Text(), "10");
  PostMessageW(w, WM_LBUTTONUP, 0, upAt);
  Pump();
  EXPECT_EQ(s->Text(), "11");

  // Held down: steps after the initial delay and then at the repeat rate.
  PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, downAt);
  ASSERT_TRUE(testui::PumpUntil([&] { return s->Value() <= 7; }, 3000));
  PostMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(200, 200));
  Pump();
  Extended stopped = s->Value();
  testui::PumpUntil([] { return false; }, 100);
  EXPECT_EQ(s->Value(), stopped) << "released elsewhere: no more steps";
}

// ---------------------------------------------------------------------------
TEST(ControlsSpinTyping, OnlyASignedNumberCanBeTyped) {
  struct Case {
    bool AllowKeyEdit, IntegersOnly;
    const wchar_t* Typed;
    const char* Text;
  };
  const Case cases[] = {
      {true, true, L"12.5", "125"},    // no separator while integers only
      {true, false, L"12.5", "12.5"},
      {true, false, L"1.2.3", "1.23"},  // one separator only
      {true, true, L"-42", "-42"},      // a sign at the start
      {true, true, L"4-2+", "42"},      // but nowhere else
      {true, true, L"7a b", "7"},
      {true, true, L"5\r", "5"},        // Enter is refused (beeps)
      {false, true, L"12", ""},         // no typing at all
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Text);
    TSpinForm f;
    f.spin->SetAllowKeyEdit(c.AllowKeyEdit);
    f.spin->SetIntegersOnly(c.IntegersOnly);
    f.spin->SetMin(-100);
    f.spin->SetFocus();
    f.spin->SetText("");
    f.Type(c.Typed);
    EXPECT_EQ(f.spin->Text(), c.Text);
  }
}

TEST(ControlsSpinTyping, PasteTakesOnlyNumbersAndLeavingClampsWhatWasTyped) {
  TSpinForm f;
  TRzSpinEdit* s = f.spin;
  s->SetAllowKeyEdit(true);
  s->SetFocus();
  s->SelectAll();
  Clipboard()->SetAsText("abc");
  PostMessageW(s->Handle(), WM_PASTE, 0, 0);
  Pump();
  EXPECT_EQ(s->Text(), "0") << "a paste that leaves no number is refused";
  s->SelectAll();
  Clipboard()->SetAsText("500");
  PostMessageW(s->Handle(), WM_PASTE, 0, 0);
  Pump();
  EXPECT_EQ(s->Text(), "500");
  EXPECT_EQ(s->Value(), 500) << "reads as shown while being edited";
  f.other->SetFocus();
  Pump();
  EXPECT_EQ(s->Text(), "100") << "clamped when the focus leaves";
  EXPECT_EQ(s->Value(), 100);

  // A sign alone is no number: leaving refuses it for Min.
  s->SetFocus();
  s->SelectAll();
  f.Type(L"-");
  EXPECT_EQ(s->Text(), "-");
  f.other->SetFocus();
  Pump();
  EXPECT_EQ(s->Text(), "0");

  // Without AllowKeyEdit neither paste nor Delete change the text.
  s->SetAllowKeyEdit(false);
  s->SetFocus();
  s->SelectAll();
  PostMessageW(s->Handle(), WM_PASTE, 0, 0);
  f.Key(VK_DELETE);
  EXPECT_EQ(s->Text(), "0");
}

TEST(ControlsSpinButtonsShape, DirectionOrientationAndGlyphsChooseWhatTheButtonsShow) {
  TSpinForm f;
  TRzSpinButtons* b = f.spin->SpinButtons();
  TRzControlButton* up = b->UpRightButton();
  TRzControlButton* down = b->DownLeftButton();
  EXPECT_EQ(up->Style(), cbsUp);
  EXPECT_EQ(down->Style(), cbsDown);
  // Stacked: the upper half and the rest less one pixel.
  EXPECT_EQ(up->BoundsRect(), Rect(0, 0, b->Width(), b->Height() / 2));
  EXPECT_EQ(down->Top(), b->Height() / 2);

  f.spin->SetDirection(sdLeftRight);
  EXPECT_EQ(up->Style(), cbsRight);
  EXPECT_EQ(down->Style(), cbsLeft);
  Integer w = b->Width();
  f.spin->SetOrientation(orHorizontal);
  EXPECT_EQ(b->Width(), 2 * w) << "side by side the pair is twice as wide";
  EXPECT_EQ(down->Left(), 0);
  EXPECT_EQ(up->Left(), b->Width() / 2);

  // A glyph of one's own replaces the arrow until it is taken away.
  TBitmap glyph;
  glyph.SetSize(16, 8);
  f.spin->SetButtonUpGlyph(&glyph);
  EXPECT_EQ(up->Style(), cbsNone);
  EXPECT_TRUE(b->CustomGlyphUpRight());
  f.spin->SetButtonUpGlyph(nullptr);
  EXPECT_EQ(up->Style(), cbsRight);
  EXPECT_FALSE(b->CustomGlyphUpRight());

  // Too low for its font, the edit grows to the font's line height.
  f.spin->SetHeight(6);
  EXPECT_EQ(f.spin->Height(), FontLineHeight(f.spin->Font()));
}

// ---------------------------------------------------------------------------
class ControlsSpinFace : public ThemeLookTest {};

TEST_P(ControlsSpinFace, FrameAndButtonsByState) {
  TSpinForm f;
  TRzSpinEdit* s = f.spin;
  s->SetBounds(10, 10, 80, 24);
  s->SetFramingPreference(fpCustomFraming);
  s->SetFrameColor(clRed);
  s->SetFrameHotColor(clBlue);
  s->SetFrameHotTrack(true);
  s->SetValue(42);
  f.other->SetFocus();
  Pump();
  auto idle = Shot(s);
  s->SetFocus();
  Pump();
  auto focused = Shot(s);
  f.other->SetFocus();
  s->SetEnabled(false);
  s->SetDisabledColor(clSilver);
  auto disabled = Shot(s);
  s->SetEnabled(true);
  s->SetFlatButtons(true);
  auto flat = Shot(s);
  testshots::TSheet sheet;
  sheet.Add("idle", idle.get());
  sheet.Add("focused", focused.get());
  sheet.Add("disabled", disabled.get());
  sheet.Add("flat buttons", flat.get());
  sheet.Save(std::string("controls_spinedit_") + LookName(GetParam()) + ".png");

  // The frame: one pixel at rest, two in the hot colour while focused.
  EXPECT_EQ(Px(idle.get(), 0, 0), clRed);
  EXPECT_EQ(Px(idle.get(), 1, 1), ColorToRGB(clWindow));
  EXPECT_EQ(Px(idle.get(), 79, 23), clRed);
  EXPECT_EQ(Px(focused.get(), 0, 0), clBlue);
  EXPECT_EQ(Px(focused.get(), 1, 1), clBlue);
  EXPECT_EQ(Px(focused.get(), 78, 22), clBlue);
  EXPECT_EQ(Px(disabled.get(), 1, 1), clSilver) << "the disabled colour";
  // Flat buttons come forward while the edit is hot: raised with visual
  // styles, in FlatButtonColor without.
  s->SetFlatButtonColor(clLime);
  s->SetFocus();
  Pump();
  if (Themed()) {
    EXPECT_FALSE(s->SpinButtons()->Flat());
  } else {
    EXPECT_EQ(s->SpinButtons()->Color(), clLime);
  }
  f.other->SetFocus();
  Pump();
  EXPECT_TRUE(s->SpinButtons()->Flat());
  EXPECT_EQ(s->SpinButtons()->Color(), s->Color());
  // The buttons sit inside the right edge, the text stays clear of them.
  TRzSpinButtons* b = s->SpinButtons();
  EXPECT_EQ(b->Width(), 17);
  // (With visual styles they reach one pixel into the border.)
  EXPECT_LE(b->Left() + b->Width(), s->ClientWidth() + (Themed() ? 1 : 0));
  EXPECT_GT(b->Left(), s->ClientWidth() - 22);
}

INSTANTIATE_LOOKS(ControlsSpinFace);

}  // namespace
