// A clip-art picture overlay record: the picture file and its rectangle.
#pragma once

#include <cstdint>
#include <string>

#include "model/COverlayData.h"

class CImageOverlayData : public COverlayData {
public:
    CImageOverlayData() : COverlayData(KIND_IMAGE) {}
    CImageOverlayData(const CImageOverlayData& other) = default;
    CImageOverlayData& operator=(const CImageOverlayData& other) = default;

    std::unique_ptr<COverlayData> Clone() const override { return std::make_unique<CImageOverlayData>(*this); }

    std::string path;
    int32_t x = 0;
    int32_t y = 0;
    int32_t cx = 0;
    int32_t cy = 0;
};
