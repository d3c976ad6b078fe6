// The combo box on a shown form: list search and auto-complete as tables of
// typed keys and the text and selection they leave, wheel stepping, the
// events of leaving and typing past MaxLength, and the painted frame and flat
// button per look.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "controls/RzCmboBx.h"
#include "controls/RzThemeSrv.h"
#include "platform/Clipbrd.h"
#include "platform/StdCtrls.h"
#include "tests/controls/shots.h"
#include "tests/controls/theme_look.h"
#include "tests/support/ui.h"

namespace {

using testshots::Px;
using testshots::Shot;
using Log = std::vector<std::string>;

using testshots::Pump;

struct TComboForm {
  TForm* form;
  TRzComboBox* combo;
  TEdit* other;
  Log events;
  explicit TComboForm(TComboBoxStyle Style, std::vector<std::string> Items = {"Background", "Black", "Previous"}) {
    RegisterRzComboBoxClasses();
    form = testui::NewForm(300, 160);
    testshots::ShowActive(form);
    combo = new TRzComboBox(form);
    combo->SetParent(form);
    combo->SetBounds(10, 10, 120, 21);
    combo->SetStyle(Style);
    for (const std::string& s : Items) combo->Items()->Add(s);
    other = new TEdit(form);
    other->SetParent(form);
    other->SetBounds(10, 100, 80, 21);
    combo->OnClick = [this](TObject*) { events.push_back("click"); };
    combo->OnChange = [this](TObject*) { events.push_back("change"); };
    combo->OnMatch = [this](TObject*) { events.push_back("match"); };
    combo->OnNotInList = [this](TObject*) { events.push_back("not in list"); };
    combo->SetFocus();
    Pump();
  }
  ~TComboForm() { delete form; }
  HWND Typing() { return combo->Style() == csDropDownList ? combo->Handle() : combo->EditHandle(); }
  void Type(const std::wstring& Keys) {
    for (wchar_t c : Keys) {
      PostMessageW(Typing(), WM_CHAR, c, 1);
      Pump();
    }
  }
  void Key(Word K) {
    PostMessageW(Typing(), WM_KEYDOWN, K, 1);
    PostMessageW(Typing(), WM_KEYUP, K, static_cast<LPARAM>(0xC0000001u));
    Pump();
  }
  void Wheel(int Notches) {
    PostMessageW(combo->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(Notches * WHEEL_DELTA)),
                 MAKELPARAM(20, 20));
    Pump();
  }
  std::string Selected() {
    std::wstring w = Utf8ToWide(combo->Text());
    Integer start = combo->SelStart(), len = combo->SelLength();
    return WideToUtf8(w.substr(static_cast<size_t>(start), static_cast<size_t>(len)));
  }
};

constexpr wchar_t Back = L'\b';
constexpr wchar_t Esc = 27;

// ---------------------------------------------------------------------------
TEST(ControlsComboListSearch, TypedPrefixSelectsTheFirstMatchAndIsForgottenAfterAPause) {
  TComboForm f(csDropDownList);
  f.combo->SetItemIndex(2);
  f.combo->SearchTimer()->SetInterval(60);
  struct Step {
    const char* What;
    std::wstring Keys;
    bool Pause;  // wait out the search timer first
    Integer Index;
    const char* Search;
  };
  const Step steps[] = {
      {"b", L"b", false, 0, "b"},
      {"bl", L"l", false, 1, "bl"},
      {"blx matches nothing: stays", L"x", false, 1, "bl"},
      {"after a pause p starts again", L"p", true, 2, "p"},
      {"Backspace of the only character: item 0", std::wstring(1, Back), false, 0, ""},
      {"B in capitals", L"B", false, 0, "B"},
      {"Escape selects item 0", std::wstring(1, Esc), false, 0, "B"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.What);
    if (s.Pause) {
      testui::PumpUntil([&] { return f.combo->SearchText().empty(); }, 2000);
      EXPECT_EQ(f.combo->SearchText(), "");
    }
    f.Type(s.Keys);
    EXPECT_EQ(f.combo->ItemIndex(), s.Index);
    EXPECT_EQ(f.combo->SearchText(), s.Search);
  }
  // An arrow key forgets the prefix; ReadOnly does not stop the search.
  f.Type(L"p");
  f.Key(VK_DOWN);
  EXPECT_EQ(f.combo->SearchText(), "");
  f.combo->SetReadOnly(true);
  f.Type(L"bl");
  EXPECT_EQ(f.combo->ItemIndex(), 1);
}

