#include "controls/RzThemeSrv.h"

#include <cwchar>
#include <map>
#include <memory>
#include <vector>

#include <objbase.h>

#include "platform/Forms.h"

const wchar_t* const ThemeElementClassNames[ThemedElementCount] = {
    L"button", L"clock",   L"combobox",   L"edit",   L"explorerbar", L"header",  L"listview", L"menu",
    L"page",   L"progress", L"rebar",     L"scrollbar", L"spin",     L"startpanel", L"status", L"tab",
    L"taskband", L"taskbar", L"toolbar", L"tooltip", L"trackbar",  L"traynotify", L"treeview", L"window"};

namespace {

// The library initialises COM on the main thread for the whole run.
struct TComUnit {
  TComUnit() { ::CoInitialize(nullptr); }
  ~TComUnit() { ::CoUninitialize(); }
} comUnit;

// Subclassed windows and the services listening on them.
std::map<HWND, TThemeServices*>& Hooked() {
  static std::map<HWND, TThemeServices*> map;
  return map;
}

constexpr DWORD STAP_ALLOW_CONTROLS_BIT = 2;

struct TRange {
  Integer First, Last, Part;
};

TThemedElementDetails Lookup(TThemedElement Element, Integer Ordinal, const std::vector<TRange>& Ranges) {
  TThemedElementDetails d;
  d.Element = Element;
  for (const TRange& r : Ranges)
    if (Ordinal >= r.First && Ordinal <= r.Last) {
      d.Part = r.Part;
      d.State = Ordinal - r.First + 1;
      return d;
    }
  d.Part = 0;
  d.State = Ordinal + 1;
  return d;
}

std::unique_ptr<TThemeServices>& SharedSlot() {
  // The subclass map must outlive the shared services, whose destructor at
  // exit erases their window from it: statics die in reverse order of making.
  Hooked();
  static std::unique_ptr<TThemeServices> services;
  return services;
}

}  // namespace

LRESULT CALLBACK ThemeServicesHookProc(HWND Wnd, UINT Msg, WPARAM WParam, LPARAM LParam) {
  auto it = Hooked().find(Wnd);
  if (it == Hooked().end()) return ::DefWindowProcW(Wnd, Msg, WParam, LParam);
  return it->second->HookedWindowProc(Msg, WParam, LParam);
}

TThemeServices::TThemeServices(HWND Wnd) : wnd_(Wnd) {
  if (Wnd) {
    Hooked()[Wnd] = this;
    previousProc_ = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(Wnd, GWLP_WNDPROC));
    ::SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ThemeServicesHookProc));
    subclassed_ = true;
  }
  libraryLoaded_ = AcquireUxThemeLibrary();
  RefreshThemeState();
}

TThemeServices::~TThemeServices() {
  if (subclassed_) Unsubclass();
  CloseCachedThemes();
  ReleaseUxThemeLibrary();
}

void TThemeServices::Unsubclass() {
  if (::IsWindow(wnd_)) ::SetWindowLongPtrW(wnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc_));
  Hooked().erase(wnd_);
  subclassed_ = false;
}

LRESULT TThemeServices::HookedWindowProc(UINT Msg, WPARAM WParam, LPARAM LParam) {
  HWND wnd = wnd_;
  WNDPROC previous = previousProc_;
  if (Msg == WM_DESTROY) {
    Unsubclass();
  } else if (Msg == WM_THEMECHANGED) {
    try {
      RefreshThemeState();
      NotifyThemeChange();
    } catch (...) {
      if (Application) Application->HandleException(this);
    }
  }
  return ::CallWindowProcW(previous, wnd, Msg, WParam, LParam);
}

void TThemeServices::RefreshThemeState() {
  if (stylesInUse_) CloseCachedThemes();
  stylesInUse_ = VisualStylesActive() && CommonControls6InUse();
  const TUxThemeEntryPoints& t = UxThemeEntryPoints;
  controlsStyled_ = stylesInUse_ && t.GetThemeAppProperties &&
                    (t.GetThemeAppProperties() & STAP_ALLOW_CONTROLS_BIT) != 0;
}

