#include "platform/classes/Published.h"

#include <map>
#include <mutex>

#include "platform/classes/ClassRegistry.h"
#include "platform/rtl/StrUtils.h"

bool IdentToValue(const TIdentTable& Table, const std::string& Ident, int32_t& Value)
{
    for (const TIdentEntry& e : Table)
        if (SameText(e.Name, Ident)) {
            Value = e.Value;
            return true;
        }
    return false;
}

const char* ValueToIdent(const TIdentTable& Table, int32_t Value)
{
    for (const TIdentEntry& e : Table)
        if (e.Value == Value) return e.Name;
    return nullptr;
}

const TPropInfo* TPropTable::Find(const std::string& Name) const
{
    const TPropInfo* late = nullptr;
    for (const TPropInfo* p : props_)
        if (SameText(p->Name, Name)) {
            if (!p->IsLate) return p;
            if (!late) late = p;
        }
    return late;
}

namespace {

struct PropClass {
    std::type_index base = typeid(void);
    std::string name;
    TPublishedRegistry::IsA isA = nullptr;
    TPublishedRegistry::Definer define;
    std::vector<std::unique_ptr<TPropInfo>> own;  // filled when the table is built
    std::unique_ptr<TPropTable> table;
};

struct MethodClass {
    std::type_index base = typeid(void);
    TPublishedRegistry::IsA isA = nullptr;
    std::vector<TMethodEntry> (*define)() = nullptr;
    bool built = false;
    std::vector<TMethodEntry> own;
};

struct Tables {
    std::recursive_mutex lock;
    std::map<std::type_index, PropClass> props;
    std::map<std::type_index, MethodClass> methods;
    // Dynamic type of an instance -> registered class whose table it uses.
    std::map<std::type_index, const TPropTable*> propCache;
    std::map<std::type_index, std::type_index> methodCache;
    TPropTable empty;
    std::map<std::string, TIdentMap, TCaseLess> identMaps;
};

Tables& TheTables()
{
    static Tables* t = new Tables;
    return *t;
}

const TPropTable& BuildTable(Tables& t, std::type_index type)
{
    PropClass& pc = t.props.at(type);
    if (pc.table) return *pc.table;
    auto table = std::make_unique<TPropTable>();
    std::vector<const TPropInfo*> normal, late;
    if (t.props.count(pc.base)) {
        for (const TPropInfo* p : BuildTable(t, pc.base).Props()) (p->IsLate ? late : normal).push_back(p);
    }
    pc.define(pc.own);
    for (const auto& up : pc.own) {
        const TPropInfo* p = up.get();
        auto& list = p->IsLate ? late : normal;
        bool replaced = false;
        for (auto& q : list)
            if (SameText(q->Name, p->Name)) {
                q = p;
                replaced = true;
                break;
            }
        if (!replaced) list.push_back(p);
    }
    normal.insert(normal.end(), late.begin(), late.end());
    table->Init(pc.name, std::move(normal));
    pc.table = std::move(table);
    return *pc.table;
}

template <class Map>
int Depth(const Map& m, std::type_index type)
{
    int d = 0;
    for (auto it = m.find(type); it != m.end() && d < 1000; it = m.find(it->second.base)) ++d;
    return d;
}

}  // namespace

void TPublishedRegistry::AddProps(std::type_index Type, std::type_index Base, const char* ClassName, IsA Test,
                                  Definer Def)
{
    Tables& t = TheTables();
    std::lock_guard<std::recursive_mutex> g(t.lock);
    PropClass& pc = t.props[Type];
    pc.base = Base;
    pc.name = ClassName;
    pc.isA = Test;
    pc.define = std::move(Def);
    pc.own.clear();
    pc.table.reset();
    t.propCache.clear();
}

void TPublishedRegistry::AddMethods(std::type_index Type, std::type_index Base, IsA Test,
                                    std::vector<TMethodEntry> (*Def)())
{
    Tables& t = TheTables();
    std::lock_guard<std::recursive_mutex> g(t.lock);
    MethodClass& mc = t.methods[Type];
    mc.base = Base;
    mc.isA = Test;
    mc.define = Def;
    mc.built = false;
    mc.own.clear();
    t.methodCache.clear();
}

