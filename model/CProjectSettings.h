// Settings of the project and of each slide: TV standard, the effect setting and the three
// work paths. The project holds one as its defaults; every slide holds its own copy.
#pragma once

#include <cstdint>
#include <string>

#include "model/CEffectSetting.h"

class CXmlDoc;

class CProjectSettings {
public:
    // NTSC, default effect, no working path; temp and output folders under the data folder.
    CProjectSettings();
    // Like assignment: the working path is not copied (a new slide's stays empty).
    CProjectSettings(const CProjectSettings& other);
    // Copies the TV standard, the effect (re-picked and cloned) and the temp and output paths.
    CProjectSettings& operator=(const CProjectSettings& other);

    // 0 NTSC, 1 PAL; any other value counts as PAL. The flag indexes g_FrameRates.
    void SetNtsc(int32_t flag) { IS_NTSC = flag == 0 ? 0 : 1; }
    // temp = "<folder>/temp", output = "<folder>/Output".
    void ResetPaths(const std::string& workingFolder);

    // "DUVI_SETTING" at the document's current level; afterwards that element is current.
    void Save(CXmlDoc& xml) const;
    // Reads the next "DUVI_SETTING" at the current level; the first missing element gives FALSE
    // (values read before it stay). A TV flag other than 0 or 1 is not taken.
    bool Load(CXmlDoc& xml);

    int32_t IS_NTSC = 0; // 0 NTSC (29.97 frames per second), 1 PAL (25)
    CEffectSetting m_Effect;
    std::string m_strWorkingPath;
    std::string m_strTempPath;
    std::string m_strOutputPath;
};
