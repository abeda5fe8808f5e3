// Resources of a Windows executable (PE file) read from its bytes, without running it.
//
//   0x3C              u32 offset of "PE\0\0"
//   PE + 4            COFF header: u16 section count at +2, u16 optional header size at +16
//   PE + 24           optional header: magic 0x10B (PE32, data directories at +96)
//                     or 0x20B (PE32+, at +112); u32 directory count just before them;
//                     directory 2 = resource table (RVA, size)
//   after it          section headers, 40 bytes: VirtualSize +8, VirtualAddress +12,
//                     SizeOfRawData +16, PointerToRawData +20
//   resource table    directory: 16 bytes, u16 named / u16 id entry counts at +12 / +14,
//                     then 8-byte entries (name or id, offset; top bit of the offset =
//                     subdirectory); offsets count from the table's start. Levels:
//                     type -> name -> language -> data entry (RVA, size, code page)
//   string block      block n/16 + 1 of type 6: 16 x (u16 length, UTF-16LE units)
//
// Every offset and length is checked against the file: a damaged or hostile file
// raises EPeFormatError when parsed, and lookups into it only ever fail softly.
#pragma once

#include "platform/rtl/StrUtils.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/Exception.h"

class EPeFormatError : public Exception {
public:
    using Exception::Exception;
};

constexpr uint32_t PE_RT_STRING = 6;

class TPeResources {
public:
    // Parses the headers; EPeFormatError when the bytes are not a PE file. A PE file
    // without a resource table is valid and has no resources.
    explicit TPeResources(std::vector<uint8_t> Image);

    // The data of resource (Type, Id) in the first language present; false when absent
    // or when its directory entries lead outside the file.
    bool FindResource(uint32_t Type, uint32_t Id, std::string_view& Data) const;
    // String Ident of the string table. An empty string and a missing one are alike:
    // both give false.
    bool FindString(uint32_t Ident, std::u16string& Value) const;

    bool IsPe32Plus() const { return pe32plus_; }

private:
    struct Section {
        uint32_t va, vsize, raw, rawSize;
    };
    bool RvaToOffset(uint32_t Rva, uint32_t Size, size_t& Offset) const;
    bool U16(size_t At, uint16_t& V) const;
    bool U32(size_t At, uint32_t& V) const;
    // The entry of Id in the directory at DirOffset (from the table start), or -1.
    int64_t FindEntry(uint32_t DirOffset, uint32_t Id, bool AnyId) const;

    std::vector<uint8_t> image_;
    std::vector<Section> sections_;
    bool pe32plus_ = false;
    size_t rsrcOffset_ = 0;  // file offset of the resource table
    uint32_t rsrcSize_ = 0;  // its size as far as the file holds it
};

