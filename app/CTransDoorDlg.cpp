#include "app/CTransDoorDlg.h"

#include "platform/win/UiHandler.h"

CTransDoorDlg::CTransDoorDlg(TransitionDoorSetting* setting)
    : CDialog(IDD, "Transition Door Setting"), m_pSetting(setting) {}

BOOL CTransDoorDlg::OnInitDialog() {
    if (m_pSetting) ShowParams(m_pSetting->m_nParam1);
    return TRUE;
}

void CTransDoorDlg::OnOK() {
    if (m_pSetting) {
        int32_t param1 = m_pSetting->m_nParam1;
        m_Type.GetValue(param1);
        m_pSetting->SetParams(param1);
    }
    EndDialog(IDOK);
}

void CTransDoorDlg::OnDefault() {
    ShowParams(TransitionDoorSetting::GetDefaultParams());
}

void CTransDoorDlg::OnRandom() {
    ShowParams(TransitionDoorSetting::GetRandomParams());
}

void CTransDoorDlg::ShowParams(int32_t param1) {
    m_Type.SetValue(param1);
}
