#include "platform/classes/ClassRegistry.h"

#include <mutex>

#include "platform/classes/Filer.h"
#include "platform/rtl/StrUtils.h"

bool TCaseLess::operator()(const std::string& a, const std::string& b) const
{
    return CompareText(a, b) < 0;
}

namespace {

struct Registry {
    std::mutex lock;
    std::map<std::string, TComponentFactory, TCaseLess> classes;
    std::map<std::string, TDesignStateLoader, TCaseLess> states;
};

// Constructed on first use, so registrars of other translation units may run first.
Registry& TheRegistry()
{
    static Registry* r = new Registry;
    return *r;
}

}  // namespace

void RegisterComponentClass(const std::string& ClassName, TComponentFactory Factory)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> g(r.lock);
    r.classes[ClassName] = std::move(Factory);
}

void UnregisterComponentClass(const std::string& ClassName)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> g(r.lock);
    r.classes.erase(ClassName);
}

bool IsClassRegistered(const std::string& ClassName)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> g(r.lock);
    return r.classes.count(ClassName) != 0;
}

TComponent* CreateComponentOfClass(const std::string& ClassName, TComponent* Owner)
{
    TComponentFactory f;
    {
        Registry& r = TheRegistry();
        std::lock_guard<std::mutex> g(r.lock);
        auto it = r.classes.find(ClassName);
        if (it == r.classes.end()) throw EClassNotFound("Class " + ClassName + " not found");
        f = it->second;
    }
    return f(Owner);
}

std::vector<std::string> RegisteredClassNames()
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> g(r.lock);
    std::vector<std::string> out;
    for (auto& [name, f] : r.classes) out.push_back(name);
    return out;
}

void RegisterDesignState(const std::string& ClassName, TDesignStateLoader Loader)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> g(r.lock);
    r.states[ClassName] = std::move(Loader);
}

void UnregisterDesignState(const std::string& ClassName)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> g(r.lock);
    r.states.erase(ClassName);
}

const TDesignStateLoader* FindDesignState(const std::string& ClassName)
{
    Registry& r = TheRegistry();
    std::lock_guard<std::mutex> g(r.lock);
    auto it = r.states.find(ClassName);
    // std::map nodes are stable; an entry is only replaced by a later registration.
    return it == r.states.end() ? nullptr : &it->second;
}
