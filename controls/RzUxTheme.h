// The visual-styles library (uxtheme.dll) bound at run time: the program never
// imports it, so it still starts where the library is missing. Users are
// counted under one lock; the library is loaded by the first acquire and freed
// by the release that brings the count back to 0.
#pragma once

#include "platform/System.h"
#include "platform/Win.h"

using HTHEME = HANDLE;

// One slot per entry point, resolved by name; all nil while the library is not loaded.
struct TUxThemeEntryPoints {
  HTHEME(WINAPI* OpenThemeData)(HWND, LPCWSTR) = nullptr;
  HRESULT(WINAPI* CloseThemeData)(HTHEME) = nullptr;
  HRESULT(WINAPI* DrawThemeBackground)(HTHEME, HDC, int, int, const RECT*, const RECT*) = nullptr;
  HRESULT(WINAPI* DrawThemeText)(HTHEME, HDC, int, int, LPCWSTR, int, DWORD, DWORD, const RECT*) = nullptr;
  FARPROC GetThemeBackgroundContentRect = nullptr;
  FARPROC GetThemePartSize = nullptr;
  FARPROC GetThemeTextExtent = nullptr;
  FARPROC GetThemeTextMetrics = nullptr;
  FARPROC GetThemeBackgroundRegion = nullptr;
  FARPROC HitTestThemeBackground = nullptr;
  FARPROC DrawThemeEdge = nullptr;
  FARPROC DrawThemeIcon = nullptr;
  FARPROC IsThemePartDefined = nullptr;
  BOOL(WINAPI* IsThemeBackgroundPartiallyTransparent)(HTHEME, int, int) = nullptr;
  FARPROC GetThemeColor = nullptr;
  FARPROC GetThemeMetric = nullptr;
  FARPROC GetThemeString = nullptr;
  FARPROC GetThemeBool = nullptr;
  FARPROC GetThemeInt = nullptr;
  FARPROC GetThemeEnumValue = nullptr;
  FARPROC GetThemePosition = nullptr;
  FARPROC GetThemeFont = nullptr;
  FARPROC GetThemeRect = nullptr;
  FARPROC GetThemeMargins = nullptr;
  FARPROC GetThemeIntList = nullptr;
  FARPROC GetThemePropertyOrigin = nullptr;
  FARPROC SetWindowTheme = nullptr;
  FARPROC GetThemeFilename = nullptr;
  FARPROC GetThemeSysColor = nullptr;
  FARPROC GetThemeSysColorBrush = nullptr;
  FARPROC GetThemeSysBool = nullptr;
  FARPROC GetThemeSysSize = nullptr;
  FARPROC GetThemeSysFont = nullptr;
  FARPROC GetThemeSysString = nullptr;
  FARPROC GetThemeSysInt = nullptr;
  BOOL(WINAPI* IsThemeActive)() = nullptr;
  BOOL(WINAPI* IsAppThemed)() = nullptr;
  FARPROC GetWindowTheme = nullptr;
  FARPROC EnableThemeDialogTexture = nullptr;
  FARPROC IsThemeDialogTextureEnabled = nullptr;
  DWORD(WINAPI* GetThemeAppProperties)() = nullptr;
  FARPROC SetThemeAppProperties = nullptr;
  FARPROC GetCurrentThemeName = nullptr;
  FARPROC GetThemeDocumentationProperty = nullptr;
  HRESULT(WINAPI* DrawThemeParentBackground)(HWND, HDC, const RECT*) = nullptr;
  FARPROC EnableTheming = nullptr;
};

// The table; its slots are valid while the library is held.
extern TUxThemeEntryPoints UxThemeEntryPoints;

// Adds a user (also when loading fails) and loads the library when none is
// held; true when a library handle is held afterwards.
bool AcquireUxThemeLibrary();
// Removes a user; the last one frees the library and clears the table.
void ReleaseUxThemeLibrary();
// Library loaded, IsAppThemed and IsThemeActive (the latter only asked when
// the former says yes).
bool VisualStylesActive();

// State of the binding, for callers that need to know (and for tests).
HMODULE UxThemeLibraryHandle();
Integer UxThemeUserCount();
