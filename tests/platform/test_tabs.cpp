// Tab control and page control headless: tabs in the window, page switching by
// code, by the tab control's notifications and from a text form.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/FormReader.h"
#include "platform/Forms.h"
#include "platform/Tabs.h"
#include "platform/TypInfo.h"
#include "tests/support/ui.h"

#include <commctrl.h>

namespace {

using testui::NewForm;

std::string TabText(HWND Tab, Integer Index) {
  wchar_t buf[64] = {};
  TCITEMW item{};
  item.mask = TCIF_TEXT;
  item.pszText = buf;
  item.cchTextMax = 64;
  ::SendMessageW(Tab, TCM_GETITEMW, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&item));
  return WideToUtf8(buf);
}

std::vector<std::string> TabTexts(HWND Tab) {
  std::vector<std::string> r;
  Integer n = static_cast<Integer>(::SendMessageW(Tab, TCM_GETITEMCOUNT, 0, 0));
  for (Integer i = 0; i < n; ++i) r.push_back(TabText(Tab, i));
  return r;
}

Integer CurSel(HWND Tab) { return static_cast<Integer>(::SendMessageW(Tab, TCM_GETCURSEL, 0, 0)); }

// A click on a tab, as the user makes it: the tab control sends the notifications itself.
void ClickTab(HWND Tab, Integer Index) {
  RECT r{};
  ::SendMessageW(Tab, TCM_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&r));
  LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  ::SendMessageW(Tab, WM_LBUTTONDOWN, MK_LBUTTON, at);
  ::SendMessageW(Tab, WM_LBUTTONUP, 0, at);
}

struct PageFixture {
  std::unique_ptr<TForm> form{NewForm(400, 300)};
  TPageControl* pc = nullptr;
  TTabSheet* sheets[3] = {};
  std::vector<std::string> log;
  bool allow = true;

  PageFixture() {
    pc = new TPageControl(form.get());
    pc->SetParent(form.get());
    pc->SetBounds(0, 0, 300, 200);
    const char* captions[] = {"One", "Two", "Three"};
    for (int i = 0; i < 3; ++i) {
      sheets[i] = new TTabSheet(form.get());
      sheets[i]->SetCaption(captions[i]);
      sheets[i]->SetPageControl(pc);
    }
    pc->OnChanging = [this](TObject* Sender, bool& AllowChange) {
      EXPECT_EQ(Sender, pc);
      log.push_back("changing from " + pc->ActivePage()->Caption());
      AllowChange = allow;
    };
    pc->OnChange = [this](TObject*) { log.push_back("change to " + pc->ActivePage()->Caption()); };
  }
  std::vector<bool> Shown() const {
    return {sheets[0]->Visible(), sheets[1]->Visible(), sheets[2]->Visible()};
  }
};

}  // namespace

