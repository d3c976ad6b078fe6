// The image view driven by a person's input (SendInput on a shown form):
// the MouseInteract rules, click-zoom, drag-scroll, wheel, rectangle,
// polygon, ellipse and wand selections, moving and resizing a selection,
// undo of a selection through the processing component, cursors and keys.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "imaging/buffer/ruzozadproc.h"
#include "imaging/views/ruzozadview.h"
#include "platform/Classes.h"
#include "platform/Forms.h"
#include "tests/bars/bar_input.h"
#include "tests/controls/shots.h"
#include "tests/support/png_writer.h"
#include "tests/support/ui.h"

namespace {

constexpr TColor PictureGrey = 0x606060;
constexpr Integer ViewW = 260, ViewH = 200;

// A shown borderless form with a view filling it, showing a grey picture
// (with a red square at 60..79 x 40..59 for the wand).
struct Shown {
  TForm* Form;
  TRuzozAdView* View;
  Shown(Integer PicW, Integer PicH) {
    Form = testui::NewForm(ViewW, ViewH, 40, 40);
    View = new TRuzozAdView(Form);
    View->SetBorderStyle(bsNone);
    View->SetScrollBars(ssNone);
    View->SetBounds(0, 0, ViewW, ViewH);
    View->SetParent(Form);
    TBitmap pic;
    pic.SetPixelFormat(pf24bit);
    pic.SetSize(PicW, PicH);
    pic.Canvas()->Brush()->SetColor(PictureGrey);
    pic.Canvas()->FillRect(TRect{0, 0, PicW, PicH});
    pic.Canvas()->Brush()->SetColor(clRed);
    pic.Canvas()->FillRect(TRect{60, 40, 80, 60});
    View->Assign(&pic);
    testshots::ShowActive(Form);
    View->SetFocus();
    Settle();
  }
  ~Shown() {
    barinput::Button(MOUSEEVENTF_LEFTUP);
    Settle(20);
    delete Form;
  }
  static void Settle(DWORD Ms = 40) { testshots::SettleInput(Ms); }
  TPoint Screen(Integer X, Integer Y) const { return View->ClientToScreen(Point(X, Y)); }
  // Client position of an image pixel at the current zoom and scroll.
  TPoint At(Integer IX, Integer IY) const { return Point(View->BitmapToClientX(IX), View->BitmapToClientY(IY)); }
  void MoveTo(TPoint P) {
    barinput::MoveTo(Screen(P.X, P.Y));
    Settle(20);
  }
  void Press(bool Right = false) {
    barinput::Button(Right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
    Settle(20);
  }
  void Release(bool Right = false) {
    barinput::Button(Right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
    Settle(30);
  }
  void Click(TPoint P, bool Right = false) {
    MoveTo(P);
    Press(Right);
    Release(Right);
  }
  // Press at From, move there in Steps, release at To.
  void Drag(TPoint From, TPoint To, Integer Steps = 4) {
    MoveTo(From);
    Press();
    for (Integer i = 1; i <= Steps; ++i)
      MoveTo(Point(From.X + (To.X - From.X) * i / Steps, From.Y + (To.Y - From.Y) * i / Steps));
    Release();
  }
  TRect MaskBox() const {
    TIEMask* m = View->SelMask();
    return TRect{m->Left(), m->Top(), m->Right(), m->Bottom()};
  }
};

class ViewInput : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterViewCursors();
    ::SetCursorPos(0, 0);
  }
};

}  // namespace

TEST(ViewInteractRules, AnAddedItemKeepsOnlyItsCompanions) {
  auto* view = new TRuzozAdView(nullptr);
  std::unique_ptr<TRuzozAdView> owner(view);
  struct Case {
    const char* name;
    TIEMouseInteract before, set, after;
  } cases[] = {
      {"polygon over zoom and scroll", {miZoom, miScroll}, {miZoom, miScroll, miSelectPolygon}, {miSelectPolygon}},
      {"zoom over the wand", {miSelectMagicWand}, {miSelectMagicWand, miZoom}, {miZoom}},
      {"scroll drops select", {miSelect}, {miSelect, miScroll}, {miScroll}},
      {"select keeps zoom", {miZoom, miScroll}, {miZoom, miScroll, miSelect}, {miZoom, miSelect}},
      {"circle", {}, {miSelectCircle, miSelectLasso}, {miSelectCircle}},
      {"lasso", {miZoom}, {miZoom, miSelectLasso, miScroll}, {miZoom, miScroll}},
      {"zoom rectangle", {miSelect}, {miSelect, miSelectZoom, miZoom}, {miZoom, miSelectZoom}},
      {"zoom alone keeps the rest", {miScroll}, {miScroll, miZoom}, {miZoom, miScroll}},
      {"nothing new: stored as given", {miZoom, miScroll}, {miScroll}, {miScroll}},
  };
  for (const Case& c : cases) {
    view->SetMouseInteract(c.before);
    ASSERT_EQ(view->MouseInteract(), c.before) << c.name;
    view->SetMouseInteract(c.set);
    EXPECT_EQ(view->MouseInteract().Bits(), c.after.Bits()) << c.name;
    view->SetMouseInteract({});
  }
}

