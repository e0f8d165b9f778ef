// The setting dialog of the Circle transition.
#pragma once

#include <tuple>

#include "app/CDlgNumberCombo.h"
#include "app/CDlgRadioGroup.h"
#include "app/CTransSettingDlg.h"
#include "model/TransitionCircleSetting.h"

class CTransCircleDlg : public CTransSettingDlg<CTransCircleDlg, TransitionCircleSetting> {
public:
    enum { IDD = 256 };

    explicit CTransCircleDlg(TransitionCircleSetting* setting)
        : CTransSettingDlg(IDD, "Transition Circle Setting", setting) {}

    CDlgRadioGroup m_Direction{{{"Small to big", 0}, {"Big to small", 1}}};
    // Item i shows 1 + i.
    CDlgNumberCombo m_Width{1, 80};

    // The controls in parameter order.
    auto Controls() { return std::tie(m_Direction, m_Width); }
};
