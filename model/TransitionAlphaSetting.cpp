#include "model/TransitionAlphaSetting.h"

int32_t TransitionAlphaSetting::GetRandomParams() {
    return DrawChoice(3640, 3, 2);
}
