#include "platform/SysUtils.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <shellapi.h>

TFormatSettings FormatSettings;

TSysLocale SysLocale = [] {
  TSysLocale l;
  const LCID id = ::GetUserDefaultLCID();
  l.DefaultLCID = static_cast<Integer>(id);
  l.PriLangID = PRIMARYLANGID(LANGIDFROMLCID(id));
  l.SubLangID = SUBLANGID(LANGIDFROMLCID(id));
  return l;
}();

// ---------------------------------------------------------------------------
// Decimal conversion of floating values shared by Format, FloatToStr and
// FormatFloat. Rounds half away from zero on the decimal digits.
namespace {

struct TFloatRec {
  Integer Exponent = 0;  // value = 0.Digits * 10^Exponent
  bool Negative = false;
  bool Nan = false, Inf = false;
  std::string Digits;  // no trailing zeros; empty for zero
};

// At most Precision significant digits and at most Decimals digits after the point.
TFloatRec FloatToDecimal(Extended Value, Integer Precision, Integer Decimals) {
  TFloatRec r;
  if (std::isnan(Value)) {
    r.Nan = true;
    return r;
  }
  r.Negative = std::signbit(Value);
  if (std::isinf(Value)) {
    r.Inf = true;
    return r;
  }
  Value = std::fabs(Value);
  if (Value == 0) {
    r.Negative = false;
    return r;
  }
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.27Le", Value);  // "d.ddd...e+XX"
  std::string m;
  const char* p = buf;
  for (; *p != 'e'; ++p)
    if (*p >= '0' && *p <= '9') m += *p;
  r.Exponent = std::atoi(p + 1) + 1;
  Precision = std::clamp(Precision, 1, 18);
  const Integer keep = std::min<Integer>(Precision, r.Exponent + Decimals);
  if (keep < 0) {
    r.Negative = false;
    r.Exponent = 0;
    return r;
  }
  std::string d = m.substr(0, static_cast<size_t>(keep));
  if (m[static_cast<size_t>(keep)] >= '5') {
    Integer i = keep - 1;
    while (i >= 0 && d[static_cast<size_t>(i)] == '9') d[static_cast<size_t>(i--)] = '0';
    if (i >= 0) {
      ++d[static_cast<size_t>(i)];
    } else {
      d.insert(d.begin(), '1');
      ++r.Exponent;
    }
  }
  while (!d.empty() && d.back() == '0') d.pop_back();
  if (d.empty()) {
    r.Negative = false;
    r.Exponent = 0;
  }
  r.Digits = std::move(d);
  return r;
}

char DigitAt(const TFloatRec& r, Integer i) {
  return i >= 0 && i < static_cast<Integer>(r.Digits.size()) ? r.Digits[static_cast<size_t>(i)] : '0';
}

std::string GroupThousands(const std::string& intPart) {
  if (FormatSettings.ThousandSeparator == 0) return intPart;
  std::string out;
  const size_t n = intPart.size();
  for (size_t i = 0; i < n; ++i) {
    if (i > 0 && (n - i) % 3 == 0) out += FormatSettings.ThousandSeparator;
    out += intPart[i];
  }
  return out;
}

// Integer part and Decimals fraction digits, no sign.
std::string FixedText(const TFloatRec& r, Integer Decimals, bool Thousands) {
  std::string ip;
  for (Integer i = 0; i < r.Exponent; ++i) ip += DigitAt(r, i);
  if (ip.empty()) ip = "0";
  if (Thousands) ip = GroupThousands(ip);
  if (Decimals > 0) {
    ip += FormatSettings.DecimalSeparator;
    for (Integer i = 0; i < Decimals; ++i) ip += DigitAt(r, r.Exponent + i);
  }
  return ip;
}

std::string ExponentText(Integer e, Integer Digits, bool PlusSign) {
  std::string s = "E";
  if (e < 0) {
    s += '-';
    e = -e;
  } else if (PlusSign) {
    s += '+';
  }
  std::string n = std::to_string(e);
  if (static_cast<Integer>(n.size()) < Digits) n.insert(0, static_cast<size_t>(Digits) - n.size(), '0');
  return s + n;
}

std::string SpecialText(const TFloatRec& r) {
  if (r.Nan) return "NAN";
  return r.Negative ? "-INF" : "INF";
}

std::string ExponentFormat(Extended Value, Integer Precision, Integer Digits) {
  Precision = std::clamp(Precision, 1, 18);
  const TFloatRec r = FloatToDecimal(Value, Precision, 9999);
  if (r.Nan || r.Inf) return SpecialText(r);
  std::string s = r.Negative ? "-" : "";
  s += DigitAt(r, 0);
  if (Precision > 1) {
    s += FormatSettings.DecimalSeparator;
    for (Integer i = 1; i < Precision; ++i) s += DigitAt(r, i);
  }
  return s + ExponentText(r.Digits.empty() ? 0 : r.Exponent - 1, std::clamp(Digits, 0, 4), true);
}

std::string GeneralFormat(Extended Value, Integer Precision, Integer Digits) {
  Precision = std::clamp(Precision, 1, 18);
  const TFloatRec r = FloatToDecimal(Value, Precision, 9999);
  if (r.Nan || r.Inf) return SpecialText(r);
  if (r.Digits.empty()) return "0";
  std::string s = r.Negative ? "-" : "";
  const Integer n = static_cast<Integer>(r.Digits.size());
  if (r.Exponent > Precision || r.Exponent < -3) {
    s += r.Digits[0];
    if (n > 1) s += FormatSettings.DecimalSeparator + r.Digits.substr(1);
    return s + ExponentText(r.Exponent - 1, std::clamp(Digits, 0, 4), false);
  }
  return s + FixedText(r, std::max(n - r.Exponent, 0), false);
}

std::string CurrencyText(const std::string& number, bool negative) {
  const std::string& c = FormatSettings.CurrencyString;
  if (!negative) {
    switch (FormatSettings.CurrencyFormat) {
      case 1: return number + c;
      case 2: return c + " " + number;
      case 3: return number + " " + c;
      default: return c + number;
    }
  }
  switch (FormatSettings.NegCurrFormat) {
    case 1: return "-" + c + number;
    case 2: return c + "-" + number;
    case 3: return c + number + "-";
    case 4: return "(" + number + c + ")";
    case 5: return "-" + number + c;
    case 6: return number + "-" + c;
    case 7: return number + c + "-";
    case 8: return "-" + number + " " + c;
    case 9: return "-" + c + " " + number;
    case 10: return number + " " + c + "-";
    case 11: return c + " " + number + "-";
    case 12: return c + " -" + number;
    case 13: return number + "- " + c;
    case 14: return "(" + c + " " + number + ")";
    case 15: return "(" + number + " " + c + ")";
    default: return "(" + c + number + ")";
  }
}

std::string FloatText(Extended Value, TFloatFormat Fmt, Integer Precision, Integer Digits) {
  switch (Fmt) {
    case ffGeneral: return GeneralFormat(Value, Precision, Digits);
    case ffExponent: return ExponentFormat(Value, Precision, Digits);
    case ffFixed:
    case ffNumber:
    case ffCurrency: {
      Digits = std::clamp(Digits, 0, 18);
      Precision = std::clamp(Precision, 1, 18);
      const TFloatRec r = FloatToDecimal(Value, Precision, Digits);
      if (r.Nan || r.Inf) return SpecialText(r);
      // Too many integer digits for the precision: scientific.
      if (r.Exponent > Precision) return GeneralFormat(Value, Precision, 0);
      const std::string number = FixedText(r, Digits, Fmt != ffFixed);
      if (Fmt == ffCurrency) return CurrencyText(number, r.Negative);
      return r.Negative ? "-" + number : number;
    }
  }
  return std::string();
}

}  // namespace

