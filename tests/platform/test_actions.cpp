// Action clients: controls and menu items that show an action's state and run
// its command, headless through messages and clicks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ActnList.h"
#include "platform/FormReader.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/StdCtrls.h"
#include "platform/TypInfo.h"
#include "tests/support/ui.h"

namespace {

using testui::NewForm;

std::string MenuText(HMENU Menu, UINT Command) {
  wchar_t buf[128] = {};
  GetMenuStringW(Menu, Command, buf, 128, MF_BYCOMMAND);
  return WideToUtf8(buf);
}

// Exposes ActionChange to drive it with either CheckDefaults.
class TProbeButton : public TButton {
 public:
  using TButton::TButton;
  using TButton::ActionChange;
};

// ---------------------------------------------------------------------------
TEST(ActionLinks, ActionChangesReachLinkedButtonAndMenuItem) {
  TForm* form = NewForm();
  auto* list = new TActionList(form);
  auto* act = new TAction(form);
  act->SetActionList(list);
  act->SetCaption("&Save");
  act->SetHint("Save the file");
  act->SetShortCut(TextToShortCut("Ctrl+S"));
  auto* button = new TButton(form);
  button->SetParent(form);
  TMainMenu menu(nullptr);
  auto* item = new TMenuItem(&menu);
  menu.Items()->Add(item);

  button->SetAction(act);
  item->SetAction(act);
  EXPECT_EQ(button->Action(), act);
  EXPECT_TRUE(button->ControlStyle().Contains(csActionClient));
  EXPECT_EQ(act->ClientCount(), 2);
  EXPECT_EQ(button->Caption(), "&Save");
  EXPECT_EQ(button->Hint(), "Save the file");
  EXPECT_EQ(item->Caption(), "&Save");
  EXPECT_EQ(item->ShortCut(), TextToShortCut("Ctrl+S"));
  form->Show();
  EXPECT_EQ(MenuText(menu.Handle(), item->Command()), "&Save\tCtrl+S");

  // Later changes arrive property by property, in the window and the menu too.
  act->SetCaption("Save &As...");
  act->SetEnabled(false);
  act->SetChecked(true);
  act->SetImageIndex(4);
  act->SetVisible(false);
  act->SetHelpContext(12);
  EXPECT_EQ(button->Caption(), "Save &As...");
  wchar_t text[64];
  GetWindowTextW(button->Handle(), text, 64);
  EXPECT_STREQ(text, L"Save &As...");
  EXPECT_FALSE(button->Enabled());
  EXPECT_FALSE(IsWindowEnabled(button->Handle()));
  EXPECT_FALSE(button->Visible());
  EXPECT_EQ(button->HelpContext(), 12);
  EXPECT_EQ(item->Caption(), "Save &As...");
  EXPECT_FALSE(item->Enabled());
  EXPECT_TRUE(item->Checked());
  EXPECT_EQ(item->ImageIndex(), 4);
  EXPECT_FALSE(item->Visible());
  act->SetVisible(true);
  EXPECT_EQ(MenuText(menu.Handle(), item->Command()), "Save &As...\tCtrl+S");
  EXPECT_EQ(GetMenuState(menu.Handle(), item->Command(), MF_BYCOMMAND) & (MF_GRAYED | MF_CHECKED),
            static_cast<UINT>(MF_GRAYED | MF_CHECKED));

  // A value changed on the client itself no longer follows the action; the rest still does.
  button->SetCaption("Keep");
  item->SetHint("own hint");
  act->SetCaption("&Write");
  act->SetHint("Write it");
  act->SetEnabled(true);
  EXPECT_EQ(button->Caption(), "Keep");
  EXPECT_EQ(button->Hint(), "Write it");
  EXPECT_TRUE(button->Enabled());
  EXPECT_EQ(item->Caption(), "&Write");
  EXPECT_EQ(item->Hint(), "own hint");

  // A new OnExecute reaches the clients whose click was the old one.
  int runs = 0;
  act->SetOnExecute([&](TObject*) { ++runs; });
  EXPECT_TRUE(button->OnClick == act->OnExecute);
  EXPECT_TRUE(item->OnClick == act->OnExecute);
  item->Click();
  EXPECT_EQ(runs, 1);

  // Unlinking keeps the values and stops following.
  button->SetAction(nullptr);
  EXPECT_FALSE(button->ControlStyle().Contains(csActionClient));
  EXPECT_EQ(act->ClientCount(), 1);
  act->SetHint("later");
  EXPECT_EQ(button->Hint(), "Write it");
  EXPECT_EQ(item->Hint(), "own hint");
  delete form;
}

TEST(ActionLinks, CheckDefaultsOnlyFillsValuesStillAtTheirDefaults) {
  struct Case {
    bool CheckDefaults;
    bool Customised;
    bool TakesAction;
  };
  const Case cases[] = {
      {false, false, true},
      {false, true, true},
      {true, false, true},
      {true, true, false},
  };
  TAction act(nullptr);
  act.SetCaption("Act");
  act.SetHint("act hint");
  act.SetHelpContext(3);
  int actRuns = 0, ownRuns = 0;
  act.OnExecute = [&](TObject*) { ++actRuns; };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "CheckDefaults " << c.CheckDefaults << " customised " << c.Customised);
    TProbeButton b(nullptr);
    if (c.Customised) {
      b.SetCaption("Mine");
      b.SetEnabled(false);
      b.SetHint("mine");
      b.SetVisible(false);
      b.SetHelpContext(7);
      b.OnClick = [&](TObject*) { ++ownRuns; };
    }
    b.ActionChange(&act, c.CheckDefaults);
    EXPECT_EQ(b.Caption(), c.TakesAction ? "Act" : "Mine");
    EXPECT_EQ(b.Enabled(), c.TakesAction);
    EXPECT_EQ(b.Hint(), c.TakesAction ? "act hint" : "mine");
    EXPECT_EQ(b.Visible(), c.TakesAction);
    EXPECT_EQ(b.HelpContext(), c.TakesAction ? 3 : 7);
    EXPECT_EQ(b.OnClick == act.OnExecute, c.TakesAction);
  }
  // A caption equal to the control's name counts as a default one.
  TProbeButton named(nullptr);
  named.SetName("btnNamed");
  named.SetCaption("btnNamed");
  named.ActionChange(&act, true);
  EXPECT_EQ(named.Caption(), "Act");
  // Not a TCustomAction: nothing to copy.
  TBasicAction basic(nullptr);
  named.SetCaption("x");
  named.ActionChange(&basic, false);
  EXPECT_EQ(named.Caption(), "x");
}

