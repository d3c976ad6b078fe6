// The scroll box headless: ranges that follow the children plus the margins,
// positions that move the children, the scroll-bar messages, aligned children
// scrolled with the content, and the scroll bars as nested objects of a form file.
#include <gtest/gtest.h>

#include <string>

#include "platform/ExtCtrls.h"
#include "platform/FormReader.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"
#include "tests/support/ui.h"

namespace {

using testui::NewForm;

// A box without a border, so that its client area is its size less the bars.
TScrollBox* NewBox(TForm* Form, Integer W, Integer H) {
  auto* box = new TScrollBox(Form);
  box->SetParent(Form);
  box->SetBorderStyle(bsNone);
  box->SetBounds(0, 0, W, H);
  return box;
}

TPanel* NewChild(TScrollBox* Box, Integer L, Integer T, Integer W, Integer H) {
  auto* p = new TPanel(Box->Owner());
  p->SetParent(Box);
  p->SetBounds(L, T, W, H);
  return p;
}

bool HasStyle(TWinControl* C, LONG Bit) { return (GetWindowLongW(C->Handle(), GWL_STYLE) & Bit) != 0; }

SCROLLINFO BarInfo(TWinControl* C, int Bar) {
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  GetScrollInfo(C->Handle(), Bar, &si);
  return si;
}

void Scroll(TWinControl* C, UINT Msg, Word Code, Word Pos = 0) {
  SendMessageW(C->Handle(), Msg, MAKEWPARAM(Code, Pos), 0);
}

// ---------------------------------------------------------------------------
TEST(ScrollBox, RangeIsTheChildrenExtentPlusTheMarginAndPositionMovesThem) {
  TForm* form = NewForm();
  form->Show();
  TScrollBox* box = NewBox(form, 100, 80);
  box->HorzScrollBar()->SetMargin(10);
  box->VertScrollBar()->SetMargin(10);
  TPanel* child = NewChild(box, 0, 0, 150, 50);

  // Wider content than the box: a horizontal bar; 50 + 10 fits below it.
  EXPECT_EQ(box->HorzScrollBar()->Range(), 160);
  EXPECT_EQ(box->VertScrollBar()->Range(), 60);
  EXPECT_TRUE(HasStyle(box, WS_HSCROLL));
  EXPECT_FALSE(HasStyle(box, WS_VSCROLL));
  EXPECT_TRUE(box->HorzScrollBar()->IsScrollBarVisible());
  EXPECT_EQ(box->ClientWidth(), 100);
  EXPECT_EQ(box->ClientHeight(), 80 - GetSystemMetrics(SM_CYHSCROLL));
  // The bar can move the content by its range less the client width.
  SCROLLINFO si = BarInfo(box, SB_HORZ);
  EXPECT_EQ(si.nMax - static_cast<int>(si.nPage) + 1, 60);

  box->HorzScrollBar()->SetPosition(30);
  EXPECT_EQ(child->Left(), -30);
  EXPECT_EQ(GetScrollPos(box->Handle(), SB_HORZ), 30);
  // Clamped to what the content allows, both ways.
  box->HorzScrollBar()->SetPosition(500);
  EXPECT_EQ(box->HorzScrollBar()->Position(), 60);
  EXPECT_EQ(child->Left(), -60);
  box->HorzScrollBar()->SetPosition(-5);
  EXPECT_EQ(box->HorzScrollBar()->Position(), 0);
  EXPECT_EQ(child->Left(), 0);

  // A taller child brings the vertical bar, which narrows the client area.
  TPanel* tall = NewChild(box, 0, 60, 20, 100);
  EXPECT_EQ(box->VertScrollBar()->Range(), 170);
  EXPECT_TRUE(HasStyle(box, WS_VSCROLL));
  EXPECT_EQ(box->ClientWidth(), 100 - GetSystemMetrics(SM_CXVSCROLL));
  box->ScrollTo(15, 25);
  EXPECT_EQ(child->Left(), -15);
  EXPECT_EQ(tall->Top(), 35);

  // Scrolled children keep their place in the content: the range does not grow.
  EXPECT_EQ(box->HorzScrollBar()->Range(), 160);
  EXPECT_EQ(box->VertScrollBar()->Range(), 170);
  // A child placed while scrolled counts from the content's origin.
  NewChild(box, 200, 0, 10, 10);
  EXPECT_EQ(box->HorzScrollBar()->Range(), 15 + 210 + 10);
  delete form;
}

TEST(ScrollBox, ScrollMessagesMoveByIncrementPageAndThumb) {
  TForm* form = NewForm();
  form->Show();
  TScrollBox* box = NewBox(form, 100, 100);
  TPanel* child = NewChild(box, 0, 0, 60, 400);
  const Integer page = box->ClientHeight();
  const Integer last = 400 - page;
  struct Case {
    Word Code;
    Word ThumbPos;
    bool Tracking;
    Integer From;
    Integer Want;
  };
  const Case cases[] = {
      {SB_LINEDOWN, 0, false, 0, 8},         {SB_LINEUP, 0, false, 8, 0},
      {SB_LINEUP, 0, false, 0, 0},           {SB_PAGEDOWN, 0, false, 10, 10 + page},
      {SB_PAGEUP, 0, false, 10 + page, 10},  {SB_BOTTOM, 0, false, 0, last},
      {SB_TOP, 0, false, last, 0},           {SB_THUMBPOSITION, 123, false, 0, 123},
      {SB_THUMBTRACK, 77, false, 0, 0},      {SB_THUMBTRACK, 77, true, 0, 77},
      {SB_PAGEDOWN, 0, false, last - 5, last},
  };
  for (const Case& c : cases) {
    box->VertScrollBar()->SetTracking(c.Tracking);
    box->VertScrollBar()->SetPosition(c.From);
    Scroll(box, WM_VSCROLL, c.Code, c.ThumbPos);
    EXPECT_EQ(box->VertScrollBar()->Position(), c.Want) << "code " << c.Code << " from " << c.From;
    EXPECT_EQ(child->Top(), -c.Want) << "code " << c.Code;
  }
  box->VertScrollBar()->SetIncrement(20);
  box->VertScrollBar()->SetPosition(0);
  Scroll(box, WM_VSCROLL, SB_LINEDOWN);
  EXPECT_EQ(child->Top(), -20);
  delete form;
}

TEST(ScrollBox, RangeFollowsChildrenUntilSetByHand) {
  TForm* form = NewForm();
  form->Show();
  TScrollBox* box = NewBox(form, 100, 100);
  TPanel* a = NewChild(box, 10, 10, 200, 20);
  EXPECT_EQ(box->HorzScrollBar()->Range(), 210);
  // Moving, hiding and removing a child changes the range.
  a->SetLeft(50);
  EXPECT_EQ(box->HorzScrollBar()->Range(), 250);
  a->SetVisible(false);
  EXPECT_EQ(box->HorzScrollBar()->Range(), 0);
  EXPECT_FALSE(HasStyle(box, WS_HSCROLL));
  a->SetVisible(true);
  // Right-aligned children add their width; children anchored to the right
  // edge follow the client area and make no content.
  auto* side = NewChild(box, 0, 0, 30, 10);
  side->SetAlign(alRight);
  EXPECT_EQ(box->HorzScrollBar()->Range(), 280);
  auto* stretch = new TPanel(form);
  stretch->SetAnchors(TAnchors{akLeft, akTop, akRight});
  stretch->SetParent(box);
  stretch->SetBounds(0, 50, 500, 10);
  EXPECT_EQ(box->HorzScrollBar()->Range(), 280);
  delete stretch;
  delete side;
  EXPECT_EQ(box->HorzScrollBar()->Range(), 250);

  // Scrolled to the end, a shrinking content pulls the position back.
  box->HorzScrollBar()->SetPosition(1000);
  EXPECT_EQ(box->HorzScrollBar()->Position(), 150);
  a->SetWidth(120);
  EXPECT_EQ(box->HorzScrollBar()->Range(), 170);
  EXPECT_EQ(box->HorzScrollBar()->Position(), 70);
  EXPECT_EQ(a->Left(), 50 - 70);

  // A range set by code ends the automatic one.
  box->HorzScrollBar()->SetRange(400);
  EXPECT_FALSE(box->AutoScroll());
  a->SetWidth(10);
  EXPECT_EQ(box->HorzScrollBar()->Range(), 400);
  box->HorzScrollBar()->SetPosition(1000);
  EXPECT_EQ(box->HorzScrollBar()->Position(), 300);
  // A hidden bar scrolls nothing and shows nothing.
  box->HorzScrollBar()->SetVisible(false);
  EXPECT_EQ(box->HorzScrollBar()->Position(), 0);
  EXPECT_FALSE(HasStyle(box, WS_HSCROLL));
  box->SetAutoScroll(true);
  EXPECT_EQ(box->HorzScrollBar()->Range(), 60);
  delete form;
}

TEST(ScrollBox, AlignedChildrenScrollWithTheContent) {
  TForm* form = NewForm();
  form->Show();
  TScrollBox* box = NewBox(form, 120, 100);
  TPanel* header = NewChild(box, 0, 0, 10, 30);
  header->SetAlign(alTop);
  TPanel* body = NewChild(box, 0, 40, 50, 200);
  EXPECT_EQ(box->VertScrollBar()->Range(), 240);
  box->VertScrollBar()->SetPosition(25);
  EXPECT_EQ(header->Top(), -25);
  EXPECT_EQ(body->Top(), 15);
  EXPECT_EQ(header->Width(), box->ClientWidth());
  // Re-aligning (a new size) keeps the header in its scrolled place.
  box->SetWidth(140);
  EXPECT_EQ(header->Top(), -25);
  EXPECT_EQ(header->Width(), box->ClientWidth());

  // What is painted moves with it: the shape drawn at the scrolled place.
  auto* shape = new TShape(form);
  shape->SetParent(box);
  shape->Brush()->SetColor(clRed);
  shape->Pen()->SetColor(clRed);
  shape->SetBounds(60, 60, 20, 20);  // content 85..105
  TBitmap bmp;
  bmp.SetSize(box->Width(), box->Height());
  box->PaintTo(bmp.Canvas(), 0, 0);
  EXPECT_EQ(ColorToRGB(bmp.Canvas()->Pixels(70, 70)), ColorToRGB(clRed));
  box->VertScrollBar()->SetPosition(45);
  bmp.Canvas()->Brush()->SetColor(clWhite);
  bmp.Canvas()->FillRect(Rect(0, 0, bmp.Width(), bmp.Height()));
  box->PaintTo(bmp.Canvas(), 0, 0);
  EXPECT_EQ(ColorToRGB(bmp.Canvas()->Pixels(70, 50)), ColorToRGB(clRed));
  EXPECT_NE(ColorToRGB(bmp.Canvas()->Pixels(70, 70)), ColorToRGB(clRed));
  delete form;
}

const char* const kPreviewForm =
    "object frmPreview: TForm\n"
    "  BorderStyle = bsNone\n"
    "  ClientHeight = 200\n"
    "  ClientWidth = 300\n"
    "  object sbPreview: TScrollBox\n"
    "    Width = 120\n"
    "    Height = 100\n"
    "    HorzScrollBar.Margin = 10\n"
    "    VertScrollBar.Margin = 10\n"
    "    VertScrollBar.Tracking = True\n"
    "    object pbImage: TPaintBox\n"
    "      Left = 10\n"
    "      Top = 10\n"
    "      Width = 300\n"
    "      Height = 50\n"
    "    end\n"
    "  end\n"
    "end\n";

TEST(ScrollBox, ScrollBarsAreNestedObjectsOfTheFormFile) {
  TForm form(nullptr);
  ReadComponentFromText(kPreviewForm, &form);
  auto* box = dynamic_cast<TScrollBox*>(form.FindComponent("sbPreview"));
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->HorzScrollBar()->Margin(), 10);
  EXPECT_EQ(box->VertScrollBar()->Margin(), 10);
  EXPECT_TRUE(box->VertScrollBar()->Tracking());
  EXPECT_TRUE(box->AutoScroll());
  form.Show();
  auto* pb = dynamic_cast<TPaintBox*>(form.FindComponent("pbImage"));
  ASSERT_NE(pb, nullptr);
  // The image at the margin, wider than the box: scrolled to the end, its
  // right edge stops one margin before the client area's edge.
  EXPECT_EQ(box->HorzScrollBar()->Range(), 320);
  box->HorzScrollBar()->SetPosition(10000);
  EXPECT_EQ(pb->Left() + pb->Width() + 10, box->ClientWidth());

