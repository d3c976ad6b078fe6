// Panels and group boxes: children aligned inside the borders, enabled
// states kept while disabled, borders, grid, caption and transparency in
// pixels, the frame controller's look, the group styles, the caption's
// accelerator and the form resource names.
#include <gtest/gtest.h>

#include "controls/RzPanel.h"
#include "controls/RzThemeSrv.h"
#include "platform/FormReader.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"
#include "tests/controls/rz_pixels.h"
#include "tests/controls/theme_look.h"
#include "tests/support/ui.h"

using rzpix::NewBitmap;
using rzpix::PxRgb;
using rzpix::Rgb;

namespace {

constexpr TColor kPanelBack = 0x030201;

using rzpix::Snapshot;

// Rows (or columns) holding pixels of a colour within a rectangle.
struct TPanelInk {
  Integer Count = 0, MinX = 1 << 20, MinY = 1 << 20, MaxX = -1, MaxY = -1;
};
TPanelInk PanelInkOf(TBitmap* B, TColor Color, const TRect& R) {
  TPanelInk k;
  for (Integer y = R.Top; y < R.Bottom; ++y)
    for (Integer x = R.Left; x < R.Right; ++x)
      if (PxRgb(B, x, y) == Color) {
        ++k.Count;
        k.MinX = std::min(k.MinX, x), k.MaxX = std::max(k.MaxX, x);
        k.MinY = std::min(k.MinY, y), k.MaxY = std::max(k.MaxY, y);
      }
  return k;
}

class TPatternParent : public TCustomControl {
 public:
  explicit TPatternParent(TComponent* AOwner) : TCustomControl(AOwner) {}

 protected:
  void Paint() override {
    for (Integer y = 0; y < Height(); ++y)
      for (Integer x = 0; x < Width(); ++x) Canvas()->SetPixels(x, y, RGB(x, y, 99));
  }
};

struct RzPanelTest : ::testing::Test {
  std::unique_ptr<TForm> form{testui::NewForm(320, 240)};
  void SetUp() override { testlook::ApplyLook(TLook::Classic); }
  template <class T>
  T* Add(TWinControl* Parent, Integer L, Integer T_, Integer W, Integer H) {
    auto* c = new T(form.get());
    c->SetParent(Parent);
    c->SetBounds(L, T_, W, H);
    return c;
  }
};

}  // namespace

TEST_F(RzPanelTest, ChildrenAlignInsideTheBordersOnTheChosenSides) {
  struct Case {
    TFrameStyleEx Outer, Inner;
    Integer BorderWidth, Bevel;
    TSides Sides;
    TRect Child;  // of a 100 x 80 panel
  } cases[] = {
      {fsRaised, fsLowered, 2, 1, sdAllSides, Rect(6, 6, 94, 74)},
      {fsRaised, fsNone, 0, 1, TSides{sdLeft, sdRight, sdBottom}, Rect(2, 0, 98, 78)},
      {fsFlat, fsStatus, 0, 3, sdAllSides, Rect(4, 4, 96, 76)},
      {fsNone, fsPopup, 1, 2, TSides{sdLeft}, Rect(3, 1, 99, 79)},
      {fsFlatRounded, fsFlatBold, 0, 1, sdAllSides, Rect(4, 4, 96, 76)},
  };
  for (const Case& c : cases) {
    auto* p = Add<TRzPanel>(form.get(), 0, 0, 100, 80);
    p->SetBorderOuter(c.Outer);
    p->SetBorderInner(c.Inner);
    p->SetBorderWidth(c.BorderWidth);
    p->SetBevelWidth(c.Bevel);
    p->SetBorderSides(c.Sides);
    auto* child = new TRzPanel(form.get());
    child->SetParent(p);
    child->SetAlign(alClient);
    EXPECT_EQ(child->BoundsRect(), c.Child) << c.Outer << "/" << c.Inner;
    // Changing a border re-aligns at once.
    p->SetBorderOuter(fsNone);
    p->SetBorderInner(fsNone);
    EXPECT_EQ(child->BoundsRect(), Rect(c.BorderWidth, c.BorderWidth, 100 - c.BorderWidth, 80 - c.BorderWidth));
    delete p;
  }
}

