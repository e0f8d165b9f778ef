#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "platform/gdiplus/Gdiplus.h"
#include "render/SingleEffectAnimator.h"
#include "tests/render/RenderTestUtil.h"

using namespace Gdiplus;

namespace {

// Where the bright pixels of a bitmap lie.
struct Bright {
    int64_t count = 0;
    double cx = 0, cy = 0;
    int32_t left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
};

Bright Measure(const Bitmap* b) {
    Bright m;
    for (int32_t y = 0; y < static_cast<int32_t>(b->GetHeight()); ++y)
        for (int32_t x = 0; x < static_cast<int32_t>(b->GetWidth()); ++x) {
            Color c;
            b->GetPixel(x, y, &c);
            if (c.GetR() + c.GetG() + c.GetB() < 3 * 128) continue;
            ++m.count, m.cx += x + 0.5, m.cy += y + 0.5;
            m.left = std::min(m.left, x), m.right = std::max(m.right, x);
            m.top = std::min(m.top, y), m.bottom = std::max(m.bottom, y);
        }
    if (m.count) m.cx /= m.count, m.cy /= m.count;
    return m;
}

std::unique_ptr<Bitmap> Solid(int32_t w, int32_t h, ARGB colour) {
    auto b = std::make_unique<Bitmap>(w, h, PixelFormat24bppRGB);
    Graphics(b.get()).Clear(Color(colour));
    return b;
}

// An animator of 160 x 120 set up for one effect of `frames` frames over a picture.
struct Animation {
    SingleEffectAnimator a;
    Animation(int32_t id, int32_t frames, Bitmap* picture) {
        a.Create(160, 120);
        SetupSingleEffect(id, a, frames, picture);
        a.SetSourcePicture(picture);
    }
};

} // namespace

// Every effect id on a 160 x 120 frame over 10 frames: pans of a 200 x 150 picture (fitted 5%
// larger, 168 x 126), zooms of a 400 x 400 one (fitted 120 x 120, zooms out pre-scaled to 150);
// then pictures of other shapes and pictures too small to fit.
TEST(SingleEffectAnimator, EveryEffectsFitStartStepsAndEnd) {
    struct Row {
        int32_t id, pw, ph;     // effect, picture size
        float x, y, w, h;       // start rectangle
        float sx, sy, angle;    // steps
        float ex, ey, ew, eh;   // after the last frame
    };
    const Row rows[] = {
        {0, 200, 150, 0, -3, 168, 126, -0.8f, 0, 0, -8, -3, 168, 126},
        {1, 200, 150, -8, -3, 168, 126, 0.8f, 0, 0, 0, -3, 168, 126},
        {2, 200, 150, 0, -6, 168, 126, -0.8f, 0.6f, 0, -8, 0, 168, 126},
        {3, 200, 150, -8, 0, 168, 126, 0.8f, -0.6f, 0, 0, -6, 168, 126},
        {4, 200, 150, 0, 0, 168, 126, -0.8f, -0.6f, 0, -8, -6, 168, 126},
        {5, 200, 150, -8, -6, 168, 126, 0.8f, 0.6f, 0, 0, 0, 168, 126},
        {6, 200, 150, -4, 0, 168, 126, 0, -0.6f, 0, -4, -6, 168, 126},
        {7, 200, 150, -4, -6, 168, 126, 0, 0.6f, 0, -4, 0, 168, 126},
        {8, 400, 400, 20, 0, 120, 120, 3, 3, 0, 5, -15, 150, 150},
        {9, 400, 400, 0, 0, 120, 120, 3, 3, 0, 0, 0, 150, 150},
        {10, 400, 400, 40, 0, 120, 120, 3, 3, 0, 10, 0, 150, 150},
        {11, 400, 400, 0, 0, 120, 120, 3, 3, 0, 0, -30, 150, 150},
        {12, 400, 400, 40, 0, 120, 120, 3, 3, 0, 10, -30, 150, 150},
        {13, 400, 400, 5, -15, 150, 150, -3, -3, 0, 20, 0, 120, 120},
        {14, 400, 400, 0, 0, 150, 150, -3, -3, 0, 0, 0, 120, 120},
        {15, 400, 400, 10, 0, 150, 150, -3, -3, 0, 40, 0, 120, 120},
        {16, 400, 400, 0, -30, 150, 150, -3, -3, 0, 0, 0, 120, 120},
        {17, 400, 400, 10, -30, 150, 150, -3, -3, 0, 40, 0, 120, 120},
        {18, 400, 400, 20, 0, 120, 120, 3, 3, 3, -10, -30, 150, 150},
        {19, 400, 400, 5, -15, 150, 150, -3, -3, -3, 35, 15, 120, 120},
        {20, 400, 400, 20, 0, 120, 120, 0, 0, 0, 20, 0, 120, 120},
        // Ids outside the table (a random one never resolved included) are the still.
        {21, 40, 20, 60, 50, 40, 20, 0, 0, 0, 60, 50, 40, 20},
        {-3, 400, 400, 20, 0, 120, 120, 0, 0, 0, 20, 0, 120, 120},
        // A portrait pan fits 1.05 x the height (126, width 63): narrower than the frame, it
        // starts centred and drifts by the width difference.
        {2, 300, 600, 48, -3, 63, 126, -9.7f, 0.6f, 0, -49, 3, 63, 126},
        // Never enlarged: the pan keeps 60 x 120, the zoom 40 x 20 and grows by a quarter.
        {0, 60, 120, 50, 0, 60, 120, -10, 0, 0, -50, 0, 60, 120},
        {8, 40, 20, 60, 50, 40, 20, 1, 0.5f, 0, 55, 47.5f, 50, 25},
        // A wide zoom fits the frame's width: 160 x 80, pre-scaled to 200 x 100.
        {16, 400, 200, 0, 20, 200, 100, -4, -2, 0, 0, 40, 160, 80},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << "effect " << r.id << " on " << r.pw << " x " << r.ph);
        auto picture = Solid(r.pw, r.ph, Color::White);
        SingleEffectAnimator a;
        a.Create(160, 120);
        SetupSingleEffect(r.id, a, 10, picture.get());
        EXPECT_FLOAT_EQ(a.m_fDrawX, r.x);
        EXPECT_FLOAT_EQ(a.m_fDrawY, r.y);
        EXPECT_FLOAT_EQ(a.m_fDrawWidth, r.w);
        EXPECT_FLOAT_EQ(a.m_fDrawHeight, r.h);
        EXPECT_FLOAT_EQ(a.m_nPictureWidth, r.w);
        EXPECT_FLOAT_EQ(a.m_nPictureHeight, r.h);
        EXPECT_NEAR(a.m_fStepX, r.sx, 1e-5);
        EXPECT_NEAR(a.m_fStepY, r.sy, 1e-5);
        EXPECT_NEAR(a.m_fAngleStep, r.angle, 1e-5);
        for (uint32_t i = 0; i < 10; ++i) AnimateSingleEffect(a, i, r.id, Color(Color::Black));
        EXPECT_NEAR(a.m_fDrawX, r.ex, 1e-3);
        EXPECT_NEAR(a.m_fDrawY, r.ey, 1e-3);
        EXPECT_NEAR(a.m_fDrawWidth, r.ew, 1e-3);
        EXPECT_NEAR(a.m_fDrawHeight, r.eh, 1e-3);
    }
}

