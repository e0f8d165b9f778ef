// Draws the pictures of the program folder: the two preview pictures of the effects page, the
// demo sample pictures, the TV and menu backgrounds and the default picture. Every picture is
// painted here from procedural shapes and noise with fixed seeds, so two runs write the same
// files. The transition covers are rendered from the two preview pictures by gen_covers.
//
// Usage: gen_pictures <program folder>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "imagelib/PixImage.h"

namespace {

constexpr float kPi = 3.14159265358979f;

// ---- colours and small maths ------------------------------------------------------------------

struct Color {
    float r, g, b;
};

Color operator+(Color a, Color b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
Color operator*(Color a, float k) { return {a.r * k, a.g * k, a.b * k}; }

float Clamp01(float t) { return std::clamp(t, 0.0f, 1.0f); }
float Mixf(float a, float b, float t) { return a + (b - a) * t; }
Color Mix(Color a, Color b, float t) { return {Mixf(a.r, b.r, t), Mixf(a.g, b.g, t), Mixf(a.b, b.b, t)}; }

// 0 below e0, 1 above e1, smooth between; e0 > e1 gives the falling edge.
float Smooth(float e0, float e1, float x) {
    const float t = Clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

// Piecewise gradient through evenly spaced stops.
Color Ramp(const std::vector<Color>& stops, float t) {
    t = Clamp01(t) * static_cast<float>(stops.size() - 1);
    const size_t i = std::min(static_cast<size_t>(t), stops.size() - 2);
    return Mix(stops[i], stops[i + 1], t - static_cast<float>(i));
}

// ---- deterministic noise ----------------------------------------------------------------------

uint32_t Hash(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u +
                 seed * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    return h ^ (h >> 16);
}

float Rnd(int32_t x, int32_t y, uint32_t seed) { return static_cast<float>(Hash(x, y, seed) >> 8) / 16777216.0f; }

// Smoothly interpolated lattice noise in 0..1.
float Noise(float x, float y, uint32_t seed) {
    const float fx = std::floor(x), fy = std::floor(y);
    const int32_t ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy);
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3.0f - 2.0f * tx);
    ty = ty * ty * (3.0f - 2.0f * ty);
    const float a = Mixf(Rnd(ix, iy, seed), Rnd(ix + 1, iy, seed), tx);
    const float b = Mixf(Rnd(ix, iy + 1, seed), Rnd(ix + 1, iy + 1, seed), tx);
    return Mixf(a, b, ty);
}

// Sum of octaves, normalised to 0..1.
float Fbm(float x, float y, int octaves, uint32_t seed) {
    float sum = 0.0f, amp = 0.5f, norm = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * Noise(x, y, seed + static_cast<uint32_t>(i) * 101u);
        norm += amp;
        amp *= 0.5f;
        x = x * 2.03f + 17.0f;
        y = y * 2.03f + 5.0f;
    }
    return sum / norm;
}

// Sharp-crested noise for mountain ridges, 0..1.
float Ridged(float x, int octaves, uint32_t seed) {
    float sum = 0.0f, amp = 0.5f, norm = 0.0f;
    for (int i = 0; i < octaves; ++i) {
        const float n = 1.0f - std::fabs(2.0f * Noise(x, 0.5f, seed + static_cast<uint32_t>(i) * 131u) - 1.0f);
        sum += amp * n * n;
        norm += amp;
        amp *= 0.5f;
        x = x * 2.1f + 3.0f;
    }
    return sum / norm;
}

// ---- painting helpers -------------------------------------------------------------------------

// Where a shader is asked for a colour: x runs 0..aspect across, v 0..1 down; px is one pixel in v.
struct View {
    float aspect;
    float px;
};

using Shader = std::function<Color(const View&, float x, float v)>;

// 1 below the line at height edge (v larger), 0 above, softened over about a pixel.
float Below(float v, float edge, const View& w) { return Smooth(edge - w.px, edge + w.px, v); }

// Coverage of a disc, softened over about a pixel.
float Disc(float x, float v, float cx, float cy, float r, const View& w) {
    return Smooth(r + w.px, r - w.px, std::hypot(x - cx, v - cy));
}

// Paints sun, moon or light glow: the disc plus a halo falling off with distance.
Color Glow(Color base, float x, float v, float cx, float cy, float r, float spread, float strength, Color light,
           const View& w) {
    const float d = std::hypot(x - cx, v - cy);
    base = base + light * (strength * std::exp(-std::max(0.0f, d - r) * spread));
    return Mix(base, light, Disc(x, v, cx, cy, r, w));
}

