// Which renderer draws which transition kind, and how each kind brings the incoming slide in.
#pragma once

#include <cstdint>

#include "render/TransitionPass.h"

struct RenderJob;

using TransitionRenderer = int32_t (*)(RenderJob& job);

// Kinds the table covers: 0..TRANSITION_RENDERER_COUNT-1.
constexpr int32_t TRANSITION_RENDERER_COUNT = 18;

// The renderer of a kind; null for a kind outside the table.
TransitionRenderer GetTransitionRenderer(int32_t kind);

// How the renderer of `kind` brings the incoming slide in for the pass's parameters: live, or
// frozen at the end of the transition. Polygon, Door and Fly choose by a parameter; an unknown
// parameter value counts as the kind's first value, except Polygon's, which comes in live. Live for a kind outside the table.
TransitionPass::Incoming GetTransitionIncoming(int32_t kind, const TransitionPass& pass);

// Renders the slide set up in the context with the renderer of `kind`; a kind without a renderer
// renders no frame and returns 0.
int32_t RenderTransitionOfKind(RenderJob& job, int32_t kind);

// The kind of the context's slide (its transition object's; a slide without one fades as
// Alpha).
int32_t GetRenderTransitionKind(const RenderJob& job);
