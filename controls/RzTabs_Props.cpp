// Published properties of the tab control, the page control and its sheets.
#include "controls/RzTabs.h"
#include "platform/FormReader.h"
#include "platform/TypInfo.h"

void RegisterRzTabsClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterRzCommonClasses();
  RegisterRzButtonClasses();     // TRzHotTrackColorType
  RegisterRzSpinEditClasses();   // TOrientation
  RegisterEnum<TRzTabOrientation>("TRzTabOrientation", {"toTop", "toLeft", "toBottom", "toRight"});
  RegisterEnum<TRzTabSequence>("TRzTabSequence", {"tsStandard", "tsReverse"});
  RegisterEnum<TRzTabStyle>("TRzTabStyle", {"tsSingleSlant", "tsDoubleSlant", "tsCutCorner", "tsRoundCorners"});
  RegisterEnum<TRzImagePosition>("TRzImagePosition", {"ipLeft", "ipTop", "ipRight", "ipBottom", "ipBack", "ipStretch"});
  RegisterEnum<TRzHorizontalAlignment>("TRzHorizontalAlignment", {"haLeft", "haCenter", "haRight"});
  RegisterEnum<TRzVerticalAlignment>("TRzVerticalAlignment", {"vaTop", "vaCenter", "vaBottom"});
  RegisterEnum<TRzHotTrackStyle>("TRzHotTrackStyle", {"htsTab", "htsText"});

  RegisterClassInfo<TRzTabColors, TPersistent>("TRzTabColors")
      .Color("HighlightBar", &TRzTabColors::HighlightBar, &TRzTabColors::SetHighlightBar, clHighlight)
      .Color("Shadow", &TRzTabColors::Shadow, &TRzTabColors::SetShadow, clBtnFace)
      .Color("Unselected", &TRzTabColors::Unselected, &TRzTabColors::SetUnselected, clWindow);
  RegisterClassInfo<TRzTextColors, TPersistent>("TRzTextColors")
      .Color("DisabledHighlight", &TRzTextColors::DisabledHighlight, &TRzTextColors::SetDisabledHighlight,
             clBtnHighlight)
      .Color("DisabledShadow", &TRzTextColors::DisabledShadow, &TRzTextColors::SetDisabledShadow, clBtnShadow)
      .Color("Selected", &TRzTextColors::Selected, &TRzTextColors::SetSelected, clBtnText)
      .Color("Unselected", &TRzTextColors::Unselected, &TRzTextColors::SetUnselected, clBtnText);

  using T = TRzCustomTabControl;
  RegisterClassInfo<T, TCustomControl>("TRzCustomTabControl")
      .Bool("AlignTabs", &T::AlignTabs, &T::SetAlignTabs, false)
      .Bool("AllowTabDragging", &T::AllowTabDragging, &T::SetAllowTabDragging, false)
      .Color("BackgroundColor", &T::BackgroundColor, &T::SetBackgroundColor)
      .Stored([](T* t) { return !t->ParentBackgroundColor(); })
      .Bool("BoldCurrentTab", &T::BoldCurrentTab, &T::SetBoldCurrentTab, false)
      .Bool("UseColoredTabs", &T::UseColoredTabs, &T::SetUseColoredTabs, false)
      .Int("CutCornerSize", &T::CutCornerSize, &T::SetCutCornerSize, 6)
      .Color("FlatColor", &T::FlatColor, &T::SetFlatColor, clBtnShadow)
      .Int("FlatColorAdjustment", &T::FlatColorAdjustment, &T::SetFlatColorAdjustment, 0)
      .Enum("ImagePosition", &T::ImagePosition, &T::SetImagePosition, ipLeft)
      .Enum("ImageAlignment", &T::ImageAlignment, &T::SetImageAlignment, haCenter)
      .Int("ImageMargin", &T::ImageMargin, &T::SetImageMargin, 2)
      .Enum("ImageAlignmentVertical", &T::ImageAlignmentVertical, &T::SetImageAlignmentVertical, vaCenter)
      .Bool("HotTrack", &T::HotTrack, &T::SetHotTrack, true)
      .Color("HotTrackColor", &T::HotTrackColor, &T::SetHotTrackColor, clHighlight)
      .Enum("HotTrackColorType", &T::HotTrackColorType, &T::SetHotTrackColorType, htctComplement)
      .Enum("HotTrackStyle", &T::HotTrackStyle, &T::SetHotTrackStyle, htsTab)
      .Ref("Images", &T::Images, &T::SetImages)
      .Int("Margin", &T::Margin, &T::SetMargin, 0)
      .Bool("MultiLine", &T::MultiLine, &T::SetMultiLine, false)
      .Bool("ParentBackgroundColor", &T::ParentBackgroundColor, &T::SetParentBackgroundColor, true)
      .Int("RowIndent", &T::RowIndent, &T::SetRowIndent, 5)
      .Int("RowOverlap", &T::RowOverlap, &T::SetRowOverlap, 5)
      .Bool("ShowCardFrame", &T::ShowCardFrame, &T::SetShowCardFrame, true)
      .Bool("ShowCloseButton", &T::ShowCloseButton, &T::SetShowCloseButton, false)
      .Bool("ShowFocusRect", &T::ShowFocusRect, &T::SetShowFocusRect, true)
      .Bool("ShowFullFrame", &T::ShowFullFrame, &T::SetShowFullFrame, true)
      .Bool("ShowShadow", &T::ShowShadow, &T::SetShowShadow, true)
      .Enum("TextOrientation", &T::TextOrientation, &T::SetTextOrientation, orHorizontal)
      .Object("TabColors", &T::TabColors)
      .Int("TabHeight", &T::TabHeight, &T::SetTabHeight, 0)
      .Bool("TabHints", &T::TabHints, &T::SetTabHints, false)
      .Enum("TabOrientation", &T::TabOrientation, &T::SetTabOrientation, toTop)
      .Enum("TabSequence", &T::TabSequence, &T::SetTabSequence, tsStandard)
      .Enum("TabStyle", &T::TabStyle, &T::SetTabStyle, tsSingleSlant)
      .Int("TabWidth", &T::TabWidth, &T::SetTabWidth, 0)
      .Object("TextColors", &T::TextColors)
      .Enum("TextAlignment", &T::TextAlignment, &T::SetTextAlignment, haCenter)
      .Enum("TextAlignmentVertical", &T::TextAlignmentVertical, &T::SetTextAlignmentVertical, vaCenter)
      .Bool("Transparent", &T::Transparent, &T::SetTransparent, false)
      .Bool("UseGradients", &T::UseGradients, &T::SetUseGradients, true)
      // After the tabs' own settings: an index means something only then.
      .Int("TabIndex", &T::TabIndex, &T::SetTabIndex, -1)
      .Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, true)
      .Event("OnChange", &T::OnChange)
      .Event("OnChanging", &T::OnChanging)
      .Event("OnClose", &T::OnClose)
      .Event("OnGetTextColor", &T::OnGetTextColor)
      .Event("OnPaintBackground", &T::OnPaintBackground)
      .Event("OnPaintCardBackground", &T::OnPaintCardBackground)
      .Event("OnPaintTabBackground", &T::OnPaintTabBackground)
      .Event("OnTabClick", &T::OnTabClick)
      // Streamed by the control itself so the page rectangle is right before
      // the first layout (which overwrites it).
      .Define([](T* t, TFiler* filer) {
        filer->DefineProperty(
            "FixedDimension", [t](TReader* r) { t->SetFixedDimension(r->ReadInteger()); },
            [t](TWriter* w) { w->WriteInteger(t->FixedDimension()); }, true);
      });

  RegisterClassInfo<TRzPageControl, T>("TRzPageControl")
      .Int("Height", &TControl::Height, &TControl::SetHeight)
      .Ref("ActivePage", &TRzPageControl::ActivePageComponent, &TRzPageControl::SetActivePageComponent)
      .Ref("ActivePageDefault", &TRzPageControl::ActivePageDefaultComponent,
           &TRzPageControl::SetActivePageDefaultComponent)
      .Bool("SaveResources", &TRzPageControl::SaveResources, &TRzPageControl::SetSaveResources, false);

  using S = TRzTabSheet;
  RegisterClassInfo<S, TCustomControl>("TRzTabSheet")
      .Str("Caption", &TControl::Caption, &TControl::SetCaption)
      .Stored([](S* s) { return s->IsCaptionStored(); })
      .Color("Color", &S::Color, &S::SetColor)
      .Int("DisabledIndex", &S::DisabledIndex, &S::SetDisabledIndex, -1)
      .Int("ImageIndex", &S::ImageIndex, &S::SetImageIndex, -1)
      .Bool("TabEnabled", &S::TabEnabled, &S::SetTabEnabled, true)
      .Bool("TabVisible", &S::TabVisible, &S::SetTabVisible, true)
      .Event("OnPaintBackground", &S::OnPaintBackground)
      // The page control places, shows and orders its pages; none of that is the sheet's to store.
      .Enum("Align", &TControl::Align, &TControl::SetAlign, alClient)
      .Stored([](S*) { return false; })
      .Bool("Visible", &TControl::Visible, &TControl::SetVisible, true)
      .Stored([](S*) { return false; })
      .Int("TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder)
      .Stored([](S*) { return false; });
}
