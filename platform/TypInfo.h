// Run-time type information for streaming: per-class tables of published
// properties, the class registry (by class name), enumeration names, handler
// tables that bind event properties by method name, and by-name property access.
//
// A class enters its published properties once, usually next to its
// constructor so the registration is linked whenever the class is:
//
//   static const bool registered = [] {
//     RegisterEnum<TAlign>("TAlign", {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"});
//     RegisterClassInfo<TButton, TButtonControl>("TButton")
//         .Int("Left", &TControl::Left, &TControl::SetLeft, 0)
//         .Enum("Align", &TControl::Align, &TControl::SetAlign, alNone)
//         .Set<TAnchorKind>("Anchors", &TControl::Anchors, &TControl::SetAnchors, TAnchors{akLeft, akTop})
//         .Bool("Default", &TButton::Default, &TButton::SetDefault, false)
//         .Color("Color", &TControl::Color, &TControl::SetColor, clBtnFace)
//         .Str("Caption", &TControl::Caption, &TControl::SetCaption)
//         .Object("Font", &TControl::Font)                      // nested object (or collection)
//         .Ref("PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu)  // component reference
//         .Event("OnClick", &TControl::OnClick);
//     return true;
//   }();
//
// Component classes that can be default-constructed with an owner
// (`T(TComponent* AOwner)`) get a factory automatically and can be created by
// the form reader. Getters and setters may be member functions of a base class
// or any callable taking `C*` (and the value).
//
// A form lists its event handlers and component fields once:
//   RegisterHandlers<TfrmMain>({{"FormCreate", &TfrmMain::FormCreate}, {"btnOKClick", &TfrmMain::btnOKClick}});
//   RegisterFields<TfrmMain>({{"btnOK", &TfrmMain::btnOK}, {"lblInfo", &TfrmMain::lblInfo}});
#pragma once

#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <type_traits>
#include <typeindex>
#include <typeinfo>
#include <vector>

#include "platform/System.h"

class TComponent;
class TFiler;

enum TTypeKind {
  tkUnknown,
  tkInteger,      // Integer, Int64, Word..., colours (with identifiers)
  tkEnumeration,  // enumerations and Boolean (False/True)
  tkSet,          // set of an enumeration, stored as a bit mask
  tkFloat,
  tkString,
  tkClass,        // nested persistent object or component reference
  tkMethod        // event
};

// Names of an enumeration's values, by ordinal (the name's index).
struct TEnumInfo {
  std::string TypeName;
  std::vector<std::string> Names;
  // -1 when the name is not a value of the type (case-insensitive).
  Integer ValueOf(const std::string& Name) const;
  // Empty for an ordinal outside the type.
  std::string NameOf(Int64 Value) const;
};

// Registers the value names of an enumeration; returns the stored table.
const TEnumInfo& RegisterEnumInfo(std::type_index Type, const std::string& TypeName,
                                  std::vector<std::string> Names);
// The registered names of an enumeration type, or nullptr.
const TEnumInfo* FindEnumInfo(std::type_index Type);

template <class E>
const TEnumInfo& RegisterEnum(const std::string& TypeName, std::initializer_list<const char*> Names) {
  return RegisterEnumInfo(typeid(E), TypeName, std::vector<std::string>(Names.begin(), Names.end()));
}
// The name of an enumeration value ("alClient").
template <class E>
std::string GetEnumName(E Value) {
  const TEnumInfo* info = FindEnumInfo(typeid(E));
  return info ? info->NameOf(static_cast<Int64>(Value)) : std::string();
}
// The value of a name; raises EConvertError for a name that is not one.
Integer GetEnumValue(std::type_index Type, const std::string& Name);
template <class E>
E GetEnumValue(const std::string& Name) {
  return static_cast<E>(GetEnumValue(typeid(E), Name));
}

