// The view's selection model on its own: rectangles, polygons, ellipses,
// grips, moving, magic wand, hit tests, the stored form and the outline.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "imaging/views/ieselection.h"
#include "platform/Classes.h"
#include "platform/Graphics.h"
#include "tests/imaging/iebuffer_util.h"
#include "tests/support/png_writer.h"

namespace {

constexpr Integer W = 40, H = 30;
constexpr TPoint Sep{IESelSeparator, IESelSeparator};

std::vector<TPoint> PointsOf(TIESelection& s) { return {s.Points(), s.Points() + s.PointCount()}; }

std::string Str(const std::vector<TPoint>& v) {
  std::string s;
  for (const TPoint& p : v) s += "(" + std::to_string(p.X) + "," + std::to_string(p.Y) + ")";
  return s;
}

TRect PolyBox(TIESelection& s) { return TRect{s.Polygon().Left, s.Polygon().Top, s.Polygon().Right, s.Polygon().Bottom}; }
TRect MaskBox(TIESelection& s) { return TRect{s.Mask()->Left(), s.Mask()->Top(), s.Mask()->Right(), s.Mask()->Bottom()}; }

// Client = image x F + origin, as the view maps at an integer zoom.
struct LinearMap : IIESelectionMapping {
  Integer F = 1, OX = 0, OY = 0;
  LinearMap(Integer f = 1, Integer ox = 0, Integer oy = 0) : F(f), OX(ox), OY(oy) {}
  Integer ClientToBitmapX(Integer X) override { return (X - OX) / F; }
  Integer ClientToBitmapY(Integer Y) override { return (Y - OY) / F; }
  Integer BitmapToClientX(Integer X) override { return X * F + OX; }
  Integer BitmapToClientY(Integer Y) override { return Y * F + OY; }
};

std::unique_ptr<TIESelection> NewSel(Integer w = W, Integer h = H) {
  auto s = std::make_unique<TIESelection>();
  s->SetImageSize(w, h);
  return s;
}

Integer CountSet(TIEMask* m) {
  Integer n = 0;
  for (Integer y = 0; y < m->Height(); ++y)
    for (Integer x = 0; x < m->Width(); ++x) n += m->IsPixelSet(x, y) ? 1 : 0;
  return n;
}

}  // namespace

TEST(ViewSelectionModel, ConstructionHidesAnEmptySelection) {
  auto s = NewSel();
  EXPECT_FALSE(s->Exists());
  EXPECT_FALSE(s->Visible());
  EXPECT_EQ(s->PointCount(), 0);
  EXPECT_TRUE(s->Mask()->IsEmpty());
  EXPECT_EQ(s->Mask()->BitsPerPixel(), 1);
  EXPECT_TRUE(s->Polygon().Animated);
  EXPECT_TRUE(s->Polygon().Sizeable);
  EXPECT_EQ(s->Options(), IEDefaultSelectionOptions);
  s->SetOptions({iesoMoveable});
  EXPECT_FALSE(s->Polygon().Animated);
  EXPECT_FALSE(s->Polygon().Sizeable);
}

