// Display names of the transition kinds, the catalogue entries, the single effects and the
// effect levels. Plain constant tables: usable from any static initialiser.
#pragma once

#include <cstdint>

// Single-effect ids: 0..7 pans, 8..17 zooms, 18..19 zoom and rotate, 20 none, 21 random.
constexpr int32_t SINGLE_EFFECT_ANIMATED_COUNT = 20;
constexpr int32_t SINGLE_EFFECT_NONE = 20;
constexpr int32_t SINGLE_EFFECT_RANDOM = 21;
constexpr int32_t SINGLE_EFFECT_COUNT = 22;

// Effect levels: which set a random single effect is drawn from.
constexpr int32_t EFFECT_LEVEL_NONE = 0;
constexpr int32_t EFFECT_LEVEL_PAN = 1;
constexpr int32_t EFFECT_LEVEL_PAN_ZOOM = 2;
constexpr int32_t EFFECT_LEVEL_ALL = 3;
constexpr int32_t EFFECT_LEVEL_COUNT = 4;

// By kind id; 18 is "random" in lower case.
extern const char* const g_TransitionNames[19];
// By catalogue index: "Random" first, then the 18 kinds in kind order.
extern const char* const g_TransitionListNames[19];
// By single-effect id.
extern const char* const g_SingleEffectNames[SINGLE_EFFECT_COUNT];
// By effect level.
extern const char* const g_EffectLevelNames[EFFECT_LEVEL_COUNT];
