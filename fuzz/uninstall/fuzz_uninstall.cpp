// What the uninstaller reads from outside: the registry values naming the installation
// folder (any text gives a normalised absolute folder or a reason), and lines of the
// process tables.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "product/uninstall/InUse.h"
#include "product/uninstall/Installation.h"

// Paths are only normalised, never looked up; should that change, the machine root is
// one of the fuzzer's own and not the user's.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static char root[] = "/tmp/fuzz-uninstall-XXXXXX";
    if (mkdtemp(root)) setenv("PALLIMER_ROOT", root, 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const size_t split = bytes.find('\n');
    const std::string installDir = bytes.substr(0, split);
    const std::string uninstallString = split == std::string::npos ? "" : bytes.substr(split + 1);
    std::string dir, why;
    if (uninstall::ResolveInstallDir(installDir, uninstallString, dir, why)) {
        if (dir.size() < 3 || dir[1] != ':' || dir[2] != '\\') std::abort();
    } else if (why.empty()) {
        std::abort();
    }
    std::string path;
    if (uninstall::MapsLinePath(bytes, path) && (path.empty() || path[0] != '/')) std::abort();
    return 0;
}
