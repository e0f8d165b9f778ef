#include "model/TransitionSpinSetting.h"

int32_t TransitionSpinSetting::GetRandomParams() {
    return DrawChoice(3276, 5, 1);
}
