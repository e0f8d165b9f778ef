// Flip: 0 vertical, 1 horizontal.
#pragma once

#include "model/TransitionSettingKind.h"

class TransitionFlipSetting : public TransitionSettingKind<TransitionFlipSetting> {
public:
    static constexpr int32_t KIND = TRANSITION_FLIP;
    static constexpr const char* KEY = "TRANSITION_EFFECT_FLIP";
    static constexpr const char* PARAM_ELEM = "TRANSITION_EFFECT_FLIP_PARAM";

    using TransitionSettingKind::TransitionSettingKind;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t value) { m_nParam1 = value; }
    static int32_t GetDefaultParams() { return 0; }
    static int32_t GetRandomParams();
};
