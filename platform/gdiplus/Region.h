// An area of the plane built from rectangles and paths by union, intersection, exclusion,
// exclusive or and complement. A default region is infinite.
#pragma once

#include <cairo.h>

#include <memory>
#include <vector>

#include "platform/gdiplus/CairoPtr.h"
#include "platform/gdiplus/GdiplusTypes.h"
#include "platform/gdiplus/GraphicsPath.h"
#include "platform/gdiplus/Matrix.h"

namespace Gdiplus {

class Region {
public:
    Region();
    explicit Region(const RectF& rect);
    explicit Region(const Rect& rect);
    explicit Region(const GraphicsPath* path);

    Status MakeInfinite();
    Status MakeEmpty();

    // this = this AND other
    Status Intersect(const RectF& rect) { return Combine(CombineModeIntersect, Region(rect)); }
    Status Intersect(const Rect& rect) { return Combine(CombineModeIntersect, Region(rect)); }
    Status Intersect(const GraphicsPath* path) { return CombinePath(CombineModeIntersect, path); }
    Status Intersect(const Region* region) { return CombineRegion(CombineModeIntersect, region); }
    // this = this OR other
    Status Union(const RectF& rect) { return Combine(CombineModeUnion, Region(rect)); }
    Status Union(const Rect& rect) { return Combine(CombineModeUnion, Region(rect)); }
    Status Union(const GraphicsPath* path) { return CombinePath(CombineModeUnion, path); }
    Status Union(const Region* region) { return CombineRegion(CombineModeUnion, region); }
    // this = this XOR other
    Status Xor(const RectF& rect) { return Combine(CombineModeXor, Region(rect)); }
    Status Xor(const Rect& rect) { return Combine(CombineModeXor, Region(rect)); }
    Status Xor(const GraphicsPath* path) { return CombinePath(CombineModeXor, path); }
    Status Xor(const Region* region) { return CombineRegion(CombineModeXor, region); }
    // this = this minus other
    Status Exclude(const RectF& rect) { return Combine(CombineModeExclude, Region(rect)); }
    Status Exclude(const Rect& rect) { return Combine(CombineModeExclude, Region(rect)); }
    Status Exclude(const GraphicsPath* path) { return CombinePath(CombineModeExclude, path); }
    Status Exclude(const Region* region) { return CombineRegion(CombineModeExclude, region); }
    // this = other minus this
    Status Complement(const RectF& rect) { return Combine(CombineModeComplement, Region(rect)); }
    Status Complement(const Rect& rect) { return Combine(CombineModeComplement, Region(rect)); }
    Status Complement(const GraphicsPath* path) { return CombinePath(CombineModeComplement, path); }
    Status Complement(const Region* region) { return CombineRegion(CombineModeComplement, region); }

    Status Transform(const Matrix* matrix);
    Status Translate(REAL dx, REAL dy);

    BOOL IsVisible(REAL x, REAL y) const;
    BOOL IsVisible(const PointF& pt) const { return IsVisible(pt.X, pt.Y); }
    // Known to be empty or infinite without drawing it (a composed region may still turn out so).
    BOOL IsEmptyShape() const { return m_form == Form::Empty ? TRUE : FALSE; }
    BOOL IsInfiniteShape() const { return (m_form == Form::Paths && m_paths.empty()) ? TRUE : FALSE; }

    Status GetLastStatus() const { return m_status; }

    // Drawing-layer use: any mode, including replace.
    Status Combine(CombineMode mode, const Region& other);
    // Intersects cairo's clip with the region, given in device space, for a target of the given
    // size. Shapes outside cairo's safe range count as empty. Leaves cairo's path empty.
    void ClipTo(cairo_t* cr, int width, int height) const;

private:
    enum class Form { Empty, Paths, Complex };
    struct Step {
        CombineMode mode;
        std::shared_ptr<const Region> operand;
    };
    Status Set(Status s) const { return m_status = s; }
    Status CombinePath(CombineMode mode, const GraphicsPath* path);
    Status CombineRegion(CombineMode mode, const Region* region);
    void MakeComplex();
    // Coverage mask of the region (A8, 0 or 255 per pixel).
    detail::CairoSurfacePtr RenderMask(int width, int height) const;

    // Paths: the intersection of the paths (none = infinite). Complex: the steps applied in order
    // to an empty area.
    Form m_form = Form::Paths;
    std::vector<GraphicsPath> m_paths;
    std::vector<Step> m_steps;
    mutable Status m_status = Ok;
};

} // namespace Gdiplus
