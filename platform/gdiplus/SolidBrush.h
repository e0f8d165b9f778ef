// Fills shapes with one colour.
#pragma once

#include "platform/gdiplus/Color.h"
#include "platform/gdiplus/GdiplusTypes.h"

namespace Gdiplus {

class SolidBrush {
public:
    explicit SolidBrush(const Color& color) : m_color(color) {}

    Status GetColor(Color* color) const {
        if (!color) return InvalidParameter;
        *color = m_color;
        return Ok;
    }
    Status SetColor(const Color& color) {
        m_color = color;
        return Ok;
    }
    const Color& GetColorValue() const { return m_color; }
    Status GetLastStatus() const { return Ok; }

private:
    Color m_color;
};

} // namespace Gdiplus
