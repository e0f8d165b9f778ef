#include "model/TransitionFlySetting.h"

int32_t TransitionFlySetting::GetRandomParams() {
    return DrawChoice(3276, 5, 1);
}
