// The framework's start-up and shut-down, its registries and the small
// services every other unit calls: lookups, window tests, accelerator
// stripping, sounds, message pumps, mouse-leave tracking and drawing helpers.
#include <algorithm>

#include "bars/dxBar.h"
#include "platform/FormReader.h"
#include "platform/SysUtils.h"
#include "platform/TypInfo.h"

#include <commctrl.h>

#include <mmsystem.h>

namespace {

struct TServices {
  Integer initCount = 0;
  std::vector<std::unique_ptr<TdxBarItemClassEntry>> registry;
  std::vector<TCustomdxBarControl*> liveBars;
  std::vector<TdxBarItem*> tempItems;
  HBRUSH checkerBrush = nullptr;
  HMODULE user32 = nullptr;
  decltype(&::TrackMouseEvent) trackMouseEvent = nullptr;
  bool forcePolling = false;
  HWND trackedWnd = nullptr;
  UINT_PTR pollTimer = 0;
  std::string lastSound;
};

TServices& S() {
  static TServices s;
  return s;
}

}  // namespace

void dxBarRegisterClasses();
void dxBarRemoveHooks();

void dxBarInitialize() {
  auto& s = S();
  if (s.initCount++ > 0) return;
  TdxBarManager::ManagerCount();  // the manager list outlives this start-up
  dxBarRegisterClasses();
  s.user32 = LoadLibraryW(L"user32.dll");
  if (s.user32)
    s.trackMouseEvent =
        reinterpret_cast<decltype(&::TrackMouseEvent)>(reinterpret_cast<void*>(GetProcAddress(s.user32, "TrackMouseEvent")));
  CreateCheckerBrush();
  RegisterBarItemClass<TdxBarButton, TdxBarButtonControl>("TdxBarButton", true);
  RegisterBarItemClass<TdxBarEdit, TdxBarEditControl>("TdxBarEdit", true);
  RegisterBarItemClass<TCustomdxBarCombo, TCustomdxBarComboControl>("TCustomdxBarCombo", true);
  RegisterBarItemClass<TdxBarCombo, TdxBarComboControl>("TdxBarCombo", true);
  RegisterBarItemClass<TdxBarSubItem, TdxBarSubItemControl>("TdxBarSubItem", true);
  RegisterBarItemClass<TdxBarListItem, TdxBarContainerItemControl>("TdxBarListItem", true);
  RegisterBarItemClass<TdxBarContainerItem, TdxBarContainerItemControl>("TdxBarContainerItem", true);
  dxBarRegisterQuickCustomizeClasses();
  dxBarInstallCustomizingForm();
}

void dxBarFinalize() {
  auto& s = S();
  if (s.initCount == 0 || --s.initCount > 0) return;
  // Managers still alive here belong to forms the program never freed; at
  // this point of shut-down their forms may be half gone, so they are left.
  if (TdxBarManager::ManagerCount() == 0) dxBarRemoveHooks();
  for (auto it = s.registry.rbegin(); it != s.registry.rend(); ++it) UnRegisterClass((*it)->ItemClassName);
  s.registry.clear();
  if (s.checkerBrush) DeleteObject(s.checkerBrush);
  s.checkerBrush = nullptr;
  while (!s.tempItems.empty()) delete s.tempItems.back();
  if (s.user32) FreeLibrary(s.user32);
  s.user32 = nullptr;
  s.trackMouseEvent = nullptr;
}

namespace {
// Start-up runs when the library is linked in; shut-down when the program ends.
struct TAutoInit {
  TAutoInit() { dxBarInitialize(); }
  ~TAutoInit() { dxBarFinalize(); }
} autoInit;
}  // namespace

// --- Item-class registry -----------------------------------------------------
void RegisterBarItemClass(std::type_index ItemClass, const std::string& Name, TdxBarItemControlFactory View,
                          bool Listed) {
  auto e = std::make_unique<TdxBarItemClassEntry>();
  e->ItemClass = ItemClass;
  e->ItemClassName = Name;
  e->MakeView = std::move(View);
  e->Listed = Listed;
  S().registry.push_back(std::move(e));
  RegisterClass(Name);
}

void UnregisterBarItemClass(std::type_index ItemClass) {
  auto& r = S().registry;
  for (auto it = r.begin(); it != r.end(); ++it)
    if ((*it)->ItemClass == ItemClass) {
      UnRegisterClass((*it)->ItemClassName);
      r.erase(it);
      return;
    }
}

