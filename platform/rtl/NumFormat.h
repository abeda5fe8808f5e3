// Number formatting and parsing as the runtime does it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

std::string IntToStr(int64_t v);
std::string IntToHex(uint64_t v, int digits);
// Decimal, optional sign, or '$'/0x hex. Raises EConvertError "'%s' is not a valid integer value".
int StrToInt(std::string_view s);
int StrToIntDef(std::string_view s, int def);
bool TryStrToInt(std::string_view s, int& out);

// The locale's decimal separator ('.' unless the C library's numeric locale says otherwise).
char DecimalSeparator();
void SetDecimalSeparator(char c);
// General format, 15 significant digits: 36820.978587963 -> "36820.978587963",
// 1e20 -> "1E20", 0.0001 -> "0.0001", 1e-5 -> "1E-5".
std::string FloatToStr(double v);
// Inverse of FloatToStr; raises EConvertError "'%s' is not a valid floating point value".
double StrToFloat(std::string_view s);
bool TryStrToFloat(std::string_view s, double& out);