  // Written back: the margins, not the automatic ranges nor the positions
  // at their defaults.
  box->HorzScrollBar()->SetPosition(0);
  std::string text = WriteComponentToText(&form);
  EXPECT_NE(text.find("HorzScrollBar.Margin = 10"), std::string::npos) << text;
  EXPECT_NE(text.find("VertScrollBar.Tracking = True"), std::string::npos) << text;
  EXPECT_EQ(text.find("Range"), std::string::npos) << text;
  EXPECT_EQ(text.find("ScrollBar.Position"), std::string::npos) << text;
  // A stored position goes with children stored at their scrolled places:
  // nothing moves when the window comes.
  TForm scrolled(nullptr);
  ReadComponentFromText(
      "object f: TForm\n"
      "  ClientHeight = 200\n"
      "  ClientWidth = 300\n"
      "  object sb: TScrollBox\n"
      "    Width = 100\n"
      "    Height = 100\n"
      "    BorderStyle = bsNone\n"
      "    HorzScrollBar.Position = 20\n"
      "    object img: TPaintBox\n"
      "      Left = -20\n"
      "      Width = 200\n"
      "      Height = 10\n"
      "    end\n"
      "  end\n"
      "end\n",
      &scrolled);
  scrolled.Show();
  auto* sb = dynamic_cast<TScrollBox*>(scrolled.FindComponent("sb"));
  auto* img = dynamic_cast<TPaintBox*>(scrolled.FindComponent("img"));
  ASSERT_NE(sb, nullptr);
  ASSERT_NE(img, nullptr);
  EXPECT_EQ(sb->HorzScrollBar()->Position(), 20);
  EXPECT_EQ(sb->HorzScrollBar()->Range(), 200);
  EXPECT_EQ(img->Left(), -20);
  EXPECT_EQ(GetScrollPos(sb->Handle(), SB_HORZ), 20);
  sb->HorzScrollBar()->SetPosition(0);
  EXPECT_EQ(img->Left(), 0);
}

}  // namespace
