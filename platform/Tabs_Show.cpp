// The page control's part in showing a control: a page shows as the active page.
#include "platform/Tabs.h"

void TPageControl::ShowControl(TControl* AControl) {
  auto* page = dynamic_cast<TTabSheet*>(AControl);
  if (page && page->PageControl() == this) SetActivePage(page);
  TCustomTabControl::ShowControl(AControl);
}
