// Checks of transition frames: a slide of a textured new picture comes in over a textured old
// one through the renderer table, in encode mode, and the luma planes handed to the encoder are
// compared pixel by pixel with those of the two pictures and of the background.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "render/FramePresenter.h"
#include "render/TransitionRenderers.h"
#include "tests/render/RenderTestUtil.h"

namespace rendertest {

using Plane = std::vector<uint8_t>;

// Old and new textures keep to separate luma ranges, both away from the black background, so a
// blend of two of them never matches one exactly.
inline Gdiplus::ARGB OldTexture(int32_t x, int32_t y) {
    return 0xFF000000u | static_cast<uint32_t>(40 + (x * 7 + y * 3) % 50) << 16 |
           static_cast<uint32_t>(40 + (x / 4 + y / 4) % 2 * 40) << 8 | 60u;
}
inline Gdiplus::ARGB NewTexture(int32_t x, int32_t y) {
    return 0xFF000000u | static_cast<uint32_t>(170 + (x * 3 + y * 5) % 60) << 16 |
           static_cast<uint32_t>(180 + (x / 8 + y / 8) % 2 * 40) << 8 | 200u;
}

// What a pixel of a frame shows: a value in the old texture's luma range, in the new one's, the
// background, or anything else (a blend). A picture moved or stretched stays in its range.
enum class Px { Old, New, Back, Mixed };

// Shares of a frame's pixels equal to the old picture, the new one and the background.
struct PixelShares {
    double old = 0, fresh = 0, background = 0;
};

class TransitionFrames {
public:
    TransitionFrames(int32_t w, int32_t h) : m_w(w), m_h(h) {
        WritePicture(m_dir.File("old.bmp"), w, h, OldTexture);
        WritePicture(m_dir.File("new.bmp"), w, h, NewTexture);
    }

    // Renders the new picture coming in by `kind` after the old one shown last, with T transition
    // frames of S; the caught frames are the slide's alone. Returns the renderer's result.
    int32_t Render(int32_t kind, int32_t param1, int32_t param2, int32_t T, int32_t S) {
        const std::string oldPath = m_dir.File("old.bmp"), newPath = m_dir.File("new.bmp");
        auto show = MakeSlideshow(m_dir, {{oldPath}, {newPath, 20, 1, 1, kind, param1, param2}});
        EncodeHarness h(m_w, m_h, show.get());
        newY = Present(h, newPath);
        oldY = Present(h, oldPath);
        background = static_cast<uint8_t>(LumaOf(0, 0, 0) + 0.5);
        FrameCatcher::frames.clear();
        h.job.m_nFrameIndex = 1;
        h.job.m_nTransitionFrames = T;
        h.job.m_nSlideFrames = S;
        const int32_t result = RenderTransitionOfKind(h.job, kind);
        const auto [oldLo, oldHi] = std::minmax_element(oldY.begin(), oldY.end());
        const auto [newLo, newHi] = std::minmax_element(newY.begin(), newY.end());
        m_oldRange = {*oldLo, *oldHi}, m_newRange = {*newLo, *newHi};
        return result;
    }

    int32_t Count() const { return static_cast<int32_t>(FrameCatcher::frames.size()); }
    const Plane& Frame(int32_t k) const { return FrameCatcher::frames.at(static_cast<size_t>(k)); }
    uint8_t At(int32_t k, int32_t x, int32_t y) const { return Frame(k)[Index(x, y)]; }
    size_t Index(int32_t x, int32_t y) const { return static_cast<size_t>(y) * static_cast<size_t>(m_w) + x; }

    Px Class(uint8_t v) const {
        if (v >= m_oldRange.first && v <= m_oldRange.second) return Px::Old;
        if (v >= m_newRange.first && v <= m_newRange.second) return Px::New;
        return v == background ? Px::Back : Px::Mixed;
    }
    Px ClassAt(int32_t k, int32_t x, int32_t y) const { return Class(At(k, x, y)); }
    PixelShares Shares(int32_t k) const {
        PixelShares s;
        for (const uint8_t v : Frame(k)) {
            const Px c = Class(v);
            s.old += c == Px::Old, s.fresh += c == Px::New, s.background += c == Px::Back;
        }
        const double n = static_cast<double>(Frame(k).size());
        s.old /= n, s.fresh /= n, s.background /= n;
        return s;
    }
    // Share of the frame's pixels within `tolerance` of the new picture's.
    double NewShare(int32_t k, int32_t tolerance = 0) const {
        const Plane& f = Frame(k);
        size_t same = 0;
        for (size_t i = 0; i < f.size(); ++i) same += std::abs(f[i] - newY[i]) <= tolerance;
        return static_cast<double>(same) / static_cast<double>(f.size());
    }
    bool IsOld(int32_t k, int32_t x, int32_t y) const { return At(k, x, y) == oldY[Index(x, y)]; }
    bool IsNew(int32_t k, int32_t x, int32_t y) const { return At(k, x, y) == newY[Index(x, y)]; }
    // The luma of the old picture over the new one with opacity a, at a pixel.
    double Mix(int32_t x, int32_t y, double a) const { return a * oldY[Index(x, y)] + (1 - a) * newY[Index(x, y)]; }

    Plane oldY, newY;
    uint8_t background = 16;

private:
    // The picture's luma as the encoder receives it; the frame keeps the picture afterwards.
    static Plane Present(EncodeHarness& h, const std::string& path) {
        Gdiplus::Bitmap picture(path);
        h.m_canvas.FrameGraphics()->DrawImage(&picture, 0, 0);
        FrameCatcher::frames.clear();
        EXPECT_EQ(PresentFrame(h.job), 0);
        return FrameCatcher::frames.empty() ? Plane() : FrameCatcher::frames.back();
    }

    TempDir m_dir;
    int32_t m_w, m_h;
    std::pair<uint8_t, uint8_t> m_oldRange{0, 0}, m_newRange{0, 0};
};

} // namespace rendertest
