// Speed of the image views: rendering a 6000 x 4000 picture into a shown
// 1280 x 800 single-image view at the fit zoom and at 100 % (frames per second;
// a frame is a full render of the display buffer and its copy to the window),
// and the thumbnail view's own cases (views_bench_mview.cpp). Not part of the tests.
//
//   views_bench [seconds per case, default 3]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "imaging/views/ruzozadview.h"
#include "platform/Forms.h"

// The thumbnail view's cases (views_bench_mview.cpp).
void BenchThumbnailViews(double SecondsPerCase);

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point Since) { return std::chrono::duration<double>(Clock::now() - Since).count(); }

std::unique_ptr<TBitmap> Picture(Integer W, Integer H) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(W, H);
  for (Integer y = 0; y < H; ++y) {
    Byte* p = static_cast<Byte*>(b->ScanLine(y));
    for (Integer x = 0; x < W; ++x, p += 3) {
      p[0] = static_cast<Byte>(x * 255 / W);
      p[1] = static_cast<Byte>(y * 255 / H);
      p[2] = static_cast<Byte>((x ^ y) & 255);
    }
  }
  return b;
}

// Renders and paints frames until Seconds passed; Step runs before each
// frame (a scroll, say). Returns frames per second.
// A step that scrolls makes the view render and paint by itself; otherwise
// the frame is a layout pass (which marks the buffer for a full render) and
// the paint that follows.
template <class F>
double Frames(TRuzozAdView* View, double Limit, bool StepPaints, F Step) {
  Integer frames = 0;
  const auto start = Clock::now();
  while (Seconds(start) < Limit) {
    Step(frames);
    if (!StepPaints) {
      View->Update();
      ::UpdateWindow(View->Handle());
    }
    ++frames;
  }
  return frames / Seconds(start);
}

void BenchSingleImageView(double Limit) {
  auto form = std::unique_ptr<TForm>(CreateForm<TForm>(nullptr));
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, 1280, 800);
  auto* view = new TRuzozAdView(form.get());
  view->SetParent(form.get());
  view->SetBorderStyle(bsNone);
  view->SetBounds(0, 0, 1280, 800);
  form->Show();
  Application->ProcessMessages();
  const auto load = Clock::now();
  {
    auto picture = Picture(6000, 4000);
    view->Assign(picture.get());
  }
  std::printf("picture 6000 x 4000 made and assigned in %.2f s\n", Seconds(load));

  view->FitToClient();
  const double fit = Frames(view, Limit, false, [](Integer) {});
  std::printf("fit (zoom %.2f %%, %d x %d shown): %.1f frames/s (target >= 60)\n", view->Zoom(), view->DestWidth(),
              view->DestHeight(), fit);

  view->SetZoom(100);
  const double still = Frames(view, Limit, false, [](Integer) {});
  std::printf("100 %%, still: %.1f frames/s\n", still);
  Integer mx, my;
  view->MaxScroll(mx, my);
  const double scrolling =
      Frames(view, Limit, true, [&](Integer n) { view->SetScrollXY(1 + (n * 37) % mx, 1 + (n * 23) % my); });
  std::printf("100 %%, scrolled every frame: %.1f frames/s\n", scrolling);
}

}  // namespace

int main(int argc, char** argv) {
  const double limit = argc > 1 ? std::atof(argv[1]) : 3.0;
  Application->Initialize();
  BenchSingleImageView(limit);
  BenchThumbnailViews(limit);
  return 0;
}
