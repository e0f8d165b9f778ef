// Base of every object a DC selects or a handle names: bitmaps, regions and fonts.
#pragma once

struct GdiObject {
    enum class Kind { Bitmap, Region, Font };
    explicit GdiObject(Kind k) : kind(k) {}
    virtual ~GdiObject() = default;
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;

    const Kind kind;
    bool stock = false; // owned by the layer, never deleted
    int selected = 0;   // DCs that have it selected; such an object is not deleted
};
