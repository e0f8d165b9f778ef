// The setting dialog of the Cube Fly transition.
#pragma once

#include <tuple>

#include "app/CDlgRadioGroup.h"
#include "app/CTransSettingDlg.h"
#include "model/TransitionCubeFlySetting.h"

class CTransCubeFlyDlg : public CTransSettingDlg<CTransCubeFlyDlg, TransitionCubeFlySetting> {
public:
    enum { IDD = 257 };

    explicit CTransCubeFlyDlg(TransitionCubeFlySetting* setting)
        : CTransSettingDlg(IDD, "Transition Cube Fly Setting", setting) {}

    CDlgRadioGroup m_Direction{
        {{"Bottom to up", 0}, {"Up to bottom", 1}, {"Left to right", 2}, {"Right to left", 3}}};

    // The controls in parameter order.
    auto Controls() { return std::tie(m_Direction); }
};
