// The main window as a person meets it: its start (caption, layout, menus,
// toolbar, popup), every command item and shortcut reaching the one
// dispatcher, the enabling rules over the document's states, and the save
// prompt when the window closes.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "app/AboutGifFluxmereForm.h"
#include "app/GifPreviewForm.h"
#include "controls/RzButton.h"
#include "controls/RzCmboBx.h"
#include "controls/RzRadChk.h"
#include "controls/RzSpnEdt.h"
#include "controls/RzTabs.h"
#include "platform/ExtCtrls.h"
#include "platform/Menus.h"
#include "platform/StdCtrls.h"
#include "tests/app/mainwin_driver.h"

namespace {

using barinput::Chord;
using mainwin::BarNamed;
using mainwin::EntryCenter;
using mainwin::TMainWindowTest;

class MainWindowStart : public TMainWindowTest {};
class MainWindowCommands : public TMainWindowTest {};
class MainWindowStatus : public TMainWindowTest {};
class MainWindowClose : public TMainWindowTest {};

// "a, b | c": the captions of a list of links, "|" where a group starts.
std::string LinkCaptions(TdxBarItemLinks* Links) {
  std::string s;
  for (Integer i = 0; i < Links->Count(); ++i) {
    TdxBarItemLink* l = Links->Items(i);
    if (i > 0) s += l->BeginGroup() ? " | " : ", ";
    s += l->Item()->Caption();
  }
  return s;
}

TEST_F(MainWindowStart, StartsUntitledWithTheDesignedLayout) {
  TfrmGifMain* f = win;
  EXPECT_EQ(f->Caption(), "Larkspire GIF Fluxmere Version 7.0 - [UNTITLED]");
  EXPECT_EQ(Application->Title(), "Larkspire GIF Fluxmere Version 7.0");
  EXPECT_EQ(f->Width(), 535);
  EXPECT_EQ(f->Height(), 505);
  EXPECT_EQ(f->Constraints()->MinWidth(), 535);
  EXPECT_EQ(f->Constraints()->MinHeight(), 441);
  EXPECT_TRUE(f->KeyPreview());
  EXPECT_EQ(f->Font()->Name(), "Tahoma");
  EXPECT_FALSE(f->documentOpen);
  EXPECT_FALSE(f->modified);
  EXPECT_TRUE(f->document && f->document->IsEmpty());
  EXPECT_TRUE(f->scratchImage != nullptr);
  EXPECT_EQ(f->document->OnFrameShow, TGIFPainterEvent(f, &TfrmGifMain::PlaybackFrameShown));
  EXPECT_EQ(f->document->OnAnimationEnd, TGIFPainterEvent(f, &TfrmGifMain::PlaybackEnded));
  EXPECT_TRUE(GIFDefaults.PaintFlags & pfPaintDirect);

  ASSERT_EQ(f->lvFiles->Columns()->Count(), 2);
  EXPECT_EQ(f->lvFiles->Columns()->Items(0)->Caption(), "Frame");
  EXPECT_EQ(f->lvFiles->Columns()->Items(0)->Width(), 296);
  EXPECT_EQ(f->lvFiles->Columns()->Items(1)->Caption(), "Size");
  EXPECT_EQ(f->lvFiles->Items()->Count(), 0);
  EXPECT_EQ(f->tsPreview->Caption(), "Preview - Frame 1");
  EXPECT_EQ(f->imgPreview->Align(), alClient);
  EXPECT_EQ(f->ImageGIF->Align(), alClient);
  EXPECT_TRUE(f->imgPreview->Visible());
  EXPECT_FALSE(f->ImageGIF->Visible());
  EXPECT_EQ(f->pnlProperties->BevelOuter(), bvNone);
  EXPECT_EQ(f->StatusBar->Height(), 19);
  ASSERT_EQ(f->StatusBar->Panels()->Count(), 3);
  EXPECT_EQ(f->StatusBar->Panels()->Items(0)->Width(), 20);
  EXPECT_EQ(f->StatusBar->Panels()->Items(1)->Width(), 225);
  EXPECT_EQ(f->StatusBar->Panels()->Items(2)->Style(), psText);
  EXPECT_FALSE(f->prgBar->Visible());
  EXPECT_EQ(f->cboDisposal->Items()->CommaText(), "None,\"Don't Remove\",Background,Previous");
  EXPECT_TRUE(f->optLoopForever->Checked());
  EXPECT_FALSE(f->spinPlayTimes->Enabled());
  EXPECT_FALSE(f->btnSelectTransColor->Enabled());
  EXPECT_EQ(f->btnSelectTransColor->Hint(), "Select Color From Image");

  // The controls do not overlap: the list under the two bar rows, the
  // property panel and the preview side by side under the list, the status
  // bar last.
  TdxBarControl* toolbar = BarNamed(f, "Toolbar")->Control();
  ASSERT_NE(toolbar, nullptr);
  TPoint barBottom = f->ScreenToClient(toolbar->ClientToScreen(Point(0, toolbar->Height())));
  EXPECT_GE(f->lvFiles->Top(), barBottom.Y);
  EXPECT_LE(f->lvFiles->Top() + f->lvFiles->Height(), f->pnlProperties->Top());
  EXPECT_LE(f->pnlProperties->Left() + f->pnlProperties->Width(), f->pcPreview->Left());
  EXPECT_LE(f->pcPreview->Top() + f->pcPreview->Height(), f->StatusBar->Top());
  EXPECT_LE(f->pcPreview->Left() + f->pcPreview->Width(), f->ClientWidth());
  SaveShot("mainform_empty.png");

  // Growing the window grows the list; the panels keep to the bottom.
  const Integer listH = f->lvFiles->Height(), gapBelow = f->ClientHeight() - f->pnlProperties->Top();
  f->SetBounds(f->Left(), f->Top(), 700, 600);
  barinput::Settle();
  EXPECT_EQ(f->lvFiles->Height(), listH + 95);
  EXPECT_EQ(f->ClientHeight() - f->pnlProperties->Top(), gapBelow);
  EXPECT_EQ(f->pcPreview->Left() + f->pcPreview->Width(), f->ClientWidth() - 6);
}

struct TCommandTableRow {
  Integer Tag;
  const char* Name;
  const char* Caption;
  Integer Category;
  TShortCut Keys;
  bool Shown;
};

const TCommandTableRow kCommands[] = {
    {101, "miNew", "&New", 1, scCtrl | 'N', true},
    {102, "miOpen", "&Open...", 1, scCtrl | 'O', true},
    {103, "miExit", "E&xit", 1, 0, true},
    {104, "miSave", "&Save", 1, scCtrl | 'S', true},
    {105, "miSaveAs", "Save &As...", 1, 0, true},
    {106, "miSaveAsFlash", "Save As Macromedia Flash (*.swf)", 1, 0, true},
    {107, "miImportAVI", "&Import AVI...", 1, 0, true},
    {108, "miExportImages", "Save& Individual Frames...", 1, 0, false},
    {201, "miFrameInsert", "&Insert Frame...", 2, scCtrl | 'I', true},
    {202, "miFrameRemove", "&Remove Frame", 2, VK_DELETE, true},
    {203, "miSelectAll", "Select &All Frames", 2, scCtrl | 'A', true},
    {204, "miFrameUp", "Move Frame &Up", 2, scCtrl | 'U', true},
    {205, "miFrameDown", "Move Frame Down", 2, scCtrl | 'D', true},
    {301, "miViewPreviewWindow", "&Toggle Preview Window", 3, 0, true},
    {302, "miPlay", "&Play Animation", 3, scCtrl | 'P', true},
    {303, "miPause", "&Pause Animation", 3, scCtrl | 'X', true},
    {304, "miRewind", "Goto &First Frame", 3, 0, true},
    {401, "miPalDefaults", "&Palette Defaults...", 4, 0, false},
    {402, "miFrameSizeDialog", "&Frame Size Defaults...", 4, 0, true},
    {403, "miHTMLCode", "Get HTML Code...", 4, 0, true},
    {404, "miOptimize", "Optimize my Animation...", 4, 0, true},
    {501, "miHelpContents", "Help Contents...", 5, VK_F1, true},
    {502, "miAbout", "&About...", 5, 0, true},
};

TEST_F(MainWindowCommands, ItemsMenusToolbarAndPopupFollowTheCommandTable) {
  TfrmGifMain* f = win;
  for (const TCommandTableRow& row : kCommands) {
    SCOPED_TRACE(row.Name);
    TdxBarButton* item = f->CommandItem(row.Tag);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->Name(), row.Name);
    EXPECT_EQ(item->Tag(), row.Tag);
    EXPECT_EQ(item->Caption(), row.Caption);
    EXPECT_EQ(item->Category(), row.Category);
    EXPECT_EQ(item->ShortCut(), row.Keys) << ShortCutToText(item->ShortCut());
    EXPECT_EQ(item->Visible(), row.Shown ? ivAlways : ivNever);
    EXPECT_EQ(item->OnClick, TNotifyEvent(f, &TfrmGifMain::MenuItemClick));
    std::string hint = row.Caption;
    std::erase(hint, '&');
    while (!hint.empty() && hint.back() == '.') hint.pop_back();
    EXPECT_EQ(item->Hint(), hint);
  }
  EXPECT_EQ(f->CommandItem(999), nullptr);
  EXPECT_EQ(f->dxBarManager1->Categories()->CommaText(), "Default,File,Edit,View,Tools,Help");
  EXPECT_FALSE(f->dxBarManager1->CanCustomize());

