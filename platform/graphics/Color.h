// Colours of the drawing layer.
//
// TColor is a signed 32-bit value:
//
//   bit 31     30..24    23..16   15..8    7..0
//   +-------+---------+--------+--------+--------+
//   |  sys  |    0    |  blue  | green  |  red   |   explicit colour (sys = 0)
//   +-------+---------+--------+--------+--------+
//   |   1   |    0    |   0    |   0    | index  |   system colour number `index`
//   +-------+---------+--------+--------+--------+
//
// A system colour is a reference that ColorToRGB resolves through the system colour
// table; its bytes mean nothing until then. Every system colour is negative.
//
// Pixels in bitmaps use a different layout, 0x00RRGGBB (see Bitmap.h); ColorToPixel and
// PixelToColor convert between the two.
#pragma once

#include <cstdint>
#include <string>

using TColor = int32_t;

constexpr TColor TColorFromRGB(int r, int g, int b) { return TColor(r | (g << 8) | (b << 16)); }
constexpr TColor RGB(int r, int g, int b) { return TColorFromRGB(r, g, b); }

// Standard explicit colours.
constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clLtGray = clSilver;
constexpr TColor clDkGray = clGray;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// System colour numbers (the index in the low byte of a system colour).
enum TSysColorIndex : int {
    COLOR_SCROLLBAR = 0,
    COLOR_BACKGROUND = 1,
    COLOR_ACTIVECAPTION = 2,
    COLOR_INACTIVECAPTION = 3,
    COLOR_MENU = 4,
    COLOR_WINDOW = 5,
    COLOR_WINDOWFRAME = 6,
    COLOR_MENUTEXT = 7,
    COLOR_WINDOWTEXT = 8,
    COLOR_CAPTIONTEXT = 9,
    COLOR_ACTIVEBORDER = 10,
    COLOR_INACTIVEBORDER = 11,
    COLOR_APPWORKSPACE = 12,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_GRAYTEXT = 17,
    COLOR_BTNTEXT = 18,
    COLOR_INACTIVECAPTIONTEXT = 19,
    COLOR_BTNHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_3DLIGHT = 22,
    COLOR_INFOTEXT = 23,
    COLOR_INFOBK = 24,
    COLOR_HOTLIGHT = 26,
    COLOR_GRADIENTACTIVECAPTION = 27,
    COLOR_GRADIENTINACTIVECAPTION = 28,
    COLOR_MENUHILIGHT = 29,
    COLOR_MENUBAR = 30,
    COLOR_COUNT = 31,  // size of the table; 25 is unused and resolves to black
};

constexpr TColor SystemColor(int index) { return TColor(0x80000000u | uint32_t(index)); }

constexpr TColor clScrollBar = SystemColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = SystemColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SystemColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SystemColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SystemColor(COLOR_MENU);
constexpr TColor clWindow = SystemColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SystemColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SystemColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SystemColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = SystemColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SystemColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = SystemColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = SystemColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SystemColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SystemColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SystemColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SystemColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SystemColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SystemColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SystemColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SystemColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SystemColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SystemColor(COLOR_INFOBK);

// The current RGB value (an explicit TColor) of system colour `index`; 0 (black) for an
// index outside the table, as the system answers for colours it does not know.
TColor GetSysColor(int index);
// Changes a system colour for the whole process (a user's colour scheme, or a test).
// Ignored for an index outside the table. The table starts with the classic grey scheme.
void SetSysColor(int index, TColor rgb);
// Restores the whole table to the classic grey scheme.
void ResetSysColors();

// The platform's colour-to-RGB conversion: a system colour (negative value) becomes its
// current RGB value from the table; any other value is returned as it is.
TColor ColorToRGB(TColor color);

// The three bytes of an explicit colour as a 0x00RRGGBB pixel, and back. The top byte of
// `color` is ignored; resolve system colours first.
constexpr uint32_t ColorToPixel(TColor color)
{
    uint32_t c = uint32_t(color);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}
constexpr TColor PixelToColor(uint32_t pixel)
{
    return TColor(((pixel >> 16) & 0xFF) | (pixel & 0xFF00) | ((pixel & 0xFF) << 16));
}

// Identifier of a colour as stored forms spell it ("clBtnFace", "clNavy"), or its value as
// "$00BBGGRR" when it has no name. StringToColor accepts both and decimal numbers; it
// returns false for anything else.
std::string ColorToString(TColor color);
bool StringToColor(const std::string& text, TColor& color);
