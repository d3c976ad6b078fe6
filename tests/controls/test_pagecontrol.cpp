// The page control on a shown form: pages bound to tabs, switching by the
// mouse and by Ctrl+Tab with OnChanging able to refuse, caption changes
// reaching the tabs, closing and dragging tabs, coloured tabs, and a form
// resource that reads, shows and writes back unchanged.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/RzTabs.h"
#include "platform/FormReader.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"
#include "platform/SysUtils.h"
#include "tests/controls/shots.h"
#include "tests/controls/test_tabs_input.h"
#include "tests/support/ui.h"

namespace {

using Log = std::vector<std::string>;
using rzinput::Centre;

constexpr TColor kPageColors[] = {static_cast<TColor>(0x4080F0), static_cast<TColor>(0x40C040),
                                  static_cast<TColor>(0xF08040)};

struct PageControlTest : ::testing::Test {
  std::unique_ptr<TForm> form{testui::NewForm(420, 260, 40, 40)};
  TRzPageControl* pc = nullptr;
  std::vector<TRzTabSheet*> sheets;
  std::vector<TEdit*> edits;
  Log log;
  bool refuse = false;

  void SetUp() override {
    testshots::ShowActive(form.get());
    pc = new TRzPageControl(form.get());
    pc->SetParent(form.get());
    pc->SetBounds(10, 10, 380, 220);
    pc->Font()->SetName("Tahoma");
    pc->Font()->SetHeight(-11);
    const char* names[] = {"Alpha", "Bravo", "Charlie"};
    for (int i = 0; i < 3; ++i) {
      auto* s = new TRzTabSheet(form.get());
      s->SetCaption(names[i]);
      s->SetPageControl(pc);
      // Each page paints its own colour, so a pixel tells which page shows.
      TColor color = kPageColors[i];
      s->OnPaintBackground = [color](TObject*, TCanvas* C, const TRect& R, bool& Handled) {
        C->Brush()->SetColor(color);
        C->FillRect(R);
        Handled = true;
      };
      auto* e = new TEdit(form.get());
      e->SetParent(s);
      e->SetBounds(20, 20, 120, 21);
      sheets.push_back(s);
      edits.push_back(e);
    }
    pc->SetActivePage(sheets[0]);
    pc->OnChanging = [this](TObject*, Integer i, bool& allow) {
      log.push_back("changing " + std::to_string(i) + " shown " + Shown());
      if (refuse) allow = false;
    };
    pc->OnChange = [this](TObject*) { log.push_back("change " + std::to_string(pc->TabIndex()) + " shown " + Shown()); };
    pc->OnTabClick = [this](TObject*) { log.push_back("click " + std::to_string(pc->TabIndex())); };
    testshots::PaintNow(pc);
  }
  // The captions of the visible sheets, by their Visible flag.
  std::string Shown() {
    std::string s;
    for (TRzTabSheet* p : sheets)
      if (p && p->Visible()) s += (s.empty() ? "" : "+") + p->Caption();
    return s.empty() ? "none" : s;
  }
  std::string TabCaptions() {
    std::string s;
    for (Integer i = 0; i < pc->Tabs()->Count(); ++i) s += (i ? "," : "") + pc->Tabs()->Items(i)->Caption;
    return s;
  }
  TRect Client(Integer I) { return pc->TabRectToClient(pc->TabRect(I)); }
  // The colour in the middle of the page area, as the screen shows it.
  TColor PageColor() {
    auto shot = testshots::Shot(pc);
    TPoint c = Centre(pc->PageRect());
    return static_cast<TColor>(testshots::Px(shot.get(), c.X, c.Y + 40) & 0xFFFFFF);
  }
};

TEST_F(PageControlTest, SheetsMakeTheTabsAndExactlyTheActivePageShows) {
  TRzTabSheet *a = sheets[0], *b = sheets[1], *c = sheets[2];
  struct Step {
    const char* what;
    std::function<void()> act;
    std::string tabs;
    Integer index;
    std::string shown;
  } steps[] = {
      {"three sheets, the first active", [] {}, "Alpha,Bravo,Charlie", 0, "Alpha"},
      {"activating the third", [&] { pc->SetActivePage(c); }, "Alpha,Bravo,Charlie", 2, "Charlie"},
      {"hiding a tab renumbers the others", [&] { b->SetTabVisible(false); }, "Alpha,Charlie", 1, "Charlie"},
      {"hiding the active tab keeps its page shown", [&] { c->SetTabVisible(false); }, "Alpha", -1, "Charlie"},
      {"showing the tabs again", [&] { pc->ShowAllTabs(); }, "Alpha,Bravo,Charlie", 2, "Charlie"},
      {"moving a page moves its tab", [&] { a->SetPageIndex(2); }, "Bravo,Charlie,Alpha", 1, "Charlie"},
      {"the page index writer", [&] { pc->SetActivePageIndex(0); }, "Bravo,Charlie,Alpha", 0, "Bravo"},
      {"a caption change reaches the tab", [&] { b->SetCaption("Preview - Frame 12"); },
       "Preview - Frame 12,Charlie,Alpha", 0, "Preview - Frame 12"},
      {"hiding every tab", [&] { pc->HideAllTabs(); }, "", -1, "Preview - Frame 12"},
  };
  for (const Step& s : steps) {
    Integer before = pc->Tabs()->Count() ? Client(0).Right - Client(0).Left : 0;
    s.act();
    testshots::PaintNow(pc);
    EXPECT_EQ(TabCaptions(), s.tabs) << s.what;
    EXPECT_EQ(pc->TabIndex(), s.index) << s.what;
    EXPECT_EQ(Shown(), s.shown) << s.what;
    if (std::string(s.what) == "a caption change reaches the tab") {
      EXPECT_GT(Client(0).Right - Client(0).Left, before + 40) << "the longer caption widens its tab";
    }
  }
  EXPECT_EQ(PageColor(), kPageColors[1] & 0xFFFFFF) << "the shown page is the one on screen";
}

TEST_F(PageControlTest, RefusedWritesRaiseTheirMessages) {
  try {
    sheets[1]->SetPageIndex(3);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "3 is an invalid PageIndex value. PageIndex must be between 0 and 2");
  }
  try {
    sheets[1]->SetVisible(true);
    ADD_FAILURE() << "no exception";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "You cannot change the Visible property of a page");
  }
  EXPECT_FALSE(sheets[1]->Visible());
  EXPECT_THROW(pc->Pages(3), Exception);
  EXPECT_EQ(pc->ActivePage(), sheets[0]);
}

