// Standard controls over the platform's window classes: labels, edits, memo,
// buttons, check and radio boxes, group box, list box and combo box.
//
// Notifications the parent window receives (WM_COMMAND, WM_DRAWITEM,
// WM_MEASUREITEM) come back to the control as CN_COMMAND, CN_DRAWITEM and
// CN_MEASUREITEM; each control handles them in Dispatch.
#pragma once

#include <memory>
#include <string>

#include "platform/ActnList.h"
#include "platform/Controls.h"

// taLeftJustify or taRightJustify.
using TLeftRight = TAlignment;
// An index into an image list (-1: none).
using TImageIndex = Integer;
enum TTextLayout { tlTop, tlCenter, tlBottom };
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };
enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

enum TOwnerDrawStateItem { odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odComboBoxEdit };
using TOwnerDrawState = TEnumSet<TOwnerDrawStateItem>;
using TDrawItemEvent = TEvent<TWinControl*, Integer, TRect, TOwnerDrawState>;
using TMeasureItemEvent = TEvent<TWinControl*, Integer, Integer&>;

// DrawText on a canvas with its font, font colour and brush (a clear brush
// draws the text transparently); returns DrawText's result.
int CanvasDrawText(TCanvas* Canvas, const std::string& Text, TRect& Rect, UINT Flags);

// The owner-draw state of a DRAWITEMSTRUCT's itemState.
TOwnerDrawState OwnerDrawStateFromItemState(UINT ItemState);

// ---------------------------------------------------------------------------
// A windowless text label.
class TCustomLabel : public TGraphicControl {
 public:
  T_CLASSNAME(TCustomLabel)
  explicit TCustomLabel(TComponent* AOwner);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool Value);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout Value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool Value);
  bool Transparent() const { return !controlStyle_.Contains(csOpaque); }
  void SetTransparent(bool Value);
  bool ShowAccelChar() const { return showAccelChar_; }
  void SetShowAccelChar(bool Value);
  TWinControl* FocusControl() const { return focusControl_; }
  void SetFocusControl(TWinControl* Value);
  TComponent* FocusControlComponent() const { return focusControl_; }
  void SetFocusControlComponent(TComponent* Value) { SetFocusControl(dynamic_cast<TWinControl*>(Value)); }
  TAlignment GetControlsAlignment() override { return alignment_; }

 protected:
  // The text drawn and measured (the caption).
  virtual std::string GetLabelText();
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;
  // Draws the caption with DrawText flags (DT_CALCRECT measures).
  virtual void DoDrawText(TRect& Rect, UINT Flags);
  virtual void AdjustBounds();

 private:
  TAlignment alignment_ = taLeftJustify;
  bool autoSize_ = true;
  TTextLayout layout_ = tlTop;
  bool wordWrap_ = false;
  bool showAccelChar_ = true;
  TWinControl* focusControl_ = nullptr;
};

class TLabel : public TCustomLabel {
 public:
  T_CLASSNAME(TLabel)
  using TCustomLabel::TCustomLabel;
};

// ---------------------------------------------------------------------------
// Single-line edit over the EDIT class.
class TCustomEdit : public TWinControl {
 public:
  T_CLASSNAME(TCustomEdit)
  explicit TCustomEdit(TComponent* AOwner);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  Integer MaxLength() const { return maxLength_; }
  void SetMaxLength(Integer Value);
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool Value);
  TEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase Value);
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool Value) { autoSelect_ = Value; }
  bool HideSelection() const { return hideSelection_; }
  void SetHideSelection(bool Value);
  bool Modified() const;
  void SetModified(bool Value);
  Integer SelStart();
  void SetSelStart(Integer Value);
  Integer SelLength();
  void SetSelLength(Integer Value);
  // The selected text; setting it replaces the selection.
  std::string SelText();
  void SetSelText(const std::string& Value);
  void SelectAll();
  void Clear() { SetText(""); }
  // Shown in place of each character (0: the text shows).
  char PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char Value);
  // Characters typed pass through the OEM character set.
  bool OEMConvert() const { return oemConvert_; }
  void SetOEMConvert(bool Value);

  TNotifyEvent OnChange;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  virtual void Change();
  virtual void CNCommand(TMessage& Message);

  TBorderStyle borderStyle_ = bsSingle;
  Integer maxLength_ = 0;
  bool readOnly_ = false;
  TEditCharCase charCase_ = ecNormal;
  bool autoSelect_ = true;
  bool hideSelection_ = true;
  bool modified_ = false;
  bool creating_ = false;
  char passwordChar_ = 0;
  bool oemConvert_ = false;
};

class TEdit : public TCustomEdit {
 public:
  T_CLASSNAME(TEdit)
  using TCustomEdit::TCustomEdit;
};