const TdxBarItemClassEntry* FindBarItemClass(std::type_index ItemClass) {
  for (auto& e : S().registry)
    if (e->ItemClass == ItemClass) return e.get();
  return nullptr;
}

std::string GetListedItemClass(Integer N) {
  for (auto& e : S().registry)
    if (e->Listed && N-- == 0) return e->ItemClassName;
  return std::string();
}

Integer ListedItemClassCount() {
  Integer n = 0;
  for (auto& e : S().registry) n += e->Listed ? 1 : 0;
  return n;
}

// --- Live bar windows and temporary items --------------------------------------
void AddLiveBarControl(TCustomdxBarControl* C) { S().liveBars.push_back(C); }
void RemoveLiveBarControl(TCustomdxBarControl* C) {
  auto& v = S().liveBars;
  v.erase(std::remove(v.begin(), v.end(), C), v.end());
}
bool IsLiveBarControl(const TCustomdxBarControl* C) {
  auto& v = S().liveBars;
  return C && std::find(v.begin(), v.end(), C) != v.end();
}

void AddTempItem(TdxBarItem* Item) { S().tempItems.push_back(Item); }
void RemoveTempItem(TdxBarItem* Item) {
  auto& v = S().tempItems;
  v.erase(std::remove(v.begin(), v.end(), Item), v.end());
}
Integer TempItemCount() { return static_cast<Integer>(S().tempItems.size()); }
void FreeUnusedTempItems() {
  auto& v = S().tempItems;
  for (Integer i = static_cast<Integer>(v.size()) - 1; i >= 0; --i)
    if (i < static_cast<Integer>(v.size()) && v[static_cast<size_t>(i)]->LinkCount() == 0)
      delete v[static_cast<size_t>(i)];
}

// --- Lookups -------------------------------------------------------------------
TdxBarManager* FindBarManagerOfForm(TComponent* Form) {
  if (!Form) return nullptr;
  for (Integer i = 0; i < TdxBarManager::ManagerCount(); ++i) {
    TdxBarManager* m = TdxBarManager::Managers(i);
    if (m->OwnerForm() == Form) return m;
  }
  return nullptr;
}

TCustomdxBarControl* RootBarWindow(TCustomdxBarControl* W) {
  while (W) {
    if (W->ParentBarWindow()) {
      W = W->ParentBarWindow();
      continue;
    }
    auto* menu = dynamic_cast<TdxBarSubMenuControl*>(W);
    if (menu && menu->OwnerView() && menu->OwnerView()->Window() && menu->OwnerView()->Window() != W) {
      W = menu->OwnerView()->Window();
      continue;
    }
    break;
  }
  return W;
}

TCustomdxBarControl* RootToolbarWindow(TCustomdxBarControl* W) {
  TCustomdxBarControl* r = RootBarWindow(W);
  return r && !r->IsMenuWindow() ? r : nullptr;
}
TCustomdxBarControl* RootBarWindowOfView(TdxBarItemControl* V) { return V ? RootBarWindow(V->Window()) : nullptr; }
TCustomdxBarControl* RootToolbarOfView(TdxBarItemControl* V) { return V ? RootToolbarWindow(V->Window()) : nullptr; }

TWinControl* ControlOfWindow(HWND Wnd) { return Wnd ? FindOwningWinControl(Wnd) : nullptr; }

bool IsAncestorWindow(HWND Wnd, HWND Ancestor) {
  if (!Wnd || !Ancestor) return false;
  for (HWND p = GetParent(Wnd); p; p = GetParent(p))
    if (p == Ancestor) return true;
  return false;
}

HWND DeepChildWindowFromPoint(HWND Wnd, POINT P) {
  for (;;) {
    HWND child = ChildWindowFromPointEx(Wnd, P, CWP_SKIPINVISIBLE);
    if (!child || child == Wnd) return Wnd;
    MapWindowPoints(Wnd, child, &P, 1);
    Wnd = child;
  }
}

HWND DeepWindowFromPoint(POINT P) {
  HWND w = WindowFromPoint(P);
  if (!w) return nullptr;
  POINT c = P;
  ScreenToClient(w, &c);
  return DeepChildWindowFromPoint(w, c);
}

bool IsVerticalToolbar(TCustomdxBarControl* W) {
  return W && W->IsToolbarWindow() && (W->DockingStyleOfWindow() == dsLeft || W->DockingStyleOfWindow() == dsRight);
}

