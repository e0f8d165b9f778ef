#include "app/CTransBlindsDlg.h"

#include "platform/win/UiHandler.h"

CTransBlindsDlg::CTransBlindsDlg(TransitionBlindSetting* setting)
    : CDialog(IDD, "Transition Blinds Setting"), m_pSetting(setting) {}

BOOL CTransBlindsDlg::OnInitDialog() {
    if (m_pSetting) ShowParams(m_pSetting->m_nParam1, m_pSetting->m_nParam2);
    return TRUE;
}

void CTransBlindsDlg::OnOK() {
    if (m_pSetting) {
        int32_t param1 = m_pSetting->m_nParam1;
        int32_t param2 = m_pSetting->m_nParam2;
        m_Direction.GetValue(param1);
        m_WindowNumber.GetValue(param2);
        m_pSetting->SetParams(param1, param2);
    }
    EndDialog(IDOK);
}

void CTransBlindsDlg::OnDefault() {
    const auto values = TransitionBlindSetting::GetDefaultParams();
    ShowParams(values.first, values.second);
}

void CTransBlindsDlg::OnRandom() {
    const auto values = TransitionBlindSetting::GetRandomParams();
    ShowParams(values.first, values.second);
}

void CTransBlindsDlg::ShowParams(int32_t param1, int32_t param2) {
    m_Direction.SetValue(param1);
    m_WindowNumber.SetValue(param2);
}
