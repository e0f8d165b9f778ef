#include "model/TransitionClockSetting.h"

std::pair<int32_t, bool> TransitionClockSetting::GetRandomParams() {
    const int32_t fingerNumber = DrawChoice(2184, 5, 2);
    const bool smooth = DrawChoice(3276, 5, 1) != 0;
    return {fingerNumber, smooth};
}