TEST_F(RzPanelTest, DisablingKeepsEachChildsEnabledState) {
  auto* p = Add<TRzPanel>(form.get(), 0, 0, 200, 100);
  auto* a = Add<TEdit>(p, 5, 5, 50, 20);
  auto* b = Add<TEdit>(p, 5, 30, 50, 20);
  b->SetEnabled(false);
  p->SetEnabled(false);
  EXPECT_FALSE(a->Enabled());
  EXPECT_FALSE(b->Enabled());
  auto* late = Add<TEdit>(p, 5, 55, 50, 20);
  late->SetEnabled(false);
  p->SetEnabled(true);
  EXPECT_TRUE(a->Enabled());
  EXPECT_FALSE(b->Enabled());
  EXPECT_TRUE(late->Enabled());  // not recorded: enabled with the panel
}

TEST_F(RzPanelTest, BottomAndRightAlignedPanelsGrowAwayFromTheirEdge) {
  auto* bottom = Add<TRzPanel>(form.get(), 0, 0, 100, 40);
  bottom->SetAlign(alBottom);
  EXPECT_EQ(bottom->Top(), 200);
  bottom->SetHeight(60);
  EXPECT_EQ(bottom->Top(), 180);
  EXPECT_EQ(bottom->Top() + bottom->Height(), 240);
  auto* right = Add<TRzPanel>(form.get(), 0, 0, 50, 40);
  right->SetAlign(alRight);
  right->SetWidth(80);
  EXPECT_EQ(right->Left() + right->Width(), 320);
  EXPECT_EQ(right->Left(), 240);
}

TEST_F(RzPanelTest, PaintsBordersFillGridAndCaption) {
  form->Show();
  auto* p = Add<TRzPanel>(form.get(), 0, 0, 120, 60);
  p->SetBorderOuter(fsFlat);
  p->SetFlatColor(RGB(0, 0, 200));
  p->SetFlatColorAdjustment(0);
  p->SetBorderWidth(1);
  p->SetBorderColor(RGB(0, 200, 0));
  p->SetColor(RGB(250, 250, 220));
  auto b = Snapshot(p);
  EXPECT_EQ(PxRgb(b.get(), 0, 30), RGB(0, 0, 200));
  EXPECT_EQ(PxRgb(b.get(), 119, 30), RGB(0, 0, 200));
  EXPECT_EQ(PxRgb(b.get(), 1, 30), RGB(0, 200, 0));
  EXPECT_EQ(PxRgb(b.get(), 2, 30), RGB(250, 250, 220));

  // A caption in the middle (avCenter), at the top (avTop), grey and white when disabled.
  p->SetCaption("Frames");
  p->Font()->SetColor(clBlack);
  auto mid = Snapshot(p);
  TPanelInk ink = PanelInkOf(mid.get(), 0, Rect(2, 2, 118, 58));
  ASSERT_GT(ink.Count, 10);
  EXPECT_LE(std::abs((ink.MinY + ink.MaxY) / 2 - 30), 3);
  EXPECT_LE(std::abs((ink.MinX + ink.MaxX) / 2 - 60), 4);
  p->SetAlignmentVertical(avTop);
  p->SetAlignment(taLeftJustify);
  auto top = Snapshot(p);
  TPanelInk topInk = PanelInkOf(top.get(), 0, Rect(2, 2, 118, 58));
  EXPECT_LE(topInk.MinY, 6);
  EXPECT_LE(topInk.MinX, 6);
  p->SetEnabled(false);
  auto off = Snapshot(p);
  EXPECT_EQ(PanelInkOf(off.get(), 0, Rect(2, 2, 118, 58)).Count, 0);
  EXPECT_GT(PanelInkOf(off.get(), Rgb(clBtnShadow), Rect(2, 2, 118, 58)).Count, 10);
  p->SetEnabled(true);
  p->SetCaption("");

  // Grid: dots every 8 pixels from the interior's corner; none with a size of 0.
  p->SetShowGrid(true);
  p->SetGridColor(RGB(200, 0, 0));
  auto grid = Snapshot(p);
  EXPECT_EQ(PxRgb(grid.get(), 2 + 7, 2 + 7), RGB(200, 0, 0));
  EXPECT_EQ(PxRgb(grid.get(), 2 + 15, 2 + 23), RGB(200, 0, 0));
  EXPECT_EQ(PxRgb(grid.get(), 2 + 8, 2 + 7), RGB(250, 250, 220));
  EXPECT_EQ(PanelInkOf(grid.get(), RGB(200, 0, 0), Rect(0, 0, 120, 60)).Count, (116 / 8) * (56 / 8));
  p->SetGridXSize(0);
  auto none = Snapshot(p);
  EXPECT_EQ(PanelInkOf(none.get(), RGB(200, 0, 0), Rect(0, 0, 120, 60)).Count, 0);
  p->SetGridXSize(10);
  p->SetGridStyle(gsSolidLines);
  auto lines = Snapshot(p);
  for (Integer y = 2; y < 58; ++y) ASSERT_EQ(PxRgb(lines.get(), 2 + 9, y), RGB(200, 0, 0)) << y;
  for (Integer x = 2; x < 118; ++x) ASSERT_EQ(PxRgb(lines.get(), x, 2 + 7), RGB(200, 0, 0)) << x;
  p->SetGridStyle(gsDottedLines);
  auto dotted = Snapshot(p);
  EXPECT_EQ(PxRgb(dotted.get(), 2 + 9, 3), RGB(200, 0, 0));
  EXPECT_EQ(PxRgb(dotted.get(), 2 + 9, 4), RGB(250, 250, 220));
}

