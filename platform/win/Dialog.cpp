#include "platform/win/Dialog.h"

#include "platform/win/UiHandler.h"

INT_PTR CDialog::DoModal() {
    m_nResult = IDCANCEL;
    OnInitDialog();
    return UiHandler::Current().RunModal(*this);
}
