// A user's session end to end through the shown main window: open a GIF,
// edit frame 3, insert a PNG and a JPEG picture, move, remove, set the loop
// count, save as. The saved file and what it must hold (session_expect.txt)
// are left in the build folder, where session_check.py has independent tools
// read them; a screenshot of the window with the document goes there too.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/app/mainwin_driver.h"
#include "tests/controls/shots.h"

namespace {

using mainwin::TMainWindowTest;

class EditorSession : public TMainWindowTest {};

TEST_F(EditorSession, OpenEditInsertMoveRemoveLoopAndSaveAs) {
  const std::string out = GetCurrentDir() + "\\app_session";
  ForceDirectories(out);
  const std::string input = out + "\\input.gif", png = out + "\\insert.png", jpg = out + "\\insert.jpg",
                    saved = out + "\\saved.gif";
  DeleteFile(saved);
  // Five frames of 48 x 32 (delays 0.1 .. 0.5 s, "do not remove"); the
  // pictures to insert have few colours, so a palette keeps them exactly: a
  // colour PNG and a grey JPEG.
  {
    TGIFImage doc;
    for (Integer i = 0; i < 5; ++i) {
      auto b = mainwin::Checker(48, 32, FrameColors(i), 4 + i);
      const Integer index = AddBitmapAsFrame(&doc, b.get(), i);
      EnsureGraphicControl(doc.Frames()->FrameAt(index), 10 * (i + 1));
      SetFrameDisposal(doc.Frames()->FrameAt(index), dpKeep);
    }
    doc.SaveToFile(input);
    auto colour = mainwin::Checker(48, 32, {RGB(255, 128, 0), RGB(0, 90, 200), RGB(240, 240, 240), RGB(20, 20, 20)}, 6);
    ASSERT_TRUE(SaveBitmapAsPng(colour.get(), png));
    auto grey = mainwin::Checker(48, 32, {RGB(40, 40, 40), RGB(200, 200, 200)}, 8);
    mainwin::WriteJpeg(jpg, grey.get(), true);
  }

  // Open: every frame listed with its size.
  OpenThroughDialog(input);
  ASSERT_EQ(ItemCount(), 5);
  for (Integer i = 0; i < 5; ++i) {
    EXPECT_EQ(CaptionOf(i), "Frame " + IntToStr(i + 1) + " - input.gif");
    EXPECT_EQ(SizeOf(i), "48 x 32");
  }

  // Frame 3: 0.25 s and "Background".
  ClickItem(2);
  ASSERT_EQ(SelectedIndices(), std::vector<Integer>{2});
  TypeInto(win->spinDelay, "0.25");
  win->cboDisposal->SetFocus();
  Settle();
  barinput::Tap(VK_HOME);
  barinput::Tap(VK_DOWN);
  barinput::Tap(VK_DOWN);
  Settle();
  EXPECT_EQ(win->cboDisposal->Text(), "Background");
  EXPECT_EQ(Control(2)->FrameDelay(), 25);
  EXPECT_EQ(Control(2)->DisposalMethod(), dpBackground);

  // Insert the PNG and the JPEG after it; move the JPEG up; remove frame 2.
  InsertThroughDialog({png, jpg});
  ASSERT_EQ(ItemCount(), 7);
  EXPECT_EQ(CaptionOf(3), "Frame 4 - insert.png");
  EXPECT_EQ(CaptionOf(4), "Frame 5 - insert.jpg");
  Keys({VK_CONTROL}, 'U');
  EXPECT_EQ(CaptionOf(3), "Frame 4 - insert.jpg");
  EXPECT_EQ(CaptionOf(4), "Frame 5 - insert.png");
  ClickItem(1);
  Keys({}, VK_DELETE);
  ASSERT_EQ(ItemCount(), 6);
  ASSERT_EQ(FrameCount(), 6);

  // Play 3 times: the radio button, then the field's Up arrow twice.
  ClickControl(win->optLoopSpecified, 6);
  ClickControl(win->spinPlayTimes, 6);
  barinput::Tap(VK_UP);
  barinput::Tap(VK_UP);
  Settle();
  EXPECT_EQ(GetLoopCount(win->document.get()), 3);

  ClickItem(3);
  {
    auto shot = testshots::Shot(win);
    SaveBitmapAsPng(shot.get(), out + "\\mainwindow_document.png");
  }

  // Save As from the File menu, by its keys.
  fileAnswers.push_back({saved});
  barinput::Activate(win);
  barinput::Chord({VK_MENU}, 'F');
  Settle(150);
  barinput::Tap('A');
  testui::PumpUntil([&] { return FileExists(saved); }, 4000);
  Settle(100);
  ASSERT_TRUE(FileExists(saved));
  EXPECT_FALSE(win->modified);
  EXPECT_EQ(win->fileName, saved);

  // What the file must hold, frame by frame: delay (hundredths), disposal,
  // and where its picture came from.
  struct Expect {
    Integer Delay;
    const char* Disposal;
    const char* Source;
  } expected[] = {
      {10, "asis", "gif:0"},      {25, "background", "gif:2"}, {100, "background", "jpg"},
      {100, "background", "png"}, {40, "asis", "gif:3"},       {50, "asis", "gif:4"},
  };
  FILE* f = std::fopen((out + "\\session_expect.txt").c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fprintf(f, "loop 3\nsize 48 32\n");
  for (const Expect& e : expected) std::fprintf(f, "frame %d %s %s\n", e.Delay, e.Disposal, e.Source);
  std::fclose(f);

  // The document as the window holds it agrees.
  for (Integer i = 0; i < 6; ++i) EXPECT_EQ(Control(i)->FrameDelay(), expected[i].Delay) << i;
}

}  // namespace
