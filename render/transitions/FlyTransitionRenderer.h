// The Fly transition. Fly in (0): the new picture grows from the frame centre into a page lying
// back and stands up to the full frame. Fly out (1): the old page lies back and shrinks to the
// horizontal centre line over the moving incoming slide. Another value flies in.
#pragma once

#include <cstdint>

struct RenderJob;

int32_t RenderFlyTransition(RenderJob& job);
