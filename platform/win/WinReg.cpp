#include "platform/win/WinReg.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>
#include <mutex>
#include <vector>

namespace {

struct OpenKey {
    RegHive Hive;
    std::vector<std::string> Path;  // stored spelling of every component
    REGSAM Access;
};

std::mutex gHandlesMutex;
std::map<HKEY, OpenKey> gHandles;
HKEY gNextHandle = 0x1000;

constexpr REGSAM kWriteBits = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE_ACCESS;

bool PredefinedHive(HKEY h, RegHive& hive)
{
    switch (h) {
    case HKEY_CLASSES_ROOT: hive = RegHive::ClassesRoot; return true;
    case HKEY_CURRENT_USER: hive = RegHive::CurrentUser; return true;
    case HKEY_LOCAL_MACHINE: hive = RegHive::LocalMachine; return true;
    case HKEY_USERS: hive = RegHive::Users; return true;
    case HKEY_CURRENT_CONFIG: hive = RegHive::CurrentConfig; return true;
    case HKEY_DYN_DATA: hive = RegHive::DynData; return true;
    default: return false;
    }
}

bool Resolve(HKEY h, OpenKey& out)
{
    RegHive hive;
    if (PredefinedHive(h, hive)) {
        out = OpenKey{hive, {}, KEY_ALL_ACCESS};
        return true;
    }
    std::lock_guard<std::mutex> g(gHandlesMutex);
    auto it = gHandles.find(h);
    if (it == gHandles.end()) return false;
    out = it->second;
    return true;
}

HKEY NewHandle(OpenKey k)
{
    std::lock_guard<std::mutex> g(gHandlesMutex);
    HKEY h = gNextHandle;
    gNextHandle += 4;
    gHandles.emplace(h, std::move(k));
    return h;
}

bool NameStorable(std::string_view name)
{
    for (char c : name)
        if (c == '\r' || c == '\n' || c == '\0') return false;
    return true;
}

// Splits a subkey path. A trailing backslash is allowed; a leading one and empty
// components are not.
LONG SplitPath(const char* subKey, std::vector<std::string>& comps)
{
    comps.clear();
    if (!subKey || !*subKey) return ERROR_SUCCESS;
    std::string_view s(subKey);
    if (s.front() == '\\') return ERROR_BAD_PATHNAME;
    while (!s.empty() && s.back() == '\\') s.remove_suffix(1);
    while (!s.empty()) {
        size_t n = s.find('\\');
        std::string_view c = s.substr(0, n);
        if (c.empty()) return ERROR_BAD_PATHNAME;
        if (c.size() > kRegMaxKeyNameLength || !NameStorable(c)) return ERROR_INVALID_PARAMETER;
        comps.emplace_back(c);
        if (n == std::string_view::npos) break;
        s.remove_prefix(n + 1);
    }
    return ERROR_SUCCESS;
}

// Finds the handle's key in a tree; nullptr when it was deleted.
template <typename Node>
Node* KeyOf(Node& root, const OpenKey& k)
{
    Node* n = &root;
    for (const auto& c : k.Path) {
        n = n->FindSubKey(c);
        if (!n) return nullptr;
    }
    return n;
}

LONG CheckWrite(const OpenKey& k, REGSAM need)
{
    if ((k.Access & need) != need) return ERROR_ACCESS_DENIED;
    return ERROR_SUCCESS;
}

// Copies a stored value out with the registry's size protocol.
LONG CopyData(const RegValue& v, DWORD* type, BYTE* data, DWORD* cbData)
{
    if (type) *type = v.Type;
    const DWORD size = static_cast<DWORD>(v.Data.size());
    if (data) {
        if (!cbData) return ERROR_INVALID_PARAMETER;
        if (*cbData < size) {
            *cbData = size;
            return ERROR_MORE_DATA;
        }
        std::memcpy(data, v.Data.data(), size);
    }
    if (cbData) *cbData = size;
    return ERROR_SUCCESS;
}

LONG CopyName(const std::string& name, char* buf, DWORD* cch)
{
    if (!buf || !cch) return ERROR_INVALID_PARAMETER;
    if (*cch <= name.size()) {
        *cch = static_cast<DWORD>(name.size());
        return ERROR_MORE_DATA;
    }
    std::memcpy(buf, name.c_str(), name.size() + 1);
    *cch = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

}  // namespace

LONG RegOpenKeyExA(HKEY hKey, const char* subKey, DWORD, REGSAM samDesired, HKEY* result)
{
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = 0;
    OpenKey base;
    if (!Resolve(hKey, base)) return ERROR_INVALID_HANDLE;
    std::vector<std::string> comps;
    if (LONG e = SplitPath(subKey, comps)) return e;
    OpenKey opened{base.Hive, {}, samDesired};
    LONG e = static_cast<LONG>(RegistryStore::Read(base.Hive, [&](const RegKeyNode& root) -> DWORD {
        const RegKeyNode* k = KeyOf(root, base);
        if (!k) return ERROR_KEY_DELETED;
        opened.Path = base.Path;
        for (const auto& c : comps) {
            k = k->FindSubKey(c);
            if (!k) return ERROR_FILE_NOT_FOUND;
            opened.Path.push_back(k->Name);
        }
        return ERROR_SUCCESS;
    }));
    if (e) return e;
    if (samDesired & kWriteBits) {
        DWORD err = 0;
        if (!RegistryStore::HiveWritable(base.Hive, err)) return static_cast<LONG>(err);
    }
    *result = NewHandle(std::move(opened));
    return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY hKey, const char* subKey, DWORD, const char*, DWORD, REGSAM samDesired, const void*,
                     HKEY* result, DWORD* disposition)
{
    if (!result) return ERROR_INVALID_PARAMETER;
    *result = 0;
    OpenKey base;
    if (!Resolve(hKey, base)) return ERROR_INVALID_HANDLE;
    std::vector<std::string> comps;
    if (LONG e = SplitPath(subKey, comps)) return e;
    if (!comps.empty() && (base.Access & KEY_CREATE_SUB_KEY) == 0) return ERROR_ACCESS_DENIED;
    if (samDesired & kWriteBits) {
        DWORD err = 0;
        if (!RegistryStore::HiveWritable(base.Hive, err)) return static_cast<LONG>(err);
    }
    OpenKey opened{base.Hive, {}, samDesired};
    bool anyCreated = false;
    LONG e = static_cast<LONG>(RegistryStore::Modify(base.Hive, [&](RegKeyNode& root, bool& changed) -> DWORD {
        RegKeyNode* k = KeyOf(root, base);
        if (!k) return ERROR_KEY_DELETED;
        opened.Path = base.Path;
        anyCreated = false;
        for (const auto& c : comps) {
            bool created = false;
            k = k->AddSubKey(c, created);
            anyCreated = anyCreated || created;
            opened.Path.push_back(k->Name);
        }
        changed = anyCreated;
        return ERROR_SUCCESS;
    }));
    if (e) return e;
    if (disposition) *disposition = anyCreated ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    *result = NewHandle(std::move(opened));
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY hKey, const char* valueName, DWORD*, DWORD* type, BYTE* data, DWORD* cbData)
{
    OpenKey k;
    if (!Resolve(hKey, k)) return ERROR_INVALID_HANDLE;
    if ((k.Access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
    const std::string name = valueName ? valueName : "";
    return static_cast<LONG>(RegistryStore::Read(k.Hive, [&](const RegKeyNode& root) -> DWORD {
        const RegKeyNode* n = KeyOf(root, k);
        if (!n) return ERROR_KEY_DELETED;
        const RegValue* v = n->FindValue(name);
        if (!v) return ERROR_FILE_NOT_FOUND;
        return static_cast<DWORD>(CopyData(*v, type, data, cbData));
    }));
}

LONG RegSetValueExA(HKEY hKey, const char* valueName, DWORD, DWORD type, const BYTE* data, DWORD cbData)
{
    OpenKey k;
    if (!Resolve(hKey, k)) return ERROR_INVALID_HANDLE;
    if (LONG e = CheckWrite(k, KEY_SET_VALUE)) return e;
    if (!data && cbData) return ERROR_INVALID_PARAMETER;
    RegValue v;
    v.Name = valueName ? valueName : "";
    if (v.Name.size() > kRegMaxValueNameLength || !NameStorable(v.Name)) return ERROR_INVALID_PARAMETER;
    v.Type = type;
    if (cbData) v.Data.assign(reinterpret_cast<const char*>(data), cbData);
    return static_cast<LONG>(RegistryStore::Modify(k.Hive, [&](RegKeyNode& root, bool& changed) -> DWORD {
        RegKeyNode* n = KeyOf(root, k);
        if (!n) return ERROR_KEY_DELETED;
        const RegValue* old = n->FindValue(v.Name);
        changed = !old || old->Name != v.Name || old->Type != v.Type || old->Data != v.Data;
        if (changed) n->SetValue(v);
        return ERROR_SUCCESS;
    }));
}

LONG RegDeleteValueA(HKEY hKey, const char* valueName)
{
    OpenKey k;
    if (!Resolve(hKey, k)) return ERROR_INVALID_HANDLE;
    if (LONG e = CheckWrite(k, KEY_SET_VALUE)) return e;
    const std::string name = valueName ? valueName : "";
    return static_cast<LONG>(RegistryStore::Modify(k.Hive, [&](RegKeyNode& root, bool& changed) -> DWORD {
        RegKeyNode* n = KeyOf(root, k);
        if (!n) return ERROR_KEY_DELETED;
        changed = n->RemoveValue(name);
        return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    }));
}

LONG RegDeleteKeyA(HKEY hKey, const char* subKey)
{
    OpenKey k;
    if (!Resolve(hKey, k)) return ERROR_INVALID_HANDLE;
    std::vector<std::string> comps;
    if (LONG e = SplitPath(subKey, comps)) return e;
    if (k.Path.empty() && comps.empty()) return ERROR_ACCESS_DENIED;  // a root cannot go
    return static_cast<LONG>(RegistryStore::Modify(k.Hive, [&](RegKeyNode& root, bool& changed) -> DWORD {
        RegKeyNode* parent = KeyOf(root, k);
        if (!parent) return ERROR_KEY_DELETED;
        std::vector<std::string> full = k.Path;
        full.insert(full.end(), comps.begin(), comps.end());
        std::vector<std::string> parentPath(full.begin(), full.end() - 1);
        parent = root.Walk(parentPath);
        RegKeyNode* victim = parent ? parent->FindSubKey(full.back()) : nullptr;
        if (!victim) return ERROR_FILE_NOT_FOUND;
        if (!victim->SubKeys.empty()) return ERROR_ACCESS_DENIED;
        parent->RemoveSubKey(full.back());
        changed = true;
        return ERROR_SUCCESS;
    }));
}

LONG RegCloseKey(HKEY hKey)
{
    RegHive hive;
    if (PredefinedHive(hKey, hive)) return ERROR_SUCCESS;
    std::lock_guard<std::mutex> g(gHandlesMutex);
    return gHandles.erase(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG RegEnumKeyExA(HKEY hKey, DWORD index, char* name, DWORD* cchName, DWORD*, char* keyClass, DWORD* cchClass,
                   FILETIME* lastWriteTime)
{
    OpenKey k;
    if (!Resolve(hKey, k)) return ERROR_INVALID_HANDLE;
    if ((k.Access & KEY_ENUMERATE_SUB_KEYS) == 0) return ERROR_ACCESS_DENIED;
    return static_cast<LONG>(RegistryStore::Read(k.Hive, [&](const RegKeyNode& root) -> DWORD {
        const RegKeyNode* n = KeyOf(root, k);
        if (!n) return ERROR_KEY_DELETED;
        if (index >= n->SubKeys.size()) return ERROR_NO_MORE_ITEMS;
        auto it = n->SubKeys.begin();
        std::advance(it, index);
        if (keyClass && cchClass && *cchClass > 0) {
            keyClass[0] = '\0';
            *cchClass = 0;
        }
        if (lastWriteTime) *lastWriteTime = FILETIME{};
        return static_cast<DWORD>(CopyName(it->second->Name, name, cchName));
    }));
}

LONG RegEnumValueA(HKEY hKey, DWORD index, char* valueName, DWORD* cchValueName, DWORD*, DWORD* type, BYTE* data,
                   DWORD* cbData)
{
    OpenKey k;
    if (!Resolve(hKey, k)) return ERROR_INVALID_HANDLE;
    if ((k.Access & KEY_QUERY_VALUE) == 0) return ERROR_ACCESS_DENIED;
    return static_cast<LONG>(RegistryStore::Read(k.Hive, [&](const RegKeyNode& root) -> DWORD {
        const RegKeyNode* n = KeyOf(root, k);
        if (!n) return ERROR_KEY_DELETED;
        if (index >= n->Values.size()) return ERROR_NO_MORE_ITEMS;
        auto it = n->Values.begin();
        std::advance(it, index);
        if (LONG e = CopyName(it->second.Name, valueName, cchValueName)) return static_cast<DWORD>(e);
        return static_cast<DWORD>(CopyData(it->second, type, data, cbData));
    }));
}

LONG RegQueryInfoKeyA(HKEY hKey, DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* values, DWORD* maxValueNameLen,
                      DWORD* maxValueLen)
{
    OpenKey k;
    if (!Resolve(hKey, k)) return ERROR_INVALID_HANDLE;
    return static_cast<LONG>(RegistryStore::Read(k.Hive, [&](const RegKeyNode& root) -> DWORD {
        const RegKeyNode* n = KeyOf(root, k);
        if (!n) return ERROR_KEY_DELETED;
        DWORD mk = 0, mn = 0, mv = 0;
        for (const auto& [f, c] : n->SubKeys) mk = std::max<DWORD>(mk, static_cast<DWORD>(c->Name.size()));
        for (const auto& [f, v] : n->Values) {
            mn = std::max<DWORD>(mn, static_cast<DWORD>(v.Name.size()));
            mv = std::max<DWORD>(mv, static_cast<DWORD>(v.Data.size()));
        }
        if (subKeys) *subKeys = static_cast<DWORD>(n->SubKeys.size());
        if (maxSubKeyLen) *maxSubKeyLen = mk;
        if (values) *values = static_cast<DWORD>(n->Values.size());
        if (maxValueNameLen) *maxValueNameLen = mn;
        if (maxValueLen) *maxValueLen = mv;
        return ERROR_SUCCESS;
    }));
}

LONG RegFlushKey(HKEY hKey)
{
    OpenKey k;
    return Resolve(hKey, k) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

bool RegKeyLocation(HKEY hKey, RegHive& hive, std::string& path)
{
    OpenKey k;
    if (!Resolve(hKey, k)) return false;
    hive = k.Hive;
    path.clear();
    for (const auto& c : k.Path) {
        if (!path.empty()) path += '\\';
        path += c;
    }
    return true;
}
