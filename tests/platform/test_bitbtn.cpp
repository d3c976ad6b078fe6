// Bitmap buttons headless: kind presets, modal results through clicks, the
// owner-drawn glyph and caption checked by pixels, form files.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/ActnList.h"
#include "platform/Buttons.h"
#include "platform/FormReader.h"
#include "platform/Forms.h"
#include "platform/TypInfo.h"
#include "tests/support/ui.h"

namespace {

using testui::NewForm;
using testui::TOneShot;

// A glyph strip of square cells in the given colours on an olive background
// (the bottom-left pixel, hence transparent); each cell has a 2-pixel olive border.
std::unique_ptr<TBitmap> MakeGlyph(Integer Size, std::vector<TColor> Cells) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(Size * static_cast<Integer>(Cells.size()), Size);
  b->Canvas()->Brush()->SetColor(clOlive);
  b->Canvas()->FillRect(Rect(0, 0, b->Width(), Size));
  for (size_t i = 0; i < Cells.size(); ++i) {
    b->Canvas()->Brush()->SetColor(Cells[i]);
    Integer x = static_cast<Integer>(i) * Size;
    b->Canvas()->FillRect(Rect(x + 2, 2, x + Size - 2, Size - 2));
  }
  return b;
}

// The button's own picture, as the window paints it.
std::unique_ptr<TBitmap> Shot(TBitBtn* B) {
  auto shot = std::make_unique<TBitmap>();
  shot->SetPixelFormat(pf24bit);
  shot->SetSize(B->Width(), B->Height());
  B->PaintTo(shot->Canvas(), 0, 0);
  return shot;
}

// ---------------------------------------------------------------------------
TEST(BitBtn, KindsPresetTheButton) {
  struct Case {
    TBitBtnKind Kind;
    const char* Caption;
    bool Default, Cancel;
    TModalResult Result;
  };
  const Case cases[] = {
      {bkOK, "OK", true, false, mrOk},           {bkCancel, "Cancel", false, true, mrCancel},
      {bkHelp, "&Help", false, false, mrNone},   {bkYes, "&Yes", true, false, mrYes},
      {bkNo, "&No", false, true, mrNo},          {bkClose, "&Close", false, false, mrNone},
      {bkAbort, "Abort", false, false, mrAbort}, {bkRetry, "&Retry", false, false, mrRetry},
      {bkIgnore, "&Ignore", false, false, mrIgnore}, {bkAll, "&All", false, false, mrAll},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(GetEnumName(c.Kind));
    TBitBtn b(nullptr);
    EXPECT_EQ(b.Kind(), bkCustom);
    b.SetCaption("before");
    b.SetKind(c.Kind);
    EXPECT_EQ(b.Kind(), c.Kind);
    EXPECT_EQ(b.Caption(), c.Caption);
    EXPECT_EQ(b.Default(), c.Default);
    EXPECT_EQ(b.Cancel(), c.Cancel);
    EXPECT_EQ(b.ModalResult(), c.Result);
    // A stock glyph of two cells (up, disabled), drawn once and shared.
    EXPECT_EQ(b.NumGlyphs(), 2);
    ASSERT_EQ(b.Glyph()->Height(), 18);
    EXPECT_EQ(b.Glyph()->Width(), 36);
    EXPECT_EQ(TBitBtn::KindGlyph(c.Kind), TBitBtn::KindGlyph(c.Kind));
    TCanvas* g = b.Glyph()->Canvas();
    EXPECT_EQ(g->Pixels(0, 17), clOlive);
    Integer up = 0, disabled = 0;
    for (Integer y = 0; y < 18; ++y)
      for (Integer x = 0; x < 18; ++x) {
        up += g->Pixels(x, y) != clOlive;
        disabled += g->Pixels(18 + x, y) == ColorToRGB(clBtnShadow);
      }
    EXPECT_GT(up, 10);
    EXPECT_GT(disabled, 10);
  }
  // Kinds draw different pictures.
  TCanvas* ok = TBitBtn::KindGlyph(bkOK)->Canvas();
  TCanvas* cancel = TBitBtn::KindGlyph(bkCancel)->Canvas();
  Integer differ = 0;
  for (Integer y = 0; y < 18; ++y)
    for (Integer x = 0; x < 18; ++x) differ += ok->Pixels(x, y) != cancel->Pixels(x, y);
  EXPECT_GT(differ, 10);
  EXPECT_EQ(TBitBtn::KindGlyph(bkCustom), nullptr);
}

