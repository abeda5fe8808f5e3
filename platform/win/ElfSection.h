// Reading one named section of a host executable (ELF, 32- or 64-bit, little-endian),
// the way the desktop menu finds the icon a program carries in its ".icon" section.
//
//   ELF header   e_shoff (where the section headers are), e_shentsize, e_shnum,
//                e_shstrndx (the section holding the section names)
//   section hdr  sh_name (offset into the names), sh_type (8 = no bytes in the file),
//                sh_offset, sh_size
//
// Every offset and size is checked against the file before it is used; a truncated or
// inconsistent file gives false, never a read outside it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

// Reads len bytes at off into out; false when the file is shorter or unreadable.
using ElfByteSource = std::function<bool(uint64_t off, size_t len, std::string& out)>;

// Sections larger than this are refused (an icon is a few kilobytes).
constexpr uint64_t kMaxElfSectionSize = 4u << 20;

// The bytes of the first section called name. False when the file is no ELF file, is
// damaged, has no such section or the section is larger than kMaxElfSectionSize.
bool ReadElfSection(const ElfByteSource& source, const std::string& name, std::string& out);

// The same for bytes in memory and for a host file.
bool ReadElfSectionFromBytes(const std::string& bytes, const std::string& name, std::string& out);
bool ReadElfSectionFromFile(const std::string& hostPath, const std::string& name, std::string& out);
