// TfIOPreviews: the dialog in which the user sets the save parameters of one
// image format, with the original on the left and, on the right, what the
// chosen parameters make of it and how large the file would be.
#pragma once

#include <memory>
#include <string>

#include "imaging/buffer/hyieutils.h"
#include "imaging/buffer/zezivori.h"
#include "platform/Forms.h"

class TRuzozAdView;
class TRuzozAdIO;
class TRuzozAdProc;
class TIOParamsVals;
class TPanel;
class TLabel;
class TButton;
class TSpeedButton;
class TProgressBar;
class TPageControl;
class TTabSheet;
class TTrackBar;
class TEdit;
class TComboBox;
class TCheckBox;
class TGroupBox;
class TColorDialog;

// The pages, in the order of the form.
enum TIOPreviewsPage : Byte {
  ippJPEG1,
  ippJPEG2,
  ippTIFF1,
  ippTIFF2,
  ippGIF1,
  ippGIF2,
  ippBMP,
  ippPCX,
  ippPNG,
  ippTGA,
  ippJ2K,
  ippNone
};
constexpr int IOPreviewsPageCount = 11;

// Page flags of ChoosePages: 1 every page, 2 the page of the parameters' file
// type; then one bit per format.
enum : Word {
  ppAll = 1,
  ppByFileType = 2,
  ppJPEG = 4,
  ppTIFF = 8,
  ppGIF = 16,
  ppBMP = 32,
  ppPCX = 64,
  ppPNG = 128,
  ppTGA = 256,
  ppJ2000 = 512
};

// The parameters the pages edit, as the controls show them.
struct TIOPreviewsWork {
  Integer JpegQuality = 80;
  Byte JpegColorSpace = 2;
  Byte JpegDctMethod = 0;
  bool JpegOptimalHuffman = false;
  Integer JpegSmoothing = 0;
  bool JpegProgressive = false;
  double J2kRate = 1.0;
  Byte J2kColorSpace = 1;
  Byte TiffCompression = 0;
  Integer TiffPageIndex = 0;
  Byte TiffPhotometric = 2;
  Integer TiffXPosition = 0, TiffYPosition = 0;
  std::string TiffDocumentName, TiffImageDescription, TiffPageName;
  Integer TiffPageNumber = 0, TiffPageCount = 0;
  Integer BitsPerSample = 8, SamplesPerPixel = 3;  // TIFF and GIF
  Integer GifImageIndex = 0, GifXPosition = 0, GifYPosition = 0, GifDelay = 0;
  bool GifHasTransparency = false;
  TIEColorTriple GifTransparentColor{};
  bool GifInterlaced = false;
  TIEColorTriple GifBackgroundColor{};
  Byte BmpCompression = 0;
  Integer BmpColors = 4;  // 0 B/W, 1 16, 2 256, 3 65536, 4 16M, 5 16M (32bit)
  Byte PcxCompression = 1;
  Integer PcxColors = 3;  // 0 B/W, 1 16, 2 256, 3 16M
  Integer PngColors = 2;  // 0 B/W, 1 256, 2 16M
  bool PngInterlaced = false;
  TIEColorTriple PngBackground{};
  Byte PngFilter = 0;
  Integer PngCompression = 5;
  Integer TgaColors = 2;  // 0 B/W, 1 256, 2 16M
  TIEColorTriple TgaKeyColor{};
  bool TgaCompression = true;
  std::string TgaJobName, TgaImageId;
};

class TfIOPreviews : public TForm {
 public:
  T_CLASSNAME(TfIOPreviews)
  explicit TfIOPreviews(TComponent* AOwner);
  ~TfIOPreviews() override;

  // Components of the form resource.
  TPanel* Panel2 = nullptr;
  TLabel *Label1 = nullptr, *Label2 = nullptr;
  TRuzozAdView *RuzozAd1 = nullptr, *RuzozAd2 = nullptr;
  TProgressBar* ProgressBar1 = nullptr;
  TButton *Button1 = nullptr, *Button2 = nullptr, *Button3 = nullptr, *Button4 = nullptr;
  TSpeedButton* SpeedButton1 = nullptr;
  TPageControl* PageControl1 = nullptr;
  TTrackBar *TrackBar13 = nullptr, *TrackBar2 = nullptr, *TrackBar1 = nullptr;
  TEdit *Edit1 = nullptr, *Edit2 = nullptr, *Edit3 = nullptr, *Edit4 = nullptr, *Edit5 = nullptr, *Edit6 = nullptr,
        *Edit7 = nullptr, *Edit8 = nullptr, *Edit9 = nullptr, *Edit10 = nullptr, *Edit11 = nullptr, *Edit12 = nullptr,
        *Edit13 = nullptr, *Edit14 = nullptr, *Edit15 = nullptr, *Edit16 = nullptr, *Edit22 = nullptr,
        *Edit23 = nullptr;
  TComboBox *ComboBox1 = nullptr, *ComboBox2 = nullptr, *ComboBox3 = nullptr, *ComboBox4 = nullptr,
            *ComboBox5 = nullptr, *ComboBox6 = nullptr, *ComboBox7 = nullptr, *ComboBox8 = nullptr,
            *ComboBox9 = nullptr, *ComboBox10 = nullptr, *ComboBox11 = nullptr, *ComboBox12 = nullptr,
            *ComboBox13 = nullptr, *ComboBox14 = nullptr, *ComboBox15 = nullptr, *ComboBox16 = nullptr,
            *ComboBox17 = nullptr, *ComboBox18 = nullptr;
  TCheckBox *CheckBox1 = nullptr, *CheckBox2 = nullptr, *CheckBox3 = nullptr, *CheckBox4 = nullptr,
            *CheckBox5 = nullptr, *CheckBox6 = nullptr;
  TPanel *Panel1 = nullptr, *Panel3 = nullptr, *Panel4 = nullptr, *Panel5 = nullptr;
  TLabel* Label34 = nullptr;
  TColorDialog* ColorDialog1 = nullptr;

