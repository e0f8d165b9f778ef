// The Accordion transition: six strips fold the old picture up against the far edge while the incoming slide
// unfolds from the near one, zig-zagging like bellows, the odd strips shaded (direction 0 from the left, 1
// from the right; another counts as 0).
#pragma once

#include <cstdint>

struct RenderJob;

int32_t RenderAccordionTransition(RenderJob& job);
