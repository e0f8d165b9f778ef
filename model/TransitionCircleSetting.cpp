#include "model/TransitionCircleSetting.h"

std::pair<int32_t, int32_t> TransitionCircleSetting::GetRandomParams() {
    const int32_t direction = DrawChoice(3276, 5, 1);
    const int32_t width = DrawWidth();
    return {direction, width};
}
