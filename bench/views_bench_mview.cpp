// Scrolling a thumbnail view of 10,000 entries: one page at a time through
// the whole list, every step painted into an off-screen bitmap of the view's
// size, first with the scaled cells made on the way (display cache empty) and
// then once more over the same pages.
//
// BenchThumbnailScroll() is one case of views_bench; the program's main runs it.
#include <chrono>
#include <cstdio>
#include <memory>

#include "imaging/views/ruzozadmview.h"
#include "platform/Forms.h"

namespace {

using Clock = std::chrono::steady_clock;

std::unique_ptr<TIEBitmap> Picture(Integer W, Integer H, Integer Variant) {
  auto b = std::make_unique<TIEBitmap>();
  b->SetLocation(islMemory);
  b->AllocateImage(W, H, ipkRGB24);
  for (Integer y = 0; y < H; ++y) {
    auto* row = static_cast<TIEColorTriple*>(b->GetRowPointer(y));
    for (Integer x = 0; x < W; ++x)
      row[x] = MakeColorTriple(static_cast<Byte>(x * 3 + Variant), static_cast<Byte>(y * 5), static_cast<Byte>(Variant));
  }
  return b;
}

}  // namespace

void BenchThumbnailScroll() {
  constexpr Integer kEntries = 10000, kW = 1280, kH = 800;
  std::printf("== thumbnail view: %d entries, %d x %d, 100 x 100 cells\n", kEntries, kW, kH);
  std::unique_ptr<TForm> form(CreateForm<TForm>(nullptr));
  form->SetBorderStyle(bsNone);
  form->SetBounds(0, 0, kW, kH);
  auto* view = new TRuzozAdMView(form.get());
  view->SetBorderStyle(bsNone);
  view->SetParent(form.get());
  view->SetBounds(0, 0, kW, kH);
  view->SetGridWidth(-1);
  view->SetStoreType(ietThumb);

  auto start = Clock::now();
  view->SuspendRefresh();
  for (Integer i = 0; i < kEntries; ++i) {
    view->InsertEntry(i);
    auto pic = Picture(160 + i % 7 * 20, 120, i % 251);
    view->StoreEntryBitmap(i, pic.get());
  }
  view->ResumeRefresh();
  std::printf("filling (thumbnails made and stored): %.2f s\n",
              std::chrono::duration<double>(Clock::now() - start).count());

  TBitmap target;
  target.SetPixelFormat(pf24bit);
  target.SetSize(kW, kH);
  const Integer step = kH / 2;
  for (int pass = 0; pass < 2; ++pass) {
    Integer frames = 0;
    view->SetScrollY(0);
    start = Clock::now();
    for (;;) {
      view->PaintCells(target.Canvas());
      ++frames;
      const Integer before = view->ScrollY();
      view->SetScrollY(before + step);
      if (view->ScrollY() == before) break;
    }
    const double s = std::chrono::duration<double>(Clock::now() - start).count();
    std::printf("%s: %d frames of half a page in %.2f s, %.1f frames per second\n",
                pass == 0 ? "scroll, cells scaled on the way" : "scroll again", frames, s, frames / s);
  }
}

#ifdef VIEWS_BENCH_MVIEW_MAIN
int main() {
  BenchThumbnailScroll();
  return 0;
}
#endif