TEST_F(PageControlTest, ClickingATabShowsItsPageBeforeTheChangeIsReported) {
  struct Step {
    const char* what;
    Integer tab;
    bool refuse;
    Log events;
    std::string shown;
  } steps[] = {
      {"a click on the second tab", 1, false,
       {"changing 1 shown Alpha", "change 1 shown Bravo", "click 1"}, "Bravo"},
      {"a refused click", 2, true, {"changing 2 shown Bravo"}, "Bravo"},
      {"the third tab", 2, false, {"changing 2 shown Bravo", "change 2 shown Charlie", "click 2"}, "Charlie"},
  };
  for (const Step& s : steps) {
    refuse = s.refuse;
    log.clear();
    TPoint c = Centre(Client(s.tab));
    rzinput::ClickAt(pc, c.X, c.Y);
    EXPECT_EQ(log, s.events) << s.what;
    EXPECT_EQ(Shown(), s.shown) << s.what;
  }
  EXPECT_EQ(PageColor(), kPageColors[2] & 0xFFFFFF);
}

TEST_F(PageControlTest, CtrlTabCyclesThePagesWithVisibleTabs) {
  sheets[1]->SetTabVisible(false);
  edits[0]->SetFocus();
  rzinput::Settle();
  ASSERT_TRUE(edits[0]->Focused());
  struct Step {
    const char* what;
    std::initializer_list<WORD> keys;
    bool refuse;
    std::string shown;
  } steps[] = {
      {"Ctrl+Tab skips the page without a tab", {VK_CONTROL, VK_TAB}, false, "Charlie"},
      {"Ctrl+Tab wraps to the first page", {VK_CONTROL, VK_TAB}, false, "Alpha"},
      {"Ctrl+Shift+Tab goes back, wrapping", {VK_CONTROL, VK_SHIFT, VK_TAB}, false, "Charlie"},
      {"a refused change stays", {VK_CONTROL, VK_TAB}, true, "Charlie"},
  };
  for (const Step& s : steps) {
    refuse = s.refuse;
    rzinput::Chord(s.keys);
    EXPECT_EQ(Shown(), s.shown) << s.what;
  }
  EXPECT_EQ(pc->ActivePage(), sheets[2]);
  EXPECT_TRUE(edits[2]->Focused()) << "the focus went along to the new page's first control";
  EXPECT_FALSE(edits[0]->Visible() && sheets[0]->Visible());
  // Outside the page control Ctrl+Tab leaves the pages alone.
  refuse = false;
  auto* outside = new TEdit(form.get());
  outside->SetParent(form.get());
  outside->SetBounds(10, 235, 100, 21);
  outside->SetFocus();
  rzinput::Settle();
  rzinput::Chord({VK_CONTROL, VK_TAB});
  EXPECT_EQ(Shown(), "Charlie");
}

