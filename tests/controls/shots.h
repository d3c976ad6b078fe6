// Pictures of styled controls as a person sees them: the form is painted now
// and what lies under a control (non-client area included) is copied out of
// the window surface; a sheet puts labelled pictures side by side for a PNG.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Controls.h"
#include "platform/Forms.h"
#include "platform/Graphics.h"
#include "tests/support/png_writer.h"

namespace testshots {

// Shows the form as the active window, so that its controls can take the
// focus whatever another test process left in the foreground.
inline void SettleInput(DWORD Ms = 100);

inline void ShowActive(TForm* F) {
  F->Show();
  ::SetForegroundWindow(F->Handle());
  ::SetActiveWindow(F->Handle());
  SettleInput(50);
}

// Runs the message loop for a while, so that every input event sent so far
// (SendInput) has reached its window before the next step or test.
inline void SettleInput(DWORD Ms) {
  DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < Ms) {
    Application->ProcessMessages();
    ::Sleep(5);
  }
}

// Puts the real pointer where a posted mouse message says it is: the moves
// the system makes up when the capture changes then agree with the message
// (another test process may have left the pointer anywhere).
inline void PointAt(TControl* C, Integer X, Integer Y) {
  TPoint p = C->ClientToScreen(Point(X, Y));
  ::SetCursorPos(p.X, p.Y);
}

// Repaints every window of the control's form at once.
inline void PaintNow(TControl* C) {
  TControl* top = C;
  while (top->Parent()) top = top->Parent();
  if (auto* w = dynamic_cast<TWinControl*>(top))
    ::RedrawWindow(w->Handle(), nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

// What the control shows, W x H of its bounds, copied from its parent's (or
// its own) window surface.
inline std::unique_ptr<TBitmap> Shot(TControl* C, bool Repaint = true) {
  if (Repaint) PaintNow(C);
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(C->Width(), C->Height());
  HWND wnd;
  Integer x = 0, y = 0;
  if (auto* w = dynamic_cast<TWinControl*>(C)) {
    wnd = w->Handle();
  } else {
    wnd = C->Parent()->Handle();
    x = C->Left();
    y = C->Top();
  }
  HDC dc = dynamic_cast<TWinControl*>(C) ? ::GetWindowDC(wnd) : ::GetDC(wnd);
  ::BitBlt(b->Canvas()->Handle(), 0, 0, C->Width(), C->Height(), dc, x, y, SRCCOPY);
  ::ReleaseDC(wnd, dc);
  return b;
}

inline TColor Px(TBitmap* B, Integer X, Integer Y) { return B->Canvas()->Pixels(X, Y); }

// Lets the queue deliver what a test posted.
inline void Pump() {
  for (int i = 0; i < 3; ++i) Application->ProcessMessages();
}

// A client point as a mouse message's position.
inline LPARAM At(Integer X, Integer Y) { return MAKELPARAM(X, Y); }

// Labelled pictures in rows, saved as one PNG in the working (build) folder.
class TSheet {
 public:
  void Add(const std::string& Label, TBitmap* Picture) {
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(Picture);
    items_.push_back({Label, std::move(copy)});
  }
  void NewRow() { rows_.push_back(items_.size()); }
  bool Save(const std::string& FileName) {
    rows_.push_back(items_.size());
    const Integer pad = 6, labelH = 14;
    Integer width = 0, height = pad;
    size_t begin = 0;
    std::vector<Integer> rowH;
    for (size_t end : rows_) {
      Integer w = pad, h = 0;
      for (size_t i = begin; i < end; ++i) {
        w += std::max<Integer>(items_[i].Picture->Width(), 60) + pad;
        h = std::max(h, items_[i].Picture->Height());
      }
      width = std::max(width, w);
      rowH.push_back(h + labelH);
      height += h + labelH + pad;
      begin = end;
    }
    TBitmap sheet;
    sheet.SetPixelFormat(pf24bit);
    sheet.SetSize(std::max<Integer>(width, 1), std::max<Integer>(height, 1));
    TCanvas* c = sheet.Canvas();
    c->Brush()->SetColor(static_cast<TColor>(0xE0E0E0));
    c->FillRect(Rect(0, 0, sheet.Width(), sheet.Height()));
    c->Font()->SetName("Tahoma");
    c->Font()->SetSize(7);
    Integer y = pad;
    begin = 0;
    for (size_t r = 0; r < rows_.size(); ++r) {
      Integer x = pad;
      for (size_t i = begin; i < rows_[r]; ++i) {
        c->Brush()->SetStyle(bsClear);
        c->TextOut(x, y, items_[i].Label);
        c->Brush()->SetStyle(bsSolid);
        c->Draw(x, y + labelH, items_[i].Picture.get());
        x += std::max<Integer>(items_[i].Picture->Width(), 60) + pad;
      }
      y += rowH[r] + pad;
      begin = rows_[r];
    }
    return SaveBitmapAsPng(&sheet, FileName);
  }

 private:
  struct TItem {
    std::string Label;
    std::unique_ptr<TBitmap> Picture;
  };
  std::vector<TItem> items_;
  std::vector<size_t> rows_;
};

}  // namespace testshots
