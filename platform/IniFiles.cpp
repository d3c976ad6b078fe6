#include "platform/IniFiles.h"

#include "platform/SysUtils.h"

// ---------------------------------------------------------------------------
// TCustomIniFile

Integer TCustomIniFile::ReadInteger(const std::string& Section, const std::string& Ident, Integer Default) {
  return StrToIntDef(ReadString(Section, Ident, std::string()), Default);
}

void TCustomIniFile::WriteInteger(const std::string& Section, const std::string& Ident, Integer Value) {
  WriteString(Section, Ident, IntToStr(Value));
}

bool TCustomIniFile::ReadBool(const std::string& Section, const std::string& Ident, bool Default) {
  return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const std::string& Section, const std::string& Ident, bool Value) {
  WriteString(Section, Ident, Value ? "1" : "0");
}

double TCustomIniFile::ReadFloat(const std::string& Section, const std::string& Ident, double Default) {
  Extended v;
  return TryStrToFloat(ReadString(Section, Ident, std::string()), v) ? static_cast<double>(v) : Default;
}

void TCustomIniFile::WriteFloat(const std::string& Section, const std::string& Ident, double Value) {
  WriteString(Section, Ident, FloatToStr(Value));
}

bool TCustomIniFile::SectionExists(const std::string& Section) {
  TStringList keys;
  ReadSection(Section, &keys);
  return keys.Count() > 0;
}

bool TCustomIniFile::ValueExists(const std::string& Section, const std::string& Ident) {
  TStringList keys;
  ReadSection(Section, &keys);
  return keys.IndexOf(Ident) >= 0;
}

// ---------------------------------------------------------------------------
// TIniFile

namespace {

// A list of NUL-terminated strings ending with an empty one, as the profile
// functions return section and key names.
void AddNulList(const std::wstring& buffer, DWORD length, TStrings* Strings) {
  size_t i = 0;
  while (i < length && buffer[i] != L'\0') {
    const size_t end = buffer.find(L'\0', i);
    Strings->Add(WideToUtf8(buffer.data() + i, static_cast<int>(end - i)));
    i = end + 1;
  }
}

// Calls the profile function with growing buffers until the result fits.
template <class F>
std::pair<std::wstring, DWORD> ProfileCall(F call, DWORD slack) {
  std::wstring buffer(2048, L'\0');
  for (;;) {
    const DWORD n = call(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n + slack < buffer.size() || buffer.size() >= (1u << 24)) return {buffer, n};
    buffer.assign(buffer.size() * 4, L'\0');
  }
}

}  // namespace

TIniFile::~TIniFile() {
  try {
    UpdateFile();
  } catch (...) {
  }
}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident, const std::string& Default) {
  const std::wstring section = Utf8ToWide(Section), ident = Utf8ToWide(Ident), def = Utf8ToWide(Default),
                     file = Utf8ToWide(FileName());
  const auto [buffer, n] = ProfileCall(
      [&](wchar_t* b, DWORD size) {
        return ::GetPrivateProfileStringW(section.c_str(), ident.c_str(), def.c_str(), b, size, file.c_str());
      },
      1);
  return WideToUtf8(buffer.data(), static_cast<int>(n));
}

void TIniFile::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) {
  if (!::WritePrivateProfileStringW(Utf8ToWide(Section).c_str(), Utf8ToWide(Ident).c_str(),
                                    Utf8ToWide(Value).c_str(), Utf8ToWide(FileName()).c_str()))
    throw EIniFileException(Format("Unable to write to %s", {FileName()}));
}

void TIniFile::ReadSection(const std::string& Section, TStrings* Strings) {
  Strings->BeginUpdate();
  struct End { TStrings* s; ~End() { s->EndUpdate(); } } end{Strings};
  Strings->Clear();
  const std::wstring section = Utf8ToWide(Section), file = Utf8ToWide(FileName());
  const auto [buffer, n] = ProfileCall(
      [&](wchar_t* b, DWORD size) {
        return ::GetPrivateProfileStringW(section.c_str(), nullptr, L"", b, size, file.c_str());
      },
      2);
  AddNulList(buffer, n, Strings);
}

void TIniFile::ReadSections(TStrings* Strings) {
  Strings->BeginUpdate();
  struct End { TStrings* s; ~End() { s->EndUpdate(); } } end{Strings};
  Strings->Clear();
  const std::wstring file = Utf8ToWide(FileName());
  const auto [buffer, n] = ProfileCall(
      [&](wchar_t* b, DWORD size) { return ::GetPrivateProfileStringW(nullptr, nullptr, L"", b, size, file.c_str()); },
      2);
  AddNulList(buffer, n, Strings);
}

void TIniFile::ReadSectionValues(const std::string& Section, TStrings* Strings) {
  Strings->BeginUpdate();
  struct End { TStrings* s; ~End() { s->EndUpdate(); } } end{Strings};
  TStringList keys;
  ReadSection(Section, &keys);
  Strings->Clear();
  for (Integer i = 0; i < keys.Count(); ++i) Strings->Add(keys[i] + "=" + ReadString(Section, keys[i], ""));
}

void TIniFile::EraseSection(const std::string& Section) {
  if (!::WritePrivateProfileStringW(Utf8ToWide(Section).c_str(), nullptr, nullptr, Utf8ToWide(FileName()).c_str()))
    throw EIniFileException(Format("Unable to write to %s", {FileName()}));
}

