// The Zoom transition: the old picture swells to five times its size while fading out over the incoming slide
// (mode 0), or the slide shrinks from five times its size to the frame while fading in (1). Another mode
// draws nothing new until the slide's effect frames.
#pragma once

#include <cstdint>

struct RenderJob;

int32_t RenderZoomTransition(RenderJob& job);
