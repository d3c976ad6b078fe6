// Theme services: the uxtheme binding's user count, the part and state
// tables, the rule for visual styles being on, the theme-change road on the
// hooked window and the painting calls, with the entry points the services
// call replaced by recording fakes where the answer must be controlled.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "controls/RzThemeSrv.h"
#include "platform/Forms.h"
#include "tests/controls/theme_look.h"

namespace {

// Recording fakes of the entry points the services call.
struct TFakeTheme {
  BOOL AppThemed = TRUE, Active = TRUE;
  DWORD AppProperties = 3;
  HTHEME OpenResult = reinterpret_cast<HTHEME>(0x1234);
  BOOL PartlyTransparent = FALSE;
  Integer IsActiveCalls = 0, OpenCalls = 0, ParentBackgroundCalls = 0, TextLength = -1;
  std::vector<HTHEME> Closed;
  std::vector<std::wstring> Opened;
  std::vector<std::string>* Log = nullptr;
};
TFakeTheme* fake = nullptr;

BOOL WINAPI FakeIsAppThemed() { return fake->AppThemed; }
BOOL WINAPI FakeIsThemeActive() {
  ++fake->IsActiveCalls;
  return fake->Active;
}
DWORD WINAPI FakeGetThemeAppProperties() { return fake->AppProperties; }
HTHEME WINAPI FakeOpenThemeData(HWND, LPCWSTR Name) {
  ++fake->OpenCalls;
  fake->Opened.push_back(Name);
  return fake->OpenResult;
}
HRESULT WINAPI FakeCloseThemeData(HTHEME H) {
  fake->Closed.push_back(H);
  if (fake->Log) fake->Log->push_back("close");
  return S_OK;
}
BOOL WINAPI FakePartlyTransparent(HTHEME, int, int) { return fake->PartlyTransparent; }
HRESULT WINAPI FakeParentBackground(HWND, HDC, const RECT*) {
  ++fake->ParentBackgroundCalls;
  return S_OK;
}
HRESULT WINAPI FakeDrawThemeText(HTHEME, HDC, int, int, LPCWSTR, int Length, DWORD, DWORD, const RECT*) {
  fake->TextLength = Length;
  return S_OK;
}

// Installs the fakes for the life of the object (the library stays held meanwhile).
class TFakeScope {
 public:
  explicit TFakeScope(TFakeTheme& F) {
    AcquireUxThemeLibrary();
    saved_ = UxThemeEntryPoints;
    fake = &F;
    TUxThemeEntryPoints& t = UxThemeEntryPoints;
    t.IsAppThemed = FakeIsAppThemed;
    t.IsThemeActive = FakeIsThemeActive;
    t.GetThemeAppProperties = FakeGetThemeAppProperties;
    t.OpenThemeData = FakeOpenThemeData;
    t.CloseThemeData = FakeCloseThemeData;
    t.IsThemeBackgroundPartiallyTransparent = FakePartlyTransparent;
    t.DrawThemeParentBackground = FakeParentBackground;
    t.DrawThemeText = FakeDrawThemeText;
  }
  ~TFakeScope() {
    UxThemeEntryPoints = saved_;
    fake = nullptr;
    ReleaseUxThemeLibrary();
  }

