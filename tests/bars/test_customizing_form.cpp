// The customizing form: opening and closing around the managed forms, its
// toolbars, commands and options pages, driven with real clicks and keys.
#include <gtest/gtest.h>

#include <commctrl.h>

#include "tests/bars/customize_model.h"

using namespace custtest;
using barinput::Click;
using barinput::Settle;

namespace {

void ClickTab(TPageControl* Pages, Integer Index) {
  RECT r{};
  SendMessageW(Pages->Handle(), TCM_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&r));
  Click(Pages->ClientToScreen(TPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2}));
}

TPoint RowPoint(TListBox* L, Integer Row, Integer X) {
  TRect r = L->ItemRect(Row);
  return L->ClientToScreen(TPoint{r.Left + X, (r.Top + r.Bottom) / 2});
}

void DoubleClickAt(TPoint P) {
  barinput::MoveTo(P);
  Settle(30);
  for (int i = 0; i < 2; ++i) {
    barinput::Button(MOUSEEVENTF_LEFTDOWN);
    Settle(20);
    barinput::Button(MOUSEEVENTF_LEFTUP);
    Settle(20);
  }
  Settle(60);
}

// Pixels of a colour in a row's check square.
Integer SquarePixels(TBitmap* Pic, TListBox* L, Integer Row, COLORREF C) {
  TRect r = L->ItemRect(Row);
  return menutest::CountColor(Pic, TRect{r.Left, r.Top, r.Left + r.Height(), r.Bottom}, C);
}

}  // namespace

// Every enabled form with a manager waits while the dialog is open; closing
// it enables exactly those again, also when one of them went meanwhile.
TEST(CustomizingForm, OpeningDisablesManagedFormsAndClosingEnablesThem) {
  TCustomizeModel m;
  std::unique_ptr<TForm> other(testui::NewForm(200, 80, 600, 40));
  new TdxBarManager(other.get());
  std::unique_ptr<TForm> disabled(testui::NewForm(200, 80, 600, 160));
  new TdxBarManager(disabled.get());
  disabled->SetEnabled(false);
  std::unique_ptr<TForm> doomed(testui::NewForm(200, 80, 600, 280));
  new TdxBarManager(doomed.get());
  std::unique_ptr<TForm> plain(testui::NewForm(200, 80, 600, 400));
  other->Show();
  plain->Show();
  Integer shows = 0, hides = 0;
  m.manager->OnShowCustomizingForm = [&](TObject*) { ++shows; };
  m.manager->OnHideCustomizingForm = [&](TObject*) { ++hides; };

  TdxBarCustomizingForm* f = m.Customize();
  ASSERT_NE(f, nullptr);
  EXPECT_EQ(f->BarManager(), m.manager);
  EXPECT_EQ(shows, 1);
  EXPECT_FALSE(m.form->Enabled());
  EXPECT_FALSE(other->Enabled());
  EXPECT_FALSE(doomed->Enabled());
  EXPECT_TRUE(plain->Enabled());
  EXPECT_FALSE(IsWindowEnabled(m.form->Handle()));
  // A second request while the dialog is open changes nothing.
  ShowCustomizingForm(m.manager, true);
  EXPECT_EQ(dxBarCustomizingForm(), f);
  EXPECT_EQ(shows, 1);

  // The help button asks the manager's help event.
  Integer helps = 0;
  m.manager->OnHelpButtonClick = [&](TObject*) { ++helps; };
  Click(CenterOf(f->BHelp));
  EXPECT_EQ(helps, 1);

  doomed.reset();
  Settle();
  Click(CenterOf(f->BClose));
  Settle(100);
  EXPECT_EQ(dxBarCustomizingForm(), nullptr);
  EXPECT_FALSE(m.manager->IsCustomizing());
  EXPECT_TRUE(m.form->Enabled());
  EXPECT_TRUE(IsWindowEnabled(m.form->Handle()));
  EXPECT_TRUE(other->Enabled());
  EXPECT_FALSE(disabled->Enabled());
  EXPECT_TRUE(plain->Enabled());
}

