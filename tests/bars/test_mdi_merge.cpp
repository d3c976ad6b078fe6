// MDI menu merging and the system-menu entry: an MDI frame with a main-menu
// bar and children with main-menu bars of their own, maximized, restored,
// switched and closed as a person does it; the entry built from a menu.
#include <gtest/gtest.h>

#include "bars/dxBar.h"
#include "tests/bars/bar_input.h"
#include "tests/bars/menu_model.h"
#include "tests/support/png_writer.h"
#include "tests/support/ui.h"

namespace {

struct TMergeFrame {
  TForm* frame = nullptr;
  TdxBarManager* manager = nullptr;
  TdxBar* menu = nullptr;
  std::vector<std::string> log;

  TMergeFrame() {
    frame = testui::NewForm(520, 340, 40, 40, bsSizeable);
    frame->SetFormStyle(fsMDIForm);
    Application->SetMainFormOnce(frame);
    manager = new TdxBarManager(frame);
    menu = MainMenu(manager, frame, {"File", "Window"});
    barinput::Activate(frame);
    Application->OnException = [this](TObject*, const Exception& E) { log.push_back(std::string("error:") + E.what()); };
  }
  ~TMergeFrame() {
    Application->OnException = nullptr;
    delete frame;
    Application->ProcessMessages();
  }
  bool Usable() const { return Application->MainForm() == frame; }

  static TdxBar* MainMenu(TdxBarManager* M, TForm* Owner, std::initializer_list<const char*> Captions) {
    TdxBar* bar = M->Bars()->Add();
    bar->SetCaption("Main");
    bar->SetIsMainMenu(true);
    for (const char* c : Captions) {
      auto* s = new TdxBarSubItem(Owner);
      s->SetName(std::string("mi") + c);
      s->SetCaption(c);
      s->SetCategory(0);
      bar->ItemLinks()->Add()->SetItem(s);
    }
    bar->SetDockingStyle(dsTop);
    bar->SetVisible(true);
    return bar;
  }

  // A child with its own manager and main menu (Edit with a command, View).
  struct TChild {
    TForm* form;
    TdxBarManager* manager;
    TdxBar* menu;
  };
  TChild NewChild(const std::string& Caption, Integer Offset = 0) {
    auto* c = CreateForm<TForm>(nullptr);
    c->SetFormStyle(fsMDIChild);
    c->SetCaption(Caption);
    c->SetBounds(10 + Offset, 10 + Offset, 240, 150);
    c->OnClose = [this, Caption](TObject*, TCloseAction& A) {
      log.push_back("close:" + Caption);
      A = caNone;
    };
    auto* m = new TdxBarManager(c);
    TdxBar* bar = MainMenu(m, c, {"Edit", "View"});
    auto* edit = static_cast<TdxBarSubItem*>(bar->ItemLinks()->Items(0)->Item());
    auto* undo = new TdxBarButton(c);
    undo->SetName("btnUndo");
    undo->SetCaption("Undo");
    undo->SetCategory(0);
    undo->OnClick = [this, Caption](TObject*) { log.push_back("undo:" + Caption); };
    edit->ItemLinks()->Add()->SetItem(undo);
    c->Show();
    barinput::Settle(60);
    return {c, m, bar};
  }

