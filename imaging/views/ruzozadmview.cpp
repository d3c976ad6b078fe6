// The thumbnail view: its image list, storing pictures, the layout of the
// cells, scrolling and the update pass.
#include "imaging/views/ruzozadmview.h"

#include <algorithm>
#include <cmath>

#include "imaging/buffer/ruzozadproc.h"
#include "imaging/buffer/ruzozadproc_component.h"
#include "imaging/formats/ruzozadio.h"
#include "imaging/views/ruzozadmview_impl.h"
#include "platform/Messages.h"

TIEMText::TIEMText(TObject* Owner, Integer Position)
    : font_(std::make_unique<TFont>()), owner_(Owner), position_(Position) {
  if (auto* view = dynamic_cast<TRuzozAdMView*>(Owner)) {
    font_->Assign(view->Font());
    Background = view->Background();
  }
}

void FitSizeInto(Integer W, Integer H, Integer MaxW, Integer MaxH, Integer& OutW, Integer& OutH) {
  if (W <= 0 || H <= 0) {
    OutW = MaxW;
    OutH = MaxH;
    return;
  }
  const double f = std::min(static_cast<double>(MaxH) / H, static_cast<double>(MaxW) / W);
  OutW = std::max<Integer>(1, static_cast<Integer>(std::trunc(W * f)));
  OutH = std::max<Integer>(1, static_cast<Integer>(std::trunc(H * f)));
}

TRuzozAdMView::TRuzozAdMView(TComponent* AOwner)
    : TIEView(AOwner),
      imageCache_(std::make_unique<TIEVirtualDIBList>()),
      displayCache_(std::make_unique<TIEVirtualDIBList>()),
      vParams_(std::make_unique<TIEScrollBarParams>()),
      hParams_(std::make_unique<TIEScrollBarParams>()),
      wallpaper_(std::make_unique<TPicture>()) {
  SetBounds(Left(), Top(), 180, 90);
  imageCache_->SetMaxMappedViews(imageCacheSize_);
  // The scaled cells of a screenful stay mapped: a repaint maps nothing.
  displayCache_->SetMaxMappedViews(1024);
  drawDib_ = DrawDibOpenHandle();
  ownIO_ = new TRuzozAdIO(this);
  wake_ = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);
  starter_ = new TIEStarter(this);
}

TRuzozAdMView::~TRuzozAdMView() {
  DeselectAll();
  // Loaders and the starter go before anything they could reach.
  StopStarterAndLoaders();
  StopPlaybackTimer();
  delete ownMIO_;
  ownMIO_ = nullptr;
  delete ownProc_;
  ownProc_ = nullptr;
  {
    LibraryLockGuard lock;
    for (Integer i = EntryCount() - 1; i >= 0; --i) {
      Entry* e = entries_[static_cast<size_t>(i)].get();
      imageCache_->DeleteImage(e->image);
      displayCache_->DeleteImage(e->display);
    }
    entries_.clear();
  }
  wallpaper_.reset();
  destroying_ = true;
  DeselectAll();
  imageCache_.reset();
  displayCache_.reset();
  if (drawDib_) DrawDibCloseHandle(drawDib_);
  drawDib_ = nullptr;
  delete ownIO_;
  ownIO_ = nullptr;
  if (wake_) ::CloseHandle(wake_);
}

TRuzozAdMView::Entry* TRuzozAdMView::EntryPtr(Integer Index) const {
  return InList(Index) ? entries_[static_cast<size_t>(Index)].get() : nullptr;
}

// --- Image list -------------------------------------------------------------------

Integer TRuzozAdMView::EntryCount() { return static_cast<Integer>(entries_.size()); }

