// lzdpack's command-line conventions, shared by every command:
//   - options may come anywhere among the operands; "--" ends them; "-" is an operand;
//   - a valued option takes the next argument or "--name=value";
//   - a wrong command line throws UsageError: its message and the command's usage go
//     to standard error and the exit status is 2; other failures exit with 1.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/rtl/Exception.h"

class UsageError : public Exception {
public:
    using Exception::Exception;
};

// A failure lzdpack reports itself, its message already in the user's terms (UTF-8,
// files named as given). Other exceptions come from the components and name files
// the machine's way (see HostNames.h).
class ECommandError : public Exception {
public:
    using Exception::Exception;
};

struct Args {
    std::vector<std::string> operands;
    std::vector<std::string> flags;
    std::vector<std::pair<std::string, std::string>> values;

    bool Has(const std::string& flag) const;
    // The last value given for name, or def.
    std::string Value(const std::string& name, const std::string& def = {}) const;
};

// Parses argv (the arguments after the command name) against the command's flags and
// valued options. "--help"/"-h" are left to the caller (see WantsHelp).
Args Parse(const std::vector<std::string>& argv, const std::vector<std::string>& flags,
           const std::vector<std::string>& valued);

// True when the arguments ask for the command's help (before any "--").
bool WantsHelp(const std::vector<std::string>& argv);
