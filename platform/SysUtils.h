// String, number, file-name, file-system and date/time routines of the class
// library. Strings are UTF-8.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/System.h"

// ---------------------------------------------------------------------------
// Locale-dependent formatting settings. Fixed to US English defaults so that
// output does not depend on the machine.
struct TFormatSettings {
  char DecimalSeparator = '.';
  char ThousandSeparator = ',';
  std::string CurrencyString = "$";
  Byte CurrencyFormat = 0;   // 0 "$1", 1 "1$", 2 "$ 1", 3 "1 $"
  Byte NegCurrFormat = 0;    // 0 "($1)", 1 "-$1", ... as the system's table
  Byte CurrencyDecimals = 2;
  char DateSeparator = '/';
  char TimeSeparator = ':';
  std::string ShortDateFormat = "M/d/yyyy";
  std::string LongDateFormat = "dddd, MMMM d, yyyy";
  std::string ShortTimeFormat = "h:mm AMPM";
  std::string LongTimeFormat = "h:mm:ss AMPM";
  std::string TimeAMString = "AM";
  std::string TimePMString = "PM";
  std::string ShortMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::string LongMonthNames[12] = {"January", "February", "March",     "April",   "May",      "June",
                                    "July",    "August",   "September", "October", "November", "December"};
  std::string ShortDayNames[7] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::string LongDayNames[7] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
};
extern TFormatSettings FormatSettings;

// The user's default locale, read once at start (primary and sub-language ids).
struct TSysLocale {
  Integer DefaultLCID = 0x0409;
  Integer PriLangID = 0x09;
  Integer SubLangID = 0x01;
};
extern TSysLocale SysLocale;

// ---------------------------------------------------------------------------
// Format: arguments as a typed list, Format("%d of %s", {n, name}), or as
// plain arguments, Format("%d of %s", n, name).
//
// Specifiers: %[index:][-][width][.precision]type with types d u x (uppercase
// hex) s f e g n m p; width and precision may be '*' (taken from an integer
// argument). A bad specifier or an argument of the wrong kind raises
// EConvertError "Format '...' invalid or incompatible with argument".
// A TVarRec refers to the string it was made from: it is meant for the
// argument list of one call, not to be stored.
struct TVarRec {
  enum TKind { vtInteger, vtInt64, vtUInt64, vtExtended, vtString, vtPointer, vtBoolean, vtChar };
  TKind Kind = vtInteger;
  union {
    Int64 VInt64;
    uint64_t VUInt64;
    Extended VExtended;
    const void* VPointer;
    bool VBoolean;
    char VChar;
  };
  std::string_view VString;

  TVarRec() : VInt64(0) {}
  template <typename T>
  TVarRec(const T& v) : VInt64(0) {  // NOLINT: implicit by design
    using D = std::decay_t<T>;
    if constexpr (std::is_same_v<D, bool>) {
      Kind = vtBoolean;
      VBoolean = v;
    } else if constexpr (std::is_same_v<D, char>) {
      Kind = vtChar;
      VChar = v;
    } else if constexpr (std::is_enum_v<D>) {
      Kind = vtInteger;
      VInt64 = static_cast<Int64>(v);
    } else if constexpr (std::is_integral_v<D> && std::is_unsigned_v<D> && sizeof(D) == 8) {
      Kind = vtUInt64;
      VUInt64 = v;
    } else if constexpr (std::is_integral_v<D>) {
      Kind = sizeof(D) <= 4 ? vtInteger : vtInt64;
      VInt64 = static_cast<Int64>(v);
    } else if constexpr (std::is_floating_point_v<D>) {
      Kind = vtExtended;
      VExtended = v;
    } else if constexpr (std::is_convertible_v<const T&, std::string_view>) {
      Kind = vtString;
      VString = std::string_view(v);
    } else if constexpr (std::is_pointer_v<D> || std::is_null_pointer_v<D>) {
      Kind = vtPointer;
      VPointer = static_cast<const void*>(v);
    } else {
      static_assert(sizeof(D) == 0, "TVarRec: unsupported argument type");
    }
  }
  // Non-string character pointers (const char*) are strings; a null one is empty.
  TVarRec(const char* s) : VInt64(0) {
    Kind = vtString;
    VString = s != nullptr ? std::string_view(s) : std::string_view();
  }
  TVarRec(char* s) : TVarRec(static_cast<const char*>(s)) {}
};

std::string Format(const std::string& Fmt, std::initializer_list<TVarRec> Args = {});
template <typename A, typename... Rest>
std::string Format(const std::string& Fmt, const A& First, const Rest&... More) {
  return Format(Fmt, {TVarRec(First), TVarRec(More)...});
}