TEST_F(ViewInput, ClicksStepTheZoomAroundTheClickedPixel) {
  struct Case {
    double from;
    bool right;
    double to;
  } cases[] = {{60, false, 75}, {60, true, 50}, {2, true, 2}, {100, false, 200}, {30, false, 33},
               {250, true, 150}, {150, true, 100}, {75, true, 50}};
  Shown s(400, 300);
  s.View->SetMouseInteract({miZoom});
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.from) + (c.right ? " right" : " left"));
    s.View->SetZoom(c.from);
    s.Settle();
    const TPoint p{130, 100};
    const Integer bx = s.View->ClientToBitmapX(p.X);
    s.Click(p, c.right);
    EXPECT_DOUBLE_EQ(s.View->Zoom(), c.to);
    if (!c.right && c.to > 100) {
      // The clicked pixel comes to the middle of the view.
      EXPECT_NEAR(s.View->ClientToBitmapX(ViewW / 2), bx, 1);
    }
  }
  // The zoom events may change the value.
  s.View->SetZoom(100);
  s.View->OnZoomIn = [](TObject*, double& Z) { Z = 400; };
  s.Click(Point(130, 100));
  EXPECT_DOUBLE_EQ(s.View->Zoom(), 400);
}

TEST_F(ViewInput, DragScrollsWithTheHandAndTheWheelZooms) {
  Shown s(600, 400);
  s.View->SetMouseInteract({miScroll});
  ASSERT_TRUE(s.View->CanScroll());
  s.MoveTo(Point(200, 150));
  s.Press();
  s.MoveTo(Point(170, 130));
  EXPECT_EQ(Screen->Cursor(), crIEHand);
  EXPECT_EQ(s.View->ScrollX(), 30);
  EXPECT_EQ(s.View->ScrollY(), 20);
  s.MoveTo(Point(150, 110));
  s.Release();
  EXPECT_EQ(s.View->ScrollX(), 50);
  EXPECT_EQ(s.View->ScrollY(), 40);
  EXPECT_EQ(Screen->Cursor(), crDefault);
  // Past the picture's end the offsets stop at their limits.
  s.Drag(Point(250, 190), Point(0, 0));
  Integer mx, my;
  s.View->MaxScroll(mx, my);
  EXPECT_EQ(s.View->ScrollX(), 300);
  EXPECT_EQ(s.View->ScrollY(), my);

  // One wheel notch toward the user zooms in by 8 %, away zooms out.
  s.View->SetZoom(100);
  s.MoveTo(Point(100, 100));
  INPUT in = {};
  in.type = INPUT_MOUSE;
  in.mi.dwFlags = MOUSEEVENTF_WHEEL;
  in.mi.mouseData = static_cast<DWORD>(-WHEEL_DELTA);
  SendInput(1, &in, sizeof(INPUT));
  s.Settle(60);
  EXPECT_DOUBLE_EQ(s.View->Zoom(), 108);
  in.mi.mouseData = WHEEL_DELTA;
  SendInput(1, &in, sizeof(INPUT));
  s.Settle(60);
  EXPECT_NEAR(s.View->Zoom(), 99, 0.001);
}

