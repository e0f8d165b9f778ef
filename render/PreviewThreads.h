// The two preview renders that run on a render thread: one transition between two pictures, and
// a whole slideshow. Each fills a render context of its own and calls the renderers; frames go
// to the job's preview surface at the job's frame rate. The renderers only read the job record.
#pragma once

#include <cstdint>

class CEvent;
struct SlideshowPreviewJob;
struct TransitionPreviewJob;

constexpr int32_t TRANSITION_PREVIEW_WIDTH = 224;
constexpr int32_t TRANSITION_PREVIEW_HEIGHT_4_3 = 168;
constexpr int32_t TRANSITION_PREVIEW_HEIGHT_16_9 = 126;

// 25 frames a second when the PAL flag is set, else 30; and the milliseconds between frames.
int32_t PreviewFramesPerSecond(int32_t pal);
uint32_t PreviewFrameInterval(int32_t pal);

// Height of a transition preview: 16:9 for aspect 1, 4:3 for anything else.
int32_t TransitionPreviewHeight(int32_t aspect);

// The first picture as a still, the transition into the second picture with its single effect,
// then the first picture again. The effect id must be resolved (not random). 0 when every frame
// was shown, 2 on a stop.
int32_t TransitionPreviewThread(TransitionPreviewJob& job, CEvent& stop);

// A one-second pause (cut short by a stop), the slideshow from the first slide's fade-in to its
// last slide, then its first picture as a still. 0 when every frame was shown, 2 on a stop.
int32_t SlideshowPreviewThread(SlideshowPreviewJob& job, CEvent& stop);
