// The thumbnail view's painting (cells, captions, frames, wallpaper) and its
// selection by program, mouse and keyboard.
#include <algorithm>
#include <cstdlib>

#include "imaging/buffer/iecolors.h"
#include "imaging/buffer/ruzozadproc.h"
#include "imaging/views/ruzozadmview.h"
#include "imaging/views/ruzozadmview_impl.h"

namespace {

// DrawDib for a stretch where it works, else the plain stretch of GDI; a
// picture already of its size (a display-cache cell) is copied by GDI, which
// costs far less than DrawDib's set-up for every call.
void BlitDib(HANDLE Hdd, HDC Dc, Integer X, Integer Y, Integer W, Integer H, BITMAPINFOHEADER* Header, void* Bits,
             Integer SrcW, Integer SrcH) {
  if (Header == nullptr || Bits == nullptr || W <= 0 || H <= 0) return;
  if (W == SrcW && H == SrcH) {
    ::SetDIBitsToDevice(Dc, X, Y, static_cast<DWORD>(W), static_cast<DWORD>(H), 0, 0, 0, static_cast<UINT>(H), Bits,
                        reinterpret_cast<BITMAPINFO*>(Header), DIB_RGB_COLORS);
    return;
  }
  if (Hdd != nullptr && DrawDibDrawRect(Hdd, Dc, X, Y, W, H, Header, Bits, 0, 0, SrcW, SrcH, 0)) return;
  const int oldMode = ::SetStretchBltMode(Dc, COLORONCOLOR);
  ::StretchDIBits(Dc, X, Y, W, H, 0, 0, SrcW, SrcH, Bits, reinterpret_cast<BITMAPINFO*>(Header), DIB_RGB_COLORS,
                  SRCCOPY);
  ::SetStretchBltMode(Dc, oldMode);
}

void FillArea(TCanvas* Canvas, Integer X1, Integer Y1, Integer X2, Integer Y2, TColor Color) {
  if (X2 <= X1 || Y2 <= Y1) return;
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(Color);
  Canvas->FillRect(TRect{X1, Y1, X2, Y2});
}

}  // namespace

// --- Visibility -------------------------------------------------------------------

Integer TRuzozAdMView::EntryVisibility(Integer Index) const {
  const Entry* e = EntryPtr(Index);
  if (e == nullptr) return 0;
  const Integer x = e->cellX - scrollX_, y = e->cellY - scrollY_;
  return RectangleRelation(0, 0, viewW_ - 1, viewH_ - 1, x, y, x + thumbW_ - 1, y + thumbH_ - 1);
}

bool TRuzozAdMView::IsEntryVisible(Integer Index) const { return CellVisibleLocked(Index); }

bool TRuzozAdMView::IsSelectedLook(Integer Index) const {
  if (!visibleSelection_ || displayMode_ != mdGrid) return false;
  if (Index == selected_) return true;
  return enableMultiSelect_ && std::find(multi_.begin(), multi_.end(), Index) != multi_.end();
}

// --- Painting ---------------------------------------------------------------------

void TRuzozAdMView::Paint() {
  if (updateLock_ > 0) return;
  PaintCells(Canvas());
}

void TRuzozAdMView::PaintCells(TCanvas* Canvas) {
  HDC dc = Canvas->Handle();
  const int saved = ::SaveDC(dc);
  bool restart = true;
  Integer n = 0;
  while (restart) {
    restart = false;
    const Integer count = EntryCount();
    n = displayMode_ == mdSingle && count >= 1 ? 1 : count;
    const Integer first = displayMode_ == mdSingle && playing_ && count > 0 ? ClampInt(frame_, 0, count - 1) : 0;
    for (Integer k = 0; k < n; ++k) {
      const Integer p = (first + k) % count;
      if (n > 1 && OnDrawProgress) OnDrawProgress(this, static_cast<Integer>(Trunc(k / static_cast<double>(n) * 100)), p);
      if (!IsEntryVisible(p)) continue;
      bool draw = EntryHasImage(p);
      if (!draw && p != selected_ && threadPoolSize_ != 0) draw = QueueEntryLoad(p);
      if (!draw) draw = LoadEntryNow(p);
      if (!draw) draw = !removeCorrupted_;
      if (!draw) {
        DeleteEntry(p);
        restart = true;
        break;
      }
      DrawCell(Canvas, entries_[static_cast<size_t>(p)].get(), p, IsSelectedLook(p));
    }
  }
  PaintWallpaper(Canvas);
  if (n > 1 && OnDrawProgress) OnDrawProgress(this, 100, 0);
  ::RestoreDC(dc, saved);
}

