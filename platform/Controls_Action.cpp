// TControl's action: the link that makes a control show an action's state and
// run its command.
#include "platform/ActnList.h"
#include "platform/Controls.h"

void TControl::TActionLinkDeleter::operator()(TControlActionLink* Link) const { delete Link; }

TBasicAction* TControl::Action() const { return actionLink_ ? actionLink_->Action() : nullptr; }

void TControl::SetAction(TBasicAction* Value) {
  if (!Value) {
    actionLink_.reset();
    controlStyle_.Exclude(csActionClient);
    return;
  }
  controlStyle_.Include(csActionClient);
  if (!actionLink_) actionLink_.reset(CreateActionLink().release());
  actionLink_->SetAction(Value);
  actionLink_->OnChange = TNotifyEvent(this, &TControl::DoActionChange);
  // An action still being read keeps the values the form gave the control.
  ActionChange(Value, Value->ComponentState().Contains(csLoading));
  Value->FreeNotification(this);
}

std::unique_ptr<TControlActionLink> TControl::CreateActionLink() {
  return std::make_unique<TControlActionLink>(this);
}

void TControl::DoActionChange(TObject* Sender) {
  if (Sender && Sender == Action()) ActionChange(Sender, false);
}

void TControl::ActionChange(TObject* Sender, bool CheckDefaults) {
  auto* a = dynamic_cast<TCustomAction*>(Sender);
  if (!a) return;
  if (!CheckDefaults || Caption().empty() || Caption() == Name()) SetCaption(a->Caption());
  if (!CheckDefaults || enabled_) SetEnabled(a->Enabled());
  if (!CheckDefaults || hint_.empty()) SetHint(a->Hint());
  if (!CheckDefaults || visible_) SetVisible(a->Visible());
  if (!CheckDefaults || helpContext_ == 0) SetHelpContext(a->HelpContext());
  if (!CheckDefaults || !OnClick) {
    OnClick = a->OnExecute;
    if (actionLink_) actionLink_->SetCopiedOnExecute(OnClick);
  }
}

void TControl::InitiateAction() {
  if (actionLink_) actionLink_->Update();
}

bool TControl::IsCaptionStored() const { return !actionLink_ || !actionLink_->IsCaptionLinked(); }
bool TControl::IsCheckedStored() const { return !actionLink_ || !actionLink_->IsCheckedLinked(); }
bool TControl::IsEnabledStored() const { return !actionLink_ || !actionLink_->IsEnabledLinked(); }
bool TControl::IsHelpContextStored() const { return !actionLink_ || !actionLink_->IsHelpContextLinked(); }
bool TControl::IsHintStored() const { return !actionLink_ || !actionLink_->IsHintLinked(); }
bool TControl::IsVisibleStored() const { return !actionLink_ || !actionLink_->IsVisibleLinked(); }
bool TControl::IsOnClickStored() const { return !actionLink_ || !actionLink_->IsOnExecuteLinked(); }

void TControl::Click() {
  // A handler of its own wins; the action's own handler runs through the
  // action (which updates and checks Enabled first).
  // OnClick still holding the copy of the action's handler made when linking
  // is not the client's own (the action's OnExecute may have changed since).
  if (OnClick && Action() && !actionLink_->IsActionHandler(OnClick))
    OnClick(this);
  else if (!ComponentState().Contains(csDesigning) && actionLink_)
    actionLink_->Execute(this);
  else
    OnClick(this);
}
