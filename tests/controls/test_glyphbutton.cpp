// Glyph push buttons and control buttons: glyph strips and kinds, where the
// glyph shows without its transparent colour, the control button's faces,
// and its auto-repeat on short timers driven by real mouse messages.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/RzButton.h"
#include "controls/RzThemeSrv.h"
#include "platform/TypInfo.h"
#include "tests/controls/shots.h"
#include "tests/controls/theme_look.h"
#include "tests/support/ui.h"

namespace {

using testshots::Px;
using testshots::Shot;

using testshots::At;

// A strip of Cells square cells of Size: olive ground (the bottom-left pixel),
// a block of the cell's colour inside.
std::unique_ptr<TBitmap> Strip(Integer Width, Integer Height, std::vector<TColor> Cells = {clGreen, clRed}) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(Width, Height);
  TCanvas* c = b->Canvas();
  c->Brush()->SetColor(clOlive);
  c->FillRect(Rect(0, 0, Width, Height));
  Integer cell = Height;
  for (size_t i = 0; i < Cells.size() && static_cast<Integer>(i) * cell < Width; ++i) {
    c->Brush()->SetColor(Cells[i]);
    Integer x = static_cast<Integer>(i) * cell;
    c->FillRect(Rect(x + 3, 3, x + cell - 3, cell - 3));
  }
  return b;
}

// Bounds of the pixels of one colour.
TRect InkBounds(TBitmap* B, TColor Ink) {
  TRect r{B->Width(), B->Height(), -1, -1};
  for (Integer y = 0; y < B->Height(); ++y)
    for (Integer x = 0; x < B->Width(); ++x)
      if (Px(B, x, y) == Ink) {
        r.Left = std::min(r.Left, x);
        r.Top = std::min(r.Top, y);
        r.Right = std::max(r.Right, x + 1);
        r.Bottom = std::max(r.Bottom, y + 1);
      }
  return r;
}

using testshots::Pump;

// ---------------------------------------------------------------------------
TEST(ControlsGlyphStrip, CellCountFollowsTheStripShape) {
  struct Case {
    Integer W, H;
    TNumGlyphs Want;
  };
  // Square cells below five make the count; anything else leaves it alone.
  const Case cases[] = {{32, 16, 2}, {64, 16, 4}, {16, 16, 1}, {96, 16, 1}, {80, 16, 1}, {30, 16, 3}, {0, 0, 3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.W << "x" << c.H);
    TRzBitBtn bit(nullptr);
    TRzControlButton ctl(nullptr);
    bit.SetNumGlyphs(3);
    ctl.SetNumGlyphs(3);
    auto g = Strip(c.W, c.H);
    bit.SetGlyph(g.get());
    ctl.SetGlyph(g.get());
    EXPECT_EQ(bit.NumGlyphs(), c.Want);
    EXPECT_EQ(ctl.NumGlyphs(), c.Want);
  }
}

TEST(ControlsBitBtnKind, KindsPresetAndReadBackCustomOnceChanged) {
  RegisterRzButtonClasses();
  TRzBitBtn b(nullptr);
  b.SetCaption("before");
  b.SetKind(bkOK);
  EXPECT_EQ(b.Kind(), bkOK);
  EXPECT_EQ(b.Caption(), "OK");
  EXPECT_TRUE(b.Default());
  EXPECT_EQ(b.ModalResult(), mrOk);
  EXPECT_EQ(b.NumGlyphs(), 2);
  // The program's resource is the glyph, loaded once and shared.
  ASSERT_EQ(b.Glyph()->Width(), 32);
  EXPECT_EQ(b.Glyph()->Canvas()->Pixels(8, 8), clGreen);
  EXPECT_EQ(TRzBitBtn::KindGlyph(bkOK), TRzBitBtn::KindGlyph(bkOK));
  // A kind the program has no bitmap for still gets a glyph.
  TRzBitBtn c(nullptr);
  c.SetKind(bkCancel);
  EXPECT_FALSE(c.Glyph()->Empty());
  EXPECT_TRUE(c.Cancel());

  b.SetModalResult(mrCancel);
  EXPECT_EQ(b.Kind(), bkCustom);
  c.SetGlyph(Strip(16, 16).get());
  EXPECT_EQ(c.Kind(), bkCustom) << "a glyph of one's own makes the button custom";

  b.SetMargin(5);
  b.SetMargin(-2);
  EXPECT_EQ(b.Margin(), 5) << "margins below -1 are ignored";
  b.SetMargin(-1);
  EXPECT_EQ(b.Margin(), -1);
}

