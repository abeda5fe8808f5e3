// The registry store: persistent hives of the emulated machine.
//
// Each predefined root key except HKEY_DYN_DATA is one REGEDIT4 text file under
// <machine root>/registry/ (HKEY_LOCAL_MACHINE.reg, ...). HKEY_DYN_DATA lives in the
// process's memory only and starts empty.
//
// Invariants:
//  - Key and value names compare case-insensitively (Windows-1252 folding) and keep
//    the case they were created with.
//  - Every change is one read-modify-write under an exclusive flock on
//    <root>/registry/.lock, ending in an atomic replace (temporary file, fsync, rename,
//    fsync of the folder). A crash at any point leaves either the old or the new file;
//    a second process writing at the same time is serialised by the lock, so neither
//    loses the other's values.
//  - Readers need no lock: a hive file is only ever replaced whole.
//  - A hive file that exists but does not parse is reported (ERROR_BADDB, a diagnostic
//    line on stderr, RegistryLastErrorText) and is never replaced or re-seeded.
//  - Missing hive files are seeded under the lock on first use (idempotent: a file that
//    appeared meanwhile is left alone), together with the shell folders' directories.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/win/WinTypes.h"

// Value types (winnt.h numbering).
constexpr DWORD REG_NONE = 0;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_BINARY = 3;
constexpr DWORD REG_DWORD = 4;
constexpr DWORD REG_DWORD_BIG_ENDIAN = 5;
constexpr DWORD REG_LINK = 6;
constexpr DWORD REG_MULTI_SZ = 7;
constexpr DWORD REG_QWORD = 11;

constexpr DWORD ERROR_MORE_DATA = 234;
constexpr DWORD ERROR_NO_MORE_ITEMS = 259;
constexpr DWORD ERROR_BADDB = 1009;
constexpr DWORD ERROR_BADKEY = 1010;
constexpr DWORD ERROR_CANTOPEN = 1011;
constexpr DWORD ERROR_CANTREAD = 1012;
constexpr DWORD ERROR_CANTWRITE = 1013;
constexpr DWORD ERROR_KEY_DELETED = 1018;

// Limits the store enforces (those of the Windows registry).
constexpr size_t kRegMaxKeyNameLength = 255;
constexpr size_t kRegMaxValueNameLength = 16383;
constexpr size_t kRegMaxKeyDepth = 512;

enum class RegHive { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig, DynData };

// "HKEY_LOCAL_MACHINE" and friends.
const char* RegHiveRootName(RegHive hive);
// Full root names and the usual abbreviations (HKLM, HKCU, HKU, HKCR, HKCC, HKDD), any case.
bool RegHiveFromRootName(std::string_view name, RegHive& hive);

struct RegValue {
    std::string Name;  // as created; empty for the default value
    DWORD Type = REG_NONE;
    std::string Data;  // raw bytes
};

// One key of a hive tree. Children and values are indexed by their folded name, so
// iteration order is the case-insensitive sort order regedit exports in.
class RegKeyNode {
public:
    explicit RegKeyNode(std::string name = {}) : Name(std::move(name)) {}
    RegKeyNode(const RegKeyNode&) = delete;
    RegKeyNode& operator=(const RegKeyNode&) = delete;

    std::string Name;
    std::map<std::string, RegValue> Values;
    std::map<std::string, std::unique_ptr<RegKeyNode>> SubKeys;

    RegKeyNode* FindSubKey(std::string_view name) const;
    // Returns the existing child or a new one; created is set when it was added.
    RegKeyNode* AddSubKey(std::string_view name, bool& created);
    bool RemoveSubKey(std::string_view name);
    const RegValue* FindValue(std::string_view name) const;
    // Replaces a value of that name (the stored name takes the new spelling).
    void SetValue(RegValue v);
    bool RemoveValue(std::string_view name);

    // Follows a path of components; nullptr when one is missing.
    RegKeyNode* Walk(const std::vector<std::string>& path);
    // Deep structural equality, names compared exactly.
    bool SameAs(const RegKeyNode& other) const;
};

// The folded form names are indexed by.
std::string RegFoldName(std::string_view name);

