// The file and frame commands of the main window: open, insert, remove, move,
// save as, new, and what a bad file does to the document, driven through the
// shown window (shortcuts, clicks, dialogs answered through the hooks).
#include <gtest/gtest.h>

#include <functional>

#include "app/FrameSizeForm.h"
#include "app/NewGifWizardForm.h"
#include "tests/app/mainwin_driver.h"

namespace {

using mainwin::PixelOf;
using mainwin::TMainWindowTest;

class FrameCommands : public TMainWindowTest {
 protected:
  // A picture file of one flat colour per frame picture (PNG), W x H.
  std::string Picture(const std::string& Name, TColor Color, Integer W = 40, Integer H = 30) {
    return MakePng(Name, W, H, {Color, Color});
  }
  // The colour of frame I's top-left pixel: which picture the frame shows.
  TColor FrameColor(Integer I) const { return FramePixel(I, 0, 0); }
  std::vector<std::string> Captions() const {
    std::vector<std::string> out;
    for (Integer i = 0; i < ItemCount(); ++i) out.push_back(CaptionOf(i));
    return out;
  }
};

const TColor kRed = RGB(220, 20, 20), kGreen = RGB(20, 200, 40), kBlue = RGB(30, 40, 230);

TEST_F(FrameCommands, InsertLandsRightAfterTheSelectedFrame) {
  struct Case {
    const char* Name;
    Integer Selected;  // item clicked before the insert
    Integer Expected;  // index of the new frame
  } cases[] = {
      {"last selected: appended", 3, 4},
      {"second to last: between the last two", 2, 3},
      {"first selected", 0, 1},
  };
  const std::string red = Picture("red.png", kRed);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    win->modified = false;
    OpenThroughDialog(MakeGif("four.gif", 4));
    ASSERT_EQ(ItemCount(), 4);
    ClickItem(c.Selected);
    InsertThroughDialog({red});
    ASSERT_EQ(ItemCount(), 5);
    ASSERT_EQ(FrameCount(), 5);
    EXPECT_EQ(FrameColor(c.Expected), kRed);
    EXPECT_EQ(CaptionOf(c.Expected), "Frame " + IntToStr(c.Expected + 1) + " - red.png");
    EXPECT_EQ(SizeOf(c.Expected), "40 x 30");
    // The frames after it are renumbered and keep their file's name.
    for (Integer i = c.Expected + 1; i < 5; ++i) EXPECT_EQ(CaptionOf(i), "Frame " + IntToStr(i + 1) + " - four.gif");
    EXPECT_EQ(SelectedIndices(), std::vector<Integer>{c.Expected});
    EXPECT_EQ(Control(c.Expected)->FrameDelay(), 100);
    EXPECT_TRUE(win->modified);
  }
}

TEST_F(FrameCommands, FilesChosenTogetherFollowEachOtherInTheDialogsOrder) {
  OpenThroughDialog(MakeGif("five.gif", 5));
  ASSERT_EQ(ItemCount(), 5);
  ClickItem(1);
  InsertThroughDialog({Picture("b.png", kBlue), Picture("r.png", kRed), Picture("g.png", kGreen)});
  ASSERT_EQ(ItemCount(), 8);
  EXPECT_EQ(FrameColor(2), kBlue);
  EXPECT_EQ(FrameColor(3), kRed);
  EXPECT_EQ(FrameColor(4), kGreen);
  EXPECT_EQ(CaptionOf(2), "Frame 3 - b.png");
  EXPECT_EQ(CaptionOf(3), "Frame 4 - r.png");
  EXPECT_EQ(CaptionOf(4), "Frame 5 - g.png");
  EXPECT_EQ(CaptionOf(5), "Frame 6 - five.gif");
  EXPECT_EQ(SelectedIndices(), std::vector<Integer>{4});
}

