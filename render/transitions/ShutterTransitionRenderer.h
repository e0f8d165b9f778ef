// The Shutter transition: two panels open from the left and right edges (direction 0) or from the top and bottom (1) towards the middle, their edges as soft as the width. Another direction leaves the old picture in front.
#pragma once

#include <cstdint>

struct RenderJob;

int32_t RenderShutterTransition(RenderJob& job);