// Each frame clears to the background and draws the picture into the rectangle as it stands
// after the step: a 40 x 20 picture zooming in towards the bottom-right corner (steps 1 and 0.5).
TEST(SingleEffectAnimator, FramesDrawThePictureIntoItsRectangleOverTheBackground) {
    auto picture = Solid(40, 20, Color::White);
    Animation zoom(12, 10, picture.get());
    for (uint32_t i = 0; i < 10; ++i) {
        AnimateSingleEffect(zoom.a, i, 12, Color(Color::Blue));
        if (i != 1 && i != 9) continue;
        const int32_t left = 120 - static_cast<int32_t>(i + 1), top = 100 - static_cast<int32_t>(i + 1) / 2;
        const Bright b = Measure(zoom.a.EffectBitmap());
        EXPECT_EQ(b.left, left);
        EXPECT_EQ(b.top, top);
        EXPECT_EQ(b.right, 159);
        EXPECT_EQ(b.bottom, 119);
        EXPECT_NEAR(b.count, (160 - left) * (120 - top), 2);
        EXPECT_EQ(rendertest::OpaquePixel(*zoom.a.EffectBitmap(), 0, 0), 0xFF0000FFu);
    }
    // A picture one pixel wide or high, never enlarged, is still drawn.
    for (const auto& [w, h] : {std::pair{1, 100}, {100, 1}}) {
        auto line = Solid(w, h, Color::White);
        Animation still(20, 5, line.get());
        AnimateSingleEffect(still.a, 0, 20, Color(Color::Black));
        EXPECT_EQ(Measure(still.a.EffectBitmap()).count, 100) << w << " x " << h;
    }
}

// The turning effects turn the drawn rectangle about the frame centre by the frame index (or the
// step count) times the angle step, clockwise on screen for zoom in, the other way for zoom out.
// A 40 x 40 picture, never enlarged: its centre after k steps stands k / 2 up and left of the
// frame centre (zoom in) or k / 2 down and right (zoom out, from 50 x 50).
TEST(SingleEffectAnimator, TurningEffectsTurnTheirRectangleAboutTheFrameCentre) {
    auto picture = Solid(40, 40, Color::White);
    struct Case {
        int32_t id;
        uint32_t firstIndex; // frames from this index; 0 = all steps at once
        int32_t steps;
        double degrees;
    };
    const Case cases[] = {{18, 0, 10, 30}, {19, 0, 10, -30}, {18, 20, 6, 75}, {19, 7, 4, -30}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "effect " << c.id << " from " << c.firstIndex);
        Animation turn(c.id, 10, picture.get());
        if (c.firstIndex == 0)
            AnimateSingleEffectSteps(turn.a, c.steps, c.id, Color(Color::Black));
        else
            for (int32_t i = 0; i < c.steps; ++i) AnimateSingleEffect(turn.a, c.firstIndex + i, c.id, Color(Color::Black));
        const double shift = (c.id == 18 ? -0.5 : 0.5) * c.steps, t = c.degrees * std::numbers::pi / 180;
        const double side = c.id == 18 ? 40 + c.steps : 50 - c.steps;
        const Bright b = Measure(turn.a.EffectBitmap());
        EXPECT_NEAR(b.cx, 80 + shift * (std::cos(t) - std::sin(t)), 0.3);
        EXPECT_NEAR(b.cy, 60 + shift * (std::sin(t) + std::cos(t)), 0.3);
        EXPECT_NEAR(b.count, side * side, side * 0.5);
    }
}

