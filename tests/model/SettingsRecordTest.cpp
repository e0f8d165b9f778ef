#include <gtest/gtest.h>

#include <set>
#include <string>

#include "model/CAppConfig.h"
#include "model/CEffectSetting.h"
#include "model/CProjectSettings.h"
#include "model/EffectNames.h"
#include "model/TransitionBlindSetting.h"
#include "model/TransitionRandomSetting.h"
#include "model/WorkFolderNames.h"
#include "model/XmlDoc.h"
#include "tests/model/XmlRootDoc.h"
#include "platform/win/Random.h"
#include "tests/support/TempDir.h"

namespace {
template <class Record> bool LoadFromRoot(Record& record, const std::string& text) {
    CXmlDoc doc;
    return EnterRoot(doc, text) && record.Load(doc);
}
} // namespace

TEST(EffectSetting, CopiesDrawTheirSingleEffectAnewAndCloneTheTransition) {
    CEffectSetting effect;
    // The id is drawn from the level (0: none), never copied.
    effect.m_nSingleEffectId = 5;
    effect.m_nSingleEffectTime = 9;
    effect.m_nTransitionTime = 1;
    CEffectSetting assigned;
    assigned = effect;
    CEffectSetting constructed(effect);
    for (const CEffectSetting* copy : {&assigned, &constructed}) {
        EXPECT_EQ(copy->m_nSingleEffectId, SINGLE_EFFECT_NONE);
        EXPECT_EQ(copy->m_nSingleEffectTime, 9);
        EXPECT_EQ(copy->m_nTransitionTime, 1);
        ASSERT_TRUE(copy->m_pTransition);
        EXPECT_NE(copy->m_pTransition.get(), effect.m_pTransition.get());
        EXPECT_EQ(copy->m_pTransition->m_nParam1, effect.m_pTransition->m_nParam1);
    }
    // Self-assignment keeps the object intact.
    TransitionSetting* before = effect.m_pTransition.get();
    CEffectSetting& self = effect;
    effect = self;
    EXPECT_EQ(effect.m_pTransition.get(), before);

    // Copies of a random record pick their own effects and kinds.
    SRand(11);
    effect.ApplyRandomDefaults(true, true);
    EXPECT_EQ(effect.m_nInitType, 3);
    ASSERT_EQ(effect.m_pTransition->m_nKind, TRANSITION_RANDOM);
    std::set<int32_t> ids, kinds;
    for (int i = 0; i < 50; ++i) {
        CEffectSetting slide(effect);
        ASSERT_LT(slide.m_nSingleEffectId, SINGLE_EFFECT_NONE);
        ASSERT_NE(slide.m_pTransition->m_nKind, TRANSITION_RANDOM);
        ids.insert(slide.m_nSingleEffectId);
        kinds.insert(slide.m_pTransition->m_nKind);
    }
    EXPECT_GT(ids.size(), 5u);
    EXPECT_GT(kinds.size(), 5u);
    effect.ApplyRandomDefaults(false, false);
    EXPECT_EQ(effect.m_nInitType, 0);
    EXPECT_EQ(effect.m_nSingleEffectId, SINGLE_EFFECT_NONE);
    EXPECT_EQ(effect.m_pTransition->m_nKind, TRANSITION_ALPHA);
}

