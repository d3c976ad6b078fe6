// The animation painter and the image's painting: still frames, painters on
// threads of their own or inside the caller, and stopping them.
#include "gif/GIFPainter.h"

#include <algorithm>

#include "platform/Forms.h"

namespace {

DWORD SystemNow() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return DWORD(now.QuadPart * 1000 / frequency.QuadPart);
}

bool IsMainThread() { return ::GetCurrentThreadId() == MainThreadID; }

void RunPendingSynchronized() {
  if (IsMainThread())
    while (CheckSynchronize()) {
    }
}

}  // namespace

TGIFPainterClock SystemPainterClock() {
  TGIFPainterClock c;
  c.Now = &SystemNow;
  c.Sleep = [](DWORD Ms) { ::Sleep(Ms); };
  c.WaitWake = [](HANDLE Event, DWORD Ms) { return ::WaitForSingleObject(Event, Ms) == WAIT_OBJECT_0; };
  return c;
}

TGIFPainterClock GIFPainterClock = SystemPainterClock();

// ---------------------------------------------------------------------------
// Construction and release.

TGIFPainter::TGIFPainter(TGIFPainter** Reference, TGIFPaintFlags Flags, const TRect& R, TCanvas* ACanvas,
                         TGIFImage* AImage)
    : TThread(true), image_(AImage), canvas_(ACanvas), rect_(R), flags_(Flags), reference_(Reference) {
  if (reference_) *reference_ = this;
  SetFreeOnTerminate(Threaded());
  OnTerminate = TNotifyEvent([this](TObject*) { ReleaseResources(); });
  speed_ = image_->AnimationSpeed();
  if ((flags_ & pfThreaded) && (flags_ & pfAnimate) && image_->Frames()->ItemCount() > 1 && speed_ >= 0)
    wake_ = ::CreateEventW(nullptr, FALSE, FALSE, nullptr);

  if (image_->PaintBackground() != GIFNoPaintBackground)
    backgroundColor_ = ColorToRGB(image_->PaintBackground());
  else if (image_->GlobalColorMap()->Count() > 0)
    backgroundColor_ = image_->BackgroundColor();
  else
    backgroundColor_ = ColorToRGB(clWindow);

  unsigned disposals = 0;
  for (Integer i = 0; i < image_->Frames()->ItemCount(); ++i) {
    TGIFSubImage* f = image_->Frames()->FrameAt(i);
    for (Integer e = 0; e < f->Extensions()->ItemCount(); ++e)
      if (auto* gce = dynamic_cast<TGIFGraphicControlExtension*>(f->Extensions()->ExtensionAt(e)))
        disposals |= 1u << gce->DisposalMethod();
  }
  if (flags_ & pfResetOnLoop) disposals |= 1u << 2;

  const Integer w = rect_.Right - rect_.Left, h = rect_.Bottom - rect_.Top;
  const TRect local = Rect(0, 0, w, h);
  auto snapshot = [&](bool WithBrush) {
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf24bit);
    b->SetSize(w, h);
    b->Canvas()->SetCopyMode(cmSrcCopy);
    if (WithBrush) {
      b->Canvas()->Brush()->SetColor(backgroundColor_);
      b->Canvas()->Brush()->SetStyle(bsSolid);
    }
    return b;
  };
  if ((disposals & (1u << 2)) && (flags_ & pfTransparent)) {
    background_ = snapshot(false);
    background_->Canvas()->CopyRect(local, canvas_, rect_);
  }
  if (disposals & ((1u << 2) | (1u << 3))) {
    backup_ = snapshot(true);
    backup_->Canvas()->CopyRect(local, canvas_, rect_);
    frameBuffer_ = snapshot(true);
  }
}

TGIFPainter::~TGIFPainter() {
  if (!Threaded()) ReleaseResources();
}

