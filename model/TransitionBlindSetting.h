// Blinds: direction 0 left to right, 1 right to left; number of windows, 4..10 when drawn.
#pragma once

#include <utility>

#include "model/TransitionSetting.h"

class TransitionBlindSetting : public TransitionSetting {
public:
    static constexpr int32_t KIND = TRANSITION_BLINDS;
    static constexpr const char* KEY = "TRANSITION_EFFECT_BLIND";
    static constexpr const char* PARAM1_ELEM = "TRANSITION_EFFECT_BLIND_PARAM_DIRECTION";
    static constexpr const char* PARAM2_ELEM = "TRANSITION_EFFECT_BLIND_WINDOW_NUMBER";

    // Default parameters, or random ones.
    explicit TransitionBlindSetting(bool random = false);
    // Reads the parameters from the current TRANSITION_EFFECT_SETTING element; throws false
    // when a parameter element is missing.
    explicit TransitionBlindSetting(CXmlDoc& xml);
    // The other's parameters when it is of this kind, else random ones.
    explicit TransitionBlindSetting(const TransitionSetting& other);
    TransitionBlindSetting(const TransitionBlindSetting&) = default;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t direction, int32_t windowNumber);
    static std::pair<int32_t, int32_t> GetDefaultParams() { return {0, 8}; }
    // (direction, windowNumber), drawn in the kind's fixed order.
    static std::pair<int32_t, int32_t> GetRandomParams();

    void Save(CXmlDoc& xml) const override;
};
