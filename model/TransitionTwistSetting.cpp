#include "model/TransitionTwistSetting.h"

int32_t TransitionTwistSetting::GetRandomParams() {
    return DrawChoice(3276, 5, 1);
}
