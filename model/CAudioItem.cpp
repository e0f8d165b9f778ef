#include "model/CAudioItem.h"

#include "model/CProject.h"
#include "model/TimeText.h"
#include "platform/win/FileSystem.h"

CAudioItem::CAudioItem(const std::string& path, const std::string& name, const std::string& tempMp2)
    : m_strOriginalPath(path), m_strName(name), m_strTempMp2(tempMp2) {
    uint64_t size = 0;
    std::time_t mtime = 0;
    if (!GetFileStatus(m_strOriginalPath, size, mtime)) m_strOriginalPath = g_Project.m_Config.m_strDefaultMusic;
    m_nDuration = g_Project.GetAudioFileSeconds(m_strOriginalPath);
    m_strDuration = FormatHms(m_nDuration);
}

void CAudioItem::SetStart(int32_t seconds) {
    m_nStart = seconds;
    m_strStart = FormatHms(seconds);
}

void CAudioItem::SetTempFolder(const std::string& folder) { m_strTempMp2 = folder + "/" + m_strName + ".mp2"; }
