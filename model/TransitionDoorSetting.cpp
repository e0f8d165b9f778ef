#include "model/TransitionDoorSetting.h"

int32_t TransitionDoorSetting::GetRandomParams() {
    return DrawChoice(3276, 5, 1);
}
