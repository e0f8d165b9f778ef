// The setting dialog of the Polygon transition.
#pragma once

#include <tuple>

#include "app/CDlgNumberCombo.h"
#include "app/CDlgRadioGroup.h"
#include "app/CTransSettingDlg.h"
#include "model/TransitionPolygonSetting.h"

class CTransPolygonDlg : public CTransSettingDlg<CTransPolygonDlg, TransitionPolygonSetting> {
public:
    enum { IDD = 261 };

    explicit CTransPolygonDlg(TransitionPolygonSetting* setting)
        : CTransSettingDlg(IDD, "Transition Polygon Setting", setting) {}

    // Item i shows 3 + i.
    CDlgNumberCombo m_Number{3, 7};
    CDlgRadioGroup m_Direction{{{"Fly in", 0}, {"Fly out", 1}}};

    // The controls in parameter order.
    auto Controls() { return std::tie(m_Number, m_Direction); }
};
