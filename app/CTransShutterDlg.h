// The setting dialog of the Shutter transition: shows the object's parameters, offers
// its default and random ones, and stores the choice on OK.
#pragma once

#include "app/CDlgNumberCombo.h"
#include "app/CDlgRadioGroup.h"
#include "model/TransitionShutterSetting.h"
#include "platform/win/Dialog.h"

class CTransShutterDlg : public CDialog {
public:
    enum { IDD = 263 };

    // The dialog keeps the pointer; OK changes that object.
    explicit CTransShutterDlg(TransitionShutterSetting* setting);

    // Controls show the object's current parameters.
    BOOL OnInitDialog() override;
    // Stores the controls into the object; a control with nothing chosen keeps that parameter.
    void OnOK() override;
    // The "Default" and "Random" buttons.
    void OnDefault();
    void OnRandom();

    CDlgRadioGroup m_Direction{{{"Vertical", 0}, {"Horizontal", 1}}};
    // Item i shows 1 + i.
    CDlgNumberCombo m_Width{1, 80};

private:
    void ShowParams(int32_t param1, int32_t param2);

    TransitionShutterSetting* m_pSetting;
};
