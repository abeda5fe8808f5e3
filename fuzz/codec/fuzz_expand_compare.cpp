// The component's reader against the plain reference reader on the same bytes and the
// same scripted hooks: every hook call (what was asked for, delivered, handed on) and
// the way the run ended must agree. The first nine bytes choose the buffer sizes and
// the hooks' behaviour: pieces delivered per read, a read or write that throws, an
// early end, deliveries resumed after the end, nested calls and size changes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/codec/HookScript.h"
#include "tests/codec/ReferenceDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 9) return 0;
    THookScript script;
    script.InSize = static_cast<uint16_t>(data[0] << 8 | data[1]);
    script.OutSize = static_cast<uint16_t>(data[2] << 8 | data[3]);
    script.Meddle = data[4] & 1;
    script.ResumeAfterEnd = data[4] & 2;
    if (data[5] != 0) script.Pieces = {data[5], static_cast<uint16_t>(data[5] * 37u + 1), 1};
    script.ReadThrowAt = data[6] == 0xFF ? -1 : data[6] % 16;
    script.ReadEndAt = data[7] == 0xFF ? -1 : data[7] % 16;
    script.WriteThrowAt = data[8] == 0xFF ? -1 : data[8] % 16;
    script.Input.assign(reinterpret_cast<const char*>(data + 9), size - 9);

    TCustomLZHCompressor codec(nullptr);
    TReferenceDecoder reference;
    if (RunScript(codec, script) != RunScript(reference, script)) __builtin_trap();
    if (!codec.IsIdle()) __builtin_trap();
    return 0;
}
