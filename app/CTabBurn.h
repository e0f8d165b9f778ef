// The make-video page: the progress of a video run (main progress bar and remaining-time
// counter) and, later in this file, the run itself.
#pragma once

#include <atomic>
#include <cstdint>

#include "app/EncodeProgress.h"

class CTerminalProgress;

class CTabBurn {
public:
    // The main progress bar runs from 0 to this value over the whole project.
    static constexpr int32_t kProgressRange = 65535;

    CTabBurn() = default;
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

private:
    void SetProgressPos(int32_t position);

    std::atomic<int32_t> m_nProgressPos{0};
    CTerminalProgress* m_pCounter = nullptr;
};
