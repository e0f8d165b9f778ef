// Alpha blend: 0 normal, 1 fade to white, 2 fade to black.
#pragma once

#include "model/TransitionSetting.h"

class TransitionAlphaSetting : public TransitionSetting {
public:
    static constexpr int32_t KIND = TRANSITION_ALPHA;
    static constexpr const char* KEY = "TRANSITION_EFFECT_ALPHA";
    static constexpr const char* PARAM_ELEM = "TRANSITION_EFFECT_ALPHA_PARAM";

    // Default parameter, or a random one.
    explicit TransitionAlphaSetting(bool random = false);
    // Reads the parameter from the current TRANSITION_EFFECT_SETTING element; throws false
    // when the parameter element is missing.
    explicit TransitionAlphaSetting(CXmlDoc& xml);
    // The other's parameter when it is of this kind, else a random one.
    explicit TransitionAlphaSetting(const TransitionSetting& other);
    TransitionAlphaSetting(const TransitionAlphaSetting&) = default;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t value) { m_nParam1 = value; }
    static int32_t GetDefaultParams() { return 0; }
    static int32_t GetRandomParams();

    void Save(CXmlDoc& xml) const override;
};
