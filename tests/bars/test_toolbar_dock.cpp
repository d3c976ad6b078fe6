// Toolbar windows on a shown form: single rows cut off with the mark, rows of
// bars in the dock sites at each edge, the floating frame and caption, and a
// bar dragged off the top site and docked into the left one with the mouse.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "bars/dxBar.h"
#include "tests/bars/bar_input.h"
#include "tests/bars/menu_model.h"
#include "tests/support/png_writer.h"
#include "tests/bars/menu_model.h"
#include "tests/support/ui.h"

namespace {

struct TDockModel {
  std::unique_ptr<TForm> form;
  TdxBarManager* manager;
  std::vector<TdxBarButton*> buttons;

  explicit TDockModel(Integer W = 420, Integer H = 300) {
    form.reset(testui::NewForm(W, H, 40, 40));
    manager = new TdxBarManager(form.get());
    for (int i = 0; i < 12; ++i) {
      auto* b = new TdxBarButton(form.get());
      b->SetName("btn" + std::to_string(i));
      b->SetCaption("B" + std::to_string(i));
      buttons.push_back(b);
    }
    form->Show();
    Application->ProcessMessages();
  }
  ~TDockModel() { form.reset(); }

  // A bar of Count buttons (a begin group at each index in Groups).
  TdxBar* AddBar(const std::string& Caption, int First, int Count, TdxBarDockingStyle Style, Integer Row = 0,
                 bool OneOnRow = true, std::vector<int> Groups = {}, Integer Place = 0) {
    TdxBar* bar = manager->Bars()->Add();
    bar->SetCaption(Caption);
    bar->SetName(Caption);
    for (int i = 0; i < Count; ++i) {
      TdxBarItemLink* l = bar->ItemLinks()->Add();
      l->SetItem(buttons[static_cast<size_t>(First + i)]);
      for (int g : Groups)
        if (g == i) l->SetBeginGroup(true);
    }
    bar->SetRow(Row);
    bar->SetOneOnRow(OneOnRow);
    // The stored place along the row.
    if (Style == dsLeft || Style == dsRight)
      bar->SetDockedTop(Place);
    else
      bar->SetDockedLeft(Place);
    bar->SetDockingStyle(Style);
    bar->SetVisible(true);
    Application->ProcessMessages();
    return bar;
  }
};

Integer PlacedCount(TdxBar* Bar) {
  Integer n = 0;
  for (TdxBarItemLink* l : Bar->ItemLinks()->ShownLinks())
    if (l->ItemRect.Width() > 0) ++n;
  return n;
}

TRect ScreenRect(TWinControl* W) {
  RECT r;
  GetWindowRect(W->Handle(), &r);
  return Rect(r.left, r.top, r.right, r.bottom);
}

// The whole window (frame and client) as it paints itself.
std::unique_ptr<TBitmap> WindowShot(TdxBarControl* W) {
  TRect r = ScreenRect(W);
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(r.Width(), r.Height());
  W->PaintWindowTo(bmp->Canvas()->Handle());
  return bmp;
}

// The form with its docked bars, as they paint themselves.
std::unique_ptr<TBitmap> FormShot(TDockModel& M, const std::string& Name) {
  TRect fr = ScreenRect(M.form.get());
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(fr.Width(), fr.Height());
  RECT all{0, 0, fr.Width(), fr.Height()};
  FillRect(bmp->Canvas()->Handle(), &all, GetSysColorBrush(COLOR_APPWORKSPACE));
  for (Integer i = 0; i < M.manager->Bars()->Count(); ++i) {
    TdxBarControl* w = M.manager->Bars()->Items(i)->Control();
    if (!w || !w->HandleAllocated()) continue;
    TRect r = ScreenRect(w);
    HDC dc = bmp->Canvas()->Handle();
    OffsetViewportOrgEx(dc, r.Left - fr.Left, r.Top - fr.Top, nullptr);
    w->PaintWindowTo(dc);
    OffsetViewportOrgEx(dc, fr.Left - r.Left, fr.Top - r.Top, nullptr);
  }
  SaveBitmapAsPng(bmp.get(), Name);
  return bmp;
}

using menutest::Px;
using menutest::Sys;

bool DragWithMouse(TPoint From, TPoint To) { return barinput::Drag(From, {}, To); }

}  // namespace

