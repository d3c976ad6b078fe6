#include "imaging/views/iopreviews.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <memory>
#include <vector>

#include "imaging/buffer/iepalettedlg.h"
#include "imaging/buffer/ruzozadproc_component.h"
#include "imaging/formats/ioparams.h"
#include "imaging/formats/ruzozadio.h"
#include "imaging/views/iewords.h"
#include "imaging/views/ruzozadview.h"
#include "platform/Buttons.h"
#include "platform/ComCtrls.h"
#include "platform/Dialogs.h"
#include "platform/ExtCtrls.h"
#include "platform/StdCtrls.h"
#include "platform/SysUtils.h"
#include "platform/Tabs.h"
#include "platform/TypInfo.h"

namespace {

struct TBitsSamples {
  Integer bits, samples;
};

// Colour choices of the pages and the bits and samples they write.
const TBitsSamples kTiffColors[] = {{1, 1}, {4, 1}, {8, 1}, {16, 1}, {8, 3}};
const TBitsSamples kShortTiffColors[] = {{1, 1}, {4, 1}, {8, 1}, {8, 3}};
const TBitsSamples kBmpColors[] = {{1, 1}, {4, 1}, {8, 1}, {5, 3}, {8, 3}, {8, 3}};
const TBitsSamples kPcxColors[] = {{1, 1}, {4, 1}, {8, 1}, {8, 3}};
const TBitsSamples kPngTgaColors[] = {{1, 1}, {8, 1}, {8, 3}};

// TIFF photometric values (the combo's item indexes).
enum : Byte { phWhiteIsZero, phBlackIsZero, phRGB, phPalette, phTranspMask, phCMYK, phYCbCr, phCIELab };
// TIFF compression values; the short page lists them in another order.
enum : Byte { tcNone, tcCCITT1D, tcG3Fax1D, tcG3Fax2D, tcG4Fax, tcLZW, tcOldJpeg, tcJpeg, tcPackBits };
const Byte kShortTiffCompression[] = {tcNone, tcCCITT1D, tcG3Fax1D, tcG3Fax2D, tcG4Fax, tcLZW, tcPackBits, tcJpeg};

bool IsFax(Byte Compression) { return Compression >= tcCCITT1D && Compression <= tcG4Fax; }

Integer TiffColorsIndex(Integer Bits, Integer Samples) {
  if (Samples >= 3) return 4;
  if (Bits <= 1) return 0;
  if (Bits <= 4) return 1;
  if (Bits <= 8) return 2;
  return 3;
}

Integer ShortTiffColorsIndex(Integer Bits, Integer Samples) {
  if (Samples >= 3) return 3;
  return Bits <= 1 ? 0 : Bits <= 4 ? 1 : 2;
}

Integer IntOf(TEdit* Edit, Integer Default) { return StrToIntDef(Trim(Edit->Text()), Default); }

// The size-label quadruples of each page: original caption and value,
// compressed caption and value.
const char* const kSizeLabels[IOPreviewsPageCount][4] = {
    {"Label3", "Label4", "Label9", "Label11"},     {"Label73", "Label74", "Label75", "Label76"},
    {"Label17", "Label18", "Label22", "Label24"},  {"Label83", "Label84", "Label85", "Label86"},
    {"Label25", "Label28", "Label29", "Label30"},  {"Label88", "Label89", "Label90", "Label91"},
    {"Label39", "Label40", "Label41", "Label42"},  {"Label45", "Label46", "Label47", "Label48"},
    {"Label50", "Label51", "Label52", "Label53"},  {"Label58", "Label59", "Label60", "Label61"},
    {"Label67", "Label68", "Label69", "Label70"},
};
const char* const kSheetNames[IOPreviewsPageCount] = {"TabSheetJPEG1", "TabSheetJPEG2", "TabSheetTIFF1",
                                                      "TabSheetTIFF2", "TabSheetGIF1",  "TabSheetGIF2",
                                                      "TabSheetBMP1",  "TabSheetPCX1",  "TabSheetPNG1",
                                                      "TabSheetTGA1",  "TabSheetJ20001"};
const Word kPageBits[IOPreviewsPageCount] = {ppJPEG, ppJPEG, ppTIFF, ppTIFF, ppGIF, ppGIF,
                                             ppBMP,  ppPCX,  ppPNG,  ppTGA,  ppJ2000};

// Runs a writer of the form with the change handlers quiet.
struct TQuiet {
  bool& ready;
  bool saved;
  explicit TQuiet(bool& Ready) : ready(Ready), saved(Ready) { ready = false; }
  ~TQuiet() { ready = saved; }
};

void SetIndex(TComboBox* Combo, Integer Index) { Combo->SetItemIndex(Index); }

// Rewrites an edit only when its text differs: the user may be typing in it,
// and a rewrite puts the caret back at the start.
void ShowNumber(TEdit* Edit, Int64 Value) {
  const std::string text = IntToStr(Value);
  if (Edit->Text() != text) Edit->SetText(text);
}

}  // namespace

TfIOPreviews::TfIOPreviews(TComponent* AOwner) : TForm(AOwner) { RegisterIOPreviewsClasses(); }

TfIOPreviews::~TfIOPreviews() = default;

TControl* TfIOPreviews::Named(const char* Name) { return dynamic_cast<TControl*>(FindComponent(Name)); }

void TfIOPreviews::SetCaptionOf(const char* Name, const std::string& Text) {
  if (TControl* c = Named(Name)) c->SetCaption(Text);
}

void TfIOPreviews::SizeLabels(TIOPreviewsPage Page, TLabel** Labels) {
  for (int i = 0; i < 4; ++i) Labels[i] = dynamic_cast<TLabel*>(FindComponent(kSizeLabels[Page][i]));
}

TTabSheet* TfIOPreviews::PageSheet(TIOPreviewsPage Page) {
  return dynamic_cast<TTabSheet*>(FindComponent(kSheetNames[Page]));
}

TIOPreviewsPage TfIOPreviews::ActivePageKind() {
  TTabSheet* active = PageControl1 ? PageControl1->ActivePage() : nullptr;
  for (int p = 0; p < IOPreviewsPageCount; ++p)
    if (active && PageSheet(TIOPreviewsPage(p)) == active) return TIOPreviewsPage(p);
  return ippNone;
}

// --- Form life -----------------------------------------------------------------

