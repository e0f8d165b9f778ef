// The Twist transition: a twist line runs through the frame, left to right (0) or right to
// left (1), squeezing the columns near it to nothing on the line; the new picture lies behind
// it. Another value runs left to right.
#pragma once

#include <cstdint>

struct RenderJob;

int32_t RenderTwistTransition(RenderJob& job);
