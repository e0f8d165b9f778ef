// The Polygon, Door, Spin, Flip, Rotate in, Fly, Twist and Cube fly renderers through the
// renderer table, their frames caught in memory: each ends on the new picture and shows its own
// geometry on the way. Plus the slice canvas they share.
#include <gtest/gtest.h>

#include <cmath>

#include "render/transitions/SliceCanvas.h"
#include "tests/render/TransitionFrameChecks.h"

using namespace rendertest;

namespace {

struct Probe {
    int32_t x, y;
    Px expected;
};

// Kinds with their parameters; at T = 10 on 160 x 120, frame `k` shows the probes.
struct KindCase {
    const char* name;
    int32_t kind, p1, p2;
    int32_t k;
    std::vector<Probe> probes;
};

// clang-format off
const std::vector<KindCase>& Cases() {
    static const std::vector<KindCase> cases = {
        {"polygon in", 10, 4, 0, 4, {{80, 60, Px::Old}, {2, 2, Px::New}}},
        {"polygon out", 10, 4, 1, 4, {{80, 60, Px::New}, {2, 2, Px::Old}}},
        // Door edges at x = 40 and 120, the left door's top edge from (0, 0) to (40, 18).
        {"door open", 7, 0, 0, 4, {{30, 119, Px::Old}, {50, 119, Px::New}, {110, 119, Px::New}, {130, 119, Px::Old}, {38, 2, Px::New}}},
        {"door close", 7, 1, 0, 4, {{30, 119, Px::New}, {50, 119, Px::Old}, {110, 119, Px::Old}, {130, 119, Px::New}}},
        // The old picture at 0.4 of the frame turned a quarter; then the new one at 0.2.
        {"spin", 13, 0, 0, 2, {{80, 60, Px::Old}, {80, 32, Px::Old}, {80, 24, Px::Back}, {60, 60, Px::Old}, {50, 60, Px::Back}}},
        {"spin back", 13, 1, 0, 5, {{80, 60, Px::New}, {40, 60, Px::Back}}},
        // The card spans 32..128 two frames in, 48..112 two frames into its second half.
        {"flip", 8, 0, 0, 1, {{28, 60, Px::Back}, {36, 60, Px::Old}, {124, 60, Px::Old}, {132, 60, Px::Back}}},
        {"flip back", 8, 0, 0, 6, {{44, 60, Px::Back}, {52, 60, Px::New}, {108, 60, Px::New}, {116, 60, Px::Back}}},
        {"flip horizontal", 8, 1, 0, 1, {{80, 20, Px::Back}, {80, 28, Px::Old}, {80, 92, Px::Old}, {80, 100, Px::Back}}},
        // A sliver of W / T on the centre line first; half-way the far edge is 0.8 of the height.
        {"rotate in", 11, 0, 0, 0, {{68, 60, Px::Old}, {80, 60, Px::New}, {92, 60, Px::Old}}},
        {"rotate in half", 11, 0, 0, 4, {{44, 2, Px::New}, {116, 4, Px::Old}, {116, 60, Px::New}}},
        {"rotate in back", 11, 1, 0, 4, {{44, 4, Px::Old}, {116, 2, Px::New}}},
        // The page lying back: top edge 40..120 at y = 90, bottom edge the frame's.
        {"fly in", 9, 0, 0, 4, {{80, 86, Px::Old}, {80, 94, Px::New}, {16, 96, Px::Old}, {40, 100, Px::New}}},
        {"fly out", 9, 1, 0, 4, {{80, 86, Px::New}, {80, 94, Px::Old}, {16, 96, Px::New}, {40, 100, Px::Old}}},
        // The line at x = 80, the squeezed band 40..120.
        {"twist", 15, 0, 0, 4, {{20, 2, Px::New}, {140, 2, Px::Old}, {80, 60, Px::Back}, {60, 60, Px::New}, {60, 10, Px::Back}, {100, 60, Px::Old}, {100, 10, Px::Back}}},
        {"twist back", 15, 1, 0, 4, {{20, 2, Px::Old}, {140, 2, Px::New}, {60, 60, Px::Old}, {100, 60, Px::New}}},
        // The common edge half-way, the old face's far edge drawn back to y = 20 and narrowed.
        {"cube up", 5, 0, 0, 4, {{80, 56, Px::Old}, {80, 64, Px::New}, {80, 14, Px::Back}, {3, 64, Px::Back}, {80, 21, Px::Old}, {10, 21, Px::Back}}},
        {"cube down", 5, 1, 0, 4, {{80, 56, Px::New}, {80, 64, Px::Old}, {80, 106, Px::Back}, {3, 56, Px::Back}}},
        {"cube right", 5, 2, 0, 4, {{76, 60, Px::New}, {84, 60, Px::Old}, {140, 60, Px::Back}, {76, 2, Px::Back}}},
        {"cube left", 5, 3, 0, 4, {{76, 60, Px::Old}, {84, 60, Px::New}, {20, 60, Px::Back}, {84, 2, Px::Back}}},
    };
    return cases;
}
// clang-format on

// The last transition frame is the new picture (within 3, as slices are resampled), and so is
// the first effect frame.
void ExpectEndsOnNew(TransitionFrames& f, const KindCase& c, int32_t t) {
    ASSERT_EQ(f.Render(c.kind, c.p1, c.p2, t, t + 5), 0) << c.name;
    ASSERT_EQ(f.Count(), t + 5) << c.name;
    EXPECT_EQ(f.Frame(t), f.newY) << c.name;
    if (t > 0) {
        EXPECT_GE(f.NewShare(t - 1, 3), 0.99) << c.name;
    }
}

} // namespace

