// A form's main menu (menu bar, commands, popups refreshed before showing,
// hints, shortcuts), the mouse wheel's way from the focused control up to the
// form, and F1 help through the help contexts of the parent chain.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ActnList.h"
#include "platform/ExtCtrls.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/StdCtrls.h"
#include "tests/support/ui.h"

namespace {

using Log = std::vector<std::string>;

TMenuItem* NewItem(TComponent* Owner, TMenuItem* Parent, const std::string& Caption, Log* L = nullptr,
                   TShortCut Key = 0) {
  auto* item = new TMenuItem(Owner);
  item->SetCaption(Caption);
  item->SetShortCut(Key);
  if (L) item->OnClick = [L, Caption](TObject*) { L->push_back(Caption); };
  Parent->Add(item);
  return item;
}

// A form with "File" (Open Ctrl+O, Save Ctrl+S) and "Edit" (Copy) in its
// menu bar, and an edit control with the focus.
struct TMenuForm {
  Log log;
  TForm* form;
  TMainMenu* menu;
  TMenuItem *file, *open, *save, *edit, *copy;
  TEdit* input;

  explicit TMenuForm(TFormBorderStyle Border = bsSizeable) {
    form = CreateForm<TForm>(nullptr);
    form->SetBorderStyle(Border);
    form->SetBounds(20, 20, 300, 200);
    menu = new TMainMenu(form);
    menu->SetName("MainMenu1");
    file = NewItem(form, menu->Items(), "&File", &log);
    file->SetHint("File commands|Opens, saves");
    open = NewItem(form, file, "&Open...", &log, TextToShortCut("Ctrl+O"));
    open->SetHint("Open|Opens an image");
    save = NewItem(form, file, "&Save", &log, TextToShortCut("Ctrl+S"));
    edit = NewItem(form, menu->Items(), "&Edit", &log);
    copy = NewItem(form, edit, "&Copy", &log, TextToShortCut("Ctrl+C"));
    form->SetMenu(menu);
    input = new TEdit(form);
    input->SetParent(form);
    input->SetBounds(10, 10, 100, 21);
    input->OnKeyDown = [this](TObject*, Word& Key, TShiftState) {
      log.push_back("key " + std::string(1, static_cast<char>(Key)));
    };
    form->Show();
    input->SetFocus();
    Application->ProcessMessages();
  }
  ~TMenuForm() { delete form; }
  HWND Wnd() { return form->Handle(); }
};

// Holds Ctrl (or not) in this thread's key state while it lives.
class TCtrlDown {
 public:
  explicit TCtrlDown(bool Down) {
    GetKeyboardState(keys_);
    BYTE k[256];
    std::copy(keys_, keys_ + 256, k);
    k[VK_CONTROL] = k[VK_LCONTROL] = Down ? 0x80 : 0;
    SetKeyboardState(k);
  }
  ~TCtrlDown() { SetKeyboardState(keys_); }

 private:
  BYTE keys_[256];
};

using testui::PressKey;

// F1 as the keyboard gives it: the system turns it into WM_HELP for the focus.
void PressF1() {
  INPUT in[2] = {};
  in[0].type = INPUT_KEYBOARD;
  in[0].ki.wVk = VK_F1;
  in[1] = in[0];
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  SendInput(2, in, sizeof(INPUT));
  for (int i = 0; i < 5; ++i) {
    Sleep(5);
    Application->ProcessMessages();
  }
}

std::wstring MenuText(HMENU Menu, int Pos) {
  wchar_t text[64] = {};
  GetMenuStringW(Menu, static_cast<UINT>(Pos), text, 64, MF_BYPOSITION);
  return text;
}

// ---------------------------------------------------------------------------
// The menu bar.

TEST(FormMenu, MenuBarFollowsTheItemsTheWindowAndTheMenusLife) {
  TMenuForm f;
  HMENU bar = GetMenu(f.Wnd());
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar, f.menu->Handle());
  EXPECT_EQ(GetMenuItemCount(bar), 2);
  EXPECT_EQ(MenuText(bar, 0), L"&File");
  EXPECT_EQ(MenuText(GetSubMenu(bar, 0), 0), L"&Open...\tCtrl+O");

