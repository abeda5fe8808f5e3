// Pure string helpers on Windows path names ('\' and '/' separate, ':' ends a drive).
#pragma once

#include <string>
#include <string_view>

bool IsPathDelimiter(char c);
// Everything up to and including the last '\', '/' or ':'.
std::string ExtractFilePath(std::string_view name);
// ExtractFilePath without a trailing backslash (but "C:\" keeps it).
std::string ExtractFileDir(std::string_view name);
// What follows the last '\', '/' or ':'.
std::string ExtractFileName(std::string_view name);
// From the last '.' of the file name on, or empty.
std::string ExtractFileExt(std::string_view name);
// "C:" or "\\server\share", or empty.
std::string ExtractFileDrive(std::string_view name);
std::string ChangeFileExt(std::string_view name, std::string_view ext);
std::string IncludeTrailingBackslash(std::string_view s);
std::string ExcludeTrailingBackslash(std::string_view s);
