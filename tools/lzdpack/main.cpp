// lzdpack: raw LZH streams and archives from the command line.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/lzdpack/Commands.h"

namespace {

struct Command {
    const char* name;
    int (*run)(const std::vector<std::string>&);
    const char* help;
};

// Commands of this file's own table; the archive commands come from their own table
// (ArchiveCommands.cpp) and are tried after these.
const Command kCommands[] = {
    {"compress", RunCompress, "compress [IN [OUT]]      pack IN (or standard input) into one raw stream"},
    {"expand", RunExpand, "expand [IN [OUT]]        unpack one raw stream"},
};

void Usage(FILE* to)
{
    std::fprintf(to, "usage: lzdpack COMMAND [ARGS]\n\ncommands:\n");
    for (const Command& c : kCommands) std::fprintf(to, "  %s\n", c.help);
    for (const std::string& s : ArchiveCommandSummaries()) std::fprintf(to, "  %s\n", s.c_str());
    std::fprintf(to, "\nA missing IN or OUT, or \"-\", means standard input or output.\n");
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        Usage(stderr);
        return 1;
    }
    std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        Usage(stdout);
        return 0;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const Command& c : kCommands)
        if (name == c.name) return c.run(args);
    int rc = RunArchiveCommand(name, args);
    if (rc >= 0) return rc;
    std::fprintf(stderr, "lzdpack: unknown command \"%s\" (see lzdpack --help)\n", name.c_str());
    return 1;
}