void TRuzozAdMView::PaintWallpaper(TCanvas* Canvas) {
  const Integer w = viewW_, h = viewH_;
  TGraphic* g = wallpaper_->Graphic();
  const bool has = g != nullptr && !g->Empty() && g->Width() > 0 && g->Height() > 0;
  if (has) {
    switch (wallpaperStyle_) {
      case iewoNormal:
        Canvas->Draw(0, 0, g);
        ::ExcludeClipRect(Canvas->Handle(), 0, 0, g->Width(), g->Height());
        break;
      case iewoStretch:
        Canvas->StretchDraw(TRect{0, 0, w, h}, g);
        break;
      case iewoTile:
        for (Integer y = 0; y < h; y += g->Height())
          for (Integer x = 0; x < w; x += g->Width()) Canvas->Draw(x, y, g);
        break;
    }
  }
  if (!has || wallpaperStyle_ == iewoNormal) FillArea(Canvas, 0, 0, w, h, Background());
}

void TRuzozAdMView::DrawStoredImage(HDC Dc, Entry* E, Integer X, Integer Y, Integer W, Integer H) {
  if (E->display != nullptr) {
    BlitDib(drawDib_, Dc, X, Y, W, H, displayCache_->ImageHeader(E->display), displayCache_->ImageBits(E->display),
            displayCache_->ImageWidth(E->display), displayCache_->ImageHeight(E->display));
    return;
  }
  const Integer w0 = imageCache_->ImageWidth(E->image), h0 = imageCache_->ImageHeight(E->image);
  const Integer bits = imageCache_->ImageBitCount(E->image);
  const bool shrunk = W < w0 || H < h0;
  std::unique_ptr<Byte[]> reduced;
  BITMAPINFOHEADER rh{};
  // The picture as it goes on the screen: 1-bit pictures are averaged down,
  // everything else is stretched by the blit.
  auto draw = [&](HDC target, Integer x, Integer y) {
    if (bits == 1 && shrunk) {
      if (!reduced) {
        reduced = StretchDIBToBuffer(static_cast<const Byte*>(imageCache_->ImageBits(E->image)), w0, h0, W, H, 0, 0,
                                     w0 - 1, h0 - 1);
        rh.biSize = sizeof rh;
        rh.biWidth = W;
        rh.biHeight = H;
        rh.biPlanes = 1;
        rh.biBitCount = 24;
        rh.biCompression = BI_RGB;
      }
      if (reduced) BlitDib(drawDib_, target, x, y, W, H, &rh, reduced.get(), W, H);
    } else {
      BlitDib(drawDib_, target, x, y, W, H, imageCache_->ImageHeader(E->image), imageCache_->ImageBits(E->image), w0,
              h0);
    }
  };
  draw(Dc, X, Y);
  if (!UseDisplayCache) return;
  TIEDibbitmap scaled;
  scaled.AllocateDIB(W, H, 24);
  if (scaled.DC() == nullptr) return;
  draw(scaled.DC(), 0, 0);
  ::GdiFlush();
  TIEBitmap copy;
  copy.SetLocation(islMemory);
  copy.CopyFromDibbitmap(&scaled);
  E->display = displayCache_->AddImage(&copy);
}

