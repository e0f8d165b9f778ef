// The setting dialog of the Door transition.
#pragma once

#include <tuple>

#include "app/CDlgRadioGroup.h"
#include "app/CTransSettingDlg.h"
#include "model/TransitionDoorSetting.h"

class CTransDoorDlg : public CTransSettingDlg<CTransDoorDlg, TransitionDoorSetting> {
public:
    enum { IDD = 258 };

    explicit CTransDoorDlg(TransitionDoorSetting* setting)
        : CTransSettingDlg(IDD, "Transition Door Setting", setting) {}

    CDlgRadioGroup m_Type{{{"Open door", 0}, {"Close Door", 1}}};

    // The controls in parameter order.
    auto Controls() { return std::tie(m_Type); }
};
