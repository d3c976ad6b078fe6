// A manager following its owner form: floating toolbars hidden and shown with
// the form's minimising, restoring, closing and activation, kept inside the
// work area, system colours followed, and F1 help for menu rows and buttons.
#include <gtest/gtest.h>

#include <algorithm>

#include "bars/dxBar.h"
#include "tests/bars/bar_input.h"
#include "tests/bars/menu_model.h"
#include "tests/support/png_writer.h"
#include "tests/support/ui.h"

namespace {

struct TOwnerModel {
  std::unique_ptr<TForm> form;
  TdxBarManager* manager = nullptr;
  TdxBar* docked = nullptr;
  TdxBar* floating = nullptr;
  TdxBarSubItem* sub = nullptr;
  TdxBarButton *open = nullptr, *save = nullptr, *cut = nullptr;
  std::vector<std::string> help;

  explicit TOwnerModel(TdxBarManagerStyle Style = bmsEnhanced) {
    form.reset(testui::NewForm(420, 260, 60, 60, bsSizeable));
    manager = new TdxBarManager(form.get());
    manager->SetStyle(Style);
    open = Button("btnOpen", 0);
    save = Button("btnSave", 0);
    cut = Button("btnCut", 0);
    sub = new TdxBarSubItem(form.get());
    sub->SetName("subFile");
    sub->SetCaption("File");
    sub->SetCategory(0);
    sub->ItemLinks()->Add()->SetItem(open);
    sub->ItemLinks()->Add()->SetItem(save);
    docked = manager->Bars()->Add();
    docked->SetCaption("Docked");
    docked->ItemLinks()->Add()->SetItem(sub);
    docked->ItemLinks()->Add()->SetItem(cut);
    docked->SetDockingStyle(dsTop);
    docked->SetVisible(true);
    floating = manager->Bars()->Add();
    floating->SetCaption("Floating");
    floating->ItemLinks()->Add()->SetItem(Button("btnPaste", 0));
    floating->SetFloatLeft(520);
    floating->SetFloatTop(90);
    floating->SetDockingStyle(dsNone);
    floating->SetVisible(true);
    barinput::Activate(form.get());
    Application->OnHelp = [this](Word Command, LONG_PTR Data, bool& CallHelp) {
      help.push_back(std::to_string(Command) + ":" + std::to_string(Data));
      CallHelp = false;
    };
  }
  ~TOwnerModel() {
    Application->OnHelp = nullptr;
    form.reset();
    Application->ProcessMessages();
  }
  TdxBarButton* Button(const std::string& Name, Integer HelpContext) {
    auto* b = new TdxBarButton(form.get());
    b->SetName(Name);
    b->SetCaption(Name.substr(3));
    b->SetCategory(0);
    b->SetHelpContext(HelpContext);
    return b;
  }
  HWND Floating() { return floating->Control()->Handle(); }
  HWND Docked() { return docked->Control()->Handle(); }
  bool FloatingShown() { return floating->Control() && IsWindowVisible(Floating()); }
  bool DockedShown() { return (GetWindowLongW(Docked(), GWL_STYLE) & WS_VISIBLE) != 0; }
  LRESULT Send(UINT Msg, WPARAM W = 0, LPARAM L = 0) {
    LRESULT r = SendMessageW(form->Handle(), Msg, W, L);
    barinput::Settle(60);
    return r;
  }
  TPoint ViewCenter(TdxBar* Bar, Integer Link) {
    TRect r = Bar->ItemLinks()->Items(Link)->ItemRect;
    return Bar->Control()->ClientToScreen(Point((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
  }
};

}  // namespace

TEST(OwnerForm, FloatingBarsFollowTheFormsSystemCommandsAndActivation) {
  TOwnerModel m;
  ASSERT_TRUE(m.FloatingShown());
  TForm* other = testui::NewForm(120, 80, 10, 400, bsSizeable);
  other->Show();
  HWND plain = CreateWindowExW(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
  struct Step {
    const char* what;
    UINT msg;
    WPARAM wparam;
    LPARAM lparam;
    bool floatingShown;
  } steps[] = {
      {"minimise", WM_SYSCOMMAND, SC_MINIMIZE, 0, false},
      {"restore", WM_SYSCOMMAND, SC_RESTORE, 0, true},
      {"other application", WM_ACTIVATEAPP, FALSE, 0, false},
      {"activated", WM_ACTIVATE, WA_ACTIVE, 0, true},
      {"to its own floating bar", WM_ACTIVATE, WA_INACTIVE, -1, true},
      {"to a window of the program that is no form", WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(plain), true},
      {"to another form", WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(other->Handle()), false},
      {"activated again", WM_ACTIVATE, WA_ACTIVE, 0, true},
      {"to the application window", WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(Application->Handle()), false},
      {"activated once more", WM_ACTIVATE, WA_CLICKACTIVE, 0, true},
      {"to nothing", WM_ACTIVATE, WA_INACTIVE, 0, false},
      {"maximise", WM_SYSCOMMAND, SC_MAXIMIZE, 0, true},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    LPARAM l = s.lparam == -1 ? reinterpret_cast<LPARAM>(m.Floating()) : s.lparam;
    m.Send(s.msg, s.wparam, l);
    EXPECT_EQ(m.FloatingShown(), s.floatingShown);
    EXPECT_TRUE(m.DockedShown()) << "docked bars are left alone";
    if (s.floatingShown) {
      EXPECT_NE(GetActiveWindow(), m.Floating()) << "shown without activation";
    }
  }
  EXPECT_TRUE(m.floating->Visible()) << "hiding with the form is no change of the bar";

  // Real activation: another form of the program takes it, then the form again.
  SendMessageW(m.form->Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  barinput::Activate(other);
  EXPECT_FALSE(m.FloatingShown());
  barinput::Activate(m.form.get());
  EXPECT_TRUE(m.FloatingShown());

  // A menu of the manager open at the switch closes with it.
  barinput::Click(m.ViewCenter(m.docked, 0));
  ASSERT_NE(m.sub->MenuWindow(), nullptr);
  SendMessageW(m.form->Handle(), WM_ACTIVATEAPP, FALSE, 0);
  EXPECT_EQ(m.sub->MenuWindow(), nullptr);
  EXPECT_EQ(ActiveBarControl(), nullptr);
  EXPECT_EQ(m.manager->SelectedItemControl(), nullptr);
  m.Send(WM_ACTIVATE, WA_ACTIVE, 0);

  // Closing hides them too.
  m.Send(WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(m.FloatingShown());
  DestroyWindow(plain);
  delete other;
}

TEST(OwnerForm, FloatingBarsAreMovedBackIntoTheWorkArea) {
  TOwnerModel m;
  TRect wa = GetWorkAreaAt(POINT{270, 190});
  RECT fr;
  GetWindowRect(m.Floating(), &fr);
  Integer w = fr.right - fr.left, h = fr.bottom - fr.top;
  struct Case {
    const char* what;
    Integer x, y;        // placed at
    Integer wantX, wantY;
    UINT msg;
  } cases[] = {
      {"inside stays", wa.Left + 40, wa.Top + 30, wa.Left + 40, wa.Top + 30, WM_DISPLAYCHANGE},
      {"below and right", wa.Right - w / 2, wa.Bottom - 5, wa.Right - w, wa.Bottom - h, WM_DISPLAYCHANGE},
      {"above and left", wa.Left - 30, wa.Top - 20, wa.Left, wa.Top, WM_SETTINGCHANGE},
      {"right only", wa.Right + 50, wa.Top + 30, wa.Right - w, wa.Top + 30, WM_SETTINGCHANGE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SetWindowPos(m.Floating(), nullptr, c.x, c.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    m.Send(c.msg, c.msg == WM_SETTINGCHANGE ? SPI_SETWORKAREA : 32, 0);
    RECT r;
    GetWindowRect(m.Floating(), &r);
    EXPECT_EQ(r.left, c.wantX);
    EXPECT_EQ(r.top, c.wantY);
    EXPECT_EQ(r.right - r.left, w) << "the size is kept";
  }
  // Larger than the area: its top-left corner stays in it.
  SetWindowPos(m.Floating(), nullptr, wa.Left + 100, wa.Top + 100, wa.Width() + 40, 60,
               SWP_NOZORDER | SWP_NOACTIVATE);
  m.Send(WM_DISPLAYCHANGE, 32, 0);
  GetWindowRect(m.Floating(), &fr);
  EXPECT_EQ(fr.left, wa.Left);
  EXPECT_EQ(fr.top, wa.Top + 100);
  // A floating bar without a window: its stored place moves.
  m.floating->SetVisible(false);
  m.floating->SetFloatClientWidth(60);
  m.floating->SetFloatClientHeight(30);
  m.floating->SetFloatLeft(wa.Right + 300);
  m.floating->SetFloatTop(wa.Bottom + 300);
  m.Send(WM_DISPLAYCHANGE, 32, 0);
  EXPECT_EQ(m.floating->FloatLeft(), wa.Right - m.floating->FloatClientWidth() - m.floating->FrameWidth(dsNone));
  EXPECT_EQ(m.floating->FloatTop(), wa.Bottom - m.floating->FloatClientHeight() - m.floating->FrameHeight(dsNone));
}

TEST(OwnerForm, SystemColourChangesRepaintFlatBarsInTheNewColours) {
  TOwnerModel m(bmsFlat);
  INT index = COLOR_BTNFACE;
  COLORREF old = GetSysColor(COLOR_BTNFACE);
  COLORREF brushBefore = menutest::BrushColor(m.manager->FlatBackgroundBrush());
  COLORREF fresh = RGB(200, 120, 40);
  // Changing a system colour tells every top-level window.
  SetSysColors(1, &index, &fresh);
  barinput::Settle(80);
  COLORREF want = static_cast<COLORREF>(ColorToRGB(NearestColor(ShadeSysColor(COLOR_BTNFACE, 10, 10, 10))));
  COLORREF brushAfter = menutest::BrushColor(m.manager->FlatBackgroundBrush());
  auto pic = menutest::Grab(m.docked->Control());
  SetSysColors(1, &index, &old);
  barinput::Settle(80);
  EXPECT_NE(brushAfter, brushBefore);
  EXPECT_EQ(brushAfter, want & 0xFFFFFF);
  // The toolbar's background is repainted with the new brush.
  TRect all = Rect(0, 0, pic->Width(), pic->Height());
  EXPECT_GT(menutest::CountColor(pic.get(), all, want & 0xFFFFFF), pic->Width() * pic->Height() / 4);
  EXPECT_EQ(menutest::BrushColor(m.manager->FlatBackgroundBrush()), brushBefore) << "and back";
}

TEST(OwnerForm, F1ShowsTheHelpOfTheMenuRowOrButton) {
  TOwnerModel m;
  m.save->SetHelpContext(77);
  m.sub->SetHelpContext(55);
  m.cut->SetHelpContext(33);
  auto helpAt = [&](HWND Item, TPoint P) {
    HELPINFO info{};
    info.cbSize = sizeof(info);
    info.iContextType = HELPINFO_WINDOW;
    info.hItemHandle = Item;
    info.MousePos = POINT{P.X, P.Y};
    m.help.clear();
    m.Send(WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
  };
  auto openMenuAt = [&](Integer Row) {
    if (!m.sub->MenuWindow()) {
      barinput::Settle(static_cast<int>(GetDoubleClickTime()) + 50);  // a click, no double click
      barinput::Click(m.ViewCenter(m.docked, 0));
    }
    TdxBarSubMenuControl* menu = m.sub->MenuWindow();
    EXPECT_NE(menu, nullptr);
    if (!menu) return;
    barinput::MoveTo(menutest::RowCenter(menu, m.sub->ItemLinks()->Items(Row)));
    barinput::Settle(60);
  };
  const std::string context = std::to_string(HELP_CONTEXT) + ":";

  // The selected row's own topic; the menus close.
  openMenuAt(1);
  helpAt(m.form->Handle(), Point(0, 0));
  EXPECT_EQ(m.help, (std::vector<std::string>{context + "77"}));
  EXPECT_EQ(ActiveBarControl(), nullptr);
  // A row without one: the topic of the row that opened its menu.
  openMenuAt(0);
  helpAt(m.form->Handle(), Point(0, 0));
  EXPECT_EQ(m.help, (std::vector<std::string>{context + "55"}));
  // Nothing with a topic anywhere: no help, the menus still close.
  m.sub->SetHelpContext(0);
  openMenuAt(0);
  helpAt(m.form->Handle(), Point(0, 0));
  EXPECT_TRUE(m.help.empty());
  EXPECT_EQ(ActiveBarControl(), nullptr);
  // No menu open: the button under the request's point.
  helpAt(m.Docked(), m.ViewCenter(m.docked, 1));
  EXPECT_EQ(m.help, (std::vector<std::string>{context + "33"}));
  // A form with the help button asks for a popup below the view's middle.
  m.form->SetBorderIcons(TBorderIcons{biSystemMenu, biHelp});
  barinput::Settle(60);
  helpAt(m.Docked(), m.ViewCenter(m.docked, 1));
  TRect r = m.docked->ItemLinks()->Items(1)->ItemRect;
  TPoint below = m.docked->Control()->ClientToScreen(Point((r.Left + r.Right) / 2, r.Bottom));
  EXPECT_EQ(m.help, (std::vector<std::string>{
                        std::to_string(HELP_SETPOPUP_POS) + ":" +
                            std::to_string(static_cast<DWORD>(MAKELONG(below.X, below.Y))),
                        std::to_string(HELP_CONTEXTPOPUP) + ":33"}));
  // Help for a menu entry of the window menu is not the manager's.
  HELPINFO info{};
  info.cbSize = sizeof(info);
  info.iContextType = HELPINFO_MENUITEM;
  m.help.clear();
  m.Send(WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_TRUE(m.help.empty());
}

TEST(OwnerForm, BarsComeBackWhenTheFormsWindowsAreMadeAgain) {
  TOwnerModel m;
  TdxBar* hidden = m.manager->Bars()->Add();
  hidden->SetCaption("Hidden");
  hidden->ItemLinks()->Add()->SetItem(m.cut);
  hidden->SetDockingStyle(dsBottom);
  barinput::Settle(60);
  RECT floatBefore, dockBefore;
  GetWindowRect(m.Floating(), &floatBefore);
  GetWindowRect(m.Docked(), &dockBefore);
  HWND oldFloating = m.Floating(), oldDocked = m.Docked();
  m.form->RecreateWnd();
  barinput::Settle(100);
  EXPECT_FALSE(IsWindow(oldFloating));
  EXPECT_FALSE(IsWindow(oldDocked));
  ASSERT_NE(m.floating->Control(), nullptr);
  ASSERT_NE(m.docked->Control(), nullptr);
  ASSERT_TRUE(m.floating->Control()->HandleAllocated());
  ASSERT_TRUE(m.docked->Control()->HandleAllocated());
  EXPECT_TRUE(m.FloatingShown());
  EXPECT_TRUE(IsWindowVisible(m.Docked()));
  EXPECT_TRUE(m.floating->Visible() && m.docked->Visible());
  EXPECT_EQ(m.docked->Control()->DockSite(), m.manager->Bars()->DockControl(dsTop));
  RECT floatAfter, dockAfter;
  GetWindowRect(m.Floating(), &floatAfter);
  GetWindowRect(m.Docked(), &dockAfter);
  EXPECT_EQ(floatAfter.left, floatBefore.left);
  EXPECT_EQ(floatAfter.top, floatBefore.top);
  EXPECT_EQ(dockAfter.left - dockBefore.left, 0);
  EXPECT_EQ(dockAfter.top - dockBefore.top, 0);
  EXPECT_FALSE(hidden->Visible()) << "a hidden bar stays hidden";
  EXPECT_EQ(hidden->Control(), nullptr);
  // The bar works: its menu opens by a click.
  barinput::Click(m.ViewCenter(m.docked, 0));
  EXPECT_NE(m.sub->MenuWindow(), nullptr);
}

TEST(OwnerForm, TheCustomizingDialogGoesWithTheForm) {
  TOwnerModel m;
  m.manager->SetCustomizing(true);
  std::unique_ptr<TForm> dialog(testui::NewForm(200, 150, 520, 300, bsDialog));
  dialog->Show();
  std::vector<LPARAM> activations;
  TForm* d = dialog.get();
  d->WindowProc = [d, &activations](TMessage& M) {
    if (M.Msg == WM_ACTIVATE && LOWORD(M.WParam) != WA_INACTIVE) activations.push_back(M.LParam);
    d->WndProc(M);
  };
  dxBarCustomizingDialogCalls().Current = [d] { return static_cast<TCustomForm*>(d); };
  barinput::Activate(m.form.get());
  ASSERT_TRUE(m.FloatingShown());

  // The dialog taking the activation keeps the floating bars; another form does not.
  m.Send(WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(d->Handle()));
  EXPECT_TRUE(m.FloatingShown());
  std::unique_ptr<TForm> other(testui::NewForm(100, 80, 10, 420, bsSizeable));
  other->Show();
  m.Send(WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(other->Handle()));
  EXPECT_FALSE(m.FloatingShown());

  // The form disabled by the dialog passes its activation on to the dialog.
  activations.clear();
  EnableWindow(m.form->Handle(), FALSE);
  m.Send(WM_ACTIVATE, WA_CLICKACTIVE, 0);
  EnableWindow(m.form->Handle(), TRUE);
  auto fromForm = [&] {
    return std::count(activations.begin(), activations.end(), reinterpret_cast<LPARAM>(m.form->Handle()));
  };
  EXPECT_EQ(fromForm(), 1);
  activations.clear();
  m.Send(WM_ACTIVATE, WA_CLICKACTIVE, 0);
  EXPECT_EQ(fromForm(), 0) << "an enabled form keeps its activation";

  // Hidden and shown with the form.
  m.form->Hide();
  barinput::Settle(60);
  EXPECT_FALSE(IsWindowVisible(d->Handle()));
  m.form->Show();
  barinput::Settle(60);
  EXPECT_TRUE(IsWindowVisible(d->Handle()));

  dxBarCustomizingDialogCalls().Current = nullptr;
  d->WindowProc = nullptr;
  m.manager->SetCustomizing(false);
}
