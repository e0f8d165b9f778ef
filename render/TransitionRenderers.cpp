#include "render/TransitionRenderers.h"

#include "model/TransitionSetting.h"
#include "render/AlphaTransitionRenderer.h"
#include "render/RenderJob.h"
#include "render/transitions/AccordionTransitionRenderer.h"
#include "render/transitions/BlindsTransitionRenderer.h"
#include "render/transitions/CircleTransitionRenderer.h"
#include "render/transitions/ClockTransitionRenderer.h"
#include "render/transitions/CubeFlyTransitionRenderer.h"
#include "render/transitions/DiagonalSweepTransitionRenderer.h"
#include "render/transitions/DoorTransitionRenderer.h"
#include "render/transitions/FlipTransitionRenderer.h"
#include "render/transitions/FlyTransitionRenderer.h"
#include "render/transitions/PolygonTransitionRenderer.h"
#include "render/transitions/RotateInTransitionRenderer.h"
#include "render/transitions/ShutterTransitionRenderer.h"
#include "render/transitions/SpinTransitionRenderer.h"
#include "render/transitions/SweepTransitionRenderer.h"
#include "render/transitions/TwistTransitionRenderer.h"
#include "render/transitions/WipeTransitionRenderer.h"
#include "render/transitions/ZoomTransitionRenderer.h"

namespace {

// Indexed by kind id: 0 Alpha, 1 Accordion, 2 Blinds, 3 Circle, 4 Clock, 5 Cube fly, 6 Diagonal
// sweep, 7 Door, 8 Flip, 9 Fly, 10 Polygon, 11 Rotate in, 12 Shutter, 13 Spin, 14 Sweep,
// 15 Twist, 16 Wipe, 17 Zoom.
constexpr TransitionRenderer kRenderers[TRANSITION_RENDERER_COUNT] = {
    RenderAlphaTransition,         // Alpha
    RenderAccordionTransition,     // Accordion
    RenderBlindsTransition,        // Blinds
    RenderCircleTransition,        // Circle
    RenderClockTransition,         // Clock
    RenderCubeFlyTransition,       // Cube fly
    RenderDiagonalSweepTransition, // Diagonal sweep
    RenderDoorTransition,          // Door
    RenderFlipTransition,          // Flip
    RenderFlyTransition,           // Fly
    RenderPolygonTransition,       // Polygon
    RenderRotateInTransition,      // Rotate in
    RenderShutterTransition,       // Shutter
    RenderSpinTransition,          // Spin
    RenderSweepTransition,         // Sweep
    RenderTwistTransition,         // Twist
    RenderWipeTransition,          // Wipe
    RenderZoomTransition,          // Zoom
};

// How each kind brings the incoming slide in, indexed by kind id like the renderers.
enum class IncomingRule : uint8_t {
    Live,
    Frozen,
    LiveForParam1Of1,   // frozen otherwise (Fly: fly in frozen, fly out live)
    FrozenForParam1Of1, // live otherwise (Door: open live, close frozen)
    FrozenForParam2Of0, // live otherwise (Polygon: fly in frozen, fly out or unknown live)
};

constexpr IncomingRule kIncoming[TRANSITION_RENDERER_COUNT] = {
    IncomingRule::Live,               // Alpha
    IncomingRule::Frozen,             // Accordion
    IncomingRule::Live,               // Blinds
    IncomingRule::Live,               // Circle
    IncomingRule::Live,               // Clock
    IncomingRule::Frozen,             // Cube fly
    IncomingRule::Live,               // Diagonal sweep
    IncomingRule::FrozenForParam1Of1, // Door
    IncomingRule::Frozen,             // Flip
    IncomingRule::LiveForParam1Of1,   // Fly
    IncomingRule::FrozenForParam2Of0, // Polygon
    IncomingRule::Frozen,             // Rotate in
    IncomingRule::Live,               // Shutter
    IncomingRule::Live,               // Spin
    IncomingRule::Live,               // Sweep
    IncomingRule::Frozen,             // Twist
    IncomingRule::Live,               // Wipe
    IncomingRule::Live,               // Zoom
};

} // namespace

TransitionPass::Incoming GetTransitionIncoming(int32_t kind, const TransitionPass& pass) {
    using Incoming = TransitionPass::Incoming;
    if (kind < 0 || kind >= TRANSITION_RENDERER_COUNT) return Incoming::Live;
    switch (kIncoming[kind]) {
    case IncomingRule::Live:
        return Incoming::Live;
    case IncomingRule::Frozen:
        return Incoming::Frozen;
    case IncomingRule::LiveForParam1Of1:
        return pass.Param1() == 1 ? Incoming::Live : Incoming::Frozen;
    case IncomingRule::FrozenForParam1Of1:
        return pass.Param1() == 1 ? Incoming::Frozen : Incoming::Live;
    case IncomingRule::FrozenForParam2Of0:
        return pass.Param2() == 0 ? Incoming::Frozen : Incoming::Live;
    }
    return Incoming::Live;
}

TransitionRenderer GetTransitionRenderer(int32_t kind) {
    if (kind < 0 || kind >= TRANSITION_RENDERER_COUNT) return nullptr;
    return kRenderers[kind];
}

int32_t RenderTransitionOfKind(RenderJob& job, int32_t kind) {
    const TransitionRenderer renderer = GetTransitionRenderer(kind);
    return renderer ? renderer(job) : 0;
}

int32_t GetRenderTransitionKind(const RenderJob& job) {
    const TransitionSetting* transition = GetRenderTransition(job);
    return transition ? transition->m_nKind : 0;
}
