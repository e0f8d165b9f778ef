// Cube fly: 0 bottom to up, 1 up to bottom, 2 left to right, 3 right to left.
#pragma once

#include "model/TransitionSetting.h"

class TransitionCubeFlySetting : public TransitionSetting {
public:
    static constexpr int32_t KIND = TRANSITION_CUBE_FLY;
    static constexpr const char* KEY = "TRANSITION_EFFECT_CUBE_FLY";
    static constexpr const char* PARAM_ELEM = "TRANSITION_EFFECT_CUBE_FLY_PARAM";

    // Default parameter, or a random one.
    explicit TransitionCubeFlySetting(bool random = false);
    // Reads the parameter from the current TRANSITION_EFFECT_SETTING element; throws false
    // when the parameter element is missing.
    explicit TransitionCubeFlySetting(CXmlDoc& xml);
    // The other's parameter when it is of this kind, else a random one.
    explicit TransitionCubeFlySetting(const TransitionSetting& other);
    TransitionCubeFlySetting(const TransitionCubeFlySetting&) = default;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t value) { m_nParam1 = value; }
    static int32_t GetDefaultParams() { return 0; }
    static int32_t GetRandomParams();

    void Save(CXmlDoc& xml) const override;
};
