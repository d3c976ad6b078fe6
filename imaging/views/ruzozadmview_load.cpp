// The thumbnail view's loading by file name (synchronous, or in the background
// through a pool of loaders that the starter thread feeds) and playback.
//
// Lifetime rules that keep background work away from freed objects: every
// loader, the queue and the entries are touched only under the library lock;
// a loader's index follows insertions and deletions (a deleted entry cancels
// its load); the view's destructor first marks itself closing, stops the
// starter and waits for every loader's worker before freeing anything; a
// worker only posts to the view's window (never calls into it) once it has
// stored its picture.
#include <algorithm>

#include "imaging/formats/formatregistry.h"
#include "imaging/formats/ruzozadio.h"
#include "imaging/views/ruzozadmview.h"
#include "imaging/views/ruzozadmview_impl.h"

void TIEStarter::Execute() {
  TRuzozAdMView* v = view_;
  while (!Terminated()) {
    v->StartLoads();
    if (Terminated()) break;
    // While loads run, look again now and then: a worker that failed before
    // its end signal leaves only its empty worker list behind.
    ::WaitForSingleObject(v->wake_, v->RunningLoaderCount() > 0 ? 100 : INFINITE);
  }
}

void TRuzozAdMView::WakeStarter() {
  if (starter_ == nullptr) return;
  if (starter_->Suspended() && !starter_->Terminated()) starter_->Resume();
  ::SetEvent(wake_);
}

Integer TRuzozAdMView::QueuedCount() const {
  LibraryLockGuard lock;
  return static_cast<Integer>(queue_.size());
}

Integer TRuzozAdMView::RunningLoaderCount() const {
  LibraryLockGuard lock;
  return static_cast<Integer>(loaders_.size());
}

bool TRuzozAdMView::CellVisibleLocked(Integer Index) const {
  const Entry* e = EntryPtr(Index);
  if (e == nullptr) return false;
  const Integer x = e->cellX - scrollX_, y = e->cellY - scrollY_;
  return x <= viewW_ - 1 && x + thumbW_ - 1 >= 0 && y <= viewH_ - 1 && y + thumbH_ - 1 >= 0;
}

void TRuzozAdMView::PruneRequests() {
  queue_.erase(std::remove_if(queue_.begin(), queue_.end(), [this](Integer i) { return !CellVisibleLocked(i); }),
               queue_.end());
}

void TRuzozAdMView::ReapLoaders() {
  for (size_t k = 0; k < loaders_.size();) {
    TRuzozAdIO* l = loaders_[k];
    auto tag = static_cast<Integer>(l->Tag());
    if (tag != -1 && l->WorkerCount() == 0) {
      // Its worker is gone without the end signal (the file could not be
      // opened): the entry gets the placeholder like any failed load.
      if (tag >= 0 && !closing_) {
        TIEBitmap wrong;
        MakeWrongImage(&wrong, tag);
        if (StoreEntryCore(tag, &wrong, wrong.Width(), wrong.Height()) && wnd_)
          ::PostMessageW(wnd_, IEM_SELECTEDLOADED, 0, 0);
        if (HWND w = wnd_) ::InvalidateRect(w, nullptr, FALSE);
      }
      l->SetTag(-1);
      tag = -1;
    }
    if (tag == -1) {
      TIEBitmap* b = l->IEBitmap();
      delete l;  // waits for the end of its worker, which needs no lock any more
      delete b;
      loaders_.erase(loaders_.begin() + static_cast<std::ptrdiff_t>(k));
      continue;
    }
    if (tag >= 0 && !CellVisibleLocked(tag)) {
      l->SetTag(-2);
      tag = -2;
    }
    // Told at every reaping: a load that was just starting may have cleared
    // the flag after it was first set.
    if (tag == -2) l->Aborting = true;
    ++k;
  }
}

