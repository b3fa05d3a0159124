#pragma once

#include "framework/AfxTypes.h"

#include <functional>

class CDialog;

// What a file dialog is asked for.
struct FileDialogRequest {
    bool open = true;
    QString defaultExtension;   // without the dot; empty: none
    QString fileName;           // proposed name
    DWORD flags = 0;
    QString filter;             // "Name|pattern|Name|pattern||"
    QString initialFolder;
};

// What the user picked in a file dialog.
struct FileDialogAnswer {
    QString path;
    int filterIndex = 0;   // the filter selected when the dialog closed
};

// Every modal dialog and message box of the program goes through one host, so
// that tests can answer them without a window waiting for a click.
class CDialogHost {
public:
    virtual ~CDialogHost() = default;
    virtual int MessageBox(const CString& text, const CString& caption, UINT type) = 0;
    // IDOK with *answer set, or IDCANCEL. The host neither adds a suffix nor
    // asks before replacing a file: CFileDialog does both the same way everywhere.
    virtual int RunFileDialog(const FileDialogRequest& request, FileDialogAnswer* answer) = 0;
    virtual int RunModal(CDialog& dialog) = 0;
};

// The host in force; the desktop one unless a test has put another in place.
CDialogHost& AfxGetDialogHost();
// Null puts the desktop host back. Returns the host put in place before, or null.
CDialogHost* AfxSetDialogHost(CDialogHost* host);

// While it lives, passes every dialog on to the host that was in force and
// keeps the text of the last message box shown.
class CMessageRecorder : public CDialogHost {
public:
    CMessageRecorder();
    ~CMessageRecorder() override;

    int MessageBox(const CString& text, const CString& caption, UINT type) override;
    int RunFileDialog(const FileDialogRequest& request, FileDialogAnswer* answer) override;
    int RunModal(CDialog& dialog) override;

    const CString& LastMessage() const { return m_lastMessage; }

private:
    CDialogHost& m_next;
    CDialogHost* m_previous;
    CString m_lastMessage;
};

// A modal box captioned with the application name.
int AfxMessageBox(const CString& text, UINT type = MB_OK, UINT helpId = 0);

// Runs a modal dialog of the host with the normal arrow: a wait cursor in
// force is not meant for the dialog, and comes back when it closes.
int AfxRunWithArrowCursor(const std::function<int()>& runDialog);
