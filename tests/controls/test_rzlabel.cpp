// Styled and web-address labels: angle and rotation rules, auto-size with
// borders, text-style layers and rotation in pixels, blinking by the shared
// list, fly-by colour by mouse enter and leave, the web-address click, the
// frame controller's look and the form resource names.
#include <gtest/gtest.h>

#include "controls/RzLabel.h"
#include "platform/FormReader.h"
#include "platform/Forms.h"
#include "tests/controls/rz_pixels.h"
#include "tests/support/ui.h"

using rzpix::NewBitmap;
using rzpix::PxRgb;
using rzpix::Rgb;

namespace {

struct TLabelInk {
  Integer Count = 0, MinX = 1 << 20, MinY = 1 << 20, MaxX = -1, MaxY = -1;
};
TLabelInk LabelInkOf(TBitmap* B, TColor Color) {
  TLabelInk k;
  for (Integer y = 0; y < B->Height(); ++y)
    for (Integer x = 0; x < B->Width(); ++x)
      if (PxRgb(B, x, y) == Color) {
        ++k.Count;
        k.MinX = std::min(k.MinX, x), k.MaxX = std::max(k.MaxX, x);
        k.MinY = std::min(k.MinY, y), k.MaxY = std::max(k.MaxY, y);
      }
  return k;
}

struct RzLabelTest : ::testing::Test {
  std::unique_ptr<TForm> form{testui::NewForm(400, 300)};
  void SetUp() override { form->SetColor(RGB(230, 230, 230)); }
  template <class T = TRzLabel>
  T* Add(const std::string& Caption, Integer L = 10, Integer T_ = 10) {
    auto* l = new T(form.get());
    l->SetParent(form.get());
    l->SetLeft(L);
    l->SetTop(T_);
    l->Font()->SetName("Tahoma");
    l->Font()->SetHeight(-24);
    l->Font()->SetColor(clBlack);
    l->SetCaption(Caption);
    return l;
  }
  // The label as its parent shows it.
  std::unique_ptr<TBitmap> Shot(TControl* L) {
    auto all = NewBitmap(form->Width(), form->Height(), 0x030201);
    form->PaintTo(all->Canvas()->Handle(), 0, 0);
    auto b = NewBitmap(L->Width(), L->Height(), 0x030201);
    ::BitBlt(b->Canvas()->Handle(), 0, 0, L->Width(), L->Height(), all->Canvas()->Handle(), L->Left(), L->Top(),
             SRCCOPY);
    return b;
  }
};

}  // namespace

TEST_F(RzLabelTest, AngleAndRotationRules) {
  auto* l = Add("Abc");
  struct Case {
    Integer Set, Stored;
  } cases[] = {{450, 90}, {-90, 270}, {360, 0}, {45, 45}, {-450, 270}, {719, 359}};
  for (const Case& c : cases) {
    l->SetAngle(c.Set);
    EXPECT_EQ(l->Angle(), c.Stored) << c.Set;
  }
  EXPECT_EQ(l->Rotation(), roFlat);  // a non-zero angle on an unrotated label turns it

  // A raster font cannot turn: the label takes Verdana.
  auto* r = Add("Abc");
  r->Font()->SetName("MS Sans Serif");
  r->Font()->SetHeight(-11);
  ASSERT_FALSE(FontIsTrueType(r->Font()));
  r->SetAngle(30);
  EXPECT_EQ(r->Font()->Name(), "Verdana");

  // roFlat resets the angle and the centre point.
  l->SetRotation(roCurve);
  l->SetCenterPoint(cpLowerLeft);
  l->SetAngle(20);
  l->SetRotation(roFlat);
  EXPECT_EQ(l->Angle(), 0);
  EXPECT_EQ(l->CenterPoint(), cpCenter);
  l->SetAngle(30);
  l->SetRotation(roNone);
  EXPECT_EQ(l->Angle(), 0);

  // Condensing switches auto-size off.
  l->SetCondenseCaption(ccAtEnd);
  EXPECT_FALSE(l->AutoSize());
}

