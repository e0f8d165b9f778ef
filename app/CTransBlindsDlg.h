// The setting dialog of the Blinds transition.
#pragma once

#include <tuple>

#include "app/CDlgNumberCombo.h"
#include "app/CDlgRadioGroup.h"
#include "app/CTransSettingDlg.h"
#include "model/TransitionBlindSetting.h"

class CTransBlindsDlg : public CTransSettingDlg<CTransBlindsDlg, TransitionBlindSetting> {
public:
    enum { IDD = 255 };

    explicit CTransBlindsDlg(TransitionBlindSetting* setting)
        : CTransSettingDlg(IDD, "Transition Blinds Setting", setting) {}

    CDlgRadioGroup m_Direction{{{"Left to right", 0}, {"Right to left", 1}}};
    // Item i shows 4 + i.
    CDlgNumberCombo m_WindowNumber{4, 7};

    // The controls in parameter order.
    auto Controls() { return std::tie(m_Direction, m_WindowNumber); }
};
