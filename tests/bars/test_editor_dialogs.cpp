// The name prompt, the add-item dialog, the group picker and the sub-menu
// editor, each shown and driven with real keys and clicks.
#include <gtest/gtest.h>

#include "tests/bars/customize_model.h"

using namespace custtest;
using barinput::Click;
using barinput::Settle;

namespace {

struct TNameCase {
  bool IsCategory;
  Integer Mode;
  const char* Caption;
  const char* Label;
};

}  // namespace

// Every mode names its window and label; OK returns the typed text, Cancel
// returns false and leaves the name alone; an empty edit disables OK.
TEST(EditorDialogs, NamePromptModesTextsAndBlankNames) {
  TCustomizeModel m;
  const TNameCase cases[] = {{true, 0, "Add Category", "&Category name:"},
                             {true, 1, "Insert Category", "&Category name:"},
                             {true, 2, "Rename Category", "&Category name:"},
                             {false, 0, "Custom ", "&Toolbar name:"},
                             {false, 1, "Rename Toolbar", "&Toolbar name:"}};
  for (const TNameCase& c : cases) {
    SCOPED_TRACE(c.Caption);
    std::string name = "Start";
    bool blankDisabled = false;
    TWhenModal<TdxBarNameEd> script([&](TdxBarNameEd* d) {
      EXPECT_EQ(d->Caption(), c.Caption);
      EXPECT_EQ(d->LName->Caption(), c.Label);
      EXPECT_EQ(d->EName->Text(), "Start");
      EXPECT_EQ(GetFocus(), d->EName->Handle());
      EXPECT_TRUE(d->BOK->Enabled());
      if (!c.IsCategory && c.Mode == 1) SaveBitmapAsPng(GrabWindow(d->Handle()).get(), "editor_name_prompt.png");
      ClearFocusedEdit();
      blankDisabled = !d->BOK->Enabled();
      TypeText("Tools 2");
      EXPECT_TRUE(d->BOK->Enabled());
      Click(CenterOf(d->BOK));
    });
    EXPECT_TRUE(ShowNameDialog(name, c.IsCategory, c.Mode, nullptr, m.manager));
    EXPECT_TRUE(script.ran);
    EXPECT_TRUE(blankDisabled);
    EXPECT_EQ(name, "Tools 2");
  }
  std::string kept = "Kept";
  TWhenModal<TdxBarNameEd> cancel([&](TdxBarNameEd* d) {
    TypeText("xyz");
    Click(CenterOf(d->BCancel));
  });
  EXPECT_FALSE(ShowNameDialog(kept, false, 1, nullptr, m.manager));
  EXPECT_EQ(kept, "Kept");
}

// A toolbar may keep its own caption; another bar's caption is refused with
// the message and the dialog stays open. Categories are not checked.
TEST(EditorDialogs, NamePromptRefusesAnotherToolbarsCaption) {
  TCustomizeModel m;
  TdxBar* standard = m.Bar("Standard");
  {
    TMessageBoxes boxes;
    std::string name = "Standard";
    TWhenModal<TdxBarNameEd> script([&](TdxBarNameEd* d) { Click(CenterOf(d->BOK)); });
    EXPECT_TRUE(ShowNameDialog(name, false, 1, standard, m.manager));
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_EQ(name, "Standard");
  }
  {
    TMessageBoxes boxes;
    std::string name = "Locked";
    bool stayed = false;
    TWhenModal<TdxBarNameEd> script(std::vector<std::function<void(TdxBarNameEd*)>>{
        [&](TdxBarNameEd* d) { Click(CenterOf(d->BOK)); },
        [&](TdxBarNameEd* d) {
          stayed = d->Visible() && boxes.shown.size() == 1;
          Click(CenterOf(d->EName));
          ClearFocusedEdit();
          TypeText("Fresh");
          Click(CenterOf(d->BOK));
        }});
    EXPECT_TRUE(ShowNameDialog(name, false, 1, standard, m.manager));
    EXPECT_TRUE(stayed);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].Text, "A toolbar named 'Locked' already exists. Type another name.");
    EXPECT_EQ(boxes.shown[0].Caption, Application->Title());
    EXPECT_EQ(boxes.shown[0].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(name, "Fresh");
  }
  {
    TMessageBoxes boxes;
    std::string name = "Locked";
    TWhenModal<TdxBarNameEd> script([&](TdxBarNameEd* d) { Click(CenterOf(d->BOK)); });
    EXPECT_TRUE(ShowNameDialog(name, true, 2, nullptr, m.manager));
    EXPECT_TRUE(boxes.shown.empty());
  }
}

