// Class registry, property tables, handler and field tables, by-name access.
#include "platform/TypInfo.h"
#include "platform/SysUtils.h"

#include <algorithm>
#include <map>
#include <memory>
#include <unordered_map>

namespace {

struct TTable {
  std::type_index Type;
  std::function<bool(const TObject*)> IsInstance;
};
struct THandlerTable : TTable {
  std::vector<THandlerEntry> Entries;
};
struct TFieldTable : TTable {
  std::vector<TFieldEntry> Entries;
};

struct TRegistry {
  std::vector<std::unique_ptr<TClassInfo>> classes;
  std::unordered_map<std::type_index, TClassInfo*> byType;
  std::map<std::string, TClassInfo*> byName;  // lower-case name
  std::unordered_map<std::type_index, std::unique_ptr<TEnumInfo>> enums;
  std::map<std::string, TIdentMapper> idents;
  std::vector<THandlerTable> handlers;
  std::vector<TFieldTable> fields;
  std::unordered_map<std::type_index, const TClassInfo*> instanceCache;

  TRegistry() {
    auto b = std::make_unique<TEnumInfo>();
    b->TypeName = "Boolean";
    b->Names = {"False", "True"};
    enums.emplace(std::type_index(typeid(bool)), std::move(b));
  }
};

TRegistry& Reg() {
  static TRegistry r;
  return r;
}

// The platform's own tables are entered on first use rather than by static
// initialisers, which a static library would drop when nothing else in
// their object file is referenced.
TRegistry& Ready() {
  static bool started = false;
  if (!started) {
    started = true;
    RegisterPlatformClasses();
  }
  return Reg();
}

// Tables of the most derived class first.
template <class T>
std::vector<const T*> TablesFor(const std::vector<T>& tables, const TObject* root) {
  std::vector<const T*> found;
  for (const T& t : tables)
    if (root && t.IsInstance(root)) found.push_back(&t);
  // A table whose class is derived from another's comes first: its instance
  // test accepts fewer objects. Order by how many other matching tables'
  // classes it is an instance of is not available; use registration order
  // reversed, which puts descendants (registered later) first in practice.
  std::reverse(found.begin(), found.end());
  return found;
}

}  // namespace

// ---------------------------------------------------------------------------
// Enumerations and identifiers.

Integer TEnumInfo::ValueOf(const std::string& Name) const {
  std::string l = LowerCase(Name);
  for (size_t i = 0; i < Names.size(); ++i)
    if (LowerCase(Names[i]) == l) return static_cast<Integer>(i);
  return -1;
}

std::string TEnumInfo::NameOf(Int64 Value) const {
  if (Value < 0 || Value >= static_cast<Int64>(Names.size())) return std::string();
  return Names[static_cast<size_t>(Value)];
}

const TEnumInfo& RegisterEnumInfo(std::type_index Type, const std::string& TypeName,
                                  std::vector<std::string> Names) {
  auto& slot = Reg().enums[Type];
  if (!slot) slot = std::make_unique<TEnumInfo>();
  slot->TypeName = TypeName;
  slot->Names = std::move(Names);
  return *slot;
}

const TEnumInfo* FindEnumInfo(std::type_index Type) {
  auto& enums = Ready().enums;
  auto it = enums.find(Type);
  return it == enums.end() ? nullptr : it->second.get();
}

Integer GetEnumValue(std::type_index Type, const std::string& Name) {
  const TEnumInfo* info = FindEnumInfo(Type);
  Integer v = info ? info->ValueOf(Name) : -1;
  if (v < 0) throw EConvertError("'" + Name + "' is not a valid " + (info ? info->TypeName : "enumeration") + " value");
  return v;
}

void RegisterIntegerConsts(const std::string& TypeName, TIdentMapper Mapper) {
  Reg().idents[LowerCase(TypeName)] = std::move(Mapper);
}

const TIdentMapper* FindIntegerConsts(const std::string& TypeName) {
  auto& idents = Ready().idents;
  auto it = idents.find(LowerCase(TypeName));
  return it == idents.end() ? nullptr : &it->second;
}

// ---------------------------------------------------------------------------
// Property information.

