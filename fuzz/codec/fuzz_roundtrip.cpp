// The stream writer on arbitrary data: every stream must expand to exactly its input.
// The first byte stretches the input (copies with a changing byte mixed in) to up to
// about 125 KiB, so that inputs cross the writer's block ends and reach its helper
// thread; the second picks the parse.
#include <cstddef>
#include <cstdint>
#include <string>

#include "codec/LzhWriter.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2) return 0;
    const size_t target = size_t(data[0]) * 500;
    TLzhWriterOptions options;
    options.Parse = static_cast<TLzhParse>(data[1] % 3);
    data += 2;
    size -= 2;
    std::string input(reinterpret_cast<const char*>(data), size);
    for (uint8_t round = 1; size > 0 && input.size() < target; ++round) {
        input.append(reinterpret_cast<const char*>(data), size);
        input[input.size() - 1 - (round * 7u) % size] = static_cast<char>(round);
    }
    if (LzhExpand(LzhCompress(input, options)) != input) __builtin_trap();
    return 0;
}
