#include "app/CTransSweepDlg.h"

#include "platform/win/UiHandler.h"

CTransSweepDlg::CTransSweepDlg(TransitionSweepSetting* setting)
    : CDialog(IDD, "Transition Sweep Setting"), m_pSetting(setting) {}

BOOL CTransSweepDlg::OnInitDialog() {
    if (m_pSetting) ShowParams(m_pSetting->m_nParam1, m_pSetting->m_nParam2);
    return TRUE;
}

void CTransSweepDlg::OnOK() {
    if (m_pSetting) {
        int32_t param1 = m_pSetting->m_nParam1;
        int32_t param2 = m_pSetting->m_nParam2;
        m_Direction.GetValue(param1);
        m_Width.GetValue(param2);
        m_pSetting->SetParams(param1, param2);
    }
    EndDialog(IDOK);
}

void CTransSweepDlg::OnDefault() {
    const auto values = TransitionSweepSetting::GetDefaultParams();
    ShowParams(values.first, values.second);
}

void CTransSweepDlg::OnRandom() {
    const auto values = TransitionSweepSetting::GetRandomParams();
    ShowParams(values.first, values.second);
}

void CTransSweepDlg::ShowParams(int32_t param1, int32_t param2) {
    m_Direction.SetValue(param1);
    m_Width.SetValue(param2);
}
