// The image view's layout: zoom, automatic fitting, scrolling, scroll-bar and
// wheel messages, the mapping tables, Assign, layers and the legacy bitmap.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "imaging/formats/ruzozadio.h"
#include "tests/imaging/view_fixture.h"

using namespace viewtest;

namespace {

struct TCounter : TObject {
  std::vector<Integer> kinds;
  Integer changes = 0;
  void ViewChange(TObject*, Integer Kind) { kinds.push_back(Kind); }
  void Listener(TIEView*, bool) { ++changes; }
};

bool BarVisible(HWND W, LONG Id) {
  SCROLLBARINFO si{};
  si.cbSize = sizeof(si);
  if (!GetScrollBarInfo(W, Id, &si)) return false;
  return (si.rgstate[0] & STATE_SYSTEM_INVISIBLE) == 0;
}

// Both arrows unavailable.
bool BarDisabled(HWND W, LONG Id) {
  SCROLLBARINFO si{};
  si.cbSize = sizeof(si);
  GetScrollBarInfo(W, Id, &si);
  return (si.rgstate[0] & STATE_SYSTEM_UNAVAILABLE) != 0 ||
         ((si.rgstate[1] & STATE_SYSTEM_UNAVAILABLE) != 0 && (si.rgstate[5] & STATE_SYSTEM_UNAVAILABLE) != 0);
}

}  // namespace

TEST(ViewLayout, ZoomRefusesNonPositiveAndUnchangedValues) {
  TViewForm f;
  auto pic = MakePicture(400, 300);
  f.Load(pic.get());
  TCounter c;
  f.view->OnViewChange = TViewChangeEvent(&c, &TCounter::ViewChange);
  for (const double z : {0.0, -5.0, 100.0}) f.view->SetZoom(z);
  EXPECT_EQ(f.view->Zoom(), 100.0);
  EXPECT_TRUE(c.kinds.empty());
  f.view->SetZoom(150);
  EXPECT_EQ(f.view->Zoom(), 150.0);
  ASSERT_FALSE(c.kinds.empty());
  EXPECT_EQ(c.kinds.back(), 1);
}

