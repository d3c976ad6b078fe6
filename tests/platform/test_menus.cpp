// Shortcut texts and menu items.
#include <gtest/gtest.h>

#include <string>

#include "platform/Menus.h"

namespace {

TEST(ShortCuts, TextRoundTripTable) {
  struct Case {
    TShortCut Code;
    const char* Text;
  };
  const Case cases[] = {
      {static_cast<TShortCut>(scCtrl | 'O'), "Ctrl+O"},
      {static_cast<TShortCut>(scCtrl | 'S'), "Ctrl+S"},
      {static_cast<TShortCut>(scShift | scCtrl | 'Z'), "Shift+Ctrl+Z"},
      {static_cast<TShortCut>(scAlt | VK_F4), "Alt+F4"},
      {VK_F5, "F5"},
      {VK_F12, "F12"},
      {VK_DELETE, "Del"},
      {static_cast<TShortCut>(scShift | VK_DELETE), "Shift+Del"},
      {VK_INSERT, "Ins"},
      {VK_RETURN, "Enter"},
      {VK_ESCAPE, "Esc"},
      {VK_BACK, "BkSp"},
      {VK_TAB, "Tab"},
      {VK_SPACE, "Space"},
      {VK_PRIOR, "PgUp"},
      {VK_NEXT, "PgDn"},
      {VK_HOME, "Home"},
      {VK_END, "End"},
      {static_cast<TShortCut>(scCtrl | VK_LEFT), "Ctrl+Left"},
      {VK_UP, "Up"},
      {VK_RIGHT, "Right"},
      {VK_DOWN, "Down"},
      {static_cast<TShortCut>(scCtrl | '1'), "Ctrl+1"},
      {static_cast<TShortCut>(scShift | scCtrl | scAlt | 'A'), "Shift+Ctrl+Alt+A"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShortCutToText(c.Code), c.Text);
    EXPECT_EQ(TextToShortCut(c.Text), c.Code) << c.Text;
  }
  // Names in any case and modifiers in any order are read.
  EXPECT_EQ(TextToShortCut("ctrl+o"), scCtrl | 'O');
  EXPECT_EQ(TextToShortCut("Alt+Shift+del"), scAlt | scShift | VK_DELETE);
  // Nothing to read, or no key after the modifiers.
  EXPECT_EQ(TextToShortCut(""), 0);
  EXPECT_EQ(TextToShortCut("Ctrl+"), 0);
  EXPECT_EQ(TextToShortCut("Ctrl+Nothing"), 0);
  EXPECT_EQ(ShortCutToText(0), "");
  EXPECT_EQ(ShortCutToText(scCtrl), "");
}

TEST(ShortCuts, FromKeyAndShiftState) {
  EXPECT_EQ(ShortCut('O', TShiftState{ssCtrl}), scCtrl | 'O');
  EXPECT_EQ(ShortCut(VK_F1, TShiftState{ssShift, ssAlt}), scShift | scAlt | VK_F1);
  EXPECT_EQ(ShortCut(0x1FF, TShiftState{}), 0);  // not a key
  Word key = 0;
  TShiftState shift;
  ShortCutToKey(static_cast<TShortCut>(scCtrl | scShift | 'N'), key, shift);
  EXPECT_EQ(key, 'N');
  EXPECT_EQ(shift, (TShiftState{ssCtrl, ssShift}));
}

TEST(Menus, ItemsCommandsShortCutsAndRadioGroups) {
  TPopupMenu menu(nullptr);
  auto* open = new TMenuItem(&menu);
  open->SetCaption("&Open...");
  open->SetShortCut(TextToShortCut("Ctrl+O"));
  auto* sub = new TMenuItem(&menu);
  sub->SetCaption("Zoom");
  auto* z1 = new TMenuItem(&menu);
  z1->SetCaption("100%");
  z1->SetRadioItem(true);
  auto* z2 = new TMenuItem(&menu);
  z2->SetCaption("200%");
  z2->SetRadioItem(true);
  sub->Add(z1);
  sub->Add(z2);
  menu.Items()->Add(open);
  menu.Items()->Add(sub);
  int opened = 0;
  open->OnClick = [&](TObject*) { ++opened; };

  HMENU h = menu.Handle();
  EXPECT_EQ(GetMenuItemCount(h), 2);
  wchar_t text[64];
  GetMenuStringW(h, 0, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"&Open...\tCtrl+O");
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(h, 1)), 2);

  EXPECT_TRUE(menu.DispatchCommand(open->Command()));
  EXPECT_TRUE(menu.IsShortCut(static_cast<TShortCut>(scCtrl | 'O')));
  EXPECT_EQ(opened, 2);
  open->SetEnabled(false);
  EXPECT_FALSE(menu.IsShortCut(static_cast<TShortCut>(scCtrl | 'O')));
  EXPECT_FALSE(menu.DispatchCommand(0xFFFF));

  z1->SetChecked(true);
  z2->SetChecked(true);
  EXPECT_FALSE(z1->Checked());
  EXPECT_TRUE(z2->Checked());

  // Removing an item leaves the parent; deleting a parent deletes its items.
  sub->Remove(z1);
  EXPECT_EQ(sub->Count(), 1);
  delete z1;
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu.Handle(), 1)), 1);
}

}  // namespace

