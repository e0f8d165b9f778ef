#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "platform/gdiplus/Gdiplus.h"
#include "render/SingleEffectAnimator.h"

using namespace Gdiplus;

namespace {

// Where the bright pixels of a bitmap lie.
struct Bright {
    int64_t count = 0;
    double cx = 0, cy = 0;
    int32_t left = 1 << 30, right = -1, top = 1 << 30, bottom = -1;
    int32_t Width() const { return right - left + 1; }
    int32_t Height() const { return bottom - top + 1; }
};

Bright Measure(Bitmap* b) {
    const int32_t w = static_cast<int32_t>(b->GetWidth()), h = static_cast<int32_t>(b->GetHeight());
    std::vector<uint8_t> px(static_cast<size_t>(w) * h * 3);
    BitmapData d;
    d.Scan0 = px.data();
    d.Stride = 3 * w;
    const Rect r(0, 0, w, h);
    EXPECT_EQ(b->LockBits(&r, ImageLockModeRead | ImageLockModeUserInputBuf, PixelFormat24bppRGB, &d), Ok);
    b->UnlockBits(&d);
    Bright m;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint8_t* p = &px[(static_cast<size_t>(y) * w + x) * 3];
            if (p[0] + p[1] + p[2] < 3 * 128) continue;
            ++m.count;
            m.cx += x;
            m.cy += y;
            m.left = std::min(m.left, x);
            m.right = std::max(m.right, x);
            m.top = std::min(m.top, y);
            m.bottom = std::max(m.bottom, y);
        }
    if (m.count) {
        m.cx /= m.count;
        m.cy /= m.count;
    }
    return m;
}

std::unique_ptr<Bitmap> Solid(int32_t w, int32_t h, ARGB colour) {
    auto b = std::make_unique<Bitmap>(w, h, PixelFormat24bppRGB);
    Graphics(b.get()).Clear(Color(colour));
    return b;
}

// A black picture with a white vertical bar in the middle third.
std::unique_ptr<Bitmap> Bar(int32_t w, int32_t h) {
    auto b = Solid(w, h, Color::Black);
    SolidBrush white(Color(Color::White));
    Graphics(b.get()).FillRectangle(&white, w / 3, 0, w / 3, h);
    return b;
}

struct Animation {
    SingleEffectAnimator a;
    Animation(int32_t w, int32_t h, int32_t id, int32_t frames, Bitmap* picture) {
        a.Create(w, h);
        SetupSingleEffect(id, a, frames, picture);
        a.SetSourcePicture(picture);
    }
    Bright Frame(uint32_t index, int32_t id) {
        AnimateSingleEffect(a, index, id, Color(Color::Black));
        return Measure(a.EffectBitmap());
    }
};

} // namespace

TEST(SingleEffectAnimator, PanLeftToRightMovesThePictureAcrossByTheOverhang) {
    auto picture = Bar(200, 150);
    const int32_t frames = 10;
    Animation anim(160, 120, 0, frames, picture.get());
    // Pans fit 5% larger than the frame.
    EXPECT_EQ(anim.a.m_nPictureWidth, 168);
    EXPECT_EQ(anim.a.m_nPictureHeight, 126);
    std::vector<double> centres;
    for (int32_t i = 0; i < frames; ++i) centres.push_back(anim.Frame(static_cast<uint32_t>(i), 0).cx);
    for (size_t i = 1; i < centres.size(); ++i) EXPECT_LT(centres[i], centres[i - 1]);
    // One step already shows in the first frame; the last frame stands at the far end.
    EXPECT_NEAR(anim.a.m_fDrawX, -8.0f, 0.01f);
    EXPECT_NEAR(centres.front() - centres.back(), 8.0 * (frames - 1) / frames, 0.6);
}

TEST(SingleEffectAnimator, PanUpAndDownAndDiagonalStartWhereTheTableSays) {
    auto picture = Bar(200, 150);
    Animation down(160, 120, 6, 4, picture.get()); // from up to down: starts at the top
    EXPECT_FLOAT_EQ(down.a.m_fDrawY, 0.0f);
    EXPECT_LT(down.a.m_fStepY, 0.0f);
    Animation diag(160, 120, 5, 4, picture.get()); // from right-down: starts at the far corner
    EXPECT_FLOAT_EQ(diag.a.m_fDrawX, 160.0f - 168.0f);
    EXPECT_FLOAT_EQ(diag.a.m_fDrawY, 120.0f - 126.0f);
    EXPECT_GT(diag.a.m_fStepX, 0.0f);
    EXPECT_GT(diag.a.m_fStepY, 0.0f);
}

