// The setting dialog of the Fly transition: shows the object's parameters, offers
// its default and random ones, and stores the choice on OK.
#pragma once

#include "app/CDlgRadioGroup.h"
#include "model/TransitionFlySetting.h"
#include "platform/win/Dialog.h"

class CTransFlyDlg : public CDialog {
public:
    enum { IDD = 260 };

    // The dialog keeps the pointer; OK changes that object.
    explicit CTransFlyDlg(TransitionFlySetting* setting);

    // Controls show the object's current parameters.
    BOOL OnInitDialog() override;
    // Stores the controls into the object; a control with nothing chosen keeps that parameter.
    void OnOK() override;
    // The "Default" and "Random" buttons.
    void OnDefault();
    void OnRandom();

    CDlgRadioGroup m_Type{{{"Fly in", 0}, {"Fly out", 1}}};

private:
    void ShowParams(int32_t param1);

    TransitionFlySetting* m_pSetting;
};