// Switching customizing off from the manager's side frees the dialog, which
// enables the forms again; a manager freed under an open dialog takes it along.
TEST(CustomizingForm, GoesWithTheModeAndWithTheManager) {
  {
    TCustomizeModel m;
    ASSERT_NE(m.Customize(), nullptr);
    m.manager->SetCustomizing(false);
    ShowCustomizingForm(m.manager, false);
    Settle();
    EXPECT_EQ(dxBarCustomizingForm(), nullptr);
    EXPECT_TRUE(m.form->Enabled());
  }
  {
    auto m = std::make_unique<TCustomizeModel>();
    ASSERT_NE(m->Customize(), nullptr);
    std::unique_ptr<TForm> other(testui::NewForm(200, 80, 600, 40));
    new TdxBarManager(other.get());
    delete m->manager;
    m->manager = nullptr;
    Settle(100);
    EXPECT_EQ(dxBarCustomizingForm(), nullptr);
    EXPECT_TRUE(m->form->Enabled());
  }
}

// The list shows the bars but the hidden one, selects the first visible, and
// toggles a bar by its check square, a double click on the row or the space
// bar; a bar that cannot be closed keeps its place.
TEST(CustomizingForm, ToolbarListTogglesBars) {
  TCustomizeModel m;
  TdxBarCustomizingForm* f = m.Customize();
  ASSERT_NE(f, nullptr);
  TCheckListBox* list = f->BarsListBox;
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(ListRows(list), (std::vector<std::string>{"Standard", "Locked", "Spare"}));
  EXPECT_EQ(list->ItemIndex(), 0);
  EXPECT_EQ(list->ItemHeight(), dxBarFontTextExtent(list->Font(), "0").cy + 2);

  TdxBar* spare = m.Bar("Spare");
  TdxBar* locked = m.Bar("Locked");
  TdxBar* standard = m.Bar("Standard");
  Click(RowPoint(list, 2, 4));
  EXPECT_TRUE(spare->Visible());
  // Pictures of the squares: checked, inactive-checked, unchecked.
  Click(RowPoint(list, 2, 60));
  auto pic = menutest::Grab(list);
  SaveBitmapAsPng(pic.get(), "customizing_bar_list.png");
  const COLORREF black = 0;
  EXPECT_GT(SquarePixels(pic.get(), list, 0, black), 5);
  EXPECT_EQ(SquarePixels(pic.get(), list, 1, black), 0);
  EXPECT_GT(SquarePixels(pic.get(), list, 1, GetSysColor(COLOR_BTNSHADOW) & 0xFFFFFF), 5);

  Click(RowPoint(list, 2, 4));
  EXPECT_FALSE(spare->Visible());
  Click(RowPoint(list, 1, 4));
  EXPECT_TRUE(locked->Visible());
  // Clicking on the name only selects.
  Click(RowPoint(list, 0, 60));
  EXPECT_TRUE(standard->Visible());
  EXPECT_EQ(list->ItemIndex(), 0);
  DoubleClickAt(RowPoint(list, 0, 60));
  EXPECT_FALSE(standard->Visible());
  barinput::Tap(VK_SPACE);
  EXPECT_TRUE(standard->Visible());
  Click(RowPoint(list, 1, 60));
  barinput::Tap(VK_SPACE);
  EXPECT_TRUE(locked->Visible());
}

