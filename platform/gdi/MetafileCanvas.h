// The drawing core the two metafile front ends (WMF and EMF records) play into: a device-context
// state (mapping, world transform, colours, modes, current position, clip, path), a table of pens,
// brushes and fonts, and the primitives, drawn with cairo onto a 32-bit picture. Everything a record
// claims is bounded here: object indices, point counts, the saved-state depth, coordinates that
// would overflow, and mappings that cannot be inverted.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/win/WinTypes.h"

class MetafileCanvas {
public:
    struct PointD {
        double x, y;
    };
    struct Pen {
        int style = 0; // PS_SOLID .. PS_NULL
        double width = 0;
        COLORREF color = 0;
    };
    struct Brush {
        int style = 0; // BS_SOLID, BS_NULL, BS_HATCHED
        COLORREF color = 0;
        int hatch = 0;
    };
    struct Object {
        enum class Kind { None, Pen, Brush, Font, Other } kind = Kind::None;
        Pen pen;
        Brush brush;
        LOGFONT font;
    };

    // A white width x height picture; false from Valid() when it cannot be made.
    MetafileCanvas(int width, int height);
    ~MetafileCanvas();
    MetafileCanvas(const MetafileCanvas&) = delete;
    MetafileCanvas& operator=(const MetafileCanvas&) = delete;
    bool Valid() const { return m_cr != nullptr; }

    // Device space (what window and viewport map to) onto the picture: device rectangle
    // (x0, y0)-(x1, y1) fills the whole picture.
    void SetDeviceFrame(double x0, double y0, double x1, double y1);
    // Millimetres of one device unit, for the metric mapping modes.
    void SetDeviceMillimetres(double mmPerUnitX, double mmPerUnitY);

    // --- state ------------------------------------------------------------------------------
    void SetMapMode(int mode);
    void SetWindowOrg(double x, double y);
    void SetWindowExt(double cx, double cy);
    void SetViewportOrg(double x, double y);
    void SetViewportExt(double cx, double cy);
    void OffsetWindowOrg(double dx, double dy);
    void ScaleWindowExt(double xn, double xd, double yn, double yd);
    // m11 m12 m21 m22 dx dy; mode 1 identity, 2 left multiply, 3 right multiply, 4 set.
    void ModifyWorldTransform(const double m[6], int mode);
    void SetTextColor(COLORREF c) { m_state.textColor = c; }
    void SetBkColor(COLORREF c) { m_state.bkColor = c; }
    void SetBkMode(int mode) { m_state.bkMode = mode; }
    void SetTextAlign(uint32_t align) { m_state.textAlign = align; }
    void SetPolyFillMode(int mode) { m_state.fillMode = mode; }
    // Saves the state; false past the depth limit.
    bool Save();
    // n < 0: that many levels back; n > 0: the n-th saved state. False when there is none.
    bool Restore(int n);

    // --- objects ----------------------------------------------------------------------------
    // Sizes the table; indices at or past it are refused.
    void SetObjectSlots(uint32_t count);
    uint32_t ObjectSlots() const { return static_cast<uint32_t>(m_objects.size()); }
    // The first free slot (WMF numbering), or -1 when the table is full.
    int FreeSlot() const;
    bool PutObject(uint32_t index, const Object& object);
    bool SelectObject(uint32_t index);
    // Stock objects: 0-5 brushes, 6-8 pens, 10-17 fonts.
    bool SelectStock(uint32_t id);
    bool DeleteObject(uint32_t index);

    // --- drawing (logical coordinates) --------------------------------------------------------
    void MoveTo(double x, double y);
    void LineTo(double x, double y);
    void Polyline(const std::vector<PointD>& pts, bool fromCurrent = false);
    void Polygon(const std::vector<PointD>& pts);
    void PolyPolygon(const std::vector<std::vector<PointD>>& polys);
    // Cubic Bézier runs: 1 + 3n points (or 3n continuing from the current position).
    void PolyBezier(const std::vector<PointD>& pts, bool fromCurrent);
    void Rectangle(double l, double t, double r, double b);
    void RoundRect(double l, double t, double r, double b, double w, double h);
    void Ellipse(double l, double t, double r, double b);
    // kind 0 arc, 1 pie, 2 chord; the ends are radial points, counter-clockwise.
    void Arc(int kind, double l, double t, double r, double b, double x1, double y1, double x2, double y2);
    // Fills a logical rectangle with a colour (opaque text background, solid-colour blits).
    void FillRect(double l, double t, double r, double b, COLORREF c);
    void FillRectWithBrush(double l, double t, double r, double b);
    // UTF-8 text at a logical point, placed by the text alignment.
    void TextOut(double x, double y, const std::string& text, bool opaque, const double* rect);
    // Draws a packed DIB (header, colours, rows) into a logical rectangle; the source rectangle
    // counts rows from the top. False for a DIB it cannot read.
    // syFromBottom: the source y counts from the DIB's last row, as the DIB functions count it.
    bool StretchDib(double dx, double dy, double dw, double dh, int sx, int sy, int sw, int sh, const uint8_t* dib,
                    size_t dibBytes, size_t bitsOffset, uint32_t rop, bool syFromBottom = true);

    // --- paths and clipping -------------------------------------------------------------------
    void BeginPath();
    void EndPath() { m_state.recording = false; }
    void AbortPath();
    void CloseFigure();
    void FillPath();
    void StrokePath();
    void StrokeAndFillPath();
    void IntersectClipRect(double l, double t, double r, double b);
    void ExcludeClipRect(double l, double t, double r, double b);
    void ResetClip();

    // The picture: premultiplied 32-bit pixels, top row first.
    const uint8_t* Pixels();
    int Stride() const;

private:
    struct PathOp {
        enum Kind { Move, Line, Curve, Close } kind;
        PointD p[3];
    };
    struct ClipItem {
        bool exclude;
        PointD quad[4]; // device corners
    };
    struct State {
        int mapMode = 1; // MM_TEXT
        PointD winOrg{0, 0}, winExt{1, 1}, vpOrg{0, 0}, vpExt{1, 1};
        double world[6] = {1, 0, 0, 1, 0, 0};
        COLORREF textColor = 0, bkColor = RGB(255, 255, 255);
        int bkMode = 2;
        uint32_t textAlign = 0;
        int fillMode = 1; // ALTERNATE
        PointD pos{0, 0};
        Pen pen{0, 0, 0};
        Brush brush{0, RGB(255, 255, 255), 0};
        LOGFONT font;
        std::vector<ClipItem> clip;
        std::vector<PathOp> path;
        bool recording = false;
    };

    // Logical point to picture pixels.
    PointD ToDevice(double x, double y) const;
    // How much one logical unit grows on the picture (for pen widths and font sizes).
    double Scale() const;
    void Emit(const std::vector<PathOp>& ops);
    void AddOrDraw(std::vector<PathOp> ops, bool closed);
    void DrawOps(const std::vector<PathOp>& ops, bool fill, bool stroke);
    void ApplyClip();
    void SetSource(COLORREF c);
    bool SetBrushSource();

    cairo_surface_t* m_surface = nullptr;
    cairo_t* m_cr = nullptr;
    double m_frame[4] = {0, 0, 1, 1}; // device rectangle that fills the picture
    double m_mm[2] = {0.264583, 0.264583}; // millimetres per device unit (96 per inch)
    int m_width, m_height;
    State m_state;
    std::vector<State> m_saved;
    std::vector<Object> m_objects;
};
