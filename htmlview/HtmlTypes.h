#pragma once

#include <QFlags>
#include <QtGlobal>

// Basic value types of the HTML engine: colours, font styles, the special characters that stand
// in a text section for objects, and the integer helper used for all proportional sizes.

namespace vantoro {

// A colour as 0x00BBGGRR. A colour read from HTML carries kHtmlColorFlag (palette-relative); system
// colours have the top bit set and the system colour index in the low byte.
using TColor = quint32;
inline constexpr TColor kHtmlColorFlag = 0x02000000;
inline constexpr TColor clBlack = 0x00000000;
inline constexpr TColor clWhite = 0x00FFFFFF;
inline constexpr TColor clSilver = 0x00C0C0C0;
inline constexpr TColor clBlue = 0x00FF0000;
inline constexpr TColor clNavy = 0x00800000;
inline constexpr TColor clMaroon = 0x00000080;
inline constexpr TColor clRed = 0x000000FF;
inline constexpr TColor clPurple = 0x00800080;
inline constexpr TColor clAqua = 0x00FFFF00;
inline constexpr TColor clWindow = 0x80000005;
inline constexpr TColor clBtnFace = 0x8000000F;
inline constexpr TColor clBtnText = 0x80000012;

enum class FontStyle : quint8 {
    Bold = 1,
    Italic = 2,
    Underline = 4,
    StrikeOut = 8,
};
Q_DECLARE_FLAGS(FontStyles, FontStyle)
Q_DECLARE_OPERATORS_FOR_FLAGS(FontStyles)

// Character sets a META content type can select; applied to the document's base font.
enum class HtmlCharSet : quint8 {
    Ansi = 0,
    Default = 1,
    Turkish = 162,
    Greek = 161,
    Baltic = 186,
    Russian = 204,
    EastEurope = 238,
};

enum class Justify : quint8 {
    Left = 1,
    Centre = 2,
    Right = 3,
};

// Characters with a meaning of their own inside a text section. kNoBreakSpaceMark only passes
// from the tokenizer to a section inside NOBR; a section never keeps it.
inline constexpr char16_t kFormControlChar = 2;
inline constexpr char16_t kImageChar = 4;
inline constexpr char16_t kNoBreakSpaceMark = 5;
inline constexpr char16_t kNoBreakFormControlChar = 6;
inline constexpr char16_t kNoBreakImageChar = 7;
inline constexpr char16_t kNbsp = 0xA0;

// a * b / c rounded to the nearest integer (halves away from zero) with a 64-bit intermediate;
// -1 when c is 0, as the platform's MulDiv does.
inline int mulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const qint64 product = qint64(a) * qint64(b);
    const qint64 divisor = c;
    const bool negative = (product < 0) != (divisor < 0);
    const qint64 absProduct = product < 0 ? -product : product;
    const qint64 absDivisor = divisor < 0 ? -divisor : divisor;
    qint64 result = (absProduct + absDivisor / 2) / absDivisor;
    if (negative)
        result = -result;
    if (result > INT_MAX || result < INT_MIN)
        return -1;
    return int(result);
}

} // namespace vantoro