  TdxBar* main = BarNamed(f, "Main");
  TdxBar* tools = BarNamed(f, "Toolbar");
  ASSERT_TRUE(main && tools);
  EXPECT_TRUE(main->IsMainMenu());
  EXPECT_EQ(main->Row(), 0);
  EXPECT_EQ(tools->Row(), 1);
  for (TdxBar* b : {main, tools}) {
    EXPECT_EQ(b->DockingStyle(), dsTop);
    EXPECT_FALSE(b->AllowClose() || b->AllowCustomizing() || b->AllowQuickCustomizing() || b->AllowReset());
  }
  EXPECT_EQ(LinkCaptions(main->ItemLinks()), "&File, &Edit, &View, &Tools, &Help");
  EXPECT_EQ(LinkCaptions(f->mnuFile->ItemLinks()),
            "&New | &Open... | &Save, Save &As... | Save As Macromedia Flash (*.swf), Save& Individual Frames... | "
            "&Import AVI... | E&xit");
  EXPECT_EQ(LinkCaptions(f->mnuEdit->ItemLinks()),
            "Select &All Frames | &Insert Frame..., &Remove Frame | Move Frame &Up, Move Frame Down");
  EXPECT_EQ(LinkCaptions(f->mnuView->ItemLinks()), "&Play Animation, &Pause Animation, Goto &First Frame");
  EXPECT_EQ(LinkCaptions(f->mnuTools->ItemLinks()),
            "&Palette Defaults..., &Frame Size Defaults... | Get HTML Code... | Optimize my Animation...");
  EXPECT_EQ(LinkCaptions(f->mnuHelp->ItemLinks()), "Help Contents... | &About...");
  EXPECT_EQ(LinkCaptions(tools->ItemLinks()),
            "&New | &Open... | Save | &Insert Frame..., &Remove Frame | Move Frame &Up, Move Frame Down | "
            "&Toggle Preview Window | &Play Animation, &Pause Animation, Goto &First Frame");
  EXPECT_FALSE(f->miSaveDropDown->ShowCaption());
  EXPECT_EQ(LinkCaptions(f->miSaveDropDown->ItemLinks()),
            "&Save, Save &As... | Save As Macromedia Flash (*.swf), Save& Individual Frames... | Get HTML Code..., "
            "Optimize my Animation...");
  EXPECT_EQ(LinkCaptions(f->pumFrames->ItemLinks()),
            "Select &All Frames | &Insert Frame..., &Remove Frame | Move Frame &Up, Move Frame Down");
  // The toggle of the preview window is on the toolbar only.
  for (TdxBarSubItem* s : {f->mnuFile, f->mnuEdit, f->mnuView, f->mnuTools, f->mnuHelp})
    EXPECT_EQ(LinkCaptions(s->ItemLinks()).find("Toggle"), std::string::npos);
}

