// The image component: its own I/O and processing components, the editor's
// picture road (load by extension, reduce to 256 colours, take the platform
// bitmap) with its failures, the republished options, Assign and streaming.
#include <gtest/gtest.h>

#include <set>
#include <vector>
#include <string>

#include "imaging/views/imaging_classes.h"
#include "imaging/views/ruzozad.h"
#include "platform/FormReader.h"
#include "platform/SysUtils.h"
#include "platform/TypInfo.h"
#include "tests/imaging/fmt_util.h"
#include "tests/imaging/view_fixture.h"

using namespace viewtest;

namespace {

// The distinct colours of a platform bitmap (1, 8 or 24 bits).
size_t ColourCount(TBitmap* B) {
  std::set<COLORREF> colours;
  for (Integer y = 0; y < B->Height(); ++y)
    for (Integer x = 0; x < B->Width(); ++x) colours.insert(static_cast<COLORREF>(B->Canvas()->Pixels(x, y)));
  return colours.size();
}

std::string SaveBmp(TBitmap* B, const std::string& Name) {
  const std::string path = fmtfix::TempPath(Name);
  B->SaveToFile(path);
  return path;
}

struct TChanges : TObject {
  Integer images = 0;
  void ImageChange(TObject*) { ++images; }
};

class TfrmWithAd : public TForm {
 public:
  T_CLASSNAME(TfrmWithAd)
  using TForm::TForm;
};

}  // namespace

TEST(ViewComponent, OwnsAttachedComponentsFromTheStart) {
  TRuzozAd ad(nullptr);
  ASSERT_TRUE(ad.HasOwnIO());
  ASSERT_TRUE(ad.HasOwnProc());
  EXPECT_EQ(ad.OwnIO()->AttachedRuzozAd(), &ad);
  EXPECT_EQ(ad.OwnProc()->AttachedRuzozAd(), &ad);
  EXPECT_EQ(ad.ChangeListenerCount(), 2);
  EXPECT_EQ(ad.OwnIO()->IEBitmap(), ad.CurrentIEBitmap());
  EXPECT_EQ(ad.OwnProc()->WorkingBitmap(), ad.CurrentIEBitmap());
  EXPECT_EQ(ad.FormatParams(), &ad.OwnIO()->Params());
  EXPECT_TRUE(ad.AutoUndo());
  EXPECT_EQ(ad.DialogsMeasureUnit(), ieduInches);
  EXPECT_FALSE(ad.StreamHeaders());
  EXPECT_EQ(ad.PreviewFont(), ad.OwnIO()->PreviewFont());
  // The language goes to both; reading it asks the processing component.
  ad.SetMsgLanguage(msGreek);
  EXPECT_EQ(ad.OwnIO()->MsgLanguage, msGreek);
  EXPECT_EQ(ad.OwnProc()->MsgLanguage(), msGreek);
  ad.OwnProc()->SetMsgLanguage(msRussian);
  EXPECT_EQ(ad.MsgLanguage(), msRussian);
  TFont font;
  font.SetName("Tahoma");
  ad.SetPreviewFont(&font);
  EXPECT_EQ(ad.OwnIO()->PreviewFont()->Name(), "Tahoma");
  EXPECT_EQ(ad.OwnProc()->PreviewFont()->Name(), "Tahoma");
}

TEST(ViewComponent, TrueColourPictureIsReducedTo256ColoursWithOneUndoStep) {
  auto pic = MakePicture(64, 48);
  const std::string path = SaveBmp(pic.get(), "view12_true.bmp");
  TRuzozAd ad(nullptr);
  TChanges changes;
  ad.OnImageChange = TNotifyEvent(&changes, &TChanges::ImageChange);
  ad.LoadImageFile(path);
  EXPECT_FALSE(ad.OwnIO()->Aborting);
  EXPECT_EQ(changes.images, 1);
  TBitmap* legacy = ad.CurrentBitmap();
  ASSERT_NE(legacy, nullptr);
  EXPECT_EQ(legacy->PixelFormat(), pf24bit);
  EXPECT_EQ(legacy->Width(), 64);
  EXPECT_GT(ColourCount(legacy), 256u);
  ad.ConvertTo(256, false);
  EXPECT_EQ(changes.images, 2);
  EXPECT_EQ(ad.CurrentBitmap(), legacy);  // the same bitmap, changed in place
  EXPECT_EQ(legacy->PixelFormat(), pf24bit);
  EXPECT_LE(ColourCount(legacy), 256u);
  EXPECT_EQ(ad.OwnProc()->UndoCount(), 1);
  EXPECT_EQ(ad.OwnProc()->UndoCaption(0), "ConvertTo 256");
  ad.ConvertTo(16, false);
  EXPECT_EQ(ad.OwnProc()->UndoCount(), 1);  // replaced
  EXPECT_EQ(ad.OwnProc()->UndoCaption(0), "ConvertTo 16");
  EXPECT_LE(ColourCount(legacy), 16u);
  // The editor takes it as its own bitmap.
  TBitmap taken;
  taken.Assign(ad.CurrentBitmap());
  EXPECT_EQ(taken.Width(), 64);
  DeleteFileW(Utf8ToWide(path).c_str());
}

