// Diagonal sweep: direction 0 left to right, 1 right to left; edge width 1..80.
#pragma once

#include <utility>

#include "model/TransitionSettingKind.h"

class TransitionDiagonalSweepSetting : public TransitionSettingKind<TransitionDiagonalSweepSetting> {
public:
    static constexpr int32_t KIND = TRANSITION_DIAGONAL_SWEEP;
    static constexpr const char* KEY = "TRANSITION_EFFECT_DIAGONAL_SWEEP";
    static constexpr const char* PARAM1_ELEM = "TRANSITION_EFFECT_DIAGONAL_SWEEP_DIRECTION";
    static constexpr const char* PARAM2_ELEM = "TRANSITION_EFFECT_DIAGONAL_SWEEP_PARAM_WIDTH";

    using TransitionSettingKind::TransitionSettingKind;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t direction, int32_t width) {
        m_nParam1 = direction;
        m_nParam2 = width;
    }
    static std::pair<int32_t, int32_t> GetDefaultParams() { return {0, 40}; }
    // (direction, width), drawn in the kind's fixed order.
    static std::pair<int32_t, int32_t> GetRandomParams();
};
