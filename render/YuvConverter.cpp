#include "render/YuvConverter.h"

#include <cstddef>

namespace {

constexpr int kBits = 13;
constexpr int Fix(double x) { return static_cast<int>(x * (1 << kBits) + 0.5); }

constexpr int kYR = Fix(0.257), kYG = Fix(0.504), kYB = Fix(0.098);
constexpr int kUR = Fix(0.148), kUG = Fix(0.291), kUB = Fix(0.439);
constexpr int kVR = Fix(0.439), kVG = Fix(0.368), kVB = Fix(0.071);
constexpr int kLumaRound = (16 << kBits) + (1 << (kBits - 1));
constexpr int kChromaShift = kBits + 2; // four pixels summed
constexpr int kChromaRound = (128 << kChromaShift) + (1 << (kChromaShift - 1));

inline uint8_t Luma(int r, int g, int b) {
    return static_cast<uint8_t>((kYR * r + kYG * g + kYB * b + kLumaRound) >> kBits);
}

// Chroma of a 2 x 2 block from its summed colours.
inline uint8_t ChromaU(int r, int g, int b) {
    return static_cast<uint8_t>((-kUR * r - kUG * g + kUB * b + kChromaRound) >> kChromaShift);
}
inline uint8_t ChromaV(int r, int g, int b) {
    return static_cast<uint8_t>((kVR * r - kVG * g - kVB * b + kChromaRound) >> kChromaShift);
}

// The row loops are plain loops over arrays so that the compiler vectorises them; the wider
// instruction set is picked at run time where the processor has it.
#define PICREEL_YUV_CLONES __attribute__((target_clones("avx2", "default")))

PICREEL_YUV_CLONES void RowPair24(const uint8_t* s0, const uint8_t* s1, int32_t width, uint8_t* y0, uint8_t* y1,
                                  uint8_t* u, uint8_t* v) {
    for (int32_t x = 0; x < width; ++x) {
        const uint8_t* a = s0 + 3 * x;
        const uint8_t* b = s1 + 3 * x;
        y0[x] = Luma(a[2], a[1], a[0]);
        y1[x] = Luma(b[2], b[1], b[0]);
    }
    for (int32_t x = 0; x < width / 2; ++x) {
        const uint8_t* a = s0 + 6 * x;
        const uint8_t* b = s1 + 6 * x;
        const int r = a[2] + a[5] + b[2] + b[5];
        const int g = a[1] + a[4] + b[1] + b[4];
        const int bl = a[0] + a[3] + b[0] + b[3];
        u[x] = ChromaU(r, g, bl);
        v[x] = ChromaV(r, g, bl);
    }
}

PICREEL_YUV_CLONES void RowPair32(const uint32_t* s0, const uint32_t* s1, int32_t width, uint8_t* y0, uint8_t* y1,
                                  uint8_t* u, uint8_t* v) {
    for (int32_t x = 0; x < width; ++x) {
        const uint32_t a = s0[x];
        const uint32_t b = s1[x];
        y0[x] = Luma((a >> 16) & 0xFF, (a >> 8) & 0xFF, a & 0xFF);
        y1[x] = Luma((b >> 16) & 0xFF, (b >> 8) & 0xFF, b & 0xFF);
    }
    for (int32_t x = 0; x < width / 2; ++x) {
        const uint32_t a0 = s0[2 * x], a1 = s0[2 * x + 1], b0 = s1[2 * x], b1 = s1[2 * x + 1];
        const int r = static_cast<int>(((a0 >> 16) & 0xFF) + ((a1 >> 16) & 0xFF) + ((b0 >> 16) & 0xFF) + ((b1 >> 16) & 0xFF));
        const int g = static_cast<int>(((a0 >> 8) & 0xFF) + ((a1 >> 8) & 0xFF) + ((b0 >> 8) & 0xFF) + ((b1 >> 8) & 0xFF));
        const int bl = static_cast<int>((a0 & 0xFF) + (a1 & 0xFF) + (b0 & 0xFF) + (b1 & 0xFF));
        u[x] = ChromaU(r, g, bl);
        v[x] = ChromaV(r, g, bl);
    }
}

} // namespace

void YuvConverter::Bgr24BottomUpToYuv420(const uint8_t* src, int32_t width, int32_t height, uint8_t* y, uint8_t* u,
                                        uint8_t* v) {
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    const size_t halfWidth = static_cast<size_t>(width / 2);
    for (int32_t row = 0; row + 1 < height; row += 2) {
        // Output rows `row` and `row + 1` come from the source's rows counted from its end.
        const uint8_t* s0 = src + static_cast<size_t>(height - 1 - row) * rowBytes;
        RowPair24(s0, s0 - rowBytes, width, y + static_cast<size_t>(row) * width,
                   y + static_cast<size_t>(row + 1) * width, u + (row / 2) * halfWidth, v + (row / 2) * halfWidth);
    }
}

void YuvConverter::Xrgb32ToYuv420(const uint8_t* src, int32_t stride, int32_t width, int32_t height, uint8_t* y,
                                  uint8_t* u, uint8_t* v) {
    const size_t halfWidth = static_cast<size_t>(width / 2);
    for (int32_t row = 0; row + 1 < height; row += 2) {
        const uint8_t* s0 = src + static_cast<ptrdiff_t>(row) * stride;
        RowPair32(reinterpret_cast<const uint32_t*>(s0), reinterpret_cast<const uint32_t*>(s0 + stride), width, y + static_cast<size_t>(row) * width,
                   y + static_cast<size_t>(row + 1) * width, u + (row / 2) * halfWidth, v + (row / 2) * halfWidth);
    }
}
