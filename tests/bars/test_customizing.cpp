// Run-time customizing of the bars on a shown form read from its form
// resource: the mode itself, links dragged onto, between and off bars with
// the mouse, the group separator moved by a sideways drag, and the designed
// layout read again from the resource to reset a bar or the usage data.
#include <gtest/gtest.h>

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "bars/dxBar.h"
#include "platform/Dialogs.h"
#include "platform/FormReader.h"
#include "tests/bars/bar_input.h"
#include "tests/support/ui.h"

namespace {

class TfrmCustomizeBars : public TForm {
 public:
  T_CLASSNAME(TfrmCustomizeBars)
  using TForm::TForm;
  Integer itemClicks = 0, alphaClicks = 0;
  void BarManager1ClickItem(TObject*, TdxBarItem*) { ++itemClicks; }
  void btnAClick(TObject*) { ++alphaClicks; }
};

const bool customizeClassesRegistered = [] {
  RegisterClassInfo<TfrmCustomizeBars, TForm>("TfrmCustomizeBars");
  RegisterHandlers<TfrmCustomizeBars>({{"BarManager1ClickItem", &TfrmCustomizeBars::BarManager1ClickItem},
                                        {"btnAClick", &TfrmCustomizeBars::btnAClick}});
  return true;
}();

// The links of a collection as "Alpha Beta |Gamma" (| = begins a group).
std::string CustLinks(TdxBarItemLinks* L) {
  std::string s;
  for (Integer i = 0; i < L->Count(); ++i) {
    TdxBarItemLink* k = L->Items(i);
    if (!s.empty()) s += ' ';
    if (k->BeginGroup()) s += '|';
    s += k->Item() ? k->Item()->Caption() : std::string("?");
    if (!k->Visible()) s += "(hidden)";
  }
  return s;
}

// Answers every message box with a fixed button and records the texts.
struct TCustBoxAnswer {
  TMessageBoxFunc saved = MessageBoxFunc;
  std::vector<std::string> texts;
  explicit TCustBoxAnswer(int Answer) {
    MessageBoxFunc = [this, Answer](HWND, const std::string& Text, const std::string&, UINT) {
      texts.push_back(Text);
      return Answer;
    };
  }
  ~TCustBoxAnswer() { MessageBoxFunc = saved; }
};

struct TCustomizeForm {
  std::unique_ptr<TfrmCustomizeBars> form;
  TdxBarManager* manager = nullptr;

