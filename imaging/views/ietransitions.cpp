#include "imaging/views/ietransitions.h"

#include <algorithm>
#include <cstring>

#include "imaging/views/ieview.h"
#include "platform/Controls.h"
#include "platform/Timer.h"

namespace {
constexpr Integer Full = TIETransitionEffects::FullProgress;

DWORD SystemTicks() { return ::GetTickCount(); }

Integer Nearest(Extended X) { return static_cast<Integer>(Round(X)); }
}  // namespace

TIETransitionEffects::TIETransitionEffects(TIEView* View)
    : TickSource(&SystemTicks),
      source_(std::make_unique<TBitmap>()),
      target_(std::make_unique<TBitmap>()),
      work_(std::make_unique<TBitmap>()),
      view_(View),
      timer_(std::make_unique<TTimer>(nullptr)) {
  for (TBitmap* b : {source_.get(), target_.get(), work_.get()}) {
    b->SetPixelFormat(pf24bit);
    b->SetSize(1, 1);
  }
  timer_->SetEnabled(false);
  timer_->SetInterval(1);
  timer_->OnTimer = [this](TObject*) { Step(); };
}

TIETransitionEffects::~TIETransitionEffects() {
  // The owning view is going: no resume of its refresh, no more ticks.
  timer_.reset();
}

void TIETransitionEffects::Prepare(TBitmap* Bitmap, std::vector<Byte*>& Rows, Integer W, Integer H) {
  Bitmap->SetPixelFormat(pf24bit);
  Bitmap->SetSize(W, H);
  Bitmap->Canvas()->Handle();  // selects the DIB now, so the row addresses below stay valid
  ::GdiFlush();
  Rows.resize(static_cast<size_t>(H));
  for (Integer y = 0; y < H; ++y) Rows[static_cast<size_t>(y)] = static_cast<Byte*>(Bitmap->ScanLine(y));
}

void TIETransitionEffects::Start(TBitmap* Source, TBitmap* Target, TIETransitionType Type, Integer Duration) {
  if (running_) Stop();
  if (Type == iettNone) return;  // nothing would ever end it
  const TRect client = view_->ClientRect();
  const Integer w = client.Right - client.Left;
  const Integer h = client.Bottom - client.Top;
  if (w <= 0 || h <= 0) return;
  const TColor back = static_cast<TColor>(ColorToRGB(view_->Background()));
  struct Pair {
    TBitmap* into;
    std::vector<Byte*>* rows;
    TBitmap* from;
  };
  for (const Pair& pair : {Pair{source_.get(), &sourceRows_, Source}, Pair{target_.get(), &targetRows_, Target},
                           Pair{work_.get(), &workRows_, Source}}) {
    Prepare(pair.into, *pair.rows, w, h);
    TCanvas* canvas = pair.into->Canvas();
    canvas->Brush()->SetColor(back);
    canvas->FillRect(Rect(0, 0, w, h));
    if (pair.from && !pair.from->Empty()) canvas->Draw(0, 0, pair.from);
  }
  ::GdiFlush();
  width_ = w;
  height_ = h;
  type_ = Type;
  duration_ = Duration;
  progress_ = 0;
  pointsDone_ = 0;
  view_->SuspendRefresh();  // Stop resumes it
  startTick_ = TickSource();
  running_ = true;
  timer_->SetEnabled(true);
}

void TIETransitionEffects::Stop() {
  if (!running_ || type_ == iettNone) return;
  timer_->SetEnabled(false);
  running_ = false;
  for (auto [b, rows] : {std::pair{source_.get(), &sourceRows_}, std::pair{target_.get(), &targetRows_},
                         std::pair{work_.get(), &workRows_}}) {
    b->SetSize(1, 1);
    rows->clear();
  }
  width_ = height_ = 1;
  view_->ResumeRefreshQuiet();
  if (UpdateOnStop) view_->Update();
}

void TIETransitionEffects::Step() {
  if (!running_) return;
  Compose(progress_);
  Present();
  const DWORD elapsed = TickSource() - startTick_;
  if (static_cast<int64_t>(elapsed) >= duration_) {
    // The last frame shows the finished transition, not the progress of the tick before.
    progress_ = Full;
    Compose(Full);
    Present();
    Stop();
    return;
  }
  progress_ = static_cast<Integer>(std::min<int64_t>(Full, int64_t(elapsed) * Full / duration_));
}

void TIETransitionEffects::Present() {
  if (!view_->HandleAllocated()) return;
  TCanvas* canvas = view_->Canvas();
  const bool ownDc = !canvas->HandleAllocated();
  ::BitBlt(canvas->Handle(), 0, 0, width_, height_, work_->Canvas()->Handle(), 0, 0, SRCCOPY);
  if (ownDc)
    if (auto* controlCanvas = dynamic_cast<TControlCanvas*>(canvas)) controlCanvas->FreeHandle();
}