// ---------------------------------------------------------------------------
class ControlsBitBtnFace : public ThemeLookTest {};

TEST_P(ControlsBitBtnFace, GlyphSitsByLayoutWithoutItsTransparentColour) {
  RegisterRzButtonClasses();
  TForm* form = testui::NewForm(400, 200);
  testshots::ShowActive(form);
  auto* b = new TRzBitBtn(form);
  b->SetParent(form);
  b->SetBounds(10, 10, 100, 50);
  b->SetCaption("");
  b->SetGlyph(Strip(32, 16).get());
  ASSERT_EQ(b->NumGlyphs(), 2);

  struct Case {
    TButtonLayout Layout;
    Integer Left, Top;  // where the 16x16 cell lands (margin 2, caption rectangle 5 in)
  };
  const Case cases[] = {{blGlyphLeft, 7, 17}, {blGlyphRight, 100 - 5 - 2 - 16, 17},
                        {blGlyphTop, 42, 7}, {blGlyphBottom, 42, 50 - 5 - 2 - 16}};
  testshots::TSheet sheet;
  for (const Case& c : cases) {
    SCOPED_TRACE(GetEnumName(c.Layout));
    b->SetLayout(c.Layout);
    auto shot = Shot(b);
    sheet.Add(GetEnumName(c.Layout), shot.get());
    EXPECT_EQ(InkBounds(shot.get(), clGreen), Rect(c.Left + 3, c.Top + 3, c.Left + 13, c.Top + 13));
    EXPECT_EQ(InkBounds(shot.get(), clOlive).Right, -1) << "the transparent colour is left out";
    EXPECT_EQ(InkBounds(shot.get(), clRed).Right, -1);
  }
  b->SetLayout(blGlyphLeft);
  // Pressed: the glyph moves one down-right (one right with visual styles).
  testshots::PointAt(b, 50, 25);
  PostMessageW(b->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(50, 25));
  Pump();
  ASSERT_TRUE(b->PressedLook()) << "the press took the focus; fg " << (GetForegroundWindow() == form->Handle())
                                << " active " << (GetActiveWindow() == form->Handle()) << " focus "
                                << (GetFocus() == b->Handle()) << " focused " << b->Focused() << " enabled "
                                << b->Enabled() << " capture " << (GetCapture() == b->Handle());
  auto pressed = Shot(b);
  PostMessageW(b->Handle(), WM_LBUTTONUP, 0, At(150, 25));
  Pump();
  sheet.Add("pressed", pressed.get());
  EXPECT_EQ(InkBounds(pressed.get(), clGreen).Left, 7 + 3 + 1);
  EXPECT_EQ(InkBounds(pressed.get(), clGreen).Top, 17 + 3 + (Themed() ? 0 : 1));
  // Disabled: the second cell; with one cell, that cell embossed in grey.
  b->SetEnabled(false);
  auto disabled = Shot(b);
  sheet.Add("disabled", disabled.get());
  EXPECT_EQ(InkBounds(disabled.get(), clRed), Rect(10, 20, 20, 30));
  b->SetGlyph(Strip(16, 16).get());
  ASSERT_EQ(b->NumGlyphs(), 1);
  auto oneCell = Shot(b);
  sheet.Add("disabled, 1 cell", oneCell.get());
  EXPECT_EQ(InkBounds(oneCell.get(), clGreen).Right, -1) << "not shown as when enabled";
  for (TColor hidden : {clOlive, clFuchsia, clLime})
    EXPECT_EQ(InkBounds(oneCell.get(), hidden).Right, -1) << "no ground or key colour shows: " << hidden;
  // The block in shadow, its highlight one pixel down and right of it.
  const TColor shadow = ColorToRGB(clBtnShadow), highlight = ColorToRGB(clBtnHighlight);
  EXPECT_EQ(Px(oneCell.get(), 10, 20), shadow);
  EXPECT_EQ(Px(oneCell.get(), 19, 29), shadow);
  EXPECT_EQ(Px(oneCell.get(), 20, 25), highlight);
  EXPECT_EQ(Px(oneCell.get(), 15, 30), highlight);
  EXPECT_EQ(Px(oneCell.get(), 20, 30), highlight);
  EXPECT_EQ(Px(oneCell.get(), 20, 20), Px(oneCell.get(), 22, 20)) << "the ground around the emboss is the face";
  EXPECT_EQ(Px(oneCell.get(), 9, 25), Px(oneCell.get(), 8, 25));
  // Enabled again: the cell as it is.
  b->SetEnabled(true);
  auto reenabled = Shot(b);
  EXPECT_EQ(InkBounds(reenabled.get(), clGreen), Rect(10, 20, 20, 30));
  sheet.Add("enabled, 1 cell", reenabled.get());
  sheet.Save(std::string("controls_bitbtn_") + LookName(GetParam()) + ".png");
  delete form;
}

