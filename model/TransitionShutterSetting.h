// Shutter: direction 0 vertical, 1 horizontal; strip width 1..80.
#pragma once

#include <utility>

#include "model/TransitionSettingKind.h"

class TransitionShutterSetting : public TransitionSettingKind<TransitionShutterSetting> {
public:
    static constexpr int32_t KIND = TRANSITION_SHUTTER;
    static constexpr const char* KEY = "TRANSITION_EFFECT_SHUTTER";
    static constexpr const char* PARAM1_ELEM = "TRANSITION_EFFECT_SHUTTER_DIRECTION";
    static constexpr const char* PARAM2_ELEM = "TRANSITION_EFFECT_SHUTTER_PARAM_WIDTH";

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
