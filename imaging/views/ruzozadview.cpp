// The single-image view: construction, properties, zoom, fitting, scrolling,
// scroll bars, the wheel and the layout pass.
#include "imaging/views/ruzozadview.h"

#include <algorithm>
#include <cmath>

#include "imaging/buffer/ruzozadproc_component.h"
#include "imaging/formats/ioparams.h"
#include "imaging/formats/ruzozadio.h"
#include "platform/Forms.h"
#include "platform/Timer.h"

// ---------------------------------------------------------------------------
// Unit start: screen metrics and cursors.

const TIEScreenMetrics& IEScreenMetrics() {
  static const TIEScreenMetrics metrics = [] {
    TIEScreenMetrics m;
    if (HDC dc = ::GetDC(nullptr)) {
      m.DpiX = ::GetDeviceCaps(dc, LOGPIXELSX);
      m.DpiY = ::GetDeviceCaps(dc, LOGPIXELSY);
      ::ReleaseDC(nullptr, dc);
    }
    m.EdgeX = ::GetSystemMetrics(SM_CXEDGE);
    m.EdgeY = ::GetSystemMetrics(SM_CYEDGE);
    // The readers' default resolution is the screen's.
    if (IEDefaultDpiX == 0) IEDefaultDpiX = m.DpiX;
    if (IEDefaultDpiY == 0) IEDefaultDpiY = m.DpiY;
    return m;
  }();
  return metrics;
}

void RegisterViewCursors() {
  static bool done = false;
  if (done || !Screen) return;
  done = true;
  static const wchar_t* const names[18] = {L"ZOOMMENO", L"ZOOMPIU", L"CROCE",   L"GOMMA",   L"MANO",   L"PENNA",
                                           L"CROCE1",   L"CROCE3",  L"MOVE2",   L"MOVEY",   L"MOVE1",  L"MOVEX",
                                           L"MOVE",     L"CROCE3+", L"CROCE3-", L"CROCE2",  L"CROCE2+", L"CROCE2-"};
  // Without the program's artwork a system cursor of the same role stands in.
  static const LPCWSTR fallback[18] = {IDC_ARROW, IDC_ARROW,  IDC_CROSS,  IDC_ARROW,  IDC_HAND,   IDC_ARROW,
                                       IDC_CROSS, IDC_CROSS,  IDC_SIZENWSE, IDC_SIZENS, IDC_SIZENESW, IDC_SIZEWE,
                                       IDC_SIZEALL, IDC_CROSS, IDC_CROSS, IDC_CROSS,  IDC_CROSS,  IDC_CROSS};
  const HINSTANCE module = ::GetModuleHandleW(nullptr);
  for (int i = 0; i < 18; ++i) {
    HCURSOR c = ::LoadCursorW(module, names[i]);
    if (!c) c = ::LoadCursorW(nullptr, fallback[i]);
    Screen->SetCursors(crIEZoomOut + i, c);
  }
}

// ---------------------------------------------------------------------------
// Construction and destruction.

TRuzozAdView::TRuzozAdView(TComponent* AOwner) : TIEView(AOwner) {
  IEScreenMetrics();
  ownLegacy_ = std::make_unique<TBitmap>();
  ownLegacy_->SetPixelFormat(pf24bit);
  legacy_ = ownLegacy_.get();
  auto image = std::make_unique<TIEBitmap>();
  image->AttachTBitmap(legacy_, false);
  current_ = image.get();
  layers_.push_back(std::make_unique<TIELayer>(image.release(), true));
  imageWidth_ = current_->Width();
  imageHeight_ = current_->Height();
  drawDib_ = DrawDibOpenHandle();
  RegisterViewCursors();
  SetViewCursor(crIEViewDefault);
  hParams_ = std::make_unique<TIEScrollBarParams>();
  vParams_ = std::make_unique<TIEScrollBarParams>();
  wheelParams_ = std::make_unique<TIEMouseWheelParams>();
  SetBounds(Left(), Top(), 105, 105);
  StoreResolution(IEScreenMetrics().DpiX, IEScreenMetrics().DpiY);
  if (!Designing()) buffer_ = std::make_unique<TBitmap>();
  if (buffer_) buffer_->SetPixelFormat(pf24bit);
  selMask_ = std::make_unique<TIEMask>();
  timer_ = new TTimer(this);
  timer_->SetEnabled(false);
  timer_->SetInterval(210);
  timer_->OnTimer = TNotifyEvent(this, &TRuzozAdView::OutlineTimerTick);
}

