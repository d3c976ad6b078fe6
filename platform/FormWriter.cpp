// Writing a component tree as a form.
#include <algorithm>
#include <cmath>

#include "platform/Classes.h"
#include "platform/FormReader.h"
#include "platform/SysUtils.h"

TWriter::TWriter(TComponent* Root) { root_ = Root; }

TFormObject TWriter::WriteComponent(TComponent* Instance) {
  TFormObject obj;
  obj.Kind = okObject;
  obj.Name = Instance->Name();
  obj.ClassName = Instance->ClassName();
  WriteProperties(Instance, std::string(), obj.Props);
  std::vector<TComponent*> children;
  auto add = [&](TComponent* Child) {
    if (Child && Child != Instance && std::find(children.begin(), children.end(), Child) == children.end())
      children.push_back(Child);
  };
  Instance->GetChildren(add, root_);
  // Components of the root that name this one as their parent component are
  // its children too, also for classes that do not list them themselves; at
  // the root, so are the components that have no parent at all.
  for (Integer i = 0; i < root_->ComponentCount(); ++i) {
    TComponent* c = root_->Components(i);
    bool hasParent = c->HasParent();
    if ((hasParent && c->GetParentComponent() == Instance) || (Instance == root_ && !hasParent)) add(c);
  }
  for (TComponent* c : children) obj.Children.push_back(WriteComponent(c));
  return obj;
}

void TWriter::WriteProperties(TObject* Instance, const std::string& Prefix, std::vector<TFormProp>& Out) {
  if (const TClassInfo* info = GetClassInfo(Instance)) {
    for (const TPropInfo* p : info->AllProps()) {
      if (Prefix.empty() && SameText(p->Name, "Name") && dynamic_cast<TComponent*>(Instance)) continue;
      if (p->Kind == tkClass && !p->IsReference) {
        if (p->Stored && !p->Stored(Instance)) continue;
        TObject* nested = p->GetObj ? p->GetObj(Instance) : nullptr;
        if (!nested) continue;
        if (auto* coll = dynamic_cast<TCollection*>(nested)) {
          TFormProp prop;
          prop.Name = Prefix + p->Name;
          prop.Value.Type = vaCollection;
          for (Integer i = 0; i < coll->Count(); ++i) {
            TFormItem item;
            WriteProperties(coll->Items(i), std::string(), item.Props);
            prop.Value.Items.push_back(std::move(item));
          }
          if (!prop.Value.Items.empty()) Out.push_back(std::move(prop));
        } else {
          WriteProperties(nested, Prefix + p->Name + ".", Out);
        }
        continue;
      }
      if (!p->IsStored(Instance)) continue;
      TFormProp prop;
      prop.Name = Prefix + p->Name;
      if (WritePropValue(Instance, *p, prop.Value)) Out.push_back(std::move(prop));
    }
  }
  WriteDefined(Instance, Prefix, Out);
}

bool TWriter::WritePropValue(TObject* Instance, const TPropInfo& Prop, TFormValue& Out) {
  switch (Prop.Kind) {
    case tkInteger: {
      Int64 v = Prop.GetOrd(Instance);
      if (!Prop.IdentType.empty())
        if (const TIdentMapper* m = FindIntegerConsts(Prop.IdentType))
          if (m->ToIdent && m->ToIdent(v, Out.Str)) {
            Out.Type = vaIdent;
            return true;
          }
      Out.Type = vaInt;
      Out.Int = v;
      return true;
    }
    case tkEnumeration: {
      Int64 v = Prop.GetOrd(Instance);
      Out.Str = Prop.Enum()->NameOf(v);
      if (Out.Str.empty()) throw EWriteError("Value " + std::to_string(v) + " of " + Prop.Name + " has no name");
      Out.Type = vaIdent;
      return true;
    }
    case tkSet: {
      uint64_t bits = static_cast<uint64_t>(Prop.GetOrd(Instance));
      const TEnumInfo* e = Prop.Enum();
      Out.Type = vaSet;
      for (size_t i = 0; i < 64; ++i)
        if (bits & (uint64_t(1) << i)) {
          std::string n = e->NameOf(static_cast<Int64>(i));
          if (n.empty()) throw EWriteError("Set " + Prop.Name + " holds an element without a name");
          Out.Set.push_back(n);
        }
      return true;
    }
    case tkFloat:
      Out.Type = vaExtended;
      Out.Float = Prop.GetFloat(Instance);
      if (!std::isfinite(Out.Float)) throw EWriteError("Value of " + Prop.Name + " is not a finite number");
      return true;
    case tkString:
      Out.Type = vaString;
      Out.Str = Prop.GetStr(Instance);
      return true;
    case tkClass: {
      std::string name = ReferenceName(Prop.GetObj(Instance));
      if (name.empty()) return false;
      Out.Type = vaIdent;
      Out.Str = name;
      return true;
    }
    case tkMethod: {
      // Events bound to something other than a handler of the root's table
      // (a lambda, another object's method) have no name to store.
      std::string name = FindHandlerName(root_, *Prop.EventType, Prop.EventField(Instance));
      if (name.empty()) return false;
      Out.Type = vaIdent;
      Out.Str = name;
      return true;
    }
    default:
      return false;
  }
}

