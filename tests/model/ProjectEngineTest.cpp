#include <filesystem>

#include "model/Log.h"
#include "tests/model/ProjectTestEnv.h"

using ProjectEngineTest = ProjectTestEnv;

TEST_F(ProjectEngineTest, DefaultNamesCutNamesAndTheLimit) {
    EXPECT_EQ(g_Project.MakeDefaultSlideshowName(), "Slideshow_0");
    ASSERT_EQ(g_Project.AddSlideshow("Slideshow_1"), 0);
    EXPECT_EQ(g_Project.MakeDefaultSlideshowName(), "Slideshow_2");

    // Cut to 15 characters before the uniqueness test.
    EXPECT_EQ(g_Project.AddSlideshow("abcdefghijklmnoP"), 0);
    EXPECT_EQ(g_Project.GetSlideshow(1)->m_strName, "abcdefghijklmno");
    EXPECT_EQ(g_Project.AddSlideshow("abcdefghijklmnoQ"), 1);
    EXPECT_EQ(g_Project.AddSlideshow(""), 1);

    // Characters, not bytes: 15 two-byte letters stay whole.
    const std::string e = "\xC3\xA9";
    std::string sixteen;
    for (int i = 0; i < 16; ++i) sixteen += e;
    ASSERT_EQ(g_Project.AddSlideshow(sixteen), 0);
    EXPECT_EQ(g_Project.GetCurrentSlideshow()->m_strName, sixteen.substr(0, 30));
    ASSERT_EQ(g_Project.AddSlideshow("abcdefghijklmn" + e + "z"), 0);
    EXPECT_EQ(g_Project.GetCurrentSlideshow()->m_strName, "abcdefghijklmn" + e);
    EXPECT_TRUE(m_ui->Boxes().empty());
    // Renaming cuts the same way: the cut name is what must be unique.
    EXPECT_EQ(g_Project.RenameSlideshow("Slideshow_1", "abcdefghijklmnoZ"), -1);
    EXPECT_EQ(g_Project.RenameSlideshow("missing", "third"), -1);
    EXPECT_EQ(g_Project.RenameSlideshow("Slideshow_1", ""), -1);
    EXPECT_EQ(g_Project.RenameSlideshow("Slideshow_1", "a name of twenty chars"), 0);
    EXPECT_EQ(g_Project.GetSlideshow(0)->m_strName, "a name of twent");

    while (g_Project.GetSlideshowCount() < MAX_SLIDESHOW_COUNT)
        ASSERT_EQ(g_Project.AddSlideshow(g_Project.MakeDefaultSlideshowName()), 0);
    g_Project.m_bModified = 0;
    EXPECT_EQ(g_Project.AddSlideshow("one more"), 1);
    EXPECT_EQ(g_Project.m_bModified, 1);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"get to Max slideshow count 50!"});
    EXPECT_EQ(g_Project.GetCurrentSlideshow()->GetIndex(), 49);
}

TEST_F(ProjectEngineTest, CurrentIndexAcrossDeletesAndMoves) {
    for (const char* name : {"a", "b", "c"}) ASSERT_EQ(g_Project.AddSlideshow(name), 0);
    g_Project.m_nCurrent = 1;
    EXPECT_EQ(g_Project.MoveSlideshowUp(2), 0);
    EXPECT_EQ(g_Project.m_nCurrent, 1);
    EXPECT_EQ(g_Project.GetSlideshow(1)->m_strName, "c");
    EXPECT_EQ(g_Project.MoveSlideshowDown(1), 0);
    EXPECT_EQ(g_Project.m_nCurrent, 2);
    EXPECT_EQ(g_Project.MoveSlideshowUp(0), 0);
    EXPECT_EQ(g_Project.MoveSlideshowDown(2), 0);
    EXPECT_EQ(g_Project.MoveSlideshowDown(3), 1);
    for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(g_Project.GetSlideshow(i)->GetIndex(), i);

    g_Project.m_nCurrent = 0;
    EXPECT_EQ(g_Project.DeleteSlideshow(0), 0);
    EXPECT_EQ(g_Project.m_nCurrent, 0);
    EXPECT_EQ(g_Project.DeleteSlideshow(5), 1);
    g_Project.DeleteAllSlideshows();
    EXPECT_EQ(g_Project.m_nCurrent, -1);
    EXPECT_EQ(g_Project.GetSlideshow(0), nullptr);
    EXPECT_EQ(g_Project.GetCurrentSlideshow(), nullptr);
}

