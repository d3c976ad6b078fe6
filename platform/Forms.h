// Forms, the application object and the screen.
//
// Creating a form: construct it (new TfrmX(Owner)) and call AfterConstruction(),
// or let CreateForm do both. AfterConstruction reads the form resource named
// after the form's class (InitInheritedComponent; a form without a resource is
// fine) and then fires OnCreate. The resource cannot be read inside the base
// constructor, where the object is not yet of its final class; Show and
// ShowModal call AfterConstruction themselves when it has not run.
//
// Exceptions raised by handlers run from a window procedure, a timer or the
// loop go to Application->HandleException (OnException, else a message box;
// EAbort is silent). Application and Screen exist from program start.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Controls.h"

class TApplication;
class TScreen;
class THintWindow;
class TMainMenu;
class TMenuItem;

enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TEnumSet<TBorderIcon>;
enum TPosition {
  poDesigned, poDefault, poDefaultPosOnly, poDefaultSizeOnly, poScreenCenter, poDesktopCenter,
  poMainFormCenter, poOwnerFormCenter
};
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormStateItem { fsCreating, fsVisible, fsShowing, fsModal, fsCreatedMDIChild, fsActivated };
using TFormState = TEnumSet<TFormStateItem>;

using TCloseEvent = TEvent<TObject*, TCloseAction&>;
using TCloseQueryEvent = TEvent<TObject*, bool&>;
using TShortCutEvent = TEvent<TMessage&, bool&>;
using TIdleEvent = TEvent<TObject*, bool&>;
using TExceptionEvent = TEvent<TObject*, const Exception&>;
using THelpEvent = TEvent<Word, LONG_PTR, bool&>;
using THelpContext = Integer;

// Raised when help is asked for but no help system can show it.
T_DECLARE_EXCEPTION(EHelpSystemException, Exception)

// ---------------------------------------------------------------------------
class TCustomForm : public TCustomControl {
  friend class TApplication;
  friend class TWinControl;

 public:
  T_CLASSNAME(TCustomForm)
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;

  // Reads the form resource (when there is one) and fires OnCreate; runs once.
  virtual void AfterConstruction();

  void Show();
  void Hide() { SetVisible(false); }
  // Visible as read from a form resource: a form marked visible shows once created.
  void SetFormVisible(bool Value);
  virtual TModalResult ShowModal();
  void Close();
  virtual bool CloseQuery();
  // Frees the form once the messages now queued are handled (also what the
  // close action caFree does: the caller must not free the form again).
  void Release();

  TModalResult ModalResult() const { return modalResult_; }
  void SetModalResult(TModalResult Value) { modalResult_ = Value; }
  TFormState FormState() const { return formState_; }
  bool Active() const { return active_; }

