#include <algorithm>

#include "platform/Classes.h"
#include "platform/SysUtils.h"

bool IsValidIdent(const std::string& Ident) {
  auto alpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (Ident.empty() || !alpha(Ident[0])) return false;
  return std::all_of(Ident.begin() + 1, Ident.end(), [&](char c) { return alpha(c) || (c >= '0' && c <= '9'); });
}

TComponent::TComponent(TComponent* AOwner) {
  if (AOwner != nullptr) AOwner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // Each notified component removes itself from our list (RemoveFreeNotification).
  while (!freeNotifies_.empty()) {
    TComponent* other = freeNotifies_.back();
    other->Notification(this, opRemove);
    // A Notification that did not call the inherited one leaves the link.
    if (!freeNotifies_.empty() && freeNotifies_.back() == other) {
      freeNotifies_.pop_back();
      other->RemoveNotification(this);
    }
  }
  DestroyComponents();
  if (owner_ != nullptr) owner_->RemoveComponent(this);
}

TComponent* TComponent::Components(Integer Index) const {
  if (Index < 0 || Index >= ComponentCount()) TList::Error("List index out of bounds (%d)", Index);
  return components_[static_cast<size_t>(Index)];
}

Integer TComponent::ComponentIndex() const {
  if (owner_ == nullptr) return -1;
  const auto& list = owner_->components_;
  const auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<Integer>(it - list.begin());
}

void TComponent::SetComponentIndex(Integer Value) {
  const Integer cur = ComponentIndex();
  if (cur < 0) return;
  auto& list = owner_->components_;
  Value = std::clamp<Integer>(Value, 0, static_cast<Integer>(list.size()) - 1);
  if (Value == cur) return;
  list.erase(list.begin() + cur);
  list.insert(list.begin() + Value, this);
}

void TComponent::Insert(TComponent* AComponent) {
  components_.push_back(AComponent);
  AComponent->owner_ = this;
}

void TComponent::Remove(TComponent* AComponent) {
  const auto it = std::find(components_.begin(), components_.end(), AComponent);
  if (it != components_.end()) components_.erase(it);
  AComponent->owner_ = nullptr;
}

void TComponent::InsertComponent(TComponent* AComponent) {
  if (AComponent->owner_ != nullptr) AComponent->owner_->RemoveComponent(AComponent);
  ValidateInsert(AComponent);
  ValidateRename(AComponent, std::string(), AComponent->name_);
  Insert(AComponent);
  if (state_.Contains(csDesigning)) AComponent->SetDesigning(true);
  Notification(AComponent, opInsert);
}

void TComponent::RemoveComponent(TComponent* AComponent) {
  Notification(AComponent, opRemove);
  Remove(AComponent);
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* instance = components_.back();
    // Components that asked for free notification are removed with notification.
    if (instance->state_.Contains(csFreeNotification)) {
      RemoveComponent(instance);
    } else {
      Remove(instance);
    }
    delete instance;
  }
}

void TComponent::Destroying() {
  if (state_.Contains(csDestroying)) return;
  state_.Include(csDestroying);
  for (TComponent* c : components_) c->Destroying();
}

TComponent* TComponent::FindComponent(const std::string& AName) const {
  if (AName.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameText(c->name_, AName)) return c;
  return nullptr;
}

void TComponent::FreeNotification(TComponent* AComponent) {
  if (AComponent == nullptr || AComponent == this) return;
  if (owner_ == nullptr || AComponent->owner_ != owner_) {
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), AComponent) == freeNotifies_.end()) {
      freeNotifies_.push_back(AComponent);
      AComponent->FreeNotification(this);
    }
  }
  state_.Include(csFreeNotification);
}

void TComponent::RemoveNotification(TComponent* AComponent) {
  const auto it = std::find(freeNotifies_.begin(), freeNotifies_.end(), AComponent);
  if (it != freeNotifies_.end()) freeNotifies_.erase(it);
}

void TComponent::RemoveFreeNotification(TComponent* AComponent) {
  if (AComponent == nullptr) return;
  RemoveNotification(AComponent);
  AComponent->RemoveNotification(this);
}

void TComponent::Loaded() { state_.Exclude(csLoading); }

void TComponent::Notification(TComponent* AComponent, TOperation Operation) {
  if (Operation == opRemove && AComponent != nullptr) RemoveFreeNotification(AComponent);
  // The list may shrink while the owned components react.
  for (size_t i = components_.size(); i > 0; --i) {
    if (i - 1 < components_.size()) components_[i - 1]->Notification(AComponent, Operation);
  }
}

void TComponent::SetName(const std::string& NewName) {
  if (name_ == NewName) return;
  if (!NewName.empty() && !IsValidIdent(NewName))
    throw EComponentError(Format("'%s' is not a valid component name", {NewName}));
  if (owner_ != nullptr) {
    owner_->ValidateRename(this, name_, NewName);
  } else {
    ValidateRename(nullptr, name_, NewName);
  }
  ChangeName(NewName);
}

void TComponent::ValidateRename(TComponent* AComponent, const std::string& CurName, const std::string& NewName) {
  // Also checked for a component being inserted (no owner yet), so that
  // InsertComponent cannot bring in a second component of the same name.
  if (AComponent != nullptr && !SameText(CurName, NewName) &&
      (AComponent->owner_ == this || AComponent->owner_ == nullptr) && FindComponent(NewName) != nullptr)
    throw EComponentError(Format("A component named %s already exists", {NewName}));
}

void TComponent::SetDesigning(bool Value, bool SetChildren) {
  if (Value) {
    state_.Include(csDesigning);
  } else {
    state_.Exclude(csDesigning);
  }
  if (SetChildren)
    for (TComponent* c : components_) c->SetDesigning(Value, true);
}
