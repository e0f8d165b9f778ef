#include <climits>
#include <filesystem>

#include "model/TransitionFactory.h"
#include "tests/model/ProjectTestEnv.h"

using SlideShowTest = ProjectTestEnv;

TEST_F(SlideShowTest, TimingFollowsTheFrameRule) {
    // PAL, 5 s display and 2 s transition each: 21 x 25 + 25 - (2 + 5) x 25.
    CSlideShow& pal = ShowWithFiles({"a", "b", "c"}, 5, 2, 1);
    EXPECT_EQ(pal.GetTotalFrames(), 375);
    EXPECT_EQ(pal.m_arrSlides[0]->m_nStartSeconds, 0);
    EXPECT_EQ(pal.m_arrSlides[1]->m_nStartSeconds, 7);
    EXPECT_EQ(pal.m_arrSlides[2]->m_strStartTime, "00:00:14");
    EXPECT_DOUBLE_EQ(pal.GetTotalSeconds(), 15.0);

    // NTSC truncates at every step: 209, 238, then 28.
    CSlideShow& ntsc = ShowWithFiles({"d"}, 5, 2, 0);
    EXPECT_EQ(ntsc.GetTotalFrames(), 28);

    // The first slide's standard sets the rate of all.
    ntsc.m_arrSlides.insert(ntsc.m_arrSlides.begin(), std::move(pal.m_arrSlides[0]));
    ntsc.RecalcTiming();
    EXPECT_EQ(ntsc.GetTotalFrames(), 14 * 25 + 25 - 7 * 25);
}

TEST_F(SlideShowTest, EmptyAndExtremeTimings) {
    CSlideShow& show = ShowWithFiles({});
    EXPECT_EQ(show.GetTotalFrames(), 0);
    EXPECT_EQ(show.GetTotalSeconds(), 0.0);

    // A display time that overflows a frame count holds the count at its largest.
    CSlideShow& huge = ShowWithFiles({"a", "b", "c"}, 5, 2, 1);
    huge.m_arrSlides[1]->m_Settings.m_Effect.m_nSingleEffectTime = INT_MAX;
    huge.RecalcTiming();
    EXPECT_EQ(huge.GetTotalFrames(), INT_MAX);
    EXPECT_EQ(huge.m_arrSlides[1]->m_nStartSeconds, 7);
    EXPECT_EQ(huge.m_arrSlides[2]->m_nStartSeconds, INT_MAX);
}

TEST_F(SlideShowTest, MoveBlockFollowsTheSlidesWhateverTheListOrder) {
    CSlideShow& show = ShowWithFiles({"A", "B", "C", "D", "E", "F"});
    const int32_t ascending[] = {1, 3};
    EXPECT_EQ(show.MoveBlock(ascending, 2, 0, true), 2);
    EXPECT_EQ(Order(show), "BDACEF");

    CSlideShow& other = ShowWithFiles({"A", "B", "C", "D", "E", "F"});
    const int32_t descending[] = {3, 1};
    EXPECT_EQ(other.MoveBlock(descending, 2, 0, true), 2);
    EXPECT_EQ(Order(other), "DBACEF");

    // After the target: each moved slide goes right after it.
    CSlideShow& after = ShowWithFiles({"A", "B", "C", "D", "E", "F"});
    const int32_t firstTwo[] = {0, 1};
    EXPECT_EQ(after.MoveBlock(firstTwo, 2, 4, false), 2);
    EXPECT_EQ(Order(after), "CDEBAF");

    // Entries outside the slideshow and repeats are skipped.
    CSlideShow& skip = ShowWithFiles({"A", "B", "C", "D", "E", "F"});
    const int32_t noisy[] = {5, 99, -3, 5, 2};
    EXPECT_EQ(skip.MoveBlock(noisy, 5, 1, true), 3);
    EXPECT_EQ(Order(skip), "AFCBDE");

    const int32_t one[] = {0};
    EXPECT_EQ(skip.MoveBlock(one, 1, 6, true), -1);
    EXPECT_EQ(skip.MoveBlock(one, 0, 4, true), 4);
    EXPECT_EQ(Order(skip), "AFCBDE");
}