// The proposal counts up past names in use (any case); OK makes the item in
// the owner form with the typed name, category and caption.
TEST(EditorDialogs, AddItemProposesFreeNamesAndCreatesTheItem) {
  TCustomizeModel m;
  auto* taken = new TdxBarButton(m.form.get());
  taken->SetName("DXBARBUTTON1");
  TdxBarItem* made = nullptr;
  std::string proposed, subProposed;
  std::vector<std::string> categories, classes;
  Integer categoryShown = -1;
  TWhenModal<TdxBarItemAddEditor> script([&](TdxBarItemAddEditor* d) {
    proposed = d->Edit1->Text();
    for (Integer i = 0; i < d->ComboBox2->Items()->Count(); ++i) categories.push_back(d->ComboBox2->Items()->Strings(i));
    for (Integer i = 0; i < d->ComboBox1->Items()->Count(); ++i) classes.push_back(d->ComboBox1->Items()->Strings(i));
    categoryShown = d->ComboBox2->ItemIndex();
    EXPECT_EQ(d->Edit2->Text(), "New Item");
    EXPECT_EQ(GetFocus(), d->Edit1->Handle());
    SaveBitmapAsPng(GrabWindow(d->Handle()).get(), "editor_add_item.png");
    // The type list by keyboard: the second class proposes its own name.
    SetFocus(d->ComboBox1->Handle());
    barinput::Tap(VK_DOWN);
    subProposed = d->Edit1->Text();
    barinput::Tap(VK_UP);
    SetFocus(d->Edit2->Handle());
    ClearFocusedEdit();
    TypeText("Print");
    Click(CenterOf(d->BOk));
  });
  made = ShowAddItemDialog(m.manager, 1);
  ASSERT_TRUE(script.ran);
  EXPECT_EQ(proposed, "dxBarButton2");
  EXPECT_EQ(categories, (std::vector<std::string>{"File", "Edit", "Internal"}));
  EXPECT_EQ(categoryShown, 1);
  ASSERT_GE(classes.size(), 2u);
  EXPECT_EQ(classes[0], "TdxBarButton");
  EXPECT_EQ(subProposed, classes[1].substr(1) + "1");
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->Name(), "dxBarButton2");
  EXPECT_EQ(made->Caption(), "Print");
  EXPECT_EQ(made->Category(), 1);
  EXPECT_EQ(made->Owner(), m.form.get());
  EXPECT_EQ(made->BarManager(), m.manager);
  EXPECT_EQ(dynamic_cast<TdxBarButton*>(made) != nullptr, true);
}

// A category index out of range shows the first; a name the form refuses
// keeps the dialog open with a fresh proposal and leaves no item behind.
TEST(EditorDialogs, AddItemSurvivesARefusedName) {
  TCustomizeModel m;
  const Integer before = m.form->ComponentCount();
  const Integer itemsBefore = m.manager->ItemCount();
  struct TCase {
    Integer Category;
    Integer Shown;
  };
  for (TCase c : {TCase{-1, 0}, TCase{3, 0}, TCase{2, 2}}) {
    Integer shown = -5;
    bool stayed = false;
    std::string after;
    TWhenModal<TdxBarItemAddEditor> script(std::vector<std::function<void(TdxBarItemAddEditor*)>>{
        [&](TdxBarItemAddEditor* d) {
          shown = d->ComboBox2->ItemIndex();
          // The manager's own name is taken on the form (not by an item).
          ClearFocusedEdit();
          TypeText("BarManager1");
          Click(CenterOf(d->BOk));
        },
        [&](TdxBarItemAddEditor* d) {
          stayed = d->Visible();
          after = d->Edit1->Text();
          Click(CenterOf(d->BCancel));
        }});
    EXPECT_EQ(ShowAddItemDialog(m.manager, c.Category), nullptr);
    EXPECT_EQ(shown, c.Shown);
    EXPECT_TRUE(stayed);
    EXPECT_EQ(after, "dxBarButton1");
  }
  EXPECT_EQ(m.form->ComponentCount(), before);
  EXPECT_EQ(m.manager->ItemCount(), itemsBefore);
}