// Raised when an edited masked text does not fill its mask.
T_DECLARE_EXCEPTION(EDBEditError, Exception)

// An edit that keeps an edit mask. Characters the mask's current position does
// not accept are refused: '0' and '9' digits, 'L'/'l' letters, 'A'/'a'
// letters or digits, 'C'/'c' and others any character; mask text after the
// first ';' (save-literals flag, blank character) is ignored.
class TCustomMaskEdit : public TCustomEdit {
 public:
  T_CLASSNAME(TCustomMaskEdit)
  explicit TCustomMaskEdit(TComponent* AOwner);
  const std::string& EditMask() const { return editMask_; }
  void SetEditMask(const std::string& Value);
  bool IsMasked() const { return !maskChars_.empty(); }
  // Whether Key may stand at character position Pos of the text.
  bool MaskAccepts(Integer Pos, char Key) const;
  // Checks an edited text when the focus leaves: a required position ('0', 'L',
  // 'A', 'C') left blank, or a character the mask refuses, puts the caret there
  // and calls ValidateError.
  virtual void ValidateEdit();

 protected:
  void KeyPress(char& Key) override;
  void CMExit(TMessage& Message) override;
  // Beeps and raises EDBEditError.
  virtual void ValidateError();
  // Whether Value fills the mask; Pos: the first position that does not.
  bool Validate(const std::string& Value, Integer& Pos) const;

 private:
  std::string editMask_;
  std::string maskChars_;
};

class TMaskEdit : public TCustomMaskEdit {
 public:
  T_CLASSNAME(TMaskEdit)
  using TCustomMaskEdit::TCustomMaskEdit;
};

// Multi-line edit; Lines reads and writes the window text line by line.
class TCustomMemo : public TCustomEdit {
 public:
  T_CLASSNAME(TCustomMemo)
  explicit TCustomMemo(TComponent* AOwner);
  ~TCustomMemo() override;
  TStrings* Lines() const { return lines_.get(); }
  void SetLines(TStrings* Value) { lines_->Assign(Value); }
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle Value);
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool Value);
  bool WantReturns() const { return wantReturns_; }
  void SetWantReturns(bool Value) { wantReturns_ = Value; }
  bool WantTabs() const { return wantTabs_; }
  void SetWantTabs(bool Value) { wantTabs_ = Value; }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);
  TAlignment GetControlsAlignment() override { return alignment_; }

 protected:
  void CreateParams(TCreateParams& Params) override;
  void KeyPress(char& Key) override;

 private:
  std::unique_ptr<TStrings> lines_;
  TScrollStyle scrollBars_ = ssNone;
  bool wordWrap_ = true;
  bool wantReturns_ = true;
  bool wantTabs_ = false;
  TAlignment alignment_ = taLeftJustify;
};

class TMemo : public TCustomMemo {
 public:
  T_CLASSNAME(TMemo)
  using TCustomMemo::TCustomMemo;
};

// ---------------------------------------------------------------------------
// Buttons over the BUTTON class.
class TButtonControl : public TWinControl {
  friend class TButtonActionLink;

 public:
  T_CLASSNAME(TButtonControl)
  explicit TButtonControl(TComponent* AOwner);
  // The checked state of check boxes and radio buttons (a push button has none).
  virtual bool Checked() const { return false; }
  virtual void SetChecked(bool) {}

 protected:
  void Dispatch(TMessage& Message) override;
  virtual void CNCommand(TMessage& Message);
  // Checked also follows the action.
  void ActionChange(TObject* Sender, bool CheckDefaults) override;
  std::unique_ptr<TControlActionLink> CreateActionLink() override;
  // Sets Checked without reporting it as a click (the action set it).
  void SetCheckedQuietly(bool Value);
  // While set, a change of the checked state made by code is not reported as a click.
  bool clicksDisabled_ = false;
};

// The link of check boxes and radio buttons: Checked follows the action too.
class TButtonActionLink : public TWinControlActionLink {
 public:
  T_CLASSNAME(TButtonActionLink)
  explicit TButtonActionLink(TButtonControl* Client) : TWinControlActionLink(Client), button_(Client) {}
  bool IsCheckedLinked() const override;

 protected:
  void SetChecked(bool Value) override { button_->SetCheckedQuietly(Value); }

 private:
  TButtonControl* button_;
};