// Every item a person can reach, clicked in its menu (or on the toolbar) and
// typed as its shortcut, arrives at the items' one click handler with its Tag.
TEST_F(MainWindowCommands, EveryMenuRowAndShortcutReachesTheDispatcher) {
  TfrmGifMain* f = win;
  std::vector<Integer> reached;
  for (const TCommandTableRow& row : kCommands) {
    TdxBarButton* item = f->CommandItem(row.Tag);
    item->SetEnabled(true);
    item->OnClick = [&reached](TObject* Sender) { reached.push_back(static_cast<Integer>(
                                                      dynamic_cast<TComponent*>(Sender)->Tag())); };
  }
  TdxBar* main = BarNamed(f, "Main");
  const std::pair<TdxBarSubItem*, std::vector<Integer>> menus[] = {
      {f->mnuFile, {101, 102, 104, 105, 106, 107, 103}},
      {f->mnuEdit, {203, 201, 202, 204, 205}},
      {f->mnuView, {302, 303, 304}},
      {f->mnuTools, {402, 403, 404}},
      {f->mnuHelp, {501, 502}},
  };
  for (const auto& [menu, tags] : menus)
    for (Integer tag : tags) {
      SCOPED_TRACE(tag);
      reached.clear();
      barinput::Click(EntryCenter(main->Control(), menu));
      ASSERT_NE(menu->MenuWindow(), nullptr);
      barinput::Click(EntryCenter(menu->MenuWindow(), f->CommandItem(tag)));
      EXPECT_EQ(reached, std::vector<Integer>{tag});
    }
  reached.clear();
  barinput::Click(EntryCenter(BarNamed(f, "Toolbar")->Control(), f->miViewPreviewWindow));
  EXPECT_EQ(reached, std::vector<Integer>{301});

  f->lvFiles->SetFocus();
  for (const TCommandTableRow& row : kCommands) {
    if (!row.Keys) continue;
    SCOPED_TRACE(row.Name);
    reached.clear();
    Word key;
    TShiftState shift;
    ShortCutToKey(row.Keys, key, shift);
    if (shift.Contains(ssCtrl))
      Chord({VK_CONTROL}, key);
    else
      Chord({}, key);
    EXPECT_EQ(reached, std::vector<Integer>{row.Tag});
  }
}

