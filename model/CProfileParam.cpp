#include "model/CProfileParam.h"

#include "model/XmlDoc.h"
#include "model/XmlNumber.h"

void CProfileParam::Load(CXmlDoc& xml) {
    m_Current.index = XmlToInt(xml.GetAttrib("list_index"));
    m_Current.value = xml.GetAttrib("value");
    m_Default = m_Current;
    m_nCount = XmlToInt(xml.GetAttrib("value_list_count"));
    m_arrOptions.clear();
    if (!xml.IntoElem()) return;
    // The count comes from the file: stop at the entries actually there.
    for (int32_t i = 0; i < m_nCount; ++i) {
        if (!xml.FindElem("value_list")) break;
        m_arrOptions.push_back({i, xml.GetAttrib("value")});
    }
    xml.OutOfElem();
}

void CProfileParam::SelectValue(const std::string& value) {
    if (m_arrOptions.empty()) return;
    for (const Value& option : m_arrOptions) {
        if (option.value == value) {
            m_Current = option;
            return;
        }
    }
    m_Current = m_arrOptions.back();
}

void CProfileParam::SelectIndex(int32_t index) {
    if (const Value* option = GetOption(index)) m_Current = *option;
}

const CProfileParam::Value* CProfileParam::GetOption(int32_t index) const {
    if (index < 0 || index >= GetCount()) return nullptr;
    return &m_arrOptions[static_cast<size_t>(index)];
}
