// Published-property tables: the one description of a class's stored properties, in
// streaming order with their defaults, that both TReader and TWriter use.
//
// A table is declared once, beside the class, one line per property:
//
//   PUBLISHED_PROPERTIES(TGradient, TPersistent) {
//       PUBLISH_ENUM(GradientStyle, GradientStyleIdents, gsLine);
//       PUBLISH_INT(LineSize, 1);
//       PUBLISH_COLOR(Color1, clBlack);
//       PUBLISH_OBJECT(Font);                 // nested: "Font.Height"
//       PUBLISH_EVENT(OnChange);              // a closure field of the class
//   }
//
// The PUBLISH_ macros take the property name X and use the getter X() and the setter
// SetX(v); the trailing argument, when given, is the declared default. A property
// equal to its declared default is not written; one without a declared default always
// is (string lists and binary data: whenever they hold something; objects: whichever
// of their own properties differ; events and references: whenever assigned). For
// other accessors call the builder P directly with member pointers or lambdas:
//
//   P.Int("DataSize", &TFileStorage::DataSize, [](TFileStorage&, int32_t) {});
//
// A derived class's table is its base's table followed by its own entries; an entry
// named like one of the base replaces it in place. Entries marked Late() are written
// after all others of the whole chain (the component's design position).
//
// Method tables (published handlers of a root component, found by name when a stream
// assigns "OnClick = Button1Click"):
//
//   PUBLISHED_METHODS(TForm3, TForm) {
//       PUBLISH_METHOD(Button1Click);
//   }
#pragma once

#include <any>
#include <bitset>
#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <type_traits>
#include <typeindex>
#include <typeinfo>
#include <utility>
#include <vector>

#include "platform/classes/Component.h"
#include "platform/classes/Strings.h"

enum TPropKind {
    pkInteger,   // any integer width (range from the getter's type), vaInt8..vaInt64
    pkEnum,      // an identifier of the ident table
    pkSet,       // a set of identifiers; bit i of the mask = Idents value i
    pkBoolean,
    pkString,
    pkFloat,     // vaExtended (integer tags accepted)
    pkIdentInt,  // an integer with names (colours: "clWhite" or a number)
    pkObject,    // an owned persistent object; its properties by dotted path
    pkStrings,   // a TStrings, stored as "<Name>.Strings" = ( 'line' ... )
    pkBinary,    // bytes, vaBinary
    pkEvent,     // a closure, stored as its handler's name in the root's method table
    pkComponent, // a reference to another component, fixed up after loading
};

// Identifier <-> value pairs of an enumeration or a set (names compared case-insensitively).
struct TIdentEntry {
    int32_t Value;
    const char* Name;
};
using TIdentTable = std::vector<TIdentEntry>;
bool IdentToValue(const TIdentTable& Table, const std::string& Ident, int32_t& Value);
const char* ValueToIdent(const TIdentTable& Table, int32_t Value);

// Integer names of a type ("TColor": clBlack <-> 0), registered by the layer that owns
// the type; the filer only looks them up. Registering a name again replaces the map.
struct TIdentMap {
    std::function<bool(const std::string& Ident, int32_t& Value)> ToValue;
    std::function<bool(int32_t Value, std::string& Ident)> ToIdent;
};
void RegisterIdentMap(const std::string& TypeName, TIdentMap Map);
// Empty map (both lookups fail) when none is registered.
TIdentMap FindIdentMap(const std::string& TypeName);
// Registers a map that looks names up in Table (which must live as long as the program).
void RegisterIdentTable(const std::string& TypeName, const TIdentTable& Table);

// A closure that remembers the handler name it was bound from, so the writer can
// store it again. Closures assigned otherwise have no name and are not stored.
template <class Sig>
struct TNamedHandler;
template <class R, class... A>
struct TNamedHandler<R(A...)> {
    std::string Name;
    std::function<R(A...)> Fn;
    R operator()(A... a) const { return Fn(std::forward<A>(a)...); }
};