TEST(ControlsBitBtnImages, ImageListGlyphsByStateAndTheirRemoval) {
  TForm* form = testui::NewForm(300, 100);
  testshots::ShowActive(form);
  auto* images = new TImageList(form);
  images->SetWidth(16);
  images->SetHeight(16);
  images->AddMasked(Strip(48, 16, {clGreen, clBlue, clRed}).get(), clOlive);
  auto* b = new TRzBitBtn(form);
  b->SetParent(form);
  b->SetBounds(10, 10, 100, 50);
  b->SetCaption("");
  b->SetImages(images);
  b->SetImageIndex(1);
  EXPECT_EQ(b->GetGlyphSize().X, 16);
  EXPECT_EQ(b->GetGlyphSize().Y, 16);
  auto enabled = Shot(b);
  EXPECT_EQ(InkBounds(enabled.get(), clBlue), Rect(10, 20, 20, 30));
  // Disabled: the list greys the image, or a DisabledIndex image shows as it is.
  b->SetEnabled(false);
  auto greyed = Shot(b);
  EXPECT_EQ(InkBounds(greyed.get(), clBlue).Right, -1);
  b->SetDisabledIndex(2);
  auto disabledImage = Shot(b);
  EXPECT_EQ(InkBounds(disabledImage.get(), clRed), Rect(10, 20, 20, 30));
  // A list that goes away leaves the button without one.
  delete images;
  EXPECT_EQ(b->Images(), nullptr);
  delete form;
}

// ---------------------------------------------------------------------------
class ControlsControlButtonFace : public ThemeLookTest {};

TEST_P(ControlsControlButtonFace, FacesByStyleAndState) {
  TForm* form = testui::NewForm(400, 200);
  form->SetColor(clTeal);
  testshots::ShowActive(form);
  struct Kind {
    const char* Name;
    TRzControlButtonStyle Style;
    bool Flat;
  };
  const Kind kinds[] = {{"up", cbsUp, false},     {"down", cbsDown, false},   {"left", cbsLeft, false},
                        {"right", cbsRight, false}, {"drop", cbsDropDown, false}, {"glyph", cbsNone, false},
                        {"flat up", cbsUp, true},   {"flat drop", cbsDropDown, true}};
  testshots::TSheet sheet;
  for (const Kind& k : kinds) {
    SCOPED_TRACE(k.Name);
    auto* b = new TRzControlButton(form);
    b->SetParent(form);
    b->SetBounds(20, 20, 17, 21);
    b->SetStyle(k.Style);
    b->SetFlat(k.Flat);
    b->SetColor(clYellow);
    if (k.Style == cbsNone) b->SetGlyph(Strip(22, 11, {clGreen, clRed}).get());
    auto normal = Shot(b);
    PostMessageW(form->Handle(), WM_MOUSEMOVE, 0, At(25, 25));
    Pump();
    EXPECT_TRUE(b->MouseOver());
    auto hot = Shot(b);
    testshots::PointAt(form, 25, 25);
    PostMessageW(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(25, 25));
    Pump();
    EXPECT_TRUE(b->IsDown());
    auto down = Shot(b);
    PostMessageW(form->Handle(), WM_LBUTTONUP, 0, At(25, 25));
    PostMessageW(form->Handle(), WM_MOUSEMOVE, 0, At(300, 150));
    Pump();
    b->SetEnabled(false);
    auto disabled = Shot(b);
    for (auto [label, pic] : std::vector<std::pair<const char*, TBitmap*>>{
             {"normal", normal.get()}, {"hot", hot.get()}, {"down", down.get()}, {"disabled", disabled.get()}})
      sheet.Add(std::string(k.Name) + " " + label, pic);
    sheet.NewRow();

    if (Themed()) {
      // The visual style's arrow parts show pressed differently (a flat
      // button at rest shows only its colour).
      if (k.Style != cbsNone) {
        EXPECT_NE(Px(normal.get(), 8, 2), Px(down.get(), 8, 2));
      }
    } else if (k.Flat) {
      EXPECT_EQ(Px(normal.get(), 0, 0), clYellow) << "a flat button at rest is only its colour";
      EXPECT_EQ(Px(hot.get(), 0, 0), ColorToRGB(clBtnHighlight)) << "raised while hot";
      EXPECT_EQ(Px(down.get(), 0, 0), ColorToRGB(clBtnShadow)) << "sunken while down";
    } else {
      EXPECT_EQ(Px(normal.get(), 0, 0), ColorToRGB(clBtnHighlight));
      EXPECT_EQ(Px(normal.get(), 16, 20), ColorToRGB(cl3DDkShadow));
      EXPECT_EQ(Px(down.get(), 0, 0), ColorToRGB(clBtnShadow));
      EXPECT_EQ(Px(down.get(), 16, 20), ColorToRGB(clBtnShadow));
      EXPECT_EQ(Px(normal.get(), 8, 3), ColorToRGB(clBtnFace)) << "the face is button-face whatever Color is";
    }
    if (!Themed() && k.Style != cbsNone) {
      EXPECT_GT(InkBounds(normal.get(), 0).Right, 0) << "a black arrow";
      EXPECT_EQ(InkBounds(disabled.get(), 0).Right, -1) << "greyed when disabled";
      EXPECT_GT(InkBounds(disabled.get(), ColorToRGB(clBtnShadow)).Right, 0);
    }
    if (k.Style == cbsNone) {
      EXPECT_GT(InkBounds(normal.get(), clGreen).Right, 0);
      EXPECT_EQ(InkBounds(normal.get(), clOlive).Right, -1);
      EXPECT_GT(InkBounds(disabled.get(), clRed).Right, 0) << "the disabled cell";
    }
    delete b;
  }
  sheet.Save(std::string("controls_controlbutton_") + LookName(GetParam()) + ".png");
  delete form;
}

