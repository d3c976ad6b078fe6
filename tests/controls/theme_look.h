// The two looks a styled control paints in, chosen per test process:
//  - classic: the application's controls are not allowed visual styles
//    (theme properties without STAP_ALLOW_CONTROLS), so the theme services
//    answer VisualStylesOn False;
//  - themed: Wine's light visual style (light.msstyles in the prefix's
//    windows\resources\themes) is active and controls may use it.
// The controls' test executables carry a manifest selecting version 6 of the
// common controls (tests/controls/manifest.rc); without it the theme services
// never take the themed road.
//
// Switching touches only this process (its theme properties), so tests of
// other processes sharing the prefix keep their look; the theme services
// learn of the change through WM_THEMECHANGED on the application window,
// which they watch. A prefix whose system theme is off gets the light style
// applied once (that one is global, as a user choosing a theme would be).
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/Forms.h"
#include "platform/Win.h"

#include <uxtheme.h>

enum class TLook { Classic, Themed };

inline const char* LookName(TLook Look) { return Look == TLook::Classic ? "Classic" : "Themed"; }

namespace testlook {

// The light style's file in the prefix's Windows folder.
inline std::wstring LightStylePath() {
  wchar_t dir[MAX_PATH] = {};
  ::GetWindowsDirectoryW(dir, MAX_PATH);
  return std::wstring(dir) + L"\\resources\\themes\\light\\light.msstyles";
}

// Makes sure a system visual style is active; Why says what went wrong.
// uxtheme's theme-file entry points are exported by ordinal only
// (2: OpenThemeFile, 3: CloseThemeFile, 4: ApplyTheme).
inline bool EnsureSystemTheme(std::string& Why) {
  if (::IsThemeActive()) return true;
  std::wstring path = LightStylePath();
  if (::GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    Why = "no light.msstyles in the prefix's windows\\resources\\themes\\light";
    return false;
  }
  HMODULE ux = ::GetModuleHandleW(L"uxtheme.dll");
  if (!ux) ux = ::LoadLibraryW(L"uxtheme.dll");
  using OpenFileFn = HRESULT(WINAPI*)(LPCWSTR, LPCWSTR, LPCWSTR, HANDLE*, DWORD);
  using ApplyFn = HRESULT(WINAPI*)(HANDLE, char*, HWND);
  using CloseFn = HRESULT(WINAPI*)(HANDLE);
  auto openFile = reinterpret_cast<OpenFileFn>(reinterpret_cast<void*>(::GetProcAddress(ux, MAKEINTRESOURCEA(2))));
  auto closeFile = reinterpret_cast<CloseFn>(reinterpret_cast<void*>(::GetProcAddress(ux, MAKEINTRESOURCEA(3))));
  auto apply = reinterpret_cast<ApplyFn>(reinterpret_cast<void*>(::GetProcAddress(ux, MAKEINTRESOURCEA(4))));
  if (!openFile || !apply) {
    Why = "uxtheme has no theme-file entry points";
    return false;
  }
  HANDLE file = nullptr;
  char unused[1] = {0};
  if (FAILED(openFile(path.c_str(), nullptr, nullptr, &file, 0)) || FAILED(apply(file, unused, nullptr))) {
    Why = "the light style could not be applied";
    return false;
  }
  if (closeFile) closeFile(file);
  if (!::IsThemeActive()) {
    Why = "the light style was applied but the theme is still off";
    return false;
  }
  return true;
}

// Sets this process's look and tells the theme services.
inline void ApplyLook(TLook Look) {
  ::SetThemeAppProperties(Look == TLook::Themed ? (STAP_ALLOW_NONCLIENT | STAP_ALLOW_CONTROLS)
                                                : STAP_ALLOW_NONCLIENT);
  ::SendMessageW(Application->Handle(), WM_THEMECHANGED, 0, 0);
}

}  // namespace testlook

// A test run once per look: TEST_P(Suite, Name) with Suite derived from this,
// then INSTANTIATE_LOOKS(Suite). The look is set before the test and classic
// is restored after it.
class ThemeLookTest : public ::testing::TestWithParam<TLook> {
 protected:
  void SetUp() override {
    if (GetParam() == TLook::Themed) {
      std::string why;
      ASSERT_TRUE(testlook::EnsureSystemTheme(why)) << why;
    }
    testlook::ApplyLook(GetParam());
  }
  void TearDown() override { testlook::ApplyLook(TLook::Classic); }
  bool Themed() const { return GetParam() == TLook::Themed; }
};

#define INSTANTIATE_LOOKS(Suite)                                                          \
  INSTANTIATE_TEST_SUITE_P(Looks, Suite, ::testing::Values(TLook::Classic, TLook::Themed), \
                           [](const ::testing::TestParamInfo<TLook>& Info) { return std::string(LookName(Info.param)); })
