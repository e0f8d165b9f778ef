#include "model/TransitionCubeFlySetting.h"

int32_t TransitionCubeFlySetting::GetRandomParams() {
    return DrawChoice(1638, 5, 3);
}
