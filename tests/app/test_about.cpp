// The about box, shown modally and closed the way a person closes it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/AboutGifFluxmereForm.h"
#include "controls/RzButton.h"
#include "controls/RzLabel.h"
#include "tests/controls/shots.h"
#include "tests/support/ui.h"

namespace {

void AboutSendKey(WORD Key) {
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_KEYBOARD;
  in[0].ki.wVk = in[1].ki.wVk = Key;
  in[1].ki.dwFlags = KEYEVENTF_KEYUP;
  ::SendInput(2, in, sizeof(INPUT));
}

void AboutClick(TControl* C) {
  TPoint p = C->ClientToScreen(Point(C->Width() / 2, C->Height() / 2));
  ::SetCursorPos(p.X, p.Y);
  INPUT in[2]{};
  in[0].type = in[1].type = INPUT_MOUSE;
  in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  ::SendInput(2, in, sizeof(INPUT));
}

TfrmAboutGifFluxmere* AboutShownBox() {
  for (Integer i = 0; i < Screen->FormCount(); ++i)
    if (auto* box = dynamic_cast<TfrmAboutGifFluxmere*>(Screen->Forms(i)))
      if (box->Visible()) return box;
  return nullptr;
}

TEST(AboutBox, ShowsItsTextsAndClosesWithEnterOrEscape) {
  for (WORD key : {WORD(VK_RETURN), WORD(VK_ESCAPE)}) {
    std::unique_ptr<TForm> owner(testui::NewForm(500, 400, 20, 20, bsSizeable));
    testshots::ShowActive(owner.get());
    auto* box = new TfrmAboutGifFluxmere(owner.get());
    box->AfterConstruction();
    bool checked = false;
    testui::TOneShot act(100, [&] {
      if (AboutShownBox() != box) {
        ADD_FAILURE() << "the about box is not shown";
        box->SetModalResult(2);
        return;
      }
      EXPECT_EQ(box->Caption(), "About Larkspire GIF Fluxmere");
      EXPECT_EQ(box->lblTitle->Caption(), "Larkspire GIF Fluxmere 7.0");
      EXPECT_TRUE(box->lblTitle->Font()->Style().Contains(fsBold));
      EXPECT_FALSE(box->lblDescription->Caption().empty());
      EXPECT_FALSE(box->lblMakerSite->URL().empty());
      EXPECT_FALSE(box->lblCreditSite->URL().empty());
      EXPECT_FALSE(box->lblAddress->Caption().empty());
      EXPECT_EQ(box->btnOk->Caption(), "OK");
      EXPECT_EQ(box->Font()->Name(), "Tahoma");
      // Centred on its owner.
      TRect o = owner->BoundsRect(), b = box->BoundsRect();
      EXPECT_NEAR((o.Left + o.Right) / 2, (b.Left + b.Right) / 2, 2);
      EXPECT_NEAR((o.Top + o.Bottom) / 2, (b.Top + b.Bottom) / 2, 2);
      if (key == VK_RETURN) {
        auto shot = testshots::Shot(box);
        SaveBitmapAsPng(shot.get(), "about_box.png");
      }
      checked = true;
      ::SetForegroundWindow(box->Handle());
      AboutSendKey(key);
    });
    {
      TModalResult result = box->ShowModal();
      EXPECT_EQ(result, 1) << key;
    }
    EXPECT_TRUE(checked);
    delete box;
  }
}

TEST(AboutBox, LinkLabelsOpenTheirAddresses) {
  auto saved = TRzURLLabel::ShellOpen;
  std::vector<std::string> opened;
  TRzURLLabel::ShellOpen = [&](const std::string& Target) {
    opened.push_back(Target);
    return true;
  };
  std::string maker, credit;
  testui::TOneShot act(100, [&] {
    TfrmAboutGifFluxmere* box = AboutShownBox();
    if (!box) {
      ADD_FAILURE() << "the about box is not shown";
      return;
    }
    maker = box->lblMakerSite->URL();
    credit = box->lblCreditSite->URL();
    ::SetForegroundWindow(box->Handle());
    AboutClick(box->lblMakerSite);
    testshots::SettleInput(100);
    AboutClick(box->lblCreditSite);
    testshots::SettleInput(100);
    AboutSendKey(VK_ESCAPE);
  });
  ShowAboutBox();
  TRzURLLabel::ShellOpen = saved;
  EXPECT_EQ(opened, (std::vector<std::string>{maker, credit}));
  EXPECT_EQ(AboutShownBox(), nullptr);
}

}  // namespace
