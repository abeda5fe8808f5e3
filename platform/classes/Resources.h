// The program's own resources, embedded by the build (cmake/Resources.cmake):
// raw data such as binary forms (named after their class in capitals, "TFORM1"),
// bitmaps by name (the .bmp file's bytes, for the graphics layer to decode) and the
// string table by number. The embedding code registers every block at start-up; the
// bytes stay in the executable's read-only data for the life of the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/classes/Stream.h"

class TComponent;

// Resource types, numbered as the platform numbers them.
constexpr int RT_BITMAP = 2;
constexpr int RT_STRING = 6;
constexpr int RT_RCDATA = 10;

// "Resource %s not found"
class EResNotFound : public Exception {
public:
    using Exception::Exception;
};

struct TResourceBlock {
    const uint8_t* Data = nullptr;
    size_t Size = 0;
    explicit operator bool() const { return Data != nullptr; }
};

// Names are case-insensitive. Registering a (type, name) pair again replaces it.
void RegisterResource(int Type, const std::string& Name, const void* Data, size_t Size);
// A string table in its source form, one string a line: "<number> <text>", where
// the text may hold \n, \r, \t and \\; blank lines and lines starting with '#' or ';'
// are skipped. Registering a number again replaces its string.
void RegisterStringTable(const void* Data, size_t Size);

// The block, or an empty one when absent.
TResourceBlock FindResource(int Type, const std::string& Name);
// The bitmap's file bytes (BITMAPFILEHEADER first), or an empty block.
TResourceBlock FindBitmapResource(const std::string& Name);
// String Ident of the string table; false when absent (an empty string is present).
bool FindResString(uint32_t Ident, std::string& Value);
// The string, or "" when absent.
std::string LoadResString(uint32_t Ident);

// A read-only stream over a resource; raises EResNotFound when it does not exist.
class TResourceStream : public TReadOnlyMemoryStream {
public:
    TResourceStream(const std::string& Name, int Type);
    std::string ClassName() const override { return "TResourceStream"; }

private:
    TResourceStream(TResourceBlock Block, const std::string& Name);
};

// Reads the binary form resource named after Instance's class in capitals into
// Instance (TReader::ReadRootComponent). Returns false when there is no such resource.
bool ReadComponentResource(TComponent* Instance);
