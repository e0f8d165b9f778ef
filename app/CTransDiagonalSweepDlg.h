// The setting dialog of the Diagonal Sweep transition: shows the object's parameters, offers
// its default and random ones, and stores the choice on OK.
#pragma once

#include "app/CDlgNumberCombo.h"
#include "app/CDlgRadioGroup.h"
#include "model/TransitionDiagonalSweepSetting.h"
#include "platform/win/Dialog.h"

class CTransDiagonalSweepDlg : public CDialog {
public:
    enum { IDD = 269 };

    // The dialog keeps the pointer; OK changes that object.
    explicit CTransDiagonalSweepDlg(TransitionDiagonalSweepSetting* setting);

    // Controls show the object's current parameters.
    BOOL OnInitDialog() override;
    // Stores the controls into the object; a control with nothing chosen keeps that parameter.
    void OnOK() override;
    // The "Default" and "Random" buttons.
    void OnDefault();
    void OnRandom();

    CDlgRadioGroup m_Direction{{{"Left to right", 0}, {"Right to left", 1}}};
    // Item i shows 1 + i.
    CDlgNumberCombo m_Width{1, 80};

private:
    void ShowParams(int32_t param1, int32_t param2);

    TransitionDiagonalSweepSetting* m_pSetting;
};