TEST(ToolbarDockSingleRow, NarrowDockedBarShowsItsLeadingItemsAndTheMark) {
  TDockModel m(420, 200);
  TdxBar* bar = m.AddBar("Tools", 0, 10, dsTop);
  TdxBarControl* w = bar->Control();
  ASSERT_NE(w, nullptr);
  ASSERT_EQ(w->DockSite(), m.manager->Bars()->DockControl(dsTop));
  struct Case {
    Integer formWidth;
    bool truncated;
  } cases[] = {{420, false}, {150, true}, {90, true}, {420, false}};
  for (const Case& c : cases) {
    m.form->SetWidth(c.formWidth);
    Application->ProcessMessages();
    w->ArrangeItems();
    EXPECT_EQ(w->Truncated, c.truncated) << c.formWidth;
    EXPECT_EQ(PlacedCount(bar) < 10, c.truncated) << c.formWidth;
    EXPECT_LE(w->Width(), std::max(c.formWidth, w->MinLength)) << c.formWidth;
    // Placed items form a prefix and stay clear of the mark.
    bool gap = false;
    for (TdxBarItemLink* l : bar->ItemLinks()->ShownLinks()) {
      if (l->ItemRect.Width() == 0) gap = true;
      EXPECT_FALSE(gap && l->ItemRect.Width() > 0) << c.formWidth;
      if (c.truncated && l->ItemRect.Width() > 0) {
        EXPECT_LE(l->ItemRect.Right, w->ClientWidth() - 11);
      }
    }
    if (c.truncated) {
      EXPECT_TRUE(w->HasMark());
      auto shot = WindowShot(w);
      SaveBitmapAsPng(shot.get(), "bars_dock_truncated_" + std::to_string(c.formWidth) + ".png");
      // The chevrons of a cut-off bar (standard look: highlight and shadow strokes).
      TRect mk = w->MarkRect();
      POINT o{0, 0};
      ::ClientToScreen(w->Handle(), &o);
      TRect wr = ScreenRect(w);
      Integer ox = o.x - wr.Left, oy = o.y - wr.Top;
      COLORREF bg = Px(shot.get(), ox + mk.Left, oy + mk.Bottom - 1);
      Integer strokes = 0;
      for (Integer y = mk.Top; y < mk.Bottom; ++y)
        for (Integer x = mk.Left; x < mk.Right; ++x)
          if (Px(shot.get(), ox + x, oy + y) != bg) ++strokes;
      EXPECT_GE(strokes, 12) << c.formWidth;
    }
  }
}

