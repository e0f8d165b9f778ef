#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <tuple>
#include <vector>

#include "platform/gdi/MetafileCanvas.h"

namespace {

// Red, green and blue of a canvas pixel, as a COLORREF.
COLORREF At(MetafileCanvas& c, int x, int y) {
    const uint8_t* p = c.Pixels() + y * c.Stride() + x * 4;
    return RGB(p[2], p[1], p[0]);
}

// A canvas with a null pen and a solid brush of `colour`.
void Solid(MetafileCanvas& c, COLORREF colour) {
    c.SetObjectSlots(4);
    MetafileCanvas::Object brush;
    brush.kind = MetafileCanvas::Object::Kind::Brush;
    brush.brush = {0, colour, 0};
    c.PutObject(0, brush);
    c.SelectObject(0);
    c.SelectStock(8); // null pen
}

// Checks a table of canvas pixels: x, y, colour.
void ExpectAt(MetafileCanvas& c, std::initializer_list<std::tuple<int, int, COLORREF>> pixels) {
    for (const auto& [x, y, colour] : pixels) EXPECT_EQ(At(c, x, y), colour) << x << "," << y;
}

constexpr COLORREF kWhite = RGB(255, 255, 255), kRed = RGB(255, 0, 0);

} // namespace

TEST(MetafileCanvas, WorldTransformsComposeInTheirOrder) {
    // Translate by (10, 5), then a scale by 2 multiplied on the left (applied first) or on the right.
    const double translate[6] = {1, 0, 0, 1, 10, 5}, scale[6] = {2, 0, 0, 2, 0, 0};
    for (int mode : {2, 3}) {
        SCOPED_TRACE(mode);
        MetafileCanvas c(60, 40);
        Solid(c, kRed);
        c.ModifyWorldTransform(translate, 4);
        c.ModifyWorldTransform(scale, mode);
        c.Rectangle(0, 0, 10, 10);
        // Left: 2p + (10, 5) covers (10..30, 5..25); right: 2(p + (10, 5)) covers (20..40, 10..30).
        const bool left = mode == 2;
        ExpectAt(c, {{15, 7, left ? kRed : kWhite}, {35, 27, left ? kWhite : kRed}, {25, 15, kRed}});
    }
    // A singular transform is refused and the last one stays.
    MetafileCanvas c(60, 30);
    Solid(c, kRed);
    const double flat[6] = {0, 0, 0, 0, 5, 5};
    c.ModifyWorldTransform(scale, 4);
    c.ModifyWorldTransform(flat, 4);
    c.Rectangle(0, 0, 5, 5);
    EXPECT_EQ(At(c, 8, 8), kRed);
}

TEST(MetafileCanvas, MetricMappingModesScaleAndTurnTheYAxis) {
    // Device units of 0.05 mm: one logical unit is 2 (0.1 mm), 0.2 (0.01 mm), 5.08 (0.01 in) or
    // 0.508 (0.001 in) device units; y grows upwards, so the picture is drawn above the origin.
    struct Case {
        int mode;
        double side; // logical side of a square 20 device units wide
    };
    for (const Case& k : {Case{2, 10}, Case{3, 100}, Case{4, 20 / 5.08}, Case{5, 20 / 0.508}}) {
        SCOPED_TRACE(k.mode);
        MetafileCanvas c(40, 40);
        c.SetDeviceFrame(0, -40, 40, 0);
        c.SetDeviceMillimetres(0.05, 0.05);
        Solid(c, kRed);
        c.SetMapMode(k.mode);
        c.Rectangle(0, 0, k.side, k.side);
        ExpectAt(c, {{10, 30, kRed}, {25, 30, kWhite}, {10, 15, kWhite}});
    }
}

TEST(MetafileCanvas, StockBrushesClipsAndRasterFills) {
    const COLORREF greys[] = {kWhite, RGB(192, 192, 192), RGB(128, 128, 128), RGB(64, 64, 64), 0};
    for (uint32_t id = 0; id < 5; ++id) {
        MetafileCanvas c(10, 10);
        ASSERT_TRUE(c.SelectStock(id));
        c.SelectStock(8);
        c.Rectangle(0, 0, 10, 10);
        EXPECT_EQ(At(c, 5, 5), greys[id]) << id;
    }
    MetafileCanvas c(40, 40);
    Solid(c, kRed);
    c.ExcludeClipRect(10, 10, 20, 20);
    c.Rectangle(0, 0, 40, 40);
    ExpectAt(c, {{15, 15, kWhite}, {25, 25, kRed}});
    c.ResetClip();
    c.StretchDib(30, 30, 8, 8, 0, 0, 0, 0, nullptr, 0, 0, 0x00000042); // blackness
    ExpectAt(c, {{34, 34, 0}, {25, 4, kRed}});
}

TEST(MetafileCanvas, PiesAndBitFieldBitmaps) {
    // A pie from the rightmost point round to the top covers the top-right quarter only.
    MetafileCanvas c(40, 40);
    Solid(c, kRed);
    c.Arc(1, 0, 0, 40, 40, 40, 20, 20, 0);
    ExpectAt(c, {{28, 12, kRed}, {12, 12, kWhite}, {28, 28, kWhite}});

    // Two pixels of a 32-bit bit-field bitmap with masks red 0xFF0000, green 0xFF00, blue 0xFF.
    std::vector<uint8_t> dib(40 + 12 + 8, 0);
    auto put = [&](size_t at, uint32_t v) { std::memcpy(&dib[at], &v, 4); };
    put(0, 40);
    put(4, 2);
    put(8, 1);
    dib[12] = 1;
    dib[14] = 32;
    put(16, 3);
    put(40, 0xFF0000);
    put(44, 0xFF00);
    put(48, 0xFF);
    put(52, 0x11223344);
    put(56, 0x80A0B0C0);
    MetafileCanvas b(20, 10);
    ASSERT_TRUE(b.StretchDib(0, 0, 20, 10, 0, 0, 2, 1, dib.data(), dib.size(), 52, 0x00CC0020));
    ExpectAt(b, {{5, 5, RGB(0x22, 0x33, 0x44)}, {15, 5, RGB(0xA0, 0xB0, 0xC0)}});
}

