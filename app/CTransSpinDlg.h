// The setting dialog of the Spin transition: shows the object's parameters, offers
// its default and random ones, and stores the choice on OK.
#pragma once

#include "app/CDlgRadioGroup.h"
#include "model/TransitionSpinSetting.h"
#include "platform/win/Dialog.h"

class CTransSpinDlg : public CDialog {
public:
    enum { IDD = 264 };

    // The dialog keeps the pointer; OK changes that object.
    explicit CTransSpinDlg(TransitionSpinSetting* setting);

    // Controls show the object's current parameters.
    BOOL OnInitDialog() override;
    // Stores the controls into the object; a control with nothing chosen keeps that parameter.
    void OnOK() override;
    // The "Default" and "Random" buttons.
    void OnDefault();
    void OnRandom();

    CDlgRadioGroup m_Direction{{{"Closewise", 0}, {"Anti-Closewise", 1}}};

private:
    void ShowParams(int32_t param1);

    TransitionSpinSetting* m_pSetting;
};
