// Helpers of the image view tests: a shown form holding a view, pictures with
// a distinct colour per pixel, and a capture of what the view paints.
#pragma once

#include <memory>
#include <string>

#include "imaging/views/ruzozadview.h"
#include "platform/Forms.h"
#include "tests/support/png_writer.h"
#include "tests/support/ui.h"

namespace viewtest {

// The colour of picture pixel (x, y): neighbours always differ.
inline COLORREF PictureColor(Integer X, Integer Y) {
  return RGB((X * 7 + Y) & 255, (Y * 5 + 3 * X) & 255, (X * Y + 40) & 255);
}

// A 24-bit picture of W x H with PictureColor pixels.
inline std::unique_ptr<TBitmap> MakePicture(Integer W, Integer H) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(W, H);
  for (Integer y = 0; y < H; ++y) {
    Byte* row = static_cast<Byte*>(b->ScanLine(y));
    for (Integer x = 0; x < W; ++x) {
      const COLORREF c = PictureColor(x, y);
      row[3 * x] = GetBValue(c);
      row[3 * x + 1] = GetGValue(c);
      row[3 * x + 2] = GetRValue(c);
    }
  }
  return b;
}

// A borderless form of W x H with a view filling it.
struct TViewForm {
  std::unique_ptr<TForm> form;
  TRuzozAdView* view = nullptr;
  explicit TViewForm(Integer W = 200, Integer H = 150, TBorderStyle ViewBorder = bsNone) {
    form.reset(testui::NewForm(W, H));
    view = new TRuzozAdView(form.get());
    view->SetParent(form.get());
    view->SetBorderStyle(ViewBorder);
    view->SetBounds(0, 0, W, H);
    form->Show();
    Application->ProcessMessages();
  }
  void Load(TBitmap* Picture) {
    view->Assign(Picture);
    Application->ProcessMessages();
  }
};

// The view's client area as it paints it (through its own paint handler).
inline std::unique_ptr<TBitmap> Capture(TRuzozAdView* View) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(View->ClientWidth(), View->ClientHeight());
  View->PaintTo(b->Canvas()->Handle(), 0, 0);
  return b;
}

inline COLORREF PixelOf(TBitmap* B, Integer X, Integer Y) {
  const Byte* p = static_cast<const Byte*>(B->ScanLine(Y)) + 3 * X;
  return RGB(p[2], p[1], p[0]);
}

}  // namespace viewtest