TEST(BitBtn, KindReadsBackCustomOnceAPresetNoLongerMatches) {
  auto glyph = MakeGlyph(16, {clRed});
  struct Case {
    const char* What;
    std::function<void(TBitBtn&)> Change;
    TBitBtnKind Want;
  };
  const Case cases[] = {
      {"caption", [](TBitBtn& b) { b.SetCaption("Fine"); }, bkOK},
      {"layout", [](TBitBtn& b) { b.SetLayout(blGlyphTop); }, bkOK},
      {"default", [](TBitBtn& b) { b.SetDefault(false); }, bkCustom},
      {"cancel", [](TBitBtn& b) { b.SetCancel(true); }, bkCustom},
      {"modal result", [](TBitBtn& b) { b.SetModalResult(mrYes); }, bkCustom},
      {"glyph", [&](TBitBtn& b) { b.SetGlyph(glyph.get()); }, bkCustom},
      {"glyph drawn on", [](TBitBtn& b) { b.Glyph()->Canvas()->SetPixels(3, 3, clRed); }, bkCustom},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.What);
    TBitBtn b(nullptr);
    b.SetKind(bkOK);
    c.Change(b);
    EXPECT_EQ(b.Kind(), c.Want);
    // Once custom it stays custom, even when the values match again.
    if (c.Want == bkCustom) {
      b.SetDefault(true);
      b.SetCancel(false);
      b.SetModalResult(mrOk);
      EXPECT_EQ(b.Kind(), bkCustom);
    }
  }
  // A strip of cells sets NumGlyphs; setting a kind again restores its glyph.
  TBitBtn b(nullptr);
  auto strip = MakeGlyph(16, {clRed, clBlue, clGreen});
  b.SetGlyph(strip.get());
  EXPECT_EQ(b.NumGlyphs(), 3);
  b.SetKind(bkNo);
  EXPECT_EQ(b.Kind(), bkNo);
  EXPECT_EQ(b.NumGlyphs(), 2);
  EXPECT_EQ(b.Glyph()->Width(), 36);
  b.SetNumGlyphs(9);
  EXPECT_EQ(b.NumGlyphs(), 4);
}