TEST(ToolbarDockRows, BarsShareRowsAndStackAtEachEdge) {
  struct Case {
    TdxBarDockingStyle style;
    const char* name;
  } cases[] = {{dsTop, "top"}, {dsBottom, "bottom"}, {dsLeft, "left"}, {dsRight, "right"}};
  for (const Case& c : cases) {
    TDockModel m(420, 300);
    TdxBar* a = m.AddBar("A", 0, 3, c.style, 0, true);
    TdxBar* b = m.AddBar("B", 3, 2, c.style, 0, false, {}, 150);
    TdxBar* d = m.AddBar("C", 5, 2, c.style, 1, true);
    TdxDockControl* site = m.manager->Bars()->DockControl(c.style);
    ASSERT_EQ(site->RowCount(), 2) << c.name;
    EXPECT_EQ(site->Rows(0).Cols.size(), 2u) << c.name;
    EXPECT_EQ(site->RowOf(a->Control()), 0) << c.name;
    EXPECT_EQ(site->RowOf(b->Control()), 0) << c.name;
    EXPECT_EQ(site->RowOf(d->Control()), 1) << c.name;
    TdxBarControl *wa = a->Control(), *wb = b->Control(), *wd = d->Control();
    bool vertical = c.style == dsLeft || c.style == dsRight;
    if (vertical) {
      EXPECT_EQ(wb->Top(), 150) << c.name << ": its stored place";
      EXPECT_EQ(wb->Left(), wa->Left()) << c.name;
      EXPECT_EQ(wd->Left(), wa->Left() + wa->Width()) << c.name;
      EXPECT_GT(wa->Height(), wa->Width()) << c.name;
      EXPECT_EQ(site->Width(), wa->Width() + wd->Width()) << c.name;
    } else {
      EXPECT_EQ(wb->Left(), 150) << c.name << ": its stored place";
      EXPECT_EQ(wb->Top(), wa->Top()) << c.name;
      EXPECT_EQ(wd->Top(), wa->Top() + wa->Height()) << c.name;
      EXPECT_GT(wa->Width(), wa->Height()) << c.name;
      EXPECT_EQ(site->Height(), wa->Height() + wd->Height()) << c.name;
    }
    // Every window of a row is as thick as the row.
    EXPECT_EQ(vertical ? wa->Width() : wa->Height(), vertical ? wb->Width() : wb->Height()) << c.name;
    FormShot(m, std::string("bars_dock_rows_") + c.name + ".png");
    // A bar hidden and shown again comes back to its row and place.
    TPoint before = Point(wb->Left(), wb->Top());
    b->SetVisible(false);
    EXPECT_EQ(site->RowCount(), 2) << c.name;
    b->SetVisible(true);
    Application->ProcessMessages();
    EXPECT_EQ(site->RowOf(b->Control()), 0) << c.name;
    EXPECT_EQ(Point(b->Control()->Left(), b->Control()->Top()), before) << c.name;
  }
}

TEST(ToolbarFloating, FrameAndCaptionArePaintedAndNarrowWidthsWrapWholeSections) {
  TDockModel m(420, 300);
  TdxBar* bar = m.AddBar("Floating tools", 0, 6, dsNone, 0, true, {3});
  TdxBarControl* w = bar->Control();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->Parent(), nullptr);
  EXPECT_EQ(w->DockingStyleOfWindow(), dsNone);
  // Never floated: one row of all its links.
  Integer itemH = bar->ItemLinks()->ShownLinks()[0]->ItemRect.Height();
  EXPECT_EQ(w->ClientHeight(), itemH);
  EXPECT_EQ(PlacedCount(bar), 6);
  auto shot = WindowShot(w);
  SaveBitmapAsPng(shot.get(), "bars_floating_frame.png");
  // Caption band in the caption colour, just inside the frame; the close
  // button at its right end; the frame's raised edge at the outside.
  Integer f = m.manager->FloatFrameWidth();
  Integer capY = f + SmallCaptionHeight() / 2;
  EXPECT_EQ(Px(shot.get(), f + 1, capY), Sys(COLOR_ACTIVECAPTION));
  EXPECT_EQ(Px(shot.get(), shot->Width() / 2, capY), Sys(COLOR_ACTIVECAPTION)) << "the caption band";
  EXPECT_EQ(Px(shot.get(), 1, shot->Height() / 2), Sys(COLOR_BTNHIGHLIGHT)) << "raised frame edge";
  bool captionText = false;
  for (Integer x = f + 2; x < f + 40; ++x)
    if (Px(shot.get(), x, capY) == Sys(COLOR_CAPTIONTEXT)) captionText = true;
  EXPECT_TRUE(captionText);

  // Narrower widths: the second section ({3,4,5}) moves whole to the next row.
  struct Case {
    int widthInItems;
    Integer rows;
    Integer firstOfRow2;
  } cases[] = {{6, 1, -1}, {5, 2, 3}, {4, 2, 3}, {2, 4, 2}};
  Integer itemW = bar->ItemLinks()->ShownLinks()[0]->ItemRect.Width();
  for (const Case& c : cases) {
    TPoint s = w->CalcSizeForWidth(dsNone, itemW * c.widthInItems + w->BeginGroupSize());
    w->SetBounds(w->Left(), w->Top(), s.X + bar->FrameWidth(dsNone), s.Y + bar->FrameHeight(dsNone));
    w->ArrangeItems();
    std::vector<Integer> tops;
    for (TdxBarItemLink* l : bar->ItemLinks()->ShownLinks())
      if (std::find(tops.begin(), tops.end(), l->ItemRect.Top) == tops.end()) tops.push_back(l->ItemRect.Top);
    EXPECT_EQ(static_cast<Integer>(tops.size()), c.rows) << c.widthInItems;
    EXPECT_EQ(PlacedCount(bar), 6) << c.widthInItems;
    if (c.firstOfRow2 >= 0) {
      const auto& links = bar->ItemLinks()->ShownLinks();
      EXPECT_GT(links[static_cast<size_t>(c.firstOfRow2)]->ItemRect.Top, links[0]->ItemRect.Top) << c.widthInItems;
      EXPECT_EQ(links[static_cast<size_t>(c.firstOfRow2) - 1]->ItemRect.Top, links[0]->ItemRect.Top)
          << c.widthInItems;
    }
  }
}

