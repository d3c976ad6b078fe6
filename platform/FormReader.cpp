// Reading a parsed form into components, and resources.
#include "platform/FormReader.h"

#include <algorithm>

#include "platform/Classes.h"
#include "platform/SysUtils.h"

namespace {

std::vector<std::function<TComponent*(const std::string&)>>& GlobalFinders() {
  static std::vector<std::function<TComponent*(const std::string&)>> finders;
  return finders;
}

TComponent* FindGlobalComponent(const std::string& Name) {
  for (auto& f : GlobalFinders())
    if (TComponent* c = f(Name)) return c;
  return nullptr;
}

const char* ValueTypeName(TValueType t) {
  switch (t) {
    case vaList: return "list";
    case vaInt: return "integer";
    case vaExtended: return "float";
    case vaString: return "string";
    case vaIdent: return "identifier";
    case vaFalse:
    case vaTrue: return "Boolean";
    case vaBinary: return "binary data";
    case vaSet: return "set";
    case vaCollection: return "collection";
    case vaNil: return "nil";
    default: return "nothing";
  }
}

// Marks a read error message as carrying its line already.
class ELineReadError : public EReadError {
 public:
  using EReadError::EReadError;
};

}  // namespace

void RegisterFindGlobalComponent(std::function<TComponent*(const std::string& Name)> Find) {
  GlobalFinders().push_back(std::move(Find));
}

// The default reading of a component: its properties, then its children.
void TComponent::ReadState(TReader* Reader) { Reader->ReadData(this); }

// ---------------------------------------------------------------------------
// TReader.

TReader::~TReader() = default;

void TReader::Error(const std::string& Message) const { Error(line_, Message); }

void TReader::Error(Integer Line, const std::string& Message) const {
  throw ELineReadError("Line " + std::to_string(Line) + ": " + Message);
}

std::string TReader::Describe(TObject* Instance) const {
  if (auto* c = dynamic_cast<TComponent*>(Instance))
    if (!c->Name().empty()) return c->Name();
  return Instance->ClassName();
}

void TReader::BeginLoading(TComponent* C) {
  C->state_.Include(csLoading);
  C->state_.Include(csReading);
  loaded_.push_back(C);
}

void TReader::ReadRootComponent(const TFormObject& Object, TComponent* Root) {
  root_ = Root;
  loaded_.clear();
  created_.clear();
  fixups_.clear();
  try {
    BeginLoading(Root);
    if (!Object.Name.empty() && Root->Name() != Object.Name) {
      // A second instance of a form gets a unique name among its owner's components.
      std::string name = Object.Name;
      if (TComponent* owner = Root->Owner())
        for (int n = 1; owner->FindComponent(name) && owner->FindComponent(name) != Root; ++n)
          name = Object.Name + "_" + std::to_string(n);
      line_ = Object.Line;
      try {
        Root->SetName(name);
      } catch (const Exception& e) {
        Error("Error reading " + name + ": " + e.Message());
      }
    }
    ReadBlock(Object, Root, nullptr);
    ResolveFixups();
  } catch (...) {
    Abort();
    throw;
  }
  FinishRead();
}

TComponent* TReader::ReadNewComponent(const TFormObject& Object, TComponent* AOwner) {
  const TClassInfo* info = GetClass(Object.ClassName);
  if (!info) Error(Object.Line, "Class " + Object.ClassName + " not found");
  if (!info->Factory) Error(Object.Line, "Class " + Object.ClassName + " cannot be created from a form");
  TComponent* c = info->Factory(AOwner);
  try {
    ReadRootComponent(Object, c);
  } catch (...) {
    delete c;
    throw;
  }
  return c;
}

void TReader::ReadBlock(const TFormObject& Object, TComponent* Instance, TComponent* Parent) {
  const TFormObject* savedCurrent = current_;
  TComponent* savedParent = parent_;
  current_ = &Object;
  parent_ = Parent;
  Instance->ReadState(this);
  current_ = savedCurrent;
  parent_ = savedParent;
}

void TReader::ReadData(TComponent* Instance) {
  if (!current_) throw EReadError("ReadData called outside a read");
  const TFormObject& obj = *current_;
  for (const TFormProp& p : obj.Props) ReadProperty(Instance, p.Name, p.Value, p.Line);
  for (const TFormObject& child : obj.Children) ReadChild(child, Instance);
}

