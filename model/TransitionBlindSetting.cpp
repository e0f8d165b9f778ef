#include "model/TransitionBlindSetting.h"

std::pair<int32_t, int32_t> TransitionBlindSetting::GetRandomParams() {
    const int32_t direction = DrawChoice(3276, 5, 1);
    const int32_t windowNumber = DrawChoice(936, 5, 6) + 4;
    return {direction, windowNumber};
}