// Rename and Delete only for bars the user made; Reset only for bars of the form.
TEST(CustomizingForm, BarButtonsFollowTheSelection) {
  TCustomizeModel m;
  TdxBar* mine = m.manager->Bars()->Add();
  mine->SetCaption("Mine");
  TdxBarCustomizingForm* f = m.Customize();
  ASSERT_NE(f, nullptr);
  EXPECT_TRUE(f->BBarReset->Visible());
  struct TCase {
    Integer Row;
    bool Rename, Delete, Reset;
  };
  for (TCase c : {TCase{0, false, false, true}, TCase{1, false, false, true}, TCase{3, true, true, false}}) {
    SCOPED_TRACE(c.Row);
    Click(RowPoint(f->BarsListBox, c.Row, 60));
    EXPECT_EQ(f->BarsListBox->ItemIndex(), c.Row);
    EXPECT_EQ(f->BBarRename->Enabled(), c.Rename);
    EXPECT_EQ(f->BBarDelete->Enabled(), c.Delete);
    EXPECT_EQ(f->BBarReset->Enabled(), c.Reset);
  }
}

// New proposes the first free "Custom n" and floats the bar beside the
// dialog; Rename and Delete (with its question) work on the selected bar.
TEST(CustomizingForm, NewRenameAndDeleteToolbars) {
  TCustomizeModel m;
  // A caption in use counts as taken, whatever the bar's name.
  m.Bar("Spare")->SetCaption("Custom 1");
  ASSERT_EQ(m.manager->BarByName("Custom 1"), nullptr);
  TdxBarCustomizingForm* f = m.Customize();
  ASSERT_NE(f, nullptr);
  const Integer bars = m.manager->Bars()->Count();

  std::string proposed;
  {
    TWhenModal<TdxBarNameEd> script([&](TdxBarNameEd* d) {
      proposed = d->EName->Text();
      EXPECT_EQ(d->Caption(), "Custom ");
      Click(CenterOf(d->BOK));
    });
    Click(CenterOf(f->BBarNew));
    Settle(100);
    EXPECT_TRUE(script.ran);
  }
  EXPECT_EQ(proposed, "Custom 2");
  ASSERT_EQ(m.manager->Bars()->Count(), bars + 1);
  TdxBar* made = m.Bar("Custom 2");
  ASSERT_NE(made, nullptr);
  EXPECT_TRUE(made->Visible());
  EXPECT_EQ(made->DockingStyle(), dsNone);
  ASSERT_NE(made->Control(), nullptr);
  RECT dr, br;
  GetWindowRect(f->Handle(), &dr);
  GetWindowRect(made->Control()->Handle(), &br);
  TRect work = GetWorkAreaAt(POINT{dr.left, dr.top});
  if (dr.left - 50 - (br.right - br.left) >= work.Left)
    EXPECT_EQ(br.right, dr.left - 50);
  else
    EXPECT_EQ(br.left, dr.right + 10);
  EXPECT_EQ(br.top, std::max<LONG>(dr.top, work.Top + 10));
  const Integer row = f->BarsListBox->Items()->Count() - 1;
  EXPECT_EQ(f->BarsListBox->Items()->Strings(row), "Custom 2");
  EXPECT_EQ(f->BarsListBox->ItemIndex(), row);

  {
    TWhenModal<TdxBarNameEd> script([&](TdxBarNameEd* d) {
      EXPECT_EQ(d->Caption(), "Rename Toolbar");
      EXPECT_EQ(d->EName->Text(), "Custom 2");
      ClearFocusedEdit();
      TypeText("Mine");
      Click(CenterOf(d->BOK));
    });
    Click(CenterOf(f->BBarRename));
    Settle(100);
  }
  EXPECT_EQ(made->Caption(), "Mine");
  EXPECT_EQ(f->BarsListBox->Items()->Strings(row), "Mine");

  {
    TMessageBoxes boxes({IDCANCEL, IDOK});
    Click(CenterOf(f->BBarDelete));
    EXPECT_EQ(m.manager->Bars()->Count(), bars + 1);
    Click(CenterOf(f->BBarDelete));
    Settle();
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].Text, "Are you sure you want to delete the 'Mine' toolbar?");
    EXPECT_EQ(boxes.shown[0].Caption, Application->Title());
    EXPECT_EQ(boxes.shown[0].Flags & MB_TYPEMASK, static_cast<UINT>(MB_OKCANCEL));
  }
  EXPECT_EQ(m.manager->Bars()->Count(), bars);
  EXPECT_EQ(m.Bar("Mine"), nullptr);
  EXPECT_EQ(f->BarsListBox->Items()->Count(), row);
  EXPECT_EQ(f->BarsListBox->ItemIndex(), row - 1);
}

