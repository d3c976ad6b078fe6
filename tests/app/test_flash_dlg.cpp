// Flash export from the main window: the save question of a modified
// document, the save dialog's filter and name while shown and afterwards, the
// conversion called with the right paths, its failure, and the window with the
// embedding HTML and its copy button. A stand-in converter records the calls;
// one test runs the real conversion library.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/GifHTMLCodeForm.h"
#include "app/SWFHTML.h"
#include "platform/Buttons.h"
#include "tests/app/dialog_input.h"
#include "tests/app/html_input.h"
#include "tests/app/mainwin_driver.h"

namespace {

const char* const kFlashFilter = "Macromedia Flash|*.swf";
const char* const kGifFilter = "Gif Files (*.gif)|*.gif";
const char* const kFlashFailure = "There was a problem converting the GIF to SWF. Please try again.";
const char* const kStatusWhileConverting = "Initializing GIF for Flash Movie conversion, one moment please...";

// What the converter saw when it was called.
struct TConversion {
  std::string Gif, Swf;
  HWND Owner;
  std::string Status;
  TCursor Cursor;
};

// A file dialog as it was shown.
struct TShownDialog {
  std::string Filter, FileName;
};

class FlashExport : public mainwin::TMainWindowTest {
 protected:
  std::vector<TConversion> calls;
  std::vector<TShownDialog> shownDialogs;
  bool convertSucceeds = true;
  // Run after the converter records a call (to raise, say).
  std::function<void()> duringConversion;

  void SetUp() override {
    mainwin::TMainWindowTest::SetUp();
    FileDialogFunc = [this](const TOpenDialog& Dialog, bool) {
      shownDialogs.push_back({Dialog.Filter(), Dialog.FileName()});
      std::vector<std::string> chosen;
      if (!fileAnswers.empty()) {
        chosen = fileAnswers.front();
        fileAnswers.pop_front();
      }
      return chosen;
    };
    FlashConvertFunc = [this](const std::string& Gif, const std::string& Swf, HWND Owner) {
      calls.push_back({Gif, Swf, Owner, win->StatusBar->Panels()->Items(2)->Text(), Screen->Cursor()});
      if (duringConversion) duringConversion();
      if (convertSucceeds) mainwin::WriteBytes(Swf, "FWS");
      return convertSucceeds;
    };
  }
  void TearDown() override {
    FlashConvertFunc = nullptr;
    mainwin::TMainWindowTest::TearDown();
  }

  // File > Save As Flash, clicked in the menu.
  void ExportThroughMenu() { htmltest::ClickMenuCommand(win, win->mnuFile, cmdSaveAsFlash); }

