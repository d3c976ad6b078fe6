// TListBoxHrz: a list box whose horizontal scroll range follows its widest
// entry, so a long entry (a full path, say) can be scrolled to its end.
#pragma once

#include <string>

#include "platform/StdCtrls.h"

class TListBoxHrz : public TListBox {
 public:
  T_CLASSNAME(TListBoxHrz)
  using TListBox::TListBox;

  // The horizontal extent in pixels (LB_GETHORIZONTALEXTENT and
  // LB_SETHORIZONTALEXTENT of the window).
  Integer CurrentWidth();
  void SetCurrentWidth(Integer Value);

 protected:
  void Dispatch(TMessage& Message) override;

 private:
  // Width of Text followed by "XX" in the control's font.
  Integer EntryWidth(const std::string& Text);
  // The extent of the widest entry, from scratch.
  void MeasureAllEntries();
};

// Enters TListBoxHrz and its CurrentWidth for the form reader.
void RegisterListBoxHrzClasses();
