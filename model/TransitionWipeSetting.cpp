#include "model/TransitionWipeSetting.h"

std::pair<int32_t, bool> TransitionWipeSetting::GetRandomParams() {
    const int32_t direction = DrawChoice(1638, 5, 3);
    const bool push = DrawChoice(3276, 5, 1) != 0;
    return {direction, push};
}
