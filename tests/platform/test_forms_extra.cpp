// Forms: auto-size to the children, the border width of a form resource,
// placement on the first show only, and message boxes through the
// replaceable message-box function.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Dialogs.h"
#include "platform/ExtCtrls.h"
#include "platform/FormReader.h"
#include "platform/Forms.h"

namespace {

class TChild : public TCustomControl {
 public:
  T_CLASSNAME(TChild)
  using TCustomControl::TCustomControl;
};

TEST(FormsExtra, AutoSizeFormFollowsItsChildren) {
  TForm* form = CreateForm<TForm>(nullptr);
  form->SetBorderStyle(bsDialog);
  form->SetClientWidth(400);
  form->SetClientHeight(300);
  auto* child = new TChild(form);
  child->SetBounds(0, 0, 120, 80);
  child->SetParent(form);
  form->SetAutoSize(true);
  EXPECT_EQ(form->ClientWidth(), 120);
  EXPECT_EQ(form->ClientHeight(), 80);
  form->Show();
  EXPECT_EQ(form->ClientWidth(), 120);
  EXPECT_EQ(form->ClientHeight(), 80);

  // The child grows and shrinks, moves; a hidden one does not count.
  child->SetBounds(0, 0, 200, 50);
  EXPECT_EQ(form->ClientWidth(), 200);
  EXPECT_EQ(form->ClientHeight(), 50);
  child->SetBounds(30, 20, 100, 60);
  EXPECT_EQ(form->ClientWidth(), 130);
  EXPECT_EQ(form->ClientHeight(), 80);
  auto* other = new TChild(form);
  other->SetBounds(0, 0, 300, 10);
  other->SetParent(form);
  EXPECT_EQ(form->ClientWidth(), 300);
  other->SetVisible(false);
  EXPECT_EQ(form->ClientWidth(), 130);

  // Without AutoSize the form stays as it is.
  form->SetAutoSize(false);
  child->SetBounds(0, 0, 10, 10);
  EXPECT_EQ(form->ClientWidth(), 130);
  delete form;
}

TEST(FormsExtra, AutoSizeFormFollowsAnAutoSizeImage) {
  TForm* form = CreateForm<TForm>(nullptr);
  form->SetBorderStyle(bsSingle);
  form->SetBorderWidth(4);
  auto* image = new TImage(form);
  image->SetParent(form);
  image->SetBounds(4, 4, 10, 10);
  image->SetAutoSize(true);
  form->SetAutoSize(true);
  form->Show();
  // A new picture sizes the image, which sizes the form (the image's offset
  // kept; the border width lies outside the client area).
  // (Sizes above the smallest a captioned window may have.)
  image->Picture()->Bitmap()->SetSize(264, 148);
  EXPECT_EQ(image->Width(), 264);
  EXPECT_EQ(form->ClientWidth(), 4 + 264);
  EXPECT_EQ(form->ClientHeight(), 4 + 148);
  image->Picture()->Bitmap()->SetSize(232, 100);
  EXPECT_EQ(form->ClientWidth(), 4 + 232);
  EXPECT_EQ(form->ClientHeight(), 4 + 100);
  delete form;
}

TEST(FormsExtra, BorderWidthAndAutoSizeAreReadFromFormText) {
  TForm form(nullptr);
  ReadComponentFromText(
      "object F: TForm\n"
      "  AutoSize = True\n"
      "  BorderWidth = 8\n"
      "  object P: TPanel\n"
      "    Left = 8\n"
      "    Top = 8\n"
      "    Width = 100\n"
      "    Height = 40\n"
      "  end\n"
      "end\n",
      &form);
  EXPECT_TRUE(form.AutoSize());
  EXPECT_EQ(form.BorderWidth(), 8);
  form.Show();
  EXPECT_EQ(form.ClientWidth(), 8 + 100);
  EXPECT_EQ(form.ClientHeight(), 8 + 40);
  std::string text = WriteComponentToText(&form);
  EXPECT_NE(text.find("BorderWidth = 8"), std::string::npos) << text;
  EXPECT_NE(text.find("AutoSize = True"), std::string::npos) << text;
}

TEST(FormsExtra, CentringHappensOnTheFirstShowOnly) {
  TForm* owner = CreateForm<TForm>(nullptr);
  owner->SetBounds(100, 100, 400, 300);
  owner->Show();
  TForm* form = CreateForm<TForm>(owner);
  form->SetBounds(0, 0, 200, 100);
  form->SetPosition(poOwnerFormCenter);
  form->Show();
  EXPECT_EQ(form->Left(), 100 + (400 - 200) / 2);
  EXPECT_EQ(form->Top(), 100 + (300 - 100) / 2);
  EXPECT_EQ(form->Position(), poDesigned);

  // Moved by the user, hidden and shown again: it stays where it was put.
  form->SetBounds(20, 30, 200, 100);
  form->Hide();
  form->Show();
  EXPECT_EQ(form->Left(), 20);
  EXPECT_EQ(form->Top(), 30);

  // Asked for again, it centres again on the next show.
  form->Hide();
  form->SetPosition(poOwnerFormCenter);
  form->Show();
  EXPECT_EQ(form->Left(), 200);
  delete form;
  delete owner;
}

struct TBoxCall {
  HWND Owner;
  std::string Text, Caption;
  UINT Flags;
};

class MessageBoxes : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = MessageBoxFunc;
    MessageBoxFunc = [this](HWND Owner, const std::string& Text, const std::string& Caption, UINT Flags) {
      calls.push_back({Owner, Text, Caption, Flags});
      return answer;
    };
  }
  void TearDown() override { MessageBoxFunc = saved_; }
  std::vector<TBoxCall> calls;
  int answer = IDNO;

 private:
  TMessageBoxFunc saved_;
};

