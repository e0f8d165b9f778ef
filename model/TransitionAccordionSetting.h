// Accordion: 0 left to right, 1 right to left.
#pragma once

#include "model/TransitionSetting.h"

class TransitionAccordionSetting : public TransitionSetting {
public:
    static constexpr int32_t KIND = TRANSITION_ACCORDION;
    static constexpr const char* KEY = "TRANSITION_EFFECT_ACCORDION";
    static constexpr const char* PARAM_ELEM = "TRANSITION_EFFECT_ACCORDION_PARAM";

    // Default parameter, or a random one.
    explicit TransitionAccordionSetting(bool random = false);
    // Reads the parameter from the current TRANSITION_EFFECT_SETTING element; throws false
    // when the parameter element is missing.
    explicit TransitionAccordionSetting(CXmlDoc& xml);
    // The other's parameter when it is of this kind, else a random one.
    explicit TransitionAccordionSetting(const TransitionSetting& other);
    TransitionAccordionSetting(const TransitionAccordionSetting&) = default;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t value) { m_nParam1 = value; }
    static int32_t GetDefaultParams() { return 0; }
    static int32_t GetRandomParams();

    void Save(CXmlDoc& xml) const override;
};
