// The effect of one slide: its transition (owned) and transition time, and its single effect
// with the level it is drawn from. Copying is not a plain copy: the copy draws its single effect
// anew from the level and clones the transition (a Random one resolves to a drawn kind), so
// every slide that receives the project's settings makes its own random picks.
#pragma once

#include <cstdint>
#include <memory>

#include "model/TransitionSetting.h"

class CXmlDoc;

class CEffectSetting {
public:
    // An Alpha transition with a random parameter, 2 s transition, no single effect, 3 s display.
    CEffectSetting();
    CEffectSetting(const CEffectSetting& other);
    CEffectSetting& operator=(const CEffectSetting& other);
    ~CEffectSetting() = default;

    // Drops the transition object.
    void Release() { m_pTransition.reset(); }

    // The project's defaults after the preferences change: level 3 or 0, a fresh single effect,
    // and a new Random transition or an Alpha with a random parameter.
    void ApplyRandomDefaults(bool randomEffect, bool randomTransition);

    // "DUVI_EFFECT" at the document's current level; afterwards that element is current.
    void Save(CXmlDoc& xml) const;
    // Reads the next "DUVI_EFFECT" at the current level. The first missing element gives FALSE
    // (values read before it stay). A single-effect id or level outside its table is not taken.
    bool Load(CXmlDoc& xml);

    std::unique_ptr<TransitionSetting> m_pTransition;
    int32_t m_nTransitionTime = 2;   // seconds
    int32_t m_nSingleEffectId = 20;  // 0..21, 20 none
    int32_t m_nSingleEffectTime = 3; // seconds of display
    int32_t m_nInitType = 0;         // effect level 0..3

private:
    void AssignFrom(const CEffectSetting& other);
};
