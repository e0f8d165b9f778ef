#include "model/TransitionPolygonSetting.h"

TransitionPolygonSetting::TransitionPolygonSetting(bool random) : TransitionSetting(KIND) {
    const auto values = random ? GetRandomParams() : GetDefaultParams();
    SetParams(values.first, values.second);
}

TransitionPolygonSetting::TransitionPolygonSetting(CXmlDoc& xml) : TransitionSetting(KIND) {
    const auto values = LoadTwo(xml, KEY, PARAM1_ELEM, PARAM2_ELEM);
    m_nParam1 = values.first;
    m_nParam2 = values.second;
}

TransitionPolygonSetting::TransitionPolygonSetting(const TransitionSetting& other) : TransitionSetting(KIND) {
    if (other.m_nKind == KIND) {
        m_nParam1 = other.m_nParam1;
        m_nParam2 = other.m_nParam2;
    } else {
        const auto values = GetRandomParams();
        SetParams(values.first, values.second);
    }
}

void TransitionPolygonSetting::SetParams(int32_t number, int32_t direction) {
    m_nParam1 = number;
    m_nParam2 = direction;
}

std::pair<int32_t, int32_t> TransitionPolygonSetting::GetRandomParams() {
    const int32_t direction = DrawChoice(3276, 5, 1);
    const int32_t number = DrawChoice(936, 5, 6) + 3;
    return {number, direction};
}

void TransitionPolygonSetting::Save(CXmlDoc& xml) const {
    SaveTwo(xml, KEY, PARAM1_ELEM, PARAM2_ELEM);
}
