// The setting dialog of the Shutter transition.
#pragma once

#include <tuple>

#include "app/CDlgNumberCombo.h"
#include "app/CDlgRadioGroup.h"
#include "app/CTransSettingDlg.h"
#include "model/TransitionShutterSetting.h"

class CTransShutterDlg : public CTransSettingDlg<CTransShutterDlg, TransitionShutterSetting> {
public:
    enum { IDD = 263 };

    explicit CTransShutterDlg(TransitionShutterSetting* setting)
        : CTransSettingDlg(IDD, "Transition Shutter Setting", setting) {}

    CDlgRadioGroup m_Direction{{{"Vertical", 0}, {"Horizontal", 1}}};
    // Item i shows 1 + i.
    CDlgNumberCombo m_Width{1, 80};

    // The controls in parameter order.
    auto Controls() { return std::tie(m_Direction, m_Width); }
};
