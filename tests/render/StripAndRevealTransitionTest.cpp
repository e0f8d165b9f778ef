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

// The point at `radius` from the frame centre, `degrees` clockwise from 12 o'clock.
std::pair<int32_t, int32_t> OnRay(double degrees, double radius) {
    const double a = degrees * std::numbers::pi / 180.0;
    return {static_cast<int32_t>(W * 0.5 + radius * std::sin(a)), static_cast<int32_t>(H * 0.5 - radius * std::cos(a))};
}

} // namespace

// Wipe in every direction, with and without push: in frame k the new picture stands k + 1 steps
// of a side / T from its start a side away, the old one as far along with push, else still.
TEST(StripAndRevealTransition, WipePicturesStandWhereTheirStepsTakeThem) {
    TransitionFrames f(W, H);
    const int32_t alongX[] = {1, -1, 0, 0}, alongY[] = {0, 0, -1, 1};
    for (int32_t direction = 0; direction < 4; ++direction)
        for (int32_t push : {0, 1}) {
            ASSERT_EQ(f.Render(TRANSITION_WIPE, direction, push, T, S), 0);
            for (int32_t k : {0, 6, 9}) {
                const int32_t ox = alongX[direction] * (k + 1) * W / T, oy = alongY[direction] * (k + 1) * H / T;
                const int32_t nx = ox - alongX[direction] * W, ny = oy - alongY[direction] * H;
                for (int32_t y = 0; y < H; y += 7)
                    for (int32_t x = 0; x < W; x += 7) {
                        const bool fresh = x >= nx && x < nx + W && y >= ny && y < ny + H;
                        const uint8_t expected = fresh ? f.newY[f.Index(x - nx, y - ny)]
                                                       : f.oldY[push ? f.Index(x - ox, y - oy) : f.Index(x, y)];
                        ASSERT_EQ(f.At(k, x, y), expected) << direction << push << " frame " << k << " at " << x << "," << y;
                    }
            }
        }
}

// Circles growing from the centre or shrinking from the half-diagonal: the edge travels
// (W + width) / sqrt 2 / T per frame in m sub-steps of r under a pixel, and a pixel the edge
// passed `behind` ago has had the decay 0.2 ^ (r / width) once for every sub-step since it was
// reached, the one that reached it included; a width of 1 leaves a band of two or three pixels,
// a width of 0 clears it at once. A width above a quarter of a 4:3 or square frame changes
// nothing.
TEST(StripAndRevealTransition, CircleEdgesFadeBySubStepsOverTheirWidth) {
    const int32_t k = 4;
    struct Case {
        int32_t w, h, direction, width;
    };
    for (const Case c : {Case{W, H, 0, 40},
                         {W, H, 1, 40},
                         {W, H, 0, 1},
                         {W, H, 0, 0},
                         {W, H, 1, 0},
                         {160, 120, 0, 60},
                         {160, 120, 1, 60},
                         {120, 120, 0, 40}}) {
        TransitionFrames f(c.w, c.h);
        ASSERT_EQ(f.Render(TRANSITION_CIRCLE, c.direction, c.width, T, S), 0);
        const double perFrame = (c.w + c.width) / std::sqrt(2.0) / T, m = std::floor(perFrame) + 1;
        const double r = static_cast<float>(perFrame / m), swept = (k + 1) * m * r;
        const double decay = c.width ? std::pow(0.2, r / c.width) : 0.0, half = std::hypot(c.w, c.h) / 2;
        for (double degrees : {30.0, 200.0})
            for (double rho = 0.2 * half; rho < 0.65 * half; ++rho) {
                const double a = degrees * std::numbers::pi / 180.0;
                const auto x = static_cast<int32_t>(c.w * 0.5 + rho * std::sin(a));
                const auto y = static_cast<int32_t>(c.h * 0.5 - rho * std::cos(a));
                if (x < 0 || y < 0 || x >= c.w || y >= c.h) continue;
                const double d = std::hypot(x + 0.5 - c.w / 2, y + 0.5 - c.h / 2);
                const double behind = c.direction == 0 ? swept - d : d - (half - swept);
                if (std::fabs(behind / r - std::round(behind / r)) < 0.1) continue; // on a sub-step
                const double kept = behind < 0 ? 1.0 : std::pow(decay, std::floor(behind / r) + 1);
                EXPECT_NEAR(f.At(k, x, y), f.Mix(x, y, kept), 2.0)
                    << c.w << "x" << c.h << " " << c.direction << " width " << c.width << " at " << d;
            }
    }
}

