// Pixels to planar YUV 4:2:0 with the ITU-R BT.601 studio-range coefficients that video encoders
// expect; chroma from the mean colour of each 2 x 2 block. Both entries give the same values for
// the same picture.
#pragma once

#include <cstdint>

class YuvConverter {
public:
    // Packed 24-bit pixels (bytes blue, green, red), read bottom row first as bottom-up bitmaps
    // are laid out, so the planes come out top row first. width and height even and positive;
    // src holds height rows of 3 x width bytes, the picture's last row first. y gets
    // width x height bytes, u and v (width / 2) x (height / 2) each.
    static void Bgr24BottomUpToYuv420(const uint8_t* src, int32_t width, int32_t height, uint8_t* y, uint8_t* u,
                                      uint8_t* v);

    // 32-bit pixels (one word each: blue in the low byte, then green and red; the top byte is
    // ignored), top row first, `stride` bytes from row to row; src and stride 4-byte aligned.
    static void Xrgb32ToYuv420(const uint8_t* src, int32_t stride, int32_t width, int32_t height, uint8_t* y,
                               uint8_t* u, uint8_t* v);
};
