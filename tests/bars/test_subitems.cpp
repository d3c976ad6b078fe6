// Sub items and container items: list items expanding into numbered entries
// in a menu and giving their place back when it closes, container items
// inlining their links, the refusal of recursive menus, the detaching bar,
// shortcuts inside menus, the toolbar views of sub items, and a form with
// sub items read and written back.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "platform/FormReader.h"
#include "tests/bars/menu_model.h"

using namespace menutest;

namespace {

std::vector<std::string> Captions(TdxBarItemLinks* L) {
  std::vector<std::string> v;
  for (TdxBarItemLink* l : L->ShownLinks()) v.push_back((l->ReadBeginGroup() ? "| " : "") + l->Item()->Caption());
  return v;
}

std::vector<std::string> Names(TdxBarItemLinks* L) {
  std::vector<std::string> v;
  for (Integer i = 0; i < L->Count(); ++i) v.push_back(L->Items(i)->Item() ? L->Items(i)->Item()->Name() : "?");
  return v;
}

// A menu "Window": Tile, the list item, Close.
struct TListMenu : TMenuModel {
  TdxBarSubItem* menu;
  TdxBarListItem* list;
  int getData = 0;
  TListMenu() {
    menu = Sub("subWindow", "&Window");
    list = new TdxBarListItem(form.get());
    list->SetName("lstWindows");
    list->SetCaption("Windows");
    list->SetCategory(0);
    list->OnGetData = [this](TObject*) { ++getData; };
    list->OnClick = [this](TObject* S) { log.push_back("click:" + static_cast<TComponent*>(S)->Name()); };
    Add(menu->ItemLinks(), Button("btnTile", "&Tile"));
    Add(menu->ItemLinks(), list);
    Add(menu->ItemLinks(), Button("btnClose", "&Close"), true);
  }
  void SetItems(std::initializer_list<const char*> S) {
    list->Items()->Clear();
    for (const char* s : S) list->Items()->Add(s);
  }
};

}  // namespace

// A string list with a separator: two numbered entries with a group between
// them, in the list item's place; choosing the second sets ItemIndex 2 and
// DataIndex 1 and runs the list item's click; closing gives the place back.
TEST(SubItemList, EntriesAreNumberedChosenAndGiveTheirPlaceBack) {
  TListMenu m;
  m.SetItems({"alpha.gif", "-", "beta.gif"});
  TdxBarItemLink* own = m.menu->ItemLinks()->Items(1);
  Integer ownRecent = own->RecentIndex();
  TdxBarSubMenuControl* w = m.OpenAt(m.menu, 120, 120);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(Captions(m.menu->ItemLinks()),
            (std::vector<std::string>{"&Tile", "| &1 alpha.gif", "| &2 beta.gif", "| &Close"}));
  EXPECT_EQ(m.getData, 1);
  EXPECT_EQ(own->Links(), nullptr);  // out of the collection while its entries stand in
  ASSERT_EQ(m.list->GeneratedButtonCount(), 2);
  // The number is the entry's accelerator: '2' runs the second entry.
  auto shot = Snapshot(w);
  SaveBitmapAsPng(shot.get(), "subitems_list.png");
  m.Clear();
  Key(w, '2');
  EXPECT_EQ(m.list->ItemIndex(), 2);
  EXPECT_EQ(m.list->DataIndex(), 1);
  std::vector<std::string> clicks;
  for (const std::string& e : m.log)
    if (e.rfind("click:", 0) == 0) clicks.push_back(e);
  EXPECT_EQ(clicks, std::vector<std::string>{"click:lstWindows"});
  // Closed: the entries went, the list item's link is back in its place.
  EXPECT_EQ(m.menu->MenuWindow(), nullptr);
  EXPECT_EQ(Names(m.menu->ItemLinks()), (std::vector<std::string>{"btnTile", "lstWindows", "btnClose"}));
  EXPECT_EQ(own->Links(), m.menu->ItemLinks());
  EXPECT_EQ(own->Index(), 1);
  EXPECT_LE(own->RecentIndex(), ownRecent);  // the choice counted for it
  EXPECT_TRUE(m.list->Stale());
  // Changed while stale: the next opening rebuilds the entries from the new strings.
  m.SetItems({"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k"});
  w = m.OpenAt(m.menu, 120, 120);
  auto caps = Captions(m.menu->ItemLinks());
  ASSERT_EQ(caps.size(), 13u);
  EXPECT_EQ(caps[1], "| &1 a");
  EXPECT_EQ(caps[9], "&9 i");
  EXPECT_EQ(caps[10], "&A j");
  EXPECT_EQ(caps[11], "&B k");
  EXPECT_EQ(m.getData, 2);
  // Changing the strings while the menu is open changes nothing shown.
  m.SetItems({"x"});
  EXPECT_EQ(Captions(m.menu->ItemLinks()).size(), 13u);
  w->CloseMenu();
  w = m.OpenAt(m.menu, 120, 120);
  EXPECT_EQ(Captions(m.menu->ItemLinks()), (std::vector<std::string>{"&Tile", "| &1 x", "| &Close"}));
  w->CloseMenu();
  // Without numbers, with the check on the chosen entry.
  m.SetItems({"one", "two"});
  m.list->SetShowNumbers(false);
  m.list->SetShowCheck(true);
  m.list->SetItemIndex(0);
  w = m.OpenAt(m.menu, 120, 120);
  EXPECT_EQ(Captions(m.menu->ItemLinks()), (std::vector<std::string>{"&Tile", "| one", "two", "| &Close"}));
  EXPECT_TRUE(m.list->GeneratedButton(0)->Down());
  EXPECT_FALSE(m.list->GeneratedButton(1)->Down());
  w->CloseMenu();
  // The list item freed while its entries are shown: the menu closes first, nothing dangles.
  w = m.OpenAt(m.menu, 120, 120);
  delete m.list;
  EXPECT_EQ(m.menu->MenuWindow(), nullptr);
  EXPECT_EQ(Names(m.menu->ItemLinks()), (std::vector<std::string>{"btnTile", "btnClose"}));
  w = m.OpenAt(m.menu, 120, 120);
  EXPECT_EQ(Captions(m.menu->ItemLinks()), (std::vector<std::string>{"&Tile", "| &Close"}));
  w->CloseMenu();
}

