// Both directions of the text form conversion. Binary input must convert or fail with
// EReadError; text input must compile or fail with EParserError; whatever compiles
// must print back, and the printed text must compile to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/classes/Filer.h"
#include "platform/classes/TextForm.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) return 0;
    std::string in(reinterpret_cast<const char*>(data + 1), size - 1);
    if (data[0] & 1) {
        try {
            FormBinaryToText("TPF0" + in);
        } catch (const EReadError&) {
        }
        return 0;
    }
    std::string bin;
    try {
        bin = FormTextToBinary(in);
    } catch (const EParserError&) {
        return 0;
    } catch (const EWriteError&) {
        return 0;  // a name or string longer than a stream can hold
    }
    std::string text = FormBinaryToText(bin);
    if (FormTextToBinary(text) != bin) std::abort();
    return 0;
}
