// Command items on a form that is never shown: check groups and the click
// toggle, link user settings, recent-use counting, categories and groups, and
// the manager's refusals with what they leave behind.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "bars/dxBar.h"
#include "platform/FormReader.h"
#include "tests/support/ui.h"

namespace {

struct TModel {
  std::unique_ptr<TForm> form{testui::NewForm()};
  TdxBarManager* manager = new TdxBarManager(form.get());
  TdxBar* bar = nullptr;
  std::vector<std::string> clicks;

  TdxBarButton* Button(const std::string& Name, TdxBarButtonStyle Style = bsDefault, Integer Group = 0,
                       Integer Category = 0) {
    auto* b = new TdxBarButton(form.get());
    b->SetName(Name);
    b->SetCaption(Name);
    b->SetCategory(Category);
    b->SetButtonStyle(Style);
    b->SetGroupIndex(Group);
    b->OnClick = [this](TObject* S) { clicks.push_back(static_cast<TComponent*>(S)->Name()); };
    return b;
  }
  TdxBar* Bar() {
    if (!bar) {
      bar = manager->Bars()->Add();
      bar->SetCaption("Tools");
    }
    return bar;
  }
  TdxBarItemLink* Place(TdxBarItem* Item) {
    TdxBarItemLink* l = Bar()->ItemLinks()->Add();
    l->SetItem(Item);
    return l;
  }
  TdxBarButton* Named(const std::string& Name) { return dynamic_cast<TdxBarButton*>(form->FindComponent(Name)); }
};

// Names of the links in a list, space-separated.
std::string Names(const std::vector<TdxBarItemLink*>& L) {
  std::string s;
  for (TdxBarItemLink* l : L) s += (s.empty() ? "" : " ") + l->Item()->Name();
  return s;
}

}  // namespace

