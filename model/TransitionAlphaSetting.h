// Alpha blend: 0 normal, 1 fade to white, 2 fade to black.
#pragma once

#include "model/TransitionSettingKind.h"

class TransitionAlphaSetting : public TransitionSettingKind<TransitionAlphaSetting> {
public:
    static constexpr int32_t KIND = TRANSITION_ALPHA;
    static constexpr const char* KEY = "TRANSITION_EFFECT_ALPHA";
    static constexpr const char* PARAM_ELEM = "TRANSITION_EFFECT_ALPHA_PARAM";

    using TransitionSettingKind::TransitionSettingKind;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t value) { m_nParam1 = value; }
    static int32_t GetDefaultParams() { return 0; }
    static int32_t GetRandomParams();
};