class TButton : public TButtonControl {
 public:
  T_CLASSNAME(TButton)
  explicit TButton(TComponent* AOwner);
  bool Default() const { return default_; }
  void SetDefault(bool Value);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool Value) { cancel_ = Value; }
  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult Value) { modalResult_ = Value; }
  // Fires OnClick and passes ModalResult to the parent form.
  void Click() override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void CNCommand(TMessage& Message) override;
  void CMDialogKey(TMessage& Message) override;
  void CMFocusChanged(TMessage& Message) override;
  // The button shows the default frame while it or (for the Default button) a non-button has the focus.
  virtual void SetButtonStyle(bool ADefault);

  bool default_ = false;
  bool cancel_ = false;
  bool active_ = false;
  TModalResult modalResult_ = mrNone;
};

class TCustomCheckBox : public TButtonControl {
 public:
  T_CLASSNAME(TCustomCheckBox)
  explicit TCustomCheckBox(TComponent* AOwner);
  bool Checked() const override { return state_ == cbChecked; }
  void SetChecked(bool Value) override { SetState(Value ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const { return state_; }
  void SetState(TCheckBoxState Value);
  bool AllowGrayed() const { return allowGrayed_; }
  void SetAllowGrayed(bool Value) { allowGrayed_ = Value; }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void CNCommand(TMessage& Message) override;
  virtual void Toggle();

 private:
  TCheckBoxState state_ = cbUnchecked;
  bool allowGrayed_ = false;
  TAlignment alignment_ = taRightJustify;
};

class TCheckBox : public TCustomCheckBox {
 public:
  T_CLASSNAME(TCheckBox)
  using TCustomCheckBox::TCustomCheckBox;
};

// Checking a radio button clears the other radio buttons of its parent.
class TRadioButton : public TButtonControl {
 public:
  T_CLASSNAME(TRadioButton)
  explicit TRadioButton(TComponent* AOwner);
  bool Checked() const override { return checked_; }
  void SetChecked(bool Value) override;
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment Value);

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void CNCommand(TMessage& Message) override;

 private:
  bool checked_ = false;
  TAlignment alignment_ = taRightJustify;
};

// A frame with a caption that holds other controls.
class TCustomGroupBox : public TCustomControl {
 public:
  T_CLASSNAME(TCustomGroupBox)
  explicit TCustomGroupBox(TComponent* AOwner);

 protected:
  void Paint() override;
  void AdjustClientRect(TRect& Rect) override;
  void CMTextChanged(TMessage& Message) override;
  void CMFontChanged(TMessage& Message) override;
};

class TGroupBox : public TCustomGroupBox {
 public:
  T_CLASSNAME(TGroupBox)
  using TCustomGroupBox::TCustomGroupBox;
};

// ---------------------------------------------------------------------------
// List box over the LISTBOX class. Items are kept by the window and reached
// through LB_ messages sent to the control's window, so a subclass sees them
// in its WndProc; before the window exists they wait in a list of their own.
class TCustomListBox : public TWinControl {
  friend class TListBoxStrings;

 public:
  T_CLASSNAME(TCustomListBox)
  explicit TCustomListBox(TComponent* AOwner);
  ~TCustomListBox() override;

  TStrings* Items() const { return items_.get(); }
  void SetItems(TStrings* Value) { items_->Assign(Value); }
  Integer ItemIndex();
  void SetItemIndex(Integer Value);
  Integer ItemCount() const;
  bool MultiSelect() const { return multiSelect_; }
  void SetMultiSelect(bool Value);
  bool ExtendedSelect() const { return extendedSelect_; }
  void SetExtendedSelect(bool Value);
  bool Selected(Integer Index);
  void SetSelected(Integer Index, bool Value);
  Integer SelCount();
  TListBoxStyle Style() const { return style_; }
  void SetStyle(TListBoxStyle Value);
  Integer ItemHeight();
  void SetItemHeight(Integer Value);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool Value);
  bool IntegralHeight() const { return integralHeight_; }
  void SetIntegralHeight(bool Value);
  TBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TBorderStyle Value);
  // Distance between tab stops in dialog units (0: the window's default stops).
  Integer TabWidth() const { return tabWidth_; }
  void SetTabWidth(Integer Value);
  Integer TopIndex();
  void SetTopIndex(Integer Value);
  TRect ItemRect(Integer Index);
  // The item at a client point, or -1 (Existing: only an item under the point).
  Integer ItemAtPos(const TPoint& Pos, bool Existing);
  void Clear() { items_->Clear(); }
  TCanvas* Canvas() const { return canvas_.get(); }

  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  virtual void CNCommand(TMessage& Message);
  virtual void CNDrawItem(TMessage& Message);
  virtual void CNMeasureItem(TMessage& Message);
  virtual void DrawItem(Integer Index, TRect Rect, TOwnerDrawState State);
  virtual void MeasureItem(Integer Index, Integer& Height);
  // Whether the list can be reached through its window (creating it when it can be).
  bool ListWindow();

 private:
  std::unique_ptr<TStrings> items_;
  std::unique_ptr<TStringList> saved_;  // items while there is no window
  std::unique_ptr<TControlCanvas> canvas_;
  Integer savedIndex_ = -1;
  bool multiSelect_ = false;
  bool extendedSelect_ = true;
  TListBoxStyle style_ = lbStandard;
  Integer itemHeight_ = 16;
  bool sorted_ = false;
  bool integralHeight_ = false;
  TBorderStyle borderStyle_ = bsSingle;
  Integer tabWidth_ = 0;
};

