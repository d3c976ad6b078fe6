// Theme services: the one place that decides whether visual styles are in
// force and that paints visual-style parts. Controls ask
// SharedThemeServices()->VisualStylesOn() at every paint and never keep the answer.
#pragma once

#include <string>

#include "controls/RzUxTheme.h"
#include "platform/System.h"

// Element classes, in the order of their visual-style class names.
enum TThemedElement {
  teButton, teClock, teComboBox, teEdit, teExplorerBar, teHeader, teListView, teMenu, tePage, teProgress,
  teRebar, teScrollBar, teSpin, teStartPanel, teStatus, teTab, teTaskBand, teTaskBar, teToolBar, teToolTip,
  teTrackBar, teTrayNotify, teTreeview, teWindow
};
constexpr Integer ThemedElementCount = 24;
// The visual-style class name of each element class ("button", "clock", ...).
extern const wchar_t* const ThemeElementClassNames[ThemedElementCount];

// Flat ordinal lists of the element classes that have one; each maps to a
// part and state through TThemeServices::DetailsFor.
enum TThemedButton {
  tbButtonDontCare, tbButtonRoot,
  tbPushButtonNormal, tbPushButtonHot, tbPushButtonPressed, tbPushButtonDisabled, tbPushButtonDefaulted,
  tbRadioButtonUncheckedNormal, tbRadioButtonUncheckedHot, tbRadioButtonUncheckedPressed,
  tbRadioButtonUncheckedDisabled, tbRadioButtonCheckedNormal, tbRadioButtonCheckedHot,
  tbRadioButtonCheckedPressed, tbRadioButtonCheckedDisabled,
  tbCheckBoxUncheckedNormal, tbCheckBoxUncheckedHot, tbCheckBoxUncheckedPressed, tbCheckBoxUncheckedDisabled,
  tbCheckBoxCheckedNormal, tbCheckBoxCheckedHot, tbCheckBoxCheckedPressed, tbCheckBoxCheckedDisabled,
  tbCheckBoxMixedNormal, tbCheckBoxMixedHot, tbCheckBoxMixedPressed, tbCheckBoxMixedDisabled,
  tbGroupBoxNormal, tbGroupBoxDisabled, tbUserButton
};
enum TThemedComboBox {
  tcComboBoxDontCare, tcComboBoxRoot,
  tcDropDownButtonNormal, tcDropDownButtonHot, tcDropDownButtonPressed, tcDropDownButtonDisabled
};
enum TThemedHeader {
  thHeaderDontCare, thHeaderRoot,
  thHeaderItemNormal, thHeaderItemHot, thHeaderItemPressed,
  thHeaderItemLeftNormal, thHeaderItemLeftHot, thHeaderItemLeftPressed,
  thHeaderItemRightNormal, thHeaderItemRightHot, thHeaderItemRightPressed,
  thHeaderSortArrowSortedUp, thHeaderSortArrowSortedDown
};
// Ordinals 2..51: arrow buttons (2..17), thumbs, tracks, grippers, size box.
enum TThemedScrollBar {
  tsbScrollBarDontCare, tsbScrollBarRoot,
  tsbArrowBtnUpNormal, tsbArrowBtnUpHot, tsbArrowBtnUpPressed, tsbArrowBtnUpDisabled,
  tsbArrowBtnDownNormal, tsbArrowBtnDownHot, tsbArrowBtnDownPressed, tsbArrowBtnDownDisabled,
  tsbArrowBtnLeftNormal, tsbArrowBtnLeftHot, tsbArrowBtnLeftPressed, tsbArrowBtnLeftDisabled,
  tsbArrowBtnRightNormal, tsbArrowBtnRightHot, tsbArrowBtnRightPressed, tsbArrowBtnRightDisabled,
  tsbThumbBtnHorzNormal, tsbSizeBoxRightAlign = 50, tsbSizeBoxLeftAlign = 51
};
enum TThemedSpin {
  tsSpinDontCare, tsSpinRoot,
  tsUpNormal, tsUpHot, tsUpPressed, tsUpDisabled,
  tsDownNormal, tsDownHot, tsDownPressed, tsDownDisabled,
  tsUpHorzNormal, tsUpHorzHot, tsUpHorzPressed, tsUpHorzDisabled,
  tsDownHorzNormal, tsDownHorzHot, tsDownHorzPressed, tsDownHorzDisabled
};
// Ordinals 2..104 of the window class; only a few are named.
enum TThemedWindow {
  twWindowDontCare, twWindowRoot, twCaptionActive,
  twCloseButtonNormal = 52, twCloseButtonHot, twCloseButtonPushed, twCloseButtonDisabled,
  twSmallCloseButtonNormal = 56, twLastOrdinal = 104
};

