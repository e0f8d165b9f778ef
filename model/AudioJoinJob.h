// What the make-video worker hands to CProject::ConvertAudioToMp2: the music to convert, the
// file that receives it joined, and the stop event the user-interface thread may set.
#pragma once

#include <memory>
#include <string>
#include <vector>

class CAudioItem;
class CEvent;

struct AudioJoinJob {
    const std::vector<std::unique_ptr<CAudioItem>>* m_pAudioList = nullptr;
    std::string m_strJoinedMp2;
    CEvent* m_pStopEvent = nullptr;
    // Set by ConvertAudioToMp2 when it failed (not when stopped): the failing step and its
    // reason, one line for the user (also in the log).
    std::string m_strFailure;
};
