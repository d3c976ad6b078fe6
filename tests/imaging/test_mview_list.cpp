// The thumbnail view's list, storing, layout, hit test and scrolling, and the
// multi-image I/O component kept in step with it.
#include <gtest/gtest.h>

#include <vector>

#include "imaging/formats/ruzozadmio.h"
#include "imaging/views/ruzozadmview.h"
#include "platform/Messages.h"
#include "tests/imaging/mview_util.h"

using mview::Solid;
using mview::TViewForm;

TEST(MViewList, LayoutTable) {
  struct Case {
    const char* what;
    Integer gridWidth, clientW, count;
    TIEMDisplayMode mode;
    Integer probe, x, y, row, col, contentW, contentH;
  };
  const Case cases[] = {
      // One row by default: cell k at 4 + 104 k.
      {"one row", 0, 320, 5, mdGrid, 3, 4 + 104 * 3, 4, 0, 3, 104 * 5 + 4, 108},
      // As many columns as fit: (212 - 4) div 104 = 2.
      {"fit 212", -1, 212, 5, mdGrid, 2, 4, 108, 1, 0, 212, 316},
      {"three columns", 3, 320, 7, mdGrid, 5, 4 + 208, 108, 1, 2, 316, 316},
      // Narrower than a cell: still one column.
      {"fit narrow", -1, 60, 3, mdGrid, 2, 4, 4 + 208, 2, 0, 108, 316},
      {"single", 0, 320, 4, mdSingle, 3, 0, 0, 0, 0, 104, 104},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TViewForm f(c.clientW, 240);
    f.view->SetScrollBars(ssNone);  // the client keeps its width
    f.view->SetGridWidth(c.gridWidth);
    f.view->SetDisplayMode(c.mode);
    f.Fill(c.count);
    EXPECT_EQ(f.view->EntryCellOrigin(c.probe).X, c.x);
    EXPECT_EQ(f.view->EntryCellOrigin(c.probe).Y, c.y);
    EXPECT_EQ(f.view->EntryRow(c.probe), c.row);
    EXPECT_EQ(f.view->EntryColumn(c.probe), c.col);
    EXPECT_EQ(f.view->ContentWidth(), c.contentW);
    EXPECT_EQ(f.view->ContentHeight(), c.contentH);
    // Outside the list: row and column 0.
    EXPECT_EQ(f.view->EntryRow(c.count), 0);
    EXPECT_EQ(f.view->EntryColumn(-1), 0);
  }
}