// Identifiers for integer values (colours, cursors): "clBtnFace" <-> value.
struct TIdentMapper {
  std::function<bool(const std::string& Ident, Int64& Value)> ToInt;
  std::function<bool(Int64 Value, std::string& Ident)> ToIdent;
};
void RegisterIntegerConsts(const std::string& TypeName, TIdentMapper Mapper);
const TIdentMapper* FindIntegerConsts(const std::string& TypeName);

// Conversion of set-typed values to and from a bit mask (bit n = ordinal n).
// Works for integral masks and for classes with `Bits()` and static
// `FromBits(bits)` (TEnumSet); specialise for others.
template <class S, class = void>
struct TSetTraits {
  static uint64_t ToBits(const S& s) { return static_cast<uint64_t>(s); }
  static S FromBits(uint64_t b) { return static_cast<S>(b); }
};
template <class S>
struct TSetTraits<S, std::void_t<decltype(std::declval<const S&>().Bits()), decltype(S::FromBits(0))>> {
  static uint64_t ToBits(const S& s) { return static_cast<uint64_t>(s.Bits()); }
  static S FromBits(uint64_t b) { return S::FromBits(static_cast<decltype(std::declval<const S&>().Bits())>(b)); }
};

// ---------------------------------------------------------------------------
// A published property. Accessors work on the object as TObject*.
struct TPropInfo {
  std::string Name;
  TTypeKind Kind = tkUnknown;
  // tkEnumeration/tkSet: the enumeration (of the set's elements).
  std::optional<std::type_index> EnumType;
  // tkInteger: the name of the identifier table used for the value ("TColor").
  std::string IdentType;
  // tkClass: true for a reference to another component (stored by name),
  // false for a nested object owned by the instance (stored by its properties).
  bool IsReference = false;
  // tkMethod: the TEvent type of the event member.
  std::optional<std::type_index> EventType;

  std::function<Int64(TObject*)> GetOrd;
  std::function<void(TObject*, Int64)> SetOrd;
  std::function<Extended(TObject*)> GetFloat;
  std::function<void(TObject*, Extended)> SetFloat;
  std::function<std::string(TObject*)> GetStr;
  std::function<void(TObject*, const std::string&)> SetStr;
  std::function<TObject*(TObject*)> GetObj;
  std::function<void(TObject*, TObject*)> SetObj;  // raises EReadError for an object of the wrong class
  std::function<void*(TObject*)> EventField;       // address of the TEvent member
  std::function<bool(TObject*)> EventAssigned;
  std::function<void(TObject*)> ClearEvent;

  // Values equal to the default are not written; no default: always written.
  std::optional<Int64> OrdDefault;
  std::optional<Extended> FloatDefault;
  std::optional<std::string> StrDefault;
  // When set, decides whether the value is written at all.
  std::function<bool(TObject*)> Stored;

  bool Writable() const;
  const TEnumInfo* Enum() const;  // tkEnumeration/tkSet; raises when the type has no names
  // Whether the writer stores the property of Instance (stored flag and default).
  bool IsStored(TObject* Instance) const;
};

// ---------------------------------------------------------------------------
// Handler tables (events bound by method name) and field tables.
struct THandlerEntry {
  std::string Name;
  std::type_index EventType = typeid(void);
  // Stores a bound method of Root into the TEvent at Event (false: Root is
  // not of the handler's class).
  std::function<bool(TObject* Root, void* Event)> Bind;
  // Whether the TEvent at Event is this handler bound to Root.
  std::function<bool(TObject* Root, const void* Event)> Matches;

  template <class C, class... A>
  THandlerEntry(const char* AName, void (C::*Method)(A...))
      : Name(AName), EventType(typeid(TEvent<A...>)) {
    Bind = [Method](TObject* root, void* ev) {
      C* c = dynamic_cast<C*>(root);
      if (!c) return false;
      *static_cast<TEvent<A...>*>(ev) = TEvent<A...>(c, Method);
      return true;
    };
    Matches = [Method](TObject* root, const void* ev) {
      C* c = dynamic_cast<C*>(root);
      return c && *static_cast<const TEvent<A...>*>(ev) == TEvent<A...>(c, Method);
    };
  }
};

