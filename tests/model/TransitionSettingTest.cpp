#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "model/TransitionAlphaSetting.h"
#include "model/TransitionBlindSetting.h"
#include "model/TransitionClockSetting.h"
#include "model/TransitionFactory.h"
#include "model/TransitionPolygonSetting.h"
#include "model/TransitionRandomSetting.h"
#include "model/TransitionSpinSetting.h"
#include "model/TransitionSweepSetting.h"
#include "model/TransitionWipeSetting.h"
#include "model/XmlDoc.h"
#include "tests/model/XmlRootDoc.h"
#include "platform/win/Random.h"

namespace {

// Reads the first setting under the root of a text.
bool LoadFromRoot(const std::string& text, std::unique_ptr<TransitionSetting>& slot) {
    CXmlDoc doc;
    return EnterRoot(doc, text) && LoadTransition(doc, slot);
}

struct KindDefaults {
    int32_t kind, param1, param2;
    // Parameter elements in the order they are written, after "TRANSITION_EFFECT_".
    std::vector<std::string> elems;
};

const KindDefaults kDefaults[] = {
    {0, 0, 0, {"ALPHA_PARAM"}},
    {1, 0, 0, {"ACCORDION_PARAM"}},
    {2, 0, 8, {"BLIND_PARAM", "BLIND_PARAM_DIRECTION", "BLIND_WINDOW_NUMBER"}},
    {3, 0, 40, {"CIRCLE_PARAM", "CIRCLE_PARAM_DIRECTION", "CIRCLE_WIDTH"}},
    {4, 2, 1, {"CLOCK_PARAM", "CLOCK_FINGER_NUMBER", "CLOCK_PARAM_USE_SMOOTH"}},
    {5, 0, 0, {"CUBE_FLY_PARAM"}},
    {6, 0, 40, {"DIAGONAL_SWEEP_PARAM", "DIAGONAL_SWEEP_DIRECTION", "DIAGONAL_SWEEP_PARAM_WIDTH"}},
    {7, 0, 0, {"DOOR_PARAM"}},
    {8, 0, 0, {"FLIP_PARAM"}},
    {9, 1, 0, {"FLY_PARAM"}},
    {10, 7, 0, {"POLYGON_PARAM", "POLYGON_PARAM_NUMBER", "POLYGON_DIRECTION"}},
    {11, 0, 0, {"ROTATE_IN_PARAM"}},
    {12, 0, 40, {"SHUTTER_PARAM", "SHUTTER_DIRECTION", "SHUTTER_PARAM_WIDTH"}},
    {13, 0, 0, {"SPIN"}},
    {14, 0, 40, {"SWEEP_PARAM", "SWEEP_DIRECTION", "SWEEP_PARAM_WIDTH"}},
    {15, 0, 0, {"TWIST_PARAM"}},
    {16, 0, 1, {"WIPE_PARAM", "WIPE_DIRECTION", "WIPE_PARAM_PUSH"}},
    {17, 0, 0, {"ZOOM_PARAM"}},
};

} // namespace