TEST(ViewSelectionModel, RectanglesCoverTheirLastPixelAndStayInsideThePicture) {
  struct Case {
    const char* name;
    Integer x1, y1, x2, y2;
    bool square;
    std::vector<TPoint> points;  // empty: nothing built
    TRect mask;
  } cases[] = {
      {"0..9", 0, 0, 9, 9, false, {{0, 0}, {10, 0}, {10, 10}, {0, 10}}, {0, 0, 9, 9}},
      {"corners reversed", 29, 19, 10, 10, false, {{10, 10}, {30, 10}, {30, 20}, {10, 20}}, {10, 10, 29, 19}},
      {"zero width", 10, 10, 10, 50, false, {}, {}},
      {"zero height", 3, 7, 20, 7, false, {}, {}},
      {"past every edge", -5, -8, 200, 100, false, {{0, 0}, {40, 0}, {40, 30}, {0, 30}}, {0, 0, 39, 29}},
      {"last column and row", 39, 29, 35, 25, false, {{35, 25}, {40, 25}, {40, 30}, {35, 30}}, {35, 25, 39, 29}},
      {"square", 2, 3, 12, 5, true, {{2, 3}, {13, 3}, {13, 14}, {2, 14}}, {2, 3, 12, 13}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto s = NewSel();
    const bool built = s->BuildRect(c.x1, c.y1, c.x2, c.y2, false, c.square);
    EXPECT_EQ(built, !c.points.empty());
    EXPECT_EQ(Str(PointsOf(*s)), Str(c.points));
    if (!built) {
      EXPECT_FALSE(s->Exists());
      continue;
    }
    EXPECT_TRUE(s->Exists());
    EXPECT_TRUE(s->Visible());
    EXPECT_TRUE(s->IsRectangle());
    s->PolygonToMask();
    EXPECT_EQ(MaskBox(*s), c.mask);
    EXPECT_EQ(CountSet(s->Mask()), (c.mask.Right - c.mask.Left + 1) * (c.mask.Bottom - c.mask.Top + 1));
    EXPECT_EQ(s->SelectionLeft(), c.mask.Left);
    EXPECT_EQ(s->SelectionBottom(), c.mask.Bottom);
  }
}

TEST(ViewSelectionModel, AddedRectangleIsASecondSubPolygonAndTheMaskFillsBoth) {
  auto s = NewSel();
  s->BuildRect(0, 0, 4, 4, false, false);
  s->PolygonToMask();
  s->BuildRect(10, 10, 14, 19, true, false);
  s->PolygonToMask();
  EXPECT_EQ(Str(PointsOf(*s)), Str({{0, 0}, {5, 0}, {5, 5}, {0, 5}, Sep, {10, 10}, {15, 10}, {15, 20}, {10, 20}}));
  EXPECT_FALSE(s->IsRectangle());
  EXPECT_EQ(CountSet(s->Mask()), 25 + 50);
  EXPECT_EQ(MaskBox(*s), (TRect{0, 0, 14, 19}));
  EXPECT_EQ(PolyBox(*s), (TRect{0, 0, 15, 20}));
  // Without add the mask and polygon start over.
  s->BuildRect(20, 20, 21, 21, false, false);
  s->PolygonToMask();
  EXPECT_EQ(CountSet(s->Mask()), 4);
  EXPECT_EQ(s->PointCount(), 4);
}

TEST(ViewSelectionModel, RectangleTestNeedsFourAlternatingAxisEdges) {
  struct Case {
    const char* name;
    std::vector<TPoint> p;
    bool rect;
  } cases[] = {
      {"clockwise", {{0, 0}, {5, 0}, {5, 5}, {0, 5}}, true},
      {"starting vertical", {{0, 0}, {0, 5}, {5, 5}, {5, 0}}, true},
      {"three points", {{0, 0}, {5, 0}, {5, 5}}, false},
      {"five points", {{0, 0}, {5, 0}, {5, 5}, {0, 5}, {0, 0}}, false},
      {"slanted edge", {{0, 0}, {5, 0}, {6, 5}, {0, 5}}, false},
      {"two horizontals in a row", {{0, 0}, {5, 0}, {9, 0}, {9, 5}}, false},
      {"degenerate", {{1, 1}, {1, 1}, {1, 1}, {1, 1}}, false},
  };
  for (const Case& c : cases)
    EXPECT_EQ(TIESelection::IsRectanglePolygon(c.p.data(), static_cast<Integer>(c.p.size())), c.rect) << c.name;
}

TEST(ViewSelectionModel, PolygonPrimitivesKeepSeparatorsAndBox) {
  auto s = NewSel();
  s->AddPoint(5, 5, true);
  s->AddPoint(-3, 50, true);  // clamped to the edge, inclusive
  s->AddPoint(20, 2, true);
  EXPECT_EQ(Str(PointsOf(*s)), Str({{5, 5}, {0, 30}, {20, 2}}));
  EXPECT_EQ(PolyBox(*s), (TRect{0, 2, 20, 30}));
  s->AddPoint(-3, 50, false);  // bitmap coordinates are taken as they are
  EXPECT_EQ(s->Points()[3].X, -3);
  s->StartNewPolygon();
  s->StartNewPolygon();  // no second separator
  s->AddPoint(30, 20, true);
  s->AddPoint(35, 20, true);
  EXPECT_EQ(s->PointCount(), 7);
  EXPECT_EQ(s->Points()[4].X, IESelSeparator);

  s->DropTrailingPoint();
  EXPECT_EQ(s->PointCount(), 6);
  s->DropTrailingPoint();  // the separator before it goes too
  EXPECT_EQ(s->PointCount(), 4);

  s->StartNewPolygon();
  s->AddPoint(1, 1, true);
  EXPECT_TRUE(s->RemoveLastPolygon());
  EXPECT_EQ(s->PointCount(), 4);
  EXPECT_FALSE(s->RemoveLastPolygon());  // no separator: emptied
  EXPECT_EQ(s->PointCount(), 0);
}

TEST(ViewSelectionModel, TrianglePolygonFillsTheMaskAndAnEmptyOneRemovesTheSelection) {
  auto s = NewSel();
  for (TPoint p : {TPoint{0, 0}, TPoint{20, 0}, TPoint{0, 20}}) s->AddPoint(p.X, p.Y, true);
  s->PolygonToMask();
  EXPECT_TRUE(s->Exists());
  EXPECT_TRUE(s->Mask()->IsPixelSet(1, 1));
  EXPECT_FALSE(s->Mask()->IsPixelSet(15, 15));
  s->Mask()->ClearMask();
  s->ClearPolygon();
  s->AddPoint(3, 3, true);
  s->AddPoint(9, 3, true);  // a line covers no pixel
  s->PolygonToMask();
  EXPECT_FALSE(s->Exists());
  EXPECT_EQ(s->PointCount(), 0);
}

TEST(ViewSelectionModel, MovingStaysInsideUnlessCutAndNeverLeavesThePicture) {
  struct Case {
    const char* name;
    bool cut;
    Integer dx, dy;
    TRect box;
  } cases[] = {
      {"inside", false, 3, -2, {13, 8, 33, 18}},
      {"limited at the right", false, 50, 0, {20, 10, 40, 20}},
      {"limited at the top left", false, -50, -50, {0, 0, 20, 10}},
      {"cut clamps at the right", true, 15, 0, {25, 10, 40, 20}},
      {"cut wholly outside: nothing moves", true, 100, 0, {10, 10, 30, 20}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto s = NewSel();
    s->BuildRect(10, 10, 29, 19, false, false);
    s->MovePolygon(c.dx, c.dy, c.cut);
    EXPECT_EQ(PolyBox(*s), c.box);
    for (const TPoint& p : PointsOf(*s)) {
      EXPECT_GE(p.X, 0);
      EXPECT_LE(p.X, W);
      EXPECT_GE(p.Y, 0);
      EXPECT_LE(p.Y, H);
    }
  }
}

TEST(ViewSelectionModel, MovingANonRectangleMovesTheMaskToo) {
  for (bool cut : {false, true}) {
    SCOPED_TRACE(cut ? "cut" : "kept inside");
    auto s = NewSel();
    s->SetOptions(cut ? IEDefaultSelectionOptions + TIESelectionOptions{iesoCutBorders} : IEDefaultSelectionOptions);
    s->BuildRect(30, 0, 34, 4, false, false);
    s->BuildRect(30, 10, 34, 14, true, false);
    s->PolygonToMask();
    s->MoveSelection(7, 0);
    EXPECT_FALSE(s->RectMove());
    if (cut) {
      EXPECT_EQ(MaskBox(*s), (TRect{37, 0, 39, 14}));
      EXPECT_EQ(CountSet(s->Mask()), 30);
    } else {
      EXPECT_EQ(MaskBox(*s), (TRect{35, 0, 39, 14}));
      EXPECT_EQ(CountSet(s->Mask()), 50);
      EXPECT_EQ(PolyBox(*s), (TRect{35, 0, 40, 15}));
    }
  }
  // A rectangle moves its polygon only; the mask follows at the end of the gesture.
  auto s = NewSel();
  s->BuildRect(0, 0, 4, 4, false, false);
  s->PolygonToMask();
  s->MoveSelection(5, 5);
  EXPECT_TRUE(s->RectMove());
  EXPECT_EQ(MaskBox(*s), (TRect{0, 0, 4, 4}));
  EXPECT_EQ(PolyBox(*s), (TRect{5, 5, 10, 10}));
}

TEST(ViewSelectionModel, GripsResizeTheRectangleAndSwapWhenCrossed) {
  struct Case {
    const char* name;
    Integer grip, c, d;
    bool aspect;
    Integer newGrip;
    TRect box;
  } cases[] = {
      {"bottom-right", 2, 39, 24, false, 2, {10, 10, 40, 25}},
      {"top-left", 0, 5, 5, false, 0, {5, 5, 30, 20}},
      {"left edge ignores the row", 4, 15, 999, false, 4, {15, 10, 30, 20}},
      {"bottom edge ignores the column", 7, 999, 25, false, 7, {10, 10, 30, 26}},
      {"right edge crosses the left", 5, 4, 15, false, 4, {5, 10, 10, 20}},
      {"top-right crosses both", 1, 3, 25, false, 3, {4, 20, 10, 25}},
      {"left onto the right edge", 0, 30, 10, false, 0, {29, 10, 30, 20}},
      {"past the picture", 2, 500, 500, false, 2, {10, 10, 40, 30}},
      {"bottom-right keeping the aspect", 2, 39, 0, true, 2, {10, 10, 40, 26}},
      {"bottom edge keeping the aspect acts as bottom-right", 7, 0, 24, true, 2, {10, 10, 39, 25}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto s = NewSel();
    s->BuildRect(10, 10, 29, 19, false, false);
    s->GripStartBox = PolyBox(*s);
    EXPECT_EQ(s->ResizeByGrip(c.grip, c.c, c.d, c.aspect), c.newGrip);
    EXPECT_EQ(PolyBox(*s), c.box);
    EXPECT_TRUE(s->IsRectangle());
  }
  // Not a rectangle: nothing changes.
  auto s = NewSel();
  for (TPoint p : {TPoint{0, 0}, TPoint{20, 0}, TPoint{0, 20}}) s->AddPoint(p.X, p.Y, true);
  EXPECT_EQ(s->ResizeByGrip(2, 5, 5, false), 2);
  EXPECT_EQ(s->PointCount(), 3);
}

TEST(ViewSelectionModel, HitTestsFollowTheClientMapping) {
  LinearMap map(2, 10, 5);  // zoom 200 %, image at (10, 5)
  auto s = NewSel();
  s->BuildRect(10, 10, 29, 24, false, false);  // client 30..70 x 25..55
  s->PolygonToMask();
  struct Case {
    const char* name;
    Integer x, y;
    bool shift;
    Integer grip;
  } cases[] = {
      {"top-left corner", 30, 25, false, 0},
      {"inside the top-left square", 35, 30, false, 0},
      {"just outside the square", 24, 25, false, -1},
      {"top-right", 70, 25, false, 1},
      {"bottom-right", 75, 60, false, 2},
      {"bottom-left", 30, 55, false, 3},
      {"left side", 31, 40, false, 4},
      {"three pixels from the right side", 67, 41, false, -1},
      {"right side", 68, 41, false, 5},
      {"top side", 50, 27, false, 6},
      {"bottom side", 50, 53, false, 7},
      {"inside", 50, 40, false, -1},
      {"beside the left side, below the box", 30, 70, false, -1},
      {"shift", 30, 25, true, -1},
  };
  for (const Case& c : cases) EXPECT_EQ(s->HitGrip(c.x, c.y, c.shift, map), c.grip) << c.name;

  EXPECT_EQ(s->HitSelection(12, 12, false), 0);
  EXPECT_EQ(s->HitSelection(12, 12, true), -1);
  EXPECT_EQ(s->HitSelection(35, 12, false), -1);
  EXPECT_EQ(s->HitSelection(W, H, false), -1);  // past the edge: no pixel read
  s->Gesture.RectDrag = true;
  EXPECT_EQ(s->HitGrip(30, 25, false, map), -1);
  EXPECT_EQ(s->HitSelection(12, 12, false), -1);
  s->Gesture.RectDrag = false;
  s->SetOptions({iesoAnimated});
  EXPECT_EQ(s->HitGrip(30, 25, false, map), -1);  // not sizeable
  EXPECT_EQ(s->HitSelection(12, 12, false), -1);  // not moveable
}

TEST(ViewSelectionModel, EllipsesAreClampedAndAddAsANewSubPolygon) {
  auto s = NewSel();
  s->BuildEllipse(20, 15, 10, 5, false, 0);
  // n = max(trunc(5 x 2 pi) div 4, 3) = 7, starting at angle 0.
  ASSERT_EQ(s->PointCount(), 7);
  EXPECT_EQ(s->Points()[0], (TPoint{30, 15}));
  EXPECT_TRUE(s->Exists());
  s->PolygonToMask();
  EXPECT_TRUE(s->Mask()->IsPixelSet(20, 15));
  EXPECT_FALSE(s->Mask()->IsPixelSet(20, 22));

  auto e = NewSel();
  e->BuildEllipse(0, 29, 12, 12, false, 0);  // a circle at the corner
  for (const TPoint& p : PointsOf(*e)) {
    EXPECT_TRUE(p.X >= 0 && p.X <= W && p.Y >= 0 && p.Y <= H) << p.X << "," << p.Y;
  }
  EXPECT_EQ(e->PointCount(), 18);

  // Add: what this drag made before is replaced, the earlier selection kept.
  auto a = NewSel();
  a->BuildRect(0, 0, 4, 4, false, false);
  const Integer down = a->PointCount();
  a->BuildEllipse(20, 15, 4, 4, true, down);
  const Integer first = a->PointCount();
  a->BuildEllipse(20, 15, 8, 8, true, down);
  EXPECT_EQ(a->Points()[4], Sep);
  EXPECT_EQ(a->PointCount(), 5 + 12);
  EXPECT_LT(first, a->PointCount());
  EXPECT_EQ(a->Points()[0], (TPoint{0, 0}));
}

TEST(ViewSelectionModel, MagicWandModesAndSeedsOutsideThePicture) {
  TIEBitmap bmp;
  bmp.AllocateImage(W, H, ipkRGB24);
  bmp.FillWith(0xFFFFFF);
  for (Integer y = 5; y < 15; ++y)
    for (Integer x = 5; x < 15; ++x) iebuf::Set(bmp, x, y, 0x0000FF);
  for (Integer y = 20; y < 25; ++y)
    for (Integer x = 30; x < 35; ++x) iebuf::Set(bmp, x, y, 0x0000FF);
  struct Case {
    Integer mode;
    Integer count;  // selected pixels
    bool polygon;
  } cases[] = {{0, 100, true}, {1, 100, false}, {2, 125, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    auto s = NewSel();
    s->WandMode = c.mode;
    s->MagicWand(&bmp, 7, 7, false);
    EXPECT_TRUE(s->Exists());
    EXPECT_EQ(CountSet(s->Mask()), c.count);
    EXPECT_EQ(s->PointCount() > 0, c.polygon);
    // Adding the second square.
    s->MagicWand(&bmp, 31, 21, true);
    EXPECT_EQ(CountSet(s->Mask()), 125);
    for (TPoint p : {TPoint{-1, 3}, TPoint{W, 3}, TPoint{3, H}}) {
      s->MagicWand(&bmp, p.X, p.Y, false);
      EXPECT_EQ(CountSet(s->Mask()), 125);
    }
  }
  // Another picture size than the mask's: no fill.
  auto s = NewSel(W + 1, H);
  s->WandMode = 1;
  s->MagicWand(&bmp, 7, 7, false);
  EXPECT_FALSE(s->Exists());
}

TEST(ViewSelectionModel, StoredFormLayoutAndRoundTrip) {
  auto s = NewSel();
  s->BuildRect(2, 3, 11, 7, false, false);
  s->BuildRect(20, 20, 24, 24, true, false);
  s->PolygonToMask();
  TMemoryStream m;
  s->WriteState(&m);
  const Integer n = 9, rowLength = 8;  // 40 bits in a 4-byte aligned row
  ASSERT_EQ(m.Size(), 12 + 8 * n + 16 + 1 + 4 + 16 + 1 + rowLength * H);
  const Byte* b = static_cast<const Byte*>(m.Memory());
  auto at = [&](Integer off) {
    Integer v;
    std::memcpy(&v, b + off, 4);
    return v;
  };
  EXPECT_EQ(at(0), W);
  EXPECT_EQ(at(4), H);
  EXPECT_EQ(at(8), n);
  EXPECT_EQ(at(12 + 8 * 4), IESelSeparator);
  const Integer box = 12 + 8 * n;
  EXPECT_EQ(at(box), 2);
  EXPECT_EQ(at(box + 12), 25);
  EXPECT_EQ(b[box + 16], 1);
  EXPECT_EQ(at(box + 17), 1);
  EXPECT_EQ(at(box + 21), 2);   // mask left
  EXPECT_EQ(at(box + 33), 24);  // mask bottom
  EXPECT_EQ(b[box + 37], 0);    // not full
  // The rows are bottom-up: row 24 is the sixth stored row.
  EXPECT_EQ(b[box + 38 + rowLength * (H - 1 - 24) + 2], 0x0F);

  auto r = NewSel();
  m.SetPosition(0);
  ASSERT_TRUE(r->ReadState(&m));
  EXPECT_EQ(m.Position(), m.Size());
  EXPECT_EQ(Str(PointsOf(*r)), Str(PointsOf(*s)));
  EXPECT_EQ(PolyBox(*r), PolyBox(*s));
  EXPECT_EQ(MaskBox(*r), MaskBox(*s));
  EXPECT_EQ(CountSet(r->Mask()), 50 + 25);
  EXPECT_TRUE(r->Exists());
  EXPECT_TRUE(r->Visible());
}

TEST(ViewSelectionModel, StoredFormOfAnotherSizeOrDamagedIsRefused) {
  auto s = NewSel();
  s->BuildRect(2, 3, 11, 7, false, false);
  s->PolygonToMask();
  TMemoryStream good;
  s->WriteState(&good);
  auto check = [](TIESelection& t, TMemoryStream& m, const char* what) {
    SCOPED_TRACE(what);
    const std::string before = Str(PointsOf(t));
    const Integer set = CountSet(t.Mask());
    m.SetPosition(0);
    EXPECT_FALSE(t.ReadState(&m));
    EXPECT_EQ(Str(PointsOf(t)), before);
    EXPECT_EQ(CountSet(t.Mask()), set);
    EXPECT_TRUE(t.Exists());
  };
  {
    auto other = NewSel(W + 10, H);
    other->BuildRect(0, 0, 3, 3, false, false);
    other->PolygonToMask();
    check(*other, good, "another width");
    EXPECT_EQ(good.Position(), 8);
  }
  auto t = NewSel();
  t->BuildRect(30, 20, 33, 23, false, false);
  t->PolygonToMask();
  const Int64 size = good.Size();
  for (Int64 cut : {Int64(10), Int64(60), size - 1}) {
    TMemoryStream part;
    part.WriteBuffer(good.Memory(), static_cast<Integer>(cut));
    check(*t, part, ("cut at " + std::to_string(cut)).c_str());
  }
  struct Patch {
    const char* what;
    Integer offset, value;
  } patches[] = {{"point count past the end", 8, 0x10000000}, {"negative point count", 8, -1},
                 {"mask depth 4", 12 + 32 + 17, 4}};
  for (const Patch& p : patches) {
    TMemoryStream bad;
    bad.WriteBuffer(good.Memory(), static_cast<Integer>(size));
    std::memcpy(static_cast<Byte*>(bad.Memory()) + p.offset, &p.value, 4);
    check(*t, bad, p.what);
  }
}

TEST(ViewSelectionModel, SavedStatesComeBackNewestFirst) {
  auto s = NewSel();
  EXPECT_FALSE(s->PopState());
  s->BuildRect(0, 0, 4, 4, false, false);
  s->PolygonToMask();
  s->PushState();
  s->BuildRect(10, 10, 19, 19, false, false);
  s->PolygonToMask();
  s->PushState();
  s->Clear();
  EXPECT_FALSE(s->Exists());
  EXPECT_EQ(s->SavedStateCount(), 2);
  EXPECT_TRUE(s->PopState());
  EXPECT_EQ(MaskBox(*s), (TRect{10, 10, 19, 19}));
  EXPECT_TRUE(s->PopState());
  EXPECT_EQ(MaskBox(*s), (TRect{0, 0, 4, 4}));
  EXPECT_EQ(s->SavedStateCount(), 0);
  // The image size changed meanwhile: refused, and the entry is gone.
  s->PushState();
  s->SetImageSize(W, H + 1);
  EXPECT_FALSE(s->PopState());
  EXPECT_EQ(s->SavedStateCount(), 0);
}

TEST(ViewSelectionModel, ClearEndsGesturesAndSelectionBoxFollowsThePolygonDuringOne) {
  auto s = NewSel();
  s->BuildRect(10, 10, 19, 14, false, false);
  s->PolygonToMask();
  s->MoveSelection(5, 0);  // the polygon moved, the mask not yet
  s->Gesture.Move = 0;
  EXPECT_EQ(s->SelectionLeft(), 15);
  EXPECT_EQ(s->SelectionRight(), 24);
  s->Gesture.Move = -1;
  EXPECT_EQ(s->SelectionLeft(), 10);
  EXPECT_EQ(s->SelectionRight(), 19);
  s->Gesture.Grip = 2;
  s->Gesture.Polygon = true;
  s->Clear();
  EXPECT_FALSE(s->Gesture.InProgress());
  EXPECT_EQ(s->Gesture.Grip, -1);
  EXPECT_EQ(s->PointCount(), 0);
  EXPECT_TRUE(s->Mask()->IsEmpty());
}

namespace {
constexpr TColor Grey = 0x808080;

std::unique_ptr<TBitmap> GreyBitmap(Integer w, Integer h) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  b->Canvas()->Brush()->SetColor(Grey);
  b->Canvas()->FillRect(TRect{0, 0, w, h});
  return b;
}

// Pixels that are no longer grey, as a set of rows of '#' and '.'.
std::vector<std::string> Changed(TBitmap* b) {
  std::vector<std::string> rows;
  for (Integer y = 0; y < b->Height(); ++y) {
    std::string r;
    for (Integer x = 0; x < b->Width(); ++x) r += b->Canvas()->Pixels(x, y) == Grey ? '.' : '#';
    rows.push_back(r);
  }
  return rows;
}

// The ring of a client rectangle (inclusive corners) as the same picture.
std::vector<std::string> Ring(Integer w, Integer h, Integer l, Integer t, Integer r, Integer b) {
  std::vector<std::string> rows(static_cast<size_t>(h), std::string(static_cast<size_t>(w), '.'));
  for (Integer y = t; y <= b; ++y)
    for (Integer x = l; x <= r; ++x)
      if (x == l || x == r || y == t || y == b) rows[y][x] = '#';
  return rows;
}
}  // namespace

TEST(ViewSelectionModel, OutlineLiesOnTheSelectedPixelsEvenAtThePictureEdge) {
  struct Case {
    const char* name;
    Integer x1, y1, x2, y2;
    bool gesture;  // drawn with the dash painter, else from the mask
  } cases[] = {
      {"inner, dashes", 10, 10, 29, 19, true},
      {"inner, mask", 10, 10, 29, 19, false},
      {"whole picture, dashes", 0, 0, 39, 29, true},
      {"whole picture, mask", 0, 0, 39, 29, false},
  };
  LinearMap map(2);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto s = NewSel();
    s->SetOptions({iesoAnimated});  // no grips
    s->BuildRect(c.x1, c.y1, c.x2, c.y2, false, false);
    s->PolygonToMask();
    s->Gesture.RectDrag = c.gesture;
    auto b = GreyBitmap(2 * W, 2 * H);
    TIESelectionPaint ctx;
    ctx.Canvas = b->Canvas();
    ctx.Map = &map;
    ctx.SrcW = W;
    ctx.SrcH = H;
    ctx.DispW = 2 * W;
    ctx.DispH = 2 * H;
    s->Paint(ctx);
    EXPECT_EQ(Changed(b.get()), Ring(2 * W, 2 * H, 2 * c.x1, 2 * c.y1, 2 * c.x2 + 1, 2 * c.y2 + 1));
    std::string name = std::string("view_selection_outline_") + c.name + ".png";
    for (char& ch : name)
      if (ch == ' ') ch = '_';
    name.erase(std::remove(name.begin(), name.end(), ','), name.end());
    SaveBitmapAsPng(b.get(), name);
    if (c.gesture) {
      // Four pixels of colour A, then four of colour B, from each corner.
      EXPECT_EQ(b->Canvas()->Pixels(2 * c.x1, 2 * c.y1), clBlack);
      EXPECT_EQ(b->Canvas()->Pixels(2 * c.x1 + 3, 2 * c.y1), clBlack);
      EXPECT_EQ(b->Canvas()->Pixels(2 * c.x1 + 4, 2 * c.y1), clWhite);
      EXPECT_EQ(b->Canvas()->Pixels(2 * c.x1 + 8, 2 * c.y1), clBlack);
    }
  }
}

TEST(ViewSelectionModel, GripsAndPhaseOnTimerCalls) {
  LinearMap map(1, 5, 5);
  auto s = NewSel();
  s->BuildRect(10, 10, 29, 19, false, false);
  s->PolygonToMask();
  auto b = GreyBitmap(60, 50);
  TIESelectionPaint ctx;
  ctx.Canvas = b->Canvas();
  ctx.Map = &map;
  ctx.SrcW = W;
  ctx.SrcH = H;
  ctx.DstX = 5;
  ctx.DstY = 5;
  ctx.DispW = W;
  ctx.DispH = H;
  const std::vector<TRect> grips = s->GripRects(map);
  ASSERT_EQ(grips.size(), 8u);
  EXPECT_EQ(grips[0], (TRect{10, 10, 20, 20}));  // around client (15, 15)
  EXPECT_EQ(grips[4], (TRect{10, 15, 20, 25}));  // middle of the left side
  s->Paint(ctx);
  SaveBitmapAsPng(b.get(), "view_selection_grips.png");
  EXPECT_EQ(b->Canvas()->Pixels(10, 10), clBlack);  // grip pen
  EXPECT_EQ(b->Canvas()->Pixels(12, 12), clWhite);  // grip brush
  EXPECT_EQ(s->Polygon().Phase, 0);
  ctx.FromTimer = true;
  for (int i = 0; i < 11; ++i) s->Paint(ctx);
  EXPECT_EQ(s->Polygon().Phase, 1);  // wraps from 10 to 0
  EXPECT_EQ(s->OutlinePhase, 11);
  s->Gesture.Move = 0;  // no marching during a gesture
  s->Paint(ctx);
  EXPECT_EQ(s->Polygon().Phase, 1);
  EXPECT_TRUE(s->GripRects(map).empty());
}
