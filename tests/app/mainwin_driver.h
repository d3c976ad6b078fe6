// Drives the editor's main window as a person does: the window shown and
// active, keys and clicks through SendInput, the message boxes and the file
// dialogs answered through the platform's replaceable hooks (what was asked
// is kept), and pictures of the window as it shows on the screen. Also makes
// the picture files the tests open and insert, in a folder of the build tree,
// and documents of N plain frames made in memory.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/GifMainForm.h"
#include "app/GifRoutines.h"
#include "bars/dxBar.h"
#include "controls/RzCmboBx.h"
#include "controls/RzListVw.h"
#include "controls/RzRadChk.h"
#include "controls/RzSpnEdt.h"
#include "controls/RzTabs.h"
#include "gif/GIFImage.h"
#include "platform/ComCtrls.h"
#include "platform/Dialogs.h"
#include "platform/ExtCtrls.h"
#include "platform/Jpeg.h"
#include "platform/Registry.h"
#include "platform/SysUtils.h"
#include "tests/app/dialog_input.h"
#include "tests/bars/bar_input.h"
#include "tests/support/png_writer.h"
#include "tests/support/ui.h"

namespace mainwin {

// A message box the window showed.
struct TShownBox {
  std::string Caption, Text;
  UINT Flags;
};

// A file dialog the window showed.
struct TShownFileDialog {
  std::string Filter, InitialDir;
  TOpenOptions Options;
  bool Save;
};

inline TdxBar* BarNamed(TfrmGifMain* F, const std::string& Name) {
  for (Integer i = 0; i < F->dxBarManager1->Bars()->Count(); ++i)
    if (F->dxBarManager1->Bars()->Items(i)->Name() == Name) return F->dxBarManager1->Bars()->Items(i);
  return nullptr;
}

using barinput::EntryCenter;

// A picture of W x H whose pixel (x, y) is Colors[(x / Block + y / Block) % n]:
// a few flat colours, so a reduction to a palette keeps them exactly.
inline std::unique_ptr<TBitmap> Checker(Integer W, Integer H, const std::vector<TColor>& Colors, Integer Block = 4) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(W, H);
  for (Integer y = 0; y < H; ++y) {
    auto* row = static_cast<Byte*>(b->ScanLine(y));
    for (Integer x = 0; x < W; ++x) {
      const TColor c = Colors[static_cast<size_t>((x / Block + y / Block)) % Colors.size()];
      row[x * 3] = GetBValue(c);
      row[x * 3 + 1] = GetGValue(c);
      row[x * 3 + 2] = GetRValue(c);
    }
  }
  return b;
}

// The colour (0x00BBGGRR) of a 24-bit copy's pixel.
inline TColor PixelOf(TBitmap* B, Integer X, Integer Y) {
  TBitmap copy;
  copy.Assign(B);
  copy.SetPixelFormat(pf24bit);
  const auto* row = static_cast<const Byte*>(copy.ScanLine(Y));
  return RGB(row[X * 3 + 2], row[X * 3 + 1], row[X * 3]);
}

// A GIF file of the pictures, one frame each, with the delays (hundredths).
inline void WriteGif(const std::string& Path, const std::vector<TBitmap*>& Frames,
                     const std::vector<Integer>& Delays = {}, Integer Loops = 0) {
  TGIFImage doc;
  for (size_t i = 0; i < Frames.size(); ++i) {
    const Integer index = AddBitmapAsFrame(&doc, Frames[i], static_cast<Integer>(i));
    EnsureGraphicControl(doc.Frames()->FrameAt(index), i < Delays.size() ? Delays[i] : 10);
  }
  SetLoopCount(&doc, Loops);
  doc.SaveToFile(Path);
}

inline void WriteBytes(const std::string& Path, const std::string& Bytes) {
  TFileStream f(Path, fmCreate);
  if (!Bytes.empty()) f.WriteBuffer(Bytes.data(), static_cast<Integer>(Bytes.size()));
}

inline std::string ReadBytes(const std::string& Path) {
  TFileStream f(Path, fmOpenRead);
  std::string s(static_cast<size_t>(f.Size()), '\0');
  if (!s.empty()) f.ReadBuffer(s.data(), static_cast<Integer>(s.size()));
  return s;
}

