// The state of a group of radio buttons in a dialog: the buttons' labels, the value each one
// stands for, and which one is checked (-1 for none).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class CDlgRadioGroup {
public:
    // Buttons in display order, each with the value it stands for.
    explicit CDlgRadioGroup(std::vector<std::pair<std::string, int32_t>> buttons)
        : m_buttons(std::move(buttons)) {}

    int32_t GetButtonCount() const { return static_cast<int32_t>(m_buttons.size()); }
    const std::string& GetLabel(int32_t button) const {
        return m_buttons.at(static_cast<size_t>(button)).first;
    }

    // Clicks a button; an index outside the group clears the check.
    void SetCheck(int32_t button);
    int32_t GetCheck() const { return m_nChecked; }

    // Checks the button of a value; a value no button stands for leaves none checked.
    void SetValue(int32_t value);
    // The checked button's value; false when none is checked.
    bool GetValue(int32_t& value) const;

private:
    std::vector<std::pair<std::string, int32_t>> m_buttons;
    int32_t m_nChecked = -1;
};
