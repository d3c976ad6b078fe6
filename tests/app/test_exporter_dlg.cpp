// The "Export Images" dialog, shown over the main window and driven by real
// clicks and keys: the frame list and its preview, the format panels and
// options, and the files the export writes (read back here, and by
// ImageMagick in export_check.py).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <set>
#include <string>

#include "app/Exporter.h"
#include "controls/RzButton.h"
#include "controls/RzCmboBx.h"
#include "controls/RzRadChk.h"
#include "tests/app/dialog_input.h"
#include "tests/app/mainwin_driver.h"

namespace {

using mainwin::Checker;

// Colours of the 216-colour palette, so that every reduction the export
// offers (and ImageMagick's reading) keeps them exactly.
const TColor kExpWeb[] = {RGB(204, 0, 51),  RGB(0, 102, 204), RGB(255, 255, 153), RGB(51, 153, 0),
                          RGB(0, 0, 0),     RGB(255, 255, 255), RGB(153, 51, 204), RGB(255, 153, 0)};

// Frame I of the test documents: a checker of three web colours, its own
// block size, W x H.
std::unique_ptr<TBitmap> ExpFramePicture(Integer I, Integer W = 40, Integer H = 30) {
  return Checker(W, H, {kExpWeb[I % 8], kExpWeb[(I + 3) % 8], kExpWeb[(I + 5) % 8]}, 3 + I);
}

std::string ExpReadFile(const std::string& Path) {
  if (!FileExists(Path)) return {};
  return mainwin::ReadBytes(Path);
}

// The first value of the first quantisation table of a JPEG stream (its DC
// entry), or -1.
Integer ExpFirstQuantValue(const std::string& Data) {
  for (size_t i = 2; i + 5 < Data.size();) {
    if (static_cast<Byte>(Data[i]) != 0xFF) return -1;
    const Byte marker = static_cast<Byte>(Data[i + 1]);
    const size_t length = (static_cast<Byte>(Data[i + 2]) << 8) | static_cast<Byte>(Data[i + 3]);
    if (marker == 0xDB) return (static_cast<Byte>(Data[i + 4]) >> 4) == 0 ? static_cast<Byte>(Data[i + 5]) : -1;
    i += 2 + length;
  }
  return -1;
}

// The component count of a JPEG stream's frame header, or -1.
Integer ExpJpegComponents(const std::string& Data) {
  for (size_t i = 2; i + 9 < Data.size();) {
    if (static_cast<Byte>(Data[i]) != 0xFF) return -1;
    const Byte marker = static_cast<Byte>(Data[i + 1]);
    const size_t length = (static_cast<Byte>(Data[i + 2]) << 8) | static_cast<Byte>(Data[i + 3]);
    if (marker >= 0xC0 && marker <= 0xC2) return static_cast<Byte>(Data[i + 9]);
    i += 2 + length;
  }
  return -1;
}

// The distinct colours of a picture (through a 24-bit copy).
std::set<TColor> ExpColors(TBitmap* B) {
  TBitmap copy;
  copy.Assign(B);
  copy.SetPixelFormat(pf24bit);
  std::set<TColor> out;
  for (Integer y = 0; y < copy.Height(); ++y) {
    const auto* row = static_cast<const Byte*>(copy.ScanLine(y));
    for (Integer x = 0; x < copy.Width(); ++x) out.insert(RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]));
  }
  return out;
}

// Every pixel of A equals B's (sizes equal).
::testing::AssertionResult ExpSamePixels(TBitmap* A, TBitmap* B) {
  if (A->Width() != B->Width() || A->Height() != B->Height())
    return ::testing::AssertionFailure() << "size " << A->Width() << "x" << A->Height() << " vs " << B->Width() << "x"
                                         << B->Height();
  for (Integer y = 0; y < A->Height(); ++y)
    for (Integer x = 0; x < A->Width(); ++x)
      if (mainwin::PixelOf(A, x, y) != mainwin::PixelOf(B, x, y))
        return ::testing::AssertionFailure() << "pixel (" << x << "," << y << ") differs";
  return ::testing::AssertionSuccess();
}

class ExporterDlg : public mainwin::TMainWindowTest {
 protected:
  // The save dialog as the export showed it.
  struct TSaveCall {
    std::string Filter, DefaultExt, FileName;
  };
  std::vector<TSaveCall> saveCalls;
  std::string scriptError;
  bool leftOpen = false;