// ---------------------------------------------------------------------------
// Numbers and text.
std::string IntToStr(Int64 Value);
// Uppercase hex of the value in its own width: IntToHex(-1, 2) is "FFFFFFFF"
// for a 32-bit value and 16 digits for a 64-bit one.
std::string IntToHexBits(uint64_t Value, Integer Digits);
template <typename T, typename = std::enable_if_t<std::is_integral_v<T>>>
std::string IntToHex(T Value, Integer Digits) {
  return IntToHexBits(static_cast<uint64_t>(static_cast<std::make_unsigned_t<T>>(Value)), Digits);
}
// Accepts decimal and $/0x hexadecimal with optional sign and surrounding blanks.
Integer StrToInt(const std::string& S);  // EConvertError "'%s' is not a valid integer value"
Int64 StrToInt64(const std::string& S);
Integer StrToIntDef(const std::string& S, Integer Default);
Int64 StrToInt64Def(const std::string& S, Int64 Default);
bool TryStrToInt(const std::string& S, Integer& Value);
bool TryStrToInt64(const std::string& S, Int64& Value);
Extended StrToFloat(const std::string& S);  // EConvertError "'%s' is not a valid floating point value"
Extended StrToFloatDef(const std::string& S, Extended Default);
bool TryStrToFloat(const std::string& S, Extended& Value);
bool TryStrToFloat(const std::string& S, double& Value);
bool StrToBool(const std::string& S);
std::string BoolToStr(bool B, bool UseBoolStrs = false);

enum TFloatFormat { ffGeneral, ffExponent, ffFixed, ffNumber, ffCurrency };
// 15 significant digits, general format ("0.1", "1E20", "1.5E-5").
std::string FloatToStr(Extended Value);
std::string FloatToStrF(Extended Value, TFloatFormat Format, Integer Precision, Integer Digits);
// Sections "pos;neg;zero", digits '0' and '#', '.', ',' (thousands), E+/E-, quoted text.
std::string FormatFloat(const std::string& Fmt, Extended Value);

std::string Trim(const std::string& S);
std::string TrimLeft(const std::string& S);
std::string TrimRight(const std::string& S);
std::string UpperCase(const std::string& S);  // ASCII letters only
std::string LowerCase(const std::string& S);
std::string AnsiUpperCase(const std::string& S);  // all letters
std::string AnsiLowerCase(const std::string& S);
Integer CompareStr(const std::string& S1, const std::string& S2);
Integer CompareText(const std::string& S1, const std::string& S2);  // ASCII case-insensitive
bool SameText(const std::string& S1, const std::string& S2);
// Linguistic, case-insensitive comparison (as the user's locale sorts).
Integer AnsiCompareText(const std::string& S1, const std::string& S2);
Integer AnsiCompareStr(const std::string& S1, const std::string& S2);
bool AnsiSameText(const std::string& S1, const std::string& S2);

enum TReplaceFlag : Byte { rfReplaceAll = 1, rfIgnoreCase = 2 };
using TReplaceFlags = Byte;
std::string StringReplace(const std::string& S, const std::string& OldPattern, const std::string& NewPattern,
                          TReplaceFlags Flags);
std::string QuotedStr(const std::string& S);
std::string AnsiQuotedStr(const std::string& S, char Quote);
// Removes the quotes added by AnsiQuotedStr (when S starts with Quote).
std::string AnsiDequotedStr(const std::string& S, char Quote);
// 1-based position of Sub in S, 0 when absent.
Integer Pos(const std::string& Sub, const std::string& S);

// ---------------------------------------------------------------------------
// File names (either slash separates; drives "C:" and UNC names kept).
std::string ExtractFileName(const std::string& FileName);
std::string ExtractFilePath(const std::string& FileName);  // with the trailing separator
std::string ExtractFileDir(const std::string& FileName);   // without it
std::string ExtractFileDrive(const std::string& FileName);
std::string ExtractFileExt(const std::string& FileName);   // with the dot
std::string ChangeFileExt(const std::string& FileName, const std::string& Extension);
std::string IncludeTrailingBackslash(const std::string& S);
std::string ExcludeTrailingBackslash(const std::string& S);
inline std::string IncludeTrailingPathDelimiter(const std::string& S) { return IncludeTrailingBackslash(S); }
inline std::string ExcludeTrailingPathDelimiter(const std::string& S) { return ExcludeTrailingBackslash(S); }
std::string ExpandFileName(const std::string& FileName);

// ---------------------------------------------------------------------------
// Files and folders.
constexpr Integer faReadOnly = 0x01;
constexpr Integer faHidden = 0x02;
constexpr Integer faSysFile = 0x04;
constexpr Integer faVolumeID = 0x08;
constexpr Integer faDirectory = 0x10;
constexpr Integer faArchive = 0x20;
constexpr Integer faAnyFile = 0x3F;

