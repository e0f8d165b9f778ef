#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>

#include "editor/AppDirectory.h"
#include "model/EffectNames.h"
#include "model/TransitionBlindSetting.h"
#include "model/TransitionFactory.h"
#include "model/TransitionSettingCatalog.h"
#include "model/XmlDoc.h"
#include "tests/model/XmlRootDoc.h"
#include "platform/win/Random.h"

namespace {
bool LoadCatalog(TransitionSettingCatalog& catalog, const std::string& text) {
    CXmlDoc doc;
    return EnterRoot(doc, text, "reference") && catalog.Load(doc);
}

std::string EffectSets(int children) {
    std::string text = "<reference><EFFECT_SETS>";
    for (int i = 0; i < children; ++i)
        text += "<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_RANDOM\"/>";
    return text + "</EFFECT_SETS></reference>";
}

int g_edits = 0;
void CountEdit(TransitionSetting& setting) {
    ++g_edits;
    setting.m_nParam1 = 42;
}
} // namespace

TEST(TransitionCatalog, FreshCatalogHoldsRandomThenEveryKindWithDefaultsAndCovers) {
    TransitionSettingCatalog catalog;
    ASSERT_EQ(catalog.GetCount(), 19);
    EXPECT_EQ(catalog.GetAt(0)->m_nKind, TRANSITION_RANDOM);
    for (int32_t i = 1; i < 19; ++i) {
        auto expected = MakeTransition(i - 1, false);
        EXPECT_EQ(catalog.GetAt(i)->m_nKind, i - 1);
        EXPECT_EQ(catalog.GetAt(i)->m_nParam1, expected->m_nParam1);
        EXPECT_EQ(catalog.GetAt(i)->m_nParam2, expected->m_nParam2);
    }
    EXPECT_EQ(catalog.GetCoverPath(0), GetAppDirectory() + "EffectCover/random.jpg");
    EXPECT_EQ(catalog.GetCoverPath(18), GetAppDirectory() + "EffectCover/zoom.jpg");
    // Out of range: nothing, never a stray element.
    for (int32_t outside : {19, -1}) {
        EXPECT_EQ(catalog.GetAt(outside), nullptr);
        EXPECT_EQ(catalog.GetCoverPath(outside), "");
    }
}

TEST(TransitionCatalog, EditAtGoesThroughTheRegisteredHandlerAndChecksItsBounds) {
    TransitionSetting::EditHandler saved = TransitionSetting::GetEditHandler(TRANSITION_BLINDS);
    TransitionSetting::SetEditHandler(TRANSITION_BLINDS, &CountEdit);
    TransitionSettingCatalog catalog;
    g_edits = 0;
    catalog.EditAt(3);
    catalog.EditAt(19);
    catalog.EditAt(-4);
    catalog.EditAt(0); // Random has no dialog
    EXPECT_EQ(g_edits, 1);
    EXPECT_EQ(catalog.GetAt(3)->m_nParam1, 42);
    TransitionSetting::SetEditHandler(TRANSITION_BLINDS, saved);
}

TEST(TransitionCatalog, IncompleteOrUnknownSetsFallBackToTheDefaults) {
    const std::string badParam =
        "<reference><EFFECT_SETS><TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_FLY\">"
        "</TRANSITION_EFFECT_SETTING></EFFECT_SETS></reference>";
    std::string unknown = EffectSets(18);
    unknown.insert(unknown.find("</EFFECT_SETS>"),
                   "<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_NOPE\"/>");
    for (const std::string& text : {EffectSets(18), EffectSets(20), unknown, badParam,
                                    std::string("<reference><OTHER/></reference>")}) {
        TransitionSettingCatalog catalog;
        catalog.GetAt(2)->m_nParam1 = 1;
        EXPECT_FALSE(LoadCatalog(catalog, text)) << text;
        ASSERT_EQ(catalog.GetCount(), 19);
        EXPECT_EQ(catalog.GetAt(0)->m_nKind, TRANSITION_RANDOM);
        EXPECT_EQ(catalog.GetAt(10)->m_nKind, TRANSITION_FLY);
        EXPECT_EQ(catalog.GetAt(2)->m_nParam1, 0);
    }
}

TEST(TransitionFactory, CloneResolvesRandomAndCopiesEveryOtherKind) {
    SRand(17);
    TransitionSettingCatalog catalog;
    std::set<int32_t> kinds;
    for (int i = 0; i < 5000; ++i) {
        auto clone = CloneTransition(catalog.GetAt(0));
        ASSERT_TRUE(clone);
        ASSERT_GE(clone->m_nKind, 0);
        ASSERT_LT(clone->m_nKind, TRANSITION_RANDOM);
        kinds.insert(clone->m_nKind);
    }
    EXPECT_EQ(kinds.size(), 18u);

    TransitionBlindSetting blinds(false);
    blinds.SetParams(1, 6);
    auto copy = CloneTransition(&blinds);
    ASSERT_TRUE(copy && copy.get() != &blinds);
    EXPECT_EQ(copy->m_nKind, TRANSITION_BLINDS);
    EXPECT_EQ(copy->m_nParam1, 1);
    EXPECT_EQ(copy->m_nParam2, 6);

    auto fromNothing = CloneTransition(nullptr);
    ASSERT_TRUE(fromNothing);
    EXPECT_EQ(fromNothing->m_nKind, TRANSITION_ALPHA);
    EXPECT_EQ(MakeTransition(19, false), nullptr);
    EXPECT_EQ(MakeTransition(-1, true), nullptr);
}

TEST(TransitionFactory, PickSingleEffectDrawsFromTheLevelsSet) {
    SRand(3);
    std::set<int32_t> pans, panZooms, all;
    for (int i = 0; i < 100000; ++i) {
        EXPECT_EQ(PickSingleEffect(0), SINGLE_EFFECT_NONE);
        pans.insert(PickSingleEffect(1));
        panZooms.insert(PickSingleEffect(2));
        all.insert(PickSingleEffect(3));
    }
    auto upTo = [](int32_t last) {
        std::set<int32_t> ids;
        for (int32_t id = 0; id <= last; ++id) ids.insert(id);
        return ids;
    };
    EXPECT_EQ(pans, upTo(7));
    EXPECT_EQ(panZooms, upTo(17));
    EXPECT_EQ(all, upTo(19));
    // Other levels come back as themselves only when they are effect ids.
    EXPECT_EQ(PickSingleEffect(21), 21);
    EXPECT_EQ(PickSingleEffect(7), 7);
    EXPECT_EQ(PickSingleEffect(99), SINGLE_EFFECT_NONE);
    EXPECT_EQ(PickSingleEffect(-3), SINGLE_EFFECT_NONE);
}
