// Run-time routines: the abstract-method error, the pseudo-random generator,
// 8-bit code pages and strings from the program's string table.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "platform/SysUtils.h"

namespace {

TEST(Runtime, AbstractErrorRaisesItsOwnClass) {
  try {
    AbstractError();
    FAIL() << "no exception";
  } catch (const EAbstractError& e) {
    EXPECT_EQ(e.Message(), "Abstract Error");
    EXPECT_EQ(e.ClassName(), "EAbstractError");
  }
}

TEST(Runtime, RandomStaysInRangeAndReachesEveryValue) {
  RandSeed = 12345;
  std::set<Integer> seen;
  for (int i = 0; i < 2000; ++i) {
    Integer r = Random(7);
    ASSERT_GE(r, 0);
    ASSERT_LT(r, 7);
    seen.insert(r);
  }
  EXPECT_EQ(seen.size(), 7u);
  // A range of one has one answer; no range has none but 0.
  for (int i = 0; i < 20; ++i) EXPECT_EQ(Random(1), 0);
  EXPECT_EQ(Random(0), 0);
  EXPECT_EQ(Random(-5), 0);
  // Large ranges too: the whole 31-bit span is used.
  Integer big = 0;
  for (int i = 0; i < 200; ++i) big = std::max(big, Random(0x7FFFFFFF));
  EXPECT_GT(big, 0x40000000);
  for (int i = 0; i < 200; ++i) {
    Extended f = Random();
    ASSERT_GE(f, 0.0L);
    ASSERT_LT(f, 1.0L);
  }
}

TEST(Runtime, RandomRepeatsFromTheSameSeed) {
  auto draw = [] {
    std::string s;
    for (int i = 0; i < 10; ++i) s += std::to_string(Random(1000)) + ",";
    return s;
  };
  RandSeed = 0;
  // The generator of the original run-time library: seed * 0x08088405 + 1.
  Random(10);
  EXPECT_EQ(RandSeed, 1u);
  Random(10);
  EXPECT_EQ(RandSeed, 0x08088406u);
  RandSeed = 42;
  std::string first = draw();
  RandSeed = 42;
  EXPECT_EQ(draw(), first);
  Randomize();
  uint32_t a = RandSeed;
  Sleep(20);
  Randomize();
  EXPECT_NE(RandSeed, a);
}

struct TCodePageCase {
  Cardinal CodePage;
  std::string Ansi;  // bytes in that code page
  std::string Utf8;
};

TEST(Runtime, CodePageTextConvertsBothWays) {
  const TCodePageCase cases[] = {
      {1253, "\xC1\xE8\xDE\xED\xE1", "\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1"},          // Αθήνα
      {1251, "\xCC\xEE\xF1\xEA\xE2\xE0", "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0"},  // Москва
      {1250, "\xA3\xF3\x9F", "\xC5\x81\xC3\xB3\xC5\xBA"},                                  // Łóź
      {1252, "Caf\xE9 \x80", "Caf\xC3\xA9 \xE2\x82\xAC"},                                  // Café €
      {1252, "plain", "plain"},
      {1251, "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(AnsiToUtf8(c.Ansi, c.CodePage), c.Utf8) << c.CodePage;
    EXPECT_EQ(Utf8ToAnsi(c.Utf8, c.CodePage), c.Ansi) << c.CodePage;
  }
  // A character the code page lacks becomes '?'.
  EXPECT_EQ(Utf8ToAnsi("a\xCE\xB1z", 1251), "a?z");
  // A code page the system does not have is an error, not garbage.
  EXPECT_THROW(AnsiToUtf8("abc", 12345), EConvertError);
  EXPECT_THROW(Utf8ToAnsi("abc", 12345), EConvertError);
  // Code page 0 is the system's ANSI code page.
  std::string acp = Utf8ToAnsi("x\xC3\xA9", 0);
  EXPECT_EQ(AnsiToUtf8(acp, GetACP()), AnsiToUtf8(acp));
}

TEST(Runtime, ResourceStringsComeFromTheStringTable) {
  EXPECT_EQ(LoadStr(39001), "Customize");
  EXPECT_EQ(FmtLoadStr(39002, {"File", 12}), "Bar 'File' has 12 items");
  EXPECT_EQ(FmtLoadStr(39002, "Edit", 3), "Bar 'Edit' has 3 items");
  EXPECT_EQ(LoadStr(39003), "Gr\xC3\xBC\xC3\x9F" "e \xCE\xB1\xCE\xB2");
  // Longer than any fixed buffer of the original loader.
  std::string digits;
  for (int i = 0; i < 28; ++i) digits += "0123456789";
  EXPECT_EQ(LoadStr(39004), digits);
  // No such string: empty, also for identifiers outside the table's range.
  EXPECT_EQ(LoadStr(39999), "");
  EXPECT_EQ(LoadStr(-1), "");
  EXPECT_EQ(LoadStr(0x10000 + 39001), "");
  EXPECT_EQ(FmtLoadStr(39999, {1}), "");
}

}  // namespace

namespace {

// Code pages that refuse a default character for the ones they lack (UTF-7
// among them) still convert; text over 2 GiB is refused, not cut short.
TEST(Runtime, CodePagesWithoutADefaultCharacterConvert) {
  EXPECT_EQ(Utf8ToAnsi("plain text", 65000), "plain text");
  EXPECT_EQ(AnsiToUtf8(Utf8ToAnsi("caf\xC3\xA9", 65000), 65000), "caf\xC3\xA9");
  // Others still mark what they lack.
  EXPECT_EQ(Utf8ToAnsi("a\xCE\xB1z", 1251), "a?z");
}

}  // namespace
