// Clock: finger number 0 one, 1 two, 2 four fingers; smooth edge flag.
#pragma once

#include <utility>

#include "model/TransitionSettingKind.h"

class TransitionClockSetting : public TransitionSettingKind<TransitionClockSetting> {
public:
    static constexpr int32_t KIND = TRANSITION_CLOCK;
    static constexpr const char* KEY = "TRANSITION_EFFECT_CLOCK";
    static constexpr const char* PARAM1_ELEM = "TRANSITION_EFFECT_CLOCK_FINGER_NUMBER";
    static constexpr const char* PARAM2_ELEM = "TRANSITION_EFFECT_CLOCK_PARAM_USE_SMOOTH";

    using TransitionSettingKind::TransitionSettingKind;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t fingerNumber, bool smooth) {
        m_nParam1 = fingerNumber;
        m_nParam2 = smooth ? 1 : 0;
    }
    static std::pair<int32_t, bool> GetDefaultParams() { return {2, true}; }
    // (fingerNumber, smooth), drawn in the kind's fixed order.
    static std::pair<int32_t, bool> GetRandomParams();
};
