#include "model/TransitionZoomSetting.h"

TransitionZoomSetting::TransitionZoomSetting(bool random) : TransitionSetting(KIND) {
    m_nParam1 = random ? GetRandomParams() : GetDefaultParams();
}

TransitionZoomSetting::TransitionZoomSetting(CXmlDoc& xml) : TransitionSetting(KIND) {
    m_nParam1 = LoadOne(xml, PARAM_ELEM);
}

TransitionZoomSetting::TransitionZoomSetting(const TransitionSetting& other) : TransitionSetting(KIND) {
    m_nParam1 = other.m_nKind == KIND ? other.m_nParam1 : GetRandomParams();
}

int32_t TransitionZoomSetting::GetRandomParams() {
    return DrawChoice(3276, 5, 1);
}

void TransitionZoomSetting::Save(CXmlDoc& xml) const {
    SaveOne(xml, KEY, PARAM_ELEM);
}
