// The setting dialog of the Twist transition.
#pragma once

#include <tuple>

#include "app/CDlgRadioGroup.h"
#include "app/CTransSettingDlg.h"
#include "model/TransitionTwistSetting.h"

class CTransTwistDlg : public CTransSettingDlg<CTransTwistDlg, TransitionTwistSetting> {
public:
    enum { IDD = 265 };

    explicit CTransTwistDlg(TransitionTwistSetting* setting)
        : CTransSettingDlg(IDD, "Transition Twist Setting", setting) {}

    CDlgRadioGroup m_Direction{{{"Left to right", 0}, {"Right to left", 1}}};

    // The controls in parameter order.
    auto Controls() { return std::tie(m_Direction); }
};
