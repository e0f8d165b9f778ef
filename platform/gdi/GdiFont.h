// A font from a LOGFONT: its face resolved through fontconfig, its em size in pixels.
#pragma once

#include <cairo.h>

#include <memory>
#include <string>

#include "platform/gdi/GdiObject.h"
#include "platform/win/WinTypes.h"

struct GdiFont final : GdiObject {
    GdiFont() : GdiObject(Kind::Font) {}

    static std::unique_ptr<GdiFont> Make(const LOGFONT& lf);
    // The installed family that draws a face name: Windows faces to Liberation, else DejaVu.
    static std::string ResolveFamily(const char* face);
    // Selects this font on a cairo context.
    void Apply(cairo_t* cr) const;

    LOGFONT lf;
    std::string family;
    double em = 0;
};
