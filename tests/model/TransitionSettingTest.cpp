#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "model/TransitionFactory.h"
#include "model/TransitionPolygonSetting.h"
#include "model/TransitionRandomSetting.h"
#include "model/TransitionSpinSetting.h"
#include "model/XmlDoc.h"
#include "tests/model/XmlRootDoc.h"
#include "platform/win/Random.h"

namespace {

// Reads the first setting under the root of a text.
bool LoadFromRoot(const std::string& text, std::unique_ptr<TransitionSetting>& slot) {
    CXmlDoc doc;
    return EnterRoot(doc, text) && LoadTransition(doc, slot);
}

// A random parameter: Rand() / divisor / scale held to lo..hi, plus add.
struct Draw {
    int32_t divisor = 0, scale = 1, lo = 0, hi = 0, add = 0;
    int32_t Of(int r) const { return std::clamp(r / divisor / scale, lo, hi) + add; }
    std::set<int32_t> Range() const {
        std::set<int32_t> values;
        for (int32_t v = lo; v <= hi; ++v) values.insert(v + add);
        return values;
    }
};
const Draw kTwoWay{3276, 5, 0, 1}, kFourWay{1638, 5, 0, 3}, kWidth{81, 5, 1, 80};

struct KindRow {
    int32_t kind, default1, default2;
    // Parameter elements in the order they are written, after "TRANSITION_EFFECT_".
    std::vector<std::string> elems;
    Draw random1, random2; // no random2.divisor: one parameter
    bool random2First = false;
};

const KindRow kKinds[] = {
    {0, 0, 0, {"ALPHA_PARAM"}, {3640, 3, 0, 2}, {}},
    {1, 0, 0, {"ACCORDION_PARAM"}, kTwoWay, {}},
    {2, 0, 8, {"BLIND_PARAM", "BLIND_PARAM_DIRECTION", "BLIND_WINDOW_NUMBER"}, kTwoWay, {936, 5, 0, 6, 4}},
    {3, 0, 40, {"CIRCLE_PARAM", "CIRCLE_PARAM_DIRECTION", "CIRCLE_WIDTH"}, kTwoWay, kWidth},
    {4, 2, 1, {"CLOCK_PARAM", "CLOCK_FINGER_NUMBER", "CLOCK_PARAM_USE_SMOOTH"}, {2184, 5, 0, 2}, kTwoWay},
    {5, 0, 0, {"CUBE_FLY_PARAM"}, kFourWay, {}},
    {6, 0, 40, {"DIAGONAL_SWEEP_PARAM", "DIAGONAL_SWEEP_DIRECTION", "DIAGONAL_SWEEP_PARAM_WIDTH"},
     kTwoWay, kWidth},
    {7, 0, 0, {"DOOR_PARAM"}, kTwoWay, {}},
    {8, 0, 0, {"FLIP_PARAM"}, kTwoWay, {}},
    {9, 1, 0, {"FLY_PARAM"}, kTwoWay, {}},
    {10, 7, 0, {"POLYGON_PARAM", "POLYGON_PARAM_NUMBER", "POLYGON_DIRECTION"}, {936, 5, 0, 6, 3}, kTwoWay,
     true},
    {11, 0, 0, {"ROTATE_IN_PARAM"}, kTwoWay, {}},
    {12, 0, 40, {"SHUTTER_PARAM", "SHUTTER_DIRECTION", "SHUTTER_PARAM_WIDTH"}, kTwoWay, kWidth},
    {13, 0, 0, {"SPIN"}, kTwoWay, {}},
    {14, 0, 40, {"SWEEP_PARAM", "SWEEP_DIRECTION", "SWEEP_PARAM_WIDTH"}, kFourWay, kWidth},
    {15, 0, 0, {"TWIST_PARAM"}, kTwoWay, {}},
    {16, 0, 1, {"WIPE_PARAM", "WIPE_DIRECTION", "WIPE_PARAM_PUSH"}, kFourWay, kTwoWay},
    {17, 0, 0, {"ZOOM_PARAM"}, kTwoWay, {}},
};

} // namespace

TEST(TransitionSetting, EveryKindHasItsDefaultsAndWritesItsExactElements) {
    for (const KindRow& row : kKinds) {
        SCOPED_TRACE(row.kind);
        auto setting = MakeTransition(row.kind, false);
        ASSERT_TRUE(setting);
        EXPECT_EQ(setting->m_nKind, row.kind);
        EXPECT_EQ(setting->m_nParam1, row.default1);
        EXPECT_EQ(setting->m_nParam2, row.default2);

        const std::string text = SaveUnderRoot(*setting);
        const std::string head =
            std::string("<TRANSITION_EFFECT_SETTING NAME=\"") + GetTransitionKey(row.kind) + "\">\r\n";
        EXPECT_NE(text.find(head), std::string::npos) << text;
        size_t at = 0;
        for (const std::string& elem : row.elems) {
            const size_t found = text.find("<TRANSITION_EFFECT_" + elem + ">", at);
            ASSERT_NE(found, std::string::npos) << elem << " in " << text;
            at = found + 1;
        }
    }
    // Random is an empty element with its name.
    EXPECT_NE(SaveUnderRoot(TransitionRandomSetting(false))
                  .find("<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_RANDOM\"/>\r\n"),
              std::string::npos);
}

