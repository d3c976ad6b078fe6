// AVI import through the shown main window: File > Import AVI by its keys,
// the file chosen in the open dialog, the progress window watched while it
// works and its Cancel clicked with the mouse. The AVI files are written by
// the test (tests/app/avi_writer.h).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "app/AVI.h"
#include "app/AppFileUtils.h"
#include "app/Progress.h"
#include "tests/app/avi_writer.h"
#include "tests/app/dialog_input.h"
#include "tests/app/mainwin_driver.h"

namespace {

using aviwriter::MakeAvi;
using aviwriter::MakeSample;
using aviwriter::TAviSpec;

// Colours of the 216-colour palette: the import's reduction keeps them exactly.
constexpr uint32_t kAviWeb[] = {0xCC3300, 0x0066FF, 0x33CC66, 0xFFFF99, 0x660099, 0x000000, 0xFFFFFF, 0x999933};

// Frame i: a checker of blocks of 4 in two colours that differ from frame to frame.
uint32_t AviPixel(int Frame, int X, int Y) { return kAviWeb[(Frame + (X / 4 + Y / 4) % 2 * 3) % 8]; }

TAviSpec AviClip(int Frames, uint32_t Rate, uint32_t Scale, int Bits = 24, int W = 16, int H = 12) {
  TAviSpec a;
  a.Width = W;
  a.Height = H;
  a.Bits = Bits;
  a.Rate = Rate;
  a.Scale = Scale;
  // An 8-bit stream declares 8 colours only: its samples have a table of 8.
  if (Bits == 8) a.Palette.assign(std::begin(kAviWeb), std::end(kAviWeb));
  for (int f = 0; f < Frames; ++f)
    a.Samples.push_back(MakeSample(W, H, Bits, [f, Bits](int x, int y) -> uint32_t {
      const int index = (f + (x / 4 + y / 4) % 2 * 3) % 8;
      return Bits == 8 ? static_cast<uint32_t>(index) : kAviWeb[index];
    }));
  return a;
}

TColor AviColor(uint32_t Rgb) { return RGB((Rgb >> 16) & 0xFF, (Rgb >> 8) & 0xFF, Rgb & 0xFF); }

TfrmProgress* ShownProgressWindow() {
  for (Integer i = 0; i < Screen->FormCount(); ++i)
    if (auto* p = dynamic_cast<TfrmProgress*>(Screen->Forms(i))) return p;
  return nullptr;
}

// The stage texts the progress window painted, in order (each once in a row):
// every report repaints the window, whose paint message this hook sees.
std::vector<std::string>* gAviStages = nullptr;
LRESULT CALLBACK AviPaintHook(int Code, WPARAM W, LPARAM L) {
  const auto* msg = reinterpret_cast<const CWPSTRUCT*>(L);
  if (Code == HC_ACTION && msg->message == WM_PAINT && gAviStages)
    if (TfrmProgress* p = ShownProgressWindow())
      if (p->HandleAllocated() && p->Handle() == msg->hwnd) {
        const std::string text = p->lblFileName->Caption();
        if (gAviStages->empty() || gAviStages->back() != text) gAviStages->push_back(text);
      }
  return CallNextHookEx(nullptr, Code, W, L);
}

class AviImport : public mainwin::TMainWindowTest {
 protected:
  std::vector<std::string> stages;
  HHOOK hook = nullptr;

  void SetUp() override {
    TMainWindowTest::SetUp();
    gAviStages = &stages;
    hook = SetWindowsHookExW(WH_CALLWNDPROC, AviPaintHook, nullptr, GetCurrentThreadId());
  }
  void TearDown() override {
    UnhookWindowsHookEx(hook);
    gAviStages = nullptr;
    TMainWindowTest::TearDown();
  }

