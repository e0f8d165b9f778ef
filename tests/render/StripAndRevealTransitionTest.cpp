// Accordion, Blinds, Wipe, Zoom, Circle, Shutter, Sweep, Diagonal sweep and Clock, each through the
// renderer table between two textured pictures, their frames caught from the encoder entry.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "model/TransitionSetting.h"
#include "render/TransitionPass.h"
#include "tests/render/TransitionFrameChecks.h"

using namespace rendertest;

namespace {

constexpr int32_t W = 800;
constexpr int32_t H = 600;
constexpr int32_t T = 10;
constexpr int32_t S = 12;

struct KindCase {
    int32_t kind, param1, param2;
    bool hardEdge; // the last transition frame is the new picture
    bool mixes;    // every pixel blends (Zoom): checked by its geometry instead
};

const KindCase kCases[] = {
    {TRANSITION_ACCORDION, 0, 0, true, false},  {TRANSITION_ACCORDION, 1, 0, true, false},
    {TRANSITION_BLINDS, 0, 8, true, false},     {TRANSITION_BLINDS, 1, 4, true, false},
    {TRANSITION_WIPE, 0, 0, true, false},       {TRANSITION_WIPE, 1, 1, true, false},
    {TRANSITION_WIPE, 2, 1, true, false},       {TRANSITION_WIPE, 3, 0, true, false},
    {TRANSITION_ZOOM, 0, 0, false, true},       {TRANSITION_ZOOM, 1, 0, false, true},
    {TRANSITION_CIRCLE, 0, 40, false, false},   {TRANSITION_CIRCLE, 1, 0, true, false},
    {TRANSITION_SHUTTER, 0, 40, false, false},  {TRANSITION_SHUTTER, 1, 0, true, false},
    {TRANSITION_SWEEP, 0, 40, false, false},    {TRANSITION_SWEEP, 2, 0, true, false},
    {TRANSITION_DIAGONAL_SWEEP, 0, 40, false, false}, {TRANSITION_DIAGONAL_SWEEP, 1, 0, true, false},
    {TRANSITION_CLOCK, 0, 0, true, false},      {TRANSITION_CLOCK, 2, 0, true, false},
};

// The point at `radius` from the frame centre, `degrees` clockwise from 12 o'clock.
std::pair<int32_t, int32_t> OnRay(double degrees, double radius) {
    const double a = degrees * std::numbers::pi / 180.0;
    return {static_cast<int32_t>(W * 0.5 + radius * std::sin(a)), static_cast<int32_t>(H * 0.5 - radius * std::cos(a))};
}

} // namespace

TEST(StripAndRevealTransition, EveryKindShowsItsOwnPicturesAndEndsOnTheSlide) {
    TransitionFrames f(W, H);
    for (const KindCase& c : kCases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " (" << c.param1 << ", " << c.param2 << ")");
        ASSERT_NE(GetTransitionRenderer(c.kind), nullptr);
        ASSERT_EQ(f.Render(c.kind, c.param1, c.param2, T, S), 0);
        ASSERT_EQ(f.Count(), S);
        EXPECT_EQ(f.Frame(T), f.newY); // the first effect frame
        if (c.hardEdge) {
            EXPECT_GE(f.ExactNewShare(T - 1), 0.99);
        }
        if (c.mixes) continue;
        const PixelShares middle = f.Shares(T / 2 - 1);
        EXPECT_GE(middle.Pure(), 0.3);
        EXPECT_GT(middle.old, 0.01);
        EXPECT_GT(middle.fresh, 0.01);
    }
}

TEST(StripAndRevealTransition, WipeEdgeMovesByAStepPerFrameOnEveryRow) {
    TransitionFrames f(W, H);
    ASSERT_EQ(f.Render(TRANSITION_WIPE, 0, 0, T, S), 0);
    for (int32_t k : {0, 4, 8}) {
        const int32_t edge = (k + 1) * W / T;
        for (int32_t y = 0; y < H; ++y) {
            ASSERT_EQ(f.At(k, edge - 3, y), f.newY[f.Index(W - 3, y)]) << k << "," << y;
            ASSERT_TRUE(f.IsOld(k, edge + 2, y)) << k << "," << y;
        }
    }
    // Pushed upwards, the old picture leaves by the top as the new one rises from the bottom.
    ASSERT_EQ(f.Render(TRANSITION_WIPE, 2, 1, T, S), 0);
    const int32_t k = 3, edge = H - (k + 1) * H / T;
    for (int32_t x = 0; x < W; x += 7) {
        EXPECT_EQ(f.At(k, x, edge - 2), f.oldY[f.Index(x, H - 2)]) << x;
        EXPECT_EQ(f.At(k, x, edge + 1), f.newY[f.Index(x, 1)]) << x;
    }
}