TRuzozAdView::~TRuzozAdView() {
  try {
    SyncLayers();
  } catch (...) {
  }
  // The components go first: their destructors remove their listeners from us.
  delete io_;
  io_ = nullptr;
  delete proc_;
  proc_ = nullptr;
  if (timer_) timer_->OnTimer = TNotifyEvent();
  if (drawDib_) DrawDibCloseHandle(drawDib_);
  drawDib_ = nullptr;
  layers_.clear();
  current_ = nullptr;
  legacy_ = nullptr;
  ownLegacy_.reset();
}

void TRuzozAdView::Notification(TComponent* AComponent, TOperation Operation) {
  TIEView::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == io_) io_ = nullptr;
  if (AComponent == proc_) proc_ = nullptr;
  if (AComponent == timer_) timer_ = nullptr;
}

void TRuzozAdView::Loaded() {
  TIEView::Loaded();
  SetOnProgress(onProgress_);
  Update();
}

TRuzozAdIO* TRuzozAdView::OwnIO() {
  if (!io_) {
    io_ = new TRuzozAdIO(this);
    io_->SetAttachedRuzozAd(this);
    io_->OnProgress = onProgress_;
  }
  return io_;
}

TRuzozAdProc* TRuzozAdView::OwnProc() {
  if (!proc_) {
    proc_ = new TRuzozAdProc(this);
    proc_->SetAttachedRuzozAd(this);
    proc_->OnProgress = onProgress_;
  }
  return proc_;
}

// ---------------------------------------------------------------------------
// TIEView operations.

void TRuzozAdView::SetBackground(TColor Value) {
  TIEView::SetBackground(Value);
  if (Designing()) current_->FillWith(Value);
  Update();
  NotifyImageChanged();
}

TIEBitmap* TRuzozAdView::AlphaBitmap() { return current_->GetAlphaChannel(); }

bool TRuzozAdView::AlphaBitmapPresent() { return current_->HasAlphaChannel(); }

void TRuzozAdView::SuspendRefresh() { ++lockCount_; }

Integer TRuzozAdView::ResumeRefresh() {
  if (lockCount_ > 0) --lockCount_;
  if (lockCount_ == 0) Update();
  return lockCount_;
}

Integer TRuzozAdView::ResumeRefreshQuiet() {
  if (lockCount_ > 0) --lockCount_;
  return lockCount_;
}

void TRuzozAdView::NotifyImageChanged() {
  if (OnImageChange) OnImageChange(this);
}

void TRuzozAdView::ClearToBackground() {
  current_->FillWith(Background());
  FlattenAlpha(false);
  Update();
}

void TRuzozAdView::Assign(TPersistent* Source) {
  if (!Source) {
    ClearToBackground();
    return;
  }
  if (auto* view = dynamic_cast<TRuzozAdView*>(Source)) {
    current_->CopyFromObject(view->current_);
    TIEView::SetBackground(view->Background());
    StoreResolution(view->ResolutionX(), view->ResolutionY());
    Update();
    NotifyImageChanged();
  } else if (auto* bitmap = dynamic_cast<TBitmap*>(Source)) {
    current_->ImportFromTBitmap(bitmap);
    if (current_->PixelKind() != ipkBW1 && current_->PixelKind() != ipkRGB24) current_->ConvertToKind(ipkRGB24);
    Update();
    NotifyImageChanged();
  }
}

