#include "tests/product/support/RunProgram.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "tests/support/TempMachine.h"

extern char** environ;

namespace testsupport {

ProgramRun RunProgram(const std::vector<std::string>& argv, const std::vector<std::string>& env)
{
    ProgramRun r;
    TempDir dir;
    const std::string out = dir / "out", err = dir / "err";
    std::vector<std::string> envStrings;
    for (char** e = environ; *e; ++e) envStrings.emplace_back(*e);
    for (const std::string& setting : env) {
        const std::string name = setting.substr(0, setting.find('=') + 1);
        std::erase_if(envStrings, [&name](const std::string& s) { return s.compare(0, name.size(), name) == 0; });
        envStrings.push_back(setting);
    }
    std::vector<char*> args, envp;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    for (const std::string& e : envStrings) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int in = open("/dev/null", O_RDONLY);
        const int o = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int e = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(in, 0);
        dup2(o, 1);
        dup2(e, 2);
        execve(args[0], args.data(), envp.data());
        _exit(127);
    }
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) r.ExitCode = WEXITSTATUS(status);
    r.Out = ReadHostFile(out);
    r.Err = ReadHostFile(err);
    return r;
}

}  // namespace testsupport