  std::string WriteAvi(const std::string& Name, const TAviSpec& Spec) {
    mainwin::WriteBytes(PathOf(Name), MakeAvi(Spec));
    return PathOf(Name);
  }
  // File > Import AVI... by its keys, answering the open dialog with Path; the
  // import runs inside the key's handling.
  void ImportThroughMenu(const std::string& Path) {
    fileAnswers.push_back({Path});
    barinput::Activate(win);
    barinput::Chord({VK_MENU}, 'F');
    Settle(150);
    barinput::Tap('I');
    Settle(100);
  }
  // A document to keep: a GIF of 3 frames, opened.
  std::string OpenKeptDocument() {
    const std::string gif = MakeGif("kept.gif", 3);
    OpenThroughDialog(gif);
    EXPECT_EQ(FrameCount(), 3);
    return gif;
  }
  void ExpectWindowBack() {
    EXPECT_TRUE(win->Enabled());
    EXPECT_TRUE(::IsWindowEnabled(win->Handle()));
    EXPECT_EQ(ShownProgressWindow(), nullptr);
    EXPECT_EQ(Screen->Cursor(), crDefault);
    EXPECT_EQ(win->StatusBar->Panels()->Items(2)->Text(), "");
  }
  void ExpectKept(const std::string& Gif) {
    EXPECT_EQ(FrameCount(), 3);
    EXPECT_EQ(ItemCount(), 3);
    EXPECT_EQ(win->fileName, Gif);
    EXPECT_FALSE(win->modified);
  }
  // The document holds the clip's frames: count, delay, pixels.
  void ExpectClip(int Frames, Integer Delay) {
    ASSERT_EQ(FrameCount(), Frames);
    EXPECT_EQ(ItemCount(), Frames);
    for (int f = 0; f < Frames; ++f) {
      ASSERT_NE(Control(f), nullptr) << f;
      EXPECT_EQ(Control(f)->FrameDelay(), Delay) << f;
      for (auto [x, y] : {std::pair{0, 0}, {5, 1}, {9, 6}, {15, 11}})
        EXPECT_EQ(FramePixel(f, x, y), AviColor(AviPixel(f, x, y))) << "frame " << f << " at " << x << "," << y;
    }
  }
};

TEST_F(AviImport, EverySampleBecomesAFrameOfANewUntitledModifiedDocument) {
  OpenKeptDocument();
  const std::string avi = WriteAvi("ten.avi", AviClip(10, 10, 1));
  ImportThroughMenu(avi);
  ASSERT_EQ(dialogFilters.size(), 2u);
  EXPECT_EQ(dialogFilters.back(), "AVI Animations (*.avi)|*.avi");
  EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? "" : boxes[0].Text);
  ExpectClip(10, 10);
  // One loop block, looping forever, on frame 1 only.
  EXPECT_TRUE(HasLoopExtension(win->document.get()));
  EXPECT_EQ(GetLoopCount(win->document.get()), 0);
  EXPECT_EQ(win->Caption(), std::string(GifMainVersionTitle) + " - [UNTITLED]");
  EXPECT_TRUE(win->fileName.empty());
  EXPECT_TRUE(win->modified);
  EXPECT_TRUE(win->optLoopForever->Checked());
  // The frames come from the temporary GIF file, which stays.
  const std::string caption = CaptionOf(0);
  const std::string temp = caption.substr(caption.find(" - ") + 3);
  EXPECT_EQ(temp.rfind("~GF", 0), 0u) << caption;
  EXPECT_TRUE(FileExists(WithTrailingBackslash(TempFolder()) + temp)) << temp;
  ExpectWindowBack();
  EXPECT_FALSE(win->prgBar->Visible());