TEST(ToolbarDrag, DraggedOffTheTopItFloatsAndDroppedAtTheLeftEdgeItTakesAColumn) {
  TDockModel m(420, 300);
  TdxBar* bar = m.AddBar("Tools", 0, 4, dsTop);
  TdxBar* other = m.AddBar("Other", 4, 3, dsTop, 1, true);
  TdxDockControl* top = m.manager->Bars()->DockControl(dsTop);
  TdxDockControl* left = m.manager->Bars()->DockControl(dsLeft);
  ASSERT_EQ(top->RowCount(), 2);
  FormShot(m, "bars_drag_0_docked.png");

  // Grab the grip and drop in the middle of the form.
  TRect wr = ScreenRect(bar->Control());
  TPoint grip = Point(wr.Left + 4, (wr.Top + wr.Bottom) / 2);
  TRect fr = ScreenRect(m.form.get());
  TPoint drop = Point(fr.Left + 200, fr.Top + 150);
  ASSERT_TRUE(DragWithMouse(grip, drop));
  TdxBarControl* w = bar->Control();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->DockingStyleOfWindow(), dsNone);
  EXPECT_EQ(bar->DockingStyle(), dsNone);
  EXPECT_EQ(w->Parent(), nullptr);
  EXPECT_EQ(top->RowCount(), 1) << "the emptied row goes";
  EXPECT_EQ(top->RowOf(other->Control()), 0);
  TRect fl = ScreenRect(w);
  EXPECT_TRUE(drop.X >= fl.Left && drop.X < fl.Right && drop.Y >= fl.Top && drop.Y < fl.Bottom)
      << "the cursor still holds the floating bar";
  EXPECT_EQ(bar->FloatLeft(), w->Left());
  FormShot(m, "bars_drag_1_form.png");
  SaveBitmapAsPng(WindowShot(w).get(), "bars_drag_1_floating.png");

  // Take it by the caption and drop it at the form's left edge.
  fl = ScreenRect(w);
  TPoint caption = Point(fl.Left + 30, fl.Top + m.manager->FloatFrameHeight() + SmallCaptionHeight() / 2);
  TPoint leftEdge = Point(fr.Left + 4, fr.Top + 150);
  ASSERT_TRUE(DragWithMouse(caption, leftEdge));
  w = bar->Control();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->DockSite(), left);
  EXPECT_EQ(bar->DockingStyle(), dsLeft);
  EXPECT_EQ(left->RowCount(), 1);
  EXPECT_GT(w->Height(), w->Width()) << "a column";
  EXPECT_EQ(left->Width(), w->Width());
  FormShot(m, "bars_drag_2_left.png");

  // Its row and place survive hiding and showing.
  TPoint place = Point(w->Left(), w->Top());
  bar->SetVisible(false);
  EXPECT_EQ(left->RowCount(), 0);
  bar->SetVisible(true);
  Application->ProcessMessages();
  ASSERT_NE(bar->Control(), nullptr);
  EXPECT_EQ(bar->Control()->DockSite(), left);
  EXPECT_EQ(Point(bar->Control()->Left(), bar->Control()->Top()), place);
}

