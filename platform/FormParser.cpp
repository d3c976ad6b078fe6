// The text form format: tokenizer, parser and printer.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/FormReader.h"
#include "platform/SysUtils.h"

namespace {

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

void AppendUtf8(std::string& out, uint32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

enum TTokenKind { tkEof, tkSymbol, tkIdent, tkInt, tkFloatNum, tkStr, tkChar };

struct TToken {
  TTokenKind Kind = tkEof;
  std::string Text;  // identifier, string value, or the symbol char
  Int64 Int = 0;
  Extended Float = 0;
  Integer Line = 1;
  bool Adjacent = false;  // no white space before it
};

class TParser {
 public:
  explicit TParser(const std::string& Text) : s_(Text) { Next(); }

  TFormObject ParseRoot() {
    TFormObject obj = ParseObject();
    if (tok_.Kind != tkEof) Error("Text after the final end");
    return obj;
  }

 private:
  [[noreturn]] void Error(const std::string& Message, Integer Line = 0) const {
    throw EParserError("Line " + std::to_string(Line ? Line : tok_.Line) + ": " + Message);
  }

  bool IsSymbol(char c) const { return tok_.Kind == tkSymbol && tok_.Text[0] == c; }
  bool IsKeyword(const char* k) const { return tok_.Kind == tkIdent && LowerCase(tok_.Text) == k; }
  void Expect(char c) {
    if (!IsSymbol(c)) Error(std::string("'") + c + "' expected but " + Describe() + " found");
    Next();
  }
  std::string ExpectIdent(const char* What) {
    if (tok_.Kind != tkIdent) Error(std::string(What) + " expected but " + Describe() + " found");
    std::string r = tok_.Text;
    Next();
    return r;
  }
  std::string Describe() const {
    switch (tok_.Kind) {
      case tkEof: return "end of file";
      case tkSymbol: return "'" + tok_.Text + "'";
      case tkIdent: return "identifier " + tok_.Text;
      case tkInt:
      case tkFloatNum: return "number";
      default: return "string";
    }
  }

  // Dotted identifier (Font.Style, Form1.Button1).
  std::string DottedIdent(const char* What) {
    std::string r = ExpectIdent(What);
    while (IsSymbol('.')) {
      Next();
      r += "." + ExpectIdent(What);
    }
    return r;
  }

  // Guards the recursion: forms nest a few levels, hostile text may nest
  // thousands, which would overflow the stack.
  struct TDepth {
    explicit TDepth(TParser& p) : parser(p) {
      if (++parser.depth_ > kMaxDepth) parser.Error("Nesting too deep");
    }
    ~TDepth() { --parser.depth_; }
    TParser& parser;
  };
  static constexpr int kMaxDepth = 200;

  TFormObject ParseObject() {
    TDepth guard(*this);
    TFormObject obj;
    obj.Line = tok_.Line;
    if (IsKeyword("object"))
      obj.Kind = okObject;
    else if (IsKeyword("inherited"))
      obj.Kind = okInherited;
    else if (IsKeyword("inline"))
      obj.Kind = okInline;
    else
      Error("'object' expected but " + Describe() + " found");
    Next();
    std::string first = ExpectIdent("Component name");
    if (IsSymbol(':')) {
      Next();
      obj.Name = first;
      obj.ClassName = ExpectIdent("Class name");
    } else {
      obj.ClassName = first;
    }
    if (IsSymbol('[')) {
      Next();
      if (tok_.Kind != tkInt) Error("Integer expected");
      obj.Index = tok_.Int;
      Next();
      Expect(']');
    }
    for (;;) {
      if (tok_.Kind == tkEof) Error("'end' expected for object " + (obj.Name.empty() ? obj.ClassName : obj.Name) +
                                    " begun on line " + std::to_string(obj.Line));
      if (IsKeyword("end")) {
        Next();
        return obj;
      }
      if (IsKeyword("object") || IsKeyword("inherited") || IsKeyword("inline")) {
        obj.Children.push_back(ParseObject());
        continue;
      }
      if (!obj.Children.empty()) Error("Property after nested objects");
      obj.Props.push_back(ParseProperty());
    }
  }

  TFormProp ParseProperty() {
    TFormProp p;
    p.Line = tok_.Line;
    p.Name = DottedIdent("Property name");
    Expect('=');
    p.Value = ParseValue();
    return p;
  }

  TFormValue ParseValue() {
    TDepth guard(*this);
    TFormValue v;
    v.Line = tok_.Line;
    switch (tok_.Kind) {
      case tkInt:
        v.Type = vaInt;
        v.Int = tok_.Int;
        Next();
        return v;
      case tkFloatNum:
        v.Type = vaExtended;
        v.Float = tok_.Float;
        Next();
        return v;
      case tkStr:
      case tkChar:
        v.Type = vaString;
        v.Str = ParseStringExpr();
        return v;
      case tkIdent: {
        std::string id = DottedIdent("Identifier");
        std::string l = LowerCase(id);
        v.Type = l == "false" ? vaFalse : l == "true" ? vaTrue : l == "nil" ? vaNil : vaIdent;
        v.Str = id;
        return v;
      }
      case tkSymbol:
        break;
      case tkEof:
        Error("Value expected but end of file found");
    }
    char c = tok_.Text[0];
    if (c == '-') {
      // Only reached when '-' was not followed by a number.
      Error("Number expected after '-'");
    }
    if (c == '[') {
      v.Type = vaSet;
      Next();
      if (!IsSymbol(']')) {
        for (;;) {
          v.Set.push_back(ExpectIdent("Set element"));
          if (IsSymbol(']')) break;
          Expect(',');
        }
      }
      Next();
      return v;
    }
    if (c == '(') {
      v.Type = vaList;
      Next();
      while (!IsSymbol(')')) {
        if (tok_.Kind == tkEof) Error("')' expected for the list begun on line " + std::to_string(v.Line));
        v.List.push_back(ParseValue());
      }
      Next();
      return v;
    }
    if (c == '<') {
      v.Type = vaCollection;
      Next();
      while (!IsSymbol('>')) {
        if (!IsKeyword("item")) Error("'item' or '>' expected but " + Describe() + " found");
        TFormItem item;
        item.Line = tok_.Line;
        Next();
        if (IsSymbol('[')) {
          Next();
          if (tok_.Kind != tkInt) Error("Integer expected");
          item.Index = tok_.Int;
          Next();
          Expect(']');
        }
        for (;;) {
          if (tok_.Kind == tkEof) Error("'end' expected for the item begun on line " + std::to_string(item.Line));
          if (IsKeyword("end")) break;
          item.Props.push_back(ParseProperty());
        }
        Next();
        v.Items.push_back(std::move(item));
      }
      Next();
      return v;
    }
    if (c == '{') {
      v.Type = vaBinary;
      ParseBinary(v.Str);
      return v;
    }
    Error("Invalid value " + Describe());
  }

  std::string ParseStringExpr() {
    // Pieces written without space between them ('a'#13#10'b') join;
    // pieces separated by space are list elements unless joined by '+'.
    std::string r = tok_.Text;
    Next();
    for (;;) {
      while ((tok_.Kind == tkStr || tok_.Kind == tkChar) && tok_.Adjacent) {
        r += tok_.Text;
        Next();
      }
      if (IsSymbol('+')) {
        Next();
        if (tok_.Kind != tkStr && tok_.Kind != tkChar) Error("String expected after '+'");
        r += tok_.Text;
        Next();
        continue;
      }
      return r;
    }
  }

  // Binary data is read straight from the text: pairs of hex digits up to '}'.
  void ParseBinary(std::string& out) {
    // tok_ is '{'; the scanner position is just after it.
    Integer startLine = tok_.Line;
    int hi = -1;
    for (;;) {
      if (pos_ >= s_.size()) Error("'}' expected for the binary data begun on line " + std::to_string(startLine));
      char c = s_[pos_++];
      if (c == '\n') {
        ++line_;
        continue;
      }
      if (c == ' ' || c == '\t' || c == '\r') continue;
      if (c == '}') break;
      int h = HexValue(c);
      if (h < 0) Error(std::string("Invalid binary digit '") + c + "'", line_);
      if (hi < 0) {
        hi = h;
      } else {
        out += static_cast<char>((hi << 4) | h);
        hi = -1;
      }
    }
    if (hi >= 0) Error("Odd number of hex digits in binary data", line_);
    Next();
  }

  void Next() {
    size_t start = pos_;
    // Skip white space.
    while (pos_ < s_.size()) {
      char c = s_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
      } else if (c == ' ' || c == '\t' || c == '\r' || c == '\f') {
        ++pos_;
      } else if (pos_ == 0 && s_.compare(0, 3, "\xEF\xBB\xBF") == 0) {
        pos_ += 3;  // UTF-8 byte order mark
      } else {
        break;
      }
    }
    tok_ = TToken();
    tok_.Line = line_;
    tok_.Adjacent = pos_ == start;
    if (pos_ >= s_.size()) return;
    char c = s_[pos_];
    if (IsIdentStart(c)) {
      size_t b = pos_;
      while (pos_ < s_.size() && IsIdentChar(s_[pos_])) ++pos_;
      tok_.Kind = tkIdent;
      tok_.Text = s_.substr(b, pos_ - b);
      return;
    }
    if (c == '\'') {
      tok_.Kind = tkStr;
      ++pos_;
      for (;;) {
        if (pos_ >= s_.size() || s_[pos_] == '\n' || s_[pos_] == '\r') Error("Unterminated string");
        char d = s_[pos_++];
        if (d == '\'') {
          if (pos_ < s_.size() && s_[pos_] == '\'') {
            tok_.Text += '\'';
            ++pos_;
            continue;
          }
          break;
        }
        tok_.Text += d;
      }
      return;
    }
    if (c == '#') {
      tok_.Kind = tkChar;
      ++pos_;
      uint64_t v = 0;
      size_t b = pos_;
      if (pos_ < s_.size() && s_[pos_] == '$') {
        ++pos_;
        b = pos_;
        while (pos_ < s_.size() && HexValue(s_[pos_]) >= 0 && v <= 0x10FFFF) v = v * 16 + HexValue(s_[pos_++]);
      } else {
        while (pos_ < s_.size() && IsDigit(s_[pos_]) && v <= 0x10FFFF) v = v * 10 + (s_[pos_++] - '0');
      }
      if (pos_ == b) Error("Character code expected after '#'");
      if (v > 0x10FFFF) Error("Character code out of range");
      AppendUtf8(tok_.Text, static_cast<uint32_t>(v));
      return;
    }
    if (c == '$' || IsDigit(c) || (c == '-' && pos_ + 1 < s_.size() && (IsDigit(s_[pos_ + 1]) || s_[pos_ + 1] == '$'))) {
      ScanNumber();
      return;
    }
    tok_.Kind = tkSymbol;
    tok_.Text = std::string(1, c);
    ++pos_;
  }

  void ScanNumber() {
    bool neg = false;
    if (s_[pos_] == '-') {
      neg = true;
      ++pos_;
    }
    if (s_[pos_] == '$') {
      ++pos_;
      uint64_t v = 0;
      size_t b = pos_;
      while (pos_ < s_.size() && HexValue(s_[pos_]) >= 0) {
        if (v >> 60) Error("Number too large");
        v = v * 16 + HexValue(s_[pos_++]);
      }
      if (pos_ == b) Error("Hex digits expected after '$'");
      tok_.Kind = tkInt;
      tok_.Int = neg ? -static_cast<Int64>(v) : static_cast<Int64>(v);
      return;
    }
    size_t b = pos_;
    while (pos_ < s_.size() && IsDigit(s_[pos_])) ++pos_;
    bool isFloat = false;
    if (pos_ + 1 < s_.size() && s_[pos_] == '.' && IsDigit(s_[pos_ + 1])) {
      isFloat = true;
      ++pos_;
      while (pos_ < s_.size() && IsDigit(s_[pos_])) ++pos_;
    }
    if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
      size_t e = pos_ + 1;
      if (e < s_.size() && (s_[e] == '+' || s_[e] == '-')) ++e;
      if (e < s_.size() && IsDigit(s_[e])) {
        isFloat = true;
        pos_ = e;
        while (pos_ < s_.size() && IsDigit(s_[pos_])) ++pos_;
      }
    }
    std::string text = s_.substr(b, pos_ - b);
    if (isFloat) {
      tok_.Kind = tkFloatNum;
      tok_.Float = std::strtold(text.c_str(), nullptr);
      if (neg) tok_.Float = -tok_.Float;
      return;
    }
    uint64_t v = 0;
    for (char d : text) {
      if (v > (static_cast<uint64_t>(INT64_MAX) - 9) / 10) Error("Number too large");
      v = v * 10 + static_cast<uint64_t>(d - '0');
    }
    tok_.Kind = tkInt;
    tok_.Int = neg ? -static_cast<Int64>(v) : static_cast<Int64>(v);
  }