INSTANTIATE_LOOKS(ControlsBitBtnFace);
INSTANTIATE_LOOKS(ControlsControlButtonFace);

// ---------------------------------------------------------------------------
// Auto-repeat on short timers: nothing at the press, the first click after
// InitialDelay, then one every Delay while held (also off the button), one
// more when released over it, none when released elsewhere.
TEST(ControlsControlButtonRepeat, HeldButtonClicksOnAndStopsAtTheRelease) {
  TForm* form = testui::NewForm(200, 100);
  testshots::ShowActive(form);
  auto* b = new TRzControlButton(form);
  b->SetParent(form);
  b->SetBounds(10, 10, 17, 21);
  b->SetStyle(cbsUp);
  b->SetRepeatClicks(true);
  b->SetInitialDelay(150);
  b->SetDelay(30);
  int clicks = 0;
  b->OnClick = [&](TObject*) { ++clicks; };
  HWND w = form->Handle();

  struct Case {
    const char* What;
    LPARAM ReleaseAt;
    int Extra;  // clicks at the release
  };
  for (const Case& c : {Case{"released over it", At(15, 15), 1}, Case{"released elsewhere", At(150, 80), 0}}) {
    SCOPED_TRACE(c.What);
    clicks = 0;
    testshots::PointAt(form, 15, 15);
    PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, At(15, 15));
    Pump();
    DWORD start = GetTickCount();
    EXPECT_EQ(clicks, 0);
    ASSERT_TRUE(testui::PumpUntil([&] { return clicks >= 1; }, 2000));
    EXPECT_GE(GetTickCount() - start, 130u) << "the first repeat waits InitialDelay";
    // Dragged off, it goes on clicking.
    PostMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, At(150, 80));
    ASSERT_TRUE(testui::PumpUntil([&] { return clicks >= 4; }, 2000));
    EXPECT_TRUE(b->IsDown());
    int held = clicks;
    PostMessageW(w, WM_LBUTTONUP, 0, c.ReleaseAt);
    Pump();
    EXPECT_EQ(clicks, held + c.Extra);
    EXPECT_FALSE(b->RepeatTimer()->Enabled());
    testui::PumpUntil([] { return false; }, 100);
    EXPECT_EQ(clicks, held + c.Extra) << "no clicks after the release";
  }
  // A short click clicks once, at the release.
  clicks = 0;
  PostMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, At(15, 15));
  PostMessageW(w, WM_LBUTTONUP, 0, At(15, 15));
  Pump();
  testui::PumpUntil([] { return false; }, 200);
  EXPECT_EQ(clicks, 1);
  delete form;
}

}  // namespace
