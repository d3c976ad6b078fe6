// Common dialogs (open, save, colour) and message boxes.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/Classes.h"
#include "platform/Controls.h"

enum TOpenOption {
  ofReadOnly, ofOverwritePrompt, ofHideReadOnly, ofNoChangeDir, ofShowHelp, ofNoValidate, ofAllowMultiSelect,
  ofExtensionDifferent, ofPathMustExist, ofFileMustExist, ofCreatePrompt, ofShareAware, ofNoReadOnlyReturn,
  ofNoTestFileCreate, ofNoNetworkButton, ofNoLongNames, ofOldStyleDialog, ofNoDereferenceLinks, ofEnableIncludeNotify,
  ofEnableSizing, ofDontAddToRecent, ofForceShowHidden
};
using TOpenOptions = TEnumSet<TOpenOption>;

// One "Description|Pattern" pair of a filter string.
struct TFilterEntry {
  std::string Description;
  std::string Pattern;
};
// Splits "Text|*.ext|Text2|*.a;*.b|" into its pairs; a trailing '|' and an
// empty last pair are ignored, a description without a pattern gets an empty one.
std::vector<TFilterEntry> ParseFilter(const std::string& Filter);

class TCommonDialog : public TComponent {
 public:
  T_CLASSNAME(TCommonDialog)
  explicit TCommonDialog(TComponent* AOwner) : TComponent(AOwner) {}
  Integer HelpContext() const { return helpContext_; }
  void SetHelpContext(Integer Value) { helpContext_ = Value; }
  virtual bool Execute() = 0;
  TNotifyEvent OnShow;
  TNotifyEvent OnClose;

 protected:
  // The window that owns the dialog: the active form's, or the application's.
  static HWND OwnerWindow();
  Integer helpContext_ = 0;
};

class TOpenDialog : public TCommonDialog {
 public:
  T_CLASSNAME(TOpenDialog)
  explicit TOpenDialog(TComponent* AOwner);
  ~TOpenDialog() override;
  const std::string& DefaultExt() const { return defaultExt_; }
  void SetDefaultExt(const std::string& Value) { defaultExt_ = Value; }
  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& Value) { fileName_ = Value; }
  TStrings* Files() const { return files_.get(); }
  const std::string& Filter() const { return filter_; }
  void SetFilter(const std::string& Value) { filter_ = Value; }
  Integer FilterIndex() const { return filterIndex_; }
  void SetFilterIndex(Integer Value) { filterIndex_ = Value; }
  const std::string& InitialDir() const { return initialDir_; }
  void SetInitialDir(const std::string& Value) { initialDir_ = Value; }
  TOpenOptions Options() const { return options_; }
  void SetOptions(TOpenOptions Value) { options_ = Value; }
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& Value) { title_ = Value; }
  bool Execute() override;

  // The OFN_ flags of the options (OFN_EXPLORER added).
  DWORD OptionFlags() const;
  // The filter as the dialog takes it: pairs separated and ended by NULs.
  std::wstring FilterBuffer() const;
  // Reads a dialog's result buffer into FileName and Files (multi-select:
  // folder, NUL, names, NUL NUL; single: the full path).
  void TakeResult(const wchar_t* Buffer, DWORD FilterIndex);

 protected:
  virtual bool DoExecute(bool Save);

  std::string defaultExt_, fileName_, filter_, initialDir_, title_;
  std::unique_ptr<TStringList> files_;
  Integer filterIndex_ = 1;
  TOpenOptions options_{ofHideReadOnly, ofEnableSizing};
};

// The file dialog every open and save dialog goes through when it is set
// (the dialog with its filter, folder and options; Save for a save dialog):
// returns the chosen full paths, none for Cancel. Tests set it to answer
// without a person; unset, the system's dialog runs.
using TFileDialogFunc = std::function<std::vector<std::string>(const TOpenDialog& Dialog, bool Save)>;
extern TFileDialogFunc FileDialogFunc;

class TSaveDialog : public TOpenDialog {
 public:
  T_CLASSNAME(TSaveDialog)
  using TOpenDialog::TOpenDialog;
  bool Execute() override;
};

enum TColorDialogOption { cdFullOpen, cdPreventFullOpen, cdShowHelp, cdSolidColor, cdAnyColor };
using TColorDialogOptions = TEnumSet<TColorDialogOption>;

class TColorDialog : public TCommonDialog {
 public:
  T_CLASSNAME(TColorDialog)
  explicit TColorDialog(TComponent* AOwner);
  ~TColorDialog() override;
  TColor Color() const { return color_; }
  void SetColor(TColor Value) { color_ = Value; }
  // "ColorA=RRGGBB" ... "ColorP=..." entries: the custom colours.
  TStrings* CustomColors() const { return customColors_.get(); }
  TColorDialogOptions Options() const { return options_; }
  void SetOptions(TColorDialogOptions Value) { options_ = Value; }
  bool Execute() override;

 private:
  TColor color_ = clBlack;
  std::unique_ptr<TStringList> customColors_;
  TColorDialogOptions options_;
};

// ---------------------------------------------------------------------------
// Message dialogs.
enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn { mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp };
using TMsgDlgButtons = TEnumSet<TMsgDlgBtn>;
inline const TMsgDlgButtons mbYesNoCancel{mbYes, mbNo, mbCancel};
inline const TMsgDlgButtons mbYesNo{mbYes, mbNo};
inline const TMsgDlgButtons mbOKCancel{mbOK, mbCancel};
inline const TMsgDlgButtons mbAbortRetryIgnore{mbAbort, mbRetry, mbIgnore};

// The message box every message dialog goes through (owner, text, caption,
// MB_ flags; returns the ID of the button). Tests replace it to answer
// without a person; the default is MessageBoxW.
using TMessageBoxFunc = std::function<int(HWND, const std::string&, const std::string&, UINT)>;
extern TMessageBoxFunc MessageBoxFunc;

// The caption and MB_ flags MessageDlg uses for a type and a set of buttons.
// The buttons are matched to the nearest standard box: Yes/No(/Cancel),
// OK(/Cancel), Retry/Cancel, Abort/Retry/Ignore.
void MessageDlgStyle(TMsgDlgType DlgType, TMsgDlgButtons Buttons, std::string& Caption, UINT& Flags);
TModalResult MessageDlg(const std::string& Msg, TMsgDlgType DlgType, TMsgDlgButtons Buttons, Integer HelpCtx);
void ShowMessage(const std::string& Msg);
// A message box owned by the active window, with the given caption and MB_ flags.
Integer MessageBox(const std::string& Text, const std::string& Caption, UINT Flags);
// A message box owned by Owner (through MessageBoxFunc).
Integer MessageBox(HWND Owner, const std::string& Text, const std::string& Caption, UINT Flags);