void TRuzozAdMView::DrawCell(TCanvas* Canvas, Entry* E, Integer Index, bool SelectedLook) {
  LibraryLockGuard lock;
  HDC dc = Canvas->Handle();
  const Integer left = E->cellX - scrollX_, top = E->cellY - scrollY_;
  if (OnBeforeImageDraw) OnBeforeImageDraw(this, Index, left, top, Canvas);
  const bool acdSelected = SelectedLook && selectionStyle_ == iessACD;
  const bool hasImage = E->image != nullptr;
  TIEMText* topText = E->texts[0].get();
  TIEMText* infoText = E->texts[1].get();
  TIEMText* bottomText = E->texts[2].get();
  auto textHeight = [&](TIEMText* t) {
    if (t->Caption.empty()) return 0;
    Canvas->Font()->Assign(t->Font());
    return static_cast<Integer>(Canvas->TextHeight(t->Caption));
  };
  const Integer bottomH = textHeight(bottomText);
  Integer th = thumbH_;
  if (hasImage) th -= bottomGap_ + upperGap_ + bottomH;
  const TColor around = acdSelected ? clHighlight : (drawImageBackground_ ? E->background : thumbsBackground_);

  Integer ix = left, iy = top, w = 0, h = 0;
  if (hasImage) {
    if (E->display != nullptr) {
      w = displayCache_->ImageWidth(E->display);
      h = displayCache_->ImageHeight(E->display);
    } else {
      const Integer w0 = imageCache_->ImageWidth(E->image), h0 = imageCache_->ImageHeight(E->image);
      if (AlwaysScale || w0 > thumbW_ || h0 > th)
        FitSizeInto(w0, h0, thumbW_, std::max<Integer>(th, 1), w, h);
      else {
        w = w0;
        h = h0;
      }
    }
    ix = left + std::abs(thumbW_ - w) / 2;
    iy = top + std::abs(th - h) / 2 + upperGap_;
    FillArea(Canvas, left, top, left + thumbW_, top + thumbH_, around);
    DrawStoredImage(dc, E, ix, iy, w, h);
  } else {
    FillArea(Canvas, left, top, left + thumbW_, top + thumbH_, acdSelected ? clHighlight : thumbsBackground_);
  }

  // Captions, each in its own font on its own background.
  auto caption = [&](TIEMText* t, Integer y) {
    if (t->Caption.empty()) return;
    Canvas->Font()->Assign(t->Font());
    if (acdSelected) Canvas->Font()->SetColor(clHighlightText);
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(acdSelected ? clHighlight : t->Background);
    Canvas->TextOut(left + (thumbW_ - Canvas->TextWidth(t->Caption)) / 2, y, t->Caption);
  };
  caption(topText, top);
  caption(bottomText, top + thumbH_ - bottomGap_ - bottomH);
  const Integer infoH = textHeight(infoText);
  if (infoH > 0) {
    Canvas->Font()->Assign(infoText->Font());
    if (acdSelected) Canvas->Font()->SetColor(clHighlightText);
    const TColor back = acdSelected ? clHighlight : infoText->Background;
    const Integer stripTop = top + thumbH_ - infoH - 1;
    FillArea(Canvas, left, stripTop, left + thumbW_, top + thumbH_, back);
    Canvas->Brush()->SetColor(back);
    Canvas->TextOut(left + (thumbW_ - Canvas->TextWidth(infoText->Caption) - 2) / 2 + 1, stripTop,
                    infoText->Caption);
  }

  if (style_ == iemsACD) {
    if (hasImage && w > 0 && h > 0) PaintTwoToneFrame(Canvas, ix - 1, iy - 1, ix + w, iy + h, clWhite, 0x808080);
    if (bottomGap_ > 0 || upperGap_ > 0 || bottomH > 0)
      PaintTwoToneFrame(Canvas, left, top, left + thumbW_ - 1, top + thumbH_ - 1, clBlack, clWhite);
    if (infoH > 0)
      PaintTwoToneFrame(Canvas, left, top + thumbH_ - infoH - 1, left + thumbW_ - 1, top + thumbH_ - 1, clWhite,
                        0x808080);
  }

  if (OnImageDraw) OnImageDraw(this, Index, left, top, Canvas);

  // Frames grow outward from the cell; what they cover is kept from the
  // background painted last.
  auto frames = [&](Integer count, TColor color) {
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetMode(pmCopy);
    Canvas->Pen()->SetWidth(1);
    Canvas->Pen()->SetColor(color);
    Canvas->Brush()->SetStyle(bsClear);
    for (Integer i = 1; i <= count; ++i) Canvas->Rectangle(left - i, top - i, left + thumbW_ + i, top + thumbH_ + i);
    Canvas->Brush()->SetStyle(bsSolid);
    ::ExcludeClipRect(dc, left - count, top - count, left + thumbW_ + count, top + thumbH_ + count);
  };
  if (SelectedLook && selectionStyle_ == iessAround)
    frames(HandleAllocated() && ::GetFocus() == Handle() ? selectionWidth_ : 1, selectionColor_);
  else
    frames(thumbsBorderWidth_, thumbsBorderColor_);
}

// --- Selection --------------------------------------------------------------------

void TRuzozAdMView::ReleaseSelectedBitmap() {
  LibraryLockGuard lock;
  if (selectedBitmap_ != nullptr) {
    // Changes made through CurrentBitmap go back into the stored picture.
    imageCache_->ReleaseBitmap(selectedBitmap_, true);
    selectedBitmap_ = nullptr;
  }
  if (Entry* e = EntryPtr(selected_)) DropDisplayOf(e);
}