TEST_F(RzPanelTest, TransparentPanelShowsItsParent) {
  form->Show();
  auto* back = Add<TPatternParent>(form.get(), 0, 0, 200, 150);
  auto* p = Add<TRzPanel>(back, 20, 30, 60, 40);
  p->SetBorderOuter(fsNone);
  p->SetTransparent(true);
  EXPECT_FALSE(p->ControlStyle().Contains(csOpaque));
  auto b = NewBitmap(60, 40, kPanelBack);
  HDC dc = b->Canvas()->Handle();
  p->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  p->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  EXPECT_EQ(PxRgb(b.get(), 0, 0), RGB(20, 30, 99));
  EXPECT_EQ(PxRgb(b.get(), 59, 39), RGB(79, 69, 99));
  p->SetTransparent(false);
  EXPECT_TRUE(p->ControlStyle().Contains(csOpaque));
}

TEST_F(RzPanelTest, FrameControllerLookOnlyWhenItsFrameIsVisible) {
  TRzFrameController fc(form.get());
  fc.SetFrameStyle(fsGroove);
  fc.SetFrameColor(RGB(10, 20, 30));
  fc.SetColor(RGB(200, 210, 220));
  fc.SetFrameSides(TSides{sdTop, sdBottom});
  auto* p = Add<TRzPanel>(form.get(), 0, 0, 100, 50);
  p->SetFrameController(&fc);
  EXPECT_EQ(p->BorderOuter(), fsRaised);  // FrameVisible off: nothing taken
  fc.SetFrameVisible(true);
  EXPECT_EQ(p->BorderOuter(), fsGroove);
  EXPECT_EQ(p->BorderSides(), (TSides{sdTop, sdBottom}));
  EXPECT_EQ(p->FlatColor(), RGB(10, 20, 30));
  EXPECT_EQ(p->FlatColorAdjustment(), 0);
  EXPECT_EQ(p->Color(), RGB(200, 210, 220));
  EXPECT_EQ(p->BorderHighlight(), ColorLightenedBy(RGB(200, 210, 220), 100));
  EXPECT_EQ(p->BorderShadow(), ColorDarkenedBy(RGB(200, 210, 220), 50));

  // The group box takes the look only in its custom style.
  auto* g = Add<TRzGroupBox>(form.get(), 0, 60, 100, 80);
  g->SetFrameController(&fc);
  EXPECT_EQ(g->BorderOuter(), fsNone);
  g->SetGroupStyle(gsCustom);
  fc.RefreshAll();
  EXPECT_EQ(g->BorderOuter(), fsGroove);
}