bool RotatesWindowItems(TCustomdxBarControl* W) {
  auto* t = dynamic_cast<TdxBarControl*>(W);
  return IsVerticalToolbar(W) && t && t->Bar()->RotateWhenVertical();
}

TRect GetWorkAreaAt(POINT P) {
  auto& s = S();
  using TMonitorFromPoint = HMONITOR(WINAPI*)(POINT, DWORD);
  using TGetMonitorInfoA = BOOL(WINAPI*)(HMONITOR, LPMONITORINFO);
  TMonitorFromPoint fromPoint = nullptr;
  TGetMonitorInfoA info = nullptr;
  if (s.user32) {
    fromPoint = reinterpret_cast<TMonitorFromPoint>(reinterpret_cast<void*>(GetProcAddress(s.user32, "MonitorFromPoint")));
    info = reinterpret_cast<TGetMonitorInfoA>(reinterpret_cast<void*>(GetProcAddress(s.user32, "GetMonitorInfoA")));
  }
  TRect r;
  if (fromPoint && info) {
    MONITORINFO mi{};
    mi.cbSize = sizeof(mi);
    if (info(fromPoint(P, MONITOR_DEFAULTTONEAREST), &mi)) {
      r = Rect(mi.rcWork.left, mi.rcWork.top, mi.rcWork.right, mi.rcWork.bottom);
      return r;
    }
  }
  SystemParametersInfoW(SPI_GETWORKAREA, 0, r.AsRECT(), 0);
  return r;
}

Integer SmallCaptionHeight() { return GetSystemMetrics(SM_CYSMCAPTION); }

void ClampItemWidth(Integer& W) {
  if (W < 20) W = 20;
  if (W > 600) W = 600;
}

TdxBarItemVisible VisibleFromBoolean(bool Flag) { return Flag ? ivAlways : ivNever; }

bool LogicalLeftButtonDown() {
  return GetAsyncKeyState(GetSystemMetrics(SM_SWAPBUTTON) ? VK_RBUTTON : VK_LBUTTON) < 0;
}
bool LogicalRightButtonDown() {
  return GetAsyncKeyState(GetSystemMetrics(SM_SWAPBUTTON) ? VK_LBUTTON : VK_RBUTTON) < 0;
}

std::string StripAccelerators(const std::string& Text) {
  std::string s = Text;
  // Positions 1 .. length-1 (one-based): a final "&" is never examined.
  for (size_t i = 0; i + 1 < s.size(); ++i)
    if (s[i] == '&') s.erase(i, 1);
  return s;
}

void PlayMenuSound(Integer Index) {
  static const wchar_t* const names[] = {L"MenuPopup", L"MenuCommand"};
  if (Index < 0 || Index > 1) return;
  S().lastSound = Index == 0 ? "MenuPopup" : "MenuCommand";
  PlaySoundW(names[Index], nullptr, SND_ALIAS | SND_ASYNC | SND_NODEFAULT | SND_NOSTOP | SND_NOWAIT);
}

std::string LastMenuSound() { return S().lastSound; }