  void SetUp() override {
    TMainWindowTest::SetUp();
    // The folder is kept from the last run; the tests count what they write.
    for (const std::string& name : FilesLike("")) {
      const std::string path = PathOf(name);
      if (DirectoryExists(path))
        RemoveDir(path);
      else
        DeleteFile(path);
    }
    FileDialogFunc = [this](const TOpenDialog& Dialog, bool Save) {
      dialogFilters.push_back(Dialog.Filter());
      if (Save) saveCalls.push_back({Dialog.Filter(), Dialog.DefaultExt(), Dialog.FileName()});
      std::vector<std::string> chosen;
      if (!fileAnswers.empty()) {
        chosen = fileAnswers.front();
        fileAnswers.pop_front();
      }
      return chosen;
    };
  }

  // Opens a GIF of N frames (ExpFramePicture) through the open dialog.
  void OpenDocument(Integer N, const std::string& Name = "doc.gif") {
    std::vector<std::unique_ptr<TBitmap>> pictures;
    std::vector<TBitmap*> raw;
    for (Integer i = 0; i < N; ++i) {
      pictures.push_back(ExpFramePicture(i));
      raw.push_back(pictures.back().get());
    }
    mainwin::WriteGif(PathOf(Name), raw);
    OpenThroughDialog(PathOf(Name));
    ASSERT_EQ(ItemCount(), N);
  }

  // Runs the export command; Steps act on the shown dialog one after the
  // other from a short timer. A failing step, or steps that leave the dialog
  // open, end with Cancel (leftOpen tells the latter).
  void RunExport(std::vector<std::function<void(TfrmExporter*)>> Steps) {
    scriptError.clear();
    leftOpen = false;
    size_t next = 0;
    bool busy = false, finished = false;
    TTimer timer(nullptr);
    timer.SetInterval(60);
    timer.OnTimer = [&](TObject*) {
      if (busy || finished) return;
      busy = true;
      TfrmExporter* dialog = dlgtest::ShowingForm<TfrmExporter>();
      try {
        if (next < Steps.size()) {
          if (!dialog) throw std::runtime_error("no export dialog at step " + std::to_string(next));
          Steps[next++](dialog);
        } else {
          finished = true;
          if (dialog) {
            leftOpen = true;
            dialog->SetModalResult(mrCancel);
          }
        }
      } catch (const std::exception& e) {
        scriptError = e.what();
        finished = true;
        if (dialog) dialog->SetModalResult(mrCancel);
      }
      busy = false;
    };
    timer.SetEnabled(true);
    win->ExecuteCommand(cmdExportImages);
    testui::PumpUntil([&] { return finished; }, 5000);
    timer.SetEnabled(false);
  }

  static void ClickEntry(TfrmExporter* D, Integer Index, bool Ctrl = false) {
    const TRect r = D->lbExport->ItemRect(Index);
    if (Ctrl) barinput::Key(VK_CONTROL, false);
    dlgtest::ClickAt(D->lbExport, r.Left + 12, (r.Top + r.Bottom) / 2);
    if (Ctrl) barinput::Key(VK_CONTROL, true);
    barinput::Settle(30);
  }
  // Selects exactly the entries (a click, then Ctrl+clicks).
  static void SelectEntries(TfrmExporter* D, const std::vector<Integer>& Indices) {
    for (size_t k = 0; k < Indices.size(); ++k) ClickEntry(D, Indices[k], k > 0);
  }
  static std::vector<Integer> SelectedEntries(TfrmExporter* D) {
    std::vector<Integer> out;
    for (Integer i = 0; i < D->lbExport->Items()->Count(); ++i)
      if (D->lbExport->Selected(i)) out.push_back(i);
    return out;
  }
  static void Click(TControl* C) { dlgtest::ClickAt(C, 8, C->Height() / 2); }
  // Moves the quality track bar to Position with the keyboard.
  static void TrackTo(TfrmExporter* D, Integer Position) {
    D->trackbar->SetFocus();
    barinput::Tap(VK_HOME);
    for (Integer i = 0; i < Position; ++i) barinput::Tap(VK_DOWN);
  }
  // Picks entry Index of the colour-count list with the keyboard.
  static void PickColors(TfrmExporter* D, Integer Index) {
    D->cbGIFColors->SetFocus();
    barinput::Tap(VK_HOME);
    for (Integer i = 0; i < Index; ++i) barinput::Tap(VK_DOWN);
  }
  // Presses OK with the save dialog answering Path (nothing: Cancel).
  void OkWith(TfrmExporter* D, const std::string& Path) {
    if (!Path.empty()) fileAnswers.push_back({Path});
    dlgtest::ClickCentre(D->btnOk);
  }

