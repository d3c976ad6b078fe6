// The new-animation wizard as a person meets it: the shown wizard driven by
// real clicks and keys inside its modal loop (its open dialog answered through
// FileDialogFunc), the file list's horizontal extent, and New in the main
// window building the animation from what the wizard was given. One session
// leaves its pictures, the saved GIF files and what they must hold in
// app_newwizard/ of the build folder for newwizard_check.py.
#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/AppFileUtils.h"
#include "app/FrameSizeForm.h"
#include "app/ListBoxHrz.h"
#include "app/NewGifWizardForm.h"
#include "tests/app/dialog_input.h"
#include "tests/app/mainwin_driver.h"
#include "tests/controls/shots.h"

namespace {

using mainwin::TMainWindowTest;

const char* const kWizardFilter =
    "All (*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)|*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf|"
    "GIF Image (*.gif)|*.gif|JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|"
    "Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|Enhanced Metafiles (*.emf)|*.emf";

// --- Input on the wizard ----------------------------------------------------------

// A left click at a client point of C: pressed and released together, then
// handled.
void ClickAt(TControl* C, Integer X, Integer Y) {
  barinput::QueueClick(C->ClientToScreen(Point(X, Y)));
  barinput::Settle(80);
}
void ClickButton(TControl* C) { ClickAt(C, C->Width() / 2, C->Height() / 2); }
void ClickRadio(TControl* C) { ClickAt(C, 8, C->Height() / 2); }
void ClickEntry(TListBoxHrz* List, Integer Index) {
  const TRect r = List->ItemRect(Index);
  ClickAt(List, r.Left + 12, (r.Top + r.Bottom) / 2);
}
// The steps that replace a spin edit's text by typing (digits and the
// decimal point) and leave the box with Tab: one key to a step, each handled
// before the next.
std::vector<std::function<void()>> TypeSteps(std::function<TControl*()> Edit, const std::string& Text) {
  std::vector<std::function<void()>> s;
  s.push_back([Edit] { ClickAt(Edit(), 6, Edit()->Height() / 2); });
  s.push_back([] { barinput::Tap(VK_END); });
  s.push_back([] {
    barinput::Key(VK_SHIFT, false);
    barinput::Tap(VK_HOME);
    barinput::Key(VK_SHIFT, true);
  });
  for (char c : Text) s.push_back([c] { barinput::Tap(c == '.' ? VK_OEM_PERIOD : static_cast<Word>(c)); });
  s.push_back([] { barinput::Tap(VK_TAB); });
  return s;
}

// What the wizard shows at one moment.
struct TWizardState {
  Integer Page;  // the visible page panel: 0 loop, 1 images, 2 finish, -1 none or several
  bool Back, Next;
  std::string NextCaption;
  bool Remove, Up, Down;
  std::vector<std::string> Files;
  Integer Selected;
};

TWizardState StateOf(TfrmNewGifWizard* W) {
  TWizardState s{};
  const TPanel* pages[] = {W->pnlLoop, W->pnlImages, W->pnlFinish};
  s.Page = -1;
  Integer visible = 0;
  for (Integer i = 0; i < 3; ++i)
    if (pages[i]->Visible()) {
      ++visible;
      s.Page = i;
    }
  if (visible != 1) s.Page = -1;
  s.Back = W->btnBack->Enabled();
  s.Next = W->btnNext->Enabled();
  s.NextCaption = W->btnNext->Caption();
  s.Remove = W->btnImageRemove->Enabled();
  s.Up = W->btnMoveUp->Enabled();
  s.Down = W->btnMoveDown->Enabled();
  for (Integer i = 0; i < W->lbImages->Items()->Count(); ++i) s.Files.push_back(W->lbImages->Items()->Strings(i));
  s.Selected = W->lbImages->ItemIndex();
  return s;
}

// Steps run one by one inside the wizard's modal loop; the first finds the
// shown wizard.
class TWizardDriver {
 public:
  TfrmNewGifWizard* wiz = nullptr;

  void Start(std::vector<std::function<void()>> Steps) {
    std::vector<std::function<void()>> all{[this] {
      wiz = dlgtest::ShowingForm<TfrmNewGifWizard>();
      if (!wiz) throw std::runtime_error("no wizard shown");
      // Input only once the wizard's activation is through.
      barinput::Settle(150);
    }};
    all.insert(all.end(), Steps.begin(), Steps.end());
    script_ = std::make_unique<dlgtest::TInputScript>(all);
  }
  bool Finished() const { return !script_ || script_->Finished(); }
  std::string Error() const { return script_ ? script_->Error() : std::string(); }