TEST_F(RzLabelTest, AutoSizeGrowsByTheBorders) {
  auto* plain = Add("Sized");
  Integer w = plain->Width(), h = plain->Height();
  struct Case {
    TFrameStyleEx Outer, Inner;
    Integer Bevel, BorderWidth;
    TSides Sides;
    Integer GrowW, GrowH;
  } cases[] = {
      {fsStatus, fsNone, 3, 0, sdAllSides, 6, 6},
      {fsFlat, fsLowered, 1, 2, sdAllSides, 10, 10},
      {fsGroove, fsNone, 1, 0, TSides{sdLeft, sdTop}, 2, 2},
      {fsFlatBold, fsFlatRounded, 1, 0, sdAllSides, 0, 0},
  };
  for (const Case& c : cases) {
    auto* l = Add("Sized");
    l->SetBorderOuter(c.Outer);
    l->SetBorderInner(c.Inner);
    l->SetBevelWidth(c.Bevel);
    l->SetBorderWidth(c.BorderWidth);
    l->SetBorderSides(c.Sides);
    l->SetCaption("x");
    l->SetCaption("Sized");  // measured again
    EXPECT_EQ(l->Width(), w + c.GrowW) << c.Outer;
    EXPECT_EQ(l->Height(), h + c.GrowH) << c.Outer;
  }
  // A quarter turn swaps width and height; a shadow adds its depth.
  auto* turned = Add("Sized");
  turned->SetAngle(90);
  EXPECT_EQ(turned->Width(), h);
  EXPECT_EQ(turned->Height(), w);
  auto* shadow = Add("Sized");
  shadow->SetTextStyle(tsShadow);
  shadow->SetCaption("x");
  shadow->SetCaption("Sized");
  EXPECT_EQ(shadow->Width(), w + 2);
  // A right-aligned label keeps its right edge.
  auto* right = Add("Sized", 200);
  right->SetAlignment(taRightJustify);
  Integer edge = right->Left() + right->Width();
  right->SetCaption("Much longer");
  EXPECT_EQ(right->Left() + right->Width(), edge);
}

TEST_F(RzLabelTest, TextStyleLayersAndDisabledLook) {
  form->Show();
  const TColor hi = RGB(255, 255, 0), sh = RGB(0, 0, 255);
  struct Case {
    TTextStyle Style;
    bool Light;
    bool Hi, Sh;
    Integer Dx;  // offset of the highlight ink against the caption ink
  } cases[] = {
      {tsNormal, false, false, false, 0},
      {tsRaised, false, true, true, -1},
      {tsRaised, true, true, false, -1},
      {tsRecessed, false, true, true, 1},
      {tsRecessed, true, true, false, 1},
      {tsShadow, false, false, true, 0},
  };
  for (const Case& c : cases) {
    auto* l = Add("HH");
    l->SetTextStyle(c.Style);
    l->SetLightTextStyle(c.Light);
    l->SetHighlightColor(hi);
    l->SetShadowColor(sh);
    auto b = Shot(l);
    TLabelInk ink = LabelInkOf(b.get(), 0), hiInk = LabelInkOf(b.get(), hi), shInk = LabelInkOf(b.get(), sh);
    ASSERT_GT(ink.Count, 20) << c.Style;
    EXPECT_EQ(hiInk.Count > 0, c.Hi) << c.Style << " light " << c.Light;
    EXPECT_EQ(shInk.Count > 0, c.Sh) << c.Style << " light " << c.Light;
    if (c.Hi) {
      EXPECT_EQ(hiInk.MinX - ink.MinX, c.Dx) << c.Style;
    }
    if (c.Style == tsShadow) {
      EXPECT_EQ(shInk.MaxX - ink.MaxX, 2);
    }
    delete l;
  }
  auto* off = Add("HH");
  off->SetEnabled(false);
  auto b = Shot(off);
  EXPECT_EQ(LabelInkOf(b.get(), 0).Count, 0);
  EXPECT_GT(LabelInkOf(b.get(), Rgb(clBtnShadow)).Count, 20);
  EXPECT_GT(LabelInkOf(b.get(), Rgb(clBtnHighlight)).Count, 0);
}

