// A crop record: the kept rectangle in full-size picture pixels.
#pragma once

#include <cstdint>

#include "model/COverlayData.h"
#include "platform/win/WinTypes.h"

class CCropData : public COverlayData {
public:
    CCropData() : COverlayData(KIND_CROP) {}
    CCropData(const CCropData& other) = default;
    CCropData& operator=(const CCropData& other) = default;

    std::unique_ptr<COverlayData> Clone() const override { return std::make_unique<CCropData>(*this); }

    POINT upleft{};    // left, top
    POINT downright{}; // right, bottom
};