// --- REGEDIT4 text ---------------------------------------------------------------

// One statement of a REGEDIT4 text, in file order.
struct RegOp {
    enum Kind { AddKey, DeleteKey, SetValue, DeleteValue } Kind = AddKey;
    RegHive Hive = RegHive::LocalMachine;
    std::vector<std::string> Path;  // below the root
    RegValue Value;                 // SetValue: name, type, data; DeleteValue: name
};

struct RegParseError {
    int Line = 0;  // 1-based; 0 when not tied to a line
    std::string Message;
    std::string Text() const;  // "line 12: ..." or the message
};

// Parses a whole REGEDIT4 text (CRLF or LF line ends). Returns false with the first
// error. Key lines must name a full root ("HKEY_LOCAL_MACHINE\..."); paths deeper than
// kRegMaxKeyDepth and names longer than the limits above are errors.
bool ParseRegText(std::string_view text, std::vector<RegOp>& ops, RegParseError& error);

// Applies ops to root (a hive tree); ops for another hive are an error.
bool ApplyRegOps(RegKeyNode& root, RegHive hive, const std::vector<RegOp>& ops, RegParseError& error);

// REGEDIT4 text of a whole hive: "REGEDIT4", a blank line, then every key (the root only
// when it holds values) as "[full path]", its values and a blank line; CRLF line ends.
std::string SerializeHive(const RegKeyNode& root, RegHive hive);
// The same for one key and everything below it, keyPath being its full Windows path
// ("HKEY_CURRENT_USER\Software"). Without the REGEDIT4 header when header is false.
std::string SerializeKey(const RegKeyNode& key, const std::string& keyPath, bool header = true);

// --- The store ----------------------------------------------------------------------

namespace RegistryStore {

// Host path of a hive's file (empty for HKEY_DYN_DATA).
std::string HiveFile(RegHive hive);

// Reads a hive: calls fn with the current tree (seeding a missing hive first).
// Returns fn's result, or the store's error (ERROR_BADDB for a damaged file).
template <typename F>
DWORD Read(RegHive hive, F&& fn);

// One locked read-modify-write. fn(root, changed) edits the tree and sets changed when
// it did; returning anything but ERROR_SUCCESS discards the edit. A change is written
// with an atomic replace; a hive whose file is read-only fails with ERROR_ACCESS_DENIED,
// one that cannot be written (disk full) with ERROR_DISK_FULL or the mapped errno, and
// the file on disk is then unchanged.
template <typename F>
DWORD Modify(RegHive hive, F&& fn);

// Whether a change could be attempted (the hive file is not read-only).
bool HiveWritable(RegHive hive, DWORD& error);

// Applies a whole REGEDIT4 text: every hive it touches gets one locked read-modify-write.
// A parse error changes nothing. error receives the parse or store failure.
DWORD Import(std::string_view text, RegParseError& error);

// Detail of the last failure on this thread ("<file>: line 3: ...").
std::string LastErrorText();

// Non-template cores of Read and Modify.
using ReadFn = DWORD (*)(void* ctx, const RegKeyNode& root);
using ModifyFn = DWORD (*)(void* ctx, RegKeyNode& root, bool& changed);
DWORD ReadRaw(RegHive hive, ReadFn fn, void* ctx);
DWORD ModifyRaw(RegHive hive, ModifyFn fn, void* ctx);

template <typename F>
DWORD Read(RegHive hive, F&& fn)
{
    return ReadRaw(
        hive,
        [](void* ctx, const RegKeyNode& root) -> DWORD {
            return (*static_cast<std::remove_reference_t<F>*>(ctx))(root);
        },
        const_cast<void*>(static_cast<const void*>(&fn)));
}

template <typename F>
DWORD Modify(RegHive hive, F&& fn)
{
    return ModifyRaw(
        hive,
        [](void* ctx, RegKeyNode& root, bool& changed) -> DWORD {
            return (*static_cast<std::remove_reference_t<F>*>(ctx))(root, changed);
        },
        const_cast<void*>(static_cast<const void*>(&fn)));
}

}  // namespace RegistryStore
