// Rotate in: 0 clockwise, 1 anticlockwise.
#pragma once

#include "model/TransitionSettingKind.h"

class TransitionRotateInSetting : public TransitionSettingKind<TransitionRotateInSetting> {
public:
    static constexpr int32_t KIND = TRANSITION_ROTATE_IN;
    static constexpr const char* KEY = "TRANSITION_EFFECT_ROTATE_IN";
    static constexpr const char* PARAM_ELEM = "TRANSITION_EFFECT_ROTATE_IN_PARAM";

    using TransitionSettingKind::TransitionSettingKind;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t value) { m_nParam1 = value; }
    static int32_t GetDefaultParams() { return 0; }
    static int32_t GetRandomParams();
};
