#include "platform/win/Registry.h"

#include <cstring>
#include <vector>

#include "platform/classes/Strings.h"
#include "platform/rtl/StrUtils.h"

namespace {

[[noreturn]] void ReadError(const std::string& Name)
{
    throw ERegistryException(Format("Invalid data type for '%s'", Name.c_str()));
}

// The double's 8 bytes, little-endian whatever the host's order.
void DoubleToBytes(double v, unsigned char out[8])
{
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    for (int i = 0; i < 8; ++i) out[i] = static_cast<unsigned char>(bits >> (8 * i));
}

double BytesToDouble(const unsigned char in[8])
{
    uint64_t bits = 0;
    for (int i = 7; i >= 0; --i) bits = (bits << 8) | in[i];
    double v;
    std::memcpy(&v, &bits, 8);
    return v;
}

}  // namespace

DWORD RegDataToDataType(TRegDataType Value)
{
    switch (Value) {
    case rdString: return REG_SZ;
    case rdExpandString: return REG_EXPAND_SZ;
    case rdInteger: return REG_DWORD;
    case rdBinary: return REG_BINARY;
    default: return REG_NONE;
    }
}

TRegDataType DataTypeToRegData(DWORD Value)
{
    switch (Value) {
    case REG_SZ: return rdString;
    case REG_EXPAND_SZ: return rdExpandString;
    case REG_DWORD: return rdInteger;
    case REG_BINARY: return rdBinary;
    default: return rdUnknown;
    }
}

TRegistry::TRegistry() = default;

TRegistry::TRegistry(REGSAM AAccess) : access_(AAccess) {}

TRegistry::~TRegistry() { CloseKey(); }

void TRegistry::SetRootKey(HKEY Value)
{
    if (rootKey_ == Value) return;
    rootKey_ = Value;
    CloseKey();
}

void TRegistry::CloseKey()
{
    if (currentKey_ != 0) RegCloseKey(currentKey_);
    currentKey_ = 0;
    currentPath_.clear();
}

HKEY TRegistry::BaseKey(bool Relative) const
{
    return (currentKey_ == 0 || !Relative) ? rootKey_ : currentKey_;
}

void TRegistry::ChangeKey(HKEY Value, const std::string& Path)
{
    CloseKey();
    currentKey_ = Value;
    currentPath_ = Path;
}

bool TRegistry::OpenKey(const std::string& Key, bool CanCreate)
{
    const bool relative = IsRelative(Key);
    std::string s = relative ? Key : Key.substr(1);
    HKEY temp = 0;
    LONG r;
    if (!CanCreate || s.empty()) {
        r = RegOpenKeyExA(BaseKey(relative), s.c_str(), 0, access_, &temp);
    } else {
        DWORD disposition = 0;
        r = RegCreateKeyExA(BaseKey(relative), s.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_, nullptr,
                            &temp, &disposition);
    }
    if (r != ERROR_SUCCESS) return false;
    if (currentKey_ != 0 && relative) s = currentPath_ + "\\" + s;
    ChangeKey(temp, s);
    return true;
}

bool TRegistry::OpenKeyReadOnly(const std::string& Key)
{
    const REGSAM saved = access_;
    access_ = KEY_READ;
    bool ok = OpenKey(Key, false);
    if (!ok) access_ = saved;
    return ok;
}

bool TRegistry::CreateKey(const std::string& Key)
{
    const bool relative = IsRelative(Key);
    std::string s = relative ? Key : Key.substr(1);
    HKEY temp = 0;
    DWORD disposition = 0;
    if (RegCreateKeyExA(BaseKey(relative), s.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access_, nullptr, &temp,
                        &disposition) != ERROR_SUCCESS)
        throw ERegistryException(Format("Failed to create key %s", Key.c_str()));
    RegCloseKey(temp);
    return true;
}

