#include "model/COutputProfileGroup.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "model/GlobalUtils.h"
#include "model/XmlDoc.h"
#include "model/XmlNumber.h"

bool COutputProfileGroup::Load(CXmlDoc& xml, const std::string& profileFolder) {
    m_nCurrent = 0;
    if (xml.GetTagName() != "group") return false;
    m_nId = XmlToInt(xml.GetAttrib("id"));
    m_strDesc = xml.GetAttrib("desc");
    m_strFolderPath = profileFolder + "/" + xml.GetAttrib("folder");
    if (!ScanFolder()) return false;
    // Equal list indexes keep the (sorted) scan order.
    std::stable_sort(m_arrProfiles.begin(), m_arrProfiles.end(),
                     [](const auto& a, const auto& b) { return a->m_nListIndex < b->m_nListIndex; });
    return true;
}

bool COutputProfileGroup::ScanFolder() {
    m_arrProfiles.clear();
    // A folder listing comes in no particular order: sort the names so that profiles with equal
    // list indexes come out the same on every machine. Only regular files are profiles.
    std::vector<std::string> names;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(m_strFolderPath, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code typeEc;
        if (!it->is_regular_file(typeEc)) continue;
        const std::string name = it->path().filename().string();
        if (ToLowerAscii(GetFileExt(name)) == "xml") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
        auto profile = std::make_unique<COutputProfile>();
        if (!profile->Load(m_strFolderPath + "/" + name)) {
            m_arrProfiles.clear();
            return false;
        }
        m_arrProfiles.push_back(std::move(profile));
    }
    return !m_arrProfiles.empty();
}

COutputProfile* COutputProfileGroup::GetAt(int32_t index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_arrProfiles[static_cast<size_t>(index)].get();
}