// Visible categories only; a category lists its listed commands, a command
// shows its description; each row is drawn as in a menu.
TEST(CustomizingForm, CommandsPageListsCategoriesAndCommands) {
  TCustomizeModel m;
  auto* find = new TdxBarEdit(m.form.get());
  find->SetCaption("Find");
  find->SetCategory(1);
  auto* zoom = new TdxBarCombo(m.form.get());
  zoom->SetCaption("Zoom");
  zoom->SetCategory(1);
  TdxBarCustomizingForm* f = m.Customize();
  ASSERT_NE(f, nullptr);
  ClickTab(f->PageControl, 1);
  EXPECT_EQ(f->PageControl->ActivePage(), f->TabSheet2);
  EXPECT_EQ(ListRows(f->LCategories), (std::vector<std::string>{"File", "Edit"}));
  EXPECT_EQ(f->LCategories->ItemIndex(), 0);
  TCommandsListBox* cmds = f->CommandsList;
  EXPECT_EQ(ListRows(cmds), (std::vector<std::string>{"&New", "&Open...", "&Recent"}));
  Click(RowPoint(cmds, 1, 40));
  EXPECT_EQ(f->DescriptionLabel->Caption(), "Opens a document");
  Click(RowPoint(f->LCategories, 1, 20));
  EXPECT_EQ(ListRows(cmds), (std::vector<std::string>{"Cu&t", "&Copy", "&Paste", "Find", "Zoom"}));
  EXPECT_EQ(f->DescriptionLabel->Caption(), "");
  Click(RowPoint(cmds, 0, 40));
  auto pic = menutest::Grab(cmds);
  SaveBitmapAsPng(pic.get(), "customizing_commands_list.png");
  // The glyph of Cut in the glyph column, the drop-down part of Paste.
  TRect cut = cmds->ItemRect(0), paste = cmds->ItemRect(2);
  EXPECT_GT(menutest::CountColor(pic.get(), TRect{cut.Left, cut.Top, cut.Left + 24, cut.Bottom}, 0x0000FF), 50);
  EXPECT_GT(menutest::CountColor(pic.get(), TRect{paste.Right - 14, paste.Top, paste.Right, paste.Bottom},
                                 GetSysColor(COLOR_BTNTEXT) & 0xFFFFFF),
            3);
  // Edit and combo items: a window-coloured box on the right, the combo's with its arrow.
  const COLORREF window = GetSysColor(COLOR_WINDOW) & 0xFFFFFF;
  const COLORREF arrowColor = GetSysColor(COLOR_BTNTEXT) & 0xFFFFFF;
  for (Integer row : {3, 4}) {
    TRect r = cmds->ItemRect(row);
    TRect right{(r.Left + r.Right) / 2 + 10, r.Top, r.Right, r.Bottom};
    EXPECT_GT(menutest::CountColor(pic.get(), right, window), 100) << row;
    TRect end{r.Right - 16, r.Top, r.Right, r.Bottom};
    Integer arrows = menutest::CountColor(pic.get(), end, arrowColor);
    if (row == 4)
      EXPECT_GT(arrows, 3);
    else
      EXPECT_EQ(arrows, 0);
  }
  // The selected row is highlighted right of the glyph column.
  EXPECT_GT(menutest::CountColor(pic.get(), TRect{cut.Left + 24, cut.Top, cut.Right, cut.Bottom},
                                 GetSysColor(COLOR_HIGHLIGHT) & 0xFFFFFF),
            100);
  Click(RowPoint(f->LCategories, 0, 20));
  TRect sub = cmds->ItemRect(2);
  auto pic2 = menutest::Grab(cmds);
  EXPECT_GT(menutest::CountColor(pic2.get(), TRect{sub.Right - 14, sub.Top, sub.Right, sub.Bottom},
                                 GetSysColor(COLOR_BTNTEXT) & 0xFFFFFF),
            3);
  TRect fresh = cmds->ItemRect(0);
  EXPECT_GT(menutest::CountColor(pic2.get(), TRect{fresh.Left, fresh.Top, fresh.Left + 24, fresh.Bottom}, 0x008000),
            50);
}

