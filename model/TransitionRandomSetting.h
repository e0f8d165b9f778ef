// Random: stands for "any kind"; it has no parameters and no dialog. Cloning it picks a real
// kind (CloneTransition).
#pragma once

#include "model/TransitionSetting.h"

class TransitionRandomSetting : public TransitionSetting {
public:
    static constexpr int32_t KIND = TRANSITION_RANDOM;
    static constexpr const char* KEY = "TRANSITION_EFFECT_RANDOM";

    explicit TransitionRandomSetting(bool random = false);
    // Reads nothing: a saved Random is an empty setting element.
    explicit TransitionRandomSetting(CXmlDoc& xml);
    explicit TransitionRandomSetting(const TransitionSetting& other);
    TransitionRandomSetting(const TransitionRandomSetting&) = default;

    void Save(CXmlDoc& xml) const override;
};