void TReader::ReadChild(const TFormObject& Object, TComponent* Parent) {
  line_ = Object.Line;
  TComponent* c = nullptr;
  if (Object.Kind == okInherited) {
    c = root_->FindComponent(Object.Name);
    if (!c) Error("Ancestor component " + Object.Name + " not found");
    if (std::find(loaded_.begin(), loaded_.end(), c) == loaded_.end()) BeginLoading(c);
  } else {
    const TClassInfo* info = GetClass(Object.ClassName);
    if (!info) Error("Class " + Object.ClassName + " not found");
    if (!info->Factory) Error("Class " + Object.ClassName + " cannot be created from a form");
    try {
      c = info->Factory(root_);
    } catch (const ELineReadError&) {
      throw;
    } catch (const Exception& e) {
      Error("Error creating " + Object.Name + ": " + e.Message());
    }
    created_.push_back(c);
    BeginLoading(c);
    try {
      if (!Object.Name.empty()) c->SetName(Object.Name);
      AssignField(root_, Object.Name, c);
      if (Parent && c->HasParent()) c->SetParentComponent(Parent);
    } catch (const ELineReadError&) {
      throw;
    } catch (const Exception& e) {
      Error("Error reading " + Object.Name + ": " + e.Message());
    }
  }
  ReadBlock(Object, c, Parent);
}

void TReader::ReadProperty(TObject* Instance, const std::string& Path, const TFormValue& Value, Integer Line) {
  line_ = Line;
  std::string where = Describe(Instance) + "." + Path;
  try {
    TObject* target = Instance;
    std::string rest = Path;
    for (size_t dot; (dot = rest.find('.')) != std::string::npos;) {
      std::string head = rest.substr(0, dot);
      const TPropInfo* p = GetPropInfo(target, head);
      if (!p || p->Kind != tkClass || p->IsReference)
        Error("Error reading " + where + ": property " + head + " does not exist or has no properties");
      TObject* next = p->GetObj(target);
      if (!next) Error("Error reading " + where + ": " + head + " is nil");
      target = next;
      rest = rest.substr(dot + 1);
    }
    const TPropInfo* p = GetPropInfo(target, rest);
    if (p && p->Writable()) {
      ReadPropValue(target, *p, Value);
    } else if (p && p->Kind == tkClass && !p->IsReference && Value.Type == vaCollection) {
      ReadCollection(p->GetObj(target), Value);
    } else if (!ReadDefined(target, rest, Value)) {
      if (p) Error("Error reading " + where + ": property " + rest + " is read-only");
      Error("Error reading " + where + ": property " + rest + " does not exist");
    }
  } catch (const ELineReadError&) {
    throw;
  } catch (const Exception& e) {
    Error(Line, "Error reading " + where + ": " + e.Message());
  }
}

