// Base of the movable objects placed on a picture in the picture editor: their rectangle and
// their kind. The model turns text and picture items into edit records.
#pragma once

#include <cstdint>

class CSelectFrame {
public:
    static constexpr int32_t KIND_TEXT = 0;
    static constexpr int32_t KIND_PICTURE = 1;

    explicit CSelectFrame(int32_t kind) : m_nKind(kind) {}
    virtual ~CSelectFrame() = default;

    int32_t m_nKind;
    // The item's rectangle as the picture editor keeps it.
    int32_t m_x = 0;
    int32_t m_y = 0;
    int32_t m_cx = 0;
    int32_t m_cy = 0;
};
