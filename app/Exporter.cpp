#include "app/Exporter.h"

#include <memory>

#include "app/GifMainForm.h"
#include "app/GifRoutines.h"
#include "app/HourglassCursor.h"
#include "controls/RzButton.h"
#include "controls/RzCmboBx.h"
#include "controls/RzListVw.h"
#include "controls/RzPanel.h"
#include "controls/RzRadChk.h"
#include "gif/GIFImage.h"
#include "platform/ComCtrls.h"
#include "platform/Dialogs.h"
#include "platform/ExtCtrls.h"
#include "platform/Jpeg.h"
#include "platform/StdCtrls.h"
#include "platform/SysUtils.h"
#include "platform/TypInfo.h"

namespace {

// The extension (without the dot) the save dialog adds to a name typed
// without one, and the export gives such a name, by format.
const char* const kExporterExtensions[3] = {"gif", "jpg", "bmp"};

// Writes Data to Name. Everything is encoded before the file is opened, so a
// frame that cannot be encoded leaves an existing file alone; a file this
// write created but could not finish is removed rather than left truncated.
void ExporterWriteFile(const std::string& Name, TMemoryStream& Data) {
  auto file = std::make_unique<TFileStream>(Name, fmCreate);
  try {
    if (Data.Size() > 0) file->WriteBuffer(Data.Memory(), static_cast<Integer>(Data.Size()));
  } catch (...) {
    file.reset();
    DeleteFile(Name);
    throw;
  }
}

}  // namespace

void RegisterExporterClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterRzRadChkClasses();
  RegisterRzButtonClasses();
  RegisterRzPanelClasses();
  RegisterRzComboBoxClasses();
  using F = TfrmExporter;
  RegisterClassInfo<F, TForm>("TfrmExporter");
  RegisterHandlers<F>({
      {"FormCreate", &F::FormCreate},
      {"FormActivate", &F::FormActivate},
      {"FormCloseQuery", &F::FormCloseQuery},
      {"lbExportClick", &F::lbExportClick},
      {"optGIFClick", &F::optGIFClick},
      {"optGIFNetscapeClick", &F::optGIFNetscapeClick},
      {"chkJProgressClick", &F::chkJProgressClick},
  });
  RegisterFields<F>({
      {"lblInstructions", &F::lblInstructions},
      {"lbExport", &F::lbExport},
      {"sbPreview", &F::sbPreview},
      {"imgPreview", &F::imgPreview},
      {"Progress", &F::Progress},
      {"grpFormat", &F::grpFormat},
      {"optGIF", &F::optGIF},
      {"optJpeg", &F::optJpeg},
      {"optBitmap", &F::optBitmap},
      {"pnlGIF", &F::pnlGIF},
      {"grpGIFPalette", &F::grpGIFPalette},
      {"optGIFNetscape", &F::optGIFNetscape},
      {"optGIFGray", &F::optGIFGray},
      {"optGIFMonochrome", &F::optGIFMonochrome},
      {"optGIFWindows", &F::optGIFWindows},
      {"cbGIFColors", &F::cbGIFColors},
      {"lblGIFColors", &F::lblGIFColors},
      {"optGIFWinSys20", &F::optGIFWinSys20},
      {"chkGIFOptimized", &F::chkGIFOptimized},
      {"pnlJPEG", &F::pnlJPEG},
      {"grpJQuality", &F::grpJQuality},
      {"trackbar", &F::trackbar},
      {"lblJExcellent", &F::lblJExcellent},
      {"lblJPoor", &F::lblJPoor},
      {"chkJGrayscale", &F::chkJGrayscale},
      {"grpJDisplay", &F::grpJDisplay},
      {"chkJProgress", &F::chkJProgress},
      {"chkJSmooth", &F::chkJSmooth},
      {"grpJPerformance", &F::grpJPerformance},
      {"optJBestQuality", &F::optJBestQuality},
      {"optJSpdQuality", &F::optJSpdQuality},
      {"pnlBitmap", &F::pnlBitmap},
      {"chkBMono", &F::chkBMono},
      {"btnOk", &F::btnOk},
      {"btnCancel", &F::btnCancel},
  });
}

TfrmExporter::TfrmExporter(TComponent* AOwner) : TForm(AOwner) {
  RegisterExporterClasses();
  MainForm = dynamic_cast<TfrmGifMain*>(AOwner);
}