TEST_F(FrameCommands, InsertIntoAnEmptyWindowStartsTheDocument) {
  ASSERT_FALSE(win->documentOpen);
  ASSERT_TRUE(win->miFrameInsert->Enabled());
  InsertThroughDialog({Picture("one.png", kGreen, 24, 16)});
  ASSERT_EQ(ItemCount(), 1);
  EXPECT_EQ(CaptionOf(0), "Frame 1 - one.png");
  EXPECT_EQ(SizeOf(0), "24 x 16");
  EXPECT_TRUE(win->documentOpen);
  EXPECT_TRUE(win->miSave->Enabled());
}

// Larger pictures: one pixel more is taken as it is; beyond that the stored
// answer (no question: "ClipDefault") trims the picture or grows the animation.
TEST_F(FrameCommands, ALargerPictureIsFittedByTheStoredAnswerAndOnePixelMoreIsNot) {
  struct Case {
    const char* Name;
    Integer W, H;
    const char* Trim;  // stored "ClipFrame"
    Integer ScreenW, ScreenH, FrameW, FrameH;
  } cases[] = {
      {"one pixel more each way", 41, 31, "0", 41, 31, 41, 31},  // the screen holds the whole frame
      {"two wider, animation grows", 42, 30, "0", 42, 30, 42, 30},
      {"two wider, picture trimmed", 42, 30, "1", 40, 30, 40, 30},
      {"taller, picture trimmed", 40, 50, "1", 40, 30, 40, 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    SetSetting("ClipDefault", "1");
    SetSetting("ClipFrame", c.Trim);
    win->modified = false;
    OpenThroughDialog(MakeGif("base.gif", 2));
    ASSERT_EQ(ItemCount(), 2);
    ClickItem(1);
    const size_t shown = boxes.size();
    InsertThroughDialog({Picture("big.png", kBlue, c.W, c.H)});
    ASSERT_EQ(ItemCount(), 3);
    EXPECT_EQ(boxes.size(), shown);
    EXPECT_EQ(win->document->LogicalWidth(), c.ScreenW);
    EXPECT_EQ(win->document->LogicalHeight(), c.ScreenH);
    EXPECT_EQ(SizeOf(2), IntToStr(c.FrameW) + " x " + IntToStr(c.FrameH));
  }
}

TEST_F(FrameCommands, CancellingTheSizeQuestionSkipsOnlyThatFile) {
  OpenThroughDialog(MakeGif("base.gif", 2));
  ASSERT_EQ(ItemCount(), 2);
  ClickItem(1);
  mainwin::TAnswerForm cancel("Frame Size Difference", [](TCustomForm* F) {
    if (auto* dlg = dynamic_cast<TfrmFrameSize*>(F)) barinput::QueueClick(dlg->btnCancel->ClientToScreen(Point(8, 8)));
  });
  InsertThroughDialog({Picture("big.png", kBlue, 60, 60), Picture("fits.png", kRed)});
  testui::PumpUntil([&] { return ItemCount() == 3; }, 4000);
  EXPECT_TRUE(cancel.Done());
  ASSERT_EQ(ItemCount(), 3);
  EXPECT_EQ(FrameColor(2), kRed);
  EXPECT_EQ(win->document->LogicalWidth(), 40);
}

TEST_F(FrameCommands, FilesOutsideTheTypeTableAreRefusedAndTheNextOnesFollow) {
  OpenThroughDialog(MakeGif("base.gif", 1));
  ASSERT_EQ(ItemCount(), 1);
  ClickItem(0);
  // Real pictures under names the insert filter offers but the table lacks.
  const std::string jpeg = PathOf("photo.jpeg");
  {
    auto b = mainwin::Checker(40, 30, {kRed, kGreen});
    mainwin::WriteJpeg(jpeg, b.get(), false);
  }
  const std::string emf = PathOf("drawing.emf");
  mainwin::WriteBytes(emf, std::string(64, '\0'));
  // And a GIF the reader refuses: reported, skipped, the insert goes on.
  const std::string bad = PathOf("bad.gif");
  mainwin::WriteBytes(bad, "plain text under a picture's name");
  InsertThroughDialog({jpeg, Picture("g.png", kGreen), emf, bad, Picture("b.png", kBlue)});
  ASSERT_EQ(ItemCount(), 3);
  EXPECT_EQ(FrameColor(1), kGreen);
  EXPECT_EQ(FrameColor(2), kBlue);
  EXPECT_EQ(CaptionOf(2), "Frame 3 - b.png");
  const std::vector<std::string> texts = BoxTexts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], "photo.jpeg is an unrecognized file type!");
  EXPECT_EQ(texts[1], "drawing.emf is an unrecognized file type!");
  EXPECT_EQ(texts[2], "Error loading " + bad +
                          "! GIF Fluxmere does not support the file type or it is a corrupted file.\n\n"
                          "Invalid GIF signature");
}

