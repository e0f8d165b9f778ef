#include "app/CTransCubeFlyDlg.h"

#include "platform/win/UiHandler.h"

CTransCubeFlyDlg::CTransCubeFlyDlg(TransitionCubeFlySetting* setting)
    : CDialog(IDD, "Transition Cube Fly Setting"), m_pSetting(setting) {}

BOOL CTransCubeFlyDlg::OnInitDialog() {
    if (m_pSetting) ShowParams(m_pSetting->m_nParam1);
    return TRUE;
}

void CTransCubeFlyDlg::OnOK() {
    if (m_pSetting) {
        int32_t param1 = m_pSetting->m_nParam1;
        m_Direction.GetValue(param1);
        m_pSetting->SetParams(param1);
    }
    EndDialog(IDOK);
}

void CTransCubeFlyDlg::OnDefault() {
    ShowParams(TransitionCubeFlySetting::GetDefaultParams());
}

void CTransCubeFlyDlg::OnRandom() {
    ShowParams(TransitionCubeFlySetting::GetRandomParams());
}

void CTransCubeFlyDlg::ShowParams(int32_t param1) {
    m_Direction.SetValue(param1);
}
