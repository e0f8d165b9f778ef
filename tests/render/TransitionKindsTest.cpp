// What every transition kind shares: parameters from hand-edited files and very short
// transitions still bring the whole slide in, showing the same frames as the nearest sound
// value; plus the faults mended in the strip and reveal transitions.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "model/TransitionSetting.h"
#include "render/TransitionPass.h"
#include "tests/render/TransitionFrameChecks.h"

using namespace rendertest;

namespace {

std::vector<Plane> Frames(TransitionFrames& f, int32_t kind, int32_t p1, int32_t p2) {
    EXPECT_EQ(f.Render(kind, p1, p2, 6, 8), 0);
    return FrameCatcher::frames;
}

} // namespace

TEST(TransitionKinds, HostileParametersAndShortTransitionsPresentEveryFrame) {
    TransitionFrames f(64, 48);
    for (int32_t kind = TRANSITION_ACCORDION; kind < TRANSITION_RANDOM; ++kind)
        for (int32_t t : {0, 1, 2})
            for (int32_t hostile : {0, -1, 11, 99, 1000, 1000000000, INT_MIN})
                for (auto [p1, p2] : {std::pair{hostile, 40}, std::pair{0, hostile}}) {
                    SCOPED_TRACE(testing::Message() << "kind " << kind << " T " << t << " (" << p1 << ", " << p2 << ")");
                    ASSERT_EQ(f.Render(kind, p1, p2, t, t + 2), 0);
                    ASSERT_EQ(f.Count(), t + 2);
                    EXPECT_EQ(f.Frame(t), f.newY);
                }
}

TEST(TransitionKinds, OutOfRangeValuesDrawAsTheNearestSoundOne) {
    TransitionFrames f(200, 150);
    struct Same {
        int32_t kind, p1, p2, soundP1, soundP2;
    };
    const Same cases[] = {
        // Window numbers outside 1..10, piece numbers outside 1..9.
        {TRANSITION_BLINDS, 0, 1000, 0, 10}, {TRANSITION_BLINDS, 0, 0, 0, 1}, {TRANSITION_BLINDS, 0, -1, 0, 1},
        {TRANSITION_POLYGON, 11, 1, 9, 1}, {TRANSITION_POLYGON, 1000000000, 0, 9, 0}, {TRANSITION_POLYGON, 0, 1, 1, 1},
        {TRANSITION_POLYGON, -1, 0, 1, 0},
        // Edge widths: negative is a hard edge, a huge one is the larger frame side.
        {TRANSITION_CIRCLE, 0, -5, 0, 0}, {TRANSITION_SHUTTER, 1, -5, 1, 0}, {TRANSITION_SWEEP, 3, -5, 3, 0},
        {TRANSITION_DIAGONAL_SWEEP, 1, -5, 1, 0}, {TRANSITION_CIRCLE, 1, 1000000000, 1, 200},
        {TRANSITION_SWEEP, 0, 1000000000, 0, 200},
        // Unknown directions count as the first one.
        {TRANSITION_ACCORDION, 5, 0, 0, 0}, {TRANSITION_BLINDS, 7, 4, 0, 4}, {TRANSITION_DIAGONAL_SWEEP, 9, 8, 0, 8},
        {TRANSITION_SWEEP, -1, 8, 0, 8}, {TRANSITION_CLOCK, -1, 0, 0, 0}, {TRANSITION_WIPE, -3, 0, 0, 0},
        {TRANSITION_FLIP, 99, 0, 0, 0}, {TRANSITION_ROTATE_IN, 99, 0, 0, 0}, {TRANSITION_FLY, 99, 0, 0, 0},
        {TRANSITION_TWIST, 99, 0, 0, 0}, {TRANSITION_CUBE_FLY, 99, 0, 0, 0}, {TRANSITION_CUBE_FLY, -1, 0, 0, 0},
        {TRANSITION_CUBE_FLY, 4, 0, 0, 0},
        // Flags are one byte.
        {TRANSITION_WIPE, 1, 0x100, 1, 0}, {TRANSITION_WIPE, 1, 0x101, 1, 1}, {TRANSITION_CLOCK, 1, 0x200, 1, 0},
    };
    for (const Same& c : cases) {
        SCOPED_TRACE(testing::Message() << "kind " << c.kind << " (" << c.p1 << ", " << c.p2 << ")");
        const std::vector<Plane> got = Frames(f, c.kind, c.p1, c.p2);
        EXPECT_TRUE(got == Frames(f, c.kind, c.soundP1, c.soundP2));
    }
    // The flag set in its byte does change the frames.
    EXPECT_FALSE(Frames(f, TRANSITION_WIPE, 1, 1) == Frames(f, TRANSITION_WIPE, 1, 0));
}

TEST(TransitionKinds, ValuesThatDrawNothingNewKeepTheOldPictureThenTheSlide) {
    TransitionFrames f(200, 150);
    for (auto [kind, p1, p2] : {std::tuple{TRANSITION_CIRCLE, 5, 10}, {TRANSITION_SHUTTER, -2, 10}, {TRANSITION_SWEEP, 4, 10},
                                {TRANSITION_CLOCK, 3, 10}, {TRANSITION_ZOOM, 2, 10}, {TRANSITION_DOOR, 2, 0},
                                {TRANSITION_POLYGON, 4, 2}}) {
        ASSERT_EQ(f.Render(kind, p1, p2, 6, 8), 0);
        for (int32_t k = 0; k < 6; ++k) EXPECT_EQ(f.Frame(k), f.oldY) << kind << " frame " << k;
        EXPECT_EQ(f.Frame(6), f.newY) << kind;
    }
    // A wipe direction above 3 cuts to the slide at once.
    ASSERT_EQ(f.Render(TRANSITION_WIPE, 4, 0, 6, 8), 0);
    EXPECT_EQ(f.Frame(0), f.newY);
}