TEST_F(RzLabelTest, RotatedAndCurvedCaptions) {
  form->Show();
  auto* flat = Add("Rotated");
  auto straight = Shot(flat);
  TLabelInk s = LabelInkOf(straight.get(), 0);
  EXPECT_GT(s.MaxX - s.MinX, s.MaxY - s.MinY);
  flat->SetAngle(90);
  auto up = Shot(flat);
  TLabelInk u = LabelInkOf(up.get(), 0);
  ASSERT_GT(u.Count, 20);
  EXPECT_GT(u.MaxY - u.MinY, u.MaxX - u.MinX);  // reads bottom to top: tall, not wide

  auto* curve = Add("Curved", 10, 120);
  curve->SetAutoSize(false);
  curve->SetBounds(10, 120, 160, 120);
  curve->SetRotation(roCurve);
  curve->SetAngle(300);
  auto c = Shot(curve);
  EXPECT_GT(LabelInkOf(c.get(), 0).Count, 20);

  rzpix::TSheet sheet(170, 130, 4, 8);
  const Integer angles[] = {0, 45, 90, 180, 270};
  Integer i = 0;
  for (Integer a : angles) {
    auto* l = Add("Angle " + std::to_string(a), 200, 10);
    l->SetTextStyle(tsRaised);
    l->SetAngle(a);
    auto pic = Shot(l);
    sheet.Put(i++, "angle " + std::to_string(a), pic.get());
    delete l;
  }
  sheet.Put(i++, "curve", c.get());
  auto* bordered = Add("Borders", 200, 10);
  bordered->SetBorderOuter(fsFlatRounded);
  bordered->SetBorderWidth(2);
  bordered->SetBorderInner(fsFlat);
  bordered->SetTextStyle(tsShadow);
  bordered->SetCaption("x");
  bordered->SetCaption("Borders");
  auto pic = Shot(bordered);
  sheet.Put(i++, "borders + shadow", pic.get());
  EXPECT_TRUE(sheet.Save("rzlabel_styles.png"));
}

TEST_F(RzLabelTest, BlinkingFollowsTheSharedList) {
  form->Show();
  auto* l = Add("Blink");
  l->SetBlinkColor(RGB(255, 0, 0));
  ASSERT_NE(BlinkingControlsList(), nullptr);
  EXPECT_EQ(l->Perform(CM_BLINKQUERY, 0, 0), 0);
  l->SetBlinking(true);
  EXPECT_EQ(l->Perform(CM_BLINKQUERY, 0, 0), 1);
  l->Perform(CM_BLINKPHASE, 1, 0);
  EXPECT_EQ(l->CurrentCaptionColor(), RGB(255, 0, 0));
  EXPECT_GT(LabelInkOf(Shot(l).get(), RGB(255, 0, 0)).Count, 10);
  // Switched off in the on phase: the normal colour at once.
  l->SetBlinking(false);
  EXPECT_EQ(l->CurrentCaptionColor(), clBlack);
  EXPECT_EQ(LabelInkOf(Shot(l).get(), RGB(255, 0, 0)).Count, 0);

  // The list's timer drives it: short intervals, phases alternate.
  l->SetBlinking(true);
  l->SetBlinkIntervalOff(20);
  l->SetBlinkIntervalOn(20);
  auto* other = Add("Other", 10, 100);
  EXPECT_EQ(other->BlinkIntervalOff(), 20);
  std::vector<TColor> seen;
  EXPECT_TRUE(testui::PumpUntil(
      [&] {
        TColor c = l->CurrentCaptionColor();
        if (seen.empty() || seen.back() != c) seen.push_back(c);
        return seen.size() >= 3;
      },
      3000));
  EXPECT_NE(seen[0], seen[1]);
  EXPECT_EQ(seen[0], seen[2]);
  EXPECT_EQ(other->CurrentCaptionColor(), clBlack);  // not blinking: never changes
  l->SetBlinkIntervalOff(500);
  l->SetBlinkIntervalOn(500);

  // The list goes with the last label.
  delete l;
  EXPECT_NE(BlinkingControlsList(), nullptr);
  form.reset();
  EXPECT_EQ(BlinkingControlsList(), nullptr);
}