TEST_F(RzPanelTest, GroupStylesClientAreaThemeAwareAndAccelerator) {
  auto* g = Add<TRzGroupBox>(form.get(), 10, 10, 150, 100);
  EXPECT_EQ(g->GroupStyle(), gsFlat);
  EXPECT_TRUE(g->ThemeAware());
  EXPECT_EQ(g->Height(), 100);
  g->SetGroupStyle(gsTopLine);
  EXPECT_FALSE(g->ThemeAware());
  g->SetGroupStyle(gsFlat);
  EXPECT_FALSE(g->ThemeAware());

  g->Font()->SetName("Tahoma");
  g->Font()->SetHeight(-11);
  auto* child = new TRzPanel(form.get());
  child->SetParent(g);
  child->SetAlign(alClient);
  TBitmap measure;
  measure.Canvas()->Font()->Assign(g->Font());
  Integer h = measure.Canvas()->TextHeight("Yy");
  struct Case {
    TRzGroupBoxStyle Style;
    Integer BorderWidth;
    TRect Child;
  } cases[] = {
      {gsFlat, 0, Rect(1, h + 1, 149, 99)},
      {gsTopLine, 0, Rect(1, h + 1, 149, 99)},
      {gsStandard, 0, Rect(2, h + 2, 148, 98)},
      {gsCustom, 0, Rect(2, h + 2, 148, 98)},
      {gsStandard, 20, Rect(22, 20 + h / 2 - 1 + 2, 128, 78)},  // d below the border width
  };
  for (const Case& c : cases) {
    g->SetGroupStyle(c.Style);
    g->SetBorderWidth(c.BorderWidth);
    g->Realign();
    EXPECT_EQ(child->BoundsRect(), c.Child) << c.Style << " bw " << c.BorderWidth;
  }
  delete child;

  // The caption's accelerator focuses the first child in tab order.
  g->SetBorderWidth(0);
  g->SetCaption("&Animation");
  auto* first = Add<TEdit>(g, 10, 30, 60, 20);
  auto* second = Add<TEdit>(g, 10, 60, 60, 20);
  second->SetTabOrder(0);
  auto* outside = Add<TEdit>(form.get(), 200, 10, 60, 20);
  form->Show();
  outside->SetFocus();
  ASSERT_TRUE(testui::PumpUntil([&] { return outside->Focused(); }));
  LRESULT r = g->Perform(CM_DIALOGCHAR, 'a', 0);
  EXPECT_EQ(r, 1);
  EXPECT_TRUE(testui::PumpUntil([&] { return second->Focused(); }));
  EXPECT_FALSE(first->Focused());
  EXPECT_EQ(g->Perform(CM_DIALOGCHAR, 'x', 0), 0);
}

TEST_F(RzPanelTest, GroupBoxPaintsItsStyles) {
  ASSERT_FALSE(SharedThemeServices()->VisualStylesOn());
  form->Show();
  auto* g = Add<TRzGroupBox>(form.get(), 0, 0, 120, 80);
  g->SetColor(RGB(240, 240, 240));
  g->SetFlatColor(RGB(0, 0, 160));
  g->SetFlatColorAdjustment(0);
  g->Font()->SetName("Tahoma");
  g->Font()->SetHeight(-11);
  g->Font()->SetColor(clBlack);
  g->SetCaption("Frame");
  TBitmap measure;
  measure.Canvas()->Font()->Assign(g->Font());
  Integer h = measure.Canvas()->TextHeight("Pp") / 2 - 1;
  auto b = Snapshot(g);
  const TColor f = RGB(0, 0, 160);
  // Flat: cut corners, line along the top broken by the caption.
  EXPECT_EQ(PxRgb(b.get(), 0, h + 10), f);
  EXPECT_EQ(PxRgb(b.get(), 0, h), RGB(240, 240, 240));
  EXPECT_EQ(PxRgb(b.get(), 1, h + 1), f);
  EXPECT_EQ(PxRgb(b.get(), 119, h + 10), f);
  EXPECT_EQ(PxRgb(b.get(), 60, 79), f);
  EXPECT_EQ(PxRgb(b.get(), 4, h), f);
  TRect cr = g->CaptionRect();
  EXPECT_EQ(cr.Left, 8);
  EXPECT_EQ(PxRgb(b.get(), cr.Left + 1, h), PxRgb(b.get(), cr.Left + 1, h));
  EXPECT_GT(PanelInkOf(b.get(), 0, cr).Count, 5);
  EXPECT_NE(PxRgb(b.get(), cr.Right + 2, h), RGB(240, 240, 240));  // the line resumes after the caption

  // Top line only.
  g->SetGroupStyle(gsTopLine);
  g->SetBorderOuter(fsFlat);
  auto t = Snapshot(g);
  EXPECT_EQ(PanelInkOf(t.get(), f, Rect(0, h + 1, 120, 80)).Count, 0);
  EXPECT_GT(PanelInkOf(t.get(), f, Rect(0, h, 120, h + 1)).Count, 20);
  EXPECT_EQ(g->CaptionRect().Left, 0);

  // Standard with no outer style: an etched frame all round.
  g->SetGroupStyle(gsStandard);
  g->SetBorderOuter(fsNone);
  auto s = Snapshot(g);
  EXPECT_EQ(PxRgb(s.get(), 0, h + 20), Rgb(clBtnShadow));
  EXPECT_EQ(PxRgb(s.get(), 1, h + 20), Rgb(clBtnHighlight));
  EXPECT_EQ(PxRgb(s.get(), 119, h + 20), Rgb(clBtnHighlight));

  // A sheet of the styles, enabled and disabled.
  rzpix::TSheet sheet(120, 80, 4, 8);
  const TRzGroupBoxStyle styles[] = {gsStandard, gsCustom, gsTopLine, gsFlat};
  for (Integer i = 0; i < 8; ++i) {
    g->SetGroupStyle(styles[i % 4]);
    g->SetEnabled(i < 4);
    auto pic = Snapshot(g);
    sheet.Put(i, std::string(i < 4 ? "" : "disabled ") + std::to_string(styles[i % 4]), pic.get());
  }
  EXPECT_TRUE(sheet.Save("rzpanel_groupboxes.png"));
}

