// "HTML to insert for Flash Movies": the HTML that embeds an exported Flash
// movie in a web page, shown read-only with a button that copies it.
#pragma once

#include <string>

#include "platform/Forms.h"

class TLabel;
class TMemo;
class TButton;
class TBitBtn;

class TSWFHTMLFrm : public TForm {
 public:
  T_CLASSNAME(TSWFHTMLFrm)
  explicit TSWFHTMLFrm(TComponent* AOwner);

  // Components (from resources/TSWFHTMLFrm.dfm).
  TLabel* Label1 = nullptr;
  TMemo* mmoFlash = nullptr;
  TButton* Button1 = nullptr;
  TBitBtn* BitBtn1 = nullptr;

  void BitBtn1Click(TObject* Sender);
};

// The embedding HTML for a movie of Width x Height pixels whose file (without
// folder) is MovieName: lines separated by CR LF.
std::string FlashEmbedHTML(Integer Width, Integer Height, const std::string& MovieName);

// Shows the embedding HTML of the movie in TSWFHTMLFrm, modally.
void ShowFlashHTML(Integer Width, Integer Height, const std::string& MovieName);
