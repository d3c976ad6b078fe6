// Format, number conversion, text, file-name and date routines.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/SysUtils.h"

TEST(Format, TableOfSpecifiers) {
  struct Case { std::string fmt; std::initializer_list<TVarRec> args; const char* expected; };
  const std::string ab = "ab";  // the list refers to strings; they must outlive it
  const Case cases[] = {
      {"%d", {42}, "42"},
      {"%d", {-42}, "-42"},
      {"%5d|", {42}, "   42|"},
      {"%-5d|", {42}, "42   |"},
      {"%.4d", {-42}, "-0042"},
      {"%*d", {6, 123}, "   123"},
      {"%-*d|", {4, 7}, "7   |"},
      {"%d", {int64_t(1) << 40}, "1099511627776"},
      {"%u", {-1}, "4294967295"},
      {"%x", {255}, "FF"},
      {"%.4x", {255}, "00FF"},
      {"%x", {-1}, "FFFFFFFF"},
      {"%x", {int64_t(-1)}, "FFFFFFFFFFFFFFFF"},
      {"%s", {"text"}, "text"},
      {"%-5s|", {"ab"}, "ab   |"},
      {"%5s|", {ab}, "   ab|"},
      {"%.2s", {"abcdef"}, "ab"},
      {"%s%s", {'c', std::string_view("v")}, "cv"},
      {"%1:s %0:s %s", {"a", "b"}, "b a b"},
      {"%0:s-%0:s", {"x"}, "x-x"},
      {"%.2f", {3.14159}, "3.14"},
      {"%4.1f|", {2.25}, " 2.3|"},
      {"%f", {1.0}, "1.00"},
      {"%.0f", {2.5}, "3"},
      {"%.2f", {-0.001}, "0.00"},
      {"%.3f", {1e-10}, "0.000"},
      {"%8.3f|", {-3.14159}, "  -3.142|"},
      {"%n", {1234567.891}, "1,234,567.89"},
      {"%.0n", {-1234.5}, "-1,235"},
      {"%n", {999.999}, "1,000.00"},
      {"%.n bytes", {1234567.0}, "1,234,567 bytes"},
      {"%.n", {999.5}, "1,000"},
      {"%.n", {0.0}, "0"},
      {"%4.1f%s", {12.345, "%"}, "12.3%"},
      {"%4.1f|", {0.5}, " 0.5|"},
      {"%4.5f", {14.134275618374558}, "14.13428"},
      {"%4.5f", {0.799999840000032}, "0.80000"},
      {"%e", {1234.56789}, "1.23456789000000E+003"},
      {"%.3e", {-0.000123456}, "-1.23E-004"},
      {"%g", {0.5}, "0.5"},
      {"%g", {1234567.0}, "1234567"},
      {"%g", {1e20}, "1E020"},
      {"%m", {1234.5}, "$1,234.50"},
      {"%m", {-2.0}, "($2.00)"},
      {"%%d %d%%", {5}, "%d 5%"},
      {"no specifiers", {}, "no specifiers"},
      {"%p", {reinterpret_cast<void*>(0xABCD)}, "000000000000ABCD"},
      {"%D %S %X", {1, "s", 10}, "1 s A"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Format(c.fmt, c.args), c.expected) << c.fmt;
  }
  EXPECT_EQ(Format("%s has %d frames", std::string("anim.gif"), 12), "anim.gif has 12 frames");
}

TEST(Format, BadFormatsAndMismatchedArgumentsRaise) {
  struct Case { std::string fmt; std::initializer_list<TVarRec> args; };
  const Case cases[] = {
      {"%d", {"text"}}, {"%s", {12}},       {"%f", {12}},  {"%x", {1.5}}, {"%q", {1}},
      {"%", {1}},       {"%5", {1}},        {"%*d", {"w", 1}}, {"%p", {1}}, {"%.*f", {1.5, 2.0}},
  };
  for (const Case& c : cases) {
    try {
      Format(c.fmt, c.args);
      ADD_FAILURE() << c.fmt << " did not raise";
    } catch (const EConvertError& e) {
      EXPECT_EQ(e.Message(), "Format '" + c.fmt + "' invalid or incompatible with argument") << c.fmt;
    }
  }
  EXPECT_THROW(Format("%d %d", {1}), EConvertError) << "missing argument";
}