TEST(ControlsComboAutoComplete, TypingCompletesToTheFirstMatch) {
  struct Case {
    const char* What;
    bool AllowEdit, KeepSearchCase;
    std::wstring Keys;
    const char* Text;
    const char* Selected;
    Integer Index;
    int Matches;
  };
  const Case cases[] = {
      {"b", true, false, L"b", "Background", "ackground", 0, 1},
      {"bl", true, false, L"bl", "Black", "ack", 1, 2},
      {"bla keeping the typed case", true, true, L"bla", "black", "ck", -2, 3},
      {"blx: the x is kept as typed", true, false, L"blx", "blx", "", -2, 2},
      {"blx without AllowEdit: the x is dropped", false, false, L"blx", "Black", "ack", 1, 2},
      {"bla then Backspace completes bl again", true, false, std::wstring(L"bla") + Back, "Black", "ack", 1, 4},
      {"b then Backspace leaves the box empty", true, false, std::wstring(L"b") + Back, "", "", -1, 1},
      {"Escape clears", true, false, std::wstring(L"pr") + Esc, "", "", -1, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TComboForm f(csDropDown);
    f.combo->SetAllowEdit(c.AllowEdit);
    f.combo->SetKeepSearchCase(c.KeepSearchCase);
    f.Type(c.Keys);
    EXPECT_EQ(f.combo->Text(), c.Text);
    EXPECT_EQ(f.Selected(), c.Selected);
    if (c.Index != -2) {
      EXPECT_EQ(f.combo->ItemIndex(), c.Index);
    }
    EXPECT_EQ(std::count(f.events.begin(), f.events.end(), "match"), c.Matches);
  }
}

TEST(ControlsComboAutoComplete, PasteCompletesAndEditingKeysRestartTheSearch) {
  TComboForm f(csDropDown);
  Clipboard()->SetAsText("Pre");
  PostMessageW(f.combo->EditHandle(), WM_CHAR, 22, 1);  // Ctrl+V
  Pump();
  EXPECT_EQ(f.combo->Text(), "Previous");
  EXPECT_EQ(f.Selected(), "vious");
  EXPECT_EQ(f.combo->SearchText(), "Pre");
  // Shift+Insert pastes the same way.
  f.combo->SetText("");
  std::vector<INPUT> in;
  for (auto [vk, up] : std::vector<std::pair<WORD, bool>>{{VK_SHIFT, false}, {VK_INSERT, false}, {VK_INSERT, true},
                                                           {VK_SHIFT, true}}) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = vk;
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    in.push_back(i);
  }
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
  testui::PumpUntil([&] { return !f.combo->Text().empty(); }, 1000);
  testshots::SettleInput();
  EXPECT_EQ(f.combo->Text(), "Previous");
  EXPECT_EQ(f.Selected(), "vious");
  // Without AllowEdit a paste is refused.
  f.combo->SetAllowEdit(false);
  f.combo->SetText("");
  PostMessageW(f.combo->EditHandle(), WM_CHAR, 22, 1);
  Pump();
  EXPECT_EQ(f.combo->Text(), "");
  // Home and End take the text as it stands as the search.
  f.combo->SetAllowEdit(true);
  f.Type(L"ba");
  f.Key(VK_END);
  EXPECT_EQ(f.combo->SearchText(), "Background");
}

