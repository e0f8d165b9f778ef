#include "app/CTransRotateDlg.h"

#include "platform/win/UiHandler.h"

CTransRotateDlg::CTransRotateDlg(TransitionRotateInSetting* setting)
    : CDialog(IDD, "Transition Rotate Setting"), m_pSetting(setting) {}

BOOL CTransRotateDlg::OnInitDialog() {
    if (m_pSetting) ShowParams(m_pSetting->m_nParam1);
    return TRUE;
}

void CTransRotateDlg::OnOK() {
    if (m_pSetting) {
        int32_t param1 = m_pSetting->m_nParam1;
        m_Direction.GetValue(param1);
        m_pSetting->SetParams(param1);
    }
    EndDialog(IDOK);
}

void CTransRotateDlg::OnDefault() {
    ShowParams(TransitionRotateInSetting::GetDefaultParams());
}

void CTransRotateDlg::OnRandom() {
    ShowParams(TransitionRotateInSetting::GetRandomParams());
}

void CTransRotateDlg::ShowParams(int32_t param1) {
    m_Direction.SetValue(param1);
}
