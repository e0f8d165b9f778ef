#include "model/TransitionSettingCatalog.h"
#include "model/XmlDoc.h"
#include "tests/model/ProjectTestEnv.h"

namespace {
// The values of the file's "reference" element in order, "EFFECT_SETS" last with its child count.
std::vector<std::pair<std::string, std::string>> Values(const std::string& path) {
    std::string text;
    CXmlDoc xml;
    std::vector<std::pair<std::string, std::string>> values;
    if (!CXmlDoc::ReadTextFile(path, text) || !xml.SetDoc(text) || !xml.FindElem("reference")) return values;
    xml.IntoElem();
    while (xml.FindElem()) {
        std::string value = xml.GetData();
        if (xml.GetTagName() == "EFFECT_SETS") {
            int children = 0;
            for (xml.IntoElem(); xml.FindElem();) ++children;
            xml.OutOfElem();
            value = std::to_string(children);
        }
        values.emplace_back(xml.GetTagName(), value);
    }
    return values;
}

std::string ValueOf(const std::string& path, const std::string& name) {
    for (const auto& [key, value] : Values(path))
        if (key == name) return value;
    return "<missing>";
}
} // namespace

class PreferenceFileTest : public ProjectTestEnv {
protected:
    std::string Prefs() const { return g_Project.m_Config.m_strPreferenceFile; }

    // The saved file with one value changed (or the element dropped when value is null).
    void EditSaved(const std::string& name, const char* value) {
        std::string text = ReadFileBytes(Prefs());
        const size_t open = text.find("<" + name);
        ASSERT_NE(open, std::string::npos) << name;
        const size_t close = text.find("\r\n", open);
        text.replace(open, close + 2 - open, value ? "<" + name + ">" + value + "</" + name + ">\r\n" : "");
        WriteFileBytes(Prefs(), text);
    }

    // Non-default values everywhere, saved, and read by a restart; the saved text.
    std::string SaveUnusualValuesAndRestart() {
        CAppConfig& c = g_Project.m_Config;
        CProjectSettings& s = g_Project.m_Settings;
        c.m_nRunTimes = 7;
        s.IS_NTSC = c.AspectRatio = c.IsUseNation = c.NationTVFormat = c.TVFormat = 1;
        s.m_Effect.m_nTransitionTime = 4;
        s.m_Effect.m_nSingleEffectTime = 6;
        c.FDSearchPath = "/pictures/<mine> & yours";
        c.NationName = "Japan";
        c.LoopAudio = c.RandomTransition = 0;
        c.RandomImageEffect = 1;
        c.DefaultImage = "/pictures/default.bmp";
        g_Project.m_Catalog.GetAt(3)->m_nParam2 = 9;
        EXPECT_EQ(g_Project.SavePreferences(), 0);
        const std::string saved = ReadFileBytes(Prefs());
        g_Project.Clear();
        EXPECT_EQ(g_Project.Init(m_program), 0);
        return saved;
    }
};

TEST_F(PreferenceFileTest, FirstStartWritesACompleteFile) {
    const std::vector<std::string> order{"VERSION", "RunTimes", "AppPath", "workingPath", "outputPath", "isNtsc",
                                         "AspectRatio", "transmitTime", "singleTime", "FDSearchPath", "IsUseNation",
                                         "NationName", "NationTVFormat", "TVFormat", "LoopAudio", "RandomImageEffect",
                                         "RandomTransition", "DefaultImage", "EFFECT_SETS"};
    EXPECT_EQ(Prefs(), m_data + "/referenceFile.xml");
    const auto values = Values(Prefs());
    ASSERT_EQ(values.size(), order.size());
    for (size_t k = 0; k < order.size(); ++k) EXPECT_EQ(values[k].first, order[k]);
    EXPECT_EQ(values[1].second, "0");
    EXPECT_EQ(values[3].second, g_Project.m_Config.m_strWorkingFolder);
    EXPECT_EQ(values[11].second, "U.S.A");
    EXPECT_EQ(values.back().second, "19");
}