TEST(TransitionKinds, SoftEdgesLeaveNoResidueBehindTheBand) {
    // An 8-bit alpha decayed step by step would leave a few percent of the old picture over the
    // whole swept area; far behind the band the slide is exact.
    TransitionFrames f(800, 600);
    ASSERT_EQ(f.Render(TRANSITION_SWEEP, 0, 40, 10, 12), 0);
    for (int32_t y = 0; y < 600; y += 10)
        for (int32_t x = 0; x < 600; x += 10) ASSERT_TRUE(f.IsNew(9, x, y)) << x << "," << y;
    // In the band a pixel d behind the edge keeps 0.2 to the power d / width of the old picture.
    const double edge = 5 * 840.0 / 10; // after frame 4 of 10, the edge travelling W + width
    for (double d : {-10.0, 10.0, 20.0, 40.0, 60.0}) {
        const auto x = static_cast<int32_t>(edge - d);
        EXPECT_NEAR(f.At(4, x, 300), f.Mix(x, 300, d < 0 ? 1.0 : std::pow(0.2, d / 40)), 2.5) << d;
    }
    ASSERT_EQ(f.Render(TRANSITION_CIRCLE, 0, 80, 10, 12), 0);
    EXPECT_TRUE(f.IsNew(9, 400, 300));
    EXPECT_TRUE(f.IsNew(5, 400, 300));
}

TEST(TransitionKinds, BlindsAtTwentyFiveFramesAndCirclesInTallFramesEndWhole) {
    TransitionFrames f(720, 576);
    // 0.3 T = 7.5 frames: without clamping each blind would end at 13/15 of its width.
    ASSERT_EQ(f.Render(TRANSITION_BLINDS, 0, 8, 25, 27), 0);
    EXPECT_GE(f.NewShare(24), 0.99);
    // T = 1: the one frame narrows every blind to nothing, never to a mirrored strip.
    ASSERT_EQ(f.Render(TRANSITION_BLINDS, 0, 8, 1, 3), 0);
    EXPECT_EQ(f.Shares(0).background, 1.0);
    // A circle reaches the corners of a frame taller than wide.
    TransitionFrames tall(480, 576);
    for (int32_t direction : {0, 1}) {
        ASSERT_EQ(tall.Render(TRANSITION_CIRCLE, direction, 0, 10, 12), 0);
        EXPECT_EQ(tall.Frame(9), tall.newY) << direction;
    }
    // With a soft edge its fading band passes them too: no pixel keeps more than a fifth of the
    // old picture.
    TransitionFrames narrow(120, 160);
    for (int32_t direction : {0, 1}) {
        ASSERT_EQ(narrow.Render(TRANSITION_CIRCLE, direction, 40, 10, 12), 0);
        for (int32_t y = 0; y < 160; ++y)
            for (int32_t x = 0; x < 120; ++x) {
                const double step = narrow.oldY[narrow.Index(x, y)] - narrow.newY[narrow.Index(x, y)];
                ASSERT_LE(std::abs(narrow.At(9, x, y) - narrow.newY[narrow.Index(x, y)]),
                          0.2 * std::abs(step) + 1.5)
                    << direction << " at " << x << "," << y;
            }
    }
}

TEST(TransitionKinds, EachKindBringsItsSlideInLiveOrFrozen) {
    TempDir dir;
    WriteSolidPicture(dir.File("a.bmp"), 16, 12, 0xFF808080);
    using Incoming = TransitionPass::Incoming;
    struct Rule {
        int32_t kind, p1, p2;
        Incoming expected;
    };
    const Rule rules[] = {
        {TRANSITION_ACCORDION, 0, 0, Incoming::Frozen}, {TRANSITION_BLINDS, 0, 4, Incoming::Live},
        {TRANSITION_CLOCK, 0, 0, Incoming::Live},       {TRANSITION_TWIST, 0, 0, Incoming::Frozen},
        {TRANSITION_DOOR, 0, 0, Incoming::Live},        {TRANSITION_DOOR, 1, 0, Incoming::Frozen},
        {TRANSITION_DOOR, 7, 0, Incoming::Live},        {TRANSITION_FLY, 0, 0, Incoming::Frozen},
        {TRANSITION_FLY, 1, 0, Incoming::Live},         {TRANSITION_FLY, -4, 0, Incoming::Frozen},
        {TRANSITION_POLYGON, 5, 0, Incoming::Frozen},   {TRANSITION_POLYGON, 5, 1, Incoming::Live},
        {TRANSITION_RANDOM, 0, 0, Incoming::Live},
    };
    for (const Rule& r : rules) {
        auto show = MakeSlideshow(dir, {{dir.File("a.bmp")}, {dir.File("a.bmp"), 20, 1, 1, TRANSITION_ALPHA, r.p1, r.p2}});
        EncodeHarness h(16, 12, show.get());
        h.SetSlide(1, 10);
        const TransitionPass pass(h.job);
        EXPECT_EQ(GetTransitionIncoming(r.kind, pass), r.expected) << r.kind << " " << r.p1 << " " << r.p2;
    }
}