TEST(ViewLayout, AutomaticFitting) {
  struct Case {
    const char* name;
    Integer w, h;
    bool fit, stretch, shrink;
    bool fitted;  // else 100
  } cases[] = {
      {"one pixel with AutoFit", 1, 1, true, false, false, false},
      {"large, shrink only", 800, 600, false, false, true, true},
      {"small, shrink only", 50, 40, false, false, true, false},
      {"large, stretch only", 800, 600, false, true, false, false},
      {"small, stretch only", 50, 40, false, true, false, true},
      {"small, AutoFit", 50, 40, true, false, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TViewForm f(200, 150);
    f.view->SetAutoFit(c.fit);
    f.view->SetAutoStretch(c.stretch);
    f.view->SetAutoShrink(c.shrink);
    auto pic = MakePicture(c.w, c.h);
    f.Load(pic.get());
    const double fit = std::min(150.0 / (c.h / 100.0), 200.0 / (c.w / 100.0));
    EXPECT_DOUBLE_EQ(f.view->Zoom(), c.fitted ? fit : 100.0);
    if (c.fitted) {
      EXPECT_FALSE(f.view->CanScroll());
    }
  }
}

TEST(ViewLayout, ZoomingInFromAWholePictureKeepsTheOffsetsAtZero) {
  TViewForm f(200, 150);
  auto pic = MakePicture(100, 60);
  f.Load(pic.get());
  f.view->SetZoom(400);
  // The offsets were clamped to the limits of the zoom before the change.
  EXPECT_EQ(f.view->ScrollX(), 0);
  EXPECT_EQ(f.view->ScrollY(), 0);
  EXPECT_TRUE(f.view->CanScroll());
  f.view->SetScrollXY(50, 40);
  f.view->SetZoom(500);
  // Now the centre stays where it was: (cx + 50) / 4 * 5 - cx.
  const Integer cx = f.view->ClientWidth() / 2;
  EXPECT_NEAR(f.view->ScrollX(), (cx + 50) * 5 / 4 - cx, 1);
}

TEST(ViewLayout, ScrollLimitsAndAlwaysVisibleBars) {
  TViewForm f(200, 150);
  auto pic = MakePicture(180, 120);
  f.Load(pic.get());
  Integer mx = -1, my = -1;
  f.view->MaxScroll(mx, my);
  EXPECT_EQ(mx, 0);
  EXPECT_EQ(my, 0);
  EXPECT_FALSE(f.view->CanScroll());
  EXPECT_FALSE(BarVisible(f.view->Handle(), OBJID_HSCROLL));
  f.view->ScrollBarsAlwaysVisible = true;
  f.view->Update();
  EXPECT_TRUE(BarVisible(f.view->Handle(), OBJID_HSCROLL));
  EXPECT_TRUE(BarVisible(f.view->Handle(), OBJID_VSCROLL));
  EXPECT_TRUE(BarDisabled(f.view->Handle(), OBJID_HSCROLL));
  // A larger picture: enabled bars, limits from the zoomed size plus half a pixel.
  auto big = MakePicture(500, 400);
  f.Load(big.get());
  f.view->MaxScroll(mx, my);
  EXPECT_EQ(mx, 500 - f.view->ClientWidth());
  EXPECT_EQ(my, 400 - f.view->ClientHeight());
  EXPECT_FALSE(BarDisabled(f.view->Handle(), OBJID_HSCROLL));
  f.view->SetScrollXY(-20, 100000);
  EXPECT_EQ(f.view->ScrollX(), 0);
  EXPECT_EQ(f.view->ScrollY(), my);
}

TEST(ViewLayout, ScrollBarMessages) {
  TViewForm f(200, 150);
  auto pic = MakePicture(1000, 800);
  f.Load(pic.get());
  f.view->SetZoom(200);  // line steps are multiplied by trunc(factor)
  f.view->SetScrollXY(300, 300);
  Integer mx, my;
  f.view->MaxScroll(mx, my);
  const Integer cw = f.view->ClientWidth();
  struct Case {
    const char* name;
    WORD code;
    Integer lineStep, pageStep;
    bool tracking;
    Integer want;  // -1: the maximum
  } cases[] = {
      {"line left", SB_LINELEFT, -1, -1, true, 298},
      {"line right", SB_LINERIGHT, -1, -1, true, 302},
      {"line right, step 5", SB_LINERIGHT, 5, -1, true, 310},
      {"page left", SB_PAGELEFT, -1, -1, true, 300 - cw},
      {"page right, step 20", SB_PAGERIGHT, -1, 20, true, 340},
      {"left end", SB_LEFT, -1, -1, true, 0},
      {"right end", SB_RIGHT, -1, -1, true, -1},
      {"end scroll", SB_ENDSCROLL, -1, -1, true, 300},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    f.view->SetScrollXY(300, 300);
    f.view->HScrollBarParams()->LineStep = c.lineStep;
    f.view->HScrollBarParams()->PageStep = c.pageStep;
    f.view->HScrollBarParams()->Tracking = c.tracking;
    PostMessageW(f.view->Handle(), WM_HSCROLL, MAKEWPARAM(c.code, 0), 0);
    Application->ProcessMessages();
    EXPECT_EQ(f.view->ScrollX(), c.want == -1 ? mx : c.want);
    EXPECT_EQ(f.view->ScrollY(), 300);
  }
  // Thumb tracking follows the bar's track position only with tracking on;
  // the final thumb position always scrolls.
  f.view->SetScrollXY(0, 0);
  f.view->VScrollBarParams()->Tracking = false;
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_POS;
  si.nPos = 30000;
  SetScrollInfo(f.view->Handle(), SB_VERT, &si, FALSE);
  PostMessageW(f.view->Handle(), WM_VSCROLL, MAKEWPARAM(SB_THUMBTRACK, 30000), 0);
  Application->ProcessMessages();
  EXPECT_EQ(f.view->ScrollY(), 0);
  PostMessageW(f.view->Handle(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 30000), 0);
  Application->ProcessMessages();
  EXPECT_NEAR(f.view->ScrollY(), 30000 * f.view->VScrollRatio(), 1.0);
  EXPECT_GT(f.view->ScrollY(), 0);
}

TEST(ViewLayout, WheelZoomsAndScrolls) {
  TViewForm f(200, 150);
  auto pic = MakePicture(1000, 800);
  f.Load(pic.get());
  const HWND w = f.view->Handle();
  auto wheel = [&](int delta) {
    PostMessageW(w, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(delta)), MAKELPARAM(20, 20));
    Application->ProcessMessages();
  };
  struct Case {
    const char* name;
    Byte action, kind;
    Integer step;
    bool reverse;
    int delta;
    double wantZoom;
    Integer wantScrollY;
  } cases[] = {
      {"toward the user zooms in by 8 %", 2, 1, 8, false, -120, 108, 0},
      {"away zooms out by 8 %", 2, 1, 8, false, 120, 92, 0},
      {"reversed", 2, 1, 8, true, 120, 108, 0},
      {"absolute zoom", 2, 0, 30, false, -120, 130, 0},
      {"scroll by percent of the client", 1, 1, 10, false, -120, 100, 0 /* set below */},
      {"absolute scroll", 1, 0, 7, false, -120, 100, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    f.view->SetZoom(100);
    f.view->SetScrollXY(0, 0);
    TIEMouseWheelParams* p = f.view->MouseWheelParams();
    p->Action = c.action;
    p->StepKind = c.kind;
    p->Step = c.step;
    p->Reverse = c.reverse;
    const Integer cy = f.view->ClientHeight() / 2;
    wheel(c.delta);
    EXPECT_DOUBLE_EQ(f.view->Zoom(), c.wantZoom);
    // A zoom keeps the centre of the client area where it was.
    const Integer want = c.action == 2   ? std::max(static_cast<Integer>(cy * c.wantZoom / 100 - cy), 0)
                         : c.kind == 1 ? (f.view->ClientHeight() * 10 + 50) / 100
                                       : c.wantScrollY;
    EXPECT_EQ(f.view->ScrollY(), want);
  }
}

TEST(ViewLayout, ZoomAtPointKeepsThePictureUnderThePoint) {
  TViewForm f(200, 150);
  auto pic = MakePicture(400, 300);
  f.Load(pic.get());
  f.view->SetScrollXY(60, 40);
  Application->ProcessMessages();
  f.view->RenderToBuffer();
  const Integer bx = f.view->ClientToBitmapX(100), by = f.view->ClientToBitmapY(70);
  EXPECT_EQ(bx, 160);
  EXPECT_EQ(by, 110);
  f.view->ZoomAtPoint(100, 70, 300);
  // The point ends at the centre of the client area.
  EXPECT_EQ(f.view->ScrollX(), 3 * bx - f.view->ClientWidth() / 2);
  EXPECT_EQ(f.view->ScrollY(), 3 * by - f.view->ClientHeight() / 2);
}

TEST(ViewLayout, HalfZoomTablesSkipEveryOtherColumn) {
  TViewForm f(200, 150);
  auto pic = MakePicture(100, 40);
  f.Load(pic.get());
  f.view->SetZoom(50);
  f.view->RenderToBuffer();
  ASSERT_EQ(f.view->DestWidth(), 50);
  const auto& map = f.view->ClientToBitmapColumns();
  ASSERT_EQ(map.size(), 51u);
  for (Integer n = 0; n <= 50; ++n) EXPECT_EQ(map[n], 2 * n);
  const auto& inv = f.view->BitmapToClientColumns();
  for (Integer c = 0; c < 99; ++c) EXPECT_EQ(inv[c], (c + 1) / 2) << c;
  // Mapping through the origin of the centred picture and back.
  const Integer ox = f.view->OriginX();
  EXPECT_EQ(ox, (f.view->ClientWidth() - 50) / 2);
  EXPECT_EQ(f.view->ClientToBitmapX(ox + 10), 20);
  EXPECT_EQ(f.view->BitmapToClientX(21), ox + 11);
}

TEST(ViewLayout, AssignKeepsOneOrTwentyFourBits) {
  TViewForm f;
  struct Case {
    TPixelFormat format;
    TIEPixelKind want;
  } cases[] = {{pf4bit, ipkRGB24}, {pf8bit, ipkRGB24}, {pf1bit, ipkBW1}, {pf24bit, ipkRGB24}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.format));
    TBitmap b;
    b.SetPixelFormat(c.format);
    b.SetSize(13, 9);
    f.view->Assign(&b);
    EXPECT_EQ(f.view->CurrentIEBitmap()->PixelKind(), c.want);
    EXPECT_EQ(f.view->ImageWidth(), 13);
  }
  // From another view: picture, background and resolution.
  TViewForm g;
  auto pic = MakePicture(21, 17);
  g.Load(pic.get());
  g.view->SetBackground(clRed);
  g.view->StoreResolution(300, 150);
  Integer changes = 0;
  f.view->OnImageChange = [&](TObject*) { ++changes; };
  f.view->Assign(g.view);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(f.view->ImageWidth(), 21);
  EXPECT_EQ(f.view->Background(), clRed);
  EXPECT_EQ(f.view->ResolutionX(), 300);
  EXPECT_EQ(f.view->CurrentIEBitmap()->PixelAsTriple(5, 7), ColorToTriple(static_cast<Integer>(PictureColor(5, 7))));
  // Nil clears to the background.
  f.view->Assign(nullptr);
  EXPECT_EQ(f.view->CurrentIEBitmap()->PixelAsTriple(5, 7), ColorToTriple(clRed));
}

