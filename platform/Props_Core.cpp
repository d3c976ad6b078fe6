// Published properties added to classes entered elsewhere: the 3-D look of
// the controls that publish it, auto-size of panels and forms, and the
// form's border width.
#include "platform/ComCtrls.h"
#include "platform/ExtCtrls.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"
#include "platform/TypInfo.h"

namespace {

// The table of a class already entered (its parent stays as entered).
template <class C>
TClassBuilder<C> MoreProps(const char* Name) {
  return TClassBuilder<C>(RegisterClassInfoRaw(typeid(C), std::nullopt, Name));
}

template <class C>
void AddCtl3D(TClassBuilder<C> b, bool WithParentCtl3D = true) {
  // Written whenever it does not follow the parent, whatever its value.
  b.Bool("Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D)
      .Stored([](C* c) { return !c->ParentCtl3D(); });
  if (WithParentCtl3D) b.Bool("ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D, true);
}

}  // namespace

void RegisterCoreProps() {
  AddCtl3D(MoreProps<TCustomEdit>("TCustomEdit"));
  AddCtl3D(MoreProps<TCustomListBox>("TCustomListBox"));
  AddCtl3D(MoreProps<TCustomComboBox>("TCustomComboBox"));
  AddCtl3D(MoreProps<TCustomCheckBox>("TCustomCheckBox"));
  AddCtl3D(MoreProps<TRadioButton>("TRadioButton"));
  AddCtl3D(MoreProps<TCustomGroupBox>("TCustomGroupBox"));
  auto panel = MoreProps<TCustomPanel>("TCustomPanel");
  AddCtl3D(panel);
  panel.Bool("AutoSize", &TControl::AutoSize, &TControl::SetAutoSize, false);
  AddCtl3D(MoreProps<TScrollBox>("TScrollBox"));
  AddCtl3D(MoreProps<TTrackBar>("TTrackBar"));

  // A form has no parent to follow: only Ctl3D.
  auto form = MoreProps<TCustomForm>("TCustomForm");
  AddCtl3D(form, false);
  form.Int("BorderWidth", &TWinControl::BorderWidth, &TWinControl::SetBorderWidth, 0)
      .Bool("AutoSize", &TControl::AutoSize, &TControl::SetAutoSize, false);
}
