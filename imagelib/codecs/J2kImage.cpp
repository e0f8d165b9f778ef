#include "imagelib/codecs/J2kImage.h"

#include <new>

bool J2kAllocate(J2kComponent& comp, uint32_t width, uint32_t height, std::string& error) {
    const uint64_t n = static_cast<uint64_t>(width) * height;
    if (width == 0 || height == 0 || n > kJ2kMaxSamples) {
        error = "Can't allocate memory";
        return false;
    }
    try {
        comp.data.assign(static_cast<size_t>(n), 0);
    } catch (const std::bad_alloc&) {
        error = "Can't allocate memory";
        return false;
    }
    comp.width = width;
    comp.height = height;
    return true;
}
