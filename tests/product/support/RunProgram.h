// Running one of the product's programs as a user would, and reading what it said.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

struct ProgramRun {
    int ExitCode = -1;  // -1 when the program did not end normally (a signal)
    std::string Out, Err;
};

// Runs argv[0] with the arguments, this process's environment plus the given
// "NAME=value" settings, standard input from /dev/null; waits for it to end.
ProgramRun RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& env = {});

}  // namespace testsupport