void TIniFile::DeleteKey(const std::string& Section, const std::string& Ident) {
  ::WritePrivateProfileStringW(Utf8ToWide(Section).c_str(), Utf8ToWide(Ident).c_str(), nullptr,
                               Utf8ToWide(FileName()).c_str());
}

void TIniFile::UpdateFile() { ::WritePrivateProfileStringW(nullptr, nullptr, nullptr, Utf8ToWide(FileName()).c_str()); }

// ---------------------------------------------------------------------------
// TMemIniFile

TMemIniFile::TMemIniFile(const std::string& FileName) : TCustomIniFile(FileName) {
  LoadValues();
}

void TMemIniFile::LoadValues() {
  Clear();
  if (FileName().empty() || !FileExists(FileName())) return;
  TStringList list;
  list.LoadFromFile(FileName());
  SetStrings(&list);
}

void TMemIniFile::Clear() { sections_.clear(); }

TMemIniFile::Section* TMemIniFile::FindSection(const std::string& Name) {
  for (Section& s : sections_)
    if (AnsiCompareText(s.Name, Name) == 0) return &s;
  return nullptr;
}

TMemIniFile::Section& TMemIniFile::AddSection(const std::string& Name) {
  sections_.push_back(Section{Name, std::make_unique<TStringList>()});
  return sections_.back();
}

void TMemIniFile::SetStrings(TStrings* List) {
  Clear();
  Section* current = nullptr;
  for (Integer i = 0; i < List->Count(); ++i) {
    const std::string s = Trim(List->Strings(i));
    if (s.empty() || s[0] == ';') continue;
    if (s[0] == '[' && s.back() == ']' && s.size() >= 2) {
      const std::string name = Trim(s.substr(1, s.size() - 2));
      current = FindSection(name);
      if (current == nullptr) current = &AddSection(name);
    } else if (current != nullptr) {
      const size_t eq = s.find('=');
      current->Lines->Add(eq == std::string::npos ? s : TrimRight(s.substr(0, eq)) + "=" + TrimLeft(s.substr(eq + 1)));
    }
  }
}

void TMemIniFile::GetStrings(TStrings* List) const {
  List->BeginUpdate();
  struct End { TStrings* s; ~End() { s->EndUpdate(); } } end{List};
  List->Clear();
  for (const Section& s : sections_) {
    List->Add("[" + s.Name + "]");
    for (Integer i = 0; i < s.Lines->Count(); ++i) List->Add(s.Lines->Strings(i));
    List->Add(std::string());
  }
}

void TMemIniFile::UpdateFile() {
  TStringList list;
  GetStrings(&list);
  list.SaveToFile(FileName());
}

void TMemIniFile::Rename(const std::string& FileName, bool Reload) {
  SetFileName(FileName);
  if (Reload) LoadValues();
}

std::string TMemIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                    const std::string& Default) {
  TMemIniFile::Section* s = FindSection(Section);
  if (s == nullptr) return Default;
  const Integer i = s->Lines->IndexOfName(Ident);
  return i < 0 ? Default : s->Lines->ValueFromIndex(i);
}

void TMemIniFile::WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) {
  TMemIniFile::Section* s = FindSection(Section);
  if (s == nullptr) s = &AddSection(Section);
  const std::string line = Ident + "=" + Value;
  const Integer i = s->Lines->IndexOfName(Ident);
  if (i >= 0) {
    s->Lines->SetStrings(i, line);
  } else {
    s->Lines->Add(line);
  }
}

void TMemIniFile::ReadSection(const std::string& Section, TStrings* Strings) {
  Strings->BeginUpdate();
  struct End { TStrings* s; ~End() { s->EndUpdate(); } } end{Strings};
  Strings->Clear();
  if (TMemIniFile::Section* s = FindSection(Section)) {
    for (Integer i = 0; i < s->Lines->Count(); ++i) {
      const std::string name = s->Lines->Names(i);
      if (!name.empty()) Strings->Add(name);
    }
  }
}

void TMemIniFile::ReadSections(TStrings* Strings) {
  Strings->BeginUpdate();
  struct End { TStrings* s; ~End() { s->EndUpdate(); } } end{Strings};
  Strings->Clear();
  for (const Section& s : sections_) Strings->Add(s.Name);
}

void TMemIniFile::ReadSectionValues(const std::string& Section, TStrings* Strings) {
  Strings->BeginUpdate();
  struct End { TStrings* s; ~End() { s->EndUpdate(); } } end{Strings};
  Strings->Clear();
  if (TMemIniFile::Section* s = FindSection(Section)) Strings->AddStrings(s->Lines.get());
}

void TMemIniFile::EraseSection(const std::string& Section) {
  for (auto it = sections_.begin(); it != sections_.end(); ++it) {
    if (AnsiCompareText(it->Name, Section) == 0) {
      sections_.erase(it);
      return;
    }
  }
}

void TMemIniFile::DeleteKey(const std::string& Section, const std::string& Ident) {
  if (TMemIniFile::Section* s = FindSection(Section)) {
    const Integer i = s->Lines->IndexOfName(Ident);
    if (i >= 0) s->Lines->Delete(i);
  }
}

bool TMemIniFile::ValueExists(const std::string& Section, const std::string& Ident) {
  TMemIniFile::Section* s = FindSection(Section);
  return s != nullptr && s->Lines->IndexOfName(Ident) >= 0;
}
