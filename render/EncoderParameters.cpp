#include "render/EncoderParameters.h"

#include "model/COutputProfile.h"
#include "model/FrameSize.h"

namespace {

// Profile codec names and the encoder library's names for them; others pass unchanged.
std::string MapAudioCodec(const std::string& codec) {
    if (codec == "aac") return "libfaac";
    if (codec == "mp3") return "libmp3lame";
    if (codec == "amr_nb") return "libamr_nb";
    return codec;
}

std::string MapVideoCodec(const std::string& codec) {
    if (codec == "xvid") return "libxvid";
    if (codec == "h263") return "h263p";
    return codec;
}

std::string JoinFolder(const std::string& folder, const std::string& rest) {
    if (folder.empty() || folder.back() == '/') return folder + rest;
    return folder + "/" + rest;
}

} // namespace

int32_t EncoderParameters::ParseWholeFps(const std::string& frameRate) {
    int32_t fps = 0;
    size_t i = 0;
    for (; i < frameRate.size() && frameRate[i] >= '0' && frameRate[i] <= '9'; ++i) {
        fps = fps * 10 + (frameRate[i] - '0');
        if (fps > 1000) return 0;
    }
    return i == 0 ? 0 : fps;
}

bool EncoderParameters::FromProfile(const COutputProfile& profile, const std::string& programFolder,
                                    const std::string& outputFile, const std::string& audioFile) {
    const FrameSize* size = FindFrameSize(profile.m_VideoSize.m_Current.value);
    if (!size) return false;
    const int32_t fps = ParseWholeFps(profile.m_FrameRate.m_Current.value);
    if (fps <= 0) return false;
    m_nWidth = size->m_nWidth;
    m_nHeight = size->m_nHeight;
    m_nFps = fps;
    m_strFrameSize = size->m_szName;
    m_strFrameRate = profile.m_FrameRate.m_Current.value;
    m_strOutputFile = outputFile;
    m_strRawFile = JoinFolder(programFolder, "menu_pic/in.yuv");
    m_strAudioFile = audioFile;
    const std::string& audioCodec = profile.m_AudioCodec.m_Current.value;
    m_strAudioCodec = MapAudioCodec(audioCodec);
    m_strVideoCodec = MapVideoCodec(profile.m_VideoCodec.m_Current.value);
    m_strVideoBitRate = profile.m_VideoBitrate.m_Current.value + "kb";
    if (audioCodec == "amr_nb") {
        m_strAudioChannels = "1";
        m_strAudioSampleRate = "8000";
        m_strAudioBitRate = "12.2k";
    } else {
        const std::string& channels = profile.m_AudioChannels.m_Current.value;
        m_strAudioChannels = channels.empty() ? "1" : channels.substr(0, 1);
        m_strAudioSampleRate = profile.m_AudioSampleRate.m_Current.value;
        m_strAudioBitRate = profile.m_AudioBitrate.m_Current.value + "kb";
    }
    return true;
}
