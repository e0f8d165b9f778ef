#include "model/TransitionFactory.h"

#include <array>

#include "model/EffectNames.h"
#include "model/TransitionAccordionSetting.h"
#include "model/TransitionAlphaSetting.h"
#include "model/TransitionBlindSetting.h"
#include "model/TransitionCircleSetting.h"
#include "model/TransitionClockSetting.h"
#include "model/TransitionCubeFlySetting.h"
#include "model/TransitionDiagonalSweepSetting.h"
#include "model/TransitionDoorSetting.h"
#include "model/TransitionFlipSetting.h"
#include "model/TransitionFlySetting.h"
#include "model/TransitionPolygonSetting.h"
#include "model/TransitionRandomSetting.h"
#include "model/TransitionRotateInSetting.h"
#include "model/TransitionShutterSetting.h"
#include "model/TransitionSpinSetting.h"
#include "model/TransitionSweepSetting.h"
#include "model/TransitionTwistSetting.h"
#include "model/TransitionWipeSetting.h"
#include "model/TransitionZoomSetting.h"
#include "model/XmlDoc.h"
#include "platform/win/Random.h"

namespace {

// One row per kind, in kind order: its key and its three ways of being built.
struct KindRow {
    const char* key;
    std::unique_ptr<TransitionSetting> (*make)(bool random);
    std::unique_ptr<TransitionSetting> (*read)(CXmlDoc& xml);
    std::unique_ptr<TransitionSetting> (*copy)(const TransitionSetting& other);
};

template <class Kind> constexpr KindRow Row() {
    return {Kind::KEY,
            [](bool random) -> std::unique_ptr<TransitionSetting> { return std::make_unique<Kind>(random); },
            [](CXmlDoc& xml) -> std::unique_ptr<TransitionSetting> { return std::make_unique<Kind>(xml); },
            [](const TransitionSetting& other) -> std::unique_ptr<TransitionSetting> {
                return std::make_unique<Kind>(other);
            }};
}

const std::array<KindRow, TRANSITION_KIND_COUNT> kKinds = {
    Row<TransitionAlphaSetting>(),         Row<TransitionAccordionSetting>(),
    Row<TransitionBlindSetting>(),         Row<TransitionCircleSetting>(),
    Row<TransitionClockSetting>(),         Row<TransitionCubeFlySetting>(),
    Row<TransitionDiagonalSweepSetting>(), Row<TransitionDoorSetting>(),
    Row<TransitionFlipSetting>(),          Row<TransitionFlySetting>(),
    Row<TransitionPolygonSetting>(),       Row<TransitionRotateInSetting>(),
    Row<TransitionShutterSetting>(),       Row<TransitionSpinSetting>(),
    Row<TransitionSweepSetting>(),         Row<TransitionTwistSetting>(),
    Row<TransitionWipeSetting>(),          Row<TransitionZoomSetting>(),
    Row<TransitionRandomSetting>(),
};

std::unique_ptr<TransitionSetting> DefaultTransition() {
    return std::make_unique<TransitionAlphaSetting>(false);
}

} // namespace

std::unique_ptr<TransitionSetting> CreateTransition() {
    return std::make_unique<TransitionAlphaSetting>(true);
}

std::unique_ptr<TransitionSetting> MakeTransition(int32_t kind, bool random) {
    if (kind < 0 || kind >= TRANSITION_KIND_COUNT) return nullptr;
    return kKinds[static_cast<size_t>(kind)].make(random);
}

std::unique_ptr<TransitionSetting> CloneTransition(const TransitionSetting* source) {
    if (!source) return DefaultTransition();
    int32_t kind = source->m_nKind;
    if (kind == TRANSITION_RANDOM) {
        kind = Rand() / 1820;
        if (kind == TRANSITION_RANDOM) kind = TRANSITION_DRAWN_KINDS - 1;
    }
    if (kind < 0 || kind >= TRANSITION_DRAWN_KINDS) return nullptr;
    return kKinds[static_cast<size_t>(kind)].copy(*source);
}

const char* GetTransitionKey(int32_t kind) {
    if (kind < 0 || kind >= TRANSITION_KIND_COUNT) return "";
    return kKinds[static_cast<size_t>(kind)].key;
}

int32_t FindTransitionKind(const std::string& key) {
    for (size_t i = 0; i < kKinds.size(); ++i)
        if (key == kKinds[i].key) return static_cast<int32_t>(i);
    return -1;
}

std::unique_ptr<TransitionSetting> ReadTransition(CXmlDoc& xml) {
    const int32_t kind = FindTransitionKind(xml.GetAttrib("NAME"));
    if (kind < 0) return nullptr;
    return kKinds[static_cast<size_t>(kind)].read(xml);
}

bool LoadTransition(CXmlDoc& xml, std::unique_ptr<TransitionSetting>& slot) {
    bool found = xml.FindElem(TRANSITION_SETTING_ELEM);
    std::unique_ptr<TransitionSetting> loaded;
    if (found) {
        try {
            loaded = ReadTransition(xml);
        } catch (bool) {
            found = false;
        }
    }
    if (loaded)
        slot = std::move(loaded);
    else if (!slot)
        slot = DefaultTransition();
    return found;
}

int32_t PickSingleEffect(int32_t level) {
    switch (level) {
    case EFFECT_LEVEL_NONE:
        return SINGLE_EFFECT_NONE;
    case EFFECT_LEVEL_PAN: {
        const int32_t id = Rand() / 4095;
        return id == 8 ? 7 : id;
    }
    case EFFECT_LEVEL_PAN_ZOOM: {
        const int32_t id = Rand() / 1820;
        return id == 18 ? 17 : id;
    }
    case EFFECT_LEVEL_ALL: {
        const int32_t id = Rand() / 1638;
        return id == 20 ? 19 : id;
    }
    default:
        return level >= 0 && level < SINGLE_EFFECT_COUNT ? level : SINGLE_EFFECT_NONE;
    }
}
