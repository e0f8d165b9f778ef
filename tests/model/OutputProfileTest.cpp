#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>

#include "model/COutputProfileGroupList.h"
#include "model/FrameSize.h"
#include "tests/model/ProjectTestEnv.h"

namespace fs = std::filesystem;

namespace {
const std::string kProgramDir = PICREEL_PROGRAM_DIR;
const std::string kOneGroup =
    "<av_output_profile_group count=\"1\"><group id=\"5\" desc=\"G\" folder=\"g\"/></av_output_profile_group>";

std::string Param(const std::string& tag, const std::string& value, const std::string& count,
                  const std::vector<std::string>& options) {
    std::string text = "<" + tag + " value=\"" + value + "\" list_index=\"0\" value_list_count=\"" + count + "\">";
    for (const auto& o : options) text += "<value_list value=\"" + o + "\"/>";
    return text + "</" + tag + ">";
}

std::string Profile(int listIndex, const std::string& ext = "avi", const std::string& count = "2") {
    return "<output_profile><format format=\"avi\" ext=\"" + ext + "\" desc_s=\"s\" desc_l=\"l\" list_index=\"" +
           std::to_string(listIndex) + "\"/><parameters><video>" + Param("codec", "xvid", count, {"xvid", "h263"}) +
           Param("size", "320x240", count, {"320x240", "176x144"}) + Param("bitrate", "500", count, {"500", "800"}) +
           Param("framerate", "25", count, {"29.97", "25"}) + "</video><audio>" +
           Param("codec", "mp3", count, {"mp3", "aac"}) + Param("bitrate", "128", count, {"128", "64"}) +
           Param("samplerate", "44100", count, {"44100", "8000"}) + Param("channel", "2", count, {"2", "1"}) +
           "</audio></parameters></output_profile>";
}

// Loads a program folder holding the group file and the given files of group "g".
bool LoadFolder(COutputProfileGroupList& list, const std::vector<std::pair<std::string, std::string>>& profiles,
                const std::string& groups = kOneGroup) {
    TempDir dir;
    WriteFileBytes(dir.File("profile/avoutput/profile_group.xml"), groups);
    for (const auto& [name, bytes] : profiles) WriteFileBytes(dir.File("profile/avoutput/g/" + name), bytes);
    fs::create_directories(dir.File("profile/avoutput/g/f.xml")); // a folder named like a profile
    return list.Load(dir.Path().string() + "/");
}

} // namespace

TEST(OutputProfiles, ShippedProfilesLoadAndHoldOnlyEncodableValues) {
    COutputProfileGroupList list;
    ASSERT_TRUE(list.Load(kProgramDir));
    ASSERT_GE(list.GetCount(), 3);
    std::set<std::string> videoCodecs, audioCodecs;
    for (int g = 0; g < list.GetCount(); ++g) {
        const COutputProfileGroup* group = list.GetAt(g);
        ASSERT_GT(group->GetCount(), 0);
        for (int p = 0; p < group->GetCount(); ++p) {
            const COutputProfile* profile = group->GetAt(p);
            SCOPED_TRACE(group->m_strDesc + " / " + profile->m_strDescS);
            for (const CProfileParam* param :
                 {&profile->m_VideoCodec, &profile->m_VideoSize, &profile->m_VideoBitrate, &profile->m_FrameRate,
                  &profile->m_AudioCodec, &profile->m_AudioBitrate, &profile->m_AudioSampleRate,
                  &profile->m_AudioChannels}) {
                ASSERT_GT(param->GetCount(), 0);
                EXPECT_EQ(param->GetCount(), param->m_nCount);
                // The chosen value is one of the options, at its index.
                const CProfileParam::Value* chosen = param->GetOption(param->m_Current.index);
                ASSERT_NE(chosen, nullptr);
                EXPECT_EQ(chosen->value, param->m_Current.value);
            }
            for (const auto& v : profile->m_VideoSize.m_arrOptions) EXPECT_NE(FindFrameSize(v.value), nullptr) << v.value;
            for (const auto& v : profile->m_FrameRate.m_arrOptions)
                EXPECT_TRUE(v.value == "29.97" || v.value == "25") << v.value;
            for (const auto& v : profile->m_VideoCodec.m_arrOptions) videoCodecs.insert(v.value);
            for (const auto& v : profile->m_AudioCodec.m_arrOptions) audioCodecs.insert(v.value);
            EXPECT_FALSE(profile->m_strExt.empty());
        }
    }
    EXPECT_EQ(videoCodecs, (std::set<std::string>{"xvid", "h263"}));
    EXPECT_EQ(audioCodecs, (std::set<std::string>{"mp3", "aac", "amr_nb"}));
    // The first group's first profile is the NTSC one the project starts with.
    ASSERT_NE(list.GetCurrentProfile(), nullptr);
    EXPECT_EQ(list.GetCurrentProfile()->m_FrameRate.m_Current.value, "29.97");
}