void TIETransitionEffects::Blend(const std::vector<Byte*>& A, const std::vector<Byte*>& B, const Byte* ConstA,
                                 const Byte* ConstB, Integer P) {
  const Integer q = Full - P;
  const size_t bytes = static_cast<size_t>(width_) * 3;
  for (Integer y = 0; y < height_; ++y) {
    Byte* out = workRows_[static_cast<size_t>(y)];
    const Byte* a = ConstA ? nullptr : A[static_cast<size_t>(y)];
    const Byte* b = ConstB ? nullptr : B[static_cast<size_t>(y)];
    for (size_t i = 0; i < bytes; ++i) {
      const Integer va = a ? a[i] : ConstA[i % 3];
      const Integer vb = b ? b[i] : ConstB[i % 3];
      out[i] = static_cast<Byte>((va * q + vb * P) >> 10);
    }
  }
}

void TIETransitionEffects::Reveal(Integer X, Integer Y, Integer W, Integer H) {
  if (W <= 0 || H <= 0) return;
  ::BitBlt(work_->Canvas()->Handle(), X, Y, W, H, target_->Canvas()->Handle(), X, Y, SRCCOPY);
}

void TIETransitionEffects::RedLine(Integer X1, Integer Y1, Integer X2, Integer Y2) {
  TCanvas* canvas = work_->Canvas();
  canvas->Pen()->SetColor(static_cast<TColor>(255));
  canvas->Pen()->SetWidth(1);
  canvas->MoveTo(X1, Y1);
  canvas->LineTo(X2, Y2);
}

void TIETransitionEffects::CopyRows(const std::vector<Byte*>& From, Integer FromRow, Integer ToRow, Integer Count) {
  const size_t bytes = static_cast<size_t>(width_) * 3;
  for (Integer i = 0; i < Count; ++i)
    std::memcpy(workRows_[static_cast<size_t>(ToRow + i)], From[static_cast<size_t>(FromRow + i)], bytes);
}

