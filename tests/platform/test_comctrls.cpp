// Status bar, progress bar, track bar and up-down headless.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ComCtrls.h"
#include "platform/Forms.h"
#include "tests/support/ui.h"

#include <commctrl.h>

namespace {

using testui::NewForm;

TEST(StatusBar, PanelsTextAndOwnerDrawnPanels) {
  TForm* form = NewForm(400, 200);
  auto* sb = new TStatusBar(form);
  sb->SetParent(form);
  // As the editor's main window lays it out: two owner-drawn panels and a text panel.
  TStatusPanel* p0 = sb->Panels()->Add();
  p0->SetStyle(psOwnerDraw);
  p0->SetWidth(20);
  TStatusPanel* p1 = sb->Panels()->Add();
  p1->SetStyle(psOwnerDraw);
  p1->SetWidth(225);
  TStatusPanel* p2 = sb->Panels()->Add();
  p2->SetWidth(50);
  p2->SetText("Ready");
  std::vector<std::pair<Integer, TRect>> drawn;
  sb->OnDrawPanel = [&](TStatusBar* S, TStatusPanel* P, TRect R) {
    drawn.emplace_back(P->Index(), R);
    S->Canvas()->Brush()->SetColor(P->Index() == 0 ? clRed : clLime);
    S->Canvas()->FillRect(R);
  };
  form->Show();
  EXPECT_EQ(sb->Align(), alBottom);
  EXPECT_EQ(sb->Top() + sb->Height(), 200);
  HWND h = sb->Handle();
  EXPECT_EQ(SendMessageW(h, SB_GETPARTS, 0, 0), 3);
  int rights[3];
  SendMessageW(h, SB_GETPARTS, 3, reinterpret_cast<LPARAM>(rights));
  EXPECT_EQ(rights[0], 20);
  EXPECT_EQ(rights[1], 245);
  EXPECT_EQ(rights[2], -1);  // the last panel takes the rest
  wchar_t text[32] = {};
  SendMessageW(h, SB_GETTEXTW, 2, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, L"Ready");

  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(400, sb->Height());
  drawn.clear();
  sb->PaintTo(bmp.Canvas(), 0, 0);
  ASSERT_GE(drawn.size(), 2u);
  TRect r0 = sb->PanelRect(0), r1 = sb->PanelRect(1);
  EXPECT_EQ(bmp.Canvas()->Pixels((r0.Left + r0.Right) / 2, (r0.Top + r0.Bottom) / 2), clRed);
  EXPECT_EQ(bmp.Canvas()->Pixels((r1.Left + r1.Right) / 2, (r1.Top + r1.Bottom) / 2), clLime);

  // Changing a panel's text reaches the window; simple mode shows one text.
  p2->SetText("Frame 3 of 9");
  SendMessageW(h, SB_GETTEXTW, 2, reinterpret_cast<LPARAM>(text));
  EXPECT_STREQ(text, L"Frame 3 of 9");
  sb->SetSimplePanel(true);
  sb->SetSimpleText("Loading");
  EXPECT_TRUE(SendMessageW(h, SB_ISSIMPLE, 0, 0));
  sb->SetSimplePanel(false);
  EXPECT_FALSE(SendMessageW(h, SB_ISSIMPLE, 0, 0));
  EXPECT_EQ(SendMessageW(h, SB_GETPARTS, 0, 0), 3);
  delete form;
}

TEST(ProgressBar, RangePositionAndStepping) {
  TForm* form = NewForm(400, 200);
  auto* pb = new TProgressBar(form);
  pb->SetParent(form);
  pb->SetPosition(150);  // clamped before the window exists
  EXPECT_EQ(pb->Position(), 100);
  pb->SetPosition(30);
  form->Show();
  EXPECT_EQ(SendMessageW(pb->Handle(), PBM_GETPOS, 0, 0), 30);
  pb->StepIt();
  EXPECT_EQ(pb->Position(), 40);
  pb->SetStep(25);
  pb->SetPosition(90);
  pb->StepIt();  // past the end wraps, as the window class does
  EXPECT_EQ(pb->Position(), 15);
  pb->SetMax(10);
  EXPECT_EQ(pb->Position(), 10);
  EXPECT_EQ(SendMessageW(pb->Handle(), PBM_GETRANGE, FALSE, 0), 10);
  pb->SetPosition(-5);
  EXPECT_EQ(pb->Position(), 0);
  delete form;
}

TEST(TrackBarAndUpDown, PositionsChangeEventsAndAssociate) {
  TForm* form = NewForm(400, 200);
  auto* tb = new TTrackBar(form);
  tb->SetParent(form);
  tb->SetMax(20);
  tb->SetThumbLength(10);
  int changes = 0;
  tb->OnChange = [&](TObject*) { ++changes; };
  form->Show();
  tb->SetPosition(5);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(SendMessageW(tb->Handle(), TBM_GETPOS, 0, 0), 5);
  tb->SetPosition(50);
  EXPECT_EQ(tb->Position(), 20);
  EXPECT_EQ(changes, 2);
  // A key moving the thumb reports through the parent's WM_HSCROLL.
  tb->SetFocus();
  SendMessageW(tb->Handle(), WM_KEYDOWN, VK_LEFT, 1);
  EXPECT_EQ(tb->Position(), 19);
  EXPECT_EQ(changes, 3);
  EXPECT_EQ(SendMessageW(tb->Handle(), TBM_GETTHUMBLENGTH, 0, 0), 10);

  auto* edit = new TEdit(form);
  edit->SetParent(form);
  edit->SetBounds(10, 60, 40, 21);
  auto* ud = new TUpDown(form);
  ud->SetParent(form);
  ud->SetMax(255);
  ud->SetAssociate(edit);
  EXPECT_EQ(ud->Left(), 50);
  EXPECT_EQ(edit->Text(), "0");
  ud->SetPosition(300);
  EXPECT_EQ(ud->Position(), 255);
  EXPECT_EQ(edit->Text(), "255");
  ud->SetMax(5000);
  ud->SetPosition(1234);
  EXPECT_EQ(edit->Text(), "1,234");
  ud->SetThousands(false);
  ud->SetPosition(4321);
  EXPECT_EQ(edit->Text(), "4321");
  delete form;
}

}  // namespace

