// The project engine's audio tools: music conversion and joining for a video run, the music
// preview, and slideshow renaming.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "model/AudioJoinJob.h"
#include "model/CAudioItem.h"
#include "model/CProject.h"
#include "model/Log.h"
#include "platform/audioconv/AudioConvApi.h"
#include "platform/win/DynamicLibrary.h"
#include "platform/win/Event.h"
#include "platform/win/FilePtr.h"
#include "platform/win/FileSystem.h"
#include "platform/win/TextConv.h"

namespace {

constexpr size_t kJoinBlockBytes = 1024;

bool StopSeen(CEvent* stop) { return stop && stop->TryConsume(); }

// `wanted`, or, when an earlier file of this run already took it, the first
// "<stem>_<n><extension>" that is neither taken nor on disk.
std::string PickFreeName(const std::string& wanted, const std::set<std::string>& taken) {
    if (!taken.count(wanted))
        return wanted;
    const size_t slash = wanted.find_last_of('/');
    const size_t dot = wanted.find_last_of('.');
    const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    const std::string stem = hasExt ? wanted.substr(0, dot) : wanted;
    const std::string ext = hasExt ? wanted.substr(dot) : std::string();
    for (uint64_t n = 1;; ++n) {
        const std::string candidate = stem + "_" + std::to_string(n) + ext;
        if (!taken.count(candidate) && !FileExists(candidate))
            return candidate;
    }
}

// Appends a whole file to `out` in blocks; 1 when it cannot be read or written, with the step
// and the system's reason in `reason`.
int32_t AppendFile(const std::string& path, FILE* out, const std::string& outPath, std::string& reason) {
    FilePtr in(std::fopen(path.c_str(), "rb"));
    if (!in) {
        reason = "cannot open '" + path + "': " + std::strerror(errno);
        return 1;
    }
    char block[kJoinBlockBytes];
    for (;;) {
        const size_t got = std::fread(block, 1, sizeof block, in.get());
        if (got > 0 && std::fwrite(block, 1, got, out) != got) {
            reason = "cannot write '" + outPath + "': " + std::strerror(errno);
            return 1;
        }
        if (got < sizeof block) {
            if (!std::ferror(in.get()))
                return 0;
            reason = "cannot read '" + path + "': " + std::strerror(errno);
            return 1;
        }
    }
}

// The converter library's reason for its last failure; "" when it gives none.
std::string ConverterError(CDynamicLibrary& library) {
    const auto entry = library.Entry<GetConvertErrorFn>("getConvertError");
    if (!entry)
        return std::string();
    char text[1024] = {};
    entry(text, static_cast<int32_t>(sizeof text));
    return text;
}

} // namespace