  // Set up by the opening I/O component before ChoosePages and ShowModal.
  bool LockPreview = false;
  TIOParamsVals* TargetParams = nullptr;
  bool Simplified = false;
  Byte Dither = 1;

  void ApplyLanguage(TMsgLanguage Language);
  // False when no page is left to show.
  bool ChoosePages(Word Pages);
  Word PageMask() const { return pageMask_; }
  void LoadWorkingCopy();
  void ShowWorkingCopy();
  void RenderPreview(TRuzozAdView* View);
  void ShowProgress(TObject* Sender, Integer Percent);
  const TIOPreviewsWork& WorkingCopy() const { return work_; }
  TIOPreviewsPage ActivePageKind();
  TTabSheet* PageSheet(TIOPreviewsPage Page);
  TRuzozAdIO* PreviewIO() const { return io_; }
  const std::string& CancelCaption() const { return cancelCaption_; }
  bool Ready() const { return ready_; }

  // Handlers of the form resource.
  void FormCreate(TObject* Sender);
  void FormActivate(TObject* Sender);
  void FormDestroy(TObject* Sender);
  void PageControl1Change(TObject* Sender);
  void PageControl1Changing(TObject* Sender, bool& AllowChange);
  void RuzozAd1ViewChange(TObject* Sender, Integer Change);
  void SpeedButton1Click(TObject* Sender);
  void Button1Click(TObject* Sender);
  void Button3Click(TObject* Sender);
  void Button4Click(TObject* Sender);
  void ComboBox2Click(TObject* Sender);
  void ComboBox16Change(TObject* Sender);
  void TrackBar13Change(TObject* Sender);
  void Edit22Change(TObject* Sender);
  void TrackBar2Change(TObject* Sender);
  void Edit16Change(TObject* Sender);
  void ComboBox5Click(TObject* Sender);
  void ComboBox18Change(TObject* Sender);
  void ComboBox6Change(TObject* Sender);
  void ComboBox8Change(TObject* Sender);
  void ComboBox10Change(TObject* Sender);
  void ComboBox14Click(TObject* Sender);
  void TrackBar1Change(TObject* Sender);
  void Edit15Change(TObject* Sender);
  void Panel3Click(TObject* Sender);
  void Panel4Click(TObject* Sender);
  void Panel1Click(TObject* Sender);
  void Panel5Click(TObject* Sender);

 private:
  TControl* Named(const char* Name);
  void SetCaptionOf(const char* Name, const std::string& Text);
  void SizeLabels(TIOPreviewsPage Page, TLabel** Labels);
  void SetCompressedSize(TIOPreviewsPage Page, Int64 Bytes);
  void CopyWorkingCopyToTarget();
  void PreviewChanged();
  bool PickPaletteColor(TPanel* Swatch, Integer Colors);
  void PickSwatchColor(TPanel* Swatch, TIEColorTriple& Into, bool GifColor);

  Word pageMask_ = 0;
  std::string cancelCaption_ = "&Cancel";
  TRuzozAdIO* io_ = nullptr;      // owned by the form
  TRuzozAdProc* proc_ = nullptr;  // owned by the form
  TIOPreviewsWork work_;
  Integer progressOffset_ = 0;
  Integer progressDivisor_ = 1;
  bool ready_ = false;
  bool activated_ = false;
};

// The dialog set up for the I/O component as RunIOPreviewsDialog shows it
// (before ChoosePages).
std::unique_ptr<TfIOPreviews> CreateIOPreviewsFor(TRuzozAdIO* IO);
// Shows the dialog for the I/O component (its parameters, language, font and
// picture) and returns true when it closed with OK.
bool RunIOPreviewsDialog(TRuzozAdIO* IO, Word Pages);
// Enters the dialog's class, fields and handlers for its form resource.
void RegisterIOPreviewsClasses();
