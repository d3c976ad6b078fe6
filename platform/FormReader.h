// Form resources: the text form format, its reader (text -> component tree)
// and writer (component tree -> text).
//
//   object frmMain: TfrmMain
//     Caption = 'Main'#13#10'window'
//     Font.Style = [fsBold]
//     object btnOK: TButton
//       OnClick = btnOKClick
//       Glyph.Data = {0A0B0C}
//     end
//   end
//
// A form's text lives under resources/ and is compiled in as RCDATA named
// after the form class in upper case; the form's constructor reads it with
// InitInheritedComponent(this). Children are created through the class
// registry (TypInfo.h) with the root as owner, properties are set through the
// property tables, component references are resolved after everything is
// read, and Loaded() is called on every read component in creation order.
// While reading, csLoading and csReading are set on every read component.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/TypInfo.h"

class TComponent;
class TStream;
class TReader;
class TWriter;

T_DECLARE_EXCEPTION(EParserError, EReadError)

// ---------------------------------------------------------------------------
// The parsed form text.
enum TValueType {
  vaNull,
  vaList,        // ( v v v )
  vaInt,         // 12, -3, $FF
  vaExtended,    // 1.5, 1E3
  vaString,      // 'text'#13#10 + 'more'
  vaIdent,       // alClient, clBtnFace, Form1.Button1, nil
  vaFalse,
  vaTrue,
  vaBinary,      // { 0A0B }
  vaSet,         // [fsBold, fsItalic]
  vaCollection,  // < item ... end >
  vaNil
};

struct TFormProp;

struct TFormItem {
  std::optional<Int64> Index;  // item [n]
  std::vector<TFormProp> Props;
  Integer Line = 0;
};

struct TFormValue {
  TValueType Type = vaNull;
  Int64 Int = 0;
  Extended Float = 0;
  std::string Str;  // string, identifier or binary bytes
  std::vector<std::string> Set;
  std::vector<TFormValue> List;
  std::vector<TFormItem> Items;
  Integer Line = 0;
};

struct TFormProp {
  std::string Name;  // possibly dotted: Font.Style
  TFormValue Value;
  Integer Line = 0;
};

enum TFormObjectKind { okObject, okInherited, okInline };

struct TFormObject {
  TFormObjectKind Kind = okObject;
  std::string Name;
  std::string ClassName;
  std::optional<Int64> Index;  // object X: TY [n]
  std::vector<TFormProp> Props;
  std::vector<TFormObject> Children;
  Integer Line = 0;
};

// Parses form text; raises EParserError ("Line 3: ...") on malformed input.
TFormObject ParseFormText(const std::string& Text);
// Prints a parsed form in the canonical layout (two spaces per level).
std::string FormObjectToText(const TFormObject& Object);

// ---------------------------------------------------------------------------
// Filers: what a DefineProperties override sees.
using TReaderProc = std::function<void(TReader* Reader)>;
using TWriterProc = std::function<void(TWriter* Writer)>;
using TStreamProc = std::function<void(TStream* Stream)>;

class TFiler : public TObject {
 public:
  T_CLASSNAME(TFiler)
  // A value stored under Name. ReadData reads it with the TReader value
  // functions; WriteData writes exactly one value with the TWriter ones and
  // is called only when HasData is true.
  virtual void DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData,
                              bool HasData) = 0;
  // Binary data under Name, handed over as a stream positioned at 0.
  virtual void DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc WriteData,
                                    bool HasData) = 0;
  TComponent* Root() const { return root_; }
  TComponent* LookupRoot() const { return root_; }
  // Differences against an ancestor are not written; always none.
  TPersistent* Ancestor() const { return nullptr; }

 protected:
  TComponent* root_ = nullptr;
};

// ---------------------------------------------------------------------------
// The reader.
class TReader : public TFiler {
 public:
  T_CLASSNAME(TReader)
  ~TReader() override;

  // Reads Root's properties and children from Object (the root's block).
  void ReadRootComponent(const TFormObject& Object, TComponent* Root);
  // Reads a new top-level component of the block's class, owned by AOwner.
  TComponent* ReadNewComponent(const TFormObject& Object, TComponent* AOwner);

  // The default TComponent::ReadState: reads the properties and the child
  // objects of the block currently being read into Instance.
  void ReadData(TComponent* Instance);

  // The component whose block encloses the one being read (nullptr for the root).
  TComponent* Parent() const { return parent_; }
  // Owner of the components created by this read (the root).
  TComponent* Owner() const { return root_; }
  // Line of the property or object being read.
  Integer Line() const { return line_; }

