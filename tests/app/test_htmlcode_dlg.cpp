// The "HTML Code" dialog: the img snippet built from what a person types into
// the shown dialog, the border's up-down, the clipboard copy, and the dialog
// opened from the main window's Tools menu for the document.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/GifHTMLCodeForm.h"
#include "platform/ComCtrls.h"
#include "tests/app/dialog_input.h"
#include "tests/app/html_input.h"
#include "tests/app/mainwin_driver.h"

namespace {

using htmltest::TypeOver;

struct THtmlBox {
  std::string Text, Caption;
  UINT Flags;
};

class HtmlCodeDlgTest : public ::testing::Test {
 protected:
  std::vector<THtmlBox> boxes;
  void SetUp() override {
    MessageBoxFunc = [this](HWND, const std::string& Text, const std::string& Caption, UINT Flags) {
      boxes.push_back({Text, Caption, Flags});
      return IDOK;
    };
  }
  void TearDown() override { MessageBoxFunc = nullptr; }

  // Shows the dialog for anim.gif of 120 x 60, as the main window does, and
  // runs Steps in it; the last step closes it with the Close button.
  std::unique_ptr<TfrmGifHTMLCode> Run(std::vector<std::function<void(TfrmGifHTMLCode*)>> Steps,
                                       TModalResult* Result = nullptr) {
    std::unique_ptr<TfrmGifHTMLCode> dialog(CreateForm<TfrmGifHTMLCode>(Application));
    dialog->ImageWidth = 120;
    dialog->ImageHeight = 60;
    dialog->txtFileName->SetText("anim.gif");
    TfrmGifHTMLCode* d = dialog.get();
    std::vector<std::function<void()>> steps{[d] {
      if (dlgtest::ShowingForm<TfrmGifHTMLCode>() != d) throw std::runtime_error("the dialog is not showing");
    }};
    for (auto& s : Steps) steps.push_back([d, s] { s(d); });
    steps.push_back([d] { dlgtest::ClickCentre(d->btnCancel); });
    dlgtest::TInputScript script(steps);
    const TModalResult r = dialog->ShowModal();
    EXPECT_EQ(script.Error(), "");
    EXPECT_TRUE(script.Finished());
    if (Result) *Result = r;
    return dialog;
  }
};

struct TSnippetCase {
  const char* Name;
  const char* Link;
  const char* Hint;
  const char* Border;
  const char* Html;
};

const TSnippetCase kSnippetCases[] = {
    {"border 0, no link or hint", "", "", "0", "<img src=\"anim.gif\" height=\"60\" width=\"120\" border=\"0\">"},
    {"an empty border leaves the attribute out", "", "", "", "<img src=\"anim.gif\" height=\"60\" width=\"120\">"},
    {"a link wraps the image tag", "http://example.com/a.html", "", "0",
     "<a href=\"http://example.com/a.html\"><img src=\"anim.gif\" height=\"60\" width=\"120\" border=\"0\"></a>"},
    {"a hint is the alternative text", "", "Spinning logo", "0",
     "<img src=\"anim.gif\" height=\"60\" width=\"120\" alt=\"Spinning logo\" border=\"0\">"},
    {"all of them", "https://example.org/?q=1&r=2", "Our logo, 50% off!", "12",
     "<a href=\"https://example.org/?q=1&r=2\"><img src=\"anim.gif\" height=\"60\" width=\"120\" "
     "alt=\"Our logo, 50% off!\" border=\"12\"></a>"},
    {"a double quote cannot end an attribute", "x\".html", "Say \"hi\"", "0",
     "<a href=\"x&quot;.html\"><img src=\"anim.gif\" height=\"60\" width=\"120\" alt=\"Say &quot;hi&quot;\" "
     "border=\"0\"></a>"},
};

TEST_F(HtmlCodeDlgTest, TypedAttributesMakeTheSnippet) {
  for (const TSnippetCase& c : kSnippetCases) {
    SCOPED_TRACE(c.Name);
    std::string atStart, html;
    bool fileNameReadOnly = false;
    auto dialog = Run({
        [&](TfrmGifHTMLCode* d) {
          atStart = d->txtHTML->Text();
          fileNameReadOnly = d->txtFileName->ReadOnly();
        },
        [&](TfrmGifHTMLCode* d) { TypeOver(d->txtLink, c.Link); },
        [&](TfrmGifHTMLCode* d) { TypeOver(d->txtHint, c.Hint); },
        [&](TfrmGifHTMLCode* d) { TypeOver(d->txtBorder, c.Border); },
        [&](TfrmGifHTMLCode* d) { html = d->txtHTML->Text(); },
    });
    EXPECT_EQ(atStart, "") << "the snippet waits for the first change";
    EXPECT_TRUE(fileNameReadOnly);
    EXPECT_EQ(dialog->txtLink->Text(), c.Link) << "every key reached the box";
    EXPECT_EQ(dialog->txtHint->Text(), c.Hint);
    EXPECT_EQ(html, c.Html);
  }
  EXPECT_TRUE(boxes.empty());
}

TEST_F(HtmlCodeDlgTest, UpDownStepsTheBorderAndStopsAtZero) {
  auto up = [](TfrmGifHTMLCode* d) { dlgtest::ClickAt(d->udBorder, d->udBorder->Width() / 2, 4); };
  auto down = [](TfrmGifHTMLCode* d) {
    dlgtest::ClickAt(d->udBorder, d->udBorder->Width() / 2, d->udBorder->Height() - 4);
  };
  std::vector<std::string> seen;
  auto look = [&](TfrmGifHTMLCode* d) { seen.push_back(d->txtBorder->Text() + " | " + d->txtHTML->Text()); };
  std::unique_ptr<TBitmap> shot;
  TModalResult result = 0;
  Run({up, up, look, [&](TfrmGifHTMLCode* d) { TypeOver(d->txtHint, "Logo"); },
       [&](TfrmGifHTMLCode* d) { shot = dlgtest::FormShot(d); }, down, down, down, look},
      &result);
  const std::string tag = "<img src=\"anim.gif\" height=\"60\" width=\"120\"";
  EXPECT_EQ(seen, (std::vector<std::string>{"2 | " + tag + " border=\"2\">",
                                            "0 | " + tag + " alt=\"Logo\" border=\"0\">"}));
  EXPECT_EQ(result, mrOk) << "Close ends the dialog with result 1";

  ASSERT_TRUE(shot);
  testshots::TSheet sheet;
  sheet.Add("HTML Code (border 2, hint typed)", shot.get());
  EXPECT_TRUE(sheet.Save("app_dlg_htmlcode.png"));
  EXPECT_GE(shot->Width(), 387);
  EXPECT_GE(shot->Height(), 331);
}

TEST_F(HtmlCodeDlgTest, CopyPutsTheSnippetOnTheClipboardOnlyWhenThereIsOne) {
  htmltest::SetClipboardText("left alone");
  Run({[](TfrmGifHTMLCode* d) { dlgtest::ClickCentre(d->btnCopy); }});
  EXPECT_EQ(htmltest::ClipboardText(), "left alone") << "an empty snippet is not copied";
  EXPECT_TRUE(boxes.empty()) << "and nothing is said";

  std::string html;
  Run({[](TfrmGifHTMLCode* d) { TypeOver(d->txtLink, "page.html"); },
       [&](TfrmGifHTMLCode* d) {
         html = d->txtHTML->Text();
         dlgtest::ClickCentre(d->btnCopy);
       }});
  EXPECT_EQ(html, "<a href=\"page.html\"><img src=\"anim.gif\" height=\"60\" width=\"120\" border=\"0\"></a>");
  EXPECT_EQ(htmltest::ClipboardText(), html);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Text, "HTML Code successfully copied to clipboard.");
  EXPECT_EQ(boxes[0].Flags & (MB_ICONMASK | MB_TYPEMASK), static_cast<UINT>(MB_ICONINFORMATION | MB_OK));
}

