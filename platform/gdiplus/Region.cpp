#include "platform/gdiplus/Region.h"

#include <cmath>

namespace Gdiplus {

Region::Region() = default;

Region::Region(const RectF& rect) {
    GraphicsPath path;
    const Status added = path.AddRectangle(rect); // InvalidParameter for numbers that are not finite
    if (added != Ok || path.IsEmpty()) {
        m_form = Form::Empty;
        Set(added);
        return;
    }
    m_paths.push_back(std::move(path));
}

Region::Region(const Rect& rect) : Region(RectF(rect)) {}

Region::Region(const GraphicsPath* path) {
    if (!path || path->IsEmpty()) {
        m_form = Form::Empty;
        Set(path ? Ok : InvalidParameter);
        return;
    }
    m_paths.push_back(*path);
}

Status Region::MakeInfinite() {
    m_form = Form::Paths;
    m_paths.clear();
    m_steps.clear();
    return Set(Ok);
}

Status Region::MakeEmpty() {
    m_form = Form::Empty;
    m_paths.clear();
    m_steps.clear();
    return Set(Ok);
}

Status Region::CombinePath(CombineMode mode, const GraphicsPath* path) {
    if (!path) return Set(InvalidParameter);
    return Combine(mode, Region(path));
}

Status Region::CombineRegion(CombineMode mode, const Region* region) {
    if (!region) return Set(InvalidParameter);
    return Combine(mode, *region);
}

void Region::MakeComplex() {
    if (m_form == Form::Complex) return;
    auto before = std::make_shared<Region>(*this);
    m_paths.clear();
    m_steps.clear();
    m_steps.push_back({CombineModeUnion, std::move(before)});
    m_form = Form::Complex;
}

Status Region::Combine(CombineMode mode, const Region& other) {
    const bool thisEmpty = m_form == Form::Empty;
    const bool thisInfinite = IsInfiniteShape();
    const bool otherEmpty = other.m_form == Form::Empty;
    const bool otherInfinite = other.IsInfiniteShape();
    const Region copy = other; // `other` may be this region
    switch (mode) {
    case CombineModeReplace:
        *this = copy;
        return Set(Ok);
    case CombineModeIntersect:
        if (thisEmpty || otherInfinite) return Set(Ok);
        if (otherEmpty) return MakeEmpty();
        if (thisInfinite) {
            *this = copy;
            return Set(Ok);
        }
        if (m_form == Form::Paths && copy.m_form == Form::Paths) {
            m_paths.insert(m_paths.end(), copy.m_paths.begin(), copy.m_paths.end());
            return Set(Ok);
        }
        break;
    case CombineModeUnion:
        if (otherEmpty || thisInfinite) return Set(Ok);
        if (otherInfinite) return MakeInfinite();
        if (thisEmpty) {
            *this = copy;
            return Set(Ok);
        }
        break;
    case CombineModeXor:
        if (otherEmpty) return Set(Ok);
        if (thisEmpty) {
            *this = copy;
            return Set(Ok);
        }
        if (thisInfinite && otherInfinite) return MakeEmpty();
        break;
    case CombineModeExclude:
        if (otherEmpty || thisEmpty) return Set(Ok);
        if (otherInfinite) return MakeEmpty();
        break;
    case CombineModeComplement:
        if (thisInfinite || otherEmpty) return MakeEmpty();
        if (thisEmpty) {
            *this = copy;
            return Set(Ok);
        }
        break;
    default:
        return Set(InvalidParameter);
    }
    MakeComplex();
    m_steps.push_back({mode, std::make_shared<Region>(copy)});
    return Set(Ok);
}

Status Region::Transform(const Matrix* matrix) {
    if (!matrix) return Set(InvalidParameter);
    for (GraphicsPath& p : m_paths) p.Transform(matrix);
    for (Step& s : m_steps) {
        auto moved = std::make_shared<Region>(*s.operand);
        moved->Transform(matrix);
        s.operand = std::move(moved);
    }
    return Set(Ok);
}

Status Region::Translate(REAL dx, REAL dy) {
    Matrix m;
    m.Translate(dx, dy);
    return Transform(&m);
}

BOOL Region::IsVisible(REAL x, REAL y) const {
    Set(Ok);
    switch (m_form) {
    case Form::Empty:
        return FALSE;
    case Form::Paths:
        for (const GraphicsPath& p : m_paths)
            if (!p.IsVisible(x, y)) return FALSE;
        return (std::isfinite(x) && std::isfinite(y)) ? TRUE : FALSE;
    case Form::Complex:
        break;
    }
    bool inside = false;
    for (const Step& s : m_steps) {
        const bool o = s.operand->IsVisible(x, y) != FALSE;
        switch (s.mode) {
        case CombineModeUnion:
            inside = inside || o;
            break;
        case CombineModeIntersect:
            inside = inside && o;
            break;
        case CombineModeXor:
            inside = inside != o;
            break;
        case CombineModeExclude:
            inside = inside && !o;
            break;
        case CombineModeComplement:
            inside = o && !inside;
            break;
        default:
            break;
        }
    }
    return inside ? TRUE : FALSE;
}

detail::CairoSurfacePtr Region::RenderMask(int width, int height) const {
    detail::CairoSurfacePtr mask(cairo_image_surface_create(CAIRO_FORMAT_A8, width, height));
    detail::CairoContextPtr cr(cairo_create(mask.get()));
    cairo_set_antialias(cr.get(), CAIRO_ANTIALIAS_NONE);
    switch (m_form) {
    case Form::Empty:
        break;
    case Form::Paths: {
        bool drawable = true;
        for (const GraphicsPath& p : m_paths) {
            if (p.IsEmpty() || !p.FitsDevice(nullptr)) {
                drawable = false;
                break;
            }
            p.AppendTo(cr.get());
            cairo_set_fill_rule(cr.get(), p.CairoFillRule());
            cairo_clip(cr.get());
        }
        if (drawable) cairo_paint(cr.get());
        break;
    }
    case Form::Complex:
        for (const Step& s : m_steps) {
            detail::CairoSurfacePtr operand = s.operand->RenderMask(width, height);
            cairo_operator_t op = CAIRO_OPERATOR_OVER;
            switch (s.mode) {
            case CombineModeIntersect:
                op = CAIRO_OPERATOR_DEST_IN;
                break;
            case CombineModeXor:
                op = CAIRO_OPERATOR_XOR;
                break;
            case CombineModeExclude:
                op = CAIRO_OPERATOR_DEST_OUT;
                break;
            case CombineModeComplement:
                op = CAIRO_OPERATOR_OUT;
                break;
            default:
                break;
            }
            cairo_set_operator(cr.get(), op);
            cairo_set_source_surface(cr.get(), operand.get(), 0, 0);
            cairo_paint(cr.get());
        }
        break;
    }
    cairo_surface_flush(mask.get());
    return mask;
}

void Region::ClipTo(cairo_t* cr, int width, int height) const {
    cairo_new_path(cr);
    const cairo_antialias_t oldAntialias = cairo_get_antialias(cr);
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    if (m_form == Form::Paths) {
        for (const GraphicsPath& p : m_paths) {
            if (p.IsEmpty() || !p.FitsDevice(nullptr)) {
                cairo_new_path(cr);
                cairo_rectangle(cr, 0, 0, 0, 0);
                cairo_clip(cr);
                break;
            }
            p.AppendTo(cr);
            cairo_set_fill_rule(cr, p.CairoFillRule());
            cairo_clip(cr);
        }
    } else if (m_form == Form::Empty || width <= 0 || height <= 0) {
        cairo_rectangle(cr, 0, 0, 0, 0);
        cairo_clip(cr);
    } else {
        // A composed region becomes a set of pixel rectangles: rows of runs, with equal
        // consecutive rows merged into one band.
        detail::CairoSurfacePtr mask = RenderMask(width, height);
        const unsigned char* data = cairo_image_surface_get_data(mask.get());
        const int stride = cairo_image_surface_get_stride(mask.get());
        std::vector<std::pair<int, int>> band, row;
        int bandTop = 0;
        bool any = false;
        auto flush = [&](int bottom) {
            for (const auto& [x0, x1] : band) cairo_rectangle(cr, x0, bandTop, x1 - x0, bottom - bandTop);
            any = any || !band.empty();
        };
        for (int y = 0; y < height; ++y) {
            row.clear();
            const unsigned char* line = data + static_cast<size_t>(y) * stride;
            for (int x = 0; x < width;) {
                if (line[x] < 128) {
                    ++x;
                    continue;
                }
                const int start = x;
                while (x < width && line[x] >= 128) ++x;
                row.emplace_back(start, x);
            }
            if (y == 0 || row != band) {
                if (y > 0) flush(y);
                band = row;
                bandTop = y;
            }
        }
        flush(height);
        if (!any) cairo_rectangle(cr, 0, 0, 0, 0);
        cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
        cairo_clip(cr);
    }
    cairo_set_antialias(cr, oldAntialias);
    cairo_new_path(cr);
}

} // namespace Gdiplus
