#include "model/TransitionTwistSetting.h"

TransitionTwistSetting::TransitionTwistSetting(bool random) : TransitionSetting(KIND) {
    m_nParam1 = random ? GetRandomParams() : GetDefaultParams();
}

TransitionTwistSetting::TransitionTwistSetting(CXmlDoc& xml) : TransitionSetting(KIND) {
    m_nParam1 = LoadOne(xml, PARAM_ELEM);
}

TransitionTwistSetting::TransitionTwistSetting(const TransitionSetting& other) : TransitionSetting(KIND) {
    m_nParam1 = other.m_nKind == KIND ? other.m_nParam1 : GetRandomParams();
}

int32_t TransitionTwistSetting::GetRandomParams() {
    return DrawChoice(3276, 5, 1);
}

void TransitionTwistSetting::Save(CXmlDoc& xml) const {
    SaveOne(xml, KEY, PARAM_ELEM);
}
