// A shown form with a bar manager, a toolbar docked at the top and sub items
// with menus built in code, for the menu window, sub item and animation tests;
// with real-input helpers (SendInput moves and clicks, posted keys) and
// pictures of windows.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "bars/dxBar.h"
#include "tests/support/png_writer.h"
#include "tests/support/ui.h"

namespace menutest {

struct TMenuModel {
  std::unique_ptr<TForm> form;
  TdxBarManager* manager = nullptr;
  TdxBar* bar = nullptr;
  std::vector<std::string> log;

  explicit TMenuModel(TdxBarManagerStyle Style = bmsStandard, Integer W = 420, Integer H = 260, Integer X = 60,
                      Integer Y = 60) {
    form.reset(testui::NewForm(W, H, X, Y));
    manager = new TdxBarManager(form.get());
    manager->SetStyle(Style);
    manager->OnClickItem = [this](TObject*, TdxBarItem* I) { log.push_back("item:" + I->Name()); };
    bar = manager->Bars()->Add();
    bar->SetCaption("Menu");
    bar->SetName("Menu");
    bar->SetDockingStyle(dsTop);
    form->Show();
    SetForegroundWindow(form->Handle());
    Application->ProcessMessages();
  }
  ~TMenuModel() {
    form.reset();
    Application->ProcessMessages();
  }

  TdxBarButton* Button(const std::string& Name, const std::string& Caption = "") {
    auto* b = new TdxBarButton(form.get());
    b->SetName(Name);
    b->SetCaption(Caption.empty() ? Name : Caption);
    b->SetCategory(0);
    b->OnClick = [this](TObject* S) { log.push_back("click:" + static_cast<TComponent*>(S)->Name()); };
    return b;
  }
  TdxBarSubItem* Sub(const std::string& Name, const std::string& Caption = "") {
    auto* s = new TdxBarSubItem(form.get());
    s->SetName(Name);
    s->SetCaption(Caption.empty() ? Name : Caption);
    s->SetCategory(0);
    s->OnPopup = [this](TObject* S) { log.push_back("popup:" + static_cast<TComponent*>(S)->Name()); };
    s->OnClick = [this](TObject* S) { log.push_back("click:" + static_cast<TComponent*>(S)->Name()); };
    s->OnCloseUp = [this](TObject* S) { log.push_back("closeup:" + static_cast<TComponent*>(S)->Name()); };
    return s;
  }
  static TdxBarItemLink* Add(TdxBarItemLinks* Links, TdxBarItem* Item, bool BeginGroup = false) {
    TdxBarItemLink* l = Links->Add();
    l->SetItem(Item);
    l->SetBeginGroup(BeginGroup);
    return l;
  }
  TdxBarItemLink* OnBar(TdxBarItem* Item) {
    TdxBarItemLink* l = Add(bar->ItemLinks(), Item);
    return l;
  }
  void ShowBar() {
    bar->SetVisible(true);
    Application->ProcessMessages();
  }
  // Opens a sub item's menu as a root menu at a screen point.
  static TdxBarSubMenuControl* OpenAt(TdxBarSubItem* Sub, Integer X, Integer Y, bool Animate = false) {
    auto* w = static_cast<TdxBarSubMenuControl*>(Sub->ItemLinks()->CreateBarWindow());
    w->Animate = Animate;
    w->ShowAt(X, Y);
    Application->ProcessMessages();
    return Sub->MenuWindow();
  }
  void Clear() { log.clear(); }
};

inline TPoint RowCenter(TdxBarSubMenuControl* M, TdxBarItemLink* L) {
  TRect r = L->ItemRect;
  return M->ClientToScreen(Point((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2));
}

inline TRect WindowRectOf(TWinControl* W) {
  RECT r;
  GetWindowRect(W->Handle(), &r);
  return Rect(r.left, r.top, r.right, r.bottom);
}

// Moves the real pointer (absolute move through the input queue) and lets the windows react.
inline void MoveMouseTo(TPoint P, int PumpMs = 40) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  Integer sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  in.mi.dx = static_cast<LONG>((static_cast<int64_t>(P.X) * 65536 + sw - 1) / sw);
  in.mi.dy = static_cast<LONG>((static_cast<int64_t>(P.Y) * 65536 + sh - 1) / sh);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof(INPUT));
  testui::PumpUntil([] { return false; }, PumpMs);
}

inline void ClickAt(TPoint P) {
  MoveMouseTo(P);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(1, &in[0], sizeof(INPUT));
  testui::PumpUntil([] { return false; }, 40);
  SendInput(1, &in[1], sizeof(INPUT));
  testui::PumpUntil([] { return false; }, 60);
}

// A key posted to a window (the way the thread hook hands keys to the active bar window).
inline void Key(TCustomdxBarControl* W, Word K) {
  PostMessageW(W->Handle(), WM_KEYDOWN, K, 1);
  Application->ProcessMessages();
}

// The client area as the window paints it (WM_PAINT into a bitmap).
inline std::unique_ptr<TBitmap> Snapshot(TCustomdxBarControl* W) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(W->ClientWidth(), W->ClientHeight());
  W->Perform(WM_PAINT, reinterpret_cast<WPARAM>(bmp->Canvas()->Handle()), 0);
  return bmp;
}

// The client area as it is on the window now (read back from its DC).
inline std::unique_ptr<TBitmap> Grab(TWinControl* W) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  RECT cr;
  GetClientRect(W->Handle(), &cr);
  bmp->SetSize(cr.right, cr.bottom);
  HDC dc = GetDC(W->Handle());
  BitBlt(bmp->Canvas()->Handle(), 0, 0, cr.right, cr.bottom, dc, 0, 0, SRCCOPY);
  ReleaseDC(W->Handle(), dc);
  return bmp;
}

inline COLORREF Px(TBitmap* B, Integer X, Integer Y) {
  return static_cast<COLORREF>(B->Canvas()->Pixels(X, Y)) & 0xFFFFFF;
}
inline COLORREF Sys(int I) { return GetSysColor(I) & 0xFFFFFF; }
inline COLORREF BrushColor(HBRUSH B) {
  LOGBRUSH lb{};
  GetObjectW(B, sizeof(lb), &lb);
  return lb.lbColor & 0xFFFFFF;
}

// Pixels that differ between two pictures of the same size (or -1 when the sizes differ).
inline Integer DifferentPixels(TBitmap* A, TBitmap* B) {
  if (A->Width() != B->Width() || A->Height() != B->Height()) return -1;
  Integer n = 0;
  for (Integer y = 0; y < A->Height(); ++y)
    for (Integer x = 0; x < A->Width(); ++x)
      if (Px(A, x, y) != Px(B, x, y)) ++n;
  return n;
}

// How many pixels of a rectangle have a colour.
inline Integer CountColor(TBitmap* B, const TRect& R, COLORREF C) {
  Integer n = 0;
  for (Integer y = std::max<Integer>(R.Top, 0); y < std::min<Integer>(R.Bottom, B->Height()); ++y)
    for (Integer x = std::max<Integer>(R.Left, 0); x < std::min<Integer>(R.Right, B->Width()); ++x)
      if (Px(B, x, y) == C) ++n;
  return n;
}

}  // namespace menutest
