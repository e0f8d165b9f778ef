// The setting dialog of the Twist transition: shows the object's parameters, offers
// its default and random ones, and stores the choice on OK.
#pragma once

#include "app/CDlgRadioGroup.h"
#include "model/TransitionTwistSetting.h"
#include "platform/win/Dialog.h"

class CTransTwistDlg : public CDialog {
public:
    enum { IDD = 265 };

    // The dialog keeps the pointer; OK changes that object.
    explicit CTransTwistDlg(TransitionTwistSetting* setting);

    // Controls show the object's current parameters.
    BOOL OnInitDialog() override;
    // Stores the controls into the object; a control with nothing chosen keeps that parameter.
    void OnOK() override;
    // The "Default" and "Random" buttons.
    void OnDefault();
    void OnRandom();

    CDlgRadioGroup m_Direction{{{"Left to right", 0}, {"Right to left", 1}}};

private:
    void ShowParams(int32_t param1);

    TransitionTwistSetting* m_pSetting;
};
