#include "platform/media/MediaPlayer.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/media/AudioDecoder.h"
#include "platform/media/SdlAudioSink.h"
#include "platform/media/SilentAudioSink.h"

namespace {

// How far decoding runs ahead of what is heard: enough to ride out a busy moment, little enough
// that a seek or a stop is not late.
constexpr int64_t kQueueAheadFrames = kSinkSampleRate / 4;
constexpr auto kWorkerPoll = std::chrono::milliseconds(10);

bool SilentOutputRequested() {
    const char* forced = std::getenv("PICREEL_SILENT_AUDIO");
    if (forced != nullptr && forced[0] != '\0' && std::strcmp(forced, "0") != 0) return true;
    // SDL's dummy driver is not heard; skip starting SDL at all.
    const char* driver = std::getenv("SDL_AUDIODRIVER");
    return driver != nullptr && std::strcmp(driver, "dummy") == 0;
}

int64_t FramesToMediaTime(int64_t frames) {
    return frames / kSinkSampleRate * kMediaTimeUnitsPerSecond +
           frames % kSinkSampleRate * kMediaTimeUnitsPerSecond / kSinkSampleRate;
}

int64_t MediaTimeToFrames(int64_t time) {
    return time / kMediaTimeUnitsPerSecond * kSinkSampleRate +
           time % kMediaTimeUnitsPerSecond * kSinkSampleRate / kMediaTimeUnitsPerSecond;
}

}  // namespace

CMediaPlayer::CMediaPlayer(Output output) : m_output(output) {}

CMediaPlayer::~CMediaPlayer() {
    Close();
}

bool CMediaPlayer::Open(const std::string& path) {
    Close();
    auto decoder = std::make_unique<CAudioDecoder>();
    if (!decoder->Open(path)) return false;

    std::unique_ptr<IAudioSink> sink;
    if (m_output == Output::Automatic && !SilentOutputRequested()) sink = CSdlAudioSink::Create();
    if (!sink) sink = std::make_unique<CSilentAudioSink>();

    std::lock_guard<std::mutex> lock(m_mutex);
    m_decoder = std::move(decoder);
    m_sink = std::move(sink);
    m_duration = m_decoder->Duration();
    m_durationFrames = MediaTimeToFrames(m_duration);
    m_state = State::Stopped;
    m_quit = false;
    m_complete = false;
    m_decoderEnded = false;
    m_atStart = true;
    m_reading = false;
    m_baseFrame = 0;
    m_seekPending = false;
    m_seekOk = true;
    m_worker = std::thread(&CMediaPlayer::WorkerLoop, this);
    return true;
}

void CMediaPlayer::Close() {
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (!m_worker.joinable()) return;
        m_quit = true;
    }
    m_wake.notify_all();
    m_worker.join();
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sink.reset();
    m_decoder.reset();
    m_state = State::Stopped;
    m_complete = false;
    m_duration = 0;
    m_durationFrames = 0;
    m_baseFrame = 0;
    m_done.notify_all();
}

bool CMediaPlayer::IsOpen() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sink != nullptr;
}

bool CMediaPlayer::Run() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_sink) return false;
    m_state = State::Running;
    m_sink->Play();
    m_wake.notify_all();
    return true;
}

bool CMediaPlayer::Pause() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_sink) return false;
    m_state = State::Paused;
    m_sink->Pause();
    return true;
}

bool CMediaPlayer::Stop() {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_sink) return false;
    m_state = State::Stopped;
    m_sink->Pause();
    return SeekLocked(lock, 0);
}

CMediaPlayer::State CMediaPlayer::GetState() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_state;
}

int64_t CMediaPlayer::GetDuration() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_duration;
}

int64_t CMediaPlayer::GetPosition() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_sink) return 0;
    if (m_complete) return m_duration;
    const int64_t position = FramesToMediaTime(m_baseFrame + m_sink->PlayedFrames());
    return position < m_duration ? position : m_duration;
}

bool CMediaPlayer::SetPosition(int64_t position) {
    std::unique_lock<std::mutex> lock(m_mutex);
    if (!m_sink) return false;
    if (position < 0) position = 0;
    if (position > m_duration) position = m_duration;
    return SeekLocked(lock, MediaTimeToFrames(position));
}

bool CMediaPlayer::SeekLocked(std::unique_lock<std::mutex>& lock, int64_t frame) {
    m_sink->Clear();
    m_baseFrame = frame;
    m_complete = false;
    m_decoderEnded = false;
    ++m_seekGeneration;  // a chunk being decoded now belongs to the old position
    if (frame == 0 && m_atStart && !m_reading) {
        m_seekPending = false;
        m_seekOk = true;
        return true;
    }
    m_seekPending = true;
    m_seekFrame = frame;
    const uint64_t generation = m_seekGeneration;
    m_wake.notify_all();
    m_done.wait(lock, [&] { return !m_seekPending || m_seekGeneration != generation || m_quit; });
    return m_seekGeneration == generation && !m_seekPending && m_seekOk;
}

bool CMediaPlayer::IsComplete() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_complete;
}

bool CMediaPlayer::WaitForCompletion(uint32_t timeoutMs) const {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_done.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_complete || !m_sink; });
    return m_complete;
}

void CMediaPlayer::SetCompletionCallback(std::function<void()> callback) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_onComplete = std::move(callback);
}

bool CMediaPlayer::IsSilent() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_sink != nullptr && m_sink->IsSilent();
}

void CMediaPlayer::WorkerLoop() {
    std::vector<int16_t> chunk;
    std::unique_lock<std::mutex> lock(m_mutex);
    while (!m_quit) {
        if (m_seekPending) {
            const int64_t target = m_seekFrame;
            const uint64_t generation = m_seekGeneration;
            lock.unlock();
            const bool ok = m_decoder->Seek(target);
            lock.lock();
            if (generation == m_seekGeneration) {
                m_seekPending = false;
                m_seekOk = ok;
                m_atStart = ok && target == 0;
                m_decoderEnded = !ok;  // nothing more can be read from a decoder that failed to seek
                m_done.notify_all();
            }
            continue;
        }
        if (m_state != State::Running || m_complete) {
            m_wake.wait(lock);
            continue;
        }
        if (!m_decoderEnded && m_sink->QueuedFrames() < kQueueAheadFrames) {
            const uint64_t generation = m_seekGeneration;
            m_atStart = false;
            m_reading = true;
            lock.unlock();
            const CAudioDecoder::ReadResult result = m_decoder->Read(chunk);
            lock.lock();
            m_reading = false;
            if (generation != m_seekGeneration) continue;  // a seek came in: this chunk is stale
            if (result == CAudioDecoder::ReadResult::Data) {
                m_sink->Write(chunk.data(), static_cast<int64_t>(chunk.size()) / kSinkChannels);
            } else {
                m_decoderEnded = true;  // an undecodable rest ends the track where the sound ends
            }
            continue;
        }
        if (m_decoderEnded && m_sink->QueuedFrames() == 0) {
            m_complete = true;
            m_done.notify_all();
            const std::function<void()> callback = m_onComplete;
            if (callback) {
                lock.unlock();
                callback();
                lock.lock();
            }
            continue;
        }
        m_wake.wait_for(lock, kWorkerPoll);
    }
}
