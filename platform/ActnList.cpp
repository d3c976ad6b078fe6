#include "platform/ActnList.h"

#include <algorithm>

#include "platform/Forms.h"

// ---------------------------------------------------------------------------
// TBasicAction

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}

TBasicAction::~TBasicAction() {
  *alive_ = false;
  // Each client lets go first; a control or menu item then drops its Action.
  while (!clients_.empty()) {
    TBasicActionLink* link = clients_.back();
    link->SetAction(nullptr);
    link->ActionDestroyed();
  }
}

bool TBasicAction::Execute() {
  if (!OnExecute) return false;
  OnExecute(this);
  return true;
}

void TBasicAction::SetActionComponent(TComponent* Value) {
  // The notification link stays after the execution: the client may have
  // one of its own to this action, which a removal would break.
  actionComponent_ = Value;
  if (Value) Value->FreeNotification(this);
}

void TBasicAction::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == actionComponent_) actionComponent_ = nullptr;
}

bool TBasicAction::ExecuteFor(TComponent* AComponent) {
  std::shared_ptr<bool> alive = alive_;
  SetActionComponent(AComponent);
  bool r = false;
  try {
    r = Execute();
  } catch (...) {
    if (*alive) SetActionComponent(nullptr);
    throw;
  }
  if (*alive) SetActionComponent(nullptr);
  return r;
}

bool TBasicAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(this);
  return true;
}

void TBasicAction::SetOnExecute(const TNotifyEvent& Value) {
  if (OnExecute == Value) return;
  for (TBasicActionLink* l : std::vector<TBasicActionLink*>(clients_))
    if (l->IsOnExecuteLinked()) l->SetOnExecute(Value);
  OnExecute = Value;
  Change();
}

void TBasicAction::Change() { OnChange(this); }

// ---------------------------------------------------------------------------
// TContainedAction

TContainedAction::~TContainedAction() { SetActionList(nullptr); }

void TContainedAction::SetActionList(TCustomActionList* Value) {
  if (actionList_ == Value) return;
  if (actionList_) {
    auto& v = actionList_->actions_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
    actionList_->OnChange(actionList_);
  }
  actionList_ = Value;
  if (Value) {
    Value->actions_.push_back(this);
    Value->OnChange(Value);
  }
}

Integer TContainedAction::Index() const {
  if (!actionList_) return -1;
  auto& v = actionList_->actions_;
  auto it = std::find(v.begin(), v.end(), this);
  return it == v.end() ? -1 : static_cast<Integer>(it - v.begin());
}

bool TContainedAction::Execute() {
  // The list may take the execution first.
  if (actionList_ && actionList_->OnExecute) {
    bool handled = false;
    actionList_->OnExecute(this, handled);
    if (handled) return true;
  }
  return TBasicAction::Execute();
}

bool TContainedAction::Update() {
  if (actionList_ && actionList_->OnUpdate) {
    bool handled = false;
    actionList_->OnUpdate(this, handled);
    if (handled) return true;
  }
  return TBasicAction::Update();
}

TComponent* TContainedAction::GetParentComponent() const { return actionList_; }

void TContainedAction::SetParentComponent(TComponent* Value) {
  SetActionList(dynamic_cast<TCustomActionList*>(Value));
}

// ---------------------------------------------------------------------------
// TCustomAction

TCustomAction::TCustomAction(TComponent* AOwner) : TContainedAction(AOwner) {}

template <class Linked, class Write>
void TCustomAction::Push(Linked IsLinked, Write Set) {
  for (TBasicActionLink* l : std::vector<TBasicActionLink*>(clients_))
    if (auto* al = dynamic_cast<TActionLink*>(l); al && (al->*IsLinked)()) Set(al);
}

void TCustomAction::SetCaption(const std::string& Value) {
  if (caption_ == Value) return;
  Push(&TActionLink::IsCaptionLinked, [&](TActionLink* l) { l->SetCaption(Value); });
  caption_ = Value;
  Change();
}