// Rows: other groups (only when there are several), then each category with
// listed items; the chosen rows' objects come back in row order.
TEST(EditorDialogs, GroupPickerRowsAndChoice) {
  TCustomizeModel m;
  TdxBarGroup* g1 = m.manager->CreateGroup();
  g1->SetName("grpFiles");
  g1->Add(m.Item("btnNew"));
  std::vector<std::string> single;
  {
    TWhenModal<TfrmAddGroupItems> script([&](TfrmAddGroupItems* d) {
      single = ListRows(d->lbGroupItems);
      Click(CenterOf(d->btnCancel));
    });
    std::vector<TComponent*> none;
    EXPECT_FALSE(PickGroupMembers(g1, none));
  }
  EXPECT_EQ(single, (std::vector<std::string>{"~File", "&New", "&Open...", "&Recent", "~Edit", "Cu&t", "&Copy",
                                              "&Paste", "~Internal", "Trace"}));

  TdxBarGroup* g2 = m.manager->CreateGroup();
  g2->SetName("grpEdit");
  std::vector<std::string> rows;
  std::vector<TComponent*> chosen;
  TWhenModal<TfrmAddGroupItems> script([&](TfrmAddGroupItems* d) {
    rows = ListRows(d->lbGroupItems);
    TListBox* l = d->lbGroupItems;
    auto rowPoint = [&](Integer i) {
      TRect r = l->ItemRect(i);
      return l->ClientToScreen(TPoint{r.Left + 20, (r.Top + r.Bottom) / 2});
    };
    Click(rowPoint(7));  // Cu&t
    barinput::Key(VK_CONTROL, false);
    Settle(20);
    Click(rowPoint(1));  // grpFiles
    Click(rowPoint(3));  // &New
    barinput::Key(VK_CONTROL, true);
    Settle(20);
    Click(CenterOf(d->btnOk));
  });
  EXPECT_TRUE(PickGroupMembers(g2, chosen));
  EXPECT_EQ(rows, (std::vector<std::string>{"~< Groups >", "grpFiles", "~File", "&New", "&Open...", "&Recent",
                                            "~Edit", "Cu&t", "&Copy", "&Paste", "~Internal", "Trace"}));
  EXPECT_EQ(chosen, (std::vector<TComponent*>{g1, m.Item("btnNew"), m.Item("btnCut")}));
}

// Headers on the face colour, members of the group greyed, a separator
// between caption and name, the face colour below the last row.
TEST(EditorDialogs, GroupPickerPaintsHeadersMembersAndTheRest) {
  TCustomizeModel m;
  TdxBarGroup* g = m.manager->CreateGroup();
  g->Add(m.Item("btnOpen"));
  std::unique_ptr<TBitmap> pic;
  TRect header, member, plain, last;
  TWhenModal<TfrmAddGroupItems> script([&](TfrmAddGroupItems* d) {
    TListBox* l = d->lbGroupItems;
    header = l->ItemRect(0);
    plain = l->ItemRect(1);
    member = l->ItemRect(2);
    last = l->ItemRect(l->Items()->Count() - 1);
    InvalidateRect(l->Handle(), nullptr, TRUE);
    Settle(80);
    pic = menutest::Grab(l);
    SaveBitmapAsPng(GrabWindow(d->Handle()).get(), "editor_group_picker.png");
    Click(CenterOf(d->btnCancel));
  });
  std::vector<TComponent*> list;
  PickGroupMembers(g, list);
  ASSERT_TRUE(pic);
  const COLORREF face = GetSysColor(COLOR_BTNFACE) & 0xFFFFFF;
  const COLORREF window = GetSysColor(COLOR_WINDOW) & 0xFFFFFF;
  const COLORREF text = GetSysColor(COLOR_WINDOWTEXT) & 0xFFFFFF;
  EXPECT_EQ(PixelOf(pic.get(), header.Right - 3, header.Top + 1), face);
  EXPECT_GT(menutest::CountColor(pic.get(), TRect{header.Left, header.Top, header.Left + 40, header.Bottom},
                                 GetSysColor(COLOR_BTNTEXT) & 0xFFFFFF),
            0);
  // The separator column in the middle of an item row.
  const Integer mid = (plain.Left + plain.Right) / 2;
  EXPECT_EQ(PixelOf(pic.get(), mid, plain.Top + 1), text);
  EXPECT_EQ(PixelOf(pic.get(), mid - 2, plain.Top + 1), window);
  // A member of the group: its text in the face colour, nothing in the text colour left of the line.
  EXPECT_GT(menutest::CountColor(pic.get(), TRect{member.Left, member.Top, mid, member.Bottom}, face), 0);
  EXPECT_EQ(menutest::CountColor(pic.get(), TRect{member.Left, member.Top, mid, member.Bottom}, text), 0);
  // Below the rows.
  EXPECT_EQ(PixelOf(pic.get(), 10, last.Bottom + 3), face);
  EXPECT_EQ(PixelOf(pic.get(), pic->Width() - 10, pic->Height() - 3), face);
}