  TCustomizeForm() {
    form = std::make_unique<TfrmCustomizeBars>(nullptr);
    form->AfterConstruction();
    manager = FindBarManagerOfForm(form.get());
    barinput::Activate(form.get());
  }
  ~TCustomizeForm() {
    if (manager && manager->IsCustomizing()) manager->SetCustomizing(false);
    form.reset();
    Application->ProcessMessages();
  }
  TdxBar* Bar(const char* Caption) { return manager->BarByCaption(Caption); }
  TdxBarItem* Item(const char* Name) { return manager->ItemByName(Name); }
  TdxBarItemLinks* Links(const char* Bar) { return manager->BarByCaption(Bar)->ItemLinks(); }
  // The screen point at (FX, FY) fractions of a link's view.
  TPoint At(TdxBarItemLink* L, double FX = 0.5, double FY = 0.5) {
    TCustomdxBarControl* w = L->Links()->BarControl();
    TRect r = L->ItemRect;
    return w->ClientToScreen(Point(r.Left + static_cast<Integer>(r.Width() * FX),
                                   r.Top + static_cast<Integer>(r.Height() * FY)));
  }
  TPoint Empty() { return form->ClientToScreen(Point(300, 200)); }
};

// --- The designed layout ---------------------------------------------------------------------------

TEST(DesignedLayout, ReloadedManagerMatchesTheResourceWithoutHandlers) {
  TCustomizeForm f;
  f.manager->SetStoreInRegistry(true);
  std::unique_ptr<TCustomForm> designed(f.manager->ReloadDesignedLayout());
  ASSERT_NE(designed, nullptr);
  TdxBarManager* m = FindBarManagerOfForm(designed.get());
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(m->Name(), "BarManager1");
  EXPECT_FALSE(m->OnClickItem);
  EXPECT_FALSE(m->ItemByName("btnA")->OnClick);
  EXPECT_FALSE(m->StoreInRegistry());
  EXPECT_FALSE(m->StoreInIniFile());
  EXPECT_EQ(designed->ClientWidth(), 440);
  EXPECT_EQ(designed->ClientHeight(), 260);
  ASSERT_EQ(m->Bars()->Count(), 4);
  EXPECT_EQ(CustLinks(m->BarByCaption("Tools")->ItemLinks()), "Alpha Beta |Gamma Delta");
  EXPECT_EQ(CustLinks(static_cast<TCustomdxBarSubItem*>(m->ItemByName("subMore"))->ItemLinks()), "Epsilon Zeta");
  // Bar settings that merely begin with "On" are kept.
  EXPECT_TRUE(m->BarByCaption("Tools")->OneOnRow());
  EXPECT_TRUE(m->BarByCaption("Secret")->Hidden());
  // The live form keeps its handlers.
  EXPECT_TRUE(f.manager->OnClickItem);
}

TEST(DesignedLayout, FormWithoutResourceHasNone) {
  auto plain = std::make_unique<TForm>(nullptr);
  auto* m = new TdxBarManager(plain.get());
  EXPECT_EQ(m->ReloadDesignedLayout(), nullptr);
  TdxBar* b = m->Bars()->Add();
  b->SetCaption("Lone");
  b->ItemLinks()->Add()->SetItem(new TdxBarButton(plain.get()));
  TCustBoxAnswer ok(IDOK);
  b->ResetWithConfirm();
  EXPECT_EQ(b->ItemLinks()->Count(), 1);
}

// A user's changes, undone by a reset of the bar: with UseFullReset the whole
// bar (its caption too) comes back, else only its links; the sub items the
// bar shows are reset with it.
TEST(DesignedLayout, ResetRestoresTheDesignedLinks) {
  struct TCase {
    bool Full;
    int Answer;
    const char* Links;
    const char* Caption;
  } cases[] = {
      {false, IDCANCEL, "Delta Alpha |Zeta(hidden)", "Gadgets"},
      {false, IDOK, "Alpha Beta |Gamma Delta", "Gadgets"},
      {true, IDOK, "Alpha Beta |Gamma Delta", "Tools"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::string(c.Full ? "full " : "links ") + (c.Answer == IDOK ? "ok" : "cancel"));
    TCustomizeForm f;
    f.manager->SetUseFullReset(c.Full);
    TdxBar* tools = f.Bar("Tools");
    TdxBarItemLinks* links = tools->ItemLinks();
    links->Items(3)->SetIndex(0);
    delete links->Items(2);  // Beta
    delete links->Items(2);  // Gamma
    TdxBarItemLink* added = links->Add();
    added->SetItem(f.Item("btnF"));
    added->SetBeginGroup(true);
    added->SetVisible(false);
    tools->SetCaption("Gadgets");
    auto* sub = static_cast<TCustomdxBarSubItem*>(f.Item("subMore"));
    delete sub->ItemLinks()->Items(0);
    ASSERT_EQ(CustLinks(links), "Delta Alpha |Zeta(hidden)");
    std::vector<std::string> events;
    f.manager->OnBarBeforeReset = [&](TObject*, TdxBar* B) { events.push_back("before " + B->Name()); };
    f.manager->OnBarAfterReset = [&](TObject*, TdxBar* B) { events.push_back("after " + B->Name()); };
    TCustBoxAnswer answer(c.Answer);
    tools->ResetWithConfirm();
    ASSERT_EQ(answer.texts.size(), 1u);
    EXPECT_EQ(answer.texts[0], "Are you sure you want to reset the changes made to the 'Gadgets' toolbar?");
    EXPECT_EQ(CustLinks(links), c.Links);
    EXPECT_EQ(tools->Caption(), c.Caption);
    EXPECT_EQ(events, c.Answer == IDOK ? (std::vector<std::string>{"before Tools", "after Tools"})
                                       : std::vector<std::string>{});
    if (c.Answer == IDOK) {
      EXPECT_TRUE(tools->Visible());
      ASSERT_TRUE(tools->Control());
      // Every designed link has its view again.
      for (TdxBarItemLink* l : links->VisibleLinks()) EXPECT_TRUE(l->Control());
    }
    // Tools does not show the sub item; the main menu does.
    EXPECT_EQ(CustLinks(sub->ItemLinks()), "Zeta");
    f.Bar("Menu")->Reset();
    EXPECT_EQ(CustLinks(sub->ItemLinks()), "Epsilon Zeta");
  }
}

TEST(DesignedLayout, UsageDataResetOnlyAfterYes) {
  for (int answer : {IDNO, IDYES}) {
    SCOPED_TRACE(answer == IDYES ? "yes" : "no");
    TCustomizeForm f;
    TdxBarItemLinks* links = f.Links("Tools");
    links->Items(1)->SetMostRecentlyUsed(false);
    auto* sub = static_cast<TCustomdxBarSubItem*>(f.Item("subMore"));
    sub->ItemLinks()->Items(0)->SetMostRecentlyUsed(false);
    TCustBoxAnswer box(answer);
    f.manager->ConfirmResetUsageData();
    ASSERT_EQ(box.texts.size(), 1u);
    EXPECT_EQ(links->Items(1)->MostRecentlyUsed(), answer == IDYES);
    EXPECT_EQ(sub->ItemLinks()->Items(0)->MostRecentlyUsed(), answer == IDYES);
  }
}

// --- Customizing mode ----------------------------------------------------------------------------------

TEST(CustomizingMode, ShowsEveryLinkAndStopsCommands) {
  TCustomizeForm f;
  std::vector<std::string> events;
  f.manager->OnShowCustomizingForm = [&](TObject*) { events.push_back("show"); };
  f.manager->OnHideCustomizingForm = [&](TObject*) { events.push_back("hide"); };
  TdxBarItemLinks* tools = f.Links("Tools");
  tools->Items(3)->SetVisible(false);
  EXPECT_EQ(tools->VisibleLinks().size(), 3u);
  f.manager->SetCustomizing(true);
  EXPECT_TRUE(f.manager->IsCustomizing());
  EXPECT_EQ(tools->VisibleLinks().size(), 4u);
  EXPECT_TRUE(tools->Items(3)->Control());
  barinput::Click(f.At(tools->Items(0)));
  EXPECT_EQ(f.form->alphaClicks, 0);
  EXPECT_EQ(f.form->itemClicks, 0);
  // The press selected the view for customizing.
  EXPECT_EQ(f.manager->SelectedItemControl(), tools->Items(0)->Control());
  f.manager->SetCustomizing(false);
  EXPECT_EQ(tools->VisibleLinks().size(), 3u);
  EXPECT_FALSE(tools->Items(3)->Control());
  EXPECT_EQ(events, (std::vector<std::string>{"show", "hide"}));
  barinput::Click(f.At(tools->Items(0)));
  EXPECT_EQ(f.form->alphaClicks, 1);
}

TEST(CustomizingMode, DialogCallsAndOneDialogAtATime) {
  TCustomizeForm f;
  auto dialog = std::make_unique<TForm>(nullptr);
  dialog->SetBounds(500, 60, 120, 80);
  dialog->Show();
  std::vector<std::string> calls;
  auto& c = dxBarCustomizingDialogCalls();
  TCustomForm* open = nullptr;
  c.Show = [&](TdxBarManager* M, bool Show) {
    calls.push_back(std::string(Show ? "show " : "hide ") + M->Name());
    open = Show ? dialog.get() : nullptr;
  };
  c.Current = [&] { return open; };
  f.manager->SetCustomizing(true);
  // Another manager may not customize while the dialog is open.
  auto other = std::make_unique<TForm>(nullptr);
  auto* m2 = new TdxBarManager(other.get());
  m2->SetName("Second");
  m2->SetCustomizing(true);
  EXPECT_FALSE(m2->IsCustomizing());
  // The drag captures the dialog while customizing.
  EXPECT_EQ(f.manager->DragCaptureWindow(), dialog->Handle());
  f.manager->SetCustomizing(false);
  EXPECT_EQ(calls, (std::vector<std::string>{"show BarManager1", "hide BarManager1"}));
  EXPECT_EQ(f.manager->DragCaptureWindow(), f.form->Handle());
  c = TdxBarCustomizingDialogCalls();
}

// --- Dragging links with the mouse ------------------------------------------------------------------------

// Moves of a placed link with the mouse: along its bar, onto another bar and
// off every bar (a Ctrl drag copies instead).
TEST(CustomizingDrag, PlacedLinksMoveCopyAndLeave) {
  struct TCase {
    const char* Name;
    int From;          // link of Tools
    const char* Onto;  // bar, or "" for off the bars
    int OntoLink;
    double FX;
    bool Ctrl;
    const char* Tools;
    const char* Extra;
  } cases[] = {
      {"to the end", 0, "Tools", 3, 0.8, false, "Beta |Gamma Delta Alpha", "Epsilon Zeta"},
      {"before the group", 3, "Tools", 2, 0.2, false, "Alpha Beta |Delta Gamma", "Epsilon Zeta"},
      {"other bar", 1, "Extra", 0, 0.8, false, "Alpha |Gamma Delta", "Epsilon Beta Zeta"},
      {"copy", 1, "Extra", 1, 0.8, true, "Alpha Beta |Gamma Delta", "Epsilon Zeta Beta"},
      {"off", 2, "", 0, 0, false, "Alpha Beta |Delta", "Epsilon Zeta"},
      {"off with ctrl", 2, "", 0, 0, true, "Alpha Beta |Gamma Delta", "Epsilon Zeta"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TCustomizeForm f;
    f.manager->SetCustomizing(true);
    TdxBarItemLinks* tools = f.Links("Tools");
    TPoint from = f.At(tools->Items(c.From));
    TPoint to = *c.Onto ? f.At(f.Links(c.Onto)->Items(c.OntoLink), c.FX) : f.Empty();
    if (c.Ctrl) barinput::Key(VK_CONTROL, false);
    barinput::Drag(from, {Point(from.X, from.Y + 3)}, to);
    if (c.Ctrl) barinput::Key(VK_CONTROL, true);
    barinput::Settle();
    EXPECT_FALSE(f.manager->DragInProgress());
    EXPECT_EQ(CustLinks(tools), c.Tools);
    EXPECT_EQ(CustLinks(f.Links("Extra")), c.Extra);
  }
}

// A link dragged a few pixels sideways on its own place gets or loses its
// group separator; three pixels are not enough.
TEST(CustomizingDrag, SidewaysDragTogglesTheGroupSeparator) {
  struct TCase {
    int Link;
    int Dx;
    const char* Tools;
  } cases[] = {
      {1, 4, "Alpha |Beta |Gamma Delta"},
      {2, -4, "Alpha Beta Gamma Delta"},
      {1, 3, "Alpha Beta |Gamma Delta"},
      {2, 4, "Alpha Beta |Gamma Delta"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(std::to_string(c.Link) + " by " + std::to_string(c.Dx));
    TCustomizeForm f;
    f.manager->SetCustomizing(true);
    TdxBarItemLinks* tools = f.Links("Tools");
    TPoint from = f.At(tools->Items(c.Link));
    barinput::Drag(from, {}, Point(from.X + c.Dx, from.Y));
    EXPECT_EQ(CustLinks(tools), c.Tools);
  }
}

// A command dragged in (as the customizing dialog's command list does) lands
// where it is dropped: before or after a button by its half, after the group
// separator on the first half of a button that begins a group, before it on
// the separator's first half.
TEST(CustomizingDrag, CommandDropPlaces) {
  struct TCase {
    const char* Name;
    int OntoLink;
    double FX;
    bool Separator;
    const char* Tools;
  } cases[] = {
      {"first half", 1, 0.2, false, "Alpha Zeta Beta |Gamma Delta"},
      {"second half", 1, 0.8, false, "Alpha Beta Zeta |Gamma Delta"},
      {"group start first half", 2, 0.2, false, "Alpha Beta |Zeta Gamma Delta"},
      {"separator first half", 2, 0, true, "Alpha Beta Zeta |Gamma Delta"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TCustomizeForm f;
    f.manager->SetCustomizing(true);
    TdxBarItemLinks* tools = f.Links("Tools");
    TdxBarItemLink* onto = tools->Items(c.OntoLink);
    TPoint to = f.At(onto, c.FX);
    if (c.Separator) {
      // The first half of the band before the view.
      TRect s = onto->Control()->GroupSeparatorRect;
      ASSERT_GT(s.Width(), 1);
      to = tools->BarControl()->ClientToScreen(Point(s.Left, (s.Top + s.Bottom) / 2));
    }
    TPoint from = f.Empty();
    bool started = false;
    testui::TOneShot start(100, [&] {
      started = true;
      f.manager->DragItem(f.Item("btnF"), nullptr);
    });
    start.timer->SetEnabled(true);
    barinput::Drag(from, {Point(from.X - 40, from.Y - 40)}, to);
    testui::PumpUntil([&] { return !f.manager->DragInProgress(); }, 2000);
    EXPECT_TRUE(started);
    EXPECT_EQ(CustLinks(tools), c.Tools);
    // The new link's view is the customizing selection.
    TdxBarItemControl* sel = f.manager->SelectedItemControl();
    ASSERT_TRUE(sel);
    EXPECT_EQ(sel->Item(), f.Item("btnF"));
  }
}

TEST(CustomizingDrag, EscapeCancelsAndOffBarsDropOfACommandAddsNothing) {
  TCustomizeForm f;
  f.manager->SetCustomizing(true);
  TdxBarItemLinks* tools = f.Links("Tools");
  // Esc during a link drag leaves everything in place.
  TPoint from = f.At(tools->Items(0));
  TPoint to = f.At(f.Links("Extra")->Items(1));
  testui::TOneShot esc(400, [] { barinput::Key(VK_ESCAPE, false); barinput::Key(VK_ESCAPE, true); });
  esc.timer->SetEnabled(true);
  barinput::Drag(from, {Point(from.X, from.Y + 6), Point(to.X, to.Y + 6)}, to);
  barinput::Settle();
  EXPECT_EQ(CustLinks(tools), "Alpha Beta |Gamma Delta");
  EXPECT_EQ(CustLinks(f.Links("Extra")), "Epsilon Zeta");
  // A command released off the bars adds no link anywhere.
  testui::TOneShot start(100, [&] { f.manager->DragItem(f.Item("btnA"), nullptr); });
  start.timer->SetEnabled(true);
  barinput::Drag(f.Empty(), {}, Point(f.Empty().X - 60, f.Empty().Y));
  testui::PumpUntil([&] { return !f.manager->DragInProgress(); }, 2000);
  EXPECT_EQ(CustLinks(tools), "Alpha Beta |Gamma Delta");
  EXPECT_EQ(f.Item("btnA")->LinkCount(), 1);
}

}  // namespace