TEST(ToolbarFloating, OnlyEdgesSizeItAndTheWidthSnapsToALayout) {
  TDockModel m(420, 300);
  TdxBar* bar = m.AddBar("Sized", 0, 6, dsNone);
  TdxBarControl* w = bar->Control();
  ASSERT_NE(w, nullptr);
  TRect r = ScreenRect(w);
  Integer f = m.manager->FloatFrameWidth();
  // Frame edges size, corners count as an edge, the caption and empty space drag.
  struct Hit {
    TPoint at;
    LRESULT code;
  } hits[] = {{Point(r.Left + 1, (r.Top + r.Bottom) / 2), HTLEFT},
              {Point(r.Right - 1, (r.Top + r.Bottom) / 2), HTRIGHT},
              {Point((r.Left + r.Right) / 2, r.Top), HTTOP},
              {Point((r.Left + r.Right) / 2, r.Bottom - 1), HTBOTTOM},
              {Point(r.Left + 1, r.Top + 1), HTTOP},
              {Point(r.Right - 1, r.Bottom - 1), HTBOTTOM},
              {Point(r.Left + f + 20, r.Top + f + 3), HTCLIENT}};
  for (const Hit& h : hits)
    EXPECT_EQ(SendMessageW(w->Handle(), WM_NCHITTEST, 0, MAKELPARAM(h.at.X, h.at.Y)), h.code) << h.at.X << "," << h.at.Y;
  EXPECT_EQ(w->HitCode, HTCAPTION);

  Integer fw = bar->FrameWidth(dsNone), fh = bar->FrameHeight(dsNone);
  Integer itemW = bar->ItemLinks()->ShownLinks()[0]->ItemRect.Width();
  Integer itemH = bar->ItemLinks()->ShownLinks()[0]->ItemRect.Height();
  struct Size {
    UINT edge;
    Integer width, top;
    Integer wantWidth, wantHeight, wantTop;  // -1: unchanged
  } sizes[] = {
      {WMSZ_RIGHT, fw + 3 * itemW + 5, 100, fw + 3 * itemW, fh + 2 * itemH, 100},
      {WMSZ_LEFT, fw + 2 * itemW + 2, 100, fw + 2 * itemW, fh + 3 * itemH, 100},
      {WMSZ_RIGHT, fw + 1, 100, fw + itemW, fh + 6 * itemH, 100},
      {WMSZ_BOTTOMRIGHT, fw + 2 * itemW, 100, -1, -1, -1},
      {WMSZ_RIGHT, fw + 3 * itemW, -40, fw + 3 * itemW, fh + 2 * itemH, -15},
  };
  for (const Size& s : sizes) {
    TRect cur = ScreenRect(w);
    RECT rc{100, s.top, 100 + s.width, s.top + 50};
    if (s.edge == WMSZ_LEFT) rc = RECT{300 - s.width, s.top, 300, s.top + 50};
    SendMessageW(w->Handle(), WM_SIZING, s.edge, reinterpret_cast<LPARAM>(&rc));
    if (s.wantWidth < 0) {
      EXPECT_EQ(Rect(rc.left, rc.top, rc.right, rc.bottom), cur) << "a corner leaves the size";
      continue;
    }
    EXPECT_EQ(rc.right - rc.left, s.wantWidth) << s.width;
    EXPECT_EQ(rc.bottom - rc.top, s.wantHeight) << s.width;
    EXPECT_EQ(rc.top, s.wantTop) << s.width;
    if (s.edge == WMSZ_LEFT) {
      EXPECT_EQ(rc.right, 300) << "the other edge stays";
    }
  }
}

