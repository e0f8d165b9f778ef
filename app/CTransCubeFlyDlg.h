// The setting dialog of the Cube Fly transition: shows the object's parameters, offers
// its default and random ones, and stores the choice on OK.
#pragma once

#include "app/CDlgRadioGroup.h"
#include "model/TransitionCubeFlySetting.h"
#include "platform/win/Dialog.h"

class CTransCubeFlyDlg : public CDialog {
public:
    enum { IDD = 257 };

    // The dialog keeps the pointer; OK changes that object.
    explicit CTransCubeFlyDlg(TransitionCubeFlySetting* setting);

    // Controls show the object's current parameters.
    BOOL OnInitDialog() override;
    // Stores the controls into the object; a control with nothing chosen keeps that parameter.
    void OnOK() override;
    // The "Default" and "Random" buttons.
    void OnDefault();
    void OnRandom();

    CDlgRadioGroup m_Direction{
        {{"Bottom to up", 0}, {"Up to bottom", 1}, {"Left to right", 2}, {"Right to left", 3}}};

private:
    void ShowParams(int32_t param1);

    TransitionCubeFlySetting* m_pSetting;
};
