// The setting dialog of the Alpha transition.
#pragma once

#include <tuple>

#include "app/CDlgRadioGroup.h"
#include "app/CTransSettingDlg.h"
#include "model/TransitionAlphaSetting.h"

class CTransAlphaDlg : public CTransSettingDlg<CTransAlphaDlg, TransitionAlphaSetting> {
public:
    enum { IDD = 253 };

    explicit CTransAlphaDlg(TransitionAlphaSetting* setting)
        : CTransSettingDlg(IDD, "Transition Alpha Setting", setting) {}

    CDlgRadioGroup m_Type{{{"Normal", 0}, {"Fade to white", 1}, {"Fade to black", 2}}};

    // The controls in parameter order.
    auto Controls() { return std::tie(m_Type); }
};
