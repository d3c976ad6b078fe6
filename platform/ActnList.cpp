#include "platform/ActnList.h"

#include <algorithm>

// ---------------------------------------------------------------------------
// TBasicAction

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}

TBasicAction::~TBasicAction() {
  while (!clients_.empty()) clients_.back()->SetAction(nullptr);
}

bool TBasicAction::Execute() {
  if (!OnExecute) return false;
  OnExecute(this);
  return true;
}

bool TBasicAction::Update() {
  if (!OnUpdate) return false;
  OnUpdate(this);
  return true;
}

void TBasicAction::Change() {
  OnChange(this);
  for (TBasicActionLink* l : std::vector<TBasicActionLink*>(clients_)) l->Change();
}

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

void TCustomAction::SetCaption(const std::string& Value) {
  if (caption_ == Value) return;
  caption_ = Value;
  Change();
}

void TCustomAction::SetChecked(bool Value) {
  if (checked_ == Value) return;
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
  enabled_ = Value;
  Change();
}

void TCustomAction::SetVisible(bool Value) {
  if (visible_ == Value) return;
  visible_ = Value;
  Change();
}

void TCustomAction::SetHint(const std::string& Value) {
  if (hint_ == Value) return;
  hint_ = Value;
  Change();
}

void TCustomAction::SetHelpContext(Integer Value) {
  if (helpContext_ == Value) return;
  helpContext_ = Value;
  Change();
}

void TCustomAction::SetImageIndex(Integer Value) {
  if (imageIndex_ == Value) return;
  imageIndex_ = Value;
  Change();
}

void TCustomAction::SetShortCut(TShortCut Value) {
  if (shortCut_ == Value) return;
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
  if (Value) {
    Value->clients_.push_back(this);
    Change();
  }
}

bool TBasicActionLink::Execute(TComponent* AComponent) {
  if (!action_) return false;
  action_->SetActionComponent(AComponent);
  bool r = false;
  try {
    r = action_->Execute();
  } catch (...) {
    action_->SetActionComponent(nullptr);
    throw;
  }
  action_->SetActionComponent(nullptr);
  return r;
}

bool TBasicActionLink::Update() { return action_ && action_->Update(); }

void TBasicActionLink::Change() { OnChange(this); }

bool TActionLink::IsCaptionLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsCheckedLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsEnabledLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsHelpContextLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsHintLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsImageIndexLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsShortCutLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsVisibleLinked() const { return CustomAction() != nullptr; }
bool TActionLink::IsOnExecuteLinked() const { return action_ != nullptr; }

void TActionLink::Change() {
  TBasicActionLink::Change();
  TCustomAction* a = CustomAction();
  if (!a) return;
  if (IsCaptionLinked()) SetCaption(a->Caption());
  if (IsCheckedLinked()) SetChecked(a->Checked());
  if (IsEnabledLinked()) SetEnabled(a->Enabled());
  if (IsHelpContextLinked()) SetHelpContext(a->HelpContext());
  if (IsHintLinked()) SetHint(a->Hint());
  if (IsImageIndexLinked()) SetImageIndex(a->ImageIndex());
  if (IsShortCutLinked()) SetShortCut(a->ShortCut());
  if (IsVisibleLinked()) SetVisible(a->Visible());
}

TControlActionLink::TControlActionLink(TControl* Client) : client_(Client) {}

TControlActionLink::~TControlActionLink() {
  // The client's own click handler comes back.
  if (routed_) client_->OnClick = clientClick_;
}

bool TControlActionLink::IsOnExecuteLinked() const { return action_ != nullptr; }

void TControlActionLink::Change() {
  TActionLink::Change();
  if (action_ && IsOnExecuteLinked()) {
    // Route the client's click to the action, once.
    if (!routed_) {
      clientClick_ = client_->OnClick;
      client_->OnClick = [this](TObject*) { Execute(client_); };
      routed_ = true;
    }
  }
}
