// The caption buttons of a main-menu bar on an MDI frame: minimise, restore
// and close for a maximized child, pressed with the mouse; the lone close
// button of a manager that asks for it.
#include <gtest/gtest.h>

#include "bars/dxBar.h"
#include "tests/bars/bar_input.h"
#include "tests/bars/menu_model.h"
#include "tests/support/png_writer.h"
#include "tests/support/ui.h"

namespace {

struct TMDIModel {
  TForm* frame = nullptr;
  TdxBarManager* manager = nullptr;
  TdxBar* menu = nullptr;
  TForm* child = nullptr;
  std::vector<std::string> log;

  TMDIModel() {
    frame = testui::NewForm(480, 320, 40, 40, bsSizeable);
    frame->SetFormStyle(fsMDIForm);
    Application->SetMainFormOnce(frame);
    manager = new TdxBarManager(frame);
    manager->OnCloseButtonClick = [this](TObject*) { log.push_back("closebutton"); };
    menu = manager->Bars()->Add();
    menu->SetCaption("Main");
    menu->SetIsMainMenu(true);
    for (const char* c : {"File", "Edit", "Window"}) {
      auto* s = new TdxBarSubItem(frame);
      s->SetName(std::string("mi") + c);
      s->SetCaption(c);
      s->SetCategory(0);
      menu->ItemLinks()->Add()->SetItem(s);
    }
    menu->SetDockingStyle(dsTop);
    menu->SetVisible(true);
    barinput::Activate(frame);
  }
  ~TMDIModel() {
    delete frame;
    Application->ProcessMessages();
  }
  bool Usable() const { return Application->MainForm() == frame; }
  TForm* NewChild() {
    auto* c = CreateForm<TForm>(nullptr);
    c->SetFormStyle(fsMDIChild);
    c->SetCaption("Child");
    c->SetBounds(10, 10, 200, 120);
    c->OnClose = [this](TObject*, TCloseAction& A) {
      log.push_back("close");
      A = caNone;
    };
    c->Show();
    barinput::Settle();
    return c;
  }
  void Maximize() {
    ShowWindow(child->Handle(), SW_MAXIMIZE);
    barinput::Settle(80);
  }
  TdxBarControl* Bar() { return menu->Control(); }
  TPoint ButtonCenter(Integer I) {
    TRect r = Bar()->CaptionButtonRect(I);
    return Bar()->ClientToScreen(Point((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
  }
};

}  // namespace

TEST(MainMenuCaptionButtons, AMaximizedChildShowsThreeButtonsAtTheEndOfTheBar) {
  TMDIModel m;
  if (!m.Usable()) GTEST_SKIP() << "another main form exists";
  m.child = m.NewChild();
  ASSERT_NE(m.Bar(), nullptr);
  EXPECT_FALSE(m.Bar()->CaptionButtonsShown());
  EXPECT_EQ(m.Bar()->CaptionButtonRect(2).Width(), 0);
  auto before = menutest::Snapshot(m.Bar());
  Integer heightBefore = m.Bar()->Height();

  m.Maximize();
  ASSERT_TRUE(IsZoomed(m.child->Handle()));
  TdxBarControl* w = m.Bar();
  ASSERT_TRUE(w->MDIButtonsShown());
  TRect r0 = w->CaptionButtonRect(0), r1 = w->CaptionButtonRect(1), r2 = w->CaptionButtonRect(2);
  Integer end = w->ClientWidth() - (w->HasMark() ? 11 : 0);
  EXPECT_EQ(r0.Width(), GetSystemMetrics(SM_CXMENUSIZE) - 2);
  EXPECT_EQ(r0.Height(), GetSystemMetrics(SM_CYMENUSIZE) - 4);
  EXPECT_EQ(r1.Left, r0.Right);
  EXPECT_EQ(r2.Left, r1.Right + 2) << "the close button stands apart";
  EXPECT_EQ(r2.Right, end);
  EXPECT_EQ(r0.Top, r2.Top);
  EXPECT_GE(r0.Top, 0);
  EXPECT_LE(r0.Bottom, w->ClientHeight());
  EXPECT_EQ(w->Height(), heightBefore) << "three entries leave room for the buttons in their row";
  // The entries stay clear of the buttons.
  for (TdxBarItemLink* l : m.menu->ItemLinks()->ShownLinks()) EXPECT_LE(l->ItemRect.Right, r0.Left);
  // The buttons are painted there, and nowhere else between the entries
  // (which the child's system-menu entry in front moved along) and them.
  ASSERT_FALSE(m.menu->ItemLinks()->ShownLinks().empty());
  EXPECT_NE(dynamic_cast<TSystemMenuSubItem*>(m.menu->ItemLinks()->Items(0)->Item()), nullptr);
  Integer entriesEnd = m.menu->ItemLinks()->ShownLinks().back()->ItemRect.Right;
  auto after = menutest::Snapshot(w);
  SaveBitmapAsPng(after.get(), "bars_mdi_caption_buttons.png");
  ASSERT_EQ(after->Width(), before->Width());
  Integer changedIn = 0, changedOut = 0;
  for (Integer y = 0; y < after->Height(); ++y)
    for (Integer x = entriesEnd; x < after->Width(); ++x) {
      if (menutest::Px(after.get(), x, y) == menutest::Px(before.get(), x, y)) continue;
      bool in = x >= r0.Left && x < r2.Right && y >= r0.Top && y < r0.Bottom;
      ++(in ? changedIn : changedOut);
    }
  EXPECT_GT(changedIn, 3 * r0.Width());
  EXPECT_EQ(changedOut, 0);
  // A click on a button is no drag handle.
  TPoint c = m.ButtonCenter(1);
  SendMessageW(w->Handle(), WM_NCHITTEST, 0, MAKELPARAM(c.X, c.Y));
  EXPECT_NE(w->HitCode, HTCAPTION);

  // Restored, the buttons go again.
  ShowWindow(m.child->Handle(), SW_RESTORE);
  barinput::Settle(80);
  EXPECT_FALSE(m.Bar()->CaptionButtonsShown());
  EXPECT_EQ(menutest::DifferentPixels(menutest::Snapshot(m.Bar()).get(), before.get()), 0);
  delete m.child;
}

TEST(MainMenuCaptionButtons, ReleasingOnThePressedButtonSendsItsCommandToTheChild) {
  TMDIModel m;
  if (!m.Usable()) GTEST_SKIP() << "another main form exists";
  m.child = m.NewChild();
  struct Case {
    Integer button;
    bool releaseOff;
    bool zoomed, iconic;
    const char* log;
  } cases[] = {
      {0, false, false, true, ""},   // minimise
      {1, false, false, false, ""},  // restore
      {2, false, true, false, "close"},
      {0, true, true, false, ""},  // released off the button: nothing
      {2, true, true, false, ""},
  };
  for (const Case& c : cases) {
    m.Maximize();
    ASSERT_TRUE(m.Bar()->MDIButtonsShown()) << c.button;
    m.log.clear();
    TPoint p = m.ButtonCenter(c.button);
    barinput::MoveTo(p);
    barinput::Settle(30);
    barinput::Button(MOUSEEVENTF_LEFTDOWN);
    barinput::Settle(30);
    EXPECT_TRUE(CaptionPressActive) << c.button;
    EXPECT_EQ(CaptionPressIndex, c.button);
    if (c.releaseOff) {
      barinput::MoveTo(Point(p.X, p.Y + 60));
      barinput::Settle(30);
      EXPECT_FALSE(CaptionPressUnderMouse);
    }
    barinput::Button(MOUSEEVENTF_LEFTUP);
    barinput::Settle(80);
    EXPECT_FALSE(CaptionPressActive);
    EXPECT_EQ(IsZoomed(m.child->Handle()) != 0, c.zoomed) << c.button << " off " << c.releaseOff;
    EXPECT_EQ(IsIconic(m.child->Handle()) != 0, c.iconic) << c.button << " off " << c.releaseOff;
    std::string got;
    for (const std::string& s : m.log) got += s;
    EXPECT_EQ(got, c.log) << c.button << " off " << c.releaseOff;
    if (IsIconic(m.child->Handle())) ShowWindow(m.child->Handle(), SW_RESTORE);
  }

  // A button the child's system menu disables takes no press.
  m.Maximize();
  EnableMenuItem(GetSystemMenu(m.child->Handle(), FALSE), SC_MINIMIZE, MF_BYCOMMAND | MF_GRAYED);
  EXPECT_FALSE(m.Bar()->CaptionButtonEnabled(0));
  EXPECT_TRUE(m.Bar()->CaptionButtonEnabled(1)) << "restore is always there";
  barinput::Click(m.ButtonCenter(0));
  EXPECT_TRUE(IsZoomed(m.child->Handle()));
  EXPECT_FALSE(CaptionPressActive);
  delete m.child;
}

TEST(MainMenuCaptionButtons, TheLoneCloseButtonCallsTheManager) {
  TMDIModel m;
  if (!m.Usable()) GTEST_SKIP() << "another main form exists";
  m.manager->SetShowCloseButton(true);
  barinput::Settle();
  TdxBarControl* w = m.Bar();
  ASSERT_TRUE(w->CaptionButtonsShown());
  EXPECT_FALSE(w->MDIButtonsShown());
  EXPECT_EQ(w->CaptionButtonRect(0).Width(), 0);
  TRect r = w->CaptionButtonRect(2);
  EXPECT_EQ(r.Right, w->ClientWidth() - (w->HasMark() ? 11 : 0));
  SaveBitmapAsPng(menutest::Snapshot(w).get(), "bars_main_menu_close_button.png");
  barinput::Click(m.ButtonCenter(2));
  barinput::Click(m.ButtonCenter(2));
  EXPECT_EQ(m.log, (std::vector<std::string>{"closebutton", "closebutton"}));
  // Keys typed while the button is held are not the menu's.
  m.log.clear();
  barinput::MoveTo(m.ButtonCenter(2));
  barinput::Settle(30);
  barinput::Button(MOUSEEVENTF_LEFTDOWN);
  barinput::Settle(30);
  barinput::Tap(VK_MENU);
  EXPECT_EQ(ActiveBarControl(), nullptr) << "Alt does not enter the menu during a press";
  barinput::MoveTo(Point(m.ButtonCenter(2).X - 80, m.ButtonCenter(2).Y));
  barinput::Settle(30);
  barinput::Button(MOUSEEVENTF_LEFTUP);
  barinput::Settle(60);
  EXPECT_TRUE(m.log.empty()) << "released elsewhere it does nothing";
}