  // Files of the test's folder whose names start with Prefix.
  std::vector<std::string> FilesLike(const std::string& Prefix) const {
    std::vector<std::string> out;
    TSearchRec rec;
    if (FindFirst(folder + "\\" + Prefix + "*", faAnyFile, rec) == 0) {
      do
        if (rec.Name != "." && rec.Name != "..") out.push_back(rec.Name);
      while (FindNext(rec) == 0);
      FindClose(rec);
    }
    std::sort(out.begin(), out.end());
    return out;
  }
};

// --- The list and its preview -----------------------------------------------------

TEST_F(ExporterDlg, ListsTheFramesWithTheWindowsSelectionAndPreviewsTheClickedOne) {
  OpenDocument(4);
  ClickItem(1);
  ClickItem(3, true);
  ASSERT_EQ(SelectedIndices(), (std::vector<Integer>{1, 3}));

  std::vector<std::string> captions;
  std::vector<Integer> selected;
  TColor previewCentre = clNone, previewPicture = clNone, preview2Centre = clNone;
  bool centred = false;
  std::unique_ptr<TBitmap> shot;
  RunExport({
      [&](TfrmExporter* d) {
        for (Integer i = 0; i < d->lbExport->Items()->Count(); ++i) captions.push_back(d->lbExport->Items()->Strings(i));
        selected = SelectedEntries(d);
        EXPECT_FALSE(d->Progress->Visible());
        EXPECT_EQ(d->Caption(), "Export Images");
        EXPECT_EQ(d->ClientWidth(), 426);
        EXPECT_EQ(d->ClientHeight(), 436);
      },
      [&](TfrmExporter* d) { ClickEntry(d, 2); },
      [&](TfrmExporter* d) {
        // What the person sees in the preview box: frame 3's picture, centred.
        shot = dlgtest::FormShot(d);
        const TPoint c = d->sbPreview->ClientToScreen(Point(d->sbPreview->ClientWidth() / 2, d->sbPreview->ClientHeight() / 2));
        const TPoint inForm = d->ScreenToClient(c);
        RECT wr;
        ::GetWindowRect(d->Handle(), &wr);
        POINT origin{0, 0};
        ::ClientToScreen(d->Handle(), &origin);
        previewCentre = shot->Canvas()->Pixels(inForm.X + origin.x - wr.left, inForm.Y + origin.y - wr.top);
        TBitmap* frame = Frame(2)->RenderedBitmap();
        const TPoint imageCentre = d->imgPreview->ScreenToClient(c);
        previewPicture = mainwin::PixelOf(frame, imageCentre.X, imageCentre.Y);
        centred = std::abs(d->imgPreview->Left() * 2 + d->imgPreview->Width() - d->sbPreview->ClientWidth()) <= 1 &&
                  std::abs(d->imgPreview->Top() * 2 + d->imgPreview->Height() - d->sbPreview->ClientHeight()) <= 1;
        selected.push_back(-1);
        for (Integer i : SelectedEntries(d)) selected.push_back(i);
      },
      [&](TfrmExporter* d) { ClickEntry(d, 0); },
      [&](TfrmExporter* d) {
        preview2Centre = mainwin::PixelOf(d->imgPreview->Picture()->Bitmap(), 0, 0);
        dlgtest::ClickCentre(d->btnCancel);
      },
  });
  EXPECT_EQ(scriptError, "");
  EXPECT_FALSE(leftOpen) << "Cancel closes the dialog";
  ASSERT_EQ(captions.size(), 4u);
  for (Integer i = 0; i < 4; ++i) EXPECT_EQ(captions[i], CaptionOf(i));
  EXPECT_EQ(selected, (std::vector<Integer>{1, 3, -1, 2})) << "the window's selection, then the clicked entry alone";
  EXPECT_EQ(previewCentre, previewPicture) << "the preview shows frame 3 where the box's centre is";
  EXPECT_TRUE(centred);
  EXPECT_EQ(preview2Centre, mainwin::PixelOf(Frame(0)->RenderedBitmap(), 0, 0)) << "a click on entry 1 shows frame 1";
  EXPECT_TRUE(saveCalls.empty());
  EXPECT_TRUE(FilesLike("doc").size() == 1) << "Cancel writes nothing";
  if (shot) {
    testshots::TSheet sheet;
    sheet.Add("Export Images: frame 3 previewed", shot.get());
    EXPECT_TRUE(sheet.Save("app_dlg_exporter_preview.png"));
  }
}