  const std::vector<std::string> opening = {"Preparing ten.avi for AVI to GIF import...",
                                            "Opening AVI file...",
                                            "Opening AVI data stream...",
                                            "Scanning AVI data stream info...",
                                            "Getting AVI data stream format...",
                                            "Reading AVI start stream...",
                                            "Reading AVI frames...",
                                            "Decompressing AVI frames (Total 9)...",
                                            "Reading frame palette...",
                                            "Creating GIF frame 0...",
                                            "Reading frame palette...",
                                            "Creating GIF frame 1..."};
  ASSERT_GE(stages.size(), opening.size());
  EXPECT_EQ(std::vector<std::string>(stages.begin(), stages.begin() + static_cast<long>(opening.size())), opening);
  EXPECT_EQ(stages[stages.size() - 2], "Creating GIF frame 9...");
  EXPECT_EQ(stages.back(), "Optimizing GIF color palette...");
}

TEST_F(AviImport, DelaysFollowTheStreamRate) {
  struct Case {
    uint32_t Rate, Scale;
    Integer Delay;
  } cases[] = {
      {10, 1, 10}, {0, 250, 2}, {25, 1, 4}, {25, 2, 8}, {5, 1, 20}, {30000, 1001, 3}, {3, 1, 33},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "rate " << c.Rate << " scale " << c.Scale);
    ImportThroughMenu(WriteAvi("rate.avi", AviClip(3, c.Rate, c.Scale)));
    EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? "" : boxes[0].Text);
    ExpectClip(3, c.Delay);
    win->modified = false;
  }
}

TEST_F(AviImport, EightBitSamplesWithAShortColourTableKeepTheirPixels) {
  // The stream declares 8 colours: its samples' rows follow 8 table entries.
  ImportThroughMenu(WriteAvi("pal8.avi", AviClip(4, 10, 1, 8)));
  EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? "" : boxes[0].Text);
  ExpectClip(4, 10);
}

TEST_F(AviImport, FilesOf500000BytesOrMoreAreRefused) {
  const std::string gif = OpenKeptDocument();
  TAviSpec spec = AviClip(2, 10, 1);
  spec.FileSize = 500000;
  const std::string big = WriteAvi("big.avi", spec);
  ASSERT_EQ(FileSizeOf(big), 500000);
  ImportThroughMenu(big);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, "AVI File Import is limited to files that are less than 500KB.");
  EXPECT_EQ(boxes[0].Flags & 0xF0, static_cast<UINT>(MB_ICONINFORMATION));
  EXPECT_TRUE(stages.empty()) << "no progress window";
  ExpectKept(gif);
  ExpectWindowBack();

  spec.FileSize = 499999;
  const std::string fits = WriteAvi("fits.avi", spec);
  ASSERT_EQ(FileSizeOf(fits), 499999);
  ImportThroughMenu(fits);
  EXPECT_EQ(boxes.size(), 1u);
  ExpectClip(2, 10);
}

TEST_F(AviImport, DamagedFilesGiveTheirStageMessageAndKeepTheDocument) {
  const std::string full = MakeAvi(AviClip(4, 10, 1));
  TAviSpec audio = AviClip(0, 10, 1);
  audio.Audio = true;
  audio.Samples = {std::string(400, '\x80')};
  TAviSpec unknown = AviClip(2, 10, 1);
  unknown.Codec = "ZZZZ";
  // Headers announcing a picture far larger than the samples hold, with a
  // small read buffer: the rows must not be read past what was read.
  TAviSpec huge = AviClip(0, 10, 1, 24, 3000, 3000);
  huge.Samples = {std::string(12, '\x55'), std::string(12, '\x55')};
  huge.BufferSize = 0;
  TAviSpec hugeBuffered = huge;
  hugeBuffered.BufferSize = -1;
  // An 8-bit stream whose format holds no colour table: its samples' rows
  // are not where the header says they are.
  TAviSpec noTable = AviClip(2, 10, 1, 8);
  noTable.Palette.clear();
  struct Case {
    const char* Name;
    std::string Bytes;
    const char* Message;
  } cases[] = {
      {"not an AVI file", "This is plain text, no RIFF at all.", "Failed to open AVI file."},
      {"cut short in the header", full.substr(0, 100), "Failed to open AVI file."},
      {"a file without a video stream", MakeAvi(audio), "Failed to open AVI stream."},
      {"a compression no decoder reads", MakeAvi(unknown), "Failed to start AVI decompression."},
      {"samples cut short", full.substr(0, full.size() - 600), "Failed to decompress AVI frame."},
      {"a picture larger than its samples", MakeAvi(huge), "Failed to decompress AVI frame."},
      {"a picture larger than its samples, a buffer for it", MakeAvi(hugeBuffered), "Failed to decompress AVI frame."},
      {"an 8-bit format without its colours", MakeAvi(noTable), "Failed to get AVI stream format."},
  };
  const std::string gif = OpenKeptDocument();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    boxes.clear();
    mainwin::WriteBytes(PathOf("damaged.avi"), c.Bytes);
    ImportThroughMenu(PathOf("damaged.avi"));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, c.Message);
    ExpectKept(gif);
    ExpectWindowBack();
  }
}