TEST_F(FrameCommands, AMultiFrameGifIntoAnEmptyWindowBecomesTheDocument) {
  const std::string anim = MakeGif("anim.gif", 3);
  InsertThroughDialog({anim});
  ASSERT_EQ(ItemCount(), 3);
  ASSERT_EQ(FrameCount(), 3);
  for (Integer i = 0; i < 3; ++i) {
    EXPECT_EQ(CaptionOf(i), "Frame " + IntToStr(i + 1) + " - anim.gif");
    EXPECT_EQ(FrameColor(i), FrameColors(i)[0]);
  }
  EXPECT_TRUE(win->documentOpen);
  EXPECT_TRUE(win->modified);
}

// Pictures inserted before a multi-frame GIF in the same insert stay in the
// document: the GIF's frames are added after them.
TEST_F(FrameCommands, AMultiFrameGifAfterAPictureOfTheSameInsertKeepsThePicture) {
  const std::string anim = MakeGif("anim.gif", 3);
  InsertThroughDialog({Picture("first.png", kBlue), anim});
  ASSERT_EQ(FrameCount(), 4);
  ASSERT_EQ(ItemCount(), 4);
  EXPECT_EQ(FrameColor(0), kBlue);
  EXPECT_EQ(CaptionOf(0), "Frame 1 - first.png");
  for (Integer i = 1; i < 4; ++i) {
    EXPECT_EQ(FrameColor(i), FrameColors(i - 1)[0]) << i;
    EXPECT_EQ(CaptionOf(i), "Frame " + IntToStr(i + 1) + " - anim.gif");
  }
}

TEST_F(FrameCommands, AMultiFrameGifInsertedIntoAnOpenDocumentIsAppended) {
  OpenThroughDialog(MakeGif("base.gif", 2));
  ASSERT_EQ(ItemCount(), 2);
  ClickItem(0);
  TGIFImage other;
  {
    auto a = mainwin::Checker(40, 30, {kRed}), b = mainwin::Checker(40, 30, {kGreen});
    mainwin::WriteGif(PathOf("other.gif"), {a.get(), b.get()});
  }
  InsertThroughDialog({PathOf("other.gif")});
  ASSERT_EQ(ItemCount(), 4);
  EXPECT_EQ(FrameColor(2), kRed);
  EXPECT_EQ(FrameColor(3), kGreen);
  EXPECT_EQ(Captions(), (std::vector<std::string>{"Frame 1 - base.gif", "Frame 2 - base.gif",
                                                   "Frame 3 - other.gif", "Frame 4 - other.gif"}));
}

TEST_F(FrameCommands, RemovingRenumbersSelectsTheFrameBeforeAndRefusesToEmptyTheList) {
  OpenThroughDialog(MakeGif("five.gif", 5));
  ASSERT_EQ(ItemCount(), 5);
  ClickItem(1);
  ClickItem(3, true);
  win->modified = false;
  Keys({}, VK_DELETE);
  ASSERT_EQ(ItemCount(), 3);
  ASSERT_EQ(FrameCount(), 3);
  EXPECT_EQ(Captions(),
            (std::vector<std::string>{"Frame 1 - five.gif", "Frame 2 - five.gif", "Frame 3 - five.gif"}));
  for (Integer i = 0; i < 3; ++i) EXPECT_EQ(FrameColor(i), FrameColors(i * 2)[0]) << i;
  EXPECT_EQ(SelectedIndices(), std::vector<Integer>{0});
  EXPECT_TRUE(win->modified);

  // Every item selected: refused with the warning, nothing removed.
  Keys({VK_CONTROL}, 'A');
  ASSERT_EQ(SelectedIndices().size(), 3u);
  Keys({}, VK_DELETE);
  EXPECT_EQ(ItemCount(), 3);
  EXPECT_EQ(FrameCount(), 3);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Caption, "Can't Delete Frame");
  EXPECT_EQ(boxes[0].Text, "The image must have at least one frame.");
  EXPECT_EQ(boxes[0].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONWARNING));
}

