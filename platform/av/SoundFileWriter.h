// Writes whole sounds made in memory to files, for the program folder's generated data; callers
// see no FFmpeg type.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class SoundFileWriter {
public:
    // Encodes planar stereo samples (-1..1, both channels equally long) as an MP3 file.
    static bool WriteMp3(const std::string& path, const std::vector<float>& left, const std::vector<float>& right,
                         int sampleRate, int64_t bitRate);
    // Writes `seconds` of silence in the converted-music MP2 format (see Mp2FileWriter).
    static bool WriteSilentMp2(const std::string& path, int seconds);
};
