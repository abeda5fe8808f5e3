// ELF section reader: any bytes give a section that lies inside them, or nothing.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/win/ElfSection.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (const char* name : {".icon", ".shstrtab", ""}) {
        std::string out;
        if (ReadElfSectionFromBytes(bytes, name, out) && (out.size() > bytes.size() || out.size() > kMaxElfSectionSize))
            std::abort();
    }
    return 0;
}
