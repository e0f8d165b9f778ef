// A music run that fails says why: the job carries the failing step and the system's or the
// converter's reason, and the log has it with the result code.
#include <unistd.h>

#include <cstdlib>

#include "model/AudioJoinJob.h"
#include "model/CAudioItem.h"
#include "model/Log.h"
#include "tests/model/ProjectTestEnv.h"

namespace {

class AudioJoinFailure : public ProjectTestEnv {
protected:
    void SetUp() override {
        ProjectTestEnv::SetUp();
        if (!InstallAudioLibrary()) SKIP_OR_FAIL_IN_CI("the audio converter library is not built");
        g_Project.m_Config.LoopAudio = 0;
        for (const char* name : {"a", "b"}) {
            const std::string path = m_dir.File(std::string(name) + ".wav");
            WriteFileBytes(path, ToneWav(44100, 1, 22050, 8000, 440));
            m_list.push_back(std::make_unique<CAudioItem>(path, std::string(name) + ".wav", m_dir.File(std::string(name) + ".mp2")));
        }
    }

    // The run's result; its failure text goes to m_failure.
    int32_t Join(const std::string& joined) {
        AudioJoinJob job;
        job.m_pAudioList = &m_list;
        job.m_strJoinedMp2 = joined;
        job.m_strFailure = "left from before";
        const int32_t result = g_Project.ConvertAudioToMp2(&job);
        m_failure = job.m_strFailure;
        return result;
    }
    std::string Log() const { return ReadFileBytes(GetLogFilePath()); }

    std::vector<std::unique_ptr<CAudioItem>> m_list;
    std::string m_failure;
};

TEST_F(AudioJoinFailure, TheJobAndTheLogSayWhy) {
    const std::string gone = m_list[1]->m_strOriginalPath;
    const std::string full = m_dir.File("full.mp2"), nowhere = m_dir.File("no/such/folder/joined.mp2");
    ASSERT_EQ(symlink("/dev/full", full.c_str()), 0);
    struct Case {
        const char* what;
        std::string joined;
        bool removeSecond;
        int32_t result;
        std::string failure;
    };
    const Case cases[] = {
        {"the converter fails", m_dir.File("j.mp2"), true, 1, "cannot read '" + gone + "': No such file or directory"},
        {"the joined file cannot be made", nowhere, false, 1, "cannot create '" + nowhere + "': No such file or directory"},
        {"the joined file cannot be written", full, false, 1, "cannot write '" + full + "': No space left on device"},
        {"all is well", m_dir.File("j.mp2"), false, 0, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.removeSecond) DeleteFile(gone);
        EXPECT_EQ(Join(c.joined), c.result);
        EXPECT_EQ(m_failure, c.failure);
        if (c.result != 0) {
            EXPECT_NE(Log().find(": Convert music failed with " + std::to_string(c.result) + ": " + c.failure + "\n"),
                      std::string::npos) << Log();
        }
        if (c.removeSecond) WriteFileBytes(gone, ToneWav(44100, 1, 22050, 8000, 660));
    }

    // Without the library: the loader's own words name the file.
    g_Project.m_Config.m_strAppPath = m_dir.File("nowhere");
    EXPECT_EQ(Join(m_dir.File("j.mp2")), 1);
    EXPECT_EQ(m_failure.rfind("cannot load the audio converter library: ", 0), 0u) << m_failure;
    EXPECT_NE(m_failure.find(m_dir.File("nowhere")), std::string::npos) << m_failure;
}

} // namespace
