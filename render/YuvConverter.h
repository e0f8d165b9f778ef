// Packed 24-bit pixels (bytes blue, green, red) to planar YUV 4:2:0 with the ITU-R BT.601
// studio-range coefficients that video encoders expect. The source is read bottom row first,
// as bottom-up bitmaps are laid out, so the planes come out top row first.
#pragma once

#include <cstdint>

class YuvConverter {
public:
    // width and height even and positive; src holds height rows of 3 x width bytes, the last row
    // of the picture first. y gets width x height bytes, u and v (width / 2) x (height / 2) each.
    static void Bgr24BottomUpToYuv420(const uint8_t* src, int32_t width, int32_t height, uint8_t* y, uint8_t* u,
                                      uint8_t* v);
};
