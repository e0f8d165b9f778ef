// A plain cross-fade from the last frame shown to the incoming slide, with the frame counts of
// the render context. It stands in for every transition kind that has no renderer of its own yet.
#pragma once

#include <cstdint>

struct RenderJob;

int32_t RenderCrossFadeTransition(RenderJob& job);