// The entry's background and, for thumbnails, JPEG files decoded at the
// reduced scale nearest to the cell.
void TRuzozAdMView::PrepareLoader(TRuzozAdIO* IO, const Entry* E, TIEBitmap* Bitmap) {
  IO->AttachIEBitmap(Bitmap);
  IO->SetBackground(E->background);
  if (storeType_ == ietThumb) {
    IO->Params().JpegScaleMode = 0;
    IO->Params().Width = thumbW_;
    IO->Params().Height = thumbH_;
  } else {
    IO->Params().JpegScaleMode = 1;
  }
}

void TRuzozAdMView::StartLoads() {
  LibraryLockGuard lock;
  if (closing_) return;
  ReapLoaders();
  PruneRequests();
  while (!starter_->Terminated() && !queue_.empty() && static_cast<Integer>(loaders_.size()) < threadPoolSize_) {
    const Integer idx = queue_.front();
    queue_.erase(queue_.begin());
    Entry* e = EntryPtr(idx);
    if (e == nullptr || e->image != nullptr || e->fileName.empty()) continue;
    auto* bmp = new TIEBitmap;
    auto* io = new TRuzozAdIO(nullptr);
    io->SetTag(idx);
    loaders_.push_back(io);
    PrepareLoader(io, e, bmp);
    io->OnFinishWork = TNotifyEvent(this, &TRuzozAdMView::LoaderFinished);
    io->AsyncMode = true;
    try {
      io->LoadFileByExtension(e->fileName);
    } catch (...) {
      // Failed before a worker started: the next reaping stores the placeholder.
      io->Aborting = true;
    }
  }
}

void TRuzozAdMView::LoaderFinished(TObject* Sender) {
  auto* io = static_cast<TRuzozAdIO*>(Sender);
  TIEBitmap* bmp = io->IEBitmap();
  Integer tag;
  std::string fileName;
  {
    LibraryLockGuard lock;
    tag = static_cast<Integer>(io->Tag());
    if (closing_ || bmp == nullptr || tag < 0) {
      io->SetTag(-1);
      WakeStarter();
      return;
    }
    if (const Entry* e = EntryPtr(tag)) fileName = e->fileName;
    if (io->Aborting) {
      ::OutputDebugStringA(("Aborting " + fileName).c_str());
      MakeWrongImage(bmp, tag);
    }
  }
  // Scaling needs no lock: the picture is this loader's own.
  std::unique_ptr<TIEBitmap> thumb = MakeThumbnail(bmp);
  LibraryLockGuard lock;
  tag = static_cast<Integer>(io->Tag());
  if (tag >= 0 && !closing_) {
    if (ownMIO_ != nullptr)
      if (TIOParamsVals* p = ownMIO_->ParamsOf(tag)) p->CopyFrom(&io->Params());
    if (Entry* e = EntryPtr(tag)) e->background = io->Background();
    const bool jpeg = io->Params().FileType == ioJPEG;
    const Integer sw = jpeg ? io->Params().JpegOriginalWidth : io->Params().Width;
    const Integer sh = jpeg ? io->Params().JpegOriginalHeight : io->Params().Height;
    // The selected entry's bitmap and listeners belong to the window's thread.
    if (StoreEntryCore(tag, thumb ? thumb.get() : bmp, sw, sh) && wnd_) ::PostMessageW(wnd_, IEM_SELECTEDLOADED, 0, 0);
  }
  thumb.reset();
  io->SetTag(-1);
  WakeStarter();
  if (HWND w = wnd_) ::InvalidateRect(w, nullptr, FALSE);
}

bool TRuzozAdMView::QueueEntryLoad(Integer Index) {
  // Made here, on the window's thread, before a loader could want it.
  OwnMIO();
  LibraryLockGuard lock;
  bool result = false;
  if (Entry* e = EntryPtr(Index)) {
    if (e->image != nullptr) {
      result = true;
    } else {
      PruneRequests();
      const bool queued = std::find(queue_.begin(), queue_.end(), Index) != queue_.end();
      const bool running = std::any_of(loaders_.begin(), loaders_.end(),
                                       [Index](TRuzozAdIO* l) { return l->Tag() == Index; });
      if (queued || running) {
        result = true;
      } else {
        ReapLoaders();
        if (e->imageID != -1 && OnImageIDRequest)
          result = false;
        else if (e->fileName.empty())
          result = false;
        else {
          queue_.push_back(Index);
          result = true;
        }
      }
    }
  }
  WakeStarter();
  return result;
}

