#include "app/CTransSpinDlg.h"

#include "platform/win/UiHandler.h"

CTransSpinDlg::CTransSpinDlg(TransitionSpinSetting* setting)
    : CDialog(IDD, "Transition Spin Setting"), m_pSetting(setting) {}

BOOL CTransSpinDlg::OnInitDialog() {
    if (m_pSetting) ShowParams(m_pSetting->m_nParam1);
    return TRUE;
}

void CTransSpinDlg::OnOK() {
    if (m_pSetting) {
        int32_t param1 = m_pSetting->m_nParam1;
        m_Direction.GetValue(param1);
        m_pSetting->SetParams(param1);
    }
    EndDialog(IDOK);
}

void CTransSpinDlg::OnDefault() {
    ShowParams(TransitionSpinSetting::GetDefaultParams());
}

void CTransSpinDlg::OnRandom() {
    ShowParams(TransitionSpinSetting::GetRandomParams());
}

void CTransSpinDlg::ShowParams(int32_t param1) {
    m_Direction.SetValue(param1);
}
