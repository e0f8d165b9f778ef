#include "model/TransitionDoorSetting.h"

TransitionDoorSetting::TransitionDoorSetting(bool random) : TransitionSetting(KIND) {
    m_nParam1 = random ? GetRandomParams() : GetDefaultParams();
}

TransitionDoorSetting::TransitionDoorSetting(CXmlDoc& xml) : TransitionSetting(KIND) {
    m_nParam1 = LoadOne(xml, PARAM_ELEM);
}

TransitionDoorSetting::TransitionDoorSetting(const TransitionSetting& other) : TransitionSetting(KIND) {
    m_nParam1 = other.m_nKind == KIND ? other.m_nParam1 : GetRandomParams();
}

int32_t TransitionDoorSetting::GetRandomParams() {
    return DrawChoice(3276, 5, 1);
}

void TransitionDoorSetting::Save(CXmlDoc& xml) const {
    SaveOne(xml, KEY, PARAM_ELEM);
}