// Which commands and controls are enabled, over the states of the document.
// Columns: Play Pause Rewind | Save SaveAs Flash Frames | HTML Optimize |
// Remove Insert | Up Down | properties panel, preview page | delay and disposal.
struct TDocumentStateRow {
  const char* State;
  std::function<void()> Make;
  const char* Enabled;
};

const char* const kStateColumns[] = {"Play", "Pause", "Rewind", "Save", "SaveAs", "Flash", "Frames", "HTML",
                                     "Optimize", "Remove", "Insert", "Up", "Down", "Panel", "Delay"};

TEST_F(MainWindowCommands, EnablingFollowsTheDocumentState) {
  const TDocumentStateRow rows[] = {
      {"empty", [] {}, "000000000" "01" "00" "00"},
      {"one frame", [this] { OpenDocument(1); }, "000111111" "11" "00" "11"},
      {"several, first selected", [this] { OpenDocument(3); }, "100111111" "11" "01" "11"},
      {"several, middle selected", [this] { OpenDocument(3), Select({1}); }, "100111111" "11" "11" "11"},
      {"several, last selected", [this] { OpenDocument(3), Select({2}); }, "100111111" "11" "10" "11"},
      {"several, none selected", [this] { OpenDocument(3), Select({}); }, "100111100" "00" "00" "10"},
      {"several selected", [this] { OpenDocument(3), Select({0, 2}); }, "100111111" "11" "00" "11"},
      {"playing", [this] {
         OpenDocument(3);
         Chord({VK_CONTROL}, 'P');
       }, "011111111" "11" "01" "11"},
  };
  for (const TDocumentStateRow& row : rows) {
    SCOPED_TRACE(row.State);
    ReopenWindow();
    TfrmGifMain* f = win;
    row.Make();
    const bool got[] = {f->miPlay->Enabled(),        f->miPause->Enabled(),       f->miRewind->Enabled(),
                        f->miSave->Enabled(),        f->miSaveAs->Enabled(),      f->miSaveAsFlash->Enabled(),
                        f->miExportImages->Enabled(), f->miHTMLCode->Enabled(),   f->miOptimize->Enabled(),
                        f->miFrameRemove->Enabled(), f->miFrameInsert->Enabled(), f->miFrameUp->Enabled(),
                        f->miFrameDown->Enabled(),   f->pnlProperties->Enabled(), f->spinDelay->Enabled()};
    std::string want = row.Enabled;
    for (size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[i], want[i] == '1') << kStateColumns[i];
    // The page and the sheet go with the panel; the labels and the combo with the delay.
    EXPECT_EQ(f->pcPreview->Enabled(), got[13]);
    EXPECT_EQ(f->tsPreview->Enabled(), got[13]);
    for (TControl* c : std::initializer_list<TControl*>{f->lblDelay1, f->lblDelay2, f->lblDisposal, f->cboDisposal})
      EXPECT_EQ(c->Enabled(), got[14]) << c->Name();
    // The commands no rule names are always there.
    for (TdxBarButton* b : {f->miNew, f->miOpen, f->miExit, f->miSelectAll, f->miViewPreviewWindow,
                            f->miFrameSizeDialog, f->miHelpContents, f->miAbout})
      EXPECT_TRUE(b->Enabled()) << b->Name();
  }
}

