#include "app/CTabBurn.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

#include "app/CTerminalProgress.h"
#include "model/AudioJoinJob.h"
#include "model/CProject.h"
#include "model/GlobalUtils.h"
#include "model/Log.h"
#include "platform/win/FileSystem.h"
#include "render/EncodeJob.h"
#include "render/EncodeSlideshow.h"

namespace {
// The joined music is written at this rate (bytes per second), whatever the sources were.
constexpr int64_t kMp2BytesPerSecond = 192000 / 8;
constexpr int64_t kBytesPerMB = 1024 * 1024;

// Free bytes of the file system holding path, or -1 when unknown.
int64_t FreeBytes(const std::string& path) {
    struct statvfs info {};
    if (::statvfs(path.c_str(), &info) != 0)
        return -1;
    return static_cast<int64_t>(info.f_bavail) * static_cast<int64_t>(info.f_frsize);
}
} // namespace

CTabBurn::~CTabBurn() {
    if (m_worker.joinable()) {
        RequestStop();
        m_worker.join();
    }
}

void CTabBurn::OnEncodeProgress(int32_t position, void* context) {
    auto* progress = static_cast<EncodeProgress*>(context);
    if (!progress || progress->m_nKind != ENCODE_PROGRESS_KIND_VIDEO || !progress->m_pOwner)
        return;
    position = std::clamp(position, 0, kProgressRange);
    const double overall = static_cast<double>(position) * progress->m_fShare + progress->m_nStart;
    // Float shares may overshoot the end by a hair; the bar never leaves its range.
    progress->m_pOwner->SetProgressPos(static_cast<int32_t>(std::clamp(overall, 0.0, static_cast<double>(kProgressRange))));
}

EncodeProgress CTabBurn::MakeProgressRecord(CTabBurn* owner, int32_t index, int64_t framesBefore,
                                            int64_t framesOfShow, int64_t totalFrames) {
    EncodeProgress record;
    record.m_pOwner = owner;
    record.m_nKind = ENCODE_PROGRESS_KIND_VIDEO;
    record.m_nSlideshow = index;
    if (totalFrames > 0) {
        record.m_nStart = static_cast<int32_t>(static_cast<double>(framesBefore) / static_cast<double>(totalFrames) * kProgressRange);
        record.m_fShare = static_cast<float>(static_cast<double>(framesOfShow) / static_cast<double>(totalFrames));
    }
    return record;
}

void CTabBurn::SetProgressPos(int32_t position) {
    m_nProgressPos.store(position);
    if (m_pCounter)
        m_pCounter->SetPos(position);
}

bool CTabBurn::PrepareMakeVideo(std::string& error) {
    CProject& project = g_Project;
    const std::string& output = project.m_Settings.m_strOutputPath;
    const std::string& temp = project.m_Settings.m_strTempPath;
    if (project.GetSlideshowCount() == 0) {
        error = "The project holds no slideshow.";
        return false;
    }
    if (!project.m_ProfileGroups.GetCurrentProfile()) {
        error = "There is no output profile.";
        return false;
    }
    // An existing output folder is used as it is: emptying it could lose the user's files.
    if (!CreateFolder(output)) {
        error = "Cannot create the output folder '" + output + "'.";
        return false;
    }
    if (!CreateFolder(temp)) {
        error = "Cannot create the temp folder '" + temp + "'.";
        return false;
    }

    project.CheckOutputSize();
    const int64_t videoBytes = static_cast<int64_t>(project.GetEstimatedSizeMB() * kBytesPerMB);
    int64_t musicBytes = 0;
    if (const CSlideShow* first = project.GetSlideshow(0); first && first->GetAudioCount() > 0) {
        int64_t musicSeconds = 0;
        for (const auto& entry : first->m_arrAudio)
            musicSeconds += std::max<int32_t>(entry->m_nDuration, 0);
        const int64_t joinedSeconds = project.m_Config.LoopAudio ? project.GetTotalSeconds() + musicSeconds : musicSeconds;
        // The converted pieces and the joined file exist side by side for a while.
        musicBytes = (musicSeconds + joinedSeconds) * kMp2BytesPerSecond;
    }
    struct stat outInfo {}, tempInfo {};
    const bool sameDrive = ::stat(output.c_str(), &outInfo) == 0 && ::stat(temp.c_str(), &tempInfo) == 0 &&
                           outInfo.st_dev == tempInfo.st_dev;
    auto check = [&error](const std::string& folder, int64_t needed) {
        const int64_t free = FreeBytes(folder);
        if (free < 0 || free >= needed)
            return true;
        error = "Not enough free space in '" + folder + "': " + FormatFileSize(needed) + " needed, " +
                FormatFileSize(free) + " free.";
        return false;
    };
    if (sameDrive ? !check(output, videoBytes + musicBytes) : (!check(output, videoBytes) || !check(temp, musicBytes)))
        return false;

    project.SetSlideshowOutputNames();
    return true;
}

