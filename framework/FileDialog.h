#pragma once

#include "AfxTypes.h"

class QWidget;

// The common open and save dialogs.
class CFileDialog {
public:
    CFileDialog(BOOL bOpenFileDialog, const CString& defExt = CString(), const CString& fileName = CString(),
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, const CString& filter = CString(),
                QWidget* parent = nullptr);

    int DoModal();
    CString GetPathName() const { return m_pathName; }
    // The chosen name without its folder.
    CString GetFileName() const;

    struct OpenFileName {
        CString lpstrInitialDir;
        DWORD Flags = 0;
    } m_ofn;

private:
    BOOL m_bOpenFileDialog;
    CString m_defExt;
    CString m_fileName;
    CString m_filter;
    CString m_pathName;
};
