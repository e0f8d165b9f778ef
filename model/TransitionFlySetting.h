// Fly: 0 fly in, 1 fly out.
#pragma once

#include "model/TransitionSetting.h"

class TransitionFlySetting : public TransitionSetting {
public:
    static constexpr int32_t KIND = TRANSITION_FLY;
    static constexpr const char* KEY = "TRANSITION_EFFECT_FLY";
    static constexpr const char* PARAM_ELEM = "TRANSITION_EFFECT_FLY_PARAM";

    // Default parameter, or a random one.
    explicit TransitionFlySetting(bool random = false);
    // Reads the parameter from the current TRANSITION_EFFECT_SETTING element; throws false
    // when the parameter element is missing.
    explicit TransitionFlySetting(CXmlDoc& xml);
    // The other's parameter when it is of this kind, else a random one.
    explicit TransitionFlySetting(const TransitionSetting& other);
    TransitionFlySetting(const TransitionFlySetting&) = default;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t value) { m_nParam1 = value; }
    static int32_t GetDefaultParams() { return 1; }
    static int32_t GetRandomParams();

    void Save(CXmlDoc& xml) const override;
};