namespace filer_detail {
template <class E>
struct EventSig;
template <class Sig>
struct EventSig<std::function<Sig>> {
    using type = Sig;
};
template <class M>
struct MethodSig;
template <class C, class R, class... A>
struct MethodSig<R (C::*)(A...)> {
    using type = R(A...);
};
template <class T>
struct IsStdSet : std::false_type {};
template <class K, class C, class Al>
struct IsStdSet<std::set<K, C, Al>> : std::true_type {};
template <class T>
struct IsBitset : std::false_type {};
template <size_t N>
struct IsBitset<std::bitset<N>> : std::true_type {};

template <class V>
uint32_t SetToMask(const V& v)
{
    if constexpr (IsStdSet<V>::value) {
        uint32_t m = 0;
        for (auto e : v) m |= 1u << static_cast<unsigned>(e);
        return m;
    } else if constexpr (IsBitset<V>::value) {
        return static_cast<uint32_t>(v.to_ulong());
    } else {
        return static_cast<uint32_t>(v);
    }
}
template <class V>
V MaskToSet(uint32_t m)
{
    if constexpr (IsStdSet<V>::value) {
        V v;
        for (unsigned i = 0; i < 32; ++i)
            if (m & (1u << i)) v.insert(static_cast<typename V::value_type>(i));
        return v;
    } else if constexpr (IsBitset<V>::value) {
        return V(m);
    } else {
        return static_cast<V>(m);
    }
}
template <class T, class G>
decltype(auto) Get(const T& o, G g)
{
    return std::invoke(g, o);
}
template <class V, class T, class S>
void Set(T& o, S s, V&& v)
{
    if constexpr (std::is_member_object_pointer_v<S>)
        o.*s = std::forward<V>(v);
    else
        std::invoke(s, o, std::forward<V>(v));
}
template <class T, class G>
using GetResult = std::remove_cv_t<std::remove_reference_t<decltype(std::invoke(std::declval<G>(), std::declval<const T&>()))>>;
}  // namespace filer_detail

// One published property. Accessors are type-erased over the declaring class.
class TPropInfo {
public:
    std::string Name;
    TPropKind Kind = pkInteger;
    bool IsLate = false;
    // pkInteger: the range the setter accepts.
    int64_t Min = 0, Max = 0;
    const TIdentTable* Idents = nullptr;  // pkEnum, pkSet
    std::string IdentMapName;             // pkIdentInt
    std::optional<int64_t> OrdDefault;
    std::optional<double> FloatDefault;
    std::optional<std::string> StrDefault;
    std::type_index EventType = typeid(void);  // pkEvent: the std::function type
    std::function<bool(const TPersistent&)> IsStored;

    std::function<int64_t(const TPersistent&)> GetOrd;  // integer, enum, set, boolean, ident-int
    std::function<void(TPersistent&, int64_t)> SetOrd;
    std::function<double(const TPersistent&)> GetFloat;
    std::function<void(TPersistent&, double)> SetFloat;
    std::function<std::string(const TPersistent&)> GetStr;  // string, binary
    std::function<void(TPersistent&, const std::string&)> SetStr;
    std::function<TPersistent*(const TPersistent&)> GetObject;  // object, strings
    // pkEvent: the bound handler's name (empty when unassigned or unnamed) and the setter
    // taking a std::any holding the event's std::function type.
    std::function<std::string(const TPersistent&)> GetEventName;
    std::function<void(TPersistent&, const std::any&)> SetEvent;
    // pkComponent: the referenced component; the setter returns false when the
    // component is not of the property's class.
    std::function<TComponent*(const TPersistent&)> GetComponent;
    std::function<bool(TPersistent&, TComponent*)> SetComponent;

    // Builder chaining.
    template <class V>
    TPropInfo& Default(const V& v)
    {
        if constexpr (std::is_convertible_v<V, std::string> && !std::is_arithmetic_v<V>) {
            StrDefault = std::string(v);
        } else if constexpr (filer_detail::IsStdSet<V>::value || filer_detail::IsBitset<V>::value) {
            OrdDefault = filer_detail::SetToMask(v);
        } else {
            if (Kind == pkFloat) FloatDefault = static_cast<double>(v);
            else if (Kind == pkSet) OrdDefault = filer_detail::SetToMask(v);
            else OrdDefault = static_cast<int64_t>(v);
        }
        return *this;
    }
    TPropInfo& Late()
    {
        IsLate = true;
        return *this;
    }
    TPropInfo& Stored(std::function<bool(const TPersistent&)> Pred)
    {
        IsStored = std::move(Pred);
        return *this;
    }
};

