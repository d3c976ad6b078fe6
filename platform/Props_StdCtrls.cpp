// Published properties of the standard and common controls, menus and dialogs.
#include <string_view>

#include "platform/ActnList.h"
#include "platform/Buttons.h"
#include "platform/ComCtrls.h"
#include "platform/Dialogs.h"
#include "platform/ExtCtrls.h"
#include "platform/Menus.h"
#include "platform/StdCtrls.h"
#include "platform/TypInfo.h"

namespace {

// Caption, Color and the other properties most visible controls publish.
template <class C>
void AddCommon(TClassBuilder<C>& b, const char* TextName, std::optional<Int64> ColorDefault) {
  b.Str(TextName, &TControl::Text, &TControl::SetText);
  if (std::string_view(TextName) == "Caption") b.Stored([](C* c) { return c->IsCaptionStored(); });
  b.Color("Color", &TControl::Color, &TControl::SetColor, ColorDefault);
  b.Stored([](C* c) { return !c->ParentColor(); });
}

}  // namespace

void RegisterStdCtrlsProps() {
  RegisterEnum<TAlignment>("TAlignment", {"taLeftJustify", "taRightJustify", "taCenter"});
  RegisterEnum<TTextLayout>("TTextLayout", {"tlTop", "tlCenter", "tlBottom"});
  RegisterEnum<TEditCharCase>("TEditCharCase", {"ecNormal", "ecUpperCase", "ecLowerCase"});
  RegisterEnum<TScrollStyle>("TScrollStyle", {"ssNone", "ssHorizontal", "ssVertical", "ssBoth"});
  RegisterEnum<TCheckBoxState>("TCheckBoxState", {"cbUnchecked", "cbChecked", "cbGrayed"});
  RegisterEnum<TListBoxStyle>("TListBoxStyle", {"lbStandard", "lbOwnerDrawFixed", "lbOwnerDrawVariable"});
  RegisterEnum<TComboBoxStyle>("TComboBoxStyle",
                               {"csDropDown", "csSimple", "csDropDownList", "csOwnerDrawFixed", "csOwnerDrawVariable"});
  RegisterEnum<TPanelBevel>("TPanelBevel", {"bvNone", "bvLowered", "bvRaised", "bvSpace"});
  RegisterEnum<TBevelStyle>("TBevelStyle", {"bsLowered", "bsRaised"});
  RegisterEnum<TBevelShape>("TBevelShape",
                            {"bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine", "bsSpacer"});
  RegisterEnum<TShapeType>("TShapeType",
                           {"stRectangle", "stSquare", "stRoundRect", "stRoundSquare", "stEllipse", "stCircle"});
  RegisterEnum<TStatusPanelStyle>("TStatusPanelStyle", {"psText", "psOwnerDraw"});
  RegisterEnum<TStatusPanelBevel>("TStatusPanelBevel", {"pbNone", "pbLowered", "pbRaised"});
  RegisterEnum<TProgressBarOrientation>("TProgressBarOrientation", {"pbHorizontal", "pbVertical"});
  RegisterEnum<TTrackBarOrientation>("TTrackBarOrientation", {"trHorizontal", "trVertical"});
  RegisterEnum<TTickStyle>("TTickStyle", {"tsNone", "tsAuto", "tsManual"});
  RegisterEnum<TTickMark>("TTickMark", {"tmBottomRight", "tmTopLeft", "tmBoth"});
  RegisterEnum<TUDAlignButton>("TUDAlignButton", {"udLeft", "udRight"});
  RegisterEnum<TUDOrientation>("TUDOrientation", {"udHorizontal", "udVertical"});
  RegisterEnum<TViewStyle>("TViewStyle", {"vsIcon", "vsSmallIcon", "vsList", "vsReport"});
  RegisterEnum<TSortType>("TSortType", {"stNone", "stData", "stText", "stBoth"});
  RegisterEnum<TOpenOption>("TOpenOption",
                            {"ofReadOnly", "ofOverwritePrompt", "ofHideReadOnly", "ofNoChangeDir", "ofShowHelp",
                             "ofNoValidate", "ofAllowMultiSelect", "ofExtensionDifferent", "ofPathMustExist",
                             "ofFileMustExist", "ofCreatePrompt", "ofShareAware", "ofNoReadOnlyReturn",
                             "ofNoTestFileCreate", "ofNoNetworkButton", "ofNoLongNames", "ofOldStyleDialog",
                             "ofNoDereferenceLinks", "ofEnableIncludeNotify", "ofEnableSizing", "ofDontAddToRecent",
                             "ofForceShowHidden"});
  RegisterEnum<TColorDialogOption>("TColorDialogOption",
                                   {"cdFullOpen", "cdPreventFullOpen", "cdShowHelp", "cdSolidColor", "cdAnyColor"});
  RegisterEnum<TPopupAlignment>("TPopupAlignment", {"paLeft", "paRight", "paCenter"});

  // --- StdCtrls
  {
    auto b = RegisterClassInfo<TCustomLabel, TGraphicControl>("TCustomLabel");
    AddCommon(b, "Caption", std::nullopt);
    b.Enum("Alignment", &TCustomLabel::Alignment, &TCustomLabel::SetAlignment, taLeftJustify)
        .Bool("AutoSize", &TCustomLabel::AutoSize, &TCustomLabel::SetAutoSize, true)
        .Enum("Layout", &TCustomLabel::Layout, &TCustomLabel::SetLayout, tlTop)
        .Bool("WordWrap", &TCustomLabel::WordWrap, &TCustomLabel::SetWordWrap, false)
        .Bool("Transparent", &TCustomLabel::Transparent, &TCustomLabel::SetTransparent, false)
        .Bool("ShowAccelChar", &TCustomLabel::ShowAccelChar, &TCustomLabel::SetShowAccelChar, true)
        .Ref("FocusControl", &TCustomLabel::FocusControlComponent, &TCustomLabel::SetFocusControlComponent);
  }
  RegisterClassInfo<TLabel, TCustomLabel>("TLabel");
  {
    auto b = RegisterClassInfo<TCustomEdit, TWinControl>("TCustomEdit");
    AddCommon(b, "Text", clWindow);
    b.Enum("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle, bsSingle)
        .Int("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength, 0)
        .Bool("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly, false)
        .Enum("CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase, ecNormal)
        .Bool("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect, true)
        .Bool("HideSelection", &TCustomEdit::HideSelection, &TCustomEdit::SetHideSelection, true)
        .Bool("OEMConvert", &TCustomEdit::OEMConvert, &TCustomEdit::SetOEMConvert, false)
        .Str(
            "PasswordChar",
            [](TCustomEdit* e) { return e->PasswordChar() ? std::string(1, e->PasswordChar()) : std::string(); },
            [](TCustomEdit* e, const std::string& v) { e->SetPasswordChar(v.empty() ? '\0' : v[0]); })
        .Event("OnChange", &TCustomEdit::OnChange);
  }
  RegisterClassInfo<TEdit, TCustomEdit>("TEdit");
  RegisterClassInfo<TCustomMaskEdit, TCustomEdit>("TCustomMaskEdit")
      .Str("EditMask", &TCustomMaskEdit::EditMask, &TCustomMaskEdit::SetEditMask);
  RegisterClassInfo<TMaskEdit, TCustomMaskEdit>("TMaskEdit");
  RegisterClassInfo<TCustomMemo, TCustomEdit>("TCustomMemo")
      .Object("Lines", &TCustomMemo::Lines, &TCustomMemo::SetLines)
      .Stored([](TCustomMemo*) { return true; })
      .Enum("ScrollBars", &TCustomMemo::ScrollBars, &TCustomMemo::SetScrollBars, ssNone)
      .Bool("WordWrap", &TCustomMemo::WordWrap, &TCustomMemo::SetWordWrap, true)
      .Bool("WantReturns", &TCustomMemo::WantReturns, &TCustomMemo::SetWantReturns, true)
      .Bool("WantTabs", &TCustomMemo::WantTabs, &TCustomMemo::SetWantTabs, false)
      .Enum("Alignment", &TCustomMemo::Alignment, &TCustomMemo::SetAlignment, taLeftJustify);
  RegisterClassInfo<TMemo, TCustomMemo>("TMemo");
  RegisterClassInfo<TButtonControl, TWinControl>("TButtonControl");
  RegisterClassInfo<TButton, TButtonControl>("TButton")
      .Str("Caption", &TControl::Caption, &TControl::SetCaption)
      .Stored([](TButton* c) { return c->IsCaptionStored(); })
      .Bool("Default", &TButton::Default, &TButton::SetDefault, false)
      .Bool("Cancel", &TButton::Cancel, &TButton::SetCancel, false)
      .Int("ModalResult", &TButton::ModalResult, &TButton::SetModalResult, mrNone);
  {
    auto b = RegisterClassInfo<TCustomCheckBox, TButtonControl>("TCustomCheckBox");
    AddCommon(b, "Caption", std::nullopt);
    // The state stands for Checked, which a linked action gives.
    b.Enum("State", &TCustomCheckBox::State, &TCustomCheckBox::SetState, cbUnchecked)
        .Stored([](TCustomCheckBox* c) { return c->State() == cbGrayed || c->IsCheckedStored(); })
        .Bool("Checked", &TCustomCheckBox::Checked, &TCustomCheckBox::SetChecked, false)
        .Stored([](TCustomCheckBox*) { return false; })
        .Bool("AllowGrayed", &TCustomCheckBox::AllowGrayed, &TCustomCheckBox::SetAllowGrayed, false)
        .Enum("Alignment", &TCustomCheckBox::Alignment, &TCustomCheckBox::SetAlignment, taRightJustify);
  }
  RegisterClassInfo<TCheckBox, TCustomCheckBox>("TCheckBox");
  {
    auto b = RegisterClassInfo<TRadioButton, TButtonControl>("TRadioButton");
    AddCommon(b, "Caption", std::nullopt);
    b.Bool("Checked", &TRadioButton::Checked, &TRadioButton::SetChecked, false)
        .Stored([](TRadioButton* c) { return c->IsCheckedStored(); })
        .Enum("Alignment", &TRadioButton::Alignment, &TRadioButton::SetAlignment, taRightJustify);
  }
  {
    auto b = RegisterClassInfo<TCustomGroupBox, TCustomControl>("TCustomGroupBox");
    AddCommon(b, "Caption", std::nullopt);
  }
  RegisterClassInfo<TGroupBox, TCustomGroupBox>("TGroupBox");
  {
    auto b = RegisterClassInfo<TCustomListBox, TWinControl>("TCustomListBox");
    b.Color("Color", &TControl::Color, &TControl::SetColor, clWindow).Stored([](TCustomListBox* c) {
      return !c->ParentColor();
    });
    b.Object("Items", &TCustomListBox::Items, &TCustomListBox::SetItems)
        .Stored([](TCustomListBox*) { return true; })
        .Bool("MultiSelect", &TCustomListBox::MultiSelect, &TCustomListBox::SetMultiSelect, false)
        .Bool("ExtendedSelect", &TCustomListBox::ExtendedSelect, &TCustomListBox::SetExtendedSelect, true)
        .Enum("Style", &TCustomListBox::Style, &TCustomListBox::SetStyle, lbStandard)
        .Int("ItemHeight", &TCustomListBox::ItemHeight, &TCustomListBox::SetItemHeight)
        .Bool("Sorted", &TCustomListBox::Sorted, &TCustomListBox::SetSorted, false)
        .Bool("IntegralHeight", &TCustomListBox::IntegralHeight, &TCustomListBox::SetIntegralHeight, false)
        .Enum("BorderStyle", &TCustomListBox::BorderStyle, &TCustomListBox::SetBorderStyle, bsSingle)
        .Int("TabWidth", &TCustomListBox::TabWidth, &TCustomListBox::SetTabWidth, 0)
        .Event("OnDrawItem", &TCustomListBox::OnDrawItem)
        .Event("OnMeasureItem", &TCustomListBox::OnMeasureItem);
  }
  RegisterClassInfo<TListBox, TCustomListBox>("TListBox");
  {
    auto b = RegisterClassInfo<TCustomComboBox, TWinControl>("TCustomComboBox");
    AddCommon(b, "Text", clWindow);
    b.Enum("Style", &TCustomComboBox::Style, &TCustomComboBox::SetStyle, csDropDown)
        .Object("Items", &TCustomComboBox::Items, &TCustomComboBox::SetItems)
        .Stored([](TCustomComboBox*) { return true; })
        .Int("ItemIndex", &TCustomComboBox::ItemIndex, &TCustomComboBox::SetItemIndex, -1)
        .Int("DropDownCount", &TCustomComboBox::DropDownCount, &TCustomComboBox::SetDropDownCount, 8)
        .Int("ItemHeight", &TCustomComboBox::ItemHeight, &TCustomComboBox::SetItemHeight)
        .Int("MaxLength", &TCustomComboBox::MaxLength, &TCustomComboBox::SetMaxLength, 0)
        .Bool("Sorted", &TCustomComboBox::Sorted, &TCustomComboBox::SetSorted, false)
        .Bool("AutoDropDown", &TCustomComboBox::AutoDropDown, &TCustomComboBox::SetAutoDropDown, false)
        .Enum("CharCase", &TCustomComboBox::CharCase, &TCustomComboBox::SetCharCase, ecNormal)
        .Event("OnChange", &TCustomComboBox::OnChange)
        .Event("OnDropDown", &TCustomComboBox::OnDropDown)
        .Event("OnCloseUp", &TCustomComboBox::OnCloseUp)
        .Event("OnSelect", &TCustomComboBox::OnSelect)
        .Event("OnDrawItem", &TCustomComboBox::OnDrawItem)
        .Event("OnMeasureItem", &TCustomComboBox::OnMeasureItem);
  }
  RegisterClassInfo<TComboBox, TCustomComboBox>("TComboBox");

  // --- ExtCtrls
  {
    auto b = RegisterClassInfo<TCustomPanel, TCustomControl>("TCustomPanel");
    AddCommon(b, "Caption", clBtnFace);
    b.Enum("Alignment", &TCustomPanel::Alignment, &TCustomPanel::SetAlignment, taCenter)
        .Enum("BevelInner", &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner, bvNone)
        .Enum("BevelOuter", &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter, bvRaised)
        .Int("BevelWidth", &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth, 1)
        .Int("BorderWidth", &TWinControl::BorderWidth, &TWinControl::SetBorderWidth, 0)
        .Enum("BorderStyle", &TCustomPanel::BorderStyle, &TCustomPanel::SetBorderStyle, bsNone)
        .Bool("FullRepaint", &TCustomPanel::FullRepaint, &TCustomPanel::SetFullRepaint, true)
        .Bool("Locked", &TCustomPanel::Locked, &TCustomPanel::SetLocked, false)
        .Bool("ParentBackground", &TWinControl::ParentBackground, &TWinControl::SetParentBackground);
  }
  RegisterClassInfo<TPanel, TCustomPanel>("TPanel");
  RegisterClassInfo<TBevel, TGraphicControl>("TBevel")
      .Enum("Shape", &TBevel::Shape, &TBevel::SetShape, bsBox)
      .Enum("Style", &TBevel::Style, &TBevel::SetStyle, bsLowered);
  RegisterClassInfo<TImage, TGraphicControl>("TImage")
      .Object("Picture", &TImage::Picture, &TImage::SetPicture)
      .Bool("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize, false)
      .Bool("Center", &TImage::Center, &TImage::SetCenter, false)
      .Bool("Stretch", &TImage::Stretch, &TImage::SetStretch, false)
      .Bool("Transparent", &TImage::Transparent, &TImage::SetTransparent, false)
      .Bool("IncrementalDisplay", &TImage::IncrementalDisplay, &TImage::SetIncrementalDisplay, false)
      .Event("OnProgress", &TImage::OnProgress);
  RegisterClassInfo<TShape, TGraphicControl>("TShape")
      .Object("Brush", &TShape::Brush, &TShape::SetBrush)
      .Object("Pen", &TShape::Pen, &TShape::SetPen)
      .Enum("Shape", &TShape::Shape, &TShape::SetShape, stRectangle);
  {
    auto b = RegisterClassInfo<TPaintBox, TGraphicControl>("TPaintBox");
    b.Color("Color", &TControl::Color, &TControl::SetColor).Stored([](TPaintBox* c) { return !c->ParentColor(); });
    b.Event("OnPaint", &TPaintBox::OnPaint);
  }
  RegisterClassInfo<TControlScrollBar, TPersistent>("TControlScrollBar")
      .Int("Increment", &TControlScrollBar::Increment, &TControlScrollBar::SetIncrement, 8)
      .Int("Margin", &TControlScrollBar::Margin, &TControlScrollBar::SetMargin, 0)
      .Int("Position", &TControlScrollBar::Position, &TControlScrollBar::SetPosition, 0)
      // Stored only when set by hand; with AutoScroll the range follows the children.
      .Int("Range", &TControlScrollBar::Range, &TControlScrollBar::SetRange, 0)
      .Stored([](TControlScrollBar* b) { return !b->Control()->AutoScroll(); })
      .Bool("Tracking", &TControlScrollBar::Tracking, &TControlScrollBar::SetTracking, false)
      .Bool("Visible", &TControlScrollBar::Visible, &TControlScrollBar::SetVisible, true);
  RegisterClassInfo<TScrollingWinControl, TWinControl>("TScrollingWinControl")
      .Object("HorzScrollBar", &TScrollingWinControl::HorzScrollBar, &TScrollingWinControl::SetHorzScrollBar)
      .Object("VertScrollBar", &TScrollingWinControl::VertScrollBar, &TScrollingWinControl::SetVertScrollBar)
      .Bool("AutoScroll", &TScrollingWinControl::AutoScroll, &TScrollingWinControl::SetAutoScroll, true);
  {
    auto b = RegisterClassInfo<TScrollBox, TScrollingWinControl>("TScrollBox");
    b.Color("Color", &TControl::Color, &TControl::SetColor, clBtnFace).Stored([](TScrollBox* c) {
      return !c->ParentColor();
    });
    b.Enum("BorderStyle", &TScrollBox::BorderStyle, &TScrollBox::SetBorderStyle, bsSingle);
  }

  // --- Buttons
  RegisterEnum<TButtonLayout>("TButtonLayout", {"blGlyphLeft", "blGlyphRight", "blGlyphTop", "blGlyphBottom"});
  RegisterEnum<TBitBtnKind>("TBitBtnKind", {"bkCustom", "bkOK", "bkCancel", "bkHelp", "bkYes", "bkNo", "bkClose",
                                            "bkAbort", "bkRetry", "bkIgnore", "bkAll"});
  RegisterClassInfo<TSpeedButton, TGraphicControl>("TSpeedButton")
      .Str("Caption", &TControl::Caption, &TControl::SetCaption)
      .Stored([](TSpeedButton* c) { return c->IsCaptionStored(); })
      .Object("Glyph", &TSpeedButton::Glyph, &TSpeedButton::SetGlyph)
      .Int("NumGlyphs", &TSpeedButton::NumGlyphs, &TSpeedButton::SetNumGlyphs, 1)
      .Int("GroupIndex", &TSpeedButton::GroupIndex, &TSpeedButton::SetGroupIndex, 0)
      .Bool("Down", &TSpeedButton::Down, &TSpeedButton::SetDown, false)
      .Bool("AllowAllUp", &TSpeedButton::AllowAllUp, &TSpeedButton::SetAllowAllUp, false)
      .Bool("Flat", &TSpeedButton::Flat, &TSpeedButton::SetFlat, false)
      .Enum("Layout", &TSpeedButton::Layout, &TSpeedButton::SetLayout, blGlyphLeft)
      .Int("Margin", &TSpeedButton::Margin, &TSpeedButton::SetMargin, -1)
      .Int("Spacing", &TSpeedButton::Spacing, &TSpeedButton::SetSpacing, 4);

  // --- ComCtrls
  RegisterClassInfo<TCustomImageList, TComponent>("TCustomImageList")
      .Int("Width", &TCustomImageList::Width, &TCustomImageList::SetWidth, 16)
      .Int("Height", &TCustomImageList::Height, &TCustomImageList::SetHeight, 16)
      .Bool("Masked", &TCustomImageList::Masked, &TCustomImageList::SetMasked, true)
      .Event("OnChange", &TCustomImageList::OnChange);
  RegisterClassInfo<TImageList, TCustomImageList>("TImageList");
  RegisterClassInfo<TStatusPanel, TCollectionItem>("TStatusPanel")
      .Str("Text", &TStatusPanel::Text, &TStatusPanel::SetText)
      .Int("Width", &TStatusPanel::Width, &TStatusPanel::SetWidth, 50)
      .Enum("Style", &TStatusPanel::Style, &TStatusPanel::SetStyle, psText)
      .Enum("Bevel", &TStatusPanel::Bevel, &TStatusPanel::SetBevel, pbLowered)
      .Enum("Alignment", &TStatusPanel::Alignment, &TStatusPanel::SetAlignment, taLeftJustify);
  RegisterClassInfo<TStatusPanels, TCollection>("TStatusPanels");
  RegisterClassInfo<TStatusBar, TWinControl>("TStatusBar")
      .Object("Panels", &TStatusBar::Panels, &TStatusBar::SetPanels)
      .Bool("SimplePanel", &TStatusBar::SimplePanel, &TStatusBar::SetSimplePanel, false)
      .Str("SimpleText", &TStatusBar::SimpleText, &TStatusBar::SetSimpleText)
      .Bool("SizeGrip", &TStatusBar::SizeGrip, &TStatusBar::SetSizeGrip, true)
      .Event("OnDrawPanel", &TStatusBar::OnDrawPanel);
  RegisterClassInfo<TProgressBar, TWinControl>("TProgressBar")
      .Int("Min", &TProgressBar::Min, &TProgressBar::SetMin, 0)
      .Int("Max", &TProgressBar::Max, &TProgressBar::SetMax, 100)
      .Int("Position", &TProgressBar::Position, &TProgressBar::SetPosition, 0)
      .Int("Step", &TProgressBar::Step, &TProgressBar::SetStep, 10)
      .Bool("Smooth", &TProgressBar::Smooth, &TProgressBar::SetSmooth, false)
      .Enum("Orientation", &TProgressBar::Orientation, &TProgressBar::SetOrientation, pbHorizontal);
  RegisterClassInfo<TTrackBar, TWinControl>("TTrackBar")
      .Int("Min", &TTrackBar::Min, &TTrackBar::SetMin, 0)
      .Int("Max", &TTrackBar::Max, &TTrackBar::SetMax, 10)
      .Int("Position", &TTrackBar::Position, &TTrackBar::SetPosition, 0)
      .Int("Frequency", &TTrackBar::Frequency, &TTrackBar::SetFrequency, 1)
      .Int("LineSize", &TTrackBar::LineSize, &TTrackBar::SetLineSize, 1)
      .Int("PageSize", &TTrackBar::PageSize, &TTrackBar::SetPageSize, 2)
      .Int("ThumbLength", &TTrackBar::ThumbLength, &TTrackBar::SetThumbLength, 20)
      .Enum("Orientation", &TTrackBar::Orientation, &TTrackBar::SetOrientation, trHorizontal)
      .Enum("TickStyle", &TTrackBar::TickStyle, &TTrackBar::SetTickStyle, tsAuto)
      .Enum("TickMarks", &TTrackBar::TickMarks, &TTrackBar::SetTickMarks, tmBottomRight)
      .Event("OnChange", &TTrackBar::OnChange);
  RegisterClassInfo<TUpDown, TWinControl>("TUpDown")
      .Int("Min", &TUpDown::Min, &TUpDown::SetMin, 0)
      .Int("Max", &TUpDown::Max, &TUpDown::SetMax, 100)
      .Int("Position", &TUpDown::Position, &TUpDown::SetPosition, 0)
      .Int("Increment", &TUpDown::Increment, &TUpDown::SetIncrement, 1)
      .Bool("Wrap", &TUpDown::Wrap, &TUpDown::SetWrap, false)
      .Bool("Thousands", &TUpDown::Thousands, &TUpDown::SetThousands, true)
      .Bool("ArrowKeys", &TUpDown::ArrowKeys, &TUpDown::SetArrowKeys, true)
      .Enum("AlignButton", &TUpDown::AlignButton, &TUpDown::SetAlignButton, udRight)
      .Enum("Orientation", &TUpDown::Orientation, &TUpDown::SetOrientation, udVertical)
      .Ref("Associate", &TUpDown::AssociateComponent, &TUpDown::SetAssociateComponent)
      .Event("OnClick", &TUpDown::OnClick)
      .Event("OnChanging", &TUpDown::OnChanging);
  RegisterClassInfo<TListColumn, TCollectionItem>("TListColumn")
      .Str("Caption", &TListColumn::Caption, &TListColumn::SetCaption)
      .Int("Width", &TListColumn::Width, &TListColumn::SetWidth, 50)
      .Enum("Alignment", &TListColumn::Alignment, &TListColumn::SetAlignment, taLeftJustify)
      .Int("ImageIndex", &TListColumn::ImageIndex, &TListColumn::SetImageIndex, -1);
  RegisterClassInfo<TListColumns, TCollection>("TListColumns");
  {
    auto b = RegisterClassInfo<TCustomListView, TWinControl>("TCustomListView");
    b.Color("Color", &TControl::Color, &TControl::SetColor, clWindow).Stored([](TCustomListView* c) {
      return !c->ParentColor();
    });
    b.Object("Columns", &TCustomListView::Columns, &TCustomListView::SetColumns)
        .Enum("ViewStyle", &TCustomListView::ViewStyle, &TCustomListView::SetViewStyle, vsIcon)
        .Bool("MultiSelect", &TCustomListView::MultiSelect, &TCustomListView::SetMultiSelect, false)
        .Bool("RowSelect", &TCustomListView::RowSelect, &TCustomListView::SetRowSelect, false)
        .Bool("ReadOnly", &TCustomListView::ReadOnly, &TCustomListView::SetReadOnly, false)
        .Bool("HideSelection", &TCustomListView::HideSelection, &TCustomListView::SetHideSelection, true)
        .Bool("ShowColumnHeaders", &TCustomListView::ShowColumnHeaders, &TCustomListView::SetShowColumnHeaders, true)
        .Bool("GridLines", &TCustomListView::GridLines, &TCustomListView::SetGridLines, false)
        .Enum("BorderStyle", &TCustomListView::BorderStyle, &TCustomListView::SetBorderStyle, bsSingle)
        .Bool("Checkboxes", &TCustomListView::Checkboxes, &TCustomListView::SetCheckboxes, false)
        .Bool("ColumnClick", &TCustomListView::ColumnClick, &TCustomListView::SetColumnClick, true)
        .Enum("SortType", &TCustomListView::SortType, &TCustomListView::SetSortType, stNone)
        .Ref("SmallImages", &TCustomListView::SmallImages, &TCustomListView::SetSmallImages)
        .Ref("LargeImages", &TCustomListView::LargeImages, &TCustomListView::SetLargeImages)
        .Ref("StateImages", &TCustomListView::StateImages, &TCustomListView::SetStateImages)
        .Event("OnSelectItem", &TCustomListView::OnSelectItem)
        .Event("OnChange", &TCustomListView::OnChange)
        .Event("OnChanging", &TCustomListView::OnChanging)
        .Event("OnDeletion", &TCustomListView::OnDeletion)
        .Event("OnColumnClick", &TCustomListView::OnColumnClick)
        .Event("OnCompare", &TCustomListView::OnCompare)
        .Event("OnEditing", &TCustomListView::OnEditing)
        .Event("OnEdited", &TCustomListView::OnEdited)
        .Event("OnCustomDraw", &TCustomListView::OnCustomDraw)
        .Event("OnCustomDrawItem", &TCustomListView::OnCustomDrawItem)
        .Event("OnCustomDrawSubItem", &TCustomListView::OnCustomDrawSubItem);
  }
  RegisterClassInfo<TListView, TCustomListView>("TListView");

  // --- Menus
  RegisterClassInfo<TMenuItem, TComponent>("TMenuItem")
      .Str("Caption", &TMenuItem::Caption, &TMenuItem::SetCaption)
      .Stored([](TMenuItem* m) { return m->IsCaptionStored(); })
      .Bool("Checked", &TMenuItem::Checked, &TMenuItem::SetChecked, false)
      .Stored([](TMenuItem* m) { return m->IsCheckedStored(); })
      .Bool("Enabled", &TMenuItem::Enabled, &TMenuItem::SetEnabled, true)
      .Stored([](TMenuItem* m) { return m->IsEnabledStored(); })
      .Bool("Visible", &TMenuItem::Visible, &TMenuItem::SetVisible, true)
      .Stored([](TMenuItem* m) { return m->IsVisibleStored(); })
      .Bool("Default", &TMenuItem::Default, &TMenuItem::SetDefault, false)
      .Bool("RadioItem", &TMenuItem::RadioItem, &TMenuItem::SetRadioItem, false)
      .Int("GroupIndex", &TMenuItem::GroupIndex, &TMenuItem::SetGroupIndex, 0)
      .Int("ShortCut", &TMenuItem::ShortCut, &TMenuItem::SetShortCut, 0)
      .Stored([](TMenuItem* m) { return m->IsShortCutStored(); })
      .Int("HelpContext", &TMenuItem::HelpContext, &TMenuItem::SetHelpContext, 0)
      .Stored([](TMenuItem* m) { return m->IsHelpContextStored(); })
      .Str("Hint", &TMenuItem::Hint, &TMenuItem::SetHint)
      .Stored([](TMenuItem* m) { return m->IsHintStored(); })
      .Int("ImageIndex", &TMenuItem::ImageIndex, &TMenuItem::SetImageIndex, -1)
      .Stored([](TMenuItem* m) { return m->IsImageIndexStored(); })
      .Event("OnClick", &TMenuItem::OnClick)
      .Stored([](TMenuItem* m) { return m->IsOnClickStored(); });
  RegisterClassInfo<TMenu, TComponent>("TMenu");
  RegisterClassInfo<TMainMenu, TMenu>("TMainMenu");
  RegisterClassInfo<TPopupMenu, TMenu>("TPopupMenu")
      .Bool("AutoPopup", &TPopupMenu::AutoPopup, &TPopupMenu::SetAutoPopup, true)
      .Enum("Alignment", &TPopupMenu::Alignment, &TPopupMenu::SetAlignment, paLeft)
      .Event("OnPopup", &TPopupMenu::OnPopup);

  // --- Actions
  RegisterClassInfo<TBasicAction, TComponent>("TBasicAction")
      .Event("OnExecute", &TBasicAction::OnExecute)
      .Event("OnUpdate", &TBasicAction::OnUpdate);
  RegisterClassInfo<TContainedAction, TBasicAction>("TContainedAction")
      .Str("Category", &TContainedAction::Category, &TContainedAction::SetCategory);
  RegisterClassInfo<TCustomAction, TContainedAction>("TCustomAction")
      .Str("Caption", &TCustomAction::Caption, &TCustomAction::SetCaption)
      .Bool("Checked", &TCustomAction::Checked, &TCustomAction::SetChecked, false)
      .Bool("Enabled", &TCustomAction::Enabled, &TCustomAction::SetEnabled, true)
      .Bool("Visible", &TCustomAction::Visible, &TCustomAction::SetVisible, true)
      .Bool("AutoCheck", &TCustomAction::AutoCheck, &TCustomAction::SetAutoCheck, false)
      .Str("Hint", &TCustomAction::Hint, &TCustomAction::SetHint)
      .Int("HelpContext", &TCustomAction::HelpContext, &TCustomAction::SetHelpContext, 0)
      .Int("ImageIndex", &TCustomAction::ImageIndex, &TCustomAction::SetImageIndex, -1)
      .Int("GroupIndex", &TCustomAction::GroupIndex, &TCustomAction::SetGroupIndex, 0)
      .Int("ShortCut", &TCustomAction::ShortCut, &TCustomAction::SetShortCut, 0)
      .Event("OnHint", &TCustomAction::OnHint);
  RegisterClassInfo<TAction, TCustomAction>("TAction");
  RegisterClassInfo<TCustomActionList, TComponent>("TCustomActionList")
      .Event("OnExecute", &TCustomActionList::OnExecute)
      .Event("OnUpdate", &TCustomActionList::OnUpdate)
      .Event("OnChange", &TCustomActionList::OnChange);
  RegisterClassInfo<TActionList, TCustomActionList>("TActionList");

  // --- Dialogs
  RegisterClassInfo<TCommonDialog, TComponent>("TCommonDialog")
      .Int("HelpContext", &TCommonDialog::HelpContext, &TCommonDialog::SetHelpContext, 0)
      .Event("OnShow", &TCommonDialog::OnShow)
      .Event("OnClose", &TCommonDialog::OnClose);
  RegisterClassInfo<TOpenDialog, TCommonDialog>("TOpenDialog")
      .Str("DefaultExt", &TOpenDialog::DefaultExt, &TOpenDialog::SetDefaultExt)
      .Str("FileName", &TOpenDialog::FileName, &TOpenDialog::SetFileName)
      .Str("Filter", &TOpenDialog::Filter, &TOpenDialog::SetFilter)
      .Int("FilterIndex", &TOpenDialog::FilterIndex, &TOpenDialog::SetFilterIndex, 1)
      .Str("InitialDir", &TOpenDialog::InitialDir, &TOpenDialog::SetInitialDir)
      .Set<TOpenOption>("Options", &TOpenDialog::Options, &TOpenDialog::SetOptions,
                        TOpenOptions{ofHideReadOnly, ofEnableSizing})
      .Str("Title", &TOpenDialog::Title, &TOpenDialog::SetTitle);
  RegisterClassInfo<TSaveDialog, TOpenDialog>("TSaveDialog");
  RegisterClassInfo<TColorDialog, TCommonDialog>("TColorDialog")
      .Color("Color", &TColorDialog::Color, &TColorDialog::SetColor, clBlack)
      .Object("CustomColors", &TColorDialog::CustomColors)
      .Set<TColorDialogOption>("Options", &TColorDialog::Options, &TColorDialog::SetOptions, TColorDialogOptions{});
}
