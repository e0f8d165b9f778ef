// The soft edge shared by Circle, Shutter, Sweep, Diagonal sweep and Clock: the old picture lies
// over the incoming slide, and a pixel's opacity falls by a decay factor f at every sub-step
// from the one at which the kind's growing shape first covered it. Rather than multiplying an
// 8-bit alpha again and again (which sticks at a residue), each pixel keeps that first sub-step
// e, and after n sub-steps its opacity is exactly f to the power (n - e + 1), looked up in a
// table made once; the frame is then one pass over rows of pixels.
//
// A kind describes its shape by a reach per pixel and a threshold per sub-step: the pixel is
// inside the shape of sub-step j when its reach is at most threshold j. The thresholds come from
// the kind's single-precision positions advanced step by step.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "render/TransitionPass.h"

class SoftEdgeMask {
public:
    // A threshold that takes in every pixel of finite reach; a reach no threshold takes in.
    static constexpr float kEverything = std::numeric_limits<float>::max();
    static constexpr float kNever = std::numeric_limits<float>::infinity();

    // The edge width read from a file: negative counts as a hard edge, and no width beyond the
    // larger frame side is needed.
    static double EdgeWidth(int32_t param, int32_t w, int32_t h);
    // Sub-steps per frame for an edge travel of t pixels per frame: the whole part of |t| plus
    // one above a pixel, else 1, never more than the frame diagonal.
    static int32_t SubSteps(double travelPerFrame, int32_t w, int32_t h);
    // Opacity kept per sub-step for a sub-step travel r and a fading band of `width` pixels:
    // 0.2 to the power (|r| / width); 0 (a hard edge) for a width of 0.
    static double Decay(float subStepTravel, double width);

    // The positions after sub-steps 1..frames x subSteps of an edge leaving 0 by `step` per
    // sub-step, added up in single precision.
    static std::vector<float> Travel(int32_t frames, int32_t subSteps, float step);

    explicit SoftEdgeMask(TransitionPass& pass);

    // Sets the shape: thresholds for sub-steps 1..n (taken as a running maximum, as the swept
    // area only grows), the reach of each pixel centre, the decay factor.
    template <class Reach> void Sweep(const std::vector<float>& thresholds, double decay, Reach reach) {
        m_thresholds = thresholds;
        for (size_t j = 1; j < m_thresholds.size(); ++j)
            if (m_thresholds[j] < m_thresholds[j - 1]) m_thresholds[j] = m_thresholds[j - 1];
        for (int32_t y = 0; y < m_height; ++y)
            for (int32_t x = 0; x < m_width; ++x)
                SetEntry(x, y, reach(static_cast<double>(x) + 0.5, static_cast<double>(y) + 0.5));
        IndexRows();
        MakeOpacityTable(decay);
    }

    // Runs the pass for `kind`, frame k showing the state after (k + 1) x subStepsPerFrame
    // sub-steps. Without a shape the old picture stays in front.
    int32_t Run(int32_t kind, int32_t subStepsPerFrame);

private:
    void SetEntry(int32_t x, int32_t y, double reach);
    void IndexRows();
    void MakeOpacityTable(double decay);
    void Compose(int64_t subSteps);

    TransitionPass& m_pass;
    int32_t m_width;
    int32_t m_height;
    std::vector<float> m_thresholds;
    size_t m_lastEntry = 0; // where the last pixel's search ended
    // Per pixel the first sub-step (1-based) whose shape covers it; kNeverEntered when none does.
    std::vector<int32_t> m_entry;
    std::vector<int32_t> m_rowFirst; // earliest entry of each row
    std::vector<int32_t> m_rowLast;  // latest entry of each row
    // Opacity (0..255) by slot: 255 for a pixel not entered yet, then for ages 0, 1, ... (the
    // sub-steps since its entry) as long as it is above 0, then 0 for every older one.
    std::vector<uint8_t> m_opacity;
};