void TRuzozAdMView::InsertEntry(Integer Index) {
  SetPlaying(false);
  if (Index < 0) throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
  {
    LibraryLockGuard lock;
    auto e = std::make_unique<Entry>();
    e->background = Background();
    for (Integer p = 0; p < 3; ++p) e->texts[p] = std::make_unique<TIEMText>(this, p);
    if (Index >= EntryCount()) {
      Index = EntryCount();
      entries_.push_back(std::move(e));
    } else {
      entries_.insert(entries_.begin() + Index, std::move(e));
      AdjustLoadIndices(Index, 1);
      if (selected_ >= Index) ++selected_;
      for (Integer& m : multi_)
        if (m >= Index) ++m;
    }
    lastChange_ = lcInserted;
    lastChangeIndex_ = Index;
    NotifyChangeListeners();
  }
  Update();
}

bool TRuzozAdMView::DeleteEntry(Integer Index) {
  SetPlaying(false);
  if (Index < 0) throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
  if (Index >= EntryCount()) return false;
  const Integer oldSelected = selected_;
  DeselectAll();
  {
    LibraryLockGuard lock;
    Entry* e = entries_[static_cast<size_t>(Index)].get();
    imageCache_->DeleteImage(e->image);
    displayCache_->DeleteImage(e->display);
    entries_.erase(entries_.begin() + Index);
    // A load of this entry must not land in the one that takes its place.
    AdjustLoadIndices(Index, -1);
  }
  Integer reselect = -1;
  if (oldSelected >= 0) {
    if (oldSelected != Index)
      reselect = oldSelected > Index ? oldSelected - 1 : oldSelected;
    else
      reselect = Index < EntryCount() ? Index : EntryCount() - 1;
  }
  if (reselect >= 0) {
    const bool quiet = SelectNone;
    SelectNone = false;
    SetSelectedEntry(reselect);
    SelectNone = quiet;
  }
  {
    LibraryLockGuard lock;
    lastChange_ = lcDeleted;
    lastChangeIndex_ = Index;
    NotifyChangeListeners();
  }
  Update();
  return true;
}

// Keeps queued indices and running loaders pointing at the same entries after
// an insertion (Delta 1) or deletion (Delta -1) at Index. Under the lock.
void TRuzozAdMView::AdjustLoadIndices(Integer Index, Integer Delta) {
  std::vector<Integer> kept;
  for (Integer q : queue_) {
    if (Delta < 0 && q == Index) continue;
    kept.push_back(q >= Index ? q + Delta : q);
  }
  queue_.swap(kept);
  for (TRuzozAdIO* l : loaders_) {
    const Integer tag = static_cast<Integer>(l->Tag());
    if (tag < 0) continue;
    if (Delta < 0 && tag == Index) {
      l->SetTag(-2);
      l->Aborting = true;
    } else if (tag >= Index) {
      l->SetTag(tag + Delta);
    }
  }
}

std::unique_ptr<TIEBitmap> TRuzozAdMView::MakeThumbnail(TIEBitmap* Bitmap) const {
  if (storeType_ == ietNormal) return nullptr;
  const Integer w = Bitmap->Width(), h = Bitmap->Height();
  if (!AlwaysScale && w <= thumbW_ && h <= thumbH_) return nullptr;
  Integer tw = 0, th = 0;
  FitSizeInto(w, h, thumbW_, thumbH_, tw, th);
  if (tw == w && th == h) return nullptr;
  auto out = std::make_unique<TIEBitmap>();
  out->SetLocation(islMemory);
  if (w <= 0 || h <= 0) {
    out->AllocateImage(tw, th, ipkRGB24);
    out->FillWith(0);
    return out;
  }
  if (Bitmap->PixelKind() == ipkBW1) {
    out->AllocateImage(tw, th, ipkRGB24);
    ShrinkBilevelToRGB(Bitmap, 0, 0, w - 1, h - 1, out.get());
  } else if (ThumbnailFilter == rfNone) {
    out->AllocateImage(tw, th, Bitmap->PixelKind());
    StretchNearest(Bitmap, out.get());
    out->ConvertToKind(ipkRGB24);
  } else {
    TIEBitmap rgb;
    TIEBitmap* src = Bitmap;
    if (Bitmap->PixelKind() != ipkRGB24) {
      rgb.SetLocation(islMemory);
      rgb.CopyFromObject(Bitmap);
      rgb.ConvertToKind(ipkRGB24);
      src = &rgb;
    }
    out->AllocateImage(tw, th, ipkRGB24);
    ResampleImage(src, out.get(), ThumbnailFilter);
  }
  return out;
}