TEST_F(MessageBoxes, ApplicationAndOwnedBoxesGoThroughTheReplaceableFunction) {
  TForm* form = CreateForm<TForm>(nullptr);
  form->Show();
  HWND owner = form->Handle();

  answer = IDCANCEL;
  EXPECT_EQ(MessageBox(owner, "Save changes?", "Larkspire", MB_YESNOCANCEL | MB_ICONQUESTION), IDCANCEL);
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].Owner, owner);
  EXPECT_EQ(calls[0].Text, "Save changes?");
  EXPECT_EQ(calls[0].Caption, "Larkspire");
  EXPECT_EQ(calls[0].Flags, static_cast<UINT>(MB_YESNOCANCEL | MB_ICONQUESTION));

  // The application's box: owned by the active window, else the main form,
  // else the application window.
  answer = IDYES;
  EXPECT_EQ(Application->MessageBox("Can't Delete Frame", "Error", MB_OK | MB_ICONSTOP), IDYES);
  ASSERT_EQ(calls.size(), 2u);
  HWND active = GetActiveWindow();
  EXPECT_EQ(calls[1].Owner, active ? active : Application->Handle());
  EXPECT_EQ(calls[1].Caption, "Error");
  EXPECT_EQ(calls[1].Flags, static_cast<UINT>(MB_OK | MB_ICONSTOP));
  delete form;

  // An exception shown by the application takes the same road.
  calls.clear();
  Application->ShowException(Exception("Disk full"));
  ASSERT_EQ(calls.size(), 1u);
  EXPECT_EQ(calls[0].Text, "Disk full.");
}

}  // namespace

// ---------------------------------------------------------------------------
// A form's border width: a band of the form's colour between the frame and the
// client area, outside ClientWidth/ClientHeight.
#include "platform/Menus.h"

