#include "model/CPreferenceFile.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <system_error>

#include "model/CProject.h"
#include "model/DocumentText.h"
#include "model/XmlDoc.h"
#include "model/XmlNumber.h"

namespace {
constexpr const char* kVersion = "3.0.6";

// Takes a 0/1 value; anything else leaves the old one.
void TakeFlag01(const std::string& text, int32_t& value) {
    const int32_t v = XmlToInt(text);
    if (v == 0 || v == 1) value = v;
}

void TakeSeconds(const std::string& text, int32_t& value) {
    const int32_t v = XmlToInt(text);
    if (v >= 0 && v <= CPreferenceFile::MAX_SECONDS) value = v;
}

uint8_t ToByteFlag(const std::string& text) { return XmlToInt(text) != 0 ? 1 : 0; }
} // namespace

int32_t CPreferenceFile::Save(CProject& project) {
    const CAppConfig& config = project.m_Config;
    const CProjectSettings& settings = project.m_Settings;
    CXmlDoc xml;
    xml.AddElem("reference");
    xml.IntoElem();
    xml.AddElem("VERSION", kVersion);
    xml.AddElem("RunTimes", IntToXml(config.m_nRunTimes));
    xml.AddElem("AppPath", config.m_strDataPath);
    xml.AddElem("workingPath", config.m_strWorkingFolder);
    xml.AddElem("outputPath", settings.m_strOutputPath);
    xml.AddElem("isNtsc", IntToXml(settings.IS_NTSC));
    xml.AddElem("AspectRatio", IntToXml(config.AspectRatio));
    xml.AddElem("transmitTime", IntToXml(settings.m_Effect.m_nTransitionTime));
    xml.AddElem("singleTime", IntToXml(settings.m_Effect.m_nSingleEffectTime));
    xml.AddElem("FDSearchPath", config.FDSearchPath);
    xml.AddElem("IsUseNation", IntToXml(config.IsUseNation));
    xml.AddElem("NationName", config.NationName);
    xml.AddElem("NationTVFormat", IntToXml(config.NationTVFormat));
    xml.AddElem("TVFormat", IntToXml(config.TVFormat));
    xml.AddElem("LoopAudio", IntToXml(config.LoopAudio));
    xml.AddElem("RandomImageEffect", IntToXml(config.RandomImageEffect));
    xml.AddElem("RandomTransition", IntToXml(config.RandomTransition));
    xml.AddElem("DefaultImage", config.DefaultImage);
    project.m_Catalog.Save(xml);
    xml.OutOfElem();

    if (!CXmlDoc::WriteTextFile(config.m_strPreferenceFile, xml.GetDoc())) return -1;
    project.m_Settings.m_Effect.ApplyRandomDefaults(config.RandomImageEffect != 0, config.RandomTransition != 0);
    return 0;
}

int32_t CPreferenceFile::Load(CProject& project) {
    const std::string path = project.m_Config.m_strPreferenceFile;
    std::string text;
    uint64_t fileBytes = 0;
    if (!ReadDocumentText(path, text, fileBytes)) {
        // Only a missing file is made anew: one that is there but unreadable is not replaced.
        std::error_code ec;
        if (std::filesystem::exists(std::filesystem::symlink_status(path, ec))) return -1;
        return Save(project);
    }
    // A conversion that lost most of the text (for example UTF-16 without its mark).
    if (static_cast<int64_t>(text.size()) < static_cast<int64_t>(fileBytes / 2) - 20) return -1;
    CXmlDoc xml;
    if (!xml.SetDoc(text)) return -1;

    const bool complete = ReadValues(project, xml);
    // Every parsed file is rewritten with the values now in memory: another version, another
    // data folder or a missing key leaves a complete file behind.
    const int32_t saved = Save(project);
    return complete ? 0 : saved;
}

bool CPreferenceFile::ReadValues(CProject& project, CXmlDoc& xml) {
    CAppConfig& config = project.m_Config;
    CProjectSettings& settings = project.m_Settings;
    std::string value;
    auto next = [&xml, &value](const char* name) {
        if (!xml.FindElem(name)) return false;
        value = xml.GetData();
        return true;
    };

    if (!xml.FindElem("reference") || !xml.IntoElem()) return false;
    if (!next("VERSION") || value != kVersion) return false;
    if (!next("RunTimes")) return false;
    const int64_t runs = int64_t{XmlToInt(value)} + 1;
    config.m_nRunTimes = runs < 0 ? 3 : static_cast<int32_t>(std::min<int64_t>(runs, INT32_MAX));
    // A file of another data folder is replaced by one of this folder.
    if (!next("AppPath") || value != config.m_strDataPath) return false;
    if (!next("workingPath") || !next("outputPath")) return false;
    if (!next("isNtsc")) return false;
    TakeFlag01(value, settings.IS_NTSC);
    if (!next("AspectRatio")) return false;
    TakeFlag01(value, config.AspectRatio);
    if (!next("transmitTime")) return false;
    TakeSeconds(value, settings.m_Effect.m_nTransitionTime);
    if (!next("singleTime")) return false;
    TakeSeconds(value, settings.m_Effect.m_nSingleEffectTime);
    if (!next("FDSearchPath")) return false;
    config.FDSearchPath = value;
    if (!next("IsUseNation")) return false;
    config.IsUseNation = XmlToInt(value) != 0 ? 1 : 0;
    if (!next("NationName")) return false;
    config.NationName = value;
    if (!next("NationTVFormat")) return false;
    TakeFlag01(value, config.NationTVFormat);
    if (!next("TVFormat")) return false;
    config.TVFormat = XmlToInt(value); // nothing depends on its range
    if (!next("LoopAudio")) return false;
    config.LoopAudio = ToByteFlag(value);
    if (!next("RandomImageEffect")) return false;
    config.RandomImageEffect = ToByteFlag(value);
    if (!next("RandomTransition")) return false;
    config.RandomTransition = ToByteFlag(value);
    if (!next("DefaultImage")) return false;
    config.DefaultImage = value;

    settings.m_Effect.ApplyRandomDefaults(config.RandomImageEffect != 0, config.RandomTransition != 0);
    return project.m_Catalog.Load(xml);
}

// --- the engine's preference operations ----------------------------------------------------

int32_t CProject::LoadPreferences() { return CPreferenceFile::Load(*this); }

int32_t CProject::SavePreferences() { return CPreferenceFile::Save(*this); }