bool TRuzozAdMView::StoreEntryCore(Integer Index, TIEBitmap* Bitmap, Integer SrcW, Integer SrcH) {
  LibraryLockGuard lock;
  Entry* e = EntryPtr(Index);
  if (e == nullptr || closing_) return Index == selected_;
  const bool wasSelected = Index == selected_ && selectedBitmap_ != nullptr;
  if (wasSelected) {
    imageCache_->ReleaseBitmap(selectedBitmap_, false);
    selectedBitmap_ = nullptr;
  }
  imageCache_->DeleteImage(e->image);
  e->image = nullptr;
  DropDisplayOf(e);
  e->image = imageCache_->AddImage(Bitmap);
  if (e->image != nullptr) {
    imageCache_->SetSourceWidth(e->image, SrcW);
    imageCache_->SetSourceHeight(e->image, SrcH);
  }
  if (wasSelected) selectedBitmap_ = imageCache_->CheckOutBitmap(e->image);
  return Index == selected_;
}

void TRuzozAdMView::StoreEntryBitmap(Integer Index, TIEBitmap* Bitmap) {
  if (Index < 0) throw EListError("List index out of bounds (" + IntToStr(Index) + ")");
  if (Bitmap == nullptr) return;
  bool selectedOne;
  {
    std::unique_ptr<TIEBitmap> thumb = InList(Index) ? MakeThumbnail(Bitmap) : nullptr;
    selectedOne = StoreEntryCore(Index, thumb ? thumb.get() : Bitmap, Bitmap->Width(), Bitmap->Height());
  }
  if (selectedOne) RetakeSelectedBitmap();
}

void TRuzozAdMView::StoreEntryTBitmap(Integer Index, TBitmap* Bitmap) {
  if (Bitmap == nullptr) return;
  TIEBitmap wrap;
  wrap.AttachTBitmap(Bitmap, false);
  StoreEntryBitmap(Index, &wrap);
}

void TRuzozAdMView::StoreFrameDelay(Integer Index, Integer Milliseconds) {
  if (Entry* e = EntryPtr(Index)) e->delay = Milliseconds;
}

Integer TRuzozAdMView::FrameDelay(Integer Index) const {
  const Entry* e = EntryPtr(Index);
  return e ? e->delay : 0;
}

void TRuzozAdMView::StoreSourceWidth(Integer Index, Integer Value) {
  LibraryLockGuard lock;
  Entry* e = EntryPtr(Index);
  if (e && e->image) imageCache_->SetSourceWidth(e->image, Value);
}

void TRuzozAdMView::StoreSourceHeight(Integer Index, Integer Value) {
  LibraryLockGuard lock;
  Entry* e = EntryPtr(Index);
  if (e && e->image) imageCache_->SetSourceHeight(e->image, Value);
}

Integer TRuzozAdMView::SourceWidth(Integer Index) const {
  LibraryLockGuard lock;
  const Entry* e = EntryPtr(Index);
  return e && e->image ? e->image->SourceWidth : 0;
}

Integer TRuzozAdMView::SourceHeight(Integer Index) const {
  LibraryLockGuard lock;
  const Entry* e = EntryPtr(Index);
  return e && e->image ? e->image->SourceHeight : 0;
}

Integer TRuzozAdMView::EntryRow(Integer Index) const {
  const Entry* e = EntryPtr(Index);
  return e ? e->row : 0;
}

Integer TRuzozAdMView::EntryColumn(Integer Index) const {
  const Entry* e = EntryPtr(Index);
  return e ? e->col : 0;
}

TPoint TRuzozAdMView::EntryCellOrigin(Integer Index) const {
  const Entry* e = EntryPtr(Index);
  return e ? TPoint{e->cellX, e->cellY} : TPoint{0, 0};
}

Integer TRuzozAdMView::TakeLastChange() {
  const Integer kind = lastChange_;
  lastChange_ = lcNone;
  return kind;
}