TEST_F(RzPanelTest, PanelSheetAndMouseEvents) {
  form->Show();
  auto* p = Add<TRzPanel>(form.get(), 0, 0, 100, 50);
  Integer enters = 0, leaves = 0;
  p->OnMouseEnter = [&](TObject*) { ++enters; };
  p->OnMouseLeave = [&](TObject*) { ++leaves; };
  p->Perform(CM_MOUSEENTER, 0, 0);
  p->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(enters, 1);
  EXPECT_EQ(leaves, 1);
  Integer painted = 0;
  p->OnPaint = [&](TObject*) { ++painted; };
  p->SetCaption("Panel");
  rzpix::TSheet sheet(100, 50, 6, 12);
  for (Integer s = fsNone; s <= fsFlatRounded; ++s) {
    p->SetBorderOuter(static_cast<TFrameStyleEx>(s));
    p->SetBorderInner(s == fsFlatRounded ? fsFlat : fsNone);
    auto pic = Snapshot(p);
    sheet.Put(s, "outer " + std::to_string(s), pic.get());
  }
  EXPECT_GE(painted, 12);
  EXPECT_TRUE(sheet.Save("rzpanel_borders.png"));
}

TEST_F(RzPanelTest, DockSiteGetsTheCaptionBarManager) {
  auto* p = Add<TRzPanel>(form.get(), 0, 0, 200, 150);
  p->SetDockSite(true);
  p->SetUseDockManager(true);
  auto* mgr = dynamic_cast<TRzPanelDockManager*>(p->DockManager());
  ASSERT_NE(mgr, nullptr);
  EXPECT_EQ(mgr->GrabberSize(), 14);
  EXPECT_TRUE(p->DoubleBuffered());
  // A docked client gets a caption bar of 14 pixels on top (the panel is not
  // aligned to the top or bottom) in the inactive caption colour.
  form->Show();
  auto* client = new TRzPanel(form.get());
  client->SetParent(form.get());
  client->SetBounds(250, 150, 60, 40);
  client->SetCaption("Tools");
  ASSERT_TRUE(client->ManualDock(p));
  EXPECT_EQ(client->Parent(), p);
  EXPECT_GE(client->Top(), 14);
  auto b = Snapshot(p);
  TRect frame;
  mgr->GetControlBounds(client, frame);
  EXPECT_EQ(PxRgb(b.get(), frame.Left + 40, frame.Top + 7), Rgb(clInactiveCaption));
  p->SetShowDockClientCaptions(false);
  auto plain = Snapshot(p);
  EXPECT_NE(PxRgb(plain.get(), frame.Left + 40, frame.Top + 7), Rgb(clInactiveCaption));
}