TEST_F(SlideShowTest, RemoveSlidesTakesAnyOrderAndKeepsTheCover) {
    CSlideShow& show = ShowWithFiles({"A", "B", "C", "D", "E", "F"}, 5, 2, 1);
    show.m_nCoverSlide = 5;
    const int32_t doomed[] = {0, 4, 2, 4, 99, -1};
    EXPECT_EQ(show.RemoveSlides(doomed, 6), 0);
    EXPECT_EQ(Order(show), "BDF");
    EXPECT_EQ(show.m_nCoverSlide, 2); // still F
    EXPECT_EQ(show.GetTotalFrames(), 3 * 175 + 25 - 175);
    EXPECT_TRUE(Messages(m_mainWnd).empty());

    // Removing the cover makes the first slide the cover.
    const int32_t cover[] = {2};
    show.RemoveSlides(cover, 1);
    EXPECT_EQ(Order(show), "BD");
    EXPECT_EQ(show.m_nCoverSlide, 0);
    EXPECT_EQ(Messages(m_mainWnd), std::vector<UINT>{WM_REBUILD_PAGE_TREE});

    EXPECT_EQ(show.RemoveSlideAt(2), 1);
    EXPECT_EQ(show.RemoveSlideAt(-1), 1);
}

TEST_F(SlideShowTest, SingleMovesSwapsAndSorts) {
    CSlideShow& show = ShowWithFiles({"c", "a", "b"});
    bool becameFirst = false;
    EXPECT_EQ(show.MoveSlideUp(0, &becameFirst), 0);
    EXPECT_FALSE(becameFirst);
    EXPECT_EQ(show.MoveSlideUp(1, &becameFirst), 0);
    EXPECT_TRUE(becameFirst);
    EXPECT_EQ(Order(show), "acb");
    EXPECT_EQ(show.MoveSlideDown(2), 0);
    EXPECT_EQ(show.MoveSlideDown(3), 1);
    EXPECT_EQ(show.SwapSlides(1, 1), 1);
    EXPECT_EQ(show.SwapSlides(0, 2), 0);
    EXPECT_EQ(Order(show), "bca");

    show.SortByNameAsc();
    EXPECT_EQ(Order(show), "abc");
    show.SortByNameDesc();
    EXPECT_EQ(Order(show), "cba");
    show.m_arrSlides[0]->m_tFileTime = 30;
    show.m_arrSlides[1]->m_tFileTime = 10;
    show.m_arrSlides[2]->m_tFileTime = 20;
    show.SortByDateAsc();
    EXPECT_EQ(Order(show), "bac");
    show.SortByDateDesc();
    EXPECT_EQ(Order(show), "cab");
}

TEST_F(SlideShowTest, SelectionSettersSkipBadIndices) {
    CSlideShow& show = ShowWithFiles({"a", "b", "c"}, 5, 2, 1);
    const int32_t picked[] = {2, 7, 0};
    show.SetEffectTime(picked, 3, 1);
    show.SetTransitionTime(picked, 3, 0);
    EXPECT_EQ(show.m_arrSlides[1]->m_Settings.m_Effect.m_nSingleEffectTime, 5);
    EXPECT_EQ(show.m_arrSlides[2]->m_Settings.m_Effect.m_nSingleEffectTime, 1);
    EXPECT_EQ(show.GetTotalFrames(), (1 + 7 + 1) * 25 + 25 - (0 + 1) * 25);

    auto prototype = MakeTransition(TRANSITION_RANDOM, false);
    EXPECT_EQ(show.SetTransition(picked, 3, prototype.get()), 3);
    for (int32_t i : {0, 2}) EXPECT_NE(show.m_arrSlides[static_cast<size_t>(i)]->m_Settings.m_Effect.m_pTransition->m_nKind, TRANSITION_RANDOM);

    show.SetSingleEffectType(picked, 3, 1);
    EXPECT_LT(show.m_arrSlides[0]->m_Settings.m_Effect.m_nSingleEffectId, 8);
}

