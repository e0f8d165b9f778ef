#include "model/TransitionClockSetting.h"

TransitionClockSetting::TransitionClockSetting(bool random) : TransitionSetting(KIND) {
    const auto values = random ? GetRandomParams() : GetDefaultParams();
    SetParams(values.first, values.second);
}

TransitionClockSetting::TransitionClockSetting(CXmlDoc& xml) : TransitionSetting(KIND) {
    const auto values = LoadTwo(xml, KEY, PARAM1_ELEM, PARAM2_ELEM);
    m_nParam1 = values.first;
    m_nParam2 = values.second != 0 ? 1 : 0;
}

TransitionClockSetting::TransitionClockSetting(const TransitionSetting& other) : TransitionSetting(KIND) {
    if (other.m_nKind == KIND) {
        m_nParam1 = other.m_nParam1;
        m_nParam2 = other.m_nParam2 != 0 ? 1 : 0;
    } else {
        const auto values = GetRandomParams();
        SetParams(values.first, values.second);
    }
}

void TransitionClockSetting::SetParams(int32_t fingerNumber, bool smooth) {
    m_nParam1 = fingerNumber;
    m_nParam2 = smooth ? 1 : 0;
}

std::pair<int32_t, bool> TransitionClockSetting::GetRandomParams() {
    const int32_t fingerNumber = DrawChoice(2184, 5, 2);
    const bool smooth = DrawChoice(3276, 5, 1) != 0;
    return {fingerNumber, smooth};
}

void TransitionClockSetting::Save(CXmlDoc& xml) const {
    SaveTwo(xml, KEY, PARAM1_ELEM, PARAM2_ELEM);
}