TEST(TransitionGeometryBTest, EveryKindShowsItsGeometryAndEndsOnTheNewPicture) {
    TransitionFrames f(160, 120);
    for (const KindCase& c : Cases()) {
        ExpectEndsOnNew(f, c, 10);
        for (const Probe& p : c.probes)
            EXPECT_EQ(f.ClassAt(c.k, p.x, p.y), p.expected) << c.name << " at " << p.x << "," << p.y;
    }
    // Spin three frames into five leaves 0.4 of each side of the old picture: 16% of the frame.
    ASSERT_EQ(f.Render(TRANSITION_SPIN, 0, 0, 10, 15), 0);
    EXPECT_NEAR(1.0 - f.Shares(2).background, 0.16, 0.02);
}

TEST(TransitionGeometryBTest, SliceKindsServeFramesWiderThanTheirOldTables) {
    TransitionFrames f(800, 600);
    for (const KindCase& c : Cases()) {
        if (c.kind != 5 && c.kind != 8 && c.kind != 9 && c.kind != 11 && c.kind != 15) continue;
        ExpectEndsOnNew(f, c, 4);
        // The right-hand columns and the bottom rows are drawn as well.
        EXPECT_EQ(f.ClassAt(3, 799, 599), Px::New) << c.name;
    }
}

TEST(TransitionGeometryBTest, ShortTransitionsEndOnTheNewPicture) {
    // One frame: Spin's first half has none, Fly and Cube fly start their second from the first's end.
    TransitionFrames f(64, 48);
    for (const int32_t t : {0, 1, 2, 3})
        for (const KindCase& c : Cases()) ExpectEndsOnNew(f, c, t);
}

