// An edit record of a slide: what the picture editor did to the picture, in the order it was
// done. The rotate, flip and mirror records are this base alone; text, picture and crop records
// derive from it and carry their own data.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

class COverlayData {
public:
    enum Kind : int32_t {
        KIND_TEXT = 0,
        KIND_IMAGE = 1,
        KIND_CROP = 2,
        KIND_ROTATE_LEFT_90 = 3,
        KIND_ROTATE_RIGHT_90 = 4,
        KIND_ROTATE_180 = 5,
        KIND_FLIP_TOP_BOTTOM = 6,
        KIND_MIRROR_LEFT_RIGHT = 7,
    };
    static constexpr int32_t KIND_COUNT = 8;

    explicit COverlayData(int32_t kind = KIND_ROTATE_LEFT_90) : kind(kind) {}
    virtual ~COverlayData() = default;

    // A copy of the same record type.
    virtual std::unique_ptr<COverlayData> Clone() const { return std::make_unique<COverlayData>(*this); }

    // The element a record of a kind is stored as: "Text", "Image", "Crop", "RotateLeft90",
    // "RotateRight90", "Rotate180", "FlipHorizontally", "FlipVertically"; "" for other kinds.
    static const char* GetElementName(int32_t kind);
    // The kind stored under an element name; -1 for any other name.
    static int32_t FindKindByElement(const std::string& name);

    COverlayData(const COverlayData&) = default;
    COverlayData& operator=(const COverlayData&) = default;

    int32_t kind;
};