bool TRuzozAdMView::LoadWithOwnIO(Integer Index, TIEBitmap* Bitmap) {
  Entry* e = EntryPtr(Index);
  TRuzozAdIO* io = ownIO_;
  PrepareLoader(io, e, Bitmap);
  io->OnProgress = OnIOProgress;
  io->AsyncMode = false;
  try {
    io->LoadFileByExtension(e->fileName);
  } catch (...) {
    io->Aborting = true;
  }
  return !io->Aborting;
}

bool TRuzozAdMView::LoadEntryNow(Integer Index) {
  LibraryLockGuard lock;
  Entry* e = EntryPtr(Index);
  if (e == nullptr) return true;
  if (e->imageID != -1 && OnImageIDRequest) {
    TBitmap* b = nullptr;
    OnImageIDRequest(this, e->imageID, b);
    if (b != nullptr) StoreEntryTBitmap(Index, b);
    return true;
  }
  if (e->fileName.empty()) return true;
  TIEBitmap bmp;
  bmp.SetLocation(islMemory);
  const bool ok = LoadWithOwnIO(Index, &bmp);
  if (!ok) MakeWrongImage(&bmp, Index);
  if (ok && ownMIO_ == nullptr) OwnMIO();
  if (ok)
    if (TIOParamsVals* p = ownMIO_->ParamsOf(Index)) p->CopyFrom(&ownIO_->Params());
  e = EntryPtr(Index);
  if (e != nullptr) e->background = ownIO_->Background();
  ownIO_->AttachIEBitmap(nullptr);
  StoreEntryBitmap(Index, &bmp);
  return ok;
}

void TRuzozAdMView::CancelLoaders() {
  {
    LibraryLockGuard lock;
    queue_.clear();
    for (TRuzozAdIO* l : loaders_)
      if (l->Tag() >= 0) {
        l->SetTag(-2);
        l->Aborting = true;
      }
  }
  for (Integer k = 0; k < 10; ++k) {
    {
      LibraryLockGuard lock;
      ReapLoaders();
      if (loaders_.empty()) break;
    }
    ::Sleep(100);
  }
}

void TRuzozAdMView::StopStarterAndLoaders() {
  {
    LibraryLockGuard lock;
    closing_ = true;
    queue_.clear();
    for (TRuzozAdIO* l : loaders_)
      if (l->Tag() >= 0) {
        l->SetTag(-2);
        l->Aborting = true;
      }
  }
  if (starter_ != nullptr) {
    starter_->Terminate();
    ::SetEvent(wake_);
    starter_->TerminateAndWaitFor();
    delete starter_;
    starter_ = nullptr;
  }
  // Every worker must have left its handler before its loader goes; the
  // handlers see the closing mark and return at once.
  std::vector<TRuzozAdIO*> loaders;
  {
    LibraryLockGuard lock;
    loaders = loaders_;
  }
  for (;;) {
    bool running = false;
    for (TRuzozAdIO* l : loaders)
      if (l->WorkerCount() > 0) {
        running = true;
        l->Aborting = true;  // again: a load just starting clears it
      }
    if (!running) break;
    if (::GetCurrentThreadId() == MainThreadID) CheckSynchronize();
    ::Sleep(1);
  }
  LibraryLockGuard lock;
  for (TRuzozAdIO* l : loaders_) {
    TIEBitmap* b = l->IEBitmap();
    delete l;
    delete b;
  }
  loaders_.clear();
}

