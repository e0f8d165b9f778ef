#include "model/TransitionDiagonalSweepSetting.h"

std::pair<int32_t, int32_t> TransitionDiagonalSweepSetting::GetRandomParams() {
    const int32_t direction = DrawChoice(3276, 5, 1);
    const int32_t width = DrawWidth();
    return {direction, width};
}
