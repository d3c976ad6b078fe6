// The program itself: its resources (icon, version-6 manifest, forms), and a
// run that starts into the untitled main window and ends when that window is
// closed.
#include <gtest/gtest.h>

#include <string>

#include "platform/Win.h"

namespace {

std::wstring ProgramPath() {
  wchar_t self[MAX_PATH];
  DWORD n = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, n);
  path.erase(path.find_last_of(L'\\') + 1);
  return path + L"..\\app\\LarkspireFluxmere.exe";
}

std::string ResourceText(HMODULE Module, LPCWSTR Name, LPCWSTR Type) {
  HRSRC r = ::FindResourceW(Module, Name, Type);
  if (!r) return std::string();
  HGLOBAL g = ::LoadResource(Module, r);
  return std::string(static_cast<const char*>(::LockResource(g)), ::SizeofResource(Module, r));
}

TEST(Program, CarriesItsIconManifestAndForms) {
  HMODULE m = ::LoadLibraryExW(ProgramPath().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(m, nullptr) << "the program is built beside the tests";
  std::string manifest = ResourceText(m, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(manifest.find("version=\"6.0.0.0\""), std::string::npos);
  for (int size : {16, 32, 48}) {
    HICON icon = static_cast<HICON>(::LoadImageW(m, L"MAINICON", IMAGE_ICON, size, size, 0));
    ASSERT_NE(icon, nullptr) << size;
    ICONINFO info{};
    ASSERT_TRUE(::GetIconInfo(icon, &info));
    BITMAP bm{};
    ::GetObjectW(info.hbmColor, sizeof(bm), &bm);
    EXPECT_EQ(bm.bmWidth, size) << "an image of its own for each size";
    ::DeleteObject(info.hbmColor);
    ::DeleteObject(info.hbmMask);
    ::DestroyIcon(icon);
  }
  for (LPCWSTR form : {L"TFRMGIFMAIN", L"TFRMGIFPREVIEW"})
    EXPECT_EQ(ResourceText(m, form, MAKEINTRESOURCEW(10)).rfind("object ", 0), 0u);
  ::FreeLibrary(m);
}

// F1 opens help\index.html beside the program: the build puts it there.
TEST(Program, HasItsHelpPageBesideIt) {
  std::wstring page = ProgramPath();
  page.erase(page.find_last_of(L'\\') + 1);
  page += L"help\\index.html";
  HANDLE f = ::CreateFileW(page.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  char head[512] = {};
  DWORD read = 0;
  ::ReadFile(f, head, sizeof(head) - 1, &read, nullptr);
  ::CloseHandle(f);
  EXPECT_NE(std::string(head, read).find("<title>Larkspire GIF Fluxmere Help</title>"), std::string::npos);
}

struct TFound {
  DWORD Process;
  HWND Window = nullptr;
};

BOOL CALLBACK FindMainWindow(HWND Wnd, LPARAM Data) {
  auto* f = reinterpret_cast<TFound*>(Data);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(Wnd, &pid);
  wchar_t text[200] = {};
  ::GetWindowTextW(Wnd, text, 200);
  if (pid == f->Process && ::IsWindowVisible(Wnd) &&
      std::wstring(text) == L"Larkspire GIF Fluxmere Version 7.0 - [UNTITLED]") {
    f->Window = Wnd;
    return FALSE;
  }
  return TRUE;
}

TEST(Program, StartsUntitledAndEndsWhenTheMainWindowCloses) {
  std::wstring path = ProgramPath();
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  std::wstring command = L"\"" + path + L"\"";
  ASSERT_TRUE(::CreateProcessW(path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  TFound found{pi.dwProcessId};
  for (int i = 0; i < 200 && !found.Window; ++i) {
    ::Sleep(50);
    ::EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&found));
  }
  ASSERT_NE(found.Window, nullptr) << "the main window shows";
  RECT r;
  ::GetWindowRect(found.Window, &r);
  EXPECT_EQ(r.right - r.left, 535);
  EXPECT_EQ(r.bottom - r.top, 505);
  // Nothing changed: it closes without asking, and the program ends.
  ::PostMessageW(found.Window, WM_CLOSE, 0, 0);
  EXPECT_EQ(::WaitForSingleObject(pi.hProcess, 10000), WAIT_OBJECT_0);
  DWORD code = 1;
  ::GetExitCodeProcess(pi.hProcess, &code);
  EXPECT_EQ(code, 0u);
  if (::WaitForSingleObject(pi.hProcess, 0) != WAIT_OBJECT_0) ::TerminateProcess(pi.hProcess, 1);
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
}

}  // namespace
