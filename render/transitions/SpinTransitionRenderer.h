// The Spin transition: the old picture turns and shrinks to a point at the frame centre, then the
// incoming slide turns on and grows back to the full frame, upright at the last transition frame.
// 0 turns clockwise, 1 anticlockwise, another value does not turn.
#pragma once

#include <cstdint>

struct RenderJob;

int32_t RenderSpinTransition(RenderJob& job);
