#include "app/CTransFlipDlg.h"

#include "platform/win/UiHandler.h"

CTransFlipDlg::CTransFlipDlg(TransitionFlipSetting* setting)
    : CDialog(IDD, "Transition Flip Setting"), m_pSetting(setting) {}

BOOL CTransFlipDlg::OnInitDialog() {
    if (m_pSetting) ShowParams(m_pSetting->m_nParam1);
    return TRUE;
}

void CTransFlipDlg::OnOK() {
    if (m_pSetting) {
        int32_t param1 = m_pSetting->m_nParam1;
        m_Direction.GetValue(param1);
        m_pSetting->SetParams(param1);
    }
    EndDialog(IDOK);
}

void CTransFlipDlg::OnDefault() {
    ShowParams(TransitionFlipSetting::GetDefaultParams());
}

void CTransFlipDlg::OnRandom() {
    ShowParams(TransitionFlipSetting::GetRandomParams());
}

void CTransFlipDlg::ShowParams(int32_t param1) {
    m_Direction.SetValue(param1);
}