  TFormBorderStyle BorderStyle() const { return borderStyle_; }
  void SetBorderStyle(TFormBorderStyle Value);
  TBorderIcons BorderIcons() const { return borderIcons_; }
  void SetBorderIcons(TBorderIcons Value);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition Value) { position_ = Value; }
  TFormStyle FormStyle() const { return formStyle_; }
  void SetFormStyle(TFormStyle Value);
  TWindowState WindowState() const;
  void SetWindowState(TWindowState Value);
  bool KeyPreview() const { return keyPreview_; }
  void SetKeyPreview(bool Value) { keyPreview_ = Value; }
  TIcon* Icon() const { return icon_.get(); }
  void SetIcon(TIcon* Value);
  // The main menu (reference, not owned), shown as the window's menu bar
  // (not on a dialog-border or child form); one form per menu.
  TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* Value);
  Integer PixelsPerInch() const { return pixelsPerInch_; }
  void SetPixelsPerInch(Integer Value) { pixelsPerInch_ = Value; }
  bool Scaled() const { return scaled_; }
  void SetScaled(bool Value) { scaled_ = Value; }
  bool OldCreateOrder() const { return false; }
  void SetOldCreateOrder(bool) {}
  bool AutoScroll() const { return autoScroll_; }
  void SetAutoScroll(bool Value) { autoScroll_ = Value; }
  std::string HelpFile() const { return helpFile_; }
  void SetHelpFile(const std::string& Value) { helpFile_ = Value; }

  // Focus.
  TWinControl* ActiveControl() const { return activeControl_; }
  void SetActiveControl(TWinControl* Control);
  void FocusControl(TWinControl* Control);
  void DefocusControl(TWinControl* Control, bool Removing);
  // Called when a control of this form gets the focus: CM_EXIT/CM_ENTER along the
  // way and CM_FOCUSCHANGED to the form. False when a handler moved the focus on.
  bool SetFocusedControl(TWinControl* Control);
  bool CanFocus() override { return true; }
  void SetFocus() override;
  // Whether the form's key shortcuts take the key (OnShortCut, then the main menu).
  virtual bool IsShortCut(TMessage& Message);
  void MouseWheelHandler(TMessage& Message) override;
  // Tells the active control of the active form that the mouse goes to
  // Sender now (CM_CANCELMODE with Sender as LParam); an MDI frame passes it
  // on to its active child.
  void SendCancelMode(TControl* Sender);

  // MDI.
  HWND ClientHandle() const { return clientHandle_; }
  TCustomForm* ActiveMDIChild();
  Integer MDIChildCount();
  TCustomForm* MDIChildren(Integer I);

  void SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) override;
  TRect GetClientRect() override;
  TPoint ClientOrigin() override;
  void SetClientSize(Integer W, Integer H) override;
  // The border width is a band of the form's colour between the frame and
  // the client area: ClientWidth/ClientHeight leave it out.
  void SetBorderWidth(Integer Value) override;
  void AdjustClientRect(TRect& Rect) override;
  // The form keeps its place: its client size, controls and font scale.
  void ChangeScale(Integer M, Integer D) override;

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnPaint;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TShortCutEvent OnShortCut;
  // Asked first while the form is the active one (see TApplication::HelpCommand).
  THelpEvent OnHelp;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWindowHandle(const TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWindowHandle() override;
  void DefaultHandler(TMessage& Message) override;
  void Dispatch(TMessage& Message) override;
  void Paint() override;
  void Loaded() override;

  // Reads the form resource named after the class, when there is one.
  void ReadFormResource();
  virtual void DoCreate();
  virtual void DoDestroy();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& Action);
  virtual void Activate();
  virtual void Deactivate();

  void CMShowingChanged(TMessage& Message) override;
  void CMDialogKey(TMessage& Message) override;
  virtual void CMActivate(TMessage& Message);
  virtual void CMDeactivate(TMessage& Message);
  virtual void CMRelease(TMessage& Message);
  virtual void WMClose(TMessage& Message);
  virtual void WMActivate(TMessage& Message);
  virtual void WMQueryEndSession(TMessage& Message);
  virtual void WMGetMinMaxInfo(TMessage& Message);
  void WMSetFocus(TMessage& Message) override;
  void WMCommand(TMessage& Message) override;
  virtual void WMInitMenuPopup(TMessage& Message);
  virtual void WMMenuSelect(TMessage& Message);
  virtual void WMHelp(TMessage& Message);
  virtual void WMNCCalcSize(TMessage& Message);
  virtual void WMNCPaint(TMessage& Message);
  // The palette messages of the top-level window, handed to the controls.
  virtual void WMQueryNewPalette(TMessage& Message);
  virtual void WMPaletteChanged(TMessage& Message);

  void CloseModal();
  void SetWindowFocus();
  void SetActive(bool Value);
  void PlaceForm();
  // Whether the main menu shows in this form's window (top level, not a dialog border).
  bool MenuBarAllowed() const;
  // Attaches the main menu to the window, or detaches it.
  void UpdateMenuBar();

  TFormState formState_;
  TModalResult modalResult_ = mrNone;
  TFormBorderStyle borderStyle_ = bsSizeable;
  TBorderIcons borderIcons_{biSystemMenu, biMinimize, biMaximize};
  TPosition position_ = poDesigned;
  TFormStyle formStyle_ = fsNormal;
  TWindowState windowState_ = wsNormal;
  bool keyPreview_ = false;
  std::unique_ptr<TIcon> icon_;
  TMainMenu* menu_ = nullptr;
  Integer pixelsPerInch_ = 96;
  bool scaled_ = true;
  bool autoScroll_ = false;
  std::string helpFile_;
  TWinControl* activeControl_ = nullptr;
  TWinControl* focusedControl_ = nullptr;
  Integer focusCount_ = 0;
  bool active_ = false;
  bool constructed_ = false;
  HWND clientHandle_ = nullptr;
  // The main-menu item under the highlight while the menu is open (its
  // command, or the sub-menu of an item that opens one), for F1.
  bool menuSelected_ = false;
  UINT menuSelectedCommand_ = 0;
  HMENU menuSelectedPopup_ = nullptr;
  TMenuItem* SelectedMenuItem();
  // Client size read from a resource, applied once the border is known too.
  Integer pendingClientWidth_ = -1;
  Integer pendingClientHeight_ = -1;

  void Notification(TComponent* AComponent, TOperation Operation) override;
};

class TForm : public TCustomForm {
 public:
  T_CLASSNAME(TForm)
  explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
};