// A disabled command's shortcut does nothing; once enabled the same keys run it.
TEST_F(MainWindowCommands, ShortcutsOfDisabledCommandsDoNothing) {
  TfrmGifMain* f = win;
  OpenDocument(1);
  Chord({VK_CONTROL}, 'P');
  EXPECT_FALSE(f->playing) << "one frame does not play";
  OpenDocument(2);
  Chord({VK_CONTROL}, 'P');
  EXPECT_TRUE(f->playing);
  Chord({VK_CONTROL}, 'P');
  EXPECT_TRUE(f->playing);
  Chord({VK_CONTROL}, 'X');
  EXPECT_FALSE(f->playing);
  EXPECT_FALSE(f->miPause->Enabled());
}

// Commands whose effect the window shows by itself, run through their items.
TEST_F(MainWindowCommands, TheDispatcherRunsTheCommandOfTheTag) {
  {
    SCOPED_TRACE("Help Contents opens the help page; a missing one is reported");
    Chord({}, VK_F1);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Caption, "Error");
    EXPECT_EQ(boxes[0].Text.rfind("Unable to execute file:", 0), 0u) << boxes[0].Text;
  }
  {
    SCOPED_TRACE("About shows the about box");
    ReopenWindow();
    std::string shown;
    testui::TOneShot close(300, [&] {
      if (TCustomForm* a = Screen->ActiveForm()) {
        shown = a->ClassName();
        a->SetModalResult(mrOk);
      }
    });
    close.timer->SetEnabled(true);
    win->ExecuteCommand(cmdAbout);
    EXPECT_EQ(shown, "TfrmAboutGifFluxmere");
  }
  {
    SCOPED_TRACE("Toggle Preview Window makes the floating window");
    ReopenWindow();
    OpenDocument(2);
    win->ExecuteCommand(cmdTogglePreview);
    ASSERT_NE(frmGifPreview, nullptr);
    EXPECT_TRUE(frmGifPreview->Visible());
    CloseWindow();
  }
  EXPECT_EQ(frmGifPreview, nullptr) << "the main window takes its preview window along";
  {
    SCOPED_TRACE("an unknown tag runs nothing but the enabling rules");
    ReopenWindow();
    win->miPlay->SetEnabled(true);
    win->miFrameInsert->SetEnabled(false);
    win->ExecuteCommand(999);
    EXPECT_FALSE(win->miPlay->Enabled());
    EXPECT_TRUE(win->miFrameInsert->Enabled());
  }
  {
    SCOPED_TRACE("Exit closes the window");
    ReopenWindow();
    barinput::Click(EntryCenter(BarNamed(win, "Main")->Control(), win->mnuFile));
    barinput::Click(EntryCenter(win->mnuFile->MenuWindow(), win->miExit));
    EXPECT_FALSE(win->Visible());
  }
}