 private:
  std::unique_ptr<dlgtest::TInputScript> script_;
};

// --- The wizard on its own ------------------------------------------------------------

class NewWizardDlg : public ::testing::Test {
 protected:
  std::deque<std::vector<std::string>> fileAnswers;  // chosen in turn; Cancel when none
  struct TSeenDialog {
    std::string InitialDir, Filter;
    TOpenOptions Options;
  };
  std::vector<TSeenDialog> seen;

  void SetUp() override {
    FileDialogFunc = [this](const TOpenDialog& Dialog, bool) {
      seen.push_back({Dialog.InitialDir(), Dialog.Filter(), Dialog.Options()});
      std::vector<std::string> chosen;
      if (!fileAnswers.empty()) {
        chosen = fileAnswers.front();
        fileAnswers.pop_front();
      }
      return chosen;
    };
  }
  void TearDown() override {
    FileDialogFunc = nullptr;
    testui::PumpUntil([] { return false; }, 30);
  }

  // Shows the wizard modally while the steps run; its modal result.
  TModalResult Run(TWizardDriver& Driver, std::vector<std::function<void()>> Steps) {
    std::unique_ptr<TfrmNewGifWizard> wizard(CreateForm<TfrmNewGifWizard>(Application));
    Driver.Start(std::move(Steps));
    const TModalResult result = wizard->ShowModal();
    EXPECT_EQ(Driver.Error(), "");
    EXPECT_TRUE(Driver.Finished()) << "the wizard closed before the script ended";
    return result;
  }
};

TEST_F(NewWizardDlg, PagesGoLoopImagesFinishWithTheirButtons) {
  TWizardDriver d;
  std::vector<TWizardState> states;
  auto record = [&] { states.push_back(StateOf(d.wiz)); };
  const std::vector<std::string> files = {"C:\\pictures\\one.gif", "C:\\pictures\\two.jpg",
                                          "C:\\pictures\\three.bmp"};
  testshots::TSheet sheet;
  Integer width = 0, height = 0;
  const TModalResult result = Run(d, {
      [&] {
        width = d.wiz->Width();
        height = d.wiz->Height();
        record();
        sheet.Add("loop page", dlgtest::FormShot(d.wiz).get());
      },
      [&] { ClickButton(d.wiz->btnNext); },
      record,
      [&] { ClickButton(d.wiz->btnImageAdd); },  // the dialog cancelled
      record,
      [&] {
        fileAnswers.push_back(files);
        ClickButton(d.wiz->btnImageAdd);
      },
      [&] {
        record();
        sheet.Add("images page, files listed", dlgtest::FormShot(d.wiz).get());
      },
      [&] { ClickButton(d.wiz->btnNext); },
      [&] {
        record();
        sheet.Add("finish page", dlgtest::FormShot(d.wiz).get());
      },
      [&] { ClickButton(d.wiz->btnBack); },
      record,
      [&] { ClickButton(d.wiz->btnBack); },
      record,
      [&] { ClickButton(d.wiz->btnNext); },
      [&] { ClickButton(d.wiz->btnNext); },
      [&] { ClickButton(d.wiz->btnNext); },  // Finish
  });
  EXPECT_EQ(result, mrOk) << "Finish closes the wizard with OK";
  EXPECT_EQ(width, 369);
  EXPECT_EQ(height, 310);
  EXPECT_TRUE(sheet.Save("app_dlg_newwizard.png"));

  struct TExpect {
    const char* When;
    Integer Page;
    bool Back, Next;
    const char* NextCaption;
    bool Remove, Up, Down;
    size_t Files;
  };
  const TExpect expect[] = {
      {"first page", 0, false, true, "Next", false, false, false, 0},
      {"images page, empty", 1, true, false, "Next", false, false, false, 0},
      {"add cancelled", 1, true, false, "Next", false, false, false, 0},
      {"three files added, first selected", 1, true, true, "Next", true, false, true, 3},
      {"finish page", 2, true, true, "Finish", true, false, true, 3},
      {"back on the images page", 1, true, true, "Next", true, false, true, 3},
      {"back on the loop page", 0, false, true, "Next", true, false, true, 3},
  };
  ASSERT_EQ(states.size(), std::size(expect));
  for (size_t i = 0; i < states.size(); ++i) {
    SCOPED_TRACE(expect[i].When);
    const TWizardState& s = states[i];
    EXPECT_EQ(s.Page, expect[i].Page);
    EXPECT_EQ(s.Back, expect[i].Back);
    EXPECT_EQ(s.Next, expect[i].Next);
    EXPECT_EQ(s.NextCaption, expect[i].NextCaption);
    EXPECT_EQ(s.Remove, expect[i].Remove);
    EXPECT_EQ(s.Up, expect[i].Up);
    EXPECT_EQ(s.Down, expect[i].Down);
    EXPECT_EQ(s.Files.size(), expect[i].Files);
  }
  EXPECT_EQ(states[3].Files, files) << "full paths in the dialog's order";
  EXPECT_EQ(states[3].Selected, 0);

  ASSERT_EQ(seen.size(), 2u);
  for (const TSeenDialog& s : seen) {
    EXPECT_EQ(s.InitialDir, AppFolder() + "images\\");
    EXPECT_EQ(s.Filter, kWizardFilter);
    EXPECT_TRUE(s.Options.Contains(ofAllowMultiSelect));
    EXPECT_TRUE(s.Options.Contains(ofHideReadOnly));
    EXPECT_TRUE(s.Options.Contains(ofEnableSizing));
  }
}

TEST_F(NewWizardDlg, CancelAndEscapeEndWithCancel) {
  struct TCase {
    const char* Name;
    Integer NextClicks;  // pages advanced before
    bool Escape;
  };
  const TCase cases[] = {{"Cancel on the loop page", 0, false},
                         {"Cancel on the images page", 1, false},
                         {"Escape on the loop page", 0, true}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    TWizardDriver d;
    std::vector<std::function<void()>> steps;
    for (Integer i = 0; i < c.NextClicks; ++i) steps.push_back([&d] { ClickButton(d.wiz->btnNext); });
    if (c.Escape)
      steps.push_back([] { barinput::Tap(VK_ESCAPE); });
    else
      steps.push_back([&d] { ClickButton(d.wiz->btnCancel); });
    EXPECT_EQ(Run(d, steps), mrCancel);
  }
}

TEST_F(NewWizardDlg, PlayItEnablesTheTimesBox) {
  TWizardDriver d;
  std::vector<bool> enabled;
  std::vector<bool> infinite;
  auto record = [&] {
    enabled.push_back(d.wiz->spinLoop->Enabled());
    infinite.push_back(d.wiz->optLoopInfinite->Checked());
  };
  Integer times = 0;
  std::vector<std::function<void()>> steps{record, [&] { ClickRadio(d.wiz->optLoopPlay); }, record};
  for (auto& step : TypeSteps([&] { return d.wiz->spinLoop; }, "12")) steps.push_back(step);
  steps.push_back([&] { times = d.wiz->spinLoop->RoundedValue(); });
  steps.push_back([&] { ClickRadio(d.wiz->optLoopInfinite); });
  steps.push_back(record);
  steps.push_back([&] { ClickButton(d.wiz->btnCancel); });
  Run(d, steps);
  EXPECT_EQ(enabled, (std::vector<bool>{false, true, false}));
  EXPECT_EQ(infinite, (std::vector<bool>{true, false, true}));
  EXPECT_EQ(times, 12);
}

// Remove and move on the images page: the order, the selection and the
// buttons after each click.
TEST_F(NewWizardDlg, RemoveAndMoveKeepSelectionAndButtons) {
  enum TAct { actClick, actUp, actDown, actRemove, actAdd };
  struct TStep {
    TAct Act;
    Integer Index;  // entry clicked
    const char* Order;  // entries by their letters
    Integer Selected;
    bool Remove, Up, Down, Next;
  };
  const TStep steps[] = {
      {actClick, 2, "abcd", 2, true, true, true, true},
      {actUp, 0, "acbd", 1, true, true, true, true},
      {actUp, 0, "cabd", 0, true, false, true, true},
      {actDown, 0, "acbd", 1, true, true, true, true},
      {actClick, 3, "acbd", 3, true, true, false, true},
      {actRemove, 0, "acb", 2, true, true, false, true},  // the one before is selected
      {actAdd, 0, "acbef", 2, true, true, true, true},    // appended; the selection stays
      {actClick, 0, "acbef", 0, true, false, true, true},
      {actRemove, 0, "cbef", 0, true, false, true, true},  // the first again
      {actRemove, 0, "bef", 0, true, false, true, true},
      {actRemove, 0, "ef", 0, true, false, true, true},
      {actRemove, 0, "f", 0, true, false, false, true},  // one left: nothing to move
      {actRemove, 0, "", -1, false, false, false, false},
  };
  auto path = [](char c) { return std::string("C:\\pictures\\") + c + ".gif"; };
  TWizardDriver d;
  std::vector<std::function<void()>> script{
      [&] { ClickButton(d.wiz->btnNext); },
      [&] {
        fileAnswers.push_back({path('a'), path('b'), path('c'), path('d')});
        ClickButton(d.wiz->btnImageAdd);
      },
  };
  std::vector<TWizardState> states;
  for (const TStep& s : steps) {
    script.push_back([&, s] {
      switch (s.Act) {
        case actClick: ClickEntry(d.wiz->lbImages, s.Index); break;
        case actUp: ClickButton(d.wiz->btnMoveUp); break;
        case actDown: ClickButton(d.wiz->btnMoveDown); break;
        case actRemove: ClickButton(d.wiz->btnImageRemove); break;
        case actAdd:
          fileAnswers.push_back({path('e'), path('f')});
          ClickButton(d.wiz->btnImageAdd);
          break;
      }
    });
    script.push_back([&] { states.push_back(StateOf(d.wiz)); });
  }
  script.push_back([&] { ClickButton(d.wiz->btnCancel); });
  Run(d, script);

  ASSERT_EQ(states.size(), std::size(steps));
  for (size_t i = 0; i < states.size(); ++i) {
    SCOPED_TRACE("step " + std::to_string(i + 1));
    const TStep& e = steps[i];
    std::vector<std::string> order;
    for (const char* c = e.Order; *c; ++c) order.push_back(path(*c));
    EXPECT_EQ(states[i].Files, order);
    EXPECT_EQ(states[i].Selected, e.Selected);
    EXPECT_EQ(states[i].Remove, e.Remove);
    EXPECT_EQ(states[i].Up, e.Up);
    EXPECT_EQ(states[i].Down, e.Down);
    EXPECT_EQ(states[i].Next, e.Next);
  }
}

// --- The file list's horizontal extent ----------------------------------------------

class ListBoxHrzTest : public ::testing::Test {
 protected:
  TForm* form = nullptr;
  TListBoxHrz* box = nullptr;

