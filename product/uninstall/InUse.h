// Which processes keep a file busy: run it as their program, map it, or hold it open.
//
// On the machine this product was made for, a running program's files cannot be
// deleted. The host would delete them under the running program's feet; the
// uninstaller asks first and refuses instead, naming the program to close.
#pragma once

#include <string>
#include <vector>

namespace uninstall {

struct FileUser {
    int Pid = 0;
    std::string Name;  // the process's command name ("tessaly.exe")
};

// The processes using a host file, read from /proc: every process whose program is the
// file, that maps it, or that has it open. This process counts only for files it has
// open (its own program and libraries are not in the way of the uninstaller).
std::vector<FileUser> ProcessesUsing(const std::string& hostPath);

// The path field of a line of /proc/<pid>/maps ("... 08:01 1234   /usr/lib/x.so"), with
// " (deleted)" removed; false for a line that names no file.
bool MapsLinePath(const std::string& line, std::string& path);

}  // namespace uninstall