bool TPropInfo::Writable() const {
  switch (Kind) {
    case tkInteger:
    case tkEnumeration:
    case tkSet: return static_cast<bool>(SetOrd);
    case tkFloat: return static_cast<bool>(SetFloat);
    case tkString: return static_cast<bool>(SetStr);
    case tkClass: return static_cast<bool>(SetObj);
    case tkMethod: return static_cast<bool>(EventField);
    default: return false;
  }
}

const TEnumInfo* TPropInfo::Enum() const {
  const TEnumInfo* info = EnumType ? FindEnumInfo(*EnumType) : nullptr;
  if (!info) throw EPropertyError("Property " + Name + " has an enumeration type without registered names");
  return info;
}

bool TPropInfo::IsStored(TObject* Instance) const {
  if (Stored && !Stored(Instance)) return false;
  switch (Kind) {
    case tkInteger:
    case tkEnumeration:
    case tkSet:
      if (!GetOrd || !SetOrd) return false;
      return !OrdDefault || GetOrd(Instance) != *OrdDefault;
    case tkFloat:
      if (!GetFloat || !SetFloat) return false;
      return !FloatDefault || GetFloat(Instance) != *FloatDefault;
    case tkString:
      if (!GetStr || !SetStr) return false;
      return !StrDefault || GetStr(Instance) != *StrDefault;
    case tkClass:
      if (!GetObj) return false;
      return IsReference ? (SetObj && GetObj(Instance) != nullptr) : GetObj(Instance) != nullptr;
    case tkMethod: return EventAssigned && EventAssigned(Instance);
    default: return false;
  }
}

void RaiseWrongPropClass(const char* PropName, TObject* Value) {
  throw EReadError(std::string("Invalid property value: ") + PropName + " cannot hold a " + Value->ClassName());
}

// ---------------------------------------------------------------------------
// Handler and field tables.

void RegisterHandlerTable(std::type_index Root, std::function<bool(const TObject*)> IsInstance,
                          std::vector<THandlerEntry> Handlers) {
  auto& tables = Reg().handlers;
  for (auto& t : tables)
    if (t.Type == Root) {
      t.Entries.insert(t.Entries.end(), Handlers.begin(), Handlers.end());
      return;
    }
  THandlerTable t{{Root, std::move(IsInstance)}, std::move(Handlers)};
  tables.push_back(std::move(t));
}

void RegisterFieldTable(std::type_index Root, std::function<bool(const TObject*)> IsInstance,
                        std::vector<TFieldEntry> Fields) {
  auto& tables = Reg().fields;
  for (auto& t : tables)
    if (t.Type == Root) {
      t.Entries.insert(t.Entries.end(), Fields.begin(), Fields.end());
      return;
    }
  TFieldTable t{{Root, std::move(IsInstance)}, std::move(Fields)};
  tables.push_back(std::move(t));
}

const THandlerEntry* FindHandler(const TObject* Root, const std::string& Name) {
  std::string l = LowerCase(Name);
  for (const THandlerTable* t : TablesFor(Ready().handlers, Root))
    for (const THandlerEntry& e : t->Entries)
      if (LowerCase(e.Name) == l) return &e;
  return nullptr;
}

std::string FindHandlerName(TObject* Root, std::type_index EventType, const void* Event) {
  for (const THandlerTable* t : TablesFor(Ready().handlers, Root))
    for (const THandlerEntry& e : t->Entries)
      if (e.EventType == EventType && e.Matches(Root, Event)) return e.Name;
  return std::string();
}

bool AssignField(TObject* Root, const std::string& Name, TObject* Component) {
  std::string l = LowerCase(Name);
  for (const TFieldTable* t : TablesFor(Ready().fields, Root))
    for (const TFieldEntry& e : t->Entries)
      if (LowerCase(e.Name) == l) {
        if (!e.Assign(Root, Component))
          throw EReadError("Field " + Name + " of " + Root->ClassName() + " cannot hold a " +
                           (Component ? Component->ClassName() : std::string("nil")));
        return true;
      }
  return false;
}

// ---------------------------------------------------------------------------
// Classes.

const TClassInfo* TClassInfo::Parent() const {
  return ParentType ? GetClassInfo(*ParentType) : nullptr;
}

