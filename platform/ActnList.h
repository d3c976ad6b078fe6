// Actions: a command with caption, enabled and checked state, shortcut and
// handlers, kept in an action list; action links copy an action's state into
// a client (a control or a component of another library) and route the
// client's click to the action.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/Menus.h"

class TCustomForm;
class TBasicAction;
class TBasicActionLink;
class TCustomActionList;

using TActionEvent = TEvent<TBasicAction*, bool&>;

class TBasicAction : public TComponent {
  friend class TBasicActionLink;

 public:
  T_CLASSNAME(TBasicAction)
  explicit TBasicAction(TComponent* AOwner);
  ~TBasicAction() override;
  // Runs OnExecute (through the list's OnExecute first); true when someone handled it.
  virtual bool Execute();
  // Runs OnUpdate (through the list's OnUpdate first); true when someone handled it.
  virtual bool Update();
  // The client being executed for; cleared when that component is freed.
  TComponent* ActionComponent() const { return actionComponent_; }
  void SetActionComponent(TComponent* Value);
  // Sets OnExecute; linked clients whose click handler is the old one get the new one.
  void SetOnExecute(const TNotifyEvent& Value);
  Integer ClientCount() const { return static_cast<Integer>(clients_.size()); }

  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;
  TNotifyEvent OnChange;

 protected:
  // Fires OnChange after a property changed.
  virtual void Change();
  void Notification(TComponent* AComponent, TOperation Operation) override;
  std::vector<TBasicActionLink*> clients_;  // not owned
  TComponent* actionComponent_ = nullptr;

 private:
  // Execute with AComponent as the ActionComponent. The handler may free the
  // client (and so the calling link) or this action.
  bool ExecuteFor(TComponent* AComponent);
  // Cleared by the destructor; a copy tells a running ExecuteFor whether
  // this action still exists.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

class TContainedAction : public TBasicAction {
 public:
  T_CLASSNAME(TContainedAction)
  using TBasicAction::TBasicAction;
  ~TContainedAction() override;
  TCustomActionList* ActionList() const { return actionList_; }
  void SetActionList(TCustomActionList* Value);
  const std::string& Category() const { return category_; }
  void SetCategory(const std::string& Value) { category_ = Value; }
  Integer Index() const;
  bool Execute() override;
  bool Update() override;

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;

 private:
  TCustomActionList* actionList_ = nullptr;
  std::string category_;
};

class TCustomAction : public TContainedAction {
 public:
  T_CLASSNAME(TCustomAction)
  explicit TCustomAction(TComponent* AOwner);
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value);
  bool Checked() const { return checked_; }
  void SetChecked(bool Value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& Value);
  Integer HelpContext() const { return helpContext_; }
  void SetHelpContext(Integer Value);
  Integer ImageIndex() const { return imageIndex_; }
  void SetImageIndex(Integer Value);
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut Value);
  Integer GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(Integer Value) { groupIndex_ = Value; }
  bool AutoCheck() const { return autoCheck_; }
  void SetAutoCheck(bool Value) { autoCheck_ = Value; }
  // AutoCheck toggles Checked first; a disabled action does not run.
  bool Execute() override;

  TNotifyEvent OnHint;

 private:
  // Hands a new value to each link for which Linked holds, before it is stored.
  template <class Linked, class Write>
  void Push(Linked IsLinked, Write Set);
  std::string caption_, hint_;
  bool checked_ = false, enabled_ = true, visible_ = true, autoCheck_ = false;
  Integer helpContext_ = 0, imageIndex_ = -1, groupIndex_ = 0;
  TShortCut shortCut_ = 0;
};

class TAction : public TCustomAction {
 public:
  T_CLASSNAME(TAction)
  using TCustomAction::TCustomAction;
};

// ---------------------------------------------------------------------------
class TCustomActionList : public TComponent {
  friend class TContainedAction;

 public:
  T_CLASSNAME(TCustomActionList)
  explicit TCustomActionList(TComponent* AOwner);
  ~TCustomActionList() override;
  Integer ActionCount() const { return static_cast<Integer>(actions_.size()); }
  TContainedAction* Actions(Integer Index) const { return actions_.at(static_cast<size_t>(Index)); }
  // Executes the enabled action whose shortcut is AShortCut; false when none.
  bool IsShortCut(TShortCut AShortCut);
  // Runs every action's Update (as the application's idle time does).
  void UpdateActions();
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

  TActionEvent OnExecute;
  TActionEvent OnUpdate;
  TNotifyEvent OnChange;

 private:
  std::vector<TContainedAction*> actions_;  // not owned
};

class TActionList : public TCustomActionList {
 public:
  T_CLASSNAME(TActionList)
  using TCustomActionList::TCustomActionList;
};

// ---------------------------------------------------------------------------
// A link between an action and a client. The action tells its links about
// each change of a property before it stores the new value, so a link can
// compare the client with the action's old value: a client property that
// still equals it follows the action ("linked"); one changed on its own
// keeps its value.
class TBasicActionLink : public TObject {
  friend class TBasicAction;

