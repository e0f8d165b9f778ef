// The setting dialog of the Zoom transition.
#pragma once

#include <tuple>

#include "app/CDlgRadioGroup.h"
#include "app/CTransSettingDlg.h"
#include "model/TransitionZoomSetting.h"

class CTransZoomDlg : public CTransSettingDlg<CTransZoomDlg, TransitionZoomSetting> {
public:
    enum { IDD = 267 };

    explicit CTransZoomDlg(TransitionZoomSetting* setting)
        : CTransSettingDlg(IDD, "Transition Zoom Setting", setting) {}

    CDlgRadioGroup m_Type{{{"Zoom in", 0}, {"Zoom out", 1}}};

    // The controls in parameter order.
    auto Controls() { return std::tie(m_Type); }
};