void TRuzozAdView::SetBounds(Integer ALeft, Integer ATop, Integer AWidth, Integer AHeight) {
  TIEView::SetBounds(ALeft, ATop, AWidth, AHeight);
  const TComponentState s = ComponentState();
  if ((s.Contains(csLoading) || s.Contains(csReading) || s.Contains(csDesigning)) && current_) {
    current_->ResizeWidth(Width());
    current_->ResizeHeight(Height());
    ClearToBackground();
  }
}

// ---------------------------------------------------------------------------
// Properties.

void TRuzozAdView::SetZoomFilter(TResampleFilter Value) {
  savedFilter_ = Value;
  if (Value == zoomFilter_) return;
  zoomFilter_ = Value;
  Update();
}

void TRuzozAdView::SetScrollBars(TScrollStyle Value) {
  scrollBars_ = Value;
  if (HandleAllocated()) {
    if (Value != ssVertical && Value != ssBoth) ::ShowScrollBar(Handle(), SB_VERT, FALSE);
    if (Value != ssHorizontal && Value != ssBoth) ::ShowScrollBar(Handle(), SB_HORZ, FALSE);
  }
  Update();
}

void TRuzozAdView::SetCenter(bool Value) {
  if (Value == center_) return;
  center_ = Value;
  Update();
}

void TRuzozAdView::SetBackgroundStyle(TIEBackgroundStyle Value) {
  backgroundStyle_ = Value;
  Invalidate();
  Update();
}

void TRuzozAdView::SetEnableAlphaChannel(bool Value) {
  enableAlpha_ = Value;
  Update();
}

void TRuzozAdView::SetViewCursor(TCursor Value) {
  viewCursor_ = Value;
  SetCursor(Value);
}

void TRuzozAdView::SetOnProgress(const TIEProgressEvent& Value) {
  onProgress_ = Value;
  if (io_) io_->OnProgress = Value;
  if (proc_) proc_->OnProgress = Value;
}

// ---------------------------------------------------------------------------
// Small virtual operations.

void TRuzozAdView::DoViewChange(Integer Kind) {
  if (OnViewChange) OnViewChange(this, Kind);
}

bool TRuzozAdView::HasHostWindow() { return GetParentForm(this) != nullptr || ParentWindow() != nullptr; }

Integer TRuzozAdView::ViewClientWidth() { return HasHostWindow() ? ClientWidth() : 50; }

Integer TRuzozAdView::ViewClientHeight() { return HasHostWindow() ? ClientHeight() : 50; }

bool TRuzozAdView::IsImageEmpty() { return current_->Width() <= 1 && current_->Height() <= 1; }

// ---------------------------------------------------------------------------
// Zoom and fitting.

void TRuzozAdView::FitMargins(Integer& MX, Integer& MY) const {
  MX = MY = 0;
  if (backgroundStyle_ == iebsCropped) {
    MX = IEScreenMetrics().EdgeX;
    MY = IEScreenMetrics().EdgeY;
  } else if (backgroundStyle_ == iebsCropShadow) {
    MX = MY = 5;
  }
}

double TRuzozAdView::FitZoom() {
  Integer mx, my;
  FitMargins(mx, my);
  if (imageWidth_ <= 0 || imageHeight_ <= 0) return 100.0;
  return std::min((Height() - 2.0 * my) / (imageHeight_ / 100.0), (Width() - 2.0 * mx) / (imageWidth_ / 100.0));
}

void TRuzozAdView::FitToClient() {
  if (imageWidth_ != 0 && imageHeight_ != 0) SetZoom(FitZoom());
}

double TRuzozAdView::AutoFitZoom() {
  try {
    Integer mx, my;
    FitMargins(mx, my);
    const Integer aw = ViewClientWidth() - 2 * mx, ah = ViewClientHeight() - 2 * my;
    const Integer iw = imageWidth_, ih = imageHeight_;
    if (aw <= 0 || ah <= 0 || iw <= 0 || ih <= 0) return 100.0;
    if (iw <= 1 && ih <= 1) return 100.0;
    const bool widthLimits = static_cast<double>(iw) / aw > static_cast<double>(ih) / ah;
    const bool larger = widthLimits ? iw > aw : ih > ah;
    const bool fit = larger ? (autoShrink_ || autoFit_) : (autoStretch_ || autoFit_);
    const double z = fit ? FitZoom() : 100.0;
    return z < 1.0 ? 1.0 : z;
  } catch (...) {
    return 100.0;
  }
}