  // Items added later show in the window's bar.
  NewItem(f.form, f.menu->Items(), "&Help");
  EXPECT_EQ(GetMenuItemCount(GetMenu(f.Wnd())), 3);
  EXPECT_EQ(MenuText(GetMenu(f.Wnd()), 2), L"&Help");

  // A new window gets the menu again; a dialog border shows none.
  f.form->SetBorderStyle(bsSingle);
  ASSERT_NE(GetMenu(f.Wnd()), nullptr);
  EXPECT_EQ(GetMenuItemCount(GetMenu(f.Wnd())), 3);
  f.form->SetBorderStyle(bsDialog);
  EXPECT_EQ(GetMenu(f.Wnd()), nullptr);
  f.form->SetBorderStyle(bsSizeable);
  EXPECT_EQ(GetMenu(f.Wnd()), f.menu->Handle());

  // One menu, one form.
  TForm* other = CreateForm<TForm>(nullptr);
  EXPECT_THROW(other->SetMenu(f.menu), EInvalidOperation);
  delete other;

  // Detaching, attaching, and freeing the menu takes it off the window.
  f.form->SetMenu(nullptr);
  EXPECT_EQ(GetMenu(f.Wnd()), nullptr);
  f.form->SetMenu(f.menu);
  EXPECT_EQ(GetMenu(f.Wnd()), f.menu->Handle());
  delete f.menu;
  EXPECT_EQ(f.form->Menu(), nullptr);
  EXPECT_EQ(GetMenu(f.Wnd()), nullptr);
}

TEST(FormMenu, MenuOutlivesTheFormThatShowedIt) {
  TMainMenu menu(nullptr);
  NewItem(&menu, menu.Items(), "&File");
  TForm* form = CreateForm<TForm>(nullptr);
  form->SetMenu(&menu);
  form->Show();
  HMENU bar = GetMenu(form->Handle());
  ASSERT_EQ(bar, menu.Handle());
  delete form;  // the window goes; its menu must not go with it
  EXPECT_EQ(menu.WindowHandle(), nullptr);
  EXPECT_TRUE(IsMenu(menu.Handle()));
  EXPECT_EQ(GetMenuItemCount(menu.Handle()), 1);
  // Another form can take it now.
  TForm* next = CreateForm<TForm>(nullptr);
  next->SetMenu(&menu);
  next->Show();
  EXPECT_EQ(GetMenu(next->Handle()), menu.Handle());
  delete next;
}

TEST(FormMenu, ClientSizeLeavesRoomForTheMenuBar) {
  TForm* form = CreateForm<TForm>(nullptr);
  auto* menu = new TMainMenu(form);
  NewItem(form, menu->Items(), "&File");
  form->SetMenu(menu);
  form->SetClientSize(200, 100);  // before the window exists
  form->Show();
  EXPECT_EQ(form->ClientWidth(), 200);
  EXPECT_EQ(form->ClientHeight(), 100);
  delete form;
}

TEST(FormMenu, CommandsFromTheMenuClickTheirItems) {
  TMenuForm f;
  ::SendMessageW(f.Wnd(), WM_COMMAND, MAKEWPARAM(f.open->Command(), 0), 0);
  EXPECT_EQ(f.log, (Log{"&Open..."}));
  f.save->SetEnabled(false);
  ::SendMessageW(f.Wnd(), WM_COMMAND, MAKEWPARAM(f.save->Command(), 0), 0);
  ::SendMessageW(f.Wnd(), WM_COMMAND, MAKEWPARAM(0xEFFF, 0), 0);  // nobody's
  EXPECT_EQ(f.log, (Log{"&Open..."}));

  // An exception in the handler goes to the application.
  std::vector<std::string> errors;
  Application->OnException = [&](TObject*, const Exception& E) { errors.push_back(E.Message()); };
  f.copy->OnClick = [](TObject*) { throw Exception("copy failed"); };
  ::SendMessageW(f.Wnd(), WM_COMMAND, MAKEWPARAM(f.copy->Command(), 0), 0);
  Application->OnException = nullptr;
  EXPECT_EQ(errors, (std::vector<std::string>{"copy failed"}));
}