// Constructs a form and completes its creation (resource, OnCreate).
template <class T>
T* CreateForm(TComponent* AOwner) {
  auto* f = new T(AOwner);
  try {
    f->AfterConstruction();
  } catch (...) {
    delete f;
    throw;
  }
  return f;
}

// ---------------------------------------------------------------------------
// The hint window: a popup that shows a text on the hint colour.
class THintWindow : public TCustomControl {
 public:
  T_CLASSNAME(THintWindow)
  explicit THintWindow(TComponent* AOwner);
  // Shows the window at Rect (screen coordinates) with the text.
  virtual void ActivateHint(TRect Rect, const std::string& AHint);
  virtual void ActivateHintData(TRect Rect, const std::string& AHint, void* /*AData*/) { ActivateHint(Rect, AHint); }
  // The size needed for the text, at most MaxWidth wide (origin 0, 0).
  virtual TRect CalcHintRect(Integer MaxWidth, const std::string& AHint, void* AData);
  void ReleaseHandle();

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void Dispatch(TMessage& Message) override;
};

// ---------------------------------------------------------------------------
class TApplication : public TComponent {
 public:
  T_CLASSNAME(TApplication)
  explicit TApplication(TComponent* AOwner);
  ~TApplication() override;

  void Initialize() {}
  // Creates a form of class T, stores it in Reference; the first one becomes MainForm.
  template <class T>
  void CreateForm(T*& Reference) {
    auto* f = new T(this);
    Reference = f;
    try {
      f->AfterConstruction();
    } catch (...) {
      Reference = nullptr;
      delete f;
      throw;
    }
    if (!mainForm_) SetMainFormOnce(f);
  }
  void Run();
  void ProcessMessages();
  void HandleMessage();
  void Terminate();
  bool Terminated() const { return terminated_; }
  // Reports the exception being handled (call inside a catch block): OnException
  // when assigned, else a message box; EAbort is silent.
  void HandleException(TObject* Sender);
  void ShowException(const Exception& E);
  // A message box owned by the active window (else the main form, else the
  // application window), through MessageBoxFunc (Dialogs.h).
  Integer MessageBox(const std::string& Text, const std::string& Caption, UINT Flags = MB_OK);

  HWND Handle();
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& Value);
  std::string ExeName() const;
  TCustomForm* MainForm() const { return mainForm_; }
  bool Active() const { return active_; }
  bool ShowMainForm() const { return showMainForm_; }
  void SetShowMainForm(bool Value) { showMainForm_ = Value; }

  void Minimize();
  void Restore();
  void BringToFront();

  // Help: the active form's OnHelp when assigned, else OnHelp; when the
  // handler leaves CallHelp set, the help file (the active form's, else the
  // application's) goes to the help system. There is none here: asking for a
  // file's help raises EHelpSystemException. No handler and no file: false.
  const std::string& HelpFile() const { return helpFile_; }
  void SetHelpFile(const std::string& Value) { helpFile_ = Value; }
  bool HelpCommand(Integer Command, LONG_PTR Data);
  bool HelpContext(THelpContext Context);
  bool HelpJump(const std::string& JumpID);

  // Hints.
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool Value);
  const std::string& Hint() const { return hint_; }
  void SetHint(const std::string& Value);
  TColor HintColor() const { return hintColor_; }
  void SetHintColor(TColor Value);
  Integer HintPause() const { return hintPause_; }
  void SetHintPause(Integer Value) { hintPause_ = Value; }
  Integer HintShortPause() const { return hintShortPause_; }
  void SetHintShortPause(Integer Value) { hintShortPause_ = Value; }
  Integer HintHidePause() const { return hintHidePause_; }
  void SetHintHidePause(Integer Value) { hintHidePause_ = Value; }
  // Whether hints of commands show their shortcut too ("Open (Ctrl+O)").
  bool HintShortCuts() const { return hintShortCuts_; }
  void SetHintShortCuts(bool Value) { hintShortCuts_ = Value; }
  void CancelHint();
  // Shows the hint of the control under the cursor now (at CursorPos, screen coordinates).
  void ActivateHint(const TPoint& CursorPos);
  THintWindow* HintWindow() const { return hintWindow_; }
  TControl* HintControl() const { return hintControl_; }
  // Called for every mouse move over a control of ours.
  void HintMouseMessage(TControl* Control, TMessage& Message);

  // Internal notifications.
  void ControlDestroyed(TControl* Control);
  void FormDestroyed(TCustomForm* Form);
  void SetMainFormOnce(TCustomForm* Form);
  // One round of idle processing (hint timers, mouse tracking, OnIdle, the
  // actions of the forms when OnIdle is done, synchronize).
  void Idle(const MSG& Msg);
  // Brings the action clients of every visible, enabled form (controls and
  // main menu) up to date with their actions' OnUpdate.
  void DoActionIdle();

  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TExceptionEvent OnException;
  TIdleEvent OnIdle;
  TNotifyEvent OnHint;
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;
  THelpEvent OnHelp;

 private:
  bool ProcessMessage(MSG& Msg);
  bool InvokeHelp(Word Command, LONG_PTR Data);
  bool IsKeyMsg(MSG& Msg);
  bool IsHintMsg(MSG& Msg);
  static LRESULT CALLBACK AppWndProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam);
  void HintTimerExpired();
  void StartHintTimer(Integer Value, Integer Kind);
  void StopHintTimer();

  HWND handle_ = nullptr;
  std::string title_;
  TCustomForm* mainForm_ = nullptr;
  bool terminated_ = false;
  bool active_ = true;
  bool showMainForm_ = true;
  bool handlingException_ = false;
  std::string helpFile_;
  bool showHint_ = true;
  std::string hint_;
  TColor hintColor_ = clInfoBk;
  Integer hintPause_ = 500;
  Integer hintShortPause_ = 50;
  Integer hintHidePause_ = 2500;
  bool hintShortCuts_ = true;
  THintWindow* hintWindow_ = nullptr;
  TControl* hintControl_ = nullptr;
  TRect hintCursorRect_;
  bool hintActive_ = false;
  Integer hintTimerKind_ = 0;  // 0 none, 1 show, 2 hide
  UINT_PTR hintTimer_ = 0;
};

