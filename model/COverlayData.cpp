#include "model/COverlayData.h"

namespace {
constexpr const char* kElementNames[COverlayData::KIND_COUNT] = {
    "Text", "Image", "Crop", "RotateLeft90", "RotateRight90", "Rotate180", "FlipHorizontally", "FlipVertically",
};
} // namespace

const char* COverlayData::GetElementName(int32_t kind) {
    return kind >= 0 && kind < KIND_COUNT ? kElementNames[kind] : "";
}

int32_t COverlayData::FindKindByElement(const std::string& name) {
    for (int32_t k = 0; k < KIND_COUNT; ++k)
        if (name == kElementNames[k]) return k;
    return -1;
}
