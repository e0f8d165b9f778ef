#include "render/EncoderSession.h"

#include "render/EncoderParameters.h"

EncoderSession::~EncoderSession() { Close(); }

bool EncoderSession::Load(const std::string& programFolder) {
    std::string path = programFolder;
    if (!path.empty() && path.back() != '/') path += '/';
    path += ENCODER_LIBRARY_NAME;
    if (!m_Library.LoadWithEntries(path, {"initEncoder", "EncOneFrame", "closeEncoder"})) return false;
    m_pfnInit = m_Library.Entry<InitEncoderFn>("initEncoder");
    m_pfnFrame = m_Library.Entry<EncOneFrameFn>("EncOneFrame");
    m_pfnClose = m_Library.Entry<CloseEncoderFn>("closeEncoder");
    m_pfnError = m_Library.Entry<GetEncoderErrorFn>("getEncoderError");
    return true;
}

int32_t EncoderSession::Open(const EncoderParameters& p) {
    if (!m_pfnInit) return 1;
    m_bOpen = true;
    return m_pfnInit(p.m_nWidth, p.m_nHeight, p.m_strOutputFile.c_str(), p.m_strRawFile.c_str(),
                     p.m_strAudioFile.c_str(), p.m_strAudioCodec.c_str(), p.m_strAudioBitRate.c_str(),
                     p.m_strAudioSampleRate.c_str(), p.m_strAudioChannels.c_str(), p.m_strVideoCodec.c_str(),
                     p.m_strVideoBitRate.c_str(), p.m_strFrameSize.c_str(), p.m_strFrameRate.c_str());
}

int32_t EncoderSession::Close() {
    if (!m_bOpen) return 0;
    m_bOpen = false;
    return m_pfnClose ? m_pfnClose() : 0;
}

std::string EncoderSession::EncoderError() const {
    if (!m_pfnError) return std::string();
    char text[1024] = {};
    m_pfnError(text, static_cast<int32_t>(sizeof text));
    return text;
}