  void SetUp() override {
    RegisterListBoxHrzClasses();
    form = testui::NewForm(260, 160, 40, 40, bsDialog);
    box = new TListBoxHrz(form);
    box->SetParent(form);
    box->SetBounds(8, 8, 160, 100);
    box->Font()->SetName("Tahoma");
    box->Font()->SetSize(8);
    testshots::ShowActive(form);
  }
  void TearDown() override { delete form; }

  // The width an entry needs: its text and "XX" in the box's font, and the tab width.
  Integer Needed(const std::string& Text) {
    TBitmap b;
    b.Canvas()->SetFont(box->Font());
    return b.Canvas()->TextWidth(Text + "XX") + box->TabWidth();
  }
};

TEST_F(ListBoxHrzTest, ExtentFollowsTheWidestEntry) {
  const std::string shortText = "C:\\a.gif";
  const std::string longText = "C:\\pictures\\holidays\\the long way round\\a very long file name indeed.gif";
  const std::string mid = "C:\\pictures\\middle.gif";
  TStrings* items = box->Items();
  struct TStep {
    const char* Name;
    std::function<void()> Act;
    std::function<Integer()> Expected;
  };
  const TStep steps[] = {
      {"empty", [] {}, [] { return 0; }},
      {"add a short entry", [&] { items->Add(shortText); }, [&] { return Needed(shortText); }},
      {"add a long entry", [&] { items->Add(longText); }, [&] { return Needed(longText); }},
      {"insert a narrower one", [&] { items->Insert(0, mid); }, [&] { return Needed(longText); }},
      {"delete the long one", [&] { items->Delete(2); }, [&] { return Needed(mid); }},
      {"delete down to the short one", [&] { items->Delete(0); }, [&] { return Needed(shortText); }},
      {"delete the last", [&] { items->Delete(0); }, [&] { return box->TabWidth(); }},
      {"add the long one again", [&] { items->Add(longText); }, [&] { return Needed(longText); }},
      {"a larger font", [&] { box->Font()->SetSize(14); }, [&] { return Needed(longText); }},
      {"reset", [&] { items->Clear(); }, [] { return 0; }},
  };
  for (const TStep& s : steps) {
    SCOPED_TRACE(s.Name);
    s.Act();
    EXPECT_EQ(box->CurrentWidth(), s.Expected());
    EXPECT_EQ(static_cast<Integer>(::SendMessageW(box->Handle(), LB_GETHORIZONTALEXTENT, 0, 0)), s.Expected());
  }
  EXPECT_GT(Needed(longText), 300) << "the larger font widens the extent";

  // The tab width is added to the text's width.
  box->SetTabWidth(12);
  items->Add(shortText);
  TBitmap b;
  b.Canvas()->SetFont(box->Font());
  EXPECT_EQ(box->CurrentWidth(), b.Canvas()->TextWidth(shortText + "XX") + 12);
}

TEST_F(ListBoxHrzTest, LongPathScrollsToItsEndByTheScrollBar) {
  const std::string path = "C:\\pictures\\holidays\\2026\\by the sea\\evening light over the harbour wall.gif";
  box->Items()->Add(path);
  box->Items()->Add("C:\\a.gif");
  // The bar's thumb dragged to the far right.
  SCROLLBARINFO sbi{};
  sbi.cbSize = sizeof(sbi);
  ASSERT_TRUE(::GetScrollBarInfo(box->Handle(), OBJID_HSCROLL, &sbi));
  ASSERT_EQ(sbi.rgstate[0] & STATE_SYSTEM_INVISIBLE, 0u) << "the horizontal bar shows for a long path";
  const Integer y = (sbi.rcScrollBar.top + sbi.rcScrollBar.bottom) / 2;
  const TPoint thumb = Point(sbi.rcScrollBar.left + (sbi.xyThumbTop + sbi.xyThumbBottom) / 2, y);
  EXPECT_TRUE(barinput::Drag(thumb, {}, Point(sbi.rcScrollBar.right + 30, y)));
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  ::GetScrollInfo(box->Handle(), SB_HORZ, &si);
  EXPECT_GT(si.nPos, 0);
  EXPECT_GE(si.nPos + static_cast<Integer>(si.nPage), Needed(path) - 1) << "the end of the range is in view";

  // The path's last letters show inside the box: dark text pixels in the
  // columns just left of where the text ends.
  auto shot = testshots::Shot(box);
  const TRect item = box->ItemRect(0);
  TBitmap measure;
  measure.Canvas()->SetFont(box->Font());
  const Integer textEnd = measure.Canvas()->TextWidth(path) - si.nPos;
  const Integer border = (box->Width() - box->ClientWidth()) / 2;
  ASSERT_LT(textEnd + border, box->Width());
  Integer dark = 0;
  for (Integer x = std::max<Integer>(textEnd - 14, 0); x < textEnd + 4; ++x)
    for (Integer y = item.Top; y < item.Bottom; ++y) {
      const TColor c = testshots::Px(shot.get(), x + border, y + border);
      if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 110) ++dark;
    }
  EXPECT_GT(dark, 6) << "the end of the path is painted in view";
  testshots::TSheet sheet;
  sheet.Add("file list scrolled to the end", shot.get());
  EXPECT_TRUE(sheet.Save("app_dlg_newwizard_list.png"));
}