TEST(MetafileCanvas, DashedPensAndHatchedBrushes) {
    // A dashed pen draws 3 on, 1 off in units of its width; a dash-dot-dot one 3, 1, 1, 1, 1, 1.
    MetafileCanvas c(16, 16);
    c.SetObjectSlots(2);
    MetafileCanvas::Object pen;
    pen.kind = MetafileCanvas::Object::Kind::Pen;
    pen.pen = {1, 2, kRed}; // PS_DASH, two units wide
    c.PutObject(0, pen);
    pen.pen = {4, 1, kRed}; // PS_DASHDOTDOT
    c.PutObject(1, pen);
    c.SelectObject(0);
    c.MoveTo(0, 3);
    c.LineTo(16, 3);
    c.SelectObject(1);
    c.MoveTo(0, 8.5);
    c.LineTo(16, 8.5);
    ExpectAt(c, {{2, 2, kRed}, {6, 2, kWhite}, {7, 3, kWhite}, {9, 2, kRed}, {14, 2, kWhite}});
    ExpectAt(c, {{2, 8, kRed}, {3, 8, kWhite}, {4, 8, kRed}, {5, 8, kWhite}, {6, 8, kRed}, {7, 8, kWhite}});
    // Horizontal and cross hatches put their line on row 4 of every 8x8 cell; the cross adds
    // column 4, the horizontal one leaves it alone.
    for (const int hatch : {0, 4}) {
        MetafileCanvas h(16, 16);
        h.SetObjectSlots(1);
        MetafileCanvas::Object brush;
        brush.kind = MetafileCanvas::Object::Kind::Brush;
        brush.brush = {2, kRed, hatch}; // BS_HATCHED
        h.PutObject(0, brush);
        h.SelectObject(0);
        h.SelectStock(8);
        h.Rectangle(0, 0, 16, 16);
        ExpectAt(h, {{1, 12, kRed}, {1, 10, kWhite}, {12, 1, hatch == 4 ? kRed : kWhite}});
    }
}

TEST(MetafileCanvas, BitmapSourcesAnywhereInTheIntRange) {
    // A 2 x 2 24-bit bitmap, rows from the bottom: blue, white; then red, green on top.
    std::vector<uint8_t> dib(40 + 16, 0);
    const uint32_t header[3] = {40, 2, 2};
    std::memcpy(dib.data(), header, sizeof header);
    dib[12] = 1;
    dib[14] = 24;
    const uint8_t rows[16] = {255, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0};
    std::memcpy(&dib[40], rows, sizeof rows);
    constexpr COLORREF kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);
    struct Case {
        const char* name;
        int sx, sy, sw, sh;
        bool fromBottom;
        COLORREF left, right; // at (7, 7) and (12, 7), in the destination (5, 5)-(15, 15)
    } cases[] = {
        {"size 0: the whole bitmap", 0, 0, 0, 0, true, kRed, kGreen},
        {"bottom row, rows from the bottom", 0, 0, 2, 1, true, kBlue, kWhite},
        {"top row, rows from the bottom", 0, 1, 2, 1, true, kRed, kGreen},
        {"top row, rows from the top", 0, 0, 2, 1, false, kRed, kGreen},
        {"one pixel", 0, 1, 1, 1, true, kRed, kRed},
        {"another pixel", 1, 1, 1, 1, true, kGreen, kGreen},
        {"mirrored", 2, 1, -2, 1, true, kGreen, kRed},
        {"the pixel before the offset", 1, 1, -1, 1, true, kRed, kRed},
        {"the row before the offset", 0, 1, 2, -1, false, kRed, kGreen},
        {"far left", INT_MIN, 0, 2, 1, true, kWhite, kWhite},
        {"far right", INT_MAX, 0, INT_MAX, 1, true, kWhite, kWhite},
        {"far down, rows from the bottom", 0, INT_MIN, 2, 1, true, kWhite, kWhite},
        {"far up", 0, INT_MIN, 2, 1, false, kWhite, kWhite},
        {"mirrored from far right", INT_MAX, 0, INT_MIN, 1, true, kWhite, kWhite},
        {"the last pixel of a huge source", INT_MIN + 2, 0, INT_MAX, 1, true, kWhite, kWhite},
    };
    for (const Case& c : cases) {
        MetafileCanvas canvas(20, 20);
        EXPECT_TRUE(canvas.StretchDib(5, 5, 10, 10, c.sx, c.sy, c.sw, c.sh, dib.data(), dib.size(), 40,
                                      0x00CC0020, c.fromBottom))
            << c.name;
        Solid(canvas, kRed); // the canvas keeps drawing after any of them
        canvas.Rectangle(0, 17, 20, 20);
        ExpectAt(canvas, {{7, 7, c.left}, {12, 7, c.right}, {10, 18, kRed}});
        ExpectAt(canvas, {{2, 7, kWhite}, {7, 2, kWhite}}); // nothing lands outside the destination
        if (HasFailure()) FAIL() << c.name;
    }
}