void TGIFPainter::ReleaseResources() {
  if (released_) return;
  released_ = true;
  if (image_) {
    TList* list = image_->Painters()->LockList();
    if (reference_ && *reference_ == this) *reference_ = nullptr;
    list->Remove(this);
    image_->Painters()->UnlockList();
    image_ = nullptr;
  }
  backup_.reset();
  frameBuffer_.reset();
  background_.reset();
  if (wake_) ::CloseHandle(wake_);
  wake_ = nullptr;
  // A threaded painter's failure reaches the main thread here (this runs there).
  if (kept_ && Threaded() && Application) {
    try {
      std::rethrow_exception(kept_);
    } catch (...) {
      Application->HandleException(this);
    }
  }
}

void TGIFPainter::StartPainting() {
  if (Threaded()) Start();
}

void TGIFPainter::StopPainter() {
  Terminate();
  if (Threaded()) {
    if (wake_) ::SetEvent(wake_);
    SetPriority(tpNormal);
    if (Suspended()) Resume();
  }
}

void TGIFPainter::RunHere() { Execute(); }

// ---------------------------------------------------------------------------
// The body.

void TGIFPainter::Execute() {
  try {
    Body();
  } catch (...) {
    Terminate();
    kept_ = std::current_exception();
  }
}

void TGIFPainter::Body() {
  if (flags_ & pfValidateCanvas) validationDC_ = canvas_->Handle();
  activeFrame_ = 0;
  FireEvent(OnAnimationStart);
  started_ = false;
  Integer passes = 1;
  Integer loopStart = 0;
  bool loopSeen = false;
  Integer W = Threaded() ? 0 : 1;
  previousDisposal_ = 1;
  DWORD T = GIFPainterClock.Now();
  Integer D = 0;
  while ((passes != 0 || (flags_ & pfRepeatForever)) && !Terminated()) {
    activeFrame_ = loopStart;
    if (started_) FireEvent(OnAnimationLoop);
    while (!Terminated() && activeFrame_ < image_->Frames()->ItemCount()) {
      TGIFSubImage* frame = image_->Frames()->FrameAt(activeFrame_);
      if (frame->IsEmpty()) break;
      WaitForFrame(W, T, D, frame);
      if (Terminated()) break;
      FireEvent(OnFrameShow);
      if (Terminated()) break;
      frame = image_->Frames()->FrameAt(activeFrame_);
      disposal_ = 1;
      for (Integer e = 0; e < frame->Extensions()->ItemCount(); ++e) {
        TGIFExtension* ext = frame->Extensions()->ExtensionAt(e);
        if (auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(ext)) {
          if (!loopSeen) {
            loopSeen = true;
            passes = loop->Loops();
            if (Threaded() && (passes == 0 || (flags_ & pfRepeatForever))) passes = -1;
            loopStart = activeFrame_;
          }
        } else if (auto* gce = dynamic_cast<TGIFGraphicControlExtension*>(ext)) {
          disposal_ = gce->DisposalMethod();
        }
      }
      if (backup_)
        RunSynchronized([this] { PaintComposed(); });
      else
        RunSynchronized([this] { PaintPlain(); });
      previousDisposal_ = disposal_;
      if (Terminated()) break;
      W = GIFDefaults.DefaultDelay;
      if (TGIFGraphicControlExtension* gce = frame->GraphicControl(); gce && gce->FrameDelay() != 0) {
        W = std::max<Integer>(gce->FrameDelay(), GIFDefaults.MinimumDelay);
        if (!Threaded()) W = std::min<Integer>(W, GIFDefaults.MaximumDelay);
      }
      const Integer shown = activeFrame_;
      FireEvent(OnFrameShown);
      if (Terminated()) break;
      if (activeFrame_ == shown) ++activeFrame_;
      if (!(flags_ & pfAnimate)) break;
    }
    if (passes > 0) --passes;
    if (!((flags_ & pfAnimate) && (flags_ & pfRepeat))) break;
  }
  activeFrame_ = -1;
  FireEvent(OnAnimationEnd);
}

