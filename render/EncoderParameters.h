// What the encoder library is told about one video: the frame size, the eleven texts of
// initEncoder and the whole frames per second the renderer counts with.
#pragma once

#include <cstdint>
#include <string>

class COutputProfile;

class EncoderParameters {
public:
    // Builds the parameters from the profile's current values. False when the profile's frame
    // size is not in the frame-size table or its frame rate does not start with a usable whole
    // number (1..1000).
    bool FromProfile(const COutputProfile& profile, const std::string& programFolder, const std::string& outputFile,
                     const std::string& audioFile);

    // The whole-number part of a frame-rate text ("29.97" gives 29); 0 when the text does not
    // start with a digit or the number is above 1000.
    static int32_t ParseWholeFps(const std::string& frameRate);

    int32_t m_nWidth = 0;
    int32_t m_nHeight = 0;
    int32_t m_nFps = 0;
    std::string m_strOutputFile;
    std::string m_strRawFile;
    std::string m_strAudioFile;
    std::string m_strAudioCodec;
    std::string m_strAudioBitRate;
    std::string m_strAudioSampleRate;
    std::string m_strAudioChannels;
    std::string m_strVideoCodec;
    std::string m_strVideoBitRate;
    std::string m_strFrameSize;
    std::string m_strFrameRate;
};