// --- Formats and options ------------------------------------------------------------

TEST_F(ExporterDlg, FormatAndOptionControlsFollowTheClicks) {
  OpenDocument(2);
  struct TPanels {
    bool Gif, Jpeg, Bitmap;
  };
  std::vector<TPanels> panels;
  std::vector<Integer> choices;
  std::vector<bool> smoothEnabled, smoothChecked;
  testshots::TSheet sheet;
  auto look = [&](TfrmExporter* d) {
    panels.push_back({d->pnlGIF->Visible(), d->pnlJPEG->Visible(), d->pnlBitmap->Visible()});
  };
  auto smooth = [&](TfrmExporter* d) {
    smoothEnabled.push_back(d->chkJSmooth->Enabled());
    smoothChecked.push_back(d->chkJSmooth->Checked());
  };
  RunExport({
      [&](TfrmExporter* d) {
        look(d);
        choices.push_back(d->GifColorChoice);
        EXPECT_EQ(d->cbGIFColors->ItemIndex(), 0);
        EXPECT_EQ(d->trackbar->Position(), 2);
      },
      [&](TfrmExporter* d) { Click(d->optGIFGray); choices.push_back(d->GifColorChoice); },
      [&](TfrmExporter* d) { Click(d->optGIFMonochrome); choices.push_back(d->GifColorChoice); },
      [&](TfrmExporter* d) { Click(d->optGIFWindows); choices.push_back(d->GifColorChoice); },
      [&](TfrmExporter* d) { Click(d->optGIFWinSys20); choices.push_back(d->GifColorChoice); },
      [&](TfrmExporter* d) { Click(d->optGIFNetscape); choices.push_back(d->GifColorChoice); },
      [&](TfrmExporter* d) { sheet.Add("GIF", dlgtest::FormShot(d).get()); },
      [&](TfrmExporter* d) { Click(d->optJpeg); look(d); smooth(d); },
      [&](TfrmExporter* d) { Click(d->chkJProgress); smooth(d); },
      [&](TfrmExporter* d) { Click(d->chkJSmooth); smooth(d); },
      [&](TfrmExporter* d) { sheet.Add("JPEG (progressive, smoothing)", dlgtest::FormShot(d).get()); },
      [&](TfrmExporter* d) { Click(d->chkJProgress); smooth(d); },
      [&](TfrmExporter* d) { Click(d->optBitmap); look(d); },
      [&](TfrmExporter* d) { sheet.Add("Bitmap", dlgtest::FormShot(d).get()); },
      [&](TfrmExporter* d) { Click(d->optGIF); look(d); },
      [&](TfrmExporter* d) { choices.push_back(d->GifColorChoice); dlgtest::ClickCentre(d->btnCancel); },
  });
  EXPECT_EQ(scriptError, "");
  EXPECT_FALSE(leftOpen);
  ASSERT_EQ(panels.size(), 4u);
  const TPanels expected[] = {{true, false, false}, {false, true, false}, {false, false, true}, {true, false, false}};
  for (size_t i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(panels[i].Gif, expected[i].Gif);
    EXPECT_EQ(panels[i].Jpeg, expected[i].Jpeg);
    EXPECT_EQ(panels[i].Bitmap, expected[i].Bitmap);
  }
  EXPECT_EQ(choices, (std::vector<Integer>{0, 1, 2, 3, 4, 0, 0})) << "the Tag of the last colour clicked";
  EXPECT_EQ(smoothEnabled, (std::vector<bool>{false, true, true, false}));
  EXPECT_EQ(smoothChecked, (std::vector<bool>{false, false, true, false})) << "clearing progressive clears smoothing";
  EXPECT_TRUE(sheet.Save("app_dlg_exporter_formats.png"));
}

// --- OK and the save dialog -------------------------------------------------------------