TEST_F(MainWindowStatus, StatusTextGoesToItsPanelAndBadIndexesAreIgnored) {
  TStatusPanels* panels = win->StatusBar->Panels();
  win->SetStatusText("Working...", 2);
  EXPECT_EQ(panels->Items(2)->Text(), "Working...");
  for (Integer bad : {-1, 3, 50}) win->SetStatusText("lost", bad);
  for (Integer i = 0; i < 3; ++i) EXPECT_NE(panels->Items(i)->Text(), "lost");
  win->fileName = "C:\\work\\pictures\\anim.gif";
  win->UpdateCaption();
  EXPECT_EQ(win->Caption(), "Larkspire GIF Fluxmere Version 7.0 - C:\\work\\pictures\\anim.gif");
  win->fileName.clear();
  win->UpdateCaption();
  EXPECT_EQ(win->Caption(), "Larkspire GIF Fluxmere Version 7.0 - [UNTITLED]");
}

// Closing the window (its close box) asks to save unsaved changes first.
TEST_F(MainWindowClose, ThePromptAsksOnlyForUnsavedChangesAndCancelKeepsTheWindow) {
  struct TCase {
    const char* Name;
    bool Modified;
    const char* File;
    std::vector<int> Answers;
    const char* Question;  // nullptr: none asked
    bool Closes;
  };
  const TCase cases[] = {
      {"unchanged", false, "", {}, nullptr, true},
      {"changed untitled, Cancel", true, "", {IDCANCEL}, "Would you like to save the changes to the UNTITLED Image ?",
       false},
      {"changed file, No", true, "C:\\pictures\\anim.gif", {IDNO},
       "Would you like to save the changes to anim.gif ?", true},
      {"changed untitled, Yes, the save does not happen", true, "", {IDYES},
       "Would you like to save the changes to the UNTITLED Image ?", false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    ReopenWindow();
    OpenDocument(2);
    win->modified = c.Modified;
    win->fileName = c.File;
    boxAnswers.assign(c.Answers.begin(), c.Answers.end());
    PostMessageW(win->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    barinput::Settle(80);
    if (c.Question) {
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0].Text, c.Question);
      EXPECT_EQ(boxes[0].Caption, "Confirm");
      EXPECT_EQ(boxes[0].Flags & (MB_TYPEMASK | MB_ICONMASK), UINT(MB_YESNOCANCEL | MB_ICONQUESTION));
    } else {
      EXPECT_TRUE(boxes.empty());
    }
    EXPECT_EQ(!win->Visible(), c.Closes);
    EXPECT_EQ(win->modified, c.Modified) << "the prompt itself changes nothing";
  }
}

// Yes saves first (untitled: through the save dialog); the window closes only
// when the file was written.
TEST_F(MainWindowClose, YesClosesOnlyAfterTheSaveWentThrough) {
  const std::string path = PathOf("mainform_close_save.gif");
  for (bool chosen : {false, true}) {
    SCOPED_TRACE(chosen ? "a file chosen" : "the save dialog cancelled");
    ::DeleteFileW(Utf8ToWide(path).c_str());
    ReopenWindow();
    OpenDocument(2);
    win->modified = true;
    boxAnswers = {IDYES};
    if (chosen) fileAnswers.push_back({path});
    PostMessageW(win->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    barinput::Settle(150);
    ASSERT_EQ(fileDialogs.size(), 1u);
    EXPECT_TRUE(fileDialogs[0].Save);
    EXPECT_EQ(fileDialogs[0].Filter, "Gif Files (*.gif)|*.gif");
    EXPECT_EQ(!win->Visible(), chosen);
    EXPECT_EQ(win->modified, !chosen);
    EXPECT_EQ(FileExists(path), chosen);
    if (chosen) {
      TGIFImage saved;
      TFileStream in(path, fmOpenRead);
      saved.LoadFromStream(&in);
      EXPECT_EQ(saved.Frames()->ItemCount(), 2);
    }
  }
}

}  // namespace
