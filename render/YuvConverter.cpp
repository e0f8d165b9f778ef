#include "render/YuvConverter.h"

#include <cstddef>

namespace {

constexpr int kBits = 13;
constexpr int Fix(double x) { return static_cast<int>(x * (1 << kBits) + 0.5); }

constexpr int kYR = Fix(0.257), kYG = Fix(0.504), kYB = Fix(0.098);
constexpr int kUR = Fix(0.148), kUG = Fix(0.291), kUB = Fix(0.439);
constexpr int kVR = Fix(0.439), kVG = Fix(0.368), kVB = Fix(0.071);

inline uint8_t Luma(int r, int g, int b) {
    return static_cast<uint8_t>((kYR * r + kYG * g + kYB * b + (16 << kBits) + (1 << (kBits - 1))) >> kBits);
}

} // namespace

void YuvConverter::Bgr24BottomUpToYuv420(const uint8_t* src, int32_t width, int32_t height, uint8_t* y, uint8_t* u,
                                        uint8_t* v) {
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    const int32_t halfWidth = width / 2;
    for (int32_t row = 0; row + 1 < height; row += 2) {
        // Output rows `row` and `row + 1` come from the source's rows counted from its end.
        const uint8_t* s0 = src + static_cast<size_t>(height - 1 - row) * rowBytes;
        const uint8_t* s1 = s0 - rowBytes;
        uint8_t* y0 = y + static_cast<size_t>(row) * width;
        uint8_t* y1 = y0 + width;
        uint8_t* uRow = u + static_cast<size_t>(row / 2) * halfWidth;
        uint8_t* vRow = v + static_cast<size_t>(row / 2) * halfWidth;
        for (int32_t x = 0; x < halfWidth; ++x) {
            const uint8_t* a = s0 + 6 * x;
            const uint8_t* b = s1 + 6 * x;
            y0[2 * x] = Luma(a[2], a[1], a[0]);
            y0[2 * x + 1] = Luma(a[5], a[4], a[3]);
            y1[2 * x] = Luma(b[2], b[1], b[0]);
            y1[2 * x + 1] = Luma(b[5], b[4], b[3]);
            // Chroma of the 2 x 2 block from its summed colours.
            const int r = a[2] + a[5] + b[2] + b[5];
            const int g = a[1] + a[4] + b[1] + b[4];
            const int bl = a[0] + a[3] + b[0] + b[3];
            constexpr int shift = kBits + 2;
            constexpr int round = (128 << shift) + (1 << (shift - 1));
            uRow[x] = static_cast<uint8_t>((-kUR * r - kUG * g + kUB * bl + round) >> shift);
            vRow[x] = static_cast<uint8_t>((kVR * r - kVG * g - kVB * bl + round) >> shift);
        }
    }
}