// OnGetData fires once per menu build, also for a list item placed twice.
TEST(SubItemList, GetDataOncePerBuildEvenWhenPlacedTwice) {
  TListMenu m;
  m.SetItems({"a", "b"});
  m.Add(m.menu->ItemLinks(), m.list);
  TdxBarSubMenuControl* w = m.OpenAt(m.menu, 120, 120);
  EXPECT_EQ(m.getData, 1);
  EXPECT_EQ(m.menu->ItemLinks()->ShownLinks().size(), 6u);  // Tile, a, b, Close, a, b
  w->CloseMenu();
  EXPECT_EQ(m.menu->ItemLinks()->Count(), 4);
  w = m.OpenAt(m.menu, 120, 120);
  EXPECT_EQ(m.getData, 2);
  w->CloseMenu();
}

TEST(SubItemList, DataIndexCountsEntriesWithoutSeparators) {
  struct Case {
    std::vector<const char*> items;
    Integer itemIndex, dataIndex;  // ItemIndex written -> DataIndex read
    Integer writeData, itemAfter;  // DataIndex written -> ItemIndex read
  } cases[] = {
      {{"a", "-", "b", "c"}, 3, 2, 1, 2},
      {{"a", "-", "b", "c"}, -1, -1, 0, 0},
      {{"-", "a"}, 1, 0, 5, 2},
      {{}, 0, -1, 0, -1},
  };
  TMenuModel m;
  auto* list = new TdxBarListItem(m.form.get());
  for (const Case& c : cases) {
    list->Items()->Clear();
    for (const char* s : c.items) list->Items()->Add(s);
    list->SetItemIndex(c.itemIndex);
    EXPECT_EQ(list->DataIndex(), c.dataIndex);
    list->SetDataIndex(c.writeData);
    EXPECT_EQ(list->ItemIndex(), c.itemAfter);
  }
}

