#include "model/TransitionPolygonSetting.h"

std::pair<int32_t, int32_t> TransitionPolygonSetting::GetRandomParams() {
    const int32_t direction = DrawChoice(3276, 5, 1);
    const int32_t number = DrawChoice(936, 5, 6) + 3;
    return {number, direction};
}
