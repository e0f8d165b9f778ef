// The Cube fly transition: the old and the new picture are two faces of a cube that turns
// about their moving common edge, bottom to top (0), top to bottom (1), left to right (2) or
// right to left (3); the cube draws back while it turns. Another value turns as 0.
#pragma once

#include <cstdint>

struct RenderJob;

int32_t RenderCubeFlyTransition(RenderJob& job);
