#include "controls/RzUxTheme.h"

#include <cstring>

#include "platform/SyncObjs.h"

TUxThemeEntryPoints UxThemeEntryPoints;

namespace {

HMODULE library = nullptr;
Integer userCount = 0;

TCriticalSection& Lock() {
  static TCriticalSection lock;
  return lock;
}

template <class F>
void Resolve(const char* Name, F& Slot) {
  FARPROC p = ::GetProcAddress(library, Name);
  static_assert(sizeof(F) == sizeof(FARPROC));
  std::memcpy(&Slot, &p, sizeof p);
}

void ResolveAll() {
  TUxThemeEntryPoints& t = UxThemeEntryPoints;
  Resolve("OpenThemeData", t.OpenThemeData);
  Resolve("CloseThemeData", t.CloseThemeData);
  Resolve("DrawThemeBackground", t.DrawThemeBackground);
  Resolve("DrawThemeText", t.DrawThemeText);
  Resolve("GetThemeBackgroundContentRect", t.GetThemeBackgroundContentRect);
  Resolve("GetThemePartSize", t.GetThemePartSize);
  Resolve("GetThemeTextExtent", t.GetThemeTextExtent);
  Resolve("GetThemeTextMetrics", t.GetThemeTextMetrics);
  Resolve("GetThemeBackgroundRegion", t.GetThemeBackgroundRegion);
  Resolve("HitTestThemeBackground", t.HitTestThemeBackground);
  Resolve("DrawThemeEdge", t.DrawThemeEdge);
  Resolve("DrawThemeIcon", t.DrawThemeIcon);
  Resolve("IsThemePartDefined", t.IsThemePartDefined);
  Resolve("IsThemeBackgroundPartiallyTransparent", t.IsThemeBackgroundPartiallyTransparent);
  Resolve("GetThemeColor", t.GetThemeColor);
  Resolve("GetThemeMetric", t.GetThemeMetric);
  Resolve("GetThemeString", t.GetThemeString);
  Resolve("GetThemeBool", t.GetThemeBool);
  Resolve("GetThemeInt", t.GetThemeInt);
  Resolve("GetThemeEnumValue", t.GetThemeEnumValue);
  Resolve("GetThemePosition", t.GetThemePosition);
  Resolve("GetThemeFont", t.GetThemeFont);
  Resolve("GetThemeRect", t.GetThemeRect);
  Resolve("GetThemeMargins", t.GetThemeMargins);
  Resolve("GetThemeIntList", t.GetThemeIntList);
  Resolve("GetThemePropertyOrigin", t.GetThemePropertyOrigin);
  Resolve("SetWindowTheme", t.SetWindowTheme);
  Resolve("GetThemeFilename", t.GetThemeFilename);
  Resolve("GetThemeSysColor", t.GetThemeSysColor);
  Resolve("GetThemeSysColorBrush", t.GetThemeSysColorBrush);
  Resolve("GetThemeSysBool", t.GetThemeSysBool);
  Resolve("GetThemeSysSize", t.GetThemeSysSize);
  Resolve("GetThemeSysFont", t.GetThemeSysFont);
  Resolve("GetThemeSysString", t.GetThemeSysString);
  Resolve("GetThemeSysInt", t.GetThemeSysInt);
  Resolve("IsThemeActive", t.IsThemeActive);
  Resolve("IsAppThemed", t.IsAppThemed);
  Resolve("GetWindowTheme", t.GetWindowTheme);
  Resolve("EnableThemeDialogTexture", t.EnableThemeDialogTexture);
  Resolve("IsThemeDialogTextureEnabled", t.IsThemeDialogTextureEnabled);
  Resolve("GetThemeAppProperties", t.GetThemeAppProperties);
  Resolve("SetThemeAppProperties", t.SetThemeAppProperties);
  Resolve("GetCurrentThemeName", t.GetCurrentThemeName);
  Resolve("GetThemeDocumentationProperty", t.GetThemeDocumentationProperty);
  Resolve("DrawThemeParentBackground", t.DrawThemeParentBackground);
  Resolve("EnableTheming", t.EnableTheming);
}

// Unit finalisation: let go of every user still counted.
struct TBindingFinalizer {
  // The lock is made first, so that it outlives this object.
  TBindingFinalizer() { Lock(); }
  ~TBindingFinalizer() {
    while (UxThemeUserCount() > 0) ReleaseUxThemeLibrary();
  }
} finalizer;

}  // namespace

bool AcquireUxThemeLibrary() {
  TCriticalSection& lock = Lock();
  lock.Enter();
  ++userCount;
  if (!library) {
    library = ::LoadLibraryA("uxtheme.dll");
    if (library) ResolveAll();
  }
  bool held = library != nullptr;
  lock.Leave();
  return held;
}

void ReleaseUxThemeLibrary() {
  TCriticalSection& lock = Lock();
  lock.Enter();
  if (userCount > 0) --userCount;
  if (library && userCount == 0) {
    ::FreeLibrary(library);
    library = nullptr;
    UxThemeEntryPoints = TUxThemeEntryPoints();
  }
  lock.Leave();
}

bool VisualStylesActive() {
  if (!library) return false;
  const TUxThemeEntryPoints& t = UxThemeEntryPoints;
  return t.IsAppThemed && t.IsAppThemed() != 0 && t.IsThemeActive && t.IsThemeActive() != 0;
}

HMODULE UxThemeLibraryHandle() { return library; }
Integer UxThemeUserCount() { return userCount; }
