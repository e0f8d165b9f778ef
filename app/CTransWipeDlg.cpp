#include "app/CTransWipeDlg.h"

#include "platform/win/UiHandler.h"

CTransWipeDlg::CTransWipeDlg(TransitionWipeSetting* setting)
    : CDialog(IDD, "Transition Wipe Setting"), m_pSetting(setting) {}

BOOL CTransWipeDlg::OnInitDialog() {
    if (m_pSetting) ShowParams(m_pSetting->m_nParam1, m_pSetting->m_nParam2);
    return TRUE;
}

void CTransWipeDlg::OnOK() {
    if (m_pSetting) {
        int32_t param1 = m_pSetting->m_nParam1;
        int32_t param2 = m_pSetting->m_nParam2;
        m_Direction.GetValue(param1);
        m_Push.GetValue(param2);
        m_pSetting->SetParams(param1, param2 != 0);
    }
    EndDialog(IDOK);
}

void CTransWipeDlg::OnDefault() {
    const auto values = TransitionWipeSetting::GetDefaultParams();
    ShowParams(values.first, values.second ? 1 : 0);
}

void CTransWipeDlg::OnRandom() {
    const auto values = TransitionWipeSetting::GetRandomParams();
    ShowParams(values.first, values.second ? 1 : 0);
}

void CTransWipeDlg::ShowParams(int32_t param1, int32_t param2) {
    m_Direction.SetValue(param1);
    m_Push.SetValue(param2);
}
