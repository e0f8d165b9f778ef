#include "app/CTransCircleDlg.h"

#include "platform/win/UiHandler.h"

CTransCircleDlg::CTransCircleDlg(TransitionCircleSetting* setting)
    : CDialog(IDD, "Transition Circle Setting"), m_pSetting(setting) {}

BOOL CTransCircleDlg::OnInitDialog() {
    if (m_pSetting) ShowParams(m_pSetting->m_nParam1, m_pSetting->m_nParam2);
    return TRUE;
}

void CTransCircleDlg::OnOK() {
    if (m_pSetting) {
        int32_t param1 = m_pSetting->m_nParam1;
        int32_t param2 = m_pSetting->m_nParam2;
        m_Direction.GetValue(param1);
        m_Width.GetValue(param2);
        m_pSetting->SetParams(param1, param2);
    }
    EndDialog(IDOK);
}

void CTransCircleDlg::OnDefault() {
    const auto values = TransitionCircleSetting::GetDefaultParams();
    ShowParams(values.first, values.second);
}

void CTransCircleDlg::OnRandom() {
    const auto values = TransitionCircleSetting::GetRandomParams();
    ShowParams(values.first, values.second);
}

void CTransCircleDlg::ShowParams(int32_t param1, int32_t param2) {
    m_Direction.SetValue(param1);
    m_Width.SetValue(param2);
}