struct TFieldEntry {
  std::string Name;
  // Stores Component into the field of Root; false when the class does not fit.
  std::function<bool(TObject* Root, TObject* Component)> Assign;
  std::string FieldClass;  // C++ type name, for messages

  template <class C, class F>
  TFieldEntry(const char* AName, F* C::*Field) : Name(AName), FieldClass(typeid(F).name()) {
    Assign = [Field](TObject* root, TObject* comp) {
      C* c = dynamic_cast<C*>(root);
      F* f = comp ? dynamic_cast<F*>(comp) : nullptr;
      if (!c || (comp && !f)) return false;
      c->*Field = f;
      return true;
    };
  }
};

void RegisterHandlerTable(std::type_index Root, std::function<bool(const TObject*)> IsInstance,
                          std::vector<THandlerEntry> Handlers);
void RegisterFieldTable(std::type_index Root, std::function<bool(const TObject*)> IsInstance,
                        std::vector<TFieldEntry> Fields);

template <class R>
void RegisterHandlers(std::initializer_list<THandlerEntry> Handlers) {
  RegisterHandlerTable(typeid(R), [](const TObject* o) { return dynamic_cast<const R*>(o) != nullptr; },
                       std::vector<THandlerEntry>(Handlers));
}
template <class R>
void RegisterFields(std::initializer_list<TFieldEntry> Fields) {
  RegisterFieldTable(typeid(R), [](const TObject* o) { return dynamic_cast<const R*>(o) != nullptr; },
                     std::vector<TFieldEntry>(Fields));
}

// The handler of Root called Name (most derived table first), or nullptr.
const THandlerEntry* FindHandler(const TObject* Root, const std::string& Name);
// The name of the handler of Root bound in the event at Event of type
// EventType; empty when none is.
std::string FindHandlerName(TObject* Root, std::type_index EventType, const void* Event);
// Stores Component into Root's field called Name, if Root's class has one;
// raises EReadError when the component's class does not fit the field.
bool AssignField(TObject* Root, const std::string& Name, TObject* Component);

// ---------------------------------------------------------------------------
// Per-class information.
class TClassInfo {
 public:
  std::string Name;
  std::type_index Type = typeid(void);
  std::optional<std::type_index> ParentType;
  // Creates an instance with the given owner; empty for classes that the
  // reader cannot create (non-components, abstract classes).
  std::function<TComponent*(TComponent* Owner)> Factory;
  std::function<bool(const TObject*)> IsInstance;
  // Properties declared by this class (parents' come first when enumerating).
  std::vector<TPropInfo> Props;
  // Values stored under names that are not properties, for classes that do
  // not override DefineProperties themselves (called after DefineProperties).
  std::vector<std::function<void(TObject*, TFiler*)>> DefineHooks;
  // Findable by name for the reader (RegisterClass/UnRegisterClass).
  bool Streamable = true;

  const TClassInfo* Parent() const;
  // Property by name (case-insensitive), this class first, then the parents.
  const TPropInfo* FindProp(const std::string& PropName) const;
  // All properties, the root class's first, in registration order; a
  // property redeclared by a descendant replaces the ancestor's in place.
  std::vector<const TPropInfo*> AllProps() const;
  bool InheritsFrom(const TClassInfo* Other) const;
  Integer Depth() const;
};

TClassInfo& RegisterClassInfoRaw(std::type_index Type, std::optional<std::type_index> Parent,
                                 const std::string& Name);

// Builder returned by RegisterClassInfo; each call adds a property.
template <class C>
class TClassBuilder {
 public:
  explicit TClassBuilder(TClassInfo& Info) : info_(&Info) {}
  TClassInfo& Info() const { return *info_; }