// --- From the main window ------------------------------------------------------

class HtmlCodeFromMainWindow : public mainwin::TMainWindowTest {};

TEST_F(HtmlCodeFromMainWindow, ToolsMenuShowsTheDocumentsNameAndSize) {
  OpenThroughDialog(MakeGif("dancer.gif", 2, 48, 20));
  ASSERT_EQ(FrameCount(), 2);
  std::string name, html;
  mainwin::TAnswerForm answer("HTML Code", [&](TCustomForm* F) {
    auto* d = dynamic_cast<TfrmGifHTMLCode*>(F);
    if (!d) return;
    name = d->txtFileName->Text();
    TypeOver(d->txtBorder, "1");
    html = d->txtHTML->Text();
    dlgtest::ClickCentre(d->btnCancel);
  });
  htmltest::ClickMenuCommand(win, win->mnuTools, cmdHTMLCode);
  testui::PumpUntil([&] { return answer.Done(); }, 5000);
  EXPECT_TRUE(answer.Done());
  EXPECT_EQ(name, "dancer.gif") << "the name without its folder";
  EXPECT_EQ(html, "<img src=\"dancer.gif\" height=\"20\" width=\"48\" border=\"1\">");
  EXPECT_EQ(dlgtest::ShowingForm<TfrmGifHTMLCode>(), nullptr) << "released after its run";
}

}  // namespace