TEST(ActionLinks, ClickRunsTheActionUnlessTheControlHasItsOwnHandler) {
  TForm* form = NewForm();
  TActionList list(nullptr);
  TAction act(nullptr);
  act.SetActionList(&list);
  act.SetCaption("Go");
  std::vector<TComponent*> ranFor;
  act.OnExecute = [&](TObject*) { ranFor.push_back(act.ActionComponent()); };
  bool allowed = true;
  int updates = 0;
  act.OnUpdate = [&](TObject*) {
    ++updates;
    act.SetEnabled(allowed);
  };
  auto* button = new TButton(form);
  button->SetParent(form);
  button->SetAction(&act);
  form->Show();

  // OnClick is the action's: the click goes through the action (update first).
  SendMessageW(button->Handle(), BM_CLICK, 0, 0);
  ASSERT_EQ(ranFor.size(), 1u);
  EXPECT_EQ(ranFor[0], button);
  EXPECT_EQ(updates, 1);
  EXPECT_EQ(act.ActionComponent(), nullptr);
  // The update may disable the action: then nothing runs, and the button follows.
  allowed = false;
  button->Click();
  EXPECT_EQ(ranFor.size(), 1u);
  EXPECT_FALSE(button->Enabled());
  allowed = true;

  // An OnClick of its own is called instead of the action.
  int own = 0;
  button->OnClick = [&](TObject*) { ++own; };
  button->Click();
  EXPECT_EQ(own, 1);
  EXPECT_EQ(ranFor.size(), 1u);
  // Without any OnClick the action still runs.
  button->OnClick = TNotifyEvent();
  button->Click();
  EXPECT_EQ(ranFor.size(), 2u);

  // Menu items: the command of the item runs the action, with the item as ActionComponent.
  TPopupMenu menu(nullptr);
  auto* item = new TMenuItem(&menu);
  menu.Items()->Add(item);
  item->SetAction(&act);
  EXPECT_TRUE(menu.DispatchCommand(item->Command()));
  ASSERT_EQ(ranFor.size(), 3u);
  EXPECT_EQ(ranFor[2], item);
  // A shortcut of the action reaches the item too.
  act.SetShortCut(TextToShortCut("F7"));
  EXPECT_TRUE(menu.IsShortCut(VK_F7));
  EXPECT_EQ(ranFor.size(), 4u);
  delete form;
}

