// The setting dialog of the Accordion transition.
#pragma once

#include <tuple>

#include "app/CDlgRadioGroup.h"
#include "app/CTransSettingDlg.h"
#include "model/TransitionAccordionSetting.h"

class CTransAccordionDlg : public CTransSettingDlg<CTransAccordionDlg, TransitionAccordionSetting> {
public:
    enum { IDD = 254 };

    explicit CTransAccordionDlg(TransitionAccordionSetting* setting)
        : CTransSettingDlg(IDD, "Transition Accordion Setting", setting) {}

    CDlgRadioGroup m_Direction{{{"Left to right", 0}, {"Right to left", 1}}};

    // The controls in parameter order.
    auto Controls() { return std::tie(m_Direction); }
};