void TfIOPreviews::FormCreate(TObject*) {
  for (TRuzozAdView* view : {RuzozAd1, RuzozAd2}) {
    TFont font;
    font.SetCharset(DEFAULT_CHARSET);
    font.SetColor(clWindowText);
    font.SetHeight(-11);
    font.SetName("MS Sans Serif");
    font.SetStyle({});
    view->OwnIO()->SetPreviewFont(&font);
  }
  io_ = new TRuzozAdIO(this);
  io_->OnProgress = TIEProgressEvent(this, &TfIOPreviews::ShowProgress);
  io_->StreamHeaders = false;
  proc_ = new TRuzozAdProc(this);
  cancelCaption_ = "&Cancel";
  Dither = 1;
  for (Integer i = 0; i < ComponentCount(); ++i)
    if (auto* track = dynamic_cast<TTrackBar*>(Components(i))) track->SetThumbLength(10);
  Button4->SetEnabled(false);
}

void TfIOPreviews::FormDestroy(TObject*) {
  delete io_;
  io_ = nullptr;
  delete proc_;
  proc_ = nullptr;
}

void TfIOPreviews::ApplyLanguage(TMsgLanguage Language) {
  auto word = [Language](Integer W) { return GetLocalizedWord(W, Language); };
  auto labels = [&](Integer W, std::initializer_list<const char*> Names) {
    for (const char* n : Names) SetCaptionOf(n, word(W) + ":");
  };
  auto plain = [&](Integer W, std::initializer_list<const char*> Names) {
    for (const char* n : Names) SetCaptionOf(n, word(W));
  };
  auto groups = [&](Integer W, std::initializer_list<const char*> Names) {
    for (const char* n : Names) SetCaptionOf(n, " " + word(W) + " ");
  };
  SetCaption(word(37));
  labels(1, {"Label1"});
  labels(2, {"Label2"});
  plain(3, {"Button1"});
  plain(4, {"Button2"});
  plain(0, {"Button3"});
  plain(120, {"Button4"});
  SpeedButton1->SetHint(word(5));
  labels(38, {"Label23", "Label72"});
  labels(39, {"Label26"});
  labels(40, {"Label27"});
  labels(49, {"Label57", "Label7", "Label71"});
  plain(42, {"CheckBox2"});
  plain(46, {"CheckBox3"});
  groups(45, {"GroupBox5", "GroupBox2", "GroupBox3"});
  labels(123, {"Label66"});
  labels(47, {"Label5", "Label81", "Label37", "Label43", "Label56", "CheckBox1"});
  labels(48, {"Label6", "Label20"});
  groups(50, {"GroupBox1"});
  labels(51, {"Label12", "Label64"});
  labels(52, {"Label13", "Label65"});
  labels(53, {"Label14"});
  labels(54, {"Label15"});
  labels(55, {"Label16"});
  labels(56, {"Label8"});
  labels(57, {"Label10"});
  labels(58, {"Label19", "Label82", "Label21", "Label87", "Label38", "Label44", "Label49", "Label62"});
  labels(59, {"CheckBox4"});
  labels(60, {"Label34"});
  labels(61, {"CheckBox5"});
  plain(61, {"CheckBox6"});
  labels(62, {"Label35", "Label54", "Label63"});
  labels(63, {"Label31"});
  labels(64, {"Label32"});
  labels(65, {"Label33"});
  labels(66, {"Label55"});
  for (int p = 0; p < IOPreviewsPageCount; ++p) {
    SetCaptionOf(kSizeLabels[p][0], word(43) + ":");
    SetCaptionOf(kSizeLabels[p][2], word(44) + ":");
  }
  cancelCaption_ = "&" + word(4);
}

bool TfIOPreviews::ChoosePages(Word Pages) {
  pageMask_ = Pages;
  if (pageMask_ & ppByFileType) {
    switch (TargetParams ? TargetParams->FileType : 0) {
      case 1: pageMask_ |= ppTIFF; break;
      case 2: pageMask_ |= ppGIF; break;
      case 3: pageMask_ |= ppJPEG; break;
      case 4: pageMask_ |= ppPCX; break;
      case 5: pageMask_ |= ppBMP; break;
      case 8: pageMask_ |= ppPNG; break;
      case 11: pageMask_ |= ppTGA; break;
      case 13:
      case 14: pageMask_ |= ppJ2000; break;
      default: break;
    }
  }
  return pageMask_ != ppByFileType;
}

void TfIOPreviews::FormActivate(TObject*) {
  // The set-up runs once: the dialog becomes active again whenever a colour or
  // palette dialog it opened closes, and the user's choices must survive that.
  if (activated_) return;
  activated_ = true;
  if (IsWindowsXP()) PageControl1->SetTabPosition(tpTop);
  ready_ = true;
  SpeedButton1->SetDown(LockPreview);
  Button3->SetEnabled(!SpeedButton1->Down());

  PageControl1->SetVisible(false);
  for (int p = 0; p < IOPreviewsPageCount; ++p) PageSheet(TIOPreviewsPage(p))->SetTabVisible(false);
  std::vector<TIOPreviewsPage> candidates;
  if (Simplified) {
    PageControl1->SetHeight(122);
    SetHeight(330);
    candidates = {ippJPEG2, ippTIFF2, ippGIF2, ippBMP, ippPCX, ippPNG, ippTGA, ippJ2K};
    for (TIOPreviewsPage p : {ippBMP, ippPCX, ippPNG, ippTGA, ippJ2K}) {
      TLabel* l[4];
      SizeLabels(p, l);
      l[0]->SetTop(61);
      l[2]->SetTop(61);
      l[1]->SetTop(77);
      l[3]->SetTop(77);
    }
    for (const char* hidden : {"Label54", "Panel1", "GroupBox3", "Label63", "Panel5", "Label64", "Edit13", "Label65",
                               "Edit14", "Label71", "ComboBox15"})
      Named(hidden)->SetVisible(false);
  } else {
    candidates = {ippJPEG1, ippTIFF1, ippGIF1, ippBMP, ippPCX, ippPNG, ippTGA, ippJ2K};
  }
  TTabSheet* first = nullptr;
  for (TIOPreviewsPage p : candidates)
    if ((pageMask_ & ppAll) || (pageMask_ & kPageBits[p])) {
      PageSheet(p)->SetTabVisible(true);
      if (!first) first = PageSheet(p);
    }
  {
    TQuiet quiet(ready_);
    if (first) PageControl1->SetActivePage(first);
  }
  PageControl1->SetVisible(true);
  LoadWorkingCopy();
  ShowWorkingCopy();
  RuzozAd1->FitToClient();
  Application->ProcessMessages();
  PageControl1Change(PageControl1);
}

// --- Working copy --------------------------------------------------------------