// The loop count is kept on frame 0: removing frame 1 must not lose it.
TEST_F(FrameCommands, RemovingTheFirstFrameKeepsTheLoopCount) {
  OpenThroughDialog(MakeGif("loops.gif", 3, 40, 30, 3));
  ASSERT_EQ(ItemCount(), 3);
  ASSERT_EQ(GetLoopCount(win->document.get()), 3);
  ClickItem(0);
  Keys({}, VK_DELETE);
  ASSERT_EQ(FrameCount(), 2);
  EXPECT_EQ(GetLoopCount(win->document.get()), 3);
  EXPECT_EQ(FrameColor(0), FrameColors(1)[0]);
}

// Del is Remove Frame's shortcut, but typed in an edit box of the window it
// is the box's key: it erases there and no frame goes; with the list focused
// it removes the selected frame.
TEST_F(FrameCommands, DelInAnEditBoxErasesThereAndRemovesNoFrame) {
  OpenThroughDialog(MakeGif("edits.gif", 3));
  ASSERT_EQ(ItemCount(), 3);
  ClickControl(win->optLoopSpecified, 6);
  ClickItem(1);
  struct Case {
    const char* Name;
    TRzSpinEdit* Edit;
    bool Typed;  // the play times box takes no typing: Del leaves it as it is
  } cases[] = {{"spinDelay", win->spinDelay, true}, {"spinPlayTimes", win->spinPlayTimes, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    ClickControl(c.Edit, 6);
    ASSERT_EQ(::GetFocus(), c.Edit->Handle());
    const std::string before = c.Edit->Text();
    ASSERT_GE(before.size(), 1u);
    barinput::Tap(VK_HOME);
    barinput::Tap(VK_DELETE);
    Settle();
    EXPECT_EQ(c.Edit->Text(), c.Typed ? before.substr(1) : before);
    EXPECT_EQ(ItemCount(), 3);
    EXPECT_EQ(FrameCount(), 3);
    EXPECT_TRUE(boxes.empty());
  }
  // The same key with the list focused is the command again.
  ClickItem(1);
  Keys({}, VK_DELETE);
  EXPECT_EQ(ItemCount(), 2);
  EXPECT_EQ(FrameCount(), 2);
}

TEST_F(FrameCommands, MovingSwapsFramesAndItemsWhileTheNumbersStay) {
  OpenThroughDialog(MakeGif("moves.gif", 3, 40, 30, 4));
  ASSERT_EQ(ItemCount(), 3);
  ClickItem(0);
  InsertThroughDialog({Picture("red.png", kRed, 20, 10)});  // now frame 2
  ASSERT_EQ(ItemCount(), 4);
  Items()->Item(1)->SetData(reinterpret_cast<void*>(1));  // frame 2 has its own colour
  struct Step {
    Word Key;
    Integer RedAt;
  } steps[] = {{'U', 0}, {'D', 1}, {'D', 2}, {'D', 3}};
  for (const Step& s : steps) {
    SCOPED_TRACE(s.RedAt);
    Keys({VK_CONTROL}, s.Key);
    EXPECT_EQ(FrameColor(s.RedAt), kRed);
    EXPECT_EQ(CaptionOf(s.RedAt), "Frame " + IntToStr(s.RedAt + 1) + " - red.png");
    EXPECT_EQ(SizeOf(s.RedAt), "20 x 10");
    EXPECT_EQ(TfrmGifMain::ItemOwnColor(Items()->Item(s.RedAt)), 1);
    EXPECT_EQ(SelectedIndices(), std::vector<Integer>{s.RedAt});
    EXPECT_EQ(GetLoopCount(win->document.get()), 4);
    for (Integer i = 0; i < 4; ++i)
      if (i != s.RedAt) {
        EXPECT_EQ(SizeOf(i), "40 x 30") << i;
        EXPECT_EQ(TfrmGifMain::ItemOwnColor(Items()->Item(i)), 0) << i;
      }
  }
  // At the end: Move Frame Down is disabled and its shortcut does nothing.
  EXPECT_FALSE(win->miFrameDown->Enabled());
  Keys({VK_CONTROL}, 'D');
  EXPECT_EQ(FrameColor(3), kRed);
}

TEST_F(FrameCommands, OpeningATransparentGifChecksTheBoxWithoutMarkingItModified) {
  TGIFImage doc;
  for (Integer i = 0; i < 2; ++i) {
    auto b = mainwin::Checker(40, 30, FrameColors(i));
    const Integer index = AddBitmapAsFrame(&doc, b.get(), i);
    EnsureGraphicControl(doc.Frames()->FrameAt(index), 10);
    SetFrameDisposal(doc.Frames()->FrameAt(index), 1);
  }
  doc.Frames()->FrameAt(1)->GraphicControl()->SetUsesTransparentIndex(true);
  doc.SaveToFile(PathOf("trans.gif"));
  OpenThroughDialog(PathOf("trans.gif"));
  ASSERT_EQ(ItemCount(), 2);
  EXPECT_TRUE(win->chkAnimationTrans->Checked());
  for (Integer i = 0; i < 2; ++i) {
    EXPECT_TRUE(Control(i)->UsesTransparentIndex()) << i;
    EXPECT_EQ(Control(i)->DisposalMethod(), dpBackground) << i;
  }
  EXPECT_FALSE(win->modified);
}

TEST_F(FrameCommands, SaveAsWritesTheFileAndAFailedWriteKeepsNameAndChanges) {
  OpenThroughDialog(MakeGif("orig.gif", 2));
  ASSERT_EQ(ItemCount(), 2);
  ClickItem(1);
  TypeInto(win->spinDelay, "0.5");
  ASSERT_TRUE(win->modified);

  // Into a folder that does not exist: the editor's message, nothing changes.
  const std::string bad = PathOf("missing\\out.gif");
  fileAnswers.push_back({bad});
  win->ExecuteCommand(cmdSaveAs);
  EXPECT_TRUE(win->modified);
  EXPECT_EQ(win->fileName, PathOf("orig.gif"));
  EXPECT_EQ(win->Caption(), std::string(GifMainVersionTitle) + " - " + PathOf("orig.gif"));
  EXPECT_FALSE(FileExists(bad));
  ASSERT_FALSE(boxes.empty());
  EXPECT_NE(boxes.back().Text.find("Unable to save"), std::string::npos);

  const std::string good = PathOf("out.gif");
  fileAnswers.push_back({good});
  win->ExecuteCommand(cmdSaveAs);
  EXPECT_FALSE(win->modified);
  EXPECT_EQ(win->fileName, good);
  EXPECT_EQ(win->Caption(), std::string(GifMainVersionTitle) + " - " + good);
  EXPECT_EQ(SelectedIndices(), std::vector<Integer>{0});
  TGIFImage back;
  back.LoadFromFile(good);
  ASSERT_EQ(back.Frames()->ItemCount(), 2);
  EXPECT_EQ(back.Frames()->FrameAt(1)->GraphicControl()->FrameDelay(), 50);
  EXPECT_EQ(dialogFilters.back(), "Gif Files (*.gif)|*.gif");
}

TEST_F(FrameCommands, NewAsksToSaveThenEmptiesTheWindow) {
  OpenThroughDialog(MakeGif("orig.gif", 2));
  ASSERT_EQ(ItemCount(), 2);
  ClickItem(1);
  TypeInto(win->spinDelay, "0.5");
  boxAnswers.push_back(IDCANCEL);
  Keys({VK_CONTROL}, 'N');
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, "Would you like to save the changes to orig.gif ?");
  EXPECT_EQ(ItemCount(), 2);  // cancelled

  // The emptied window then runs the new-animation wizard, cancelled here.
  boxAnswers.push_back(IDNO);
  mainwin::TAnswerForm cancelWizard("Animation Wizard", [](TCustomForm* F) {
    if (auto* w = dynamic_cast<TfrmNewGifWizard*>(F)) barinput::QueueClick(w->btnCancel->ClientToScreen(Point(8, 8)));
  });
  Keys({VK_CONTROL}, 'N');
  EXPECT_TRUE(cancelWizard.Done());
  EXPECT_EQ(ItemCount(), 0);
  EXPECT_EQ(FrameCount(), 0);
  EXPECT_TRUE(win->fileName.empty());
  EXPECT_FALSE(win->modified);
  EXPECT_EQ(win->Caption(), std::string(GifMainVersionTitle) + " - [UNTITLED]");
}