void TRuzozAdMView::SetEntryFileName(Integer Index, const std::string& FileName) {
  LibraryLockGuard lock;
  if (Entry* e = EntryPtr(Index)) e->fileName = FileName;
}

std::string TRuzozAdMView::EntryFileName(Integer Index) const {
  LibraryLockGuard lock;
  const Entry* e = EntryPtr(Index);
  return e ? e->fileName : std::string();
}

void TRuzozAdMView::SetEntryImageID(Integer Index, Integer ID) {
  LibraryLockGuard lock;
  if (Entry* e = EntryPtr(Index)) e->imageID = ID;
}

TIEMText* TRuzozAdMView::EntryText(Integer Index, Integer Position) const {
  const Entry* e = EntryPtr(Index);
  if (e == nullptr || Position < 0 || Position > 2) return nullptr;
  return e->texts[Position].get();
}

TColor TRuzozAdMView::EntryBackground(Integer Index) const {
  const Entry* e = EntryPtr(Index);
  return e ? e->background : Background();
}

bool TRuzozAdMView::EntryHasImage(Integer Index) const {
  LibraryLockGuard lock;
  const Entry* e = EntryPtr(Index);
  return e != nullptr && e->image != nullptr;
}

TPoint TRuzozAdMView::StoredImageSize(Integer Index) const {
  LibraryLockGuard lock;
  const Entry* e = EntryPtr(Index);
  if (e == nullptr || e->image == nullptr) return TPoint{0, 0};
  return TPoint{imageCache_->ImageWidth(e->image), imageCache_->ImageHeight(e->image)};
}

bool TRuzozAdMView::CopyStoredImage(Integer Index, TIEBitmap* Dest) const {
  LibraryLockGuard lock;
  const Entry* e = EntryPtr(Index);
  if (e == nullptr || e->image == nullptr || Dest == nullptr) return false;
  TBitmap* b = imageCache_->CheckOutBitmap(e->image);
  if (b == nullptr) return false;
  Dest->ImportFromTBitmap(b);
  imageCache_->ReleaseBitmap(b, false);
  return true;
}

// --- Caches -----------------------------------------------------------------------

void TRuzozAdMView::DropDisplayOf(Entry* E) {
  if (E->display == nullptr) return;
  displayCache_->DeleteImage(E->display);
  E->display = nullptr;
}

void TRuzozAdMView::DropDisplayCache() {
  LibraryLockGuard lock;
  for (auto& e : entries_) DropDisplayOf(e.get());
}

// --- TIEView ----------------------------------------------------------------------

void TRuzozAdMView::SetBackground(TColor Value) {
  TIEView::SetBackground(Value);
  Update();
}

Integer TRuzozAdMView::ResumeRefresh() {
  if (updateLock_ > 0) --updateLock_;
  if (updateLock_ == 0) Update();
  return updateLock_;
}

Integer TRuzozAdMView::ResumeRefreshQuiet() {
  if (updateLock_ > 0) --updateLock_;
  return updateLock_;
}

TRuzozAdMIO* TRuzozAdMView::OwnMIO() {
  if (ownMIO_ == nullptr) {
    ownMIO_ = new TRuzozAdMIO(this);
    ownMIO_->SetAttachedMView(this);
    ownMIO_->OnProgress = OnProgress;
  }
  return ownMIO_;
}

TRuzozAdProc* TRuzozAdMView::OwnProc() {
  if (ownProc_ == nullptr) {
    ownProc_ = new TRuzozAdProc(this);
    ownProc_->SetAttachedRuzozAd(this);
    ownProc_->OnProgress = OnProgress;
  }
  return ownProc_;
}

void TRuzozAdMView::SetOnProgress(const TIEProgressEvent& Value) {
  OnProgress = Value;
  if (ownMIO_) ownMIO_->OnProgress = Value;
  if (ownProc_) ownProc_->OnProgress = Value;
}

void TRuzozAdMView::DoViewChange(Integer Change) {
  if (OnViewChange) OnViewChange(this, Change);
}