  const std::string& s_;
  int depth_ = 0;
  size_t pos_ = 0;
  Integer line_ = 1;
  TToken tok_;
};

// ---------------------------------------------------------------------------
// Printer.

std::string QuoteString(const std::string& s) {
  if (s.empty()) return "''";
  std::string out;
  bool inQuote = false;
  for (unsigned char c : s) {
    if (c < 32 || c == 127) {
      if (inQuote) {
        out += '\'';
        inQuote = false;
      }
      out += '#' + std::to_string(c);
    } else {
      if (!inQuote) {
        out += '\'';
        inQuote = true;
      }
      if (c == '\'') out += '\'';
      out += static_cast<char>(c);
    }
  }
  if (inQuote) out += '\'';
  return out;
}

// Long strings are split into pieces of at most 64 bytes, not inside a
// UTF-8 sequence, joined by '+' at the line ends.
std::vector<std::string> SplitString(const std::string& s) {
  std::vector<std::string> parts;
  size_t i = 0;
  while (i < s.size()) {
    size_t n = std::min<size_t>(64, s.size() - i);
    while (n < s.size() - i && n > 1 && (static_cast<unsigned char>(s[i + n]) & 0xC0) == 0x80) --n;
    parts.push_back(s.substr(i, n));
    i += n;
  }
  if (parts.empty()) parts.push_back(std::string());
  return parts;
}

