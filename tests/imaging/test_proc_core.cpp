// The processing component: attachment, undo and redo, the work region and
// the colour-depth operations on the editor's road.
#include <gtest/gtest.h>

#include <set>

#include "imaging/buffer/ruzozadproc_component.h"
#include "platform/ExtCtrls.h"
#include "proc_fixtures.h"

using namespace procfix;

namespace {

// A view that shows an image buffer (or only a platform bitmap) and counts
// what the component tells it.
class TTestView : public TIEView, public IIESelectionView {
 public:
  explicit TTestView(TComponent* Owner = nullptr) : TIEView(Owner) {}
  TIEBitmap* CurrentIEBitmap() override { return picture; }
  TBitmap* CurrentBitmap() override { return bitmap; }
  void NotifyImageChanged() override { ++imageChanges; }
  void Update() override { ++updates; }

  void WriteSelectionState(TMemoryStream* Stream) override {
    const Integer v = selectionState;
    Stream->WriteBuffer(&v, sizeof v);
  }
  bool ReadSelectionState(TMemoryStream* Stream) override {
    Stream->ReadBuffer(&selectionState, sizeof selectionState);
    return true;
  }
  TIEMask* SelectionMask() override { return &mask; }
  bool SelectionActive() override { return selectionActive; }
  TPoint* SelectionPoints() override { return points; }
  Integer SelectionPointCount() override { return 2; }

  TIEBitmap* picture = nullptr;
  TBitmap* bitmap = nullptr;
  int imageChanges = 0, updates = 0;
  Integer selectionState = 0;
  bool selectionActive = false;
  TIEMask mask;
  TPoint points[2] = {{1, 2}, {3, 4}};
};

size_t DistinctColours(TIEBitmap* B) {
  std::set<Cardinal> s;
  for (const TIEColorTriple& p : Pixels(B)) s.insert(TripleToCardinal(p));
  return s.size();
}

}  // namespace

TEST(ProcessingComponent, EditorRoadReducesToAtMost256ColoursWithUndoAndNotice) {
  auto pic = Busy(64, 48, 9);
  ASSERT_GT(DistinctColours(pic.get()), 256u);
  const auto original = Pixels(pic.get());
  TTestView view;
  view.picture = pic.get();
  TRuzozAdProc proc(nullptr);
  proc.SetAttachedRuzozAd(&view);
  EXPECT_EQ(proc.WorkingBitmap(), pic.get());
  std::vector<Integer> progress;
  proc.OnProgress = [&](TObject* s, Integer p) {
    EXPECT_EQ(s, &proc);
    progress.push_back(p);
  };

  proc.ConvertTo(256, false);
  EXPECT_EQ(pic->PixelKind(), ipkRGB24);
  EXPECT_LE(DistinctColours(pic.get()), 256u);
  ASSERT_EQ(proc.UndoCount(), 1);
  EXPECT_EQ(proc.UndoCaption(0), "ConvertTo 256");
  EXPECT_EQ(view.updates, 1);
  EXPECT_EQ(view.imageChanges, 1);
  ASSERT_FALSE(progress.empty());
  EXPECT_EQ(progress.back(), static_cast<Integer>(48 * 100 / 48.5));

  proc.RestoreLastUndo();
  EXPECT_EQ(Pixels(pic.get()), original);
  EXPECT_EQ(proc.UndoCount(), 1);  // the entry stays
  EXPECT_EQ(view.imageChanges, 2);
}

TEST(ProcessingComponent, ConvertToByColourCount) {
  struct Case {
    Integer colors;
    TIEPixelKind kind;
    bool changed;
  };
  const Case cases[] = {{256, ipkRGB24, false}, {2, ipkBW1, true}, {0, ipkBW1, true}, {-5, ipkBW1, true}, {1025, ipkRGB24, false}};
  for (const Case& c : cases) {
    // 200 colours: at most 256, so the 256 case keeps every pixel.
    auto pic = MakeRGB(20, 10, [](Integer x, Integer y) { return Rgb(static_cast<Byte>(x * 12), static_cast<Byte>(y * 25), 9); });
    const auto before = Pixels(pic.get());
    TTestView view;
    view.picture = pic.get();
    TRuzozAdProc proc(nullptr);
    proc.SetAttachedRuzozAd(&view);
    proc.ConvertTo(c.colors, false);
    EXPECT_EQ(pic->PixelKind(), c.kind) << c.colors;
    if (c.kind == ipkRGB24) {
      EXPECT_EQ(Pixels(pic.get()) != before, c.changed) << c.colors;
    }
    EXPECT_EQ(proc.UndoCount(), 1) << c.colors;
    EXPECT_EQ(view.imageChanges, 1) << c.colors;
  }
}