void TRuzozAdMView::RetakeSelectedBitmap() {
  static thread_local bool inside = false;
  Entry* e = EntryPtr(selected_);
  if (e == nullptr || inside) return;
  inside = true;
  if (!EntryHasImage(selected_)) LoadEntryNow(selected_);
  {
    LibraryLockGuard lock;
    e = EntryPtr(selected_);
    if (e != nullptr) {
      if (selectedBitmap_ != nullptr) imageCache_->ReleaseBitmap(selectedBitmap_, false);
      selectedBitmap_ = imageCache_->CheckOutBitmap(e->image);
      DropDisplayOf(e);
    }
  }
  inside = false;
  NotifyChangeListeners();
}

void TRuzozAdMView::SetSelectedEntry(Integer Index) {
  if (playing_ || !InList(Index)) return;
  ReleaseSelectedBitmap();
  if (enableMultiSelect_) {
    if (!adding_) {
      multi_.clear();
    } else if (!SelectNone) {
      const auto it = std::find(multi_.begin(), multi_.end(), Index);
      if (it != multi_.end()) {
        multi_.erase(it);
        if (!keepOnReselect_) {
          selected_ = -1;
          return;
        }
      }
    }
    multi_.push_back(Index);
  }
  if (SelectNone) {
    selected_ = -1;
    return;
  }
  selected_ = Index;
  RetakeSelectedBitmap();
}

void TRuzozAdMView::SelectEntry(Integer Index) {
  if (playing_) return;
  SetSelectedEntry(Index);
  if (SelectNone) return;
  Update();
  if (OnImageSelect) OnImageSelect(this, selected_);
}

void TRuzozAdMView::DeselectAll() {
  ReleaseSelectedBitmap();
  selected_ = -1;
  multi_.clear();
}

void TRuzozAdMView::DeselectAllAndUpdate() {
  DeselectAll();
  Update();
}

void TRuzozAdMView::SelectAt(Integer X, Integer Y, TShiftState Shift) {
  const bool oldAdding = adding_;
  const bool shift = Shift.Contains(ssShift);
  if (shift || Shift.Contains(ssCtrl)) adding_ = true;
  const Integer hit = EntryAt(X, Y);
  if (hit >= 0) {
    const Integer from = selected_;
    if (shift && enableMultiSelect_ && from >= 0 && (hit != from || adding_)) {
      auto listed = [this](Integer i) { return std::find(multi_.begin(), multi_.end(), i) != multi_.end(); };
      if (multiOptions_.Contains(iemoRegion)) {
        const Integer r1 = std::min(EntryRow(from), EntryRow(hit)), r2 = std::max(EntryRow(from), EntryRow(hit));
        const Integer c1 = std::min(EntryColumn(from), EntryColumn(hit)),
                      c2 = std::max(EntryColumn(from), EntryColumn(hit));
        for (Integer i = 0; i < EntryCount(); ++i) {
          if (i == from || i == hit || listed(i)) continue;
          const Integer r = EntryRow(i), c = EntryColumn(i);
          if (r >= r1 && r <= r2 && c >= c1 && c <= c2) SetSelectedEntry(i);
        }
      } else {
        const Integer step = hit > from ? 1 : -1;
        for (Integer i = from + step; i != hit; i += step)
          if (!listed(i)) SetSelectedEntry(i);
      }
    }
    SetSelectedEntry(hit);
    if (visibleSelection_) Update();
    if (OnImageSelect) OnImageSelect(this, selected_);
    NotifyChangeListeners();
  }
  adding_ = oldAdding;
}

// --- Mouse and keys ---------------------------------------------------------------

void TRuzozAdMView::WMLButtonDblClk(TMessage& Message) {
  doubleClicked_ = true;
  TIEView::WMLButtonDblClk(Message);
}

void TRuzozAdMView::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TIEView::MouseDown(Button, Shift, X, Y);
  if (doubleClicked_) {
    doubleClicked_ = false;
    return;
  }
  if (CanFocus()) SetFocus();
  downPos_ = TPoint{X, Y};
  downScrollX_ = scrollX_;
  downScrollY_ = scrollY_;
  downCell_ = EntryAt(X, Y);
  dragCell_ = downCell_;
  dragSelected_ = false;
  buttonDown_ = Button == mbLeft;
}

