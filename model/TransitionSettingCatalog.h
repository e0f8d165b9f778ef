// The 19 transition prototypes the user picks from and edits: Random first, then the 18
// kinds in kind order, each with its cover picture from "EffectCover" in the program folder.
// Stored in the preference file as "EFFECT_SETS".
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/TransitionSetting.h"

class CXmlDoc;

class TransitionSettingCatalog {
public:
    static constexpr int32_t COUNT = TRANSITION_KIND_COUNT;

    TransitionSettingCatalog();
    TransitionSettingCatalog(const TransitionSettingCatalog&) = delete;
    TransitionSettingCatalog& operator=(const TransitionSettingCatalog&) = delete;

    // Replaces every prototype by the 19 defaults (the kinds with their default parameters).
    void BuildDefaults();

    int32_t GetCount() const { return static_cast<int32_t>(m_arrSettings.size()); }
    // The cover picture of a catalogue index; "" out of range.
    std::string GetCoverPath(int32_t index) const;
    // The prototype at an index, still owned by the catalogue; null out of range.
    TransitionSetting* GetAt(int32_t index) const;
    // Runs the setting dialog of the prototype at an index (edits it in place); nothing out of range.
    void EditAt(int32_t index);

    // Adds "EFFECT_SETS" at the document's current level with the 19 prototypes under it.
    bool Save(CXmlDoc& xml) const;
    // Reads "EFFECT_SETS" at the document's current level. TRUE when exactly 19 known settings
    // were read; anything else (missing element, other count, unknown NAME, missing parameter)
    // leaves the 19 defaults and gives FALSE.
    bool Load(CXmlDoc& xml);

private:
    std::array<std::string, COUNT> m_strCoverPaths;
    std::vector<std::unique_ptr<TransitionSetting>> m_arrSettings;
};
