// What the effects page and the transition-setting dialogs hand to a transition preview: two
// sample pictures, the single effect of the second and the transition between them.
#pragma once

#include <cstdint>
#include <string>

#include "platform/gdiplus/GdiplusTypes.h"

class CPreviewSurface;
class TransitionSetting;

struct TransitionPreviewJob {
    int32_t m_bPal = 0;                  // non-zero: 25 frames per second, else 30
    int32_t m_nAspect = 0;               // 0 = 4:3, 1 = 16:9
    std::string m_strFirstPicture;
    std::string m_strSecondPicture;
    int32_t m_nSingleEffectId = 20;      // 21 (random) is resolved by the preview and written back
    int32_t m_nSlideSeconds = 0;
    const TransitionSetting* m_pTransition = nullptr;
    int32_t m_nTransitionSeconds = 0;
    CPreviewSurface* m_pPreviewSurface = nullptr; // the preview area
    Gdiplus::ARGB m_Background = 0xFF000000;
};
