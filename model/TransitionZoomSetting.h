// Zoom: 0 zoom in, 1 zoom out.
#pragma once

#include "model/TransitionSetting.h"

class TransitionZoomSetting : public TransitionSetting {
public:
    static constexpr int32_t KIND = TRANSITION_ZOOM;
    static constexpr const char* KEY = "TRANSITION_EFFECT_ZOOM";
    static constexpr const char* PARAM_ELEM = "TRANSITION_EFFECT_ZOOM_PARAM";

    // Default parameter, or a random one.
    explicit TransitionZoomSetting(bool random = false);
    // Reads the parameter from the current TRANSITION_EFFECT_SETTING element; throws false
    // when the parameter element is missing.
    explicit TransitionZoomSetting(CXmlDoc& xml);
    // The other's parameter when it is of this kind, else a random one.
    explicit TransitionZoomSetting(const TransitionSetting& other);
    TransitionZoomSetting(const TransitionZoomSetting&) = default;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t value) { m_nParam1 = value; }
    static int32_t GetDefaultParams() { return 0; }
    static int32_t GetRandomParams();

    void Save(CXmlDoc& xml) const override;
};
