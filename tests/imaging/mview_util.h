// Fixtures of the thumbnail view tests: a shown form holding a view, plain
// pictures, and picture files in a temporary folder.
#pragma once

#include <memory>
#include <string>

#include "imaging/buffer/hyieutils.h"
#include "imaging/formats/ruzozadio.h"
#include "imaging/views/ruzozadmview.h"
#include "platform/Forms.h"
#include "platform/SysUtils.h"
#include "tests/support/ui.h"

namespace mview {

// A W x H picture of one colour (red, green, blue).
inline std::unique_ptr<TIEBitmap> Solid(Integer W, Integer H, Byte R, Byte G, Byte B) {
  auto b = std::make_unique<TIEBitmap>();
  b->SetLocation(islMemory);
  b->AllocateImage(W, H, ipkRGB24);
  for (Integer y = 0; y < H; ++y) {
    auto* row = static_cast<TIEColorTriple*>(b->GetRowPointer(y));
    for (Integer x = 0; x < W; ++x) row[x] = MakeColorTriple(R, G, B);
  }
  return b;
}

// A borderless shown form with a view of W x H filling it.
struct TViewForm {
  std::unique_ptr<TForm> form;
  TRuzozAdMView* view;
  explicit TViewForm(Integer W = 320, Integer H = 240, bool Show = true) : form(testui::NewForm(W, H)) {
    view = new TRuzozAdMView(form.get());
    view->SetBorderStyle(bsNone);
    view->SetParent(form.get());
    view->SetBounds(0, 0, W, H);
    if (Show) {
      form->Show();
      Application->ProcessMessages();
    }
  }
  // Entries 0..N-1 with a picture each (colour from the index).
  void Fill(Integer N, Integer W = 30, Integer H = 20) {
    view->SuspendRefresh();
    for (Integer i = 0; i < N; ++i) {
      view->InsertEntry(i);
      auto b = Solid(W, H, static_cast<Byte>(i * 37), static_cast<Byte>(255 - i * 11), static_cast<Byte>(i * 5));
      view->StoreEntryBitmap(i, b.get());
    }
    view->ResumeRefresh();
  }
};

// A new empty folder under the system's temporary folder.
inline std::string NewTempFolder(const std::string& Tag) {
  wchar_t base[MAX_PATH];
  ::GetTempPathW(MAX_PATH, base);
  std::string dir = WideToUtf8(base) + "mview_" + Tag + "_" + IntToStr(::GetCurrentProcessId()) + "_" +
                    IntToStr(::GetTickCount());
  ::CreateDirectoryW(Utf8ToWide(dir).c_str(), nullptr);
  return dir;
}

inline void RemoveFolder(const std::string& Dir) {
  WIN32_FIND_DATAW fd;
  HANDLE h = ::FindFirstFileW(Utf8ToWide(Dir + "\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = fd.cFileName;
      if (name != L"." && name != L"..") ::DeleteFileW((Utf8ToWide(Dir) + L"\\" + name).c_str());
    } while (::FindNextFileW(h, &fd));
    ::FindClose(h);
  }
  ::RemoveDirectoryW(Utf8ToWide(Dir).c_str());
}

// Writes the picture as a BMP file.
inline void WriteBmp(TIEBitmap* Bitmap, const std::string& Path) {
  TRuzozAdIO io(nullptr);
  io.AttachIEBitmap(Bitmap);
  io.BmpToFile(Path);
}

// The colour of picture file I: distinct for every I below 4096.
inline TIEColorTriple FileColour(Integer I) {
  return MakeColorTriple(static_cast<Byte>(16 * (I % 16)), static_cast<Byte>(16 * ((I / 16) % 16)),
                         static_cast<Byte>(16 * ((I / 256) % 16)));
}

}  // namespace mview
