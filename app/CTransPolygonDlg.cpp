#include "app/CTransPolygonDlg.h"

#include "platform/win/UiHandler.h"

CTransPolygonDlg::CTransPolygonDlg(TransitionPolygonSetting* setting)
    : CDialog(IDD, "Transition Polygon Setting"), m_pSetting(setting) {}

BOOL CTransPolygonDlg::OnInitDialog() {
    if (m_pSetting) ShowParams(m_pSetting->m_nParam1, m_pSetting->m_nParam2);
    return TRUE;
}

void CTransPolygonDlg::OnOK() {
    if (m_pSetting) {
        int32_t param1 = m_pSetting->m_nParam1;
        int32_t param2 = m_pSetting->m_nParam2;
        m_Number.GetValue(param1);
        m_Direction.GetValue(param2);
        m_pSetting->SetParams(param1, param2);
    }
    EndDialog(IDOK);
}

void CTransPolygonDlg::OnDefault() {
    const auto values = TransitionPolygonSetting::GetDefaultParams();
    ShowParams(values.first, values.second);
}

void CTransPolygonDlg::OnRandom() {
    const auto values = TransitionPolygonSetting::GetRandomParams();
    ShowParams(values.first, values.second);
}

void CTransPolygonDlg::ShowParams(int32_t param1, int32_t param2) {
    m_Number.SetValue(param1);
    m_Direction.SetValue(param2);
}
