// The make-video page's progress record, one per slideshow being encoded. The renderer only
// hands its pointer back to the job's progress callback, which maps a slideshow's position
// (0..65535) onto the whole run.
#pragma once

#include <cstdint>

class CTabBurn;

// Kind of a record that the progress callback acts on.
constexpr int32_t ENCODE_PROGRESS_VIDEO = 5;

struct EncodeProgress {
    CTabBurn* m_pOwner = nullptr;      // the make-video page
    int32_t m_nKind = ENCODE_PROGRESS_VIDEO;
    int32_t m_nSlideshowIndex = 0;
    int32_t m_nStart = 0;              // overall position at which this slideshow begins
    float m_fShare = 0.0f;             // this slideshow's frames / the project's frames
};