void TfIOPreviews::LoadWorkingCopy() {
  if (!TargetParams) return;
  const TIOParamsVals& p = *TargetParams;
  TIOPreviewsWork& w = work_;
  w.JpegQuality = p.JpegQuality;
  w.JpegColorSpace = p.JpegColorSpace;
  w.JpegDctMethod = p.JpegDctMethod;
  w.JpegOptimalHuffman = p.JpegOptimalHuffman;
  w.JpegSmoothing = p.JpegSmoothing;
  w.JpegProgressive = p.JpegProgressive;
  w.J2kRate = p.J2kRate;
  w.J2kColorSpace = p.J2kColorSpace;
  w.TiffCompression = p.TiffCompression;
  w.TiffPageIndex = p.TiffPageIndex;
  w.TiffPhotometric = p.TiffPhotometric;
  w.TiffXPosition = p.TiffXPosition;
  w.TiffYPosition = p.TiffYPosition;
  w.TiffDocumentName = p.TiffDocumentName;
  w.TiffImageDescription = p.TiffImageDescription;
  w.TiffPageName = p.TiffPageName;
  w.TiffPageNumber = p.TiffPageNumber;
  w.TiffPageCount = p.TiffPageCount;
  w.BitsPerSample = p.BitsPerSample;
  w.SamplesPerPixel = p.SamplesPerPixel;
  w.GifImageIndex = p.GifImageIndex;
  w.GifXPosition = p.GifXPosition;
  w.GifYPosition = p.GifYPosition;
  w.GifDelay = p.GifDelay;
  w.GifHasTransparency = p.GifHasTransparency;
  w.GifTransparentColor = p.GifTransparentColor;
  w.GifInterlaced = p.GifInterlaced;
  w.GifBackgroundColor = p.GifBackgroundColor;
  w.BmpCompression = p.BmpCompression;
  w.PcxCompression = p.PcxCompression;
  const Integer bits = p.BitsPerSample, samples = p.SamplesPerPixel;
  const Integer oneSample = bits <= 1 ? 0 : bits <= 4 ? 1 : 2;
  w.BmpColors = samples == 1 ? oneSample : bits == 5 ? 3 : 4;
  w.PcxColors = samples == 1 ? oneSample : 3;
  w.PngColors = samples == 1 ? (bits == 1 ? 0 : 1) : 2;
  w.TgaColors = w.PngColors;
  w.PngInterlaced = p.PngInterlaced;
  w.PngBackground = p.PngBackground;
  w.PngFilter = p.PngFilter;
  w.PngCompression = p.PngCompression;
  w.TgaKeyColor = p.TgaKeyColor;
  w.TgaCompression = p.TgaCompression;
  w.TgaJobName = p.TgaJobName;
  w.TgaImageId = p.TgaImageId;
}

void TfIOPreviews::ShowWorkingCopy() {
  ready_ = false;
  const TIOPreviewsWork& w = work_;
  const TIOPreviewsPage page = ActivePageKind();
  switch (page) {
    case ippJPEG1:
      TrackBar13->SetPosition(w.JpegQuality);
      Edit22->SetText(IntToStr(w.JpegQuality));
      SetIndex(ComboBox13, w.JpegColorSpace);
      SetIndex(ComboBox1, w.JpegDctMethod);
      CheckBox2->SetChecked(w.JpegOptimalHuffman);
      Edit23->SetText(IntToStr(w.JpegSmoothing));
      CheckBox3->SetChecked(w.JpegProgressive);
      break;
    case ippJPEG2:
      TrackBar2->SetPosition(w.JpegQuality);
      Edit16->SetText(IntToStr(w.JpegQuality));
      break;
    case ippTIFF1: {
      SetIndex(ComboBox2, w.TiffCompression);
      Edit1->SetText(IntToStr(w.TiffPageIndex));
      SetIndex(ComboBox3, w.TiffPhotometric);
      Integer colors = TiffColorsIndex(w.BitsPerSample, w.SamplesPerPixel);
      switch (w.TiffPhotometric) {
        case phCMYK:
        case phYCbCr:
        case phCIELab: colors = 4; break;
        case phRGB:
        case phPalette:
        case phTranspMask:
          if (colors == 0) colors = 4;
          break;
        default: colors = w.BitsPerSample == 1 ? 0 : 2;
      }
      SetIndex(ComboBox4, colors);
      Edit2->SetText(IntToStr(w.TiffXPosition));
      Edit3->SetText(IntToStr(w.TiffYPosition));
      Edit4->SetText(w.TiffDocumentName);
      Edit5->SetText(w.TiffImageDescription);
      Edit6->SetText(w.TiffPageName);
      Edit7->SetText(IntToStr(w.TiffPageNumber));
      Edit8->SetText(IntToStr(w.TiffPageCount));
      break;
    }
    case ippTIFF2: {
      Integer index = 0;
      switch (w.TiffCompression) {
        case tcPackBits: index = 6; break;
        case tcJpeg: index = 7; break;
        default: index = w.TiffCompression <= tcLZW ? w.TiffCompression : 0;  // old JPEG and others
      }
      SetIndex(ComboBox16, index);
      if (IsFax(w.TiffCompression)) {
        work_.BitsPerSample = 1;
        work_.SamplesPerPixel = 1;
      } else if (w.TiffCompression == tcJpeg) {
        work_.BitsPerSample = 8;
        work_.SamplesPerPixel = 3;
      }
      SetIndex(ComboBox17, ShortTiffColorsIndex(w.BitsPerSample, w.SamplesPerPixel));
      break;
    }
    case ippGIF1:
      Edit9->SetText(IntToStr(w.GifImageIndex));
      SetIndex(ComboBox5, std::clamp(w.BitsPerSample, 1, 8) - 1);
      CheckBox4->SetChecked(w.GifHasTransparency);
      Label34->SetEnabled(w.GifHasTransparency);
      Panel3->SetEnabled(w.GifHasTransparency);
      Panel3->SetColor(static_cast<TColor>(TripleToColor(w.GifTransparentColor)));
      CheckBox5->SetChecked(w.GifInterlaced);
      Panel4->SetColor(static_cast<TColor>(TripleToColor(w.GifBackgroundColor)));
      Edit12->SetText(IntToStr(w.GifDelay));
      Edit10->SetText(IntToStr(w.GifXPosition));
      Edit11->SetText(IntToStr(w.GifYPosition));
      break;
    case ippGIF2:
      SetIndex(ComboBox18, std::clamp(w.BitsPerSample, 1, 8) - 1);
      break;
    case ippBMP:
      SetIndex(ComboBox6, w.BmpCompression != 0 ? 1 : 0);
      SetIndex(ComboBox7, w.BmpColors);
      break;
    case ippPCX:
      SetIndex(ComboBox8, w.PcxCompression != 0 ? 1 : 0);
      SetIndex(ComboBox9, w.PcxColors);
      break;
    case ippPNG:
      SetIndex(ComboBox10, w.PngColors);
      Panel1->SetColor(static_cast<TColor>(TripleToColor(w.PngBackground)));
      SetIndex(ComboBox11, std::min<Integer>(w.PngFilter, 2));
      CheckBox6->SetChecked(w.PngInterlaced);
      SetIndex(ComboBox12, std::clamp(w.PngCompression, 0, 9));
      break;
    case ippTGA:
      SetIndex(ComboBox14, w.TgaColors);
      Panel5->SetColor(static_cast<TColor>(TripleToColor(w.TgaKeyColor)));
      CheckBox1->SetChecked(w.TgaCompression);
      Edit13->SetText(w.TgaJobName);
      Edit14->SetText(w.TgaImageId);
      break;
    case ippJ2K:
      TrackBar1->SetPosition(static_cast<Integer>(Round(w.J2kRate * 1000)));
      Edit15->SetText(IntToStr(Round(w.J2kRate * 1000)));
      SetIndex(ComboBox15, w.J2kColorSpace);
      break;
    case ippNone:
      break;
  }
  if (page != ippNone) {
    TBitmap* source = RuzozAd1->CurrentBitmap();
    Int64 bytes = 0;
    if (source && !source->Empty()) {
      const Int64 b = source->PixelFormat() == pf1bit ? 1 : 24;
      bytes = Int64(source->Height()) * (((b * source->Width() + 31) / 32) * 4);
    }
    TLabel* l[4];
    SizeLabels(page, l);
    l[1]->SetCaption(IntToStr(bytes) + " bytes");
  }
  ready_ = true;
}

