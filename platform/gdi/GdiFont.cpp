#include "platform/gdi/GdiFont.h"

#include <fontconfig/fontconfig.h>
#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/gdi/Gdi.h"
#include "platform/gdiplus/CairoPtr.h"

namespace {

struct FaceAlias {
    const char* face;
    const char* family;
};

constexpr FaceAlias kAliases[] = {
    {"Arial", "Liberation Sans"},           {"Helvetica", "Liberation Sans"},
    {"MS Sans Serif", "Liberation Sans"},   {"Microsoft Sans Serif", "Liberation Sans"},
    {"MS Shell Dlg", "Liberation Sans"},    {"MS Shell Dlg 2", "Liberation Sans"},
    {"Tahoma", "Liberation Sans"},          {"Verdana", "Liberation Sans"},
    {"Segoe UI", "Liberation Sans"},        {"Times New Roman", "Liberation Serif"},
    {"Times", "Liberation Serif"},          {"Georgia", "Liberation Serif"},
    {"Courier New", "Liberation Mono"},     {"Courier", "Liberation Mono"},
    {"Lucida Console", "Liberation Mono"},  {"Consolas", "Liberation Mono"},
};

constexpr const char* kFallbackFamily = "DejaVu Sans";

// Em size for a cell height: the family's ascent plus descent at size 1.
double EmForCell(const GdiFont& f, double cell)
{
    Gdiplus::detail::CairoSurfacePtr s(cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1));
    Gdiplus::detail::CairoContextPtr cr(cairo_create(s.get()));
    GdiFont probe;
    probe.family = f.family;
    probe.lf = f.lf;
    probe.em = 100;
    probe.Apply(cr.get());
    cairo_font_extents_t fe;
    cairo_font_extents(cr.get(), &fe);
    const double unit = (fe.ascent + fe.descent) / 100;
    return unit > 0 ? cell / unit : cell;
}

} // namespace

std::string GdiFont::ResolveFamily(const char* face)
{
    std::string want = (face && *face) ? face : "Arial";
    for (const FaceAlias& a : kAliases)
        if (strcasecmp(want.c_str(), a.face) == 0)
            want = a.family;
    FcPattern* pat = FcPatternCreate();
    if (!pat)
        return kFallbackFamily;
    FcPatternAddString(pat, FC_FAMILY, reinterpret_cast<const FcChar8*>(want.c_str()));
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pat, &result);
    std::string family = kFallbackFamily;
    FcChar8* found = nullptr;
    if (match && FcPatternGetString(match, FC_FAMILY, 0, &found) == FcResultMatch && found &&
        strcasecmp(reinterpret_cast<const char*>(found), want.c_str()) == 0)
        family = want;
    if (match)
        FcPatternDestroy(match);
    FcPatternDestroy(pat);
    return family;
}

std::unique_ptr<GdiFont> GdiFont::Make(const LOGFONT& lf)
{
    auto f = std::make_unique<GdiFont>();
    f->lf = lf;
    f->lf.lfFaceName[LF_FACESIZE - 1] = 0; // a name without its NUL stops at the field's end
    f->family = ResolveFamily(f->lf.lfFaceName);
    // Negative heights are the em size, positive ones the cell height; 0 asks for the default.
    const double h = std::min<double>(std::fabs(static_cast<double>(lf.lfHeight)), GDI_MAX_FONT_PIXELS);
    if (lf.lfHeight < 0)
        f->em = h;
    else if (lf.lfHeight > 0)
        f->em = std::clamp(EmForCell(*f, h), 1.0, static_cast<double>(GDI_MAX_FONT_PIXELS));
    else
        f->em = 16;
    return f;
}

void GdiFont::Apply(cairo_t* cr) const
{
    cairo_select_font_face(cr, family.c_str(), lf.lfItalic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                           lf.lfWeight >= 600 ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, em);
    cairo_font_options_t* opt = cairo_font_options_create();
    const bool smooth = lf.lfQuality == ANTIALIASED_QUALITY || lf.lfQuality == CLEARTYPE_QUALITY;
    cairo_font_options_set_antialias(opt, smooth ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
    cairo_font_options_set_hint_metrics(opt, CAIRO_HINT_METRICS_ON);
    cairo_set_font_options(cr, opt);
    cairo_font_options_destroy(opt);
}
