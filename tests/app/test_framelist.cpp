// The frame list of the main window and the frame and animation property
// edits, driven through the shown window.
#include <gtest/gtest.h>

#include <cstring>

#include "app/Palette.h"
#include "tests/app/mainwin_driver.h"

namespace {

using mainwin::PixelOf;
using mainwin::TMainWindowTest;

class FrameList : public TMainWindowTest {
 protected:
  // A GIF of four 40 x 30 frames with delays 10, 20, 30, 40 and disposals
  // 0, 1, 2, 3; frame 2 (index 1) optionally without a graphic control block.
  std::string MakeMixedGif(bool SecondWithoutControl = false) {
    TGIFImage doc;
    for (Integer i = 0; i < 4; ++i) {
      auto b = mainwin::Checker(40, 30, FrameColors(i));
      const Integer index = AddBitmapAsFrame(&doc, b.get(), i);
      EnsureGraphicControl(doc.Frames()->FrameAt(index), 10 * (i + 1));
      SetFrameDisposal(doc.Frames()->FrameAt(index), i);
    }
    if (SecondWithoutControl) {
      TGIFSubImage* f = doc.Frames()->FrameAt(1);
      f->Extensions()->RemoveAndFree(f->GraphicControl());
      f->SetGraphicControl(nullptr);
    }
    doc.SaveToFile(PathOf("mixed.gif"));
    return PathOf("mixed.gif");
  }
};

TEST(FrameCaptionText, KeepsTheTextAfterTheFirstSeparator) {
  struct Case {
    const char* Old;
    Integer Number;
    const char* Expected;
  } cases[] = {
      {"Frame 3 - walk.gif", 7, "Frame 7 - walk.gif"},
      {"Frame 12 - a - b.png", 2, "Frame 2 - a - b.png"},  // only the first " - " separates
      {"Frame 4", 1, "Frame 1"},
      {"", 5, "Frame 5"},
      {"Frame 1 - ", 3, "Frame 3 - "},
  };
  for (const Case& c : cases) EXPECT_EQ(TfrmGifMain::FrameCaption(c.Old, c.Number), c.Expected) << c.Old;
}

TEST_F(FrameList, OpeningListsEveryFrameWithItsSizeAndShowsTheFirst) {
  // Frames of their own sizes: the size column shows each one's.
  TGIFImage doc;
  const TPoint sizes[] = {{40, 30}, {17, 9}, {33, 21}};
  for (Integer i = 0; i < 3; ++i) {
    auto b = mainwin::Checker(sizes[i].X, sizes[i].Y, FrameColors(i));
    AddBitmapAsFrame(&doc, b.get(), i);
  }
  doc.SaveToFile(PathOf("sizes.gif"));
  OpenThroughDialog(PathOf("sizes.gif"));

  ASSERT_EQ(ItemCount(), 3);
  for (Integer i = 0; i < 3; ++i) {
    EXPECT_EQ(CaptionOf(i), "Frame " + IntToStr(i + 1) + " - sizes.gif");
    EXPECT_EQ(SizeOf(i), IntToStr(sizes[i].X) + " x " + IntToStr(sizes[i].Y));
  }
  EXPECT_EQ(SelectedIndices(), std::vector<Integer>{0});
  EXPECT_EQ(win->tsPreview->Caption(), "Preview - Frame 1");
  EXPECT_EQ(win->imgPreview->Picture()->Width(), 40);
  EXPECT_EQ(PixelOf(win->imgPreview->Picture()->Bitmap(), 0, 0), FrameColors(0)[0]);
  EXPECT_TRUE(win->documentOpen);
  EXPECT_FALSE(win->modified);
}

// One image block of a GIF written byte by byte, every pixel 0: with or
// without a two-colour table of its own. The codes are 3 bits wide, a clear
// code before each pixel keeps them so.
std::string FrameListRawImage(Integer W, Integer H, bool OwnTable) {
  std::string out = {'\x2C', 0, 0, 0, 0, char(W), char(W >> 8), char(H), char(H >> 8), char(OwnTable ? 0x80 : 0)};
  if (OwnTable) out += std::string("\xFF\x00\x00\x00\x00\xFF", 6);
  std::string data;
  unsigned bits = 0, count = 0;
  auto put = [&](unsigned Code) {
    bits |= Code << count;
    for (count += 3; count >= 8; count -= 8, bits >>= 8) data += char(bits & 0xFF);
  };
  for (Integer i = 0; i < W * H; ++i) {
    put(4);
    put(0);
  }
  put(5);
  if (count > 0) data += char(bits & 0xFF);
  out += '\x02';
  for (size_t at = 0; at < data.size(); at += 255) {
    const std::string block = data.substr(at, 255);
    out += char(block.size()) + block;
  }
  return out + '\0';
}

TEST_F(FrameList, AFrameThatCannotBeRenderedShowsAnUnknownSize) {
  // A logical screen of 0 x 0 leaves a 0 x 0 frame without pixels (kept for
  // its control block); a frame without any colour table is read with a grey
  // ramp of its own and shows.
  const std::string header = std::string("GIF89a\0\0\0\0\0\0\0", 13);
  const std::string control = std::string("\x21\xF9\x04\x00\x0A\x00\x00\x00", 8);
  mainwin::WriteBytes(PathOf("raw.gif"), header + control + FrameListRawImage(0, 0, false) +
                                             FrameListRawImage(5, 3, true) + FrameListRawImage(4, 2, false) + ";");
  OpenThroughDialog(PathOf("raw.gif"));
  ASSERT_EQ(ItemCount(), 3);
  EXPECT_EQ(SizeOf(0), "Unknown");
  EXPECT_EQ(SizeOf(1), "5 x 3");
  EXPECT_EQ(SizeOf(2), "4 x 2");
  EXPECT_EQ(CaptionOf(0), "Frame 1 - raw.gif");
  ClickItem(2);
  EXPECT_EQ(win->imgPreview->Picture()->Width(), 4);

  // Without the ramp no frame has colours to render with: rendering raises,
  // and the list shows no size for it.
  TGIFSubImage* grey = win->document->Frames()->FrameAt(2);
  grey->ColorMap()->Clear();
  grey->FreeBitmap();
  grey->SetPaletteHandle(nullptr);
  win->document->SetPaletteHandle(nullptr);
  EXPECT_THROW(grey->RenderedBitmap(), Exception);
  win->RebuildFrameList();
  ASSERT_EQ(ItemCount(), 3);
  EXPECT_EQ(SizeOf(1), "5 x 3");
  EXPECT_EQ(SizeOf(2), "Unknown");
}

TEST_F(FrameList, SelectingAFrameShowsItsDelayDisposalAndPicture) {
  OpenThroughDialog(MakeMixedGif());
  ASSERT_EQ(ItemCount(), 4);
  for (Integer i : {3, 0, 2}) {
    ClickItem(i);
    SCOPED_TRACE(i);
    EXPECT_EQ(SelectedIndices(), std::vector<Integer>{i});
    EXPECT_NEAR(static_cast<double>(win->spinDelay->Value()), 0.1 * (i + 1), 1e-9);
    EXPECT_EQ(win->cboDisposal->ItemIndex(), i);
    EXPECT_EQ(win->tsPreview->Caption(), "Preview - Frame " + IntToStr(i + 1));
    EXPECT_EQ(PixelOf(win->imgPreview->Picture()->Bitmap(), 0, 0), FrameColors(i)[0]);
  }
  ClickItem(3, true);
  EXPECT_EQ(SelectedIndices(), (std::vector<Integer>{2, 3}));
  EXPECT_EQ(win->tsPreview->Caption(), "Preview - Multi-Select");
  // Showing frames changes nothing in the document.
  EXPECT_FALSE(win->modified);
  EXPECT_EQ(Control(2)->FrameDelay(), 30);
}

TEST_F(FrameList, AFrameWithoutControlBlockGetsOneWhileTheFieldsShowZeroAndNone) {
  OpenThroughDialog(MakeMixedGif(true));
  ASSERT_EQ(ItemCount(), 4);
  ASSERT_EQ(Control(1), nullptr);
  ClickItem(2);  // fields show frame 3: 0.3 s, "Background"
  ClickItem(1);
  ASSERT_NE(Control(1), nullptr);
  EXPECT_EQ(Control(1)->FrameDelay(), 100);
  EXPECT_EQ(Control(1)->DisposalMethod(), dpBackground);
  EXPECT_EQ(static_cast<double>(win->spinDelay->Value()), 0.0);
  EXPECT_EQ(win->cboDisposal->ItemIndex(), 0);
  EXPECT_EQ(win->shpTransColor->Brush()->Color(), clNone);
  EXPECT_FALSE(win->modified);
}

TEST_F(FrameList, DelayTypedInSecondsGoesToEverySelectedFrameTruncated) {
  struct Case {
    const char* Typed;
    Integer Hundredths;
  } cases[] = {
      {"0.25", 25},
      {"0.29", 29},    // not 28 through the binary form of 0.29
      {"1.5", 150},
      {"2", 200},
      {"700", 65535},  // beyond the 16-bit field: its largest value
  };
  OpenThroughDialog(MakeMixedGif());
  ASSERT_EQ(ItemCount(), 4);
  ClickItem(1);
  ClickItem(3, true);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Typed);
    TypeInto(win->spinDelay, c.Typed);
    EXPECT_EQ(Control(1)->FrameDelay(), c.Hundredths);
    EXPECT_EQ(Control(3)->FrameDelay(), c.Hundredths);
    EXPECT_EQ(Control(0)->FrameDelay(), 10);
    EXPECT_EQ(Control(2)->FrameDelay(), 30);
  }
  EXPECT_TRUE(win->modified);
}