int32_t CProject::ConvertAudioToMp2(AudioJoinJob* job) {
    if (!job || !job->m_pAudioList)
        return 1;
    const auto& list = *job->m_pAudioList;
    CEvent* stop = job->m_pStopEvent;
    job->m_strFailure.clear();
    auto failed = [job](int32_t result, const std::string& reason) {
        WriteLog("Convert music failed with " + std::to_string(result) + ": " + reason);
        job->m_strFailure = reason;
        return result;
    };

    // The mp2 files this run has written, removed again whatever the outcome: they are only
    // the pieces of the joined file.
    std::vector<std::string> converted;
    auto removeConverted = [&converted] {
        for (const std::string& path : converted)
            DeleteFile(path);
    };

    // Two music files of the same name in different folders must not share a temporary file,
    // and none may overwrite the joined file.
    std::set<std::string> taken{job->m_strJoinedMp2};
    for (const auto& entry : list) {
        entry->m_strTempMp2 = PickFreeName(entry->m_strTempMp2, taken);
        taken.insert(entry->m_strTempMp2);
    }

    const std::string libraryPath = m_Config.m_strAppPath + "/libxToMp2.so";
    for (const auto& entry : list) {
        CDynamicLibrary library;
        const auto convert = library.Load(libraryPath) ? library.Entry<XToMp2Fn>("xToMp2") : nullptr;
        if (!convert) {
            WriteLog("Load audio converter module error");
            removeConverted();
            return failed(1, "cannot load the audio converter library: " + library.LastError());
        }
        WriteLog("Load audio converter module ok");
        WriteLog("convering mp3 file " + entry->m_strOriginalPath);
        StopEventC stopView{};
        if (stop)
            stopView = stop->AsStopEventC();
        const int32_t result = convert(entry->m_strOriginalPath.c_str(), entry->m_strTempMp2.c_str(), stop ? &stopView : nullptr);
        WriteLog("converted mp3 file resault: " + std::to_string(result));
        std::string reason;
        if (result != 0 && result != 2) {
            reason = ConverterError(library);
            if (reason.empty())
                reason = "converting '" + entry->m_strOriginalPath + "' failed with " + std::to_string(result);
        }
        library.Unload();
        if (result == 0)
            converted.push_back(entry->m_strTempMp2);
        if (result != 0) {
            removeConverted();
            return result == 2 ? result : failed(result, reason);
        }
        if (StopSeen(stop)) {
            removeConverted();
            return 2;
        }
    }

    WriteLog("begin join all mp2 file");
    FilePtr joined(std::fopen(job->m_strJoinedMp2.c_str(), "wb"));
    if (!joined) {
        const std::string reason = "cannot create '" + job->m_strJoinedMp2 + "': " + std::strerror(errno);
        removeConverted();
        return failed(1, reason);
    }
    // A failed or stopped join leaves neither a partial joined file nor the pieces.
    auto abandon = [&](int32_t result) {
        joined.reset();
        DeleteFile(job->m_strJoinedMp2);
        removeConverted();
        return result;
    };

    int64_t repeats = 1;
    if (m_Config.LoopAudio) {
        int64_t musicSeconds = 0;
        for (const auto& entry : list)
            musicSeconds += entry->m_nDuration > 0 ? entry->m_nDuration : 0;
        // Music of no length cannot be repeated to any length: it plays once.
        if (musicSeconds > 0)
            repeats = GetTotalSeconds() / musicSeconds + 1;
    }
    for (int64_t round = 0; round < repeats; ++round) {
        for (const auto& entry : list) {
            std::string reason;
            if (AppendFile(entry->m_strTempMp2, joined.get(), job->m_strJoinedMp2, reason) != 0)
                return failed(abandon(1), reason);
            if (StopSeen(stop))
                return abandon(2);
        }
    }
    errno = 0;
    const bool flushed = std::fflush(joined.get()) == 0;
    if (std::fclose(joined.release()) != 0 || !flushed) {
        const std::string reason = "cannot write '" + job->m_strJoinedMp2 + "': " +
                                   (errno ? std::strerror(errno) : "write error");
        return failed(abandon(1), reason);
    }
    removeConverted();
    WriteLog("end join all mp2 file");
    return 0;
}

// --- music preview ------------------------------------------------------------------------------

namespace {

// Opens `path` in a fresh player, rewinds and runs it; null (after the failure log) when the
// file cannot be played.
std::unique_ptr<CMediaPlayer> StartTrack(const std::string& path) {
    auto player = std::make_unique<CMediaPlayer>();
    WriteLog("Init audio player module ok!");
    if (!player->Open(path)) {
        WriteLog("Render file failed, there is no need audio player module installed!");
        return nullptr;
    }
    WriteLog("Render file ok!");
    player->SetPosition(0);
    player->Run();
    return player;
}

uint32_t TrackTimerMs(const CMediaPlayer& player) {
    const int64_t ms = player.GetDuration() / kMediaTimeUnitsPerMs;
    // A track of no length still ends through the timer, just at once.
    return static_cast<uint32_t>(ms < 1 ? 1 : (ms > UINT32_MAX ? UINT32_MAX : ms));
}

} // namespace

