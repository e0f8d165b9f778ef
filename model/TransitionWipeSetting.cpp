#include "model/TransitionWipeSetting.h"

TransitionWipeSetting::TransitionWipeSetting(bool random) : TransitionSetting(KIND) {
    const auto values = random ? GetRandomParams() : GetDefaultParams();
    SetParams(values.first, values.second);
}

TransitionWipeSetting::TransitionWipeSetting(CXmlDoc& xml) : TransitionSetting(KIND) {
    const auto values = LoadTwo(xml, KEY, PARAM1_ELEM, PARAM2_ELEM);
    m_nParam1 = values.first;
    m_nParam2 = values.second != 0 ? 1 : 0;
}

TransitionWipeSetting::TransitionWipeSetting(const TransitionSetting& other) : TransitionSetting(KIND) {
    if (other.m_nKind == KIND) {
        m_nParam1 = other.m_nParam1;
        m_nParam2 = other.m_nParam2 != 0 ? 1 : 0;
    } else {
        const auto values = GetRandomParams();
        SetParams(values.first, values.second);
    }
}

void TransitionWipeSetting::SetParams(int32_t direction, bool push) {
    m_nParam1 = direction;
    m_nParam2 = push ? 1 : 0;
}

std::pair<int32_t, bool> TransitionWipeSetting::GetRandomParams() {
    const int32_t direction = DrawChoice(1638, 5, 3);
    const bool push = DrawChoice(3276, 5, 1) != 0;
    return {direction, push};
}

void TransitionWipeSetting::Save(CXmlDoc& xml) const {
    SaveTwo(xml, KEY, PARAM1_ELEM, PARAM2_ELEM);
}