const TPropInfo* TClassInfo::FindProp(const std::string& PropName) const {
  std::string l = LowerCase(PropName);
  for (const TClassInfo* c = this; c; c = c->Parent())
    for (auto it = c->Props.rbegin(); it != c->Props.rend(); ++it)
      if (LowerCase(it->Name) == l) return &*it;
  return nullptr;
}

std::vector<const TPropInfo*> TClassInfo::AllProps() const {
  std::vector<const TClassInfo*> chain;
  for (const TClassInfo* c = this; c; c = c->Parent()) chain.push_back(c);
  std::vector<const TPropInfo*> result;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it)
    for (const TPropInfo& p : (*it)->Props) {
      std::string l = LowerCase(p.Name);
      auto same = std::find_if(result.begin(), result.end(),
                               [&](const TPropInfo* q) { return LowerCase(q->Name) == l; });
      if (same != result.end())
        *same = &p;
      else
        result.push_back(&p);
    }
  return result;
}

bool TClassInfo::InheritsFrom(const TClassInfo* Other) const {
  for (const TClassInfo* c = this; c; c = c->Parent())
    if (c == Other) return true;
  return false;
}

Integer TClassInfo::Depth() const {
  Integer d = 0;
  for (const TClassInfo* c = Parent(); c; c = c->Parent()) ++d;
  return d;
}

TClassInfo& RegisterClassInfoRaw(std::type_index Type, std::optional<std::type_index> Parent,
                                 const std::string& Name) {
  TRegistry& r = Reg();
  r.instanceCache.clear();
  auto it = r.byType.find(Type);
  TClassInfo* info;
  if (it != r.byType.end()) {
    info = it->second;
    r.byName.erase(LowerCase(info->Name));
  } else {
    r.classes.push_back(std::make_unique<TClassInfo>());
    info = r.classes.back().get();
    info->Type = Type;
    r.byType.emplace(Type, info);
  }
  info->Name = Name;
  if (Parent) info->ParentType = Parent;
  r.byName[LowerCase(Name)] = info;
  return *info;
}

const TClassInfo* GetClass(const std::string& Name) {
  auto& byName = Ready().byName;
  auto it = byName.find(LowerCase(Name));
  return it == byName.end() || !it->second->Streamable ? nullptr : it->second;
}

const TClassInfo* FindClass(const std::string& Name) {
  const TClassInfo* info = GetClass(Name);
  if (!info) throw EClassNotFound("Class " + Name + " not found");
  return info;
}

void RegisterClass(const std::string& Name) {
  auto& byName = Ready().byName;
  auto it = byName.find(LowerCase(Name));
  if (it == byName.end()) throw EClassNotFound("Class " + Name + " has no property table");
  it->second->Streamable = true;
}

void RegisterClasses(std::initializer_list<const char*> Names) {
  for (const char* n : Names) RegisterClass(n);
}

void UnRegisterClass(const std::string& Name) {
  auto& byName = Ready().byName;
  auto it = byName.find(LowerCase(Name));
  if (it != byName.end()) it->second->Streamable = false;
}

const TClassInfo* GetClassInfo(std::type_index Type) {
  auto& byType = Ready().byType;
  auto it = byType.find(Type);
  return it == byType.end() ? nullptr : it->second;
}

const TClassInfo* GetClassInfo(const TObject* Instance) {
  if (!Instance) return nullptr;
  TRegistry& r = Ready();
  std::type_index t = typeid(*Instance);
  auto cached = r.instanceCache.find(t);
  if (cached != r.instanceCache.end()) return cached->second;
  const TClassInfo* best = nullptr;
  auto own = r.byType.find(t);
  if (own != r.byType.end()) {
    best = own->second;
  } else {
    Integer bestDepth = -1;
    for (auto& c : r.classes)
      if (c->IsInstance && c->IsInstance(Instance)) {
        Integer d = c->Depth();
        if (d > bestDepth) {
          best = c.get();
          bestDepth = d;
        }
      }
  }
  r.instanceCache.emplace(t, best);
  return best;
}

// ---------------------------------------------------------------------------
// By-name access.

const TPropInfo* GetPropInfo(const TObject* Instance, const std::string& Name) {
  const TClassInfo* info = GetClassInfo(Instance);
  return info ? info->FindProp(Name) : nullptr;
}