std::string FloatToStr(Extended Value) { return GeneralFormat(Value, 15, 0); }

std::string FloatToStrF(Extended Value, TFloatFormat Format, Integer Precision, Integer Digits) {
  return FloatText(Value, Format, Precision, Digits);
}

// ---------------------------------------------------------------------------
// Format

namespace {

[[noreturn]] void FormatError(const std::string& fmt) {
  throw EConvertError("Format '" + fmt + "' invalid or incompatible with argument");
}

std::string UnsignedText(uint64_t v, bool hex) {
  char buf[32];
  std::snprintf(buf, sizeof buf, hex ? "%llX" : "%llu", static_cast<unsigned long long>(v));
  return buf;
}

}  // namespace

std::string Format(const std::string& Fmt, std::initializer_list<TVarRec> Args) {
  const TVarRec* args = Args.begin();
  const Integer argCount = static_cast<Integer>(Args.size());
  Integer argIndex = 0;
  std::string out;
  out.reserve(Fmt.size() + 16);
  const size_t n = Fmt.size();
  size_t i = 0;

  auto nextArg = [&]() -> const TVarRec& {
    if (argIndex >= argCount) throw EConvertError("No argument for format '" + Fmt + "'");
    return args[argIndex++];
  };
  // A number or '*'; -1 when absent.
  auto readNumber = [&]() -> Integer {
    if (i < n && Fmt[i] == '*') {
      ++i;
      const TVarRec& a = nextArg();
      if (a.Kind != TVarRec::vtInteger) FormatError(Fmt);
      return static_cast<Integer>(a.VInt64);
    }
    if (i >= n || Fmt[i] < '0' || Fmt[i] > '9') return -1;
    Int64 v = 0;
    while (i < n && Fmt[i] >= '0' && Fmt[i] <= '9') {
      v = v * 10 + (Fmt[i++] - '0');
      if (v > 0x7FFFFFFF) FormatError(Fmt);
    }
    return static_cast<Integer>(v);
  };

  while (i < n) {
    const size_t pct = Fmt.find('%', i);
    if (pct == std::string::npos) {
      out.append(Fmt, i, std::string::npos);
      break;
    }
    out.append(Fmt, i, pct - i);
    i = pct + 1;
    if (i < n && Fmt[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    Integer width = readNumber();
    if (i < n && Fmt[i] == ':') {
      ++i;
      if (width < 0) FormatError(Fmt);
      argIndex = width;
      width = -1;
    }
    bool left = false;
    if (i < n && Fmt[i] == '-') {
      left = true;
      ++i;
    }
    if (width < 0) width = readNumber();
    Integer prec = -1;
    if (i < n && Fmt[i] == '.') {
      ++i;
      prec = readNumber();
      if (prec < 0) prec = 0;
    }
    if (i >= n) FormatError(Fmt);
    const char type = static_cast<char>(Fmt[i++] | 0x20);
    const TVarRec& a = nextArg();
    std::string text;
    switch (type) {
      case 'd':
      case 'u':
      case 'x': {
        bool negative = false;
        uint64_t mag;
        if (a.Kind == TVarRec::vtInteger || a.Kind == TVarRec::vtInt64) {
          if (type == 'd') {
            negative = a.VInt64 < 0;
            mag = negative ? 0 - static_cast<uint64_t>(a.VInt64) : static_cast<uint64_t>(a.VInt64);
          } else if (a.Kind == TVarRec::vtInteger) {
            mag = static_cast<uint32_t>(a.VInt64);  // a 32-bit value in two's complement
          } else {
            mag = static_cast<uint64_t>(a.VInt64);
          }
        } else if (a.Kind == TVarRec::vtUInt64) {
          mag = a.VUInt64;
        } else {
          FormatError(Fmt);
        }
        text = UnsignedText(mag, type == 'x');
        if (prec > static_cast<Integer>(text.size())) text.insert(0, static_cast<size_t>(prec) - text.size(), '0');
        if (negative) text.insert(0, 1, '-');
        break;
      }
      case 's':
        if (a.Kind == TVarRec::vtString) {
          text = std::string(a.VString);
        } else if (a.Kind == TVarRec::vtChar) {
          text = std::string(1, a.VChar);
        } else {
          FormatError(Fmt);
        }
        if (prec >= 0 && prec < static_cast<Integer>(text.size())) text.resize(static_cast<size_t>(prec));
        break;
      case 'e':
      case 'f':
      case 'g':
      case 'n':
      case 'm': {
        if (a.Kind != TVarRec::vtExtended) FormatError(Fmt);
        const Extended v = a.VExtended;
        switch (type) {
          case 'e': text = ExponentFormat(v, prec < 0 ? 15 : prec, 3); break;
          case 'g': text = GeneralFormat(v, prec < 0 ? 15 : prec, 3); break;
          case 'f': text = FloatText(v, ffFixed, 18, prec < 0 ? 2 : prec); break;
          case 'n': text = FloatText(v, ffNumber, 18, prec < 0 ? 2 : prec); break;
          default: text = FloatText(v, ffCurrency, 18, prec < 0 ? FormatSettings.CurrencyDecimals : prec);
        }
        break;
      }
      case 'p':
        if (a.Kind != TVarRec::vtPointer) FormatError(Fmt);
        text = IntToHex(reinterpret_cast<uintptr_t>(a.VPointer), static_cast<Integer>(2 * sizeof(void*)));
        break;
      default:
        FormatError(Fmt);
    }
    if (width > static_cast<Integer>(text.size())) {
      const size_t pad = static_cast<size_t>(width) - text.size();
      if (left) {
        text.append(pad, ' ');
      } else {
        text.insert(0, pad, ' ');
      }
    }
    out += text;
  }
  return out;
}

// ---------------------------------------------------------------------------
// Numbers

std::string IntToStr(Int64 Value) { return std::to_string(Value); }

std::string IntToHexBits(uint64_t Value, Integer Digits) {
  std::string s = UnsignedText(Value, true);
  if (Digits > static_cast<Integer>(s.size())) s.insert(0, static_cast<size_t>(Digits) - s.size(), '0');
  return s;
}

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Decimal or hexadecimal ($ or 0x) with optional sign; blanks around.
bool ParseInt(const std::string& S, Int64 lo, Int64 hi, Int64& out) {
  size_t i = 0;
  const size_t n = S.size();
  while (i < n && IsBlank(S[i])) ++i;
  bool negative = false;
  if (i < n && (S[i] == '+' || S[i] == '-')) negative = S[i++] == '-';
  unsigned base = 10;
  if (i < n && S[i] == '$') {
    base = 16;
    ++i;
  } else if (i + 1 < n && S[i] == '0' && (S[i + 1] == 'x' || S[i + 1] == 'X')) {
    base = 16;
    i += 2;
  }
  const size_t start = i;
  uint64_t v = 0;
  for (; i < n; ++i) {
    const char c = S[i];
    unsigned d;
    if (c >= '0' && c <= '9') {
      d = static_cast<unsigned>(c - '0');
    } else if (base == 16 && (c | 0x20) >= 'a' && (c | 0x20) <= 'f') {
      d = static_cast<unsigned>((c | 0x20) - 'a' + 10);
    } else {
      break;
    }
    if (v > (UINT64_MAX - d) / base) return false;
    v = v * base + d;
  }
  if (i == start) return false;
  while (i < n && IsBlank(S[i])) ++i;
  if (i != n) return false;
  const uint64_t maxPositive = static_cast<uint64_t>(hi);
  if (negative) {
    if (v > maxPositive + 1) return false;
    out = static_cast<Int64>(0 - v);
    if (out < lo && v != 0) return false;
    return true;
  }
  if (v <= maxPositive) {
    out = static_cast<Int64>(v);
    return true;
  }
  // Hexadecimal may spell the full unsigned width of the target ($FFFFFFFF is -1).
  if (base == 16 && v <= maxPositive * 2 + 1) {
    out = hi == INT32_MAX ? static_cast<Int64>(static_cast<int32_t>(static_cast<uint32_t>(v)))
                          : static_cast<Int64>(v);
    return true;
  }
  return false;
}

[[noreturn]] void IntError(const std::string& S) {
  throw EConvertError("'" + S + "' is not a valid integer value");
}

}  // namespace

bool TryStrToInt64(const std::string& S, Int64& Value) { return ParseInt(S, INT64_MIN, INT64_MAX, Value); }

bool TryStrToInt(const std::string& S, Integer& Value) {
  Int64 v;
  if (!ParseInt(S, INT32_MIN, INT32_MAX, v)) return false;
  Value = static_cast<Integer>(v);
  return true;
}

Integer StrToInt(const std::string& S) {
  Integer v;
  if (!TryStrToInt(S, v)) IntError(S);
  return v;
}

Int64 StrToInt64(const std::string& S) {
  Int64 v;
  if (!TryStrToInt64(S, v)) IntError(S);
  return v;
}

Integer StrToIntDef(const std::string& S, Integer Default) {
  Integer v;
  return TryStrToInt(S, v) ? v : Default;
}

Int64 StrToInt64Def(const std::string& S, Int64 Default) {
  Int64 v;
  return TryStrToInt64(S, v) ? v : Default;
}

bool TryStrToFloat(const std::string& S, Extended& Value) {
  size_t i = 0;
  const size_t n = S.size();
  while (i < n && IsBlank(S[i])) ++i;
  std::string t;
  if (i < n && (S[i] == '+' || S[i] == '-')) t += S[i++];
  size_t digits = 0;
  for (; i < n && S[i] >= '0' && S[i] <= '9'; ++i, ++digits) t += S[i];
  if (i < n && S[i] == FormatSettings.DecimalSeparator) {
    t += '.';
    for (++i; i < n && S[i] >= '0' && S[i] <= '9'; ++i, ++digits) t += S[i];
  }
  if (digits == 0) return false;
  if (i < n && (S[i] == 'e' || S[i] == 'E')) {
    t += 'e';
    ++i;
    if (i < n && (S[i] == '+' || S[i] == '-')) t += S[i++];
    size_t expDigits = 0;
    for (; i < n && S[i] >= '0' && S[i] <= '9'; ++i, ++expDigits) t += S[i];
    if (expDigits == 0) return false;
  }
  while (i < n && IsBlank(S[i])) ++i;
  if (i != n) return false;
  const long double v = std::strtold(t.c_str(), nullptr);
  if (std::isinf(v)) return false;
  Value = v;
  return true;
}

bool TryStrToFloat(const std::string& S, double& Value) {
  Extended v;
  if (!TryStrToFloat(S, v)) return false;
  Value = static_cast<double>(v);
  return true;
}

Extended StrToFloat(const std::string& S) {
  Extended v;
  if (!TryStrToFloat(S, v)) throw EConvertError("'" + S + "' is not a valid floating point value");
  return v;
}

Extended StrToFloatDef(const std::string& S, Extended Default) {
  Extended v;
  return TryStrToFloat(S, v) ? v : Default;
}

bool StrToBool(const std::string& S) {
  if (SameText(Trim(S), "True")) return true;
  if (SameText(Trim(S), "False")) return false;
  Int64 v;
  if (TryStrToInt64(S, v)) return v != 0;
  Extended f;
  if (TryStrToFloat(S, f)) return f != 0;
  throw EConvertError("'" + S + "' is not a valid boolean value");
}

std::string BoolToStr(bool B, bool UseBoolStrs) {
  if (UseBoolStrs) return B ? "True" : "False";
  return B ? "-1" : "0";
}

// ---------------------------------------------------------------------------
// FormatFloat

namespace {

struct TFloatSection {
  std::string prefix, suffix;
  Integer minInt = 0, minFrac = 0, maxFrac = 0, expDigits = 0;
  bool thousands = false, scientific = false, expPlus = false, hasPoint = false, placeholders = false;
};

// Splits a format at ';' outside quotes.
std::vector<std::string> SplitSections(const std::string& fmt) {
  std::vector<std::string> out(1);
  char quote = 0;
  for (char c : fmt) {
    if (quote != 0) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == ';') {
      out.emplace_back();
      continue;
    }
    out.back() += c;
  }
  return out;
}

TFloatSection ParseSection(const std::string& s) {
  TFloatSection f;
  bool seenDigit = false, inFraction = false;
  size_t i = 0;
  std::string* literal = &f.prefix;
  while (i < s.size()) {
    const char c = s[i];
    if (c == '"' || c == '\'') {
      const size_t end = s.find(c, i + 1);
      literal->append(s, i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
      i = end == std::string::npos ? s.size() : end + 1;
      continue;
    }
    if (!f.scientific && (c == '0' || c == '#')) {
      seenDigit = true;
      f.placeholders = true;
      literal = &f.suffix;
      if (inFraction) {
        ++f.maxFrac;
        if (c == '0') f.minFrac = f.maxFrac;
      } else if (c == '0') {
        ++f.minInt;
      }
    } else if (!f.scientific && c == '.') {
      if (!inFraction) {
        inFraction = true;
        f.hasPoint = true;
        seenDigit = true;
        literal = &f.suffix;
      }
    } else if (!f.scientific && c == ',') {
      if (!inFraction) f.thousands = true;
    } else if (seenDigit && !f.scientific && (c == 'E' || c == 'e') && i + 1 < s.size() &&
               (s[i + 1] == '+' || s[i + 1] == '-')) {
      f.scientific = true;
      f.expPlus = s[i + 1] == '+';
      i += 2;
      while (i < s.size() && s[i] == '0') {
        ++f.expDigits;
        ++i;
      }
      continue;
    } else {
      *literal += c;
    }
    ++i;
  }
  return f;
}

std::string ApplySection(const TFloatSection& f, Extended v, bool withSign) {
  if (!f.placeholders) return f.prefix + f.suffix;  // a section of text only
  std::string body;
  bool negative = false;
  if (f.scientific) {
    const Integer intDigits = std::max<Integer>(f.minInt, 1);
    const TFloatRec r = FloatToDecimal(v, intDigits + f.maxFrac, 9999);
    negative = r.Negative;
    const Integer e = r.Digits.empty() ? 0 : r.Exponent - intDigits;
    for (Integer i = 0; i < intDigits; ++i) body += DigitAt(r, i);
    std::string frac;
    for (Integer i = 0; i < f.maxFrac; ++i) frac += DigitAt(r, intDigits + i);
    while (static_cast<Integer>(frac.size()) > f.minFrac && frac.back() == '0') frac.pop_back();
    if (!frac.empty()) body += FormatSettings.DecimalSeparator + frac;
    body += ExponentText(e, f.expDigits, f.expPlus);
  } else {
    const TFloatRec r = FloatToDecimal(v, 18, f.maxFrac);
    if (r.Nan || r.Inf) return SpecialText(r);
    negative = r.Negative;
    std::string ip;
    for (Integer i = 0; i < r.Exponent; ++i) ip += DigitAt(r, i);
    if (static_cast<Integer>(ip.size()) < f.minInt) ip.insert(0, static_cast<size_t>(f.minInt) - ip.size(), '0');
    if (f.thousands) ip = GroupThousands(ip);
    std::string frac;
    for (Integer i = 0; i < f.maxFrac; ++i) frac += DigitAt(r, r.Exponent + i);
    while (static_cast<Integer>(frac.size()) > f.minFrac && frac.back() == '0') frac.pop_back();
    body = ip;
    if (!frac.empty()) body += FormatSettings.DecimalSeparator + frac;
    if (body.empty()) body = "0";
  }
  return (negative && withSign ? "-" : "") + f.prefix + body + f.suffix;
}

}  // namespace

std::string FormatFloat(const std::string& Fmt, Extended Value) {
  if (Fmt.empty()) return FloatToStr(Value);
  if (std::isnan(Value) || std::isinf(Value)) return FloatToStr(Value);
  const std::vector<std::string> sections = SplitSections(Fmt);
  const TFloatSection first = ParseSection(sections[0]);
  // Decide zero by the value as the first section rounds it.
  const bool isZero = ApplySection(first, std::fabs(Value), false) == ApplySection(first, 0.0L, false);
  if (isZero && sections.size() >= 3 && !sections[2].empty()) return ApplySection(ParseSection(sections[2]), 0.0L, false);
  if (Value < 0 && sections.size() >= 2 && !sections[1].empty() && !isZero)
    return ApplySection(ParseSection(sections[1]), -Value, false);
  return ApplySection(first, isZero ? 0.0L : Value, true);
}

// ---------------------------------------------------------------------------
// Text

std::string TrimLeft(const std::string& S) {
  size_t i = 0;
  while (i < S.size() && static_cast<unsigned char>(S[i]) <= ' ') ++i;
  return S.substr(i);
}

std::string TrimRight(const std::string& S) {
  size_t n = S.size();
  while (n > 0 && static_cast<unsigned char>(S[n - 1]) <= ' ') --n;
  return S.substr(0, n);
}

std::string Trim(const std::string& S) { return TrimRight(TrimLeft(S)); }

std::string UpperCase(const std::string& S) {
  std::string r = S;
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return r;
}

std::string LowerCase(const std::string& S) {
  std::string r = S;
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return r;
}

namespace {
bool IsAscii(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}
}  // namespace

std::string AnsiUpperCase(const std::string& S) {
  if (IsAscii(S)) return UpperCase(S);
  std::wstring w = Utf8ToWide(S);
  ::CharUpperBuffW(w.data(), static_cast<DWORD>(w.size()));
  return WideToUtf8(w);
}

std::string AnsiLowerCase(const std::string& S) {
  if (IsAscii(S)) return LowerCase(S);
  std::wstring w = Utf8ToWide(S);
  ::CharLowerBuffW(w.data(), static_cast<DWORD>(w.size()));
  return WideToUtf8(w);
}

Integer CompareStr(const std::string& S1, const std::string& S2) {
  const int c = S1.compare(S2);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

Integer CompareText(const std::string& S1, const std::string& S2) {
  const size_t n = std::min(S1.size(), S2.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char a = static_cast<unsigned char>(S1[i]), b = static_cast<unsigned char>(S2[i]);
    if (a >= 'a' && a <= 'z') a = static_cast<unsigned char>(a - 32);
    if (b >= 'a' && b <= 'z') b = static_cast<unsigned char>(b - 32);
    if (a != b) return static_cast<Integer>(a) - static_cast<Integer>(b);
  }
  return static_cast<Integer>(S1.size()) - static_cast<Integer>(S2.size());
}

bool SameText(const std::string& S1, const std::string& S2) {
  return S1.size() == S2.size() && CompareText(S1, S2) == 0;
}

namespace {
Integer LocaleCompare(const std::string& S1, const std::string& S2, DWORD flags) {
  const std::wstring a = Utf8ToWide(S1), b = Utf8ToWide(S2);
  const int r = ::CompareStringW(LOCALE_USER_DEFAULT, flags, a.data(), static_cast<int>(a.size()), b.data(),
                                 static_cast<int>(b.size()));
  return r == 0 ? CompareStr(S1, S2) : r - CSTR_EQUAL;
}
}  // namespace

Integer AnsiCompareText(const std::string& S1, const std::string& S2) {
  return LocaleCompare(S1, S2, NORM_IGNORECASE);
}

Integer AnsiCompareStr(const std::string& S1, const std::string& S2) { return LocaleCompare(S1, S2, 0); }

bool AnsiSameText(const std::string& S1, const std::string& S2) { return AnsiCompareText(S1, S2) == 0; }

std::string StringReplace(const std::string& S, const std::string& OldPattern, const std::string& NewPattern,
                          TReplaceFlags Flags) {
  if (OldPattern.empty()) return S;
  const bool all = (Flags & rfReplaceAll) != 0;
  if ((Flags & rfIgnoreCase) == 0 || (IsAscii(S) && IsAscii(OldPattern))) {
    const std::string hay = (Flags & rfIgnoreCase) ? UpperCase(S) : S;
    const std::string needle = (Flags & rfIgnoreCase) ? UpperCase(OldPattern) : OldPattern;
    std::string out;
    size_t from = 0;
    for (;;) {
      const size_t at = hay.find(needle, from);
      if (at == std::string::npos) break;
      out.append(S, from, at - from);
      out += NewPattern;
      from = at + needle.size();
      if (!all) break;
    }
    out.append(S, from, std::string::npos);
    return out;
  }
  // Case-insensitive beyond ASCII: search in UTF-16, where case mapping keeps lengths.
  const std::wstring w = Utf8ToWide(S);
  std::wstring hay = w, needle = Utf8ToWide(OldPattern);
  ::CharUpperBuffW(hay.data(), static_cast<DWORD>(hay.size()));
  ::CharUpperBuffW(needle.data(), static_cast<DWORD>(needle.size()));
  const std::wstring repl = Utf8ToWide(NewPattern);
  std::wstring out;
  size_t from = 0;
  for (;;) {
    const size_t at = hay.find(needle, from);
    if (at == std::wstring::npos) break;
    out.append(w, from, at - from);
    out += repl;
    from = at + needle.size();
    if (!all) break;
  }
  out.append(w, from, std::wstring::npos);
  return WideToUtf8(out);
}

std::string AnsiQuotedStr(const std::string& S, char Quote) {
  std::string r(1, Quote);
  for (char c : S) {
    r += c;
    if (c == Quote) r += c;
  }
  r += Quote;
  return r;
}

std::string QuotedStr(const std::string& S) { return AnsiQuotedStr(S, '\''); }

std::string AnsiDequotedStr(const std::string& S, char Quote) {
  if (S.empty() || S[0] != Quote) return S;
  std::string r;
  size_t i = 1;
  while (i < S.size()) {
    if (S[i] == Quote) {
      if (i + 1 < S.size() && S[i + 1] == Quote) {
        r += Quote;
        i += 2;
        continue;
      }
      return r;  // closing quote; anything after it is dropped
    }
    r += S[i++];
  }
  return r;
}

Integer Pos(const std::string& Sub, const std::string& S) {
  if (Sub.empty()) return 0;
  const size_t at = S.find(Sub);
  return at == std::string::npos ? 0 : static_cast<Integer>(at) + 1;
}

// ---------------------------------------------------------------------------
// File names

namespace {
bool IsPathDelim(char c) { return c == '\\' || c == '/'; }
// Index after the last path delimiter or drive colon.
size_t NameStart(const std::string& f) {
  for (size_t i = f.size(); i > 0; --i)
    if (IsPathDelim(f[i - 1]) || f[i - 1] == ':') return i;
  return 0;
}
}  // namespace

std::string ExtractFileName(const std::string& FileName) { return FileName.substr(NameStart(FileName)); }

std::string ExtractFilePath(const std::string& FileName) { return FileName.substr(0, NameStart(FileName)); }

std::string ExtractFileDir(const std::string& FileName) {
  size_t i = NameStart(FileName);
  // Keep the delimiter of a root ("C:\", "\").
  if (i > 1 && IsPathDelim(FileName[i - 1]) && !IsPathDelim(FileName[i - 2]) && FileName[i - 2] != ':') --i;
  return FileName.substr(0, i);
}

std::string ExtractFileDrive(const std::string& FileName) {
  if (FileName.size() >= 2 && FileName[1] == ':') return FileName.substr(0, 2);
  if (FileName.size() >= 2 && IsPathDelim(FileName[0]) && IsPathDelim(FileName[1])) {
    // \\server\share
    size_t i = 2, parts = 0;
    while (i < FileName.size()) {
      if (IsPathDelim(FileName[i]) && ++parts == 2) break;
      ++i;
    }
    return FileName.substr(0, i);
  }
  return std::string();
}

std::string ExtractFileExt(const std::string& FileName) {
  const size_t start = NameStart(FileName);
  const size_t dot = FileName.rfind('.');
  return dot == std::string::npos || dot < start ? std::string() : FileName.substr(dot);
}

std::string ChangeFileExt(const std::string& FileName, const std::string& Extension) {
  const size_t start = NameStart(FileName);
  const size_t dot = FileName.rfind('.');
  const size_t end = dot == std::string::npos || dot < start ? FileName.size() : dot;
  return FileName.substr(0, end) + Extension;
}

std::string IncludeTrailingBackslash(const std::string& S) {
  return !S.empty() && IsPathDelim(S.back()) ? S : S + '\\';
}

std::string ExcludeTrailingBackslash(const std::string& S) {
  return !S.empty() && IsPathDelim(S.back()) ? S.substr(0, S.size() - 1) : S;
}

std::string ExpandFileName(const std::string& FileName) {
  const std::wstring w = Utf8ToWide(FileName);
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetFullPathNameW(w.c_str(), static_cast<DWORD>(buf.size()), buf.data(), nullptr);
    if (n == 0) return FileName;
    if (n < buf.size()) return WideToUtf8(buf.data(), static_cast<int>(n));
    buf.resize(n + 1);
  }
}

// ---------------------------------------------------------------------------
// Files and folders

namespace {
DWORD Attributes(const std::string& name) { return ::GetFileAttributesW(Utf8ToWide(name).c_str()); }

Integer FileTimeToDos(const FILETIME& ft) {
  FILETIME local;
  WORD date = 0, time = 0;
  if (!::FileTimeToLocalFileTime(&ft, &local) || !::FileTimeToDosDateTime(&local, &date, &time)) return -1;
  return static_cast<Integer>((static_cast<uint32_t>(date) << 16) | time);
}
}  // namespace

bool FileExists(const std::string& FileName) {
  const DWORD a = Attributes(FileName);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& Directory) {
  const DWORD a = Attributes(Directory);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateDir(const std::string& Dir) { return ::CreateDirectoryW(Utf8ToWide(Dir).c_str(), nullptr) != 0; }

bool RemoveDir(const std::string& Dir) { return ::RemoveDirectoryW(Utf8ToWide(Dir).c_str()) != 0; }

bool ForceDirectories(const std::string& Dir) {
  if (Dir.empty()) throw EInOutError("Unable to create directory");
  const std::string d = ExcludeTrailingBackslash(Dir);
  if (d.empty() || DirectoryExists(d)) return true;
  const std::string parent = ExtractFilePath(d);
  if (d.size() < 3 || parent == d || (!parent.empty() && !ForceDirectories(parent))) return DirectoryExists(d);
  return CreateDir(d) || DirectoryExists(d);
}

bool DeleteFile(const std::string& FileName) { return ::DeleteFileW(Utf8ToWide(FileName).c_str()) != 0; }

bool RenameFile(const std::string& OldName, const std::string& NewName) {
  return ::MoveFileW(Utf8ToWide(OldName).c_str(), Utf8ToWide(NewName).c_str()) != 0;
}

Integer FileAge(const std::string& FileName) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(Utf8ToWide(FileName).c_str(), GetFileExInfoStandard, &data) ||
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return -1;
  return FileTimeToDos(data.ftLastWriteTime);
}

Int64 FileGetSize(const std::string& FileName) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(Utf8ToWide(FileName).c_str(), GetFileExInfoStandard, &data)) return -1;
  return static_cast<Int64>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
}

