// The setting dialog of the Spin transition.
#pragma once

#include <tuple>

#include "app/CDlgRadioGroup.h"
#include "app/CTransSettingDlg.h"
#include "model/TransitionSpinSetting.h"

class CTransSpinDlg : public CTransSettingDlg<CTransSpinDlg, TransitionSpinSetting> {
public:
    enum { IDD = 264 };

    explicit CTransSpinDlg(TransitionSpinSetting* setting)
        : CTransSettingDlg(IDD, "Transition Spin Setting", setting) {}

    CDlgRadioGroup m_Direction{{{"Closewise", 0}, {"Anti-Closewise", 1}}};

    // The controls in parameter order.
    auto Controls() { return std::tie(m_Direction); }
};
