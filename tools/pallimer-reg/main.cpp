// pallimer-reg: looks at and changes the registry of an emulated machine.
//
//   pallimer-reg [--root DIR] query KEY [VALUE]   the key's values and subkeys, or one value
//   pallimer-reg [--root DIR] export KEY FILE     the key and everything below it as REGEDIT4
//   pallimer-reg [--root DIR] import FILE         applies a REGEDIT4 file
//
// KEY is a full path starting with a root name (HKEY_LOCAL_MACHINE\Software) or its short
// form (HKLM\Software). FILE "-" is standard output or input. The machine root is DIR,
// else $PALLIMER_ROOT, else the user's default machine. Exit status: 0 done, 1 failed,
// 2 wrong usage.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/rtl/StrUtils.h"
#include "platform/win/Machine.h"
#include "platform/win/RegistryStore.h"

namespace {

int Usage()
{
    std::fprintf(stderr,
                 "usage: pallimer-reg [--root DIR] query KEY [VALUE]\n"
                 "       pallimer-reg [--root DIR] export KEY FILE\n"
                 "       pallimer-reg [--root DIR] import FILE\n");
    return 2;
}

int Fail(const std::string& message)
{
    std::fprintf(stderr, "pallimer-reg: %s\n", AnsiToUtf8(message).c_str());
    return 1;
}

struct KeyName {
    RegHive Hive;
    std::vector<std::string> Path;
};

bool ParseKey(const std::string& text, KeyName& key, std::string& error)
{
    // Names reach us in the terminal's UTF-8; the registry holds ANSI.
    const std::string ansi = Utf8ToAnsi(text);
    const size_t bs = ansi.find('\\');
    if (!RegHiveFromRootName(ansi.substr(0, bs), key.Hive)) {
        error = "unknown root key in \"" + ansi + "\"";
        return false;
    }
    if (key.Hive == RegHive::DynData) {
        error = "HKEY_DYN_DATA lives only in the memory of a running program";
        return false;
    }
    key.Path.clear();
    if (bs == std::string::npos) return true;
    std::string rest = ansi.substr(bs + 1);
    while (!rest.empty() && rest.back() == '\\') rest.pop_back();
    size_t start = 0;
    while (start < rest.size()) {
        size_t n = rest.find('\\', start);
        if (n == std::string::npos) n = rest.size();
        if (n == start) {
            error = "empty key name in \"" + ansi + "\"";
            return false;
        }
        key.Path.push_back(rest.substr(start, n - start));
        start = n + 1;
    }
    return true;
}

const char* TypeName(DWORD type)
{
    switch (type) {
    case REG_NONE: return "REG_NONE";
    case REG_SZ: return "REG_SZ";
    case REG_EXPAND_SZ: return "REG_EXPAND_SZ";
    case REG_BINARY: return "REG_BINARY";
    case REG_DWORD: return "REG_DWORD";
    case REG_DWORD_BIG_ENDIAN: return "REG_DWORD_BIG_ENDIAN";
    case REG_MULTI_SZ: return "REG_MULTI_SZ";
    case REG_QWORD: return "REG_QWORD";
    default: return "REG_UNKNOWN";
    }
}

std::string ShowData(const RegValue& v)
{
    if (v.Type == REG_SZ || v.Type == REG_EXPAND_SZ) return v.Data.substr(0, v.Data.find('\0'));
    if (v.Type == REG_DWORD && v.Data.size() == 4) {
        uint32_t n = 0;
        for (int i = 3; i >= 0; --i) n = (n << 8) | static_cast<unsigned char>(v.Data[static_cast<size_t>(i)]);
        char buf[16];
        std::snprintf(buf, sizeof buf, "0x%x", n);
        return buf;
    }
    if (v.Type == REG_MULTI_SZ) {
        std::string s = v.Data;
        while (!s.empty() && s.back() == '\0') s.pop_back();
        return StringReplaceAll(s, std::string(1, '\0'), "\\0");
    }
    std::string hex;
    char buf[4];
    for (unsigned char c : v.Data) {
        std::snprintf(buf, sizeof buf, "%02X", c);
        hex += buf;
    }
    return hex;
}

// Runs fn on the key of name; fullPath gets the key's stored spelling.
template <typename F>
int WithKey(const KeyName& name, F fn)
{
    int rc = 0;
    DWORD e = RegistryStore::Read(name.Hive, [&](const RegKeyNode& root) -> DWORD {
        const RegKeyNode* k = &root;
        std::string full = RegHiveRootName(name.Hive);
        for (const auto& c : name.Path) {
            k = k->FindSubKey(c);
            if (!k) return ERROR_FILE_NOT_FOUND;
            full += "\\" + k->Name;
        }
        rc = fn(*k, full);
        return ERROR_SUCCESS;
    });
    if (e == ERROR_FILE_NOT_FOUND) return Fail("the key does not exist");
    if (e) return Fail("cannot read the registry: " + RegistryStore::LastErrorText());
    return rc;
}

int Query(const KeyName& name, const char* valueName)
{
    return WithKey(name, [&](const RegKeyNode& k, const std::string& full) -> int {
        if (valueName) {
            const RegValue* v = k.FindValue(Utf8ToAnsi(valueName));
            if (!v) return Fail("the value does not exist");
            std::printf("%s\n", AnsiToUtf8(ShowData(*v)).c_str());
            return 0;
        }
        std::printf("%s\n", AnsiToUtf8(full).c_str());
        for (const auto& [folded, v] : k.Values)
            std::printf("    %s    %s    %s\n", v.Name.empty() ? "(Default)" : AnsiToUtf8(v.Name).c_str(),
                        TypeName(v.Type), AnsiToUtf8(ShowData(v)).c_str());
        for (const auto& [folded, c] : k.SubKeys) std::printf("\n%s\\%s\n", AnsiToUtf8(full).c_str(), AnsiToUtf8(c->Name).c_str());
        return 0;
    });
}

int Export(const KeyName& name, const std::string& file)
{
    return WithKey(name, [&](const RegKeyNode& k, const std::string& full) -> int {
        const std::string text = name.Path.empty() ? SerializeHive(k, name.Hive) : SerializeKey(k, full);
        if (file == "-") {
            std::fwrite(text.data(), 1, text.size(), stdout);
            return std::fflush(stdout) == 0 ? 0 : Fail("cannot write standard output");
        }
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (!out) return Fail("cannot write " + file);
        return 0;
    });
}

int Import(const std::string& file)
{
    std::string text;
    if (file == "-") {
        std::ostringstream s;
        s << std::cin.rdbuf();
        text = s.str();
    } else {
        std::ifstream in(file, std::ios::binary);
        if (!in) return Fail("cannot read " + file);
        std::ostringstream s;
        s << in.rdbuf();
        text = s.str();
    }
    RegParseError err;
    std::vector<RegOp> ops;
    if (ParseRegText(text, ops, err)) {
        for (const auto& op : ops)
            if (op.Hive == RegHive::DynData)
                return Fail(file + ": HKEY_DYN_DATA lives only in the memory of a running program");
    }
    if (DWORD e = RegistryStore::Import(text, err)) {
        (void)e;
        return Fail(file + ": " + err.Text());
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() >= 2 && args[0] == "--root") {
        Machine::SetRoot(args[1]);
        args.erase(args.begin(), args.begin() + 2);
    }
    if (args.empty()) return Usage();
    const std::string cmd = args[0];
    if (cmd == "import") {
        if (args.size() != 2) return Usage();
        return Import(args[1]);
    }
    if ((cmd == "query" && (args.size() == 2 || args.size() == 3)) || (cmd == "export" && args.size() == 3)) {
        KeyName key;
        std::string error;
        if (!ParseKey(args[1], key, error)) return Fail(error);
        if (cmd == "query") return Query(key, args.size() == 3 ? args[2].c_str() : nullptr);
        return Export(key, args[2]);
    }
    return Usage();
}