inline void WriteJpeg(const std::string& Path, TBitmap* Picture, bool Gray) {
  TJPEGImage jpeg;
  jpeg.Assign(Picture);
  jpeg.SetGrayscale(Gray);
  jpeg.SetCompressionQuality(95);
  jpeg.SaveToFile(Path);
}

// An action run once from the message loop after a while (inside a modal
// loop the test starts, say).
using TOneShotProbe = testui::TOneShot;

// Waits, from the message loop, for a shown form with the caption (a modal
// dialog the window opens) and then acts on it once.
class TAnswerForm {
 public:
  TAnswerForm(const std::string& Caption, std::function<void(TCustomForm*)> Action)
      : timer_(std::make_unique<TTimer>(nullptr)) {
    timer_->SetInterval(30);
    timer_->OnTimer = [this, Caption, Action](TObject*) {
      if (done_) return;
      for (Integer i = 0; i < Screen->FormCount(); ++i) {
        TCustomForm* f = Screen->Forms(i);
        if (f->Visible() && f->Caption() == Caption && f->HandleAllocated() && ::IsWindowVisible(f->Handle())) {
          done_ = true;
          timer_->SetEnabled(false);
          Action(f);
          return;
        }
      }
    };
  }
  bool Done() const { return done_; }

 private:
  std::unique_ptr<TTimer> timer_;
  bool done_ = false;
};

// The main window, shown and active, with the hooks answering for a person.
class TMainWindowTest : public ::testing::Test {
 protected:
  TfrmGifMain* win = nullptr;
  std::vector<TShownBox> boxes;
  std::deque<int> boxAnswers;  // IDs answered in turn; IDNO / IDOK when none is queued
  std::deque<std::vector<std::string>> fileAnswers;  // paths chosen in turn; Cancel when none
  std::vector<std::string> dialogFilters;
  std::vector<TShownFileDialog> fileDialogs;  // the same dialogs, with what else they asked
  std::string folder;  // where the test's files go (build tree)

  void SetUp() override {
    ClearSettings();
    folder = GetCurrentDir() + "\\app_files_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() + "_" +
             SanitizedName(::testing::UnitTest::GetInstance()->current_test_info()->name());
    ForceDirectories(folder);
    savedMessageBox_ = MessageBoxFunc;
    savedFileDialog_ = FileDialogFunc;
    MessageBoxFunc = [this](HWND, const std::string& Text, const std::string& Caption, UINT Flags) {
      boxes.push_back({Caption, Text, Flags});
      if (!boxAnswers.empty()) {
        const int id = boxAnswers.front();
        boxAnswers.pop_front();
        return id;
      }
      return (Flags & 0xF) == MB_YESNOCANCEL || (Flags & 0xF) == MB_YESNO ? IDNO : IDOK;
    };
    FileDialogFunc = [this](const TOpenDialog& Dialog, bool Save) {
      dialogFilters.push_back(Dialog.Filter());
      fileDialogs.push_back({Dialog.Filter(), Dialog.InitialDir(), Dialog.Options(), Save});
      std::vector<std::string> chosen;
      if (!fileAnswers.empty()) {
        chosen = fileAnswers.front();
        fileAnswers.pop_front();
      }
      return chosen;
    };
    OpenWindow();
  }

  void TearDown() override {
    CloseWindow();
    testui::PumpUntil([] { return false; }, 30);
    // The hooks as they were: a later test's box then goes to the system's.
    MessageBoxFunc = savedMessageBox_;
    FileDialogFunc = savedFileDialog_;
    ClearSettings();
  }

  // A new main window, at its designed size, shown and active.
  void OpenWindow() {
    win = CreateForm<TfrmGifMain>(nullptr);
    win->SetLeft(20);
    win->SetTop(20);
    barinput::Activate(win);
    Settle(80);
  }
  // Frees the window as it is (no close first; unsaved changes dropped).
  void CloseWindow() {
    if (!win) return;
    win->modified = false;
    win->Hide();
    delete win;
    win = nullptr;
  }
  // A fresh window with nothing asked or queued yet: for the tests that go
  // through several windows, one for each case.
  void ReopenWindow() {
    CloseWindow();
    boxes.clear();
    boxAnswers.clear();
    fileAnswers.clear();
    dialogFilters.clear();
    fileDialogs.clear();
    OpenWindow();
  }