TEST_F(ExporterDlg, OkNeedsASelectionAndACancelledSaveDialogKeepsTheDialog) {
  OpenDocument(3);
  // No entry selected: OK closes without asking for a name.
  RunExport({
      [&](TfrmExporter* d) {
        ASSERT_EQ(SelectedEntries(d), std::vector<Integer>{0});
        ClickEntry(d, 0, true);
        EXPECT_TRUE(SelectedEntries(d).empty());
      },
      [&](TfrmExporter* d) { dlgtest::ClickCentre(d->btnOk); },
  });
  EXPECT_EQ(scriptError, "");
  EXPECT_FALSE(leftOpen) << "OK without a selection closes the dialog";
  EXPECT_TRUE(saveCalls.empty());

  // A cancelled save dialog leaves the export dialog open; nothing is written.
  bool openAfterCancel = false;
  RunExport({
      [&](TfrmExporter* d) { OkWith(d, ""); },
      [&](TfrmExporter* d) {
        openAfterCancel = d->Visible();
        dlgtest::ClickCentre(d->btnCancel);
      },
  });
  EXPECT_EQ(scriptError, "");
  EXPECT_TRUE(openAfterCancel);
  EXPECT_FALSE(leftOpen);
  ASSERT_EQ(saveCalls.size(), 1u);
  EXPECT_EQ(saveCalls[0].Filter, "GIF Images|*.gif");
  EXPECT_EQ(saveCalls[0].FileName, "");
  EXPECT_EQ(FilesLike("").size(), 1u) << "only the opened document is in the folder";
  EXPECT_EQ(win->dlgSave->DefaultExt(), "gif");
}

struct TExpFileCase {
  const char* Name;
  TRzRadioButton* TfrmExporter::*Format;
  bool Mono;
  const char* Chosen;  // in the test's folder
  const char* Filter;
  const char* DefaultExt;
  std::vector<const char*> Written;  // for frames 1 and 3
};

const TExpFileCase kExpFileCases[] = {
    {"BMP as x.bmp", &TfrmExporter::optBitmap, false, "x.bmp", "Bitmap Images|*.bmp", "bmp",
     {"xGF10.bmp", "xGF12.bmp"}},
    {"monochrome BMP", &TfrmExporter::optBitmap, true, "m.bmp", "Bitmap Images|*.bmp", "bmp",
     {"mGF10.bmp", "mGF12.bmp"}},
    {"GIF: the extension becomes .gif", &TfrmExporter::optGIF, false, "g.bmp", "GIF Images|*.gif", "gif",
     {"gGF10.gif", "gGF12.gif"}},
    {"JPEG without an extension gets .jpg", &TfrmExporter::optJpeg, false, "j", "Jpg Images|*.jpg", "jpg",
     {"jGF10.jpg", "jGF12.jpg"}},
    {"JPEG keeps a longer extension", &TfrmExporter::optJpeg, false, "p.jpeg", "Jpg Images|*.jpg", "jpg",
     {"pGF10.jpeg", "pGF12.jpeg"}},
    {"a name shorter than four characters stays in its folder", &TfrmExporter::optBitmap, false, "q.b",
     "Bitmap Images|*.bmp", "bmp", {"qGF10.b", "qGF12.b"}},
};

TEST_F(ExporterDlg, SelectedFramesGoToOneFileEachInTheChosenFormat) {
  OpenDocument(4);
  const std::string parent = ExtractFilePath(folder);
  for (const TExpFileCase& c : kExpFileCases) {
    SCOPED_TRACE(c.Name);
    saveCalls.clear();
    const size_t before = FilesLike("").size();
    const std::string prefix = std::string(c.Chosen).substr(0, 1);
    RunExport({
        [&](TfrmExporter* d) { SelectEntries(d, {0, 2}); },
        [&](TfrmExporter* d) { Click(d->*c.Format); },
        [&](TfrmExporter* d) {
          if (c.Mono) Click(d->chkBMono);
        },
        [&](TfrmExporter* d) { OkWith(d, PathOf(c.Chosen)); },
    });
    EXPECT_EQ(scriptError, "");
    EXPECT_FALSE(leftOpen) << "the dialog closes after the export";
    ASSERT_EQ(saveCalls.size(), 1u);
    EXPECT_EQ(saveCalls[0].Filter, c.Filter);
    EXPECT_EQ(saveCalls[0].DefaultExt, c.DefaultExt) << "a typed name without extension gets the format's";
    EXPECT_EQ(win->dlgSave->DefaultExt(), "gif") << "the window's own saves keep their default";
    EXPECT_TRUE(boxes.empty());
    std::vector<std::string> expected(c.Written.begin(), c.Written.end());
    EXPECT_EQ(FilesLike(prefix + "GF"), expected);
    EXPECT_EQ(FilesLike("").size(), before + 2) << "nothing else is written";
    EXPECT_FALSE(DirectoryExists(parent + "\\" + prefix + "GF10")) << "nothing outside the folder";

    for (size_t k = 0; k < expected.size(); ++k) {
      TBitmap* frame = Frame(static_cast<Integer>(k * 2))->RenderedBitmap();
      const std::string path = PathOf(expected[k]);
      const std::string data = ExpReadFile(path);
      ASSERT_GT(data.size(), 16u) << expected[k];
      if (c.Format == &TfrmExporter::optBitmap) {
        TBitmap back;
        back.LoadFromFile(path);
        if (c.Mono) {
          EXPECT_EQ(static_cast<Byte>(data[28]), 1) << "a 1-bit file";
          for (TColor col : ExpColors(&back)) EXPECT_TRUE(col == clBlack || col == clWhite) << std::hex << col;
        } else {
          EXPECT_TRUE(ExpSamePixels(&back, frame));
        }
      } else if (c.Format == &TfrmExporter::optGIF) {
        TGIFImage back;
        back.LoadFromFile(path);
        ASSERT_EQ(back.Frames()->ItemCount(), 1);
        EXPECT_TRUE(ExpSamePixels(back.Frames()->FrameAt(0)->RenderedBitmap(), frame));
      } else {
        TJPEGImage back;
        back.LoadFromFile(path);
        EXPECT_EQ(back.Width(), frame->Width());
        EXPECT_EQ(ExpJpegComponents(data), 3);
        EXPECT_EQ(ExpFirstQuantValue(data), 16) << "the middle position is quality 50";
      }
    }
  }
}