// --- Properties -------------------------------------------------------------------

void TRuzozAdMView::SetScrollBars(TScrollStyle Value) {
  if (Value == scrollBars_) return;
  scrollBars_ = Value;
  if (HandleAllocated()) {
    if (Value == ssHorizontal || Value == ssBoth) ::ShowScrollBar(Handle(), SB_HORZ, FALSE);
    if (Value == ssVertical || Value == ssBoth) ::ShowScrollBar(Handle(), SB_VERT, FALSE);
    // A bar the style no longer enables goes too.
    if (Value == ssNone || Value == ssVertical) ::ShowScrollBar(Handle(), SB_HORZ, FALSE);
    if (Value == ssNone || Value == ssHorizontal) ::ShowScrollBar(Handle(), SB_VERT, FALSE);
  }
  Update();
}

void TRuzozAdMView::SetThumbWidth(Integer Value) {
  if (Value == thumbW_) return;
  thumbW_ = Value;
  DropDisplayCache();
  Update();
}

void TRuzozAdMView::SetThumbHeight(Integer Value) {
  if (Value == thumbH_) return;
  thumbH_ = Value;
  DropDisplayCache();
  Update();
}

void TRuzozAdMView::SetDisplayMode(TIEMDisplayMode Value) {
  if (playing_) {
    savedMode_ = Value;
    return;
  }
  if (Value == displayMode_) return;
  displayMode_ = Value;
  Update();
}

void TRuzozAdMView::SetImageCacheSize(Integer Value) {
  imageCacheSize_ = Value;
  LibraryLockGuard lock;
  imageCache_->SetMaxMappedViews(Value);
}

void TRuzozAdMView::SetWallPaper(TPicture* Value) {
  wallpaper_->Assign(Value);
  Update();
}

// --- Layout -----------------------------------------------------------------------

Integer TRuzozAdMView::GridColumns() const {
  if (gridWidth_ != -1) return gridWidth_;
  const Integer step = hBorder_ + thumbW_;
  const Integer n = step > 0 ? (viewW_ - hBorder_) / step : 1;
  // A view narrower than one cell still shows one column, not one long row.
  return std::max<Integer>(1, n);
}

void TRuzozAdMView::LayoutCells() {
  LibraryLockGuard lock;
  const Integer gw = GridColumns();
  Integer i = 0, r = 0;
  contentW_ = 0;
  contentH_ = 0;
  for (auto& e : entries_) {
    Integer x = i * (thumbW_ + hBorder_), y = r * (thumbH_ + vBorder_);
    if (displayMode_ == mdGrid) {
      x += hBorder_;
      y += vBorder_;
    }
    e->cellX = x;
    e->cellY = y;
    e->row = r;
    e->col = i;
    contentW_ = std::max(contentW_, x);
    contentH_ = std::max(contentH_, y);
    ++i;
    if (i == gw || displayMode_ == mdSingle) {
      i = 0;
      if (displayMode_ != mdSingle) ++r;
    }
  }
  contentW_ += thumbW_ + hBorder_;
  contentH_ += thumbH_ + vBorder_;
}

void TRuzozAdMView::Update() {
  if (updateLock_ > 0 || inUpdate_ || destroying_) return;
  const TComponentState state = ComponentState();
  if ((state.Bits() & ~TComponentState{csDesigning, csFreeNotification}.Bits()) != 0) return;
  if (Parent() == nullptr) return;
  if (state.Contains(csDesigning)) {
    Invalidate();
    return;
  }
  inUpdate_ = true;
  DropDisplayCache();
  viewW_ = ClientWidth();
  viewH_ = ClientHeight();
  LayoutCells();
  UpdateScrollBars();
  NotifyChangeListeners();
  inUpdate_ = false;
  Invalidate();
}

