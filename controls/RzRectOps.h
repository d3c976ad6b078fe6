// In-place rectangle arithmetic used by the painters of the buttons, edits
// and combo boxes.
#pragma once

#include "platform/System.h"

// Moves every edge inwards by (-DX, -DY): negative values shrink.
inline void InflateBy(TRect& R, Integer DX, Integer DY) {
  R.Left -= DX;
  R.Top -= DY;
  R.Right += DX;
  R.Bottom += DY;
}

inline void OffsetBy(TRect& R, Integer DX, Integer DY) {
  R.Left += DX;
  R.Top += DY;
  R.Right += DX;
  R.Bottom += DY;
}

// Left and top edges inclusive, right and bottom exclusive.
inline bool RectContains(const TRect& R, Integer X, Integer Y) {
  return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom;
}
