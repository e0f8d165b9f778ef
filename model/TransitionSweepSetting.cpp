#include "model/TransitionSweepSetting.h"

std::pair<int32_t, int32_t> TransitionSweepSetting::GetRandomParams() {
    const int32_t direction = DrawChoice(1638, 5, 3);
    const int32_t width = DrawWidth();
    return {direction, width};
}
