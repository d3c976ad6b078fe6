// Abstract-method errors, conversions between 8-bit code pages and UTF-8,
// and strings from the program's string table.
#include "platform/SysUtils.h"

#include <climits>

void AbstractError() { throw EAbstractError("Abstract Error"); }

namespace {

std::wstring CodePageToWide(const std::string& S, UINT CodePage) {
  if (S.empty()) return {};
  if (S.size() > static_cast<size_t>(INT_MAX)) throw EConvertError("The text is too long to convert");
  int n = MultiByteToWideChar(CodePage, 0, S.data(), static_cast<int>(S.size()), nullptr, 0);
  if (n <= 0) throw EConvertError("Cannot convert the text from code page " + std::to_string(CodePage));
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CodePage, 0, S.data(), static_cast<int>(S.size()), w.data(), n);
  return w;
}

}  // namespace

std::string AnsiToUtf8(const std::string& S, Cardinal CodePage) {
  return WideToUtf8(CodePageToWide(S, CodePage == 0 ? CP_ACP : CodePage));
}

std::string Utf8ToAnsi(const std::string& S, Cardinal CodePage) {
  if (CodePage == CP_UTF8) return S;
  if (S.size() > static_cast<size_t>(INT_MAX)) throw EConvertError("The text is too long to convert");
  std::wstring w = Utf8ToWide(S);
  if (w.empty()) return {};
  UINT cp = CodePage == 0 ? CP_ACP : CodePage;
  // Some code pages (the stateful and the GB18030 ones, UTF-7) reject a
  // default character: convert without one there.
  const char* defaultChar = "?";
  int n = WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, defaultChar, nullptr);
  if (n <= 0 && GetLastError() == ERROR_INVALID_PARAMETER) {
    defaultChar = nullptr;
    n = WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  }
  if (n <= 0) throw EConvertError("Cannot convert the text to code page " + std::to_string(cp));
  std::string r(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(cp, 0, w.data(), static_cast<int>(w.size()), r.data(), n, defaultChar, nullptr);
  return r;
}

std::string LoadStr(Integer Ident) {
  if (Ident < 0 || Ident > 0xFFFF) return {};
  // With no buffer, the system hands out the string in place (any length).
  const wchar_t* text = nullptr;
  int n = LoadStringW(GetModuleHandleW(nullptr), static_cast<UINT>(Ident), reinterpret_cast<LPWSTR>(&text), 0);
  if (n <= 0 || !text) return {};
  return WideToUtf8(text, n);
}

std::string FmtLoadStr(Integer Ident, std::initializer_list<TVarRec> Args) { return Format(LoadStr(Ident), Args); }