TEST_F(RzPanelTest, FormResourceReadsOldNamesWritesNewOnes) {
  const std::string text =
      "object Form1: TForm\n"
      "  object pnl: TRzPanel\n"
      "    Left = 4\n"
      "    Top = 4\n"
      "    Width = 90\n"
      "    Height = 40\n"
      "    BorderOuter = fsFlat\n"
      "    FrameSides = [sdLeft, sdTop]\n"
      "    BorderSides = [sdLeft, sdBottom]\n"
      "    ShowGrid = True\n"
      "    GridStyle = gsSolidLines\n"
      "  end\n"
      "  object grp: TRzGroupBox\n"
      "    Caption = 'Animation Properties'\n"
      "    GroupStyle = gsTopLine\n"
      "    FrameSides = [sdTop]\n"
      "  end\n"
      "end\n";
  ReadComponentFromText(text, form.get());
  auto* pnl = dynamic_cast<TRzPanel*>(form->FindComponent("pnl"));
  auto* grp = dynamic_cast<TRzGroupBox*>(form->FindComponent("grp"));
  ASSERT_TRUE(pnl && grp);
  EXPECT_EQ(pnl->BorderOuter(), fsFlat);
  EXPECT_EQ(pnl->BorderSides(), (TSides{sdLeft, sdBottom}));
  EXPECT_TRUE(pnl->ShowGrid());
  EXPECT_EQ(pnl->GridStyle(), gsSolidLines);
  EXPECT_EQ(grp->GroupStyle(), gsTopLine);
  EXPECT_EQ(grp->Height(), 105);
  std::string out = WriteComponentToText(form.get());
  EXPECT_EQ(out.find("FrameSides"), std::string::npos) << out;
  EXPECT_NE(out.find("BorderSides = [sdLeft, sdBottom]"), std::string::npos) << out;
  EXPECT_NE(out.find("GroupStyle = gsTopLine"), std::string::npos);
  // Defaults are not written: the group box's height and outer border.
  size_t g = out.find("object grp");
  EXPECT_EQ(out.find("Height = 105", g), std::string::npos) << out;
  EXPECT_EQ(out.find("BorderOuter", g), std::string::npos) << out;
}

// With visual styles the group box draws the themed part (unless it is not
// theme aware); the caption stays readable on both looks.
class RzGroupBoxLook : public ThemeLookTest {};

TEST_P(RzGroupBoxLook, ThemedPartOnlyWhenThemeAware) {
  std::unique_ptr<TForm> form(testui::NewForm(320, 240));
  form->SetColor(clBtnFace);
  form->Show();
  auto* g = new TRzGroupBox(form.get());
  g->SetParent(form.get());
  g->SetBounds(0, 0, 140, 80);
  g->SetCaption("Frame Properties");
  g->SetFlatColor(RGB(0, 0, 160));
  g->SetFlatColorAdjustment(0);
  g->Font()->SetColor(clBlack);
  auto aware = Snapshot(g);
  EXPECT_GT(PanelInkOf(aware.get(), 0, g->CaptionRect()).Count, 5);
  Integer blue = PanelInkOf(aware.get(), RGB(0, 0, 160), Rect(0, 0, 140, 80)).Count;
  if (Themed()) {
    EXPECT_EQ(blue, 0);  // the theme's frame, not the flat colour
  } else {
    EXPECT_GT(blue, 100);
  }
  g->SetGroupStyle(gsTopLine);  // not theme aware any more
  g->SetBorderOuter(fsFlat);
  auto top = Snapshot(g);
  EXPECT_GT(PanelInkOf(top.get(), RGB(0, 0, 160), Rect(0, 0, 140, 80)).Count, 30);  // the line beside the caption
  rzpix::TSheet sheet(140, 80, 2, 2);
  sheet.Put(0, "flat", aware.get());
  sheet.Put(1, "top line", top.get());
  EXPECT_TRUE(sheet.Save(std::string("rzpanel_groupbox_") + LookName(GetParam()) + ".png"));
}

INSTANTIATE_LOOKS(RzGroupBoxLook);