 private:
  TUxThemeEntryPoints saved_;
};

// A top-level window whose own procedure logs the theme changes it receives.
std::vector<std::string>* windowLog = nullptr;
LRESULT CALLBACK LoggingProc(HWND W, UINT M, WPARAM Wp, LPARAM Lp) {
  if (M == WM_THEMECHANGED && windowLog) windowLog->push_back("window");
  return ::DefWindowProcW(W, M, Wp, Lp);
}

HWND NewLoggingWindow() {
  static bool registered = false;
  if (!registered) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = LoggingProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = L"RzThemeSrvTestWindow";
    ::RegisterClassW(&wc);
    registered = true;
  }
  return ::CreateWindowExW(0, L"RzThemeSrvTestWindow", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           ::GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

// ---------------------------------------------------------------------------
TEST(RzThemeSrvDetails, OrdinalsMapToPartAndState) {
  struct Case {
    TThemedElementDetails Got;
    TThemedElement Element;
    Integer Part, State;
  } cases[] = {
      {TThemeServices::DetailsFor(tbButtonDontCare), teButton, 0, 1},
      {TThemeServices::DetailsFor(tbButtonRoot), teButton, 0, 2},
      {TThemeServices::DetailsFor(tbPushButtonNormal), teButton, 1, 1},
      {TThemeServices::DetailsFor(tbPushButtonDefaulted), teButton, 1, 5},
      {TThemeServices::DetailsFor(tbRadioButtonCheckedDisabled), teButton, 2, 8},  // ordinal 14
      {TThemeServices::DetailsFor(tbCheckBoxUncheckedNormal), teButton, 3, 1},
      {TThemeServices::DetailsFor(tbCheckBoxMixedDisabled), teButton, 3, 12},
      {TThemeServices::DetailsFor(tbGroupBoxDisabled), teButton, 4, 2},
      {TThemeServices::DetailsFor(tbUserButton), teButton, 5, 1},
      {TThemeServices::DetailsFor(tcDropDownButtonHot), teComboBox, 1, 2},  // ordinal 3
      {TThemeServices::DetailsFor(thHeaderItemRightPressed), teHeader, 3, 3},
      {TThemeServices::DetailsFor(thHeaderSortArrowSortedDown), teHeader, 4, 2},
      {TThemeServices::DetailsFor(tsbArrowBtnRightDisabled), teScrollBar, 1, 16},
      {TThemeServices::DetailsFor(tsbThumbBtnHorzNormal), teScrollBar, 2, 1},
      {TThemeServices::DetailsFor(tsbSizeBoxLeftAlign), teScrollBar, 10, 2},
      {TThemeServices::DetailsFor(tsDownHorzDisabled), teSpin, 4, 4},
      {TThemeServices::DetailsFor(tsDownNormal), teSpin, 2, 1},
      {TThemeServices::DetailsFor(twCaptionActive), teWindow, 1, 1},
      {TThemeServices::DetailsFor(static_cast<TThemedWindow>(21)), teWindow, 7, 2},
      {TThemeServices::DetailsFor(twCloseButtonDisabled), teWindow, 18, 4},
      {TThemeServices::DetailsFor(twSmallCloseButtonNormal), teWindow, 19, 1},
      {TThemeServices::DetailsFor(static_cast<TThemedWindow>(95)), teWindow, 28, 4},
      {TThemeServices::DetailsFor(static_cast<TThemedWindow>(96)), teWindow, 29, 1},
      {TThemeServices::DetailsFor(twLastOrdinal), teWindow, 37, 1},
      {TThemeServices::DetailsFor(static_cast<TThemedWindow>(105)), teWindow, 0, 106},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.Got.Element, c.Element);
    EXPECT_EQ(c.Got.Part, c.Part) << "element " << c.Element << " state " << c.State;
    EXPECT_EQ(c.Got.State, c.State) << "element " << c.Element << " part " << c.Part;
  }
  EXPECT_EQ(std::wstring(ThemeElementClassNames[teSpin]), L"spin");
  EXPECT_EQ(std::wstring(ThemeElementClassNames[teWindow]), L"window");
}

TEST(RzThemeSrvBinding, UsersCountedLibraryFreedByTheLastRelease) {
  Integer base = UxThemeUserCount();
  ASSERT_TRUE(AcquireUxThemeLibrary());
  ASSERT_TRUE(AcquireUxThemeLibrary());
  EXPECT_EQ(UxThemeUserCount(), base + 2);
  EXPECT_NE(UxThemeLibraryHandle(), nullptr);
  EXPECT_NE(UxThemeEntryPoints.OpenThemeData, nullptr);
  EXPECT_NE(UxThemeEntryPoints.DrawThemeParentBackground, nullptr);
  ReleaseUxThemeLibrary();
  EXPECT_NE(UxThemeLibraryHandle(), nullptr);
  EXPECT_NE(UxThemeEntryPoints.IsAppThemed, nullptr);
  ReleaseUxThemeLibrary();
  EXPECT_EQ(UxThemeUserCount(), base);
  if (base == 0) {
    EXPECT_EQ(UxThemeLibraryHandle(), nullptr);
    EXPECT_EQ(UxThemeEntryPoints.OpenThemeData, nullptr);
    EXPECT_EQ(UxThemeEntryPoints.IsThemeActive, nullptr);
    EXPECT_FALSE(VisualStylesActive());
    // A release too many changes nothing.
    ReleaseUxThemeLibrary();
    EXPECT_EQ(UxThemeUserCount(), 0);
  }
}

TEST(RzThemeSrvRule, StylesOnOnlyWithThemeCommonControls6AndControlsAllowed) {
  if (!CommonControls6InUse()) GTEST_SKIP() << "this executable runs without common controls 6";
  struct Case {
    BOOL AppThemed, Active;
    DWORD AppProperties;
    bool InUse, Styled;
    Integer ActiveCalls;
  } cases[] = {
      {TRUE, TRUE, 3, true, true, 1},
      {TRUE, TRUE, 1, true, false, 1},   // no STAP_ALLOW_CONTROLS
      {TRUE, FALSE, 3, false, false, 1},
      {FALSE, TRUE, 3, false, false, 0},  // IsThemeActive is not asked
  };
  for (const Case& c : cases) {
    TFakeTheme f;
    f.AppThemed = c.AppThemed;
    f.Active = c.Active;
    f.AppProperties = c.AppProperties;
    TFakeScope scope(f);
    TThemeServices s(nullptr);
    EXPECT_TRUE(s.LibraryLoaded());
    EXPECT_EQ(s.StylesInUse(), c.InUse) << c.AppThemed << c.Active << c.AppProperties;
    EXPECT_EQ(s.VisualStylesOn(), c.Styled) << c.AppThemed << c.Active << c.AppProperties;
    EXPECT_EQ(f.IsActiveCalls, c.ActiveCalls);
  }
}

TEST(RzThemeSrvRule, ThemeHandlesCachedPerClassAndOnlyWhileStylesAreInUse) {
  if (!CommonControls6InUse()) GTEST_SKIP() << "this executable runs without common controls 6";
  TFakeTheme f;
  TFakeScope scope(f);
  TThemeServices s(nullptr);
  ASSERT_TRUE(s.StylesInUse());
  EXPECT_EQ(s.ElementThemeHandle(teButton), f.OpenResult);
  EXPECT_EQ(s.ElementThemeHandle(teButton), f.OpenResult);
  EXPECT_EQ(f.OpenCalls, 1);
  s.ElementThemeHandle(teSpin);
  ASSERT_EQ(f.Opened.size(), 2u);
  EXPECT_EQ(f.Opened[1], L"spin");

  // A failed open is tried again next time.
  f.OpenResult = nullptr;
  EXPECT_EQ(s.ElementThemeHandle(teEdit), nullptr);
  EXPECT_EQ(s.ElementThemeHandle(teEdit), nullptr);
  EXPECT_EQ(f.OpenCalls, 4);

  // Styles going out of use close what was open, and nothing opens any more.
  f.Active = FALSE;
  s.RefreshThemeState();
  EXPECT_EQ(f.Closed.size(), 2u);
  EXPECT_EQ(s.ElementThemeHandle(teButton), nullptr);
  EXPECT_EQ(f.OpenCalls, 4);
}

TEST(RzThemeSrvHook, ThemeChangeRefreshesNotifiesThenPassesOn) {
  if (!CommonControls6InUse()) GTEST_SKIP() << "this executable runs without common controls 6";
  std::vector<std::string> log;
  TFakeTheme f;
  f.Log = &log;
  TFakeScope scope(f);
  HWND w = NewLoggingWindow();
  ASSERT_NE(w, nullptr);
  windowLog = &log;
  {
    TThemeServices s(w);
    EXPECT_TRUE(s.Subclassed());
    Integer notified = 0;
    s.OnThemeChange = [&](TObject* Sender) {
      EXPECT_EQ(Sender, &s);
      EXPECT_FALSE(s.VisualStylesOn());  // the flags are new when the event fires
      ++notified;
      log.push_back("notify");
    };
    ASSERT_TRUE(s.VisualStylesOn());
    s.ElementThemeHandle(teButton);
    // The classic look is chosen while running.
    f.Active = FALSE;
    ::SendMessageW(w, WM_THEMECHANGED, 0, 0);
    EXPECT_EQ(notified, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"close", "notify", "window"}));
    EXPECT_FALSE(s.StylesInUse());