// A run-length stream whose every sample is one end-of-picture mark: a few
// bytes each that decode to a whole large picture. Far more frame pixels
// than an animation can hold are refused before decoding starts.
TEST_F(AviImport, StreamsOfMorePicturePixelsThanAnAnimationHoldsAreRefused) {
  const std::string gif = OpenKeptDocument();
  auto blank = [](int Samples, int W, int H) {
    TAviSpec a = AviClip(0, 10, 1, 8, W, H);
    a.Codec = "mrle";
    a.Compression = BI_RLE8;
    a.Samples.assign(static_cast<size_t>(Samples), std::string("\0\1", 2));
    return a;
  };
  struct Case {
    const char* Name;
    TAviSpec Spec;
  } cases[] = {
      {"many large pictures", blank(40, 4000, 4000)},
      {"one picture of a GIF frame's largest size", blank(1, 65535, 65535)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Name);
    boxes.clear();
    ImportThroughMenu(WriteAvi("blank.avi", c.Spec));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].Text, "Failed to get AVI stream format.");
    ExpectKept(gif);
    ExpectWindowBack();
  }
  // The same stream at a size that fits is imported: the bound is not in the way.
  boxes.clear();
  ImportThroughMenu(WriteAvi("blank.avi", blank(3, 64, 48)));
  EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? "" : boxes[0].Text);
  EXPECT_EQ(FrameCount(), 3);
}

TEST_F(AviImport, AFileWithANameOutsideTheAnsiCodePageIsImported) {
  const std::string name = "\xD0\xBA\xD0\xBB\xD0\xB8\xD0\xBF \xE6\x98\xA0\xE5\x83\x8F.avi";
  ImportThroughMenu(WriteAvi(name, AviClip(3, 10, 1)));
  EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? "" : boxes[0].Text);
  ExpectClip(3, 10);
  ASSERT_FALSE(stages.empty());
  EXPECT_EQ(stages[0], "Preparing " + name + " for AVI to GIF import...");
}

TEST_F(AviImport, APathWithAnotherExtensionIsReadAsTheAviBesideIt) {
  WriteAvi("clip.avi", AviClip(3, 5, 1));
  mainwin::WriteBytes(PathOf("clip.dat"), "not a video");
  ImportThroughMenu(PathOf("clip.dat"));
  EXPECT_TRUE(boxes.empty()) << (boxes.empty() ? "" : boxes[0].Text);
  ExpectClip(3, 20);
  ASSERT_FALSE(stages.empty());
  EXPECT_EQ(stages[0], "Preparing clip.dat for AVI to GIF import...");
}

