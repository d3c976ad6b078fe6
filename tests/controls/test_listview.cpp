// The styled list view on a shown form, driven by real input: header clicks
// sort and flip the owner-drawn arrow, the last column fills the width, check
// changes fire their events once, the wheel scrolls in fixed steps, the item
// menu opens once per right click and from the keyboard, and the styled frame
// and state colours in both looks.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/RzListVw.h"
#include "controls/RzCommon.h"
#include "platform/FormReader.h"
#include "controls/RzThemeSrv.h"
#include "platform/Forms.h"
#include "platform/Menus.h"
#include "platform/StdCtrls.h"
#include "tests/controls/shots.h"
#include "tests/controls/test_tabs_input.h"
#include "tests/controls/theme_look.h"
#include "tests/support/ui.h"

namespace {

using testshots::Px;

TRect HeaderItemRect(TRzListView* L, Integer I) {
  RECT r{};
  ::SendMessageW(L->HeaderHandle(), HDM_GETITEMRECT, static_cast<WPARAM>(I), reinterpret_cast<LPARAM>(&r));
  return Rect(r.left, r.top, r.right, r.bottom);
}

// What the header window shows now.
std::unique_ptr<TBitmap> HeaderShot(TRzListView* L) {
  HWND h = L->HeaderHandle();
  ::RedrawWindow(h, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  RECT r;
  ::GetClientRect(h, &r);
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(r.right, r.bottom);
  HDC dc = ::GetDC(h);
  ::BitBlt(b->Canvas()->Handle(), 0, 0, r.right, r.bottom, dc, 0, 0, SRCCOPY);
  ::ReleaseDC(h, dc);
  return b;
}

// Rows of arrow-coloured pixels inside R: the first and last row's widths.
struct TArrowInk {
  Integer Count = 0, TopWidth = 0, BottomWidth = 0, Left = 1 << 20;
};
TArrowInk ArrowIn(TBitmap* B, const TRect& R) {
  TColor shadow = static_cast<TColor>(ColorToRGB(clBtnShadow));
  TArrowInk k;
  Integer firstRow = -1, lastRow = -1;
  std::vector<Integer> widths(static_cast<size_t>(R.Bottom), 0);
  for (Integer y = R.Top; y < R.Bottom; ++y)
    for (Integer x = R.Left; x < R.Right; ++x)
      if ((Px(B, x, y) & 0xFFFFFF) == (shadow & 0xFFFFFF)) {
        ++k.Count;
        ++widths[static_cast<size_t>(y)];
        k.Left = std::min(k.Left, x);
        if (firstRow < 0) firstRow = y;
        lastRow = y;
      }
  if (firstRow >= 0) {
    k.TopWidth = widths[static_cast<size_t>(firstRow)];
    k.BottomWidth = widths[static_cast<size_t>(lastRow)];
  }
  return k;
}

struct ListViewFixture {
  std::unique_ptr<TForm> form{testui::NewForm(460, 300, 40, 40)};
  TRzListView* lv = nullptr;

  explicit ListViewFixture(Integer Width = 400) {
    testshots::ShowActive(form.get());
    lv = new TRzListView(form.get());
    lv->SetParent(form.get());
    lv->SetBounds(10, 10, Width, 240);
    lv->Font()->SetName("Tahoma");
    lv->Font()->SetHeight(-11);
    lv->SetViewStyle(vsReport);
    lv->SetRowSelect(true);
    for (auto [name, width] : {std::pair{"Name", 150}, std::pair{"Size", 100}, std::pair{"Kind", 50}}) {
      TListColumn* c = lv->Columns()->Add();
      c->SetCaption(name);
      c->SetWidth(width);
    }
  }
  void AddItems(std::initializer_list<std::vector<const char*>> Rows) {
    for (const auto& row : Rows) {
      TListItem* it = lv->Items()->Add();
      it->SetCaption(row[0]);
      for (size_t i = 1; i < row.size(); ++i) it->SubItems()->Add(row[i]);
    }
  }
  std::string Order() {
    std::string s;
    for (Integer i = 0; i < lv->Items()->Count(); ++i)
      s += (i ? "," : "") + (lv->Items()->Item(i)->Caption().empty() ? std::string("-") : lv->Items()->Item(i)->Caption());
    return s;
  }
};

// ---------------------------------------------------------------------------
// Header clicks.
class ListViewHeaderSort : public ThemeLookTest {};

TEST_P(ListViewHeaderSort, ClickingEachHeaderSortsByItAndFlipsTheArrow) {
  ListViewFixture f;
  TRzListView* lv = f.lv;
  lv->SetAlphaSortAll(true);
  f.AddItems({{"delta", "4", "x"}, {"Alpha", "10", ""}, {"", "2", "y"}, {"charlie", "", "x"}});
  std::vector<std::string> clicked;
  lv->OnColumnClick = [&](TObject*, TListColumn* c) { clicked.push_back(c->Caption()); };
  testshots::PaintNow(lv);
  ASSERT_TRUE(lv->HeaderSubclassed());
  auto plain = HeaderShot(lv);
  std::vector<Integer> baseline;
  for (Integer i = 0; i < 3; ++i) baseline.push_back(ArrowIn(plain.get(), HeaderItemRect(lv, i)).Count);

  struct Step {
    Integer column;
    const char* order;
    bool descending;
  } steps[] = {
      {0, "Alpha,charlie,delta,-", false},  // empty captions go last ascending
      {0, "-,delta,charlie,Alpha", true},   // ... and first descending
      {0, "Alpha,charlie,delta,-", false},  // a third click ascends again
      {1, "Alpha,-,delta,charlie", false},  // text order of the sizes, the empty one last
      {1, "charlie,delta,-,Alpha", true},
      {2, "charlie,delta,-,Alpha", false},  // equal texts keep their order
  };
  testshots::TSheet sheet;
  sheet.Add("unsorted", plain.get());
  for (const Step& s : steps) {
    rzinput::Settle(::GetDoubleClickTime() + 50);  // two clicks, not a double click
    TRect hr = HeaderItemRect(lv, s.column);
    HWND h = lv->HeaderHandle();
    POINT sp{(hr.Left + hr.Right) / 2, (hr.Top + hr.Bottom) / 2};
    ::ClientToScreen(h, &sp);
    TPoint c = lv->ScreenToClient(Point(sp.x, sp.y));
    rzinput::ClickAt(lv, c.X, c.Y);
    std::string what = "column " + std::to_string(s.column) + (s.descending ? " descending" : " ascending");
    EXPECT_EQ(f.Order(), s.order) << what;
    EXPECT_EQ(lv->SortColumn(), s.column) << what;
    EXPECT_EQ(lv->SortDescending(), s.descending) << what;
    auto shot = HeaderShot(lv);
    sheet.Add(what, shot.get());
    for (Integer i = 0; i < 3; ++i) {
      TArrowInk ink = ArrowIn(shot.get(), HeaderItemRect(lv, i));
      if (i != s.column) {
        EXPECT_EQ(ink.Count, baseline[static_cast<size_t>(i)]) << what << ": no arrow in column " << i;
        continue;
      }
      EXPECT_GT(ink.Count, baseline[static_cast<size_t>(i)] + 6) << what;
      if (s.descending)
        EXPECT_GT(ink.TopWidth, ink.BottomWidth + 3) << what << ": the arrow points down";
      else
        EXPECT_LT(ink.TopWidth + 3, ink.BottomWidth) << what << ": the arrow points up";
    }
  }
  EXPECT_EQ(clicked.size(), 6u) << "the application still hears every column click";
  EXPECT_TRUE(sheet.Save(std::string("listview_header_") + LookName(GetParam()) + ".png"));
}

INSTANTIATE_LOOKS(ListViewHeaderSort);

TEST(ListViewHeader, ArrowStandsFiveAfterTheCaptionAndNeedsRoom) {
  ListViewFixture f;
  TRzListView* lv = f.lv;
  lv->SetAlphaSortAll(true);
  f.AddItems({{"b", "1"}, {"a", "2"}});
  lv->MarkSortColumn(0);
  auto shot = HeaderShot(lv);
  TRect r = HeaderItemRect(lv, 0);
  TArrowInk ink = ArrowIn(shot.get(), r);
  ASSERT_GT(ink.Count, 0);
  // The caption's width in the header's font.
  TBitmap m;
  m.SetSize(1, 1);
  m.Canvas()->Font()->Assign(lv->Font());
  Integer textEnd = r.Left + 2 + 4 + m.Canvas()->TextWidth("Name");
  EXPECT_NEAR(ink.Left, textEnd + 5, 1) << "hsdmRightOfText: 5 pixels after the caption";
  // A column narrower than twice the arrow box shows none.
  lv->Columns()->Items(0)->SetWidth(16);
  shot = HeaderShot(lv);
  EXPECT_EQ(ArrowIn(shot.get(), HeaderItemRect(lv, 0)).Count, 0);
}

// ---------------------------------------------------------------------------
// The last column.
TEST(ListViewColumns, LastColumnFillsTheWidthOnResizeAndAfterADividerDrag) {
  ListViewFixture f;
  TRzListView* lv = f.lv;
  lv->SetAnchors(TAnchors{akLeft, akTop, akRight, akBottom});
  Integer bar = ::GetSystemMetrics(SM_CXVSCROLL);
  auto last = [&] { return lv->Columns()->Items(2)->Width(); };
  lv->SetWidth(380);
  EXPECT_EQ(last(), lv->ClientWidth() - 250 - bar) << "no items: room is left for a vertical scroll bar";
  f.AddItems({{"one", "1"}, {"two", "2"}});
  f.form->SetWidth(f.form->Width() + 60);
  rzinput::Settle();
  EXPECT_EQ(lv->Width(), 440) << "the anchors widen the list";
  EXPECT_EQ(last(), lv->ClientWidth() - 250);

  // Drag the divider between the first two columns 40 pixels to the left.
  TRect h0 = HeaderItemRect(lv, 0);
  POINT sp{h0.Right - 1, (h0.Top + h0.Bottom) / 2};
  ::ClientToScreen(lv->HeaderHandle(), &sp);
  TPoint c = lv->ScreenToClient(Point(sp.x, sp.y));
  rzinput::MoveTo(lv, c.X, c.Y);
  rzinput::LeftDown();
  rzinput::MoveTo(lv, c.X - 20, c.Y);
  rzinput::MoveTo(lv, c.X - 40, c.Y);
  rzinput::LeftUp();
  EXPECT_NEAR(lv->Columns()->Items(0)->Width(), 110, 1);
  EXPECT_EQ(last(), lv->ClientWidth() - lv->Columns()->Items(0)->Width() - 100) << "the freed width goes to the last column";

  // Wider columns than the list: the last one keeps its width.
  lv->Columns()->Items(0)->SetWidth(500);
  Integer before = last();
  lv->SetWidth(lv->Width() - 10);
  EXPECT_EQ(last(), before);
}

// ---------------------------------------------------------------------------
// Check boxes.
TEST(ListViewChecks, ACheckChangeFiresEachEventOnceAndCanBeRefused) {
  ListViewFixture f;
  TRzListView* lv = f.lv;
  lv->SetCheckboxes(true);
  f.AddItems({{"one"}, {"two"}, {"three"}});
  std::vector<std::string> log;
  bool refuse = false;
  lv->OnCheckStateChanging = [&](TObject*, TListItem* it, bool to, bool& allow) {
    log.push_back("changing " + it->Caption() + (to ? " on" : " off"));
    if (refuse) allow = false;
  };
  lv->OnCheckStateChange = [&](TObject*, TListItem* it) { log.push_back("change " + it->Caption()); };
  testshots::PaintNow(lv);
  EXPECT_TRUE(log.empty()) << "new items' first state images are no check changes";

  auto box = [&](Integer i) {
    TRect b = lv->Items()->Item(i)->DisplayRect(drBounds);
    TRect ic = lv->Items()->Item(i)->DisplayRect(drIcon);
    // The check box stands left of the icon place.
    return Point(b.Left + std::max<Integer>((ic.Left - b.Left) / 2, 8), (b.Top + b.Bottom) / 2);
  };
  struct Step {
    const char* what;
    std::function<void()> act;
    std::vector<std::string> events;
    bool checked1;
  } steps[] = {
      {"click the box of item two", [&] { rzinput::ClickAt(lv, box(1).X, box(1).Y); },
       {"changing two on", "change two"}, true},
      {"selecting item three by its caption", [&] {
         TRect l = lv->Items()->Item(2)->DisplayRect(drLabel);
         rzinput::ClickAt(lv, l.Left + 10, (l.Top + l.Bottom) / 2);
       },
       {}, true},
      {"Space on item two", [&] {
         lv->Items()->Item(1)->SetFocused(true);
         lv->Items()->Item(1)->SetSelected(true);
         log.clear();
         rzinput::Chord({VK_SPACE});
       },
       {"changing two off", "change two"}, false},
      {"a refused tick", [&] {
         refuse = true;
         rzinput::ClickAt(lv, box(1).X, box(1).Y);
       },
       {"changing two on"}, false},
  };
  lv->SetFocus();
  rzinput::Settle();
  for (const Step& s : steps) {
    log.clear();
    s.act();
    EXPECT_EQ(log, s.events) << s.what;
    EXPECT_EQ(lv->Items()->Item(1)->Checked(), s.checked1) << s.what;
  }
}

// ---------------------------------------------------------------------------
// Wheel.
TEST(ListViewWheel, TenThousandItemsScrollInFixedStepsPerNotch) {
  ListViewFixture f;
  TRzListView* lv = f.lv;
  lv->Items()->BeginUpdate();
  for (Integer i = 0; i < 10000; ++i) lv->Items()->Add()->SetCaption("Frame " + std::to_string(i + 1));
  lv->Items()->EndUpdate();
  testshots::PaintNow(lv);
  lv->SetFocus();
  rzinput::MoveTo(lv, 100, 120);
  UINT lines = 3;
  ::SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  TRect row = lv->Items()->Item(0)->DisplayRect(drBounds);
  Integer rowH = row.Bottom - row.Top;
  ASSERT_GT(rowH, 0);
  std::vector<Integer> tops{lv->TopIndex()};
  for (int i = 0; i < 4; ++i) {
    rzinput::Wheel(-1);
    tops.push_back(lv->TopIndex());
  }
  Integer step = tops[1] - tops[0];
  EXPECT_GE(step, 1);
  for (size_t i = 1; i < tops.size(); ++i) EXPECT_EQ(tops[i] - tops[i - 1], step) << "notch " << i;
  // Lines x 16 pixels per notch, in whole rows.
  EXPECT_NEAR(step * rowH, static_cast<Integer>(lines) * 16, rowH / 2 + 1);
  rzinput::Wheel(2);
  EXPECT_EQ(lv->TopIndex(), tops[2]);
}

// ---------------------------------------------------------------------------
// Item menu.
TEST(ListViewItemMenu, OpensOncePerRightClickAndFromTheKeyboardAtTheItem) {
  ListViewFixture f;
  TRzListView* lv = f.lv;
  f.AddItems({{"one"}, {"two"}, {"three"}, {"four"}});
  auto* menu = new TPopupMenu(f.form.get());
  auto* entry = new TMenuItem(menu);
  entry->SetCaption("Delete");
  menu->Items()->Add(entry);
  lv->SetPopupMenu(menu);
  Integer popups = 0;
  menu->OnPopup = [&](TObject*) {
    ++popups;
    ::PostMessageW(nullptr, WM_NULL, 0, 0);
  };
  struct Event {
    std::string item;
    TPoint at;
  };
  std::vector<Event> events;
  bool keepMenu = false;
  lv->OnItemContextMenu = [&](TObject*, TListItem* it, TPoint& p, TPopupMenu*& m) {
    events.push_back({it ? it->Caption() : "-", p});
    if (!keepMenu) m = nullptr;
  };
  testshots::PaintNow(lv);
  lv->SetFocus();
  rzinput::Settle();

  TRect r2 = lv->Items()->Item(2)->DisplayRect(drLabel);
  TPoint click = Point(r2.Left + 12, (r2.Top + r2.Bottom) / 2);
  rzinput::RightClickAt(lv, click.X, click.Y);
  ASSERT_EQ(events.size(), 1u) << "one menu for one right click";
  EXPECT_EQ(events[0].item, "three");
  EXPECT_EQ(events[0].at.X, click.X);
  EXPECT_EQ(events[0].at.Y, click.Y);

  // The real menu: it pops up once per right click (closed by a timer).
  // Clicks a double-click time apart stay single clicks.
  keepMenu = true;
  for (int round = 1; round <= 2; ++round) {
    rzinput::Settle(::GetDoubleClickTime() + 50);
    events.clear();
    testui::TOneShot closer(150, [] { ::EndMenu(); });
    closer.timer->SetEnabled(true);
    rzinput::RightClickAt(lv, click.X, click.Y);
    testui::PumpUntil([&] { return popups >= round; }, 1000);
    rzinput::Settle(200);
    EXPECT_EQ(popups, round) << "round " << round;
    EXPECT_EQ(events.size(), 1u) << "round " << round;
  }

  // From the keyboard: at the centre of the focused item's icon.
  rzinput::Settle(::GetDoubleClickTime() + 50);
  TRect icon = lv->ItemFocused()->DisplayRect(drIcon);
  TPoint centre = Point((icon.Left + icon.Right) / 2, (icon.Top + icon.Bottom) / 2);
  for (auto keys : {std::initializer_list<WORD>{VK_APPS}, std::initializer_list<WORD>{VK_SHIFT, VK_F10}}) {
    keepMenu = false;
    events.clear();
    rzinput::Chord(keys);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].item, "three");
    EXPECT_EQ(events[0].at.X, centre.X) << "the keyboard menu opens at the focused item";
    EXPECT_EQ(events[0].at.Y, centre.Y);
  }