// A row of conifers standing on a ridge line: the coverage of the tree shapes at (x, v).
float Conifers(float x, float v, float cell, float density, float minH, float maxH,
               const std::function<float(float)>& ground, uint32_t seed) {
    const int32_t c = static_cast<int32_t>(std::floor(x / cell));
    float cover = 0.0f;
    for (int32_t i = c - 2; i <= c + 2; ++i) {
        if (Rnd(i, 0, seed) > density)
            continue;
        const float cx = (static_cast<float>(i) + 0.5f + (Rnd(i, 1, seed) - 0.5f) * 0.6f) * cell;
        const float height = Mixf(minH, maxH, Rnd(i, 2, seed));
        const float base = ground(cx) + height * 0.15f;
        const float top = base - height;
        if (v < top || v > base)
            continue;
        // Three stacked tiers give the fir outline.
        const float t = (v - top) / height;
        const float tier = std::fmod(t * 3.0f, 1.0f);
        const float half = cell * 0.55f * (0.35f + 0.65f * t) * (0.55f + 0.45f * tier);
        const float trunk = (t > 0.9f) ? cell * 0.08f : 0.0f;
        const float dx = std::fabs(x - cx);
        cover = std::max(cover, Smooth(std::max(half, trunk) + 0.0015f, std::max(half, trunk) - 0.0015f, dx));
    }
    return cover;
}

// ---- float canvas -----------------------------------------------------------------------------

struct Canvas {
    int width = 0, height = 0;
    std::vector<Color> px;

    Canvas(int w, int h) : width(w), height(h), px(static_cast<size_t>(w) * static_cast<size_t>(h)) {}

    Color& At(int x, int y) { return px[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)]; }
    Color At(int x, int y) const {
        return px[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }

    // Mean of factor x factor blocks.
    Canvas Shrink(int factor) const {
        Canvas out(width / factor, height / factor);
        const float k = 1.0f / static_cast<float>(factor * factor);
        for (int y = 0; y < out.height; ++y)
            for (int x = 0; x < out.width; ++x) {
                Color sum{0, 0, 0};
                for (int j = 0; j < factor; ++j)
                    for (int i = 0; i < factor; ++i)
                        sum = sum + At(x * factor + i, y * factor + j);
                out.At(x, y) = sum * k;
            }
        return out;
    }
};

// Runs row(y) for every row, the rows shared among a few threads (each pixel depends only on
// its own coordinates, so the result does not depend on the split).
void ForEachRow(int height, const std::function<void(int)>& row) {
    const int workers = static_cast<int>(std::clamp(std::thread::hardware_concurrency(), 1u, 8u));
    std::vector<std::thread> threads;
    for (int t = 0; t < workers; ++t)
        threads.emplace_back([=, &row] {
            for (int y = t; y < height; y += workers)
                row(y);
        });
    for (std::thread& thread : threads)
        thread.join();
}

Canvas Render(int width, int height, const Shader& shader) {
    Canvas c(width, height);
    const View view{static_cast<float>(width) / static_cast<float>(height), 1.0f / static_cast<float>(height)};
    ForEachRow(height, [&](int y) {
        const float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(height);
        for (int x = 0; x < width; ++x) {
            const float sx = (static_cast<float>(x) + 0.5f) / static_cast<float>(height);
            c.At(x, y) = shader(view, sx, v);
        }
    });
    return c;
}

BYTE ToByte(float f) { return static_cast<BYTE>(std::lround(Clamp01(f) * 255.0f)); }

// Encodes a canvas through the image library; the file appears whole or not at all.
bool Save(const Canvas& canvas, const std::filesystem::path& file, DWORD format) {
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    CPixImage image;
    if (!image.Create(static_cast<DWORD>(canvas.width), static_cast<DWORD>(canvas.height), 24, format)) {
        std::fprintf(stderr, "gen_pictures: %s: %s\n", file.c_str(), image.GetLastError());
        return false;
    }
    image.SetJpegQuality(90);
    for (int y = 0; y < canvas.height; ++y)
        for (int x = 0; x < canvas.width; ++x) {
            const Color c = canvas.At(x, y);
            RGBQUAD q{};
            q.rgbRed = ToByte(c.r);
            q.rgbGreen = ToByte(c.g);
            q.rgbBlue = ToByte(c.b);
            image.SetPixelColor(x, canvas.height - 1 - y, q); // image rows count from the bottom
        }
    if (!image.Save(file.c_str(), format)) {
        std::fprintf(stderr, "gen_pictures: cannot write %s: %s\n", file.c_str(), image.GetLastError());
        return false;
    }
    return true;
}

// ---- scenes -----------------------------------------------------------------------------------

