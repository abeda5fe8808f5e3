// Names between the user and the archive component. The user gives host paths
// (UTF-8, relative or absolute); the component works with the emulated machine's
// Windows names (Z:\... for the host's tree) in Windows-1252, and its messages name
// files that way. THostNames hands out the Windows names and remembers how the user
// wrote them, so that a message can be given back in the user's terms:
//
//   Cannot write to Z:\tmp\out\docs\gpl3.txt. File already exists
//   Cannot write to out/docs/gpl3.txt. File already exists      (-C out, as typed)
#pragma once

#include <string>
#include <utility>
#include <vector>

class THostNames {
public:
    // The Windows name of a host path, remembered as shown to the user as `shown`
    // (by default the path itself). Throws for a name the machine cannot represent
    // (a ':' in it, too long, ...).
    std::string Win(const std::string& host);
    std::string Win(const std::string& host, const std::string& shown);

    // The host path of a Windows name (existing components found as the machine finds
    // them, case-insensitively).
    static std::string Host(const std::string& win);

    // A component's message in the user's terms, as UTF-8: every Windows name under a
    // remembered one is written as shown, the rest of its path with '/'; any other
    // Z:\ name as the host path it is.
    std::string Message(const std::string& ansi) const;

private:
    std::vector<std::pair<std::string, std::string>> names_;  // Windows name (UTF-8), shown
};
