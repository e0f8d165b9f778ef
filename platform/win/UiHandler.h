// User-interface services (message boxes, file dialogs, modal dialogs, wait cursor) go through
// one replaceable handler, so the command line never blocks and tests can script the answers.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/win/WinTypes.h"

class CDialog;

// Message-box styles and answers, with the values callers compare against.
constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_YESNOCANCEL = 0x3;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr UINT MB_DEFBUTTON2 = 0x100;
constexpr UINT MB_DEFBUTTON3 = 0x200;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

class UiHandler {
public:
    virtual ~UiHandler() = default;

    // Shows a message; returns the button pressed (IDOK, IDCANCEL, IDYES, IDNO).
    virtual int MessageBox(const std::string& text, const std::string& caption, UINT type) = 0;

    // Multi-select open-file dialog showing `folder` first (empty: wherever the dialog likes).
    // Returns false when cancelled; `files` gets full paths.
    virtual bool OpenFiles(const std::string& title, const std::string& filter, const std::string& folder,
                           std::vector<std::string>& files) = 0;

    // Runs a modal dialog that has been initialised; returns its end code.
    virtual INT_PTR RunModal(CDialog& dialog) = 0;

    // Shows or hides the busy indicator.
    virtual void SetWaitCursor(bool busy) = 0;

    // The handler in force (the headless one until another is installed).
    static UiHandler& Current();

    // Installs a handler and returns the previous one; nullptr restores the headless default.
    static std::shared_ptr<UiHandler> Install(std::shared_ptr<UiHandler> handler);

    // The button that a box of this style answers with when nobody is asked.
    static int DefaultButton(UINT type);
};

// AfxMessageBox-style convenience: the current handler's message box with the system's caption.
int AppMessageBox(const std::string& text, UINT type = MB_OK);

// Shows the wait cursor for the lifetime of the object.
class CWaitCursor {
public:
    CWaitCursor() { UiHandler::Current().SetWaitCursor(true); }
    ~CWaitCursor() { UiHandler::Current().SetWaitCursor(false); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};
