// Dialogs without a person: filters, result buffers, message dialog styles.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Dialogs.h"

#include <commdlg.h>

namespace {

TEST(Dialogs, FilterParsing) {
  auto f = ParseFilter(
      "All (*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)|*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf|GIF Image "
      "(*.gif)|*.gif|JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|Bitmaps (*.bmp)|*.bmp|Icons "
      "(*.ico)|*.ico|Enhanced Metafiles (*.emf)|*.emf|");
  ASSERT_EQ(f.size(), 7u);
  EXPECT_EQ(f[0].Pattern, "*.gif;*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf");
  EXPECT_EQ(f[1].Description, "GIF Image (*.gif)");
  EXPECT_EQ(f[6].Pattern, "*.emf");

  f = ParseFilter("Gif Files (*.gif)|*.gif");
  ASSERT_EQ(f.size(), 1u);
  EXPECT_EQ(f[0].Description, "Gif Files (*.gif)");
  EXPECT_EQ(f[0].Pattern, "*.gif");
  EXPECT_TRUE(ParseFilter("").empty());
  f = ParseFilter("Odd");
  ASSERT_EQ(f.size(), 1u);
  EXPECT_EQ(f[0].Pattern, "");

  TOpenDialog dlg(nullptr);
  dlg.SetFilter("AVI Animations (*.avi)|*.avi");
  std::wstring want = std::wstring(L"AVI Animations (*.avi)") + L'\0' + L"*.avi" + L'\0' + L'\0';
  EXPECT_EQ(dlg.FilterBuffer(), want);
}

TEST(Dialogs, OptionsAndResultBuffers) {
  TSaveDialog save(nullptr);
  save.SetOptions(TOpenOptions{ofOverwritePrompt, ofHideReadOnly, ofPathMustExist, ofEnableSizing});
  DWORD flags = save.OptionFlags();
  EXPECT_EQ(flags, static_cast<DWORD>(OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                                      OFN_ENABLESIZING));

  TOpenDialog open(nullptr);
  open.SetOptions(TOpenOptions{ofAllowMultiSelect, ofFileMustExist});
  // Several files: the folder, then the names.
  const wchar_t multi[] = L"C:\\anim\0one.gif\0two.gif\0";
  open.TakeResult(multi, 2);
  ASSERT_EQ(open.Files()->Count(), 2);
  EXPECT_EQ(open.Files()->Strings(0), "C:\\anim\\one.gif");
  EXPECT_EQ(open.Files()->Strings(1), "C:\\anim\\two.gif");
  EXPECT_EQ(open.FileName(), "C:\\anim\\one.gif");
  EXPECT_EQ(open.FilterIndex(), 2);
  // One file comes back as a full path, also with multi-select on.
  const wchar_t single[] = L"C:\\anim\\\x00e9t\x00e9.gif\0";
  open.TakeResult(single, 1);
  ASSERT_EQ(open.Files()->Count(), 1);
  EXPECT_EQ(open.FileName(), "C:\\anim\\\xc3\xa9t\xc3\xa9.gif");
}

// The replaceable file dialog sees the dialog as set up and its answer
// becomes the result; no answer is a cancel that keeps the old names.
TEST(Dialogs, FileDialogHookAnswersOpenAndSaveDialogs) {
  std::vector<std::pair<std::string, bool>> asked;
  std::vector<std::string> answer;
  FileDialogFunc = [&](const TOpenDialog& D, bool Save) {
    asked.push_back({D.Filter() + "@" + D.InitialDir(), Save});
    return answer;
  };
  int shown = 0, closed = 0;
  TOpenDialog open(nullptr);
  open.OnShow = [&](TObject*) { ++shown; };
  open.OnClose = [&](TObject*) { ++closed; };
  open.SetFilter("GIF Image (*.gif)|*.gif");
  open.SetInitialDir("C:\\pictures");
  open.SetOptions(TOpenOptions{ofAllowMultiSelect});
  answer = {"C:\\pictures\\a.gif", "C:\\pictures\\b.gif"};
  EXPECT_TRUE(open.Execute());
  EXPECT_EQ(open.FileName(), "C:\\pictures\\a.gif");
  ASSERT_EQ(open.Files()->Count(), 2);
  EXPECT_EQ(open.Files()->Strings(1), "C:\\pictures\\b.gif");
  answer.clear();
  EXPECT_FALSE(open.Execute());
  EXPECT_EQ(open.FileName(), "C:\\pictures\\a.gif") << "a cancel keeps the last answer";
  EXPECT_EQ(shown, 2);
  EXPECT_EQ(closed, 2);

  TSaveDialog save(nullptr);
  answer = {"D:\\out.gif"};
  EXPECT_TRUE(save.Execute());
  EXPECT_EQ(save.FileName(), "D:\\out.gif");
  FileDialogFunc = nullptr;
  const std::vector<std::pair<std::string, bool>> want = {
      {"GIF Image (*.gif)|*.gif@C:\\pictures", false}, {"GIF Image (*.gif)|*.gif@C:\\pictures", false}, {"@", true}};
  EXPECT_EQ(asked, want);
}

TEST(Dialogs, MessageDlgCaptionsIconsButtonsAndResult) {
  struct Case {
    TMsgDlgType Type;
    TMsgDlgButtons Buttons;
    const char* Caption;
    UINT Flags;
  };
  const Case cases[] = {
      {mtWarning, TMsgDlgButtons{mbOK}, "Warning", MB_ICONWARNING | MB_OK},
      {mtError, TMsgDlgButtons{mbOK}, "Error", MB_ICONERROR | MB_OK},
      {mtInformation, TMsgDlgButtons{mbOK}, "Information", MB_ICONINFORMATION | MB_OK},
      {mtConfirmation, mbYesNoCancel, "Confirm", MB_ICONQUESTION | MB_YESNOCANCEL},
      {mtConfirmation, mbYesNo, "Confirm", MB_ICONQUESTION | MB_YESNO},
      {mtWarning, mbOKCancel, "Warning", MB_ICONWARNING | MB_OKCANCEL},
      {mtError, mbAbortRetryIgnore, "Error", MB_ICONERROR | MB_ABORTRETRYIGNORE},
      {mtError, TMsgDlgButtons{mbRetry, mbCancel}, "Error", MB_ICONERROR | MB_RETRYCANCEL},
  };
  for (const Case& c : cases) {
    std::string caption;
    UINT flags = 0;
    MessageDlgStyle(c.Type, c.Buttons, caption, flags);
    EXPECT_EQ(caption, c.Caption);
    EXPECT_EQ(flags, c.Flags) << c.Caption;
  }

  // MessageDlg goes through the replaceable box and returns the button as a modal result.
  TMessageBoxFunc saved = MessageBoxFunc;
  std::vector<std::string> seen;
  MessageBoxFunc = [&](HWND, const std::string& Text, const std::string& Caption, UINT Flags) {
    seen.push_back(Caption + ":" + Text);
    return (Flags & MB_TYPEMASK) == MB_YESNOCANCEL ? IDNO : IDOK;
  };
  EXPECT_EQ(MessageDlg("Save changes?", mtConfirmation, mbYesNoCancel, 0), mrNo);
  EXPECT_EQ(MessageDlg("Bad frame", mtError, TMsgDlgButtons{mbOK}, 0), mrOk);
  EXPECT_EQ(MessageBox("Text", "Title", MB_OK | MB_ICONSTOP), IDOK);
  MessageBoxFunc = saved;
  EXPECT_EQ(seen, (std::vector<std::string>{"Confirm:Save changes?", "Error:Bad frame", "Title:Text"}));
}

}  // namespace