void TRuzozAdView::ApplyZoom(double Value) {
  zoom_ = Value;
  factor_ = Value / 100.0;
  invFactor_ = 100.0 / Value;
}

void TRuzozAdView::StartDelayCounters(bool ForZoom) {
  (void)ForZoom;
  if (delayZoomFilter_ && zoomFilter_ != rfNone && zoom_ != 100.0) delayedFilter_ = 2;
  scrolled_ = 2;
  if (timer_) timer_->SetEnabled(true);
}

void TRuzozAdView::SetZoom(double Value) {
  if (Value <= 0 || Value == zoom_) return;
  StartDelayCounters(true);
  SuspendRefresh();
  Integer maxX, maxY;
  MaxScroll(maxX, maxY);  // the limits of the zoom in force before the change
  const Integer cx = static_cast<Integer>(static_cast<Cardinal>(ViewClientWidth()) >> 1);
  const Integer cy = static_cast<Integer>(static_cast<Cardinal>(ViewClientHeight()) >> 1);
  const double newFactor = Value / 100.0;
  const Integer sx = static_cast<Integer>(
      Trunc(static_cast<Extended>(Round((cx + scrollX_ - originX_) * invFactor_)) * newFactor - cx));
  const Integer sy = static_cast<Integer>(
      Trunc(static_cast<Extended>(Round((cy + scrollY_ - originY_) * invFactor_)) * newFactor - cy));
  scrollX_ = ClampInt(sx, 0, std::max(maxX, 0));
  scrollY_ = ClampInt(sy, 0, std::max(maxY, 0));
  ApplyZoom(Value);
  Update();
  ResumeRefreshQuiet();
  Paint();
  SuspendRefresh();
  Update();
  ResumeRefreshQuiet();
  DoViewChange(1);
}

void TRuzozAdView::ZoomAtPoint(Integer X, Integer Y, double Value) {
  SuspendRefresh();
  const Integer bx = ClientToBitmapX(X), by = ClientToBitmapY(Y);
  SetZoom(Value);
  const double f = zoom_ / 100.0;
  // Halves truncated toward zero.
  SetScrollXY(static_cast<Integer>(Trunc(f * bx - ViewClientWidth() / 2)),
              static_cast<Integer>(Trunc(f * by - ViewClientHeight() / 2)));
  ResumeRefresh();
}

// ---------------------------------------------------------------------------
// Scrolling.

void TRuzozAdView::MaxScroll(Integer& MaxX, Integer& MaxY) {
  MaxX = MaxY = 0;
  const Integer w = static_cast<Integer>(Trunc((imageWidth_ + extraHalf_) * factor_));
  const Integer h = static_cast<Integer>(Trunc((imageHeight_ + extraHalf_) * factor_));
  if (w <= 0 || h <= 0) return;
  MaxX = w - ViewClientWidth();
  MaxY = h - ViewClientHeight();
  // Less than one picture pixel to scroll is nothing to scroll. Measured from
  // the picture's edge: a client coordinate would go through the origin and
  // the tables of the last render, which belong to another layout.
  if (MaxX < 0 || Trunc(MaxX * invFactor_) == 0) MaxX = 0;
  if (MaxY < 0 || Trunc(MaxY * invFactor_) == 0) MaxY = 0;
  if (Width() >= w && Height() >= h) MaxX = MaxY = 0;
}

bool TRuzozAdView::CanScroll() {
  Integer mx, my;
  MaxScroll(mx, my);
  return mx > 0 || my > 0;
}

