// The "Export Images" dialog: the selected frames of the document, each
// written to its own GIF, JPEG or BMP file. The user picks the frames (one of
// them previewed), the format and its options, presses OK and names the files
// in the main window's save dialog; frame k of the list goes to the chosen
// name with "GF1" and k before its extension.
//
// Use: TfrmGifMain::ShowExportDialog (the whole run: fill, show, export, free).
#pragma once

#include <string>

#include "platform/Forms.h"

class TLabel;
class TListBox;
class TScrollBox;
class TImage;
class TProgressBar;
class TPanel;
class TTrackBar;
class TRzGroupBox;
class TRzRadioButton;
class TRzCheckBox;
class TRzComboBox;
class TRzButton;
class TGIFImage;
class TJPEGImage;
class TfrmGifMain;

// The export's file formats (the Tags of the format radios).
enum TExportFormat : Integer { efGIF = 0, efJPEG = 1, efBitmap = 2 };

class TfrmExporter : public TForm {
 public:
  T_CLASSNAME(TfrmExporter)
  explicit TfrmExporter(TComponent* AOwner);

  // Components (from resources/TfrmExporter.dfm).
  TLabel* lblInstructions = nullptr;
  TListBox* lbExport = nullptr;
  TScrollBox* sbPreview = nullptr;
  TImage* imgPreview = nullptr;
  TProgressBar* Progress = nullptr;
  TRzGroupBox* grpFormat = nullptr;  // "Export Image(s) as"
  TRzRadioButton* optGIF = nullptr;
  TRzRadioButton* optJpeg = nullptr;
  TRzRadioButton* optBitmap = nullptr;
  TPanel* pnlGIF = nullptr;
  TRzGroupBox* grpGIFPalette = nullptr;  // "Color Palette"
  TRzRadioButton* optGIFNetscape = nullptr;
  TRzRadioButton* optGIFGray = nullptr;
  TRzRadioButton* optGIFMonochrome = nullptr;
  TRzRadioButton* optGIFWindows = nullptr;
  TRzComboBox* cbGIFColors = nullptr;
  TLabel* lblGIFColors = nullptr;  // "(colors)"
  TRzRadioButton* optGIFWinSys20 = nullptr;
  TRzCheckBox* chkGIFOptimized = nullptr;
  TPanel* pnlJPEG = nullptr;
  TRzGroupBox* grpJQuality = nullptr;  // "&Compresson Quality"
  TTrackBar* trackbar = nullptr;
  TLabel* lblJExcellent = nullptr;
  TLabel* lblJPoor = nullptr;
  TRzCheckBox* chkJGrayscale = nullptr;
  TRzGroupBox* grpJDisplay = nullptr;  // "Display"
  TRzCheckBox* chkJProgress = nullptr;
  TRzCheckBox* chkJSmooth = nullptr;
  TRzGroupBox* grpJPerformance = nullptr;  // "Performance"
  TRzRadioButton* optJBestQuality = nullptr;
  TRzRadioButton* optJSpdQuality = nullptr;
  TPanel* pnlBitmap = nullptr;
  TRzCheckBox* chkBMono = nullptr;
  TRzButton* btnOk = nullptr;
  TRzButton* btnCancel = nullptr;

  // The Tag of the last clicked colour radio (0: the 216-colour palette).
  Byte GifColorChoice = 0;
  // The main window whose document, frame list and save dialog the export uses.
  TfrmGifMain* MainForm = nullptr;

  // Handlers (bound by name from the form text).
  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void FormCloseQuery(TObject* Sender, bool& CanClose);
  void lbExportClick(TObject* Sender);
  void optGIFClick(TObject* Sender);
  void optGIFNetscapeClick(TObject* Sender);
  void chkJProgressClick(TObject* Sender);

  // The chosen format, after the format radios.
  TExportFormat Format() const;
  void ApplyGifOptions(TGIFImage* Image);
  void ApplyJpegOptions(TJPEGImage* Image);
  // Writes the selected frames under BaseName (the infix of each entry's
  // index before its extension); false when any frame was not written.
  bool ExportFrames(TExportFormat Kind, const std::string& BaseName);

 private:
  bool activated_ = false;
};

// The file name of list entry Index: "GF1" and Index inserted before the
// extension of BaseName's file part (at its end when it has none). For a
// name ending in a dot and three characters this is "before the last four
// characters"; the folder part is never touched.
std::string ExportFileName(const std::string& BaseName, Integer Index);
// The name the export writes under for the save dialog's Chosen name: GIF
// always gets ".gif"; JPEG and BMP keep their extension, a name without one
// gets the format's.
std::string ExportBaseName(const std::string& Chosen, TExportFormat Kind);
// The JPEG compression quality of a track-bar position (0 best .. 4 poorest).
Integer ExportJpegQuality(Integer Position);

void RegisterExporterClasses();
