// Fly: 0 fly in, 1 fly out.
#pragma once

#include "model/TransitionSettingKind.h"

class TransitionFlySetting : public TransitionSettingKind<TransitionFlySetting> {
public:
    static constexpr int32_t KIND = TRANSITION_FLY;
    static constexpr const char* KEY = "TRANSITION_EFFECT_FLY";
    static constexpr const char* PARAM_ELEM = "TRANSITION_EFFECT_FLY_PARAM";

    using TransitionSettingKind::TransitionSettingKind;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t value) { m_nParam1 = value; }
    static int32_t GetDefaultParams() { return 1; }
    static int32_t GetRandomParams();
};
