// TfrmGifMain: the editor's main window. The frame list with the frame and
// animation property panels, the preview page, the menus, toolbar and frame
// popup built from bar items, and the one command dispatcher every item
// reaches. Its sources are split by topic:
//   GifMainForm.cpp           create/show/close, dispatcher, enabling, caption, status bar
//   GifMainForm_Frames.cpp    frame list, selection display, property edits, colour picks
//   GifMainForm_Commands.cpp  new, open, save, insert, remove, move
//   GifMainForm_Playback.cpp  playback on the preview page and the floating preview window
//   GifOptimizeForm.cpp, NewGifWizardForm.cpp, GifMainForm_Avi.cpp, Exporter.cpp,
//   GifHTMLCodeForm.cpp       the wizards and outputs, each with its dialog
#pragma once

#include <memory>
#include <string>

#include "gif/GIFImage.h"
#include "platform/Forms.h"

class TBitmap;
class TLabel;
class TPanel;
class TImage;
class TShape;
class TStatusBar;
class TProgressBar;
class TListItem;
class TOpenDialog;
class TSaveDialog;
class TRzListView;
class TRzGroupBox;
class TRzSpinEdit;
class TRzComboBox;
class TRzRadioButton;
class TRzCheckBox;
class TRzButton;
class TRzPageControl;
class TRzTabSheet;
class TRzPanel;
class TRzFrameController;
class TRuzozAd;
class TdxBarManager;
class TdxBarButton;
class TdxBarSubItem;
class TdxBarPopupMenu;

// Command numbers: the Tags of the bar items.
enum : Integer {
  cmdNew = 101,
  cmdOpen = 102,
  cmdExit = 103,
  cmdSave = 104,
  cmdSaveAs = 105,
  cmdSaveAsFlash = 106,
  cmdImportAVI = 107,
  cmdExportImages = 108,
  cmdFrameInsert = 201,
  cmdFrameRemove = 202,
  cmdSelectAll = 203,
  cmdFrameUp = 204,
  cmdFrameDown = 205,
  cmdTogglePreview = 301,
  cmdPlay = 302,
  cmdPause = 303,
  cmdRewind = 304,
  cmdPalDefaults = 401,
  cmdFrameSizeDefaults = 402,
  cmdHTMLCode = 403,
  cmdOptimize = 404,
  cmdHelpContents = 501,
  cmdAbout = 502
};

// The application title, and the caption's prefix before the file name.
inline constexpr const char* GifMainTitle = "Larkspire GIF Fluxmere";
inline constexpr const char* GifMainVersionTitle = "Larkspire GIF Fluxmere Version 7.0";

class TfrmGifMain : public TForm {
 public:
  T_CLASSNAME(TfrmGifMain)
  explicit TfrmGifMain(TComponent* AOwner);
  ~TfrmGifMain() override;

  // --- Components of the form resource ---------------------------------
  TRzListView* lvFiles = nullptr;
  TPanel* pnlProperties = nullptr;
  TRzGroupBox* RzGroupBox2 = nullptr;  // "Frame Properties"
  TLabel* lblDelay1 = nullptr;
  TRzSpinEdit* spinDelay = nullptr;
  TLabel* lblDelay2 = nullptr;
  TLabel* lblDisposal = nullptr;
  TRzComboBox* cboDisposal = nullptr;
  TRzGroupBox* RzGroupBox1 = nullptr;  // "Animation Properties"
  TRzRadioButton* optLoopForever = nullptr;
  TRzRadioButton* optLoopSpecified = nullptr;
  TRzSpinEdit* spinPlayTimes = nullptr;
  TLabel* lblPlayTimes = nullptr;
  TRzCheckBox* chkAnimationTrans = nullptr;
  TLabel* lblTransparent = nullptr;
  TShape* shpTransColor = nullptr;  // brush colour: transparent colour; Tag: its index
  TRzButton* btnSelectTransColor = nullptr;
  TRzPageControl* pcPreview = nullptr;
  TRzTabSheet* tsPreview = nullptr;
  TRzPanel* RzPanel1 = nullptr;
  TImage* imgPreview = nullptr;  // still picture of the selected frame
  TImage* ImageGIF = nullptr;    // playback
  TStatusBar* StatusBar = nullptr;
  TProgressBar* prgBar = nullptr;
  TRuzozAd* RuzozAd1 = nullptr;
  TOpenDialog* dlgOpen2 = nullptr;
  TSaveDialog* dlgSave = nullptr;
  TOpenDialog* dlgOpenAVI = nullptr;
  TdxBarManager* dxBarManager1 = nullptr;
  TdxBarPopupMenu* pumFrames = nullptr;
  TRzFrameController* RzFrameController1 = nullptr;