void TGIFPainter::WaitForFrame(Integer& W, DWORD& T, Integer& D, TGIFSubImage* Frame) {
  if (W <= 0) {
    GIFPainterClock.Sleep(0);
    return;
  }
  Frame->RenderedBitmap();
  const DWORD N = GIFPainterClock.Now();
  const Integer S = speed_;
  const Integer M = GIFDefaults.MillisecondsPerDelay;
  if (S > 0) {
    // Half of the last wait's overrun is taken off this one.
    const Int64 overrun = Int64(Integer(N - T)) - D;
    const Int64 wanted = Int64(W) * M - overrun / 2;
    const Int64 scaled = wanted * 100 / S;
    if (wanted < INT32_MIN || wanted > INT32_MAX || scaled < INT32_MIN || scaled > INT32_MAX)
      W = GIFDefaults.MaximumDelay * M;
    else
      W = ::MulDiv(Integer(wanted), 100, S);
    D = W;
  } else {
    // -1 is the endless wait (INFINITE) of a threaded painter.
    W = Threaded() ? -1 : GIFDefaults.MaximumDelay * M;
  }
  T = N;
  if (Threaded()) {
    if (W > 0 || S == 0) {
      const DWORD timeout = DWORD(W);
      const bool woken = wake_ ? GIFPainterClock.WaitWake(wake_, timeout)
                               : (GIFPainterClock.Sleep(W > 0 ? DWORD(W) : 0), false);
      if (woken) {
        D = 0;
        T = GIFPainterClock.Now();
      }
    }
    return;
  }
  W = std::max<Integer>(W, 1);
  DWORD U = GIFPainterClock.Now();
  while (W > 0 && !Terminated()) {
    GIFPainterClock.Sleep(DWORD(std::min<Integer>(W, 100)));
    const DWORD now = GIFPainterClock.Now();
    W -= Integer(now - U);
    U = now;
    PumpMessages();
  }
}

