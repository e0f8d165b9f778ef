#include <climits>
#include <set>

#include "tests/support/MissingDependency.h"
#include "model/TransitionFactory.h"
#include "tests/model/ProjectTestEnv.h"

using SlideShowTest = ProjectTestEnv;

namespace {
std::vector<int32_t> SlideStarts(const CSlideShow& show) {
    std::vector<int32_t> starts;
    for (const auto& slide : show.m_arrSlides) starts.push_back(slide->m_nStartSeconds);
    return starts;
}

// Each music entry as "duration@start".
std::vector<std::string> Music(const CSlideShow& show) {
    std::vector<std::string> entries;
    for (const auto& audio : show.m_arrAudio)
        entries.push_back(std::to_string(audio->m_nDuration) + "@" + std::to_string(audio->m_nStart));
    return entries;
}
} // namespace

TEST_F(SlideShowTest, TimingFollowsTheFrameRule) {
    // No slides, or slides of no time at all: no frames, not even the first slide's second.
    EXPECT_EQ(ShowWithFiles({}).GetTotalFrames(), 0);
    EXPECT_EQ(ShowWithFiles({"z", "y"}, 0, 0, 1).GetTotalFrames(), 0);
    // PAL, 5 s display and 2 s transition each: 21 x 25 + 25 - (2 + 5) x 25.
    CSlideShow& pal = ShowWithFiles({"a", "b", "c"}, 5, 2, 1);
    EXPECT_EQ(pal.GetTotalFrames(), 375);
    EXPECT_EQ(SlideStarts(pal), (std::vector<int32_t>{0, 7, 14}));
    EXPECT_EQ(pal.m_arrSlides[2]->m_strStartTime, "00:00:14");
    EXPECT_DOUBLE_EQ(pal.GetTotalSeconds(), 15.0);

    // NTSC truncates at every step: 209, 238, then 28.
    CSlideShow& ntsc = ShowWithFiles({"d"}, 5, 2, 0);
    EXPECT_EQ(ntsc.GetTotalFrames(), 28);
    // The first slide's standard sets the rate of all.
    ntsc.m_arrSlides.insert(ntsc.m_arrSlides.begin(), std::move(pal.m_arrSlides[0]));
    ntsc.RecalcTiming();
    EXPECT_EQ(ntsc.GetTotalFrames(), 14 * 25 + 25 - 7 * 25);

    // A display time that overflows a frame count holds the count at its largest.
    CSlideShow& huge = ShowWithFiles({"a", "b", "c"}, 5, 2, 1);
    huge.m_arrSlides[1]->m_Settings.m_Effect.m_nSingleEffectTime = INT_MAX;
    huge.RecalcTiming();
    EXPECT_EQ(huge.GetTotalFrames(), INT_MAX);
    EXPECT_EQ(SlideStarts(huge), (std::vector<int32_t>{0, 7, INT_MAX}));
}

TEST_F(SlideShowTest, MoveBlockFollowsTheSlidesWhateverTheListOrder) {
    // Moved one by one in list order, repeats once; after the target, each moved slide goes right
    // after it. An entry outside the slideshow ends the call with -1, keeping the moves before it.
    const struct {
        std::vector<int32_t> indices;
        int32_t target;
        bool before;
        int32_t result;
        const char* order;
    } cases[] = {
        {{1, 3}, 0, true, 2, "BDACEF"},       {{3, 1}, 0, true, 2, "DBACEF"},
        {{0, 1}, 4, false, 2, "CDEBAF"},      {{5, 2, 5}, 1, true, 3, "AFCBDE"},
        {{5, 99, 2}, 1, true, -1, "AFBCDE"},  {{1, 3, -3}, 0, true, -1, "BDACEF"},
        {{-1, 2}, 4, false, -1, "ABCDEF"},    {{2, 6}, 0, true, -1, "CABDEF"},
        {{0}, 6, true, -1, "ABCDEF"},
        {{}, 4, true, 4, "ABCDEF"},
    };
    for (const auto& c : cases) {
        CSlideShow& show = ShowWithFiles({"A", "B", "C", "D", "E", "F"});
        EXPECT_EQ(show.MoveBlock(c.indices.data(), static_cast<int32_t>(c.indices.size()), c.target, c.before),
                  c.result);
        EXPECT_EQ(Order(show), c.order);
    }
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
    const int times[] = {30, 10, 20};
    for (size_t i = 0; i < 3; ++i) show.m_arrSlides[i]->m_tFileTime = times[i];
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
    for (const std::string& path : {show.m_strM2vFile, show.m_strYuvFile, show.m_strOutputFile})
        EXPECT_EQ(path.substr(0, path.size() - 4), temp + ".._x_y_z");
    EXPECT_EQ(show.m_strCoverBmp, temp + "cover_.._x_y_z.bmp");
    show.SetOutputName("avi", "/out");
    EXPECT_EQ(show.m_strOutputFile, "/out/.._x_y_z.avi");
}