TEST(TransitionSetting, EveryKindHasItsDefaultsAndWritesItsExactElements) {
    for (const KindDefaults& row : kDefaults) {
        SCOPED_TRACE(row.kind);
        auto setting = MakeTransition(row.kind, false);
        ASSERT_TRUE(setting);
        EXPECT_EQ(setting->m_nKind, row.kind);
        EXPECT_EQ(setting->m_nParam1, row.param1);
        EXPECT_EQ(setting->m_nParam2, row.param2);

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
}

TEST(TransitionSetting, DefaultBlindsAndRandomAreWrittenLineByLine) {
    EXPECT_EQ(SaveUnderRoot(TransitionBlindSetting(false)),
              "<ROOT>\r\n"
              "<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_BLIND\">\r\n"
              "<TRANSITION_EFFECT_BLIND_PARAM>\r\n"
              "<TRANSITION_EFFECT_BLIND_PARAM_DIRECTION>0</TRANSITION_EFFECT_BLIND_PARAM_DIRECTION>\r\n"
              "<TRANSITION_EFFECT_BLIND_WINDOW_NUMBER>8</TRANSITION_EFFECT_BLIND_WINDOW_NUMBER>\r\n"
              "</TRANSITION_EFFECT_BLIND_PARAM>\r\n"
              "</TRANSITION_EFFECT_SETTING>\r\n"
              "</ROOT>\r\n");
    // Random is an empty element with its name.
    EXPECT_EQ(SaveUnderRoot(TransitionRandomSetting(false)),
              "<ROOT>\r\n<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_RANDOM\"/>\r\n</ROOT>\r\n");
}

TEST(TransitionSetting, EveryKindRoundTripsWithRandomAndOutOfRangeValues) {
    SRand(99);
    for (int32_t kind = 0; kind < TRANSITION_KIND_COUNT; ++kind) {
        SCOPED_TRACE(kind);
        for (int round = 0; round < 20; ++round) {
            auto setting = MakeTransition(kind, true);
            if (round == 0 && kind != TRANSITION_RANDOM) {
                setting->m_nParam1 = 999; // no range test anywhere on the way
                const bool numberPair = kind == TRANSITION_BLINDS || kind == TRANSITION_CIRCLE ||
                                        kind == TRANSITION_DIAGONAL_SWEEP || kind == TRANSITION_POLYGON ||
                                        kind == TRANSITION_SHUTTER || kind == TRANSITION_SWEEP;
                if (numberPair) setting->m_nParam2 = -5;
            }
            std::unique_ptr<TransitionSetting> slot = MakeTransition(TRANSITION_ZOOM, false);
            ASSERT_TRUE(LoadFromRoot(SaveUnderRoot(*setting), slot));
            ASSERT_TRUE(slot);
            EXPECT_EQ(slot->m_nKind, kind);
            EXPECT_EQ(slot->m_nParam1, setting->m_nParam1);
            EXPECT_EQ(slot->m_nParam2, setting->m_nParam2);
        }
    }
}

TEST(TransitionSetting, RandomDrawsStayInTheirRangesAndReachTheirEnds) {
    SRand(2024);
    std::set<int32_t> alpha, blinds, width, polygon, clock, sweep;
    for (int i = 0; i < 200000; ++i) {
        alpha.insert(TransitionAlphaSetting::GetRandomParams());
        blinds.insert(TransitionBlindSetting::GetRandomParams().second);
        width.insert(TransitionSweepSetting::GetRandomParams().second);
        polygon.insert(TransitionPolygonSetting::GetRandomParams().first);
        clock.insert(TransitionClockSetting::GetRandomParams().first);
        sweep.insert(TransitionSweepSetting::GetRandomParams().first);
    }
    EXPECT_EQ(alpha, (std::set<int32_t>{0, 1, 2}));
    EXPECT_EQ(*blinds.begin(), 4);
    EXPECT_EQ(*blinds.rbegin(), 10);
    EXPECT_EQ(*width.begin(), 1);
    EXPECT_EQ(*width.rbegin(), 80);
    EXPECT_EQ(width.size(), 80u);
    EXPECT_EQ(*polygon.begin(), 3);
    EXPECT_EQ(*polygon.rbegin(), 9);
    EXPECT_EQ(clock, (std::set<int32_t>{0, 1, 2}));
    EXPECT_EQ(sweep, (std::set<int32_t>{0, 1, 2, 3}));
}

TEST(TransitionSetting, TwoParameterDrawsComeInTheKindsOrder) {
    SRand(5);
    const int first = Rand(), second = Rand();
    SRand(5);
    const auto polygon = TransitionPolygonSetting::GetRandomParams();
    EXPECT_EQ(polygon.second, std::min(first / 3276 / 5, 1)); // direction first
    EXPECT_EQ(polygon.first, std::min(second / 936 / 5, 6) + 3);
    SRand(5);
    const auto blinds = TransitionBlindSetting::GetRandomParams();
    EXPECT_EQ(blinds.first, std::min(first / 3276 / 5, 1));
    EXPECT_EQ(blinds.second, std::min(second / 936 / 5, 6) + 4);
}

TEST(TransitionSetting, BuiltFromAnotherCopiesOnlyTheSameKind) {
    TransitionPolygonSetting polygon(false);
    polygon.SetParams(5, 1);
    TransitionPolygonSetting copy(static_cast<const TransitionSetting&>(polygon));
    EXPECT_EQ(copy.m_nParam1, 5);
    EXPECT_EQ(copy.m_nParam2, 1);

    TransitionSpinSetting spin(false);
    spin.SetParams(999);
    for (int i = 0; i < 50; ++i) {
        TransitionPolygonSetting other(static_cast<const TransitionSetting&>(spin));
        EXPECT_GE(other.m_nParam1, 3);
        EXPECT_LE(other.m_nParam1, 9);
    }
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
