// The Door transition: the picture splits into two doors drawn as parallelograms. Opening (0), the
// old picture's halves swing away over the moving incoming slide; closing (1), the new picture's
// halves swing in over the old picture. Another value draws nothing new during the transition.
#pragma once

#include <cstdint>

struct RenderJob;

int32_t RenderDoorTransition(RenderJob& job);