namespace {
void PumpRange(UINT First, UINT Last) {
  MSG msg;
  for (;;) {
    BOOL got = PeekMessageW(&msg, nullptr, First, Last, PM_REMOVE);
    if (!got) return;
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}
}  // namespace

void PumpMouseMessages() { PumpRange(WM_MOUSEFIRST, WM_MOUSEWHEEL); }
void PumpPaintMessages() { PumpRange(WM_PAINT, WM_PAINT); }

// --- Mouse-leave tracking ---------------------------------------------------------
namespace {
void CALLBACK PollLeave(HWND, UINT, UINT_PTR, DWORD) {
  auto& s = S();
  if (!s.trackedWnd) return;
  POINT p;
  GetCursorPos(&p);
  if (DeepWindowFromPoint(p) != s.trackedWnd) EndMouseLeaveTracking(s.trackedWnd);
}
bool UsesTrackMouseEvent() { return S().trackMouseEvent && !S().forcePolling; }
}  // namespace

void SetMouseLeaveFallback(bool UsePolling) { S().forcePolling = UsePolling; }

void BeginMouseLeaveTracking(HWND Wnd) {
  auto& s = S();
  if (!Wnd || IsMouseLeaveTracked(Wnd)) return;
  if (UsesTrackMouseEvent()) {
    TRACKMOUSEEVENT t{sizeof(t), TME_LEAVE, Wnd, 0};
    s.trackMouseEvent(&t);
    return;
  }
  if (s.trackedWnd) EndMouseLeaveTracking(s.trackedWnd);
  s.trackedWnd = Wnd;
  s.pollTimer = SetTimer(nullptr, 0, 50, PollLeave);
}

bool IsMouseLeaveTracked(HWND Wnd) {
  auto& s = S();
  if (UsesTrackMouseEvent()) {
    TRACKMOUSEEVENT t{sizeof(t), TME_QUERY, nullptr, 0};
    if (!s.trackMouseEvent(&t)) return false;
    return t.hwndTrack == Wnd && (t.dwFlags & TME_LEAVE);
  }
  return Wnd && s.trackedWnd == Wnd;
}

void EndMouseLeaveTracking(HWND Wnd) {
  auto& s = S();
  if (!IsMouseLeaveTracked(Wnd)) return;
  if (UsesTrackMouseEvent()) {
    TRACKMOUSEEVENT t{sizeof(t), TME_LEAVE | TME_CANCEL, Wnd, 0};
    s.trackMouseEvent(&t);
  } else {
    if (s.pollTimer) KillTimer(nullptr, s.pollTimer);
    s.pollTimer = 0;
    s.trackedWnd = nullptr;
  }
  SendMessageW(Wnd, WM_MOUSELEAVE, 0, 0);
}

// --- Drawing services ---------------------------------------------------------------
TColor ShadeColor(TColor Base, Integer R, Integer G, Integer B) {
  COLORREF c = static_cast<COLORREF>(ColorToRGB(Base));
  auto clamp = [](Integer v) { return static_cast<BYTE>(std::clamp(v, 0, 255)); };
  return static_cast<TColor>(RGB(clamp(GetRValue(c) + R), clamp(GetGValue(c) + G), clamp(GetBValue(c) + B)));
}

TColor ShadeSysColor(Integer Index, Integer R, Integer G, Integer B) {
  return ShadeColor(static_cast<TColor>(GetSysColor(Index)), R, G, B);
}

TColor NearestColor(TColor Color) {
  HDC dc = GetDC(nullptr);
  COLORREF c = GetNearestColor(dc, static_cast<COLORREF>(ColorToRGB(Color)));
  ReleaseDC(nullptr, dc);
  return static_cast<TColor>(c);
}

void FrameHighlightRect(HDC DC, const TRect& R) { FrameRect(DC, R.AsRECT(), GetSysColorBrush(COLOR_HIGHLIGHT)); }

Integer ArrowSize(const TRect& R, bool Down) {
  Integer len = Down ? R.Width() - 8 : R.Height() - 6;
  Integer n = (len - 1) / 2 + ((len & 1) ? 1 : 0);
  return std::max(n, 3);
}

void DrawArrow(HDC DC, const TRect& R, bool Down, bool Flat, bool Selected, bool Enabled) {
  Integer n = ArrowSize(R, Down);
  int colorIndex = !Enabled ? COLOR_BTNSHADOW : Selected ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT;
  COLORREF color = GetSysColor(colorIndex);
  POINT p[3];
  if (Down) {
    Integer x0 = (R.Left + R.Right - 2 * n + 1) / 2, y0 = (R.Top + R.Bottom - n) / 2;
    p[0] = {x0, y0};
    p[1] = {x0 + 2 * n - 2, y0};
    p[2] = {x0 + n - 1, y0 + n - 1};
  } else {
    Integer x0 = (R.Left + R.Right - n) / 2, y0 = (R.Top + R.Bottom - 2 * n + 1) / 2;
    p[0] = {x0, y0};
    p[1] = {x0, y0 + 2 * n - 2};
    p[2] = {x0 + n - 1, y0 + n - 1};
  }
  if (!Enabled && !Flat) {
    // Embossed edge: highlight lines along the lower-right side, one pixel outside.
    HPEN hp = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
    HGDIOBJ old = SelectObject(DC, hp);
    if (Down) {
      MoveToEx(DC, p[1].x + 1, p[1].y, nullptr);
      LineTo(DC, p[2].x, p[2].y + 1);
      MoveToEx(DC, p[1].x + 1, p[1].y + 1, nullptr);
      LineTo(DC, p[2].x + 1, p[2].y + 1);
    } else {
      MoveToEx(DC, p[1].x, p[1].y + 1, nullptr);
      LineTo(DC, p[2].x + 1, p[2].y);
      MoveToEx(DC, p[1].x + 1, p[1].y + 1, nullptr);
      LineTo(DC, p[2].x + 1, p[2].y + 1);
    }
    SelectObject(DC, old);
    DeleteObject(hp);
  }
  HPEN pen = CreatePen(PS_SOLID, 1, color);
  HBRUSH brush = CreateSolidBrush(color);
  HGDIOBJ op = SelectObject(DC, pen), ob = SelectObject(DC, brush);
  Polygon(DC, p, 3);
  SelectObject(DC, op);
  SelectObject(DC, ob);
  DeleteObject(pen);
  DeleteObject(brush);
}

namespace {
// A 24-bit DIB section of W x H with its bits.
struct TDib {
  HBITMAP bmp = nullptr;
  uint8_t* bits = nullptr;
  Integer w = 0, h = 0, stride = 0;
  TDib(Integer W, Integer H) : w(W), h(H) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = W;
    bi.bmiHeader.biHeight = -H;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* p = nullptr;
    bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &p, nullptr, 0);
    bits = static_cast<uint8_t*>(p);
    stride = ((W * 3 + 3) / 4) * 4;
  }
  ~TDib() {
    if (bmp) DeleteObject(bmp);
  }
  COLORREF Get(Integer x, Integer y) const {
    const uint8_t* q = bits + y * stride + x * 3;
    return RGB(q[2], q[1], q[0]);
  }
  void Set(Integer x, Integer y, COLORREF c) {
    uint8_t* q = bits + y * stride + x * 3;
    q[0] = GetBValue(c);
    q[1] = GetGValue(c);
    q[2] = GetRValue(c);
  }
};

