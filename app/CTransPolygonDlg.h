// The setting dialog of the Polygon transition: shows the object's parameters, offers
// its default and random ones, and stores the choice on OK.
#pragma once

#include "app/CDlgNumberCombo.h"
#include "app/CDlgRadioGroup.h"
#include "model/TransitionPolygonSetting.h"
#include "platform/win/Dialog.h"

class CTransPolygonDlg : public CDialog {
public:
    enum { IDD = 261 };

    // The dialog keeps the pointer; OK changes that object.
    explicit CTransPolygonDlg(TransitionPolygonSetting* setting);

    // Controls show the object's current parameters.
    BOOL OnInitDialog() override;
    // Stores the controls into the object; a control with nothing chosen keeps that parameter.
    void OnOK() override;
    // The "Default" and "Random" buttons.
    void OnDefault();
    void OnRandom();

    // Item i shows 3 + i.
    CDlgNumberCombo m_Number{3, 7};
    CDlgRadioGroup m_Direction{{{"Fly in", 0}, {"Fly out", 1}}};

private:
    void ShowParams(int32_t param1, int32_t param2);

    TransitionPolygonSetting* m_pSetting;
};
