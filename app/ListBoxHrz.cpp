#include "app/ListBoxHrz.h"

#include <algorithm>

#include "platform/Messages.h"
#include "platform/SysUtils.h"
#include "platform/TypInfo.h"

Integer TListBoxHrz::CurrentWidth() {
  if (!HandleAllocated()) return 0;
  return static_cast<Integer>(::SendMessageW(Handle(), LB_GETHORIZONTALEXTENT, 0, 0));
}

void TListBoxHrz::SetCurrentWidth(Integer Value) {
  if (!HandleAllocated()) return;
  ::SendMessageW(Handle(), LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(std::max<Integer>(Value, 0)), 0);
}

Integer TListBoxHrz::EntryWidth(const std::string& Text) {
  Canvas()->SetFont(Font());
  return Canvas()->TextWidth(Text + "XX");
}

void TListBoxHrz::MeasureAllEntries() {
  // Without a window there is no extent yet; the strings are measured as the
  // window is made and they are added to it.
  if (!HandleAllocated()) return;
  Integer widest = 0;
  for (Integer i = 0; i < Items()->Count(); ++i) widest = std::max(widest, EntryWidth(Items()->Strings(i)));
  SetCurrentWidth(widest + TabWidth());
}

void TListBoxHrz::Dispatch(TMessage& Message) {
  TListBox::Dispatch(Message);
  switch (Message.Msg) {
    case LB_ADDSTRING:
    case LB_INSERTSTRING: {
      // A refused string (LB_ERR, LB_ERRSPACE) was not added.
      if (static_cast<LRESULT>(Message.Result) < 0 || !Message.LParam) break;
      const Integer w = EntryWidth(WideToUtf8(reinterpret_cast<const wchar_t*>(Message.LParam)));
      if (CurrentWidth() < w) SetCurrentWidth(w + TabWidth());
      break;
    }
    case LB_DELETESTRING:
    case CM_FONTCHANGED:
      MeasureAllEntries();
      break;
    case LB_RESETCONTENT:
      SetCurrentWidth(0);
      break;
    default:
      break;
  }
}

void RegisterListBoxHrzClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterClassInfo<TListBoxHrz, TListBox>("TListBoxHrz")
      .Int("CurrentWidth", &TListBoxHrz::CurrentWidth, &TListBoxHrz::SetCurrentWidth);
}