  // Watches for the Flash HTML window while an export runs: keeps its memo
  // text, the cursor and a picture, runs Extra in it and closes it with its
  // Close button.
  struct TFlashWindowWatch {
    std::string Text;
    bool Shown = false;
    TCursor Cursor = crDefault;
    std::unique_ptr<TBitmap> Shot;
    mainwin::TAnswerForm Answer;
    explicit TFlashWindowWatch(std::function<void(TSWFHTMLFrm*)> Extra = nullptr)
        : Answer("HTML to insert for Flash Movies", [this, Extra](TCustomForm* F) {
            auto* form = dynamic_cast<TSWFHTMLFrm*>(F);
            if (!form) return;
            Shown = true;
            Text = form->mmoFlash->Text();
            Cursor = Screen->Cursor();
            Shot = dlgtest::FormShot(form);
            if (Extra) Extra(form);
            dlgtest::ClickCentre(form->Button1);
          }) {}
    bool Done() const { return Answer.Done(); }
  };
};

// A modified document is saved first, or the command ends.
TEST_F(FlashExport, AModifiedDocumentIsSavedFirstOrNothingHappens) {
  struct TCase {
    const char* Name;
    int Answer;                   // to "Please Save First"
    bool ChooseGifName;           // in the save dialog of the untitled document
    std::vector<std::string> Filters;  // of the file dialogs shown
    bool Converted;
  };
  const TCase cases[] = {
      {"No: no dialog, nothing written", IDNO, false, {}, false},
      {"Yes, the save dialog cancelled", IDYES, false, {kGifFilter}, false},
      {"Yes, saved: then converted", IDYES, true, {kGifFilter, kFlashFilter}, true},
  };
  Integer n = 0;
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string dir = "case" + std::to_string(n++);
    ForceDirectories(PathOf(dir));
    const std::string picture = MakePng(dir + "\\pic.png", 30, 20, {clRed, clBlue});
    InsertThroughDialog({picture});
    ASSERT_TRUE(win->modified);
    boxes.clear();
    shownDialogs.clear();
    calls.clear();
    boxAnswers.push_back(c.Answer);
    const std::string gif = PathOf(dir + "\\saved.gif");
    if (c.ChooseGifName) fileAnswers.push_back({gif});
    if (c.Converted) fileAnswers.push_back({PathOf(dir + "\\movie")});
    TFlashWindowWatch watch;
    ExportThroughMenu();
    testui::PumpUntil([&] { return watch.Done() || !c.Converted; }, 5000);

    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes[0].Caption, "Please Save First");
    EXPECT_EQ(boxes[0].Text,
              "You must save the image before converting it to a Flash file.\r\n\r\nWould you like to save it now?");
    EXPECT_EQ(boxes[0].Flags & (MB_ICONMASK | MB_TYPEMASK), static_cast<UINT>(MB_ICONQUESTION | MB_YESNO));
    std::vector<std::string> filters;
    for (const TShownDialog& d : shownDialogs) filters.push_back(d.Filter);
    EXPECT_EQ(filters, c.Filters);
    EXPECT_EQ(boxes.size(), 1u) << "no other message";
    EXPECT_EQ(FileExists(gif), c.ChooseGifName);
    ASSERT_EQ(calls.size(), c.Converted ? 1u : 0u);
    EXPECT_EQ(watch.Shown, c.Converted);
    if (c.Converted) {
      EXPECT_EQ(calls[0].Gif, gif) << "the file just saved";
      EXPECT_EQ(calls[0].Swf, PathOf(dir + "\\movie.swf"));
      EXPECT_EQ(shownDialogs[1].FileName, "saved.swf");
      EXPECT_FALSE(win->modified);
    } else {
      EXPECT_TRUE(win->modified);
    }
    win->modified = false;
  }
}

// An unmodified document goes straight to the save dialog, which shows the
// Flash filter and the document's name as .swf; the converter gets the GIF's
// path, the chosen name with .swf, and the main window; the dialog's filter and
// name and the status bar come back however it ends.
TEST_F(FlashExport, TheSaveDialogAndTheConversionGetTheRightNamesAndAreRestored) {
  struct TCase {
    const char* Name;
    const char* Chosen;  // nullptr: the dialog is cancelled
    bool Succeeds;
    const char* Swf;     // what the converter is given
  };
  const TCase cases[] = {
      {"cancelled", nullptr, true, nullptr},
      {"a name without extension", "out", true, "out.swf"},
      {"a .gif name becomes .swf", "other.gif", true, "other.swf"},
      {"a .swf name stays", "Movie.SWF", true, "Movie.swf"},
      {"a dotted name loses its last part", "my.movie", true, "my.swf"},
      {"a failed conversion", "bad.swf", false, "bad.swf"},
  };
  const std::string gif = MakeGif("anim.gif", 3, 40, 30);
  OpenThroughDialog(gif);
  ASSERT_EQ(FrameCount(), 3);
  ASSERT_FALSE(win->modified);
  win->dlgSave->SetFilter("Earlier|*.abc");
  win->dlgSave->SetFileName("earlier.abc");
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    boxes.clear();
    shownDialogs.clear();
    calls.clear();
    convertSucceeds = c.Succeeds;
    win->SetStatusText("before", 1);
    win->SetStatusText("before", 2);
    if (c.Chosen) fileAnswers.push_back({PathOf(c.Chosen)});
    TFlashWindowWatch watch;
    ExportThroughMenu();
    testui::PumpUntil([&] { return watch.Done() || !c.Chosen || !c.Succeeds; }, 5000);

    ASSERT_EQ(shownDialogs.size(), 1u);
    EXPECT_EQ(shownDialogs[0].Filter, kFlashFilter);
    EXPECT_EQ(shownDialogs[0].FileName, "anim.swf");
    EXPECT_EQ(win->dlgSave->Filter(), "Earlier|*.abc") << "the filter comes back";
    EXPECT_EQ(win->dlgSave->FileName(), "") << "the name is cleared";
    EXPECT_EQ(win->StatusBar->Panels()->Items(1)->Text(), " ");
    EXPECT_EQ(win->StatusBar->Panels()->Items(2)->Text(), "");
    EXPECT_EQ(Screen->Cursor(), crDefault);
    EXPECT_FALSE(win->prgBar->Visible());
    if (!c.Chosen) {
      EXPECT_TRUE(calls.empty());
      EXPECT_TRUE(boxes.empty());
      EXPECT_FALSE(watch.Shown);
      continue;
    }
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].Gif, gif);
    EXPECT_EQ(calls[0].Swf, PathOf(c.Swf));
    EXPECT_EQ(calls[0].Owner, win->Handle());
    EXPECT_EQ(calls[0].Status, kStatusWhileConverting);
    EXPECT_EQ(calls[0].Cursor, crHourGlass);
    EXPECT_EQ(watch.Shown, c.Succeeds);
    if (c.Succeeds) {
      EXPECT_TRUE(boxes.empty());
      EXPECT_EQ(watch.Cursor, crDefault) << "the person works in the window with the normal cursor";
    } else {
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0].Text, kFlashFailure);
      EXPECT_EQ(boxes[0].Flags & (MB_ICONMASK | MB_TYPEMASK), static_cast<UINT>(MB_ICONWARNING | MB_OK));
    }
    EXPECT_EQ(win->fileName, gif) << "the document stays the GIF";
    EXPECT_FALSE(win->modified);
  }
}