  // Wine's window procedure turns the release of F10 into menu mode; leave it.
  rzinput::Chord({VK_ESCAPE});
  rzinput::Chord({VK_ESCAPE});
}

// ---------------------------------------------------------------------------
// Frame and colours.
class ListViewLook : public ThemeLookTest {};

TEST_P(ListViewLook, StyledFrameAndStateColours) {
  ListViewFixture f(300);
  TRzListView* lv = f.lv;
  f.AddItems({{"one", "1"}, {"two", "2"}});
  constexpr TColor kFrame = static_cast<TColor>(0x2020C0), kFocus = static_cast<TColor>(0xD0FFFF),
                   kDisabled = static_cast<TColor>(0xC8C8C8), kNormal = static_cast<TColor>(0xFFF0E0);
  lv->SetColor(kNormal);
  lv->SetFocusColor(kFocus);
  lv->SetDisabledColor(kDisabled);
  lv->SetFrameColor(kFrame);
  lv->SetFrameVisible(true);
  auto* other = new TEdit(f.form.get());
  other->SetParent(f.form.get());
  other->SetBounds(10, 260, 100, 21);
  other->SetFocus();
  rzinput::Settle();
  // Empty list space, below the items.
  TPoint blank = Point(lv->Width() / 2, lv->Height() - 30);
  auto at = [&](TBitmap* B, TPoint P) { return static_cast<TColor>(Px(B, P.X, P.Y) & 0xFFFFFF); };

  testshots::TSheet sheet;
  auto normal = testshots::Shot(lv);
  sheet.Add("normal", normal.get());
  TColor frameRgb = static_cast<TColor>(ColorToRGB(kFrame));
  if (Themed()) {
    EXPECT_NE(at(normal.get(), Point(lv->Width() / 2, 0)), frameRgb) << "the themed border replaces the styled frame";
    lv->SetFramingPreference(fpCustomFraming);
    normal = testshots::Shot(lv);
    sheet.Add("custom framing", normal.get());
  }
  EXPECT_EQ(at(normal.get(), Point(lv->Width() / 2, lv->Height() - 1)), frameRgb) << "the frame's bottom edge";
  EXPECT_EQ(at(normal.get(), Point(0, lv->Height() / 2)), frameRgb) << "the frame's left edge";
  EXPECT_EQ(at(normal.get(), blank), kNormal);

  rzinput::ClickAt(lv, blank.X, blank.Y);
  ASSERT_TRUE(lv->Focused());
  auto focused = testshots::Shot(lv);
  sheet.Add("focused", focused.get());
  EXPECT_EQ(at(focused.get(), blank), kFocus);
  EXPECT_EQ(lv->NormalColor(), kNormal) << "the application's colour stays stored";

  other->SetFocus();
  lv->SetEnabled(false);
  auto disabled = testshots::Shot(lv);
  sheet.Add("disabled", disabled.get());
  EXPECT_EQ(at(disabled.get(), blank), kDisabled);
  TRect item = lv->Items()->Item(0)->DisplayRect(drLabel);
  EXPECT_EQ(at(disabled.get(), Point(item.Right - 3, item.Bottom - 2)), kDisabled) << "items stand on the disabled colour";
  lv->SetEnabled(true);
  auto back = testshots::Shot(lv);
  sheet.Add("enabled again", back.get());
  EXPECT_EQ(at(back.get(), blank), kNormal);
  EXPECT_TRUE(sheet.Save(std::string("listview_frame_") + LookName(GetParam()) + ".png"));
}

