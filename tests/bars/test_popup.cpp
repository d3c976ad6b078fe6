// Popup menus on a shown form with real input: ShowAtCursor returns after a
// choice (the item run once) and after a dismissal (the dismissing click then
// handled as usual), WM_COMMAND is lost and WM_QUIT kept while it runs, and
// the context key, Shift+F10 and a right-button release open a control's
// linked popup menu at the caret, the control's corner or the mouse point.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "bars/dxBar.h"
#include "platform/StdCtrls.h"
#include "tests/bars/bar_input.h"

namespace {

struct TPopupForm {
  std::unique_ptr<TForm> form;
  TdxBarManager* manager = nullptr;
  TdxBarPopupMenu* popup = nullptr;
  TEdit* edit = nullptr;
  TButton* button = nullptr;
  std::vector<TdxBarButton*> items;
  std::vector<int> clicks;
  int popups = 0, closeUps = 0, formMouseDowns = 0;

  TPopupForm() {
    form.reset(testui::NewForm(400, 260, 80, 80));
    manager = new TdxBarManager(form.get());
    edit = new TEdit(form.get());
    edit->SetParent(form.get());
    edit->SetBounds(20, 20, 150, 22);
    button = new TButton(form.get());
    button->SetParent(form.get());
    button->SetBounds(20, 120, 100, 30);
    popup = new TdxBarPopupMenu(form.get());
    for (const char* c : {"Select All Frames", "Insert Frame...", "Remove Frame"}) {
      auto* b = new TdxBarButton(form.get());
      b->SetCaption(c);
      size_t index = items.size();
      clicks.push_back(0);
      b->OnClick = [this, index](TObject*) { ++clicks[index]; };
      items.push_back(b);
      popup->ItemLinks()->Add()->SetItem(b);
    }
    popup->ItemLinks()->Items(1)->SetBeginGroup(true);
    popup->OnPopup = [this](TObject*) { ++popups; };
    popup->OnCloseUp = [this](TObject*) { ++closeUps; };
    form->OnMouseDown = [this](TObject*, TMouseButton, TShiftState, Integer, Integer) { ++formMouseDowns; };
    barinput::Activate(form.get());
  }

