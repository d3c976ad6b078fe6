// The combo box of the styled control library: a flat frame painted over the
// platform combo box with hot tracking, a flat or styled drop-down button,
// state colours, a look a frame controller can push, ReadOnly, DropDownWidth,
// Enter-as-Tab, wheel stepping, owner-draw with a focus outline, and typing
// aids: auto-complete in the styles with an edit part, a timed search prefix
// in the list style (RzCmboBx_Search.cpp).
#pragma once

#include <memory>

#include "controls/RzCommon.h"
#include "platform/StdCtrls.h"
#include "platform/Timer.h"

class TRzFrameController;

using TRzDeleteComboItemEvent = TEvent<TObject*, void*>;

class TRzCustomComboBox : public TCustomComboBox,
                          public TRzFrameSettings,
                          public TRzFrameControllerLink<TRzCustomComboBox> {
 public:
  T_CLASSNAME(TRzCustomComboBox)
  explicit TRzCustomComboBox(TComponent* AOwner);
  ~TRzCustomComboBox() override;

  bool AutoComplete() const { return autoComplete_; }
  void SetAutoComplete(bool Value) { autoComplete_ = Value; }
  bool AllowEdit() const { return allowEdit_; }
  void SetAllowEdit(bool Value) { allowEdit_ = Value; }
  bool BeepOnInvalidKey() const { return beepOnInvalidKey_; }
  void SetBeepOnInvalidKey(bool Value) { beepOnInvalidKey_ = Value; }
  bool FlatButtons() const { return flatButtons_; }
  virtual void SetFlatButtons(bool Value);
  TColor FlatButtonColor() const { return flatButtonColor_; }
  virtual void SetFlatButtonColor(TColor Value);
  TColor Color() const { return TCustomComboBox::Color(); }
  virtual void SetColor(TColor Value);
  TColor DisabledColor() const { return disabledColor_; }
  virtual void SetDisabledColor(TColor Value);
  TColor FocusColor() const { return focusColor_; }
  virtual void SetFocusColor(TColor Value);
  // Frame settings: TRzFrameSettings and TRzFrameControllerLink.
  virtual void SetFrameHotTrack(bool Value);
  virtual void SetFrameVisible(bool Value);
  virtual void SetFramingPreference(TFramingPreference Value);
  bool KeepSearchCase() const { return keepSearchCase_; }
  void SetKeepSearchCase(bool Value) { keepSearchCase_ = Value; }
  Integer DropDownWidth() const { return dropDownWidth_; }
  virtual void SetDropDownWidth(Integer Value);
  bool TabOnEnter() const { return tabOnEnter_; }
  void SetTabOnEnter(bool Value) { tabOnEnter_ = Value; }
  bool ReadOnly() const { return readOnly_; }
  virtual void SetReadOnly(bool Value);
  Integer ItemHeight() { return TCustomComboBox::ItemHeight(); }
  // Only the owner-draw styles take a new height (the window is made again).
  void SetItemHeight(Integer Value);
  // The colour shown while enabled and unfocused.
  TColor NormalColor() const { return normalColor_; }
  bool InControl() const { return inControl_; }
  bool OverControl() const { return overControl_; }
  // The typed prefix the aids work on, and its timer (list style: forgotten
  // after its interval without typing).
  const std::string& SearchText() const { return searchText_; }
  TTimer* SearchTimer() const { return searchTimer_.get(); }
  bool FocusOutline() const { return focusOutline_; }
  void SetFocusOutline(bool Value) { focusOutline_ = Value; }
  // True from CM_ENTER to CM_EXIT, also while the list or edit part has the focus.
  bool Focused() override { return hasFocus_; }
  // Visual styles are on and the control prefers their border.
  virtual bool UsesStyledFrame();
  // Values of older form files: "FrameFlat" sets FrameHotTrack and, when
  // True, the styles fsStatus and fsLowered.
  void ReadFrameFlat(bool Value);

  // The first item whose text begins with Text (ignoring case), or -1.
  virtual Integer FindItemPrefix(const std::string& Text);
  // Sets the text with auto-complete off for the change.
  void SetTextQuiet(const std::string& Value);
  Integer IndexOfItem(const std::string& Item) { return Items()->IndexOf(Item); }

  TRzDeleteComboItemEvent OnDeleteItem;
  TNotifyEvent OnMatch;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TNotifyEvent OnNotInList;
  TNotifyEvent OnSelEndCancel;
  TNotifyEvent OnSelEndOk;

 protected:
  virtual void UpdateColors();
  virtual void UpdateFrameState(Integer Which, bool Value);
  void FrameSettingChanged(TRzFrameSetting) override { Invalidate(); }
  virtual void InvalidKeyBeep();
  virtual void ListSearch(const std::string& Text, char Key);
  // Completes Text to the first matching item; Key (0: none) is reported to
  // the key-press event.
  virtual bool MatchText(const std::string& Text, char Key);
  virtual void DeleteItemNotify(void* Item) { OnDeleteItem(this, Item); }
  // Paints frame, interior and button over the platform's painting.
  virtual void PaintOverlay(HDC DC);

  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  void EditWndProc(TMessage& Message) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void CNCommand(TMessage& Message) override;
  void CNDrawItem(TMessage& Message) override;
  void CloseUp() override;
  void KeyPress(char& Key) override;
  bool DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) override;
  void CMEnter(TMessage& Message) override;
  void CMExit(TMessage& Message) override;
  void CMMouseEnter(TMessage& Message) override;
  void CMMouseLeave(TMessage& Message) override;
  void CMEnabledChanged(TMessage& Message) override;
  void CMTextChanged(TMessage& Message) override;
  void WMSize(TMessage& Message) override;

 private:
  bool HasEditPart() const { return Style() == csDropDown || Style() == csSimple; }
  // The list style's search on the control window; true when the message was taken.
  bool ListSearchMessage(TMessage& Message);
  void SearchTimerExpired(TObject* Sender);
  // Sets the text with the skip-match flag held.
  void SetTextSkippingMatch(const std::string& Value);
  // Selects (in the edit part) from Start to the end of item Index.
  void SelectCompletion(Integer Start, Integer Index);
  void PassToEdit(TMessage& Message);

  bool autoComplete_ = true;
  bool allowEdit_ = true;
  bool beepOnInvalidKey_ = true;
  bool flatButtons_ = false;
  TColor flatButtonColor_ = clBtnFace;
  bool updatingColor_ = false;
  TColor disabledColor_ = clBtnFace;
  TColor focusColor_ = clWindow;
  TColor normalColor_ = clWindow;
  bool keepSearchCase_ = false;
  std::string searchText_;
  Integer savedDropDownWidth_ = 0;
  Integer dropDownWidth_ = 0;
  bool searchBusy_ = false;
  std::unique_ptr<TTimer> searchTimer_;
  bool tabOnEnter_ = false;
  bool skipMatch_ = false;
  bool escapeClosed_ = false;
  bool enterFlag_ = false;
  bool readOnly_ = false;
  bool afterSysKey_ = false;
  bool pasteHappened_ = false;
  bool clipboardMessage_ = false;  // a WM_PASTE or WM_CUT reached the edit part
  bool inControl_ = false;
  bool overControl_ = false;
  bool focusOutline_ = true;
  bool hasFocus_ = false;
};

class TRzComboBox : public TRzCustomComboBox {
 public:
  T_CLASSNAME(TRzComboBox)
  using TRzCustomComboBox::TRzCustomComboBox;
};

void RegisterRzComboBoxClasses();
