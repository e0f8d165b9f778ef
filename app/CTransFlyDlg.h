// The setting dialog of the Fly transition.
#pragma once

#include <tuple>

#include "app/CDlgRadioGroup.h"
#include "app/CTransSettingDlg.h"
#include "model/TransitionFlySetting.h"

class CTransFlyDlg : public CTransSettingDlg<CTransFlyDlg, TransitionFlySetting> {
public:
    enum { IDD = 260 };

    explicit CTransFlyDlg(TransitionFlySetting* setting)
        : CTransSettingDlg(IDD, "Transition Fly Setting", setting) {}

    CDlgRadioGroup m_Type{{{"Fly in", 0}, {"Fly out", 1}}};

    // The controls in parameter order.
    auto Controls() { return std::tie(m_Type); }
};