TEST_F(RzLabelTest, FlyByColourOnMouseEnterAndLeave) {
  form->Show();
  auto* l = Add("Fly", 20, 20);
  l->SetFlyByEnabled(true);
  l->SetFlyByColor(RGB(0, 160, 0));
  TColor atEnter = 0;
  Integer enters = 0, leaves = 0;
  l->OnMouseEnter = [&](TObject*) {
    ++enters;
    atEnter = l->Font()->Color();
  };
  l->OnMouseLeave = [&](TObject*) { ++leaves; };
  // The mouse moves onto the label, then away, as the form's window sees it.
  POINT onLabel{l->Left() + 3, l->Top() + 3};
  ::PostMessageW(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(onLabel.x, onLabel.y));
  ASSERT_TRUE(testui::PumpUntil([&] { return enters == 1; }));
  EXPECT_EQ(atEnter, RGB(0, 160, 0));  // the colour changed before the event
  EXPECT_GT(LabelInkOf(Shot(l).get(), RGB(0, 160, 0)).Count, 5);
  ::PostMessageW(form->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(300, 250));
  ASSERT_TRUE(testui::PumpUntil([&] { return leaves == 1; }));
  EXPECT_EQ(l->Font()->Color(), clBlack);
}

TEST_F(RzLabelTest, WebAddressLabelOpensAndRemembers) {
  std::vector<std::string> opened, run;
  bool succeed = true;
  auto savedOpen = TRzURLLabel::ShellOpen;
  auto savedRun = TRzURLLabel::RunCommand;
  TRzURLLabel::ShellOpen = [&](const std::string& t) {
    opened.push_back(t);
    return succeed;
  };
  TRzURLLabel::RunCommand = [&](const std::string& c) { run.push_back(c); };
  TRzURLLabel fresh(nullptr);
  EXPECT_EQ(fresh.Font()->Color(), clHighlight);
  EXPECT_TRUE(fresh.Font()->Style().Contains(fsUnderline));
  auto* u = Add<TRzURLLabel>("  site.example/page  ");
  EXPECT_EQ(u->Cursor(), crRzHandPoint);
  EXPECT_NE(Screen->Cursors(crRzHandPoint), nullptr);
  Integer clicks = 0;
  u->OnClick = [&](TObject*) { ++clicks; };
  u->Click();  // no URL: the caption is the target
  EXPECT_EQ(clicks, 1);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], "site.example/page");
  EXPECT_TRUE(u->Visited());
  EXPECT_EQ(u->Font()->Color(), 0x800080);

  succeed = false;
  u->SetURL("missing.htm");
  u->Click();
  EXPECT_EQ(opened.back(), "missing.htm");
  EXPECT_EQ(run, std::vector<std::string>{"RunDLL32.exe Shell32.dll,OpenAs_RunDLL *.htm"});
  u->SetURL("missing.txt");
  u->Click();
  EXPECT_EQ(run.size(), 1u);
  u->SetURL("   ");
  u->SetCaption("  ");
  u->Click();
  EXPECT_EQ(opened.size(), 3u);
  u->SetVisited(false);
  EXPECT_EQ(u->Font()->Color(), clHighlight);
  TRzURLLabel::ShellOpen = savedOpen;
  TRzURLLabel::RunCommand = savedRun;
}

