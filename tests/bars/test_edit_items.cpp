// Edit and combo items without input: their settings and clamps, the combo's
// text and list index kept in step, matching typed text to the list, the
// drop-down list's size, where a drop-down opens on the screen, which keys go
// to an open drop-down, and the items written to and read from a form.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "bars/dxBar.h"
#include "platform/FormReader.h"
#include "tests/support/ui.h"

namespace {

struct TEditItemsForm {
  std::unique_ptr<TForm> form;
  TdxBarManager* manager = nullptr;
  std::vector<std::string> log;

  TEditItemsForm() {
    form.reset(testui::NewForm(400, 200, 30, 30));
    form->SetName("EditItemsForm");
    manager = new TdxBarManager(form.get());
    manager->SetName("BarManager1");
  }
  TdxBarCombo* Combo(const std::vector<std::string>& Entries) {
    auto* c = new TdxBarCombo(form.get());
    c->SetName("cboTest");
    c->SetCategory(0);
    for (const auto& s : Entries) c->Items()->Add(s);
    c->OnChange = [this, c](TObject*) { log.push_back("change:" + c->Text()); };
    return c;
  }
};

TEST(EditItems, WidthAndMaxLengthAreClamped) {
  TEditItemsForm f;
  auto* e = new TdxBarEdit(f.form.get());
  struct Case {
    Integer set, width;
  } widths[] = {{10, 20}, {19, 20}, {20, 20}, {250, 250}, {600, 600}, {700, 600}, {-5, 20}};
  for (const Case& c : widths) {
    e->SetWidth(c.set);
    EXPECT_EQ(e->Width(), c.width) << "set " << c.set;
  }
  struct LengthCase {
    Integer set, length;
  } lengths[] = {{0, 0}, {-3, 0}, {1, 1}, {64, 64}};
  for (const LengthCase& c : lengths) {
    e->SetMaxLength(c.set);
    EXPECT_EQ(e->MaxLength(), c.length) << "set " << c.set;
  }
}

TEST(EditItems, LinkWidthFollowsTheEditUnlessTheLinkHasItsOwn) {
  TEditItemsForm f;
  auto* e = new TdxBarEdit(f.form.get());
  TdxBar* bar = f.manager->Bars()->Add();
  TdxBarItemLink* plain = bar->ItemLinks()->Add();
  plain->SetItem(e);
  TdxBarItemLink* own = bar->ItemLinks()->Add();
  own->SetItem(e);
  own->SetUserWidth(150);
  e->SetWidth(180);
  EXPECT_EQ(plain->EffectiveWidth(), 180);
  EXPECT_EQ(own->EffectiveWidth(), 150);
  own->SetUserWidth(5);
  EXPECT_EQ(own->EffectiveWidth(), 20);
}

TEST(EditItems, TextChangeFiresOnChangeOnceAndNotForTheSameText) {
  TEditItemsForm f;
  auto* e = new TdxBarEdit(f.form.get());
  Integer changes = 0;
  e->OnChange = [&](TObject* S) {
    EXPECT_EQ(S, e);
    ++changes;
  };
  e->SetText("frame 1");
  e->SetText("frame 1");
  e->SetText("");
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(e->CurrentText(), "");  // no view is editing
}

TEST(EditItems, ComboTextAndItemIndexFollowEachOther) {
  TEditItemsForm f;
  TdxBarCombo* c = f.Combo({"a", "b", "c"});
  c->SetItemIndex(1);
  EXPECT_EQ(c->Text(), "b");
  c->SetText("c");
  EXPECT_EQ(c->ItemIndex(), 2);
  c->SetText("x");
  EXPECT_EQ(c->ItemIndex(), -1);
  EXPECT_EQ(c->Text(), "x");
  c->SetItemIndex(0);
  EXPECT_EQ(c->Text(), "a");
  // Out of range becomes -1 and empties the text.
  c->SetItemIndex(7);
  EXPECT_EQ(c->ItemIndex(), -1);
  EXPECT_EQ(c->Text(), "");
  EXPECT_EQ(f.log, (std::vector<std::string>{"change:b", "change:c", "change:x", "change:a", "change:"}));
}

TEST(EditItems, ComboIndexChangeToTheSameTextStillReportsAChange) {
  TEditItemsForm f;
  TdxBarCombo* c = f.Combo({"same", "same", "other"});
  c->SetItemIndex(0);
  f.log.clear();
  c->SetItemIndex(1);
  EXPECT_EQ(c->ItemIndex(), 1);
  EXPECT_EQ(f.log, (std::vector<std::string>{"change:same"}));
  // Writing the text of the current entry keeps that entry.
  c->SetText("same");
  EXPECT_EQ(c->ItemIndex(), 1);
}

TEST(EditItems, ChangingTheListKeepsTheIndexInRange) {
  TEditItemsForm f;
  TdxBarCombo* c = f.Combo({"a", "b", "c"});
  c->SetItemIndex(2);
  f.log.clear();
  c->Items()->Delete(0);  // the index now points past the end
  EXPECT_EQ(c->ItemIndex(), -1);
  EXPECT_EQ(c->Text(), "");
  c->SetItemIndex(1);
  f.log.clear();
  c->Items()->Add("d");
  EXPECT_EQ(c->ItemIndex(), 1);
  c->Items()->Delete(2);  // deleting the selected last entry
  EXPECT_EQ(c->ItemIndex(), 1);
  c->Items()->Delete(1);
  EXPECT_EQ(c->ItemIndex(), -1);
  EXPECT_EQ(f.log, (std::vector<std::string>{"change:"}));
}

TEST(EditItems, SortingFindsTheTextAgain) {
  TEditItemsForm f;
  TdxBarCombo* c = f.Combo({"pear", "apple", "fig"});
  c->SetItemIndex(0);
  c->SetSorted(true);
  EXPECT_EQ(c->Items()->Strings(0), "apple");
  EXPECT_EQ(c->ItemIndex(), 2);
  EXPECT_EQ(c->Text(), "pear");
  c->SetText("kiwi");
  c->SetSorted(false);
  EXPECT_EQ(c->ItemIndex(), -1);
}

TEST(EditItems, FindByPrefixTakesTheFirstLongestMatchIgnoringCase) {
  TEditItemsForm f;
  TdxBarCombo* c = f.Combo({"Alpha", "beta", "Bravo", "bravado", "charlie"});
  struct Case {
    const char* text;
    Integer index;
  } cases[] = {
      {"B", 1},          // the first entry that starts with the whole text
      {"BR", 2},         //
      {"bravad", 3},     //
      {"brx", 2},        // no entry starts with it: the first longest common prefix
      {"bravadoes", 3},  //
      {"z", -1},         // nothing shares the first character
      {"", -1},          //
      {"CHARLIE", 4},
  };
  for (const Case& k : cases) EXPECT_EQ(c->FindByPrefix(k.text), k.index) << k.text;
}

TEST(EditItems, DropDownListSizeFromRowsAndWidths) {
  TEditItemsForm f;
  TdxBarCombo* eight = f.Combo({"one", "two", "three", "four", "five", "six", "seven", "a much longer entry"});
  auto* eleven = new TdxBarCombo(f.form.get());
  eleven->Items()->Assign(eight->Items());
  for (const char* s : {"nine", "ten", "eleven"}) eleven->Items()->Add(s);
  Integer scroll = GetSystemMetrics(SM_CXVSCROLL);
  Integer w8 = eight->DropDownPixelWidth(), w11 = eleven->DropDownPixelWidth();
  EXPECT_EQ(w11 - w8, scroll);
  Integer longest = 0;
  eight->MeasureItemWidth(7, longest);
  EXPECT_EQ(w8, longest + 4);
  // A fixed width wins over the entries.
  eleven->SetDropDownWidth(60);
  EXPECT_EQ(eleven->DropDownPixelWidth(), 60 + 4 + scroll);
  // Row heights: ItemHeight when set, else the font's, and the event last.
  Integer h = 0;
  eight->MeasureItem(0, h);
  EXPECT_GT(h, 5);
  eight->SetItemHeight(21);
  eight->MeasureItem(0, h);
  EXPECT_EQ(h, 21);
  eight->OnMeasureItem = [](TObject*, Integer Index, Integer& Height) { Height += Index; };
  eight->MeasureItem(3, h);
  EXPECT_EQ(h, 24);
}

TEST(EditItems, DropDownPlacementInTheWorkArea) {
  // The item is 90 x 22; the drop-down W x H.
  const TRect work = Rect(0, 0, 800, 600);
  struct Case {
    const char* name;
    TPoint at;
    Integer w, h;
    bool sideways;
    TPoint expected;
  } cases[] = {
      {"fits below", Point(100, 100), 120, 150, false, Point(100, 100)},
      {"past the right edge moves left", Point(750, 100), 120, 150, false, Point(680, 100)},
      {"near the bottom with more room above opens above", Point(100, 560), 120, 150, false, Point(100, 388)},
      {"too low but more room below stays", Point(100, 200), 120, 500, false, Point(100, 200)},
      {"menu: past the right edge opens left of the item", Point(760, 100), 120, 150, true, Point(550, 100)},
      {"menu: little room on the left stays", Point(150, 100), 700, 150, true, Point(150, 100)},
      {"menu: past the bottom is pulled up", Point(100, 500), 120, 150, true, Point(100, 450)},
      {"not before the left and top edges", Point(-20, -5), 120, 150, false, Point(0, 0)},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TCustomdxBarCombo::FitDropDownToScreen(work, c.at, c.w, c.h, 90, 22, c.sideways), c.expected)
        << c.name;
  // A monitor left of the primary one: the list stays on it.
  const TRect left = Rect(-1024, 0, 0, 740);
  EXPECT_EQ(TCustomdxBarCombo::FitDropDownToScreen(left, Point(-900, 100), 120, 150, 90, 22, false),
            Point(-900, 100));
  EXPECT_EQ(TCustomdxBarCombo::FitDropDownToScreen(left, Point(-1100, 100), 120, 150, 90, 22, false),
            Point(-1024, 100));
  EXPECT_EQ(TCustomdxBarCombo::FitDropDownToScreen(left, Point(-60, 100), 120, 150, 90, 22, true),
            Point(-60 - 120 - 90, 100));
}

TEST(EditItems, KeysThatGoToAnOpenDropDown) {
  TEditItemsForm f;
  auto* custom = new TCustomdxBarCombo(f.form.get());
  TdxBarCombo* list = f.Combo({"a"});
  struct Case {
    Word key;
    TShiftState shift;
    bool toWindow, toList;
  } cases[] = {
      {VK_DOWN, {}, true, true},         {VK_UP, {}, true, true},           {VK_NEXT, {}, true, true},
      {VK_PRIOR, {}, true, true},        {'A', {}, true, false},            {VK_TAB, {}, false, false},
      {VK_RETURN, {}, false, false},     {VK_ESCAPE, {}, false, false},     {VK_DOWN, {ssShift}, true, false},
      {VK_DOWN, {ssAlt}, true, false},   {VK_UP, {ssCtrl}, true, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(custom->CheckKeyForDropDownWindow(c.key, c.shift), c.toWindow) << c.key;
    EXPECT_EQ(list->CheckKeyForDropDownWindow(c.key, c.shift), c.toList) << c.key;
  }
  // The event may change the answer of the application's drop-down, not the list's.
  custom->OnCheckKeyForDropDownWindow = [](TObject*, Word Key, TShiftState, bool& Accept) {
    if (Key == VK_RETURN) Accept = true;
    if (Key == 'A') Accept = false;
  };
  list->OnCheckKeyForDropDownWindow = custom->OnCheckKeyForDropDownWindow;
  EXPECT_TRUE(custom->CheckKeyForDropDownWindow(VK_RETURN, {}));
  EXPECT_FALSE(custom->CheckKeyForDropDownWindow('A', {}));
  EXPECT_FALSE(list->CheckKeyForDropDownWindow(VK_RETURN, {}));
  EXPECT_TRUE(list->CheckKeyForDropDownWindow(VK_DOWN, {}));
}

TEST(EditItems, AcceleratorOfAnEditOnAToolbarNeedsItsCaption) {
  TEditItemsForm f;
  auto* e = new TdxBarEdit(f.form.get());
  e->SetCaption("&Name:");
  TdxBar* bar = f.manager->Bars()->Add();
  TdxBarItemLink* onBar = bar->ItemLinks()->Add();
  onBar->SetItem(e);
  auto* sub = new TdxBarSubItem(f.form.get());
  TdxBarItemLink* inMenu = sub->ItemLinks()->Add();
  inMenu->SetItem(e);
  EXPECT_FALSE(e->AcceleratorUsable(onBar));
  EXPECT_TRUE(e->AcceleratorUsable(inMenu));
  e->SetShowCaption(true);
  EXPECT_TRUE(e->AcceleratorUsable(onBar));
  e->SetEnabled(false);
  EXPECT_FALSE(e->AcceleratorUsable(inMenu));
  EXPECT_FALSE(e->AcceptsDirectClick());
}

TEST(EditItems, ViewsFromTheRegistryAndButtonsOnATurnedToolbar) {
  EXPECT_NE(FindBarItemClass(typeid(TdxBarEdit)), nullptr);
  EXPECT_NE(FindBarItemClass(typeid(TCustomdxBarCombo)), nullptr);
  EXPECT_NE(FindBarItemClass(typeid(TdxBarCombo)), nullptr);
  EXPECT_EQ(GetListedItemClass(1), "TdxBarEdit");
  EXPECT_EQ(GetListedItemClass(3), "TdxBarCombo");

  TEditItemsForm f;
  auto* e = new TdxBarEdit(f.form.get());
  TdxBarCombo* c = f.Combo({"x"});
  TdxBar* bar = f.manager->Bars()->Add();
  bar->SetCaption("Side");
  bar->ItemLinks()->Add()->SetItem(e);
  bar->ItemLinks()->Add()->SetItem(c);
  bar->SetDockingStyle(dsTop);
  bar->SetVisible(true);
  f.form->Show();
  Application->ProcessMessages();
  ASSERT_NE(bar->Control(), nullptr);
  EXPECT_NE(dynamic_cast<TdxBarEditControl*>(bar->ItemLinks()->Items(0)->Control()), nullptr);
  EXPECT_NE(dynamic_cast<TdxBarComboControl*>(bar->ItemLinks()->Items(1)->Control()), nullptr);
  bar->SetDockingStyle(dsLeft);
  Application->ProcessMessages();
  for (Integer i = 0; i < 2; ++i) {
    TdxBarItemControl* v = bar->ItemLinks()->Items(i)->Control();
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(std::string(v->ClassName()), "TdxBarButtonControl") << i;
  }
  bar->SetDockingStyle(dsTop);
  Application->ProcessMessages();
  EXPECT_NE(dynamic_cast<TdxBarEditControl*>(bar->ItemLinks()->Items(0)->Control()), nullptr);
  // Without turning, a side bar keeps the editing views.
  bar->SetRotateWhenVertical(false);
  bar->SetDockingStyle(dsRight);
  Application->ProcessMessages();
  EXPECT_NE(dynamic_cast<TdxBarComboControl*>(bar->ItemLinks()->Items(1)->Control()), nullptr);
}

TEST(EditItems, WrittenToAFormAndReadBack) {
  TEditItemsForm f;
  auto* e = new TdxBarEdit(f.form.get());
  e->SetName("edtName");
  e->SetCategory(0);
  e->SetText("frame");
  e->SetWidth(140);
  e->SetMaxLength(12);
  e->SetReadOnly(true);
  e->SetShowCaption(true);
  TdxBarCombo* c = f.Combo({"none", "background", "previous"});
  c->SetDropDownCount(5);
  c->SetDropDownWidth(90);
  c->SetItemHeight(18);
  c->SetItemIndex(1);
  c->SetShowEditor(false);
  TdxBar* bar = f.manager->Bars()->Add();
  bar->SetName("barTools");
  bar->ItemLinks()->Add()->SetItem(e);
  bar->ItemLinks()->Add()->SetItem(c);

  std::string text = WriteComponentToText(f.form.get());
  std::unique_ptr<TForm> copy{testui::NewForm()};
  try {
    ReadComponentFromText(text, copy.get());
  } catch (const Exception& x) {
    FAIL() << x.Message() << "\n" << text;
  }
  EXPECT_EQ(WriteComponentToText(copy.get()), text);
  auto* ce = dynamic_cast<TdxBarEdit*>(copy->FindComponent("edtName"));
  auto* cc = dynamic_cast<TdxBarCombo*>(copy->FindComponent("cboTest"));
  ASSERT_TRUE(ce && cc) << text;
  EXPECT_EQ(ce->Text(), "frame");
  EXPECT_EQ(ce->Width(), 140);
  EXPECT_EQ(ce->MaxLength(), 12);
  EXPECT_TRUE(ce->ReadOnly());
  EXPECT_TRUE(ce->ShowCaption());
  EXPECT_EQ(cc->Items()->Count(), 3);
  EXPECT_EQ(cc->ItemIndex(), 1);
  EXPECT_EQ(cc->Text(), "background");
  EXPECT_EQ(cc->DropDownCount(), 5);
  EXPECT_EQ(cc->DropDownWidth(), 90);
  EXPECT_EQ(cc->ItemHeight(), 18);
  EXPECT_FALSE(cc->ShowEditor());
}

}  // namespace