// Draws Src (W x H, with transparent colour Key) onto Dst at (X, Y) with colour
// replaced: Mode 0 = the pixels themselves, 1 = a solid colour silhouette.
void BlendOnto(HDC Dst, Integer X, Integer Y, const TDib& Src, COLORREF Key, bool Solid, COLORREF Color) {
  for (Integer y = 0; y < Src.h; ++y)
    for (Integer x = 0; x < Src.w; ++x) {
      COLORREF c = Src.Get(x, y);
      if (c == Key) continue;
      SetPixel(Dst, X + x, Y + y, Solid ? Color : c);
    }
}
}  // namespace

void DrawBarGlyph(HDC DC, HBRUSH Background, const TRect& Area, TColor ImageListBkColor, bool Down, bool Hot,
                  bool Flat, bool Greyed, bool Enabled, Integer ImageIndex, TCustomImageList* Images,
                  TBitmap* Bitmap, const TRect& GlyphRect) {
  Integer aw = Area.Width(), ah = Area.Height();
  if (aw <= 0 || ah <= 0) return;
  bool fromBitmap = Bitmap && !Bitmap->Empty();
  if (!fromBitmap && !(Images && ImageIndex >= 0 && ImageIndex < Images->Count())) return;
  Integer gw = fromBitmap ? Bitmap->Width() : Images->Width();
  Integer gh = fromBitmap ? Bitmap->Height() : Images->Height();
  // The glyph as 24-bit pixels with its transparent key colour.
  TDib glyph(gw, gh);
  HDC mem = CreateCompatibleDC(DC);
  HGDIOBJ oldBmp = SelectObject(mem, glyph.bmp);
  COLORREF key;
  if (fromBitmap) {
    HDC src = CreateCompatibleDC(DC);
    HGDIOBJ o = SelectObject(src, Bitmap->Handle());
    BitBlt(mem, 0, 0, gw, gh, src, 0, 0, SRCCOPY);
    SelectObject(src, o);
    DeleteDC(src);
    GdiFlush();
    key = glyph.Get(0, gh - 1);
  } else {
    key = static_cast<COLORREF>(ColorToRGB(Enabled ? ImageListBkColor : clWhite));
    HBRUSH b = CreateSolidBrush(key);
    RECT all{0, 0, gw, gh};
    FillRect(mem, &all, b);
    DeleteObject(b);
    ImageList_Draw(Images->Handle(), ImageIndex, mem, 0, 0, ILD_TRANSPARENT);
    GdiFlush();
  }
  SelectObject(mem, oldBmp);
  // The off-screen area, filled with the background.
  TDib area(aw, ah);
  oldBmp = SelectObject(mem, area.bmp);
  RECT ar{0, 0, aw, ah};
  FillRect(mem, &ar, Background);
  Integer gx = GlyphRect.Left - Area.Left, gy = GlyphRect.Top - Area.Top;
  if (Enabled) {
    if (Greyed)
      for (Integer y = 0; y < gh; ++y)
        for (Integer x = 0; x < gw; ++x) {
          COLORREF c = glyph.Get(x, y);
          if (c == key) continue;
          BYTE m = static_cast<BYTE>((GetRValue(c) + GetGValue(c) + GetBValue(c)) / 3);
          glyph.Set(x, y, RGB(m, m, m));
        }
    if (Hot && Flat && !Down) {
      --gx;
      --gy;
      BlendOnto(mem, gx + 2, gy + 2, glyph, key, true, GetSysColor(COLOR_BTNSHADOW));
    }
    BlendOnto(mem, gx, gy, glyph, key, false, 0);
  } else {
    if (!Flat) BlendOnto(mem, gx + 1, gy + 1, glyph, key, true, GetSysColor(COLOR_BTNHIGHLIGHT));
    BlendOnto(mem, gx, gy, glyph, key, true, GetSysColor(COLOR_BTNSHADOW));
  }
  BitBlt(DC, Area.Left, Area.Top, aw, ah, mem, 0, 0, SRCCOPY);
  SelectObject(mem, oldBmp);
  DeleteDC(mem);
}

