#include "app/CTransShutterDlg.h"

#include "platform/win/UiHandler.h"

CTransShutterDlg::CTransShutterDlg(TransitionShutterSetting* setting)
    : CDialog(IDD, "Transition Shutter Setting"), m_pSetting(setting) {}

BOOL CTransShutterDlg::OnInitDialog() {
    if (m_pSetting) ShowParams(m_pSetting->m_nParam1, m_pSetting->m_nParam2);
    return TRUE;
}

void CTransShutterDlg::OnOK() {
    if (m_pSetting) {
        int32_t param1 = m_pSetting->m_nParam1;
        int32_t param2 = m_pSetting->m_nParam2;
        m_Direction.GetValue(param1);
        m_Width.GetValue(param2);
        m_pSetting->SetParams(param1, param2);
    }
    EndDialog(IDOK);
}

void CTransShutterDlg::OnDefault() {
    const auto values = TransitionShutterSetting::GetDefaultParams();
    ShowParams(values.first, values.second);
}

void CTransShutterDlg::OnRandom() {
    const auto values = TransitionShutterSetting::GetRandomParams();
    ShowParams(values.first, values.second);
}

void CTransShutterDlg::ShowParams(int32_t param1, int32_t param2) {
    m_Direction.SetValue(param1);
    m_Width.SetValue(param2);
}