const TPropTable& PropTableOf(const TPersistent& Instance)
{
    Tables& t = TheTables();
    std::lock_guard<std::recursive_mutex> g(t.lock);
    std::type_index dyn = typeid(Instance);
    auto cached = t.propCache.find(dyn);
    if (cached != t.propCache.end()) return *cached->second;
    const TPropTable* result = &t.empty;
    if (t.props.count(dyn)) {
        result = &BuildTable(t, dyn);
    } else {
        // The most derived registered class the instance belongs to.
        int best = -1;
        for (auto& [type, pc] : t.props) {
            if (!pc.isA(Instance)) continue;
            int d = Depth(t.props, type);
            if (d > best) {
                best = d;
                result = &BuildTable(t, type);
            }
        }
    }
    t.propCache[dyn] = result;
    return *result;
}

const TMethodEntry* FindMethod(const TComponent& Root, const std::string& Name)
{
    Tables& t = TheTables();
    std::lock_guard<std::recursive_mutex> g(t.lock);
    std::type_index dyn = typeid(Root);
    std::type_index start = typeid(void);
    auto cached = t.methodCache.find(dyn);
    if (cached != t.methodCache.end()) {
        start = cached->second;
    } else {
        if (t.methods.count(dyn)) {
            start = dyn;
        } else {
            int best = -1;
            for (auto& [type, mc] : t.methods)
                if (mc.isA(Root)) {
                    int d = Depth(t.methods, type);
                    if (d > best) {
                        best = d;
                        start = type;
                    }
                }
        }
        t.methodCache.emplace(dyn, start);
    }
    int guard = 0;
    for (auto it = t.methods.find(start); it != t.methods.end() && guard < 1000; it = t.methods.find(it->second.base), ++guard) {
        MethodClass& mc = it->second;
        if (!mc.built) {
            mc.own = mc.define();
            mc.built = true;
        }
        for (const TMethodEntry& e : mc.own)
            if (SameText(e.Name, Name)) return &e;
    }
    return nullptr;
}

void RegisterIdentTable(const std::string& TypeName, const TIdentTable& Table)
{
    TIdentMap map;
    map.ToValue = [&Table](const std::string& Ident, int32_t& Value) { return IdentToValue(Table, Ident, Value); };
    map.ToIdent = [&Table](int32_t Value, std::string& Ident) {
        const char* n = ValueToIdent(Table, Value);
        if (!n) return false;
        Ident = n;
        return true;
    };
    RegisterIdentMap(TypeName, std::move(map));
}

void RegisterIdentMap(const std::string& TypeName, TIdentMap Map)
{
    Tables& t = TheTables();
    std::lock_guard<std::recursive_mutex> g(t.lock);
    t.identMaps[TypeName] = std::move(Map);
}

TIdentMap FindIdentMap(const std::string& TypeName)
{
    Tables& t = TheTables();
    std::lock_guard<std::recursive_mutex> g(t.lock);
    auto it = t.identMaps.find(TypeName);
    if (it != t.identMaps.end()) return it->second;
    TIdentMap none;
    none.ToValue = [](const std::string&, int32_t&) { return false; };
    none.ToIdent = [](int32_t, std::string&) { return false; };
    return none;
}

// The component's own stored properties. Its design position goes last, and only for
// a component that has one (controls publish their own Left and Top).
PUBLISHED_PROPERTIES(TComponent, TPersistent)
{
    PUBLISH_INT(Tag, 0);
    P.Int(
         "Left", [](const TComponent& c) { return static_cast<int16_t>(c.DesignInfo() & 0xFFFF); },
         [](TComponent& c, int16_t v) {
             c.SetDesignInfo(static_cast<int32_t>((static_cast<uint32_t>(c.DesignInfo()) & 0xFFFF0000u) |
                                                  static_cast<uint16_t>(v)));
         })
        .Default(0)
        .Late();
    P.Int(
         "Top", [](const TComponent& c) { return static_cast<int16_t>(static_cast<uint32_t>(c.DesignInfo()) >> 16); },
         [](TComponent& c, int16_t v) {
             c.SetDesignInfo(static_cast<int32_t>((static_cast<uint32_t>(c.DesignInfo()) & 0xFFFFu) |
                                                  (static_cast<uint32_t>(static_cast<uint16_t>(v)) << 16)));
         })
        .Default(0)
        .Late();
}