TEST(ViewLayout, LegacyBitmapSwitch) {
  TViewForm f;
  auto pic = MakePicture(30, 20);
  f.Load(pic.get());
  TCounter c;
  f.view->AddChangeListener(TIEViewChangeEvent(&c, &TCounter::Listener));
  ASSERT_NE(f.view->CurrentBitmap(), nullptr);
  f.view->SetLegacyBitmap(false);
  EXPECT_EQ(f.view->CurrentBitmap(), nullptr);
  EXPECT_EQ(c.changes, 1);
  f.view->SetLegacyBitmap(false);
  EXPECT_EQ(c.changes, 1);
  EXPECT_EQ(f.view->CurrentIEBitmap()->PixelAsTriple(3, 4), ColorToTriple(static_cast<Integer>(PictureColor(3, 4))));
  f.view->SetLegacyBitmap(true);
  EXPECT_EQ(c.changes, 2);
  TBitmap* legacy = f.view->CurrentBitmap();
  ASSERT_NE(legacy, nullptr);
  EXPECT_EQ(legacy->Width(), 30);
  EXPECT_EQ(legacy->Canvas()->Pixels(3, 4) & 0xFFFFFF, static_cast<TColor>(PictureColor(3, 4)));
}

TEST(ViewLayout, LayersOfOtherSizesAreExtendedAndSelectable) {
  TViewForm f(200, 150);
  auto pic = MakePicture(40, 30);
  f.Load(pic.get());
  auto second = std::make_unique<TIEBitmap>();
  second->SetLocation(islMemory);
  second->AllocateImage(60, 20, ipkRGB24);
  second->FillWith(clLime);
  f.view->Layers().push_back(std::make_unique<TIELayer>(second.release(), true));
  f.view->Update();
  EXPECT_EQ(f.view->ImageWidth(), 60);
  EXPECT_EQ(f.view->ImageHeight(), 30);
  // Each layer now has the common size; the new area is transparent.
  TIEBitmap* first = f.view->Layer(0)->Bitmap;
  EXPECT_EQ(first->Width(), 60);
  ASSERT_TRUE(first->HasAlphaChannel());
  EXPECT_EQ(static_cast<Byte*>(first->GetAlphaChannel()->GetRowPointer(5))[10], 255);
  EXPECT_EQ(static_cast<Byte*>(first->GetAlphaChannel()->GetRowPointer(5))[50], 0);
  TIEBitmap* top = f.view->Layer(1)->Bitmap;
  EXPECT_EQ(top->Height(), 30);
  EXPECT_EQ(static_cast<Byte*>(top->GetAlphaChannel()->GetRowPointer(25))[5], 0);

  TCounter c;
  f.view->AddChangeListener(TIEViewChangeEvent(&c, &TCounter::Listener));
  f.view->SelectLayer(7);  // out of range: nothing
  EXPECT_EQ(c.changes, 0);
  f.view->SelectLayer(1);
  EXPECT_EQ(c.changes, 1);
  EXPECT_EQ(f.view->CurrentIEBitmap(), top);
  EXPECT_EQ(f.view->CurrentBitmap(), nullptr);  // that layer wraps no platform bitmap
  f.view->SelectLayer(0);
  EXPECT_EQ(f.view->CurrentIEBitmap(), first);

  // With alpha on, the second layer shows only where it is opaque (the
  // renderer blends an alpha of 255 as 255/256), over the first layer over black.
  f.view->SetBackground(clBlack);
  f.view->SetEnableAlphaChannel(true);
  f.view->RenderToBuffer();
  TBitmap* buf = f.view->DisplayBuffer();
  const Integer ox = f.view->OriginX(), oy = f.view->OriginY();
  auto blend = [](COLORREF Under, COLORREF Over) {
    COLORREF r = 0;
    for (int k = 0; k < 24; k += 8) {
      const int d = (Under >> k) & 255, s = (Over >> k) & 255;
      r |= static_cast<COLORREF>(d + (((s - d) * 255) >> 8)) << k;
    }
    return r;
  };
  EXPECT_EQ(PixelOf(buf, ox + 5, oy + 5), blend(blend(0, PictureColor(5, 5)), static_cast<COLORREF>(clLime)));
  EXPECT_EQ(PixelOf(buf, ox + 5, oy + 25), blend(0, PictureColor(5, 25)));
  EXPECT_EQ(PixelOf(buf, ox + 50, oy + 25), 0u);  // neither layer covers it
}