// A GIF saved under a .swf name would be written over by its own movie.
TEST_F(FlashExport, TheGifFileItselfIsNeverTheTarget) {
  const std::string gif = MakeGif("clip.swf", 2);
  const std::string before = mainwin::ReadBytes(gif);
  OpenThroughDialog(gif);
  ASSERT_EQ(FrameCount(), 2);
  fileAnswers.push_back({PathOf("CLIP.gif")});
  TFlashWindowWatch watch;
  ExportThroughMenu();
  EXPECT_TRUE(calls.empty());
  EXPECT_FALSE(watch.Shown);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{kFlashFailure});
  EXPECT_EQ(mainwin::ReadBytes(gif), before);
}

TEST_F(FlashExport, AnErrorInTheConversionStillRestoresTheDialogAndCursor) {
  OpenThroughDialog(MakeGif("anim.gif", 2));
  const std::string filter = win->dlgSave->Filter();
  duringConversion = [] { throw Exception("converter broke"); };
  fileAnswers.push_back({PathOf("x.swf")});
  EXPECT_THROW(win->ExecuteCommand(cmdSaveAsFlash), Exception);
  EXPECT_EQ(calls.size(), 1u);
  EXPECT_EQ(win->dlgSave->Filter(), filter);
  EXPECT_EQ(win->dlgSave->FileName(), "");
  EXPECT_EQ(Screen->Cursor(), crDefault);
  EXPECT_EQ(win->StatusBar->Panels()->Items(2)->Text(), "");
}

// The window with the embedding HTML: the filled template, and its copy button.
TEST_F(FlashExport, TheEmbeddingHtmlIsShownAndCopied) {
  OpenThroughDialog(MakeGif("wave.gif", 2, 64, 48));
  fileAnswers.push_back({PathOf("wave")});
  htmltest::SetClipboardText("before");
  std::string clip;
  TFlashWindowWatch watch([&](TSWFHTMLFrm* F) {
    dlgtest::ClickCentre(F->BitBtn1);
    clip = htmltest::ClipboardText();
  });
  ExportThroughMenu();
  testui::PumpUntil([&] { return watch.Done(); }, 5000);
  ASSERT_TRUE(watch.Shown);
  const std::string expected =
      "<!-- Created with Larkspire GIF Fluxmere http://www.larkspire-software.example/ -->\r\n"
      "\r\n"
      "<OBJECT classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\"\r\n"
      "  codebase=\"http://download.macromedia.com/pub/shockwave/cabs/flash/swflash.cab#version=4,0,0,0\"\r\n"
      "  ID=Untitled WIDTH=64 HEIGHT=48>\r\n"
      "<PARAM NAME=movie VALUE=\"wave.swf\">\r\n"
      "<PARAM NAME=quality VALUE=high>\r\n"
      "<PARAM NAME=loop VALUE=false>\r\n"
      "<EMBED src=\"wave.swf\" loop=false quality=high\r\n"
      "  WIDTH=64 HEIGHT=48 TYPE=\"application/x-shockwave-flash\"\r\n"
      "  PLUGINSPAGE=\"http://www.macromedia.com/go/getflashplayer\">\r\n"
      "</EMBED>\r\n"
      "</OBJECT>";
  EXPECT_EQ(watch.Text, expected);
  EXPECT_EQ(clip, expected);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Copied HTML to the clipboard."});
  EXPECT_EQ(dlgtest::ShowingForm<TSWFHTMLFrm>(), nullptr) << "Close ended and freed it";

  ASSERT_TRUE(watch.Shot);
  testshots::TSheet sheet;
  sheet.Add("HTML to insert for Flash Movies (64 x 48, wave.swf)", watch.Shot.get());
  EXPECT_TRUE(sheet.Save("app_dlg_flashhtml.png"));
  EXPECT_GE(watch.Shot->Width(), 524);
  EXPECT_GE(watch.Shot->Height(), 325);
}

