// Helpers for the tests of the editor's utilities and document routines:
// message boxes answered and recorded, a scratch folder, solid bitmaps and
// small documents built frame by frame.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "gif/GIFImage.h"
#include "platform/Dialogs.h"
#include "platform/Graphics.h"
#include "platform/SysUtils.h"

namespace routinestest {

// Answers every message box with Answer and records it; restores the previous
// box when it goes.
struct TMessageLog {
  struct TBox {
    HWND Owner;
    std::string Text, Caption;
    UINT Flags;
  };
  std::vector<TBox> Boxes;
  TMessageBoxFunc saved;
  explicit TMessageLog(int Answer = IDOK) : saved(MessageBoxFunc) {
    MessageBoxFunc = [this, Answer](HWND Owner, const std::string& Text, const std::string& Caption, UINT Flags) {
      Boxes.push_back({Owner, Text, Caption, Flags});
      return Answer;
    };
  }
  ~TMessageLog() { MessageBoxFunc = saved; }
  std::vector<std::string> Texts() const {
    std::vector<std::string> out;
    for (const auto& b : Boxes) out.push_back(b.Text);
    return out;
  }
};

// A new empty folder under the system's temporary folder, removed with
// everything in it when the object goes.
class TScratchFolder {
 public:
  explicit TScratchFolder(const std::string& Tag) {
    wchar_t base[MAX_PATH];
    ::GetTempPathW(MAX_PATH, base);
    path_ = WideToUtf8(base) + "lf_" + Tag + "_" + std::to_string(::GetCurrentProcessId()) + "_" +
            std::to_string(::GetTickCount()) + "\\";
    ::CreateDirectoryW(Utf8ToWide(path_).c_str(), nullptr);
  }
  ~TScratchFolder() { Remove(path_); }
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& Name) const { return path_ + Name; }
  // The names of the files in the folder.
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE h = ::FindFirstFileW(Utf8ToWide(path_ + "*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return names;
    do {
      std::string name = WideToUtf8(found.cFileName);
      if (name != "." && name != "..") names.push_back(name);
    } while (::FindNextFileW(h, &found));
    ::FindClose(h);
    return names;
  }

 private:
  static void Remove(const std::string& Folder) {
    WIN32_FIND_DATAW found;
    HANDLE h = ::FindFirstFileW(Utf8ToWide(Folder + "*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
      do {
        std::string name = WideToUtf8(found.cFileName);
        if (name == "." || name == "..") continue;
        std::wstring full = Utf8ToWide(Folder + name);
        ::SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
          Remove(Folder + name + "\\");
        else
          ::DeleteFileW(full.c_str());
      } while (::FindNextFileW(h, &found));
      ::FindClose(h);
    }
    ::RemoveDirectoryW(Utf8ToWide(Folder).c_str());
  }
  std::string path_;
};

inline void WriteBytes(const std::string& Path, const std::string& Bytes) {
  HANDLE h = ::CreateFileW(Utf8ToWide(Path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD done = 0;
  ::WriteFile(h, Bytes.data(), static_cast<DWORD>(Bytes.size()), &done, nullptr);
  ::CloseHandle(h);
}

inline std::string ReadBytes(const std::string& Path) {
  HANDLE h = ::CreateFileW(Utf8ToWide(Path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return {};
  std::string out;
  char buffer[65536];
  DWORD got = 0;
  while (::ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
  ::CloseHandle(h);
  return out;
}

// A W x H bitmap of one colour in the given pixel format.
inline std::unique_ptr<TBitmap> SolidBitmap(Integer W, Integer H, TColor Color, TPixelFormat Format = pf24bit) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(Format);
  b->SetSize(W, H);
  b->Canvas()->Brush()->SetColor(Color);
  b->Canvas()->FillRect(Rect(0, 0, W, H));
  return b;
}

// Appends a W x H frame at (Left, Top) whose local map is {Color, black} and
// whose pixels are all index 0.
inline TGIFSubImage* AddSolidFrame(TGIFImage* Doc, Integer W, Integer H, TColor Color, Integer Left = 0,
                                   Integer Top = 0) {
  auto frame = std::make_unique<TGIFSubImage>(Doc);
  frame->ColorMap()->AppendColor(Color);
  frame->ColorMap()->AppendColor(clBlack);
  frame->SetPlacement(Left, Top, H, W);
  for (Integer y = 0; y < H; ++y)
    for (Integer x = 0; x < W; ++x) frame->Scanline(y)[x] = 0;
  TGIFSubImage* raw = frame.get();
  if (Doc->LogicalWidth() < Left + W) Doc->SetLogicalWidth(Left + W);
  if (Doc->LogicalHeight() < Top + H) Doc->SetLogicalHeight(Top + H);
  Doc->AddFrame(std::move(frame));
  return raw;
}

// The colour frame Index shows at (X, Y).
inline TColor FrameColorAt(TGIFImage* Doc, Integer Index, Integer X = 0, Integer Y = 0) {
  TGIFSubImage* f = Doc->Frames()->FrameAt(Index);
  return f->EffectiveColorMap()->ColorAt(f->PixelAt(X, Y)) & 0xFFFFFF;
}

}  // namespace routinestest
