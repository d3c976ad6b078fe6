// The editor's main window for the tests: created from its form resource,
// shown and active, with message boxes and file dialogs answered from queues
// (what was asked is kept), documents of N frames made from plain bitmaps,
// and pictures of the window as a person sees it.
#pragma once

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "app/GifMainForm.h"
#include "app/GifRoutines.h"
#include "bars/dxBar.h"
#include "controls/RzListVw.h"
#include "platform/ComCtrls.h"
#include "platform/Dialogs.h"
#include "platform/Graphics.h"
#include "tests/bars/bar_input.h"
#include "tests/support/png_writer.h"

namespace mainwin {

struct TAskedBox {
  std::string Text, Caption;
  UINT Flags;
};
struct TAskedFile {
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

class TMainWindow {
 public:
  TfrmGifMain* form = nullptr;
  std::vector<TAskedBox> boxes;
  std::deque<int> boxAnswers;  // IDYES...; IDOK when empty
  std::vector<TAskedFile> files;
  std::deque<std::vector<std::string>> fileAnswers;  // none: cancelled

  TMainWindow() {
    MessageBoxFunc = [this](HWND, const std::string& Text, const std::string& Caption, UINT Flags) {
      boxes.push_back({Text, Caption, Flags});
      if (boxAnswers.empty()) return IDOK;
      int a = boxAnswers.front();
      boxAnswers.pop_front();
      return a;
    };
    FileDialogFunc = [this](const TOpenDialog& D, bool Save) {
      files.push_back({D.Filter(), D.InitialDir(), D.Options(), Save});
      if (fileAnswers.empty()) return std::vector<std::string>();
      auto a = fileAnswers.front();
      fileAnswers.pop_front();
      return a;
    };
    form = CreateForm<TfrmGifMain>(nullptr);
    form->SetLeft(40);
    form->SetTop(30);
    form->Show();
    barinput::Activate(form);
    barinput::Settle(80);
  }
  ~TMainWindow() {
    form->modified = false;
    delete form;
    MessageBoxFunc = [](HWND Owner, const std::string& Text, const std::string& Caption, UINT Flags) {
      return MessageBoxW(Owner, Utf8ToWide(Text).c_str(), Utf8ToWide(Caption).c_str(), Flags);
    };
    FileDialogFunc = nullptr;
  }

  // A document of Count frames, W x H, each filled with its own colour, as
  // the window holds one after opening a file: listed, first item selected.
  // Places, when given, puts frame i at Places[i] (its size and position).
  void OpenDocument(int Count, int W = 40, int H = 30, const std::vector<TColor>& Colors = {},
                    const std::vector<TRect>& Places = {}) {
    form->document->Assign(nullptr);
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
      Integer index = form->document->AddFrame(&bmp);
      if (placed) form->document->Frames()->FrameAt(index)->SetPlacement(Places[i].Left, Places[i].Top, H, W);
    }
    // As the editor makes documents: playing forever.
    SetLoopCount(form->document.get(), 0);
    form->documentOpen = Count > 0;
    form->lvFiles->Items()->Clear();
    for (int i = 0; i < Count; ++i) {
      TListItem* item = form->lvFiles->Items()->Add();
      item->SetCaption("Frame " + std::to_string(i + 1) + " - test.gif");
      item->SubItems()->Add(sizes[i]);
    }
    if (Count > 0) form->lvFiles->SetSelected(form->lvFiles->Items()->Item(0));
    form->UpdateCommandStates();
    barinput::Settle();
  }

  // Selects exactly the items of the list with these indexes.
  void Select(std::initializer_list<int> Indexes) {
    TListItems* items = form->lvFiles->Items();
    for (int i = 0; i < items->Count(); ++i) items->Item(i)->SetSelected(false);
    for (int i : Indexes) items->Item(i)->SetSelected(true);
    form->UpdateCommandStates();
    barinput::Settle();
  }

  // The window with everything on it as it shows on the screen.
  std::unique_ptr<TBitmap> Shot() {
    ::RedrawWindow(form->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    barinput::Settle(40);
    RECT r;
    ::GetWindowRect(form->Handle(), &r);
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf24bit);
    b->SetSize(r.right - r.left, r.bottom - r.top);
    HDC dc = ::GetWindowDC(form->Handle());
    ::BitBlt(b->Canvas()->Handle(), 0, 0, r.right - r.left, r.bottom - r.top, dc, 0, 0, SRCCOPY);
    ::ReleaseDC(form->Handle(), dc);
    return b;
  }
  void SaveShot(const std::string& Name) { SaveBitmapAsPng(Shot().get(), Name); }
};

}  // namespace mainwin
