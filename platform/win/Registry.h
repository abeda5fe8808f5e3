// TRegistry: the component library's registry class over the registry API.
//
// One object names a root key and at most one open key (CurrentKey). Keys are opened
// with the object's Access (full access unless changed); a key given with a leading
// backslash is taken from the root, any other from the open key when there is one.
// Writes raise ERegistryException "Failed to set data for '%s'"; reads of a value of
// the wrong type raise "Invalid data type for '%s'".
#pragma once

#include <cstdint>
#include <string>

#include "platform/classes/Persistent.h"
#include "platform/rtl/DateTime.h"
#include "platform/win/WinReg.h"

class TStrings;

class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

enum TRegDataType { rdUnknown, rdString, rdExpandString, rdInteger, rdBinary };

struct TRegDataInfo {
    TRegDataType RegData = rdUnknown;
    int32_t DataSize = 0;
};

struct TRegKeyInfo {
    int32_t NumSubKeys = 0;
    int32_t MaxSubKeyLen = 0;
    int32_t NumValues = 0;
    int32_t MaxValueLen = 0;
    int32_t MaxDataLen = 0;
};

class TRegistry : public TObject {
public:
    // Root HKEY_CURRENT_USER, access KEY_ALL_ACCESS.
    TRegistry();
    explicit TRegistry(REGSAM AAccess);
    ~TRegistry() override;  // closes the open key
    std::string ClassName() const override { return "TRegistry"; }

    HKEY RootKey() const { return rootKey_; }
    // Closes the open key when the root changes.
    void SetRootKey(HKEY Value);
    REGSAM Access() const { return access_; }
    void SetAccess(REGSAM Value) { access_ = Value; }
    HKEY CurrentKey() const { return currentKey_; }
    const std::string& CurrentPath() const { return currentPath_; }
    // Ignored; the store makes every change durable at once.
    bool LazyWrite() const { return lazyWrite_; }
    void SetLazyWrite(bool Value) { lazyWrite_ = Value; }

    // Opens Key, creating every missing key on the way when CanCreate. Returns success;
    // on failure the previously open key stays open.
    bool OpenKey(const std::string& Key, bool CanCreate);
    bool OpenKeyReadOnly(const std::string& Key);
    void CloseKey();
    bool CreateKey(const std::string& Key);
    bool DeleteKey(const std::string& Key);  // with everything below it
    bool KeyExists(const std::string& Key);
    bool HasSubKeys();
    void GetKeyNames(TStrings& Strings);
    void GetValueNames(TStrings& Strings);
    bool GetKeyInfo(TRegKeyInfo& Value);

    bool ValueExists(const std::string& Name);
    bool DeleteValue(const std::string& Name);
    // Type and size of a value of the open key; false when it does not exist.
    bool GetDataInfo(const std::string& ValueName, TRegDataInfo& Value);
    TRegDataType GetDataType(const std::string& ValueName);
    // Size in bytes, -1 when the value does not exist.
    int32_t GetDataSize(const std::string& ValueName);

    // A missing value gives ""; a string or expandable string its text up to the first
    // zero; any other type raises "Invalid data type for '%s'".
    std::string ReadString(const std::string& Name);
    void WriteString(const std::string& Name, const std::string& Value);
    void WriteExpandString(const std::string& Name, const std::string& Value);
    int32_t ReadInteger(const std::string& Name);
    void WriteInteger(const std::string& Name, int32_t Value);
    bool ReadBool(const std::string& Name);
    void WriteBool(const std::string& Name, bool Value);
    // Binary data of at most BufSize bytes; returns the size read.
    int32_t ReadBinaryData(const std::string& Name, void* Buffer, int32_t BufSize);
    void WriteBinaryData(const std::string& Name, const void* Buffer, int32_t BufSize);
    // 8 bytes of binary data: the double's bytes, little-endian.
    TDateTime ReadDateTime(const std::string& Name);
    void WriteDateTime(const std::string& Name, TDateTime Value);
    double ReadFloat(const std::string& Name);
    void WriteFloat(const std::string& Name, double Value);

private:
    bool IsRelative(const std::string& Key) const { return Key.empty() || Key[0] != '\\'; }
    HKEY BaseKey(bool Relative) const;
    void ChangeKey(HKEY Value, const std::string& Path);
    void PutData(const std::string& Name, const void* Buffer, DWORD BufSize, DWORD Type);
    // Reads into Buffer; raises "Failed to get data for '%s'" when the query fails.
    int32_t GetData(const std::string& Name, void* Buffer, DWORD BufSize, TRegDataType& RegData);

    HKEY rootKey_ = HKEY_CURRENT_USER;
    HKEY currentKey_ = 0;
    std::string currentPath_;
    REGSAM access_ = KEY_ALL_ACCESS;
    bool lazyWrite_ = true;
};

// The registry type of a TRegDataType and back.
DWORD RegDataToDataType(TRegDataType Value);
TRegDataType DataTypeToRegData(DWORD Value);
