// The setting dialog of the Clock transition.
#pragma once

#include <tuple>

#include "app/CDlgRadioGroup.h"
#include "app/CTransSettingDlg.h"
#include "model/TransitionClockSetting.h"

class CTransClockDlg : public CTransSettingDlg<CTransClockDlg, TransitionClockSetting> {
public:
    enum { IDD = 270 };

    explicit CTransClockDlg(TransitionClockSetting* setting)
        : CTransSettingDlg(IDD, "Transition Clock Setting", setting) {}

    CDlgRadioGroup m_FingerNumber{{{"1 Finger", 0}, {"2 Fingers", 1}, {"4 Fingers", 2}}};
    CDlgRadioGroup m_Smooth{{{"Yes", 1}, {"No", 0}}};

    // The controls in parameter order.
    auto Controls() { return std::tie(m_FingerNumber, m_Smooth); }
};