TEST(PageControl, SheetsAreTabsAndOnlyTheActiveOneShows) {
  PageFixture f;
  HWND tab = f.pc->Handle();
  EXPECT_EQ(f.pc->PageCount(), 3);
  EXPECT_EQ(f.pc->Pages(1), f.sheets[1]);
  EXPECT_EQ(f.sheets[2]->PageIndex(), 2);
  EXPECT_EQ(f.sheets[0]->PageControl(), f.pc);
  EXPECT_EQ(f.sheets[0]->Parent(), f.pc);
  EXPECT_THROW(f.pc->Pages(3), EListError);
  EXPECT_EQ(TabTexts(tab), (std::vector<std::string>{"One", "Two", "Three"}));

  // The first page becomes active by itself; the sheets fill the display rectangle.
  EXPECT_EQ(f.pc->ActivePage(), f.sheets[0]);
  EXPECT_EQ(f.Shown(), (std::vector<bool>{true, false, false}));
  TRect display = f.pc->DisplayRect();
  EXPECT_GT(display.Top, 0);
  EXPECT_LT(display.Right, 300);
  EXPECT_EQ(f.sheets[0]->BoundsRect(), display);

  // A caption change reaches the tab.
  f.sheets[1]->SetCaption("Deux");
  EXPECT_EQ(TabText(tab, 1), "Deux");

  // Setting the active page by code selects its tab without events.
  f.pc->SetActivePage(f.sheets[2]);
  EXPECT_EQ(f.pc->ActivePage(), f.sheets[2]);
  EXPECT_EQ(f.pc->TabIndex(), 2);
  EXPECT_EQ(CurSel(tab), 2);
  EXPECT_EQ(f.Shown(), (std::vector<bool>{false, false, true}));
  EXPECT_EQ(f.sheets[2]->BoundsRect(), display);
  EXPECT_TRUE(f.log.empty());

  // Hidden tabs: the page stays a page but loses its tab; tab indexes follow.
  f.sheets[1]->SetTabVisible(false);
  EXPECT_EQ(TabTexts(tab), (std::vector<std::string>{"One", "Three"}));
  EXPECT_EQ(f.pc->PageCount(), 3);
  EXPECT_EQ(f.sheets[2]->TabIndex(), 1);
  EXPECT_EQ(f.sheets[1]->TabIndex(), -1);
  EXPECT_EQ(CurSel(tab), 1);
  // Hiding the active page's tab moves to a visible page.
  f.sheets[2]->SetTabVisible(false);
  EXPECT_EQ(f.pc->ActivePage(), f.sheets[0]);
  EXPECT_EQ(f.Shown(), (std::vector<bool>{true, false, false}));
  f.sheets[1]->SetTabVisible(true);
  f.sheets[2]->SetTabVisible(true);

  // Reordering and freeing sheets.
  f.sheets[2]->SetPageIndex(0);
  EXPECT_EQ(TabTexts(tab), (std::vector<std::string>{"Three", "One", "Deux"}));
  EXPECT_EQ(f.pc->TabIndex(), 1);
  EXPECT_EQ(CurSel(tab), 1);
  delete f.sheets[0];  // the active one: the page that takes its place follows
  f.sheets[0] = nullptr;
  EXPECT_EQ(f.pc->PageCount(), 2);
  EXPECT_EQ(f.pc->ActivePage(), f.sheets[1]);
  EXPECT_TRUE(f.sheets[1]->Visible());
  EXPECT_EQ(TabTexts(tab), (std::vector<std::string>{"Three", "Deux"}));
}

TEST(PageControl, UserSwitchingFiresChangingThenChangeAndCanBeRefused) {
  PageFixture f;
  HWND tab = f.pc->Handle();

  // A click on a tab.
  ClickTab(tab, 1);
  EXPECT_EQ(f.pc->ActivePage(), f.sheets[1]);
  EXPECT_EQ(f.pc->TabIndex(), 1);
  EXPECT_EQ(f.Shown(), (std::vector<bool>{false, true, false}));

  // The notification alone, as a parent window receives it.
  ::SendMessageW(tab, TCM_SETCURSEL, 2, 0);
  NMHDR hdr{tab, 0, static_cast<UINT>(TCN_SELCHANGE)};
  ::SendMessageW(f.form->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&hdr));
  EXPECT_EQ(f.pc->ActivePage(), f.sheets[2]);
  EXPECT_EQ(f.Shown(), (std::vector<bool>{false, false, true}));

  // Next page by code wraps round, with the same events.
  f.pc->SelectNextPage(true);
  EXPECT_EQ(f.pc->ActivePage(), f.sheets[0]);
  EXPECT_EQ(CurSel(tab), 0);
  EXPECT_EQ(f.log, (std::vector<std::string>{"changing from One", "change to Two", "change to Three",
                                             "changing from Three", "change to One"}));

  // Refused: nothing moves, neither the page nor the selected tab.
  f.log.clear();
  f.allow = false;
  ClickTab(tab, 2);
  f.pc->SelectNextPage(false);
  hdr.code = static_cast<UINT>(TCN_SELCHANGING);
  EXPECT_EQ(::SendMessageW(f.form->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&hdr)), 1);
  EXPECT_EQ(f.pc->ActivePage(), f.sheets[0]);
  EXPECT_EQ(CurSel(tab), 0);
  EXPECT_EQ(f.Shown(), (std::vector<bool>{true, false, false}));
  EXPECT_EQ(f.log, (std::vector<std::string>{"changing from One", "changing from One", "changing from One"}));
}