TEST_F(ExporterDlg, FileNamesTakeTheInfixBeforeTheExtensionOfTheNameOnly) {
  const struct {
    const char* Base;
    Integer Index;
    const char* Name;
  } names[] = {
      {"C:\\d\\anim.gif", 0, "C:\\d\\animGF10.gif"},   {"C:\\d\\anim.gif", 12, "C:\\d\\animGF112.gif"},
      {"C:\\d\\a.b", 1, "C:\\d\\aGF11.b"},             {"C:\\d.x\\ab", 0, "C:\\d.x\\abGF10"},
      {"ab", 3, "abGF13"},                            {"C:\\d\\photo.jpeg", 2, "C:\\d\\photoGF12.jpeg"},
      {"C:\\d\\.gif", 0, "C:\\d\\GF10.gif"},
  };
  for (const auto& n : names) EXPECT_EQ(ExportFileName(n.Base, n.Index), n.Name) << n.Base << " " << n.Index;

  const struct {
    const char* Chosen;
    TExportFormat Kind;
    const char* Base;
  } bases[] = {
      {"C:\\d\\x.bmp", efGIF, "C:\\d\\x.gif"},   {"C:\\d.e\\x", efGIF, "C:\\d.e\\x.gif"},
      {"C:\\d\\x", efJPEG, "C:\\d\\x.jpg"},      {"C:\\d\\x.jpeg", efJPEG, "C:\\d\\x.jpeg"},
      {"C:\\d.e\\x", efBitmap, "C:\\d.e\\x.bmp"}, {"C:\\d\\x.gif", efBitmap, "C:\\d\\x.gif"},
  };
  for (const auto& b : bases) EXPECT_EQ(ExportBaseName(b.Chosen, b.Kind), b.Base) << b.Chosen;
}

// --- GIF colours and JPEG quality ----------------------------------------------------------

struct TExpGifColorCase {
  const char* Name;
  TRzRadioButton* TfrmExporter::*Option;
  Integer ColorsIndex;  // -1: leave the list alone
  size_t MaxColors;
  std::function<bool(TColor)> Allowed;
};

bool ExpIsWeb(TColor C) {
  for (Integer v : {GetRValue(C), GetGValue(C), GetBValue(C)})
    if (v % 51 != 0) return false;
  return true;
}

