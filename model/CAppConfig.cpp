#include "model/CAppConfig.h"

#include "editor/AppDirectory.h"
#include "editor/DataDirectory.h"
#include "model/WorkFolderNames.h"

namespace {
std::string WithoutTrailingSlash(std::string folder) {
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}
} // namespace

CAppConfig::CAppConfig() {
    m_strAppPath = WithoutTrailingSlash(GetAppDirectory());
    m_strDataPath = WithoutTrailingSlash(GetDataDirectory());
    m_strWorkingFolder = m_strDataPath;
    DerivePaths();
}

void CAppConfig::DerivePaths() {
    const std::string& app = m_strAppPath;
    m_strPreferenceFile = m_strDataPath + "/referenceFile.xml";
    m_strNtscMenuBackground = app + "/menu_pic/ntsc_menu_background.jpg";
    m_strPalMenuBackground = app + "/menu_pic/pal_menu_background.jpg";
    m_strDefaultMusic = app + "/menu_pic/default.mp3";
    m_strNtscBackground = app + "/menu_pic/NTSC_BG.png";
    m_strPalBackground = app + "/menu_pic/PAL_BG.png";
    m_strSilentMp2 = app + "/menu_pic/silent.mp2";
    DefaultImage = app + "/res/defaultImage.bmp";
    m_strLogFile = m_strDataPath + "/log.txt";
}

void CAppConfig::SetAppPath(const std::string& programFolder, const std::string& dataFolder) {
    m_nRunTimes = 0;
    m_strAppPath = WithoutTrailingSlash(programFolder);
    m_strDataPath = WithoutTrailingSlash(dataFolder);
    ResetWorkingFolder();
    DerivePaths();
    FDSearchPath = m_strAppPath;
}

void CAppConfig::ResetWorkingFolder() {
    m_strWorkingFolder = CreateWorkingFolderName(m_strDataPath);
}

void CAppConfig::ResetProjectFileName() {
    m_strProjectFile = GetFreeProjectFileName(m_strDataPath);
}