TEST(FormMenu, PopupIsRefreshedByItsItemBeforeShowing) {
  TMenuForm f;
  f.save->SetEnabled(false);
  // Opening "File" runs its OnClick, which updates the sub-items.
  f.file->OnClick = [&](TObject*) {
    f.log.push_back("file");
    f.save->SetEnabled(true);
    NewItem(f.form, f.file, "E&xit");
  };
  HMENU bar = GetMenu(f.Wnd());
  HMENU popup = GetSubMenu(bar, 0);
  ASSERT_EQ(GetMenuItemCount(popup), 2);
  ::SendMessageW(f.Wnd(), WM_ENTERMENULOOP, 0, 0);
  ::SendMessageW(f.Wnd(), WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
  ::SendMessageW(f.Wnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), MAKELPARAM(0, FALSE));
  EXPECT_EQ(f.log, (Log{"file"}));
  // The same menus, still in use, now show the items as they are.
  EXPECT_EQ(GetMenu(f.Wnd()), bar);
  ASSERT_EQ(GetMenuItemCount(popup), 3);
  EXPECT_EQ(MenuText(popup, 2), L"E&xit");
  EXPECT_EQ(GetMenuState(popup, 1, MF_BYPOSITION) & MF_GRAYED, 0u);
  // Hints of the items under the cursor.
  ::SendMessageW(f.Wnd(), WM_MENUSELECT, MAKEWPARAM(f.open->Command(), MF_STRING | MF_HILITE),
                 reinterpret_cast<LPARAM>(popup));
  EXPECT_EQ(Application->Hint(), "Opens an image");
  ::SendMessageW(f.Wnd(), WM_MENUSELECT, MAKEWPARAM(0, MF_POPUP | MF_HILITE), reinterpret_cast<LPARAM>(bar));
  EXPECT_EQ(Application->Hint(), "Opens, saves");
  ::SendMessageW(f.Wnd(), WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  EXPECT_EQ(Application->Hint(), "");
  // Once the tracking ends the bar is built anew.
  ::SendMessageW(f.Wnd(), WM_EXITMENULOOP, 0, 0);
  HMENU rebuilt = GetMenu(f.Wnd());
  ASSERT_NE(rebuilt, nullptr);
  EXPECT_NE(rebuilt, bar);
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(rebuilt, 0)), 3);
  // Another window's popup is not ours: nothing runs.
  HMENU foreign = CreatePopupMenu();
  ::SendMessageW(f.Wnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(foreign), 0);
  DestroyMenu(foreign);
  EXPECT_EQ(f.log, (Log{"file"}));
}

TEST(FormMenu, KeyboardOpensTheBarAndChoosesAnItem) {
  TMenuForm f;
  f.file->OnClick = [&](TObject*) {
    f.log.push_back("file");
    NewItem(f.form, f.file, "E&xit");  // changes the menu while it is tracked
  };
  // Alt, then Down opens "File", Enter chooses its first item.
  std::vector<INPUT> keys;
  for (WORD k : {VK_MENU, VK_DOWN, VK_RETURN})
    for (DWORD flags : {0ul, static_cast<DWORD>(KEYEVENTF_KEYUP)}) {
      INPUT in{};
      in.type = INPUT_KEYBOARD;
      in.ki.wVk = k;
      in.ki.dwFlags = flags;
      keys.push_back(in);
    }
  SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
  for (int i = 0; i < 20 && f.log.size() < 3; ++i) {
    Sleep(10);
    Application->ProcessMessages();
  }
  // The edit saw Alt go down, as any key.
  EXPECT_EQ(f.log, (Log{"key \x12", "file", "&Open..."}));
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(GetMenu(f.Wnd()), 0)), 3);
}

// ---------------------------------------------------------------------------
// Shortcuts.

