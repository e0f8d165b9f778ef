#include "app/CTransFlyDlg.h"

#include "platform/win/UiHandler.h"

CTransFlyDlg::CTransFlyDlg(TransitionFlySetting* setting)
    : CDialog(IDD, "Transition Fly Setting"), m_pSetting(setting) {}

BOOL CTransFlyDlg::OnInitDialog() {
    if (m_pSetting) ShowParams(m_pSetting->m_nParam1);
    return TRUE;
}

void CTransFlyDlg::OnOK() {
    if (m_pSetting) {
        int32_t param1 = m_pSetting->m_nParam1;
        m_Type.GetValue(param1);
        m_pSetting->SetParams(param1);
    }
    EndDialog(IDOK);
}

void CTransFlyDlg::OnDefault() {
    ShowParams(TransitionFlySetting::GetDefaultParams());
}

void CTransFlyDlg::OnRandom() {
    ShowParams(TransitionFlySetting::GetRandomParams());
}

void CTransFlyDlg::ShowParams(int32_t param1) {
    m_Type.SetValue(param1);
}