TEST(ActionLinks, DestroyingEitherSideUnlinks) {
  // The action goes first: the clients drop their Action.
  {
    TForm* form = NewForm();
    auto* act = new TAction(nullptr);
    act->SetCaption("Gone");
    auto* button = new TButton(form);
    button->SetParent(form);
    button->SetAction(act);
    TMainMenu menu(nullptr);
    auto* item = new TMenuItem(&menu);
    menu.Items()->Add(item);
    item->SetAction(act);
    delete act;
    EXPECT_EQ(button->Action(), nullptr);
    EXPECT_EQ(button->ActionLink(), nullptr);
    EXPECT_FALSE(button->ControlStyle().Contains(csActionClient));
    EXPECT_EQ(item->Action(), nullptr);
    EXPECT_EQ(item->ActionLink(), nullptr);
    EXPECT_EQ(button->Caption(), "Gone");
    button->Click();  // no action any more
    item->Click();
    delete form;
  }
  // The clients go first: the action forgets them.
  {
    TAction act(nullptr);
    auto* button = new TButton(nullptr);
    auto* item = new TMenuItem(nullptr);
    button->SetAction(&act);
    item->SetAction(&act);
    EXPECT_EQ(act.ClientCount(), 2);
    delete button;
    EXPECT_EQ(act.ClientCount(), 1);
    delete item;
    EXPECT_EQ(act.ClientCount(), 0);
    act.SetCaption("nobody listens");
    act.SetEnabled(false);
  }
  // One form owns both, in either creation order.
  for (bool actionFirst : {true, false}) {
    TForm* form = NewForm();
    TAction* act = actionFirst ? new TAction(form) : nullptr;
    auto* button = new TButton(form);
    button->SetParent(form);
    if (!act) act = new TAction(form);
    button->SetAction(act);
    form->Show();
    delete form;
  }
}

TEST(ActionLinks, IdleUpdateRunsOnUpdateOfVisibleClients) {
  TForm* form = NewForm();
  auto* list = new TActionList(form);
  auto* shown = new TAction(form);
  auto* hidden = new TAction(form);
  auto* top = new TAction(form);
  for (TAction* a : {shown, hidden, top}) a->SetActionList(list);
  bool canRun = false;
  int shownUpdates = 0, hiddenUpdates = 0, topUpdates = 0;
  shown->OnUpdate = [&](TObject*) {
    ++shownUpdates;
    shown->SetEnabled(canRun);
  };
  hidden->OnUpdate = [&](TObject*) { ++hiddenUpdates; };
  top->OnUpdate = [&](TObject*) {
    ++topUpdates;
    top->SetChecked(canRun);
  };
  // The updated control sits inside a group box: the update reaches nested controls.
  auto* box = new TGroupBox(form);
  box->SetParent(form);
  auto* button = new TButton(form);
  button->SetParent(box);
  button->SetAction(shown);
  auto* invisible = new TButton(form);
  invisible->SetParent(form);
  invisible->SetAction(hidden);
  invisible->SetVisible(false);
  auto* menu = new TMainMenu(form);
  auto* item = new TMenuItem(form);
  menu->Items()->Add(item);
  item->SetAction(top);
  form->SetMenu(menu);

  // Nothing while the form is not showing.
  UpdateFormActions(form);
  EXPECT_EQ(shownUpdates, 0);
  form->Show();
  UpdateFormActions(form);
  EXPECT_EQ(shownUpdates, 1);
  EXPECT_EQ(hiddenUpdates, 0);
  EXPECT_EQ(topUpdates, 1);
  EXPECT_FALSE(button->Enabled());
  canRun = true;
  UpdateFormActions(form);
  EXPECT_TRUE(button->Enabled());
  EXPECT_TRUE(item->Checked());
  delete form;
}