TEST_F(ExporterDlg, GifColourChoicesLimitTheWrittenColours) {
  // One frame of many colours: a gradient the quantiser must reduce.
  {
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf24bit);
    b->SetSize(64, 48);
    for (Integer y = 0; y < 48; ++y) {
      auto* row = static_cast<Byte*>(b->ScanLine(y));
      for (Integer x = 0; x < 64; ++x) {
        row[3 * x] = static_cast<Byte>(x * 4);
        row[3 * x + 1] = static_cast<Byte>(y * 5);
        row[3 * x + 2] = static_cast<Byte>(255 - x * 2);
      }
    }
    mainwin::WriteGif(PathOf("grad.gif"), {b.get()});
    OpenThroughDialog(PathOf("grad.gif"));
    ASSERT_EQ(ItemCount(), 1);
    ASSERT_GT(ExpColors(Frame(0)->RenderedBitmap()).size(), 64u);
  }
  const TExpGifColorCase cases[] = {
      {"Windows, 16 colours", &TfrmExporter::optGIFWindows, 4, 16, nullptr},
      {"Windows, 8 colours", &TfrmExporter::optGIFWindows, 5, 8, nullptr},
      {"Windows, 256 colours", &TfrmExporter::optGIFWindows, 0, 256, nullptr},
      {"Netscape", &TfrmExporter::optGIFNetscape, -1, 216, ExpIsWeb},
      {"grayscale", &TfrmExporter::optGIFGray, -1, 256,
       [](TColor c) { return GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c); }},
      {"monochrome", &TfrmExporter::optGIFMonochrome, -1, 2, [](TColor c) { return c == clBlack || c == clWhite; }},
      {"Windows system", &TfrmExporter::optGIFWinSys20, -1, 20, nullptr},
  };
  Integer n = 0;
  for (const TExpGifColorCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const std::string chosen = PathOf("c" + IntToStr(n++) + ".gif");
    RunExport({
        [&](TfrmExporter* d) { Click(d->*c.Option); },
        [&](TfrmExporter* d) {
          if (c.ColorsIndex >= 0) PickColors(d, c.ColorsIndex);
        },
        [&](TfrmExporter* d) {
          if (c.ColorsIndex >= 0) {
            EXPECT_EQ(d->cbGIFColors->ItemIndex(), c.ColorsIndex);
          }
          OkWith(d, chosen);
        },
    });
    EXPECT_EQ(scriptError, "");
    const std::string written = ExportFileName(chosen, 0);
    ASSERT_TRUE(FileExists(written));
    TGIFImage back;
    back.LoadFromFile(written);
    ASSERT_EQ(back.Frames()->ItemCount(), 1);
    const std::set<TColor> colours = ExpColors(back.Frames()->FrameAt(0)->RenderedBitmap());
    EXPECT_LE(colours.size(), c.MaxColors);
    EXPECT_GT(colours.size(), c.MaxColors > 2 ? 2u : 1u) << "reduced, not flattened";
    if (c.Allowed) {
      for (TColor col : colours) EXPECT_TRUE(c.Allowed(col)) << std::hex << col;
    }
  }
}

TEST_F(ExporterDlg, TrackBarSetsTheJpegQualityAndGrayscaleWritesOneComponent) {
  OpenDocument(1);
  const struct {
    Integer Position;
    bool Gray;
    Integer FirstQuant;  // the DC entry of the luminance table at the position's quality
  } cases[] = {{0, false, 1}, {1, false, 8}, {2, true, 16}, {3, false, 32}, {4, false, 255}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Position);
    const std::string chosen = PathOf("q" + IntToStr(c.Position) + ".jpg");
    Integer position = -1;
    RunExport({
        [&](TfrmExporter* d) { Click(d->optJpeg); },
        [&](TfrmExporter* d) {
          TrackTo(d, c.Position);
          position = d->trackbar->Position();
          if (c.Gray) Click(d->chkJGrayscale);
        },
        [&](TfrmExporter* d) { OkWith(d, chosen); },
    });
    EXPECT_EQ(scriptError, "");
    EXPECT_EQ(position, c.Position);
    const std::string data = ExpReadFile(ExportFileName(chosen, 0));
    EXPECT_EQ(ExpFirstQuantValue(data), c.FirstQuant);
    EXPECT_EQ(ExpJpegComponents(data), c.Gray ? 1 : 3);
  }
}

// --- Failures --------------------------------------------------------------------------------

TEST_F(ExporterDlg, AFrameThatCannotBeWrittenIsReportedOnceAndTheOthersAreWritten) {
  OpenDocument(4);
  // Frame 2's target cannot be a file (a folder has its name); frame 4 has no
  // picture to write.
  ForceDirectories(PathOf("wGF11.bmp"));
  win->document->AddFrame(std::make_unique<TGIFSubImage>(win->document.get()));
  win->RebuildFrameList();
  ASSERT_EQ(ItemCount(), 5);
  RunExport({
      [&](TfrmExporter* d) { SelectEntries(d, {0, 1, 2, 4}); },
      [&](TfrmExporter* d) { Click(d->optBitmap); },
      [&](TfrmExporter* d) { OkWith(d, PathOf("w.bmp")); },
  });
  EXPECT_EQ(scriptError, "");
  EXPECT_FALSE(leftOpen) << "the dialog closes after the export";
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, "An error occurred exporting one or more images.");
  EXPECT_EQ(boxes[0].Flags & MB_ICONMASK, static_cast<UINT>(MB_ICONINFORMATION));
  EXPECT_EQ(FilesLike("wGF"), (std::vector<std::string>{"wGF10.bmp", "wGF11.bmp", "wGF12.bmp"}));
  EXPECT_TRUE(DirectoryExists(PathOf("wGF11.bmp")));
  EXPECT_FALSE(FileExists(PathOf("wGF14.bmp"))) << "no file for a frame without a picture";
  for (Integer i : {0, 2}) {
    TBitmap back;
    back.LoadFromFile(PathOf("wGF1" + IntToStr(i) + ".bmp"));
    EXPECT_TRUE(ExpSamePixels(&back, Frame(i)->RenderedBitmap())) << i;
  }
}

