// The archive file: a header of tagged values, then the data area.
//
//   [prefix]  only inside an executable: its own bytes up to the archive's start
//   01                                  begin of list
//     name  usize  csize  offset  attr  date     one entry (string, 4 integers, float)
//     ...
//   00                                  end of list
//   data area                           entry k's stream at [offset, offset + csize)
//
// Offsets count from the first byte of the data area, which is the byte right after
// the end-of-list tag. Integers go with the smallest tag (02/03/04), names as 06 or
// 0C, the date as an 80-bit float (05) of the local day count since 1899-12-30.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TReader;
class TWriter;

struct TArchiveEntry {
    std::string Name;
    int32_t Size = 0;            // uncompressed
    int32_t CompressedSize = 0;  // bytes of the entry's stream
    int32_t Offset = 0;          // from the start of the data area
    int32_t Attributes = 0;
    double DateTime = 0;         // local time, days since 1899-12-30
};

// Reads one header from the reader's position. OnEntry sees every entry as soon as it
// is complete, so a header that fails part-way has delivered the entries before the
// fault. Returns the absolute stream position of the data area. A wrong tag, the end
// of the stream, a name holding a tab, or a date-time that is not a finite number
// raise EReadError naming the offset.
int64_t ReadArchiveHeader(TReader& Reader, const std::function<void(const TArchiveEntry&)>& OnEntry);

// Writes the header for Entries (their offsets as given).
void WriteArchiveHeader(TWriter& Writer, const std::vector<TArchiveEntry>& Entries);

// One line of the file list: name, size, compressed size, attributes and date-time
// joined by tabs; the date in general format with 15 digits and the locale's separator.
std::string FormatFileLine(const TArchiveEntry& Entry);
// The inverse for the five fields (the offset is not in the line). False when the line
// does not have exactly five fields or a number does not parse.
bool ParseFileLine(const std::string& Line, TArchiveEntry& Entry);

// Start offset of an archive stored inside an executable: string 1 of the executable's
// string table, read as a decimal number from at most 14 characters. 0 when the file
// cannot be read as an executable, has no such string or the string is no number.
int32_t ExecutableArchiveStart(const std::string& FileName);
// The decimal rule alone (exposed for tests): optional sign, then digits only.
int32_t ParseStartOffset(const std::string& Text);

// Local DOS date-time of a day count, 0 outside 1980..2099 (and for values that are
// no date at all).
int32_t ArchiveDateToDosDate(double DateTime);
