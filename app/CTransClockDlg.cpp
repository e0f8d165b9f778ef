#include "app/CTransClockDlg.h"

#include "platform/win/UiHandler.h"

CTransClockDlg::CTransClockDlg(TransitionClockSetting* setting)
    : CDialog(IDD, "Transition Clock Setting"), m_pSetting(setting) {}

BOOL CTransClockDlg::OnInitDialog() {
    if (m_pSetting) ShowParams(m_pSetting->m_nParam1, m_pSetting->m_nParam2);
    return TRUE;
}

void CTransClockDlg::OnOK() {
    if (m_pSetting) {
        int32_t param1 = m_pSetting->m_nParam1;
        int32_t param2 = m_pSetting->m_nParam2;
        m_FingerNumber.GetValue(param1);
        m_Smooth.GetValue(param2);
        m_pSetting->SetParams(param1, param2 != 0);
    }
    EndDialog(IDOK);
}

void CTransClockDlg::OnDefault() {
    const auto values = TransitionClockSetting::GetDefaultParams();
    ShowParams(values.first, values.second ? 1 : 0);
}

void CTransClockDlg::OnRandom() {
    const auto values = TransitionClockSetting::GetRandomParams();
    ShowParams(values.first, values.second ? 1 : 0);
}

void CTransClockDlg::ShowParams(int32_t param1, int32_t param2) {
    m_FingerNumber.SetValue(param1);
    m_Smooth.SetValue(param2);
}