// ---------------------------------------------------------------------------
// File names and options.

std::string ExportFileName(const std::string& BaseName, Integer Index) {
  const std::string infix = "GF1" + IntToStr(Index);
  const std::string folder = ExtractFilePath(BaseName);
  const std::string name = BaseName.substr(folder.size());
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return BaseName + infix;
  return folder + name.substr(0, dot) + infix + name.substr(dot);
}

std::string ExportBaseName(const std::string& Chosen, TExportFormat Kind) {
  const std::string extension = std::string(".") + kExporterExtensions[Kind];
  if (Kind == efGIF) return ChangeFileExt(Chosen, extension);
  return ExtractFileExt(Chosen).empty() ? ChangeFileExt(Chosen, extension) : Chosen;
}

Integer ExportJpegQuality(Integer Position) {
  static const Integer qualities[5] = {100, 75, 50, 25, 1};
  return Position >= 0 && Position < 5 ? qualities[Position] : 50;
}

TExportFormat TfrmExporter::Format() const {
  if (optJpeg->Checked()) return efJPEG;
  if (optBitmap->Checked()) return efBitmap;
  return efGIF;
}

void TfrmExporter::ApplyGifOptions(TGIFImage* Image) {
  switch (GifColorChoice) {
    case 0: Image->SetColorReduction(rdNetscape); break;
    case 1: Image->SetColorReduction(rdGrayScale); break;
    case 2: Image->SetColorReduction(rdMonochrome); break;
    case 3: {
      Image->SetColorReduction(rdQuantize);
      const Integer index = cbGIFColors->ItemIndex();
      if (index >= 0 && index <= 5) Image->SetColorDepthLimit(8 - index);
      break;
    }
    case 4: Image->SetColorReduction(rdWindows20); break;
    default: break;
  }
}

void TfrmExporter::ApplyJpegOptions(TJPEGImage* Image) {
  if (chkJProgress->Checked()) {
    Image->SetProgressiveDisplay(true);
    Image->SetSmoothing(true);
  }
  if (chkJGrayscale->Checked()) Image->SetGrayscale(true);
  Image->SetPerformance(optJBestQuality->Checked() ? jpBestQuality : jpBestSpeed);
  Image->SetCompressionQuality(ExportJpegQuality(trackbar->Position()));
}

// ---------------------------------------------------------------------------
// Handlers.

void TfrmExporter::FormCreate(TObject*) { cbGIFColors->SetItemIndex(0); }

void TfrmExporter::FormActivate(TObject*) {
  if (activated_) return;
  activated_ = true;
  lbExportClick(lbExport);
}

void TfrmExporter::lbExportClick(TObject*) {
  const Integer index = lbExport->ItemIndex();
  if (index < 0 || index >= lbExport->Items()->Count()) return;
  SetScrollBoxRedraw(sbPreview, true);
  try {
    TGIFImage* document = MainForm ? MainForm->document.get() : nullptr;
    if (document && index < document->Frames()->ItemCount())
      imgPreview->Picture()->Assign(document->Frames()->FrameAt(index)->RenderedBitmap());
  } catch (const std::exception&) {
    // The preview keeps what it showed.
  }
  SetScrollBoxRedraw(sbPreview, false);
  CenterInScrollBox(sbPreview, imgPreview);
}

void TfrmExporter::optGIFClick(TObject* Sender) {
  auto* option = dynamic_cast<TComponent*>(Sender);
  if (!option) return;
  const Integer tag = option->Tag();
  pnlGIF->SetVisible(tag == efGIF);
  pnlJPEG->SetVisible(tag == efJPEG);
  pnlBitmap->SetVisible(tag == efBitmap);
}

void TfrmExporter::optGIFNetscapeClick(TObject* Sender) {
  if (auto* option = dynamic_cast<TComponent*>(Sender)) GifColorChoice = static_cast<Byte>(option->Tag());
}

void TfrmExporter::chkJProgressClick(TObject*) {
  if (chkJProgress->Checked()) {
    chkJSmooth->SetEnabled(true);
  } else {
    chkJSmooth->SetChecked(false);
    chkJSmooth->SetEnabled(false);
  }
}

