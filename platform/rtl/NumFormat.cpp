#include "platform/rtl/NumFormat.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/rtl/Exception.h"
#include "platform/rtl/StrUtils.h"

namespace {

char InitialSeparator()
{
    const lconv* lc = std::localeconv();
    if (lc && lc->decimal_point && lc->decimal_point[0] && !lc->decimal_point[1]) return lc->decimal_point[0];
    return '.';
}

char g_decimalSeparator = InitialSeparator();

}  // namespace

std::string IntToStr(int64_t v)
{
    return std::to_string(v);
}

std::string IntToHex(uint64_t v, int digits)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%0*llX", digits, static_cast<unsigned long long>(v));
    return buf;
}

bool TryStrToInt(std::string_view text, int& out)
{
    std::string s = Trim(text);
    if (s.empty()) return false;
    size_t i = 0;
    bool neg = false;
    if (s[i] == '+' || s[i] == '-') {
        neg = s[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < s.size() && s[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i >= s.size()) return false;
    uint64_t value = 0;
    auto [p, ec] = std::from_chars(s.data() + i, s.data() + s.size(), value, base);
    if (ec != std::errc() || p != s.data() + s.size()) return false;
    if (base == 16) {
        // Hex literals name a 32-bit pattern: $FFFFFFFF is -1.
        if (value > 0xFFFFFFFFull) return false;
        int32_t v = static_cast<int32_t>(static_cast<uint32_t>(value));
        out = neg ? -v : v;
        return true;
    }
    if (neg ? value > 2147483648ull : value > 2147483647ull) return false;
    out = neg ? static_cast<int>(-static_cast<int64_t>(value)) : static_cast<int>(value);
    return true;
}

int StrToInt(std::string_view s)
{
    int v;
    if (!TryStrToInt(s, v)) throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
    return v;
}

int StrToIntDef(std::string_view s, int def)
{
    int v;
    return TryStrToInt(s, v) ? v : def;
}

char DecimalSeparator()
{
    return g_decimalSeparator;
}

void SetDecimalSeparator(char c)
{
    g_decimalSeparator = c;
}

std::string FloatToStr(double v)
{
    if (std::isnan(v)) return "NAN";
    if (std::isinf(v)) return v < 0 ? "-INF" : "INF";
    if (v == 0) return "0";
    // 15 significant digits, then the shorter of fixed and scientific by the runtime's
    // rule: scientific when the decimal exponent is 15 or more, or below -4.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", v);
    std::string s(buf);
    size_t epos = s.find('e');
    int exp = std::atoi(s.c_str() + epos + 1);
    std::string mant = s.substr(0, epos);
    bool neg = mant[0] == '-';
    if (neg) mant.erase(0, 1);
    std::string digits;
    for (char c : mant)
        if (c >= '0' && c <= '9') digits += c;
    while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

    std::string out = neg ? "-" : "";
    if (exp >= 15 || exp < -4) {
        out += digits[0];
        if (digits.size() > 1) {
            out += g_decimalSeparator;
            out += digits.substr(1);
        }
        out += 'E';
        out += std::to_string(exp);
        return out;
    }
    if (exp < 0) {
        out += '0';
        out += g_decimalSeparator;
        out.append(static_cast<size_t>(-exp - 1), '0');
        out += digits;
        return out;
    }
    size_t intLen = static_cast<size_t>(exp) + 1;
    if (digits.size() <= intLen) {
        out += digits;
        out.append(intLen - digits.size(), '0');
    } else {
        out += digits.substr(0, intLen);
        out += g_decimalSeparator;
        out += digits.substr(intLen);
    }
    return out;
}

bool TryStrToFloat(std::string_view text, double& out)
{
    std::string s = Trim(text);
    if (s.empty()) return false;
    for (auto& c : s) {
        if (c == g_decimalSeparator) c = '.';
        else if (c == '.') return false;  // only the locale's separator is a separator
    }
    if (g_decimalSeparator == '.') {
        // (the loop above turned '.' into itself; nothing to refuse)
    }
    const char* b = s.data();
    if (*b == '+') ++b;
    auto [p, ec] = std::from_chars(b, s.data() + s.size(), out);
    return ec == std::errc() && p == s.data() + s.size();
}

double StrToFloat(std::string_view s)
{
    double v;
    if (!TryStrToFloat(s, v)) throw EConvertError("'" + std::string(s) + "' is not a valid floating point value");
    return v;
}
