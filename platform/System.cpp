#include "platform/System.h"

#include <cfenv>
#include <climits>
#include <cmath>

int64_t Round(Extended x) {
  // nearbyint honours the current rounding mode, which is to-nearest-even.
  return static_cast<int64_t>(std::nearbyintl(x));
}

int64_t Trunc(Extended x) { return static_cast<int64_t>(std::truncl(x)); }

void TPersistent::Assign(TPersistent* Source) {
  if (Source != nullptr) {
    Source->AssignTo(this);
  } else {
    AssignError(nullptr);
  }
}

void TPersistent::AssignTo(TPersistent* Dest) { Dest->AssignError(this); }

void TPersistent::AssignError(TPersistent* Source) {
  const std::string from = Source != nullptr ? Source->ClassName() : std::string("nil");
  throw EConvertError("Cannot assign a " + from + " to a " + ClassName());
}

std::string SysErrorMessage(DWORD ErrorCode) {
  wchar_t* buffer = nullptr;
  const DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS |
          FORMAT_MESSAGE_ARGUMENT_ARRAY,
      nullptr, ErrorCode, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text;
  if (n != 0 && buffer != nullptr) {
    text = WideToUtf8(buffer, static_cast<int>(n));
    ::LocalFree(buffer);
  }
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' ||
                           text.back() == '.'))
    text.pop_back();
  if (!text.empty()) text += '.';
  return text;
}

EOutOfResources::EOutOfResources() : EOutOfMemory([] {
    std::string m = SysErrorMessage(::GetLastError());
    return m.empty() ? std::string("Out of system resources") : m;
  }()) {}

void Win32Check(bool Condition) {
  if (!Condition) {
    const DWORD code = ::GetLastError();
    throw EOSError("System Error.  Code: " + std::to_string(code) + ".\r\n" + SysErrorMessage(code));
  }
}

void GDICheck(const void* Handle) {
  if (Handle == nullptr) throw EOutOfResources();
}

// The Windows conversions count in int; longer text would wrap to a negative length.
static int CheckedLength(size_t Size) {
  if (Size > static_cast<size_t>(INT_MAX)) throw EConvertError("Text too long to convert");
  return static_cast<int>(Size);
}

std::wstring Utf8ToWide(const std::string& s) {
  if (s.empty()) return std::wstring();
  CheckedLength(s.size());
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

std::string WideToUtf8(const wchar_t* s, int length) {
  if (s == nullptr || length == 0) return std::string();
  if (length < 0) length = CheckedLength(wcslen(s));
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, s, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, s, length, out.data(), n, nullptr, nullptr);
  return out;
}

std::string WideToUtf8(const std::wstring& s) { return WideToUtf8(s.data(), CheckedLength(s.size())); }
