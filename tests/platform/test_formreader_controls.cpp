// A real form with controls read from its text form, and written back.
#include <gtest/gtest.h>

#include "platform/Controls.h"
#include "platform/FormReader.h"
#include "platform/Forms.h"
#include "platform/Timer.h"
#include "platform/TypInfo.h"

namespace {

class TfrmSample : public TForm {
 public:
  T_CLASSNAME(TfrmSample)
  using TForm::TForm;
  TTimer* tmrTick = nullptr;
  TCustomControl* pnlTop = nullptr;
  TGraphicControl* imgBox = nullptr;
  TWinControl* pnlClient = nullptr;
  std::vector<std::string> calls;
  void FormCreate(TObject*) { calls.push_back("FormCreate"); }
  void tmrTickTimer(TObject*) { calls.push_back("tmrTickTimer"); }
  void imgBoxClick(TObject* Sender) { calls.push_back("imgBoxClick " + static_cast<TComponent*>(Sender)->Name()); }
  void FormCloseQuery(TObject*, bool& CanClose) { CanClose = false; }
};

const bool formreaderControlsClassesRegistered = [] {
  RegisterClassInfo<TfrmSample, TForm>("TfrmSample");
  RegisterHandlers<TfrmSample>({{"FormCreate", &TfrmSample::FormCreate},
                                {"tmrTickTimer", &TfrmSample::tmrTickTimer},
                                {"imgBoxClick", &TfrmSample::imgBoxClick},
                                {"FormCloseQuery", &TfrmSample::FormCloseQuery}});
  RegisterFields<TfrmSample>({{"tmrTick", &TfrmSample::tmrTick},
                              {"pnlTop", &TfrmSample::pnlTop},
                              {"imgBox", &TfrmSample::imgBox},
                              {"pnlClient", &TfrmSample::pnlClient}});
  return true;
}();

const char* const kSampleForm =
    "object frmSample: TfrmSample\n"
    "  Left = 10\n"
    "  Top = 20\n"
    "  Caption = 'Sample'\n"
    "  ClientHeight = 200\n"
    "  ClientWidth = 300\n"
    "  Color = clBtnFace\n"
    "  Font.Height = -11\n"
    "  Font.Name = 'Tahoma'\n"
    "  Font.Style = [fsBold]\n"
    "  KeyPreview = True\n"
    "  Position = poScreenCenter\n"
    "  OnCreate = FormCreate\n"
    "  OnCloseQuery = FormCloseQuery\n"
    "  object tmrTick: TTimer\n"
    "    Enabled = False\n"
    "    Interval = 250\n"
    "    OnTimer = tmrTickTimer\n"
    "  end\n"
    "  object pnlTop: TCustomControl\n"
    "    Height = 40\n"
    "    Align = alTop\n"
    "    TabOrder = 0\n"
    "    Color = clRed\n"
    "    object imgBox: TGraphicControl\n"
    "      Left = 8\n"
    "      Top = 4\n"
    "      Width = 50\n"
    "      Height = 20\n"
    "      Anchors = [akTop, akRight]\n"
    "      Hint = 'Box'#13#10'tip'\n"
    "      ShowHint = True\n"
    "      OnClick = imgBoxClick\n"
    "    end\n"
    "  end\n"
    "  object pnlClient: TWinControl\n"
    "    Align = alClient\n"
    "    TabOrder = 1\n"
    "  end\n"
    "end\n";

}  // namespace

TEST(FormReaderControls, FormWithNestedControlsComponentsAndEvents) {
  TfrmSample form(nullptr);
  ReadComponentFromText(kSampleForm, &form);

  EXPECT_EQ(form.Name(), "frmSample");
  EXPECT_EQ(form.Caption(), "Sample");
  EXPECT_EQ(form.ClientWidth(), 300);
  EXPECT_EQ(form.ClientHeight(), 200);
  EXPECT_EQ(form.Color(), clBtnFace);
  EXPECT_TRUE(form.KeyPreview());
  EXPECT_EQ(form.Position(), poScreenCenter);
  EXPECT_EQ(form.Font()->Style(), TFontStyles{fsBold});

  ASSERT_NE(form.tmrTick, nullptr);
  ASSERT_NE(form.pnlTop, nullptr);
  ASSERT_NE(form.imgBox, nullptr);
  ASSERT_NE(form.pnlClient, nullptr);
  EXPECT_EQ(form.tmrTick->Owner(), &form);
  EXPECT_EQ(form.imgBox->Owner(), &form);
  EXPECT_EQ(form.tmrTick->Interval(), 250u);
  EXPECT_FALSE(form.tmrTick->Enabled());

  // Controls are placed in the control whose block encloses theirs.
  EXPECT_EQ(form.pnlTop->Parent(), &form);
  EXPECT_EQ(form.imgBox->Parent(), form.pnlTop);
  EXPECT_EQ(form.pnlClient->Parent(), &form);

  // Alignment applies once loading is over.
  EXPECT_EQ(form.pnlTop->BoundsRect(), Rect(0, 0, 300, 40));
  EXPECT_EQ(form.pnlClient->BoundsRect(), Rect(0, 40, 300, 200));
  EXPECT_EQ(form.pnlTop->Color(), clRed);
  EXPECT_FALSE(form.pnlTop->ParentColor());
  EXPECT_EQ(form.imgBox->Anchors(), (TAnchors{akTop, akRight}));
  EXPECT_EQ(form.imgBox->Hint(), "Box\r\ntip");
  EXPECT_TRUE(form.imgBox->ShowHint());
  EXPECT_EQ(form.pnlClient->TabOrder(), 1);

  form.imgBox->OnClick(form.imgBox);
  form.tmrTick->OnTimer(form.tmrTick);
  form.OnCreate(&form);
  bool canClose = true;
  form.OnCloseQuery(&form, canClose);
  EXPECT_FALSE(canClose);
  EXPECT_EQ(form.calls, (std::vector<std::string>{"imgBoxClick imgBox", "tmrTickTimer", "FormCreate"}));
}

TEST(FormReaderControls, WrittenFormReadsBackUnchanged) {
  TfrmSample form(nullptr);
  ReadComponentFromText(kSampleForm, &form);
  std::string once = WriteComponentToText(&form);

  TfrmSample copy(nullptr);
  ReadComponentFromText(once, &copy);
  std::string twice = WriteComponentToText(&copy);
  EXPECT_EQ(once, twice);

  // The tree keeps its shape: the timer at the form, the box inside the panel.
  TFormObject tree = ParseFormText(once);
  ASSERT_EQ(tree.Children.size(), 3u) << once;
  EXPECT_EQ(tree.Children[0].Name, "tmrTick");
  EXPECT_EQ(tree.Children[1].Name, "pnlTop");
  ASSERT_EQ(tree.Children[1].Children.size(), 1u);
  EXPECT_EQ(tree.Children[1].Children[0].ClassName, "TGraphicControl");
  EXPECT_NE(once.find("OnClick = imgBoxClick"), std::string::npos);
  EXPECT_NE(once.find("Anchors = [akTop, akRight]"), std::string::npos);
  EXPECT_NE(once.find("Color = clRed"), std::string::npos);
  EXPECT_EQ(copy.imgBox->Parent(), copy.pnlTop);
  EXPECT_EQ(copy.pnlClient->BoundsRect(), form.pnlClient->BoundsRect());
}
