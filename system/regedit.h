// TRegistryEdit: names one registry key (a root and a path) and writes strings and
// date-times to it or tests for a value. Every call opens the key afresh and closes it
// again; nothing stays open between calls.
#pragma once

#include <cstdint>
#include <string>

#include "platform/classes/Component.h"
#include "platform/rtl/DateTime.h"
#include "platform/win/WinTypes.h"

enum TRootKey : uint8_t { rkAllUsers, rkCurrentUser, rkLocalMachine, rkClassesRoot, rkCurrentConfig, rkDynData };

class TRegistryEdit : public TComponent {
public:
    using TComponent::TComponent;
    std::string ClassName() const override { return "TRegistryEdit"; }

    // Invariant: RootHandle matches RootKey once RootKey has been assigned. Before that
    // the handle is 0, so every write fails and ValueExists answers false.
    TRootKey RootKey() const { return rootKey_; }
    // Stores the selector and sets the handle; an ordinal outside the enumeration leaves
    // the handle as it is.
    void SetRootKey(TRootKey Value);
    HKEY RootHandle() const { return rootHandle_; }
    const std::string& RegKey() const { return regKey_; }
    void SetRegKey(const std::string& Value) { regKey_ = Value; }

    // Writes a REG_SZ, creating every missing key of RegKey. A key that cannot be opened
    // or created shows in the write: ERegistryException "Failed to set data for '%s'".
    void WriteString(const std::string& Name, const std::string& Value);
    // Writes the double's 8 bytes (little-endian) as REG_BINARY, like WriteString.
    void WriteDateTime(const std::string& Name, TDateTime Value);
    // Whether the key opens (full access, never created) and has the value.
    bool ValueExists(const std::string& Name);

private:
    TRootKey rootKey_ = rkAllUsers;
    HKEY rootHandle_ = 0;
    std::string regKey_;
};