TEST(StripAndRevealTransition, HardCircleBoundaryLiesAtOneRadiusOnEveryRay) {
    TransitionFrames f(W, H);
    ASSERT_EQ(f.Render(TRANSITION_CIRCLE, 0, 0, T, S), 0);
    const double perFrame = W / std::sqrt(2.0) / T;
    for (int32_t k : {2, 4}) {
        const double radius = (k + 1) * perFrame;
        for (int32_t ray = 0; ray < 8; ++ray) {
            const auto [xi, yi] = OnRay(ray * 45.0, radius - 2);
            const auto [xo, yo] = OnRay(ray * 45.0, radius + 2);
            EXPECT_TRUE(f.IsNew(k, xi, yi)) << k << " ray " << ray;
            EXPECT_TRUE(f.IsOld(k, xo, yo)) << k << " ray " << ray;
        }
    }
}

TEST(StripAndRevealTransition, ClockHandsUncoverTheirSectorsClockwise) {
    TransitionFrames f(W, H);
    // Two hands at a quarter turn each: 12 to 3 and 6 to 9 are new, the rest old.
    ASSERT_EQ(f.Render(TRANSITION_CLOCK, 1, 0, T, S), 0);
    const int32_t k = T / 2 - 1;
    for (double a : {10.0, 45.0, 80.0, 190.0, 225.0, 260.0}) {
        const auto [x, y] = OnRay(a, 150);
        EXPECT_TRUE(f.IsNew(k, x, y)) << a;
    }
    for (double a : {100.0, 135.0, 170.0, 280.0, 315.0, 350.0}) {
        const auto [x, y] = OnRay(a, 150);
        EXPECT_TRUE(f.IsOld(k, x, y)) << a;
    }
}

TEST(StripAndRevealTransition, SmoothClockHandsOverlapWithoutHoles) {
    // Smooth hands turn 5% past their sector, into the next hand's start: the overlap stays swept.
    TransitionFrames f(W, H);
    for (int32_t fingers : {1, 2}) {
        ASSERT_EQ(f.Render(TRANSITION_CLOCK, fingers, 1, T, S), 0);
        for (double a = 1; a < 5; a += 1) {
            const auto [x, y] = OnRay(a, 200);
            const int32_t v = f.At(T - 1, x, y), fresh = f.newY[f.Index(x, y)], old = f.oldY[f.Index(x, y)];
            EXPECT_LT(4 * std::abs(v - fresh), std::abs(v - old)) << fingers << " at " << a;
        }
    }
}

TEST(StripAndRevealTransition, ShutterAndSweepEdgesTravelTheirSide) {
    TransitionFrames f(W, H);
    // Hard-edged shutter panels meet in the middle at the last frame.
    ASSERT_EQ(f.Render(TRANSITION_SHUTTER, 0, 0, T, S), 0);
    const int32_t k = 3, panel = (k + 1) * W / (2 * T);
    for (int32_t y = 0; y < H; y += 5) {
        EXPECT_TRUE(f.IsNew(k, panel - 2, y) && f.IsNew(k, W - panel + 1, y)) << y;
        EXPECT_TRUE(f.IsOld(k, panel + 2, y) && f.IsOld(k, W - panel - 3, y)) << y;
    }
    // Each sweep direction: the edge at (k + 1) side / T from the side it starts at.
    for (int32_t direction = 0; direction < 4; ++direction) {
        ASSERT_EQ(f.Render(TRANSITION_SWEEP, direction, 0, T, S), 0);
        const bool across = direction < 2, fromFar = direction == 1 || direction == 2;
        const int32_t side = across ? W : H, edge = (k + 1) * side / T;
        for (int32_t d : {-2, 2}) {
            const int32_t p = fromFar ? side - 1 - (edge + d) : edge + d;
            const int32_t x = across ? p : W / 3, y = across ? H / 3 : p;
            EXPECT_EQ(f.IsNew(k, x, y), d < 0) << direction << " " << d;
        }
    }
    // The diagonal edge keeps the slope of the frame's other diagonal.
    ASSERT_EQ(f.Render(TRANSITION_DIAGONAL_SWEEP, 0, 0, T, S), 0);
    const double top = (k + 1) * 2.0 * W / T;
    for (int32_t y = 0; y < H; y += 50) {
        const double edge = top - static_cast<double>(W) * y / H;
        if (edge < 3 || edge > W - 3) continue;
        EXPECT_TRUE(f.IsNew(k, static_cast<int32_t>(edge) - 2, y)) << y;
        EXPECT_TRUE(f.IsOld(k, static_cast<int32_t>(edge) + 2, y)) << y;
    }
}

