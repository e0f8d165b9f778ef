#include "model/CProjectSettings.h"

#include "editor/DataDirectory.h"
#include "model/XmlDoc.h"
#include "model/XmlNumber.h"

CProjectSettings::CProjectSettings()
    : m_strTempPath(GetDataDirectory() + "temp"), m_strOutputPath(GetDataDirectory() + "dvd") {}

CProjectSettings::CProjectSettings(const CProjectSettings& other)
    : IS_NTSC(other.IS_NTSC), m_Effect(other.m_Effect), m_strTempPath(other.m_strTempPath),
      m_strOutputPath(other.m_strOutputPath) {}

CProjectSettings& CProjectSettings::operator=(const CProjectSettings& other) {
    if (this == &other) return *this;
    IS_NTSC = other.IS_NTSC;
    m_Effect = other.m_Effect;
    m_strTempPath = other.m_strTempPath;
    m_strOutputPath = other.m_strOutputPath;
    return *this;
}

void CProjectSettings::ResetPaths(const std::string& workingFolder) {
    m_strTempPath = workingFolder + "/temp";
    m_strOutputPath = workingFolder + "/Output";
}

void CProjectSettings::Save(CXmlDoc& xml) const {
    xml.AddElem("DUVI_SETTING");
    xml.IntoElem();
    xml.AddElem("IS_NTSC", IntToXml(IS_NTSC));
    xml.AddElem("WOKRING_PATH", m_strWorkingPath.c_str());
    xml.AddElem("TEMP_PATH", m_strTempPath.c_str());
    xml.AddElem("OUTPUT_PATH", m_strOutputPath.c_str());
    m_Effect.Save(xml);
    xml.OutOfElem();
}

bool CProjectSettings::Load(CXmlDoc& xml) {
    if (!xml.FindElem("DUVI_SETTING") || !xml.IntoElem()) return false;
    if (!xml.FindElem("IS_NTSC")) return false;
    const int32_t ntsc = XmlToInt(xml.GetData());
    if (ntsc == 0 || ntsc == 1) IS_NTSC = ntsc;
    if (!xml.FindElem("WOKRING_PATH")) return false;
    m_strWorkingPath = xml.GetData();
    if (!xml.FindElem("TEMP_PATH")) return false;
    m_strTempPath = xml.GetData();
    if (!xml.FindElem("OUTPUT_PATH")) return false;
    m_strOutputPath = xml.GetData();
    if (!m_Effect.Load(xml)) return false;
    xml.OutOfElem();
    return true;
}
