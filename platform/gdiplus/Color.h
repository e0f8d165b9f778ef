// A 32-bit ARGB colour (alpha in the top byte, not premultiplied).
#pragma once

#include "platform/gdiplus/GdiplusTypes.h"

namespace Gdiplus {

class Color {
public:
    enum : ARGB {
        Black = 0xFF000000,
        White = 0xFFFFFFFF,
        Red = 0xFFFF0000,
        Green = 0xFF008000,
        Lime = 0xFF00FF00,
        Blue = 0xFF0000FF,
        Transparent = 0x00FFFFFF,
    };

    constexpr Color() = default;
    constexpr Color(ARGB argb) : m_argb(argb) {}
    constexpr Color(BYTE r, BYTE g, BYTE b) : m_argb(MakeARGB(255, r, g, b)) {}
    constexpr Color(BYTE a, BYTE r, BYTE g, BYTE b) : m_argb(MakeARGB(a, r, g, b)) {}

    static constexpr ARGB MakeARGB(BYTE a, BYTE r, BYTE g, BYTE b) {
        return (static_cast<ARGB>(a) << 24) | (static_cast<ARGB>(r) << 16) | (static_cast<ARGB>(g) << 8) |
               static_cast<ARGB>(b);
    }

    constexpr BYTE GetA() const { return static_cast<BYTE>(m_argb >> 24); }
    constexpr BYTE GetR() const { return static_cast<BYTE>(m_argb >> 16); }
    constexpr BYTE GetG() const { return static_cast<BYTE>(m_argb >> 8); }
    constexpr BYTE GetB() const { return static_cast<BYTE>(m_argb); }
    constexpr ARGB GetValue() const { return m_argb; }
    constexpr void SetValue(ARGB argb) { m_argb = argb; }

    constexpr bool operator==(const Color& o) const { return m_argb == o.m_argb; }

private:
    ARGB m_argb = Black;
};

} // namespace Gdiplus
