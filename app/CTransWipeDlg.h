// The setting dialog of the Wipe transition: shows the object's parameters, offers
// its default and random ones, and stores the choice on OK.
#pragma once

#include "app/CDlgRadioGroup.h"
#include "model/TransitionWipeSetting.h"
#include "platform/win/Dialog.h"

class CTransWipeDlg : public CDialog {
public:
    enum { IDD = 266 };

    // The dialog keeps the pointer; OK changes that object.
    explicit CTransWipeDlg(TransitionWipeSetting* setting);

    // Controls show the object's current parameters.
    BOOL OnInitDialog() override;
    // Stores the controls into the object; a control with nothing chosen keeps that parameter.
    void OnOK() override;
    // The "Default" and "Random" buttons.
    void OnDefault();
    void OnRandom();

    CDlgRadioGroup m_Direction{
        {{"Left to right", 0}, {"Right to left", 1}, {"Bottom to up", 2}, {"Up to bottom", 3}}};
    CDlgRadioGroup m_Push{{{"Yes", 1}, {"No", 0}}};

private:
    void ShowParams(int32_t param1, int32_t param2);

    TransitionWipeSetting* m_pSetting;
};
