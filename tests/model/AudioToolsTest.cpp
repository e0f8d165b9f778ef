#include <unistd.h>

#include <cstdlib>

#include "model/AudioJoinJob.h"
#include "model/CAudioItem.h"
#include "platform/audioconv/AudioConvApi.h"
#include "platform/win/DynamicLibrary.h"
#include "platform/win/Event.h"
#include "platform/win/Tick.h"
#include "tests/model/ProjectTestEnv.h"

namespace {

class AudioTools : public ProjectTestEnv {
protected:
    void SetUp() override {
        ProjectTestEnv::SetUp();
        if (!InstallAudioLibrary()) SKIP_OR_FAIL_IN_CI("the audio converter library is not built");
        setenv("PICREEL_SILENT_AUDIO", "1", 1);
    }
    void TearDown() override {
        g_Project.StopAudioPreview();
        ProjectTestEnv::TearDown();
    }

    // A music entry for a tone file, its temporary mp2 in the test folder.
    void AddTone(const std::string& name, uint32_t ms, double hz, const std::string& tempName = "") {
        const std::string path = m_dir.File(name);
        CreateFolder(path.substr(0, path.find_last_of('/')));
        WriteFileBytes(path, ToneWav(44100, 1, 44100 * ms / 1000, 8000, hz));
        const std::string base = name.substr(name.find_last_of('/') + 1);
        m_list.push_back(std::make_unique<CAudioItem>(
            path, base, m_dir.File(tempName.empty() ? base.substr(0, base.find('.')) + ".mp2" : tempName)));
    }

    // What the converter makes of one entry on its own.
    std::string ConvertAlone(const CAudioItem& entry) {
        CDynamicLibrary library;
        EXPECT_TRUE(library.Load(ProgramFile("libxToMp2.so")));
        const auto convert = library.Entry<XToMp2Fn>("xToMp2");
        const std::string out = m_dir.File("alone.mp2");
        EXPECT_EQ(convert(entry.m_strOriginalPath.c_str(), out.c_str(), nullptr), 0);
        std::string bytes = ReadFileBytes(out);
        DeleteFile(out);
        return bytes;
    }

    int32_t Join(const std::string& joined, CEvent* stop = nullptr) {
        AudioJoinJob job;
        job.m_pAudioList = &m_list;
        job.m_strJoinedMp2 = joined;
        job.m_pStopEvent = stop;
        return g_Project.ConvertAudioToMp2(&job);
    }

