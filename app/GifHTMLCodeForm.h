// The "HTML Code" dialog: an img tag for the animation from its file name and
// size, with an optional link, alternative text and border, copied to the
// clipboard. Also the Flash conversion the main window's export runs: the
// saved GIF file handed to gif2swf of the conversion library wexbolt.dll.
#pragma once

#include <functional>
#include <string>

#include "platform/Forms.h"

class TLabel;
class TGroupBox;
class TEdit;
class TMemo;
class TUpDown;
class TButton;

class TfrmGifHTMLCode : public TForm {
 public:
  T_CLASSNAME(TfrmGifHTMLCode)
  explicit TfrmGifHTMLCode(TComponent* AOwner);

  // Components (from resources/TfrmGifHTMLCode.dfm).
  TLabel* lblInstructions = nullptr;
  TGroupBox* grpAttributes = nullptr;  // "Image Attributes"
  TLabel* lblFileName = nullptr;
  TEdit* txtFileName = nullptr;
  TLabel* lblLink = nullptr;
  TEdit* txtLink = nullptr;
  TLabel* lblHint = nullptr;
  TEdit* txtHint = nullptr;
  TLabel* lblBorder = nullptr;
  TEdit* txtBorder = nullptr;
  TUpDown* udBorder = nullptr;
  TLabel* lblHTML = nullptr;
  TMemo* txtHTML = nullptr;
  TButton* btnCancel = nullptr;
  TButton* btnCopy = nullptr;

  // The animation's size in pixels.
  Integer ImageWidth = 0;
  Integer ImageHeight = 0;

  // Change handler of txtLink, txtHint and txtBorder: rebuilds the snippet.
  void txtLinkChange(TObject* Sender);
  void btnCopyClick(TObject* Sender);
  void btnCancelClick(TObject* Sender);
};

// The snippet for a file name, size, link, hint and border text (empty parts
// left out). A double quote inside a value becomes &quot;, so it cannot end
// the attribute it stands in.
std::string BuildImageTag(const std::string& FileName, Integer Width, Integer Height, const std::string& Link,
                          const std::string& Hint, const std::string& Border);

// Converts the GIF file at GifPath into a Flash movie at SwfPath (UTF-8 paths)
// for the window Owner; true when the movie was written.
using TFlashConvertFunc = std::function<bool(const std::string& GifPath, const std::string& SwfPath, HWND Owner)>;
// The conversion the export runs when set (tests stand in for the library);
// unset, gif2swf of wexbolt.dll in the program's folder.
extern TFlashConvertFunc FlashConvertFunc;
// Loads the conversion library at LibraryPath and runs its gif2swf; a missing
// library or function, or a result other than 1, is a failed conversion.
bool ConvertGifToSwf(const std::string& LibraryPath, const std::string& GifPath, const std::string& SwfPath,
                     HWND Owner);
