// Program-folder and data-folder paths and the user's preferences (the preference file stores
// them). The program folder is only read; what the program writes lives in the data folder.
#pragma once

#include <cstdint>
#include <string>

class CAppConfig {
public:
    // Until SetAppPath runs, the program folder is the folder of the executable, the data
    // folder (and the working folder) the user's data folder, and every derived path is built
    // from them.
    CAppConfig();

    // Run count 0, the program and data folders (no trailing '/'), a new working folder name,
    // every derived path, and the picture dialog's start folder. The project file is not touched.
    void SetAppPath(const std::string& programFolder, const std::string& dataFolder);
    // Working folder = the next free "Project_<n>" name under the data folder.
    void ResetWorkingFolder();
    // Current project file = the first free "project<n>.prg" in the data folder.
    void ResetProjectFileName();

    int32_t m_nRunTimes = 0;
    std::string m_strWorkingFolder;
    std::string m_strAppPath;
    std::string m_strDataPath;
    std::string m_strPreferenceFile;
    std::string m_strNtscMenuBackground;
    std::string m_strPalMenuBackground;
    std::string m_strDefaultMusic;
    std::string m_strNtscBackground;
    std::string m_strPalBackground;
    std::string m_strProjectFile;
    std::string m_strSilentMp2;
    std::string FDSearchPath;
    std::string DefaultImage;
    std::string m_strLogFile;
    int32_t IsUseNation = 0;
    std::string NationName = "U.S.A";
    int32_t NationTVFormat = 0;
    int32_t TVFormat = 0;
    int32_t AspectRatio = 0; // 0 = 4:3, 1 = 16:9
    uint8_t LoopAudio = 1;
    uint8_t RandomImageEffect = 0;
    uint8_t RandomTransition = 1;

private:
    void DerivePaths();
};