  template <class G, class S = std::nullptr_t>
  TClassBuilder& Int(const char* Name, G Get, S Set = nullptr, std::optional<Int64> Default = std::nullopt) {
    TPropInfo& p = Add(Name, tkInteger);
    AddOrd(p, Get, Set);
    p.OrdDefault = Default;
    return *this;
  }
  // An integer shown by identifiers of IdentType when it has one (colours, cursors).
  template <class G, class S = std::nullptr_t>
  TClassBuilder& IntIdent(const char* Name, const char* IdentType, G Get, S Set = nullptr,
                          std::optional<Int64> Default = std::nullopt) {
    Int(Name, Get, Set, Default);
    info_->Props.back().IdentType = IdentType;
    return *this;
  }
  template <class G, class S = std::nullptr_t>
  TClassBuilder& Color(const char* Name, G Get, S Set = nullptr, std::optional<Int64> Default = std::nullopt) {
    return IntIdent(Name, "TColor", Get, Set, Default);
  }
  template <class G, class S = std::nullptr_t>
  TClassBuilder& Bool(const char* Name, G Get, S Set = nullptr, std::optional<bool> Default = std::nullopt) {
    TPropInfo& p = Add(Name, tkEnumeration);
    p.EnumType = std::type_index(typeid(bool));
    AddOrd(p, Get, Set);
    if (Default) p.OrdDefault = *Default ? 1 : 0;
    return *this;
  }
  // An enumeration; its names come from RegisterEnum of the getter's type.
  template <class G, class S = std::nullptr_t>
  TClassBuilder& Enum(const char* Name, G Get, S Set = nullptr,
                      std::optional<std::decay_t<std::invoke_result_t<G, C*>>> Default = std::nullopt) {
    using V = std::decay_t<std::invoke_result_t<G, C*>>;
    TPropInfo& p = Add(Name, tkEnumeration);
    p.EnumType = std::type_index(typeid(V));
    AddOrd(p, Get, Set);
    if (Default) p.OrdDefault = static_cast<Int64>(*Default);
    return *this;
  }
  // A set of the enumeration E (names from RegisterEnum<E>).
  template <class E, class G, class S = std::nullptr_t>
  TClassBuilder& Set(const char* Name, G Get, S Set_ = nullptr,
                     std::optional<std::decay_t<std::invoke_result_t<G, C*>>> Default = std::nullopt) {
    using V = std::decay_t<std::invoke_result_t<G, C*>>;
    TPropInfo& p = Add(Name, tkSet);
    p.EnumType = std::type_index(typeid(E));
    p.GetOrd = [Get](TObject* o) {
      return static_cast<Int64>(TSetTraits<V>::ToBits(std::invoke(Get, Cast(o))));
    };
    if constexpr (!std::is_same_v<S, std::nullptr_t>)
      p.SetOrd = [Set_](TObject* o, Int64 v) {
        std::invoke(Set_, Cast(o), TSetTraits<V>::FromBits(static_cast<uint64_t>(v)));
      };
    if (Default) p.OrdDefault = static_cast<Int64>(TSetTraits<V>::ToBits(*Default));
    return *this;
  }
  template <class G, class S = std::nullptr_t>
  TClassBuilder& Float(const char* Name, G Get, S Set = nullptr, std::optional<Extended> Default = std::nullopt) {
    using V = std::decay_t<std::invoke_result_t<G, C*>>;
    TPropInfo& p = Add(Name, tkFloat);
    p.GetFloat = [Get](TObject* o) { return static_cast<Extended>(std::invoke(Get, Cast(o))); };
    if constexpr (!std::is_same_v<S, std::nullptr_t>)
      p.SetFloat = [Set](TObject* o, Extended v) { std::invoke(Set, Cast(o), static_cast<V>(v)); };
    p.FloatDefault = Default;
    return *this;
  }
  template <class G, class S = std::nullptr_t>
  TClassBuilder& Str(const char* Name, G Get, S Set = nullptr,
                     std::optional<std::string> Default = std::string()) {
    TPropInfo& p = Add(Name, tkString);
    p.GetStr = [Get](TObject* o) { return std::string(std::invoke(Get, Cast(o))); };
    if constexpr (!std::is_same_v<S, std::nullptr_t>)
      p.SetStr = [Set](TObject* o, const std::string& v) { std::invoke(Set, Cast(o), v); };
    p.StrDefault = std::move(Default);
    return *this;
  }
  // A nested object owned by the instance (font, string list, collection):
  // the reader sets its properties ("Font.Style = [fsBold]"), the writer stores
  // them the same way. With a setter, the whole value can also be assigned.
  template <class G, class S = std::nullptr_t>
  TClassBuilder& Object(const char* Name, G Get, S Set = nullptr) {
    TPropInfo& p = AddObj(Name, Get, Set);
    p.IsReference = false;
    return *this;
  }
  // A reference to a component (stored by its name, resolved after loading).
  template <class G, class S>
  TClassBuilder& Ref(const char* Name, G Get, S Set) {
    TPropInfo& p = AddObj(Name, Get, Set);
    p.IsReference = true;
    return *this;
  }
  // An event member (a TEvent data member, or a callable returning a reference to one).
  template <class F>
  TClassBuilder& Event(const char* Name, F Field) {
    using EvRef = std::invoke_result_t<F, C*>;
    using Ev = std::decay_t<EvRef>;
    TPropInfo& p = Add(Name, tkMethod);
    p.EventType = std::type_index(typeid(Ev));
    p.EventField = [Field](TObject* o) -> void* { return &std::invoke(Field, Cast(o)); };
    p.EventAssigned = [Field](TObject* o) { return static_cast<bool>(std::invoke(Field, Cast(o))); };
    p.ClearEvent = [Field](TObject* o) { std::invoke(Field, Cast(o)) = Ev(); };
    return *this;
  }
  // Only write the last property when Pred says so.
  TClassBuilder& Stored(std::function<bool(C*)> Pred) {
    info_->Props.back().Stored = [Pred](TObject* o) { return Pred(Cast(o)); };
    return *this;
  }
  // Values stored under names that are not properties (see TFiler).
  TClassBuilder& Define(std::function<void(C*, TFiler*)> Hook) {
    info_->DefineHooks.push_back([Hook](TObject* o, TFiler* f) { Hook(Cast(o), f); });
    return *this;
  }