TEST_F(PreferenceFileTest, EveryValueIsReadBackAndTheRunCountGrows) {
    const std::string saved = SaveUnusualValuesAndRestart();
    const CAppConfig& c = g_Project.m_Config;
    const CProjectSettings& s = g_Project.m_Settings;
    // The restart wrote back every value it read (the folders are the new session's own).
    EXPECT_EQ(ValueOf(Prefs(), "RunTimes"), "8");
    const std::string rewritten = ReadFileBytes(Prefs());
    ASSERT_NE(saved.find("<isNtsc>"), std::string::npos);
    EXPECT_EQ(rewritten.substr(rewritten.find("<isNtsc>")), saved.substr(saved.find("<isNtsc>")));
    EXPECT_EQ(c.NationName, "Japan");
    // The random defaults follow the flags: any animated effect, an Alpha transition.
    EXPECT_EQ(s.m_Effect.m_nInitType, 3);
    EXPECT_EQ(s.m_Effect.m_pTransition->m_nKind, TRANSITION_ALPHA);

    // A flag stored as any non-zero number is set; numbers out of range leave the value.
    EditSaved("IsUseNation", "5");
    EditSaved("isNtsc", "7");
    EditSaved("transmitTime", "-3");
    EditSaved("singleTime", "100000");
    EditSaved("RunTimes", "-5");
    // The TV format is kept as the file holds it, whatever the number.
    EditSaved("TVFormat", "7");
    g_Project.m_Config.IsUseNation = 0;
    EXPECT_EQ(g_Project.LoadPreferences(), 0);
    EXPECT_EQ(c.TVFormat, 7);
    EXPECT_EQ(ValueOf(Prefs(), "TVFormat"), "7");
    EXPECT_EQ(c.IsUseNation, 1);
    EXPECT_EQ(s.IS_NTSC, 1);
    EXPECT_EQ(s.m_Effect.m_nTransitionTime, 4);
    EXPECT_EQ(s.m_Effect.m_nSingleEffectTime, 6);
    EXPECT_EQ(c.m_nRunTimes, 3);
}

TEST_F(PreferenceFileTest, OtherVersionsFoldersAndMissingKeysAreReplacedByCompleteFiles) {
    const CAppConfig& c = g_Project.m_Config;
    SaveUnusualValuesAndRestart();
    EditSaved("VERSION", "3.0.5");
    g_Project.Clear();
    g_Project.Init(m_program);
    EXPECT_EQ(c.NationName, "U.S.A");
    EXPECT_EQ(c.m_nRunTimes, 0);
    EXPECT_EQ(ValueOf(Prefs(), "VERSION"), "3.0.6");

    // Written for another data folder, or naming the program folder: only the run count, read
    // before the folder, is used.
    for (const std::string& other : {std::string("/elsewhere"), m_program}) {
        SaveUnusualValuesAndRestart();
        EditSaved("AppPath", other.c_str());
        g_Project.Clear();
        EXPECT_EQ(g_Project.Init(m_program), 0);
        EXPECT_EQ(c.m_nRunTimes, 9);
        EXPECT_EQ(c.NationName, "U.S.A") << other;
        EXPECT_EQ(ValueOf(Prefs(), "AppPath"), m_data);
    }

    // Without TVFormat: the values before it apply, the rest and the catalogue do not.
    SaveUnusualValuesAndRestart();
    EditSaved("TVFormat", nullptr);
    g_Project.Clear();
    EXPECT_EQ(g_Project.Init(m_program), 0);
    EXPECT_EQ(c.NationTVFormat, 1);
    EXPECT_EQ(c.TVFormat, 0);
    EXPECT_EQ(c.LoopAudio, 1);
    EXPECT_NE(g_Project.m_Catalog.GetAt(3)->m_nParam2, 9);
    EXPECT_EQ(Values(Prefs()).size(), 19u);
}

TEST_F(PreferenceFileTest, UnreadableFilesAreLeftAlone) {
    const std::string good = ReadFileBytes(Prefs());
    // Cut short, not XML, and UTF-16 without its mark (the text ends at the first NUL).
    for (const std::string& bad : {std::string("<reference><VERSION>3.0.6</VERSION>"),
                                   std::string("not xml at all, long enough to matter"),
                                   Utf16("<reference></reference><!-- a comment -->")}) {
        WriteFileBytes(Prefs(), bad);
        EXPECT_EQ(g_Project.LoadPreferences(), -1);
        EXPECT_EQ(ReadFileBytes(Prefs()), bad);
    }
    // The same text in UTF-16LE with its mark reads.
    WriteFileBytes(Prefs(), Utf16(good, true));
    EXPECT_EQ(g_Project.LoadPreferences(), 0);
    EXPECT_EQ(g_Project.m_Config.m_nRunTimes, 1);

    // A folder in the place of the file: nothing is written.
    std::filesystem::remove(Prefs());
    std::filesystem::create_directories(Prefs() + "/inside");
    EXPECT_EQ(g_Project.LoadPreferences(), -1);
    EXPECT_EQ(g_Project.SavePreferences(), -1);
    EXPECT_TRUE(std::filesystem::is_directory(Prefs() + "/inside"));
}
