// Speed of the drawing-layer calls that every rendered frame makes.
#include <benchmark/benchmark.h>

#include <vector>

#include "platform/gdiplus/Gdiplus.h"

using namespace Gdiplus;

namespace {

constexpr int kW = 720, kH = 480;

std::unique_ptr<Bitmap> Picture(int w, int h, PixelFormat format) {
    auto b = std::make_unique<Bitmap>(w, h, format);
    Graphics g(b.get());
    g.Clear(Color(255, 30, 60, 90));
    SolidBrush brush(Color(255, 200, 150, 20));
    g.FillEllipse(&brush, RectF(w * 0.2f, h * 0.2f, w * 0.6f, h * 0.6f));
    return b;
}

// The frame being composed and its graphics: 24-bit RGB for argument 0, 32-bit ARGB otherwise.
struct Frame {
    Bitmap bitmap;
    Graphics g{&bitmap};
    explicit Frame(const benchmark::State& state)
        : bitmap(kW, kH, state.range(0) ? PixelFormat32bppARGB : PixelFormat24bppRGB) {}
};

// The single effect's zoom: a pre-scaled picture drawn into a slightly larger fractional rectangle.
void BM_ScaledFullFrameDraw(benchmark::State& state) {
    auto source = Picture(kW, kH, PixelFormat24bppRGB);
    Frame frame(state);
    float grow = 0;
    for (auto _ : state) {
        grow = grow > 20 ? 0 : grow + 0.37f;
        frame.g.DrawImage(source.get(), RectF(-grow, -grow * 0.66f, kW + 2 * grow, kH + 1.33f * grow));
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ScaledFullFrameDraw)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// A pan: the picture 5% larger than the frame drawn unscaled at a fractional position.
void BM_PanDraw(benchmark::State& state) {
    auto source = Picture(756, 504, PixelFormat24bppRGB);
    Frame frame(state);
    float x = 0;
    for (auto _ : state) {
        x = x < -30 ? 0 : x - 0.37f;
        frame.g.DrawImage(source.get(), RectF(x, -12, 756, 504));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PanDraw)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The effect frame put onto the frame at (0, 0).
void BM_PositionDraw(benchmark::State& state) {
    auto source = Picture(kW, kH, PixelFormat24bppRGB);
    Frame frame(state);
    for (auto _ : state) {
        frame.g.DrawImage(source.get(), 0, 0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_PositionDraw)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The cross-fade: the whole effect frame drawn through an alpha colour matrix.
void BM_AlphaDraw(benchmark::State& state) {
    auto source = Picture(kW, kH, PixelFormat24bppRGB);
    Frame frame(state);
    ColorMatrix m;
    ImageAttributes attributes;
    int i = 0;
    for (auto _ : state) {
        m.m[3][3] = static_cast<float>(i++ % 25 + 1) / 26.0f;
        attributes.SetColorMatrix(&m);
        frame.g.DrawImage(source.get(), RectF(0, 0, kW, kH), 0, 0, kW, kH, UnitPixel, &attributes);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_AlphaDraw)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// The soft-edge mask step: a clipped source-copy draw with alpha between two 32-bit bitmaps.
void BM_SoftEdgeStep(benchmark::State& state) {
    auto overlay = Picture(kW, kH, PixelFormat32bppARGB);
    Bitmap work(kW, kH, PixelFormat32bppARGB);
    Graphics g(&work);
    g.SetCompositingMode(CompositingModeSourceCopy);
    ColorMatrix m;
    m.m[3][3] = 0.95f;
    ImageAttributes attributes;
    attributes.SetColorMatrix(&m);
    float w = 0;
    for (auto _ : state) {
        w = w > kW ? 0 : w + 0.9f;
        g.SetClip(RectF(0, 0, w, kH));
        g.DrawImage(overlay.get(), RectF(0, 0, kW, kH), 0, 0, kW, kH, UnitPixel, &attributes);
        g.ResetClip();
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SoftEdgeStep)->Unit(benchmark::kMicrosecond);

// One sub-step of the circle reveal: clip to the swept ellipse, fade it, copy the work buffer back.
void BM_CircleRevealSubStep(benchmark::State& state) {
    auto overlay = Picture(kW, kH, PixelFormat32bppARGB);
    Bitmap work(kW, kH, PixelFormat32bppARGB);
    Graphics gw(&work), go(overlay.get());
    gw.SetCompositingMode(CompositingModeSourceCopy);
    go.SetCompositingMode(CompositingModeSourceCopy);
    ColorMatrix m;
    m.m[3][3] = 0.96f;
    ImageAttributes attributes;
    attributes.SetColorMatrix(&m);
    float r = 0;
    for (auto _ : state) {
        r = r > 430 ? 0 : r + 0.98f;
        GraphicsPath path;
        path.AddEllipse(RectF(kW * 0.5f - r, kH * 0.5f - r, 2 * r, 2 * r));
        Region swept;
        swept.MakeEmpty();
        swept.Complement(&path);
        gw.SetClip(&swept);
        gw.DrawImage(overlay.get(), RectF(0, 0, kW, kH), 0, 0, kW, kH, UnitPixel, &attributes);
        gw.ResetClip();
        go.DrawImage(&work, 0, 0);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CircleRevealSubStep)->Unit(benchmark::kMicrosecond);

// The perspective canvas: 720 one-pixel columns, each stretched to its own height.
void BM_SliceCanvas(benchmark::State& state) {
    auto source = Picture(kW, kH, PixelFormat24bppRGB);
    std::vector<std::unique_ptr<Bitmap>> columns;
    for (int i = 0; i < kW; ++i) {
        columns.push_back(std::make_unique<Bitmap>(1, kH, PixelFormat24bppRGB));
        Graphics(columns.back().get()).DrawImage(source.get(), -i, 0);
    }
    Bitmap canvas(kW, kH, PixelFormat32bppARGB);
    Graphics g(&canvas);
    const float t = 0.2f * kH * 0.5f / kW;
    for (auto _ : state) {
        g.Clear(Color(0, 0, 0, 0));
        for (int i = 0; i < kW; ++i) {
            const float e = i * t;
            g.DrawImage(columns[static_cast<size_t>(i)].get(), RectF(static_cast<float>(i), e, 1.0f, kH - 2 * e));
        }
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SliceCanvas)->Unit(benchmark::kMicrosecond);

// The encoder's read of each frame as packed 24-bit rows.
void BM_LockBits24(benchmark::State& state) {
    Bitmap frame(kW, kH, PixelFormat24bppRGB);
    Graphics(&frame).Clear(Color(255, 1, 2, 3));
    std::vector<unsigned char> buffer(static_cast<size_t>(kW) * kH * 3);
    BitmapData data;
    for (auto _ : state) {
        data.Scan0 = buffer.data();
        data.Stride = kW * 3;
        frame.LockBits(nullptr, ImageLockModeRead | ImageLockModeUserInputBuf, PixelFormat24bppRGB, &data);
        frame.UnlockBits(&data);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_LockBits24)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
