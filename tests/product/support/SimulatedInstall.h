// A machine root on which Tessaly v1.1 has been installed the way the installer does it:
// the five files, the registry values, the program group with its four shortcuts saved
// through the shell's link object, and the host's menu mirrored into XDG folders of the
// test's own.
#pragma once

#include <map>
#include <string>

#include "tests/support/TempMachine.h"

namespace testsupport {

// Every file below a host folder with its bytes ("path/" for folders), for comparing
// a machine (or XDG tree) before and after.
std::map<std::string, std::string> Snapshot(const std::string& hostDir);

class SimulatedInstall : public MachineTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Installs into dir (default C:\Program Files\Tessaly), or only some of the traces.
    struct Parts {
        bool Files = true, ProductKey = true, UninstallKey = true, Shortcuts = true;
    };
    void Install(const std::string& dir = kDefaultDir) { Install(dir, Parts{}); }
    void Install(const std::string& dir, const Parts& parts);

    std::string Programs() const { return programs_; }
    std::string Group() const { return programs_ + "\\Tessaly v1.1"; }
    // The machine root and the XDG folders together.
    std::map<std::string, std::string> Everything() const;
    std::string Xdg() const { return xdg_; }

    static constexpr const char* kDefaultDir = "C:\\Program Files\\Tessaly";

private:
    std::string programs_, xdg_;
};

}  // namespace testsupport