// Summer lake: blue sky with sun and clouds, hazy mountains, green hills with firs, still water.
Color LakeLand(const View& w, float x, float v) {
    constexpr float h = 0.60f;
    const float a = w.aspect;
    Color c = Mix({0.20f, 0.42f, 0.80f}, {0.78f, 0.88f, 0.96f}, std::pow(Clamp01(v / h), 1.3f));
    c = Glow(c, x, v, 0.78f * a, 0.17f, 0.045f, 9.0f, 0.35f, {1.0f, 0.97f, 0.86f}, w);
    const float cl = Fbm(x * 2.2f, v * 6.0f, 5, 21);
    const float density = Smooth(0.52f, 0.72f, cl) * Smooth(0.48f, 0.12f, v);
    c = Mix(c, Mix({0.98f, 0.98f, 0.99f}, {0.70f, 0.74f, 0.82f}, Smooth(0.70f, 0.9f, cl)), density);

    auto farRidge = [](float px) { return 0.49f - 0.22f * Smooth(0.3f, 0.75f, Fbm(px * 1.4f, 3.7f, 5, 31)); };
    const float rf = farRidge(x);
    const Color far = Mix({0.44f, 0.52f, 0.66f}, {0.66f, 0.74f, 0.84f}, Clamp01((v - rf) / (h - rf))) *
                      (0.94f + 0.12f * Fbm(x * 18.0f, v * 18.0f, 3, 32));
    c = Mix(c, far, Below(v, rf, w));

    auto nearRidge = [](float px) {
        return 0.52f + 0.035f * std::sin(px * 2.3f + 1.0f) - 0.06f * Fbm(px * 3.0f, 7.1f, 4, 41);
    };
    const float rn = nearRidge(x);
    const float grass = Fbm(x * 40.0f, v * 40.0f, 3, 42);
    const Color hill = Mix({0.22f, 0.48f, 0.16f}, {0.10f, 0.28f, 0.10f}, Clamp01((v - rn) / (h - rn))) *
                       (0.82f + 0.36f * grass);
    c = Mix(c, hill, Below(v, rn, w));
    const float firs = Conifers(x, v, 0.022f, 0.75f * Smooth(0.75f * a, 0.2f * a, x), 0.03f, 0.075f, nearRidge, 43);
    return Mix(c, Color{0.05f, 0.17f, 0.08f} * (0.8f + 0.4f * grass), firs);
}

Color Lake(const View& w, float x, float v) {
    constexpr float h = 0.60f;
    if (v < h)
        return LakeLand(w, x, v);
    const float d = v - h;
    const float q = 1.0f / (d + 0.03f);
    const float ripple = (Noise(x * q * 0.6f, q * 4.0f, 13) - 0.5f) * 0.012f;
    Color c = LakeLand(w, x + ripple, h - d * 0.9f - std::fabs(ripple) * 0.5f);
    c = Mix(c * 0.82f, {0.10f, 0.26f, 0.36f}, Clamp01(0.2f + d * 1.5f));
    const float sparkle = Smooth(0.93f, 0.99f, Noise(x * 160.0f, v * 420.0f, 14)) *
                          std::exp(-std::fabs(x - 0.78f * w.aspect) * 5.0f);
    c = c + Color{1.0f, 0.95f, 0.85f} * sparkle;
    // Grassy bank in front.
    const float bank = 0.92f - 0.04f * Fbm(x * 4.0f, 0.0f, 4, 11);
    const Color grass = Mix({0.10f, 0.28f, 0.07f}, {0.26f, 0.48f, 0.12f}, Fbm(x * 70.0f, v * 25.0f, 3, 12));
    return Mix(c, grass, Below(v, bank, w));
}

// Sunset over the sea: purple to orange sky, low sun, lit cloud streaks, a dark headland.
Color SunsetSky(const View& w, float x, float v) {
    constexpr float h = 0.62f;
    const float a = w.aspect;
    Color c = Ramp({{0.16f, 0.10f, 0.32f}, {0.50f, 0.20f, 0.40f}, {0.88f, 0.40f, 0.32f}, {1.0f, 0.74f, 0.32f}},
                   v / h);
    c = Glow(c, x, v, 0.38f * a, 0.57f, 0.07f, 4.5f, 0.45f, {1.0f, 0.80f, 0.45f}, w);
    c = Mix(c, {1.0f, 0.96f, 0.80f}, Disc(x, v, 0.38f * a, 0.57f, 0.07f, w));
    const float cl = Fbm(x * 1.4f, v * 13.0f, 5, 51);
    const float density = Smooth(0.55f, 0.75f, cl) * Smooth(0.05f, 0.15f, v) * Smooth(0.50f, 0.38f, v);
    const Color lit = Mix({0.30f, 0.12f, 0.28f}, {1.0f, 0.55f, 0.35f}, Smooth(0.15f, 0.5f, v) *
                                                                          std::exp(-std::fabs(x - 0.38f * a) * 1.2f));
    c = Mix(c, lit, density);
    const float head = h - 0.20f * Smooth(0.62f * a, 0.92f * a, x) * (0.75f + 0.5f * Fbm(x * 5.0f, 1.3f, 4, 52));
    return Mix(c, {0.09f, 0.04f, 0.11f}, Below(v, head, w));
}

