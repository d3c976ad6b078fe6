// TRuzozAdView: the selection (the model is TIESelection, ieselection.h):
// the public operations in client or image coordinates, the outline drawing
// of the timer and of Paint, and the stored form the processing component
// keeps for its view-state undo.
#include <algorithm>

#include "imaging/views/ruzozadview.h"
#include "platform/Classes.h"
#include "platform/Forms.h"
#include "platform/Timer.h"

namespace {

// The view's own mapping, as the selection model asks for it.
struct TViewMapping : IIESelectionMapping {
  TRuzozAdView* View;
  explicit TViewMapping(TRuzozAdView* V) : View(V) {}
  Integer ClientToBitmapX(Integer X) override { return View->ClientToBitmapX(X); }
  Integer ClientToBitmapY(Integer Y) override { return View->ClientToBitmapY(Y); }
  Integer BitmapToClientX(Integer X) override { return View->BitmapToClientX(X); }
  Integer BitmapToClientY(Integer Y) override { return View->BitmapToClientY(Y); }
};

}  // namespace

void TRuzozAdView::SetSelectionOptions(TIESelectionOptions Value) {
  sel_->SetOptions(Value);
  Update();
}

void TRuzozAdView::RerenderAndPaint() {
  reRender_ = true;
  fullRepaint_ = true;
  Paint();
}

// ---------------------------------------------------------------------------
// Operations in client coordinates (or image ones with iesbBitmap).

void TRuzozAdView::BuildRectSelection(Integer X1, Integer Y1, Integer X2, Integer Y2, bool Add, bool Square) {
  if (X1 == X2 || Y1 == Y2) return;
  if (sel_->Base() == iesbClientArea) {
    X1 = ClientToBitmapX(X1);
    Y1 = ClientToBitmapY(Y1);
    X2 = ClientToBitmapX(X2);
    Y2 = ClientToBitmapY(Y2);
  }
  if (sel_->BuildRect(X1, Y1, X2, Y2, Add, Square)) DrawSelections(this, false);
}

void TRuzozAdView::SelectRect(Integer X1, Integer Y1, Integer X2, Integer Y2, bool Add) {
  if (X1 == X2 || Y1 == Y2) return;
  BuildRectSelection(X1, Y1, X2, Y2, Add, false);
  if (!Add) sel_->Mask()->ClearMask();
  PolygonToMask();
  RerenderAndPaint();
}

void TRuzozAdView::AddClientPoint(Integer X, Integer Y) {
  if (sel_->Base() == iesbClientArea)
    sel_->AddPoint(ClientToBitmapX(X), ClientToBitmapY(Y), true);
  else
    sel_->AddPoint(X, Y, false);
  if (lockCount_ == 0) Paint();
  DrawSelections(this, false);
}

void TRuzozAdView::AddSelectionPoint(Integer X, Integer Y) {
  AddClientPoint(X, Y);
  if (sel_->PointCount() > 2) {
    sel_->Mask()->ClearMask();
    PolygonToMask();
  }
  RerenderAndPaint();
}

void TRuzozAdView::PolygonToMask() { sel_->PolygonToMask(); }

void TRuzozAdView::EllipseSelection(TPoint Centre, TPoint Corner, bool Circle, bool Add, Integer KeepCount) {
  Integer rx = std::abs(Corner.X - Centre.X), ry = std::abs(Corner.Y - Centre.Y);
  if (Circle) rx = ry = std::max(rx, ry);
  const Integer irx = static_cast<Integer>(Trunc(rx * invFactor_));
  const Integer iry = static_cast<Integer>(Trunc(ry * invFactor_));
  sel_->BuildEllipse(ClientToBitmapX(Centre.X), ClientToBitmapY(Centre.Y), irx, iry, Add, KeepCount);
  Paint();
}

