// Menus over the platform's menus, and the shortcut helpers.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Controls.h"

// A key with its modifiers: the virtual key in the low byte, scShift, scCtrl, scAlt above.
using TShortCut = Word;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;

TShortCut ShortCut(Word Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, Word& Key, TShiftState& Shift);
// "Ctrl+O", "Shift+Del", "F5"...; empty for 0 or a key without a name.
std::string ShortCutToText(TShortCut ShortCut);
// The inverse of ShortCutToText (modifier and key names in any case); 0 when not recognised.
TShortCut TextToShortCut(const std::string& Text);

class TMenu;
class TBasicAction;
class TMenuActionLink;

class TMenuItem : public TComponent {
  friend class TMenu;

 public:
  T_CLASSNAME(TMenuItem)
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;

  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& Value);
  bool Checked() const { return checked_; }
  void SetChecked(bool Value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool Value);
  bool Visible() const { return visible_; }
  void SetVisible(bool Value);
  bool Default() const { return default_; }
  void SetDefault(bool Value);
  bool RadioItem() const { return radioItem_; }
  void SetRadioItem(bool Value);
  Integer GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(Integer Value) { groupIndex_ = Value; }
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut Value);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& Value) { hint_ = Value; }
  Integer ImageIndex() const { return imageIndex_; }
  void SetImageIndex(Integer Value) { imageIndex_ = Value; }
  // The help topic of the item (F1 while it is highlighted in an open menu).
  Integer HelpContext() const { return helpContext_; }
  void SetHelpContext(Integer Value) { helpContext_ = Value; }

  // Sub-items (owned by this item).
  Integer Count() const { return static_cast<Integer>(items_.size()); }
  TMenuItem* Items(Integer Index) const { return items_.at(static_cast<size_t>(Index)); }
  void Add(TMenuItem* Item);
  void Insert(Integer Index, TMenuItem* Item);
  void Delete(Integer Index);
  void Remove(TMenuItem* Item);
  void Clear();
  Integer IndexOf(const TMenuItem* Item) const;
  TMenuItem* Parent() const { return parent_; }
  // The menu command identifier of this item.
  UINT Command() const { return command_; }
  bool IsLine() const { return caption_ == "-"; }
  // Finds the item whose command identifier is Command among this item and its sub-items.
  TMenuItem* Find(UINT Command);
  // The item whose shortcut is ShortCut among the enabled visible sub-items.
  TMenuItem* FindShortCut(TShortCut AShortCut);
  // Runs OnClick, or the action when OnClick is the action's own handler; nothing when disabled.
  virtual void Click();

  // The action the item shows and runs (a reference; the link to it is owned).
  TBasicAction* Action() const;
  void SetAction(TBasicAction* Value);
  TMenuActionLink* ActionLink() const { return actionLink_.get(); }
  // Lets the action update itself (idle time).
  virtual void InitiateAction();
  // Whether a form file stores the property: not while the action supplies it.
  bool IsCaptionStored() const;
  bool IsCheckedStored() const;
  bool IsEnabledStored() const;
  bool IsHelpContextStored() const;
  bool IsHintStored() const;
  bool IsImageIndexStored() const;
  bool IsShortCutStored() const;
  bool IsVisibleStored() const;
  bool IsOnClickStored() const;

  // Builds the sub-items into a platform menu.
  void AppendTo(HMENU Menu);

  TNotifyEvent OnClick;

  bool HasParent() const override { return true; }
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* Value) override;
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

 protected:
  void Changed();
  // Copies Caption, Checked, Enabled, HelpContext, Hint, ImageIndex, ShortCut,
  // Visible and OnExecute; with CheckDefaults only into values still at their defaults.
  virtual void ActionChange(TObject* Sender, bool CheckDefaults);
  virtual std::unique_ptr<TMenuActionLink> CreateActionLink();
  void DoActionChange(TObject* Sender);

 private:
  std::string caption_, hint_;
  bool checked_ = false, enabled_ = true, visible_ = true, default_ = false, radioItem_ = false;
  Integer groupIndex_ = 0;
  TShortCut shortCut_ = 0;
  Integer imageIndex_ = -1;
  Integer helpContext_ = 0;
  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
  TMenu* menu_ = nullptr;
  UINT command_;
  std::unique_ptr<TMenuActionLink> actionLink_;
};

class TMenu : public TComponent {
 public:
  T_CLASSNAME(TMenu)
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;
  TMenuItem* Items() const { return items_.get(); }
  // Runs the click of the item with the command identifier; false when none has it.
  bool DispatchCommand(UINT Command);
  // Runs the click of the item with the shortcut; false when none has it.
  bool IsShortCut(TShortCut AShortCut);
  // The platform menu, rebuilt from the items when they changed.
  virtual HMENU Handle();
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;

 protected:
  friend class TMenuItem;
  virtual void MenuChanged();
  virtual HMENU CreateMenuHandle() = 0;
  HMENU handle_ = nullptr;
  std::unique_ptr<TMenuItem> items_;
};

// The menu bar of a form (TCustomForm::SetMenu shows it in the form's window).
class TMainMenu : public TMenu {
 public:
  T_CLASSNAME(TMainMenu)
  using TMenu::TMenu;
  ~TMainMenu() override;
  // The window showing the menu bar, or nullptr; setting it attaches the
  // platform menu to that window (nullptr detaches it from the old one).
  HWND WindowHandle() const { return windowHandle_; }
  void SetWindowHandle(HWND Value);
  // While the window tracks the menu its platform menus must stay alive:
  // changes made meanwhile rebuild the bar once the tracking ends.
  void SetTracking(bool Value);
  bool Tracking() const { return tracking_; }

 protected:
  HMENU CreateMenuHandle() override { return CreateMenu(); }
  void MenuChanged() override;

 private:
  HWND windowHandle_ = nullptr;
  bool tracking_ = false;
  bool changedWhileTracking_ = false;
};

enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TMenu, public IPopupMenu {
 public:
  T_CLASSNAME(TPopupMenu)
  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;
  void Popup(Integer X, Integer Y) override;
  void SetPopupComponent(TComponent* Component) override { popupComponent_ = Component; }
  TComponent* PopupComponent() const { return popupComponent_; }
  bool AutoPopup() const override { return autoPopup_; }
  void SetAutoPopup(bool Value) { autoPopup_ = Value; }
  TPopupAlignment Alignment() const { return alignment_; }
  void SetAlignment(TPopupAlignment Value) { alignment_ = Value; }
  TNotifyEvent OnPopup;

 protected:
  HMENU CreateMenuHandle() override { return CreatePopupMenu(); }
  virtual void DoPopup(TObject* Sender) { OnPopup(Sender); }

 private:
  TComponent* popupComponent_ = nullptr;
  bool autoPopup_ = true;
  TPopupAlignment alignment_ = paLeft;
};