TEST(ActionLinks, CheckBoxAndRadioButtonFollowChecked) {
  TForm* form = NewForm();
  TAction act(nullptr);
  act.SetCaption("Wrap");
  act.SetAutoCheck(true);
  int runs = 0;
  act.OnExecute = [&](TObject*) { ++runs; };
  auto* check = new TCheckBox(form);
  check->SetParent(form);
  auto* radio = new TRadioButton(form);
  radio->SetParent(form);
  radio->SetTop(30);
  form->Show();
  check->SetAction(&act);
  radio->SetAction(&act);
  EXPECT_EQ(check->Caption(), "Wrap");

  // Checked by the action: the boxes follow without running the action.
  act.SetChecked(true);
  EXPECT_TRUE(check->Checked());
  EXPECT_EQ(SendMessageW(check->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_TRUE(radio->Checked());
  EXPECT_EQ(runs, 0);
  act.SetChecked(false);
  EXPECT_FALSE(check->Checked());
  EXPECT_FALSE(radio->Checked());

  // The user's click toggles the box and runs the action once; AutoCheck keeps both in step.
  SendMessageW(check->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(runs, 1);
  EXPECT_TRUE(check->Checked());
  EXPECT_TRUE(act.Checked());
  EXPECT_TRUE(radio->Checked());
  SendMessageW(check->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(runs, 2);
  EXPECT_FALSE(check->Checked());
  EXPECT_FALSE(act.Checked());

  // Linking to another action takes its state, again without a click.
  TAction on(nullptr);
  on.SetChecked(true);
  check->SetAction(&on);
  EXPECT_TRUE(check->Checked());
  EXPECT_EQ(runs, 2);
  delete form;
}

// ---------------------------------------------------------------------------
// A form file that links controls and menu items to actions by reference.
class TfrmActs : public TForm {
 public:
  T_CLASSNAME(TfrmActs)
  using TForm::TForm;
  TAction* actOpen = nullptr;
  TButton* btnOpen = nullptr;
  TButton* btnOwn = nullptr;
  TMenuItem* mnuOpen = nullptr;
  std::vector<std::string> calls;
  // Sender is the action; the client that ran it is its ActionComponent.
  void actOpenExecute(TObject* Sender) {
    auto* a = static_cast<TAction*>(Sender);
    calls.push_back("execute " + (a->ActionComponent() ? a->ActionComponent()->Name() : std::string("-")));
  }
  void btnOwnClick(TObject*) { calls.push_back("own"); }
};

const bool actionsClassesRegistered = [] {
  RegisterClassInfo<TfrmActs, TForm>("TfrmActs");
  RegisterHandlers<TfrmActs>({{"actOpenExecute", &TfrmActs::actOpenExecute}, {"btnOwnClick", &TfrmActs::btnOwnClick}});
  RegisterFields<TfrmActs>({{"actOpen", &TfrmActs::actOpen},
                            {"btnOpen", &TfrmActs::btnOpen},
                            {"btnOwn", &TfrmActs::btnOwn},
                            {"mnuOpen", &TfrmActs::mnuOpen}});
  return true;
}();

const char* const kActsForm =
    "object frmActs: TfrmActs\n"
    "  Caption = 'Acts'\n"
    "  ClientHeight = 120\n"
    "  ClientWidth = 200\n"
    "  object btnOpen: TButton\n"
    "    Left = 8\n"
    "    Top = 8\n"
    "    Action = actOpen\n"
    "    TabOrder = 0\n"
    "  end\n"
    "  object btnOwn: TButton\n"
    "    Left = 8\n"
    "    Top = 40\n"
    "    Caption = 'Mine'\n"
    "    Action = actOpen\n"
    "    TabOrder = 1\n"
    "    OnClick = btnOwnClick\n"
    "  end\n"
    "  object alMain: TActionList\n"
    "    object actOpen: TAction\n"
    "      Caption = '&Open'\n"
    "      Hint = 'Open a file'\n"
    "      ShortCut = 16463\n"
    "      OnExecute = actOpenExecute\n"
    "    end\n"
    "  end\n"
    "  object mnuMain: TMainMenu\n"
    "    object mnuOpen: TMenuItem\n"
    "      Action = actOpen\n"
    "    end\n"
    "  end\n"
    "end\n";

TEST(ActionLinks, FormFileLinksByReferenceAndWritesItBack) {
  TfrmActs form(nullptr);
  ReadComponentFromText(kActsForm, &form);
  ASSERT_NE(form.actOpen, nullptr);
  ASSERT_NE(form.btnOpen, nullptr);
  ASSERT_NE(form.mnuOpen, nullptr);
  // Resolved after loading, with the action still loading: only defaults are filled.
  EXPECT_EQ(form.btnOpen->Action(), form.actOpen);
  EXPECT_EQ(form.btnOpen->Caption(), "&Open");
  EXPECT_EQ(form.btnOpen->Hint(), "Open a file");
  EXPECT_EQ(form.btnOwn->Caption(), "Mine");
  EXPECT_EQ(form.btnOwn->Hint(), "Open a file");
  EXPECT_EQ(form.mnuOpen->Caption(), "&Open");
  EXPECT_EQ(form.mnuOpen->ShortCut(), TextToShortCut("Ctrl+O"));
  form.btnOpen->Click();
  form.btnOwn->Click();
  form.mnuOpen->Click();
  EXPECT_EQ(form.calls, (std::vector<std::string>{"execute btnOpen", "own", "execute mnuOpen"}));

  std::string text = WriteComponentToText(&form);
  EXPECT_NE(text.find("Action = actOpen"), std::string::npos) << text;
  TfrmActs copy(nullptr);
  ReadComponentFromText(text, &copy);
  EXPECT_EQ(copy.btnOwn->Action(), copy.actOpen);
  EXPECT_EQ(copy.mnuOpen->Action(), copy.actOpen);
  EXPECT_EQ(copy.btnOwn->Caption(), "Mine");
}

}  // namespace

// ---------------------------------------------------------------------------
// The application's idle time brings the actions of every shown, enabled form
// (controls and main menu) up to date.
namespace {

// Runs the application's loop until Done: a thread timer ends each idle wait.
bool IdleUntil(const std::function<bool()>& Done) {
  UINT_PTR timer = SetTimer(nullptr, 0, 10, nullptr);
  DWORD start = GetTickCount();
  while (!Done() && GetTickCount() - start < 2000) Application->HandleMessage();
  KillTimer(nullptr, timer);
  return Done();
}

struct TIdleForm {
  TForm* form;
  TAction* action;
  TButton* button;
  TMenuItem* item;
  int updates = 0;
  explicit TIdleForm(Integer Left) {
    form = testui::NewForm(200, 100, Left, 10, bsSingle);
    auto* list = new TActionList(form);
    action = new TAction(form);
    action->SetActionList(list);
    action->OnUpdate = [this](TObject*) {
      ++updates;
      action->SetEnabled(false);
      action->SetChecked(true);
    };
    button = new TButton(form);
    button->SetParent(form);
    button->SetAction(action);
    auto* menu = new TMainMenu(form);
    item = new TMenuItem(form);
    item->SetCaption("&Run");
    menu->Items()->Add(item);
    item->SetAction(action);
    form->SetMenu(menu);
  }
  ~TIdleForm() { delete form; }
};

TEST(ActionLinks, ApplicationIdleUpdatesTheActionsOfShownEnabledForms) {
  TIdleForm shown(10), other(250), hidden(500), disabled(750);
  shown.form->Show();
  other.form->Show();
  disabled.form->Show();
  EnableWindow(disabled.form->Handle(), FALSE);  // as under a modal form
  Application->ProcessMessages();
  EXPECT_TRUE(shown.button->Enabled());

  ASSERT_TRUE(IdleUntil([&] { return shown.updates > 0 && other.updates > 0; }));
  EXPECT_FALSE(shown.button->Enabled());
  EXPECT_TRUE(shown.item->Checked());
  EXPECT_FALSE(other.button->Enabled());
  EXPECT_EQ(hidden.updates, 0);
  EXPECT_TRUE(hidden.button->Enabled());
  EXPECT_EQ(disabled.updates, 0);

  // OnIdle asking for more idle time holds the updates back.
  int idles = 0;
  Application->OnIdle = [&](TObject*, bool& Done) {
    ++idles;
    Done = false;
  };
  int before = shown.updates;
  IdleUntil([&] { return idles >= 3; });
  Application->OnIdle = nullptr;
  EXPECT_EQ(shown.updates, before);
  EnableWindow(disabled.form->Handle(), TRUE);
  ASSERT_TRUE(IdleUntil([&] { return disabled.updates > 0; }));
  EXPECT_FALSE(disabled.button->Enabled());
}

}  // namespace

// ---------------------------------------------------------------------------
// A form file leaves out what a linked action supplies; reading it back links
// the action again, which gives the values back.
namespace {

// The lines of the object Name in a form text, up to its first "end".
std::string ObjectBlock(const std::string& Text, const std::string& Name) {
  size_t at = Text.find("object " + Name + ":");
  if (at == std::string::npos) return std::string();
  size_t end = Text.find(" end\n", at);
  return Text.substr(at, end == std::string::npos ? std::string::npos : end - at);
}

const char* const kLinkedForm =
    "object frmActs: TfrmActs\n"
    "  object btnOpen: TButton\n"
    "    Action = actOpen\n"
    "  end\n"
    "  object btnOwn: TButton\n"
    "    Top = 40\n"
    "    Caption = 'Mine'\n"
    "    Hint = 'My own'\n"
    "    Action = actOpen\n"
    "    OnClick = btnOwnClick\n"
    "  end\n"
    "  object chkOpen: TCheckBox\n"
    "    Top = 80\n"
    "    Action = actOpen\n"
    "  end\n"
    "  object alMain: TActionList\n"
    "    object actOpen: TAction\n"
    "      Caption = '&Open'\n"
    "      Checked = True\n"
    "      Enabled = False\n"
    "      HelpContext = 12\n"
    "      Hint = 'Open a file'\n"
    "      ImageIndex = 3\n"
    "      ShortCut = 16463\n"
    "      OnExecute = actOpenExecute\n"
    "    end\n"
    "  end\n"
    "  object mnuMain: TMainMenu\n"
    "    object mnuOpen: TMenuItem\n"
    "      Action = actOpen\n"
    "    end\n"
    "    object mnuOwnKey: TMenuItem\n"
    "      Action = actOpen\n"
    "      ShortCut = 16467\n"
    "    end\n"
    "  end\n"
    "end\n";

TEST(ActionLinks, FormFileLeavesOutWhatTheActionSupplies) {
  TfrmActs form(nullptr);
  ReadComponentFromText(kLinkedForm, &form);
  std::string text = WriteComponentToText(&form);
  struct TCase {
    const char* Object;
    std::vector<std::string> Written, Left;
  };
  const std::vector<std::string> linked = {"Caption", "Checked", "Enabled", "HelpContext", "Hint",
                                           "ImageIndex", "ShortCut", "Visible", "State", "OnClick"};
  const TCase cases[] = {
      {"btnOpen", {"Action = actOpen"}, linked},
      {"btnOwn", {"Caption = 'Mine'", "Hint = 'My own'", "OnClick = btnOwnClick"}, {"Enabled", "HelpContext"}},
      {"chkOpen", {"Action = actOpen"}, linked},
      {"mnuOpen", {"Action = actOpen"}, linked},
      {"mnuOwnKey", {"ShortCut = 16467"}, {"Caption", "Checked", "Enabled", "HelpContext", "Hint", "ImageIndex", "OnClick"}},
  };
  for (const TCase& c : cases) {
    std::string block = ObjectBlock(text, c.Object);
    ASSERT_FALSE(block.empty()) << c.Object << "\n" << text;
    for (const std::string& w : c.Written) EXPECT_NE(block.find(w), std::string::npos) << c.Object << ": " << w << "\n" << block;
    for (const std::string& l : c.Left) EXPECT_EQ(block.find(l + " ="), std::string::npos) << c.Object << ": " << l << "\n" << block;
  }

  TfrmActs copy(nullptr);
  ReadComponentFromText(text, &copy);
  auto* chk = static_cast<TCheckBox*>(copy.FindComponent("chkOpen"));
  auto* ownKey = static_cast<TMenuItem*>(copy.FindComponent("mnuOwnKey"));
  ASSERT_TRUE(chk && ownKey);
  EXPECT_EQ(copy.btnOpen->Caption(), "&Open");
  EXPECT_EQ(copy.btnOpen->Hint(), "Open a file");
  EXPECT_EQ(copy.btnOpen->HelpContext(), 12);
  EXPECT_FALSE(copy.btnOpen->Enabled());
  EXPECT_EQ(copy.btnOwn->Caption(), "Mine");
  EXPECT_EQ(copy.btnOwn->Hint(), "My own");
  EXPECT_TRUE(chk->Checked());
  EXPECT_EQ(copy.mnuOpen->Caption(), "&Open");
  EXPECT_EQ(copy.mnuOpen->ShortCut(), TextToShortCut("Ctrl+O"));
  EXPECT_EQ(copy.mnuOpen->HelpContext(), 12);
  EXPECT_EQ(copy.mnuOpen->ImageIndex(), 3);
  EXPECT_TRUE(copy.mnuOpen->Checked());
  EXPECT_EQ(ownKey->ShortCut(), TextToShortCut("Ctrl+S"));
  copy.actOpen->SetEnabled(true);
  copy.btnOwn->Click();
  copy.mnuOpen->Click();
  EXPECT_EQ(copy.calls, (std::vector<std::string>{"own", "execute mnuOpen"}));

  // A value changed on the client is no longer the action's: it is written.
  copy.btnOpen->SetCaption("Changed");
  copy.mnuOpen->SetHelpContext(40);
  std::string again = WriteComponentToText(&copy);
  EXPECT_NE(ObjectBlock(again, "btnOpen").find("Caption = 'Changed'"), std::string::npos) << again;
  EXPECT_NE(ObjectBlock(again, "mnuOpen").find("HelpContext = 40"), std::string::npos) << again;
}

}  // namespace

namespace {

// A control or a menu item as the client of an action, for the cases both share.
struct TClientKind {
  const char* Name;
  std::function<TComponent*(TForm*, TBasicAction*)> Make;  // linked to the action
  std::function<void(TComponent*)> Click;
  std::function<TNotifyEvent&(TComponent*)> OnClick;
};

std::vector<TClientKind> ClientKinds() {
  return {
      {"button",
       [](TForm* form, TBasicAction* act) -> TComponent* {
         auto* b = new TButton(form);
         b->SetParent(form);
         b->SetAction(act);
         return b;
       },
       [](TComponent* c) { static_cast<TButton*>(c)->Click(); },
       [](TComponent* c) -> TNotifyEvent& { return static_cast<TButton*>(c)->OnClick; }},
      {"menu item",
       [](TForm* form, TBasicAction* act) -> TComponent* {
         auto* item = new TMenuItem(form);
         item->SetAction(act);
         return item;
       },
       [](TComponent* c) { static_cast<TMenuItem*>(c)->Click(); },
       [](TComponent* c) -> TNotifyEvent& { return static_cast<TMenuItem*>(c)->OnClick; }},
  };
}

// A handler may free the client that runs it (a rebuilt toolbar or menu) or
// the action itself; the run must not use either afterwards, and the action
// never names a freed client. (Run with WINEDEBUG=warn+heap to see freed
// memory poisoned.)
TEST(ActionLinks, HandlerMayFreeTheClientOrTheAction) {
  for (const TClientKind& kind : ClientKinds()) {
    SCOPED_TRACE(kind.Name);
    TForm* form = NewForm();
    // The client goes.
    TAction act(nullptr);
    TComponent* client = kind.Make(form, &act);
    TComponent* during = client;
    int runs = 0;
    act.OnExecute = [&](TObject*) {
      ++runs;
      EXPECT_EQ(act.ActionComponent(), client);
      delete client;
      during = act.ActionComponent();
    };
    kind.Click(client);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(during, nullptr);
    EXPECT_EQ(act.ActionComponent(), nullptr);
    EXPECT_EQ(act.ClientCount(), 0);

    // A component freed while named by the action outside a click is let go too.
    auto* other = new TButton(nullptr);
    act.SetActionComponent(other);
    delete other;
    EXPECT_EQ(act.ActionComponent(), nullptr);

    // The action goes; its clients drop it.
    auto* doomed = new TAction(nullptr);
    TComponent* kept = kind.Make(form, doomed);
    doomed->OnExecute = [doomed](TObject*) { delete doomed; };
    kind.Click(kept);
    if (auto* b = dynamic_cast<TButton*>(kept)) {
      EXPECT_EQ(b->Action(), nullptr);
    }
    if (auto* m = dynamic_cast<TMenuItem*>(kept)) {
      EXPECT_EQ(m->Action(), nullptr);
    }
    kind.Click(kept);  // no action any more
    delete form;
  }
}

// OnExecute is a public event: assigning it after clients were linked must
// reach them, while an OnClick the client was given itself still wins.
TEST(ActionLinks, OnExecuteAssignedAfterLinkingRunsOnClick) {
  for (const TClientKind& kind : ClientKinds()) {
    SCOPED_TRACE(kind.Name);
    TForm* form = NewForm();
    TAction act(nullptr);
    std::vector<std::string> ran;
    act.OnExecute = [&](TObject*) { ran.push_back("old"); };
    TComponent* client = kind.Make(form, &act);
    act.OnExecute = [&](TObject*) { ran.push_back("new"); };
    kind.Click(client);
    EXPECT_EQ(ran, (std::vector<std::string>{"new"}));

    // Still through the action: its update and Enabled check come first.
    bool allowed = false;
    act.OnUpdate = [&](TObject*) { act.SetEnabled(allowed); };
    kind.Click(client);
    EXPECT_EQ(ran.size(), 1u);
    allowed = true;
    act.SetEnabled(true);

    // SetOnExecute still hands the new handler on to the client.
    act.SetOnExecute([&](TObject*) { ran.push_back("set"); });
    EXPECT_TRUE(kind.OnClick(client) == act.OnExecute);
    kind.Click(client);
    EXPECT_EQ(ran.back(), "set");

    // The client's own handler wins over the action's, whatever it is later.
    kind.OnClick(client) = [&](TObject*) { ran.push_back("own"); };
    act.OnExecute = [&](TObject*) { ran.push_back("newer"); };
    kind.Click(client);
    EXPECT_EQ(ran.back(), "own");
    delete form;
  }
}

}  // namespace