TEST_F(ProjectEngineTest, EstimateAndWarning) {
    // Without a profile only the frame total moves.
    CSlideShow& show = ShowWithFiles({"a", "b", "c"}, 5, 2, 1);
    g_Project.m_Settings.IS_NTSC = 1;
    g_Project.CheckOutputSize();
    EXPECT_EQ(g_Project.GetTotalSeconds(), 15);
    EXPECT_EQ(g_Project.GetEstimatedSizeMB(), 0.0f);

    // 8192 kbit/s x 1.05 over 15 s.
    UseProfile("8000", "192");
    g_Project.CheckOutputSize();
    EXPECT_NEAR(g_Project.GetEstimatedSizeMB(), 15 * 1.05, 1e-4);
    EXPECT_TRUE(m_ui->Boxes().empty());

    // One second of 4000 x 8192 / 1.05 = 31207619.05 kbit/s makes 4000 MB; in single precision
    // the estimate moves in steps of 1/4096 MB there. Only an estimate above 4000 warns.
    show.m_arrSlides.resize(1);
    show.RecalcTiming();
    const struct {
        const char* kbits;
        float sizeMB;
        bool warns;
    } edges[] = {{"31207618", 3999.99976f, false}, {"31207619", 4000.0f, false}, {"31207622", 4000.00024f, true}};
    for (const auto& e : edges) {
        UseProfile(e.kbits, "0");
        g_Project.CheckOutputSize();
        EXPECT_EQ(g_Project.GetEstimatedSizeMB(), e.sizeMB) << e.kbits;
        EXPECT_EQ(m_ui->Boxes().size(), e.warns ? 1u : 0u) << e.kbits;
    }
    EXPECT_EQ(BoxTexts().back(),
              "Length Is over 4000M! Please delete some Image or change Image display time in Preference Screen!");

    g_Project.m_fSizeMB = 4500.0f;
    EXPECT_FALSE(g_Project.IsOverSizeLimit());
    g_Project.m_fSizeMB = 4500.0005f;
    EXPECT_TRUE(g_Project.IsOverSizeLimit());

    show.m_arrSlides.clear();
    show.RecalcTiming();
    g_Project.CheckOutputSize();
    EXPECT_EQ(g_Project.GetTotalFrames(), 0);
    EXPECT_EQ(g_Project.GetEstimatedSizeMB(), 0.0f);
}

TEST_F(ProjectEngineTest, SettingsReachEverySlide) {
    CSlideShow& show = ShowWithFiles({"a", "b"}, 5, 2, 0);
    g_Project.m_Settings.IS_NTSC = 1;
    g_Project.m_Settings.m_Effect.m_nSingleEffectTime = 4;
    g_Project.m_Settings.m_Effect.m_nTransitionTime = 1;
    g_Project.m_bModified = 0;
    g_Project.ApplySettingsToAllSlides();
    EXPECT_EQ(g_Project.m_bModified, 1);
    EXPECT_EQ(show.m_arrSlides[1]->m_Settings.m_Effect.m_nSingleEffectTime, 4);
    EXPECT_EQ(show.GetTotalFrames(), 10 * 25 + 25 - 5 * 25);
    EXPECT_EQ(g_Project.GetTotalFrames(), show.GetTotalFrames());

    g_Project.m_Settings.IS_NTSC = 0;
    g_Project.ApplyTvStandardToSlides();
    EXPECT_EQ(show.m_arrSlides[0]->m_Settings.IS_NTSC, 0);
    EXPECT_EQ(show.m_arrSlides[0]->m_Settings.m_Effect.m_nSingleEffectTime, 4);
}