namespace {

// The fields a page shares between the caller's parameters and the preview's.
void CopyJpegFields(TIOParamsVals& p, const TIOPreviewsWork& w) {
  p.JpegQuality = w.JpegQuality;
  p.JpegColorSpace = w.JpegColorSpace;
  p.JpegDctMethod = w.JpegDctMethod;
  p.JpegOptimalHuffman = w.JpegOptimalHuffman;
  p.JpegSmoothing = w.JpegSmoothing;
  p.JpegProgressive = w.JpegProgressive;
}

void CopyTiffFields(TIOParamsVals& p, const TIOPreviewsWork& w) {
  p.TiffCompression = w.TiffCompression;
  p.TiffPageIndex = w.TiffPageIndex;
  p.TiffPhotometric = w.TiffPhotometric;
  p.TiffXPosition = w.TiffXPosition;
  p.TiffYPosition = w.TiffYPosition;
  p.TiffDocumentName = w.TiffDocumentName;
  p.TiffImageDescription = w.TiffImageDescription;
  p.TiffPageName = w.TiffPageName;
  p.TiffPageNumber = w.TiffPageNumber;
  p.TiffPageCount = w.TiffPageCount;
}

void CopyGifFields(TIOParamsVals& p, const TIOPreviewsWork& w) {
  p.GifImageIndex = w.GifImageIndex;
  p.GifXPosition = w.GifXPosition;
  p.GifYPosition = w.GifYPosition;
  p.GifDelay = w.GifDelay;
  p.GifHasTransparency = w.GifHasTransparency;
  p.GifTransparentColor = w.GifTransparentColor;
  p.GifInterlaced = w.GifInterlaced;
  p.GifBackgroundColor = w.GifBackgroundColor;
}

}  // namespace

void TfIOPreviews::CopyWorkingCopyToTarget() {
  if (!TargetParams) return;
  TIOParamsVals& p = *TargetParams;
  const TIOPreviewsWork& w = work_;
  auto colors = [&p](const TBitsSamples& c) {
    p.BitsPerSample = c.bits;
    p.SamplesPerPixel = c.samples;
  };
  switch (ActivePageKind()) {
    case ippJPEG1:
    case ippJPEG2:
      CopyJpegFields(p, w);
      break;
    case ippTIFF1:
    case ippTIFF2:
      CopyTiffFields(p, w);
      p.SamplesPerPixel = w.SamplesPerPixel;
      p.BitsPerSample = w.BitsPerSample;
      break;
    case ippGIF1:
    case ippGIF2:
      CopyGifFields(p, w);
      p.BitsPerSample = w.BitsPerSample;
      p.SamplesPerPixel = 1;
      break;
    case ippBMP:
      p.BmpCompression = w.BmpCompression;
      colors(kBmpColors[w.BmpColors]);
      break;
    case ippPCX:
      p.PcxCompression = w.PcxCompression;
      colors(kPcxColors[w.PcxColors]);
      break;
    case ippPNG:
      colors(kPngTgaColors[w.PngColors]);
      p.PngBackground = w.PngBackground;
      p.PngInterlaced = w.PngInterlaced;
      p.PngFilter = w.PngFilter;
      p.PngCompression = w.PngCompression;
      break;
    case ippTGA:
      colors(kPngTgaColors[w.TgaColors]);
      p.TgaKeyColor = w.TgaKeyColor;
      p.TgaCompression = w.TgaCompression;
      p.TgaJobName = w.TgaJobName;
      p.TgaImageId = w.TgaImageId;
      break;
    case ippJ2K:
      p.BitsPerSample = 8;
      p.SamplesPerPixel = w.J2kColorSpace == 0 ? 1 : 3;
      p.J2kColorSpace = w.J2kColorSpace;
      p.J2kRate = w.J2kRate;
      break;
    case ippNone:
      break;
  }
}

// --- Change handlers -------------------------------------------------------------

void TfIOPreviews::PreviewChanged() {
  if (SpeedButton1->Down()) {
    RenderPreview(RuzozAd2);
    RuzozAd2->Invalidate();
  }
}