std::string TWriter::ReferenceName(TObject* Value) const {
  auto* c = dynamic_cast<TComponent*>(Value);
  if (!c || c->Name().empty()) return std::string();
  if (c == root_ || c->Owner() == root_) return c->Name();
  if (c->Owner() && !c->Owner()->Name().empty()) return c->Owner()->Name() + "." + c->Name();
  return c->Name();
}

void TWriter::WriteDefined(TObject* Instance, const std::string& Prefix, std::vector<TFormProp>& Out) {
  auto* pers = dynamic_cast<TPersistent*>(Instance);
  if (!pers) return;
  std::vector<TFormProp>* savedOut = defineOut_;
  std::string savedPrefix = definePrefix_;
  defineOut_ = &Out;
  definePrefix_ = Prefix;
  try {
    // Hooks stand for DefineProperties of classes that cannot override it
    // (string lists, graphics), so they come first, as an inherited call would.
    if (const TClassInfo* info = GetClassInfo(Instance)) {
      std::vector<const TClassInfo*> chain;
      for (const TClassInfo* c = info; c; c = c->Parent()) chain.push_back(c);
      for (auto it = chain.rbegin(); it != chain.rend(); ++it)
        for (auto& hook : (*it)->DefineHooks) hook(Instance, this);
    }
    pers->DefineProperties(this);
  } catch (...) {
    defineOut_ = savedOut;
    definePrefix_ = savedPrefix;
    throw;
  }
  defineOut_ = savedOut;
  definePrefix_ = savedPrefix;
}

void TWriter::DefineProperty(const std::string& Name, TReaderProc, TWriterProc WriteData, bool HasData) {
  if (!HasData || !WriteData || !defineOut_) return;
  std::vector<TFormValue> values;
  auto savedSinks = std::move(sinks_);
  sinks_ = {&values};
  try {
    WriteData(this);
  } catch (...) {
    sinks_ = std::move(savedSinks);
    throw;
  }
  bool balanced = sinks_.size() == 1;
  sinks_ = std::move(savedSinks);
  if (!balanced) throw EWriteError("Unbalanced list written for " + Name);
  if (values.size() != 1) throw EWriteError("Exactly one value must be written for " + Name);
  TFormProp prop;
  prop.Name = definePrefix_ + Name;
  prop.Value = std::move(values[0]);
  defineOut_->push_back(std::move(prop));
}

void TWriter::DefineBinaryProperty(const std::string& Name, TStreamProc, TStreamProc WriteData, bool HasData) {
  if (!HasData || !WriteData || !defineOut_) return;
  TMemoryStream stream;
  WriteData(&stream);
  TFormProp prop;
  prop.Name = definePrefix_ + Name;
  prop.Value.Type = vaBinary;
  prop.Value.Str.assign(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
  defineOut_->push_back(std::move(prop));
}

void TWriter::Emit(TFormValue Value) {
  if (sinks_.empty()) throw EWriteError("Values can only be written inside DefineProperty");
  sinks_.back()->push_back(std::move(Value));
}

void TWriter::WriteBoolean(bool Value) {
  TFormValue v;
  v.Type = Value ? vaTrue : vaFalse;
  v.Str = Value ? "True" : "False";
  Emit(std::move(v));
}

void TWriter::WriteInteger(Int64 Value) {
  TFormValue v;
  v.Type = vaInt;
  v.Int = Value;
  Emit(std::move(v));
}

void TWriter::WriteFloat(Extended Value) {
  if (!std::isfinite(Value)) throw EWriteError("Only finite numbers can be written");
  TFormValue v;
  v.Type = vaExtended;
  v.Float = Value;
  Emit(std::move(v));
}

void TWriter::WriteString(const std::string& Value) {
  TFormValue v;
  v.Type = vaString;
  v.Str = Value;
  Emit(std::move(v));
}

void TWriter::WriteIdent(const std::string& Value) {
  TFormValue v;
  v.Type = SameText(Value, "True") ? vaTrue : SameText(Value, "False") ? vaFalse : SameText(Value, "nil") ? vaNil : vaIdent;
  v.Str = Value;
  Emit(std::move(v));
}

void TWriter::WriteSet(const std::vector<std::string>& Idents) {
  TFormValue v;
  v.Type = vaSet;
  v.Set = Idents;
  Emit(std::move(v));
}

void TWriter::WriteListBegin() {
  TFormValue v;
  v.Type = vaList;
  Emit(std::move(v));
  sinks_.push_back(&sinks_.back()->back().List);
}

void TWriter::WriteListEnd() {
  if (sinks_.size() < 2) throw EWriteError("WriteListEnd without WriteListBegin");
  sinks_.pop_back();
}

std::string WriteComponentToText(TComponent* Root) {
  TWriter writer(Root);
  return FormObjectToText(writer.WriteComponent(Root));
}
