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
  TComponent* ActionComponent() const { return actionComponent_; }
  void SetActionComponent(TComponent* Value) { actionComponent_ = Value; }

  TNotifyEvent OnExecute;
  TNotifyEvent OnUpdate;
  TNotifyEvent OnChange;

 protected:
  virtual void Change();
  std::vector<TBasicActionLink*> clients_;
  TComponent* actionComponent_ = nullptr;
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
// A link between an action and a client.
class TBasicActionLink : public TObject {
  friend class TBasicAction;

 public:
  T_CLASSNAME(TBasicActionLink)
  TBasicActionLink() = default;
  ~TBasicActionLink() override;
  TBasicAction* Action() const { return action_; }
  void SetAction(TBasicAction* Value);
  virtual bool Execute(TComponent* AComponent = nullptr);
  virtual bool Update();
  TNotifyEvent OnChange;

 protected:
  // The action's state changed (or the link was just made).
  virtual void Change();
  TBasicAction* action_ = nullptr;
};

// Copies the properties a client shows: each SetX is called when the action's X
// changes and the client says the property is linked.
class TActionLink : public TBasicActionLink {
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
  virtual bool IsOnExecuteLinked() const;

 protected:
  void Change() override;
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

// Links a control: Caption, Enabled, Hint, Visible, HelpContext follow the
// action; the control's click runs the action.
class TControlActionLink : public TActionLink {
 public:
  T_CLASSNAME(TControlActionLink)
  explicit TControlActionLink(TControl* Client);
  ~TControlActionLink() override;
  TControl* Client() const { return client_; }
  bool IsOnExecuteLinked() const override;

 protected:
  void SetCaption(const std::string& Value) override { client_->SetCaption(Value); }
  void SetEnabled(bool Value) override { client_->SetEnabled(Value); }
  void SetHint(const std::string& Value) override { client_->SetHint(Value); }
  void SetVisible(bool Value) override { client_->SetVisible(Value); }
  void SetHelpContext(Integer Value) override { client_->SetHelpContext(Value); }
  void Change() override;

 private:
  TControl* client_;
  TNotifyEvent clientClick_;
  bool routed_ = false;
};

class TWinControlActionLink : public TControlActionLink {
 public:
  T_CLASSNAME(TWinControlActionLink)
  using TControlActionLink::TControlActionLink;
};
