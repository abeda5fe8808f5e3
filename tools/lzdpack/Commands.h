// lzdpack's commands. Each takes the arguments after the command name and returns the
// exit status 0; it throws UsageError for a wrong command line (exit status 2, usage
// shown) and anything else for a failure (exit status 1, one line on standard error
// naming the file as the user gave it; component messages go through `Names`).
#pragma once

#include <string>
#include <vector>

class THostNames;

using TCommandFn = int (*)(const std::vector<std::string>& Args, THostNames& Names);

// One raw stream (RawCommands.cpp): [IN [OUT]], "-" or nothing for standard input / output.
int CmdCompress(const std::vector<std::string>& Args, THostNames& Names);
int CmdExpand(const std::vector<std::string>& Args, THostNames& Names);

// Archives (ArchiveCommands.cpp).
int CmdCreate(const std::vector<std::string>& Args, THostNames& Names);
int CmdList(const std::vector<std::string>& Args, THostNames& Names);
int CmdExtract(const std::vector<std::string>& Args, THostNames& Names);
int CmdTest(const std::vector<std::string>& Args, THostNames& Names);
int CmdStamp(const std::vector<std::string>& Args, THostNames& Names);
