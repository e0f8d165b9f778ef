// The Blinds transition: the frame's strips (window number 1..10) one after another narrow to their centre
// lines on the old picture and widen again on the incoming slide, from the left (direction 0) or the right
// (1; another counts as 0).
#pragma once

#include <cstdint>

struct RenderJob;

int32_t RenderBlindsTransition(RenderJob& job);