void TCustomAction::SetChecked(bool Value) {
  if (checked_ == Value) return;
  Push(&TActionLink::IsCheckedLinked, [&](TActionLink* l) { l->SetChecked(Value); });
  checked_ = Value;
  // Checking one action of a group clears the others in the same list.
  if (Value && groupIndex_ > 0 && ActionList())
    for (Integer i = 0; i < ActionList()->ActionCount(); ++i)
      if (auto* a = dynamic_cast<TCustomAction*>(ActionList()->Actions(i));
          a && a != this && a->groupIndex_ == groupIndex_)
        a->SetChecked(false);
  Change();
}

void TCustomAction::SetEnabled(bool Value) {
  if (enabled_ == Value) return;
  Push(&TActionLink::IsEnabledLinked, [&](TActionLink* l) { l->SetEnabled(Value); });
  enabled_ = Value;
  Change();
}

void TCustomAction::SetVisible(bool Value) {
  if (visible_ == Value) return;
  Push(&TActionLink::IsVisibleLinked, [&](TActionLink* l) { l->SetVisible(Value); });
  visible_ = Value;
  Change();
}

void TCustomAction::SetHint(const std::string& Value) {
  if (hint_ == Value) return;
  Push(&TActionLink::IsHintLinked, [&](TActionLink* l) { l->SetHint(Value); });
  hint_ = Value;
  Change();
}

void TCustomAction::SetHelpContext(Integer Value) {
  if (helpContext_ == Value) return;
  Push(&TActionLink::IsHelpContextLinked, [&](TActionLink* l) { l->SetHelpContext(Value); });
  helpContext_ = Value;
  Change();
}

void TCustomAction::SetImageIndex(Integer Value) {
  if (imageIndex_ == Value) return;
  Push(&TActionLink::IsImageIndexLinked, [&](TActionLink* l) { l->SetImageIndex(Value); });
  imageIndex_ = Value;
  Change();
}

void TCustomAction::SetShortCut(TShortCut Value) {
  if (shortCut_ == Value) return;
  Push(&TActionLink::IsShortCutLinked, [&](TActionLink* l) { l->SetShortCut(Value); });
  shortCut_ = Value;
  Change();
}

bool TCustomAction::Execute() {
  Update();
  if (!enabled_) return false;
  if (autoCheck_ && !(checked_ && groupIndex_ > 0)) SetChecked(!checked_);
  return TContainedAction::Execute();
}

// ---------------------------------------------------------------------------
// TCustomActionList

TCustomActionList::TCustomActionList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomActionList::~TCustomActionList() {
  while (!actions_.empty()) actions_.back()->SetActionList(nullptr);
}

bool TCustomActionList::IsShortCut(TShortCut AShortCut) {
  if (!AShortCut) return false;
  for (TContainedAction* a : std::vector<TContainedAction*>(actions_)) {
    auto* ca = dynamic_cast<TCustomAction*>(a);
    if (ca && ca->ShortCut() == AShortCut) {
      ca->Update();
      return ca->Enabled() && ca->Execute();
    }
  }
  return false;
}

void TCustomActionList::UpdateActions() {
  for (TContainedAction* a : std::vector<TContainedAction*>(actions_)) a->Update();
}

void TCustomActionList::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  for (TContainedAction* a : actions_)
    if (a->Owner() == Root) Proc(a);
}

// ---------------------------------------------------------------------------
// Links

