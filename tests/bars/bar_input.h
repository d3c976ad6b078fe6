// Real input for the bar tests: keys and mouse buttons through SendInput,
// so they pass the thread hooks as a person's input does.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <vector>

#include "bars/dxBar.h"
#include "platform/Forms.h"
#include "platform/Timer.h"
#include "tests/support/ui.h"

namespace barinput {

inline void Settle(int Ms = 40) { testui::PumpUntil([] { return false; }, Ms); }

inline void Key(Word Vk, bool Up) {
  INPUT in = {};
  in.type = INPUT_KEYBOARD;
  in.ki.wVk = Vk;
  in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(Vk, MAPVK_VK_TO_VSC));
  in.ki.dwFlags = Up ? KEYEVENTF_KEYUP : 0;
  SendInput(1, &in, sizeof(INPUT));
}

// Presses the modifiers, taps the key, releases the modifiers (in reverse),
// each handled before the next as when a person types.
inline void Chord(std::initializer_list<Word> Mods, Word Vk) {
  for (Word m : Mods) {
    Key(m, false);
    Settle(15);
  }
  Key(Vk, false);
  Settle(15);
  Key(Vk, true);
  Settle(15);
  for (auto it = std::rbegin(Mods); it != std::rend(Mods); ++it) {
    Key(*it, true);
    Settle(15);
  }
  Settle();
}

inline void Tap(Word Vk) { Chord({}, Vk); }

inline void MoveTo(TPoint P) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  Integer sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  in.mi.dx = static_cast<LONG>((static_cast<int64_t>(P.X) * 65536 + sw - 1) / sw);
  in.mi.dy = static_cast<LONG>((static_cast<int64_t>(P.Y) * 65536 + sh - 1) / sh);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof(INPUT));
}

inline void Button(DWORD Flag) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = Flag;
  SendInput(1, &in, sizeof(INPUT));
}

// A left click at a screen point, with the messages handled in between.
inline void Click(TPoint P, bool Right = false) {
  MoveTo(P);
  Settle(30);
  Button(Right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
  Settle(30);
  Button(Right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
  Settle(60);
}

// The same input queued without pumping: for a modal loop started later by
// the caller (the loop then handles it).
inline void QueueClick(TPoint P, bool Right = false) {
  MoveTo(P);
  Button(Right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
  Button(Right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
}

// A mouse drag as a person does it: press at From, move in steps through Via
// to To, release. The steps run from a short timer, so they go on while a
// drag loop of the window pumps the messages; Between runs after each step.
inline bool Drag(TPoint From, std::vector<TPoint> Via, TPoint To, std::function<void()> Between = nullptr) {
  std::vector<std::function<void()>> steps;
  steps.push_back([=] { MoveTo(From); });
  steps.push_back([] { Button(MOUSEEVENTF_LEFTDOWN); });
  Via.push_back(To);
  TPoint at = From;
  for (TPoint p : Via) {
    for (int k = 1; k <= 4; ++k)
      steps.push_back([=] { MoveTo(Point(at.X + (p.X - at.X) * k / 4, at.Y + (p.Y - at.Y) * k / 4)); });
    steps.push_back([=] { MoveTo(Point(p.X + 1, p.Y)); });
    steps.push_back([=] { MoveTo(p); });
    at = p;
  }
  steps.push_back([] { Button(MOUSEEVENTF_LEFTUP); });
  size_t next = 0;
  TTimer timer(nullptr);
  timer.SetInterval(40);
  timer.OnTimer = [&](TObject*) {
    if (next < steps.size()) steps[next++]();
    if (Between) Between();
  };
  timer.SetEnabled(true);
  bool done = testui::PumpUntil([&] { return next >= steps.size(); }, 8000);
  timer.SetEnabled(false);
  testui::PumpUntil([] { return false; }, 120);
  return done;
}

// The screen centre of an item's entry in a bar or menu window.
inline TPoint EntryCenter(TCustomdxBarControl* W, TdxBarItem* I) {
  for (TdxBarItemLink* l : W->ItemLinks()->ShownLinks())
    if (l->Item() == I)
      return W->ClientToScreen(Point((l->ItemRect.Left + l->ItemRect.Right) / 2,
                                     (l->ItemRect.Top + l->ItemRect.Bottom) / 2));
  ADD_FAILURE() << "not shown: " << I->Name();
  return Point(-1, -1);
}

inline void Activate(TForm* F) {
  F->Show();
  SetForegroundWindow(F->Handle());
  SetActiveWindow(F->Handle());
  Settle(60);
}

}  // namespace barinput
