// Wipe: direction 0 left to right, 1 right to left, 2 bottom to up, 3 up to bottom; push flag.
#pragma once

#include <utility>

#include "model/TransitionSettingKind.h"

class TransitionWipeSetting : public TransitionSettingKind<TransitionWipeSetting> {
public:
    static constexpr int32_t KIND = TRANSITION_WIPE;
    static constexpr const char* KEY = "TRANSITION_EFFECT_WIPE";
    static constexpr const char* PARAM1_ELEM = "TRANSITION_EFFECT_WIPE_DIRECTION";
    static constexpr const char* PARAM2_ELEM = "TRANSITION_EFFECT_WIPE_PARAM_PUSH";

    using TransitionSettingKind::TransitionSettingKind;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t direction, bool push) {
        m_nParam1 = direction;
        m_nParam2 = push ? 1 : 0;
    }
    static std::pair<int32_t, bool> GetDefaultParams() { return {0, true}; }
    // (direction, push), drawn in the kind's fixed order.
    static std::pair<int32_t, bool> GetRandomParams();
};
