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
#include "platform/win/Random.h"
#include "tests/support/TempDir.h"

namespace {
template <class Record> std::string SaveUnderRoot(const Record& record) {
    CXmlDoc doc;
    doc.AddElem("ROOT");
    doc.IntoElem();
    record.Save(doc);
    return doc.GetDoc();
}

template <class Record> bool LoadFromRoot(Record& record, const std::string& text) {
    CXmlDoc doc;
    doc.SetDoc(text);
    doc.FindElem("ROOT");
    doc.IntoElem();
    return record.Load(doc);
}

std::string Effect(const std::string& id, const std::string& level, bool withTime = true) {
    std::string text = "<ROOT><DUVI_EFFECT><SINGLE_EFFECT_TIME>7</SINGLE_EFFECT_TIME>"
                       "<SINGLE_EFFECT_ID>" +
                       id +
                       "</SINGLE_EFFECT_ID>"
                       "<SINGLE_EFFECT_INIT_TYPE>" +
                       level + "</SINGLE_EFFECT_INIT_TYPE>";
    if (withTime) text += "<TRANSITIO_EFFECT_TIME>4</TRANSITIO_EFFECT_TIME>";
    return text + "<TRANSITION_EFFECT_SETTING NAME=\"TRANSITION_EFFECT_FLIP\"><TRANSITION_EFFECT_FLIP_PARAM>1"
                  "</TRANSITION_EFFECT_FLIP_PARAM></TRANSITION_EFFECT_SETTING></DUVI_EFFECT></ROOT>";
}
} // namespace

TEST(EffectSetting, DefaultsAndCopiesThatDrawAnew) {
    CEffectSetting effect;
    ASSERT_TRUE(effect.m_pTransition);
    EXPECT_EQ(effect.m_pTransition->m_nKind, TRANSITION_ALPHA);
    EXPECT_LE(effect.m_pTransition->m_nParam1, 2);
    EXPECT_EQ(effect.m_nTransitionTime, 2);
    EXPECT_EQ(effect.m_nSingleEffectId, 20);
    EXPECT_EQ(effect.m_nSingleEffectTime, 3);
    EXPECT_EQ(effect.m_nInitType, 0);

    // The id is drawn from the level, never copied.
    effect.m_nInitType = 0;
    effect.m_nSingleEffectId = 5;
    effect.m_nSingleEffectTime = 9;
    effect.m_nTransitionTime = 1;
    CEffectSetting other;
    other = effect;
    EXPECT_EQ(other.m_nSingleEffectId, 20);
    EXPECT_EQ(other.m_nSingleEffectTime, 9);
    EXPECT_EQ(other.m_nTransitionTime, 1);
    ASSERT_TRUE(other.m_pTransition);
    EXPECT_NE(other.m_pTransition.get(), effect.m_pTransition.get());
    EXPECT_EQ(other.m_pTransition->m_nParam1, effect.m_pTransition->m_nParam1);

    // Copy construction follows the same rule; self-assignment keeps the object intact.
    CEffectSetting constructed(effect);
    EXPECT_EQ(constructed.m_nSingleEffectId, 20);
    TransitionSetting* before = effect.m_pTransition.get();
    CEffectSetting& self = effect;
    effect = self;
    EXPECT_EQ(effect.m_pTransition.get(), before);
}

TEST(EffectSetting, CopiesOfARandomRecordPickTheirOwnEffectsAndKinds) {
    SRand(11);
    CEffectSetting project;
    project.ApplyRandomDefaults(true, true);
    EXPECT_EQ(project.m_nInitType, 3);
    ASSERT_EQ(project.m_pTransition->m_nKind, TRANSITION_RANDOM);
    std::set<int32_t> ids, kinds;
    for (int i = 0; i < 50; ++i) {
        CEffectSetting slide(project);
        ASSERT_LT(slide.m_nSingleEffectId, 20);
        ASSERT_NE(slide.m_pTransition->m_nKind, TRANSITION_RANDOM);
        ids.insert(slide.m_nSingleEffectId);
        kinds.insert(slide.m_pTransition->m_nKind);
    }
    EXPECT_GT(ids.size(), 5u);
    EXPECT_GT(kinds.size(), 5u);

    project.ApplyRandomDefaults(false, false);
    EXPECT_EQ(project.m_nInitType, 0);
    EXPECT_EQ(project.m_nSingleEffectId, 20);
    EXPECT_EQ(project.m_pTransition->m_nKind, TRANSITION_ALPHA);
}