  static std::string SanitizedName(std::string Name) {
    for (char& c : Name)
      if (c == '/' || c == '\\' || c == ':' || c == '*' || c == '?' || c == '<' || c == '>' || c == '|') c = '_';
    return Name;
  }

  // The frame-size question and the palette defaults start from nothing.
  static void ClearSettings() {
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    reg.DeleteKey(GifSettingsKey);
  }
  static void SetSetting(const std::string& Name, const std::string& Value) {
    TRegistry reg;
    reg.SetRootKey(HKEY_CURRENT_USER);
    if (reg.OpenKey(GifSettingsKey, true)) reg.WriteString(Name, Value);
  }

  std::string PathOf(const std::string& Name) const { return folder + "\\" + Name; }

  // Files of the test's folder: a GIF of N frames of W x H (each a checker of
  // its own colours, delays 10, 20, ...), a PNG and a JPEG picture.
  std::string MakeGif(const std::string& Name, Integer N, Integer W = 40, Integer H = 30, Integer Loops = 0) {
    std::vector<std::unique_ptr<TBitmap>> pictures;
    std::vector<TBitmap*> raw;
    std::vector<Integer> delays;
    for (Integer i = 0; i < N; ++i) {
      pictures.push_back(Checker(W, H, FrameColors(i)));
      raw.push_back(pictures.back().get());
      delays.push_back(10 * (i + 1));
    }
    WriteGif(PathOf(Name), raw, delays, Loops);
    return PathOf(Name);
  }
  static std::vector<TColor> FrameColors(Integer I) {
    return {RGB(30 * I % 256, 200, 40), RGB(250, 20 + 25 * I % 200, 90), RGB(10, 60, 120 + 20 * I % 130)};
  }
  std::string MakePng(const std::string& Name, Integer W, Integer H, const std::vector<TColor>& Colors) {
    auto b = Checker(W, H, Colors);
    EXPECT_TRUE(SaveBitmapAsPng(b.get(), PathOf(Name)));
    return PathOf(Name);
  }

  // --- The window's state ---
  TListItems* Items() const { return win->lvFiles->Items(); }
  Integer ItemCount() const { return Items()->Count(); }
  std::string CaptionOf(Integer I) const { return Items()->Item(I)->Caption(); }
  std::string SizeOf(Integer I) const {
    TStrings* s = Items()->Item(I)->SubItems();
    return s->Count() > 0 ? s->Strings(0) : std::string();
  }
  std::vector<Integer> SelectedIndices() const {
    std::vector<Integer> out;
    for (Integer i = 0; i < ItemCount(); ++i)
      if (Items()->Item(i)->Selected()) out.push_back(i);
    return out;
  }
  Integer FrameCount() const { return win->document->Frames()->ItemCount(); }
  TGIFSubImage* Frame(Integer I) const { return win->document->Frames()->FrameAt(I); }
  TGIFGraphicControlExtension* Control(Integer I) const { return Frame(I)->GraphicControl(); }
  TColor FramePixel(Integer I, Integer X, Integer Y) const { return PixelOf(Frame(I)->RenderedBitmap(), X, Y); }
  std::vector<std::string> BoxTexts() const {
    std::vector<std::string> out;
    for (const TShownBox& b : boxes) out.push_back(b.Text);
    return out;
  }