Color Sunset(const View& w, float x, float v) {
    constexpr float h = 0.62f;
    if (v < h)
        return SunsetSky(w, x, v);
    const float d = v - h;
    const float q = 1.0f / (d + 0.02f);
    const float n = Noise(x * q * 0.35f, q * 5.0f, 53);
    Color c = SunsetSky(w, x + (n - 0.5f) * 0.02f, h - d - (n - 0.5f) * 0.06f * (d + 0.05f) * 4.0f);
    c = Mix(c * 0.78f, {0.08f, 0.04f, 0.14f}, Smooth(0.0f, 0.38f, d) * 0.6f);
    return c;
}

// Snowy peaks above a fir forest and a meadow.
Color Peaks(const View& w, float x, float v) {
    Color c = Mix({0.30f, 0.52f, 0.86f}, {0.84f, 0.90f, 0.97f}, Clamp01(v / 0.6f));
    const float cl = Fbm(x * 3.0f, v * 9.0f, 4, 61);
    c = Mix(c, {0.96f, 0.97f, 1.0f}, Smooth(0.6f, 0.8f, cl) * Smooth(0.35f, 0.1f, v) * 0.8f);

    auto ridge = [](float px) {
        const float r = Ridged(px * 1.1f + 0.4f, 5, 62);
        return 0.66f - 0.52f * r * r;
    };
    const float r = ridge(x);
    // Light from the left on the faces near the crest; gullies and strata further down.
    const float slope = (ridge(x + 0.03f) - ridge(x - 0.03f)) / 0.06f;
    const float crestLight = Clamp01(0.7f - 0.5f * slope);
    const float gully = Fbm(x * 9.0f + v * 3.0f, v * 5.0f, 4, 63);
    const float light = Mixf(crestLight, 0.45f + 0.6f * gully, Smooth(0.0f, 0.06f, v - r));
    const float tex = Fbm(x * 30.0f, v * 30.0f, 3, 63);
    const float snowLine = std::min(r + 0.04f + 0.16f * Fbm(x * 7.0f, v * 4.0f, 4, 64) * (1.2f - gully),
                                     0.40f + 0.08f * Fbm(x * 5.0f, 2.0f, 3, 70));
    const Color rock = Mix({0.26f, 0.25f, 0.27f}, {0.58f, 0.55f, 0.54f}, tex) * (0.55f + 0.6f * light);
    const Color snow = Mix({0.62f, 0.70f, 0.88f}, {1.0f, 1.0f, 1.0f}, light) * (0.95f + 0.06f * tex);
    const Color mountain = Mix(snow, rock, Smooth(snowLine - 0.008f, snowLine + 0.008f, v));
    // Distant haze at the foot.
    c = Mix(c, Mix(mountain, {0.75f, 0.82f, 0.92f}, Smooth(0.55f, 0.72f, v) * 0.5f), Below(v, r, w));

    auto forestLine = [](float px) { return 0.74f - 0.06f * Fbm(px * 2.0f, 2.0f, 3, 65); };
    const float fl = forestLine(x);
    const Color forest = Mix({0.06f, 0.20f, 0.10f}, {0.12f, 0.30f, 0.14f}, Fbm(x * 50.0f, v * 50.0f, 3, 66));
    c = Mix(c, forest, std::max(Below(v, fl, w), Conifers(x, v, 0.018f, 0.9f, 0.04f, 0.09f, forestLine, 67)));
    const float meadow = 0.90f - 0.03f * Fbm(x * 3.0f, 4.0f, 3, 68);
    const Color grass = Mix({0.35f, 0.58f, 0.18f}, {0.55f, 0.72f, 0.26f}, Fbm(x * 60.0f, v * 20.0f, 3, 69));
    return Mix(c, grass, Below(v, meadow, w));
}