// --- Check groups ------------------------------------------------------------------------
// A and B are checked buttons of group 1, C of group 2, E a checked button of
// no group, D a plain button. Steps: "A+" down, "A-" up, "A!" click (the
// shortcut road: toggle, then the command), "A>2" group index 2, "A=" style
// plain, "A^" AllowAllUp, "Ax" disabled.
TEST(BarCheckGroups, DownStatesFollowTheGroupRules) {
  struct Case {
    const char* name;
    std::vector<std::string> steps;
    const char* down;    // buttons down afterwards
    const char* clicks;  // commands run
  } cases[] = {
      {"pressing the second releases the first", {"A+", "B+"}, "B", ""},
      {"the only down button of a group cannot be released", {"A+", "A-"}, "A", ""},
      {"AllowAllUp lets the last one go", {"A^", "A+", "A-"}, "", ""},
      {"AllowAllUp set on one is shared by its group", {"B^", "A+", "A-"}, "", ""},
      {"groups are apart", {"A+", "C+"}, "A C", ""},
      {"clicking the down button of a group leaves it down and runs it", {"A+", "A!"}, "A", "A"},
      {"clicking another member of the group moves the down state", {"A+", "B!"}, "B", "B"},
      {"a checked button of no group toggles on each click", {"E!", "E!", "E!"}, "E", "E E E"},
      {"a plain button is never down", {"D+", "D!"}, "", "D"},
      {"a disabled checked button neither toggles nor runs", {"Ex", "E!"}, "", ""},
      {"a style change leaves the button up", {"A+", "A="}, "", ""},
      {"moving into a group with a down button releases it", {"C+", "A+", "A>2"}, "C", ""},
      {"moving alone into an empty group keeps it down", {"A+", "A>3"}, "A", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TModel m;
    m.Button("A", bsChecked, 1);
    m.Button("B", bsChecked, 1);
    m.Button("C", bsChecked, 2);
    m.Button("D");
    m.Button("E", bsChecked);
    for (const std::string& s : c.steps) {
      TdxBarButton* b = m.Named(s.substr(0, 1));
      switch (s[1]) {
        case '+': b->SetDown(true); break;
        case '-': b->SetDown(false); break;
        case '!': b->TryClick(); break;
        case '>': b->SetGroupIndex(std::stoi(s.substr(2))); break;
        case '=': b->SetButtonStyle(bsDefault); break;
        case '^': b->SetAllowAllUp(true); break;
        case 'x': b->SetEnabled(false); break;
      }
    }
    std::string down;
    for (const char* n : {"A", "B", "C", "D", "E"})
      if (m.Named(n)->Down()) down += (down.empty() ? "" : " ") + std::string(n);
    EXPECT_EQ(down, c.down);
    std::string clicks;
    for (const std::string& n : m.clicks) clicks += (clicks.empty() ? "" : " ") + n;
    EXPECT_EQ(clicks, c.clicks);
  }
}

TEST(BarCheckGroups, GroupIndexOnAPlainButtonReadsZero) {
  TModel m;
  TdxBarButton* d = m.Button("D");
  d->SetGroupIndex(5);
  EXPECT_EQ(d->GroupIndex(), 0);
  TdxBarButton* a = m.Button("A", bsChecked);
  a->SetGroupIndex(5);
  EXPECT_EQ(a->GroupIndex(), 5);
}

// --- Link user settings ------------------------------------------------------------------
TEST(BarLinkUserSettings, UserValuesOverrideTheItemUntilTheirFlagGoes) {
  struct Case {
    const char* name;
    std::function<void(TdxBarItemLink*)> act;
    const char* caption;  // effective caption afterwards
    Integer width;        // UserWidth afterwards
    TdxBarPaintStyle paintStyle;
    TdxBarUserDefines defines;
  } cases[] = {
      {"a user caption", [](TdxBarItemLink* l) { l->SetUserCaption("Mine"); }, "Mine", 0, psCaptionGlyph,
       TdxBarUserDefines{udCaption}},
      {"a narrow width is clamped up", [](TdxBarItemLink* l) { l->SetUserWidth(5); }, "Item", 20, psCaptionGlyph,
       TdxBarUserDefines{udWidth}},
      {"a wide width is clamped down", [](TdxBarItemLink* l) { l->SetUserWidth(1000); }, "Item", 600,
       psCaptionGlyph, TdxBarUserDefines{udWidth}},
      {"a width in range is kept", [](TdxBarItemLink* l) { l->SetUserWidth(150); }, "Item", 150, psCaptionGlyph,
       TdxBarUserDefines{udWidth}},
      {"the item's own paint style defines nothing",
       [](TdxBarItemLink* l) { l->SetUserPaintStyle(psCaptionGlyph); }, "Item", 0, psCaptionGlyph,
       TdxBarUserDefines{}},
      {"another paint style is the link's own", [](TdxBarItemLink* l) { l->SetUserPaintStyle(psCaption); }, "Item",
       0, psCaption, TdxBarUserDefines{udPaintStyle}},
      {"an empty set discards every user value",
       [](TdxBarItemLink* l) {
         l->SetUserCaption("Mine");
         l->SetUserWidth(150);
         l->SetUserPaintStyle(psCaption);
         l->SetUserDefine(TdxBarUserDefines{});
       },
       "Item", 0, psCaptionGlyph, TdxBarUserDefines{}},
      {"dropping one flag discards only its value",
       [](TdxBarItemLink* l) {
         l->SetUserCaption("Mine");
         l->SetUserWidth(150);
         l->SetUserDefine(TdxBarUserDefines{udCaption});
       },
       "Mine", 0, psCaptionGlyph, TdxBarUserDefines{udCaption}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TModel m;
    TdxBarButton* b = m.Button("Item");
    b->SetPaintStyle(psCaptionGlyph);
    TdxBarItemLink* l = m.Place(b);
    TdxBarItemLink* other = m.Place(b);
    c.act(l);
    EXPECT_EQ(l->EffectiveCaption(), c.caption);
    EXPECT_EQ(l->UserWidth(), c.width);
    EXPECT_EQ(l->EffectiveWidth(), c.width);
    EXPECT_EQ(l->EffectivePaintStyle(), c.paintStyle);
    EXPECT_TRUE(l->UserDefine() == c.defines);
    // The item and its other placements keep their own values.
    EXPECT_EQ(b->Caption(), "Item");
    EXPECT_EQ(other->EffectiveCaption(), "Item");
    EXPECT_EQ(other->EffectivePaintStyle(), psCaptionGlyph);
  }
}

TEST(BarLinkUserSettings, UserGlyphReplacesTheItemGlyphForOnePlacement) {
  TModel m;
  TdxBarButton* b = m.Button("Item");
  b->Glyph()->SetSize(16, 16);
  TdxBarItemLink* l = m.Place(b);
  TBitmap g;
  g.SetSize(8, 8);
  l->SetUserGlyph(&g);
  EXPECT_TRUE(l->UserDefine().Contains(udGlyph));
  EXPECT_EQ(l->EffectiveGlyph()->Width(), 8);
  EXPECT_EQ(b->Glyph()->Width(), 16);
  l->SetUserDefine(TdxBarUserDefines{});
  EXPECT_TRUE(l->UserGlyph()->Empty());
  EXPECT_EQ(l->EffectiveGlyph(), b->Glyph());
}

// --- Recent use --------------------------------------------------------------------------
TEST(BarRecentUse, StartCountComesFromThePercentage) {
  struct Case {
    Integer percents;
    Integer start;
  } cases[] = {{95, 20}, {100, 0}, {0, 1}, {50, 2}, {90, 10}, {99, 100}, {200, 0}};
  TModel m;
  for (const Case& c : cases) {
    m.manager->SetMostRecentItemsPercents(static_cast<Byte>(c.percents));
    EXPECT_EQ(m.manager->RecentThreshold(), c.start) << c.percents;
    EXPECT_LE(m.manager->MostRecentItemsPercents(), 100);
    // A new link starts with the count.
    EXPECT_EQ(m.Place(m.Button("P" + std::to_string(&c - cases)))->UseCount, c.start) << c.percents;
  }
}

// Four links A B C D on one bar; flags says which start as recently used;
// clicks are counted uses. The cut is how many links a collapsed bar or menu
// shows (-1: all), and shown lists them after collapsing.
TEST(BarRecentUse, CountsDecideWhatACollapsedListShows) {
  struct Case {
    const char* name;
    const char* recentFlags;
    std::vector<const char*> clicks;
    TdxBarManagerStyle style;
    Integer cut;
    const char* shown;
    const char* order;  // recent order afterwards, most recent first
  } cases[] = {
      {"fresh links never collapse", "TTTT", {}, bmsEnhanced, -1, "A B C D", "D C B A"},
      {"links not recently used start at the back and are cut", "TTFF", {}, bmsEnhanced, 2, "A B", "B A C D"},
      {"a click brings a cut link back", "TTFF", {"C"}, bmsEnhanced, 3, "A B C", "C B A D"},
      {"one use among rare ones is enough to be shown", "TFFF", {"D", "D"}, bmsEnhanced, 2, "A D", "D A B C"},
      {"equal counts cut nothing", "FFFF", {}, bmsEnhanced, -1, "A B C D", "A B C D"},
      {"the standard style shows everything", "TTFF", {}, bmsStandard, -1, "A B C D", "B A C D"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TModel m;
    m.manager->SetStyle(c.style);
    for (int i = 0; i < 4; ++i) {
      std::string n(1, static_cast<char>('A' + i));
      // The flag is set before the item, as a form resource sets it.
      TdxBarItemLink* l = m.Bar()->ItemLinks()->Add();
      l->SetMostRecentlyUsed(c.recentFlags[i] == 'T');
      l->SetItem(m.Button(n));
    }
    TdxBarItemLinks* links = m.bar->ItemLinks();
    for (const char* n : c.clicks)
      for (Integer i = 0; i < links->Count(); ++i)
        if (links->Items(i)->Item()->Name() == n) links->Items(i)->CountUse(true);
    EXPECT_EQ(Names(links->RecentOrder()), c.order);
    EXPECT_EQ(links->RecentCutIndex(), c.cut);
    links->SetShownRecentCount(links->RecentCutIndex());
    EXPECT_EQ(Names(links->ShownLinks()), c.shown);
    links->RestoreShownRecentCount();
    EXPECT_EQ(Names(links->ShownLinks()), "A B C D");
  }
}

TEST(BarRecentUse, HidingSendsALinkBackAndShowingBringsItFrontUncounted) {
  TModel m;
  TdxBarItemLink* a = m.Place(m.Button("A"));
  TdxBarItemLink* b = m.Place(m.Button("B"));
  TdxBarItemLinks* links = m.bar->ItemLinks();
  EXPECT_EQ(Names(links->RecentOrder()), "B A");
  b->SetVisible(false);
  EXPECT_EQ(Names(links->RecentOrder()), "A B");
  EXPECT_EQ(Names(links->VisibleLinks()), "A");
  b->SetVisible(true);
  EXPECT_EQ(Names(links->RecentOrder()), "B A");
  EXPECT_EQ(b->UseCount, 20);
  a->CountUse(true);
  EXPECT_EQ(a->UseCount, 21);
  // A hidden item's link counts nothing.
  m.Named("B")->SetVisible(ivNever);
  b->CountUse(true);
  EXPECT_EQ(b->UseCount, 20);
  EXPECT_EQ(Names(links->RecentOrder()), "A B");
}

// --- Categories and groups -----------------------------------------------------------------
// Items X0.. in categories 0..2 of "One Two Three"; an edit of the list keeps
// every surviving item in its category's new place.
TEST(BarCategories, ListEditsMoveTheItemsWithTheirCategory) {
  struct Case {
    const char* name;
    std::function<void(TStrings*)> edit;
    const char* categories;
    std::vector<Integer> itemCategories;  // of X0 X1 X2 (-9: freed)
  } cases[] = {
      {"delete the middle one", [](TStrings* s) { s->Delete(1); }, "One Three", {0, -9, 1}},
      {"delete the first one", [](TStrings* s) { s->Delete(0); }, "Two Three", {-9, 0, 1}},
      {"move the first one last", [](TStrings* s) { s->Move(0, 2); }, "Two Three One", {2, 0, 1}},
      {"move the last one first", [](TStrings* s) { s->Move(2, 0); }, "Three One Two", {1, 2, 0}},
      {"exchange the outer ones", [](TStrings* s) { s->Exchange(0, 2); }, "Three Two One", {2, 1, 0}},
      {"insert before the second", [](TStrings* s) { s->Insert(1, "New"); }, "One New Two Three", {0, 2, 3}},
      {"move out of range changes nothing", [](TStrings* s) { s->Move(0, 7); }, "One Two Three", {0, 1, 2}},
      {"delete all leaves Default",
       [](TStrings* s) {
         while (s->Count() > 1) s->Delete(0);
         s->Delete(0);
       },
       "Default", {-9, -9, -9}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TModel m;
    TStrings* cats = m.manager->Categories();
    cats->Clear();
    for (const char* n : {"One", "Two", "Three"}) cats->Add(n);
    for (Integer i = 0; i < 3; ++i) m.Button("X" + std::to_string(i), bsDefault, 0, i);
    c.edit(cats);
    std::string names;
    for (Integer i = 0; i < cats->Count(); ++i) names += (i ? " " : "") + cats->Strings(i);
    EXPECT_EQ(names, c.categories);
    for (Integer i = 0; i < 3; ++i) {
      TdxBarButton* x = m.Named("X" + std::to_string(i));
      Integer got = x ? x->Category() : -9;
      EXPECT_EQ(got, c.itemCategories[static_cast<size_t>(i)]) << "X" << i;
    }
  }
}

TEST(BarCategories, ItemsVisibleReachesOnlyItemsThatFollowedIt) {
  TModel m;
  TdxBarButton* a = m.Button("A");
  TdxBarButton* b = m.Button("B");
  b->SetVisible(ivInCustomizing);
  TdxBarButton* other = m.Button("O", bsDefault, 0, -1);
  m.manager->SetCategoryItemsVisible(0, ivNever);
  EXPECT_EQ(a->Visible(), ivNever);
  EXPECT_EQ(b->Visible(), ivInCustomizing);
  EXPECT_EQ(other->Visible(), ivAlways);
  EXPECT_EQ(m.manager->GetCategoryItemsVisible(0), ivNever);
  m.manager->SetCategoryItemsVisible(0, ivAlways);
  EXPECT_EQ(a->Visible(), ivAlways);
  EXPECT_EQ(b->Visible(), ivInCustomizing);
  // Out of range: the stated defaults, and writes change nothing.
  EXPECT_EQ(m.manager->GetCategoryItemsVisible(7), ivNever);
  EXPECT_FALSE(m.manager->GetCategoryVisible(7));
  m.manager->SetCategoryVisible(7, false);
  EXPECT_EQ(m.manager->Categories()->Count(), 1);
}

TEST(BarGroups, EnabledAndVisibleReachEveryLevelAndCyclesAreRefused) {
  TModel m;
  TdxBarButton* a = m.Button("A");
  TdxBarButton* b = m.Button("B");
  TdxBarGroup* outer = m.manager->CreateGroup();
  TdxBarGroup* inner = m.manager->CreateGroup();
  outer->Add(a);
  outer->Add(inner);
  inner->Add(b);
  outer->SetEnabled(false);
  EXPECT_FALSE(a->Enabled());
  EXPECT_FALSE(b->Enabled());
  outer->SetVisible(ivNever);
  EXPECT_EQ(b->Visible(), ivNever);
  struct Case {
    const char* name;
    TdxBarGroup* into;
    TdxBarGroup* member;
  } cycles[] = {{"a group into itself", inner, inner}, {"a group into its own member", inner, outer}};
  for (const Case& c : cycles) {
    SCOPED_TRACE(c.name);
    Integer before = c.into->Count();
    try {
      c.into->Add(c.member);
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), "You cannot create recursive groups");
    }
    EXPECT_EQ(c.into->Count(), before);
  }
  // A freed member leaves the group.
  delete b;
  EXPECT_EQ(inner->Count(), 0);
}

// --- Refusals --------------------------------------------------------------------------------
TEST(BarManagerMisuse, RefusedManagersRaiseTheirTextAndLeaveNoTrace) {
  TModel m;  // the form's first manager, with a shown-later bar
  m.Place(m.Button("A"));
  TComponent plain(nullptr);
  ASSERT_EQ(Application->MainForm(), nullptr);
  struct Case {
    const char* name;
    TComponent* owner;
    const char* message;
  } cases[] = {
      {"owner is not a form", &plain, "TdxBarManager should have as its Owner - TForm (TCustomForm)"},
      {"no owner and no main form", nullptr, "TdxBarManager should have as its Owner - TForm (TCustomForm)"},
      {"a second manager on a form", m.form.get(), "A Form should contain only a single TdxBarManager"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Integer components = m.form->ComponentCount(), controls = m.form->ControlCount(),
            plainComponents = plain.ComponentCount();
    try {
      new TdxBarManager(c.owner);
      ADD_FAILURE() << "no exception";
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(), c.message);
    }
    EXPECT_EQ(TdxBarManager::ManagerCount(), 1);
    EXPECT_TRUE(dxBarHooksInstalled());
    EXPECT_EQ(m.form->ComponentCount(), components);
    EXPECT_EQ(m.form->ControlCount(), controls);
    EXPECT_EQ(plain.ComponentCount(), plainComponents);
    EXPECT_EQ(FindBarManagerOfForm(m.form.get()), m.manager);
  }
  // The first manager still works: its bar shows, its button runs.
  m.bar->SetVisible(true);
  EXPECT_NE(m.bar->Control(), nullptr);
  m.Named("A")->TryClick();
  EXPECT_EQ(m.clicks, std::vector<std::string>{"A"});
  // The last manager freed removes the hooks; a new one installs them again.
  m.form.reset();
  EXPECT_EQ(TdxBarManager::ManagerCount(), 0);
  EXPECT_FALSE(dxBarHooksInstalled());
  TModel again;
  EXPECT_TRUE(dxBarHooksInstalled());
}

// --- Accelerators ------------------------------------------------------------------------------
TEST(BarLinkAccelerators, MenuLinksAreFoundByTheLetterAfterTheAmpersand) {
  TModel m;
  auto* menu = new TdxBarPopupMenu(m.form.get());
  menu->SetBarManager(m.manager);
  auto add = [&](const char* Name, const char* Caption) {
    TdxBarButton* b = m.Button(Name);
    b->SetCaption(Caption);
    menu->ItemLinks()->Add()->SetItem(b);
    return b;
  };
  add("File", "&File");
  add("Exit", "E&xit");
  add("Plain", "None");
  add("Literal", "A&&B");
  add("Save", "&Save");
  add("Search", "&Search");
  add("Off", "&Disabled")->SetEnabled(false);
  auto link = [&](const char* Name) {
    for (Integer i = 0; i < menu->ItemLinks()->Count(); ++i)
      if (menu->ItemLinks()->Items(i)->Item()->Name() == Name) return menu->ItemLinks()->Items(i);
    return static_cast<TdxBarItemLink*>(nullptr);
  };
  struct Case {
    Word key;
    TShiftState shift;
    const char* after;
    const char* found;  // empty: none
  } cases[] = {
      {'F', TShiftState{ssAlt}, nullptr, "File"},
      {'F', TShiftState{ssAlt, ssShift}, nullptr, "File"},  // an upper-case mark takes Shift either way
      {'F', TShiftState{}, nullptr, "File"},
      {'F', TShiftState{ssCtrl}, nullptr, ""},
      {'X', TShiftState{ssAlt}, nullptr, "Exit"},
      {'N', TShiftState{}, nullptr, ""},                    // no mark
      {'B', TShiftState{}, nullptr, ""},                    // "&&" is a literal ampersand
      {'D', TShiftState{}, nullptr, ""},                    // disabled
      {'S', TShiftState{}, nullptr, "Save"},
      {'S', TShiftState{}, "Save", "Search"},               // the next one after the last found
      {'S', TShiftState{}, "Search", "Save"},               // wrapping around
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(1, static_cast<char>(c.key)) + " after " + (c.after ? c.after : "-"));
    TdxBarItemLink* l = menu->ItemLinks()->FindByAccelerator(c.key, c.shift, c.after ? link(c.after) : nullptr);
    EXPECT_EQ(l ? l->Item()->Name() : "", c.found);
  }
}

// --- Streaming ---------------------------------------------------------------------------------
// Values away from their defaults on every streamed class are written, read
// into a fresh form and written again to the same text; the reading keeps the
// values that writers would otherwise change (a down button of a group, user
// settings of a link, a hidden link, category records).
TEST(BarStreaming, NonDefaultValuesSurviveWritingAndReadingBack) {
  TModel m;
  m.form->SetName("frmModel");
  m.manager->SetName("BarManager1");
  TdxBarManager* bm = m.manager;
  bm->SetStyle(bmsFlat);
  bm->SetMostRecentItemsPercents(80);
  bm->SetNotDocking(TdxBarDockingStyles{dsLeft});
  bm->SetDockColor(clRed);
  bm->SetCanCustomize(false);
  bm->SetButtonArrowWidth(11);
  bm->Categories()->Add("Second");
  TdxBarButton* a = m.Button("btnA", bsChecked, 3);
  TdxBarButton* b = m.Button("btnB", bsChecked, 3);
  TdxBarButton* c = m.Button("btnC", bsDropDown);
  TdxBarButton* d = m.Button("btnD", bsDefault, 0, 1);
  a->SetDown(true);
  b->SetAllowAllUp(true);
  c->SetPaintStyle(psCaptionGlyph);
  c->SetLowered(true);
  c->SetShortCut(TextToShortCut("Ctrl+Shift+F"));
  d->SetEnabled(false);
  d->SetHint("Dee");
  d->SetDescription("The fourth");
  d->SetHelpContext(42);
  d->SetAlign(iaRight);
  d->SetUnclickAfterDoing(false);
  d->SetCloseSubMenuOnClick(false);
  bm->SetCategoryVisible(1, false);
  bm->SetCategoryItemsVisible(1, ivInCustomizing);
  TdxBar* bar = m.Bar();
  bar->SetDockingStyle(dsBottom);
  bar->SetRow(2);
  bar->SetShowMark(false);
  bar->SetUseRecentItems(false);
  bar->SetNotDocking(TdxBarDockingStyles{dsNone});
  m.Place(a)->SetBeginGroup(true);
  m.Place(b)->SetUserCaption("Bee");
  TdxBarItemLink* lc = m.Place(c);
  lc->SetUserWidth(150);
  lc->SetMostRecentlyUsed(false);
  TdxBarItemLink* ld = m.Place(d);
  ld->SetVisible(false);
  ld->SetUserPaintStyle(psCaption);
  TdxBarGroup* g = bm->CreateGroup();
  g->SetName("grpAB");
  g->Add(a);
  g->Add(b);
  auto* pm = new TdxBarPopupMenu(m.form.get());
  pm->SetName("pmA");
  pm->SetBarManager(bm);
  pm->SetUseRecentItems(false);
  pm->ItemLinks()->Add()->SetItem(a);

  std::string text = WriteComponentToText(m.form.get());
  std::ofstream("bars_streaming_written.dfm", std::ios::binary) << text;
  std::unique_ptr<TForm> copy{testui::NewForm()};
  try {
    ReadComponentFromText(text, copy.get());
  } catch (const Exception& e) {
    FAIL() << e.Message() << "\n" << text;
  }
  EXPECT_EQ(WriteComponentToText(copy.get()), text);

  TdxBarManager* cm = FindBarManagerOfForm(copy.get());
  ASSERT_NE(cm, nullptr);
  EXPECT_EQ(cm->ReadCount(), 1);
  EXPECT_EQ(cm->Style(), bmsFlat);
  EXPECT_EQ(cm->RecentThreshold(), 5);
  EXPECT_FALSE(cm->AutoDockColor());
  EXPECT_EQ(cm->DockColor(), clRed);
  EXPECT_EQ(cm->GetCategoryItemsVisible(1), ivInCustomizing);
  EXPECT_FALSE(cm->GetCategoryVisible(1));
  auto* ca = dynamic_cast<TdxBarButton*>(copy->FindComponent("btnA"));
  auto* cb = dynamic_cast<TdxBarButton*>(copy->FindComponent("btnB"));
  auto* cd = dynamic_cast<TdxBarButton*>(copy->FindComponent("btnD"));
  ASSERT_TRUE(ca && cb && cd);
  EXPECT_TRUE(ca->Down());
  EXPECT_TRUE(ca->AllowAllUp());
  EXPECT_EQ(cd->Visible(), ivInCustomizing);
  EXPECT_FALSE(cd->Enabled());
  TdxBarItemLinks* links = cm->Bars()->Items(0)->ItemLinks();
  ASSERT_EQ(links->Count(), 4);
  EXPECT_TRUE(links->Items(0)->BeginGroup());
  EXPECT_EQ(links->Items(1)->EffectiveCaption(), "Bee");
  EXPECT_EQ(links->Items(2)->UserWidth(), 150);
  EXPECT_FALSE(links->Items(2)->MostRecentlyUsed());
  EXPECT_EQ(links->Items(2)->UseCount, 0);
  EXPECT_FALSE(links->Items(3)->Visible());
  EXPECT_EQ(links->Items(3)->EffectivePaintStyle(), psCaption);
  EXPECT_EQ(cm->Bars()->Items(0)->DockingStyle(), dsBottom);
  auto* cg = dynamic_cast<TdxBarGroup*>(copy->FindComponent("grpAB"));
  ASSERT_NE(cg, nullptr);
  EXPECT_EQ(cg->Count(), 2);
  EXPECT_EQ(cg->BarManager(), cm);
}

TEST(BarCategories, HidingACategoryThatFillsABarHidesTheBarWhenEmptyBarsAutoHide) {
  struct Case {
    bool autoHide;
    bool hiddenWhileEmpty;
  } cases[] = {{true, true}, {false, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.autoHide ? "AutoHideEmptyBars" : "bars stay");
    TModel m;
    m.manager->Categories()->Add("Tools");
    m.manager->SetAutoHideEmptyBars(c.autoHide);
    m.Place(m.Button("A", bsDefault, 0, 1));
    m.Place(m.Button("B", bsDefault, 0, 1));
    TdxBar* other = m.manager->Bars()->Add();
    other->SetCaption("Other");
    other->ItemLinks()->Add()->SetItem(m.Button("C"));
    m.bar->SetVisible(true);
    other->SetVisible(true);
    m.manager->SetCategoryItemsVisible(1, ivNever);
    EXPECT_TRUE(m.bar->ItemLinks()->ShownLinks().empty());
    EXPECT_EQ(m.bar->Visible(), !c.hiddenWhileEmpty);
    EXPECT_TRUE(other->Visible());
    m.manager->SetCategoryItemsVisible(1, ivAlways);
    EXPECT_TRUE(m.bar->Visible());
    EXPECT_NE(m.bar->Control(), nullptr);
    EXPECT_EQ(m.bar->ItemLinks()->ShownLinks().size(), 2u);
  }
}

TEST(BarManagerValues, RefusedValuesKeepTheOldOneAndDockColourFollowsTheForm) {
  TModel m;
  TdxBarManager* bm = m.manager;
  struct Case {
    const char* name;
    std::function<void()> write;
    std::function<Integer()> read;
    Integer expected;
  } cases[] = {
      {"arrow width below 2", [&] { bm->SetButtonArrowWidth(1); }, [&] { return bm->ButtonArrowWidth(); }, 9},
      {"arrow width 2", [&] { bm->SetButtonArrowWidth(2); }, [&] { return bm->ButtonArrowWidth(); }, 2},
      {"large arrow width below 2", [&] { bm->SetLargeButtonArrowWidth(0); },
       [&] { return bm->LargeButtonArrowWidth(); }, 14},
      {"negative docking wait", [&] { bm->SetWaitForDockingTime(-1); }, [&] { return bm->WaitForDockingTime(); }, 21},
      {"docking wait 0", [&] { bm->SetWaitForDockingTime(0); }, [&] { return bm->WaitForDockingTime(); }, 0},
      {"percentage above 100", [&] { bm->SetMostRecentItemsPercents(150); },
       [&] { return Integer(bm->MostRecentItemsPercents()); }, 100},
  };
  for (const Case& c : cases) {
    c.write();
    EXPECT_EQ(c.read(), c.expected) << c.name;
  }
  EXPECT_TRUE(bm->AutoDockColor());
  m.form->SetColor(clAqua);
  EXPECT_EQ(bm->DockColor(), clAqua);
  bm->SetDockColor(clRed);
  EXPECT_FALSE(bm->AutoDockColor());
  EXPECT_EQ(bm->DockColor(), clRed);
  EXPECT_EQ(m.form->Color(), clAqua);
  for (Integer i = 0; i < bm->DockControlCount(); ++i) EXPECT_EQ(bm->DockControls(i)->Color(), clRed);
}

// --- Command items ---------------------------------------------------------------------------
TEST(BarCommandItems, HintFollowsTheCaptionOnlyWhenItShowedIt) {
  struct Case {
    const char* hint;
    const char* hintAfter;
  } cases[] = {{"Open", "Load"},
               {"Open|Opens a file", "Load|Opens a file"},
               {"Something else", "Something else"},
               {"Else|Opens a file", "Else|Opens a file"},
               {"", "Load"}};
  for (const Case& c : cases) {
    TModel m;
    TdxBarButton* b = m.Button("Open");
    b->SetCaption("&Open...");
    b->SetHint(c.hint);
    b->SetCaption("&Load...");
    EXPECT_EQ(b->Hint(), c.hintAfter) << c.hint;
    EXPECT_EQ(b->PlainCaption(), "Load");
  }
}

// The click road without views: the manager's OnClickItem, then OnClick or the
// action; nothing for a disabled item; a failure goes to the application. The
// action checks itself when it runs (AutoCheck), so a run through the action
// is told from a direct call of its handler.
namespace {
struct THandlers : TObject {
  std::string log;
  bool throws = false;
  void Add(const char* S) { log += (log.empty() ? "" : " ") + std::string(S); }
  void Exec(TObject*) { Add("action"); }
  void Own(TObject*) {
    Add("click");
    if (throws) throw Exception("broken");
  }
};
}  // namespace

TEST(BarCommandItems, RunClickGoesThroughTheManagerThenTheCommand) {
  enum TOnClick { ocNone, ocOwn, ocActionHandler };
  struct Case {
    const char* name;
    bool enabled;
    bool withAction;
    TOnClick onClick;
    bool throws;
    const char* log;
    bool actionRan;
  } cases[] = {
      {"plain command", true, false, ocOwn, false, "item click", false},
      {"disabled", false, false, ocOwn, false, "", false},
      {"disabled with an action", false, true, ocNone, false, "", false},
      {"action only", true, true, ocNone, false, "item action", true},
      {"its own handler beside an action", true, true, ocOwn, false, "item click", false},
      {"the action's handler as OnClick runs the action", true, true, ocActionHandler, false, "item action", true},
      {"a failing command is reported once", true, false, ocOwn, true, "item click reported", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TModel m;
    THandlers h;
    h.throws = c.throws;
    m.manager->OnClickItem = [&](TObject*, TdxBarItem*) { h.Add("item"); };
    TdxBarButton* b = m.Button("B");
    auto* action = new TAction(m.form.get());
    action->SetAutoCheck(true);
    action->OnExecute = TNotifyEvent(&h, &THandlers::Exec);
    if (c.withAction) b->SetAction(action);
    if (c.onClick == ocOwn) b->OnClick = TNotifyEvent(&h, &THandlers::Own);
    if (c.onClick == ocActionHandler) b->OnClick = TNotifyEvent(&h, &THandlers::Exec);
    if (c.onClick == ocNone) b->OnClick = TNotifyEvent();
    b->SetEnabled(c.enabled);
    auto saved = Application->OnException;
    Application->OnException = [&](TObject* S, const Exception& E) {
      EXPECT_EQ(S, b);
      EXPECT_EQ(E.Message(), "broken");
      h.Add("reported");
    };
    EXPECT_NO_THROW(b->RunClick());
    Application->OnException = saved;
    EXPECT_EQ(h.log, c.log);
    EXPECT_EQ(action->Checked(), c.actionRan);
  }
}

TEST(BarCommandItems, CustomizingShowsEveryItemEnabledAndRefusedCategoriesChangeNothing) {
  TModel m;
  TdxBarButton* b = m.Button("B");
  TdxBarButton* internal = m.Button("I", bsDefault, 0, -1);
  b->SetEnabled(false);
  internal->SetEnabled(false);
  m.manager->SetCustomizing(true);
  EXPECT_TRUE(b->Enabled());
  EXPECT_FALSE(internal->Enabled());
  m.manager->SetCustomizing(false);
  EXPECT_FALSE(b->Enabled());
  for (Integer bad : {99, 1, -1}) {
    b->SetCategory(bad);
    EXPECT_EQ(b->Category(), 0) << bad;
  }
}