 public:
  T_CLASSNAME(TBasicActionLink)
  TBasicActionLink() = default;
  ~TBasicActionLink() override;
  TBasicAction* Action() const { return action_; }
  void SetAction(TBasicAction* Value);
  // Runs the action with AComponent as its ActionComponent.
  virtual bool Execute(TComponent* AComponent = nullptr);
  virtual bool Update();
  virtual bool IsOnExecuteLinked() const { return action_ != nullptr; }
  // The action's OnExecute as last copied into the client's OnClick: while
  // the client's OnClick is still this copy, a click runs the action's
  // current OnExecute (which may have been assigned since).
  const TNotifyEvent& CopiedOnExecute() const { return copiedOnExecute_; }
  void SetCopiedOnExecute(const TNotifyEvent& Value) { copiedOnExecute_ = Value; }
  // True when Handler (a client's OnClick) is the action's OnExecute or that
  // copy, i.e. not a handler of the client's own.
  bool IsActionHandler(const TNotifyEvent& Handler) const {
    return action_ && (Handler == action_->OnExecute || Handler == copiedOnExecute_);
  }
  // Fired by Change with the action as Sender (a client then copies the whole
  // state). Our actions report changes property by property instead; Change
  // is for links and actions of other libraries.
  TNotifyEvent OnChange;

 protected:
  virtual void Change();
  virtual void SetOnExecute(const TNotifyEvent&) {}
  // The action is being destroyed; the link has already let go of it.
  virtual void ActionDestroyed() {}
  TBasicAction* action_ = nullptr;
  TNotifyEvent copiedOnExecute_;
};

// The properties of a TCustomAction that a client can follow.
class TActionLink : public TBasicActionLink {
  friend class TCustomAction;

 public:
  T_CLASSNAME(TActionLink)
  virtual bool IsCaptionLinked() const;
  virtual bool IsCheckedLinked() const;
  virtual bool IsEnabledLinked() const;
  virtual bool IsHelpContextLinked() const;
  virtual bool IsHintLinked() const;
  virtual bool IsImageIndexLinked() const;
  virtual bool IsShortCutLinked() const;
  virtual bool IsVisibleLinked() const;

 protected:
  // Write the action's new value into the client (called only while linked).
  virtual void SetCaption(const std::string&) {}
  virtual void SetChecked(bool) {}
  virtual void SetEnabled(bool) {}
  virtual void SetHelpContext(Integer) {}
  virtual void SetHint(const std::string&) {}
  virtual void SetImageIndex(Integer) {}
  virtual void SetShortCut(TShortCut) {}
  virtual void SetVisible(bool) {}
  TCustomAction* CustomAction() const { return dynamic_cast<TCustomAction*>(action_); }
};

// Links a control: Caption, Enabled, Hint, Visible, HelpContext and OnClick
// (from OnExecute) follow the action while the control's value equals the
// action's. The control owns its link (TControl::SetAction).
class TControlActionLink : public TActionLink {
 public:
  T_CLASSNAME(TControlActionLink)
  explicit TControlActionLink(TControl* Client) : client_(Client) {}
  TControl* Client() const { return client_; }
  bool IsCaptionLinked() const override;
  bool IsEnabledLinked() const override;
  bool IsHelpContextLinked() const override;
  bool IsHintLinked() const override;
  bool IsVisibleLinked() const override;
  bool IsOnExecuteLinked() const override;

 protected:
  void SetCaption(const std::string& Value) override { client_->SetCaption(Value); }
  void SetEnabled(bool Value) override { client_->SetEnabled(Value); }
  void SetHint(const std::string& Value) override { client_->SetHint(Value); }
  void SetVisible(bool Value) override { client_->SetVisible(Value); }
  void SetHelpContext(Integer Value) override { client_->SetHelpContext(Value); }
  void SetOnExecute(const TNotifyEvent& Value) override {
    client_->OnClick = Value;
    copiedOnExecute_ = Value;
  }
  // The client's Action becomes none (which frees this link).
  void ActionDestroyed() override;

  TControl* client_;
};

class TWinControlActionLink : public TControlActionLink {
 public:
  T_CLASSNAME(TWinControlActionLink)
  using TControlActionLink::TControlActionLink;
};

// Links a menu item: Caption, Checked, Enabled, HelpContext, Hint, ImageIndex,
// ShortCut, Visible and OnClick follow the action.
class TMenuActionLink : public TActionLink {
 public:
  T_CLASSNAME(TMenuActionLink)
  explicit TMenuActionLink(TMenuItem* Client) : client_(Client) {}
  TMenuItem* Client() const { return client_; }
  bool IsCaptionLinked() const override;
  bool IsCheckedLinked() const override;
  bool IsEnabledLinked() const override;
  bool IsHelpContextLinked() const override;
  bool IsHintLinked() const override;
  bool IsImageIndexLinked() const override;
  bool IsShortCutLinked() const override;
  bool IsVisibleLinked() const override;
  bool IsOnExecuteLinked() const override;

 protected:
  void SetCaption(const std::string& Value) override { client_->SetCaption(Value); }
  void SetChecked(bool Value) override { client_->SetChecked(Value); }
  void SetEnabled(bool Value) override { client_->SetEnabled(Value); }
  void SetHelpContext(Integer Value) override { client_->SetHelpContext(Value); }
  void SetHint(const std::string& Value) override { client_->SetHint(Value); }
  void SetImageIndex(Integer Value) override { client_->SetImageIndex(Value); }
  void SetShortCut(TShortCut Value) override { client_->SetShortCut(Value); }
  void SetVisible(bool Value) override { client_->SetVisible(Value); }
  void SetOnExecute(const TNotifyEvent& Value) override {
    client_->OnClick = Value;
    copiedOnExecute_ = Value;
  }
  void ActionDestroyed() override;

  TMenuItem* client_;
};

// Idle-time action update of a form: the form, the top items of its main
// menu, then every visible action client on the showing parts of the form
// get InitiateAction. Nothing for a form that is not showing.
void UpdateFormActions(TCustomForm* Form);
