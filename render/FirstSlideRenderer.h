// The renderers of a render's first slide: the fade-in from white (or, in the transition
// preview, the first picture as a still) and the still that a slideshow preview ends on.
#pragma once

#include <cstdint>

#include "platform/gdiplus/GdiplusTypes.h"

struct RenderJob;

// Mode 0: draws the preview job's first picture, fitted, over the frame and shows it; 0.
// Modes 1 and 2: slide 0 fades in from white over the context's slide frames while its single
// effect runs through; 0, 2 on a stop, or the encoder's frame result.
int32_t ShowFirstSlide(RenderJob& job);

// Mode 1: shows the slideshow's first picture again as a still and returns 0; 1 in other modes.
int32_t ShowFirstSlideStill(RenderJob& job);

// Where a picture of pw x ph goes when fitted inside a frame of w x h, proportions kept and
// centred; an empty rectangle for an empty picture or frame.
Gdiplus::RectF FitPictureInside(int32_t pw, int32_t ph, int32_t w, int32_t h);
