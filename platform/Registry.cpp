#include "platform/Registry.h"

#include <vector>

#include "platform/SysUtils.h"

namespace {

TRegDataType DataTypeOf(DWORD type) {
  switch (type) {
    case REG_SZ: return rdString;
    case REG_EXPAND_SZ: return rdExpandString;
    case REG_DWORD: return rdInteger;
    case REG_BINARY: return rdBinary;
    default: return rdUnknown;
  }
}

[[noreturn]] void ReadError(const std::string& Name) {
  throw ERegistryException("Invalid data type for '" + Name + "'");
}

}  // namespace

void TRegistry::SetRootKey(HKEY Value) {
  if (rootKey_ == Value) return;
  CloseKey();
  rootKey_ = Value;
}

void TRegistry::CloseKey() {
  if (currentKey_ != nullptr) {
    ::RegCloseKey(currentKey_);
    currentKey_ = nullptr;
    currentPath_.clear();
  }
}

void TRegistry::ChangeKey(HKEY Value, const std::string& Path) {
  CloseKey();
  currentKey_ = Value;
  currentPath_ = Path;
}

HKEY TRegistry::GetBaseKey(bool Relative) const {
  return currentKey_ == nullptr || !Relative ? rootKey_ : currentKey_;
}

HKEY TRegistry::GetKey(const std::string& Key, bool& Relative, REGSAM Access, bool Create) {
  std::string s = Key;
  Relative = s.empty() || s[0] != '\\';
  if (!Relative) s.erase(0, 1);
  const std::wstring w = Utf8ToWide(s);
  HKEY result = nullptr;
  LONG rc;
  if (Create && !s.empty()) {
    rc = ::RegCreateKeyExW(GetBaseKey(Relative), w.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, Access, nullptr,
                           &result, nullptr);
  } else {
    rc = ::RegOpenKeyExW(GetBaseKey(Relative), w.c_str(), 0, Access, &result);
  }
  return rc == ERROR_SUCCESS ? result : nullptr;
}

bool TRegistry::OpenKey(const std::string& Key, bool CanCreate) {
  bool relative;
  HKEY key = GetKey(Key, relative, access_, CanCreate);
  if (key == nullptr) return false;
  std::string path = relative ? Key : Key.substr(1);
  if (relative && !currentPath_.empty()) path = currentPath_ + "\\" + path;
  ChangeKey(key, path);
  return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& Key) {
  const REGSAM saved = access_;
  access_ = KEY_READ;
  const bool ok = OpenKey(Key, false);
  if (!ok) access_ = saved;
  return ok;
}

bool TRegistry::CreateKey(const std::string& Key) {
  bool relative;
  HKEY key = GetKey(Key, relative, access_, true);
  if (key == nullptr) throw ERegistryException("Failed to create key " + Key);
  ::RegCloseKey(key);
  return true;
}

bool TRegistry::DeleteKey(const std::string& Key) {
  std::string s = Key;
  const bool relative = s.empty() || s[0] != '\\';
  if (!relative) s.erase(0, 1);
  if (s.empty()) return false;  // never the base key itself
  return ::RegDeleteTreeW(GetBaseKey(relative), Utf8ToWide(s).c_str()) == ERROR_SUCCESS;
}

bool TRegistry::DeleteValue(const std::string& Name) {
  return currentKey_ != nullptr && ::RegDeleteValueW(currentKey_, Utf8ToWide(Name).c_str()) == ERROR_SUCCESS;
}

bool TRegistry::KeyExists(const std::string& Key) {
  bool relative;
  HKEY key = GetKey(Key, relative, STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS, false);
  if (key == nullptr) return false;
  ::RegCloseKey(key);
  return true;
}

