#include "model/TransitionCubeFlySetting.h"

TransitionCubeFlySetting::TransitionCubeFlySetting(bool random) : TransitionSetting(KIND) {
    m_nParam1 = random ? GetRandomParams() : GetDefaultParams();
}

TransitionCubeFlySetting::TransitionCubeFlySetting(CXmlDoc& xml) : TransitionSetting(KIND) {
    m_nParam1 = LoadOne(xml, PARAM_ELEM);
}

TransitionCubeFlySetting::TransitionCubeFlySetting(const TransitionSetting& other) : TransitionSetting(KIND) {
    m_nParam1 = other.m_nKind == KIND ? other.m_nParam1 : GetRandomParams();
}

int32_t TransitionCubeFlySetting::GetRandomParams() {
    return DrawChoice(1638, 5, 3);
}

void TransitionCubeFlySetting::Save(CXmlDoc& xml) const {
    SaveOne(xml, KEY, PARAM_ELEM);
}