INSTANTIATE_LOOKS(ListViewLook);

TEST(ListViewFrame, HotFrameFollowsThePointer) {
  ListViewFixture f(300);
  TRzListView* lv = f.lv;
  constexpr TColor kFrame = static_cast<TColor>(0x808080), kHot = static_cast<TColor>(0x0080FF);
  lv->SetFramingPreference(fpCustomFraming);
  lv->SetFrameColor(kFrame);
  lv->SetFrameHotColor(kHot);
  lv->SetFrameHotStyle(fsFlat);
  lv->SetFrameHotTrack(true);
  EXPECT_TRUE(lv->FrameVisible()) << "hot tracking shows the frame";
  auto edge = [&] {
    auto shot = testshots::Shot(lv);
    return static_cast<TColor>(Px(shot.get(), lv->Width() / 2, lv->Height() - 1) & 0xFFFFFF);
  };
  rzinput::MoveTo(f.form.get(), 440, 290);
  EXPECT_EQ(edge(), kFrame);
  rzinput::MoveTo(lv, 100, 100);
  EXPECT_TRUE(lv->MouseInside());
  EXPECT_EQ(edge(), kHot);
  rzinput::MoveTo(f.form.get(), 440, 290);
  EXPECT_TRUE(testui::PumpUntil([&] { return !lv->MouseInside(); }, 500));
  EXPECT_EQ(edge(), kFrame);
}