void TRuzozAdMView::MakeWrongImage(TIEBitmap* Bitmap, Integer Index) {
  if (Bitmap == nullptr || thumbW_ <= 0 || thumbH_ <= 0) return;
  if (OnWrongImage) {
    Bitmap->AllocateImage(thumbW_, thumbH_, ipkRGB24);
    bool handled = false;
    OnWrongImage(this, Bitmap, Index, handled);
    if (handled) return;
  }
  // Plain GDI on a DIB section of our own: this may run on a loader's thread.
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = thumbW_;
  bi.bmiHeader.biHeight = -thumbH_;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HDC dc = ::CreateCompatibleDC(nullptr);
  HBITMAP dib = ::CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  Bitmap->AllocateImage(thumbW_, thumbH_, ipkRGB24);
  if (dc == nullptr || dib == nullptr || bits == nullptr) {
    Bitmap->FillWith(0xFFFFFF);
  } else {
    HGDIOBJ oldBmp = ::SelectObject(dc, dib);
    RECT r{0, 0, thumbW_, thumbH_};
    ::FillRect(dc, &r, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    const int height = -::MulDiv(thumbH_, ::GetDeviceCaps(dc, LOGPIXELSY), 72);
    HFONT font = ::CreateFontW(height, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                               CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Arial");
    HGDIOBJ oldFont = ::SelectObject(dc, font);
    SIZE ext{};
    ::GetTextExtentPoint32W(dc, L"?", 1, &ext);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(128, 128, 128));
    ::TextOutW(dc, (thumbW_ - ext.cx) / 2 + 3, (thumbH_ - ext.cy) / 2 + 3, L"?", 1);
    ::SetTextColor(dc, RGB(0, 0, 255));
    ::TextOutW(dc, (thumbW_ - ext.cx) / 2, (thumbH_ - ext.cy) / 2, L"?", 1);
    ::GdiFlush();
    ::SelectObject(dc, oldFont);
    ::DeleteObject(font);
    ::SelectObject(dc, oldBmp);
    const Integer stride = static_cast<Integer>(AlignedRowLength(thumbW_, 24));
    for (Integer y = 0; y < thumbH_; ++y)
      std::memcpy(Bitmap->GetRowPointer(y), static_cast<const Byte*>(bits) + static_cast<size_t>(stride) * y,
                  static_cast<size_t>(thumbW_) * 3);
  }
  if (dib) ::DeleteObject(dib);
  if (dc) ::DeleteDC(dc);
}

// --- Playback ---------------------------------------------------------------------

void TRuzozAdMView::StopPlaybackTimer() {
  if (timerMs_ != 0)
    if (HWND w = wnd_) ::KillTimer(w, 1);
  timerMs_ = 0;
}

void TRuzozAdMView::SetPlaying(bool Value) {
  if (Value == playing_) return;
  if (Value) {
    savedMode_ = displayMode_;
    savedSelected_ = selected_;
    DeselectAll();
    Update();
  }
  playing_ = Value;
  PlaybackStep();
  if (!Value) {
    StopPlaybackTimer();
    SetDisplayMode(savedMode_);
    SelectEntry(savedSelected_);
  }
}

void TRuzozAdMView::PlaybackStep() {
  if (stepGuard_ || destroying_) return;
  stepGuard_ = true;
  StopPlaybackTimer();
  if (!playing_) {
    stepGuard_ = false;
    return;
  }
  if (displayMode_ != mdSingle) {
    displayMode_ = mdSingle;
    Update();
  }
  const Integer count = EntryCount();
  if (frame_ > count - 1) frame_ = std::max<Integer>(count - 1, 0);
  if (count == 0) {
    stepGuard_ = false;
    return;
  }
  if (HWND w = wnd_) {
    HDC dc = ::GetDC(w);
    TCanvas canvas;
    canvas.SetHandle(dc);
    PaintCells(&canvas);
    canvas.SetHandle(nullptr);
    ::ReleaseDC(w, dc);
    ::ValidateRect(w, nullptr);
  }
  const Integer shown = frame_;
  if (shown >= count - 1) {
    frame_ = 0;
    NotifyChangeListeners();
    if (!LoopPlayback) {
      stepGuard_ = false;
      // Stopping gives back the grid and the selection of before.
      SetPlaying(false);
      return;
    }
  } else {
    ++frame_;
  }
  timerMs_ = std::max<Integer>(FrameDelay(shown), 10);
  if (HWND w = wnd_) ::SetTimer(w, 1, static_cast<UINT>(timerMs_), nullptr);
  stepGuard_ = false;
}
