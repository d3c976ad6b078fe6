// List view headless: report columns and items in the window, selection
// events for clicks and for changes made by code, multi-select, deletion;
// sorting, column clicks, check boxes, caption editing, custom drawing, image
// lists and item rectangles, and the properties in form files.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/ComCtrls.h"
#include "platform/FormReader.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "platform/TypInfo.h"
#include "tests/support/ui.h"

#include <commctrl.h>

namespace {

struct Fixture {
  TForm* form;
  TListView* lv;
  std::vector<std::string> log;
  // Make: a list view class of the test's own (nullptr: TListView).
  explicit Fixture(bool Multi = true, std::function<TListView*(TComponent*)> Make = nullptr) {
    form = testui::NewForm(400, 300);
    lv = Make ? Make(form) : new TListView(form);
    lv->SetParent(form);
    lv->SetBounds(0, 0, 400, 300);
    lv->SetViewStyle(vsReport);
    lv->SetMultiSelect(Multi);
    lv->SetRowSelect(true);
    lv->SetReadOnly(true);
    lv->SetHideSelection(false);
    TListColumn* c = lv->Columns()->Add();
    c->SetCaption("Frame");
    c->SetWidth(200);
    c = lv->Columns()->Add();
    c->SetCaption("Size");
    c->SetWidth(100);
    lv->OnSelectItem = [this](TObject*, TListItem* Item, bool Selected) {
      log.push_back(Item->Caption() + (Selected ? " +" : " -"));
    };
  }
  ~Fixture() { delete form; }
  TListItem* Add(const std::string& Caption, const std::string& Size) {
    TListItem* i = lv->Items()->Add();
    i->SetCaption(Caption);
    i->SubItems()->Add(Size);
    return i;
  }
  LPARAM RowPoint(Integer Index) {
    TRect r = lv->Items()->Item(Index)->DisplayRect();
    return MAKELPARAM(r.Left + 20, (r.Top + r.Bottom) / 2);
  }
  // A click as the control sees it: its drag detection waits for the button's release.
  void Click(Integer Index, WPARAM Keys = 0) {
    LPARAM p = RowPoint(Index);
    PostMessageW(lv->Handle(), WM_LBUTTONUP, Keys, p);
    SendMessageW(lv->Handle(), WM_LBUTTONDOWN, MK_LBUTTON | Keys, p);
    Application->ProcessMessages();
  }
};

std::wstring WindowText(HWND Wnd, Integer Item, Integer Sub) {
  wchar_t buf[64] = {};
  LVITEMW it{};
  it.iSubItem = Sub;
  it.pszText = buf;
  it.cchTextMax = 64;
  SendMessageW(Wnd, LVM_GETITEMTEXTW, static_cast<WPARAM>(Item), reinterpret_cast<LPARAM>(&it));
  return buf;
}

// The state image index of a row in the window (1 unticked, 2 ticked).
UINT WindowStateImage(TListView* Lv, Integer Index) {
  return static_cast<UINT>(SendMessageW(Lv->Handle(), LVM_GETITEMSTATE, static_cast<WPARAM>(Index),
                                        LVIS_STATEIMAGEMASK)) >> 12;
}

TEST(ListView, ColumnsItemsAndSubItemsReachTheWindow) {
  Fixture f;
  int data = 7;
  TListItem* a = f.Add("Frame 1 - a.gif", "10 x 10");
  a->SetData(&data);
  f.Add("Frame 2 - a.gif", "20 x 5");
  f.form->Show();
  HWND h = f.lv->Handle();
  EXPECT_EQ(SendMessageW(h, LVM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_EQ(WindowText(h, 0, 0), L"Frame 1 - a.gif");
  EXPECT_EQ(WindowText(h, 1, 1), L"20 x 5");
  EXPECT_EQ(SendMessageW(h, LVM_GETCOLUMNWIDTH, 1, 0), 100);
  EXPECT_EQ(f.lv->Columns()->Items(0)->Width(), 200);
  EXPECT_EQ(f.lv->Items()->Item(0)->Data(), &data);

  // Later edits of caption and sub-items show; insert keeps the order.
  a->SetCaption("Frame 1 - b.gif");
  a->SubItems()->SetStrings(0, "Unknown");
  TListItem* mid = f.lv->Items()->Insert(1);
  mid->SetCaption("inserted");
  EXPECT_EQ(WindowText(h, 0, 0), L"Frame 1 - b.gif");
  EXPECT_EQ(WindowText(h, 0, 1), L"Unknown");
  EXPECT_EQ(WindowText(h, 1, 0), L"inserted");
  EXPECT_EQ(WindowText(h, 2, 0), L"Frame 2 - a.gif");
  EXPECT_EQ(mid->Index(), 1);

  // Deleting an item tells OnDeletion first, then it leaves the window.
  std::vector<std::string> deleted;
  f.lv->OnDeletion = [&](TObject*, TListItem* I) { deleted.push_back(I->Caption()); };
  f.lv->Items()->Delete(1);
  EXPECT_EQ(SendMessageW(h, LVM_GETITEMCOUNT, 0, 0), 2);
  f.lv->Items()->Clear();
  EXPECT_EQ(deleted, (std::vector<std::string>{"inserted", "Frame 2 - a.gif", "Frame 1 - b.gif"}));
  EXPECT_EQ(SendMessageW(h, LVM_GETITEMCOUNT, 0, 0), 0);
  EXPECT_THROW(f.lv->Items()->Item(0), EListError);
}

TEST(ListView, SelectionEventsForChangesByCode) {
  Fixture f;
  TListItem* a = f.Add("A", "1");
  TListItem* b = f.Add("B", "2");
  TListItem* c = f.Add("C", "3");
  f.form->Show();
  a->SetSelected(true);
  EXPECT_EQ(f.log, (std::vector<std::string>{"A +"}));
  f.log.clear();
  // Selecting one item through the view clears the others, each reported.
  f.lv->SetSelected(c);
  EXPECT_EQ(f.log, (std::vector<std::string>{"A -", "C +"}));
  EXPECT_EQ(f.lv->Selected(), c);
  EXPECT_EQ(f.lv->SelCount(), 1);
  f.log.clear();
  f.lv->SelectAll();
  EXPECT_EQ(f.lv->SelCount(), 3);
  EXPECT_EQ(f.log, (std::vector<std::string>{"A +", "B +"}));
  EXPECT_TRUE(b->Selected());
  f.log.clear();
  f.lv->SetSelected(nullptr);
  EXPECT_EQ(f.lv->SelCount(), 0);
  EXPECT_EQ(f.log.size(), 3u);
  EXPECT_EQ(f.lv->Selected(), nullptr);
  // Setting the same state again reports nothing.
  f.log.clear();
  b->SetSelected(false);
  EXPECT_TRUE(f.log.empty());
  // Focus is its own state.
  b->SetFocused(true);
  EXPECT_EQ(f.lv->ItemFocused(), b);
  EXPECT_TRUE(f.log.empty());
}

TEST(ListView, SelectionEventsAndChangeFromClicks) {
  Fixture f;
  for (const char* s : {"A", "B", "C"}) f.Add(s, "");
  int changes = 0;
  f.lv->OnChange = [&](TObject*, TListItem*, TItemChange Change) {
    if (Change == ctState) ++changes;
  };
  int clicks = 0, dbl = 0;
  f.lv->OnClick = [&](TObject*) { ++clicks; };
  f.lv->OnDblClick = [&](TObject*) { ++dbl; };
  f.form->Show();
  f.Click(1);
  EXPECT_EQ(f.log, (std::vector<std::string>{"B +"}));
  EXPECT_EQ(f.lv->Selected()->Caption(), "B");
  EXPECT_GE(changes, 1);
  f.log.clear();
  f.Click(2);
  EXPECT_EQ(f.log, (std::vector<std::string>{"B -", "C +"}));
  f.log.clear();
  // Ctrl+click adds to the selection.
  f.Click(0, MK_CONTROL);
  EXPECT_EQ(f.log, (std::vector<std::string>{"A +"}));
  EXPECT_EQ(f.lv->SelCount(), 2);
  EXPECT_GE(clicks, 1);

  SendMessageW(f.lv->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, f.RowPoint(2));
  PostMessageW(f.lv->Handle(), WM_LBUTTONUP, 0, f.RowPoint(2));
  Application->ProcessMessages();
  EXPECT_EQ(dbl, 1);
}

TEST(ListView, SelectionSurvivesRecreationAndWorksBeforeTheWindow) {
  Fixture f(false);
  TListItem* a = f.Add("A", "");
  TListItem* b = f.Add("B", "");
  // No window yet: the state is kept by the item.
  b->SetSelected(true);
  EXPECT_EQ(f.lv->Selected(), b);
  EXPECT_EQ(f.lv->SelCount(), 1);
  f.form->Show();
  EXPECT_TRUE(b->Selected());
  EXPECT_EQ(SendMessageW(f.lv->Handle(), LVM_GETSELECTEDCOUNT, 0, 0), 1);
  // Single select: choosing A drops B.
  a->SetSelected(true);
  EXPECT_FALSE(b->Selected());
  // Re-creating the window (multi-select switched on) keeps items and selection.
  f.lv->SetMultiSelect(true);
  f.lv->HandleNeeded();
  EXPECT_EQ(SendMessageW(f.lv->Handle(), LVM_GETITEMCOUNT, 0, 0), 2);
  EXPECT_TRUE(a->Selected());
  EXPECT_EQ(f.lv->GetItemAt(30, (a->DisplayRect().Top + a->DisplayRect().Bottom) / 2), a);
}

// ---------------------------------------------------------------------------
// Sorting

std::vector<std::string> Captions(TListView* Lv) {
  std::vector<std::string> r;
  for (Integer i = 0; i < Lv->Items()->Count(); ++i) r.push_back(Lv->Items()->Item(i)->Caption());
  return r;
}

// The window holds the same items in the same order as Items.
void ExpectWindowInStep(TListView* Lv) {
  HWND h = Lv->Handle();
  ASSERT_EQ(SendMessageW(h, LVM_GETITEMCOUNT, 0, 0), Lv->Items()->Count());
  for (Integer i = 0; i < Lv->Items()->Count(); ++i) {
    LVITEMW it{};
    it.mask = LVIF_PARAM;
    it.iItem = i;
    SendMessageW(h, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&it));
    EXPECT_EQ(reinterpret_cast<TListItem*>(it.lParam), Lv->Items()->Item(i)) << "row " << i;
    EXPECT_EQ(WideToUtf8(WindowText(h, i, 0)), Lv->Items()->Item(i)->Caption()) << "row " << i;
  }
}

Integer SizeOf(TListItem* Item) { return Item->SubItems()->Count() ? std::stoi(Item->SubItems()->Strings(0)) : -1; }

TEST(ListViewSort, ItemsAndWindowStayInStep) {
  struct Case {
    const char* name;
    bool beforeWindow;
    std::function<void(TListView*)> sort;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      // Captions compare as words, not as character codes (which would put "alpha" after "Charlie").
      {"AlphaSort by caption", false, [](TListView* L) { EXPECT_TRUE(L->AlphaSort()); },
       {"alpha", "Bravo", "Charlie", "delta", "echo"}},
      {"AlphaSort before the window exists", true, [](TListView* L) { L->AlphaSort(); },
       {"alpha", "Bravo", "Charlie", "delta", "echo"}},
      {"AlphaSort through OnCompare (by Data)", false,
       [](TListView* L) {
         L->OnCompare = [](TObject*, TListItem* A, TListItem* B, Integer, Integer& R) {
           R = *static_cast<int*>(A->Data()) - *static_cast<int*>(B->Data());
         };
         L->AlphaSort();
       },
       {"echo", "Bravo", "alpha", "Charlie", "delta"}},
      // Descending by size; the equal sizes 10 keep their order (stable).
      {"CustomSort descending, stable", false,
       [](TListView* L) {
         EXPECT_TRUE(L->CustomSort([](TListItem* A, TListItem* B, LPARAM) { return SizeOf(B) - SizeOf(A); }, 0));
       },
       {"alpha", "delta", "echo", "Charlie", "Bravo"}},
      {"CustomSort without a procedure hands Data to OnCompare", false,
       [](TListView* L) {
         L->OnCompare = [](TObject*, TListItem* A, TListItem* B, Integer Data, Integer& R) {
           EXPECT_EQ(Data, 42);
           R = SizeOf(A) - SizeOf(B);
         };
         L->CustomSort(nullptr, 42);
       },
       {"Bravo", "echo", "Charlie", "delta", "alpha"}},
      {"SortType stText sorts now and after each caption change", false,
       [](TListView* L) {
         L->SetSortType(stText);
         L->Items()->Item(0)->SetCaption("zulu");  // "alpha"
       },
       {"Bravo", "Charlie", "delta", "echo", "zulu"}},
      {"SortType stData with OnCompare sorts after each Data change", false,
       [](TListView* L) {
         L->OnCompare = [](TObject*, TListItem* A, TListItem* B, Integer, Integer& R) {
           R = *static_cast<int*>(A->Data()) - *static_cast<int*>(B->Data());
         };
         L->SetSortType(stData);
         static int big = 99;
         L->Items()->Item(0)->SetData(&big);  // "echo" (data 1) goes last
       },
       {"Bravo", "alpha", "Charlie", "delta", "echo"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    static int data[] = {3, 2, 4, 5, 1};
    const char* names[] = {"alpha", "Bravo", "Charlie", "delta", "echo"};
    const char* sizes[] = {"30", "5", "10", "20", "10"};
    for (int i : {3, 0, 4, 1, 2}) f.Add(names[i], sizes[i])->SetData(&data[i]);
    if (!c.beforeWindow) f.form->Show();
    // Selection and check marks travel with their items, and sorting reports no selection change.
    TListItem* charlie = f.lv->Items()->Item(4);
    ASSERT_EQ(charlie->Caption(), "Charlie");
    f.lv->SetCheckboxes(true);
    charlie->SetSelected(true);
    charlie->SetFocused(true);
    charlie->SetChecked(true);
    f.log.clear();
    c.sort(f.lv);
    const std::vector<std::string> selectionEvents = f.log;
    f.form->Show();
    EXPECT_EQ(Captions(f.lv), c.expected);
    ExpectWindowInStep(f.lv);
    EXPECT_EQ(f.lv->Selected(), charlie);
    EXPECT_EQ(f.lv->ItemFocused(), charlie);
    EXPECT_TRUE(charlie->Checked());
    EXPECT_EQ(WindowStateImage(f.lv, charlie->Index()), 2u);
    EXPECT_EQ(SendMessageW(f.lv->Handle(), LVM_GETITEMSTATE, static_cast<WPARAM>(charlie->Index()), LVIS_SELECTED),
              LVIS_SELECTED);
    EXPECT_TRUE(selectionEvents.empty());
  }
}

TEST(ListViewSort, FailingOrInconsistentComparisons) {
  Fixture f;
  for (const char* s : {"c", "a", "d", "b"}) f.Add(s, "1");
  f.form->Show();
  // An exception from the comparison leaves items and window untouched.
  EXPECT_THROW(f.lv->CustomSort([](TListItem*, TListItem*, LPARAM) -> Integer { throw std::runtime_error("no"); }, 0),
               std::runtime_error);
  EXPECT_EQ(Captions(f.lv), (std::vector<std::string>{"c", "a", "d", "b"}));
  ExpectWindowInStep(f.lv);
  // A comparison that answers at random still leaves every item once, in step.
  for (int i = 0; i < 40; ++i) f.Add("x" + std::to_string(i), "1");
  unsigned seed = 12345;
  f.lv->CustomSort([&](TListItem*, TListItem*, LPARAM) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<Integer>((seed >> 16) % 3) - 1;
  }, 0);
  EXPECT_EQ(f.lv->Items()->Count(), 44);
  std::vector<std::string> sorted = Captions(f.lv);
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(std::unique(sorted.begin(), sorted.end()), sorted.end());
  ExpectWindowInStep(f.lv);
}

// ---------------------------------------------------------------------------
// Column clicks

// Sorts by the clicked column before the event, as a descendant that sorts on a click would.
class TClickSortListView : public TListView {
 public:
  using TListView::TListView;
  std::vector<std::string> calls;

 protected:
  void ColClick(TListColumn* Column) override {
    calls.push_back("ColClick " + Column->Caption());
    const Integer col = Column->Index();
    CustomSort([col](TListItem* A, TListItem* B, LPARAM) {
      return col == 0 ? A->Caption().compare(B->Caption()) : SizeOf(A) - SizeOf(B);
    }, 0);
    TListView::ColClick(Column);
  }
};

void ClickHeader(TListView* Lv, Integer Column) {
  HWND header = Lv->HeaderHandle();
  ASSERT_NE(header, nullptr);
  RECT r{};
  ASSERT_TRUE(SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(Column), reinterpret_cast<LPARAM>(&r)));
  LPARAM p = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  SendMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, p);
  SendMessageW(header, WM_LBUTTONUP, 0, p);
  Application->ProcessMessages();
}

TEST(ListViewColumnClick, HeaderClickReachesColClickThenTheEvent) {
  struct Case {
    bool columnClick;
    Integer column;
    std::vector<std::string> calls;
    std::vector<std::string> order;
  };
  const std::vector<Case> cases = {
      {true, 1, {"ColClick Size", "OnColumnClick Size B"}, {"B", "C", "A"}},
      {true, 0, {"ColClick Frame", "OnColumnClick Frame A"}, {"A", "B", "C"}},
      // Without ColumnClick the headers are not buttons: nothing is reported.
      {false, 1, {}, {"C", "A", "B"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.column);
    TClickSortListView* view = nullptr;
    Fixture f(true, [&](TComponent* Owner) { return view = new TClickSortListView(Owner); });
    f.Add("C", "20");
    f.Add("A", "30");
    f.Add("B", "10");
    f.lv->SetColumnClick(c.columnClick);
    f.lv->OnColumnClick = [&](TObject* Sender, TListColumn* Column) {
      EXPECT_EQ(Sender, f.lv);
      // The descendant's sort is done when the event runs.
      view->calls.push_back("OnColumnClick " + Column->Caption() + " " + f.lv->Items()->Item(0)->Caption());
    };
    f.form->Show();
    ClickHeader(f.lv, c.column);
    EXPECT_EQ(view->calls, c.calls);
    EXPECT_EQ(Captions(f.lv), c.order);
    ExpectWindowInStep(f.lv);
  }
}

// ---------------------------------------------------------------------------
// Check boxes

LPARAM StateIconPoint(TListView* Lv, Integer Index) {
  TRect r = Lv->Items()->Item(Index)->DisplayRect(drBounds);
  for (Integer x = r.Left; x < r.Right; ++x) {
    LVHITTESTINFO hit{};
    hit.pt = POINT{x, (r.Top + r.Bottom) / 2};
    if (SendMessageW(Lv->Handle(), LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) == Index &&
        (hit.flags & LVHT_ONITEMSTATEICON))
      return MAKELPARAM(hit.pt.x, hit.pt.y);
  }
  ADD_FAILURE() << "no check box on row " << Index;
  return 0;
}

TEST(ListViewCheckboxes, TickByCodeAndByClickWithTheChangeVeto) {
  struct Case {
    const char* name;
    bool byClick;
    bool refuse;
    bool expected;
  };
  const std::vector<Case> cases = {
      {"code", false, false, true},
      {"code refused", false, true, false},
      {"click", true, false, true},
      {"click refused", true, true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    f.lv->SetCheckboxes(true);
    f.Add("A", "");
    TListItem* b = f.Add("B", "");
    std::vector<std::string> changing;
    f.lv->OnChanging = [&](TObject*, TListItem* Item, TItemChange Change, bool& Allow) {
      if (Change == ctState) changing.push_back(Item->Caption());
      Allow = !c.refuse;
    };
    int changes = 0;
    f.lv->OnChange = [&](TObject*, TListItem* Item, TItemChange Change) {
      if (Item == b && Change == ctState) ++changes;
    };
    f.form->Show();
    // Every item shows an empty box.
    EXPECT_EQ(WindowStateImage(f.lv, 0), 1u);
    EXPECT_EQ(WindowStateImage(f.lv, 1), 1u);
    changing.clear();
    if (c.byClick) {
      LPARAM p = StateIconPoint(f.lv, 1);
      PostMessageW(f.lv->Handle(), WM_LBUTTONUP, 0, p);
      SendMessageW(f.lv->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, p);
      Application->ProcessMessages();
    } else {
      b->SetChecked(true);
    }
    EXPECT_EQ(b->Checked(), c.expected);
    EXPECT_EQ(WindowStateImage(f.lv, 1), c.expected ? 2u : 1u);
    EXPECT_FALSE(f.lv->Items()->Item(0)->Checked());
    ASSERT_FALSE(changing.empty());
    EXPECT_EQ(changing.front(), "B");
    EXPECT_EQ(changes >= 1, c.expected);
  }
}

TEST(ListViewCheckboxes, MarksKeptWithoutAWindowAcrossRecreationAndSwitching) {
  Fixture f(false);
  TListItem* a = f.Add("A", "");
  TListItem* b = f.Add("B", "");
  // Before the window exists the item keeps its mark.
  b->SetChecked(true);
  EXPECT_TRUE(b->Checked());
  f.lv->SetCheckboxes(true);
  f.form->Show();
  EXPECT_EQ(WindowStateImage(f.lv, 0), 1u);
  EXPECT_EQ(WindowStateImage(f.lv, 1), 2u);
  // A new window (multi-select switched on) gets the same marks.
  a->SetChecked(true);
  b->SetChecked(false);
  f.lv->SetMultiSelect(true);
  f.lv->HandleNeeded();
  EXPECT_TRUE(a->Checked());
  EXPECT_FALSE(b->Checked());
  EXPECT_EQ(WindowStateImage(f.lv, 0), 2u);
  // Hiding the boxes and showing them again, or another style change, keeps the marks.
  f.lv->SetCheckboxes(false);
  f.lv->SetCheckboxes(true);
  f.lv->SetGridLines(true);
  EXPECT_TRUE(a->Checked());
  EXPECT_EQ(WindowStateImage(f.lv, 0), 2u);
  EXPECT_EQ(WindowStateImage(f.lv, 1), 1u);
  // Items added later get a box too.
  f.Add("C", "");
  EXPECT_EQ(WindowStateImage(f.lv, 2), 1u);
}

// ---------------------------------------------------------------------------
// Custom drawing

std::unique_ptr<TBitmap> Shot(TListView* Lv) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(Lv->Width(), Lv->Height());
  Lv->PaintTo(bmp->Canvas(), 0, 0);
  return bmp;
}

Integer CountColor(TBitmap* Bmp, const TRect& R, TColor Color) {
  Integer n = 0;
  for (Integer y = R.Top; y < R.Bottom; ++y)
    for (Integer x = R.Left; x < R.Right; ++x)
      if (Bmp->Canvas()->Pixels(x, y) == ColorToRGB(Color)) ++n;
  return n;
}

// The rightmost column of R holding a text (black) pixel; -1 when none.
Integer TextRight(TBitmap* Bmp, const TRect& R) {
  for (Integer x = R.Right - 1; x >= R.Left; --x)
    for (Integer y = R.Top; y < R.Bottom; ++y)
      if (Bmp->Canvas()->Pixels(x, y) == clBlack) return x;
  return -1;
}

TRect Cell(TListView* Lv, Integer Row, Integer Column) {
  TRect r = Lv->Items()->Item(Row)->DisplayRect(drBounds);
  Integer left = 0;
  for (Integer c = 0; c < Column; ++c) left += Lv->Columns()->Items(c)->Width();
  return TRect(left, r.Top, left + Lv->Columns()->Items(Column)->Width(), r.Bottom);
}

// Draws like a descendant that paints a disabled list in its own colour: it
// always asks for item drawing and sets the brush after the usual set-up.
class TDisabledColorListView : public TListView {
 public:
  using TListView::TListView;

 protected:
  bool IsCustomDrawn(TCustomDrawTarget Target, TCustomDrawStage Stage) override {
    return (Stage == cdPrePaint && !Enabled()) || TListView::IsCustomDrawn(Target, Stage);
  }
  bool CustomDrawItem(TListItem* Item, TCustomDrawState State, TCustomDrawStage Stage) override {
    bool result = TListView::CustomDrawItem(Item, State, Stage);
    if (Stage == cdPrePaint && !Enabled()) {
      Canvas()->Brush()->SetColor(clNone);
      Canvas()->Brush()->SetColor(clFuchsia);
    }
    return result;
  }
};

TEST(ListViewCustomDraw, HandlersDrawOrRecolourItems) {
  struct Case {
    const char* name;
    std::function<TListView*(TComponent*)> make;
    std::function<void(TListView*)> setup;
    std::function<void(TListView*, TBitmap*)> check;
  };
  const std::vector<Case> cases = {
      {"item colours from the canvas", nullptr,
       [](TListView* L) {
         L->OnCustomDrawItem = [](TCustomListView* Sender, TListItem* Item, TCustomDrawState, bool&) {
           if (Item->Caption() != "B") return;
           Sender->Canvas()->Brush()->SetColor(clYellow);
           Sender->Canvas()->Font()->SetColor(clRed);
         };
       },
       [](TListView* L, TBitmap* B) {
         EXPECT_GT(CountColor(B, Cell(L, 1, 0), clYellow), 0);
         EXPECT_GT(CountColor(B, Cell(L, 1, 0), clRed), 0);
         EXPECT_EQ(CountColor(B, Cell(L, 1, 0), clBlack), 0);
         // The next item is drawn as usual.
         EXPECT_EQ(CountColor(B, Cell(L, 2, 0), clYellow), 0);
         EXPECT_GT(CountColor(B, Cell(L, 2, 0), clBlack), 0);
       }},
      {"item painted by the handler alone", nullptr,
       [](TListView* L) {
         L->OnCustomDrawItem = [](TCustomListView* Sender, TListItem* Item, TCustomDrawState, bool& Default) {
           if (Item->Caption() != "B") return;
           Sender->Canvas()->Brush()->SetColor(clLime);
           Sender->Canvas()->FillRect(Item->DisplayRect(drBounds));
           Default = false;
         };
       },
       [](TListView* L, TBitmap* B) {
         TRect row = L->Items()->Item(1)->DisplayRect(drBounds);
         EXPECT_EQ(CountColor(B, row, clLime), row.Width() * row.Height());
         EXPECT_GT(CountColor(B, Cell(L, 0, 0), clBlack), 0);
       }},
      {"control painted by the handler alone", nullptr,
       [](TListView* L) {
         L->OnCustomDraw = [](TCustomListView* Sender, const TRect& R, bool& Default) {
           Sender->Canvas()->Brush()->SetColor(clBlue);
           Sender->Canvas()->FillRect(R);
           Default = false;
         };
       },
       [](TListView* L, TBitmap* B) {
         TRect row = L->Items()->Item(0)->DisplayRect(drBounds);
         EXPECT_EQ(CountColor(B, row, clBlue), row.Width() * row.Height());
       }},
      {"sub-item font colour", nullptr,
       [](TListView* L) {
         L->OnCustomDrawSubItem = [](TCustomListView* Sender, TListItem*, Integer SubItem, TCustomDrawState,
                                     bool&) { Sender->Canvas()->Font()->SetColor(SubItem == 1 ? clRed : clBlack); };
       },
       [](TListView* L, TBitmap* B) {
         EXPECT_GT(CountColor(B, Cell(L, 0, 1), clRed), 0);
         EXPECT_EQ(CountColor(B, Cell(L, 0, 0), clRed), 0);
         EXPECT_GT(CountColor(B, Cell(L, 0, 0), clBlack), 0);
       }},
      {"a bigger font for one item only", nullptr,
       [](TListView* L) {
         for (Integer i = 0; i < 3; ++i) L->Items()->Item(i)->SetCaption("WWWW");
         L->OnCustomDrawItem = [](TCustomListView* Sender, TListItem* Item, TCustomDrawState, bool&) {
           if (Item->Index() == 1) Sender->Canvas()->Font()->SetStyle({fsBold});
         };
       },
       [](TListView* L, TBitmap* B) {
         Integer normal = TextRight(B, Cell(L, 0, 0));
         EXPECT_GT(normal, 0);
         EXPECT_GT(TextRight(B, Cell(L, 1, 0)), normal);
         EXPECT_EQ(TextRight(B, Cell(L, 2, 0)), normal);
       }},
      {"descendant colours a disabled list", [](TComponent* O) { return new TDisabledColorListView(O); },
       [](TListView* L) { L->SetEnabled(false); },
       [](TListView* L, TBitmap* B) {
         for (Integer i = 0; i < 3; ++i) EXPECT_GT(CountColor(B, Cell(L, i, 0), clFuchsia), 0) << i;
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f(true, c.make);
    f.lv->SetBorderStyle(bsNone);
    for (const char* s : {"A", "B", "C"}) f.Add(s, std::string(s) + "1");
    c.setup(f.lv);
    f.form->Show();
    auto bmp = Shot(f.lv);
    c.check(f.lv, bmp.get());
  }
}

TEST(ListViewCustomDraw, StatesAndSenderReachTheHandlers) {
  Fixture f;
  for (const char* s : {"A", "B", "C"}) f.Add(s, "1");
  std::vector<std::string> seen;
  f.lv->OnCustomDraw = [&](TCustomListView* Sender, const TRect& R, bool&) {
    EXPECT_EQ(Sender, f.lv);
    EXPECT_EQ(R, f.lv->ClientRect());
    seen.push_back("control");
  };
  f.lv->OnCustomDrawItem = [&](TCustomListView*, TListItem* Item, TCustomDrawState State, bool&) {
    seen.push_back(Item->Caption() + (State.Contains(cdsSelected) ? " selected" : "") +
                   (State.Contains(cdsFocused) ? " focused" : ""));
  };
  f.lv->OnCustomDrawSubItem = [&](TCustomListView*, TListItem* Item, Integer SubItem, TCustomDrawState, bool&) {
    if (Item->Caption() == "A") seen.push_back("A." + std::to_string(SubItem));
  };
  f.form->Show();
  f.lv->Items()->Item(1)->SetSelected(true);
  f.lv->Items()->Item(1)->SetFocused(true);
  f.lv->SetFocus();
  seen.clear();
  Shot(f.lv);
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(seen.front(), "control");
  auto has = [&](const std::string& S) { return std::find(seen.begin(), seen.end(), S) != seen.end(); };
  EXPECT_TRUE(has("A")) << ::testing::PrintToString(seen);
  EXPECT_TRUE(has("B selected focused")) << ::testing::PrintToString(seen);
  EXPECT_TRUE(has("A.1")) << ::testing::PrintToString(seen);
}

TEST(ListViewCustomDraw, AFailingHandlerReachesTheApplicationAndFreesTheCanvas) {
  Fixture f;
  for (const char* s : {"A", "B"}) f.Add(s, "1");
  f.lv->OnCustomDrawItem = [](TCustomListView*, TListItem* Item, TCustomDrawState, bool&) {
    if (Item->Caption() == "B") throw Exception("draw failed");
  };
  std::vector<std::string> errors;
  TExceptionEvent old = Application->OnException;
  Application->OnException = [&](TObject*, const Exception& E) { errors.push_back(E.Message()); };
  f.form->Show();
  Shot(f.lv);
  Application->OnException = old;
  ASSERT_FALSE(errors.empty());
  EXPECT_EQ(errors.front(), "draw failed");
  // The canvas is not left on the painting device context.
  EXPECT_FALSE(f.lv->Canvas()->HandleAllocated());
}

// ---------------------------------------------------------------------------
// Caption editing

TEST(ListViewEdit, EditQueryAndEditedText) {
  struct Case {
    const char* name;
    bool readOnly;
    bool allow;
    WPARAM endKey;  // 0: the edit does not start
    TSortType sortType;
    std::vector<std::string> calls;
    std::vector<std::string> captions;
  };
  const std::vector<Case> cases = {
      {"read-only asks nobody", true, true, 0, stNone, {}, {"A", "B", "C"}},
      {"OnEditing refuses", false, false, 0, stNone, {"editing B"}, {"A", "B", "C"}},
      {"Return keeps the text as OnEdited leaves it", false, true, VK_RETURN, stNone,
       {"editing B", "edited B: new"}, {"A", "NEW", "C"}},
      {"Escape keeps the caption", false, true, VK_ESCAPE, stNone, {"editing B"}, {"A", "B", "C"}},
      {"an edited caption is sorted in", false, true, VK_RETURN, stText, {"editing B", "edited B: new"},
       {"A", "C", "NEW"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fixture f;
    f.lv->SetReadOnly(c.readOnly);
    f.lv->SetSortType(c.sortType);
    for (const char* s : {"A", "B", "C"}) f.Add(s, "");
    std::vector<std::string> calls;
    f.lv->OnEditing = [&](TObject*, TListItem* Item, bool& Allow) {
      calls.push_back("editing " + Item->Caption());
      Allow = c.allow;
    };
    f.lv->OnEdited = [&](TObject*, TListItem* Item, std::string& S) {
      calls.push_back("edited " + Item->Caption() + ": " + S);
      S = "NEW";
    };
    f.form->Show();
    f.lv->SetFocus();
    TListItem* b = f.lv->Items()->Item(1);
    EXPECT_EQ(b->EditCaption(), c.endKey != 0);
    HWND edit = reinterpret_cast<HWND>(SendMessageW(f.lv->Handle(), LVM_GETEDITCONTROL, 0, 0));
    EXPECT_EQ(edit != nullptr, c.endKey != 0);
    if (edit) {
      SetWindowTextW(edit, L"new");
      SendMessageW(edit, WM_KEYDOWN, c.endKey, 0);
      Application->ProcessMessages();
    }
    EXPECT_EQ(calls, c.calls);
    EXPECT_EQ(Captions(f.lv), c.captions);
    ExpectWindowInStep(f.lv);
  }
}

// ---------------------------------------------------------------------------
// Image lists and item rectangles

// A 16x16 image list holding one plain image per colour.
TImageList* ColourImages(TComponent* Owner, std::initializer_list<TColor> Colours) {
  auto* il = new TImageList(Owner);
  for (TColor c : Colours) {
    TBitmap bmp;
    bmp.SetPixelFormat(pf24bit);
    bmp.SetSize(16, 16);
    bmp.Canvas()->Brush()->SetColor(c);
    bmp.Canvas()->FillRect(TRect(0, 0, 16, 16));
    il->Add(&bmp, nullptr);
  }
  return il;
}

HIMAGELIST WindowImageList(TListView* Lv, WPARAM Kind) {
  return reinterpret_cast<HIMAGELIST>(SendMessageW(Lv->Handle(), LVM_GETIMAGELIST, Kind, 0));
}

TPoint Centre(const TRect& R) { return TPoint((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2); }

TEST(ListViewImages, ItemImagesAndRectangles) {
  Fixture f;
  f.lv->SetBorderStyle(bsNone);
  TImageList* il = ColourImages(f.form, {clRed, clLime});
  f.lv->SetSmallImages(il);
  f.Add("A", "1")->SetImageIndex(0);
  f.Add("B", "2");
  f.Add("C", "3")->SetImageIndex(1);
  f.form->Show();
  EXPECT_EQ(WindowImageList(f.lv, LVSIL_SMALL), il->Handle());

  auto bmp = Shot(f.lv);
  for (Integer i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    TListItem* item = f.lv->Items()->Item(i);
    TRect bounds = item->DisplayRect(drBounds), icon = item->DisplayRect(drIcon);
    TRect label = item->DisplayRect(drLabel), select = item->DisplayRect(drSelectBounds);
    // The icon is the image's size, the label follows it, the item holds both.
    EXPECT_EQ(icon.Width(), 16);
    EXPECT_GE(label.Left, icon.Right);
    EXPECT_TRUE(bounds.Left <= icon.Left && icon.Right <= label.Right && label.Right <= bounds.Right);
    EXPECT_TRUE(select.Left <= icon.Left && label.Right <= select.Right);
    EXPECT_EQ(f.lv->GetItemAt(Centre(icon).X, Centre(icon).Y), item);
    TRect inner = icon;
    inner.Left += 2;
    inner.Top += 2;
    inner.Right -= 2;
    inner.Bottom -= 2;
    // An item without an image shows none (not image 0).
    EXPECT_EQ(CountColor(bmp.get(), inner, clRed), i == 0 ? inner.Width() * inner.Height() : 0);
    EXPECT_EQ(CountColor(bmp.get(), inner, clLime), i == 2 ? inner.Width() * inner.Height() : 0);
  }
  // A later ImageIndex shows.
  f.lv->Items()->Item(1)->SetImageIndex(0);
  bmp = Shot(f.lv);
  EXPECT_EQ(bmp->Canvas()->Pixels(Centre(f.lv->Items()->Item(1)->DisplayRect(drIcon)).X,
                                  Centre(f.lv->Items()->Item(1)->DisplayRect(drIcon)).Y),
            clRed);
}

TEST(ListViewImages, ListsFollowTheirImageListsAndLetGo) {
  Fixture f;
  f.Add("A", "1");
  TImageList* small = ColourImages(f.form, {clRed, clLime});
  TImageList* large = ColourImages(f.form, {clBlue});
  TImageList* state = ColourImages(nullptr, {clWhite, clBlack, clGray});
  f.lv->SetSmallImages(small);
  f.lv->SetLargeImages(large);
  f.lv->SetStateImages(state);
  f.lv->Columns()->Items(1)->SetImageIndex(1);
  f.form->Show();
  EXPECT_EQ(WindowImageList(f.lv, LVSIL_SMALL), small->Handle());
  EXPECT_EQ(WindowImageList(f.lv, LVSIL_NORMAL), large->Handle());
  EXPECT_EQ(WindowImageList(f.lv, LVSIL_STATE), state->Handle());
  // The column's image is in the header.
  HWND header = reinterpret_cast<HWND>(SendMessageW(f.lv->Handle(), LVM_GETHEADER, 0, 0));
  HDITEMW hd{};
  hd.mask = HDI_FORMAT | HDI_IMAGE;
  SendMessageW(header, HDM_GETITEMW, 1, reinterpret_cast<LPARAM>(&hd));
  EXPECT_TRUE(hd.fmt & HDF_IMAGE);
  EXPECT_EQ(hd.iImage, 1);
  hd = HDITEMW{};
  hd.mask = HDI_FORMAT;
  SendMessageW(header, HDM_GETITEMW, 0, reinterpret_cast<LPARAM>(&hd));
  EXPECT_FALSE(hd.fmt & HDF_IMAGE);

  // A list that makes a new handle (new size) hands it on.
  small->SetWidth(20);
  EXPECT_EQ(WindowImageList(f.lv, LVSIL_SMALL), small->Handle());
  // A window made anew gets the lists again.
  f.lv->SetViewStyle(vsSmallIcon);
  f.lv->HandleNeeded();
  EXPECT_EQ(WindowImageList(f.lv, LVSIL_NORMAL), large->Handle());
  EXPECT_EQ(WindowImageList(f.lv, LVSIL_STATE), state->Handle());

  // Lists that go are taken out of the window: owned by the form, and not owned at all.
  delete small;
  EXPECT_EQ(f.lv->SmallImages(), nullptr);
  EXPECT_EQ(WindowImageList(f.lv, LVSIL_SMALL), nullptr);
  delete state;
  EXPECT_EQ(f.lv->StateImages(), nullptr);
  EXPECT_EQ(WindowImageList(f.lv, LVSIL_STATE), nullptr);
  f.lv->SetLargeImages(nullptr);
  EXPECT_EQ(WindowImageList(f.lv, LVSIL_NORMAL), nullptr);
  // Setting it again after it was taken away works (no stale change link).
  f.lv->SetLargeImages(large);
  large->SetHeight(24);
  EXPECT_EQ(WindowImageList(f.lv, LVSIL_NORMAL), large->Handle());
}

TEST(ListViewImages, CheckBoxesComeBackWhenStateImagesGo) {
  Fixture f;
  f.lv->SetCheckboxes(true);
  TListItem* a = f.Add("A", "");
  f.Add("B", "");
  f.form->Show();
  HIMAGELIST boxes = WindowImageList(f.lv, LVSIL_STATE);
  ASSERT_NE(boxes, nullptr);
  a->SetChecked(true);
  TImageList* state = ColourImages(f.form, {clWhite, clBlack, clGray});
  f.lv->SetStateImages(state);
  HIMAGELIST gone = state->Handle();
  EXPECT_EQ(WindowImageList(f.lv, LVSIL_STATE), gone);
  delete state;
  EXPECT_NE(WindowImageList(f.lv, LVSIL_STATE), nullptr);
  EXPECT_NE(WindowImageList(f.lv, LVSIL_STATE), gone);
  EXPECT_TRUE(a->Checked());
  EXPECT_FALSE(f.lv->Items()->Item(1)->Checked());
  EXPECT_EQ(WindowStateImage(f.lv, 1), 1u);
}

// ---------------------------------------------------------------------------
// Form files

class TfrmListForm : public TForm {
 public:
  T_CLASSNAME(TfrmListForm)
  using TForm::TForm;
  TImageList* ilSmall = nullptr;
  TListView* lvFiles = nullptr;
  std::vector<std::string> calls;
  void lvFilesColumnClick(TObject*, TListColumn*) { calls.push_back("ColumnClick"); }
  void lvFilesCompare(TObject*, TListItem*, TListItem*, Integer, Integer&) { calls.push_back("Compare"); }
  void lvFilesChanging(TObject*, TListItem*, TItemChange, bool&) { calls.push_back("Changing"); }
  void lvFilesEditing(TObject*, TListItem*, bool&) { calls.push_back("Editing"); }
  void lvFilesEdited(TObject*, TListItem*, std::string&) { calls.push_back("Edited"); }
  void lvFilesCustomDraw(TCustomListView*, const TRect&, bool&) { calls.push_back("CustomDraw"); }
  void lvFilesCustomDrawItem(TCustomListView*, TListItem*, TCustomDrawState, bool&) {
    calls.push_back("CustomDrawItem");
  }
  void lvFilesCustomDrawSubItem(TCustomListView*, TListItem*, Integer, TCustomDrawState, bool&) {
    calls.push_back("CustomDrawSubItem");
  }
};

const bool listFormRegistered = [] {
  RegisterClassInfo<TfrmListForm, TForm>("TfrmListForm");
  RegisterHandlers<TfrmListForm>({{"lvFilesColumnClick", &TfrmListForm::lvFilesColumnClick},
                                  {"lvFilesCompare", &TfrmListForm::lvFilesCompare},
                                  {"lvFilesChanging", &TfrmListForm::lvFilesChanging},
                                  {"lvFilesEditing", &TfrmListForm::lvFilesEditing},
                                  {"lvFilesEdited", &TfrmListForm::lvFilesEdited},
                                  {"lvFilesCustomDraw", &TfrmListForm::lvFilesCustomDraw},
                                  {"lvFilesCustomDrawItem", &TfrmListForm::lvFilesCustomDrawItem},
                                  {"lvFilesCustomDrawSubItem", &TfrmListForm::lvFilesCustomDrawSubItem}});
  RegisterFields<TfrmListForm>({{"ilSmall", &TfrmListForm::ilSmall}, {"lvFiles", &TfrmListForm::lvFiles}});
  return true;
}();

const char* const kListForm =
    "object frmListForm: TfrmListForm\n"
    "  ClientHeight = 200\n"
    "  ClientWidth = 300\n"
    "  object lvFiles: TListView\n"
    "    Width = 300\n"
    "    Height = 200\n"
    "    Checkboxes = True\n"
    "    ColumnClick = False\n"
    "    SortType = stText\n"
    "    SmallImages = ilSmall\n"
    "    LargeImages = ilSmall\n"
    "    StateImages = ilSmall\n"
    "    ViewStyle = vsReport\n"
    "    Columns = <\n"
    "      item\n"
    "        Caption = 'Frame'\n"
    "        ImageIndex = 2\n"
    "        Width = 120\n"
    "      end>\n"
    "    OnColumnClick = lvFilesColumnClick\n"
    "    OnCompare = lvFilesCompare\n"
    "    OnChanging = lvFilesChanging\n"
    "    OnEditing = lvFilesEditing\n"
    "    OnEdited = lvFilesEdited\n"
    "    OnCustomDraw = lvFilesCustomDraw\n"
    "    OnCustomDrawItem = lvFilesCustomDrawItem\n"
    "    OnCustomDrawSubItem = lvFilesCustomDrawSubItem\n"
    "  end\n"
    "  object ilSmall: TImageList\n"
    "  end\n"
    "end\n";

TEST(ListViewForm, PropertiesAndEventsReadAndWrittenBack) {
  TfrmListForm form(nullptr);
  ReadComponentFromText(kListForm, &form);
  ASSERT_NE(form.lvFiles, nullptr);
  ASSERT_NE(form.ilSmall, nullptr);
  TListView* lv = form.lvFiles;
  EXPECT_TRUE(lv->Checkboxes());
  EXPECT_FALSE(lv->ColumnClick());
  EXPECT_EQ(lv->SortType(), stText);
  // References to a component further down the form resolve after loading.
  EXPECT_EQ(lv->SmallImages(), form.ilSmall);
  EXPECT_EQ(lv->LargeImages(), form.ilSmall);
  EXPECT_EQ(lv->StateImages(), form.ilSmall);
  EXPECT_EQ(lv->Columns()->Items(0)->ImageIndex(), 2);

  bool b = true;
  Integer r = 0;
  std::string text;
  lv->OnColumnClick(lv, nullptr);
  lv->OnCompare(lv, nullptr, nullptr, 0, r);
  lv->OnChanging(lv, nullptr, ctState, b);
  lv->OnEditing(lv, nullptr, b);
  lv->OnEdited(lv, nullptr, text);
  lv->OnCustomDraw(lv, TRect(), b);
  lv->OnCustomDrawItem(lv, nullptr, TCustomDrawState(), b);
  lv->OnCustomDrawSubItem(lv, nullptr, 1, TCustomDrawState(), b);
  EXPECT_EQ(form.calls, (std::vector<std::string>{"ColumnClick", "Compare", "Changing", "Editing", "Edited",
                                                  "CustomDraw", "CustomDrawItem", "CustomDrawSubItem"}));

  const std::string once = WriteComponentToText(&form);
  for (const char* line : {"SortType = stText", "ColumnClick = False", "Checkboxes = True", "SmallImages = ilSmall",
                           "ImageIndex = 2", "OnCompare = lvFilesCompare",
                           "OnCustomDrawSubItem = lvFilesCustomDrawSubItem"})
    EXPECT_NE(once.find(line), std::string::npos) << line;
  TfrmListForm copy(nullptr);
  ReadComponentFromText(once, &copy);
  EXPECT_EQ(WriteComponentToText(&copy), once);
  // Defaults are not written.
  TfrmListForm plain(nullptr);
  auto* lv2 = new TListView(&plain);
  lv2->SetName("lvPlain");
  const std::string plainText = WriteComponentToText(&plain);
  for (const char* name : {"SortType", "ColumnClick", "Checkboxes", "SmallImages"})
    EXPECT_EQ(plainText.find(name), std::string::npos) << name;
}

}  // namespace
