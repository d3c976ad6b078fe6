// The mouse object, cursor changes that show at once, the cancel-mode
// notification, and characters as KeyPress sees them.
#include "platform/Controls.h"
#include "platform/Forms.h"

namespace {
TMouse mouse;
}  // namespace

TMouse* Mouse = &mouse;

void TMouse::SetCapture(HWND Value) {
  if (Value)
    ::SetCapture(Value);
  else
    ::ReleaseCapture();
}

TPoint TMouse::CursorPos() const {
  POINT p{0, 0};
  ::GetCursorPos(&p);
  return Point(p.x, p.y);
}

void TMouse::SetCursorPos(const TPoint& Value) { ::SetCursorPos(Value.X, Value.Y); }

bool TMouse::WheelPresent() const { return GetSystemMetrics(SM_MOUSEWHEELPRESENT) != 0; }

Integer TMouse::WheelScrollLines() const {
  UINT lines = 0;
  if (!SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0)) return 3;
  return static_cast<Integer>(lines);
}

// -------------------------------------------------------------------------------
void TControl::CMCursorChanged(TMessage&) {
  // While some window holds the mouse, the cursor is that window's business.
  if (GetCapture()) return;
  POINT p;
  if (!GetCursorPos(&p) || FindDragTarget(Point(p.x, p.y), false) != this) return;
  auto* w = dynamic_cast<TWinControl*>(this);
  if (!w) w = parent_;
  if (!w || !w->HandleAllocated()) return;
  HWND h = w->Handle();
  w->Perform(WM_SETCURSOR, reinterpret_cast<WPARAM>(h), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

void TControl::CMCancelMode(TMessage& Message) { DefaultHandler(Message); }

// -------------------------------------------------------------------------------
char KeyPressChar(WPARAM WideChar) {
  if (WideChar < 0x80) return static_cast<char>(WideChar);
  wchar_t w = static_cast<wchar_t>(WideChar);
  char bytes[4] = {};
  BOOL defaulted = FALSE;
  int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &w, 1, bytes, sizeof bytes, nullptr, &defaulted);
  if (n != 1 || defaulted) return '?';
  return bytes[0];
}

WPARAM KeyPressCharToWide(char Key) {
  auto b = static_cast<unsigned char>(Key);
  if (b < 0x80) return b;
  wchar_t w = 0;
  if (MultiByteToWideChar(CP_ACP, 0, &Key, 1, &w, 1) != 1) return b;
  return static_cast<WPARAM>(w);
}