TEST(Numbers, IntegerConversions) {
  struct Case { const char* text; bool ok; Integer value; };
  const Case cases[] = {{"0", true, 0},           {"  -17 ", true, -17},      {"+5", true, 5},
                        {"2147483647", true, INT32_MAX}, {"-2147483648", true, INT32_MIN},
                        {"2147483648", false, 0}, {"$FF", true, 255},         {"0x1f", true, 31},
                        {"$FFFFFFFF", true, -1},  {"12a", false, 0},          {"", false, 0},
                        {"-", false, 0},          {"1 2", false, 0},          {"$", false, 0}};
  for (const Case& c : cases) {
    Integer v = 12345;
    EXPECT_EQ(TryStrToInt(c.text, v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
      EXPECT_EQ(StrToInt(c.text), c.value);
    } else {
      EXPECT_EQ(StrToIntDef(c.text, -9), -9) << c.text;
      try {
        StrToInt(c.text);
        ADD_FAILURE() << c.text;
      } catch (const EConvertError& e) {
        EXPECT_EQ(e.Message(), std::string("'") + c.text + "' is not a valid integer value");
      }
    }
  }
  EXPECT_EQ(StrToInt64("-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(IntToStr(-1234567890123LL), "-1234567890123");
  EXPECT_EQ(IntToHex(255, 4), "00FF");
  EXPECT_EQ(IntToHex(-1, 2), "FFFFFFFF");
  EXPECT_EQ(IntToHex(Byte(0xAB), 1), "AB");
  EXPECT_EQ(IntToHex(int64_t(-2), 1), "FFFFFFFFFFFFFFFE");
}

TEST(Numbers, FloatConversions) {
  struct Case { Extended value; const char* text; };
  const Case toStr[] = {{0, "0"},          {1, "1"},           {-2.5, "-2.5"},        {0.1, "0.1"},
                        {1.0 / 3, "0.333333333333333"},        {123456789012345.0, "123456789012345"},
                        {1e15, "1E15"},    {1e20, "1E20"},     {0.0001, "0.0001"},    {0.000015, "1.5E-5"},
                        {-1.25e-7, "-1.25E-7"}, {2.0 / 3, "0.666666666666667"}};
  for (const Case& c : toStr) EXPECT_EQ(FloatToStr(c.value), c.text) << static_cast<double>(c.value);
  EXPECT_EQ(FloatToStr(NAN), "NAN");
  EXPECT_EQ(FloatToStr(-INFINITY), "-INF");

  Extended v = 0;
  EXPECT_TRUE(TryStrToFloat(" 1.5e3 ", v));
  EXPECT_EQ(v, 1500);
  EXPECT_TRUE(TryStrToFloat("-.25", v));
  EXPECT_EQ(v, -0.25);
  for (const char* bad : {"", "1,5", "e5", "1e", "1.5x", ".", "1e99999"}) EXPECT_FALSE(TryStrToFloat(bad, v)) << bad;
  EXPECT_EQ(StrToFloatDef("abc", 7.5), 7.5);
  EXPECT_THROW(StrToFloat("abc"), EConvertError);
  EXPECT_EQ(StrToFloat(FloatToStr(0.1)), StrToFloat("0.1"));
}

TEST(Numbers, FormatFloatPatterns) {
  struct Case { const char* fmt; Extended value; const char* expected; };
  const Case cases[] = {
      {"0", 2.5, "3"},           {"0", -0.4, "0"},          {"0.00", 3.14159, "3.14"},
      {"0.00", -1, "-1.00"},     {"#,##0", 1234567, "1,234,567"}, {"#,##0", 12, "12"},
      {"0.0#", 1.5, "1.5"},      {"0.0#", 1.256, "1.26"},   {"0.0#", 2, "2.0"},
      {"#.##", 0.5, ".5"},       {"000", 7, "007"},         {"0.00%", 12.5, "12.50%"},
      {"0.00E+00", 12345, "1.23E+04"}, {"0.0E-0", 0.00015, "1.5E-4"},
      {"0;(0);zero", -5, "(5)"}, {"0;(0);zero", 0, "zero"}, {"0.0;(0.0)", -0.04, "0.0"},
      {"\"x=\"0", 3, "x=3"},    {"", 1.5, "1.5"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatFloat(c.fmt, c.value), c.expected) << c.fmt;
}

TEST(Text, TrimCaseCompareReplaceQuote) {
  EXPECT_EQ(Trim(" \t x y \r\n"), "x y");
  EXPECT_EQ(TrimLeft("  a "), "a ");
  EXPECT_EQ(TrimRight("  a "), "  a");
  EXPECT_EQ(UpperCase("abc\xC3\xA4"), "ABC\xC3\xA4") << "ASCII only";
  EXPECT_EQ(AnsiUpperCase("abc\xC3\xA4"), "ABC\xC3\x84");
  EXPECT_EQ(AnsiLowerCase("\xC3\x84X"), "\xC3\xA4x");
  EXPECT_EQ(CompareText("abc", "ABD") < 0, true);
  EXPECT_EQ(CompareText("Abc", "aBC"), 0);
  EXPECT_GT(CompareText("abcd", "ABC"), 0);
  EXPECT_TRUE(SameText("Frame", "FRAME"));
  EXPECT_EQ(AnsiCompareText("\xC3\xA4pfel", "\xC3\x84PFEL"), 0);
  EXPECT_LT(AnsiCompareText("apple", "Banana"), 0);
  EXPECT_GT(AnsiCompareText("cherry", "Banana"), 0);

  struct R { const char* s; const char* from; const char* to; TReplaceFlags f; const char* expected; };
  const R replaces[] = {{"a-b-c", "-", "+", 0, "a+b-c"},
                        {"a-b-c", "-", "+", rfReplaceAll, "a+b+c"},
                        {"Ab ab AB", "ab", "x", rfReplaceAll, "Ab x AB"},
                        {"Ab ab AB", "ab", "x", rfReplaceAll | rfIgnoreCase, "x x x"},
                        {"\xC3\x84rger \xC3\xA4rger", "\xC3\xA4R", "x", rfReplaceAll | rfIgnoreCase, "xger xger"},
                        {"aaa", "aa", "a", rfReplaceAll, "aa"},
                        {"abc", "", "x", rfReplaceAll, "abc"}};
  for (const R& r : replaces) EXPECT_EQ(StringReplace(r.s, r.from, r.to, r.f), r.expected) << r.s;

  EXPECT_EQ(QuotedStr("it's"), "'it''s'");
  EXPECT_EQ(AnsiQuotedStr("say \"hi\"", '"'), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(AnsiDequotedStr("'it''s' tail", '\''), "it's");
  EXPECT_EQ(Pos("lo", "hello"), 4);
  EXPECT_EQ(Pos("x", "hello"), 0);
}

TEST(FileNames, PartsOfNames) {
  struct Case { const char* name; const char* file; const char* path; const char* dir; const char* ext; };
  const Case cases[] = {
      {"C:\\Images\\anim.gif", "anim.gif", "C:\\Images\\", "C:\\Images", ".gif"},
      {"C:\\anim", "anim", "C:\\", "C:\\", ""},
      {"C:anim.tar.gz", "anim.tar.gz", "C:", "C:", ".gz"},
      {"Z:/work/x.y/file", "file", "Z:/work/x.y/", "Z:/work/x.y", ""},
      {"plain.bmp", "plain.bmp", "", "", ".bmp"},
      {"\\\\server\\share\\a.png", "a.png", "\\\\server\\share\\", "\\\\server\\share", ".png"},
      {"dir\\", "", "dir\\", "dir", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExtractFileName(c.name), c.file) << c.name;
    EXPECT_EQ(ExtractFilePath(c.name), c.path) << c.name;
    EXPECT_EQ(ExtractFileDir(c.name), c.dir) << c.name;
    EXPECT_EQ(ExtractFileExt(c.name), c.ext) << c.name;
  }
  EXPECT_EQ(ChangeFileExt("C:\\a.b\\frame.gif", ".png"), "C:\\a.b\\frame.png");
  EXPECT_EQ(ChangeFileExt("C:\\a.b\\frame", ".png"), "C:\\a.b\\frame.png");
  EXPECT_EQ(ChangeFileExt("frame.gif", ""), "frame");
  EXPECT_EQ(ExtractFileDrive("C:\\x"), "C:");
  EXPECT_EQ(ExtractFileDrive("\\\\srv\\share\\x\\y"), "\\\\srv\\share");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\dir"), "C:\\dir\\");
  EXPECT_EQ(IncludeTrailingBackslash("C:\\dir\\"), "C:\\dir\\");
  EXPECT_EQ(ExcludeTrailingBackslash("C:\\dir\\"), "C:\\dir");
  EXPECT_EQ(ExpandFileName("C:\\a\\..\\b\\.\\c.gif"), "C:\\b\\c.gif");
}

TEST(Files, FoldersTempFilesAndSearch) {
  const std::string root = GetTempPathStr() + "rt-files-" + IntToStr(::GetCurrentProcessId());
  ASSERT_EQ(GetTempPathStr().back(), '\\');
  const std::string deep = root + "\\a\\b\\\xC3\xA9t\xC3\xA9";
  EXPECT_TRUE(ForceDirectories(deep));
  EXPECT_TRUE(DirectoryExists(deep));
  EXPECT_FALSE(FileExists(deep));

  const std::string tmp = GetTempFileNameStr("gif");
  EXPECT_TRUE(FileExists(tmp)) << "the unique file is created";
  EXPECT_EQ(FileGetSize(tmp), 0);
  const std::string moved = deep + "\\one.gif";
  EXPECT_TRUE(RenameFile(tmp, moved));
  EXPECT_FALSE(FileExists(tmp));
  EXPECT_NE(FileAge(moved), -1);
  EXPECT_EQ(FileAge(deep + "\\missing.gif"), -1);
  const TDateTime age = FileDateToDateTime(FileAge(moved));
  EXPECT_LT(std::fabs(age - Now()), 1.0 / 24) << "written just now";
  ASSERT_TRUE(CreateDir(deep + "\\sub"));
  ASSERT_TRUE(RenameFile(GetTempFileNameStr("gif"), deep + "\\two.gif"));

  auto list = [&](Integer attr) {
    std::string names;
    TSearchRec r;
    for (Integer rc = FindFirst(deep + "\\*", attr, r); rc == 0; rc = FindNext(r)) names += r.Name + ";";
    FindClose(r);
    return names;
  };
  const std::string files = list(faAnyFile & ~faDirectory);
  EXPECT_NE(files.find("one.gif;"), std::string::npos);
  EXPECT_NE(files.find("two.gif;"), std::string::npos);
  EXPECT_EQ(files.find("sub;"), std::string::npos);
  EXPECT_NE(list(faDirectory).find("sub;"), std::string::npos);
  TSearchRec none;
  EXPECT_NE(FindFirst(deep + "\\*.png", faAnyFile, none), 0);

  EXPECT_TRUE(DeleteFile(moved));
  EXPECT_TRUE(DeleteFile(deep + "\\two.gif"));
  EXPECT_FALSE(DeleteFile(moved));
  EXPECT_TRUE(RemoveDir(deep + "\\sub"));
  for (std::string d = deep; d.size() > root.size(); d = ExtractFileDir(d)) EXPECT_TRUE(RemoveDir(d)) << d;
  EXPECT_TRUE(RemoveDir(root));

  EXPECT_EQ(ExtractFileExt(ParamStr(0)), ".exe");
  EXPECT_EQ(ApplicationFolder(), ExtractFilePath(ParamStr(0)));
}

TEST(DateTime, EncodeDecodeAndFormat) {
  struct Case { Word y, m, d; double serial; Integer dow; };
  const Case cases[] = {{1899, 12, 30, 0, 7}, {1900, 1, 1, 2, 2},    {2000, 2, 29, 36585, 3},
                        {1, 1, 1, -693593, 2}, {9999, 12, 31, 2958465, 6}, {1899, 12, 29, -1, 6},
                        {2024, 3, 1, 45352, 6}};
  for (const Case& c : cases) {
    EXPECT_EQ(EncodeDate(c.y, c.m, c.d), c.serial) << c.y << "-" << c.m << "-" << c.d;
    Word y, m, d;
    DecodeDate(c.serial, y, m, d);
    EXPECT_EQ(y * 10000 + m * 100 + d, c.y * 10000 + c.m * 100 + c.d) << c.serial;
    EXPECT_EQ(DayOfWeek(c.serial), c.dow) << c.serial;
  }
  EXPECT_THROW(EncodeDate(2001, 2, 29), EConvertError);
  EXPECT_THROW(EncodeDate(2000, 13, 1), EConvertError);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);

  const TDateTime t = EncodeDate(2024, 7, 4) + EncodeTime(15, 5, 9, 45);
  Word h, n, s, ms;
  DecodeTime(t, h, n, s, ms);
  EXPECT_EQ(h * 10000000 + n * 100000 + s * 1000 + ms, 150509045);
  struct F { const char* fmt; const char* expected; };
  const F formats[] = {{"yyyy-mm-dd hh:nn:ss.zzz", "2024-07-04 15:05:09.045"},
                       {"d/m/yy", "4/7/24"},
                       {"dddd, mmmm d", "Thursday, July 4"},
                       {"ddd mmm", "Thu Jul"},
                       {"h:mm am/pm", "3:05 pm"},
                       {"hh:mm", "15:05"},
                       {"c", "7/4/2024 3:05:09 PM"},
                       {"'at' h \"o'clock\"", "at 15 o'clock"}};
  for (const F& f : formats) EXPECT_EQ(FormatDateTime(f.fmt, t), f.expected) << f.fmt;
  EXPECT_EQ(DateToStr(t), "7/4/2024");
  EXPECT_EQ(FormatDateTime("c", EncodeDate(2024, 7, 4)), "7/4/2024");
  EXPECT_EQ(FormatDateTime("hh:nn:ss", EncodeTime(23, 59, 59, 999) + 0.0000000001), "23:59:59");

  const TDateTime now = Now();
  EXPECT_EQ(Date() + Time() - now < 1.0 / 24, true);
  EXPECT_GT(now, EncodeDate(2020, 1, 1));
}