class TListBox : public TCustomListBox {
 public:
  T_CLASSNAME(TListBox)
  using TCustomListBox::TCustomListBox;
};

// ---------------------------------------------------------------------------
// Combo box over the COMBOBOX class; Items through CB_ messages as for the list box.
//
// The edit window inside a csDropDown or csSimple combo is subclassed: its
// messages go through EditWndProc (override it to take them first), which
// runs the control's key events (KeyDown, KeyPress, KeyUp and their OnKey
// events) for keys typed into it.
class TCustomComboBox : public TWinControl {
  friend class TComboBoxStrings;
  friend LRESULT CALLBACK ComboEditWndProc(HWND, UINT, WPARAM, LPARAM);

 public:
  T_CLASSNAME(TCustomComboBox)
  explicit TCustomComboBox(TComponent* AOwner);
  ~TCustomComboBox() override;

  TStrings* Items() const { return items_.get(); }
  void SetItems(TStrings* Value) { items_->Assign(Value); }
  Integer ItemIndex();
  void SetItemIndex(Integer Value);
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle Value);
  Integer DropDownCount() const { return dropDownCount_; }
  void SetDropDownCount(Integer Value);
  Integer ItemHeight();
  void SetItemHeight(Integer Value);
  Integer MaxLength() const { return maxLength_; }
  void SetMaxLength(Integer Value);
  bool Sorted() const { return sorted_; }
  void SetSorted(bool Value);
  bool DroppedDown();
  void SetDroppedDown(bool Value);
  // Typing opens the list (Tab closes it).
  bool AutoDropDown() const { return autoDropDown_; }
  void SetAutoDropDown(bool Value) { autoDropDown_ = Value; }
  TEditCharCase CharCase() const { return charCase_; }
  void SetCharCase(TEditCharCase Value);
  // The selection in the edit part, in UTF-16 units of the text.
  Integer SelStart();
  void SetSelStart(Integer Value);
  Integer SelLength();
  void SetSelLength(Integer Value);
  // The selected text of the edit part (empty for the list styles); setting it
  // replaces the selection.
  std::string SelText();
  void SetSelText(const std::string& Value);
  void Clear();
  TCanvas* Canvas() const { return canvas_.get(); }
  // The edit window inside a drop-down combo (nullptr for the list styles).
  HWND EditHandle();

  TNotifyEvent OnChange;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  TNotifyEvent OnSelect;
  TDrawItemEvent OnDrawItem;
  TMeasureItemEvent OnMeasureItem;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  void SetTextBuf(const std::string& Value) override;
  virtual void CNCommand(TMessage& Message);
  virtual void CNDrawItem(TMessage& Message);
  virtual void CNMeasureItem(TMessage& Message);
  virtual void Change();
  virtual void Select();
  virtual void DropDown();
  virtual void CloseUp();
  virtual void DrawItem(Integer Index, TRect Rect, TOwnerDrawState State);
  virtual void MeasureItem(Integer Index, Integer& Height);
  bool ListWindow();
  void KeyPress(char& Key) override;
  // Every message of the edit part; the default hands it to ComboWndProc.
  virtual void EditWndProc(TMessage& Message);
  // Handles a message of an inner window of the combo (ComboWnd, whose own
  // procedure is ComboProc): focus, key events, then ComboProc.
  void ComboWndProc(TMessage& Message, HWND ComboWnd, WNDPROC ComboProc);
  // The edit part's own window procedure.
  WNDPROC DefEditProc() const { return defEditProc_; }

 private:
  void SubclassEdit();
  std::unique_ptr<TStrings> items_;
  std::unique_ptr<TStringList> saved_;
  std::unique_ptr<TControlCanvas> canvas_;
  Integer savedIndex_ = -1;
  TComboBoxStyle style_ = csDropDown;
  Integer dropDownCount_ = 8;
  Integer itemHeight_ = 16;
  Integer maxLength_ = 0;
  bool sorted_ = false;
  bool autoDropDown_ = false;
  TEditCharCase charCase_ = ecNormal;
  HWND editHandle_ = nullptr;
  WNDPROC defEditProc_ = nullptr;
};

class TComboBox : public TCustomComboBox {
 public:
  T_CLASSNAME(TComboBox)
  using TCustomComboBox::TCustomComboBox;
};
