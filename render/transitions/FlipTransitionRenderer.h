// The Flip transition: the old picture turns over like a card about the vertical (0) or the
// horizontal (1) centre line and the new picture comes round on its back; the background shows
// beside the card while it is narrow. Another axis value turns about the vertical line.
#pragma once

#include <cstdint>

struct RenderJob;

int32_t RenderFlipTransition(RenderJob& job);
