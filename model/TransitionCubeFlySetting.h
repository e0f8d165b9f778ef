// Cube fly: 0 bottom to up, 1 up to bottom, 2 left to right, 3 right to left.
#pragma once

#include "model/TransitionSettingKind.h"

class TransitionCubeFlySetting : public TransitionSettingKind<TransitionCubeFlySetting> {
public:
    static constexpr int32_t KIND = TRANSITION_CUBE_FLY;
    static constexpr const char* KEY = "TRANSITION_EFFECT_CUBE_FLY";
    static constexpr const char* PARAM_ELEM = "TRANSITION_EFFECT_CUBE_FLY_PARAM";

    using TransitionSettingKind::TransitionSettingKind;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t value) { m_nParam1 = value; }
    static int32_t GetDefaultParams() { return 0; }
    static int32_t GetRandomParams();
};