TEST(MViewList, StoringMakesThumbnailsAsAsked) {
  struct Case {
    const char* what;
    TIEStoreType type;
    bool alwaysScale;
    Integer w, h;
    TIEPixelKind kind;
    Integer storedW, storedH;
  };
  const Case cases[] = {
      {"normal keeps the size", ietNormal, true, 300, 120, ipkRGB24, 300, 120},
      {"thumb enlarges small ones", ietThumb, true, 50, 20, ipkRGB24, 100, 40},
      {"thumb keeps small ones", ietThumb, false, 50, 20, ipkRGB24, 50, 20},
      {"thumb shrinks large ones", ietThumb, false, 400, 100, ipkRGB24, 100, 25},
      {"bilevel shrinks to 24 bits", ietThumb, false, 64, 256, ipkBW1, 25, 100},
      {"grey shrinks", ietThumb, false, 200, 200, ipkGray8, 100, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TViewForm f(320, 240, false);
    f.view->SetStoreType(c.type);
    f.view->AlwaysScale = c.alwaysScale;
    f.view->InsertEntry(0);
    TIEBitmap b;
    b.SetLocation(islMemory);
    b.AllocateImage(c.w, c.h, c.kind);
    b.FillWith(c.kind == ipkBW1 ? 1 : (c.kind == ipkRGB24 ? 0xC8C8C8 : 200));
    f.view->StoreEntryBitmap(0, &b);
    EXPECT_EQ(f.view->StoredImageSize(0).X, c.storedW);
    EXPECT_EQ(f.view->StoredImageSize(0).Y, c.storedH);
    // The size before scaling is kept.
    EXPECT_EQ(f.view->SourceWidth(0), c.w);
    EXPECT_EQ(f.view->SourceHeight(0), c.h);
    TIEBitmap back;
    ASSERT_TRUE(f.view->CopyStoredImage(0, &back));
    const Byte expect = c.kind == ipkBW1 ? 255 : 200;
    EXPECT_EQ(back.PixelAsTriple(back.Width() / 2, back.Height() / 2), MakeColorTriple(expect, expect, expect));
  }
}

TEST(MViewList, ListOperationsIgnoreOrRefuseBadIndices) {
  TViewForm f(320, 240, false);
  f.Fill(3);
  auto pic = Solid(8, 8, 1, 2, 3);
  f.view->StoreFrameDelay(-1, 50);
  f.view->StoreFrameDelay(3, 50);
  f.view->StoreSourceWidth(7, 10);
  EXPECT_EQ(f.view->FrameDelay(0), 0);
  f.view->StoreEntryBitmap(5, pic.get());  // beyond the list: nothing stored
  EXPECT_EQ(f.view->EntryCount(), 3);
  EXPECT_FALSE(f.view->DeleteEntry(3));
  EXPECT_THROW(f.view->DeleteEntry(-1), EListError);
  EXPECT_THROW(f.view->InsertEntry(-1), EListError);
  EXPECT_THROW(f.view->StoreEntryBitmap(-1, pic.get()), EListError);
  f.view->InsertEntry(99);  // appends
  EXPECT_EQ(f.view->EntryCount(), 4);
  EXPECT_FALSE(f.view->EntryHasImage(3));
  EXPECT_EQ(f.view->TakeLastChange(), IIEMultiView::lcInserted);
  EXPECT_EQ(f.view->LastChangeIndex(), 3);
  EXPECT_EQ(f.view->TakeLastChange(), IIEMultiView::lcNone);
}

TEST(MViewList, DeletingKeepsTheSelectedPicture) {
  struct Case {
    Integer selected, deleted, expectSelected;
  };
  // Deleting the selected last entry selects the new last one; deleting one
  // before the selected keeps the same picture selected.
  const Case cases[] = {{4, 4, 3}, {3, 1, 2}, {1, 3, 1}, {2, 2, 2}, {-1, 0, -1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "selected " << c.selected << ", deleted " << c.deleted);
    TViewForm f(320, 240, false);
    f.Fill(5);
    std::vector<TIEColorTriple> colours;
    for (Integer i = 0; i < 5; ++i) {
      TIEBitmap b;
      f.view->CopyStoredImage(i, &b);
      colours.push_back(b.PixelAsTriple(0, 0));
    }
    if (c.selected >= 0) f.view->SelectEntry(c.selected);
    ASSERT_TRUE(f.view->DeleteEntry(c.deleted));
    EXPECT_EQ(f.view->SelectedEntry(), c.expectSelected);
    if (c.expectSelected >= 0) {
      ASSERT_NE(f.view->CurrentBitmap(), nullptr);
      const Integer original = c.expectSelected >= c.deleted ? c.expectSelected + 1 : c.expectSelected;
      const TColor got = f.view->CurrentBitmap()->Canvas()->Pixels(0, 0);
      EXPECT_EQ(got, TripleToColor(colours[static_cast<size_t>(original)]));
    } else {
      EXPECT_EQ(f.view->CurrentBitmap(), nullptr);
    }
  }
}

TEST(MViewList, HitTestFollowsCellsAndScrolling) {
  TViewForm f(320, 200);
  f.view->SetGridWidth(2);
  f.Fill(5);
  struct Case {
    Integer x, y, scrollY, expect;
  };
  const Case cases[] = {
      {4, 4, 0, 0},       {103, 103, 0, 0},  {104, 50, 0, -1},  // right of cell 0: the border
      {110, 50, 0, 1},    {50, 112, 0, 2},   {2, 2, 0, -1},      // the border before cell 0
      {110, 150, 0, 3},   {50, 220 - 104, 104, 4},               // scrolled by one row
      {250, 50, 0, -1},   {150, 240, 0, -1},                     // past the last column, a missing entry
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << "," << c.y << " scrolled " << c.scrollY);
    f.view->SetScrollXY(0, c.scrollY);
    ASSERT_EQ(f.view->ScrollY(), c.scrollY);
    EXPECT_EQ(f.view->EntryAt(c.x, c.y), c.expect);
  }
}

