// Twist: 0 left to right, 1 right to left.
#pragma once

#include "model/TransitionSetting.h"

class TransitionTwistSetting : public TransitionSetting {
public:
    static constexpr int32_t KIND = TRANSITION_TWIST;
    static constexpr const char* KEY = "TRANSITION_EFFECT_TWIST";
    static constexpr const char* PARAM_ELEM = "TRANSITION_EFFECT_TWIST_PARAM";

    // Default parameter, or a random one.
    explicit TransitionTwistSetting(bool random = false);
    // Reads the parameter from the current TRANSITION_EFFECT_SETTING element; throws false
    // when the parameter element is missing.
    explicit TransitionTwistSetting(CXmlDoc& xml);
    // The other's parameter when it is of this kind, else a random one.
    explicit TransitionTwistSetting(const TransitionSetting& other);
    TransitionTwistSetting(const TransitionTwistSetting&) = default;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t value) { m_nParam1 = value; }
    static int32_t GetDefaultParams() { return 0; }
    static int32_t GetRandomParams();

    void Save(CXmlDoc& xml) const override;
};
