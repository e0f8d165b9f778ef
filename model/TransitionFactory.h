// Making, copying and reading transition objects, and the random choice of a single effect.
// Every function that returns an object hands its ownership to the caller.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "model/TransitionSetting.h"

class CXmlDoc;

// The starting transition of every new effect setting: an Alpha with a random parameter.
std::unique_ptr<TransitionSetting> CreateTransition();

// A kind (0..18) with its default or random parameters; null for any other id.
std::unique_ptr<TransitionSetting> MakeTransition(int32_t kind, bool random);

// A new object of the source's kind with its parameters. A Random source gives a random
// drawn kind (never Random) with random parameters; no source gives a new default transition.
std::unique_ptr<TransitionSetting> CloneTransition(const TransitionSetting* source);

// The key written as NAME for a kind (0..18); "" for any other id.
const char* GetTransitionKey(int32_t kind);
// The kind whose key equals NAME exactly; -1 when none does.
int32_t FindTransitionKind(const std::string& key);

// Builds the kind named by the current element's NAME from the document (the element must be
// current). Null for an unknown NAME; throws false when a parameter element is missing.
std::unique_ptr<TransitionSetting> ReadTransition(CXmlDoc& xml);

// Reads the next TRANSITION_EFFECT_SETTING element at the document's current level into the
// slot. The new object is built before the old one goes, so the slot always ends holding a
// transition: when the element is missing (FALSE) or a parameter element is missing (FALSE),
// or its NAME is unknown (TRUE, nothing usable to read), the old object stays; an empty slot
// then receives a new default transition.
bool LoadTransition(CXmlDoc& xml, std::unique_ptr<TransitionSetting>& slot);

// A random single-effect id from an effect level: 0 none (20), 1 a pan (0..7), 2 a pan or a
// zoom (0..17), 3 any animated effect (0..19). Any other level is returned as it is when it
// is a single-effect id, else none.
int32_t PickSingleEffect(int32_t level);
