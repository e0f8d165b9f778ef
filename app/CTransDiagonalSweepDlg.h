// The setting dialog of the Diagonal Sweep transition.
#pragma once

#include <tuple>

#include "app/CDlgNumberCombo.h"
#include "app/CDlgRadioGroup.h"
#include "app/CTransSettingDlg.h"
#include "model/TransitionDiagonalSweepSetting.h"

class CTransDiagonalSweepDlg
    : public CTransSettingDlg<CTransDiagonalSweepDlg, TransitionDiagonalSweepSetting> {
public:
    enum { IDD = 269 };

    explicit CTransDiagonalSweepDlg(TransitionDiagonalSweepSetting* setting)
        : CTransSettingDlg(IDD, "Transition Diagonal Sweep Setting", setting) {}

    CDlgRadioGroup m_Direction{{{"Left to right", 0}, {"Right to left", 1}}};
    // Item i shows 1 + i.
    CDlgNumberCombo m_Width{1, 80};

    // The controls in parameter order.
    auto Controls() { return std::tie(m_Direction, m_Width); }
};