TEST_F(AviImport, CancelClickedDuringDecodingKeepsTheDocument) {
  const std::string gif = OpenKeptDocument();
  // Enough samples that the import is still decoding when the click lands.
  const std::string avi = WriteAvi("long.avi", AviClip(300, 25, 1, 8, 48, 32));
  bool clicked = false;
  std::string shot;
  TTimer watcher(nullptr);
  watcher.SetInterval(5);
  watcher.OnTimer = [&](TObject*) {
    TfrmProgress* p = ShownProgressWindow();
    // Some 20 frames in (the timer need not fire at every sample).
    const std::string text = p ? p->lblFileName->Caption() : std::string();
    if (clicked || text.rfind("Creating GIF frame ", 0) != 0 || std::atoi(text.c_str() + 19) < 20) return;
    clicked = true;
    // The window as it is seen: no title bar, the stage, the bar, Cancel.
    EXPECT_EQ(::GetWindowLongW(p->Handle(), GWL_STYLE) & WS_CAPTION, static_cast<LONG>(WS_BORDER));
    EXPECT_EQ(p->ClientWidth(), 292);
    EXPECT_EQ(p->ClientHeight(), 98);
    RECT r;
    ::GetWindowRect(p->Handle(), &r);
    EXPECT_NEAR((r.left + r.right) / 2, ::GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((r.top + r.bottom) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2, 1);
    EXPECT_FALSE(::IsWindowEnabled(win->Handle()));
    EXPECT_EQ(p->prgBar->Max(), 299);
    EXPECT_GT(p->prgBar->Position(), 0);
    shot = GetCurrentDir() + "\\avi_progress.png";
    SaveBitmapAsPng(dlgtest::FormShot(p).get(), shot);
    // Handled by the import's next pass of the message loop.
    barinput::QueueClick(p->btnCancel->ClientToScreen(Point(p->btnCancel->Width() / 2, p->btnCancel->Height() / 2)));
  };
  ImportThroughMenu(avi);
  watcher.SetEnabled(false);
  ASSERT_TRUE(clicked);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, "AVI import was cancelled by the user.");
  EXPECT_EQ(boxes[0].Flags & 0xF0, static_cast<UINT>(MB_ICONINFORMATION));
  // The import stopped at the click, well before the last sample.
  EXPECT_EQ(std::find(stages.begin(), stages.end(), "Creating GIF frame 299..."), stages.end());
  EXPECT_EQ(std::find(stages.begin(), stages.end(), "Optimizing GIF color palette..."), stages.end());
  ExpectKept(gif);
  ExpectWindowBack();
  EXPECT_TRUE(FileExists(shot));
}

TEST_F(AviImport, ImageProgressShowsInTheStatusBar) {
  TRect none{};
  win->ShowImageProgress(nullptr, psStarting, 0, false, none, "");
  TProgressBar* bar = win->prgBar;
  EXPECT_EQ(bar->Parent(), win->StatusBar);
  EXPECT_TRUE(bar->Visible());
  EXPECT_EQ(bar->Position(), 0);
  // Over the second panel.
  const Integer panelLeft = win->StatusBar->Panels()->Items(0)->Width();
  EXPECT_GE(bar->Left(), panelLeft);
  EXPECT_LE(bar->Left() + bar->Width(), panelLeft + win->StatusBar->Panels()->Items(1)->Width());
  EXPECT_LE(bar->Height(), win->StatusBar->ClientHeight());

  win->ShowImageProgress(nullptr, psRunning, 60, false, none, "");
  EXPECT_EQ(bar->Position(), 60);
  // Seen in the window: the bar filled to its position.
  auto shot = dlgtest::FormShot(win);
  SaveBitmapAsPng(shot.get(), GetCurrentDir() + "\\avi_status_progress.png");
  RECT wr;
  ::GetWindowRect(win->Handle(), &wr);
  auto at = [&](Integer Fraction) {
    const TPoint p = bar->ClientToScreen(Point(bar->Width() * Fraction / 100, bar->Height() / 2));
    return mainwin::PixelOf(shot.get(), p.X - wr.left, p.Y - wr.top);
  };
  // Filled up to 60 %: the same colour at 10 and 50 %, another at 70 and 90 %.
  EXPECT_EQ(at(10), at(50));
  EXPECT_EQ(at(70), at(90));
  EXPECT_NE(at(50), at(70));

  win->ShowImageProgress(nullptr, psEnding, 100, false, none, "");
  EXPECT_FALSE(bar->Visible());
  EXPECT_EQ(bar->Position(), 0);
}

