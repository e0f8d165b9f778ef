// Flip: 0 vertical, 1 horizontal.
#pragma once

#include "model/TransitionSetting.h"

class TransitionFlipSetting : public TransitionSetting {
public:
    static constexpr int32_t KIND = TRANSITION_FLIP;
    static constexpr const char* KEY = "TRANSITION_EFFECT_FLIP";
    static constexpr const char* PARAM_ELEM = "TRANSITION_EFFECT_FLIP_PARAM";

    // Default parameter, or a random one.
    explicit TransitionFlipSetting(bool random = false);
    // Reads the parameter from the current TRANSITION_EFFECT_SETTING element; throws false
    // when the parameter element is missing.
    explicit TransitionFlipSetting(CXmlDoc& xml);
    // The other's parameter when it is of this kind, else a random one.
    explicit TransitionFlipSetting(const TransitionSetting& other);
    TransitionFlipSetting(const TransitionFlipSetting&) = default;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t value) { m_nParam1 = value; }
    static int32_t GetDefaultParams() { return 0; }
    static int32_t GetRandomParams();

    void Save(CXmlDoc& xml) const override;
};