void TfIOPreviews::ComboBox2Click(TObject*) {
  if (!ready_) return;
  TIOPreviewsWork& w = work_;
  TQuiet quiet(ready_);
  const Byte compression = static_cast<Byte>(std::max(0, ComboBox2->ItemIndex()));
  Byte photometric = static_cast<Byte>(std::max(0, ComboBox3->ItemIndex()));
  Integer colors = std::max(0, ComboBox4->ItemIndex());
  const Integer oldColors = TiffColorsIndex(w.BitsPerSample, w.SamplesPerPixel);
  if (photometric != w.TiffPhotometric) {
    switch (photometric) {
      case phWhiteIsZero:
      case phBlackIsZero:
        if (colors > 0) colors = 2;
        break;
      case phRGB:
      case phCMYK:
      case phYCbCr:
      case phCIELab: colors = 4; break;
      case phPalette: colors = 2; break;
      default: break;
    }
  } else if (colors != oldColors) {
    if (colors == 0 && photometric > phBlackIsZero) photometric = phBlackIsZero;
    if (colors == 1) photometric = phPalette;
    if (colors == 2 && (photometric == phRGB || photometric > phPalette)) photometric = phPalette;
  }
  TBitsSamples bs = kTiffColors[colors];
  if (photometric == phCMYK) bs = {8, 4};
  SetIndex(ComboBox3, photometric);
  SetIndex(ComboBox4, colors);
  const bool preview = compression != w.TiffCompression || photometric != w.TiffPhotometric ||
                       bs.bits != w.BitsPerSample || bs.samples != w.SamplesPerPixel;
  w.TiffCompression = compression;
  w.TiffPhotometric = photometric;
  w.BitsPerSample = bs.bits;
  w.SamplesPerPixel = bs.samples;
  w.TiffPageIndex = IntOf(Edit1, 0);
  w.TiffXPosition = IntOf(Edit2, 0);
  w.TiffYPosition = IntOf(Edit3, 0);
  w.TiffDocumentName = Edit4->Text();
  w.TiffImageDescription = Edit5->Text();
  w.TiffPageName = Edit6->Text();
  w.TiffPageNumber = IntOf(Edit7, 0);
  w.TiffPageCount = IntOf(Edit8, 0);
  if (preview) PreviewChanged();
  Button4->SetEnabled(true);
}

void TfIOPreviews::ComboBox16Change(TObject*) {
  if (!ready_) return;
  TIOPreviewsWork& w = work_;
  TQuiet quiet(ready_);
  Byte compression = kShortTiffCompression[std::clamp(ComboBox16->ItemIndex(), 0, 7)];
  Integer colors = std::clamp(ComboBox17->ItemIndex(), 0, 3);
  TBitsSamples bs = kShortTiffColors[colors];
  if (compression != w.TiffCompression) {
    if (IsFax(compression)) {
      colors = 0;
      bs = {1, 1};
      w.TiffPhotometric = phBlackIsZero;
    } else if (compression == tcJpeg) {
      colors = 3;
      bs = {8, 3};
      w.TiffPhotometric = phYCbCr;
    }
  } else if (bs.bits != w.BitsPerSample || bs.samples != w.SamplesPerPixel) {
    if (IsFax(compression) && bs.bits > 1) compression = tcNone;
    if (compression == tcJpeg && !(bs.bits == 8 || bs.samples == 3)) compression = tcNone;
  }
  SetIndex(ComboBox17, colors);
  SetIndex(ComboBox16, static_cast<Integer>(std::find(std::begin(kShortTiffCompression),
                                                      std::end(kShortTiffCompression), compression) -
                                            std::begin(kShortTiffCompression)));
  const bool preview =
      compression != w.TiffCompression || bs.bits != w.BitsPerSample || bs.samples != w.SamplesPerPixel;
  w.TiffCompression = compression;
  w.BitsPerSample = bs.bits;
  w.SamplesPerPixel = bs.samples;
  if (preview) PreviewChanged();
  Button4->SetEnabled(true);
}

void TfIOPreviews::TrackBar13Change(TObject*) {
  if (!ready_) return;
  TIOPreviewsWork& w = work_;
  bool preview;
  {
    TQuiet quiet(ready_);
    const Integer quality = TrackBar13->Position();
    ShowNumber(Edit22, quality);
    const Byte space = static_cast<Byte>(std::max(0, ComboBox13->ItemIndex()));
    const Byte dct = static_cast<Byte>(std::max(0, ComboBox1->ItemIndex()));
    const bool huffman = CheckBox2->Checked(), progressive = CheckBox3->Checked();
    const Integer smoothing = IntOf(Edit23, 0);
    preview = quality != w.JpegQuality || space != w.JpegColorSpace || dct != w.JpegDctMethod ||
              huffman != w.JpegOptimalHuffman || smoothing != w.JpegSmoothing || progressive != w.JpegProgressive;
    w.JpegQuality = quality;
    w.JpegColorSpace = space;
    w.JpegDctMethod = dct;
    w.JpegOptimalHuffman = huffman;
    w.JpegSmoothing = smoothing;
    w.JpegProgressive = progressive;
  }
  if (preview) PreviewChanged();
  Button4->SetEnabled(true);
}

void TfIOPreviews::Edit22Change(TObject* Sender) {
  if (!ready_) return;
  const Integer quality = IntOf(Edit22, 50);
  const Integer smoothing = IntOf(Edit23, 0);
  if (quality == work_.JpegQuality && smoothing == work_.JpegSmoothing) return;
  {
    TQuiet quiet(ready_);
    TrackBar13->SetPosition(quality);
  }
  TrackBar13Change(Sender);
}

void TfIOPreviews::TrackBar2Change(TObject*) {
  if (!ready_) return;
  const Integer quality = TrackBar2->Position();
  {
    TQuiet quiet(ready_);
    ShowNumber(Edit16, quality);
  }
  if (quality == work_.JpegQuality) return;
  work_.JpegQuality = quality;
  PreviewChanged();
  Button4->SetEnabled(true);
}

void TfIOPreviews::Edit16Change(TObject* Sender) {
  if (!ready_) return;
  const Integer quality = IntOf(Edit16, 50);
  if (quality == work_.JpegQuality) return;
  {
    TQuiet quiet(ready_);
    TrackBar2->SetPosition(quality);
  }
  TrackBar2Change(Sender);
}

void TfIOPreviews::TrackBar1Change(TObject*) {
  if (!ready_) return;
  TIOPreviewsWork& w = work_;
  const double rate = TrackBar1->Position() / 1000.0;
  const Byte space = static_cast<Byte>(std::max(0, ComboBox15->ItemIndex()));
  {
    TQuiet quiet(ready_);
    ShowNumber(Edit15, Round(rate * 1000));
  }
  const bool preview = rate != w.J2kRate || space != w.J2kColorSpace;
  w.J2kRate = rate;
  w.J2kColorSpace = space;
  if (preview) PreviewChanged();
  Button4->SetEnabled(true);
}

void TfIOPreviews::Edit15Change(TObject* Sender) {
  if (!ready_) return;
  const double x = IntOf(Edit15, 1000) / 1000.0;
  if (x == work_.J2kRate) return;
  {
    TQuiet quiet(ready_);
    TrackBar1->SetPosition(static_cast<Integer>(Trunc(x * 1000)));
  }
  TrackBar1Change(Sender);
}

