// The Rotate in transition: the new picture turns in from edge-on about the vertical centre
// line over the old picture, its left edge (0) or right edge (1) at full height. Another value
// turns as 0.
#pragma once

#include <cstdint>

struct RenderJob;

int32_t RenderRotateInTransition(RenderJob& job);