// The editor's frame list: framed through the form's controller, which
// supplies the look; the list stores none of it.
const char* const kFramedForm = R"(object frmFrames: TForm
  Left = 0
  Top = 0
  Width = 420
  Height = 300
  object ctlFrame: TRzFrameController
    FrameVisible = True
  end
  object lvFiles: TRzListView
    Left = 8
    Top = 8
    Width = 400
    Height = 250
    Anchors = [akLeft, akTop, akRight, akBottom]
    Columns = <
      item
        Caption = 'Frame'
        Width = 296
      end
      item
        Caption = 'Size'
        Width = 195
      end>
    HideSelection = False
    MultiSelect = True
    ReadOnly = True
    RowSelect = True
    ViewStyle = vsReport
    FrameController = ctlFrame
  end
end
)";

TEST(ListViewForm, TheControllerFramesTheListAndTheLookIsNotStored) {
  RegisterRzCommonClasses();
  RegisterRzListViewClasses();
  testlook::ApplyLook(TLook::Classic);
  std::unique_ptr<TForm> form{new TForm(nullptr)};
  ReadComponentFromText(kFramedForm, form.get());
  auto* lv = dynamic_cast<TRzListView*>(form->FindComponent("lvFiles"));
  ASSERT_NE(lv, nullptr);
  EXPECT_TRUE(lv->FrameVisible());
  EXPECT_EQ(lv->Columns()->Count(), 2);
  std::string written = WriteComponentToText(form.get());
  size_t at = written.find("object lvFiles");
  ASSERT_NE(at, std::string::npos);
  std::string block = written.substr(at);
  EXPECT_NE(block.find("FrameController = ctlFrame"), std::string::npos) << block;
  for (const char* none : {"FrameVisible", "FrameColor", "DisabledColor", "FocusColor", "  Color ="})
    EXPECT_EQ(block.find(none), std::string::npos) << none << " in\n" << block;
  form->SetBounds(40, 40, 420, 300);
  testshots::ShowActive(form.get());
  testshots::PaintNow(lv);
  // Loaded without items: the last column fills the width less a vertical scroll bar.
  EXPECT_EQ(lv->Columns()->Items(1)->Width(), lv->ClientWidth() - 296 - ::GetSystemMetrics(SM_CXVSCROLL));
  lv->SetWidth(600);
  EXPECT_EQ(lv->Columns()->Items(1)->Width(), lv->ClientWidth() - 296 - ::GetSystemMetrics(SM_CXVSCROLL));
  auto shot = testshots::Shot(lv);
  EXPECT_EQ(Px(shot.get(), lv->Width() / 2, 0) & 0xFFFFFF, ColorToRGB(clBtnShadow) & 0xFFFFFF)
      << "the controller's frame, classic look";
}

}  // namespace