// --- New in the main window -------------------------------------------------------

class NewWizardMain : public TMainWindowTest {
 protected:
  TWizardDriver d;

  // New through Ctrl+N, with the wizard driven by the steps; waits until the
  // wizard is gone.
  void RunNew(std::vector<std::function<void()>> Steps) {
    barinput::Activate(win);
    // The wizard shows while Ctrl and N are still down: they are let go
    // first, as a person's fingers are, before anything is typed or clicked.
    Steps.insert(Steps.begin(), [] {
      barinput::Key('N', true);
      barinput::Key(VK_CONTROL, true);
      barinput::Settle(30);
    });
    d.Start(std::move(Steps));
    barinput::Chord({VK_CONTROL}, 'N');
    EXPECT_TRUE(testui::PumpUntil([&] { return d.Finished() && !dlgtest::ShowingForm<TfrmNewGifWizard>(); }, 20000));
    EXPECT_EQ(d.Error(), "");
    Settle();
  }

  // The steps that fill the wizard: the delay typed (when given), "Play it"
  // with Times (when not negative), the files added, Finish.
  std::vector<std::function<void()>> Fill(const std::string& Delay, Integer Times,
                                          const std::vector<std::string>& Files) {
    std::vector<std::function<void()>> s;
    auto add = [&s](const std::vector<std::function<void()>>& More) { s.insert(s.end(), More.begin(), More.end()); };
    if (!Delay.empty()) add(TypeSteps([this] { return d.wiz->spinDelay; }, Delay));
    if (Times >= 0) {
      s.push_back([this] { ClickRadio(d.wiz->optLoopPlay); });
      add(TypeSteps([this] { return d.wiz->spinLoop; }, IntToStr(Times)));
    }
    s.push_back([this] { ClickButton(d.wiz->btnNext); });
    s.push_back([this, Files] {
      fileAnswers.push_back(Files);
      ClickButton(d.wiz->btnImageAdd);
    });
    s.push_back([this] { ClickButton(d.wiz->btnNext); });
    s.push_back([this] { ClickButton(d.wiz->btnNext); });
    return s;
  }

