// Encodes one frame on a thread of its own while the renderer composes the next: the encoder
// library's frame entry runs there, one frame at a time, from one of two alternating YUV buffers.
// The caller collects each frame's result before handing over the next, so the library sees the
// same calls in the same order as without the pipeline.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/encoder/EncoderApi.h"

class EncodePipeline {
public:
    explicit EncodePipeline(EncOneFrameFn entry);
    // Waits for the frame in flight, then ends the thread.
    ~EncodePipeline();
    EncodePipeline(const EncodePipeline&) = delete;
    EncodePipeline& operator=(const EncodePipeline&) = delete;

    // Starts encoding the picture, which must stay untouched until it is collected. Only when no
    // frame is in flight.
    void Submit(const uint8_t* yuv);

    // Waits for the frame in flight and gives its result; nothing when no frame was in flight.
    std::optional<int32_t> Collect();

private:
    void Run();

    EncOneFrameFn m_pfnEntry;
    std::mutex m_mutex;
    std::condition_variable m_cond;
    const uint8_t* m_pFrame = nullptr; // handed over, not yet taken by the thread
    bool m_bInFlight = false;          // submitted and not yet collected
    bool m_bDone = false;              // the thread finished the frame in flight
    int32_t m_nResult = 0;
    bool m_bQuit = false;
    std::thread m_thread;
};
