#include "app/GifHTMLCodeForm.h"

#include <memory>

#include "app/AppFileUtils.h"
#include "app/GifMainForm.h"
#include "app/HourglassCursor.h"
#include "app/SWFHTML.h"
#include "platform/Clipbrd.h"
#include "platform/ComCtrls.h"
#include "platform/Dialogs.h"
#include "platform/StdCtrls.h"
#include "platform/SysUtils.h"
#include "platform/TypInfo.h"
#include "wexbolt/wexbolt.h"

TFlashConvertFunc FlashConvertFunc;

namespace {

void RegisterHTMLCodeFormClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  using F = TfrmGifHTMLCode;
  RegisterClassInfo<F, TForm>("TfrmGifHTMLCode");
  RegisterHandlers<F>({
      {"txtLinkChange", &F::txtLinkChange},
      {"btnCopyClick", &F::btnCopyClick},
      {"btnCancelClick", &F::btnCancelClick},
  });
  RegisterFields<F>({
      {"lblInstructions", &F::lblInstructions},
      {"grpAttributes", &F::grpAttributes},
      {"lblFileName", &F::lblFileName},
      {"txtFileName", &F::txtFileName},
      {"lblLink", &F::lblLink},
      {"txtLink", &F::txtLink},
      {"lblHint", &F::lblHint},
      {"txtHint", &F::txtHint},
      {"lblBorder", &F::lblBorder},
      {"txtBorder", &F::txtBorder},
      {"udBorder", &F::udBorder},
      {"lblHTML", &F::lblHTML},
      {"txtHTML", &F::txtHTML},
      {"btnCancel", &F::btnCancel},
      {"btnCopy", &F::btnCopy},
  });
}

// A value as it may stand between the double quotes of an attribute.
std::string HtmlAttributeText(const std::string& Value) {
  std::string out;
  for (char c : Value) {
    if (c == '"')
      out += "&quot;";
    else
      out += c;
  }
  return out;
}

// Both names lead to the same file (the conversion would read and write it).
bool HtmlSameFile(const std::string& A, const std::string& B) {
  return AnsiSameText(ExpandFileName(A), ExpandFileName(B));
}

}  // namespace

TfrmGifHTMLCode::TfrmGifHTMLCode(TComponent* AOwner) : TForm(AOwner) { RegisterHTMLCodeFormClasses(); }

std::string BuildImageTag(const std::string& FileName, Integer Width, Integer Height, const std::string& Link,
                          const std::string& Hint, const std::string& Border) {
  const std::string alt = Hint.empty() ? std::string() : Format(" alt=\"%s\"", HtmlAttributeText(Hint));
  const std::string border = Border.empty() ? std::string() : Format(" border=\"%s\"", HtmlAttributeText(Border));
  const std::string tag =
      Format("<img src=\"%s\" height=\"%d\" width=\"%d\"%s%s>", HtmlAttributeText(FileName), Height, Width, alt, border);
  if (Link.empty()) return tag;
  return Format("<a href=\"%s\">%s</a>", HtmlAttributeText(Link), tag);
}

void TfrmGifHTMLCode::txtLinkChange(TObject*) {
  // A change reported while the form is still being read finds controls missing.
  if (!txtHTML || !txtFileName || !txtLink || !txtHint || !txtBorder) return;
  txtHTML->SetText(BuildImageTag(txtFileName->Text(), ImageWidth, ImageHeight, txtLink->Text(), txtHint->Text(),
                                 txtBorder->Text()));
}

void TfrmGifHTMLCode::btnCopyClick(TObject*) {
  const std::string html = txtHTML->Text();
  if (html.empty()) return;
  Clipboard()->SetAsText(html);
  MessageDlg("HTML Code successfully copied to clipboard.", mtInformation, {mbOK}, 0);
}

void TfrmGifHTMLCode::btnCancelClick(TObject*) { SetModalResult(mrOk); }

bool ConvertGifToSwf(const std::string& LibraryPath, const std::string& GifPath, const std::string& SwfPath,
                     HWND Owner) {
  HMODULE library = ::LoadLibraryW(Utf8ToWide(LibraryPath).c_str());
  if (!library) return false;
  int result = 0;
  if (FARPROC entry = ::GetProcAddress(library, "gif2swf"))
    result = reinterpret_cast<TGif2SwfProc>(reinterpret_cast<void*>(entry))(GifPath.c_str(), SwfPath.c_str(), Owner);
  ::FreeLibrary(library);
  return result == 1;
}

// --- The main window's part ---------------------------------------------------

void TfrmGifMain::ShowHTMLCode(const std::string& Name, Integer Width, Integer Height) {
  std::unique_ptr<TfrmGifHTMLCode> dialog(CreateForm<TfrmGifHTMLCode>(Application));
  dialog->ImageWidth = Width;
  dialog->ImageHeight = Height;
  dialog->txtFileName->SetText(Name);
  dialog->ShowModal();
}

void TfrmGifMain::ExportFlashMovie() {
  if (modified) {
    if (MessageBox(Handle(),
                   "You must save the image before converting it to a Flash file.\r\n\r\nWould you like to save it now?",
                   "Please Save First", MB_YESNO | MB_ICONQUESTION) != IDYES)
      return;
    SaveAnimation();
  }
  // The save was cancelled or failed.
  if (modified) return;

  // The save dialog serves the GIF saves too: its filter and name go back
  // however the conversion ends.
  struct TDialogRestore {
    TfrmGifMain* Form;
    std::string Filter;
    ~TDialogRestore() {
      Form->dlgSave->SetFilter(Filter);
      Form->dlgSave->SetFileName("");
      Form->SetStatusText(" ", 1);
      Form->SetStatusText("", 2);
      Form->StatusBar->Repaint();
    }
  };
  std::string swfPath;
  bool converted = false;
  {
    TDialogRestore restore{this, dlgSave->Filter()};
    dlgSave->SetFilter("Macromedia Flash|*.swf");
    dlgSave->SetFileName(ChangeFileExt(ExtractFileName(fileName), ".swf"));
    if (!dlgSave->Execute()) return;
    const std::string gifPath = fileName;
    {
      THourglassCursor hourglass;
      SetStatusText("Initializing GIF for Flash Movie conversion, one moment please...", 2);
      Application->ProcessMessages();
      swfPath = ChangeFileExt(dlgSave->FileName(), ".swf");
      // A GIF file that already ends in .swf would be written over by its
      // own movie: refused as a failed conversion.
      if (!HtmlSameFile(gifPath, swfPath)) {
        if (FlashConvertFunc)
          converted = FlashConvertFunc(gifPath, swfPath, Handle());
        else
          converted = ConvertGifToSwf(AppFolder() + "wexbolt.dll", gifPath, swfPath, Handle());
      }
      Application->ProcessMessages();
    }
    if (!converted)
      MessageDlg("There was a problem converting the GIF to SWF. Please try again.", mtWarning, {mbOK}, 0);
    prgBar->Hide();
  }
  if (converted) ShowFlashHTML(document->Width(), document->Height(), ExtractFileName(swfPath));
}