void TReader::ReadPropValue(TObject* Instance, const TPropInfo& Prop, const TFormValue& Value) {
  auto invalid = [&]() {
    Error(Value.Line, "Error reading " + Describe(Instance) + "." + Prop.Name + ": invalid property value (" +
                          ValueTypeName(Value.Type) + (Value.Type == vaIdent ? " " + Value.Str : std::string()) + ")");
  };
  switch (Prop.Kind) {
    case tkInteger: {
      Int64 v = 0;
      if (Value.Type == vaInt) {
        v = Value.Int;
      } else if (Value.Type == vaIdent && !Prop.IdentType.empty()) {
        const TIdentMapper* m = FindIntegerConsts(Prop.IdentType);
        if (!m || !m->ToInt || !m->ToInt(Value.Str, v)) invalid();
      } else {
        invalid();
      }
      Prop.SetOrd(Instance, v);
      return;
    }
    case tkEnumeration: {
      if (Value.Type != vaIdent && Value.Type != vaFalse && Value.Type != vaTrue) invalid();
      Integer v = Prop.Enum()->ValueOf(Value.Str);
      if (v < 0) invalid();
      Prop.SetOrd(Instance, v);
      return;
    }
    case tkSet: {
      if (Value.Type != vaSet) invalid();
      const TEnumInfo* e = Prop.Enum();
      uint64_t bits = 0;
      for (const std::string& name : Value.Set) {
        Integer v = e->ValueOf(name);
        if (v < 0 || v >= 64) Error(Value.Line, "Error reading " + Describe(Instance) + "." + Prop.Name + ": " + name +
                                                    " is not a " + e->TypeName + " value");
        bits |= uint64_t(1) << v;
      }
      Prop.SetOrd(Instance, static_cast<Int64>(bits));
      return;
    }
    case tkFloat:
      if (Value.Type == vaExtended)
        Prop.SetFloat(Instance, Value.Float);
      else if (Value.Type == vaInt)
        Prop.SetFloat(Instance, static_cast<Extended>(Value.Int));
      else
        invalid();
      return;
    case tkString:
      if (Value.Type != vaString) invalid();
      Prop.SetStr(Instance, Value.Str);
      return;
    case tkClass:
      if (Value.Type == vaNil) {
        Prop.SetObj(Instance, nullptr);
      } else if (Value.Type == vaIdent && Prop.IsReference) {
        fixups_.push_back({Instance, &Prop, Value.Str, Value.Line});
      } else if (Value.Type == vaCollection && Prop.GetObj) {
        ReadCollection(Prop.GetObj(Instance), Value);
      } else {
        invalid();
      }
      return;
    case tkMethod: {
      if (Value.Type == vaNil) {
        Prop.ClearEvent(Instance);
        return;
      }
      if (Value.Type != vaIdent) invalid();
      const THandlerEntry* h = FindHandler(root_, Value.Str);
      if (!h)
        Error(Value.Line, "Error reading " + Describe(Instance) + "." + Prop.Name + ": handler " + Value.Str +
                              " not found in " + root_->ClassName());
      if (h->EventType != *Prop.EventType)
        Error(Value.Line, "Error reading " + Describe(Instance) + "." + Prop.Name + ": handler " + Value.Str +
                              " does not fit the event's parameters");
      if (!h->Bind(root_, Prop.EventField(Instance)))
        Error(Value.Line, "Handler " + Value.Str + " does not belong to " + root_->ClassName());
      return;
    }
    default:
      invalid();
  }
}

void TReader::ReadCollection(TObject* Object, const TFormValue& Value) {
  auto* coll = dynamic_cast<TCollection*>(Object);
  if (!coll) Error(Value.Line, "Collection expected for " + (Object ? Object->ClassName() : std::string("nil")));
  coll->BeginUpdate();
  try {
    coll->Clear();
    for (const TFormItem& item : Value.Items) {
      line_ = item.Line;
      TCollectionItem* ci = coll->Add();
      for (const TFormProp& p : item.Props) ReadProperty(ci, p.Name, p.Value, p.Line);
    }
  } catch (...) {
    coll->EndUpdate();
    throw;
  }
  coll->EndUpdate();
}

bool TReader::ReadDefined(TObject* Instance, const std::string& Name, const TFormValue& Value) {
  auto* pers = dynamic_cast<TPersistent*>(Instance);
  if (!pers) return false;
  std::string savedWanted = wanted_;
  const TFormValue* savedValue = wantedValue_;
  bool savedFound = found_;
  wanted_ = Name;
  wantedValue_ = &Value;
  found_ = false;
  try {
    pers->DefineProperties(this);
    if (!found_)
      if (const TClassInfo* info = GetClassInfo(Instance))
        for (const TClassInfo* c = info; c && !found_; c = c->Parent())
          for (auto& hook : c->DefineHooks) {
            hook(Instance, this);
            if (found_) break;
          }
  } catch (...) {
    wanted_ = savedWanted;
    wantedValue_ = savedValue;
    found_ = savedFound;
    throw;
  }
  bool found = found_;
  wanted_ = savedWanted;
  wantedValue_ = savedValue;
  found_ = savedFound;
  return found;
}

void TReader::DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc, bool) {
  if (found_ || !wantedValue_ || !ReadData || !SameText(Name, wanted_)) return;
  found_ = true;
  std::vector<TCursor> savedCursor = std::move(cursor_);
  std::vector<TFormValue> savedSingle = std::move(single_);
  single_ = {*wantedValue_};
  cursor_ = {TCursor{&single_, 0}};
  ReadData(this);
  bool complete = cursor_.size() == 1 && cursor_[0].Pos == 1;
  cursor_ = std::move(savedCursor);
  single_ = std::move(savedSingle);
  if (!complete) Error("Value of " + Name + " not read completely");
}

