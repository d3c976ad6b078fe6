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
  // A new picture sizes the image, which sizes the form (border width kept).
  // (Sizes above the smallest a captioned window may have.)
  image->Picture()->Bitmap()->SetSize(264, 148);
  EXPECT_EQ(image->Width(), 264);
  EXPECT_EQ(form->ClientWidth(), 4 + 264 + 4);
  EXPECT_EQ(form->ClientHeight(), 4 + 148 + 4);
  image->Picture()->Bitmap()->SetSize(232, 100);
  EXPECT_EQ(form->ClientWidth(), 4 + 232 + 4);
  EXPECT_EQ(form->ClientHeight(), 4 + 100 + 4);
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
  EXPECT_EQ(form.ClientWidth(), 8 + 100 + 8);
  EXPECT_EQ(form.ClientHeight(), 8 + 40 + 8);
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
