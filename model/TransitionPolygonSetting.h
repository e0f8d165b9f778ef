// Polygon: number of corners 3..9; direction 0 fly in, 1 fly out (drawn first).
#pragma once

#include <utility>

#include "model/TransitionSetting.h"

class TransitionPolygonSetting : public TransitionSetting {
public:
    static constexpr int32_t KIND = TRANSITION_POLYGON;
    static constexpr const char* KEY = "TRANSITION_EFFECT_POLYGON";
    static constexpr const char* PARAM1_ELEM = "TRANSITION_EFFECT_POLYGON_PARAM_NUMBER";
    static constexpr const char* PARAM2_ELEM = "TRANSITION_EFFECT_POLYGON_DIRECTION";

    // Default parameters, or random ones.
    explicit TransitionPolygonSetting(bool random = false);
    // Reads the parameters from the current TRANSITION_EFFECT_SETTING element; throws false
    // when a parameter element is missing.
    explicit TransitionPolygonSetting(CXmlDoc& xml);
    // The other's parameters when it is of this kind, else random ones.
    explicit TransitionPolygonSetting(const TransitionSetting& other);
    TransitionPolygonSetting(const TransitionPolygonSetting&) = default;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t number, int32_t direction);
    static std::pair<int32_t, int32_t> GetDefaultParams() { return {7, 0}; }
    // (number, direction), drawn in the kind's fixed order.
    static std::pair<int32_t, int32_t> GetRandomParams();

    void Save(CXmlDoc& xml) const override;
};
