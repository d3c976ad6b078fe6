// The image library's components in form files: read by name, written back.
#include <gtest/gtest.h>

#include <string>

#include "imaging/buffer/ruzozadproc_component.h"
#include "imaging/formats/ruzozadio.h"
#include "imaging/views/ieview.h"
#include "imaging/views/imaging_classes.h"
#include "imaging/views/ruzozadmview.h"
#include "platform/ExtCtrls.h"
#include "platform/FormReader.h"
#include "platform/Forms.h"
#include "platform/TypInfo.h"

namespace {

class TfrmImaging : public TForm {
 public:
  T_CLASSNAME(TfrmImaging)
  using TForm::TForm;
};

const char* const kForm = R"(object frmImaging: TfrmImaging
  Left = 0
  Top = 0
  Width = 200
  Height = 120
  object View: TIEView
    Left = 0
    Top = 0
    Width = 100
    Height = 80
    Background = clWhite
    BorderStyle = bsNone
  end
  object Proc: TRuzozAdProc
    AutoUndo = False
    AttachedRuzozAd = View
    MsgLanguage = msGerman
    PreviewsParams = [prppDefaultLockPreview]
    PreviewFont.Name = 'Arial'
    UndoLimit = 5
  end
  object IO: TRuzozAdIO
    AttachedRuzozAd = View
    PreviewsParams = [ioppApplyButton]
    SimplifiedParamsDialogs = False
    StreamHeaders = True
    DialogsMeasureUnit = ieduCm
    AutoAdjustDPI = True
    FilteredAdjustDPI = True
  end
  object Thumbs: TRuzozAdMView
    Left = 100
    Top = 0
    Width = 100
    Height = 80
    TransitionEffect = iettCenterZoom2
    TransitionDuration = 250
  end
end
)";

void Register() {
  RegisterImagingClasses();
  RegisterImagingClasses();  // a second call must not enter the properties twice
  static bool done = false;
  if (!done) RegisterClassInfo<TfrmImaging, TForm>("TfrmImaging");
  done = true;
}

}  // namespace

TEST(ImagingClasses, FormWithViewAndProcessingComponentReadsAndWritesBack) {
  Register();
  auto* form = new TfrmImaging(nullptr);
  ReadComponentFromText(kForm, form);

  auto* view = dynamic_cast<TIEView*>(form->FindComponent("View"));
  auto* proc = dynamic_cast<TRuzozAdProc*>(form->FindComponent("Proc"));
  ASSERT_NE(view, nullptr);
  ASSERT_NE(proc, nullptr);
  EXPECT_EQ(view->Background(), clWhite);
  EXPECT_EQ(view->BorderStyle(), bsNone);
  EXPECT_FALSE(proc->AutoUndo());
  EXPECT_EQ(proc->AttachedRuzozAd(), view);
  EXPECT_EQ(proc->MsgLanguage(), msGerman);
  EXPECT_TRUE(proc->PreviewsParams().Contains(prppDefaultLockPreview));
  EXPECT_EQ(proc->PreviewFont()->Name(), "Arial");
  EXPECT_EQ(proc->UndoLimit(), 5);
  auto* io = dynamic_cast<TRuzozAdIO*>(form->FindComponent("IO"));
  ASSERT_NE(io, nullptr);
  EXPECT_EQ(io->AttachedRuzozAd(), view);
  EXPECT_EQ(io->PreviewsParams, TIOPreviewsParams(1u << ioppApplyButton));
  EXPECT_FALSE(io->SimplifiedParamsDialogs);
  EXPECT_TRUE(io->StreamHeaders);
  EXPECT_EQ(io->DialogsMeasureUnit, ieduCm);
  EXPECT_TRUE(io->AutoAdjustDPI);
  EXPECT_TRUE(io->FilteredAdjustDPI);
  EXPECT_EQ(io->MsgLanguage, msSystem);
  auto* thumbs = dynamic_cast<TRuzozAdMView*>(form->FindComponent("Thumbs"));
  ASSERT_NE(thumbs, nullptr);
  EXPECT_EQ(thumbs->TransitionEffect(), iettCenterZoom2);
  EXPECT_EQ(thumbs->TransitionDuration(), 250);

  const std::string once = WriteComponentToText(form);
  EXPECT_EQ(once.find("Ctl3D"), std::string::npos) << "defaults are not written\n" << once;
  EXPECT_NE(once.find("AttachedRuzozAd = View"), std::string::npos) << once;
  // The property appears once even though registration ran twice.
  EXPECT_EQ(once.find("UndoLimit"), once.rfind("UndoLimit")) << once;

  auto* copy = new TfrmImaging(nullptr);
  ReadComponentFromText(once, copy);
  EXPECT_EQ(WriteComponentToText(copy), once);
  delete copy;
  delete form;
}