TEST_F(ProjectEngineTest, OutputNamesAndSharedMusic) {
    EXPECT_EQ(g_Project.GetFirstAudioPath(), "");
    ASSERT_EQ(g_Project.AddSlideshow("first"), 0);
    ASSERT_EQ(g_Project.AddSlideshow("sec/ond"), 0);
    EXPECT_EQ(g_Project.GetFirstAudioPath(), g_Project.m_Config.m_strSilentMp2);

    g_Project.SetSlideshowOutputNames(); // no profile: nothing
    EXPECT_EQ(g_Project.GetSlideshow(1)->m_strOutputFile, TempFolder() + "/sec_ond.mpg");
    UseProfile("500", "64", "mp4");
    g_Project.SetSlideshowOutputNames();
    EXPECT_EQ(g_Project.GetSlideshow(1)->m_strOutputFile, g_Project.m_Settings.m_strOutputPath + "/sec_ond.mp4");
    // An output folder written with a trailing slash joins with one separator.
    const std::string output = g_Project.m_Settings.m_strOutputPath;
    g_Project.m_Settings.m_strOutputPath += "/";
    g_Project.SetSlideshowOutputNames();
    EXPECT_EQ(g_Project.GetSlideshow(1)->m_strOutputFile, output + "/sec_ond.mp4");
    g_Project.GetSlideshow(1)->SetAudioOutputName("mp2", output + "/");
    EXPECT_EQ(g_Project.GetSlideshow(1)->m_strMp2File, output + "/sec_ond.mp2");

    ASSERT_EQ(g_Project.GetSlideshow(0)->AddDefaultMusic(), 0);
    EXPECT_EQ(g_Project.GetFirstAudioPath(), TempFolder() + "/first.mp2");
    g_Project.ShareFirstAudioPath();
    EXPECT_EQ(g_Project.GetSlideshow(1)->m_strMp2File, TempFolder() + "/first.mp2");
}

TEST_F(ProjectEngineTest, InitTakesTheTvStandardFromTheProfile) {
    const std::string palProfile = ReadFileBytes(std::string(PICREEL_SOURCE_DIR) + "data/program/profile/avoutput/avi/avi_pal.xml");
    ASSERT_FALSE(palProfile.empty());
    WriteFileBytes(ProgramFile("profile/avoutput/profile_group.xml"),
                   "<av_output_profile_group count=\"1\"><group id=\"0\" desc=\"d\" folder=\"g\"/></av_output_profile_group>");
    WriteFileBytes(ProgramFile("profile/avoutput/g/p.xml"), palProfile);
    g_Project.Clear();
    g_Project.Init(m_program);
    EXPECT_EQ(g_Project.m_Settings.IS_NTSC, 1);
    EXPECT_EQ(g_Project.m_bModified, 0);
    EXPECT_TRUE(FolderExists(g_Project.m_Settings.m_strTempPath));

    // Any other frame rate leaves the standard as it was.
    std::string other = palProfile;
    other.replace(other.find("framerate value=\"25\""), 20, "framerate value=\"30\"");
    WriteFileBytes(ProgramFile("profile/avoutput/g/p.xml"), other);
    g_Project.Clear();
    g_Project.m_Settings.IS_NTSC = 1;
    // Without a preference file the flag in memory is the one kept.
    std::filesystem::remove(DataFile("referenceFile.xml"));
    g_Project.Init(m_program);
    EXPECT_EQ(g_Project.m_Settings.IS_NTSC, 1);
}

