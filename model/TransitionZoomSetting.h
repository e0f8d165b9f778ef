// Zoom: 0 zoom in, 1 zoom out.
#pragma once

#include "model/TransitionSettingKind.h"

class TransitionZoomSetting : public TransitionSettingKind<TransitionZoomSetting> {
public:
    static constexpr int32_t KIND = TRANSITION_ZOOM;
    static constexpr const char* KEY = "TRANSITION_EFFECT_ZOOM";
    static constexpr const char* PARAM_ELEM = "TRANSITION_EFFECT_ZOOM_PARAM";

    using TransitionSettingKind::TransitionSettingKind;

    // Stored as given; the renderers keep values in range.
    void SetParams(int32_t value) { m_nParam1 = value; }
    static int32_t GetDefaultParams() { return 0; }
    static int32_t GetRandomParams();
};
