#include "model/TransitionZoomSetting.h"

int32_t TransitionZoomSetting::GetRandomParams() {
    return DrawChoice(3276, 5, 1);
}