void TRuzozAdMView::UpdateScrollBars() {
  for (Integer pass = 0; pass < 9; ++pass) {
    const Integer cw = ClientWidth(), ch = ClientHeight();
    viewW_ = cw;
    viewH_ = ch;
    const Integer maxX = std::max(contentW_ - cw, 0), maxY = std::max(contentH_ - ch, 0);
    if (scrollX_ > maxX || scrollY_ > maxY) {
      {
        LibraryLockGuard lock;
        scrollX_ = std::min(scrollX_, maxX);
        scrollY_ = std::min(scrollY_, maxY);
      }
      DoViewChange(0);
    }
    if (HandleAllocated()) {
      try {
        const HWND h = Handle();
        auto bar = [&](int which, Integer client, Integer max, Integer offset, double& ratio) {
          if (max <= 0) {
            if (ScrollBarsAlwaysVisible) {
              ::ShowScrollBar(h, which, TRUE);
              ::EnableScrollBar(h, which, ESB_DISABLE_BOTH);
            } else {
              ::ShowScrollBar(h, which, FALSE);
            }
            return;
          }
          ratio = (client + max - 1) / 65536.0;
          SCROLLINFO si{};
          si.cbSize = sizeof si;
          si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
          si.nMin = 0;
          si.nMax = 65535;
          si.nPage = static_cast<UINT>(std::trunc(client / ratio));
          si.nPos = static_cast<int>(std::trunc(offset / ratio));
          ::ShowScrollBar(h, which, TRUE);
          ::EnableScrollBar(h, which, ESB_ENABLE_BOTH);
          ::SetScrollInfo(h, which, &si, TRUE);
        };
        if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth) bar(SB_HORZ, cw, maxX, scrollX_, ratioX_);
        if (scrollBars_ == ssVertical || scrollBars_ == ssBoth) bar(SB_VERT, ch, maxY, scrollY_, ratioY_);
      } catch (...) {
        // Scroll bars are cosmetic: a failure to set them leaves the layout.
      }
    }
    if (ClientWidth() == cw && ClientHeight() == ch) break;
  }
}

void TRuzozAdMView::SetScrollXY(Integer X, Integer Y) {
  const Integer maxX = std::max(contentW_ - static_cast<Integer>(viewW_), 0);
  const Integer maxY = std::max(contentH_ - static_cast<Integer>(viewH_), 0);
  X = ClampInt(X, 0, maxX);
  Y = ClampInt(Y, 0, maxY);
  if (X == scrollX_ && Y == scrollY_) return;
  {
    LibraryLockGuard lock;
    scrollX_ = X;
    scrollY_ = Y;
  }
  Invalidate();
  if (!HandleAllocated()) return;
  if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth)
    ::SetScrollPos(Handle(), SB_HORZ, static_cast<int>(std::trunc(X / ratioX_)), TRUE);
  if (scrollBars_ == ssVertical || scrollBars_ == ssBoth)
    ::SetScrollPos(Handle(), SB_VERT, static_cast<int>(std::trunc(Y / ratioY_)), TRUE);
}

Integer TRuzozAdMView::EntryOfCell(Integer Column, Integer Row) const { return Column + Row * GridColumns(); }

Integer TRuzozAdMView::EntryAt(Integer X, Integer Y) const {
  const Integer px = X + scrollX_, py = Y + scrollY_;
  const Integer sy = vBorder_ + thumbH_, sx = hBorder_ + thumbW_;
  if (px < 0 || py < 0 || sx <= 0 || sy <= 0) return -1;
  const Integer idx = EntryOfCell(px / sx, py / sy);
  const Entry* e = EntryPtr(idx);
  if (e == nullptr) return -1;
  const Integer left = e->cellX - scrollX_, top = e->cellY - scrollY_;
  if (X < left || X > left + thumbW_ - 1 || Y < top || Y > top + thumbH_) return -1;
  return idx;
}

// --- Window -----------------------------------------------------------------------

void TRuzozAdMView::CreateParams(TCreateParams& Params) {
  TIEView::CreateParams(Params);
  Params.WindowClass.style |= CS_DBLCLKS;
}

void TRuzozAdMView::CreateWnd() {
  TIEView::CreateWnd();
  wnd_ = Handle();
}

void TRuzozAdMView::DestroyWnd() {
  {
    LibraryLockGuard lock;
    wnd_ = nullptr;
  }
  StopPlaybackTimer();
  TIEView::DestroyWnd();
}