// ---------------------------------------------------------------------------
class TScreen : public TComponent {
 public:
  T_CLASSNAME(TScreen)
  explicit TScreen(TComponent* AOwner);
  ~TScreen() override;

  TCursor Cursor() const { return cursor_; }
  // Changes the cursor of the whole application at once (crDefault: each control's own).
  void SetCursor(TCursor Value);
  HCURSOR Cursors(Integer Index);
  // Registers a cursor under a number (the screen owns the handle; 0 removes).
  void SetCursors(Integer Index, HCURSOR Handle);

  Integer FormCount() const { return static_cast<Integer>(forms_.size()); }
  TCustomForm* Forms(Integer Index) const { return forms_.at(static_cast<size_t>(Index)); }
  Integer CustomFormCount() const { return FormCount(); }
  TCustomForm* CustomForms(Integer Index) const { return Forms(Index); }
  TCustomForm* ActiveForm() const { return activeForm_; }
  TCustomForm* ActiveCustomForm() const { return activeForm_; }
  TWinControl* ActiveControl() const { return activeControl_; }
  TCustomForm* FocusedForm() const { return focusedForm_; }

  Integer PixelsPerInch() const { return pixelsPerInch_; }
  Integer Width() const { return GetSystemMetrics(SM_CXSCREEN); }
  Integer Height() const { return GetSystemMetrics(SM_CYSCREEN); }
  Integer DesktopWidth() const { return GetSystemMetrics(SM_CXVIRTUALSCREEN); }
  Integer DesktopHeight() const { return GetSystemMetrics(SM_CYVIRTUALSCREEN); }
  TRect WorkAreaRect() const;
  TFont* HintFont() const;
  TFont* MenuFont() const;
  TFont* IconFont() const;

  TNotifyEvent OnActiveControlChange;
  TNotifyEvent OnActiveFormChange;

  // Internal bookkeeping by the forms.
  void AddForm(TCustomForm* Form);
  void RemoveForm(TCustomForm* Form);
  void SetActiveControl(TWinControl* Control, TCustomForm* Form);
  void SetFocusedForm(TCustomForm* Form) { focusedForm_ = Form; }
  void ControlDestroyed(TControl* Control);

 private:
  void InitFonts();
  TCursor cursor_ = crDefault;
  std::vector<std::pair<Integer, HCURSOR>> cursors_;
  std::vector<TCustomForm*> forms_;
  TCustomForm* activeForm_ = nullptr;
  TCustomForm* focusedForm_ = nullptr;
  TWinControl* activeControl_ = nullptr;
  Integer pixelsPerInch_ = 96;
  std::unique_ptr<TFont> hintFont_, menuFont_, iconFont_;
};

extern TApplication* Application;
extern TScreen* Screen;

// The text of a hint up to its first '|' (short) or after it (long).
std::string GetShortHint(const std::string& Hint);
std::string GetLongHint(const std::string& Hint);
// Whether Key is the accelerator ("&x") of Text, any case.
bool IsAccel(Word Key, const std::string& Text);