namespace {

const TPropInfo& NeedProp(const TObject* Instance, const std::string& Name,
                          std::initializer_list<TTypeKind> Kinds) {
  const TPropInfo* p = GetPropInfo(Instance, Name);
  if (!p)
    throw EPropertyError("Property " + Name + " does not exist" +
                         (Instance ? " in " + Instance->ClassName() : std::string()));
  if (std::find(Kinds.begin(), Kinds.end(), p->Kind) == Kinds.end())
    throw EPropertyError("Property " + Name + " is of another kind");
  return *p;
}

[[noreturn]] void ReadOnly(const std::string& Name) {
  throw EPropertyError("Property " + Name + " is read-only");
}

}  // namespace

Int64 GetOrdProp(TObject* Instance, const std::string& Name) {
  return NeedProp(Instance, Name, {tkInteger, tkEnumeration, tkSet}).GetOrd(Instance);
}

void SetOrdProp(TObject* Instance, const std::string& Name, Int64 Value) {
  const TPropInfo& p = NeedProp(Instance, Name, {tkInteger, tkEnumeration, tkSet});
  if (!p.SetOrd) ReadOnly(Name);
  p.SetOrd(Instance, Value);
}

std::string GetEnumProp(TObject* Instance, const std::string& Name) {
  const TPropInfo& p = NeedProp(Instance, Name, {tkEnumeration});
  return p.Enum()->NameOf(p.GetOrd(Instance));
}

void SetEnumProp(TObject* Instance, const std::string& Name, const std::string& Value) {
  const TPropInfo& p = NeedProp(Instance, Name, {tkEnumeration});
  if (!p.SetOrd) ReadOnly(Name);
  Integer v = p.Enum()->ValueOf(Value);
  if (v < 0) throw EPropertyError("Invalid property value " + Value + " for " + Name);
  p.SetOrd(Instance, v);
}

std::string GetStrProp(TObject* Instance, const std::string& Name) {
  return NeedProp(Instance, Name, {tkString}).GetStr(Instance);
}

void SetStrProp(TObject* Instance, const std::string& Name, const std::string& Value) {
  const TPropInfo& p = NeedProp(Instance, Name, {tkString});
  if (!p.SetStr) ReadOnly(Name);
  p.SetStr(Instance, Value);
}

Extended GetFloatProp(TObject* Instance, const std::string& Name) {
  return NeedProp(Instance, Name, {tkFloat}).GetFloat(Instance);
}

void SetFloatProp(TObject* Instance, const std::string& Name, Extended Value) {
  const TPropInfo& p = NeedProp(Instance, Name, {tkFloat});
  if (!p.SetFloat) ReadOnly(Name);
  p.SetFloat(Instance, Value);
}

TObject* GetObjectProp(TObject* Instance, const std::string& Name) {
  return NeedProp(Instance, Name, {tkClass}).GetObj(Instance);
}

void SetObjectProp(TObject* Instance, const std::string& Name, TObject* Value) {
  const TPropInfo& p = NeedProp(Instance, Name, {tkClass});
  if (!p.SetObj) ReadOnly(Name);
  try {
    p.SetObj(Instance, Value);
  } catch (const EReadError& e) {
    throw EPropertyError(e.Message());
  }
}

void SetMethodProp(TObject* Instance, const std::string& Name, TObject* Root, const std::string& HandlerName) {
  const TPropInfo& p = NeedProp(Instance, Name, {tkMethod});
  void* field = p.EventField(Instance);
  if (HandlerName.empty()) {
    p.ClearEvent(Instance);
    return;
  }
  const THandlerEntry* h = FindHandler(Root, HandlerName);
  if (!h) throw EPropertyError("Handler " + HandlerName + " not found in " + (Root ? Root->ClassName() : std::string("nil")));
  if (h->EventType != *p.EventType)
    throw EPropertyError("Handler " + HandlerName + " does not fit event " + Name);
  if (!h->Bind(Root, field)) throw EPropertyError("Handler " + HandlerName + " does not belong to " + Root->ClassName());
}

std::string GetMethodProp(TObject* Instance, const std::string& Name, TObject* Root) {
  const TPropInfo& p = NeedProp(Instance, Name, {tkMethod});
  return FindHandlerName(Root, *p.EventType, p.EventField(Instance));
}
