#include "imagelib/codecs/J2kImage.h"

#include <new>

#include "imagelib/PixFile.h"

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

int64_t J2kRemaining(CPixFile& file) {
    const int64_t pos = file.Tell(), size = file.Size();
    return pos >= 0 && size > pos ? size - pos : 0;
}

bool J2kWriteAll(CPixFile& file, const void* data, size_t n) {
    return n == 0 || file.Write(data, 1, n) == n;
}