// A class's table: its base's entries then its own, late entries last.
class TPropTable {
public:
    const std::vector<const TPropInfo*>& Props() const { return props_; }
    // Case-insensitive; a late entry is found only when no other has the name.
    const TPropInfo* Find(const std::string& Name) const;
    const std::string& ClassName() const { return className_; }

    // Set once by the registry when the table is built.
    void Init(std::string ClassName, std::vector<const TPropInfo*> Props)
    {
        className_ = std::move(ClassName);
        props_ = std::move(Props);
    }

private:
    std::string className_;
    std::vector<const TPropInfo*> props_;
};

// The table of the most derived registered class of Instance (an empty table when
// neither its class nor a base has one).
const TPropTable& PropTableOf(const TPersistent& Instance);

// Methods a root component publishes for its streams' event properties.
struct TMethodEntry {
    std::string Name;
    std::type_index EventType = typeid(void);
    // Makes the closure (a std::function of EventType in a std::any) bound to Root.
    std::function<std::any(TComponent& Root)> Bind;
};
// Searches Root's class and its registered bases; nullptr when absent.
const TMethodEntry* FindMethod(const TComponent& Root, const std::string& Name);

// ---- Registration ----
struct TPublishedRegistry {
    using Definer = std::function<void(std::vector<std::unique_ptr<TPropInfo>>&)>;
    using IsA = bool (*)(const TPersistent&);
    static void AddProps(std::type_index Type, std::type_index Base, const char* ClassName, IsA Test, Definer Def);
    static void AddMethods(std::type_index Type, std::type_index Base, IsA Test,
                           std::vector<TMethodEntry> (*Def)());
};

template <class T>
class TPropTableBuilder {
public:
    using Class = T;
    explicit TPropTableBuilder(std::vector<std::unique_ptr<TPropInfo>>& Out) : out_(Out) {}