#ifdef WEXBOLT_DLL_PATH
// The whole road with the real conversion library, loaded by its build path.
TEST_F(FlashExport, TheConversionLibraryWritesTheMovieOfTheDocument) {
  std::string library = WEXBOLT_DLL_PATH;
  for (char& c : library)
    if (c == '/') c = '\\';
  FlashConvertFunc = [library](const std::string& Gif, const std::string& Swf, HWND Owner) {
    return ConvertGifToSwf(library, Gif, Swf, Owner);
  };
  OpenThroughDialog(MakeGif("real.gif", 3, 40, 30));
  ASSERT_EQ(FrameCount(), 3);
  fileAnswers.push_back({PathOf("real")});
  TFlashWindowWatch watch;
  ExportThroughMenu();
  testui::PumpUntil([&] { return watch.Done(); }, 10000);
  EXPECT_TRUE(BoxTexts().empty()) << (BoxTexts().empty() ? "" : BoxTexts()[0]);
  ASSERT_TRUE(watch.Shown) << "the conversion succeeded";
  EXPECT_NE(watch.Text.find("<PARAM NAME=movie VALUE=\"real.swf\">"), std::string::npos);

  ASSERT_TRUE(FileExists(PathOf("real.swf")));
  const std::string swf = mainwin::ReadBytes(PathOf("real.swf"));
  ASSERT_GE(swf.size(), 17u);
  const std::string signature = swf.substr(0, 3);
  EXPECT_TRUE(signature == "FWS" || signature == "CWS" || signature == "ZWS") << signature;
  EXPECT_GE(static_cast<Byte>(swf[3]), 1) << "a version";
  const uint32_t length = static_cast<Byte>(swf[4]) | static_cast<Byte>(swf[5]) << 8 |
                          static_cast<Byte>(swf[6]) << 16 | static_cast<uint32_t>(static_cast<Byte>(swf[7])) << 24;
  if (signature == "FWS") {
    EXPECT_EQ(length, swf.size()) << "the header's length is the file's";
    // The stage rectangle in twips: bit count (5 bits), then Xmin, Xmax, Ymin, Ymax.
    auto bits = [&swf](size_t From, unsigned Count) {
      uint32_t v = 0;
      for (unsigned i = 0; i < Count; ++i) {
        const size_t bit = From + i;
        v = v << 1 | ((static_cast<Byte>(swf[8 + bit / 8]) >> (7 - bit % 8)) & 1);
      }
      return v;
    };
    const unsigned n = bits(0, 5);
    EXPECT_EQ(bits(5, n), 0u);
    EXPECT_EQ(bits(5 + n, n), 40u * 20) << "the document's width";
    EXPECT_EQ(bits(5 + 2 * n, n), 0u);
    EXPECT_EQ(bits(5 + 3 * n, n), 30u * 20) << "the document's height";
  } else {
    EXPECT_GE(length, swf.size()) << "the length of the unpacked movie";
  }
}
#endif

// The conversion library itself: a missing library or function is a failed
// conversion, not a crash.
TEST(FlashLibrary, AMissingLibraryOrFunctionIsAFailedConversion) {
  EXPECT_FALSE(ConvertGifToSwf("C:\\no\\such\\folder\\wexbolt.dll", "a.gif", "a.swf", nullptr));
  EXPECT_FALSE(ConvertGifToSwf("kernel32.dll", "a.gif", "a.swf", nullptr)) << "a library without gif2swf";
}

}  // namespace
