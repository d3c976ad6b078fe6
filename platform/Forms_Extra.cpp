// The form's cancel-mode request and its palette messages.
#include "platform/Forms.h"

void TCustomForm::SendCancelMode(TControl* Sender) {
  if (!active_ || !activeControl_) return;
  activeControl_->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(Sender));
  if (formStyle_ == fsMDIForm)
    if (TCustomForm* child = ActiveMDIChild()) child->SendCancelMode(Sender);
}

void TCustomForm::WMQueryNewPalette(TMessage& Message) {
  // Only a top-level window hears of palettes: the controls ask here.
  Message.Result = PaletteChanged(true) ? 1 : 0;
}

void TCustomForm::WMPaletteChanged(TMessage& Message) {
  // The window that realised the palette does not react to its own change.
  if (reinterpret_cast<HWND>(Message.WParam) != handle_) PaletteChanged(false);
  DefaultHandler(Message);
}
