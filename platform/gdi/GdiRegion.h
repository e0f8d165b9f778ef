// A region: horizontal bands, top-down and apart, each with sorted disjoint spans [left, right).
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "platform/gdi/GdiObject.h"
#include "platform/win/WinTypes.h"

struct GdiRegion final : GdiObject {
    using Span = std::pair<int32_t, int32_t>;
    struct Band {
        int32_t top, bottom;
        std::vector<Span> spans;
    };

    GdiRegion() : GdiObject(Kind::Region) {}
    // Copies carry the area only, never the handle state.
    GdiRegion(const GdiRegion& o) : GdiObject(Kind::Region), bands(o.bands) {}
    GdiRegion(GdiRegion&& o) noexcept : GdiObject(Kind::Region), bands(std::move(o.bands)) {}

    void SetRect(int32_t left, int32_t top, int32_t right, int32_t bottom);
    // Appends a band below every band held (false when it is not below); merges equal neighbours.
    bool AppendBand(int32_t top, int32_t bottom, std::vector<Span> spans);
    // this = a op b (either may be this); op is one of RGN_AND .. RGN_COPY.
    bool Combine(const GdiRegion& a, const GdiRegion& b, int op);
    void Offset(int32_t dx, int32_t dy);
    bool Contains(int32_t x, int32_t y) const;
    RECT Box() const;
    int Complexity() const; // NULLREGION, SIMPLEREGION or COMPLEXREGION
    // Spans of the band holding row y, or null.
    const std::vector<Span>* SpansAt(int32_t y) const;

    std::vector<Band> bands;
};