TEST_F(FrameList, DisposalChosenInTheComboGoesToEverySelectedFrame) {
  OpenThroughDialog(MakeMixedGif());
  ASSERT_EQ(ItemCount(), 4);
  ClickItem(0);
  ClickItem(2, true);
  struct Case {
    Integer Disposal;
  };
  for (Integer disposal : {2, 3, 1, 0}) {
    SCOPED_TRACE(disposal);
    // The closed list takes the keys: Home for "None", then down the items.
    win->cboDisposal->SetFocus();
    Settle();
    barinput::Tap(VK_HOME);
    for (Integer k = 0; k < disposal; ++k) barinput::Tap(VK_DOWN);
    Settle();
    const Case c{disposal};
    EXPECT_EQ(win->cboDisposal->ItemIndex(), c.Disposal);
    EXPECT_EQ(Control(0)->DisposalMethod(), c.Disposal);
    EXPECT_EQ(Control(2)->DisposalMethod(), c.Disposal);
    EXPECT_EQ(Control(1)->DisposalMethod(), 1);
    EXPECT_EQ(Control(3)->DisposalMethod(), 3);
  }
  EXPECT_TRUE(win->modified);
}

TEST_F(FrameList, LoopCountFollowsTheRadioButtonsAndTheTimesField) {
  OpenThroughDialog(MakeGif("loop.gif", 3));
  ASSERT_EQ(ItemCount(), 3);
  ASSERT_TRUE(win->optLoopForever->Checked());
  ASSERT_FALSE(win->spinPlayTimes->Enabled());

  ClickControl(win->optLoopSpecified, 6);
  EXPECT_TRUE(win->spinPlayTimes->Enabled());
  EXPECT_TRUE(win->lblPlayTimes->Enabled());
  // The times field takes no typing: its arrows (the Up key) count up.
  ClickControl(win->spinPlayTimes, 6);
  barinput::Tap(VK_UP);
  barinput::Tap(VK_UP);
  Settle();
  EXPECT_EQ(win->spinPlayTimes->RoundedValue(), 3);
  EXPECT_EQ(GetLoopCount(win->document.get()), 3);
  EXPECT_TRUE(win->modified);

  barinput::Tap(VK_DOWN);
  barinput::Tap(VK_DOWN);  // one pass: no loop block at all
  Settle();
  EXPECT_FALSE(HasLoopExtension(win->document.get()));
  EXPECT_EQ(GetLoopCount(win->document.get()), 1);

  ClickControl(win->optLoopForever, 6);
  EXPECT_FALSE(win->spinPlayTimes->Enabled());
  EXPECT_EQ(GetLoopCount(win->document.get()), 0);
  EXPECT_TRUE(HasLoopExtension(win->document.get()));
}