TEST(FormMenu, ShortCutsOfTheMainMenu) {
  struct Case {
    const char* Name;
    Word Key;
    bool Ctrl;
    bool SaveEnabled;
    bool FormTakesIt;  // OnShortCut answers
    Log Want;
  };
  const Case cases[] = {
      {"item fires after its parent", 'O', true, true, false, {"&File", "&Open..."}},
      {"disabled item: nothing, key taken", 'S', true, false, false, {"&File"}},
      {"enabled item", 'S', true, true, false, {"&File", "&Save"}},
      {"nobody's shortcut reaches the control", 'Q', true, true, false, {"key Q"}},
      {"no Ctrl: a plain key", 'O', false, true, false, {"key O"}},
      {"OnShortCut first", 'O', true, true, true, {"form"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TMenuForm f;
    f.save->SetEnabled(c.SaveEnabled);
    if (c.FormTakesIt)
      f.form->OnShortCut = [&](TMessage&, bool& Handled) {
        f.log.push_back("form");
        Handled = true;
      };
    {
      TCtrlDown ctrl(c.Ctrl);
      PressKey(f.input->Handle(), c.Key);
    }
    EXPECT_EQ(f.log, c.Want);
  }
}

TEST(FormMenu, ParentClickCanEnableTheItemAndDialogFormsHaveNoShortCuts) {
  {
    TMenuForm f;
    f.save->SetEnabled(false);
    f.file->OnClick = [&](TObject*) { f.save->SetEnabled(true); };
    TCtrlDown ctrl(true);
    PressKey(f.input->Handle(), 'S');
    EXPECT_EQ(f.log, (Log{"&Save"}));
  }
  {
    TMenuForm f(bsDialog);  // the menu is not shown, nor are its shortcuts live
    EXPECT_EQ(GetMenu(f.Wnd()), nullptr);
    TCtrlDown ctrl(true);
    PressKey(f.input->Handle(), 'O');
    EXPECT_EQ(f.log, (Log{"key O"}));
  }
}

TEST(FormMenu, ActionsOfTheItemsAreUpdatedBeforeShortCutsAndPopups) {
  TMenuForm f;
  auto* list = new TActionList(f.form);
  auto* run = new TAction(f.form);
  run->SetActionList(list);
  run->SetCaption("&Run");
  run->SetShortCut(TextToShortCut("Ctrl+R"));
  bool canRun = false;
  run->OnUpdate = [&](TObject*) { run->SetEnabled(canRun); };
  run->OnExecute = [&](TObject*) { f.log.push_back("run"); };
  auto* item = NewItem(f.form, f.file, "");
  item->SetAction(run);
  f.file->OnClick = nullptr;

  // Opening the menu shows the item as its action says now.
  HMENU popup = GetSubMenu(GetMenu(f.Wnd()), 0);
  ::SendMessageW(f.Wnd(), WM_ENTERMENULOOP, 0, 0);
  ::SendMessageW(f.Wnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
  EXPECT_FALSE(item->Enabled());
  EXPECT_NE(GetMenuState(popup, 2, MF_BYPOSITION) & MF_GRAYED, 0u);
  ::SendMessageW(f.Wnd(), WM_EXITMENULOOP, 0, 0);
  // Outside a menu loop the bar itself is brought up to date at once.
  canRun = true;
  ::SendMessageW(f.Wnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(GetSubMenu(GetMenu(f.Wnd()), 0)), 0);
  EXPECT_TRUE(item->Enabled());
  EXPECT_EQ(GetMenuState(GetSubMenu(GetMenu(f.Wnd()), 0), 2, MF_BYPOSITION) & MF_GRAYED, 0u);
  canRun = false;

  // The shortcut asks the action before it runs it.
  TCtrlDown ctrl(true);
  PressKey(f.input->Handle(), 'R');
  EXPECT_EQ(f.log, Log{});
  canRun = true;
  PressKey(f.input->Handle(), 'R');
  EXPECT_EQ(f.log, (Log{"run"}));
}

// ---------------------------------------------------------------------------
// The mouse wheel.

// A windowless control that must never see the wheel.
class TMark : public TGraphicControl {
 public:
  explicit TMark(TComponent* AOwner) : TGraphicControl(AOwner) {}
};

struct TWheelForm {
  Log log;
  TForm* form;
  TPanel* panel;
  TEdit* edit;
  TMark* mark;
  // Who answers Handled = true.
  bool editTakes = false, panelTakes = false, formTakes = false;

  TWheelForm() {
    form = CreateForm<TForm>(nullptr);
    form->SetBounds(40, 40, 300, 200);
    panel = new TPanel(form);
    panel->SetParent(form);
    panel->SetBounds(10, 10, 250, 150);
    edit = new TEdit(form);
    edit->SetParent(panel);
    edit->SetBounds(10, 10, 100, 21);
    mark = new TMark(form);
    mark->SetParent(panel);
    mark->SetBounds(0, 0, 250, 150);
    auto hook = [this](TControl* C, const char* Name, bool* Takes) {
      C->OnMouseWheel = [this, Name, Takes](TObject*, TShiftState, Integer Delta, TPoint Pos, bool& Handled) {
        log.push_back(std::string(Name) + " " + std::to_string(Delta) + " @" + std::to_string(Pos.X) + "," +
                      std::to_string(Pos.Y));
        Handled = *Takes;
      };
    };
    hook(edit, "edit", &editTakes);
    hook(panel, "panel", &panelTakes);
    hook(form, "form", &formTakes);
    hook(mark, "mark", &editTakes);
    form->Show();
    edit->SetFocus();
    Application->ProcessMessages();
  }
  ~TWheelForm() { delete form; }

  LRESULT Wheel(Integer Delta) {
    // Screen point over the windowless control.
    TPoint p = panel->ClientToScreen(Point(200, 100));
    return ::SendMessageW(edit->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(Delta)),
                          MAKELPARAM(p.X, p.Y));
  }
  std::string At() {
    TPoint p = panel->ClientToScreen(Point(200, 100));
    return " @" + std::to_string(p.X) + "," + std::to_string(p.Y);
  }
};

TEST(FormMenu, WheelClimbsFromTheFocusedControlToTheForm) {
  struct Case {
    const char* Name;
    bool Edit, Panel, Form;
    std::vector<const char*> Want;
  };
  const Case cases[] = {
      {"control takes it", true, false, false, {"edit"}},
      {"parent takes it", false, true, false, {"edit", "panel"}},
      {"form takes it", false, false, true, {"edit", "panel", "form"}},
      {"nobody: default handling, each asked once", false, false, false, {"edit", "panel", "form"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TWheelForm f;
    ASSERT_TRUE(f.edit->Focused());
    f.editTakes = c.Edit;
    f.panelTakes = c.Panel;
    f.formTakes = c.Form;
    LRESULT r = f.Wheel(-120);
    Log want;
    for (const char* w : c.Want) want.push_back(std::string(w) + " -120" + f.At());
    EXPECT_EQ(f.log, want);
    EXPECT_EQ(r != 0, c.Edit || c.Panel || c.Form);
  }
}

TEST(FormMenu, WheelFromTheMouseReachesTheFocusedControlFirst) {
  TWheelForm f;
  f.panelTakes = true;
  // Whichever window the system gives it (the focus or the one under the
  // cursor), the chain starts at the focused control.
  TPoint p = f.panel->ClientToScreen(Point(200, 100));
  SetCursorPos(p.X, p.Y);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = MOUSEEVENTF_WHEEL;
  in.mi.mouseData = static_cast<DWORD>(-WHEEL_DELTA);
  SendInput(1, &in, sizeof(INPUT));
  for (int i = 0; i < 20 && f.log.size() < 2; ++i) {
    Sleep(5);
    Application->ProcessMessages();
  }
  EXPECT_EQ(f.log, (Log{"edit -120" + f.At(), "panel -120" + f.At()}));
}

TEST(FormMenu, WheelNotchesAddUpToWholeDownAndUpCalls) {
  TWheelForm f;
  Log notches;
  f.edit->OnMouseWheel = nullptr;
  f.edit->OnMouseWheelDown = [&](TObject*, TShiftState, TPoint, bool& Handled) {
    notches.push_back("down");
    Handled = true;
  };
  f.edit->OnMouseWheelUp = [&](TObject*, TShiftState, TPoint, bool& Handled) {
    notches.push_back("up");
    Handled = true;
  };
  struct Step {
    Integer Delta;
    Log Want;  // notches added
    bool Taken;
  };
  const Step steps[] = {
      {-240, {"down", "down"}, true},
      {60, {}, false},  // half a notch: passed on to the parents
      {60, {"up"}, true},
      {120, {"up"}, true},
      {-30, {}, false},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.Delta);
    notches.clear();
    f.log.clear();
    LRESULT r = f.Wheel(s.Delta);
    EXPECT_EQ(notches, s.Want);
    EXPECT_EQ(r != 0, s.Taken);
    // What the control did not take went up to the panel and the form.
    EXPECT_EQ(f.log.size(), s.Taken ? 0u : 2u);
  }
}

// ---------------------------------------------------------------------------
// Help.

struct THelpCall {
  Word Command;
  LONG_PTR Data;
  bool operator==(const THelpCall&) const = default;
};

TEST(FormMenu, F1AsksForTheHelpContextOfTheControlItsParentsOrTheForm) {
  struct Case {
    const char* Name;
    Integer Edit, Panel, Form;
    std::vector<THelpCall> Want;
  };
  const Case cases[] = {
      {"control's own", 30, 20, 10, {{HELP_CONTEXT, 30}}},
      {"parent's", 0, 20, 10, {{HELP_CONTEXT, 20}}},
      {"form's", 0, 0, 10, {{HELP_CONTEXT, 10}}},
      {"none: no help", 0, 0, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    TWheelForm f;
    f.edit->SetHelpContext(c.Edit);
    f.panel->SetHelpContext(c.Panel);
    f.form->SetHelpContext(c.Form);
    std::vector<THelpCall> calls;
    Application->OnHelp = [&](Word Command, LONG_PTR Data, bool& CallHelp) {
      calls.push_back({Command, Data});
      CallHelp = false;
    };
    PressF1();
    Application->OnHelp = nullptr;
    EXPECT_EQ(calls, c.Want);
  }
}

TEST(FormMenu, HelpGoesToTheActiveFormThenTheApplicationThenTheHelpFile) {
  TWheelForm f;
  f.form->SetHelpContext(7);
  ASSERT_EQ(Screen->ActiveCustomForm(), f.form);
  Log calls;
  Application->OnHelp = [&](Word, LONG_PTR, bool& CallHelp) {
    calls.push_back("application");
    CallHelp = false;
  };
  f.form->OnHelp = [&](Word, LONG_PTR, bool& CallHelp) {
    calls.push_back("form");
    CallHelp = false;
  };
  EXPECT_TRUE(Application->HelpContext(7));
  EXPECT_EQ(calls, (Log{"form"}));
  f.form->OnHelp = nullptr;
  EXPECT_TRUE(Application->HelpJump("topic"));
  EXPECT_EQ(calls, (Log{"form", "application"}));

  // A handler that leaves the help to the help file; without a help file
  // there is no help, and with one the missing viewer is reported.
  Application->OnHelp = [&](Word, LONG_PTR, bool&) { calls.push_back("passes"); };
  EXPECT_FALSE(Application->HelpContext(7));
  f.form->SetHelpFile("Z:\\nowhere\\editor.hlp");
  try {
    Application->HelpContext(7);
    ADD_FAILURE() << "no error";
  } catch (const EHelpSystemException& E) {
    EXPECT_NE(E.Message().find("editor.hlp"), std::string::npos) << E.Message();
  }
  EXPECT_FALSE(Application->HelpCommand(HELP_QUIT, 0));

  // F1 in the window: the report reaches the user through the application.
  std::vector<std::string> errors;
  Application->OnException = [&](TObject*, const Exception& E) { errors.push_back(E.Message()); };
  PressF1();
  Application->OnException = nullptr;
  Application->OnHelp = nullptr;
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].find("no help viewer"), std::string::npos);

  // A help button on the border asks for popup help at the control.
  f.form->SetHelpFile("");
  f.form->SetBorderIcons(TBorderIcons{biSystemMenu, biHelp});
  f.edit->SetFocus();
  std::vector<THelpCall> popup;
  Application->OnHelp = [&](Word Command, LONG_PTR Data, bool& CallHelp) {
    popup.push_back({Command, Data});
    CallHelp = false;
  };
  PressF1();
  Application->OnHelp = nullptr;
  TPoint p = f.form->ClientToScreen(Point(0, 0));
  EXPECT_EQ(popup, (std::vector<THelpCall>{{HELP_SETPOPUP_POS, MAKELONG(p.X, p.Y)}, {HELP_CONTEXTPOPUP, 7}}));
}

}  // namespace

// ---------------------------------------------------------------------------
// F1 in the open main menu asks for the help context of the highlighted item.
namespace {

// Presses Keys and then Escape twice, all queued at once: the menu's own loop
// takes them while it runs.
void SendKeysThenClose(std::initializer_list<WORD> Keys) {
  std::vector<WORD> all(Keys);
  all.push_back(VK_ESCAPE);
  all.push_back(VK_ESCAPE);
  std::vector<INPUT> keys;
  for (WORD k : all)
    for (DWORD flags : {0ul, static_cast<DWORD>(KEYEVENTF_KEYUP)}) {
      INPUT in{};
      in.type = INPUT_KEYBOARD;
      in.ki.wVk = k;
      in.ki.dwFlags = flags;
      keys.push_back(in);
    }
  SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof(INPUT));
  for (int i = 0; i < 10; ++i) {
    Sleep(10);
    Application->ProcessMessages();
  }
}

TEST(FormMenu, F1InTheOpenMenuAsksForTheHighlightedItemsContext) {
  struct TCase {
    const char* Name;
    std::initializer_list<WORD> Keys;  // ends with F1 over the item
    Integer Open, Save, File;
    std::vector<THelpCall> Expected;
  };
  const TCase cases[] = {
      {"first item", {VK_MENU, VK_DOWN, VK_F1}, 21, 22, 20, {{HELP_CONTEXT, 21}}},
      {"second item", {VK_MENU, VK_DOWN, VK_DOWN, VK_F1}, 21, 22, 20, {{HELP_CONTEXT, 22}}},
      {"bar item", {VK_MENU, VK_F1}, 21, 22, 20, {{HELP_CONTEXT, 20}}},
      {"from the parent", {VK_MENU, VK_DOWN, VK_DOWN, VK_F1}, 21, 0, 20, {{HELP_CONTEXT, 20}}},
      {"none anywhere", {VK_MENU, VK_DOWN, VK_F1}, 0, 0, 0, {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TMenuForm f;
    f.open->SetHelpContext(c.Open);
    f.save->SetHelpContext(c.Save);
    f.file->SetHelpContext(c.File);
    f.form->SetHelpContext(99);  // not the menu's
    std::vector<THelpCall> calls;
    Application->OnHelp = [&](Word Command, LONG_PTR Data, bool& CallHelp) {
      calls.push_back({Command, Data});
      CallHelp = false;
    };
    SendKeysThenClose(c.Keys);
    Application->OnHelp = nullptr;
    EXPECT_EQ(calls, c.Expected);
  }

  // Asked for outside the menu's loop, the message's identifier names the item.
  TMenuForm f;
  f.save->SetHelpContext(31);
  std::vector<THelpCall> calls;
  Application->OnHelp = [&](Word Command, LONG_PTR Data, bool& CallHelp) {
    calls.push_back({Command, Data});
    CallHelp = false;
  };
  HELPINFO info{};
  info.cbSize = sizeof(info);
  info.iContextType = HELPINFO_MENUITEM;
  info.iCtrlId = static_cast<int>(f.save->Command());
  SendMessageW(f.Wnd(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
  info.iCtrlId = -1;  // no item
  SendMessageW(f.Wnd(), WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
  Application->OnHelp = nullptr;
  EXPECT_EQ(calls, (std::vector<THelpCall>{{HELP_CONTEXT, 31}}));
}

TEST(FormMenu, MenuItemHelpContextFollowsItsAction) {
  TMenuItem item(nullptr);
  TAction action(nullptr);
  action.SetHelpContext(5);
  item.SetAction(&action);
  EXPECT_EQ(item.HelpContext(), 5);
  action.SetHelpContext(6);
  EXPECT_EQ(item.HelpContext(), 6);
  item.SetHelpContext(8);  // its own from now on
  action.SetHelpContext(7);
  EXPECT_EQ(item.HelpContext(), 8);
  item.SetAction(nullptr);
}

}  // namespace

// ---------------------------------------------------------------------------
// Handlers that free items or the menu while a shortcut or a popup runs them.
// (Run with WINEDEBUG=warn+heap to see freed memory poisoned.)
namespace {

TEST(FormMenu, ShortCutSurvivesHandlersThatFreeItemsOrTheMenu) {
  struct TCase {
    const char* Name;
    char Key;
    std::function<void(TMenuForm&)> Arrange;
    Log Want;
  };
  const TCase cases[] = {
      {"parent rebuilds its sub-items: the new item with the key runs", 'O',
       [](TMenuForm& f) {
         f.file->OnClick = [&f](TObject*) {
           f.log.push_back("&File");
           while (f.file->Count() > 0) delete f.file->Items(f.file->Count() - 1);
           NewItem(f.form, f.file, "&Open again", &f.log, TextToShortCut("Ctrl+O"));
         };
       },
       {"&File", "&Open again"}},
      {"parent drops the item: nothing more runs, the key is taken", 'S',
       [](TMenuForm& f) {
         f.file->OnClick = [&f](TObject*) {
           f.log.push_back("&File");
           delete f.save;
         };
       },
       {"&File"}},
      {"parent frees itself", 'S',
       [](TMenuForm& f) {
         f.file->OnClick = [&f](TObject*) {
           f.log.push_back("&File");
           delete f.file;
         };
       },
       {"&File"}},
      {"item frees itself", 'S',
       [](TMenuForm& f) {
         f.save->OnClick = [&f](TObject*) {
           f.log.push_back("&Save");
           delete f.save;
         };
       },
       {"&File", "&Save"}},
      {"item frees the whole menu", 'S',
       [](TMenuForm& f) {
         f.save->OnClick = [&f](TObject*) {
           f.log.push_back("&Save");
           delete f.menu;
         };
       },
       {"&File", "&Save"}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TMenuForm f;
    c.Arrange(f);
    {
      TCtrlDown ctrl(true);
      PressKey(f.input->Handle(), static_cast<Word>(c.Key));
    }
    EXPECT_EQ(f.log, c.Want);
  }
}

TEST(FormMenu, PopupSurvivesAnItemThatFreesItselfOrSwapsTheMenu) {
  // A top-level item that removes itself: the popup is left alone, and the
  // bar is rebuilt without it once the refresh is over.
  {
    TMenuForm f;
    f.file->OnClick = [&f](TObject*) {
      f.log.push_back("file");
      delete f.file;
    };
    HMENU popup = GetSubMenu(GetMenu(f.Wnd()), 0);
    ::SendMessageW(f.Wnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    EXPECT_EQ(f.log, (Log{"file"}));
    EXPECT_FALSE(f.menu->Tracking());
    ASSERT_NE(GetMenu(f.Wnd()), nullptr);
    EXPECT_EQ(GetMenuItemCount(GetMenu(f.Wnd())), 1);
    EXPECT_EQ(MenuText(GetMenu(f.Wnd()), 0), L"&Edit");
  }
  // The item gives the form another menu: the tracking ends on the menu it
  // was set on, and the new menu is not filled into the old popup.
  {
    TMenuForm f;
    auto* other = new TMainMenu(f.form);
    NewItem(f.form, other->Items(), "&View");
    f.file->OnClick = [&](TObject*) {
      f.log.push_back("file");
      f.form->SetMenu(other);
    };
    HMENU popup = GetSubMenu(GetMenu(f.Wnd()), 0);
    ::SendMessageW(f.Wnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    EXPECT_EQ(f.log, (Log{"file"}));
    EXPECT_FALSE(f.menu->Tracking());
    EXPECT_FALSE(other->Tracking());
    EXPECT_EQ(f.form->Menu(), other);
    ASSERT_NE(GetMenu(f.Wnd()), nullptr);
    EXPECT_EQ(MenuText(GetMenu(f.Wnd()), 0), L"&View");
    // The old menu's changes are no longer held back.
    f.edit->SetCaption("&Changed");
    f.form->SetMenu(f.menu);
    EXPECT_EQ(MenuText(GetMenu(f.Wnd()), 1), L"&Changed");
  }
  // The item frees the whole menu.
  {
    TMenuForm f;
    f.file->OnClick = [&f](TObject*) {
      f.log.push_back("file");
      delete f.menu;
    };
    HMENU popup = GetSubMenu(GetMenu(f.Wnd()), 0);
    ::SendMessageW(f.Wnd(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 0);
    EXPECT_EQ(f.log, (Log{"file"}));
    EXPECT_EQ(f.form->Menu(), nullptr);
    EXPECT_EQ(GetMenu(f.Wnd()), nullptr);
  }
}

}  // namespace