// The editor opens the links' menu right below itself, as wide as the menu,
// keeps it there when moved, cannot be resized, and goes with the sub item.
TEST(EditorDialogs, SubMenuEditorCarriesItsMenu) {
  TCustomizeModel m;
  auto* sub = dynamic_cast<TdxBarSubItem*>(m.Item("subRecent"));
  ASSERT_NE(sub, nullptr);
  for (const char* n : {"btnNew", "btnOpen", "btnCut"}) sub->ItemLinks()->Add()->SetItem(m.Item(n));
  ShowSubMenuEditor(sub->ItemLinks());
  Settle(100);
  TdxBarSubMenuEditor* e = dxBarSubMenuEditor();
  ASSERT_NE(e, nullptr);
  EXPECT_TRUE(m.manager->IsCustomizing());
  EXPECT_EQ(e->Caption(), "SubMenu Editor");
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(e->Handle(), GWL_STYLE));
  EXPECT_EQ(style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME),
            static_cast<DWORD>(WS_POPUP | WS_CAPTION | WS_SYSMENU));
  EXPECT_EQ(GetClassLongW(e->Handle(), GCL_STYLE) & (CS_SAVEBITS | CS_OWNDC | CS_DBLCLKS),
            static_cast<DWORD>(CS_SAVEBITS | CS_OWNDC));
  SetForegroundWindow(e->Handle());
  SetActiveWindow(e->Handle());
  Settle(100);
  TCustomdxBarControl* menu = e->MenuWindow();
  ASSERT_NE(menu, nullptr);
  auto below = [&] {
    RECT er, mr;
    GetWindowRect(e->Handle(), &er);
    GetWindowRect(menu->Handle(), &mr);
    EXPECT_EQ(mr.left, er.left);
    EXPECT_EQ(mr.top, er.bottom);
    EXPECT_EQ(mr.right - mr.left, er.right - er.left);
  };
  below();
  // The window, not only the object: a menu closed and reopened may come
  // back at the same address.
  const HWND menuWnd = menu->Handle();
  // Dragged by its caption, the menu follows.
  RECT er;
  GetWindowRect(e->Handle(), &er);
  TPoint grip{er.left + 30, er.top + 8};
  barinput::Drag(grip, {}, TPoint{grip.X + 60, grip.Y + 45});
  Settle(80);
  RECT moved;
  GetWindowRect(e->Handle(), &moved);
  EXPECT_NE(moved.left, er.left);
  ASSERT_EQ(e->MenuWindow(), menu);
  EXPECT_EQ(menu->Handle(), menuWnd) << "the press on the caption closed the menu";
  below();
  // The sizes the frame may take are the one it has.
  MINMAXINFO mmi{};
  SendMessageW(e->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
  EXPECT_EQ(mmi.ptMinTrackSize.x, mmi.ptMaxTrackSize.x);
  EXPECT_EQ(mmi.ptMinTrackSize.y, mmi.ptMaxTrackSize.y);
  EXPECT_EQ(mmi.ptMinTrackSize.y, moved.bottom - moved.top);
  SaveBitmapAsPng(GrabWindows({e->Handle(), menu->Handle()}).get(), "editor_submenu.png");
  // The sub item goes: the editor detaches and frees itself with the menu.
  delete sub;
  Settle(100);
  EXPECT_EQ(dxBarSubMenuEditor(), nullptr);
}

// The one editor moves to other links (the old menu closes); closing it
// with its close button frees it and its menu.
TEST(EditorDialogs, SubMenuEditorSwitchesLinksAndClosesWithItsMenu) {
  TCustomizeModel m;
  auto* sub = dynamic_cast<TdxBarSubItem*>(m.Item("subRecent"));
  sub->ItemLinks()->Add()->SetItem(m.Item("btnNew"));
  auto* other = new TdxBarSubItem(m.form.get());
  other->ItemLinks()->Add()->SetItem(m.Item("btnCopy"));
  ShowSubMenuEditor(other->ItemLinks());
  Settle(100);
  TdxBarSubMenuEditor* e = dxBarSubMenuEditor();
  ASSERT_NE(e, nullptr);
  SetForegroundWindow(e->Handle());
  Settle(100);
  ASSERT_NE(other->ItemLinks()->BarControl(), nullptr);
  ShowSubMenuEditor(sub->ItemLinks());
  Settle(100);
  EXPECT_EQ(dxBarSubMenuEditor(), e);
  EXPECT_EQ(e->ItemLinks(), sub->ItemLinks());
  EXPECT_EQ(other->ItemLinks()->BarControl(), nullptr);
  SetForegroundWindow(e->Handle());
  Settle(100);
  ASSERT_NE(sub->ItemLinks()->BarControl(), nullptr);
  PostMessageW(e->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
  Settle(150);
  EXPECT_EQ(dxBarSubMenuEditor(), nullptr);
  EXPECT_EQ(sub->ItemLinks()->BarControl(), nullptr);
}
