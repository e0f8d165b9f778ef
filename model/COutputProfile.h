// One output profile (one XML file of a group folder): container format and extension, and
// the eight parameters the encoder takes, each with its options.
#pragma once

#include <cstdint>
#include <string>

#include "model/CProfileParam.h"

class COutputProfile {
public:
    // Reads a profile file (UTF-16LE with FF FE or plain bytes); false when the file cannot be
    // read, its text is refused or an element is missing.
    bool Load(const std::string& path);

    // For each parameter the option with exactly that value, or its last option when none has
    // it. The order is video codec, video size, video bit rate, frame rate, audio bit rate,
    // audio codec, audio sample rate, audio channels (bit rate before codec).
    void SelectValues(const std::string& videoCodec, const std::string& videoSize,
                      const std::string& videoBitrate, const std::string& frameRate,
                      const std::string& audioBitrate, const std::string& audioCodec,
                      const std::string& sampleRate, const std::string& channels);
    // Option i of each parameter, same order; an index outside a parameter's options leaves it.
    void SelectIndices(int32_t videoCodec, int32_t videoSize, int32_t videoBitrate, int32_t frameRate,
                       int32_t audioBitrate, int32_t audioCodec, int32_t sampleRate, int32_t channels);

    CProfileParam m_VideoCodec;
    CProfileParam m_VideoSize;
    CProfileParam m_VideoBitrate;
    CProfileParam m_FrameRate;
    CProfileParam m_AudioCodec;
    CProfileParam m_AudioBitrate;
    CProfileParam m_AudioSampleRate;
    CProfileParam m_AudioChannels;
    std::string m_strFormat;
    std::string m_strExt;
    std::string m_strDescL;
    std::string m_strDescS;
    int32_t m_nListIndex = 0;
};
