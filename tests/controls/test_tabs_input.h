// Real input for the tab, page and list tests: the pointer moved, buttons
// pressed and keys typed through SendInput, then the message loop run until
// the windows have reacted.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>
#include <vector>

#include "platform/Controls.h"
#include "platform/Forms.h"
#include "tests/controls/shots.h"
#include "tests/support/ui.h"

namespace rzinput {

inline void Settle(DWORD Ms = 60) { testshots::SettleInput(Ms); }

// An absolute move to the screen point of client point (X, Y) of C.
inline void MoveTo(TControl* C, Integer X, Integer Y) {
  TPoint p = C->ClientToScreen(Point(X, Y));
  INPUT in = {};
  in.type = INPUT_MOUSE;
  Integer sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
  in.mi.dx = static_cast<LONG>((static_cast<int64_t>(p.X) * 65536 + sw - 1) / sw);
  in.mi.dy = static_cast<LONG>((static_cast<int64_t>(p.Y) * 65536 + sh - 1) / sh);
  in.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &in, sizeof(INPUT));
  Settle();
}

inline void Button(DWORD Flags, DWORD Data = 0) {
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = Flags;
  in.mi.mouseData = Data;
  SendInput(1, &in, sizeof(INPUT));
  Settle();
}

inline void LeftDown() { Button(MOUSEEVENTF_LEFTDOWN); }
inline void LeftUp() { Button(MOUSEEVENTF_LEFTUP); }

inline void ClickAt(TControl* C, Integer X, Integer Y) {
  MoveTo(C, X, Y);
  LeftDown();
  LeftUp();
}

// Press and release go in together: a list view follows a right press in a
// loop of its own until the release arrives.
inline void RightClickAt(TControl* C, Integer X, Integer Y) {
  MoveTo(C, X, Y);
  INPUT in[2] = {};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_RIGHTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_RIGHTUP;
  SendInput(2, in, sizeof(INPUT));
  Settle();
}

// One wheel notch per step; positive steps turn the wheel away from the user.
inline void Wheel(Integer Notches) {
  Button(MOUSEEVENTF_WHEEL, static_cast<DWORD>(Notches * WHEEL_DELTA));
}

// Keys pressed in order and released in reverse order (a chord such as Ctrl+Tab).
inline void Chord(std::initializer_list<WORD> Keys) {
  std::vector<INPUT> in;
  for (WORD vk : Keys) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = vk;
    in.push_back(i);
  }
  std::vector<WORD> rev(Keys);
  for (auto it = rev.rbegin(); it != rev.rend(); ++it) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = *it;
    i.ki.dwFlags = KEYEVENTF_KEYUP;
    in.push_back(i);
  }
  SendInput(static_cast<UINT>(in.size()), in.data(), sizeof(INPUT));
  Settle();
}

inline TPoint Centre(const TRect& R) { return Point((R.Left + R.Right) / 2, (R.Top + R.Bottom) / 2); }

}  // namespace rzinput
