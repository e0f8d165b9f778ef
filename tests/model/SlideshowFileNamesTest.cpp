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
    struct Case {
        const char* name;
        const char* stem;
    };
    // In the order added: the first keeps the plain form, later ones get the next free suffix,
    // and a name that is itself a taken suffixed form moves on too.
    const Case cases[] = {{"x/y", "x_y"}, {"x_y", "x_y_1"}, {"x\\y", "x_y_2"}, {"x_y_1", "x_y_1_1"}, {"z", "z"}};
    for (const Case& c : cases) {
        ASSERT_EQ(g_Project.AddSlideshow(c.name), 0) << c.name;
        const CSlideShow& show = *g_Project.GetCurrentSlideshow();
        EXPECT_EQ(show.m_strName, c.name);
        EXPECT_EQ(show.GetFileStem(), c.stem);
        EXPECT_EQ(show.m_strM2vFile, temp + c.stem + ".m2v");
        EXPECT_EQ(show.m_strCoverBmp, temp + "cover_" + c.stem + ".bmp");
    }
    EXPECT_TRUE(AllDistinct());

    UseProfile("500", "64", "avi");
    g_Project.SetSlideshowOutputNames();
    for (const auto& show : g_Project.m_arrSlideshows) show->SetAudioOutputName("mp2", TempFolder());
    EXPECT_EQ(g_Project.GetSlideshow(1)->m_strOutputFile, g_Project.m_Settings.m_strOutputPath + "/x_y_1.avi");
    EXPECT_TRUE(AllDistinct());

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
    // Renamed to a name of its own, it keeps the plain form.
    ASSERT_EQ(g_Project.RenameSlideshow("x/y", "free"), 0);
    EXPECT_EQ(other.GetFileStem(), "free");
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
