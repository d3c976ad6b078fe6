// Form resources with the buttons, spin edit and combo box: property names of
// older form files are read into today's properties and never written back;
// what a kind or a spin value stands for is stored once.
#include <gtest/gtest.h>

#include <string>

#include "controls/RzButton.h"
#include "controls/RzCmboBx.h"
#include "controls/RzSpnEdt.h"
#include "platform/FormReader.h"
#include "platform/TypInfo.h"
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

namespace {

// The editor's arrangement: one controller with only FrameVisible set serves
// the spin edits and the list combo box.
const char* const kControlledForm = R"(object frmControlled: TForm
  Left = 0
  Top = 0
  Width = 300
  Height = 200
  object ctlFrame: TRzFrameController
    FrameVisible = True
  end
  object spinWidth: TRzSpinEdit
    Left = 8
    Top = 8
    FrameController = ctlFrame
    Max = 10000
    Min = 1
    Value = 1
  end
  object cboDisposal: TRzComboBox
    Left = 8
    Top = 40
    Style = csDropDownList
    Ctl3D = False
    ParentCtl3D = False
    FrameController = ctlFrame
    Items.Strings = (
      'None'
      'Previous')
    ItemIndex = 0
  end
end
)";

TEST(ControlsInputForm, FrameControllerSuppliesTheLookWhichIsNotStoredWithTheControls) {
  RegisterRzCommonClasses();
  RegisterRzSpinEditClasses();
  RegisterRzComboBoxClasses();
  auto* form = new TForm(nullptr);
  ReadComponentFromText(kControlledForm, form);
  auto* ctl = dynamic_cast<TRzFrameController*>(form->FindComponent("ctlFrame"));
  auto* spin = dynamic_cast<TRzSpinEdit*>(form->FindComponent("spinWidth"));
  auto* cbo = dynamic_cast<TRzComboBox*>(form->FindComponent("cboDisposal"));
  ASSERT_TRUE(ctl && spin && cbo);
  for (TObject* c : {static_cast<TObject*>(spin), static_cast<TObject*>(cbo)}) {
    SCOPED_TRACE(c->ClassName());
    EXPECT_TRUE(GetOrdProp(c, "FrameVisible"));
    EXPECT_TRUE(GetOrdProp(c, "FlatButtons")) << "the controller's buttons are flat";
  }
  EXPECT_TRUE(spin->FrameVisible());
  EXPECT_EQ(spin->Text(), "1");

  // A colour set on the controller reaches both controls, focus colour too
  // where it followed the colour.
  ctl->SetColor(clInfoBk);
  EXPECT_EQ(spin->Color(), clInfoBk);
  EXPECT_EQ(cbo->FocusColor(), clInfoBk);

  std::string written = WriteComponentToText(form);
  size_t spinAt = written.find("object spinWidth");
  ASSERT_NE(spinAt, std::string::npos);
  std::string controls = written.substr(spinAt);
  EXPECT_NE(controls.find("FrameController = ctlFrame"), std::string::npos) << controls;
  for (const char* supplied : {"FrameVisible", "FlatButtons", " Color = ", "FocusColor"})
    EXPECT_EQ(controls.find(supplied), std::string::npos) << supplied << " in\n" << controls;

  auto* copy = new TForm(nullptr);
  ReadComponentFromText(written, copy);
  EXPECT_EQ(WriteComponentToText(copy), written);
  // The controller going away leaves the controls with their look and no reference.
  delete ctl;
  EXPECT_EQ(spin->FrameController(), nullptr);
  EXPECT_EQ(cbo->FrameController(), nullptr);
  delete copy;
  delete form;
}

}  // namespace