void CProject::PlayAudioPreview(const std::vector<std::unique_ptr<CAudioItem>>& list) {
    AudioPreviewState& state = m_AudioPreview;
    if (state.m_bPlaying || state.m_bStopping || list.empty())
        return;
    state.m_bPlaying = 1;
    state.m_arrFiles.clear();
    for (const auto& entry : list)
        state.m_arrFiles.push_back(entry->m_strOriginalPath);
    state.m_nNextIndex = 1;
    state.m_pPlayer = StartTrack(state.m_arrFiles.front());
    if (!state.m_pPlayer) {
        state.m_bPlaying = 0;
        return;
    }
    if (CMsgWindow* window = GetMainWindow()) {
        window->SetTimer(AUDIO_PREVIEW_TIMER_ID, TrackTimerMs(*state.m_pPlayer));
        state.m_nTimerId = static_cast<uint32_t>(AUDIO_PREVIEW_TIMER_ID);
    }
}

bool CProject::OnAudioPreviewTimer(WPARAM timerId) {
    AudioPreviewState& state = m_AudioPreview;
    if (timerId != AUDIO_PREVIEW_TIMER_ID || state.m_nTimerId == 0)
        return false;
    if (!state.m_bPlaying)
        return true;
    CMsgWindow* window = GetMainWindow();
    // The ended track's player goes now, exactly once.
    state.m_pPlayer.reset();
    if (state.m_nNextIndex >= static_cast<int32_t>(state.m_arrFiles.size())) {
        if (!m_Config.LoopAudio) {
            // Played through: silent until StopAudioPreview.
            if (window)
                window->KillTimer(AUDIO_PREVIEW_TIMER_ID);
            state.m_nTimerId = 0;
            return true;
        }
        state.m_nNextIndex = 0;
    }
    const std::string& path = state.m_arrFiles[static_cast<size_t>(state.m_nNextIndex)];
    ++state.m_nNextIndex;
    if (window)
        window->KillTimer(AUDIO_PREVIEW_TIMER_ID);
    state.m_nTimerId = 0;
    state.m_pPlayer = StartTrack(path);
    if (!state.m_pPlayer) {
        state.m_bPlaying = 0;
        return true;
    }
    if (window) {
        window->SetTimer(AUDIO_PREVIEW_TIMER_ID, TrackTimerMs(*state.m_pPlayer));
        state.m_nTimerId = static_cast<uint32_t>(AUDIO_PREVIEW_TIMER_ID);
    }
    return true;
}

void CProject::StopAudioPreview() {
    AudioPreviewState& state = m_AudioPreview;
    if (!state.m_bPlaying || state.m_bStopping)
        return;
    state.m_bStopping = 1;
    if (state.m_pPlayer) {
        state.m_pPlayer->Stop();
        state.m_pPlayer.reset();
    }
    if (state.m_nTimerId != 0) {
        if (CMsgWindow* window = GetMainWindow())
            window->KillTimer(AUDIO_PREVIEW_TIMER_ID);
        state.m_nTimerId = 0;
    }
    state.m_arrFiles.clear();
    state.m_nNextIndex = 0;
    state.m_bPlaying = 0;
    state.m_bStopping = 0;
}

// --- slideshow names ----------------------------------------------------------------------------

int32_t CProject::RenameSlideshow(const std::string& oldName, const std::string& newName) {
    m_bModified = 1;
    // Names are held to the same length as when a slideshow is added, so they stay unique.
    const std::string cut = TruncateUtf8(newName, MAX_SLIDESHOW_NAME_CHARS);
    if (cut.empty())
        return -1;
    CSlideShow* found = nullptr;
    for (const auto& show : m_arrSlideshows) {
        if (show->m_strName == cut)
            return -1;
        if (!found && show->m_strName == oldName)
            found = show.get();
    }
    if (!found)
        return -1;
    found->m_strName = cut;
    // Its files, cover included, follow the new name, unless another slideshow's files bear it already.
    ChooseFileStem(*found);
    return 0;
}
