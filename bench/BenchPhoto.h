// The 12-megapixel photo-like picture the image benchmarks run on: smooth gradients, waves and
// a little noise, the same on every run.
#pragma once

#include <cmath>

#include "imagelib/PixImage.h"
#include "platform/win/Random.h"

constexpr long kBenchPhotoWidth = 4000;
constexpr long kBenchPhotoHeight = 3000;

inline CPixImage& BenchPhoto() {
    static CPixImage img = [] {
        CPixImage p(kBenchPhotoWidth, kBenchPhotoHeight, 24);
        SRand(4321);
        auto clamp = [](double v) { return static_cast<BYTE>(v < 0 ? 0 : (v > 255 ? 255 : v)); };
        for (long y = 0; y < kBenchPhotoHeight; ++y) {
            BYTE* row = p.GetBits(static_cast<DWORD>(y));
            const double fy = static_cast<double>(y) / kBenchPhotoHeight;
            for (long x = 0; x < kBenchPhotoWidth; ++x) {
                const double fx = static_cast<double>(x) / kBenchPhotoWidth;
                const int noise = Rand() % 9 - 4;
                row[3 * x] = clamp(60 + 150 * fy + noise);
                row[3 * x + 1] = clamp(128 + 90 * std::sin(9.0 * fx + 4.0 * fy) + noise);
                row[3 * x + 2] = clamp(40 + 200 * fx * (1 - fy) + 30 * std::cos(20.0 * fy) + noise);
            }
        }
        return p;
    }();
    return img;
}
