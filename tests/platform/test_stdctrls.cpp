// Standard controls headless: items of list and combo boxes through their
// windows, owner draw, default and cancel buttons, check and radio boxes,
// image repaint on picture change, painting of a sample form.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Buttons.h"
#include "platform/ComCtrls.h"
#include "platform/ExtCtrls.h"
#include "platform/Forms.h"
#include "platform/StdCtrls.h"
#include "tests/support/png_writer.h"
#include "tests/support/ui.h"

namespace {

using testui::NewForm;
using testui::TOneShot;

// A list box that records the string messages reaching its window procedure.
class TSpyListBox : public TListBox {
 public:
  using TListBox::TListBox;
  std::vector<std::wstring> added;
  void WndProc(TMessage& M) override {
    if (M.Msg == LB_ADDSTRING || M.Msg == LB_INSERTSTRING) added.push_back(reinterpret_cast<const wchar_t*>(M.LParam));
    TListBox::WndProc(M);
  }
};

// ---------------------------------------------------------------------------
TEST(ListBox, ItemsLiveInTheWindowAndSurviveRecreation) {
  TForm* form = NewForm();
  auto* box = new TSpyListBox(form);
  box->SetParent(form);
  // Before the window exists the items wait; they arrive through LB_ADDSTRING.
  box->Items()->Add("alpha");
  box->Items()->Add("beta");
  box->SetItemIndex(1);
  EXPECT_FALSE(box->HandleAllocated());
  HWND h = box->Handle();
  EXPECT_EQ(box->added, (std::vector<std::wstring>{L"alpha", L"beta"}));
  EXPECT_EQ(SendMessageW(h, LB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(box->ItemIndex(), 1);

  // Strings added later go through the window as well; objects ride along.
  TObject marker;
  box->Items()->AddObject("gamma", &marker);
  box->Items()->Insert(0, "zero");
  EXPECT_EQ(box->added.back(), L"zero");
  EXPECT_EQ(box->Items()->Count(), 4);
  EXPECT_EQ(box->Items()->Strings(3), "gamma");
  EXPECT_EQ(box->Items()->Objects(3), &marker);
  EXPECT_EQ(box->Items()->IndexOf("beta"), 2);
  wchar_t buf[32];
  SendMessageW(h, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(buf));
  EXPECT_STREQ(buf, L"zero");

  // Multi-select re-creates the window: items, objects stay.
  box->SetMultiSelect(true);
  EXPECT_EQ(box->Items()->Count(), 4);
  EXPECT_EQ(box->Items()->Objects(3), &marker);
  box->SetSelected(0, true);
  box->SetSelected(3, true);
  EXPECT_EQ(box->SelCount(), 2);
  EXPECT_TRUE(box->Selected(3));
  EXPECT_FALSE(box->Selected(1));
  box->Items()->Delete(0);
  EXPECT_EQ(box->Items()->Strings(0), "alpha");
  EXPECT_THROW(box->Items()->Strings(10), EListError);
  box->Clear();
  EXPECT_EQ(box->Items()->Count(), 0);
  delete form;
}

TEST(ListBox, OwnerDrawVariableMeasuresAndDrawsThroughTheEvents) {
  TForm* form = NewForm();
  auto* box = new TListBox(form);
  box->SetParent(form);
  box->SetBounds(0, 0, 120, 150);
  box->SetStyle(lbOwnerDrawVariable);
  std::vector<Integer> measured, drawn;
  box->OnMeasureItem = [&](TWinControl*, Integer Index, Integer& Height) {
    measured.push_back(Index);
    Height = 10 + Index * 5;
  };
  box->OnDrawItem = [&](TWinControl* C, Integer Index, TRect R, TOwnerDrawState) {
    drawn.push_back(Index);
    auto* lb = static_cast<TListBox*>(C);
    lb->Canvas()->Brush()->SetColor(Index == 1 ? clRed : clBlue);
    lb->Canvas()->FillRect(R);
  };
  for (const char* s : {"a", "b", "c"}) box->Items()->Add(s);
  form->Show();
  EXPECT_EQ(measured, (std::vector<Integer>{0, 1, 2}));
  EXPECT_EQ(box->ItemRect(1).Height(), 15);
  EXPECT_EQ(box->ItemRect(2).Top, 25);
  EXPECT_EQ(box->ItemAtPos(Point(5, 12), true), 1);
  EXPECT_EQ(box->ItemAtPos(Point(5, 140), true), -1);
  EXPECT_EQ(box->ItemAtPos(Point(5, 140), false), 3);

  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(120, 150);
  box->PaintTo(bmp.Canvas(), 0, 0);
  EXPECT_FALSE(drawn.empty());
  // Row 1 (y 10..24) red, row 2 (25..44) blue, inside the client edge.
  EXPECT_EQ(bmp.Canvas()->Pixels(20, 2 + 17), clRed);
  EXPECT_EQ(bmp.Canvas()->Pixels(20, 2 + 30), clBlue);
  delete form;
}

// ---------------------------------------------------------------------------
TEST(ComboBox, ItemsIndexTextAndChangeThroughTheWindow) {
  TForm* form = NewForm();
  auto* combo = new TComboBox(form);
  combo->SetParent(form);
  combo->Items()->Add("None");
  combo->Items()->Add("Don't Remove");
  combo->Items()->Add("Background");
  combo->SetItemIndex(2);
  EXPECT_EQ(combo->Text(), "Background");
  combo->SetStyle(csDropDownList);
  form->Show();
  EXPECT_EQ(SendMessageW(combo->Handle(), CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(combo->ItemIndex(), 2);
  EXPECT_EQ(combo->Text(), "Background");

  int changes = 0;
  combo->OnChange = [&](TObject*) { ++changes; };
  // Setting the index by code is quiet; a user's choice (CBN_SELCHANGE) reports.
  combo->SetItemIndex(0);
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(combo->Text(), "None");
  SendMessageW(combo->Handle(), CB_SETCURSEL, 1, 0);
  SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo->Handle()), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(combo->Handle()));
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Text(), "Don't Remove");
  // A list-only combo takes a text by choosing the item.
  combo->SetText("None");
  EXPECT_EQ(combo->ItemIndex(), 0);

  // Drop-down style keeps free text; the edit reports typing.
  combo->SetStyle(csDropDown);
  EXPECT_EQ(combo->Items()->Count(), 3);
  combo->SetText("free");
  EXPECT_EQ(combo->Text(), "free");
  EXPECT_NE(combo->EditHandle(), nullptr);
  combo->SetDropDownCount(4);
  EXPECT_EQ(combo->DropDownCount(), 4);
  delete form;
}

// ---------------------------------------------------------------------------
TEST(Buttons, DefaultAndCancelAnswerEnterAndEscapeWithModalResult) {
  struct Case {
    Word Key;
    TModalResult Want;
  };
  for (Case c : {Case{VK_RETURN, mrOk}, Case{VK_ESCAPE, mrCancel}}) {
    TForm* dialog = NewForm();
    auto* edit = new TEdit(dialog);
    edit->SetParent(dialog);
    auto* ok = new TButton(dialog);
    ok->SetParent(dialog);
    ok->SetBounds(10, 40, 75, 25);
    ok->SetCaption("OK");
    ok->SetDefault(true);
    ok->SetModalResult(mrOk);
    auto* cancel = new TButton(dialog);
    cancel->SetParent(dialog);
    cancel->SetBounds(100, 40, 75, 25);
    cancel->SetCaption("Cancel");
    cancel->SetCancel(true);
    cancel->SetModalResult(mrCancel);
    std::vector<std::string> clicked;
    ok->OnClick = [&](TObject*) { clicked.push_back("ok"); };
    cancel->OnClick = [&](TObject*) { clicked.push_back("cancel"); };
    TOneShot press(20, [&] {
      edit->SetFocus();
      PostMessageW(edit->Handle(), WM_KEYDOWN, c.Key, 1);
    });
    EXPECT_EQ(dialog->ShowModal(), c.Want) << "key " << c.Key;
    EXPECT_EQ(clicked, (std::vector<std::string>{c.Want == mrOk ? "ok" : "cancel"}));
    delete dialog;
  }
}

TEST(Buttons, EnterGoesToTheFocusedButtonNotTheDefault) {
  TForm* dialog = NewForm();
  auto* ok = new TButton(dialog);
  ok->SetParent(dialog);
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  auto* other = new TButton(dialog);
  other->SetParent(dialog);
  other->SetLeft(100);
  other->SetModalResult(mrNo);
  TOneShot press(20, [&] {
    other->SetFocus();
    PostMessageW(other->Handle(), WM_KEYDOWN, VK_RETURN, 1);
  });
  EXPECT_EQ(dialog->ShowModal(), mrNo);
  // The default look went back to OK when the focus left the other button.
  delete dialog;
}

TEST(Buttons, CheckBoxAndRadioButtonsToggleAndReportClicks) {
  TForm* form = NewForm();
  auto* check = new TCheckBox(form);
  check->SetParent(form);
  int clicks = 0;
  check->OnClick = [&](TObject*) { ++clicks; };
  form->Show();
  // A click by the user (BM_CLICK makes the window report BN_CLICKED).
  SendMessageW(check->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(check->Checked());
  EXPECT_EQ(SendMessageW(check->Handle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(clicks, 1);
  // Set by code: also reported as a click; the same value is not.
  check->SetChecked(false);
  check->SetChecked(false);
  EXPECT_EQ(clicks, 2);
  check->SetAllowGrayed(true);
  SendMessageW(check->Handle(), BM_CLICK, 0, 0);
  EXPECT_EQ(check->State(), cbGrayed);

  auto* r1 = new TRadioButton(form);
  r1->SetParent(form);
  auto* r2 = new TRadioButton(form);
  r2->SetParent(form);
  r2->SetTop(30);
  r1->SetChecked(true);
  SendMessageW(r2->Handle(), BM_CLICK, 0, 0);
  EXPECT_TRUE(r2->Checked());
  EXPECT_FALSE(r1->Checked());
  EXPECT_EQ(SendMessageW(r1->Handle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  delete form;
}

TEST(Edit, ChangeEventsMaskAndMemoLines) {
  TForm* form = NewForm();
  auto* edit = new TMaskEdit(form);
  edit->SetParent(form);
  int changes = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  form->Show();
  edit->SetText("12");
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(edit->MaskAccepts(0, 'x'));  // no mask: anything
  edit->SetEditMask("000;1;_");
  EXPECT_TRUE(edit->MaskAccepts(1, '7'));
  EXPECT_FALSE(edit->MaskAccepts(1, 'x'));
  EXPECT_FALSE(edit->MaskAccepts(3, '1'));
  edit->SetText("");
  edit->SetFocus();
  for (wchar_t ch : std::wstring(L"4x2")) PostMessageW(edit->Handle(), WM_CHAR, ch, 1);
  Application->ProcessMessages();
  EXPECT_EQ(edit->Text(), "42");

  auto* memo = new TMemo(form);
  memo->SetParent(form);
  memo->SetTop(40);
  memo->Lines()->Add("one");
  memo->Lines()->Add("two");
  memo->Lines()->Insert(1, "half");
  EXPECT_EQ(memo->Text(), "one\r\nhalf\r\ntwo\r\n");
  EXPECT_EQ(memo->Lines()->Count(), 3);
  memo->Lines()->Delete(0);
  EXPECT_EQ(memo->Lines()->Strings(0), "half");
  delete form;
}

// ---------------------------------------------------------------------------
TEST(Image, PictureChangeRepaintsItsAreaAlsoFromAnotherThread) {
  TForm* form = NewForm(200, 150);
  form->SetColor(clWhite);
  auto* image = new TImage(form);
  image->SetParent(form);
  image->SetBounds(20, 20, 100, 80);
  image->SetCenter(true);
  form->Show();
  UpdateWindow(form->Handle());
  ValidateRect(form->Handle(), nullptr);
  RECT upd;

  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(40, 20);
  bmp.Canvas()->Brush()->SetColor(clRed);
  bmp.Canvas()->FillRect(Rect(0, 0, 40, 20));
  image->Picture()->Assign(&bmp);
  ASSERT_TRUE(GetUpdateRect(form->Handle(), &upd, FALSE));
  EXPECT_EQ(upd.left, 20);
  EXPECT_EQ(upd.top, 20);
  EXPECT_EQ(upd.right, 120);
  EXPECT_EQ(upd.bottom, 100);
  UpdateWindow(form->Handle());
  ValidateRect(form->Handle(), nullptr);

  TBitmap shot;
  shot.SetPixelFormat(pf24bit);
  shot.SetSize(200, 150);
  form->PaintTo(shot.Canvas(), 0, 0);
  // Centred: (100-40)/2 = 30, (80-20)/2 = 30 inside the image.
  EXPECT_EQ(shot.Canvas()->Pixels(20 + 30, 20 + 30), clRed);
  EXPECT_EQ(shot.Canvas()->Pixels(20 + 29, 20 + 30), clWhite);
  EXPECT_EQ(shot.Canvas()->Pixels(20 + 69, 20 + 49), clRed);

  // A painter thread changing the graphic invalidates the same area.
  EXPECT_FALSE(GetUpdateRect(form->Handle(), &upd, FALSE));
  auto* pulse = dynamic_cast<TBitmap*>(image->Picture()->Graphic());
  ASSERT_NE(pulse, nullptr);
  HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  TPicture* pic = image->Picture();
  struct Ctx {
    TPicture* pic;
    HANDLE done;
  } ctx{pic, done};
  HANDLE th = CreateThread(
      nullptr, 0,
      [](LPVOID p) -> DWORD {
        auto* c = static_cast<Ctx*>(p);
        c->pic->Graphic()->SetModified(true);  // fires OnChange on this thread
        SetEvent(c->done);
        return 0;
      },
      &ctx, 0, nullptr);
  WaitForSingleObject(done, 5000);
  WaitForSingleObject(th, 5000);
  CloseHandle(th);
  CloseHandle(done);
  ASSERT_TRUE(GetUpdateRect(form->Handle(), &upd, FALSE));
  EXPECT_EQ(upd.left, 20);
  EXPECT_EQ(upd.right, 120);

  // Auto size takes the picture's size.
  image->SetAutoSize(true);
  EXPECT_EQ(image->Width(), 40);
  EXPECT_EQ(image->Height(), 20);
  delete form;
}

// ---------------------------------------------------------------------------
TEST(SpeedButton, GroupsDownAllowAllUpAndGlyph) {
  TForm* form = NewForm(200, 100);
  std::vector<TSpeedButton*> b;
  int clicks = 0;
  for (int i = 0; i < 3; ++i) {
    auto* s = new TSpeedButton(form);
    s->SetParent(form);
    s->SetBounds(10 + i * 30, 10, 23, 22);
    s->SetGroupIndex(1);
    s->OnClick = [&](TObject*) { ++clicks; };
    b.push_back(s);
  }
  form->Show();
  auto press = [&](TSpeedButton* s) {
    LPARAM p = MAKELPARAM(s->Left() + 5, s->Top() + 5);
    SendMessageW(form->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, p);
    SendMessageW(form->Handle(), WM_LBUTTONUP, 0, p);
  };
  press(b[0]);
  EXPECT_TRUE(b[0]->Down());
  press(b[1]);
  EXPECT_FALSE(b[0]->Down());
  EXPECT_TRUE(b[1]->Down());
  press(b[1]);  // stays down without AllowAllUp
  EXPECT_TRUE(b[1]->Down());
  EXPECT_EQ(clicks, 3);
  b[0]->SetAllowAllUp(true);  // shared by the group
  EXPECT_TRUE(b[2]->AllowAllUp());
  press(b[1]);
  EXPECT_FALSE(b[1]->Down());
  b[2]->SetDown(true);
  EXPECT_TRUE(b[2]->Down());
  // A button without a group never stays down.
  auto* plain = new TSpeedButton(form);
  plain->SetParent(form);
  plain->SetBounds(120, 10, 40, 40);
  plain->SetFlat(true);
  plain->SetDown(true);
  EXPECT_FALSE(plain->Down());

  // A two-cell glyph: the first cell shows while enabled; magenta (bottom-left) is transparent.
  TBitmap glyph;
  glyph.SetPixelFormat(pf24bit);
  glyph.SetSize(32, 16);
  glyph.Canvas()->Brush()->SetColor(clFuchsia);
  glyph.Canvas()->FillRect(Rect(0, 0, 32, 16));
  glyph.Canvas()->Brush()->SetColor(clRed);
  glyph.Canvas()->FillRect(Rect(4, 4, 12, 12));
  glyph.Canvas()->Brush()->SetColor(clGray);
  glyph.Canvas()->FillRect(Rect(20, 4, 28, 12));
  plain->SetGlyph(&glyph);
  EXPECT_EQ(plain->NumGlyphs(), 2);
  TBitmap shot;
  shot.SetPixelFormat(pf24bit);
  shot.SetSize(200, 100);
  form->PaintTo(shot.Canvas(), 0, 0);
  // Centred 16x16 glyph in 40x40: origin (132, 22).
  EXPECT_EQ(shot.Canvas()->Pixels(132 + 8, 22 + 8), clRed);
  EXPECT_EQ(shot.Canvas()->Pixels(132 + 1, 22 + 1), ColorToRGB(clBtnFace));
  plain->SetEnabled(false);
  form->PaintTo(shot.Canvas(), 0, 0);
  EXPECT_EQ(shot.Canvas()->Pixels(132 + 8, 22 + 8), clGray);
  // A one-cell glyph has no disabled cell: disabled, it shows embossed in grey
  // (shadow where the ink is, highlight one pixel down and right), not as when enabled.
  glyph.SetSize(16, 16);
  plain->SetGlyph(&glyph);
  plain->SetNumGlyphs(1);
  ASSERT_EQ(plain->NumGlyphs(), 1);
  form->PaintTo(shot.Canvas(), 0, 0);
  EXPECT_EQ(shot.Canvas()->Pixels(132 + 8, 22 + 8), ColorToRGB(clBtnShadow));
  EXPECT_EQ(shot.Canvas()->Pixels(132 + 4, 22 + 4), ColorToRGB(clBtnShadow));
  EXPECT_EQ(shot.Canvas()->Pixels(132 + 12, 22 + 8), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(shot.Canvas()->Pixels(132 + 8, 22 + 12), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(shot.Canvas()->Pixels(132 + 1, 22 + 1), ColorToRGB(clBtnFace));
  plain->SetEnabled(true);
  form->PaintTo(shot.Canvas(), 0, 0);
  EXPECT_EQ(shot.Canvas()->Pixels(132 + 8, 22 + 8), clRed);
  delete form;
}

// ---------------------------------------------------------------------------
// A sample form of several controls painted into a bitmap: pixels checked and
// the picture kept as sample_form.png in the working folder for a person to see.
TEST(SampleForm, PaintToShowsTheControls) {
  TForm* form = NewForm(320, 240);
  form->SetColor(clBtnFace);
  form->Font()->SetName("Tahoma");
  form->Font()->SetHeight(-11);

  auto* panel = new TPanel(form);
  panel->SetParent(form);
  panel->SetBounds(8, 8, 150, 60);
  panel->SetCaption("Panel");
  panel->SetBevelInner(bvLowered);
  auto* label = new TLabel(form);
  label->SetParent(form);
  label->SetBounds(170, 8, 100, 16);
  label->SetCaption("&Delay:");
  auto* edit = new TEdit(form);
  edit->SetParent(form);
  edit->SetBounds(170, 28, 100, 21);
  edit->SetText("0.10");
  auto* shape = new TShape(form);
  shape->SetParent(form);
  shape->SetBounds(8, 80, 40, 40);
  shape->Brush()->SetColor(clRed);
  auto* bevel = new TBevel(form);
  bevel->SetParent(form);
  bevel->SetBounds(60, 80, 90, 2);
  bevel->SetShape(bsTopLine);
  auto* group = new TGroupBox(form);
  group->SetParent(form);
  group->SetBounds(170, 60, 140, 70);
  group->SetCaption("Frame Properties");
  auto* check = new TCheckBox(form);
  check->SetParent(group);
  check->SetBounds(8, 20, 120, 17);
  check->SetCaption("Use Image Transparency");
  check->SetChecked(true);
  auto* combo = new TComboBox(form);
  combo->SetParent(group);
  combo->SetBounds(8, 42, 120, 21);
  combo->SetStyle(csDropDownList);
  combo->Items()->Add("None");
  combo->SetItemIndex(0);
  auto* button = new TButton(form);
  button->SetParent(form);
  button->SetBounds(8, 140, 75, 25);
  button->SetCaption("OK");
  button->SetDefault(true);
  auto* progress = new TProgressBar(form);
  progress->SetParent(form);
  progress->SetBounds(100, 145, 100, 16);
  progress->SetPosition(50);
  auto* status = new TStatusBar(form);
  status->SetParent(form);
  status->Panels()->Add()->SetWidth(60);
  status->Panels()->Items(0)->SetText("Ready");
  status->Panels()->Add()->SetStyle(psOwnerDraw);
  status->Panels()->Items(1)->SetWidth(80);
  status->Panels()->Add();
  status->OnDrawPanel = [&](TStatusBar* S, TStatusPanel*, TRect R) {
    S->Canvas()->Brush()->SetColor(clBlue);
    S->Canvas()->FillRect(R);
  };
  auto* paint = new TPaintBox(form);
  paint->SetParent(form);
  paint->SetBounds(60, 90, 90, 40);
  paint->OnPaint = [&](TObject*) {
    paint->Canvas()->Brush()->SetColor(clLime);
    paint->Canvas()->FillRect(Rect(0, 0, 90, 40));
  };
  form->Show();
  UpdateWindow(form->Handle());

  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(320, 240);
  form->PaintTo(bmp.Canvas(), 0, 0);
  SaveBitmapAsPng(&bmp, "sample_form.png");

  TCanvas* c = bmp.Canvas();
  EXPECT_EQ(c->Pixels(28, 100), clRed);                             // shape's inside
  EXPECT_EQ(c->Pixels(8, 80), clBlack);                             // its pen
  EXPECT_EQ(c->Pixels(100, 110), clLime);                           // paint box
  EXPECT_EQ(c->Pixels(8, 8), ColorToRGB(clBtnHighlight));           // panel raised outer bevel
  EXPECT_EQ(c->Pixels(157, 67), ColorToRGB(clBtnShadow));
  EXPECT_EQ(c->Pixels(9, 9), ColorToRGB(clBtnShadow));              // lowered inner bevel
  EXPECT_EQ(c->Pixels(100, 80), ColorToRGB(clBtnShadow));           // bevel line
  EXPECT_EQ(c->Pixels(100, 81), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(c->Pixels(175, 38), ColorToRGB(clWindow));              // edit's inside
  TRect pr = status->PanelRect(1);
  EXPECT_EQ(c->Pixels(status->Left() + (pr.Left + pr.Right) / 2, status->Top() + (pr.Top + pr.Bottom) / 2),
            clBlue);                                                 // owner-drawn panel
  // Some text of the label and of the panel's caption is drawn (dark pixels).
  auto darkIn = [&](TRect R) {
    for (Integer y = R.Top; y < R.Bottom; ++y)
      for (Integer x = R.Left; x < R.Right; ++x)
        if ((ColorToRGB(c->Pixels(x, y)) & 0xFFFFFF) == 0) return true;
    return false;
  };
  EXPECT_TRUE(darkIn(label->BoundsRect()));
  EXPECT_TRUE(darkIn(Rect(60, 25, 110, 50)));
  EXPECT_TRUE(darkIn(Rect(180, 60, 280, 70)));  // group box caption
  delete form;
}

}  // namespace

// ---------------------------------------------------------------------------
#include "platform/Dialogs.h"
#include "platform/FormReader.h"
#include "platform/Menus.h"

namespace {

const char* const kControlsForm =
    "object frmControls: TForm\n"
    "  ClientHeight = 200\n"
    "  ClientWidth = 300\n"
    "  object lvFiles: TListView\n"
    "    Width = 200\n"
    "    Height = 100\n"
    "    Columns = <\n"
    "      item\n"
    "        Caption = 'Frame'\n"
    "        Width = 120\n"
    "      end\n"
    "      item\n"
    "        Caption = 'Size'\n"
    "        Width = 60\n"
    "      end>\n"
    "    MultiSelect = True\n"
    "    ReadOnly = True\n"
    "    RowSelect = True\n"
    "    HideSelection = False\n"
    "    ViewStyle = vsReport\n"
    "  end\n"
    "  object cboDisposal: TComboBox\n"
    "    Top = 110\n"
    "    Style = csDropDownList\n"
    "    Items.Strings = (\n"
    "      'None'\n"
    "      'Background')\n"
    "    ItemIndex = 1\n"
    "  end\n"
    "  object btnOK: TButton\n"
    "    Top = 140\n"
    "    Caption = 'OK'\n"
    "    Default = True\n"
    "    ModalResult = 1\n"
    "  end\n"
    "  object StatusBar: TStatusBar\n"
    "    Height = 19\n"
    "    Panels = <\n"
    "      item\n"
    "        Style = psOwnerDraw\n"
    "        Width = 20\n"
    "      end\n"
    "      item\n"
    "        Text = 'Ready'\n"
    "        Width = 50\n"
    "      end>\n"
    "  end\n"
    "  object dlgSave: TSaveDialog\n"
    "    DefaultExt = 'gif'\n"
    "    Filter = 'Gif Files (*.gif)|*.gif'\n"
    "    Options = [ofOverwritePrompt, ofHideReadOnly, ofPathMustExist, ofEnableSizing]\n"
    "  end\n"
    "  object mnuPopup: TPopupMenu\n"
    "    object mnuOpen: TMenuItem\n"
    "      Caption = '&Open'\n"
    "      ShortCut = 16463\n"
    "    end\n"
    "  end\n"
    "end\n";

TEST(FormResource, ControlsReadAndWrittenBack) {
  TForm form(nullptr);
  ReadComponentFromText(kControlsForm, &form);
  auto* lv = dynamic_cast<TListView*>(form.FindComponent("lvFiles"));
  ASSERT_NE(lv, nullptr);
  EXPECT_EQ(lv->Columns()->Count(), 2);
  EXPECT_EQ(lv->Columns()->Items(1)->Caption(), "Size");
  EXPECT_EQ(lv->ViewStyle(), vsReport);
  EXPECT_TRUE(lv->MultiSelect());
  auto* combo = dynamic_cast<TComboBox*>(form.FindComponent("cboDisposal"));
  ASSERT_NE(combo, nullptr);
  EXPECT_EQ(combo->Items()->Count(), 2);
  EXPECT_EQ(combo->ItemIndex(), 1);
  auto* ok = dynamic_cast<TButton*>(form.FindComponent("btnOK"));
  ASSERT_NE(ok, nullptr);
  EXPECT_TRUE(ok->Default());
  EXPECT_EQ(ok->ModalResult(), mrOk);
  auto* sb = dynamic_cast<TStatusBar*>(form.FindComponent("StatusBar"));
  ASSERT_NE(sb, nullptr);
  EXPECT_EQ(sb->Panels()->Items(0)->Style(), psOwnerDraw);
  EXPECT_EQ(sb->Panels()->Items(1)->Text(), "Ready");
  auto* save = dynamic_cast<TSaveDialog*>(form.FindComponent("dlgSave"));
  ASSERT_NE(save, nullptr);
  EXPECT_TRUE(save->Options().Contains(ofOverwritePrompt));
  EXPECT_FALSE(save->Options().Contains(ofFileMustExist));
  auto* item = dynamic_cast<TMenuItem*>(form.FindComponent("mnuOpen"));
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(ShortCutToText(item->ShortCut()), "Ctrl+O");
  auto* menu = dynamic_cast<TPopupMenu*>(form.FindComponent("mnuPopup"));
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->Items()->Count(), 1);

  // Written back and read again, the text stays the same.
  std::string once = WriteComponentToText(&form);
  TForm copy(nullptr);
  ReadComponentFromText(once, &copy);
  EXPECT_EQ(WriteComponentToText(&copy), once);
}

}  // namespace
