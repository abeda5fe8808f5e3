// The PE resource reader on arbitrary bytes: a clean EPeFormatError or lookups that
// stay inside the bytes.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/win/PeResources.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    try {
        TPeResources pe(std::vector<uint8_t>(data, data + size));
        std::u16string s;
        for (uint32_t id : {0u, 1u, 15u, 16u, 17u, 255u, 4095u, 0xFFFFFu}) {
            if (pe.FindString(id, s)) WideToAnsi(s);
        }
        std::string_view v;
        pe.FindResource(10, 1, v);
    } catch (const EPeFormatError&) {
    }
    return 0;
}