TEST_F(ProjectEngineTest, NewSlideshowFromPicturesNotifiesThePages) {
    REQUIRE_PICTURE(WritePicture(UserFile("pics/one.bmp"), 40, 30, PIXFORMAT_BMP));
    ASSERT_TRUE(WritePicture(UserFile("pics/two.bmp"), 30, 40, PIXFORMAT_BMP));
    WriteFileBytes(UserFile("pics/broken.bmp"), "nothing");
    CMsgWindow page;
    g_Project.m_Config.FDSearchPath = UserFile("start");
    m_ui->QueueFiles({UserFile("pics/one.bmp"), UserFile("pics/broken.bmp"), UserFile("pics/two.bmp")});
    g_Project.NewSlideshowFromFiles(&page);

    ASSERT_EQ(g_Project.GetSlideshowCount(), 1);
    CSlideShow& show = *g_Project.GetCurrentSlideshow();
    EXPECT_EQ(show.m_strName, "Slideshow_0");
    EXPECT_EQ(show.GetSlideCount(), 2);
    EXPECT_EQ(show.GetAudioCount(), 1); // the default music
    EXPECT_EQ(g_Project.m_Config.FDSearchPath, UserFile("pics"));
    EXPECT_EQ(Messages(page), (std::vector<UINT>{WM_SHOW_CURRENT_SLIDESHOW, WM_REFRESH_PROJECT_TREE}));
    EXPECT_EQ(Messages(m_mainWnd), (std::vector<UINT>{WM_REBUILD_PAGE_TREE, WM_PROJECT_SIZE_CHANGED}));
    EXPECT_NE(ReadFileBytes(GetLogFilePath()).find(": Add Slideshow named Slideshow_0\n"), std::string::npos);

    // Cancelled: the new slideshow goes again, the pages are told all the same.
    g_Project.NewSlideshowFromFiles(&page);
    EXPECT_EQ(g_Project.GetSlideshowCount(), 1);
    EXPECT_EQ(g_Project.m_nCurrent, 0);
    EXPECT_EQ(Messages(page), (std::vector<UINT>{WM_SHOW_CURRENT_SLIDESHOW, WM_REFRESH_PROJECT_TREE}));
    EXPECT_EQ(Messages(m_mainWnd), std::vector<UINT>{WM_PROJECT_SIZE_CHANGED});

    // No picture loads: the slideshow goes as well.
    m_ui->QueueFiles({UserFile("pics/broken.bmp")});
    g_Project.NewSlideshowFromFiles(&page);
    EXPECT_EQ(g_Project.GetSlideshowCount(), 1);
    // Each dialog starts where the last picture chosen came from.
    EXPECT_EQ(m_ui->OpenFolders(),
              (std::vector<std::string>{UserFile("start"), UserFile("pics"), UserFile("pics")}));
}

TEST_F(ProjectEngineTest, PicturesOverTheLimitAreTakenOutAndTheEstimateFollows) {
    // PAL, 3 s + 2 s per slide: n slides last 5n - 4 seconds; about 500 MB per second.
    std::vector<std::string> files;
    for (int i = 0; i < 4; ++i) {
        files.push_back(UserFile("p" + std::to_string(i) + ".bmp"));
        REQUIRE_PICTURE(WritePicture(files.back(), 16, 16, PIXFORMAT_BMP));
    }
    g_Project.m_Settings.IS_NTSC = 1;
    UseProfile("3900000", "952");
    CMsgWindow page;
    m_ui->QueueFiles(files);
    g_Project.NewSlideshowFromFiles(&page);

    ASSERT_EQ(g_Project.GetSlideshowCount(), 1);
    EXPECT_EQ(g_Project.GetCurrentSlideshow()->GetSlideCount(), 2);
    EXPECT_EQ(g_Project.GetTotalFrames(), 150);
    EXPECT_NEAR(g_Project.GetEstimatedSizeMB(), 3000.0, 1.0);
    EXPECT_FALSE(g_Project.IsOverSizeLimit());
    EXPECT_EQ(m_ui->Boxes().size(), 2u); // one warning per picture taken out
}