  std::string MakeBmp(const std::string& Name, Integer W, Integer H, const std::vector<TColor>& Colors) {
    auto b = mainwin::Checker(W, H, Colors);
    b->SaveToFile(PathOf(Name));
    return PathOf(Name);
  }
};

TEST_F(NewWizardMain, ThreeFilesAtHalfASecondBecomeThreeFrames) {
  const std::vector<TColor> colours = {RGB(200, 30, 30), RGB(30, 200, 30), RGB(30, 30, 200)};
  const std::string a = MakeBmp("a.bmp", 40, 30, colours);
  const std::string b = MakePng("b.png", 40, 30, {RGB(250, 250, 0), RGB(0, 0, 0)});
  const std::string c = MakeGif("c.gif", 1);
  RunNew(Fill("0.5", -1, {a, b, c}));

  ASSERT_EQ(FrameCount(), 3);
  ASSERT_EQ(ItemCount(), 3);
  const char* names[] = {"a.bmp", "b.png", "c.gif"};
  for (Integer i = 0; i < 3; ++i) {
    SCOPED_TRACE(names[i]);
    EXPECT_EQ(CaptionOf(i), "Frame " + IntToStr(i + 1) + " - " + names[i]);
    EXPECT_EQ(SizeOf(i), "40 x 30");
    ASSERT_NE(Control(i), nullptr);
    EXPECT_EQ(Control(i)->FrameDelay(), 50);
    // "Use Image Transparency" ran on every frame.
    EXPECT_TRUE(Control(i)->UsesTransparentIndex());
    EXPECT_EQ(Control(i)->DisposalMethod(), dpBackground);
  }
  EXPECT_EQ(FramePixel(0, 0, 0), colours[0]);
  EXPECT_EQ(FramePixel(0, 4, 0), colours[1]);
  EXPECT_EQ(FramePixel(1, 4, 0), RGB(0, 0, 0));
  EXPECT_TRUE(win->chkAnimationTrans->Checked());
  EXPECT_TRUE(win->documentOpen);
  EXPECT_TRUE(win->modified);
  EXPECT_TRUE(win->optLoopForever->Checked());
  EXPECT_EQ(GetLoopCount(win->document.get()), 0);
  EXPECT_EQ(SelectedIndices(), std::vector<Integer>{0});
  EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? "" : boxes[0].Text);
}

