// Plays one music file for the music preview: the stand-in for a media graph that renders a
// file, runs, pauses, stops, reports its length and position, seeks and tells when the track
// has ended. Decoding runs on a worker thread of the player; the sound goes to the default audio
// device, or, where there is none (or when asked), to a silent sink that consumes it at
// real-time speed, so that positions and track ends behave the same.
//
// Times are in 100-nanosecond units (kMediaTimeUnitsPerSecond per second), so a length divided
// by kMediaTimeUnitsPerMs gives the milliseconds of a timer that fires at the end of the track.
//
// A track plays as: Open(path) (false: the file cannot be played); GetDuration(); SetPosition(0);
// Run(); a timer of GetDuration() / kMediaTimeUnitsPerMs ms, or IsComplete() / the completion
// callback, tells the track has ended; Stop(); destroy the player (or Open the next file).
//
// All methods are meant for one controlling thread (the user-interface thread) but are safe to
// call from any thread. Destroying the player stops playback and joins its worker.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class CAudioDecoder;
class IAudioSink;

constexpr int64_t kMediaTimeUnitsPerSecond = 10000000;
constexpr int64_t kMediaTimeUnitsPerMs = 10000;

class CMediaPlayer {
public:
    enum class Output {
        Automatic,  // the default device; the silent sink without one or when PICREEL_SILENT_AUDIO is set
        Silent,     // always the silent sink
    };
    enum class State { Stopped, Paused, Running };

    explicit CMediaPlayer(Output output = Output::Automatic);
    ~CMediaPlayer();
    CMediaPlayer(const CMediaPlayer&) = delete;
    CMediaPlayer& operator=(const CMediaPlayer&) = delete;

    // Loads a file for playing, stopped at position 0 (a file already open is closed first).
    // False, with the player left closed, when the file is missing or holds no playable sound.
    // A valid file with no samples opens with a length of 0 and completes as soon as it runs.
    bool Open(const std::string& path);
    // Stops playback and releases the file and the output; the player can open another file.
    void Close();
    bool IsOpen() const;

    // Starts or resumes playback from the current position. False when no file is open.
    bool Run();
    // Holds playback at the current position. False when no file is open.
    bool Pause();
    // Ends playback and rewinds to the start; Run plays the track again from its beginning.
    bool Stop();
    State GetState() const;

    // Length of the open file; 0 when none is open.
    int64_t GetDuration() const;
    // How much has been played: never beyond the length, and the length once the track completed.
    int64_t GetPosition() const;
    // Moves playback to `position` (clamped to 0..length) keeping the state; a completed track
    // plays again from there. False when no file is open or the file cannot seek.
    bool SetPosition(int64_t position);

    // True once a running track has played to its end (cleared by Stop, SetPosition and Open).
    bool IsComplete() const;
    // Waits up to `timeoutMs` for completion; true when the track has completed.
    bool WaitForCompletion(uint32_t timeoutMs) const;
    // Called once on the player's worker thread each time a track completes. It must not destroy
    // or close the player; a user interface posts itself a message from it.
    void SetCompletionCallback(std::function<void()> callback);

    // True when the open file plays to the silent sink (nothing is heard).
    bool IsSilent() const;

private:
    void WorkerLoop();
    // Moves the output to `frame` and waits for the worker to seek the decoder; needs `lock`.
    bool SeekLocked(std::unique_lock<std::mutex>& lock, int64_t frame);

    const Output m_output;
    std::unique_ptr<CAudioDecoder> m_decoder;  // touched by the worker only while it runs
    std::unique_ptr<IAudioSink> m_sink;
    std::thread m_worker;

    mutable std::mutex m_mutex;
    mutable std::condition_variable m_wake;  // the worker waits on it for commands
    mutable std::condition_variable m_done;  // completion and finished seeks are announced on it
    std::function<void()> m_onComplete;
    State m_state = State::Stopped;
    bool m_quit = false;
    bool m_complete = false;
    bool m_decoderEnded = false;
    int64_t m_durationFrames = 0;
    int64_t m_duration = 0;
    bool m_atStart = true;  // nothing read from the decoder since it opened or went back to 0
    bool m_reading = false;  // the worker is decoding a chunk without holding m_mutex
    // Output position where the sink's count starts, and a seek handed to the worker.
    int64_t m_baseFrame = 0;
    bool m_seekPending = false;
    bool m_seekOk = true;
    int64_t m_seekFrame = 0;
    uint64_t m_seekGeneration = 0;
};
