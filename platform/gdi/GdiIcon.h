// An icon: a colour bitmap and a monochrome mask of the same size, and its hot spot.
#pragma once

#include <memory>

#include "platform/gdi/GdiBitmap.h"

struct GdiIcon {
    ICONINFO info;
    std::unique_ptr<GdiBitmap> color, mask;
};