TEST(EffectSetting, SavesAndLoadsItsElements) {
    CEffectSetting effect;
    effect.m_nSingleEffectTime = 6;
    effect.m_nInitType = 2;
    effect.m_nSingleEffectId = 13;
    effect.m_nTransitionTime = 5;
    effect.m_pTransition = std::make_unique<TransitionBlindSetting>(false);
    static_cast<TransitionBlindSetting&>(*effect.m_pTransition).SetParams(1, 9);
    const std::string text = SaveUnderRoot(effect);
    EXPECT_NE(text.find("<DUVI_EFFECT>\r\n<SINGLE_EFFECT_TIME>6</SINGLE_EFFECT_TIME>\r\n<SINGLE_EFFECT_ID>13"
                        "</SINGLE_EFFECT_ID>\r\n<SINGLE_EFFECT_INIT_TYPE>2</SINGLE_EFFECT_INIT_TYPE>\r\n"
                        "<TRANSITIO_EFFECT_TIME>5</TRANSITIO_EFFECT_TIME>\r\n<TRANSITION_EFFECT_SETTING"),
              std::string::npos)
        << text;

    CEffectSetting loaded;
    ASSERT_TRUE(LoadFromRoot(loaded, text));
    EXPECT_EQ(loaded.m_nSingleEffectTime, 6);
    EXPECT_EQ(loaded.m_nSingleEffectId, 13);
    EXPECT_EQ(loaded.m_nInitType, 2);
    EXPECT_EQ(loaded.m_nTransitionTime, 5);
    EXPECT_EQ(loaded.m_pTransition->m_nKind, TRANSITION_BLINDS);
    EXPECT_EQ(loaded.m_pTransition->m_nParam2, 9);
}

TEST(EffectSetting, MissingElementsFailAfterTheValuesBeforeThem) {
    CEffectSetting effect;
    EXPECT_FALSE(LoadFromRoot(effect, Effect("4", "1", false)));
    EXPECT_EQ(effect.m_nSingleEffectTime, 7);
    EXPECT_EQ(effect.m_nSingleEffectId, 4);
    EXPECT_EQ(effect.m_nInitType, 1);
    EXPECT_EQ(effect.m_nTransitionTime, 2);
    ASSERT_TRUE(effect.m_pTransition);
}

TEST(EffectSetting, OutOfRangeIdsAndLevelsFromAFileAreNotTaken) {
    CEffectSetting effect;
    effect.m_nSingleEffectId = 3;
    effect.m_nInitType = 1;
    ASSERT_TRUE(LoadFromRoot(effect, Effect("22", "4")));
    EXPECT_EQ(effect.m_nSingleEffectId, 3);
    EXPECT_EQ(effect.m_nInitType, 1);
    ASSERT_TRUE(LoadFromRoot(effect, Effect("-1", "-2147483648")));
    EXPECT_EQ(effect.m_nSingleEffectId, 3);
    ASSERT_TRUE(LoadFromRoot(effect, Effect("21", "3")));
    EXPECT_EQ(effect.m_nSingleEffectId, 21);
    EXPECT_EQ(effect.m_nInitType, 3);
    EXPECT_EQ(effect.m_pTransition->m_nKind, TRANSITION_FLIP);
    // Copies of it still draw ids inside the table.
    CEffectSetting copy(effect);
    EXPECT_LT(copy.m_nSingleEffectId, SINGLE_EFFECT_COUNT);
}