Integer TRuzozAdView::ResizeByGrip(Integer Grip, Integer X, Integer Y, bool KeepAspect) {
  const Integer grip = sel_->ResizeByGrip(Grip, ClientToBitmapX(X), ClientToBitmapY(Y), KeepAspect);
  Paint();
  return grip;
}

void TRuzozAdView::MoveSelection(Integer DX, Integer DY) {
  sel_->MoveSelection(DX, DY);
  Paint();
}

Integer TRuzozAdView::HitGrip(Integer X, Integer Y, bool Shift) {
  TViewMapping map(this);
  return sel_->HitGrip(X, Y, Shift, map);
}

Integer TRuzozAdView::HitSelection(Integer X, Integer Y, bool Shift) {
  return sel_->HitSelection(ClientToBitmapX(X), ClientToBitmapY(Y), Shift);
}

void TRuzozAdView::MagicWandSelect(Integer X, Integer Y, bool Add) {
  if (sel_->Base() == iesbClientArea) {
    X = ClientToBitmapX(X);
    Y = ClientToBitmapY(Y);
  }
  // The wand reads the shown picture: only a 24-bit one of the mask's size.
  sel_->MagicWand(current_, X, Y, Add);
  RerenderAndPaint();
}

void TRuzozAdView::ClearSelection() {
  if (sel_->Exists()) {
    sel_->SetVisible(false);
    sel_->Clear();
    RerenderAndPaint();
  } else {
    sel_->Clear();
  }
  SetCursor(ViewCursor());
}

void TRuzozAdView::ZoomToSelection() {
  if (!sel_->Exists()) return;
  const Integer l = sel_->SelectionLeft(), t = sel_->SelectionTop();
  const Integer w = sel_->SelectionRight() - l + 1, h = sel_->SelectionBottom() - t + 1;
  if (l < 0 || t < 0 || w < 2 || h < 2) return;
  SuspendRefresh();
  ClearSelection();
  SetZoom(std::min(Height() / (h / 100.0), Width() / (w / 100.0)));
  const double f = zoom_ / 100.0;
  SetScrollXY(static_cast<Integer>(Trunc(l * f)) - (ViewClientWidth() - static_cast<Integer>(Trunc(w * f))) / 2,
              static_cast<Integer>(Trunc(t * f)) - (ViewClientHeight() - static_cast<Integer>(Trunc(h * f))) / 2);
  ResumeRefresh();
}

bool TRuzozAdView::PopSelectionState() {
  const bool done = sel_->PopState();
  if (done) Update();
  return done;
}

// ---------------------------------------------------------------------------
// The stored form.

void TRuzozAdView::WriteSelectionState(TMemoryStream* Stream) { sel_->WriteState(Stream); }

bool TRuzozAdView::ReadSelectionState(TMemoryStream* Stream) {
  if (!sel_->ReadState(Stream)) return false;
  Update();
  return true;
}

// ---------------------------------------------------------------------------
// Outline.

void TRuzozAdView::DrawSelections(TObject* Sender, bool FromTimer) {
  if (HasHostWindow() && HandleAllocated()) {
    TViewMapping map(this);
    TIESelectionPaint ctx;
    ctx.Canvas = Canvas();
    ctx.Map = &map;
    ctx.FromTimer = FromTimer && Sender == timer_;
    ctx.UpdateLocked = lockCount_ > 0;
    ctx.Scrolled = scrolled_ > 0;
    ctx.SrcX = srcX_;
    ctx.SrcY = srcY_;
    ctx.SrcW = srcW_;
    ctx.SrcH = srcH_;
    ctx.DstX = originX_;
    ctx.DstY = originY_;
    ctx.DispW = dstW_;
    ctx.DispH = dstH_;
    try {
      sel_->Paint(ctx);
    } catch (...) {
      // Painting never reports.
    }
  }
  if (FromTimer && Sender == timer_) {
    const bool keep = delayedFilter_ > 0 || scrolled_ > 0 || sel_->AnyAnimated();
    TickDelayCounters();
    if (timer_) timer_->SetEnabled(keep);
  }
}
