// The record the make-video page keeps for the slideshow being encoded and puts into every
// EncodeJob; the render code only hands its pointer back to the progress callback.
#pragma once

#include <cstdint>

class CTabBurn;

// The kind of an EncodeProgress that belongs to video making; the callback ignores others.
constexpr int32_t ENCODE_PROGRESS_KIND_VIDEO = 5;

struct EncodeProgress {
    CTabBurn* m_pOwner = nullptr;
    int32_t m_nKind = ENCODE_PROGRESS_KIND_VIDEO;
    int32_t m_nSlideshow = 0;
    // Overall position (0..65535) at which this slideshow begins.
    int32_t m_nStart = 0;
    // This slideshow's part of the project's frames.
    float m_fShare = 0.0f;
};