void TfIOPreviews::ComboBox5Click(TObject*) {
  if (!ready_) return;
  TIOPreviewsWork& w = work_;
  const Integer bits = std::clamp(ComboBox5->ItemIndex(), 0, 7) + 1;
  const bool interlaced = CheckBox5->Checked();
  const bool preview = bits != w.BitsPerSample || w.SamplesPerPixel != 1 || interlaced != w.GifInterlaced;
  w.BitsPerSample = bits;
  w.SamplesPerPixel = 1;
  w.GifInterlaced = interlaced;
  w.GifImageIndex = IntOf(Edit9, 0);
  w.GifXPosition = IntOf(Edit10, 0);
  w.GifYPosition = IntOf(Edit11, 0);
  w.GifDelay = IntOf(Edit12, 0);
  w.GifHasTransparency = CheckBox4->Checked();
  Label34->SetEnabled(w.GifHasTransparency);
  Panel3->SetEnabled(w.GifHasTransparency);
  if (preview) PreviewChanged();
  Button4->SetEnabled(true);
}

void TfIOPreviews::ComboBox18Change(TObject*) {
  if (!ready_) return;
  const Integer bits = std::clamp(ComboBox18->ItemIndex(), 0, 7) + 1;
  const bool preview = bits != work_.BitsPerSample || work_.SamplesPerPixel != 1;
  work_.BitsPerSample = bits;
  work_.SamplesPerPixel = 1;
  if (preview) PreviewChanged();
  Button4->SetEnabled(true);
}

void TfIOPreviews::ComboBox6Change(TObject*) {
  if (!ready_) return;
  const Integer colors = std::clamp(ComboBox7->ItemIndex(), 0, 5);
  const Byte compression = ComboBox6->ItemIndex() > 0 ? 1 : 0;
  const bool preview = colors != work_.BmpColors || compression != work_.BmpCompression;
  work_.BmpColors = colors;
  work_.BmpCompression = compression;
  if (preview) PreviewChanged();
  Button4->SetEnabled(true);
}

void TfIOPreviews::ComboBox8Change(TObject*) {
  if (!ready_) return;
  const Integer colors = std::clamp(ComboBox9->ItemIndex(), 0, 3);
  const Byte compression = ComboBox8->ItemIndex() > 0 ? 1 : 0;
  const bool preview = colors != work_.PcxColors || compression != work_.PcxCompression;
  work_.PcxColors = colors;
  work_.PcxCompression = compression;
  if (preview) PreviewChanged();
  Button4->SetEnabled(true);
}

void TfIOPreviews::ComboBox10Change(TObject*) {
  if (!ready_) return;
  TIOPreviewsWork& w = work_;
  const Integer colors = std::clamp(ComboBox10->ItemIndex(), 0, 2);
  const bool interlaced = CheckBox6->Checked();
  const Byte filter = static_cast<Byte>(std::max(0, ComboBox11->ItemIndex()));
  const Integer compression = std::max(0, ComboBox12->ItemIndex());
  const bool preview = colors != w.PngColors || interlaced != w.PngInterlaced || filter != w.PngFilter ||
                       compression != w.PngCompression;
  w.PngColors = colors;
  w.PngInterlaced = interlaced;
  w.PngFilter = filter;
  w.PngCompression = compression;
  if (preview) PreviewChanged();
  Button4->SetEnabled(true);
}

void TfIOPreviews::ComboBox14Click(TObject*) {
  if (!ready_) return;
  TIOPreviewsWork& w = work_;
  const Integer colors = std::clamp(ComboBox14->ItemIndex(), 0, 2);
  const bool compression = CheckBox1->Checked();
  const bool preview = colors != w.TgaColors || compression != w.TgaCompression;
  w.TgaColors = colors;
  w.TgaCompression = compression;
  w.TgaJobName = Edit13->Text();
  w.TgaImageId = Edit14->Text();
  if (preview) PreviewChanged();
  Button4->SetEnabled(true);
}

// --- Buttons and pages -------------------------------------------------------------

void TfIOPreviews::Button1Click(TObject*) { CopyWorkingCopyToTarget(); }

void TfIOPreviews::Button4Click(TObject*) {
  CopyWorkingCopyToTarget();
  Button4->SetEnabled(false);
}

void TfIOPreviews::Button3Click(TObject*) { RenderPreview(RuzozAd2); }

void TfIOPreviews::SpeedButton1Click(TObject*) {
  if (SpeedButton1->Down()) RenderPreview(RuzozAd2);
  Button3->SetEnabled(!SpeedButton1->Down());
}

void TfIOPreviews::PageControl1Changing(TObject*, bool&) { ready_ = false; }

void TfIOPreviews::PageControl1Change(TObject*) {
  ready_ = true;
  LoadWorkingCopy();
  ShowWorkingCopy();
  if (SpeedButton1->Down()) RenderPreview(RuzozAd2);
  Button4->SetEnabled(false);
}

void TfIOPreviews::RuzozAd1ViewChange(TObject*, Integer) {
  if (!RuzozAd2) return;
  RuzozAd2->SuspendRefresh();
  RuzozAd2->SetZoom(RuzozAd1->Zoom());
  RuzozAd2->SetScrollXY(RuzozAd1->ScrollX(), RuzozAd1->ScrollY());
  RuzozAd2->ResumeRefresh();
}

// --- Live preview --------------------------------------------------------------------

void TfIOPreviews::SetCompressedSize(TIOPreviewsPage Page, Int64 Bytes) {
  TLabel* l[4];
  SizeLabels(Page, l);
  l[3]->SetCaption(IntToStr(Bytes) + " bytes");
}

void TfIOPreviews::ShowProgress(TObject*, Integer Percent) {
  ProgressBar1->SetPosition(static_cast<Integer>(Trunc(Extended(Percent) / progressDivisor_)) + progressOffset_);
}