    // The window goes first: the subclass is taken off, the services stay usable.
    ::DestroyWindow(w);
    EXPECT_FALSE(s.Subclassed());
    f.Active = TRUE;
    s.RefreshThemeState();
    EXPECT_TRUE(s.VisualStylesOn());
    s.ElementThemeHandle(teHeader);
    log.clear();
  }
  // Closing after the window is gone skips the handles.
  EXPECT_TRUE(log.empty());
  windowLog = nullptr;
}

TEST(RzThemeSrvHook, SubclassRemovedWhenTheServicesGoFirst) {
  HWND w = NewLoggingWindow();
  WNDPROC own = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(w, GWLP_WNDPROC));
  {
    TThemeServices s(w);
    EXPECT_NE(reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(w, GWLP_WNDPROC)), own);
  }
  EXPECT_EQ(reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(w, GWLP_WNDPROC)), own);
  std::vector<std::string> log;
  windowLog = &log;
  ::SendMessageW(w, WM_THEMECHANGED, 0, 0);
  EXPECT_EQ(log, std::vector<std::string>{"window"});
  windowLog = nullptr;
  ::DestroyWindow(w);
}

TEST(RzThemeSrvPaint, ParentBackgroundOnlyUnderPartlyTransparentParts) {
  TFakeTheme f;
  TFakeScope scope(f);
  TThemeServices s(nullptr);
  TThemedElementDetails d = TThemeServices::DetailsFor(tbCheckBoxCheckedNormal);
  HDC dc = ::CreateCompatibleDC(nullptr);
  TRect r = Rect(0, 0, 10, 10);
  s.PaintParentBackground(nullptr, dc, &r, true, &d);
  EXPECT_EQ(f.ParentBackgroundCalls, 0);
  f.PartlyTransparent = TRUE;
  s.PaintParentBackground(nullptr, dc, &r, true, &d);
  EXPECT_EQ(f.ParentBackgroundCalls, 1);
  f.PartlyTransparent = FALSE;
  s.PaintParentBackground(nullptr, dc, nullptr, false, &d);
  s.PaintParentBackground(nullptr, dc, nullptr, true, nullptr);
  EXPECT_EQ(f.ParentBackgroundCalls, 3);

  s.PaintElementText(dc, d, L"Gr\u00fc\u00dfe", r, 0, 0);
  EXPECT_EQ(f.TextLength, 5);
  ::DeleteDC(dc);
}