void TReader::DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc, bool) {
  if (found_ || !wantedValue_ || !ReadData || !SameText(Name, wanted_)) return;
  found_ = true;
  if (wantedValue_->Type != vaBinary) throw EReadError("Binary data expected");
  TMemoryStream stream;
  const std::string& bytes = wantedValue_->Str;
  if (!bytes.empty()) stream.WriteBuffer(bytes.data(), static_cast<Integer>(bytes.size()));
  stream.SetPosition(0);
  ReadData(&stream);
}

const TFormValue& TReader::Take(TValueType Expected, const char* What) {
  if (cursor_.empty()) throw EReadError("No value to read");
  TCursor& c = cursor_.back();
  if (c.Pos >= c.Values->size()) Error(std::string(What) + " expected but the list ends");
  const TFormValue& v = (*c.Values)[c.Pos];
  if (Expected != vaNull && v.Type != Expected)
    Error(v.Line, std::string(What) + " expected but " + ValueTypeName(v.Type) + " found");
  ++c.Pos;
  return v;
}

TValueType TReader::NextValue() const {
  if (cursor_.empty()) return vaNull;
  const TCursor& c = cursor_.back();
  return c.Pos < c.Values->size() ? (*c.Values)[c.Pos].Type : vaNull;
}

bool TReader::ReadBoolean() {
  const TFormValue& v = Take(vaNull, "Boolean");
  if (v.Type == vaTrue) return true;
  if (v.Type == vaFalse) return false;
  Error(v.Line, std::string("Boolean expected but ") + ValueTypeName(v.Type) + " found");
}

static Integer ReaderIntCheck(Int64 v, Integer line) {
  if (v < INT32_MIN || v > static_cast<Int64>(UINT32_MAX))
    throw ELineReadError("Line " + std::to_string(line) + ": Integer out of range");
  return static_cast<Integer>(v);
}

Integer TReader::ReadInteger() {
  const TFormValue& v = Take(vaInt, "Integer");
  return ReaderIntCheck(v.Int, v.Line);
}

Int64 TReader::ReadInt64() { return Take(vaInt, "Integer").Int; }

Extended TReader::ReadFloat() {
  const TFormValue& v = Take(vaNull, "Float");
  if (v.Type == vaExtended) return v.Float;
  if (v.Type == vaInt) return static_cast<Extended>(v.Int);
  Error(v.Line, std::string("Float expected but ") + ValueTypeName(v.Type) + " found");
}

std::string TReader::ReadString() { return Take(vaString, "String").Str; }

std::string TReader::ReadIdent() {
  const TFormValue& v = Take(vaNull, "Identifier");
  if (v.Type != vaIdent && v.Type != vaFalse && v.Type != vaTrue && v.Type != vaNil)
    Error(v.Line, std::string("Identifier expected but ") + ValueTypeName(v.Type) + " found");
  return v.Str;
}

std::vector<std::string> TReader::ReadSet() { return Take(vaSet, "Set").Set; }

void TReader::ReadListBegin() {
  const TFormValue& v = Take(vaList, "List");
  cursor_.push_back(TCursor{&v.List, 0});
}

bool TReader::EndOfList() const {
  if (cursor_.empty()) return true;
  return cursor_.back().Pos >= cursor_.back().Values->size();
}

void TReader::ReadListEnd() {
  if (cursor_.size() < 2) throw EReadError("ReadListEnd without ReadListBegin");
  if (!EndOfList()) Error("End of list expected");
  cursor_.pop_back();
}

void TReader::SkipValue() { Take(vaNull, "Value"); }