// A file that cannot be opened shows a clear message and leaves the document,
// its list, its name and its unsaved state as they were.
TEST_F(FrameCommands, ABadFileKeepsTheCurrentDocument) {
  const std::string good = MakeGif("good.gif", 3);
  const std::string full = mainwin::ReadBytes(good);
  struct Case {
    const char* Name;
    std::function<std::string()> Make;  // the path to open
    std::string Message;                  // a text the messages hold
  } cases[] = {
      {"truncated GIF", [&] { mainwin::WriteBytes(PathOf("cut.gif"), full.substr(0, full.size() / 2));
                              return PathOf("cut.gif"); }, "The file is incomplete"},
      {"not a GIF", [&] { mainwin::WriteBytes(PathOf("text.gif"), "This is a text file, not a picture.\r\n");
                          return PathOf("text.gif"); }, "corrupted file.\n\nInvalid GIF signature"},
      {"empty file", [&] { mainwin::WriteBytes(PathOf("empty.gif"), "");
                           return PathOf("empty.gif"); }, "corrupted file.\n\nPremature end of data"},
      {"missing file", [&] { return PathOf("nowhere.gif"); }, "could not be found"},
      {"unreadable file", [&] { return PathOf("locked.gif"); },
       "corrupted file.\n\nCannot open file \"" + PathOf("locked.gif") + "\". " +
           SysErrorMessage(ERROR_SHARING_VIOLATION)},
  };
  OpenThroughDialog(good);
  ASSERT_EQ(ItemCount(), 3);
  ClickItem(1);
  TypeInto(win->spinDelay, "0.7");
  ASSERT_TRUE(win->modified);
  const std::vector<std::string> captions = Captions();
  // The unreadable file: held open by another without sharing.
  mainwin::WriteBytes(PathOf("locked.gif"), full);
  const std::string lockedPath = PathOf("locked.gif");  // plain ASCII
  HANDLE lock = ::CreateFileW(std::wstring(lockedPath.begin(), lockedPath.end()).c_str(),
                              GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    boxes.clear();
    boxAnswers.push_back(IDNO);  // the save prompt: go on without saving
    OpenThroughDialog(c.Make());
    ASSERT_GE(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].Caption, "Confirm");
    bool clear = false;
    std::string shown;
    for (size_t i = 1; i < boxes.size(); ++i) {
      clear = clear || boxes[i].Text.find(c.Message) != std::string::npos;
      shown += "[" + boxes[i].Text + "]";
    }
    EXPECT_TRUE(clear) << shown;
    EXPECT_EQ(FrameCount(), 3);
    EXPECT_EQ(Captions(), captions);
    for (Integer i = 0; i < 3; ++i) EXPECT_EQ(FrameColor(i), FrameColors(i)[0]) << i;
    EXPECT_EQ(Control(1)->FrameDelay(), 70);
    EXPECT_EQ(win->fileName, good);
    EXPECT_TRUE(win->modified);
    EXPECT_TRUE(win->documentOpen);
  }
  ::CloseHandle(lock);
}

}  // namespace
