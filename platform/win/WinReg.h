// The Windows registry API on the registry store (RegistryStore.h).
//
// Handles: the predefined roots below, and handles of opened keys, which name a key by
// its path. An opened key's handle stays valid until closed; if the key is deleted
// meanwhile (by this or another process) calls on it fail with ERROR_KEY_DELETED.
// Every function returns a Windows error code (ERROR_SUCCESS on success), as the
// registry API does; it does not touch GetLastError.
#pragma once

#include <string>

#include "platform/win/Files.h"
#include "platform/win/RegistryStore.h"
#include "platform/win/WinTypes.h"

constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
constexpr HKEY HKEY_USERS = 0x80000003u;
constexpr HKEY HKEY_PERFORMANCE_DATA = 0x80000004u;
constexpr HKEY HKEY_CURRENT_CONFIG = 0x80000005u;
constexpr HKEY HKEY_DYN_DATA = 0x80000006u;

using REGSAM = DWORD;
constexpr REGSAM KEY_QUERY_VALUE = 0x0001;
constexpr REGSAM KEY_SET_VALUE = 0x0002;
constexpr REGSAM KEY_CREATE_SUB_KEY = 0x0004;
constexpr REGSAM KEY_ENUMERATE_SUB_KEYS = 0x0008;
constexpr REGSAM KEY_NOTIFY = 0x0010;
constexpr REGSAM KEY_CREATE_LINK = 0x0020;
constexpr REGSAM DELETE_ACCESS = 0x00010000;
constexpr REGSAM KEY_READ = 0x00020019;
constexpr REGSAM KEY_WRITE = 0x00020006;
constexpr REGSAM KEY_EXECUTE = KEY_READ;
constexpr REGSAM KEY_ALL_ACCESS = 0x000F003F;

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr DWORD REG_OPTION_VOLATILE = 1;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

// Opens an existing key below hKey (an empty or null subKey opens hKey itself anew).
// Missing key: ERROR_FILE_NOT_FOUND. Write access asked for on a hive whose file is
// read-only: ERROR_ACCESS_DENIED. A leading backslash: ERROR_BAD_PATHNAME.
LONG RegOpenKeyExA(HKEY hKey, const char* subKey, DWORD options, REGSAM samDesired, HKEY* result);
// Opens or creates the key and every missing key on the way (one atomic change).
LONG RegCreateKeyExA(HKEY hKey, const char* subKey, DWORD reserved, const char* keyClass, DWORD options,
                     REGSAM samDesired, const void* securityAttributes, HKEY* result, DWORD* disposition);
// The value's type and data. data null: only type and size. A buffer too small:
// ERROR_MORE_DATA with *cbData set to the size needed. Missing value: ERROR_FILE_NOT_FOUND.
LONG RegQueryValueExA(HKEY hKey, const char* valueName, DWORD* reserved, DWORD* type, BYTE* data, DWORD* cbData);
// Stores cbData bytes of data as given. Needs KEY_SET_VALUE.
LONG RegSetValueExA(HKEY hKey, const char* valueName, DWORD reserved, DWORD type, const BYTE* data, DWORD cbData);
LONG RegDeleteValueA(HKEY hKey, const char* valueName);
// Deletes a key that has no subkeys (ERROR_ACCESS_DENIED when it has some).
LONG RegDeleteKeyA(HKEY hKey, const char* subKey);
LONG RegCloseKey(HKEY hKey);
// Writes the index-th subkey's name (in case-insensitive order) with its zero into name;
// *cchName holds the buffer's size in characters on entry and the name's length on return.
LONG RegEnumKeyExA(HKEY hKey, DWORD index, char* name, DWORD* cchName, DWORD* reserved, char* keyClass,
                   DWORD* cchClass, FILETIME* lastWriteTime);
LONG RegEnumValueA(HKEY hKey, DWORD index, char* valueName, DWORD* cchValueName, DWORD* reserved, DWORD* type,
                   BYTE* data, DWORD* cbData);
// Counts and longest names (any pointer may be null).
LONG RegQueryInfoKeyA(HKEY hKey, DWORD* subKeys, DWORD* maxSubKeyLen, DWORD* values, DWORD* maxValueNameLen,
                      DWORD* maxValueLen);
// Changes are durable when the call that made them returns; nothing to do.
LONG RegFlushKey(HKEY hKey);

// The hive and full path (below the root) of a handle; false for an invalid handle.
bool RegKeyLocation(HKEY hKey, RegHive& hive, std::string& path);
