// The Circle transition: the incoming slide shows through a circle that grows from the centre (direction 0) or through a ring that closes in on it (1), its edge as soft as the width. Another direction leaves the old picture in front.
#pragma once

#include <cstdint>

struct RenderJob;

int32_t RenderCircleTransition(RenderJob& job);
