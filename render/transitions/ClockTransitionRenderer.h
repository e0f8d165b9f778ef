// The Clock transition: one, two or four hands (finger number 0, 1, 2) turn clockwise from 12 o'clock and uncover the incoming slide; with the smooth flag their edges fade. A finger number above 2 leaves the old picture in front; a negative one turns one hand.
#pragma once

#include <cstdint>

struct RenderJob;

int32_t RenderClockTransition(RenderJob& job);
