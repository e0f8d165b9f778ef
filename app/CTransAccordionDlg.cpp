#include "app/CTransAccordionDlg.h"

#include "platform/win/UiHandler.h"

CTransAccordionDlg::CTransAccordionDlg(TransitionAccordionSetting* setting)
    : CDialog(IDD, "Transition Accordion Setting"), m_pSetting(setting) {}

BOOL CTransAccordionDlg::OnInitDialog() {
    if (m_pSetting) ShowParams(m_pSetting->m_nParam1);
    return TRUE;
}

void CTransAccordionDlg::OnOK() {
    if (m_pSetting) {
        int32_t param1 = m_pSetting->m_nParam1;
        m_Direction.GetValue(param1);
        m_pSetting->SetParams(param1);
    }
    EndDialog(IDOK);
}

void CTransAccordionDlg::OnDefault() {
    ShowParams(TransitionAccordionSetting::GetDefaultParams());
}

void CTransAccordionDlg::OnRandom() {
    ShowParams(TransitionAccordionSetting::GetRandomParams());
}

void CTransAccordionDlg::ShowParams(int32_t param1) {
    m_Direction.SetValue(param1);
}