TEST(TabControl, TabsAndIndexReachTheWindow) {
  std::unique_ptr<TForm> form{NewForm(400, 300)};
  auto* tc = new TTabControl(form.get());
  tc->SetParent(form.get());
  tc->Tabs()->Add("Alpha");
  tc->Tabs()->Add("Beta");
  tc->SetTabIndex(1);
  HWND tab = tc->Handle();  // created after the settings: they are applied at creation
  EXPECT_EQ(TabTexts(tab), (std::vector<std::string>{"Alpha", "Beta"}));
  EXPECT_EQ(CurSel(tab), 1);

  tc->Tabs()->Add("Gamma");
  EXPECT_EQ(TabTexts(tab), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
  EXPECT_EQ(CurSel(tab), 1);

  std::vector<Integer> changes;
  tc->OnChange = [&](TObject*) { changes.push_back(tc->TabIndex()); };
  ClickTab(tab, 2);
  EXPECT_EQ(tc->TabIndex(), 2);
  EXPECT_EQ(changes, (std::vector<Integer>{2}));
}

namespace {

class TfrmPages : public TForm {
 public:
  T_CLASSNAME(TfrmPages)
  using TForm::TForm;
  TPageControl* pgcMain = nullptr;
  TTabSheet* tshFirst = nullptr;
  TTabSheet* tshSecond = nullptr;
  Integer changes = 0;
  void pgcMainChange(TObject*) { ++changes; }
};

const bool tabsClassesRegistered = [] {
  RegisterClassInfo<TfrmPages, TForm>("TfrmPages");
  RegisterHandlers<TfrmPages>({{"pgcMainChange", &TfrmPages::pgcMainChange}});
  RegisterFields<TfrmPages>(
      {{"pgcMain", &TfrmPages::pgcMain}, {"tshFirst", &TfrmPages::tshFirst}, {"tshSecond", &TfrmPages::tshSecond}});
  return true;
}();

const char* const kPagesForm =
    "object frmPages: TfrmPages\n"
    "  ClientHeight = 200\n"
    "  ClientWidth = 300\n"
    "  object pgcMain: TPageControl\n"
    "    Left = 0\n"
    "    Top = 0\n"
    "    Width = 300\n"
    "    Height = 200\n"
    "    ActivePage = tshSecond\n"
    "    Align = alClient\n"
    "    OnChange = pgcMainChange\n"
    "    object tshFirst: TTabSheet\n"
    "      Caption = 'First'\n"
    "    end\n"
    "    object tshSecond: TTabSheet\n"
    "      Caption = 'Second'\n"
    "      TabVisible = False\n"
    "    end\n"
    "  end\n"
    "end\n";

}  // namespace

TEST(PageControl, ReadFromTextFormGetsItsSheets) {
  TfrmPages form(nullptr);
  ReadComponentFromText(kPagesForm, &form);
  ASSERT_NE(form.pgcMain, nullptr);
  ASSERT_NE(form.tshFirst, nullptr);
  ASSERT_NE(form.tshSecond, nullptr);
  EXPECT_EQ(form.pgcMain->PageCount(), 2);
  EXPECT_EQ(form.pgcMain->Pages(0), form.tshFirst);
  EXPECT_EQ(form.pgcMain->Pages(1), form.tshSecond);
  EXPECT_EQ(form.tshFirst->PageControl(), form.pgcMain);
  EXPECT_EQ(form.tshSecond->Caption(), "Second");
  EXPECT_FALSE(form.tshSecond->TabVisible());
  // A reference resolved after loading: the page named, even with its tab hidden.
  EXPECT_EQ(form.pgcMain->ActivePage(), form.tshSecond);
  EXPECT_TRUE(form.tshSecond->Visible());
  EXPECT_FALSE(form.tshFirst->Visible());
  EXPECT_EQ(TabTexts(form.pgcMain->Handle()), (std::vector<std::string>{"First"}));
  form.pgcMain->SelectNextPage(true);
  EXPECT_EQ(form.pgcMain->ActivePage(), form.tshFirst);
  EXPECT_EQ(form.changes, 1);

  // Written back, it reads back the same.
  std::string once = WriteComponentToText(&form);
  TfrmPages copy(nullptr);
  ReadComponentFromText(once, &copy);
  EXPECT_EQ(WriteComponentToText(&copy), once);
  EXPECT_EQ(copy.pgcMain->ActivePage(), copy.tshFirst);
  EXPECT_EQ(copy.pgcMain->PageCount(), 2);
}
