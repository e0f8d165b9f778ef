// The make-video page: makes one video file per slideshow of the project on a worker thread,
// after the music of the first slideshow has been converted and joined, and shows the progress
// on its main progress bar and remaining-time counter. The user interface thread prepares the
// run (free space, output names, folders), starts the worker, may ask it to stop, and waits.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "platform/win/Event.h"
#include "app/EncodeProgress.h"

class CTerminalProgress;

class CTabBurn {
public:
    // The main progress bar runs from 0 to this value over the whole project.
    static constexpr int32_t kProgressRange = 65535;

    enum class Result { Done, Failed, Stopped };

    CTabBurn() = default;
    // Stops a running worker and waits for it.
    ~CTabBurn();
    CTabBurn(const CTabBurn&) = delete;
    CTabBurn& operator=(const CTabBurn&) = delete;

    // Progress callback of an EncodeJob, called on the worker thread with the position
    // (0..65535) within the current slideshow and the job's EncodeProgress. Records of another
    // kind are ignored.
    static void OnEncodeProgress(int32_t position, void* context);

    // The record of slideshow `index`: where it starts on the overall bar and its share of it,
    // from the frames of the slideshows before it, its own frames and the project's frames.
    static EncodeProgress MakeProgressRecord(CTabBurn* owner, int32_t index, int64_t framesBefore,
                                             int64_t framesOfShow, int64_t totalFrames);

    // The counter that is handed every overall position (none by default).
    void SetRemainingTimeCounter(CTerminalProgress* counter) { m_pCounter = counter; }
    // The main progress bar's position.
    int32_t GetProgressPos() const { return m_nProgressPos.load(); }

    // Before a run, on the user-interface thread: creates the output and temp folders, checks
    // that their drives have room for the estimated output, and names every slideshow's video.
    // False with a message for the user when the run cannot start.
    bool PrepareMakeVideo(std::string& error);
    // Starts the worker (the worker of a run before must have been waited for).
    void StartMakeVideo();
    // Asks the worker to stop after the frame or file it is working on; safe from any thread.
    void RequestStop();
    // Waits for the worker and returns how the run ended.
    Result WaitForMakeVideo();

    // The whole run on the calling thread: the music, then every slideshow's video. A stopped
    // or failed slideshow leaves no video file behind; finished ones stay.
    Result MakeVideoFiles();

    // Why the last run failed: the failing step and its reason, one line ("" when it did not fail
    // or no reason is known).
    const std::string& GetFailure() const { return m_strFailure; }

private:
    void SetProgressPos(int32_t position);

    std::atomic<int32_t> m_nProgressPos{0};
    CTerminalProgress* m_pCounter = nullptr;
    CEvent m_StopEvent;
    CEvent m_DoneEvent;
    std::atomic<bool> m_bStopRequested{false};
    std::thread m_worker;
    Result m_Result = Result::Done;
    std::string m_strFailure;
};
