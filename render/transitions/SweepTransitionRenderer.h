// The Sweep transition: a straight edge, as soft as the width, crosses the frame left to right, right to left, bottom to top or top to bottom (directions 0..3). A direction above 3 leaves the old picture in front; a negative one sweeps as 0.
#pragma once

#include <cstdint>

struct RenderJob;

int32_t RenderSweepTransition(RenderJob& job);