Integer FileGetAttr(const std::string& FileName) { return static_cast<Integer>(Attributes(FileName)); }

Integer FileSetAttr(const std::string& FileName, Integer Attr) {
  return ::SetFileAttributesW(Utf8ToWide(FileName).c_str(), static_cast<DWORD>(Attr))
             ? 0
             : static_cast<Integer>(::GetLastError());
}

std::string GetCurrentDir() {
  const DWORD n = ::GetCurrentDirectoryW(0, nullptr);
  std::wstring buf(n, L'\0');
  const DWORD got = ::GetCurrentDirectoryW(n, buf.data());
  return WideToUtf8(buf.data(), static_cast<int>(got));
}

bool SetCurrentDir(const std::string& Dir) { return ::SetCurrentDirectoryW(Utf8ToWide(Dir).c_str()) != 0; }

namespace {
Integer FindMatchingFile(TSearchRec& F) {
  while ((F.FindData.dwFileAttributes & static_cast<DWORD>(F.ExcludeAttr)) != 0) {
    if (!::FindNextFileW(F.FindHandle, &F.FindData)) return static_cast<Integer>(::GetLastError());
  }
  F.Time = FileTimeToDos(F.FindData.ftLastWriteTime);
  F.Size = static_cast<Int64>((static_cast<uint64_t>(F.FindData.nFileSizeHigh) << 32) | F.FindData.nFileSizeLow);
  F.Attr = static_cast<Integer>(F.FindData.dwFileAttributes);
  F.Name = WideToUtf8(F.FindData.cFileName);
  return 0;
}
}  // namespace

