// The Diagonal sweep transition: an edge parallel to a frame diagonal crosses from the top-left corner (direction 0) or the top-right one (1), its fading band three times the width. Another direction sweeps as 0.
#pragma once

#include <cstdint>

struct RenderJob;

int32_t RenderDiagonalSweepTransition(RenderJob& job);