TEST_F(SlideShowTest, CoverIndexOutsideIsKeptAndClampedLater) {
    CSlideShow& show = ShowWithFiles({"a", "b", "c"});
    Messages(m_mainWnd);
    g_Project.m_bOutputChanged = 0;
    show.SetCoverSlide(5);
    EXPECT_EQ(show.m_nCoverSlide, 5);
    EXPECT_TRUE(Messages(m_mainWnd).empty());
    EXPECT_EQ(g_Project.m_bOutputChanged, 0);
    CSlideItem* cover = nullptr;
    EXPECT_EQ(show.GetCoverSlide(&cover), 0);
    EXPECT_EQ(show.m_nCoverSlide, 2);
    EXPECT_EQ(cover, show.m_arrSlides[2].get());

    CSlideShow& empty = ShowWithFiles({});
    EXPECT_EQ(empty.GetCoverSlide(&cover), 1);
}

TEST_F(SlideShowTest, NamesInPathsCannotLeaveTheirFolder) {
    ASSERT_EQ(g_Project.AddSlideshow("../x/y\\z"), 0);
    CSlideShow& show = *g_Project.GetCurrentSlideshow();
    EXPECT_EQ(show.m_strName, "../x/y\\z");
    const std::string temp = TempFolder() + "/";
    EXPECT_EQ(show.m_strM2vFile, temp + ".._x_y_z.m2v");
    EXPECT_EQ(show.m_strMp2File, temp + ".._x_y_z.mp2");
    EXPECT_EQ(show.m_strYuvFile, temp + ".._x_y_z.yuv");
    EXPECT_EQ(show.m_strOutputFile, temp + ".._x_y_z.mpg");
    EXPECT_EQ(show.m_strCoverBmp, temp + "cover_.._x_y_z.bmp");
    show.SetOutputName("avi", "/out");
    EXPECT_EQ(show.m_strOutputFile, "/out/.._x_y_z.avi");
    show.SetAudioOutputName("mp2", "/t");
    EXPECT_EQ(show.m_strMp2File, "/t/.._x_y_z.mp2");
    show.SetTempFolder("/new");
    EXPECT_EQ(show.m_strCoverBmp, "/new/cover_.._x_y_z.bmp");
}

TEST_F(SlideShowTest, SlidesNeedPicturesAndTheFirstBecomesTheCover) {
    REQUIRE_PICTURE(WritePicture(File("p1.bmp"), 40, 30, PIXFORMAT_BMP));
    ASSERT_TRUE(WritePicture(File("p2.bmp"), 30, 40, PIXFORMAT_BMP));
    WriteFileBytes(File("fake.bmp"), "BM but no picture");
    ASSERT_EQ(g_Project.AddSlideshow("show"), 0);
    CSlideShow& show = *g_Project.GetCurrentSlideshow();
    Messages(m_mainWnd);

    EXPECT_EQ(show.AddSlideFile(File("p1.bmp"), g_Project.m_Settings), 0);
    EXPECT_EQ(show.AddSlideFile(File("p1.bmp"), g_Project.m_Settings), 1);
    EXPECT_EQ(show.AddSlideFile(File("fake.bmp"), g_Project.m_Settings), 1);
    EXPECT_EQ(show.AddSlideFile(File("missing.bmp"), g_Project.m_Settings), 1);
    EXPECT_EQ(show.AddSlideFile("", g_Project.m_Settings), 1);
    EXPECT_EQ(show.AddSlideFile(File("p2.bmp"), g_Project.m_Settings), 0);
    EXPECT_EQ(show.GetSlideCount(), 2);

    // Only the first slide chose the cover: one notice, one cover picture of 80 x 60.
    EXPECT_EQ(Messages(m_mainWnd), std::vector<UINT>{WM_REBUILD_PAGE_TREE});
    EXPECT_EQ(show.m_nCoverSlide, 0);
    CPixImage cover;
    ASSERT_TRUE(cover.Load(show.m_strCoverBmp.c_str(), PIXFORMAT_BMP));
    EXPECT_EQ(cover.GetWidth(), 80u);
    EXPECT_EQ(cover.GetHeight(), 60u);

    // Each slide received its own copy of the project settings, and the timing was kept.
    EXPECT_TRUE(show.m_arrSlides[1]->m_Settings.m_strWorkingPath.empty());
    EXPECT_EQ(show.m_arrSlides[1]->m_Settings.m_strTempPath, g_Project.m_Settings.m_strTempPath);
    EXPECT_GT(show.GetTotalFrames(), 0);
}