// The loop choice reaches the window's controls and the document, also when
// the window showed that choice already, and over the count of a GIF file
// that became the document.
TEST_F(NewWizardMain, LoopChoiceReachesTheWindowAndTheDocument) {
  struct TCase {
    const char* Name;
    bool WasSpecified;
    Integer WasTimes;
    Integer Times;     // -1: "Yes, play the animation infinitely"
    Integer GifLoops;  // >= 0: the only file is a three-frame GIF with this count
    Integer Loops;     // the document's count afterwards
  };
  const TCase cases[] = {
      {"forever shown, play 3 times", false, 1, 3, -1, 3},
      {"3 times shown, play 3 times", true, 3, 3, -1, 3},
      {"5 times shown, infinitely", true, 5, -1, -1, 0},
      {"forever shown, infinitely, a GIF looping 7 times", false, 1, -1, 7, 0},
      {"3 times shown, play 3 times, a GIF looping 7 times", true, 3, 3, 7, 3},
  };
  Integer n = 0;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    ++n;
    win->optLoopSpecified->SetChecked(c.WasSpecified);
    win->optLoopForever->SetChecked(!c.WasSpecified);
    win->spinPlayTimes->SetValue(c.WasTimes);
    win->modified = false;
    std::vector<std::string> files;
    if (c.GifLoops >= 0) {
      files.push_back(MakeGif("loops" + IntToStr(n) + ".gif", 3, 40, 30, c.GifLoops));
    } else {
      files.push_back(MakePng("p" + IntToStr(n) + ".png", 40, 30, {RGB(10, 20, 30), RGB(200, 100, 50)}));
      files.push_back(MakePng("q" + IntToStr(n) + ".png", 40, 30, {RGB(60, 20, 30), RGB(20, 100, 250)}));
    }
    RunNew(Fill("", c.Times, files));
    ASSERT_GT(FrameCount(), 1);
    EXPECT_EQ(win->optLoopSpecified->Checked(), c.Times >= 0);
    EXPECT_EQ(win->optLoopForever->Checked(), c.Times < 0);
    if (c.Times >= 0) {
      EXPECT_EQ(win->spinPlayTimes->RoundedValue(), c.Times);
    }
    EXPECT_EQ(win->spinPlayTimes->Enabled(), c.Times >= 0);
    EXPECT_EQ(GetLoopCount(win->document.get()), c.Loops);
    for (Integer i = 0; i < FrameCount(); ++i) EXPECT_EQ(Control(i)->FrameDelay(), 100) << "frame " << i;
  }
}

