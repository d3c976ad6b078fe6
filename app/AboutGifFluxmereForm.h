// The about box: program name and version, a line on what it is, the
// maker's site and postal address, and the credit for the Flash conversion.
#pragma once

#include "platform/Forms.h"

class TLabel;
class TRzLabel;
class TRzURLLabel;
class TRzButton;

class TfrmAboutGifFluxmere : public TForm {
 public:
  T_CLASSNAME(TfrmAboutGifFluxmere)
  explicit TfrmAboutGifFluxmere(TComponent* AOwner);

  // Components of the form resource.
  TRzLabel* lblTitle = nullptr;
  TRzLabel* lblDescription = nullptr;
  TRzURLLabel* lblMakerSite = nullptr;
  TRzLabel* lblCredit = nullptr;
  TRzURLLabel* lblCreditSite = nullptr;
  TRzLabel* lblAddress = nullptr;
  TRzButton* btnOk = nullptr;

  void FormCreate(TObject* Sender);
  void btnOkClick(TObject* Sender);
};

// Creates the about box owned by the application, shows it modally and
// releases it.
void ShowAboutBox();
