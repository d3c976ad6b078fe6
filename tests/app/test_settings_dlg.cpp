// The frame-size question and the palette defaults: shown dialogs answered by
// real clicks and keys, with the settings they read and write in the registry.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/FrameSizeForm.h"
#include "app/PalettePromptForm.h"
#include "tests/app/dialog_input.h"

namespace {

using dlgtest::GetSetting;
using dlgtest::PutSetting;

class SettingsDlgTest : public ::testing::Test {
 protected:
  void SetUp() override { dlgtest::DeleteSettingsKey(); }
  void TearDown() override { dlgtest::DeleteSettingsKey(); }
};

// --- The frame-size question -----------------------------------------------------

// What the person does in the frame-size dialog.
enum class TSizeAnswer { None, Ok, TrimOk, ChangeOk, DefaultOk, DefaultCancel, Cancel, Escape };

struct TSizeCase {
  const char* Name;
  const char* ClipDefault;  // nullptr: value missing
  const char* ClipFrame;
  bool Forced;
  TSizeAnswer Answer;  // None: no dialog expected
  bool PresetTrim, PresetDefault;
  Integer Result;
  bool Trim;
  const char* StoredDefault;  // "<none>" when nothing may be written
  const char* StoredFrame;
};

const TSizeCase kSizeCases[] = {
    {"stored default, trim, no question", "1", "1", false, TSizeAnswer::None, false, false, 1, true, "1", "1"},
    {"stored default, grow, no question", "1", "0", false, TSizeAnswer::None, false, false, 1, false, "1", "0"},
    {"forced shows the stored answer", "1", "1", true, TSizeAnswer::Ok, true, true, 1, true, "1", "1"},
    {"nothing stored: asks; box ticked, change chosen", nullptr, nullptr, false, TSizeAnswer::DefaultOk, false, false,
     1, false, "1", "0"},
    {"trim chosen, remembered without default", nullptr, nullptr, false, TSizeAnswer::TrimOk, false, false, 1, true,
     "0", "1"},
    {"change chosen over a stored trim", "0", "1", false, TSizeAnswer::ChangeOk, true, false, 1, false, "0", "0"},
    {"cancel stores the box and no trim", "0", "1", false, TSizeAnswer::DefaultCancel, true, false, 2, false, "1",
     "0"},
    {"cancel keeps a stored default box", "1", "1", true, TSizeAnswer::Cancel, true, true, 2, false, "1", "0"},
    {"escape is a cancel", nullptr, nullptr, false, TSizeAnswer::Escape, false, false, 2, false, "0", "0"},
    {"a flag other than 1 is off", "yes", "true", false, TSizeAnswer::Ok, false, false, 1, false, "0", "0"},
};

TEST_F(SettingsDlgTest, FrameSizeChoiceFollowsTheStoredAnswerOrTheDialog) {
  for (const TSizeCase& c : kSizeCases) {
    SCOPED_TRACE(c.Name);
    dlgtest::DeleteSettingsKey();
    if (c.ClipDefault) PutSetting("ClipDefault", c.ClipDefault);
    if (c.ClipFrame) PutSetting("ClipFrame", c.ClipFrame);

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
      case TSizeAnswer::TrimOk:
        steps.push_back([&] { dlgtest::ClickAt(dialog->optTrim, 8, 8); });
        break;
      case TSizeAnswer::ChangeOk:
        steps.push_back([&] { dlgtest::ClickAt(dialog->optChange, 8, 8); });
        break;
      case TSizeAnswer::DefaultOk:
      case TSizeAnswer::DefaultCancel:
        steps.push_back([&] { dlgtest::ClickAt(dialog->optTrim, 8, 8); });
        steps.push_back([&] { dlgtest::ClickAt(dialog->chkDefault, 8, 8); });
        if (c.Answer == TSizeAnswer::DefaultOk) steps.push_back([&] { dlgtest::ClickAt(dialog->optChange, 8, 8); });
        break;
      default:
        break;
    }
    if (c.Answer == TSizeAnswer::Escape)
      steps.push_back([] { barinput::Tap(VK_ESCAPE); });
    else if (c.Answer == TSizeAnswer::Cancel || c.Answer == TSizeAnswer::DefaultCancel)
      steps.push_back([&] { dlgtest::ClickCentre(dialog->btnCancel); });
    else
      steps.push_back([&] { dlgtest::ClickCentre(dialog->btnOk); });

    std::unique_ptr<dlgtest::TInputScript> script;
    if (c.Answer != TSizeAnswer::None) script = std::make_unique<dlgtest::TInputScript>(steps);
    bool trim = !c.Trim;
    const Integer result = ResolveFrameSizeChoice(trim, c.Forced);
    if (script) {
      EXPECT_EQ(script->Error(), "");
    }

    EXPECT_EQ(shown, c.Answer != TSizeAnswer::None);
    if (shown) {
      EXPECT_EQ(presetTrim, c.PresetTrim);
      EXPECT_EQ(presetChange, !c.PresetTrim) << "one of the two answers is always checked";
      EXPECT_EQ(presetDefault, c.PresetDefault);
    }
    EXPECT_EQ(result, c.Result);
    EXPECT_EQ(trim, c.Trim);
    EXPECT_EQ(GetSetting("ClipDefault"), c.StoredDefault);
    EXPECT_EQ(GetSetting("ClipFrame"), c.StoredFrame);
  }
}