Integer FindFirst(const std::string& Path, Integer Attr, TSearchRec& F) {
  constexpr Integer faSpecial = faHidden | faSysFile | faVolumeID | faDirectory;
  F.ExcludeAttr = ~Attr & faSpecial;
  F.FindHandle = ::FindFirstFileW(Utf8ToWide(Path).c_str(), &F.FindData);
  if (F.FindHandle == INVALID_HANDLE_VALUE) return static_cast<Integer>(::GetLastError());
  const Integer r = FindMatchingFile(F);
  if (r != 0) FindClose(F);
  return r;
}

Integer FindNext(TSearchRec& F) {
  if (F.FindHandle == INVALID_HANDLE_VALUE) return ERROR_INVALID_HANDLE;
  if (!::FindNextFileW(F.FindHandle, &F.FindData)) return static_cast<Integer>(::GetLastError());
  return FindMatchingFile(F);
}

void FindClose(TSearchRec& F) {
  if (F.FindHandle != INVALID_HANDLE_VALUE) {
    ::FindClose(F.FindHandle);
    F.FindHandle = INVALID_HANDLE_VALUE;
  }
}

std::string GetTempPathStr() {
  wchar_t buf[MAX_PATH + 2];
  const DWORD n = ::GetTempPathW(MAX_PATH + 1, buf);
  return IncludeTrailingBackslash(n == 0 ? std::string(".") : WideToUtf8(buf, static_cast<int>(n)));
}

