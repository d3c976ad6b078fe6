// Helpers of the HTML snippet and Flash export tests: text typed into an edit
// box key by key (any character, as the keyboard delivers it), clipboard
// access and the item of a main-menu command clicked as a person does.
#pragma once

#include <string>

#include "app/GifMainForm.h"
#include "bars/dxBar.h"
#include "platform/Clipbrd.h"
#include "platform/StdCtrls.h"
#include "tests/bars/bar_input.h"

namespace htmltest {

// One character typed (down and up) as a Unicode key event, handled before it returns.
inline void TypeChar(wchar_t Ch) {
  INPUT in[2] = {};
  in[0].type = INPUT_KEYBOARD;
  in[0].ki.wScan = Ch;
  in[0].ki.dwFlags = KEYEVENTF_UNICODE;
  in[1] = in[0];
  in[1].ki.dwFlags = KEYEVENTF_UNICODE | KEYEVENTF_KEYUP;
  ::SendInput(2, in, sizeof(INPUT));
  barinput::Settle(10);
}

// Clicks into the edit box, erases what it holds (Home, Shift+End, Backspace)
// and types Text.
inline void TypeOver(TCustomEdit* Edit, const std::string& Text) {
  barinput::Click(Edit->ClientToScreen(Point(Edit->Width() / 2, Edit->Height() / 2)));
  barinput::Tap(VK_HOME);
  barinput::Chord({VK_SHIFT}, VK_END);
  barinput::Tap(VK_BACK);
  for (wchar_t ch : Utf8ToWide(Text)) TypeChar(ch);
  barinput::Settle(20);
}

inline std::string ClipboardText() { return Clipboard()->AsText(); }
inline void SetClipboardText(const std::string& Text) { Clipboard()->SetAsText(Text); }

// Opens the main menu's sub-menu and clicks the item of the command in it.
inline void ClickMenuCommand(TfrmGifMain* Form, TdxBarSubItem* Menu, Integer Command) {
  TdxBar* main = nullptr;
  for (Integer i = 0; i < Form->dxBarManager1->Bars()->Count(); ++i)
    if (Form->dxBarManager1->Bars()->Items(i)->Name() == "Main") main = Form->dxBarManager1->Bars()->Items(i);
  ASSERT_NE(main, nullptr);
  barinput::Click(barinput::EntryCenter(main->Control(), Menu));
  ASSERT_NE(Menu->MenuWindow(), nullptr);
  barinput::Click(barinput::EntryCenter(Menu->MenuWindow(), Form->CommandItem(Command)));
}

}  // namespace htmltest