void TRuzozAdMView::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TIEView::MouseMove(Shift, X, Y);
  if (!buttonDown_ || playing_) return;
  if (mouseInteract_.Contains(mmiSelect) && enableMultiSelect_) {
    const Integer cell = EntryAt(X, Y);
    if (cell != dragCell_) {
      dragCell_ = cell;
      DeselectAll();
      const bool oldKeep = keepOnReselect_;
      keepOnReselect_ = true;
      SetSelectedEntry(downCell_ >= 0 ? downCell_ : 0);
      keepOnReselect_ = oldKeep;
      SelectAt(X, Y, TShiftState{ssShift});
      dragSelected_ = true;
    }
  }
  if (mouseInteract_.Contains(mmiScroll))
    SetScrollXY(downScrollX_ + downPos_.X - X, downScrollY_ + downPos_.Y - Y);
}

void TRuzozAdMView::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TIEView::MouseUp(Button, Shift, X, Y);
  const bool wasDown = buttonDown_;
  buttonDown_ = false;
  if (Button != mbLeft || playing_ || !wasDown) return;
  if (!dragSelected_ && mouseInteract_.Contains(mmiSelect)) SelectAt(X, Y, Shift);
  if (mouseInteract_.Contains(mmiScroll)) SetScrollXY(downScrollX_ + downPos_.X - X, downScrollY_ + downPos_.Y - Y);
}

void TRuzozAdMView::KeyDown(Word& Key, TShiftState Shift) {
  TIEView::KeyDown(Key, Shift);
  if (playing_) return;
  Integer code;
  switch (Key) {
    case VK_PRIOR: code = 7; break;
    case VK_NEXT: code = 6; break;
    case VK_END: code = 5; break;
    case VK_HOME: code = 4; break;
    case VK_LEFT: code = 0; break;
    case VK_UP: code = 2; break;
    case VK_RIGHT: code = 1; break;
    case VK_DOWN: code = 3; break;
    default: return;
  }
  const bool oldAdding = adding_, oldKeep = keepOnReselect_;
  if (enableMultiSelect_ && (Shift.Contains(ssCtrl) || Shift.Contains(ssShift))) {
    adding_ = true;
    keepOnReselect_ = true;
  }
  Navigate(code);
  Update();
  adding_ = oldAdding;
  keepOnReselect_ = oldKeep;
}

Integer TRuzozAdMView::PageEntries() const {
  const Integer step = vBorder_ + thumbH_;
  return GridColumns() * (step > 0 ? (viewH_ - vBorder_) / step : 0);
}

// Scrolls the new selection into view: toward the top left, or (Upwards
// false) so that its bottom right edge plus the borders meets the client's.
void TRuzozAdMView::ScrollToShow(Integer Index, bool Upwards) {
  const Entry* e = EntryPtr(Index);
  if (e == nullptr) return;
  if (Upwards) {
    SetScrollY(e->cellY - vBorder_);
    if (EntryVisibility(Index) != 2) SetScrollX(e->cellX - hBorder_);
  } else {
    SetScrollY(e->cellY + thumbH_ + vBorder_ - viewH_);
    if (EntryVisibility(Index) != 2) SetScrollX(e->cellX + thumbW_ + hBorder_ - viewW_);
  }
}

void TRuzozAdMView::Navigate(Integer Code) {
  const Integer count = EntryCount();
  if (count == 0) return;
  const Integer gw = GridColumns();
  const Integer page = PageEntries();
  const Integer sel = selected_;
  Integer target;
  switch (Code) {
    case 0: if (sel < 0) return; target = sel - 1; break;
    case 1: if (sel < -1) return; target = sel + 1; break;
    case 2: if (sel < 0) return; target = gridWidth_ == 0 ? sel - 1 : std::max(sel - gw, 0); break;
    case 3: if (sel < -1) return; target = gridWidth_ == 0 ? sel + 1 : std::min(sel + gw, count - 1); break;
    case 4: target = 0; break;
    case 5: target = count - 1; break;
    case 6: if (sel < -1) return; target = sel + page; break;
    case 7: if (sel < 0) return; target = sel - page; break;
    default: return;
  }
  if (!InList(target)) return;
  SelectEntry(target);
  if (EntryVisibility(target) == 2) return;
  const Entry* e = EntryPtr(target);
  switch (Code) {
    case 0: SetScrollXY(e->cellX - hBorder_, e->cellY - vBorder_); break;
    case 1:
      SetScrollXY(e->cellX + thumbW_ + hBorder_ - viewW_, e->cellY + thumbH_ + vBorder_ - viewH_);
      break;
    case 4: SetScrollXY(0, 0); break;
    case 2:
    case 7: ScrollToShow(target, true); break;
    default: ScrollToShow(target, false); break;
  }
}
