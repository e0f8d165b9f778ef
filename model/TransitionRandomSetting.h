// Random: stands for "any kind"; it has no parameters and no dialog. Cloning it picks a real
// kind (CloneTransition). Built in any way, it reads and draws nothing; saved, it is an empty
// setting element with its NAME.
#pragma once

#include "model/TransitionSettingKind.h"

class TransitionRandomSetting : public TransitionSettingKind<TransitionRandomSetting> {
public:
    static constexpr int32_t KIND = TRANSITION_RANDOM;
    static constexpr const char* KEY = "TRANSITION_EFFECT_RANDOM";

    using TransitionSettingKind::TransitionSettingKind;
};