void TfrmExporter::FormCloseQuery(TObject*, bool& CanClose) {
  if (ModalResult() != mrOk || lbExport->SelCount() <= 0 || !MainForm) return;
  const TExportFormat kind = Format();
  TSaveDialog* dialog = MainForm->dlgSave;
  dialog->SetFilter(GifExportFilters[kind]);
  dialog->SetFileName("");
  // A name typed without an extension gets the chosen format's; the window's
  // own saves expect the dialog's default back afterwards.
  const std::string defaultExt = dialog->DefaultExt();
  dialog->SetDefaultExt(kExporterExtensions[kind]);
  const bool chosen = dialog->Execute();
  dialog->SetDefaultExt(defaultExt);
  if (!chosen) {
    CanClose = false;
    return;
  }
  bool written;
  {
    THourglassCursor wait;
    written = ExportFrames(kind, ExportBaseName(dialog->FileName(), kind));
  }
  if (!written) MessageDlg("An error occurred exporting one or more images.", mtInformation, TMsgDlgButtons{mbOK}, 0);
}

// ---------------------------------------------------------------------------
// The export.

bool TfrmExporter::ExportFrames(TExportFormat Kind, const std::string& BaseName) {
  TGIFImage* document = MainForm->document.get();
  Progress->SetPosition(0);
  Progress->SetMax(lbExport->SelCount());
  Progress->SetVisible(true);

  std::unique_ptr<TGIFImage> gif;
  std::unique_ptr<TJPEGImage> jpeg;
  std::unique_ptr<TBitmap> bmp;
  switch (Kind) {
    case efGIF:
      gif = std::make_unique<TGIFImage>();
      ApplyGifOptions(gif.get());
      break;
    case efJPEG:
      jpeg = std::make_unique<TJPEGImage>();
      ApplyJpegOptions(jpeg.get());
      break;
    case efBitmap:
      bmp = std::make_unique<TBitmap>();
      break;
  }
  const bool mono = chkBMono->Checked();
  const bool optimize = chkGIFOptimized->Checked();

  TBitmap work;
  bool failed = false;
  for (Integer i = 0; i < lbExport->Items()->Count(); ++i) {
    if (!lbExport->Selected(i)) continue;
    Progress->StepBy(1);
    Progress->Update();
    // A frame without a picture is skipped: writing the previous frame's
    // picture under its name would be worse than no file.
    TBitmap* rendered = nullptr;
    try {
      if (i < document->Frames()->ItemCount()) rendered = document->Frames()->FrameAt(i)->RenderedBitmap();
      if (rendered && !rendered->Empty()) work.Assign(rendered);
    } catch (const std::exception&) {
      rendered = nullptr;
    }
    if (!rendered || rendered->Empty()) {
      failed = true;
      continue;
    }
    const std::string name = ExportFileName(BaseName, i);
    try {
      TMemoryStream data;
      switch (Kind) {
        case efGIF:
          // The frame's own 8-bit picture would be taken as it is; in true
          // colour it is reduced to the chosen colours.
          work.SetPixelFormat(pf24bit);
          try {
            gif->Assign(&work);
            if (optimize) gif->MergeColorMaps();
            gif->SaveToStream(&data);
          } catch (...) {
            gif->ClearDocument();
            throw;
          }
          gif->ClearDocument();
          break;
        case efJPEG:
          jpeg->Assign(&work);
          jpeg->SaveToStream(&data);
          break;
        case efBitmap:
          bmp->Assign(&work);
          // Assigning takes the source's format; the choice is applied after.
          if (mono) bmp->SetMonochrome(true);
          bmp->SaveToStream(&data);
          break;
      }
      ExporterWriteFile(name, data);
    } catch (const std::exception&) {
      failed = true;
    }
  }
  return !failed;
}

// ---------------------------------------------------------------------------

void TfrmGifMain::ShowExportDialog() {
  std::unique_ptr<TfrmExporter> dialog(CreateForm<TfrmExporter>(this));
  // Without its window the list keeps a single selected entry only.
  dialog->HandleNeeded();
  TListItems* items = lvFiles->Items();
  for (Integer i = 0; i < items->Count(); ++i) {
    dialog->lbExport->Items()->Add(items->Item(i)->Caption());
    if (items->Item(i)->Selected()) dialog->lbExport->SetSelected(i, true);
  }
  dialog->ShowModal();
}
