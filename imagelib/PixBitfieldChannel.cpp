#include "imagelib/PixBitfieldChannel.h"

#include <bit>

CPixBitfieldChannel::CPixBitfieldChannel(uint32_t mask) {
    if (mask == 0) return;
    m_shift = static_cast<uint32_t>(std::countr_zero(mask));
    m_width = static_cast<uint32_t>(std::countr_one(mask >> m_shift));
    m_mask = m_width >= 32 ? 0xFFFFFFFFu : ((1u << m_width) - 1);
    if (m_width >= 8) return;
    for (uint32_t v = 0; v <= m_mask; ++v) {
        uint32_t r = 0, filled = 0;
        for (; filled < 8; filled += m_width)
            r = (r << m_width) | v;
        m_wide[v] = static_cast<BYTE>(r >> (filled - 8));
    }
}
