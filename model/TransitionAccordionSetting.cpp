#include "model/TransitionAccordionSetting.h"

int32_t TransitionAccordionSetting::GetRandomParams() {
    return DrawChoice(3276, 5, 1);
}
