// Shortcut (.lnk) files in the MS-SHLLINK layout.
//
//   0x00 u32 header size (0x4C)        0x34 u32 target size (low 32 bits)
//   0x04 16  class id of the link      0x38 i32 icon index
//   0x14 u32 link flags                0x3C u32 show command
//   0x18 u32 target attributes         0x40 u16 hot key (low: virtual key, high: 1 Shift 2 Ctrl 4 Alt)
//   0x1C, 0x24, 0x2C u64 creation, access, write time (100 ns since 1601, UTC)
//   0x42 10  reserved
// then, as the flags say: id list (not written here), link info (volume id and local base
// path), the strings (description, relative path, working dir, arguments, icon location:
// u16 count + characters, UTF-16LE when flag 0x80), and a terminal u32 0.
#pragma once

#include <cstdint>
#include <string>

constexpr uint32_t SLDF_HAS_ID_LIST = 0x01;
constexpr uint32_t SLDF_HAS_LINK_INFO = 0x02;
constexpr uint32_t SLDF_HAS_NAME = 0x04;
constexpr uint32_t SLDF_HAS_RELPATH = 0x08;
constexpr uint32_t SLDF_HAS_WORKINGDIR = 0x10;
constexpr uint32_t SLDF_HAS_ARGS = 0x20;
constexpr uint32_t SLDF_HAS_ICONLOCATION = 0x40;
constexpr uint32_t SLDF_UNICODE = 0x80;

struct ShellLinkData {
    // Target facts (zero when the target does not exist).
    uint32_t FileAttributes = 0;
    uint64_t CreationTime = 0, AccessTime = 0, WriteTime = 0;
    uint32_t FileSize = 0;
    int32_t IconIndex = 0;
    uint32_t ShowCommand = 0;
    uint16_t HotKey = 0;
    // ANSI (Windows-1252) texts; empty means absent.
    std::string LocalBasePath;  // the target's full path; written as link info when not empty
    std::string Description, RelativePath, WorkingDir, Arguments, IconLocation;
    // Volume of the target.
    uint32_t DriveType = 3;  // fixed
    uint32_t DriveSerialNumber = 0;
    std::string VolumeLabel;
};

// The file's bytes. Strings are written as UTF-16LE (flag 0x80); the local base path is
// ANSI, as the format has it.
std::string BuildShellLink(const ShellLinkData& data);

// Reads a file made by any writer (id lists and extra blocks are skipped). Returns false
// with a reason for anything truncated or inconsistent.
bool ParseShellLink(const std::string& bytes, ShellLinkData& data, std::string& error);