bool TRegistry::GetDataInfo(const std::string& Name, TRegDataInfo& Value) {
  Value = TRegDataInfo();
  if (currentKey_ == nullptr) return false;
  DWORD type = 0, size = 0;
  if (::RegQueryValueExW(currentKey_, Utf8ToWide(Name).c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    return false;
  Value.RegData = DataTypeOf(type);
  Value.DataSize = static_cast<Integer>(size);
  return true;
}

bool TRegistry::ValueExists(const std::string& Name) {
  TRegDataInfo info;
  return GetDataInfo(Name, info);
}

Integer TRegistry::GetDataSize(const std::string& Name) {
  TRegDataInfo info;
  return GetDataInfo(Name, info) ? info.DataSize : -1;
}

TRegDataType TRegistry::GetDataType(const std::string& Name) {
  TRegDataInfo info;
  return GetDataInfo(Name, info) ? info.RegData : rdUnknown;
}

bool TRegistry::GetKeyInfo(TRegKeyInfo& Value) {
  Value = TRegKeyInfo();
  DWORD subKeys = 0, maxSubKeyLen = 0, values = 0, maxValueLen = 0, maxDataLen = 0;
  const bool ok = currentKey_ != nullptr &&
                  ::RegQueryInfoKeyW(currentKey_, nullptr, nullptr, nullptr, &subKeys, &maxSubKeyLen, nullptr,
                                     &values, &maxValueLen, &maxDataLen, nullptr, &Value.FileTime) == ERROR_SUCCESS;
  Value.NumSubKeys = static_cast<Integer>(subKeys);
  Value.MaxSubKeyLen = static_cast<Integer>(maxSubKeyLen);
  Value.NumValues = static_cast<Integer>(values);
  Value.MaxValueLen = static_cast<Integer>(maxValueLen);
  Value.MaxDataLen = static_cast<Integer>(maxDataLen);
  return ok;
}

bool TRegistry::HasSubKeys() {
  TRegKeyInfo info;
  return GetKeyInfo(info) && info.NumSubKeys > 0;
}

void TRegistry::PutData(const std::string& Name, const void* Buffer, DWORD Size, DWORD Type) {
  if (currentKey_ == nullptr ||
      ::RegSetValueExW(currentKey_, Utf8ToWide(Name).c_str(), 0, Type, static_cast<const BYTE*>(Buffer), Size) !=
          ERROR_SUCCESS)
    throw ERegistryException("Failed to set data for '" + Name + "'");
}

Integer TRegistry::GetData(const std::string& Name, void* Buffer, DWORD Size, TRegDataType& Type) {
  DWORD type = 0;
  if (currentKey_ == nullptr || ::RegQueryValueExW(currentKey_, Utf8ToWide(Name).c_str(), nullptr, &type,
                                                   static_cast<BYTE*>(Buffer), &Size) != ERROR_SUCCESS)
    throw ERegistryException("Failed to get data for '" + Name + "'");
  Type = DataTypeOf(type);
  return static_cast<Integer>(Size);
}

std::string TRegistry::ReadString(const std::string& Name) {
  TRegDataInfo info;
  if (!GetDataInfo(Name, info) || info.DataSize <= 0) return std::string();
  std::wstring buffer((static_cast<size_t>(info.DataSize) + 1) / 2 + 1, L'\0');
  TRegDataType type;
  const Integer got = GetData(Name, buffer.data(), static_cast<DWORD>(buffer.size() * 2), type);
  if (type != rdString && type != rdExpandString) ReadError(Name);
  buffer.resize(static_cast<size_t>(got) / 2);
  while (!buffer.empty() && buffer.back() == L'\0') buffer.pop_back();
  return WideToUtf8(buffer);
}

void TRegistry::WriteString(const std::string& Name, const std::string& Value) {
  const std::wstring w = Utf8ToWide(Value);
  PutData(Name, w.c_str(), static_cast<DWORD>((w.size() + 1) * 2), REG_SZ);
}

void TRegistry::WriteExpandString(const std::string& Name, const std::string& Value) {
  const std::wstring w = Utf8ToWide(Value);
  PutData(Name, w.c_str(), static_cast<DWORD>((w.size() + 1) * 2), REG_EXPAND_SZ);
}

Integer TRegistry::ReadInteger(const std::string& Name) {
  DWORD value = 0;
  TRegDataType type;
  TRegDataInfo info;
  if (GetDataInfo(Name, info) && info.RegData != rdInteger) ReadError(Name);
  GetData(Name, &value, sizeof value, type);
  if (type != rdInteger) ReadError(Name);
  return static_cast<Integer>(value);
}

void TRegistry::WriteInteger(const std::string& Name, Integer Value) {
  const DWORD v = static_cast<DWORD>(Value);
  PutData(Name, &v, sizeof v, REG_DWORD);
}

Integer TRegistry::ReadBinaryData(const std::string& Name, void* Buffer, Integer BufSize) {
  TRegDataInfo info;
  if (!GetDataInfo(Name, info)) throw ERegistryException("Failed to get data for '" + Name + "'");
  if ((info.RegData != rdBinary && info.RegData != rdUnknown) || info.DataSize > BufSize) ReadError(Name);
  TRegDataType type;
  return GetData(Name, Buffer, static_cast<DWORD>(info.DataSize), type);
}

void TRegistry::WriteBinaryData(const std::string& Name, const void* Buffer, Integer BufSize) {
  PutData(Name, Buffer, static_cast<DWORD>(BufSize), REG_BINARY);
}

void TRegistry::RenameValue(const std::string& OldName, const std::string& NewName) {
  if (!ValueExists(OldName) || ValueExists(NewName)) return;
  TRegDataInfo info;
  GetDataInfo(OldName, info);
  std::vector<BYTE> data(static_cast<size_t>(info.DataSize) + 2);
  DWORD type = 0, size = static_cast<DWORD>(data.size());
  if (::RegQueryValueExW(currentKey_, Utf8ToWide(OldName).c_str(), nullptr, &type, data.data(), &size) !=
      ERROR_SUCCESS)
    return;
  PutData(NewName, data.data(), size, type);
  DeleteValue(OldName);
}

void TRegistry::GetKeyNames(TStrings* Strings) {
  Strings->BeginUpdate();
  struct End { TStrings* s; ~End() { s->EndUpdate(); } } end{Strings};
  Strings->Clear();
  if (currentKey_ == nullptr) return;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD len = 256;
    if (::RegEnumKeyExW(currentKey_, i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    Strings->Add(WideToUtf8(name, static_cast<int>(len)));
  }
}

void TRegistry::GetValueNames(TStrings* Strings) {
  Strings->BeginUpdate();
  struct End { TStrings* s; ~End() { s->EndUpdate(); } } end{Strings};
  Strings->Clear();
  if (currentKey_ == nullptr) return;
  std::wstring name(16384, L'\0');  // the longest value name the registry allows
  for (DWORD i = 0;; ++i) {
    DWORD len = static_cast<DWORD>(name.size());
    if (::RegEnumValueW(currentKey_, i, name.data(), &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    Strings->Add(WideToUtf8(name.data(), static_cast<int>(len)));
  }
}

// ---------------------------------------------------------------------------
// TRegIniFile

TRegIniFile::TRegIniFile(const std::string& FileName, REGSAM AAccess) : TRegistry(AAccess), fileName_(FileName) {
  OpenKey(FileName, true);
}

template <class F>
bool TRegIniFile::InSection(const std::string& Section, bool Create, F Op) {
  if (Section.empty()) {
    Op();
    return true;
  }
  HKEY saved = CurrentKey();
  const std::string savedPath = CurrentPath();
  bool relative;
  HKEY key = GetKey(Section, relative, Access(), Create);
  if (key == nullptr) return false;
  // Swap in the section's key without closing the file's key.
  struct Restore {
    TRegIniFile* self;
    HKEY saved;
    std::string path;
    HKEY key;
    ~Restore() {
      ::RegCloseKey(key);
      self->SetCurrentKey(saved, path);
    }
  };
  SetCurrentKey(key, savedPath + "\\" + Section);
  Restore restore{this, saved, savedPath, key};
  Op();
  return true;
}

std::string TRegIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                     const std::string& Default) {
  std::string result = Default;
  InSection(Section, false, [&] {
    if (ValueExists(Ident)) result = TRegistry::ReadString(Ident);
  });
  return result;
}

void TRegIniFile::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) {
  if (!InSection(Section, true, [&] { TRegistry::WriteString(Ident, Value); }))
    throw ERegistryException("Failed to create key " + Section);
}

Integer TRegIniFile::ReadInteger(const std::string& Section, const std::string& Ident, Integer Default) {
  Integer result = Default;
  InSection(Section, false, [&] {
    const TRegDataType type = GetDataType(Ident);
    if (type == rdInteger) {
      result = TRegistry::ReadInteger(Ident);
    } else if (type == rdString) {
      result = StrToIntDef(TRegistry::ReadString(Ident), Default);
    }
  });
  return result;
}

void TRegIniFile::WriteInteger(const std::string& Section, const std::string& Ident, Integer Value) {
  WriteString(Section, Ident, IntToStr(Value));
}

bool TRegIniFile::ReadBool(const std::string& Section, const std::string& Ident, bool Default) {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TRegIniFile::WriteBool(const std::string& Section, const std::string& Ident, bool Value) {
  WriteString(Section, Ident, Value ? "1" : "0");
}

void TRegIniFile::ReadSection(const std::string& Section, TStrings* Strings) {
  if (!InSection(Section, false, [&] { GetValueNames(Strings); })) Strings->Clear();
}

void TRegIniFile::ReadSections(TStrings* Strings) { GetKeyNames(Strings); }

void TRegIniFile::ReadSectionValues(const std::string& Section, TStrings* Strings) {
  Strings->BeginUpdate();
  struct End { TStrings* s; ~End() { s->EndUpdate(); } } end{Strings};
  Strings->Clear();
  TStringList names;
  ReadSection(Section, &names);
  for (Integer i = 0; i < names.Count(); ++i)
    Strings->Add(names[i] + "=" + ReadString(Section, names[i], std::string()));
}

void TRegIniFile::EraseSection(const std::string& Section) {
  if (!Section.empty()) TRegistry::DeleteKey(Section);
}

void TRegIniFile::DeleteKey(const std::string& Section, const std::string& Ident) {
  InSection(Section, false, [&] { DeleteValue(Ident); });
}
