// The Alpha transition: the incoming slide fades in over the last frame shown (fade mode 0), or
// the last frame fades to white (1) or black (2) and the incoming slide comes out of that colour.
// Another fade mode draws nothing new during the transition frames.
#pragma once

#include <cstdint>

struct RenderJob;

int32_t RenderAlphaTransition(RenderJob& job);