TEST(BitBtn, ClicksAndKeysEndShowModalWithTheKindsResult) {
  enum TPress { Click, Enter, Escape };
  struct Case {
    TBitBtnKind Kind;
    TPress Press;
    TModalResult Want;
    int OnClickCalls;
  };
  const Case cases[] = {
      {bkOK, Click, mrOk, 1},        {bkRetry, Click, mrRetry, 1}, {bkAll, Click, mrAll, 1},
      {bkYes, Enter, mrYes, 1},      {bkNo, Escape, mrNo, 1},      {bkCancel, Escape, mrCancel, 1},
      // Close closes the form (a modal one ends with mrCancel) instead of running OnClick.
      {bkClose, Click, mrCancel, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(GetEnumName(c.Kind));
    TForm* dialog = NewForm();
    auto* edit = new TEdit(dialog);
    edit->SetParent(dialog);
    auto* btn = new TBitBtn(dialog);
    btn->SetParent(dialog);
    btn->SetBounds(10, 40, 90, 28);
    btn->SetKind(c.Kind);
    int clicks = 0;
    btn->OnClick = [&](TObject*) { ++clicks; };
    TOneShot press(20, [&] {
      if (c.Press == Click) {
        PostMessageW(btn->Handle(), BM_CLICK, 0, 0);
      } else {
        edit->SetFocus();
        PostMessageW(edit->Handle(), WM_KEYDOWN, c.Press == Enter ? VK_RETURN : VK_ESCAPE, 1);
      }
    });
    EXPECT_EQ(dialog->ShowModal(), c.Want);
    EXPECT_EQ(clicks, c.OnClickCalls);
    delete dialog;
  }
}

TEST(BitBtn, AQuickSecondClickIsAnotherClick) {
  TForm* form = NewForm();
  auto* btn = new TBitBtn(form);
  btn->SetParent(form);
  btn->SetBounds(10, 10, 80, 30);
  int clicks = 0, doubles = 0;
  btn->OnClick = [&](TObject*) { ++clicks; };
  btn->OnDblClick = [&](TObject*) { ++doubles; };
  form->Show();
  HWND h = btn->Handle();
  LPARAM at = MAKELPARAM(20, 10);
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(h, WM_LBUTTONUP, 0, at);
  SendMessageW(h, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
  SendMessageW(h, WM_LBUTTONUP, 0, at);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(doubles, 0);
  delete form;
}

TEST(BitBtn, GlyphAndCaptionArePaintedWhereTheLayoutPutsThem) {
  TForm* form = NewForm();
  form->SetColor(clBtnFace);
  auto* btn = new TBitBtn(form);
  btn->SetParent(form);
  btn->SetBounds(10, 10, 100, 30);
  auto glyph = MakeGlyph(16, {clRed});
  btn->SetGlyph(glyph.get());
  form->Show();

  // The frame takes 2 pixels on each side: the glyph is laid out in 96x26 from (2, 2).
  struct Case {
    TButtonLayout Layout;
    Integer Margin;
    TPoint Where;  // top-left of the glyph (its coloured part starts 2 pixels in)
  };
  const Case cases[] = {
      {blGlyphLeft, -1, Point(2 + 40, 2 + 5)},  {blGlyphLeft, 4, Point(2 + 4, 2 + 5)},
      {blGlyphRight, 4, Point(2 + 76, 2 + 5)},  {blGlyphTop, 0, Point(2 + 40, 2)},
      {blGlyphBottom, 1, Point(2 + 40, 2 + 9)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << GetEnumName(c.Layout) << " margin " << c.Margin);
    btn->SetLayout(c.Layout);
    btn->SetMargin(c.Margin);
    auto shot = Shot(btn);
    TCanvas* s = shot->Canvas();
    EXPECT_EQ(s->Pixels(c.Where.X + 2, c.Where.Y + 2), clRed);
    EXPECT_EQ(s->Pixels(c.Where.X + 13, c.Where.Y + 13), clRed);
    // The olive border of the cell is transparent: the face shows through.
    EXPECT_EQ(s->Pixels(c.Where.X + 1, c.Where.Y + 1), ColorToRGB(clBtnFace));
    EXPECT_EQ(s->Pixels(c.Where.X + 14, c.Where.Y + 8), ColorToRGB(clBtnFace));
  }

  // With a caption the pair is centred together: glyph, spacing 4, text.
  btn->SetLayout(blGlyphLeft);
  btn->SetMargin(-1);
  btn->SetCaption("Go");
  TBitmap measure;
  measure.Canvas()->SetFont(btn->Font());
  Integer tw = measure.Canvas()->TextWidth("Go");
  Integer gx = 2 + (96 - (16 + 4 + tw) + 1) / 2;
  {
    auto shot = Shot(btn);
    EXPECT_EQ(shot->Canvas()->Pixels(gx + 2, 9), clRed);
    EXPECT_EQ(shot->Canvas()->Pixels(gx + 1, 9), ColorToRGB(clBtnFace));
    // Some text pixels right of the glyph.
    Integer ink = 0;
    for (Integer y = 2; y < 28; ++y)
      for (Integer x = gx + 20; x < gx + 20 + tw; ++x) ink += shot->Canvas()->Pixels(x, y) == ColorToRGB(clBtnText);
    EXPECT_GT(ink, 5);
  }

  // Pressed: everything moves one pixel down and right.
  SendMessageW(btn->Handle(), BM_SETSTATE, TRUE, 0);
  {
    auto shot = Shot(btn);
    EXPECT_EQ(shot->Canvas()->Pixels(gx + 2, 9), ColorToRGB(clBtnFace));
    EXPECT_EQ(shot->Canvas()->Pixels(gx + 3, 10), clRed);
  }
  SendMessageW(btn->Handle(), BM_SETSTATE, FALSE, 0);

  // Disabled with one cell: an embossed grey glyph and a grey caption.
  btn->SetEnabled(false);
  {
    auto shot = Shot(btn);
    EXPECT_EQ(shot->Canvas()->Pixels(gx + 2, 9), ColorToRGB(clBtnShadow));
    EXPECT_EQ(shot->Canvas()->Pixels(gx + 14, 14 + 2), ColorToRGB(clBtnHighlight));
    Integer black = 0;
    for (Integer y = 2; y < 28; ++y)
      for (Integer x = gx + 20; x < gx + 20 + tw; ++x) black += shot->Canvas()->Pixels(x, y) == ColorToRGB(clBtnText);
    EXPECT_EQ(black, 0);
  }
  // Disabled with a disabled cell: that cell.
  auto two = MakeGlyph(16, {clRed, clBlue});
  btn->SetGlyph(two.get());
  EXPECT_EQ(btn->NumGlyphs(), 2);
  EXPECT_EQ(Shot(btn)->Canvas()->Pixels(gx + 2, 9), clBlue);
  btn->SetEnabled(true);
  EXPECT_EQ(Shot(btn)->Canvas()->Pixels(gx + 2, 9), clRed);
  delete form;
}

TEST(BitBtn, DefaultFrameAndFocusRectangle) {
  TForm* form = NewForm();
  auto* edit = new TEdit(form);  // first in the tab order: focused when the form shows
  edit->SetParent(form);
  edit->SetBounds(10, 100, 80, 20);
  auto* other = new TBitBtn(form);
  other->SetParent(form);
  other->SetBounds(120, 10, 80, 30);
  auto* btn = new TBitBtn(form);
  btn->SetParent(form);
  btn->SetBounds(10, 10, 80, 30);
  form->Show();
  auto frameAndFocus = [&](bool& Frame, bool& Focus) {
    auto shot = Shot(btn);
    Frame = shot->Canvas()->Pixels(0, 15) == ColorToRGB(clWindowFrame);
    Integer marks = 0;
    for (Integer x = 6; x < 74; ++x) marks += shot->Canvas()->Pixels(x, 4) != ColorToRGB(clBtnFace);
    Focus = marks > 10;
  };
  bool frame = false, focus = false;
  frameAndFocus(frame, focus);
  EXPECT_FALSE(frame);
  EXPECT_FALSE(focus);
  // The default button shows the dark frame while no other button has the focus.
  btn->SetKind(bkOK);
  frameAndFocus(frame, focus);
  EXPECT_TRUE(frame);
  EXPECT_FALSE(focus);
  // The window stays owner-drawn through default changes.
  EXPECT_EQ(GetWindowLongW(btn->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
  other->SetFocus();
  frameAndFocus(frame, focus);
  EXPECT_FALSE(frame);
  EXPECT_EQ(GetWindowLongW(btn->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
  btn->SetFocus();
  frameAndFocus(frame, focus);
  EXPECT_TRUE(frame);
  EXPECT_TRUE(focus);
  edit->SetFocus();
  frameAndFocus(frame, focus);
  EXPECT_TRUE(frame);
  EXPECT_FALSE(focus);
  delete form;
}

// ---------------------------------------------------------------------------
class TfrmBits : public TForm {
 public:
  T_CLASSNAME(TfrmBits)
  using TForm::TForm;
  TBitBtn* btnStop = nullptr;
  TBitBtn* btnOK = nullptr;
  TBitBtn* btnGo = nullptr;
  TBitBtn* btnPlain = nullptr;
  TAction* actGo = nullptr;
  std::vector<std::string> calls;
  void actGoExecute(TObject*) { calls.push_back("go"); }
  void btnPlainClick(TObject*) { calls.push_back("plain"); }
};

const bool bitbtnClassesRegistered = [] {
  RegisterClassInfo<TfrmBits, TForm>("TfrmBits");
  RegisterHandlers<TfrmBits>({{"actGoExecute", &TfrmBits::actGoExecute}, {"btnPlainClick", &TfrmBits::btnPlainClick}});
  RegisterFields<TfrmBits>({{"btnStop", &TfrmBits::btnStop},
                            {"btnOK", &TfrmBits::btnOK},
                            {"btnGo", &TfrmBits::btnGo},
                            {"btnPlain", &TfrmBits::btnPlain},
                            {"actGo", &TfrmBits::actGo}});
  return true;
}();

const char* const kBitsForm =
    "object frmBits: TfrmBits\n"
    "  Caption = 'Bits'\n"
    "  ClientHeight = 160\n"
    "  ClientWidth = 240\n"
    "  object btnStop: TBitBtn\n"
    "    Left = 8\n"
    "    Top = 8\n"
    "    Width = 90\n"
    "    Height = 28\n"
    "    Caption = 'Stop'\n"
    "    TabOrder = 0\n"
    "    Kind = bkCancel\n"
    "  end\n"
    "  object btnOK: TBitBtn\n"
    "    Left = 8\n"
    "    Top = 40\n"
    "    TabOrder = 1\n"
    "    Kind = bkOK\n"
    "  end\n"
    "  object btnGo: TBitBtn\n"
    "    Left = 8\n"
    "    Top = 72\n"
    "    Action = actGo\n"
    "    Layout = blGlyphRight\n"
    "    Margin = 6\n"
    "    Spacing = 2\n"
    "    TabOrder = 2\n"
    "  end\n"
    "  object btnPlain: TBitBtn\n"
    "    Left = 8\n"
    "    Top = 104\n"
    "    Caption = '&Apply'\n"
    "    TabOrder = 3\n"
    "    OnClick = btnPlainClick\n"
    "  end\n"
    "  object alMain: TActionList\n"
    "    object actGo: TAction\n"
    "      Caption = '&Go'\n"
    "      OnExecute = actGoExecute\n"
    "    end\n"
    "  end\n"
    "end\n";

TEST(BitBtn, FormFileWithKindsActionsAndGlyphsReadsBack) {
  TfrmBits form(nullptr);
  ReadComponentFromText(kBitsForm, &form);
  ASSERT_NE(form.btnStop, nullptr);
  ASSERT_NE(form.btnGo, nullptr);
  // A caption given by the form survives the kind read after it.
  EXPECT_EQ(form.btnStop->Caption(), "Stop");
  EXPECT_EQ(form.btnStop->Kind(), bkCancel);
  EXPECT_TRUE(form.btnStop->Cancel());
  EXPECT_EQ(form.btnStop->ModalResult(), mrCancel);
  EXPECT_EQ(form.btnOK->Caption(), "OK");
  EXPECT_TRUE(form.btnOK->Default());
  EXPECT_EQ(form.btnGo->Action(), form.actGo);
  EXPECT_EQ(form.btnGo->Caption(), "&Go");
  EXPECT_EQ(form.btnGo->Layout(), blGlyphRight);
  EXPECT_EQ(form.btnGo->Margin(), 6);
  EXPECT_EQ(form.btnGo->Spacing(), 2);
  EXPECT_EQ(form.btnPlain->Kind(), bkCustom);
  EXPECT_EQ(form.btnPlain->Caption(), "&Apply");
  EXPECT_TRUE(form.btnPlain->Glyph()->Empty());

  // Clicks through the windows.
  form.Show();
  SendMessageW(form.btnGo->Handle(), BM_CLICK, 0, 0);
  SendMessageW(form.btnPlain->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(form.calls, (std::vector<std::string>{"go", "plain"}));

  // Written back: the kind stands for its presets; a custom glyph is stored with its pixels.
  auto glyph = MakeGlyph(16, {clRed, clBlue});
  form.btnPlain->SetGlyph(glyph.get());
  std::string text = WriteComponentToText(&form);
  EXPECT_NE(text.find("Kind = bkCancel"), std::string::npos) << text;
  EXPECT_NE(text.find("Caption = 'Stop'"), std::string::npos);
  EXPECT_EQ(text.find("ModalResult"), std::string::npos);
  EXPECT_EQ(text.find("Cancel = True"), std::string::npos);
  EXPECT_EQ(text.find("Caption = 'OK'"), std::string::npos);
  EXPECT_NE(text.find("Action = actGo"), std::string::npos);
  EXPECT_NE(text.find("Glyph.Data"), std::string::npos);
  EXPECT_NE(text.find("NumGlyphs = 2"), std::string::npos);

  TfrmBits copy(nullptr);
  ReadComponentFromText(text, &copy);
  EXPECT_EQ(copy.btnStop->Kind(), bkCancel);
  EXPECT_EQ(copy.btnStop->Caption(), "Stop");
  EXPECT_EQ(copy.btnOK->Kind(), bkOK);
  EXPECT_EQ(copy.btnOK->Caption(), "OK");
  EXPECT_EQ(copy.btnGo->Action(), copy.actGo);
  EXPECT_EQ(copy.btnPlain->NumGlyphs(), 2);
  ASSERT_EQ(copy.btnPlain->Glyph()->Width(), 32);
  EXPECT_EQ(copy.btnPlain->Glyph()->Canvas()->Pixels(20, 8), clBlue);
  EXPECT_EQ(copy.btnPlain->Kind(), bkCustom);
}

}  // namespace
