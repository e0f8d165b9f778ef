// The setting dialog of the Flip transition: shows the object's parameters, offers
// its default and random ones, and stores the choice on OK.
#pragma once

#include "app/CDlgRadioGroup.h"
#include "model/TransitionFlipSetting.h"
#include "platform/win/Dialog.h"

class CTransFlipDlg : public CDialog {
public:
    enum { IDD = 259 };

    // The dialog keeps the pointer; OK changes that object.
    explicit CTransFlipDlg(TransitionFlipSetting* setting);

    // Controls show the object's current parameters.
    BOOL OnInitDialog() override;
    // Stores the controls into the object; a control with nothing chosen keeps that parameter.
    void OnOK() override;
    // The "Default" and "Random" buttons.
    void OnDefault();
    void OnRandom();

    CDlgRadioGroup m_Direction{{{"Vertical", 0}, {"Horizontal", 1}}};

private:
    void ShowParams(int32_t param1);

    TransitionFlipSetting* m_pSetting;
};
