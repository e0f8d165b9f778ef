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

Bright Measure(const Bitmap* b) {
    Bright m;
    for (int32_t y = 0; y < static_cast<int32_t>(b->GetHeight()); ++y)
        for (int32_t x = 0; x < static_cast<int32_t>(b->GetWidth()); ++x) {
            Color c;
            b->GetPixel(x, y, &c);
            if (c.GetR() + c.GetG() + c.GetB() < 3 * 128) continue;
            ++m.count, m.cx += x, m.cy += y;
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

// A black picture with a white vertical bar in the middle third.
std::unique_ptr<Bitmap> Bar(int32_t w, int32_t h) {
    auto b = Solid(w, h, Color::Black);
    SolidBrush white(Color(Color::White));
    Graphics(b.get()).FillRectangle(&white, w / 3, 0, w / 3, h);
    return b;
}

// A 160 x 120 animation of one effect over a picture.
struct Animation {
    SingleEffectAnimator a;
    int32_t id;
    Animation(int32_t effect, int32_t frames, Bitmap* picture) : id(effect) {
        a.Create(160, 120);
        SetupSingleEffect(id, a, frames, picture);
        a.SetSourcePicture(picture);
    }
    Bright Frame(uint32_t index) {
        AnimateSingleEffect(a, index, id, Color(Color::Black));
        return Measure(a.EffectBitmap());
    }
};

} // namespace

TEST(SingleEffectAnimator, PansMoveThePictureAcrossByTheOverhang) {
    auto picture = Bar(200, 150);
    const int32_t frames = 10;
    Animation pan(0, frames, picture.get());
    // Pans fit 5% larger than the frame.
    EXPECT_EQ(pan.a.m_nPictureWidth, 168);
    EXPECT_EQ(pan.a.m_nPictureHeight, 126);
    std::vector<double> centres;
    for (int32_t i = 0; i < frames; ++i) centres.push_back(pan.Frame(static_cast<uint32_t>(i)).cx);
    for (size_t i = 1; i < centres.size(); ++i) EXPECT_LT(centres[i], centres[i - 1]);
    // One step already shows in the first frame; the last frame stands at the far end.
    EXPECT_NEAR(pan.a.m_fDrawX, -8.0f, 0.01f);
    EXPECT_NEAR(centres.front() - centres.back(), 8.0 * (frames - 1) / frames, 0.6);

    // From up to down starts at the top; from right-down at the far corner.
    Animation down(6, 4, picture.get());
    EXPECT_FLOAT_EQ(down.a.m_fDrawY, 0.0f);
    EXPECT_LT(down.a.m_fStepY, 0.0f);
    Animation diag(5, 4, picture.get());
    EXPECT_FLOAT_EQ(diag.a.m_fDrawX, 160.0f - 168.0f);
    EXPECT_FLOAT_EQ(diag.a.m_fDrawY, 120.0f - 126.0f);
    EXPECT_GT(diag.a.m_fStepX, 0.0f);
    EXPECT_GT(diag.a.m_fStepY, 0.0f);

    // A portrait picture in a landscape frame: fitted to 1.05 x the height but never enlarged,
    // it starts centred at its own size and drifts.
    auto portrait = Solid(60, 120, Color::White);
    Animation anim(0, 10, portrait.get());
    EXPECT_EQ(anim.a.m_nPictureWidth, 60);
    EXPECT_EQ(anim.a.m_nPictureHeight, 120);
    EXPECT_FLOAT_EQ(anim.a.m_fDrawX, 50.0f);
    const Bright first = anim.Frame(0);
    for (uint32_t i = 1; i < 10; ++i) anim.Frame(i);
    EXPECT_NEAR(anim.a.m_fDrawX, 50.0f - 100.0f, 0.01f);
    EXPECT_NEAR(first.cx, 50 - 10 + 29.5, 1.0);
}

TEST(SingleEffectAnimator, ZoomsGrowAndShrinkByAQuarter) {
    auto picture = Solid(120, 120, Color::White);
    const int32_t frames = 8;
    Animation in(8, frames, picture.get());
    Bright last;
    const Bright first = in.Frame(0);
    for (uint32_t i = 1; i < frames; ++i) last = in.Frame(i);
    EXPECT_NEAR(first.Width(), 120 * (1 + 0.25 / frames), 1.5);
    EXPECT_NEAR(last.Width(), 150, 1.5);
    EXPECT_NEAR(last.cx, 79.5, 1.0); // centre fixed

    Animation out(17, frames, picture.get());
    EXPECT_EQ(out.a.m_nPictureWidth, 150);
    for (uint32_t i = 0; i < frames; ++i) last = out.Frame(i);
    // Bottom-right corner fixed, back to the fitted size.
    EXPECT_NEAR(last.Width(), 120, 1.5);
    EXPECT_EQ(last.right, 159);
    EXPECT_EQ(last.bottom, 119);
}

TEST(SingleEffectAnimator, ZoomAndRotateTurnsByThirtyDegreesOverTheSlide) {
    auto picture = Solid(120, 120, Color::White);
    Animation anim(18, 30, picture.get());
    EXPECT_FLOAT_EQ(anim.a.m_fAngleStep, 1.0f);
    // A turned square covers more columns than an upright one of the same size.
    const Bright upright = anim.Frame(0);
    AnimateSingleEffectSteps(anim.a, 0, 18, Color(Color::Black));
    EXPECT_EQ(Measure(anim.a.EffectBitmap()).Width(), upright.Width());
    EXPECT_GT(anim.Frame(30).Width(), upright.Width() + 20);
}

TEST(SingleEffectAnimator, StillAndIdsOutsideTheTableStayCentredAndNeverEnlarged) {
    auto picture = Solid(40, 20, Color::White);
    for (int32_t id : {20, -3, 21, 25, 1000}) {
        Animation anim(id, 5, picture.get());
        const Bright first = anim.Frame(0);
        const Bright later = anim.Frame(4);
        EXPECT_EQ(first.Width(), 40) << id;
        EXPECT_EQ(first.Height(), 20) << id;
        EXPECT_EQ(first.left, 60) << id;
        EXPECT_EQ(first.top, 50) << id;
        EXPECT_EQ(later.left, first.left) << id;
        EXPECT_EQ(later.count, first.count) << id;
    }
}

TEST(SingleEffectAnimator, MissingPictureOrNoFramesGiveBackgroundWithoutNaN) {
    Bitmap invalid("/nonexistent/picture.bmp");
    auto picture = Solid(50, 50, Color::White);
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

// Green channel of a 24-bit bitmap, row by row.
std::vector<double> Levels(Bitmap* b) {
    const int32_t w = static_cast<int32_t>(b->GetWidth()), h = static_cast<int32_t>(b->GetHeight());
    BitmapData data;
    std::vector<double> levels;
    if (b->LockBits(nullptr, ImageLockModeRead, PixelFormat24bppRGB, &data) != Ok) return levels;
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            levels.push_back(static_cast<const uint8_t*>(data.Scan0)[y * data.Stride + 3 * x + 1] / 255.0);
    b->UnlockBits(&data);
    return levels;
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
    ASSERT_NE(a.SourceBitmap(), nullptr);
    ASSERT_EQ(a.SourceBitmap()->GetWidth(), static_cast<UINT>(kFrameW));
    const std::vector<double> got = Levels(a.SourceBitmap());
    ASSERT_EQ(got.size(), static_cast<size_t>(kFrameW * kFrameH));

    // Each frame pixel against the mean of the rings over its footprint, 6 x 6 samples.
    const double scale = static_cast<double>(kW) / kFrameW;
    double squared = 0;
    for (int32_t y = 0; y < kFrameH; ++y)
        for (int32_t x = 0; x < kFrameW; ++x) {
            double sum = 0;
            for (int sy = 0; sy < 6; ++sy)
                for (int sx = 0; sx < 6; ++sx)
                    sum += ZonePlate((x + (sx + 0.5) / 6) * scale, (y + (sy + 0.5) / 6) * scale, kW, kH);
            const double diff = got[static_cast<size_t>(y * kFrameW + x)] - sum / 36;
            squared += diff * diff;
        }
    const double psnr = 10 * std::log10(1.0 / (squared / (kFrameW * kFrameH)));
    // A bilinear shrink scores about 14 dB here, the prefiltered one 38.
    EXPECT_GT(psnr, 22.0);
}

// Every effect id on a 160 x 120 frame over 10 frames: pans of a 200 x 150 picture (fitted 5%
// larger, 168 x 126), zooms of a 400 x 400 one (fitted 120 x 120, zooms out pre-scaled to 150).
TEST(SingleEffectAnimator, EveryEffectsStartStepsAndEnd) {
    struct Row {
        int32_t id;
        float x, y, w, h;       // start rectangle
        float sx, sy, angle;    // steps
        float ex, ey, ew, eh;   // after the last frame
    };
    const Row rows[] = {
        {0, 0, -3, 168, 126, -0.8f, 0, 0, -8, -3, 168, 126},
        {1, -8, -3, 168, 126, 0.8f, 0, 0, 0, -3, 168, 126},
        {2, 0, -6, 168, 126, -0.8f, 0.6f, 0, -8, 0, 168, 126},
        {3, -8, 0, 168, 126, 0.8f, -0.6f, 0, 0, -6, 168, 126},
        {4, 0, 0, 168, 126, -0.8f, -0.6f, 0, -8, -6, 168, 126},
        {5, -8, -6, 168, 126, 0.8f, 0.6f, 0, 0, 0, 168, 126},
        {6, -4, 0, 168, 126, 0, -0.6f, 0, -4, -6, 168, 126},
        {7, -4, -6, 168, 126, 0, 0.6f, 0, -4, 0, 168, 126},
        {8, 20, 0, 120, 120, 3, 3, 0, 5, -15, 150, 150},
        {9, 0, 0, 120, 120, 3, 3, 0, 0, 0, 150, 150},
        {10, 40, 0, 120, 120, 3, 3, 0, 10, 0, 150, 150},
        {11, 0, 0, 120, 120, 3, 3, 0, 0, -30, 150, 150},
        {12, 40, 0, 120, 120, 3, 3, 0, 10, -30, 150, 150},
        {13, 5, -15, 150, 150, -3, -3, 0, 20, 0, 120, 120},
        {14, 0, 0, 150, 150, -3, -3, 0, 0, 0, 120, 120},
        {15, 10, 0, 150, 150, -3, -3, 0, 40, 0, 120, 120},
        {16, 0, -30, 150, 150, -3, -3, 0, 0, 0, 120, 120},
        {17, 10, -30, 150, 150, -3, -3, 0, 40, 0, 120, 120},
        {18, 20, 0, 120, 120, 3, 3, 3, -10, -30, 150, 150},
        {19, 5, -15, 150, 150, -3, -3, -3, 35, 15, 120, 120},
        {20, 20, 0, 120, 120, 0, 0, 0, 20, 0, 120, 120},
    };
    auto landscape = Solid(200, 150, Color::White);
    auto square = Solid(400, 400, Color::White);
    for (const Row& r : rows) {
        SCOPED_TRACE("effect " + std::to_string(r.id));
        SingleEffectAnimator a;
        a.Create(160, 120);
        SetupSingleEffect(r.id, a, 10, r.id < 8 ? landscape.get() : square.get());
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

// Zoom in and rotate turns clockwise on screen, zoom out and rotate the other way: the topmost
// corner of a turned square lies left of its centre when it turned clockwise.
TEST(SingleEffectAnimator, TurningEffectsTurnOppositeWays) {
    auto picture = Solid(40, 40, Color::White);
    for (const int32_t id : {18, 19}) {
        SingleEffectAnimator a;
        a.Create(160, 120);
        SetupSingleEffect(id, a, 10, picture.get());
        a.SetSourcePicture(picture.get());
        AnimateSingleEffect(a, 10, id, Color(Color::Black));
        const Bright all = Measure(a.EffectBitmap());
        ASSERT_GT(all.count, 0);
        double topX = 0;
        int n = 0;
        for (int32_t x = 0; x < 160; ++x) {
            Color c;
            a.EffectBitmap()->GetPixel(x, all.top, &c);
            if (c.GetR() >= 128) topX += x, ++n;
        }
        topX /= n;
        if (id == 18)
            EXPECT_LT(topX, all.cx - 5) << "zoom in and rotate";
        else
            EXPECT_GT(topX, all.cx + 5) << "zoom out and rotate";
    }
}