// The options page shows the panel of the manager's style with the
// manager's values, and every control writes its property at once.
TEST(CustomizingForm, OptionsWriteTheManagerAtOnce) {
  for (TdxBarManagerStyle style : {bmsStandard, bmsEnhanced, bmsFlat}) {
    SCOPED_TRACE(style);
    TCustomizeModel m(style);
    m.manager->SetShowHint(true);
    m.manager->SetShowShortCutInHint(false);
    m.manager->SetMenuAnimations(maUnfold);
    TdxBarCustomizingForm* f = m.Customize();
    ASSERT_NE(f, nullptr);
    ClickTab(f->PageControl, 2);
    const bool enhanced = style != bmsStandard;
    EXPECT_EQ(f->StandardOptionsPanel->Visible(), !enhanced);
    EXPECT_EQ(f->EnhancedOptionsPanel->Visible(), enhanced);
    TCheckBox* hint1 = enhanced ? f->CBHint1Ex : f->CBHint1;
    TCheckBox* hint2 = enhanced ? f->CBHint2Ex : f->CBHint2;
    TCheckBox* large = enhanced ? f->CBLargeIconsEx : f->CBLargeIcons;
    TComboBox* anim = enhanced ? f->ComboBoxMenuAnimationsEx : f->ComboBoxMenuAnimations;
    EXPECT_TRUE(hint1->Checked());
    EXPECT_FALSE(hint2->Checked());
    EXPECT_EQ(anim->ItemIndex(), 2);
    EXPECT_EQ(anim->Items()->Strings(0), "(None)");
    Click(CenterOf(hint2));
    EXPECT_TRUE(m.manager->ShowShortCutInHint());
    Click(CenterOf(hint1));
    EXPECT_FALSE(m.manager->ShowHint());
    EXPECT_FALSE(hint2->Enabled());
    Click(CenterOf(large));
    EXPECT_TRUE(m.manager->LargeIcons());
    SetFocus(anim->Handle());
    barinput::Tap(VK_DOWN);
    EXPECT_EQ(m.manager->MenuAnimations(), maSlide);
    if (enhanced) {
      EXPECT_TRUE(f->CBShowFullMenusAfterDelay->Enabled());
      Click(CenterOf(f->CBShowFullMenusAfterDelay));
      EXPECT_FALSE(m.manager->ShowFullMenusAfterDelay());
      Click(CenterOf(f->CBMenusShowRecentItemsFirst));
      EXPECT_FALSE(m.manager->MenusShowRecentItemsFirst());
      EXPECT_FALSE(f->CBShowFullMenusAfterDelay->Enabled());
      TMessageBoxes boxes({IDNO});
      Click(CenterOf(f->BResetUsageData));
      ASSERT_EQ(boxes.shown.size(), 1u);
      EXPECT_EQ(boxes.shown[0].Text.rfind("This will delete the record of the commands you've used", 0), 0u);
    }
  }
}

// Pictures of the three pages (and the enhanced options) in the build folder.
TEST(CustomizingForm, PicturesOfThePages) {
  for (TdxBarManagerStyle style : {bmsStandard, bmsFlat}) {
    TCustomizeModel m(style);
    TdxBarCustomizingForm* f = m.Customize();
    ASSERT_NE(f, nullptr);
    const char* names[] = {"customizing_toolbars", "customizing_commands", "customizing_options"};
    for (Integer page = 0; page < 3; ++page) {
      if (style != bmsStandard && page != 2) continue;
      ClickTab(f->PageControl, page);
      if (page == 1) Click(RowPoint(f->CommandsList, 0, 40));
      Settle(100);
      std::string file = std::string(names[page]) + (style == bmsStandard ? "" : "_enhanced") + ".png";
      auto pic = GrabWindow(f->Handle());
      EXPECT_TRUE(SaveBitmapAsPng(pic.get(), file));
    }
  }
}

