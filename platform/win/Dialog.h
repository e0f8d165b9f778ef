// Base of the modal dialogs. A dialog keeps its controls' state as plain members; DoModal
// initialises it and hands it to the user-interface handler, which presses OK or Cancel.
#pragma once

#include <string>

#include "platform/win/UiHandler.h"
#include "platform/win/WinTypes.h"

class CDialog {
public:
    CDialog(UINT templateId, std::string title) : m_nTemplateId(templateId), m_strTitle(std::move(title)) {}
    virtual ~CDialog() = default;

    // Runs OnInitDialog, then the handler; returns IDOK or IDCANCEL.
    INT_PTR DoModal();

    virtual BOOL OnInitDialog() { return TRUE; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }

    void EndDialog(INT_PTR result) { m_nResult = result; }
    INT_PTR GetResult() const { return m_nResult; }
    UINT GetTemplateId() const { return m_nTemplateId; }
    const std::string& GetTitle() const { return m_strTitle; }

private:
    UINT m_nTemplateId;
    std::string m_strTitle;
    INT_PTR m_nResult = IDCANCEL;
};
