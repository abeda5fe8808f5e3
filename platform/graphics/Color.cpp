#include "platform/graphics/Color.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <strings.h>

#include "platform/classes/Published.h"

namespace {

// The classic grey desktop scheme: grey faces, navy captions and selection, a teal desktop.
constexpr std::array<TColor, COLOR_COUNT> kClassicScheme = {
    RGB(192, 192, 192),  // COLOR_SCROLLBAR
    RGB(0, 128, 128),    // COLOR_BACKGROUND
    RGB(0, 0, 128),      // COLOR_ACTIVECAPTION
    RGB(128, 128, 128),  // COLOR_INACTIVECAPTION
    RGB(192, 192, 192),  // COLOR_MENU
    RGB(255, 255, 255),  // COLOR_WINDOW
    RGB(0, 0, 0),        // COLOR_WINDOWFRAME
    RGB(0, 0, 0),        // COLOR_MENUTEXT
    RGB(0, 0, 0),        // COLOR_WINDOWTEXT
    RGB(255, 255, 255),  // COLOR_CAPTIONTEXT
    RGB(192, 192, 192),  // COLOR_ACTIVEBORDER
    RGB(192, 192, 192),  // COLOR_INACTIVEBORDER
    RGB(128, 128, 128),  // COLOR_APPWORKSPACE
    RGB(0, 0, 128),      // COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    RGB(192, 192, 192),  // COLOR_BTNFACE
    RGB(128, 128, 128),  // COLOR_BTNSHADOW
    RGB(128, 128, 128),  // COLOR_GRAYTEXT
    RGB(0, 0, 0),        // COLOR_BTNTEXT
    RGB(192, 192, 192),  // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
    RGB(0, 0, 0),        // COLOR_3DDKSHADOW
    RGB(223, 223, 223),  // COLOR_3DLIGHT
    RGB(0, 0, 0),        // COLOR_INFOTEXT
    RGB(255, 255, 225),  // COLOR_INFOBK
    RGB(0, 0, 0),        // 25: unused
    RGB(0, 0, 128),      // COLOR_HOTLIGHT
    RGB(16, 132, 208),   // COLOR_GRADIENTACTIVECAPTION
    RGB(181, 181, 181),  // COLOR_GRADIENTINACTIVECAPTION
    RGB(0, 0, 128),      // COLOR_MENUHILIGHT
    RGB(192, 192, 192),  // COLOR_MENUBAR
};

std::array<TColor, COLOR_COUNT> g_sysColors = kClassicScheme;

struct NamedColor {
    TColor value;
    const char* name;
};

constexpr NamedColor kNames[] = {
    {clBlack, "clBlack"},
    {clMaroon, "clMaroon"},
    {clGreen, "clGreen"},
    {clOlive, "clOlive"},
    {clNavy, "clNavy"},
    {clPurple, "clPurple"},
    {clTeal, "clTeal"},
    {clGray, "clGray"},
    {clSilver, "clSilver"},
    {clRed, "clRed"},
    {clLime, "clLime"},
    {clYellow, "clYellow"},
    {clBlue, "clBlue"},
    {clFuchsia, "clFuchsia"},
    {clAqua, "clAqua"},
    {clWhite, "clWhite"},
    {clNone, "clNone"},
    {clDefault, "clDefault"},
    {clScrollBar, "clScrollBar"},
    {clBackground, "clBackground"},
    {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"},
    {clMenu, "clMenu"},
    {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"},
    {clMenuText, "clMenuText"},
    {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"},
    {clActiveBorder, "clActiveBorder"},
    {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"},
    {clHighlight, "clHighlight"},
    {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"},
    {clBtnShadow, "clBtnShadow"},
    {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"},
    {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"},
    {cl3DDkShadow, "cl3DDkShadow"},
    {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"},
    {clInfoBk, "clInfoBk"},
};

}  // namespace

TColor GetSysColor(int index)
{
    if (index < 0 || index >= COLOR_COUNT) return clBlack;
    return g_sysColors[index];
}

void SetSysColor(int index, TColor rgb)
{
    if (index < 0 || index >= COLOR_COUNT) return;
    g_sysColors[index] = rgb & 0xFFFFFF;
}

void ResetSysColors() { g_sysColors = kClassicScheme; }

TColor ColorToRGB(TColor color)
{
    if (color < 0) return GetSysColor(color & 0xFF);
    return color;
}

std::string ColorToString(TColor color)
{
    for (const auto& n : kNames)
        if (n.value == color) return n.name;
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%08X", uint32_t(color));
    return buf;
}

bool StringToColor(const std::string& text, TColor& color)
{
    for (const auto& n : kNames) {
        if (strcasecmp(n.name, text.c_str()) == 0) {
            color = n.value;
            return true;
        }
    }
    if (text.empty()) return false;
    const char* s = text.c_str();
    bool negative = false;
    if (*s == '-' || *s == '+') negative = *s++ == '-';
    int base = 10;
    if (*s == '$') {
        base = 16;
        ++s;
    } else if (s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
        base = 16;
        s += 2;
    }
    if (!std::isxdigit(static_cast<unsigned char>(*s))) return false;
    char* end = nullptr;
    unsigned long long v = std::strtoull(s, &end, base);
    if (*end != '\0' || v > 0xFFFFFFFFull) return false;
    if (base == 10 && !negative && v > 0x7FFFFFFFull) return false;
    if (negative && v > 0x80000000ull) return false;
    color = negative ? TColor(-int64_t(v)) : TColor(uint32_t(v));
    return true;
}

namespace {

// Stored forms write named colours as identifiers (Color = clNavy) and others as numbers.
[[maybe_unused]] const bool kColorIdentsRegistered = [] {
    TIdentMap map;
    map.ToValue = [](const std::string& ident, int32_t& value) {
        for (const auto& n : kNames)
            if (strcasecmp(n.name, ident.c_str()) == 0) {
                value = static_cast<int32_t>(n.value);
                return true;
            }
        return false;
    };
    map.ToIdent = [](int32_t value, std::string& ident) {
        for (const auto& n : kNames)
            if (static_cast<int32_t>(n.value) == value) {
                ident = n.name;
                return true;
            }
        return false;
    };
    RegisterIdentMap("TColor", std::move(map));
    return true;
}();

}  // namespace