std::string FloatText(Extended v) {
  char buf[64];
  for (int prec = 15; prec <= 21; ++prec) {
    std::snprintf(buf, sizeof buf, "%.*Lg", prec, v);
    if (std::strtold(buf, nullptr) == v) break;
  }
  std::string r = buf;
  if (r.find_first_of(".eEn") == std::string::npos) r += ".0";  // keep it a float
  for (char& c : r)
    if (c == 'e') c = 'E';
  return r;
}

void PrintProps(std::string& out, const std::vector<TFormProp>& props, int indent);

void PrintValue(std::string& out, const TFormValue& v, int indent) {
  std::string pad(indent, ' ');
  switch (v.Type) {
    case vaInt: out += std::to_string(v.Int); break;
    case vaExtended: out += FloatText(v.Float); break;
    case vaString: {
      std::vector<std::string> parts = SplitString(v.Str);
      for (size_t i = 0; i < parts.size(); ++i) {
        if (i) out += " +\n" + pad + "  ";
        out += QuoteString(parts[i]);
      }
      break;
    }
    case vaIdent: out += v.Str; break;
    case vaFalse: out += "False"; break;
    case vaTrue: out += "True"; break;
    case vaNil: out += "nil"; break;
    case vaNull: out += "nil"; break;
    case vaSet: {
      out += '[';
      for (size_t i = 0; i < v.Set.size(); ++i) out += (i ? ", " : "") + v.Set[i];
      out += ']';
      break;
    }
    case vaList: {
      out += '(';
      for (const TFormValue& e : v.List) {
        out += "\n" + pad + "  ";
        PrintValue(out, e, indent + 2);
      }
      out += ')';
      break;
    }
    case vaCollection: {
      out += '<';
      for (size_t i = 0; i < v.Items.size(); ++i) {
        const TFormItem& item = v.Items[i];
        out += "\n" + pad + "  item";
        if (item.Index) out += " [" + std::to_string(*item.Index) + "]";
        out += "\n";
        PrintProps(out, item.Props, indent + 4);
        out += pad + "  end";
      }
      out += '>';
      break;
    }
    case vaBinary: {
      static const char* hex = "0123456789ABCDEF";
      out += '{';
      for (size_t i = 0; i < v.Str.size(); ++i) {
        if (i % 32 == 0) out += "\n" + pad + "  ";
        unsigned char b = static_cast<unsigned char>(v.Str[i]);
        out += hex[b >> 4];
        out += hex[b & 15];
      }
      out += '}';
      break;
    }
  }
}

void PrintProps(std::string& out, const std::vector<TFormProp>& props, int indent) {
  std::string pad(indent, ' ');
  for (const TFormProp& p : props) {
    out += pad + p.Name + " = ";
    PrintValue(out, p.Value, indent);
    out += '\n';
  }
}

void PrintObject(std::string& out, const TFormObject& o, int indent) {
  std::string pad(indent, ' ');
  out += pad + (o.Kind == okInherited ? "inherited " : o.Kind == okInline ? "inline " : "object ");
  out += o.Name.empty() ? o.ClassName : o.Name + ": " + o.ClassName;
  if (o.Index) out += " [" + std::to_string(*o.Index) + "]";
  out += '\n';
  PrintProps(out, o.Props, indent + 2);
  for (const TFormObject& c : o.Children) PrintObject(out, c, indent + 2);
  out += pad + "end\n";
}

}  // namespace

TFormObject ParseFormText(const std::string& Text) {
  TParser parser(Text);
  return parser.ParseRoot();
}

std::string FormObjectToText(const TFormObject& Object) {
  std::string out;
  PrintObject(out, Object, 0);
  return out;
}
