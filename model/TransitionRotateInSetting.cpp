#include "model/TransitionRotateInSetting.h"

int32_t TransitionRotateInSetting::GetRandomParams() {
    return DrawChoice(3276, 5, 1);
}
