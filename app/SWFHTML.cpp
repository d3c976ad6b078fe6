#include "app/SWFHTML.h"

#include <memory>

#include "app/HourglassCursor.h"
#include "platform/Buttons.h"
#include "platform/Clipbrd.h"
#include "platform/Dialogs.h"
#include "platform/StdCtrls.h"
#include "platform/SysUtils.h"
#include "platform/TypInfo.h"

namespace {

void RegisterSWFHTMLClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  using F = TSWFHTMLFrm;
  RegisterClassInfo<F, TForm>("TSWFHTMLFrm");
  RegisterHandlers<F>({
      {"BitBtn1Click", &F::BitBtn1Click},
  });
  RegisterFields<F>({
      {"Label1", &F::Label1},
      {"mmoFlash", &F::mmoFlash},
      {"Button1", &F::Button1},
      {"BitBtn1", &F::BitBtn1},
  });
}

// The embedding markup; filled with width, height, movie, movie, width, height.
const char* const kSwfEmbedTemplate =
    "<!-- Created with Larkspire GIF Fluxmere http://www.larkspire-software.example/ -->\r\n"
    "\r\n"
    "<OBJECT classid=\"clsid:D27CDB6E-AE6D-11cf-96B8-444553540000\"\r\n"
    "  codebase=\"http://download.macromedia.com/pub/shockwave/cabs/flash/swflash.cab#version=4,0,0,0\"\r\n"
    "  ID=Untitled WIDTH=%d HEIGHT=%d>\r\n"
    "<PARAM NAME=movie VALUE=\"%s\">\r\n"
    "<PARAM NAME=quality VALUE=high>\r\n"
    "<PARAM NAME=loop VALUE=false>\r\n"
    "<EMBED src=\"%s\" loop=false quality=high\r\n"
    "  WIDTH=%d HEIGHT=%d TYPE=\"application/x-shockwave-flash\"\r\n"
    "  PLUGINSPAGE=\"http://www.macromedia.com/go/getflashplayer\">\r\n"
    "</EMBED>\r\n"
    "</OBJECT>";

}  // namespace

TSWFHTMLFrm::TSWFHTMLFrm(TComponent* AOwner) : TForm(AOwner) { RegisterSWFHTMLClasses(); }

void TSWFHTMLFrm::BitBtn1Click(TObject*) {
  Clipboard()->SetAsText(mmoFlash->Text());
  ShowMessage("Copied HTML to the clipboard.");
}

std::string FlashEmbedHTML(Integer Width, Integer Height, const std::string& MovieName) {
  return Format(kSwfEmbedTemplate, Width, Height, MovieName, MovieName, Width, Height);
}

void ShowFlashHTML(Integer Width, Integer Height, const std::string& MovieName) {
  // The modal run shows the normal cursor and puts the hourglass back after.
  THourglassCursor hourglass;
  std::unique_ptr<TSWFHTMLFrm> form(CreateForm<TSWFHTMLFrm>(nullptr));
  form->mmoFlash->SetText(FlashEmbedHTML(Width, Height, MovieName));
  form->ShowModal();
}