TEST(ControlsComboAutoComplete, ReadOnlyBoxTakesNoTypingButCopy) {
  TComboForm f(csDropDown);
  f.combo->SetText("Black");
  f.combo->SetReadOnly(true);
  f.combo->SetSelStart(0);
  f.combo->SetSelLength(5);
  f.Type(L"x\b");
  EXPECT_EQ(f.combo->Text(), "Black");
  f.Key(VK_DOWN);
  EXPECT_EQ(f.combo->Text(), "Black") << "the arrows do not step a read-only box";
  PostMessageW(f.combo->EditHandle(), WM_CHAR, 3, 1);  // Ctrl+C
  Pump();
  EXPECT_EQ(Clipboard()->AsText(), "Black");
  // Clicks on the control do not drop the list.
  PostMessageW(f.combo->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(110, 10));
  PostMessageW(f.combo->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(110, 10));
  Pump();
  EXPECT_FALSE(f.combo->DroppedDown());
}

// ---------------------------------------------------------------------------
TEST(ControlsComboEvents, WheelStepsThroughTheItemsWithinTheList) {
  TComboForm f(csDropDownList);
  f.combo->SetItemIndex(0);
  struct Step {
    int Notches;
    Integer Index;
    Log Events;
  };
  const Step steps[] = {
      {-1, 1, {"click", "change"}}, {-1, 2, {"click", "change"}},
      {-1, 2, {}},  // the last item stays selected
      {1, 1, {"click", "change"}},  {1, 0, {"click", "change"}},
      {1, 0, {}},  // the first item stays, without events
  };
  for (const Step& s : steps) {
    f.events.clear();
    f.Wheel(s.Notches);
    EXPECT_EQ(f.combo->ItemIndex(), s.Index);
    EXPECT_EQ(f.events, s.Events);
  }
}

TEST(ControlsComboEvents, LeavingWithTextNotInTheListAndTypingPastMaxLength) {
  struct Case {
    const char* Text;
    bool NotInList;
  };
  for (Case c : {Case{"Purple", true}, Case{"Black", false}, Case{"", false}}) {
    TComboForm f(csDropDown);
    f.combo->SetAutoComplete(false);
    f.combo->SetText(c.Text);
    f.events.clear();
    f.other->SetFocus();
    Pump();
    EXPECT_EQ(f.events, c.NotInList ? Log{"not in list"} : Log{}) << c.Text;
  }

  TComboForm f(csDropDown);
  f.combo->SetAutoComplete(false);
  f.combo->SetMaxLength(3);
  f.Type(L"abcd");
  EXPECT_EQ(f.combo->Text(), "abc");
  f.combo->SetSelStart(1);
  f.combo->SetSelLength(1);
  f.Type(L"x");
  EXPECT_EQ(f.combo->Text(), "axc") << "a selection may be typed over";
}

TEST(ControlsComboEvents, DropDownWidthOutlivesANewWindow) {
  TComboForm f(csDropDownList);
  f.combo->SetDropDownWidth(250);
  EXPECT_EQ(SendMessageW(f.combo->Handle(), CB_GETDROPPEDWIDTH, 0, 0), 250);
  f.combo->SetStyle(csDropDown);  // the window is made again
  EXPECT_EQ(SendMessageW(f.combo->Handle(), CB_GETDROPPEDWIDTH, 0, 0), 250);
  EXPECT_EQ(f.combo->ItemIndex(), -1);
}

TEST(ControlsComboEvents, OwnerDrawnSelectionGetsTheFocusOutlineAndItemDataIsHandedOver) {
  TComboForm f(csOwnerDrawFixed, {});
  int data1 = 1, data2 = 2;
  f.combo->Items()->AddObject("One", reinterpret_cast<TObject*>(&data1));
  f.combo->Items()->AddObject("Two", reinterpret_cast<TObject*>(&data2));
  f.combo->SetItemIndex(0);
  f.combo->SetFocus();
  Pump();
  auto outlined = Shot(f.combo);
  f.combo->SetFocusOutline(false);
  auto plain = Shot(f.combo);
  Integer dots = 0, other = 0;
  for (Integer y = 0; y < outlined->Height(); ++y)
    for (Integer x = 0; x < outlined->Width(); ++x)
      if (Px(outlined.get(), x, y) != Px(plain.get(), x, y)) (Px(outlined.get(), x, y) == 0 ? dots : other)++;
  EXPECT_GT(dots, 10) << "a dotted black outline around the selected item";
  EXPECT_EQ(other, 0);

  std::vector<void*> deleted;
  f.combo->OnDeleteItem = [&](TObject*, void* Item) { deleted.push_back(Item); };
  f.combo->Items()->Delete(1);
  EXPECT_EQ(deleted, (std::vector<void*>{&data2}));
}

