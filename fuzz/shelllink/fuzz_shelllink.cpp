// Shortcut file reader: any input is read or refused with a reason; what is read
// writes back to a file that reads the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/win/ShellLinkFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    ShellLinkData d;
    std::string why;
    if (!ParseShellLink(bytes, d, why)) {
        if (why.empty()) std::abort();
        return 0;
    }
    ShellLinkData again;
    if (!ParseShellLink(BuildShellLink(d), again, why)) std::abort();
    if (BuildShellLink(again) != BuildShellLink(d)) std::abort();
    return 0;
}