std::string GetTempFileNameStr(const std::string& Prefix) {
  wchar_t buf[MAX_PATH + 1];
  const std::wstring dir = Utf8ToWide(GetTempPathStr());
  const std::wstring prefix = Utf8ToWide(Prefix.empty() ? std::string("tmp") : Prefix);
  Win32Check(::GetTempFileNameW(dir.c_str(), prefix.c_str(), 0, buf) != 0);
  return WideToUtf8(buf);
}

namespace {
std::vector<std::string> CommandLineArgs() {
  std::vector<std::string> out;
  int argc = 0;
  wchar_t** argv = ::CommandLineToArgvW(::GetCommandLineW(), &argc);
  if (argv != nullptr) {
    for (int i = 0; i < argc; ++i) out.push_back(WideToUtf8(argv[i]));
    ::LocalFree(argv);
  }
  return out;
}
}  // namespace

std::string ParamStr(Integer Index) {
  if (Index == 0) {
    std::wstring buf(MAX_PATH, L'\0');
    for (;;) {
      const DWORD n = ::GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
      if (n < buf.size()) return WideToUtf8(buf.data(), static_cast<int>(n));
      buf.resize(buf.size() * 2);
    }
  }
  const std::vector<std::string> args = CommandLineArgs();
  return Index > 0 && Index < static_cast<Integer>(args.size()) ? args[static_cast<size_t>(Index)] : std::string();
}

