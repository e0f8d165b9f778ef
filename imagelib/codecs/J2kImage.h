// A picture as the JPEG 2000 family of formats holds it: components of any precision, signedness
// and subsampling, before they become an image object's pixels. The readers and writers of JP2,
// J2K, PGX, PNM and Sun raster fill and read it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct J2kComponent {
    uint32_t width = 0, height = 0; // samples held
    uint32_t dx = 1, dy = 1;        // subsampling against the picture grid
    uint32_t prec = 8;              // bits per sample
    bool sgnd = false;
    uint32_t maxval = 255;          // largest sample (after the signed offset); PNM may use any
    bool alpha = false;
    std::vector<int32_t> data;      // width x height samples, top row first
};

enum class J2kColour { Unknown, Grey, Rgb, Ycc };

struct J2kImage {
    uint32_t width = 0, height = 0;
    J2kColour colour = J2kColour::Unknown;
    std::vector<J2kComponent> comps;
};

// Samples the readers may hold at once (4 bytes each): a few header bytes cannot ask for more.
constexpr uint64_t kJ2kMaxSamples = uint64_t{1} << 28;

// Makes a component of width x height zero samples; false (with a text) when too large.
bool J2kAllocate(J2kComponent& comp, uint32_t width, uint32_t height, std::string& error);
