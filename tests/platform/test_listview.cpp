// List view headless: report columns and items in the window, selection
// events for clicks and for changes made by code, multi-select, deletion.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ComCtrls.h"
#include "platform/Forms.h"

#include <commctrl.h>

namespace {

struct Fixture {
  TForm* form;
  TListView* lv;
  std::vector<std::string> log;
  explicit Fixture(bool Multi = true) {
    form = CreateForm<TForm>(nullptr);
    form->SetBorderStyle(bsNone);
    form->SetBounds(10, 10, 400, 300);
    lv = new TListView(form);
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

}  // namespace
