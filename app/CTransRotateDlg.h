// The setting dialog of the Rotate transition.
#pragma once

#include <tuple>

#include "app/CDlgRadioGroup.h"
#include "app/CTransSettingDlg.h"
#include "model/TransitionRotateInSetting.h"

class CTransRotateDlg : public CTransSettingDlg<CTransRotateDlg, TransitionRotateInSetting> {
public:
    enum { IDD = 262 };

    explicit CTransRotateDlg(TransitionRotateInSetting* setting)
        : CTransSettingDlg(IDD, "Transition Rotate Setting", setting) {}

    CDlgRadioGroup m_Direction{{{"Closewise", 0}, {"Anti-Closewise", 1}}};

    // The controls in parameter order.
    auto Controls() { return std::tie(m_Direction); }
};
