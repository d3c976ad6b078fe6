// The text form format on its own: values, layout, and malformed input.
#include <gtest/gtest.h>

#include "platform/FormReader.h"

namespace {

TFormValue ValueOf(const std::string& valueText) {
  TFormObject o = ParseFormText("object X: TX\n  P = " + valueText + "\nend\n");
  EXPECT_EQ(o.Props.size(), 1u);
  return o.Props.at(0).Value;
}

}  // namespace

TEST(FormParser, ScalarValues) {
  struct Case {
    const char* text;
    TValueType type;
    Int64 i;
    std::string s;
  };
  const Case cases[] = {
      {"12", vaInt, 12, ""},
      {"-7", vaInt, -7, ""},
      {"$FF", vaInt, 255, ""},
      {"-$10", vaInt, -16, ""},
      {"$80000000", vaInt, 0x80000000LL, ""},
      {"alClient", vaIdent, 0, "alClient"},
      {"Form1.Button1", vaIdent, 0, "Form1.Button1"},
      {"True", vaTrue, 0, "True"},
      {"false", vaFalse, 0, "false"},
      {"nil", vaNil, 0, "nil"},
      {"'it''s'", vaString, 0, "it's"},
      {"''", vaString, 0, ""},
      {"'a'#13#10'b'", vaString, 0, "a\r\nb"},
      {"#65#$42'C'", vaString, 0, "ABC"},
      {"'x' +\n    'y' +\n 'z'", vaString, 0, "xyz"},
      {"#233", vaString, 0, "\xC3\xA9"},             // code point, stored as UTF-8
      {"'\xC3\xA9t\xC3\xA9'", vaString, 0, "\xC3\xA9t\xC3\xA9"},  // UTF-8 kept as is
  };
  for (const Case& c : cases) {
    TFormValue v = ValueOf(c.text);
    EXPECT_EQ(v.Type, c.type) << c.text;
    if (c.type == vaInt) {
      EXPECT_EQ(v.Int, c.i) << c.text;
    } else {
      EXPECT_EQ(v.Str, c.s) << c.text;
    }
  }
  EXPECT_DOUBLE_EQ(static_cast<double>(ValueOf("1.25").Float), 1.25);
  EXPECT_DOUBLE_EQ(static_cast<double>(ValueOf("-2.5E3").Float), -2500.0);
  EXPECT_EQ(ValueOf("1E2").Type, vaExtended);
}

TEST(FormParser, CompoundValuesAndNesting) {
  TFormObject o = ParseFormText(
      "inherited frmMain: TfrmMain\n"
      "  Font.Style = [fsBold, fsItalic]\n"
      "  Empty = []\n"
      "  Items.Strings = (\n    'a'\n    'b')\n"
      "  Sizes = (0 0 49 0)\n"
      "  Panels = <\n    item\n      Width = 50\n    end\n    item [3]\n    end>\n"
      "  None = <>\n"
      "  Glyph.Data = {\n    0A0b\n    FF}\n"
      "  object pnl: TPanel [2]\n"
      "    inline frm: TFrame1\n    end\n"
      "  end\n"
      "  object TTimer\n  end\n"
      "end\n");
  EXPECT_EQ(o.Kind, okInherited);
  EXPECT_EQ(o.Name, "frmMain");
  EXPECT_EQ(o.ClassName, "TfrmMain");
  ASSERT_EQ(o.Props.size(), 7u);
  EXPECT_EQ(o.Props[0].Name, "Font.Style");
  EXPECT_EQ(o.Props[0].Value.Set, (std::vector<std::string>{"fsBold", "fsItalic"}));
  EXPECT_EQ(o.Props[0].Line, 2);
  EXPECT_TRUE(o.Props[1].Value.Set.empty());
  ASSERT_EQ(o.Props[2].Value.List.size(), 2u);
  EXPECT_EQ(o.Props[2].Value.List[1].Str, "b");
  ASSERT_EQ(o.Props[3].Value.List.size(), 4u);
  EXPECT_EQ(o.Props[3].Value.List[2].Int, 49);
  ASSERT_EQ(o.Props[4].Value.Items.size(), 2u);
  EXPECT_EQ(o.Props[4].Value.Items[0].Props.at(0).Value.Int, 50);
  EXPECT_EQ(o.Props[4].Value.Items[1].Index, 3);
  EXPECT_TRUE(o.Props[5].Value.Items.empty());
  EXPECT_EQ(o.Props[6].Value.Type, vaBinary);
  EXPECT_EQ(o.Props[6].Value.Str, std::string("\x0A\x0B\xFF", 3));
  ASSERT_EQ(o.Children.size(), 2u);
  EXPECT_EQ(o.Children[0].Index, 2);
  EXPECT_EQ(o.Children[0].Line, 18);
  EXPECT_EQ(o.Children[0].Children.at(0).Kind, okInline);
  EXPECT_EQ(o.Children[1].Name, "");
  EXPECT_EQ(o.Children[1].ClassName, "TTimer");
}

