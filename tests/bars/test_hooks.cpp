// The thread hooks driven by real keys and clicks on a shown form: shortcuts
// (main-menu bar first, disabled and invisible items never), Alt and F10 into
// the main menu, Alt+letter accelerators, keys going to an open menu with the
// closing key's release kept from the application, clicks outside closing
// menus, and the hooks going with the last manager even when a form is freed
// while a menu is open.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "bars/dxBar.h"
#include "platform/StdCtrls.h"
#include "tests/bars/bar_input.h"

namespace {

using barinput::Chord;
using barinput::Tap;

constexpr TShortCut kCtrl = 0x4000, kShift = 0x2000;

struct TMenuForm {
  std::unique_ptr<TForm> form;
  TEdit* edit = nullptr;
  TdxBarManager* manager = nullptr;
  TdxBar* mainBar = nullptr;
  TdxBar* tools = nullptr;
  TdxBar* hiddenBar = nullptr;
  std::map<std::string, TdxBarButton*> items;
  std::map<std::string, int> clicks;
  std::map<Word, int> editKeyDowns, editKeyUps;

  TMenuForm() {
    form.reset(testui::NewForm(420, 240, 60, 60));
    manager = new TdxBarManager(form.get());
    edit = new TEdit(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(10, 150, 120, 22);
    edit->OnKeyDown = [this](TObject*, Word& K, TShiftState) { ++editKeyDowns[K]; };
    edit->OnKeyUp = [this](TObject*, Word& K, TShiftState) { ++editKeyUps[K]; };

    mainBar = AddBar("Main", dsTop, 0);
    mainBar->SetIsMainMenu(true);
    for (const char* c : {"&File", "&Edit", "&Find", "&View"}) Link(mainBar, Item(c + 1, c));
    Link(mainBar, Item("mmOpen", "Open", kCtrl | 'O'));
    Link(mainBar, Item("mmDelete", "Delete", VK_DELETE));
    tools = AddBar("Tools", dsTop, 1);
    Link(tools, Item("tbOpen", "Open", kCtrl | 'O'));
    Link(tools, Item("tbSaveAs", "Save as", kCtrl | kShift | 'S'));
    Link(tools, Item("tbRefresh", "Refresh", VK_F5));
    Link(tools, Item("tbDisabled", "Disabled", kCtrl | 'D'))->Item()->SetEnabled(false);
    Link(tools, Item("tbInvisible", "Invisible", kCtrl | 'I'))->Item()->SetVisible(ivNever);
    // A drop-down button whose menu holds an item with a shortcut.
    auto* drop = Item("tbDrop", "Drop");
    drop->SetButtonStyle(bsDropDown);
    auto* menu = new TdxBarPopupMenu(form.get());
    menu->ItemLinks()->Add()->SetItem(Item("ddMerge", "Merge", kCtrl | 'M'));
    drop->SetDropDownMenu(menu);
    Link(tools, drop);
    hiddenBar = AddBar("Hidden", dsTop, 2);
    Link(hiddenBar, Item("hbHelp", "Help", kCtrl | 'H'));
    hiddenBar->SetVisible(false);
    mainBar->SetVisible(true);
    tools->SetVisible(true);
    barinput::Activate(form.get());
    edit->SetFocus();
    barinput::Settle();
  }

  TdxBarButton* Item(const std::string& Name, const std::string& Caption, TShortCut ShortCut = 0) {
    std::string name = Name;
    auto* b = new TdxBarButton(form.get());
    b->SetName(name);
    b->SetCaption(Caption);
    b->SetShortCut(ShortCut);
    b->OnClick = [this, name](TObject*) { ++clicks[name]; };
    items[name] = b;
    return b;
  }
  TdxBarItemLink* Link(TdxBar* Bar, TdxBarItem* It) {
    TdxBarItemLink* l = Bar->ItemLinks()->Add();
    l->SetItem(It);
    return l;
  }
  TdxBar* AddBar(const std::string& Caption, TdxBarDockingStyle Style, Integer Row) {
    TdxBar* bar = manager->Bars()->Add();
    bar->SetCaption(Caption);
    bar->SetName(Caption);
    bar->SetRow(Row);
    bar->SetOneOnRow(true);
    bar->SetDockingStyle(Style);
    return bar;
  }
  TdxBarControl* MenuWindow() const { return KeyboardMenuWindow(manager); }
  std::string Selected() const {
    TCustomdxBarControl* w = mainBar->Control();
    TdxBarItemControl* c = w ? w->SelectedControl() : nullptr;
    return c && c->Item() ? c->Item()->Name() : "";
  }
  int TotalClicks() const {
    int n = 0;
    for (auto& c : clicks) n += c.second;
    return n;
  }
  TPoint CenterOf(TWinControl* C) {
    return C->ClientToScreen(Point(C->ClientWidth() / 2, C->ClientHeight() / 2));
  }
  TPoint ItemCenter(TdxBar* Bar, const std::string& Name) {
    for (TdxBarItemLink* l : Bar->ItemLinks()->ShownLinks())
      if (l->Item() == items[Name])
        return Bar->Control()->ClientToScreen(
            Point((l->ItemRect.Left + l->ItemRect.Right) / 2, (l->ItemRect.Top + l->ItemRect.Bottom) / 2));
    return Point(-1, -1);
  }
};

TEST(HooksShortCuts, KeysFireTheFirstMatchingEnabledVisibleItemOnce) {
  TMenuForm m;
  ASSERT_TRUE(dxBarHooksInstalled());
  struct {
    std::initializer_list<Word> mods;
    Word key;
    const char* fires;  // "" = nothing
  } cases[] = {
      {{VK_CONTROL}, 'O', "mmOpen"},  // the main-menu bar wins over the toolbar
      {{VK_CONTROL, VK_SHIFT}, 'S', "tbSaveAs"},
      {{}, VK_F5, "tbRefresh"},
      {{}, VK_DELETE, "mmDelete"},
      {{VK_CONTROL}, 'M', "ddMerge"},  // inside a drop-down button's menu
      {{VK_CONTROL}, 'D', ""},         // disabled item
      {{VK_CONTROL}, 'I', ""},         // invisible item
      {{VK_CONTROL}, 'H', ""},         // item of a hidden bar
      {{VK_CONTROL}, 'S', ""},         // Ctrl+S is not Ctrl+Shift+S
      {{VK_SHIFT}, VK_F5, ""},
  };
  for (auto& c : cases) {
    m.clicks.clear();
    m.editKeyDowns.clear();
    Chord(c.mods, c.key);
    std::string label = std::string(c.fires) + " key " + std::to_string(c.key);
    if (*c.fires) {
      EXPECT_EQ(m.TotalClicks(), 1) << label;
      EXPECT_EQ(m.clicks[c.fires], 1) << label;
      EXPECT_EQ(m.editKeyDowns[c.key], 0) << label << ": a fired shortcut is not typed";
    } else {
      EXPECT_EQ(m.TotalClicks(), 0) << label;
      EXPECT_EQ(m.editKeyDowns[c.key], 1) << label << ": an unused key reaches the focused control";
    }
    EXPECT_EQ(m.MenuWindow(), nullptr) << label;
  }
}

TEST(HooksMenuMode, AltOrF10AloneEntersTheMainMenuAndOtherChordsDoNot) {
  TMenuForm m;
  struct {
    const char* name;
    std::function<void()> keys;
    bool useF10;
    bool enters;
  } cases[] = {
      {"Alt alone", [] { Tap(VK_MENU); }, true, true},
      {"F10", [] { Tap(VK_F10); }, true, true},
      {"F10 without UseF10ForMenu", [] { Tap(VK_F10); }, false, false},
      {"Ctrl+F10", [] { Chord({VK_CONTROL}, VK_F10); }, true, false},
      {"Alt+Q (no accelerator)", [] { Chord({VK_MENU}, 'Q'); }, true, false},
      {"Alt while A is held",
       [] {
         barinput::Key('A', false);
         Tap(VK_MENU);
         barinput::Key('A', true);
         barinput::Settle();
       },
       true, false},
  };
  for (auto& c : cases) {
    m.manager->SetUseF10ForMenu(c.useF10);
    m.clicks.clear();
    c.keys();
    if (c.enters) {
      EXPECT_EQ(m.MenuWindow(), m.mainBar->Control()) << c.name;
      EXPECT_EQ(m.Selected(), "File") << c.name << ": the first item is selected";
      EXPECT_EQ(ActiveBarControl(), m.mainBar->Control()) << c.name;
      Tap(VK_ESCAPE);
    }
    EXPECT_EQ(m.MenuWindow(), nullptr) << c.name;
    EXPECT_EQ(ActiveBarControl(), nullptr) << c.name;
    EXPECT_EQ(m.TotalClicks(), 0) << c.name;
    EXPECT_EQ(GetFocus(), m.edit->Handle()) << c.name << ": the focus is where it was";
  }
}

TEST(HooksMenuMode, ArrowsMoveEnterRunsAndTheClosingKeyIsNotSeenByTheApplication) {
  TMenuForm m;
  Tap(VK_MENU);
  ASSERT_EQ(m.Selected(), "File");
  Tap(VK_RIGHT);
  EXPECT_EQ(m.Selected(), "Edit");
  Tap(VK_LEFT);
  Tap(VK_LEFT);
  EXPECT_EQ(m.Selected(), "mmDelete") << "arrows wrap around";
  Tap(VK_HOME);
  Tap(VK_RIGHT);
  m.editKeyDowns.clear();
  m.editKeyUps.clear();
  Tap(VK_RETURN);
  EXPECT_EQ(m.clicks["Edit"], 1);
  EXPECT_EQ(m.TotalClicks(), 1);
  EXPECT_EQ(m.MenuWindow(), nullptr);
  EXPECT_EQ(GetFocus(), m.edit->Handle());
  EXPECT_EQ(m.editKeyDowns[VK_RETURN] + m.editKeyUps[VK_RETURN], 0) << "the menu's keys stay with the menu";

  // Esc closes the menu while it is held: its release is swallowed too.
  Tap(VK_MENU);
  m.editKeyUps.clear();
  barinput::Key(VK_ESCAPE, false);
  barinput::Settle();
  EXPECT_EQ(m.MenuWindow(), nullptr);
  barinput::Key(VK_ESCAPE, true);
  barinput::Settle();
  EXPECT_EQ(m.editKeyUps[VK_ESCAPE], 0);
  // The next key is the application's again.
  Tap('K');
  EXPECT_EQ(m.editKeyDowns['K'], 1);
  EXPECT_EQ(m.editKeyUps['K'], 1);
}

TEST(HooksAccelerators, AUniqueAltLetterClicksAnAmbiguousOneSelects) {
  TMenuForm m;
  Chord({VK_MENU}, 'E');
  EXPECT_EQ(m.clicks["Edit"], 1) << "a unique accelerator on a button clicks it";
  EXPECT_EQ(m.MenuWindow(), nullptr);

  Chord({VK_MENU}, 'F');  // "&File" and "&Find"
  EXPECT_EQ(m.TotalClicks(), 1) << "an ambiguous accelerator clicks nothing";
  EXPECT_EQ(m.MenuWindow(), m.mainBar->Control());
  EXPECT_EQ(m.Selected(), "File");
  Tap('F');
  EXPECT_EQ(m.Selected(), "Find") << "the letter again moves to the next match";
  Tap('F');
  EXPECT_EQ(m.Selected(), "File") << "and wraps";
  Tap('V');
  EXPECT_EQ(m.clicks["View"], 1) << "a unique letter inside the menu runs its item";
  EXPECT_EQ(m.MenuWindow(), nullptr);
}

TEST(HooksMouse, AClickOutsideTheOpenMenuClosesItAndStillReachesItsTarget) {
  TMenuForm m;
  Tap(VK_MENU);
  ASSERT_NE(m.MenuWindow(), nullptr);
  // A click inside the bar keeps the menu and works there.
  barinput::Click(m.ItemCenter(m.mainBar, "View"));
  EXPECT_EQ(m.clicks["View"], 1);
  Tap(VK_MENU);
  ASSERT_NE(m.MenuWindow(), nullptr);
  int mouseDowns = 0;
  m.form->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, Integer, Integer) { ++mouseDowns; };
  barinput::Click(m.form->ClientToScreen(Point(300, 200)));
  EXPECT_EQ(m.MenuWindow(), nullptr);
  EXPECT_EQ(ActiveBarControl(), nullptr);
  EXPECT_EQ(mouseDowns, 1) << "the closing click is handled by the form as usual";
  EXPECT_EQ(m.TotalClicks(), 1);
}

// Freeing a form while its menu is open must leave no menu state behind and
// take the hooks away with the last manager; a new form works as before.
TEST(HooksLifetime, FormFreedWhileAMenuIsOpenRemovesTheHooksAndLeavesNoState) {
  for (int round = 0; round < 2; ++round) {
    auto m = std::make_unique<TMenuForm>();
    Tap(VK_MENU);
    ASSERT_NE(m->MenuWindow(), nullptr);
    TdxBarManager* manager = m->manager;
    m.reset();
    EXPECT_EQ(TdxBarManager::ManagerCount(), 0);
    EXPECT_FALSE(dxBarHooksInstalled());
    EXPECT_EQ(ActiveBarControl(), nullptr);
    EXPECT_EQ(KeyboardMenuWindow(manager), nullptr);
    Tap(VK_MENU);  // no hook, nothing to reach
  }
  TMenuForm again;
  EXPECT_TRUE(dxBarHooksInstalled());
  Chord({VK_CONTROL}, 'O');
  EXPECT_EQ(again.clicks["mmOpen"], 1);
  Tap(VK_MENU);
  EXPECT_EQ(again.MenuWindow(), again.mainBar->Control());
  Tap(VK_ESCAPE);
}

// The form goes from a handler that runs inside a popup menu's own loop.
TEST(HooksLifetime, FormFreedFromInsideAPopupLoopEndsTheLoopAndRemovesTheHooks) {
  auto m = std::make_unique<TMenuForm>();
  auto* popup = new TdxBarPopupMenu(m->form.get());
  popup->ItemLinks()->Add()->SetItem(m->items["tbRefresh"]);
  bool returned = false;
  testui::TOneShot freeIt(60, [&] { m.reset(); });
  freeIt.timer->SetEnabled(true);
  popup->ShowAtPoint(200, 200);
  returned = true;
  EXPECT_TRUE(returned);
  EXPECT_EQ(m, nullptr);
  EXPECT_FALSE(dxBarHooksInstalled());
  EXPECT_EQ(ActiveBarControl(), nullptr);
}

TEST(HooksKeyboard, AnEditViewCallingTheHookItselfGetsOneWhenConsumed) {
  TMenuForm m;
  // Shift bits come from the asynchronous key state: hold Ctrl for the call.
  barinput::Key(VK_CONTROL, false);
  barinput::Settle();
  EXPECT_EQ(CallBarKeyboardHook('O', 1), 1);
  EXPECT_EQ(m.clicks["mmOpen"], 1);
  EXPECT_EQ(CallBarKeyboardHook('K', 1), 0);
  barinput::Key(VK_CONTROL, true);
  barinput::Settle();
  EXPECT_EQ(m.TotalClicks(), 1);
}

}  // namespace