bool FileExists(const std::string& FileName);
bool DirectoryExists(const std::string& Directory);
bool ForceDirectories(const std::string& Dir);
bool CreateDir(const std::string& Dir);
bool RemoveDir(const std::string& Dir);
bool DeleteFile(const std::string& FileName);
bool RenameFile(const std::string& OldName, const std::string& NewName);
// DOS date/time of the file's last write, -1 when it does not exist.
Integer FileAge(const std::string& FileName);
// Size in bytes, -1 when the file does not exist.
Int64 FileGetSize(const std::string& FileName);
Integer FileGetAttr(const std::string& FileName);
Integer FileSetAttr(const std::string& FileName, Integer Attr);
std::string GetCurrentDir();
bool SetCurrentDir(const std::string& Dir);

struct TSearchRec {
  Integer Time = 0;  // DOS date/time
  Int64 Size = 0;
  Integer Attr = 0;
  std::string Name;
  Integer ExcludeAttr = 0;
  HANDLE FindHandle = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW FindData{};
};
// Return 0 on success, else the system error code. Files with attributes
// outside Attr (hidden, system, directory) are skipped.
Integer FindFirst(const std::string& Path, Integer Attr, TSearchRec& F);
Integer FindNext(TSearchRec& F);
void FindClose(TSearchRec& F);

// The temporary folder, with a trailing backslash.
std::string GetTempPathStr();
// Creates a new empty file with a unique name in the temporary folder.
std::string GetTempFileNameStr(const std::string& Prefix);
// Full name of the running executable; ParamStr(i > 0) are the command-line arguments.
std::string ParamStr(Integer Index);
Integer ParamCount();
// Folder of the running executable, with a trailing backslash.
std::string ApplicationFolder();

// ---------------------------------------------------------------------------
// Date and time: days since 1899-12-30, the time as the fraction of a day.
using TDateTime = double;
constexpr double HoursPerDay = 24, MinsPerDay = 24 * 60, SecsPerDay = 24 * 60 * 60,
                 MSecsPerDay = SecsPerDay * 1000;

TDateTime Now();
TDateTime Date();
TDateTime Time();
TDateTime EncodeDate(Word Year, Word Month, Word Day);  // EConvertError on an invalid date
TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec);
bool TryEncodeDate(Word Year, Word Month, Word Day, TDateTime& Result);
bool TryEncodeTime(Word Hour, Word Min, Word Sec, Word MSec, TDateTime& Result);
void DecodeDate(TDateTime DateTime, Word& Year, Word& Month, Word& Day);
void DecodeTime(TDateTime DateTime, Word& Hour, Word& Min, Word& Sec, Word& MSec);
Integer DayOfWeek(TDateTime DateTime);  // 1 = Sunday
bool IsLeapYear(Word Year);
// Subset: d dd ddd dddd m mm mmm mmmm yy yyyy h hh n nn s ss z zzz am/pm a/p
// AMPM c / : and quoted text; "m" after h is minutes.
std::string FormatDateTime(const std::string& Fmt, TDateTime DateTime);
std::string DateToStr(TDateTime D);
std::string TimeToStr(TDateTime T);
std::string DateTimeToStr(TDateTime DT);
TDateTime FileDateToDateTime(Integer FileDate);
// GetTickCount and Sleep are the Windows functions of those names.

// ---------------------------------------------------------------------------
// Abstract methods, 8-bit code pages and resource strings (SysUtils_Text.cpp).

T_DECLARE_EXCEPTION(EAbstractError, Exception)
// Raises EAbstractError "Abstract Error": the body of an operation that a
// descendant must supply.
[[noreturn]] void AbstractError();

// Text in an 8-bit code page (0: the system's ANSI code page, 1250, 1251,
// 1253, ...) to UTF-8 and back. A character the code page lacks becomes '?'.
std::string AnsiToUtf8(const std::string& S, Cardinal CodePage = 0);
std::string Utf8ToAnsi(const std::string& S, Cardinal CodePage = 0);

// The string Ident of the program's string table (STRINGTABLE resources), in
// UTF-8; empty when there is none.
std::string LoadStr(Integer Ident);
// Format with the string Ident as the format.
std::string FmtLoadStr(Integer Ident, std::initializer_list<TVarRec> Args);
template <class A, class... Rest>
std::string FmtLoadStr(Integer Ident, const A& First, const Rest&... More) {
  return FmtLoadStr(Ident, {TVarRec(First), TVarRec(More)...});
}
