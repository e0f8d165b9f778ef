#include "model/COutputProfile.h"

#include "model/ProfileText.h"
#include "model/XmlDoc.h"
#include "model/XmlNumber.h"

namespace {
bool ReadParam(CXmlDoc& xml, const char* name, CProfileParam& param) {
    if (!xml.FindElem(name)) return false;
    param.Load(xml);
    return true;
}
} // namespace

bool COutputProfile::Load(const std::string& path) {
    CXmlDoc xml;
    if (!LoadProfileXml(path, xml)) return false;
    if (!xml.FindElem("output_profile") || !xml.IntoElem()) return false;
    if (!xml.FindElem("format")) return false;
    m_strFormat = xml.GetAttrib("format");
    m_strExt = xml.GetAttrib("ext");
    m_strDescS = xml.GetAttrib("desc_s");
    m_strDescL = xml.GetAttrib("desc_l");
    m_nListIndex = XmlToInt(xml.GetAttrib("list_index"));

    if (!xml.FindElem("parameters") || !xml.IntoElem()) return false;
    if (!xml.FindElem("video") || !xml.IntoElem()) return false;
    if (!ReadParam(xml, "codec", m_VideoCodec) || !ReadParam(xml, "size", m_VideoSize) ||
        !ReadParam(xml, "bitrate", m_VideoBitrate) || !ReadParam(xml, "framerate", m_FrameRate))
        return false;
    xml.OutOfElem();
    if (!xml.FindElem("audio") || !xml.IntoElem()) return false;
    return ReadParam(xml, "codec", m_AudioCodec) && ReadParam(xml, "bitrate", m_AudioBitrate) &&
           ReadParam(xml, "samplerate", m_AudioSampleRate) && ReadParam(xml, "channel", m_AudioChannels);
}

void COutputProfile::SelectValues(const std::string& videoCodec, const std::string& videoSize,
                                  const std::string& videoBitrate, const std::string& frameRate,
                                  const std::string& audioBitrate, const std::string& audioCodec,
                                  const std::string& sampleRate, const std::string& channels) {
    m_VideoCodec.SelectValue(videoCodec);
    m_VideoSize.SelectValue(videoSize);
    m_VideoBitrate.SelectValue(videoBitrate);
    m_FrameRate.SelectValue(frameRate);
    m_AudioBitrate.SelectValue(audioBitrate);
    m_AudioCodec.SelectValue(audioCodec);
    m_AudioSampleRate.SelectValue(sampleRate);
    m_AudioChannels.SelectValue(channels);
}

void COutputProfile::SelectIndices(int32_t videoCodec, int32_t videoSize, int32_t videoBitrate,
                                   int32_t frameRate, int32_t audioBitrate, int32_t audioCodec,
                                   int32_t sampleRate, int32_t channels) {
    m_VideoCodec.SelectIndex(videoCodec);
    m_VideoSize.SelectIndex(videoSize);
    m_VideoBitrate.SelectIndex(videoBitrate);
    m_FrameRate.SelectIndex(frameRate);
    m_AudioBitrate.SelectIndex(audioBitrate);
    m_AudioCodec.SelectIndex(audioCodec);
    m_AudioSampleRate.SelectIndex(sampleRate);
    m_AudioChannels.SelectIndex(channels);
}