 private:
  static C* Cast(TObject* o) { return static_cast<C*>(o); }
  TPropInfo& Add(const char* Name, TTypeKind Kind) {
    info_->Props.emplace_back();
    TPropInfo& p = info_->Props.back();
    p.Name = Name;
    p.Kind = Kind;
    return p;
  }
  template <class G, class S>
  void AddOrd(TPropInfo& p, G Get, S Set) {
    using V = std::decay_t<std::invoke_result_t<G, C*>>;
    p.GetOrd = [Get](TObject* o) { return static_cast<Int64>(std::invoke(Get, Cast(o))); };
    if constexpr (!std::is_same_v<S, std::nullptr_t>)
      p.SetOrd = [Set](TObject* o, Int64 v) { std::invoke(Set, Cast(o), static_cast<V>(v)); };
  }
  template <class G, class S>
  TPropInfo& AddObj(const char* Name, G Get, S Set) {
    using V = std::remove_pointer_t<std::decay_t<std::invoke_result_t<G, C*>>>;
    TPropInfo& p = Add(Name, tkClass);
    p.GetObj = [Get](TObject* o) -> TObject* { return std::invoke(Get, Cast(o)); };
    if constexpr (!std::is_same_v<S, std::nullptr_t>)
      p.SetObj = [Set, Name](TObject* o, TObject* v) {
        V* tv = v ? dynamic_cast<V*>(v) : nullptr;
        if (v && !tv) ThrowWrongClass(Name, v);
        std::invoke(Set, Cast(o), tv);
      };
    return p;
  }
  [[noreturn]] static void ThrowWrongClass(const char* PropName, TObject* Value);