void TRuzozAdView::AfterScroll(bool Horizontal, bool Vertical) {
  reRender_ = true;
  fullRepaint_ = true;
  Paint();
  DoViewChange(0);
  if (selectionExists_) DrawSelections(this, false);
  if (!HandleAllocated()) return;
  if (Horizontal && (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth))
    ::SetScrollPos(Handle(), SB_HORZ, static_cast<int>(Trunc(scrollX_ / hRatio_)), TRUE);
  if (Vertical && (scrollBars_ == ssVertical || scrollBars_ == ssBoth))
    ::SetScrollPos(Handle(), SB_VERT, static_cast<int>(Trunc(scrollY_ / vRatio_)), TRUE);
}

void TRuzozAdView::SetScrollX(Integer Value) {
  if (Value == scrollX_) return;
  StartDelayCounters(false);
  Integer mx, my;
  MaxScroll(mx, my);
  scrollX_ = ClampInt(Value, 0, std::max(mx, 0));
  AfterScroll(true, false);
}

void TRuzozAdView::SetScrollY(Integer Value) {
  if (Value == scrollY_) return;
  StartDelayCounters(false);
  Integer mx, my;
  MaxScroll(mx, my);
  scrollY_ = ClampInt(Value, 0, std::max(my, 0));
  AfterScroll(false, true);
}

void TRuzozAdView::SetScrollXY(Integer X, Integer Y) {
  if (X == scrollX_ && Y == scrollY_) return;
  StartDelayCounters(false);
  Integer mx, my;
  MaxScroll(mx, my);
  const Integer nx = ClampInt(X, 0, std::max(mx, 0)), ny = ClampInt(Y, 0, std::max(my, 0));
  if (nx == scrollX_ && ny == scrollY_) return;
  scrollX_ = nx;
  scrollY_ = ny;
  AfterScroll(true, true);
}

void TRuzozAdView::ScrollMessage(TMessage& Message, bool Vertical) {
  const TIEScrollBarParams* p = Vertical ? vParams_.get() : hParams_.get();
  const Integer offset = Vertical ? scrollY_ : scrollX_;
  const Integer client = Vertical ? ViewClientHeight() : ViewClientWidth();
  const double ratio = Vertical ? vRatio_ : hRatio_;
  const Integer l = std::max(static_cast<Integer>(Trunc(factor_)), 1);
  const Integer line = p->LineStep == -1 ? 1 : p->LineStep;
  Integer value = offset;
  switch (LOWORD(Message.WParam)) {
    case SB_LINEUP:
      value = offset - l * line;
      break;
    case SB_LINEDOWN:
      value = offset + l * line;
      break;
    case SB_PAGEUP:
      value = p->PageStep == -1 ? offset - client : offset - l * p->PageStep;
      break;
    case SB_PAGEDOWN:
      value = p->PageStep == -1 ? offset + client : offset + l * p->PageStep;
      break;
    case SB_THUMBTRACK:
      if (!p->Tracking) return;
      [[fallthrough]];
    case SB_THUMBPOSITION: {
      // The 16-bit position of the message is too small for our range: ask the bar.
      Integer pos = static_cast<Integer>(HIWORD(Message.WParam));
      if (HandleAllocated()) {
        SCROLLINFO si{};
        si.cbSize = sizeof(si);
        si.fMask = SIF_TRACKPOS;
        if (::GetScrollInfo(Handle(), Vertical ? SB_VERT : SB_HORZ, &si)) pos = si.nTrackPos;
      }
      value = static_cast<Integer>(Trunc(pos * ratio));
      break;
    }
    case SB_TOP:
      value = 0;
      break;
    case SB_BOTTOM: {
      Integer mx, my;
      MaxScroll(mx, my);
      value = Vertical ? my : mx;
      break;
    }
    default:
      return;
  }
  if (Vertical)
    SetScrollY(value);
  else
    SetScrollX(value);
}

void TRuzozAdView::WMHScroll(TMessage& Message) {
  ScrollMessage(Message, false);
  Message.Result = 0;
}

void TRuzozAdView::WMVScroll(TMessage& Message) {
  ScrollMessage(Message, true);
  Message.Result = 0;
}