TEST(MViewList, ScrollBarsAndWheelMoveByCellsAndPages) {
  TViewForm f(300, 200);
  f.view->SetGridWidth(1);
  f.view->SetScrollBars(ssBoth);
  f.Fill(10);  // 10 rows of 104: content 1044 high
  const HWND h = f.view->Handle();
  RECT r;
  ::GetClientRect(h, &r);
  const Integer ch = r.bottom;
  EXPECT_TRUE(::GetWindowLongW(h, GWL_STYLE) & WS_VSCROLL);
  EXPECT_FALSE(::GetWindowLongW(h, GWL_STYLE) & WS_HSCROLL);

  struct Step {
    UINT msg;
    WPARAM code;
    Integer expectY;
  };
  const Step steps[] = {
      {WM_VSCROLL, SB_LINEDOWN, 104}, {WM_VSCROLL, SB_LINEDOWN, 208},  {WM_VSCROLL, SB_LINEUP, 104},
      {WM_VSCROLL, SB_PAGEDOWN, 104 + ch}, {WM_VSCROLL, SB_BOTTOM, 1044 - ch}, {WM_VSCROLL, SB_LINEDOWN, 1044 - ch},
      {WM_VSCROLL, SB_TOP, 0},        {WM_VSCROLL, SB_LINEUP, 0},
  };
  for (const Step& s : steps) {
    ::SendMessageW(h, s.msg, s.code, 0);
    EXPECT_EQ(f.view->ScrollY(), s.expectY) << "code " << s.code;
  }
  // A line step of the params replaces the cell.
  f.view->VScrollBarParams()->LineStep = 7;
  ::SendMessageW(h, WM_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(f.view->ScrollY(), 7);
  f.view->SetScrollY(0);

  // The wheel: one cell row per notch, toward the user goes down.
  f.form->SetFocusedControl(f.view);
  ::SetFocus(h);
  POINT c{50, 50};
  ::ClientToScreen(h, &c);
  ::SendMessageW(h, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-2 * WHEEL_DELTA)), MAKELPARAM(c.x, c.y));
  EXPECT_EQ(f.view->ScrollY(), 208);
  ::SendMessageW(h, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(c.x, c.y));
  EXPECT_EQ(f.view->ScrollY(), 104);

  // Horizontal arrows move by ThumbWidth + HorizBorder in one row.
  f.view->SetGridWidth(0);
  EXPECT_TRUE(::GetWindowLongW(h, GWL_STYLE) & WS_HSCROLL);
  ::SendMessageW(h, WM_HSCROLL, SB_LINERIGHT, 0);
  EXPECT_EQ(f.view->ScrollX(), 104);
  // Shrinking the content lowers the offset and says so.
  Integer changes = 0;
  f.view->OnViewChange = [&](TObject*, Integer) { ++changes; };
  f.view->SetScrollX(800);
  while (f.view->EntryCount() > 2) f.view->DeleteEntry(f.view->EntryCount() - 1);
  EXPECT_EQ(f.view->ScrollX(), 0);
  EXPECT_GE(changes, 1);
}

TEST(MViewList, MultiImageIOFollowsTheRealView) {
  TViewForm f(320, 240, false);
  f.Fill(2);
  TRuzozAdMIO* mio = f.view->OwnMIO();
  EXPECT_EQ(f.view->OwnMIO(), mio);
  ASSERT_EQ(mio->ParamsCount(), 2);
  mio->ParamsOf(0)->JpegQuality = 11;
  mio->ParamsOf(1)->JpegQuality = 22;
  f.view->InsertEntry(1);
  ASSERT_EQ(mio->ParamsCount(), 3);
  EXPECT_EQ(mio->ParamsOf(2)->JpegQuality, 22);
  f.view->DeleteEntry(0);
  ASSERT_EQ(mio->ParamsCount(), 2);
  EXPECT_EQ(mio->ParamsOf(1)->JpegQuality, 22);

  // A page handed to the I/O component lands in the view as a new entry (the
  // first page of an acquisition goes first).
  auto page = Solid(40, 30, 9, 8, 7);
  TIOParamsVals* params = nullptr;
  mio->AcceptAcquiredBitmap(page.get(), params);
  EXPECT_NE(params, nullptr);
  ASSERT_EQ(f.view->EntryCount(), 3);
  EXPECT_EQ(mio->ParamsCount(), 3);
  EXPECT_EQ(f.view->StoredImageSize(0).X, 40);
  EXPECT_EQ(f.view->FrameDelay(0), 100);
  EXPECT_EQ(mio->ParamsOf(0), params);

  // A second I/O component attached from outside; the view's destruction
  // lets it go.
  TRuzozAdMIO outside(nullptr);
  outside.SetAttachedMView(f.view);
  EXPECT_EQ(outside.ParamsCount(), 3);
  f.form.reset();
  EXPECT_EQ(outside.AttachedMView(), nullptr);
}