    template <class G, class S>
    TPropInfo& Int(const char* Name, G Get, S Set)
    {
        using V = filer_detail::GetResult<T, G>;
        static_assert(std::is_integral_v<V> || std::is_enum_v<V>, "integer property needs an integral getter");
        using U = typename std::conditional_t<std::is_enum_v<V>, std::underlying_type<V>, std::type_identity<V>>::type;
        TPropInfo& p = Add(Name, pkInteger);
        if constexpr (std::is_same_v<U, uint64_t>) {
            p.Min = 0;
            p.Max = std::numeric_limits<int64_t>::max();
        } else {
            p.Min = static_cast<int64_t>(std::numeric_limits<U>::min());
            p.Max = static_cast<int64_t>(std::numeric_limits<U>::max());
        }
        p.GetOrd = [Get](const TPersistent& o) { return static_cast<int64_t>(filer_detail::Get(Self(o), Get)); };
        p.SetOrd = [Set](TPersistent& o, int64_t v) { filer_detail::Set(Self(o), Set, static_cast<V>(v)); };
        return p;
    }
    template <class G, class S>
    TPropInfo& Enum(const char* Name, G Get, S Set, const TIdentTable& Idents)
    {
        using V = filer_detail::GetResult<T, G>;
        TPropInfo& p = Add(Name, pkEnum);
        p.Idents = &Idents;
        p.GetOrd = [Get](const TPersistent& o) { return static_cast<int64_t>(filer_detail::Get(Self(o), Get)); };
        p.SetOrd = [Set](TPersistent& o, int64_t v) { filer_detail::Set(Self(o), Set, static_cast<V>(v)); };
        return p;
    }
    template <class G, class S>
    TPropInfo& Set(const char* Name, G Get, S Set, const TIdentTable& Idents)
    {
        using V = filer_detail::GetResult<T, G>;
        TPropInfo& p = Add(Name, pkSet);
        p.Idents = &Idents;
        p.GetOrd = [Get](const TPersistent& o) {
            return static_cast<int64_t>(filer_detail::SetToMask(filer_detail::Get(Self(o), Get)));
        };
        p.SetOrd = [Set](TPersistent& o, int64_t v) {
            filer_detail::Set(Self(o), Set, filer_detail::MaskToSet<V>(static_cast<uint32_t>(v)));
        };
        return p;
    }
    template <class G, class S>
    TPropInfo& Bool(const char* Name, G Get, S Set)
    {
        TPropInfo& p = Add(Name, pkBoolean);
        p.GetOrd = [Get](const TPersistent& o) { return static_cast<int64_t>(bool(filer_detail::Get(Self(o), Get))); };
        p.SetOrd = [Set](TPersistent& o, int64_t v) { filer_detail::Set(Self(o), Set, v != 0); };
        return p;
    }
    template <class G, class S>
    TPropInfo& String(const char* Name, G Get, S Set)
    {
        TPropInfo& p = Add(Name, pkString);
        p.GetStr = [Get](const TPersistent& o) { return std::string(filer_detail::Get(Self(o), Get)); };
        p.SetStr = [Set](TPersistent& o, const std::string& v) { filer_detail::Set(Self(o), Set, v); };
        return p;
    }
    template <class G, class S>
    TPropInfo& Float(const char* Name, G Get, S Set)
    {
        using V = filer_detail::GetResult<T, G>;
        TPropInfo& p = Add(Name, pkFloat);
        p.GetFloat = [Get](const TPersistent& o) { return static_cast<double>(filer_detail::Get(Self(o), Get)); };
        p.SetFloat = [Set](TPersistent& o, double v) { filer_detail::Set(Self(o), Set, static_cast<V>(v)); };
        return p;
    }
    // An integer whose values may have names in the ident map TypeName ("TColor").
    template <class G, class S>
    TPropInfo& IdentInt(const char* Name, const char* TypeName, G Get, S Set)
    {
        using V = filer_detail::GetResult<T, G>;
        TPropInfo& p = Add(Name, pkIdentInt);
        p.IdentMapName = TypeName;
        p.GetOrd = [Get](const TPersistent& o) {
            return static_cast<int64_t>(static_cast<int32_t>(filer_detail::Get(Self(o), Get)));
        };
        p.SetOrd = [Set](TPersistent& o, int64_t v) {
            filer_detail::Set(Self(o), Set, static_cast<V>(static_cast<int32_t>(v)));
        };
        return p;
    }
    template <class G, class S>
    TPropInfo& Color(const char* Name, G Get, S Set)
    {
        return IdentInt(Name, "TColor", Get, Set);
    }
    // An owned persistent object; the getter returns a pointer (or reference) to it.
    template <class G>
    TPropInfo& Object(const char* Name, G Get)
    {
        TPropInfo& p = Add(Name, pkObject);
        p.GetObject = [Get](const TPersistent& o) -> TPersistent* { return AsPtr(filer_detail::Get(Self(o), Get)); };
        return p;
    }
    template <class G>
    TPropInfo& Strings(const char* Name, G Get)
    {
        TPropInfo& p = Add(Name, pkStrings);
        p.GetObject = [Get](const TPersistent& o) -> TPersistent* {
            TStrings* s = AsPtr(filer_detail::Get(Self(o), Get));
            return s;
        };
        return p;
    }
    // Bytes as a std::string or std::vector<uint8_t>.
    template <class G, class S>
    TPropInfo& Binary(const char* Name, G Get, S Set)
    {
        using V = filer_detail::GetResult<T, G>;
        TPropInfo& p = Add(Name, pkBinary);
        p.GetStr = [Get](const TPersistent& o) {
            const auto& v = filer_detail::Get(Self(o), Get);
            return std::string(v.begin(), v.end());
        };
        p.SetStr = [Set](TPersistent& o, const std::string& v) { filer_detail::Set(Self(o), Set, V(v.begin(), v.end())); };
        return p;
    }
    // A closure field (TNotifyEvent OnClick;) ...
    template <class E>
    TPropInfo& Event(const char* Name, E T::*Field)
    {
        return Event(Name, [Field](const T& o) -> const E& { return o.*Field; },
                     [Field](T& o, const E& v) { o.*Field = v; });
    }
    // ... or a getter/setter pair of a std::function type.
    template <class G, class S>
    TPropInfo& Event(const char* Name, G Get, S Set)
    {
        using E = filer_detail::GetResult<T, G>;
        using Sig = typename filer_detail::EventSig<E>::type;
        TPropInfo& p = Add(Name, pkEvent);
        p.EventType = typeid(E);
        p.GetEventName = [Get](const TPersistent& o) -> std::string {
            const E& e = filer_detail::Get(Self(o), Get);
            if (const auto* h = e.template target<TNamedHandler<Sig>>()) return h->Name;
            return {};
        };
        p.SetEvent = [Set](TPersistent& o, const std::any& v) {
            filer_detail::Set(Self(o), Set, v.has_value() ? std::any_cast<const E&>(v) : E());
        };
        return p;
    }
    // A reference to a component of the getter's pointee class.
    template <class G, class S>
    TPropInfo& Component(const char* Name, G Get, S Set)
    {
        using P = filer_detail::GetResult<T, G>;
        static_assert(std::is_pointer_v<P>, "component reference getter must return a pointer");
        using C = std::remove_cv_t<std::remove_pointer_t<P>>;
        TPropInfo& p = Add(Name, pkComponent);
        p.GetComponent = [Get](const TPersistent& o) -> TComponent* {
            return const_cast<C*>(filer_detail::Get(Self(o), Get));
        };
        p.SetComponent = [Set](TPersistent& o, TComponent* c) {
            C* typed = nullptr;
            if (c) {
                typed = dynamic_cast<C*>(c);
                if (!typed) return false;
            }
            filer_detail::Set(Self(o), Set, typed);
            return true;
        };
        return p;
    }

private:
    static const T& Self(const TPersistent& o) { return static_cast<const T&>(o); }
    static T& Self(TPersistent& o) { return static_cast<T&>(o); }
    template <class X>
    static auto* AsPtr(X* p) { return const_cast<std::remove_cv_t<X>*>(p); }
    template <class X>
    static auto* AsPtr(X& r) { return const_cast<std::remove_cv_t<X>*>(&r); }
    TPropInfo& Add(const char* Name, TPropKind Kind)
    {
        out_.push_back(std::make_unique<TPropInfo>());
        out_.back()->Name = Name;
        out_.back()->Kind = Kind;
        return *out_.back();
    }
    std::vector<std::unique_ptr<TPropInfo>>& out_;
};

