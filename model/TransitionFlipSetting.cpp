#include "model/TransitionFlipSetting.h"

int32_t TransitionFlipSetting::GetRandomParams() {
    return DrawChoice(3276, 5, 1);
}
