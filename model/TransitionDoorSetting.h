// Door: 0 open door, 1 close door.
#pragma once

#include "model/TransitionSettingKind.h"

class TransitionDoorSetting : public TransitionSettingKind<TransitionDoorSetting> {
public:
    static constexpr int32_t KIND = TRANSITION_DOOR;
    static constexpr const char* KEY = "TRANSITION_EFFECT_DOOR";
    static constexpr const char* PARAM_ELEM = "TRANSITION_EFFECT_DOOR_PARAM";

    using TransitionSettingKind::TransitionSettingKind;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t value) { m_nParam1 = value; }
    static int32_t GetDefaultParams() { return 0; }
    static int32_t GetRandomParams();
};
