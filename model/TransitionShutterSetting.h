// Shutter: direction 0 vertical, 1 horizontal; strip width 1..80.
#pragma once

#include <utility>

#include "model/TransitionSetting.h"

class TransitionShutterSetting : public TransitionSetting {
public:
    static constexpr int32_t KIND = TRANSITION_SHUTTER;
    static constexpr const char* KEY = "TRANSITION_EFFECT_SHUTTER";
    static constexpr const char* PARAM1_ELEM = "TRANSITION_EFFECT_SHUTTER_DIRECTION";
    static constexpr const char* PARAM2_ELEM = "TRANSITION_EFFECT_SHUTTER_PARAM_WIDTH";

    // Default parameters, or random ones.
    explicit TransitionShutterSetting(bool random = false);
    // Reads the parameters from the current TRANSITION_EFFECT_SETTING element; throws false
    // when a parameter element is missing.
    explicit TransitionShutterSetting(CXmlDoc& xml);
    // The other's parameters when it is of this kind, else random ones.
    explicit TransitionShutterSetting(const TransitionSetting& other);
    TransitionShutterSetting(const TransitionShutterSetting&) = default;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t direction, int32_t width);
    static std::pair<int32_t, int32_t> GetDefaultParams() { return {0, 40}; }
    // (direction, width), drawn in the kind's fixed order.
    static std::pair<int32_t, int32_t> GetRandomParams();

    void Save(CXmlDoc& xml) const override;
};