TEST(SliceCanvasTest, TaperAndSlicesStayFiniteAndInside) {
    using Gdiplus::Color;
    SliceCanvas canvas(800, 600, SliceCanvas::Slices::Columns);
    EXPECT_FALSE(canvas.TaperStep(1, 0));
    EXPECT_FALSE(canvas.TaperStep(NAN, 1));
    EXPECT_FLOAT_EQ(*canvas.TaperStep(0.5f, 1), 0.5f * 600 * 0.5f / 800);

    // Column 799, beyond the old 720-entry tables, drawn stretched into its lower half.
    Gdiplus::Bitmap picture(800, 600, Gdiplus::PixelFormat24bppRGB);
    Gdiplus::Graphics(&picture).Clear(Color(Color::Red));
    canvas.TakeSlices(SliceCanvas::Old, &picture);
    canvas.Clear(Color(Color::Blue));
    canvas.DrawSlice(SliceCanvas::Old, 799, 300, 300);
    for (const auto& [start, length] : {std::pair{NAN, 10.0f},
                                        {0.0f, INFINITY},
                                        {1e30f, 1e30f},
                                        {-1e30f, 5.0f},
                                        {10.0f, -5.0f},
                                        {10.0f, 1e-9f}})
        canvas.DrawSlice(SliceCanvas::Old, 0, start, length);
    canvas.DrawSlice(SliceCanvas::Old, 800, 0, 600);
    canvas.DrawSlice(SliceCanvas::Old, 0, 800, 0, 600);
    canvas.TakeSlices(SliceCanvas::New, nullptr);
    Gdiplus::Bitmap* b = canvas.Canvas();
    EXPECT_EQ(OpaquePixel(*b, 799, 299), 0xFF0000FFu);
    EXPECT_EQ(OpaquePixel(*b, 799, 300), 0xFFFF0000u);
    EXPECT_EQ(OpaquePixel(*b, 799, 599), 0xFFFF0000u);
    for (int32_t y : {0, 300, 599})
        EXPECT_EQ(OpaquePixel(*b, 0, y), 0xFF0000FFu) << y;

    // The canvas rule: the far column is inset by (count - 1) x t = 79.9 at either end, its end
    // pixels covered by a tenth.
    canvas.Clear(Color(Color::Blue));
    canvas.DrawSlices(SliceCanvas::Old, 0.1f, false);
    b = canvas.Canvas();
    EXPECT_EQ(OpaquePixel(*b, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(OpaquePixel(*b, 799, 78), 0xFF0000FFu);
    EXPECT_EQ(OpaquePixel(*b, 799, 80), 0xFFFF0000u);
    EXPECT_EQ(OpaquePixel(*b, 799, 519), 0xFFFF0000u);
    EXPECT_EQ(OpaquePixel(*b, 799, 521), 0xFF0000FFu);
    for (int32_t y : {79, 520})
        EXPECT_NEAR(static_cast<int>((OpaquePixel(*b, 799, y) >> 16) & 0xFF), 26, 8) << y;
}

TEST(SliceCanvasTest, SlicesSampleTheirOwnPixelsAndStayOnTheirLine) {
    using Gdiplus::Color;
    EXPECT_EQ(SliceCanvas(0, 0, SliceCanvas::Slices::Columns).Count(), 0);
    EXPECT_EQ(SliceCanvas(0, 0, SliceCanvas::Slices::Rows).Count(), 0);
    // Row y of the picture has blue y: a column shows where each canvas pixel samples from.
    Gdiplus::Bitmap picture(4, 200, Gdiplus::PixelFormat24bppRGB);
    for (int32_t y = 0; y < 200; ++y)
        for (int32_t x = 0; x < 4; ++x)
            picture.SetPixel(x, y, Color(0, 0, static_cast<uint8_t>(y)));
    SliceCanvas columns(4, 200, SliceCanvas::Slices::Columns);
    columns.TakeSlices(SliceCanvas::New, &picture);
    columns.Clear(Color(Color::White));
    columns.DrawSlice(SliceCanvas::New, 0, 0, 200);   // as it is
    columns.DrawSlice(SliceCanvas::New, 1, 100, 100); // squeezed into the lower half
    columns.DrawSlice(SliceCanvas::New, 2, 0, 1.5f);  // a pixel and a half
    columns.DrawSlice(SliceCanvas::Old, 3, 0, 200);   // a picture never given draws nothing
    const auto blue = [&](int32_t x, int32_t y) {
        return static_cast<int>(OpaquePixel(*columns.Canvas(), x, y) & 0xFF);
    };
    for (int32_t y : {0, 1, 99, 199})
        EXPECT_EQ(blue(0, y), y);
    for (int32_t j : {0, 1, 50, 99})
        EXPECT_EQ(blue(1, 100 + j), 2 * j + 1);
    EXPECT_EQ(blue(2, 0), 66);
    EXPECT_EQ(blue(3, 100), 255);
    EXPECT_NEAR(blue(2, 1), (255 + 199) / 2, 2); // half white, half the picture's last row

    // A row reaching half a pixel past its end leaves the next row alone.
    SliceCanvas rows(4, 200, SliceCanvas::Slices::Rows);
    rows.TakeSlices(SliceCanvas::Old, &picture);
    rows.Clear(Color(Color::White));
    rows.DrawSlice(SliceCanvas::Old, 0, 0.25f, 4.0f);
    rows.DrawSlice(SliceCanvas::Old, 2, 0.0f, 0.5f); // half its first pixel
    EXPECT_EQ(OpaquePixel(*rows.Canvas(), 0, 1), 0xFFFFFFFFu);
    EXPECT_NEAR(static_cast<int>(OpaquePixel(*rows.Canvas(), 0, 2) >> 8 & 0xFF), 128, 2);
}
