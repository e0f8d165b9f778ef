// Door: 0 open door, 1 close door.
#pragma once

#include "model/TransitionSetting.h"

class TransitionDoorSetting : public TransitionSetting {
public:
    static constexpr int32_t KIND = TRANSITION_DOOR;
    static constexpr const char* KEY = "TRANSITION_EFFECT_DOOR";
    static constexpr const char* PARAM_ELEM = "TRANSITION_EFFECT_DOOR_PARAM";

    // Default parameter, or a random one.
    explicit TransitionDoorSetting(bool random = false);
    // Reads the parameter from the current TRANSITION_EFFECT_SETTING element; throws false
    // when the parameter element is missing.
    explicit TransitionDoorSetting(CXmlDoc& xml);
    // The other's parameter when it is of this kind, else a random one.
    explicit TransitionDoorSetting(const TransitionSetting& other);
    TransitionDoorSetting(const TransitionDoorSetting&) = default;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t value) { m_nParam1 = value; }
    static int32_t GetDefaultParams() { return 0; }
    static int32_t GetRandomParams();

    void Save(CXmlDoc& xml) const override;
};
