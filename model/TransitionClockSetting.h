// Clock: finger number 0 one, 1 two, 2 four fingers; smooth edge flag.
#pragma once

#include <utility>

#include "model/TransitionSetting.h"

class TransitionClockSetting : public TransitionSetting {
public:
    static constexpr int32_t KIND = TRANSITION_CLOCK;
    static constexpr const char* KEY = "TRANSITION_EFFECT_CLOCK";
    static constexpr const char* PARAM1_ELEM = "TRANSITION_EFFECT_CLOCK_FINGER_NUMBER";
    static constexpr const char* PARAM2_ELEM = "TRANSITION_EFFECT_CLOCK_PARAM_USE_SMOOTH";

    // Default parameters, or random ones.
    explicit TransitionClockSetting(bool random = false);
    // Reads the parameters from the current TRANSITION_EFFECT_SETTING element; throws false
    // when a parameter element is missing.
    explicit TransitionClockSetting(CXmlDoc& xml);
    // The other's parameters when it is of this kind, else random ones.
    explicit TransitionClockSetting(const TransitionSetting& other);
    TransitionClockSetting(const TransitionClockSetting&) = default;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t fingerNumber, bool smooth);
    static std::pair<int32_t, bool> GetDefaultParams() { return {2, true}; }
    // (fingerNumber, smooth), drawn in the kind's fixed order.
    static std::pair<int32_t, bool> GetRandomParams();

    void Save(CXmlDoc& xml) const override;
};