// ---------------------------------------------------------------------------
#include "platform/ActnList.h"
#include "platform/StdCtrls.h"

namespace {

TEST(Actions, ListShortCutsUpdateAndLinkedControl) {
  TActionList list(nullptr);
  auto* open = new TAction(&list);
  open->SetActionList(&list);
  open->SetCaption("&Open...");
  open->SetShortCut(TextToShortCut("Ctrl+O"));
  int executed = 0;
  open->OnExecute = [&](TObject*) { ++executed; };
  bool canOpen = true;
  open->OnUpdate = [&](TObject*) { open->SetEnabled(canOpen); };
  EXPECT_EQ(list.ActionCount(), 1);
  EXPECT_EQ(open->Index(), 0);

  EXPECT_TRUE(list.IsShortCut(static_cast<TShortCut>(scCtrl | 'O')));
  EXPECT_EQ(executed, 1);
  canOpen = false;
  EXPECT_FALSE(list.IsShortCut(static_cast<TShortCut>(scCtrl | 'O')));  // updated, now disabled
  EXPECT_FALSE(open->Execute());
  EXPECT_EQ(executed, 1);

  // The list can take every execution first.
  canOpen = true;
  std::vector<std::string> byList;
  list.OnExecute = [&](TBasicAction* A, bool& Handled) {
    byList.push_back(static_cast<TCustomAction*>(A)->Caption());
    Handled = true;
  };
  EXPECT_TRUE(open->Execute());
  EXPECT_EQ(executed, 1);
  EXPECT_EQ(byList, (std::vector<std::string>{"&Open..."}));
  list.OnExecute = TActionEvent();

  // A linked control shows the action's caption and state; its click runs the action.
  TButton button(nullptr);
  int ownClicks = 0;
  button.OnClick = [&](TObject*) { ++ownClicks; };
  {
    button.SetAction(open);
    EXPECT_EQ(button.Caption(), "&Open...");
    open->SetEnabled(false);
    EXPECT_FALSE(button.Enabled());
    canOpen = true;
    button.Click();
    EXPECT_EQ(executed, 2);
    EXPECT_TRUE(button.Enabled());
    open->SetCaption("&Open File...");
    EXPECT_EQ(button.Caption(), "&Open File...");
    // Freeing the action leaves the control without one.
    delete open;
    EXPECT_EQ(button.Action(), nullptr);
    EXPECT_EQ(button.ActionLink(), nullptr);
    EXPECT_EQ(list.ActionCount(), 0);
  }
  // The control's own handler was replaced by the action's when it was linked.
  button.OnClick = [&](TObject*) { ++ownClicks; };
  button.Click();
  EXPECT_EQ(ownClicks, 1);
}

TEST(Actions, AutoCheckAndGroups) {
  TActionList list(nullptr);
  TAction a(nullptr), b(nullptr);
  a.SetActionList(&list);
  b.SetActionList(&list);
  a.SetGroupIndex(1);
  b.SetGroupIndex(1);
  a.SetAutoCheck(true);
  b.SetAutoCheck(true);
  a.Execute();
  EXPECT_TRUE(a.Checked());
  b.Execute();
  EXPECT_TRUE(b.Checked());
  EXPECT_FALSE(a.Checked());
  b.Execute();  // a checked group member stays checked
  EXPECT_TRUE(b.Checked());
  TAction c(nullptr);
  c.SetAutoCheck(true);
  c.Execute();
  c.Execute();
  EXPECT_FALSE(c.Checked());
}

}  // namespace
