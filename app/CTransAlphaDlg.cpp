#include "app/CTransAlphaDlg.h"

#include "platform/win/UiHandler.h"

CTransAlphaDlg::CTransAlphaDlg(TransitionAlphaSetting* setting)
    : CDialog(IDD, "Transition Alpha Setting"), m_pSetting(setting) {}

BOOL CTransAlphaDlg::OnInitDialog() {
    if (m_pSetting) ShowParams(m_pSetting->m_nParam1);
    return TRUE;
}

void CTransAlphaDlg::OnOK() {
    if (m_pSetting) {
        int32_t param1 = m_pSetting->m_nParam1;
        m_Type.GetValue(param1);
        m_pSetting->SetParams(param1);
    }
    EndDialog(IDOK);
}

void CTransAlphaDlg::OnDefault() {
    ShowParams(TransitionAlphaSetting::GetDefaultParams());
}

void CTransAlphaDlg::OnRandom() {
    ShowParams(TransitionAlphaSetting::GetRandomParams());
}

void CTransAlphaDlg::ShowParams(int32_t param1) {
    m_Type.SetValue(param1);
}
