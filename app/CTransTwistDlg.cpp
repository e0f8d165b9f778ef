#include "app/CTransTwistDlg.h"

#include "platform/win/UiHandler.h"

CTransTwistDlg::CTransTwistDlg(TransitionTwistSetting* setting)
    : CDialog(IDD, "Transition Twist Setting"), m_pSetting(setting) {}

BOOL CTransTwistDlg::OnInitDialog() {
    if (m_pSetting) ShowParams(m_pSetting->m_nParam1);
    return TRUE;
}

void CTransTwistDlg::OnOK() {
    if (m_pSetting) {
        int32_t param1 = m_pSetting->m_nParam1;
        m_Direction.GetValue(param1);
        m_pSetting->SetParams(param1);
    }
    EndDialog(IDOK);
}

void CTransTwistDlg::OnDefault() {
    ShowParams(TransitionTwistSetting::GetDefaultParams());
}

void CTransTwistDlg::OnRandom() {
    ShowParams(TransitionTwistSetting::GetRandomParams());
}

void CTransTwistDlg::ShowParams(int32_t param1) {
    m_Direction.SetValue(param1);
}
