// Settings files in the INI format: TIniFile works on the file through the
// system's profile functions, TMemIniFile holds the file in memory and writes
// it back on UpdateFile. Names and texts are UTF-8.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/Classes.h"
#include "platform/System.h"

class TCustomIniFile : public TObject {
 public:
  T_CLASSNAME(TCustomIniFile)
  explicit TCustomIniFile(std::string FileName) : fileName_(std::move(FileName)) {}
  const std::string& FileName() const { return fileName_; }

  virtual std::string ReadString(const std::string& Section, const std::string& Ident,
                                 const std::string& Default) = 0;
  virtual void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) = 0;
  // Decimal or hexadecimal ("0x", "$"); anything else reads as Default.
  virtual Integer ReadInteger(const std::string& Section, const std::string& Ident, Integer Default);
  virtual void WriteInteger(const std::string& Section, const std::string& Ident, Integer Value);
  // Stored as "1" and "0"; any non-zero number reads as true.
  virtual bool ReadBool(const std::string& Section, const std::string& Ident, bool Default);
  virtual void WriteBool(const std::string& Section, const std::string& Ident, bool Value);
  virtual double ReadFloat(const std::string& Section, const std::string& Ident, double Default);
  virtual void WriteFloat(const std::string& Section, const std::string& Ident, double Value);
  // The names of the section's keys.
  virtual void ReadSection(const std::string& Section, TStrings* Strings) = 0;
  virtual void ReadSections(TStrings* Strings) = 0;
  // "name=value" lines of the section.
  virtual void ReadSectionValues(const std::string& Section, TStrings* Strings) = 0;
  virtual void EraseSection(const std::string& Section) = 0;
  virtual void DeleteKey(const std::string& Section, const std::string& Ident) = 0;
  virtual void UpdateFile() = 0;
  bool SectionExists(const std::string& Section);
  virtual bool ValueExists(const std::string& Section, const std::string& Ident);

 protected:
  void SetFileName(std::string Value) { fileName_ = std::move(Value); }

 private:
  std::string fileName_;
};

// On the file itself. A name without a folder refers to the Windows folder,
// as the system's profile functions take it.
class TIniFile : public TCustomIniFile {
 public:
  T_CLASSNAME(TIniFile)
  using TCustomIniFile::TCustomIniFile;
  ~TIniFile() override;
  std::string ReadString(const std::string& Section, const std::string& Ident, const std::string& Default) override;
  // Raises EIniFileException "Unable to write to %s" on failure.
  void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) override;
  void ReadSection(const std::string& Section, TStrings* Strings) override;
  void ReadSections(TStrings* Strings) override;
  void ReadSectionValues(const std::string& Section, TStrings* Strings) override;
  void EraseSection(const std::string& Section) override;
  void DeleteKey(const std::string& Section, const std::string& Ident) override;
  // Flushes the system's cached copy of the file.
  void UpdateFile() override;
};

// In memory: sections and keys compare without case and keep their order.
// Loads the file (when it exists) on construction; UpdateFile writes it.
class TMemIniFile : public TCustomIniFile {
 public:
  T_CLASSNAME(TMemIniFile)
  explicit TMemIniFile(const std::string& FileName);
  std::string ReadString(const std::string& Section, const std::string& Ident, const std::string& Default) override;
  void WriteString(const std::string& Section, const std::string& Ident, const std::string& Value) override;
  void ReadSection(const std::string& Section, TStrings* Strings) override;
  void ReadSections(TStrings* Strings) override;
  void ReadSectionValues(const std::string& Section, TStrings* Strings) override;
  void EraseSection(const std::string& Section) override;
  void DeleteKey(const std::string& Section, const std::string& Ident) override;
  void UpdateFile() override;
  bool ValueExists(const std::string& Section, const std::string& Ident) override;
  void Clear();
  // The file's lines; SetStrings replaces the content by parsed lines.
  void GetStrings(TStrings* List) const;
  void SetStrings(TStrings* List);
  // Changes the file name; Reload reads the new file.
  void Rename(const std::string& FileName, bool Reload);

 private:
  struct Section {
    std::string Name;
    std::unique_ptr<TStringList> Lines;  // "name=value"
  };
  Section* FindSection(const std::string& Name);
  Section& AddSection(const std::string& Name);
  void LoadValues();
  std::vector<Section> sections_;
};