  // The frame's main menu as captions; the system-menu entry shows as "[sys]".
  std::string Entries() const {
    std::string s;
    for (Integer i = 0; i < menu->ItemLinks()->Count(); ++i) {
      TdxBarItem* it = menu->ItemLinks()->Items(i)->Item();
      if (!s.empty()) s += " ";
      s += dynamic_cast<TSystemMenuSubItem*>(it) ? std::string("[sys]") : it->Caption();
    }
    return s;
  }
  static void Show(HWND W, int Command) {
    ShowWindow(W, Command);
    barinput::Settle(80);
  }
  TdxBarItemLink* Link(Integer I) { return menu->ItemLinks()->Items(I); }
  TPoint EntryCenter(Integer I) {
    TRect r = Link(I)->ItemRect;
    return menu->Control()->ClientToScreen(Point((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
  }
};

// A 16x16 icon of one colour.
HICON SolidIcon(COLORREF C) {
  HDC screen = GetDC(nullptr);
  HBITMAP colour = CreateCompatibleBitmap(screen, 16, 16);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, colour);
  HBRUSH b = CreateSolidBrush(C);
  RECT r{0, 0, 16, 16};
  FillRect(dc, &r, b);
  DeleteObject(b);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  BYTE zeros[16 * 2] = {};
  HBITMAP mask = CreateBitmap(16, 16, 1, 1, zeros);
  ICONINFO ii{TRUE, 0, 0, mask, colour};
  HICON icon = CreateIconIndirect(&ii);
  DeleteObject(mask);
  DeleteObject(colour);
  return icon;
}

}  // namespace

TEST(MDIMenuMerge, MaximizingMergesTheChildMenuAndRestoringTakesItOut) {
  TMergeFrame m;
  if (!m.Usable()) GTEST_SKIP() << "another main form exists";
  Integer tempBefore = TempItemCount();
  auto c = m.NewChild("One");
  EXPECT_EQ(m.Entries(), "File Window") << "a restored child keeps its menu";
  EXPECT_TRUE(c.menu->Visible());

  TMergeFrame::Show(c.form->Handle(), SW_MAXIMIZE);
  ASSERT_TRUE(IsZoomed(c.form->Handle()));
  EXPECT_EQ(m.Entries(), "[sys] File Window Edit View") << (m.log.empty() ? "" : m.log[0]);
  auto* sys = dynamic_cast<TSystemMenuSubItem*>(m.Link(0)->Item());
  ASSERT_NE(sys, nullptr);
  EXPECT_EQ(sys->ChildWindow(), c.form->Handle());
  EXPECT_EQ(sys->BarManager(), m.manager);
  EXPECT_FALSE(c.menu->Visible()) << "the child's own bar hides while merged";
  // The merged links are the child's items.
  EXPECT_EQ(m.Link(3)->Item(), c.menu->ItemLinks()->Items(0)->Item());
  EXPECT_EQ(m.Link(3)->Item()->BarManager(), c.manager);
  SaveBitmapAsPng(menutest::Snapshot(m.menu->Control()).get(), "bars_mdi_merged_menu.png");

  // A merged entry opens the child's menu and runs the child's command.
  barinput::Click(m.EntryCenter(3));
  auto* edit = static_cast<TdxBarSubItem*>(m.Link(3)->Item());
  ASSERT_NE(edit->MenuWindow(), nullptr);
  barinput::Click(menutest::RowCenter(edit->MenuWindow(), edit->ItemLinks()->Items(0)));
  EXPECT_EQ(m.log, (std::vector<std::string>{"undo:One"}));

  TMergeFrame::Show(c.form->Handle(), SW_RESTORE);
  EXPECT_EQ(m.Entries(), "File Window");
  EXPECT_TRUE(c.menu->Visible()) << "the child's bar comes back";
  EXPECT_EQ(TempItemCount(), tempBefore);

  // Maximized again and then closed: nothing of it stays in the frame's menu.
  TMergeFrame::Show(c.form->Handle(), SW_MAXIMIZE);
  EXPECT_EQ(m.Entries(), "[sys] File Window Edit View");
  delete c.form;
  barinput::Settle(80);
  EXPECT_EQ(m.Entries(), "File Window");
  EXPECT_EQ(TempItemCount(), tempBefore);
}

TEST(MDIMenuMerge, SwitchingMaximizedChildrenSwapsTheirMenus) {
  TMergeFrame m;
  if (!m.Usable()) GTEST_SKIP() << "another main form exists";
  auto a = m.NewChild("A");
  auto b = m.NewChild("B", 30);
  TMergeFrame::Show(b.form->Handle(), SW_MAXIMIZE);
  ASSERT_EQ(m.Entries(), "[sys] File Window Edit View");
  EXPECT_EQ(m.Link(3)->Item()->BarManager(), b.manager);

  // The frame's client switches to the other child (it comes up maximized).
  SendMessageW(m.frame->ClientHandle(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(a.form->Handle()), 0);
  barinput::Settle(80);
  ASSERT_TRUE(IsZoomed(a.form->Handle()));
  EXPECT_EQ(m.Entries(), "[sys] File Window Edit View");
  EXPECT_EQ(m.Link(3)->Item()->BarManager(), a.manager);
  EXPECT_EQ(static_cast<TSystemMenuSubItem*>(m.Link(0)->Item())->ChildWindow(), a.form->Handle());
  EXPECT_FALSE(a.menu->Visible());
  EXPECT_TRUE(b.menu->Visible()) << "the child left behind shows its own bar again";
  delete a.form;
  delete b.form;
  barinput::Settle(80);
  EXPECT_EQ(m.Entries(), "File Window");
}

TEST(MDIMenuMerge, AlwaysMergeAndTheMergeEvent) {
  TMergeFrame m;
  if (!m.Usable()) GTEST_SKIP() << "another main form exists";
  // AlwaysMerge: the active child's menus come in at once, maximizing adds only the entry.
  m.manager->SetAlwaysMerge(true);
  auto c = m.NewChild("One");
  EXPECT_EQ(m.Entries(), "File Window Edit View");
  EXPECT_FALSE(c.menu->Visible());
  TMergeFrame::Show(c.form->Handle(), SW_MAXIMIZE);
  EXPECT_EQ(m.Entries(), "[sys] File Window Edit View");
  TMergeFrame::Show(c.form->Handle(), SW_RESTORE);
  EXPECT_EQ(m.Entries(), "File Window Edit View");
  delete c.form;
  barinput::Settle(80);
  EXPECT_EQ(m.Entries(), "File Window");

  // With OnMenuMerge the handler does the merging; the bar is left to it.
  m.manager->SetAlwaysMerge(false);
  std::vector<std::string> calls;
  m.manager->OnMenuMerge = [&](TObject* Sender, TdxBarManager* Child, bool Add) {
    calls.push_back(std::string(Sender == m.manager ? "frame" : "?") + (Child ? " child " : " none ") +
                    (Add ? "add" : "remove"));
  };
  auto d = m.NewChild("Two");
  TMergeFrame::Show(d.form->Handle(), SW_MAXIMIZE);
  EXPECT_EQ(m.Entries(), "[sys] File Window");
  EXPECT_FALSE(d.menu->Visible());
  TMergeFrame::Show(d.form->Handle(), SW_RESTORE);
  EXPECT_EQ(calls, (std::vector<std::string>{"frame child add", "frame child remove"}));
  EXPECT_TRUE(d.menu->Visible());
  delete d.form;
}

TEST(SystemMenuItem, TheIconEntryListsTheChildsSystemMenuAndSendsItsCommands) {
  TMergeFrame m;
  if (!m.Usable()) GTEST_SKIP() << "another main form exists";
  auto c = m.NewChild("One");
  HICON red = SolidIcon(RGB(255, 0, 0));
  SendMessageW(c.form->Handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(red));
  TMergeFrame::Show(c.form->Handle(), SW_MAXIMIZE);
  ASSERT_EQ(m.Entries(), "[sys] File Window Edit View");

  // Its view is the child's small icon, drawn in the entry's place.
  TdxBarItemLink* entry = m.Link(0);
  EXPECT_EQ(entry->ItemRect.Width(), GetSystemMetrics(SM_CXSMICON));
  auto pic = menutest::Snapshot(m.menu->Control());
  SaveBitmapAsPng(pic.get(), "bars_mdi_system_menu_entry.png");
  TRect r = entry->ItemRect;
  EXPECT_EQ(menutest::CountColor(pic.get(), r, RGB(255, 0, 0)), r.Width() * r.Height());

  // Opening it reads the system menu as it is now.
  HMENU sysMenu = GetSystemMenu(c.form->Handle(), FALSE);
  EnableMenuItem(sysMenu, SC_MOVE, MF_BYCOMMAND | MF_GRAYED);
  barinput::Click(m.EntryCenter(0));
  auto* sys = static_cast<TSystemMenuSubItem*>(entry->Item());
  TdxBarSubMenuControl* open = sys->MenuWindow();
  ASSERT_NE(open, nullptr);
  SaveBitmapAsPng(menutest::Snapshot(open).get(), "bars_mdi_system_menu_open.png");
  std::vector<std::string> expected, got;
  for (Integer i = 0; i < GetMenuItemCount(sysMenu); ++i) {
    wchar_t text[256] = {};
    GetMenuStringW(sysMenu, static_cast<UINT>(i), text, 255, MF_BYPOSITION);
    std::string s = WideToUtf8(text);
    if (!s.empty()) expected.push_back(s.substr(0, s.find('\t')));
  }
  TdxBarItemLink* close = nullptr;
  for (Integer i = 0; i < sys->ItemLinks()->Count(); ++i) {
    TdxBarItem* it = sys->ItemLinks()->Items(i)->Item();
    got.push_back(it->Caption());
    if (it->Tag() == SC_CLOSE) close = sys->ItemLinks()->Items(i);
    if (it->Tag() == SC_MOVE) {
      EXPECT_FALSE(it->Enabled()) << "a greyed entry is disabled";
    }
  }
  EXPECT_EQ(got, expected);
  ASSERT_NE(close, nullptr);
  EXPECT_NE(close->Item()->ShortCut(), 0) << "the text after the tab is the shortcut";

  // Choosing Close sends SC_CLOSE to the child.
  barinput::Click(menutest::RowCenter(open, close));
  EXPECT_EQ(m.log, (std::vector<std::string>{"close:One"}));

  // Opened again, the entries are made anew and the old ones are freed.
  Integer temps = TempItemCount();
  barinput::Click(m.EntryCenter(0));
  ASSERT_NE(sys->MenuWindow(), nullptr);
  EXPECT_EQ(TempItemCount(), temps);
  barinput::Tap(VK_ESCAPE);
  barinput::Tap(VK_ESCAPE);

  // A double click on the icon sends the system menu's default command.
  SetMenuDefaultItem(sysMenu, SC_CLOSE, FALSE);
  m.log.clear();
  TPoint p = m.EntryCenter(0);
  barinput::MoveTo(p);
  barinput::Settle(30);
  barinput::Settle(static_cast<int>(GetDoubleClickTime()) + 50);  // no double click with the last click
  for (int k = 0; k < 2; ++k) {
    barinput::Button(MOUSEEVENTF_LEFTDOWN);
    barinput::Settle(20);
    if (k == 0) {
      EXPECT_NE(sys->MenuWindow(), nullptr) << "the first press opens the menu";
    }
    barinput::Button(MOUSEEVENTF_LEFTUP);
    barinput::Settle(20);
  }
  barinput::Settle(120);
  EXPECT_EQ(m.log, (std::vector<std::string>{"close:One"}));
  EXPECT_EQ(ActiveBarControl(), nullptr) << "the menus are closed";
  delete c.form;
  DestroyIcon(red);
}

TEST(SystemMenuItem, EntriesAreBuiltFromAMenu) {
  TMergeFrame m;
  HMENU menu = CreatePopupMenu();
  HMENU inner = CreatePopupMenu();
  AppendMenuW(inner, MF_STRING, 901, L"Inner\tAlt+X");
  AppendMenuW(menu, MF_STRING, SC_RESTORE, L"&Restore");
  AppendMenuW(menu, MF_STRING | MF_GRAYED, SC_MOVE, L"&Move");
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING | MF_CHECKED, 902, L"Pinned");
  AppendMenuW(menu, MF_STRING, SC_CLOSE, L"&Close\tCtrl+F4");
  AppendMenuW(menu, MF_STRING | MF_POPUP, reinterpret_cast<UINT_PTR>(inner), L"More");
  AppendMenuW(menu, MF_STRING, 903, L"Odd\tnot a key");
  MENUITEMINFOW bm{};
  bm.cbSize = sizeof(bm);
  bm.fMask = MIIM_BITMAP;
  bm.hbmpItem = HBMMENU_POPUP_RESTORE;
  SetMenuItemInfoW(menu, SC_RESTORE, FALSE, &bm);
  bm.hbmpItem = HBMMENU_POPUP_CLOSE;
  SetMenuItemInfoW(menu, SC_CLOSE, FALSE, &bm);

  auto* root = new TdxBarSubItem(m.frame);
  Integer temps = TempItemCount();
  HWND target = m.frame->Handle();
  BuildFromMenu(root, menu, target);
  struct Row {
    const char* caption;
    Integer tag;
    bool enabled, group, down, glyph, sub;
    TShortCut shortcut;
  } rows[] = {
      {"&Restore", SC_RESTORE, true, false, false, true, false, 0},
      {"&Move", SC_MOVE, false, false, false, false, false, 0},
      {"Pinned", 902, true, true, true, false, false, 0},
      {"&Close", SC_CLOSE, true, false, false, true, false, TextToShortCut("Ctrl+F4")},
      {"More", 0, true, false, false, false, true, 0},
      {"Odd", 903, true, false, false, false, false, 0},
  };
  ASSERT_EQ(root->ItemLinks()->Count(), 6);
  EXPECT_EQ(TempItemCount(), temps + 7) << "every entry, the inner one too, is a temporary item";
  for (Integer i = 0; i < 6; ++i) {
    const Row& w = rows[i];
    SCOPED_TRACE(w.caption);
    TdxBarItemLink* l = root->ItemLinks()->Items(i);
    TdxBarItem* it = l->Item();
    EXPECT_EQ(it->Caption(), w.caption);
    EXPECT_EQ(it->Enabled(), w.enabled);
    EXPECT_EQ(l->BeginGroup(), w.group);
    EXPECT_EQ(it->ShortCut(), w.shortcut);
    EXPECT_EQ(!it->Glyph()->Empty(), w.glyph);
    auto* sub = dynamic_cast<TdxBarSubItem*>(it);
    EXPECT_EQ(sub != nullptr, w.sub);
    if (auto* b = dynamic_cast<TdxBarButton*>(it)) {
      EXPECT_EQ(b->Tag(), w.tag);
      EXPECT_EQ(b->Down(), w.down);
      EXPECT_EQ(b->ButtonStyle(), w.down ? bsChecked : bsDefault);
    }
    if (sub) {
      ASSERT_EQ(sub->ItemLinks()->Count(), 1);
      EXPECT_EQ(sub->ItemLinks()->Items(0)->Item()->Caption(), "Inner");
      EXPECT_EQ(sub->ItemLinks()->Items(0)->Item()->ShortCut(), TextToShortCut("Alt+X"));
    }
  }
  // The two glyphs differ (close and restore pictures).
  TBitmap* g0 = root->ItemLinks()->Items(0)->Item()->Glyph();
  TBitmap* g3 = root->ItemLinks()->Items(3)->Item()->Glyph();
  EXPECT_EQ(g0->Width(), 16);
  bool differ = false;
  for (Integer y = 0; y < 16 && !differ; ++y)
    for (Integer x = 0; x < 16; ++x)
      if (g0->Canvas()->Pixels(x, y) != g3->Canvas()->Pixels(x, y)) differ = true;
  EXPECT_TRUE(differ);
  // A command entry sends its command to the target window.
  UINT got = 0;
  auto* probe = CreateForm<TForm>(nullptr);
  probe->OnClose = [&](TObject*, TCloseAction& A) {
    got = SC_CLOSE;
    A = caNone;
  };
  root->ItemLinks()->Clear();
  BuildFromMenu(root, menu, probe->Handle());
  root->ItemLinks()->Items(3)->Item()->RunClick();
  EXPECT_EQ(got, static_cast<UINT>(SC_CLOSE));
  delete probe;
  delete root;
  DestroyMenu(menu);
  // Entries without links are freed with the next rebuild's sweep.
  FreeUnusedTempItems();
  FreeUnusedTempItems();
  EXPECT_EQ(TempItemCount(), temps);
}

TEST(MDIChildBars, ChildManagersFollowTheirActivationAndTheFramesColourChanges) {
  TMergeFrame m;
  if (!m.Usable()) GTEST_SKIP() << "another main form exists";
  auto a = m.NewChild("A");
  a.manager->SetStyle(bmsFlat);
  TdxBar* floating = a.manager->Bars()->Add();
  floating->SetCaption("Tools");
  floating->ItemLinks()->Add()->SetItem(static_cast<TdxBarItem*>(a.form->FindComponent("btnUndo")));
  floating->SetFloatLeft(600);
  floating->SetFloatTop(120);
  floating->SetDockingStyle(dsNone);
  floating->SetVisible(true);
  barinput::Settle(60);
  auto shown = [&] { return floating->Control() && IsWindowVisible(floating->Control()->Handle()); };
  // The child's floating bars come and go with the child's activation.
  auto b = m.NewChild("B", 30);
  auto activate = [&](TForm* Child) {
    SendMessageW(m.frame->ClientHandle(), WM_MDIACTIVATE, reinterpret_cast<WPARAM>(Child->Handle()), 0);
    barinput::Settle(80);
  };
  activate(a.form);
  EXPECT_TRUE(shown());
  activate(b.form);
  EXPECT_FALSE(shown());
  activate(a.form);
  EXPECT_TRUE(shown());

  // The system tells only top-level windows of a colour change; the frame passes it on.
  INT index = COLOR_BTNFACE;
  COLORREF old = GetSysColor(COLOR_BTNFACE), fresh = RGB(40, 160, 200);
  SetSysColors(1, &index, &fresh);
  barinput::Settle(80);
  COLORREF want = static_cast<COLORREF>(ColorToRGB(NearestColor(ShadeSysColor(COLOR_BTNFACE, 10, 10, 10)))) & 0xFFFFFF;
  COLORREF childBrush = menutest::BrushColor(a.manager->FlatBackgroundBrush());
  SetSysColors(1, &index, &old);
  barinput::Settle(80);
  EXPECT_EQ(childBrush, want);
  delete b.form;
  delete a.form;
}