// Night: starry sky, a cratered moon, dark hills with village lights and a lone tree (portrait).
Color Night(const View& w, float x, float v) {
    const float a = w.aspect;
    Color c = Mix({0.01f, 0.02f, 0.08f}, {0.10f, 0.16f, 0.36f}, Clamp01(v / 0.78f));
    const float cell = 0.012f;
    const int32_t cx = static_cast<int32_t>(std::floor(x / cell)), cy = static_cast<int32_t>(std::floor(v / cell));
    if (Rnd(cx, cy, 71) < 0.06f) {
        const float sx = (static_cast<float>(cx) + Rnd(cx, cy, 72)) * cell;
        const float sy = (static_cast<float>(cy) + Rnd(cx, cy, 73)) * cell;
        const float bright = 0.4f + 0.6f * Rnd(cx, cy, 74);
        c = c + Color{0.9f, 0.92f, 1.0f} * (bright * std::exp(-std::hypot(x - sx, v - sy) / (w.px * 0.9f)));
    }
    const float mx = 0.60f * a, my = 0.20f, mr = 0.075f;
    c = c + Color{0.55f, 0.60f, 0.75f} * (0.25f * std::exp(-std::max(0.0f, std::hypot(x - mx, v - my) - mr) * 12.0f));
    const Color moon = Color{0.96f, 0.94f, 0.84f} * (0.78f + 0.22f * Fbm(x * 28.0f, v * 28.0f, 4, 75));
    c = Mix(c, moon, Disc(x, v, mx, my, mr, w));

    auto hills = [](float px) { return 0.78f - 0.16f * Fbm(px * 2.2f, 9.0f, 4, 76); };
    const float hl = hills(x);
    const float land = Below(v, hl, w);
    c = Mix(c, Color{0.03f, 0.04f, 0.08f} * (0.8f + 0.4f * Fbm(x * 30.0f, v * 30.0f, 2, 77)), land);
    const float lc = 0.02f;
    const int32_t lx = static_cast<int32_t>(std::floor(x / lc)), ly = static_cast<int32_t>(std::floor(v / lc));
    if (v > hl + 0.02f && v < hl + 0.16f && Rnd(lx, ly, 78) < 0.22f) {
        const float sx = (static_cast<float>(lx) + 0.2f + 0.6f * Rnd(lx, ly, 80)) * lc;
        const float sy = (static_cast<float>(ly) + 0.2f + 0.6f * Rnd(lx, ly, 81)) * lc;
        c = c + Color{1.0f, 0.75f, 0.35f} * std::exp(-std::hypot(x - sx, v - sy) / (w.px * 1.3f));
    }
    // A lone tree: trunk and a ragged round crown.
    const float tx = 0.18f * a, crownY = 0.56f;
    const float trunk = Smooth(0.012f, 0.010f, std::fabs(x - tx)) * Below(v, crownY, w) * Below(0.80f, v, w);
    const float ragged = 0.11f + 0.03f * (Fbm(x * 25.0f, v * 25.0f, 3, 79) - 0.5f);
    const float crown = Smooth(ragged + 0.003f, ragged - 0.003f, std::hypot((x - tx) * 1.15f, v - crownY));
    return Mix(c, {0.01f, 0.01f, 0.03f}, std::max(trunk, crown));
}

// Desert dunes under a pale sky.
Color Dunes(const View& w, float x, float v) {
    Color c = Mix({0.45f, 0.66f, 0.90f}, {0.96f, 0.92f, 0.84f}, Clamp01(v / 0.45f));
    c = Glow(c, x, v, 0.25f * w.aspect, 0.12f, 0.035f, 10.0f, 0.3f, {1.0f, 0.99f, 0.92f}, w);
    struct Layer {
        float base, amp, freq, phase;
        Color lit, shade;
    };
    const Layer layers[] = {
        {0.47f, 0.04f, 2.1f, 0.3f, {0.90f, 0.74f, 0.56f}, {0.78f, 0.60f, 0.48f}},
        {0.58f, 0.06f, 1.6f, 2.0f, {0.95f, 0.72f, 0.45f}, {0.74f, 0.50f, 0.34f}},
        {0.70f, 0.08f, 1.2f, 4.1f, {0.97f, 0.70f, 0.40f}, {0.68f, 0.42f, 0.26f}},
        {0.85f, 0.10f, 0.9f, 1.1f, {0.99f, 0.73f, 0.42f}, {0.62f, 0.38f, 0.22f}},
    };
    uint32_t seed = 81;
    for (const Layer& l : layers) {
        auto ridge = [&](float px) {
            return l.base - l.amp * std::sin(px * l.freq * 2.0f * kPi / 2.0f + l.phase) -
                   0.02f * Fbm(px * 4.0f, 0.0f, 3, seed);
        };
        const float r = ridge(x);
        const float slope = ridge(x + 0.004f) - ridge(x - 0.004f);
        // Faces towards the sun on the left are lit; the contrast fades down the dune.
        const float lit = Mixf(Smooth(0.003f, -0.003f, slope), 0.55f, Smooth(0.0f, 0.10f, v - r));
        const float ripples = 0.5f + 0.5f * std::sin(x * 90.0f + v * 240.0f + 6.0f * Noise(x * 8.0f, v * 8.0f, seed));
        Color sand = Mix(l.shade, l.lit, lit * 0.8f + 0.2f * Smooth(0.12f, 0.0f, v - r));
        sand = sand * (0.94f + 0.08f * ripples);
        c = Mix(c, sand, Below(v, r, w));
        ++seed;
    }
    return c;
}

