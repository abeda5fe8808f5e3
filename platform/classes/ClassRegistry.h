// The class registry: creates components by the class name a stream names.
//
// Classes register with REGISTER_CLASS(TLabel) beside their definition (a static
// registrar) or with RegisterComponentClass<TLabel>("TLabel") at start-up. A static
// registrar only runs when its object file is linked; a program that creates a class
// only through streams calls the explicit form (or references the class) so the
// linker keeps it.
//
// Classes whose state continues after their children's end of list (a storage
// component holding a file) also register a design-state loader. A stream of such a
// class cannot be converted to text or back by syntax alone; the converter creates the
// component through this registry, hands it the values its text form gives (the
// loader loads its design-time data, e.g. the file named by a property) and lets the
// component write itself.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/classes/Component.h"

using TComponentFactory = std::function<TComponent*(TComponent* Owner)>;

// Registering a name again replaces its factory (names compare case-insensitively).
void RegisterComponentClass(const std::string& ClassName, TComponentFactory Factory);
template <class T>
void RegisterComponentClass(const std::string& ClassName)
{
    RegisterComponentClass(ClassName, [](TComponent* Owner) -> TComponent* { return new T(Owner); });
}
void UnregisterComponentClass(const std::string& ClassName);
bool IsClassRegistered(const std::string& ClassName);
// A new component of the class owned by Owner; raises EClassNotFound "Class %s not found".
TComponent* CreateComponentOfClass(const std::string& ClassName, TComponent* Owner);
std::vector<std::string> RegisteredClassNames();

// The text form's scalar values of one object, by property name (case-insensitive):
// strings decoded, identifiers and numbers as written.
struct TCaseLess {
    bool operator()(const std::string& a, const std::string& b) const;
};
using TDesignValues = std::map<std::string, std::string, TCaseLess>;
// Loads a freshly created, property-initialised instance's design-time data.
using TDesignStateLoader = std::function<void(TComponent& Instance, const TDesignValues& Values)>;

// Marks ClassName as having state after its children and gives its loader.
void RegisterDesignState(const std::string& ClassName, TDesignStateLoader Loader);
void UnregisterDesignState(const std::string& ClassName);
// nullptr unless ClassName has state after its children.
const TDesignStateLoader* FindDesignState(const std::string& ClassName);

template <class T>
struct TClassRegistrar {
    explicit TClassRegistrar(const char* Name) { RegisterComponentClass<T>(Name); }
};
#define REGISTER_CLASS(Class) \
    [[maybe_unused]] static const TClassRegistrar<Class> pallimerClassReg_##Class(#Class)