TEST(TransitionSetting, RandomDrawsFollowEachKindsFormulaOrderAndRangeAndRoundTrip) {
    // Rand() values one step past a range (32760.. for the divisor 3276) come up about once in
    // 4096 draws: enough rounds to see every clamp at work.
    constexpr int kRounds = 40000;
    for (const KindRow& row : kKinds) {
        SCOPED_TRACE(row.kind);
        const bool two = row.random2.divisor != 0;
        SRand(static_cast<uint32_t>(row.kind) + 1);
        std::vector<int> draws(static_cast<size_t>(two ? 2 * kRounds : kRounds));
        for (int& r : draws) r = Rand();
        SRand(static_cast<uint32_t>(row.kind) + 1);
        std::set<int32_t> seen1, seen2;
        for (size_t next = 0; next < draws.size();) {
            auto setting = MakeTransition(row.kind, true);
            const int first = draws[next++];
            const int second = two ? draws[next++] : 0;
            ASSERT_EQ(setting->m_nParam1, row.random1.Of(row.random2First ? second : first)) << next;
            const int32_t want2 = two ? row.random2.Of(row.random2First ? first : second) : 0;
            ASSERT_EQ(setting->m_nParam2, want2) << next;
            seen1.insert(setting->m_nParam1);
            seen2.insert(setting->m_nParam2);
            if (next > 40) continue;
            // Read back as written, also past the ranges: no range test anywhere on the way.
            if (next < 3) {
                setting->m_nParam1 = 999;
                if (row.random2.hi > 1) setting->m_nParam2 = -5;
            }
            std::unique_ptr<TransitionSetting> slot = MakeTransition(TRANSITION_ZOOM, false);
            ASSERT_TRUE(LoadFromRoot(SaveUnderRoot(*setting), slot) && slot);
            EXPECT_EQ(slot->m_nKind, row.kind);
            EXPECT_EQ(slot->m_nParam1, setting->m_nParam1);
            EXPECT_EQ(slot->m_nParam2, setting->m_nParam2);
        }
        EXPECT_EQ(seen1, row.random1.Range());
        if (two) {
            EXPECT_EQ(seen2, row.random2.Range());
        }
    }
}

TEST(TransitionSetting, BuiltFromAnotherKindDrawsLikeARandomOne) {
    TransitionSpinSetting spin(false);
    spin.SetParams(999);
    SRand(8);
    const TransitionPolygonSetting drawn(true);
    SRand(8);
    const TransitionPolygonSetting other(static_cast<const TransitionSetting&>(spin));
    EXPECT_EQ(other.m_nParam1, drawn.m_nParam1);
    EXPECT_EQ(other.m_nParam2, drawn.m_nParam2);
}

TEST(TransitionSetting, LoadingReplacesTheSlotOnlyWithWhatItRead) {
    // Parameters must come in their order; flags read as zero or one. Whatever fails or reads
    // nothing usable keeps the slot's object (kind -1 below).
    const std::string wipe = "<TRANSITION_EFFECT_WIPE_PARAM><TRANSITION_EFFECT_WIPE_DIRECTION> 3x"
                             "</TRANSITION_EFFECT_WIPE_DIRECTION><TRANSITION_EFFECT_WIPE_PARAM_PUSH>7"
                             "</TRANSITION_EFFECT_WIPE_PARAM_PUSH></TRANSITION_EFFECT_WIPE_PARAM>";
    const std::string swapped = "<TRANSITION_EFFECT_CIRCLE_PARAM><TRANSITION_EFFECT_CIRCLE_WIDTH>3"
                                "</TRANSITION_EFFECT_CIRCLE_WIDTH><TRANSITION_EFFECT_CIRCLE_PARAM_DIRECTION>1"
                                "</TRANSITION_EFFECT_CIRCLE_PARAM_DIRECTION></TRANSITION_EFFECT_CIRCLE_PARAM>";
    auto setting = [](const std::string& name, const std::string& params) {
        return "<TRANSITION_EFFECT_SETTING NAME=\"" + name + "\">" + params + "</TRANSITION_EFFECT_SETTING>";
    };
    const struct {
        std::string inner;
        bool loads;
        int32_t kind, param1, param2;
    } cases[] = {
        {setting("TRANSITION_EFFECT_WIPE", wipe), true, TRANSITION_WIPE, 3, 1},
        {setting("TRANSITION_EFFECT_RANDOM", ""), true, TRANSITION_RANDOM, 0, 0},
        {setting("TRANSITION_EFFECT_CIRCLE", swapped), false, -1, 0, 0},
        {setting("TRANSITION_EFFECT_DOOR", "<OTHER>1</OTHER>"), false, -1, 0, 0},
        {setting("nope", ""), true, -1, 0, 0},
        {"<X/>", false, -1, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.inner);
        std::unique_ptr<TransitionSetting> slot = std::make_unique<TransitionSpinSetting>(false);
        TransitionSetting* before = slot.get();
        EXPECT_EQ(LoadFromRoot("<ROOT>" + c.inner + "</ROOT>", slot), c.loads);
        if (c.kind < 0) {
            EXPECT_EQ(slot.get(), before);
            continue;
        }
        EXPECT_EQ(slot->m_nKind, c.kind);
        EXPECT_EQ(slot->m_nParam1, c.param1);
        EXPECT_EQ(slot->m_nParam2, c.param2);
    }
    // An empty slot always ends holding a transition.
    std::unique_ptr<TransitionSetting> empty;
    EXPECT_FALSE(LoadFromRoot("<ROOT><X/></ROOT>", empty));
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->m_nKind, TRANSITION_ALPHA);
}