Integer ParamCount() { return std::max<Integer>(static_cast<Integer>(CommandLineArgs().size()) - 1, 0); }

std::string ApplicationFolder() { return ExtractFilePath(ParamStr(0)); }

// ---------------------------------------------------------------------------
// Date and time

namespace {
constexpr Integer kDateDelta = 693594;  // days from 0001-01-01 (day 1) to 1899-12-30
constexpr Word kMonthDays[2][12] = {{31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31},
                                    {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31}};

// Whole days and milliseconds of the day; a time that rounds to 24:00 moves to the next day.
void SplitDateTime(TDateTime dt, Int64& days, Int64& ms) {
  days = static_cast<Int64>(std::trunc(dt));
  ms = static_cast<Int64>(std::llround(std::fabs(dt - static_cast<double>(days)) * MSecsPerDay));
  if (ms >= static_cast<Int64>(MSecsPerDay)) {
    ms -= static_cast<Int64>(MSecsPerDay);
    days += dt < 0 ? -1 : 1;
  }
}
}  // namespace

bool IsLeapYear(Word Year) { return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0); }

bool TryEncodeDate(Word Year, Word Month, Word Day, TDateTime& Result) {
  if (Year < 1 || Year > 9999 || Month < 1 || Month > 12) return false;
  const Word* days = kMonthDays[IsLeapYear(Year) ? 1 : 0];
  if (Day < 1 || Day > days[Month - 1]) return false;
  Integer d = Day;
  for (Integer m = 0; m < Month - 1; ++m) d += days[m];
  const Integer y = Year - 1;
  Result = static_cast<double>(y * 365 + y / 4 - y / 100 + y / 400 + d - kDateDelta);
  return true;
}