struct TThemedElementDetails {
  TThemedElement Element = teButton;
  Integer Part = 0;
  Integer State = 0;
  bool operator==(const TThemedElementDetails&) const = default;
};

class TThemeServices : public TObject {
 public:
  T_CLASSNAME(TThemeServices)
  // Subclasses Wnd (0: none) to hear of theme changes, acquires the
  // library and computes the rule.
  explicit TThemeServices(HWND Wnd);
  ~TThemeServices() override;
  TThemeServices(const TThemeServices&) = delete;
  TThemeServices& operator=(const TThemeServices&) = delete;

  // Library loaded, styles in use and controls styled: the test every styled
  // control makes before painting themed.
  bool VisualStylesOn() const { return libraryLoaded_ && stylesInUse_ && controlsStyled_; }
  bool LibraryLoaded() const { return libraryLoaded_; }
  bool StylesInUse() const { return stylesInUse_; }
  bool ControlsStyled() const { return controlsStyled_; }
  HWND HookedWindow() const { return wnd_; }
  // True while the hooked window's procedure is ours.
  bool Subclassed() const { return subclassed_; }

  // Recomputes the flags (closing the cached handles when styles were in use).
  void RefreshThemeState();
  // The cached theme handle of an element class, opened on demand; 0 while
  // styles are not in use or when opening failed.
  HTHEME ElementThemeHandle(TThemedElement Element);

  static TThemedElementDetails DetailsFor(TThemedButton Ordinal);
  static TThemedElementDetails DetailsFor(TThemedComboBox Ordinal);
  static TThemedElementDetails DetailsFor(TThemedHeader Ordinal);
  static TThemedElementDetails DetailsFor(TThemedScrollBar Ordinal);
  static TThemedElementDetails DetailsFor(TThemedSpin Ordinal);
  static TThemedElementDetails DetailsFor(TThemedWindow Ordinal);

  void PaintElement(HDC DC, const TThemedElementDetails& Details, const TRect& R);
  // With TestTransparency and Details, paints only when the part is partly transparent.
  void PaintParentBackground(HWND Wnd, HDC DC, const TRect* R, bool TestTransparency,
                             const TThemedElementDetails* Details);
  void PaintElementText(HDC DC, const TThemedElementDetails& Details, const std::wstring& Text, const TRect& R,
                        DWORD Flags, DWORD Flags2);

  virtual void NotifyThemeChange();
  TNotifyEvent OnThemeChange;

 private:
  friend LRESULT CALLBACK ThemeServicesHookProc(HWND, UINT, WPARAM, LPARAM);
  LRESULT HookedWindowProc(UINT Msg, WPARAM WParam, LPARAM LParam);
  void Unsubclass();
  void CloseCachedThemes();

  bool libraryLoaded_ = false;
  bool stylesInUse_ = false;
  bool controlsStyled_ = false;
  HWND wnd_ = nullptr;
  WNDPROC previousProc_ = nullptr;
  bool subclassed_ = false;
  HTHEME cache_[ThemedElementCount] = {};
};

// The services of the process, made on first use on the application window.
TThemeServices* SharedThemeServices();

// The fixed file version of comctl32.dll: least and most significant words
// (major in the high half of MS); both 0 when unreadable. Read once.
struct TFileVersionWords {
  Cardinal LS = 0;
  Cardinal MS = 0;
};
const TFileVersionWords& CommonControlsVersion();
// Whether the process runs common controls 6 or later: the version resource
// says so, or the activation context redirects comctl32.dll to the version 6
// assembly (whose file may carry an older version number). Decided once.
bool CommonControls6InUse();
// Reads a file's fixed version; false (and zeroes) when any step fails.
bool ReadFileVersionWords(const std::wstring& FileName, TFileVersionWords& Words);
