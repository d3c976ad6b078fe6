// Published properties of action clients (the Action reference of controls
// and menu items) and of the bitmap button.
#include "platform/ActnList.h"
#include "platform/Buttons.h"
#include "platform/Menus.h"
#include "platform/TypInfo.h"

void RegisterActionsProps() {
  // A reference: resolved once the whole form is read.
  RegisterClassInfo<TControl, TComponent>("TControl").Ref("Action", &TControl::Action, &TControl::SetAction);
  RegisterClassInfo<TMenuItem, TComponent>("TMenuItem").Ref("Action", &TMenuItem::Action, &TMenuItem::SetAction);

  // What a kind presets is stored only for a custom button.
  auto custom = [](TBitBtn* b) { return b->Kind() == bkCustom; };
  RegisterClassInfo<TBitBtn, TButton>("TBitBtn")
      .Str("Caption", &TControl::Caption, &TControl::SetCaption)
      .Stored([](TBitBtn* b) {
        return (b->Kind() == bkCustom || b->Caption() != TBitBtn::KindCaption(b->Kind())) && b->IsCaptionStored();
      })
      .Bool("Default", &TButton::Default, &TButton::SetDefault, false)
      .Stored(custom)
      .Bool("Cancel", &TButton::Cancel, &TButton::SetCancel, false)
      .Stored(custom)
      .Int("ModalResult", &TButton::ModalResult, &TButton::SetModalResult, mrNone)
      .Stored(custom)
      .Object("Glyph", &TBitBtn::Glyph, &TBitBtn::SetGlyph)
      .Stored(custom)
      .Enum("Kind", &TBitBtn::Kind, &TBitBtn::SetKind, bkCustom)
      .Enum("Layout", &TBitBtn::Layout, &TBitBtn::SetLayout, blGlyphLeft)
      .Int("Margin", &TBitBtn::Margin, &TBitBtn::SetMargin, -1)
      .Int("NumGlyphs", &TBitBtn::NumGlyphs, &TBitBtn::SetNumGlyphs, 1)
      .Stored(custom)
      .Int("Spacing", &TBitBtn::Spacing, &TBitBtn::SetSpacing, 4);
}
