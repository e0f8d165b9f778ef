// What every transition setting dialog does the same way: it shows the object's parameters,
// offers the kind's default and random ones, and stores the choice on OK. A dialog derives
// from CTransSettingDlg<Dialog, Setting> and lists its controls, one a parameter in parameter
// order, through a public Controls() returning std::tie of them; a control is anything with
// SetValue(int32_t) and bool GetValue(int32_t&) (CDlgRadioGroup, CDlgNumberCombo).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>

#include "platform/win/Dialog.h"
#include "platform/win/UiHandler.h"

template <class Dialog, class Setting> class CTransSettingDlg : public CDialog {
public:
    using SettingType = Setting;

    // Controls show the object's current parameters.
    BOOL OnInitDialog() override {
        if (m_pSetting) ShowParams({m_pSetting->m_nParam1, m_pSetting->m_nParam2});
        return TRUE;
    }
    // Stores the controls into the object; a control with nothing chosen keeps that parameter.
    void OnOK() override {
        if (m_pSetting) {
            Values values{m_pSetting->m_nParam1, m_pSetting->m_nParam2};
            std::apply(
                [&values](auto&... control) {
                    size_t i = 0;
                    (control.GetValue(values[i++]), ...);
                },
                static_cast<Dialog&>(*this).Controls());
            if constexpr (kOneParam)
                m_pSetting->SetParams(values[0]);
            else
                m_pSetting->SetParams(values[0], static_cast<Second>(values[1]));
        }
        EndDialog(IDOK);
    }
    // The "Default" and "Random" buttons.
    void OnDefault() { ShowParams(ToValues(Setting::GetDefaultParams())); }
    void OnRandom() { ShowParams(ToValues(Setting::GetRandomParams())); }

protected:
    // The dialog keeps the pointer; OK changes that object.
    CTransSettingDlg(UINT templateId, std::string title, Setting* setting)
        : CDialog(templateId, std::move(title)), m_pSetting(setting) {}

private:
    // The parameters as the controls hold them: a flag as 0 or 1; a one-parameter kind uses
    // only the first.
    using Values = std::array<int32_t, 2>;
    using Params = decltype(Setting::GetDefaultParams());
    static constexpr bool kOneParam = std::is_same_v<Params, int32_t>;
    using Second = typename std::conditional_t<kOneParam, std::pair<int32_t, int32_t>, Params>::second_type;

    static Values ToValues(int32_t value) { return {value, 0}; }
    static Values ToValues(const std::pair<int32_t, Second>& values) {
        return {values.first, static_cast<int32_t>(values.second)};
    }

    void ShowParams(const Values& values) {
        std::apply(
            [&values](auto&... control) {
                size_t i = 0;
                (control.SetValue(values[i++]), ...);
            },
            static_cast<Dialog&>(*this).Controls());
    }

    Setting* m_pSetting;
};
