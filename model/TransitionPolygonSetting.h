// Polygon: number of corners 3..9; direction 0 fly in, 1 fly out (drawn first).
#pragma once

#include <utility>

#include "model/TransitionSettingKind.h"

class TransitionPolygonSetting : public TransitionSettingKind<TransitionPolygonSetting> {
public:
    static constexpr int32_t KIND = TRANSITION_POLYGON;
    static constexpr const char* KEY = "TRANSITION_EFFECT_POLYGON";
    static constexpr const char* PARAM1_ELEM = "TRANSITION_EFFECT_POLYGON_PARAM_NUMBER";
    static constexpr const char* PARAM2_ELEM = "TRANSITION_EFFECT_POLYGON_DIRECTION";

    using TransitionSettingKind::TransitionSettingKind;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t number, int32_t direction) {
        m_nParam1 = number;
        m_nParam2 = direction;
    }
    static std::pair<int32_t, int32_t> GetDefaultParams() { return {7, 0}; }
    // (number, direction), drawn in the kind's fixed order.
    static std::pair<int32_t, int32_t> GetRandomParams();
};
