// Letting a control's window go without destroying it, and taking a kept
// window back as the control's window.
#include "platform/Controls.h"

const wchar_t* ControlWindowProp();  // Controls_WinControl.cpp

HWND TWinControl::DetachHandle() {
  HWND h = handle_;
  if (!h) return nullptr;
  RemovePropW(h, ControlWindowProp());
  // From now on the window class's own procedure answers: no message of the
  // kept window reaches this control, or any control being created meanwhile.
  SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(defWndProc_ ? defWndProc_ : DefWindowProcW));
  handle_ = nullptr;
  showing_ = false;
  return h;
}

void TWinControl::AttachHandle(HWND Wnd) {
  if (!Wnd || Wnd == handle_) return;
  if (!IsWindow(Wnd)) throw EInvalidOperation("Control '" + Name() + "': the window to attach does not exist");
  if (handle_) throw EInvalidOperation("Control '" + Name() + "' already has a window");
  TWinControl* owner = FindControl(Wnd);
  if (owner && owner != this)
    throw EInvalidOperation("Control '" + Name() + "': the window belongs to control '" + owner->Name() + "'");
  auto current = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Wnd, GWLP_WNDPROC));
  if (current == StdWndProc) {
    // Already ours (the class procedure put back): the default procedure is the class's.
    TCreateParams params;
    CreateParams(params);
    defWndProc_ = params.WindowClass.lpfnWndProc;
  } else {
    defWndProc_ = current;
    SetWindowLongPtrW(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWinControl::StdWndProc));
  }
  SetPropW(Wnd, ControlWindowProp(), this);
  handle_ = Wnd;
  UpdateBoundsFromWindow();
  ::SendMessageW(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(font_->Handle()), 0);
}