TEST(ToolbarDrag, OneDragKeepsOneDockedAndOneFloatingWindowAndDropsTheOtherAtTheEnd) {
  TDockModel m(420, 300);
  TdxBar* bar = m.AddBar("Tools", 0, 4, dsTop);
  TdxBarControl* w = bar->Control();
  ASSERT_NE(w, nullptr);
  HWND docked = w->Handle();
  TRect wr = ScreenRect(w);
  TRect fr = ScreenRect(m.form.get());
  TPoint grip = Point(wr.Left + 4, (wr.Top + wr.Bottom) / 2);
  TPoint middle = Point(fr.Left + 200, fr.Top + 150);
  // Off the site, back onto it, off again: every window the bar shows meanwhile.
  std::vector<HWND> seen;
  bool twoHandles = true;
  int calls = 0;
  auto note = [&] {
    // The first steps move to the grip and press; the drag runs from then on.
    if (++calls < 3 || !IsLiveBarControl(w) || !w->HandleAllocated()) return;
    if (std::find(seen.begin(), seen.end(), w->Handle()) == seen.end()) seen.push_back(w->Handle());
    if (!w->TwoHandleMode) twoHandles = false;
  };
  ASSERT_TRUE(barinput::Drag(grip, {middle, Point(fr.Left + 150, fr.Top + 6), middle}, Point(middle.X, middle.Y + 10),
                             note));
  EXPECT_TRUE(twoHandles) << "the drag state lasts the whole drag";
  EXPECT_EQ(seen.size(), 2u) << "a docked and a floating window, each made once";
  EXPECT_NE(std::find(seen.begin(), seen.end(), docked), seen.end()) << "the docked window is the one it had";
  ASSERT_EQ(bar->Control(), w);
  EXPECT_EQ(bar->DockingStyle(), dsNone);
  EXPECT_FALSE(w->TwoHandleMode);
  EXPECT_EQ(w->DockedHandle, nullptr);
  EXPECT_FALSE(IsWindow(docked)) << "the window of the form not in use goes when the drag ends";
  EXPECT_TRUE(IsWindowVisible(w->Handle()));
  EXPECT_EQ(GetWindowLongW(w->Handle(), GWL_STYLE) & WS_CHILD, 0) << "floating: a pop-up window";
  EXPECT_EQ(bar->FloatLeft(), w->Left());
  // The floating window works: its views are there and paint.
  for (TdxBarItemLink* l : bar->ItemLinks()->ShownLinks()) EXPECT_NE(l->Control(), nullptr);
  SaveBitmapAsPng(WindowShot(w).get(), "bars_drag_two_handles_floating.png");
}

TEST(ToolbarVertical, ADockedSideBarTurnsItsCaptionsUnlessItMayNot) {
  TDockModel m(420, 360);
  for (int i = 0; i < 3; ++i) static_cast<TdxBarButton*>(m.buttons[static_cast<size_t>(i)])->SetPaintStyle(psCaption);
  m.buttons[0]->SetCaption("Caption");
  TdxBar* bar = m.AddBar("Side", 0, 3, dsLeft);
  struct Case {
    bool rotate;
    bool tall;  // the caption's ink runs down the button
  } cases[] = {{true, true}, {false, false}};
  for (const Case& c : cases) {
    bar->SetRotateWhenVertical(c.rotate);
    // The font follows the docking style: docking on the side makes it again.
    bar->SetDockingStyle(dsTop);
    bar->SetDockingStyle(dsLeft);
    Application->ProcessMessages();
    TdxBarControl* w = bar->Control();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Rotates(), c.rotate);
    LOGFONTW lf{};
    GetObjectW(w->FontHandle(), sizeof(lf), &lf);
    EXPECT_EQ(lf.lfEscapement, c.rotate ? -900 : 0);
    TdxBarItemLink* l = bar->ItemLinks()->ShownLinks()[0];
    TRect r = l->ItemRect;
    auto shot = menutest::Snapshot(w);
    SaveBitmapAsPng(shot.get(), c.rotate ? "bars_vertical_rotated.png" : "bars_vertical_unrotated.png");
    // The extent of the text-coloured pixels past the glyph cell.
    COLORREF ink = menutest::Sys(COLOR_BTNTEXT);
    Integer x0 = r.Right, x1 = r.Left, y0 = r.Bottom, y1 = r.Top;
    for (Integer y = r.Top; y < r.Bottom; ++y)
      for (Integer x = r.Left; x < r.Right; ++x)
        if (menutest::Px(shot.get(), x, y) == ink) {
          x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
        }
    ASSERT_LT(x0, x1) << "the caption is drawn";
    EXPECT_EQ(y1 - y0 > x1 - x0, c.tall) << "ink " << x1 - x0 << " x " << y1 - y0;
  }
}
