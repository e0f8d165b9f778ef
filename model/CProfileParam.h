// One parameter of an output profile (codec, size, bit rate, ...): the options the user may
// choose from, the one chosen and the one the profile file names.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CXmlDoc;

class CProfileParam {
public:
    struct Value {
        int32_t index = 0;
        std::string value;
    };

    // Reads the current parameter element (attributes "value", "list_index",
    // "value_list_count" and its "value_list" children); the element stays current.
    void Load(CXmlDoc& xml);

    // Makes the option with exactly this value current; with no match the last option. A
    // parameter without options keeps what it has.
    void SelectValue(const std::string& value);
    // Makes option i current; an index outside the options changes nothing.
    void SelectIndex(int32_t index);

    int32_t GetCount() const { return static_cast<int32_t>(m_arrOptions.size()); }
    const Value* GetOption(int32_t index) const;

    // The value_list_count written in the file (the options actually read may be fewer).
    int32_t m_nCount = 0;
    Value m_Current;
    Value m_Default;
    std::vector<Value> m_arrOptions;
};
