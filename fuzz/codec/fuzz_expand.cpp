// Expand on arbitrary bytes with hooks that behave arbitrarily: the first bytes choose
// buffer sizes and how much ReadInput delivers per call, whether it ends early, throws,
// or nests calls. Expand must terminate, stay inside its buffers, and produce no more
// than the bits can encode: an item takes at least one bit and yields at most 60 bytes,
// and after the input ends at most 15 more bits are read.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "codec/Lzh_op.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 4) return 0;
    uint16_t inSize = static_cast<uint16_t>(data[0] << 8 | data[1]);
    uint16_t outSize = static_cast<uint16_t>(data[2] * 131);
    uint8_t mode = data[3];
    data += 4;
    size -= 4;
    TCustomLZHCompressor c(nullptr);
    c.SetInputBufferSize(inSize);
    c.SetOutputBufferSize(outSize);
    size_t at = 0;
    size_t out = 0;
    int calls = 0;
    bool ended = false;
    c.ReadInput = [&](TObject*, void* buf, uint16_t count, uint16_t& actual) {
        ++calls;
        if ((mode & 0x80) && calls == 5) throw Exception("hook failure");
        if (mode & 0x40) c.Expand();  // nested: must be ignored
        c.SetInputBufferSize(static_cast<uint16_t>(calls));  // ignored while running
        size_t piece = (mode & 0x0F) ? (mode & 0x0F) * 37u : count;
        size_t n = ended ? 0 : std::min<size_t>({count, size - at, piece});
        if ((mode & 0x20) && calls > 3) n = 0;  // stops early
        if (n == 0) ended = true;
        std::memcpy(buf, data + at, n);
        at += n;
        actual = static_cast<uint16_t>(n);
    };
    c.WriteOutput = [&](TObject*, void* buf, uint16_t count, uint16_t& actual) {
        if (count > c.OutputBufferSize()) __builtin_trap();
        volatile uint8_t sink = 0;
        for (uint16_t i = 0; i < count; ++i) sink = sink ^ static_cast<uint8_t>(static_cast<uint8_t*>(buf)[i]);
        out += count;
        actual = 0xFFFF;
    };
    c.Expand();
    if (out > (size * 8 + 16) * 60) __builtin_trap();
    if (!c.IsIdle()) __builtin_trap();
    return 0;
}