  // A document of Count frames, W x H, each filled with its own colour, as
  // the window holds one after opening a file (listed, first item selected)
  // but made in memory, with no file. Places, when given, puts frame i at
  // Places[i] (its size and position).
  void OpenDocument(int Count, int W = 40, int H = 30, const std::vector<TColor>& Colors = {},
                    const std::vector<TRect>& Places = {}) {
    win->document->Assign(nullptr);
    std::vector<std::string> sizes;
    for (int i = 0; i < Count; ++i) {
      TBitmap bmp;
      bmp.SetPixelFormat(pf24bit);
      const bool placed = i < static_cast<int>(Places.size());
      if (placed) {
        W = Places[i].Right - Places[i].Left;
        H = Places[i].Bottom - Places[i].Top;
      }
      bmp.SetSize(W, H);
      sizes.push_back(std::to_string(W) + " x " + std::to_string(H));
      TColor c = i < static_cast<int>(Colors.size()) ? Colors[i] : static_cast<TColor>(RGB(40 * i, 200 - 30 * i, 90));
      bmp.Canvas()->Brush()->SetColor(c);
      bmp.Canvas()->FillRect(TRect{0, 0, W, H});
      Integer index = win->document->AddFrame(&bmp);
      if (placed) win->document->Frames()->FrameAt(index)->SetPlacement(Places[i].Left, Places[i].Top, H, W);
    }
    // As the editor makes documents: playing forever.
    SetLoopCount(win->document.get(), 0);
    win->documentOpen = Count > 0;
    Items()->Clear();
    for (int i = 0; i < Count; ++i) {
      TListItem* item = Items()->Add();
      item->SetCaption("Frame " + std::to_string(i + 1) + " - test.gif");
      item->SubItems()->Add(sizes[i]);
    }
    if (Count > 0) win->lvFiles->SetSelected(Items()->Item(0));
    win->UpdateCommandStates();
    Settle();
  }

  // Selects exactly the items of the list with these indexes (no input).
  void Select(std::initializer_list<int> Indexes) {
    for (Integer i = 0; i < ItemCount(); ++i) Items()->Item(i)->SetSelected(false);
    for (int i : Indexes) Items()->Item(i)->SetSelected(true);
    win->UpdateCommandStates();
    Settle();
  }

  // The window with everything on it as it shows on the screen.
  std::unique_ptr<TBitmap> Shot() { return dlgtest::FormShot(win); }
  // Saved as a PNG in the working directory (the build tree).
  void SaveShot(const std::string& Name) { SaveBitmapAsPng(Shot().get(), Name); }

  // --- Input ---
  void Settle(int Ms = 60) { barinput::Settle(Ms); }
  void Keys(std::initializer_list<Word> Mods, Word Vk) {
    barinput::Activate(win);
    barinput::Chord(Mods, Vk);
    Settle();
  }
  void Type(const std::string& Text) {
    for (char c : Text) {
      if (c == '.')
        barinput::Tap(VK_OEM_PERIOD);
      else
        barinput::Tap(static_cast<Word>(c));
    }
  }
  TPoint ItemPoint(Integer I) const {
    TRect r = Items()->Item(I)->DisplayRect(drLabel);
    return win->lvFiles->ClientToScreen(Point(r.Left + 8, (r.Top + r.Bottom) / 2));
  }
  // A click on item I, with Ctrl held for adding to the selection.
  void ClickItem(Integer I, bool Ctrl = false) {
    barinput::Activate(win);
    Settle(::GetDoubleClickTime() + 20);  // no double click with the previous one
    if (Ctrl) barinput::Key(VK_CONTROL, false);
    barinput::Click(ItemPoint(I));
    if (Ctrl) barinput::Key(VK_CONTROL, true);
    Settle();
  }
  void ClickControl(TControl* C, Integer X = -1, Integer Y = -1, bool Right = false) {
    barinput::Activate(win);
    if (X < 0) X = C->Width() / 2;
    if (Y < 0) Y = C->Height() / 2;
    barinput::Click(C->ClientToScreen(Point(X, Y)), Right);
    Settle();
  }
  // Replaces the text of a spin edit by typing over it, then leaves it with
  // Tab. (Del would be the window's Remove Frame shortcut.)
  void TypeInto(TControl* Edit, const std::string& Text) {
    ClickControl(Edit, 6);
    barinput::Tap(VK_END);
    barinput::Key(VK_SHIFT, false);
    barinput::Tap(VK_HOME);
    barinput::Key(VK_SHIFT, true);
    Settle(20);
    Type(Text);
    barinput::Tap(VK_TAB);
    Settle();
  }
  // Opens a GIF file through Ctrl+O and the open dialog.
  void OpenThroughDialog(const std::string& Path) {
    fileAnswers.push_back({Path});
    Keys({VK_CONTROL}, 'O');
  }
  void InsertThroughDialog(const std::vector<std::string>& Paths) {
    fileAnswers.push_back(Paths);
    Keys({VK_CONTROL}, 'I');
  }

 private:
  TMessageBoxFunc savedMessageBox_;
  TFileDialogFunc savedFileDialog_;
};

}  // namespace mainwin
