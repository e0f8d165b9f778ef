// The setting dialog of the Wipe transition.
#pragma once

#include <tuple>

#include "app/CDlgRadioGroup.h"
#include "app/CTransSettingDlg.h"
#include "model/TransitionWipeSetting.h"

class CTransWipeDlg : public CTransSettingDlg<CTransWipeDlg, TransitionWipeSetting> {
public:
    enum { IDD = 266 };

    explicit CTransWipeDlg(TransitionWipeSetting* setting)
        : CTransSettingDlg(IDD, "Transition Wipe Setting", setting) {}

    CDlgRadioGroup m_Direction{
        {{"Left to right", 0}, {"Right to left", 1}, {"Bottom to up", 2}, {"Up to bottom", 3}}};
    CDlgRadioGroup m_Push{{{"Yes", 1}, {"No", 0}}};

    // The controls in parameter order.
    auto Controls() { return std::tie(m_Direction, m_Push); }
};