void TThemeServices::CloseCachedThemes() {
  // After the window is gone the theme handles went with it.
  if (wnd_ && !::IsWindow(wnd_)) return;
  for (HTHEME& h : cache_) {
    if (h) {
      if (UxThemeEntryPoints.CloseThemeData) UxThemeEntryPoints.CloseThemeData(h);
      h = nullptr;
    }
  }
}

HTHEME TThemeServices::ElementThemeHandle(TThemedElement Element) {
  HTHEME& slot = cache_[Element];
  if (stylesInUse_ && !slot && UxThemeEntryPoints.OpenThemeData)
    slot = UxThemeEntryPoints.OpenThemeData(wnd_, ThemeElementClassNames[Element]);
  return slot;
}

TThemedElementDetails TThemeServices::DetailsFor(TThemedButton Ordinal) {
  static const std::vector<TRange> ranges = {{2, 6, 1}, {7, 14, 2}, {15, 26, 3}, {27, 28, 4}, {29, 29, 5}};
  return Lookup(teButton, Ordinal, ranges);
}

TThemedElementDetails TThemeServices::DetailsFor(TThemedComboBox Ordinal) {
  static const std::vector<TRange> ranges = {{2, 5, 1}};
  return Lookup(teComboBox, Ordinal, ranges);
}

TThemedElementDetails TThemeServices::DetailsFor(TThemedHeader Ordinal) {
  static const std::vector<TRange> ranges = {{2, 4, 1}, {5, 7, 2}, {8, 10, 3}, {11, 12, 4}};
  return Lookup(teHeader, Ordinal, ranges);
}

TThemedElementDetails TThemeServices::DetailsFor(TThemedScrollBar Ordinal) {
  static const std::vector<TRange> ranges = {{2, 17, 1},  {18, 21, 2}, {22, 25, 3}, {26, 29, 4}, {30, 33, 5},
                                             {34, 37, 6}, {38, 41, 7}, {42, 45, 8}, {46, 49, 9}, {50, 51, 10}};
  return Lookup(teScrollBar, Ordinal, ranges);
}

TThemedElementDetails TThemeServices::DetailsFor(TThemedSpin Ordinal) {
  static const std::vector<TRange> ranges = {{2, 5, 1}, {6, 9, 2}, {10, 13, 3}, {14, 17, 4}};
  return Lookup(teSpin, Ordinal, ranges);
}

TThemedElementDetails TThemeServices::DetailsFor(TThemedWindow Ordinal) {
  static const std::vector<TRange> ranges = [] {
    std::vector<TRange> r = {{2, 4, 1},    {5, 7, 2},    {8, 10, 3},   {11, 13, 4},  {14, 16, 5},  {17, 19, 6},
                             {20, 21, 7},  {22, 23, 8},  {24, 25, 9},  {26, 27, 10}, {28, 29, 11}, {30, 31, 12}};
    // Parts 13..28 have four states each, from ordinal 32 on.
    for (Integer part = 13, first = 32; part <= 28; ++part, first += 4) r.push_back({first, first + 3, part});
    // Parts 29..37: one ordinal each.
    for (Integer part = 29, first = 96; part <= 37; ++part, ++first) r.push_back({first, first, part});
    return r;
  }();
  return Lookup(teWindow, Ordinal, ranges);
}

void TThemeServices::PaintElement(HDC DC, const TThemedElementDetails& Details, const TRect& R) {
  if (!UxThemeEntryPoints.DrawThemeBackground) return;
  UxThemeEntryPoints.DrawThemeBackground(ElementThemeHandle(Details.Element), DC, Details.Part, Details.State,
                                         R.AsRECT(), nullptr);
}

void TThemeServices::PaintParentBackground(HWND Wnd, HDC DC, const TRect* R, bool TestTransparency,
                                           const TThemedElementDetails* Details) {
  const TUxThemeEntryPoints& t = UxThemeEntryPoints;
  if (TestTransparency && Details) {
    if (!t.IsThemeBackgroundPartiallyTransparent) return;
    if (t.IsThemeBackgroundPartiallyTransparent(ElementThemeHandle(Details->Element), Details->Part,
                                                Details->State) == 0)
      return;
  }
  if (t.DrawThemeParentBackground) t.DrawThemeParentBackground(Wnd, DC, R ? R->AsRECT() : nullptr);
}