TEST_F(SettingsDlgTest, FrameSizeDefaultsAlwaysAskAndKeepTheAnswer) {
  PutSetting("ClipDefault", "1");
  PutSetting("ClipFrame", "0");
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
  EXPECT_EQ(GetSetting("ClipDefault"), "1");
  EXPECT_EQ(GetSetting("ClipFrame"), "1") << "Enter is OK, with the trim answer clicked";

  ASSERT_TRUE(shot);
  testshots::TSheet sheet;
  sheet.Add("Frame Size Difference (trim clicked)", shot.get());
  EXPECT_TRUE(sheet.Save("app_dlg_framesize.png"));
  // The client area is the designed 445 x 113 inside the frame.
  EXPECT_GE(shot->Width(), 445);
  EXPECT_GE(shot->Height(), 113);
}

// --- The palette defaults ----------------------------------------------------------

struct TPromptCase {
  const char* Name;
  std::vector<std::pair<const char*, const char*>> Stored;
  TRzRadioButton* TfrmPalettePrompt::*PaletteOption;
  Integer AnimationIndex;
  bool Nearest;
  Integer ImportIndex;
  bool Default;
};

const TPromptCase kPromptCases[] = {
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
  for (const TPromptCase& c : kPromptCases) {
    SCOPED_TRACE(c.Name);
    dlgtest::DeleteSettingsKey();
    for (auto [name, value] : c.Stored) PutSetting(name, value);
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
void RunPaletteDefaults(std::vector<std::function<void(TfrmPalettePrompt*)>> Steps, std::string& Error) {
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
  RunPaletteDefaults({[](TfrmPalettePrompt* d) { dlgtest::ClickAt(d->optAnimationSelf, 8, 8); },
                      [](TfrmPalettePrompt* d) { dlgtest::ClickAt(d->chkDefault, 8, 8); },
                      [](TfrmPalettePrompt* d) { dlgtest::ClickCentre(d->btnCancel); }},
                     error);
  EXPECT_EQ(error, "");
  for (const char* name : {"PaletteType", "MaxColorCount", "DitherMethod", "MaxImportCount", "PaletteDefaults"})
    EXPECT_EQ(GetSetting(name), "<none>") << name;

  // The import page: 64 colours picked from the list by keys, Floyd-Steinberg
  // and the default box clicked, then OK.
  bool importShown = false;
  RunPaletteDefaults(
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
  EXPECT_EQ(GetSetting("PaletteType"), "2");
  EXPECT_EQ(GetSetting("MaxColorCount"), "256");
  EXPECT_EQ(GetSetting("DitherMethod"), "1");
  EXPECT_EQ(GetSetting("MaxImportCount"), "64");
  EXPECT_EQ(GetSetting("PaletteDefaults"), "1");

  // Opened again, it shows what was stored.
  Integer importIndex = -1;
  bool floyd = false;
  RunPaletteDefaults({[&](TfrmPalettePrompt* d) {
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