TEST_F(SlideShowTest, SlidesNeedPicturesAndTheFirstBecomesTheCover) {
    REQUIRE_PICTURE(WritePicture(UserFile("p1.bmp"), 40, 30, PIXFORMAT_BMP));
    ASSERT_TRUE(WritePicture(UserFile("p2.bmp"), 30, 40, PIXFORMAT_BMP));
    WriteFileBytes(UserFile("fake.bmp"), "BM but no picture");
    ASSERT_EQ(g_Project.AddSlideshow("show"), 0);
    CSlideShow& show = *g_Project.GetCurrentSlideshow();
    Messages(m_mainWnd);

    EXPECT_EQ(show.AddSlideFile(UserFile("p1.bmp"), g_Project.m_Settings), 0);
    EXPECT_EQ(show.AddSlideFile(UserFile("p1.bmp"), g_Project.m_Settings), 1);
    EXPECT_EQ(show.AddSlideFile(UserFile("fake.bmp"), g_Project.m_Settings), 1);
    EXPECT_EQ(show.AddSlideFile(UserFile("missing.bmp"), g_Project.m_Settings), 1);
    EXPECT_EQ(show.AddSlideFile("", g_Project.m_Settings), 1);
    EXPECT_EQ(show.AddSlideFile(UserFile("p2.bmp"), g_Project.m_Settings), 0);
    EXPECT_EQ(show.GetSlideCount(), 2);

    // Only the first slide chose the cover: one notice, one cover picture of 80 x 60.
    EXPECT_EQ(Messages(m_mainWnd), std::vector<UINT>{WM_REBUILD_PAGE_TREE});
    EXPECT_EQ(show.m_nCoverSlide, 0);
    CPixImage cover;
    ASSERT_TRUE(cover.Load(show.m_strCoverBmp.c_str(), PIXFORMAT_BMP));
    EXPECT_EQ(cover.GetWidth(), 80u);
    EXPECT_EQ(cover.GetHeight(), 60u);
}

TEST_F(SlideShowTest, MusicEntriesStartOneAfterAnother) {
    ASSERT_EQ(g_Project.AddSlideshow("music"), 0);
    CSlideShow& show = *g_Project.GetCurrentSlideshow();
    for (int32_t length : {100, 200, 50}) {
        auto entry = std::make_unique<CAudioItem>(UserFile("none.mp3"), "none.mp3", UserFile("none.mp2"));
        entry->m_nDuration = length;
        show.m_arrAudio.push_back(std::move(entry));
    }
    show.RecalcAudioStarts();
    EXPECT_EQ(Music(show), (std::vector<std::string>{"100@0", "200@100", "50@300"}));
    EXPECT_EQ(show.GetAudioAt(1)->m_strStart, "00:01:40");
    EXPECT_EQ(show.RemoveAudioAt(0), 0);
    EXPECT_EQ(Music(show), (std::vector<std::string>{"200@0", "50@200"}));
    show.MoveAudioUp(1);
    EXPECT_EQ(Music(show), (std::vector<std::string>{"50@0", "200@50"}));
    show.MoveAudioDown(1); // the last: nothing
    show.MoveAudioDown(0);
    EXPECT_EQ(Music(show), (std::vector<std::string>{"200@0", "50@200"}));
    EXPECT_EQ(show.RemoveAudioAt(2), 1);
    EXPECT_EQ(show.GetAudioAt(2), nullptr);
}

TEST_F(SlideShowTest, MusicFilesNeverShareATemporaryFile) {
    // Without the converter library every file measures 1 second and is taken.
    ASSERT_EQ(g_Project.AddSlideshow("song"), 0);
    CSlideShow& show = *g_Project.GetCurrentSlideshow();
    const std::string working = g_Project.m_Config.m_strWorkingFolder;
    WriteFileBytes(UserFile("a/song.mp3"), "x");
    WriteFileBytes(UserFile("b/song.mp3"), "y");
    WriteFileBytes(UserFile("c/song.wav"), "z");
    EXPECT_EQ(show.AddAudioFile(UserFile("a/song.mp3"), working), 0);
    EXPECT_EQ(show.AddAudioFile(UserFile("a/song.mp3"), working), 1);
    EXPECT_EQ(show.AddAudioFile(UserFile("b/song.mp3"), working), 0);
    EXPECT_EQ(show.AddAudioFile(UserFile("c/song.wav"), working), 0);
    EXPECT_EQ(show.AddAudioFile("", working), 1);
    EXPECT_EQ(show.AddAudioFile(UserFile("c/song.wav"), ""), 1);
    ASSERT_EQ(show.GetAudioCount(), 3);
    EXPECT_EQ(Music(show), (std::vector<std::string>{"1@0", "1@1", "1@2"}));

    // The joined file "song.mp2" is written from the entries: none of them may be it.
    for (const char* folder : {"", "/t"}) {
        if (*folder) show.SetAudioOutputName("mp2", folder);
        std::set<std::string> paths{show.m_strMp2File};
        for (const auto& audio : show.m_arrAudio) paths.insert(audio->m_strTempMp2);
        EXPECT_EQ(paths.size(), 4u) << folder;
    }
    EXPECT_EQ(show.GetAudioOutputPath(), "/t/song.mp2");
}

TEST_F(SlideShowTest, MusicFilesAreMeasuredByTheConverterLibrary) {
    if (!InstallAudioLibrary()) SKIP_OR_FAIL_IN_CI("the audio converter library is not built");
    const std::string tune = MakeMusic("tune.wav", 3);
    WriteFileBytes(UserFile("words.mp3"), "this is not music at all");
    EXPECT_EQ(g_Project.GetAudioFileSeconds(tune), 3);

    ASSERT_EQ(g_Project.AddSlideshow("show"), 0);
    CSlideShow& show = *g_Project.GetCurrentSlideshow();
    const std::string working = g_Project.m_Config.m_strWorkingFolder;
    EXPECT_EQ(show.AddAudioFile(tune, working), 0);
    EXPECT_EQ(show.GetAudioAt(0)->m_strDuration, "00:00:03");

    // Refused with a message, and reported as refused.
    EXPECT_EQ(show.AddAudioFile(UserFile("words.mp3"), working), 1);
    EXPECT_EQ(show.GetAudioCount(), 1);
    ASSERT_EQ(m_ui->Boxes().size(), 1u);
    EXPECT_EQ(m_ui->Boxes()[0].text, "file:'" + UserFile("words.mp3") + "' is not a legal mp3 file, so it will not be added!");
}