TEST(StripAndRevealTransition, BlindsAreSymmetricAboutTheirStripCentres) {
    TransitionFrames f(W, H);
    ASSERT_EQ(f.Render(TRANSITION_BLINDS, 0, 4, T, S), 0);
    const int32_t strip = W / 4;
    bool sawBackground = false;
    for (int32_t k = 0; k < T; ++k)
        for (int32_t i = 0; i < 4; ++i)
            for (int32_t d = 0; d < strip / 2; d += 3) {
                const int32_t left = i * strip + strip / 2 - 1 - d, right = i * strip + strip / 2 + d;
                const bool leftBackground = f.At(k, left, H / 2) == f.background;
                ASSERT_EQ(leftBackground, f.At(k, right, H / 2) == f.background) << k << " " << i << " " << d;
                sawBackground |= leftBackground;
            }
    EXPECT_TRUE(sawBackground);
}

TEST(StripAndRevealTransition, AccordionUnfoldsFromTheNearEdge) {
    TransitionFrames f(W, H);
    for (int32_t direction : {0, 1}) {
        ASSERT_EQ(f.Render(TRANSITION_ACCORDION, direction, 0, T, S), 0);
        const PixelShares first = f.Shares(0), later = f.Shares(T - 3);
        EXPECT_LT(first.fresh, later.fresh) << direction;
        // Strip 0 (even, unshaded) of the new picture lies at the near edge.
        const int32_t x = direction == 0 ? 3 : W - 4;
        EXPECT_EQ(f.Shares(0).fresh > 0, true);
        EXPECT_TRUE(f.IsNew(T - 1, x, H / 2)) << direction;
        EXPECT_FALSE(f.IsNew(2, direction == 0 ? W - 4 : 3, H / 2)) << direction;
    }
    // Half way (frame 4 of 10, from the left): old strip 0 stands at x 400..467, its top edge
    // sloping down to 0.1 H; new strip 1 at x 67..133, shaded half way out of black.
    ASSERT_EQ(f.Render(TRANSITION_ACCORDION, 0, 0, T, S), 0);
    EXPECT_EQ(f.At(4, 450, 41), f.background);
    EXPECT_GE(f.At(4, 450, 49), *std::min_element(f.oldY.begin(), f.oldY.end()));
    const double shaded = f.At(4, 100, H / 2), kept = 127.0 / 255;
    EXPECT_GT(shaded, 16 + (*std::min_element(f.newY.begin(), f.newY.end()) - 16) * kept - 2);
    EXPECT_LT(shaded, 16 + (*std::max_element(f.newY.begin(), f.newY.end()) - 16) * kept + 2);
}

TEST(StripAndRevealTransition, ZoomScalesAboutTheCentreAndFades) {
    TransitionFrames f(W, H);
    // Zoom out: the first frame draws the slide with opacity 0, so it is the old picture.
    ASSERT_EQ(f.Render(TRANSITION_ZOOM, 1, 0, T, S), 0);
    EXPECT_EQ(f.Frame(0), f.oldY);
    // Zoom in: the old picture fades by 0.85 (1 - k / T) and its centre stays put.
    ASSERT_EQ(f.Render(TRANSITION_ZOOM, 0, 0, T, S), 0);
    for (int32_t k : {0, 5}) {
        const double alpha = 0.85 * (1 - static_cast<double>(k) / T);
        const size_t c = f.Index(W / 2, H / 2);
        EXPECT_NEAR(f.At(k, W / 2, H / 2), alpha * f.oldY[c] + (1 - alpha) * f.newY[c], 3) << k;
    }
    // Another mode draws nothing new: the transition frames keep the old picture.
    ASSERT_EQ(f.Render(TRANSITION_ZOOM, 5, 0, T, S), 0);
    EXPECT_EQ(f.Frame(T - 1), f.oldY);
}