TEST_F(PageControlTest, ArrowKeysSwitchPagesAndARefusalKeepsThePage) {
  pc->SetFocus();
  rzinput::Settle();
  ASSERT_TRUE(pc->Focused());
  struct Step {
    const char* what;
    WORD key;
    bool refuse;
    std::string shown;
    Log events;
  } steps[] = {
      {"Right shows the next page", VK_RIGHT, false, "Bravo",
       {"changing 1 shown Alpha", "change 1 shown Bravo", "click 1"}},
      {"refused everywhere, Right stays", VK_RIGHT, true, "Bravo",
       {"changing 2 shown Bravo", "changing 0 shown Bravo"}},
      {"Left goes back", VK_LEFT, false, "Alpha", {"changing 0 shown Bravo", "change 0 shown Alpha", "click 0"}},
      {"Left wraps to the last page", VK_LEFT, false, "Charlie",
       {"changing 2 shown Alpha", "change 2 shown Charlie", "click 2"}},
  };
  for (const Step& s : steps) {
    refuse = s.refuse;
    log.clear();
    rzinput::Chord({s.key});
    EXPECT_EQ(Shown(), s.shown) << s.what;
    EXPECT_EQ(log, s.events) << s.what;
  }
  EXPECT_EQ(PageColor(), kPageColors[2] & 0xFFFFFF);
}

TEST_F(PageControlTest, TheCloseButtonFreesTheActivePage) {
  pc->SetShowCloseButton(true);
  bool allow = false;
  pc->OnClose = [&](TObject*, bool& a) { a = allow; };
  testshots::PaintNow(pc);
  TRzTabCloseButton* cb = pc->CloseButton();
  ASSERT_TRUE(cb && cb->Visible());
  auto click = [&] { rzinput::ClickAt(cb, cb->Width() / 2, cb->Height() / 2); };

  pc->SetActivePage(sheets[2]);
  click();
  EXPECT_EQ(pc->PageCount(), 3) << "without permission nothing closes";
  allow = true;
  click();
  sheets[2] = nullptr;  // freed
  EXPECT_EQ(pc->PageCount(), 2);
  EXPECT_EQ(TabCaptions(), "Alpha,Bravo");
  EXPECT_EQ(pc->ActivePage(), sheets[1]) << "the tab before the closed one";
  EXPECT_EQ(Shown(), "Bravo");
  pc->SetActivePage(sheets[0]);
  click();
  sheets[0] = nullptr;
  EXPECT_EQ(TabCaptions(), "Bravo");
  EXPECT_EQ(pc->ActivePage(), sheets[1]) << "closing the first tab selects the new first";
  EXPECT_EQ(pc->TabIndex(), 0);
}

