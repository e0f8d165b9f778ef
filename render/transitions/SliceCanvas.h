// The one-pixel-slice canvas of the perspective kinds (Flip, Rotate in, Fly, Twist, Cube fly). A
// picture of the frame size is cut into slices, one per column or one per row; every frame each
// slice is drawn stretched to its own length into a frame-sized 32-bit canvas, so that the canvas
// holds a trapezoid, and the canvas is then drawn into a moving rectangle.
//
// The slices are kept as the picture's pixels (sized from the frame: any frame size, no table
// limit) and drawn straight into the canvas's pixels by one loop per frame instead of one drawing
// call per slice; a slice's ends are blended by their pixel coverage.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "platform/gdiplus/Bitmap.h"
#include "platform/gdiplus/Color.h"

class SliceCanvas {
public:
    enum class Slices { Columns, Rows };
    enum Picture : int32_t { Old = 0, New = 1 };

    SliceCanvas(int32_t width, int32_t height, Slices slices);
    SliceCanvas(const SliceCanvas&) = delete;
    SliceCanvas& operator=(const SliceCanvas&) = delete;

    // Cuts a picture into the slices of `which`; a missing or smaller picture leaves the slices
    // it does not cover transparent.
    void TakeSlices(Picture which, Gdiplus::Bitmap* picture);

    // Slices per picture (the width for columns, the height for rows) and a slice's length.
    int32_t Count() const { return m_slices == Slices::Columns ? m_width : m_height; }
    int32_t SliceLength() const { return m_slices == Slices::Columns ? m_height : m_width; }

    // The inset step t of the taper whose far edge is `farEdge` long and near edge `nearEdge`:
    // (1 - far / near) x slice length x 0.5 / count. Empty when the ratio has no value (a
    // near edge of zero, numbers that are not finite): the caller keeps the last canvas.
    std::optional<float> TaperStep(float farEdge, float nearEdge) const;

    // Starts a canvas: every pixel the colour.
    void Clear(const Gdiplus::Color& color);
    // Every slice l with inset e_l = l x t (fromEnd false) or (count - l) x t (fromEnd true),
    // drawn into (e_l, length - 2 e_l) along its line.
    void DrawSlices(Picture which, float t, bool fromEnd);
    // Slice l stretched into [start, start + length) along its own line of the canvas, or along
    // line `line`.
    void DrawSlice(Picture which, int32_t l, float start, float length) {
        DrawSlice(which, l, l, start, length);
    }
    void DrawSlice(Picture which, int32_t l, int32_t line, float start, float length);

    // The canvas bitmap holding what was drawn since the last Clear.
    Gdiplus::Bitmap* Canvas();

private:
    // Locks the canvas's pixels for drawing, once per canvas; false when there is no canvas.
    bool Begin();

    int32_t m_width;
    int32_t m_height;
    Slices m_slices;
    std::vector<uint32_t> m_pictures[2]; // premultiplied pixels, row by row
    std::unique_ptr<Gdiplus::Bitmap> m_canvas;
    Gdiplus::BitmapData m_lock;
    uint32_t* m_pixels = nullptr; // the canvas's own pixels while it is being drawn
    size_t m_stride = 0;          // in pixels
};