namespace {

TEST(ImageList, AddDrawMasksAndChangeLinks) {
  auto* list = new TImageList(nullptr);
  list->SetWidth(8);
  list->SetHeight(8);
  TChangeLink link;
  int changes = 0;
  link.OnChange = [&](TObject*) { ++changes; };
  list->RegisterChanges(&link);
  EXPECT_EQ(link.Sender(), list);

  // Two images side by side in one strip; magenta is transparent.
  TBitmap strip;
  strip.SetPixelFormat(pf24bit);
  strip.SetSize(16, 8);
  strip.Canvas()->Brush()->SetColor(clRed);
  strip.Canvas()->FillRect(Rect(0, 0, 8, 8));
  strip.Canvas()->Brush()->SetColor(clBlue);
  strip.Canvas()->FillRect(Rect(8, 0, 16, 8));
  strip.Canvas()->Brush()->SetColor(clFuchsia);
  strip.Canvas()->FillRect(Rect(0, 0, 4, 4));
  EXPECT_EQ(list->AddMasked(&strip, clFuchsia), 0);
  EXPECT_EQ(list->Count(), 2);
  EXPECT_EQ(changes, 1);

  // An explicit mask: white marks transparent pixels.
  TBitmap img, mask;
  img.SetPixelFormat(pf24bit);
  img.SetSize(8, 8);
  img.Canvas()->Brush()->SetColor(clLime);
  img.Canvas()->FillRect(Rect(0, 0, 8, 8));
  mask.SetSize(8, 8);
  mask.Canvas()->Brush()->SetColor(clBlack);
  mask.Canvas()->FillRect(Rect(0, 0, 8, 8));
  mask.Canvas()->Brush()->SetColor(clWhite);
  mask.Canvas()->FillRect(Rect(4, 4, 8, 8));
  EXPECT_EQ(list->Add(&img, &mask), 2);
  EXPECT_EQ(changes, 2);
  EXPECT_NE(list->Handle(), nullptr);

  TBitmap out;
  out.SetPixelFormat(pf24bit);
  out.SetSize(40, 10);
  out.Canvas()->Brush()->SetColor(clWhite);
  out.Canvas()->FillRect(Rect(0, 0, 40, 10));
  for (Integer i = 0; i < 3; ++i) list->Draw(out.Canvas(), i * 10, 1, i);
  TCanvas* c = out.Canvas();
  EXPECT_EQ(c->Pixels(1, 2), clWhite);  // masked corner
  EXPECT_EQ(c->Pixels(6, 6), clRed);
  EXPECT_EQ(c->Pixels(12, 2), clBlue);
  EXPECT_EQ(c->Pixels(21, 2), clLime);
  EXPECT_EQ(c->Pixels(26, 7), clWhite);  // white in the mask
  list->Draw(c, 35, 1, 7);               // no such image: nothing
  EXPECT_EQ(c->Pixels(36, 2), clWhite);

  // Disabled: the image's shape in shadow, a highlight edge one pixel below
  // and right of it, transparent pixels untouched; no image colour survives.
  c->Brush()->SetColor(clYellow);
  c->FillRect(Rect(0, 0, 40, 10));
  list->Draw(c, 0, 0, 0, false);
  EXPECT_EQ(c->Pixels(1, 1), clYellow);  // masked corner
  EXPECT_EQ(c->Pixels(6, 6), ColorToRGB(clBtnShadow));
  EXPECT_EQ(c->Pixels(8, 6), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(c->Pixels(6, 8), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(c->Pixels(9, 9), clYellow);
  for (Integer y = 0; y < 10; ++y)
    for (Integer x = 0; x < 10; ++x) EXPECT_NE(c->Pixels(x, y), clRed) << x << "," << y;

  list->Delete(0);
  EXPECT_EQ(list->Count(), 2);
  EXPECT_THROW(list->Delete(5), EInvalidOperation);
  list->BeginUpdate();
  list->Clear();
  list->Clear();
  EXPECT_EQ(changes, 3);  // held back while updating
  list->EndUpdate();
  EXPECT_EQ(changes, 4);
  EXPECT_EQ(list->Count(), 0);
  delete list;
  EXPECT_EQ(link.Sender(), nullptr);
}

}  // namespace
