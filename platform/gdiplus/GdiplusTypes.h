// Value types, enums and constants of the drawing layer (our own small API over cairo).
#pragma once

#include <cstdint>

#include "platform/win/WinTypes.h"

namespace Gdiplus {

using REAL = float;
using ARGB = uint32_t;

// Result of every drawing-layer call; objects also keep the last one (GetLastStatus).
enum Status {
    Ok = 0,
    GenericError = 1,
    InvalidParameter = 2,
    OutOfMemory = 3,
    ObjectBusy = 4,
    InsufficientBuffer = 5,
    NotImplemented = 6,
    WrongState = 8,
    FileNotFound = 10,
    ValueOverflow = 11,
    UnknownImageFormat = 13,
};

// Pixel layouts a bitmap can hold or a pixel lock can hand out. 24-bit pixels lie in memory as
// blue, green, red; 32-bit ones as blue, green, red, alpha (PARGB: colours premultiplied by alpha).
enum PixelFormat : int {
    PixelFormatUndefined = 0,
    PixelFormat24bppRGB = 1,
    PixelFormat32bppRGB = 2,
    PixelFormat32bppARGB = 3,
    PixelFormat32bppPARGB = 4,
};

// Bits per pixel of a format, 0 for an unknown one.
constexpr int GetPixelFormatSize(PixelFormat format) {
    switch (format) {
    case PixelFormat24bppRGB:
        return 24;
    case PixelFormat32bppRGB:
    case PixelFormat32bppARGB:
    case PixelFormat32bppPARGB:
        return 32;
    default:
        return 0;
    }
}

enum ImageLockMode : UINT {
    ImageLockModeRead = 1,
    ImageLockModeWrite = 2,
    ImageLockModeUserInputBuf = 4,
};

// Flags a valid bitmap reports; an invalid one reports 0.
enum ImageFlags : UINT {
    ImageFlagsNone = 0,
    ImageFlagsHasAlpha = 0x0002,
    ImageFlagsColorSpaceRGB = 0x0010,
    ImageFlagsHasRealPixelSize = 0x2000,
};

enum MatrixOrder { MatrixOrderPrepend = 0, MatrixOrderAppend = 1 };

enum FillMode { FillModeAlternate = 0, FillModeWinding = 1 };

enum CombineMode {
    CombineModeReplace = 0,
    CombineModeIntersect = 1,
    CombineModeUnion = 2,
    CombineModeXor = 3,
    CombineModeExclude = 4,
    CombineModeComplement = 5,
};

enum CompositingMode { CompositingModeSourceOver = 0, CompositingModeSourceCopy = 1 };

// Image sampling. Nearest maps to cairo's nearest filter, the default and low/bilinear modes to its
// bilinear filter, the high-quality modes to its "good" filter (box-filtered when shrinking).
enum InterpolationMode {
    InterpolationModeDefault = 0,
    InterpolationModeLowQuality = 1,
    InterpolationModeHighQuality = 2,
    InterpolationModeBilinear = 3,
    InterpolationModeBicubic = 4,
    InterpolationModeNearestNeighbor = 5,
    InterpolationModeHighQualityBilinear = 6,
    InterpolationModeHighQualityBicubic = 7,
};

// Units of a source rectangle; only pixels are served.
enum Unit { UnitWorld = 0, UnitDisplay = 1, UnitPixel = 2 };

struct Point {
    INT X = 0;
    INT Y = 0;
    Point() = default;
    Point(INT x, INT y) : X(x), Y(y) {}
};

struct PointF {
    REAL X = 0;
    REAL Y = 0;
    PointF() = default;
    PointF(REAL x, REAL y) : X(x), Y(y) {}
};

struct Rect {
    INT X = 0;
    INT Y = 0;
    INT Width = 0;
    INT Height = 0;
    Rect() = default;
    Rect(INT x, INT y, INT w, INT h) : X(x), Y(y), Width(w), Height(h) {}
};

struct RectF {
    REAL X = 0;
    REAL Y = 0;
    REAL Width = 0;
    REAL Height = 0;
    RectF() = default;
    RectF(REAL x, REAL y, REAL w, REAL h) : X(x), Y(y), Width(w), Height(h) {}
    explicit RectF(const Rect& r)
        : X(static_cast<REAL>(r.X)), Y(static_cast<REAL>(r.Y)), Width(static_cast<REAL>(r.Width)),
          Height(static_cast<REAL>(r.Height)) {}
};

// A locked rectangle of pixels: rows top row first, Stride bytes apart (negative = bottom-up).
struct BitmapData {
    UINT Width = 0;
    UINT Height = 0;
    INT Stride = 0;
    Gdiplus::PixelFormat PixelFormat = PixelFormatUndefined;
    void* Scan0 = nullptr;
    uintptr_t Reserved = 0;
};

// 5 x 5 colour transform. Only the alpha factor m[3][3] is applied by this layer; the other
// entries are kept but have no effect.
struct ColorMatrix {
    REAL m[5][5] = {{1, 0, 0, 0, 0}, {0, 1, 0, 0, 0}, {0, 0, 1, 0, 0}, {0, 0, 0, 1, 0}, {0, 0, 0, 0, 1}};
};

enum ColorMatrixFlags { ColorMatrixFlagsDefault = 0 };
enum ColorAdjustType { ColorAdjustTypeDefault = 0, ColorAdjustTypeBitmap = 1 };

} // namespace Gdiplus