void FillVerticalGradient(TCanvas* Canvas, const TRect& R, TColor Start, TColor End) {
  COLORREF a = static_cast<COLORREF>(ColorToRGB(Start)), b = static_cast<COLORREF>(ColorToRGB(End));
  Integer h = R.Height();
  Integer top = R.Top;
  for (Integer i = 0; i < 256; ++i) {
    Integer bottom = R.Top + MulDiv(i + 1, h, 256);
    COLORREF c = RGB(GetRValue(a) + MulDiv(i, GetRValue(b) - GetRValue(a), 255),
                     GetGValue(a) + MulDiv(i, GetGValue(b) - GetGValue(a), 255),
                     GetBValue(a) + MulDiv(i, GetBValue(b) - GetBValue(a), 255));
    if (bottom > top) {
      HBRUSH br = CreateSolidBrush(c);
      RECT band{R.Left, top, R.Right, bottom};
      FillRect(Canvas->Handle(), &band, br);
      DeleteObject(br);
    }
    top = bottom;
  }
}

HBRUSH CheckerBrush() { return S().checkerBrush; }

void CreateCheckerBrush() {
  auto& s = S();
  TDib dib(8, 8);
  COLORREF hi = GetSysColor(COLOR_BTNHIGHLIGHT), face = GetSysColor(COLOR_BTNFACE);
  for (Integer y = 0; y < 8; ++y)
    for (Integer x = 0; x < 8; ++x) dib.Set(x, y, (x % 2) == (y % 2) ? face : hi);
  HBRUSH b = CreatePatternBrush(dib.bmp);
  if (s.checkerBrush) DeleteObject(s.checkerBrush);
  s.checkerBrush = b;
}

HFONT CopyFont(HFONT Font) {
  LOGFONTW lf{};
  GetObjectW(Font, sizeof(lf), &lf);
  return CreateFontIndirectW(&lf);
}

void CreateBarFont(TFont* Font, HFONT& Handle, bool Scaled) {
  if (Handle) DeleteObject(Handle);
  LOGFONTW lf{};
  GetObjectW(Font->Handle(), sizeof(lf), &lf);
  if (Scaled) {
    LOGFONTW icon{};
    SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof(icon), &icon, 0);
    lf.lfHeight = icon.lfHeight;
    if (lf.lfHeight > -11) lf.lfHeight = -11;
  }
  Handle = CreateFontIndirectW(&lf);
}

Integer BarTextWidth(TCustomdxBarControl* W, const std::string& Text) {
  if (!W || !W->HandleAllocated()) return 0;
  std::wstring w = Utf8ToWide(Text);
  HDC dc = GetDC(W->Handle());
  HGDIOBJ o = SelectObject(dc, W->FontHandle());
  SIZE sz{};
  GetTextExtentPoint32W(dc, w.c_str(), static_cast<int>(w.size()), &sz);
  SelectObject(dc, o);
  ReleaseDC(W->Handle(), dc);
  return sz.cx;
}