bool TRegistry::DeleteKey(const std::string& Key)
{
    const bool relative = IsRelative(Key);
    std::string s = relative ? Key : Key.substr(1);
    const HKEY base = BaseKey(relative);
    HKEY k = 0;
    if (RegOpenKeyExA(base, s.c_str(), 0, access_, &k) == ERROR_SUCCESS) {
        // Children first: the registry deletes only keys without subkeys.
        std::vector<std::string> names;
        char name[kRegMaxKeyNameLength + 1];
        for (DWORD i = 0;; ++i) {
            DWORD cch = sizeof name;
            if (RegEnumKeyExA(k, i, name, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
            names.emplace_back(name, cch);
        }
        for (const auto& n : names) {
            TRegistry sub(access_);
            sub.rootKey_ = k;
            sub.DeleteKey(n);
        }
        RegCloseKey(k);
    }
    return RegDeleteKeyA(base, s.c_str()) == ERROR_SUCCESS;
}

bool TRegistry::KeyExists(const std::string& Key)
{
    const bool relative = IsRelative(Key);
    std::string s = relative ? Key : Key.substr(1);
    HKEY temp = 0;
    if (RegOpenKeyExA(BaseKey(relative), s.c_str(), 0, KEY_READ, &temp) != ERROR_SUCCESS) return false;
    RegCloseKey(temp);
    return true;
}

bool TRegistry::GetKeyInfo(TRegKeyInfo& Value)
{
    Value = TRegKeyInfo{};
    DWORD sk = 0, msk = 0, nv = 0, mvn = 0, mvd = 0;
    if (RegQueryInfoKeyA(currentKey_, &sk, &msk, &nv, &mvn, &mvd) != ERROR_SUCCESS) return false;
    Value.NumSubKeys = static_cast<int32_t>(sk);
    Value.MaxSubKeyLen = static_cast<int32_t>(msk);
    Value.NumValues = static_cast<int32_t>(nv);
    Value.MaxValueLen = static_cast<int32_t>(mvn);
    Value.MaxDataLen = static_cast<int32_t>(mvd);
    return true;
}

bool TRegistry::HasSubKeys()
{
    TRegKeyInfo info;
    return GetKeyInfo(info) && info.NumSubKeys > 0;
}

void TRegistry::GetKeyNames(TStrings& Strings)
{
    Strings.Clear();
    char name[kRegMaxKeyNameLength + 1];
    for (DWORD i = 0;; ++i) {
        DWORD cch = sizeof name;
        if (RegEnumKeyExA(currentKey_, i, name, &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        Strings.Add(std::string(name, cch));
    }
}

void TRegistry::GetValueNames(TStrings& Strings)
{
    Strings.Clear();
    std::vector<char> name(kRegMaxValueNameLength + 1);
    for (DWORD i = 0;; ++i) {
        DWORD cch = static_cast<DWORD>(name.size());
        if (RegEnumValueA(currentKey_, i, name.data(), &cch, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        Strings.Add(std::string(name.data(), cch));
    }
}

bool TRegistry::GetDataInfo(const std::string& ValueName, TRegDataInfo& Value)
{
    Value = TRegDataInfo{};
    DWORD type = REG_NONE, size = 0;
    bool ok = RegQueryValueExA(currentKey_, ValueName.c_str(), nullptr, &type, nullptr, &size) == ERROR_SUCCESS;
    if (ok) {
        Value.RegData = DataTypeToRegData(type);
        Value.DataSize = static_cast<int32_t>(size);
    }
    return ok;
}

TRegDataType TRegistry::GetDataType(const std::string& ValueName)
{
    TRegDataInfo info;
    return GetDataInfo(ValueName, info) ? info.RegData : rdUnknown;
}

int32_t TRegistry::GetDataSize(const std::string& ValueName)
{
    TRegDataInfo info;
    return GetDataInfo(ValueName, info) ? info.DataSize : -1;
}

bool TRegistry::ValueExists(const std::string& Name)
{
    TRegDataInfo info;
    return GetDataInfo(Name, info);
}

bool TRegistry::DeleteValue(const std::string& Name)
{
    return RegDeleteValueA(currentKey_, Name.c_str()) == ERROR_SUCCESS;
}

void TRegistry::PutData(const std::string& Name, const void* Buffer, DWORD BufSize, DWORD Type)
{
    if (RegSetValueExA(currentKey_, Name.c_str(), 0, Type, static_cast<const BYTE*>(Buffer), BufSize) !=
        ERROR_SUCCESS)
        throw ERegistryException(Format("Failed to set data for '%s'", Name.c_str()));
}

int32_t TRegistry::GetData(const std::string& Name, void* Buffer, DWORD BufSize, TRegDataType& RegData)
{
    DWORD type = REG_NONE;
    DWORD size = BufSize;
    if (RegQueryValueExA(currentKey_, Name.c_str(), nullptr, &type, static_cast<BYTE*>(Buffer), &size) !=
        ERROR_SUCCESS)
        throw ERegistryException(Format("Failed to get data for '%s'", Name.c_str()));
    RegData = DataTypeToRegData(type);
    return static_cast<int32_t>(size);
}

std::string TRegistry::ReadString(const std::string& Name)
{
    TRegDataInfo info;
    if (!GetDataInfo(Name, info)) return {};
    if (info.RegData != rdString && info.RegData != rdExpandString) ReadError(Name);
    if (info.DataSize <= 0) return {};
    std::string r(static_cast<size_t>(info.DataSize), '\0');
    TRegDataType rd;
    int32_t n = GetData(Name, r.data(), static_cast<DWORD>(r.size()), rd);
    if (rd != rdString && rd != rdExpandString) ReadError(Name);
    r.resize(static_cast<size_t>(n));
    size_t z = r.find('\0');
    if (z != std::string::npos) r.resize(z);
    return r;
}

void TRegistry::WriteString(const std::string& Name, const std::string& Value)
{
    PutData(Name, Value.c_str(), static_cast<DWORD>(Value.size() + 1), REG_SZ);
}

void TRegistry::WriteExpandString(const std::string& Name, const std::string& Value)
{
    PutData(Name, Value.c_str(), static_cast<DWORD>(Value.size() + 1), REG_EXPAND_SZ);
}

int32_t TRegistry::ReadInteger(const std::string& Name)
{
    unsigned char b[4] = {};
    TRegDataType rd;
    int32_t n = GetData(Name, b, sizeof b, rd);
    if (rd != rdInteger || n != 4) ReadError(Name);
    return static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                                static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24);
}

void TRegistry::WriteInteger(const std::string& Name, int32_t Value)
{
    const uint32_t u = static_cast<uint32_t>(Value);
    unsigned char b[4] = {static_cast<unsigned char>(u), static_cast<unsigned char>(u >> 8),
                          static_cast<unsigned char>(u >> 16), static_cast<unsigned char>(u >> 24)};
    PutData(Name, b, 4, REG_DWORD);
}

bool TRegistry::ReadBool(const std::string& Name) { return ReadInteger(Name) != 0; }

void TRegistry::WriteBool(const std::string& Name, bool Value) { WriteInteger(Name, Value ? 1 : 0); }

int32_t TRegistry::ReadBinaryData(const std::string& Name, void* Buffer, int32_t BufSize)
{
    TRegDataInfo info;
    if (!GetDataInfo(Name, info)) return 0;
    if ((info.RegData != rdBinary && info.RegData != rdUnknown) || info.DataSize > BufSize) ReadError(Name);
    TRegDataType rd;
    return GetData(Name, Buffer, static_cast<DWORD>(info.DataSize), rd);
}

void TRegistry::WriteBinaryData(const std::string& Name, const void* Buffer, int32_t BufSize)
{
    PutData(Name, Buffer, static_cast<DWORD>(BufSize < 0 ? 0 : BufSize), REG_BINARY);
}

TDateTime TRegistry::ReadDateTime(const std::string& Name) { return ReadFloat(Name); }

void TRegistry::WriteDateTime(const std::string& Name, TDateTime Value) { WriteFloat(Name, Value); }

double TRegistry::ReadFloat(const std::string& Name)
{
    unsigned char b[8] = {};
    TRegDataType rd;
    int32_t n = GetData(Name, b, sizeof b, rd);
    if (rd != rdBinary || n != 8) ReadError(Name);
    return BytesToDouble(b);
}

void TRegistry::WriteFloat(const std::string& Name, double Value)
{
    unsigned char b[8];
    DoubleToBytes(Value, b);
    PutData(Name, b, 8, REG_BINARY);
}