// A container item inlines its own visible links in its place, the first one
// beginning a group; their clicks run their own items.
TEST(SubItemContainer, LinksAreInlinedAndGivenBack) {
  TMenuModel m;
  TdxBarSubItem* edit = m.Sub("subEdit", "&Edit");
  auto* more = new TdxBarContainerItem(m.form.get());
  more->SetName("conMore");
  more->SetCaption("More");
  m.Add(more->ItemLinks(), m.Button("btnX", "&X"));
  m.Add(more->ItemLinks(), m.Button("btnY", "&Y"));
  m.Add(more->ItemLinks(), m.Button("btnHidden", "&Hidden"))->SetVisible(false);
  m.Add(edit->ItemLinks(), m.Button("btnA", "&A"));
  m.Add(edit->ItemLinks(), more);
  m.Add(edit->ItemLinks(), m.Button("btnB", "&B"));
  TdxBarSubMenuControl* w = m.OpenAt(edit, 120, 120);
  EXPECT_EQ(Captions(edit->ItemLinks()), (std::vector<std::string>{"&A", "| &X", "&Y", "&B"}));
  m.Clear();
  Key(w, 'Y');
  EXPECT_EQ(m.log, (std::vector<std::string>{"item:btnY", "click:btnY"}));
  EXPECT_EQ(edit->MenuWindow(), nullptr);
  EXPECT_EQ(Names(edit->ItemLinks()), (std::vector<std::string>{"btnA", "conMore", "btnB"}));
  EXPECT_EQ(more->ItemLinks()->Count(), 3);
}

// No sub item may end up in its own menu, directly or deeper; the refused
// link is left without an item.
TEST(SubItemLinks, RecursiveMenusAreRefused) {
  TMenuModel m;
  TdxBarSubItem* a = m.Sub("subA");
  TdxBarSubItem* b = m.Sub("subB");
  TdxBarSubItem* c = m.Sub("subC");
  m.Add(a->ItemLinks(), b);
  m.Add(b->ItemLinks(), c);
  struct Case {
    const char* name;
    TdxBarSubItem* into;
    TdxBarItem* item;
  } cases[] = {{"itself", a, a}, {"its parent", b, a}, {"its grandparent", c, a}, {"a parent two levels up", c, b}};
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    TdxBarItemLink* l = k.into->ItemLinks()->Add();
    try {
      l->SetItem(k.item);
      ADD_FAILURE() << "accepted";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), dxBarStrings::RecursiveSubItems);
    }
    EXPECT_EQ(l->Item(), nullptr);
    delete l;
  }
  // Across is fine.
  EXPECT_NO_THROW(m.Add(c->ItemLinks(), m.Sub("subD")));
  EXPECT_NO_THROW(m.Add(a->ItemLinks(), c));
}

TEST(SubItemLinks, DetachingBarFollowsTheBarsAndForgetsADeletedOne) {
  TMenuModel m;
  TdxBar* second = m.manager->Bars()->Add();
  second->SetCaption("Second");
  TdxBar* third = m.manager->Bars()->Add();
  third->SetCaption("Third");
  TdxBarSubItem* s = m.Sub("subDetach");
  struct Case {
    Integer write, read;
  } cases[] = {{2, 2}, {-5, -1}, {3, -1}, {1, 1}, {1, 1}};
  for (const Case& c : cases) {
    s->SetDetachingBar(c.write);
    EXPECT_EQ(s->DetachingBar(), c.read) << c.write;
  }
  third->SetIndex(0);  // reordered: the index follows the bar
  EXPECT_EQ(s->DetachingBar(), 2);
  delete second;
  EXPECT_EQ(s->DetachingBar(), -1);
}

// A shortcut of an item inside a menu fires without the menu being opened;
// the sub item itself is never clicked by one.
TEST(SubItemLinks, ShortcutsReachItemsInsideMenus) {
  TMenuModel m;
  TdxBarSubItem* file = m.Sub("subFile", "&File");
  TdxBarSubItem* recent = m.Sub("subRecent", "&Recent");
  TdxBarButton* open = m.Button("btnOpen", "&Open");
  open->SetShortCut(TextToShortCut("Ctrl+O"));
  TdxBarButton* deep = m.Button("btnDeep", "&Deep");
  deep->SetShortCut(TextToShortCut("F5"));
  file->SetShortCut(TextToShortCut("Ctrl+F"));
  m.Add(file->ItemLinks(), open);
  m.Add(file->ItemLinks(), recent);
  m.Add(recent->ItemLinks(), deep);
  m.OnBar(file);
  m.ShowBar();
  m.Clear();
  EXPECT_TRUE(m.bar->ClickShortCut(TextToShortCut("Ctrl+O")));
  EXPECT_TRUE(m.bar->ClickShortCut(TextToShortCut("F5")));
  EXPECT_FALSE(m.bar->ClickShortCut(TextToShortCut("Ctrl+F")));
  EXPECT_EQ(m.log, (std::vector<std::string>{"item:btnOpen", "click:btnOpen", "item:btnDeep", "click:btnDeep"}));
  EXPECT_EQ(file->MenuWindow(), nullptr);
}

