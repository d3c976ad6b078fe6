// Toolbar input on a shown form with real mouse and keys: a double click on
// the drag handle floats a docked bar at its floating place and docks it back
// into its row; a plain toolbar in menu mode (entered by an accelerator) runs
// Enter and gives the focus back on Esc.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>
#include <string>

#include "bars/dxBar.h"
#include "platform/StdCtrls.h"
#include "tests/bars/bar_input.h"
#include "tests/support/png_writer.h"

namespace {

struct TBarForm {
  std::unique_ptr<TForm> form;
  TdxBarManager* manager = nullptr;
  TdxBar* bar = nullptr;
  TdxBar* other = nullptr;
  TEdit* edit = nullptr;
  int clicks = 0;

  TBarForm() {
    form.reset(testui::NewForm(420, 300, 40, 40));
    manager = new TdxBarManager(form.get());
    edit = new TEdit(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(20, 220, 120, 22);
    bar = AddBar("Tools", 0, {"&Cut", "C&opy", "&Paste"});
    other = AddBar("Other", 1, {"&Undo", "&Redo"});
    bar->SetFloatLeft(200);
    bar->SetFloatTop(180);
    barinput::Activate(form.get());
    edit->SetFocus();
    barinput::Settle();
  }
  TdxBar* AddBar(const std::string& Caption, Integer Row, std::initializer_list<const char*> Captions) {
    TdxBar* b = manager->Bars()->Add();
    b->SetCaption(Caption);
    b->SetName(Caption);
    for (const char* c : Captions) {
      auto* it = new TdxBarButton(form.get());
      it->SetCaption(c);
      it->SetPaintStyle(psCaption);
      it->OnClick = [this](TObject*) { ++clicks; };
      b->ItemLinks()->Add()->SetItem(it);
    }
    b->SetRow(Row);
    b->SetOneOnRow(true);
    b->SetDockingStyle(dsTop);
    b->SetVisible(true);
    return b;
  }
  TRect ScreenRect(TWinControl* W) {
    RECT r;
    GetWindowRect(W->Handle(), &r);
    return Rect(r.left, r.top, r.right, r.bottom);
  }
  void Shot(const std::string& Name) {
    TRect fr = ScreenRect(form.get());
    TBitmap bmp;
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(fr.Width(), fr.Height());
    HDC dc = bmp.Canvas()->Handle();
    RECT all{0, 0, fr.Width(), fr.Height()};
    FillRect(dc, &all, GetSysColorBrush(COLOR_APPWORKSPACE));
    for (TdxBar* b : {bar, other}) {
      TdxBarControl* w = b->Control();
      if (!w || !w->HandleAllocated()) continue;
      TRect r = ScreenRect(w);
      SetViewportOrgEx(dc, r.Left - fr.Left, r.Top - fr.Top, nullptr);
      w->PaintWindowTo(dc);
    }
    SetViewportOrgEx(dc, 0, 0, nullptr);
    SaveBitmapAsPng(&bmp, Name);
  }
};

// Both clicks are queued at once: the first press starts the bar's own drag
// loop, which takes the release from the queue.
void DoubleClick(TPoint P) {
  barinput::MoveTo(P);
  barinput::Settle(30);
  for (int i = 0; i < 2; ++i) {
    barinput::Button(MOUSEEVENTF_LEFTDOWN);
    barinput::Button(MOUSEEVENTF_LEFTUP);
  }
  barinput::Settle(120);
}

TEST(ToolbarInputDoubleClick, TheDragHandleFloatsADockedBarAndDocksItBackInItsRow) {
  TBarForm m;
  TdxDockControl* top = m.manager->Bars()->DockControl(dsTop);
  ASSERT_EQ(top->RowCount(), 2);
  TdxBarControl* w = m.bar->Control();
  TRect wr = m.ScreenRect(w);
  m.Shot("bars_dblclick_0_docked.png");

  DoubleClick(Point(wr.Left + 4, (wr.Top + wr.Bottom) / 2));  // the grip
  ASSERT_EQ(m.bar->Control(), w) << "the same window moves";
  EXPECT_EQ(m.bar->DockingStyle(), dsNone);
  EXPECT_EQ(w->DockingStyleOfWindow(), dsNone);
  EXPECT_EQ(w->Parent(), nullptr);
  EXPECT_EQ(Point(w->Left(), w->Top()), Point(200, 180)) << "at its floating place";
  EXPECT_EQ(top->RowCount(), 1);
  EXPECT_EQ(top->RowOf(m.other->Control()), 0);
  EXPECT_EQ(m.clicks, 0);
  m.Shot("bars_dblclick_1_floating.png");

  TRect fl = m.ScreenRect(w);
  DoubleClick(Point(fl.Left + 30, fl.Top + m.manager->FloatFrameHeight() + SmallCaptionHeight() / 2));
  ASSERT_EQ(m.bar->Control(), w);
  EXPECT_EQ(m.bar->DockingStyle(), dsTop);
  EXPECT_EQ(w->DockSite(), top);
  EXPECT_EQ(top->RowCount(), 2);
  EXPECT_EQ(top->RowOf(w), 0) << "back in the row it had";
  EXPECT_EQ(top->RowOf(m.other->Control()), 1);
  EXPECT_EQ(m.clicks, 0);
  m.Shot("bars_dblclick_2_docked.png");
}

TEST(ToolbarInputMenuMode, AnAcceleratorSelectsEnterRunsAndEscGivesTheFocusBack) {
  TBarForm m;
  barinput::Chord({VK_MENU}, 'U');  // "&Undo" alone: clicked at once
  EXPECT_EQ(m.clicks, 1);
  EXPECT_EQ(KeyboardMenuWindow(m.manager), nullptr);
  // "C&opy" and "&Cut": O is unique, C too; both click. Add a second O-item to
  // make it ambiguous: it only selects then.
  auto* open = new TdxBarButton(m.form.get());
  open->SetCaption("&Open");
  open->SetPaintStyle(psCaption);
  m.bar->ItemLinks()->Add()->SetItem(open);
  barinput::Settle();
  barinput::Chord({VK_MENU}, 'O');
  EXPECT_EQ(m.clicks, 1);
  TdxBarControl* w = m.bar->Control();
  ASSERT_EQ(KeyboardMenuWindow(m.manager), w);
  ASSERT_NE(w->SelectedControl(), nullptr);
  EXPECT_EQ(w->SelectedControl()->Item()->Caption(), "C&opy");
  barinput::Tap(VK_ESCAPE);
  EXPECT_EQ(KeyboardMenuWindow(m.manager), nullptr);
  EXPECT_EQ(GetFocus(), m.edit->Handle());
  barinput::Chord({VK_MENU}, 'O');
  barinput::Tap(VK_RIGHT);
  barinput::Tap(VK_RETURN);
  EXPECT_EQ(m.clicks, 2) << "Enter runs the selected button";
  EXPECT_EQ(KeyboardMenuWindow(m.manager), nullptr);
  EXPECT_EQ(GetFocus(), m.edit->Handle());
}

// The caption close button of a floating bar: released off the button the bar
// stays; released on it the bar closes and the manager is told once. Both the
// framed look (the system's non-client press) and the flat one (tracked by the
// window's own client messages).
TEST(ToolbarInputCloseButton, ClosesOnlyWhenReleasedOnTheButton) {
  for (TdxBarManagerStyle style : {bmsEnhanced, bmsFlat}) {
    SCOPED_TRACE(style);
    TBarForm m;
    m.manager->SetStyle(style);
    int closed = 0;
    m.manager->OnBarClose = [&](TObject*, TdxBar* B) {
      EXPECT_EQ(B, m.bar);
      ++closed;
    };
    m.bar->SetDockingStyle(dsNone);
    barinput::Settle();
    TdxBarControl* w = m.bar->Control();
    ASSERT_NE(w, nullptr);
    TRect wr = m.ScreenRect(w);
    TRect b = w->CloseButtonRect();
    ASSERT_GT(b.Width(), 0);
    TPoint on = Point(wr.Left + (b.Left + b.Right) / 2, wr.Top + (b.Top + b.Bottom) / 2);
    // Pressed, moved off and released: nothing. The steps run from a timer,
    // as the button's own loop holds the messages meanwhile.
    Byte pressedState = 0, offState = 0;
    std::vector<std::function<void()>> steps = {
        [&] { barinput::MoveTo(on); },
        [&] { barinput::Button(MOUSEEVENTF_LEFTDOWN); },
        [&] { pressedState = w->CloseButtonState; },
        [&] { barinput::MoveTo(Point(on.X - 60, on.Y + 40)); },
        [&] { offState = w->CloseButtonState; },
        [&] { barinput::Button(MOUSEEVENTF_LEFTUP); },
    };
    size_t next = 0;
    TTimer timer(nullptr);
    timer.SetInterval(40);
    timer.OnTimer = [&](TObject*) {
      if (next < steps.size()) steps[next++]();
    };
    timer.SetEnabled(true);
    ASSERT_TRUE(testui::PumpUntil([&] { return next >= steps.size(); }, 3000));
    timer.SetEnabled(false);
    barinput::Settle(80);
    EXPECT_EQ(pressedState, 2);
    EXPECT_EQ(offState, 1) << "off the button it is only hot";
    EXPECT_TRUE(m.bar->Visible());
    EXPECT_EQ(closed, 0);
    ASSERT_EQ(m.bar->Control(), w);
    EXPECT_EQ(w->CloseButtonState, 0);
    // Pressed and released on it: the bar closes.
    barinput::QueueClick(on);
    barinput::Settle(120);
    EXPECT_FALSE(m.bar->Visible());
    EXPECT_EQ(m.bar->Control(), nullptr);
    EXPECT_EQ(closed, 1);
  }
}

}  // namespace