// Files the file-type table refuses and a picture that cannot be read are
// skipped after their messages; the others still come in, in list order.
TEST_F(NewWizardMain, RefusedAndUnreadableFilesAreSkippedWithTheirMessages) {
  auto picture = mainwin::Checker(30, 20, {RGB(0, 0, 0), RGB(255, 255, 255)});
  const std::string jpeg = PathOf("photo.jpeg");
  mainwin::WriteJpeg(jpeg, picture.get(), false);
  const std::string emf = PathOf("drawing.emf");
  mainwin::WriteBytes(emf, std::string(" EMF", 4) + std::string(80, '\0'));
  const std::string broken = PathOf("broken.gif");
  mainwin::WriteBytes(broken, "this is no picture at all");
  const std::string good = MakeBmp("good.bmp", 30, 20, {RGB(0, 128, 255), RGB(255, 128, 0)});
  const std::string last = MakePng("last.png", 30, 20, {RGB(9, 9, 9), RGB(99, 99, 99)});
  RunNew(Fill("0.25", -1, {jpeg, emf, broken, good, last}));

  ASSERT_EQ(ItemCount(), 2);
  EXPECT_EQ(CaptionOf(0), "Frame 1 - good.bmp");
  EXPECT_EQ(CaptionOf(1), "Frame 2 - last.png");
  EXPECT_EQ(FrameCount(), 2);
  EXPECT_EQ(Control(1)->FrameDelay(), 25);
  const std::vector<std::string> texts = BoxTexts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], "photo.jpeg is an unrecognized file type!");
  EXPECT_EQ(texts[1], "drawing.emf is an unrecognized file type!");
  EXPECT_NE(texts[2].find("Error loading"), std::string::npos) << texts[2];
  EXPECT_NE(texts[2].find(broken), std::string::npos) << texts[2];
}

TEST_F(NewWizardMain, CancelLeavesTheEmptiedDocument) {
  OpenThroughDialog(MakeGif("open.gif", 3));
  ASSERT_EQ(FrameCount(), 3);
  ASSERT_TRUE(win->documentOpen);
  RunNew({[this] { ClickButton(d.wiz->btnNext); }, [this] { ClickButton(d.wiz->btnCancel); }});
  EXPECT_EQ(FrameCount(), 0);
  EXPECT_EQ(ItemCount(), 0);
  EXPECT_TRUE(win->fileName.empty());
  EXPECT_NE(win->Caption().find("[UNTITLED]"), std::string::npos);
  EXPECT_FALSE(win->modified);
  EXPECT_TRUE(win->documentOpen) << "the flag keeps the value it had";
  EXPECT_TRUE(win->chkAnimationTrans->Checked());
  EXPECT_TRUE(boxes.empty());
}

// --- The session newwizard_check.py reads ---------------------------------------------

// A 32 x 32 icon of 24-bit colour with an opaque mask, written byte by byte.
void WriteIcon(const std::string& Path, TBitmap* Picture) {
  const Integer w = Picture->Width(), h = Picture->Height();
  const Integer rowXor = (w * 3 + 3) / 4 * 4, rowAnd = (w + 31) / 32 * 4;
  const Cardinal image = 40 + static_cast<Cardinal>((rowXor + rowAnd) * h);
  std::string s;
  auto u16 = [&s](Cardinal v) { s += static_cast<char>(v & 0xFF), s += static_cast<char>((v >> 8) & 0xFF); };
  auto u32 = [&](Cardinal v) { u16(v & 0xFFFF), u16(v >> 16); };
  u16(0), u16(1), u16(1);
  s += static_cast<char>(w), s += static_cast<char>(h), s += '\0', s += '\0';
  u16(1), u16(24), u32(image), u32(22);
  u32(40), u32(static_cast<Cardinal>(w)), u32(static_cast<Cardinal>(h * 2)), u16(1), u16(24), u32(0), u32(0);
  u32(0), u32(0), u32(0), u32(0);
  TBitmap copy;
  copy.Assign(Picture);
  copy.SetPixelFormat(pf24bit);
  for (Integer y = h - 1; y >= 0; --y) {
    const auto* row = static_cast<const char*>(copy.ScanLine(y));
    s.append(row, static_cast<size_t>(w * 3));
    s.append(static_cast<size_t>(rowXor - w * 3), '\0');
  }
  s.append(static_cast<size_t>(rowAnd * h), '\0');
  mainwin::WriteBytes(Path, s);
}

