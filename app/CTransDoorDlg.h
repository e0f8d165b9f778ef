// The setting dialog of the Door transition: shows the object's parameters, offers
// its default and random ones, and stores the choice on OK.
#pragma once

#include "app/CDlgRadioGroup.h"
#include "model/TransitionDoorSetting.h"
#include "platform/win/Dialog.h"

class CTransDoorDlg : public CDialog {
public:
    enum { IDD = 258 };

    // The dialog keeps the pointer; OK changes that object.
    explicit CTransDoorDlg(TransitionDoorSetting* setting);

    // Controls show the object's current parameters.
    BOOL OnInitDialog() override;
    // Stores the controls into the object; a control with nothing chosen keeps that parameter.
    void OnOK() override;
    // The "Default" and "Random" buttons.
    void OnDefault();
    void OnRandom();

    CDlgRadioGroup m_Type{{{"Open door", 0}, {"Close Door", 1}}};

private:
    void ShowParams(int32_t param1);

    TransitionDoorSetting* m_pSetting;
};