TEST(StripAndRevealTransition, ClockHandsUncoverTheirSectorsClockwise) {
    TransitionFrames f(W, H);
    // Two hands at a quarter turn each half-way: 12 to 3 and 6 to 9 are new, the rest old.
    ASSERT_EQ(f.Render(TRANSITION_CLOCK, 1, 0, T, S), 0);
    for (double a = 10; a < 360; a += 45) {
        const auto [x, y] = OnRay(a, 150);
        EXPECT_EQ(f.IsNew(T / 2 - 1, x, y), std::fmod(a, 180) < 90) << a;
        EXPECT_EQ(f.IsOld(T / 2 - 1, x, y), std::fmod(a, 180) > 90) << a;
    }
    // Smooth hands turn 5% past their sector, into the next hand's start: the overlap stays swept.
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
        EXPECT_LT(f.Shares(0).fresh, f.Shares(T - 3).fresh) << direction;
        // Strip 0 (even, unshaded) of the new picture lies at the near edge.
        EXPECT_TRUE(f.IsNew(T - 1, direction == 0 ? 3 : W - 4, H / 2)) << direction;
        EXPECT_FALSE(f.IsNew(2, direction == 0 ? W - 4 : 3, H / 2)) << direction;
    }
    // Half way (frame 4 of 10, from the left): old strip 0 stands at x 400..467, its top edge
    // sloping down to 0.1 H; new strip 1 at x 67..133, shaded half way out of black.
    ASSERT_EQ(f.Render(TRANSITION_ACCORDION, 0, 0, T, S), 0);
    EXPECT_EQ(f.At(4, 450, 41), f.background);
    EXPECT_EQ(f.ClassAt(4, 450, 49), Px::Old);
    const auto [lo, hi] = std::minmax_element(f.newY.begin(), f.newY.end());
    const double shaded = f.At(4, 100, H / 2), kept = 127.0 / 255;
    EXPECT_GT(shaded, 16 + (*lo - 16) * kept - 2);
    EXPECT_LT(shaded, 16 + (*hi - 16) * kept + 2);
}

// The last frame's shade is (k + 1) times the single-precision step 255 / T, truncated: 254 for
// T = 25, 50 and 58, whose step lies just below 255 / T, so the new odd strips stay a shade dark;
// 255 for T = 30.
TEST(StripAndRevealTransition, AccordionLastShadeTruncatesTheProductOfTheStep) {
    TransitionFrames f(360, 288); // strips of 60 pixels
    for (const auto& [frames, shade] : {std::pair{25, 254}, {50, 254}, {58, 254}, {30, 255}}) {
        ASSERT_EQ(f.Render(TRANSITION_ACCORDION, 0, 0, frames, frames + 1), 0);
        double darker = 0, n = 0;
        for (int32_t y = 10; y < 278; y += 3)
            for (int32_t x = 64; x < 116; ++x, ++n)
                darker += f.newY[f.Index(x, y)] - f.At(frames - 1, x, y);
        // Every colour channel of the new texture lies above 128, so 254 / 255 takes 1 off each.
        EXPECT_NEAR(darker / n, shade == 255 ? 0.0 : 0.257 + 0.504 + 0.098, 0.2) << frames;
        EXPECT_TRUE(f.IsNew(frames, 90, 144)) << frames; // the effect frames then show it whole
    }
}

TEST(StripAndRevealTransition, ZoomScalesAboutTheCentreAndFades) {
    TransitionFrames f(W, H);
    // Zoom out: the first frame draws the slide with opacity 0, so it is the old picture.
    ASSERT_EQ(f.Render(TRANSITION_ZOOM, 1, 0, T, S), 0);
    EXPECT_EQ(f.Frame(0), f.oldY);
    // Zoom in: the old picture fades by 0.85 (1 - k / T) and its centre stays put.
    ASSERT_EQ(f.Render(TRANSITION_ZOOM, 0, 0, T, S), 0);
    for (int32_t k : {0, 5})
        EXPECT_NEAR(f.At(k, W / 2, H / 2), f.Mix(W / 2, H / 2, 0.85 * (1 - static_cast<double>(k) / T)), 3) << k;
}