template <class T, class Base>
struct TPublishedRegistrar {
    explicit TPublishedRegistrar(const char* ClassName, void (*Def)(TPropTableBuilder<T>&))
    {
        static_assert(std::is_base_of_v<TPersistent, T>);
        TPublishedRegistry::AddProps(
            typeid(T), typeid(Base), ClassName,
            [](const TPersistent& o) { return dynamic_cast<const T*>(&o) != nullptr; },
            [Def](std::vector<std::unique_ptr<TPropInfo>>& out) {
                TPropTableBuilder<T> b(out);
                Def(b);
            });
    }
};

template <class T>
class TMethodTableBuilder {
public:
    using Class = T;
    template <class M>
    void Method(const char* Name, M Fn)
    {
        using Sig = typename filer_detail::MethodSig<M>::type;
        using E = std::function<Sig>;
        std::string name = Name;
        out_.push_back({name, typeid(E), [name, Fn](TComponent& Root) -> std::any {
                            T* self = dynamic_cast<T*>(&Root);
                            return E(TNamedHandler<Sig>{name, Bound<Sig>(self, Fn)});
                        }});
    }
    std::vector<TMethodEntry> out_;

private:
    template <class Sig, class M>
    static std::function<Sig> Bound(T* self, M fn)
    {
        return Make(self, fn, static_cast<Sig*>(nullptr));
    }
    template <class M, class R, class... A>
    static std::function<R(A...)> Make(T* self, M fn, R (*)(A...))
    {
        return [self, fn](A... a) -> R { return (self->*fn)(std::forward<A>(a)...); };
    }
};