TDateTime EncodeDate(Word Year, Word Month, Word Day) {
  TDateTime r;
  if (!TryEncodeDate(Year, Month, Day, r)) throw EConvertError("Invalid argument to date encode");
  return r;
}

bool TryEncodeTime(Word Hour, Word Min, Word Sec, Word MSec, TDateTime& Result) {
  if (Hour >= 24 || Min >= 60 || Sec >= 60 || MSec >= 1000) return false;
  Result = (Hour * 3600000.0 + Min * 60000.0 + Sec * 1000.0 + MSec) / MSecsPerDay;
  return true;
}

TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec) {
  TDateTime r;
  if (!TryEncodeTime(Hour, Min, Sec, MSec, r)) throw EConvertError("Invalid argument to time encode");
  return r;
}

void DecodeDate(TDateTime DateTime, Word& Year, Word& Month, Word& Day) {
  Int64 days, ms;
  SplitDateTime(DateTime, days, ms);
  Int64 t = days + kDateDelta;  // 1 = 0001-01-01
  if (t <= 0) {
    Year = Month = Day = 0;
    return;
  }
  --t;
  Integer y = 1;
  y += static_cast<Integer>(t / 146097) * 400;
  t %= 146097;
  Int64 i = std::min<Int64>(t / 36524, 3);
  y += static_cast<Integer>(i) * 100;
  t -= i * 36524;
  y += static_cast<Integer>(t / 1461) * 4;
  t %= 1461;
  i = std::min<Int64>(t / 365, 3);
  y += static_cast<Integer>(i);
  t -= i * 365;
  const Word* md = kMonthDays[IsLeapYear(static_cast<Word>(y)) ? 1 : 0];
  Word m = 0;
  while (t >= md[m]) t -= md[m++];
  Year = static_cast<Word>(y);
  Month = static_cast<Word>(m + 1);
  Day = static_cast<Word>(t + 1);
}

void DecodeTime(TDateTime DateTime, Word& Hour, Word& Min, Word& Sec, Word& MSec) {
  Int64 days, ms;
  SplitDateTime(DateTime, days, ms);
  Hour = static_cast<Word>(ms / 3600000);
  Min = static_cast<Word>(ms / 60000 % 60);
  Sec = static_cast<Word>(ms / 1000 % 60);
  MSec = static_cast<Word>(ms % 1000);
}

Integer DayOfWeek(TDateTime DateTime) {
  Int64 days, ms;
  SplitDateTime(DateTime, days, ms);
  return static_cast<Integer>(((days + kDateDelta) % 7 + 7) % 7) + 1;
}

TDateTime Now() {
  SYSTEMTIME st;
  ::GetLocalTime(&st);
  return EncodeDate(st.wYear, st.wMonth, st.wDay) + EncodeTime(st.wHour, st.wMinute, st.wSecond, st.wMilliseconds);
}

TDateTime Date() { return std::trunc(Now()); }

TDateTime Time() {
  const TDateTime n = Now();
  return n - std::trunc(n);
}