TEST(ViewLayout, FlattenAlphaBlendsTowardTheBackground) {
  TViewForm f;
  auto pic = MakePicture(4, 1);
  f.Load(pic.get());
  f.view->SetBackground(RGB(200, 100, 0));
  TIEBitmap* b = f.view->CurrentIEBitmap();
  b->FillWith(RGB(0, 100, 200));
  Byte* a = static_cast<Byte*>(b->GetAlphaChannel()->GetRowPointer(0));
  a[0] = 0;
  a[1] = 128;
  a[2] = 255;
  a[3] = 64;
  EXPECT_TRUE(f.view->AlphaBitmapPresent());
  f.view->FlattenAlpha(true);
  EXPECT_FALSE(f.view->AlphaBitmapPresent());
  // bg + ((c - bg) * alpha * 1024) >> 18, the shift on the signed product.
  const TIEColorTriple want[] = {MakeColorTriple(200, 100, 0), MakeColorTriple(100, 100, 100),
                                 MakeColorTriple(0, 100, 199), MakeColorTriple(150, 100, 50)};
  for (Integer x = 0; x < 4; ++x) EXPECT_EQ(b->PixelAsTriple(x, 0), want[x]) << x;
}

TEST(ViewLayout, WorkerFinishedMessageRunsTheLayoutPass) {
  TViewForm f;
  TBitmap* legacy = f.view->CurrentBitmap();
  legacy->SetSize(77, 33);  // as a worker thread's load would leave it
  EXPECT_NE(f.view->ImageWidth(), 77);
  PostMessageW(f.view->Handle(), IEM_IOFINISHED, 0, 0);
  Application->ProcessMessages();
  EXPECT_EQ(f.view->ImageWidth(), 77);
  EXPECT_EQ(f.view->ImageHeight(), 33);
}

TEST(ViewLayout, RefreshLockHoldsPaintingBack) {
  TViewForm f;
  auto pic = MakePicture(50, 50);
  f.Load(pic.get());
  Integer paints = 0;
  f.view->OnPaint = [&](TObject*) { ++paints; };
  f.view->SuspendRefresh();
  f.view->SuspendRefresh();
  EXPECT_EQ(f.view->ResumeRefreshQuiet(), 1);
  f.view->Assign(MakePicture(80, 60).get());
  Application->ProcessMessages();
  // Painting still fires OnPaint but renders nothing new while locked.
  EXPECT_EQ(f.view->ResumeRefresh(), 0);
  EXPECT_EQ(f.view->ResumeRefreshQuiet(), 0);  // not below 0
  Application->ProcessMessages();
  auto shot = Capture(f.view);
  EXPECT_EQ(PixelOf(shot.get(), f.view->OriginX() + 70, f.view->OriginY() + 50), PictureColor(70, 50));
  EXPECT_GT(paints, 0);
}