void TfIOPreviews::RenderPreview(TRuzozAdView* View) {
  const TIOPreviewsPage page = ActivePageKind();
  if (page == ippNone) return;
  TBitmap* original = RuzozAd1->CurrentBitmap();
  TBitmap* result = View->CurrentBitmap();
  if (!original || !result) return;
  TMemoryStream memory;
  TNulStream counter;
  io_->ChooseMonoDither(Dither);
  io_->AttachVclBitmap(original);
  progressOffset_ = 0;
  TIOParamsVals& p = io_->Params();
  const TIOPreviewsWork& w = work_;
  const bool dither = Dither != 0;

  if (page == ippJPEG1 || page == ippJPEG2 || page == ippJ2K) {
    progressDivisor_ = 2;
    if (page == ippJ2K) {
      p.J2kRate = w.J2kRate;
      p.J2kColorSpace = w.J2kColorSpace;
      p.BitsPerSample = 8;
      p.SamplesPerPixel = 3;
      io_->J2kToStream(&memory);
      SetCompressedSize(ippJ2K, memory.Size());
    } else {
      CopyJpegFields(p, w);
      io_->JpegToStream(&memory);
      SetCompressedSize(ippJPEG1, memory.Size());
      SetCompressedSize(ippJPEG2, memory.Size());
    }
    memory.SetPosition(0);
    io_->AttachVclBitmap(result);
    progressOffset_ = 50;
    if (page == ippJ2K)
      io_->J2kFromStream(&memory);
    else
      io_->JpegFromStream(&memory);
  } else {
    progressDivisor_ = 1;
    TBitsSamples bs{w.BitsPerSample, w.SamplesPerPixel};
    switch (page) {
      case ippTIFF1:
      case ippTIFF2:
        CopyTiffFields(p, w);
        break;
      case ippGIF1:
      case ippGIF2:
        CopyGifFields(p, w);
        bs.samples = 1;
        break;
      case ippBMP:
        p.BmpCompression = w.BmpCompression;
        bs = kBmpColors[w.BmpColors];
        break;
      case ippPCX:
        p.PcxCompression = w.PcxCompression;
        bs = kPcxColors[w.PcxColors];
        break;
      case ippPNG:
        p.PngBackground = w.PngBackground;
        p.PngInterlaced = w.PngInterlaced;
        p.PngFilter = w.PngFilter;
        p.PngCompression = w.PngCompression;
        bs = kPngTgaColors[w.PngColors];
        break;
      case ippTGA:
        p.TgaKeyColor = w.TgaKeyColor;
        p.TgaCompression = w.TgaCompression;
        p.TgaJobName = w.TgaJobName;
        p.TgaImageId = w.TgaImageId;
        bs = kPngTgaColors[w.TgaColors];
        break;
      default:
        break;
    }
    p.BitsPerSample = bs.bits;
    p.SamplesPerPixel = bs.samples;
    switch (page) {
      case ippTIFF1:
      case ippTIFF2: io_->TiffToStream(&counter); break;
      case ippGIF1:
      case ippGIF2: io_->GifToStream(&counter); break;
      case ippBMP: io_->BmpToStream(&counter); break;
      case ippPCX: io_->PcxToStream(&counter); break;
      case ippPNG: io_->PngToStream(&counter); break;
      default: io_->TgaToStream(&counter); break;
    }
    SetCompressedSize(page, counter.Size());
    if (page == ippTIFF1) SetCompressedSize(ippTIFF2, counter.Size());
    if (page == ippTIFF2) SetCompressedSize(ippTIFF1, counter.Size());
    if (page == ippGIF1) SetCompressedSize(ippGIF2, counter.Size());
    if (page == ippGIF2) SetCompressedSize(ippGIF1, counter.Size());

    // The result shows the colours the file will hold.
    CopyTBitmap(original, result);
    const Cardinal n = ColorCountFromSamples(bs.bits, bs.samples);
    const bool tiff = page == ippTIFF1 || page == ippTIFF2;
    if (tiff && (w.TiffPhotometric == phWhiteIsZero || w.TiffPhotometric == phBlackIsZero) && bs.bits == 8 &&
        bs.samples == 1) {
      proc_->AttachBitmap(result);
      proc_->ConvertToGray();
      p.FreePalette();
    } else if (tiff && (w.TiffPhotometric == phCMYK || w.TiffPhotometric == phYCbCr ||
                        w.TiffPhotometric == phCIELab)) {
      // Stored as full colour: nothing to reduce.
    } else if (n > 256) {
      p.FreePalette();
    } else if (page == ippBMP || page == ippPCX) {
      proc_->AttachBitmap(result);
      proc_->ConvertTo(static_cast<Integer>(n), dither);
    } else {
      proc_->AttachBitmap(result);
      auto palette = std::make_unique<TIEColorTriple[]>(n);
      proc_->ConvertToPalette(static_cast<Integer>(n), palette.get(), dither);
      p.SetPalette(palette.get(), static_cast<Integer>(n));
    }
    proc_->AttachBitmap(nullptr);
  }
  io_->AttachVclBitmap(nullptr);
  ProgressBar1->SetPosition(0);
  View->Update();
  if (View == RuzozAd2) {
    RuzozAd2->SuspendRefresh();
    RuzozAd2->SetZoom(RuzozAd1->Zoom());
    RuzozAd2->SetScrollXY(RuzozAd1->ScrollX(), RuzozAd1->ScrollY());
    RuzozAd2->ResumeRefresh();
  }
}

// --- Colour swatches ----------------------------------------------------------------

bool TfIOPreviews::PickPaletteColor(TPanel* Swatch, Integer Colors) {
  const TIOParamsVals& p = io_->Params();
  std::unique_ptr<TRuzozAdPaletteDialog> dialog(new TRuzozAdPaletteDialog(this));
  dialog->AfterConstruction();
  dialog->SetPalette(p.Palette.get(), std::min(Colors, p.PaletteCount));
  dialog->CancelButton()->SetCaption(cancelCaption_);
  if (!dialog->ShowPaletteModal()) return false;
  Swatch->SetColor(dialog->ChosenColor());
  return true;
}

void TfIOPreviews::PickSwatchColor(TPanel* Swatch, TIEColorTriple& Into, bool GifColor) {
  const TIOPreviewsWork& w = work_;
  if (GifColor) {
    if (!io_->Params().Palette) RenderPreview(RuzozAd2);
    if (io_->Params().Palette) PickPaletteColor(Swatch, 1 << std::clamp(w.BitsPerSample, 1, 8));
  } else if (io_->Params().Palette) {
    const TBitsSamples bs = kPngTgaColors[Swatch == Panel1 ? w.PngColors : w.TgaColors];
    PickPaletteColor(Swatch, static_cast<Integer>(ColorCountFromSamples(bs.bits, bs.samples)));
  } else {
    ColorDialog1->SetColor(Swatch->Color());
    if (ColorDialog1->Execute()) Swatch->SetColor(ColorDialog1->Color());
  }
  Into = ColorToTriple(Swatch->Color());
  Button4->SetEnabled(true);
}