TEST_F(PageControlTest, DraggingATabMovesItsPage) {
  pc->SetAllowTabDragging(true);
  TPoint a = Centre(Client(0)), c = Centre(Client(2));
  rzinput::MoveTo(pc, a.X, a.Y);
  rzinput::LeftDown();
  EXPECT_EQ(pc->TabIndex(), 0);
  rzinput::MoveTo(pc, a.X + 20, a.Y);
  rzinput::MoveTo(pc, c.X, c.Y);
  EXPECT_TRUE(pc->Dragging());
  EXPECT_TRUE(pc->DragMarkerShown());
  // Dropped on a later tab the page goes after it: the arrow sits at that tab's far end.
  TRect r = Client(2), m = pc->DragMarkerRect();
  Integer h = pc->FixedDimension() / 2;
  EXPECT_EQ(m.Left, r.Right - 7 - h);
  EXPECT_EQ(m.Right, r.Right + 8 - h);
  EXPECT_EQ(m.Top, r.Top - 2);
  EXPECT_EQ(m.Bottom, r.Top + 6);
  rzinput::MoveTo(pc, a.X, a.Y);
  EXPECT_FALSE(pc->DragMarkerShown()) << "over itself no marker";
  rzinput::MoveTo(pc, c.X, c.Y);
  EXPECT_TRUE(pc->DragMarkerShown());
  rzinput::LeftUp();
  EXPECT_FALSE(pc->DragMarkerShown());
  EXPECT_EQ(TabCaptions(), "Bravo,Charlie,Alpha");
  EXPECT_EQ(pc->ActivePage(), sheets[0]);
  EXPECT_EQ(sheets[0]->PageIndex(), 2);
  EXPECT_EQ(pc->TabIndex(), 2);

  // An earlier tab: the arrow sits at its near end and the page goes before it.
  TPoint now = Centre(Client(2)), first = Centre(Client(0));
  rzinput::MoveTo(pc, now.X, now.Y);
  rzinput::LeftDown();
  rzinput::MoveTo(pc, now.X - 20, now.Y);
  rzinput::MoveTo(pc, first.X, first.Y);
  m = pc->DragMarkerRect();
  EXPECT_EQ(m.Left, Client(0).Left - 8);
  rzinput::LeftUp();
  EXPECT_EQ(TabCaptions(), "Alpha,Bravo,Charlie");
}

TEST_F(PageControlTest, DroppingOnATabMovesBesideItsPageWhenTabsAreHidden) {
  // Pages Alpha, (hidden) Bravo, Charlie, Delta: tab 1 is the third page.
  auto* d = new TRzTabSheet(form.get());
  d->SetCaption("Delta");
  d->SetPageControl(pc);
  sheets[1]->SetTabVisible(false);
  pc->SetAllowTabDragging(true);
  pc->SetActivePage(d);
  testshots::PaintNow(pc);
  ASSERT_EQ(TabCaptions(), "Alpha,Charlie,Delta");
  TPoint from = Centre(Client(2)), to = Centre(Client(1));
  rzinput::MoveTo(pc, from.X, from.Y);
  rzinput::LeftDown();
  rzinput::MoveTo(pc, from.X - 20, from.Y);
  rzinput::MoveTo(pc, to.X, to.Y);
  rzinput::LeftUp();
  EXPECT_EQ(TabCaptions(), "Alpha,Delta,Charlie");
  EXPECT_EQ(d->PageIndex(), 2);
  EXPECT_EQ(pc->TabIndex(), 1);
}

TEST_F(PageControlTest, AColouredSheetTurnsColouredTabsOnAndColoursTheCard) {
  pc->SetColor(static_cast<TColor>(0xF7F5F3));
  for (TRzTabSheet* s : sheets) s->OnPaintBackground = nullptr;
  EXPECT_EQ(sheets[1]->Color(), static_cast<TColor>(0xF7F5F3)) << "sheets follow the control's colour";
  EXPECT_FALSE(pc->UseColoredTabs());
  sheets[1]->SetColor(static_cast<TColor>(0x80E0FF));
  EXPECT_TRUE(pc->UseColoredTabs());
  pc->SetActivePage(sheets[1]);
  auto shot = testshots::Shot(pc);
  // The selected tab's face and the page behind it take the page's colour.
  TRect t = Client(1);
  Integer face = 0;
  for (Integer y = t.Top; y <= t.Bottom; ++y)
    for (Integer x = t.Left; x <= t.Right; ++x)
      if ((testshots::Px(shot.get(), x, y) & 0xFFFFFF) == 0x80E0FF) ++face;
  EXPECT_GT(face, (t.Right - t.Left) * (t.Bottom - t.Top) / 3);
  EXPECT_EQ(PageColor(), static_cast<TColor>(0x80E0FF));
  pc->SetUseColoredTabs(false);
  EXPECT_EQ(sheets[1]->Color(), static_cast<TColor>(0xF7F5F3)) << "switched off, the sheets take the control's colour";
}

