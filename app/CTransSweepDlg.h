// The setting dialog of the Sweep transition.
#pragma once

#include <tuple>

#include "app/CDlgNumberCombo.h"
#include "app/CDlgRadioGroup.h"
#include "app/CTransSettingDlg.h"
#include "model/TransitionSweepSetting.h"

class CTransSweepDlg : public CTransSettingDlg<CTransSweepDlg, TransitionSweepSetting> {
public:
    enum { IDD = 268 };

    explicit CTransSweepDlg(TransitionSweepSetting* setting)
        : CTransSettingDlg(IDD, "Transition Sweep Setting", setting) {}

    CDlgRadioGroup m_Direction{
        {{"Left to right", 0}, {"Right to left", 1}, {"Bottom to up", 2}, {"Up to bottom", 3}}};
    // Item i shows 1 + i.
    CDlgNumberCombo m_Width{1, 80};

    // The controls in parameter order.
    auto Controls() { return std::tie(m_Direction, m_Width); }
};
