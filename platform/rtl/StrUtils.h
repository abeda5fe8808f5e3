// 8-bit string helpers. Strings are std::string of Windows-1252 characters; case
// folding is ASCII plus the Latin-1 letters of that code page.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
// Case-insensitive comparison: <0, 0, >0.
int CompareText(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);
// printf-style formatting into a std::string.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string StringReplaceAll(std::string s, std::string_view from, std::string_view to);

// Code page conversion at the host boundary: Windows-1252 <-> UTF-8.
std::string AnsiToUtf8(std::string_view ansi);
// Characters outside Windows-1252 become '?'.
std::string Utf8ToAnsi(std::string_view utf8);
// Windows-1252 <-> UTF-16 (the wide strings of the Windows API and of PE string tables).
// A character outside the code page becomes '?'; a surrogate pair counts as one.
std::u16string AnsiToWide(std::string_view ansi);
std::string WideToAnsi(std::u16string_view wide);
// Appends the UTF-8 bytes of one code point.
void AppendUtf8(std::string& out, char32_t cp);
// One Windows-1252 byte to its Unicode code point.
char32_t AnsiCharToUnicode(unsigned char c);
