#include "model/TransitionAlphaSetting.h"

TransitionAlphaSetting::TransitionAlphaSetting(bool random) : TransitionSetting(KIND) {
    m_nParam1 = random ? GetRandomParams() : GetDefaultParams();
}

TransitionAlphaSetting::TransitionAlphaSetting(CXmlDoc& xml) : TransitionSetting(KIND) {
    m_nParam1 = LoadOne(xml, PARAM_ELEM);
}

TransitionAlphaSetting::TransitionAlphaSetting(const TransitionSetting& other) : TransitionSetting(KIND) {
    m_nParam1 = other.m_nKind == KIND ? other.m_nParam1 : GetRandomParams();
}

int32_t TransitionAlphaSetting::GetRandomParams() {
    return DrawChoice(3640, 3, 2);
}

void TransitionAlphaSetting::Save(CXmlDoc& xml) const {
    SaveOne(xml, KEY, PARAM_ELEM);
}