  TClassInfo* info_;
};

[[noreturn]] void RaiseWrongPropClass(const char* PropName, TObject* Value);
template <class C>
void TClassBuilder<C>::ThrowWrongClass(const char* PropName, TObject* Value) {
  RaiseWrongPropClass(PropName, Value);
}

// Enters class C (derived from Parent, which may be void for a root class)
// under Name. Calling it again for the same class adds to its table.
template <class C, class Parent = void>
TClassBuilder<C> RegisterClassInfo(const std::string& Name) {
  std::optional<std::type_index> parent;
  if constexpr (!std::is_void_v<Parent>) {
    static_assert(std::is_base_of_v<Parent, C>);
    parent = std::type_index(typeid(Parent));
  }
  TClassInfo& info = RegisterClassInfoRaw(typeid(C), parent, Name);
  info.IsInstance = [](const TObject* o) { return dynamic_cast<const C*>(o) != nullptr; };
  if constexpr (std::is_constructible_v<C, TComponent*> && !std::is_abstract_v<C>)
    info.Factory = [](TComponent* owner) -> TComponent* { return new C(owner); };
  return TClassBuilder<C>(info);
}

// ---------------------------------------------------------------------------
// Lookup.

// The class registered under Name (case-insensitive) and streamable; nullptr when none.
const TClassInfo* GetClass(const std::string& Name);
// As GetClass, but raises EClassNotFound ("Class TFoo not found").
const TClassInfo* FindClass(const std::string& Name);
// Makes registered classes findable by name again, or hides them from the reader.
void RegisterClass(const std::string& Name);
void RegisterClasses(std::initializer_list<const char*> Names);
void UnRegisterClass(const std::string& Name);
// The registered class info of C, or nullptr.
const TClassInfo* GetClassInfo(std::type_index Type);
template <class C>
const TClassInfo* ClassInfoOf() { return GetClassInfo(typeid(C)); }
// The class info of an object: its own class when registered, else the
// nearest registered ancestor; nullptr when none is registered.
const TClassInfo* GetClassInfo(const TObject* Instance);

// The property Name of Instance (case-insensitive), or nullptr.
const TPropInfo* GetPropInfo(const TObject* Instance, const std::string& Name);
// By-name access; raises EPropertyError for a missing property or a
// property of another kind.
Int64 GetOrdProp(TObject* Instance, const std::string& Name);
void SetOrdProp(TObject* Instance, const std::string& Name, Int64 Value);
std::string GetEnumProp(TObject* Instance, const std::string& Name);
void SetEnumProp(TObject* Instance, const std::string& Name, const std::string& Value);
std::string GetStrProp(TObject* Instance, const std::string& Name);
void SetStrProp(TObject* Instance, const std::string& Name, const std::string& Value);
Extended GetFloatProp(TObject* Instance, const std::string& Name);
void SetFloatProp(TObject* Instance, const std::string& Name, Extended Value);
TObject* GetObjectProp(TObject* Instance, const std::string& Name);
void SetObjectProp(TObject* Instance, const std::string& Name, TObject* Value);
// Binds the event Name of Instance to Root's handler HandlerName (empty:
// clears it); raises EPropertyError for an unknown handler or a handler of
// another signature.
void SetMethodProp(TObject* Instance, const std::string& Name, TObject* Root, const std::string& HandlerName);
// The name of Root's handler bound to the event Name of Instance, or empty.
std::string GetMethodProp(TObject* Instance, const std::string& Name, TObject* Root);

T_DECLARE_EXCEPTION(EPropertyError, Exception)

// Registers the published properties of the platform's own classes; called
// once, before the first lookup.
void RegisterPlatformClasses();
