// The frame sizes an output profile may name, in the table's own order (not by size). "320x240"
// stands twice; a lookup by name finds the first.
#pragma once

#include <cstdint>
#include <string>

struct FrameSize {
    int32_t m_nId;
    int32_t m_nWidth;
    int32_t m_nHeight;
    const char* m_szName;
};

constexpr int32_t FRAME_SIZE_COUNT = 23;
extern const FrameSize g_FrameSizes[FRAME_SIZE_COUNT];

// The first row whose name equals `name` exactly; null when none does.
const FrameSize* FindFrameSize(const std::string& name);