TDateTime FileDateToDateTime(Integer FileDate) {
  const uint32_t v = static_cast<uint32_t>(FileDate);
  const Word d = static_cast<Word>(v >> 16), t = static_cast<Word>(v & 0xFFFF);
  TDateTime date = 0, time = 0;
  if (!TryEncodeDate(static_cast<Word>((d >> 9) + 1980), (d >> 5) & 15, d & 31, date)) return 0;
  TryEncodeTime(t >> 11, (t >> 5) & 63, static_cast<Word>((t & 31) * 2), 0, time);
  return date + time;
}

namespace {

std::string Pad2(Integer v) { return v < 10 ? "0" + std::to_string(v) : std::to_string(v); }

bool StartsWithNoCase(const std::string& s, size_t at, const char* word) {
  const size_t n = std::strlen(word);
  return s.size() - at >= n && SameText(s.substr(at, n), word);
}

void AppendDateTime(std::string& out, const std::string& fmt, TDateTime dt, int depth) {
  Word year, month, day, hour, minute, sec, msec;
  DecodeDate(dt, year, month, day);
  DecodeTime(dt, hour, minute, sec, msec);
  const TFormatSettings& fs = FormatSettings;
  // A 12-hour clock when the format shows AM/PM anywhere.
  const std::string upper = UpperCase(fmt);
  const bool twelve = upper.find("AMPM") != std::string::npos || upper.find("AM/PM") != std::string::npos ||
                      upper.find("A/P") != std::string::npos;
  Integer h12 = hour % 12;
  if (h12 == 0) h12 = 12;
  const Integer shownHour = twelve ? h12 : hour;
  bool lastWasHour = false;
  size_t i = 0;
  while (i < fmt.size()) {
    const char c = fmt[i];
    const char lc = static_cast<char>(c | 0x20);
    size_t run = 1;
    while (i + run < fmt.size() && (fmt[i + run] | 0x20) == lc && std::isalpha(static_cast<unsigned char>(c))) ++run;
    bool wasHour = false;
    if (c == '"' || c == '\'') {
      const size_t end = fmt.find(c, i + 1);
      out.append(fmt, i + 1, end == std::string::npos ? std::string::npos : end - i - 1);
      i = end == std::string::npos ? fmt.size() : end + 1;
      continue;
    }
    if (StartsWithNoCase(fmt, i, "am/pm")) {
      out += hour < 12 ? (std::isupper(static_cast<unsigned char>(c)) ? "AM" : "am")
                       : (std::isupper(static_cast<unsigned char>(c)) ? "PM" : "pm");
      i += 5;
      continue;
    }
    if (StartsWithNoCase(fmt, i, "a/p")) {
      const bool up = std::isupper(static_cast<unsigned char>(c));
      out += hour < 12 ? (up ? "A" : "a") : (up ? "P" : "p");
      i += 3;
      continue;
    }
    if (StartsWithNoCase(fmt, i, "ampm")) {
      out += hour < 12 ? fs.TimeAMString : fs.TimePMString;
      i += 4;
      continue;
    }
    switch (lc) {
      case 'c':
        if (depth < 2) {
          AppendDateTime(out, fs.ShortDateFormat, dt, depth + 1);
          if (hour != 0 || minute != 0 || sec != 0 || msec != 0) {
            out += ' ';
            AppendDateTime(out, fs.LongTimeFormat, dt, depth + 1);
          }
        }
        run = 1;
        break;
      case 'd':
        if (run == 1) out += std::to_string(day);
        else if (run == 2) out += Pad2(day);
        else if (run == 3) out += fs.ShortDayNames[DayOfWeek(dt) - 1];
        else if (run == 4) out += fs.LongDayNames[DayOfWeek(dt) - 1];
        else if (run == 5 && depth < 2) AppendDateTime(out, fs.ShortDateFormat, dt, depth + 1);
        else if (depth < 2) AppendDateTime(out, fs.LongDateFormat, dt, depth + 1);
        run = std::min<size_t>(run, 6);
        break;
      case 'm':
        if (lastWasHour && run <= 2) {
          out += run == 1 ? std::to_string(minute) : Pad2(minute);
        } else if (run == 1) {
          out += std::to_string(month);
        } else if (run == 2) {
          out += Pad2(month);
        } else if (run == 3) {
          out += fs.ShortMonthNames[month - 1];
        } else {
          out += fs.LongMonthNames[month - 1];
          run = 4;
        }
        break;
      case 'y':
        if (run <= 2) {
          out += Pad2(year % 100);
        } else {
          out += std::to_string(year);
          if (year < 1000) out.insert(out.size() - std::to_string(year).size(), 4 - std::to_string(year).size(), '0');
        }
        break;
      case 'h':
        out += run == 1 ? std::to_string(shownHour) : Pad2(shownHour);
        run = std::min<size_t>(run, 2);
        wasHour = true;
        break;
      case 'n':
        out += run == 1 ? std::to_string(minute) : Pad2(minute);
        run = std::min<size_t>(run, 2);
        break;
      case 's':
        out += run == 1 ? std::to_string(sec) : Pad2(sec);
        run = std::min<size_t>(run, 2);
        break;
      case 'z':
        if (run >= 3) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "%03u", static_cast<unsigned>(msec));
          out += buf;
          run = 3;
        } else {
          out += std::to_string(msec);
          run = 1;
        }
        break;
      case 't':
        if (depth < 2) AppendDateTime(out, run == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, dt, depth + 1);
        run = std::min<size_t>(run, 2);
        break;
      default:
        if (c == '/') {
          out += fs.DateSeparator;
        } else if (c == ':') {
          out += fs.TimeSeparator;
        } else {
          out.append(fmt, i, run);
        }
        // Separators between an hour and minutes keep "m" meaning minutes.
        if (!std::isalpha(static_cast<unsigned char>(c))) wasHour = lastWasHour;
        break;
    }
    lastWasHour = wasHour;
    i += run;
  }
}

}  // namespace

std::string FormatDateTime(const std::string& Fmt, TDateTime DateTime) {
  std::string out;
  AppendDateTime(out, Fmt.empty() ? std::string("c") : Fmt, DateTime, 0);
  return out;
}

std::string DateToStr(TDateTime D) { return FormatDateTime("ddddd", D); }
std::string TimeToStr(TDateTime T) { return FormatDateTime("tt", T); }
std::string DateTimeToStr(TDateTime DT) { return FormatDateTime("c", DT); }