TEST_F(SlideShowTest, MusicEntriesStartOneAfterAnother) {
    ASSERT_EQ(g_Project.AddSlideshow("music"), 0);
    CSlideShow& show = *g_Project.GetCurrentSlideshow();
    for (int32_t length : {100, 200, 50}) {
        auto entry = std::make_unique<CAudioItem>(File("none.mp3"), "none.mp3", File("none.mp2"));
        entry->m_nDuration = length;
        show.m_arrAudio.push_back(std::move(entry));
    }
    show.RecalcAudioStarts();
    EXPECT_EQ(show.GetAudioAt(1)->m_nStart, 100);
    EXPECT_EQ(show.GetAudioAt(1)->m_strStart, "00:01:40");
    EXPECT_EQ(show.GetAudioAt(2)->m_nStart, 300);
    EXPECT_EQ(show.RemoveAudioAt(0), 0);
    EXPECT_EQ(show.GetAudioAt(0)->m_nStart, 0);
    EXPECT_EQ(show.GetAudioAt(1)->m_nStart, 200);
    show.MoveAudioUp(1);
    EXPECT_EQ(show.GetAudioAt(0)->m_nDuration, 50);
    EXPECT_EQ(show.GetAudioAt(1)->m_nStart, 50);
    show.MoveAudioDown(1); // the last: nothing
    show.MoveAudioDown(0);
    EXPECT_EQ(show.GetAudioAt(1)->m_nDuration, 50);
    EXPECT_EQ(show.GetAudioAt(1)->m_nStart, 200);
    EXPECT_EQ(show.RemoveAudioAt(2), 1);
    EXPECT_EQ(show.GetAudioAt(2), nullptr);
}

TEST_F(SlideShowTest, MusicFilesNeverShareATemporaryFile) {
    // Without the converter library every file measures 1 second and is taken.
    ASSERT_EQ(g_Project.AddSlideshow("song"), 0);
    CSlideShow& show = *g_Project.GetCurrentSlideshow();
    const std::string working = g_Project.m_Config.m_strWorkingFolder;
    WriteFileBytes(File("a/song.mp3"), "x");
    WriteFileBytes(File("b/song.mp3"), "y");
    WriteFileBytes(File("c/song.wav"), "z");
    EXPECT_EQ(show.AddAudioFile(File("a/song.mp3"), working), 0);
    EXPECT_EQ(show.AddAudioFile(File("a/song.mp3"), working), 1);
    EXPECT_EQ(show.AddAudioFile(File("b/song.mp3"), working), 0);
    EXPECT_EQ(show.AddAudioFile(File("c/song.wav"), working), 0);
    EXPECT_EQ(show.AddAudioFile("", working), 1);
    EXPECT_EQ(show.AddAudioFile(File("c/song.wav"), ""), 1);
    ASSERT_EQ(show.GetAudioCount(), 3);
    EXPECT_EQ(show.GetAudioAt(0)->m_nDuration, 1);
    EXPECT_EQ(show.GetAudioAt(2)->m_nStart, 2);

    // The joined file "song.mp2" is written from the entries: none of them may be it.
    std::set<std::string> paths{show.m_strMp2File};
    for (int32_t i = 0; i < 3; ++i) paths.insert(show.GetAudioAt(i)->m_strTempMp2);
    EXPECT_EQ(paths.size(), 4u);
    show.SetAudioOutputName("mp2", "/t");
    paths = {show.m_strMp2File};
    for (int32_t i = 0; i < 3; ++i) paths.insert(show.GetAudioAt(i)->m_strTempMp2);
    EXPECT_EQ(paths.size(), 4u);
    EXPECT_EQ(show.GetAudioOutputPath(), "/t/song.mp2");
}