// Only a 24-bit picture is reduced. The library's readers decode paletted and
// grey files to 24 bits, so a bilevel file is the one that stays as it is.
TEST(ViewComponent, BilevelPictureStaysUnchanged) {
  auto pic = MakePicture(40, 30);
  pic->SetPixelFormat(pf1bit);
  const std::string path = SaveBmp(pic.get(), "view12_bw.bmp");
  TRuzozAd ad(nullptr);
  ad.LoadImageFile(path);
  TBitmap* legacy = ad.CurrentBitmap();
  ASSERT_NE(legacy, nullptr);
  EXPECT_EQ(legacy->PixelFormat(), pf1bit);
  EXPECT_EQ(legacy->Width(), 40);
  EXPECT_EQ(ad.CurrentIEBitmap()->PixelKind(), ipkBW1);
  TChanges changes;
  ad.OnImageChange = TNotifyEvent(&changes, &TChanges::ImageChange);
  std::vector<Byte> before(static_cast<const Byte*>(legacy->ScanLine(9)), static_cast<const Byte*>(legacy->ScanLine(9)) + 5);
  ad.ConvertTo(256, false);
  EXPECT_EQ(ad.OwnProc()->UndoCount(), 0);
  EXPECT_EQ(changes.images, 0);
  EXPECT_EQ(ad.CurrentBitmap()->PixelFormat(), pf1bit);
  EXPECT_EQ(std::vector<Byte>(static_cast<const Byte*>(legacy->ScanLine(9)), static_cast<const Byte*>(legacy->ScanLine(9)) + 5),
            before);
  DeleteFileW(Utf8ToWide(path).c_str());
}

TEST(ViewComponent, FailuresAlongThePictureRoad) {
  TRuzozAd ad(nullptr);
  // A file that cannot be opened raises through the component.
  EXPECT_THROW(ad.LoadImageFile(fmtfix::TempPath("view12_missing.pcx")), Exception);
  // A reader that fails quietly only sets the aborting flag; the buffer keeps
  // the picture it had.
  auto pic = MakePicture(20, 10);
  ad.Assign(pic.get());
  const std::string bad = fmtfix::TempPath("view12_bad.pcx");
  {
    TFileStream s(bad, fmCreate);
    const char junk[] = "not a picture at all";
    s.Write(junk, sizeof junk);
  }
  EXPECT_NO_THROW(ad.LoadImageFile(bad));
  EXPECT_TRUE(ad.OwnIO()->Aborting);
  ASSERT_NE(ad.CurrentBitmap(), nullptr);
  EXPECT_NO_THROW(ad.ConvertTo(256, false));
  DeleteFileW(Utf8ToWide(bad).c_str());
}

TEST(ViewComponent, AssignCopiesFormatParametersAndPicture) {
  TRuzozAd a(nullptr), b(nullptr);
  auto pic = MakePicture(12, 8);
  a.Assign(pic.get());
  a.FormatParams()->JpegQuality = 33;
  b.Assign(&a);
  EXPECT_EQ(b.FormatParams()->JpegQuality, 33);
  EXPECT_EQ(b.ImageWidth(), 12);
  // From an I/O component: only its parameters (the view ignores that class).
  TRuzozAdIO io(nullptr);
  io.Params().JpegQuality = 71;
  b.Assign(&io);
  EXPECT_EQ(b.FormatParams()->JpegQuality, 71);
  EXPECT_EQ(b.ImageWidth(), 12);
  TFont other;
  b.CopyFormatParams(&other);  // neither: nothing
  EXPECT_EQ(b.FormatParams()->JpegQuality, 71);
}

TEST(ViewComponent, StreamedHiddenComponentHoldsABackgroundPictureOfItsSize) {
  RegisterImagingClasses();
  static bool registered = false;
  if (!registered) RegisterClassInfo<TfrmWithAd, TForm>("TfrmWithAd");
  registered = true;
  const char* const form = R"(object frmWithAd: TfrmWithAd
  Left = 0
  Top = 0
  Width = 300
  Height = 200
  object RuzozAd1: TRuzozAd
    Left = 8
    Top = 8
    Width = 69
    Height = 57
    Visible = False
    AutoUndo = False
    MsgLanguage = msItalian
    BackgroundStyle = iebsChessboard
    ScrollBars = ssNone
    ZoomFilter = rfLanczos3
    StreamHeaders = True
  end
end
)";
  auto* f = new TfrmWithAd(nullptr);
  ReadComponentFromText(form, f);
  auto* ad = dynamic_cast<TRuzozAd*>(f->FindComponent("RuzozAd1"));
  ASSERT_NE(ad, nullptr);
  EXPECT_FALSE(ad->Visible());
  EXPECT_FALSE(ad->AutoUndo());
  EXPECT_EQ(ad->OwnIO()->MsgLanguage, msItalian);
  EXPECT_EQ(ad->BackgroundStyle(), iebsChessboard);
  EXPECT_EQ(ad->ScrollBars(), ssNone);
  EXPECT_EQ(ad->ZoomFilter(), rfLanczos3);
  EXPECT_TRUE(ad->StreamHeaders());
  TIEBitmap* image = ad->CurrentIEBitmap();
  EXPECT_EQ(image->Width(), 69);
  EXPECT_EQ(image->Height(), 57);
  // Filled when the bounds were read, with the background of that moment.
  EXPECT_EQ(image->PixelAsTriple(68, 56), ColorToTriple(clBtnFace));
  EXPECT_EQ(image->PixelAsTriple(0, 0), ColorToTriple(clBtnFace));
  EXPECT_EQ(ad->CurrentBitmap()->Width(), 69);
  const std::string text = WriteComponentToText(f);
  EXPECT_NE(text.find("BackgroundStyle = iebsChessboard"), std::string::npos) << text;
  EXPECT_EQ(text.find("LegacyBitmap"), std::string::npos) << "defaults are not written\n" << text;
  delete f;
}