TEST_F(FrameList, ImageTransparencyBoxSetsAndClearsEveryFrameWithBackgroundDisposal) {
  OpenThroughDialog(MakeMixedGif());
  ASSERT_EQ(ItemCount(), 4);
  ASSERT_FALSE(win->chkAnimationTrans->Checked());
  ASSERT_FALSE(win->btnSelectTransColor->Enabled());

  ClickControl(win->chkAnimationTrans, 6);
  ASSERT_TRUE(win->chkAnimationTrans->Checked());
  EXPECT_TRUE(win->btnSelectTransColor->Enabled());
  EXPECT_TRUE(win->shpTransColor->Enabled());
  for (Integer i = 0; i < 4; ++i) {
    EXPECT_TRUE(Control(i)->UsesTransparentIndex()) << i;
    EXPECT_EQ(Control(i)->DisposalMethod(), dpBackground) << i;
  }
  EXPECT_TRUE(win->document->Transparent());
  EXPECT_TRUE(win->modified);

  // Cleared: no frame is transparent, and every disposal is still 2.
  for (Integer i = 0; i < 4; ++i) SetFrameDisposal(Frame(i), 1);
  ClickControl(win->chkAnimationTrans, 6);
  ASSERT_FALSE(win->chkAnimationTrans->Checked());
  EXPECT_FALSE(win->btnSelectTransColor->Enabled());
  for (Integer i = 0; i < 4; ++i) {
    EXPECT_FALSE(Control(i)->UsesTransparentIndex()) << i;
    EXPECT_EQ(Control(i)->DisposalMethod(), dpBackground) << i;
  }
  EXPECT_FALSE(win->document->Transparent());
}

