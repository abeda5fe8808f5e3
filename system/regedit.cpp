#include "system/regedit.h"

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Published.h"
#include "platform/win/Registry.h"

namespace {

const TIdentTable RootKeyIdents = {{rkAllUsers, "rkAllUsers"},       {rkCurrentUser, "rkCurrentUser"},
                                   {rkLocalMachine, "rkLocalMachine"}, {rkClassesRoot, "rkClassesRoot"},
                                   {rkCurrentConfig, "rkCurrentConfig"}, {rkDynData, "rkDynData"}};

}  // namespace

// RootKey has no default, so a form always stores it and loading always runs its setter:
// that is what gives the component its root handle.
PUBLISHED_PROPERTIES(TRegistryEdit, TComponent)
{
    PUBLISH_ENUM(RootKey, RootKeyIdents);
    PUBLISH_STRING(RegKey);
}
REGISTER_CLASS(TRegistryEdit);

void TRegistryEdit::SetRootKey(TRootKey Value)
{
    rootKey_ = Value;
    switch (Value) {
    case rkAllUsers: rootHandle_ = HKEY_USERS; break;
    case rkCurrentUser: rootHandle_ = HKEY_CURRENT_USER; break;
    case rkLocalMachine: rootHandle_ = HKEY_LOCAL_MACHINE; break;
    case rkClassesRoot: rootHandle_ = HKEY_CLASSES_ROOT; break;
    case rkCurrentConfig: rootHandle_ = HKEY_CURRENT_CONFIG; break;
    case rkDynData: rootHandle_ = HKEY_DYN_DATA; break;
    default: break;
    }
}

void TRegistryEdit::WriteString(const std::string& Name, const std::string& Value)
{
    TRegistry reg;
    reg.SetRootKey(rootHandle_);
    reg.OpenKey(regKey_, true);  // a failure shows in the write
    reg.WriteString(Name, Value);
    reg.CloseKey();
}

void TRegistryEdit::WriteDateTime(const std::string& Name, TDateTime Value)
{
    TRegistry reg;
    reg.SetRootKey(rootHandle_);
    reg.OpenKey(regKey_, true);
    reg.WriteDateTime(Name, Value);  // 8 bytes of binary data
    reg.CloseKey();
}

bool TRegistryEdit::ValueExists(const std::string& Name)
{
    TRegistry reg;
    reg.SetRootKey(rootHandle_);
    if (!reg.OpenKey(regKey_, false)) return false;
    return reg.ValueExists(Name);
}
