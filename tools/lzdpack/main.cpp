// lzdpack: raw LZH streams and archives from the command line.
//
// Exit status: 0 done, 1 failed (one line on standard error), 2 wrong command line
// (the message and the usage on standard error).
#include <cstdio>
#include <string>
#include <vector>

#include "platform/rtl/StrUtils.h"
#include "tools/lzdpack/CommandLine.h"
#include "tools/lzdpack/Commands.h"
#include "tools/lzdpack/HostNames.h"
#include "tools/lzdpack/Output.h"

namespace {

struct Command {
    const char* name;
    const char* usage;   // after "lzdpack "
    const char* help;    // what it does and its options
    bool writes;         // follows the output rules
    TCommandFn run;
};

const Command kCommands[] = {
    {"compress", "compress [IN [OUT]]", "Packs IN (or standard input) into one raw stream on OUT (or standard output).",
     true, CmdCompress},
    {"expand", "expand [IN [OUT]]", "Unpacks one raw stream from IN (or standard input) to OUT (or standard output).",
     true, CmdExpand},
    {"create", "create ARCHIVE PATH... [--recurse] [--directory-info none|relative|full] [--root DIR] [--add]",
     "Packs files into ARCHIVE. A PATH that is a directory stands for the files in it (and below it\n"
     "with --recurse); its last part may be a mask of * and ?. --add keeps the entries of an existing\n"
     "ARCHIVE and adds the new ones after them.",
     true, CmdCreate},
    {"list", "list ARCHIVE [--raw]", "Shows the entries (--raw: the archive's file list lines).", false, CmdList},
    {"extract",
     "extract ARCHIVE [-C DIR] [--use-directory-names] [--no-overwrite] [--skip-existing] [--restore-dates] "
     "[--restore-attributes]",
     "Unpacks every entry into DIR (default: the current directory), keeping stored folders with\n"
     "--use-directory-names. An existing file is replaced unless --no-overwrite (stop with an error)\n"
     "or --skip-existing (keep it) is given.",
     true, CmdExtract},
    {"test", "test ARCHIVE", "Expands every entry to nowhere and checks its length.", false, CmdTest},
    {"stamp", "stamp FILE... [--attributes N] [--date \"YYYY-MM-DD HH:MM:SS\"]",
     "Sets the attributes and local last-write date that an archive will record.", false, CmdStamp},
};

void Usage(FILE* to)
{
    std::fprintf(to, "usage: lzdpack COMMAND [ARGS]   (lzdpack COMMAND --help for one command)\n\ncommands:\n");
    for (const Command& c : kCommands) std::fprintf(to, "  %s\n", c.usage);
    std::fprintf(to, "\nFiles are host paths; for compress and expand a missing IN or OUT, or \"-\", means\n"
                     "standard input or output. Exit status: 0 done, 1 failed, 2 wrong command line.\n\n%s",
                 kOutputRules);
}

int Run(const Command& c, const std::vector<std::string>& args)
{
    THostNames names;
    try {
        if (WantsHelp(args)) {
            std::printf("usage: lzdpack %s\n\n%s\n", c.usage, c.help);
            if (c.writes) std::printf("\n%s", kOutputRules);
            return 0;
        }
        return c.run(args, names);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "lzdpack %s: %s\nusage: lzdpack %s\n", c.name, e.Message().c_str(), c.usage);
        return 2;
    } catch (const ECommandError& e) {
        std::fprintf(stderr, "lzdpack %s: %s\n", c.name, e.Message().c_str());
    } catch (const Exception& e) {
        // The components' messages: Windows names and Windows-1252, maybe several lines.
        std::string m = StringReplaceAll(names.Message(e.Message()), "\r\n", " ");
        std::fprintf(stderr, "lzdpack %s: %s\n", c.name, m.c_str());
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lzdpack %s: %s\n", c.name, e.what());
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        Usage(stderr);
        return 2;
    }
    std::string name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        Usage(stdout);
        return 0;
    }
    std::vector<std::string> args(argv + 2, argv + argc);
    for (const Command& c : kCommands)
        if (name == c.name) return Run(c, args);
    std::fprintf(stderr, "lzdpack: unknown command \"%s\"\n", name.c_str());
    Usage(stderr);
    return 2;
}
