#include "app/CTransZoomDlg.h"

#include "platform/win/UiHandler.h"

CTransZoomDlg::CTransZoomDlg(TransitionZoomSetting* setting)
    : CDialog(IDD, "Transition Zoom Setting"), m_pSetting(setting) {}

BOOL CTransZoomDlg::OnInitDialog() {
    if (m_pSetting) ShowParams(m_pSetting->m_nParam1);
    return TRUE;
}

void CTransZoomDlg::OnOK() {
    if (m_pSetting) {
        int32_t param1 = m_pSetting->m_nParam1;
        m_Type.GetValue(param1);
        m_pSetting->SetParams(param1);
    }
    EndDialog(IDOK);
}

void CTransZoomDlg::OnDefault() {
    ShowParams(TransitionZoomSetting::GetDefaultParams());
}

void CTransZoomDlg::OnRandom() {
    ShowParams(TransitionZoomSetting::GetRandomParams());
}

void CTransZoomDlg::ShowParams(int32_t param1) {
    m_Type.SetValue(param1);
}
