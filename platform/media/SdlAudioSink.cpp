#include "platform/media/SdlAudioSink.h"

#include <SDL.h>

#include <cstring>
#include <mutex>

#include "platform/win/DynamicLibrary.h"

namespace {

constexpr int64_t kBytesPerFrame = kSinkChannels * static_cast<int64_t>(sizeof(int16_t));

// SDL's subsystem start and stop are not thread-safe; its own count pairs them up.
std::mutex& SubsystemMutex() {
    static std::mutex mutex;
    return mutex;
}

// SDL's dummy driver throws the sound away without keeping time; the silent sink does that job.
// (Its disk driver is only ever used on request and writes the sound to a file in real time.)
bool IsUnheardDriver(const char* name) {
    return name == nullptr || std::strcmp(name, "dummy") == 0;
}

using AlsaErrorHandler = void (*)(const char* file, int line, const char* function, int err,
                                  const char* format, ...);

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// The ALSA library prints its own failures on standard error, a machine without a sound card
// among them, unless the program hands it an error handler; SDL hands it none. The preview then
// plays silent, so the lines would only alarm. The handler is kept in the library, which stays
// loaded here for the process so that SDL unloading and loading it again cannot drop it. Called
// under the subsystem lock.
void SilenceAlsaErrors() {
    static CDynamicLibrary alsa;
    if (alsa.IsLoaded() || !alsa.Load("libasound.so.2")) return;
    if (const auto setHandler = alsa.Entry<int (*)(AlsaErrorHandler)>("snd_lib_error_set_handler"))
        setHandler(&IgnoreAlsaError);
}

}  // namespace

std::unique_ptr<CSdlAudioSink> CSdlAudioSink::Create() {
    std::lock_guard<std::mutex> lock(SubsystemMutex());
    SilenceAlsaErrors();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return nullptr;
    if (IsUnheardDriver(SDL_GetCurrentAudioDriver())) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    SDL_AudioSpec wanted;
    SDL_zero(wanted);
    wanted.freq = kSinkSampleRate;
    wanted.format = AUDIO_S16SYS;
    wanted.channels = static_cast<Uint8>(kSinkChannels);
    wanted.samples = 1024;
    wanted.callback = nullptr;  // queue mode: the worker pushes with SDL_QueueAudio
    SDL_AudioSpec obtained;
    const SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &wanted, &obtained, 0);
    if (device == 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return nullptr;
    }
    return std::unique_ptr<CSdlAudioSink>(new CSdlAudioSink(device));
}

CSdlAudioSink::~CSdlAudioSink() {
    std::lock_guard<std::mutex> lock(SubsystemMutex());
    SDL_CloseAudioDevice(m_device);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void CSdlAudioSink::Write(const int16_t* samples, int64_t frames) {
    if (frames <= 0) return;
    if (SDL_QueueAudio(m_device, samples, static_cast<Uint32>(frames * kBytesPerFrame)) == 0) m_written += frames;
}

int64_t CSdlAudioSink::QueuedFrames() {
    return static_cast<int64_t>(SDL_GetQueuedAudioSize(m_device)) / kBytesPerFrame;
}

int64_t CSdlAudioSink::PlayedFrames() {
    const int64_t played = m_written - QueuedFrames();
    return played < 0 ? 0 : played;
}

void CSdlAudioSink::Clear() {
    SDL_ClearQueuedAudio(m_device);
    m_written = 0;
}

void CSdlAudioSink::Play() {
    SDL_PauseAudioDevice(m_device, 0);
}

void CSdlAudioSink::Pause() {
    SDL_PauseAudioDevice(m_device, 1);
}