TEST_F(SlideShowTest, MusicDialogTakesOnlyMusicExtensions) {
    ASSERT_EQ(g_Project.AddSlideshow("show"), 0);
    CSlideShow& show = *g_Project.GetCurrentSlideshow();
    WriteFileBytes(File("loud.WMA"), "x");
    WriteFileBytes(File("notes.txt"), "x");
    WriteFileBytes(File("tune.mp2"), "x");
    m_ui->QueueFiles({File("loud.WMA"), File("notes.txt"), File("tune.mp2")});
    show.AddAudioFilesDialog();
    ASSERT_EQ(show.GetAudioCount(), 2);
    EXPECT_EQ(show.GetAudioAt(0)->m_strName, "loud.WMA");
    EXPECT_EQ(show.GetAudioAt(1)->m_strName, "tune.mp2");
}

namespace {
void PutLe(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A mono 16-bit PCM WAV file of a quiet tone.
std::string WavBytes(uint32_t seconds, uint32_t rate = 8000) {
    const uint32_t dataBytes = seconds * rate * 2;
    std::string wav = "RIFF";
    PutLe(wav, 36 + dataBytes, 4);
    wav += "WAVEfmt ";
    PutLe(wav, 16, 4);
    PutLe(wav, 1, 2);        // PCM
    PutLe(wav, 1, 2);        // mono
    PutLe(wav, rate, 4);
    PutLe(wav, rate * 2, 4); // bytes per second
    PutLe(wav, 2, 2);        // block align
    PutLe(wav, 16, 2);       // bits
    wav += "data";
    PutLe(wav, dataBytes, 4);
    for (uint32_t i = 0; i < seconds * rate; ++i) PutLe(wav, (i / 10) % 2 ? 1000 : 0xFFFF - 999, 2);
    return wav;
}
} // namespace

TEST_F(SlideShowTest, MusicFilesAreMeasuredByTheConverterLibrary) {
    const std::string library = std::string(PICREEL_PROGRAM_DIR) + "libxToMp2.so";
    if (!FileExists(library)) GTEST_SKIP() << "the audio converter library is not built";
    std::filesystem::create_symlink(library, File("libxToMp2.so"));
    WriteFileBytes(File("tune.wav"), WavBytes(3));
    WriteFileBytes(File("words.mp3"), "this is not music at all");
    EXPECT_EQ(g_Project.GetAudioFileSeconds(File("tune.wav")), 3);

    ASSERT_EQ(g_Project.AddSlideshow("show"), 0);
    CSlideShow& show = *g_Project.GetCurrentSlideshow();
    const std::string working = g_Project.m_Config.m_strWorkingFolder;
    EXPECT_EQ(show.AddAudioFile(File("tune.wav"), working), 0);
    EXPECT_EQ(show.GetAudioAt(0)->m_strDuration, "00:00:03");

    // Refused with a message, and reported as refused.
    EXPECT_EQ(show.AddAudioFile(File("words.mp3"), working), 1);
    EXPECT_EQ(show.GetAudioCount(), 1);
    ASSERT_EQ(m_ui->Boxes().size(), 1u);
    EXPECT_EQ(m_ui->Boxes()[0].text, "file:'" + File("words.mp3") + "' is not a legal mp3 file, so it will not be added!");

    // A missing file stands for the default music.
    const std::string defaultMusic = std::string(PICREEL_PROGRAM_DIR) + "menu_pic/default.mp3";
    if (FileExists(defaultMusic)) {
        WriteFileBytes(File("menu_pic/default.mp3"), ReadFileBytes(defaultMusic));
        EXPECT_EQ(show.AddAudioFile(File("gone.mp3"), working), 0);
        EXPECT_EQ(show.GetAudioAt(1)->m_strOriginalPath, g_Project.m_Config.m_strDefaultMusic);
        EXPECT_GT(show.GetAudioAt(1)->m_nDuration, 0);
        EXPECT_EQ(show.GetAudioAt(1)->m_nStart, 3);
    }
}
