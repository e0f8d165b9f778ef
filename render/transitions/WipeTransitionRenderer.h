// The Wipe transition: the incoming slide slides in from the left, the right, the bottom or the top
// (directions 0..3), pushing the old picture out when the push flag is set. A direction above 3 cuts to the
// slide at once; a negative one wipes as 0.
#pragma once

#include <cstdint>

struct RenderJob;

int32_t RenderWipeTransition(RenderJob& job);