// Autumn forest in mist: trunks at three depths, orange canopy, leaf-covered ground (portrait).
Color Forest(const View& w, float x, float v) {
    Color c = Mix({0.95f, 0.90f, 0.74f}, {0.70f, 0.60f, 0.42f}, Clamp01(v));
    // Shafts of light falling from the upper left.
    const float shaft = Smooth(0.55f, 0.95f, Noise((x + v * 0.45f) * 7.0f, 0.5f, 90));
    c = c + Color{0.20f, 0.18f, 0.10f} * (0.6f * shaft * Smooth(0.95f, 0.3f, v));
    struct Depth {
        float cell, half, density, fog;
        uint32_t seed;
    };
    const Depth depths[] = {{0.06f, 0.006f, 0.7f, 0.70f, 91},
                            {0.12f, 0.012f, 0.6f, 0.40f, 92},
                            {0.28f, 0.028f, 0.6f, 0.0f, 93}};
    for (const Depth& d : depths) {
        const int32_t i = static_cast<int32_t>(std::floor(x / d.cell));
        for (int32_t k = i - 1; k <= i + 1; ++k) {
            if (Rnd(k, 3, d.seed) > d.density)
                continue;
            const float tx = (static_cast<float>(k) + 0.2f + 0.6f * Rnd(k, 0, d.seed)) * d.cell;
            const float lean = (Rnd(k, 1, d.seed) - 0.5f) * 0.04f;
            const float half = d.half * (0.8f + 0.4f * v);
            const float dx = x - tx - lean * v;
            // Rounded trunk: darker at the edges, bark grooves along it.
            const float round = 1.0f - 0.5f * Clamp01(std::fabs(dx) / half);
            const float bark = 0.75f + 0.35f * Fbm(dx / half * 3.0f, v * 25.0f, 2, d.seed + 10);
            const Color trunk = Mix(Color{0.30f, 0.22f, 0.16f} * (bark * round), c, d.fog);
            c = Mix(c, trunk, Smooth(half + w.px, half - w.px, std::fabs(dx)));
        }
    }
    // Canopy: clumps of leaves with sky showing through, thinning downwards.
    const float leaves = Fbm(x * 9.0f, v * 9.0f, 5, 95);
    const float reach = 0.22f + 0.12f * Fbm(x * 5.0f, 0.0f, 3, 94);
    const float thin = 0.30f + 0.40f * Smooth(reach - 0.12f, reach + 0.06f, v);
    const float clumps = Smooth(thin, thin + 0.08f, leaves);
    const Color foliage = Ramp({{0.50f, 0.12f, 0.05f}, {0.85f, 0.36f, 0.08f}, {0.98f, 0.70f, 0.20f}, {0.85f, 0.78f, 0.25f}},
                               Fbm(x * 25.0f, v * 25.0f, 3, 96));
    c = Mix(c, foliage * (0.75f + 0.35f * leaves), clumps);
    // Ground: a path of fallen leaves going into the mist.
    const float ground = 0.80f - 0.02f * Fbm(x * 5.0f, 0.0f, 3, 97);
    const float gd = Clamp01((v - ground) / (1.0f - ground));
    const Color litter = Ramp({{0.45f, 0.22f, 0.08f}, {0.78f, 0.40f, 0.12f}, {0.92f, 0.66f, 0.25f}},
                              Fbm(x * 20.0f / (gd + 0.2f), v * 60.0f / (gd + 0.2f), 3, 98));
    const float path = Smooth(0.08f + 0.25f * gd, 0.02f + 0.2f * gd, std::fabs(x - w.aspect * 0.5f - 0.05f * (1.0f - gd)));
    const Color floor = Mix(Mix(litter, {0.80f, 0.70f, 0.52f}, 0.45f * (1.0f - gd)), Color{0.62f, 0.50f, 0.36f}, path * 0.6f);
    return Mix(c, floor, Below(v, ground, w));
}

// Beach with a striped parasol.
Color Beach(const View& w, float x, float v) {
    const float a = w.aspect;
    Color c = Mix({0.28f, 0.58f, 0.92f}, {0.82f, 0.92f, 0.98f}, Clamp01(v / 0.45f));
    c = Mix(c, {1.0f, 1.0f, 1.0f}, Smooth(0.62f, 0.78f, Fbm(x * 2.5f, v * 7.0f, 4, 101)) * Smooth(0.40f, 0.15f, v));
    const float shore = 0.68f + 0.015f * std::sin(x * 7.0f) + 0.01f * Fbm(x * 12.0f, 0.0f, 3, 102);
    if (v > 0.45f) {
        const Color sea = Mix({0.04f, 0.30f, 0.52f}, {0.18f, 0.72f, 0.70f}, Clamp01((v - 0.45f) / (shore - 0.45f)));
        const float caps = Smooth(0.8f, 0.9f, Noise(x * 30.0f, v * 120.0f, 103));
        c = Mix(c, Mix(sea, {0.95f, 0.97f, 1.0f}, caps * 0.6f), Below(v, 0.45f, w));
    }
    const float grain = Fbm(x * 120.0f, v * 120.0f, 2, 104);
    const Color wet = Color{0.72f, 0.62f, 0.45f} * (0.95f + 0.1f * grain);
    const Color dry = Color{0.95f, 0.85f, 0.64f} * (0.93f + 0.12f * grain);
    const Color sand = Mix(wet, dry, Smooth(shore + 0.02f, shore + 0.07f, v));
    c = Mix(c, sand, Below(v, shore, w));
    const float foam = Smooth(0.008f, 0.002f, std::fabs(v - shore - 0.004f)) * (0.7f + 0.3f * Noise(x * 60.0f, 0.0f, 105));
    c = Mix(c, {0.97f, 0.98f, 1.0f}, foam);
    // Parasol: shadow, pole, striped canopy.
    const float px = 0.30f * a, top = 0.60f;
    const float shadow = Smooth(1.0f, 0.8f, std::hypot((x - px - 0.04f) / 0.13f, (v - 0.87f) / 0.025f));
    c = Mix(c, c * 0.6f, shadow * Below(v, shore, w));
    c = Mix(c, {0.45f, 0.32f, 0.22f}, Smooth(0.0045f, 0.003f, std::fabs(x - px)) * Below(v, top, w) * Below(0.875f, v, w));
    const float dx = x - px, dy = v - top;
    const float rr = std::hypot(dx, dy * 1.8f);
    if (dy < 0.0f) {
        const float angle = std::atan2(-dy * 1.8f, dx);
        const bool red = static_cast<int>(std::floor(angle / (kPi / 8.0f))) % 2 == 0;
        const Color cloth = red ? Color{0.86f, 0.12f, 0.14f} : Color{0.97f, 0.96f, 0.92f};
        c = Mix(c, cloth * (0.85f + 0.15f * (-dy / 0.1f)), Smooth(0.14f + w.px, 0.14f - w.px, rr) * Below(-dy, 0.0f, w));
    }
    return c;
}