void TRuzozAdMView::WndProc(TMessage& Message) {
  switch (Message.Msg) {
    case WM_TIMER:
      if (Message.WParam == 1) {
        PlaybackStep();
        Message.Result = 0;
        return;
      }
      break;
    case WM_GETDLGCODE:
      Message.Result = DLGC_WANTARROWS;
      return;
    case CM_WANTSPECIALKEY:
      Message.Result = Message.WParam >= 33 && Message.WParam <= 40 ? 1 : 0;
      return;
    case IEM_SELECTEDLOADED:
      RetakeSelectedBitmap();
      Message.Result = 0;
      return;
    case WM_PALETTECHANGED:
      if (reinterpret_cast<HWND>(Message.WParam) != Handle()) Invalidate();
      break;
    case WM_QUERYNEWPALETTE:
      Invalidate();
      break;
    default:
      break;
  }
  TIEView::WndProc(Message);
}

void TRuzozAdMView::WMSize(TMessage& Message) {
  TIEView::WMSize(Message);
  viewW_ = ClientWidth();
  viewH_ = ClientHeight();
  Update();
}

void TRuzozAdMView::WMEraseBkgnd(TMessage& Message) { Message.Result = 0; }

void TRuzozAdMView::WMSetFocus(TMessage& Message) {
  TIEView::WMSetFocus(Message);
  Invalidate();
}

void TRuzozAdMView::WMKillFocus(TMessage& Message) {
  TIEView::WMKillFocus(Message);
  Invalidate();
}

void TRuzozAdMView::WMHScroll(TMessage& Message) { ScrollBarMessage(Message, false); }
void TRuzozAdMView::WMVScroll(TMessage& Message) { ScrollBarMessage(Message, true); }

void TRuzozAdMView::ScrollBarMessage(TMessage& Message, bool Vertical) {
  const TIEScrollBarParams* p = Vertical ? vParams_.get() : hParams_.get();
  const Integer pos = Vertical ? scrollY_ : scrollX_;
  const Integer cell = Vertical ? thumbH_ + vBorder_ : thumbW_ + hBorder_;
  const Integer client = Vertical ? static_cast<Integer>(viewH_) : static_cast<Integer>(viewW_);
  const Integer line = p->LineStep == -1 ? cell : p->LineStep;
  const Integer page = p->PageStep == -1 ? client : p->PageStep;
  const double ratio = Vertical ? ratioY_ : ratioX_;
  Integer v = pos;
  switch (LOWORD(Message.WParam)) {
    case SB_LINEUP: v = pos - line; break;
    case SB_LINEDOWN: v = pos + line; break;
    case SB_PAGEUP: v = pos - page; break;
    case SB_PAGEDOWN: v = pos + page; break;
    case SB_THUMBTRACK:
      if (!p->Tracking) break;
      [[fallthrough]];
    case SB_THUMBPOSITION: {
      // The 16-bit position of the message is not enough for 65535 steps.
      SCROLLINFO si{};
      si.cbSize = sizeof si;
      si.fMask = SIF_TRACKPOS;
      Integer track = HIWORD(Message.WParam);
      if (HandleAllocated() && ::GetScrollInfo(Handle(), Vertical ? SB_VERT : SB_HORZ, &si)) track = si.nTrackPos;
      v = static_cast<Integer>(std::trunc(track * ratio));
      break;
    }
    case SB_TOP: v = 0; break;
    case SB_BOTTOM: v = Vertical ? contentH_ : contentW_; break;
    default: break;
  }
  if (Vertical)
    SetScrollXY(scrollX_, v);
  else
    SetScrollXY(v, scrollY_);
  Message.Result = 0;
}

bool TRuzozAdMView::DoMouseWheel(TShiftState Shift, Integer WheelDelta, TPoint MousePos) {
  if (TIEView::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  const Integer notches = WheelDelta / WHEEL_DELTA;
  SetScrollY(scrollY_ - notches * (thumbH_ + vBorder_));
  return true;
}