void TRuzozAdView::WMMouseWheel(TMessage& Message) {
  const TIEMouseWheelParams* p = wheelParams_.get();
  if (p->Action == 0) {
    TIEView::WMMouseWheel(Message);
    return;
  }
  const short delta = static_cast<short>(HIWORD(Message.WParam));
  Integer d = delta > 0 ? -1 : 1;
  if (p->Reverse) d = -d;
  if (p->Action == 1) {
    Integer step;
    if (p->StepKind == 0)
      step = d * p->Step * std::max(static_cast<Integer>(Trunc(factor_)), 1);
    else
      step = d * std::max(static_cast<Integer>(Round(ViewClientHeight() * p->Step / 100.0)), 1);
    SetScrollY(scrollY_ + step);
  } else if (p->Action == 2) {
    double z;
    if (p->StepKind == 0)
      z = zoom_ + d * p->Step;
    else
      z = zoom_ + d * std::max(static_cast<Integer>(Round(p->Step * zoom_ / 100.0)), 1);
    if (p->ZoomAtMouse != 0) {
      POINT pt{static_cast<short>(LOWORD(Message.LParam)), static_cast<short>(HIWORD(Message.LParam))};
      if (HandleAllocated()) ::ScreenToClient(Handle(), &pt);
      ZoomAtPoint(pt.x, pt.y, z);
    } else {
      SetZoom(z);
    }
  }
  Message.Result = 0;
}

// ---------------------------------------------------------------------------
// Messages.

void TRuzozAdView::WndProc(TMessage& Message) {
  if (Message.Msg == IEM_IOFINISHED) {
    Update();
    return;
  }
  TIEView::WndProc(Message);
}

void TRuzozAdView::WMSize(TMessage& Message) {
  TIEView::WMSize(Message);
  Update();
}

void TRuzozAdView::WMEraseBkgnd(TMessage& Message) { Message.Result = 0; }

void TRuzozAdView::WMSetFocus(TMessage& Message) {
  TIEView::WMSetFocus(Message);
  Invalidate();
}

void TRuzozAdView::WMKillFocus(TMessage& Message) {
  TIEView::WMKillFocus(Message);
  Invalidate();
}

bool TRuzozAdView::PaletteChanged(bool) {
  TCustomForm* main = Application ? Application->MainForm() : nullptr;
  if (main && main->HandleAllocated()) {
    HDC dc = ::GetDC(main->Handle());
    const UINT changed = DrawDibRealizePalette(drawDib_, dc, false);
    ::ReleaseDC(main->Handle(), dc);
    if (changed != 0) Invalidate();
  } else {
    Invalidate();
  }
  return true;
}

// ---------------------------------------------------------------------------
// The layout pass.

bool TRuzozAdView::InLayoutState() const {
  TComponentState s = ComponentState();
  s.Exclude(csDesigning).Exclude(csFreeNotification);
  return !(s == TComponentState());
}

void TRuzozAdView::UpdateScrollBar(Integer Bar, Integer Max, Integer ClientSize, Integer Offset, double& Ratio) {
  const HWND wnd = Handle();
  if (Max <= 0) {
    if (ScrollBarsAlwaysVisible) {
      ::ShowScrollBar(wnd, Bar, TRUE);
      ::EnableScrollBar(wnd, Bar, ESB_DISABLE_BOTH);
    } else {
      ::ShowScrollBar(wnd, Bar, FALSE);
    }
    return;
  }
  Ratio = (ClientSize + Max) / 65536.0;
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_RANGE;
  si.nMin = 0;
  si.nMax = 65535;
  ::SetScrollInfo(wnd, Bar, &si, FALSE);
  si.fMask = SIF_PAGE;
  si.nPage = static_cast<UINT>(Trunc(ClientSize / Ratio));
  ::SetScrollInfo(wnd, Bar, &si, TRUE);
  si.fMask = SIF_POS;
  si.nPos = static_cast<int>(Trunc(Offset / Ratio));
  ::SetScrollInfo(wnd, Bar, &si, FALSE);
  ::EnableScrollBar(wnd, Bar, ESB_ENABLE_BOTH);
  ::ShowScrollBar(wnd, Bar, TRUE);
}

