// The format-parameters dialog: opened by the I/O component for JPEG, PNG and
// JPEG-2000 and driven by typed and keyed input, its page choice, working copy
// and the live preview whose size is the size of the file then saved.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <set>
#include <string>

#include "imaging/buffer/hyieutils.h"
#include "imaging/buffer/iepalettedlg.h"
#include "imaging/formats/ioparams.h"
#include "imaging/formats/ruzozadio.h"
#include "imaging/views/imaging_classes.h"
#include "imaging/views/iopreviews.h"
#include "imaging/views/ruzozadview.h"
#include "platform/Buttons.h"
#include "platform/ComCtrls.h"
#include "platform/ExtCtrls.h"
#include "platform/StdCtrls.h"
#include "platform/SysUtils.h"
#include "platform/Tabs.h"
#include "tests/support/png_writer.h"
#include "tests/support/ui.h"

namespace {

// A picture with smooth areas, hard edges and many colours.
void FillPicture(TIEBitmap* B, Integer W, Integer H) {
  B->AllocateImage(W, H, ipkRGB24);
  for (Integer y = 0; y < H; ++y) {
    Byte* row = static_cast<Byte*>(B->GetRowPointer(y));
    for (Integer x = 0; x < W; ++x) {
      const bool square = (x / 12 + y / 12) % 2 == 0;
      row[x * 3 + 0] = Byte(x * 255 / W);
      row[x * 3 + 1] = Byte(square ? 230 : y * 255 / H);
      row[x * 3 + 2] = Byte((x + 2 * y) * 255 / (W + 2 * H));
    }
  }
}

struct TDialogIO {
  std::unique_ptr<TRuzozAdIO> io = std::make_unique<TRuzozAdIO>(nullptr);
  TDialogIO(Integer FileType, Integer W = 96, Integer H = 64) {
    RegisterImagingClasses();
    FillPicture(io->IEBitmap(), W, H);
    io->Params().FileType = FileType;
    io->Params().BitsPerSample = 8;
    io->Params().SamplesPerPixel = 3;
    io->PreviewsParams = (1 << ioppDefaultLockPreview) | (1 << ioppApplyButton);
    io->SimplifiedParamsDialogs = false;
    io->MsgLanguage = msEnglish;
  }
};

Int64 SizeIn(TLabel* L) {
  const std::string text = L->Caption();
  return StrToInt64Def(text.substr(0, text.find(' ')), -1);
}
TLabel* LabelOf(TForm* F, const char* Name) { return dynamic_cast<TLabel*>(F->FindComponent(Name)); }

Int64 FileLength(const std::string& Name) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!::GetFileAttributesExW(Utf8ToWide(Name).c_str(), GetFileExInfoStandard, &data)) return -1;
  return (Int64(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// The pixels of a bitmap, for comparing pictures.
std::string Pixels(TBitmap* B) {
  std::string out;
  TBitmap copy;
  CopyTBitmap(B, &copy);
  copy.SetPixelFormat(pf24bit);
  for (Integer y = 0; y < copy.Height(); ++y)
    out.append(static_cast<const char*>(copy.ScanLine(y)), size_t(copy.Width()) * 3);
  return out;
}
double MeanError(const std::string& A, const std::string& B) {
  if (A.size() != B.size() || A.empty()) return 1e9;
  double sum = 0;
  for (size_t i = 0; i < A.size(); ++i) sum += std::abs(int(Byte(A[i])) - int(Byte(B[i])));
  return sum / double(A.size());
}
size_t ColourCount(const std::string& P) {
  std::set<uint32_t> colours;
  for (size_t i = 0; i + 2 < P.size(); i += 3)
    colours.insert(Byte(P[i]) | (Byte(P[i + 1]) << 8) | (Byte(P[i + 2]) << 16));
  return colours.size();
}

// Typing as a person does: select the edit's text, then the characters.
void TypeInto(TEdit* Edit, const std::string& Text) {
  Edit->SetFocus();
  ::SendMessageW(Edit->Handle(), EM_SETSEL, 0, -1);
  for (char c : Text) ::PostMessageW(Edit->Handle(), WM_CHAR, WPARAM(c), 1);
  Application->ProcessMessages();
}
void KeyOn(TWinControl* C, Word Key) {
  C->SetFocus();
  testui::PressKey(C->Handle(), Key);
}

// What the form shows, saved as a PNG in the build folder.
void SaveShot(TForm* F, const std::string& Name) {
  ::RedrawWindow(F->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  TBitmap shot;
  shot.SetPixelFormat(pf24bit);
  shot.SetSize(F->Width(), F->Height());
  HDC dc = ::GetWindowDC(F->Handle());
  ::BitBlt(shot.Canvas()->Handle(), 0, 0, shot.Width(), shot.Height(), dc, 0, 0, SRCCOPY);
  ::ReleaseDC(F->Handle(), dc);
  SaveBitmapAsPng(&shot, Name);
}

// Runs the component's dialog; Steps runs inside its modal loop once it is
// active and ends by pressing a button. Returns the dialog's answer.
bool RunDialog(TRuzozAdIO* IO, Word Pages, const std::function<void(TfIOPreviews*)>& Steps) {
  TfIOPreviews* shown = nullptr;
  IO->OnIOPreview = [&shown](TObject*, TForm* F) { shown = dynamic_cast<TfIOPreviews*>(F); };
  bool stepsRan = false;
  // The dialog's activation runs the message loop before the modal loop has
  // started; the steps run from the modal loop itself, a moment later.
  std::unique_ptr<testui::TOneShot> steps;
  testui::TOneShot oneShot(30, [&] {
    if (!testui::PumpUntil([&] { return shown && shown->Ready() && shown->Visible(); }, 3000)) {
      ADD_FAILURE() << "the dialog did not come up";
      return;
    }
    steps = std::make_unique<testui::TOneShot>(60, [&] {
      stepsRan = true;
      Steps(shown);
    });
  });
  const bool result = IO->RunPreviewsDialog(Pages);
  EXPECT_TRUE(stepsRan);
  return result;
}

void PressButton(TButton* B) { ::PostMessageW(B->Handle(), BM_CLICK, 0, 0); }

}  // namespace

TEST(IOPreviewsDialog, JpegQualityChangesPreviewAndSizeAsSaved) {
  TDialogIO d(3);
  Int64 shownSize = -1;
  const bool ok = RunDialog(d.io.get(), ppByFileType, [&](TfIOPreviews* f) {
    EXPECT_TRUE(f->PageSheet(ippJPEG1)->TabVisible());
    EXPECT_FALSE(f->PageSheet(ippPNG)->TabVisible());
    EXPECT_EQ(f->ActivePageKind(), ippJPEG1);
    TLabel* size = LabelOf(f, "Label11");
    const std::string original = Pixels(f->RuzozAd1->CurrentBitmap());
    TypeInto(f->Edit22, "90");
    const Int64 size90 = SizeIn(size);
    const std::string at90 = Pixels(f->RuzozAd2->CurrentBitmap());
    SaveShot(f, "imaging_iopreviews_jpeg_q90.png");
    TypeInto(f->Edit22, "10");
    EXPECT_EQ(f->TrackBar13->Position(), 10);
    shownSize = SizeIn(size);
    const std::string at10 = Pixels(f->RuzozAd2->CurrentBitmap());
    EXPECT_GT(size90, 0);
    EXPECT_LT(shownSize, size90 / 2);
    // The decoded JPEG is shown: quality 10 strays much further from the original.
    EXPECT_GT(MeanError(original, at10), 2 * MeanError(original, at90));
    EXPECT_EQ(LabelOf(f, "Label4")->Caption(), "18432 bytes");  // 64 rows of 96 x 3 bytes
    EXPECT_EQ(f->ProgressBar1->Position(), 0);
    SaveShot(f, "imaging_iopreviews_jpeg_q10.png");
    PressButton(f->Button1);
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(d.io->Params().JpegQuality, 10);
  const std::string file = "imaging_iopreviews_q10.jpg";
  d.io->JpegToFile(file);
  EXPECT_EQ(FileLength(file), shownSize);
  std::remove(file.c_str());
}

TEST(IOPreviewsDialog, PngColoursChangePreviewAndSizeAsSaved) {
  TDialogIO d(8);
  Int64 shownSize = -1;
  const bool ok = RunDialog(d.io.get(), ppByFileType, [&](TfIOPreviews* f) {
    EXPECT_EQ(f->ActivePageKind(), ippPNG);
    TLabel* size = LabelOf(f, "Label53");
    const Int64 fullColour = SizeIn(size);  // the lock is down: shown at activation
    const std::string original = Pixels(f->RuzozAd2->CurrentBitmap());
    EXPECT_GT(ColourCount(original), 256u);
    KeyOn(f->ComboBox10, VK_UP);  // 16M -> 256
    EXPECT_EQ(f->ComboBox10->ItemIndex(), 1);
    shownSize = SizeIn(size);
    EXPECT_GT(fullColour, 0);
    EXPECT_LT(shownSize, fullColour);
    EXPECT_LE(ColourCount(Pixels(f->RuzozAd2->CurrentBitmap())), 256u);
    EXPECT_EQ(f->PreviewIO()->Params().PaletteCount, 256);
    SaveShot(f, "imaging_iopreviews_png_256.png");
    PressButton(f->Button1);
  });
  EXPECT_TRUE(ok);
  EXPECT_EQ(d.io->Params().BitsPerSample, 8);
  EXPECT_EQ(d.io->Params().SamplesPerPixel, 1);
  const std::string file = "imaging_iopreviews_256.png";
  d.io->PngToFile(file);
  EXPECT_EQ(FileLength(file), shownSize);
  std::remove(file.c_str());
}

TEST(IOPreviewsDialog, Jpeg2000RateChangesPreviewAndSizeAsSaved) {
  TDialogIO d(14);
  Int64 shownSize = -1;
  const bool ok = RunDialog(d.io.get(), ppByFileType, [&](TfIOPreviews* f) {
    EXPECT_EQ(f->ActivePageKind(), ippJ2K);
    TLabel* size = LabelOf(f, "Label70");
    const Int64 atFull = SizeIn(size);
    const std::string original = Pixels(f->RuzozAd1->CurrentBitmap());
    const std::string fullPicture = Pixels(f->RuzozAd2->CurrentBitmap());
    TypeInto(f->Edit15, "50");  // rate 0.05
    EXPECT_EQ(f->TrackBar1->Position(), 50);
    shownSize = SizeIn(size);
    EXPECT_GT(atFull, 0);
    EXPECT_LT(shownSize, atFull / 4);
    EXPECT_GT(MeanError(original, Pixels(f->RuzozAd2->CurrentBitmap())), MeanError(original, fullPicture) + 1);
    SaveShot(f, "imaging_iopreviews_j2k.png");
    PressButton(f->Button1);
  });
  EXPECT_TRUE(ok);
  EXPECT_DOUBLE_EQ(d.io->Params().J2kRate, 0.05);
  const std::string file = "imaging_iopreviews_rate.j2k";
  d.io->J2kToFile(file);
  EXPECT_EQ(FileLength(file), shownSize);
  std::remove(file.c_str());
}

TEST(IOPreviewsDialog, CancelAndUnknownTypeLeaveTheParameters) {
  TDialogIO d(3);
  const bool ok = RunDialog(d.io.get(), ppByFileType, [](TfIOPreviews* f) {
    TypeInto(f->Edit22, "33");
    PressButton(f->Button2);
  });
  EXPECT_FALSE(ok);
  EXPECT_EQ(d.io->Params().JpegQuality, 80);
  // No page for the file type: no dialog.
  d.io->Params().FileType = 99;
  bool shown = false;
  d.io->OnIOPreview = [&shown](TObject*, TForm*) { shown = true; };
  EXPECT_FALSE(d.io->RunPreviewsDialog(ppByFileType));
  EXPECT_FALSE(shown);
}

namespace {
// The dialog as the component sets it up, shown without a modal loop.
struct TShownDialog {
  TDialogIO d;
  std::unique_ptr<TfIOPreviews> f;
  TShownDialog(Integer FileType, Word Pages, bool Simplified = false, Integer W = 96, Integer H = 64)
      : d(FileType, W, H) {
    d.io->SimplifiedParamsDialogs = Simplified;
    f = CreateIOPreviewsFor(d.io.get());
    chosen = f->ChoosePages(Pages);
    if (chosen) {
      f->Show();
      testui::PumpUntil([this] { return f->Ready(); });
    }
  }
  bool chosen = false;
  void Select(TIOPreviewsPage P) {
    bool allow = true;
    f->PageControl1Changing(f->PageControl1, allow);
    f->PageControl1->SetActivePage(f->PageSheet(P));
    f->PageControl1Change(f->PageControl1);
  }
};
}  // namespace

TEST(IOPreviewsDialog, PageChoice) {
  struct Case {
    Integer fileType;
    Word pages;
    bool simplified;
    bool chosen;
    std::set<TIOPreviewsPage> visible;
  };
  const Case cases[] = {
      {2, ppByFileType, false, true, {ippGIF1}},
      {2, ppByFileType, true, true, {ippGIF2}},
      {1, ppByFileType, true, true, {ippTIFF2}},
      {5, ppByFileType | ppPNG, false, true, {ippBMP, ippPNG}},
      {13, ppByFileType, false, true, {ippJ2K}},
      {99, ppByFileType, false, false, {}},
      {0, ppAll, false, true, {ippJPEG1, ippTIFF1, ippGIF1, ippBMP, ippPCX, ippPNG, ippTGA, ippJ2K}},
      {0, ppAll, true, true, {ippJPEG2, ippTIFF2, ippGIF2, ippBMP, ippPCX, ippPNG, ippTGA, ippJ2K}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "type " << c.fileType << " pages " << c.pages << " simplified " << c.simplified);
    TShownDialog s(c.fileType, c.pages, c.simplified);
    EXPECT_EQ(s.chosen, c.chosen);
    if (!s.chosen) continue;
    for (int p = 0; p < IOPreviewsPageCount; ++p)
      EXPECT_EQ(s.f->PageSheet(TIOPreviewsPage(p))->TabVisible(), c.visible.count(TIOPreviewsPage(p)) == 1) << p;
    EXPECT_EQ(s.f->Height(), c.simplified ? 330 : s.f->Height());
    EXPECT_EQ(s.f->PageControl1->Height(), c.simplified ? 122 : 200);
    EXPECT_EQ(s.f->FindComponent("GroupBox3") && dynamic_cast<TControl*>(s.f->FindComponent("GroupBox3"))->Visible(),
              !c.simplified);
  }
}

TEST(IOPreviewsDialog, WorkingCopyReachesTheParametersOnApplyOnly) {
  TShownDialog s(0, ppAll);
  TfIOPreviews* f = s.f.get();
  TIOParamsVals& target = s.d.io->Params();
  struct Case {
    TIOPreviewsPage page;
    std::function<void()> edit;
    std::function<void()> check;
  };
  const Case cases[] = {
      {ippBMP, [&] { f->ComboBox7->SetItemIndex(5); f->ComboBox6Change(nullptr); },  // 16M (32bit)
       [&] { EXPECT_EQ(target.BitsPerSample, 8); EXPECT_EQ(target.SamplesPerPixel, 3); }},
      {ippBMP, [&] { f->ComboBox7->SetItemIndex(3); f->ComboBox6->SetItemIndex(1); f->ComboBox6Change(nullptr); },
       [&] { EXPECT_EQ(target.BitsPerSample, 5); EXPECT_EQ(target.BmpCompression, 1); }},
      {ippTIFF1, [&] { f->ComboBox4->SetItemIndex(1); f->ComboBox2Click(nullptr); },  // colours "16"
       [&] { EXPECT_EQ(target.TiffPhotometric, 3); EXPECT_EQ(target.BitsPerSample, 4); }},
      {ippTIFF1, [&] { f->ComboBox3->SetItemIndex(1); f->ComboBox2Click(nullptr); },  // BLACKISZERO
       [&] { EXPECT_EQ(f->ComboBox4->ItemIndex(), 2); EXPECT_EQ(target.SamplesPerPixel, 1); }},
      {ippTIFF1, [&] { f->ComboBox3->SetItemIndex(5); f->ComboBox2Click(nullptr); },  // CMYK
       [&] { EXPECT_EQ(target.SamplesPerPixel, 4); EXPECT_EQ(target.BitsPerSample, 8); }},
      {ippGIF1, [&] { f->ComboBox5->SetItemIndex(3); f->Edit12->SetText("x7"); f->ComboBox5Click(nullptr); },
       [&] { EXPECT_EQ(target.BitsPerSample, 4); EXPECT_EQ(target.GifDelay, 0); }},
      {ippJPEG1, [&] { f->Edit22->SetText("abc"); },  // invalid quality text reads as 50
       [&] { EXPECT_EQ(target.JpegQuality, 50); }},
      {ippJ2K, [&] { f->Edit15->SetText("?"); },  // invalid rate text reads as 1000
       [&] { EXPECT_DOUBLE_EQ(target.J2kRate, 1.0); EXPECT_EQ(f->TrackBar1->Position(), 1000); }},
      {ippPCX, [&] { f->ComboBox9->SetItemIndex(0); f->ComboBox8Change(nullptr); },
       [&] { EXPECT_EQ(target.BitsPerSample, 1); EXPECT_EQ(target.SamplesPerPixel, 1); }},
  };
  f->SpeedButton1->SetDown(false);  // no previews needed here
  int n = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE(n++);
    target.JpegQuality = 80;
    target.J2kRate = 0.5;
    s.Select(c.page);
    EXPECT_FALSE(f->Button4->Enabled());
    c.edit();
    EXPECT_TRUE(f->Button4->Enabled());
    f->Button4->Click();  // Apply
    EXPECT_FALSE(f->Button4->Enabled());
    c.check();
  }
  // A change not applied is dropped by a page change.
  target.BitsPerSample = 8;
  target.SamplesPerPixel = 3;
  s.Select(ippPNG);
  f->ComboBox10->SetItemIndex(0);
  f->ComboBox10Change(nullptr);
  s.Select(ippBMP);
  s.Select(ippPNG);
  EXPECT_EQ(f->ComboBox10->ItemIndex(), f->WorkingCopy().PngColors);
  EXPECT_EQ(f->WorkingCopy().PngColors, 2);
}

TEST(IOPreviewsDialog, OriginalSizeOfTheSourceBitmap) {
  TShownDialog s(5, ppByFileType, false, 100, 10);
  EXPECT_EQ(LabelOf(s.f.get(), "Label40")->Caption(), "3000 bytes");
  s.f->RuzozAd1->CurrentBitmap()->SetPixelFormat(pf1bit);
  s.f->ShowWorkingCopy();
  EXPECT_EQ(LabelOf(s.f.get(), "Label40")->Caption(), "160 bytes");
}

TEST(IOPreviewsDialog, GifSixteenColoursAndTheSwatchPalette) {
  TShownDialog s(2, ppByFileType);
  TfIOPreviews* f = s.f.get();
  f->ComboBox5->SetItemIndex(3);  // 16
  f->ComboBox5Click(nullptr);
  EXPECT_LE(ColourCount(Pixels(f->RuzozAd2->CurrentBitmap())), 16u);
  EXPECT_EQ(f->PreviewIO()->Params().PaletteCount, 16);
  // The transparent-colour swatch offers those 16 colours; a click on the
  // third cell picks it.
  f->CheckBox4->SetChecked(true);
  Integer offered = -1;
  TColor picked = clNone;
  testui::TOneShot oneShot(50, [&] {
    auto* dialog = dynamic_cast<TRuzozAdPaletteDialog*>(Screen->ActiveForm());
    if (!dialog) {
      ADD_FAILURE() << "no palette dialog";
      return;
    }
    EXPECT_EQ(dialog->CancelButton()->Caption(), "&Cancel");
    offered = 16;
    const LPARAM at = MAKELPARAM(2 * 16 + 8, 8);
    ::PostMessageW(dialog->Handle(), WM_MOUSEMOVE, 0, at);
    ::PostMessageW(dialog->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    ::PostMessageW(dialog->Handle(), WM_LBUTTONUP, 0, at);
  });
  f->Panel3Click(f->Panel3);
  picked = f->Panel3->Color();
  EXPECT_EQ(offered, 16);
  const TIEColorTriple& third = f->PreviewIO()->Params().Palette[2];
  EXPECT_EQ(picked, static_cast<TColor>(TripleToColor(third)));
  EXPECT_EQ(TripleToColor(f->WorkingCopy().GifTransparentColor), TripleToColor(third));
  EXPECT_TRUE(f->Button4->Enabled());
  // The dialog became active again: the choice is kept.
  Application->ProcessMessages();
  EXPECT_EQ(TripleToColor(f->WorkingCopy().GifTransparentColor), TripleToColor(third));
}

TEST(IOPreviewsDialog, TiffGreyAndCmykPreviews) {
  TShownDialog s(1, ppByFileType);
  TfIOPreviews* f = s.f.get();
  const std::string original = Pixels(f->RuzozAd1->CurrentBitmap());
  f->ComboBox3->SetItemIndex(1);  // BLACKISZERO: 256 greys
  f->ComboBox2Click(nullptr);
  const std::string grey = Pixels(f->RuzozAd2->CurrentBitmap());
  bool allGrey = true;
  for (size_t i = 0; i + 2 < grey.size(); i += 3) allGrey &= grey[i] == grey[i + 1] && grey[i + 1] == grey[i + 2];
  EXPECT_TRUE(allGrey);
  EXPECT_EQ(f->PreviewIO()->Params().Palette, nullptr);
  const Int64 greySize = SizeIn(LabelOf(f, "Label24"));
  f->ComboBox3->SetItemIndex(5);  // CMYK: the original colours, the CMYK size
  f->ComboBox2Click(nullptr);
  EXPECT_EQ(Pixels(f->RuzozAd2->CurrentBitmap()), original);
  EXPECT_GT(SizeIn(LabelOf(f, "Label24")), greySize);
}

TEST(IOPreviewsDialog, ScreenshotOfEachPage) {
  const char* const kCompressedValue[IOPreviewsPageCount] = {"Label11", "Label76", "Label24", "Label86",
                                                             "Label30", "Label91", "Label42", "Label48",
                                                             "Label53", "Label61", "Label70"};
  for (bool simplified : {false, true}) {
    TShownDialog s(0, ppAll, simplified);
    s.f->ApplyLanguage(simplified ? msGerman : msEnglish);
    for (int p = 0; p < IOPreviewsPageCount; ++p) {
      TIOPreviewsPage page = TIOPreviewsPage(p);
      if (!s.f->PageSheet(page)->TabVisible()) continue;
      s.Select(page);
      // The lock is down: every page shows its preview's size.
      EXPECT_GT(SizeIn(LabelOf(s.f.get(), kCompressedValue[p])), 0) << p;
      SaveShot(s.f.get(), std::string("imaging_iopreviews_page_") + s.f->PageSheet(page)->Name() +
                              (simplified ? "_short.png" : ".png"));
    }
  }
}
