#include "model/TransitionFlipSetting.h"

TransitionFlipSetting::TransitionFlipSetting(bool random) : TransitionSetting(KIND) {
    m_nParam1 = random ? GetRandomParams() : GetDefaultParams();
}

TransitionFlipSetting::TransitionFlipSetting(CXmlDoc& xml) : TransitionSetting(KIND) {
    m_nParam1 = LoadOne(xml, PARAM_ELEM);
}

TransitionFlipSetting::TransitionFlipSetting(const TransitionSetting& other) : TransitionSetting(KIND) {
    m_nParam1 = other.m_nKind == KIND ? other.m_nParam1 : GetRandomParams();
}

int32_t TransitionFlipSetting::GetRandomParams() {
    return DrawChoice(3276, 5, 1);
}

void TransitionFlipSetting::Save(CXmlDoc& xml) const {
    SaveOne(xml, KEY, PARAM_ELEM);
}