namespace {

std::vector<std::string> LinkNames(TdxBar* Bar) {
  std::vector<std::string> v;
  for (Integer i = 0; i < Bar->ItemLinks()->Count(); ++i) {
    TdxBarItem* it = Bar->ItemLinks()->Items(i)->Item();
    v.push_back(it ? it->Name() : "?");
  }
  return v;
}

TPoint LinkPoint(TdxBar* Bar, Integer Index, Integer DX) {
  TdxBarItemLink* l = Bar->ItemLinks()->Items(Index);
  TRect r = l->ItemRect;
  return Bar->Control()->ClientToScreen(TPoint{r.Left + DX, (r.Top + r.Bottom) / 2});
}

}  // namespace

// A command dragged from the dialog onto a toolbar lands at the drop point;
// dragged off the bars it goes; the bar's reset brings the designed links back.
TEST(CustomizingForm, CommandsDragOntoToolbarsOffThemAndReset) {
  TCustomizeModel m;
  TdxBarCustomizingForm* f = m.Customize();
  ASSERT_NE(f, nullptr);
  TdxBar* standard = m.Bar("Standard");
  ASSERT_NE(standard->Control(), nullptr);
  ClickTab(f->PageControl, 1);
  Click(RowPoint(f->LCategories, 1, 20));
  TCommandsListBox* cmds = f->CommandsList;
  ASSERT_EQ(cmds->Items()->Strings(2), "&Paste");
  const std::vector<std::string> designed{"btnNew", "btnOpen", "btnCut"};
  ASSERT_EQ(LinkNames(standard), designed);

  // Onto the first half of Open: before it.
  TPoint open = LinkPoint(standard, 1, 4);
  EXPECT_TRUE(barinput::Drag(RowPoint(cmds, 2, 40), {TPoint{open.X, open.Y + 40}}, open));
  EXPECT_EQ(LinkNames(standard), (std::vector<std::string>{"btnNew", "btnPaste", "btnOpen", "btnCut"}));
  // Onto the second half of Cut: after it.
  TdxBarItemLink* cutLink = standard->ItemLinks()->Items(3);
  TPoint cutEnd = LinkPoint(standard, 3, cutLink->ItemRect.Width() - 4);
  EXPECT_TRUE(barinput::Drag(RowPoint(cmds, 1, 40), {TPoint{cutEnd.X, cutEnd.Y + 40}}, cutEnd));
  EXPECT_EQ(LinkNames(standard),
            (std::vector<std::string>{"btnNew", "btnPaste", "btnOpen", "btnCut", "btnCopy"}));
  SaveBitmapAsPng(menutest::Grab(standard->Control()).get(), "customizing_dropped_commands.png");

  // The new Paste link dragged off every bar, onto the dialog: deleted.
  TPoint paste = LinkPoint(standard, 1, 8);
  EXPECT_TRUE(barinput::Drag(paste, {TPoint{paste.X, paste.Y + 60}}, CenterOf(f->DescriptionLabel)));
  EXPECT_EQ(LinkNames(standard), (std::vector<std::string>{"btnNew", "btnOpen", "btnCut", "btnCopy"}));

  // Reset, confirmed: the links of the form's design.
  ClickTab(f->PageControl, 0);
  Click(RowPoint(f->BarsListBox, 0, 60));
  ASSERT_TRUE(f->BBarReset->Enabled());
  {
    TMessageBoxes boxes({IDOK});
    Click(CenterOf(f->BBarReset));
    Settle(100);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].Text, "Are you sure you want to reset the changes made to the 'Standard' toolbar?");
  }
  EXPECT_EQ(LinkNames(standard), designed);
}
