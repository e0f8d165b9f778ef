// One colour channel of a bit-field pixel (16 or 32 bits a pixel), widened to 8 bits. The library
// widens every bit-field pixel this one way, whether it comes from a bitmap file or from a packed
// DIB in memory: narrow channels repeat their bits, so a full 5- or 6-bit value is 255.
#pragma once

#include <cstdint>

#include "platform/win/WinTypes.h"

class CPixBitfieldChannel {
public:
    // The mask's lowest contiguous run of set bits is the channel; a mask with gaps keeps only that
    // run and a zero mask reads 0, so no mask can shift by a negative or oversized amount.
    explicit CPixBitfieldChannel(uint32_t mask);

    BYTE Get(uint32_t pixel) const {
        if (m_width == 0) return 0;
        const uint32_t v = (pixel >> m_shift) & m_mask;
        return m_width >= 8 ? static_cast<BYTE>(v >> (m_width - 8)) : m_wide[v];
    }

private:
    uint32_t m_shift = 0;
    uint32_t m_width = 0;
    uint32_t m_mask = 0;
    BYTE m_wide[256] = {}; // channels narrower than 8 bits: each value with its bits repeated
};
