// The music preview's state inside the project engine: which list plays, which file comes next
// and the player of the current file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/media/MediaPlayer.h"
#include "platform/win/WinTypes.h"

// Id of the main window's timer that ends each previewed track.
constexpr WPARAM AUDIO_PREVIEW_TIMER_ID = 0x4D50;

struct AudioPreviewState {
    int32_t m_bPlaying = 0;
    int32_t m_bStopping = 0;
    // The current file's player; null between files and when stopped.
    std::unique_ptr<CMediaPlayer> m_pPlayer;
    // The music files, copied when the preview starts so that edits of the list meanwhile
    // cannot pull entries from under it.
    std::vector<std::string> m_arrFiles;
    uint32_t m_nTimerId = 0;
    int32_t m_nNextIndex = 0;
};
