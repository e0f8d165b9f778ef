// What the make-video worker hands to EncodeSlideshow for one slideshow.
#pragma once

#include <cstdint>
#include <string>

#include "platform/gdiplus/GdiplusTypes.h"

class CEvent;
class CSlideShow;
struct EncodeProgress;

// Called after every encoded frame with the slideshow's position 0..65535 (it may run past the
// end when the model's frame count is the smaller one; the callback clamps) and the job's
// progress record (the make-video page's EncodeProgress).
using EncodeProgressCallback = void (*)(int32_t position, void* progress);

struct EncodeJob {
    int32_t m_bPal = 0;                  // not read: the frame rate comes from the output profile
    int32_t m_nAspect = 0;               // not read
    CSlideShow* m_pSlideshow = nullptr;
    EncodeProgressCallback m_pfnProgress = nullptr;
    CEvent* m_pStopEvent = nullptr;      // auto-reset; a set event stops the encode after its frame
    CEvent* m_pDoneEvent = nullptr;      // not read here
    uint8_t m_bFlag = 1;                 // not read here
    Gdiplus::ARGB m_Background = 0xFF000000;
    EncodeProgress* m_pProgress = nullptr;
    // Set by EncodeSlideshow when the slideshow failed (not when it was stopped): the failing
    // step and its reason, one line for the user (also in the log).
    std::string m_strFailure;
};
