#include "app/CTransDiagonalSweepDlg.h"

#include "platform/win/UiHandler.h"

CTransDiagonalSweepDlg::CTransDiagonalSweepDlg(TransitionDiagonalSweepSetting* setting)
    : CDialog(IDD, "Transition Diagonal Sweep Setting"), m_pSetting(setting) {}

BOOL CTransDiagonalSweepDlg::OnInitDialog() {
    if (m_pSetting) ShowParams(m_pSetting->m_nParam1, m_pSetting->m_nParam2);
    return TRUE;
}

void CTransDiagonalSweepDlg::OnOK() {
    if (m_pSetting) {
        int32_t param1 = m_pSetting->m_nParam1;
        int32_t param2 = m_pSetting->m_nParam2;
        m_Direction.GetValue(param1);
        m_Width.GetValue(param2);
        m_pSetting->SetParams(param1, param2);
    }
    EndDialog(IDOK);
}

void CTransDiagonalSweepDlg::OnDefault() {
    const auto values = TransitionDiagonalSweepSetting::GetDefaultParams();
    ShowParams(values.first, values.second);
}

void CTransDiagonalSweepDlg::OnRandom() {
    const auto values = TransitionDiagonalSweepSetting::GetRandomParams();
    ShowParams(values.first, values.second);
}

void CTransDiagonalSweepDlg::ShowParams(int32_t param1, int32_t param2) {
    m_Direction.SetValue(param1);
    m_Width.SetValue(param2);
}