TEST(ProcessingComponent, OtherKindsEmptyPicturesAndAutoUndoOff) {
  auto grey = MakeKind(4, 4, ipkGray8);
  TTestView view;
  view.picture = grey.get();
  TRuzozAdProc proc(nullptr);
  proc.SetAttachedRuzozAd(&view);
  proc.ConvertTo(16, false);
  proc.ConvertToGray();
  EXPECT_EQ(proc.UndoCount(), 0);
  EXPECT_EQ(view.imageChanges, 0);

  TIEBitmap empty;
  view.picture = &empty;
  view.NotifyChangeListeners();
  proc.PushUndoWithCaption("x", 1);
  EXPECT_EQ(proc.UndoCount(), 0);

  auto pic = Busy(8, 8);
  view.picture = pic.get();
  view.NotifyChangeListeners();
  proc.SetAutoUndo(false);
  proc.ConvertTo(8, false);
  EXPECT_EQ(proc.UndoCount(), 0);
  EXPECT_EQ(view.imageChanges, 1);
}

TEST(ProcessingComponent, UndoLimitAndRestoreIndices) {
  auto pic = MakeRGB(3, 3, [](Integer, Integer) { return Grey(0); });
  TTestView view;
  view.picture = pic.get();
  TRuzozAdProc proc(nullptr);
  proc.SetUndoLocation(islMemory);
  proc.SetAttachedRuzozAd(&view);
  auto paint = [&](Byte v) {
    for (Integer y = 0; y < 3; ++y)
      for (Integer x = 0; x < 3; ++x) static_cast<TIEColorTriple*>(pic->GetRowPointer(y))[x] = Grey(v);
  };
  for (Byte v : {1, 2}) {
    paint(v);
    proc.PushUndoWithCaption("step " + std::to_string(v), 1);
  }
  ASSERT_EQ(proc.UndoCount(), 1);  // limit 1: the second push replaced the first
  EXPECT_EQ(proc.UndoCaption(0), "step 2");

  proc.SetUndoLimit(3);
  for (Byte v : {3, 4, 5, 6}) {
    paint(v);
    proc.PushUndoWithCaption("step " + std::to_string(v), 1);
  }
  ASSERT_EQ(proc.UndoCount(), 3);
  EXPECT_EQ(proc.UndoCaption(0), "step 4");
  EXPECT_EQ(proc.UndoCaption(2), "step 6");

  paint(99);
  proc.RestoreUndoAt(3);  // past the end: nothing
  EXPECT_EQ(At(pic.get(), 1, 1), Grey(99));
  proc.RestoreUndoAt(2);  // the oldest
  EXPECT_EQ(At(pic.get(), 1, 1), Grey(4));
  proc.RestoreUndoAt(0);  // the newest
  EXPECT_EQ(At(pic.get(), 1, 1), Grey(6));
  EXPECT_EQ(proc.UndoCount(), 3);

  paint(7);
  proc.PushRedoSnapshot(1);
  paint(8);
  proc.RestoreLastRedo();
  EXPECT_EQ(At(pic.get(), 0, 0), Grey(7));
  proc.DropLastRedo();
  EXPECT_EQ(proc.RedoCount(), 0);
  proc.ClearUndoSnapshots();
  EXPECT_EQ(proc.UndoCount(), 0);
}

TEST(ProcessingComponent, SelectionStateSnapshotsGoThroughTheView) {
  auto pic = MakeRGB(3, 3, [](Integer, Integer) { return Grey(0); });
  TTestView view;
  view.picture = pic.get();
  TRuzozAdProc proc(nullptr);
  proc.SetAttachedRuzozAd(&view);
  view.selectionState = 42;
  proc.PushUndoSnapshot(2);
  view.selectionState = 0;
  proc.RestoreLastUndo();
  EXPECT_EQ(view.selectionState, 42);
  EXPECT_EQ(view.imageChanges, 0);
}

