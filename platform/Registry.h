// The Windows registry: TRegistry (keys and typed values) and TRegIniFile
// (sections as subkeys, values read and written as with an INI file).
// Names and texts are UTF-8.
#pragma once

#include <string>

#include "platform/Classes.h"
#include "platform/System.h"

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegDataInfo {
  TRegDataType RegData = rdUnknown;
  Integer DataSize = 0;
};

struct TRegKeyInfo {
  Integer NumSubKeys = 0, MaxSubKeyLen = 0, NumValues = 0, MaxValueLen = 0, MaxDataLen = 0;
  FILETIME FileTime{};
};

class TRegistry : public TObject {
 public:
  T_CLASSNAME(TRegistry)
  explicit TRegistry(REGSAM AAccess = KEY_ALL_ACCESS) : access_(AAccess) {}
  ~TRegistry() override { CloseKey(); }

  HKEY RootKey() const { return rootKey_; }
  // Closes the open key.
  void SetRootKey(HKEY Value);
  REGSAM Access() const { return access_; }
  void SetAccess(REGSAM Value) { access_ = Value; }
  HKEY CurrentKey() const { return currentKey_; }
  const std::string& CurrentPath() const { return currentPath_; }

  // A key starting with '\' is taken from the root, else from the open key.
  bool OpenKey(const std::string& Key, bool CanCreate);
  bool OpenKeyReadOnly(const std::string& Key);
  void CloseKey();
  // Raises ERegistryException "Failed to create key %s" on failure.
  bool CreateKey(const std::string& Key);
  // Deletes the key with all its subkeys.
  bool DeleteKey(const std::string& Key);
  bool DeleteValue(const std::string& Name);
  bool KeyExists(const std::string& Key);
  bool ValueExists(const std::string& Name);
  bool HasSubKeys();
  bool GetKeyInfo(TRegKeyInfo& Value);
  void RenameValue(const std::string& OldName, const std::string& NewName);

  // Missing value: "". Another type: ERegistryException "Invalid data type for '%s'".
  std::string ReadString(const std::string& Name);
  void WriteString(const std::string& Name, const std::string& Value);
  void WriteExpandString(const std::string& Name, const std::string& Value);
  // Missing value: ERegistryException "Failed to get data for '%s'".
  Integer ReadInteger(const std::string& Name);
  void WriteInteger(const std::string& Name, Integer Value);
  bool ReadBool(const std::string& Name) { return ReadInteger(Name) != 0; }
  void WriteBool(const std::string& Name, bool Value) { WriteInteger(Name, Value ? 1 : 0); }
  // Reads at most BufSize bytes; a larger value raises. Returns the size.
  Integer ReadBinaryData(const std::string& Name, void* Buffer, Integer BufSize);
  void WriteBinaryData(const std::string& Name, const void* Buffer, Integer BufSize);

  void GetKeyNames(TStrings* Strings);
  void GetValueNames(TStrings* Strings);
  // -1 when the value does not exist.
  Integer GetDataSize(const std::string& Name);
  TRegDataType GetDataType(const std::string& Name);
  bool GetDataInfo(const std::string& Name, TRegDataInfo& Value);

 protected:
  // Closes the open key and makes Value current.
  void ChangeKey(HKEY Value, const std::string& Path);
  // Makes Value current without closing the open key.
  void SetCurrentKey(HKEY Value, const std::string& Path) {
    currentKey_ = Value;
    currentPath_ = Path;
  }
  HKEY GetBaseKey(bool Relative) const;
  // Opens (or creates) Key below the base key; 0 on failure.
  HKEY GetKey(const std::string& Key, bool& Relative, REGSAM Access, bool Create);
  void PutData(const std::string& Name, const void* Buffer, DWORD Size, DWORD Type);
  Integer GetData(const std::string& Name, void* Buffer, DWORD Size, TRegDataType& Type);

 private:
  HKEY rootKey_ = HKEY_CURRENT_USER;
  HKEY currentKey_ = nullptr;
  std::string currentPath_;
  REGSAM access_;
};

// Sections are subkeys of HKEY_CURRENT_USER\<FileName>; integers and booleans
// are stored as text, as INI files hold them.
class TRegIniFile : public TRegistry {
 public:
  T_CLASSNAME(TRegIniFile)
  explicit TRegIniFile(const std::string& FileName, REGSAM AAccess = KEY_ALL_ACCESS);
  const std::string& FileName() const { return fileName_; }

  using TRegistry::DeleteKey;
  using TRegistry::ReadBool;
  using TRegistry::ReadInteger;
  using TRegistry::ReadString;
  using TRegistry::WriteBool;
  using TRegistry::WriteInteger;
  using TRegistry::WriteString;
  std::string ReadString(const std::string& Section, const std::string& Ident, const std::string& Default);
  void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value);
  // A value that is not a number reads as Default.
  Integer ReadInteger(const std::string& Section, const std::string& Ident, Integer Default);
  void WriteInteger(const std::string& Section, const std::string& Ident, Integer Value);
  bool ReadBool(const std::string& Section, const std::string& Ident, bool Default);
  void WriteBool(const std::string& Section, const std::string& Ident, bool Value);
  void ReadSection(const std::string& Section, TStrings* Strings);
  void ReadSections(TStrings* Strings);
  void ReadSectionValues(const std::string& Section, TStrings* Strings);
  void EraseSection(const std::string& Section);
  void DeleteKey(const std::string& Section, const std::string& Ident);

 private:
  // Runs Op with the section's key open (created when Create), then reopens
  // the file's key.
  template <class F>
  bool InSection(const std::string& Section, bool Create, F Op);
  std::string fileName_;
};