  // Bar items (Tag = command number).
  TdxBarButton *miNew = nullptr, *miOpen = nullptr, *miExit = nullptr, *miSave = nullptr, *miSaveAs = nullptr,
               *miSaveAsFlash = nullptr, *miImportAVI = nullptr, *miExportImages = nullptr;
  TdxBarButton *miFrameInsert = nullptr, *miFrameRemove = nullptr, *miSelectAll = nullptr, *miFrameUp = nullptr,
               *miFrameDown = nullptr;
  TdxBarButton *miViewPreviewWindow = nullptr, *miPlay = nullptr, *miPause = nullptr, *miRewind = nullptr;
  TdxBarButton *miPalDefaults = nullptr, *miFrameSizeDialog = nullptr, *miHTMLCode = nullptr, *miOptimize = nullptr;
  TdxBarButton *miHelpContents = nullptr, *miAbout = nullptr;
  // The main menu's sub-items and the toolbar's glyph-only save drop-down.
  TdxBarSubItem *mnuFile = nullptr, *mnuEdit = nullptr, *mnuView = nullptr, *mnuTools = nullptr, *mnuHelp = nullptr;
  TdxBarSubItem* miSaveDropDown = nullptr;

  // --- Own state ----------------------------------------------------------
  // A GIF file that is inserted is read into this second document first.
  std::unique_ptr<TGIFImage> scratchImage;
  // A document with frames is being edited (drives most enabling rules).
  bool documentOpen = false;
  // Initial folder of the open and insert dialogs.
  std::string lastFolder;
  // Playback runs in ImageGIF.
  bool playing = false;
  // Set while the window itself writes cboDisposal, spinDelay or
  // chkAnimationTrans: their change handlers then do nothing.
  bool disposalGuard = false;
  bool delayGuard = false;
  bool transparencyGuard = false;
  // The animation being edited.
  std::unique_ptr<TGIFImage> document;
  // Unsaved changes exist.
  bool modified = false;
  // Full path of the document's file; empty while untitled.
  std::string fileName;

