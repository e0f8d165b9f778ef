// Every frame of a slideshow through the renderers: the first slide fades in from white over one
// second (fps frames), then each further slide comes in by its own transition kind and runs its
// single effect, fps x (display + transition time) frames, until a renderer returns non-zero.
// The encoder driver and the slideshow preview share it; the context must be set up (canvas,
// mode, job record) before.
#pragma once

#include <cstdint>

class CSlideShow;
struct RenderJob;

// 0 when every frame was presented, 2 on a stop, otherwise the encoder's frame result.
int32_t RenderSlideshow(RenderJob& job, const CSlideShow* slideshow, int32_t fps);