TEST_F(RzLabelTest, FrameControllerAndFormResource) {
  TRzFrameController fc(form.get());
  fc.SetFrameStyle(fsPopup);
  fc.SetFrameColor(RGB(1, 2, 3));
  auto* l = Add("Framed");
  l->SetFrameController(&fc);
  EXPECT_EQ(l->BorderOuter(), fsNone);
  fc.SetFrameVisible(true);
  EXPECT_EQ(l->BorderOuter(), fsPopup);
  EXPECT_EQ(l->FlatColor(), RGB(1, 2, 3));
  EXPECT_EQ(l->FlatColorAdjustment(), 0);
  EXPECT_EQ(l->BorderHighlight(), ColorLightenedBy(l->Color(), 100));

  const std::string text =
      "object Form1: TForm\n"
      "  object lbl: TRzLabel\n"
      "    Caption = 'Old'\n"
      "    FrameSides = [sdLeft, sdRight]\n"
      "    BorderOuter = fsGroove\n"
      "    Angle = 90\n"
      "    Font.Name = 'MS Sans Serif'\n"
      "  end\n"
      "  object url: TRzURLLabel\n"
      "    Caption = 'Home'\n"
      "    URL = 'home.example'\n"
      "  end\n"
      "end\n";
  std::unique_ptr<TForm> f2(testui::NewForm());
  ReadComponentFromText(text, f2.get());
  auto* lbl = dynamic_cast<TRzLabel*>(f2->FindComponent("lbl"));
  auto* url = dynamic_cast<TRzURLLabel*>(f2->FindComponent("url"));
  ASSERT_TRUE(lbl && url);
  EXPECT_EQ(lbl->BorderOuter(), fsGroove);
  EXPECT_EQ(lbl->BorderSides(), sdAllSides);
  EXPECT_EQ(lbl->Rotation(), roFlat);  // from the angle, when loading ends
  EXPECT_EQ(lbl->Font()->Name(), "Verdana");
  EXPECT_EQ(url->URL(), "home.example");
  std::string out = WriteComponentToText(f2.get());
  EXPECT_EQ(out.find("FrameSides"), std::string::npos) << out;
  EXPECT_NE(out.find("Angle = 90"), std::string::npos) << out;
  EXPECT_NE(out.find("URL = 'home.example'"), std::string::npos) << out;
}

// A bold caption from a form resource reaches the screen, straight and
// layered. 11 pixels high: Wine's Tahoma Bold has heavy stems only in its
// small bitmap glyphs; at 13 and 16 pixels and in its turned outlines it
// draws as thin as the regular face, so no pixel could tell the styles apart.
TEST(RzLabelResource, BoldFromTheFormResourceIsPainted) {
  struct TCase {
    const char* Name;
    const char* Lines;  // the label's further properties
  } cases[] = {
      {"straight", ""},
      {"raised", "    TextStyle = tsRaised\n    HighlightColor = clYellow\n    ShadowColor = clBlue\n"},
  };
  rzpix::TSheet sheet(150, 40, 2, 4);
  Integer cell = 0;
  for (const TCase& c : cases) {
    Integer ink[2] = {};
    for (bool bold : {false, true}) {
      SCOPED_TRACE(std::string(c.Name) + (bold ? " bold" : " regular"));
      const std::string text = std::string("object Form1: TForm\n  Font.Height = -11\n  Font.Name = 'Tahoma'\n") +
                               "  object lbl: TRzLabel\n    Left = 0\n    Top = 0\n    Width = 150\n" +
                               "    Height = 40\n    AutoSize = False\n    Caption = 'Larkspire GIF 7.0'\n" +
                               "    Color = clWhite\n    Font.Color = clBlack\n    Font.Height = -11\n" +
                               "    Font.Name = 'Tahoma'\n    Font.Style = " + (bold ? "[fsBold]" : "[]") + "\n" +
                               "    ParentFont = False\n" + c.Lines + "  end\nend\n";
      std::unique_ptr<TForm> f(testui::NewForm(150, 40));
      ReadComponentFromText(text, f.get());
      auto* l = dynamic_cast<TRzLabel*>(f->FindComponent("lbl"));
      ASSERT_NE(l, nullptr);
      ASSERT_EQ(l->Font()->Style().Contains(fsBold), bold);
      f->Show();
      auto shot = NewBitmap(150, 40, clWhite);
      f->PaintTo(shot->Canvas()->Handle(), 0, 0);
      ink[bold] = LabelInkOf(shot.get(), 0).Count;
      sheet.Put(cell++, std::string(c.Name) + (bold ? " bold" : ""), shot.get());
    }
    EXPECT_GT(ink[0], 30) << c.Name;
    EXPECT_GT(ink[1] * 4, ink[0] * 5) << c.Name << ": the bold caption is not heavier (" << ink[1] << " against "
                                       << ink[0] << " black pixels)";
  }
  EXPECT_TRUE(sheet.Save("rzlabel_bold.png"));
}