void TIETransitionEffects::Compose(Integer P) {
  const Integer w = width_, h = height_, q = Full - P;
  const HDC work = work_->Canvas()->Handle();
  const HDC source = source_->Canvas()->Handle();
  const HDC target = target_->Canvas()->Handle();
  // The edge line marks a moving edge; the first and last frames are the plain pictures.
  const bool edge = P > 0 && P < Full;
  if (P == 0) CopyRows(sourceRows_, 0, 0, h);
  const TColor back = static_cast<TColor>(ColorToRGB(view_->Background()));
  const Byte bg[3] = {GetBValue(back), GetGValue(back), GetRValue(back)};
  const size_t px = 3;
  switch (type_) {
    case iettNone:
      break;
    case iettCrossDissolve:
      Blend(sourceRows_, targetRows_, nullptr, nullptr, P);
      break;
    case iettFadeOut:
      Blend(sourceRows_, {}, nullptr, bg, P);
      break;
    case iettFadeIn:
      Blend({}, targetRows_, bg, nullptr, P);
      break;
    case iettFadeOutIn:
      if (P < Full / 2)
        Blend(sourceRows_, {}, nullptr, bg, 2 * P);
      else
        Blend({}, targetRows_, bg, nullptr, 2 * P - Full);
      break;
    case iettLeftRight1:
    case iettLeftRight2: {
      const Integer x = P * w >> 10;
      Reveal(0, 0, x, h);
      if (type_ == iettLeftRight2 && edge) RedLine(x, 0, x, h);
      break;
    }
    case iettRightLeft1:
    case iettRightLeft2: {
      const Integer x = Nearest(Extended(w) * q / Full);
      Reveal(x, 0, Nearest(Extended(P) * w / Full), h);
      if (type_ == iettRightLeft2 && edge) RedLine(x, 0, x, h);
      break;
    }
    case iettUpDown1:
    case iettUpDown2: {
      const Integer y = Nearest(Extended(P) * h / Full);
      Reveal(0, 0, w, y);
      if (type_ == iettUpDown2 && edge) RedLine(0, y, w, y);
      break;
    }
    case iettDownUp1:
    case iettDownUp2: {
      const Integer y = Nearest(Extended(h) * q / Full);
      Reveal(0, y, w, Nearest(Extended(P) * h / Full));
      if (type_ == iettDownUp2 && edge) RedLine(0, y, w, y);
      break;
    }
    case iettFromUpLeft:
    case iettFromUpRight:
    case iettFromBottomLeft:
    case iettFromBottomRight: {
      const Integer dx = q * w >> 10, dy = q * h >> 10;
      const bool left = type_ == iettFromUpLeft || type_ == iettFromBottomLeft;
      const bool up = type_ == iettFromUpLeft || type_ == iettFromUpRight;
      ::BitBlt(work, left ? -dx : dx, up ? -dy : dy, w, h, target, 0, 0, SRCCOPY);
      break;
    }
    case iettMoveLeftRight1:
    case iettMoveLeftRight2:
    case iettMoveRightLeft1:
    case iettMoveRightLeft2: {
      // Each row: c pixels of the first picture, then w - c pixels of the second.
      const bool leftRight = type_ == iettMoveLeftRight1 || type_ == iettMoveLeftRight2;
      const bool fromEnd = type_ == iettMoveLeftRight1 || type_ == iettMoveRightLeft1;
      const Integer c = (leftRight ? P : q) * w >> 10;
      const std::vector<Byte*>& first = leftRight ? targetRows_ : sourceRows_;
      const std::vector<Byte*>& second = leftRight ? sourceRows_ : targetRows_;
      for (Integer y = 0; y < h; ++y) {
        Byte* out = workRows_[static_cast<size_t>(y)];
        std::memcpy(out, first[static_cast<size_t>(y)] + (fromEnd ? size_t(w - c) * px : 0), size_t(c) * px);
        std::memcpy(out + size_t(c) * px, second[static_cast<size_t>(y)], size_t(w - c) * px);
      }
      break;
    }
    case iettMoveUpDown1:
      CopyRows(targetRows_, h - (P * h >> 10), 0, P * h >> 10);
      CopyRows(sourceRows_, 0, P * h >> 10, h - (P * h >> 10));
      break;
    case iettMoveUpDown2:
      CopyRows(targetRows_, 0, 0, P * h >> 10);
      CopyRows(sourceRows_, 0, P * h >> 10, h - (P * h >> 10));
      break;
    case iettMoveDownUp1:
      CopyRows(sourceRows_, h - (q * h >> 10), 0, q * h >> 10);
      CopyRows(targetRows_, 0, q * h >> 10, h - (q * h >> 10));
      break;
    case iettMoveDownUp2:
      CopyRows(sourceRows_, h - (h * q >> 10), 0, h * q >> 10);
      CopyRows(targetRows_, h * q >> 10, h * q >> 10, h - (h * q >> 10));
      break;
    case iettRandomPoints:
    case iettRandomBoxes: {
      if (P == 0) break;
      if (P == Full) {
        // Random picks leave old spots behind; the finished transition shows all of the target.
        CopyRows(targetRows_, 0, 0, h);
        break;
      }
      if (type_ == iettRandomPoints) {
        const Integer total = Nearest(Extended(P) * w * (Extended(P) / 180) / Full);
        for (Integer y = 0; y < h; ++y) {
          Byte* out = workRows_[static_cast<size_t>(y)];
          const Byte* in = targetRows_[static_cast<size_t>(y)];
          for (Integer i = pointsDone_; i < total; ++i) {
            const size_t x = static_cast<size_t>(Random(w)) * px;
            std::memcpy(out + x, in + x, px);
          }
        }
        pointsDone_ = std::max(pointsDone_, total);
      } else {
        const Integer total = Nearest(Extended(P) * ((w * h) / 64) * (Extended(P) / 180) / Full);
        for (Integer i = pointsDone_; i < total; ++i) {
          const Integer x = Random(w) & ~7, y = Random(h) & ~7;
          ::BitBlt(work, x, y, 8, 8, target, x, y, SRCCOPY);
        }
        pointsDone_ = std::max(pointsDone_, total);
      }
      break;
    }
    case iettCenter1: {
      const Integer x = w / 2 - (P * (w / 2) >> 10), y = h / 2 - (P * (h / 2) >> 10);
      Reveal(x, y, P * w >> 10, P * h >> 10);
      break;
    }
    case iettCenter2: {
      CopyRows(targetRows_, 0, 0, h);
      ::GdiFlush();
      const Integer x = w / 2 - (q * (w / 2) >> 10), y = h / 2 - (q * (h / 2) >> 10);
      const Integer cw = q * w >> 10, ch = q * h >> 10;
      if (cw > 0 && ch > 0) ::BitBlt(work, x, y, cw, ch, source, x, y, SRCCOPY);
      break;
    }
    case iettCenterZoom1:
    case iettCenterZoom2: {
      const bool in = type_ == iettCenterZoom1;
      const Integer r = in ? P : q;
      if (!in) CopyRows(targetRows_, 0, 0, h);
      ::GdiFlush();
      const Integer x = w / 2 - (r * (w / 2) >> 10), y = h / 2 - (r * (h / 2) >> 10);
      const Integer cw = r * w >> 10, ch = r * h >> 10;
      if (cw > 0 && ch > 0) {
        ::SetStretchBltMode(work, COLORONCOLOR);
        ::StretchBlt(work, x, y, cw, ch, in ? target : source, 0, 0, w, h, SRCCOPY);
      }
      break;
    }
  }
  ::GdiFlush();
}