// --- Files for independent readers (export_check.py) ----------------------------------------

// Exports three frames in every format into EXPORT_CHECK_DIR (or
// app_export_check in the working folder), with the frames' pixels as PPM
// files and export_expect.txt naming what each file must hold.
TEST_F(ExporterDlg, WritesEveryFormatForIndependentReaders) {
  const char* env = std::getenv("EXPORT_CHECK_DIR");
  const std::string out = env && *env ? std::string(env) : GetCurrentDir() + "\\app_export_check";
  ForceDirectories(out);
  {
    std::vector<std::unique_ptr<TBitmap>> pictures;
    std::vector<TBitmap*> raw;
    for (Integer i = 0; i < 3; ++i) {
      pictures.push_back(ExpFramePicture(i, 36 + 4 * i, 24 + 2 * i));
      raw.push_back(pictures.back().get());
    }
    mainwin::WriteGif(out + "\\source.gif", raw);
    OpenThroughDialog(out + "\\source.gif");
    ASSERT_EQ(ItemCount(), 3);
  }
  for (Integer i = 0; i < 3; ++i) {
    TBitmap frame;
    frame.Assign(Frame(i)->RenderedBitmap());
    frame.SetPixelFormat(pf24bit);
    std::ofstream ppm(out + "\\ref" + IntToStr(i) + ".ppm", std::ios::binary);
    ppm << "P6\n" << frame.Width() << " " << frame.Height() << "\n255\n";
    for (Integer y = 0; y < frame.Height(); ++y) {
      const auto* row = static_cast<const char*>(frame.ScanLine(y));
      for (Integer x = 0; x < frame.Width(); ++x) ppm << row[3 * x + 2] << row[3 * x + 1] << row[3 * x];
    }
  }
  struct TRun {
    const char* Base;
    std::function<void(TfrmExporter*)> Options;
    const char* Check;
  };
  const TRun runs[] = {
      {"g216.gif", [](TfrmExporter*) {}, "exact"},
      {"gq8.gif", [](TfrmExporter* d) { Click(d->optGIFWindows); PickColors(d, 5); }, "exact"},
      {"b.bmp", [](TfrmExporter* d) { Click(d->optBitmap); }, "exact"},
      {"bm.bmp", [](TfrmExporter* d) { Click(d->optBitmap); Click(d->chkBMono); }, "mono"},
      {"j100.jpg", [](TfrmExporter* d) { Click(d->optJpeg); TrackTo(d, 0); }, "jpeg100"},
      {"j50.jpg", [](TfrmExporter* d) { Click(d->optJpeg); }, "jpeg50"},
      {"jg.jpg", [](TfrmExporter* d) { Click(d->optJpeg); TrackTo(d, 0); Click(d->chkJGrayscale); }, "gray100"},
  };
  std::ofstream expect(out + "\\export_expect.txt");
  for (const TRun& r : runs) {
    SCOPED_TRACE(r.Base);
    const std::string chosen = out + "\\" + r.Base;
    RunExport({
        [&](TfrmExporter* d) {
          ClickEntry(d, 0);
          barinput::Key(VK_SHIFT, false);
          ClickEntry(d, 2);
          barinput::Key(VK_SHIFT, true);
        },
        [&](TfrmExporter* d) { r.Options(d); },
        [&](TfrmExporter* d) { OkWith(d, chosen); },
    });
    EXPECT_EQ(scriptError, "");
    EXPECT_TRUE(boxes.empty());
    for (Integer i = 0; i < 3; ++i) {
      const std::string file = ExportFileName(chosen, i);
      EXPECT_TRUE(FileExists(file)) << file;
      expect << ExtractFileName(file) << " ref" << i << ".ppm " << r.Check << "\n";
    }
  }
}

}  // namespace