TEST(OutputProfiles, GroupOrdersByListIndexThenByFileNameEveryTime) {
    // Not profiles: "xml" before the last dot, a folder named like a profile.
    for (int run = 0; run < 3; ++run) {
        COutputProfileGroupList list;
        ASSERT_TRUE(LoadFolder(list, {{"b.xml", Profile(1, "b")}, {"a.xml", Profile(0, "a")},
                                      {"d.XML", Profile(2, "d")}, {"c.xml", Profile(2, "c")},
                                      {"e.xml.bak", "junk"}}));
        ASSERT_EQ(list.GetCount(), 1);
        EXPECT_EQ(list.GetAt(0)->m_nId, 5);
        EXPECT_EQ(list.GetAt(0)->m_strDesc, "G");
        std::string order;
        for (int p = 0; p < list.GetAt(0)->GetCount(); ++p) order += list.GetAt(0)->GetAt(p)->m_strExt;
        EXPECT_EQ(order, "abcd");
        EXPECT_EQ(list.GetAt(0)->GetAt(0)->m_strDescL, "l");
        EXPECT_EQ(list.GetAt(0)->GetAt(4), nullptr);
        EXPECT_EQ(list.GetAt(0)->GetAt(-1), nullptr);
    }
}

TEST(OutputProfiles, SelectValuesAndIndices) {
    COutputProfileGroupList list;
    ASSERT_TRUE(LoadFolder(list, {{"p.xml", Profile(0)}}));
    COutputProfile& profile = *list.GetCurrentProfile();
    // Audio bit rate comes before audio codec; an unknown value picks the last option.
    profile.SelectValues("h263", "176x144", "800", "29.97", "64", "wma", "8000", "1");
    EXPECT_EQ(profile.m_VideoCodec.m_Current.value, "h263");
    EXPECT_EQ(profile.m_VideoSize.m_Current.index, 1);
    EXPECT_EQ(profile.m_AudioBitrate.m_Current.value, "64");
    EXPECT_EQ(profile.m_AudioCodec.m_Current.value, "aac");
    EXPECT_EQ(profile.m_AudioCodec.m_Current.index, 1);
    profile.SelectIndices(0, 0, 0, 1, 0, 0, 7, -1);
    EXPECT_EQ(profile.m_VideoCodec.m_Current.value, "xvid");
    EXPECT_EQ(profile.m_FrameRate.m_Current.value, "25");
    EXPECT_EQ(profile.m_AudioSampleRate.m_Current.value, "8000"); // index 7 changed nothing
    EXPECT_EQ(profile.m_AudioChannels.m_Current.value, "1");

    CProfileParam empty;
    empty.m_Current = {3, "keep"};
    empty.SelectValue("other");
    EXPECT_EQ(empty.m_Current.value, "keep");
    EXPECT_EQ(empty.m_Current.index, 3);
}

TEST(OutputProfiles, HostileFilesFailOrLoadWhatIsThereWithoutCrashing) {
    const std::string full = Profile(0);
    COutputProfileGroupList list;
    // Counts far beyond the entries present: only the entries read.
    ASSERT_TRUE(LoadFolder(list, {{"p.xml", Profile(0, "avi", "2147483647")}}));
    EXPECT_EQ(list.GetCurrentProfile()->m_VideoSize.GetCount(), 2);
    EXPECT_EQ(list.GetCurrentProfile()->m_VideoSize.m_nCount, 2147483647);
    // A group count far beyond the groups present.
    EXPECT_FALSE(LoadFolder(list, {{"p.xml", full}},
                            "<av_output_profile_group count=\"999999999\"><group id=\"1\" desc=\"G\" "
                            "folder=\"g\"/></av_output_profile_group>"));
    EXPECT_EQ(list.GetCount(), 1);

    // Truncated at every length: never a crash; a profile missing its end fails its group.
    for (size_t cut = 0; cut < full.size(); cut += 7) {
        COutputProfileGroupList cutList;
        EXPECT_FALSE(LoadFolder(cutList, {{"p.xml", full.substr(0, cut)}})) << cut;
        EXPECT_EQ(cutList.GetCount(), 0);
        EXPECT_EQ(cutList.GetCurrent(), nullptr);
        EXPECT_EQ(cutList.GetCurrentProfile(), nullptr);
    }
    // Text lost in the conversion (a UTF-16 file cut by a NUL character) is refused.
    EXPECT_FALSE(LoadFolder(list, {{"p.xml", Utf16(full, true).insert(200, std::string(2, '\0'))}}));

    // Missing group file, odd UTF-16, an element other than "group", a missing folder.
    TempDir empty;
    EXPECT_FALSE(list.Load(empty.Path().string()));
    for (const std::string& groups :
         {std::string("\xFF\xFE<"), std::string("\xFF\xFE<\0a", 5),
          std::string("<av_output_profile_group count=\"1\"><grp folder=\"g\"/></av_output_profile_group>"),
          std::string("<av_output_profile_group count=\"1\"><group folder=\"none\"/></av_output_profile_group>")}) {
        EXPECT_FALSE(LoadFolder(list, {}, groups)) << groups;
        EXPECT_EQ(list.GetCount(), 0);
    }
}
