#include "model/TransitionRotateInSetting.h"

TransitionRotateInSetting::TransitionRotateInSetting(bool random) : TransitionSetting(KIND) {
    m_nParam1 = random ? GetRandomParams() : GetDefaultParams();
}

TransitionRotateInSetting::TransitionRotateInSetting(CXmlDoc& xml) : TransitionSetting(KIND) {
    m_nParam1 = LoadOne(xml, PARAM_ELEM);
}

TransitionRotateInSetting::TransitionRotateInSetting(const TransitionSetting& other)
    : TransitionSetting(KIND) {
    m_nParam1 = other.m_nKind == KIND ? other.m_nParam1 : GetRandomParams();
}

int32_t TransitionRotateInSetting::GetRandomParams() {
    return DrawChoice(3276, 5, 1);
}

void TransitionRotateInSetting::Save(CXmlDoc& xml) const {
    SaveOne(xml, KEY, PARAM_ELEM);
}
