// The setting dialog of the Zoom transition: shows the object's parameters, offers
// its default and random ones, and stores the choice on OK.
#pragma once

#include "app/CDlgRadioGroup.h"
#include "model/TransitionZoomSetting.h"
#include "platform/win/Dialog.h"

class CTransZoomDlg : public CDialog {
public:
    enum { IDD = 267 };

    // The dialog keeps the pointer; OK changes that object.
    explicit CTransZoomDlg(TransitionZoomSetting* setting);

    // Controls show the object's current parameters.
    BOOL OnInitDialog() override;
    // Stores the controls into the object; a control with nothing chosen keeps that parameter.
    void OnOK() override;
    // The "Default" and "Random" buttons.
    void OnDefault();
    void OnRandom();

    CDlgRadioGroup m_Type{{{"Zoom in", 0}, {"Zoom out", 1}}};

private:
    void ShowParams(int32_t param1);

    TransitionZoomSetting* m_pSetting;
};
