#include "platform/rtl/StrUtils.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

// Windows-1252 0x80..0x9F; 0 marks the five unassigned positions.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

unsigned char UpperChar(unsigned char c)
{
    if (c >= 'a' && c <= 'z') return static_cast<unsigned char>(c - 32);
    // Latin-1 lower-case letters except the division sign and y-diaeresis.
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7) return static_cast<unsigned char>(c - 32);
    if (c == 0x9A || c == 0x9C || c == 0x9E) return static_cast<unsigned char>(c - 16);
    if (c == 0xFF) return 0x9F;
    return c;
}

unsigned char LowerChar(unsigned char c)
{
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
    if (c == 0x8A || c == 0x8C || c == 0x8E) return static_cast<unsigned char>(c + 16);
    if (c == 0x9F) return 0xFF;
    return c;
}


}  // namespace

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

char32_t AnsiCharToUnicode(unsigned char c)
{
    if (c >= 0x80 && c <= 0x9F) {
        char16_t u = kHigh[c - 0x80];
        return u ? u : c;  // unassigned positions map to the C1 control of that value
    }
    return c;
}

std::string UpperCase(std::string_view s)
{
    std::string r(s);
    for (auto& ch : r) ch = static_cast<char>(UpperChar(static_cast<unsigned char>(ch)));
    return r;
}

std::string LowerCase(std::string_view s)
{
    std::string r(s);
    for (auto& ch : r) ch = static_cast<char>(LowerChar(static_cast<unsigned char>(ch)));
    return r;
}

int CompareText(std::string_view a, std::string_view b)
{
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        int ca = UpperChar(static_cast<unsigned char>(a[i]));
        int cb = UpperChar(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca - cb;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameText(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && CompareText(a, b) == 0;
}

std::string TrimLeft(std::string_view s)
{
    size_t i = 0;
    while (i < s.size() && static_cast<unsigned char>(s[i]) <= ' ') ++i;
    return std::string(s.substr(i));
}

std::string TrimRight(std::string_view s)
{
    size_t n = s.size();
    while (n > 0 && static_cast<unsigned char>(s[n - 1]) <= ' ') --n;
    return std::string(s.substr(0, n));
}

std::string Trim(std::string_view s)
{
    return TrimRight(TrimLeft(s));
}

std::string Format(const char* fmt, ...)
{
    va_list ap;
    va_start(ap, fmt);
    va_list ap2;
    va_copy(ap2, ap);
    int n = std::vsnprintf(nullptr, 0, fmt, ap);
    va_end(ap);
    std::string out;
    if (n > 0) {
        std::vector<char> buf(static_cast<size_t>(n) + 1);
        std::vsnprintf(buf.data(), buf.size(), fmt, ap2);
        out.assign(buf.data(), static_cast<size_t>(n));
    }
    va_end(ap2);
    return out;
}

std::string StringReplaceAll(std::string s, std::string_view from, std::string_view to)
{
    if (from.empty()) return s;
    size_t pos = 0;
    while ((pos = s.find(from, pos)) != std::string::npos) {
        s.replace(pos, from.size(), to);
        pos += to.size();
    }
    return s;
}

std::string AnsiToUtf8(std::string_view ansi)
{
    std::string out;
    out.reserve(ansi.size());
    for (char ch : ansi) AppendUtf8(out, AnsiCharToUnicode(static_cast<unsigned char>(ch)));
    return out;
}

std::string Utf8ToAnsi(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        char32_t cp;
        size_t len;
        if (c < 0x80) { cp = c; len = 1; }
        else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; len = 2; }
        else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; len = 3; }
        else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; len = 4; }
        else { out += '?'; ++i; continue; }
        if (i + len > utf8.size()) { out += '?'; break; }
        bool ok = true;
        for (size_t k = 1; k < len; ++k) {
            unsigned char cc = static_cast<unsigned char>(utf8[i + k]);
            if ((cc & 0xC0) != 0x80) { ok = false; break; }
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (!ok) { out += '?'; ++i; continue; }
        i += len;
        if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) { out += static_cast<char>(cp); continue; }
        char mapped = '?';
        for (int k = 0; k < 32; ++k)
            if (kHigh[k] == cp || (kHigh[k] == 0 && cp == static_cast<char32_t>(0x80 + k))) {
                mapped = static_cast<char>(0x80 + k);
                break;
            }
        out += mapped;
    }
    return out;
}

std::u16string AnsiToWide(std::string_view ansi)
{
    std::u16string r;
    r.reserve(ansi.size());
    for (char c : ansi) r += static_cast<char16_t>(AnsiCharToUnicode(static_cast<unsigned char>(c)));
    return r;
}

std::string WideToAnsi(std::u16string_view wide)
{
    std::string out;
    out.reserve(wide.size());
    for (size_t i = 0; i < wide.size(); ++i) {
        char16_t c = wide[i];
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            out += static_cast<char>(c);
            continue;
        }
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 && wide[i + 1] < 0xE000) ++i;
        char mapped = '?';
        for (int b = 0x80; b < 0xA0; ++b)
            if (AnsiCharToUnicode(static_cast<unsigned char>(b)) == c) mapped = static_cast<char>(b);
        out += mapped;
    }
    return out;
}
