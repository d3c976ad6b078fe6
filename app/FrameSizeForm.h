// The "Frame Size Difference" question: what to do with an inserted picture
// that is larger than the animation (trim it, or grow the animation), with a
// box that makes the answer the default. The answer is kept in the editor's
// settings ("ClipDefault", "ClipFrame").
#pragma once

#include "controls/RzButton.h"
#include "controls/RzRadChk.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"

class TfrmFrameSize : public TForm {
 public:
  T_CLASSNAME(TfrmFrameSize)
  explicit TfrmFrameSize(TComponent* AOwner);

  // Components (from resources/TfrmFrameSize.dfm).
  TLabel* Label1 = nullptr;
  TRzRadioButton* optTrim = nullptr;
  TRzRadioButton* optChange = nullptr;
  TRzCheckBox* chkDefault = nullptr;
  TRzButton* btnOk = nullptr;
  TRzButton* btnCancel = nullptr;
};

// Decides how a larger picture is fitted: with a stored default answer and
// Forced false, Trim takes the stored answer and the result is 1 without a
// question; otherwise the dialog asks (preset with the stored answer and
// default flag) and both are stored again, also after Cancel (then Trim is
// false). Result: 1 (OK, or the stored default) or 2 (Cancel).
Integer ResolveFrameSizeChoice(bool& Trim, bool Forced);
// "Frame Size Defaults...": always asks.
void ShowFrameSizeDefaults();
