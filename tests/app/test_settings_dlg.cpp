// The frame-size question and the palette defaults: shown dialogs answered by
// real clicks and keys, with the settings they read and write in the registry.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/FrameSizeForm.h"
#include "app/PalettePromptForm.h"
#include "tests/app/dialog_input.h"

namespace {

class SettingsDlgTest : public ::testing::Test {
 protected:
  void SetUp() override { dlgtest::DeleteSettingsKey(); }
  void TearDown() override { dlgtest::DeleteSettingsKey(); }
};

// --- The frame-size question -----------------------------------------------------

// What the person does in the frame-size dialog.
enum class TFrameSizeAnswer { None, Ok, TrimOk, ChangeOk, DefaultOk, DefaultCancel, Cancel, Escape };

struct TFrameSizeCase {
  const char* Name;
  const char* ClipDefault;  // nullptr: value missing
  const char* ClipFrame;
  bool Forced;
  TFrameSizeAnswer Answer;  // None: no dialog expected
  bool PresetTrim, PresetDefault;
  Integer Result;
  bool Trim;
  const char* StoredDefault;  // "<none>" when nothing may be written
  const char* StoredFrame;
};

const TFrameSizeCase kFrameSizeCases[] = {
    {"stored default, trim, no question", "1", "1", false, TFrameSizeAnswer::None, false, false, 1, true, "1", "1"},
    {"stored default, grow, no question", "1", "0", false, TFrameSizeAnswer::None, false, false, 1, false, "1", "0"},
    {"forced shows the stored answer", "1", "1", true, TFrameSizeAnswer::Ok, true, true, 1, true, "1", "1"},
    {"nothing stored: asks; box ticked, change chosen", nullptr, nullptr, false, TFrameSizeAnswer::DefaultOk, false, false,
     1, false, "1", "0"},
    {"trim chosen, remembered without default", nullptr, nullptr, false, TFrameSizeAnswer::TrimOk, false, false, 1, true,
     "0", "1"},
    {"change chosen over a stored trim", "0", "1", false, TFrameSizeAnswer::ChangeOk, true, false, 1, false, "0", "0"},
    {"cancel stores the box and no trim", "0", "1", false, TFrameSizeAnswer::DefaultCancel, true, false, 2, false, "1",
     "0"},
    {"cancel keeps a stored default box", "1", "1", true, TFrameSizeAnswer::Cancel, true, true, 2, false, "1", "0"},
    {"escape is a cancel", nullptr, nullptr, false, TFrameSizeAnswer::Escape, false, false, 2, false, "0", "0"},
    {"a flag other than 1 is off", "yes", "true", false, TFrameSizeAnswer::Ok, false, false, 1, false, "0", "0"},
};

TEST_F(SettingsDlgTest, FrameSizeChoiceFollowsTheStoredAnswerOrTheDialog) {
  for (const TFrameSizeCase& c : kFrameSizeCases) {
    SCOPED_TRACE(c.Name);
    dlgtest::DeleteSettingsKey();
    if (c.ClipDefault) dlgtest::PutSetting("ClipDefault", c.ClipDefault);
    if (c.ClipFrame) dlgtest::PutSetting("ClipFrame", c.ClipFrame);

    bool shown = false, presetTrim = false, presetChange = false, presetDefault = false;
    TfrmFrameSize* dialog = nullptr;
    auto find = [&] {
      dialog = dlgtest::ShowingForm<TfrmFrameSize>();
      if (!dialog) throw std::runtime_error("no frame-size dialog");
      shown = true;
      presetTrim = dialog->optTrim->Checked();
      presetChange = dialog->optChange->Checked();
      presetDefault = dialog->chkDefault->Checked();
    };
    std::vector<std::function<void()>> steps{find};
    switch (c.Answer) {
      case TFrameSizeAnswer::TrimOk:
        steps.push_back([&] { dlgtest::ClickAt(dialog->optTrim, 8, 8); });
        break;
      case TFrameSizeAnswer::ChangeOk:
        steps.push_back([&] { dlgtest::ClickAt(dialog->optChange, 8, 8); });
        break;
      case TFrameSizeAnswer::DefaultOk:
      case TFrameSizeAnswer::DefaultCancel:
        steps.push_back([&] { dlgtest::ClickAt(dialog->optTrim, 8, 8); });
        steps.push_back([&] { dlgtest::ClickAt(dialog->chkDefault, 8, 8); });
        if (c.Answer == TFrameSizeAnswer::DefaultOk) steps.push_back([&] { dlgtest::ClickAt(dialog->optChange, 8, 8); });
        break;
      default:
        break;
    }
    if (c.Answer == TFrameSizeAnswer::Escape)
      steps.push_back([] { barinput::Tap(VK_ESCAPE); });
    else if (c.Answer == TFrameSizeAnswer::Cancel || c.Answer == TFrameSizeAnswer::DefaultCancel)
      steps.push_back([&] { dlgtest::ClickCentre(dialog->btnCancel); });
    else
      steps.push_back([&] { dlgtest::ClickCentre(dialog->btnOk); });

    std::unique_ptr<dlgtest::TInputScript> script;
    if (c.Answer != TFrameSizeAnswer::None) script = std::make_unique<dlgtest::TInputScript>(steps);
    bool trim = !c.Trim;
    const Integer result = ResolveFrameSizeChoice(trim, c.Forced);
    if (script) {
      EXPECT_EQ(script->Error(), "");
    }

    EXPECT_EQ(shown, c.Answer != TFrameSizeAnswer::None);
    if (shown) {
      EXPECT_EQ(presetTrim, c.PresetTrim);
      EXPECT_EQ(presetChange, !c.PresetTrim) << "one of the two answers is always checked";
      EXPECT_EQ(presetDefault, c.PresetDefault);
    }
    EXPECT_EQ(result, c.Result);
    EXPECT_EQ(trim, c.Trim);
    EXPECT_EQ(dlgtest::GetSetting("ClipDefault"), c.StoredDefault);
    EXPECT_EQ(dlgtest::GetSetting("ClipFrame"), c.StoredFrame);
  }
}

TEST_F(SettingsDlgTest, FrameSizeDefaultsAlwaysAskAndKeepTheAnswer) {
  dlgtest::PutSetting("ClipDefault", "1");
  dlgtest::PutSetting("ClipFrame", "0");
  TfrmFrameSize* dialog = nullptr;
  bool preset = true;
  std::unique_ptr<TBitmap> shot;
  dlgtest::TInputScript script({
      [&] {
        dialog = dlgtest::ShowingForm<TfrmFrameSize>();
        if (!dialog) throw std::runtime_error("no frame-size dialog");
        preset = dialog->optTrim->Checked();
      },
      [&] { dlgtest::ClickAt(dialog->optTrim, 8, 8); },
      [&] { shot = dlgtest::FormShot(dialog); },
      [&] { barinput::Tap(VK_RETURN); },
  });
  ShowFrameSizeDefaults();
  EXPECT_EQ(script.Error(), "");
  EXPECT_FALSE(preset);
  EXPECT_EQ(dlgtest::GetSetting("ClipDefault"), "1");
  EXPECT_EQ(dlgtest::GetSetting("ClipFrame"), "1") << "Enter is OK, with the trim answer clicked";

  ASSERT_TRUE(shot);
  testshots::TSheet sheet;
  sheet.Add("Frame Size Difference (trim clicked)", shot.get());
  EXPECT_TRUE(sheet.Save("app_dlg_framesize.png"));
  // The client area is the designed 445 x 113 inside the frame.
  EXPECT_GE(shot->Width(), 445);
  EXPECT_GE(shot->Height(), 113);
}

// --- The palette defaults ----------------------------------------------------------

struct TPalettePromptCase {
  const char* Name;
  std::vector<std::pair<const char*, const char*>> Stored;
  TRzRadioButton* TfrmPalettePrompt::*PaletteOption;
  Integer AnimationIndex;
  bool Nearest;
  Integer ImportIndex;
  bool Default;
};

const TPalettePromptCase kPalettePromptCases[] = {
    {"nothing stored", {}, &TfrmPalettePrompt::optAnimationLocal, 0, true, 0, false},
    {"self-adapting, 128, Floyd, 16, default",
     {{"PaletteType", "0"}, {"MaxColorCount", "128"}, {"DitherMethod", "1"}, {"MaxImportCount", "16"},
      {"PaletteDefaults", "1"}},
     &TfrmPalettePrompt::optAnimationSelf, 1, false, 4, true},
    {"web cube, 8 colours, 64 import",
     {{"PaletteType", "1"}, {"MaxColorCount", "8"}, {"MaxImportCount", "64"}},
     &TfrmPalettePrompt::optAnimationNS, 5, true, 2, false},
    {"values out of the lists leave the form's choice",
     {{"PaletteType", "7"}, {"MaxColorCount", "100"}, {"DitherMethod", "5"}, {"MaxImportCount", "0"}},
     &TfrmPalettePrompt::optAnimationLocal, 0, false, 0, false},
    {"text that is no number gives the defaults",
     {{"PaletteType", "x"}, {"MaxColorCount", "many"}, {"DitherMethod", ""}, {"PaletteDefaults", "yes"}},
     &TfrmPalettePrompt::optAnimationLocal, 0, true, 0, false},
};

TEST_F(SettingsDlgTest, PaletteDialogOpensWithTheStoredValues) {
  for (const TPalettePromptCase& c : kPalettePromptCases) {
    SCOPED_TRACE(c.Name);
    dlgtest::DeleteSettingsKey();
    for (auto [name, value] : c.Stored) dlgtest::PutSetting(name, value);
    std::unique_ptr<TfrmPalettePrompt> dialog(CreateForm<TfrmPalettePrompt>(nullptr));
    TRzRadioButton* options[] = {dialog->optAnimationSelf, dialog->optAnimationNS, dialog->optAnimationLocal};
    for (TRzRadioButton* o : options) EXPECT_EQ(o->Checked(), o == dialog.get()->*c.PaletteOption) << o->Name();
    EXPECT_EQ(dialog->cboMaxColorsAnimation->ItemIndex(), c.AnimationIndex);
    EXPECT_EQ(dialog->optDitherNearest->Checked(), c.Nearest);
    EXPECT_EQ(dialog->optDitherFloyd->Checked(), !c.Nearest);
    EXPECT_EQ(dialog->cboMaxColorsDither->ItemIndex(), c.ImportIndex);
    EXPECT_EQ(dialog->chkDefault->Checked(), c.Default);
    EXPECT_TRUE(dlgtest::SettingsKeyExists()) << "opening the dialog makes the key";
  }
}

// Opens the palette dialog through the editor's entry point and runs Steps in it.
void RunPaletteDefaultsDialog(std::vector<std::function<void(TfrmPalettePrompt*)>> Steps, std::string& Error) {
  TfrmPalettePrompt* dialog = nullptr;
  std::vector<std::function<void()>> steps{[&] {
    dialog = dlgtest::ShowingForm<TfrmPalettePrompt>();
    if (!dialog) throw std::runtime_error("no palette dialog");
  }};
  for (auto& s : Steps) steps.push_back([&dialog, s] { s(dialog); });
  dlgtest::TInputScript script(steps);
  ShowPaletteDefaults();
  Error = script.Error();
}

TEST_F(SettingsDlgTest, PaletteDialogStoresWhatIsChosenOnOkOnly) {
  std::string error;
  testshots::TSheet sheet;
  // Cancel after changes: nothing is stored.
  RunPaletteDefaultsDialog({[](TfrmPalettePrompt* d) { dlgtest::ClickAt(d->optAnimationSelf, 8, 8); },
                      [](TfrmPalettePrompt* d) { dlgtest::ClickAt(d->chkDefault, 8, 8); },
                      [](TfrmPalettePrompt* d) { dlgtest::ClickCentre(d->btnCancel); }},
                     error);
  EXPECT_EQ(error, "");
  for (const char* name : {"PaletteType", "MaxColorCount", "DitherMethod", "MaxImportCount", "PaletteDefaults"})
    EXPECT_EQ(dlgtest::GetSetting(name), "<none>") << name;

  // The import page: 64 colours picked from the list by keys, Floyd-Steinberg
  // and the default box clicked, then OK.
  bool importShown = false;
  RunPaletteDefaultsDialog(
      {[&](TfrmPalettePrompt* d) { sheet.Add("Palettes: animation page", dlgtest::FormShot(d).get()); },
       [](TfrmPalettePrompt* d) {
         // The second tab lies right of the first one's caption.
         dlgtest::ClickAt(d->pgcPalettes, 180, 10);
       },
       [&](TfrmPalettePrompt* d) { importShown = d->pgcPalettes->ActivePage() == d->tabImport; },
       [](TfrmPalettePrompt* d) { dlgtest::ClickAt(d->optDitherFloyd, 8, 8); },
       [](TfrmPalettePrompt* d) { dlgtest::ClickAt(d->cboMaxColorsDither, 10, 10); },
       [](TfrmPalettePrompt*) { barinput::Tap(VK_DOWN); },
       [](TfrmPalettePrompt*) { barinput::Tap(VK_DOWN); },
       [](TfrmPalettePrompt*) { barinput::Tap(VK_RETURN); },
       [](TfrmPalettePrompt* d) { dlgtest::ClickAt(d->chkDefault, 8, 8); },
       [&](TfrmPalettePrompt* d) { sheet.Add("Palettes: import page, 64 colours", dlgtest::FormShot(d).get()); },
       [](TfrmPalettePrompt* d) { dlgtest::ClickCentre(d->btnOk); }},
      error);
  EXPECT_EQ(error, "");
  EXPECT_TRUE(importShown);
  EXPECT_EQ(dlgtest::GetSetting("PaletteType"), "2");
  EXPECT_EQ(dlgtest::GetSetting("MaxColorCount"), "256");
  EXPECT_EQ(dlgtest::GetSetting("DitherMethod"), "1");
  EXPECT_EQ(dlgtest::GetSetting("MaxImportCount"), "64");
  EXPECT_EQ(dlgtest::GetSetting("PaletteDefaults"), "1");

  // Opened again, it shows what was stored.
  Integer importIndex = -1;
  bool floyd = false;
  RunPaletteDefaultsDialog({[&](TfrmPalettePrompt* d) {
                        importIndex = d->cboMaxColorsDither->ItemIndex();
                        floyd = d->optDitherFloyd->Checked();
                      },
                      [](TfrmPalettePrompt*) { barinput::Tap(VK_ESCAPE); }},
                     error);
  EXPECT_EQ(error, "");
  EXPECT_EQ(importIndex, 2);
  EXPECT_TRUE(floyd);
  EXPECT_TRUE(sheet.Save("app_dlg_palettes.png"));
}

}  // namespace