TEST(EffectSetting, ValuesFromAFileAreCheckedAndAMissingElementEndsReading) {
    // Starting from id 3, level 1, transition time 2: ids and levels outside their tables are
    // not taken; without the transition time the values before it stay.
    const struct {
        const char* id;
        const char* level;
        bool withTime;
        bool loads;
        int32_t wantId, wantLevel, wantTransitionTime;
    } cases[] = {
        {"22", "4", true, true, 3, 1, 4},
        {"-1", "-2147483648", true, true, 3, 1, 4},
        {"21", "3", true, true, 21, 3, 4},
        {"4", "2", false, false, 4, 2, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        std::string text = std::string("<ROOT><DUVI_EFFECT><SINGLE_EFFECT_TIME>7</SINGLE_EFFECT_TIME><SINGLE_EFFECT_ID>") +
                           c.id + "</SINGLE_EFFECT_ID><SINGLE_EFFECT_INIT_TYPE>" + c.level + "</SINGLE_EFFECT_INIT_TYPE>";
        if (c.withTime) text += "<TRANSITIO_EFFECT_TIME>4</TRANSITIO_EFFECT_TIME>";
        text += "<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_FLIP\"><TRANSITION_EFFECT_FLIP_PARAM>1"
                "</TRANSITION_EFFECT_FLIP_PARAM></TRANSITION_EFFECT_SETTING></DUVI_EFFECT></ROOT>";
        CEffectSetting effect;
        effect.m_nSingleEffectId = 3;
        effect.m_nInitType = 1;
        EXPECT_EQ(LoadFromRoot(effect, text), c.loads);
        EXPECT_EQ(effect.m_nSingleEffectTime, 7);
        EXPECT_EQ(effect.m_nSingleEffectId, c.wantId);
        EXPECT_EQ(effect.m_nInitType, c.wantLevel);
        EXPECT_EQ(effect.m_nTransitionTime, c.wantTransitionTime);
        ASSERT_TRUE(effect.m_pTransition);
        if (c.loads) {
            EXPECT_EQ(effect.m_pTransition->m_nKind, TRANSITION_FLIP);
        }
        // Copies still draw ids inside the table.
        EXPECT_LT(CEffectSetting(effect).m_nSingleEffectId, SINGLE_EFFECT_COUNT);
    }
}

TEST(ProjectSettings, CopiesLeaveTheWorkingPathAndTheFileKeepsEveryValue) {
    CProjectSettings project;
    project.SetNtsc(1);
    project.m_strWorkingPath = "/w/Project_1";
    project.ResetPaths("/w/Project_1");
    CEffectSetting& effect = project.m_Effect;
    effect.m_nSingleEffectTime = 6;
    effect.m_nInitType = 2;
    effect.m_nSingleEffectId = 13;
    effect.m_nTransitionTime = 5;
    effect.m_pTransition = std::make_unique<TransitionBlindSetting>(false);
    static_cast<TransitionBlindSetting&>(*effect.m_pTransition).SetParams(1, 9);
    CProjectSettings assigned;
    assigned = project;
    CProjectSettings constructed(project);
    for (const CProjectSettings* copy : {&assigned, &constructed}) {
        EXPECT_EQ(copy->IS_NTSC, 1);
        EXPECT_EQ(copy->m_strWorkingPath, "");
        EXPECT_EQ(copy->m_strTempPath, "/w/Project_1/temp");
        EXPECT_EQ(copy->m_strOutputPath, "/w/Project_1/Output");
    }

    const std::string text = SaveUnderRoot(project);
    EXPECT_NE(text.find("<DUVI_SETTING>\r\n<IS_NTSC>1</IS_NTSC>\r\n<WOKRING_PATH>/w/Project_1</WOKRING_PATH>\r\n"
                        "<TEMP_PATH>/w/Project_1/temp</TEMP_PATH>\r\n<OUTPUT_PATH>/w/Project_1/Output</OUTPUT_PATH>\r\n"
                        "<DUVI_EFFECT>\r\n<SINGLE_EFFECT_TIME>6</SINGLE_EFFECT_TIME>\r\n<SINGLE_EFFECT_ID>13"
                        "</SINGLE_EFFECT_ID>\r\n<SINGLE_EFFECT_INIT_TYPE>2</SINGLE_EFFECT_INIT_TYPE>\r\n"
                        "<TRANSITIO_EFFECT_TIME>5</TRANSITIO_EFFECT_TIME>\r\n<TRANSITION_EFFECT_SETTING"),
              std::string::npos)
        << text;
    // Read back, every value writes the same text again.
    CProjectSettings loaded;
    ASSERT_TRUE(LoadFromRoot(loaded, text));
    EXPECT_EQ(SaveUnderRoot(loaded), text);
    // A TV flag outside the table is not taken.
    for (const char* flag : {"2", "-1", "99999999999"}) {
        CProjectSettings settings;
        settings.SetNtsc(1);
        EXPECT_FALSE(LoadFromRoot(settings, std::string("<ROOT><DUVI_SETTING><IS_NTSC>") + flag +
                                                "</IS_NTSC></DUVI_SETTING></ROOT>"));
        EXPECT_EQ(settings.IS_NTSC, 1) << flag;
    }
}

TEST(AppConfig, SetAppPathDerivesThePathsAndTheNextFreeNames) {
    TempDir dir;
    const std::string program = dir.File("program");
    const std::string data = dir.File("data");
    for (const char* name : {"Project_1", "Project_3", "Project_x"})
        std::filesystem::create_directories(data + "/" + name);
    std::filesystem::create_directories(program + "/Project_9");
    WriteFileBytes(data + "/project0.prg", "x");
    WriteFileBytes(data + "/project1.prg", "x");
    CAppConfig config;
    config.m_nRunTimes = 8;
    config.SetAppPath(program + "/", data + "/");
    EXPECT_EQ(config.m_nRunTimes, 0);
    EXPECT_EQ(config.m_strAppPath, program);
    EXPECT_EQ(config.m_strDataPath, data);
    // What is written goes to the data folder; what ships is read from the program folder.
    EXPECT_EQ(config.m_strWorkingFolder, data + "/Project_4");
    EXPECT_EQ(config.m_strPreferenceFile, data + "/referenceFile.xml");
    EXPECT_EQ(config.m_strSilentMp2, program + "/menu_pic/silent.mp2");
    EXPECT_EQ(config.m_strProjectFile, "");
    config.ResetProjectFileName();
    EXPECT_EQ(config.m_strProjectFile, data + "/project2.prg");
    EXPECT_EQ(CreateWorkingFolderName(data + "/missing"), data + "/missing/Project_1");
    // Trailing slashes go, but the root stays the root.
    config.SetAppPath("/", "//");
    EXPECT_EQ(config.m_strAppPath, "/");
    EXPECT_EQ(config.m_strDataPath, "/");
}