void CTabBurn::StartMakeVideo() {
    m_bStopRequested = false;
    m_StopEvent.Reset();
    m_DoneEvent.Reset();
    m_nProgressPos = 0;
    m_worker = std::thread([this] {
        m_Result = MakeVideoFiles();
        m_DoneEvent.Set();
    });
}

void CTabBurn::RequestStop() {
    m_bStopRequested = true;
    m_StopEvent.Set();
}

CTabBurn::Result CTabBurn::WaitForMakeVideo() {
    if (m_worker.joinable())
        m_worker.join();
    return m_Result;
}

CTabBurn::Result CTabBurn::MakeVideoFiles() {
    CProject& project = g_Project;
    WriteLog("Begin make Video files process");
    m_strFailure.clear();
    auto stopped = [this] { return m_bStopRequested.load(); };

    // The first slideshow's music accompanies every video; without music, the silent file.
    CSlideShow* first = project.GetSlideshow(0);
    if (!first)
        return Result::Failed;
    std::string joined;
    if (first->GetAudioCount() > 0) {
        first->SetAudioOutputName("mp2", project.m_Settings.m_strTempPath);
        AudioJoinJob audio;
        audio.m_pAudioList = &first->m_arrAudio;
        audio.m_strJoinedMp2 = first->GetAudioOutputPath();
        audio.m_pStopEvent = &m_StopEvent;
        const int32_t result = project.ConvertAudioToMp2(&audio);
        if (result != 0) {
            if (result == 2 || stopped())
                return Result::Stopped;
            m_strFailure = audio.m_strFailure;
            return Result::Failed;
        }
        joined = audio.m_strJoinedMp2;
        project.ShareFirstAudioPath();
    } else {
        for (const auto& show : project.m_arrSlideshows)
            show->m_strMp2File = project.m_Config.m_strSilentMp2;
    }

    int64_t totalFrames = 0;
    for (const auto& show : project.m_arrSlideshows)
        totalFrames += std::max<int32_t>(show->GetTotalFrames(), 0);
    int64_t framesBefore = 0;
    Result outcome = Result::Done;
    for (int32_t i = 0; i < project.GetSlideshowCount(); ++i) {
        CSlideShow* show = project.GetSlideshow(i);
        if (stopped()) {
            outcome = Result::Stopped;
            break;
        }
        char line[64];
        std::snprintf(line, sizeof line, "Begin make Slideshow video index:%d", i);
        WriteLog(line);
        const int64_t frames = std::max<int32_t>(show->GetTotalFrames(), 0);
        EncodeProgress progress = MakeProgressRecord(this, i, framesBefore, frames, totalFrames);
        EncodeJob job;
        job.m_bPal = project.m_Settings.IS_NTSC;
        job.m_nAspect = project.m_Config.AspectRatio;
        job.m_pSlideshow = show;
        job.m_pfnProgress = &CTabBurn::OnEncodeProgress;
        job.m_pStopEvent = &m_StopEvent;
        job.m_pDoneEvent = &m_DoneEvent;
        job.m_bFlag = 1;
        job.m_Background = 0xFF000000;
        job.m_pProgress = &progress;
        const int32_t result = EncodeSlideshow(&job);
        if (result != 0) {
            // Half a video is no video.
            DeleteFile(show->m_strOutputFile);
            outcome = result == 2 || stopped() ? Result::Stopped : Result::Failed;
            if (outcome == Result::Failed)
                m_strFailure = job.m_strFailure;
            break;
        }
        framesBefore += frames;
    }
    // The joined music is only an intermediate file of this run.
    if (!joined.empty())
        DeleteFile(joined);
    if (outcome == Result::Done)
        SetProgressPos(kProgressRange);
    return outcome;
}
