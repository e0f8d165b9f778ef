// The setting dialog of the Flip transition.
#pragma once

#include <tuple>

#include "app/CDlgRadioGroup.h"
#include "app/CTransSettingDlg.h"
#include "model/TransitionFlipSetting.h"

class CTransFlipDlg : public CTransSettingDlg<CTransFlipDlg, TransitionFlipSetting> {
public:
    enum { IDD = 259 };

    explicit CTransFlipDlg(TransitionFlipSetting* setting)
        : CTransSettingDlg(IDD, "Transition Flip Setting", setting) {}

    CDlgRadioGroup m_Direction{{{"Vertical", 0}, {"Horizontal", 1}}};

    // The controls in parameter order.
    auto Controls() { return std::tie(m_Direction); }
};
