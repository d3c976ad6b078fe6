// The drawing half of the single-image view: the visible source rectangle,
// the fixed-point mapping tables, the background painter, the off-screen
// render of the layers with the selection overlay and the pixel grid, and
// painting the display buffer on the window.
#include <algorithm>

#include "imaging/buffer/iecolors.h"
#include "imaging/views/ruzozadview.h"
#include "platform/Forms.h"

// ---------------------------------------------------------------------------
// Source rectangle and tables.

void TRuzozAdView::ComputeSourceRect() {
  srcX_ = srcY_ = srcW_ = srcH_ = 0;
  auto axis = [&](Integer image, Integer zoomed, Integer scroll, Integer extent, Integer& left, Integer& size) {
    if (zoomed == 0) return;
    const double r = static_cast<double>(image) / zoomed;
    left = static_cast<Integer>(Round(scroll * r));
    size = static_cast<Integer>(Round(r * extent));
    if (left + size > image) --size;
    // A scroll offset at the far edge must not move the rectangle off the picture.
    left = ClampInt(left, 0, std::max(image - 1, 0));
    size = ClampInt(size, 0, image - left);
  };
  axis(imageWidth_, zoomedW_, scrollX_, extentW_, srcX_, srcW_);
  axis(imageHeight_, zoomedH_, scrollY_, extentH_, srcY_, srcH_);
  if (zoom_ > 100) {
    dstW_ = static_cast<Integer>(Trunc(srcW_ * factor_));
    if (dstW_ < extentW_ && srcX_ + srcW_ < imageWidth_) {
      ++srcW_;
      dstW_ = static_cast<Integer>(Trunc(srcW_ * factor_));
    }
    dstH_ = static_cast<Integer>(Trunc(srcH_ * factor_));
    if (dstH_ < extentH_ && srcY_ + srcH_ < imageHeight_) {
      ++srcH_;
      dstH_ = static_cast<Integer>(Trunc(srcH_ * factor_));
    }
  } else {
    dstW_ = extentW_;
    dstH_ = extentH_;
  }
  BuildLookupTables();
}

namespace {

// Client-to-image (Dest + 1 entries) and image-to-client tables of one axis.
// Entry n is Left + Source * n / Dest in exact integer arithmetic: a 14-bit
// fixed-point step, truncated, falls short at whole multiples (at 25 % row 45
// of 90 would show row 44 again), so the picture would lose a row or column
// there. Entries 0 .. Dest - 1 stay inside the source rectangle; the extra
// entry is the column just after it.
void BuildAxisTables(Integer Dest, Integer Source, Integer Left, std::vector<Integer>& Map,
                     std::vector<Integer>& Inverse) {
  Map.assign(static_cast<size_t>(Dest) + 1, 0);
  Inverse.assign(static_cast<size_t>(Source) + 1, 0);
  for (Integer n = Dest; n >= 0; --n) {
    const Integer rel = static_cast<Integer>(static_cast<int64_t>(Source) * n / Dest);
    Map[n] = rel + Left;
    if (rel < static_cast<Integer>(Inverse.size())) Inverse[rel] = n;
  }
  // Image columns skipped while shrinking map to the next client column.
  for (Integer n = Dest; n >= 1; --n) {
    for (Integer c = Map[n - 1] - Left + 1; c < Map[n] - Left; ++c)
      if (c >= 0 && c < static_cast<Integer>(Inverse.size())) Inverse[c] = n;
  }
}

}  // namespace

void TRuzozAdView::BuildLookupTables() {
  xMap_.clear();
  yMap_.clear();
  xInv_.clear();
  yInv_.clear();
  if (dstW_ == 0 || dstH_ == 0 || srcW_ == 0 || srcH_ == 0) return;
  BuildAxisTables(dstW_, srcW_, srcX_, xMap_, xInv_);
  BuildAxisTables(dstH_, srcH_, srcY_, yMap_, yInv_);
}

// ---------------------------------------------------------------------------
// Mapping.

Integer TRuzozAdView::ClientToBitmapX(Integer X) {
  const Integer a = X - originX_;
  if (a >= 0 && a < static_cast<Integer>(xMap_.size())) return xMap_[a];
  return static_cast<Integer>(Trunc(a * invFactor_ + srcX_));
}

Integer TRuzozAdView::ClientToBitmapY(Integer Y) {
  const Integer a = Y - originY_;
  if (a >= 0 && a < static_cast<Integer>(yMap_.size())) return yMap_[a];
  return static_cast<Integer>(Trunc(a * invFactor_ + srcY_));
}