  // --- Window handlers and operations (GifMainForm.cpp) -------------------
  void FormCreate(TObject* Sender);
  void FormShow(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void FormClose(TObject* Sender, TCloseAction& Action);
  void FormDestroy(TObject* Sender);
  // OnClick of every command item: ExecuteCommand with the item's Tag.
  void MenuItemClick(TObject* Sender);
  void ExecuteCommand(Integer Command);
  void UpdateCommandStates();
  void UpdateCaption();
  void SetStatusText(const std::string& Text, Integer Panel);
  void AssignShortcuts();
  // The save prompt of close, New and Open: true when the operation may go on
  // (nothing to save, No, or Yes and the save succeeded).
  bool QuerySaveChanges();
  // The bar item of a command number, or nullptr.
  TdxBarButton* CommandItem(Integer Command) const;

  // --- Frame list and property edits (GifMainForm_Frames.cpp) -------------
  void RebuildFrameList();
  static void ClearFrameList(TRzListView* List);
  static std::string FrameCaption(const std::string& OldCaption, Integer FrameNumber);
  void lvFilesSelectItem(TObject* Sender, TListItem* Item, bool Selected);
  void lvFilesMouseDown(TObject* Sender, TMouseButton Button, TShiftState Shift, Integer X, Integer Y);
  void lvFilesDblClick(TObject* Sender);
  void spinDelayChange(TObject* Sender);
  void cboDisposalChange(TObject* Sender);
  void optLoopForeverClick(TObject* Sender);
  void spinPlayTimesChange(TObject* Sender);
  void chkAnimationTransClick(TObject* Sender);
  void btnSelectTransColorClick(TObject* Sender);
  void PickGlobalTransparentColor();
  void PickFrameTransparentColor();
  // The size column's text of frame Index ("W x H", or "Unknown").
  std::string FrameSizeText(Integer Index);
  // Inserts a list item for frame Index (own-colour flag 0) captioned
  // "Frame n - " + Name, with its size column.
  TListItem* InsertFrameItem(Integer Index, const std::string& Name);
  // The own-colour flag of an item (0 or 1).
  static Byte ItemOwnColor(TListItem* Item);
  static void SetItemOwnColor(TListItem* Item, Byte Value);

  // --- File and frame commands (GifMainForm_Commands.cpp) -----------------
  bool NewAnimation();
  void ResetDocument();
  bool OpenAnimation();
  bool LoadAnimationFile(const std::string& Path);
  bool SaveAnimation();
  bool SaveAnimationAs();
  bool WriteAnimation();
  void InsertFrames();
  Integer InsertPosition();
  Integer AddBitmapFrame(TBitmap* Bitmap, Integer Position);
  Integer CheckFrameSize(TBitmap* Bitmap);
  void MergeGifFrames(const std::string& Path);
  void RemoveSelectedFrames();
  // Direction 0 up, 1 down.
  void MoveSelectedFrame(Integer Direction);
  void SelectAllFrames();

  // --- Playback and the preview window (GifMainForm_Playback.cpp) ---------
  void StartPlayback();
  void StopPlayback(bool StopPainter);
  void RewindPlayback();
  void PlaybackFrameShown(TObject* Sender);
  void PlaybackEnded(TObject* Sender);
  void TogglePreviewWindow();
  void RefreshPreviewWindow();
  bool TogglePreviewForm();
  void ImageGIFProgress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow, const TRect& R,
                        const std::string& Msg);

  // --- Optimisation wizard (GifOptimizeForm.cpp) --------------------------
  void ShowOptimizeWizard();
  // After Finish put the optimised copy in place: the frame list follows the
  // document's frames (their count and sizes) and the selected frame is shown again.
  void OptimizedDocumentTaken();

  // --- New-animation wizard (NewGifWizardForm.cpp) -------------------------
  // The new-animation wizard New runs after resetting the document.
  void RunAnimationWizard();
  // Reads a GIF file into the scratch image; when it holds several non-empty
  // frames they are merged into the document (MergeGifFrames), the document
  // is marked modified and the result is true. A single picture or a file the
  // reader refuses gives false, for the caller's picture load to take
  // (GifMainForm_Commands.cpp; Insert uses it too).
  bool MergeSeveralFrameGif(const std::string& Path);

  // --- AVI import (GifMainForm_Avi.cpp) -------------------------------------
  // "Import AVI...": dlgOpenAVI, then ImportAviFile with the chosen file.
  void ImportAviCommand();
  // Makes the AVI file's video a new untitled, modified document (through a
  // GIF file in the temporary folder, loaded as an opened file). False, with
  // a message and nothing else done, for a file of 500000 bytes or more.
  bool ImportAviFile(const std::string& Path);
  // OnProgress of the import's image: prgBar, put into the status bar, shows
  // the percent while a stage runs.
  void ShowImageProgress(TObject* Sender, TProgressStage Stage, Byte PercentDone, bool RedrawNow, const TRect& R,
                         const std::string& Msg);

  // --- Frame export (Exporter.cpp) ------------------------------------------
  void ShowExportDialog();

  // --- HTML snippet and Flash export (GifHTMLCodeForm.cpp) ------------------
  void ShowHTMLCode(const std::string& Name, Integer Width, Integer Height);
  void ExportFlashMovie();
};

// Enters the main window's class, fields and handlers for the form reader.
// Gives the form the program's icon (the MAINICON resource of the program)
// for its caption and the task list; a program without one leaves it as is.
void GiveProgramIcon(TCustomForm* Form);

void RegisterGifMainFormClasses();
