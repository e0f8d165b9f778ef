// The setting dialog of the Circle transition: shows the object's parameters, offers
// its default and random ones, and stores the choice on OK.
#pragma once

#include "app/CDlgNumberCombo.h"
#include "app/CDlgRadioGroup.h"
#include "model/TransitionCircleSetting.h"
#include "platform/win/Dialog.h"

class CTransCircleDlg : public CDialog {
public:
    enum { IDD = 256 };

    // The dialog keeps the pointer; OK changes that object.
    explicit CTransCircleDlg(TransitionCircleSetting* setting);

    // Controls show the object's current parameters.
    BOOL OnInitDialog() override;
    // Stores the controls into the object; a control with nothing chosen keeps that parameter.
    void OnOK() override;
    // The "Default" and "Random" buttons.
    void OnDefault();
    void OnRandom();

    CDlgRadioGroup m_Direction{{{"Small to big", 0}, {"Big to small", 1}}};
    // Item i shows 1 + i.
    CDlgNumberCombo m_Width{1, 80};

private:
    void ShowParams(int32_t param1, int32_t param2);

    TransitionCircleSetting* m_pSetting;
};
