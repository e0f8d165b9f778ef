// The state of a drop-down list of consecutive numbers in a dialog: item i shows the number
// first + i; the selection is -1 when nothing is selected.
#pragma once

#include <cstdint>
#include <string>

class CDlgNumberCombo {
public:
    CDlgNumberCombo(int32_t first, int32_t count) : m_nFirst(first), m_nCount(count) {}

    int32_t GetCount() const { return m_nCount; }
    std::string GetItemText(int32_t item) const { return std::to_string(m_nFirst + item); }

    // Selects an item; an index outside the list clears the selection.
    void SetCurSel(int32_t item) { m_nCurSel = item >= 0 && item < m_nCount ? item : -1; }
    int32_t GetCurSel() const { return m_nCurSel; }

    // Selects the item showing a number; a number outside the list selects nothing.
    void SetValue(int32_t number) {
        const int64_t item = int64_t{number} - m_nFirst;
        SetCurSel(item >= 0 && item < m_nCount ? static_cast<int32_t>(item) : -1);
    }
    // The selected number; false when nothing is selected.
    bool GetValue(int32_t& number) const {
        if (m_nCurSel < 0) return false;
        number = m_nFirst + m_nCurSel;
        return true;
    }

private:
    int32_t m_nFirst;
    int32_t m_nCount;
    int32_t m_nCurSel = -1;
};