  // Value access for DefineProperty readers, in the order of the stored values.
  TValueType NextValue() const;
  bool ReadBoolean();
  Integer ReadInteger();
  Int64 ReadInt64();
  Extended ReadFloat();
  std::string ReadString();
  std::string ReadIdent();
  std::vector<std::string> ReadSet();
  void ReadListBegin();
  bool EndOfList() const;
  void ReadListEnd();
  void SkipValue();

  void DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData,
                      bool HasData) override;
  void DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override;

 private:
  struct TFixup {
    TObject* Instance;
    const TPropInfo* Prop;
    std::string Name;
    Integer Line;
  };
  struct TCursor {
    const std::vector<TFormValue>* Values;
    size_t Pos;
  };

  void ReadBlock(const TFormObject& Object, TComponent* Instance, TComponent* Parent);
  void ReadChild(const TFormObject& Object, TComponent* Parent);
  void ReadProperty(TObject* Instance, const std::string& Path, const TFormValue& Value, Integer Line);
  void ReadPropValue(TObject* Instance, const TPropInfo& Prop, const TFormValue& Value);
  void ReadCollection(TObject* Collection, const TFormValue& Value);
  bool ReadDefined(TObject* Instance, const std::string& Name, const TFormValue& Value);
  void BeginLoading(TComponent* C);
  void ResolveFixups();
  void FinishRead();
  void Abort();
  const TFormValue& Take(TValueType Expected, const char* What);
  std::string Describe(TObject* Instance) const;
  [[noreturn]] void Error(const std::string& Message) const;
  [[noreturn]] void Error(Integer Line, const std::string& Message) const;

  TComponent* parent_ = nullptr;
  Integer line_ = 0;
  const TFormObject* current_ = nullptr;
  std::vector<TComponent*> loaded_;   // root first, then in creation order
  std::vector<TComponent*> created_;  // freed again when the read fails
  std::vector<TFixup> fixups_;
  // DefineProperties lookups.
  std::string wanted_;
  const TFormValue* wantedValue_ = nullptr;
  bool found_ = false;
  std::vector<TCursor> cursor_;
  std::vector<TFormValue> single_;
};

// ---------------------------------------------------------------------------
// The writer.
class TWriter : public TFiler {
 public:
  T_CLASSNAME(TWriter)
  explicit TWriter(TComponent* Root);

  // The block of a component with its stored properties and children: those
  // GetChildren lists, then the root's components whose parent component is
  // Instance (at the root: also those that have no parent at all).
  TFormObject WriteComponent(TComponent* Instance);

  // Value output for DefineProperty writers.
  void WriteBoolean(bool Value);
  void WriteInteger(Int64 Value);
  void WriteFloat(Extended Value);
  void WriteString(const std::string& Value);
  void WriteIdent(const std::string& Value);
  void WriteSet(const std::vector<std::string>& Idents);
  void WriteListBegin();
  void WriteListEnd();

  void DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData,
                      bool HasData) override;
  void DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override;

 private:
  void WriteProperties(TObject* Instance, const std::string& Prefix, std::vector<TFormProp>& Out);
  bool WritePropValue(TObject* Instance, const TPropInfo& Prop, TFormValue& Out);
  void WriteDefined(TObject* Instance, const std::string& Prefix, std::vector<TFormProp>& Out);
  std::string ReferenceName(TObject* Value) const;
  void Emit(TFormValue Value);

  std::vector<std::vector<TFormValue>*> sinks_;
  std::vector<TFormProp>* defineOut_ = nullptr;
  std::string definePrefix_;
};

// ---------------------------------------------------------------------------
// Convenience.

// Reads the text form into Root (which keeps its class; the text's root class
// name is not checked). Raises EReadError/EParserError naming the line.
void ReadComponentFromText(const std::string& Text, TComponent* Root);
// Creates the text's root component through the class registry, owned by AOwner.
TComponent* CreateComponentFromText(const std::string& Text, TComponent* AOwner);
// The text form of Root and its children.
std::string WriteComponentToText(TComponent* Root);

// The text of the RCDATA resource ResName (upper-cased) of Module (nullptr:
// the program's module); false when there is none.
bool FindFormResourceText(const std::string& ResName, std::string& Text, HINSTANCE Module = nullptr);
// Reads the resource ResName into Instance; false when there is none.
bool ReadComponentRes(const std::string& ResName, TComponent* Instance, HINSTANCE Module = nullptr);
// Reads the form resource named after Instance's class into it; a resource
// that begins with "inherited" has its ancestor's (the registered parent
// class's) resource read first. False when the class has no resource.
// Call it once the most derived constructor has run: it goes by ClassName().
bool InitInheritedComponent(TComponent* Instance, HINSTANCE Module = nullptr);

// Lookup of components outside the root for references such as
// "OtherForm.Button1" (the forms register a search of the live forms).
void RegisterFindGlobalComponent(std::function<TComponent*(const std::string& Name)> Find);
