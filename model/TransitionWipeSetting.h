// Wipe: direction 0 left to right, 1 right to left, 2 bottom to up, 3 up to bottom; push flag.
#pragma once

#include <utility>

#include "model/TransitionSetting.h"

class TransitionWipeSetting : public TransitionSetting {
public:
    static constexpr int32_t KIND = TRANSITION_WIPE;
    static constexpr const char* KEY = "TRANSITION_EFFECT_WIPE";
    static constexpr const char* PARAM1_ELEM = "TRANSITION_EFFECT_WIPE_DIRECTION";
    static constexpr const char* PARAM2_ELEM = "TRANSITION_EFFECT_WIPE_PARAM_PUSH";

    // Default parameters, or random ones.
    explicit TransitionWipeSetting(bool random = false);
    // Reads the parameters from the current TRANSITION_EFFECT_SETTING element; throws false
    // when a parameter element is missing.
    explicit TransitionWipeSetting(CXmlDoc& xml);
    // The other's parameters when it is of this kind, else random ones.
    explicit TransitionWipeSetting(const TransitionSetting& other);
    TransitionWipeSetting(const TransitionWipeSetting&) = default;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t direction, bool push);
    static std::pair<int32_t, bool> GetDefaultParams() { return {0, true}; }
    // (direction, push), drawn in the kind's fixed order.
    static std::pair<int32_t, bool> GetRandomParams();

    void Save(CXmlDoc& xml) const override;
};