// Five pictures of mixed formats and sizes (a BMP, a three-frame GIF, a larger
// JPEG photo, an icon, a PNG) become an animation of the first picture's size
// (the larger photo trimmed), looping 4 times at 0.35 s a frame; saved once as
// the wizard leaves it (transparent) and once with transparency off.
TEST_F(NewWizardMain, FivePicturesOfMixedFormatsBecomeAnAnimation) {
  const std::string out = GetCurrentDir() + "\\app_newwizard";
  ForceDirectories(out);
  const std::string first = out + "\\first.bmp", anim = out + "\\anim.gif", photo = out + "\\photo.jpg",
                    icon = out + "\\icon.ico", png = out + "\\pic.png", saved = out + "\\saved.gif",
                    transparent = out + "\\transparent.gif";
  DeleteFile(saved);
  DeleteFile(transparent);
  {
    mainwin::Checker(64, 48, {RGB(220, 40, 40), RGB(250, 250, 250), RGB(20, 20, 120)}, 8)->SaveToFile(first);
    std::vector<std::unique_ptr<TBitmap>> frames;
    std::vector<TBitmap*> raw;
    for (Integer i = 0; i < 3; ++i) {
      frames.push_back(mainwin::Checker(64, 48, FrameColors(i), 4 + 2 * i));
      raw.push_back(frames.back().get());
    }
    mainwin::WriteGif(anim, raw, {10, 20, 30}, 0);
    TBitmap gradient;
    gradient.SetPixelFormat(pf24bit);
    gradient.SetSize(80, 60);
    for (Integer y = 0; y < 60; ++y) {
      auto* row = static_cast<Byte*>(gradient.ScanLine(y));
      for (Integer x = 0; x < 80; ++x) {
        row[x * 3] = static_cast<Byte>(40 + 2 * (x + y));
        row[x * 3 + 1] = static_cast<Byte>(4 * y);
        row[x * 3 + 2] = static_cast<Byte>(3 * x);
      }
    }
    mainwin::WriteJpeg(photo, &gradient, false);
    WriteIcon(icon, mainwin::Checker(32, 32, {RGB(0, 160, 80), RGB(255, 220, 0), RGB(90, 0, 90)}, 4).get());
    ASSERT_TRUE(SaveBitmapAsPng(mainwin::Checker(48, 40, {RGB(0, 0, 0), RGB(0, 200, 255)}, 5).get(), png));
  }

  // The photo is larger than the animation: the frame-size question, trimmed.
  TfrmFrameSize* question = nullptr;
  mainwin::TAnswerForm trim("Frame Size Difference", [&](TCustomForm* F) {
    question = dynamic_cast<TfrmFrameSize*>(F);
    if (!question) return;
    ClickRadio(question->optTrim);
    barinput::Settle(60);
    ClickButton(question->btnOk);
  });
  RunNew(Fill("0.35", 4, {first, anim, photo, icon, png}));
  EXPECT_TRUE(trim.Done());
  EXPECT_NE(question, nullptr);
  EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? "" : boxes[0].Text);

  const char* captions[] = {"first.bmp", "anim.gif", "anim.gif", "anim.gif", "photo.jpg", "icon.ico", "pic.png"};
  const char* sizes[] = {"64 x 48", "64 x 48", "64 x 48", "64 x 48", "64 x 48", "32 x 32", "48 x 40"};
  ASSERT_EQ(ItemCount(), 7);
  ASSERT_EQ(FrameCount(), 7);
  for (Integer i = 0; i < 7; ++i) {
    EXPECT_EQ(CaptionOf(i), "Frame " + IntToStr(i + 1) + " - " + captions[i]);
    EXPECT_EQ(SizeOf(i), sizes[i]);
    EXPECT_EQ(Control(i)->FrameDelay(), 35);
  }
  EXPECT_EQ(win->document->Width(), 64);
  EXPECT_EQ(win->document->Height(), 48);
  EXPECT_EQ(win->spinPlayTimes->RoundedValue(), 4);

  // Saved as the wizard left it (kept as a copy), then again with "Use Image
  // Transparency" cleared.
  fileAnswers.push_back({saved});
  Keys({VK_CONTROL}, 'S');
  ASSERT_TRUE(FileExists(saved));
  ASSERT_TRUE(::CopyFileW(Utf8ToWide(saved).c_str(), Utf8ToWide(transparent).c_str(), FALSE));
  ClickControl(win->chkAnimationTrans, 8);
  ASSERT_FALSE(win->chkAnimationTrans->Checked());
  Keys({VK_CONTROL}, 'S');
  EXPECT_FALSE(win->modified);
  EXPECT_NE(mainwin::ReadBytes(saved), mainwin::ReadBytes(transparent));

  FILE* f = std::fopen((out + "\\newwizard_expect.txt").c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fprintf(f, "size 64 48\nloop 4\ndelay 35\n");
  const char* sources[] = {"exact first.bmp", "exact anim.gif[0]", "exact anim.gif[1]", "exact anim.gif[2]",
                           "reduced photo.jpg", "exact icon.ico", "exact pic.png"};
  for (const char* s : sources) std::fprintf(f, "frame %s\n", s);
  std::fclose(f);
}

}  // namespace
