// Accordion: 0 left to right, 1 right to left.
#pragma once

#include "model/TransitionSettingKind.h"

class TransitionAccordionSetting : public TransitionSettingKind<TransitionAccordionSetting> {
public:
    static constexpr int32_t KIND = TRANSITION_ACCORDION;
    static constexpr const char* KEY = "TRANSITION_EFFECT_ACCORDION";
    static constexpr const char* PARAM_ELEM = "TRANSITION_EFFECT_ACCORDION_PARAM";

    using TransitionSettingKind::TransitionSettingKind;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t value) { m_nParam1 = value; }
    static int32_t GetDefaultParams() { return 0; }
    static int32_t GetRandomParams();
};