void TfIOPreviews::Panel3Click(TObject*) { PickSwatchColor(Panel3, work_.GifTransparentColor, true); }
void TfIOPreviews::Panel4Click(TObject*) { PickSwatchColor(Panel4, work_.GifBackgroundColor, true); }
void TfIOPreviews::Panel1Click(TObject*) { PickSwatchColor(Panel1, work_.PngBackground, false); }
void TfIOPreviews::Panel5Click(TObject*) { PickSwatchColor(Panel5, work_.TgaKeyColor, false); }

// --- Opening the dialog -------------------------------------------------------------

std::unique_ptr<TfIOPreviews> CreateIOPreviewsFor(TRuzozAdIO* IO) {
  std::unique_ptr<TfIOPreviews> form(new TfIOPreviews(nullptr));
  form->AfterConstruction();
  form->LockPreview = (IO->PreviewsParams & (1 << ioppDefaultLockPreview)) != 0;
  form->Button4->SetVisible((IO->PreviewsParams & (1 << ioppApplyButton)) != 0);
  form->TargetParams = &IO->Params();
  form->Simplified = IO->SimplifiedParamsDialogs;
  form->Dither = IO->BilevelMethod();
  form->ApplyLanguage(IO->MsgLanguage);
  form->Font()->Assign(IO->PreviewFont());
  // The image to save (the component made it 24-bit unless it is 1-bit).
  if (TIEBitmap* image = IO->IEBitmap()) {
    TBitmap copy;
    image->ExportToTBitmap(&copy);
    CopyTBitmap(&copy, form->RuzozAd1->CurrentBitmap());
    form->RuzozAd1->Update();
  }
  return form;
}

bool RunIOPreviewsDialog(TRuzozAdIO* IO, Word Pages) {
  std::unique_ptr<TfIOPreviews> form = CreateIOPreviewsFor(IO);
  if (!form->ChoosePages(Pages)) return false;
  if (IO->OnIOPreview) IO->OnIOPreview(IO, form.get());
  return form->ShowModal() == mrOk;
}

void RegisterIOPreviewsClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  using F = TfIOPreviews;
  RegisterClassInfo<F, TForm>("TfIOPreviews");
  RegisterHandlers<F>({
      {"FormCreate", &F::FormCreate},
      {"FormActivate", &F::FormActivate},
      {"FormDestroy", &F::FormDestroy},
      {"PageControl1Change", &F::PageControl1Change},
      {"PageControl1Changing", &F::PageControl1Changing},
      {"RuzozAd1ViewChange", &F::RuzozAd1ViewChange},
      {"SpeedButton1Click", &F::SpeedButton1Click},
      {"Button1Click", &F::Button1Click},
      {"Button3Click", &F::Button3Click},
      {"Button4Click", &F::Button4Click},
      {"ComboBox2Click", &F::ComboBox2Click},
      {"ComboBox16Change", &F::ComboBox16Change},
      {"TrackBar13Change", &F::TrackBar13Change},
      {"Edit22Change", &F::Edit22Change},
      {"TrackBar2Change", &F::TrackBar2Change},
      {"Edit16Change", &F::Edit16Change},
      {"ComboBox5Click", &F::ComboBox5Click},
      {"ComboBox18Change", &F::ComboBox18Change},
      {"ComboBox6Change", &F::ComboBox6Change},
      {"ComboBox8Change", &F::ComboBox8Change},
      {"ComboBox10Change", &F::ComboBox10Change},
      {"ComboBox14Click", &F::ComboBox14Click},
      {"TrackBar1Change", &F::TrackBar1Change},
      {"Edit15Change", &F::Edit15Change},
      {"Panel3Click", &F::Panel3Click},
      {"Panel4Click", &F::Panel4Click},
      {"Panel1Click", &F::Panel1Click},
      {"Panel5Click", &F::Panel5Click},
  });
  RegisterFields<F>({
      {"Panel2", &F::Panel2},       {"Label1", &F::Label1},         {"Label2", &F::Label2},
      {"RuzozAd1", &F::RuzozAd1},   {"RuzozAd2", &F::RuzozAd2},     {"ProgressBar1", &F::ProgressBar1},
      {"Button1", &F::Button1},     {"Button2", &F::Button2},       {"Button3", &F::Button3},
      {"Button4", &F::Button4},     {"SpeedButton1", &F::SpeedButton1}, {"PageControl1", &F::PageControl1},
      {"TrackBar13", &F::TrackBar13}, {"TrackBar2", &F::TrackBar2}, {"TrackBar1", &F::TrackBar1},
      {"Edit1", &F::Edit1},         {"Edit2", &F::Edit2},           {"Edit3", &F::Edit3},
      {"Edit4", &F::Edit4},         {"Edit5", &F::Edit5},           {"Edit6", &F::Edit6},
      {"Edit7", &F::Edit7},         {"Edit8", &F::Edit8},           {"Edit9", &F::Edit9},
      {"Edit10", &F::Edit10},       {"Edit11", &F::Edit11},         {"Edit12", &F::Edit12},
      {"Edit13", &F::Edit13},       {"Edit14", &F::Edit14},         {"Edit15", &F::Edit15},
      {"Edit16", &F::Edit16},       {"Edit22", &F::Edit22},         {"Edit23", &F::Edit23},
      {"ComboBox1", &F::ComboBox1}, {"ComboBox2", &F::ComboBox2},   {"ComboBox3", &F::ComboBox3},
      {"ComboBox4", &F::ComboBox4}, {"ComboBox5", &F::ComboBox5},   {"ComboBox6", &F::ComboBox6},
      {"ComboBox7", &F::ComboBox7}, {"ComboBox8", &F::ComboBox8},   {"ComboBox9", &F::ComboBox9},
      {"ComboBox10", &F::ComboBox10}, {"ComboBox11", &F::ComboBox11}, {"ComboBox12", &F::ComboBox12},
      {"ComboBox13", &F::ComboBox13}, {"ComboBox14", &F::ComboBox14}, {"ComboBox15", &F::ComboBox15},
      {"ComboBox16", &F::ComboBox16}, {"ComboBox17", &F::ComboBox17}, {"ComboBox18", &F::ComboBox18},
      {"CheckBox1", &F::CheckBox1}, {"CheckBox2", &F::CheckBox2},   {"CheckBox3", &F::CheckBox3},
      {"CheckBox4", &F::CheckBox4}, {"CheckBox5", &F::CheckBox5},   {"CheckBox6", &F::CheckBox6},
      {"Panel1", &F::Panel1},       {"Panel3", &F::Panel3},         {"Panel4", &F::Panel4},
      {"Panel5", &F::Panel5},       {"Label34", &F::Label34},       {"ColorDialog1", &F::ColorDialog1},
  });
}