TEST(ProcessingComponent, WorkRegionAndGreyingThroughTheMask) {
  auto pic = MakeRGB(6, 4, [](Integer, Integer) { return Rgb(200, 10, 10); });
  TTestView view;
  view.picture = pic.get();
  view.mask.AllocateMask(6, 4, 1);
  TRuzozAdProc proc(nullptr);
  proc.SetAttachedRuzozAd(&view);

  Integer x1, y1, x2, y2, count;
  TPoint* points;
  TIEMask* mask;
  EXPECT_FALSE(proc.GetWorkRegion(x1, y1, x2, y2, points, count, mask));
  EXPECT_EQ(mask, &view.mask);
  EXPECT_EQ(x2, 6);
  EXPECT_EQ(y2, 4);

  view.selectionActive = true;
  view.mask.SetPixelValue(1, 1, 1);
  view.mask.SetPixelValue(3, 2, 1);
  ASSERT_TRUE(proc.GetWorkRegion(x1, y1, x2, y2, points, count, mask));
  EXPECT_EQ(x1, 1);
  EXPECT_EQ(y1, 1);
  EXPECT_EQ(x2, 4);
  EXPECT_EQ(y2, 3);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(points, view.points);

  proc.ConvertToGray();
  const Byte l = (21 * 200 + 71 * 10 + 8 * 10) / 100;
  EXPECT_EQ(At(pic.get(), 1, 1), Grey(l));
  EXPECT_EQ(At(pic.get(), 3, 2), Grey(l));
  EXPECT_EQ(At(pic.get(), 2, 1), Rgb(200, 10, 10));  // inside the box, outside the mask
  EXPECT_EQ(At(pic.get(), 0, 0), Rgb(200, 10, 10));
  EXPECT_EQ(proc.UndoCaption(0), "ConvertToGray");
}

TEST(ProcessingComponent, GreyscaleRegionIsClippedToThePicture) {
  auto pic = MakeRGB(3, 2, [](Integer, Integer) { return Rgb(0, 100, 0); });
  GrayscaleRegion(pic.get(), 1, 0, 50, 50);
  EXPECT_EQ(At(pic.get(), 0, 0), Rgb(0, 100, 0));
  EXPECT_EQ(At(pic.get(), 2, 1), Grey(71));
}

TEST(ProcessingComponent, PaletteConversionWritesTheCallersPalette) {
  auto pic = Busy(16, 16);
  TRuzozAdProc proc(nullptr);
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(16, 16);
  for (Integer y = 0; y < 16; ++y) std::memcpy(bmp.ScanLine(y), pic->GetRowPointer(y), 48);
  proc.AttachBitmap(&bmp);
  EXPECT_TRUE(proc.OwnsWorkingBitmap());
  TIEColorTriple pal[8] = {};
  bmp.SetModified(false);
  proc.ConvertToPalette(0, pal, false);  // nothing at all
  EXPECT_EQ(proc.UndoCount(), 0);
  EXPECT_FALSE(bmp.Modified());
  proc.ConvertToPalette(8, pal, false);
  EXPECT_TRUE(bmp.Modified());
  EXPECT_EQ(proc.UndoCaption(0), "ConvertToPalette");
  const TIEColorTriple* row = static_cast<const TIEColorTriple*>(bmp.ScanLine(5));
  for (Integer x = 0; x < 16; ++x) EXPECT_NE(std::find(pal, pal + 8, row[x]), pal + 8) << x;

  TIEColorTriple two[2] = {Grey(5), Grey(6)};
  proc.ConvertToPalette(2, two, true);
  EXPECT_EQ(two[0], Grey(0));
  EXPECT_EQ(two[1], Grey(255));
}

TEST(ProcessingComponent, FollowsTheViewAndForgetsItOnDestruction) {
  auto a = MakeRGB(2, 2, [](Integer, Integer) { return Grey(1); });
  auto b = MakeRGB(2, 2, [](Integer, Integer) { return Grey(2); });
  TRuzozAdProc proc(nullptr);
  TBitmap legacy;
  legacy.SetPixelFormat(pf24bit);
  legacy.SetSize(5, 4);
  {
    TTestView view;
    view.SetBackground(clRed);
    view.bitmap = &legacy;  // no image buffer: the component wraps the platform bitmap
    proc.SetAttachedRuzozAd(&view);
    EXPECT_TRUE(proc.OwnsWorkingBitmap());
    EXPECT_EQ(proc.WorkingBitmap()->Width(), 5);
    EXPECT_EQ(proc.Background(), clRed);
    proc.SetBackground(clBlue);
    EXPECT_EQ(view.Background(), clBlue);

    // While wrapping, a change re-wraps the view's platform bitmap.
    legacy.SetSize(6, 4);
    view.NotifyChangeListeners();
    EXPECT_TRUE(proc.OwnsWorkingBitmap());
    EXPECT_EQ(proc.WorkingBitmap()->Width(), 6);

    view.picture = a.get();
    proc.SetAttachedRuzozAd(&view);  // a view with a buffer of its own: ours is dropped
    EXPECT_FALSE(proc.OwnsWorkingBitmap());
    EXPECT_EQ(proc.WorkingBitmap(), a.get());
    EXPECT_EQ(proc.AttachedBitmap(), nullptr);
    view.picture = b.get();
    view.NotifyChangeListeners();
    EXPECT_EQ(proc.WorkingBitmap(), b.get());
    EXPECT_EQ(view.ChangeListenerCount(), 1);
  }
  EXPECT_EQ(proc.AttachedRuzozAd(), nullptr);
  EXPECT_TRUE(proc.OwnsWorkingBitmap());
  EXPECT_EQ(At(b.get(), 0, 0), Grey(2));  // the view's picture is not touched
  proc.SetBackground(clGreen);
  EXPECT_EQ(proc.Background(), clGreen);
}

