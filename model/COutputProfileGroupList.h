// The output-profile groups read from "profile/avoutput" in the program folder; the current
// group's current profile tells the encoder its codecs, frame size, rates and extension.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/COutputProfileGroup.h"

class COutputProfileGroupList {
public:
    // Reads "profile/avoutput/profile_group.xml" under the program folder (with or without a
    // trailing '/') and every group it names, in place of the groups held before. TRUE when
    // all "count" groups were built; on failure the groups built before it stay.
    bool Load(const std::string& programFolder);

    int32_t GetCount() const { return static_cast<int32_t>(m_arrGroups.size()); }
    // Null out of range.
    COutputProfileGroup* GetAt(int32_t index) const;
    COutputProfileGroup* GetCurrent() const { return GetAt(m_nCurrent); }
    void SetCurrent(int32_t index) { m_nCurrent = index; }
    // The current group's current profile, or null.
    COutputProfile* GetCurrentProfile() const;

    std::vector<std::unique_ptr<COutputProfileGroup>> m_arrGroups;
    int32_t m_nCurrent = 0;
};