// ---------------------------------------------------------------------------
// A form resource.
const char* const kForm = R"(object PagesForm: TForm
  Left = 0
  Top = 0
  Width = 400
  Height = 260
  object pcPreview: TRzPageControl
    Left = 8
    Top = 8
    Width = 380
    Height = 220
    Anchors = [akLeft, akRight, akBottom]
    ParentColor = False
    Color = 16119543
    ParentFont = True
    TabOrder = 0
    FlatColor = 10263441
    HotTrackColor = 3983359
    HotTrackColorType = htctActual
    TabColors.HighlightBar = 3983359
    TabIndex = 1
    ActivePage = tsTwo
    FixedDimension = 19
    object tsOne: TRzTabSheet
      Left = 0
      Top = 0
      Width = 0
      Height = 0
      Anchors = [akLeft, akTop, akRight, akBottom]
      ParentColor = False
      Color = 16119543
      ParentFont = True
      Caption = 'Preview - Frame 1'
    end
    object tsTwo: TRzTabSheet
      Left = 1
      Top = 20
      Width = 376
      Height = 197
      Anchors = [akLeft, akTop, akRight, akBottom]
      ParentColor = False
      Color = 16119543
      ParentFont = True
      Caption = 'Animation Palette(s)'
    end
    object tsThree: TRzTabSheet
      Left = 0
      Top = 0
      Width = 0
      Height = 0
      Anchors = [akLeft, akTop, akRight, akBottom]
      ParentColor = False
      Color = 16119543
      ParentFont = True
      Caption = 'Importing Hi-Color images (24 bit)'
    end
  end
end
)";

// The page control's block of a form text.
std::string PageControlBlock(const std::string& Text) {
  size_t from = Text.find("  object pcPreview");
  size_t to = Text.find("\n  end\n", from);
  return from == std::string::npos || to == std::string::npos ? Text : Text.substr(from, to - from);
}

TEST(PageControlForm, ThreeSheetsReadShowAndWriteBackUnchanged) {
  RegisterRzTabsClasses();
  std::unique_ptr<TForm> form{new TForm(nullptr)};
  ReadComponentFromText(kForm, form.get());
  auto* pc = dynamic_cast<TRzPageControl*>(form->FindComponent("pcPreview"));
  ASSERT_NE(pc, nullptr);
  ASSERT_EQ(pc->PageCount(), 3);
  auto* two = dynamic_cast<TRzTabSheet*>(form->FindComponent("tsTwo"));
  EXPECT_EQ(pc->ActivePage(), two);
  EXPECT_EQ(pc->TabIndex(), 1);
  for (Integer i = 0; i < 3; ++i) EXPECT_EQ(pc->Pages(i)->Visible(), i == 1) << i;
  EXPECT_EQ(pc->Tabs()->Items(2)->Caption, "Importing Hi-Color images (24 bit)");
  form->SetBounds(40, 40, 400, 260);
  testshots::ShowActive(form.get());
  testshots::PaintNow(pc);
  TRect page = pc->PageRect();
  EXPECT_EQ(two->Left(), page.Left);
  EXPECT_EQ(two->Top(), page.Top);
  EXPECT_EQ(pc->FixedDimension(), 19) << "the streamed strip thickness agrees with the layout";
  form->Hide();
  form->SetBounds(0, 0, 400, 260);
  EXPECT_EQ(PageControlBlock(WriteComponentToText(form.get())), PageControlBlock(kForm));
}

TEST(PageControlForm, ActivePageDefaultWinsOverTheStoredActivePage) {
  RegisterRzTabsClasses();
  std::string text = kForm;
  text.replace(text.find("    ActivePage = tsTwo\n"), 0, "    ActivePageDefault = tsThree\n");
  std::unique_ptr<TForm> form{new TForm(nullptr)};
  ReadComponentFromText(text, form.get());
  auto* pc = dynamic_cast<TRzPageControl*>(form->FindComponent("pcPreview"));
  ASSERT_NE(pc, nullptr);
  EXPECT_EQ(pc->ActivePage(), form->FindComponent("tsThree"));
  EXPECT_EQ(pc->TabIndex(), 2);
  Integer shown = 0;
  for (Integer i = 0; i < 3; ++i) shown += pc->Pages(i)->Visible() ? 1 : 0;
  EXPECT_EQ(shown, 1);
}

}  // namespace
