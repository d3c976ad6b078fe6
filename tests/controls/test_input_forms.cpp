// Form resources with the buttons, spin edit and combo box: property names of
// older form files are read into today's properties and never written back;
// what a kind or a spin value stands for is stored once.
#include <gtest/gtest.h>

#include <string>

#include "controls/RzButton.h"
#include "controls/RzCmboBx.h"
#include "controls/RzSpnEdt.h"
#include "platform/FormReader.h"
#include "platform/Forms.h"

namespace {

const char* const kOldForm = R"(object frmInputs: TForm
  Left = 0
  Top = 0
  Width = 300
  Height = 200
  object btnOld: TRzButton
    Left = 8
    Top = 8
    Caption = 'Old'
    FrameFlat = True
  end
  object btnOk: TRzBitBtn
    Left = 100
    Top = 8
    Caption = 'Go'
    Kind = bkOK
  end
  object spinDelay: TRzSpinEdit
    Left = 8
    Top = 40
    FlatButtonParentColor = True
    FrameSides = [sdLeft, sdTop]
    FrameFlat = True
    FrameFocusStyle = fsButtonDown
    FrameFlatStyle = fsFlat
    Decimals = 2
    IntegersOnly = False
    Max = 10000
    Value = 12.5
  end
  object spinOff: TRzSpinEdit
    Left = 8
    Top = 70
    Color = clYellow
    Enabled = False
  end
  object cboDisposal: TRzComboBox
    Left = 8
    Top = 100
    Style = csDropDownList
    FrameFlat = True
    FrameFocusStyle = fsRaised
    FrameFlatStyle = fsGroove
    Items.Strings = (
      'None'
      'Previous')
    ItemIndex = 1
  end
end
)";

TEST(ControlsInputForm, OldNamesAreReadAndOnlyNewNamesWritten) {
  RegisterRzButtonClasses();
  RegisterRzSpinEditClasses();
  RegisterRzComboBoxClasses();
  auto* form = new TForm(nullptr);
  ReadComponentFromText(kOldForm, form);
  auto* btn = dynamic_cast<TRzButton*>(form->FindComponent("btnOld"));
  auto* ok = dynamic_cast<TRzBitBtn*>(form->FindComponent("btnOk"));
  auto* spin = dynamic_cast<TRzSpinEdit*>(form->FindComponent("spinDelay"));
  auto* off = dynamic_cast<TRzSpinEdit*>(form->FindComponent("spinOff"));
  auto* cbo = dynamic_cast<TRzComboBox*>(form->FindComponent("cboDisposal"));
  ASSERT_TRUE(btn && ok && spin && off && cbo);

  EXPECT_TRUE(btn->HotTrack()) << "FrameFlat was the hot-track look";
  EXPECT_EQ(ok->Caption(), "Go") << "a kind read from a file keeps the file's caption";
  EXPECT_EQ(ok->Kind(), bkOK);
  EXPECT_TRUE(ok->Default());
  EXPECT_TRUE(spin->FrameHotTrack());
  EXPECT_TRUE(spin->FrameVisible()) << "the flat frame an old file meant";
  EXPECT_EQ(spin->FrameStyle(), fsStatus);
  EXPECT_EQ(spin->FrameHotStyle(), fsButtonDown);
  EXPECT_EQ(spin->FrameSides(), (TSides{sdLeft, sdTop})) << "hot tracking read from a file keeps the sides";
  EXPECT_EQ(spin->Text(), "12.50");
  EXPECT_EQ(cbo->FrameHotStyle(), fsRaised);
  EXPECT_TRUE(cbo->FrameHotTrack());
  EXPECT_EQ(cbo->ItemIndex(), 1);
  EXPECT_EQ(off->Color(), clBtnFace) << "a disabled spin edit shows its disabled colour";

  std::string written = WriteComponentToText(form);
  for (const char* old : {"FrameFlat ", "FrameFocusStyle", "FrameFlatStyle", "FlatButtonParentColor"})
    EXPECT_EQ(written.find(old), std::string::npos) << old << " in\n" << written;
  for (const char* now : {"HotTrack = True", "FrameHotTrack = True", "FrameHotStyle = fsButtonDown",
                          "FrameHotStyle = fsRaised", "FrameStyle = fsStatus", "Value = 12.5"})
    EXPECT_NE(written.find(now), std::string::npos) << now << " in\n" << written;
  EXPECT_EQ(written.find("TRzSpinButtons"), std::string::npos) << "the spin buttons are part of the edit";
  EXPECT_NE(written.find("Color = clYellow"), std::string::npos) << "a disabled edit keeps its own colour";
  EXPECT_EQ(written.find("FocusColor"), std::string::npos);
  EXPECT_EQ(written.find("'OK'"), std::string::npos);

  auto* copy = new TForm(nullptr);
  ReadComponentFromText(written, copy);
  EXPECT_EQ(WriteComponentToText(copy), written);

  // At run time, turning hot tracking on gives the frame all four sides.
  spin->SetFrameHotTrack(false);
  spin->SetFrameHotTrack(true);
  EXPECT_EQ(spin->FrameSides(), sdAllSides);
  delete copy;
  delete form;
}

}  // namespace