// Flower meadow under cumulus clouds.
Color Meadow(const View& w, float x, float v) {
    constexpr float h = 0.52f;
    Color c = Mix({0.22f, 0.48f, 0.90f}, {0.72f, 0.85f, 0.97f}, Clamp01(v / h));
    const float cl = Fbm(x * 2.0f, v * 4.0f, 5, 111);
    const float puff = Smooth(0.48f, 0.64f, cl) * Smooth(0.45f, 0.2f, v);
    c = Mix(c, Mix({1.0f, 1.0f, 1.0f}, {0.72f, 0.76f, 0.84f}, Smooth(0.0f, 0.4f, v) * Smooth(0.65f, 0.85f, cl)), puff);
    auto treeLine = [](float px) { return 0.50f - 0.05f * Fbm(px * 8.0f, 1.0f, 4, 112); };
    c = Mix(c, Mix({0.10f, 0.26f, 0.12f}, {0.20f, 0.38f, 0.16f}, Fbm(x * 40.0f, v * 40.0f, 2, 113)),
            Below(v, treeLine(x), w));
    if (v < h)
        return c;
    const float d = v - h;
    Color grass = Mix({0.42f, 0.64f, 0.20f}, {0.20f, 0.42f, 0.10f}, Clamp01(d * 2.0f));
    grass = grass * (0.8f + 0.35f * Mixf(Fbm(x * 30.0f / (d + 0.05f), v * 400.0f, 2, 114), 0.5f, Smooth(0.15f, 0.0f, d)));
    c = Mix(c, grass, Below(v, h, w));
    // Flowers on a grid of the ground plane seen in perspective: depth z = 1 / d.
    const float z = 1.0f / std::max(d, 1e-4f), gx = (x - w.aspect / 2.0f) * z;
    constexpr float cell = 0.4f, radius = 0.05f;
    const int32_t ix = static_cast<int32_t>(std::floor(gx / cell)), iz = static_cast<int32_t>(std::floor(z / cell));
    static const Color palette[] = {{0.92f, 0.15f, 0.12f}, {0.98f, 0.85f, 0.15f}, {0.97f, 0.97f, 0.95f},
                                    {0.62f, 0.30f, 0.80f}, {0.98f, 0.55f, 0.15f}};
    for (int32_t j = iz - 1; j <= iz + 1; ++j)
        for (int32_t i = ix - 1; i <= ix + 1; ++i) {
            if (Rnd(i, j, 115) > 0.6f)
                continue;
            const float fz = (static_cast<float>(j) + 0.2f + 0.6f * Rnd(i, j, 117)) * cell;
            if (fz <= 0.5f || fz > 60.0f)
                continue;
            const float fx = w.aspect / 2.0f + (static_cast<float>(i) + 0.2f + 0.6f * Rnd(i, j, 116)) * cell / fz;
            const float fv = h + 1.0f / fz - 0.6f * radius / fz; // the bloom stands above its root
            const float r = radius / fz;
            const float dd = std::hypot(x - fx, (v - fv) * 1.6f);
            const float soft = std::max(w.px, r * 0.15f);
            c = Mix(c, palette[Hash(i, j, 118) % 5], Smooth(r + soft, r - soft, dd));
            c = Mix(c, {0.95f, 0.75f, 0.10f}, Smooth(r * 0.35f + soft, r * 0.35f - soft, dd));
        }
    return c;
}