// On a toolbar: a glyph-only drop-down (ShowCaption off) is a default-sized
// cell plus room for its small down arrow; a captioned entry of the main-menu
// bar has no arrow; the arrow is drawn at the right edge.
TEST(SubItemToolbar, ViewsSizeThemselvesAndDrawTheDropDownArrow) {
  TMenuModel m;
  TdxBarSubItem* save = m.Sub("subSave", "Save");
  auto* glyph = new TBitmap();
  glyph->SetSize(16, 16);
  glyph->Canvas()->Brush()->SetColor(clSilver);  // the bottom-left colour is the transparent one
  glyph->Canvas()->FillRect(Rect(0, 0, 16, 16));
  glyph->Canvas()->Brush()->SetColor(clRed);
  glyph->Canvas()->FillRect(Rect(2, 2, 14, 14));
  save->SetGlyph(glyph);
  delete glyph;
  save->SetShowCaption(false);
  m.Add(save->ItemLinks(), m.Button("btnSaveAs", "Save &As..."));
  TdxBarSubItem* view = m.Sub("subView", "&View");
  m.Add(view->ItemLinks(), m.Button("btnZoom", "&Zoom"));
  m.OnBar(save);
  m.OnBar(view);
  m.ShowBar();
  TdxBarControl* tb = m.bar->Control();
  ASSERT_NE(tb, nullptr);
  TdxBarItemControl* sv = m.bar->ItemLinks()->Items(0)->Control();
  TdxBarItemControl* vv = m.bar->ItemLinks()->Items(1)->Control();
  Integer rowH = tb->TextRowHeight();
  EXPECT_EQ(sv->Width(), m.manager->DefaultItemWidth() + rowH / 2);
  EXPECT_EQ(sv->Height(), m.manager->DefaultItemHeight());
  Integer plainView = vv->Width();
  TRect vr0 = m.bar->ItemLinks()->Items(1)->ItemRect;
  auto shot = Snapshot(tb);
  SaveBitmapAsPng(shot.get(), "subitems_toolbar.png");
  TRect sr = m.bar->ItemLinks()->Items(0)->ItemRect;
  // The glyph in its cell, the arrow (button text) right of it.
  EXPECT_GT(CountColor(shot.get(), Rect(sr.Left, sr.Top, sr.Left + m.manager->DefaultItemWidth(), sr.Bottom),
                       RGB(255, 0, 0)),
            100);
  EXPECT_GE(CountColor(shot.get(), Rect(sr.Left + m.manager->DefaultItemWidth(), sr.Top, sr.Right, sr.Bottom),
                       Sys(COLOR_BTNTEXT)),
            3);
  Integer textAndArrow = CountColor(shot.get(), vr0, Sys(COLOR_BTNTEXT));
  TRect vr;
  // The main-menu bar: the same entry has no arrow room.
  m.bar->SetIsMainMenu(true);
  Application->ProcessMessages();
  vv = m.bar->ItemLinks()->Items(1)->Control();
  EXPECT_EQ(vv->Width(), plainView - rowH / 2);
  auto mainShot = Snapshot(m.bar->Control());
  SaveBitmapAsPng(mainShot.get(), "subitems_mainmenu.png");
  vr = m.bar->ItemLinks()->Items(1)->ItemRect;
  // The same caption without the arrow's pixels.
  EXPECT_LE(CountColor(mainShot.get(), vr, Sys(COLOR_BTNTEXT)), textAndArrow - 3);
  // Hovering an entry of a bar not in menu mode only highlights it.
  MoveMouseTo(m.bar->Control()->ClientToScreen(Point((vr.Left + vr.Right) / 2, (vr.Top + vr.Bottom) / 2)));
  testui::PumpUntil([] { return false; }, SubItemHoverDelay + 150);
  EXPECT_EQ(view->MenuWindow(), nullptr);
  // In menu mode with a menu shown, the press on the entry (the view's
  // mouse-down part; the bar's own press handling is the toolbar's) opens it
  // below the entry; a second press closes it in standard style and keeps it
  // open in enhanced and flat style.
  for (TdxBarManagerStyle style : {bmsStandard, bmsEnhanced, bmsFlat}) {
    SCOPED_TRACE(style);
    m.manager->SetStyle(style);
    Application->ProcessMessages();
    TdxBarControl* bar = m.bar->Control();
    vr = m.bar->ItemLinks()->Items(1)->ItemRect;
    auto* entry = static_cast<TdxBarSubItemControl*>(m.bar->ItemLinks()->Items(1)->Control());
    bar->SetActive(true);
    bar->KeyboardDropDown = true;
    m.Clear();
    entry->PrepareClick(true);
    ASSERT_NE(view->MenuWindow(), nullptr);
    EXPECT_EQ(view->MenuWindow()->Top(), bar->ClientToScreen(Point(0, vr.Bottom)).Y);
    EXPECT_EQ(view->MenuWindow()->Left(), bar->ClientToScreen(Point(vr.Left, 0)).X);
    EXPECT_EQ(view->MenuWindow()->ExclusionHeight, vr.Height());
    EXPECT_EQ(m.log, (std::vector<std::string>{"popup:subView", "item:subView", "click:subView"}));
    entry->PrepareClick(true);
    EXPECT_EQ(view->MenuWindow() != nullptr, style != bmsStandard);
    entry->LeaveActive(true);
    EXPECT_EQ(view->MenuWindow(), nullptr);
    bar->SetActive(false);
  }
}