void TGIFPainter::PumpMessages() {
  MSG msg;
  while (!Terminated() && ::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(Integer(msg.wParam));
      Terminate();
      break;
    }
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

// ---------------------------------------------------------------------------
// Painting.

void TGIFPainter::PaintPlain() {
  TGIFSubImage* frame = image_->Frames()->FrameAt(activeFrame_);
  frame->DrawScaled(canvas_, rect_, (flags_ & pfTransparent) != 0, (flags_ & pfTile) != 0);
  started_ = true;
}

void TGIFPainter::PaintComposed() {
  if ((flags_ & pfValidateCanvas) && ::GetObjectType(validationDC_) != OBJ_DC) {
    Terminate();
    return;
  }
  TGIFSubImage* frame = image_->Frames()->FrameAt(activeFrame_);
  const bool clearFirst = (flags_ & pfResetOnLoop) && activeFrame_ == 0;
  const TRect local = Rect(0, 0, rect_.Right - rect_.Left, rect_.Bottom - rect_.Top);
  TCanvas* target = backup_->Canvas();
  TRect targetRect = local;
  bool copy = true;
  bool useFrameBuffer = false;
  // Disposal methods 4..7 are undefined; they are painted as "keep".
  if (disposal_ == 3) {
    if (previousDisposal_ == 2 || previousDisposal_ == 3) {
      target = frameBuffer_->Canvas();
      useFrameBuffer = true;
    } else {
      target = canvas_;
      targetRect = rect_;
      copy = false;
    }
  }
  HDC dc = target->Handle();
  HPALETTE pal = frame->PaletteHandle();
  if (!pal) pal = static_cast<HPALETTE>(::GetStockObject(DEFAULT_PALETTE));
  HPALETTE oldPal = ::SelectPalette(dc, pal, FALSE);
  ::RealizePalette(dc);
  try {
    if (clearFirst) RestoreFrameArea();
    if (useFrameBuffer) frameBuffer_->Canvas()->CopyRect(local, backup_->Canvas(), local);
    frame->DrawScaled(target, targetRect, (flags_ & pfTransparent) != 0, (flags_ & pfTile) != 0);
    if (copy) {
      canvas_->SetCopyMode(cmSrcCopy);
      canvas_->CopyRect(rect_, target, targetRect);
    }
  } catch (...) {
    ::SelectPalette(dc, oldPal, FALSE);
    throw;
  }
  ::SelectPalette(dc, oldPal, FALSE);
  if (disposal_ == 2) RestoreFrameArea();
  started_ = true;
}

void TGIFPainter::RestoreFrameArea() {
  TGIFSubImage* frame = image_->Frames()->FrameAt(activeFrame_);
  const TRect local = Rect(0, 0, rect_.Right - rect_.Left, rect_.Bottom - rect_.Top);
  const Integer lw = image_->LogicalWidth(), lh = image_->LogicalHeight();
  const Integer w = frame->Width(), h = frame->Height();
  // Tiles are placed in the buffer's own coordinates.
  auto forEachTile = [&](auto&& Fn) {
    if (lw <= 0 || lh <= 0) return;
    for (Integer x = local.Left + frame->Left(); x < local.Right; x += lw)
      for (Integer y = local.Top + frame->Top(); y < local.Bottom; y += lh) Fn(Rect(x, y, x + w, y + h));
  };
  TCanvas* dst = backup_->Canvas();
  if (flags_ & pfTransparent) {
    if (!background_) return;
    if (flags_ & pfTile)
      forEachTile([&](const TRect& t) { dst->CopyRect(t, background_->Canvas(), t); });
    else {
      const TRect r = frame->ScaledBounds(local);
      dst->CopyRect(r, background_->Canvas(), r);
    }
    return;
  }
  dst->Brush()->SetColor(backgroundColor_);
  dst->Brush()->SetStyle(bsSolid);
  if ((flags_ & pfTile) && w != lw && h != lh)
    forEachTile([&](const TRect& t) { dst->FillRect(t); });
  else
    dst->FillRect(frame->ScaledBounds(local));
}

// ---------------------------------------------------------------------------
// Events and the main thread.

void TGIFPainter::FireEvent(const TNotifyEvent& Handler) {
  if (!Handler) return;
  current_ = Handler;
  try {
    RunSynchronized([this] {
      if (current_) current_(this);
    });
  } catch (...) {
    current_ = {};
    throw;
  }
  current_ = {};
}

void TGIFPainter::RunSynchronized(const std::function<void()>& Method) {
  if (Terminated()) return;
  if (!Threaded()) {
    Method();
    return;
  }
  Synchronize([this, &Method] {
    inSync_ = true;
    try {
      Method();
    } catch (...) {
      inSync_ = false;
      throw;
    }
    inSync_ = false;
  });
}

// ---------------------------------------------------------------------------
// The image's side.

TGIFPainter* TGIFImage::CreatePainter(TGIFPainter** Reference, TCanvas* ACanvas, TGIFPaintFlags Flags,
                                      const TRect& R) {
  if (IsEmpty() || R.Left >= R.Right || R.Top >= R.Bottom) {
    if (Reference) *Reference = nullptr;
    return nullptr;
  }
  if (frames_->ItemCount() == 1) Flags &= TGIFPaintFlags(~(pfThreaded | pfAnimate));
  auto* painter = new TGIFPainter(Reference, Flags, R, ACanvas, this);
  painters_->Add(painter);
  painter->OnAnimationStart = OnAnimationStart;
  painter->OnFrameShow = OnFrameShow;
  painter->OnFrameShown = OnFrameShown;
  painter->OnAnimationLoop = OnAnimationLoop;
  painter->OnAnimationEnd = OnAnimationEnd;
  if (Flags & pfThreaded) {
    painter->SetPriority(painterPriority_);
    return painter;
  }
  painter->RunHere();
  std::exception_ptr failure = painter->KeptException();
  delete painter;
  if (Reference) *Reference = nullptr;
  // The failure of a painter that ran here reaches its caller.
  if (failure) std::rethrow_exception(failure);
  return nullptr;
}

void TGIFImage::Draw(TCanvas* ACanvas, const TRect& Rect) { PaintOnCanvas(ACanvas, Rect); }

namespace {

void DrawCompositeTiled(TGIFImage* Image, TCanvas* ACanvas, const TRect& R, TBitmap* Composite) {
  if (!Composite) return;
  if (!(Image->PaintFlags() & pfTile)) {
    ACanvas->StretchDraw(R, Composite);
    return;
  }
  const Integer lw = Image->LogicalWidth(), lh = Image->LogicalHeight();
  if (lw <= 0 || lh <= 0) return;
  for (Integer x = R.Left; x < R.Right; x += lw)
    for (Integer y = R.Top; y < R.Bottom; y += lh) ACanvas->StretchDraw(Rect(x, y, x + lw, y + lh), Composite);
}

}  // namespace

void TGIFImage::PaintOnCanvas(TCanvas* ACanvas, const TRect& R) {
  if (Painting || IsEmpty()) return;
  Painting = true;
  struct Guard {
    bool& flag;
    ~Guard() { flag = false; }
  } guard{Painting};
  if (frames_->ItemCount() == 1 || !(paintFlags_ & pfAnimate)) {
    frames_->FrameAt(0)->DrawScaled(ACanvas, R, (paintFlags_ & pfTransparent) != 0, (paintFlags_ & pfTile) != 0);
    return;
  }
  if (!composite_ || (paintFlags_ & pfPaintDirect)) {
    painters_->LockList();
    const bool replace = !activePainter_ || activePainter_->Canvas() != ACanvas || !(activePainter_->TargetRect() == R);
    painters_->UnlockList();
    if (!replace) return;
    StopPainting();
    TCanvas* target = ACanvas;
    TRect targetRect = R;
    if (!(paintFlags_ & pfPaintDirect)) {
      TBitmap* comp = NewComposite();
      targetRect = comp->Canvas()->ClipRect();
      comp->Canvas()->CopyRect(targetRect, ACanvas, R);
      target = comp->Canvas();
    }
    TGIFPainter* p = CreatePainter(&activePainter_, target, paintFlags_, targetRect);
    if (!p) return;
    p->StartPainting();
    if (paintFlags_ & pfPaintDirect) return;
    for (;;) {
      painters_->LockList();
      TGIFPainter* a = activePainter_;
      const bool waiting = a && !a->Terminated() && !a->Started();
      painters_->UnlockList();
      if (!waiting) break;
      if (!CheckSynchronize()) GIFPainterClock.Sleep(0);
    }
    DrawCompositeTiled(this, ACanvas, R, CompositeBitmap());
    return;
  }
  DrawCompositeTiled(this, ACanvas, R, CompositeBitmap());
}

void TGIFImage::StopPainting() {
  for (;;) {
    painters_->LockList();
    TGIFPainter* p = activePainter_;
    if (!p) {
      painters_->UnlockList();
      break;
    }
    p->StopPainter();
    // A painter that is not threaded, or one that waits for the very call
    // that stops it (an event handler), ends without being waited for.
    if (!(p->PaintFlags() & pfThreaded) || (p->InSynchronizedCall() && IsMainThread())) {
      painters_->UnlockList();
      break;
    }
    painters_->UnlockList();
    RunPendingSynchronized();
    GIFPainterClock.Sleep(0);
  }
  composite_.reset();
}

void TGIFImage::DetachPainters() {
  TList* list = painters_->LockList();
  for (Integer i = 0; i < list->Count(); ++i) static_cast<TGIFPainter*>(list->Items(i))->Detach();
  list->Clear();
  painters_->UnlockList();
}

void TGIFImage::StopAllPainters() {
  for (;;) {
    TList* list = painters_->LockList();
    if (list->Count() == 0) {
      painters_->UnlockList();
      break;
    }
    Integer waitable = 0;
    for (Integer i = list->Count() - 1; i >= 0; --i) {
      auto* p = static_cast<TGIFPainter*>(list->Items(i));
      p->StopPainter();
      if ((p->PaintFlags() & pfThreaded) && !(p->InSynchronizedCall() && IsMainThread())) ++waitable;
    }
    painters_->UnlockList();
    if (waitable == 0) break;
    RunPendingSynchronized();
    GIFPainterClock.Sleep(0);
  }
  composite_.reset();
}
