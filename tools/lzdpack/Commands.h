// lzdpack's commands. Each takes the arguments after the command name and returns the
// exit status (0 success, 1 failure after one line on standard error naming the file).
#pragma once

#include <string>
#include <vector>

// compress [IN [OUT]] and expand [IN [OUT]]: one raw stream; "-" or an omitted name is
// standard input / output (RawCommands.cpp).
int RunCompress(const std::vector<std::string>& Args);
int RunExpand(const std::vector<std::string>& Args);

// Archive commands (ArchiveCommands.cpp): runs Name, or returns -1 when Name is not one
// of them; the summaries are one usage line each for --help.
int RunArchiveCommand(const std::string& Name, const std::vector<std::string>& Args);
std::vector<std::string> ArchiveCommandSummaries();
