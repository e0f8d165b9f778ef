#include "app/CDlgRadioGroup.h"

void CDlgRadioGroup::SetCheck(int32_t button) {
    m_nChecked = button >= 0 && button < GetButtonCount() ? button : -1;
}

void CDlgRadioGroup::SetValue(int32_t value) {
    m_nChecked = -1;
    for (size_t i = 0; i < m_buttons.size(); ++i) {
        if (m_buttons[i].second == value) {
            m_nChecked = static_cast<int32_t>(i);
            return;
        }
    }
}

bool CDlgRadioGroup::GetValue(int32_t& value) const {
    if (m_nChecked < 0) return false;
    value = m_buttons[static_cast<size_t>(m_nChecked)].second;
    return true;
}