Integer TRuzozAdView::BitmapToClientX(Integer X) {
  const Integer d = X - srcX_;
  if (d >= 0 && d < static_cast<Integer>(xInv_.size())) return xInv_[d] + originX_;
  return static_cast<Integer>(Round((X + Round(-scrollX_ * invFactor_)) * factor_ + originX_));
}

Integer TRuzozAdView::BitmapToClientY(Integer Y) {
  const Integer d = Y - srcY_;
  if (d >= 0 && d < static_cast<Integer>(yInv_.size())) return yInv_[d] + originY_;
  return static_cast<Integer>(Round((Y + Round(-scrollY_ * invFactor_)) * factor_ + originY_));
}

// ---------------------------------------------------------------------------
// Background.

void TRuzozAdView::PaintBackground(TCanvas* Canvas, const TRect& Area, const TRect& ImageRect) {
  const HDC dc = Canvas->Handle();
  const COLORREF bg = static_cast<COLORREF>(ColorToRGB(Background())) & 0xFFFFFF;
  const COLORREF inverse = ~bg & 0xFFFFFF;
  const RECT area{Area.Left, Area.Top, Area.Right, Area.Bottom};
  auto fillSolid = [&](COLORREF c) {
    HBRUSH b = ::CreateSolidBrush(c);
    ::FillRect(dc, &area, b);
    ::DeleteObject(b);
  };
  TIEBackgroundStyle style = backgroundStyle_;
  if (Designing() && (style == iebsCropped || style == iebsCropShadow)) style = iebsSolid;
  const bool imageShown = ImageRect.Width() >= 2 && ImageRect.Height() >= 2;
  switch (style) {
    case iebsSolid:
      fillSolid(bg);
      break;
    case iebsHorizontal:
    case iebsVertical:
    case iebsFDiagonal:
    case iebsBDiagonal:
    case iebsCross:
    case iebsDiagCross: {
      static const int hatch[6] = {HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
      // The gaps between the lines get the complement: left transparent they
      // would show whatever the buffer held before (an earlier frame).
      HBRUSH b = ::CreateHatchBrush(hatch[style - iebsHorizontal], bg);
      const int oldMode = ::SetBkMode(dc, OPAQUE);
      const COLORREF oldBk = ::SetBkColor(dc, inverse);
      POINT oldOrg;
      ::SetBrushOrgEx(dc, 0, 0, &oldOrg);
      ::FillRect(dc, &area, b);
      ::SetBrushOrgEx(dc, oldOrg.x, oldOrg.y, nullptr);
      ::SetBkColor(dc, oldBk);
      ::SetBkMode(dc, oldMode);
      ::DeleteObject(b);
      break;
    }
    case iebsChessboard: {
      const Integer size = std::max(ChessboardSize, 1);
      HBRUSH b1 = ::CreateSolidBrush(bg), b2 = ::CreateSolidBrush(inverse);
      if (ChessboardBrushStyle != bsSolid) {
        ::DeleteObject(b1);
        ::DeleteObject(b2);
        const int hs = ChessboardBrushStyle == bsHorizontal ? HS_HORIZONTAL
                       : ChessboardBrushStyle == bsVertical ? HS_VERTICAL
                       : ChessboardBrushStyle == bsFDiagonal ? HS_FDIAGONAL
                       : ChessboardBrushStyle == bsBDiagonal ? HS_BDIAGONAL
                       : ChessboardBrushStyle == bsCross ? HS_CROSS
                                                          : HS_DIAGCROSS;
        b1 = ::CreateHatchBrush(hs, bg);
        b2 = ::CreateHatchBrush(hs, inverse);
      }
      // Squares on a grid anchored at the buffer's corner, so a partial
      // render matches a full one; the first square is the complement.
      const Integer row0 = std::max(Area.Top, 0) / size, col0 = std::max(Area.Left, 0) / size;
      for (Integer row = row0; row * size < Area.Bottom; ++row) {
        for (Integer col = col0; col * size < Area.Right; ++col) {
          RECT sq{std::max(col * size, static_cast<Integer>(Area.Left)), std::max(row * size, static_cast<Integer>(Area.Top)),
                  std::min((col + 1) * size, static_cast<Integer>(Area.Right)),
                  std::min((row + 1) * size, static_cast<Integer>(Area.Bottom))};
          ::FillRect(dc, &sq, ((row + col) & 1) == 0 ? b2 : b1);
        }
      }
      ::DeleteObject(b1);
      ::DeleteObject(b2);
      break;
    }
    case iebsDiagonals: {
      fillSolid(bg);
      HPEN pen = ::CreatePen(PS_SOLID, 1, inverse);
      HGDIOBJ old = ::SelectObject(dc, pen);
      ::MoveToEx(dc, Area.Left, Area.Top, nullptr);
      ::LineTo(dc, Area.Right, Area.Bottom);
      ::MoveToEx(dc, Area.Right, Area.Top, nullptr);
      ::LineTo(dc, Area.Left, Area.Bottom);
      ::SelectObject(dc, old);
      ::DeleteObject(pen);
      break;
    }
    case iebsCropped:
      fillSolid(static_cast<COLORREF>(ColorToRGB(clBtnFace)) & 0xFFFFFF);
      if (imageShown) {
        RECT r{ImageRect.Left, ImageRect.Top, ImageRect.Right, ImageRect.Bottom};
        ::InflateRect(&r, IEScreenMetrics().EdgeX, IEScreenMetrics().EdgeY);
        ::DrawEdge(dc, &r, EDGE_SUNKEN, BF_RECT);
      }
      break;
    case iebsCropShadow:
      fillSolid(static_cast<COLORREF>(ColorToRGB(clBtnFace)) & 0xFFFFFF);
      if (imageShown) {
        PaintShadowStripVertical(Canvas, ImageRect.Right, ImageRect.Top, ImageRect.Right + 5, ImageRect.Bottom + 3, 2);
        PaintShadowStripHorizontal(Canvas, ImageRect.Left, ImageRect.Bottom, ImageRect.Right + 4, ImageRect.Bottom + 5,
                                   2);
      }
      break;
  }
}

// ---------------------------------------------------------------------------
// Rendering.

void TRuzozAdView::RenderLayers(TBitmap* Dest, Byte** Rows, const TRect& Clip) {
  SyncLayers();
  ComputeSourceRect();
  if (Designing() || imageWidth_ == 0 || imageHeight_ == 0) return;
  if (current_->HasAlphaChannel()) {
    TIEBitmap* a = current_->GetAlphaChannel();
    if (a->Width() != current_->Width() || a->Height() != current_->Height()) return;
  }
  const TRect imageRect = Rect(originX_, originY_, originX_ + dstW_, originY_ + dstH_);
  // Clip is inclusive; the painters take the exclusive form.
  const TRect area = Rect(std::max<Integer>(Clip.Left, 0), std::max<Integer>(Clip.Top, 0),
                          std::min<Integer>(Clip.Right + 1, Dest->Width()),
                          std::min<Integer>(Clip.Bottom + 1, Dest->Height()));
  const bool wholeRows = area.Left == 0 && area.Right >= Dest->Width();
  bool drawn = false;
  for (const auto& layer : layers_) {
    if (!layer->Visible || dstW_ == 0 || dstH_ == 0) continue;
    TIEBitmap* b = layer->Bitmap;
    if (!drawn) {
      const bool covers = originX_ == 0 && originY_ == 0 && dstW_ >= Dest->Width() && dstH_ >= Dest->Height();
      const bool alphaIrrelevant = !enableAlpha_ || !b->HasAlphaChannel() || b->GetAlphaChannel()->AlphaFull();
      if (!(covers && layer->Opacity > 254 && alphaIrrelevant)) PaintBackground(Dest->Canvas(), area, imageRect);
    }
    const TResampleFilter filter = (delayedFilter_ <= 0 && zoom_ != 100) ? zoomFilter_ : rfNone;
    const bool solidFirst = backgroundStyle_ == iebsSolid && !drawn;
    // Mapping tables exist only for the rectangle they were built for.
    b->RenderZoomed(Dest, Rows, xMap_.empty() ? nullptr : xMap_.data(), yMap_.empty() ? nullptr : yMap_.data(), &Clip,
                    originX_, originY_, dstW_, dstH_, srcX_, srcY_, srcW_, srcH_, enableAlpha_,
                    solidFirst && wholeRows, layer->Opacity, filter);
    drawn = true;
  }
  if (!drawn) PaintBackground(Dest->Canvas(), area, imageRect);

  if (selectionExists_ && selMask_ && !selMask_->IsEmpty()) {
    if (SelectionFilled)
      selMask_->PaintInverted(Dest->Canvas(), srcX_, srcY_, srcW_, srcH_, originX_, originY_, dstW_, dstH_);
    if (SelectionMarkOuter)
      selMask_->PaintOuterDots(Dest, srcX_, srcY_, srcW_, srcH_, originX_, originY_, dstW_, dstH_);
  }

  if (DisplayGrid && zoom_ >= 400) {
    TCanvas* c = Dest->Canvas();
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetWidth(1);
    c->Pen()->SetMode(pmNot);
    const Integer x0 = BitmapToClientX(srcX_), x1 = BitmapToClientX(srcX_ + srcW_);
    const Integer y0 = BitmapToClientY(srcY_), y1 = BitmapToClientY(srcY_ + srcH_);
    for (Integer row = srcY_; row <= srcY_ + srcH_; ++row) {
      const Integer y = BitmapToClientY(row);
      c->MoveTo(x0, y);
      c->LineTo(x1, y);
    }
    for (Integer col = srcX_; col <= srcX_ + srcW_; ++col) {
      const Integer x = BitmapToClientX(col);
      c->MoveTo(x, y0);
      c->LineTo(x, y1);
    }
    c->Pen()->SetMode(pmCopy);
  }
}

void TRuzozAdView::ResizeBuffer() {
  const Integer w = std::max(ViewClientWidth(), 0), h = std::max(ViewClientHeight(), 0);
  if (!buffer_) buffer_ = std::make_unique<TBitmap>();
  if (buffer_->Width() == w && buffer_->Height() == h && buffer_->PixelFormat() == pf24bit &&
      bufferRows_.size() == static_cast<size_t>(h))
    return;
  buffer_->SetPixelFormat(pf24bit);
  buffer_->SetSize(w, h);
  bufferRows_.resize(static_cast<size_t>(h));
  for (Integer r = 0; r < h; ++r) bufferRows_[r] = static_cast<Byte*>(buffer_->ScanLine(r));
  reRender_ = true;
}

void TRuzozAdView::RenderToBuffer() {
  ResizeBuffer();
  if (buffer_->Width() <= 0 || buffer_->Height() <= 0) return;
  RenderLayers(buffer_.get(), bufferRows_.data(), Rect(0, 0, buffer_->Width() - 1, buffer_->Height() - 1));
  reRender_ = false;
}

void TRuzozAdView::PaintBuffer(const TRect& Rect) {
  ResizeBuffer();
  const Integer w = buffer_->Width(), h = buffer_->Height();
  if (w <= 0 || h <= 0) return;
  if (reRender_) {
    RenderLayers(buffer_.get(), bufferRows_.data(), ::Rect(Rect.Left, Rect.Top, Rect.Right - 1, Rect.Bottom - 1));
    reRender_ = false;
  }
  const Integer l = std::max<Integer>(Rect.Left, 0), t = std::max<Integer>(Rect.Top, 0);
  const Integer r = std::min<Integer>(Rect.Right, w), b = std::min<Integer>(Rect.Bottom, h);
  if (l < r && t < b) {
    drawHeader_ = BITMAPINFOHEADER{};
    drawHeader_.biSize = sizeof(BITMAPINFOHEADER);
    drawHeader_.biWidth = w;
    drawHeader_.biHeight = h;
    drawHeader_.biPlanes = 1;
    drawHeader_.biBitCount = 24;
    drawHeader_.biCompression = BI_RGB;
    // Bottom-up rows: the last row starts the pixel block.
    void* bits = bufferRows_[static_cast<size_t>(h - 1)];
    DrawDibDrawRect(drawDib_, Canvas()->Handle(), l, t, r - l, b - t, &drawHeader_, bits, l, t, r - l, b - t, 0);
  }
  if (polygonDrawing_) DrawRubberBand();
}

void TRuzozAdView::Paint() {
  if (!HasHostWindow() || !HandleAllocated()) return;
  const Integer cw = ClientWidth(), ch = ClientHeight();
  if (cw == 0 || ch == 0) return;
  try {
    if (Designing()) {
      PaintBackground(Canvas(), ::Rect(0, 0, cw, ch), ::Rect(0, 0, 0, 0));
    } else if (lockCount_ == 0) {
      TRect r = ::Rect(0, 0, cw, ch);
      if (!fullRepaint_) {
        r = Canvas()->ClipRect();
        if (r.Width() == 0 || r.Height() == 0) r = ::Rect(0, 0, cw, ch);
      }
      PaintBuffer(r);
    }
    fullRepaint_ = false;
    if (!rectMoving_) DrawSelections(this, false);
    if (OnPaint) OnPaint(this);
  } catch (...) {
    // Painting never reports.
  }
}
