#include "render/TransitionRenderers.h"

#include "model/TransitionSetting.h"
#include "render/AlphaTransitionRenderer.h"
#include "render/CrossFadeTransitionRenderer.h"
#include "render/RenderJob.h"
#include "render/transitions/CubeFlyTransitionRenderer.h"
#include "render/transitions/DoorTransitionRenderer.h"
#include "render/transitions/FlipTransitionRenderer.h"
#include "render/transitions/FlyTransitionRenderer.h"
#include "render/transitions/PolygonTransitionRenderer.h"
#include "render/transitions/RotateInTransitionRenderer.h"
#include "render/transitions/SpinTransitionRenderer.h"
#include "render/transitions/TwistTransitionRenderer.h"

namespace {

// Indexed by kind id: 0 Alpha, 1 Accordion, 2 Blinds, 3 Circle, 4 Clock, 5 Cube fly, 6 Diagonal
// sweep, 7 Door, 8 Flip, 9 Fly, 10 Polygon, 11 Rotate in, 12 Shutter, 13 Spin, 14 Sweep,
// 15 Twist, 16 Wipe, 17 Zoom.
constexpr TransitionRenderer kRenderers[TRANSITION_RENDERER_COUNT] = {
    RenderAlphaTransition,     // Alpha
    RenderCrossFadeTransition, // Accordion
    RenderCrossFadeTransition, // Blinds
    RenderCrossFadeTransition, // Circle
    RenderCrossFadeTransition, // Clock
    RenderCubeFlyTransition, // Cube fly
    RenderCrossFadeTransition, // Diagonal sweep
    RenderDoorTransition, // Door
    RenderFlipTransition, // Flip
    RenderFlyTransition, // Fly
    RenderPolygonTransition, // Polygon
    RenderRotateInTransition, // Rotate in
    RenderCrossFadeTransition, // Shutter
    RenderSpinTransition, // Spin
    RenderCrossFadeTransition, // Sweep
    RenderTwistTransition, // Twist
    RenderCrossFadeTransition, // Wipe
    RenderCrossFadeTransition, // Zoom
};

} // namespace

TransitionRenderer GetTransitionRenderer(int32_t kind) {
    if (kind < 0 || kind >= TRANSITION_RENDERER_COUNT) return nullptr;
    return kRenderers[kind];
}

bool HasOwnTransitionRenderer(int32_t kind) {
    const TransitionRenderer renderer = GetTransitionRenderer(kind);
    return renderer && renderer != RenderCrossFadeTransition;
}

int32_t RenderTransitionOfKind(RenderJob& job, int32_t kind) {
    const TransitionRenderer renderer = GetTransitionRenderer(kind);
    return renderer ? renderer(job) : 0;
}

int32_t GetRenderTransitionKind(const RenderJob& job) {
    const TransitionSetting* transition = GetRenderTransition(job);
    return transition ? transition->m_nKind : 0;
}