void TThemeServices::PaintElementText(HDC DC, const TThemedElementDetails& Details, const std::wstring& Text,
                                      const TRect& R, DWORD Flags, DWORD Flags2) {
  if (!UxThemeEntryPoints.DrawThemeText) return;
  UxThemeEntryPoints.DrawThemeText(ElementThemeHandle(Details.Element), DC, Details.Part, Details.State,
                                   Text.c_str(), static_cast<int>(Text.size()), Flags, Flags2, R.AsRECT());
}

void TThemeServices::NotifyThemeChange() { OnThemeChange(this); }

TThemeServices* SharedThemeServices() {
  std::unique_ptr<TThemeServices>& slot = SharedSlot();
  if (!slot) slot = std::make_unique<TThemeServices>(Application ? Application->Handle() : nullptr);
  return slot.get();
}

bool ReadFileVersionWords(const std::wstring& FileName, TFileVersionWords& Words) {
  Words = TFileVersionWords();
  DWORD dummy = 0;
  DWORD size = ::GetFileVersionInfoSizeW(FileName.c_str(), &dummy);
  if (size == 0) return false;
  std::vector<Byte> data(size);
  if (!::GetFileVersionInfoW(FileName.c_str(), 0, size, data.data())) return false;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT len = 0;
  if (!::VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &len) || !info ||
      len < sizeof(VS_FIXEDFILEINFO))
    return false;
  Words.LS = info->dwFileVersionLS;
  Words.MS = info->dwFileVersionMS;
  return true;
}

const TFileVersionWords& CommonControlsVersion() {
  static const TFileVersionWords words = [] {
    // The copy of comctl32 the process actually runs (the side-by-side one
    // when a manifest selects version 6), else whatever the name finds.
    std::wstring name = L"comctl32.dll";
    if (HMODULE m = ::GetModuleHandleW(L"comctl32.dll")) {
      wchar_t path[MAX_PATH];
      DWORD n = ::GetModuleFileNameW(m, path, MAX_PATH);
      if (n > 0 && n < MAX_PATH) name.assign(path, n);
    }
    TFileVersionWords w;
    ReadFileVersionWords(name, w);
    return w;
  }();
  return words;
}

namespace {

// The major version of the assembly the active activation context takes
// comctl32.dll from; 0 when it is not redirected.
Integer RedirectedCommonControlsMajor() {
  ACTCTX_SECTION_KEYED_DATA data{};
  data.cbSize = sizeof data;
  if (!::FindActCtxSectionStringW(FIND_ACTCTX_SECTION_KEY_RETURN_HACTCTX, nullptr,
                                  ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION, L"comctl32.dll", &data))
    return 0;
  Integer major = 0;
  DWORD index = data.ulAssemblyRosterIndex;
  SIZE_T needed = 0;
  ::QueryActCtxW(0, data.hActCtx, &index, AssemblyDetailedInformationInActivationContext, nullptr, 0, &needed);
  if (needed > 0) {
    std::vector<Byte> buf(needed);
    if (::QueryActCtxW(0, data.hActCtx, &index, AssemblyDetailedInformationInActivationContext, buf.data(),
                       needed, &needed)) {
      auto* info = reinterpret_cast<ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(buf.data());
      if (info->lpAssemblyEncodedAssemblyIdentity) {
        std::wstring id = info->lpAssemblyEncodedAssemblyIdentity;
        size_t at = id.find(L"version=\"");
        if (at != std::wstring::npos) major = static_cast<Integer>(std::wcstol(id.c_str() + at + 9, nullptr, 10));
      }
    }
  }
  if (data.hActCtx) ::ReleaseActCtx(data.hActCtx);
  return major;
}

}  // namespace

bool CommonControls6InUse() {
  static const bool inUse = CommonControlsVersion().MS >= 0x00060000u || RedirectedCommonControlsMajor() >= 6;
  return inUse;
}