TBasicActionLink::~TBasicActionLink() {
  if (action_) {
    auto& v = action_->clients_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
}

void TBasicActionLink::SetAction(TBasicAction* Value) {
  if (action_ == Value) return;
  if (action_) {
    auto& v = action_->clients_;
    v.erase(std::remove(v.begin(), v.end(), this), v.end());
  }
  action_ = Value;
  copiedOnExecute_ = TNotifyEvent();
  if (Value) Value->clients_.push_back(this);
}

bool TBasicActionLink::Execute(TComponent* AComponent) {
  // The handler may free the client, and with it this link: nothing of the
  // link is used once the action runs.
  return action_ && action_->ExecuteFor(AComponent);
}

bool TBasicActionLink::Update() { return action_ && action_->Update(); }

void TBasicActionLink::Change() { OnChange(action_); }

bool TActionLink::IsCaptionLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsCheckedLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsEnabledLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsHelpContextLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsHintLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsImageIndexLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsShortCutLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsVisibleLinked() const { return CustomAction() != nullptr; }

// A control property follows the action while it still shows the action's value.
bool TControlActionLink::IsCaptionLinked() const {
  return TActionLink::IsCaptionLinked() && client_->Caption() == CustomAction()->Caption();
}
bool TControlActionLink::IsEnabledLinked() const {
  return TActionLink::IsEnabledLinked() && client_->Enabled() == CustomAction()->Enabled();
}
bool TControlActionLink::IsHelpContextLinked() const {
  return TActionLink::IsHelpContextLinked() && client_->HelpContext() == CustomAction()->HelpContext();
}
bool TControlActionLink::IsHintLinked() const {
  return TActionLink::IsHintLinked() && client_->Hint() == CustomAction()->Hint();
}
bool TControlActionLink::IsVisibleLinked() const {
  return TActionLink::IsVisibleLinked() && client_->Visible() == CustomAction()->Visible();
}
bool TControlActionLink::IsOnExecuteLinked() const {
  return TActionLink::IsOnExecuteLinked() && IsActionHandler(client_->OnClick);
}

void TControlActionLink::ActionDestroyed() { client_->SetAction(nullptr); }

bool TMenuActionLink::IsCaptionLinked() const {
  return TActionLink::IsCaptionLinked() && client_->Caption() == CustomAction()->Caption();
}
bool TMenuActionLink::IsCheckedLinked() const {
  return TActionLink::IsCheckedLinked() && client_->Checked() == CustomAction()->Checked();
}
bool TMenuActionLink::IsEnabledLinked() const {
  return TActionLink::IsEnabledLinked() && client_->Enabled() == CustomAction()->Enabled();
}
bool TMenuActionLink::IsHelpContextLinked() const {
  return TActionLink::IsHelpContextLinked() && client_->HelpContext() == CustomAction()->HelpContext();
}
bool TMenuActionLink::IsHintLinked() const {
  return TActionLink::IsHintLinked() && client_->Hint() == CustomAction()->Hint();
}
bool TMenuActionLink::IsImageIndexLinked() const {
  return TActionLink::IsImageIndexLinked() && client_->ImageIndex() == CustomAction()->ImageIndex();
}
bool TMenuActionLink::IsShortCutLinked() const {
  return TActionLink::IsShortCutLinked() && client_->ShortCut() == CustomAction()->ShortCut();
}
bool TMenuActionLink::IsVisibleLinked() const {
  return TActionLink::IsVisibleLinked() && client_->Visible() == CustomAction()->Visible();
}
bool TMenuActionLink::IsOnExecuteLinked() const {
  return TActionLink::IsOnExecuteLinked() && IsActionHandler(client_->OnClick);
}

void TMenuActionLink::ActionDestroyed() { client_->SetAction(nullptr); }

// ---------------------------------------------------------------------------
// Idle-time update

namespace {
void UpdateClients(TWinControl* Container) {
  if (!Container->Showing()) return;
  for (Integer i = 0; i < Container->ControlCount(); ++i) {
    TControl* c = Container->Controls(i);
    if (c->ControlStyle().Contains(csActionClient) && c->Visible()) c->InitiateAction();
    if (auto* w = dynamic_cast<TWinControl*>(c)) UpdateClients(w);
  }
}
}  // namespace

void UpdateFormActions(TCustomForm* Form) {
  if (!Form || Form->ComponentState().Contains(csDesigning) || !Form->Showing()) return;
  Form->InitiateAction();
  if (TMainMenu* menu = Form->Menu())
    for (Integer i = 0; i < menu->Items()->Count(); ++i)
      if (TMenuItem* item = menu->Items()->Items(i); item->Visible()) item->InitiateAction();
  UpdateClients(Form);
}