TEST(ProjectSettings, AssignmentKeepsTheWorkingPathAndRoundTrips) {
    CProjectSettings project;
    project.SetNtsc(1);
    project.m_strWorkingPath = "/w/Project_1";
    project.ResetPaths("/w/Project_1");
    EXPECT_EQ(project.m_strTempPath, "/w/Project_1/temp");
    EXPECT_EQ(project.m_strOutputPath, "/w/Project_1/Output");

    CProjectSettings slide;
    slide = project;
    EXPECT_EQ(slide.IS_NTSC, 1);
    EXPECT_EQ(slide.m_strWorkingPath, "");
    EXPECT_EQ(slide.m_strTempPath, "/w/Project_1/temp");
    CProjectSettings constructed(project);
    EXPECT_EQ(constructed.m_strWorkingPath, "");
    EXPECT_EQ(constructed.m_strOutputPath, "/w/Project_1/Output");

    const std::string text = SaveUnderRoot(project);
    EXPECT_NE(
        text.find("<DUVI_SETTING>\r\n<IS_NTSC>1</IS_NTSC>\r\n<WOKRING_PATH>/w/Project_1</WOKRING_PATH>\r\n"
                  "<TEMP_PATH>/w/Project_1/temp</TEMP_PATH>\r\n<OUTPUT_PATH>/w/Project_1/Output</OUTPUT_PATH>"
                  "\r\n<DUVI_EFFECT>"),
        std::string::npos)
        << text;
    CProjectSettings loaded;
    ASSERT_TRUE(LoadFromRoot(loaded, text));
    EXPECT_EQ(loaded.IS_NTSC, 1);
    EXPECT_EQ(loaded.m_strWorkingPath, "/w/Project_1");
    EXPECT_EQ(loaded.m_strOutputPath, "/w/Project_1/Output");
    EXPECT_EQ(loaded.m_Effect.m_pTransition->m_nKind, project.m_Effect.m_pTransition->m_nKind);
}

TEST(ProjectSettings, TvFlagOutsideTheTableIsNotTaken) {
    for (const char* flag : {"2", "-1", "99999999999"}) {
        CProjectSettings settings;
        settings.SetNtsc(1);
        const std::string text =
            std::string("<ROOT><DUVI_SETTING><IS_NTSC>") + flag + "</IS_NTSC></DUVI_SETTING></ROOT>";
        EXPECT_FALSE(LoadFromRoot(settings, text));
        EXPECT_EQ(settings.IS_NTSC, 1) << flag;
    }
    CProjectSettings settings;
    settings.SetNtsc(7);
    EXPECT_EQ(settings.IS_NTSC, 1);
    settings.SetNtsc(0);
    EXPECT_EQ(settings.IS_NTSC, 0);
}

TEST(AppConfig, DefaultsLieInTheProgramFolderAndSetAppPathDerivesTheRest) {
    CAppConfig config;
    EXPECT_EQ(config.NationName, "U.S.A");
    EXPECT_EQ(config.LoopAudio, 1);
    EXPECT_EQ(config.RandomImageEffect, 0);
    EXPECT_EQ(config.RandomTransition, 1);
    EXPECT_EQ(config.m_strLogFile, config.m_strAppPath + "/log.txt");

    TempDir dir;
    for (const char* name : {"Project_1", "Project_3", "Project_x"})
        std::filesystem::create_directory(dir.Path() / name);
    WriteFileBytes(dir.File("project0.prg"), "x");
    WriteFileBytes(dir.File("project1.prg"), "x");
    const std::string folder = dir.Path().string();
    config.m_nRunTimes = 8;
    config.SetAppPath(folder + "/");
    EXPECT_EQ(config.m_nRunTimes, 0);
    EXPECT_EQ(config.m_strAppPath, folder);
    EXPECT_EQ(config.m_strWorkingFolder, folder + "/Project_4");
    EXPECT_EQ(config.m_strPreferenceFile, folder + "/referenceFile.xml");
    EXPECT_EQ(config.m_strSilentMp2, folder + "/menu_pic/silent.mp2");
    EXPECT_EQ(config.DefaultImage, folder + "/res/defaultImage.bmp");
    EXPECT_EQ(config.FDSearchPath, folder);
    EXPECT_EQ(config.m_strProjectFile, "");
    config.ResetProjectFileName();
    EXPECT_EQ(config.m_strProjectFile, folder + "/project2.prg");
    EXPECT_EQ(CreateWorkingFolderName(folder + "/missing"), folder + "/missing/Project_1");
}
