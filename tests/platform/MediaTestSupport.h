// Helpers for the tests of the run-time libraries: loading them as the program does, making sound
// files, and asking ffprobe/ffmpeg about what was written, as a real client would.
#pragma once

#include <cstdint>
#include <map>
#include <string>

// A library from the program folder, opened with dlopen and closed at the end of scope.
class ProgramLibrary {
public:
    explicit ProgramLibrary(const std::string& fileName);
    ~ProgramLibrary();
    ProgramLibrary(const ProgramLibrary&) = delete;
    ProgramLibrary& operator=(const ProgramLibrary&) = delete;

    bool IsLoaded() const { return m_handle != nullptr; }
    const std::string& Error() const { return m_error; }
    void* Symbol(const char* name) const;

private:
    void* m_handle = nullptr;
    std::string m_error;
};

// Writes a 16-bit PCM WAV file holding a sine tone.
void WriteToneWav(const std::string& path, int sampleRate, int channels, double seconds, double hz);

// Runs a shell command and returns what it printed on standard output.
std::string RunCommand(const std::string& command);

// ffprobe's "key=value" lines for one stream ("v:0", "a:0") of a file, frames counted.
std::map<std::string, std::string> ProbeStream(const std::string& file, const std::string& stream);
// ffprobe's "key=value" lines for the container.
std::map<std::string, std::string> ProbeFormat(const std::string& file);
// The loudest sample of the file's audio in dB (ffmpeg's volume detection); -999 when unreadable.
double MaxVolumeDb(const std::string& file);
// Seconds from the first audio packet's start to the last one's end.
double AudioPacketSpan(const std::string& file);
// Error lines ffmpeg prints while decoding the whole file.
std::string DecodeErrors(const std::string& file);
