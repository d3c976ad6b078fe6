// The optimisation wizard, shown from the main window's command and driven
// by real clicks: which palette choices it offers, its steps, the sizes and
// savings it reports, the download estimate, and what Finish and Cancel do
// to the document.
#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/GifOptimizeForm.h"
#include "tests/app/dialog_input.h"
#include "tests/app/mainwin_driver.h"

namespace {

using mainwin::TMainWindowTest;

// --- Documents made for the wizard ------------------------------------------------

struct TOptFrameSpec {
  TOptFrameSpec(Integer L, Integer T, Integer W, Integer H, std::vector<Byte> P = {}, Integer D = 10, Integer Disp = 1,
                Integer Trans = -1, std::vector<TColor> Map = {}, Integer N = 8, std::string Text = {})
      : Left(L), Top(T), Width(W), Height(H), Pixels(std::move(P)), Delay(D), Disposal(Disp), Transparent(Trans),
        Local(std::move(Map)), Noise(N), Comment(std::move(Text)) {}
  Integer Left, Top, Width, Height;
  std::vector<Byte> Pixels;    // Width x Height; empty: a noise pattern of Noise colours
  Integer Delay;
  Integer Disposal;
  Integer Transparent;         // index, -1 none
  std::vector<TColor> Local;   // entries of a local colour map, empty: none
  Integer Noise;
  std::string Comment;         // a comment extension when not empty
};

// Pixels that a coder cannot shrink much: a small linear generator.
std::vector<Byte> OptNoise(Integer Count, Integer Colors, uint32_t Seed) {
  std::vector<Byte> out(static_cast<size_t>(Count));
  for (Byte& b : out) {
    Seed = Seed * 1103515245u + 12345u;
    b = static_cast<Byte>((Seed >> 16) % static_cast<uint32_t>(Colors));
  }
  return out;
}

std::vector<TColor> OptRamp(Integer Count, Integer Hue) {
  std::vector<TColor> out;
  for (Integer i = 0; i < Count; ++i)
    out.push_back(RGB((40 + 13 * i + Hue) % 256, (200 - 7 * i + 3 * Hue) % 256, (90 + 29 * i) % 256));
  return out;
}

std::unique_ptr<TGIFImage> OptDocument(Integer W, Integer H, const std::vector<TColor>& Global,
                                       const std::vector<TOptFrameSpec>& Frames, Integer Loops = -1) {
  auto doc = std::make_unique<TGIFImage>();
  doc->SetLogicalWidth(W);
  doc->SetLogicalHeight(H);
  for (TColor c : Global) doc->GlobalColorMap()->AppendColor(c);
  uint32_t seed = 7;
  for (const TOptFrameSpec& s : Frames) {
    auto f = std::make_unique<TGIFSubImage>(doc.get());
    f->SetPlacement(s.Left, s.Top, s.Height, s.Width);
    for (TColor c : s.Local) f->ColorMap()->AppendColor(c);
    const std::vector<Byte> pixels = s.Pixels.empty() ? OptNoise(s.Width * s.Height, s.Noise, seed += 31) : s.Pixels;
    std::copy(pixels.begin(), pixels.end(), f->Data());
    auto g = std::make_unique<TGIFGraphicControlExtension>(f.get());
    g->SetFrameDelay(static_cast<Word>(s.Delay));
    g->SetDisposalMethod(s.Disposal);
    if (s.Transparent >= 0) {
      g->Control.TransparentIndex = static_cast<Byte>(s.Transparent);
      g->SetUsesTransparentIndex(true);
    }
    f->Extensions()->Append(std::move(g));
    if (!s.Comment.empty()) {
      auto c = std::make_unique<TGIFCommentExtension>(f.get());
      c->SetText(s.Comment);
      f->Extensions()->Append(std::move(c));
    }
    doc->AddFrame(std::move(f));
  }
  if (Loops >= 0 && !doc->IsEmpty()) {
    auto loop = std::make_unique<TGIFAppExtNSLoop>(doc->Frames()->FrameAt(0));
    loop->SetLoops(static_cast<Word>(Loops));
    doc->Frames()->FrameAt(0)->Extensions()->InsertAt(0, std::move(loop));
  }
  return doc;
}

// W x H of Fill with a Size x Size block of Block at (X, Y).
std::vector<Byte> OptBlock(Integer W, Integer H, Byte Fill, Integer X, Integer Y, Integer Size, Byte Block) {
  std::vector<Byte> p(static_cast<size_t>(W * H), Fill);
  for (Integer y = Y; y < Y + Size && y < H; ++y)
    for (Integer x = X; x < X + Size && x < W; ++x) p[static_cast<size_t>(y * W + x)] = Block;
  return p;
}

// Three frames on a global map: a noisy full frame, the same with a changed
// block (pixels that repeat the frame before), and a sprite in a transparent
// border; a comment and a loop.
std::unique_ptr<TGIFImage> OptGlobalDocument() {
  auto first = OptNoise(48 * 40, 12, 99);
  auto second = first;
  for (Integer y = 10; y < 20; ++y)
    for (Integer x = 20; x < 30; ++x) second[static_cast<size_t>(y * 48 + x)] = 13;
  return OptDocument(48, 40, OptRamp(32, 0),
                     {{0, 0, 48, 40, first, 10, 1, -1, {}, 8, "made for the wizard"},
                      {0, 0, 48, 40, second, 20, 1},
                      {0, 0, 48, 40, OptBlock(48, 40, 31, 12, 8, 9, 14), 30, 1, 31}},
                     0);
}

// Frames with local maps only (larger than the colours their pixels use).
std::unique_ptr<TGIFImage> OptLocalDocument() {
  return OptDocument(40, 30, {},
                     {{0, 0, 40, 30, {}, 10, 1, -1, OptRamp(64, 5), 8},
                      {4, 3, 20, 20, {}, 10, 1, -1, OptRamp(64, 70), 6}});
}

// A global map and one frame with its own map.
std::unique_ptr<TGIFImage> OptMixedDocument() {
  return OptDocument(40, 30, OptRamp(16, 11),
                     {{0, 0, 40, 30, {}, 10, 1, -1, {}, 10}, {0, 0, 40, 30, {}, 10, 1, -1, OptRamp(32, 90), 12}});
}

// A document of exactly Bytes encoded bytes: OptGlobalDocument with a
// comment grown to fill the difference. (A length that starts a new
// sub-block adds two bytes; the first comment's length then moves by one.)
std::unique_ptr<TGIFImage> OptDocumentOfSize(Int64 Bytes) {
  auto doc = OptGlobalDocument();
  auto filler = std::make_unique<TGIFCommentExtension>(doc->Frames()->FrameAt(1));
  TGIFCommentExtension* comment = filler.get();
  doc->Frames()->FrameAt(1)->Extensions()->Append(std::move(filler));
  auto* first = dynamic_cast<TGIFCommentExtension*>(doc->Frames()->FrameAt(0)->Extensions()->ExtensionAt(1));
  for (const std::string& firstText : {std::string("made for the wizard"), std::string("made for the wizard.")}) {
    if (first) first->SetText(firstText);
    comment->SetText("");
    const Int64 base = EncodedSize(doc.get());
    const Int64 estimate = (Bytes - base) * 255 / 256;
    for (Int64 len = std::max<Int64>(0, estimate - 4); len <= estimate + 4; ++len) {
      comment->SetText(std::string(static_cast<size_t>(len), 'x'));
      if (EncodedSize(doc.get()) == Bytes) return doc;
    }
  }
  ADD_FAILURE() << "no document of " << Bytes << " bytes";
  return doc;
}

// The GIF bytes of a document, for comparing documents.
std::string OptBytes(TGIFImage* Doc) {
  TMemoryStream s;
  Doc->SaveToStream(&s);
  return std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

// "1,234,567 bytes": the grouping written out here, not through Format.
std::string OptBytesText(Int64 N) {
  std::string digits = std::to_string(N), out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out + " bytes";
}

// --- The wizard, shown and driven ---------------------------------------------------

using TWizardStep = std::function<void(TfrmGifOptimize*)>;

void OptClick(TControl* C) { dlgtest::ClickCentre(C); }
void OptTick(TControl* Box) { dlgtest::ClickAt(Box, 7, Box->Height() / 2); }

// Opens the drop-down list of Combo and clicks its entry Index.
void OptPickFromList(TCustomComboBox* Combo, Integer Index) {
  OptClick(Combo);
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  if (!::GetComboBoxInfo(Combo->Handle(), &info) || !info.hwndList || !::IsWindowVisible(info.hwndList))
    throw std::runtime_error("the list did not drop down");
  RECT item{};
  ::SendMessageW(info.hwndList, LB_GETITEMRECT, static_cast<WPARAM>(Index), reinterpret_cast<LPARAM>(&item));
  POINT p{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
  ::ClientToScreen(info.hwndList, &p);
  barinput::Click(Point(p.x, p.y));
}

class OptimizeDlgTest : public TMainWindowTest {
 protected:
  // Puts Doc into the editor through its file and the Open command.
  void OpenDocument(std::unique_ptr<TGIFImage> Doc, const std::string& Name) {
    Doc->SaveToFile(PathOf(Name));
    OpenThroughDialog(PathOf(Name));
    ASSERT_EQ(FrameCount(), Doc->Frames()->ItemCount());
    ASSERT_EQ(win->modified, false);
  }

  // Runs "Optimize my Animation..." with Steps acting on the shown wizard in
  // turn; a step that fails cancels the wizard and the error comes back.
  std::string RunWizard(std::vector<TWizardStep> Steps) {
    TfrmGifOptimize* dialog = nullptr;
    std::vector<std::function<void()>> steps{[&] {
      dialog = dlgtest::ShowingForm<TfrmGifOptimize>();
      if (!dialog) throw std::runtime_error("no optimisation wizard");
    }};
    for (auto& s : Steps)
      steps.push_back([&dialog, s] {
        try {
          s(dialog);
        } catch (...) {
          dialog->SetModalResult(mrCancel);
          throw;
        }
      });
    dlgtest::TInputScript script(steps);
    win->ExecuteCommand(cmdOptimize);
    EXPECT_TRUE(script.Finished()) << "the wizard closed before its steps ran";
    return script.Error();
  }

  // Puts a copy of Doc into the window as it is (as the window's own edits
  // leave a document), with its frame list.
  void PutDocument(TGIFImage* Doc) {
    win->document->Assign(Doc);
    win->documentOpen = true;
    win->modified = false;
    win->RebuildFrameList();
    win->lvFiles->Items()->Item(0)->SetSelected(true);
    win->UpdateCommandStates();
  }

  static void Expect(bool Condition, const std::string& What) {
    if (!Condition) throw std::runtime_error(What);
  }
};

// The step shown: the page on top of the others (later pages lie over earlier ones).
Integer OptShownStep(TfrmGifOptimize* D) {
  if (D->pnlOpt3->Visible()) return 3;
  if (D->pnlOpt2->Visible()) return 2;
  return D->pnlOpt1->Visible() ? 1 : 0;
}

// --- Palette choices ------------------------------------------------------------------

TEST_F(OptimizeDlgTest, PaletteChoicesAreOfferedForTheMapsTheDocumentHas) {
  struct TCase {
    const char* Name;
    std::function<std::unique_ptr<TGIFImage>()> Make;
    bool OptAll, RemoveLocal;
  };
  const TCase cases[] = {
      {"global map only", OptGlobalDocument, true, false},
      {"local maps only", OptLocalDocument, false, true},
      {"global and a local map", OptMixedDocument, true, true},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    OpenDocument(c.Make(), "palettes.gif");
    bool optAll = !c.OptAll, removeLocal = !c.RemoveLocal, optAllChecked = false, removeLocalChecked = true,
         sortChecked = false;
    EXPECT_EQ(RunWizard({[&](TfrmGifOptimize* d) {
                           optAll = d->chkOptAll->Enabled();
                           removeLocal = d->chkRemoveLocal->Enabled();
                           optAllChecked = d->chkOptAll->Checked();
                           removeLocalChecked = d->chkRemoveLocal->Checked();
                           sortChecked = d->chkPaletteSort->Checked();
                         },
                         [](TfrmGifOptimize* d) { OptClick(d->btnCancel); }}),
              "");
    EXPECT_EQ(optAll, c.OptAll);
    EXPECT_EQ(removeLocal, c.RemoveLocal);
    EXPECT_TRUE(optAllChecked);
    EXPECT_FALSE(removeLocalChecked);
    EXPECT_TRUE(sortChecked);
  }
}

// --- Steps ----------------------------------------------------------------------------

TEST_F(OptimizeDlgTest, NextAndBackWalkTheThreeStepsAndTheScreenshotsShowThem) {
  OpenDocument(OptGlobalDocument(), "steps.gif");
  struct TSeen {
    Integer Step;
    bool Back;
    std::string Next;
  };
  std::vector<TSeen> seen;
  testshots::TSheet sheet;
  auto look = [&](TfrmGifOptimize* d) {
    seen.push_back({OptShownStep(d), d->btnBack->Enabled(), d->btnNext->Caption()});
  };
  auto shoot = [&](const std::string& Label) {
    return [&sheet, Label](TfrmGifOptimize* d) {
      auto shot = dlgtest::FormShot(d);
      sheet.Add(Label, shot.get());
    };
  };
  bool cancelDefault = false;
  Integer clientW = 0, clientH = 0;
  const std::string error = RunWizard({
      [&](TfrmGifOptimize* d) {
        clientW = d->ClientWidth();
        clientH = d->ClientHeight();
        cancelDefault = d->btnCancel->Default();
      },
      look, shoot("Step 1: palettes"),
      [](TfrmGifOptimize* d) { OptClick(d->btnNext); }, look, shoot("Step 2: frames"),
      [](TfrmGifOptimize* d) { OptClick(d->btnNext); }, look, shoot("Step 3: results"),
      [](TfrmGifOptimize* d) { OptClick(d->btnBack); }, look,
      [](TfrmGifOptimize* d) { OptClick(d->btnBack); }, look,
      [](TfrmGifOptimize* d) { OptClick(d->btnCancel); },
  });
  EXPECT_EQ(error, "");
  EXPECT_EQ(clientW, 340);
  EXPECT_EQ(clientH, 278);
  EXPECT_TRUE(cancelDefault) << "Cancel is the default button";
  const std::vector<std::tuple<Integer, bool, std::string>> expected = {
      {1, false, "Next"}, {2, true, "Next"}, {3, true, "Finish"}, {2, true, "Next"}, {1, false, "Next"}};
  ASSERT_EQ(seen.size(), expected.size());
  for (size_t i = 0; i < seen.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(seen[i].Step, std::get<0>(expected[i]));
    EXPECT_EQ(seen[i].Back, std::get<1>(expected[i]));
    EXPECT_EQ(seen[i].Next, std::get<2>(expected[i]));
  }
  EXPECT_TRUE(sheet.Save("app_dlg_optimize_steps.png"));
}

// --- Sizes, savings and the estimate ----------------------------------------------------

TEST_F(OptimizeDlgTest, ResultsShowTheSizesOfTheDocumentAndOfWhatFinishPutsInItsPlace) {
  struct TCase {
    const char* Name;
    std::function<std::unique_ptr<TGIFImage>()> Make;
    std::vector<TWizardStep> Choices;  // on step 1, then on step 2
    bool Saves;
  };
  const TCase cases[] = {
      {"all defaults on a global map", OptGlobalDocument, {}, true},
      {"local maps merged, invisible parts stripped",
       OptLocalDocument,
       {[](TfrmGifOptimize* d) { OptTick(d->chkRemoveLocal); }, [](TfrmGifOptimize* d) { OptTick(d->chkNonVisible); }},
       true},
      {"nothing chosen: no savings",
       OptMixedDocument,
       {[](TfrmGifOptimize* d) {
          OptTick(d->chkOptAll);
          OptTick(d->chkPaletteSort);
        },
        [](TfrmGifOptimize* d) {
          OptTick(d->chkTrim);
          OptTick(d->chkDupPixels);
        }},
       false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    OpenDocument(c.Make(), "sizes.gif");
    const Int64 current = EncodedSize(win->document.get());
    std::string currText, optText, totalText;
    std::vector<TWizardStep> steps;
    if (!c.Choices.empty()) steps.push_back(c.Choices[0]);
    steps.push_back([](TfrmGifOptimize* d) { OptClick(d->btnNext); });
    if (c.Choices.size() > 1) steps.push_back(c.Choices[1]);
    steps.push_back([](TfrmGifOptimize* d) { OptClick(d->btnNext); });
    steps.push_back([&](TfrmGifOptimize* d) {
      currText = d->lblCurrSize->Caption();
      optText = d->lblOptimizedSize->Caption();
      totalText = d->lblTotal->Caption();
      OptClick(d->btnNext);
    });
    EXPECT_EQ(RunWizard(steps), "");
    const Int64 optimized = EncodedSize(win->document.get());
    EXPECT_EQ(currText, OptBytesText(current));
    EXPECT_EQ(optText, OptBytesText(optimized)) << "the size shown is the size of the document Finish leaves";
    EXPECT_EQ(optimized < current, c.Saves) << current << " -> " << optimized;
    if (optimized < current) {
      char percent[32];
      std::snprintf(percent, sizeof percent, " (%4.1f%%)", 100.0 - 100.0 * double(optimized) / double(current));
      EXPECT_EQ(totalText, OptBytesText(current - optimized) + percent);
    } else {
      EXPECT_EQ(totalText, "None");
    }
    EXPECT_TRUE(win->modified);
    win->modified = false;
  }
}

TEST_F(OptimizeDlgTest, DownloadEstimateFollowsTheChosenLineForTheSizeBeforeOptimising) {
  OpenDocument(OptDocumentOfSize(100000), "estimate.gif");
  ASSERT_EQ(EncodedSize(win->document.get()), 100000);
  std::vector<std::string> lines;
  std::string selected, current;
  auto read = [&](TfrmGifOptimize* d) { lines.push_back(d->lblDLTime->Caption()); };
  std::vector<TWizardStep> steps = {
      [](TfrmGifOptimize* d) { OptClick(d->btnNext); },
      [](TfrmGifOptimize* d) { OptClick(d->btnNext); },
      [&](TfrmGifOptimize* d) {
        selected = d->cbBps->Text();
        current = d->lblCurrSize->Caption();
      },
      read,
  };
  for (Integer i : {0, 2, 3, 1}) {
    steps.push_back([i](TfrmGifOptimize* d) { OptPickFromList(d->cbBps, i); });
    steps.push_back(read);
  }
  steps.push_back([](TfrmGifOptimize* d) { OptClick(d->btnCancel); });
  EXPECT_EQ(RunWizard(steps), "");
  EXPECT_EQ(selected, "56.6");
  EXPECT_EQ(current, "100,000 bytes");
  const std::vector<std::string> expected = {"14.13428 secs with a", "27.77778 secs with a", "6.24999 secs with a",
                                             "0.80000 secs with a", "14.13428 secs with a"};
  EXPECT_EQ(lines, expected);
}

TEST_F(OptimizeDlgTest, BackFromTheResultsAndNextAgainOptimisesAFreshCopy) {
  OpenDocument(OptGlobalDocument(), "again.gif");
  const Int64 current = EncodedSize(win->document.get());
  std::string first, second, secondTotal;
  const std::string error = RunWizard({
      [](TfrmGifOptimize* d) { OptClick(d->btnNext); },
      [](TfrmGifOptimize* d) { OptClick(d->btnNext); },
      [&](TfrmGifOptimize* d) { first = d->lblOptimizedSize->Caption(); },
      // Every choice off: the copy made now is the document itself.
      [](TfrmGifOptimize* d) { OptClick(d->btnBack); },
      [](TfrmGifOptimize* d) {
        OptTick(d->chkTrim);
        OptTick(d->chkDupPixels);
      },
      [](TfrmGifOptimize* d) { OptClick(d->btnBack); },
      [](TfrmGifOptimize* d) {
        OptTick(d->chkOptAll);
        OptTick(d->chkPaletteSort);
      },
      [](TfrmGifOptimize* d) { OptClick(d->btnNext); },
      [](TfrmGifOptimize* d) { OptClick(d->btnNext); },
      [&](TfrmGifOptimize* d) {
        second = d->lblOptimizedSize->Caption();
        secondTotal = d->lblTotal->Caption();
      },
      [](TfrmGifOptimize* d) { OptClick(d->btnCancel); },
  });
  EXPECT_EQ(error, "");
  EXPECT_NE(first, OptBytesText(current)) << "the first run optimised";
  EXPECT_EQ(second, OptBytesText(current));
  EXPECT_EQ(secondTotal, "None");
}

// --- Finish and Cancel --------------------------------------------------------------------

TEST_F(OptimizeDlgTest, FinishPutsTheOptimisedCopyInPlaceAndTheFrameListFollowsIt) {
  // The last frame shows nothing but transparency: trimming drops it.
  auto doc = OptGlobalDocument();
  auto empty = OptDocument(48, 40, OptRamp(32, 0), {{0, 0, 48, 40, std::vector<Byte>(48 * 40, 31), 40, 1, 31}});
  auto frame = std::make_unique<TGIFSubImage>(doc.get());
  frame->Assign(empty->Frames()->FrameAt(0));
  doc->AddFrame(std::move(frame));
  // As made: opening the file would have every frame restore the background,
  // and an empty frame after such a frame shows something and stays.
  PutDocument(doc.get());
  ASSERT_EQ(ItemCount(), 4);
  ClickItem(2);
  const std::string before = OptBytes(win->document.get());
  EXPECT_EQ(RunWizard({[](TfrmGifOptimize* d) { OptClick(d->btnNext); },
                       [](TfrmGifOptimize* d) { OptClick(d->btnNext); },
                       [](TfrmGifOptimize* d) { OptClick(d->btnNext); }}),
            "");
  EXPECT_NE(OptBytes(win->document.get()), before);
  EXPECT_TRUE(win->modified);
  ASSERT_EQ(FrameCount(), 3);
  ASSERT_EQ(ItemCount(), 3) << "no item for the frame that is gone";
  for (Integer i = 0; i < FrameCount(); ++i)
    EXPECT_EQ(SizeOf(i), IntToStr(Frame(i)->Width()) + " x " + IntToStr(Frame(i)->Height())) << i;
  EXPECT_EQ(SizeOf(2), "9 x 9") << "the sprite's frame is trimmed to the sprite";
  EXPECT_EQ(Control(2)->FrameDelay(), 30 + 40) << "the time of the frame that is gone";
}

TEST_F(OptimizeDlgTest, CancelOnAnyStepLeavesTheDocumentAndItsModifiedFlag) {
  for (Integer step = 1; step <= 3; ++step) {
    for (bool modified : {false, true}) {
      SCOPED_TRACE("step " + IntToStr(step) + (modified ? ", modified" : ", saved"));
      OpenDocument(OptGlobalDocument(), "cancel.gif");
      win->modified = modified;
      const std::string before = OptBytes(win->document.get());
      std::vector<TWizardStep> steps;
      for (Integer i = 1; i < step; ++i) steps.push_back([](TfrmGifOptimize* d) { OptClick(d->btnNext); });
      steps.push_back([](TfrmGifOptimize* d) { OptClick(d->btnCancel); });
      EXPECT_EQ(RunWizard(steps), "");
      EXPECT_EQ(OptBytes(win->document.get()), before);
      EXPECT_EQ(win->modified, modified);
      win->modified = false;
    }
  }
}

TEST_F(OptimizeDlgTest, AFailedOptimisationIsReportedAndFinishCannotTakeAHalfMadeCopy) {
  OpenDocument(OptGlobalDocument(), "failure.gif");
  const std::string before = OptBytes(win->document.get());
  std::vector<std::string> reported;
  Application->OnException = [&](TObject*, const Exception& E) { reported.push_back(E.Message()); };
  // The copy reports its progress through the document's handler: one that
  // fails stands for any failure while the copy is made.
  bool failing = false;
  win->document->OnProgress = [&](TObject*, TProgressStage, Byte, bool, const TRect&, const std::string&) {
    if (failing) throw EOutOfResources("Out of system resources");
  };
  Integer afterFailure = 0;
  std::string nextCaption;
  TCursor cursor = crNone;
  Integer afterSecondTry = 0;
  const std::string error = RunWizard({
      [&](TfrmGifOptimize* d) {
        failing = true;  // the wizard has measured the document by now
        OptClick(d->btnNext);
      },
      [](TfrmGifOptimize* d) { OptClick(d->btnNext); },
      [&](TfrmGifOptimize* d) {
        afterFailure = OptShownStep(d);
        nextCaption = d->btnNext->Caption();
        cursor = Screen->Cursor();
      },
      // Next once more must not finish with what the failed run left.
      [&](TfrmGifOptimize* d) {
        OptClick(d->btnNext);
        afterSecondTry = OptShownStep(d);
      },
      [](TfrmGifOptimize* d) { OptClick(d->btnCancel); },
  });
  Application->OnException = {};
  failing = false;
  win->document->OnProgress = {};
  EXPECT_EQ(error, "");
  EXPECT_EQ(reported, std::vector<std::string>(2, "Out of system resources"));
  EXPECT_EQ(afterFailure, 2) << "the wizard stays on the frame choices";
  EXPECT_EQ(afterSecondTry, 2);
  EXPECT_EQ(nextCaption, "Next");
  EXPECT_EQ(cursor, crDefault);
  EXPECT_EQ(OptBytes(win->document.get()), before);
  EXPECT_FALSE(win->modified);

  // Once the copy can be made, the same wizard goes on to the results.
  std::string total;
  EXPECT_EQ(RunWizard({[](TfrmGifOptimize* d) { OptClick(d->btnNext); },
                       [](TfrmGifOptimize* d) { OptClick(d->btnNext); },
                       [&](TfrmGifOptimize* d) { total = d->lblTotal->Caption(); },
                       [](TfrmGifOptimize* d) { OptClick(d->btnNext); }}),
            "");
  EXPECT_NE(total, "");
  EXPECT_TRUE(win->modified);
}

// --- Files for the independent check -------------------------------------------------------

// With LARKSPIRE_OPTIMIZE_CHECK_DIR set (by optimize_check.py), writes a set
// of animations there, runs the wizard on each with every optimisation on,
// and writes the optimised document beside it (NAME.gif, NAME_opt.gif) with
// the sizes the wizard showed (sizes.txt).
TEST_F(OptimizeDlgTest, CheckFilesOriginalAndOptimised) {
  const char* dir = std::getenv("LARKSPIRE_OPTIMIZE_CHECK_DIR");
  if (!dir || !*dir) GTEST_SKIP() << "only for optimize_check.py";
  const std::string out = dir;
  ForceDirectories(out);
  struct TSet {
    const char* Name;
    std::function<std::unique_ptr<TGIFImage>()> Make;
  };
  const TSet sets[] = {
      {"global", OptGlobalDocument},
      {"local", OptLocalDocument},
      {"mixed", OptMixedDocument},
      {"disposals",
       [] {
         // A sprite walking over a background with every disposal, transparent
         // frames of several sizes, a frame without pixels of its own, a comment.
         auto bg = OptNoise(64 * 48, 6, 5);
         return OptDocument(
             64, 48, OptRamp(24, 40),
             {{0, 0, 64, 48, bg, 10, 1, -1, {}, 6, "background"},
              {8, 8, 16, 16, OptBlock(16, 16, 23, 4, 4, 8, 7), 10, 2, 23},
              {16, 8, 16, 16, OptBlock(16, 16, 23, 2, 2, 10, 8), 10, 3, 23},
              {20, 12, 24, 20, OptBlock(24, 20, 9, 6, 4, 8, 23), 15, 1, 23},
              {0, 0, 64, 48, OptBlock(64, 48, 23, 30, 20, 12, 10), 20, 0, 23},
              {0, 0, 64, 48, std::vector<Byte>(64 * 48, 23), 25, 1, 23},
              {32, 24, 32, 24, {}, 30, 2, -1, {}, 6},
              {0, 0, 64, 48, OptBlock(64, 48, 23, 40, 2, 6, 11), 35, 1, 23}},
             0);
       }},
      {"locals_transparent",
       [] {
         // Local maps with transparency and repeated areas between frames.
         auto a = OptNoise(50 * 40, 10, 17);
         auto b = a;
         for (Integer i = 0; i < 400; ++i) b[static_cast<size_t>(i * 5)] = 11;
         return OptDocument(50, 40, {},
                            {{0, 0, 50, 40, a, 10, 1, -1, OptRamp(16, 3), 10, "locals"},
                             {0, 0, 50, 40, b, 10, 1, 11, OptRamp(16, 3), 10},
                             {5, 5, 30, 20, OptBlock(30, 20, 15, 5, 5, 7, 2), 10, 2, 15, OptRamp(20, 60)},
                             {0, 0, 50, 40, {}, 10, 1, -1, OptRamp(12, 120), 12}},
                            3);
       }},
  };
  std::FILE* sizes = std::fopen((out + "\\sizes.txt").c_str(), "w");
  ASSERT_TRUE(sizes);
  // Each animation twice: as made (put into the window as it is), and as the
  // editor holds it after opening its file (opening tidies transparency).
  for (const TSet& s : sets) {
    for (bool opened : {false, true}) {
      const std::string name = std::string(s.Name) + (opened ? "_opened" : "");
      SCOPED_TRACE(name);
      auto doc = s.Make();
      const std::string original = out + "\\" + name + ".gif";
      doc->SaveToFile(original);
      if (opened) {
        OpenThroughDialog(original);
        // The original is what the wizard starts from.
        win->document->SaveToFile(original);
      } else {
        PutDocument(doc.get());
      }
      ASSERT_EQ(FrameCount(), doc->Frames()->ItemCount());
      std::string current, optimized;
      EXPECT_EQ(RunWizard({[](TfrmGifOptimize* d) {
                             if (d->chkRemoveLocal->Enabled()) OptTick(d->chkRemoveLocal);
                             Expect(d->chkOptAll->Checked() && d->chkPaletteSort->Checked(), "palette choices");
                           },
                           [](TfrmGifOptimize* d) { OptClick(d->btnNext); },
                           [](TfrmGifOptimize* d) {
                             OptTick(d->chkNonVisible);
                             Expect(d->chkTrim->Checked() && d->chkDupPixels->Checked() &&
                                        d->chkNonVisible->Checked(),
                                    "frame choices");
                           },
                           [](TfrmGifOptimize* d) { OptClick(d->btnNext); },
                           [&](TfrmGifOptimize* d) {
                             current = d->lblCurrSize->Caption();
                             optimized = d->lblOptimizedSize->Caption();
                           },
                           [](TfrmGifOptimize* d) { OptClick(d->btnNext); }}),
                "");
      EXPECT_TRUE(win->modified);
      win->document->SaveToFile(out + "\\" + name + "_opt.gif");
      std::fprintf(sizes, "%s\t%s\t%s\n", name.c_str(), current.c_str(), optimized.c_str());
      win->modified = false;
    }
  }
  std::fclose(sizes);
}

}  // namespace
