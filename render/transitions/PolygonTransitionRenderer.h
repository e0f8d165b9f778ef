// The Polygon transition: a picture cut into overlapping half-disc pieces, one per direction
// around the centre. Fly in (0): the new picture's pieces arrive from half the frame diagonal
// away and cover the old picture; fly out (1): the old picture's pieces leave and uncover the
// moving incoming slide. 1..9 pieces; another direction draws nothing new.
#pragma once

#include <cstdint>

struct RenderJob;

int32_t RenderPolygonTransition(RenderJob& job);
