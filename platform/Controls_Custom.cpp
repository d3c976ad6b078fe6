// The control canvas, TCustomControl and TGraphicControl.
#include <algorithm>
#include <vector>

#include "platform/Controls.h"
#include "platform/Forms.h"

namespace {
// Canvases holding a device context they got themselves; released once the
// outermost window message is handled.
std::vector<TControlCanvas*>& CanvasList() {
  static std::vector<TControlCanvas*> list;
  return list;
}
}  // namespace

void FreeControlCanvasDCs() {
  auto& list = CanvasList();
  while (!list.empty()) list.back()->FreeHandle();
}

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::SetControl(TControl* Value) {
  if (control_ == Value) return;
  FreeHandle();
  control_ = Value;
}

void TControlCanvas::FreeHandle() {
  if (!dc_) return;
  HDC dc = dc_;
  dc_ = nullptr;
  SetHandle(nullptr);
  ReleaseDC(wnd_, dc);
  wnd_ = nullptr;
  auto& list = CanvasList();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TControlCanvas::CreateHandle() {
  if (!control_) return;
  TWinControl* win = dynamic_cast<TWinControl*>(control_);
  TPoint offset;
  if (!win) {
    win = control_->Parent();
    if (!win) return;
    offset = Point(control_->Left(), control_->Top());
  }
  HWND wnd = win->Handle();
  HDC dc = GetDCEx(wnd, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
  if (!dc) throw EOutOfResources();
  if (!dynamic_cast<TWinControl*>(control_)) {
    SetViewportOrgEx(dc, offset.X, offset.Y, nullptr);
    IntersectClipRect(dc, 0, 0, control_->Width(), control_->Height());
  }
  dc_ = dc;
  wnd_ = wnd;
  CanvasList().push_back(this);
  SetHandle(dc);
}

// ---------------------------------------------------------------------------
TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner) {
  canvas_ = std::make_unique<TControlCanvas>();
  canvas_->SetControl(this);
}

TCustomControl::~TCustomControl() {
  // The window goes first, so no paint message reaches a canvas being freed;
  // the child windows go with it (after it).
  if (handle_) {
    try {
      if (parent_) RemoveFocus(true);
      DestroyWindowHandle();
    } catch (...) {
    }
  }
  if (parent_) parent_->RemoveControl(this);
  canvas_.reset();
}

void TCustomControl::WMPaint(TMessage& Message) {
  controlState_.Include(csCustomPaint);
  try {
    TWinControl::WMPaint(Message);
  } catch (...) {
    controlState_.Exclude(csCustomPaint);
    throw;
  }
  controlState_.Exclude(csCustomPaint);
}

void TCustomControl::PaintWindow(HDC DC) {
  canvas_->Lock();
  try {
    canvas_->FreeHandle();
    canvas_->SetHandle(DC);
    try {
      Paint();
    } catch (...) {
      canvas_->SetHandle(nullptr);
      throw;
    }
    canvas_->SetHandle(nullptr);
  } catch (...) {
    canvas_->Unlock();
    throw;
  }
  canvas_->Unlock();
}

// ---------------------------------------------------------------------------
TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner) {
  canvas_ = std::make_unique<TControlCanvas>();
  canvas_->SetControl(this);
}

TGraphicControl::~TGraphicControl() {
  if (parent_) parent_->RemoveControl(this);
  canvas_.reset();
}

void TGraphicControl::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_PAINT) {
    WMPaint(Message);
    return;
  }
  TControl::Dispatch(Message);
}

void TGraphicControl::WMPaint(TMessage& Message) {
  HDC dc = reinterpret_cast<HDC>(Message.WParam);
  if (!dc) return;
  canvas_->Lock();
  try {
    canvas_->FreeHandle();
    canvas_->SetHandle(dc);
    try {
      Paint();
    } catch (...) {
      canvas_->SetHandle(nullptr);
      throw;
    }
    canvas_->SetHandle(nullptr);
  } catch (...) {
    canvas_->Unlock();
    throw;
  }
  canvas_->Unlock();
}