// ---------------------------------------------------------------------------
class ControlsComboFace : public ThemeLookTest {};

TEST_P(ControlsComboFace, FlatFrameAndButtonFollowTheMouse) {
  TComboForm f(csDropDownList, {"None", "Don't Remove", "Background", "Previous"});
  TRzComboBox* c = f.combo;
  // The editor's disposal box: flat frame and flat button from its controller.
  c->SetItemIndex(0);
  c->SetFramingPreference(fpCustomFraming);
  c->SetFrameColor(clRed);
  c->SetFrameHotColor(clBlue);
  c->SetFrameHotTrack(true);
  c->SetFlatButtons(true);
  EXPECT_FALSE(c->Ctl3D()) << "a visible frame turns the 3-D border off";
  f.other->SetFocus();
  Pump();
  auto idle = Shot(c);
  PostMessageW(c->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(30, 10));
  Pump();
  EXPECT_TRUE(c->OverControl());
  auto over = Shot(c);
  PostMessageW(f.form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(250, 140));
  Pump();
  c->SetReadOnly(true);
  auto readOnly = Shot(c);
  c->SetReadOnly(false);
  c->SetEnabled(false);
  auto disabled = Shot(c);
  testshots::TSheet sheet;
  sheet.Add("idle", idle.get());
  sheet.Add("mouse over", over.get());
  sheet.Add("read-only", readOnly.get());
  sheet.Add("disabled", disabled.get());
  sheet.Save(std::string("controls_combobox_") + LookName(GetParam()) + ".png");

  const Integer w = c->Width(), h = c->Height(), sb = GetSystemMetrics(SM_CXVSCROLL);
  EXPECT_EQ(Px(idle.get(), 0, 0), clRed);
  EXPECT_EQ(Px(idle.get(), w - 1, h - 1), clRed);
  EXPECT_NE(Px(idle.get(), 1, 1), clRed) << "one pixel at rest";
  EXPECT_EQ(Px(over.get(), 1, 1), clBlue) << "two in the hot colour under the mouse";
  EXPECT_EQ(Px(over.get(), w - 2, h / 2), clBlue);
  // At rest the flat button is the control's colour with a dark arrow; while
  // hot it is raised (classic) or the visual style's part.
  const TColor window = ColorToRGB(clWindow);
  const Integer bx = w - sb / 2 - 2;
  EXPECT_EQ(Px(idle.get(), w - sb + 1, 3), window);
  bool buttonChanged = false;
  for (Integer y = 3; y < h - 3; ++y)
    for (Integer x = w - sb; x < w - 3; ++x) buttonChanged = buttonChanged || Px(idle.get(), x, y) != Px(over.get(), x, y);
  EXPECT_TRUE(buttonChanged);
  if (!Themed()) {
    EXPECT_EQ(Px(over.get(), w - sb - 2, 4), ColorToRGB(clBtnHighlight));
  }
  bool arrow = false, readOnlyArrow = false;
  for (Integer y = 4; y < h - 4; ++y) {
    arrow = arrow || Px(idle.get(), bx, y) != window;
    readOnlyArrow = readOnlyArrow || Px(readOnly.get(), bx, y) != window;
  }
  EXPECT_TRUE(arrow);
  EXPECT_FALSE(readOnlyArrow) << "a read-only box hides its button";
}

INSTANTIATE_LOOKS(ControlsComboFace);

}  // namespace
