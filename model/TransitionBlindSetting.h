// Blinds: direction 0 left to right, 1 right to left; number of windows, 4..10 when drawn.
#pragma once

#include <utility>

#include "model/TransitionSettingKind.h"

class TransitionBlindSetting : public TransitionSettingKind<TransitionBlindSetting> {
public:
    static constexpr int32_t KIND = TRANSITION_BLINDS;
    static constexpr const char* KEY = "TRANSITION_EFFECT_BLIND";
    static constexpr const char* PARAM1_ELEM = "TRANSITION_EFFECT_BLIND_PARAM_DIRECTION";
    static constexpr const char* PARAM2_ELEM = "TRANSITION_EFFECT_BLIND_WINDOW_NUMBER";

    using TransitionSettingKind::TransitionSettingKind;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t direction, int32_t windowNumber) {
        m_nParam1 = direction;
        m_nParam2 = windowNumber;
    }
    static std::pair<int32_t, int32_t> GetDefaultParams() { return {0, 8}; }
    // (direction, windowNumber), drawn in the kind's fixed order.
    static std::pair<int32_t, int32_t> GetRandomParams();
};