    std::vector<std::unique_ptr<CAudioItem>> m_list;
};

TEST_F(AudioTools, JoinRepeatsTheMusicToCoverTheProject) {
    // Same file names in two folders, and a piece named like the joined file: each piece still
    // gets a temporary file of its own.
    AddTone("one/song.wav", 1000, 440, "song.mp2");
    AddTone("two/song.wav", 2000, 660, "song.mp2");
    AddTone("three/joined.wav", 1000, 330, "joined.mp2");
    ASSERT_EQ(m_list[1]->m_nDuration, 2);
    std::string once;
    for (const auto& entry : m_list) once += ConvertAlone(*entry);
    ASSERT_FALSE(once.empty());

    // Loop-audio off: the list once, however long the project.
    g_Project.m_Config.LoopAudio = 0;
    g_Project.m_Settings.IS_NTSC = 1;
    g_Project.m_nTotalFrames = 25 * 10;
    const std::string joined = m_dir.File("joined.mp2");
    ASSERT_EQ(Join(joined), 0);
    EXPECT_EQ(ReadFileBytes(joined), once);
    EXPECT_NE(m_list[0]->m_strTempMp2, m_list[1]->m_strTempMp2);
    EXPECT_NE(m_list[2]->m_strTempMp2, joined);
    for (const auto& entry : m_list) EXPECT_FALSE(FileExists(entry->m_strTempMp2)) << "pieces are removed";

    // Loop-audio on, 4 s of music for a 10 s project: 10 / 4 + 1 = 3 rounds.
    g_Project.m_Config.LoopAudio = 1;
    ASSERT_EQ(Join(joined), 0);
    EXPECT_EQ(ReadFileBytes(joined), once + once + once);

    // Music whose lengths add up to nothing plays once instead of dividing by zero.
    for (const auto& entry : m_list) entry->m_nDuration = 0;
    ASSERT_EQ(Join(joined), 0);
    EXPECT_EQ(ReadFileBytes(joined), once);
}

TEST_F(AudioTools, FailuresAndStopsLeaveNoFiles) {
    AddTone("a.wav", 1000, 440);
    AddTone("b.wav", 1000, 660);
    g_Project.m_Config.LoopAudio = 0;
    const std::string joined = m_dir.File("joined.mp2");

    // Stop requested before the run: the converter sees it, nothing is joined.
    CEvent stop;
    stop.Set();
    EXPECT_EQ(Join(joined, &stop), XTOMP2_STOPPED);
    EXPECT_FALSE(FileExists(joined));
    EXPECT_FALSE(FileExists(m_list[0]->m_strTempMp2));

    // A music file that has gone: the converter's failure, no pieces left.
    DeleteFile(m_list[1]->m_strOriginalPath);
    EXPECT_NE(Join(joined), 0);
    EXPECT_FALSE(FileExists(joined));
    EXPECT_FALSE(FileExists(m_list[0]->m_strTempMp2));
    WriteFileBytes(m_list[1]->m_strOriginalPath, ToneWav(44100, 1, 44100, 8000, 660));

    // A joined file that cannot be written to the end (a full disk): closed and removed.
    const std::string full = m_dir.File("full.mp2");
    ASSERT_EQ(symlink("/dev/full", full.c_str()), 0);
    EXPECT_EQ(Join(full), 1);
    EXPECT_FALSE(FileExists(full));
    EXPECT_FALSE(FileExists(m_list[0]->m_strTempMp2));
    EXPECT_FALSE(FileExists(m_list[1]->m_strTempMp2));

    // Without the library nothing is converted.
    g_Project.m_Config.m_strAppPath = m_dir.File("nowhere");
    EXPECT_EQ(Join(joined), 1);
    EXPECT_FALSE(FileExists(joined));
}

// The main window serves the preview's timer like the real one: WM_TIMER goes to the engine.
struct PreviewWindow {
    CMsgWindow window{[](UINT msg, WPARAM wParam, LPARAM) -> LRESULT {
        if (msg == WM_TIMER) g_Project.OnAudioPreviewTimer(wParam);
        return 0;
    }};
    PreviewWindow() { g_Project.SetMainWindow(&window); }
    ~PreviewWindow() { g_Project.SetMainWindow(nullptr); }
    // Pumps until the condition holds, for at most five seconds.
    template <class Condition> bool PumpUntil(Condition done) {
        for (const DWORD start = GetTickCount(); !done(); window.PumpOne(20))
            if (GetTickCount() - start > 5000) return false;
        return true;
    }
};

TEST_F(AudioTools, PreviewPlaysTheListInOrderAndLoops) {
    PreviewWindow window;
    const AudioPreviewState& state = g_Project.m_AudioPreview;
    // An unplayable file does not start.
    AddTone("gone.wav", 150, 440);
    DeleteFile(m_list[0]->m_strOriginalPath);
    g_Project.PlayAudioPreview(m_list);
    EXPECT_FALSE(g_Project.IsAudioPreviewPlaying());
    m_list.clear();
    for (double hz : {440.0, 550.0, 660.0}) AddTone(std::to_string(static_cast<int>(hz)) + ".wav", 150, hz);

    // Loop-audio off: three tracks, then silence with the playing flag still set.
    g_Project.m_Config.LoopAudio = 0;
    g_Project.PlayAudioPreview(m_list);
    ASSERT_TRUE(g_Project.IsAudioPreviewPlaying());
    EXPECT_TRUE(window.PumpUntil([&] { return state.m_nNextIndex == 3 && state.m_nTimerId == 0; }));
    EXPECT_EQ(state.m_pPlayer, nullptr);
    EXPECT_TRUE(g_Project.IsAudioPreviewPlaying());
    g_Project.StopAudioPreview();
    EXPECT_FALSE(g_Project.IsAudioPreviewPlaying());

    // Loop-audio on: the fourth track is the first again.
    g_Project.m_Config.LoopAudio = 1;
    g_Project.PlayAudioPreview(m_list);
    EXPECT_TRUE(window.PumpUntil([&] { return state.m_nNextIndex == 3; }));
    EXPECT_TRUE(window.PumpUntil([&] { return state.m_nNextIndex == 1; }));
    EXPECT_NE(state.m_pPlayer, nullptr);
    g_Project.StopAudioPreview();
    EXPECT_EQ(state.m_pPlayer, nullptr);
    // A timer that fires after the stop changes nothing.
    EXPECT_FALSE(g_Project.OnAudioPreviewTimer(AUDIO_PREVIEW_TIMER_ID));
}

} // namespace
