// The main menu end to end on a shown form, driven by real keys and clicks:
// Alt opens the bar, arrows move, Down/Enter open an entry and run a row;
// Alt+F opens "File" at once; a click on a row runs its item once; Esc closes
// one level at a time; a click outside closes everything; shortcuts of rows
// inside the menus fire without opening them, but not inside a disabled entry.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "bars/dxBar.h"
#include "platform/StdCtrls.h"
#include "tests/bars/bar_input.h"
#include "tests/support/png_writer.h"

namespace {

using barinput::Chord;
using barinput::Tap;

struct TMainMenuForm {
  std::unique_ptr<TForm> form;
  TEdit* edit = nullptr;
  TdxBarManager* manager = nullptr;
  TdxBar* bar = nullptr;
  TdxBarSubItem *file, *edit_, *recent, *tools;
  std::map<std::string, TdxBarItem*> items;
  std::map<std::string, int> clicks;

  TMainMenuForm() {
    form.reset(testui::NewForm(480, 300, 50, 50));
    manager = new TdxBarManager(form.get());
    edit = new TEdit(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(20, 200, 150, 22);
    file = Sub("subFile", "&File");
    edit_ = Sub("subEdit", "&Edit");
    tools = Sub("subTools", "&Tools");
    recent = Sub("subRecent", "&Recent");
    Add(file, Button("btnOpen", "&Open...", 0x4000 | 'O'));
    Add(file, Button("btnSaveAs", "Save &As...", 0x6000 | 'S'));
    Add(file, recent);
    Add(file, Button("btnExit", "E&xit"))->SetBeginGroup(true);
    Add(recent, Button("f_one", "one.gif"));
    Add(recent, Button("f_two", "two.gif"));
    Add(edit_, Button("btnCut", "Cu&t"));
    Add(edit_, Button("btnDelete", "&Delete", VK_DELETE));
    Add(tools, Button("btnTool", "&Tool", 0x4000 | 'T'));
    tools->SetEnabled(false);
    bar = manager->Bars()->Add();
    bar->SetCaption("Main");
    bar->SetName("Main");
    bar->SetIsMainMenu(true);
    for (TdxBarItem* s : {static_cast<TdxBarItem*>(file), static_cast<TdxBarItem*>(edit_),
                          static_cast<TdxBarItem*>(tools)})
      bar->ItemLinks()->Add()->SetItem(s);
    bar->SetDockingStyle(dsTop);
    bar->SetVisible(true);
    barinput::Activate(form.get());
    edit->SetFocus();
    barinput::Settle();
  }

  TdxBarSubItem* Sub(const std::string& Name, const std::string& Caption) {
    auto* s = new TdxBarSubItem(form.get());
    s->SetName(Name);
    s->SetCaption(Caption);
    items[Name] = s;
    return s;
  }
  TdxBarButton* Button(const std::string& Name, const std::string& Caption, TShortCut ShortCut = 0) {
    auto* b = new TdxBarButton(form.get());
    b->SetName(Name);
    b->SetCaption(Caption);
    b->SetShortCut(ShortCut);
    b->OnClick = [this, Name](TObject*) {
      ++clicks[Name];
      // The chain is closed before a command runs.
      EXPECT_EQ(ActiveBarControl(), nullptr) << Name;
    };
    items[Name] = b;
    return b;
  }
  TdxBarItemLink* Add(TdxBarSubItem* S, TdxBarItem* I) {
    TdxBarItemLink* l = S->ItemLinks()->Add();
    l->SetItem(I);
    return l;
  }
  int Total() const {
    int n = 0;
    for (auto& c : clicks) n += c.second;
    return n;
  }
  TdxBarControl* Window() const { return bar->Control(); }
  TdxBarSubMenuControl* Menu(TdxBarSubItem* S) const { return S->MenuWindow(); }
  static std::string Sel(TCustomdxBarControl* W) {
    return W && W->SelectedControl() && W->SelectedControl()->Item() ? W->SelectedControl()->Item()->Name() : "-";
  }
  TPoint Center(TCustomdxBarControl* W, TdxBarItem* I) { return barinput::EntryCenter(W, I); }
  bool AllClosed() const {
    return !Menu(file) && !Menu(edit_) && !Menu(recent) && !ActiveBarControl() && !KeyboardMenuWindow(manager);
  }
  // The form with its bar and every open menu, as they paint themselves.
  void Shot(const std::string& Name) {
    RECT fr;
    GetWindowRect(form->Handle(), &fr);
    TBitmap bmp;
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(fr.right - fr.left, fr.bottom - fr.top);
    HDC dc = bmp.Canvas()->Handle();
    RECT all{0, 0, fr.right - fr.left, fr.bottom - fr.top};
    FillRect(dc, &all, GetSysColorBrush(COLOR_BTNFACE));
    RECT wr;
    GetWindowRect(Window()->Handle(), &wr);
    SetViewportOrgEx(dc, wr.left - fr.left, wr.top - fr.top, nullptr);
    Window()->PaintWindowTo(dc);
    for (TdxBarSubItem* s : {file, edit_, recent})
      if (TdxBarSubMenuControl* w = Menu(s)) {
        TPoint c = w->ClientToScreen(Point(0, 0));
        SetViewportOrgEx(dc, c.X - fr.left, c.Y - fr.top, nullptr);
        w->PaintClientTo(dc);
      }
    SetViewportOrgEx(dc, 0, 0, nullptr);
    SaveBitmapAsPng(&bmp, Name);
  }
};

TEST(MainMenuKeys, AltArrowsDownAndEnterRunACommandOnce) {
  TMainMenuForm m;
  Tap(VK_MENU);
  EXPECT_EQ(KeyboardMenuWindow(m.manager), m.Window());
  EXPECT_EQ(m.Sel(m.Window()), "subFile");
  EXPECT_EQ(m.Menu(m.file), nullptr) << "Alt only selects";
  Tap(VK_RIGHT);
  EXPECT_EQ(m.Sel(m.Window()), "subEdit");
  Tap(VK_DOWN);
  ASSERT_NE(m.Menu(m.edit_), nullptr);
  EXPECT_EQ(m.Sel(m.Menu(m.edit_)), "btnCut");
  m.Shot("bars_mainmenu_edit_open.png");
  // Right on a plain row goes on to the next entry's menu.
  Tap(VK_RIGHT);
  EXPECT_EQ(m.Menu(m.edit_), nullptr);
  EXPECT_EQ(m.Sel(m.Window()), "subTools");
  Tap(VK_LEFT);
  ASSERT_NE(m.Menu(m.edit_), nullptr) << "with a menu open, moving along the bar opens the next one";
  Tap(VK_DOWN);
  EXPECT_EQ(m.Sel(m.Menu(m.edit_)), "btnDelete");
  Tap(VK_RETURN);
  EXPECT_EQ(m.clicks["btnDelete"], 1);
  EXPECT_EQ(m.Total(), 1);
  EXPECT_TRUE(m.AllClosed());
  EXPECT_EQ(GetFocus(), m.edit->Handle()) << "the focus goes back";
}

TEST(MainMenuKeys, AltFOpensFileAndEscClosesOneLevelAtATime) {
  TMainMenuForm m;
  Chord({VK_MENU}, 'F');
  TdxBarSubMenuControl* file = m.Menu(m.file);
  ASSERT_NE(file, nullptr) << "a unique accelerator opens its entry at once";
  EXPECT_EQ(m.Sel(file), "btnOpen");
  EXPECT_EQ(ActiveBarControl(), file);
  Tap(VK_DOWN);
  Tap(VK_DOWN);
  EXPECT_EQ(m.Sel(file), "subRecent");
  Tap(VK_RIGHT);
  ASSERT_NE(m.Menu(m.recent), nullptr);
  EXPECT_EQ(m.Sel(m.Menu(m.recent)), "f_one");
  m.Shot("bars_mainmenu_cascade.png");
  Tap(VK_ESCAPE);
  EXPECT_EQ(m.Menu(m.recent), nullptr);
  EXPECT_EQ(m.Menu(m.file), file);
  Tap(VK_ESCAPE);
  EXPECT_EQ(m.Menu(m.file), nullptr);
  EXPECT_EQ(KeyboardMenuWindow(m.manager), m.Window()) << "the bar stays in menu mode";
  EXPECT_EQ(m.Sel(m.Window()), "subFile");
  Tap(VK_ESCAPE);
  EXPECT_TRUE(m.AllClosed());
  EXPECT_EQ(m.Total(), 0);
  EXPECT_EQ(GetFocus(), m.edit->Handle());
}

TEST(MainMenuMouse, AClickOnARowRunsItOnceAndAClickOutsideClosesAll) {
  TMainMenuForm m;
  // A click on the entry opens its menu; a click on a row runs it once.
  barinput::Click(m.Center(m.Window(), m.file));
  TdxBarSubMenuControl* file = m.Menu(m.file);
  ASSERT_NE(file, nullptr);
  barinput::Click(m.Center(file, m.items["btnSaveAs"]));
  EXPECT_EQ(m.clicks["btnSaveAs"], 1);
  EXPECT_EQ(m.Total(), 1);
  EXPECT_TRUE(m.AllClosed());

  // Open the cascade by keys, then click on the form: every level closes and
  // the click goes on to the edit it landed on.
  Chord({VK_MENU}, 'F');
  Tap(VK_DOWN);
  Tap(VK_DOWN);
  Tap(VK_RIGHT);
  ASSERT_NE(m.Menu(m.recent), nullptr);
  barinput::Click(m.form->ClientToScreen(Point(400, 260)));
  EXPECT_TRUE(m.AllClosed());
  EXPECT_EQ(m.Total(), 1);

  // A click inside an open menu's empty part closes nothing.
  Chord({VK_MENU}, 'F');
  file = m.Menu(m.file);
  ASSERT_NE(file, nullptr);
  TPoint sep = m.Center(file, m.items["btnExit"]);
  RECT wr;
  GetWindowRect(file->Handle(), &wr);
  barinput::Click(Point(wr.left + 1, sep.Y - 8));  // on the separator band
  EXPECT_EQ(m.Menu(m.file), file);
  Tap(VK_ESCAPE);
  Tap(VK_ESCAPE);
  EXPECT_TRUE(m.AllClosed());
}

TEST(MainMenuShortCuts, RowsInsideMenusFireWithoutOpeningThemButNotInADisabledEntry) {
  TMainMenuForm m;
  struct {
    std::initializer_list<Word> mods;
    Word key;
    const char* fires;
  } cases[] = {
      {{VK_CONTROL}, 'O', "btnOpen"},
      {{VK_CONTROL, VK_SHIFT}, 'S', "btnSaveAs"},
      {{}, VK_DELETE, "btnDelete"},
      {{VK_CONTROL}, 'T', ""},  // inside the disabled Tools entry
  };
  for (auto& c : cases) {
    m.clicks.clear();
    Chord(c.mods, c.key);
    if (*c.fires) {
      EXPECT_EQ(m.clicks[c.fires], 1) << c.fires;
    }
    EXPECT_EQ(m.Total(), *c.fires ? 1 : 0) << c.key;
    EXPECT_TRUE(m.AllClosed()) << c.key;
  }
}

}  // namespace
