#include "model/TransitionSettingCatalog.h"

#include "editor/AppDirectory.h"
#include "model/TransitionFactory.h"
#include "model/XmlDoc.h"

namespace {
const char* const kCoverFiles[TransitionSettingCatalog::COUNT] = {
    "random.jpg", "alpha.jpg",   "accordion.jpg",     "blinds.jpg",  "circle.jpg",
    "clock.jpg",  "cubefly.jpg", "diagonalsweep.jpg", "door.jpg",    "flip.jpg",
    "fly.jpg",    "polygon.jpg", "rotatein.jpg",      "shutter.jpg", "spin.jpg",
    "sweep.jpg",  "twist.jpg",   "wipe.jpg",          "zoom.jpg",
};

// Catalogue index 0 is Random; index i holds kind i - 1.
int32_t KindOfIndex(int32_t index) {
    return index == 0 ? TRANSITION_RANDOM : index - 1;
}
} // namespace

TransitionSettingCatalog::TransitionSettingCatalog() {
    const std::string folder = GetAppDirectory() + "EffectCover/";
    for (int32_t i = 0; i < COUNT; ++i)
        m_strCoverPaths[static_cast<size_t>(i)] = folder + kCoverFiles[i];
    BuildDefaults();
}

void TransitionSettingCatalog::BuildDefaults() {
    m_arrSettings.clear();
    for (int32_t i = 0; i < COUNT; ++i)
        m_arrSettings.push_back(MakeTransition(KindOfIndex(i), false));
}

std::string TransitionSettingCatalog::GetCoverPath(int32_t index) const {
    if (index < 0 || index >= COUNT) return {};
    return m_strCoverPaths[static_cast<size_t>(index)];
}

TransitionSetting* TransitionSettingCatalog::GetAt(int32_t index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_arrSettings[static_cast<size_t>(index)].get();
}

void TransitionSettingCatalog::EditAt(int32_t index) {
    if (TransitionSetting* setting = GetAt(index)) setting->Edit();
}

bool TransitionSettingCatalog::Save(CXmlDoc& xml) const {
    xml.AddElem("EFFECT_SETS");
    xml.IntoElem();
    for (const auto& setting : m_arrSettings)
        setting->Save(xml);
    return xml.OutOfElem();
}

bool TransitionSettingCatalog::Load(CXmlDoc& xml) {
    // Read into a fresh list first: the catalogue never holds a partial set.
    std::vector<std::unique_ptr<TransitionSetting>> loaded;
    bool ok = xml.FindElem("EFFECT_SETS") && xml.IntoElem();
    if (ok) {
        try {
            while (ok && xml.FindElem("")) {
                auto setting = ReadTransition(xml);
                if (!setting)
                    ok = false; // unknown NAME: the set is not complete
                else
                    loaded.push_back(std::move(setting));
            }
        } catch (bool) {
            ok = false;
        }
        if (ok) xml.OutOfElem();
    }
    if (ok && loaded.size() == static_cast<size_t>(COUNT)) {
        m_arrSettings = std::move(loaded);
        return true;
    }
    BuildDefaults();
    return false;
}