namespace {

// The offset of the client area inside the window rectangle.
TPoint ClientOffset(TWinControl* C) {
  RECT wr;
  GetWindowRect(C->Handle(), &wr);
  POINT p{0, 0};
  ClientToScreen(C->Handle(), &p);
  return Point(p.x - wr.left, p.y - wr.top);
}

COLORREF WindowPixel(TWinControl* C, int X, int Y) {
  RedrawWindow(C->Handle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  HDC dc = GetWindowDC(C->Handle());
  COLORREF c = GetPixel(dc, X, Y);
  ReleaseDC(C->Handle(), dc);
  return c;
}

}  // namespace

TEST(FormsExtra, FormBorderWidthLiesOutsideTheClientArea) {
  struct TCase {
    const char* Name;
    TFormBorderStyle Border;
    bool WithMenu;
  };
  const TCase cases[] = {{"dialog", bsDialog, false}, {"sizeable", bsSizeable, false}, {"menu bar", bsSingle, true}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    auto make = [&](Integer Border) {
      TForm* f = CreateForm<TForm>(nullptr);
      f->SetBorderStyle(c.Border);
      if (c.WithMenu) {
        auto* menu = new TMainMenu(f);
        auto* item = new TMenuItem(f);
        item->SetCaption("&File");
        menu->Items()->Add(item);
        f->SetMenu(menu);
      }
      f->SetBorderWidth(Border);
      f->SetClientWidth(300);
      f->SetClientHeight(200);
      return f;
    };
    TForm* plain = make(0);
    TForm* form = make(8);
    // Before the window exists, and once it shows.
    EXPECT_EQ(form->ClientWidth(), 300);
    EXPECT_EQ(form->ClientHeight(), 200);
    EXPECT_EQ(form->Width(), plain->Width() + 16);
    EXPECT_EQ(form->Height(), plain->Height() + 16);
    TPoint before = form->ClientOrigin();
    plain->Show();
    form->Show();
    EXPECT_EQ(form->ClientWidth(), 300);
    EXPECT_EQ(form->ClientHeight(), 200);
    EXPECT_EQ(form->Width(), plain->Width() + 16);
    EXPECT_EQ(form->Height(), plain->Height() + 16);
    EXPECT_EQ(form->ClientOrigin().X, before.X);
    EXPECT_EQ(form->ClientOrigin().Y, before.Y);
    TPoint plainOff = ClientOffset(plain), off = ClientOffset(form);
    EXPECT_EQ(off.X, plainOff.X + 8);
    EXPECT_EQ(off.Y, plainOff.Y + 8);

    // A control at (0, 0) sits at the client origin, the band of the form's
    // colour around it; an aligned control fills the client area only.
    form->SetColor(clRed);
    auto* page = new TPanel(form);
    page->SetParent(form);
    page->SetBevelOuter(bvNone);
    page->SetColor(clBlue);
    page->SetBounds(0, 0, 50, 40);
    EXPECT_EQ(WindowPixel(form, off.X, off.Y), RGB(0, 0, 255));
    EXPECT_EQ(WindowPixel(form, off.X - 1, off.Y), RGB(255, 0, 0));
    EXPECT_EQ(WindowPixel(form, off.X - 8, off.Y - 8), RGB(255, 0, 0));
    EXPECT_EQ(WindowPixel(form, off.X + 300 + 7, off.Y + 200 + 7), RGB(255, 0, 0));
    EXPECT_NE(WindowPixel(form, off.X - 9, off.Y + 10), RGB(255, 0, 0));
    page->SetAlign(alClient);
    EXPECT_EQ(page->BoundsRect(), Rect(0, 0, 300, 200));

    // Changed on a shown form: the window keeps its size, the client area follows.
    Integer width = form->Width();
    form->SetBorderWidth(2);
    EXPECT_EQ(form->Width(), width);
    EXPECT_EQ(form->ClientWidth(), 300 + 12);
    EXPECT_EQ(page->BoundsRect(), Rect(0, 0, 312, 212));
    EXPECT_EQ(ClientOffset(form).X, plainOff.X + 2);
    delete form;
    delete plain;
  }
}

TEST(FormsExtra, FormBorderWidthFromFormTextAndOnAWizardLikeDialog) {
  TForm plain(nullptr);
  plain.SetBorderStyle(bsDialog);
  plain.SetClientWidth(300);
  TForm form(nullptr);
  ReadComponentFromText(
      "object F: TForm\n"
      "  BorderStyle = bsDialog\n"
      "  BorderWidth = 8\n"
      "  ClientHeight = 200\n"
      "  ClientWidth = 300\n"
      "end\n",
      &form);
  EXPECT_EQ(form.ClientWidth(), 300);
  EXPECT_EQ(form.ClientHeight(), 200);
  EXPECT_EQ(form.Width(), plain.Width() + 16);

  // Sized as a whole when shown, centred on its owner, pages laid at (0, 0):
  // the pages start 8 pixels inside the frame.
  TForm* owner = CreateForm<TForm>(nullptr);
  owner->SetBounds(100, 100, 600, 500);
  owner->Show();
  TForm* wizard = CreateForm<TForm>(owner);
  wizard->SetBorderStyle(bsDialog);
  wizard->SetBorderWidth(8);
  wizard->SetPosition(poOwnerFormCenter);
  auto* page = new TPanel(wizard);
  page->SetParent(wizard);
  page->SetBounds(0, 0, 100, 100);
  wizard->OnShow = [wizard](TObject*) { wizard->SetBounds(wizard->Left(), wizard->Top(), 369, 310); };
  plain.SetBounds(0, 0, 369, 310);
  plain.Show();
  wizard->Show();
  EXPECT_EQ(wizard->Width(), 369);
  EXPECT_EQ(wizard->Left(), 100 + (600 - 369) / 2);
  EXPECT_EQ(wizard->ClientWidth(), plain.ClientWidth() - 16);
  EXPECT_EQ(wizard->ClientHeight(), plain.ClientHeight() - 16);
  TPoint p = page->ClientToScreen(Point(0, 0));
  EXPECT_EQ(p.X - wizard->Left(), ClientOffset(&plain).X + 8);
  EXPECT_EQ(p.Y - wizard->Top(), ClientOffset(&plain).Y + 8);
  delete wizard;
  delete owner;

  // An auto-sized form fits its client area to its controls, the band outside.
  Integer widths[2], heights[2];
  for (Integer border : {0, 8}) {
    TForm* sized = CreateForm<TForm>(nullptr);
    sized->SetBorderStyle(bsDialog);
    sized->SetBorderWidth(border);
    auto* child = new TPanel(sized);
    child->SetParent(sized);
    child->SetBounds(0, 0, 220, 130);
    sized->SetAutoSize(true);
    sized->Show();
    EXPECT_EQ(sized->ClientWidth(), 220);
    EXPECT_EQ(sized->ClientHeight(), 130);
    widths[border / 8] = sized->Width();
    heights[border / 8] = sized->Height();
    delete sized;
  }
  EXPECT_EQ(widths[1], widths[0] + 16);
  EXPECT_EQ(heights[1], heights[0] + 16);
}
