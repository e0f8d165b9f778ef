// The setting dialog of the Alpha transition: shows the object's parameters, offers
// its default and random ones, and stores the choice on OK.
#pragma once

#include "app/CDlgRadioGroup.h"
#include "model/TransitionAlphaSetting.h"
#include "platform/win/Dialog.h"

class CTransAlphaDlg : public CDialog {
public:
    enum { IDD = 253 };

    // The dialog keeps the pointer; OK changes that object.
    explicit CTransAlphaDlg(TransitionAlphaSetting* setting);

    // Controls show the object's current parameters.
    BOOL OnInitDialog() override;
    // Stores the controls into the object; a control with nothing chosen keeps that parameter.
    void OnOK() override;
    // The "Default" and "Random" buttons.
    void OnDefault();
    void OnRandom();

    CDlgRadioGroup m_Type{{{"Normal", 0}, {"Fade to white", 1}, {"Fade to black", 2}}};

private:
    void ShowParams(int32_t param1);

    TransitionAlphaSetting* m_pSetting;
};