TEST(RzThemeSrvShared, OneServicesObjectOnTheApplicationWindow) {
  TThemeServices* s = SharedThemeServices();
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(SharedThemeServices(), s);
  EXPECT_EQ(s->HookedWindow(), Application->Handle());
  EXPECT_TRUE(s->LibraryLoaded());
  // The version words are the comctl32 file's; both zero only when unreadable.
  EXPECT_NE(CommonControlsVersion().MS, 0u);
}

// The shared services are destroyed at process exit and then un-subclass the
// application window. A copy of this program runs just the test above and must
// end cleanly; the heap checks turn a use of freed memory at exit into a crash.
TEST(RzThemeSrvShared, ProcessEndsCleanlyAfterUsingTheSharedServices) {
  wchar_t exe[MAX_PATH];
  ASSERT_GT(::GetModuleFileNameW(nullptr, exe, MAX_PATH), 0u);
  std::wstring command = L"\"" + std::wstring(exe) +
                         L"\" --test-file=themesrv --gtest_filter=RzThemeSrvShared.OneServicesObjectOnTheApplicationWindow";
  wchar_t oldDebug[256] = L"";
  const DWORD hadDebug = ::GetEnvironmentVariableW(L"WINEDEBUG", oldDebug, 256);
  ::SetEnvironmentVariableW(L"WINEDEBUG", L"-all,warn+heap");
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  const BOOL started = ::CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                        nullptr, &si, &pi);
  ::SetEnvironmentVariableW(L"WINEDEBUG", hadDebug ? oldDebug : nullptr);
  ASSERT_TRUE(started);
  ASSERT_EQ(::WaitForSingleObject(pi.hProcess, 120000), WAIT_OBJECT_0);
  DWORD code = 1;
  ::GetExitCodeProcess(pi.hProcess, &code);
  ::CloseHandle(pi.hThread);
  ::CloseHandle(pi.hProcess);
  EXPECT_EQ(code, 0u);
}

// The real light style of the test prefix: the look switch reaches the shared
// services through WM_THEMECHANGED on the application window.
class RzThemeSrvLook : public ThemeLookTest {};

TEST_P(RzThemeSrvLook, SharedServicesFollowTheProcessLook) {
  TThemeServices* s = SharedThemeServices();
  ASSERT_TRUE(CommonControls6InUse());
  EXPECT_TRUE(s->StylesInUse());
  EXPECT_EQ(s->VisualStylesOn(), Themed());
  HTHEME button = s->ElementThemeHandle(teButton);
  EXPECT_NE(button, nullptr);  // styles are in use in both looks; only controls are kept classic
  // A themed push button part paints something into a bitmap.
  HDC dc = ::CreateCompatibleDC(nullptr);
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), 40, -20, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bmp = ::CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = ::SelectObject(dc, bmp);
  std::fill_n(static_cast<uint32_t*>(bits), 40 * 20, 0x00123456u);
  s->PaintElement(dc, TThemeServices::DetailsFor(tbPushButtonNormal), Rect(0, 0, 40, 20));
  Integer changed = 0;
  for (Integer i = 0; i < 40 * 20; ++i) changed += (static_cast<uint32_t*>(bits)[i] & 0xFFFFFF) != 0x123456u;
  EXPECT_GT(changed, 200);
  ::SelectObject(dc, old);
  ::DeleteObject(bmp);
  ::DeleteDC(dc);
}

INSTANTIATE_LOOKS(RzThemeSrvLook);
