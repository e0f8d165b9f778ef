#include "model/TransitionAccordionSetting.h"

TransitionAccordionSetting::TransitionAccordionSetting(bool random) : TransitionSetting(KIND) {
    m_nParam1 = random ? GetRandomParams() : GetDefaultParams();
}

TransitionAccordionSetting::TransitionAccordionSetting(CXmlDoc& xml) : TransitionSetting(KIND) {
    m_nParam1 = LoadOne(xml, PARAM_ELEM);
}

TransitionAccordionSetting::TransitionAccordionSetting(const TransitionSetting& other)
    : TransitionSetting(KIND) {
    m_nParam1 = other.m_nKind == KIND ? other.m_nParam1 : GetRandomParams();
}

int32_t TransitionAccordionSetting::GetRandomParams() {
    return DrawChoice(3276, 5, 1);
}

void TransitionAccordionSetting::Save(CXmlDoc& xml) const {
    SaveOne(xml, KEY, PARAM_ELEM);
}
