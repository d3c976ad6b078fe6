// Published properties of the tab controls.
#include "platform/Tabs.h"
#include "platform/TypInfo.h"

void RegisterTabsProps() {
  RegisterEnum<TTabPosition>("TTabPosition", {"tpTop", "tpBottom", "tpLeft", "tpRight"});
  RegisterClassInfo<TCustomTabControl, TWinControl>("TCustomTabControl")
      .Enum("TabPosition", &TCustomTabControl::TabPosition, &TCustomTabControl::SetTabPosition, tpTop)
      .Bool("HotTrack", &TCustomTabControl::HotTrack, &TCustomTabControl::SetHotTrack, false)
      .Event("OnChange", &TCustomTabControl::OnChange)
      .Event("OnChanging", &TCustomTabControl::OnChanging);
  // Tabs before TabIndex: the index is only meaningful once the tabs exist.
  RegisterClassInfo<TTabControl, TCustomTabControl>("TTabControl")
      .Object("Tabs", &TTabControl::Tabs, &TTabControl::SetTabs)
      .Int("TabIndex", &TTabControl::TabIndex, &TTabControl::SetTabIndex, -1);
  RegisterClassInfo<TTabSheet, TWinControl>("TTabSheet")
      .Str("Caption", &TControl::Text, &TControl::SetText)
      .Stored([](TTabSheet* c) { return c->IsCaptionStored(); })
      .Bool("TabVisible", &TTabSheet::TabVisible, &TTabSheet::SetTabVisible, true);
  RegisterClassInfo<TPageControl, TCustomTabControl>("TPageControl")
      .Ref("ActivePage", &TPageControl::ActivePageComponent, &TPageControl::SetActivePageComponent);
}