TEST(SingleEffectAnimator, MissingPictureOrNoFramesGiveBackgroundWithoutNaN) {
    Bitmap invalid("/nonexistent/picture.bmp");
    auto picture = Solid(50, 50, Color::White);
    for (int32_t id = 0; id <= 20; ++id) {
        SingleEffectAnimator a;
        a.Create(64, 48);
        SetupSingleEffect(id, a, 10, picture.get());
        a.SetSourcePicture(&invalid);
        EXPECT_EQ(a.SourceBitmap(), nullptr);
        SetupSingleEffect(id, a, 10, &invalid);
        a.SetSourcePicture(&invalid);
        AnimateSingleEffect(a, 3, id, Color(Color::White));
        EXPECT_EQ(a.m_nPictureWidth, 0);
        EXPECT_EQ(a.SourceBitmap(), nullptr);
        EXPECT_TRUE(std::isfinite(a.m_fDrawX) && std::isfinite(a.m_fDrawWidth));
        EXPECT_EQ(Measure(a.EffectBitmap()).count, 64 * 48) << id; // all background (white)

        SetupSingleEffect(id, a, 0, picture.get());
        EXPECT_TRUE(std::isfinite(a.m_fStepX) && std::isfinite(a.m_fStepY) && std::isfinite(a.m_fAngleStep)) << id;
    }
}

namespace {

// A zone plate: rings whose frequency grows from the centre to half a cycle per pixel at the
// corners, the finest detail a picture can hold.
double ZonePlate(double x, double y, int32_t w, int32_t h) {
    const double dx = x - w / 2.0, dy = y - h / 2.0;
    const double corner = std::hypot(w / 2.0, h / 2.0);
    const double k = M_PI * 0.5 / corner;
    return 0.5 + 0.5 * std::cos(k * (dx * dx + dy * dy));
}

} // namespace

// The once-per-slide shrink of a picture to a third keeps a zone plate's rings where a plain
// bilinear draw turns the fine ones into moire: compared with the area average of the rings.
TEST(SingleEffectAnimator, PreScaleShrinksWithoutMoire) {
    constexpr int32_t kW = 1200, kH = 800, kFrameW = 360, kFrameH = 240;
    Bitmap plate(kW, kH, PixelFormat24bppRGB);
    BitmapData data;
    ASSERT_EQ(plate.LockBits(nullptr, ImageLockModeWrite, PixelFormat24bppRGB, &data), Ok);
    for (int32_t y = 0; y < kH; ++y)
        for (int32_t x = 0; x < kW; ++x) {
            uint8_t* p = static_cast<uint8_t*>(data.Scan0) + y * data.Stride + 3 * x;
            p[0] = p[1] = p[2] = static_cast<uint8_t>(std::lround(255 * ZonePlate(x + 0.5, y + 0.5, kW, kH)));
        }
    plate.UnlockBits(&data);

    SingleEffectAnimator a;
    a.Create(kFrameW, kFrameH);
    SetupSingleEffect(20, a, 10, &plate);
    a.SetSourcePicture(&plate);
    Bitmap* source = a.SourceBitmap();
    ASSERT_NE(source, nullptr);
    ASSERT_EQ(source->GetWidth(), static_cast<UINT>(kFrameW));
    ASSERT_EQ(source->LockBits(nullptr, ImageLockModeRead, PixelFormat24bppRGB, &data), Ok);

    // Each frame pixel (green) against the mean of the rings over its footprint, 6 x 6 samples.
    const double scale = static_cast<double>(kW) / kFrameW;
    double squared = 0;
    for (int32_t y = 0; y < kFrameH; ++y)
        for (int32_t x = 0; x < kFrameW; ++x) {
            double sum = 0;
            for (int sy = 0; sy < 6; ++sy)
                for (int sx = 0; sx < 6; ++sx)
                    sum += ZonePlate((x + (sx + 0.5) / 6) * scale, (y + (sy + 0.5) / 6) * scale, kW, kH);
            const double got = static_cast<const uint8_t*>(data.Scan0)[y * data.Stride + 3 * x + 1] / 255.0;
            squared += (got - sum / 36) * (got - sum / 36);
        }
    source->UnlockBits(&data);
    const double psnr = 10 * std::log10(1.0 / (squared / (kFrameW * kFrameH)));
    // A bilinear shrink scores about 14 dB here, the prefiltered one 38.
    EXPECT_GT(psnr, 22.0);
}
