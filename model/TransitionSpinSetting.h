// Spin: 0 clockwise, 1 anticlockwise. Its parameter element bears the key's own name.
#pragma once

#include "model/TransitionSetting.h"

class TransitionSpinSetting : public TransitionSetting {
public:
    static constexpr int32_t KIND = TRANSITION_SPIN;
    static constexpr const char* KEY = "TRANSITION_EFFECT_SPIN";
    static constexpr const char* PARAM_ELEM = "TRANSITION_EFFECT_SPIN";

    // Default parameter, or a random one.
    explicit TransitionSpinSetting(bool random = false);
    // Reads the parameter from the current TRANSITION_EFFECT_SETTING element; throws false
    // when the parameter element is missing.
    explicit TransitionSpinSetting(CXmlDoc& xml);
    // The other's parameter when it is of this kind, else a random one.
    explicit TransitionSpinSetting(const TransitionSetting& other);
    TransitionSpinSetting(const TransitionSpinSetting&) = default;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t value) { m_nParam1 = value; }
    static int32_t GetDefaultParams() { return 0; }
    static int32_t GetRandomParams();

    void Save(CXmlDoc& xml) const override;
};
