// The component's reader against the plain reference reader on the same stream and
// the same scripted hooks: every hook call (what was asked for, delivered, handed on)
// and the way the run ended must agree.
//
//   [0..1] input buffer size   [2..3] output buffer size
//   [4]    flags: 1 hooks meddle (nested Expand, size changes), 2 deliveries resume
//          after the end, 4 the stream is written by the writer (see below); bits 3-4
//          pin the reader's way (LzhDecoder.h): as suggested, one after the other,
//          side by side
//   [5]    most bytes per read (0: as asked)   [6] read that throws   [7] read from
//          which on the input ends   [8] write that throws   (0xFF: none; else % 16)
//   [9..]  the stream itself, or with flag 4 the makings of a file: words and 16-byte
//          pieces of these bytes up to [9] x 2000 bytes, written as a stream and cut
//          where [10..11] say (0: whole). Such streams, like real text mixed with
//          incompressible bytes, are where the reader walks while the model climbs.
#include <cstddef>
#include <cstdint>
#include <string>

#include "codec/LzhWriter.h"
#include "tests/codec/HookScript.h"
#include "tests/codec/ReferenceDecoder.h"

namespace {

class Codec : public TCustomLZHCompressor {
public:
    explicit Codec(TLzhReadWay way) : TCustomLZHCompressor(nullptr) { ReadWay = way; }
};

std::string WrittenStream(const uint8_t* data, size_t size)
{
    if (size < 3) return {};
    const size_t target = size_t(data[0]) * 2000;
    const size_t cut = size_t(data[1]) << 8 | data[2];
    data += 3;
    size -= 3;
    static const char* const words[] = {"archive ", "entry ", "stream ", "offset ", "header ", "\r\n", "Tessaly "};
    std::string file;
    for (size_t i = 0; size > 0 && file.size() < target; ++i) {
        uint8_t b = data[i % size];
        if (b < 48 && size >= 16) {
            for (size_t k = 0; k < 16; ++k) file.push_back(static_cast<char>(data[(i * 7 + k) % size] ^ uint8_t(i)));
        } else {
            file += words[b % 7];
        }
    }
    std::string stream = LzhCompress(file);
    if (cut != 0 && cut < stream.size()) stream.resize(cut);
    return stream;
}

}  // namespace

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
    if (data[4] & 4)
        script.Input = WrittenStream(data + 9, size - 9);
    else
        script.Input.assign(reinterpret_cast<const char*>(data + 9), size - 9);

    const TLzhReadWay ways[] = {TLzhReadWay::AsSuggested, TLzhReadWay::OneAfterOther, TLzhReadWay::SideBySide,
                                TLzhReadWay::SideBySide};
    Codec codec(ways[(data[4] >> 3) & 3]);
    TReferenceDecoder reference;
    if (RunScript(codec, script) != RunScript(reference, script)) __builtin_trap();
    if (!codec.IsIdle()) __builtin_trap();
    return 0;
}