// The import of the files avi_check.py makes (in the folder AVI_CHECK_DIR
// names, listed in its avi_list.txt): each result saved through Ctrl+S as
// <name>.gif, or the message the import showed written to <name>.err.
class AviCheck : public AviImport {};

TEST_F(AviCheck, ImportsTheListedFiles) {
  const char* dir = std::getenv("AVI_CHECK_DIR");
  if (!dir) GTEST_SKIP() << "run by avi_check.py";
  const std::string base = GetCurrentDir() + "\\" + dir + "\\";
  std::istringstream list(mainwin::ReadBytes(base + "avi_list.txt"));
  std::string name;
  while (std::getline(list, name)) {
    if (name.empty()) continue;
    SCOPED_TRACE(name);
    boxes.clear();
    ImportThroughMenu(base + name + ".avi");
    if (!boxes.empty()) {
      mainwin::WriteBytes(base + name + ".err", boxes[0].Text);
      continue;
    }
    ASSERT_TRUE(win->modified);
    fileAnswers.push_back({base + name + ".gif"});
    Keys({VK_CONTROL}, 'S');
    EXPECT_TRUE(FileExists(base + name + ".gif"));
    EXPECT_TRUE(boxes.empty());
    ExpectWindowBack();
  }
}

// The sample framing on its own: headers larger than 40 bytes, top-down rows,
// bit fields, the stream's palette, and samples no bitmap holds.
TEST(AviSampleFraming, SamplesBecomeBmpFilesALoaderReads) {
  auto header = [](int Size, int W, int H, int Bits, DWORD Compression, DWORD Used) {
    // Room for the whole header while it is copied in; a smaller one is cut after.
    std::string s(std::max<size_t>(static_cast<size_t>(Size), sizeof(BITMAPINFOHEADER)), '\0');
    BITMAPINFOHEADER h{};
    h.biSize = static_cast<DWORD>(Size);
    h.biWidth = W;
    h.biHeight = H;
    h.biPlanes = 1;
    h.biBitCount = static_cast<WORD>(Bits);
    h.biCompression = Compression;
    h.biClrUsed = Used;
    // What a decoder states: the bytes of the rows behind the header.
    h.biSizeImage = static_cast<DWORD>(((W * Bits + 31) / 32) * 4 * (H < 0 ? -H : H));
    std::memcpy(s.data(), &h, sizeof(h));
    s.resize(static_cast<size_t>(Size));
    return s;
  };
  auto quad = [](uint32_t Rgb) { std::string s; aviwriter::Put32(s, Rgb); return s; };
  auto load = [](const std::string& Sample, const std::string& Format, TBitmap& B) {
    TMemoryStream m;
    if (!WriteAviSampleAsBmp(Sample.data(), Format.empty() ? nullptr : Format.data(),
                             static_cast<Integer>(Format.size()), &m))
      return false;
    m.SetPosition(0);
    B.LoadFromStream(&m);
    return true;
  };
  {
    SCOPED_TRACE("a 124-byte header, 2 colours declared, top-down rows");
    // 2 x 2, 8 bits: rows of 4 bytes; top row index 0 0, bottom row 1 1.
    std::string s = header(124, 2, -2, 8, BI_RGB, 2) + quad(0xFF0000) + quad(0x00FF00);
    s += std::string("\0\0\0\0", 4) + std::string("\1\1\0\0", 4);
    TBitmap b;
    ASSERT_TRUE(load(s, "", b));
    EXPECT_EQ(mainwin::PixelOf(&b, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(mainwin::PixelOf(&b, 1, 1), RGB(0, 255, 0));
  }
  {
    SCOPED_TRACE("the stream's palette replaces the sample's, as far as both go");
    std::string s = header(40, 2, 1, 8, BI_RGB, 2) + quad(0xFF0000) + quad(0x00FF00) + std::string("\0\1\0\0", 4);
    // The format says 3 colours but holds one whole entry only.
    std::string format = header(40, 2, 1, 8, BI_RGB, 3) + quad(0x0000FF) + "\x11\x22";
    TBitmap b;
    ASSERT_TRUE(load(s, format, b));
    EXPECT_EQ(mainwin::PixelOf(&b, 0, 0), RGB(0, 0, 255));
    EXPECT_EQ(mainwin::PixelOf(&b, 1, 0), RGB(0, 255, 0));
  }
  {
    SCOPED_TRACE("a 24-bit sample of a paletted stream keeps its pixels");
    std::string s = header(40, 1, 1, 24, BI_RGB, 0) + std::string("\x10\x20\x30\0", 4);
    std::string format = header(40, 1, 1, 8, BI_RGB, 256) + std::string(1024, '\x7F');
    TBitmap b;
    ASSERT_TRUE(load(s, format, b));
    EXPECT_EQ(mainwin::PixelOf(&b, 0, 0), RGB(0x30, 0x20, 0x10));
  }
  {
    SCOPED_TRACE("16-bit bit fields after a 40-byte header");
    std::string s = header(40, 2, 1, 16, BI_BITFIELDS, 0);
    aviwriter::Put32(s, 0xF800);
    aviwriter::Put32(s, 0x07E0);
    aviwriter::Put32(s, 0x001F);
    aviwriter::Put16(s, 0xF800);
    aviwriter::Put16(s, 0x001F);
    TBitmap b;
    ASSERT_TRUE(load(s, "", b));
    EXPECT_EQ(mainwin::PixelOf(&b, 0, 0), RGB(255, 0, 0));
    EXPECT_EQ(mainwin::PixelOf(&b, 1, 0), RGB(0, 0, 255));
  }
  // Two rows of 8 bytes announced, one behind the header.
  std::string oneRow = header(40, 2, 2, 24, BI_RGB, 0) + std::string(8, '\0');
  oneRow[offsetof(BITMAPINFOHEADER, biSizeImage)] = 8;
  struct Bad {
    const char* Why;
    std::string Sample;
  } bad[] = {
      {"fewer bytes than its rows", oneRow},
      {"a core header", header(12, 2, 2, 8, BI_RGB, 0) + std::string(64, '\0')},
      {"a depth of 7", header(40, 2, 2, 7, BI_RGB, 0) + std::string(64, '\0')},
      {"run-length data", header(40, 2, 2, 8, BI_RLE8, 0) + std::string(1100, '\0')},
      {"no width", header(40, 0, 2, 24, BI_RGB, 0)},
      {"wider than a GIF frame", header(40, 70000, 1, 24, BI_RGB, 0)},
      {"a colour count no table has", header(40, 1, 1, 8, BI_RGB, 100000)},
  };
  for (const Bad& c : bad) {
    SCOPED_TRACE(c.Why);
    TMemoryStream m;
    EXPECT_FALSE(WriteAviSampleAsBmp(c.Sample.data(), nullptr, 0, &m));
    EXPECT_EQ(m.Size(), 0);
  }
}

TEST(AviFrameDelayRule, RoundsToHundredthsAndStaysInAGifDelay) {
  struct Case {
    Cardinal Rate, Scale;
    Integer Delay;
  } cases[] = {
      {10, 1, 10}, {0, 250, 2}, {0, 99, 0}, {3, 1, 33}, {6, 1, 17}, {1, 1000, 65535}, {0xFFFFFFFF, 0xFFFFFFFF, 100},
  };
  for (const Case& c : cases) EXPECT_EQ(AviFrameDelay(c.Rate, c.Scale), c.Delay) << c.Rate << "/" << c.Scale;
}

}  // namespace
