// Tagged values: the first byte picks the reads, the rest is the stream. Every read
// either succeeds within the bytes or raises EReadError; the position never passes
// the end.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/classes/Filer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    uint8_t plan = data[0];
    TReadOnlyMemoryStream s(data + 1, static_cast<int64_t>(size - 1));
    TReader r(s);
    try {
        for (int step = 0; step < 64 && r.Position() < s.Size(); ++step) {
            switch ((plan + step) % 12) {
            case 0: r.ReadInteger(); break;
            case 1: r.ReadInt64(); break;
            case 2: r.ReadString(); break;
            case 3: r.ReadFloat(); break;
            case 4: r.ReadBoolean(); break;
            case 5: r.ReadIdent(); break;
            case 6: r.ReadSet(); break;
            case 7: r.ReadBinary(); break;
            case 8: r.SkipValue(); break;
            case 9: r.ReadListBegin(); break;
            case 10: r.ReadListEnd(); break;
            case 11: {
                char b[16];
                r.Read(b, plan % 17);
                break;
            }
            }
            if (r.Position() > s.Size()) std::abort();
        }
    } catch (const EReadError&) {
    }
    if (r.Position() > s.Size()) std::abort();
    return 0;
}