TEST(FormParser, PrintedTextParsesToTheSameTreeAndPrintsTheSame) {
  const std::string text =
      "object F: TF\n"
      "  S = 'quote''s'#13#10'\xC3\xA9'#0'end'\n"
      "  Long = '" + std::string(150, 'x') + "'\n"
      "  F = 0.1\n"
      "  G = -3.0\n"
      "  I = -2147483648\n"
      "  L = ((1 2) ('a' [x]) <item P = 1 end>)\n"
      "  B = {" + std::string(80, 'A') + "}\n"
      "  object C: TC\n"
      "  end\n"
      "end\n";
  std::string once = FormObjectToText(ParseFormText(text));
  std::string twice = FormObjectToText(ParseFormText(once));
  EXPECT_EQ(once, twice);
  TFormObject o = ParseFormText(once);
  EXPECT_EQ(o.Props[0].Value.Str, std::string("quote's\r\n\xC3\xA9", 11) + std::string(1, '\0') + "end");
  EXPECT_EQ(o.Props[1].Value.Str, std::string(150, 'x'));
  EXPECT_EQ(o.Props[2].Value.Float, 0.1L);  // round-trips exactly
  EXPECT_EQ(o.Props[3].Value.Type, vaExtended);
  EXPECT_EQ(o.Props[4].Value.Int, -2147483648LL);
  EXPECT_EQ(o.Props[6].Value.Str.size(), 40u);
  // Long strings and binary data are wrapped.
  EXPECT_NE(once.find("' +\n"), std::string::npos);
  EXPECT_NE(once.find("  B = {\n"), std::string::npos);
}

TEST(FormParser, MalformedInputNamesTheLine) {
  struct Case {
    const char* text;
    const char* message;
  };
  const Case cases[] = {
      {"object A: TA\n  Caption = 'open\nend\n", "Line 2: Unterminated string"},
      {"object A: TA\n  Left = 1\n  object B: TB\n  end\n", "Line 5: 'end' expected for object A begun on line 1"},
      {"object A: TA\n  Left =\nend\n", "Line 4: 'end' expected"},
      {"object A: TA\n  Left 1\nend\n", "Line 2: '=' expected"},
      {"object A: TA\n  S = [a, ]\nend\n", "Line 2: Set element expected"},
      {"object A: TA\n  L = (1 2\nend\n", "Line 4: ')' expected for the list begun on line 2"},
      {"object A: TA\n  C = <\n    item\n      P = 1\n>\nend\n", "Line 5: "},
      {"object A: TA\n  C = < Foo >\nend\n", "Line 2: 'item' or '>' expected"},
      {"object A: TA\n  B = {0A0\n  }\nend\n", "Line 3: Odd number of hex digits"},
      {"object A: TA\n  B = {0G}\nend\n", "Line 2: Invalid binary digit"},
      {"object A: TA\n  B = {00\n", "Line 2: '}' expected"},
      {"object A: TA\n  N = 99999999999999999999\nend\n", "Line 2: Number too large"},
      {"object A: TA\n  S = 'a' +\nend\n", "Line 3: String expected after '+'"},
      {"object A: TA\n  S = #\nend\n", "Line 2: Character code expected"},
      {"object A: TA\n  S = #1114112\nend\n", "Line 2: Character code out of range"},
      {"object A: TA\nend\nobject B: TB\nend\n", "Line 3: Text after the final end"},
      {"", "Line 1: 'object' expected"},
      {"object A: TA\n  object B: TB\n  end\n  Left = 1\nend\n", "Line 4: Property after nested objects"},
  };
  for (const Case& c : cases) {
    try {
      ParseFormText(c.text);
      ADD_FAILURE() << "no error for: " << c.text;
    } catch (const EReadError& e) {
      EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what() << "\nfor: " << c.text;
    }
  }
}

TEST(FormParser, DeepNestingIsRefusedInsteadOfOverflowingTheStack) {
  for (const std::string& text : {"object A: TA\n  L = " + std::string(100000, '(') + "\nend\n",
                                  std::string("object A: TA\n") + [] {
                                    std::string s;
                                    for (int i = 0; i < 5000; ++i) s += "object B: TB\n";
                                    return s;
                                  }()}) {
    try {
      ParseFormText(text);
      ADD_FAILURE() << "no error";
    } catch (const EParserError& e) {
      EXPECT_NE(std::string(e.what()).find("Nesting too deep"), std::string::npos) << e.what();
    }
  }
  // Reasonable depth is fine.
  std::string ok = "object A: TA\n  L = " + std::string(50, '(') + std::string(50, ')') + "\nend\n";
  EXPECT_EQ(ParseFormText(ok).Props.at(0).Value.List.size(), 1u);
}
