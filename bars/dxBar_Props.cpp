// Published properties of the framework's classes: what a form resource
// declares for a manager, its bars and links, items, groups and popup menus.
#include "bars/dxBar.h"
#include "platform/FormReader.h"
#include "platform/TypInfo.h"

void dxBarRegisterEditClasses();

void dxBarRegisterClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterEnum<TdxBarItemVisible>("TdxBarItemVisible", {"ivNever", "ivInCustomizing", "ivAlways"});
  RegisterEnum<TdxBarItemAlign>("TdxBarItemAlign", {"iaLeft", "iaCenter", "iaRight", "iaClient"});
  RegisterEnum<TdxBarButtonStyle>("TdxBarButtonStyle", {"bsDefault", "bsChecked", "bsDropDown"});
  RegisterEnum<TdxBarPaintStyle>("TdxBarPaintStyle", {"psStandard", "psCaption", "psCaptionInMenu", "psCaptionGlyph"});
  RegisterEnum<TdxBarUserDefine>("TdxBarUserDefine", {"udCaption", "udGlyph", "udPaintStyle", "udWidth"});
  RegisterEnum<TdxBarDockingStyle>("TdxBarDockingStyle", {"dsNone", "dsLeft", "dsTop", "dsRight", "dsBottom"});
  RegisterEnum<TdxBarManagerStyle>("TdxBarManagerStyle", {"bmsStandard", "bmsEnhanced", "bmsFlat"});
  RegisterEnum<TdxBarMenuAnimations>("TdxBarMenuAnimations", {"maNone", "maRandom", "maUnfold", "maSlide"});
  RegisterEnum<TdxBarBorderStyle>("TdxBarBorderStyle", {"bbsNone", "bbsSingle"});
  RegisterEnum<TdxBarDockAlign>("TdxBarDockAlign", {"dalNone", "dalTop", "dalBottom", "dalLeft", "dalRight"});

  using M = TdxBarManager;
  RegisterClassInfo<M, TComponent>("TdxBarManager")
      .Bool("AllowCallFromAnotherForm", &M::AllowCallFromAnotherForm, &M::SetAllowCallFromAnotherForm, false)
      .Bool("AllowReset", &M::AllowReset, &M::SetAllowReset, true)
      .Bool("AlwaysMerge", &M::AlwaysMerge, &M::SetAlwaysMerge, false)
      .Bool("AlwaysSaveText", &M::AlwaysSaveText, &M::SetAlwaysSaveText, false)
      .Bool("AutoDockColor", &M::AutoDockColor, &M::SetAutoDockColor, true)
      .Bool("AutoHideEmptyBars", &M::AutoHideEmptyBars, &M::SetAutoHideEmptyBars, false)
      .Bool("Scaled", &M::Scaled, &M::SetScaled, true)
      .Object("Font", &M::Font, &M::SetFont)
      .Stored([](M* m) { return !m->UseSystemFont(); })
      .Object("Bars", &M::Bars)
      .Int("ButtonArrowWidth", &M::ButtonArrowWidth, &M::SetButtonArrowWidth, 9)
      .Bool("CanCustomize", &M::CanCustomize, &M::SetCanCustomize, true)
      .Object("Categories", &M::CategoryList)
      .Color("DockColor", &M::DockColor, &M::SetDockColor)
      .Stored([](M* m) { return !m->AutoDockColor(); })
      .Bool("FlatCloseButton", &M::FlatCloseButton, &M::SetFlatCloseButton, false)
      .Object("HelpButtonGlyph", &M::HelpButtonGlyph, &M::SetHelpButtonGlyph)
      .Int("HelpContext", &M::HelpContext, &M::SetHelpContext, 0)
      .Ref("HotImages", &M::HotImages, &M::SetHotImages)
      .Color("ImageListBkColor", &M::ImageListBkColor, &M::SetImageListBkColor, clFuchsia)
      .Ref("Images", &M::Images, &M::SetImages)
      .Str("IniFileName", &M::IniFileName, &M::SetIniFileName)
      .Ref("LargeImages", &M::LargeImages, &M::SetLargeImages)
      .Int("LargeButtonArrowWidth", &M::LargeButtonArrowWidth, &M::SetLargeButtonArrowWidth, 14)
      .Bool("LargeIcons", &M::LargeIcons, &M::SetLargeIcons, false)
      .Enum("MenuAnimations", &M::MenuAnimations, &M::SetMenuAnimations, maNone)
      .Bool("MenusShowRecentItemsFirst", &M::MenusShowRecentItemsFirst, &M::SetMenusShowRecentItemsFirst, true)
      .Int("MostRecentItemsPercents", &M::MostRecentItemsPercents, &M::SetMostRecentItemsPercents, 95)
      .Set<TdxBarDockingStyle>("NotDocking", &M::NotDocking, &M::SetNotDocking, TdxBarDockingStyles{})
      .Object("PopupMenuLinks", &M::PopupMenuLinks, &M::SetPopupMenuLinks)
      .Str("RegistryPath", &M::RegistryPath, &M::SetRegistryPath)
      .Bool("ShowCloseButton", &M::ShowCloseButton, &M::SetShowCloseButton, false)
      .Bool("ShowFullMenusAfterDelay", &M::ShowFullMenusAfterDelay, &M::SetShowFullMenusAfterDelay, true)
      .Bool("ShowHelpButton", &M::ShowHelpButton, &M::SetShowHelpButton, false)
      .Bool("ShowHint", &M::ShowHint, &M::SetShowHint, true)
      .Bool("ShowHintForDisabledItems", &M::ShowHintForDisabledItems, &M::SetShowHintForDisabledItems, true)
      .Bool("ShowShortCutInHint", &M::ShowShortCutInHint, &M::SetShowShortCutInHint, false)
      .Bool("StoreInIniFile", &M::StoreInIniFile, &M::SetStoreInIniFile, false)
      .Bool("StoreInRegistry", &M::StoreInRegistry, &M::SetStoreInRegistry, false)
      .Bool("StretchGlyphs", &M::StretchGlyphs, &M::SetStretchGlyphs, true)
      .Enum("Style", &M::Style, &M::SetStyle, bmsEnhanced)
      .Bool("SunkenBorder", &M::SunkenBorder, &M::SetSunkenBorder, false)
      .Bool("UseF10ForMenu", &M::UseF10ForMenu, &M::SetUseF10ForMenu, true)
      .Bool("UseFullReset", &M::UseFullReset, &M::SetUseFullReset, false)
      .Bool("UseSystemFont", &M::UseSystemFont, &M::SetUseSystemFont)
      .Int("WaitForDockingTime", &M::WaitForDockingTime, &M::SetWaitForDockingTime, 21)
      .Event("OnBarAdd", [](M* m) -> TdxBarEvent& { return m->OnBarAdd; })
      .Event("OnBarAfterReset", [](M* m) -> TdxBarEvent& { return m->OnBarAfterReset; })
      .Event("OnBarBeforeReset", [](M* m) -> TdxBarEvent& { return m->OnBarBeforeReset; })
      .Event("OnBarClose", [](M* m) -> TdxBarEvent& { return m->OnBarClose; })
      .Event("OnBarDelete", [](M* m) -> TdxBarEvent& { return m->OnBarDelete; })
      .Event("OnBarDockingStyleChange", [](M* m) -> TdxBarEvent& { return m->OnBarDockingStyleChange; })
      .Event("OnBarVisibleChange", [](M* m) -> TdxBarVisibleChangeEvent& { return m->OnBarVisibleChange; })
      .Event("OnClickItem", [](M* m) -> TdxBarClickItemEvent& { return m->OnClickItem; })
      .Event("OnCloseButtonClick", [](M* m) -> TNotifyEvent& { return m->OnCloseButtonClick; })
      .Event("OnDocking", [](M* m) -> TdxBarCanDockingEvent& { return m->OnDocking; })
      .Event("OnHelpButtonClick", [](M* m) -> TNotifyEvent& { return m->OnHelpButtonClick; })
      .Event("OnHideCustomizingForm", [](M* m) -> TNotifyEvent& { return m->OnHideCustomizingForm; })
      .Event("OnItemLinkAdd", [](M* m) -> TdxBarItemLinkEvent& { return m->OnItemLinkAdd; })
      .Event("OnItemLinkChange", [](M* m) -> TdxBarItemLinkEvent& { return m->OnItemLinkChange; })
      .Event("OnItemLinkDelete", [](M* m) -> TdxBarItemLinkEvent& { return m->OnItemLinkDelete; })
      .Event("OnMenuMerge", [](M* m) -> TdxBarMenuMergeEvent& { return m->OnMenuMerge; })
      .Event("OnShowCustomizingForm", [](M* m) -> TNotifyEvent& { return m->OnShowCustomizingForm; })
      .Event("OnShowCustomizingPopup", [](M* m) -> TdxBarShowPopupEvent& { return m->OnShowCustomizingPopup; })
      .Event("OnShowToolbarsPopup", [](M* m) -> TdxBarShowPopupEvent& { return m->OnShowToolbarsPopup; });

  RegisterClassInfo<TdxBarManagerCategories, TStringList>("TdxBarManagerCategories")
      .Define([](TdxBarManagerCategories* c, TFiler* filer) {
        TdxBarManager* m = c->BarManager();
        filer->DefineProperty(
            "ItemsVisibles",
            [c, m](TReader* r) {
              r->ReadListBegin();
              for (Integer i = 0; !r->EndOfList(); ++i) {
                Integer v = r->ReadInteger();
                if (i < c->Count() && v >= ivNever && v <= ivAlways) {
                  auto* rec = c->EnsureRecord(i);
                  rec->ItemsVisible = rec->PendingItemsVisible = static_cast<Byte>(v);
                }
              }
              r->ReadListEnd();
              (void)m;
            },
            [c, m](TWriter* w) {
              w->WriteListBegin();
              for (Integer i = 0; i < c->Count(); ++i) w->WriteInteger(m->GetCategoryItemsVisible(i));
              w->WriteListEnd();
            },
            m != nullptr);
        filer->DefineProperty(
            "Visibles",
            [c](TReader* r) {
              r->ReadListBegin();
              for (Integer i = 0; !r->EndOfList(); ++i) {
                bool v = r->ReadBoolean();
                if (i < c->Count()) c->EnsureRecord(i)->Visible = v;
              }
              r->ReadListEnd();
            },
            [c, m](TWriter* w) {
              w->WriteListBegin();
              for (Integer i = 0; i < c->Count(); ++i) w->WriteBoolean(m->GetCategoryVisible(i));
              w->WriteListEnd();
            },
            m != nullptr);
      });

  using B = TdxBar;
  RegisterClassInfo<B, TCollectionItem>("TdxBar")
      .Bool("AllowClose", &B::AllowClose, &B::SetAllowClose, true)
      .Bool("AllowCustomizing", &B::AllowCustomizing, &B::SetAllowCustomizing, true)
      .Bool("AllowQuickCustomizing", &B::AllowQuickCustomizing, &B::SetAllowQuickCustomizing, true)
      .Bool("AllowReset", &B::AllowReset, &B::SetAllowReset, true)
      .Enum("BorderStyle", &B::BorderStyle, &B::SetBorderStyle, bbsSingle)
      .Str("Caption", &B::Caption, &B::SetCaption)
      .Ref("DockControl", &B::DockControl, &B::SetDockControl)
      .Ref("DockedDockControl", &B::DockedDockControl, &B::SetDockedDockControl)
      .Enum("DockedDockingStyle", &B::DockedDockingStyle, &B::SetDockedDockingStyle, dsTop)
      .Stored([](B* b) { return b->IsDockedDockingStyleStored(); })
      .Int("DockedLeft", &B::DockedLeft, &B::SetDockedLeft, 0)
      .Int("DockedTop", &B::DockedTop, &B::SetDockedTop, 0)
      .Enum("DockingStyle", &B::DockingStyle, &B::SetDockingStyle, dsNone)
      .Stored([](B* b) { return b->IsDockingStyleStored(); })
      .Int("FloatLeft", &B::FloatLeft, &B::SetFloatLeft, 0)
      .Int("FloatTop", &B::FloatTop, &B::SetFloatTop, 0)
      .Int("FloatClientWidth", &B::FloatClientWidth, &B::SetFloatClientWidth, 0)
      .Int("FloatClientHeight", &B::FloatClientHeight, &B::SetFloatClientHeight, 0)
      .Object("Font", &B::Font, &B::SetFont)
      .Stored([](B* b) { return b->IsFontStored(); })
      .Bool("Hidden", &B::Hidden, &B::SetHidden, false)
      .Bool("IsMainMenu", &B::IsMainMenu, &B::SetIsMainMenu, false)
      .Object("ItemLinks", &B::ItemLinks)
      .Bool("MultiLine", &B::MultiLine, &B::SetMultiLine, false)
      .Str("Name", &B::Name, &B::SetName)
      .Set<TdxBarDockingStyle>("NotDocking", &B::NotDocking, &B::SetNotDocking, TdxBarDockingStyles{})
      .Bool("OneOnRow", &B::OneOnRow, &B::SetOneOnRow, false)
      .Bool("RotateWhenVertical", &B::RotateWhenVertical, &B::SetRotateWhenVertical, true)
      .Int("Row", &B::Row, &B::SetRow, 0)
      .Bool("ShowMark", &B::ShowMark, &B::SetShowMark, true)
      .Bool("SizeGrip", &B::SizeGrip, &B::SetSizeGrip, true)
      .Bool("UseOwnFont", &B::UseOwnFont, &B::SetUseOwnFont, false)
      .Bool("UseRecentItems", &B::UseRecentItems, &B::SetUseRecentItems, true)
      .Bool("UseRestSpace", &B::UseRestSpace, &B::SetUseRestSpace, false)
      .Bool("Visible", &B::Visible, &B::SetVisible, false)
      .Bool("WholeRow", &B::WholeRow, &B::SetWholeRow, false);
  RegisterClassInfo<TdxBars, TCollection>("TdxBars");

  using L = TdxBarItemLink;
  RegisterClassInfo<L, TCollectionItem>("TdxBarItemLink")
      .Bool("BeginGroup", &L::BeginGroup, &L::SetBeginGroup, false)
      .Ref("Item", &L::Item, &L::SetItem)
      .Bool("MostRecentlyUsed", &L::MostRecentlyUsed, &L::SetMostRecentlyUsed, true)
      .Str("UserCaption", &L::UserCaption, &L::SetUserCaption)
      .Set<TdxBarUserDefine>("UserDefine", &L::UserDefine, &L::SetUserDefine, TdxBarUserDefines{})
      .Object("UserGlyph", &L::UserGlyph, &L::SetUserGlyph)
      .Enum("UserPaintStyle", &L::UserPaintStyle, &L::SetUserPaintStyle, psStandard)
      .Int("UserWidth", &L::UserWidth, &L::SetUserWidth, 0)
      .Bool("Visible", &L::Visible, &L::SetVisible);
  RegisterClassInfo<TdxBarItemLinks, TCollection>("TdxBarItemLinks");

  using I = TdxBarItem;
  RegisterClassInfo<I, TComponent>("TdxBarItem")
      .Ref("Action", &I::Action, &I::SetAction)
      .Enum("Align", &I::Align, &I::SetAlign, iaLeft)
      .Str("Caption", &I::Caption, &I::SetCaption)
      .Stored([](I* i) { return i->IsCaptionStored(); })
      .Int("Category", &I::Category, &I::SetCategory)
      .Str("Description", &I::Description, &I::SetDescription)
      .Bool("Enabled", &I::Enabled, &I::SetEnabled, true)
      .Stored([](I* i) { return i->IsEnabledStored(); })
      .Int("HelpContext", &I::HelpContext, &I::SetHelpContext, 0)
      .Stored([](I* i) { return i->IsHelpContextStored(); })
      .Str("Hint", &I::Hint, &I::SetHint)
      .Stored([](I* i) { return i->IsHintStored(); })
      .Enum("Visible", &I::Visible, &I::SetVisible)
      .Stored([](I* i) { return i->IsVisibleStored(); })
      .Event("OnDestroy", [](I* i) -> TNotifyEvent& { return i->OnDestroy; });

  using Bt = TdxBarButton;
  RegisterClassInfo<Bt, TdxBarItem>("TdxBarButton")
      .Bool("AllowAllUp", &Bt::AllowAllUp, &Bt::SetAllowAllUp, false)
      .Enum("ButtonStyle", &Bt::ButtonStyle, &Bt::SetButtonStyle, bsDefault)
      .Bool("CloseSubMenuOnClick", &Bt::CloseSubMenuOnClick, &Bt::SetCloseSubMenuOnClick, true)
      .Bool("DropDownEnabled", &Bt::DropDownEnabled, &Bt::SetDropDownEnabled, true)
      .Int("GroupIndex", &Bt::GroupIndex, &Bt::SetGroupIndex, 0)
      .Bool("Down", &Bt::Down, &Bt::SetDown)
      .Stored([](Bt* b) { return b->IsDownStored(); })
      .Ref("DropDownMenu", &Bt::DropDownMenu, &Bt::SetDropDownMenu)
      .Object("Glyph", &Bt::Glyph, &Bt::SetGlyph)
      .Int("ImageIndex", &Bt::ImageIndex, &Bt::SetImageIndex, -1)
      .Stored([](Bt* b) { return b->IsImageIndexStored(); })
      .Bool("Lowered", &Bt::Lowered, &Bt::SetLowered, false)
      .Enum("PaintStyle", &Bt::PaintStyle, &Bt::SetPaintStyle, psStandard)
      .Int("ShortCut", &Bt::ShortCut, &Bt::SetShortCut, 0)
      .Stored([](Bt* b) { return b->IsShortCutStored(); })
      .Bool("UnclickAfterDoing", &Bt::UnclickAfterDoing, &Bt::SetUnclickAfterDoing, true)
      .Event("OnClick", [](Bt* b) -> TNotifyEvent& { return b->OnClick; })
      .Stored([](Bt* b) { return b->IsOnClickStored(); });

  using Sb = TCustomdxBarSubItem;
  RegisterClassInfo<Sb, TdxBarItem>("TCustomdxBarSubItem")
      .Int("BarSize", &Sb::BarSize, &Sb::SetBarSize, 0)
      .Bool("Detachable", &Sb::Detachable, &Sb::SetDetachable, false)
      .Int("DetachingBar", &Sb::DetachingBar, &Sb::SetDetachingBar, -1)
      .Object("Glyph", &Sb::Glyph, &Sb::SetGlyph)
      .Int("ImageIndex", &Sb::ImageIndex, &Sb::SetImageIndex, -1)
      .Stored([](Sb* b) { return b->IsImageIndexStored(); })
      .Bool("ShowCaption", &Sb::ShowCaption, &Sb::SetShowCaption, true)
      .Event("OnClick", [](Sb* b) -> TNotifyEvent& { return b->OnClick; })
      .Stored([](Sb* b) { return b->IsOnClickStored(); })
      .Event("OnDetaching", [](Sb* b) -> TNotifyEvent& { return b->OnDetaching; });
  using Si = TdxBarSubItem;
  RegisterClassInfo<Si, TCustomdxBarSubItem>("TdxBarSubItem")
      .Bool("AllowCustomizing", &Si::AllowCustomizing, &Si::SetAllowCustomizing, true)
      .Object("ItemLinks", &Si::ItemLinks)
      .Event("OnCloseUp", [](Si* b) -> TNotifyEvent& { return b->OnCloseUp; })
      .Event("OnPopup", [](Si* b) -> TNotifyEvent& { return b->OnPopup; });
  using Ci = TCustomdxBarContainerItem;
  RegisterClassInfo<Ci, TCustomdxBarSubItem>("TCustomdxBarContainerItem")
      .Event("OnGetData", [](Ci* b) -> TNotifyEvent& { return b->OnGetData; });
  using Li = TdxBarListItem;
  RegisterClassInfo<Li, TCustomdxBarContainerItem>("TdxBarListItem")
      .Int("ItemIndex", &Li::ItemIndex, &Li::SetItemIndex, -1)
      .Object("Items", &Li::Items, &Li::SetItems)
      .Bool("ShowCheck", &Li::ShowCheck, &Li::SetShowCheck, false)
      .Bool("ShowNumbers", &Li::ShowNumbers, &Li::SetShowNumbers, true);
  RegisterClassInfo<TdxBarContainerItem, TCustomdxBarContainerItem>("TdxBarContainerItem")
      .Object("ItemLinks", &TdxBarContainerItem::ItemLinks);

  RegisterClassInfo<TdxBarGroup, TComponent>("TdxBarGroup")
      .Bool("Enabled", &TdxBarGroup::Enabled, &TdxBarGroup::SetEnabled, true)
      .Enum("Visible", &TdxBarGroup::Visible, &TdxBarGroup::SetVisible, ivAlways);

  using PL = TdxBarPopupMenuLink;
  RegisterClassInfo<PL, TCollectionItem>("TdxBarPopupMenuLink")
      .Ref("Control", &PL::Control, &PL::SetControl)
      .Ref("PopupMenu", &PL::PopupMenu, &PL::SetPopupMenu)
      .Event("OnAction", [](PL* l) -> TdxBarPopupMenuLinkActionEvent& { return l->OnAction; });
  RegisterClassInfo<TdxBarPopupMenuLinks, TCollection>("TdxBarPopupMenuLinks");

  using D = TdxBarDockControl;
  RegisterClassInfo<TdxDockControl, TCustomControl>("TdxDockControl").Info().Streamable = false;
  RegisterClassInfo<D, TdxDockControl>("TdxBarDockControl")
      .Enum("Align", &D::DockAlign, &D::SetDockAlign, dalTop)
      .Bool("AllowDocking", &D::AllowDocking, &D::SetAllowDocking, true)
      .Bool("AllowZeroSizeInDesignTime", &D::AllowZeroSizeInDesignTime, &D::SetAllowZeroSizeInDesignTime, false)
      .Ref("BarManager", &D::BarManager, &D::SetBarManager)
      .Color("Color", &D::OwnColor, &D::SetOwnColor)
      .Stored([](D* d) { return d->IsColorStored(); })
      .Bool("ParentColor", &D::OwnParentColor, &D::SetOwnParentColor)
      .Stored([](D* d) { return d->IsColorStored(); })
      .Bool("SunkenBorder", &D::SunkenBorder, &D::SetSunkenBorder)
      .Stored([](D* d) { return d->UseOwnSunkenBorder(); })
      .Bool("UseOwnColor", &D::UseOwnColor, &D::SetUseOwnColor, false)
      .Bool("UseOwnSunkenBorder", &D::UseOwnSunkenBorder, &D::SetUseOwnSunkenBorder, false);

  RegisterClassInfo<TdxBarPopupMenu, TComponent>("TdxBarPopupMenu")
      .Ref("BarManager", &TdxBarPopupMenu::BarManager, &TdxBarPopupMenu::SetBarManager)
      .Object("ItemLinks", &TdxBarPopupMenu::ItemLinks)
      .Bool("UseRecentItems", &TdxBarPopupMenu::UseRecentItems, &TdxBarPopupMenu::SetUseRecentItems, true);
  dxBarRegisterEditClasses();
}
