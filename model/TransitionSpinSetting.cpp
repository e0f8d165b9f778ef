#include "model/TransitionSpinSetting.h"

TransitionSpinSetting::TransitionSpinSetting(bool random) : TransitionSetting(KIND) {
    m_nParam1 = random ? GetRandomParams() : GetDefaultParams();
}

TransitionSpinSetting::TransitionSpinSetting(CXmlDoc& xml) : TransitionSetting(KIND) {
    m_nParam1 = LoadOne(xml, PARAM_ELEM);
}

TransitionSpinSetting::TransitionSpinSetting(const TransitionSetting& other) : TransitionSetting(KIND) {
    m_nParam1 = other.m_nKind == KIND ? other.m_nParam1 : GetRandomParams();
}

int32_t TransitionSpinSetting::GetRandomParams() {
    return DrawChoice(3276, 5, 1);
}

void TransitionSpinSetting::Save(CXmlDoc& xml) const {
    SaveOne(xml, KEY, PARAM_ELEM);
}