TEST(ProcessingComponent, WorksOnAnImageControlsBitmapUntilTheControlGoes) {
  TRuzozAdProc proc(nullptr);
  auto* image = new TImage(nullptr);
  TBitmap* bmp = image->Picture()->Bitmap();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(4, 2);
  for (Integer y = 0; y < 2; ++y) {
    auto* row = static_cast<TIEColorTriple*>(bmp->ScanLine(y));
    for (Integer x = 0; x < 4; ++x) row[x] = Rgb(0, 100, 0);
  }
  proc.SetAttachedTImage(image);
  EXPECT_EQ(proc.AttachedTImage(), image);
  bmp->SetModified(false);
  proc.ConvertToGray();
  EXPECT_EQ(static_cast<TIEColorTriple*>(bmp->ScanLine(1))[3], Grey(71));
  EXPECT_TRUE(bmp->Modified());
  delete image;
  EXPECT_EQ(proc.AttachedTImage(), nullptr);
  proc.ConvertToGray();  // nothing to work on any more: no crash, no undo
  EXPECT_EQ(proc.UndoCount(), 1);
}

TEST(ProcessingComponent, AViewTakenFromItsOwnerNoLongerCallsTheComponent) {
  auto pic = MakeRGB(2, 2, [](Integer, Integer) { return Grey(3); });
  auto other = MakeRGB(2, 2, [](Integer, Integer) { return Grey(4); });
  TComponent form(nullptr);
  auto* view = new TTestView(&form);
  view->picture = pic.get();
  // One component owned by the view, one beside it on the form.
  auto* owned = new TRuzozAdProc(view);
  auto* beside = new TRuzozAdProc(&form);
  owned->SetAttachedRuzozAd(view);
  beside->SetAttachedRuzozAd(view);
  ASSERT_EQ(view->ChangeListenerCount(), 2);
  form.RemoveComponent(view);
  EXPECT_EQ(owned->AttachedRuzozAd(), nullptr);
  EXPECT_EQ(beside->AttachedRuzozAd(), nullptr);
  EXPECT_EQ(view->ChangeListenerCount(), 0);
  delete beside;
  view->picture = other.get();
  view->NotifyChangeListeners();  // must not reach the freed component
  EXPECT_TRUE(owned->OwnsWorkingBitmap());
  delete view;  // frees the owned component

  // Attaching no bitmap while a view is attached changes nothing: the
  // component still follows the view.
  TTestView kept;
  kept.picture = pic.get();
  TRuzozAdProc proc(nullptr);
  proc.SetAttachedRuzozAd(&kept);
  proc.AttachBitmap(nullptr);
  EXPECT_EQ(proc.AttachedRuzozAd(), &kept);
  EXPECT_EQ(kept.ChangeListenerCount(), 1);
  kept.picture = other.get();
  kept.NotifyChangeListeners();
  EXPECT_EQ(proc.WorkingBitmap(), other.get());
}

TEST(ProcessingComponent, ABitmapOfAnotherDepthChangesOnlyWhenWorkedOn) {
  TBitmap bmp;
  bmp.SetPixelFormat(pf32bit);
  bmp.SetSize(4, 2);
  for (Integer y = 0; y < 2; ++y) {
    Byte* row = static_cast<Byte*>(bmp.ScanLine(y));
    for (Integer x = 0; x < 4; ++x) {
      row[4 * x] = 0;         // blue
      row[4 * x + 1] = 100;   // green
      row[4 * x + 2] = 0;     // red
      row[4 * x + 3] = 0x7F;  // unused
    }
  }
  TRuzozAdProc proc(nullptr);
  proc.AttachBitmap(&bmp);
  proc.PushUndoWithCaption("look", 1);  // reads the picture, changes nothing
  EXPECT_EQ(bmp.PixelFormat(), pf32bit);
  EXPECT_EQ(static_cast<Byte*>(bmp.ScanLine(1))[7], 0x7F);
  ASSERT_EQ(proc.UndoCount(), 1);
  bmp.SetModified(false);
  proc.ConvertToGray();  // asked for: the result lands in the caller's bitmap
  EXPECT_TRUE(bmp.Modified());
  EXPECT_EQ(bmp.Canvas()->Pixels(3, 1), static_cast<TColor>(71 | (71 << 8) | (71 << 16)));
  proc.RestoreLastUndo();  // the snapshot taken before the conversion
  EXPECT_EQ(bmp.Canvas()->Pixels(0, 0), static_cast<TColor>(100 << 8));
}
