#include "model/TransitionBlindSetting.h"

TransitionBlindSetting::TransitionBlindSetting(bool random) : TransitionSetting(KIND) {
    const auto values = random ? GetRandomParams() : GetDefaultParams();
    SetParams(values.first, values.second);
}

TransitionBlindSetting::TransitionBlindSetting(CXmlDoc& xml) : TransitionSetting(KIND) {
    const auto values = LoadTwo(xml, KEY, PARAM1_ELEM, PARAM2_ELEM);
    m_nParam1 = values.first;
    m_nParam2 = values.second;
}

TransitionBlindSetting::TransitionBlindSetting(const TransitionSetting& other) : TransitionSetting(KIND) {
    if (other.m_nKind == KIND) {
        m_nParam1 = other.m_nParam1;
        m_nParam2 = other.m_nParam2;
    } else {
        const auto values = GetRandomParams();
        SetParams(values.first, values.second);
    }
}

void TransitionBlindSetting::SetParams(int32_t direction, int32_t windowNumber) {
    m_nParam1 = direction;
    m_nParam2 = windowNumber;
}

std::pair<int32_t, int32_t> TransitionBlindSetting::GetRandomParams() {
    const int32_t direction = DrawChoice(3276, 5, 1);
    const int32_t windowNumber = DrawChoice(936, 5, 6) + 4;
    return {direction, windowNumber};
}

void TransitionBlindSetting::Save(CXmlDoc& xml) const {
    SaveTwo(xml, KEY, PARAM1_ELEM, PARAM2_ELEM);
}
