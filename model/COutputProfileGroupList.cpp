#include "model/COutputProfileGroupList.h"

#include "model/ProfileText.h"
#include "model/XmlDoc.h"
#include "model/XmlNumber.h"

bool COutputProfileGroupList::Load(const std::string& programFolder) {
    std::string base = programFolder;
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    const std::string profileFolder = base + "/profile/avoutput";

    m_arrGroups.clear();
    CXmlDoc xml;
    if (!LoadProfileXml(profileFolder + "/profile_group.xml", xml)) return false;
    if (!xml.FindElem("av_output_profile_group")) return false;
    const int32_t count = XmlToInt(xml.GetAttrib("count"));
    if (!xml.IntoElem()) return false;
    int32_t built = 0;
    while (built < count) {
        if (!xml.FindElem("") || xml.GetTagName() != "group") break;
        auto group = std::make_unique<COutputProfileGroup>();
        if (!group->Load(xml, profileFolder)) break;
        m_arrGroups.push_back(std::move(group));
        ++built;
    }
    return built == count;
}

COutputProfileGroup* COutputProfileGroupList::GetAt(int32_t index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return m_arrGroups[static_cast<size_t>(index)].get();
}

COutputProfile* COutputProfileGroupList::GetCurrentProfile() const {
    const COutputProfileGroup* group = GetCurrent();
    return group ? group->GetCurrent() : nullptr;
}
