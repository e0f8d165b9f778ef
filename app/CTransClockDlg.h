// The setting dialog of the Clock transition: shows the object's parameters, offers
// its default and random ones, and stores the choice on OK.
#pragma once

#include "app/CDlgRadioGroup.h"
#include "model/TransitionClockSetting.h"
#include "platform/win/Dialog.h"

class CTransClockDlg : public CDialog {
public:
    enum { IDD = 270 };

    // The dialog keeps the pointer; OK changes that object.
    explicit CTransClockDlg(TransitionClockSetting* setting);

    // Controls show the object's current parameters.
    BOOL OnInitDialog() override;
    // Stores the controls into the object; a control with nothing chosen keeps that parameter.
    void OnOK() override;
    // The "Default" and "Random" buttons.
    void OnDefault();
    void OnRandom();

    CDlgRadioGroup m_FingerNumber{{{"1 Finger", 0}, {"2 Fingers", 1}, {"4 Fingers", 2}}};
    CDlgRadioGroup m_Smooth{{{"Yes", 1}, {"No", 0}}};

private:
    void ShowParams(int32_t param1, int32_t param2);

    TransitionClockSetting* m_pSetting;
};