// Menu background: deep blue field crossed by soft ribbons of light and faint bokeh.
Color MenuBackground(const View& w, float x, float v) {
    const float a = w.aspect;
    Color c = Mix({0.03f, 0.08f, 0.22f}, {0.02f, 0.30f, 0.40f}, Clamp01(0.6f * v + 0.4f * x / a));
    for (int k = 0; k < 4; ++k) {
        const float fk = static_cast<float>(k);
        const float y = 0.55f + 0.08f * fk + 0.12f * std::sin(x * (2.0f + 0.4f * fk) + fk * 1.7f);
        c = c + Color{0.30f, 0.60f, 0.85f} * (0.22f * std::exp(-std::fabs(v - y) * (28.0f + 6.0f * fk)));
    }
    const float cell = 0.09f;
    const int32_t cx = static_cast<int32_t>(std::floor(x / cell)), cy = static_cast<int32_t>(std::floor(v / cell));
    if (Rnd(cx, cy, 121) < 0.3f) {
        const float r = cell * (0.12f + 0.25f * Rnd(cx, cy, 122));
        const float bx = (static_cast<float>(cx) + 0.5f + (Rnd(cx, cy, 123) - 0.5f) * 0.4f) * cell;
        const float by = (static_cast<float>(cy) + 0.5f + (Rnd(cx, cy, 124) - 0.5f) * 0.4f) * cell;
        c = c + Color{0.5f, 0.75f, 1.0f} * (0.08f * Disc(x, v, bx, by, r, w));
    }
    return c;
}

// TV background: charcoal with a soft vignette.
Color TvBackground(const View& w, float x, float v) {
    const float d = std::hypot((x / w.aspect - 0.5f) * 1.2f, v - 0.5f);
    Color c = Mix({0.24f, 0.26f, 0.30f}, {0.04f, 0.04f, 0.06f}, Smooth(0.1f, 0.75f, d));
    return c * (0.97f + 0.06f * Fbm(x * 60.0f, v * 60.0f, 2, 131));
}

// Default picture: a grey pictogram of a framed landscape.
Color DefaultPicture(const View& w, float x, float v) {
    const float a = w.aspect;
    const Color paper{0.88f, 0.88f, 0.89f}, ink{0.58f, 0.59f, 0.62f};
    Color c = paper;
    const float fx = std::fabs(x - a / 2.0f), fy = std::fabs(v - 0.5f);
    const float outer = std::max(fx - 0.30f, fy - 0.26f);
    const float inner = std::max(fx - 0.27f, fy - 0.23f);
    c = Mix(c, ink, Smooth(w.px, -w.px, outer) * Smooth(-w.px, w.px, inner));
    if (inner < 0.0f) {
        const float sun = Disc(x, v, a / 2.0f + 0.14f, 0.38f, 0.045f, w);
        const float mountain = Below(v, 0.70f - 0.28f * std::max(0.0f, 1.0f - std::fabs(x - a / 2.0f + 0.07f) / 0.2f), w);
        const float hill = Below(v, 0.72f - 0.12f * std::max(0.0f, 1.0f - std::fabs(x - a / 2.0f - 0.13f) / 0.14f), w);
        c = Mix(c, ink, std::max({sun, mountain, hill}));
    }
    return c;
}

// ---- the program folder -----------------------------------------------------------------------

struct Picture {
    const char* file;
    int width, height;
    DWORD format;
    Color (*shader)(const View&, float, float);
};

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gen_pictures <program folder>\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    const Picture pictures[] = {
        {"menu_pic/0.jpg", 640, 480, PIXFORMAT_JPG, Lake},
        {"menu_pic/1.jpg", 640, 480, PIXFORMAT_JPG, Sunset},
        {"samples/01.jpg", 800, 600, PIXFORMAT_JPG, Peaks},
        {"samples/02.jpg", 600, 800, PIXFORMAT_JPG, Night},
        {"samples/03.jpg", 800, 600, PIXFORMAT_JPG, Dunes},
        {"samples/04.jpg", 600, 800, PIXFORMAT_JPG, Forest},
        {"samples/05.png", 640, 480, PIXFORMAT_PNG, Beach},
        {"samples/06.jpg", 1024, 768, PIXFORMAT_JPG, Meadow},
        {"menu_pic/pal_menu_background.jpg", 720, 576, PIXFORMAT_JPG, MenuBackground},
        {"menu_pic/ntsc_menu_background.jpg", 720, 480, PIXFORMAT_JPG, MenuBackground},
        {"menu_pic/PAL_BG.png", 720, 576, PIXFORMAT_PNG, TvBackground},
        {"menu_pic/NTSC_BG.png", 720, 480, PIXFORMAT_PNG, TvBackground},
        {"res/defaultImage.bmp", 320, 240, PIXFORMAT_BMP, DefaultPicture},
    };
    bool ok = true;
    for (const Picture& p : pictures)
        ok = Save(Render(p.width, p.height, p.shader), root / p.file, p.format) && ok;
    return ok ? 0 : 1;
}
