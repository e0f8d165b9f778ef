// Every slideshow of a project has files of its own, also when names differ only in the
// characters that file names cannot hold.
#include <filesystem>
#include <set>

#include "tests/model/ProjectTestEnv.h"

namespace {

using SlideshowFileNamesTest = ProjectTestEnv;

// Every file a slideshow writes or is written for, after a video run has named them.
std::vector<std::string> FilesOf(const CSlideShow& show) {
    return {show.m_strM2vFile, show.m_strMp2File, show.m_strYuvFile, show.m_strOutputFile, show.m_strCoverBmp};
}

// No file of one slideshow is a file of another.
::testing::AssertionResult AllDistinct() {
    std::set<std::string> seen;
    for (const auto& show : g_Project.m_arrSlideshows)
        for (const std::string& path : FilesOf(*show))
            if (!seen.insert(path).second) return ::testing::AssertionFailure() << path << " is shared";
    return ::testing::AssertionSuccess();
}

TEST_F(SlideshowFileNamesTest, NamesThatDifferOnlyInSeparatorsGetFilesOfTheirOwn) {
    const std::string temp = TempFolder() + "/";
    // Names in the order added, and the stems they end with: the first of two clashing names
    // keeps the plain form, a later one takes a suffix that is no other name's plain form, and a
    // name that clashes with nothing keeps its plain form whatever the order.
    const struct {
        std::vector<std::string> names, stems;
    } orders[] = {{{"x/y", "x_y", "x_y_1"}, {"x_y", "x_y_2", "x_y_1"}},
                  {{"x_y_1", "x/y", "x_y"}, {"x_y_1", "x_y", "x_y_2"}},
                  {{"x_y", "x_y_1", "x/y"}, {"x_y", "x_y_1", "x_y_2"}},
                  {{"x/y", "x_y", "x\\y", "x_y_1", "z"}, {"x_y", "x_y_3", "x_y_2", "x_y_1", "z"}}};
    for (const auto& order : orders) {
        SCOPED_TRACE(order.names.back());
        g_Project.DeleteAllSlideshows();
        for (const std::string& name : order.names) ASSERT_EQ(g_Project.AddSlideshow(name), 0) << name;
        for (size_t i = 0; i < order.names.size(); ++i) {
            const CSlideShow& show = *g_Project.GetSlideshow(static_cast<int32_t>(i));
            EXPECT_EQ(show.m_strName, order.names[i]);
            EXPECT_EQ(show.GetFileStem(), order.stems[i]) << order.names[i];
            EXPECT_EQ(show.m_strM2vFile, temp + order.stems[i] + ".m2v");
            EXPECT_EQ(show.m_strCoverBmp, temp + "cover_" + order.stems[i] + ".bmp");
        }
        EXPECT_TRUE(AllDistinct());
    }

    // The videos and joined music follow a stem that moves, in their own folders.
    UseProfile("500", "64", "avi");
    g_Project.SetSlideshowOutputNames();
    for (const auto& show : g_Project.m_arrSlideshows) show->SetAudioOutputName("mp2", TempFolder());
    EXPECT_EQ(g_Project.GetSlideshow(1)->m_strOutputFile, g_Project.m_Settings.m_strOutputPath + "/x_y_3.avi");
    EXPECT_TRUE(AllDistinct());
    ASSERT_EQ(g_Project.DeleteSlideshow(3), 0);
    ASSERT_EQ(g_Project.AddSlideshow("x_y_3"), 0);
    EXPECT_EQ(g_Project.GetSlideshow(1)->m_strOutputFile, g_Project.m_Settings.m_strOutputPath + "/x_y_1.avi");
    EXPECT_EQ(g_Project.GetSlideshow(1)->m_strMp2File, TempFolder() + "/x_y_1.mp2");

    // The stems stay with their slideshows when the list changes.
    ASSERT_EQ(g_Project.DeleteSlideshow(0), 0);
    ASSERT_EQ(g_Project.MoveSlideshowDown(0), 0);
    EXPECT_EQ(g_Project.GetSlideshow(1)->GetFileStem(), "x_y_1");
    ASSERT_EQ(g_Project.AddSlideshow("x/y"), 0);
    EXPECT_EQ(g_Project.GetCurrentSlideshow()->GetFileStem(), "x_y");
    EXPECT_TRUE(AllDistinct());
}

TEST_F(SlideshowFileNamesTest, ARenamedSlideshowTakesAFreeStemAndMovesItsCover) {
    const std::string picture = MakePicture("p.bmp");
    if (picture.empty()) GTEST_SKIP() << "pictures cannot be written in this build";
    ASSERT_EQ(g_Project.AddSlideshow("x_y"), 0);
    ASSERT_EQ(g_Project.AddSlideshow("other"), 0);
    CSlideShow& other = *g_Project.GetCurrentSlideshow();
    ASSERT_EQ(other.AddSlideFile(picture, g_Project.m_Settings), 0);
    ASSERT_TRUE(std::filesystem::exists(other.m_strCoverBmp));

    ASSERT_EQ(g_Project.RenameSlideshow("other", "x/y"), 0);
    EXPECT_EQ(other.GetFileStem(), "x_y_1");
    EXPECT_EQ(other.m_strCoverBmp, TempFolder() + "/cover_x_y_1.bmp");
    EXPECT_TRUE(std::filesystem::exists(other.m_strCoverBmp));
    EXPECT_TRUE(AllDistinct());
    // A slideshow added under the old name does not meet the renamed one's files.
    ASSERT_EQ(g_Project.AddSlideshow("other"), 0);
    EXPECT_TRUE(AllDistinct());
    // One named as its suffixed form takes that; it moves on, and so does its cover.
    ASSERT_EQ(g_Project.AddSlideshow("x_y_1"), 0);
    EXPECT_EQ(other.GetFileStem(), "x_y_2");
    EXPECT_TRUE(std::filesystem::exists(TempFolder() + "/cover_x_y_2.bmp"));
    EXPECT_TRUE(AllDistinct());
    // Renamed to a name of its own, it keeps the plain form.
    ASSERT_EQ(g_Project.RenameSlideshow("x/y", "free"), 0);
    EXPECT_EQ(other.GetFileStem(), "free");
}

TEST_F(SlideshowFileNamesTest, ARenameKeepsTheSlidesAndMusicWhereTheyAre) {
    // A project from another data folder: its slide shows an edited copy outside this temp folder.
    const std::string picture = MakePicture("p.bmp"), edited = MakePicture("elsewhere/p_edited.bmp", 90);
    if (picture.empty() || edited.empty()) GTEST_SKIP() << "pictures cannot be written in this build";
    ASSERT_TRUE(InstallAudioLibrary());
    ASSERT_EQ(g_Project.AddSlideshow("trip"), 0);
    CSlideShow* show = g_Project.GetCurrentSlideshow();
    ASSERT_EQ(show->AddSlideFile(picture, g_Project.m_Settings), 0);
    ASSERT_EQ(show->AddAudioFile(MakeMusic("song.wav"), g_Project.m_Config.m_strWorkingFolder), 0);
    show->m_arrSlides[0]->m_strTempFile = edited;
    g_Project.m_Config.m_strProjectFile = UserFile("trip.prg");
    ASSERT_TRUE(g_Project.SaveProjectSilent());
    g_Project.DeleteAllSlideshows();
    ASSERT_TRUE(g_Project.LoadProject());
    show = g_Project.GetSlideshow(0);
    ASSERT_TRUE(show && show->GetSlideCount() == 1 && show->GetAudioCount() == 1);
    ASSERT_EQ(show->m_arrSlides[0]->m_strTempFile, edited);
    const std::string music = show->GetAudioAt(0)->m_strTempMp2;

    ASSERT_EQ(g_Project.RenameSlideshow("trip", "holiday"), 0);
    EXPECT_EQ(show->m_arrSlides[0]->m_strTempFile, edited);
    EXPECT_EQ(show->GetAudioAt(0)->m_strTempMp2, music);
    EXPECT_EQ(show->m_strM2vFile, TempFolder() + "/holiday.m2v");
    ASSERT_TRUE(g_Project.SaveProjectSilent());
    g_Project.DeleteAllSlideshows();
    ASSERT_TRUE(g_Project.LoadProject());
    ASSERT_EQ(g_Project.GetSlideshowCount(), 1);
    EXPECT_EQ(g_Project.GetSlideshow(0)->m_strName, "holiday");
    EXPECT_EQ(g_Project.GetSlideshow(0)->m_arrSlides[0]->m_strTempFile, edited);
}

TEST_F(SlideshowFileNamesTest, AProjectFileWithBothNamesReadsBackWithDistinctFiles) {
    const std::string picture = MakePicture("p.bmp");
    if (picture.empty()) GTEST_SKIP() << "pictures cannot be written in this build";
    for (const char* name : {"x/y", "x_y"}) {
        ASSERT_EQ(g_Project.AddSlideshow(name), 0);
        ASSERT_EQ(g_Project.GetCurrentSlideshow()->AddSlideFile(picture, g_Project.m_Settings), 0);
    }
    g_Project.m_Config.m_strProjectFile = UserFile("two.prg");
    ASSERT_TRUE(g_Project.SaveProjectSilent());
    g_Project.DeleteAllSlideshows();
    ASSERT_TRUE(g_Project.LoadProject());
    ASSERT_EQ(g_Project.GetSlideshowCount(), 2);
    EXPECT_EQ(g_Project.GetSlideshow(0)->GetFileStem(), "x_y");
    EXPECT_EQ(g_Project.GetSlideshow(1)->GetFileStem(), "x_y_1");
    EXPECT_TRUE(AllDistinct());
}

} // namespace