TEST_F(FrameList, DoubleClickTogglesTheOwnColourFlagAndNothingElse) {
  OpenThroughDialog(MakeGif("dbl.gif", 3));
  ASSERT_EQ(ItemCount(), 3);
  TMemoryStream before;
  win->document->SaveToStream(&before);
  const TPoint p = ItemPoint(1);
  for (Byte expected : {1, 0, 1}) {
    barinput::Activate(win);
    Settle(::GetDoubleClickTime() + 20);
    barinput::Click(p);
    barinput::MoveTo(p);
    barinput::Button(MOUSEEVENTF_LEFTDOWN);
    barinput::Button(MOUSEEVENTF_LEFTUP);
    Settle(100);
    EXPECT_EQ(TfrmGifMain::ItemOwnColor(Items()->Item(1)), expected);
  }
  EXPECT_EQ(TfrmGifMain::ItemOwnColor(Items()->Item(0)), 0);
  EXPECT_FALSE(win->modified);
  TMemoryStream after;
  win->document->SaveToStream(&after);
  ASSERT_EQ(after.Size(), before.Size());
  EXPECT_EQ(std::memcmp(after.Memory(), before.Memory(), static_cast<size_t>(after.Size())), 0);
}

TEST_F(FrameList, RightClickEnablesRemoveOnlyWithMoreThanOneItemBeforeThePopupOpens) {
  struct Case {
    Integer Frames;
    bool RemoveEnabled;
  } cases[] = {{1, false}, {2, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Frames);
    win->modified = false;
    OpenThroughDialog(MakeGif("right" + IntToStr(c.Frames) + ".gif", c.Frames));
    ASSERT_EQ(ItemCount(), c.Frames);
    ClickItem(0);
    win->UpdateCommandStates();
    ASSERT_TRUE(win->miFrameRemove->Enabled());
    bool seen = false, enabledWhileOpen = !c.RemoveEnabled;
    // While the popup is open: note the item's state, then dismiss the popup
    // with a click outside it (on the preview page).
    TTimer whileOpen(nullptr);
    whileOpen.SetInterval(30);
    whileOpen.OnTimer = [&](TObject*) {
      if (seen || !win->pumFrames->Window()) return;
      seen = true;
      whileOpen.SetEnabled(false);
      enabledWhileOpen = win->miFrameRemove->Enabled();
      barinput::QueueClick(win->pcPreview->ClientToScreen(Point(win->pcPreview->Width() - 10, 40)));
    };
    barinput::Activate(win);
    Settle(::GetDoubleClickTime() + 20);
    // Press and release queued together: the list's own right-button
    // tracking then sees the release.
    barinput::QueueClick(ItemPoint(0), true);
    testui::PumpUntil([&] { return seen; }, 3000);
    Settle(100);
    EXPECT_TRUE(seen);
    EXPECT_EQ(enabledWhileOpen, c.RemoveEnabled);
  }
}

