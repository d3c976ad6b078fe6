// The main window: create, show and close, the command dispatcher and its
// enabling rules, the caption and the status bar.
#include "app/GifMainForm.h"

#include "app/AboutGifFluxmereForm.h"
#include "app/AppFileUtils.h"
#include "app/FrameSizeForm.h"
#include "app/GifPreviewForm.h"
#include "app/GifRoutines.h"
#include "app/PalettePromptForm.h"

#include "bars/dxBar.h"
#include "controls/RzButton.h"
#include "controls/RzCmboBx.h"
#include "controls/RzCommon.h"
#include "controls/RzListVw.h"
#include "controls/RzPanel.h"
#include "controls/RzRadChk.h"
#include "controls/RzSpnEdt.h"
#include "controls/RzTabs.h"
#include "imaging/views/imaging_classes.h"
#include "imaging/views/ruzozad.h"
#include "platform/ComCtrls.h"
#include "platform/Dialogs.h"
#include "platform/ExtCtrls.h"
#include "platform/Graphics.h"
#include "platform/Menus.h"
#include "platform/StdCtrls.h"
#include "platform/SysUtils.h"
#include "platform/TypInfo.h"

namespace {

// One row of the command table: the item of a command number and the
// shortcut AssignShortcuts gives it (0: none).
struct TMainCommandRow {
  Integer Tag;
  TdxBarButton* TfrmGifMain::*Item;
  TShortCut Keys;
};

const TMainCommandRow kMainCommandRows[] = {
    {cmdNew, &TfrmGifMain::miNew, scCtrl | 'N'},
    {cmdOpen, &TfrmGifMain::miOpen, scCtrl | 'O'},
    {cmdExit, &TfrmGifMain::miExit, 0},
    {cmdSave, &TfrmGifMain::miSave, scCtrl | 'S'},
    {cmdSaveAs, &TfrmGifMain::miSaveAs, 0},
    {cmdSaveAsFlash, &TfrmGifMain::miSaveAsFlash, 0},
    {cmdImportAVI, &TfrmGifMain::miImportAVI, 0},
    {cmdExportImages, &TfrmGifMain::miExportImages, 0},
    {cmdFrameInsert, &TfrmGifMain::miFrameInsert, scCtrl | 'I'},
    {cmdFrameRemove, &TfrmGifMain::miFrameRemove, VK_DELETE},
    {cmdSelectAll, &TfrmGifMain::miSelectAll, scCtrl | 'A'},
    {cmdFrameUp, &TfrmGifMain::miFrameUp, scCtrl | 'U'},
    {cmdFrameDown, &TfrmGifMain::miFrameDown, scCtrl | 'D'},
    {cmdTogglePreview, &TfrmGifMain::miViewPreviewWindow, 0},
    {cmdPlay, &TfrmGifMain::miPlay, scCtrl | 'P'},
    {cmdPause, &TfrmGifMain::miPause, scCtrl | 'X'},
    {cmdRewind, &TfrmGifMain::miRewind, 0},
    {cmdPalDefaults, &TfrmGifMain::miPalDefaults, 0},
    {cmdFrameSizeDefaults, &TfrmGifMain::miFrameSizeDialog, 0},
    {cmdHTMLCode, &TfrmGifMain::miHTMLCode, 0},
    {cmdOptimize, &TfrmGifMain::miOptimize, 0},
    {cmdHelpContents, &TfrmGifMain::miHelpContents, VK_F1},
    {cmdAbout, &TfrmGifMain::miAbout, 0},
};

// The bar manager fires a shortcut before the focused control sees its key.
// A plain key (no Ctrl or Alt) that an edit box acts on by its key-down
// alone -- Del, the caret keys -- held right now while an edit box of the
// window has the focus was typed into that box: hand it on and report true,
// so the command does not run (Del in the delay box removed frames).
bool PassKeyToFocusedEdit(HWND Window, TShortCut Keys) {
  const Word vk = static_cast<Word>(Keys & 0xFF);
  switch (vk) {
    case VK_DELETE: case VK_HOME: case VK_END: case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN: break;
    default: return false;
  }
  if ((Keys & (scCtrl | scAlt)) != 0 || (::GetAsyncKeyState(vk) & 0x8000) == 0) return false;
  HWND focus = ::GetFocus();
  if (!focus || !Window || !::IsChild(Window, focus)) return false;
  if ((::SendMessageW(focus, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) == 0) return false;
  // These keys sit on the extended part of the keyboard.
  const UINT scan = ::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  ::SendMessageW(focus, WM_KEYDOWN, vk, static_cast<LPARAM>(1u | (scan << 16) | (1u << 24)));
  return true;
}

void EnableMainItem(TdxBarButton* Item, bool Value) {
  if (Item) Item->SetEnabled(Value);
}

void EnableMainControl(TControl* Control, bool Value) {
  if (Control) Control->SetEnabled(Value);
}

}  // namespace

TfrmGifMain::TfrmGifMain(TComponent* AOwner) : TForm(AOwner) { RegisterGifMainFormClasses(); }

TfrmGifMain::~TfrmGifMain() {
  // A painter still running on a copy of the document calls back into this
  // window: stop every one before the window goes.
  if (ImageGIF)
    if (auto* gif = dynamic_cast<TGIFImage*>(ImageGIF->Picture()->Graphic())) gif->StopPainting();
  if (frmGifPreview) {
    if (auto* gif = dynamic_cast<TGIFImage*>(frmGifPreview->imgPreview->Picture()->Graphic())) gif->StopPainting();
    delete frmGifPreview;
  }
  if (GifRoutinesImageComponent == RuzozAd1) GifRoutinesImageComponent = nullptr;
  GifRoutinesTransparentColor = [] { return clNone; };
}

void TfrmGifMain::FormCreate(TObject*) {
  // Every document made from now on draws its animation straight onto its canvas.
  GIFDefaults.PaintFlags |= pfPaintDirect;
  Application->SetTitle(GifMainVersionTitle);
  SetCaption(std::string(GifMainVersionTitle) + " - [UNTITLED]");
  scratchImage = std::make_unique<TGIFImage>();
  document = std::make_unique<TGIFImage>();
  document->OnFrameShow = TGIFPainterEvent(this, &TfrmGifMain::PlaybackFrameShown);
  document->OnAnimationEnd = TGIFPainterEvent(this, &TfrmGifMain::PlaybackEnded);
  documentOpen = false;
  imgPreview->SetAlign(alClient);
  ImageGIF->SetAlign(alClient);
  ClearFrameList(lvFiles);
  std::string images = AppFolder() + "Images\\";
  lastFolder = DirectoryExists(images) ? images : AppFolder();
  pnlProperties->SetBevelInner(bvNone);
  pnlProperties->SetBevelOuter(bvNone);
  AssignShortcuts();
  // The document routines reach the hidden image component and the swatch through these.
  GifRoutinesImageComponent = RuzozAd1;
  GifRoutinesTransparentColor = [this] { return shpTransColor->Brush()->Color(); };
}

void TfrmGifMain::FormShow(TObject*) { UpdateCommandStates(); }

void TfrmGifMain::FormCloseQuery(TObject*, bool& CanClose) { CanClose = QuerySaveChanges(); }

void TfrmGifMain::FormClose(TObject*, TCloseAction&) {
  StopPlayback(true);
  if (frmGifPreview) {
    if (auto* gif = dynamic_cast<TGIFImage*>(frmGifPreview->imgPreview->Picture()->Graphic())) gif->StopPainting();
    frmGifPreview->imgPreview->Picture()->Assign(nullptr);
    frmGifPreview->Release();
    frmGifPreview = nullptr;
  }
  imgPreview->Picture()->Assign(nullptr);
}

void TfrmGifMain::FormDestroy(TObject*) {}

void GiveProgramIcon(TCustomForm* Form) {
  auto handle = static_cast<HICON>(
      ::LoadImageW(::GetModuleHandleW(nullptr), L"MAINICON", IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  if (!handle) return;
  // The form keeps it across a new window handle.
  TIcon icon;
  icon.SetHandle(handle);
  Form->SetIcon(&icon);
}

void TfrmGifMain::MenuItemClick(TObject* Sender) {
  auto* item = dynamic_cast<TdxBarItem*>(Sender);
  if (!item || PassKeyToFocusedEdit(HandleAllocated() ? Handle() : nullptr, item->ShortCut())) return;
  ExecuteCommand(static_cast<Integer>(item->Tag()));
}

void TfrmGifMain::ExecuteCommand(Integer Command) {
  auto after = [this] {
    UpdateCommandStates();
    RefreshPreviewWindow();
  };
  try {
    switch (Command) {
      case cmdNew: NewAnimation(); break;
      case cmdOpen: OpenAnimation(); break;
      case cmdExit: Close(); break;
      case cmdSave: SaveAnimation(); break;
      case cmdSaveAs: SaveAnimationAs(); break;
      case cmdSaveAsFlash: ExportFlashMovie(); break;
      case cmdImportAVI: ImportAviCommand(); break;
      case cmdExportImages: ShowExportDialog(); break;
      case cmdFrameInsert: InsertFrames(); break;
      case cmdFrameRemove: RemoveSelectedFrames(); break;
      case cmdSelectAll: SelectAllFrames(); break;
      case cmdFrameUp: MoveSelectedFrame(0); break;
      case cmdFrameDown: MoveSelectedFrame(1); break;
      case cmdTogglePreview: TogglePreviewWindow(); break;
      case cmdPlay: StartPlayback(); break;
      case cmdPause: StopPlayback(true); break;
      case cmdRewind: RewindPlayback(); break;
      case cmdPalDefaults: ShowPaletteDefaults(); break;
      case cmdFrameSizeDefaults: ShowFrameSizeDefaults(); break;
      case cmdHTMLCode: ShowHTMLCode(ExtractFileName(fileName), document->Width(), document->Height()); break;
      case cmdOptimize: ShowOptimizeWizard(); break;
      case cmdHelpContents: OpenDocument(AppFolder() + "help\\index.html", Handle()); break;
      case cmdAbout: ShowAboutBox(); break;
      default: break;
    }
  } catch (...) {
    // The window's state still follows what the command did before it failed.
    after();
    throw;
  }
  after();
}

void TfrmGifMain::UpdateCommandStates() {
  if (!lvFiles) return;
  const Integer count = lvFiles->Items()->Count();
  const Integer selCount = lvFiles->SelCount();
  TListItem* selected = lvFiles->Selected();
  EnableMainItem(miPlay, !playing && documentOpen && count > 1);
  EnableMainItem(miPause, playing && documentOpen);
  EnableMainItem(miRewind, playing && documentOpen);
  for (TdxBarButton* item : {miSave, miSaveAs, miSaveAsFlash, miExportImages}) EnableMainItem(item, documentOpen);
  EnableMainItem(miHTMLCode, documentOpen && selCount > 0);
  EnableMainItem(miOptimize, documentOpen && selCount > 0);
  EnableMainItem(miFrameRemove, selected != nullptr);
  EnableMainItem(miFrameInsert, count == 0 || selected != nullptr);
  EnableMainControl(pnlProperties, documentOpen);
  EnableMainControl(pcPreview, documentOpen);
  EnableMainControl(tsPreview, documentOpen);
  for (TControl* c : std::initializer_list<TControl*>{lblDelay1, lblDelay2, spinDelay, lblDisposal, cboDisposal})
    EnableMainControl(c, selCount > 0);
  bool up = false, down = false;
  if (selCount == 1 && selected) {
    up = selected->Index() != 0;
    down = selected->Index() != count - 1;
  }
  EnableMainItem(miFrameUp, up);
  EnableMainItem(miFrameDown, down);
}

void TfrmGifMain::UpdateCaption() {
  SetCaption(std::string(GifMainVersionTitle) + " - " + (fileName.empty() ? std::string("[UNTITLED]") : fileName));
}

void TfrmGifMain::SetStatusText(const std::string& Text, Integer Panel) {
  if (!StatusBar || Panel < 0 || Panel >= StatusBar->Panels()->Count()) return;
  StatusBar->Panels()->Items(Panel)->SetText(Text);
  StatusBar->Repaint();
}

void TfrmGifMain::AssignShortcuts() {
  for (const TMainCommandRow& row : kMainCommandRows)
    if (row.Keys != 0)
      if (TdxBarButton* item = this->*row.Item) item->SetShortCut(row.Keys);
}

bool TfrmGifMain::QuerySaveChanges() {
  if (!modified) return true;
  std::string text = fileName.empty() ? std::string("Would you like to save the changes to the UNTITLED Image ?")
                                      : "Would you like to save the changes to " + ExtractFileName(fileName) + " ?";
  switch (MessageBox(Handle(), text, "Confirm", MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
      try {
        return SaveAnimation();
      } catch (const Exception& E) {
        // A save that failed is a cancel: the window and the document stay.
        Application->ShowException(E);
        return false;
      }
    case IDNO:
      return true;
    default:
      return false;
  }
}

TdxBarButton* TfrmGifMain::CommandItem(Integer Command) const {
  for (const TMainCommandRow& row : kMainCommandRows)
    if (row.Tag == Command) return this->*row.Item;
  return nullptr;
}

void RegisterGifMainFormClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  // The classes the form resource names.
  RegisterImagingClasses();
  RegisterRzCommonClasses();
  RegisterRzListViewClasses();
  RegisterRzPanelClasses();
  RegisterRzSpinEditClasses();
  RegisterRzComboBoxClasses();
  RegisterRzRadChkClasses();
  RegisterRzButtonClasses();
  RegisterRzTabsClasses();
  RegisterGifPreviewFormClasses();
  using F = TfrmGifMain;
  RegisterClassInfo<F, TForm>("TfrmGifMain");
  RegisterHandlers<F>({
      {"FormCreate", &F::FormCreate},
      {"FormShow", &F::FormShow},
      {"FormCloseQuery", &F::FormCloseQuery},
      {"FormClose", &F::FormClose},
      {"FormDestroy", &F::FormDestroy},
      {"MenuItemClick", &F::MenuItemClick},
      {"lvFilesSelectItem", &F::lvFilesSelectItem},
      {"lvFilesMouseDown", &F::lvFilesMouseDown},
      {"lvFilesDblClick", &F::lvFilesDblClick},
      {"spinDelayChange", &F::spinDelayChange},
      {"cboDisposalChange", &F::cboDisposalChange},
      {"optLoopForeverClick", &F::optLoopForeverClick},
      {"spinPlayTimesChange", &F::spinPlayTimesChange},
      {"chkAnimationTransClick", &F::chkAnimationTransClick},
      {"btnSelectTransColorClick", &F::btnSelectTransColorClick},
      {"ImageGIFProgress", &F::ImageGIFProgress},
  });
  RegisterFields<F>({
      {"lvFiles", &F::lvFiles},
      {"pnlProperties", &F::pnlProperties},
      {"RzGroupBox2", &F::RzGroupBox2},
      {"lblDelay1", &F::lblDelay1},
      {"spinDelay", &F::spinDelay},
      {"lblDelay2", &F::lblDelay2},
      {"lblDisposal", &F::lblDisposal},
      {"cboDisposal", &F::cboDisposal},
      {"RzGroupBox1", &F::RzGroupBox1},
      {"optLoopForever", &F::optLoopForever},
      {"optLoopSpecified", &F::optLoopSpecified},
      {"spinPlayTimes", &F::spinPlayTimes},
      {"lblPlayTimes", &F::lblPlayTimes},
      {"chkAnimationTrans", &F::chkAnimationTrans},
      {"lblTransparent", &F::lblTransparent},
      {"shpTransColor", &F::shpTransColor},
      {"btnSelectTransColor", &F::btnSelectTransColor},
      {"pcPreview", &F::pcPreview},
      {"tsPreview", &F::tsPreview},
      {"RzPanel1", &F::RzPanel1},
      {"imgPreview", &F::imgPreview},
      {"ImageGIF", &F::ImageGIF},
      {"StatusBar", &F::StatusBar},
      {"prgBar", &F::prgBar},
      {"RuzozAd1", &F::RuzozAd1},
      {"dlgOpen2", &F::dlgOpen2},
      {"dlgSave", &F::dlgSave},
      {"dlgOpenAVI", &F::dlgOpenAVI},
      {"dxBarManager1", &F::dxBarManager1},
      {"pumFrames", &F::pumFrames},
      {"RzFrameController1", &F::RzFrameController1},
      {"miNew", &F::miNew},
      {"miOpen", &F::miOpen},
      {"miExit", &F::miExit},
      {"miSave", &F::miSave},
      {"miSaveAs", &F::miSaveAs},
      {"miSaveAsFlash", &F::miSaveAsFlash},
      {"miImportAVI", &F::miImportAVI},
      {"miExportImages", &F::miExportImages},
      {"miFrameInsert", &F::miFrameInsert},
      {"miFrameRemove", &F::miFrameRemove},
      {"miSelectAll", &F::miSelectAll},
      {"miFrameUp", &F::miFrameUp},
      {"miFrameDown", &F::miFrameDown},
      {"miViewPreviewWindow", &F::miViewPreviewWindow},
      {"miPlay", &F::miPlay},
      {"miPause", &F::miPause},
      {"miRewind", &F::miRewind},
      {"miPalDefaults", &F::miPalDefaults},
      {"miFrameSizeDialog", &F::miFrameSizeDialog},
      {"miHTMLCode", &F::miHTMLCode},
      {"miOptimize", &F::miOptimize},
      {"miHelpContents", &F::miHelpContents},
      {"miAbout", &F::miAbout},
      {"mnuFile", &F::mnuFile},
      {"mnuEdit", &F::mnuEdit},
      {"mnuView", &F::mnuView},
      {"mnuTools", &F::mnuTools},
      {"mnuHelp", &F::mnuHelp},
      {"miSaveDropDown", &F::miSaveDropDown},
  });
}
