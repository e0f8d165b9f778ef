// The motion of one slide's picture while it is shown: pans, zooms towards a corner or the
// centre, zooms while turning, or a still. One animator serves a whole render; each slide sets it
// up anew, and every call draws one effect frame into the animator's own frame-sized bitmap.
#pragma once

#include <cstdint>
#include <memory>

#include "model/EffectNames.h"
#include "platform/gdiplus/Bitmap.h"
#include "platform/gdiplus/Color.h"
#include "platform/gdiplus/Graphics.h"

// Single-effect ids (model/EffectNames.h): 0..7 pans, 8..12 zooms in, 13..17 zooms out, 18 and 19
// zoom and turn, 20 none, 21 random (resolved before rendering).

// Ids come from project files: anything outside 0..20 (a random id that was never resolved
// included) is drawn as the still.
constexpr int32_t NormalizeEffectId(int32_t id) { return id >= 0 && id <= SINGLE_EFFECT_NONE ? id : SINGLE_EFFECT_NONE; }

class SingleEffectAnimator {
public:
    SingleEffectAnimator() = default;
    SingleEffectAnimator(const SingleEffectAnimator&) = delete;
    SingleEffectAnimator& operator=(const SingleEffectAnimator&) = delete;

    // Makes the frame-sized 24-bit effect bitmap with its graphics; the animator starts empty.
    void Create(int32_t frameWidth, int32_t frameHeight);

    // Replaces the source bitmap by the picture scaled to the pre-scaled picture size that
    // SetupSingleEffect chose; a missing picture or an empty size leaves no source, and the
    // effect frames then show the background only.
    void SetSourcePicture(Gdiplus::Bitmap* picture);

    Gdiplus::Bitmap* EffectBitmap() const { return m_pEffectBitmap.get(); }
    Gdiplus::Graphics* EffectGraphics() const { return m_pEffectGraphics.get(); }
    Gdiplus::Bitmap* SourceBitmap() const { return m_pSource.get(); }

    std::unique_ptr<Gdiplus::Bitmap> m_pSource;
    std::unique_ptr<Gdiplus::Bitmap> m_pEffectBitmap;
    std::unique_ptr<Gdiplus::Graphics> m_pEffectGraphics;
    int32_t m_nPictureX = 0;
    int32_t m_nPictureY = 0;
    int32_t m_nPictureWidth = 0;
    int32_t m_nPictureHeight = 0;
    int32_t m_nFrameWidth = 0;
    int32_t m_nFrameHeight = 0;
    float m_fDrawX = 0;
    float m_fDrawY = 0;
    float m_fDrawWidth = 0;
    float m_fDrawHeight = 0;
    float m_fStepX = 0;
    float m_fStepY = 0;
    float m_fAngleStep = 0;
};

// Fits the picture for the effect and sets the start rectangle and the per-frame steps of a
// slide of `frames` frames. A null or unloadable picture gives an empty fit (background only).
void SetupSingleEffect(int32_t effectId, SingleEffectAnimator& animator, int32_t frames,
                       const Gdiplus::Bitmap* picture);

// Advances the draw rectangle by one step and draws the effect frame; the turning effects turn
// to frameIndex x angle step.
void AnimateSingleEffect(SingleEffectAnimator& animator, uint32_t frameIndex, int32_t effectId,
                         const Gdiplus::Color& background);

// The same with every step taken k times, turned to k x angle step.
void AnimateSingleEffectSteps(SingleEffectAnimator& animator, int32_t k, int32_t effectId,
                              const Gdiplus::Color& background);
