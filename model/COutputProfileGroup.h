// A group of output profiles (for example one per kind of player): the profile files of one
// folder under "profile/avoutput", ordered by their list index.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "model/COutputProfile.h"

class CXmlDoc;

class COutputProfileGroup {
public:
    // Builds the group from the current "group" element of the group file: its attributes and
    // every profile of its folder. False when the element is no "group", the folder holds no
    // profile, or one of its profile files fails to load.
    bool Load(CXmlDoc& xml, const std::string& profileFolder);

    int32_t GetCount() const { return static_cast<int32_t>(m_arrProfiles.size()); }
    // Null out of range.
    COutputProfile* GetAt(int32_t index) const;
    COutputProfile* GetCurrent() const { return GetAt(m_nCurrent); }
    // Stored unchecked; GetCurrent gives null for an index outside the group.
    void SetCurrent(int32_t index) { m_nCurrent = index; }

    int32_t m_nCurrent = 0;
    int32_t m_nId = 0;
    std::string m_strFolderPath;
    std::string m_strDesc;
    std::vector<std::unique_ptr<COutputProfile>> m_arrProfiles;

private:
    bool ScanFolder();
};
