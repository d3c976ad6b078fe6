// The clipboard: text, raw formats and handles, nesting of Open/Close.
#include <gtest/gtest.h>

#include "platform/Clipbrd.h"
#include "platform/Classes.h"

TEST(Clipboard, TextRoundTripsInAnyLanguage) {
  const std::string texts[] = {"plain", "", "line 1\r\nline 2", "\xC3\xA4\xC3\xB6\xC3\xBC \xE6\xBC\xA2\xE5\xAD\x97 \xF0\x9F\x98\x80"};
  for (const std::string& t : texts) {
    Clipboard()->SetAsText(t);
    EXPECT_TRUE(Clipboard()->HasFormat(CF_UNICODETEXT));
    EXPECT_EQ(Clipboard()->AsText(), t);
  }
  Clipboard()->Clear();
  EXPECT_FALSE(Clipboard()->HasFormat(CF_UNICODETEXT));
  EXPECT_EQ(Clipboard()->AsText(), "");
}

TEST(Clipboard, RegisteredFormatsHoldBuffersAndAnOpenBlockStoresSeveral) {
  const Word gif = RegisterClipboardFormat("GIF Image");
  EXPECT_NE(gif, 0);
  EXPECT_EQ(RegisterClipboardFormat("GIF Image"), gif) << "the same name gives the same format";

  TClipboard* c = Clipboard();
  c->Open();
  c->Open();  // nested
  c->SetBuffer(gif, "GIF89a", 6);
  c->SetAsText("alongside");  // the first store emptied the clipboard, this one adds
  c->Close();
  c->Close();
  c->Close();  // an extra Close does nothing
  EXPECT_TRUE(c->HasFormat(gif));
  EXPECT_EQ(c->AsText(), "alongside");

  c->Open();
  HANDLE h = c->GetAsHandle(gif);
  ASSERT_NE(h, nullptr);
  ASSERT_GE(::GlobalSize(h), 6u);
  EXPECT_EQ(std::memcmp(::GlobalLock(h), "GIF89a", 6), 0);
  ::GlobalUnlock(h);
  c->Close();

  bool sawGif = false;
  for (Integer i = 0; i < c->FormatCount(); ++i) sawGif |= c->Formats(i) == gif;
  EXPECT_TRUE(sawGif);

  // Outside an Open block every store replaces the clipboard's content.
  HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE, 4);
  std::memcpy(::GlobalLock(block), "abc", 4);
  ::GlobalUnlock(block);
  c->SetAsHandle(gif, block);
  EXPECT_FALSE(c->HasFormat(CF_UNICODETEXT));
  EXPECT_TRUE(c->HasFormat(gif));
  c->Clear();
}

TEST(Clipboard, AssigningUnknownClassesRaises) {
  TStringList notAGraphic;
  EXPECT_THROW(Clipboard()->Assign(&notAGraphic), EConvertError);
  bool called = false;
  TClipboard::SetGraphicHooks([&](TClipboard*, TPersistent* p) { called = p == &notAGraphic; return true; }, nullptr);
  Clipboard()->Assign(&notAGraphic);
  EXPECT_TRUE(called);
  TClipboard::SetGraphicHooks(nullptr, nullptr);
}
