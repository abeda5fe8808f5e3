#include "tools/lzdpack/CommandLine.h"

#include <algorithm>

bool Args::Has(const std::string& flag) const
{
    return std::find(flags.begin(), flags.end(), flag) != flags.end();
}

std::string Args::Value(const std::string& name, const std::string& def) const
{
    std::string r = def;
    for (const auto& [k, v] : values)
        if (k == name) r = v;
    return r;
}

Args Parse(const std::vector<std::string>& argv, const std::vector<std::string>& flags,
           const std::vector<std::string>& valued)
{
    Args a;
    bool operandsOnly = false;
    for (size_t i = 0; i < argv.size(); ++i) {
        const std::string& s = argv[i];
        if (operandsOnly || s.empty() || s[0] != '-' || s == "-") {
            a.operands.push_back(s);
            continue;
        }
        if (s == "--") {
            operandsOnly = true;
            continue;
        }
        std::string name = s, value;
        bool inlineValue = false;
        if (size_t eq = s.find('='); eq != std::string::npos && s.rfind("--", 0) == 0) {
            name = s.substr(0, eq);
            value = s.substr(eq + 1);
            inlineValue = true;
        }
        if (std::find(flags.begin(), flags.end(), name) != flags.end() && !inlineValue) {
            a.flags.push_back(name);
        } else if (std::find(valued.begin(), valued.end(), name) != valued.end()) {
            if (!inlineValue) {
                if (i + 1 >= argv.size()) throw UsageError("option " + name + " needs a value");
                value = argv[++i];
            }
            a.values.emplace_back(name, value);
        } else {
            throw UsageError("unknown option " + s);
        }
    }
    return a;
}

bool WantsHelp(const std::vector<std::string>& argv)
{
    for (const std::string& s : argv) {
        if (s == "--") return false;
        if (s == "--help" || s == "-h") return true;
    }
    return false;
}