TEST_F(ViewInput, RectangleDragSelectsAndTheOutlineRunsOnItsBorder) {
  Shown s(200, 150);  // centred: image origin at (30, 25)
  s.View->SetMouseInteract({miSelect});
  s.View->SetSelectionOptions({iesoAnimated, iesoMoveable});  // no grips in the picture
  int before = 0, changing = 0, changed = 0;
  s.View->OnBeforeSelectionChange = [&](TObject*) { ++before; };
  s.View->OnSelectionChanging = [&](TObject*) { ++changing; };
  s.View->OnSelectionChange = [&](TObject*) { ++changed; };
  ASSERT_EQ(s.At(0, 0), Point(30, 25));
  s.Drag(s.At(20, 10), s.At(59, 39));
  EXPECT_TRUE(s.View->HasSelection());
  EXPECT_EQ(s.MaskBox(), (TRect{20, 10, 59, 39}));
  EXPECT_EQ(before, 1);
  EXPECT_GE(changing, 2);
  EXPECT_EQ(changed, 1);

  auto shot = testshots::Shot(s.View);
  SaveBitmapAsPng(shot.get(), "view_interact_rectangle.png");
  // Every pixel of the border ring is an outline colour, everything else the picture.
  const TRect ring{50, 35, 89, 64};
  Integer wrong = 0;
  for (Integer y = 25; y < 175; ++y)
    for (Integer x = 30; x < 230; ++x) {
      const bool onRing = x >= ring.Left && x <= ring.Right && y >= ring.Top && y <= ring.Bottom &&
                          (x == ring.Left || x == ring.Right || y == ring.Top || y == ring.Bottom);
      const TColor c = testshots::Px(shot.get(), x, y);
      const bool expected = onRing ? (c == clBlack || c == clWhite) : (c == PictureGrey || (x >= 90 && x < 110 && y >= 65 && y < 85));
      if (!expected && ++wrong < 5) ADD_FAILURE() << "pixel " << x << "," << y << " = " << std::hex << c;
    }
  EXPECT_EQ(wrong, 0);

  // Shift adds a second rectangle; a plain click clears everything.
  barinput::Key(VK_SHIFT, false);
  s.Settle();
  s.Drag(s.At(100, 100), s.At(109, 109));
  barinput::Key(VK_SHIFT, true);
  s.Settle();
  EXPECT_EQ(s.MaskBox(), (TRect{20, 10, 109, 109}));
  EXPECT_TRUE(s.View->SelMask()->IsPixelSet(105, 105));
  EXPECT_FALSE(s.View->SelMask()->IsPixelSet(80, 80));
  s.Click(s.At(150, 20));
  EXPECT_FALSE(s.View->HasSelection());
  EXPECT_TRUE(s.View->SelMask()->IsEmpty());
}

TEST_F(ViewInput, DraggingInsideMovesAndAGripResizes) {
  Shown s(200, 150);
  s.View->SetMouseInteract({miSelect});
  s.View->SelectRect(s.At(20, 10).X, s.At(20, 10).Y, s.At(59, 39).X, s.At(59, 39).Y, false);
  ASSERT_EQ(s.MaskBox(), (TRect{20, 10, 59, 39}));
  s.MoveTo(s.At(30, 20));
  s.MoveTo(s.At(31, 20));
  EXPECT_EQ(s.View->Cursor(), crIEMove);
  s.Drag(s.At(30, 20), s.At(45, 28));
  EXPECT_EQ(s.MaskBox(), (TRect{35, 18, 74, 47}));
  EXPECT_FALSE(s.View->RectangleMoving());
  // A move stops at the picture's edge.
  s.Drag(s.At(55, 30), Point(0, 0));
  EXPECT_EQ(s.MaskBox(), (TRect{0, 0, 39, 29}));

  Integer gripSeen = -2;
  s.View->OnMouseInResizingGrip = [&](TObject*, Integer G) { gripSeen = G; };
  const TPoint corner = s.At(40, 30);  // the bottom-right corner (exclusive edge)
  s.MoveTo(Point(corner.X + 1, corner.Y + 1));
  EXPECT_EQ(gripSeen, 2);
  EXPECT_EQ(s.View->Cursor(), crIEMove2);
  s.Drag(corner, s.At(70, 50));
  EXPECT_EQ(s.MaskBox(), (TRect{0, 0, 70, 50}));  // the pixel under the pointer is the last one covered
}

TEST_F(ViewInput, PolygonByClicksEndsWithADoubleClick) {
  Shown s(200, 150);
  s.View->SetMouseInteract({miSelectPolygon});
  s.Click(s.At(10, 10));
  s.Click(s.At(100, 10));
  EXPECT_TRUE(s.View->PolygonDrawing());
  s.MoveTo(s.At(60, 80));  // the rubber band follows; no point is added
  EXPECT_EQ(s.View->SelectionPointCount(), 2);
  s.Click(s.At(10, 100));
  // The double click ends the polygon (its own point is not kept).
  s.Click(s.At(5, 50));
  s.Click(s.At(5, 50));
  EXPECT_FALSE(s.View->PolygonDrawing());
  EXPECT_EQ(s.View->SelectionPointCount(), 3);
  EXPECT_TRUE(s.View->HasSelection());
  EXPECT_TRUE(s.View->SelMask()->IsPixelSet(20, 20));
  EXPECT_FALSE(s.View->SelMask()->IsPixelSet(90, 90));
  EXPECT_EQ(s.MaskBox().Left, 10);
  auto shot = testshots::Shot(s.View);
  SaveBitmapAsPng(shot.get(), "view_interact_polygon.png");
}

