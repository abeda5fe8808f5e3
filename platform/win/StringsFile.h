// Loading and saving string lists as text files of the emulated machine. They sit
// here rather than on TStrings because opening a file needs the machine's paths.
#pragma once

#include <string>

#include "platform/classes/Strings.h"

// Replaces the list by the file's lines (CR, LF or CRLF). Raises EFOpenError.
void LoadStringsFromFile(TStrings& Strings, const std::string& FileName);
// Writes every line ended by CRLF, replacing the file. Raises EFCreateError.
void SaveStringsToFile(const TStrings& Strings, const std::string& FileName);