// A list item on a toolbar opens a menu of its generated entries; choosing
// one runs the list item's click; closing takes the entries away again.
TEST(SubItemToolbar, ListItemOnAToolbarOpensItsEntries) {
  TMenuModel m;
  auto* list = new TdxBarListItem(m.form.get());
  list->SetName("lstZoom");
  list->SetCaption("Zoom");
  list->SetCategory(0);
  list->OnClick = [&](TObject*) { m.log.push_back("click:lstZoom"); };
  for (const char* s : {"50%", "100%", "200%"}) list->Items()->Add(s);
  m.OnBar(list);
  m.ShowBar();
  TdxBarControl* bar = m.bar->Control();
  TRect r = m.bar->ItemLinks()->Items(0)->ItemRect;
  // In menu mode with a drop-down shown, pointing at the entry opens it at once.
  bar->SetActive(true);
  bar->KeyboardDropDown = true;
  MoveMouseTo(bar->ClientToScreen(Point((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2)));
  TdxBarSubMenuControl* w = list->MenuWindow();
  ASSERT_NE(w, nullptr);
  EXPECT_NE(dynamic_cast<TContainerItemSubMenuControl*>(w), nullptr);
  EXPECT_EQ(Captions(list->ItemLinks()), (std::vector<std::string>{"&1 50%", "&2 100%", "&3 200%"}));
  m.Clear();
  ClickAt(RowCenter(w, list->ItemLinks()->Items(2)));
  std::vector<std::string> clicks;
  for (const std::string& e : m.log)
    if (e.rfind("click:", 0) == 0) clicks.push_back(e);
  EXPECT_EQ(clicks, std::vector<std::string>{"click:lstZoom"});
  EXPECT_EQ(list->ItemIndex(), 2);
  EXPECT_EQ(list->MenuWindow(), nullptr);
  EXPECT_EQ(list->ItemLinks()->Count(), 0);
  EXPECT_TRUE(list->Stale());
  bar->SetActive(false);
}

// A form with a main menu of sub items and a list item is read and written back unchanged.
TEST(SubItemForm, SubItemsRoundTripThroughTheFormText) {
  std::ifstream in(std::string(TEST_DATA_DIR).substr(2) + "/bars/submenu_form.dfm", std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  std::string text = ss.str();
  ASSERT_FALSE(text.empty());
  auto form = std::make_unique<TForm>(nullptr);
  ReadComponentFromText(text, form.get());
  auto* file = dynamic_cast<TdxBarSubItem*>(form->FindComponent("subFile"));
  ASSERT_NE(file, nullptr);
  EXPECT_EQ(file->ItemLinks()->Count(), 3);
  EXPECT_TRUE(file->ItemLinks()->Items(2)->BeginGroup());
  auto* save = dynamic_cast<TdxBarSubItem*>(form->FindComponent("subSave"));
  ASSERT_NE(save, nullptr);
  EXPECT_FALSE(save->ShowCaption());
  auto* list = dynamic_cast<TdxBarListItem*>(form->FindComponent("lstRecent"));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->Items()->Count(), 2);
  EXPECT_TRUE(list->ShowCheck());
  EXPECT_EQ(WriteComponentToText(form.get()), text);
}