void TRuzozAdView::Update() {
  if (InLayoutState()) return;
  if (Designing() && !HasHostWindow()) return;
  if (!current_) return;
  SyncLayers();
  if ((autoStretch_ || autoShrink_ || autoFit_) && !IsImageEmpty()) {
    ApplyZoom(AutoFitZoom());
    DoViewChange(1);
  }
  if (imageWidth_ != lastWidth_ || imageHeight_ != lastHeight_) {
    lastWidth_ = imageWidth_;
    lastHeight_ = imageHeight_;
    if (selectionExists_) ClearSelection();
    selMask_->AllocateMask(imageWidth_, imageHeight_, 1);
    if (current_->HasAlphaChannel()) {
      TIEBitmap* a = current_->GetAlphaChannel();
      if (a->Width() != imageWidth_ || a->Height() != imageHeight_) {
        a->AllocateImage(imageWidth_, imageHeight_, ipkGray8);
        a->FillWith(255);
      }
    }
  }
  if (!Designing()) {
    Integer mx, my;
    MaxScroll(mx, my);
    bool lowered = false;
    if (scrollX_ > mx) scrollX_ = std::max(mx, 0), lowered = true;
    if (scrollY_ > my) scrollY_ = std::max(my, 0), lowered = true;
    if (lowered) DoViewChange(0);
    if (HasHostWindow() && HandleAllocated()) {
      const Integer cw = ClientWidth(), ch = ClientHeight();
      try {
        if (scrollBars_ == ssHorizontal || scrollBars_ == ssBoth)
          UpdateScrollBar(SB_HORZ, mx, ViewClientWidth(), scrollX_, hRatio_);
        if (scrollBars_ == ssVertical || scrollBars_ == ssBoth)
          UpdateScrollBar(SB_VERT, my, ViewClientHeight(), scrollY_, vRatio_);
      } catch (...) {
      }
      // A bar that came or went changed the client area: lay out again. Two
      // bars can make each other needed in turn; the depth bound ends that.
      if ((ClientWidth() != cw || ClientHeight() != ch) && !inUpdate_) {
        inUpdate_ = true;
        try {
          Update();
        } catch (...) {
          inUpdate_ = false;
          throw;
        }
        inUpdate_ = false;
        return;
      }
    }
  }
  zoomedW_ = static_cast<Integer>(Round(imageWidth_ * factor_));
  zoomedH_ = static_cast<Integer>(Round(imageHeight_ * factor_));
  originX_ = originY_ = 0;
  const Integer cw = Designing() ? Width() : ViewClientWidth();
  const Integer ch = Designing() ? Height() : ViewClientHeight();
  extentW_ = std::min(zoomedW_, cw);
  extentH_ = std::min(zoomedH_, ch);
  if (center_) {
    if (extentW_ < cw) originX_ = static_cast<Integer>(static_cast<Cardinal>(cw - extentW_) >> 1);
    if (extentH_ < ch) originY_ = static_cast<Integer>(static_cast<Cardinal>(ch - extentH_) >> 1);
  }
  reRender_ = true;
  fullRepaint_ = true;
  if (HasHostWindow() && !InvalidateSuppressed && AutoInvalidate) Invalidate();
}

// ---------------------------------------------------------------------------
// The outline timer and the delayed counters.

void TRuzozAdView::OutlineTimerTick(TObject* Sender) { DrawSelections(Sender, true); }

void TRuzozAdView::TickDelayCounters() {
  if (timer_) timer_->SetEnabled(delayedFilter_ > 0 || scrolled_ > 0);
  if (delayedFilter_ > 0) {
    --delayedFilter_;
    if (delayedFilter_ == 0) Update();
  }
  if (scrolled_ > 0) --scrolled_;
}