template <class T, class Base>
struct TMethodRegistrar {
    explicit TMethodRegistrar(void (*Def)(TMethodTableBuilder<T>&))
    {
        static_assert(std::is_base_of_v<TComponent, T>);
        methods_ = Def;
        TPublishedRegistry::AddMethods(
            typeid(T), typeid(Base), [](const TPersistent& o) { return dynamic_cast<const T*>(&o) != nullptr; },
            []() {
                TMethodTableBuilder<T> b;
                methods_(b);
                return std::move(b.out_);
            });
    }
    static inline void (*methods_)(TMethodTableBuilder<T>&) = nullptr;
};

#define PUBLISHED_PROPERTIES(Class, Base)                                                       \
    static void PallimerDefineProps_##Class(TPropTableBuilder<Class>& P);                      \
    [[maybe_unused]] static const TPublishedRegistrar<Class, Base> pallimerPropsOf_##Class(    \
        #Class, &PallimerDefineProps_##Class);                                                  \
    static void PallimerDefineProps_##Class([[maybe_unused]] TPropTableBuilder<Class>& P)

#define PUBLISHED_METHODS(Class, Base)                                                          \
    static void PallimerDefineMethods_##Class(TMethodTableBuilder<Class>& M);                  \
    [[maybe_unused]] static const TMethodRegistrar<Class, Base> pallimerMethodsOf_##Class(     \
        &PallimerDefineMethods_##Class);                                                        \
    static void PallimerDefineMethods_##Class([[maybe_unused]] TMethodTableBuilder<Class>& M)

#define PALLIMER_PCLASS std::remove_reference_t<decltype(P)>::Class
#define PALLIMER_DEFAULT(...) __VA_OPT__(.Default(__VA_ARGS__))
// Getters go through a lambda on a const object, so a const/non-const overload pair resolves.
#define PALLIMER_GETTER(Name) [](const PALLIMER_PCLASS& o) -> decltype(auto) { return o.Name(); }
#define PUBLISH_INT(Name, ...) \
    P.Int(#Name, PALLIMER_GETTER(Name), &PALLIMER_PCLASS::Set##Name) PALLIMER_DEFAULT(__VA_ARGS__)
#define PUBLISH_ENUM(Name, Idents, ...) \
    P.Enum(#Name, PALLIMER_GETTER(Name), &PALLIMER_PCLASS::Set##Name, Idents) PALLIMER_DEFAULT(__VA_ARGS__)
#define PUBLISH_SET(Name, Idents, ...) \
    P.Set(#Name, PALLIMER_GETTER(Name), &PALLIMER_PCLASS::Set##Name, Idents) PALLIMER_DEFAULT(__VA_ARGS__)
#define PUBLISH_BOOL(Name, ...) \
    P.Bool(#Name, PALLIMER_GETTER(Name), &PALLIMER_PCLASS::Set##Name) PALLIMER_DEFAULT(__VA_ARGS__)
#define PUBLISH_STRING(Name, ...) \
    P.String(#Name, PALLIMER_GETTER(Name), &PALLIMER_PCLASS::Set##Name) PALLIMER_DEFAULT(__VA_ARGS__)
#define PUBLISH_FLOAT(Name, ...) \
    P.Float(#Name, PALLIMER_GETTER(Name), &PALLIMER_PCLASS::Set##Name) PALLIMER_DEFAULT(__VA_ARGS__)
#define PUBLISH_COLOR(Name, ...) \
    P.Color(#Name, PALLIMER_GETTER(Name), &PALLIMER_PCLASS::Set##Name) PALLIMER_DEFAULT(__VA_ARGS__)
#define PUBLISH_OBJECT(Name) P.Object(#Name, PALLIMER_GETTER(Name))
#define PUBLISH_STRINGS(Name) P.Strings(#Name, PALLIMER_GETTER(Name))
#define PUBLISH_BINARY(Name) P.Binary(#Name, PALLIMER_GETTER(Name), &PALLIMER_PCLASS::Set##Name)
#define PUBLISH_EVENT(Name) P.Event(#Name, &PALLIMER_PCLASS::Name)
#define PUBLISH_COMPONENT(Name) P.Component(#Name, PALLIMER_GETTER(Name), &PALLIMER_PCLASS::Set##Name)
#define PUBLISH_METHOD(Name) M.Method(#Name, &std::remove_reference_t<decltype(M)>::Class::Name)
