#include "model/TransitionSweepSetting.h"

TransitionSweepSetting::TransitionSweepSetting(bool random) : TransitionSetting(KIND) {
    const auto values = random ? GetRandomParams() : GetDefaultParams();
    SetParams(values.first, values.second);
}

TransitionSweepSetting::TransitionSweepSetting(CXmlDoc& xml) : TransitionSetting(KIND) {
    const auto values = LoadTwo(xml, KEY, PARAM1_ELEM, PARAM2_ELEM);
    m_nParam1 = values.first;
    m_nParam2 = values.second;
}

TransitionSweepSetting::TransitionSweepSetting(const TransitionSetting& other) : TransitionSetting(KIND) {
    if (other.m_nKind == KIND) {
        m_nParam1 = other.m_nParam1;
        m_nParam2 = other.m_nParam2;
    } else {
        const auto values = GetRandomParams();
        SetParams(values.first, values.second);
    }
}

void TransitionSweepSetting::SetParams(int32_t direction, int32_t width) {
    m_nParam1 = direction;
    m_nParam2 = width;
}

std::pair<int32_t, int32_t> TransitionSweepSetting::GetRandomParams() {
    const int32_t direction = DrawChoice(1638, 5, 3);
    const int32_t width = DrawWidth();
    return {direction, width};
}

void TransitionSweepSetting::Save(CXmlDoc& xml) const {
    SaveTwo(xml, KEY, PARAM1_ELEM, PARAM2_ELEM);
}