TEST_F(ViewInput, LassoEllipseAndWand) {
  Shown s(200, 150);
  s.View->SetMouseInteract({miSelectLasso});
  s.MoveTo(s.At(10, 10));
  s.Press();
  for (TPoint p : {TPoint{80, 10}, TPoint{80, 60}, TPoint{10, 60}}) s.MoveTo(s.At(p.X, p.Y));
  s.Release();
  EXPECT_FALSE(s.View->PolygonDrawing());
  EXPECT_TRUE(s.View->SelMask()->IsPixelSet(40, 30));
  EXPECT_FALSE(s.View->SelMask()->IsPixelSet(100, 30));

  // Ellipse drags give circles with the constrain flag.
  s.View->SetMouseInteract({miSelectCircle});
  s.View->ConstrainSelection = true;
  s.Drag(s.At(100, 75), s.At(120, 80));
  const TRect b = s.MaskBox();
  EXPECT_NEAR(b.Right - b.Left, b.Bottom - b.Top, 2);
  EXPECT_NEAR(b.Right - b.Left, 40, 3);
  s.View->ConstrainSelection = false;

  s.View->SetMouseInteract({miSelectMagicWand});
  s.Click(s.At(65, 45));
  EXPECT_EQ(s.MaskBox(), (TRect{60, 40, 79, 59}));
  EXPECT_NE(s.View->Cursor(), crHourGlass);
}

TEST_F(ViewInput, SelectionChangesAreUndoneThroughTheProcessor) {
  Shown s(200, 150);
  s.View->SetMouseInteract({miSelect});
  TRuzozAdProc* proc = s.View->OwnProc();
  s.Drag(s.At(20, 10), s.At(59, 39));
  proc->PushUndoSnapshot(2);
  s.Drag(s.At(100, 100), s.At(150, 120));
  ASSERT_EQ(s.MaskBox(), (TRect{100, 100, 150, 120}));
  proc->RestoreLastUndo();
  EXPECT_EQ(s.MaskBox(), (TRect{20, 10, 59, 39}));
  EXPECT_TRUE(s.View->HasSelection());
  // A stored selection of another picture size is refused.
  TBitmap other;
  other.SetPixelFormat(pf24bit);
  other.SetSize(50, 50);
  s.View->Assign(&other);
  EXPECT_FALSE(s.View->HasSelection());
  proc->RestoreLastUndo();
  EXPECT_FALSE(s.View->HasSelection());
}

TEST_F(ViewInput, ShiftSwitchesToTheAddCursors) {
  Shown s(200, 150);
  struct Case {
    TCursor plain, add;
  } cases[] = {{crIEViewDefault, crIEViewDefaultAdd}, {crIECross2, crIECross2Add}};
  for (const Case& c : cases) {
    s.View->SetViewCursor(c.plain);
    barinput::Key(VK_SHIFT, false);
    s.Settle();
    EXPECT_EQ(s.View->ViewCursor(), c.add);
    EXPECT_EQ(s.View->Cursor(), c.add);
    barinput::Key(VK_SHIFT, true);
    s.Settle();
    EXPECT_EQ(s.View->ViewCursor(), c.plain);
  }
  // The navigation keys are the view's own.
  EXPECT_NE(s.View->Perform(CM_WANTSPECIALKEY, VK_LEFT, 0), 0);
  EXPECT_EQ(s.View->Perform(CM_WANTSPECIALKEY, VK_RETURN, 0), 0);
}

TEST_F(ViewInput, ZoomRectangleZoomsToItAndKeepsTheSelection) {
  Shown s(200, 150);
  s.View->SelectRect(s.At(100, 100).X, s.At(100, 100).Y, s.At(109, 109).X, s.At(109, 109).Y, false);
  s.View->SetMouseInteract({miSelectZoom});
  s.Drag(s.At(20, 10), s.At(59, 39));
  // 40 x 30 pixels into 260 x 200: min(200 / 0.3, 260 / 0.4) = 650 %.
  EXPECT_DOUBLE_EQ(s.View->Zoom(), 650);
  EXPECT_NEAR(s.View->ClientToBitmapX(ViewW / 2), 40, 1);
  EXPECT_NEAR(s.View->ClientToBitmapY(ViewH / 2), 25, 1);
  EXPECT_EQ(s.MaskBox(), (TRect{100, 100, 109, 109}));
  EXPECT_TRUE(s.View->HasSelection());
}