TEST(SingleEffectAnimator, PortraitPictureInALandscapeFrameStartsCentredAndDrifts) {
    auto picture = Solid(60, 120, Color::White);
    Animation anim(160, 120, 0, 10, picture.get());
    // Fitted to 1.05 x the height but never enlarged: its own size, centred.
    EXPECT_EQ(anim.a.m_nPictureWidth, 60);
    EXPECT_EQ(anim.a.m_nPictureHeight, 120);
    EXPECT_FLOAT_EQ(anim.a.m_fDrawX, 50.0f);
    const Bright first = anim.Frame(0, 0);
    for (uint32_t i = 1; i < 10; ++i) anim.Frame(i, 0);
    EXPECT_NEAR(anim.a.m_fDrawX, 50.0f - 100.0f, 0.01f);
    EXPECT_NEAR(first.cx, 50 - 10 + 29.5, 1.0);
}

TEST(SingleEffectAnimator, ZoomsGrowAndShrinkByAQuarter) {
    auto picture = Solid(120, 120, Color::White);
    const int32_t frames = 8;
    Animation in(160, 120, 8, frames, picture.get());
    Bright last;
    const Bright first = in.Frame(0, 8);
    for (uint32_t i = 1; i < frames; ++i) last = in.Frame(i, 8);
    EXPECT_NEAR(first.Width(), 120 * (1 + 0.25 / frames), 1.5);
    EXPECT_NEAR(last.Width(), 150, 1.5);
    // Centre fixed.
    EXPECT_NEAR(last.cx, 79.5, 1.0);

    Animation out(160, 120, 17, frames, picture.get());
    EXPECT_EQ(out.a.m_nPictureWidth, 150);
    for (uint32_t i = 0; i < frames; ++i) last = out.Frame(i, 17);
    // Bottom-right corner fixed, back to the fitted size.
    EXPECT_NEAR(last.Width(), 120, 1.5);
    EXPECT_EQ(last.right, 159);
    EXPECT_EQ(last.bottom, 119);
}

TEST(SingleEffectAnimator, ZoomAndRotateTurnsByThirtyDegreesOverTheSlide) {
    auto picture = Solid(120, 120, Color::White);
    Animation anim(160, 120, 18, 30, picture.get());
    EXPECT_FLOAT_EQ(anim.a.m_fAngleStep, 1.0f);
    // A turned square covers more columns than an upright one of the same size.
    const Bright upright = anim.Frame(0, 18);
    AnimateSingleEffectSteps(anim.a, 0, 18, Color(Color::Black));
    const Bright still = Measure(anim.a.EffectBitmap());
    EXPECT_EQ(upright.Width(), still.Width());
    const Bright turned = anim.Frame(30, 18);
    EXPECT_GT(turned.Width(), upright.Width() + 20);
}

TEST(SingleEffectAnimator, StillIsCentredAndNeverEnlarged) {
    auto picture = Solid(40, 20, Color::White);
    Animation anim(160, 120, 20, 5, picture.get());
    const Bright first = anim.Frame(0, 20);
    const Bright later = anim.Frame(4, 20);
    EXPECT_EQ(first.Width(), 40);
    EXPECT_EQ(first.Height(), 20);
    EXPECT_EQ(first.left, 60);
    EXPECT_EQ(first.top, 50);
    EXPECT_EQ(later.left, first.left);
    EXPECT_EQ(later.count, first.count);
}

TEST(SingleEffectAnimator, IdsOutsideTheTableActAsTheStill) {
    auto picture = Bar(200, 150);
    for (int32_t id : {-3, 21, 25, 1000}) {
        Animation odd(160, 120, id, 5, picture.get());
        Animation still(160, 120, 20, 5, picture.get());
        const Bright a = odd.Frame(3, id);
        const Bright b = still.Frame(3, 20);
        EXPECT_EQ(a.count, b.count) << id;
        EXPECT_EQ(a.left, b.left) << id;
    }
}

TEST(SingleEffectAnimator, MissingPictureOrNoFramesGiveBackgroundWithoutNaN) {
    Bitmap invalid("/nonexistent/picture.bmp");
    for (int32_t id = 0; id <= 20; ++id) {
        SingleEffectAnimator a;
        a.Create(64, 48);
        SetupSingleEffect(id, a, 10, &invalid);
        a.SetSourcePicture(&invalid);
        AnimateSingleEffect(a, 3, id, Color(Color::White));
        EXPECT_EQ(a.m_nPictureWidth, 0);
        EXPECT_EQ(a.SourceBitmap(), nullptr);
        EXPECT_TRUE(std::isfinite(a.m_fDrawX) && std::isfinite(a.m_fDrawWidth));
        EXPECT_EQ(Measure(a.EffectBitmap()).count, 64 * 48) << id; // all background (white)
    }
    auto picture = Solid(50, 50, Color::White);
    for (int32_t id = 0; id <= 20; ++id) {
        SingleEffectAnimator a;
        a.Create(64, 48);
        SetupSingleEffect(id, a, 0, picture.get());
        EXPECT_TRUE(std::isfinite(a.m_fStepX) && std::isfinite(a.m_fStepY) && std::isfinite(a.m_fAngleStep)) << id;
    }
}