  int TotalClicks() const {
    int n = 0;
    for (int c : clicks) n += c;
    return n;
  }
  // The screen centre of row Index of the open menu.
  TPoint RowCenter(Integer Index) {
    TdxBarSubMenuControl* w = popup->Window();
    TRect r = popup->ItemLinks()->Items(Index)->ItemRect;
    return w->ClientToScreen(Point((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
  }
  TPoint MenuTopLeft() {
    RECT r;
    GetWindowRect(popup->Window()->Handle(), &r);
    return Point(r.left, r.top);
  }
  TPoint OutsidePoint() { return form->ClientToScreen(Point(300, 220)); }
};

// Runs Action from a timer once the menu shows, while the menu's loop runs.
struct TWhileOpen {
  std::unique_ptr<TTimer> timer;
  bool ran = false;
  TWhileOpen(TdxBarPopupMenu* Menu, std::function<void()> Action) : timer(std::make_unique<TTimer>(nullptr)) {
    timer->SetInterval(30);
    timer->OnTimer = [this, Menu, Action](TObject*) {
      if (ran || !Menu->Window()) return;
      ran = true;
      timer->SetEnabled(false);
      Action();
    };
    timer->SetEnabled(true);
  }
};

TEST(PopupShowAtCursor, ReturnsAfterAChoiceWithTheItemRunOnce) {
  TPopupForm m;
  TPoint at = m.form->ClientToScreen(Point(60, 70));
  barinput::MoveTo(at);
  barinput::Settle();
  TPoint topLeft;
  TWhileOpen choose(m.popup, [&] {
    topLeft = m.MenuTopLeft();
    barinput::QueueClick(m.RowCenter(2));
  });
  m.popup->ShowAtCursor();
  EXPECT_TRUE(choose.ran);
  EXPECT_EQ(topLeft, at) << "the menu's corner is at the cursor";
  EXPECT_EQ(m.clicks[2], 1);
  EXPECT_EQ(m.TotalClicks(), 1);
  EXPECT_EQ(m.popups, 1);
  EXPECT_EQ(m.closeUps, 1);
  EXPECT_EQ(m.popup->Window(), nullptr);
  EXPECT_FALSE(m.popup->Running());
  EXPECT_EQ(ActiveBarControl(), nullptr);
  barinput::Settle(100);
  EXPECT_EQ(m.TotalClicks(), 1) << "nothing runs after the return";
}

TEST(PopupShowAtCursor, ReturnsAfterADismissalAndTheClickIsHandledAfterwards) {
  TPopupForm m;
  barinput::MoveTo(m.form->ClientToScreen(Point(60, 70)));
  barinput::Settle();
  TWhileOpen dismiss(m.popup, [&] { barinput::QueueClick(m.OutsidePoint()); });
  m.popup->ShowAtCursor();
  EXPECT_TRUE(dismiss.ran);
  EXPECT_EQ(m.TotalClicks(), 0);
  EXPECT_EQ(m.closeUps, 1);
  EXPECT_EQ(m.popup->Window(), nullptr);
  barinput::Settle(100);
  EXPECT_EQ(m.formMouseDowns, 1) << "the click outside reaches the form";
}

TEST(PopupModalLoop, CommandsPostedMeanwhileAreLostAndQuitIsKept) {
  TPopupForm m;
  int commands = 0;
  m.form->OnMouseDown = nullptr;
  struct TCommandSink {
    static LRESULT CALLBACK Proc(HWND W, UINT Msg, WPARAM Wp, LPARAM Lp) {
      if (Msg == WM_COMMAND) ++*reinterpret_cast<int*>(GetWindowLongPtrW(W, GWLP_USERDATA));
      return DefWindowProcW(W, Msg, Wp, Lp);
    }
  };
  WNDCLASSW wc = {};
  wc.lpfnWndProc = TCommandSink::Proc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"PopupCommandSink";
  RegisterClassW(&wc);
  HWND sink = CreateWindowW(L"PopupCommandSink", L"", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
  SetWindowLongPtrW(sink, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&commands));

  TWhileOpen post(m.popup, [&] {
    PostMessageW(sink, WM_COMMAND, 1, 0);
    barinput::QueueClick(m.OutsidePoint());
  });
  m.popup->ShowAtPoint(100, 100);
  barinput::Settle();
  EXPECT_EQ(commands, 0);
  PostMessageW(sink, WM_COMMAND, 1, 0);
  barinput::Settle();
  EXPECT_EQ(commands, 1) << "after the loop commands arrive again";

  TWhileOpen quit(m.popup, [] { PostQuitMessage(7); });
  m.popup->ShowAtPoint(100, 100);
  EXPECT_TRUE(quit.ran);
  EXPECT_EQ(m.popup->Window(), nullptr) << "the loop ended and the menu closed";
  MSG msg;
  ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) << "WM_QUIT is posted again";
  EXPECT_EQ(msg.wParam, 7u);
  DestroyWindow(sink);
}

TEST(PopupModalLoop, ShowingAnOpenMenuAgainDoesNothing) {
  TPopupForm m;
  int nested = 0;
  m.popup->OnPopup = [&](TObject*) {
    ++nested;
    m.popup->ShowAtPoint(10, 10);  // the menu is showing: ignored
  };
  TWhileOpen dismiss(m.popup, [&] { barinput::QueueClick(m.OutsidePoint()); });
  m.popup->ShowAtPoint(100, 100);
  EXPECT_EQ(nested, 1);
  EXPECT_EQ(m.closeUps, 1);
}

TEST(PopupLinks, ContextKeyShiftF10AndRightReleaseOpenTheControlsMenu) {
  TPopupForm m;
  TdxBarPopupMenuLink* editLink = m.manager->PopupMenuLinks()->Add();
  editLink->SetControl(m.edit);
  editLink->SetPopupMenu(m.popup);
  TdxBarPopupMenuLink* buttonLink = m.manager->PopupMenuLinks()->Add();
  buttonLink->SetControl(m.button);
  buttonLink->SetPopupMenu(m.popup);

  struct {
    const char* name;
    TWinControl* focus;
    std::function<void()> input;
    std::function<TPoint()> expected;
  } cases[] = {
      {"context key in an edit: at the caret", m.edit, [] { barinput::Tap(VK_APPS); },
       [&] {
         POINT c;
         GetCaretPos(&c);
         ClientToScreen(m.edit->Handle(), &c);
         return Point(c.x, c.y);
       }},
      {"Shift+F10 on a button: at its corner", m.button, [] { barinput::Chord({VK_SHIFT}, VK_F10); },
       [&] { return m.button->ClientToScreen(Point(0, 0)); }},
      {"right release over the button: at the mouse", m.edit,
       [&] { barinput::Click(m.button->ClientToScreen(Point(30, 10)), true); },
       [&] { return m.button->ClientToScreen(Point(30, 10)); }},
  };
  for (auto& c : cases) {
    m.popups = m.closeUps = 0;
    c.focus->SetFocus();
    barinput::Settle();
    TPoint expected = c.expected();
    TPoint shownAt(-1, -1);
    TWhileOpen look(m.popup, [&] {
      shownAt = m.MenuTopLeft();
      barinput::QueueClick(m.RowCenter(0));
    });
    c.input();
    testui::PumpUntil([&] { return m.closeUps > 0; }, 2000);
    EXPECT_TRUE(look.ran) << c.name;
    EXPECT_EQ(shownAt, expected) << c.name;
    EXPECT_EQ(m.popups, 1) << c.name;
    EXPECT_EQ(m.closeUps, 1) << c.name;
  }
  EXPECT_EQ(m.clicks[0], 3);
  EXPECT_EQ(m.TotalClicks(), 3);

  // Ctrl+F10 opens nothing; a control that handles its context popup keeps it.
  m.button->SetFocus();
  barinput::Chord({VK_CONTROL}, VK_F10);
  EXPECT_EQ(m.popup->Window(), nullptr);
  int own = 0;
  m.button->OnContextPopup = [&](TObject*, TPoint, bool& Handled) {
    ++own;
    Handled = true;
  };
  m.popups = 0;
  barinput::Tap(VK_APPS);
  EXPECT_EQ(own, 1);
  EXPECT_EQ(m.popups, 0);
}

TEST(PopupLinks, RefusesControlsOfOtherFormsAndForgetsFreedOnes) {
  TPopupForm m;
  std::unique_ptr<TForm> other(testui::NewForm(100, 100, 500, 10));
  auto* foreign = new TEdit(other.get());
  foreign->SetParent(other.get());
  TdxBarPopupMenuLink* l = m.manager->PopupMenuLinks()->Add();
  l->SetControl(foreign);
  EXPECT_EQ(l->Control(), nullptr);
  l->SetControl(m.button);
  l->SetPopupMenu(m.popup);
  EXPECT_EQ(l->Control(), m.button);
  delete m.button;
  m.button = nullptr;
  EXPECT_EQ(l->Control(), nullptr);
  delete m.popup;
  m.popup = nullptr;
  EXPECT_EQ(l->PopupMenu(), nullptr);
}

TEST(PopupCreate, NeedsAManagerSomewhere) {
  std::unique_ptr<TForm> f(testui::NewForm(100, 100));
  try {
    new TdxBarPopupMenu(f.get());
    ADD_FAILURE() << "created without any manager";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "There are no TdxBarManagers available");
  }
  // With a manager on another form, the menu takes that one.
  TPopupForm m;
  auto* p = new TdxBarPopupMenu(f.get());
  EXPECT_EQ(p->BarManager(), m.manager);
  delete p;
}

}  // namespace
