// Helpers for the animation tests: documents built in code, a fake painter
// clock, and composing an animation frame by frame through a painter.
#pragma once

#include <atomic>
#include <vector>

#include "gif/GIFPainter.h"
#include "tests/gif/gif_test_util.h"

namespace animtest {

struct FrameSpec {
  int left, top, width, height;
  std::vector<Byte> pixels;  // width x height; empty = all zero
  int delay = 0;             // -1: no graphic control extension
  int disposal = 0;
  int transparent = -1;      // transparent index, -1 for none
};

// A document with a global map of the given colours (0x00BBGGRR) and the frames.
inline std::unique_ptr<TGIFImage> MakeImage(int lw, int lh, const std::vector<TColor>& colors,
                                            const std::vector<FrameSpec>& frames) {
  auto img = std::make_unique<TGIFImage>();
  img->SetLogicalWidth(lw);
  img->SetLogicalHeight(lh);
  for (TColor c : colors) img->GlobalColorMap()->AppendColor(c);
  for (const FrameSpec& s : frames) {
    auto f = std::make_unique<TGIFSubImage>(img.get());
    f->SetPlacement(s.left, s.top, s.height, s.width);
    if (!s.pixels.empty()) std::copy(s.pixels.begin(), s.pixels.end(), f->Data());
    if (s.delay >= 0) {
      auto g = std::make_unique<TGIFGraphicControlExtension>(f.get());
      g->SetFrameDelay(Word(s.delay));
      g->SetDisposalMethod(s.disposal);
      if (s.transparent >= 0) {
        g->Control.TransparentIndex = Byte(s.transparent);
        g->SetUsesTransparentIndex(true);
      }
      f->Extensions()->Append(std::move(g));
    }
    img->AddFrame(std::move(f));
  }
  return img;
}

inline void AddLoop(TGIFImage& img, int frame, int loops) {
  TGIFSubImage* f = img.Frames()->FrameAt(frame);
  auto l = std::make_unique<TGIFAppExtNSLoop>(f);
  l->SetLoops(Word(loops));
  f->Extensions()->InsertAt(0, std::move(l));
}

// A clock that only moves when the painter waits (or a test moves it).
struct FakeClock {
  std::atomic<DWORD> now{1000};
  std::vector<DWORD> sleeps;   // painter-not-threaded sleeps (0 = yield)
  std::vector<DWORD> waits;    // threaded waits (INFINITE for endless)
  TGIFPainterClock saved;
  FakeClock() {
    saved = GIFPainterClock;
    GIFPainterClock.Now = [this] { return now.load(); };
    GIFPainterClock.Sleep = [this](DWORD ms) {
      sleeps.push_back(ms);
      now += ms;
    };
    GIFPainterClock.WaitWake = [this](HANDLE h, DWORD ms) {
      waits.push_back(ms);
      if (ms == INFINITE) return ::WaitForSingleObject(h, INFINITE) == WAIT_OBJECT_0;
      if (::WaitForSingleObject(h, 0) == WAIT_OBJECT_0) return true;
      now += ms;
      return false;
    };
  }
  ~FakeClock() { GIFPainterClock = saved; }
  // Sum of the non-zero sleeps since the last call.
  DWORD TakeSlept() {
    DWORD total = 0;
    for (DWORD s : sleeps) total += s;
    sleeps.clear();
    return total;
  }
};

// Pixels of a bitmap as 0x00BBGGRR values, row by row.
inline std::vector<TColor> PixelsOf(TBitmap& bmp) {
  std::vector<TColor> out;
  for (int y = 0; y < bmp.Height(); ++y)
    for (int x = 0; x < bmp.Width(); ++x) out.push_back(bmp.Canvas()->Pixels(x, y) & 0xFFFFFF);
  return out;
}

// Plays the image once on a bitmap filled with Fill (painter not threaded,
// transparent drawing, fake clock) and returns the canvas after each frame.
inline std::vector<std::vector<TColor>> ComposeFrames(TGIFImage& img, TColor Fill) {
  FakeClock clock;
  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(img.LogicalWidth(), img.LogicalHeight());
  target.Canvas()->Brush()->SetColor(Fill);
  target.Canvas()->FillRect(Rect(0, 0, target.Width(), target.Height()));
  std::vector<std::vector<TColor>> frames;
  img.SetPaintBackground(Fill);
  img.OnFrameShown = [&](TObject*) { frames.push_back(PixelsOf(target)); };
  TGIFPainter* ref = nullptr;
  img.CreatePainter(&ref, target.Canvas(), pfAnimate | pfTransparent, Rect(0, 0, target.Width(), target.Height()));
  img.OnFrameShown = {};
  return frames;
}

}  // namespace animtest
