// Spin: 0 clockwise, 1 anticlockwise. Its parameter element bears the key's own name.
#pragma once

#include "model/TransitionSettingKind.h"

class TransitionSpinSetting : public TransitionSettingKind<TransitionSpinSetting> {
public:
    static constexpr int32_t KIND = TRANSITION_SPIN;
    static constexpr const char* KEY = "TRANSITION_EFFECT_SPIN";
    static constexpr const char* PARAM_ELEM = "TRANSITION_EFFECT_SPIN";

    using TransitionSettingKind::TransitionSettingKind;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t value) { m_nParam1 = value; }
    static int32_t GetDefaultParams() { return 0; }
    static int32_t GetRandomParams();
};