// The transparent colour picked for frame 1 goes to every frame that has no
// colour of its own; a frame whose own colour was picked keeps it.
TEST_F(FrameList, GlobalColourPickSparesFramesWithTheirOwnColour) {
  OpenThroughDialog(MakeGif("pick.gif", 3));
  ASSERT_EQ(ItemCount(), 3);
  ClickControl(win->chkAnimationTrans, 6);
  ASSERT_TRUE(win->btnSelectTransColor->Enabled());

  // Frame 3's own colour: its swatch 1, picked in its own dialog.
  auto pickSwatch = [&](Integer Swatch) {
    bool done = false;
    mainwin::TOneShotProbe probe(300, [&] {
      auto* dlg = dynamic_cast<TfrmPalette*>(Screen->ActiveForm());
      if (dlg) {
        barinput::Click(dlg->pbPalette->ClientToScreen(Point(3 + 15 * Swatch + 5, 3 + 5)));
        barinput::Click(dlg->btnOK->ClientToScreen(Point(10, 10)));
      }
      done = true;
    });
    ClickControl(win->btnSelectTransColor);
    testui::PumpUntil([&] { return done; }, 4000);
    Settle(100);
  };
  ClickItem(2);
  pickSwatch(1);
  EXPECT_EQ(TfrmGifMain::ItemOwnColor(Items()->Item(2)), 1);
  const Byte ownIndex = Control(2)->TransparentIndex();
  const TColor ownColor = Control(2)->TransparentColorValue();
  EXPECT_EQ(win->shpTransColor->Tag(), ownIndex);

  ClickItem(0);
  pickSwatch(2);
  const TColor picked = win->shpTransColor->Brush()->Color();
  EXPECT_EQ(win->document->BackgroundColor(), picked);
  for (Integer i : {0, 1}) {
    EXPECT_TRUE(Control(i)->UsesTransparentIndex()) << i;
    EXPECT_EQ(Control(i)->TransparentColorValue(), picked) << i;
    EXPECT_EQ(Control(i)->DisposalMethod(), dpBackground) << i;
  }
  EXPECT_EQ(Control(2)->TransparentIndex(), ownIndex);
  EXPECT_EQ(Control(2)->TransparentColorValue(), ownColor);
  EXPECT_TRUE(win->modified);
}

}  // namespace