void TReader::ResolveFixups() {
  for (const TFixup& f : fixups_) {
    line_ = f.Line;
    TComponent* target = nullptr;
    size_t dot = f.Name.find('.');
    if (dot == std::string::npos) {
      target = SameText(f.Name, root_->Name()) ? root_ : root_->FindComponent(f.Name);
      if (!target) target = FindGlobalComponent(f.Name);
    } else {
      std::string head = f.Name.substr(0, dot);
      TComponent* base = SameText(head, root_->Name()) ? root_ : FindGlobalComponent(head);
      std::string rest = f.Name.substr(dot + 1);
      while (base && !rest.empty()) {
        size_t d = rest.find('.');
        base = base->FindComponent(rest.substr(0, d));
        rest = d == std::string::npos ? std::string() : rest.substr(d + 1);
      }
      target = base;
    }
    // A reference to a component outside this form that no live form holds
    // stays unset, as the property's default.
    if (!target) continue;
    try {
      f.Prop->SetObj(f.Instance, target);
    } catch (const Exception& e) {
      Error(f.Line, "Error reading " + Describe(f.Instance) + "." + f.Prop->Name + ": " + e.Message());
    }
  }
  fixups_.clear();
}

void TReader::FinishRead() {
  std::vector<TComponent*> loaded = std::move(loaded_);
  loaded_.clear();
  created_.clear();
  for (TComponent* c : loaded) c->state_.Exclude(csReading);
  for (size_t i = 0; i < loaded.size(); ++i) {
    try {
      loaded[i]->Loaded();
    } catch (...) {
      // The components are complete; only the rest of the notifications is lost.
      for (size_t j = i; j < loaded.size(); ++j) loaded[j]->state_.Exclude(csLoading);
      throw;
    }
    loaded[i]->state_.Exclude(csLoading);
  }
}

void TReader::Abort() {
  // Components made by this read go again, last first; the root and
  // inherited components keep existing but leave the loading state.
  for (auto it = created_.rbegin(); it != created_.rend(); ++it) {
    loaded_.erase(std::remove(loaded_.begin(), loaded_.end(), *it), loaded_.end());
    delete *it;
  }
  for (TComponent* c : loaded_) {
    c->state_.Exclude(csReading);
    c->state_.Exclude(csLoading);
  }
  created_.clear();
  loaded_.clear();
  fixups_.clear();
}

// ---------------------------------------------------------------------------
// Convenience and resources.

void ReadComponentFromText(const std::string& Text, TComponent* Root) {
  TFormObject obj = ParseFormText(Text);
  TReader reader;
  reader.ReadRootComponent(obj, Root);
}

TComponent* CreateComponentFromText(const std::string& Text, TComponent* AOwner) {
  TFormObject obj = ParseFormText(Text);
  TReader reader;
  return reader.ReadNewComponent(obj, AOwner);
}

bool FindFormResourceText(const std::string& ResName, std::string& Text, HINSTANCE Module) {
  std::wstring name = Utf8ToWide(ResName);
  for (wchar_t& c : name) c = static_cast<wchar_t>(::towupper(c));
  HMODULE module = Module ? Module : ::GetModuleHandleW(nullptr);
  HRSRC res = ::FindResourceW(module, name.c_str(), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (!res) return false;
  HGLOBAL data = ::LoadResource(module, res);
  DWORD size = ::SizeofResource(module, res);
  const void* p = data ? ::LockResource(data) : nullptr;
  if (!p) return false;
  Text.assign(static_cast<const char*>(p), size);
  return true;
}

bool ReadComponentRes(const std::string& ResName, TComponent* Instance, HINSTANCE Module) {
  std::string text;
  if (!FindFormResourceText(ResName, text, Module)) return false;
  ReadComponentFromText(text, Instance);
  return true;
}

bool InitInheritedComponent(TComponent* Instance, HINSTANCE Module) {
  // The resources of the class and of the ancestors it inherits from, the
  // class's own first.
  std::vector<TFormObject> chain;
  std::string name = Instance->ClassName();
  const TClassInfo* info = GetClassInfo(Instance);
  if (info && !SameText(info->Name, name)) info = nullptr;  // the class itself is not registered
  for (;;) {
    std::string text;
    if (!FindFormResourceText(name, text, Module)) break;
    chain.push_back(ParseFormText(text));
    if (chain.back().Kind != okInherited) break;
    if (!info || !info->Parent()) throw EReadError("Ancestor form of " + name + " not found");
    info = info->Parent();
    name = info->Name;
  }
  if (chain.empty()) return false;
  if (chain.back().Kind == okInherited) throw EReadError("Ancestor form resource of " + name + " not found");
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    TReader reader;
    reader.ReadRootComponent(*it, Instance);
  }
  return true;
}
